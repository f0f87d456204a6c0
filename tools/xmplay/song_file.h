// Loading an XM file from disk through the player's file callbacks, with a
// reason for every failure (cannot open, not an XM module, cannot be played).
#pragma once
#include <string>

#include "player/load/loader.h"

// Installs the stdio file callbacks (before FSOUND_Init, which needs them).
void InstallStdioCallbacks();
// Loads `path` as trackers do; null with a one-line reason in `error` on
// failure. `notes` receives what the load put up with.
Song* LoadSongFile(const std::string& path, std::string& error, SongLoadNotes* notes);

// Loading an XM file from disk through the player's file callbacks, with a
// reason for every failure (cannot open, no signature, cut short, rejected).
#pragma once
#include <string>

struct Song;

// Installs the stdio file callbacks (before FSOUND_Init, which needs them).
void InstallStdioCallbacks();
// Loads `path`; null with a one-line reason in `error` on failure.
Song* LoadSongFile(const std::string& path, std::string& error);

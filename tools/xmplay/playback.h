// The two ways xmplay plays a loaded song: offline through the virtual device
// (WAV file or timeline), and in real time through the audio device. Both
// return the process exit status. FSOUND_Init must have succeeded with the
// matching device before either is called.
#pragma once
#include "options.h"

struct Song;

constexpr int kMixRate = 44100;

int RenderOffline(const Options& options, Song* song);
int PlayRealTime(const Options& options, Song* song);

// WAV files read back for the tests through libsndfile, an independent reader
// (Linux builds only).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct WavSound {
  bool pcm16 = false;            // a WAV file of 16-bit PCM values
  int rate = 0;                  // frames per second
  int channels = 0;              // 0 when the file cannot be read as sound
  bool exact = false;            // the header's sizes describe the file as it is
  std::vector<int16_t> samples;  // interleaved
  size_t Frames() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// The file's format and its samples as 16-bit values.
WavSound ReadWav(const std::string& path);

// Whether the file is a 16-bit stereo 44,100 Hz PCM WAV file whose header
// describes it exactly, as the player's tools write them.
bool IsCdWav(const WavSound& wav);

// The 16-bit stereo values of a headerless file, as SDL's disk audio driver
// writes them; empty when it cannot be read.
std::vector<int16_t> ReadRawSound(const std::string& path);

// Stereo `values` from the first frame that is not silent on: the sound
// after the silence a device is handed while it is still paused.
std::vector<int16_t> AfterSilence(const std::vector<int16_t>& values);

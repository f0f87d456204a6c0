// A 16-bit stereo PCM WAV file written block by block; the header's sizes are
// filled in by Close. Not thread-safe: one writer, one thread.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

class WavWriter {
 public:
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;
  ~WavWriter();

  // Creates the file with a provisional header; false when it cannot.
  bool Open(const std::string& path, int rate);
  // Appends `frames` stereo frames (2 x frames values, left first); false on a
  // write error or when the data would outgrow the header's 32-bit sizes.
  bool Write(const int16_t* samples, uint32_t frames);
  // Writes the final sizes into the header and closes; false on any error.
  bool Close();

 private:
  static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFu - 36;
  std::FILE* file_ = nullptr;
  int rate_ = 0;
  uint64_t dataBytes_ = 0;
  bool failed_ = false;
};

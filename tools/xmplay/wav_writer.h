// A minimal writer of 16-bit stereo PCM WAV files: header first with the
// sizes patched in when the file is finished.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

class WavWriter {
 public:
  ~WavWriter();
  bool Open(const std::string& path, int rate);
  bool Write(const int16_t* frames, uint32_t count);  // count stereo frames
  bool Finish();  // patches the sizes and closes; false on any write error

 private:
  FILE* file_ = nullptr;
  int rate_ = 0;
  uint32_t frames_ = 0;
  bool ok_ = true;
};

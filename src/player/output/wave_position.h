// Extends a device's 32-bit byte position into a 64-bit one. The Windows wave
// output reports the bytes played since the start as a 32-bit count, which
// wraps after 2^32 bytes (about 6.8 hours of 16-bit stereo at 44,100 Hz); the
// player wants a count that never wraps. Used by the wave-output back end that
// reads such a counter; the owner serialises the calls.
#pragma once
#include <cstdint>

class WavePosition {
 public:
  // Takes the device's current 32-bit reading and returns the position since
  // Restart. Readings must come at least once per 2^31 bytes (hours apart), so
  // that a smaller reading than the last can only mean one wrap.
  uint64_t Extend(uint32_t reading) {
    if (reading < last_) wraps_ += uint64_t{1} << 32;
    last_ = reading;
    return wraps_ + reading;
  }
  void Restart() {
    last_ = 0;
    wraps_ = 0;
  }

 private:
  uint32_t last_ = 0;
  uint64_t wraps_ = 0;
};

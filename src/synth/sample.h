// Sample: an offline buffer of signed 16-bit mono sound with a few generators and filters.
//
// Contract: a Sample owns its buffer `data` (allocated with array new, released with array
// delete, null exactly when `length` is 0). Operations that change the length build a new buffer
// and swap it in, so a failed allocation or an impossible size leaves the sample as it was.
// Positions and lengths count samples; no sample rate is stored. Single-threaded tool code:
// called from sound-making tools, never from the show or the mixing thread. Volume(double) and
// Save print a short report on standard output.
#pragma once

#include <cstdint>

class Sample {
 public:
  // Largest number of echoes one Reverb call adds. The echo spacing only shrinks slowly for small
  // decays, so this bound keeps every call finite.
  static constexpr uint32_t kMaxEchoes = 1u << 20;

  Sample();
  // n zero samples; n <= 0 gives an empty sample.
  explicit Sample(int n);
  ~Sample();

  Sample(const Sample&) = delete;
  Sample& operator=(const Sample&) = delete;

  // Replaces the contents with a copy of `other` (a null `other` empties this sample; assigning
  // a sample to itself keeps it).
  Sample& operator=(Sample* other);

  // Replaces the contents with count * half samples of a triangle wave that turns at +-15000 and
  // takes about `half` samples per slope. Non-positive arguments give an empty sample; a length
  // past 2^32 - 1 samples, or one that cannot be allocated, leaves the sample unchanged.
  void GenTriWave(int count, int half);

  // Mixes `other` in from index `offset`, growing the sample as needed; the sums are clamped to
  // +-21000. A negative offset or a null `other` changes nothing.
  void Input(Sample* other, int offset);

  // Adds full-strength copies of the current contents at offsets delay, delay + d2, ... where
  // dn = trunc(delay * n^-decay), ending after the first copy whose spacing is 5 or less. A call
  // whose spacing could never shrink (decay <= 0 or not a number, with delay > 5) changes nothing;
  // otherwise at most kMaxEchoes copies are added and none past the largest possible length.
  void Reverb(unsigned int delay, float decay);

  // Scales every sample by `gain`, rounding and saturating to -32767..32767, then prints the
  // report "Stora: 0\nSma:  0\n". An empty sample is left alone without a report.
  void Volume(double gain);

  // Scales in place by a gain ramping linearly from `start` (first sample) towards `end`.
  // Results outside the 16-bit range saturate to -32768..32767.
  void Volume(float start, float end);

  // Writes the samples as raw signed 16-bit little-endian values without a header and prints
  // "Saving: <name>\nlen: <length>\n". Returns false (and prints nothing) when the file cannot
  // be created or written completely.
  bool Save(const char* filename);

  int16_t* data;
  uint32_t length;

 private:
  // Installs `buffer` of `n` samples, releasing the current one.
  void Replace(int16_t* buffer, uint32_t n);
};

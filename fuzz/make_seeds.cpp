// Writes the fuzzer's seed corpus into a directory: small XM songs that
// reach every part of the loader and the sequencer (both frequency tables,
// 8- and 16-bit samples in every loop mode, envelopes with sustain and loop,
// auto-vibrato, effects and volume-column commands, empty patterns and
// instruments). The fuzzer also serves each input as a compact stream.
#include <cstdio>
#include <string>
#include <vector>

#include "xm_writer.h"

namespace {

XmSample Wave(bool sixteen, int length, uint8_t loop, int seed) {
  XmSample s;
  s.sixteenBit = sixteen;
  for (int i = 0; i < length; ++i)
    s.data.push_back(static_cast<int16_t>((i * seed * 997) & 0xFFFF));
  s.loopType = loop;
  if (loop) {
    s.loopStart = static_cast<uint32_t>(length / 4);
    s.loopLength = static_cast<uint32_t>(length / 2);
  }
  s.relativeNote = static_cast<int8_t>(seed % 12 - 6);
  s.finetune = static_cast<int8_t>(seed * 13);
  return s;
}

XmSong Seed(int variant) {
  XmSong s;
  s.channels = 1 + variant % 6;
  s.linear = variant % 3 != 0;
  s.speed = 1 + variant % 7;
  s.bpm = 60 + 17 * variant;
  s.orders = {0, 1, 0};
  s.restart = 1;
  XmPattern& p = s.AddPattern(8 + variant);
  const uint8_t effects[] = {0x0, 0x2, 0x3, 0xA, 0xC, 0xD, 0xE, 0xF, 0x10, 0x11, 0x14, 0x1B};
  const uint8_t volumes[] = {0x00, 0x20, 0x65, 0x7F, 0x83, 0x9F, 0xC8, 0xD2, 0xE4, 0xF0};
  for (int r = 0; r < p.rows; ++r)
    for (int c = 0; c < s.channels; ++c) {
      const int k = r * 7 + c * 3 + variant;
      if (k % 3 == 0) continue;
      p.At(r, c, s.channels) = {static_cast<uint8_t>(k % 5 == 0 ? 97 : 25 + k % 60),
                                static_cast<uint8_t>(1 + k % 3), volumes[k % 10], effects[k % 12],
                                static_cast<uint8_t>(k * 29)};
    }
  s.AddPattern(4);  // empty: stored without data
  XmInstrument& a = s.instruments.emplace_back();
  a.samples.push_back(Wave(true, 200, 1, variant + 1));
  a.samples.push_back(Wave(false, 120, 2, variant + 2));
  for (int n = 0; n < 96; ++n) a.noteToSample[n] = static_cast<uint8_t>(n % 2);
  a.volume.points = {{0, 64}, {6, 30}, {12, 50}, {20, 0}};
  a.volume.on = a.volume.sustainOn = a.volume.loopOn = true;
  a.volume.sustain = 1;
  a.volume.loopStart = 1;
  a.volume.loopEnd = 2;
  a.pan.points = {{0, 0}, {10, 64}};
  a.pan.on = true;
  a.vibratoType = static_cast<uint8_t>(variant % 4);
  a.vibratoDepth = 12;
  a.vibratoRate = 9;
  a.vibratoSweep = static_cast<uint8_t>(variant);
  a.fadeout = 700;
  XmInstrument& b = s.instruments.emplace_back();
  b.samples.push_back(Wave(variant % 2, 64, 0, variant + 3));
  s.instruments.emplace_back();  // no samples
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIRECTORY\n");
    return 2;
  }
  for (int v = 0; v < 6; ++v) {
    const std::string path = std::string(argv[1]) + "/seed" + std::to_string(v) + ".xm";
    if (!WriteXmFile(Seed(v), path)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  // Files the tolerant load puts up with: cut short at several places, and
  // with absurd sizes in the song header's size and counts.
  const std::vector<uint8_t> whole = WriteXm(Seed(0));
  std::vector<std::vector<uint8_t>> hostile;
  for (size_t cut : {size_t{70}, size_t{400}, whole.size() / 2, whole.size() - 5})
    hostile.emplace_back(whole.begin(), whole.begin() + static_cast<long>(cut));
  for (size_t field : {size_t{60}, size_t{68}, size_t{70}, size_t{72}}) {
    std::vector<uint8_t> b = whole;
    for (size_t i = 0; i < 4; ++i) b[field + i] = 0xFF;
    hostile.push_back(b);
  }
  for (size_t h = 0; h < hostile.size(); ++h) {
    const std::string path = std::string(argv[1]) + "/hostile" + std::to_string(h) + ".xm";
    FILE* f = std::fopen(path.c_str(), "wb");
    const bool written = f && std::fwrite(hostile[h].data(), 1, hostile[h].size(), f) == hostile[h].size();
    if (f) std::fclose(f);
    if (!written) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}

// What the loader refuses: songs outside the limits the player relies on
// (channels, orders, sample counts, envelopes, loops, note range) and
// streams cut short in any field it reads.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "loader_checks.h"
#include "song_fixture.h"

namespace songtest {
namespace {

// BasicSong(2, 4) has an empty pattern (9 bytes) after the 336-byte header,
// so its instrument starts at 345 and its sample header at 345 + 263.
constexpr size_t kInstrument = 345;
constexpr size_t kSampleHeader = kInstrument + 263;

struct Case {
  std::string name;
  std::function<void(XmSong&)> edit;
  std::function<void(std::vector<uint8_t>&)> patch;
  bool loads;
};

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

XmEnvelope Envelope(std::vector<std::array<uint16_t, 2>> points) {
  XmEnvelope e;
  e.points = std::move(points);
  e.on = true;
  return e;
}

TEST(LoaderLimits, AcceptsOrRejects) {
  const auto none = [](std::vector<uint8_t>&) {};
  const auto keep = [](XmSong&) {};
  const Case cases[] = {
      {"basic song", keep, none, true},
      {"no channels", [](XmSong& s) { s.channels = 0; }, none, false},
      {"32 channels",
       [](XmSong& s) {
         s.channels = 32;
         s.patterns.clear();
         s.AddPattern(4);
       },
       none, true},
      {"33 channels",
       [](XmSong& s) {
         s.channels = 33;
         s.patterns.clear();
         s.AddPattern(4);
       },
       none, false},
      {"empty order list", [](XmSong& s) { s.orders.clear(); }, none, false},
      {"257 orders", keep, [](std::vector<uint8_t>& b) { Put16(b, 64, 257); }, false},
      {"negative instrument count", keep, [](std::vector<uint8_t>& b) { Put16(b, 72, 0x8001); },
       false},
      {"bad signature", keep, [](std::vector<uint8_t>& b) { b[9] = 'm'; }, false},
      {"16 samples", [](XmSong& s) { s.instruments[0].samples.resize(16); }, none, true},
      {"17 samples", keep, [](std::vector<uint8_t>& b) { Put16(b, kInstrument + 27, 17); }, false},
      {"13 envelope points", keep, [](std::vector<uint8_t>& b) { b[kInstrument + 225] = 13; },
       false},
      {"sustain point outside",
       [](XmSong& s) {
         s.instruments[0].volume = Envelope({{0, 64}, {5, 0}});
         s.instruments[0].volume.sustainOn = true;
         s.instruments[0].volume.sustain = 2;
       },
       none, false},
      {"sustain index unused while off",
       [](XmSong& s) {
         s.instruments[0].volume = Envelope({{0, 64}, {5, 0}});
         s.instruments[0].volume.sustain = 9;
       },
       none, true},
      {"loop end outside",
       [](XmSong& s) {
         s.instruments[0].pan = Envelope({{0, 0}, {5, 64}, {9, 0}});
         s.instruments[0].pan.loopOn = true;
         s.instruments[0].pan.loopEnd = 3;
       },
       none, false},
      {"envelope ticks running backwards",
       [](XmSong& s) {
         s.instruments[0].volume = Envelope({{0, 64}, {10, 32}, {4, 0}});
       },
       none, false},
      {"envelope ticks equal",
       [](XmSong& s) {
         s.instruments[0].volume = Envelope({{0, 64}, {0, 0}});
       },
       none, true},
      {"envelope value above 64",
       [](XmSong& s) {
         s.instruments[0].volume = Envelope({{0, 64}, {10, 65}});
       },
       none, false},
      {"loop past the sample end",
       [](XmSong& s) {
         s.instruments[0].samples[0].loopStart = 60;
         s.instruments[0].samples[0].loopLength = 5;
       },
       none, false},
      {"loop up to the sample end",
       [](XmSong& s) {
         s.instruments[0].samples[0].loopStart = 60;
         s.instruments[0].samples[0].loopLength = 4;
       },
       none, true},
      {"loop length overflowing 32 bits", keep,
       [](std::vector<uint8_t>& b) {
         for (int i = 0; i < 4; ++i) b[kSampleHeader + 8 + i] = 0xFF;
       },
       false},
      {"note above the table with its instrument",
       [](XmSong& s) {
         s.instruments[0].samples[0].relativeNote = 30;
         s.patterns[0].At(1, 0, 2) = {96, 1, 0, 0, 0};
       },
       none, false},
      {"note below the table with its instrument",
       [](XmSong& s) {
         s.instruments[0].samples[0].relativeNote = -20;
         s.patterns[0].At(1, 0, 2) = {12, 1, 0, 0, 0};
       },
       none, false},
      {"highest note inside the table",
       [](XmSong& s) {
         s.instruments[0].samples[0].relativeNote = 24;
         s.patterns[0].At(1, 0, 2) = {96, 1, 0, 0, 0};
       },
       none, true},
      {"restart beyond the order list", [](XmSong& s) { s.restart = 5; }, none, true},
  };
  for (const Case& c : cases) {
    XmSong xm = BasicSong(2, 4);
    c.edit(xm);
    std::vector<uint8_t> bytes = WriteXm(xm);
    c.patch(bytes);
    SongPtr song(Load(bytes));
    EXPECT_EQ(song != nullptr, c.loads) << c.name;
    if (song) {
      EXPECT_LT(song->restartPosition, song->songLength) << c.name;
    }
  }
}

TEST(LoaderLimits, EveryCutInsideReadFieldsIsRejected) {
  const std::vector<uint8_t> full = WriteXm(RichSong());
  // The last instrument has no samples: the loader reads its size and, past
  // 23 skipped bytes, its sample count; nothing after that.
  const size_t lastField = full.size() - 263 + 29;
  for (size_t cut = 0; cut < full.size(); ++cut) {
    const std::vector<uint8_t> part(full.begin(), full.begin() + cut);
    SongPtr song(Load(part));
    EXPECT_EQ(song != nullptr, cut >= lastField) << "cut at " << cut;
  }
  std::vector<uint8_t> compact;
  SongPtr song(Load(full, {Layout::kFull, &compact, nullptr}));
  ASSERT_TRUE(song);
  for (size_t cut = 0; cut < compact.size(); ++cut) {
    const std::vector<uint8_t> part(compact.begin(), compact.begin() + cut);
    EXPECT_FALSE(SongPtr(Load(part, {Layout::kCompact, nullptr, nullptr}))) << "cut at " << cut;
  }
}

}  // namespace
}  // namespace songtest

// The tolerant load on files that trackers write and other players open but
// the strict load refuses or misreads: each case edits the bytes of a song
// made with the XM writer, loads it tolerantly, checks what the load says it
// put up with, and plays it to its end beside libopenmpt, which must play
// the same rows at levels that follow each other. Then hostile files: every
// length of a song cut short and absurd sizes in every size field must load
// bounded or fail cleanly (the sanitizer builds run these too).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "player/load/loader.h"
#include "player/load/memory_file.h"
#include "player/output/output.h"
#include "player/play/rules.h"
#include "reference_render.h"
#include "xm_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Le32At(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
void PutLe32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutLe16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Where the parts of a file that the XM writer made stand: it writes the
// usual layout (a 276-byte song header, 9-byte pattern headers, 263-byte
// instrument headers, 40-byte sample headers).
struct Layout {
  std::vector<size_t> patterns, instruments;
  size_t end = 0;
};
Layout Find(const Bytes& b) {
  Layout l;
  size_t at = 60 + Le32At(b, 60);
  const int patterns = b[70] | b[71] << 8, instruments = b[72] | b[73] << 8;
  for (int p = 0; p < patterns; ++p) {
    l.patterns.push_back(at);
    at += 9 + (b[at + 7] | b[at + 8] << 8);
  }
  for (int i = 0; i < instruments; ++i) {
    l.instruments.push_back(at);
    const int samples = b[at + 27] | b[at + 28] << 8;
    const size_t headers = at + Le32At(b, at);
    at = headers + 40u * samples;
    for (int s = 0; s < samples; ++s) at += Le32At(b, headers + 40u * s);
  }
  l.end = at;
  return l;
}

// Two channels, two patterns, two instruments: an 8-bit looping ramp with a
// volume envelope, and a 16-bit one-shot sample, both sounding every few rows.
XmSong TestSong() {
  XmSong s;
  s.channels = 2;
  s.orders = {0, 1, 0};
  for (int p = 0; p < 2; ++p) {
    XmPattern& pattern = s.AddPattern(16);
    for (int r = 0; r < 16; r += 4) {
      pattern.At(r, 0, 2) = {static_cast<uint8_t>(49 + p * 5 + r / 4), 1, 0, 0, 0};
      pattern.At(r + 2, 1, 2) = {static_cast<uint8_t>(37 + r), 2, 0x30, 0, 0};
    }
  }
  XmInstrument a;
  XmSample& ramp = a.samples.emplace_back();
  ramp.sixteenBit = false;
  for (int i = 0; i < 200; ++i) ramp.data.push_back(static_cast<int16_t>((i % 50) * 1024 - 25600));
  ramp.loopType = 1;
  ramp.loopLength = 200;
  a.volume.on = true;
  a.volume.points = {{0, 64}, {20, 40}, {60, 0}};
  XmInstrument b;
  XmSample& tone = b.samples.emplace_back();
  for (int i = 0; i < 3000; ++i) tone.data.push_back(static_cast<int16_t>((i * 37 % 200 - 100) * 200));
  s.instruments = {a, b};
  return s;
}

Bytes Cut(Bytes b, size_t at) {
  b.resize(at);
  return b;
}
Bytes Insert(Bytes b, size_t at, size_t count) {
  b.insert(b.begin() + static_cast<long>(at), count, 0);
  return b;
}

// The instruments (each with its samples) moved before the patterns, as the
// 1.02 and 1.03 layouts store them; in 1.02 a pattern header is 8 bytes with
// the row count in one byte, less one.
Bytes OlderLayout(const Bytes& b, int version) {
  const Layout l = Find(b);
  Bytes out(b.begin(), b.begin() + static_cast<long>(l.patterns[0]));
  out.insert(out.end(), b.begin() + static_cast<long>(l.instruments[0]),
             b.begin() + static_cast<long>(l.end));
  for (size_t p : l.patterns) {
    const size_t packed = b[p + 7] | b[p + 8] << 8;
    if (version == 0x0102) {
      const uint8_t header[8] = {8, 0, 0, 0, 0, static_cast<uint8_t>(b[p + 5] - 1), b[p + 7],
                                 b[p + 8]};
      out.insert(out.end(), header, header + 8);
      out.insert(out.end(), b.begin() + static_cast<long>(p + 9),
                 b.begin() + static_cast<long>(p + 9 + packed));
    } else {
      out.insert(out.end(), b.begin() + static_cast<long>(p),
                 b.begin() + static_cast<long>(p + 9 + packed));
    }
  }
  PutLe16(out, 58, static_cast<uint16_t>(version));
  return out;
}

// The first instrument's 8-bit sample stored 4-bit ADPCM-packed: its deltas
// all come from a table of 16, so the packing loses nothing.
Bytes AdpcmSample(const XmSong& base) {
  XmSong s = base;
  const int8_t table[16] = {0, 4, 8, 12, 16, -4, -8, -12, -16, 1, -1, 2, -2, 24, -24, 3};
  std::vector<int16_t>& data = s.instruments[0].samples[0].data;
  uint8_t value = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    value = static_cast<uint8_t>(value + table[i * 7 % 16]);
    data[i] = static_cast<int16_t>(static_cast<int8_t>(value) * 256);
  }
  Bytes b = WriteXm(s);
  const Layout l = Find(b);
  const size_t header = l.instruments[0] + Le32At(b, l.instruments[0]);
  const size_t dataAt = header + 40;
  const size_t length = data.size();
  Bytes packed(table, table + 16);
  for (size_t i = 0; i < length; i += 2) {
    const uint8_t low = static_cast<uint8_t>(i * 7 % 16);
    const uint8_t high = i + 1 < length ? static_cast<uint8_t>((i + 1) * 7 % 16) : 0;
    packed.push_back(static_cast<uint8_t>(low | high << 4));
  }
  b[header + 17] = 0xAD;  // the reserved byte marks the packing
  b.erase(b.begin() + static_cast<long>(dataAt), b.begin() + static_cast<long>(dataAt + length));
  b.insert(b.begin() + static_cast<long>(dataAt), packed.begin(), packed.end());
  return b;
}

// The second instrument with 16 one-shot samples, and a 17th that only a
// tracker beyond the format's own limit writes: its header and data are
// read past.
Bytes SeventeenSamples(const XmSong& base) {
  XmSong s = base;
  XmInstrument& in = s.instruments[1];
  while (in.samples.size() < 16) in.samples.push_back(in.samples[0]);
  Bytes b = WriteXm(s);
  const Layout l = Find(b);
  const size_t headers = l.instruments[1] + Le32At(b, l.instruments[1]);
  Bytes extra(b.begin() + static_cast<long>(headers), b.begin() + static_cast<long>(headers + 40));
  PutLe32(extra, 0, 600);  // 600 bytes of data
  b.insert(b.begin() + static_cast<long>(l.end), 600, 0x11);
  b.insert(b.begin() + static_cast<long>(headers + 16 * 40), extra.begin(), extra.end());
  PutLe16(b, l.instruments[1] + 27, 17);
  return b;
}

// What the edited file's playback is compared with.
enum class Compare {
  kReference,  // libopenmpt's playback of the same bytes: rows and levels
  kOriginal,   // our playback of the unedited song: the same rows and sound
  kNothing,    // a file cut so short that nothing of it sounds
};

struct Case {
  const char* name;
  std::function<Bytes(const Bytes&)> edit;
  std::function<bool(const SongLoadNotes&)> noted;  // what the load must report
  Compare compare = Compare::kReference;
};

const XmSong kSong = TestSong();

std::vector<Case> Cases() {
  return {
      {"PatternHeaderOf272Bytes",
       [](const Bytes& b) {
         const size_t p = Find(b).patterns[1];
         Bytes out = Insert(b, p + 9, 263);
         PutLe32(out, p, 272);
         return out;
       },
       [](const SongLoadNotes& n) { return n.headerSizes == 1; }},
      {"InstrumentHeaderOf300Bytes",
       [](const Bytes& b) {
         const size_t i = Find(b).instruments[1];
         Bytes out = Insert(b, i + 263, 37);
         PutLe32(out, i, 300);
         return out;
       },
       [](const SongLoadNotes& n) { return n.headerSizes == 1; }},
      {"SampleHeaderSizeZero",
       [](Bytes b) {
         PutLe32(b, Find(b).instruments[0] + 29, 0);
         return b;
       },
       [](const SongLoadNotes& n) { return n.headerSizes == 0; }},
      {"TrailingInstrumentLeftOut",
       [](const Bytes& b) { return Cut(b, Find(b).instruments[1]); },
       [](const SongLoadNotes& n) { return n.missingInstruments == 1 && n.CutShort(); }},
      {"CutInsideTheLastSample",
       [](const Bytes& b) { return Cut(b, b.size() - 2000); },
       [](const SongLoadNotes& n) { return n.cutSamples == 1 && n.missingInstruments == 0; }},
      {"CutInsideAPattern",
       [](const Bytes& b) { return Cut(b, Find(b).patterns[1] + 20); },
       [](const SongLoadNotes& n) { return n.cutPattern == 1 && n.missingInstruments == 2; },
       Compare::kNothing},
      {"EnvelopeOutOfRange",
       [](Bytes b) {
         const size_t i = Find(b).instruments[0];
         b[i + 33 + 96 + 2] = 90;  // the first point's value, above 64
         b[i + 33 + 96 + 96 + 2] = 7;  // sustain at point 7 of 3
         b[i + 33 + 96 + 96 + 8] |= 2;
         return b;
       },
       [](const SongLoadNotes& n) { return n.clampedEnvelopes == 1; }},
      {"LoopPastTheSampleEnd",
       [](Bytes b) {
         const Layout l = Find(b);
         PutLe32(b, l.instruments[0] + 263 + 8, 5000);
         return b;
       },
       [](const SongLoadNotes& n) { return n.clampedLoops == 1; }},
      {"NotePastTheTable",
       [](Bytes b) {
         const Layout l = Find(b);
         b[l.instruments[1] + 263 + 16] = 80;  // relative note +80
         return b;
       },
       [](const SongLoadNotes& n) { return n.notesOutOfRange > 0; }},
      {"Layout103", [](const Bytes& b) { return OlderLayout(b, 0x0103); },
       [](const SongLoadNotes& n) { return n.version == 0x0103; }, Compare::kOriginal},
      {"Layout102", [](const Bytes& b) { return OlderLayout(b, 0x0102); },
       [](const SongLoadNotes& n) { return n.version == 0x0102 && n.headerSizes == 0; },
       Compare::kOriginal},
      {"SeventeenSamples", [](const Bytes&) { return SeventeenSamples(kSong); },
       [](const SongLoadNotes& n) { return n.extraSamples == 1; }},
      {"AdpcmSample", [](const Bytes&) { return AdpcmSample(kSong); },
       [](const SongLoadNotes& n) { return n.adpcmSamples == 1; }},
  };
}

Song* LoadTolerant(const Bytes& b, SongLoadNotes* notes) {
  FSOUND_File_ServeMemory({b.data(), b.size()});
  Song* song = FMUSIC_LoadSongTolerant("memory", notes);
  FSOUND_File_ServeMemory({});
  return song;
}

class Tolerated : public testing::TestWithParam<Case> {};

TEST_P(Tolerated, LoadsSaysSoAndPlaysLikeTheReference) {
  const Case& c = GetParam();
  const Bytes bytes = c.edit(WriteXm(kSong));
  SongLoadNotes notes;
  Song* song = LoadTolerant(bytes, &notes);
  ASSERT_NE(song, nullptr) << notes.refusal;
  FMUSIC_FreeSong(song);
  EXPECT_TRUE(c.noted(notes)) << notes.Summary();

  if (c.compare == Compare::kNothing) return;
  reference::Rendering ours, theirs;
  std::string error;
  ASSERT_TRUE(reference::RenderWithPlayer(bytes, &kCompleteRules, ours, error)) << error;
  if (c.compare == Compare::kOriginal) {
    ASSERT_TRUE(reference::RenderWithPlayer(WriteXm(kSong), &kCompleteRules, theirs, error));
    EXPECT_EQ(ours.mono, theirs.mono);
  } else {
    ASSERT_TRUE(reference::RenderWithLibopenmpt(bytes, theirs, error)) << error;
    EXPECT_GT(reference::Correlation(reference::RowRms(ours), reference::RowRms(theirs)), 0.9);
  }
  EXPECT_EQ(reference::RowSequence(ours), reference::RowSequence(theirs));
}

INSTANTIATE_TEST_SUITE_P(Edits, Tolerated, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

// Every length of the file: a song or a clean refusal, never a read outside
// what was loaded (the sanitizers watch).
TEST(ToleratedHostile, EveryLengthLoadsBoundedOrFails) {
  const Bytes whole = WriteXm(kSong);
  for (size_t n = 0; n < whole.size(); n += n < 400 ? 1 : 97) {
    const Bytes cut = Cut(whole, n);
    SongLoadNotes notes;
    Song* song = LoadTolerant(cut, &notes);
    if (song == nullptr) {
      EXPECT_FALSE(notes.refusal.empty()) << n;
    }
    FMUSIC_FreeSong(song);
  }
}

// Absurd values in every size and count field of the headers.
TEST(ToleratedHostile, AbsurdSizesLoadBoundedOrFail) {
  const Bytes whole = WriteXm(kSong);
  const Layout l = Find(whole);
  std::vector<size_t> fields = {60, 64, 66, 68, 70, 72};
  for (size_t p : l.patterns) fields.insert(fields.end(), {p, p + 5, p + 7});
  for (size_t i : l.instruments)
    fields.insert(fields.end(), {i, i + 27, i + 29, i + 263, i + 267, i + 271});
  for (size_t at : fields) {
    for (uint32_t value : {0u, 1u, 0x7FFFu, 0xFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
      Bytes b = whole;
      PutLe32(b, at, value);
      SongLoadNotes notes;
      Song* song = LoadTolerant(b, &notes);
      if (song == nullptr) {
        EXPECT_FALSE(notes.refusal.empty()) << at << " " << value;
      }
      FMUSIC_FreeSong(song);
    }
  }
}

}  // namespace

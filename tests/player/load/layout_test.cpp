// The loader's read sequence: a full file with real seeks and the compact
// stream of exactly the bytes the loader read (seeks ignored) give the same
// song; header fields, order-list padding, cell unpacking and the
// sample-load callback.
#include <gtest/gtest.h>

#include <cstring>

#include "loader_checks.h"
#include "player/load/file.h"
#include "player/load/loader.h"
#include "player/load/memory_file.h"
#include "player/output/output.h"
#include "song_fixture.h"

namespace songtest {
namespace {

// Bytes the compact stream of a song holds: the header fields, each pattern's
// 9-byte header and packed data, each instrument's size and count, and for
// instruments with samples the 212-byte rest of the header, 17 bytes per
// sample header and the sample data.
size_t CompactSize(const XmSong& s, const std::vector<uint8_t>& full) {
  size_t size = 17 + 4 + 8 + 264;
  size_t at = 336;
  for (size_t p = 0; p < s.patterns.size(); ++p) {
    const size_t packed = full[at + 7] | full[at + 8] << 8;
    size += 9 + packed;
    at += 9 + packed;
  }
  for (const XmInstrument& in : s.instruments) {
    size += 6;
    if (in.samples.empty()) continue;
    size += 212;
    for (const XmSample& smp : in.samples) size += 17 + smp.data.size() * (smp.sixteenBit ? 2 : 1);
  }
  return size;
}

TEST(LoaderLayout, CompactStreamOfRecordedReadsLoadsIdentically) {
  const XmSong xm = RichSong();
  const std::vector<uint8_t> full = WriteXm(xm);
  std::vector<uint8_t> compact;
  SongPtr fromFull(Load(full, {Layout::kFull, &compact, nullptr}));
  ASSERT_TRUE(fromFull);
  EXPECT_EQ(compact.size(), CompactSize(xm, full));
  // The stream begins with the signature and the header size, then the counts.
  EXPECT_EQ(std::memcmp(compact.data(), "Extended Module: ", 17), 0);
  EXPECT_EQ(compact[17] | compact[18] << 8, 276);
  EXPECT_EQ(compact[25], 3);  // channel count

  std::vector<uint8_t> reread;
  SongPtr fromCompact(Load(compact, {Layout::kCompact, &reread, nullptr}));
  ASSERT_TRUE(fromCompact);
  EXPECT_EQ(reread, compact) << "the compact stream is consumed exactly, in order";
  ExpectSongsEqual(*fromFull, *fromCompact);
}

TEST(LoaderLayout, HeaderFieldsAndPlaybackHooks) {
  SongPtr song(Load(RichSong()));
  ASSERT_TRUE(song);
  EXPECT_EQ(song->songLength, 3);
  EXPECT_EQ(song->restartPosition, 1);
  EXPECT_EQ(song->channelCount, 3);
  EXPECT_EQ(song->instrumentCount, 2);
  EXPECT_EQ(song->flags, SONG_FLAG_LINEAR);
  EXPECT_EQ(song->defaultSpeed, 4);
  EXPECT_EQ(song->defaultBPM, 140);
  EXPECT_EQ(song->defaultGlobalVolume, 64);
  EXPECT_EQ(song->tickOperation, &FMUSIC_UpdateXM);
  EXPECT_EQ(song->patternsUsed, 2);
  EXPECT_EQ(song->patternCount, 2);
  EXPECT_EQ(song->orderTable[0], 1);
  EXPECT_EQ(song->orderTable[3], 0);
  const SongInstrument& a = song->instruments[0];
  EXPECT_EQ(a.fadeout, 600);  // twice the file's value
  EXPECT_EQ(a.volumeType, ENVELOPE_ON | ENVELOPE_SUSTAIN);
  EXPECT_EQ(a.panType, ENVELOPE_ON | ENVELOPE_LOOP);
  EXPECT_EQ(a.volumeEnvelope[1].x, 8);
  EXPECT_EQ(a.volumeEnvelope[1].y, 40);
  EXPECT_EQ(a.panLoopEnd, 2);
  EXPECT_EQ(a.vibratoRate, 40);
  EXPECT_EQ(a.noteToSample[48], 1);
  EXPECT_EQ(a.sampleCount, 2);
  EXPECT_EQ(a.samples[2], &FMUSIC_DummySample);
  const SongInstrument& empty = song->instruments[1];
  EXPECT_EQ(empty.sampleCount, 0);
  for (SongSample* s : empty.samples) EXPECT_EQ(s, &FMUSIC_DummySample);
}

TEST(LoaderLayout, FadeoutIsDoubledAndHeldAtTheFieldsTop) {
  XmSong xm = BasicSong(1, 4);
  xm.instruments.push_back(xm.instruments[0]);
  xm.instruments[0].fadeout = 4095;
  xm.instruments[1].fadeout = 40000;  // doubled it would not fit 16 bits
  SongPtr song(Load(xm));
  ASSERT_TRUE(song);
  EXPECT_EQ(song->instruments[0].fadeout, 8190);
  EXPECT_EQ(song->instruments[1].fadeout, 65535);
}

TEST(LoaderLayout, OrderListBeyondFilePatternsPadsWithEmptyPatterns) {
  XmSong xm = BasicSong(2, 16);
  for (int p = 1; p < 8; ++p) xm.AddPattern(32);
  xm.orders = {0, 9, 3};
  SongPtr song(Load(xm));
  ASSERT_TRUE(song);
  EXPECT_EQ(song->patternsUsed, 10);
  EXPECT_EQ(song->patternCount, 10);
  EXPECT_EQ(song->patterns[3].rows, 32);
  for (int p : {8, 9}) {
    EXPECT_EQ(song->patterns[p].rows, 64) << p;
    EXPECT_EQ(song->patterns[p].cells, nullptr) << p;
  }
}

TEST(LoaderLayout, CellUnpacking) {
  XmSong xm = BasicSong(2, 4);
  XmPattern& p = xm.patterns[0];
  p.At(0, 0, 2) = {97, 0x85, 0x20, 1, 2};  // all present: stored unpacked
  p.At(0, 1, 2) = {0, 0, 0, 0x0C, 0};      // mask byte with effect only
  p.At(1, 0, 2) = {12, 1, 0, 0, 0x33};     // mask: note, instrument, parameter
  SongPtr song(Load(xm));
  ASSERT_TRUE(song);
  const NoteCell* c = song->patterns[0].cells;
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c[0].note, NOTE_KEYOFF);  // 97 becomes key off
  EXPECT_EQ(c[0].instrument, 0);      // above 0x80: no instrument
  EXPECT_EQ(c[0].volume, 0x20);
  EXPECT_EQ(c[0].effect, 1);
  EXPECT_EQ(c[0].parameter, 2);
  EXPECT_EQ(c[1].effect, 0x0C);
  EXPECT_EQ(c[1].note, 0);
  EXPECT_EQ(c[2].note, 12);
  EXPECT_EQ(c[2].instrument, 1);
  EXPECT_EQ(c[2].volume, 0);
  EXPECT_EQ(c[2].parameter, 0x33);
  for (int k = 3; k < 8; ++k) {  // lone 0x80 bytes: all-zero cells
    const NoteCell& e = c[k];
    EXPECT_EQ(e.note | e.instrument | e.volume | e.effect | e.parameter, 0) << k;
  }
}

TEST(LoaderLayout, EmptyPatternAndEmptyInstrumentReadOnlyTheirHeaders) {
  XmSong xm = BasicSong(4, 64);
  xm.instruments.insert(xm.instruments.begin(), XmInstrument{});  // no samples
  std::vector<uint8_t> compact;
  SongPtr song(Load(xm, {Layout::kFull, &compact, nullptr}));
  ASSERT_TRUE(song);
  EXPECT_EQ(song->patterns[0].rows, 64);
  EXPECT_EQ(song->patterns[0].cells, nullptr);
  // header 293, pattern header 9, empty instrument 6, instrument with one
  // 64-value 16-bit sample 6 + 212 + 17 + 128.
  EXPECT_EQ(compact.size(), 293u + 9u + 6u + 6u + 212u + 17u + 128u);
  SongPtr again(Load(compact, {Layout::kCompact, nullptr, nullptr}));
  ASSERT_TRUE(again);
  ExpectSongsEqual(*song, *again);
}

struct Delivery {
  int bytes, bits, instrument, sample;
};
std::vector<Delivery> gDeliveries;

void DeliverRamp(void* buffer, int bytes, int bits, int instrument, int sample) {
  gDeliveries.push_back({bytes, bits, instrument, sample});
  auto* b = static_cast<uint8_t*>(buffer);
  for (int i = 0; i < bytes; ++i) b[i] = static_cast<uint8_t>(i + 1);
}

TEST(LoaderLayout, SampleLoadCallbackDeliversUndecodedData) {
  XmSong xm = RichSong();
  gDeliveries.clear();
  std::vector<uint8_t> compact;
  SongPtr song(Load(xm, {Layout::kFull, &compact, DeliverRamp}));
  ASSERT_TRUE(song);
  ASSERT_EQ(gDeliveries.size(), 2u);
  EXPECT_EQ(gDeliveries[0].bytes, 200);
  EXPECT_EQ(gDeliveries[0].bits, 16);
  EXPECT_EQ(gDeliveries[1].bytes, 40);
  EXPECT_EQ(gDeliveries[1].bits, 8);
  EXPECT_EQ(gDeliveries[1].instrument, 0);
  EXPECT_EQ(gDeliveries[1].sample, 1);
  // The sample bytes were skipped by seeking, not read.
  const size_t full = compact.size();
  EXPECT_EQ(full, CompactSize(xm, WriteXm(xm)) - 240);
  // 8-bit bytes 1, 2, 3 … widened without delta decoding.
  const SongSample& s8 = *song->instruments[0].samples[1];
  EXPECT_EQ(s8.bits, 16);
  EXPECT_EQ(s8.data[0], 256);
  EXPECT_EQ(s8.data[1], 512);
  EXPECT_EQ(s8.data[2], 768);
  // 16-bit: the delivered bytes are the values as they stand.
  const SongSample& s16 = *song->instruments[0].samples[0];
  int16_t first;
  const uint8_t pair[2] = {1, 2};
  std::memcpy(&first, pair, 2);
  EXPECT_EQ(s16.data[0], first);
}

TEST(LoaderLayout, LoadSongFailsWithoutFileOrCallbacks) {
  FSOUND_File_ServeMemory({});  // the open callback fails
  EXPECT_EQ(FMUSIC_LoadSong("no such file", nullptr), nullptr);
  FSOUND_File_SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(FMUSIC_LoadSong("memory", nullptr), nullptr);
  EXPECT_FALSE(FMUSIC_FreeSong(nullptr));
}

}  // namespace
}  // namespace songtest

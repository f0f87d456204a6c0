// Test support: file and memory loads of the show's song and their comparison.
#include "song_loading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "file.h"
#include "recorder.h"
#include "song_data.h"

SongPtr LoadSongFile(const std::string& path) {
  LoadRecording recording;
  return SongPtr(LoadSongRecorded(path, &recording));
}

namespace {

struct Stream {
  long long position = 0;
  int tellIndex = 0;
  StreamUse* use = nullptr;
};
Stream stream;

unsigned int StreamOpen(const char*) {
  stream.position = 0;
  return 0x0FFFFFFF;
}
void StreamClose(unsigned int) {}
int StreamRead(void* buffer, int size, unsigned int) {
  // Bounded here (the show's own callback trusts the stream), so that a
  // stream too short for the loader shows up as a failed comparison rather
  // than as a read past the array.
  long long left = static_cast<long long>(musDataSize) - stream.position;
  int count = static_cast<int>(std::clamp<long long>(size, 0, std::max(0LL, left)));
  if (count > 0) std::memcpy(buffer, musData + stream.position, static_cast<size_t>(count));
  stream.position += size;
  stream.use->bytesRead += size;
  return count;
}
int StreamSeek(unsigned int, int, signed char) {
  ++stream.use->seekCalls;
  return 0;
}
int StreamTell(unsigned int) {
  ++stream.use->tellCalls;
  stream.use->tellPositions.push_back(stream.position);
  if (stream.tellIndex >= musTellCount) return 0;
  return musTell[stream.tellIndex++];
}

void ExpectSameSample(const SongSample& a, const SongSample& b, int i, int j) {
  SCOPED_TRACE(testing::Message() << "instrument " << i << " sample " << j);
  EXPECT_EQ(a.length, b.length);
  EXPECT_EQ(a.loopStart, b.loopStart);
  EXPECT_EQ(a.loopLength, b.loopLength);
  EXPECT_EQ(a.volume, b.volume);
  EXPECT_EQ(a.finetune, b.finetune);
  EXPECT_EQ(a.pan, b.pan);
  EXPECT_EQ(a.bits, b.bits);
  EXPECT_EQ(a.loopMode, b.loopMode);
  EXPECT_EQ(a.relativeNote, b.relativeNote);
  ASSERT_EQ(a.data == nullptr, b.data == nullptr);
  if (a.data != nullptr && a.length == b.length) {
    size_t bytes = (a.length + SAMPLE_SPARE_VALUES) * sizeof(int16_t);
    EXPECT_EQ(std::memcmp(a.data, b.data, bytes), 0);
  }
}

void ExpectSameInstrument(const SongInstrument& a, const SongInstrument& b, int i) {
  SCOPED_TRACE(testing::Message() << "instrument " << i);
  ASSERT_EQ(a.sampleCount, b.sampleCount);
  EXPECT_EQ(std::memcmp(a.noteToSample, b.noteToSample, sizeof a.noteToSample), 0);
  EXPECT_EQ(std::memcmp(a.volumeEnvelope, b.volumeEnvelope, sizeof a.volumeEnvelope), 0);
  EXPECT_EQ(std::memcmp(a.panEnvelope, b.panEnvelope, sizeof a.panEnvelope), 0);
  EXPECT_EQ(a.volumePoints, b.volumePoints);
  EXPECT_EQ(a.panPoints, b.panPoints);
  EXPECT_EQ(a.volumeSustain, b.volumeSustain);
  EXPECT_EQ(a.volumeLoopStart, b.volumeLoopStart);
  EXPECT_EQ(a.volumeLoopEnd, b.volumeLoopEnd);
  EXPECT_EQ(a.panSustain, b.panSustain);
  EXPECT_EQ(a.panLoopStart, b.panLoopStart);
  EXPECT_EQ(a.panLoopEnd, b.panLoopEnd);
  EXPECT_EQ(a.volumeType, b.volumeType);
  EXPECT_EQ(a.panType, b.panType);
  EXPECT_EQ(a.vibratoType, b.vibratoType);
  EXPECT_EQ(a.vibratoSweep, b.vibratoSweep);
  EXPECT_EQ(a.vibratoDepth, b.vibratoDepth);
  EXPECT_EQ(a.vibratoRate, b.vibratoRate);
  EXPECT_EQ(a.fadeout, b.fadeout);
  for (int j = 0; j < MAX_SAMPLES_PER_INSTRUMENT; ++j) {
    bool dummyA = a.samples[j] == &FMUSIC_DummySample;
    bool dummyB = b.samples[j] == &FMUSIC_DummySample;
    ASSERT_EQ(dummyA, dummyB) << "sample slot " << j;
    if (!dummyA) ExpectSameSample(*a.samples[j], *b.samples[j], i, j);
  }
}

}  // namespace

SongPtr LoadEmbeddedSong(StreamUse* use) {
  *use = StreamUse{};
  stream = Stream{0, 0, use};
  FSOUND_File_SetCallbacks(StreamOpen, StreamClose, StreamRead, StreamSeek, StreamTell);
  return SongPtr(FMUSIC_LoadSong("", nullptr));
}

void ExpectSameSong(const Song& a, const Song& b) {
  EXPECT_EQ(a.songLength, b.songLength);
  EXPECT_EQ(a.restartPosition, b.restartPosition);
  EXPECT_EQ(a.channelCount, b.channelCount);
  EXPECT_EQ(a.patternsUsed, b.patternsUsed);
  EXPECT_EQ(a.instrumentCount, b.instrumentCount);
  EXPECT_EQ(a.flags, b.flags);
  EXPECT_EQ(a.defaultSpeed, b.defaultSpeed);
  EXPECT_EQ(a.defaultBPM, b.defaultBPM);
  EXPECT_EQ(a.defaultGlobalVolume, b.defaultGlobalVolume);
  EXPECT_EQ(std::memcmp(a.orderTable, b.orderTable, sizeof a.orderTable), 0);
  ASSERT_EQ(a.patternCount, b.patternCount);
  for (int p = 0; p < a.patternCount; ++p) {
    SCOPED_TRACE(testing::Message() << "pattern " << p);
    ASSERT_EQ(a.patterns[p].rows, b.patterns[p].rows);
    ASSERT_EQ(a.patterns[p].cells == nullptr, b.patterns[p].cells == nullptr);
    if (a.patterns[p].cells == nullptr) continue;
    size_t bytes = sizeof(NoteCell) * a.patterns[p].rows * a.channelCount;
    EXPECT_EQ(std::memcmp(a.patterns[p].cells, b.patterns[p].cells, bytes), 0);
  }
  ASSERT_EQ(a.instrumentCount, b.instrumentCount);
  for (int i = 0; i < a.instrumentCount; ++i) {
    ExpectSameInstrument(a.instruments[i], b.instruments[i], i);
  }
}

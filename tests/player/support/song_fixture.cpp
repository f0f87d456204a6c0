// Memory-served songs and a device-free playback start for the player tests.
#include "song_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "file.h"
#include "output.h"
#include "wave_out.h"

namespace songtest {

namespace {

struct MemoryFile {
  const std::vector<uint8_t>* bytes = nullptr;
  size_t position = 0;
  bool seekable = true;
  std::vector<uint8_t>* record = nullptr;
};

// One file at a time: the loader opens exactly one per load.
MemoryFile gFile;
constexpr unsigned int kHandle = 7;

unsigned int Open(const char* name) {
  return gFile.bytes && std::strcmp(name, "memory") == 0 ? kHandle : 0;
}

void Close(unsigned int) {}

int Read(void* buffer, int size, unsigned int handle) {
  if (handle != kHandle || size <= 0) return 0;
  const size_t left = gFile.bytes->size() - std::min(gFile.position, gFile.bytes->size());
  const size_t n = std::min(static_cast<size_t>(size), left);
  if (n == 0) return 0;
  const uint8_t* from = gFile.bytes->data() + gFile.position;
  std::memcpy(buffer, from, n);
  if (gFile.record) gFile.record->insert(gFile.record->end(), from, from + n);
  gFile.position += n;
  return static_cast<int>(n);
}

int Seek(unsigned int handle, int pos, signed char mode) {
  if (handle != kHandle || !gFile.seekable) return 0;
  const int64_t base = mode == 1 ? static_cast<int64_t>(gFile.position) : 0;
  gFile.position = static_cast<size_t>(
      std::clamp<int64_t>(base + pos, 0, static_cast<int64_t>(gFile.bytes->size())));
  return 0;
}

int Tell(unsigned int handle) {
  return handle == kHandle ? static_cast<int>(gFile.position) : 0;
}

}  // namespace

void InstallMemoryCallbacks() {
  FSOUND_File_SetCallbacks(Open, Close, Read, Seek, Tell);
}

Song* Load(const std::vector<uint8_t>& bytes, const LoadOptions& options) {
  InstallMemoryCallbacks();
  gFile = {&bytes, 0, options.layout == Layout::kFull, options.record};
  Song* song = FMUSIC_LoadSong("memory", options.sampleLoad);
  gFile = {};
  return song;
}

Song* Load(const XmSong& song, const LoadOptions& options) {
  return Load(WriteXm(song), options);
}

bool StartPlayback(Song* song, int mixRate) {
  // The player's own start-up: the output opened at the rate on a virtual
  // device that nobody advances, then the start state of FMUSIC_PlaySong.
  FSOUND_SetWaveOutFactory(&FSOUND_CreateVirtualWaveOut);
  const bool opened = FSOUND_Init(mixRate, 0);
  FSOUND_SetWaveOutFactory(nullptr);
  return opened && FMUSIC_SetStartState(song);
}

XmSong BasicSong(int channels, int rows) {
  XmSong s;
  s.channels = channels;
  s.orders = {0};
  s.AddPattern(rows);
  XmInstrument& in = s.instruments.emplace_back();
  XmSample& smp = in.samples.emplace_back();
  for (int i = 0; i < 64; ++i) smp.data.push_back(static_cast<int16_t>(i * 512 - 16384));
  smp.loopType = 1;
  smp.loopStart = 0;
  smp.loopLength = 64;
  return s;
}

Player::Player(const XmSong& xm, int mixRate, EffectSet set) : song_(Load(xm)) {
  if (!song_) return;
  FMUSIC_SetEffectSet(song_.get(), set);
  if (!StartPlayback(song_.get(), mixRate)) song_.reset();
}

double VoiceFrequency(const MixChannel& voice, int mixRate) {
  return (voice.stepInteger + voice.stepFraction / 4294967296.0) * mixRate;
}

}  // namespace songtest

// Memory-served songs and a device-free playback start for the player tests.
#include "song_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "file.h"
#include "output.h"

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

void StartPlayback(Song* song, int mixRate) {
  FSOUND_MixRate = mixRate;
  mix_volumerampsteps = mixRate * 128 / 44100;
  mix_1overvolumerampsteps = 1.0f / static_cast<float>(mix_volumerampsteps);
  for (int v = 0; v < MIX_VOICES; ++v) {
    FSOUND_Channel[v] = {};
    FSOUND_Channel[v].index = v;
    FSOUND_Channel[v].stepInteger = 1;
  }
  song->nextOrder = song->nextRow = -1;
  song->order = song->row = song->tick = 0;
  song->samplesLeftInTick = 0;
  song->time = 0;
  song->globalVolume = song->defaultGlobalVolume;
  song->speed = song->defaultSpeed;
  FMUSIC_SetBPM(song, song->defaultBPM);
  FMUSIC_ResetEffectState(song);
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    FMUSIC_Channel[c] = {};
    FMUSIC_Channel[c].voice = &FSOUND_Channel[c];
  }
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
  StartPlayback(song_.get(), mixRate);
}

double VoiceFrequency(const MixChannel& voice, int mixRate) {
  return (voice.stepInteger + voice.stepFraction / 4294967296.0) * mixRate;
}

}  // namespace songtest

// Memory-served songs and a device-free playback start for the player tests.
#include "song_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "player/load/loader.h"
#include "player/load/memory_file.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "player/play/rules.h"
#include "player/play/sequencer.h"

namespace songtest {

Song* Load(const std::vector<uint8_t>& bytes, const LoadOptions& options) {
  FSOUND_File_ServeMemory(
      {bytes.data(), bytes.size(), options.layout == Layout::kFull, options.record});
  Song* song = FMUSIC_LoadSong("memory", options.sampleLoad);
  FSOUND_File_ServeMemory({});
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

Player::Player(const XmSong& xm, int mixRate, const PlayRules* rules) : song_(Load(xm)) {
  if (!song_) return;
  FMUSIC_SetPlayRules(song_.get(), rules);
  if (!StartPlayback(song_.get(), mixRate)) song_.reset();
}

double VoiceFrequency(const MixChannel& voice, int mixRate) {
  return (voice.stepInteger + voice.stepFraction / 4294967296.0) * mixRate;
}

}  // namespace songtest

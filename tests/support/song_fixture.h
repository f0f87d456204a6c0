// Test support for the song side of the player: songs built in code with the
// XM writer, served to the loader from memory through the file callbacks
// (seekable full files or compact streams whose seeks do nothing), and the
// player's own playback start without a thread, so that tests call
// FMUSIC_UpdateXM tick by tick.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "player/load/song.h"
#include "player/mix/mixer.h"
#include "player/output/output.h"
#include "player/play/rules.h"
#include "player/play/sequencer.h"
#include "xm_writer.h"

namespace songtest {

enum class Layout { kFull, kCompact };

struct LoadOptions {
  Layout layout = Layout::kFull;
  std::vector<uint8_t>* record = nullptr;  // receives every byte read, in order
  SampleLoadCallback sampleLoad = nullptr;
};

Song* Load(const std::vector<uint8_t>& bytes, const LoadOptions& options = {});
Song* Load(const XmSong& song, const LoadOptions& options = {});

struct SongDeleter {
  void operator()(Song* song) const { FMUSIC_FreeSong(song); }
};
using SongPtr = std::unique_ptr<Song, SongDeleter>;

// Playback start as the player makes it, without a thread: FSOUND_Init at
// `mixRate` on a virtual device (mix rate, ramp length, idle voices), then
// FMUSIC_SetStartState. False when either refuses.
bool StartPlayback(Song* song, int mixRate = 44100);

// A small song: `channels` channels, one pattern of `rows` rows in the order
// list, speed 6, 125 BPM, linear frequencies, one instrument whose single
// sample is a forward-looping 16-bit ramp of 64 values.
XmSong BasicSong(int channels = 1, int rows = 16);

// Loads and starts a song with the chosen effect set, ticks it, and frees it
// at the end; not loaded() when the load or the start fails.
class Player {
 public:
  explicit Player(const XmSong& xm, int mixRate = 44100, const PlayRules* rules = &kShowRules);
  Song* song() const { return song_.get(); }
  bool loaded() const { return song_ != nullptr; }
  void Tick() { FMUSIC_UpdateXM(song_.get()); }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Tick();
  }
  MusicChannel& Channel(int c) const { return FMUSIC_Channel[c]; }
  MixChannel& Voice(int c) const { return *FMUSIC_Channel[c].voice; }

 private:
  SongPtr song_;
};

// Frequency in Hz that a voice's 32.32 step stands for at the given mix rate.
double VoiceFrequency(const MixChannel& voice, int mixRate = 44100);

}  // namespace songtest

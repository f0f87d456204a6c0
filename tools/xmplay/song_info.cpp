// xmplay --info. The name and the tracker's name are the header's text
// fields, which the player does not load; everything else comes from the
// loaded song. The length is that of an offline play up to the song's end,
// the same end the other modes stop at.
#include "song_info.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "playback.h"
#include "player/load/song.h"
#include "player/load/xm_layout.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "player/play/rules.h"
#include "song_watch.h"

namespace {

constexpr double kMaxSeconds = 3600.0;  // a song still playing then is reported as endless
constexpr uint32_t kChunkFrames = 16384;

// A text field of the header: printable up to the first zero, trailing
// blanks removed.
std::string TextField(const unsigned char* bytes, size_t size) {
  std::string text;
  for (size_t i = 0; i < size && bytes[i] != 0; ++i)
    text += (bytes[i] >= 32 && bytes[i] < 127) ? static_cast<char>(bytes[i]) : '?';
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Frames played before the song ends, or -1 when it plays past kMaxSeconds.
int64_t FramesAsPlayed(Song* song) {
  SongWatch watch;
  watch.limitFrames = static_cast<int64_t>(kMaxSeconds * kMixRate);
  WatchSong(song, &watch);
  if (!FMUSIC_PlaySong(song)) return -1;
  auto& device = *static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  int64_t done = 0;
  // The fill runs a ring ahead of the device, so the end is known by the
  // time the device reaches it.
  while (watch.loopFrame.load(std::memory_order_acquire) < 0 && done < watch.limitFrames) {
    device.Advance(kChunkFrames, nullptr);
    FSOUND_Software_Poll();
    done += kChunkFrames;
  }
  FMUSIC_StopSong(song);
  return watch.loopFrame.load(std::memory_order_acquire);
}

}  // namespace

int PrintSongInfo(const Options& options, Song* song, const SongLoadNotes& notes) {
  unsigned char header[xm::kPatternCountOffset + 2] = {};
  FILE* f = std::fopen(options.file.c_str(), "rb");
  const size_t got = f ? std::fread(header, 1, sizeof header, f) : 0;
  if (f) std::fclose(f);
  if (got < sizeof header) {
    std::fprintf(stderr, "xmplay: %s: cannot read its header\n", options.file.c_str());
    return 1;
  }
  int samples = 0;
  for (int i = 0; i < song->instrumentCount; ++i) samples += song->instruments[i].sampleCount;
  const int filePatterns = header[xm::kPatternCountOffset] | header[xm::kPatternCountOffset + 1]
                                                                 << 8;
  const int64_t frames = FramesAsPlayed(song);

  std::printf("name:          %s\n", TextField(header + xm::kNameOffset, xm::kNameSize).c_str());
  std::printf("tracker:       %s\n",
              TextField(header + xm::kTrackerOffset, xm::kTrackerSize).c_str());
  std::printf("channels:      %d\n", song->channelCount);
  std::printf("orders:        %d (restart at %d)\n", song->songLength, song->restartPosition);
  std::printf("patterns:      %d\n", filePatterns);
  std::printf("instruments:   %d\n", song->instrumentCount);
  std::printf("samples:       %d\n", samples);
  std::printf("frequencies:   %s\n", (song->flags & SONG_FLAG_LINEAR) ? "linear" : "Amiga");
  std::printf("speed, tempo:  %d, %d BPM\n", song->defaultSpeed, song->defaultBPM);
  if (frames >= 0)
    std::printf("length:        %.3f s\n", static_cast<double>(frames) / kMixRate);
  else
    std::printf("length:        endless (still playing after %.0f s)\n", kMaxSeconds);
  const std::string tolerated = notes.Summary();
  std::printf("tolerated:     %s\n", tolerated.empty() ? "nothing" : tolerated.c_str());
  std::printf("effects:       %s\n",
              options.effects == &kCompleteRules ? "complete" : "show's subset");
  return 0;
}

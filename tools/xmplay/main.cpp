// xmplay: plays an XM file from disk in real time, or renders it offline to a
// WAV file or a per-tick timeline, or describes it. Exit status 0 on success,
// 1 when the file cannot be played or the output not written, 2 for a usage
// error.
#include <cstdio>
#include <optional>
#include <string>

#include "options.h"
#include "playback.h"
#include "player/load/song.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "player/play/sequencer.h"
#include "song_file.h"
#include "song_info.h"

int main(int argc, char** argv) {
  Options options;
  if (const std::optional<int> status = ParseOptions(argc, argv, options)) return *status;

  // The file is loaded and checked before the audio device opens: a bad file
  // is reported alone, before anything about the sound system.
  InstallStdioCallbacks();
  std::string error;
  SongLoadNotes notes;
  Song* song = LoadSongFile(options.file, error, &notes);
  if (song == nullptr) {
    std::fprintf(stderr, "xmplay: %s: %s\n", options.file.c_str(), error.c_str());
    return 1;
  }
  // A file cut short plays what it holds; the user hears why it stops early.
  if (notes.CutShort() && !options.info)
    std::fprintf(stderr, "xmplay: %s: the file is cut short: %s\n", options.file.c_str(),
                 notes.Summary().c_str());
  const bool offline = options.timeline || !options.wavPath.empty() || options.info;
  FSOUND_SetWaveOutFactory(offline ? &FSOUND_CreateVirtualWaveOut : nullptr);
  if (!FSOUND_Init(kMixRate, 0)) {
    std::fprintf(stderr, "xmplay: cannot open the audio output\n");
    FMUSIC_FreeSong(song);
    return 1;
  }
  FMUSIC_SetPlayRules(song, options.effects);
  const int status = options.info ? PrintSongInfo(options, song, notes)
                     : offline    ? RenderOffline(options, song)
                                  : PlayRealTime(options, song);
  FMUSIC_FreeSong(song);
  FSOUND_Close();
  return status;
}

// Frames per tick from the tempo.
#include "tempo.h"

#include <algorithm>

#include "player/mix/mixer.h"

void FMUSIC_SetBPM(Song* song, int bpm) {
  song->bpm = bpm;
  // A tempo of 0 would make the tick infinitely long; the block fill needs at
  // least one frame per tick to make progress.
  const double beats = std::max(bpm, 1) * static_cast<double>(0.4f);
  const double frames = (1000.0 / beats) * FSOUND_MixRate * static_cast<double>(0.001f);
  song->samplesPerTick = static_cast<int32_t>(std::clamp(frames, 1.0, 1e9));
}

// Test-only renders by this player and by libopenmpt; see the header.
#include "reference_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <libopenmpt/libopenmpt.hpp>

#include "player/load/loader.h"
#include "player/load/memory_file.h"
#include "player/output/output.h"
#include "player/output/wave_out.h"
#include "player/play/rules.h"
#include "player/play/sequencer.h"
#include "player/play/song_end.h"

namespace reference {

namespace {

// An hour: a song still playing then has no end to compare.
constexpr int64_t kMaxFrames = int64_t{3600} * kRate;
// libopenmpt is read in pieces this short: a row lasts at least one tick,
// several hundred frames, so no row is missed between two reads.
constexpr size_t kReadFrames = 32;

// The tick wrapper of the player side: notes the frame where each row
// starts and where the song ends.
struct Watch {
  SongEndWatch end;
  int64_t tickFrame = 0;
  int64_t endFrame = -1;
  std::vector<RowRun> rows;
};
Watch* g_watch = nullptr;

void WatchedTick(Song* song) {
  Watch& w = *g_watch;
  w.end.Starting(*song);
  const bool rowStart = FMUSIC_TickStartsRow(song);
  FMUSIC_UpdateXM(song);
  if (w.endFrame < 0) {
    if (w.end.Ended(*song)) {
      w.endFrame = w.tickFrame;
    } else if (rowStart) {
      if (!w.rows.empty() && w.rows.back().order == song->order && w.rows.back().row == song->row) {
        // the same row again at once: one run
      } else {
        w.rows.push_back({song->order, song->row, w.tickFrame, 0});
      }
    }
  }
  w.tickFrame += song->samplesPerTick;
}

void CloseRuns(std::vector<RowRun>& rows, int64_t end) {
  for (size_t i = 0; i < rows.size(); ++i)
    rows[i].frames = (i + 1 < rows.size() ? rows[i + 1].start : end) - rows[i].start;
}

}  // namespace

bool RenderWithPlayer(const std::vector<uint8_t>& xm, const PlayRules* rules, Rendering& out,
                      std::string& error) {
  out = {};
  FSOUND_File_ServeMemory({xm.data(), xm.size()});
  FSOUND_SetWaveOutFactory(&FSOUND_CreateVirtualWaveOut);
  if (!FSOUND_Init(kRate, 0)) {
    error = "FSOUND_Init failed";
    return false;
  }
  // Loaded as xmplay loads files: tolerant of what trackers tolerate.
  SongLoadNotes notes;
  Song* song = FMUSIC_LoadSongTolerant("memory", &notes);
  if (song == nullptr) {
    error = "the player does not load it: " + notes.refusal;
    FSOUND_Close();
    return false;
  }
  FMUSIC_SetPlayRules(song, rules);
  Watch watch;
  g_watch = &watch;
  song->tickOperation = &WatchedTick;
  FMUSIC_PlaySong(song);
  auto& device = *static_cast<VirtualWaveOut*>(FSOUND_GetWaveOut());
  std::vector<int16_t> pcm;
  std::vector<int16_t> chunk(2 * 16384);
  int64_t done = 0;
  // The fill runs a ring ahead of the device: the end is known before the
  // output reaches it.
  while ((watch.endFrame < 0 || done < watch.endFrame) && done < kMaxFrames) {
    device.Advance(16384, chunk.data());
    FSOUND_Software_Poll();
    pcm.insert(pcm.end(), chunk.begin(), chunk.end());
    done += 16384;
  }
  FMUSIC_FreeSong(song);
  FSOUND_Close();
  FSOUND_SetWaveOutFactory(nullptr);
  g_watch = nullptr;
  const int64_t end = watch.endFrame >= 0 ? watch.endFrame : done;
  out.rows = std::move(watch.rows);
  CloseRuns(out.rows, end);
  out.mono.resize(static_cast<size_t>(end));
  for (int64_t i = 0; i < end; ++i) out.mono[i] = 0.5f * (pcm[2 * i] + pcm[2 * i + 1]) / 32768.0f;
  return true;
}

bool RenderWithLibopenmpt(const std::vector<uint8_t>& xm, Rendering& out, std::string& error) {
  out = {};
  try {
    openmpt::module m(xm);
    m.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 2);
    m.set_repeat_count(0);
    std::vector<float> left(kReadFrames), right(kReadFrames);
    int64_t done = 0;
    while (done < kMaxFrames) {
      // The position after a read is that of the frames just rendered.
      const size_t n = m.read(kRate, kReadFrames, left.data(), right.data());
      if (n == 0) break;
      const int order = m.get_current_order(), row = m.get_current_row();
      if (out.rows.empty() || out.rows.back().order != order || out.rows.back().row != row)
        out.rows.push_back({order, row, done, 0});
      for (size_t i = 0; i < n; ++i) out.mono.push_back(0.5f * (left[i] + right[i]));
      done += static_cast<int64_t>(n);
    }
    // libopenmpt renders a short tail after the song's end, reported at the
    // row it would go on at, which has been played before: the song ends
    // where that run starts.
    int64_t end = done;
    if (out.rows.size() > 1) {
      const RowRun& last = out.rows.back();
      const bool seen = std::any_of(out.rows.begin(), out.rows.end() - 1, [&](const RowRun& r) {
        return r.order == last.order && r.row == last.row;
      });
      if (seen) {
        end = last.start;
        out.rows.pop_back();
      }
    }
    CloseRuns(out.rows, end);
    out.mono.resize(static_cast<size_t>(end));
  } catch (const std::exception& e) {
    error = std::string("libopenmpt: ") + e.what();
    return false;
  }
  return true;
}

std::string RowSequence(const Rendering& r) {
  std::string s;
  for (const RowRun& run : r.rows) {
    if (!s.empty()) s += ' ';
    s += std::to_string(run.order) + "." + std::to_string(run.row);
  }
  return s;
}

namespace {
double Rms(const std::vector<float>& x, int64_t start, int64_t frames) {
  double sum = 0;
  const int64_t end = std::min<int64_t>(start + frames, static_cast<int64_t>(x.size()));
  for (int64_t i = start; i < end; ++i) sum += static_cast<double>(x[i]) * x[i];
  return end > start ? std::sqrt(sum / static_cast<double>(end - start)) : 0.0;
}
}  // namespace

std::vector<double> RowRms(const Rendering& r) {
  std::vector<double> out;
  for (const RowRun& run : r.rows) out.push_back(Rms(r.mono, run.start, run.frames));
  return out;
}

std::vector<double> WindowRms(const Rendering& r, int frames) {
  std::vector<double> out;
  for (int64_t at = 0; at + frames <= static_cast<int64_t>(r.mono.size()); at += frames)
    out.push_back(Rms(r.mono, at, frames));
  return out;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const size_t n = std::min(a.size(), b.size());
  if (n < 2) return 0.0;
  double ma = 0, mb = 0;
  for (size_t i = 0; i < n; ++i) ma += a[i], mb += b[i];
  ma /= n;
  mb /= n;
  double sab = 0, saa = 0, sbb = 0;
  for (size_t i = 0; i < n; ++i) {
    sab += (a[i] - ma) * (b[i] - mb);
    saa += (a[i] - ma) * (a[i] - ma);
    sbb += (b[i] - mb) * (b[i] - mb);
  }
  return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0.0;
}

}  // namespace reference

// The progress bar of veldraflimmer-render on stderr: the share of song rows
// played up to the stop record, redrawn in place as it grows, and at the end
// the number of frames and the rendering speed.
#pragma once
#include <chrono>

struct Song;

class RenderProgress {
 public:
  // `song` supplies the pattern lengths; `enabled` false prints nothing.
  RenderProgress(const Song* song, bool enabled);
  void Update(long frame);
  // Draws the bar full, ends its line and prints frames and frames/s.
  void Done(long frame);

 private:
  void Draw(long frame, int percent);

  const Song* song_;
  bool enabled_;
  long rowsToStop_ = 0;
  int shown_ = -1;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

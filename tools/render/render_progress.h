// The progress of veldraflimmer-render on stderr: the share of song rows
// played up to the stop record. On a terminal it is a bar redrawn in place as
// it grows; elsewhere (a log file, a pipe) a plain line at every tenth, so a
// log holds no carriage returns. At the end: the number of frames and the
// rendering speed.
#pragma once
#include <chrono>

struct Song;

class RenderProgress {
 public:
  // `song` supplies the pattern lengths; `enabled` false prints nothing;
  // `terminal` picks the bar over plain lines.
  RenderProgress(const Song* song, bool enabled, bool terminal);
  void Update(long frame);
  // Ends the progress output. When `completed`, fills the bar and prints the
  // frames and frames/s; otherwise only ends the bar's line, so that the
  // failure reported next starts a line of its own.
  void Done(long frame, bool completed);

 private:
  void Show(long frame, int percent);

  const Song* song_;
  bool enabled_;
  bool terminal_;
  long rowsToStop_ = 0;
  int shown_ = -1;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

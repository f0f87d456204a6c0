// The progress bar of veldraflimmer-render on stderr: the share of song rows
// played up to the stop record, redrawn in place a few times per second of
// rendered video.
#pragma once

struct Song;

class RenderProgress {
 public:
  // `song` supplies the pattern lengths; `enabled` false prints nothing.
  RenderProgress(const Song* song, bool enabled);
  void Update(long frame);
  // Draws the bar full and ends its line.
  void Done(long frame);

 private:
  void Draw(long frame, int percent);

  const Song* song_;
  bool enabled_;
  long rowsToStop_ = 0;
  int shown_ = -1;
};

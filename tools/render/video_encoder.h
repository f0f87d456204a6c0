// Encodes rendered frames with their sound into an MP4 through Debian's
// ffmpeg. Each frame is enlarged by a whole factor with nearest-neighbour
// sampling (hard pixel edges) and piped raw to an ffmpeg that writes the
// H.264 video to a scratch file while the show renders; Finish then muxes that
// video with the finished WAV into the output, with AAC sound. ffmpeg runs
// without a shell; what it prints goes to a log, and the first line of it is
// the reason given when it fails. Used by veldraflimmer-render only, on its
// one thread.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class VideoEncoder {
 public:
  VideoEncoder() = default;
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;
  ~VideoEncoder();

  // Checks that `outPath` can be written and starts ffmpeg for width x height
  // frames at `fps`, encoded `scale` times larger into `videoTemp`; false
  // with Error() when it cannot.
  bool Open(const std::string& outPath, const std::string& videoTemp, int width, int height,
            int fps, int scale);
  // One frame of width x height pixel words (0xWWRRGGBB; the weight is
  // ignored). False once ffmpeg takes no more; Finish then says why.
  bool Write(const uint32_t* pixels);
  // Ends the video stream and muxes it with `wavPath` into the output; false
  // with Error() when either ffmpeg run fails.
  bool Finish(const std::string& wavPath);
  // Stops the encoding without an output (after a failure elsewhere).
  void Abandon();
  // Why the last call failed, in one line.
  const std::string& Error() const { return error_; }

 private:
  bool Spawn(const std::vector<std::string>& args, int input);
  bool Wait();

  std::string out_;
  std::string videoTemp_;
  int width_ = 0, height_ = 0, scale_ = 1;
  std::vector<uint32_t> scaled_;
  int pipe_ = -1;             // ffmpeg's stdin while frames are written
  pid_t pid_ = -1;            // the running ffmpeg
  std::FILE* log_ = nullptr;  // ffmpeg's stderr
  bool createdOut_ = false;
  bool finished_ = false;
  std::string error_;
};

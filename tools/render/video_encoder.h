// Encodes rendered frames with their sound into an MP4 through Debian's
// ffmpeg: frames are piped raw while the show renders (to a temporary video
// file beside the output), then the video and the finished WAV are muxed into
// the output with AAC sound. Used by veldraflimmer-render only, on its one
// thread.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

class VideoEncoder {
 public:
  VideoEncoder() = default;
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;
  ~VideoEncoder();

  // Starts ffmpeg for width x height frames at `fps`; false when it cannot.
  bool Open(const std::string& outPath, int width, int height, int fps);
  // One frame of width x height pixel words (0xWWRRGGBB; the weight is ignored).
  bool Write(const uint32_t* pixels);
  // Ends the video stream and muxes it with `wavPath` into the output; false
  // when either ffmpeg run fails (its own messages are on stderr).
  bool Finish(const std::string& wavPath);

 private:
  std::FILE* pipe_ = nullptr;
  std::string out_;
  std::string videoTemp_;
  size_t frameBytes_ = 0;
  bool failed_ = false;
};

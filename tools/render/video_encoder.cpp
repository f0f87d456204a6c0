// MP4 encoding by piping to ffmpeg.
#include "video_encoder.h"

#include <sys/wait.h>

#include <cstdlib>

namespace {
// Single-quotes a path for the shell.
std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

bool ExitedCleanly(int status) {
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
}  // namespace

VideoEncoder::~VideoEncoder() {
  if (pipe_ != nullptr) pclose(pipe_);
  if (!videoTemp_.empty()) std::remove(videoTemp_.c_str());
}

bool VideoEncoder::Open(const std::string& outPath, int width, int height, int fps) {
  out_ = outPath;
  videoTemp_ = outPath + ".video.mp4";
  frameBytes_ = static_cast<size_t>(width) * height * 4;
  // Little-endian pixel words are the bytes blue, green, red, weight: bgr0.
  const std::string command =
      "ffmpeg -hide_banner -loglevel error -nostdin -y -f rawvideo "
      "-pix_fmt bgr0 -s " +
      std::to_string(width) + "x" + std::to_string(height) + " -r " + std::to_string(fps) +
      " -i - -c:v libx264 -pix_fmt yuv420p -f mp4 " + Quote(videoTemp_);
  pipe_ = popen(command.c_str(), "w");
  return pipe_ != nullptr;
}

bool VideoEncoder::Write(const uint32_t* pixels) {
  if (pipe_ == nullptr || failed_) return false;
  if (std::fwrite(pixels, 1, frameBytes_, pipe_) != frameBytes_) failed_ = true;
  return !failed_;
}

bool VideoEncoder::Finish(const std::string& wavPath) {
  if (pipe_ == nullptr) return false;
  const int status = pclose(pipe_);
  pipe_ = nullptr;
  if (failed_ || !ExitedCleanly(status)) return false;
  const std::string mux = "ffmpeg -hide_banner -loglevel error -nostdin -y -i " +
                          Quote(videoTemp_) + " -i " + Quote(wavPath) +
                          " -c:v copy -c:a aac -b:a 192k -f mp4 " + Quote(out_);
  return ExitedCleanly(std::system(mux.c_str()));
}

// MP4 encoding by piping to ffmpeg.
#include "video_encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace {
// The encoding, chosen for hard pixel edges, per-pixel noise and thin lines:
// - 4:2:0 chroma, the form every player, browser and video site takes. At an
//   even scale each 2x2 chroma sample lies inside one enlarged pixel, so the
//   colour of every source pixel is kept exactly; a player's chroma
//   interpolation softens only the outer ring of each enlarged pixel.
// - The grain tuning spends its bits on keeping noise instead of smoothing it
//   away, and its weaker deblocking leaves pixel edges hard; quality 20 keeps
//   nearly every pixel within a few levels of the rendered one.
// - Colours converted with the BT.709 matrix and tagged so: players take
//   untagged high-definition video for BT.709 and would shift the colours.
// clang-format off
const std::vector<std::string> kVideoOptions = {
    "-vf", "scale=out_color_matrix=bt709:out_range=tv:flags=area+accurate_rnd,format=yuv420p",
    "-c:v", "libx264", "-preset", "medium", "-tune", "grain", "-crf", "20",
    "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
    "-color_range", "tv"};
// clang-format on

// The first line of `text` with something on it; empty when there is none.
std::string FirstLine(const std::string& text) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    std::string line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    if (!line.empty()) return line;
    start = end + 1;
  }
  return "";
}

// Enlarges a width x height frame `scale` times: pixel (x, y) of `out`
// (width * scale wide) is pixel (x / scale, y / scale) of `in`.
void ScaleNearest(const uint32_t* in, int width, int height, int scale, uint32_t* out) {
  const size_t outWidth = static_cast<size_t>(width) * scale;
  for (int y = 0; y < height; ++y) {
    uint32_t* row = out + static_cast<size_t>(y) * scale * outWidth;
    const uint32_t* source = in + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      std::fill_n(row + static_cast<size_t>(x) * scale, scale, source[x]);
    }
    for (int r = 1; r < scale; ++r) std::copy_n(row, outWidth, row + r * outWidth);
  }
}
}  // namespace

VideoEncoder::~VideoEncoder() {
  Abandon();
  if (log_ != nullptr) std::fclose(log_);
}

bool VideoEncoder::Open(const std::string& outPath, const std::string& videoTemp, int width,
                        int height, int fps, int scale) {
  out_ = outPath;
  videoTemp_ = videoTemp;
  width_ = width;
  height_ = height;
  scale_ = scale;
  // Writable now, not only after the whole rendering. Appending leaves an
  // existing file as it is; a file made here goes again if no video comes.
  struct stat st {};
  const bool existed = stat(out_.c_str(), &st) == 0;
  std::FILE* probe = std::fopen(out_.c_str(), "ab");
  if (probe == nullptr) {
    error_ = "cannot write " + out_ + ": " + std::strerror(errno);
    return false;
  }
  std::fclose(probe);
  createdOut_ = !existed;

  log_ = std::tmpfile();
  if (log_ == nullptr) {
    error_ = std::string("cannot make a log file for ffmpeg: ") + std::strerror(errno);
    return false;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error_ = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
    return false;
  }
  // Little-endian pixel words are the bytes blue, green, red, weight: bgr0.
  std::vector<std::string> args = {
      "-f",       "rawvideo",
      "-pix_fmt", "bgr0",
      "-s",       std::to_string(width * scale) + "x" + std::to_string(height * scale),
      "-r",       std::to_string(fps),
      "-i",       "-"};
  args.insert(args.end(), kVideoOptions.begin(), kVideoOptions.end());
  args.insert(args.end(), {"-f", "mp4", videoTemp_});
  const bool started = Spawn(args, fds[0]);
  close(fds[0]);
  if (!started) {
    close(fds[1]);
    return false;
  }
  pipe_ = fds[1];
  if (scale_ > 1) scaled_.resize(static_cast<size_t>(width) * height * scale * scale);
  return true;
}

bool VideoEncoder::Write(const uint32_t* pixels) {
  if (pipe_ < 0) return false;
  const uint32_t* frame = pixels;
  if (scale_ > 1) {
    ScaleNearest(pixels, width_, height_, scale_, scaled_.data());
    frame = scaled_.data();
  }
  const auto* bytes = reinterpret_cast<const char*>(frame);
  size_t left = static_cast<size_t>(width_) * height_ * scale_ * scale_ * 4;
  while (left > 0) {
    const ssize_t n = write(pipe_, bytes, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // ffmpeg has stopped reading: it ended, and its log says why.
      close(pipe_);
      pipe_ = -1;
      if (Wait()) error_ = "ffmpeg stopped taking frames";
      return false;
    }
    bytes += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

bool VideoEncoder::Finish(const std::string& wavPath) {
  if (pipe_ < 0) return false;
  close(pipe_);
  pipe_ = -1;
  if (!Wait()) return false;
  const std::vector<std::string> mux = {
      "-i",   videoTemp_, "-i",   wavPath, "-map",      "0:v",        "-map", "1:a", "-c:v", "copy",
      "-c:a", "aac",      "-b:a", "192k",  "-movflags", "+faststart", "-f",   "mp4", out_};
  if (!Spawn(mux, -1) || !Wait()) return false;
  finished_ = true;
  return true;
}

void VideoEncoder::Abandon() {
  if (pipe_ >= 0) {
    close(pipe_);
    pipe_ = -1;
  }
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  if (createdOut_ && !finished_) {
    std::remove(out_.c_str());
    createdOut_ = false;
  }
}

bool VideoEncoder::Spawn(const std::vector<std::string>& args, int input) {
  std::vector<std::string> all = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  // A fresh log for each run, so the reason read after it is its own.
  const int log = fileno(log_);
  if (ftruncate(log, 0) != 0 || lseek(log, 0, SEEK_SET) != 0) {
    error_ = std::string("cannot use the log file for ffmpeg: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input >= 0) {
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  // stdout may carry --events: ffmpeg keeps off it.
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, log, STDERR_FILENO);
  const int result = posix_spawnp(&pid_, "ffmpeg", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) {
    pid_ = -1;
    error_ = result == ENOENT ? std::string("ffmpeg not found (it encodes --out videos)")
                              : std::string("cannot start ffmpeg: ") + std::strerror(result);
    return false;
  }
  return true;
}

bool VideoEncoder::Wait() {
  int status = 0;
  pid_t done;
  while ((done = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (done > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  std::string said;
  char buffer[4096];
  ssize_t n;
  const int log = fileno(log_);
  lseek(log, 0, SEEK_SET);
  while (said.size() < 65536 && (n = read(log, buffer, sizeof buffer)) > 0) said.append(buffer, n);
  const std::string line = FirstLine(said);
  if (!line.empty()) {
    error_ = "ffmpeg: " + line;
  } else if (done > 0 && WIFSIGNALED(status)) {
    error_ = "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
  } else {
    error_ = "ffmpeg failed (exit status " +
             std::to_string(done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
  }
  return false;
}

// Temporary folders and whole-file writes for the tests.
#include "test_files.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  const fs::path base = fs::temp_directory_path();
  // create_directory is false for a name that exists: draw another.
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const fs::path candidate = base / ("vf-test-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) path_ = candidate.generic_string();
  }
  // Never hand out an empty path: "/" + name would write into the root.
  if (path_.empty()) throw std::runtime_error("cannot make a temporary folder in " + base.string());
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) fs::remove_all(path_, ignored);
}

bool WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

std::string FullDevice() {
#ifdef _WIN32
  return "";
#else
  return fs::exists("/dev/full") ? "/dev/full" : "";
#endif
}

// The renderer's scratch folder.
#include "scratch_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

ScratchFolder::ScratchFolder() {
  std::error_code ec;
  std::string pattern =
      (std::filesystem::temp_directory_path(ec) / "veldraflimmer-render-XXXXXX").string();
  if (ec) {
    error_ = "no temporary folder: " + ec.message();
  } else if (mkdtemp(pattern.data()) == nullptr) {
    error_ = "cannot make a folder in " + std::filesystem::temp_directory_path(ec).string() + ": " +
             std::strerror(errno);
  } else {
    path_ = pattern;
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

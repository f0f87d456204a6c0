// Helpers for the picture tool tests: reading files, running the tools, temporary directories.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PictureFile {
  const char* name;
  int width;
  int height;
};

// The fourteen pictures the show loads, with their sizes.
extern const PictureFile kShowPictures[14];

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Runs a shell command line; returns the exit status (-1 if it did not exit normally). Standard
// output and standard error land in `output` when given.
int RunTool(const std::string& command, std::string* output = nullptr);

// A fresh empty directory under the test's temporary directory, removed by the destructor.
class TempDir {
 public:
  explicit TempDir(const std::string& name);
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& file) const { return path_ + "/" + file; }

 private:
  std::string path_;
};

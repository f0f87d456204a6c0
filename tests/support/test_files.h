// Files for the tests: a temporary folder of their own, whole-file reads and
// writes, lines of text, little-endian fields of binary formats, and the
// device that refuses every write. Portable; no test state is shared between processes.
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

// A new empty folder under the system's temporary folder, with a name no other
// process has; removed with everything in it by the destructor. CTest runs
// tests in parallel processes, so each test makes its own.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The whole file as bytes in a string (or in any container built from a pair
// of char iterators, such as std::vector<uint8_t>); empty when unreadable.
template <class Bytes = std::string>
Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `bytes` as the whole file; false when it cannot.
bool WriteFile(const std::string& path, std::string_view bytes);

// The lines of `text` without their '\n'; a last line without one counts too.
std::vector<std::string> Lines(const std::string& text);

// Unsigned little-endian fields at byte offset `at` of any byte container.
template <class Bytes>
uint16_t Le16(const Bytes& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
template <class Bytes>
uint32_t Le32(const Bytes& b, size_t at) {
  return Le16(b, at) | static_cast<uint32_t>(Le16(b, at + 2)) << 16;
}

// A file that opens for writing and fails every write that reaches it with
// "no space left" (Linux's /dev/full); empty where there is none.
std::string FullDevice();

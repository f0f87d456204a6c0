// Helpers for the picture tool tests.
#include "picture_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

const PictureFile kShowPictures[14] = {
    {"tecken.raw", 500, 25},      {"greet.raw", 500, 240},   {"kludd.raw", 320, 240},
    {"sidolinjer1.raw", 50, 250}, {"linje1.raw", 50, 250},   {"linje2.raw", 50, 250},
    {"veldra.raw", 320, 240},     {"link.raw", 320, 240},    {"kollademos.raw", 320, 240},
    {"link2.raw", 320, 240},      {"blabak.raw", 320, 240},  {"grabak1.raw", 320, 240},
    {"grabak2.raw", 320, 240},    {"grabak3.raw", 320, 240},
};

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

int RunTool(const std::string& command, std::string* output) {
  const std::string line = command + " 2>&1";
  std::FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return -1;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  const int status = pclose(pipe);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TempDir::TempDir(const std::string& name) {
  path_ = testing::TempDir() + "vf_pictures_" + name + "_" + std::to_string(::getpid());
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

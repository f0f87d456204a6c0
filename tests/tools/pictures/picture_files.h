// Helpers for the picture tool tests: reading and writing whole files, and running the tools with
// their output. Files and folders come from the shared test support.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "test_files.h"
#include "test_process.h"

// The show's picture list (kPictureList) comes from the build's one list.
#include "picture_list.h"

// The whole file as bytes.
inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  return ReadFile<std::vector<uint8_t>>(path);
}
inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// Runs a shell command line; returns the exit status (-1 if it did not exit normally). Standard
// output and standard error land together in `output` when given.
inline int RunTool(const std::string& command, std::string* output = nullptr) {
  const RunResult r = RunCommand(command + " 2>&1");
  if (output != nullptr) *output = r.out;
  return r.status;
}

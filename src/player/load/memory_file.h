// A song file held in memory, served to the loader through the file
// callbacks: the one in-memory source for whoever loads songs from memory
// (the loader fuzzer, tests, benchmarks). It serves either layout the loader
// reads: a full file, whose seeks move, or a compact stream, whose seeks do
// nothing. (The show serves its embedded song through callbacks of its own,
// demo/music.h.)
//
// Contract: one memory file per process at a time, like the callbacks
// themselves; installed and used on the thread that loads songs. The bytes
// are borrowed and must outlive the loads.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct MemoryFile {
  const uint8_t* data = nullptr;  // null: every open fails
  size_t size = 0;
  bool seekable = true;                    // false: a compact stream
  std::vector<uint8_t>* record = nullptr;  // when set, receives every byte read, in order
};

// Installs the five memory callbacks, serving `file` from the next open on
// (every open starts at its first byte). Reads past the end are cut short;
// seeks are held inside the file.
void FSOUND_File_ServeMemory(const MemoryFile& file);

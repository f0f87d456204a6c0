// XM writer: turns an in-memory song model into the bytes of a standard XM
// file (version 0x0104, 276-byte header, packed patterns, delta-encoded
// sample data).
//
// Contract: pure functions, no global state; callable from any thread. The
// model is owned by the caller and only read. Counts beyond what the format
// can hold are clamped when written (at most 256 orders, 256 rows, 12
// envelope points, 16 samples per instrument). Sample lengths and loops are
// given in sample values and written in bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct XmCell {
  uint8_t note = 0, instrument = 0, volume = 0, effect = 0, parameter = 0;  // note 97 = key off
};

struct XmPattern {
  int rows = 64;
  std::vector<XmCell> cells;  // rows x channels, row-major; resized by XmSong::AddPattern
  XmCell& At(int row, int channel, int channels) { return cells[row * channels + channel]; }
};

struct XmEnvelope {
  std::vector<std::array<uint16_t, 2>> points;  // (tick, value), at most 12
  bool on = false, sustainOn = false, loopOn = false;
  uint8_t sustain = 0, loopStart = 0, loopEnd = 0;
};

struct XmSample {
  std::string name;
  bool sixteenBit = true;
  std::vector<int16_t> data;               // values; written as 8-bit (value >> 8) when !sixteenBit
  uint32_t loopStart = 0, loopLength = 0;  // in values
  uint8_t loopType = 0;                    // 0 none, 1 forward, 2 ping-pong
  uint8_t volume = 64;
  int8_t finetune = 0;
  uint8_t pan = 128;
  int8_t relativeNote = 0;
};

struct XmInstrument {
  std::string name;
  std::vector<XmSample> samples;           // at most 16
  std::array<uint8_t, 96> noteToSample{};  // all 0 = first sample
  XmEnvelope volume, pan;
  uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
  uint16_t fadeout = 0;
};

struct XmSong {
  std::string name;
  int channels = 4;
  bool linear = true;
  int restart = 0, speed = 6, bpm = 125;
  std::vector<uint8_t> orders;
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
  XmPattern& AddPattern(int rows);  // appends an empty pattern sized rows x channels
};

std::vector<uint8_t> WriteXm(const XmSong& song);
bool WriteXmFile(const XmSong& song,
                 const std::string& path);  // false when the file cannot be written

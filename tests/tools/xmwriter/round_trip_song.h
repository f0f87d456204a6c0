// The XM writer tests' song: every field of the model set to a value other
// than its default, with cells stored raw, packed and empty.
#pragma once
#include "xm_writer.h"

inline XmSong MakeSong() {
  XmSong s;
  s.name = "round trip";
  s.channels = 3;
  s.linear = false;
  s.restart = 1;
  s.speed = 5;
  s.bpm = 167;
  s.orders = {1, 0, 2, 1};
  XmPattern& p0 = s.AddPattern(4);
  p0.At(0, 0, 3) = {49, 1, 0x40, 0x0F, 0x03};  // full cell: stored raw
  p0.At(1, 2, 3) = {97, 0, 0, 0, 0};           // key off alone
  p0.At(3, 1, 3) = {0, 0, 0, 0x0C, 0x20};      // effect and parameter only
  p0.At(2, 0, 3) = {0, 2, 0, 0, 0x00};         // instrument only
  s.AddPattern(64);                            // all empty: stored without data
  XmPattern& p2 = s.AddPattern(256);
  p2.At(255, 2, 3) = {96, 2, 0x10, 0x0E, 0xD3};

  XmInstrument& a = s.instruments.emplace_back();
  a.name = "lead";
  a.noteToSample.fill(1);
  a.noteToSample[0] = 0;
  a.volume.points = {{0, 64}, {10, 32}, {40, 0}};
  a.volume.on = a.volume.sustainOn = true;
  a.volume.sustain = 1;
  a.pan.points = {{0, 32}, {5, 0}, {9, 64}, {20, 32}};
  a.pan.on = a.pan.loopOn = true;
  a.pan.loopStart = 1;
  a.pan.loopEnd = 3;
  a.vibratoType = 2;
  a.vibratoSweep = 8;
  a.vibratoDepth = 4;
  a.vibratoRate = 20;
  a.fadeout = 1024;
  XmSample& s16 = a.samples.emplace_back();
  s16.name = "saw16";
  s16.data = {0, 1000, -32768, 32767, -1, 12};
  s16.loopStart = 1;
  s16.loopLength = 5;  // a ping-pong loop to the end: every value is read back
  s16.loopType = 2;
  s16.volume = 48;
  s16.finetune = -16;
  s16.pan = 10;
  s16.relativeNote = -12;
  XmSample& s8 = a.samples.emplace_back();
  s8.name = "square8";
  s8.sixteenBit = false;
  s8.data = {127 * 256, -128 * 256, 0, 5 * 256};
  s8.loopLength = 4;
  s8.loopType = 1;
  s8.relativeNote = 7;
  s.instruments.emplace_back().name = "empty";
  return s;
}

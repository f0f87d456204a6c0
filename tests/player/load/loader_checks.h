// Shared by the loader tests: a song that uses every part of the format (the
// comparison of two loaded songs is in song_compare.h).
#pragma once
#include <gtest/gtest.h>

#include <cstring>

#include "player/load/song.h"
#include "song_compare.h"
#include "xm_writer.h"

namespace songtest {

// Two patterns (one with notes, one empty), an order list naming both and a
// repeated entry, a 16-bit ping-pong sample and an 8-bit forward sample on
// one instrument with both envelopes, and an instrument without samples.
inline XmSong RichSong() {
  XmSong s;
  s.name = "rich";
  s.channels = 3;
  s.restart = 1;
  s.speed = 4;
  s.bpm = 140;
  s.orders = {1, 0, 1};
  XmPattern& p = s.AddPattern(8);
  p.At(0, 0, 3) = {49, 1, 0x40, 0x0A, 0x0F};
  p.At(1, 1, 3) = {61, 1, 0, 0, 0};
  p.At(2, 2, 3) = {97, 0, 0xC4, 0, 0};
  p.At(7, 0, 3) = {0, 2, 0, 0x0F, 0x03};
  s.AddPattern(4);
  XmInstrument& a = s.instruments.emplace_back();
  a.noteToSample.fill(0);
  for (int n = 48; n < 96; ++n) a.noteToSample[n] = 1;
  a.volume.points = {{0, 64}, {8, 40}, {20, 0}};
  a.volume.on = a.volume.sustainOn = true;
  a.volume.sustain = 1;
  a.pan.points = {{0, 32}, {6, 50}, {12, 10}};
  a.pan.on = a.pan.loopOn = true;
  a.pan.loopStart = 0;
  a.pan.loopEnd = 2;
  a.vibratoType = 1;
  a.vibratoSweep = 3;
  a.vibratoDepth = 9;
  a.vibratoRate = 40;
  a.fadeout = 300;
  XmSample& s16 = a.samples.emplace_back();
  for (int i = 0; i < 100; ++i) s16.data.push_back(static_cast<int16_t>(i * 300 - 15000));
  s16.loopType = 2;
  s16.loopStart = 10;
  s16.loopLength = 80;
  s16.volume = 50;
  s16.finetune = -20;
  s16.pan = 90;
  s16.relativeNote = 3;
  XmSample& s8 = a.samples.emplace_back();
  s8.sixteenBit = false;
  for (int i = 0; i < 40; ++i)
    s8.data.push_back(static_cast<int16_t>(((i * 37) % 256 - 128) * 256));
  s8.loopType = 1;
  s8.loopStart = 4;
  s8.loopLength = 30;
  s8.relativeNote = -5;
  s.instruments.emplace_back();  // no samples
  return s;
}

}  // namespace songtest

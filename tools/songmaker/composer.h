// Pattern-writing helpers for the song maker: a cursor over one pattern of the
// song and the parts that several patterns share (chord progressions, pads,
// arpeggios, rolling bass, hats).
//
// Contract: a Pattern borrows one XmPattern of an XmSong whose pattern table
// is complete (no more patterns may be added while it is used). Single thread.
#pragma once

#include <array>
#include <cstdint>

#include "layout.h"
#include "xm_writer.h"

namespace songmaker {

class Pattern {
 public:
  explicit Pattern(XmPattern& pattern) : pattern_(pattern) {}
  int Rows() const { return pattern_.rows; }
  XmCell& At(int row, int channel) { return pattern_.At(row, channel, kChannels); }

  void Play(int row, int channel, uint8_t note, uint8_t instrument, uint8_t volume = 0);
  void KeyOff(int row, int channel) { At(row, channel).note = kKeyOff; }
  void Fx(int row, int channel, uint8_t effect, uint8_t parameter);
  void Volume(int row, int channel, uint8_t volume) { At(row, channel).volume = volume; }

 private:
  XmPattern& pattern_;
};

// One bar's harmony: the bass root (lowest octave used), two pad notes and
// the arpeggio's root with its 0xy parameter (3 and 7: minor, 4 and 7: major).
struct Chord {
  const char* bass;
  const char* padA;
  const char* padB;
  const char* arp;
  uint8_t arpShape;
};
using Progression = std::array<Chord, 4>;  // one chord per 16-row bar

extern const Progression kMainChords;      // Am F C G
extern const Progression kGreetingChords;  // F G Em Am

// Pad chords: one note per bar on both pad channels at `volume`.
void WritePads(Pattern& p, const Progression& chords, int volume);
// Arpeggio chords on every row of bars [firstBar, 4), a new note each bar.
void WriteArp(Pattern& p, const Progression& chords, int volume, int firstBar = 0);
// A rolling bass on the three sixteenths after each beat, rows [from, to).
void WriteRollingBass(Pattern& p, const Progression& chords, int from, int to);
// Closed hats on every row of [from, to) with accents on the off-beat eighths
// and a slow left-right drift written in the volume column's pan command.
void WriteHats(Pattern& p, int from, int to, int accent, int ghost);
// A lead line on the lead channel: `count` notes, each at its row.
struct LeadNote {
  int row;
  const char* note;  // nullptr = key-off
  int volume;        // 0 = the sample's default
};
void WriteLead(Pattern& p, const LeadNote* notes, int count);

// The pattern writers, one per part of the song (intro.cpp, groove.cpp,
// greetings.cpp, finale.cpp).
void WriteIntro(Pattern& p);           // pattern 2, order 0
void WriteIntroBass(Pattern& p);       // pattern 3, order 1
void WriteSketch(Pattern& p);          // pattern 1, not in the order list
void WriteGroove(Pattern& p);          // pattern 0, order 2
void WriteGrooveFill(Pattern& p);      // pattern 4 (67 rows), order 3
void WriteGreetings(Pattern& p);       // pattern 5, order 4
void WriteGreetingsBuild(Pattern& p);  // pattern 6, order 5
void WriteFinale(Pattern& p);          // pattern 7, orders 6 and 7

}  // namespace songmaker

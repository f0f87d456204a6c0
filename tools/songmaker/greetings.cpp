// The greetings (orders 4 and 5): lighter and melodic. A vibrato lead sings
// over pads and a gated arpeggio; kick, crash and stab accent rows 0, 32 and
// 34. Order 5's pattern ends in a build-up: the global volume dips and climbs
// back under a snare roll into the finale.
#include "composer.h"

namespace songmaker {
namespace {

constexpr LeadNote kMelodyA[] = {
    {0, "A-4", 50}, {6, "C-5", 0},  {8, "F-5", 0},  {14, nullptr, 0}, {16, "G-5", 0},
    {22, "F-5", 0}, {24, "D-5", 0}, {28, "B-4", 0}, {32, "E-5", 0},   {34, "G-5", 0},
    {36, "B-5", 0}, {42, "A-5", 0}, {44, "G-5", 0}, {48, "A-5", 36},  {60, nullptr, 0},
};
constexpr LeadNote kMelodyB[] = {
    {0, "A-5", 50},   {3, "G-5", 0},    {6, "F-5", 0},   {8, "E-5", 0},  {10, "F-5", 0},
    {12, "C-5", 0},   {16, "D-5", 0},   {19, "B-4", 0},  {22, "D-5", 0}, {24, "G-5", 0},
    {30, nullptr, 0}, {32, "E-5", 0},   {34, "B-4", 0},  {36, "E-5", 0}, {38, "G-5", 0},
    {40, "B-5", 0},   {46, nullptr, 0}, {48, "C-6", 40}, {52, "B-5", 0}, {56, "A-5", 0},
    {62, nullptr, 0},
};

void WriteLightBeat(Pattern& p) {
  // Accents on 0, 32 and 34.
  for (int row : {0, 32, 34}) p.Play(row, kChKick, Note("C-4"), kInsKick, Vol(row == 0 ? 64 : 56));
  p.Play(0, kChPerc, Note("C-5"), kInsCymbal, Vol(54));
  p.Play(32, kChPerc, Note("C-5"), kInsCymbal, Vol(48));
  p.Play(0, kChStab, Note("F-3"), kInsStab, Vol(46));
  p.Play(32, kChStab, Note("E-3"), kInsStab, Vol(40));
  p.Play(34, kChStab, Note("G-3"), kInsStab, Vol(38));
  for (int row : {10, 16, 26, 42, 48, 58}) p.Play(row, kChKick, Note("C-4"), kInsKick, Vol(40));
  for (int row : {8, 24, 40, 56}) p.Play(row, kChSnare, Note("C-4"), kInsSnare, Vol(34));
  // Hats pan left and right by the beat; their level comes from the
  // set-volume effect, since the volume column carries the pan.
  for (int row = 0; row < 64; row += 2) {
    p.Play(row, kChHat, Note("C-4"), kInsHat,
           static_cast<uint8_t>(kVolPan + (row % 8 < 4 ? 6 : 9)));
    p.Fx(row, kChHat, kFxSetVolume, static_cast<uint8_t>(row % 4 == 2 ? 34 : 14));
  }
  p.Play(14, kChHat, Note("C-4"), kInsCymbal, Vol(22));
  p.Play(46, kChHat, Note("C-4"), kInsCymbal, Vol(22));
}

void WriteGreetingBass(Pattern& p) {
  for (int bar = 0; bar < 4; ++bar) {
    uint8_t root = Note(kGreetingChords[bar].bass);
    int b = bar * 16;
    // The bass answers the kick instead of doubling it: a push on the third
    // sixteenth, the octave, and the root again late in the bar.
    p.Play(b + 2, kChBass, root, kInsBass, Vol(42));
    p.Play(b + 6, kChBass, root + 12, kInsBass, Vol(44));
    p.Play(b + 12, kChBass, root, kInsBass, Vol(46));
    p.KeyOff(b + 15, kChBass);
  }
}

// The arpeggio drifts right across a bar and back left across the next, with
// the volume column's pan slides on every other row (45 pan steps a bar). The
// rows that start a note keep their volume.
void WriteArpDrift(Pattern& p) {
  for (int row = 1; row < 64; row += 2) {
    bool right = (row / 16) % 2 == 0;
    p.Volume(row, kChArp, static_cast<uint8_t>((right ? 0xE0 : 0xD0) + 1));
  }
}

// Held notes grow a little louder with the fine volume-up effect.
void Swell(Pattern& p, int from, int to) {
  for (int row = from; row < to; row += 2) p.Fx(row, kChLead, kFxExtended, 0xA2);
}

}  // namespace

void WriteGreetings(Pattern& p) {
  WriteLightBeat(p);
  WriteGreetingBass(p);
  WritePads(p, kGreetingChords, 34);
  WriteArp(p, kGreetingChords, 28);
  WriteArpDrift(p);
  WriteLead(p, kMelodyA, sizeof(kMelodyA) / sizeof(kMelodyA[0]));
  // The C after the opening A slides from it without a new attack.
  p.Volume(6, kChLead, kVolLegato);
  Swell(p, 49, 59);
}

void WriteGreetingsBuild(Pattern& p) {
  WriteLightBeat(p);
  WriteGreetingBass(p);
  WritePads(p, kGreetingChords, 34);
  WriteArp(p, kGreetingChords, 28);
  WriteArpDrift(p);
  WriteLead(p, kMelodyB, sizeof(kMelodyB) / sizeof(kMelodyB[0]));
  Swell(p, 49, 52);
  // The build-up: the whole mix dips at row 48 and climbs back to full by row
  // 58 (the slide adds 5 per row), while a retriggered snare roll speeds up.
  p.Fx(48, kChStab, kFxGlobalVolume, 0x28);
  for (int row = 50; row <= 58; row += 2) p.Fx(row, kChStab, kFxGlobalSlide, 0x10);
  for (int row = 48; row < 64; ++row) {
    uint8_t retrigger = row < 56 ? 0x93 : 0x92;
    p.Play(row, kChSnare, Note("C-4"), kInsSnare, Vol(20 + 3 * (row - 48)));
    p.Fx(row, kChSnare, kFxExtended, retrigger);
  }
  for (int row : {52, 60}) p.Play(row, kChKick, Note("C-4"), kInsKick, Vol(52));
}

}  // namespace songmaker

// The main part (orders 2 and 3): a straight kick under a syncopated snare
// and tom figure that the border toggles follow, rolling bass, the lead hook,
// pads and a quiet arpeggio. Order 3's pattern adds the three-stab fill and a
// three-row lift into the greetings.
#include "composer.h"

namespace songmaker {
namespace {

// The figure over the kick: every row of it is a border toggle in the show.
constexpr int kSnareRows[] = {4, 14, 15, 18, 20, 23, 30, 36, 38, 44, 48, 54, 60};
constexpr int kTomRows[] = {8, 24, 26, 45, 46, 58, 61};
constexpr const char* kTomNotes[] = {"A-3", "D-4", "A-3", "F-4", "D-4", "D-4", "A-3"};

constexpr LeadNote kHook[] = {
    {0, "A-4", 0},  {2, "C-5", 0},    {4, "E-5", 0},  {7, "D-5", 0},  {10, "C-5", 0},
    {12, "E-5", 0}, {16, "F-5", 0},   {19, "E-5", 0}, {22, "C-5", 0}, {24, "A-4", 0},
    {26, "C-5", 0}, {28, "F-5", 0},   {30, "E-5", 0}, {32, "G-5", 0}, {35, "E-5", 0},
    {38, "C-5", 0}, {40, "D-5", 0},   {42, "E-5", 0}, {44, "G-5", 0}, {47, nullptr, 0},
    {48, "D-5", 0}, {51, "B-4", 0},   {54, "G-4", 0}, {56, "A-4", 0}, {58, "B-4", 0},
    {60, "D-5", 0}, {62, nullptr, 0},
};
constexpr int kHookBars123 = 20;  // notes of kHook before row 48

bool Backbeat(int row) {
  return row % 8 == 4;
}

// The groove's first `rows` rows (all 64 or the first 48).
void WriteBeat(Pattern& p, int rows) {
  for (int row = 0; row < rows; row += 4) p.Play(row, kChKick, Note("C-4"), kInsKick, Vol(64));
  for (int row : kSnareRows) {
    if (row < rows) p.Play(row, kChSnare, Note("C-4"), kInsSnare, Vol(Backbeat(row) ? 62 : 42));
  }
  for (size_t i = 0; i < sizeof(kTomRows) / sizeof(kTomRows[0]); ++i) {
    if (kTomRows[i] < rows) p.Play(kTomRows[i], kChPerc, Note(kTomNotes[i]), kInsTom, Vol(44));
  }
  // The hats accent the figure too: a bright edge on every toggle row.
  WriteHats(p, 0, rows, 46, 20);
  for (int row : kSnareRows) {
    if (row < rows) p.Fx(row, kChHat, kFxSetVolume, 52);
  }
  for (int row : kTomRows) {
    if (row < rows) p.Fx(row, kChHat, kFxSetVolume, 52);
  }
  // An open hat lifts the end of the second bar.
  p.Play(30, kChHat, Note("C-4"), kInsCymbal, Vol(30));
  p.At(30, kChHat).effect = 0;
  p.At(30, kChHat).parameter = 0;
  WriteRollingBass(p, kMainChords, 0, rows);
  WritePads(p, kMainChords, 30);
}

}  // namespace

void WriteGroove(Pattern& p) {
  WriteBeat(p, 64);
  p.Play(0, kChPerc, Note("C-5"), kInsCymbal, Vol(56));  // the white flash
  p.Play(0, kChStab, Note("A-3"), kInsStab, Vol(50));
  WriteLead(p, kHook, sizeof(kHook) / sizeof(kHook[0]));
  WriteArp(p, kMainChords, 20);
}

void WriteGrooveFill(Pattern& p) {
  WriteBeat(p, 48);
  WriteLead(p, kHook, kHookBars123);
  WriteArp(p, kMainChords, 22);
  // Three stabs a dotted eighth apart, each with the picture's flash.
  static constexpr int kStabRows[3] = {48, 51, 54};
  static constexpr const char* kStabNotes[3] = {"G-3", "A-3", "C-4"};
  for (int i = 0; i < 3; ++i) {
    int row = kStabRows[i];
    p.Play(row, kChKick, Note("C-4"), kInsKick, Vol(64));
    p.Play(row, kChStab, Note(kStabNotes[i]), kInsStab, Vol(56));
  }
  p.Play(48, kChSnare, Note("C-4"), kInsSnare, Vol(60));
  p.Play(48, kChPerc, Note("C-5"), kInsCymbal, Vol(52));
  p.Play(51, kChPerc, Note("D-4"), kInsTom, Vol(56));
  p.Play(54, kChSnare, Note("C-4"), kInsSnare, Vol(60));
  for (int row = 48; row < 64; row += 2) {
    p.Play(row, kChHat, Note("C-4"), kInsHat, Vol(row % 4 == 2 ? 40 : 20));
  }
  // The lead answers the stabs and swells with fine volume steps.
  static constexpr LeadNote kAnswer[] = {{49, "D-5", 44}, {52, "F-5", 44}, {56, "E-5", 32}};
  WriteLead(p, kAnswer, 3);
  for (int row : {57, 58, 59, 60, 61, 62, 63}) p.Fx(row, kChLead, kFxExtended, 0xA4);
  // Snare roll: two hits a row, then three, then a buzz of six in the lift.
  for (int row = 56; row < 66; ++row) {
    uint8_t retrigger = row < 60 ? 0x93 : (row < 64 ? 0x92 : 0x91);
    p.Play(row, kChSnare, Note("C-4"), kInsSnare, Vol(24 + 4 * (row - 56)));
    p.Fx(row, kChSnare, kFxExtended, retrigger);
  }
  for (int row : {56, 60, 64}) p.Play(row, kChKick, Note("C-4"), kInsKick, Vol(58));
  // The bass drops under the roll, then lets go with the key-off effect.
  WriteRollingBass(p, kMainChords, 48, 56);
  p.Play(56, kChBass, Note("G-2"), kInsBass, Vol(56));
  for (int row = 56; row < 64; ++row) p.Fx(row, kChBass, kFxPortaDown, 0x04);
  p.Fx(64, kChBass, kFxKeyOff, 0);
  // The pads and the arpeggio thin out and are released into the greetings.
  for (int row = 56; row < 64; ++row) {
    p.Fx(row, kChPadA, kFxVolumeSlide, 0x02);
    p.Fx(row, kChPadB, kFxVolumeSlide, 0x02);
  }
  p.KeyOff(64, kChPadA);
  p.KeyOff(64, kChPadB);
  p.KeyOff(64, kChArp);
  p.KeyOff(64, kChLead);
  p.Play(64, kChStab, Note("E-3"), kInsStab, Vol(44));
  p.Play(64, kChPerc, Note("C-4"), kInsImpact, Vol(36));
  // Row 66 is the pattern's last: breaking to row 0 of the next order keeps
  // the order's length and marks the end for any player.
  p.Fx(66, kChStab, kFxPatternBreak, 0x00);
}

}  // namespace songmaker

// The finale (pattern 7, played at orders 6 and 7): everything together over
// a dense break whose every hit makes the figure jump; crashes and stabs mark
// the scene changes, and row 62 carries the final hit with a long release.
#include <iterator>

#include "composer.h"

namespace songmaker {
namespace {

// The break: kick and snare alternate over the figure's jump rows (the union
// of both orders' lists, so also 44, 62 and 63).
constexpr int kKickRows[] = {0, 2, 10, 16, 24, 25, 32, 34, 40, 42, 48, 50, 62};
constexpr int kSnareRows[] = {8, 12, 15, 20, 30, 31, 38, 39, 44, 45, 58, 61, 63};
constexpr int kGhostSnares[] = {15, 31, 39, 45};

constexpr int kSceneRows[] = {0, 12, 32, 44};
constexpr const char* kSceneStabs[] = {"A-3", "F-3", "C-4", "G-3"};

// The hook an octave up: its notes sit where the break's attacks do, so it is
// kept below them (set volume 34 against the sample's 54).
constexpr int kHookVolume = 34;
constexpr LeadNote kHookHigh[] = {
    {0, "A-5", 0},  {2, "C-6", 0},  {4, "E-6", 0},  {7, "D-6", 0},  {10, "C-6", 0},
    {12, "E-6", 0}, {16, "F-6", 0}, {19, "E-6", 0}, {22, "C-6", 0}, {24, "A-5", 0},
    {26, "C-6", 0}, {28, "F-6", 0}, {30, "E-6", 0}, {32, "G-5", 0}, {35, "E-5", 0},
    {38, "C-5", 0}, {40, "D-5", 0}, {42, "E-5", 0}, {44, "G-5", 0}, {48, "D-5", 0},
    {51, "B-4", 0}, {54, "G-4", 0}, {56, "A-4", 0}, {58, "B-4", 0}, {60, "E-5", 0},
};

bool Contains(const int* rows, size_t count, int row) {
  for (size_t i = 0; i < count; ++i) {
    if (rows[i] == row) return true;
  }
  return false;
}

}  // namespace

void WriteFinale(Pattern& p) {
  for (int row : kKickRows) p.Play(row, kChKick, Note("C-4"), kInsKick, Vol(row == 25 ? 48 : 64));
  for (int row : kSnareRows) {
    bool ghost = Contains(kGhostSnares, std::size(kGhostSnares), row);
    p.Play(row, kChSnare, Note("C-4"), kInsSnare, Vol(ghost ? 40 : 62));
  }
  for (int i = 0; i < 4; ++i) {
    int row = kSceneRows[i];
    p.Play(row, kChPerc, Note("C-5"), kInsCymbal, Vol(row % 32 == 0 ? 54 : 42));
    p.Play(row, kChStab, Note(kSceneStabs[i]), kInsStab, Vol(50));
  }
  // A snare followed at once by another hit is choked within its row (a fast
  // volume slide), so that the next hit starts from silence.
  for (int row : kSnareRows) {
    if (Contains(kSnareRows, std::size(kSnareRows), row + 1) ||
        Contains(kKickRows, std::size(kKickRows), row + 1)) {
      p.Fx(row, kChSnare, kFxVolumeSlide, 0x0F);
    }
  }
  // Kept low but accented on the break, so every jump has a bright attack.
  WriteHats(p, 0, 62, 34, 12);
  for (int row = 0; row < 62; ++row) {
    if (Contains(kKickRows, std::size(kKickRows), row) ||
        Contains(kSnareRows, std::size(kSnareRows), row)) {
      p.Fx(row, kChHat, kFxSetVolume, 48);
    }
  }
  WriteRollingBass(p, kMainChords, 0, 62);
  WritePads(p, kMainChords, 36);
  WriteArp(p, kMainChords, 24);
  WriteLead(p, kHookHigh, std::size(kHookHigh));
  for (const LeadNote& n : kHookHigh) p.Volume(n.row, kChLead, Vol(kHookVolume));
  // Held notes of the hook get a late push, and each stab's echo is damped in
  // two steps (the volume column's fine slides act once per row).
  for (int row : {14, 46}) p.Volume(row, kChLead, kVolFineUp + 6);
  for (int row : kSceneRows) {
    p.Volume(row + 2, kChStab, kVolFineDown + 12);
    p.Volume(row + 3, kChStab, kVolFineDown + 12);
  }
  // Lead and arpeggio are let go by the key-off effect at the final hit.
  p.Fx(62, kChLead, kFxKeyOff, 0);
  p.KeyOff(62, kChArp);
  p.Fx(62, kChArp, kFxArpeggio, 0);

  // The final hit: impact, crash, stab and low A, all left to ring.
  p.Play(62, kChPerc, Note("C-4"), kInsImpact, Vol(46));
  p.Play(62, kChHat, Note("C-5"), kInsCymbal, Vol(40));
  p.Play(62, kChStab, Note("A-3"), kInsStab, Vol(44));
  p.Play(62, kChBass, Note("A-1"), kInsBass, Vol(42));
  // The pads move to the final chord without a new attack (no instrument,
  // legato in the volume column), then are released.
  p.At(62, kChPadA) = XmCell{Note("A-3"), 0, kVolLegato, 0, 0};
  p.At(62, kChPadB) = XmCell{Note("E-4"), 0, kVolLegato, 0, 0};
  // The snare on the last row follows the final hit: a closed hat gives it
  // the edge that the impact's ring would cover.
  p.Play(63, kChHat, Note("C-4"), kInsHat, Vol(56));
  p.KeyOff(63, kChPadA);
  p.KeyOff(63, kChPadB);
  p.KeyOff(63, kChBass);
  // The last row breaks to row 0 of the next order, which is where the song
  // goes anyway: the order's length is unchanged.
  p.Fx(63, kChPerc, kFxPatternBreak, 0x00);
}

}  // namespace songmaker

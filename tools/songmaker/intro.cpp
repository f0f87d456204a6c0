// The intro (orders 0 and 1): pads and stabs hit on rows 0, 12, 32 and 44,
// then the bass and the first hat pattern come in. Also the unplayed sketch
// pattern.
#include "composer.h"

namespace songmaker {
namespace {

// The four hits: the stab anticipates the next bar's chord on rows 12 and 44.
constexpr int kHitRows[4] = {0, 12, 32, 44};
constexpr const char* kHitStabs[4] = {"A-3", "F-3", "C-4", "G-3"};

void WriteHits(Pattern& p, bool impacts) {
  for (int i = 0; i < 4; ++i) {
    int row = kHitRows[i];
    p.Play(row, kChKick, Note("C-4"), kInsKick, Vol(64));
    p.Play(row, kChStab, Note(kHitStabs[i]), kInsStab, Vol(52));
    bool downbeat = row % 16 == 0;
    if (impacts && downbeat) {
      p.Play(row, kChPerc, Note("C-4"), kInsImpact, Vol(56));
    } else {
      p.Play(row, kChPerc, Note("C-5"), kInsCymbal, Vol(downbeat ? 50 : 38));
      // The crash rings out over the next rows with the volume column's slide.
      for (int r = row + 4; r < row + 8; ++r) p.Volume(r, kChPerc, kVolSlideDown + 1);
    }
  }
}

}  // namespace

void WriteIntro(Pattern& p) {
  // Full global volume from the start: the song may arrive here from the
  // finale's build-ups when it loops.
  p.Fx(0, kChStab, kFxGlobalVolume, 0x40);
  WriteHits(p, true);
  WritePads(p, kMainChords, 28);
  // The first chord swells in through the volume column's slide.
  for (int row = 1; row <= 6; ++row) {
    p.Volume(row, kChPadA, kVolSlideUp + 1);
    p.Volume(row, kChPadB, kVolSlideUp + 1);
  }
  // A snare roll climbs into order 1: retriggered twice, then three times a row.
  static constexpr int kRoll[6][3] = {{56, 16, 0},    {58, 24, 0},    {60, 34, 0x93},
                                      {61, 42, 0x93}, {62, 50, 0x92}, {63, 58, 0x92}};
  for (const auto& r : kRoll) {
    p.Play(r[0], kChSnare, Note("C-4"), kInsSnare, Vol(r[1]));
    if (r[2] != 0) p.Fx(r[0], kChSnare, kFxExtended, static_cast<uint8_t>(r[2]));
  }
}

void WriteIntroBass(Pattern& p) {
  WriteHits(p, false);
  WritePads(p, kMainChords, 40);
  WriteArp(p, kMainChords, 18, 2);
  // A half-time beat around the hits.
  for (int row : {22, 28, 54, 58}) p.Play(row, kChKick, Note("C-4"), kInsKick, Vol(44));
  for (int row : {8, 24, 40}) p.Play(row, kChSnare, Note("C-4"), kInsSnare, Vol(40));
  // The first hats: eighths, the off-beats louder.
  for (int row = 0; row < 64; row += 2) {
    p.Play(row, kChHat, Note("C-4"), kInsHat, Vol(row % 4 == 2 ? 40 : 18));
  }
  // The bass enters with a dotted riff on each chord, released before the next.
  for (int bar = 0; bar < 4; ++bar) {
    uint8_t root = Note(kMainChords[bar].bass);
    int b = bar * 16;
    p.Play(b + 0, kChBass, root, kInsBass, Vol(60));
    p.Play(b + 3, kChBass, root, kInsBass, Vol(44));
    p.Play(b + 6, kChBass, root + 12, kInsBass, Vol(52));
    p.Play(b + 10, kChBass, root, kInsBass, Vol(48));
    if (bar < 3) p.KeyOff(b + 14, kChBass);
  }
  p.Fx(62, kChBass, kFxKeyOff, 0);
  // A tom run down into the groove; the last tom drops in pitch.
  static constexpr const char* kToms[6] = {"F-4", "D-4", "A-3", "A-3", "F-3", "F-3"};
  static constexpr int kTomRows[6] = {56, 58, 60, 61, 62, 63};
  for (int i = 0; i < 6; ++i) {
    p.Play(kTomRows[i], kChPerc, Note(kToms[i]), kInsTom, Vol(44 + 3 * i));
  }
  p.Fx(63, kChPerc, kFxPortaDown, 0x08);
  // The lead's pickup into the hook.
  static constexpr LeadNote kPickup[] = {
      {48, "E-5", 40}, {51, "D-5", 44}, {54, "C-5", 48}, {57, "B-4", 52}, {62, nullptr, 0}};
  WriteLead(p, kPickup, 5);
}

void WriteSketch(Pattern& p) {
  // An ending that the order list does not use: one held chord and its release.
  p.Play(0, kChPadA, Note("A-3"), kInsPad, Vol(48));
  p.Play(0, kChPadB, Note("E-4"), kInsPad, Vol(48));
  p.Play(0, kChStab, Note("A-3"), kInsStab, Vol(48));
  p.Play(0, kChBass, Note("A-1"), kInsBass, Vol(56));
  p.KeyOff(32, kChPadA);
  p.KeyOff(32, kChPadB);
  p.KeyOff(32, kChBass);
}

}  // namespace songmaker

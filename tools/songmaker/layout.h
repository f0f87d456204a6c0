// The song's fixed frame: channel roles, instrument numbers and the note and
// effect vocabulary the composition is written in.
//
// Contract: constants and constexpr helpers only, shared by the instrument
// and pattern code of the song maker. Instrument numbers are the 1-based
// numbers written into pattern cells.
#pragma once

#include <cstdint>

namespace songmaker {

constexpr int kChannels = 10;
constexpr int kSpeed = 6;
constexpr int kBpm = 167;

// Channels 0-3 carry the percussion that the show's pictures are timed to.
enum Channel : int {
  kChKick = 0,
  kChSnare = 1,
  kChHat = 2,
  kChPerc = 3,  // toms, crashes and impacts
  kChBass = 4,
  kChLead = 5,
  kChPadA = 6,
  kChPadB = 7,
  kChArp = 8,
  kChStab = 9,
};

enum Instrument : uint8_t {
  kInsKick = 1,
  kInsSnare,
  kInsHat,
  kInsCymbal,  // open hat below C-5, crash from C-5 up
  kInsTom,
  kInsBass,
  kInsLead,
  kInsPad,
  kInsStab,
  kInsArp,
  kInsImpact,
};

// Note numbers as stored in cells: 1 is C-0, 49 is C-4 (played at 8363 Hz).
constexpr uint8_t kKeyOff = 97;
constexpr uint8_t Note(const char* name) {
  constexpr int8_t kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int semitone = kSemitone[name[0] - 'A'];
  if (name[1] == '#') semitone += 1;
  return static_cast<uint8_t>(1 + (name[2] - '0') * 12 + semitone);
}

// Volume column: set volume 0..64. Values outside are clamped: 0x51-0x5F
// would be a different (empty) command.
constexpr uint8_t Vol(int v) {
  return static_cast<uint8_t>(0x10 + (v < 0 ? 0 : (v > 64 ? 64 : v)));
}
constexpr uint8_t kVolSlideDown = 0x60, kVolSlideUp = 0x70;  // + amount, every tick
constexpr uint8_t kVolFineDown = 0x80, kVolFineUp = 0x90;    // + amount, once
constexpr uint8_t kVolPan = 0xC0;                            // + pan / 16
constexpr uint8_t kVolLegato = 0xFF;  // changes pitch without restarting the sample

// Effect numbers the player implements.
enum Effect : uint8_t {
  kFxArpeggio = 0x0,
  kFxPortaDown = 0x2,
  kFxVolumeSlide = 0xA,
  kFxSetVolume = 0xC,
  kFxPatternBreak = 0xD,
  kFxExtended = 0xE,  // parameter 0x9y retrigger, 0xAy fine volume up
  kFxGlobalVolume = 0x10,
  kFxGlobalSlide = 0x11,
  kFxKeyOff = 0x14,
};

}  // namespace songmaker

// The rules a song is played by. The show's player and a tracker-faithful
// player read the same pattern data differently in a few places; each such
// place is one named rule here, and the handlers test the rule they are
// about. kShowRules plays exactly what the show's song needs, as the show's
// player always has; kCompleteRules plays every command of the XM format as
// the tracker that defined it does. A song plays by the show's rules unless
// FMUSIC_SetPlayRules chooses others; the records are constants, read by the
// thread that runs the ticks.
#pragma once
#include <cstdint>

// Which commands are obeyed; the others are read and ignored.
struct CommandSet {
  uint64_t effects;   // bit e: effect column command e (0 … 35)
  uint16_t extended;  // bit x: extended command Exy
  uint16_t volume;    // bit x: volume column commands with high nibble x (1 … 5: set volume)

  constexpr bool Effect(int e) const { return e < 64 && ((effects >> e) & 1) != 0; }
  constexpr bool Extended(int x) const { return ((extended >> x) & 1) != 0; }
  constexpr bool Volume(uint8_t byte) const { return ((volume >> (byte >> 4)) & 1) != 0; }
};

struct PlayRules {
  CommandSet commands;
  // Cxx holds the volume at 64; otherwise the parameter is stored as it
  // stands (up to 255, which the gain computation then carries).
  bool clampSetVolume;
  // Pan slides stop at 0 and 255; otherwise the channel's pan runs on and
  // only the final pan of the voice is clamped.
  bool clampPanSlide;
  // Arpeggio picks its note by the ticks left in the row (at speed 6: +y,
  // +x, +0 on ticks 1, 2, 3) and shifts songs of both frequency tables;
  // otherwise by the tick number counted up (+x on tick 1), linear songs only.
  bool arpeggioCountsDown;
  // A tone-portamento row (3xx, 5xy) restarts the sample at the note's pitch
  // slide start; otherwise the sounding note slides on.
  bool portamentoRetriggers;
  // Volume-column Fx is a tone portamento; otherwise it only keeps the
  // sounding sample from restarting, the new note's period taking effect.
  bool volumeColumnPortamento;
  // Volume-column slides (6x, 7x, Dx, Ex) also act on a row's first tick.
  bool volumeColumnSlidesOnFirstTick;
  // Kxx keys off on tick xx (K00 on the row, where it keeps the row's note
  // from starting); otherwise on the row, whatever xx.
  bool keyOffAtTick;
  // A global-volume change reaches every channel on the tick it is made;
  // otherwise each channel hears it at its own next volume change.
  bool globalVolumeAtOnce;
  // Voice steps keep the pitch's fraction of a hertz; otherwise the
  // frequency is rounded down to whole hertz first.
  bool exactPitch;
  // A pattern break in the last order entry continues at order 0; otherwise
  // at the restart position, like the end of the last entry.
  bool breakWrapsToFirstOrder;
  // F00 leaves the speed as it was; otherwise it sets speed 0, where every
  // tick starts a row.
  bool ignoreSpeedZero;
  // An instrument number chooses the instrument of the next note. Without a
  // note it only gives the sounding sample back its volume and pan and
  // restarts the sounding instrument's envelopes; a note without one plays
  // the last instrument chosen and keeps the channel's volume, envelopes,
  // key off and waves. Otherwise the number changes the sounding instrument
  // at once, taking its sample's volume and pan.
  bool instrumentWaitsForNote;
  // A note delay (EDx) without a note restarts the channel's last note on
  // its tick, with the envelopes; a key off with K00 or a portamento keeps
  // the row's note from starting. Otherwise a delay only holds its cell.
  bool delayRestartsLastNote;
  // Key off on an instrument without volume envelope sets the channel's
  // volume to 0, so that a later volume command is heard again; otherwise
  // it closes the envelope until the next instrument number.
  bool keyOffZeroesVolume;
  // A voice's volume and pan glide to each tick's new values over the whole
  // tick, as in the tracker, so that envelopes and slides move smoothly; a
  // note's start and a volume set (a volume command, a cut, a key off, an
  // instrument number) keep the mixer's short ramp. Otherwise every change
  // takes the short ramp.
  bool rampsOverTick;
};

inline constexpr PlayRules kShowRules = {
    .commands = {.effects = (1ull << 0x0) | (1ull << 0x2) | (1ull << 0xA) | (1ull << 0xC) |
                            (1ull << 0xD) | (1ull << 0xE) | (1ull << 0xF) | (1ull << 0x10) |
                            (1ull << 0x11) | (1ull << 0x14),
                 .extended = (1u << 0x9) | (1u << 0xA),
                 .volume = 0xFFFF & ~((1u << 0x0) | (1u << 0xA) | (1u << 0xB))},
    .clampSetVolume = false,
    .clampPanSlide = false,
    .arpeggioCountsDown = false,
    .portamentoRetriggers = true,
    .volumeColumnPortamento = false,
    .volumeColumnSlidesOnFirstTick = true,
    .keyOffAtTick = false,
    .globalVolumeAtOnce = false,
    .exactPitch = false,
    .breakWrapsToFirstOrder = true,
    .ignoreSpeedZero = false,
    .instrumentWaitsForNote = false,
    .delayRestartsLastNote = false,
    .keyOffZeroesVolume = false,
    .rampsOverTick = false,
};

inline constexpr PlayRules kCompleteRules = {
    .commands = {.effects = ~0ull, .extended = 0xFFFF, .volume = 0xFFFF & ~(1u << 0x0)},
    .clampSetVolume = true,
    .clampPanSlide = true,
    .arpeggioCountsDown = true,
    .portamentoRetriggers = false,
    .volumeColumnPortamento = true,
    .volumeColumnSlidesOnFirstTick = false,
    .keyOffAtTick = true,
    .globalVolumeAtOnce = true,
    .exactPitch = true,
    .breakWrapsToFirstOrder = false,
    .ignoreSpeedZero = true,
    .instrumentWaitsForNote = true,
    .delayRestartsLastNote = true,
    .keyOffZeroesVolume = true,
    .rampsOverTick = true,
};

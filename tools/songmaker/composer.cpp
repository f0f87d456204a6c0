// Shared parts of the arrangement: chord tables and the writers for pads,
// arpeggios, rolling bass, hats and lead lines.
#include "composer.h"

namespace songmaker {

void Pattern::Play(int row, int channel, uint8_t note, uint8_t instrument, uint8_t volume) {
  XmCell& c = At(row, channel);
  c.note = note;
  c.instrument = instrument;
  if (volume != 0) c.volume = volume;
}

void Pattern::Fx(int row, int channel, uint8_t effect, uint8_t parameter) {
  XmCell& c = At(row, channel);
  c.effect = effect;
  c.parameter = parameter;
}

const Progression kMainChords = {{
    {"A-1", "A-3", "E-4", "A-4", 0x37},
    {"F-1", "A-3", "F-4", "F-4", 0x47},
    {"C-2", "G-3", "E-4", "C-5", 0x47},
    {"G-1", "G-3", "D-4", "G-4", 0x47},
}};

const Progression kGreetingChords = {{
    {"F-1", "A-3", "F-4", "F-4", 0x47},
    {"G-1", "B-3", "D-4", "G-4", 0x47},
    {"E-1", "G-3", "B-3", "E-4", 0x37},
    {"A-1", "A-3", "E-4", "A-4", 0x37},
}};

void WritePads(Pattern& p, const Progression& chords, int volume) {
  // The two pad voices sit left and right of centre (the volume column's pan
  // command), so their level is set with the set-volume effect.
  for (int bar = 0; bar < 4; ++bar) {
    p.Play(bar * 16, kChPadA, Note(chords[bar].padA), kInsPad, kVolPan + 5);
    p.Fx(bar * 16, kChPadA, kFxSetVolume, static_cast<uint8_t>(volume));
    p.Play(bar * 16, kChPadB, Note(chords[bar].padB), kInsPad, kVolPan + 11);
    p.Fx(bar * 16, kChPadB, kFxSetVolume, static_cast<uint8_t>(volume));
  }
}

void WriteArp(Pattern& p, const Progression& chords, int volume, int firstBar) {
  for (int bar = firstBar; bar < 4; ++bar) {
    p.Play(bar * 16, kChArp, Note(chords[bar].arp), kInsArp, Vol(volume));
    // The arpeggio acts only on rows that carry it, so it is written on all.
    for (int r = 0; r < 16; ++r) p.Fx(bar * 16 + r, kChArp, kFxArpeggio, chords[bar].arpShape);
  }
}

void WriteRollingBass(Pattern& p, const Progression& chords, int from, int to) {
  for (int row = from; row < to; ++row) {
    int step = row % 4;
    if (step == 0) continue;  // the kick owns the beat
    uint8_t root = Note(chords[(row / 16) % 4].bass);
    static constexpr int kVolume[4] = {0, 40, 58, 48};
    p.Play(row, kChBass, step == 3 ? root + 12 : root, kInsBass, Vol(kVolume[step]));
  }
}

void WriteHats(Pattern& p, int from, int to, int accent, int ghost) {
  for (int row = from; row < to; ++row) {
    bool offbeat = row % 4 == 2;
    p.Play(row, kChHat, Note("C-4"), kInsHat);
    // The set-volume effect gives the groove its accents; the pan drifts
    // across the bar in the volume column.
    p.Fx(row, kChHat, kFxSetVolume, static_cast<uint8_t>(offbeat ? accent : ghost));
    p.Volume(row, kChHat, static_cast<uint8_t>(kVolPan + 6 + (row / 4) % 4));
  }
}

void WriteLead(Pattern& p, const LeadNote* notes, int count) {
  for (int i = 0; i < count; ++i) {
    const LeadNote& n = notes[i];
    if (n.note == nullptr) {
      p.KeyOff(n.row, kChLead);
      continue;
    }
    p.Play(n.row, kChLead, Note(n.note), kInsLead, n.volume ? Vol(n.volume) : 0);
  }
}

}  // namespace songmaker

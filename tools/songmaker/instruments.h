// The song's eleven synthesised instruments.
//
// Contract: each maker returns a complete XmInstrument (samples, envelopes,
// auto-vibrato, fadeout), built deterministically from the generators in
// dsp.h and the Sample class. Called once by the song maker; single thread.
// Every sample is tuned so that note C-4 plays it at its own pitch (C for
// tonal samples), which is why each carries relative note 12 or 24.
#pragma once

#include <vector>

#include "xm_writer.h"

namespace songmaker {

// Percussion (drums.cpp).
XmInstrument MakeKick();
XmInstrument MakeSnare();
XmInstrument MakeHat();
XmInstrument MakeCymbals();  // two samples: open hat below C-5, crash from C-5
XmInstrument MakeTom();
XmInstrument MakeImpact();

// Pitched sounds (tones.cpp).
XmInstrument MakeBass();
XmInstrument MakeLead();
XmInstrument MakePad();
XmInstrument MakeStab();
XmInstrument MakeArp();

// All eleven in instrument-number order (layout.h).
std::vector<XmInstrument> MakeInstruments();

}  // namespace songmaker

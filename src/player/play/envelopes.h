// The per-tick instrument processes: volume and pan envelopes, the envelope
// position command (Lxx) and the auto-vibrato. Called by the sequencer's row
// and tick steps and by the effects, on the thread that runs the ticks.
#pragma once
#include <cstdint>

#include "channel.h"

void FMUSIC_XM_ProcessEnvelope(MusicChannel* channel, int32_t& point, int32_t& tick, uint8_t type,
                               int pointCount, const EnvelopePoint* points, int loopEnd,
                               int loopStart, int sustainPoint, int32_t& output, int32_t& value,
                               uint8_t& stopped, int32_t& step, uint8_t changeFlag);
void FMUSIC_XM_InstrumentVibrato(MusicChannel* channel, const SongInstrument* instrument);
// Lxx: moves the channel's volume envelope (and with it the pan envelope when
// the volume envelope has a sustain point) to tick `position`.
void FMUSIC_XM_SetEnvelopePosition(const Song* song, MusicChannel* channel, int position);

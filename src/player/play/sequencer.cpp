// The sequencer: one tick at a time, the row step on the first tick of a row
// and the tick step on the others, then the channel update that turns each
// channel's period, volume, pan and envelopes into the parameters of its
// mixer voice. A new note on a voice that still sounds moves to the channel's
// ghost voice, so the old note fades out over the mixer's ramp instead of
// being cut with a click.
#include "sequencer.h"

#include <algorithm>
#include <cstdlib>

#include "effects.h"
#include "envelopes.h"
#include "pitch.h"
#include "rules.h"

MusicChannel FMUSIC_Channel[MAX_CHANNELS];

namespace {

const NoteCell kEmptyCell = {};

const SongPattern* PatternAt(const Song* song, int order) {
  if (order < 0 || order >= 256 || !song->patterns) return nullptr;
  const int number = song->orderTable[order];
  return number < song->patternCount ? &song->patterns[number] : nullptr;
}

// The cells of the current row, or null when the row has no stored cells: a
// pattern without data, or a row a pattern break reached beyond the end of
// its pattern. Such a row plays as empty.
const NoteCell* RowCells(const Song* song) {
  const SongPattern* pattern = PatternAt(song, song->order);
  if (!pattern || !pattern->cells || song->row < 0 || song->row >= pattern->rows) return nullptr;
  return pattern->cells + static_cast<size_t>(song->row) * static_cast<size_t>(song->channelCount);
}

int ChannelsToPlay(const Song* song) {
  return std::clamp<int>(song->channelCount, 0, MAX_CHANNELS);
}

void StepEnvelopes(MusicChannel& ch, const SongInstrument& in) {
  EnvelopeState& v = ch.volumeEnvelope;
  if ((in.volumeType & ENVELOPE_ON) && !v.stopped)
    FMUSIC_XM_ProcessEnvelope(
        &ch, v.point, v.tick, in.volumeType, in.volumePoints, in.volumeEnvelope, in.volumeLoopEnd,
        in.volumeLoopStart, in.volumeSustain, v.output, v.value, v.stopped, v.step, CHANGE_VOLUME);
  EnvelopeState& p = ch.panEnvelope;
  if ((in.panType & ENVELOPE_ON) && !p.stopped)
    FMUSIC_XM_ProcessEnvelope(&ch, p.point, p.tick, in.panType, in.panPoints, in.panEnvelope,
                              in.panLoopEnd, in.panLoopStart, in.panSustain, p.output, p.value,
                              p.stopped, p.step, CHANGE_PAN);
}

// Key off on the row: releases a sustained envelope and starts the fadeout.
// An instrument without volume envelope falls silent: its envelope closes,
// or, by the tracker's rule, the channel's volume drops to 0 (unless the
// row's instrument number gives the volume back at once).
void KeyOffOnRow(const PlayRules& rules, MusicChannel& ch, const ChannelSound& sound,
                 bool instrumentGiven) {
  ch.keyOff = 1;
  if (rules.keyOffZeroesVolume && !(sound.instrument->volumeType & ENVELOPE_ON) &&
      !instrumentGiven) {
    ch.volume = 0;
    ch.changeFlags |= CHANGE_SET_VOLUME;
  }
}

// The note, instrument and volume column of a cell (steps 1 to 10 of the row
// step): on tick 0, or on tick x of a note delay (EDx), where the volume
// column only sets the volume or the pan. Returns the channel's sound.
ChannelSound StartCell(Song* song, MusicChannel& ch, const NoteCell& cell, bool delayed) {
  const PlayRules& rules = RulesOf(song);
  const bool restartsLast = delayed && rules.delayRestartsLastNote;
  // A delayed note starts on its tick even under a volume-column portamento.
  const bool portamento = !restartsLast && fx::PortamentoRow(rules, cell);
  const bool keyOffCommand = cell.effect == 0x14 && rules.commands.Effect(0x14) &&
                             (!rules.keyOffAtTick || cell.parameter == 0);
  int note = cell.note;
  if (restartsLast && note == 0 && ch.notePlayed) note = ch.note + 1;
  // K00 keeps the row's note from starting, where it acts on the row alone.
  const bool hasNote = note >= 1 && note <= 96 && !(keyOffCommand && rules.keyOffAtTick);
  const bool waits = rules.instrumentWaitsForNote;
  if (cell.instrument) {
    if (waits)
      ch.nextInstrument = cell.instrument;
    else if (!portamento)
      ch.instrument = static_cast<uint8_t>(cell.instrument - 1);
  }
  if (hasNote && !portamento) {
    ch.note = static_cast<uint8_t>(note - 1);
    // No instrument chosen yet: the empty one (no instrument has number 256).
    if (waits) ch.instrument = static_cast<uint8_t>(ch.nextInstrument - 1);
    ch.notePlayed = 1;
  }
  const ChannelSound sound = SoundOf(song, ch);
  if (!delayed) ch.changeFlags = 0;
  if (hasNote) {
    // The loader rejects songs whose notes leave the table with their own
    // instrument; a note that borrows an earlier row's instrument is held
    // inside it here.
    const int realNote = std::clamp(note - 1 + sound.sample->relativeNote, 0, 119);
    int finetune = sound.sample->finetune;
    if (cell.effect == 0xE && fx::HighNibble(cell.parameter) == 5 && rules.commands.Extended(5))
      finetune = fx::LowNibble(cell.parameter) * 16 - 128;  // E5x: this note's finetune
    ch.targetPeriod = FMUSIC_NotePeriod(song, realNote, finetune);
    if (!portamento) ch.period = ch.targetPeriod;
    if (rules.portamentoRetriggers || !portamento) ch.changeFlags |= CHANGE_TRIGGER;
    if (!portamento) {
      ch.fx.finetune = finetune;
      ch.fx.startOffset = 0;
      if (cell.effect == 0x9 && rules.commands.Effect(0x9))
        ch.fx.startOffset = 256u * fx::Remember(ch.fx.sampleOffset, cell.parameter);
      if (!waits) fx::NoteStarted(&ch);
    }
  }
  ch.frequencyDelta = 0;
  ch.changeFlags |= CHANGE_FREQUENCY | CHANGE_VOLUME;
  const bool keyOff = note == NOTE_KEYOFF || keyOffCommand;
  if (cell.instrument) {
    if (waits) {
      // The sounding sample's volume and pan; a key off keeps its release.
      FMUSIC_XM_ResetVolume(&ch, sound.sample);
      if (!keyOff) {
        FMUSIC_XM_RestartInstrument(&ch);
        fx::NoteStarted(&ch);
      }
    } else {
      FMUSIC_XM_Resetcptr(&ch, sound.sample);
    }
    ch.fx.tremorMuted = 0;
    ch.fx.tremorPhase = 0;
  }
  if (keyOff) KeyOffOnRow(rules, ch, sound, cell.instrument != 0);
  // A delayed note restarts the envelopes, with or without its own note.
  if (restartsLast) {
    FMUSIC_XM_RestartInstrument(&ch);
    fx::NoteStarted(&ch);
  }
  const bool setsVolumeOrPan =
      (cell.volume >= 0x10 && cell.volume <= 0x50) || (cell.volume >= 0xC0 && cell.volume < 0xD0);
  if (cell.volume && (!delayed || setsVolumeOrPan))
    FMUSIC_XM_ProcessVolumeByte(&ch, cell.volume, rules);
  if (!rules.keyOffZeroesVolume && !(sound.instrument->volumeType & ENVELOPE_ON) && ch.keyOff)
    ch.volumeEnvelope.output = 0;
  return sound;
}

// Under the rule that global volume changes are heard at once, every channel
// passes its volume on every tick (this also ends a tremolo's offset).
void RefreshVolume(const PlayRules& rules, MusicChannel& ch) {
  ch.fx.volumeDelta = 0;
  if (rules.globalVolumeAtOnce) ch.changeFlags |= CHANGE_VOLUME;
}

void RowStep(Song* song, MusicChannel& ch, const NoteCell& cell) {
  const PlayRules& rules = RulesOf(song);
  ChannelSound sound;
  if (fx::DelaysNote(rules, cell)) {
    // The note, instrument and volume column wait for their tick; by the
    // tracker's rule the instrument number already chooses the next note's.
    if (cell.instrument && rules.instrumentWaitsForNote) ch.nextInstrument = cell.instrument;
    NoteCell held = cell;
    held.note = held.instrument = held.volume = 0;
    sound = StartCell(song, ch, held, false);
  } else {
    sound = StartCell(song, ch, cell, false);
  }
  RefreshVolume(rules, ch);
  const SongInstrument& in = *sound.instrument;
  StepEnvelopes(ch, in);
  if (ch.keyOff) FMUSIC_XM_Fadeout(&ch, &in);
  FMUSIC_XM_RowEffect(song, &ch, cell);
  FMUSIC_XM_InstrumentVibrato(&ch, &in);
  FMUSIC_XM_UpdateFlags(&ch, sound.sample, song);
}

void TickStep(Song* song, MusicChannel& ch, const NoteCell& cell) {
  const PlayRules& rules = RulesOf(song);
  ch.frequencyDelta = 0;
  ch.changeFlags = 0;
  const bool delayedStart =
      fx::DelaysNote(rules, cell) && song->tick == fx::LowNibble(cell.parameter);
  // The volume column's slide acts before a delayed note starts, on the
  // note it replaces.
  FMUSIC_XM_TickVolumeByte(song, &ch, cell.volume);
  const ChannelSound sound = delayedStart ? StartCell(song, ch, cell, true) : SoundOf(song, ch);
  RefreshVolume(rules, ch);
  StepEnvelopes(ch, *sound.instrument);
  if (ch.keyOff) FMUSIC_XM_Fadeout(&ch, sound.instrument);
  FMUSIC_XM_TickEffect(song, &ch, cell);
  FMUSIC_XM_InstrumentVibrato(&ch, sound.instrument);
  FMUSIC_XM_UpdateFlags(&ch, sound.sample, song);
}

void SetGains(MixChannel& voice) {
  voice.leftGain = voice.pan * voice.volume / 255;
  voice.rightGain = (255 - voice.pan) * voice.volume / 255;
}

// Moves a sounding voice's note to the other voice of the pair (i and i + 32)
// and silences the original, which the mixer then ramps down.
MixChannel* MoveToGhost(MixChannel* voice) {
  const int ghostIndex = voice->index < GHOST_VOICE_OFFSET ? voice->index + GHOST_VOICE_OFFSET
                                                           : voice->index - GHOST_VOICE_OFFSET;
  if (ghostIndex < 0 || ghostIndex >= MIX_ACTIVE_VOICES) return voice;
  MixChannel* ghost = &FSOUND_Channel[ghostIndex];
  *ghost = *voice;
  ghost->index = ghostIndex;
  voice->volume = 0;
  voice->rampFrames = 0;
  voice->leftGain = 0;
  voice->rightGain = 0;
  return ghost;
}

}  // namespace

void FMUSIC_XM_Resetcptr(MusicChannel* channel, SongSample* sample) {
  FMUSIC_XM_ResetVolume(channel, sample);
  FMUSIC_XM_RestartInstrument(channel);
}

void FMUSIC_XM_ResetVolume(MusicChannel* channel, const SongSample* sample) {
  channel->volume = sample->volume;
  channel->pan = sample->pan;
  channel->changeFlags |= CHANGE_VOLUME | CHANGE_PAN | CHANGE_SET_VOLUME;
}

void FMUSIC_XM_RestartInstrument(MusicChannel* channel) {
  channel->volumeEnvelope.output = 64;
  channel->volumeEnvelope.point = 0;
  channel->volumeEnvelope.tick = 0;
  channel->volumeEnvelope.step = 0;
  channel->volumeEnvelope.stopped = 0;
  channel->panEnvelope.output = 32;
  channel->panEnvelope.point = 0;
  channel->panEnvelope.tick = 0;
  channel->panEnvelope.step = 0;
  channel->panEnvelope.stopped = 0;
  channel->keyOff = 0;
  channel->fadeoutVolume = 65536;
  channel->vibratoPosition = 0;
  channel->vibratoSweepPosition = 0;
  channel->changeFlags |= CHANGE_VOLUME | CHANGE_PAN;
}

void FMUSIC_XM_UpdateFlags(MusicChannel* channel, SongSample* sample, Song* song) {
  MixChannel* voice = channel->voice;
  if (!voice) return;
  const int64_t period = channel->period;
  const int64_t delta = channel->frequencyDelta;
  if (period + delta == 0) channel->changeFlags &= static_cast<uint8_t>(~CHANGE_FREQUENCY);

  if (channel->changeFlags & CHANGE_TRIGGER) {
    if (voice->sample) voice = channel->voice = MoveToGhost(voice);
    voice->sample = sample;
    voice->position = 0;
    if (channel->fx.startOffset) {
      // A sample offset (9xx) past the end leaves the note silent.
      if (channel->fx.startOffset < sample->length)
        voice->position = channel->fx.startOffset;
      else
        voice->sample = &FMUSIC_DummySample;
    }
    voice->fraction = 0;
    voice->direction = DIRECTION_FORWARD;
    voice->rampLeft = voice->rampRight = 0;
    voice->rampCount = 0;
  }
  if (channel->changeFlags & (CHANGE_VOLUME | CHANGE_PAN))
    voice->rampFrames =
        RulesOf(song).rampsOverTick && !(channel->changeFlags & (CHANGE_TRIGGER | CHANGE_SET_VOLUME))
                            ? song->samplesPerTick
                            : 0;
  if (channel->changeFlags & CHANGE_VOLUME) {
    // 255 x 2^-35: full scale (64 x 64 x 65,536 x 64) gives 127.5.
    const double k = static_cast<float>(255.0 / 34359738368.0);
    int32_t volume = channel->volume;
    // The complete set's tremolo and tremor act on this tick's volume only.
    if (channel->fx.volumeDelta) volume = std::clamp(volume + channel->fx.volumeDelta, 0, 64);
    if (channel->fx.tremorMuted) volume = 0;
    const double gain = static_cast<double>(volume) * channel->volumeEnvelope.output *
                        channel->fadeoutVolume * song->globalVolume * k;
    voice->volume = static_cast<int32_t>(std::clamp(gain, 0.0, 65535.0));
    SetGains(*voice);
  }
  if (channel->changeFlags & CHANGE_PAN) {
    const int32_t p = channel->pan;
    const int32_t reach = (128 - std::abs(p - 128)) / 32;
    voice->pan = std::clamp(p + (channel->panEnvelope.output - 32) * reach, 0, 255);
    SetGains(*voice);
  }
  if ((channel->changeFlags & CHANGE_FREQUENCY) && FSOUND_MixRate > 0) {
    // At least 100 Hz; below 256 x the mix rate, the largest step the mixer's
    // 8.24 boundary arithmetic can carry.
    const int64_t limit = 256LL * FSOUND_MixRate - 1;
    const int64_t rate = FSOUND_MixRate;
    if (RulesOf(song).exactPitch) {
      // Two channels a few notes apart then stay in tune with each other, as
      // in trackers.
      const double f =
          std::clamp(FMUSIC_ExactFrequency(song, period, delta),
                     static_cast<double>(FMUSIC_MIN_FREQUENCY), static_cast<double>(limit));
      const uint64_t step = static_cast<uint64_t>(f / static_cast<double>(rate) * 4294967296.0);
      voice->stepInteger = static_cast<uint32_t>(step >> 32);
      voice->stepFraction = static_cast<uint32_t>(step);
    } else {
      const int64_t f =
          std::clamp<int64_t>(FMUSIC_Frequency(song, period, delta), FMUSIC_MIN_FREQUENCY, limit);
      voice->stepInteger = static_cast<uint32_t>(f / rate);
      voice->stepFraction = static_cast<uint32_t>(((f % rate) << 32) / rate);
    }
  }
}

namespace {

// A global volume change made by a channel reaches the channels stepped
// before it on the same tick, where the rules say it is heard at once.
void PassOnGlobalVolume(Song* song, int32_t before) {
  if (!RulesOf(song).globalVolumeAtOnce || song->globalVolume == before) return;
  for (int c = 0; c < ChannelsToPlay(song); ++c) {
    MusicChannel& ch = FMUSIC_Channel[c];
    ch.changeFlags = CHANGE_VOLUME;
    FMUSIC_XM_UpdateFlags(&ch, SoundOf(song, ch).sample, song);
  }
}

}  // namespace

void FMUSIC_UpdateXMNote(Song* song) {
  song->nextRow = -1;
  song->nextOrder = -1;
  song->flow.positionJump = song->flow.breakSet = song->flow.loopJump = 0;
  const int32_t globalVolume = song->globalVolume;
  const NoteCell* cells = RowCells(song);
  for (int c = 0; c < ChannelsToPlay(song); ++c)
    RowStep(song, FMUSIC_Channel[c], cells ? cells[c] : kEmptyCell);
  PassOnGlobalVolume(song, globalVolume);
}

void FMUSIC_UpdateXMEffects(Song* song) {
  const int32_t globalVolume = song->globalVolume;
  const NoteCell* cells = RowCells(song);
  for (int c = 0; c < ChannelsToPlay(song); ++c)
    TickStep(song, FMUSIC_Channel[c], cells ? cells[c] : kEmptyCell);
  PassOnGlobalVolume(song, globalVolume);
}

namespace {

// Where the song goes after a row: a position jump or pattern break changes
// the order entry and lands on the break row; a pattern loop jumps back
// within the pattern; else the next row, or at the pattern's end the next
// order entry at the break row (0 unless a pattern loop left its row there).
// Past the last entry: the restart position (order 0 after a pattern break,
// where the rules say so).
void NextRow(Song* song) {
  SongFlowState& f = song->flow;
  bool wrapToFirst = false;
  if (f.positionJump || f.breakSet) {
    if (!f.positionJump) {
      song->nextOrder = song->order + 1;
      wrapToFirst = RulesOf(song).breakWrapsToFirstOrder;
    }
    song->nextRow = f.breakRow;
    f.breakRow = 0;
  } else if (f.loopJump) {
    song->nextOrder = song->order;
    song->nextRow = f.breakRow;
  } else {
    song->nextRow = song->row + 1;
    const SongPattern* pattern = PatternAt(song, song->order);
    if (song->nextRow >= (pattern ? pattern->rows : 0)) {
      song->nextOrder = song->order + 1;
      song->nextRow = f.breakRow;
      f.breakRow = 0;
    }
  }
  if (song->nextOrder >= song->songLength)
    song->nextOrder = wrapToFirst ? 0 : song->restartPosition;
}

}  // namespace

void FMUSIC_UpdateXM(Song* song) {
  if (song->tick == 0 && !song->flow.repeatingRow) {
    if (song->nextOrder >= 0) song->order = song->nextOrder;
    if (song->nextRow >= 0) song->row = song->nextRow;
    FMUSIC_UpdateXMNote(song);
    NextRow(song);
  } else {
    // Also the first tick of a row that a pattern delay (EEx) plays again:
    // the row's notes are not read again, its effects go on.
    FMUSIC_UpdateXMEffects(song);
  }
  song->tick += 1;
  if (song->tick >= song->speed) {
    song->tick = 0;
    SongFlowState& f = song->flow;
    f.repeatingRow = f.patternDelay > 0;
    if (f.patternDelay > 0) --f.patternDelay;
  }
}

bool FMUSIC_SetPlayRules(Song* song, const PlayRules* rules) {
  if (song == nullptr) return false;
  song->rules = rules;
  return true;
}

void FMUSIC_ResetEffectState(Song* song) {
  song->flow = SongFlowState{};
}

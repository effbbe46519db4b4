// The instruments of a score, their names and the sound-bank identifiers derived from MIDI
// programs. Main thread only.
#pragma once

#include "score/score_model.h"

// Appends an instrument (channel 1, volume 127, pan 64, program 0) and answers its index; -1
// past kMaxInstruments or without memory.
SInt16 AjouteInstrument(ScoreHandle score);
InstrumentRecord *GetInstrumentPtr(ScoreHandle score, SInt16 index);  // in place; null outside
// Copies the name (kNomInstrumentTaille bytes with the terminator); "" and false outside.
Boolean GetNomInstrument(ScoreHandle score, SInt16 index, char *name);
SInt16 RechercheInstrumentParNom(ScoreHandle score, const char *name);  // exact; -1 when none
OSErr SetNomInstrument(ScoreHandle score, SInt16 index, const char *name);  // cut at 79 bytes
// Program, bank and sound id from the standard id (program x 100 + bank x 10); a drum takes its
// sound from the drum set by its key.
OSErr CvtIdStandardEnParamMIDIInstrument(ScoreHandle score, SInt16 index);
// Sound-bank resource ids, within a signed 16-bit id: program + bank128 for a melodic
// instrument (bank128 = bank x 128), 16384 + 128 (kit mod 128) + key for a drum sound. The one
// place of this arithmetic: the sound bank's ids (sound/sound_bank.h) are these.
enum : SInt32 { kBaseRsrcBatterie = 16384 };
SInt32 RsrcDgitInstrument(SInt16 program, SInt16 bank128);
SInt32 RsrcDgitBatterie(SInt16 kit, SInt16 key);

// ---- The metronome: two drum instruments and a staff of type -1 that playback clicks on ------
enum : UInt8 {
    kToucheMetronomeFort = 76,     // the accented beats' drum (high wood block)
    kToucheMetronomeFaible = 77,   // the other beats' (low wood block)
};
enum : SInt16 { kCanalBatterie = 10 };  // MIDI channel whose instrument is a drum kit
// The two metronome instruments (drums of kit 0, keys 76 and 77), made when the score has not
// got them; answers the index of the first, -1 without memory.
SInt16 CreeInstrumentsMetronome(ScoreHandle score);
// The score's metronome staff, made when it has none (not shown, not printed, playing the
// metronome instrument) and the score's metronome flag set; null without memory.
StaffHandle CreePorteeMetronome(ScoreHandle score);
StaffHandle GetPorteeMetronome(ScoreHandle score);  // the first staff of type -1, or null

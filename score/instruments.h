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

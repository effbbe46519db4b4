// A score's instruments as the sound bank plays them, and the metronome's accent pattern and
// count-in (its instruments and staff are the score's: score/instruments.h). Main thread only.
#pragma once

#include "score/instruments.h"

enum : SInt16 {
    kMaxMesuresDecompte = 16,      // count-in bars
    kMaxTempsMotifMetronome = 32,  // beats of an accent pattern
};

// The bank id an instrument plays: its sound id when set, else from its program and bank (a
// drum sound from its kit and key when unpitched, a whole kit on channel 10).
SInt32 IdSonInstrument(const InstrumentRecord *instrument);
// After loading: every instrument of the document's scores gets its sound id from its
// standard id (program x 100 + bank x 10) when it has one, else from its program and bank, and
// is marked as not loaded. reserved: 0.
void ConvertitIdInstrumentsApresChargement(DocumentRecord *document, SInt16 reserved);
// The accent pattern: accents[b] non-zero makes beat b of every measure a downbeat; no beats
// (or none accented) gives the default, the first beat of each measure.
void InitMetroPattern(SInt16 beats, const UInt8 *accents);
Boolean IsTempsFortMetronome(SInt32 beat);
// Count-in bars played by the metronome before the music starts (0 none; at most 16).
void SetRealTimeMetronome(SInt16 bars);
SInt16 GetRealTimeMetronome();

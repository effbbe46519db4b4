// A score's instruments as the sound bank plays them, and the metronome: its instruments, its
// staff (type -1), its accent pattern and the count-in. Main thread only.
#pragma once

#include "score/score_model.h"

enum : UInt8 {
    kToucheMetronomeFort = 76,     // the downbeat's drum (high wood block)
    kToucheMetronomeFaible = 77,   // the other beats' (low wood block)
};
enum : SInt16 {
    kMaxMesuresDecompte = 16,      // count-in bars
    kMaxTempsMotifMetronome = 32,  // beats of an accent pattern
};
enum : UInt32 { kCanalBatterie = 10 };  // MIDI channel whose instrument is a drum kit

// The bank id an instrument plays: its sound id when set, else from its program and bank (a
// drum sound from its kit and key when unpitched, a whole kit on channel 10).
SInt32 IdSonInstrument(const InstrumentRecord *instrument);
// After loading: every instrument of the document's scores gets its sound id from its
// standard id (program x 100 + bank x 10) when it has one, else from its program and bank, and
// is marked as not loaded. reserved: 0.
void ConvertitIdInstrumentsApresChargement(DocumentRecord *document, SInt16 reserved);
// The two metronome instruments (drums of kit 0, keys 76 and 77), made when the score has not
// got them; answers the index of the first, -1 without memory.
SInt16 CreeInstrumentsMetronome(ScoreHandle score);
// The score's metronome staff, made when it has none (not shown, not printed, playing the
// metronome instrument) and the score's metronome flag set; null without memory.
StaffHandle CreePorteeMetronome(ScoreHandle score);
StaffHandle GetPorteeMetronome(ScoreHandle score);  // the first staff of type -1, or null
// The accent pattern: accents[b] non-zero makes beat b of every measure a downbeat; no beats
// (or none accented) gives the default, the first beat of each measure.
void InitMetroPattern(SInt16 beats, const UInt8 *accents);
Boolean IsTempsFortMetronome(SInt32 beat);
// Count-in bars played by the metronome before the music starts (0 none; at most 16).
void SetRealTimeMetronome(SInt16 bars);
SInt16 GetRealTimeMetronome();

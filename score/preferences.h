// The engine's process-wide preferences block and interface language. Main thread only.
#pragma once

#include "score/music_records.h"

struct Preferences {
    UInt8 singingEnabled;        // sung tracks may play (the mixer plays a sung stream only then)
    UInt8 warnings;              // import warnings are written to the trace
    SInt16 defaultInstrument;    // given to ABC staves
    UInt8 autoRecompute;         // cleared by the ABC load while it runs
    UInt8 accidentalsAllOctaves; // an accidental holds for its degree in every octave of the measure
    UInt8 angloNotation;         // letter names (C D E) rather than syllables
    UInt8 accidentalNaming;      // automatic note names follow the accidentals
    UInt8 slurShaping;           // slurs are shaped automatically
    UInt8 display[3];            // display switches the plug-in turns off
    GraphicModeRecord graphicMode;
};

extern Preferences pref;
extern SInt16 Langue;  // the string list number of the interface language (1 English)

void FixePrefStd();  // the defaults
void GetDefautModeGraphique(GraphicModeRecord *mode);

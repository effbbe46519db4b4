// The preferences block and its defaults.
#include "score/preferences.h"

#include <cstring>

Preferences pref;
SInt16 Langue = 1;

void FixePrefStd() {
    std::memset(&pref, 0, sizeof pref);
    pref.singingEnabled = 1;
    pref.defaultInstrument = 0;
    pref.autoRecompute = 1;
    pref.angloNotation = 1;
    pref.accidentalNaming = 1;
    pref.slurShaping = 1;
    GetDefautModeGraphique(&pref.graphicMode);
}

void GetDefautModeGraphique(GraphicModeRecord *mode) {
    if (!mode) return;
    mode->mode = 0;
    mode->smoothing = 1;
    mode->colouredNotes = 0;
}

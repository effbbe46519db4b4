// The demo scores that playback is heard and checked with: dynamics, a crescendo, a tempo mark,
// the metronome, and repeats, endings and jumps (one whole note a measure, C4 D4 E4 F4 G4 ...).
#pragma once

#include "score/score_model.h"

OSErr ConstruitDynamiques(DocumentRecord *document);
OSErr ConstruitCrescendo(DocumentRecord *document);
OSErr ConstruitTempo(DocumentRecord *document);
OSErr ConstruitMetronome(DocumentRecord *document);

// One demo of repeats and jumps: its measures and its ruptures (kinds of score/ruptures.h).
struct RuptureDemoRecord {
    SInt16 kind;
    SInt32 measure;       // from 0
    UInt16 endings;       // bit n - 1: ending n
    SInt16 passCount;     // 0: the kind's own
    SInt16 parameter;
};
struct RepeatDemoRow {
    SInt32 measures;
    RuptureDemoRecord ruptures[8];
    SInt32 rupturesCount;
    const char *custom;    // a played-measures text, or null
};
enum : SInt32 { kDemosReprise = 9 };
extern const RepeatDemoRow kRepeatDemos[kDemosReprise];
// The repeat demo of that row: one staff, a whole note a measure, the ruptures, then the
// played-measure table (or the custom text's).
OSErr ConstruitDemoReprise(DocumentRecord *document, const RepeatDemoRow *row);
template <SInt32 row>
OSErr ConstruitDemoRepriseRang(DocumentRecord *document) {
    return ConstruitDemoReprise(document, &kRepeatDemos[row]);
}

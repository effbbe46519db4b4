// Repeats, endings, jumps and special bar lines of a score ("ruptures"): a sorted table of
// records that stand at score times. Playback unrolls them into the played-measure table
// (score/played_measures.h); the engraver draws them. Main thread only.
#pragma once

#include "score/score_model.h"

// Kinds: what the rupture is on the page.
enum : SInt16 {
    kRuptureSansBarre = 0,      // no bar line ("none")
    kRuptureDebutEpaisse = 1,   // heavy-light bar; ABC writes ending flags on it
    kRuptureFinale = 2,         // light-heavy bar
    kRuptureDebutReprise = 3,   // repeat start
    kRuptureFinReprise = 4,     // repeat end
    kRuptureCoupure = 5,        // between the two pieces of a split measure: nothing drawn
    kRuptureDoubleBarre = 6,    // light-light bar
    kRuptureEpaisse = 7,        // heavy bar
    kRupturePointillee = 8,     // dotted or dashed bar
    kRuptureDebutFin = 9,       // an ending (volta) begins: endings[] says on which passes it plays
    kRuptureFinFin = 10,        // the ending closes
    kRuptureSegno = 11,
    kRuptureCoda = 12,
    kRuptureFine = 13,
    kRuptureVersCoda = 14,
    kRuptureDaCapo = 15,
    kRuptureDalSegno = 16,
    kRuptureDernierType = 16,
};

// Action codes: what the rupture does when played. AjouteRupture sets the kind's own;
// importers may change it (a segno that is also a coda target takes kActionCoda).
enum : UInt8 {
    kActionAucune = 0,
    kActionDebutReprise = 1,
    kActionFinReprise = 2,
    kActionDalSegno = 3,
    kActionVersCoda = 4,
    kActionDaCapo = 5,
    kActionFine = 6,
    kActionSegno = 7,
    kActionCoda = 8,
};

enum : UInt8 { kPassageAucun = 0, kPassageAlCoda = 1, kPassageAlFine = 2 };
enum : UInt8 {
    kRepetitionNormale = 0,
    kRepetitionSeulementPassage = 2,  // acts only on the pass that passCount names
    kRepetitionFin = 3,               // set on endings by importers
};

enum : SInt32 {
    kRuptureTexteTaille = 128,
    kRuptureFins = 16,            // endings[0..15]: endings 1..16
    kMaxRuptures = 32000,
    kRuptureAvantFin = 2,         // what closes a measure stands 2 units before its end
};

// RuptureRecord: one rupture; a handle of them, sorted by time then kind, is the score's
// `ruptures` (`ruptureCount` entries). Plain bytes: the table moves with its handle.
struct RuptureRecord {
    SInt16 kind;                         // kRupture...
    SInt32 time;                         // score units: a measure's start, or 2 before its end
    char text[kRuptureTexteTaille];      // NUL-terminated; engraving codes "$S" "$C" "$N" "$P"
    UInt8 action;                        // kAction...
    SInt16 parameter;                    // jump index: a D.S. goes to the segno of equal parameter
    UInt8 passage;                       // kPassage... of a D.C. or D.S. (importers)
    UInt8 repetitionMode;                // kRepetition...
    SInt16 passCount;                    // repeat end: times its section plays (1 "default");
                                         // kRepetitionSeulementPassage: the pass it acts on
    UInt8 endings[kRuptureFins];         // endings[n - 1] non-zero: the ending plays on pass n
    SInt16 textSize;                     // points of the text (engraving; importers scale it)
};

// Adds a rupture at a time, replacing (cleared) one of the same kind at that time. Answers its
// index, valid until the next rupture call; -1 for a bad score, kind or time, or no memory.
SInt32 AjouteRupture(ScoreHandle score, SInt16 kind, SInt32 time);
// Adds a rupture of a kind to a measure: at its start, or 2 units before its end for the kinds
// that close a measure (final bar, repeat end, ending end, fine and the jumps). predefined:
// the kind's own text ("D.C.", "$S" ...). Answers the index, -1 on failure.
SInt32 AjouteRuptureEnMesure(ScoreHandle score, SInt16 kind, SInt32 measure, SInt16 predefined);
// In place, valid until the next rupture call; null outside.
RuptureRecord *GetRupturePtr(ScoreHandle score, SInt32 index);
// The index of the first rupture of that kind in the measure, -1 when none.
SInt32 GetIndexTypeRupturePresent(ScoreHandle score, SInt16 kind, SInt32 measure);
// The measure a rupture belongs to: the one holding its time, except that a bar line closing a
// measure (final bar, repeat end, ending end) on a measure's start, or on the end of the score,
// closes the measure before. -1 outside.
SInt32 CvtRuptureEnMesure(ScoreHandle score, const RuptureRecord *rupture);
// Moves the ruptures standing in the last 2 units of a measure to the last 2 units of the next
// one. Call it once both measures have their final lengths. paramErr without a next measure.
OSErr ReporteRuptureFinMesureSurMesureSuivante(ScoreHandle score, SInt32 measure);
// After loading: drops ruptures of unknown kinds, gives each its kind's action when it has
// none, moves the bar lines that close a measure from the next measure's start to 2 units
// before it and what opens one (repeat start, ending) from the last 2 units of the measure
// before to its start, keeps one rupture
// of a kind at a time, sorts, then recomputes the played-measure table and marks the layout.
void RemetRupturesEnForme(ScoreHandle score);
// The action code a kind gets when added.
UInt8 ActionDeTypeRupture(SInt16 kind);

// The ruptures of a score: bar-line styles, repeats, endings and jumps, each at a score time.
// Playback adds and orders them and unrolls the played measures from them; the engraver draws
// them; importers fill their texts and parameters. Main thread only.
#pragma once

#include "score/score_model.h"

enum : SInt16 {
    kRuptureAucune = 0,         // no bar line shown
    kRuptureEpaisseFine = 1,    // heavy then light bar
    kRuptureFinale = 2,         // light then heavy bar
    kRuptureDebutReprise = 3,   // |:
    kRuptureFinReprise = 4,     // :|
    kRuptureCoupure = 5,        // a measure split at a bar line inside it
    kRuptureDouble = 6,         // two light bars
    kRuptureEpaisse = 7,        // one heavy bar
    kRuptureIntermittente = 8,  // dotted or dashed bar
    kRuptureDebutFin = 9,       // an ending (volta) starts: see endings
    kRuptureFinFin = 10,        // the open ending stops
    kRuptureSegno = 11,
    kRuptureCoda = 12,
    kRuptureFine = 13,
    kRuptureVersCoda = 14,
    kRuptureDaCapo = 15,
    kRuptureDalSegno = 16,
};
enum : SInt32 { kTexteRuptureTaille = 128, kFinsRupture = 16 };

// The text may hold escapes: "$c" draws c from the music font ("$S" segno, "$C" coda), "$N"
// the jump index + 1, "$P" the pass count.
struct RuptureRecord {
    SInt16 kind;                       // kRupture...
    SInt32 time;                       // score units: a measure's start, or 2 units before the next
    char text[kTexteRuptureTaille];    // NUL-terminated
    SInt16 textSize;                   // points, 0 the engraver's default
    SInt16 action;                     // playback's action code (7 segno, 8 coda ...)
    SInt16 parameter;                  // jump index among the jumps of its kind, from 0
    SInt16 passage;                    // 1 "al Coda", 2 "al Fine"
    SInt16 repetition;                 // playback's repetition mode
    SInt16 passCount;                  // passes of a repeat (1)
    UInt8 endings[kFinsRupture];       // entry n - 1 non-zero: the ending is taken on pass n
};
static_assert(std::is_trivially_copyable<RuptureRecord>::value, "records in handles are trivially copyable");

// The rupture at index, in place; null outside the score's ruptures.
RuptureRecord *GetRupturePtr(ScoreHandle score, SInt32 index);

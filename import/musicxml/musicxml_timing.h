// Score time from MusicXML: note-type values, "time" elements as time signatures, a measure
// length as a signature that spans it, the numbering of named jumps, repeat and jump ruptures
// in measures, the measure-level events of the frame pass and the split of a measure at a
// change inside it. Times are score units (161280 to a whole note). musicxml_timing.cpp.
#pragma once

#include "import/musicxml/musicxml_state.h"

enum : SInt32 {
    kXMLJumpKindSize = 10,               // a jump kind with its terminator ("SEGN")
    kXMLJumpNameSize = 100,              // a jump name with its terminator
    kXMLMaxSauts = 4096,                 // names of the jump dictionary; later ones share the last
    kXMLMaxLongueurMesure = 128 * 161280,  // longest measure: 128 whole notes
    kXMLUniteLongueur = 1260,            // measure lengths are whole multiples of a 128th note
};

// One named jump: its kind ("SEGN", "CODA", "CAPO", "FINE") and its name, both cut to fit.
struct XMLJumpEntry {
    char kind[kXMLJumpKindSize];
    char name[kXMLJumpNameSize];
};

// What a measure-level element is, for the frame pass's events.
enum : SInt32 {
    kXMLEvenementDirection = 0,
    kXMLEvenementAttributs = 1,
    kXMLEvenementAccord = 2,       // "harmony"
    kXMLEvenementBasseChiffree = 3,
    kXMLEvenementImpression = 4,   // "print"
    kXMLEvenementSon = 5,
    kXMLEvenementBarre = 6,        // "barline"
    kXMLEvenementGroupement = 7,
};

// A measure-level element of a part, at its position in its bar.
struct XMLMeasureEvent {
    SInt32 kind;       // kXMLEvenement...
    SInt32 part;       // index among the score-parts
    SInt32 bar;        // bar-numbering record
    SInt32 position;   // score units from the bar's start
    SInt32 divisions;  // MusicXML divisions of a quarter note in force
    XMLElt *element;   // the tree's
};

// A note type's value, case ignored: "long" 645120, "breve" 322560, "whole" 161280 ... "64th"
// 2520; any other name (also "128th") 1260, null 0.
SInt32 XMLGetNoteTypeDuration(const char *name);
// The signature of a "time" element: "common" 4/4 and "cut" 2/2 with the symbol; else its
// "beats" (summed over "3+2" and the like, the first two summands shown) over its first
// "beat-type". False, with the record cleared, when it has no usable beats or beat type (none,
// 0, or a sum beyond 128 beats): such an element is ignored.
Boolean XMLProcessTime(XMLElt *time, TimeSignature *signature);
// A signature spanning length (a multiple of kXMLUniteLongueur up to kXMLMaxLongueurMesure),
// over preferred when preferred divides it, else the first of 1, 2, 4 ... 128 that does with at
// most 128 beats. Answers the length the signature spans: longer than asked only for a length
// no signature spans (it is then rounded up).
SInt32 XMLMakeTimeSignature(TimeSignature *signature, SInt32 length, SInt16 preferred);
// The ordinal of name among the jumps of its kind, the pair added when new; kind and name are
// cut to kXMLJumpKindSize - 1 and kXMLJumpNameSize - 1 bytes first.
SInt16 XMLGetJumpIndex(XMLImportState *state, const char *kind, const char *name);
// Adds a rupture of that kind at the start of measure, or with atEnd 2 units before its end;
// answers its index, -1 for kind -1 (nothing) or a failure.
SInt32 XMLAddJump(ScoreHandle score, SInt32 measure, SInt16 kind, Boolean atEnd);
// The engine measure that starts at time, splitting the measure that holds it when none does:
// the second piece is not counted, no break may fall between the pieces, and the bar records
// after the bar that holds time point one measure further. Negative beyond the score.
SInt32 XMLSplitMeasureAt(XMLImportState *state, SInt32 time);
// qsort's order of events: bar, position, part, then document order.
int XMLEventCompare(const void *a, const void *b);

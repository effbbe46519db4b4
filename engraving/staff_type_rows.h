// The engraver's staff-type rows: each starts with the score model's StaffTypeOps and adds what
// the engraver asks of a type (whether it is drawn, its staff, its heads and rests, its height
// and the height of a pitch). Standard, lyrics, tempo, metronome, percussion, Gregorian and
// digital audio rows are here; staff objects register the tablature row through
// EnregistreTypePorteeGravure. Main thread only.
#pragma once

#include "score/staff_types.h"

struct SegmentContext;

struct EngravingStaffType {
    StaffTypeOps base;     // first: the model keeps &base, the engraver casts it back
    Boolean drawn;         // false: neither drawn nor printed
    Boolean keyShown;      // the staff shows key signatures
    Boolean stems;         // notes get stems, flags and beams
    // Lines, and the clef at the start (initial) or as a change: null draws no lines or clef.
    void (*drawStaff)(SegmentContext *c);
    void (*drawClef)(SegmentContext *c, float x, SInt32 measure, Boolean change);
    float (*clefWidth)(const SegmentContext *c, SInt32 measure, Boolean change);  // pixels
    UInt16 (*head)(const SegmentContext *c, SInt32 index, SInt32 writtenValue);  // glyph of a note's head
    UInt16 (*rest)(const SegmentContext *c, SInt32 writtenValue);                // glyph of a rest
    SInt16 (*height)(StaffHandle staff);   // points the staff needs (CheckHauteurPortee)
    // y of a diatonic position on the staff at the time: the clef's mapping onto the lines.
    float (*yOfPosition)(const SegmentContext *c, SInt32 time, SInt16 position);
    // The staff's notes in the row's own way (tablature fret numbers); null: the engraver's
    // heads, stems, beams, tuplets, grace notes, marks and curves.
    void (*drawNotes)(SegmentContext *c);
};

enum : SInt16 { kMaxLignesPortee = 16 };  // lines a staff shows at most

void InitTypesPorteeGravure();    // registers every row of this file with the model
// Registers a row kept by address (the engraver and the model both know it afterwards);
// paramErr for null or a full table.
OSErr EnregistreTypePorteeGravure(const EngravingStaffType *row);
// The engraver's row of the staff: the one registered here, else this file's row of its type,
// else the standard row.
const EngravingStaffType *GetTypePorteeGravure(StaffHandle staff);

// The stem direction a note is drawn with, negative down: its own direction, else its
// stem-down bit, else the staff type's stem operation.
SInt16 SensHampeNote(StaffHandle staff, SInt32 index);
// Whether a tie from the note curves above the heads: in a chord by its place in the chord,
// else against the stem.
Boolean CouleDessusNote(StaffHandle staff, SInt32 index);
// The height of a staff of lines and text lines: its lines, sixteen spaces of room and two
// spaces a text line, in points (the standard row's height).
SInt16 HauteurPorteeStandard(StaffHandle staff);
// What the staff's lines span in points, at least one spacing.
SInt32 HauteurLignesPortee(StaffHandle staff);
// The standard row's staff lines, clef and clef width.
void TraceLignesStandard(SegmentContext *c);
void TraceCleStandard(SegmentContext *c, float x, SInt32 measure, Boolean change);
float LargeurCleStandard(const SegmentContext *c, SInt32 measure, Boolean change);
// The standard stem operation: merged staves put the first voice's stems up and the others'
// down; otherwise a chord whose notes reach further above the middle line than below it points
// down, so notes on or above the middle line point down.
SInt16 SensHampeStandard(StaffHandle staff, SInt32 index);

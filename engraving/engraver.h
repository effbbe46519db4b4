// The engraver: one staff of one system drawn into the current port from a geometry record that
// page layout computes, in the music font of lentaraPrint through QuickDraw, so that recorded
// pages play and print alike. The engraver never breaks lines. Main thread only.
// segment.cpp: the segment, lines, clefs, keys and time signatures. chords.cpp: chord layout,
// stems and beams. notes_draw.cpp: heads, rests, flags, beams and tuplets. ornaments.cpp:
// grace notes and marks. curves.cpp: ties and slurs. bars.cpp: bar lines, repeats, endings and
// jumps. staff_objects_draw.cpp: dynamics, hairpins, octave shifts, tempo and pedal marks.
// repeat_symbol.cpp: the repeat-two-measures symbol. drawing_kit.cpp: shapes, glyphs and texts
// with escapes. segment_geometry.cpp: where times and staff positions fall in the port.
#pragma once

#include "graphics/pictures/pictures.h"
#include "score/score_model.h"

enum : UInt8 {
    kSegmentDebutSysteme = 1,    // the segment starts a system: clef and key drawn at its left
    kSegmentMarquesSysteme = 2,  // endings, jumps and repeat counts drawn above this staff
};
enum : SInt32 { kMaxMesuresSegment = 4096 };

struct GeometrieSegment;
typedef float (*TempsEnXProc)(const GeometrieSegment *geometry, SInt32 time);

// Where page layout puts one staff of one system; x grows rightward, y downward, in pixels of
// the current port.
struct GeometrieSegment {
    SInt32 firstMeasure;     // the segment shows measures [firstMeasure, firstMeasure + measureCount)
    SInt32 measureCount;     // 1..kMaxMesuresSegment
    const float *measureX;   // measureCount + 1 values: the bar line before each measure, then the end
    const float *notesX;     // measureCount values: where each measure's notes begin, after its
                             // clef, key and time room (LargeurDebutMesure)
    TempsEnXProc timeToX;    // x of a time of the segment; null: proportional in each measure
    void *refCon;            // the caller's, for timeToX
    float left;              // where the lines begin (the system's left edge)
    float top;               // y of the top line
    float space;             // staff space, 1..1000 pixels
    float zoom;              // plain texts are drawn at points x zoom pixels
    UInt8 flags;             // kSegment...
};

// Registers the engraver's staff-type rows and resets the tie and slur defaults; the player
// calls it once at start-up, after the score model.
void InitGravure();
// Forgets the rows and disposes the cached repeat symbol; the player calls it at shutdown.
void FinGravure();

// Draws the staff's segment into the current port, in its colours. paramErr for a staff or a
// geometry that cannot be drawn (no port, no measures, a range outside the score, values that
// are not finite or out of range); staves of types that are not drawn answer noErr. Without the
// music font only what is not a glyph is drawn: lines, stems, beams, bars and curves.
OSErr TracePorteeSegment(StaffHandle staff, const GeometrieSegment *geometry);
// Whether TracePorteeSegment would draw the staff with that geometry: a current port, a live
// staff, measures inside the score, finite values in range (its paramErr cases).
Boolean IsGeometrieSegmentValide(StaffHandle staff, const GeometrieSegment *geometry);
// The x of a time in the segment (the caller's timeToX or the proportional rule); times outside
// the segment answer its ends.
float XTempsSegment(ScoreHandle score, const GeometrieSegment *geometry, SInt32 time);
// The room, in pixels, that the clef, key and time signature shown at the start of a measure
// need at that staff space (at the start of a system: the whole clef and key).
float LargeurDebutMesure(StaffHandle staff, SInt32 measure, float space, Boolean systemStart);

// Draws the repeat-last-two-measures symbol centred on the bar line at x, on a staff whose top
// line is at top, spaced space. On its first call, and again after the font table changed, it
// records the symbol as a picture that later calls play; a call without a staff only prepares
// the picture.
void TraceSymboleRepeteDeuxDernieresMesures(StaffHandle staff, float x, float top, float space);
PicHandle GetSymboleRepeteDeuxMesures();  // the picture kept, or null (tests)

// What the engraver's files share while one staff segment is drawn: the segment's context, the
// layout of its chords and beams, and the drawing kit (lines, polygons, curves, glyphs and
// texts in the current port). drawing_kit.cpp holds the kit. Main thread only.
#pragma once

#include <vector>

#include "engraving/engraver.h"
#include "score/note_params.h"

struct EngravingStaffType;
struct MusicGlyphMetrics;
struct RuptureRecord;

// Written values, score units.
enum : SInt32 {
    kValeurCarree = 322560,
    kValeurRonde = 161280,
    kValeurBlanche = 80640,
    kValeurNoire = 40320,
    kValeurCroche = 20160,
    kValeur128 = 1260,
};
enum : SInt32 { kMaxLignesSupplementaires = 20, kMaxNotesAccord = 64 };

// One note of a chord as drawn.
struct NoteLayout {
    SInt32 index;        // in the staff
    SInt16 position;     // diatonic position as written (octave lines undone)
    UInt8 accidental;    // shown accidental code, kAlterationAucune for none
    Boolean editorial;   // the accidental stands in parentheses
    Boolean displaced;   // the head stands on the other side of the stem (seconds)
    float x;             // the head's left edge
    float y;             // the head's middle
    float width;         // the head's width
    float accidentalX;   // the accidental's left edge
    UInt16 head;         // glyph
};

// One chord, rest or measure-repeat sign.
struct ChordLayout {
    SInt32 index;        // its first note in the staff
    SInt32 firstNote;    // its NoteLayout entries
    SInt32 noteCount;
    SInt32 time;
    SInt32 duration;     // of its first note
    SInt32 value;        // written value: the duration with its tuplet undone
    SInt32 base;         // the plain value drawn (breve .. 128th)
    UInt8 dots;
    UInt8 beams;         // flags or beams: 1 for an eighth
    Boolean rest;
    Boolean repeatSign;
    Boolean stem;
    SInt16 direction;    // 1 up, -1 down
    SInt32 group;        // beam group, -1 none
    float x;             // left edge of the heads on the stem's usual side
    float headWidth;
    float stemX;
    float stemBase;      // y where the stem leaves the heads
    float stemEnd;       // y of its free end
    float left, right;   // ink of the heads and accidentals
    float top, bottom;   // ink of the heads (or the rest)
    float markTop, markBottom;  // where the next mark above (below) may go
    UInt16 restGlyph;    // a rest's glyph, its origin at (x, restY)
    float restY;
};

struct BeamGroupLayout {
    SInt32 first, last;  // chords
    SInt16 direction;
    float x0, y0, x1, y1;  // the outer beam's edge on the stems' ends
};

// A stretch of an octave line: notes drawn steps lower than they sound.
struct OctaveSpan {
    SInt32 start, end;
    SInt16 steps;
};

struct SegmentContext {
    StaffHandle staff;
    ScoreHandle score;
    const GeometrieSegment *g;
    const EngravingStaffType *row;
    float space;          // pixels
    float unit;           // pixels per point of a standard staff (a space is 6 points)
    float top;            // y of the top line
    float bottom;         // y of the bottom line
    float right;          // the segment's end
    SInt32 tStart, tEnd;  // times of the segment
    SInt16 font;          // the music font, 0 when missing
    SInt16 glyphSize;     // text size of the music font for this space
    float lineWidth, stemWidth, ledgerWidth, thinBar, thickBar, beamThickness;
    std::vector<NoteLayout> notes;
    std::vector<ChordLayout> chords;
    std::vector<BeamGroupLayout> groups;
    std::vector<OctaveSpan> octaves;
};

// ---- segment_geometry.cpp ------------------------------------------------------------------------
float YPosition(const SegmentContext *c, SInt32 time, SInt16 position);  // through the type's row
SInt16 PositionMedianeContexte(const SegmentContext *c, SInt32 time);
float XTemps(const SegmentContext *c, SInt32 time);
SInt32 MesureSegment(const SegmentContext *c, SInt32 time);  // segment-relative measure, clamped

// ---- chords.cpp ------------------------------------------------------------------------------------
void CalculeAccords(SegmentContext *c);   // chords, heads, accidentals, stems
void CalculeGroupes(SegmentContext *c);   // beam groups and stem ends
// The written value of a duration under a tuplet code, and its plain value, dots and flags.
void DecomposeValeur(UInt32 duration, UInt8 tuplet, SInt32 *value, SInt32 *base, UInt8 *dots, UInt8 *beams);
SInt16 DecalageOctave(const SegmentContext *c, SInt32 time);  // diatonic steps drawn lower
// Places the chord's heads and stem for a direction (1 up, -1 down), stem ends unbeamed.
void PlaceAccord(SegmentContext *c, ChordLayout *chord, SInt16 direction);

// ---- notes_draw.cpp --------------------------------------------------------------------------------
void TraceAccords(SegmentContext *c);     // ledger lines, heads, accidentals, dots, stems, flags, rests
void TraceGroupes(SegmentContext *c);     // beams
void TraceNolets(SegmentContext *c);      // tuplets

// ---- ornaments.cpp ---------------------------------------------------------------------------------
void TraceAppoggiatures(SegmentContext *c);
void TraceMarques(SegmentContext *c);

// ---- curves.cpp ------------------------------------------------------------------------------------
void TraceLiaisons(SegmentContext *c);

// ---- bars.cpp --------------------------------------------------------------------------------------
void TraceBarres(SegmentContext *c);      // bar lines, repeats, endings and jumps
Boolean RepriseEnDebut(ScoreHandle score, SInt32 measure);  // a repeat starts at the measure
float LargeurRepriseDebut(float space);   // the room it takes at the start of a system

// ---- repeat_symbol.cpp ----------------------------------------------------------------------------
void LibereSymboleRepete();               // disposes the cached symbol

// ---- staff_objects_draw.cpp -----------------------------------------------------------------------
void TraceObjetsDynamiques(SegmentContext *c);

// ---- drawing_kit.cpp -------------------------------------------------------------------------------
const MusicGlyphMetrics *MetriqueGlyphe(UInt16 code);   // null for a code without a glyph
UInt16 GlypheAlteration(UInt8 code);                   // an accidental code's glyph, 0 for none
float PixelsUnites(const SegmentContext *c, float units, float scale = 1);  // font units to pixels
float AvanceGlyphe(const SegmentContext *c, UInt16 code, float scale = 1);
// Draws a glyph with its origin at (x, y); nothing without the music font or a glyph.
void TraceGlyphe(const SegmentContext *c, UInt16 code, float x, float y, float scale = 1);
void RectangleNoir(float left, float top, float right, float bottom);   // at least a pixel each way
void LigneHorizontale(float x0, float x1, float y, float width);
void LigneVerticale(float x, float y0, float y1, float width);
void Trait(float x0, float y0, float x1, float y1, float width);       // a straight stroke
void Quadrilatere(const float x[4], const float y[4]);                 // filled
// A curve from (x0, y0) to (x3, y3) with the control points (x1, y1), (x2, y2), thickness in
// its middle, thin at its ends.
void Courbe(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float thickness);
// Text with escapes ("$c" a glyph of the music font, "$N" index + 1, "$P" passes, "$(1)".."$(4)"
// a whole to an eighth note) in a text font at points x zoom, baseline y; align 0 left, 1 centre,
// 2 right of x. Answers its width.
float TraceTexteEchappe(const SegmentContext *c, const char *text, float x, float y, float points, SInt16 align,
                        SInt16 index, SInt16 passes);
float LargeurTexteEchappe(const SegmentContext *c, const char *text, float points, SInt16 index, SInt16 passes);
float Borne(float v);  // clamped into the ports' 16-bit range

// Karaoke cells: the texts a staff carries per measure on its text lines, line 1 the lyrics
// (one cell per measure and verse) and line 2 the chord symbols (one cell per measure), each a
// styled string; and the slots, the note positions of a measure that carry one syllable or
// chord each. Main thread only.
// karaoke_cells.cpp: the cells and the lyric-staff switch. karaoke_slots.cpp: slots, the text
// of a slot, chord indices.
//
// Cell syntax: a blank, '-' or '_' ends a syllable and stays with it ('-' inside a word, '_' an
// extender held over the following notes); '^' is a blank and '=' a hyphen inside a syllable; a
// carriage return (13) ends a line, two end a paragraph. A syllable made of its separator alone
// is an empty syllable (a note that takes none, such as a tie's continuation).
#pragma once

#include <vector>

#include "staffobjects/styled_strings.h"
#include "score/score_model.h"

struct ChordRecord;

enum : SInt16 { kLigneParoles = 1, kLigneAccords = 2 };  // text lines
enum : SInt32 {
    kMaxCouplets = 64,            // verses of a lyric line
    kMaxTexteCellule = 65535,     // bytes of one cell's text
    kTexteCelluleCopie = 512,     // the buffer GetTexteKaraokeCellule fills, its zero included
    kNbMaxTaquets = 256,          // slots of one measure; callers allocate that many
};

// ---- Cells (karaoke_cells.cpp) -------------------------------------------------------------------

// Sets, replaces or (with an empty text) deletes the cell (measure, verse) of a text line; the
// arguments in the order the importers pass them. Line 2 keeps one cell a measure: verse is
// ignored there; chord may be null (the cell's words are the chord names, read back with
// CvtChaineEnAccord). A lyric cell widens the staff's verse count and height; every change tells
// the singer that the staff must be sung again. paramErr for a staff that is not live, a line
// other than 1 and 2, a measure outside the score, a verse outside 0..kMaxCouplets - 1, a text
// past kMaxTexteCellule bytes or a malformed styled string; memFullErr. Invalid UTF-8 becomes '?'.
OSErr SetTexteKaraokeCellule(StaffHandle staff, SInt32 measure, SInt16 verse, SInt16 line, const char *utf8,
                             const ChordRecord *chord = nullptr);
OSErr SetTexteKaraokeCellule(StaffHandle staff, SInt32 measure, SInt16 verse, SInt16 line, StyledStringHandle text);
// A copy of the cell's styled text (caller disposes), null when the cell is empty or the
// arguments name none.
StyledStringHandle GetTexteStyleKaraokeCellule(StaffHandle staff, SInt32 measure, SInt16 verse,
                                               SInt16 line = kLigneParoles);
// Copies the plain text of cell (measure, repetition) of the line into text (kTexteCelluleCopie
// bytes), cut at a character boundary and zero-terminated, and its first style into style (may
// be null; the staff's karaoke style when the text has none). Answers the bytes copied, 0 for an
// empty cell.
SInt32 GetTexteKaraokeCellule(StaffHandle staff, SInt16 line, SInt32 measure, SInt16 repetition, char *text,
                              TextStyleRecord *style);
// The plain text of a cell in place (not zero-terminated; valid until memory moves) and its
// length; false for an empty cell. For drawing and the karaoke text, which read many cells.
Boolean GetTexteEnPlaceCellule(StaffHandle staff, SInt16 line, SInt32 measure, SInt16 verse, const char **text,
                               SInt32 *length);
// The highest verse holding a cell in the measure, -1 when none.
SInt16 GetDernierCoupletMesure(StaffHandle staff, SInt16 line, SInt32 measure);
// The cell of the line at a time: the measure that holds it, or -1 when the line is off or the
// time outside the score.
SInt32 GetTaquetIndex(StaffHandle staff, SInt16 line, SInt32 time);
// Copies the plain UTF-8 text of the line's cell of that measure (verse 0) into text (size
// bytes, zero-terminated, cut at a character boundary); answers its whole length in bytes.
SInt32 GetTexteCharSetKaraokeCellule(StaffHandle staff, SInt16 line, SInt32 cell, char *text, SInt32 size);
// The cells of a text line in (measure, verse) order: their count, and the key of one.
SInt32 GetNbCellulesLigne(StaffHandle staff, SInt16 line);
Boolean GetCleCelluleLigne(StaffHandle staff, SInt16 line, SInt32 index, SInt32 *measure, SInt16 *verse);
// The index, in the cell table lineCells (a staff's textLines handle), of the first cell of
// measure (its lowest verse), or -1.
SInt32 ExtraitTexteKaraokeMesure(SInt32 measure, Handle lineCells);
// Whether h is a well-formed cell table (sizes, order, texts).
Boolean IsLigneCellulesValide(Handle h);
// Turns the staff into a lyric staff (its karaoke flag, the lyric line shown with at least one
// verse) or back; the verse count and line switch it had are kept in karaokeSettings[0] and [1]
// and come back, so two calls leave type, lines and height as they were. paramErr for a staff
// that is not live.
OSErr InverseEtatPorteeKaraoke(StaffHandle staff);
// The whole text of a line as NUL-terminated UTF-16 (a new handle, caller disposes): its cells
// in (measure, verse) order, one blank between cells; null when the line is off.
Handle GetTexteUTF16LigneCellules(StaffHandle staff, SInt16 line);

// ---- Slots (karaoke_slots.cpp) ---------------------------------------------------------------------

enum : UInt16 { kTaquetLie = 1 };  // the slot's notes all continue a tie

#pragma pack(push, 1)
struct TaquetRecord {      // 26 bytes
    SInt32 time;           // score units from the measure's start
    SInt32 noteIndex;      // the slot's first sounding note in the staff that gives the slots
    SInt32 duration;       // the longest note of the slot
    SInt16 pitch;          // the slot's highest pitch
    UInt16 flags;          // kTaquetLie
    SInt16 noteCount;      // notes sounding at the slot
    UInt8 reserved[8];
};
#pragma pack(pop)
static_assert(sizeof(TaquetRecord) == 26, "slots are 26 bytes");

// The staff whose notes give a staff's slots: the staff itself, or for a lyrics staff (type 3)
// the nearest staff above it that holds notes. Null when there is none.
StaffHandle GetPorteeTaquets(StaffHandle staff);
// Fills table (kNbMaxTaquets entries) with the slots of a measure: one for each time at which a
// note or chord starts, rests excluded, continuations of ties included (flagged kTaquetLie)
// when ties is 1. kind is 3 (note positions; other kinds answer 0), unused0..2 are 0. Answers
// the count; slots past kNbMaxTaquets are dropped, traced once. 0 for a measure outside the score.
SInt32 CalculeTableauTaquetKaraokeMesure(TaquetRecord *table, StaffHandle staff, SInt16 kind, SInt16 unused0,
                                         SInt32 measure, SInt16 unused1, SInt16 ties, SInt16 unused2);
// The slots of every measure of the staff, ties included, in one pass over its notes: measure m's
// are slots[firsts[m] .. firsts[m + 1]). paramErr for a staff that is not live.
OSErr CalculeTaquetsPortee(StaffHandle staff, std::vector<TaquetRecord> *slots, std::vector<SInt32> *firsts);
// The byte range [*start, *end) of slot's syllable in a cell's text (length bytes) and, when the
// cell has fewer syllables, *missing: the blanks to insert at its end before the slot's own (one
// per missing syllable, and one more to end a last syllable that lacks its separator); the range
// is then empty at the end. False for a negative slot.
Boolean GetBoundsStringTaquet(const char *text, SInt32 length, SInt32 slot, SInt32 *start, SInt32 *end,
                              SInt32 *missing);
// The end of the syllable that starts at byte at of a cell's text: after its separator, or the
// text's end. Walking a cell syllable by syllable with it is linear in its length. *marks (when
// given) tells whether the syllable holds a '^' or '='.
SInt32 FinSyllabe(const char *text, SInt32 length, SInt32 at, Boolean *marks = nullptr);
// 1 + the slot index of a time in its measure on a staff whose chord-symbol line is on, 0 when
// no slot starts there.
SInt32 GetChordIndexAtTimeObjets(StaffHandle staff, SInt32 time);

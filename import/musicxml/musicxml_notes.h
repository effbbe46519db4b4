// What the notes pass shares between its files: the numbered note stacks on which starts and
// stops of ties, slurs, beams and grace notes wait for each other, the note utilities their
// handlers use, the tie, slur and beam handlers, and the reading of a note's notations.
// musicxml_note_stacks.cpp: stacks and utilities; musicxml_links.cpp: ties, slurs, beams;
// musicxml_notes.cpp: the pass; musicxml_notations.cpp: notations, grace notes, fix-ups.
#pragma once

#include "import/musicxml/musicxml_state.h"
#include "score/note_params.h"

enum : SInt32 {
    kXMLCleTaille = 256,             // a stack key with its terminator
    kXMLMaxEntreesPile = 4096,       // entries waiting on one stack; later pushes are left out
    kXMLMaxEntreesGraces = 1 << 20,  // on the grace stack, which waits for the end of the pass
};

// The stacks, by what waits on them.
enum : SInt16 {
    kXMLPileLiaisons = 0,   // ties
    kXMLPileCoules = 1,     // slurs
    kXMLPileAccroches = 2,  // beams
    kXMLPileSoufflets = 3,  // hairpins
    kXMLPileGraces = 4,     // grace notes and the slurs that touch them
    kXMLPileOctaves = 5,    // octave shifts
};

// The role of an entry on its stack.
enum : UInt16 {
    kXMLDebut = 0,             // a start (beam: begin)
    kXMLSuite = 1,             // a continue
    kXMLFin = 2,               // a stop (beam: end)
    kXMLGrace = 3,             // a grace note
    kXMLCouleDepuisGrace = 4,  // a slur starting on a grace note
    kXMLCouleVersGrace = 5,    // a slur ending on grace notes: they follow the slur's first note
};

// One mark waiting for its match, with a copy of the note that carries it.
struct XMLNoteStackEntry {
    char key[kXMLCleTaille];  // the "number", a beam key "part-voice-number", "start", "cont", "stop" or ""
    NoteRecord note;          // zero when none was given
    UInt32 curdiv;            // divisions of a quarter in force for the note
    SInt32 time;              // score units
    StaffHandle staff;
    UInt16 kind;              // kXMLDebut...
    XMLElt *element;          // the element that made the entry (tied, slur, beam, note), or null
};

// A "lyric" of an inserted note, kept until every part is read.
struct XMLLyricEntry {
    StaffHandle staff;
    SInt32 time;
    XMLElt *element;
};

// A note of the notes pass, inserted and being read.
struct XMLNoteContext {
    StaffHandle staff;
    SInt32 index;        // the inserted note
    SInt32 time;
    SInt32 divisions;    // "curdiv"
    NoteRecord note;     // the record the stacks copy: as inserted, refreshed after its stem
    XMLElt *element;     // the "note"
    Boolean *tupletOpen;  // the pass's: a tuplet started and not yet stopped
};

// ---- Stacks and note utilities (musicxml_note_stacks.cpp) ----------------------------------------

// Appends an entry; the key is cut at kXMLCleTaille - 1 bytes. A full stack or no memory leaves
// it out with a warning.
void XMLPushNote(XMLImportState *state, SInt16 stack, UInt16 kind, XMLElt *element, StaffHandle staff, UInt32 curdiv,
                 SInt32 time, const NoteRecord *note, const char *key);
// Whether entry index matches: staff null or the same, pitch below -1 (any) or the entry
// note's, key null or exactly the entry's.
Boolean XMLIsStackMatch(XMLImportState *state, SInt16 stack, SInt32 index, StaffHandle staff, SInt16 pitch,
                        const char *key);
// The most recent matching entry, copied to out (may be null) and removed; false when none.
Boolean XMLPopNote(XMLImportState *state, SInt16 stack, StaffHandle staff, SInt16 pitch, const char *key,
                   XMLNoteStackEntry *out);
Boolean XMLNoteInStack(XMLImportState *state, SInt16 stack, StaffHandle staff, SInt16 pitch, const char *key,
                       XMLNoteStackEntry *out);  // the same without removal
XMLNoteStackEntry *XMLGetNoteInStack(XMLImportState *state, SInt16 stack, SInt32 index);  // in place; null outside
SInt32 XMLGetNbNoteInStack(XMLImportState *state, SInt16 stack);
void XMLDisposeNoteStacks(XMLImportState *state);

// A cleared mark ready to be filled.
void XMLInitMark(MarkRecord *mark);
// The note an entry stands for: the note at time (when none starts there, the one before that
// reaches it), then within its chord the note of that pitch, else the chord's last; pitch below
// -1 takes the first. May answer the note count (none).
SInt32 RechercheSigne(StaffHandle staff, SInt32 time, SInt16 pitch);
// A copy of note index inserted at its time, without marks, links or grace notes; with flipStem
// its stem turns the other way, else its cue size is dropped. Its index, or -1.
SInt32 DupliqueNote(StaffHandle staff, SInt32 index, Boolean flipStem);
// Diatonic steps of the note from the clef's reference pitch (negative below), and when
// accidental is not null the accidental code the engine shows for it in its key and measure.
SInt16 XMLGetInterligneNote(StaffHandle staff, SInt32 index, SInt16 *accidental);
// Placement and offsets of a mark about to go on note index, from the element's "placement",
// "relative-x" and "relative-y".
void SetMarkPosition(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 index, MarkRecord *mark);
// Adds the prepared mark to note index and copies it over the record the staff made for it.
void XMLAjouteMarque(StaffHandle staff, SInt32 index, const MarkRecord *mark);
// A fermata: upright ('1') unless "type" is "inverted" ('2').
void XMLAddFermata(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 index);

// ---- Ties, slurs and beams (musicxml_links.cpp) ---------------------------------------------------

// The shape of a tie: over or under, the stems of its two notes, whether its first note is
// chained in a chord, and that note's staff position (XMLGetInterligneNote). The engraver
// shapes ties with it too (installed by XMLEnregistreFormats).
void AdjustTie(TieDataRecord *tie, Boolean over, Boolean stemDown, Boolean nextStemDown, Boolean chained,
               SInt16 staffPosition);
// Settles the ties of one pitch of one staff that a stop just closed.
void XMLProcessTie(XMLImportState *state, StaffHandle staff, SInt16 pitch);
// Ties every start left on the tie stack to the next note of its pitch.
void XMLSOSTies(XMLImportState *state);
// Settles the slur of that number, from its start through its continues to its stop.
void XMLProcessSlur(XMLImportState *state, const char *number);
// Settles the beam of that key: regular beams group their notes, others are linked.
void XMLProcessBeam(XMLImportState *state, const char *key);

// ---- Notations, grace notes and fix-ups (musicxml_notations.cpp) ---------------------------------

void XMLReadNotations(XMLImportState *state, XMLElt *notations, XMLNoteContext *note);
// The grace notes waiting on their stack go onto the notes they lead to or follow.
void XMLAttachGraceNotes(XMLImportState *state);
// Arpeggios spread, rest flags settled, octave shifts applied.
void XMLFinalFixups(XMLImportState *state);

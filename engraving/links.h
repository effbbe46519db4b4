// Links between notes: ties and slurs (kind 0) and beams (kind 1), kept at both ends in the
// notes' parameter records; the tie and beam data blocks; slur shapes; the fitting of ties and
// slurs over a score and the removal of links whose other end is gone. Main thread only.
#pragma once

#include "score/note_params.h"

// The slur shape a new slur takes (ResetLiaisonCouleDefautNote restores it): offsets and
// control values for a first note with its stem down (the slur above) and with it up.
struct SlurDefaultsRecord {
    SInt8 start[2][2];      // [stem down, stem up][x, y]
    SInt16 control[2][2];   // tension, height (hundredths of a point, negative upward)
    SInt8 end[2][2];
    UInt8 thickness;        // tenths of a point
};

// The ends of a link as found: the other note's staff and index.
struct LinkEndRecord {
    StaffHandle staff;
    SInt32 index;
};

enum : SInt32 { kRechercheLiaisonMax = 100000 };  // notes searched for a link's other end

// Links source (a note) to destination (a later note, possibly on another staff) with a new id;
// links either note already had in that role are undone at both ends first. A new tie or slur
// takes the default slur shape when the source has none. False, writing nothing, for an index
// outside its staff, a rest, a link from a note to itself or a kind other than 0 and 1.
Boolean SetLiaison(StaffHandle sourceStaff, SInt32 source, StaffHandle destinationStaff, SInt32 destination,
                   SInt16 kind);
// One end of a link with a given id (the importer's own numbering); otherStaff: the unique id
// of the other end's staff, 0 for this one. False for an index outside or a rest.
Boolean SetLiaisonSourceNote(StaffHandle staff, SInt32 index, UInt32 id, SInt16 kind, UInt16 otherStaff);
Boolean SetLiaisonDestNote(StaffHandle staff, SInt32 index, UInt32 id, SInt16 kind, UInt16 otherStaff);
// Whether the note starts (ends) a link of that kind; its id into *id when asked.
Boolean GetLiaisonSourceNote(StaffHandle staff, SInt32 index, SInt16 kind, UInt32 *id);
Boolean GetLiaisonDestNote(StaffHandle staff, SInt32 index, SInt16 kind, UInt32 *id);
// The other end of the note's link in that role and kind, searched among at most
// kRechercheLiaisonMax notes from it; false when it has none or it cannot be found.
Boolean GetAutreBoutLiaison(StaffHandle staff, SInt32 index, UInt8 role, SInt16 kind, LinkEndRecord *other);
// Ties earlier to later (a later note of the same staff), undoing the links they had in those
// roles at both ends. False as SetLiaison, or when later does not start after earlier.
Boolean LieDeuxNotes(StaffHandle staff, SInt32 earlier, SInt32 later);
// Removes every link end whose other end is missing, lies on no later note, or is claimed twice.
void GarbageLiaisonsPartition(ScoreHandle score);
// True when source and destination are notes of the staff of one pitch and the destination
// starts where the source ends: a slur between them is drawn as a tie.
Boolean IsCoulePourLieIndex(StaffHandle staff, SInt32 source, SInt32 destination);

// The tie data block: without a parameter record a zeroed block and false; Set makes the record
// (false for an index outside or a rest).
Boolean GetDataLiaisonNote(StaffHandle staff, SInt32 index, TieDataRecord *block);
Boolean SetDataLiaisonNote(StaffHandle staff, SInt32 index, const TieDataRecord *block);
// The beam data block: without a record, automatic heights and false.
Boolean GetDataAccrocheNote(StaffHandle staff, SInt32 index, BeamDataRecord *block);
Boolean SetDataAccrocheNote(StaffHandle staff, SInt32 index, const BeamDataRecord *block);
// The shape of the slur starting at the note: start x, y, tension, height, end x, y.
Boolean SetParamLiaisonCouleNote(StaffHandle staff, SInt32 index, SInt16 startX, SInt16 startY, SInt16 tension,
                                 SInt16 height, SInt16 endX, SInt16 endY);
Boolean SetEpaisseurLiaisonCouleNote(StaffHandle staff, SInt32 index, SInt16 thickness);  // tenths of a point
void ResetLiaisonCouleDefautNote();
const SlurDefaultsRecord *GetLiaisonCouleDefaut();

// Fits every tie of the score through the tie hook (kept ties with a shaped block stay) and
// gives every slur without a shape the default one.
void AjusteCoulesPartition(ScoreHandle score);
// The staff position AdjustTie expects of a note: half spaces from four spaces below the
// clef's reference note (negative below it).
SInt16 PositionLiaisonNote(StaffHandle staff, SInt32 index);

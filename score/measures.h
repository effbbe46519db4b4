// The measure table of a score: one MeasureElement a measure, starts without gaps, lengths
// from the time signatures, the displayed numbering and the pixel widths; the per-staff key
// and clef changes; and the calls that insert, delete and change measures. Changes of length
// move the later starts at once (searches rely on them); numbering and pixels wait for
// UpdateTabEltMesure, which does nothing while recomputation is suspended. Main thread only.
#pragma once

#include "score/score_model.h"

// A pointer to measure m in place (valid until the table changes size); null outside.
MeasureElement *GetMesurePtr(ScoreHandle score, SInt32 measure);
// Grows the table with measures of the last signature (4/4 when there is none) until it reaches
// endTime, within kMaxMesures. memFullErr, or paramErr when the limit stops it.
OSErr EtendTableMesures(ScoreHandle score, SInt32 endTime);

void RecalculeNbMesures(ScoreHandle score, SInt16 update);  // the table reaches the end of every staff
void DisableCalculTabElt(ScoreHandle score);  // nests: each needs its EnableCalculTabElt
void EnableCalculTabElt(ScoreHandle score);   // the last one brings every marked part up to date
void SetTabEltMesureModifie(ScoreHandle score, UInt8 mask);  // kTabEltPixels, MiseEnPage, Temps
void UpdateTabEltMesure(ScoreHandle score, UInt8 mask);      // recomputes the marked parts in mask
// The pixel fields of measures [first, first + count) at dpi (72 for 0 or less), through page
// layout's spacing when installed, then every measure's x. table: null or the score's table;
// staff: -1 (all). paramErr for a foreign table or a bad range.
OSErr CalculePosTempsPixelTabElt(ScoreHandle score, SInt16 reserved, Handle table, SInt32 first, SInt32 count,
                                 SInt16 dpi, SInt16 staff);

// Inserts count measures of the signature before measure at (at = count appends). With shift,
// notes from the insertion time on move later by the inserted length. shown: the signature is
// shown on them.
OSErr InsereMesureChangeEchelleMesure(ScoreHandle score, SInt32 at, SInt32 count, SInt16 shift,
                                      const TimeSignature *signature, SInt16 shown);
// Deletes measures [first, first + count). With content, the notes in them go (on the staves
// selected: kToutesPortees or one staff index); with shift, later notes move earlier, and
// notes of the deleted measures that stay gather at the time the measures began.
OSErr DoDeleteMesures(ScoreHandle score, SInt32 first, SInt32 count, SInt16 content, SInt16 shift, UInt16 staves,
                      SInt16 update);
// The clef or the key of a staff (null: every staff) from a measure on, until its next change.
OSErr FixeClefMesure(ScoreHandle score, StaffHandle staff, SInt32 measure, const ClefRecord *clef, SInt16 undo);
OSErr FixeTonaliteMesure(ScoreHandle score, StaffHandle staff, SInt32 measure, const KeySignature *key,
                         SInt16 undo);
// What a measure hides (kCache... bits): the bits of mask take their value from hidden. The
// measure table is the score's, so staff is ignored.
OSErr FixeVisibleMesure(ScoreHandle score, StaffHandle staff, SInt32 measure, UInt8 hidden, UInt8 mask);
// The signature of a measure and, with following, of the next measures that had the same one.
OSErr FixeDivisionMesurePartition(ScoreHandle score, SInt32 measure, const TimeSignature *signature, SInt16 shown,
                                  SInt16 undo, SInt16 following);
OSErr FixeEtatComptageMesurePartition(ScoreHandle score, SInt32 measure, SInt16 excluded);
OSErr FixeEtatDecoupeNoteMesurePartition(ScoreHandle score, SInt32 measure, SInt16 cut);
OSErr FixeMargeDroiteMesure(ScoreHandle score, SInt32 measure, SInt16 value);
OSErr FixeMargeGaucheMesure(ScoreHandle score, SInt32 measure, SInt16 value);
// The key of every note staff from the first measure; shown: the kCache... parts shown there.
OSErr SetTonalitePartition(ScoreHandle score, const KeySignature *key, SInt16 shown);
Boolean IsDivisionValide(const TimeSignature *signature);  // numerator and denominator 1..128

// ---- Key and clef changes of a staff (also kept in step with the measures above) ------------------
const KeyClefChange *GetChangementEnVigueur(StaffHandle staff, SInt32 measure);  // in place; null without
OSErr InitChangementsPortee(StaffHandle staff, const KeySignature *key, const ClefRecord *clef);

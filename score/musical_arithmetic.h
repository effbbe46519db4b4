// Musical arithmetic: times against measures, keys and clefs in force, pitch spelling and staff
// positions, transposition, and the small number helpers the engine shares.
// Diatonic positions count 7 to the octave from MIDI pitch 0 (C4 = 60 is 35); a staff step is
// the distance from the clef's base note. Main thread only.
// musical_arithmetic.cpp: numbers, keys, clefs and times. pitch_spelling.cpp: spelling,
// displayed accidentals, stems and transposition.
#pragma once

#include "score/score_model.h"

extern const UInt8 DemiTon2NoteStd[12];  // semitone in the octave -> degree 0..6 (C = 0)

// ---- Numbers -------------------------------------------------------------------------------------

// a x b / c rounded to the nearest whole number, halves away from zero, exact for all 32-bit
// inputs; beyond 32 bits it saturates. c = 0: 2147483647, or 0 when a or b is 0.
SInt32 LMulDiv(SInt32 a, SInt32 b, SInt32 c);
SInt32 ArrondiSature(double value);  // nearest whole number (halves away from zero), saturated
// lo + (hi - lo) x (Random() + 32768) / 65536, truncated: lo up to hi - 1.
SInt32 rnd(SInt32 lo, SInt32 hi);

// ---- Times and measures of a score --------------------------------------------------------------

SInt32 CvtTempsEnMesure(ScoreHandle score, SInt32 time);      // -1 before 0 or from the end on
SInt32 CvtMesureEnTemps(ScoreHandle score, SInt32 measure);   // 0..count (count: the end); else -1
SInt32 CvtMesureEnDureeMesure(ScoreHandle score, SInt32 measure);  // -1 outside
// Copies the signature in force (the nearest measure when outside; 4/4 without measures): false outside.
Boolean CvtMesureEnDivisionTemporelle(ScoreHandle score, SInt32 measure, TimeSignature *destination);
SInt16 CvtMesureEnNbTemps(ScoreHandle score, SInt32 measure);  // the numerator (nearest measure); 0 without
// The key of the score's first note staff at the measure (nearest one); its standard number.
SInt16 CvtMesureEnTonalite(ScoreHandle score, SInt32 measure, KeySignature *key);
// The screen x of a time, proportional inside its measure: after the start margin over the
// proportional part (wholeWidth 0) or over the whole width (wholeWidth 1). Pixels at the dpi
// of the last computation; a time outside the score answers the nearest end.
SInt32 CvtPosTempsEnPixelEcranProportionnel(ScoreHandle score, SInt32 time, SInt16 wholeWidth);
// Played time (repeats unrolled) and milliseconds: score/played_measures.h, score/tempo_map.h.

// ---- Keys and clefs ------------------------------------------------------------------------------

// Builds a standard key (0 none, 1..7 sharps, 8..14 flats; mode 1 major, else minor). A number
// outside 0..14 gives C major and false.
Boolean CvtTonaliteStdEnTonalite(SInt16 number, SInt16 mode, KeySignature *key);
// A clef of that kind (1 G, 2 F, 3 C) on its standard line; another kind gives G and false.
Boolean CvtTypeClefEnClefStandard(SInt16 kind, ClefRecord *clef);
SInt16 CvtClefEnNoteDeBase(const ClefRecord *clef);  // the base note with the octave change
Boolean CvtMesureEnClef(StaffHandle staff, SInt32 measure, ClefRecord *clef);  // nearest measure; false outside
SInt16 CvtMesureEnNoteDeBase(StaffHandle staff, SInt32 measure);
SInt16 CvtTempsEnNoteDeBase(StaffHandle staff, SInt32 time);
Boolean CvtTempsEnTonalite(StaffHandle staff, SInt32 time, KeySignature *key);  // false: C major given
// The default beam mask of a numerator: groups of three beats for 6, 9, 12 ..., else one a beat.
void GetDefautMasqueAccroche(SInt16 numerator, UInt8 mask[kMasqueAccrocheOctets]);
// The diatonic position of the middle line of the staff at a time.
SInt16 PositionLigneMediane(StaffHandle staff, SInt32 time);

// ---- Spelling, displayed accidentals, transposition (pitch_spelling.cpp) -------------------------

struct SpellingRecord {
    SInt16 degree;       // 0..6, C = 0
    SInt16 alteration;   // -2..2 semitones from the natural degree
    SInt16 octave;       // MIDI octave of the natural degree (C4 in 5)
    SInt16 position;     // 7 x octave + degree
};
// Spells a pitch: by the note's accidental code (sharp: the lower letter, flat: the upper one),
// else by the key's own degree, else by the key's side. False for a pitch outside 0..127.
Boolean EpelleHauteur(SInt16 pitch, UInt8 accidental, const KeySignature *key, SpellingRecord *spelling);
// The diatonic position of a note and the accidental code shown for it in its key and measure
// (kAlterationAucune when none), given the notes before index in its measure. With index
// outside the staff, the staff's notes before time count.
void CalcPosAlterationFnNote(StaffHandle staff, const NoteRecord *note, SInt16 *position, SInt16 *accidental,
                             SInt32 index, SInt32 time);
// The stem direction of a note through the staff type's row, else by the middle line (notes on
// or above it down): negative down, positive up; 0 for a rest or an index outside the staff.
SInt16 CalculeSensHampe(StaffHandle staff, SInt32 noteIndex);
// Degree 0..6, alteration (> 0 sharpened, < 0 flattened) and octave of a note in its key.
Boolean GetDiatonicInfo(StaffHandle staff, SInt32 index, SInt16 *degree, SInt16 *alteration, SInt16 *octave);
// Transposes every pitched staff of the document's scores by -12..12 semitones; keys move round
// the circle of fifths, taking the spelling with fewer accidentals (flats at six). paramErr
// beyond 12 semitones.
OSErr DoTransposeRapide(DocumentRecord *document, SInt16 semitones);
// The standard key number of the same mode whose tonic is the old one moved by semitones.
SInt16 TransposeTonaliteStd(SInt16 number, UInt32 mode, SInt16 semitones);

// Numbers, times against measures, keys and clefs.
#include "score/musical_arithmetic.h"

#include <cmath>
#include <cstring>

#include "graphics/quickdraw/random.h"
#include "score/measures.h"
#include "score/notes.h"

const UInt8 DemiTon2NoteStd[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};

namespace {

// A standard key: its tonic for each mode.
struct KeyRow {
    UInt8 majorDegree, majorAccidental;
    UInt8 minorDegree, minorAccidental;
};
const UInt8 N = kAlterationAucune;
const UInt8 S = kAlterationDiese;
const UInt8 F = kAlterationBemol;
const KeyRow kKeyRows[kTonalitesStandard] = {
    {0, N, 5, N},  // C, A minor
    {4, N, 2, N},  // G, E
    {1, N, 6, N},  // D, B
    {5, N, 3, S},  // A, F#
    {2, N, 0, S},  // E, C#
    {6, N, 4, S},  // B, G#
    {3, S, 1, S},  // F#, D#
    {0, S, 5, S},  // C#, A#
    {3, N, 1, N},  // F, D
    {6, F, 4, N},  // Bb, G
    {2, F, 0, N},  // Eb, C
    {5, F, 3, N},  // Ab, F
    {1, F, 6, F},  // Db, Bb
    {4, F, 2, F},  // Gb, Eb
    {0, F, 5, F},  // Cb, Ab
};
const UInt8 kOrdreDieses[7] = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
const UInt8 kOrdreBemols[7] = {6, 2, 5, 1, 4, 0, 3};  // B E A D G C F

// Clef kinds: the pitch each names and its standard line (from the bottom, 1..5).
struct ClefRow {
    UInt8 kind;
    SInt16 baseNote;
    SInt16 line;
};
const ClefRow kClefRows[] = {{kCleSol, 67, 2}, {kCleFa, 53, 4}, {kCleUt, 60, 3}};

const ClefRow &RangCle(UInt8 kind);
SInt32 MesureBornee(ScoreHandle score, SInt32 measure);
StaffHandle PremierePorteeDeNotes(ScoreHandle score);
SInt16 PositionDiatonique(SInt16 pitch);

}  // namespace

SInt32 LMulDiv(SInt32 a, SInt32 b, SInt32 c) {
    if (c == 0) return a == 0 || b == 0 ? 0 : 2147483647;
    SInt64 product = SInt64(a) * b;
    SInt64 quotient = product / c;
    SInt64 remainder = product % c;
    SInt64 absRemainder = remainder < 0 ? -remainder : remainder;
    SInt64 absDivisor = c < 0 ? -SInt64(c) : SInt64(c);
    if (2 * absRemainder >= absDivisor) quotient += (product < 0) != (c < 0) ? -1 : 1;
    if (quotient > 2147483647) return 2147483647;
    if (quotient < -2147483647 - 1) return -2147483647 - 1;
    return SInt32(quotient);
}

SInt32 ArrondiSature(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return SInt32(std::round(value));
}

SInt32 rnd(SInt32 lo, SInt32 hi) {
    SInt64 draw = SInt64(Random()) + 32768;
    return SInt32(lo + (SInt64(hi) - lo) * draw / 65536);
}

SInt32 CvtTempsEnMesure(ScoreHandle score, SInt32 time) {
    if (!IsPartitionValide(score) || time < 0 || (*score)->measureCount == 0) return -1;
    const MeasureElement *measures = reinterpret_cast<const MeasureElement *>(*(*score)->measures);
    SInt32 count = (*score)->measureCount;
    if (time >= measures[count - 1].start + measures[count - 1].length) return -1;
    SInt32 low = 0;
    SInt32 high = count;
    while (low < high) {
        SInt32 middle = (low + high) >> 1;
        if (measures[middle].start <= time) low = middle + 1;
        else high = middle;
    }
    return low - 1;
}

SInt32 CvtMesureEnTemps(ScoreHandle score, SInt32 measure) {
    if (!IsPartitionValide(score) || measure < 0 || measure > (*score)->measureCount) return -1;
    if (measure == 0) return 0;
    const MeasureElement &previous = reinterpret_cast<const MeasureElement *>(*(*score)->measures)[measure - 1];
    return previous.start + previous.length;
}

SInt32 CvtMesureEnDureeMesure(ScoreHandle score, SInt32 measure) {
    const MeasureElement *element = GetMesurePtr(score, measure);
    return element ? element->length : -1;
}

Boolean CvtMesureEnDivisionTemporelle(ScoreHandle score, SInt32 measure, TimeSignature *destination) {
    if (!destination) return kFalse;
    const MeasureElement *element = GetMesurePtr(score, MesureBornee(score, measure));
    if (!element) {
        std::memset(destination, 0, sizeof *destination);
        destination->numerator = destination->denominator = destination->shownNumerator = 4;
        destination->shownDenominator = 4;
        GetDefautMasqueAccroche(4, destination->beamMask);
        return kFalse;
    }
    *destination = element->signature;
    return measure >= 0 && measure < (*score)->measureCount;
}

SInt16 CvtMesureEnNbTemps(ScoreHandle score, SInt32 measure) {
    const MeasureElement *element = GetMesurePtr(score, MesureBornee(score, measure));
    return element ? element->signature.numerator : 0;
}

SInt16 CvtMesureEnTonalite(ScoreHandle score, SInt32 measure, KeySignature *key) {
    KeySignature local;
    if (!key) key = &local;
    StaffHandle staff = IsPartitionValide(score) ? PremierePorteeDeNotes(score) : nullptr;
    const KeyClefChange *change = staff ? GetChangementEnVigueur(staff, measure) : nullptr;
    if (!change) {
        CvtTonaliteStdEnTonalite(0, kModeMajeur, key);
        return 0;
    }
    *key = change->key;
    return SInt16(key->kind);
}

SInt32 CvtPosTempsEnPixelEcranProportionnel(ScoreHandle score, SInt32 time, SInt16 wholeWidth) {
    if (!IsPartitionValide(score) || (*score)->measureCount == 0) return 0;
    UpdateTabEltMesure(score, kTabEltPixels);
    SInt32 count = (*score)->measureCount;
    SInt32 measure = time < 0 ? 0 : CvtTempsEnMesure(score, time);
    if (measure < 0) {
        const MeasureElement *last = GetMesurePtr(score, count - 1);
        return last->x + last->width;
    }
    const MeasureElement *m = GetMesurePtr(score, measure);
    SInt32 elapsed = time < 0 ? 0 : time - m->start;
    if (wholeWidth) return m->x + LMulDiv(elapsed, m->width, m->length);
    return m->x + m->startMarginPixels + LMulDiv(elapsed, m->proportionalPixels, m->length);
}

Boolean CvtTonaliteStdEnTonalite(SInt16 number, SInt16 mode, KeySignature *key) {
    if (!key) return kFalse;
    Boolean valid = number >= 0 && number < SInt16(kTonalitesStandard);
    if (!valid) {
        number = 0;
        mode = kModeMajeur;
    }
    std::memset(key, 0, sizeof *key);
    if (number >= 1 && number <= 7)
        for (SInt16 i = 0; i < number; i++) key->degrees[kOrdreDieses[i]] = kAlterationDiese;
    if (number >= 8)
        for (SInt16 i = 0; i < number - 7; i++) key->degrees[kOrdreBemols[i]] = kAlterationBemol;
    const KeyRow &row = kKeyRows[number];
    Boolean major = mode == SInt16(kModeMajeur);
    key->tonicDegree = major ? row.majorDegree : row.minorDegree;
    key->tonicAccidental = major ? row.majorAccidental : row.minorAccidental;
    key->mode = major ? kModeMajeur : kModeMineur;
    key->kind = UInt32(number);
    return valid;
}

Boolean CvtTypeClefEnClefStandard(SInt16 kind, ClefRecord *clef) {
    if (!clef) return kFalse;
    Boolean valid = kind >= kCleSol && kind <= kCleUt;
    const ClefRow &row = RangCle(valid ? UInt8(kind) : UInt8(kCleSol));
    std::memset(clef, 0, sizeof *clef);
    clef->kind = row.kind;
    clef->size = 100;
    clef->baseNote = row.baseNote;
    return valid;
}

SInt16 CvtClefEnNoteDeBase(const ClefRecord *clef) {
    if (!clef) return RangCle(kCleSol).baseNote;
    return SInt16(clef->baseNote + 12 * clef->octave);
}

Boolean CvtMesureEnClef(StaffHandle staff, SInt32 measure, ClefRecord *clef) {
    if (!clef) return kFalse;
    const KeyClefChange *change = IsPorteeValide(staff) ? GetChangementEnVigueur(staff, measure) : nullptr;
    if (!change) {
        CvtTypeClefEnClefStandard(kCleSol, clef);
        return kFalse;
    }
    *clef = change->clef;
    return measure >= 0 && measure < (*(*staff)->score)->measureCount;
}

SInt16 CvtMesureEnNoteDeBase(StaffHandle staff, SInt32 measure) {
    ClefRecord clef;
    CvtMesureEnClef(staff, measure, &clef);
    return CvtClefEnNoteDeBase(&clef);
}

SInt16 CvtTempsEnNoteDeBase(StaffHandle staff, SInt32 time) {
    if (!IsPorteeValide(staff)) return CvtClefEnNoteDeBase(nullptr);
    return CvtMesureEnNoteDeBase(staff, MesureBornee((*staff)->score, time < 0 ? -1 : CvtTempsEnMesure((*staff)->score, time)));
}

Boolean CvtTempsEnTonalite(StaffHandle staff, SInt32 time, KeySignature *key) {
    if (!key) return kFalse;
    const KeyClefChange *change = nullptr;
    if (IsPorteeValide(staff)) {
        ScoreHandle score = (*staff)->score;
        SInt32 measure = CvtTempsEnMesure(score, time);
        if (measure < 0) measure = time < 0 ? 0 : (*score)->measureCount - 1;
        change = GetChangementEnVigueur(staff, measure);
    }
    if (!change) {
        CvtTonaliteStdEnTonalite(0, kModeMajeur, key);
        return kFalse;
    }
    *key = change->key;
    return kTrue;
}

void GetDefautMasqueAccroche(SInt16 numerator, UInt8 mask[kMasqueAccrocheOctets]) {
    if (!mask) return;
    std::memset(mask, 0, kMasqueAccrocheOctets);
    if (numerator < 1) numerator = 1;
    if (numerator > kMasqueAccrocheOctets * 8) numerator = kMasqueAccrocheOctets * 8;
    SInt16 group = numerator > 3 && numerator % 3 == 0 ? 3 : 1;
    for (SInt16 beat = 0; beat < numerator; beat += group) mask[beat / 8] |= UInt8(1 << (beat % 8));
}

SInt16 PositionLigneMediane(StaffHandle staff, SInt32 time) {
    ClefRecord clef;
    SInt32 measure = 0;
    if (IsPorteeValide(staff)) {
        measure = CvtTempsEnMesure((*staff)->score, time);
        if (measure < 0) measure = time < 0 ? 0 : (*(*staff)->score)->measureCount - 1;
    }
    CvtMesureEnClef(staff, measure, &clef);
    SInt16 line = SInt16(RangCle(clef.kind).line + clef.lineOffset);
    return SInt16(PositionDiatonique(CvtClefEnNoteDeBase(&clef)) + 2 * (3 - line));
}

namespace {

const ClefRow &RangCle(UInt8 kind) {
    for (const ClefRow &row : kClefRows)
        if (row.kind == kind) return row;
    return kClefRows[0];
}

SInt32 MesureBornee(ScoreHandle score, SInt32 measure) {
    if (!IsPartitionValide(score)) return 0;
    if (measure >= (*score)->measureCount) measure = (*score)->measureCount - 1;
    return measure < 0 ? 0 : measure;
}

StaffHandle PremierePorteeDeNotes(ScoreHandle score) {
    for (SInt16 i = 0; i < (*score)->staffCount; i++)
        if (IsPorteeDeNotes(GetPortee(score, i))) return GetPortee(score, i);
    return GetPortee(score, 0);
}

// The position of a pitch's natural degree (used for base notes, which are natural notes).
SInt16 PositionDiatonique(SInt16 pitch) {
    if (pitch < 0) pitch = 0;
    return SInt16(7 * (pitch / 12) + DemiTon2NoteStd[pitch % 12]);
}

}  // namespace

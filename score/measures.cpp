// The measure table and the key and clef changes that follow it.
#include "score/measures.h"

#include <cstring>

#include "platform/core/memory.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/score_hooks.h"

namespace {

const UInt16 kEchelleNormale = 1000;
const float kEchelleFlottanteNormale = 1000.0f;
const SInt16 kMargeAutomatique = -1;
const SInt16 kDpiStandard = 72;
const SInt32 kPixelsParUnite = 10;      // the plain rule: 10 pixels per 10080 units at 72 dpi
const SInt32 kUnitesParPixels = 10080;
const SInt32 kMargeDebutSimple = 12;    // pixels at 72 dpi for clef, key and signature room
const SInt32 kMargeFinSimple = 4;       // pixels at 72 dpi for the bar line

MeasureElement *Mesures(ScoreHandle score);
SInt32 DebutMesure(ScoreHandle score, SInt32 measure);
SInt32 LongueurDivision(const TimeSignature *signature);
void InitMesure(MeasureElement *measure, const TimeSignature *signature, Boolean shown);
OSErr RedimensionneTable(ScoreHandle score, SInt32 count);
void RecalculeDebuts(ScoreHandle score, SInt32 from);
void MarqueTemps(ScoreHandle score, SInt32 from);
SInt32 PixelsProportionnelsSimples(const MeasureElement &m, SInt16 dpi);
void RecalculeTable(ScoreHandle score, UInt8 parts);
void RecalculePixels(ScoreHandle score, SInt32 first, SInt32 count, SInt16 dpi);
Boolean IsMesureValide(ScoreHandle score, SInt32 measure);
OSErr FixeEtatMesure(ScoreHandle score, SInt32 measure, UInt8 bit, SInt16 on, UInt8 parts);
OSErr FixeMargeMesure(ScoreHandle score, SInt32 measure, Boolean right, SInt16 value);
SInt32 FinTable(ScoreHandle score);
SInt32 DerniereNote(ScoreHandle score);
KeyClefChange *Changements(StaffHandle staff);
SInt32 ChangementEnVigueur(StaffHandle staff, SInt32 measure);
SInt32 AssureChangement(StaffHandle staff, SInt32 measure);
void DecaleChangementsInsertion(StaffHandle staff, SInt32 at, SInt32 count);
void DecaleChangementsSuppression(StaffHandle staff, SInt32 first, SInt32 count);
OSErr FixeChangement(StaffHandle staff, SInt32 measure, const KeySignature *key, const ClefRecord *clef);
OSErr FixeChangementPortees(ScoreHandle score, StaffHandle staff, SInt32 measure, const KeySignature *key,
                            const ClefRecord *clef);
Boolean IsTonaliteValide(const KeySignature *key);
Boolean IsCleValide(const ClefRecord *clef);

}  // namespace

MeasureElement *GetMesurePtr(ScoreHandle score, SInt32 measure) {
    if (!IsMesureValide(score, measure)) return nullptr;
    return Mesures(score) + measure;
}

OSErr EtendTableMesures(ScoreHandle score, SInt32 endTime) {
    if (!IsPartitionValide(score)) return paramErr;
    SInt32 end = FinTable(score);
    if (endTime <= end) return noErr;
    TimeSignature signature;
    CvtMesureEnDivisionTemporelle(score, (*score)->measureCount - 1, &signature);
    SInt32 length = LongueurDivision(&signature);
    SInt32 count = (*score)->measureCount;
    SInt64 wanted = count + (SInt64(endTime) - end + length - 1) / length;
    OSErr limited = noErr;
    if (wanted > kMaxMesures || end + (wanted - count) * length > kTempsMax) {
        wanted = count;
        while (wanted < kMaxMesures && end + (wanted - count + 1) * SInt64(length) <= kTempsMax) wanted++;
        limited = paramErr;
    }
    if (wanted == count) return limited;
    return InsereMesureChangeEchelleMesure(score, count, SInt32(wanted - count), 0, &signature, 0) == noErr ? limited
                                                                                                           : OSErr(memFullErr);
}

void RecalculeNbMesures(ScoreHandle score, SInt16 update) {
    if (!IsPartitionValide(score)) return;
    EtendTableMesures(score, DerniereNote(score));
    SetTabEltMesureModifie(score, kTabEltTout);
    if (update) UpdateTabEltMesure(score, kTabEltTout);
}

void DisableCalculTabElt(ScoreHandle score) {
    if (IsPartitionValide(score) && (*score)->suspendCount < 32767) (*score)->suspendCount++;
}

void EnableCalculTabElt(ScoreHandle score) {
    if (!IsPartitionValide(score) || (*score)->suspendCount == 0) return;
    if (--(*score)->suspendCount == 0) UpdateTabEltMesure(score, (*score)->pendingMask);
}

void SetTabEltMesureModifie(ScoreHandle score, UInt8 mask) {
    if (IsPartitionValide(score)) (*score)->pendingMask |= UInt8(mask & kTabEltTout);
}

void UpdateTabEltMesure(ScoreHandle score, UInt8 mask) {
    if (!IsPartitionValide(score) || (*score)->suspendCount > 0) return;
    UInt8 todo = UInt8(mask & (*score)->pendingMask);
    (*score)->pendingMask &= UInt8(~todo);
    if (todo) RecalculeTable(score, todo);
}

OSErr CalculePosTempsPixelTabElt(ScoreHandle score, SInt16, Handle table, SInt32 first, SInt32 count, SInt16 dpi,
                                 SInt16) {
    if (!IsPartitionValide(score) || (table && table != (*score)->measures)) return paramErr;
    SInt32 total = (*score)->measureCount;
    if (first < 0 || count < 0 || first > total || count > total - first) return paramErr;
    RecalculePixels(score, first, count, dpi > 0 ? dpi : kDpiStandard);
    return noErr;
}

OSErr InsereMesureChangeEchelleMesure(ScoreHandle score, SInt32 at, SInt32 count, SInt16 shift,
                                      const TimeSignature *signature, SInt16 shown) {
    if (!IsPartitionValide(score) || !IsDivisionValide(signature)) return paramErr;
    SInt32 total = (*score)->measureCount;
    if (at < 0 || at > total || count < 1 || count > kMaxMesures - total) return paramErr;
    SInt64 span = SInt64(count) * LongueurDivision(signature);
    if (FinTable(score) + span > kTempsMax) return paramErr;
    if (shift && DerniereNote(score) + span > kTempsMax) return paramErr;
    SInt32 time = DebutMesure(score, at);
    OSErr err = RedimensionneTable(score, total + count);
    if (err != noErr) return err;
    MeasureElement *measures = Mesures(score);
    std::memmove(measures + at + count, measures + at, size_t(total - at) * sizeof(MeasureElement));
    for (SInt32 i = at; i < at + count; i++) InitMesure(&measures[i], signature, shown != 0);
    (*score)->measureCount = total + count;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        DecaleChangementsInsertion(staff, at, count);
        if (shift) DecaleNotes(staff, time, SInt32(span));
    }
    SetTabEltMesureModifie(score, kTabEltPixels | kTabEltMiseEnPage);
    MarqueTemps(score, at);
    return noErr;
}

OSErr DoDeleteMesures(ScoreHandle score, SInt32 first, SInt32 count, SInt16 content, SInt16 shift, UInt16 staves,
                      SInt16 update) {
    if (!IsPartitionValide(score)) return paramErr;
    SInt32 total = (*score)->measureCount;
    if (first < 0 || count < 1 || first >= total || count > total - first) return paramErr;
    SInt32 from = DebutMesure(score, first);
    SInt32 to = DebutMesure(score, first + count);
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        DecaleChangementsSuppression(staff, first, count);
        if (staves != kToutesPortees && staves != UInt16(s)) continue;
        // Kept notes of deleted measures cannot stay where later music moves over them.
        if (content) SupprimeNotesIntervalle(staff, from, to, shift ? from - to : 0);
        else if (shift) ReplieNotesIntervalle(staff, from, to);
    }
    MeasureElement *measures = Mesures(score);
    std::memmove(measures + first, measures + first + count, size_t(total - first - count) * sizeof(MeasureElement));
    (*score)->measureCount = total - count;
    RedimensionneTable(score, total - count);
    SetTabEltMesureModifie(score, kTabEltPixels | kTabEltMiseEnPage);
    MarqueTemps(score, first);
    if (update) UpdateTabEltMesure(score, kTabEltTout);
    return noErr;
}

OSErr FixeClefMesure(ScoreHandle score, StaffHandle staff, SInt32 measure, const ClefRecord *clef, SInt16) {
    if (!IsMesureValide(score, measure) || !IsCleValide(clef)) return paramErr;
    return FixeChangementPortees(score, staff, measure, nullptr, clef);
}

OSErr FixeTonaliteMesure(ScoreHandle score, StaffHandle staff, SInt32 measure, const KeySignature *key, SInt16) {
    if (!IsMesureValide(score, measure) || !IsTonaliteValide(key)) return paramErr;
    return FixeChangementPortees(score, staff, measure, key, nullptr);
}

OSErr FixeVisibleMesure(ScoreHandle score, StaffHandle, SInt32 measure, UInt8 hidden, UInt8 mask) {
    MeasureElement *element = GetMesurePtr(score, measure);
    if (!element) return paramErr;
    element->hiddenMask = UInt8((element->hiddenMask & ~mask) | (hidden & mask));
    SetTabEltMesureModifie(score, kTabEltPixels);
    return noErr;
}

OSErr FixeDivisionMesurePartition(ScoreHandle score, SInt32 measure, const TimeSignature *signature, SInt16 shown,
                                  SInt16, SInt16 following) {
    if (!IsMesureValide(score, measure) || !IsDivisionValide(signature)) return paramErr;
    MeasureElement *measures = Mesures(score);
    SInt32 total = (*score)->measureCount;
    SInt32 last = measure;
    if (following) {
        // The numbers and the sign tell signatures apart; the beam mask goes with them.
        const size_t compared = offsetof(TimeSignature, unused11);
        while (last + 1 < total &&
               std::memcmp(&measures[last + 1].signature, &measures[measure].signature, compared) == 0)
            last++;
    }
    SInt64 change = SInt64(last - measure + 1) * (LongueurDivision(signature) - measures[measure].length);
    if (FinTable(score) + change > kTempsMax) return paramErr;
    for (SInt32 i = measure; i <= last; i++) {
        measures[i].signature = *signature;
        measures[i].length = LongueurDivision(signature);
    }
    if (shown) measures[measure].hiddenMask &= UInt8(~kCacheDivision);
    else measures[measure].hiddenMask |= kCacheDivision;
    SetTabEltMesureModifie(score, kTabEltPixels);
    MarqueTemps(score, measure);
    return noErr;
}

OSErr FixeEtatComptageMesurePartition(ScoreHandle score, SInt32 measure, SInt16 excluded) {
    return FixeEtatMesure(score, measure, kMesureHorsNumerotation, excluded, kTabEltMiseEnPage);
}

OSErr FixeEtatDecoupeNoteMesurePartition(ScoreHandle score, SInt32 measure, SInt16 cut) {
    return FixeEtatMesure(score, measure, kMesureNotesCoupees, cut, 0);
}

OSErr FixeMargeDroiteMesure(ScoreHandle score, SInt32 measure, SInt16 value) {
    return FixeMargeMesure(score, measure, kTrue, value);
}

OSErr FixeMargeGaucheMesure(ScoreHandle score, SInt32 measure, SInt16 value) {
    return FixeMargeMesure(score, measure, kFalse, value);
}

OSErr SetTonalitePartition(ScoreHandle score, const KeySignature *key, SInt16 shown) {
    if (!IsPartitionValide(score) || !IsTonaliteValide(key) || (*score)->measureCount == 0) return paramErr;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if (!IsPorteeDeNotes(staff)) continue;
        OSErr err = FixeChangement(staff, 0, key, nullptr);
        if (err != noErr) return err;
    }
    return FixeVisibleMesure(score, nullptr, 0, 0, UInt8(shown & (kCacheTonalite | kCacheCle | kCacheDivision)));
}

Boolean IsDivisionValide(const TimeSignature *signature) {
    return signature && signature->numerator >= 1 && signature->numerator <= 128 && signature->denominator >= 1 &&
           signature->denominator <= 128;
}

const KeyClefChange *GetChangementEnVigueur(StaffHandle staff, SInt32 measure) {
    if (!staff || !*staff || (*staff)->changeCount == 0) return nullptr;
    return Changements(staff) + ChangementEnVigueur(staff, measure);
}

OSErr InitChangementsPortee(StaffHandle staff, const KeySignature *key, const ClefRecord *clef) {
    KeyClefChange first;
    std::memset(&first, 0, sizeof first);
    first.changes = kChangeTonalite | kChangeCle;
    first.key = *key;
    first.clef = *clef;
    if ((*staff)->changes) DisposHandle((*staff)->changes);
    (*staff)->changes = nullptr;
    (*staff)->changeCount = 0;
    Handle h = nullptr;
    if (PtrToHand(&first, &h, sizeof first) != noErr) return memFullErr;
    (*staff)->changes = h;
    (*staff)->changeCount = 1;
    return noErr;
}

namespace {

MeasureElement *Mesures(ScoreHandle score) {
    return (*score)->measures ? reinterpret_cast<MeasureElement *>(*(*score)->measures) : nullptr;
}

// The start of a measure; the end of the table for measure = count.
SInt32 DebutMesure(ScoreHandle score, SInt32 measure) {
    return measure < (*score)->measureCount ? Mesures(score)[measure].start : FinTable(score);
}

SInt32 LongueurDivision(const TimeSignature *signature) {
    return SInt32(SInt64(signature->numerator) * kTempsRonde / signature->denominator);
}

void InitMesure(MeasureElement *measure, const TimeSignature *signature, Boolean shown) {
    std::memset(measure, 0, sizeof *measure);
    measure->widthScale = kEchelleNormale;
    measure->scale = kEchelleFlottanteNormale;
    measure->leftMargin = kMargeAutomatique;
    measure->rightMargin = kMargeAutomatique;
    measure->signature = *signature;
    measure->length = LongueurDivision(signature);
    if (!shown) measure->hiddenMask = kCacheDivision;
}

OSErr RedimensionneTable(ScoreHandle score, SInt32 count) {
    UInt32 size = UInt32(count * sizeof(MeasureElement));
    if (!(*score)->measures) {
        (*score)->measures = NewHandleClear(size);
        return (*score)->measures ? OSErr(noErr) : OSErr(memFullErr);
    }
    SetHandleSize((*score)->measures, size);
    return MemError() == noErr ? OSErr(noErr) : OSErr(memFullErr);
}

// Starts follow one another without gaps from measure from on.
void RecalculeDebuts(ScoreHandle score, SInt32 from) {
    SInt32 count = (*score)->measureCount;
    MeasureElement *measures = Mesures(score);
    if (from <= 0 || from > count) from = 0;
    SInt32 time = from == 0 ? 0 : measures[from - 1].start + measures[from - 1].length;
    for (SInt32 i = from; i < count; i++) {
        measures[i].start = time;
        time += measures[i].length;
    }
}

// Starts are never left stale, even while recomputation is suspended: searches depend on them.
void MarqueTemps(ScoreHandle score, SInt32 from) { RecalculeDebuts(score, from); }

// The plain rule's proportional part: length x widthScale / 1000 x 10 / 10080 pixels at 72 dpi.
SInt32 PixelsProportionnelsSimples(const MeasureElement &m, SInt16 dpi) {
    const SInt64 kDiviseur = SInt64(kUnitesParPixels) * kDpiStandard * kEchelleNormale;
    return SInt32((SInt64(m.length) * m.widthScale * dpi * kPixelsParUnite + kDiviseur / 2) / kDiviseur);
}

// One pass over the table for the parts asked: starts, numbers and pixels. Parts is a
// template argument so that each combination compiles to a loop without tests.
template <UInt8 parts>
void RecalculeParties(ScoreHandle score, Boolean plain, SInt16 dpi) {
    SInt32 count = (*score)->measureCount;
    MeasureElement *measures = Mesures(score);
    const SInt32 startMargin = kMargeDebutSimple * dpi / kDpiStandard;
    const SInt32 endMargin = kMargeFinSimple * dpi / kDpiStandard;
    SInt32 time = 0;
    SInt32 x = 0;
    UInt16 number = 1;
    for (SInt32 i = 0; i < count; i++) {
        MeasureElement &m = measures[i];
        if (parts & kTabEltTemps) {
            m.start = time;
            time += m.length;
        }
        if (parts & kTabEltMiseEnPage) {
            Boolean counted = !(m.state & kMesureHorsNumerotation);
            m.shownNumber = counted ? number : 0;
            number = UInt16(number + counted);
        }
        if (parts & kTabEltPixels) {
            if (plain) {
                m.startMarginPixels = startMargin;
                m.proportionalPixels = PixelsProportionnelsSimples(m, dpi);
                m.endMarginPixels = endMargin;
            }
            m.pixelsDpi = dpi;
            m.x = x;
            m.width = m.startMarginPixels + m.proportionalPixels + m.endMarginPixels;
            x += m.width;
        }
    }
}

// The pixel fields come from the plain rule unless page layout has installed its spacing.
void RecalculeTable(ScoreHandle score, UInt8 parts) {
    static void (*const kPasses[8])(ScoreHandle, Boolean, SInt16) = {
        RecalculeParties<0>, RecalculeParties<1>, RecalculeParties<2>, RecalculeParties<3>,
        RecalculeParties<4>, RecalculeParties<5>, RecalculeParties<6>, RecalculeParties<7>};
    SInt16 dpi = (*score)->pixelsDpi > 0 ? (*score)->pixelsDpi : kDpiStandard;
    Boolean plain = (parts & kTabEltPixels) && !HookEspaceMesures(score, 0, (*score)->measureCount, dpi);
    kPasses[parts & kTabEltTout](score, plain, dpi);
}

void RecalculePixels(ScoreHandle score, SInt32 first, SInt32 count, SInt16 dpi) {
    (*score)->pixelsDpi = dpi;
    if (!HookEspaceMesures(score, first, count, dpi)) {
        MeasureElement *measures = Mesures(score);
        const SInt32 startMargin = kMargeDebutSimple * dpi / kDpiStandard;
        const SInt32 endMargin = kMargeFinSimple * dpi / kDpiStandard;
        for (SInt32 i = first; i < first + count; i++) {
            measures[i].startMarginPixels = startMargin;
            measures[i].proportionalPixels = PixelsProportionnelsSimples(measures[i], dpi);
            measures[i].endMarginPixels = endMargin;
        }
    }
    SInt32 x = 0;
    MeasureElement *measures = Mesures(score);
    for (SInt32 i = 0; i < (*score)->measureCount; i++) {
        MeasureElement &m = measures[i];
        m.pixelsDpi = dpi;
        m.x = x;
        m.width = m.startMarginPixels + m.proportionalPixels + m.endMarginPixels;
        x += m.width;
    }
}

// Sets or clears a state bit of a measure; parts: what must be recomputed then.
OSErr FixeEtatMesure(ScoreHandle score, SInt32 measure, UInt8 bit, SInt16 on, UInt8 parts) {
    MeasureElement *element = GetMesurePtr(score, measure);
    if (!element) return paramErr;
    if (on) element->state |= bit;
    else element->state &= UInt8(~bit);
    SetTabEltMesureModifie(score, parts);
    return noErr;
}

OSErr FixeMargeMesure(ScoreHandle score, SInt32 measure, Boolean right, SInt16 value) {
    MeasureElement *element = GetMesurePtr(score, measure);
    if (!element) return paramErr;
    if (right) element->rightMargin = value;
    else element->leftMargin = value;
    SetTabEltMesureModifie(score, kTabEltPixels);
    return noErr;
}

Boolean IsMesureValide(ScoreHandle score, SInt32 measure) {
    return IsPartitionValide(score) && measure >= 0 && measure < (*score)->measureCount;
}

SInt32 FinTable(ScoreHandle score) {
    SInt32 count = (*score)->measureCount;
    if (count == 0) return 0;
    const MeasureElement &last = Mesures(score)[count - 1];
    return last.start + last.length;
}

// The latest note end over the staves.
SInt32 DerniereNote(ScoreHandle score) {
    SInt32 end = 0;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        const NoteRecord *notes = GetNotePtr(staff, 0);
        for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
            SInt32 noteEnd = notes[i].time + SInt32(notes[i].duration);
            if (noteEnd > end) end = noteEnd;
        }
    }
    return end;
}

KeyClefChange *Changements(StaffHandle staff) { return reinterpret_cast<KeyClefChange *>(*(*staff)->changes); }

// The last change at or before measure (0 for the first).
SInt32 ChangementEnVigueur(StaffHandle staff, SInt32 measure) {
    const KeyClefChange *changes = Changements(staff);
    SInt32 low = 0;
    SInt32 high = (*staff)->changeCount;
    while (low < high) {
        SInt32 middle = low + (high - low) / 2;
        if (changes[middle].measure <= measure) low = middle + 1;
        else high = middle;
    }
    return low > 0 ? low - 1 : 0;
}

// The index of the entry at measure, made as a copy of the state in force when missing; -1 without memory.
SInt32 AssureChangement(StaffHandle staff, SInt32 measure) {
    SInt32 index = ChangementEnVigueur(staff, measure);
    if (Changements(staff)[index].measure == measure) return index;
    if ((*staff)->changeCount >= kMaxChangementsPortee) return -1;
    SInt32 count = (*staff)->changeCount;
    SetHandleSize((*staff)->changes, UInt32(count + 1) * sizeof(KeyClefChange));
    if (MemError() != noErr) return -1;
    KeyClefChange *changes = Changements(staff);
    std::memmove(changes + index + 2, changes + index + 1, size_t(count - index - 1) * sizeof(KeyClefChange));
    changes[index + 1] = changes[index];
    changes[index + 1].measure = measure;
    changes[index + 1].changes = 0;
    (*staff)->changeCount = count + 1;
    return index + 1;
}

// Inserted measures continue the state before them; at the start they take the first state.
void DecaleChangementsInsertion(StaffHandle staff, SInt32 at, SInt32 count) {
    KeyClefChange *changes = Changements(staff);
    SInt32 n = (*staff)->changeCount;
    for (SInt32 i = 0; i < n; i++)
        if (changes[i].measure >= at) changes[i].measure += count;
    if (changes[0].measure == 0) return;
    SetHandleSize((*staff)->changes, UInt32(n + 1) * sizeof(KeyClefChange));
    changes = Changements(staff);
    if (MemError() != noErr || n >= kMaxChangementsPortee) {
        changes[0].measure = 0;
        return;
    }
    std::memmove(changes + 1, changes, size_t(n) * sizeof(KeyClefChange));
    changes[0].measure = 0;
    changes[1].changes = 0;
    (*staff)->changeCount = n + 1;
}

// The state in force after the deleted measures holds from the first of them on.
void DecaleChangementsSuppression(StaffHandle staff, SInt32 first, SInt32 count) {
    KeyClefChange *changes = Changements(staff);
    SInt32 n = (*staff)->changeCount;
    SInt32 write = 0;
    for (SInt32 i = 0; i < n; i++) {
        KeyClefChange change = changes[i];
        if (change.measure >= first + count) change.measure -= count;
        else if (change.measure >= first) {
            Boolean lastInRange = i + 1 == n || changes[i + 1].measure >= first + count;
            Boolean nextAtEnd = i + 1 < n && changes[i + 1].measure == first + count;
            if (!lastInRange || nextAtEnd) continue;
            change.measure = first;
        }
        changes[write++] = change;
    }
    (*staff)->changeCount = write;
    SetHandleSize((*staff)->changes, UInt32(write) * sizeof(KeyClefChange));
}

// Sets the key or the clef at measure and carries it over the entries up to the next change of it.
OSErr FixeChangement(StaffHandle staff, SInt32 measure, const KeySignature *key, const ClefRecord *clef) {
    SInt32 index = AssureChangement(staff, measure);
    if (index < 0) return memFullErr;
    KeyClefChange *changes = Changements(staff);
    UInt8 part = key ? kChangeTonalite : kChangeCle;
    for (SInt32 i = index; i < (*staff)->changeCount; i++) {
        if (i > index && (changes[i].changes & part)) break;
        if (key) changes[i].key = *key;
        else changes[i].clef = *clef;
    }
    changes[index].changes |= part;
    return noErr;
}

// The change on one staff of the score, or on all of them (staff null).
OSErr FixeChangementPortees(ScoreHandle score, StaffHandle staff, SInt32 measure, const KeySignature *key,
                            const ClefRecord *clef) {
    if (staff) {
        if (!IsPorteeValide(staff) || (*staff)->score != score) return paramErr;
        return FixeChangement(staff, measure, key, clef);
    }
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        OSErr err = FixeChangement(GetPortee(score, s), measure, key, clef);
        if (err != noErr) return err;
    }
    return noErr;
}

Boolean IsCleValide(const ClefRecord *clef) {
    return clef && clef->kind >= kCleSol && clef->kind <= kCleUt && clef->octave >= -3 && clef->octave <= 3 &&
           clef->lineOffset >= -4 && clef->lineOffset <= 4 && clef->baseNote >= 0 && clef->baseNote <= 127;
}

Boolean IsTonaliteValide(const KeySignature *key) {
    if (!key || key->kind >= kTonalitesStandard || key->tonicDegree > 6 || key->tonicAccidental > 5) return kFalse;
    for (UInt8 degree : key->degrees)
        if (degree != 0 && degree != kAlterationDiese && degree != kAlterationBemol) return kFalse;
    return kTrue;
}

}  // namespace

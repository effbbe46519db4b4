// Links between notes, the tie and beam blocks, slur shapes and their fitting.
#include "engraving/links.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "engraving/engraving_hooks.h"
#include "engraving/staff_type_rows.h"
#include "platform/core/memory.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"

namespace {

// The staff's link state, kept in its links handle: the next counter of the ids it makes.
struct LinkStateRecord {
    UInt32 nextCounter;
};

const SlurDefaultsRecord kSlurDefaults = {{{4, -4}, {4, 4}}, {{500, -1000}, {500, 1000}}, {{4, -4}, {4, 4}}, 10};
SlurDefaultsRecord gSlurDefaults = kSlurDefaults;  // main thread only

// One link end met while a score is swept.
struct BoutRecord {
    StaffHandle staff;
    SInt32 index;
    SInt32 time;
    UInt32 id;
    UInt16 sourceUid;   // the staves of the link's source and destination, as this end names them
    UInt16 destinationUid;
    UInt8 slot;
    UInt8 kind;
    UInt8 role;
};

SInt32 Slot(SInt16 kind, UInt8 role) { return kind * 2 + (role - 1); }
Boolean IsNoteLiable(StaffHandle staff, SInt32 index);
UInt32 NouvelIdLiaison(StaffHandle staff);
void NoteIdUtilise(StaffHandle staff, UInt32 id);
Boolean PoseBout(StaffHandle staff, SInt32 index, SInt16 kind, UInt8 role, UInt32 id, UInt16 otherStaff);
void DefaitLiaison(StaffHandle staff, SInt32 index, SInt16 kind, UInt8 role);
StaffHandle PorteeParId(ScoreHandle score, UInt16 uniqueId);
void FormeCouleDefaut(StaffHandle staff, SInt32 index);
void CollecteBouts(StaffHandle staff, std::vector<BoutRecord> *ends);
void AjusteLiaison(StaffHandle staff, SInt32 index);

}  // namespace

Boolean SetLiaison(StaffHandle sourceStaff, SInt32 source, StaffHandle destinationStaff, SInt32 destination,
                   SInt16 kind) {
    if (kind != kLiaisonCoule && kind != kLiaisonAccroche) return kFalse;
    if (!IsNoteLiable(sourceStaff, source) || !IsNoteLiable(destinationStaff, destination)) return kFalse;
    if ((*sourceStaff)->score != (*destinationStaff)->score) return kFalse;
    if (GetNotePtr(destinationStaff, destination)->time <= GetNotePtr(sourceStaff, source)->time) return kFalse;
    DefaitLiaison(sourceStaff, source, kind, kLiaisonSource);
    DefaitLiaison(destinationStaff, destination, kind, kLiaisonDestination);
    UInt32 id = NouvelIdLiaison(sourceStaff);
    Boolean same = sourceStaff == destinationStaff;
    if (!PoseBout(sourceStaff, source, kind, kLiaisonSource, id, same ? 0 : (*destinationStaff)->uniqueId)) return kFalse;
    if (!PoseBout(destinationStaff, destination, kind, kLiaisonDestination, id, same ? 0 : (*sourceStaff)->uniqueId)) {
        GetParamEffetIndexNote(sourceStaff, source)->links[Slot(kind, kLiaisonSource)] = LinkEntry{};
        return kFalse;
    }
    if (kind == kLiaisonCoule) FormeCouleDefaut(sourceStaff, source);
    return kTrue;
}

Boolean SetLiaisonSourceNote(StaffHandle staff, SInt32 index, UInt32 id, SInt16 kind, UInt16 otherStaff) {
    if ((kind != kLiaisonCoule && kind != kLiaisonAccroche) || !IsNoteLiable(staff, index)) return kFalse;
    if (!PoseBout(staff, index, kind, kLiaisonSource, id, otherStaff)) return kFalse;
    NoteIdUtilise(staff, id);
    if (kind == kLiaisonCoule) FormeCouleDefaut(staff, index);
    return kTrue;
}

Boolean SetLiaisonDestNote(StaffHandle staff, SInt32 index, UInt32 id, SInt16 kind, UInt16 otherStaff) {
    if ((kind != kLiaisonCoule && kind != kLiaisonAccroche) || !IsNoteLiable(staff, index)) return kFalse;
    if (!PoseBout(staff, index, kind, kLiaisonDestination, id, otherStaff)) return kFalse;
    NoteIdUtilise(staff, id);
    return kTrue;
}

Boolean GetLiaisonSourceNote(StaffHandle staff, SInt32 index, SInt16 kind, UInt32 *id) {
    const NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
    if (!record || (kind != kLiaisonCoule && kind != kLiaisonAccroche)) return kFalse;
    const LinkEntry &entry = record->links[Slot(kind, kLiaisonSource)];
    if (entry.role != kLiaisonSource) return kFalse;
    if (id) *id = entry.id;
    return kTrue;
}

Boolean GetLiaisonDestNote(StaffHandle staff, SInt32 index, SInt16 kind, UInt32 *id) {
    const NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
    if (!record || (kind != kLiaisonCoule && kind != kLiaisonAccroche)) return kFalse;
    const LinkEntry &entry = record->links[Slot(kind, kLiaisonDestination)];
    if (entry.role != kLiaisonDestination) return kFalse;
    if (id) *id = entry.id;
    return kTrue;
}

Boolean GetAutreBoutLiaison(StaffHandle staff, SInt32 index, UInt8 role, SInt16 kind, LinkEndRecord *other) {
    if (other) *other = LinkEndRecord{nullptr, -1};
    if (!other || (role != kLiaisonSource && role != kLiaisonDestination)) return kFalse;
    if (kind != kLiaisonCoule && kind != kLiaisonAccroche) return kFalse;
    const NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
    if (!record) return kFalse;
    LinkEntry entry = record->links[Slot(kind, role)];
    if (entry.role != role) return kFalse;
    StaffHandle far = entry.otherStaff ? PorteeParId((*staff)->score, entry.otherStaff) : staff;
    if (!far) return kFalse;
    UInt8 wanted = role == kLiaisonSource ? kLiaisonDestination : kLiaisonSource;
    SInt32 count = (*far)->noteCount;
    SInt32 time = GetNotePtr(staff, index)->time;
    // Destinations start later than their sources: search forward for one, backward for the other.
    SInt32 step = role == kLiaisonSource ? 1 : -1;
    SInt32 at = far == staff ? index + step : CvtTempsEnIndexNote(far, time) + (step < 0 ? -1 : 0);
    for (SInt32 n = 0; n < kRechercheLiaisonMax && at >= 0 && at < count; n++, at += step) {
        const NoteEffectRecord *candidate = GetParamEffetIndexNote(far, at);
        if (!candidate) continue;
        const LinkEntry &end = candidate->links[Slot(kind, wanted)];
        if (end.role != wanted || end.id != entry.id) continue;
        StaffHandle back = end.otherStaff ? PorteeParId((*far)->score, end.otherStaff) : far;
        if (back != staff) continue;
        *other = LinkEndRecord{far, at};
        return kTrue;
    }
    return kFalse;
}

Boolean LieDeuxNotes(StaffHandle staff, SInt32 earlier, SInt32 later) {
    return SetLiaison(staff, earlier, staff, later, kLiaisonCoule);
}

void GarbageLiaisonsPartition(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    std::vector<BoutRecord> ends;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) CollecteBouts(GetPortee(score, s), &ends);
    auto key = [](const BoutRecord &e) {
        return std::make_tuple(e.kind, e.id, e.sourceUid, e.destinationUid, e.role, e.time);
    };
    std::sort(ends.begin(), ends.end(), [&](const BoutRecord &a, const BoutRecord &b) { return key(a) < key(b); });
    size_t first = 0;
    while (first < ends.size()) {
        size_t last = first + 1;
        while (last < ends.size() && ends[last].kind == ends[first].kind && ends[last].id == ends[first].id &&
               ends[last].sourceUid == ends[first].sourceUid && ends[last].destinationUid == ends[first].destinationUid)
            last++;
        // A whole link is exactly one source and one later destination.
        Boolean whole = last - first == 2 && ends[first].role == kLiaisonSource &&
                        ends[first + 1].role == kLiaisonDestination && ends[first].time < ends[first + 1].time;
        if (!whole) {
            for (size_t i = first; i < last; i++) {
                NoteEffectRecord *record = GetParamEffetIndexNote(ends[i].staff, ends[i].index);
                if (record) record->links[ends[i].slot] = LinkEntry{};
            }
        }
        first = last;
    }
}

Boolean IsCoulePourLieIndex(StaffHandle staff, SInt32 source, SInt32 destination) {
    const NoteRecord *a = GetNotePtr(staff, source);
    const NoteRecord *b = GetNotePtr(staff, destination);
    if (!a || !b || a->pitch < 0 || a->pitch != b->pitch) return kFalse;
    return SInt64(b->time) == SInt64(a->time) + SInt64(a->duration);
}

Boolean GetDataLiaisonNote(StaffHandle staff, SInt32 index, TieDataRecord *block) {
    if (!block) return kFalse;
    std::memset(block, 0, sizeof *block);
    const NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
    if (!record) return kFalse;
    *block = record->tie;
    return kTrue;
}

Boolean SetDataLiaisonNote(StaffHandle staff, SInt32 index, const TieDataRecord *block) {
    if (!block || !IsNoteLiable(staff, index)) return kFalse;
    NoteEffectRecord *record = CreeParamEffetIndexNote(staff, index);
    if (!record) return kFalse;
    record->tie = *block;
    return kTrue;
}

Boolean GetDataAccrocheNote(StaffHandle staff, SInt32 index, BeamDataRecord *block) {
    if (!block) return kFalse;
    *block = BeamDataRecord{kAccrocheAutomatique, kAccrocheAutomatique, 0};
    const NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
    if (!record) return kFalse;
    *block = record->beam;
    return kTrue;
}

Boolean SetDataAccrocheNote(StaffHandle staff, SInt32 index, const BeamDataRecord *block) {
    if (!block || !IsNoteLiable(staff, index)) return kFalse;
    NoteEffectRecord *record = CreeParamEffetIndexNote(staff, index);
    if (!record) return kFalse;
    record->beam = *block;
    return kTrue;
}

Boolean SetParamLiaisonCouleNote(StaffHandle staff, SInt32 index, SInt16 startX, SInt16 startY, SInt16 tension,
                                 SInt16 height, SInt16 endX, SInt16 endY) {
    if (!IsNoteLiable(staff, index)) return kFalse;
    NoteEffectRecord *record = CreeParamEffetIndexNote(staff, index);
    if (!record) return kFalse;
    auto byte = [](SInt16 v) { return SInt8(std::max<SInt16>(-128, std::min<SInt16>(127, v))); };
    record->slurStart[0] = byte(startX);
    record->slurStart[1] = byte(startY);
    record->slurControl[0] = tension;
    record->slurControl[1] = height;
    record->slurEnd[0] = byte(endX);
    record->slurEnd[1] = byte(endY);
    return kTrue;
}

Boolean SetEpaisseurLiaisonCouleNote(StaffHandle staff, SInt32 index, SInt16 thickness) {
    if (!IsNoteLiable(staff, index)) return kFalse;
    NoteEffectRecord *record = CreeParamEffetIndexNote(staff, index);
    if (!record) return kFalse;
    record->slurThickness = UInt8(std::max<SInt16>(0, std::min<SInt16>(255, thickness)));
    return kTrue;
}

void ResetLiaisonCouleDefautNote() { gSlurDefaults = kSlurDefaults; }

const SlurDefaultsRecord *GetLiaisonCouleDefaut() { return &gSlurDefaults; }

void AjusteCoulesPartition(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        for (SInt32 i = 0; i < (*staff)->noteCount; i++)
            if (GetLiaisonSourceNote(staff, i, kLiaisonCoule, nullptr)) AjusteLiaison(staff, i);
    }
}

SInt16 PositionLiaisonNote(StaffHandle staff, SInt32 index) {
    const NoteRecord *stored = GetNotePtr(staff, index);
    if (!stored || stored->pitch < 0) return 0;
    NoteRecord note = *stored;
    SInt16 position = 0;
    CalcPosAlterationFnNote(staff, &note, &position, nullptr, index, note.time);
    SInt16 base = CvtTempsEnNoteDeBase(staff, note.time);
    SInt16 octave = SInt16(base / 12);
    SInt16 degree = DemiTon2NoteStd[((base - 12 * octave) % 12 + 12) % 12];
    return SInt16(position - 8 - 7 * octave - degree);
}

namespace {

Boolean IsNoteLiable(StaffHandle staff, SInt32 index) {
    const NoteRecord *note = GetNotePtr(staff, index);
    return note && note->pitch >= 0;
}

UInt32 NouvelIdLiaison(StaffHandle staff) {
    if (!(*staff)->links) {
        (*staff)->links = NewHandleClear(sizeof(LinkStateRecord));
        if (!(*staff)->links) return UInt32((*staff)->index) << 16;
        reinterpret_cast<LinkStateRecord *>(*(*staff)->links)->nextCounter = 1;
    }
    LinkStateRecord *state = reinterpret_cast<LinkStateRecord *>(*(*staff)->links);
    UInt32 counter = state->nextCounter++;
    return (UInt32((*staff)->index) << 16) + counter;
}

// An id given by an importer: later ids this staff makes stay clear of it.
void NoteIdUtilise(StaffHandle staff, UInt32 id) {
    if ((id >> 16) != UInt32((*staff)->index)) return;
    UInt32 counter = id & 0xFFFF;
    if (!(*staff)->links) {
        (*staff)->links = NewHandleClear(sizeof(LinkStateRecord));
        if (!(*staff)->links) return;
        reinterpret_cast<LinkStateRecord *>(*(*staff)->links)->nextCounter = 1;
    }
    LinkStateRecord *state = reinterpret_cast<LinkStateRecord *>(*(*staff)->links);
    if (counter >= state->nextCounter) state->nextCounter = counter + 1;
}

Boolean PoseBout(StaffHandle staff, SInt32 index, SInt16 kind, UInt8 role, UInt32 id, UInt16 otherStaff) {
    NoteEffectRecord *record = CreeParamEffetIndexNote(staff, index);
    if (!record) return kFalse;
    record->links[Slot(kind, role)] = LinkEntry{UInt8(kind), role, otherStaff, id};
    return kTrue;
}

// Clears the note's link in that role and the entry of its other end.
void DefaitLiaison(StaffHandle staff, SInt32 index, SInt16 kind, UInt8 role) {
    NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
    if (!record || record->links[Slot(kind, role)].role != role) return;
    LinkEndRecord other;
    if (GetAutreBoutLiaison(staff, index, role, kind, &other)) {
        UInt8 far = role == kLiaisonSource ? kLiaisonDestination : kLiaisonSource;
        GetParamEffetIndexNote(other.staff, other.index)->links[Slot(kind, far)] = LinkEntry{};
    }
    GetParamEffetIndexNote(staff, index)->links[Slot(kind, role)] = LinkEntry{};
}

StaffHandle PorteeParId(ScoreHandle score, UInt16 uniqueId) {
    if (!IsPartitionValide(score)) return nullptr;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if ((*staff)->uniqueId == uniqueId) return staff;
    }
    return nullptr;
}

// A slur without a shape takes the default one for its first note's stem.
void FormeCouleDefaut(StaffHandle staff, SInt32 index) {
    NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
    if (!record) return;
    Boolean shaped = record->slurStart[0] || record->slurStart[1] || record->slurControl[0] ||
                     record->slurControl[1] || record->slurEnd[0] || record->slurEnd[1];
    Boolean down = SensHampeNote(staff, index) < 0;
    record = GetParamEffetIndexNote(staff, index);
    const SlurDefaultsRecord &d = gSlurDefaults;
    SInt32 row = down ? 0 : 1;
    if (!shaped) {
        std::memcpy(record->slurStart, d.start[row], sizeof record->slurStart);
        std::memcpy(record->slurControl, d.control[row], sizeof record->slurControl);
        std::memcpy(record->slurEnd, d.end[row], sizeof record->slurEnd);
    }
    if (record->slurThickness == 0) record->slurThickness = d.thickness;
}

// Collects the staff's link ends; an entry out of the slot its kind and role decide is damage
// and is cleared on the spot.
void CollecteBouts(StaffHandle staff, std::vector<BoutRecord> *ends) {
    UInt16 own = (*staff)->uniqueId;
    for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
        NoteEffectRecord *record = GetParamEffetIndexNote(staff, i);
        if (!record) continue;
        SInt32 time = GetNotePtr(staff, i)->time;
        for (SInt32 slot = 0; slot < kLiaisonsParNote; slot++) {
            LinkEntry &e = record->links[slot];
            if (e.role == kLiaisonVide) continue;
            Boolean placed = (e.kind == kLiaisonCoule || e.kind == kLiaisonAccroche) &&
                             (e.role == kLiaisonSource || e.role == kLiaisonDestination) && Slot(e.kind, e.role) == slot;
            if (!placed) {
                e = LinkEntry{};
                continue;
            }
            UInt16 other = e.otherStaff ? e.otherStaff : own;
            Boolean source = e.role == kLiaisonSource;
            ends->push_back(BoutRecord{staff, i, time, e.id, source ? own : other, source ? other : own, UInt8(slot),
                                       e.kind, e.role});
        }
    }
}

// A tie takes its shape from the tie hook unless it has one already; a slur without a shape
// takes the default.
void AjusteLiaison(StaffHandle staff, SInt32 index) {
    LinkEndRecord other;
    if (!GetAutreBoutLiaison(staff, index, kLiaisonSource, kLiaisonCoule, &other) || other.staff != staff) return;
    if (!IsCoulePourLieIndex(staff, index, other.index)) {
        FormeCouleDefaut(staff, index);
        return;
    }
    TieDataRecord tie = GetParamEffetIndexNote(staff, index)->tie;
    if (tie.mode == kCouleForme) return;
    Boolean stemDown = SensHampeNote(staff, index) < 0;
    Boolean nextDown = SensHampeNote(staff, other.index) < 0;
    const NoteRecord *note = GetNotePtr(staff, index);
    Boolean chained = (note->chordFlags & kAccordChaine) != 0;
    HookAdjustTie(&tie, CouleDessusNote(staff, index), stemDown, nextDown, chained, PositionLiaisonNote(staff, index));
    GetParamEffetIndexNote(staff, index)->tie = tie;
}

}  // namespace

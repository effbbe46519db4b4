// Marks and their effects, grace notes and arpeggios.
#include "staffobjects/note_effects.h"

#include <algorithm>
#include <cstring>

#include "score/notes.h"

namespace {

const UInt8 kVelociteMax = 127;
const SInt32 kMaxNotesArpege = 64;  // members of one chord spread at most

// What a mark type does to its note: release percent (0: unchanged), velocity percent
// (0: unchanged), and the effect fields it switches on.
enum : UInt8 { kEffetAucun = 0, kEffetTrille = 1, kEffetArpege = 2 };
struct MarkEffectRow {
    UInt8 type;
    UInt16 release;
    UInt16 velocity;
    UInt8 effect;
};
const MarkEffectRow kEffetsMarques[] = {
    {kMarqueStaccato, 50, 0, kEffetAucun},
    {kMarqueStaccatissimoHaut, 25, 0, kEffetAucun},
    {kMarqueStaccatissimoBas, 25, 0, kEffetAucun},
    {kMarqueTenuto, 100, 0, kEffetAucun},
    {kMarqueAccent, 0, 120, kEffetAucun},
    {kMarqueAccentFortHaut, 0, 130, kEffetAucun},
    {kMarqueAccentFortBas, 0, 130, kEffetAucun},
    {kMarqueTrille, 0, 0, kEffetTrille},
    {kMarqueTrilleBemol, 0, 0, kEffetTrille},
    {kMarqueTrilleDiese, 0, 0, kEffetTrille},
    {kMarqueTrilleBecarre, 0, 0, kEffetTrille},
    {kMarqueArpege, 0, 0, kEffetArpege},
};

void AppliqueEffetMarque(StaffHandle staff, SInt32 index, UInt8 type);
SInt32 DebutAccord(const NoteRecord *notes, SInt32 index);
Boolean PorteMarqueArpege(StaffHandle staff, SInt32 index);

}  // namespace

SInt32 AddMarkNote(StaffHandle staff, SInt32 index, UInt8 type, SInt16 placement, SInt16 offsetX, SInt16 offsetY) {
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note || note->pitch < 0) return -1;
    MarkRecord mark;
    std::memset(&mark, 0, sizeof mark);
    mark.type = type;
    mark.placement = UInt8(placement);
    mark.offsetX = SInt8(std::max<SInt16>(-128, std::min<SInt16>(127, offsetX)));
    mark.offsetY = SInt8(std::max<SInt16>(-128, std::min<SInt16>(127, offsetY)));
    SInt32 at = AjouteMarqueNote(staff, index, &mark);
    if (at >= 0) AppliqueEffetMarque(staff, index, type);
    return at;
}

Boolean AddGraceNote(StaffHandle staff, SInt32 index, UInt8 placement, SInt16 interval, UInt8 accidental,
                     Boolean defaults, SInt32 insertAt) {
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note || note->pitch < 0) return kFalse;
    const NoteEffectRecord *existing = GetParamEffetIndexNote(staff, index);
    if (existing) {
        SInt32 used = 0;
        for (const GraceEntry &entry : existing->graces) used += entry.used ? 1 : 0;
        if (used >= kMaxAppoggiatures) return kFalse;
    }
    NoteEffectRecord *record = CreeParamEffetIndexNote(staff, index);
    if (!record) return kFalse;
    GraceEntry fresh = {1, placement, SInt8(std::max<SInt16>(-128, std::min<SInt16>(127, interval))), accidental, 0,
                        kAppoggiatureVelociteNote, 0};
    // The used entries in their order; the new one goes before rank insertAt, or in the first
    // free place when appended.
    GraceEntry used[kMaxAppoggiatures];
    SInt32 count = 0, firstFree = -1;
    for (SInt32 k = 0; k < kMaxAppoggiatures; k++) {
        if (record->graces[k].used) used[count++] = record->graces[k];
        else if (firstFree < 0) firstFree = k;
    }
    if (defaults && count == 0) {
        record->graceShare = 0;
        record->graceSize = 0;
        record->graceSlurred = 0;
        record->graceSlash = 0;
        record->graceStemDown = 0;
    }
    if (insertAt < 0 || insertAt >= count) {
        record->graces[firstFree] = fresh;
    } else {
        std::memmove(used + insertAt + 1, used + insertAt, size_t(count - insertAt) * sizeof(GraceEntry));
        used[insertAt] = fresh;
        std::memset(record->graces, 0, sizeof record->graces);
        std::memcpy(record->graces, used, size_t(count + 1) * sizeof(GraceEntry));
    }
    record->grace = 1;
    return kTrue;
}

void AppliqueArpeggio(NoteRecord *notes, SInt32 index, SInt32 count, SInt16 direction, SInt16 spread, SInt16 step) {
    if (!notes || index < 0 || index >= count || spread == 0) return;
    if (step <= 0) step = kEcartArpege;
    SInt32 first = DebutAccord(notes, index);
    SInt32 members[kMaxNotesArpege];
    SInt32 n = 0;
    for (SInt32 i = first; i < count && n < kMaxNotesArpege; i++) {
        if (notes[i].pitch >= 0) members[n++] = i;
        if (!(notes[i].chordFlags & kAccordChaine) || i + 1 >= count || notes[i + 1].time != notes[i].time) break;
    }
    Boolean down = direction == 1;
    std::stable_sort(members, members + n, [notes, down](SInt32 a, SInt32 b) {
        return down ? notes[a].pitch > notes[b].pitch : notes[a].pitch < notes[b].pitch;
    });
    for (SInt32 k = 0; k < n; k++) notes[members[k]].attack = SInt16(std::min<SInt32>(32767, k * SInt32(step)));
}

void RecalculeArpeggio(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return;
    SInt32 count = (*staff)->noteCount;
    SInt32 lastChord = -1;
    for (SInt32 i = 0; i < count; i++) {
        const NoteEffectRecord *record = GetParamEffetIndexNote(staff, i);
        if (!record || record->arpeggio[1] == 0 || !PorteMarqueArpege(staff, i)) continue;
        NoteRecord *notes = GetNotePtr(staff, 0);
        SInt32 chord = DebutAccord(notes, i);
        if (chord == lastChord) continue;
        lastChord = chord;
        SInt16 fields[3] = {record->arpeggio[0], record->arpeggio[1], record->arpeggio[2]};
        AppliqueArpeggio(notes, i, count, fields[0], fields[1], fields[2]);
    }
}

namespace {

void AppliqueEffetMarque(StaffHandle staff, SInt32 index, UInt8 type) {
    for (const MarkEffectRow &row : kEffetsMarques) {
        if (row.type != type) continue;
        NoteRecord *note = GetNotePtr(staff, index);
        if (row.release) note->release = row.release;
        if (row.velocity) note->velocity = UInt8(std::min<SInt32>(kVelociteMax, (note->velocity * row.velocity + 50) / 100));
        NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
        if (!record) return;
        if (row.effect == kEffetTrille) {
            record->trill = 1;
            record->trillAccidental = type;
        } else if (row.effect == kEffetArpege) {
            record->arpeggio[1] = 1;
            if (record->arpeggio[2] <= 0) record->arpeggio[2] = kEcartArpege;
        }
        return;
    }
}

// The first member of the chord that holds index: earlier notes chained to it at its time.
SInt32 DebutAccord(const NoteRecord *notes, SInt32 index) {
    SInt32 first = index;
    while (first > 0 && (notes[first - 1].chordFlags & kAccordChaine) && notes[first - 1].time == notes[index].time)
        first--;
    return first;
}

Boolean PorteMarqueArpege(StaffHandle staff, SInt32 index) {
    SInt32 marks = GetNbMarquesNote(staff, index);
    for (SInt32 m = 0; m < marks; m++) {
        MarkRecord mark;
        if (GetMarqueNote(staff, index, m, &mark) && mark.type == kMarqueArpege) return kTrue;
    }
    return kFalse;
}

}  // namespace

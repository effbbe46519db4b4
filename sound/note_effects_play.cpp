// Grace notes, trills and ties of a note as playback hears them.
#include "sound/note_effects_play.h"

#include <algorithm>

#include "platform/core/memory.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"

namespace {

const SInt16 kDemiTonsNaturels[7] = {0, 2, 4, 5, 7, 9, 11};  // C D E F G A B
const SInt32 kTrilleParDefaut = 5040;                        // a 32nd note
const SInt32 kTrilleMinimum = 630;                           // a 256th: no faster
const UInt8 kTrilleBemol = 32, kTrilleDiese = 33, kTrilleBecarre = 34;

const UInt8 kTypeAppoggiatureMax = 4;                      // 0 eighth ... 4 128th
const SInt64 kPartAppoggiatures = 512;                     // graceShare's unit of the written values

SInt32 ValeurEcrite(UInt8 noteType) {
    return noteType <= kTypeAppoggiatureMax ? (kTempsRonde / 8) >> noteType : kAppoggiatureParDefaut;
}
SInt16 IntervalleTrille(StaffHandle staff, SInt32 index, UInt8 accidental);
Boolean LienDeLiaison(const NoteEffectRecord *effects, UInt8 role, UInt32 id);

}  // namespace

SInt32 ConstruitTableauAppoggiaturesAJouer(StaffHandle staff, SInt32 index, SInt32 duration, GraceToPlay *table,
                                           SInt32 *before, SInt32 *after) {
    *before = *after = 0;
    const NoteEffectRecord *effects = GetParamEffetIndexNote(staff, index);
    if (!effects || !effects->grace || duration < 2) return 0;
    SInt32 count = 0;
    SInt64 written = 0;
    for (const GraceEntry &entry : effects->graces) {
        if (!entry.used) continue;
        table[count] = {entry.interval, entry.velocity, UInt8(entry.placement == kAppoggiatureApres), 0,
                        ValeurEcrite(entry.noteType)};
        written += table[count].duration;
        count++;
    }
    if (count == 0) return 0;
    // The group's time, shared in proportion to the written values, at most half the note.
    SInt64 share = effects->graceShare ? SInt64(effects->graceShare) * written / kPartAppoggiatures
                                       : SInt64(count) * kAppoggiatureParDefaut;
    share = std::min<SInt64>(share, duration / 2);
    SInt32 used[2] = {0, 0};
    for (SInt32 i = 0; i < count; i++) {
        GraceToPlay &g = table[i];
        g.duration = std::max<SInt32>(1, SInt32(share * g.duration / std::max<SInt64>(written, 1)));
        g.offset = used[g.after];
        used[g.after] += g.duration;
    }
    *before = used[0];
    *after = used[1];
    return count;
}

SInt32 ConstruitTrilleAJouer(StaffHandle staff, SInt32 index, SInt32 duration, TrillPiece *pieces, SInt32 room) {
    const NoteEffectRecord *effects = GetParamEffetIndexNote(staff, index);
    if (!effects || !effects->trill || duration < 1 || room < 1) return 0;
    SInt32 step = effects->trillSpeed ? SInt32(SInt64(effects->trillSpeed) * kTempsNoire / 256) : kTrilleParDefaut;
    step = std::max(step, kTrilleMinimum);
    SInt32 share = effects->trillShare && effects->trillShare < 100 ? SInt32(SInt64(duration) * effects->trillShare / 100)
                                                                    : duration;
    SInt16 interval = IntervalleTrille(staff, index, effects->trillAccidental);
    Boolean upper = effects->trillUpperFirst != 0;
    SInt32 count = 0, at = 0;
    while (count < room - 1 && at + 2 * step <= share) {
        pieces[count++] = {at, step, SInt16(upper ? interval : 0)};
        upper = !upper;
        at += step;
    }
    pieces[count++] = {at, duration - at, SInt16(upper ? interval : 0)};
    return count;
}

SInt32 NoteLieeSuivante(StaffHandle staff, SInt32 index) {
    const NoteEffectRecord *effects = GetParamEffetIndexNote(staff, index);
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!effects || !note || note->pitch < 0) return -1;
    SInt64 end = SInt64(note->time) + note->duration;
    if (end > kTempsMax) return -1;
    SInt8 pitch = note->pitch;
    for (const LinkEntry &link : effects->links) {
        if (link.kind != kLiaisonCoule || link.role != kLiaisonSource) continue;
        if (link.otherStaff != 0 && link.otherStaff != (*staff)->uniqueId) continue;
        for (SInt32 j = CvtTempsEnIndexNote(staff, SInt32(end)); j < (*staff)->noteCount; j++) {
            const NoteRecord *next = GetNotePtr(staff, j);
            if (next->time != end) break;
            if (next->pitch == pitch && LienDeLiaison(GetParamEffetIndexNote(staff, j), kLiaisonDestination, link.id)) return j;
        }
    }
    return -1;
}

namespace {

// Semitones from the note to the next degree up in its key, or as the trill's accidental says;
// a whole tone when that gives no step of 1 to 3 semitones.
SInt16 IntervalleTrille(StaffHandle staff, SInt32 index, UInt8 accidental) {
    SInt16 degree = 0, alteration = 0, octave = 0;
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note || !GetDiatonicInfo(staff, index, &degree, &alteration, &octave)) return 2;
    SInt32 pitch = note->pitch;
    SInt16 upper = SInt16((degree + 1) % 7), upperOctave = SInt16(octave + (degree == 6));
    SInt16 shift = 0;
    if (accidental == kTrilleDiese) shift = 1;
    else if (accidental == kTrilleBemol) shift = -1;
    else if (accidental != kTrilleBecarre) {
        KeySignature key;
        CvtTempsEnTonalite(staff, note->time, &key);
        shift = key.degrees[upper] == kAlterationDiese ? 1 : key.degrees[upper] == kAlterationBemol ? -1 : 0;
    }
    SInt32 interval = 12 * upperOctave + kDemiTonsNaturels[upper] + shift - pitch;
    return SInt16(interval >= 1 && interval <= 3 ? interval : 2);
}

Boolean LienDeLiaison(const NoteEffectRecord *effects, UInt8 role, UInt32 id) {
    if (!effects) return false;
    for (const LinkEntry &link : effects->links)
        if (link.id == id && link.kind == kLiaisonCoule && link.role == role) return true;
    return false;
}

}  // namespace

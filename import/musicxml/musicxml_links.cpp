// Ties, slurs and beams: the entries of one tie, slur or beam taken back off their stack, the
// notes they stand for found, and the notes linked; the shape of a tie.
#include "import/musicxml/musicxml_notes.h"

#include <cstdlib>
#include <cstring>

#include "engraving/links.h"
#include "score/notes.h"

namespace {

enum Role { kSource, kDestination };

const UInt8 kFormeDessusHampeBas = 5, kFormeChaineHampeBas = 9, kFormeHampeHaut = 8, kFormeDessousHampeHaut = 4;
const SInt8 kDepartDessus = -4, kDepartDessous = 5;
const SInt16 kCourbureDessusCreux = -700, kCourbureDessus = -460;
const SInt16 kCourbureDessousCreux = 750, kCourbureDessous = 490;
const SInt16 kTensionLiaison = 500;
const SInt16 kPositionLigneDessus = -3;   // ties of notes from this staff position up go over

SInt32 NoteLibre(StaffHandle staff, SInt32 index, Role role);
SInt32 MemeHauteurLibre(StaffHandle staff, SInt32 index, Role role);
Boolean ALien(StaffHandle staff, SInt32 index, Role role);
Boolean IsNote(StaffHandle staff, SInt32 index);
Boolean HampeEnBas(const NoteRecord &note);
void FormeLiaison(StaffHandle staff, SInt32 source, Boolean over, const XMLNoteStackEntry &earlier,
                  const XMLNoteStackEntry &later);
Boolean FormeCoule(StaffHandle staff, SInt32 source, XMLElt *slur);

}  // namespace

void AdjustTie(TieDataRecord *tie, Boolean over, Boolean stemDown, Boolean nextStemDown, Boolean chained,
               SInt16 staffPosition) {
    if (!tie) return;
    SInt16 magnitude = SInt16(staffPosition < 0 ? -staffPosition : staffPosition);
    Boolean even = staffPosition % 2 == 0;
    if (over) {
        tie->shape = stemDown ? (chained ? kFormeChaineHampeBas : kFormeDessusHampeBas) : kFormeHampeHaut;
        tie->endX = chained ? -2 : 2;
        tie->startY = kDepartDessus;
        tie->curvature = staffPosition < 0 && even && magnitude >= 2 && magnitude <= 10 ? kCourbureDessusCreux
                                                                                         : kCourbureDessus;
    } else {
        tie->shape = stemDown ? (chained ? kFormeChaineHampeBas : kFormeDessusHampeBas)
                              : (chained ? kFormeHampeHaut : kFormeDessousHampeHaut);
        tie->endX = nextStemDown ? -2 : chained ? -1 : 3;
        tie->startY = kDepartDessous;
        tie->curvature = even && staffPosition >= -5 && staffPosition <= 2 ? kCourbureDessousCreux : kCourbureDessous;
    }
    tie->endY = tie->startY;
    tie->tension = kTensionLiaison;
    tie->mode = kCouleForme;
    tie->flag = 0;
}

// The stop just pushed is the later end; each earlier entry of the pitch ties into the one after
// it, back to the start.
void XMLProcessTie(XMLImportState *state, StaffHandle staff, SInt16 pitch) {
    XMLNoteStackEntry later, entry;
    Boolean linked = kFalse;
    if (XMLPopNote(state, kXMLPileLiaisons, staff, pitch, nullptr, &later)) {
        while (XMLPopNote(state, kXMLPileLiaisons, staff, pitch, nullptr, &entry)) {
            // The source comes first: a copy made for it stands before the destination.
            SInt32 source = entry.time < later.time ? NoteLibre(staff, RechercheSigne(staff, entry.time, pitch), kSource) : -1;
            SInt32 destination = source >= 0 ? NoteLibre(staff, RechercheSigne(staff, later.time, pitch), kDestination) : -1;
            Boolean made = destination >= 0 && SetLiaison(staff, source, staff, destination, 0);
            if (made) {
                const char *orientation = XMLGetAttributeValue(entry.element, "orientation");
                Boolean over = orientation ? strcmp(orientation, "over") == 0
                                           : XMLGetInterligneNote(staff, source, nullptr) >= kPositionLigneDessus;
                FormeLiaison(staff, source, over, entry, later);
                linked = kTrue;
            }
            later = entry;
            if (made && strcmp(entry.key, "start") == 0) break;
        }
    }
    if (!linked) XMLErr("Orphan tie", nullptr);
}

// A tie whose stop never came goes to the next note of its pitch, where its note ends.
void XMLSOSTies(XMLImportState *state) {
    XMLNoteStackEntry entry;
    while (XMLPopNote(state, kXMLPileLiaisons, nullptr, -2, nullptr, &entry)) {
        StaffHandle staff = entry.staff;
        SInt32 first = RechercheSigne(staff, entry.time, entry.note.pitch);
        SInt32 second = RechercheSigne(staff, entry.time + SInt32(entry.note.duration), entry.note.pitch);
        if (!IsNote(staff, first) || !IsNote(staff, second) || first == second) continue;
        const NoteRecord *a = GetNotePtr(staff, first), *b = GetNotePtr(staff, second);
        if (a->pitch != entry.note.pitch || b->pitch != a->pitch || b->time <= a->time) continue;
        if (ALien(staff, first, kSource) || ALien(staff, second, kDestination)) continue;
        SetLiaison(staff, first, staff, second, 0);
    }
}

// From the stop back to the start, each entry is slurred to the one after it (a continue thus
// makes two slurs); slurs may cross staves, never backwards in time.
void XMLProcessSlur(XMLImportState *state, const char *number) {
    const char *key = number ? number : "1";
    XMLNoteStackEntry later, entry;
    if (!XMLPopNote(state, kXMLPileCoules, nullptr, -2, key, &later)) {
        XMLErr("Orphan slur", nullptr);
        return;
    }
    while (XMLPopNote(state, kXMLPileCoules, nullptr, -2, key, &entry)) {
        StaffHandle from = entry.staff, to = later.staff;
        if (entry.time <= later.time) {
            // The source comes first; a copy made for the destination on the same staff, at a
            // time no earlier, leaves the source's index as it was.
            SInt32 source = NoteLibre(from, RechercheSigne(from, entry.time, entry.note.pitch), kSource);
            SInt32 destination = source >= 0 ? NoteLibre(to, RechercheSigne(to, later.time, later.note.pitch), kDestination) : -1;
            if (from == to && entry.time == later.time) destination = -1;
            if (destination >= 0 &&
                SetLiaison(from, source, to, destination, 0)) {
                Boolean above = FormeCoule(from, source, entry.element);
                TieDataRecord tie;
                if (from == to && IsCoulePourLieIndex(from, source, destination) && GetDataLiaisonNote(from, source, &tie)) {
                    AdjustTie(&tie, above, HampeEnBas(entry.note), HampeEnBas(later.note),
                              (entry.note.chordFlags & kAccordChaine) != 0, XMLGetInterligneNote(from, source, nullptr));
                    SetDataLiaisonNote(from, source, &tie);
                }
            }
        }
        later = entry;
    }
}

// A beam whose notes follow one another on one staff with one stem direction groups them; any
// other beam (across staves, over rests or skipped notes) links each note to the next.
void XMLProcessBeam(XMLImportState *state, const char *key) {
    SInt32 count = XMLGetNbNoteInStack(state, kXMLPileAccroches), matched = 0;
    const XMLNoteStackEntry *previous = nullptr;
    Boolean regular = kTrue;
    for (SInt32 i = 0; i < count && regular; i++) {
        const XMLNoteStackEntry *entry = XMLGetNoteInStack(state, kXMLPileAccroches, i);
        if (strcmp(entry->key, key) != 0) continue;
        if (previous) {
            const XMLNoteStackEntry *first = XMLGetNoteInStack(state, kXMLPileAccroches, matched);
            Boolean next = entry->time == previous->time || entry->time == previous->time + SInt32(previous->note.duration);
            regular = entry->staff == first->staff && HampeEnBas(entry->note) == HampeEnBas(first->note) && next;
        } else {
            matched = i;
        }
        previous = entry;
    }
    XMLNoteStackEntry later, entry;
    if (!XMLPopNote(state, kXMLPileAccroches, nullptr, -2, key, &later)) return;
    if (regular) {
        SInt32 popped = 1;
        SInt32 lastTime = later.time;
        while (XMLPopNote(state, kXMLPileAccroches, nullptr, -2, key, &entry)) popped++;
        if (popped < 2) {
            XMLErr("Orphan beam", nullptr);
            return;
        }
        StaffHandle staff = entry.staff;
        SInt32 end = RechercheSigne(staff, lastTime, -2);
        for (SInt32 i = RechercheSigne(staff, entry.time, -2); i < end; i++) {
            NoteRecord *note = GetNotePtr(staff, i);
            if (note) note->chordFlags |= kAccordGroupe;
        }
        return;
    }
    while (XMLPopNote(state, kXMLPileAccroches, nullptr, -2, key, &entry)) {
        if (entry.time != later.time) {
            SInt32 a = RechercheSigne(entry.staff, entry.time, entry.note.pitch);
            SInt32 b = RechercheSigne(later.staff, later.time, later.note.pitch);
            if (IsNote(entry.staff, a) && IsNote(later.staff, b) && !(entry.staff == later.staff && a == b))
                SetLiaison(entry.staff, a, later.staff, b, 1);
        }
        later = entry;
    }
}

namespace {

// A note that already has a tie or slur in that role hands it to the next note of its chord of
// the same pitch, or to a copy of itself made for the new one. -1 when index is no note.
SInt32 NoteLibre(StaffHandle staff, SInt32 index, Role role) {
    index = MemeHauteurLibre(staff, index, role);
    if (index >= 0 && ALien(staff, index, role)) index = DupliqueNote(staff, index, kFalse);
    return index;
}

// From index, the first note of its chord of the same pitch free of a tie or slur in that role,
// else the last one; -1 when index is no note.
SInt32 MemeHauteurLibre(StaffHandle staff, SInt32 index, Role role) {
    if (!IsNote(staff, index)) return -1;
    SInt32 count = (*staff)->noteCount;
    while (ALien(staff, index, role) && index < count - 1) {
        const NoteRecord *note = GetNotePtr(staff, index), *next = GetNotePtr(staff, index + 1);
        if (!(note->chordFlags & kAccordChaine) || next->pitch != note->pitch) break;
        index++;
    }
    return index;
}

Boolean ALien(StaffHandle staff, SInt32 index, Role role) {
    return role == kSource ? GetLiaisonSourceNote(staff, index, kLiaisonCoule, nullptr)
                           : GetLiaisonDestNote(staff, index, kLiaisonCoule, nullptr);
}

Boolean IsNote(StaffHandle staff, SInt32 index) {
    const NoteRecord *note = GetNotePtr(staff, index);
    return note && note->pitch >= 0;
}

Boolean HampeEnBas(const NoteRecord &note) { return (note.chordFlags & kAccordHampeBas) != 0; }

void FormeLiaison(StaffHandle staff, SInt32 source, Boolean over, const XMLNoteStackEntry &earlier,
                  const XMLNoteStackEntry &later) {
    TieDataRecord tie;
    if (!GetDataLiaisonNote(staff, source, &tie)) return;
    AdjustTie(&tie, over, HampeEnBas(earlier.note), HampeEnBas(later.note), (earlier.note.chordFlags & kAccordChaine) != 0,
              XMLGetInterligneNote(staff, source, nullptr));
    SetDataLiaisonNote(staff, source, &tie);
}

// The slur's side from its "placement" and "orientation": the start and end sit on that side
// and the curve bulges away from the notes. Answers whether the slur goes above.
Boolean FormeCoule(StaffHandle staff, SInt32 source, XMLElt *slur) {
    const char *placement = XMLGetAttributeValue(slur, "placement");
    const char *orientation = XMLGetAttributeValue(slur, "orientation");
    const NoteEffectRecord *record = GetParamEffetIndexNote(staff, source);
    if ((!placement && !orientation) || !record) return kFalse;
    SInt16 start[2] = {record->slurStart[0], record->slurStart[1]}, end[2] = {record->slurEnd[0], record->slurEnd[1]};
    SInt16 control[2] = {record->slurControl[0], record->slurControl[1]};
    Boolean above = orientation ? strcmp(orientation, "over") == 0 : strcmp(placement, "above") == 0;
    if ((above && start[1] > 0) || (!above && start[1] < 0)) start[1] = SInt16(-start[1]), end[1] = SInt16(-end[1]);
    control[1] = SInt16(above ? -abs(control[1]) : abs(control[1]));
    SetParamLiaisonCouleNote(staff, source, start[0], start[1], control[0], control[1], end[0], end[1]);
    return above;
}

}  // namespace

// Grace notes: the groups that waited on their stack go onto the notes they lead to (or, after
// a slur from a note to them, follow), with the time they take from their neighbours.
#include "import/musicxml/musicxml_notes.h"

#include <cmath>
#include <cstring>

#include "import/musicxml/musicxml_import.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "staffobjects/note_effects.h"

namespace {

const float kMaxValeur = 1e20f;       // larger values stand for a missing attribute
const SInt32 kVolDefaut = 2520;       // a grace note without steal-time takes a 64th note
const UInt8 kTailleAppoggiature = 32;
const UInt32 kMaxPart = 65535;        // the group's time share is 16 bits

struct TypeRow {
    const char *name;
    UInt8 code;
};
const TypeRow kTypes[] = {{"eighth", 0}, {"16th", 1}, {"32nd", 2}, {"64th", 3}, {"128th", 4}};

// The grace entries of one group, all of one staff and time, and the slur that touches them.
struct Group {
    SInt32 first, last;             // stack indices of its grace entries (with slur entries between)
    const XMLNoteStackEntry *slur;  // kind 4 with its stop, or kind 5; null without
    Boolean after;                  // the grace notes follow their main note
};

void Attache(XMLImportState *state, const Group &group);
void AjouteGrace(XMLImportState *state, StaffHandle staff, SInt32 main, const XMLNoteStackEntry &grace, Boolean after);
SInt64 Vol(XMLElt *grace, StaffHandle staff, SInt32 main, Boolean after);
SInt32 DureeVoisine(StaffHandle staff, SInt32 index, SInt32 step);
UInt8 CodeType(XMLElt *note);
Boolean IsOui(const char *text);

}  // namespace

void XMLAttachGraceNotes(XMLImportState *state) {
    SInt32 count = XMLGetNbNoteInStack(state, kXMLPileGraces);
    Group group = {-1, -1, nullptr, kFalse};
    for (SInt32 i = 0; i <= count; i++) {
        const XMLNoteStackEntry *entry = i < count ? XMLGetNoteInStack(state, kXMLPileGraces, i) : nullptr;
        if (!entry || entry->kind == kXMLGrace) {
            const XMLNoteStackEntry *head = group.first >= 0 ? XMLGetNoteInStack(state, kXMLPileGraces, group.first) : nullptr;
            if (head && (!entry || entry->time != head->time || entry->staff != head->staff)) {
                Attache(state, group);
                group = Group{-1, -1, nullptr, kFalse};
            }
            if (entry && group.first < 0) group.first = i;
            if (entry) group.last = i;
        } else if ((entry->kind == kXMLCouleDepuisGrace && entry->element) || entry->kind == kXMLCouleVersGrace) {
            group.slur = entry;
            group.after = entry->kind == kXMLCouleVersGrace;
        }
    }
}

namespace {

// The group goes onto its main note: the note its slur names, else the note at its time.
void Attache(XMLImportState *state, const Group &group) {
    const XMLNoteStackEntry *head = XMLGetNoteInStack(state, kXMLPileGraces, group.first);
    StaffHandle staff = head->staff;
    SInt32 main = group.slur ? RechercheSigne(staff, group.slur->time, group.slur->note.pitch)
                             : RechercheSigne(staff, head->time, -2);
    if (main < 0 || main >= (*staff)->noteCount || GetNotePtr(staff, main)->pitch < 0) return;
    SInt64 stolen = 0, nominal = 0;
    Boolean slash = kFalse, down = kFalse;
    for (SInt32 i = group.first; i <= group.last; i++) {
        const XMLNoteStackEntry *grace = XMLGetNoteInStack(state, kXMLPileGraces, i);
        if (grace->kind != kXMLGrace) continue;
        AjouteGrace(state, staff, main, *grace, group.after);
        XMLElt *element = XMLPremierEnfant(grace->element, "grace");
        stolen += Vol(element, staff, main, group.after);
        nominal += kTempsNoire >> CodeType(grace->element);
        slash = slash || IsOui(XMLGetAttributeValue(element, "slash"));
        const char *stem = XMLGetText(XMLPremierEnfant(grace->element, "stem"));
        down = down || (stem && strcmp(stem, "down") == 0);
    }
    NoteEffectRecord *record = GetParamEffetIndexNote(staff, main);
    if (!record || !record->grace) return;
    if (nominal > 0) {
        double share = std::round(double(stolen) * 512 / double(nominal));
        record->graceShare = UInt16(share > kMaxPart ? kMaxPart : share < 0 ? 0 : share);
    }
    record->graceSize = kTailleAppoggiature;
    record->graceSlurred = group.slur != nullptr;
    record->graceSlash = slash;
    record->graceStemDown = down;
}

// One grace entry of the main note: its interval, accidental, type and velocity.
void AjouteGrace(XMLImportState *state, StaffHandle staff, SInt32 main, const XMLNoteStackEntry &grace, Boolean after) {
    XMLElt *note = grace.element;
    XMLElt *accidental = XMLPremierEnfant(note, "accidental");
    UInt8 code = kAlterationAucune;
    if (accidental) {
        code = XMLGetAccidentalCode(XMLGetText(accidental));
        if (IsOui(XMLGetAttributeValue(accidental, "editorial")) || IsOui(XMLGetAttributeValue(accidental, "parentheses")))
            code = UInt8(code + kAlterationEditoriale);
        if (IsOui(XMLGetAttributeValue(accidental, "cautionary"))) code = UInt8(code + kAlterationMontree);
    }
    const NoteEffectRecord *before = GetParamEffetIndexNote(staff, main);
    SInt32 used = 0;
    for (SInt32 k = 0; before && k < kMaxAppoggiatures; k++) used += before->graces[k].used != 0;
    SInt16 interval = SInt16(grace.note.pitch - GetNotePtr(staff, main)->pitch);
    if (used == kMaxAppoggiatures ||
        !AddGraceNote(staff, main, after ? kAppoggiatureApres : kAppoggiatureAvant, interval, code, kTrue, -1)) {
        if (used == kMaxAppoggiatures)
            XMLWarning(state, kXMLAvertiAppoggiature, "a note takes %d grace notes: the others are left out",
                       int(kMaxAppoggiatures));
        return;
    }
    NoteEffectRecord *record = GetParamEffetIndexNote(staff, main);
    GraceEntry *last = nullptr;
    for (SInt32 k = 0; k < kMaxAppoggiatures; k++)
        if (record->graces[k].used) last = &record->graces[k];
    last->noteType = CodeType(note);
    float dynamics = XMLGetAttributeFloat(note, "dynamics");
    if (dynamics < kMaxValeur) {
        double velocity = std::round(double(dynamics) * 90 / 100);
        last->velocity = UInt8(velocity > 127 ? 127 : velocity > 0 ? velocity : 0);
    }
}

// The time a grace note takes: its percentages of the notes around, else a 64th note.
SInt64 Vol(XMLElt *grace, StaffHandle staff, SInt32 main, Boolean after) {
    float previous = XMLGetAttributeFloat(grace, "steal-time-previous");
    float following = XMLGetAttributeFloat(grace, "steal-time-following");
    if (previous >= kMaxValeur && following >= kMaxValeur) return kVolDefaut;
    SInt32 p = previous < kMaxValeur ? SInt32(std::fmax(0.0f, std::fmin(previous, 100.0f))) : 0;
    SInt32 f = following < kMaxValeur ? SInt32(std::fmax(0.0f, std::fmin(following, 100.0f))) : 0;
    SInt32 duration = SInt32(GetNotePtr(staff, main)->duration);
    if (after) return LMulDiv(p, duration, 100) + LMulDiv(f, DureeVoisine(staff, main, 1), 100);
    return LMulDiv(p, DureeVoisine(staff, main, -1), 100) + LMulDiv(f, duration, 100);
}

// The length of the note that starts after (step 1) or before (step -1) the main note; 1 when
// there is none.
SInt32 DureeVoisine(StaffHandle staff, SInt32 index, SInt32 step) {
    SInt32 time = GetNotePtr(staff, index)->time;
    for (SInt32 i = index + step; i >= 0 && i < (*staff)->noteCount; i += step) {
        const NoteRecord *note = GetNotePtr(staff, i);
        if (note->time != time) return SInt32(note->duration);
    }
    return 1;
}

UInt8 CodeType(XMLElt *note) {
    const char *type = XMLGetText(XMLPremierEnfant(note, "type"));
    for (const TypeRow &row : kTypes)
        if (type && strcmp(type, row.name) == 0) return row.code;
    return 0;
}

Boolean IsOui(const char *text) { return text && strcmp(text, "yes") == 0; }

}  // namespace

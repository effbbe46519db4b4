// The numbered note stacks and the note utilities of the notes pass: the note an entry stands
// for, a note doubled, a note's staff position, and marks placed and added.
#include "import/musicxml/musicxml_notes.h"

#include <cmath>
#include <cstring>

#include "import/musicxml/musicxml_passes.h"
#include "platform/core/memory.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "staffobjects/note_effects.h"

namespace {

const float kMaxValeur = 1e20f;      // larger values stand for a missing attribute
const float kEchelleDecalage = 3.0f;  // mark offsets: points of three times the millimetres
const float kDecalageHampe = 5.0f;    // tenths a mark moves off a stem on the other side
const UInt8 kMarquePrete = 1;
const UInt8 kPointOrgue = '1', kPointOrgueRenverse = '2';

SInt32 Limite(SInt16 stack);
SInt8 Octet(float value);
Boolean HampeEnBas(StaffHandle staff, SInt32 index);

}  // namespace

void XMLPushNote(XMLImportState *state, SInt16 stack, UInt16 kind, XMLElt *element, StaffHandle staff, UInt32 curdiv,
                 SInt32 time, const NoteRecord *note, const char *key) {
    if (stack < 0 || stack >= kXMLPilesNotes) return;
    SInt32 count = state->stackCounts[stack];
    if (count >= Limite(stack) || !XMLReserve(&state->stacks[stack], SInt64(count + 1) * SInt64(sizeof(XMLNoteStackEntry)))) {
        XMLWarning(state, kXMLAvertiPile, "more than %d ties, slurs, beams or grace notes wait at once: later ones are "
                   "left out", int(Limite(stack)));
        return;
    }
    XMLNoteStackEntry *entry = reinterpret_cast<XMLNoteStackEntry *>(state->stacks[stack].bytes) + count;
    memset(entry, 0, sizeof *entry);
    if (note) entry->note = *note;
    if (key) strncat(entry->key, key, sizeof entry->key - 1);
    entry->curdiv = curdiv;
    entry->time = time;
    entry->staff = staff;
    entry->kind = kind;
    entry->element = element;
    state->stackCounts[stack] = count + 1;
}

Boolean XMLIsStackMatch(XMLImportState *state, SInt16 stack, SInt32 index, StaffHandle staff, SInt16 pitch,
                        const char *key) {
    const XMLNoteStackEntry *entry = XMLGetNoteInStack(state, stack, index);
    return entry && (!staff || entry->staff == staff) && (pitch < -1 || pitch == entry->note.pitch) &&
           (!key || strcmp(key, entry->key) == 0);
}

Boolean XMLPopNote(XMLImportState *state, SInt16 stack, StaffHandle staff, SInt16 pitch, const char *key,
                   XMLNoteStackEntry *out) {
    if (stack < 0 || stack >= kXMLPilesNotes) return kFalse;
    SInt32 count = state->stackCounts[stack];
    for (SInt32 i = count - 1; i >= 0; i--) {
        if (!XMLIsStackMatch(state, stack, i, staff, pitch, key)) continue;
        XMLNoteStackEntry *entries = reinterpret_cast<XMLNoteStackEntry *>(state->stacks[stack].bytes);
        if (out) *out = entries[i];
        memmove(entries + i, entries + i + 1, size_t(count - i - 1) * sizeof *entries);
        state->stackCounts[stack] = count - 1;
        return kTrue;
    }
    return kFalse;
}

Boolean XMLNoteInStack(XMLImportState *state, SInt16 stack, StaffHandle staff, SInt16 pitch, const char *key,
                       XMLNoteStackEntry *out) {
    if (stack < 0 || stack >= kXMLPilesNotes) return kFalse;
    for (SInt32 i = state->stackCounts[stack] - 1; i >= 0; i--) {
        if (!XMLIsStackMatch(state, stack, i, staff, pitch, key)) continue;
        if (out) *out = *XMLGetNoteInStack(state, stack, i);
        return kTrue;
    }
    return kFalse;
}

XMLNoteStackEntry *XMLGetNoteInStack(XMLImportState *state, SInt16 stack, SInt32 index) {
    if (stack < 0 || stack >= kXMLPilesNotes || index < 0 || index >= state->stackCounts[stack]) return nullptr;
    return reinterpret_cast<XMLNoteStackEntry *>(state->stacks[stack].bytes) + index;
}

SInt32 XMLGetNbNoteInStack(XMLImportState *state, SInt16 stack) {
    return stack < 0 || stack >= kXMLPilesNotes ? 0 : state->stackCounts[stack];
}

void XMLDisposeNoteStacks(XMLImportState *state) {
    for (SInt32 i = 0; i < kXMLPilesNotes; i++) {
        XMLReleaseGrowable(&state->stacks[i]);
        state->stackCounts[i] = 0;
    }
    state->openGraceSlurs = 0;
}

void XMLInitMark(MarkRecord *mark) {
    memset(mark, 0, sizeof *mark);
    mark->prepared = kMarquePrete;
}

SInt32 RechercheSigne(StaffHandle staff, SInt32 time, SInt16 pitch) {
    SInt32 index = CvtTempsEnIndexNote(staff, time);
    const NoteRecord *note = GetNotePtr(staff, index);
    if (index > 0 && note && time < note->time)
        index = CvtTempsEnIndexNote(staff, time - SInt32(GetNotePtr(staff, index - 1)->duration));
    SInt32 count = (*staff)->noteCount;
    if (pitch < -1 || index >= count - 1) return index;
    note = GetNotePtr(staff, index);
    if (note->pitch == pitch || !(note->chordFlags & kAccordChaine)) return index;
    while (index < count - 1) {
        index++;
        note = GetNotePtr(staff, index);
        if (note->pitch == pitch || !(note->chordFlags & kAccordChaine)) break;
    }
    return index;
}

SInt32 DupliqueNote(StaffHandle staff, SInt32 index, Boolean flipStem) {
    const NoteRecord *source = GetNotePtr(staff, index);
    if (!source) return -1;
    NoteRecord copy = *source;
    copy.noteParam = kAucunParametreNote;
    if (flipStem) {
        Boolean down = (source->chordFlags & kAccordHampeBas) != 0;
        copy.chordFlags = UInt8(down ? copy.chordFlags & ~kAccordHampeBas : copy.chordFlags | kAccordHampeBas);
        copy.stemDirection = down ? 2 : 1;
    } else {
        copy.cue = 0;
    }
    // Rests never join a chord; a note goes after the chord at its time.
    return copy.pitch < 0 ? InsereNote(staff, &copy, source->time, 0, 1) : AjouteNote(staff, &copy, source->time, 1);
}

SInt16 XMLGetInterligneNote(StaffHandle staff, SInt32 index, SInt16 *accidental) {
    if (accidental) *accidental = kAlterationAucune;
    const NoteRecord *found = GetNotePtr(staff, index);
    if (!found) return 0;
    NoteRecord note = *found;
    SInt16 base = CvtTempsEnNoteDeBase(staff, note.time);
    SInt16 position = 0, shown = kAlterationAucune;
    CalcPosAlterationFnNote(staff, &note, &position, &shown, index, note.time);
    if (accidental) *accidental = shown;
    SInt16 octave = SInt16(base / 12);
    return SInt16(position - 7 * octave - DemiTon2NoteStd[base - 12 * octave]);
}

void SetMarkPosition(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 index, MarkRecord *mark) {
    Boolean down = HampeEnBas(staff, index);
    const char *placement = XMLGetAttributeValue(element, "placement");
    if (placement) {
        Boolean above = strcmp(placement, "above") == 0;
        Boolean flag = mark->stemRelative ? (above ? !down : down) : !above;
        mark->placement = UInt8(flag ? mark->placement | kMarqueDessous : mark->placement & ~kMarqueDessous);
    }
    float scale = kEchelleDecalage * XMLGetCurMMParTenth(state);
    float x = XMLGetAttributeFloat(element, "relative-x");
    if (x < kMaxValeur) mark->offsetX = Octet(x * scale);
    float y = XMLGetAttributeFloat(element, "relative-y");
    if (y < kMaxValeur) {
        Boolean below = (mark->placement & kMarqueDessous) != 0;
        if (!below && down) y += kDecalageHampe;
        if (below && !down) y -= kDecalageHampe;
        mark->offsetY = Octet(y * scale);
    }
}

// The mark goes on through the staff's marks, which apply its effect on how the note plays,
// then the prepared record replaces the one made. A rest takes its mark (a fermata) as it is.
void XMLAjouteMarque(StaffHandle staff, SInt32 index, const MarkRecord *mark) {
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note) return;
    if (note->pitch < 0) {
        AjouteMarqueNote(staff, index, mark);
        return;
    }
    SInt32 at = AddMarkNote(staff, index, mark->type, 0, 0, 0);
    NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
    if (at < 0 || !record || !record->marks || GetHandleSize(record->marks) < UInt32(at + 1) * sizeof(MarkRecord)) return;
    reinterpret_cast<MarkRecord *>(*record->marks)[at] = *mark;
}

// A fermata without "type" is the upright one, as MusicXML has it.
void XMLAddFermata(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 index) {
    MarkRecord mark;
    XMLInitMark(&mark);
    const char *type = XMLGetAttributeValue(element, "type");
    Boolean inverted = type && strcmp(type, "inverted") == 0;
    mark.type = inverted ? kPointOrgueRenverse : kPointOrgue;
    if (inverted) mark.placement = kMarqueDessous;
    SetMarkPosition(state, element, staff, index, &mark);
    XMLAjouteMarque(staff, index, &mark);
}

namespace {

SInt32 Limite(SInt16 stack) { return stack == kXMLPileGraces ? kXMLMaxEntreesGraces : kXMLMaxEntreesPile; }

// Offsets are signed bytes: beyond them a mark stays at the edge of its reach.
SInt8 Octet(float value) {
    if (!(value > -128.0f)) return -128;
    if (value > 127.0f) return 127;
    return SInt8(SInt32(value));
}

Boolean HampeEnBas(StaffHandle staff, SInt32 index) {
    const NoteRecord *note = GetNotePtr(staff, index);
    return note && (note->chordFlags & kAccordHampeBas);
}

}  // namespace

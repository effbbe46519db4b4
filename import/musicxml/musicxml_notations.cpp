// The notations of an inserted note: ornaments, technical marks, articulations, fermatas,
// arpeggios and accidental marks as marks, its tuplet bracket, and its ties, slurs, dynamics
// and hairpins; then, once every part is read, the rest flags and the octave shifts.
#include "import/musicxml/musicxml_notes.h"

#include <cstring>
#include <strings.h>

#include "import/musicxml/musicxml_import.h"
#include "import/musicxml/musicxml_passes.h"
#include "score/dynamics_objects.h"
#include "score/notes.h"
#include "staffobjects/note_effects.h"

namespace {

enum Reading { kMarqueFixe, kTrille, kMordant, kMordantInverse, kTremolo, kDoigte, kAccentFort, kStaccatissimo, kFrette,
               kCorde };

// A child of ornaments, technical or articulations, and how it marks the note.
struct MarkRow {
    const char *name;
    Reading reading;
    UInt8 type;  // the mark of kMarqueFixe
};

const MarkRow kMarques[] = {
    {"trill-mark", kTrille, 0},          {"turn", kMarqueFixe, 29},           {"delayed-turn", kMarqueFixe, 30},
    {"mordent", kMordant, 0},            {"inverted-mordent", kMordantInverse, 0}, {"tremolo", kTremolo, 0},
    {"up-bow", kMarqueFixe, 15},         {"down-bow", kMarqueFixe, ','},      {"harmonic", kMarqueFixe, 20},
    {"open-string", kMarqueFixe, 22},    {"thumb-position", kMarqueFixe, 'S'}, {"fingering", kDoigte, 0},
    {"hammer-on", kMarqueFixe, 1},       {"pull-off", kMarqueFixe, 2},        {"bend", kMarqueFixe, 8},
    {"tap", kMarqueFixe, 16},            {"fret", kFrette, 0},                {"string", kCorde, 0},
    {"accent", kMarqueFixe, '^'},        {"strong-accent", kAccentFort, 0},   {"staccato", kMarqueFixe, '<'},
    {"tenuto", kMarqueFixe, ';'},        {"detached-legato", kMarqueFixe, '>'}, {"staccatissimo", kStaccatissimo, 0},
    {"breath-mark", kMarqueFixe, '_'},   {"caesura", kMarqueFixe, '`'},
};

const UInt8 kTrilleSeul = 31, kTrilleBemol = 32, kTrilleDiese = 33, kTrilleBecarre = 34;
const UInt8 kPremierDoigte = 22;         // fingering 0..5 gives marks 22..27
const long kDernierDoigte = 5;
const UInt8 kCrochetDroit = 0x02, kCrochetCourbe = 0x04;

void MarquesDe(XMLImportState *state, XMLElt *group, XMLNoteContext *c, UInt8 trillAccidental);
void Marque(XMLImportState *state, XMLElt *element, XMLNoteContext *c, UInt8 type);
void Arpege(XMLImportState *state, XMLElt *element, XMLNoteContext *c);
void AlterationMarque(XMLImportState *state, XMLElt *element, XMLNoteContext *c);
void Tuplet(XMLElt *tuplet, XMLNoteContext *c);
void Liaison(XMLImportState *state, XMLElt *notations, XMLElt *tied, XMLNoteContext *c);
void Coule(XMLImportState *state, XMLElt *slur, XMLNoteContext *c);
Boolean CouleVersAppoggiatures(XMLImportState *state, XMLElt *slur, const XMLNoteContext *c, const char *number);
UInt8 OctetTexte(XMLElt *elt, long offset);

}  // namespace

void XMLReadNotations(XMLImportState *state, XMLElt *notations, XMLNoteContext *c) {
    XMLElt *tuplet = nullptr, *tied = nullptr;
    for (SInt32 i = 0; i < notations->childCount; i++) {
        XMLElt *child = notations->children[i];
        const char *name = child->name;
        if (strcmp(name, "ornaments") == 0) {
            const char *accidental = XMLGetText(XMLPremierEnfant(child, "accidental-mark"));
            MarquesDe(state, child, c, accidental ? XMLGetAccidentalCode(accidental) : UInt8(kAlterationAucune));
        } else if (strcmp(name, "technical") == 0 || strcmp(name, "articulations") == 0) {
            MarquesDe(state, child, c, kAlterationAucune);
        } else if (strcmp(name, "fermata") == 0) {
            XMLAddFermata(state, child, c->staff, c->index);
        } else if (strcmp(name, "arpeggiate") == 0) {
            Arpege(state, child, c);
        } else if (strcmp(name, "accidental-mark") == 0) {
            AlterationMarque(state, child, c);
        } else if (strcmp(name, "tuplet") == 0) {
            if (!tuplet) tuplet = child;
        } else if (strcmp(name, "tied") == 0) {
            if (!tied) tied = child;
        } else if (strcmp(name, "slur") == 0) {
            Coule(state, child, c);
        } else if (strcmp(name, "dynamics") == 0) {
            XMLProcessDynamic(state, child, c->staff, c->time, c->index, c->divisions, XMLGetPlacement(child));
        } else if (strcmp(name, "wedge") == 0) {
            XMLProcessWedge(state, child, c->staff, c->time, c->index, c->divisions, XMLGetPlacement(child));
        }
    }
    if (tuplet) Tuplet(tuplet, c);
    if (tied) Liaison(state, notations, tied, c);
}

// Arpeggiated chords are spread; rests that no rest element made are marked so, and every note
// drops its import flag; the notes under octave shifts move to the octave they are written in.
void XMLFinalFixups(XMLImportState *state) {
    ScoreHandle score = state->score;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        RecalculeArpeggio(staff);
        for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
            NoteRecord *note = GetNotePtr(staff, i);
            if (note->pitch == kPitchSilence && !(note->restOrigin & 0x04)) note->chordFlags |= kAccordSilenceAjoute;
            note->restOrigin = 0;
        }
    }
    XMLDisposeNoteStacks(state);
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if ((*staff)->mergeMode != 0 && (*staff)->mergeMode != 2) continue;
        for (SInt32 i = 0; i < (*staff)->dynamicsCount; i++) {
            const DynamicsObject *object = GetDynamiquePtr(staff, i);
            if (!object || !object->inUse || object->kind < kDynamiqueOctaveHaut || object->kind > kDynamiqueDeuxOctavesBas)
                continue;
            static const SInt16 kOctaves[] = {1, -1, 2, -2};
            XMLShiftOctaves(score, s, object->startTime, object->endTime, kOctaves[object->kind - kDynamiqueOctaveHaut]);
        }
    }
}

namespace {

void MarquesDe(XMLImportState *state, XMLElt *group, XMLNoteContext *c, UInt8 trillAccidental) {
    for (SInt32 i = 0; i < group->childCount; i++) {
        XMLElt *child = group->children[i];
        const MarkRow *row = nullptr;
        for (const MarkRow &r : kMarques)
            if (strcmp(child->name, r.name) == 0) row = &r;
        if (!row) continue;
        const char *text = XMLGetText(child);
        const char *type = XMLGetAttributeValue(child, "type");
        Boolean longer = XMLGetAttributeValue(child, "long") && strcmp(XMLGetAttributeValue(child, "long"), "yes") == 0;
        switch (row->reading) {
            case kMarqueFixe: Marque(state, child, c, row->type); break;
            case kTrille:
                Marque(state, child, c, trillAccidental == kAlterationDiese   ? kTrilleDiese
                                        : trillAccidental == kAlterationBemol  ? kTrilleBemol
                                        : trillAccidental == kAlterationBecarre ? kTrilleBecarre
                                                                                : kTrilleSeul);
                break;
            case kMordant: Marque(state, child, c, longer ? '\'' : '%'); break;
            case kMordantInverse: Marque(state, child, c, longer ? '&' : '$'); break;
            case kTremolo: {
                long strokes = text ? XMLGetTextLong(child) : 0;
                Marque(state, child, c, strokes == 2 ? '4' : strokes == 3 ? '5' : strokes == 4 ? '6' : '3');
                break;
            }
            case kDoigte: {
                long finger = text ? XMLGetTextLong(child) : kXMLNoLong;
                if (finger >= 0 && finger <= kDernierDoigte) Marque(state, child, c, UInt8(kPremierDoigte + finger));
                break;
            }
            case kAccentFort: Marque(state, child, c, type && strcmp(type, "down") == 0 ? '8' : '7'); break;
            case kStaccatissimo: Marque(state, child, c, type && strcmp(type, "down") == 0 ? 'f' : 'e'); break;
            case kFrette: GetNotePtr(c->staff, c->index)->fret = OctetTexte(child, 0); break;
            case kCorde: GetNotePtr(c->staff, c->index)->string = OctetTexte(child, -1); break;
        }
    }
}

void Marque(XMLImportState *state, XMLElt *element, XMLNoteContext *c, UInt8 type) {
    MarkRecord mark;
    XMLInitMark(&mark);
    mark.type = type;
    SetMarkPosition(state, element, c->staff, c->index, &mark);
    XMLAjouteMarque(c->staff, c->index, &mark);
}

// An arpeggio mark; a "direction" other than "up" spreads the chord downward.
void Arpege(XMLImportState *state, XMLElt *element, XMLNoteContext *c) {
    Marque(state, element, c, kMarqueArpege);
    const char *direction = XMLGetAttributeValue(element, "direction");
    NoteEffectRecord *record = GetParamEffetIndexNote(c->staff, c->index);
    if (!record) return;
    record->arpeggio[0] = direction && strcmp(direction, "up") != 0;
    record->arpeggioDirectionGiven = direction != nullptr;
}

void AlterationMarque(XMLImportState *state, XMLElt *element, XMLNoteContext *c) {
    MarkRecord mark;
    XMLInitMark(&mark);
    mark.type = kMarqueAccident;
    const char *text = XMLGetText(element);
    mark.symbol = !text ? 0 : strcmp(text, "sharp") == 0 ? '#' : strcmp(text, "flat") == 0 ? 'b' : strcmp(text, "natural") == 0 ? 'n' : 0;
    SetMarkPosition(state, element, c->staff, c->index, &mark);
    XMLAjouteMarque(c->staff, c->index, &mark);
}

// The bracket of a tuplet, and whether a tuplet is open for the notes that follow.
void Tuplet(XMLElt *tuplet, XMLNoteContext *c) {
    NoteRecord *note = GetNotePtr(c->staff, c->index);
    const char *bracket = XMLGetAttributeValue(tuplet, "bracket");
    const char *shape = XMLGetAttributeValue(tuplet, "line-shape");
    if (bracket && strcmp(bracket, "yes") != 0) note->tupletBracket &= UInt8(~(kCrochetDroit | kCrochetCourbe));
    else if (shape && strcmp(shape, "straight") != 0) note->tupletBracket |= kCrochetCourbe;
    else note->tupletBracket |= kCrochetDroit;
    const char *type = XMLGetAttributeValue(tuplet, "type");
    if (type && strcmp(type, "start") == 0) *c->tupletOpen = kTrue;
    if (type && strcmp(type, "stop") == 0) *c->tupletOpen = kFalse;
}

// A tie waits on its stack; a stop settles the ties of its pitch. A note both ending and
// starting a tie continues it.
void Liaison(XMLImportState *state, XMLElt *notations, XMLElt *tied, XMLNoteContext *c) {
    SInt32 count = 0;
    for (SInt32 i = 0; i < notations->childCount; i++) count += strcmp(notations->children[i]->name, "tied") == 0;
    const char *type = XMLGetAttributeValue(tied, "type");
    UInt16 kind = count > 1 ? kXMLSuite
                  : type && strcmp(type, "start") == 0 ? kXMLDebut
                  : type && strcmp(type, "stop") == 0  ? kXMLFin
                                                       : kXMLSuite;
    const char *key = count > 1 ? "" : kind == kXMLDebut ? "start" : kind == kXMLFin ? "stop" : "cont";
    XMLPushNote(state, kXMLPileLiaisons, kind, tied, c->staff, UInt32(c->divisions), c->time, &c->note, key);
    if (kind == kXMLFin) XMLProcessTie(state, c->staff, c->note.pitch);
}

// Slurs wait on their stack under their number ("1" when none).
void Coule(XMLImportState *state, XMLElt *slur, XMLNoteContext *c) {
    const char *type = XMLGetAttributeValue(slur, "type");
    const char *number = XMLGetAttributeValue(slur, "number");
    if (!number) number = "1";
    if (!type) return;
    Boolean waiting = XMLNoteInStack(state, kXMLPileCoules, nullptr, -2, number, nullptr);
    UInt32 divisions = UInt32(c->divisions);
    if (strcmp(type, "start") == 0) {
        if (waiting) {
            XMLErr("Malformed/nested slur", slur);
            XMLProcessSlur(state, number);
        }
        XMLPushNote(state, kXMLPileCoules, kXMLDebut, slur, c->staff, divisions, c->time, &c->note, number);
    } else if (strcmp(type, "continue") == 0) {
        if (!waiting) XMLErr("Slur continue w/out start", slur);
        XMLPushNote(state, kXMLPileCoules, kXMLSuite, slur, c->staff, divisions, c->time, &c->note, number);
    } else if (strcmp(type, "stop") == 0) {
        if (!waiting && CouleVersAppoggiatures(state, slur, c, number)) return;
        XMLPushNote(state, kXMLPileCoules, kXMLFin, slur, c->staff, divisions, c->time, &c->note, number);
        XMLProcessSlur(state, number);
    }
}

// A slur that started on grace notes of this staff ends on this note: the grace group is slurred.
Boolean CouleVersAppoggiatures(XMLImportState *state, XMLElt *slur, const XMLNoteContext *c, const char *number) {
    if (state->openGraceSlurs <= 0) return kFalse;
    for (SInt32 i = XMLGetNbNoteInStack(state, kXMLPileGraces) - 1; i >= 0; i--) {
        XMLNoteStackEntry *entry = XMLGetNoteInStack(state, kXMLPileGraces, i);
        if (entry->kind != kXMLCouleDepuisGrace || entry->element || entry->staff != c->staff ||
            strcasecmp(entry->key, number) != 0)
            continue;
        entry->note = c->note;
        entry->element = slur;
        state->openGraceSlurs--;
        return kTrue;
    }
    return kFalse;
}

// A text's number plus offset as a byte; 0 when it is no number or beyond a byte.
UInt8 OctetTexte(XMLElt *elt, long offset) {
    long value = XMLGetTextLong(elt);
    if (value == kXMLNoLong) return 0;
    value += offset;
    return UInt8(value < 0 ? 0 : value > 255 ? 255 : value);
}

}  // namespace

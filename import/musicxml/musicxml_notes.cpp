// The notes pass: part groups, and measure by measure every note, rest and chord of every part
// inserted into its staff at the time the frame pass wrote on it, with its pitch, accidentals,
// stem, notehead, tuplet, velocity and attack; measure-repeat signs and slash notes; the lyric
// list; the grace notes, ties, slurs and beams through the note stacks (musicxml_notes.h).
#include "import/musicxml/musicxml_notes.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engraving/links.h"
#include "import/musicxml/musicxml_import.h"
#include "import/musicxml/musicxml_passes.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/part_groups.h"

namespace {

const float kMaxValeur = 1e20f;             // larger values stand for a missing attribute
const double kPointsParMM = 2.83464567;
const SInt32 kMaxGroupesOuverts = 64;       // part groups started and not yet stopped
const UInt16 kToutesPorteesBarre = 32767;   // a slash without number: every staff
const SInt32 kPorteesBarres = 4;            // staff numbers that take slash notes
const SInt32 kMaxNumeroBarre = 15;
const long kDivisionsDefaut = 8;
const SInt32 kOctaveDefaut = 4;
const UInt8 kOrigineSilence = 0x04;         // restOrigin: a rest element made it
const SInt8 kDecalageRepetition = 100;
const UInt8 kTeteBarre = 6;
const UInt8 kAlterationBarre = 32;          // slash notes show no accidental
const UInt8 kTeteForme = 2;                 // the staff's notehead mode for shape notes
const UInt8 kCrochetDroit = 0x02;
const UInt16 kDureeAttaque = 256;           // attacks count 1/256 of a quarter

struct OpenGroup {
    SInt32 group;
    const char *number;  // the tree's
};

// What the pass keeps from part to part.
struct NotesPass {
    OpenGroup groups[kMaxGroupesOuverts];
    SInt32 groupCount;
    Boolean tupletOpen;
};

// What one measure's notes share.
struct MeasureContext {
    SInt32 part;
    SInt32 start;       // the bar's start
    SInt32 length;      // the bar's length
    UInt16 slashMask;   // bit s: staff number s shows slashes
    Boolean lyrics;     // the part has lyrics: its voices share their staff's first staff
    NotesPass *pass;
};

struct NameRow {
    const char *name;
    UInt8 code;
};

const NameRow kTetes[] = {
    {"slash", 6}, {"cross", 4}, {"triangle", 1}, {"diamond", 2}, {"square", 5}, {"x", 3}, {"circle-x", 22}, {"none", 7},
};
const NameRow kTetesFormes[] = {{"do", 1}, {"re", 9}, {"mi", 2}, {"fa", 8}, {"so", 0}, {"la", 5}, {"ti", 10}};

void GroupeDeParties(XMLImportState *state, XMLElt *group, SInt32 p, NotesPass *pass);
void LitPartie(XMLImportState *state, XMLElt *scorePart, SInt32 p, XMLElt **parts, SInt32 partCount, NotesPass *pass);
void LitMesure(XMLImportState *state, XMLElt *measure, MeasureContext *m, Boolean *repeat);
void LitNote(XMLImportState *state, XMLElt *element, const MeasureContext *m);
Boolean Hauteur(XMLImportState *state, XMLElt *element, SInt32 *pitch, UInt8 *accidental);
void Attributs(XMLElt *element, NoteRecord *note, SInt32 divisions);
void Appoggiature(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, const NoteRecord *note);
void Hampe(XMLElt *element, XMLNoteContext *c);
void Accroches(XMLImportState *state, XMLElt *element, const XMLNoteContext *c, SInt32 part);
void Silence(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, SInt32 duration, NotesPass *pass);
void RepetitionMesure(XMLImportState *state, const MeasureContext *m);
void NotesBarrees(XMLImportState *state, const MeasureContext *m);
Boolean PlaceDansPartition(XMLImportState *state, SInt32 time, SInt32 duration);
void AjouteParole(XMLImportState *state, StaffHandle staff, SInt32 time, XMLElt *lyric);
StaffHandle PorteePartie(XMLImportState *state, SInt32 part, SInt16 staff);
XMLElt *PetitEnfant(XMLElt *elt, const char *child, const char *grandChild);
long Entier(XMLElt *elt, long missing);
Boolean IsOui(const char *text);
SInt8 Octet(double value);
Boolean ADesParoles(XMLElt *part);

}  // namespace

void XMLAddNotes(XMLImportState *state) {
    XMLElt *partList = XMLPremierEnfant(state->root, "part-list");
    if (!partList) return;
    SInt32 partCount = 0;
    XMLElt **parts = XMLGetEltsInListFirstLevel(state->root->children, state->root->childCount, "part", &partCount);
    NotesPass pass = {};
    for (SInt32 k = 0, p = 0; k < partList->childCount; k++) {
        XMLElt *child = partList->children[k];
        if (strcmp(child->name, "part-group") == 0) {
            GroupeDeParties(state, child, p, &pass);
        } else if (strcmp(child->name, "score-part") == 0) {
            LitPartie(state, child, p, parts, partCount, &pass);
            p++;
        }
        XMLSOSTies(state);
    }
    XMLDisposeElts(parts);
    const XMLLyricEntry *lyrics = reinterpret_cast<const XMLLyricEntry *>(state->lyrics.bytes);
    for (SInt32 i = 0; i < state->lyricCount; i++) XMLProcessLyric(state, lyrics[i].staff, lyrics[i].time, lyrics[i].element);
    XMLReleaseGrowable(&state->lyrics);
    state->lyricCount = 0;
    XMLAttachGraceNotes(state);
    XMLFinalFixups(state);
}

namespace {

// A group starts over the first staff of part p and, at its stop, reaches the last staff of
// the part before.
void GroupeDeParties(XMLImportState *state, XMLElt *group, SInt32 p, NotesPass *pass) {
    ScoreHandle score = state->score;
    const char *type = XMLGetAttributeValue(group, "type");
    const char *number = XMLGetAttributeValue(group, "number");
    if (!number) number = "1";
    if (type && strcmp(type, "start") == 0) {
        XMLElt *symbol = XMLPremierEnfant(group, "group-symbol");
        StaffHandle staff = PorteePartie(state, p, 0);
        if (!symbol || !staff) return;
        if (pass->groupCount == kMaxGroupesOuverts) {
            XMLWarning(state, kXMLAvertiMemoire, "more than %d part groups open at once", int(kMaxGroupesOuverts));
            return;
        }
        const char *text = XMLGetText(symbol);
        SInt16 kind = !text ? kGroupeAutre
                      : strcmp(text, "bracket") == 0 ? kGroupeCrochet
                      : strcmp(text, "brace") == 0   ? kGroupeAccolade
                      : strcmp(text, "line") == 0    ? kGroupeLigne
                                                     : kGroupeAutre;
        const char *barline = XMLGetText(XMLPremierEnfant(group, "group-barline"));
        SInt16 option = barline && strcmp(barline, "yes") == 0 ? 1 : barline && strcmp(barline, "Mensurstrich") == 0 ? 2 : 0;
        SInt16 first = CvtIndexPorteeEnIndexPorteeDebutFusion(score, (*staff)->index);
        float x = XMLGetAttributeFloat(symbol, "default-x");
        double points = -double(x) * XMLGetCurMMParTenth(state) * kPointsParMM;
        SInt16 position = x < kMaxValeur && std::fabs(points) < 32767 ? SInt16(points)
                                                                      : CalculeDeltaXDefaultPartGroup(score, nullptr, first, SInt16(first + 1));
        const char *name = XMLGetText(XMLPremierEnfant(group, "group-name"));
        const char *abbreviation = XMLGetText(XMLPremierEnfant(group, "group-abbreviation"));
        SInt32 made = NewPartGroup(score, kind, option, first, first, position, name ? name : "", abbreviation ? abbreviation : "");
        if (made >= 0) pass->groups[pass->groupCount++] = OpenGroup{made, number};
        return;
    }
    if (!type || strcmp(type, "stop") != 0) return;
    StaffHandle last = p > 0 ? PorteePartie(state, p - 1, SInt16(XMLGetNbStavesInPart(state, p - 1) - 1)) : nullptr;
    SInt16 index = last ? (*last)->index : SInt16((*score)->staffCount - 1);
    // The last staff of a merge group stands for the whole group.
    while (index + 1 < (*score)->staffCount && (*GetPortee(score, index))->continuedByNext) index++;
    for (SInt32 i = 0; i < pass->groupCount;) {
        if (strcmp(pass->groups[i].number, number) != 0) {
            i++;
            continue;
        }
        FixeDernierePorteePartGroup(score, pass->groups[i].group, index);
        pass->groups[i] = pass->groups[--pass->groupCount];
    }
}

void LitPartie(XMLImportState *state, XMLElt *scorePart, SInt32 p, XMLElt **parts, SInt32 partCount, NotesPass *pass) {
    const char *id = XMLGetAttributeValue(scorePart, "id");
    SInt32 matches = 0;
    XMLElt **found = id ? XMLGetEltsInListFromAttribute(parts, partCount, "id", id, &matches) : nullptr;
    XMLElt *part = matches > 0 ? found[0] : nullptr;
    XMLDisposeElts(found);
    if (!part) return;
    MeasureContext m = {p, 0, 0, 0, ADesParoles(part), pass};
    Boolean repeat = kFalse;
    pass->tupletOpen = kFalse;
    for (SInt32 i = 0, ordinal = 0; i < part->childCount; i++) {
        XMLElt *measure = part->children[i];
        if (strcmp(measure->name, "measure") != 0) continue;
        const char *number = XMLGetAttributeValue(measure, "number");
        SInt32 b = number ? XMLGetBarNumberingIndexFromIndexAndName(state, ordinal, number) : 0;
        ordinal++;
        const XMLBarRecord *bar = XMLGetBar(state, b);
        if (!bar || bar->length <= 0) continue;  // the frame pass said why
        m.start = bar->start;
        m.length = bar->length;
        LitMesure(state, measure, &m, &repeat);
    }
}

void LitMesure(XMLImportState *state, XMLElt *measure, MeasureContext *m, Boolean *repeat) {
    XMLElt *style = PetitEnfant(measure, "attributes", "measure-style");
    XMLElt *slash = XMLPremierEnfant(style, "slash");
    if (slash) {
        long number = XMLGetAttributeLong(slash, "number");
        UInt16 bits = number == kXMLNoLong ? kToutesPorteesBarre
                      : number >= 1 && number <= kMaxNumeroBarre ? UInt16(1u << (number - 1))
                                                                 : 0;
        const char *type = XMLGetAttributeValue(slash, "type");
        m->slashMask = type && strcmp(type, "start") == 0 ? UInt16(m->slashMask | bits) : UInt16(m->slashMask & ~bits);
    }
    XMLElt *measureRepeat = XMLPremierEnfant(style, "measure-repeat");
    const char *type = XMLGetAttributeValue(measureRepeat, "type");
    if (type && strcmp(type, "start") == 0) *repeat = kTrue;
    if (type && strcmp(type, "stop") == 0) *repeat = kFalse;
    if (*repeat) {
        RepetitionMesure(state, m);
        return;
    }
    for (SInt32 i = 0; i < measure->childCount; i++)
        if (strcmp(measure->children[i]->name, "note") == 0) LitNote(state, measure->children[i], m);
    NotesBarrees(state, m);
}

// One note element: its staff, time and record, inserted, then what hangs on it.
void LitNote(XMLImportState *state, XMLElt *element, const MeasureContext *m) {
    SInt16 s = XMLGetStaffIndex(XMLGetText(XMLPremierEnfant(element, "staff")));
    if (m->slashMask & (1u << s)) return;
    SInt16 instrument = XMLGetInstrumentIdFromStr(state, m->part, XMLGetAttributeValue(XMLPremierEnfant(element, "instrument"), "id"));
    StaffHandle staff = m->lyrics ? XMLGetPorteeFromId(state, m->part, s, 0, -1)
                                  : XMLGetPorteeFromElement(state, m->part, element, instrument);
    if (!staff) staff = PorteePartie(state, m->part, 0);
    long duration = XMLGetAttributeLong(element, "czdur"), position = XMLGetAttributeLong(element, "czpos");
    if (!staff || duration == kXMLNoLong || position == kXMLNoLong) return;
    SInt32 time = m->start + SInt32(position);
    if (XMLPremierEnfant(element, "rest")) {
        if (duration > 0 && PlaceDansPartition(state, time, SInt32(duration)))
            Silence(state, element, staff, time, SInt32(duration), m->pass);
        return;
    }
    SInt32 pitch = 0;
    UInt8 alteration = kAlterationAucune;
    if (!Hauteur(state, element, &pitch, &alteration)) return;
    XMLNoteContext c = {staff, -1, time, 0, {}, element, &m->pass->tupletOpen};
    RazNote(&c.note, SInt16(pitch), SInt32(duration));
    c.note.accidental = alteration;
    long divisions = XMLGetAttributeLong(element, "curdiv");
    c.divisions = SInt32(divisions == kXMLNoLong || divisions < 1 ? kDivisionsDefaut : divisions);
    if (duration == 0) {
        if (XMLPremierEnfant(element, "grace")) Appoggiature(state, element, staff, time, &c.note);
        else XMLWarning(state, kXMLAvertiLongueur, "a note without duration or type is left out");
        return;
    }
    Attributs(element, &c.note, c.divisions);
    XMLElt *accidental = XMLPremierEnfant(element, "accidental");
    UInt8 given = kAlterationAucune;
    if (accidental && XMLGetText(accidental) && XMLGetText(accidental)[0]) {
        given = XMLGetAccidentalCode(XMLGetText(accidental));
        if (IsOui(XMLGetAttributeValue(accidental, "editorial")) || IsOui(XMLGetAttributeValue(accidental, "parentheses")))
            given = UInt8(given + kAlterationEditoriale);
        if (given != kAlterationAucune) c.note.accidental = given;
    }
    const char *head = XMLGetText(XMLPremierEnfant(element, "notehead"));
    for (const NameRow &row : kTetes)
        if (head && strcmp(head, row.name) == 0) c.note.notehead = row.code;
    for (const NameRow &row : kTetesFormes)
        if (head && strcmp(head, row.name) == 0) c.note.notehead = row.code, (*staff)->noteheadMode = kTeteForme;
    if (!PlaceDansPartition(state, time, SInt32(duration))) return;
    c.index = AjouteNote(staff, &c.note, time, 0);
    if (c.index < 0) return;
    SInt16 shown = kAlterationAucune;
    XMLGetInterligneNote(staff, c.index, &shown);
    NoteRecord *inserted = GetNotePtr(staff, c.index);
    if (given == kAlterationAucune && shown != kAlterationAucune) inserted->accidental |= kAlterationCachee;
    if (given != kAlterationAucune && shown == kAlterationAucune) inserted->accidental |= kAlterationMontree;
    c.note = *inserted;
    Hampe(element, &c);
    for (SInt32 i = 0; i < element->childCount; i++) {
        XMLElt *child = element->children[i];
        if (strcmp(child->name, "lyric") == 0) AjouteParole(state, staff, time, child);
    }
    for (SInt32 i = 0; i < element->childCount; i++) {
        XMLElt *child = element->children[i];
        if (strcmp(child->name, "notations") == 0) XMLReadNotations(state, child, &c);
    }
    if (m->pass->tupletOpen) GetNotePtr(staff, c.index)->chordFlags |= kAccordGroupe;
    Accroches(state, element, &c, m->part);
}

// The MIDI pitch of a pitched or unpitched note and the accidental its alteration spells;
// false, with a warning, for one outside 0..127.
Boolean Hauteur(XMLImportState *state, XMLElt *element, SInt32 *pitch, UInt8 *accidental) {
    static const SInt32 kPas[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    XMLElt *unpitched = XMLPremierEnfant(element, "unpitched");
    XMLElt *source = unpitched ? unpitched : XMLPremierEnfant(element, "pitch");
    if (!source) return kFalse;
    const char *step = XMLGetText(XMLPremierEnfant(source, unpitched ? "display-step" : "step"));
    SInt64 octave = Entier(XMLPremierEnfant(source, unpitched ? "display-octave" : "octave"), kOctaveDefaut);
    SInt64 alter = unpitched ? 0 : Entier(XMLPremierEnfant(source, "alter"), 0);
    SInt64 value = (step && step[0] >= 'A' && step[0] <= 'G' ? kPas[step[0] - 'A'] : 0) + alter + 12 * (octave + 1);
    if (value < 0 || value > 127) {
        XMLWarning(state, kXMLAvertiHauteur, "a note of pitch %lld is left out", (long long)value);
        return kFalse;
    }
    *pitch = SInt32(value);
    *accidental = alter == 1    ? kAlterationDiese
                  : alter == -1 ? kAlterationBemol
                  : alter == 2  ? kAlterationDoubleDiese
                  : alter == -2 ? kAlterationDoubleBemol
                                : kAlterationAucune;
    return kTrue;
}

// Tuplet, horizontal offset, velocity, attack and release from the frame pass's and the file's
// attributes; the cue size.
void Attributs(XMLElt *element, NoteRecord *note, SInt32 divisions) {
    long tuplet = XMLGetAttributeLong(element, "cztuplet");
    if (tuplet != kXMLNoLong && tuplet > 0) {
        long actual = tuplet / 100 > 15 ? 15 : tuplet / 100, normal = tuplet % 100 > 15 ? 15 : tuplet % 100;
        note->tuplet = UInt8(actual | normal << 4);
    }
    float x = XMLGetAttributeFloat(element, "relative-x");
    if (x < kMaxValeur) note->offsetX = Octet(std::round(double(x) * 4));
    float dynamics = XMLGetAttributeFloat(element, "dynamics");
    if (dynamics < kMaxValeur) {
        double velocity = std::round(double(dynamics) * 127 / 100);
        note->velocity = UInt8(velocity > 127 ? 127 : velocity > 0 ? velocity : 0);
    }
    float attack = XMLGetAttributeFloat(element, "attack");
    double attackUnits = 0;
    if (attack < kMaxValeur && std::isfinite(attack)) {
        double value = std::round(double(attack) * kDureeAttaque / divisions);
        note->attack = SInt16(value > 32767 ? 32767 : value < -32767 ? -32767 : value);
        attackUnits = std::round(note->attack * double(kTempsNoire) / kDureeAttaque);
    }
    float release = XMLGetAttributeFloat(element, "release");
    if (release < kMaxValeur && std::isfinite(release) && note->duration > 0) {
        double sounding = double(note->duration) - attackUnits + double(release) * kTempsNoire / divisions;
        double percent = std::trunc(sounding * 100 / double(note->duration));
        note->release = UInt16(percent < 1 ? 1 : percent > 1000 ? 1000 : percent);
    }
    if (XMLPremierEnfant(element, "cue")) note->cue = 'F';
}

// A grace note waits on its stack for the note it leads to; a slur starting or ending on it
// waits with it.
void Appoggiature(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, const NoteRecord *note) {
    XMLPushNote(state, kXMLPileGraces, kXMLGrace, element, staff, 0, time, note, "");
    XMLElt *slur = XMLPremierEnfant(XMLPremierEnfant(element, "notations"), "slur");
    const char *type = XMLGetAttributeValue(slur, "type");
    const char *number = XMLGetAttributeValue(slur, "number");
    if (!number) number = "1";
    if (!type) return;
    if (strcmp(type, "start") == 0) {
        XMLPushNote(state, kXMLPileGraces, kXMLCouleDepuisGrace, nullptr, staff, 0, time, note, number);
        state->openGraceSlurs++;
    } else if (strcmp(type, "stop") == 0) {
        XMLNoteStackEntry start;
        Boolean found = kFalse;
        while (!found && XMLPopNote(state, kXMLPileCoules, staff, -2, number, &start)) found = start.kind == kXMLDebut;
        if (found)
            XMLPushNote(state, kXMLPileGraces, kXMLCouleVersGrace, start.element, staff, start.curdiv, start.time,
                        &start.note, number);
    }
}

// The stem's direction; a double stem gets a copy of the note with the other one. Its length
// is left to the engraver, which draws stems from the notes it joins: "default-y" and
// "relative-y" are positions in the file's own page layout, not lengths the engraver reads.
void Hampe(XMLElt *element, XMLNoteContext *c) {
    XMLElt *stem = XMLPremierEnfant(element, "stem");
    if (!stem) return;
    StaffHandle staff = c->staff;
    const char *text = XMLGetText(stem);
    NoteRecord *note = GetNotePtr(staff, c->index);
    if (text && strcmp(text, "down") == 0) {
        note->stemDirection = 1;
        note->chordFlags |= kAccordHampeBas;
    } else if (text && (strcmp(text, "up") == 0 || strcmp(text, "double") == 0)) {
        note->stemDirection = 2;
        note->chordFlags &= UInt8(~kAccordHampeBas);
        if (text[0] == 'd') DupliqueNote(staff, c->index, kTrue);
    }
    c->note = *GetNotePtr(staff, c->index);
}

// Beams wait on their stack under "part-voice-number" until their end. A chord's beams are
// its first note's: the others repeat them.
void Accroches(XMLImportState *state, XMLElt *element, const XMLNoteContext *c, SInt32 part) {
    if (XMLPremierEnfant(element, "chord")) return;
    SInt16 s = XMLGetStaffIndex(XMLGetText(XMLPremierEnfant(element, "staff")));
    SInt16 voice = XMLGetVoiceIndex(state, part, s, XMLGetText(XMLPremierEnfant(element, "voice")));
    for (SInt32 i = 0; i < element->childCount; i++) {
        XMLElt *beam = element->children[i];
        if (strcmp(beam->name, "beam") != 0) continue;
        const char *number = XMLGetAttributeValue(beam, "number");
        char key[kXMLCleTaille];
        snprintf(key, sizeof key, "%d-%d-%.200s", int(part), int(voice), number ? number : "1");
        const char *text = XMLGetText(beam);
        if (!text || strcmp(text, "begin") == 0) {
            if (XMLNoteInStack(state, kXMLPileAccroches, nullptr, -2, key, nullptr)) {
                XMLErr("Malformed/nested beam", beam);
                while (XMLPopNote(state, kXMLPileAccroches, nullptr, -2, key, nullptr)) {
                }
            }
            XMLPushNote(state, kXMLPileAccroches, kXMLDebut, beam, c->staff, UInt32(c->divisions), c->time, &c->note, key);
        } else if (strcmp(text, "continue") == 0) {
            if (!XMLNoteInStack(state, kXMLPileAccroches, nullptr, -2, key, nullptr)) XMLErr("Beam continue w/out start", beam);
            XMLPushNote(state, kXMLPileAccroches, kXMLSuite, beam, c->staff, UInt32(c->divisions), c->time, &c->note, key);
        } else if (strcmp(text, "end") == 0) {
            XMLPushNote(state, kXMLPileAccroches, kXMLFin, beam, c->staff, UInt32(c->divisions), c->time, &c->note, key);
            XMLProcessBeam(state, key);
        }
    }
}

// A rest: its place from "display-step" and "display-octave" in the clef of its measure, its
// tuplet bracket and fermatas. A tuplet that starts or stops on a rest opens or closes as on
// a note.
void Silence(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, SInt32 duration, NotesPass *pass) {
    NoteRecord rest;
    RazNote(&rest, kPitchSilence, duration);
    long tuplet = XMLGetAttributeLong(element, "cztuplet");
    if (tuplet != kXMLNoLong && tuplet > 0)
        rest.tuplet = UInt8((tuplet / 100 > 15 ? 15 : tuplet / 100) | (tuplet % 100 > 15 ? 15 : tuplet % 100) << 4);
    XMLElt *restElement = XMLPremierEnfant(element, "rest");
    XMLElt *octave = XMLPremierEnfant(restElement, "display-octave");
    if (octave) {
        static const SInt32 kDegres[] = {5, 6, 0, 1, 2, 3, 4};  // A..G
        const char *step = XMLGetText(XMLPremierEnfant(restElement, "display-step"));
        SInt64 s = step && step[0] >= 'A' && step[0] <= 'G' ? kDegres[step[0] - 'A'] : 0;
        ClefRecord clef;
        CvtMesureEnClef(staff, CvtTempsEnMesure(state->score, time), &clef);
        SInt32 base = clef.baseNote, q = (base + 7) / 12;
        SInt64 position = 3 * ((s + 7 * Entier(octave, 0)) - 7 * (q - 1) - DemiTon2NoteStd[base + 7 - 12 * q]);
        rest.restPosition = Octet(double(position));
    }
    rest.restOrigin = kOrigineSilence;
    SInt32 index = InsereNote(staff, &rest, time, 0, 0);
    if (index < 0) return;
    XMLElt *notations = XMLPremierEnfant(element, "notations");
    XMLElt *bracket = XMLPremierEnfant(notations, "tuplet");
    if (bracket) {
        const char *shown = XMLGetAttributeValue(bracket, "bracket");
        if (!shown || strcmp(shown, "yes") == 0) {
            NoteRecord *inserted = GetNotePtr(staff, index);
            inserted->tupletBracket |= kCrochetDroit;
            inserted->chordFlags |= kAccordGroupe;
        }
        const char *type = XMLGetAttributeValue(bracket, "type");
        if (type && strcmp(type, "start") == 0) pass->tupletOpen = kTrue;
        if (type && strcmp(type, "stop") == 0) pass->tupletOpen = kFalse;
    }
    for (SInt32 i = 0; notations && i < notations->childCount; i++)
        if (strcmp(notations->children[i]->name, "fermata") == 0) XMLAddFermata(state, notations->children[i], staff, index);
}

// A measure-repeat sign on the part's first staff, over the whole measure.
void RepetitionMesure(XMLImportState *state, const MeasureContext *m) {
    StaffHandle staff = PorteePartie(state, m->part, 0);
    if (!staff || !PlaceDansPartition(state, m->start, m->length)) return;
    NoteRecord sign;
    RazNote(&sign, kPitchRepetitionMesure, m->length);
    sign.offsetX = kDecalageRepetition;
    InsereNote(staff, &sign, m->start, 0, 0);
}

// A slashed staff shows one silent slash a beat, beamed in a chain, instead of its notes.
void NotesBarrees(XMLImportState *state, const MeasureContext *m) {
    ScoreHandle score = state->score;
    SInt32 measure = CvtTempsEnMesure(score, m->start);
    for (SInt16 s = 0; s < kPorteesBarres; s++) {
        StaffHandle staff = (m->slashMask & (1u << s)) ? PorteePartie(state, m->part, s) : nullptr;
        SInt16 beats = CvtMesureEnNbTemps(score, measure);
        if (!staff || beats <= 0) continue;
        SInt32 previous = -1;
        for (SInt32 i = 0; i < beats; i++) {
            NoteRecord slash;
            RazNote(&slash, SInt16(CvtMesureEnNoteDeBase(staff, measure) + (*staff)->lineCount * 7 / 4), m->length / beats);
            if (slash.pitch < 0) break;
            slash.accidental = kAlterationBarre;
            slash.velocity = 0;
            slash.notehead = kTeteBarre;
            slash.stemDirection = 2;
            slash.stemLength = 2;
            SInt32 index = AjouteNote(staff, &slash, m->start + LMulDiv(i, m->length, beats), 0);
            if (index < 0) break;
            if (previous >= 0 && SetLiaison(staff, previous, staff, index, kLiaisonAccroche)) {
                BeamDataRecord beam;
                if (GetDataAccrocheNote(staff, previous, &beam)) {
                    beam.startHeight = beam.endHeight = kAccrocheAutomatique;
                    SetDataAccrocheNote(staff, previous, &beam);
                }
            }
            previous = index;
        }
    }
}

// The measures reach the note's end, within the score's limits; a note they cannot reach is
// left out, so that every note lies inside the score.
Boolean PlaceDansPartition(XMLImportState *state, SInt32 time, SInt32 duration) {
    ScoreHandle score = state->score;
    SInt64 end = SInt64(time) + duration;
    if (time < 0 || duration <= 0 || end > kTempsMax) return kFalse;
    EtendTableMesures(score, SInt32(end));
    SInt32 count = (*score)->measureCount;
    const MeasureElement *last = count > 0 ? GetMesurePtr(score, count - 1) : nullptr;
    if (last && last->start + last->length >= end) return kTrue;
    XMLWarning(state, kXMLAvertiLongueur, "notes past the score's last possible measure are left out");
    return kFalse;
}

void AjouteParole(XMLImportState *state, StaffHandle staff, SInt32 time, XMLElt *lyric) {
    XMLLyricEntry entry = {staff, time, lyric};
    if (!XMLReserve(&state->lyrics, SInt64(state->lyricCount + 1) * SInt64(sizeof entry))) {
        XMLWarning(state, kXMLAvertiMemoire, "out of memory: lyrics are left out");
        return;
    }
    reinterpret_cast<XMLLyricEntry *>(state->lyrics.bytes)[state->lyricCount++] = entry;
}

StaffHandle PorteePartie(XMLImportState *state, SInt32 part, SInt16 staff) {
    return XMLGetPorteeFromId(state, part, staff, 0, -1);
}

// The first grandchild of that name under a child of that name.
XMLElt *PetitEnfant(XMLElt *elt, const char *child, const char *grandChild) {
    for (SInt32 i = 0; elt && i < elt->childCount; i++) {
        if (strcmp(elt->children[i]->name, child) != 0) continue;
        XMLElt *found = XMLPremierEnfant(elt->children[i], grandChild);
        if (found) return found;
    }
    return nullptr;
}

long Entier(XMLElt *elt, long missing) {
    long value = elt ? XMLGetTextLong(elt) : kXMLNoLong;
    return value == kXMLNoLong ? missing : value;
}

Boolean IsOui(const char *text) { return text && strcmp(text, "yes") == 0; }

SInt8 Octet(double value) {
    if (!(value > -128)) return -128;
    return value > 127 ? 127 : SInt8(SInt32(value));
}

Boolean ADesParoles(XMLElt *part) {
    for (SInt32 i = 0; i < part->childCount; i++) {
        XMLElt *measure = part->children[i];
        if (strcmp(measure->name, "measure") != 0) continue;
        for (SInt32 j = 0; j < measure->childCount; j++)
            if (strcmp(measure->children[j]->name, "note") == 0 && XMLPremierEnfant(measure->children[j], "lyric")) return kTrue;
    }
    return kFalse;
}

}  // namespace

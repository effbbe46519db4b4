// The staves pass: one engine staff for every part, staff number, voice and score-instrument,
// merged per staff number and braced per part; the instruments; and the bar-numbering records
// that the later passes and the score's collection share.
#include "import/musicxml/musicxml_passes.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "score/instruments.h"
#include "score/part_groups.h"
#include "score/tablature_record.h"

namespace {

const SInt16 kTaillePorteeNormale = 72;
const SInt16 kLignesDefaut = 5;
const float kTaillePourcentDefaut = 100.0f;
const SInt16 kLigneSeule = 2;           // the line a one-line staff shows: the middle of five
const size_t kNomSansSuffixe = 200;     // longer part names are not numbered per voice
const SInt32 kNomTaille = 1100;         // a staff name: the model keeps 1023 bytes of it
const SInt16 kTranspositionMax = 127;
const UInt8 kCasesTablature = 21;
const SInt16 kTailleChiffresTablature = 10;
const long kOctaveCordeDefaut = 3;
const UInt8 kModeFusion = 2;
const SInt16 kBarresAccolade = 1;

// What one part's staves are made from.
struct PartDetails {
    SInt32 part;                // index among the score-parts
    SInt32 ordinal;             // index among all children of the part list
    UInt32 type;                // kPortee...
    const char *name;           // the tree's, "" when absent
    const char *abbreviation;   // the tree's, " " when absent
    SInt16 staffCount;          // 1..kXMLMaxStavesPartie
    UInt32 voicesUsed[kXMLMaxStavesPartie];  // per staff number, bit n: voice n + 1
    SInt16 lines;               // 0..kXMLMaxLignesPortee
    float size;                 // percent
    SInt16 stringCount;         // highest tuned line, 0 without a tuning
    UInt16 tuning[kMaxCordesTablature];  // MIDI pitch by line from 1, kCordeSansHauteur when not given
    SInt16 instrumentCount;
    SInt16 instruments[kXMLMaxInstrumentsPartie];
};

OSErr CreePartie(XMLImportState *state, XMLElt *scorePart, XMLElt *part, SInt32 p, SInt32 k);
void LitInstruments(XMLImportState *state, XMLElt *scorePart, XMLElt *part, PartDetails *details);
OSErr LitMesures(XMLImportState *state, XMLElt *part, PartDetails *details);
void LitPortees(XMLImportState *state, XMLElt *measure, PartDetails *details);
void LitVoix(XMLImportState *state, XMLElt *part, PartDetails *details);
void LitDetailsPortee(XMLImportState *state, XMLElt *part, PartDetails *details);
OSErr FaitPortees(XMLImportState *state, const PartDetails *details);
OSErr PreparePortee(XMLImportState *state, const PartDetails *details, StaffHandle staff, SInt16 s, SInt16 v,
                    SInt16 instrument);
OSErr PrepareTablature(const PartDetails *details, StaffHandle staff);
void NommePortee(const PartDetails *details, StaffHandle staff, SInt16 v);
void MontreLignes(StaffHandle staff, SInt16 lines);
void Accolade(XMLImportState *state, SInt16 first);
XMLElt *Enfant(XMLElt *elt, const char *name);
XMLElt *PremierDansMesures(XMLElt *part, const char *name);
XMLElt *PremierPetitEnfant(XMLElt *elt, const char *child, const char *grandChild, const char *name);
long TexteEntier(XMLElt *elt);
SInt16 NombreDeVoix(UInt32 used);

}  // namespace

OSErr XMLCreePortees(XMLImportState *state) {
    DisposeToutesPortees(state->score);
    XMLElt *partList = Enfant(state->root, "part-list");
    if (!partList) return noErr;
    SInt32 partCount = 0;
    XMLElt **parts = XMLGetEltsInListFirstLevel(state->root->children, state->root->childCount, "part", &partCount);
    OSErr err = noErr;
    for (SInt32 k = 0, p = 0; k < partList->childCount && err == noErr; k++) {
        XMLElt *scorePart = partList->children[k];
        if (strcmp(scorePart->name, "score-part") != 0) continue;
        const char *id = XMLGetAttributeValue(scorePart, "id");
        SInt32 matches = 0;
        XMLElt **found = id ? XMLGetEltsInListFromAttribute(parts, partCount, "id", id, &matches) : nullptr;
        if (!id) XMLWarning(state, kXMLAvertiSansId, "a score-part without id has no staves");
        if (matches > 0) err = CreePartie(state, scorePart, found[0], p, k);
        XMLDisposeElts(found);
        p++;
    }
    XMLDisposeElts(parts);
    return err;
}

namespace {

OSErr CreePartie(XMLImportState *state, XMLElt *scorePart, XMLElt *part, SInt32 p, SInt32 k) {
    PartDetails details;
    memset(&details, 0, sizeof details);
    details.part = p;
    details.ordinal = k;
    LitInstruments(state, scorePart, part, &details);
    XMLElt *clef = PremierDansMesures(part, "clef");
    const char *sign = XMLGetText(Enfant(clef, "sign"));
    details.type = sign && strcasecmp(sign, "TAB") == 0          ? kPorteeTablature
                   : sign && strcasecmp(sign, "Percussion") == 0 ? kPorteePercussion
                                                                  : kPorteeStandard;
    const char *name = XMLGetText(Enfant(scorePart, "part-name"));
    XMLElt *abbreviation = Enfant(scorePart, "part-abbreviation");
    details.name = name ? name : "";
    details.abbreviation = !abbreviation ? " " : abbreviation->text ? abbreviation->text : "";
    details.staffCount = 1;
    OSErr err = LitMesures(state, part, &details);
    if (err != noErr) return err;
    LitVoix(state, part, &details);
    LitDetailsPortee(state, part, &details);
    return FaitPortees(state, &details);
}

// One instrument per score-instrument; a part without one gets a default instrument named after
// its place in the part list. The part's first transposition goes to its instruments.
void LitInstruments(XMLImportState *state, XMLElt *scorePart, XMLElt *part, PartDetails *details) {
    long chromatic = TexteEntier(Enfant(PremierDansMesures(part, "transpose"), "chromatic"));
    if (chromatic == kXMLNoLong) chromatic = 0;
    SInt16 transposition = SInt16(chromatic > kTranspositionMax    ? kTranspositionMax
                                  : chromatic < -kTranspositionMax ? -kTranspositionMax
                                                                   : chromatic);
    for (SInt32 i = 0; i < scorePart->childCount; i++) {
        XMLElt *child = scorePart->children[i];
        if (strcmp(child->name, "score-instrument") != 0) continue;
        if (details->instrumentCount == kXMLMaxInstrumentsPartie) {
            XMLWarning(state, kXMLAvertiInstruments, "a part has more than %d instruments: the others are left out",
                       int(kXMLMaxInstrumentsPartie));
            break;
        }
        details->instruments[details->instrumentCount++] =
            XMLCreeInstrument(state, details->part, child, transposition, details->ordinal);
    }
    if (details->instrumentCount == 0)
        details->instruments[details->instrumentCount++] =
            XMLCreeInstrument(state, details->part, nullptr, 0, details->ordinal);
}

// A measure shares the record of its ordinal when the numbers agree (or it has none), else the
// first record of its number; a new number gets a new record. Also finds the largest "staves".
OSErr LitMesures(XMLImportState *state, XMLElt *part, PartDetails *details) {
    SInt32 m = 0;
    for (SInt32 i = 0; i < part->childCount; i++) {
        XMLElt *measure = part->children[i];
        if (strcmp(measure->name, "measure") != 0) continue;
        const char *number = XMLGetAttributeValue(measure, "number");
        const char *implicitText = XMLGetAttributeValue(measure, "implicit");
        UInt8 implicit = implicitText && strcasecmp(implicitText, "yes") == 0;
        LitPortees(state, measure, details);
        long rests = TexteEntier(PremierPetitEnfant(measure, "attributes", "measure-style", "multiple-rest"));
        rests = rests == kXMLNoLong || rests < 0 ? 0 : rests > kXMLMaxRepos ? long(kXMLMaxRepos) : rests;
        if (rests > 0) XMLSetSilenceMultiple(state, rests);
        char key[kXMLBarNumberSize];
        XMLCopyBarNumber(key, number);
        const XMLBarRecord *same = XMLGetBar(state, m);
        Boolean matched = same && (!number || (strcmp(same->number, key) == 0 && same->implicit == implicit));
        if (!matched && number) matched = XMLFindBarNumber(state, number) >= 0;
        if (!matched) {
            XMLBarRecord bar;
            memset(&bar, 0, sizeof bar);
            memcpy(bar.number, key, sizeof key);
            bar.implicit = implicit;
            bar.measure = m;
            bar.multipleRests = UInt16(rests);
            if (XMLAppendBar(state, &bar) < 0) return memFullErr;
        }
        m++;
    }
    return noErr;
}

// The largest "staves" of the measure's attributes raises the part's staff count.
void LitPortees(XMLImportState *state, XMLElt *measure, PartDetails *details) {
    for (SInt32 a = 0; a < measure->childCount; a++) {
        XMLElt *attributes = measure->children[a];
        if (strcmp(attributes->name, "attributes") != 0) continue;
        for (SInt32 i = 0; i < attributes->childCount; i++) {
            if (strcmp(attributes->children[i]->name, "staves") != 0) continue;
            long count = XMLGetTextLong(attributes->children[i]);
            if (count == kXMLNoLong || count <= details->staffCount) continue;
            if (count > kXMLMaxStavesPartie) {
                XMLWarning(state, kXMLAvertiPortees, "a part of %ld staves keeps %d", count, int(kXMLMaxStavesPartie));
                count = kXMLMaxStavesPartie;
            }
            details->staffCount = SInt16(count);
        }
    }
}

// The voices of each staff number: numbers 1..16 as they stand, then every other text the next
// free number (XMLRegisterVoice). A note without a voice is in voice 1. Note staff numbers
// also raise the part's staff count.
void LitVoix(XMLImportState *state, XMLElt *part, PartDetails *details) {
    for (SInt32 pass = 0; pass < 2; pass++) {
        for (SInt32 i = 0; i < part->childCount; i++) {
            XMLElt *measure = part->children[i];
            if (strcmp(measure->name, "measure") != 0) continue;
            for (SInt32 j = 0; j < measure->childCount; j++) {
                XMLElt *note = measure->children[j];
                if (strcmp(note->name, "note") != 0) continue;
                const char *staffText = XMLGetText(Enfant(note, "staff"));
                SInt16 s = XMLGetStaffIndex(staffText);
                long number = 0;
                if (pass == 0 && XMLReadWholeNumber(staffText, &number) && number > kXMLMaxStavesPartie)
                    XMLWarning(state, kXMLAvertiPortees, "staff %ld is read as staff %d", number, int(s + 1));
                if (s + 1 > details->staffCount) details->staffCount = SInt16(s + 1);
                const char *voice = XMLGetText(Enfant(note, "voice"));
                Boolean numbered = !voice || !voice[0] ||
                                   (XMLReadWholeNumber(voice, &number) && number >= 1 && number <= kXMLMaxVoixPortee);
                if (pass == 0 && numbered) details->voicesUsed[s] |= 1u << XMLGetVoiceIndex(state, details->part, s, voice);
                if (pass == 1 && !numbered) XMLRegisterVoice(state, details->part, s, voice, &details->voicesUsed[s]);
            }
        }
    }
}

// Lines, size and the tuning of tablature strings from the first measure's staff details.
void LitDetailsPortee(XMLImportState *state, XMLElt *part, PartDetails *details) {
    details->lines = kLignesDefaut;
    details->size = kTaillePourcentDefaut;
    for (SInt32 k = 0; k < kMaxCordesTablature; k++) details->tuning[k] = kCordeSansHauteur;
    XMLElt *first = Enfant(part, "measure");
    XMLElt *staffDetails = nullptr;
    for (SInt32 a = 0; first && a < first->childCount && !staffDetails; a++)
        if (strcmp(first->children[a]->name, "attributes") == 0) staffDetails = Enfant(first->children[a], "staff-details");
    if (!staffDetails) return;
    const char *printObject = XMLGetAttributeValue(staffDetails, "print-object");
    if (printObject && strcmp(printObject, "no") == 0) state->document->pageLayouts[0].flags[0] = 1;
    long lines = TexteEntier(Enfant(staffDetails, "staff-lines"));
    if (lines != kXMLNoLong) {
        if (lines < 0 || lines > kXMLMaxLignesPortee)
            XMLWarning(state, kXMLAvertiLignes, "a staff of %ld lines shows %d", lines,
                       lines < 0 ? 0 : int(kXMLMaxLignesPortee));
        details->lines = SInt16(lines < 0 ? 0 : lines > kXMLMaxLignesPortee ? long(kXMLMaxLignesPortee) : lines);
    }
    float size = XMLGetTextFloat(Enfant(staffDetails, "staff-size"));
    if (size != kXMLNoFloat) {
        if (!(size > 0) || !std::isfinite(size)) XMLWarning(state, kXMLAvertiTaille, "a staff size of %g is read as 100", size);
        else details->size = size;
    }
    if (details->type != kPorteeTablature) return;
    for (SInt32 i = 0; i < staffDetails->childCount; i++) {
        XMLElt *tuning = staffDetails->children[i];
        if (strcmp(tuning->name, "staff-tuning") != 0) continue;
        long line = XMLGetAttributeLong(tuning, "line");
        if (line < 1 || line > kMaxCordesTablature) continue;
        static const SInt16 kDegres[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
        const char *step = XMLGetText(Enfant(tuning, "tuning-step"));
        SInt16 semitone = step && step[0] >= 'A' && step[0] <= 'G' ? kDegres[step[0] - 'A'] : 0;
        long octave = TexteEntier(Enfant(tuning, "tuning-octave"));
        long alter = TexteEntier(Enfant(tuning, "tuning-alter"));
        double pitch = 12.0 * ((octave == kXMLNoLong ? kOctaveCordeDefaut : double(octave)) + 1) + semitone +
                       (alter == kXMLNoLong ? 0.0 : double(alter));
        if (pitch < 0 || pitch > 127) XMLWarning(state, kXMLAvertiMIDI, "a string tuned to %g is brought within 0..127", pitch);
        details->tuning[line - 1] = UInt16(pitch < 0 ? 0 : pitch > 127 ? 127 : pitch);
        if (line > details->stringCount) details->stringCount = SInt16(line);
    }
}

// Staff numbers, then voices, then instruments: the staves of a staff number are merged, the
// last one ending the merge group.
OSErr FaitPortees(XMLImportState *state, const PartDetails *details) {
    SInt16 first = -1;
    SInt32 made = 0;
    for (SInt16 s = 0; s < details->staffCount; s++) {
        StaffHandle last = nullptr;
        SInt16 voices = NombreDeVoix(details->voicesUsed[s]);
        for (SInt16 v = 0; v < voices; v++) {
            for (SInt16 i = 0; i < details->instrumentCount; i++) {
                if (made == kXMLMaxPorteesPartie) {
                    XMLWarning(state, kXMLAvertiTropDePortees, "a part needs more than %d staves: the others are left out",
                               int(kXMLMaxPorteesPartie));
                    break;
                }
                StaffHandle staff = CreePorteeVide(state->score, details->type, 1, 0);
                if (!staff) {
                    XMLWarning(state, kXMLAvertiTropDePortees, "no room for more staves: the others are left out");
                    break;
                }
                made++;
                if (first < 0) first = (*staff)->index;
                OSErr err = PreparePortee(state, details, staff, s, v, details->instruments[i]);
                if (err != noErr) return err;
                last = staff;
            }
        }
        if (last) (*last)->continuedByNext = 0;
    }
    if (details->staffCount > 1 && first >= 0) Accolade(state, first);
    return noErr;
}

OSErr PreparePortee(XMLImportState *state, const PartDetails *details, StaffHandle staff, SInt16 s, SInt16 v,
                    SInt16 instrument) {
    (*staff)->size = kTaillePorteeNormale;
    if (details->type == kPorteeTablature && PrepareTablature(details, staff) != noErr) return memFullErr;
    if (!(*staff)->collection) (*staff)->collection = NewCollection();
    Collection items = (*staff)->collection;
    SInt32 values[] = {details->part, s, v};
    const OSType ids[] = {kXMLIdPartie, kXMLIdPortee, kXMLIdVoix};
    for (SInt32 i = 0; i < 3; i++)
        if (!items || AddCollectionItem(items, kXMLTypePortee, SInt32(ids[i]), sizeof values[i], &values[i]) != noErr)
            return memFullErr;
    (*staff)->mergeMode = kModeFusion;
    (*staff)->mergeOffset = 0;
    (*staff)->continuedByNext = 1;
    NommePortee(details, staff, v);
    (*staff)->instrument = instrument;
    const InstrumentRecord *record = GetInstrumentPtr(state->score, instrument);
    if (record) {
        (*staff)->volume = record->volume;
        (*staff)->pan = record->pan;
    }
    XMLStaffNode node = {details->part, s, v, instrument, staff};
    if (XMLAddPorteeReg(state, &node) != noErr) return memFullErr;
    float height = details->lines > 1 ? (details->lines - 1) * details->size * 10 / 100 : details->size * 40 / 100;
    XMLSetStaffHeight(state, details->part, SInt16(s + 1), height);
    MontreLignes(staff, details->lines);
    return noErr;
}

// Every tablature staff of a part gets the part's strings: string 0 (the highest) is the
// highest line given, line 1 the last string.
OSErr PrepareTablature(const PartDetails *details, StaffHandle staff) {
    if (InitPorteeTablature(staff) != noErr) return memFullErr;
    TablatureRecord *tab = GetTablaturePtr(staff);
    tab->showRhythm = 0;
    tab->fretTextSize = kTailleChiffresTablature;
    tab->fretTextOffset = 0;
    if (details->stringCount == 0) return noErr;
    tab->kind = kTablatureAccordee;
    tab->stringCount = details->stringCount;
    for (SInt16 k = 0; k < kMaxCordesTablature; k++) {
        UInt16 pitch = k < details->stringCount ? details->tuning[details->stringCount - 1 - k] : UInt16(kCordeSansHauteur);
        tab->strings[k] = TabStringRecord{pitch, kCasesTablature, 0};
    }
    return noErr;
}

// Voice 0 takes the part's name; later voices are numbered after it ("Piano-2"), unless the
// name is empty or too long to number. Staff numbers after the first repeat the first's names.
void NommePortee(const PartDetails *details, StaffHandle staff, SInt16 v) {
    char name[kNomTaille];
    const char *base = details->name;
    if (v > 0 && base[0] && strlen(base) < kNomSansSuffixe) snprintf(name, sizeof name, "%s-%d", base, v + 1);
    else snprintf(name, sizeof name, "%s", base);
    SetNomPortee(staff, name);
    const char *abbreviation = details->abbreviation;
    if (v > 0 && abbreviation[0]) snprintf(name, sizeof name, "%s-%d", abbreviation, v + 1);
    else snprintf(name, sizeof name, "%s", abbreviation);
    SetNomAbregePortee(staff, name);
}

// A one-line staff shows the middle line of five; otherwise the lines from the bottom.
void MontreLignes(StaffHandle staff, SInt16 lines) {
    StaffRecord *p = *staff;
    if (lines == 1) {
        p->shownLines = UInt16(1u << kLigneSeule);
        p->firstLine = p->lastLine = kLigneSeule;
        return;
    }
    p->shownLines = UInt16((1u << lines) - 1);
    p->firstLine = 0;
    p->lastLine = SInt16(lines > 0 ? lines - 1 : 0);
    if (lines > 1) p->lineCount = lines;
}

// The part's staves, from its first to the score's last, under a brace named as the first.
void Accolade(XMLImportState *state, SInt16 first) {
    ScoreHandle score = state->score;
    SInt16 last = SInt16((*score)->staffCount - 1);
    StaffHandle head = GetPortee(score, first);
    char longName[kNomTaille] = "", shortName[kNomTaille] = "";
    if ((*head)->longName) snprintf(longName, sizeof longName, "%s", *(*head)->longName);
    if ((*head)->shortName) snprintf(shortName, sizeof shortName, "%s", *(*head)->shortName);
    SInt32 group = NewPartGroup(score, kGroupeAccolade, kBarresAccolade, first, last,
                                CalculeDeltaXDefaultPartGroup(score, nullptr, first, last), longName, shortName);
    if (group < 0) {
        XMLWarning(state, kXMLAvertiMemoire, "a part's brace could not be made");
        return;
    }
    PartGroupRecord *record = reinterpret_cast<PartGroupRecord *>(*(*score)->partGroups) + group;
    record->longNameStyle = (*head)->longNameStyle;
    record->shortNameStyle = (*head)->shortNameStyle;
    for (SInt16 s = first; s <= last; s++) (*GetPortee(score, s))->namesOffset = 0;
}

XMLElt *Enfant(XMLElt *elt, const char *name) {
    for (SInt32 i = 0; elt && i < elt->childCount; i++)
        if (strcmp(elt->children[i]->name, name) == 0) return elt->children[i];
    return nullptr;
}

// The first element of that name in an "attributes" of a measure of the part.
XMLElt *PremierDansMesures(XMLElt *part, const char *name) {
    for (SInt32 i = 0; i < part->childCount; i++) {
        XMLElt *measure = part->children[i];
        if (strcmp(measure->name, "measure") != 0) continue;
        for (SInt32 a = 0; a < measure->childCount; a++) {
            if (strcmp(measure->children[a]->name, "attributes") != 0) continue;
            XMLElt *found = Enfant(measure->children[a], name);
            if (found) return found;
        }
    }
    return nullptr;
}

// The first element of that name below elt through a child and a grandchild of those names.
XMLElt *PremierPetitEnfant(XMLElt *elt, const char *child, const char *grandChild, const char *name) {
    for (SInt32 i = 0; i < elt->childCount; i++) {
        XMLElt *c = elt->children[i];
        if (strcmp(c->name, child) != 0) continue;
        for (SInt32 j = 0; j < c->childCount; j++) {
            if (strcmp(c->children[j]->name, grandChild) != 0) continue;
            XMLElt *found = Enfant(c->children[j], name);
            if (found) return found;
        }
    }
    return nullptr;
}

long TexteEntier(XMLElt *elt) { return elt ? XMLGetTextLong(elt) : kXMLNoLong; }

SInt16 NombreDeVoix(UInt32 used) {
    SInt16 count = 1;
    for (SInt16 v = 0; v < kXMLMaxVoixPortee; v++)
        if (used & (1u << v)) count = SInt16(v + 1);
    return count;
}

}  // namespace

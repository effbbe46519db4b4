// The measure-frame pass: the timing of every note of every part written on its element, the
// score's measures made from the bar records, then the measure-level elements of all parts
// handled in time order (musicxml_events.cpp), and the pass's closing steps.
#include "import/musicxml/musicxml_passes.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "import/musicxml/musicxml_timing.h"
#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/played_measures.h"
#include "score/ruptures.h"

namespace {

const long kDivisionsDefaut = 16;
const long kMaxDivisions = 1L << 20;   // more divisions than this make a division shorter than a unit
const SInt32 kMaxPagesReservees = 100;
const SInt32 kMaxTuplet = 99;          // actual and normal notes of a time-modification
const SInt32 kTupletActuelDefaut = 3;
const SInt32 kTupletNormalDefaut = 2;

struct EventKindRow {
    const char *name;
    SInt32 kind;
};

const EventKindRow kEventKinds[] = {
    {"direction", kXMLEvenementDirection}, {"attributes", kXMLEvenementAttributs},
    {"harmony", kXMLEvenementAccord},      {"figured-bass", kXMLEvenementBasseChiffree},
    {"print", kXMLEvenementImpression},    {"sound", kXMLEvenementSon},
    {"barline", kXMLEvenementBarre},       {"grouping", kXMLEvenementGroupement},
};

// What pass 1 keeps while it walks one part.
struct PartTiming {
    SInt32 part;
    long divisions;   // of a quarter note, at least 1
    double scale;     // this part's durations against the measure lengths of the first part
    SInt64 position;  // in the measure, 0..kXMLMaxLongueurMesure
    SInt64 lastLength;  // of the last note that was not a chord member
    XMLGrowable *events;
    SInt32 *eventCount;
};

void PagesReservees(XMLImportState *state);
void MinuteParties(XMLImportState *state, XMLGrowable *events, SInt32 *eventCount);
void MinuteMesure(XMLImportState *state, PartTiming *timing, XMLElt *measure, SInt32 ordinal);
void LitAttributs(XMLImportState *state, PartTiming *timing, XMLElt *attributes, XMLBarRecord *bar);
void MinuteNote(PartTiming *timing, XMLElt *note);
SInt64 Unites(const PartTiming *timing, XMLElt *duration);
SInt64 ValeurNotee(XMLElt *note, double scale);
void AjouteEvenement(XMLImportState *state, PartTiming *timing, SInt32 kind, SInt32 bar, XMLElt *element);
void FaitMesures(XMLImportState *state);
void InsereSerie(XMLImportState *state, SInt32 first, SInt32 count, const TimeSignature *signature);
void MesuresJouees(XMLImportState *state);
SInt64 Borne(SInt64 value, SInt64 low, SInt64 high);

}  // namespace

void XMLCreateMusicFrame(XMLImportState *state) {
    PagesReservees(state);
    XMLGrowable events = {};
    SInt32 eventCount = 0;
    MinuteParties(state, &events, &eventCount);
    FaitMesures(state);
    XMLMeasureEvent *list = reinterpret_cast<XMLMeasureEvent *>(events.bytes);
    if (eventCount > 0) qsort(list, size_t(eventCount), sizeof *list, XMLEventCompare);
    for (SInt32 i = 0; i < eventCount; i++) XMLProcessEvent(state, &list[i]);
    XMLReleaseGrowable(&events);
    DocumentRecord *document = state->document;
    XMLProcessCredits(state);
    XMLAppliquePagination(state, document);
    XMLConvertFreeObjectsToDocumentInfo(state, document);
    XMLAppliquePagination(state, document);
    XMLProcessImages(state);
    XMLProcessExtraGraphics(state);
    CalculeTabCvtMesure(state->score);
    MesuresJouees(state);
}

SInt32 XMLGetBarNumberingIndexFromIndexAndName(XMLImportState *state, SInt32 ordinal, const char *number) {
    if (!number) return -1;
    char key[kXMLBarNumberSize];
    XMLCopyBarNumber(key, number);
    const XMLBarRecord *same = XMLGetBar(state, ordinal);
    if (same && strcmp(same->number, key) == 0) return ordinal;
    return XMLFindBarNumber(state, number);
}

SInt16 XMLGetPlacement(XMLElt *element) {
    const char *placement = XMLGetAttributeValue(element, "placement");
    if (!placement) return -1;
    if (strcmp(placement, "below") == 0) return 0;
    if (strcmp(placement, "above") == 0) return 1;
    return -1;
}

namespace {

// A "reserved-pages" anywhere gives the number of pages left before the music.
void PagesReservees(XMLImportState *state) {
    SInt32 count = 0;
    XMLElt **found = XMLGetElts(state->tree, "@reserved-pages", &count);
    if (count > 0) {
        long pages = XMLGetTextLong(found[0]);
        if (pages != kXMLNoLong)
            state->document->pageLayouts[0].reservedPages = SInt16(Borne(pages, 0, kMaxPagesReservees));
    }
    XMLDisposeElts(found);
}

// Pass 1: each score-part's first part, measure by measure.
void MinuteParties(XMLImportState *state, XMLGrowable *events, SInt32 *eventCount) {
    XMLElt *partList = XMLPremierEnfant(state->root, "part-list");
    if (!partList) return;
    SInt32 partCount = 0;
    XMLElt **parts = XMLGetEltsInListFirstLevel(state->root->children, state->root->childCount, "part", &partCount);
    SInt32 p = 0;
    for (SInt32 k = 0; k < partList->childCount; k++) {
        XMLElt *scorePart = partList->children[k];
        if (strcmp(scorePart->name, "score-part") != 0) continue;
        const char *id = XMLGetAttributeValue(scorePart, "id");
        SInt32 matches = 0;
        XMLElt **found = id ? XMLGetEltsInListFromAttribute(parts, partCount, "id", id, &matches) : nullptr;
        if (matches > 0) {
            PartTiming timing = {p, kDivisionsDefaut, 1.0, 0, 0, events, eventCount};
            XMLElt *part = found[0];
            for (SInt32 i = 0, ordinal = 0; i < part->childCount; i++) {
                if (strcmp(part->children[i]->name, "measure") != 0) continue;
                MinuteMesure(state, &timing, part->children[i], ordinal++);
            }
        }
        XMLDisposeElts(found);
        p++;
    }
    XMLDisposeElts(parts);
}

void MinuteMesure(XMLImportState *state, PartTiming *timing, XMLElt *measure, SInt32 ordinal) {
    const char *number = XMLGetAttributeValue(measure, "number");
    SInt32 b = number ? XMLGetBarNumberingIndexFromIndexAndName(state, ordinal, number) : 0;
    if (!XMLGetBar(state, b)) {
        XMLWarning(state, kXMLAvertiMesure, "measure \"%.20s\" has no bar: its notes are left out", number ? number : "");
        return;
    }
    XMLSetBarWidth(state, b, XMLGetAttributeFloat(measure, "width"));
    timing->position = 0;
    timing->lastLength = 0;
    for (SInt32 i = 0; i < measure->childCount; i++) {
        XMLElt *child = measure->children[i];
        const char *name = child->name;
        if (strcmp(name, "note") == 0) {
            MinuteNote(timing, child);
        } else if (strcmp(name, "forward") == 0 || strcmp(name, "backup") == 0) {
            XMLElt *duration = XMLPremierEnfant(child, "duration");
            if (duration) {
                SInt64 units = Unites(timing, duration);
                timing->position = Borne(timing->position + (name[0] == 'f' ? units : -units), 0, kXMLMaxLongueurMesure);
            }
        } else {
            if (strcmp(name, "attributes") == 0) LitAttributs(state, timing, child, XMLGetBar(state, b));
            for (const EventKindRow &row : kEventKinds)
                if (strcmp(name, row.name) == 0) AjouteEvenement(state, timing, row.kind, b, child);
        }
        XMLBarRecord *bar = XMLGetBar(state, b);
        if (timing->position > bar->length) bar->length = SInt32(timing->position);
    }
}

// Divisions, and a time signature: the first part to give one in a bar sets the bar's length;
// a later part whose signature spans another length is stretched to it.
void LitAttributs(XMLImportState *state, PartTiming *timing, XMLElt *attributes, XMLBarRecord *bar) {
    XMLElt *divisions = XMLPremierEnfant(attributes, "divisions");
    if (divisions) {
        long value = XMLGetTextLong(divisions);
        if (value == kXMLNoLong || value < 1 || value > kMaxDivisions)
            XMLWarning(state, kXMLAvertiDivisions, "divisions \"%.20s\" are left out: %ld stay",
                       XMLGetText(divisions) ? XMLGetText(divisions) : "", timing->divisions);
        else timing->divisions = value;
    }
    XMLElt *time = XMLPremierEnfant(attributes, "time");
    TimeSignature signature;
    if (!time) return;
    if (!XMLProcessTime(time, &signature)) {
        XMLWarning(state, kXMLAvertiTemps, "a time signature without a count of beats is left out");
        return;
    }
    SInt32 length = LMulDiv(kTempsRonde, signature.numerator, signature.denominator);
    if (length <= 0) return;
    if (bar->signatureLength == 0) bar->signatureLength = length;
    timing->scale = double(bar->signatureLength) / length;
    bar->beatType = signature.denominator;
}

// The note's length, start and divisions as user attributes of its element. A grace note has
// no length; a note whose written value and duration differ by less than a division keeps its
// written value, so that chords, tuplets and backups still meet.
void MinuteNote(PartTiming *timing, XMLElt *note) {
    Boolean grace = XMLPremierEnfant(note, "grace") != nullptr, rest = XMLPremierEnfant(note, "rest") != nullptr;
    XMLElt *duration = XMLPremierEnfant(note, "duration");
    SInt64 d = duration && !grace ? Unites(timing, duration) : 0;
    SInt64 n = ValeurNotee(note, timing->scale);
    if (d < 0) d = 0;
    double division = 40320.0 * timing->scale / double(timing->divisions);
    if (d != 0 && n != 0 && d != n && !rest && std::fabs(double(d - n)) < division) d = n;
    if (!duration && !grace) d = n;
    d = Borne(d, 0, kXMLMaxLongueurMesure);
    XMLAddUserAttrLong(note, "czdur", long(d));
    if (d == 0 && n != 0) XMLAddUserAttrLong(note, "czdispdur", long(Borne(n, 0, kXMLMaxLongueurMesure)));
    if (XMLPremierEnfant(note, "chord")) {
        XMLAddUserAttrLong(note, "czpos", long(Borne(timing->position - timing->lastLength, 0, kXMLMaxLongueurMesure)));
    } else {
        XMLAddUserAttrLong(note, "czpos", long(timing->position));
        timing->position = Borne(timing->position + d, 0, kXMLMaxLongueurMesure);
        timing->lastLength = d;
    }
    XMLAddUserAttrLong(note, "curdiv", timing->divisions);
}

// A duration in score units of this part, scaled and rounded.
SInt64 Unites(const PartTiming *timing, XMLElt *duration) {
    double value = XMLGetTextFloat(duration);
    if (value == double(kXMLNoFloat) || !std::isfinite(value)) return 0;
    double units = std::round(value * 40320.0 / double(timing->divisions));
    units = std::floor(units * timing->scale + 0.5);
    return SInt64(units > 4.0 * kXMLMaxLongueurMesure ? 4.0 * kXMLMaxLongueurMesure
                  : units < -4.0 * kXMLMaxLongueurMesure ? -4.0 * kXMLMaxLongueurMesure
                                                        : units);
}

// The written value: type, dots, and the tuplet ratio (also left on the element as "cztuplet").
SInt64 ValeurNotee(XMLElt *note, double scale) {
    XMLElt *type = XMLPremierEnfant(note, "type");
    SInt64 value = type ? XMLGetNoteTypeDuration(XMLGetText(type)) : 0;
    SInt64 added = value / 2;
    for (SInt32 i = 0; i < note->childCount && added > 0; i++)
        if (strcmp(note->children[i]->name, "dot") == 0) value += added, added /= 2;
    XMLElt *modification = XMLPremierEnfant(note, "time-modification");
    if (modification) {
        long actual = XMLGetTextLong(XMLPremierEnfant(modification, "actual-notes"));
        long normal = XMLGetTextLong(XMLPremierEnfant(modification, "normal-notes"));
        actual = actual == kXMLNoLong || actual < 1 ? kTupletActuelDefaut : actual > kMaxTuplet ? kMaxTuplet : actual;
        normal = normal == kXMLNoLong || normal < 1 ? kTupletNormalDefaut : normal > kMaxTuplet ? kMaxTuplet : normal;
        value = value * normal / actual;
        XMLAddUserAttrLong(note, "cztuplet", actual * 100 + normal);
    }
    return SInt64(std::floor(double(value) * scale + 0.5));
}

void AjouteEvenement(XMLImportState *state, PartTiming *timing, SInt32 kind, SInt32 bar, XMLElt *element) {
    XMLMeasureEvent event = {kind, timing->part, bar, SInt32(timing->position), SInt32(timing->divisions), element};
    SInt32 count = *timing->eventCount;
    if (!XMLReserve(timing->events, SInt64(count + 1) * SInt64(sizeof event))) {
        XMLWarning(state, kXMLAvertiMemoire, "out of memory: measure elements are left out");
        return;
    }
    reinterpret_cast<XMLMeasureEvent *>(timing->events->bytes)[count] = event;
    *timing->eventCount = count + 1;
}

// Pass 2: each bar record's start and length, then the score's measures, one per record, made
// run by run of equal lengths; the measure the empty score had goes last.
void FaitMesures(XMLImportState *state) {
    ScoreHandle score = state->score;
    SInt64 start = 0;
    SInt16 beatType = 0;
    SInt32 restsLeft = 0, previous = kTempsRonde, made = 0;
    for (SInt32 b = 0; b < state->barCount; b++) {
        XMLBarRecord *bar = XMLGetBar(state, b);
        if (bar->beatType == 0) bar->beatType = beatType;
        else beatType = bar->beatType;
        SInt64 length = (SInt64(bar->length) + kXMLUniteLongueur - 1) / kXMLUniteLongueur * kXMLUniteLongueur;
        if (length == 0) length = bar->signatureLength;
        if (length == 0) length = b == 0 ? kTempsRonde : previous;
        TimeSignature signature;
        SInt32 spanned = XMLMakeTimeSignature(&signature, SInt32(Borne(length, 1, kXMLMaxLongueurMesure)), bar->beatType);
        if (spanned != length)
            XMLWarning(state, kXMLAvertiLongueur, "a measure of %lld units is made %d long", (long long)length, int(spanned));
        if (made + 1 >= kMaxMesures || start + spanned > kTempsMax) {
            XMLWarning(state, kXMLAvertiLongueur, "the score is too long: its bars from \"%.20s\" on are left out",
                       bar->number);
            for (SInt32 rest = b; rest < state->barCount; rest++) {
                XMLBarRecord *late = XMLGetBar(state, rest);
                late->start = SInt32(start);
                late->length = 0;
                late->measure = made > 0 ? made - 1 : 0;
            }
            break;
        }
        bar->start = SInt32(start);
        bar->length = previous = spanned;
        bar->measure = b;
        made++;
        if (bar->multipleRests != 0) {
            restsLeft = bar->multipleRests - 1;
            bar->multipleRests = 0;
        } else if (restsLeft > 0) {
            bar->multipleRests = 1;
            restsLeft--;
        }
        start += spanned;
    }
    KeySignature cMajor;
    memset(&cMajor, 0, sizeof cMajor);
    cMajor.mode = kModeMajeur;
    FixeTonaliteMesure(score, nullptr, 0, &cMajor, 0);
    if ((*score)->measureCount > 1) DoDeleteMesures(score, 0, (*score)->measureCount - 1, 1, 1, kToutesPortees, 1);
    for (SInt32 first = 0, b = 0; b <= made; b++) {
        if (b < made && XMLGetBar(state, b)->length == XMLGetBar(state, first)->length) continue;
        if (b > first) {
            const XMLBarRecord *head = XMLGetBar(state, first);
            TimeSignature signature;
            XMLMakeTimeSignature(&signature, head->length, head->beatType);
            InsereSerie(state, first, b - first, &signature);
        }
        first = b;
    }
    SetTabEltMesureModifie(score, kTabEltTemps);
    UpdateTabEltMesure(score, kTabEltTemps);
    const UInt8 all = kCacheTonalite | kCacheCle | kCacheDivision;
    for (SInt32 i = 0; i < (*score)->measureCount; i++) FixeVisibleMesure(score, nullptr, i, all, all);
    // A score keeps a measure: without bars the empty score's own stays.
    if (made > 0 && (*score)->measureCount > made)
        DoDeleteMesures(score, (*score)->measureCount - 1, 1, 1, 1, kToutesPortees, 1);
}

void InsereSerie(XMLImportState *state, SInt32 first, SInt32 count, const TimeSignature *signature) {
    ScoreHandle score = state->score;
    if (InsereMesureChangeEchelleMesure(score, first, count, 1, signature, 1) != noErr) {
        XMLWarning(state, kXMLAvertiMemoire, "out of memory: %d measures are left out", int(count));
        return;
    }
    for (SInt32 b = first; b < first + count; b++)
        if (XMLGetBar(state, b)->implicit) FixeEtatComptageMesurePartition(score, b, 1);
}

// A "played-measures" element gives the order the measures play in, by their numbers.
void MesuresJouees(XMLImportState *state) {
    SInt32 count = 0;
    XMLElt **found = XMLGetElts(state->tree, "@played-measures", &count);
    const char *text = count > 0 ? XMLGetText(found[0]) : nullptr;
    XMLDisposeElts(found);
    if (!text) return;
    ScoreHandle score = state->score;
    SInt32 length = SInt32(strnlen(text, kMaxTexteMesuresJouees));
    Handle logical = CvtStringToTabMesures(score, text, length);
    Handle physical = logical ? ConvertTabMesureLogiqueEnPhysique(score, logical) : nullptr;
    if (physical && FixeTabMesuresJouees(score, physical) == noErr) (*score)->customPlay = 1;
    else XMLWarning(state, kXMLAvertiMesure, "played-measures \"%.40s\" name no measure", text);
    if (logical) DisposHandle(logical);
    if (physical) DisposHandle(physical);
}

SInt64 Borne(SInt64 value, SInt64 low, SInt64 high) { return value < low ? low : value > high ? high : value; }

}  // namespace

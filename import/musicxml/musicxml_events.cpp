// The measure-level elements of the frame pass, in time order: directions (jumps, tempo marks
// and what the direction handlers take), attributes (keys, clefs, time signatures,
// transpositions), print commands and bar lines with their repeats and endings.
#include "import/musicxml/musicxml_passes.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "import/musicxml/musicxml_timing.h"
#include "score/dynamics_objects.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/ruptures.h"
#include "score/tempo_map.h"

namespace {

const SInt32 kLongueurMarqueTempo = 20160;   // a tempo mark spans an eighth note
const SInt32 kHauteurMarqueTempo = 16;       // points
const UInt16 kPourcentTempo = 100;
const float kMaxValeur = 1e20f;              // larger values stand for a missing attribute
const SInt16 kTailleCleChangement = 75;      // percent: a clef change inside a measure
const SInt16 kTailleCleNormale = 100;
const SInt8 kMaxOctavesCle = 2;
const SInt8 kMaxDecalageLigne = 4;
const SInt16 kMaxTransposition = 127;
const long kMaxRepetitions = 100;            // passes a repeat may ask for
const long kFinsMax = kRuptureFins - 1;      // endings 1..15

// The sound attributes that make ruptures, in the order they are read.
struct JumpRow {
    const char *attribute;
    SInt16 kind;          // 0: the coda of a segno made just before (or a new coda rupture)
    const char *dictionary;
};

const JumpRow kJumps[] = {
    {"segno", kRuptureSegno, "SEGN"},        {"coda", 0, "CODA"},         {"dalsegno", kRuptureDalSegno, "SEGN"},
    {"tocoda", kRuptureVersCoda, "CODA"},    {"dacapo", kRuptureDaCapo, "CAPO"}, {"fine", kRuptureFine, "FINE"},
};

// Words that name a jump, at their start (or whole), case ignored; the last row that matches wins.
struct JumpWordRow {
    const char *words;
    Boolean whole;
    SInt16 kind;
    const char *dictionary;
};

const JumpWordRow kJumpWords[] = {
    {"D.S.", kFalse, kRuptureDalSegno, "SEGN"},   {"D. S.", kFalse, kRuptureDalSegno, "SEGN"},
    {"Dal Segno", kFalse, kRuptureDalSegno, "SEGN"}, {"D.C.", kFalse, kRuptureDaCapo, "CAPO"},
    {"D. C.", kFalse, kRuptureDaCapo, "CAPO"},    {"Da Capo", kFalse, kRuptureDaCapo, "CAPO"},
    {"To Coda", kFalse, kRuptureVersCoda, "CODA"}, {"Fine", kTrue, kRuptureFine, "FINE"},
};

struct BarStyleRow {
    const char *name;
    SInt16 kind;
};

const BarStyleRow kBarStyles[] = {
    {"light-heavy", kRuptureFinale}, {"heavy-light", kRuptureDebutEpaisse}, {"light-light", kRuptureDoubleBarre},
    {"dotted", kRupturePointillee},  {"dashed", kRupturePointillee},        {"heavy", kRuptureEpaisse},
    {"heavy-heavy", kRuptureEpaisse}, {"none", kRuptureSansBarre},
};

struct ClefRow {
    const char *sign;
    UInt8 kind;
    SInt8 line;  // the clef's standard line
};

const ClefRow kClefs[] = {{"G", kCleSol, 2}, {"F", kCleFa, 4}, {"C", kCleUt, 3}};

// A rupture of the direction being read, found again by kind and time since indices move.
struct RuptureRef {
    SInt16 kind;   // -1: none
    SInt32 time;
};

// What a direction's children leave for its tempo mark.
struct DirectionState {
    const XMLMeasureEvent *event;
    StaffHandle staff;
    SInt32 time;
    SInt16 placement;      // the last one resolved
    RuptureRef rupture;
    XMLElt *metronome;
    const char *words;     // attached to the metronome
};

void Direction(XMLImportState *state, const XMLMeasureEvent *event);
void SonDirection(XMLImportState *state, XMLElt *sound, DirectionState *d);
void TypeDirection(XMLImportState *state, XMLElt *child, DirectionState *d);
Boolean SautEcrit(XMLImportState *state, DirectionState *d, const char *text);
void TexteRupture(XMLImportState *state, DirectionState *d, const char *text);
void SigneRupture(XMLImportState *state, DirectionState *d, SInt16 kind);
void MarqueTempo(XMLImportState *state, DirectionState *d, XMLElt *sound);
void Attributs(XMLImportState *state, const XMLMeasureEvent *event);
void Tonalite(XMLImportState *state, const XMLMeasureEvent *event, XMLElt *key, SInt32 time);
void Cle(XMLImportState *state, const XMLMeasureEvent *event, XMLElt *clef, SInt32 time);
void Division(XMLImportState *state, XMLElt *time, SInt32 at);
void Transposition(XMLImportState *state, const XMLMeasureEvent *event, XMLElt *transpose);
void Impression(XMLImportState *state, const XMLMeasureEvent *event);
void Barre(XMLImportState *state, const XMLMeasureEvent *event);
void Fin(ScoreHandle score, SInt32 measure, XMLElt *ending, Boolean atEnd);
void Reprise(ScoreHandle score, SInt32 measure, XMLElt *repeat, Boolean atEnd);
RuptureRecord *Rupture(ScoreHandle score, RuptureRef ref);
RuptureRef AjouteRuptureRef(ScoreHandle score, SInt16 kind, SInt32 time);
SInt32 TempsEvenement(XMLImportState *state, const XMLMeasureEvent *event);
SInt32 TempsJusteAvantFin(XMLImportState *state, const XMLMeasureEvent *event, SInt32 time);
Boolean IsOui(const char *text);
long EntierEnfant(XMLElt *elt, const char *name, long missing);

}  // namespace

void XMLProcessEvent(XMLImportState *state, const XMLMeasureEvent *event) {
    if (TempsEvenement(state, event) < 0) return;
    switch (event->kind) {
        case kXMLEvenementDirection: Direction(state, event); break;
        case kXMLEvenementAttributs: Attributs(state, event); break;
        case kXMLEvenementAccord: XMLProcessChordSymbol(state, event); break;
        case kXMLEvenementImpression: Impression(state, event); break;
        case kXMLEvenementBarre: Barre(state, event); break;
        default: break;  // figured bass, sound at measure level and groupings add nothing
    }
}

namespace {

// ---- Directions ---------------------------------------------------------------------------------

void Direction(XMLImportState *state, const XMLMeasureEvent *event) {
    XMLElt *element = event->element;
    DirectionState d = {event, XMLGetPorteeFromElement(state, event->part, element, -1), TempsEvenement(state, event),
                          XMLGetPlacement(element), {-1, 0}, nullptr, nullptr};
    if (!d.staff) return;
    XMLElt *sound = XMLPremierEnfant(element, "sound");
    if (sound) SonDirection(state, sound, &d);
    for (SInt32 i = 0; i < element->childCount; i++) {
        XMLElt *type = element->children[i];
        if (strcmp(type->name, "direction-type") != 0) continue;
        for (SInt32 j = 0; j < type->childCount; j++) TypeDirection(state, type->children[j], &d);
    }
    if (d.metronome) MarqueTempo(state, &d, sound);
}

// Segnos, codas and jumps of the sound: each at the direction's time, the jumps (which act at
// the end of their measure) no later than 2 units before the end of the bar they are written in.
void SonDirection(XMLImportState *state, XMLElt *sound, DirectionState *d) {
    ScoreHandle score = state->score;
    RuptureRef segno = {-1, 0};
    for (const JumpRow &row : kJumps) {
        const char *value = XMLGetAttributeValue(sound, row.attribute);
        if (!value) continue;
        SInt16 index = XMLGetJumpIndex(state, row.dictionary, value);
        RuptureRef ref;
        if (row.kind == 0 && segno.kind >= 0) ref = segno;
        else {
            SInt16 kind = row.kind == 0 ? SInt16(kRuptureCoda) : row.kind;
            Boolean closes = kind == kRuptureDalSegno || kind == kRuptureVersCoda || kind == kRuptureDaCapo ||
                             kind == kRuptureFine;
            ref = AjouteRuptureRef(score, kind, closes ? TempsJusteAvantFin(state, d->event, d->time) : d->time);
        }
        RuptureRecord *rupture = Rupture(score, ref);
        if (!rupture) continue;
        if (row.kind == 0) {
            rupture->action = kActionCoda;
            if (rupture->kind == kRuptureCoda) rupture->parameter = index;
        } else {
            rupture->parameter = index;
        }
        if (row.kind == kRuptureDalSegno) rupture->passage = kPassageAlFine;
        if (row.kind == kRuptureSegno) segno = ref;
        d->rupture = ref;
    }
    const char *timeOnly = XMLGetAttributeValue(sound, "time-only");
    RuptureRecord *rupture = Rupture(score, d->rupture);
    if (rupture && timeOnly) {
        long pass = XMLGetAttributeLong(sound, "time-only");
        rupture->repetitionMode = kRepetitionSeulementPassage;
        rupture->passCount = SInt16(pass == kXMLNoLong || pass < 1 ? 1 : pass > kMaxRepetitions ? kMaxRepetitions : pass);
    }
}

void TypeDirection(XMLImportState *state, XMLElt *child, DirectionState *d) {
    SInt16 own = XMLGetPlacement(child);
    SInt16 placement = own >= 0 ? own : XMLGetPlacement(d->event->element);
    const XMLMeasureEvent *e = d->event;
    typedef void (*Handler)(XMLImportState *, XMLElt *, StaffHandle, SInt32, SInt32, SInt32, SInt16);
    struct HandlerRow {
        const char *name;
        Handler handler;
    };
    static const HandlerRow kHandlers[] = {
        {"dynamics", XMLProcessDynamic},           {"wedge", XMLProcessWedge}, {"pedal", XMLProcessPedal},
        {"octave-shift", XMLProcessOctaveShift},   {"image", XMLProcessLocalImage},
    };
    for (const HandlerRow &row : kHandlers) {
        if (strcmp(child->name, row.name) != 0) continue;
        d->placement = placement;
        row.handler(state, child, d->staff, d->time, -1, e->divisions, placement);
        return;
    }
    if (strcmp(child->name, "metronome") == 0) {
        d->placement = placement;
        d->metronome = child;
    } else if (strcmp(child->name, "words") == 0) {
        d->placement = placement;
        if (d->metronome) d->words = XMLGetText(child);
        else if (Rupture(state->score, d->rupture) || SautEcrit(state, d, XMLGetText(child)))
            TexteRupture(state, d, XMLGetText(child));
        else XMLProcessWord(state, child, d->staff, d->time, -1, e->divisions, placement);
    } else if (strcmp(child->name, "segno") == 0) {
        SigneRupture(state, d, kRuptureSegno);
    } else if (strcmp(child->name, "coda") == 0) {
        SigneRupture(state, d, kRuptureCoda);
    }
}

// Words that name a jump ("D.S. al Coda", "To Coda", "Fine" ...) in a direction whose sound
// makes none: the jump is made as the sound would have made it.
Boolean SautEcrit(XMLImportState *state, DirectionState *d, const char *text) {
    if (!text) return kFalse;
    while (*text == ' ' || *text == '\r' || *text == '\t') text++;
    const JumpWordRow *found = nullptr;
    for (const JumpWordRow &row : kJumpWords)
        if (row.whole ? strcasecmp(text, row.words) == 0 : strncasecmp(text, row.words, strlen(row.words)) == 0) found = &row;
    if (!found) return kFalse;
    d->rupture = AjouteRuptureRef(state->score, found->kind, TempsJusteAvantFin(state, d->event, d->time));
    RuptureRecord *rupture = Rupture(state->score, d->rupture);
    if (rupture) rupture->parameter = XMLGetJumpIndex(state, found->dictionary, "");
    return rupture != nullptr;
}

// The words of a jump: its text, and for a D.S. or D.C. whether it goes on to the fine or the coda.
void TexteRupture(XMLImportState *state, DirectionState *d, const char *text) {
    RuptureRecord *rupture = Rupture(state->score, d->rupture);
    if (!text) return;
    rupture->text[0] = 0;
    strncat(rupture->text, text, kRuptureTexteTaille - 1);
    if (rupture->action != kActionDalSegno && rupture->action != kActionDaCapo) return;
    if (strcasestr(text, "fine")) rupture->passage = kPassageAlFine;
    if (strcasestr(text, "coda")) rupture->passage = kPassageAlCoda;
}

void SigneRupture(XMLImportState *state, DirectionState *d, SInt16 kind) {
    if (!Rupture(state->score, d->rupture)) d->rupture = AjouteRuptureRef(state->score, kind, d->time);
    RuptureRecord *rupture = Rupture(state->score, d->rupture);
    if (!rupture) return;
    snprintf(rupture->text, sizeof rupture->text, "%s%s", kind == kRuptureSegno ? "$S" : "$C",
             rupture->parameter == 0 ? "" : "$N");
}

// A metronome becomes a tempo mark on the direction's staff: beats a minute of its beat unit,
// or the sound's tempo (quarter notes a minute) when the direction has one.
void MarqueTempo(XMLImportState *state, DirectionState *d, XMLElt *sound) {
    XMLElt *metronome = d->metronome;
    SInt32 unit = 0;
    XMLElt *beatUnit = XMLPremierEnfant(metronome, "beat-unit");
    if (beatUnit) {
        unit = XMLGetNoteTypeDuration(XMLGetText(beatUnit));
        // Dots of the beat unit count as a note's: each adds half the previous addition.
        SInt32 added = unit / 2;
        for (SInt32 i = 0; i < metronome->childCount; i++) {
            XMLElt *child = metronome->children[i];
            if (child == beatUnit || added == 0) continue;
            if (strcmp(child->name, "beat-unit") == 0 || strcmp(child->name, "per-minute") == 0) {
                if (child->id > beatUnit->id) break;
            } else if (strcmp(child->name, "beat-unit-dot") == 0 && child->id > beatUnit->id) {
                unit += added;
                added /= 2;
            }
        }
    }
    double tempo = XMLGetTextFloat(XMLPremierEnfant(metronome, "per-minute"));
    float soundTempo = sound ? XMLGetAttributeFloat(sound, "tempo") : kXMLNoFloat;
    if (soundTempo < kMaxValeur) tempo = unit > 0 ? double(soundTempo) * kTempsNoire / unit : soundTempo;
    if (!(tempo > 0) || tempo >= kMaxValeur) {
        XMLWarning(state, kXMLAvertiTemps, "a metronome mark without a tempo is left out");
        return;
    }
    float x = 0, y = 0, relativeX = 0;
    XMLCalculePosXY(state, metronome, d->staff, -1, d->time, d->event->divisions, &x, &y, d->placement, &relativeX);
    SInt32 index = NewDynamique(d->staff);
    DynamicsObject *object = GetDynamiquePtr(d->staff, index);
    if (!object) return;
    object->kind = kDynamiqueTempo;
    object->startTime = SInt32(x);
    object->endTime = SInt32(x) + kLongueurMarqueTempo;
    object->top = SInt32(y);
    object->bottom = SInt32(y) + kHauteurMarqueTempo;
    object->startOffset = object->endOffset = SInt16(SInt32(relativeX));
    object->inUse = 1;
    object->tempoPercent = kPourcentTempo;
    object->beatUnitGiven = unit > 0;
    object->beatUnit = unit > 0 ? unit : SInt32(kTempsNoire);
    InjecteTempoDansDynamique(object, float(tempo));
    if (!d->words || !d->words[0]) return;
    static const struct {
        SInt32 unit;
        const char *code;
    } kCodes[] = {{161280, "$(1)"}, {80640, "$(2)"}, {40320, "$(3)"}, {20160, "$(4)"},
                  {241920, "$(1.)"}, {120960, "$(2.)"}, {60480, "$(3.)"}, {30240, "$(4.)"}};
    for (const auto &row : kCodes)
        if (row.unit == unit) snprintf(object->text, sizeof object->text, "%s", row.code);
    strncat(object->text, d->words, sizeof object->text - strlen(object->text) - 1);
}

// ---- Attributes -----------------------------------------------------------------------------------

void Attributs(XMLImportState *state, const XMLMeasureEvent *event) {
    SInt32 time = TempsEvenement(state, event);
    XMLElt *attributes = event->element;
    for (SInt32 i = 0; i < attributes->childCount; i++) {
        XMLElt *child = attributes->children[i];
        if (strcmp(child->name, "key") == 0) Tonalite(state, event, child, time);
        else if (strcmp(child->name, "clef") == 0) Cle(state, event, child, time);
        else if (strcmp(child->name, "time") == 0) Division(state, child, time);
        else if (strcmp(child->name, "transpose") == 0) Transposition(state, event, child);
    }
}

// The key of the part's staves from the measure that starts at time: the standard key of
// "fifths" and "mode", then single degrees from "key-step" and "key-alter" pairs.
void Tonalite(XMLImportState *state, const XMLMeasureEvent *event, XMLElt *element, SInt32 time) {
    ScoreHandle score = state->score;
    SInt32 m = XMLSplitMeasureAt(state, time);
    if (m < 0) return;
    long fifths = EntierEnfant(element, "fifths", 0);
    const char *mode = XMLGetText(XMLPremierEnfant(element, "mode"));
    Boolean minor = mode && strcasecmp(mode, "minor") == 0;
    if (fifths < -7 || fifths > 7) {
        XMLWarning(state, kXMLAvertiTonalite, "a key of %ld fifths is read as C", fifths);
        fifths = 0;
        minor = kFalse;
    }
    KeySignature key;
    CvtTonaliteStdEnTonalite(SInt16(fifths >= 0 ? fifths : 7 - fifths), minor ? kModeMineur : kModeMajeur, &key);
    static const SInt8 kDegres[] = {5, 6, 0, 1, 2, 3, 4};  // A..G
    SInt32 degree = -1;
    UInt8 alteration = 0;
    for (SInt32 i = 0; i < element->childCount; i++) {
        XMLElt *child = element->children[i];
        if (strcmp(child->name, "key-step") == 0) {
            if (degree >= 0) key.degrees[degree] = alteration;
            const char *step = XMLGetText(child);
            char letter = step ? char(step[0] & ~0x20) : 0;
            degree = letter >= 'A' && letter <= 'G' ? kDegres[letter - 'A'] : -1;
            alteration = 0;
        } else if (strcmp(child->name, "key-alter") == 0) {
            // Degrees hold one sharp or flat: a double one is kept as single.
            float alter = XMLGetTextFloat(child);
            if (alter == -2 || alter == -1) alteration = kAlterationBemol;
            else if (alter == 0) alteration = 0;
            else if (alter == 1 || alter == 2) alteration = kAlterationDiese;
        }
    }
    if (degree >= 0) key.degrees[degree] = alteration;
    for (SInt32 i = 0; i < state->staffCount; i++) {
        const XMLStaffNode &node = reinterpret_cast<const XMLStaffNode *>(state->staves.bytes)[i];
        if (node.part != event->part) continue;
        FixeTonaliteMesure(score, node.handle, m, &key, 0);
    }
    FixeVisibleMesure(score, nullptr, m, 0, kCacheTonalite);
}

// A clef of the staves of one staff number from the measure that starts at time; a change
// inside a measure is drawn smaller.
void Cle(XMLImportState *state, const XMLMeasureEvent *event, XMLElt *element, SInt32 time) {
    ScoreHandle score = state->score;
    SInt32 m = XMLSplitMeasureAt(state, time);
    const char *sign = XMLGetText(XMLPremierEnfant(element, "sign"));
    if (m < 0 || !sign) return;
    SInt16 number = XMLGetStaffIndex(XMLGetAttributeValue(element, "number"));
    const ClefRow *row = nullptr;
    for (const ClefRow &r : kClefs)
        if (strcasecmp(sign, r.sign) == 0) row = &r;
    ClefRecord clef;
    CvtTypeClefEnClefStandard(row ? row->kind : UInt8(kCleSol), &clef);
    long line = EntierEnfant(element, "line", kXMLNoLong);
    if (row && line != kXMLNoLong) {
        long offset = line - row->line;
        clef.lineOffset = SInt8(offset < -kMaxDecalageLigne ? -kMaxDecalageLigne : offset > kMaxDecalageLigne ? kMaxDecalageLigne : offset);
    }
    long octave = EntierEnfant(element, "clef-octave-change", 0);
    clef.octave = SInt8(octave < -kMaxOctavesCle ? -kMaxOctavesCle : octave > kMaxOctavesCle ? kMaxOctavesCle : octave);
    clef.size = UInt8(event->position == 0 ? kTailleCleNormale : kTailleCleChangement);
    for (SInt32 i = 0; i < state->staffCount; i++) {
        const XMLStaffNode &node = reinterpret_cast<const XMLStaffNode *>(state->staves.bytes)[i];
        if (node.part == event->part && node.staff == number) FixeClefMesure(score, node.handle, m, &clef, 0);
    }
    FixeVisibleMesure(score, nullptr, m, 0, kCacheCle);
}

// A time signature from the measure that starts at time. One that spans the measure's length
// replaces its signature; another one is only shown, so that the parts keep the measure lengths
// of the first part.
void Division(XMLImportState *state, XMLElt *element, SInt32 time) {
    ScoreHandle score = state->score;
    SInt32 m = XMLSplitMeasureAt(state, time);
    TimeSignature written, signature;
    if (m < 0 || !XMLProcessTime(element, &written)) return;
    CvtMesureEnDivisionTemporelle(score, m, &signature);
    if (SInt64(written.numerator) * signature.denominator == SInt64(signature.numerator) * written.denominator) {
        signature = written;
    } else {
        signature.shownNumerator = written.shownNumerator;
        signature.shownSecond = written.shownSecond;
        signature.shownDenominator = written.shownDenominator;
    }
    signature.symbol = written.symbol;
    FixeDivisionMesurePartition(score, m, &signature, 1, 0, 1);
    FixeVisibleMesure(score, nullptr, m, 0, kCacheDivision);
}

// The part's instruments sound "chromatic" semitones and "octave-change" octaves from what is
// written; a drum keeps its key.
void Transposition(XMLImportState *state, const XMLMeasureEvent *event, XMLElt *transpose) {
    long semitones = EntierEnfant(transpose, "chromatic", 0) + 12 * EntierEnfant(transpose, "octave-change", 0);
    if (semitones < -kMaxTransposition || semitones > kMaxTransposition) {
        XMLWarning(state, kXMLAvertiMIDI, "a transposition of %ld semitones is brought within 127", semitones);
        semitones = semitones < 0 ? -kMaxTransposition : kMaxTransposition;
    }
    for (SInt32 i = 0; i < state->staffCount; i++) {
        const XMLStaffNode &node = reinterpret_cast<const XMLStaffNode *>(state->staves.bytes)[i];
        if (node.part != event->part || node.staff != 0) continue;
        InstrumentRecord *instrument = GetInstrumentPtr(state->score, node.instrument);
        if (instrument && !instrument->unpitched) instrument->transposition = SInt16(semitones);
    }
}

// ---- Print commands -----------------------------------------------------------------------------

void Impression(XMLImportState *state, const XMLMeasureEvent *event) {
    XMLElt *print = event->element;
    SInt32 bar = event->bar;
    long blank = XMLGetAttributeLong(print, "blank-page");
    if (bar == 0 && blank != kXMLNoLong)
        state->document->pageLayouts[0].reservedPages = SInt16(blank < 0 ? 0 : blank > 100 ? 100 : blank);
    if (IsOui(XMLGetAttributeValue(print, "new-page"))) {
        long page = XMLGetAttributeLong(print, "page-number");
        XMLNewPageCommand(state, bar, page == kXMLNoLong ? -1 : page);
    }
    if (IsOui(XMLGetAttributeValue(print, "new-system"))) XMLNewSystemCommand(state, bar);
    XMLElt *layout = XMLPremierEnfant(print, "page-layout");
    if (layout) XMLNewPageLayout(state, bar, layout);
    layout = XMLPremierEnfant(print, "system-layout");
    if (layout) XMLNewSystemLayout(state, bar, layout);
    for (SInt32 i = 0; i < print->childCount; i++) {
        XMLElt *child = print->children[i];
        if (strcmp(child->name, "staff-layout") == 0)
            XMLNewStaffLayout(state, bar, event->part, XMLGetAttributeLong(child, "number"), child);
    }
    XMLSetStaffSpacing(state, XMLGetAttributeFloat(print, "staff-spacing"));
}

// ---- Bar lines -------------------------------------------------------------------------------------

// A left bar line stands at the bar's start; a right one closes the bar, after its last piece
// when a change split it; one without location at its own time.
void Barre(XMLImportState *state, const XMLMeasureEvent *event) {
    ScoreHandle score = state->score;
    const XMLBarRecord *bar = XMLGetBar(state, event->bar);
    const char *location = XMLGetAttributeValue(event->element, "location");
    Boolean right = location && strcmp(location, "right") == 0, left = location && strcmp(location, "left") == 0;
    SInt32 m = right  ? CvtTempsEnMesure(score, bar->start + (bar->length > 0 ? bar->length - 1 : SInt32(0)))
               : left ? XMLSplitMeasureAt(state, bar->start)
                      : XMLSplitMeasureAt(state, TempsEvenement(state, event));
    if (m < 0) return;
    XMLElt *element = event->element;
    for (SInt32 i = 0; i < element->childCount; i++) {
        XMLElt *child = element->children[i];
        if (strcmp(child->name, "bar-style") == 0) {
            const char *style = XMLGetText(child);
            SInt16 kind = -1;
            for (const BarStyleRow &row : kBarStyles)
                if (style && strcasecmp(style, row.name) == 0) kind = row.kind;
            XMLAddJump(score, m, kind, right);
        } else if (strcmp(child->name, "segno") == 0) {
            XMLAddJump(score, m, kRuptureSegno, right);
        } else if (strcmp(child->name, "coda") == 0) {
            XMLAddJump(score, m, kRuptureCoda, right);
        } else if (strcmp(child->name, "ending") == 0) {
            Fin(score, m, child, right);
        } else if (strcmp(child->name, "repeat") == 0) {
            Reprise(score, m, child, right);
        }
    }
}

// An ending starts with the passes its "number" lists ("1", "1, 2"); a stop closes it, and so
// does a discontinue, which only draws no hook.
void Fin(ScoreHandle score, SInt32 measure, XMLElt *ending, Boolean atEnd) {
    const char *type = XMLGetAttributeValue(ending, "type");
    if (!type) return;
    if (strcmp(type, "stop") == 0 || strcmp(type, "discontinue") == 0) {
        XMLAddJump(score, measure, kRuptureFinFin, atEnd);
        return;
    }
    if (strcmp(type, "start") != 0) return;
    RuptureRecord *rupture = GetRupturePtr(score, XMLAddJump(score, measure, kRuptureDebutFin, atEnd));
    if (!rupture) return;
    rupture->repetitionMode = kRepetitionFin;
    memset(rupture->endings, 0, sizeof rupture->endings);
    const char *numbers = XMLGetAttributeValue(ending, "number");
    for (const char *p = numbers; p && *p;) {
        long n = 0;
        if (sscanf(p, "%ld", &n) == 1 && n >= 1 && n <= kFinsMax) rupture->endings[n - 1] = 1;
        const char *comma = strchr(p, ',');
        p = comma ? comma + 1 : nullptr;
    }
}

void Reprise(ScoreHandle score, SInt32 measure, XMLElt *repeat, Boolean atEnd) {
    const char *direction = XMLGetAttributeValue(repeat, "direction");
    if (!direction || strcasecmp(direction, "forward") == 0) {
        XMLAddJump(score, measure, kRuptureDebutReprise, atEnd);
        return;
    }
    RuptureRecord *rupture = GetRupturePtr(score, XMLAddJump(score, measure, kRuptureFinReprise, atEnd));
    long times = XMLGetAttributeLong(repeat, "times");
    if (times == kXMLNoLong) times = 1;
    if (!rupture || times < 1) return;
    rupture->passCount = SInt16(times > kMaxRepetitions ? kMaxRepetitions : times);
    snprintf(rupture->text, sizeof rupture->text, "%s", times >= 2 ? "x$P" : "");
}

// ---- Helpers ---------------------------------------------------------------------------------------

RuptureRecord *Rupture(ScoreHandle score, RuptureRef ref) {
    if (ref.kind < 0) return nullptr;
    for (SInt32 i = 0; i < (*score)->ruptureCount; i++) {
        RuptureRecord *rupture = GetRupturePtr(score, i);
        if (rupture && rupture->kind == ref.kind && rupture->time == ref.time) return rupture;
    }
    return nullptr;
}

RuptureRef AjouteRuptureRef(ScoreHandle score, SInt16 kind, SInt32 time) {
    return AjouteRupture(score, kind, time) >= 0 ? RuptureRef{kind, time} : RuptureRef{-1, 0};
}

// Where an event stands in the score; -1 for a bar beyond the score's measures.
SInt32 TempsEvenement(XMLImportState *state, const XMLMeasureEvent *event) {
    const XMLBarRecord *bar = XMLGetBar(state, event->bar);
    if (!bar || bar->length <= 0) return -1;
    return bar->start + (event->position < bar->length ? event->position : bar->length);
}

SInt32 TempsJusteAvantFin(XMLImportState *state, const XMLMeasureEvent *event, SInt32 time) {
    const XMLBarRecord *bar = XMLGetBar(state, event->bar);
    SInt32 last = bar->start + bar->length - kRuptureAvantFin;
    return time < last ? time : last > bar->start ? last : bar->start;
}

Boolean IsOui(const char *text) { return text && strcasecmp(text, "yes") == 0; }

long EntierEnfant(XMLElt *elt, const char *name, long missing) {
    XMLElt *child = XMLPremierEnfant(elt, name);
    long value = child ? XMLGetTextLong(child) : kXMLNoLong;
    return value == kXMLNoLong ? missing : value;
}

}  // namespace

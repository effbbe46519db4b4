// Note-type values, time signatures read and made, the jump dictionary, jump ruptures and the
// split of a measure at a change inside it.
#include "import/musicxml/musicxml_timing.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/ruptures.h"

namespace {

struct TypeRow {
    const char *name;
    SInt32 units;
};

const TypeRow kTypes[] = {
    {"long", 645120}, {"breve", 322560}, {"whole", 161280}, {"half", 80640}, {"quarter", 40320},
    {"eighth", 20160}, {"16th", 10080},  {"32nd", 5040},    {"64th", 2520},
};
const SInt32 kTypeInconnu = 1260;      // "128th" and every other name
const SInt16 kMaxTemps = 128;          // beats and beat types a signature may hold
const SInt16 kDenominateurDefaut = 4;
const UInt8 kSymbole = 1;
const UInt8 kToutVisible = kCacheTonalite | kCacheCle | kCacheDivision;

Boolean LitTemps(const char *text, long *first, long *second, long *sum);
SInt16 DenominateurAffiche(const TimeSignature &signature);

}  // namespace

SInt32 XMLGetNoteTypeDuration(const char *name) {
    if (!name) return 0;
    for (const TypeRow &row : kTypes)
        if (strcasecmp(name, row.name) == 0) return row.units;
    return kTypeInconnu;
}

Boolean XMLProcessTime(XMLElt *time, TimeSignature *signature) {
    memset(signature, 0, sizeof *signature);
    const char *symbol = XMLGetAttributeValue(time, "symbol");
    if (symbol && (strcmp(symbol, "common") == 0 || strcmp(symbol, "cut") == 0)) {
        SInt16 beats = symbol[1] == 'o' ? 4 : 2;
        signature->numerator = signature->denominator = beats;
        signature->shownNumerator = beats;
        signature->shownDenominator = UInt16(beats);
        signature->symbol = kSymbole;
        GetDefautMasqueAccroche(beats, signature->beamMask);
        return kTrue;
    }
    Boolean single = symbol && strcmp(symbol, "single-number") == 0;
    long first = kXMLNoLong, second = 0, sum = 0, beatType = kXMLNoLong;
    for (SInt32 i = 0; time && i < time->childCount; i++) {
        XMLElt *child = time->children[i];
        if (strcmp(child->name, "beats") == 0) {
            long a = 0, b = 0, total = 0;
            if (!LitTemps(XMLGetText(child), &a, &b, &total)) return kFalse;
            if (first == kXMLNoLong) first = a, second = b;
            else second = a;
            sum += total;
            if (sum > kMaxTemps) return kFalse;
        } else if (strcmp(child->name, "beat-type") == 0 && beatType == kXMLNoLong) {
            beatType = XMLGetTextLong(child);
        }
    }
    // Without beats there is no count of beats; a beat type of 0 or past 128 spans nothing.
    if (first == kXMLNoLong || sum < 1) return kFalse;
    if (beatType != kXMLNoLong && (beatType < 1 || beatType > kMaxTemps)) return kFalse;
    signature->numerator = SInt16(sum);
    signature->denominator = SInt16(beatType == kXMLNoLong ? kDenominateurDefaut : beatType);
    signature->shownNumerator = SInt16(first);
    signature->shownSecond = SInt16(second);
    signature->shownDenominator = beatType == kXMLNoLong || single ? UInt16(kSansDenominateurAffiche) : UInt16(beatType);
    GetDefautMasqueAccroche(signature->numerator, signature->beamMask);
    return kTrue;
}

SInt32 XMLMakeTimeSignature(TimeSignature *signature, SInt32 length, SInt16 preferred) {
    memset(signature, 0, sizeof *signature);
    if (length < kXMLUniteLongueur) length = kXMLUniteLongueur;
    if (length > kXMLMaxLongueurMesure) length = kXMLMaxLongueurMesure;
    SInt32 denominator = 0;
    if (preferred >= 1 && preferred <= kMaxTemps && kTempsRonde % preferred == 0 &&
        length % (kTempsRonde / preferred) == 0 && length / (kTempsRonde / preferred) <= kMaxTemps)
        denominator = preferred;
    for (SInt32 d = 1; d <= kMaxTemps && denominator == 0; d *= 2)
        if (length % (kTempsRonde / d) == 0 && length / (kTempsRonde / d) <= kMaxTemps) denominator = d;
    SInt32 numerator;
    if (denominator != 0) {
        numerator = length / (kTempsRonde / denominator);
    } else {
        // No signature spans it exactly: the nearest longer one in 128th notes, or in as fine
        // notes as 128 beats allow.
        denominator = kMaxTemps;
        numerator = (length + kXMLUniteLongueur - 1) / kXMLUniteLongueur;
        while (numerator > kMaxTemps) numerator = (numerator + 1) / 2, denominator /= 2;
    }
    signature->numerator = SInt16(numerator);
    signature->denominator = SInt16(denominator);
    signature->shownNumerator = SInt16(numerator);
    signature->shownDenominator = UInt16(denominator);
    GetDefautMasqueAccroche(signature->numerator, signature->beamMask);
    return numerator * (kTempsRonde / denominator);
}

SInt16 XMLGetJumpIndex(XMLImportState *state, const char *kind, const char *name) {
    XMLJumpEntry wanted;
    memset(&wanted, 0, sizeof wanted);
    strncat(wanted.kind, kind ? kind : "", sizeof wanted.kind - 1);
    strncat(wanted.name, name ? name : "", sizeof wanted.name - 1);
    const XMLJumpEntry *entries = reinterpret_cast<const XMLJumpEntry *>(state->jumps.bytes);
    SInt16 ordinal = 0;
    for (SInt32 i = 0; i < state->jumpCount; i++) {
        if (strcmp(entries[i].kind, wanted.kind) != 0) continue;
        if (strcmp(entries[i].name, wanted.name) == 0) return ordinal;
        ordinal++;
    }
    if (state->jumpCount >= kXMLMaxSauts || !XMLReserve(&state->jumps, SInt64(state->jumpCount + 1) * sizeof wanted)) {
        XMLWarning(state, kXMLAvertiMemoire, "too many jump names: \"%.40s\" shares the last one's", wanted.name);
        return ordinal > 0 ? SInt16(ordinal - 1) : 0;
    }
    reinterpret_cast<XMLJumpEntry *>(state->jumps.bytes)[state->jumpCount++] = wanted;
    return ordinal;
}

void XMLDisposeJumpDict(XMLImportState *state) {
    XMLReleaseGrowable(&state->jumps);
    state->jumpCount = 0;
}

SInt32 XMLAddJump(ScoreHandle score, SInt32 measure, SInt16 kind, Boolean atEnd) {
    if (kind < 0) return -1;
    SInt32 start = CvtMesureEnTemps(score, measure), length = CvtMesureEnDureeMesure(score, measure);
    if (start < 0 || length < 1) return -1;
    SInt32 time = atEnd ? start + (length > kRuptureAvantFin ? length - kRuptureAvantFin : 0) : start;
    return AjouteRupture(score, kind, time);
}

SInt32 XMLSplitMeasureAt(XMLImportState *state, SInt32 time) {
    ScoreHandle score = state->score;
    SInt32 m = CvtTempsEnMesure(score, time);
    if (m < 0 || CvtMesureEnTemps(score, m) == time) return m;
    SInt32 after = CvtMesureEnTemps(score, m + 1) - time;
    SInt32 before = CvtMesureEnDureeMesure(score, m) - after;
    TimeSignature current, second, first;
    CvtMesureEnDivisionTemporelle(score, m, &current);
    SInt16 preferred = DenominateurAffiche(current);
    // Pieces that no signature spans exactly would move every later measure: such a change
    // stays at the measure's start.
    if (XMLMakeTimeSignature(&second, after, preferred) != after ||
        XMLMakeTimeSignature(&first, before, preferred) != before) {
        XMLWarning(state, kXMLAvertiMesure, "a change %d units into a measure stays at its start",
                   int(time - CvtMesureEnTemps(score, m)));
        return m;
    }
    if (InsereMesureChangeEchelleMesure(score, m + 1, 1, 1, &second, 1) != noErr) return m;
    MeasureElement *piece = GetMesurePtr(score, m);
    UInt8 hidden = piece->hiddenMask;
    piece->breakForbidden = 1;
    piece->systemBreak = piece->pageBreak = 0;
    // The second piece shows nothing of its own: what changes at the split shows itself.
    FixeVisibleMesure(score, nullptr, m + 1, kToutVisible, kToutVisible);
    AjouteRuptureEnMesure(score, kRuptureCoupure, m + 1, 1);
    FixeEtatDecoupeNoteMesurePartition(score, m, 1);
    FixeEtatComptageMesurePartition(score, m + 1, 1);
    FixeMargeDroiteMesure(score, m, 0);
    FixeMargeGaucheMesure(score, m + 1, 0);
    TimeSignature kept = current;
    kept.numerator = first.numerator;
    kept.denominator = first.denominator;
    FixeDivisionMesurePartition(score, m, &kept, (hidden & kCacheDivision) == 0, 0, 0);
    // Ruptures stand at score times, which the split does not move: those closing the measure
    // now close its second piece. The bar's own record keeps pointing at its first piece.
    for (SInt32 b = 0; b < state->barCount; b++) {
        XMLBarRecord *bar = XMLGetBar(state, b);
        if (bar->start > time && bar->measure > m) bar->measure++;
    }
    SetTabEltMesureModifie(score, kTabEltTemps);
    return m + 1;
}

int XMLEventCompare(const void *a, const void *b) {
    const XMLMeasureEvent *x = static_cast<const XMLMeasureEvent *>(a), *y = static_cast<const XMLMeasureEvent *>(b);
    if (x->bar != y->bar) return x->bar < y->bar ? -1 : 1;
    if (x->position != y->position) return x->position < y->position ? -1 : 1;
    if (x->part != y->part) return x->part < y->part ? -1 : 1;
    if (x->element->id != y->element->id) return x->element->id < y->element->id ? -1 : 1;
    return 0;
}

namespace {

// "3", "3+2", "2+2+3": the first two summands for the display and the sum of all of them.
Boolean LitTemps(const char *text, long *first, long *second, long *sum) {
    if (!text) return kFalse;
    const char *p = text;
    *first = *second = *sum = 0;
    for (SInt32 k = 0;; k++) {
        while (*p == ' ' || *p == '\t') p++;
        if (*p < '0' || *p > '9') return k > 0;
        char *end;
        long value = strtol(p, &end, 10);
        if (value > kMaxTemps) return kFalse;
        if (k == 0) *first = value;
        if (k == 1) *second = value;
        *sum += value;
        if (*sum > kMaxTemps) return kFalse;
        p = end;
        while (*p == ' ' || *p == '\t') p++;
        if (*p != '+') return kTrue;
        p++;
    }
}

SInt16 DenominateurAffiche(const TimeSignature &signature) {
    return signature.shownDenominator == kSansDenominateurAffiche ? signature.denominator
                                                                   : SInt16(signature.shownDenominator);
}

}  // namespace

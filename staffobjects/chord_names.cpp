// Reading chord names: the root, the quality as the degrees it sounds, then the kind that
// needs the fewest changes to give those degrees.
#include "staffobjects/chord_names.h"

#include <cstring>
#include <initializer_list>

#include "score/preferences.h"
#include "staffobjects/note_names.h"

namespace {

// Degrees 2..13 of a chord: absent, or the semitones they are moved by (0 natural, -1 lowered
// ... as the importers' chord components count them).
const SInt16 kAbsent = -9;
const SInt16 kDegreMax = 13;
typedef SInt16 Components[kDegreMax + 1];
const SInt16 kDegresCompares[] = {2, 3, 4, 5, 6, 7, 9, 11, 13};
const SInt32 kCoutRetire = 2;

// The degrees of each kind, by kind number: third, fifth, seventh, ninth, eleventh, thirteenth,
// sixth, second, fourth (kAbsent when the kind has none).
struct KindRow {
    SInt16 third, fifth, seventh, ninth, eleventh, thirteenth, sixth, second, fourth;
};
const SInt16 A = kAbsent;
const KindRow kTypes[kNbTypesAccord] = {
    {0, 0, A, A, A, A, A, A, A},     {-1, 0, A, A, A, A, A, A, A},   {0, 1, A, A, A, A, A, A, A},
    {-1, -1, A, A, A, A, A, A, A},   {0, 0, -1, A, A, A, A, A, A},   {0, 0, 0, A, A, A, A, A, A},
    {-1, 0, -1, A, A, A, A, A, A},   {-1, -1, -2, A, A, A, A, A, A}, {0, 1, -1, A, A, A, A, A, A},
    {-1, -1, -1, A, A, A, A, A, A},  {-1, 0, 0, A, A, A, A, A, A},   {0, 0, A, A, A, A, 0, A, A},
    {-1, 0, A, A, A, A, 0, A, A},    {0, 0, -1, 0, A, A, A, A, A},   {0, 0, 0, 0, A, A, A, A, A},
    {-1, 0, -1, 0, A, A, A, A, A},   {0, 0, -1, 0, 0, A, A, A, A},   {0, 0, 0, 0, 0, A, A, A, A},
    {-1, 0, -1, 0, 0, A, A, A, A},   {0, 0, -1, 0, 0, 0, A, A, A},   {0, 0, 0, 0, 0, 0, A, A, A},
    {-1, 0, -1, 0, 0, 0, A, A, A},   {A, 0, A, A, A, A, A, 0, A},    {A, 0, A, A, A, A, A, A, 0},
};

// A name being read.
struct ChordCursor {
    const char *p;
    const char *end;
};

Boolean LitQualite(ChordCursor *c, Components comps);
Boolean LitMot(ChordCursor *c, const char *word);
SInt32 LitNombre(ChordCursor *c);
Boolean LitDegreAltere(ChordCursor *c, Components comps, SInt16 alteration);
void Extensions(Components comps, SInt32 number, SInt16 seventh);
Boolean LitOctets(ChordCursor *c, const char *bytes);
void ComposantesType(SInt16 kind, Components comps);
void Classe(const Components comps, ChordRecord *chord, Boolean *ok);
Boolean PasDeNom(const char *name, SInt32 length);

}  // namespace

SInt16 MotDegreAccord(SInt16 degree, SInt16 type, SInt16 alteration) {
    if (degree < 2 || degree > kDegreMax || type < kDegreAjoute || type > kDegreRetire || alteration < -2 || alteration > 2)
        return 0;
    return SInt16(degree * 256 + type * 16 + alteration + 8);
}

Boolean DegreAccord(SInt16 word, SInt16 *degree, SInt16 *type, SInt16 *alteration) {
    SInt16 d = SInt16(word >> 8), t = SInt16((word >> 4) & 0x0F), a = SInt16((word & 0x0F) - 8);
    if (word <= 0 || d < 2 || d > kDegreMax || t > kDegreRetire || a < -2 || a > 2) return kFalse;
    if (degree) *degree = d;
    if (type) *type = t;
    if (alteration) *alteration = a;
    return kTrue;
}

Boolean CvtChaineEnAccord(const char *name, SInt32 length, ChordRecord *chord) {
    if (!chord) return kFalse;
    std::memset(chord, 0, sizeof *chord);
    chord->root = chord->bass = kAccordSansNote;
    if (!name) return kFalse;
    if (length < 0) length = SInt32(strnlen(name, kMaxNomAccord + 1));
    if (length > kMaxNomAccord) return kFalse;
    while (length > 0 && name[0] == ' ') name++, length--;
    while (length > 0 && name[length - 1] == ' ') length--;
    if (PasDeNom(name, length)) return kTrue;
    // Either reading of the root may be the one that lets the rest be read ("Fadd9", "Do7").
    for (Boolean fixedDo : {Boolean(!pref.angloNotation), Boolean(pref.angloNotation != 0)}) {
        SInt16 root = 0, rootAlteration = 0;
        SInt32 read = LitNomNote(name, length, fixedDo, &root, &rootAlteration);
        if (read == 0) continue;
        ChordCursor c = {name + read, name + length};
        Components comps;
        for (SInt16 &v : comps) v = kAbsent;
        comps[3] = comps[5] = 0;
        if (!LitQualite(&c, comps)) continue;
        SInt16 bass = kAccordSansNote, bassAlteration = 0;
        if (c.p < c.end) {
            SInt32 n = LitNomNote(c.p + 1, SInt32(c.end - c.p - 1), fixedDo, &bass, &bassAlteration);
            if (*c.p != '/' || n == 0 || c.p + 1 + n != c.end) continue;
        }
        ChordRecord found;
        std::memset(&found, 0, sizeof found);
        found.root = root;
        found.rootAlteration = rootAlteration;
        found.bass = bass;
        found.bassAlteration = bassAlteration;
        Boolean ok = kTrue;
        Classe(comps, &found, &ok);
        if (!ok) continue;
        *chord = found;
        return kTrue;
    }
    return kFalse;
}

namespace {

// The quality after the root, up to a "/" that names a bass (or the end).
Boolean LitQualite(ChordCursor *c, Components comps) {
    while (c->p < c->end) {
        char ch = *c->p;
        if (ch == '/') {
            ChordCursor after = {c->p + 1, c->end};
            if (after.p < after.end && ((*after.p >= '0' && *after.p <= '9') || *after.p == '#' || *after.p == '+')) {
                c->p++;  // "6/9", "7/9", "/#11": an added degree
                if (!LitDegreAltere(c, comps, 0)) return kFalse;
                continue;
            }
            return kTrue;  // the bass
        }
        if (ch == ' ' || ch == '(' || ch == ')' || ch == ',') {
            c->p++;
            continue;
        }
        if (LitMot(c, "maj") || LitOctets(c, "\xCE\x94") || LitOctets(c, "\xC6") ||
            (ch == 'M' && c->p + 1 < c->end && c->p[1] >= '0' && c->p[1] <= '9' && ++c->p)) {
            SInt32 number = LitNombre(c);
            comps[7] = 0;
            if (number > 7) Extensions(comps, number, 0);
            continue;
        }
        if (ch == 'M') {  // "CM": major
            c->p++;
            continue;
        }
        if (LitMot(c, "min") || (ch == 'm' && ++c->p)) {
            comps[3] = -1;
            continue;
        }
        if (LitMot(c, "dim") || LitOctets(c, "\xC2\xB0") || LitOctets(c, "\xA1")) {
            comps[3] = -1;
            comps[5] = -1;
            SInt32 number = LitNombre(c);
            if (number == 7) comps[7] = -2;
            else if (number != 0) return kFalse;
            continue;
        }
        if (LitOctets(c, "\xC3\xB8") || LitOctets(c, "\xBF")) {  // half-diminished
            comps[3] = comps[5] = comps[7] = -1;
            LitNombre(c);
            continue;
        }
        if (LitMot(c, "aug")) {
            comps[5] = 1;
            continue;
        }
        if (LitMot(c, "sus")) {
            comps[3] = kAbsent;
            if (c->p < c->end && (*c->p == '-' || *c->p == 'b' || *c->p == '#' || *c->p == '+' || (*c->p >= '0' && *c->p <= '9'))) {
                if (!LitDegreAltere(c, comps, 0)) return kFalse;
            } else {
                comps[4] = 0;
            }
            continue;
        }
        if (LitMot(c, "add")) {
            if (c->p < c->end && (*c->p == '-' || *c->p == 'b' || *c->p == '#' || *c->p == '+' || (*c->p >= '0' && *c->p <= '9')))
                if (!LitDegreAltere(c, comps, 0)) return kFalse;
            continue;  // "Add" alone: a degree lowered twice, which the record cannot hold
        }
        if (LitMot(c, "omit") || LitMot(c, "no")) {
            SInt32 degree = LitNombre(c);
            if (degree < 2 || degree > kDegreMax) return kFalse;
            comps[degree] = kAbsent;
            continue;
        }
        if (LitOctets(c, "69")) {
            comps[6] = comps[9] = 0;
            continue;
        }
        if (ch >= '0' && ch <= '9') {
            SInt32 number = LitNombre(c);
            if (number == 6 || number == 2 || number == 4) comps[number] = 0;
            else if (number == 5) comps[3] = kAbsent;  // a power chord
            else if (number == 7 || number == 9 || number == 11 || number == 13) Extensions(comps, number, -1);
            else return kFalse;
            continue;
        }
        if (ch == '-' || ch == '+' || ch == '#' || ch == 'b') {
            ChordCursor after = {c->p + 1, c->end};
            SInt32 degree = LitNombre(&after);
            if (ch == '-' && (degree == 0 || degree == 6 || degree == 7)) {
                // "C-", "C-7": the minor of jazz charts.
                c->p++;
                comps[3] = -1;
                continue;
            }
            if (ch == '+' && (degree == 0 || degree == 7)) {
                c->p++;
                comps[5] = 1;
                continue;
            }
            if (!LitDegreAltere(c, comps, 0)) return kFalse;
            continue;
        }
        return kFalse;
    }
    return kTrue;
}

// Reads a word without regard to case.
Boolean LitMot(ChordCursor *c, const char *word) {
    SInt32 n = SInt32(std::strlen(word));
    if (c->end - c->p < n) return kFalse;
    for (SInt32 i = 0; i < n; i++) {
        char ch = c->p[i];
        if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
        if (ch != word[i]) return kFalse;
    }
    c->p += n;
    return kTrue;
}

Boolean LitOctets(ChordCursor *c, const char *bytes) {
    SInt32 n = SInt32(std::strlen(bytes));
    if (c->end - c->p < n || std::memcmp(c->p, bytes, size_t(n)) != 0) return kFalse;
    c->p += n;
    return kTrue;
}

// A number of at most two digits; 0 when none.
SInt32 LitNombre(ChordCursor *c) {
    SInt32 number = 0, digits = 0;
    while (c->p < c->end && *c->p >= '0' && *c->p <= '9' && digits < 2) {
        number = number * 10 + (*c->p - '0');
        c->p++;
        digits++;
    }
    return number;
}

// An alteration sign ("-" or "b" lowers, "+" or "#" raises, none adds) and a degree 2..13.
Boolean LitDegreAltere(ChordCursor *c, Components comps, SInt16 alteration) {
    if (c->p < c->end && (*c->p == '-' || *c->p == 'b')) alteration = -1, c->p++;
    else if (c->p < c->end && (*c->p == '+' || *c->p == '#')) alteration = 1, c->p++;
    SInt32 degree = LitNombre(c);
    if (degree < 2 || degree > kDegreMax || degree == 8 || degree == 10 || degree == 12) return kFalse;
    comps[degree] = alteration;
    return kTrue;
}

// "9", "11", "13" carry the degrees below them: a seventh (of the given kind unless one is
// already there) and the ninth and eleventh.
void Extensions(Components comps, SInt32 number, SInt16 seventh) {
    if (comps[7] == kAbsent) comps[7] = seventh;
    if (number >= 9 && comps[9] == kAbsent) comps[9] = 0;
    if (number >= 11 && comps[11] == kAbsent) comps[11] = 0;
    if (number >= 13 && comps[13] == kAbsent) comps[13] = 0;
}

void ComposantesType(SInt16 kind, Components comps) {
    for (SInt16 d = 0; d <= kDegreMax; d++) comps[d] = kAbsent;
    const KindRow &row = kTypes[kind];
    comps[2] = row.second, comps[3] = row.third, comps[4] = row.fourth, comps[5] = row.fifth, comps[6] = row.sixth;
    comps[7] = row.seventh, comps[9] = row.ninth, comps[11] = row.eleventh, comps[13] = row.thirteenth;
}

// The kind needing the cheapest changes, and those changes.
void Classe(const Components comps, ChordRecord *chord, Boolean *ok) {
    SInt32 best = -1, bestCost = 1 << 30;
    for (SInt16 kind = 0; kind < kNbTypesAccord; kind++) {
        Components k;
        ComposantesType(kind, k);
        SInt32 cost = 0;
        for (SInt16 d : kDegresCompares) {
            if (comps[d] == k[d]) continue;
            cost += comps[d] == kAbsent ? kCoutRetire : 1;
        }
        if (cost < bestCost) best = kind, bestCost = cost;
    }
    chord->kind = SInt16(best);
    Components k;
    ComposantesType(chord->kind, k);
    SInt32 n = 0;
    for (SInt16 d : kDegresCompares) {
        if (comps[d] == k[d]) continue;
        if (n == kMaxDegresAccord) {
            *ok = kFalse;
            return;
        }
        SInt16 type = comps[d] == kAbsent ? kDegreRetire : k[d] == kAbsent ? kDegreAjoute : kDegreAltere;
        chord->degrees[n++] = MotDegreAccord(d, type, comps[d] == kAbsent ? 0 : comps[d]);
    }
}

// "N.C." and its plain spellings: no chord.
Boolean PasDeNom(const char *name, SInt32 length) {
    static const char *const kNoms[] = {"n.c.", "n.c", "nc"};
    for (const char *word : kNoms) {
        SInt32 n = SInt32(std::strlen(word));
        if (n != length) continue;
        ChordCursor c = {name, name + length};
        if (LitMot(&c, word)) return kTrue;
    }
    return kFalse;
}

}  // namespace

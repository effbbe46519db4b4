// Chord-diagram frames of a staff, their seal, and the general library with its file.
#include "staffobjects/chord_diagrams.h"

#include <cstdio>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "score/tagged_text.h"

namespace {

const UInt32 kFnvBase = 2166136261u;
const UInt32 kFnvPremier = 16777619u;
const UInt8 kMaxCases = 24;
const UInt8 kMaxPremiereCase = 99;

// The general library: entries in a handle, process-wide, main thread only.
struct DiagramLibraryRecord {
    Handle entries;   // ChordDiagramRecord[count]
    SInt32 count;
};
DiagramLibraryRecord gBibliotheque;

// An entry being read from a file.
struct LoadState {
    ChordDiagramRecord entry;
    Boolean open;       // inside Diagram ... EndDiagram
    Boolean valid;      // no field was out of range
};

void LitMotFichier(const char *word, void *context);
void LitChamp(const char *word, LoadState *state);
DiagramShape FormeCanonique(const DiagramShape *shape);
Boolean DansIntervalle(SInt32 value, SInt32 low, SInt32 high) { return value >= low && value <= high; }

// Tags of the file, one per field.
const char kTagDebut[] = "ChordDiagrams";
const char kTagFin[] = "EndChordDiagrams";
const char kTagDiagramme[] = "Diagram";
const char kTagFinDiagramme[] = "EndDiagram";

}  // namespace

SInt32 NewDiagramme(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return -1;
    SInt32 count = GetNbDiagrammes(staff);
    if (count >= kMaxDiagrammesPortee) return -1;
    Handle h = (*staff)->diagrams;
    UInt32 size = UInt32(count + 1) * sizeof(ChordDiagramObject);
    if (!h) {
        h = NewHandle(size);
        if (!h) return -1;
        (*staff)->diagrams = h;
    } else {
        SetHandleSize(h, size);
        if (MemError() != noErr) return -1;
    }
    ChordDiagramObject *o = reinterpret_cast<ChordDiagramObject *>(*h) + count;
    std::memset(o, 0, sizeof *o);
    o->inUse = 1;
    o->libraryIndex = -1;
    o->chord.root = o->chord.bass = kAccordSansNote;
    return count;
}

ChordDiagramObject *GetDiagrammePtr(StaffHandle staff, SInt32 index) {
    if (index < 0 || index >= GetNbDiagrammes(staff)) return nullptr;
    return reinterpret_cast<ChordDiagramObject *>(*(*staff)->diagrams) + index;
}

SInt32 GetNbDiagrammes(StaffHandle staff) {
    if (!IsPorteeValide(staff) || !(*staff)->diagrams) return 0;
    return SInt32(GetHandleSize((*staff)->diagrams) / sizeof(ChordDiagramObject));
}

Boolean IsFormeDiagrammeValide(const DiagramShape *shape) {
    if (!shape || !DansIntervalle(shape->stringCount, 1, kCordesDiagramme) || !DansIntervalle(shape->fretCount, 1, kMaxCases) ||
        !DansIntervalle(shape->firstFret, 1, kMaxPremiereCase) || shape->barreCount > kMaxBarresDiagramme)
        return kFalse;
    for (SInt32 b = 0; b < shape->barreCount; b++) {
        const BarreRecord &r = shape->barres[b];
        if (r.fret < -1 || r.fret >= shape->fretCount || r.from > r.to || r.to >= shape->stringCount) return kFalse;
    }
    return kTrue;
}

UInt32 ScelleDiagrammeAccord(const ChordDiagramObject *diagram) {
    return diagram ? ScelleFormeDiagramme(&diagram->shape) : 0;
}

UInt32 ScelleFormeDiagramme(const DiagramShape *shape) {
    if (!shape) return 0;
    DiagramShape canonical = FormeCanonique(shape);
    const UInt8 *bytes = reinterpret_cast<const UInt8 *>(&canonical);
    UInt32 hash = kFnvBase;
    for (size_t i = 0; i < sizeof canonical; i++) hash = (hash ^ bytes[i]) * kFnvPremier;
    return hash;
}

SInt32 RechercheDiagrammeAccordParIdUnique(UInt32 seal) {
    for (SInt32 i = 0; i < gBibliotheque.count; i++)
        if (reinterpret_cast<const ChordDiagramRecord *>(*gBibliotheque.entries)[i].seal == seal) return i;
    return -1;
}

SInt32 CreeAccord(const ChordRecord *chord, const DiagramShape *shape, UInt16 displayValue, const char *name) {
    if (!IsFormeDiagrammeValide(shape) || gBibliotheque.count >= kMaxDiagrammesBibliotheque) return -1;
    ChordDiagramRecord entry;
    std::memset(&entry, 0, sizeof entry);
    entry.shape = FormeCanonique(shape);
    entry.seal = ScelleFormeDiagramme(&entry.shape);
    if (chord) entry.chord = *chord;
    else entry.chord.root = entry.chord.bass = kAccordSansNote;
    entry.displayValue = displayValue;
    if (name) std::strncpy(entry.name, name, kNomDiagrammeTaille - 1);
    UInt32 size = UInt32(gBibliotheque.count + 1) * sizeof entry;
    if (!gBibliotheque.entries) {
        gBibliotheque.entries = NewHandle(size);
        if (!gBibliotheque.entries) return -1;
    } else {
        SetHandleSize(gBibliotheque.entries, size);
        if (MemError() != noErr) return -1;
    }
    std::memcpy(reinterpret_cast<ChordDiagramRecord *>(*gBibliotheque.entries) + gBibliotheque.count, &entry, sizeof entry);
    return gBibliotheque.count++;
}

SInt32 GetNbDiagrammesBibliotheque() { return gBibliotheque.count; }

Boolean GetDiagrammeBibliotheque(SInt32 index, ChordDiagramRecord *entry) {
    if (!entry || index < 0 || index >= gBibliotheque.count) return kFalse;
    std::memcpy(entry, reinterpret_cast<const ChordDiagramRecord *>(*gBibliotheque.entries) + index, sizeof *entry);
    return kTrue;
}

void VideBibliothequeDiagrammes() {
    if (gBibliotheque.entries) DisposHandle(gBibliotheque.entries);
    gBibliotheque = DiagramLibraryRecord{nullptr, 0};
}

OSErr ChargeDiagrammesAccordGeneral(const char *fileName) {
    VideBibliothequeDiagrammes();
    FILE *file = fileName ? Orvafopen(fileName, "rb") : nullptr;
    if (!file) return fnfErr;
    FILE *previous = TagSetFile(file);
    if (TagWait(kTagDebut, nullptr)) {
        LoadState state;
        std::memset(&state, 0, sizeof state);
        TagWaitPtr(kTagFin, LitMotFichier, &state);
    }
    TagSetFile(previous);
    fclose(file);
    return noErr;
}

Boolean EcritDiagrammesAccordGeneral(const char *fileName) {
    FILE *file = fileName ? Orvafopen(fileName, "wb") : nullptr;
    if (!file) return kFalse;
    FILE *previous = TagSetFile(file);
    Boolean ok = TagWriteTag(kTagDebut);
    TagIncTab();
    for (SInt32 i = 0; i < gBibliotheque.count && ok; i++) {
        ChordDiagramRecord e;
        GetDiagrammeBibliotheque(i, &e);
        char marks[kCordesDiagramme + 1] = {0};
        std::memcpy(marks, e.shape.marks, kCordesDiagramme);
        for (char &c : marks)
            if (c == 0) c = kCordeJouee;
        marks[kCordesDiagramme] = 0;
        ok = TagWriteTag(kTagDiagramme);
        TagIncTab();
        ok = ok && TagWriteLongTag("Seal", SInt32(e.seal)) && TagWriteStringGuillemetTagSiNonVide("Name", e.name) &&
             TagWriteShortTag("Root", e.chord.root) && TagWriteShortTag("RootAlteration", e.chord.rootAlteration) &&
             TagWriteShortTag("Kind", e.chord.kind) && TagWriteShortTag("Bass", e.chord.bass) &&
             TagWriteShortTag("BassAlteration", e.chord.bassAlteration);
        for (SInt16 word : e.chord.degrees)
            if (word) ok = ok && TagWriteShortTag("Degree", word);
        ok = ok && TagWriteShortTag("Strings", e.shape.stringCount) && TagWriteShortTag("Frets", e.shape.fretCount) &&
             TagWriteShortTag("FirstFret", e.shape.firstFret) && TagWriteShortTag("Display", SInt16(e.displayValue));
        // Marks are quoted: a played string is a blank.
        char quoted[kCordesDiagramme + 1];
        std::memcpy(quoted, marks, sizeof quoted);
        quoted[e.shape.stringCount] = 0;
        ok = ok && TagWriteStringGuillemetTagSiNonVide("Marks", quoted);
        for (SInt32 b = 0; b < e.shape.barreCount && ok; b++) {
            const BarreRecord &r = e.shape.barres[b];
            ok = TagWriteTag("Barre") && TagWriteShortTag("Fret", r.fret) && TagWriteShortTag("From", r.from) &&
                 TagWriteShortTag("To", r.to);
        }
        TagDecTab();
        ok = ok && TagWriteTag(kTagFinDiagramme);
    }
    TagDecTab();
    ok = ok && TagWriteTag(kTagFin);
    TagSetFile(previous);
    return fclose(file) == 0 && ok;
}

namespace {

void LitMotFichier(const char *word, void *context) { LitChamp(word, static_cast<LoadState *>(context)); }

// One word of the file: a section's start or end, or a field whose value follows.
void LitChamp(const char *word, LoadState *s) {
    ChordDiagramRecord &e = s->entry;
    if (!std::strcmp(word, kTagDiagramme)) {
        std::memset(&e, 0, sizeof e);
        e.chord.root = e.chord.bass = kAccordSansNote;
        std::memset(e.shape.marks, kCordeMuette, sizeof e.shape.marks);
        s->open = kTrue;
        s->valid = kTrue;
        return;
    }
    if (!s->open) return;
    if (!std::strcmp(word, kTagFinDiagramme)) {
        s->open = kFalse;
        // The seal is worked out again from the shape, so a file cannot misname its entries.
        if (s->valid && RechercheDiagrammeAccordParIdUnique(ScelleFormeDiagramme(&e.shape)) < 0)
            CreeAccord(&e.chord, &e.shape, e.displayValue, e.name);
        return;
    }
    struct ShortField {
        const char *tag;
        SInt16 *field;
        SInt16 low, high;
    };
    const ShortField fields[] = {
        {"Root", &e.chord.root, -1, 6},  {"RootAlteration", &e.chord.rootAlteration, -2, 2},
        {"Kind", &e.chord.kind, 0, kNbTypesAccord - 1}, {"Bass", &e.chord.bass, -1, 6},
        {"BassAlteration", &e.chord.bassAlteration, -2, 2},
    };
    for (const ShortField &f : fields) {
        if (std::strcmp(word, f.tag)) continue;
        SInt16 v = TagReadShort();
        if (DansIntervalle(v, f.low, f.high)) *f.field = v;
        else s->valid = kFalse;
        return;
    }
    struct ByteField {
        const char *tag;
        UInt8 *field;
        SInt16 low, high;
    };
    const ByteField bytes[] = {
        {"Strings", &e.shape.stringCount, 1, kCordesDiagramme},
        {"Frets", &e.shape.fretCount, 1, kMaxCases},
        {"FirstFret", &e.shape.firstFret, 1, kMaxPremiereCase},
    };
    for (const ByteField &f : bytes) {
        if (std::strcmp(word, f.tag)) continue;
        SInt16 v = TagReadShort();
        if (DansIntervalle(v, f.low, f.high)) *f.field = UInt8(v);
        else s->valid = kFalse;
        return;
    }
    if (!std::strcmp(word, "Seal")) {
        TagReadLong();  // not trusted: see EndDiagram
    } else if (!std::strcmp(word, "Name")) {
        if (!TagReadStringGuillemet(e.name, kNomDiagrammeTaille)) s->valid = kFalse;
    } else if (!std::strcmp(word, "Display")) {
        e.displayValue = UInt16(TagReadShort());
    } else if (!std::strcmp(word, "Degree")) {
        SInt16 v = TagReadShort();
        SInt32 n = 0;
        while (n < kMaxDegresAccord && e.chord.degrees[n]) n++;
        if (n < kMaxDegresAccord && DegreAccord(v, nullptr, nullptr, nullptr)) e.chord.degrees[n] = v;
        else s->valid = kFalse;
    } else if (!std::strcmp(word, "Marks")) {
        char marks[kCordesDiagramme + 1] = {0};
        if (!TagReadStringGuillemet(marks, sizeof marks)) s->valid = kFalse;
        for (SInt32 i = 0; i < kCordesDiagramme; i++) e.shape.marks[i] = marks[i] ? marks[i] : char(kCordeMuette);
    } else if (!std::strcmp(word, "Barre")) {
        if (e.shape.barreCount >= kMaxBarresDiagramme) s->valid = kFalse;
        else e.shape.barreCount++;
    } else if (!std::strcmp(word, "Fret") || !std::strcmp(word, "From") || !std::strcmp(word, "To")) {
        SInt16 v = TagReadShort();
        if (e.shape.barreCount == 0 || v < -1 || v > kMaxCases) {
            s->valid = kFalse;
            return;
        }
        BarreRecord &r = e.shape.barres[e.shape.barreCount - 1];
        if (!std::strcmp(word, "Fret")) r.fret = SInt8(v);
        else if (v < 0) s->valid = kFalse;
        else if (!std::strcmp(word, "From")) r.from = UInt8(v);
        else r.to = UInt8(v);
    }
}

// The shape with what does not describe it cleared: reserved bytes, barres past the count, marks
// of strings past the count.
DiagramShape FormeCanonique(const DiagramShape *shape) {
    DiagramShape c = *shape;
    std::memset(c.reserved, 0, sizeof c.reserved);
    for (SInt32 b = c.barreCount; b < kMaxBarresDiagramme; b++) c.barres[b] = BarreRecord{0, 0, 0};
    for (SInt32 i = c.stringCount; i < kCordesDiagramme; i++) c.marks[i] = 0;
    return c;
}

}  // namespace

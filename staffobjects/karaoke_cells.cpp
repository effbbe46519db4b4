// The cell tables of a staff's text lines and the lyric-staff switch.
//
// A text line's handle holds a CellLineHeader, capacity CellEntry slots sorted by (measure,
// verse), then a heap of styled-string bytes that the entries point into. A replaced or deleted
// text leaves garbage in the heap until it outweighs the live texts and the heap is compacted.
// Everything is plain bytes, so the model frees and copies a line as one handle.
#include "staffobjects/karaoke_cells.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engraving/staff_services.h"
#include "platform/core/engine_utilities.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/musical_arithmetic.h"
#include "score/score_hooks.h"

namespace {

struct CellLineHeader {
    SInt32 count;      // cells in use
    SInt32 capacity;   // entry slots before the heap
    SInt32 heapUsed;   // bytes of the heap
    SInt32 garbage;    // heap bytes no cell points at
};
struct CellEntry {
    SInt32 measure;
    SInt16 verse;
    SInt16 unused;
    SInt32 offset;     // into the heap
    SInt32 size;       // bytes of the styled string
};
static_assert(sizeof(CellLineHeader) == 16 && sizeof(CellEntry) == 16, "cell tables are stored as bytes");

const SInt32 kCapaciteInitiale = 8;
const SInt32 kMaxOctetsLigne = 64 << 20;    // a text line's handle at most
const SInt32 kCompactageMin = 4096;         // garbage below this is left in place
const UInt8 kReglageCouplets = 0;           // karaokeSettings: verse count kept while not a lyric staff
const UInt8 kReglageLigne = 1;              // karaokeSettings: lyric line switch kept
const UInt8 kReglageHauteur = 2;            // karaokeSettings[2..3]: height kept, high byte first

Handle *LigneDe(StaffHandle staff, SInt16 line);
CellLineHeader Entete(Handle h);
CellEntry *Entrees(Handle h);
char *Tas(Handle h);
SInt32 Cherche(Handle h, SInt32 measure, SInt16 verse, Boolean *found);
OSErr PoseCellule(Handle *slot, SInt32 measure, SInt16 verse, Handle text);
OSErr RetireCellule(Handle line, SInt32 measure, SInt16 verse);
OSErr Compacte(Handle line);
Handle CopieTexte(Handle line, SInt32 index);
OSErr ApresChangement(StaffHandle staff, SInt16 line, SInt16 verse);

}  // namespace

OSErr SetTexteKaraokeCellule(StaffHandle staff, SInt32 measure, SInt16 verse, SInt16 line, const char *utf8,
                             const ChordRecord *) {
    if (!utf8) utf8 = "";
    SInt32 length = SInt32(strnlen(utf8, size_t(kMaxTexteCellule) + 1));
    if (length > kMaxTexteCellule) return paramErr;
    StyledStringHandle text = CreeChaineStyle(utf8, length, nullptr);
    if (!text) return memFullErr;
    OSErr err = SetTexteKaraokeCellule(staff, measure, verse, line, text);
    DisposeChaineStyle(&text);
    return err;
}

OSErr SetTexteKaraokeCellule(StaffHandle staff, SInt32 measure, SInt16 verse, SInt16 line, StyledStringHandle text) {
    Handle *slot = LigneDe(staff, line);
    if (!slot || measure < 0 || measure >= (*(*staff)->score)->measureCount || verse < 0 || verse >= kMaxCouplets)
        return paramErr;
    if (text && (!IsChaineStyleValide(text) || GetStrlenBrutTexteStyle(text) > kMaxTexteCellule)) return paramErr;
    if (line == kLigneAccords) verse = 0;
    OSErr err = noErr;
    if (text && GetStrlenBrutTexteStyle(text) > 0) err = PoseCellule(slot, measure, verse, text);
    else if (*slot) err = RetireCellule(*slot, measure, verse);
    if (err != noErr) return err;
    return ApresChangement(staff, line, verse);
}

StyledStringHandle GetTexteStyleKaraokeCellule(StaffHandle staff, SInt32 measure, SInt16 verse, SInt16 line) {
    Handle *slot = LigneDe(staff, line);
    if (!slot || !*slot) return nullptr;
    if (line == kLigneAccords) verse = 0;
    Boolean found = kFalse;
    SInt32 index = Cherche(*slot, measure, verse, &found);
    return found ? CopieTexte(*slot, index) : nullptr;
}

SInt32 GetTexteKaraokeCellule(StaffHandle staff, SInt16 line, SInt32 measure, SInt16 repetition, char *text,
                              TextStyleRecord *style) {
    if (text) text[0] = 0;
    StyledStringHandle cell = GetTexteStyleKaraokeCellule(staff, measure, repetition, line);
    if (style && IsPorteeValide(staff)) *style = (*staff)->karaokeStyle;
    if (!cell) return 0;
    if (style) {
        TextStyleRecord first;
        if (GetStyleChaineStyle(cell, 0, &first) && first.size > 0) *style = first;
    }
    SInt32 copied = text ? GetTexteBrutTexteStyle(cell, text, kTexteCelluleCopie) : 0;
    DisposeChaineStyle(&cell);
    return copied;
}

Boolean GetTexteEnPlaceCellule(StaffHandle staff, SInt16 line, SInt32 measure, SInt16 verse, const char **text,
                               SInt32 *length) {
    Handle *slot = LigneDe(staff, line);
    if (!slot || !*slot) return kFalse;
    if (line == kLigneAccords) verse = 0;
    Boolean found = kFalse;
    SInt32 index = Cherche(*slot, measure, verse, &found);
    if (!found) return kFalse;
    // Texts enter the heap whole and checked, so their headers are trusted here.
    const char *blob = Tas(*slot) + Entrees(*slot)[index].offset;
    StyledStringHeader header;
    std::memcpy(&header, blob, sizeof header);
    if (text) *text = blob + sizeof header + size_t(header.runCount) * sizeof(StyledRun);
    if (length) *length = header.length;
    return kTrue;
}

SInt16 GetDernierCoupletMesure(StaffHandle staff, SInt16 line, SInt32 measure) {
    Handle *slot = LigneDe(staff, line);
    if (!slot || !*slot || measure < 0 || measure >= kMaxMesures) return -1;
    Boolean found = kFalse;
    SInt32 index = Cherche(*slot, measure + 1, 0, &found);
    if (index == 0 || Entrees(*slot)[index - 1].measure != measure) return -1;
    return Entrees(*slot)[index - 1].verse;
}

SInt32 GetTaquetIndex(StaffHandle staff, SInt16 line, SInt32 time) {
    if (!LigneDe(staff, line) || !(*staff)->textLineEnabled[line - 1]) return -1;
    return CvtTempsEnMesure((*staff)->score, time);
}

SInt32 GetTexteCharSetKaraokeCellule(StaffHandle staff, SInt16 line, SInt32 cell, char *text, SInt32 size) {
    if (text && size > 0) text[0] = 0;
    StyledStringHandle found = GetTexteStyleKaraokeCellule(staff, cell, 0, line);
    if (!found) return 0;
    SInt32 length = GetStrlenBrutTexteStyle(found);
    if (text) GetTexteBrutTexteStyle(found, text, size);
    DisposeChaineStyle(&found);
    return length;
}

SInt32 GetNbCellulesLigne(StaffHandle staff, SInt16 line) {
    Handle *slot = LigneDe(staff, line);
    return slot && *slot ? Entete(*slot).count : 0;
}

Boolean GetCleCelluleLigne(StaffHandle staff, SInt16 line, SInt32 index, SInt32 *measure, SInt16 *verse) {
    Handle *slot = LigneDe(staff, line);
    if (!slot || !*slot || index < 0 || index >= Entete(*slot).count) return kFalse;
    const CellEntry &e = Entrees(*slot)[index];
    if (measure) *measure = e.measure;
    if (verse) *verse = e.verse;
    return kTrue;
}

SInt32 ExtraitTexteKaraokeMesure(SInt32 measure, Handle lineCells) {
    if (!IsLigneCellulesValide(lineCells)) return -1;
    Boolean found = kFalse;
    SInt32 index = Cherche(lineCells, measure, 0, &found);
    if (index < Entete(lineCells).count && Entrees(lineCells)[index].measure == measure) return index;
    return -1;
}

Boolean IsLigneCellulesValide(Handle h) {
    if (!h || !*h) return kFalse;
    UInt32 size = GetHandleSize(h);
    if (size < sizeof(CellLineHeader)) return kFalse;
    CellLineHeader header = Entete(h);
    if (header.count < 0 || header.capacity < header.count || header.heapUsed < 0 || header.garbage < 0 ||
        header.garbage > header.heapUsed)
        return kFalse;
    if (UInt64(sizeof header) + UInt64(header.capacity) * sizeof(CellEntry) + UInt64(header.heapUsed) != size)
        return kFalse;
    const CellEntry *entries = Entrees(h);
    for (SInt32 i = 0; i < header.count; i++) {
        const CellEntry &e = entries[i];
        if (e.measure < 0 || e.verse < 0 || e.verse >= kMaxCouplets || e.offset < 0 || e.size <= 0 ||
            SInt64(e.offset) + e.size > header.heapUsed)
            return kFalse;
        if (i > 0 && (entries[i - 1].measure > e.measure ||
                      (entries[i - 1].measure == e.measure && entries[i - 1].verse >= e.verse)))
            return kFalse;
    }
    for (SInt32 i = 0; i < header.count; i++) {
        Handle text = CopieTexte(h, i);
        Boolean valid = IsChaineStyleValide(text);
        if (text) DisposHandle(text);
        if (!valid) return kFalse;
    }
    return kTrue;
}

OSErr InverseEtatPorteeKaraoke(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return paramErr;
    StaffRecord *p = *staff;
    if (!p->karaoke) {
        p->karaokeSettings[kReglageCouplets] = p->verseLineCount;
        p->karaokeSettings[kReglageLigne] = p->textLineEnabled[0];
        p->karaokeSettings[kReglageHauteur] = UInt8(UInt16(p->height) >> 8);
        p->karaokeSettings[kReglageHauteur + 1] = UInt8(UInt16(p->height) & 0xFF);
        p->karaoke = 1;
        p->textLineEnabled[0] = 1;
        if (p->verseLineCount < 1) p->verseLineCount = 1;
        CheckHauteurPortee(staff);
        return noErr;
    }
    p->karaoke = 0;
    p->verseLineCount = p->karaokeSettings[kReglageCouplets];
    p->textLineEnabled[0] = p->karaokeSettings[kReglageLigne] ? 1 : 0;
    SInt16 height = SInt16(UInt16(p->karaokeSettings[kReglageHauteur] << 8 | p->karaokeSettings[kReglageHauteur + 1]));
    SetHauteurPortee(staff, height);
    return noErr;
}

Handle GetTexteUTF16LigneCellules(StaffHandle staff, SInt16 line) {
    Handle *slot = LigneDe(staff, line);
    if (!slot || !(*staff)->textLineEnabled[line - 1]) return nullptr;
    std::vector<UniChar> units;
    SInt32 count = *slot ? Entete(*slot).count : 0;
    for (SInt32 i = 0; i < count; i++) {
        Handle text = CopieTexte(*slot, i);
        const UInt8 *p = reinterpret_cast<const UInt8 *>(GetTextePtrChaineStyle(text));
        if (i > 0) units.push_back(' ');
        // The texts are valid UTF-8: each sequence gives one scalar value.
        while (*p) {
            UInt32 c = *p++;
            SInt32 more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
            c &= more == 3 ? 0x07 : more == 2 ? 0x0F : more == 1 ? 0x1F : 0x7F;
            while (more-- > 0 && *p) c = c << 6 | (*p++ & 0x3F);
            if (c >= 0x10000) {
                units.push_back(UniChar(0xD800 + ((c - 0x10000) >> 10)));
                units.push_back(UniChar(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                units.push_back(UniChar(c));
            }
        }
        if (text) DisposHandle(text);
    }
    units.push_back(0);
    Handle out = NewHandle(UInt32(units.size() * sizeof(UniChar)));
    if (out) std::memcpy(*out, units.data(), units.size() * sizeof(UniChar));
    return out;
}

namespace {

Handle *LigneDe(StaffHandle staff, SInt16 line) {
    if (!IsPorteeValide(staff) || (line != kLigneParoles && line != kLigneAccords)) return nullptr;
    Handle *slot = &(*staff)->textLines[line - 1];
    // A table that is not well formed (a damaged file) is dropped rather than read.
    if (*slot && GetHandleSize(*slot) < sizeof(CellLineHeader)) LibereHandle(slot);
    return slot;
}

CellLineHeader Entete(Handle h) {
    CellLineHeader header;
    std::memcpy(&header, *h, sizeof header);
    return header;
}

CellEntry *Entrees(Handle h) { return reinterpret_cast<CellEntry *>(*h + sizeof(CellLineHeader)); }

char *Tas(Handle h) { return *h + sizeof(CellLineHeader) + size_t(Entete(h).capacity) * sizeof(CellEntry); }

// The index of (measure, verse), or where it would be inserted.
SInt32 Cherche(Handle h, SInt32 measure, SInt16 verse, Boolean *found) {
    const CellEntry *entries = Entrees(h);
    SInt32 count = Entete(h).count;
    const CellEntry *at = std::lower_bound(entries, entries + count, std::make_pair(measure, verse),
                                           [](const CellEntry &e, const std::pair<SInt32, SInt16> &key) {
                                               return e.measure < key.first || (e.measure == key.first && e.verse < key.second);
                                           });
    *found = at != entries + count && at->measure == measure && at->verse == verse;
    return SInt32(at - entries);
}

// Stores text for (measure, verse): its bytes go at the end of the heap (the old ones become
// garbage), a new entry is inserted in order, growing the entry slots when full.
OSErr PoseCellule(Handle *slot, SInt32 measure, SInt16 verse, Handle text) {
    if (!*slot) {
        Handle fresh = NewHandleClear(sizeof(CellLineHeader) + kCapaciteInitiale * sizeof(CellEntry));
        if (!fresh) return memFullErr;
        CellLineHeader header = {0, kCapaciteInitiale, 0, 0};
        std::memcpy(*fresh, &header, sizeof header);
        *slot = fresh;
    }
    Handle h = *slot;
    SInt32 size = SInt32(GetHandleSize(text));
    CellLineHeader header = Entete(h);
    Boolean found = kFalse;
    SInt32 index = Cherche(h, measure, verse, &found);
    SInt32 capacity = header.capacity;
    if (!found && header.count == capacity) capacity *= 2;
    SInt64 total = SInt64(sizeof header) + SInt64(capacity) * sizeof(CellEntry) + header.heapUsed + size;
    if (total > kMaxOctetsLigne) return paramErr;
    SetHandleSize(h, UInt32(total));
    if (MemError() != noErr) return memFullErr;
    if (capacity != header.capacity) {
        char *heap = *h + sizeof header + size_t(header.capacity) * sizeof(CellEntry);
        std::memmove(heap + size_t(capacity - header.capacity) * sizeof(CellEntry), heap, size_t(header.heapUsed));
        header.capacity = capacity;
    }
    CellEntry *entries = reinterpret_cast<CellEntry *>(*h + sizeof header);
    char *heap = *h + sizeof header + size_t(capacity) * sizeof(CellEntry);
    std::memcpy(heap + header.heapUsed, *text, size_t(size));
    if (found) {
        header.garbage += entries[index].size;
    } else {
        std::memmove(entries + index + 1, entries + index, size_t(header.count - index) * sizeof(CellEntry));
        header.count++;
    }
    entries[index] = CellEntry{measure, verse, 0, header.heapUsed, size};
    header.heapUsed += size;
    std::memcpy(*h, &header, sizeof header);
    return Compacte(h);
}

OSErr RetireCellule(Handle line, SInt32 measure, SInt16 verse) {
    Boolean found = kFalse;
    SInt32 index = Cherche(line, measure, verse, &found);
    if (!found) return noErr;
    CellLineHeader header = Entete(line);
    CellEntry *entries = Entrees(line);
    header.garbage += entries[index].size;
    std::memmove(entries + index, entries + index + 1, size_t(header.count - index - 1) * sizeof(CellEntry));
    header.count--;
    std::memcpy(*line, &header, sizeof header);
    return Compacte(line);
}

// Rewrites the heap with the live texts alone once garbage is more than half of it.
OSErr Compacte(Handle line) {
    CellLineHeader header = Entete(line);
    if (header.garbage < kCompactageMin || header.garbage * 2 < header.heapUsed) return noErr;
    std::vector<char> heap;
    heap.reserve(size_t(header.heapUsed - header.garbage));
    CellEntry *entries = Entrees(line);
    for (SInt32 i = 0; i < header.count; i++) {
        const char *bytes = Tas(line) + entries[i].offset;
        entries[i].offset = SInt32(heap.size());
        heap.insert(heap.end(), bytes, bytes + entries[i].size);
    }
    std::memcpy(Tas(line), heap.data(), heap.size());
    header.heapUsed = SInt32(heap.size());
    header.garbage = 0;
    std::memcpy(*line, &header, sizeof header);
    SetHandleSize(line, UInt32(sizeof header + size_t(header.capacity) * sizeof(CellEntry) + heap.size()));
    return noErr;  // a shrink that fails leaves the handle larger, still whole
}

Handle CopieTexte(Handle line, SInt32 index) {
    const CellEntry &e = Entrees(line)[index];
    Handle text = NewHandle(UInt32(e.size));
    if (!text) return nullptr;
    const CellEntry &again = Entrees(line)[index];  // NewHandle may have moved the line
    std::memcpy(*text, Tas(line) + again.offset, size_t(again.size));
    return text;
}

// A lyric cell shows the lyric line and widens the verses; every change is sung again.
OSErr ApresChangement(StaffHandle staff, SInt16 line, SInt16 verse) {
    StaffRecord *p = *staff;
    Boolean taller = !p->textLineEnabled[line - 1] || (line == kLigneParoles && verse + 1 > p->verseLineCount);
    p->textLineEnabled[line - 1] = 1;
    if (line == kLigneParoles && verse + 1 > p->verseLineCount) p->verseLineCount = UInt8(verse + 1);
    if (taller) CheckHauteurPortee(staff);
    HookPorteeACalculer(staff);
    return noErr;
}

}  // namespace

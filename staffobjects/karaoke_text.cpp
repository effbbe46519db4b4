// The karaoke text and its syllable table.
#include "staffobjects/karaoke_text.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/memory.h"
#include "score/musical_arithmetic.h"
#include "score/played_measures.h"
#include "staffobjects/karaoke_cells.h"

namespace {

const char kRetour = '\r';

// The text being built: its bytes, its syllables, and whether the last syllable left its word open.
struct KaraokeBuild {
    std::string text;
    std::vector<SyllabeKaraoke> syllables;
    Boolean wordOpen;
};

void AjouteCellule(KaraokeBuild *b, StaffHandle staff, SInt16 line, SInt32 measure, SInt16 verse, SInt32 measureTime);
void AjouteSyllabe(KaraokeBuild *b, const char *raw, SInt32 length, SInt32 start, SInt32 end);

}  // namespace

Handle CreeTexteKaraoke(StaffHandle staff, SInt16 line, Boolean playedOrder, Handle syllables) {
    if (syllables) SetHandleSize(syllables, 0);
    if (!IsPorteeValide(staff) || line != kLigneParoles) return nullptr;
    ScoreHandle score = (*staff)->score;
    KaraokeBuild b;
    b.wordOpen = kFalse;
    SInt32 measures = (*score)->measureCount;
    if (playedOrder) {
        std::vector<UInt16> passes(size_t(std::max<SInt32>(measures, 1)), 0);
        SInt32 played = GetNbMesuresJouees(score);
        for (SInt32 p = 0; p < played; p++) {
            SInt32 m = CvtMesureJoueeEnMesure(score, p);
            if (m < 0 || m >= measures) continue;
            SInt16 verse = SInt16(std::min<SInt32>(passes[size_t(m)]++, kMaxCouplets));
            if (!GetTexteEnPlaceCellule(staff, line, m, verse, nullptr, nullptr))
                verse = GetDernierCoupletMesure(staff, line, m);
            if (verse >= 0) AjouteCellule(&b, staff, line, m, verse, CvtMesureJoueeEnTempsJoue(score, p));
        }
    } else {
        SInt16 verses = SInt16(std::min<SInt32>((*staff)->verseLineCount, kMaxCouplets));
        for (SInt16 v = 0; v < verses; v++) {
            if (v > 0 && !b.text.empty()) {
                b.text += "\r\r";
                b.wordOpen = kFalse;
            }
            for (SInt32 m = 0; m < measures; m++) AjouteCellule(&b, staff, line, m, v, CvtMesureEnTemps(score, m));
        }
    }
    Handle text = NewHandle(UInt32(b.text.size()));
    if (!text) return nullptr;
    if (!b.text.empty()) std::memcpy(*text, b.text.data(), b.text.size());
    if (syllables) {
        SetHandleSize(syllables, UInt32(b.syllables.size() * sizeof(SyllabeKaraoke)));
        if (MemError() != noErr) {
            DisposHandle(text);
            SetHandleSize(syllables, 0);
            return nullptr;
        }
        if (!b.syllables.empty()) std::memcpy(*syllables, b.syllables.data(), b.syllables.size() * sizeof(SyllabeKaraoke));
    }
    return text;
}

SInt32 CalculePosTexteKaraoke(StaffHandle, SInt32 position, SInt32 *length, Handle syllables) {
    if (length) *length = 0;
    if (!syllables || !*syllables) return -1;
    SInt32 count = SInt32(GetHandleSize(syllables) / sizeof(SyllabeKaraoke));
    const SyllabeKaraoke *table = reinterpret_cast<const SyllabeKaraoke *>(*syllables);
    const SyllabeKaraoke *after = std::upper_bound(table, table + count, position,
                                                   [](SInt32 p, const SyllabeKaraoke &s) { return p < s.start; });
    if (after == table) return -1;
    if (length) *length = after[-1].length;
    return after[-1].offset;
}

SInt32 CvtPosMesureLigneEnMesureJouee(ScoreHandle score, SInt32 measure, SInt32 pass) {
    if (!IsPartitionValide(score) || measure < 0 || measure >= (*score)->measureCount || pass < 0) return -1;
    SInt32 played = GetNbMesuresJouees(score), seen = 0;
    for (SInt32 p = 0; p < played; p++)
        if (CvtMesureJoueeEnMesure(score, p) == measure && seen++ == pass) return p;
    return -1;
}

namespace {

// The syllables of one cell, each sung at its slot of the measure (from measureTime).
void AjouteCellule(KaraokeBuild *b, StaffHandle staff, SInt16 line, SInt32 measure, SInt16 verse, SInt32 measureTime) {
    const char *text = nullptr;
    SInt32 length = 0;
    if (!GetTexteEnPlaceCellule(staff, line, measure, verse, &text, &length)) return;
    std::string cell(text, size_t(length));  // a copy: slots may move memory
    TaquetRecord slots[kNbMaxTaquets];
    SInt32 count = CalculeTableauTaquetKaraokeMesure(slots, staff, 3, 0, measure, 0, 1, 0);
    SInt32 lastEnd = measureTime + std::max<SInt32>(0, CvtMesureEnDureeMesure((*staff)->score, measure));
    for (SInt32 k = 0, at = 0; at < length; k++) {
        SInt32 end = FinSyllabe(cell.data(), length, at);
        SInt32 slot = std::min(k, count - 1);
        SInt32 sung = slot >= 0 ? measureTime + slots[slot].time : measureTime;
        SInt32 until = slot >= 0 ? sung + slots[slot].duration : lastEnd;
        AjouteSyllabe(b, cell.data() + at, end - at, sung, until);
        at = end;
    }
    // A cell ends its last word unless it ends in a hyphen.
    if (length > 0 && cell[size_t(length - 1)] != '-') b->wordOpen = kFalse;
}

// One syllable with its separator: its letters join the open word or start a new one after a
// blank (none at a line start).
void AjouteSyllabe(KaraokeBuild *b, const char *raw, SInt32 length, SInt32 start, SInt32 end) {
    char separator = raw[length - 1];
    Boolean separated = separator == ' ' || separator == '-' || separator == '_';
    SInt32 letters = separated ? length - 1 : length;
    if (letters == 0) return;  // an empty syllable: the note sings on
    if (!b->wordOpen && !b->text.empty() && b->text.back() != kRetour && raw[0] != kRetour) b->text += ' ';
    SyllabeKaraoke s = {SInt32(b->text.size()), letters, start, end};
    for (SInt32 i = 0; i < letters; i++) b->text += raw[i] == '^' ? ' ' : raw[i] == '=' ? '-' : raw[i];
    b->syllables.push_back(s);
    b->wordOpen = separator == '-';
}

}  // namespace

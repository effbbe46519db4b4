// The karaoke text and its syllable table.
#include "staffobjects/karaoke_text.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/played_measures.h"
#include "staffobjects/karaoke_cells.h"

namespace {

const char kRetour = '\r';

// The text being built: its bytes, its syllables, whether the last syllable left its word open,
// and the slots of every measure, found once however often a measure is played.
struct KaraokeBuild {
    StaffHandle staff;
    std::string text;
    std::vector<SyllabeKaraoke> syllables;
    Boolean wordOpen;
    std::vector<TaquetRecord> slots;
    std::vector<SInt32> firsts;     // measure m's slots: slots[firsts[m] .. firsts[m + 1])
    std::vector<SInt32> lengths;    // of the measures, score units
};

void AjouteCellule(KaraokeBuild *b, SInt16 line, SInt32 measure, SInt16 verse, Boolean lastVerse, SInt32 measureTime);
void AjouteSyllabe(KaraokeBuild *b, const char *raw, SInt32 length, Boolean marks, SInt32 start, SInt32 end);

}  // namespace

Handle CreeTexteKaraoke(StaffHandle staff, SInt16 line, Boolean playedOrder, Handle syllables) {
    if (syllables) SetHandleSize(syllables, 0);
    if (!IsPorteeValide(staff) || line != kLigneParoles) return nullptr;
    ScoreHandle score = (*staff)->score;
    SInt32 measures = (*score)->measureCount;
    KaraokeBuild b;
    b.staff = staff;
    b.wordOpen = kFalse;
    if (CalculeTaquetsPortee(staff, &b.slots, &b.firsts) != noErr) return nullptr;
    const MeasureElement *table = measures > 0 ? GetMesurePtr(score, 0) : nullptr;  // in place
    for (SInt32 m = 0; m < measures; m++) {
        SInt32 length = table[m].length;  // a copy: the record is packed
        b.lengths.push_back(length > 0 ? length : 0);
    }
    // Room for four syllables and thirty bytes a played measure, grown past that as needed.
    SInt32 expected = playedOrder ? GetNbMesuresJouees(score) : measures * std::max<SInt32>(1, (*staff)->verseLineCount);
    b.text.reserve(size_t(std::min<SInt32>(expected, 1 << 16)) * 30);
    b.syllables.reserve(size_t(std::min<SInt32>(expected, 1 << 16)) * 4);
    if (playedOrder) {
        std::vector<UInt16> passes(size_t(std::max<SInt32>(measures, 1)), 0);
        SInt32 played = GetNbMesuresJouees(score);
        SInt64 start = 0;  // of the played measure, summed as they go
        for (SInt32 p = 0; p < played; p++) {
            SInt32 m = CvtMesureJoueeEnMesure(score, p);
            if (m < 0 || m >= measures) continue;
            SInt16 verse = SInt16(std::min<SInt32>(passes[size_t(m)]++, kMaxCouplets));
            AjouteCellule(&b, line, m, verse, kTrue, SInt32(std::min<SInt64>(start, kTempsMax)));
            start += b.lengths[size_t(m)];
        }
    } else {
        SInt16 verses = SInt16(std::min<SInt32>((*staff)->verseLineCount, kMaxCouplets));
        for (SInt16 v = 0; v < verses; v++) {
            if (v > 0 && !b.text.empty()) {
                b.text += "\r\r";
                b.wordOpen = kFalse;
            }
            for (SInt32 m = 0; m < measures; m++) AjouteCellule(&b, line, m, v, kFalse, CvtMesureEnTemps(score, m));
        }
    }
    Handle text = NewHandle(UInt32(b.text.size()));
    if (!text) return nullptr;
    if (!b.text.empty()) std::memcpy(*text, b.text.data(), b.text.size());
    if (syllables) {
        size_t n = b.syllables.size();
        SetHandleSize(syllables, UInt32(n * sizeof(SyllabeKaraoke)));
        if (MemError() != noErr) {
            DisposHandle(text);
            SetHandleSize(syllables, 0);
            return nullptr;
        }
        SInt32 *fields = reinterpret_cast<SInt32 *>(*syllables);
        for (size_t i = 0; i < n; i++) {
            const SyllabeKaraoke &k = b.syllables[i];
            fields[i] = k.start;
            fields[n + i] = k.offset;
            fields[2 * n + i] = k.length;
            fields[3 * n + i] = k.end;
        }
    }
    return text;
}

SInt32 CalculePosTexteKaraoke(StaffHandle, SInt32 position, SInt32 *length, Handle syllables) {
    if (length) *length = 0;
    if (!syllables || !*syllables) return -1;
    SInt32 count = GetNbSyllabesKaraoke(syllables);
    // The starts are sorted: the last syllable starting at or before position.
    const SInt32 *starts = reinterpret_cast<const SInt32 *>(*syllables);
    SInt32 index = SInt32(std::upper_bound(starts, starts + count, position) - starts) - 1;
    if (index < 0) return -1;
    if (length) *length = starts[2 * count + index];
    return starts[count + index];
}

SInt32 GetNbSyllabesKaraoke(Handle syllables) {
    return syllables && *syllables ? SInt32(GetHandleSize(syllables) / sizeof(SyllabeKaraoke)) : 0;
}

Boolean GetSyllabeKaraoke(Handle syllables, SInt32 index, SyllabeKaraoke *syllable) {
    if (!syllable) return kFalse;
    *syllable = SyllabeKaraoke{0, 0, 0, 0};
    SInt32 n = GetNbSyllabesKaraoke(syllables);
    if (index < 0 || index >= n) return kFalse;
    const SInt32 *fields = reinterpret_cast<const SInt32 *>(*syllables);
    *syllable = SyllabeKaraoke{fields[n + index], fields[2 * n + index], fields[index], fields[3 * n + index]};
    return kTrue;
}

SInt32 CvtPosMesureLigneEnMesureJouee(ScoreHandle score, SInt32 measure, SInt32 pass) {
    if (!IsPartitionValide(score) || measure < 0 || measure >= (*score)->measureCount || pass < 0) return -1;
    SInt32 played = GetNbMesuresJouees(score), seen = 0;
    for (SInt32 p = 0; p < played; p++)
        if (CvtMesureJoueeEnMesure(score, p) == measure && seen++ == pass) return p;
    return -1;
}

namespace {

// The syllables of the measure's cell of that verse (or, with lastVerse, of its last verse when
// it has none of that one), each sung at its slot of the measure (from measureTime).
void AjouteCellule(KaraokeBuild *b, SInt16 line, SInt32 measure, SInt16 verse, Boolean lastVerse, SInt32 measureTime) {
    // The cell stays in place: nothing below allocates from the memory manager.
    const char *cell = nullptr;
    SInt32 length = 0;
    if (!GetTexteEnPlaceCellule(b->staff, line, measure, verse, &cell, &length)) {
        verse = lastVerse ? GetDernierCoupletMesure(b->staff, line, measure) : SInt16(-1);
        if (verse < 0 || !GetTexteEnPlaceCellule(b->staff, line, measure, verse, &cell, &length)) return;
    }
    SInt32 first = b->firsts[size_t(measure)], count = b->firsts[size_t(measure) + 1] - first;
    SInt32 lastEnd = measureTime + b->lengths[size_t(measure)];
    for (SInt32 k = 0, at = 0; at < length; k++) {
        Boolean marks = kFalse;
        SInt32 end = FinSyllabe(cell, length, at, &marks);
        SInt32 slot = std::min(k, count - 1);
        const TaquetRecord *t = slot >= 0 ? &b->slots[size_t(first + slot)] : nullptr;
        SInt32 sung = t ? measureTime + SInt32(t->time) : measureTime;
        SInt32 until = t ? sung + SInt32(t->duration) : lastEnd;
        AjouteSyllabe(b, cell + at, end - at, marks, sung, until);
        at = end;
    }
    // A cell ends its last word unless it ends in a hyphen.
    if (length > 0 && cell[length - 1] != '-') b->wordOpen = kFalse;
}

// One syllable with its separator: its letters join the open word or start a new one after a
// blank (none at a line start).
void AjouteSyllabe(KaraokeBuild *b, const char *raw, SInt32 length, Boolean marks, SInt32 start, SInt32 end) {
    char separator = raw[length - 1];
    Boolean separated = separator == ' ' || separator == '-' || separator == '_';
    SInt32 letters = separated ? length - 1 : length;
    if (letters == 0) return;  // an empty syllable: the note sings on
    if (!b->wordOpen && !b->text.empty() && b->text.back() != kRetour && raw[0] != kRetour) b->text += ' ';
    size_t at = b->text.size();
    b->syllables.push_back(SyllabeKaraoke{SInt32(at), letters, start, end});
    b->text.append(raw, size_t(letters));
    b->wordOpen = separator == '-';
    if (!marks) return;
    for (size_t i = at; i < b->text.size(); i++) {
        char &c = b->text[i];
        if (c == '^') c = ' ';
        else if (c == '=') c = '-';
    }
}

}  // namespace

// ctest-labels: staffobjects
// Bytes as lyric and chord cells of a staff of notes: cells of any text set on any measure,
// verse and line, then every slot's syllable read back (GetBoundsStringTaquet), the karaoke
// text built in played and written order, and the staff drawn with its staff objects. Cell
// tables stay well formed, syllables lie inside the text in order (in time order when played),
// and drawing a valid geometry answers noErr.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engraving/engraver.h"
#include "tools/demo_scores/strip_geometry.h"
#include "fuzz_quickdraw.h"
#include "graphics/text/font_table.h"
#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/notes.h"
#include "score/preferences.h"
#include "staffobjects/karaoke_cells.h"
#include "staffobjects/karaoke_text.h"
#include "staffobjects/staff_objects.h"
#include "staffobjects/staff_objects_draw.h"

namespace {

enum : size_t { kMaxInput = 1 << 17 };

void Check(bool ok) {
    if (!ok) abort();
}

// Syllables lie inside the text in order; in played order their times never go back.
void CheckSyllables(Handle text, Handle syllables, Boolean played) {
    SInt32 length = text ? SInt32(GetHandleSize(text)) : 0;
    SInt32 count = GetNbSyllabesKaraoke(syllables);
    std::vector<SyllabeKaraoke> table(static_cast<size_t>(count));
    for (SInt32 i = 0; i < count; i++) Check(GetSyllabeKaraoke(syllables, i, &table[size_t(i)]));
    for (SInt32 i = 0; i < count; i++) {
        Check(table[i].offset >= 0 && table[i].length > 0 && table[i].offset + table[i].length <= length);
        Check(i == 0 || table[i].offset > table[i - 1].offset);
        Check(i == 0 || !played || table[i].start >= table[i - 1].start);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static GrafPort *port = [] {
        FuzzStartQuickDraw();
        FixePrefStd();
        OrvaGetFontList();
        InitGravure();
        InitObjetsPortee();
        FuzzQuietMessages();
        return FuzzNewPort(600, 300);
    }();
    if (size > kMaxInput) return 0;
    SetPort(port);
    FuzzReader r{OrvaByteReader(data, size)};
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    ScoreHandle score = CreePartitionVide(document);
    StaffHandle staff = CreePorteeVide(score, kPorteeStandard, 1, 0);
    // Notes: a count, then for each a pitch (255 a rest) and a length in sixteenths.
    SInt32 notes = r.Byte() % 40, time = 0;
    for (SInt32 i = 0; i < notes; i++) {
        NoteRecord note;
        UInt8 pitch = r.Byte();
        RazNote(&note, pitch == 255 ? -1 : SInt16(pitch & 0x7F), 10080 * (1 + r.Byte() % 8));
        InsereNote(staff, &note, time, 0, 1);
        if (r.Byte() & 1) time += SInt32(note.duration);
    }
    if (r.Byte() & 1) CreePorteeVide(score, kPorteeParoles, 1, 0);
    StaffHandle lyrics = GetPortee(score, SInt16((*score)->staffCount - 1));
    // Cells: measure, verse, line, then a text of a length the input gives.
    while (r.More()) {
        SInt32 measure = SInt8(r.Byte());
        SInt16 verse = SInt8(r.Byte());
        SInt16 line = SInt16(r.Byte() % 4);
        size_t length = size_t(r.Byte()) * (r.Byte() % 4 == 0 ? 64 : 1);
        std::string text;
        for (size_t i = 0; i < length && r.More(); i++) text += char(r.Byte());
        StaffHandle target = (r.Byte() & 1) ? lyrics : staff;
        SetTexteKaraokeCellule(target, measure, verse, line, text.c_str());
        for (SInt16 l = 1; l <= 2; l++) {
            Handle cells = (*target)->textLines[l - 1];
            Check(!cells || IsLigneCellulesValide(cells));
        }
    }
    // Each cell's syllables against its slots.
    for (StaffHandle s : {staff, lyrics}) {
        for (SInt32 i = 0; i < GetNbCellulesLigne(s, kLigneParoles); i++) {
            SInt32 measure = 0;
            SInt16 verse = 0;
            Check(GetCleCelluleLigne(s, kLigneParoles, i, &measure, &verse));
            const char *text = nullptr;
            SInt32 length = 0;
            Check(GetTexteEnPlaceCellule(s, kLigneParoles, measure, verse, &text, &length));
            std::string cell(text, size_t(length));
            TaquetRecord slots[kNbMaxTaquets];
            SInt32 count = CalculeTableauTaquetKaraokeMesure(slots, s, 3, 0, measure, 0, 1, 0);
            Check(count >= 0 && count <= kNbMaxTaquets);
            for (SInt32 k = 0; k <= count; k++) {
                SInt32 a = -1, b = -1, missing = -1;
                Check(GetBoundsStringTaquet(cell.data(), length, k, &a, &b, &missing));
                Check(a >= 0 && a <= b && b <= length && missing >= 0);
            }
        }
        Handle syllables = NewHandle(0);
        for (Boolean played : {kTrue, kFalse}) {
            Handle text = CreeTexteKaraoke(s, kLigneParoles, played, syllables);
            CheckSyllables(text, syllables, played);
            if (text) DisposHandle(text);
        }
        DisposHandle(syllables);
        Handle utf16 = GetLigneTextePortee(s, kLigneParoles);
        if (utf16) DisposHandle(utf16);
    }
    // Drawn as one strip of its first measures.
    SInt32 count = (*score)->measureCount < 8 ? (*score)->measureCount : 8;
    std::vector<float> mx(static_cast<size_t>(count) + 1), nx(static_cast<size_t>(count));
    if (count > 0 && CalculeGeometrieBande(score, 0, count, 20, 8, 40, kTrue, mx.data(), nx.data()) == noErr) {
        for (SInt16 s = 0; s < (*score)->staffCount; s++) {
            GeometrieSegment g = {0, count, mx.data(), nx.data(), nullptr, nullptr, 20, 60 + s * 90.0f, 8, 0.8f, kSegmentDebutSysteme};
            Check(TracePorteeSegment(GetPortee(score, s), &g) == noErr);
            Check(TraceObjetsPortee(GetPortee(score, s), &g) == noErr);
        }
    }
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    return 0;
}

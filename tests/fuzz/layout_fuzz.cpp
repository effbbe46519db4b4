// ctest-labels: layout
// Bytes as a score to lay out: a staff count, measures of random signatures, widths, margins and
// break flags, notes of random lengths, staff sizes, heights and height events, a paper, margins,
// a zoom and titles. The layout must end, cover every measure once with a measure on every line,
// keep its numbers finite, and draw any page (and one outside) without leaving the port.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engraving/engraver.h"
#include "engraving/staff_services.h"
#include "fuzz_quickdraw.h"
#include "layout/layout_start.h"
#include "layout/page_drawing.h"
#include "layout/pagination.h"
#include "layout/staff_heights.h"
#include "layout/units.h"
#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/notes.h"
#include "score/part_groups.h"

namespace {

void Check(bool ok) {
    if (!ok) abort();
}


void Construit(DocumentRecord *document, FuzzReader &in) {
    ScoreHandle score = CreePartitionVide(document);
    if (!score) return;
    SInt16 staves = SInt16(1 + in.Byte() % 12);
    SInt32 measures = 1 + in.Byte() % 60;
    TimeSignature signature = {};
    signature.numerator = signature.shownNumerator = SInt16(1 + in.Byte() % 12);
    signature.denominator = SInt16(1 << (in.Byte() % 5));
    signature.shownDenominator = UInt16(signature.denominator);
    FixeDivisionMesurePartition(score, 0, &signature, 1, 0, 0);
    EtendTableMesures(score, measures * (kTempsRonde * signature.numerator / signature.denominator));
    for (SInt16 s = 0; s < staves; s++) {
        StaffHandle staff = CreePorteeVide(score, in.Byte() % 5 == 0 ? UInt32(in.Byte() % 11) : kPorteeStandard, 1, 0);
        if (!staff) return;
        (*staff)->size = SInt16(in.Byte() % 4 == 0 ? SInt16(in.Word()) : 40 + in.Byte() % 80);
        SetHauteurPortee(staff, SInt16(in.Byte() % 8 == 0 ? in.Word() : in.Byte()));
        for (SInt32 t = 0, n = in.Byte() % 40; n > 0 && in.More(); n--) {
            NoteRecord note;
            RazNote(&note, in.Byte() % 7 == 0 ? SInt16(kPitchSilence) : SInt16(30 + in.Byte() % 60), 1260 * (1 + in.Byte() % 64));
            note.accidental = UInt8(in.Byte() % 6);
            InsereNote(staff, &note, t, 0, 0);
            t += SInt32(note.duration);
        }
        while (in.Byte() % 3 == 0 && in.More())
            AddEventStaffHeighRange(staff, SInt16(64 + in.Byte() % 22), in.Byte(), in.Byte(), in.Word());
    }
    if (in.Byte() % 2) NewPartGroup(score, SInt16(in.Byte() % 6), SInt16(in.Byte() % 3), 0, SInt16(staves - 1), SInt16(in.Byte()), "Group", "G.");
    for (SInt32 m = 0; m < (*score)->measureCount && in.More(); m++) {
        MeasureElement *e = GetMesurePtr(score, m);
        UInt8 flags = in.Byte();
        e->systemBreak = flags & 1;
        e->breakForbidden = (flags >> 1) & 1;
        e->pageBreak = (flags >> 2) & 1;
        if (flags & 8) e->widthScale = UInt16(in.Word()), e->scale = float(e->widthScale);
        if (flags & 16) e->leftMargin = in.Word(), e->rightMargin = in.Word();
    }
    SetTabEltMesureModifie(score, kTabEltTout);
    UpdateTabEltMesure(score, kTabEltTout);
    PageSetupRecord &setup = document->pageSetup;
    setup.paperRect[2] = in.Byte() % 4 == 0 ? SInt32(in.Word()) * 4 : 842;
    setup.paperRect[3] = in.Byte() % 4 == 0 ? SInt32(in.Word()) * 4 : 595;
    for (SInt32 &margin : setup.margins) margin = in.Byte() % 4 == 0 ? SInt32(in.Word()) * 8 : 150;
    document->zoom = in.Byte() % 4 == 0 ? float(in.Word()) / 256.0f : 0.5f + in.Byte() / 256.0f;
    document->reservedPages = SInt16(in.Byte() % 8 == 0 ? in.Word() : in.Byte() % 3);
    document->multiRestOption = in.Byte() & 1;
    document->firstSystemIndent = in.Byte() % 4 == 0 ? SInt32(in.Word()) * 100 : 0;
    if (in.Byte() % 2) {
        std::strcpy(document->titles[0].text, "Title\rsecond line");
        document->titles[0].style.size = SInt16(in.Byte());
        document->titles[0].vertical = SInt32(in.Word());
        document->titles[0].justification = SInt16(SInt8(in.Byte()) % 2);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzStartQuickDraw();
    static bool started = false;
    if (!started) {
        started = true;
        InitGravure();
        InitMiseEnPage();
        FuzzQuietMessages();
    }
    static GrafPort *port = FuzzNewPort(200, 280);
    FuzzReader in = {OrvaByteReader(data, size)};
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    if (!document) return 0;
    Construit(document, in);
    if (document->score) {
        SetDpiDest(SInt16(10 + in.Byte() % 40));
        Check(MetsEnPageDocument(document, nullptr, nullptr) == noErr);
        SInt16 pages = GetNbPagesDocument(document);
        Check(pages >= 1);
        SInt32 next = 0;
        for (SInt16 p = 1; p <= pages; p++) {
            PageRecord page;
            Check(GetPageMiseEnPage(document, p, &page));
            for (SInt32 l = 0; l < page.lineCount; l++) {
                LigneRecord line;
                Check(GetLigneMiseEnPage(document, p, l, &line));
                Check(line.firstMeasure == next && line.closingMeasure > line.firstMeasure);
                Check(std::isfinite(line.left) && std::isfinite(line.right) && std::isfinite(line.top) &&
                      std::isfinite(line.bottom) && line.right >= line.left);
                next = line.closingMeasure;
            }
        }
        Check(next == (*document->score)->measureCount);
        SetPort(port);
        SInt16 drawn = SInt16(in.Byte() % (pages + 2));
        Check(TracePageDocument(document, drawn, 0.25f, drawn, pages) == noErr);
    }
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    return 0;
}

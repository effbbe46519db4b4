// omrender's page mode.
#include "tools/omrender/page_mode.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "engraving/engraver.h"
#include "engraving/music_font.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_table.h"
#include "import/musicxml/musicxml_import.h"
#include "layout/drawing_kit.h"
#include "layout/layout_start.h"
#include "layout/page_drawing.h"
#include "layout/pagination.h"
#include "layout/print_jobs.h"
#include "layout/units.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "score/engine_facade.h"
#include "score/native_score.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "tools/demo_scores/demo_scores.h"
#include "tools/demo_scores/staffobject_demos.h"
#include "tools/page_images/page_images.h"

namespace {

const SInt16 kDpiPages = 300;  // pages are recorded at the player's output resolution

DocumentRecord *ChargeDocument(const PageOptions &o);
std::string NomPage(const char *pattern, int page);

}  // namespace

int LanceModePages(const PageOptions &o) {
    int status = 0;
    if (!SystemDependantInstalleFonteLocale(o.font, true)) OrvaGetFontList();
    if (!InitLentara()) {
        fprintf(stderr, "omrender: music font \"%s\" is not installed\n", kNomFonteMusique);
        status = 3;
    }
    InitMiseEnPage();
    SetDpiDest(kDpiPages);
    DocumentRecord *document = ChargeDocument(o);
    if (!document) return 1;
    if (o.pages > 0) RecalculeEchellePourNombreDePage(document, SInt16(o.pages));
    SInt16 pages = CombienDePages(document->score);
    SInt32 notes = 0;
    for (SInt16 s = 0; s < (*document->score)->staffCount; s++) notes += (*GetPortee(document->score, s))->noteCount;
    printf("pages=%d\nmeasures=%ld staves=%d notes=%ld\n", pages, long((*document->score)->measureCount),
           (*document->score)->staffCount, long(notes));
    fflush(stdout);
    for (SInt16 page = 1; o.output && page <= (o.allPages ? pages : 1); page++) {
        std::string path = NomPage(o.output, page);
        if (!EcritPagePNG(document, page, o.dpi, path.c_str())) {
            fprintf(stderr, "omrender: cannot write %s\n", path.c_str());
            status = 1;
            break;
        }
    }
    if (o.pdf && status != 1) {
        OrvaSetPrintExportFile(o.pdf);
        SInt32 printed = 0;
        OSErr err = ImprimeDocument(document, 1, pages, 1, &printed);
        OrvaSetPrintExportFile(nullptr);
        if (err != noErr || printed != pages) {
            fprintf(stderr, "omrender: printing to %s failed (%d, %ld pages)\n", o.pdf, err, long(printed));
            status = 1;
        }
    }
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    FinMiseEnPage();
    return status;
}

namespace {

DocumentRecord *ChargeDocument(const PageOptions &o) {
    if (o.demo) {
        DocumentRecord *document = CreeDemoScoreObjets(o.demo);
        if (!document) fprintf(stderr, "omrender: no demo score '%s'\n", o.demo);
        return document;
    }
    EnregistreFormatsStockage();
    XMLEnregistreFormats();
    const ScoreFormatOps *row = RechercheFormatPartition(o.load);
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    if (!document) return nullptr;
    FixeMiseEnPageStandardDocument(document);
    if (!row || !row->load(document, o.load, -1) || !IsPartitionValide(document->score)) {
        fprintf(stderr, "omrender: cannot load '%s'\n", o.load);
        VideDocument(document);
        DisposPtr(reinterpret_cast<Ptr>(document));
        return nullptr;
    }
    InitPortees(document->score);
    FixeMiseEnPageNonCalculee(document);
    return document;
}

std::string NomPage(const char *pattern, int page) {
    std::string name = pattern;
    size_t at = name.find("%d");
    if (at != std::string::npos) name.replace(at, 2, std::to_string(page));
    return name;
}

}  // namespace

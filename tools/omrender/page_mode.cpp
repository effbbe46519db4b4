// omrender's page mode.
#include "tools/omrender/page_mode.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "engraving/engraver.h"
#include "graphics/pictures/cairo_player.h"
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

namespace {

const SInt16 kDpiPages = 300;  // pages are recorded at the player's output resolution
const int kCoteMax = 30000;    // pixels of a PNG side at most

DocumentRecord *ChargeDocument(const PageOptions &o);
std::string NomPage(const char *pattern, int page);
bool EcritPagePNG(DocumentRecord *document, SInt16 page, int dpi, const std::string &path);

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
    printf("pages=%d\n", pages);
    fflush(stdout);
    for (SInt16 page = 1; o.output && page <= (o.allPages ? pages : 1); page++) {
        std::string path = NomPage(o.output, page);
        if (!EcritPagePNG(document, page, o.dpi, path)) {
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
        DocumentRecord *document = CreeDemoScore(o.demo);
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

// The page's picture, recorded on the temporary port, played by the cairo player onto a white
// image of the paper at dpi.
bool EcritPagePNG(DocumentRecord *document, SInt16 page, int dpi, const std::string &path) {
    GrafPtr saved = SetPortTemporaire();
    PicHandle picture = CreePicturePage(document, page);
    SetPort(saved);
    if (!picture) return false;
    float width = 0, height = 0;
    GetTaillePapier(document, &width, &height);
    int w = int(std::lround(width * dpi / GetDpiDest())), h = int(std::lround(height * dpi / GetDpiDest()));
    bool ok = w >= 1 && h >= 1 && w <= kCoteMax && h <= kCoteMax;
    if (ok) {
        cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
        cairo_t *cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        GTKTracePicture(picture, cr, w, h);
        cairo_destroy(cr);
        ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(surface);
    }
    KillPicture(picture);
    return ok;
}

}  // namespace

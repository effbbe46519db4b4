// omrender's page mode.
#include "tools/omrender/page_mode.h"

#include <cairo.h>

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
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/runtime.h"
#include "score/engine_facade.h"
#include "score/native_score.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "tools/demo_scores/demo_scores.h"
#include "tools/demo_scores/staffobject_demos.h"

namespace {

const SInt16 kDpiPages = 300;  // pages are recorded at the player's output resolution
const int kCoteMax = 30000;    // pixels of a PNG side at most

DocumentRecord *ChargeDocument(const PageOptions &o);
std::string NomPage(const char *pattern, int page);
bool EcritPagePNG(DocumentRecord *document, SInt16 page, int dpi, const std::string &path);
bool EcritPNG(cairo_surface_t *surface, const std::string &path);

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

// The page drawn as the player draws it: straight into a port of the paper's size at dpi, on
// white.
bool EcritPagePNG(DocumentRecord *document, SInt16 page, int dpi, const std::string &path) {
    SInt16 saved = GetDpiDest();
    SetDpiDest(SInt16(dpi));
    float width = 0, height = 0;
    GetTaillePapier(document, &width, &height);
    int w = BornePixel(width), h = BornePixel(height);
    bool ok = w >= 1 && h >= 1 && w <= kCoteMax && h <= kCoteMax;
    if (ok) {
        GrafPort port;
        std::memset(&port, 0, sizeof port);
        GrafPtr previous = qd.thePort;
        OpenPort(&port);
        PortSize(SInt16(w), SInt16(h));
        OrvaFillSurfaceRect(&port, 0, 0, w - 1, h - 1, 0xFFFFFF);
        TracePageDocument(document, page, 1, page, GetNbPagesDocument(document));
        ok = EcritPNG(port.surface, path);
        ClosePort(&port);
        SetPort(previous);
    }
    SetDpiDest(saved);
    return ok;
}

// A page without colour, the most common, is written as a grey image: a third of the bytes to
// compress.
bool EcritPNG(cairo_surface_t *surface, const std::string &path) {
    cairo_surface_flush(surface);
    int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const unsigned char *data = cairo_image_surface_get_data(surface);
    bool grey = data != nullptr;
    for (int y = 0; y < h && grey; y++) {
        const unsigned char *row = data + size_t(y) * size_t(stride);
        for (int x = 0; x < w && grey; x++) grey = row[4 * x] == row[4 * x + 1] && row[4 * x + 1] == row[4 * x + 2];
    }
    if (!grey) return cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    // An A8 image is written as grey levels, its bytes the levels.
    cairo_surface_t *levels = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    if (cairo_surface_status(levels) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(levels);
        return false;
    }
    unsigned char *out = cairo_image_surface_get_data(levels);
    int outStride = cairo_image_surface_get_stride(levels);
    for (int y = 0; y < h; y++) {
        const unsigned char *row = data + size_t(y) * size_t(stride);
        unsigned char *level = out + size_t(y) * size_t(outStride);
        for (int x = 0; x < w; x++) level[x] = row[4 * x + 1];
    }
    cairo_surface_mark_dirty(levels);
    bool ok = cairo_surface_write_to_png(levels, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(levels);
    return ok;
}

}  // namespace

// omrender: engraves a score into PNG files or prints it to a PDF.
//   omrender --demo NAME [--strip] [--systems N] [--space PIXELS] [--font PATH] -o FILE.png
//   omrender (--demo NAME | --load FILE) [--all-pages] [--dpi D] [--pages N] [--pdf FILE.pdf]
//            [--font PATH] [-o FILE%d.png]
//   omrender --list
// Strip mode (the first form) lays the measures out plainly (the engraver's strip layout), one
// system after another, every drawn staff of the score in each with its staff objects (lyrics,
// chord symbols, texts). Page mode (any of --load, --all-pages, --dpi, --pages, --pdf) lays the
// score out on pages with page layout and prints "pages=N", then "measures=M staves=S notes=K"
// of the score. -o writes the first page (every page with --all-pages, "%d" in the name
// becoming the page number) at D dots per inch (100); --pages N first rescales the score to N
// pages; --pdf prints every page to a PDF through the print path. --load reads a score file of
// any format the player reads (MusicXML, native). --font registers another music font file than
// the built one. Exit status: 0 written, 1 an unknown demo, a score that does not load or a file
// that cannot be written, 2 bad arguments, 3 the music font is not installed (the pictures are
// written all the same, without the font's glyphs).
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engraving/engraver.h"
#include "engraving/staff_type_rows.h"
#include "tools/demo_scores/strip_geometry.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_table.h"
#include "platform/core/runtime.h"
#include "graphics/cairo/port_surfaces.h"
#include "engraving/music_font.h"
#include "score/preferences.h"
#include "staffobjects/staff_objects.h"
#include "staffobjects/staff_objects_draw.h"
#include "tools/demo_scores/demo_scores.h"
#include "tools/omrender/page_mode.h"
#include "tools/demo_scores/staffobject_demos.h"

namespace {

const float kMargeGauche = 3.0f;    // spaces left of the systems
const float kMargeHaut = 7.0f;      // spaces above the first staff (endings and tempo marks)
const float kEcartPortees = 11.0f;  // spaces from a staff's top line to the next one's
const float kEcartSystemes = 5.0f;  // spaces added between systems
const float kMargeBas = 6.0f;
const float kNoireEspaces = 5.0f;   // spaces a quarter note takes
const int kTailleMax = 30000;

struct Options {
    const char *demo = nullptr;
    const char *output = nullptr;
    const char *font = ORVA_MUSIC_FONT;
    int systems = 1;
    float space = 10;
    bool pageMode = false;
    PageOptions page;
};

int Usage() {
    fprintf(stderr, "usage: omrender --demo NAME [--strip] [--systems N] [--space PIXELS] [--font PATH] -o FILE.png\n"
                    "       omrender (--demo NAME | --load FILE) [--all-pages] [--dpi D] [--pages N] [--pdf FILE]\n"
                    "                [--font PATH] [-o FILE%%d.png]\n"
                    "       omrender --list\n");
    return 2;
}

bool ParseOptions(int argc, char **argv, Options *o, bool *list) {
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        bool more = i + 1 < argc;
        if (!strcmp(a, "--list")) *list = true;
        else if (!strcmp(a, "--strip")) continue;
        else if (!strcmp(a, "--demo") && more) o->demo = argv[++i];
        else if (!strcmp(a, "-o") && more) o->output = argv[++i];
        else if (!strcmp(a, "--font") && more) o->font = argv[++i];
        else if (!strcmp(a, "--systems") && more) o->systems = atoi(argv[++i]);
        else if (!strcmp(a, "--space") && more) o->space = float(atof(argv[++i]));
        else if (!strcmp(a, "--load") && more) o->page.load = argv[++i], o->pageMode = true;
        else if (!strcmp(a, "--all-pages")) o->page.allPages = o->pageMode = true;
        else if (!strcmp(a, "--dpi") && more) o->page.dpi = atoi(argv[++i]), o->pageMode = true;
        else if (!strcmp(a, "--pages") && more) o->page.pages = atoi(argv[++i]), o->pageMode = true;
        else if (!strcmp(a, "--pdf") && more) o->page.pdf = argv[++i], o->pageMode = true;
        else return false;
    }
    if (*list) return true;
    if (o->pageMode) {
        o->page.demo = o->demo;
        o->page.output = o->output;
        o->page.font = o->font;
        bool pattern = !o->page.allPages || !o->output || strstr(o->output, "%d");
        return (!o->demo != !o->page.load) && (o->output || o->page.pdf) && pattern && o->page.dpi >= 10 &&
               o->page.dpi <= 2400 && o->page.pages >= 0 && o->page.pages <= 1000;
    }
    return o->demo && o->output && o->systems >= 1 && o->systems <= 1000 && o->space >= 2 && o->space <= 100;
}

// The plain layout of the score: its measures in systems of equal counts.
struct Layout {
    std::vector<SInt32> first;  // each system's first measure
    std::vector<std::vector<float>> measureX, notesX;
    float systemHeight = 0;
    float width = 0, height = 0;
};

bool Dispose(ScoreHandle score, const Options &o, size_t staves, Layout *layout) {
    SInt32 measures = (*score)->measureCount;
    SInt32 systems = std::min<SInt32>(o.systems, measures);
    SInt32 perSystem = (measures + systems - 1) / systems;
    float s = o.space, right = 0;
    for (SInt32 first = 0; first < measures; first += perSystem) {
        SInt32 count = std::min(perSystem, measures - first);
        layout->first.push_back(first);
        layout->measureX.emplace_back(static_cast<size_t>(count) + 1);
        layout->notesX.emplace_back(static_cast<size_t>(count));
        if (CalculeGeometrieBande(score, first, count, kMargeGauche * s, s, kNoireEspaces * s, true,
                                  layout->measureX.back().data(), layout->notesX.back().data()) != noErr)
            return false;
        right = std::max(right, layout->measureX.back().back());
    }
    layout->systemHeight = std::max<size_t>(1, staves) * kEcartPortees * s + kEcartSystemes * s;
    layout->width = right + kMargeGauche * s;
    layout->height = (kMargeHaut + kMargeBas) * s + layout->first.size() * layout->systemHeight;
    return !layout->first.empty();
}

// Each system's staves one under the other, joined at their left end.
void Dessine(const std::vector<StaffHandle> &staves, const Layout &layout, float s) {
    for (size_t k = 0; k < layout.first.size(); k++) {
        SInt32 first = layout.first[k], count = SInt32(layout.notesX[k].size());
        float top = kMargeHaut * s + k * layout.systemHeight;
        for (size_t i = 0; i < staves.size(); i++) {
            GeometrieSegment g = {first, count, layout.measureX[k].data(), layout.notesX[k].data(), nullptr, nullptr,
                                  kMargeGauche * s, top + float(i) * kEcartPortees * s, s, s / 10,
                                  UInt8(kSegmentDebutSysteme | (i == 0 ? kSegmentMarquesSysteme : 0))};
            TracePorteeSegment(staves[i], &g);
            TraceObjetsPortee(staves[i], &g);
        }
        if (staves.size() > 1) {
            Rect r = {SInt16(top), SInt16(kMargeGauche * s), SInt16(top + (staves.size() - 1) * kEcartPortees * s + 4 * s),
                      SInt16(kMargeGauche * s + std::max(1.0f, 0.12f * s))};
            PaintRect(&r);
        }
    }
}

std::vector<StaffHandle> PorteesTracees(ScoreHandle score) {
    std::vector<StaffHandle> staves;
    for (SInt16 s = 0; s < (*score)->staffCount; s++)
        if (GetTypePorteeGravure(GetPortee(score, s))->drawn) staves.push_back(GetPortee(score, s));
    return staves;
}

}  // namespace

int main(int argc, char **argv) {
    Options o;
    bool list = false;
    if (!ParseOptions(argc, argv, &o, &list)) return Usage();
    if (list) {
        SInt32 count = 0;
        const DemoScoreRow *rows = GetDemoScores(&count);
        for (SInt32 i = 0; i < count; i++) printf("%s\t%s\n", rows[i].name, rows[i].description);
        rows = GetDemoScoresObjets(&count);
        for (SInt32 i = 0; i < count; i++) printf("%s\t%s\n", rows[i].name, rows[i].description);
        return 0;
    }
    orvaSettings.pluginFlag = 1;
    OrvaSetMainThread();
    OrvaInitGraf(&qd, 1);
    FixePrefStd();
    InitGravure();
    InitObjetsPortee();
    if (o.pageMode) {
        int result = LanceModePages(o.page);
        FinObjetsPortee();
        FinGravure();
        return result;
    }
    int status = 0;
    if (!SystemDependantInstalleFonteLocale(o.font, true)) OrvaGetFontList();
    if (!InitLentara()) {
        fprintf(stderr, "omrender: music font \"%s\" is not installed\n", kNomFonteMusique);
        status = 3;
    }
    DocumentRecord *document = CreeDemoScoreObjets(o.demo);
    if (!document) {
        fprintf(stderr, "omrender: no demo score '%s'\n", o.demo);
        return 1;
    }
    ScoreHandle score = document->score;
    std::vector<StaffHandle> staves = PorteesTracees(score);
    Layout layout;
    bool laid = Dispose(score, o, staves.size(), &layout);
    int w = int(std::ceil(layout.width)), h = int(std::ceil(layout.height));
    if (!laid || w > kTailleMax || h > kTailleMax) {
        fprintf(stderr, "omrender: cannot lay out the demo score in %d x %d pixels\n", w, h);
        LibereDemoScore(&document);
        return 1;
    }
    GrafPort port;
    std::memset(&port, 0, sizeof port);
    OpenPort(&port);
    PortSize(SInt16(w), SInt16(h));
    OrvaFillSurfaceRect(&port, 0, 0, w - 1, h - 1, 0xFFFFFF);
    ForeColor(33);
    Dessine(staves, layout, o.space);
    if (cairo_surface_write_to_png(port.surface, o.output) != CAIRO_STATUS_SUCCESS) {
        fprintf(stderr, "omrender: cannot write %s\n", o.output);
        status = 1;
    }
    ClosePort(&port);
    LibereDemoScore(&document);
    FinObjetsPortee();
    FinGravure();
    return status;
}

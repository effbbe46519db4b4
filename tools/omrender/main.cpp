// omrender: engraves a demo score into a PNG.
//   omrender --demo NAME [--strip] [--systems N] [--space PIXELS] [--font PATH] -o FILE.png
//   omrender --list
// The measures are laid out plainly (the engraver's strip layout), one system after another,
// every drawn staff of the score in each. --font registers another music font file than the
// built one. Exit status: 0 written, 1 an unknown demo or a file that cannot be written,
// 2 bad arguments, 3 the music font is not installed (the picture is written all the same,
// without the font's glyphs).
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
#include "tools/demo_scores/demo_scores.h"

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
};

int Usage() {
    fprintf(stderr, "usage: omrender --demo NAME [--strip] [--systems N] [--space PIXELS] [--font PATH] -o FILE.png\n"
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
        else return false;
    }
    return *list || (o->demo && o->output && o->systems >= 1 && o->systems <= 1000 && o->space >= 2 && o->space <= 100);
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
        return 0;
    }
    orvaSettings.pluginFlag = 1;
    OrvaSetMainThread();
    OrvaInitGraf(&qd, 1);
    FixePrefStd();
    InitGravure();
    int status = 0;
    if (!SystemDependantInstalleFonteLocale(o.font, true)) OrvaGetFontList();
    if (!InitLentara()) {
        fprintf(stderr, "omrender: music font \"%s\" is not installed\n", kNomFonteMusique);
        status = 3;
    }
    DocumentRecord *document = CreeDemoScore(o.demo);
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
    FinGravure();
    return status;
}

// qdscene: draws a named scene into a fresh port and writes the port as a PNG.
//   qdscene SCENE [OUT.png] [--record FILE] [--play SCALE PNG] [--print PDF]
// Prints the scene's name with the size and box of the effective clip it drew through; the text
// scene first prints one line per run with its measured width and the box of its ink, the
// textedit scene one line per record with its line count, caret point and selection, the
// exte-layout scene the line table of a styled text at two widths, the exte scene its record's
// line count, caret point and selection.
// --record writes the drawing calls as a picture (its raw bytes, in the library's own form).
// --play plays that recording at SCALE times the scene's size into a new port written as PNG;
// --print prints the scene as one page through the Printing Manager into a PDF.
#include <cairo.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "effects_scene.h"
#include "exte_edit_scene.h"
#include "exte_scene.h"
#include "graphics/pictures/pictures.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/quickdraw_text.h"
#include "page_scenes.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/gtk/printing.h"
#include "shape_scenes.h"
#include "textedit_scene.h"
#include "transfer_scenes.h"

namespace {

enum : UInt32 { kWhitePixel = 0xFFFFFF, kBlackPixel = 0x000000 };

struct SceneRow {
    const char *name;
    SInt16 width, height;  // of the port
    void (*draw)(GrafPtr port);
};

// Paints the current port's effective clip in one pixel value, band by band.
void PaintClip(GrafPtr port, UInt32 pixel) {
    struct Context {
        GrafPtr port;
        UInt32 pixel;
    } context = {port, pixel};
    OrvaRecalculeRgnClip();
    OrvaForEachRgnBand(
        OrvaRgnClip,
        [](void *c, SInt16 top, SInt16 bottom, const Seglist *state) {
            const Context *ctx = (const Context *)c;
            for (SInt32 i = 0; state[i] != kRgnEnd; i += 2)
                OrvaFillSurfaceRect(ctx->port, state[i], top, state[i + 1] - 1, bottom - 1, ctx->pixel);
        },
        &context);
}

// The visible region an L: the top half of the port and its bottom-left quarter; the clip a
// centred square. Everything the two allow is painted black.
void DrawClip(GrafPtr port) {
    RgnHandle top = NewRgn(), left = NewRgn();
    _SetRectRgn(top, 0, 0, 200, 100);
    _SetRectRgn(left, 0, 100, 100, 200);
    _UnionRgn(top, left, port->visRgn);
    calcule_portclip();
    Rect square = {50, 50, 150, 150};
    ClipRect(&square);
    PaintClip(port, kBlackPixel);
    DisposeRgn(top);
    DisposeRgn(left);
}

void DrawNothing(GrafPtr) {}

// One run of the text scene. font 0 stands for the test symbol font.
struct TextRunRow {
    SInt16 font, size;
    UInt8 face;
    SInt16 angle, h, v;
    const char *text;
};

const TextRunRow kTextRuns[] = {
    {3, 9, 0, 0, 10, 24, "System font 3 at 9, plain"},
    {3, 12, kFaceBold, 0, 10, 46, "System font 3 at 12, bold"},
    {20, 14, kFaceItalic, 0, 10, 72, "Serif 20 at 14, italic"},
    {20, 18, kFaceUnderline, 0, 10, 102, "Serif 20 at 18, underline"},
    {21, 24, kFaceBold, 0, 10, 138, "Sans 21 bold"},
    {21, 22, kFaceOutline, 0, 10, 174, "Outline 22"},
    {21, 22, kFaceShadow, 0, 10, 210, "Shadow 22"},
    {21, 22, kFaceOutline | kFaceShadow, 0, 170, 210, "Both"},
    {22, 16, kFaceCondense, 0, 10, 240, "Mono condensed"},
    {22, 16, kFaceExtend, 0, 10, 266, "Mono extended"},
    {22, 12, kFaceBold | kFaceItalic | kFaceUnderline, 0, 10, 290, "Mono bold italic underlined"},
    {20, 36, kFaceBold | kFaceItalic, 0, 10, 336, "Serif 36"},
    {0, 28, 0, 0, 10, 384, "ABCXYZ"},
    {3, 28, 0, 0, 180, 384, "ABCXYZ"},
    {21, 18, 0, 30, 330, 230, "Thirty degrees"},
    {20, 20, kFaceBold, 90, 560, 380, "Ninety degrees"},
    {3, 10, 0, 0, 330, 24, "Tab\there: measured in two"},
};

// Draws each run and prints its font, size, face, angle, width and the box of the pixels it
// changed (left, top, right, bottom exclusive), or "ink none".
void DrawTextSheet(GrafPtr port) {
    char fontFile[] = ORVA_TEST_FONT_DIR "/OrvaTestSymbol.ttf";
    SystemDependantInstalleFonteLocale(fontFile, true);
    UInt16 symbol = OrvaGetFontIDFromNameStrict("OrvaTestSymbol");
    size_t bytes = size_t(port->rowStride) * size_t(port->height);
    std::string before(bytes, 0);
    for (const TextRunRow &run : kTextRuns) {
        std::string text = run.text;
        SInt16 font = run.font ? run.font : SInt16(symbol);
        TextFont(font);
        TextSize(run.size);
        TextFace(run.face);
        OrvaSetFontAngle(run.angle);
        std::memcpy(&before[0], port->data, bytes);
        _MoveTo(run.h, run.v);
        SInt16 width = StringWidth(text.c_str());
        DrawString(text.c_str());
        OrvaSetFontAngle(0);
        SInt32 left = port->width, top = port->height, right = -1, bottom = -1;
        for (SInt32 y = 0; y < port->height; y++) {
            const char *now = port->data + y * port->rowStride, *was = before.data() + y * port->rowStride;
            if (std::memcmp(now, was, size_t(port->width) * 4) == 0) continue;
            for (SInt32 x = 0; x < port->width; x++) {
                if (std::memcmp(now + 4 * x, was + 4 * x, 4) == 0) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        std::printf("font %d size %d face %d angle %d width %d ", font, run.size, run.face, run.angle, width);
        if (right < 0) std::printf("ink none\n");
        else std::printf("ink (%d,%d,%d,%d)\n", int(left), int(top), int(right + 1), int(bottom + 1));
    }
}

const SceneRow kScenes[] = {
    {"clip", 200, 200, DrawClip},
    {"copybits", 640, 300, DrawCopyBitsScene},
    {"effects", 680, 340, DrawEffectsScene},
    {"empty", 100, 100, DrawNothing},
    {"exte", 400, 300, DrawExteEditScene},
    {"exte-layout", 400, 300, DrawExteLayoutScene},
    {"page", 612, 792, DrawPageScene},
    {"ppat", 160, 100, DrawPixPatScene},
    {"regions", 400, 300, DrawRegionsScene},
    {"shapes", 800, 600, DrawShapesScene},
    {"shapes8", 800, 600, DrawShapes8Scene},
    {"shapesgray", 800, 600, DrawShapesGrayScene},
    {"text", 600, 400, DrawTextSheet},
    {"textedit", 400, 300, DrawTextEditScene},
};

int Usage() {
    std::fprintf(stderr, "usage: qdscene SCENE [OUT.png] [--record FILE] [--play SCALE PNG] [--print PDF]\nscenes:");
    for (const SceneRow &s : kScenes) std::fprintf(stderr, " %s", s.name);
    std::fprintf(stderr, "\n");
    return 2;
}

bool WritePicture(PicHandle pic, const char *path) {
    FILE *f = std::fopen(path, "wb");
    if (!f) return false;
    size_t size = GetHandleSize((Handle)pic);
    bool ok = std::fwrite(*pic, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
    const char *sceneName = nullptr, *png = nullptr, *record = nullptr, *playPng = nullptr, *pdf = nullptr;
    int scale = 0;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--record") == 0 && i + 1 < argc) record = argv[++i];
        else if (std::strcmp(argv[i], "--play") == 0 && i + 2 < argc) {
            scale = std::atoi(argv[++i]);
            playPng = argv[++i];
            if (scale < 1 || scale > 8) return Usage();
        } else if (std::strcmp(argv[i], "--print") == 0 && i + 1 < argc) pdf = argv[++i];
        else if (!sceneName) sceneName = argv[i];
        else if (!png) png = argv[i];
        else return Usage();
    }
    const SceneRow *scene = nullptr;
    for (const SceneRow &s : kScenes)
        if (sceneName && std::strcmp(s.name, sceneName) == 0) scene = &s;
    if (!scene) return Usage();

    orvaSettings.pluginFlag = 1;
    OrvaSetMainThread();
    OrvaInitGraf(&qd, 1);
    GrafPort port;
    std::memset(&port, 0, sizeof port);
    OpenPort(&port);
    PortSize(scene->width, scene->height);
    OrvaFillSurfaceRect(&port, 0, 0, scene->width - 1, scene->height - 1, kWhitePixel);

    PicHandle pic = nullptr;
    if (record || playPng) {
        Rect frame = port.portRect;
        pic = OpenPicture(&frame);
    }
    scene->draw(&port);
    if (pic) ClosePicture();

    OrvaRecalculeRgnClip();
    const Rect &box = (*OrvaRgnClip)->rgnBBox;
    std::printf("%s rgnSize %d bbox (%d,%d,%d,%d)\n", scene->name, (*OrvaRgnClip)->rgnSize, box.top, box.left,
                box.bottom, box.right);
    int status = 0;
    if (png && cairo_surface_write_to_png(port.surface, png) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "qdscene: cannot write %s\n", png);
        status = 1;
    }
    if (pic && playPng) {
        GrafPort played;
        std::memset(&played, 0, sizeof played);
        OpenPort(&played);
        PortSize(SInt16(scene->width * scale), SInt16(scene->height * scale));
        OrvaFillSurfaceRect(&played, 0, 0, scene->width * scale - 1, scene->height * scale - 1, kWhitePixel);
        Rect dst = {0, 0, SInt16(scene->height * scale), SInt16(scene->width * scale)};
        DrawPicture(pic, &dst);
        if (cairo_surface_write_to_png(played.surface, playPng) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "qdscene: cannot write %s\n", playPng);
            status = 1;
        }
        ClosePort(&played);
        SetPort(&port);
    }
    if (pdf) {
        // One page whose frame is the scene: it fills the printable area.
        PrOpen();
        Handle h = NewHandleClear(kTPrintBytes);
        PrintDefault(h);
        std::memcpy(*h + kPrOffsetPage, &port.portRect, sizeof(Rect));
        PrJobDialog(h);
        OrvaSetPrintExportFile(pdf);
        PrOpenDoc(h, &port, nullptr);
        PrOpenPage(h, nullptr);
        PenNormal();
        scene->draw(&port);
        PrClosePage(&port);
        PrCloseDoc(&port);
        if (PrError() != 0) status = 1;
        PrClose();
        DisposHandle(h);
    }
    if (pic && record && !WritePicture(pic, record)) {
        std::fprintf(stderr, "qdscene: cannot write %s\n", record);
        status = 1;
    }
    KillPicture(pic);
    ClosePort(&port);
    return status;
}

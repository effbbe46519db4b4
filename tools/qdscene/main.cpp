// qdscene: draws a named scene into a fresh port and writes the port as a PNG.
//   qdscene SCENE [OUT.png] [--record FILE]
// Prints the scene's name with the size and box of the effective clip it drew through.
// --record writes the drawing calls as a picture (its raw bytes, in the library's own form).
#include <cairo.h>
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/gtk/port_surfaces.h"
#include "shape_scenes.h"

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

const SceneRow kScenes[] = {
    {"clip", 200, 200, DrawClip},
    {"empty", 100, 100, DrawNothing},
    {"regions", 400, 300, DrawRegionsScene},
    {"shapes", 800, 600, DrawShapesScene},
};

int Usage() {
    std::fprintf(stderr, "usage: qdscene SCENE [OUT.png] [--record FILE]\nscenes:");
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
    const char *sceneName = nullptr, *png = nullptr, *record = nullptr;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--record") == 0 && i + 1 < argc) record = argv[++i];
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
    if (record) {
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
    if (pic && !WritePicture(pic, record)) {
        std::fprintf(stderr, "qdscene: cannot write %s\n", record);
        status = 1;
    }
    KillPicture(pic);
    ClosePort(&port);
    return status;
}

// ctest-labels: pictures
// Random bytes as a picture of any kind through every player: DrawPicture into a 64 x 48 port
// (plain and recording), OrvaDrawPicture, the cairo player onto an image surface, and
// AdaptePicture with its result played. Nothing is read outside the picture.
#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_quickdraw.h"
#include "graphics/pictures/cairo_player.h"
#include "graphics/pictures/pict_rewriter.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/bezier.h"
#include "platform/core/memory.h"

static GrafPort *Port() {
    static GrafPort *port = nullptr;
    if (port) return port;
    FuzzStartQuickDraw();
    return port = FuzzNewPort(64, 48);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    GrafPort *port = Port();
    if (size > (1u << 18)) return 0;
    Handle h = NewHandle(UInt32(size));
    if (!h) return 0;
    if (size) std::memcpy(*h, data, size);
    PicHandle pic = (PicHandle)h;
    SetPort(port);
    Rect dst = {0, 0, 48, 64}, half = {4, 4, 28, 36};
    DrawPicture(pic, &dst);
    OrvaDrawPicture(pic, &half);
    Rect frame = {0, 0, 48, 64};
    PicHandle outer = OpenPicture(&frame);
    DrawPicture(pic, &half);
    ClosePicture();
    DrawPicture(outer, &dst);
    KillPicture(outer);
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 80, 60);
    cairo_t *cr = cairo_create(surface);
    GTKTracePicture(pic, cr, 80, 60);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    if (qd.thePort != port) std::abort();
    PicHandle adapted = AdaptePicture(pic, 1, 7);
    if (adapted) {
        DrawPicture(adapted, &dst);
        KillPicture(adapted);
    }
    DisposHandle(h);
    return 0;
}

// The black key of the on-screen keyboard at rest: recorded from QuickDraw calls by the
// library's picture recorder and written as a big-endian PICT version 2, the form 'PICT'
// resources keep. The keyboard plays it into each black key's bounds, so it is drawn tall and
// narrow: a dark body, a lit left edge and a darker front lip at the bottom.
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/pictures/pict_format.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

const SInt16 kWidth = 16, kHeight = 96, kLip = 10;

struct Band {
    Rect rect;
    RGBColor color;
};

const Band kBands[] = {
    {{0, 0, kHeight, kWidth}, {0x1000, 0x1000, 0x1000}},                   // outline and shade
    {{0, 1, kHeight - kLip, kWidth - 2}, {0x2C00, 0x2C00, 0x2E00}},        // the key's top
    {{2, 2, kHeight - kLip - 4, 4}, {0x6000, 0x6000, 0x6400}},             // light on its left edge
    {{kHeight - kLip, 1, kHeight - 1, kWidth - 1}, {0x0600, 0x0600, 0x0600}},  // the front lip
};

}  // namespace

bool WriteBlackKey(const std::string &path) {
    orvaSettings.pluginFlag = 1;  // no system files, no preferences
    OrvaSetMainThread();
    OrvaInitGraf(&qd, 1);
    GrafPort port;
    std::memset(&port, 0, sizeof port);
    OpenPort(&port);
    PortSize(kWidth, kHeight);
    Rect frame = {0, 0, kHeight, kWidth};
    PicHandle pic = OpenPicture(&frame);
    if (!pic) return false;
    for (const Band &band : kBands) {
        RGBForeColor(&band.color);
        PaintRect(&band.rect);
    }
    ClosePicture();
    bool ok = CvtPict2MacPict(pic, kFalse);
    FILE *f = ok ? std::fopen(path.c_str(), "wb") : nullptr;
    if (f) {
        size_t size = size_t(GetHandleSize(reinterpret_cast<Handle>(pic)));
        ok = std::fwrite(*pic, 1, size, f) == size;
        ok = std::fclose(f) == 0 && ok;
    }
    KillPicture(pic);
    ClosePort(&port);
    return ok && f;
}

// Offscreen ports and GWorlds, and the frame margins of window ports. A port's buffer is a
// cairo RGB24 surface at every depth: an 8-bit port keeps its index bytes at the start of
// each row of it.
#include "graphics/quickdraw/offscreen.h"

#include <algorithm>
#include <cstring>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

enum : SInt16 {
    kMinDepth = 8,
    kDirectDepth = 24,
    kGrayRequestDepth = 1,   // asking for depth 1 gives a 256-gray port
    kCTableBytes = 16,
};

const Rect kWideClip = {-32767, -32767, 32767, 32767};

}  // namespace

static GrafPtr CreateOffscreen(SInt16 width, SInt16 height, SInt16 depth, Boolean gray);
static Boolean OpenOffscreen(GrafPtr port, SInt16 width, SInt16 height, SInt16 depth, Boolean gray);
static SInt16 NonNegative(SInt32 v);

GrafPtr OrvaCreatePortOffscreen(SInt16 width, SInt16 height, SInt16 depth) {
    if (depth == kGrayRequestDepth) return OrvaCreatePortOffscreen256Gray(width, height);
    return CreateOffscreen(width, height, depth, false);
}

GrafPtr OrvaCreatePortOffscreen256Gray(SInt16 width, SInt16 height) {
    return CreateOffscreen(width, height, kMinDepth, true);
}

Boolean OrvaOpenPortOffscreen(GrafPtr port, SInt16 width, SInt16 height, SInt16 depth) {
    return OpenOffscreen(port, width, height, depth, false);
}

Boolean OrvaOpenPortOffscreen256Gray(GrafPtr port, SInt16 width, SInt16 height) {
    return OpenOffscreen(port, width, height, kMinDepth, true);
}

void OrvaClosePortOffscreen(GrafPtr port) {
    if (!port) return;
    ClosePort(port);
    DisposPtr((Ptr)port);
}

void OrvaClosePortOffscreenNonAlloue(GrafPtr port) {
    if (port) ClosePort(port);
}

void OrvaGetPortOffscreen(GrafPtr *port) { GetPort(port); }

void OrvaSetPortOffscreen(GrafPtr port) { SetPort(port); }

Boolean OrvaAlloueOffscreenPort(GrafPtr port, SInt16 depth) {
    if (!port) return false;
    port->depth = std::max(depth, SInt16(kMinDepth)) > kMinDepth ? kDirectDepth : kMinDepth;
    const Rect &r = port->portRect;
    OrvaPortSize(port, NonNegative(SInt32(r.right) - r.left), NonNegative(SInt32(r.bottom) - r.top), 0, 0, true);
    if (port->systemDraw && port->surface) {
        port->portRect.right = SInt16(std::min<SInt32>(port->portRect.left + port->width, 32767));
        port->portRect.bottom = SInt16(std::min<SInt32>(port->portRect.top + port->height, 32767));
    }
    calcule_portclip();
    return port->surface != nullptr;
}

void OrvaAllocatePortForDraw(GrafPtr port) {
    if (!port) return;
    GrafPtr saved = qd.thePort;
    SetPort(port);
    if (!port->noBuffer && !port->surface) OrvaAlloueOffscreenPort(port, port->depth ? port->depth : SInt16(kDirectDepth));
    SetPort(saved);
}

SInt16 OrvaGetRowbytesOffscreen(const BitMap *bits) { return bits ? SInt16(bits->rowBytes & 0x7FFF) : 0; }

Ptr OrvaGetInfoOffscreen(GrafPtr port, Rect *bounds, SInt32 *rowBytes, SInt16 *depth) {
    if (!port) return nullptr;
    if (bounds) *bounds = port->portBits.bounds;
    if (rowBytes) *rowBytes = port->rowStride;
    if (depth) *depth = port->depth;
    return OrvaGetPtrDataOffscreen(&port->portBits);
}

void OrvaSetSystemDrawFlag(GrafPtr port, Boolean flag) {
    if (!port || (port->systemDraw != 0) == (flag != 0)) return;
    if (port->surface) {
        port->effectiveBase = port->data;
        if (!flag)
            port->effectiveBase += SInt64(port->marginTop) * port->rowStride + SInt64(port->marginLeft) * OrvaBytesPerPixel(port);
    }
    SInt32 dw = port->marginLeft + port->marginRight, dh = port->marginTop + port->marginBottom;
    if (!flag) {
        dw = -dw;
        dh = -dh;
    }
    // The bounds follow portRect, so that transfers reach the whole area the port covers.
    port->portRect.right = SInt16(port->portRect.right + dw);
    port->portRect.bottom = SInt16(port->portRect.bottom + dh);
    port->portBits.bounds.right = SInt16(port->portBits.bounds.right + dw);
    port->portBits.bounds.bottom = SInt16(port->portBits.bounds.bottom + dh);
    port->systemDraw = flag ? 1 : 0;
    GrafPtr saved = qd.thePort;
    SetPort(port);
    calcule_portclip();
    OrvaRecalculeRgnClip();
    SetPort(saved);
    calcule_portclip();
}

void OrvaSetSystemMargins(GrafPtr port, const OrvaMarginsRecord *margins) {
    if (!port || !margins) return;
    OrvaMarginsRecord m = {NonNegative(margins->top), NonNegative(margins->left), NonNegative(margins->bottom),
                           NonNegative(margins->right)};
    if (!port->surface) {
        port->marginTop = m.top;
        port->marginLeft = m.left;
        port->marginBottom = m.bottom;
        port->marginRight = m.right;
        return;
    }
    Boolean flag = port->systemDraw;
    OrvaSetSystemDrawFlag(port, true);
    SInt32 width = port->width + m.left + m.right - port->marginLeft - port->marginRight;
    SInt32 height = port->height + m.top + m.bottom - port->marginTop - port->marginBottom;
    OrvaPortSize(port, NonNegative(width), NonNegative(height), SInt16(m.left - port->marginLeft),
                 SInt16(m.top - port->marginTop), false);
    port->marginTop = m.top;
    port->marginLeft = m.left;
    port->marginBottom = m.bottom;
    port->marginRight = m.right;
    port->portRect.right = SInt16(std::min<SInt32>(port->portRect.left + port->width, 32767));
    port->portRect.bottom = SInt16(std::min<SInt32>(port->portRect.top + port->height, 32767));
    port->portBits.bounds.right = SInt16(port->portBits.bounds.left + (port->portRect.right - port->portRect.left));
    port->portBits.bounds.bottom = SInt16(port->portBits.bounds.top + (port->portRect.bottom - port->portRect.top));
    OrvaSetSystemDrawFlag(port, flag);
    calcule_portclip();
}

void OrvaInitMargins(GrafPtr port) {
    WindowPtr window = port ? GetWindowFromPort(port) : nullptr;
    RgnHandle structure = window ? NewRgn() : nullptr;
    if (!structure) return;
    if (GetWindowRegion(window, kWindowStructureRgn, structure) == noErr && !EmptyRgn(structure)) {
        Rect p = port->portRect, s = (*structure)->rgnBBox;
        _OffsetRect(&p, port->screenH, port->screenV);
        OrvaMarginsRecord m = {SInt16(p.top - s.top), SInt16(p.left - s.left), SInt16(s.bottom - p.bottom),
                               SInt16(s.right - p.right)};
        OrvaSetSystemMargins(port, &m);
    }
    DisposeRgn(structure);
}

QDErr NewGWorld(GWorldPtr *world, SInt16 depth, const Rect *bounds, CTabHandle, GDHandle, GWorldFlags) {
    if (!world) return paramErr;
    *world = nullptr;
    if (!bounds) return paramErr;
    *world = OrvaCreatePortOffscreen(NonNegative(SInt32(bounds->right) - bounds->left),
                                     NonNegative(SInt32(bounds->bottom) - bounds->top), depth);
    return *world ? noErr : paramErr;
}

void DisposeGWorld(GWorldPtr world) { OrvaClosePortOffscreen(world); }

void SetGWorld(GWorldPtr port, GDHandle) { SetPort(port); }

void GetGWorld(GWorldPtr *port, GDHandle *device) {
    if (port) *port = qd.thePort;
    if (device) *device = GetGDevice();
}

GWorldFlags UpdateGWorld(GWorldPtr *world, SInt16 depth, const Rect *bounds, CTabHandle table, GDHandle device,
                         GWorldFlags flags) {
    if (!world) return flags;
    Boolean wasCurrent = *world && *world == qd.thePort;
    DisposeGWorld(*world);
    NewGWorld(world, depth, bounds, table, device, flags);
    if (wasCurrent && *world) SetPort(*world);
    return flags;
}

Boolean LockPixels(PixMapHandle) { return true; }

void UnlockPixels(PixMapHandle) {}

CTabHandle GetCTable(SInt16) { return (CTabHandle)NewHandleClear(kCTableBytes); }

void DisposeCTable(CTabHandle table) {
    if (table) DisposHandle((Handle)table);
}

// A record of the caller's, opened as an offscreen; the caller's port is current again after.
static GrafPtr CreateOffscreen(SInt16 width, SInt16 height, SInt16 depth, Boolean gray) {
    GrafPtr saved = qd.thePort;
    GrafPtr port = (GrafPtr)NewPtrClear(sizeof(GrafPort));
    if (port && !OpenOffscreen(port, width, height, depth, gray)) {
        ClosePort(port);
        DisposPtr((Ptr)port);
        port = nullptr;
    }
    SetPort(saved);
    return port;
}

static Boolean OpenOffscreen(GrafPtr port, SInt16 width, SInt16 height, SInt16 depth, Boolean gray) {
    if (!port) return false;
    OpenPort(port);
    if (!port->visRgn || !port->clipRgn) return false;
    Rect r = {0, 0, NonNegative(height), NonNegative(width)};
    port->portRect = r;
    port->portBits.bounds = r;
    port->device = gray ? kGrayPortDevice : 0;
    RectRgn(port->clipRgn, &kWideClip);
    RectRgn(port->visRgn, &r);
    Boolean ok = OrvaAlloueOffscreenPort(port, gray ? SInt16(kMinDepth) : depth);
    SetPort(port);
    // The pen's indices follow the store: gray levels on a 256-gray port.
    if (gray) {
        port->forePixel = UInt32(Color2Index(&port->rgbFgColor));
        port->backPixel = UInt32(Color2Index(&port->rgbBkColor));
    }
    return ok;
}

static SInt16 NonNegative(SInt32 v) { return SInt16(std::min<SInt32>(std::max<SInt32>(v, 0), 32767)); }

// QuickDraw ports and globals: start-up, the current port, sizing and moving, coordinates, the
// clip regions and the effective clip that every pixel operation rebuilds when marked dirty.
#include "graphics/quickdraw/ports.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

#include "graphics/pictures/pictures.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/cursors.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/pixel_writers.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/dirty_areas.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/errors.h"
#include "platform/core/language.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"


QDGlobals qd;
GrafPort OrvaFrameGrafPort;
RgnHandle OrvaRgnClip;
RgnHandle rgnDesk;
ClipCacheRecord orvaClipCache = {kRgnMaxCoord, kRgnMaxCoord, 0, nullptr, 0};
VideoOps video;
GDHandle TheGraphicDevice;
SInt16 OffsetYMBar;

namespace {

// State of the effective clip of the current port. Main thread only.
struct ClipStateRecord {
    Boolean dirty;           // rebuild before the next pixel operation
    Boolean computeEnabled;  // off while a region is being traced from a picture
    RgnHandle limit;         // the port's drawable rectangle while it is rebuilt
};
ClipStateRecord gClipState = {true, true, nullptr};

struct GrafStartRecord {
    Boolean started;         // OrvaInitGraf ran
    Handle collected;        // messages collected for the exit flush, CR LF after each
    Rect defaultWindow;      // rect_defaut: last rectangle given to fixe_fenetre_abs
};
GrafStartRecord gGrafStart;

const Rect kWideClip = {-32767, -32767, 32767, 32767};  // clip of a new port
const Rect kTemplateClip = {-32000, -32000, 32000, 32000};

const UInt8 kDkGray[8] = {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD};
const UInt8 kLtGray[8] = {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22};
const UInt8 kGray[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};

enum : SInt32 { kColorBlack = 33, kColorWhite = 30, kPatCopy = 8, kSrcOr = 1 };

enum : SInt32 {
    kDeviceDpi = 96 << 16,      // resolution the device's pixel map announces
    kDevicePixelSize = 24,
};

}  // namespace

static void InitFrameTemplate();
static void FlushCollectedAtExit();
static SInt16 ClampCoord(SInt32 v);

void InitGraf(void *globals) { OrvaInitGraf(globals, 1); }

void OrvaInitGraf(void *, SInt16 hardware) {
    if (gGrafStart.started) return;
    gGrafStart.started = true;
    std::atexit(FlushCollectedAtExit);
    OrvaInitGlyphCache();
    VerifieInstallationWorva();
    OrvaSetTypeAntialias(SystemDependantCanAntialiasFonts() ? 1 : 0);
    Point mouse;
    lit_mouse(&mouse);
    qd.thePort = nullptr;
    qd.randSeed = 1;
    std::memcpy(qd.dkGray.pat, kDkGray, 8);
    std::memcpy(qd.ltGray.pat, kLtGray, 8);
    std::memcpy(qd.gray.pat, kGray, 8);
    std::memset(qd.black.pat, 0xFF, 8);
    std::memset(qd.white.pat, 0x00, 8);
    OrvaRgnClip = NewRgn();
    RectRgn(OrvaRgnClip, &kTemplateClip);
    OrvaResetClipCache();
    rgnDesk = NewRgn();
    InitFrameTemplate();
    OrvaInstallFontServices();
    OrvaGetFontList();
    // Inside the plug-in the host sets up colours and resources itself.
    if (!OrvaIsPlugin()) {
        orva_ouvreFichierRessSys();
        OrvaInitColorManager();
    }
    OrvaInstallPixelWriters();
    OrvaSetRgnPicturePlayer(DrawPicture);
    OrvaInitGrafHardware(hardware);
    if (!OrvaIsPlugin()) OrvaFixeLangue(0);
    OrvaMajSkinDir();
    InitTheme();
    CursHandle arrow = _GetCursor(0);
    if (arrow && *arrow && GetHandleSize((Handle)arrow) >= sizeof(Cursor)) {
        std::memcpy(&qd.arrow, *arrow, sizeof(Cursor));
        _SetCursor(&qd.arrow);
    }
    std::atexit(out_orva);
    OrvaInitTimeMgr();
    init_orva();
}

void SetPort(GrafPtr port) {
    assert(OrvaIsMainThread());
    if (port == qd.thePort) return;
    qd.thePort = port;
    if (port) calcule_portclip();
}

void GetPort(GrafPtr *port) {
    if (port) *port = qd.thePort;
}

void OpenPort(GrafPtr port) {
    if (!port) return;
    port->visRgn = NewRgn();
    port->clipRgn = NewRgn();
    InitPort(port);
}

void InitPort(GrafPtr port) {
    if (!port) return;
    RgnHandle vis = port->visRgn, clip = port->clipRgn;
    *port = OrvaFrameGrafPort;
    port->visRgn = vis;
    port->clipRgn = clip;
    port->picSave = port->rgnSave = port->polySave = nullptr;
    port->pixMap = nullptr;  // the template's own pixel map stays the template's
    port->translucent = 0;
    port->translucentSurface[0] = port->translucentSurface[1] = nullptr;
    port->savedRect = OrvaFrameGrafPort.portRect;
    OrvaInitPort(port);
    RectRgn(port->visRgn, &OrvaFrameGrafPort.portRect);
    RectRgn(port->clipRgn, &kWideClip);
    SetPort(port);
    calcule_portclip();
    PenNormal();
    ForeColor(kColorBlack);
    BackColor(kColorWhite);
}

void ClosePort(GrafPtr port) {
    if (!port) return;
    DisposeRgn(port->visRgn);
    DisposeRgn(port->clipRgn);
    port->visRgn = port->clipRgn = nullptr;
    if (qd.thePort == port) qd.thePort = nullptr;
    if (port->pixMap) DisposHandle(reinterpret_cast<Handle>(port->pixMap));
    port->pixMap = nullptr;
    OrvaClosePort(port);
}

void PortSize(SInt16 width, SInt16 height) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    port->portRect.right = ClampCoord(port->portRect.left + width);
    port->portRect.bottom = ClampCoord(port->portRect.top + height);
    RectRgn(port->visRgn, &port->portRect);
    port->portBits.bounds.right = ClampCoord(port->portBits.bounds.left + width);
    port->portBits.bounds.bottom = ClampCoord(port->portBits.bounds.top + height);
    OrvaPortSize(port, width, height, 0, 0, false);
    calcule_portclip();
}

void SetOrigin(SInt16 h, SInt16 v) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (port->picSave) {
        SInt16 operands[2] = {h, v};
        RecordPictAction(kPictOpOrigin, operands, sizeof operands);
    }
    SInt16 dh = SInt16(h - port->portRect.left), dv = SInt16(v - port->portRect.top);
    _OffsetRect(&port->portRect, dh, dv);
    _OffsetRect(&port->portBits.bounds, dh, dv);
    _OffsetRgn(port->visRgn, dh, dv);
    calcule_portclip();
}

void MovePortTo(SInt16 dh, SInt16 dv) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    port->screenH = SInt16(port->screenH + dh);
    port->screenV = SInt16(port->screenV + dv);
}

void fixe_fenetre_abs(const Rect *r) {
    GrafPtr port = qd.thePort;
    if (!port || !r) return;
    port->screenH = port->screenV = 0;
    MovePortTo(r->left, r->top);
    PortSize(SInt16(r->right - r->left), SInt16(r->bottom - r->top));
    ClipRect(&kWideClip);
    gGrafStart.defaultWindow = *r;
}

void ClipRect(const Rect *r) {
    GrafPtr port = qd.thePort;
    if (!port || !r || !port->clipRgn) return;
    MacRegion *clip = *port->clipRgn;
    if (clip->rgnSize == kRgnRectSize && _EqualRect(&clip->rgnBBox, r)) return;
    RectRgn(port->clipRgn, r);
    if (port->picSave) RecordPictAction(kPictOpClip, *port->clipRgn, UInt32((*port->clipRgn)->rgnSize));
    calcule_portclip();
}

void SetClip(RgnHandle rgn) {
    GrafPtr port = qd.thePort;
    if (!port || !rgn || !port->clipRgn) return;
    MacRegion *clip = *port->clipRgn;
    Boolean same = rgn == port->clipRgn ||
                   ((*rgn)->rgnSize == kRgnRectSize && clip->rgnSize == kRgnRectSize &&
                    _EqualRect(&(*rgn)->rgnBBox, &clip->rgnBBox));
    if (!same) {
        _CopyRgn(rgn, port->clipRgn);
        calcule_portclip();
    }
    if (port->picSave) RecordPictAction(kPictOpClip, *port->clipRgn, UInt32((*port->clipRgn)->rgnSize));
}

void GetClip(RgnHandle rgn) {
    GrafPtr port = qd.thePort;
    if (port && rgn && port->clipRgn) _CopyRgn(port->clipRgn, rgn);
}

void GlobalToLocal(Point *pt) {
    GrafPtr port = qd.thePort;
    if (!port || !pt) return;
    pt->h = SInt16(pt->h + port->portRect.left - port->screenH);
    pt->v = SInt16(pt->v + port->portRect.top - port->screenV);
}

void LocalToGlobal(Point *pt) {
    GrafPtr port = qd.thePort;
    if (!port || !pt) return;
    pt->h = SInt16(pt->h + port->screenH - port->portRect.left);
    pt->v = SInt16(pt->v + port->screenV - port->portRect.top);
}

void OrvaRecalculeRgnClip() { OrvaRecalculeRgnClipPort(qd.thePort); }

void OrvaRecalculeRgnClipPort(GrafPtr port) {
    if (!gClipState.dirty || !port || !OrvaRgnClip) return;
    gClipState.dirty = false;
    Rect limit;
    if (port->systemDraw) {
        _CopyRgn(port->clipRgn, OrvaRgnClip);
        _SetRect(&limit, 0, 0, port->width, port->height);
    } else {
        SectRgn(port->visRgn, port->clipRgn, OrvaRgnClip);
        _OffsetRgn(OrvaRgnClip, SInt16(-port->portBits.bounds.left), SInt16(-port->portBits.bounds.top));
        limit = port->portRect;
        _OffsetRect(&limit, SInt16(-limit.left), SInt16(-limit.top));
    }
    if (!gClipState.limit) gClipState.limit = NewRgn();
    RectRgn(gClipState.limit, &limit);
    SectRgn(OrvaRgnClip, gClipState.limit, OrvaRgnClip);
    OrvaResetClipCache();
}

void calcule_portclip() {
    if (gClipState.computeEnabled) gClipState.dirty = true;
}

void OrvaEnableComputeClip(Boolean on) {
    gClipState.computeEnabled = on;
    gClipState.dirty = on;
}

void SetOrvaRgnClip(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    _SetRectRgn(OrvaRgnClip, left, top, right, bottom);
    gClipState.dirty = false;
    OrvaResetClipCache();
}

void OrvaResetClipCache() {
    orvaClipCache.premLigneSeg = kRgnMaxCoord;
    orvaClipCache.derLigneSeg = kRgnMaxCoord;
    orvaClipCache.posRgnClip = 0;
    if (orvaClipCache.seglist_clip) orvaClipCache.seglist_clip[0] = kRgnEnd;
}

void GetCPixel(SInt16 h, SInt16 v, RGBColor *rgb) {
    if (!rgb) return;
    rgb->red = rgb->green = rgb->blue = 0xFFFF;
    GrafPtr port = qd.thePort;
    OrvaRecalculeRgnClip();
    if (!port || !OrvaRgnClip || !video.getPixel) return;
    Point pt = {SInt16(v - port->portBits.bounds.top), SInt16(h - port->portBits.bounds.left)};
    if (_PtInRect(pt, &(*OrvaRgnClip)->rgnBBox)) video.getPixel(pt.h, pt.v, rgb);
}

GDHandle GetGDevice() {
    if (!TheGraphicDevice) TheGraphicDevice = (GDHandle)NewHandleClear(sizeof(GDevice));
    if (!TheGraphicDevice) return nullptr;
    GDevice *device = *TheGraphicDevice;
    if (!device->gdPMap) {
        PixMapHandle map = (PixMapHandle)NewHandleClear(sizeof(PixMap));
        CTabHandle table = (CTabHandle)NewHandleClear(sizeof(ColorTable));
        if (!map || !table) {
            if (map) DisposHandle((Handle)map);
            if (table) DisposHandle((Handle)table);
            return TheGraphicDevice;
        }
        (*map)->hRes = (*map)->vRes = kDeviceDpi;
        (*map)->pixelSize = kDevicePixelSize;
        (*map)->pmTable = table;
        device = *TheGraphicDevice;
        device->gdPMap = map;
    }
    Rect screen = qd.screenBits.bounds;
    screen.top = OffsetYMBar;
    (*device->gdPMap)->bounds = screen;
    device->gdRect = screen;
    return TheGraphicDevice;
}

Boolean OrvaIsColorPort(GrafPtr port) { return port && port->colrBit != 0; }

Boolean OrvaIsOffscreen(const BitMap *bits) { return bits && bits->baseAddr == kPortPixelsMarker; }

Ptr OrvaGetPtrDataOffscreen(const BitMap *bits) {
    if (!bits) return nullptr;
    if (!OrvaIsOffscreen(bits)) return bits->baseAddr;
    // A marked bitmap is always the portBits of a port.
    const GrafPort *port = (const GrafPort *)((const char *)bits - offsetof(GrafPort, portBits));
    return port->effectiveBase;
}

SInt32 OrvaBytesPerPixel(const GrafPort *port) { return port->depth == 24 ? 4 : port->depth / 8; }

void OrvaCollecteErreur(const char *message) {
    if (!message) return;
    if (!gGrafStart.collected) gGrafStart.collected = NewHandle(0);
    if (!gGrafStart.collected) return;
    PtrAndHand(message, gGrafStart.collected, SInt32(std::strlen(message)));
    PtrAndHand("\r\n", gGrafStart.collected, 2);
}

void OrvaFlushCollectedErrors() {
    Handle text = gGrafStart.collected;
    if (!text) return;
    gGrafStart.collected = nullptr;
    PtrAndHand("", text, 1);
    if (MemError() == noErr && GetHandleSize(text) > 1) OrvaErreur(*text);
    DisposHandle(text);
}

// The frame template: what every new port starts from until the window layer sizes the frame.
static void InitFrameTemplate() {
    GrafPort &t = OrvaFrameGrafPort;
    std::memset(&t, 0, sizeof t);
    _SetRect(&t.portRect, 0, 0, 1, 1);
    t.portBits.baseAddr = kPortPixelsMarker;
    t.portBits.bounds = t.portRect;
    t.visRgn = NewRgn();
    RectRgn(t.visRgn, &t.portRect);
    t.clipRgn = NewRgn();
    RectRgn(t.clipRgn, &kTemplateClip);
    t.bkPat = qd.white;
    t.fillPat = qd.black;
    t.pnPat = qd.black;
    t.pnSize.v = t.pnSize.h = 1;
    t.pnMode = kPatCopy;
    t.txMode = kSrcOr;
    t.fgColor = kColorBlack;
    t.bkColor = kColorWhite;
    t.rgbFgColor = {0, 0, 0};
    t.rgbBkColor = {0xFFFF, 0xFFFF, 0xFFFF};
    t.depth = 24;
}

static void FlushCollectedAtExit() { OrvaFlushCollectedErrors(); }

static SInt16 ClampCoord(SInt32 v) { return SInt16(v > 32767 ? 32767 : (v < -32768 ? -32768 : v)); }

// The transfer scenes. The copybits scene: a 120 x 90 source (a colour gradient under a black
// frame, a block of one-pixel stripes, a white disc and a red diagonal), whose top-left 40 x 30
// is enlarged four times (first row) and which is reduced to a third and to two thirds (second
// row), under the nearest, bilinear and averaging switches from left to right; then (last row)
// copied to 80 x 60 through an oval mask image, through a cross-shaped mask region, in the blend
// and transparent modes and from an 8-bit offscreen, and a 1-bit bitmap coloured by a red fore
// colour.
#include "transfer_scenes.h"

#include <cstring>
#include <string>
#include <unistd.h>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/pixel_patterns.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/resource_files.h"
#include "shape_scenes.h"

namespace {

enum : SInt16 { kSourceWidth = 120, kSourceHeight = 90, kShapesWidth = 800, kShapesHeight = 600 };

const RGBColor kBlack = {0, 0, 0};
const RGBColor kRed = {0xFFFF, 0, 0};
const RGBColor kWhite = {0xFFFF, 0xFFFF, 0xFFFF};

// Opens resources/<name> of the build tree (beside tools/, where qdscene runs from).
bool OpenBuildResources(const char *name) {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return false;
    std::string path(self, size_t(n));
    path = path.substr(0, path.rfind('/'));
    path = path.substr(0, path.rfind('/')) + "/resources/" + name;
    return OpenResFile(path.c_str()) > 0;
}

// The 120 x 90 source.
GrafPtr MakeSource() {
    GrafPtr saved = qd.thePort;
    GrafPtr src = OrvaCreatePortOffscreen(kSourceWidth, kSourceHeight, 24);
    if (!src) return nullptr;
    for (SInt32 y = 0; y < kSourceHeight; y++)
        for (SInt32 x = 0; x < kSourceWidth; x++) {
            UInt32 pixel = UInt32(x * 2) << 16 | UInt32(y * 2) << 8 | UInt32(255 - x * 2);
            if (x >= 70 && y >= 50 && x < 110 && y < 80) pixel = ((x + (y >= 65 ? 0 : y)) & 1) ? 0 : 0xFFFFFF;
            OrvaFillSurfaceRect(src, x, y, x, y, pixel);
        }
    SetPort(src);
    Rect frame = {0, 0, kSourceHeight, kSourceWidth}, disc = {6, 14, 44, 52};
    _FrameRect(&frame);
    EraseOval(&disc);
    RGBForeColor(&kRed);
    PenSize(2, 2);
    _MoveTo(2, 2);
    _LineTo(110, 84);
    PenNormal();
    RGBForeColor(&kBlack);
    SetPort(saved);
    return src;
}

void Copy(GrafPtr src, const Rect &from, const Rect &to, SInt16 mode) {
    CopyBits(&src->portBits, &qd.thePort->portBits, &from, &to, mode, nullptr);
}

}  // namespace

void DrawCopyBitsScene(GrafPtr port) {
    OpenBuildResources("OrvaTests.rsr");
    OrvaInitColorManager();
    GrafPtr src = MakeSource();
    if (!src) return;
    const Rect whole = {0, 0, kSourceHeight, kSourceWidth}, corner = {0, 0, 30, 40};
    const Boolean switches[3][2] = {{false, false}, {false, true}, {true, true}};
    for (SInt16 k = 0; k < 3; k++) {
        OrvaSetCopybitAntialias(switches[k][0], switches[k][1]);
        SInt16 x = SInt16(10 + 210 * k);
        Rect big = {10, x, 130, SInt16(x + 160)};
        Copy(src, corner, big, srcCopy);
        Rect third = {140, x, 170, SInt16(x + 40)}, twoThirds = {140, SInt16(x + 50), 200, SInt16(x + 130)};
        Copy(src, whole, third, srcCopy);
        Copy(src, whole, twoThirds, srcCopy);
    }
    OrvaSetCopybitAntialias(false, true);
    GrafPtr mask = OrvaCreatePortOffscreen(kSourceWidth, kSourceHeight, 24);
    if (mask) {
        OrvaFillSurfaceRect(mask, 0, 0, kSourceWidth - 1, kSourceHeight - 1, 0xFFFFFF);
        GrafPtr saved = qd.thePort;
        SetPort(mask);
        Rect oval = {6, 12, 84, 108}, inner = {24, 30, 66, 90};
        PaintOval(&oval);
        RGBColor gray = {0x8000, 0x8000, 0x8000};
        RGBForeColor(&gray);
        PaintOval(&inner);
        SetPort(saved);
        Rect to = {220, 10, 280, 90};
        CopyMask(&src->portBits, &mask->portBits, &port->portBits, &whole, &whole, &to);
        OrvaClosePortOffscreen(mask);
    }
    RgnHandle cross = NewRgn(), bar = NewRgn();
    _SetRectRgn(cross, 130, 220, 150, 280);
    _SetRectRgn(bar, 100, 240, 180, 260);
    _UnionRgn(cross, bar, cross);
    Rect to = {220, 100, 280, 180};
    CopyBits(&src->portBits, &port->portBits, &whole, &to, srcCopy, cross);
    DisposeRgn(cross);
    DisposeRgn(bar);
    RGBColor quarter = {0x4000, 0xC000, 0x8000};
    OpColor(&quarter);
    Rect blendTo = {220, 190, 280, 270};
    PaintRect(&blendTo);
    Copy(src, whole, blendTo, blend);
    Rect transparentTo = {220, 280, 280, 360};
    RGBColor green = {0, 0x8000, 0};
    RGBForeColor(&green);
    PaintRect(&transparentTo);
    RGBForeColor(&kBlack);
    Copy(src, whole, transparentTo, transparent);
    GrafPtr indexed = OrvaCreatePortOffscreen(kSourceWidth, kSourceHeight, 8);
    if (indexed) {
        GrafPtr saved = qd.thePort;
        SetPort(indexed);
        Copy(src, whole, whole, srcCopy);
        SetPort(saved);
        Rect indexedTo = {220, 370, 280, 450};
        Copy(indexed, whole, indexedTo, srcCopy);
        OrvaClosePortOffscreen(indexed);
    }
    // A 16 x 16 bitmap of a checked diamond, drawn red on white.
    UInt8 bits[32];
    for (SInt32 y = 0; y < 16; y++) {
        UInt16 row = 0;
        for (SInt32 x = 0; x < 16; x++)
            if ((x > 7 ? x - 8 : 7 - x) + (y > 7 ? y - 8 : 7 - y) < 8 && ((x ^ y) & 2)) row |= UInt16(0x8000 >> x);
        bits[2 * y] = UInt8(row >> 8);
        bits[2 * y + 1] = UInt8(row);
    }
    BitMap bitmap = {(Ptr)bits, 2, {0, 0, 16, 16}};
    Rect bitmapFrom = {0, 0, 16, 16}, bitmapTo = {220, 460, 284, 524};
    RGBForeColor(&kRed);
    CopyBits(&bitmap, &port->portBits, &bitmapFrom, &bitmapTo, srcCopy, nullptr);
    RGBForeColor(&kBlack);
    RGBBackColor(&kWhite);
    OrvaClosePortOffscreen(src);
}

void DrawPixPatScene(GrafPtr) {
    if (!OpenBuildResources("OrvaTransferTests.rsr")) return;
    PixPatHandle diagonal = GetPixPat(128), odd = GetPixPat(129);
    Rect small = {3, 3, 20, 20}, wide = {30, 40, 90, 140};
    OrvaPaintRectPixPat(&small, diagonal);
    OrvaPaintRectPixPat(&wide, diagonal);
    // The 5 x 3 tile as the pen of an oval.
    Rect oval = {3, 30, 27, 150};
    PenPixPat(odd);
    PaintOval(&oval);
    PenNormal();
    DisposePixPat(diagonal);
    DisposePixPat(odd);
}

// The shapes scene drawn into an offscreen of depth (1: 256 gray) and copied to the port.
static void DrawShapesOffscreen(GrafPtr port, SInt16 depth) {
    if (!OpenBuildResources("OrvaTests.rsr")) return;
    OrvaInitColorManager();
    GrafPtr off = OrvaCreatePortOffscreen(kShapesWidth, kShapesHeight, depth);
    if (!off) return;
    SetPort(off);
    Rect all = {0, 0, kShapesHeight, kShapesWidth};
    EraseRect(&all);
    DrawShapesScene(off);
    SetPort(port);
    CopyBits(&off->portBits, &port->portBits, &all, &all, srcCopy, nullptr);
    OrvaClosePortOffscreen(off);
}

void DrawShapes8Scene(GrafPtr port) { DrawShapesOffscreen(port, 8); }

void DrawShapesGrayScene(GrafPtr port) { DrawShapesOffscreen(port, 1); }

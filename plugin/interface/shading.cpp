// Shaded fills, relief frames, pattern fills, icons and soft shadows.
#include "plugin/interface/shading.h"

#include <cstring>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/pixel_patterns.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "plugin/instance.h"
#include "plugin/interface/port_pixels.h"
#include "plugin/interface/themes.h"
#include "plugin/startup.h"
#include "toolbox/color_icons.h"

namespace {

const UInt16 kBevelGrey = 65280;      // the light inner line of a bevel
const double kLowerDarkening = 0.3;   // the bottom of a gradient reaches 70 % of its colour
const SInt16 kReliefPressed = 247, kReliefRaised = 252;
const SInt16 kReliefLight = 255, kReliefDark = 251, kReliefLighter = 246, kReliefDarker = 249;
const SInt32 kKernelSide = 5;         // the blur's neighbourhood, corners weighing 0
const SInt32 kKernelWeight = 10;
const SInt32 kPaddedBorder = kKernelSide / 2;
const UInt32 kReciprocalShift = 40;
const RGBColor kPureRed = {65535, 0, 0};  // the ground of a tinted icon
const RGBColor kBlack = {0, 0, 0};
const RGBColor kWhite = {65535, 65535, 65535};

// The colours of the current port, given back when a routine ends.
struct SavedColours {
    RGBColor fore, back;
};
SavedColours SaveColours() {
    SavedColours saved;
    GetForeColor(&saved.fore);
    GetBackColor(&saved.back);
    return saved;
}
void RestoreColours(const SavedColours &saved) {
    RGBForeColor(&saved.fore);
    RGBBackColor(&saved.back);
}

UInt16 Component(double value) { return UInt16(value < 0 ? 0 : value > 65535 ? 65535 : value); }
RGBColor Scaled(const RGBColor &c, double k) {
    return RGBColor{Component(c.red * k), Component(c.green * k), Component(c.blue * k)};
}

// The ramp of a gradient's row: 1 - 2 x / height, squared once past 10 rows and again past 20.
double Ramp(SInt32 x, SInt32 height) {
    double f = 1.0 - 2.0 * x / height;
    if (height > 10) f *= f;
    if (height > 20) f *= f;
    return f;
}

void Ligne(const RGBColor &colour, SInt16 h0, SInt16 v0, SInt16 h1, SInt16 v1) {
    RGBForeColor(&colour);
    _MoveTo(h0, v0);
    _LineTo(h1, v1);
}

SInt16 Clamp0To100(SInt16 value) { return SInt16(value < 0 ? 0 : value > 100 ? 100 : value); }

}  // namespace

static void FlouPasse(SInt32 *padded, SInt32 width, SInt32 height, SInt32 centre, SInt32 divisor);
static void PeintOmbre(const UInt8 *mask, SInt32 width, SInt32 height, SInt16 x, SInt16 y);
static void TeinteImage(GrafPtr image, Boolean additive, SInt16 red, SInt16 green, SInt16 blue);
static void PlotCicnShadow(CIconHandle icon, SInt16 left, SInt16 top, SInt16 softness, SInt16 opacity, SInt16 dx,
                           SInt16 dy);
static void PlotIcone(const Rect *rect, CIconHandle icon);

void PlugSetPaintColor(const RGBColor *colour) {
    PenPat(&qd.black);
    RGBForeColor(colour);
    PlugBackWhite();
}

void PlugResetPaintColors() {
    PenPat(&qd.black);
    PlugForeBlack();
    PlugBackWhite();
}

void PlugForeBlack() { RGBForeColor(&kBlack); }
void PlugBackWhite() { RGBBackColor(&kWhite); }

void PlugFillRectShadow(const Rect *rect, const RGBColor *colour) {
    if (!rect || !colour || EmptyRect(rect)) return;
    SavedColours saved = SaveColours();
    PenState pen;
    GetPenState(&pen);
    PenNormal();
    const RGBColor c = *colour;
    SInt32 top = rect->top + 2, height = SInt32(rect->bottom) - 2 - top, half = height / 2;
    double k = 1.0;
    for (SInt32 i = 0; i < height; i++) {
        RGBColor row;
        if (i < half) {
            k = 1.0 - Ramp(i, height);
            row = RGBColor{Component(65535 - k * (65535 - c.red)), Component(65535 - k * (65535 - c.green)),
                           Component(65535 - k * (65535 - c.blue))};
        } else {
            k = (1.0 - Ramp(height - i, height)) * kLowerDarkening + (1.0 - kLowerDarkening);
            row = Scaled(c, k);
        }
        Ligne(row, rect->left, SInt16(top + i), SInt16(rect->right - 1), SInt16(top + i));
    }
    SInt16 t = rect->top, l = rect->left, b = rect->bottom, r = rect->right;
    const RGBColor grey = {kBevelGrey, kBevelGrey, kBevelGrey};
    Ligne(Scaled(c, 0.5), l, SInt16(b - 1), l, t);
    _LineTo(SInt16(r - 1), t);
    Ligne(c, SInt16(l + 1), SInt16(b - 2), SInt16(l + 1), SInt16(t + 1));
    _LineTo(SInt16(r - 1), SInt16(t + 1));
    Ligne(grey, SInt16(l + 2), SInt16(b - 3), SInt16(l + 2), SInt16(t + 2));
    _LineTo(SInt16(r - 1), SInt16(t + 2));
    Ligne(Scaled(c, k / 1.7), SInt16(l + 1), SInt16(b - 1), SInt16(r - 1), SInt16(b - 1));
    _LineTo(SInt16(r - 1), SInt16(t + 1));
    Ligne(Scaled(c, k / 1.2), SInt16(l + 2), SInt16(b - 2), SInt16(r - 2), SInt16(b - 2));
    _LineTo(SInt16(r - 2), SInt16(t + 2));
    Ligne(Scaled(c, k), SInt16(l + 3), SInt16(b - 3), SInt16(r - 3), SInt16(b - 3));
    _LineTo(SInt16(r - 3), SInt16(t + 3));
    SetPenState(&pen);
    RestoreColours(saved);
}

void PlugFillRectLook(const PlugInInstance *instance, const Rect *rect, const RGBColor *colour1,
                      const RGBColor *colour2) {
    if (!instance || !rect || EmptyRect(rect)) return;
    if (PlugInLook(instance->look)->shaded) {
        PlugFillRectShadow(rect, colour1);
        return;
    }
    SavedColours saved = SaveColours();
    PenState pen;
    GetPenState(&pen);
    PenNormal();
    RGBForeColor(colour1);
    PaintRect(rect);
    for (SInt32 y = rect->top + 1; y < rect->bottom; y += 3)
        Ligne(*colour2, rect->left, SInt16(y), SInt16(rect->right - 1), SInt16(y));
    SetPenState(&pen);
    RestoreColours(saved);
}

void PlugTraceCadreRelief(const Rect *rect, Boolean pressed) {
    if (!rect) return;
    SInt16 l = rect->left, b = rect->bottom;
    SInt16 w = SInt16(rect->right - 1 - l), h = SInt16(b - 1 - rect->top);
    PenSize(1, 1);
    RGBColor colour;
    Index2Color(pressed ? kReliefPressed : kReliefRaised, &colour);
    RGBBackColor(&colour);
    Rect inside = *rect;
    InsetRect(&inside, 2, 2);
    EraseRect(&inside);
    PlugBackWhite();
    const struct {
        SInt16 index, move, dv, dh;
    } strokes[] = {{kReliefLight, 0, SInt16(-h), w}, {kReliefDark, 1, SInt16(h - 1), SInt16(-(w - 1))},
                   {kReliefLighter, -1, SInt16(-(h - 2)), SInt16(w - 2)}, {kReliefDarker, 1, SInt16(h - 3), SInt16(-(w - 3))}};
    _MoveTo(l, SInt16(b - 1));
    for (const auto &stroke : strokes) {
        Index2Color(stroke.index, &colour);
        RGBForeColor(&colour);
        Move(0, stroke.move);
        Line(0, stroke.dv);
        Line(stroke.dh, 0);
    }
    PlugForeBlack();
}

void RemplitRectWithPattern(const Rect *rect, SInt16 patternId) {
    PixPatHandle pattern = rect ? GetPixPat(patternId) : nullptr;
    if (!pattern) return;
    PenPixPat(pattern);
    PenMode(8);
    PaintRect(rect);
    PenPat(&qd.black);
    DisposePixPat(pattern);
}

void DrawIconInAire(SInt16 iconId, const Rect *rect) {
    SInt16 saved = CurResFile();
    if (resFilePlugIn >= 0) UseResFile(resFilePlugIn);
    CIconHandle icon = GetCIcon(iconId);
    if (icon && rect) PlotIcone(rect, icon);
    DisposCIcon(icon);
    UseResFile(saved);
}

void DrawIconInAireWithShadow(SInt16 iconId, SInt16 size, Boolean additive, const Rect *rect, SInt16 softness,
                              SInt16 opacity, SInt16 dx, SInt16 dy, SInt16 red, SInt16 green, SInt16 blue) {
    if (!rect) return;
    SInt16 saved = CurResFile();
    if (resFilePlugIn >= 0) UseResFile(resFilePlugIn);
    CIconHandle icon = GetCIcon(iconId);
    if (icon) {
        PlotCicnShadow(icon, rect->left, rect->top, softness, opacity, dx, dy);
        if (red == 0 && green == 0 && blue == 0) PlotIcone(rect, icon);
        else if (size > 0) {
            GrafPtr port = qd.thePort;
            GrafPtr image = OrvaCreatePortOffscreen(size, size, 24);
            if (image) {
                Rect ground = {0, 0, size, size};
                SavedColours colours = SaveColours();
                SetPort(image);
                RGBForeColor(&kPureRed);
                PaintRect(&ground);
                PlotIcone(&ground, icon);
                SetPort(port);
                TeinteImage(image, additive, red, green, blue);
                Rect target = {rect->top, rect->left, SInt16(rect->top + size), SInt16(rect->left + size)};
                PlugForeBlack();
                RGBBackColor(&kPureRed);
                CopyBits(&image->portBits, &port->portBits, &ground, &target, transparent, nullptr);
                RestoreColours(colours);
                OrvaClosePortOffscreen(image);
            }
        }
    }
    DisposCIcon(icon);
    UseResFile(saved);
}

void PlotRectShadow(const Rect *rect, SInt16 dx, SInt16 dy, SInt16 softness, SInt16 opacity) {
    if (!rect || EmptyRect(rect)) return;
    SInt32 w = rect->right - rect->left, h = rect->bottom - rect->top;
    SInt32 mw = w + 2 * kShadowMargin, mh = h + 2 * kShadowMargin;
    if (mw > kShadowMaxSide || mh > kShadowMaxSide) return;
    UInt8 *mask = reinterpret_cast<UInt8 *>(NewPtr(UInt32(mw * mh)));
    if (!mask) return;
    for (SInt32 y = 0; y < mh; y++)
        for (SInt32 x = 0; x < mw; x++)
            mask[y * mw + x] = (x >= kShadowMargin && x < kShadowMargin + w && y >= kShadowMargin && y < kShadowMargin + h) ? 0 : 255;
    PlugDrawSoftShadow(mask, mw, mh, SInt16(rect->left + dx - kShadowMargin), SInt16(rect->top + dy - kShadowMargin),
                       softness, opacity);
    DisposPtr(reinterpret_cast<Ptr>(mask));
}

void PlugBlurShadowMask(UInt8 *mask, SInt32 width, SInt32 height, SInt16 softness, SInt16 opacity) {
    if (!mask || width < 1 || height < 1) return;
    softness = Clamp0To100(softness);
    opacity = Clamp0To100(opacity);
    SInt32 centre = 300 - 3 * softness, divisor = centre + (kKernelSide * kKernelSide - 5) * kKernelWeight;
    SInt32 pw = width + 2 * kPaddedBorder, ph = height + 2 * kPaddedBorder;
    std::vector<SInt32> padded(size_t(pw) * size_t(ph), 255);
    for (SInt32 y = 0; y < height; y++)
        for (SInt32 x = 0; x < width; x++) padded[size_t(y + kPaddedBorder) * pw + x + kPaddedBorder] = mask[y * width + x];
    for (int pass = 0; pass < 2; pass++) FlouPasse(padded.data(), width, height, centre, divisor);
    SInt32 a = (25500 - 255 * opacity) / 100;
    for (SInt32 y = 0; y < height; y++)
        for (SInt32 x = 0; x < width; x++) {
            SInt32 p = padded[size_t(y + kPaddedBorder) * pw + x + kPaddedBorder];
            mask[y * width + x] = UInt8(p * (255 - a) / 255 + a);
        }
}

void PlugDrawSoftShadow(UInt8 *mask, SInt32 width, SInt32 height, SInt16 x, SInt16 y, SInt16 softness,
                        SInt16 opacity) {
    if (!mask || width < 1 || height < 1 || width > kShadowMaxSide || height > kShadowMaxSide) return;
    PlugBlurShadowMask(mask, width, height, softness, opacity);
    PeintOmbre(mask, width, height, x, y);
}

// One in-place pass of the blur over the padded mask: each pixel in turn, rows top to bottom,
// becomes its neighbourhood's weighted sum, so later pixels see the blurred earlier ones. The
// border of kPaddedBorder stays 255: neighbours outside the mask count as empty. The rows
// above and below a pixel's row do not change while the row is worked, so their part of the
// neighbourhood is a running sum over column sums; the row's own neighbours are read as they
// stand.
static void FlouPasse(SInt32 *padded, SInt32 width, SInt32 height, SInt32 centre, SInt32 divisor) {
    SInt32 pw = width + 2 * kPaddedBorder;
    // Sums stay below 2^17 (255 times the weights) and the divisor below 2^9: a multiply by
    // 2^40 / divisor, rounded up, and a shift give the quotient exactly.
    const UInt64 reciprocal = ((UInt64(1) << kReciprocalShift) + UInt64(divisor) - 1) / UInt64(divisor);
    std::vector<SInt32> columns(size_t(pw), 0);
    for (SInt32 y = 0; y < height; y++) {
        SInt32 *row = padded + size_t(y + kPaddedBorder) * pw;
        const SInt32 *above2 = row - 2 * pw, *above1 = row - pw, *below1 = row + pw, *below2 = row + 2 * pw;
        for (SInt32 x = 0; x < pw; x++) columns[size_t(x)] = above2[x] + above1[x] + below1[x] + below2[x];
        // The window of five columns round the first pixel, less the last one it will add.
        SInt32 window = columns[0] + columns[1] + columns[2] + columns[3];
        for (SInt32 x = kPaddedBorder; x < width + kPaddedBorder; x++) {
            window += columns[size_t(x + 2)];
            SInt32 corners = above2[x - 2] + above2[x + 2] + below2[x - 2] + below2[x + 2];
            SInt32 ring = window - corners + row[x - 2] + row[x - 1] + row[x + 1] + row[x + 2];
            row[x] = SInt32((UInt64(ring * kKernelWeight + row[x] * centre) * reciprocal) >> kReciprocalShift);
            window -= columns[size_t(x - 2)];
        }
    }
}

// Black through the grey mask onto the current port at (x, y).
static void PeintOmbre(const UInt8 *mask, SInt32 width, SInt32 height, SInt16 x, SInt16 y) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    GrafPtr grey = OrvaCreatePortOffscreen(SInt16(width), SInt16(height), 24);
    GrafPtr black = OrvaCreatePortOffscreen(SInt16(width), SInt16(height), 24);
    PlugPixels levels, ink;
    if (grey && black && PlugBeginPixels(grey, &levels) && PlugBeginPixels(black, &ink)) {
        for (SInt32 row = 0; row < height; row++) {
            UInt8 *level = PlugPixelAt(levels, 0, row), *dark = PlugPixelAt(ink, 0, row);
            for (SInt32 column = 0; column < width; column++, level += 4, dark += 4) {
                level[0] = level[1] = level[2] = mask[row * width + column];
                dark[0] = dark[1] = dark[2] = 0;
            }
        }
        PlugEndPixels(grey, nullptr);
        PlugEndPixels(black, nullptr);
        Rect source = {0, 0, SInt16(height), SInt16(width)};
        Rect target = {y, x, SInt16(y + height), SInt16(x + width)};
        SavedColours colours = SaveColours();
        PlugForeBlack();
        PlugBackWhite();
        CopyDeepMask(&black->portBits, &grey->portBits, &port->portBits, &source, &source, &target, srcCopy, nullptr);
        RestoreColours(colours);
    }
    OrvaClosePortOffscreen(grey);
    OrvaClosePortOffscreen(black);
}

// Every pixel of the image that is not pure red takes the tint.
static void TeinteImage(GrafPtr image, Boolean additive, SInt16 red, SInt16 green, SInt16 blue) {
    PlugPixels pixels;
    if (!PlugBeginPixels(image, &pixels)) return;
    const SInt32 tint[3] = {blue, green, red};
    for (SInt32 y = pixels.bounds.top; y < pixels.bounds.bottom; y++) {
        UInt8 *p = PlugPixelAt(pixels, pixels.bounds.left, y);
        for (SInt32 x = pixels.bounds.left; x < pixels.bounds.right; x++, p += 4) {
            if (p[0] == 0 && p[1] == 0 && p[2] == 255) continue;
            for (int c = 0; c < 3; c++) {
                SInt32 v = additive ? p[c] + tint[c] : tint[c];
                p[c] = UInt8(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    }
    PlugEndPixels(image, nullptr);
}

// The icon's mask, blurred, under the icon at (left + dx, top + dy).
static void PlotCicnShadow(CIconHandle icon, SInt16 left, SInt16 top, SInt16 softness, SInt16 opacity, SInt16 dx,
                           SInt16 dy) {
    const BitMap bits = (*icon)->iconMask;  // a copy: the icon is a handle
    SInt32 w = bits.bounds.right - bits.bounds.left, h = bits.bounds.bottom - bits.bounds.top;
    SInt32 rowBytes = bits.rowBytes & 0x7FFF;
    SInt32 mw = w + 2 * kShadowMargin, mh = h + 2 * kShadowMargin;
    if (w < 1 || h < 1 || !bits.baseAddr || rowBytes * 8 < w || mw > kShadowMaxSide || mh > kShadowMaxSide) return;
    UInt8 *mask = reinterpret_cast<UInt8 *>(NewPtr(UInt32(mw * mh)));
    if (!mask) return;
    std::memset(mask, 255, size_t(mw * mh));
    // Bits are read most significant first; a set bit is under the icon.
    const UInt8 *rows = reinterpret_cast<const UInt8 *>(bits.baseAddr);
    for (SInt32 y = 0; y < h; y++)
        for (SInt32 x = 0; x < w; x++)
            if (rows[y * rowBytes + x / 8] & (0x80 >> (x % 8))) mask[(y + kShadowMargin) * mw + x + kShadowMargin] = 0;
    PlugDrawSoftShadow(mask, mw, mh, SInt16(left + dx - kShadowMargin), SInt16(top + dy - kShadowMargin), softness,
                       opacity);
    DisposPtr(reinterpret_cast<Ptr>(mask));
}

// The icon drawn with its own colours: black on white in force meanwhile.
static void PlotIcone(const Rect *rect, CIconHandle icon) {
    SavedColours colours = SaveColours();
    PlugForeBlack();
    PlugBackWhite();
    PlotCIcon(rect, icon);
    RestoreColours(colours);
}

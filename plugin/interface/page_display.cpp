// Page pictures played into the display area.
//
// The page pictures the page layout records erase their paper in white. The paper of the screen
// has colours of its own (the current page, its partner, the inverted video), so a page is
// played on white and then multiplied by its paper's colour: white becomes the paper, black
// stays black, and anti-aliased edges keep their share of each. The page marker, which lies
// under the music, is applied the same way.
#include "plugin/interface/page_display.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/text/utf_text.h"
#include "layout/drawing_kit.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/drawing.h"
#include "plugin/interface/port_pixels.h"
#include "plugin/interface/scroll_bars.h"
#include "plugin/interface/shading.h"

namespace {

const RGBColor kPartnerPaper = {60928, 60928, 56576};
const RGBColor kPartnerPaperInverted = {57344, 57344, 57344};
const RGBColor kWhite = {65535, 65535, 65535};
const RGBColor kMarkerGrey = {61440, 61440, 61440};
const UInt16 kRingGreySideBySide = 24576, kRingGreyStacked = 32768, kWireGrey = 53248;
const SInt16 kSmoothCopy = 64;      // scaled copy with smoothing
const float kMarkerRows = 40.0f;    // the page marker's unit is the visible height over this

UInt32 gSupersampleBudget = 0;      // 0: kSupersampleBudget; main thread

SInt16 Pixel(float value) {
    return SInt16(value < -32767.0f ? -32767 : value > 32767.0f ? 32767 : SInt32(value));  // toward zero
}

// One polygon of the page marker, in pixels of the offscreen image.
struct Marker {
    std::vector<float> x, y;
};

}  // namespace

static Boolean IsCoteCourant(const PlugInInstance *instance, SInt16 side);
static void PeintPapier(const PlugInInstance *instance, const Rect *paper, const RGBColor &colour);
static void JouePlat(PicHandle picture, const Rect &page, const Rect &display, const RGBColor &paper);
static Boolean JoueHorsEcran(PlugInInstance *instance, PicHandle picture, const PlugPageGeometry &g, SInt16 factor,
                             const RGBColor &paper, Boolean marked, SInt16 side, Boolean singleAtEnd);
static void ConstruitMarqueur(const Rect &visible, SInt16 side, Boolean singleAtEnd, Marker *marker);
static void Multiplie(GrafPtr port, const Rect &area, const RGBColor &paper, const Marker *marker);
static Boolean DansMarqueur(const Marker &marker, float x, float y);
static void TraceReliure(const PlugInInstance *instance, const PlugPageGeometry &g, SInt16 side);

Boolean PlugGeometriePage(PlugInInstance *instance, SInt16 side, PlugPageGeometry *g) {
    *g = PlugPageGeometry{};
    Rect display;
    PlugInCalculeAireAffichage(instance, &display);
    InsetRect(&display, 1, 1);
    g->display = display;
    float dw = float(display.right - display.left), dh = float(display.bottom - display.top);
    if (dw - kPageAreaBorder <= 0 || dh - kPageAreaBorder <= 0) return kFalse;
    SInt16 turns = PlugInQuarterTurns(instance);
    Rect frame;
    PlugCadrePage(instance, &frame);
    g->frameWidth = float(frame.right - frame.left);
    g->frameHeight = float(frame.bottom - frame.top);
    if (turns % 2) std::swap(g->frameWidth, g->frameHeight);
    Boolean two = instance->twoPages != 0;
    float pw = dw, ph = dh;
    g->ratio = 1.0f;
    if (instance->keepRatio) {
        float rw = g->frameWidth / (dw - kPageAreaBorder), rh = g->frameHeight / (dh - kPageAreaBorder);
        if (two) (turns % 2 ? rh : rw) *= 2.0f;
        g->ratio = 1.0f / std::max(rw, rh);
        pw = float(SInt32(g->frameWidth * g->ratio));
        ph = float(SInt32(g->frameHeight * g->ratio));
    }
    pw = std::max(pw, float(kMinPagePixels));
    ph = std::max(ph, float(kMinPagePixels));
    float m = float(PlugInPaperMargin(instance)), zoom = instance->zoom;
    if (instance->zoomMode == 1) zoom = (dw - 2 * m - kPageAreaBorder) / pw;
    else if (instance->zoomMode == 2) {
        float across = dw - 2 * m - kPageAreaBorder, down = dh - 2 * m - kPageAreaBorder;
        if (!two) zoom = std::min(across / pw, down / ph);
        else if (turns % 2 == 0) zoom = std::min((dw - 4 * m - kPageAreaBorder) / (2 * pw), down / ph);
        else zoom = std::min(across / pw, (dh - 4 * m - kPageAreaBorder) / (2 * ph));
    }
    if (instance->zoomMode == 1 || instance->zoomMode == 2) {
        // A margin wider than the area leaves no room: the zoom in force is kept.
        if (std::isfinite(zoom) && zoom > 0) instance->zoom = zoom;
        instance->zoomMode = 3;
    }
    zoom = std::isfinite(instance->zoom) && instance->zoom > 0 ? instance->zoom : 1.0f;
    SInt32 width = std::max<SInt32>(SInt32(pw * zoom), kMinPagePixels);
    SInt32 height = std::max<SInt32>(SInt32(ph * zoom), kMinPagePixels);
    g->unit = g->ratio * 10.0f * zoom;
    g->gap = two ? SInt32(2 * m * g->unit) : 0;
    SInt32 x = 0, y = 0;
    if (two) {
        if ((turns == 0 && side == 2) || (turns == 2 && side == 1)) x = width + g->gap;
        if ((turns == 1 && side == 1) || (turns == 3 && side == 2)) y = height + g->gap;
    }
    g->contentWidth = two && turns % 2 == 0 ? 2 * width + g->gap : width;
    g->contentHeight = two && turns % 2 ? 2 * height + g->gap : height;
    SInt32 usableH = GetTailleUtileAscenseur(instance, kTrue), usableV = GetTailleUtileAscenseur(instance, kFalse);
    g->scrollH = usableH > 0 ? float(instance->scrollH) * float(g->contentWidth) / float(usableH) : 0.0f;
    g->scrollV = usableV > 0 ? float(instance->scrollV) * float(g->contentHeight) / float(usableV) : 0.0f;
    instance->pageFitsWhole = 1;
    instance->pageOffsetH = instance->pageOffsetV = 0;
    if (g->contentWidth >= SInt32(dw)) instance->pageFitsWhole = 0;
    else instance->pageOffsetH = SInt16((SInt32(dw) - g->contentWidth) / 2);
    if (g->contentHeight >= SInt32(dh)) instance->pageFitsWhole = 0;
    else instance->pageOffsetV = SInt16((SInt32(dh) - g->contentHeight) / 2);
    float left = float(x) - g->scrollH + display.left + instance->pageOffsetH;
    float top = float(y) - g->scrollV + display.top + instance->pageOffsetV;
    g->page = Rect{Pixel(top), Pixel(left), Pixel(top + float(height)), Pixel(left + float(width))};
    SInt32 margin = SInt32(m * g->unit);
    g->paper = Rect{Pixel(float(g->page.top - margin)), Pixel(float(g->page.left - margin)),
                    Pixel(float(g->page.bottom + margin)), Pixel(float(g->page.right + margin))};
    instance->scrollContent = Rect{0, 0, Pixel(float(g->contentHeight)), Pixel(float(g->contentWidth))};
    return kTrue;
}

void PlugDrawPagePicture(PlugInInstance *instance, PicHandle picture, SInt16 side, Rect *paperRect,
                         Boolean singleAtEnd) {
    *paperRect = Rect{0, 0, 0, 0};
    PlugPageGeometry g;
    if (!PlugGeometriePage(instance, side, &g)) return;
    Boolean current = IsCoteCourant(instance, side);
    RGBColor paper = instance->invertVideo ? (current ? kWhite : kPartnerPaperInverted)
                                           : (current ? instance->imgBkColor : kPartnerPaper);
    PeintPapier(instance, &g.paper, paper);
    Boolean marked = instance->twoPages && !instance->twoPagesNoBinding && instance->pageCount >= 2 && current;
    SInt16 turns = PlugInQuarterTurns(instance);
    Boolean played = kFalse;
    if (instance->antialias > 0 || turns != 0) {
        // Supersampling falls back to smaller images, then to the plain path.
        for (SInt16 factor = SInt16(instance->antialias >= 2 ? 3 : instance->antialias == 1 ? 2 : 1);
             factor >= 1 && !played; factor--)
            played = JoueHorsEcran(instance, picture, g, factor, paper, marked, side, singleAtEnd);
    }
    if (!played) JouePlat(picture, g.page, g.display, paper);
    if (instance->twoPages && !instance->twoPagesNoBinding && instance->pageCount >= 2) TraceReliure(instance, g, side);
    if (current) instance->pageScreenRect = g.page;
    Rect pictureFrame = {0, 0, Pixel(g.frameHeight), Pixel(g.frameWidth)};
    if (picture && *picture) {
        pictureFrame = (*picture)->picFrame;
        if (turns % 2) swaprect(&pictureFrame);
    }
    float fw = float(pictureFrame.right - pictureFrame.left), fh = float(pictureFrame.bottom - pictureFrame.top);
    instance->pageMapping[0] = fw > 0 ? float(g.page.right - g.page.left) / fw : 0.0f;
    instance->pageMapping[1] = fh > 0 ? float(g.page.bottom - g.page.top) / fh : 0.0f;
    instance->pageMapping[2] = g.scrollH;
    instance->pageMapping[3] = g.scrollV;
    *paperRect = g.paper;
}

Boolean PlugCvtPageEnEcran(const PlugInInstance *instance, float x, float y, Point *where) {
    const Rect &page = instance->pageScreenRect;
    PicHandle picture = instance->twoPages && PlugInCurrentPage(instance) % 2 == 0 ? instance->pictEven : instance->pictOdd;
    if (EmptyRect(&page) || !picture || !*picture) return kFalse;
    const Rect &f = (*picture)->picFrame;
    Rect frame = {0, 0, SInt16(f.bottom - f.top), SInt16(f.right - f.left)};
    Rect point = {Pixel(y), Pixel(x), Pixel(y), Pixel(x)};
    RotateRectRelatif(&point, &frame, PlugInQuarterTurns(instance));
    *where = Point{Pixel(page.top + point.top * instance->pageMapping[1]), Pixel(page.left + point.left * instance->pageMapping[0])};
    return kTrue;
}

void PlugCadrePage(const PlugInInstance *instance, Rect *frame) {
    *frame = instance->pagePictFrame;
    if (EmptyRect(frame)) *frame = Rect{0, 0, kDefaultFrameHeight, kDefaultFrameWidth};
}

void PlugSetSupersampleBudget(UInt32 pixels) { gSupersampleBudget = pixels; }

// The current page's side: single-page mode, or the side of the current page's parity.
static Boolean IsCoteCourant(const PlugInInstance *instance, SInt16 side) {
    Boolean even = PlugInCurrentPage(instance) % 2 == 0;
    return even ? side != 1 : side != 2;
}

static void PeintPapier(const PlugInInstance *instance, const Rect *paper, const RGBColor &colour) {
    if (instance->invertVideo) {
        RGBBackColor(&colour);
        EraseRect(paper);
        PlugBackWhite();
    } else {
        RGBForeColor(&colour);
        PaintRect(paper);
        PlugForeBlack();
    }
}

// The picture straight into the port at the page's place, on white, then given the paper's colour.
static void JouePlat(PicHandle picture, const Rect &page, const Rect &display, const RGBColor &paper) {
    RGBForeColor(&kWhite);
    PaintRect(&page);
    PlugForeBlack();
    PlugBackWhite();
    if (picture) DrawUTFPicture(picture, &page);
    Rect visible;
    if (SectRect(&page, &display, &visible)) Multiplie(qd.thePort, visible, paper, nullptr);
}

// The visible part of the page rendered factor times larger in an image of its own, turned by
// the quarter turns and brought down into the port with smoothing. False, with nothing drawn,
// when an image cannot be made (or would pass the budget).
static Boolean JoueHorsEcran(PlugInInstance *instance, PicHandle picture, const PlugPageGeometry &g, SInt16 factor,
                             const RGBColor &paper, Boolean marked, SInt16 side, Boolean singleAtEnd) {
    Rect visible;
    if (!SectRect(&g.page, &g.display, &visible)) return kTrue;
    SInt16 turns = PlugInQuarterTurns(instance);
    SInt32 vw = SInt32(visible.right - visible.left) * factor, vh = SInt32(visible.bottom - visible.top) * factor;
    UInt32 budget = gSupersampleBudget ? gSupersampleBudget : kSupersampleBudget;
    if (UInt64(vw) * UInt64(vh) > budget || vw > kOffscreenMaxSize || vh > kOffscreenMaxSize) return kFalse;
    // The page in the image's pixels before the turn: the visible part's corner at the origin,
    // scaled, then turned back.
    Rect shown = {0, 0, SInt16(vh), SInt16(vw)};
    Rect page = {SInt16((g.page.top - visible.top) * factor), SInt16((g.page.left - visible.left) * factor),
                 SInt16((g.page.bottom - visible.top) * factor), SInt16((g.page.right - visible.left) * factor)};
    if (SInt32(g.page.bottom - visible.top) * factor > 32767 || SInt32(g.page.right - visible.left) * factor > 32767 ||
        SInt32(g.page.top - visible.top) * factor < -32767 || SInt32(g.page.left - visible.left) * factor < -32767)
        return kFalse;
    RotateRectRelatif(&page, &shown, SInt16(4 - turns));
    Rect unturned = shown;
    if (turns % 2) swaprect(&unturned);
    GrafPtr port = qd.thePort;
    Offscreen image = OrvaCreatePortOffscreen(unturned.right, unturned.bottom, 24);
    if (!image) return kFalse;
    SetPort(image);
    RGBForeColor(&kWhite);
    PaintRect(&unturned);
    PlugForeBlack();
    PlugBackWhite();
    if (picture) DrawUTFPicture(picture, &page);
    Marker marker;
    if (marked) ConstruitMarqueur(unturned, side, singleAtEnd, &marker);
    Multiplie(image, unturned, paper, marked ? &marker : nullptr);
    SetPort(port);
    if (turns) {
        Offscreen turned = RotateOffscreen(image, turns);
        OrvaClosePortOffscreen(image);
        if (!turned) return kFalse;
        image = turned;
    }
    PlugForeBlack();
    PlugBackWhite();
    CopyBits(&image->portBits, &port->portBits, &shown, &visible, kSmoothCopy, nullptr);
    OrvaClosePortOffscreen(image);
    return kTrue;
}

// The page marker of the current side, in the image's pixels: a cross on the free side of the
// last page, else an arrow to the next page (side 1) or back to the previous one.
static void ConstruitMarqueur(const Rect &visible, SInt16 side, Boolean singleAtEnd, Marker *marker) {
    float e = float(visible.bottom - visible.top) / kMarkerRows;
    struct Step {
        float dx, dy;
    };
    static const Step kCross[] = {{2, 2}, {2, -2}, {1, 1}, {-2, 2}, {2, 2}, {-1, 1},
                                  {-2, -2}, {-2, 2}, {-1, -1}, {2, -2}, {-2, -2}, {1, -1}};
    static const Step kRight[] = {{3, 0}, {0, -1}, {2, 1.5f}, {-2, 1.5f}, {0, -1}, {-3, 0}, {0, -1}};
    static const Step kLeft[] = {{2, -1.5f}, {0, 1}, {3, 0}, {0, 1}, {-3, 0}, {0, 1}, {-2, -1.5f}};
    const Step *steps = kLeft;
    size_t count = sizeof kLeft / sizeof kLeft[0];
    float x = visible.left + e, y = visible.bottom - 1.5f * e;
    if (singleAtEnd) {
        e /= 2;
        steps = kCross;
        count = sizeof kCross / sizeof kCross[0];
        x = side == 1 ? visible.right - 7 * e : visible.left + 4 * e;
        y = visible.bottom - 6 * e;
    } else if (side == 1) {
        steps = kRight;
        count = sizeof kRight / sizeof kRight[0];
        x = visible.right - 6 * e;
        y = visible.bottom - 2 * e;
    }
    float px = float(SInt32(x)), py = float(SInt32(y));
    marker->x.push_back(px);
    marker->y.push_back(py);
    for (size_t i = 0; i < count; i++) {
        px += float(SInt32(steps[i].dx * e));
        py += float(SInt32(steps[i].dy * e));
        marker->x.push_back(px);
        marker->y.push_back(py);
    }
}

// Multiplies the pixels of area by the paper's colour, those inside the marker by its grey.
static void Multiplie(GrafPtr port, const Rect &area, const RGBColor &paper, const Marker *marker) {
    PlugPixels pixels;
    Rect r;
    if (!PlugBeginPixels(port, &pixels) || !SectRect(&area, &pixels.bounds, &r) || pixels.pixelBytes != 4) return;
    const UInt32 tint[3] = {UInt32(paper.blue >> 8), UInt32(paper.green >> 8), UInt32(paper.red >> 8)};
    const UInt32 grey = kMarkerGrey.red >> 8;
    Boolean plain = tint[0] == 255 && tint[1] == 255 && tint[2] == 255 && !marker;
    float top = 0, bottom = 0, left = 0, right = 0;
    if (marker && !marker->x.empty()) {
        left = *std::min_element(marker->x.begin(), marker->x.end());
        right = *std::max_element(marker->x.begin(), marker->x.end());
        top = *std::min_element(marker->y.begin(), marker->y.end());
        bottom = *std::max_element(marker->y.begin(), marker->y.end());
    }
    for (SInt32 y = r.top; y < r.bottom && !plain; y++) {
        UInt8 *p = PlugPixelAt(pixels, r.left, y);
        Boolean rowMarked = marker && y + 0.5f >= top && y + 0.5f <= bottom;
        for (SInt32 x = r.left; x < r.right; x++, p += 4) {
            if (rowMarked && x + 0.5f >= left && x + 0.5f <= right && DansMarqueur(*marker, x + 0.5f, y + 0.5f)) {
                for (int c = 0; c < 3; c++) p[c] = UInt8(p[c] * grey / 255);
                continue;
            }
            for (int c = 0; c < 3; c++) p[c] = UInt8(p[c] * tint[c] / 255);
        }
    }
    PlugEndPixels(port, &r);
}

// Even-odd rule over the marker's closed outline.
static Boolean DansMarqueur(const Marker &marker, float x, float y) {
    Boolean inside = kFalse;
    size_t n = marker.x.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        if ((marker.y[i] > y) == (marker.y[j] > y)) continue;
        float cross = marker.x[j] + (y - marker.y[j]) * (marker.x[i] - marker.x[j]) / (marker.y[i] - marker.y[j]);
        if (x < cross) inside = !inside;
    }
    return inside;
}

// The binding of facing pages: the paper framed in the desktop colour, and rings along its
// inner edge whose wires reach the other page's rings across the gap.
static void TraceReliure(const PlugInInstance *instance, const PlugPageGeometry &g, SInt16 side) {
    PenState pen;
    GetPenState(&pen);
    PenNormal();
    Rect frame = g.paper;
    InsetRect(&frame, -1, -1);
    RGBForeColor(&instance->desktopColor);
    _FrameRect(&frame);
    SInt16 turns = PlugInQuarterTurns(instance);
    Boolean stacked = turns % 2 != 0;
    SInt32 d = 2 * g.gap / 3, s = 5 * d / 6, r = d / 6;
    SInt32 length = stacked ? g.paper.right - g.paper.left : g.paper.bottom - g.paper.top;
    SInt32 n = s > 0 ? (length - s) / s : 0;
    Boolean leading = (side == 1 && turns <= 1) || (side == 2 && turns >= 2);
    const RGBColor ring = stacked ? RGBColor{kRingGreyStacked, kRingGreyStacked, kRingGreyStacked}
                                  : RGBColor{kRingGreySideBySide, kRingGreySideBySide, kRingGreySideBySide};
    const RGBColor wire = {kWireGrey, kWireGrey, kWireGrey};
    // Across: towards the other page; along: the ring's place on the edge and the wire's slant.
    SInt32 line = 0, towards = 0, start = 0, slant = 0, origin = stacked ? g.paper.left : g.paper.top;
    if (stacked) {
        line = leading ? g.paper.top + d / 2 : g.paper.bottom - d / 2;
        towards = leading ? -d : d;
    } else {
        line = leading ? g.paper.right - d / 2 : g.paper.left + d / 2;
        towards = leading ? d : -d;
    }
    start = leading ? s : s + s / 2;
    slant = leading ? s / 2 : -(s / 2);
    for (SInt32 k = 0; k < n; k++) {
        SInt32 along = origin + start + k * s;
        SInt32 cx = stacked ? along : line, cy = stacked ? line : along;
        Rect disc = {SInt16(cy - r), SInt16(cx - r), SInt16(cy + r), SInt16(cx + r)};
        RGBForeColor(&ring);
        PaintOval(&disc);
        if (r / 2 < 1) continue;  // a pen of no size draws no wire
        RGBForeColor(&wire);
        PenSize(SInt16(r / 2), SInt16(r / 2));
        _MoveTo(SInt16(cx), SInt16(cy));
        if (stacked) Line(SInt16(slant), SInt16(towards));
        else Line(SInt16(towards), SInt16(slant));
        PenSize(1, 1);
    }
    SetPenState(&pen);
    PlugForeBlack();
}

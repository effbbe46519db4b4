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
#include <cstring>
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

// The colouring of a page: for each component (blue, green, red), a block's sum of components
// to its coloured mean, under the paper and under the marker.
enum : UInt32 { kTeinteEntries = 9 * 255 + 1 };  // sums of blocks of up to 3 x 3
struct Teinte {
    UInt8 paper[3][kTeinteEntries];
    UInt8 marker[3][kTeinteEntries];
    Boolean white;  // the paper is white: nothing changes
};
const UInt32 kRgbMask = 0x00FFFFFF;  // the three components of a pixel read as a word
inline UInt32 Load32(const UInt8 *p) {
    UInt32 v;
    std::memcpy(&v, p, 4);
    return v;
}

// The page marker with the box it lies in (image pixels); marker null: none.
struct MarkerArea {
    const Marker *marker;
    float left, top, right, bottom;
};

}  // namespace

static Boolean IsCoteCourant(const PlugInInstance *instance, SInt16 side);
static void PeintPapier(const PlugInInstance *instance, const Rect *paper, const RGBColor &colour);
static void JouePlat(PicHandle picture, const Rect &page, const Rect &display, const RGBColor &paper);
static Boolean JoueHorsEcran(PlugInInstance *instance, PicHandle picture, const PlugPageGeometry &g, SInt16 factor,
                             const RGBColor &paper, Boolean marked, SInt16 side, Boolean singleAtEnd);
static GrafPtr RendPage(PicHandle picture, const PlugPageGeometry &g, const Rect &visible, SInt16 factor, SInt16 turns,
                        const RGBColor &paper, Boolean marked, SInt16 side, Boolean singleAtEnd);
static void ConstruitMarqueur(const Rect &visible, SInt16 side, Boolean singleAtEnd, Marker *marker);
static void Multiplie(GrafPtr port, const Rect &area, const RGBColor &paper);
static GrafPtr Reduit(GrafPtr image, SInt16 factor, const RGBColor &paper, const Marker *marker);
static void PrepareTeinte(const RGBColor &paper, SInt16 factor, Teinte *tint);
template <int F>
static void ReduitLignes(const PlugPixels &in, const PlugPixels &out, SInt32 w, SInt32 h, const Teinte &tint,
                         const MarkerArea &area);
static Boolean MemeImage(const PlugPageImage &a, const PlugPageImage &b);
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

void PlugForgetPageImages(PlugInInstance *instance) {
    for (PlugPageImage &kept : instance->pageImages) {
        OrvaClosePortOffscreen(kept.image);
        kept = PlugPageImage{};
    }
}

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
    if (SectRect(&page, &display, &visible)) Multiplie(qd.thePort, visible, paper);
}

// The visible part of the page rendered factor times larger in an image of its own, turned by
// the quarter turns and brought down into the port with smoothing. False, with nothing drawn,
// when an image cannot be made (or would pass the budget).
static Boolean JoueHorsEcran(PlugInInstance *instance, PicHandle picture, const PlugPageGeometry &g, SInt16 factor,
                             const RGBColor &paper, Boolean marked, SInt16 side, Boolean singleAtEnd) {
    Rect visible;
    if (!SectRect(&g.page, &g.display, &visible)) return kTrue;
    SInt16 turns = PlugInQuarterTurns(instance);
    PlugPageImage wanted = {nullptr, picture, g.page, visible, paper, factor, turns,
                            SInt16(marked ? 1 + side + 3 * (singleAtEnd ? 1 : 0) : 0)};
    PlugPageImage &kept = instance->pageImages[side >= 0 && side <= 2 ? side : 0];
    GrafPtr port = qd.thePort;
    if (!kept.image || !MemeImage(kept, wanted)) {
        GrafPtr image = RendPage(picture, g, visible, factor, turns, paper, marked, side, singleAtEnd);
        if (!image) return kFalse;
        OrvaClosePortOffscreen(kept.image);
        kept = wanted;
        kept.image = image;
    }
    Rect shown = {0, 0, SInt16(visible.bottom - visible.top), SInt16(visible.right - visible.left)};
    PlugForeBlack();
    PlugBackWhite();
    CopyBits(&kept.image->portBits, &port->portBits, &shown, &visible, kSmoothCopy, nullptr);
    if (UInt32(shown.right) * UInt32(shown.bottom) > kPageImageKept) {
        OrvaClosePortOffscreen(kept.image);
        kept.image = nullptr;
    }
    return kTrue;
}

// The visible part of the page at screen size, turned and coloured: played factor times larger
// on white, brought down with the paper's colour, then turned. Null when an image cannot be
// made (or would pass the budget).
static GrafPtr RendPage(PicHandle picture, const PlugPageGeometry &g, const Rect &visible, SInt16 factor, SInt16 turns,
                        const RGBColor &paper, Boolean marked, SInt16 side, Boolean singleAtEnd) {
    SInt32 vw = SInt32(visible.right - visible.left) * factor, vh = SInt32(visible.bottom - visible.top) * factor;
    UInt32 budget = gSupersampleBudget ? gSupersampleBudget : kSupersampleBudget;
    if (UInt64(vw) * UInt64(vh) > budget || vw > kOffscreenMaxSize || vh > kOffscreenMaxSize) return nullptr;
    if (SInt32(g.page.bottom - visible.top) * factor > 32767 || SInt32(g.page.right - visible.left) * factor > 32767 ||
        SInt32(g.page.top - visible.top) * factor < -32767 || SInt32(g.page.left - visible.left) * factor < -32767)
        return nullptr;
    // The page in the image's pixels before the turn: the visible part's corner at the origin,
    // scaled, then turned back.
    Rect shown = {0, 0, SInt16(vh), SInt16(vw)};
    Rect page = {SInt16((g.page.top - visible.top) * factor), SInt16((g.page.left - visible.left) * factor),
                 SInt16((g.page.bottom - visible.top) * factor), SInt16((g.page.right - visible.left) * factor)};
    RotateRectRelatif(&page, &shown, SInt16(4 - turns));
    Rect unturned = shown;
    if (turns % 2) swaprect(&unturned);
    GrafPtr port = qd.thePort;
    GrafPtr image = OrvaCreatePortOffscreen(unturned.right, unturned.bottom, 24);
    if (!image) return nullptr;
    PlugPixels pixels;
    if (PlugBeginPixels(image, &pixels)) {
        for (SInt32 y = pixels.bounds.top; y < pixels.bounds.bottom; y++)
            std::memset(PlugPixelAt(pixels, pixels.bounds.left, y), 0xFF,
                        size_t(pixels.bounds.right - pixels.bounds.left) * size_t(pixels.pixelBytes));
        PlugEndPixels(image, nullptr);
    }
    SetPort(image);
    PlugForeBlack();
    PlugBackWhite();
    if (picture) DrawUTFPicture(picture, &page);
    SetPort(port);
    Marker marker;
    if (marked) ConstruitMarqueur(unturned, side, singleAtEnd, &marker);
    GrafPtr small = Reduit(image, factor, paper, marked ? &marker : nullptr);
    if (small != image) OrvaClosePortOffscreen(image);
    if (small && turns) {
        GrafPtr turned = RotateOffscreen(small, turns);
        OrvaClosePortOffscreen(small);
        small = turned;
    }
    return small;
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

// Multiplies the pixels of area by the paper's colour.
static void Multiplie(GrafPtr port, const Rect &area, const RGBColor &paper) {
    PlugPixels pixels;
    Rect r;
    if (!PlugBeginPixels(port, &pixels) || !SectRect(&area, &pixels.bounds, &r) || pixels.pixelBytes != 4) return;
    Teinte tint;
    PrepareTeinte(paper, 1, &tint);
    if (tint.white) return;
    for (SInt32 y = r.top; y < r.bottom; y++) {
        UInt8 *p = PlugPixelAt(pixels, r.left, y);
        for (SInt32 x = r.left; x < r.right; x++, p += 4)
            for (int c = 0; c < 3; c++) p[c] = tint.paper[c][p[c]];
    }
    PlugEndPixels(port, &r);
}

// The image brought down factor times, each pixel the mean of its block times the paper's
// colour, or the marker's grey inside the marker (tested at the block's centre): a new image
// (the same one, changed in place, for factor 1). Null without memory.
static GrafPtr Reduit(GrafPtr image, SInt16 factor, const RGBColor &paper, const Marker *marker) {
    PlugPixels in;
    if (!PlugBeginPixels(image, &in) || in.pixelBytes != 4) return nullptr;
    SInt32 w = (in.bounds.right - in.bounds.left) / factor, h = (in.bounds.bottom - in.bounds.top) / factor;
    GrafPtr small = factor == 1 ? image : OrvaCreatePortOffscreen(SInt16(w), SInt16(h), 24);
    PlugPixels out;
    if (!small || !PlugBeginPixels(small, &out)) {
        if (small != image) OrvaClosePortOffscreen(small);
        return nullptr;
    }
    Teinte tint;
    PrepareTeinte(paper, factor, &tint);
    float left = 0, right = 0, top = 0, bottom = 0;
    if (marker && !marker->x.empty()) {
        left = *std::min_element(marker->x.begin(), marker->x.end());
        right = *std::max_element(marker->x.begin(), marker->x.end());
        top = *std::min_element(marker->y.begin(), marker->y.end());
        bottom = *std::max_element(marker->y.begin(), marker->y.end());
    }
    MarkerArea area = {marker, left, top, right, bottom};
    if (factor == 3) ReduitLignes<3>(in, out, w, h, tint, area);
    else if (factor == 2) ReduitLignes<2>(in, out, w, h, tint, area);
    else ReduitLignes<1>(in, out, w, h, tint, area);
    PlugEndPixels(small, nullptr);
    return small;
}

// The rows of Reduit for one factor: each output pixel the coloured mean of its F x F block.
template <int F>
static void ReduitLignes(const PlugPixels &in, const PlugPixels &out, SInt32 w, SInt32 h, const Teinte &tint,
                         const MarkerArea &area) {
    for (SInt32 y = 0; y < h; y++) {
        UInt8 *o = PlugPixelAt(out, out.bounds.left, out.bounds.top + y);
        const UInt8 *rows[F];
        for (SInt32 dy = 0; dy < F; dy++) rows[dy] = PlugPixelAt(in, in.bounds.left, in.bounds.top + y * F + dy);
        float cy = (y + 0.5f) * F;
        Boolean rowMarked = area.marker && cy >= area.top && cy <= area.bottom;
        for (SInt32 x = 0; x < w; x++, o += 4) {
            // Most of a page is blank paper: a white block takes the paper's colour at once.
            Boolean white = !rowMarked;
            for (SInt32 dy = 0; dy < F && white; dy++) {
                const UInt8 *p = rows[dy] + x * F * 4;
                for (SInt32 dx = 0; dx < F && white; dx++)
                    white = (Load32(p + 4 * dx) & kRgbMask) == kRgbMask;
            }
            if (white) {
                o[0] = tint.paper[0][255 * F * F];
                o[1] = tint.paper[1][255 * F * F];
                o[2] = tint.paper[2][255 * F * F];
                continue;
            }
            UInt32 blue = 0, green = 0, red = 0;
            for (SInt32 dy = 0; dy < F; dy++) {
                const UInt8 *p = rows[dy] + x * F * 4;
                for (SInt32 dx = 0; dx < F; dx++) {
                    blue += p[4 * dx];
                    green += p[4 * dx + 1];
                    red += p[4 * dx + 2];
                }
            }
            float cx = (x + 0.5f) * F;
            const UInt8(*table)[kTeinteEntries] = rowMarked && cx >= area.left && cx <= area.right &&
                                                         DansMarqueur(*area.marker, cx, cy)
                                                     ? tint.marker
                                                     : tint.paper;
            o[0] = table[0][blue];
            o[1] = table[1][green];
            o[2] = table[2][red];
        }
    }
}

// The tables of the colouring: a block's sum of factor x factor components to the coloured mean.
static void PrepareTeinte(const RGBColor &paper, SInt16 factor, Teinte *tint) {
    const UInt32 colour[3] = {UInt32(paper.blue >> 8), UInt32(paper.green >> 8), UInt32(paper.red >> 8)};
    const UInt32 grey = kMarkerGrey.red >> 8, cells = UInt32(factor) * UInt32(factor), top = 255 * cells;
    tint->white = colour[0] == 255 && colour[1] == 255 && colour[2] == 255;
    for (int c = 0; c < 3; c++)
        for (UInt32 sum = 0; sum <= top && sum < kTeinteEntries; sum++) {
            tint->paper[c][sum] = UInt8(sum * colour[c] / (255 * cells));
            tint->marker[c][sum] = UInt8(sum * grey / (255 * cells));
        }
}

static Boolean MemeImage(const PlugPageImage &a, const PlugPageImage &b) {
    return a.picture == b.picture && _EqualRect(&a.page, &b.page) && _EqualRect(&a.visible, &b.visible) &&
           a.paper.red == b.paper.red && a.paper.green == b.paper.green && a.paper.blue == b.paper.blue &&
           a.factor == b.factor && a.turns == b.turns && a.marker == b.marker;
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

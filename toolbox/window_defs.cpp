// The window definition procedures of the default theme: one row per kind of window, one
// procedure that computes a window's regions, answers hit tests and draws its frame.
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/font_manager.h"
#include "platform/gtk/platform_windows.h"
#include "toolbox/theme_metrics.h"
#include "toolbox/windows.h"

namespace {

struct WindowDefinitionRow {
    SInt16 procID;
    Boolean titleBar;  // a title bar above the content, which drags the window
    Boolean closeBox;  // in the title bar, when the window was made with one
    Boolean frame;     // the theme's frame round the window
    Boolean shadow;    // a shadow below and right
    Boolean rounded;   // the four corners of the outline are rounded
};

const WindowDefinitionRow kWindowRows[] = {
    {0, kTrue, kTrue, kTrue, kFalse, kFalse},     // document
    {1, kFalse, kFalse, kTrue, kFalse, kFalse},   // dialog box
    {2, kFalse, kFalse, kFalse, kFalse, kFalse},  // plain box: the plug-in instances' windows
    {3, kFalse, kFalse, kTrue, kTrue, kFalse},    // shadowed box
    {4, kTrue, kTrue, kTrue, kFalse, kFalse},     // document without grow box
    {5, kTrue, kFalse, kTrue, kFalse, kFalse},    // movable modal box
    {16, kTrue, kTrue, kTrue, kFalse, kTrue},     // rounded document
};

// The margins a row keeps round the content: frame, title bar, shadow.
struct WindowMargins {
    SInt16 top, left, bottom, right;
};

const WindowDefinitionRow &RowFor(SInt16 procID);
WindowMargins MarginsOf(const WindowDefinitionRow &row);
void ContentRect(WindowPtr w, Rect *r);
void ComputeRegions(WindowPtr w, const WindowDefinitionRow &row);
SInt32 HitTest(WindowPtr w, const WindowDefinitionRow &row, Point where);
void DrawFrame(WindowPtr w, const WindowDefinitionRow &row);
void DrawTitle(WindowPtr w, const Rect &bar);
void SetGrey(UInt16 level);

}  // namespace

SInt32 OrvaThemeWindowDefProc(SInt16, WindowPtr w, SInt16 message, SInt32 param) {
    if (!w) return wNoHit;
    const WindowDefinitionRow &row = RowFor(w->procID);
    switch (message) {
    case kWindowRegionsMessage:
        ComputeRegions(w, row);
        return 0;
    case kWindowHitMessage:
        return HitTest(w, row, Point{SInt16(param >> 16), SInt16(param & 0xFFFF)});
    case kWindowDrawMessage:
        DrawFrame(w, row);
        return 0;
    default:
        return 0;
    }
}

void OrvaGetCloseBoxRect(WindowPtr w, Rect *r) {
    if (!r) return;
    *r = Rect{0, 0, 0, 0};
    if (!w || !w->goAwayFlag || !w->strucRgn) return;
    const WindowDefinitionRow &row = RowFor(w->procID);
    if (!row.titleBar || !row.closeBox) return;
    const ThemeMetricsRecord *m = OrvaGetThemeMetrics();
    const Rect &s = (*w->strucRgn)->rgnBBox;
    SInt16 frame = row.frame ? m->frameWidth : 0;
    SInt16 top = SInt16(s.top + frame + (m->titleBarHeight - m->closeBoxSize) / 2);
    SInt16 left = SInt16(s.left + frame + m->closeBoxInset);
    *r = Rect{top, left, SInt16(top + m->closeBoxSize), SInt16(left + m->closeBoxSize)};
}

RgnHandle OrvaThemeWindowRegion(WindowPtr w, const Rect *r, Boolean) {
    if (!r) return nullptr;
    RgnHandle region = NewRgn();
    if (region) RectRgn(region, r);
    if (w && RowFor(w->procID).rounded) {
        SInt16 radius = OrvaGetThemeMetrics()->cornerRadius;
        const SInt16 shape[7] = {0, 0, radius, radius, radius, radius, 0};
        SystemDependantSetWindowShape(w, 0, shape);
    }
    return region;
}

namespace {

const WindowDefinitionRow &RowFor(SInt16 procID) {
    for (const WindowDefinitionRow &row : kWindowRows)
        if (row.procID == procID) return row;
    return kWindowRows[0];
}

WindowMargins MarginsOf(const WindowDefinitionRow &row) {
    const ThemeMetricsRecord *m = OrvaGetThemeMetrics();
    SInt16 frame = row.frame ? m->frameWidth : 0, shadow = row.shadow ? m->shadowWidth : 0;
    SInt16 title = row.titleBar ? m->titleBarHeight : 0;
    return WindowMargins{SInt16(frame + title), frame, SInt16(frame + shadow), SInt16(frame + shadow)};
}

// The content in global coordinates: the port rectangle's size at the port's screen place.
void ContentRect(WindowPtr w, Rect *r) {
    const Rect &p = w->port.portRect;
    SInt16 width = SInt16(p.right - p.left), height = SInt16(p.bottom - p.top);
    if (w->port.systemDraw) {  // the port rectangle covers the margins while they are drawn
        width = SInt16(width - w->port.marginLeft - w->port.marginRight);
        height = SInt16(height - w->port.marginTop - w->port.marginBottom);
    }
    *r = Rect{w->port.screenV, w->port.screenH, SInt16(w->port.screenV + height), SInt16(w->port.screenH + width)};
}

void ComputeRegions(WindowPtr w, const WindowDefinitionRow &row) {
    if (!w->strucRgn) w->strucRgn = NewRgn();
    if (!w->contRgn) w->contRgn = NewRgn();
    Rect content;
    ContentRect(w, &content);
    WindowMargins m = MarginsOf(row);
    Rect structure = {SInt16(content.top - m.top), SInt16(content.left - m.left), SInt16(content.bottom + m.bottom),
                      SInt16(content.right + m.right)};
    RectRgn(w->contRgn, &content);
    RectRgn(w->strucRgn, &structure);
}

SInt32 HitTest(WindowPtr w, const WindowDefinitionRow &row, Point where) {
    if (!w->strucRgn || !w->contRgn || !PtInRgn(where, w->strucRgn)) return wNoHit;
    if (PtInRgn(where, w->contRgn)) return wInContent;
    // The frame of a box without title bar belongs to the box; a title bar's frame drags.
    if (!row.titleBar) return wInContent;
    Rect close;
    OrvaGetCloseBoxRect(w, &close);
    return _PtInRect(where, &close) ? wInGoAway : wInDrag;
}

// Draws in the whole buffer of the window's port (its margins included), with the clip open.
void DrawFrame(WindowPtr w, const WindowDefinitionRow &row) {
    GrafPort &port = w->port;
    if (!port.surface || (port.marginTop | port.marginLeft | port.marginBottom | port.marginRight) == 0) return;
    const ThemeMetricsRecord *m = OrvaGetThemeMetrics();
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&port);
    OrvaPenAndColorState pen;
    OrvaGetPenAndColorState(&pen);
    RgnHandle clip = NewRgn();
    if (clip) _CopyRgn(port.clipRgn, clip);
    Boolean systemDraw = port.systemDraw;
    OrvaSetSystemDrawFlag(&port, kTrue);
    ClipRect(&port.portRect);
    PenNormal();
    const Rect &all = port.portRect;
    SInt16 shadow = row.shadow ? m->shadowWidth : 0, frame = row.frame ? m->frameWidth : 0;
    Rect outline = {all.top, all.left, SInt16(all.bottom - shadow), SInt16(all.right - shadow)};
    if (row.titleBar) {
        Rect bar = {SInt16(outline.top + frame), SInt16(outline.left + frame), SInt16(outline.top + frame + m->titleBarHeight),
                    SInt16(outline.right - frame)};
        SetGrey(w->hilited ? kThemeLightGrey : 0xF8F8);
        PaintRect(&bar);
        DrawTitle(w, bar);
    }
    if (frame) {
        SetGrey(kThemeFrameGrey);
        if (row.rounded) FrameRoundRect(&outline, SInt16(2 * m->cornerRadius), SInt16(2 * m->cornerRadius));
        else _FrameRect(&outline);
    }
    if (shadow) {
        SetGrey(0x3333);
        Rect right = {SInt16(all.top + shadow), outline.right, all.bottom, all.right};
        Rect below = {outline.bottom, SInt16(all.left + shadow), all.bottom, all.right};
        PaintRect(&right);
        PaintRect(&below);
    }
    Rect close;
    OrvaGetCloseBoxRect(w, &close);
    if (!EmptyRect(&close)) {
        _OffsetRect(&close, SInt16(all.left - (*w->strucRgn)->rgnBBox.left), SInt16(all.top - (*w->strucRgn)->rgnBBox.top));
        SetGrey(0xFFFF);
        PaintRect(&close);
        SetGrey(w->hilited ? kThemeFrameGrey : kThemeInactiveGrey);
        _FrameRect(&close);
    }
    OrvaSetSystemDrawFlag(&port, systemDraw);
    if (clip) {
        SetClip(clip);
        DisposeRgn(clip);
    }
    OrvaSetPenAndColorState(&pen);
    SetPort(saved);
}

// The title, UTF-8, centred in the bar in the interface font, cut where it would cover the
// close box.
void DrawTitle(WindowPtr w, const Rect &bar) {
    if (!w->title || !w->title[0]) return;
    const ThemeMetricsRecord *m = OrvaGetThemeMetrics();
    SInt16 font = w->port.txFont, size = w->port.txSize;
    UInt8 face = w->port.txFace;
    TextFont(OrvaThemeFont());
    TextSize(m->fontSize);
    TextFace(0);
    FontInfo info;
    GetFontInfo(&info);
    SInt16 width = OrvaUTFStringWidth(w->title);
    SInt16 reserved = SInt16(m->closeBoxInset + m->closeBoxSize + m->closeBoxInset);
    SInt16 h = SInt16((bar.left + bar.right - width) / 2);
    if (h < bar.left + reserved) h = SInt16(bar.left + reserved);
    SInt16 v = SInt16((bar.top + bar.bottom + info.ascent - info.descent) / 2);
    SetGrey(w->hilited ? 0 : kThemeInactiveGrey);
    _MoveTo(h, v);
    OrvaUTFDrawString(w->title);
    TextFont(font);
    TextSize(size);
    TextFace(face);
}

void SetGrey(UInt16 level) {
    RGBColor c = {level, level, level};
    RGBForeColor(&c);
}

}  // namespace

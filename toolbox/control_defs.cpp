// The control definitions of the default theme: push button, check box, radio button and
// scroll bar rows, each drawing the control in its owner's port, answering which part lies under
// a point and what the control covers.
#include <cstring>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "toolbox/controls.h"
#include "toolbox/cursors.h"
#include "toolbox/theme_metrics.h"

namespace {

enum : SInt16 { kMarkSize = 12, kMarkGap = 5, kButtonRadius = 8 };
enum : SInt16 { kUseFont = 1, kUseFace = 2, kUseSize = 4 };  // ControlFontStyleRec flags
const UInt16 kPressedGrey = 0xAAAA, kHoverGrey = 0xF4F4, kTrackGrey = 0xDDDD;

void DrawButton(ControlHandle c);
void DrawCheckBox(ControlHandle c);
void DrawRadioButton(ControlHandle c);
void DrawScrollBar(ControlHandle c);
SInt16 HitButton(ControlHandle c, Point local);
SInt16 HitMark(ControlHandle c, Point local);
SInt16 HitScrollBar(ControlHandle c, Point local);
void RegionOfRect(ControlHandle c, Rect *r);

const ControlDefinitionRow kControlRows[] = {
    {pushButProc, DrawButton, HitButton, RegionOfRect, 0, kFalse},
    {checkBoxProc, DrawCheckBox, HitMark, RegionOfRect, 0, kFalse},
    {radioButProc, DrawRadioButton, HitMark, RegionOfRect, 0, kFalse},
    {scrollBarProc, DrawScrollBar, HitScrollBar, RegionOfRect, kControlIsScrollBarFeature, kTrue},
    {kControlPushButtonProc, DrawButton, HitButton, RegionOfRect, 0, kFalse},
    {kControlCheckBoxProc, DrawCheckBox, HitMark, RegionOfRect, 0, kFalse},
    {kControlRadioButtonProc, DrawRadioButton, HitMark, RegionOfRect, 0, kFalse},
    {kControlScrollBarProc, DrawScrollBar, HitScrollBar, RegionOfRect, kControlIsScrollBarFeature, kTrue},
    {kControlScrollBarLiveProc, DrawScrollBar, HitScrollBar, RegionOfRect, kControlIsScrollBarFeature, kTrue},
};

// The parts of a scroll bar, local coordinates; vertical when taller than wide.
struct ScrollBarParts {
    Rect up, down, track, thumb;  // thumb empty when the range is empty
    bool vertical;
};

void SetGrey(UInt16 level);
void BeginTitle(ControlHandle c, SInt16 *font, SInt16 *size, UInt8 *face);
void EndTitle(SInt16 font, SInt16 size, UInt8 face);
void DrawTitle(ControlHandle c, SInt16 left, SInt16 right, bool centred);
void PartsOf(ControlHandle c, ScrollBarParts *p);
void DrawArrow(const Rect &square, bool vertical, bool towardsEnd, bool active);

}  // namespace

const ControlDefinitionRow *OrvaControlRowFor(SInt16 procID) {
    for (const ControlDefinitionRow &row : kControlRows)
        if (row.procID == procID) return &row;
    return &kControlRows[0];
}

namespace {

void DrawButton(ControlHandle c) {
    ControlRecord &r = **c;
    OrvaPenAndColorState pen;
    OrvaGetPenAndColorState(&pen);
    PenNormal();
    bool pressed = r.contrlHilite == kControlButtonPart, inactive = r.contrlHilite == kControlInactivePart;
    SetGrey(pressed ? kPressedGrey : OrvaGetHoveredControl() == c ? kHoverGrey : 0xFFFF);
    PaintRoundRect(&r.contrlRect, kButtonRadius, kButtonRadius);
    SetGrey(inactive ? kThemeInactiveGrey : kThemeFrameGrey);
    FrameRoundRect(&r.contrlRect, kButtonRadius, kButtonRadius);
    DrawTitle(c, r.contrlRect.left, r.contrlRect.right, true);
    OrvaSetPenAndColorState(&pen);
}

// The box or circle at the left, centred vertically, and its title after it.
Rect MarkRect(const ControlRecord &r) {
    SInt16 top = SInt16((r.contrlRect.top + r.contrlRect.bottom - kMarkSize) / 2);
    return Rect{top, r.contrlRect.left, SInt16(top + kMarkSize), SInt16(r.contrlRect.left + kMarkSize)};
}

void DrawMark(ControlHandle c, bool round) {
    ControlRecord &r = **c;
    OrvaPenAndColorState pen;
    OrvaGetPenAndColorState(&pen);
    PenNormal();
    Rect mark = MarkRect(r);
    bool inactive = r.contrlHilite == kControlInactivePart;
    SetGrey(r.contrlHilite == kControlCheckBoxPart ? kPressedGrey : 0xFFFF);
    if (round) PaintOval(&mark);
    else PaintRect(&mark);
    SetGrey(inactive ? kThemeInactiveGrey : kThemeFrameGrey);
    if (round) FrameOval(&mark);
    else _FrameRect(&mark);
    if (r.contrlValue) {
        SetGrey(inactive ? kThemeInactiveGrey : 0);
        Rect inner = mark;
        InsetRect(&inner, 3, 3);
        if (round) {
            PaintOval(&inner);
        } else {
            PenSize(2, 2);
            _MoveTo(inner.left, inner.top);
            _LineTo(SInt16(inner.right - 2), SInt16(inner.bottom - 2));
            _MoveTo(SInt16(inner.right - 2), inner.top);
            _LineTo(inner.left, SInt16(inner.bottom - 2));
        }
    }
    DrawTitle(c, SInt16(mark.right + kMarkGap), r.contrlRect.right, false);
    OrvaSetPenAndColorState(&pen);
}

void DrawCheckBox(ControlHandle c) { DrawMark(c, false); }
void DrawRadioButton(ControlHandle c) { DrawMark(c, true); }

void DrawScrollBar(ControlHandle c) {
    ControlRecord &r = **c;
    OrvaPenAndColorState pen;
    OrvaGetPenAndColorState(&pen);
    PenNormal();
    ScrollBarParts p;
    PartsOf(c, &p);
    bool active = r.contrlHilite != kControlInactivePart;
    SetGrey(kTrackGrey);
    PaintRect(&r.contrlRect);
    SetGrey(active ? kThemeFrameGrey : kThemeInactiveGrey);
    _FrameRect(&r.contrlRect);
    for (int end = 0; end < 2; end++) {
        const Rect &square = end ? p.down : p.up;
        bool pressed = r.contrlHilite == (end ? kControlDownButtonPart : kControlUpButtonPart);
        SetGrey(pressed ? kPressedGrey : kThemeLightGrey);
        Rect inside = square;
        InsetRect(&inside, 1, 1);
        PaintRect(&inside);
        SetGrey(active ? kThemeFrameGrey : kThemeInactiveGrey);
        _FrameRect(&square);
        DrawArrow(square, p.vertical, end == 1, active);
    }
    if (active && !EmptyRect(&p.thumb)) {
        SetGrey(r.contrlHilite == kControlIndicatorPart ? kPressedGrey : 0xFFFF);
        PaintRect(&p.thumb);
        SetGrey(kThemeFrameGrey);
        _FrameRect(&p.thumb);
    }
    OrvaSetPenAndColorState(&pen);
}

SInt16 HitButton(ControlHandle c, Point local) {
    return _PtInRect(local, &(**c).contrlRect) ? kControlButtonPart : kControlNoPart;
}

SInt16 HitMark(ControlHandle c, Point local) {
    return _PtInRect(local, &(**c).contrlRect) ? kControlCheckBoxPart : kControlNoPart;
}

SInt16 HitScrollBar(ControlHandle c, Point local) {
    if (!_PtInRect(local, &(**c).contrlRect)) return kControlNoPart;
    ScrollBarParts p;
    PartsOf(c, &p);
    if (_PtInRect(local, &p.up)) return kControlUpButtonPart;
    if (_PtInRect(local, &p.down)) return kControlDownButtonPart;
    if (EmptyRect(&p.thumb)) return kControlNoPart;
    if (_PtInRect(local, &p.thumb)) return kControlIndicatorPart;
    SInt16 along = p.vertical ? local.v : local.h, thumbStart = p.vertical ? p.thumb.top : p.thumb.left;
    return along < thumbStart ? kControlPageUpPart : kControlPageDownPart;
}

void RegionOfRect(ControlHandle c, Rect *r) { *r = (**c).contrlRect; }

void SetGrey(UInt16 level) {
    RGBColor c = {level, level, level};
    RGBForeColor(&c);
}

// The interface font unless the control's font style says otherwise.
void BeginTitle(ControlHandle c, SInt16 *font, SInt16 *size, UInt8 *face) {
    GrafPtr port = qd.thePort;
    *font = port->txFont;
    *size = port->txSize;
    *face = port->txFace;
    const ControlFontStyleRec &style = (**c).fontStyle;
    TextFont(style.flags & kUseFont ? style.font : OrvaThemeFont());
    TextSize(style.flags & kUseSize ? style.size : OrvaGetThemeMetrics()->fontSize);
    TextFace(style.flags & kUseFace ? UInt8(style.style) : UInt8(0));
}

void EndTitle(SInt16 font, SInt16 size, UInt8 face) {
    TextFont(font);
    TextSize(size);
    TextFace(face);
}

void DrawTitle(ControlHandle c, SInt16 left, SInt16 right, bool centred) {
    const ControlRecord &r = **c;
    if (!r.contrlTitle[0]) return;
    SInt16 font, size;
    UInt8 face;
    BeginTitle(c, &font, &size, &face);
    FontInfo info;
    GetFontInfo(&info);
    Str255 title;
    memcpy(title, r.contrlTitle, size_t(r.contrlTitle[0]) + 1);  // the handle may move while drawing
    SInt16 width = TextWidth(title + 1, 0, title[0]);
    SInt16 h = centred ? SInt16((left + right - width) / 2) : left;
    const Rect &box = (**c).contrlRect;
    SInt16 v = SInt16((box.top + box.bottom + info.ascent - info.descent) / 2);
    SetGrey((**c).contrlHilite == kControlInactivePart ? kThemeInactiveGrey : 0);
    _MoveTo(h, v);
    _DrawText(title + 1, 0, title[0]);
    EndTitle(font, size, face);
}

void PartsOf(ControlHandle c, ScrollBarParts *p) {
    const ControlRecord &r = **c;
    const Rect &b = r.contrlRect;
    p->vertical = b.bottom - b.top > b.right - b.left;
    SInt16 side = p->vertical ? SInt16(b.right - b.left) : SInt16(b.bottom - b.top);
    SInt16 length = p->vertical ? SInt16(b.bottom - b.top) : SInt16(b.right - b.left);
    if (side * 2 > length) side = SInt16(length / 2);  // too short: the arrows share it
    if (p->vertical) {
        p->up = Rect{b.top, b.left, SInt16(b.top + side), b.right};
        p->down = Rect{SInt16(b.bottom - side), b.left, b.bottom, b.right};
        p->track = Rect{p->up.bottom, b.left, p->down.top, b.right};
    } else {
        p->up = Rect{b.top, b.left, b.bottom, SInt16(b.left + side)};
        p->down = Rect{b.top, SInt16(b.right - side), b.bottom, b.right};
        p->track = Rect{b.top, p->up.right, b.bottom, p->down.left};
    }
    p->thumb = Rect{0, 0, 0, 0};
    SInt32 travel = (p->vertical ? p->track.bottom - p->track.top : p->track.right - p->track.left) - side;
    if (r.contrlMax <= r.contrlMin || travel <= 0) return;
    SInt32 at = SInt32(r.contrlValue - r.contrlMin) * travel / (r.contrlMax - r.contrlMin);
    if (p->vertical)
        p->thumb = Rect{SInt16(p->track.top + at), b.left, SInt16(p->track.top + at + side), b.right};
    else
        p->thumb = Rect{b.top, SInt16(p->track.left + at), b.bottom, SInt16(p->track.left + at + side)};
}

// A triangle pointing up or left (towardsEnd false) or down or right, centred in the square.
void DrawArrow(const Rect &square, bool vertical, bool towardsEnd, bool active) {
    SInt16 side = SInt16(square.right - square.left < square.bottom - square.top ? square.right - square.left
                                                                                : square.bottom - square.top);
    SInt16 half = SInt16(side / 4 > 1 ? side / 4 : 1);
    SInt16 ch = SInt16((square.left + square.right) / 2), cv = SInt16((square.top + square.bottom) / 2);
    SetGrey(active ? 0 : kThemeInactiveGrey);
    for (SInt16 i = 0; i <= half; i++) {
        SInt16 row = towardsEnd ? SInt16(half - i) : i;  // the tip has one pixel
        if (vertical) {
            SInt16 v = SInt16(cv - half / 2 + i);
            _MoveTo(SInt16(ch - row), v);
            _LineTo(SInt16(ch + row), v);
        } else {
            SInt16 h = SInt16(ch - half / 2 + i);
            _MoveTo(h, SInt16(cv - row));
            _LineTo(h, SInt16(cv + row));
        }
    }
}

}  // namespace

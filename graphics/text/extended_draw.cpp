// Showing an Extended TextEdit record: drawing a range of lines (styled records run by run with
// zoom, rotation and right-to-left segments in visual order; plain records in one font), the
// selection highlight (inverted, blended or outlined), the caret, scrolling and keeping the
// active end in view. Feedback is drawn by XOR or redrawn from the text, so that every show has
// its matching hide; nothing of it is recorded into a picture.
#include "graphics/text/extended_textedit.h"

#include <algorithm>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/extended_internal.h"
#include "graphics/text/extended_view.h"
#include "graphics/text/font_manager.h"
#include "platform/core/memory.h"
#include "platform/core/text_encodings.h"

namespace {

enum : SInt16 { kModeSrcCopy = 0, kModePatCopy = 8, kModePatXor = 10, kModeBlend = 32 };
enum : UInt8 { kHiliteBit = 0x80, kFaceDrawn = 0x7F, kCR = 13, kLF = 10, kSpace = 32 };
enum : SInt32 {
    kOverwriteCaretWidth = 8,  // the overwrite caret at the end of the text or on an empty character
    kShownCarets = 16,         // carets remembered at once (records shown together)
    kPieceRedrawsMost = 8,     // a region of more rectangles is redrawn at once
    kNoLimit = 0x7FFFFFFF,
};
const RGBColor kOutlineBlendColor = {40000, 40000, 40000};
const RGBColor kBlack = {0, 0, 0};

// Where a caret was drawn, so that hiding it inverts exactly those pixels again even when the
// text moved meanwhile. Main thread only, as all drawing.
struct ShownCaret {
    ExtendedTEHandle te;  // null: a free slot
    GrafPtr port;
    Point from, to;       // the ends of the caret's line, turned with the text
    SInt16 width;         // pen width, pixels
};
struct ShownCaretTable {
    ShownCaret slots[kShownCarets];
    SInt32 next;  // the slot reused when all are taken
};
ShownCaretTable gCarets;

// What a drawing pass changes in the record's port, put back after it.
struct DrawSave {
    ExtendedViewPort port;
    SInt16 font, size, mode;
    UInt8 face;
    Fixed spExtra;
    OrvaPenAndColorState colours;
    RGBColor opColor;
    Pattern bkPat;
};

// One piece of a styled line drawn by one call of the draw-text hook.
struct Segment {
    SInt32 start, end;  // bytes
    SInt16 style;       // index into the style table
    Boolean rightToLeft;
};

}  // namespace

static void DrawRange(ExtendedTEHandle te, SInt32 from, SInt32 to, SInt32 oldHeight, SInt32 newHeight);
static Boolean BeginDraw(ExtendedTEHandle te, DrawSave *save);
static void EndDraw(DrawSave *save);
static void DrawStyledLines(ExtendedTEHandle te, SInt32 from, SInt32 to, SInt32 oldHeight, SInt32 newHeight);
static void DrawPlainLines(ExtendedTEHandle te, SInt32 from, SInt32 to, SInt32 oldHeight, SInt32 newHeight);
static void DrawStyledLine(ExtendedTEHandle te, SInt32 line, SInt32 top);
static void CutSegments(ExtendedTEHandle te, SInt32 start, SInt32 end, std::vector<Segment> *segments);
static Boolean DrawSegment(ExtendedTEHandle te, SInt32 line, const Segment &segment);
static Boolean CallDrawText(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 end);
static SInt32 VisibleEnd(ExtendedTEHandle te, SInt32 start, SInt32 end);
static void EraseBand(ExtendedTEHandle te, SInt32 top, SInt32 bottom, Boolean taller);
static void EraseTail(ExtendedTEHandle te, SInt32 textBottom, Boolean lastDrawn, SInt32 oldHeight, SInt32 newHeight);
static void MovePen(ExtendedTEHandle te, SInt32 h, SInt32 v);
static Boolean MayDrawFeedback(ExtendedTEHandle te);
static ShownCaret *FindCaret(ExtendedTEHandle te);
static void XorCaretShape(const ShownCaret &caret);
static ShownCaret CaretShape(ExtendedTEHandle te);

// ---- Drawing --------------------------------------------------------------------------------

void ExtendedTEDoText(ExtendedTEHandle te, SInt32 from, SInt32 to, SInt32 oldHeight) {
    if (!te || !*te || (*te)->drawSuspended) return;
    Boolean wasActive = (*te)->active != 0;
    if (wasActive) ExtendedTEDeactivate(te);
    SInt32 last = std::max<SInt32>((*te)->teLength - 1, 0);
    from = std::clamp<SInt32>(from, 0, last);
    to = std::clamp<SInt32>(to, 0, last);
    if (from > to) std::swap(from, to);
    DrawRange(te, from, to, oldHeight, ExtendedTextHeight(te));
    if (wasActive) ExtendedTEActivate(te);
}

void ExtendedTEUpdate(const Rect *rect, ExtendedTEHandle te) {
    if (!te || !*te || !rect || (*te)->drawSuspended) return;
    Rect view = (*te)->viewRect, narrowed;
    if (!SectRect(&view, rect, &narrowed)) return;
    (*te)->viewRect = narrowed;
    DrawRange(te, 0, std::max<SInt32>((*te)->teLength - 1, 0), 0, 0);
    (*te)->viewRect = view;
    // The highlight is the whole selection's, limited to the part drawn: an outline made from
    // the narrowed view would gain edges along it.
    ExtendedViewPort port;
    ExtendedViewEnter(te, &port);
    ExtendedClipSave clip;
    if (ExtendedClipToRect(&narrowed, &clip)) {
        Extended_affiche_select(te);
        ExtendedClipRestore(&clip);
    }
    ExtendedViewLeave(&port);
}

// ---- Scrolling --------------------------------------------------------------------------------

void ExtendedTEScroll(SInt32 dh, SInt32 dv, ExtendedTEHandle te) {
    if (!te || !*te || (*te)->drawSuspended || (dh == 0 && dv == 0)) return;
    ExtendedViewPort port;
    ExtendedViewEnter(te, &port);
    Rect view = (*te)->viewRect;
    ExtendedClipSave clip;
    Boolean clipped = ExtendedClipToRect(&view, &clip);
    if ((*te)->selStart == (*te)->selEnd) ExtendedAfficheCurseur(te, kFalse);
    BigRect &dest = (*te)->destRect;
    auto move = [](SInt32 value, SInt32 by) { return SInt32(std::clamp<SInt64>(SInt64(value) + by, -0x7FFFFFFF, 0x7FFFFFFF)); };
    dest.left = move(dest.left, dh);
    dest.right = move(dest.right, dh);
    dest.top = move(dest.top, dv);
    dest.bottom = move(dest.bottom, dv);
    RgnHandle exposed = NewRgn();
    DrawSave save;
    if (exposed && BeginDraw(te, &save)) {
        ScrollRect(&view, ExtendedClamp16(dh), ExtendedClamp16(dv), exposed);
        Rect box = (*exposed)->rgnBBox;
        if (!EmptyRect(&box)) {
            EraseRect(&box);
            InsetRect(&box, -1, -1);
            ExtendedTEUpdate(&box, te);
        }
        EndDraw(&save);
    }
    if (exposed) DisposeRgn(exposed);
    ExtendedFixeSelect((*te)->anchor, (*te)->activeEnd, te);
    if (clipped) ExtendedClipRestore(&clip);
    ExtendedViewLeave(&port);
}

// Each limit only shortens a scroll: it never turns it the other way.
void ExtendedTEPinScroll(SInt32 dh, SInt32 dv, ExtendedTEHandle te) {
    if (!te || !*te) return;
    const Rect view = (*te)->viewRect;
    const BigRect dest = (*te)->destRect;
    SInt64 h = dh, v = dv;
    if (h > 0) h = std::max<SInt64>(0, std::min<SInt64>(h, SInt64(view.left) - dest.left));
    else if (h < 0) h = std::min<SInt64>(0, std::max<SInt64>(h, SInt64(view.right) - dest.right));
    if (v > 0) v = std::max<SInt64>(0, std::min<SInt64>(v, SInt64(view.top) - dest.top));
    else if (v < 0) {
        SInt64 bottom = SInt64(dest.top) + ExtendedTextHeight(te);
        v = std::min<SInt64>(0, std::max<SInt64>(v, SInt64(view.bottom) - bottom));
    }
    ExtendedTEScroll(SInt32(h), SInt32(v), te);
}

void ExtendedTESelView(ExtendedTEHandle te) {
    if (!te || !*te || !(*te)->autoView || (*te)->teLength <= 0) return;
    SInt32 line = 0;
    BigPoint p = ExtendedPointOf(te, (*te)->activeEnd, &line);
    SInt32 height = ExtendedLineHeightPx(te, line);
    const Rect view = (*te)->viewRect;
    SInt64 dv = 0, dh = 0;
    if (p.v > view.bottom) dv = SInt64(view.bottom) - p.v;
    else if (SInt64(p.v) - height < view.top) dv = SInt64(view.top) - p.v + height;
    if (p.h < view.left) dh = SInt64(view.left) - p.h;
    else if (p.h > view.right) dh = SInt64(view.right) - p.h - 1;
    if (dh == 0 && dv == 0) return;
    if ((*te)->selStart != (*te)->selEnd) ExtendedTEUpdate(&view, te);
    ExtendedTEScroll(SInt32(std::clamp<SInt64>(dh, -0x7FFFFFFF, 0x7FFFFFFF)),
                     SInt32(std::clamp<SInt64>(dv, -0x7FFFFFFF, 0x7FFFFFFF)), te);
}

// ---- Highlight and caret ---------------------------------------------------------------------

void ExtendedInvertText(SInt32 a, SInt32 b, Boolean outline, ExtendedTEHandle te) {
    if (!te || !*te || a == b || (*te)->drawSuspended) return;
    ExtendedViewPort port;
    ExtendedViewEnter(te, &port);
    if (!MayDrawFeedback(te)) {
        ExtendedViewLeave(&port);
        return;
    }
    Rect view = (*te)->viewRect;
    ExtendedClipSave clip;
    RgnHandle rgn = ExtendedClipToRect(&view, &clip) ? ExtendedSelectionRgn(te, std::min(a, b), std::max(a, b)) : nullptr;
    if (rgn) {
        GrafPtr p = qd.thePort;
        OrvaPenAndColorState colours;
        OrvaGetPenAndColorState(&colours);
        RGBColor opColor = p->rgbOpColor;
        if ((*te)->blendHilite) {
            RGBColor colour = outline ? kOutlineBlendColor : (*te)->blendColor;
            RGBColor complement = {UInt16(65535 - colour.red), UInt16(65535 - colour.green), UInt16(65535 - colour.blue)};
            OpColor(&complement);
            RGBForeColor(&colour);
            PenMode(kModeBlend);
            PenPat(&qd.black);
            _PaintRgn(rgn);
            RGBForeColor(&kBlack);
            PenMode(kModePatCopy);
        } else if (outline) {
            PenPat(&qd.black);
            RGBForeColor(&kBlack);
            PenMode(kModePatXor);
            _FrameRgn(rgn);
            PenMode(kModeSrcCopy);
        } else {
            RGBColor back = (*te)->backColor;
            RGBBackColor(&back);
            HiliteMode = UInt8(HiliteMode & ~kHiliteBit);
            _InvertRgn(rgn);
            HiliteMode = UInt8(HiliteMode | kHiliteBit);
        }
        p->rgbOpColor = opColor;
        OrvaSetPenAndColorState(&colours);
        DisposeRgn(rgn);
        ExtendedClipRestore(&clip);
    }
    ExtendedViewLeave(&port);
}

void Extended_affiche_select(ExtendedTEHandle te) {
    if (!te || !*te) return;
    SInt32 start = (*te)->selStart, end = (*te)->selEnd;
    if (start == end) {
        if ((*te)->active && (*te)->caretState) ExtendedXorCaret(te);
        return;
    }
    ExtendedInvertText(start, end, (*te)->active ? kFalse : kTrue, te);
}

// While drawing is suspended the caret stays as it is, shown or not, so that its state keeps
// matching the pixels.
void ExtendedAfficheCurseur(ExtendedTEHandle te, Boolean show) {
    if (!te || !*te || (*te)->drawSuspended) return;
    UInt16 state = show ? 1 : 0;
    if ((*te)->caretState == state) return;
    (*te)->caretState = state;
    ShownCaret *shown = FindCaret(te);
    if (!state) {
        if (shown) {
            ShownCaret caret = *shown;
            shown->te = nullptr;
            ExtendedViewPort port;
            ExtendedViewEnter(te, &port);
            if (qd.thePort == caret.port) XorCaretShape(caret);
            ExtendedViewLeave(&port);
        }
        return;
    }
    if (shown) shown->te = nullptr;  // a record that had a caret at this address before
    ExtendedXorCaret(te);
}

// The region is redrawn rectangle by rectangle, each through a rectangular clip: text drawing
// clips to the bounding box of the clip it is given, so a clip of several rectangles would let
// glyphs be drawn twice beside them. A region of many rectangles (a turned one, row by row) is
// redrawn through its bounding box: more is drawn again, all of it from the text.
void ExtendedRetraceRegion(ExtendedTEHandle te, RgnHandle region) {
    if (!te || !*te || !region || (*te)->drawSuspended || EmptyRgn(region)) return;
    std::vector<Rect> pieces;
    OrvaForEachRgnBand(
        region,
        [](void *context, SInt16 top, SInt16 bottom, const Seglist *state) {
            std::vector<Rect> *out = (std::vector<Rect> *)context;
            for (SInt32 i = 0; state[i] != kRgnEnd && state[i + 1] != kRgnEnd; i += 2)
                out->push_back(Rect{top, state[i], bottom, state[i + 1]});
        },
        &pieces);
    if (pieces.size() > kPieceRedrawsMost) pieces.assign(1, (*region)->rgnBBox);
    ExtendedViewPort port;
    ExtendedViewEnter(te, &port);
    for (const Rect &piece : pieces) {
        ExtendedClipSave clip;
        if (!ExtendedClipToRect(&piece, &clip)) break;
        ExtendedTEUpdate(&piece, te);
        ExtendedClipRestore(&clip);
    }
    ExtendedViewLeave(&port);
}

void ExtendedRetraceAireSelectTexte(ExtendedTEHandle te) {
    if (!te || !*te || (*te)->drawSuspended) return;
    RgnHandle rgn = ExtendedSelectionRgn(te, (*te)->selStart, (*te)->selEnd);
    if (!rgn) return;
    if (!EmptyRgn(rgn)) ExtendedRetraceRegion(te, rgn);
    DisposeRgn(rgn);
}

void ExtendedEffaceAireSelectTexte(ExtendedTEHandle te) {
    if (!te || !*te || (*te)->drawSuspended) return;
    RgnHandle rgn = ExtendedSelectionRgn(te, (*te)->selStart, (*te)->selEnd);
    if (!rgn) return;
    if (!EmptyRgn(rgn)) {
        SInt32 end = (*te)->selEnd;
        (*te)->selEnd = (*te)->selStart;
        ExtendedRetraceRegion(te, rgn);
        (*te)->selEnd = end;
    }
    DisposeRgn(rgn);
}

// ---- Pen state -------------------------------------------------------------------------------

void ExtendedGetPenAndColorState(ExtendedPenColorState *state) { OrvaGetPenColorState(state); }

void ExtendedSetPenAndColorState(const ExtendedPenColorState *state) { OrvaSetPenColorState(state); }

// ---- Shared with the editing files ---------------------------------------------------------------

void ExtendedViewEnter(ExtendedTEHandle te, ExtendedViewPort *save) {
    save->former = qd.thePort;
    if ((*te)->inPort) SetPort((*te)->inPort);
}

void ExtendedViewLeave(const ExtendedViewPort *save) { SetPort(save->former); }

Boolean ExtendedClipToRect(const Rect *r, ExtendedClipSave *save) {
    save->saved = nullptr;
    RgnHandle limit = NewRgn();
    if (!limit) return kFalse;
    RectRgn(limit, r);
    Boolean done = ExtendedClipToRgn(limit, save);
    DisposeRgn(limit);
    return done;
}

Boolean ExtendedClipToRgn(RgnHandle rgn, ExtendedClipSave *save) {
    save->saved = nullptr;
    if (!qd.thePort || !rgn) return kFalse;
    RgnHandle saved = NewRgn(), limited = NewRgn();
    if (!saved || !limited) {
        if (saved) DisposeRgn(saved);
        if (limited) DisposeRgn(limited);
        return kFalse;
    }
    GetClip(saved);
    SectRgn(saved, rgn, limited);
    SetClip(limited);
    DisposeRgn(limited);
    save->saved = saved;
    return kTrue;
}

void ExtendedClipRestore(ExtendedClipSave *save) {
    if (!save->saved) return;
    SetClip(save->saved);
    DisposeRgn(save->saved);
    save->saved = nullptr;
}

// Puts the remembered caret of te back (after a redraw erased it), or draws and remembers one
// where the caret stands now.
void ExtendedXorCaret(ExtendedTEHandle te) {
    if ((*te)->drawSuspended) return;
    ExtendedViewPort port;
    ExtendedViewEnter(te, &port);
    if (MayDrawFeedback(te)) {
        ShownCaret *shown = FindCaret(te);
        if (shown && shown->port == qd.thePort) {
            XorCaretShape(*shown);
        } else {
            ShownCaret caret = CaretShape(te);
            ShownCaret *free = nullptr;
            for (ShownCaret &s : gCarets.slots)
                if (!s.te) free = &s;
            if (!free) {
                free = &gCarets.slots[gCarets.next];
                gCarets.next = (gCarets.next + 1) % kShownCarets;
            }
            *free = caret;
            XorCaretShape(caret);
        }
    }
    ExtendedViewLeave(&port);
}

// ---- Helpers ---------------------------------------------------------------------------------

// Draws the lines holding from..to in the record's port, everything it changes put back.
static void DrawRange(ExtendedTEHandle te, SInt32 from, SInt32 to, SInt32 oldHeight, SInt32 newHeight) {
    DrawSave save;
    if (!BeginDraw(te, &save)) return;
    Handle text = (*te)->hText;
    SInt8 state = text ? HGetState(text) : 0;
    if (text) HLock(text);
    if ((*te)->styleHandle) DrawStyledLines(te, from, to, oldHeight, newHeight);
    else DrawPlainLines(te, from, to, oldHeight, newHeight);
    if (text) HSetState(text, state);
    EndDraw(&save);
}

static Boolean BeginDraw(ExtendedTEHandle te, DrawSave *save) {
    ExtendedViewEnter(te, &save->port);
    GrafPtr port = qd.thePort;
    if (!port) {
        ExtendedViewLeave(&save->port);
        return kFalse;
    }
    save->font = port->txFont;
    save->size = port->txSize;
    save->face = port->txFace;
    save->mode = port->txMode;
    save->spExtra = port->spExtra;
    save->opColor = port->rgbOpColor;
    save->bkPat = port->bkPat;
    OrvaGetPenAndColorState(&save->colours);
    RGBColor back = (*te)->backColor;
    RGBBackColor(&back);
    BackPat(&qd.white);
    return kTrue;
}

static void EndDraw(DrawSave *save) {
    GrafPtr port = qd.thePort;
    OrvaSetPenAndColorState(&save->colours);
    port->txFont = save->font;
    port->txSize = save->size;
    port->txFace = save->face;
    port->txMode = save->mode;
    port->spExtra = save->spExtra;
    port->rgbOpColor = save->opColor;
    port->bkPat = save->bkPat;
    ExtendedViewLeave(&save->port);
}

static void DrawStyledLines(ExtendedTEHandle te, SInt32 from, SInt32 to, SInt32 oldHeight, SInt32 newHeight) {
    GrafPtr port = qd.thePort;
    Rect view = (*te)->viewRect, clipBox = port->clipRgn ? (*port->clipRgn)->rgnBBox : view, meet;
    if ((*te)->nLines <= 0 || !SectRect(&clipBox, &view, &meet)) return;
    // A turned record's lines lie across the view at an angle: none is skipped by its unturned
    // place, the clip alone keeps the drawing in the view.
    Boolean turned = (*te)->rotation != 0;
    ExtendedClipSave clip = {nullptr};
    SInt64 limit = kNoLimit;
    if (!(*te)->noClipToView) {
        if (!ExtendedClipToRect(&view, &clip)) return;
        if (!turned) limit = view.bottom;
    }
    SInt32 first = ExtendedGetNumLigneTexte(te, from), last = ExtendedGetNumLigneTexte(te, to);
    SInt64 y = ExtendedLineTop(te, first);
    Boolean lastDrawn = kFalse;
    for (SInt32 line = first; line <= last && y < limit; line++) {
        SInt32 height = ExtendedLineHeightPx(te, line);
        if (turned || y + height > view.top) {
            if ((*te)->eraseBackground) EraseBand(te, SInt32(y), SInt32(y + height), kTrue);
            DrawStyledLine(te, line, SInt32(y));
            if (line == (*te)->nLines - 1) lastDrawn = kTrue;
        }
        y += height;
    }
    EraseTail(te, SInt32(std::min<SInt64>(y, kNoLimit)), lastDrawn, oldHeight, newHeight);
    ExtendedClipRestore(&clip);
}

static void DrawPlainLines(ExtendedTEHandle te, SInt32 from, SInt32 to, SInt32 oldHeight, SInt32 newHeight) {
    Rect view = (*te)->viewRect;
    SInt32 lines = (*te)->nLines, height = (*te)->lineHeight;
    if (lines <= 0 || height <= 0) return;
    ExtendedClipSave clip;
    if (!ExtendedClipToRect(&view, &clip)) return;
    TextFont((*te)->txFont);
    TextFace((*te)->txFace);
    TextMode((*te)->txMode);
    TextSize((*te)->txSize);
    RGBColor colour = (*te)->txColor;
    RGBForeColor(&colour);
    SInt64 destTop = (*te)->destRect.top;
    SInt32 first = ExtendedGetNumLigneTexte(te, from), last = ExtendedGetNumLigneTexte(te, to);
    if (destTop + SInt64(first + 1) * height < view.top)
        first = SInt32(std::clamp<SInt64>((view.top - destTop) / height, 0, lines));
    if (destTop + SInt64(last) * height > view.bottom)
        last = SInt32(std::min<SInt64>((view.bottom - destTop) / height + 1, lines));
    Boolean lastDrawn = kFalse;
    SInt64 bottom = destTop + SInt64(first) * height;
    for (SInt32 line = std::max<SInt32>(first, 0); line <= last && line < lines; line++) {
        SInt64 top = destTop + SInt64(line) * height;
        bottom = top + height;
        if ((*te)->eraseBackground) EraseBand(te, SInt32(top), SInt32(bottom), kFalse);
        SInt32 start = ExtendedLineStart(te, line);
        MovePen(te, SInt32((*te)->destRect.left + ExtendedJustOffset(te, line)), SInt32(top + (*te)->fontAscent));
        CallDrawText(te, line, start, VisibleEnd(te, start, ExtendedLineNext(te, line)));
        if (line == lines - 1) lastDrawn = kTrue;
    }
    EraseTail(te, SInt32(std::clamp<SInt64>(bottom, -kNoLimit, kNoLimit)), lastDrawn, oldHeight, newHeight);
    ExtendedClipRestore(&clip);
}

static void DrawStyledLine(ExtendedTEHandle te, SInt32 line, SInt32 top) {
    SInt32 start = ExtendedLineStart(te, line), end = VisibleEnd(te, start, ExtendedLineNext(te, line));
    SInt32 baseline = top + ExtendedLineAscentPx(te, line);
    MovePen(te, SInt32((*te)->destRect.left + ExtendedJustOffset(te, line)), baseline);
    std::vector<Segment> segments;
    CutSegments(te, start, end, &segments);
    // Right-to-left segments that follow one another are drawn from the last to the first.
    size_t count = segments.size();
    for (size_t i = 0; i < count;) {
        size_t j = i + 1;
        if (segments[i].rightToLeft)
            while (j < count && segments[j].rightToLeft) j++;
        if (!segments[i].rightToLeft) {
            if (!DrawSegment(te, line, segments[i])) return;
        } else {
            for (size_t k = j; k > i; k--)
                if (!DrawSegment(te, line, segments[k - 1])) return;
        }
        i = j;
    }
}

// Cuts start..end at style-run boundaries and wherever the direction changes. A character of
// several bytes is right-to-left when its class says so; a one-byte character is left-to-right,
// except a space, which keeps the direction of the text before it.
static void CutSegments(ExtendedTEHandle te, SInt32 start, SInt32 end, std::vector<Segment> *segments) {
    ExtendedStylHandle styles = (*te)->styleHandle;
    if (start >= end || !styles) return;
    const UInt8 *text = (const UInt8 *)*(*te)->hText;
    Boolean utf8 = (*te)->encodingMode == kExtendedModeUTF8;
    SInt32 run = std::max<SInt32>(Extended_NumRun(start, styles), 0);
    SInt32 runs = (*styles)->nRuns;
    Boolean direction = kFalse;
    for (SInt32 at = start; at < end;) {
        SInt32 next = std::min(ExtendedNextChar(te, at), end);
        if (next <= at) next = at + 1;
        while (run + 1 < runs && (*styles)->runs[run + 1].startChar <= at) run++;
        SInt16 style = (*styles)->runs[std::min(run, runs - 1 < 0 ? 0 : runs - 1)].styleIndex;
        if (utf8 && next - at > 1) {
            UniChar unit = 0;
            UTFCharToUnicode(text + at, &unit, next - at);
            direction = UniCharRLType(unit) != 0;
        } else if (text[at] != kSpace) {
            direction = kFalse;
        }
        if (!segments->empty() && segments->back().style == style && segments->back().rightToLeft == direction)
            segments->back().end = next;
        else
            segments->push_back(Segment{at, next, style, direction});
        at = next;
    }
}

static Boolean DrawSegment(ExtendedTEHandle te, SInt32 line, const Segment &segment) {
    ExtendedStylHandle styles = (*te)->styleHandle;
    ExtendedSTHandle table = (*styles)->styleTab;
    if (table && segment.style >= 0 && segment.style < (*styles)->nStyles &&
        GetHandleSize((Handle)table) >= sizeof(ExtendedSTElement) * size_t(segment.style + 1)) {
        ExtendedSTElement entry = (*table)[segment.style];
        TextFont(entry.stFont);
        TextSize(ExtendedZoomedSize(entry.stSize, ExtendedViewZoom(te)));
        TextFace(SInt16(entry.stFace & kFaceDrawn));
        RGBForeColor(&entry.stColor);
    }
    return CallDrawText(te, line, segment.start, segment.end);
}

static Boolean CallDrawText(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 end) {
    if (end <= start || !(*te)->hText) return kTrue;
    ExtendedDrawTextProcPtr hook = (*te)->drawText ? (*te)->drawText : ExtendedDefaultDrawText;
    return hook(te, line, *(*te)->hText + start, end - start) != 0;
}

// The end of a line's visible bytes: its trailing CR and LF bytes are not drawn.
static SInt32 VisibleEnd(ExtendedTEHandle te, SInt32 start, SInt32 end) {
    const UInt8 *text = (const UInt8 *)*(*te)->hText;
    while (end > start && (text[end - 1] == kCR || text[end - 1] == kLF)) end--;
    return end;
}

// Erases the band top..bottom across the view in the record's background colour; a turned
// record erases the band turned with it, across the destination and all of the view turned
// back (its text and highlight may lie anywhere there) and a pixel taller, so that no seam
// stays.
static void EraseBand(ExtendedTEHandle te, SInt32 top, SInt32 bottom, Boolean taller) {
    const Rect view = (*te)->viewRect;
    if (bottom <= top) return;
    Rect band = {ExtendedClamp16(top), view.left, ExtendedClamp16(bottom), view.right};
    if ((*te)->rotation == 0) {
        EraseRect(&band);
        return;
    }
    // Every point of the view, turned back, lies within these columns.
    SInt32 left = (*te)->destRect.left, right = (*te)->destRect.right;
    const Point corners[4] = {{view.top, view.left}, {view.top, view.right}, {view.bottom, view.left},
                              {view.bottom, view.right}};
    for (const Point &corner : corners) {
        Point back = ExtendedUnturnPoint(te, corner);
        left = std::min<SInt32>(left, back.h - 1);
        right = std::max<SInt32>(right, back.h + 1);
    }
    band.left = ExtendedClamp16(left);
    band.right = ExtendedClamp16(right);
    if (taller && band.bottom < 32767) band.bottom++;
    RgnHandle rgn = ExtendedRotateGetRgnFromRect(te, &band);
    if (!rgn) return;
    EraseRgn(rgn);
    DisposeRgn(rgn);
}

// Below the text: the rest of the view once the last line is drawn, and the band the text no
// longer covers after it shrank.
static void EraseTail(ExtendedTEHandle te, SInt32 textBottom, Boolean lastDrawn, SInt32 oldHeight, SInt32 newHeight) {
    if (!(*te)->eraseBackground) return;
    const Rect view = (*te)->viewRect;
    if (lastDrawn && textBottom < view.bottom) EraseBand(te, std::max<SInt32>(textBottom, view.top), view.bottom, kFalse);
    if (newHeight < oldHeight) {
        SInt64 top = SInt64((*te)->destRect.top) + newHeight, bottom = SInt64((*te)->destRect.top) + oldHeight;
        top = std::max<SInt64>(top, view.top);
        bottom = std::min<SInt64>(bottom, view.bottom);
        if (top < bottom) EraseBand(te, SInt32(top), SInt32(bottom), kFalse);
    }
}

static void MovePen(ExtendedTEHandle te, SInt32 h, SInt32 v) {
    Point pen = {ExtendedClamp16(v), ExtendedClamp16(h)};
    if ((*te)->rotation != 0) ExtendedRotateTransformPoint(te, pen, &pen);
    _MoveTo(pen.h, pen.v);
}

// Feedback is drawn only in a port that is not recording a picture.
static Boolean MayDrawFeedback(ExtendedTEHandle) { return qd.thePort && !qd.thePort->picSave; }

static ShownCaret *FindCaret(ExtendedTEHandle te) {
    for (ShownCaret &s : gCarets.slots)
        if (s.te == te) return &s;
    return nullptr;
}

// The caret's line by XOR, clipped to the view.
static void XorCaretShape(const ShownCaret &caret) {
    ExtendedTEHandle te = caret.te;
    if (!qd.thePort || caret.width < 1) return;
    Rect view = te && *te ? (*te)->viewRect : Rect{0, 0, 0, 0};
    ExtendedClipSave clip;
    if (!ExtendedClipToRect(&view, &clip)) return;
    ExtendedPenColorState state;
    ExtendedGetPenAndColorState(&state);
    PenNormal();
    PenMode(kModePatXor);
    PenSize(caret.width, 1);
    RGBForeColor(&kBlack);
    LineAbs(caret.from.h, caret.from.v, caret.to.h, caret.to.v);
    ExtendedSetPenAndColorState(&state);
    ExtendedClipRestore(&clip);
}

// The caret at the selection start: from the bottom of its line up over the line's height; one
// pixel wide in insert mode, as wide as the character after it in overwrite mode.
static ShownCaret CaretShape(ExtendedTEHandle te) {
    SInt32 line = 0, start = (*te)->selStart;
    ExtendedPointOf(te, start, &line);
    SInt32 h = (*te)->selPoint.h, v = (*te)->selPoint.v, height = ExtendedLineHeightPx(te, line);
    SInt32 width = 1;
    if (!OrvaExtendedTEGetInsertMode()) {
        width = kOverwriteCaretWidth;
        if (start < (*te)->teLength) {
            BigPoint here = ExtendedPointOf(te, start, nullptr), next = ExtendedPointOf(te, ExtendedNextChar(te, start), nullptr);
            if (next.h - here.h >= 1) width = next.h - here.h;
        }
    }
    ShownCaret caret = {te, qd.thePort, Point{ExtendedClamp16(v - 1), ExtendedClamp16(h)},
                        Point{ExtendedClamp16(v - 1 - (height - 1)), ExtendedClamp16(h)}, ExtendedClamp16(width)};
    if (height < 1) caret.width = 0;
    if ((*te)->rotation != 0) {
        ExtendedRotateTransformPoint(te, caret.from, &caret.from);
        ExtendedRotateTransformPoint(te, caret.to, &caret.to);
    }
    return caret;
}

// Showing a TextEdit record: the caret and the selection highlight (drawn by inversion, never
// recorded into a picture, so that showing twice restores the pixels), the selection with its
// minimal re-highlighting, the drawing of plain lines, activation and the caret's blinking.
#include "graphics/text/textedit.h"

#include <algorithm>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/textedit_internal.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/input_method.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"

namespace {

enum : SInt32 {
    kOverwriteCaretWidth = 8,  // the overwrite caret at the text's end, or on a zero-width byte
    kDrawChunk = 32000,        // bytes given to one _DrawText call
};
enum : UInt8 { kHiliteBit = 0x80 };

// What the caret and highlight change in the record's port, restored after them.
struct FeedbackSave {
    TEPortSave port;
    RgnHandle clip;        // the port's clip before
    Pattern pnPat;
    SInt32 bkColor;
    UInt32 backPixel;
    RGBColor rgbBkColor;
    PixPatHandle bkPixPat;
    UInt8 hiliteMode;
};

}  // namespace

static void InvertRange(TEHandle te, SInt32 start, SInt32 end);
static Boolean BeginFeedback(TEHandle te, FeedbackSave *save);
static void EndFeedback(FeedbackSave *save);
static void InvertCaretRect(TEHandle te);
static Rect CaretRect(TEHandle te);
static Rect MakeRect(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right);
static void DrawLineText(TEHandle te, SInt32 line, SInt32 top);

// ---- Public ---------------------------------------------------------------------------------

void TEActivate(TEHandle te) {
    if (!te || !*te || (*te)->active) return;
    (*te)->active = 1;
    (*te)->selPoint = TEGetPoint((*te)->selStart, te);
    if ((*te)->selStart == (*te)->selEnd) TESetCaretState(te, 1);
    else InvertRange(te, (*te)->selStart, (*te)->selEnd);
}

void TEDeactivate(TEHandle te) {
    if (!te || !*te) return;
    SystemDependantIMESetPosition(-1, -1, nullptr);
    TEHideSelection(te);
}

void TEIdle(TEHandle te) {
    if (!te || !*te || !(*te)->active) return;
    if ((*te)->selStart == (*te)->selEnd) {
        UInt32 now = TickCount();
        if ((*te)->caretTime == 0 || SInt32(now - (*te)->caretTime) >= 0) {
            (*te)->caretTime = now + UInt32(SInt32(GetCaretTime()));
            TESetCaretState(te, (*te)->caretState ? 0 : 1);
        }
    }
    TextStyle style;
    if (TEIsStyled(te)) {
        TEStyledNullStyle(te, &style);
    } else {
        style = TextStyle{(*te)->txFont, (*te)->txFace, 0, (*te)->txSize, {0, 0, 0}};
    }
    Point where = (*te)->selPoint;
    GrafPtr saved = qd.thePort;
    SetPort((*te)->inPort);
    LocalToGlobal(&where);
    SetPort(saved);
    SystemDependantIMESetPosition(where.v, where.h, &style);
}

void TEUpdate(const Rect *rect, TEHandle te) {
    if (!te || !*te || !rect) return;
    Rect view = (*te)->viewRect, narrowed;
    if (!SectRect(&view, rect, &narrowed)) return;
    (*te)->viewRect = narrowed;
    SInt32 bottom = (*te)->destRect.top + TEGetHeight((*te)->nLines, 0, te);
    orva_affiche_lignes(te, 0, (*te)->teLength, bottom, bottom);
    orva_affiche_select(te);
    (*te)->viewRect = view;
}

void TEDoText(TEHandle te, SInt32 start, SInt32 end, SInt32 oldHeight) {
    if (!te || !*te) return;
    SInt32 last = std::max<SInt32>((*te)->teLength - 1, 0);
    start = std::clamp<SInt32>(start, 0, last);
    end = std::clamp<SInt32>(end, 0, last);
    TEPortSave port;
    TEEnterPort(te, &port);
    ThemeDrawingState theme = nullptr;
    Boolean themed = GetThemeDrawingState(&theme) == noErr;
    OrvaPenAndColorState colours;
    if (!themed) OrvaGetPenAndColorState(&colours);
    TESetBlackOnWhite(qd.thePort);
    Boolean wasActive = (*te)->active != 0;
    TEHideSelection(te);
    SInt32 top = (*te)->destRect.top;
    orva_affiche_lignes(te, start, end, top + oldHeight, top + TEGetHeight((*te)->nLines, 0, te));
    if (wasActive) TEActivate(te);
    if (themed) SetThemeDrawingState(theme, kTrue);
    else OrvaSetPenAndColorState(&colours);
    TELeavePort(&port);
}

void orva_affiche_select(TEHandle te) {
    if (!te || !*te || !(*te)->active) return;
    if ((*te)->selStart != (*te)->selEnd) InvertRange(te, (*te)->selStart, (*te)->selEnd);
    else if ((*te)->caretState) InvertCaretRect(te);  // the redrawn lines erased it
}

void TESetSelect(SInt32 selStart, SInt32 selEnd, TEHandle te) {
    if (!te || !*te) return;
    TESetSelection(te, selStart, selEnd, kTrue);
    TESelView(te);
}

// ---- Shared with the other TextEdit files ----------------------------------------------------

void TESetSelection(TEHandle te, SInt32 start, SInt32 end, Boolean order) {
    start = TEClampOffset(te, start);
    end = TEClampOffset(te, end);
    if (order && start > end) std::swap(start, end);
    SInt32 oldStart = (*te)->selStart, oldEnd = (*te)->selEnd;
    if (start == oldStart && end == oldEnd) {
        (*te)->selPoint = TEGetPoint(start, te);
        return;
    }
    if ((*te)->active) {
        if (oldStart == oldEnd) TESetCaretState(te, 0);
        // The old and the new highlight differ by these two ranges; shared parts cancel.
        SInt32 oldLow = std::min(oldStart, oldEnd), oldHigh = std::max(oldStart, oldEnd);
        SInt32 newLow = std::min(start, end), newHigh = std::max(start, end);
        InvertRange(te, std::min(oldLow, newLow), std::max(oldLow, newLow));
        InvertRange(te, std::min(oldHigh, newHigh), std::max(oldHigh, newHigh));
    }
    (*te)->selStart = UInt16(start);
    (*te)->selEnd = UInt16(end);
    orva_FixeStyleNull(te);
    if (start == end) (*te)->selPoint = TEGetPoint(start, te);
}

void TESetCaretState(TEHandle te, SInt16 state) {
    state = state ? 1 : 0;
    if ((*te)->caretState == state) return;
    // selRect keeps where the caret was drawn, so that removing it inverts the same pixels.
    if (state) (*te)->selRect = CaretRect(te);
    InvertCaretRect(te);
    (*te)->caretState = state;
}

void TEHideSelection(TEHandle te) {
    if (!(*te)->active) return;
    if ((*te)->selStart == (*te)->selEnd) TESetCaretState(te, 0);
    else InvertRange(te, (*te)->selStart, (*te)->selEnd);
    (*te)->active = 0;
}

void orva_affiche_lignes(TEHandle te, SInt32 start, SInt32 end, SInt32 oldBottom, SInt32 newBottom) {
    if (TEIsStyled(te)) {
        orva_affiche_texteExt(te, start, end, oldBottom, newBottom);
        return;
    }
    TEDrawSave save;
    if (!TEBeginDraw(te, &save)) return;
    Handle text = (*te)->hText;
    UInt8 state = HGetState(text);
    HLock(text);
    SInt32 first = 0, last = 0;
    TEDrawnLines(te, start, end, &first, &last);
    Rect view = (*te)->viewRect;
    SInt32 destTop = (*te)->destRect.top, height = (*te)->lineHeight;
    if (height > 0) first = std::max<SInt32>(first, (view.top - destTop) / height - 1);
    for (SInt32 line = std::max<SInt32>(first, 0); line <= last; line++) {
        SInt32 top = destTop + line * height;
        if (top >= view.bottom) break;
        if (top + height <= view.top) continue;
        Rect band = MakeRect(top, view.left, top + height, view.right);
        EraseRect(&band);
        if (line < (*te)->nLines) DrawLineText(te, line, top);
    }
    if (oldBottom > newBottom) {
        Rect gap = MakeRect(std::max<SInt32>(newBottom, view.top), view.left, std::min<SInt32>(oldBottom, view.bottom),
                            view.right);
        if (!EmptyRect(&gap)) EraseRect(&gap);
    }
    HSetState(text, state);
    TEEndDraw(&save);
}

void TEDrawnLines(TEHandle te, SInt32 start, SInt32 end, SInt32 *first, SInt32 *last) {
    *first = orva_NumLigne(start, te);
    *last = orva_NumLigne(end, te);
    if (end >= (*te)->teLength - 1) *last = std::max(*last, TELastLine(te));
}

// The record's port, its text settings put through the recorded setters, clip = clip and
// viewRect. "No more mem" when the clip cannot be made.
Boolean TEBeginDraw(TEHandle te, TEDrawSave *save) {
    TEEnterPort(te, &save->port);
    GrafPtr port = qd.thePort;
    if (!port) {
        TELeavePort(&save->port);
        return kFalse;
    }
    save->font = port->txFont;
    save->face = port->txFace;
    save->size = port->txSize;
    save->mode = port->txMode;
    save->fgColor = port->fgColor;
    save->forePixel = port->forePixel;
    save->rgbFgColor = port->rgbFgColor;
    save->clip = NewRgn();
    RgnHandle view = save->clip ? NewRgn() : nullptr;
    if (!view) {
        OrvaErreur("No more mem");
        if (save->clip) DisposeRgn(save->clip);
        TELeavePort(&save->port);
        return kFalse;
    }
    if (!TEIsStyled(te)) {
        TextFont((*te)->txFont);
        TextFace((*te)->txFace);
        TextSize((*te)->txSize);
        TextMode((*te)->txMode);
    }
    GetClip(save->clip);
    RectRgn(view, &(*te)->viewRect);
    SectRgn(save->clip, view, view);
    SetClip(view);
    DisposeRgn(view);
    return kTrue;
}

void TEEndDraw(TEDrawSave *save) {
    SetClip(save->clip);
    DisposeRgn(save->clip);
    TextFont(save->font);
    TextFace(save->face);
    TextSize(save->size);
    TextMode(save->mode);
    GrafPtr port = qd.thePort;
    if (port->rgbFgColor.red != save->rgbFgColor.red || port->rgbFgColor.green != save->rgbFgColor.green ||
        port->rgbFgColor.blue != save->rgbFgColor.blue)
        RGBForeColor(&save->rgbFgColor);
    port->fgColor = save->fgColor;
    port->forePixel = save->forePixel;
    TELeavePort(&save->port);
}

void TESetBlackOnWhite(GrafPtr port) {
    if (!port) return;
    ForeColor(kTEBlackCode);
    BackColor(kTEWhiteCode);
    // Without the colour tables the codes alone leave the colours as they were.
    port->rgbFgColor = RGBColor{0, 0, 0};
    port->rgbBkColor = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
}

// ---- Helpers --------------------------------------------------------------------------------

// Inverts the highlight of start..end (either order): from the first offset's point to the
// right edge, whole lines between, and up to the second offset's point (the right edge when it
// is the text's end), each line as tall as its height; vertically adjacent rectangles of equal
// extent are joined. The highlight colour is used, on a white background.
static void InvertRange(TEHandle te, SInt32 start, SInt32 end) {
    if (start > end) std::swap(start, end);
    start = TEClampOffset(te, start);
    end = TEClampOffset(te, end);
    if (start == end) return;
    SInt32 firstLine = 0, lastLine = 0;
    Point from = TEPointOf(te, start, &firstLine), to = TEPointOf(te, end, &lastLine);
    SInt32 left = (*te)->destRect.left, right = (*te)->destRect.right;
    SInt32 toH = end >= (*te)->teLength ? right : to.h;
    SInt32 fromTop = from.v - TELineHeight(te, firstLine), toTop = to.v - TELineHeight(te, lastLine);
    std::vector<Rect> rects;
    if (firstLine == lastLine) {
        rects.push_back(MakeRect(fromTop, from.h, from.v, toH));
    } else {
        rects.push_back(MakeRect(fromTop, from.h, from.v, right));
        if (toTop > from.v) rects.push_back(MakeRect(from.v, left, toTop, right));
        rects.push_back(MakeRect(toTop, left, to.v, toH));
    }
    std::vector<Rect> joined;
    for (const Rect &r : rects) {
        if (EmptyRect(&r)) continue;
        if (!joined.empty() && joined.back().left == r.left && joined.back().right == r.right &&
            joined.back().bottom == r.top)
            joined.back().bottom = r.bottom;
        else
            joined.push_back(r);
    }
    FeedbackSave save;
    if (!BeginFeedback(te, &save)) return;
    for (const Rect &r : joined) {
        HiliteMode &= UInt8(~kHiliteBit);
        OrvaInvertRect(&r);
    }
    EndFeedback(&save);
}

// The record's port with clip = clip and viewRect, a black pen pattern and a white background,
// set straight in the port so that nothing is recorded.
static Boolean BeginFeedback(TEHandle te, FeedbackSave *save) {
    TEEnterPort(te, &save->port);
    GrafPtr port = qd.thePort;
    save->clip = port && port->clipRgn ? NewRgn() : nullptr;
    RgnHandle view = save->clip ? NewRgn() : nullptr;
    if (!view) {
        if (port) OrvaErreur("No more mem");
        if (save->clip) DisposeRgn(save->clip);
        TELeavePort(&save->port);
        return kFalse;
    }
    _CopyRgn(port->clipRgn, save->clip);
    RectRgn(view, &(*te)->viewRect);
    SectRgn(port->clipRgn, view, port->clipRgn);
    DisposeRgn(view);
    calcule_portclip();
    save->pnPat = port->pnPat;
    save->bkColor = port->bkColor;
    save->backPixel = port->backPixel;
    save->rgbBkColor = port->rgbBkColor;
    save->bkPixPat = port->bkPixPat;
    save->hiliteMode = HiliteMode;
    port->pnPat = qd.black;
    port->bkColor = kTEWhiteCode;
    port->rgbBkColor = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    OrvaClassicColor(port, kTEWhiteCode, &port->backPixel, nullptr);
    port->bkPixPat = nullptr;
    return kTrue;
}

static void EndFeedback(FeedbackSave *save) {
    GrafPtr port = qd.thePort;
    _CopyRgn(save->clip, port->clipRgn);
    DisposeRgn(save->clip);
    calcule_portclip();
    port->pnPat = save->pnPat;
    port->bkColor = save->bkColor;
    port->backPixel = save->backPixel;
    port->rgbBkColor = save->rgbBkColor;
    port->bkPixPat = save->bkPixPat;
    HiliteMode = save->hiliteMode;
    TELeavePort(&save->port);
}

// Inverts selRect, where the caret is (or is to be) drawn.
static void InvertCaretRect(TEHandle te) {
    Rect r = (*te)->selRect;
    if (EmptyRect(&r)) return;
    FeedbackSave save;
    if (!BeginFeedback(te, &save)) return;
    HiliteMode |= kHiliteBit;
    OrvaInvertRect(&r);
    EndFeedback(&save);
}

// A stroke up from one pixel above selPoint over the height of the caret's line: one pixel
// wide, or in overwrite mode as wide as the byte under it.
static Rect CaretRect(TEHandle te) {
    Point at = (*te)->selPoint;
    SInt32 start = (*te)->selStart, height = TELineHeight(te, TELineOfPoint(te, start)), width = 1;
    if (!OrvaTEGetInsertMode()) {
        width = kOverwriteCaretWidth;
        if (start < (*te)->teLength) {
            SInt32 charWidth = orva_TailleTexte(te, start, TENextChar(te, start) - start);
            if (charWidth >= 1) width = charWidth;
        }
    }
    return MakeRect(at.v - height, at.h, at.v, at.h + width);
}

static Rect MakeRect(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right) {
    Rect r;
    r.top = TEClampCoordinate(top);
    r.left = TEClampCoordinate(left);
    r.bottom = TEClampCoordinate(bottom);
    r.right = TEClampCoordinate(right);
    return r;
}

// The bytes of a plain line, without its return, on its baseline.
static void DrawLineText(TEHandle te, SInt32 line, SInt32 top) {
    SInt32 start = (*te)->lineStarts[line], end = (*te)->lineStarts[line + 1];
    const char *text = *(*te)->hText;
    if (end > start && UInt8(text[end - 1]) == kTEReturn) end--;
    _MoveTo(TEClampCoordinate((*te)->destRect.left + TEJustification(te, line)),
            TEClampCoordinate(top + (*te)->fontAscent));
    for (SInt32 at = start; at < end; at += kDrawChunk)
        _DrawText(text + at, 0, SInt16(std::min<SInt32>(end - at, kDrawChunk)));
}

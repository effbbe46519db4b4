// Changing a TextEdit record: typed keys, mouse clicks, deletion, the desktop scrap, replacing
// the whole text, scrolling and keeping the selection in view, and the one-shot text boxes.
#include "graphics/text/textedit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/textedit_internal.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/input_method.h"
#include "platform/core/back_end.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/runtime.h"
#include "platform/core/scrap.h"
#include "platform/core/time_manager.h"

namespace {

enum : UInt8 { kWordByteHigh = 128 };
enum : SInt16 { kTextBoxHeight = 32000 };  // the height of OrvaTailleTextBox's record

const ResType kScrapText = FourCC("TEXT");
const ResType kScrapStyles = FourCC("styl");

}  // namespace

static SInt32 NavigationTarget(TEHandle te, UInt8 key, UInt16 modifiers);
static SInt32 LineStartOf(TEHandle te, SInt32 line);
static void TrackClick(TEHandle te, Point pt, SInt32 anchor);

// ---- Keys and clicks -------------------------------------------------------------------------

void TEKey(SInt16 key, TEHandle te) {
    if (!te || !*te) return;
    UInt8 byte = UInt8(key);
    TEDeactivate(te);
    switch (byte) {
    case kTEKeyBackspace:
        if ((*te)->selStart == (*te)->selEnd && (*te)->selStart > 0)
            (*te)->selStart = UInt16(TEPreviousChar(te, (*te)->selStart));
        TEDelete(te);
        break;
    case kTEKeyDelete:
        if ((*te)->selStart == (*te)->selEnd && (*te)->selEnd < (*te)->teLength)
            (*te)->selEnd = UInt16(TENextChar(te, (*te)->selEnd));
        TEDelete(te);
        break;
    case kTEKeyInsertMode:
        TESetCaretState(te, 0);
        OrvaTESetInsertMode(!OrvaTEGetInsertMode());
        break;
    case kTEKeyLeft:
    case kTEKeyRight:
    case kTEKeyUp:
    case kTEKeyDown:
    case kTEKeyHome:
    case kTEKeyEnd: {
        UInt16 modifiers = SystemDependantGetModifiers();
        SInt32 target = NavigationTarget(te, byte, modifiers);
        if (target != (*te)->selEnd) {  // keys with nowhere to go leave the selection alone
            if (modifiers & kModifierShift) TESetSelection(te, (*te)->selStart, target, kFalse);
            else TESetSelection(te, target, target, kFalse);
        }
        TESelView(te);
        (*te)->selPoint = TEGetPoint((*te)->selEnd, te);
        orva_FixeStyleNull(te);
        break;
    }
    case kTEKeyFunction:
    case kTEKeyEscape:
        break;
    default: {
        SInt32 at = (*te)->selStart;
        if (!OrvaTEGetInsertMode() && at == (*te)->selEnd && at < (*te)->teLength &&
            UInt8((*(*te)->hText)[at]) != kTEReturn)
            (*te)->selEnd = UInt16(at + 1);
        TEDelete(te);
        if (TEIsStyled(te)) TEStylInsert(&byte, 1, nullptr, te);
        else TEInsert(&byte, 1, te);
        break;
    }
    }
    TEActivate(te);
    TESelView(te);
    TESetCaretState(te, 0);
    (*te)->caretTime = 0;
}

void TEClick(Point pt, Boolean extend, TEHandle te) {
    if (!te || !*te) return;
    TEPortSave port;
    TEEnterPort(te, &port);
    SInt32 offset = TEGetOffset(pt, te);
    UInt32 now = TickCount();
    SInt32 anchor = offset;
    if (!extend) {
        TESetSelection(te, offset, offset, kTrue);
        TEActivate(te);
        // A record never clicked has no previous click to pair with.
        UInt32 last = (*te)->clickTime;
        if (last != 0 && now - last < UInt32(std::max<SInt16>(GetDblTime(), 0))) {
            SInt32 start = offset, end = offset;
            while (start > 0 && TEIsWordByte(te, start - 1)) start--;
            while (end < (*te)->teLength && TEIsWordByte(te, end)) end++;
            TESetSelection(te, start, end, kTrue);
            TESetCaretState(te, 0);
            (*te)->caretTime = 0;
            TELeavePort(&port);
            return;
        }
    } else {
        anchor = offset <= std::min((*te)->selStart, (*te)->selEnd) ? std::max((*te)->selStart, (*te)->selEnd)
                                                                    : std::min((*te)->selStart, (*te)->selEnd);
    }
    (*te)->clickTime = now;
    TrackClick(te, pt, anchor);
    orva_FixeStyleNull(te);
    TESetCaretState(te, 0);
    (*te)->caretTime = 0;
    TELeavePort(&port);
}

// ---- Editing and the scrap ---------------------------------------------------------------------

void TEDelete(TEHandle te) {
    if (!te || !*te) return;
    Boolean wasActive = (*te)->active != 0;
    TEDeactivate(te);
    SInt32 start = std::min((*te)->selStart, (*te)->selEnd), end = std::max((*te)->selStart, (*te)->selEnd);
    (*te)->selStart = UInt16(start);
    (*te)->selEnd = UInt16(end);
    if (start < end) {
        SInt32 length = (*te)->teLength, removed = end - start;
        SInt32 oldHeight = TEGetHeight((*te)->nLines, 0, te);
        if (TEIsStyled(te)) orva_RunAdjust(start, -removed, te);
        Handle text = (*te)->hText;
        std::memmove(*text + start, *text + end, size_t(length - end));
        SetHandleSize(text, UInt32(length - removed));  // shrinking keeps the block
        (*te)->teLength = UInt16(length - removed);
        (*te)->selEnd = UInt16(start);
        SInt32 first = 0, last = 0;
        TERecalText(start, -1, -removed, te, &first, &last);
        TEDoText(te, first, last, oldHeight);
        (*te)->selPoint = TEGetPoint(start, te);
        TESelView(te);
        orva_FixeStyleNull(te);
    }
    if (wasActive) TEActivate(te);
}

void TEInsert(const void *text, SInt32 length, TEHandle te) { TEStylInsert(text, length, nullptr, te); }

void TECut(TEHandle te) {
    TECopy(te);
    TEDelete(te);
}

void TECopy(TEHandle te) {
    if (!te || !*te) return;
    ZeroScrap();
    SInt32 start = std::min((*te)->selStart, (*te)->selEnd), end = std::max((*te)->selStart, (*te)->selEnd);
    (*te)->selStart = UInt16(start);
    (*te)->selEnd = UInt16(end);
    if (start >= end) return;
    if (TEIsStyled(te)) {
        if (StScrpHandle styles = GetStylScrap(te)) {
            PutScrap(SInt32(GetHandleSize(styles)), kScrapStyles, *styles);
            DisposHandle(styles);
        }
    }
    PutScrap(end - start, kScrapText, *(*te)->hText + start);
}

void TEPaste(TEHandle te) {
    if (!te || !*te) return;
    TEDelete(te);
    Handle text = NewHandle(0);
    if (!text) return;
    SInt32 offset = 0;
    if (GetScrap(text, kScrapText, &offset) > 0) {
        HLock(text);
        TEInsert(*text, SInt32(GetHandleSize(text)), te);
    }
    TESelView(te);
    DisposHandle(text);
}

void TESetText(const void *text, SInt32 length, TEHandle te) {
    if (!te || !*te) return;
    length = text ? std::clamp<SInt32>(length, 0, kTEMaxLength) : 0;
    // The new block first: without it the record keeps its text.
    Handle copy = TENewHandle(UInt32(length));
    if (!copy) return;
    if (length > 0) std::memcpy(*copy, text, size_t(length));
    DisposHandle((*te)->hText);
    (*te)->hText = copy;
    (*te)->teLength = UInt16(length);
    (*te)->selStart = (*te)->selEnd = UInt16(length);
    if (TEIsStyled(te)) orva_InitStyle(te);
    TECalText(te);
    (*te)->selPoint = TEGetPoint(length, te);
}

SInt32 TEGetScrapLen() {
    SInt32 offset = 0, length = GetScrap(nullptr, kScrapText, &offset);
    return length > 0 ? length : 0;
}

OSErr TEFromScrap() { return noErr; }
OSErr TEToScrap() { return noErr; }
Handle TEScrapHandle() { return nullptr; }
void TESetScrapLen(SInt32) {}

// ---- Scrolling ----------------------------------------------------------------------------

void TEScroll(SInt16 dh, SInt16 dv, TEHandle te) {
    if (!te || !*te || (dh == 0 && dv == 0)) return;
    Rect &dest = (*te)->destRect;
    dest.left = TEClampCoordinate(SInt32(dest.left) + dh);
    dest.right = TEClampCoordinate(SInt32(dest.right) + dh);
    dest.top = TEClampCoordinate(SInt32(dest.top) + dv);
    dest.bottom = TEClampCoordinate(SInt32(dest.bottom) + dv);
    TEPortSave port;
    TEEnterPort(te, &port);
    TESetCaretState(te, 0);
    RgnHandle saved = NewRgn(), view = NewRgn(), update = NewRgn();
    if (!saved || !view || !update) {
        OrvaErreur("No more mem");
    } else {
        GetClip(saved);
        RectRgn(view, &(*te)->viewRect);
        SectRgn(saved, view, view);
        SetClip(view);
        ThemeDrawingState theme = nullptr;
        Boolean themed = GetThemeDrawingState(&theme) == noErr;
        OrvaPenAndColorState colours;
        if (!themed) OrvaGetPenAndColorState(&colours);
        TESetBlackOnWhite(qd.thePort);
        BackPat(&qd.white);
        Rect scrolled = (*te)->viewRect;
        ScrollRect(&scrolled, dh, dv, update);
        Rect box = (*update)->rgnBBox;
        TEUpdate(&box, te);
        TESetSelection(te, (*te)->selStart, (*te)->selEnd, kFalse);
        SetClip(saved);
        if (themed) SetThemeDrawingState(theme, kTrue);
        else OrvaSetPenAndColorState(&colours);
    }
    if (saved) DisposeRgn(saved);
    if (view) DisposeRgn(view);
    if (update) DisposeRgn(update);
    TELeavePort(&port);
}

void TEPinScroll(SInt16 dh, SInt16 dv, TEHandle te) {
    if (!te || !*te) return;
    const Rect view = (*te)->viewRect, dest = (*te)->destRect;
    SInt32 h = dh, v = dv;
    // Each limit only shortens the scroll: it never turns it the other way.
    if (h > 0) h = std::max<SInt32>(0, std::min<SInt32>(h, view.left - dest.left));
    else if (h < 0) h = std::min<SInt32>(0, std::max<SInt32>(h, view.right - dest.right));
    if (v > 0) v = std::max<SInt32>(0, std::min<SInt32>(v, view.top - dest.top));
    else if (v < 0) {
        SInt32 bottom = dest.top + TEGetHeight((*te)->nLines, 0, te);
        v = std::min<SInt32>(0, std::max<SInt32>(v, view.bottom - bottom));
    }
    TEScroll(TEClampCoordinate(h), TEClampCoordinate(v), te);
}

void TESelView(TEHandle te) {
    if (!te || !*te || !(*te)->autoView || (*te)->teLength == 0) return;
    SInt32 startLine = 0;
    Point p = TEPointOf(te, (*te)->selStart, &startLine), q = TEGetPoint((*te)->selEnd, te);
    SInt32 height = TELineHeight(te, startLine);
    const Rect view = (*te)->viewRect, dest = (*te)->destRect;
    SInt32 dv = q.v > view.bottom ? view.bottom - q.v : 0;
    if (p.v - height + dv < view.top) dv = view.top - p.v + height;
    SInt32 dh = 0;
    if (p.h < view.left) dh = std::min<SInt32>(view.right - p.h, view.left - dest.left);
    else if (p.h >= view.right) dh = -(p.h - view.right) - 1;
    TEScroll(TEClampCoordinate(dh), TEClampCoordinate(dv), te);
}

// ---- Text boxes -------------------------------------------------------------------------------

void TextBox(const void *text, SInt32 length, const Rect *box, SInt16 just) {
    if (!box || !qd.thePort) return;
    TEHandle te = TENew(box, box);
    if (!te) return;
    (*te)->just = just;
    TESetText(text, length, te);
    (*te)->active = 0;
    EraseRect(box);
    TEUpdate(box, te);
    TEDispose(te);
}

void OrvaTailleTextBox(const void *text, SInt32 length, SInt16 width, Point *size) {
    if (!size) return;
    *size = Point{0, 0};
    Rect box = {0, 0, kTextBoxHeight, width};
    TEHandle te = TENew(&box, &box);
    if (!te) return;
    TESetText(text, length, te);
    size->v = TEClampCoordinate(TEGetHeight((*te)->nLines, 0, te));
    SInt32 widest = 0;
    for (SInt32 line = 0; line < (*te)->nLines; line++) {
        SInt32 start = (*te)->lineStarts[line];
        widest = std::max(widest, orva_TailleTexte(te, start, (*te)->lineStarts[line + 1] - start));
    }
    size->h = TEClampCoordinate(widest);
    TEDispose(te);
}

// ---- Default hooks ----------------------------------------------------------------------------

Boolean OrvaTEDefaultWordBreak(Ptr text, SInt32 offset) {
    UInt8 c = UInt8(text[offset]);
    return c > kWordByteHigh || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '.';
}

// Scrolls the text towards the mouse when it leaves the view, by the line height there.
Boolean OrvaTEDefaultClickLoop(Point mouse, TEHandle te) {
    TextStyle style;
    SInt16 height = 0, ascent = 0;
    TEGetStyle(TEGetOffset(mouse, te), &style, &height, &ascent, te);
    const Rect view = (*te)->viewRect;
    if (mouse.h < view.left) TEPinScroll(height, 0, te);
    else if (mouse.h > view.right) TEPinScroll(SInt16(-height), 0, te);
    if (mouse.v < view.top) TEPinScroll(0, height, te);
    else if (mouse.v > view.bottom) TEPinScroll(0, SInt16(-height), te);
    return kTrue;
}

// ---- Helpers --------------------------------------------------------------------------------

// Where a navigation key takes selEnd. Command moves left and right by words and home and end
// to the text's ends.
static SInt32 NavigationTarget(TEHandle te, UInt8 key, UInt16 modifiers) {
    SInt32 from = (*te)->selEnd, length = (*te)->teLength;
    Boolean command = (modifiers & kModifierCommand) != 0;
    SInt32 line = orva_NumLigne(from, te);
    switch (key) {
    case kTEKeyLeft:
        if (!command) return TEPreviousChar(te, from);
        while (from > 0 && !TEIsWordByte(te, from - 1)) from--;
        while (from > 0 && TEIsWordByte(te, from - 1)) from--;
        return from;
    case kTEKeyRight:
        if (!command) return TENextChar(te, from);
        while (from < length && !TEIsWordByte(te, from)) from++;
        while (from < length && TEIsWordByte(te, from)) from++;
        return from;
    case kTEKeyHome:
        return command ? 0 : LineStartOf(te, line);
    case kTEKeyEnd:
        if (command || line >= (*te)->nLines - 1) return length;
        return (*te)->lineStarts[line + 1] - 1;
    case kTEKeyUp:
    case kTEKeyDown: {
        SInt32 shown = 0;
        Point at = TEPointOf(te, from, &shown);
        if (key == kTEKeyUp) {
            if (shown == 0) return 0;
            at.v = TEClampCoordinate(at.v - (TELineHeight(te, shown) + 1));
        } else {
            if (shown >= TELastLine(te)) return length;
            at.v = TEClampCoordinate(at.v + 2);
        }
        return TEGetOffset(at, te);
    }
    default:
        return from;
    }
}

static SInt32 LineStartOf(TEHandle te, SInt32 line) {
    if (line >= (*te)->nLines) return (*te)->teLength;
    return (*te)->lineStarts[line];
}

// Follows the mouse from anchor while the button is held. Inside the browser no release can
// arrive while this runs, so there it makes one pass, with the press point.
static void TrackClick(TEHandle te, Point pt, SInt32 anchor) {
    Boolean plugin = OrvaIsPlugin();
    do {
        Point mouse = pt;
        if (!plugin) GetMouse(&mouse);
        TESetSelection(te, anchor, TEGetOffset(mouse, te), kTrue);
        if ((*te)->autoView && (*te)->clikLoop && !(*te)->clikLoop(mouse, te)) break;
        if (plugin) break;
        Delay(1, nullptr);
    } while (StillDown());
}

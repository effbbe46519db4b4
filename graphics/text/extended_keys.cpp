// The keyboard and the mouse in an Extended TextEdit record: typed keys (caret moves by
// character, word, line and page, deletion, insert and overwrite, refused characters, the
// maximum length, block indent with the tab key), clicks (double and triple, shift-extend, drag
// with automatic scrolling) and the word under a point.
#include "graphics/text/extended_textedit.h"

#include <algorithm>
#include <vector>

#include "graphics/text/extended_view.h"
#include "graphics/toolbox_hooks.h"
#include "platform/core/os_utilities.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "platform/core/time_manager.h"

namespace {

enum : UInt16 {  // key codes with a meaning of their own
    kKeyHome = 1,
    kKeyEnd = 4,
    kKeyInsertMode = 5,
    kKeyBackspace = 8,
    kKeyTab = 9,
    kKeyLF = 10,
    kKeyPageUp = 11,
    kKeyPageDown = 12,
    kKeyCR = 13,
    kKeyFunction = 16,
    kKeyEscape = 27,
    kKeyLeft = 28,
    kKeyRight = 29,
    kKeyUp = 30,
    kKeyDown = 31,
    kKeySpace = 32,
    kKeyASCIIEnd = 127,
    kKeyDelete = 127,
};
enum : UInt8 { kKeyMapCommand = 55, kKeyMapShift = 56 };  // positions in the key map
enum : SInt32 { kMaxKeyBytes = 3 };
enum : SInt32 { kUpStep = 1, kDownStep = 2 };  // pixels past the caret's line asked for by up and down

struct Modifiers {
    Boolean shift, command;
};

}  // namespace

static Modifiers ReadModifiers();
static Boolean IsCaretKey(UInt16 key);
static SInt32 CaretTarget(ExtendedTEHandle te, UInt16 key, Modifiers modifiers);
static Boolean IsRefused(ExtendedTEHandle te, UInt16 key);
static Boolean TabIndents(ExtendedTEHandle te, Boolean shift);
static void PageKey(ExtendedTEHandle te, UInt16 key);
static void InsertKey(ExtendedTEHandle te, UInt16 key);
static SInt32 EncodeKey(ExtendedTEHandle te, UInt16 key, UInt8 *bytes);
static void WordAround(ExtendedTEHandle te, SInt32 offset, SInt32 *start, SInt32 *end);
static void ServeUpdate(ExtendedTEHandle te);
static SInt32 LineEndForKey(ExtendedTEHandle te, SInt32 line);

// ---- Keys -------------------------------------------------------------------------------------

void ExtendedTEKey(UInt16 key, ExtendedTEHandle te) {
    if (!te || !*te || !(*te)->hText) return;
    Modifiers modifiers = ReadModifiers();
    ObscureCursor();
    if ((*te)->selStart == (*te)->selEnd) ExtendedAfficheCurseur(te, kFalse);
    else ExtendedEffaceAireSelectTexte(te);
    if (key == kKeyDelete) {
        ExtendedAdjustStartEnd(te);
        if ((*te)->selStart == (*te)->selEnd && (*te)->selEnd < (*te)->teLength)
            (*te)->selEnd = ExtendedNextChar(te, (*te)->selStart);
        (*te)->anchor = (*te)->selStart;
        (*te)->activeEnd = (*te)->selEnd;
        ExtendedTEDelete(te);
    } else if (key == kKeyInsertMode) {
        ExtendedAfficheCurseur(te, kFalse);
        OrvaExtendedTESetInsertMode(!OrvaExtendedTEGetInsertMode());
    } else if (key == kKeyBackspace) {
        ExtendedAdjustStartEnd(te);
        if ((*te)->selStart == (*te)->selEnd && (*te)->selStart > 0) {
            (*te)->selStart = ExtendedPreviousChar(te, (*te)->selStart);
            (*te)->anchor = (*te)->selEnd;
            (*te)->activeEnd = (*te)->selStart;
        }
        ExtendedTEDelete(te);
    } else if (IsCaretKey(key)) {
        SInt32 p = CaretTarget(te, key, modifiers);
        (*te)->activeEnd = p;
        if (!modifiers.shift) (*te)->anchor = (*te)->selStart = (*te)->selEnd = p;
        ExtendedAdjustStartEnd(te);
        (*te)->selPoint = ExtendedPointOf(te, p, nullptr);
        ExtendedTESelView(te);
        ExtendedTEActivate(te);
        ExtendedFixeStyleNull(te);
    } else if (key == kKeyFunction || key == kKeyEscape || IsRefused(te, key)) {
        // Nothing changes; the selection is shown again below.
    } else if (key == kKeyTab && TabIndents(te, modifiers.shift)) {
        return;
    } else if (key == kKeyPageUp || key == kKeyPageDown) {
        PageKey(te, key);
        ExtendedTEActivate(te);
        return;
    } else {
        InsertKey(te, key);
    }
    ExtendedTESelView(te);
    ExtendedTEActivate(te);
    ExtendedRetraceAireSelectTexte(te);
    ExtendedAfficheCurseur(te, kFalse);
    (*te)->caretTime = 0;
}

// ---- The mouse --------------------------------------------------------------------------------

// Inside the browser no mouse-up can arrive while this runs on the main thread, so there the
// drag makes one pass, with the press point, and returns; the next mouse event continues it.
void ExtendedTEClick(Point point, Boolean extend, ExtendedTEHandle te) {
    if (!te || !*te) return;
    ExtendedViewPort port;
    ExtendedViewEnter(te, &port);
    // Mouse points are taken back into the text's own, unturned, coordinates.
    SInt32 offset = (*te)->selEnd;
    Point press = ExtendedUnturnPoint(te, point);
    if (!extend) {
        offset = ExtendedTEGetOffset(ExtendedPack(press.h, press.v), te);
        ExtendedFixeSelect(offset, offset, te);
    }
    if (offset < 0) {
        ExtendedViewLeave(&port);
        return;
    }
    UInt32 now = TickCount();
    if (now - (*te)->clickTime < UInt32(std::max<SInt16>(GetDblTime(), 0))) {
        if ((*te)->selStart == (*te)->selEnd) ExtendedAfficheCurseur(te, kFalse);
        (*te)->clickCount++;
        SInt32 count = (*te)->clickCount;
        if ((count == 1 && (*te)->selStart == offset) || count == 2) {
            SInt32 start = 0, end = 0;
            if (count == 1) {
                WordAround(te, offset, &start, &end);
            } else {
                SInt32 line = ExtendedGetNumLigneTexte(te, (*te)->selStart);
                start = ExtendedLineStart(te, line);
                end = ExtendedLineNext(te, line);
            }
            ExtendedTESetSelect(start, end, te);
            ExtendedFixeStyleNull(te);
            ExtendedViewLeave(&port);
            return;
        }
        // Any other click counts as a single one. The highlight is not inverted here: the drag
        // below redraws what changes, and an inversion nothing undid would leave the selection
        // unhighlighted (or blended twice).
        ExtendedTEActivate(te);
    }
    (*te)->clickTime = now;
    (*te)->clickCount = 0;
    Boolean plugin = OrvaIsPlugin();
    do {
        Point mouse = point;
        if (!plugin) GetMouse(&mouse);
        mouse = ExtendedUnturnPoint(te, mouse);
        SInt32 at = ExtendedTEGetOffset(ExtendedPack(mouse.h, mouse.v), te);
        ExtendedFixeSelect((*te)->anchor, at, te);
        SInt32 packed = ExtendedPack(mouse.h, mouse.v);
        ServeUpdate(te);
        if ((*te)->autoView) {
            ExtendedClikLoopProcPtr hook = (*te)->clikLoop ? (*te)->clikLoop : ExtendedDefaultClikLoop;
            if (!hook(packed, te)) break;
        }
        if (plugin) break;
        Delay(1, nullptr);
    } while (StillDown());
    ExtendedFixeStyleNull(te);
    ExtendedViewLeave(&port);
}

void ExtendedTESelectWord(Point point, ExtendedTEHandle te) {
    if (!te || !*te) return;
    SInt32 start = 0, end = 0;
    Point at = ExtendedUnturnPoint(te, point);
    WordAround(te, ExtendedTEGetOffset(ExtendedPack(at.h, at.v), te), &start, &end);
    ExtendedTESetSelect(start, end, te);
    ServeUpdate(te);
}

// Scrolls towards the point when the character under it lies outside the view.
UInt8 ExtendedDefaultClikLoop(SInt32 packed, ExtendedTEHandle te) {
    if (!te || !*te) return 0;
    SInt32 offset = ExtendedTEGetOffset(packed, te), line = 0;
    BigPoint q = ExtendedPointOf(te, offset, &line);
    SInt32 h = ExtendedLineHeightPx(te, line) - 1;
    const Rect view = (*te)->viewRect;
    if (q.h < view.left) ExtendedTEPinScroll(h, 0, te);
    else if (q.h > view.right) ExtendedTEPinScroll(-h, 0, te);
    if (SInt64(q.v) - h < view.top) ExtendedTEPinScroll(0, SInt32(h + SInt64(view.top) - q.v), te);
    else if (q.v > view.bottom) ExtendedTEPinScroll(0, SInt32(SInt64(view.bottom) - q.v), te);
    return 1;
}

// ---- Helpers ---------------------------------------------------------------------------------

static Modifiers ReadModifiers() {
    KeyMap keys = {0, 0, 0, 0};
    GetKeys(keys);
    const UInt8 *bytes = (const UInt8 *)keys;
    return Modifiers{Boolean((bytes[kKeyMapShift / 8] >> (kKeyMapShift % 8)) & 1),
                     Boolean((bytes[kKeyMapCommand / 8] >> (kKeyMapCommand % 8)) & 1)};
}

static Boolean IsCaretKey(UInt16 key) {
    return key == kKeyLeft || key == kKeyRight || key == kKeyUp || key == kKeyDown || key == kKeyHome || key == kKeyEnd;
}

// Where a caret key takes the active end.
static SInt32 CaretTarget(ExtendedTEHandle te, UInt16 key, Modifiers modifiers) {
    SInt32 p = ExtendedClampOffset(te, (*te)->activeEnd), length = (*te)->teLength;
    Boolean empty = (*te)->selStart == (*te)->selEnd;
    switch (key) {
    case kKeyLeft: {
        if (p == 0) return 0;
        if (!modifiers.command) return (!empty && !modifiers.shift) ? (*te)->selStart : ExtendedPreviousChar(te, p);
        SInt32 q = ExtendedPreviousChar(te, p);
        while (q > 0 && !ExtendedIsWordChar(te, q)) q = ExtendedPreviousChar(te, q);
        while (q > 0 && ExtendedIsWordChar(te, q)) q = ExtendedPreviousChar(te, q);
        return ExtendedIsWordChar(te, q) ? q : ExtendedNextChar(te, q);
    }
    case kKeyRight: {
        if (p >= length) return p;
        if (!modifiers.command) return (empty || modifiers.shift) ? ExtendedNextChar(te, p) : (*te)->selEnd;
        SInt32 q = p;
        while (q < length && !ExtendedIsWordChar(te, q)) q = ExtendedNextChar(te, q);
        while (q < length && ExtendedIsWordChar(te, q)) q = ExtendedNextChar(te, q);
        return q;
    }
    case kKeyUp: {
        if ((*te)->nLines < 2 || p < (*te)->lineStarts[1]) return 0;
        SInt32 line = 0;
        BigPoint at = ExtendedPointOf(te, p, &line);
        SInt32 v = SInt32(SInt64(at.v) - ExtendedLineHeightPx(te, line) - kUpStep);
        SInt32 answer = ExtendedTEGetOffset(ExtendedPack(at.h, v), te);
        return answer < 0 ? p : answer;
    }
    case kKeyDown: {
        if ((*te)->nLines < 1 || p >= ExtendedLineStart(te, (*te)->nLines - 1)) return length;
        BigPoint at = ExtendedPointOf(te, p, nullptr);
        SInt32 answer = ExtendedTEGetOffset(ExtendedPack(at.h, SInt32(SInt64(at.v) + kDownStep)), te);
        return answer < 0 ? p : answer;
    }
    case kKeyHome: {
        if (modifiers.command) return 0;
        SInt32 line = 0;
        ExtendedPointOf(te, p, &line);
        return ExtendedLineStart(te, line);
    }
    default: {  // end
        if (modifiers.command) return length;
        SInt32 line = 0;
        ExtendedPointOf(te, p, &line);
        return LineEndForKey(te, line);
    }
    }
}

// The end key's place on a line: before its line-end bytes, or before its last character when
// it wraps; the text's end on the last line and on the empty line after a final CR.
static SInt32 LineEndForKey(ExtendedTEHandle te, SInt32 line) {
    SInt32 length = (*te)->teLength;
    if (line >= (*te)->nLines - 1) return length;
    SInt32 start = ExtendedLineStart(te, line), next = ExtendedLineNext(te, line);
    if (next >= length) return length;
    const UInt8 *text = (const UInt8 *)*(*te)->hText;
    SInt32 end = next;
    while (end > start && (text[end - 1] == kKeyCR || text[end - 1] == kKeyLF)) end--;
    return end < next ? end : ExtendedPreviousChar(te, next);
}

static Boolean IsLetter(UInt16 key) { return (key >= 'a' && key <= 'z') || (key >= 'A' && key <= 'Z') || key > kKeyASCIIEnd; }
static Boolean IsDigit(UInt16 key) { return key >= '0' && key <= '9'; }

// Keys the record does not take: the maximum length reached (or passed by the key's bytes), or
// a class of characters its mask refuses.
static Boolean IsRefused(ExtendedTEHandle te, UInt16 key) {
    UInt32 max = (*te)->maxLength;
    if (max != 0) {
        UInt8 bytes[kMaxKeyBytes];
        SInt64 after = SInt64((*te)->teLength) - ((*te)->selEnd - (*te)->selStart) + EncodeKey(te, key, bytes);
        if (max <= UInt32((*te)->teLength) || after > SInt64(max)) return kTrue;
    }
    UInt32 mask = (*te)->forbidden;
    if ((mask & kExtendedRefuseLineEnd) && (key == kKeyCR || key == kKeyLF)) return kTrue;
    if ((mask & kExtendedRefuseControl) && key < kKeySpace && key != kKeyCR) return kTrue;
    if ((mask & kExtendedRefuseHigh) && key > kKeyASCIIEnd) return kTrue;
    if ((mask & kExtendedRefuseLetters) && IsLetter(key)) return kTrue;
    if ((mask & kExtendedRefuseSign) && (key == '+' || key == '-')) return kTrue;
    if ((mask & kExtendedRefusePunctuation) && key > kKeySpace && !IsLetter(key) && !IsDigit(key) && key != '+' &&
        key != '-' && key != '.' && key != ',')
        return kTrue;
    if ((mask & kExtendedRefuseDigits) && IsDigit(key)) return kTrue;
    if ((mask & kExtendedRefuseDecimal) && (key == '.' || key == ',')) return kTrue;
    return kFalse;
}

// Tab over a selection of several lines indents each of them (or, with shift, takes a leading
// tab off each) and selects them whole. False when the selection lies on one line.
static Boolean TabIndents(ExtendedTEHandle te, Boolean shift) {
    SInt32 start = (*te)->selStart, end = (*te)->selEnd;
    if (end <= start) return kFalse;
    // The last line is the one the selection end stands on (a wrap point belongs to the line
    // after it), one less when that line starts right after a line end.
    const UInt8 before = UInt8((*(*te)->hText)[end - 1]);
    SInt32 first = ExtendedGetNumLigneTexte(te, start), last = ExtendedNumLigne(end, te);
    if ((before == kKeyCR || before == kKeyLF) && last > 0 && ExtendedLineStart(te, last) == end) last--;
    last = std::min<SInt32>(last, (*te)->nLines - 1);
    if (first >= last) return kFalse;
    SInt32 firstStart = ExtendedLineStart(te, first), after = ExtendedLineNext(te, last);
    std::vector<SInt32> starts;
    for (SInt32 line = last; line >= first; line--) starts.push_back(ExtendedLineStart(te, line));
    const UInt8 tab = kKeyTab;
    Boolean suspended = (*te)->drawSuspended != 0;  // a caller's suspension is left as it was
    if (!suspended) ExtendedDeactivateDraw(te);
    for (SInt32 at : starts) {
        if (shift) {
            if (at < (*te)->teLength && UInt8((*(*te)->hText)[at]) == kKeyTab) {
                ExtendedTESetStartEnd(te, at, at + 1);
                ExtendedTEDelete(te);
                after--;
            }
        } else {
            ExtendedTESetStartEnd(te, at, at);
            ExtendedTEInsert(&tab, 1, te);
            after++;
        }
    }
    if (!suspended) ExtendedActivateDraw(te);
    ExtendedTESetStartEnd(te, firstStart, after);
    Rect view = (*te)->viewRect;
    ExtendedTEUpdate(&view, te);
    return kTrue;
}

// Page up and down scroll by the view's height, never past the text's ends.
static void PageKey(ExtendedTEHandle te, UInt16 key) {
    const Rect view = (*te)->viewRect;
    SInt64 height = SInt64(view.bottom) - view.top, top = (*te)->destRect.top;
    if (key == kKeyPageUp) {
        SInt64 by = std::min<SInt64>(SInt64(view.top) - top, height);
        if (by > 0) ExtendedTEScroll(0, SInt32(by), te);
    } else {
        SInt64 by = std::min<SInt64>(height, top + ExtendedTextHeight(te) - view.bottom);
        if (by > 0) ExtendedTEScroll(0, SInt32(-by), te);
    }
}

static void InsertKey(ExtendedTEHandle te, UInt16 key) {
    ExtendedAdjustStartEnd(te);
    SInt32 start = (*te)->selStart;
    if (!OrvaExtendedTEGetInsertMode() && start == (*te)->selEnd && start < (*te)->teLength &&
        UInt8((*(*te)->hText)[start]) != kKeyCR) {
        (*te)->selEnd = (*te)->activeEnd = ExtendedNextChar(te, start);
        (*te)->anchor = start;
    }
    ExtendedTEDelete(te);
    UInt8 bytes[kMaxKeyBytes];
    SInt32 count = EncodeKey(te, key, bytes);
    if ((*te)->styleHandle) ExtendedTEStylInsert(bytes, count, nullptr, te);
    else ExtendedTEInsert(bytes, count, te);
}

// UTF-8 of the key's UTF-16 code in UTF-8 mode (a lone surrogate half as U+FFFD), its low byte
// in 8-bit mode.
static SInt32 EncodeKey(ExtendedTEHandle te, UInt16 key, UInt8 *bytes) {
    if ((*te)->encodingMode != kExtendedModeUTF8) {
        bytes[0] = UInt8(key);
        return 1;
    }
    UniChar unit = key;
    return ExtendedUnitsToUTF8(&unit, 1, bytes);
}

// The word around offset: back while the character before is part of a word, forward while
// the character there is.
static void WordAround(ExtendedTEHandle te, SInt32 offset, SInt32 *start, SInt32 *end) {
    SInt32 s = ExtendedClampOffset(te, offset), e = s, length = (*te)->teLength;
    while (s > 0) {
        SInt32 previous = ExtendedPreviousChar(te, s);
        if (!ExtendedIsWordChar(te, previous)) break;
        s = previous;
    }
    while (e < length && ExtendedIsWordChar(te, e)) e = ExtendedNextChar(te, e);
    *start = s;
    *end = e;
}

// An update waiting for a window is drawn now, as a tracking loop would otherwise hold it up.
static void ServeUpdate(ExtendedTEHandle te) {
    EventRecord event;
    if (GetNextEvent(updateMask, &event)) {
        WindowPtr window = (WindowPtr)event.message;
        BeginUpdate(window);
        Rect view = (*te)->viewRect;
        ExtendedTEUpdate(&view, te);
        EndUpdate(window);
    }
    CarboniseValideUpdate();
}

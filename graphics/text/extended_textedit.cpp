// Extended TextEdit records: creation and disposal, the text, the plain setters, activation,
// the caret blink and the default hooks; UTF-8 character stepping shared by the other files.
#include "graphics/text/extended_textedit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/quickdraw/color.h"
#include "graphics/text/extended_internal.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/utf_text.h"
#include "graphics/cairo/input_method.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/time_manager.h"
#include "platform/core/unicode_mode.h"

namespace {

enum : UInt8 { kWordSeparatorMax = 32, kHyphen = '-' };
enum : SInt32 { kDrawChunk = 32000 };  // bytes per 8-bit text call, which takes 16-bit counts
const RGBColor kWhite = {0xFFFF, 0xFFFF, 0xFFFF};

// Process-wide Extended TextEdit state. Main thread only.
struct ExtendedGlobalsRecord {
    Boolean insertMode = kTrue;                          // 0: typed characters overwrite
    Boolean (*refuseAllocation)(UInt32 size) = nullptr;  // test seam
};
ExtendedGlobalsRecord gExtended;

}  // namespace

static SInt32 SequenceLength(const UInt8 *s, SInt32 position, SInt32 length);
static Boolean IsContinuation(UInt8 byte);
static void ForeColorOfPort(GrafPtr port, RGBColor *rgb);
static void CaretStyle(ExtendedTEHandle te, TextStyle *style);

// ---- Records --------------------------------------------------------------------------------

void ExtendedTEInit() {}

ExtendedTEHandle ExtendedTENew(const Rect *destRect, const Rect *viewRect) {
    GrafPtr port = qd.thePort;
    if (!port || !destRect || !viewRect) return nullptr;
    Handle record = ExtendedNewHandle(ExtendedRecordBytes(0));
    Handle text = record ? ExtendedNewHandle(0) : nullptr;
    if (!record || !text) {
        if (record) DisposHandle(record);
        return nullptr;
    }
    ExtendedTEHandle te = (ExtendedTEHandle)record;
    ExtendedTEPtr p = *te;
    p->destRect = BigRect{destRect->left, destRect->right, destRect->top, destRect->bottom};
    p->viewRect = *viewRect;
    p->eraseBackground = 1;
    p->encodingMode = kExtendedModeUTF8;
    p->backColor = kWhite;
    p->inPort = port;
    p->txMode = port->txMode;
    TextStyle style = {port->txFont, port->txFace, 0, port->txSize, {0, 0, 0}};
    ForeColorOfPort(port, &style.tsColor);
    ExtendedTESetStyle(doAll, &style, kFalse, te);  // also the line height and ascent
    p = *te;
    p->wordBreak = ExtendedDefaultWordBreak;
    p->inEscape = ExtendedDefaultInEscape;
    p->clikLoop = ExtendedDefaultClikLoop;
    p->drawText = ExtendedDefaultDrawText;
    p->textWidth = ExtendedDefaultTextWidth;
    p->hText = text;
    ExtendedActivateDraw(te);
    return te;
}

ExtendedTEHandle ExtendedTEStylNew(const Rect *destRect, const Rect *viewRect) {
    ExtendedTEHandle te = ExtendedTENew(destRect, viewRect);
    if (!te) return nullptr;
    ExtendedStylHandle styles = ExtendedNewStylHandle();
    if (!styles) {
        ExtendedTEDispose(te);
        return nullptr;
    }
    (*te)->lineHeight = -1;
    (*te)->fontAscent = -1;
    (*te)->txSize = -1;
    (*te)->styleHandle = styles;
    Extended_InitStyle(te);
    if (!(*(*te)->styleHandle)->styleTab) {  // no memory for the style table
        ExtendedTEDispose(te);
        return nullptr;
    }
    ExtendedTECalText(te);
    return te;
}

void ExtendedTEDispose(ExtendedTEHandle te) {
    if (!te || !*te) return;
    ExtendedDisposeExtText(te);
    if ((*te)->hText) DisposHandle((*te)->hText);
    DisposHandle((Handle)te);
}

void ExtendedTESetText(const void *bytes, SInt32 count, ExtendedTEHandle te) {
    if (!te || !*te) return;
    if (count < 0 || (!bytes && count > 0)) count = 0;
    // The new block comes first: without memory the record keeps its text and layout.
    Handle text = ExtendedNewHandle(UInt32(count));
    if (!text) return;
    if (count > 0) std::memcpy(*text, bytes, size_t(count));
    if ((*te)->hText) DisposHandle((*te)->hText);
    ExtendedTEPtr p = *te;
    p->hText = text;
    p->teLength = count;
    p->selStart = p->selEnd = p->anchor = p->activeEnd = count;
    if (ExtendedIsStyled(te)) Extended_InitStyle(te);
    ExtendedTECalText(te);
}

Handle ExtendedTEGetText(ExtendedTEHandle te) { return te && *te ? (*te)->hText : nullptr; }

void ExtendedCopyTEHandle(ExtendedTEHandle source, ExtendedTEHandle target) {
    if (!source || !*source || !target || !*target || source == target) return;
    SInt32 length = (*source)->teLength;
    Handle text = ExtendedNewHandle(UInt32(length));
    if (!text) return;
    if (length > 0) std::memcpy(*text, *(*source)->hText, size_t(length));
    ExtendedStylHandle styles = nullptr;
    if ((*source)->styleHandle) {
        styles = ExtendedDupStyleHandle((*source)->styleHandle);
        if (!styles) {
            DisposHandle(text);
            return;
        }
    }
    if ((*target)->hText) DisposHandle((*target)->hText);
    (*target)->hText = text;
    (*target)->teLength = length;
    ExtendedTEPtr p = *target;
    p->selStart = std::min(p->selStart, length);
    p->selEnd = std::min(p->selEnd, length);
    p->anchor = std::min(p->anchor, length);
    p->activeEnd = std::min(p->activeEnd, length);
    if (styles) {
        ExtendedDisposeStylHandle((*target)->styleHandle);
        (*target)->styleHandle = styles;
        (*target)->lineHeight = -1;
        (*target)->fontAscent = -1;
        (*target)->txSize = -1;
    } else if ((*target)->styleHandle) {
        // A plain source has no runs to copy: the target's runs are made to cover the new text,
        // in the source's own style, so that they never end before or after it.
        TextStyle style = {(*source)->txFont, (*source)->txFace, 0, (*source)->txSize, (*source)->txColor};
        ExtendedInitStylHandle((*target)->styleHandle, &style, length);
    }
}

// ---- Setters --------------------------------------------------------------------------------

void ExtendedTESetMaxSize(ExtendedTEHandle te, UInt32 maxLength) {
    if (te && *te) (*te)->maxLength = maxLength;
}

void ExtendedTESetForbidden(ExtendedTEHandle te, UInt32 mask) {
    if (te && *te) (*te)->forbidden = mask;
}

void ExtendedTESetBackColor(ExtendedTEHandle te, const RGBColor *color) {
    if (te && *te && color) (*te)->backColor = *color;
}

void ExtendedTEGetBackColor(ExtendedTEHandle te, RGBColor *color) {
    if (te && *te && color) *color = (*te)->backColor;
}

void ExtendedSetWordBreak(ExtendedWordBreakProcPtr hook, ExtendedTEHandle te) {
    if (te && *te) (*te)->wordBreak = hook ? hook : ExtendedDefaultWordBreak;
}

void ExtendedSetInEscape(ExtendedEscapeProcPtr hook, ExtendedTEHandle te) {
    if (te && *te) (*te)->inEscape = hook ? hook : ExtendedDefaultInEscape;
}

void ExtendedSetClikLoop(ExtendedClikLoopProcPtr hook, ExtendedTEHandle te) {
    if (te && *te) (*te)->clikLoop = hook ? hook : ExtendedDefaultClikLoop;
}

void ExtendedSetUnicodeMode(ExtendedTEHandle te, Boolean on) {
    if (te && *te) (*te)->encodingMode = on ? kExtendedModeUTF8 : kExtendedMode8Bit;
}

Boolean ExtendedGetUnicodeMode(ExtendedTEHandle te) {
    return te && *te && (*te)->encodingMode == kExtendedModeUTF8;
}

void ExtendedTESetJust(SInt16 just, ExtendedTEHandle te) {
    if (te && *te) (*te)->just = just;
}

void ExtendedTESetRotation(ExtendedTEHandle te, SInt16 degrees) {
    if (te && *te && IsUnicodeApplication()) (*te)->rotation = degrees;
}

void ExtendedTESetEraseBackground(Boolean erase, ExtendedTEHandle te) {
    if (te && *te) (*te)->eraseBackground = erase ? 1 : 0;
}

void ExtendedTESetWrap(Boolean wrap, ExtendedTEHandle te) {
    if (te && *te) (*te)->noWrap = wrap ? 0 : 1;
}

void ExtendedTESetNoClipToViewRect(Boolean noClip, ExtendedTEHandle te) {
    if (te && *te) (*te)->noClipToView = noClip ? 1 : 0;
}

void ExtendedTEAutoView(Boolean on, ExtendedTEHandle te) {
    if (te && *te) (*te)->autoView = on ? 1 : 0;
}

void ExtendedActiveModeBlendSelection(ExtendedTEHandle te, const RGBColor *color) {
    if (!te || !*te || !color) return;
    (*te)->blendHilite = 1;
    (*te)->blendColor = *color;
}

void ExtendedDeactivateDraw(ExtendedTEHandle te) {
    if (te && *te) (*te)->drawSuspended = 1;
}

void ExtendedActivateDraw(ExtendedTEHandle te) {
    if (!te || !*te) return;
    (*te)->drawSuspended = 0;
    ExtendedTECalText(te);
}

// ---- Activation and idling ------------------------------------------------------------------

void ExtendedTEActivate(ExtendedTEHandle te) {
    if (!te || !*te) return;
    Boolean empty = (*te)->selStart == (*te)->selEnd;
    if (!(*te)->active) {
        (*te)->active = 1;
        if (!empty) {
            ExtendedRetraceAireSelectTexte(te);
            return;
        }
    } else if (!empty) {
        return;
    }
    BigPoint caret;
    ExtendedTEGetPoint((*te)->selStart, te, &caret);
    (*te)->selPoint = caret;
    ExtendedAfficheCurseur(te, kTrue);
}

void ExtendedTEDeactivate(ExtendedTEHandle te) {
    if (!te || !*te || !(*te)->active) return;
    (*te)->active = 0;
    if ((*te)->selStart != (*te)->selEnd) ExtendedRetraceAireSelectTexte(te);
    else ExtendedAfficheCurseur(te, kFalse);
}

void ExtendedTEIdle(ExtendedTEHandle te) {
    if (!te || !*te || !(*te)->active) return;
    if ((*te)->selStart == (*te)->selEnd) {
        UInt32 now = TickCount();
        if (SInt32(now - (*te)->caretTime) >= 0) {
            (*te)->caretTime = now + UInt32(SInt32(GetCaretTime()));
            ExtendedAfficheCurseur(te, (*te)->caretState ? kFalse : kTrue);
        }
    }
    BigPoint at;
    ExtendedTEGetPoint((*te)->selStart, te, &at);
    Point where = {SInt16(std::clamp<SInt32>(at.v, -32767, 32767)), SInt16(std::clamp<SInt32>(at.h, -32767, 32767))};
    GrafPtr saved = qd.thePort;
    SetPort((*te)->inPort);
    LocalToGlobal(&where);
    SetPort(saved);
    TextStyle style;
    CaretStyle(te, &style);
    SystemDependantIMESetPosition(where.v, where.h, &style);
}

Boolean OrvaExtendedTEGetInsertMode() { return gExtended.insertMode; }

void OrvaExtendedTESetInsertMode(Boolean insert) { gExtended.insertMode = insert ? kTrue : kFalse; }

// ---- Default hooks --------------------------------------------------------------------------

UInt16 ExtendedDefaultWordBreak(ExtendedTEHandle te, SInt32 offset) {
    if (!te || !*te || offset < 0 || offset >= (*te)->teLength) return 0;
    const UInt8 *s = ExtendedTextBytes(te);
    if ((*te)->encodingMode == kExtendedModeUTF8) {
        if (offset == 0) return 1;
        if (ExtendedNextChar(te, ExtendedPreviousChar(te, offset)) != offset) return 1;  // inside a character
    }
    return s[offset] != kHyphen && s[offset] > kWordSeparatorMax;
}

UInt16 ExtendedDefaultInEscape(ExtendedTEHandle, SInt32) { return 0; }

UInt8 ExtendedDefaultDrawText(ExtendedTEHandle te, SInt32, const char *bytes, SInt32 count) {
    if (!te || !*te || !bytes || count <= 0) return 1;
    if ((*te)->encodingMode == kExtendedModeUTF8) {
        UTFDrawText((*te)->inPort, bytes, 0, count, (*te)->rotation);
        return 1;
    }
    for (SInt32 done = 0; done < count; done += kDrawChunk)
        _DrawText(bytes + done, 0, SInt16(std::min<SInt32>(kDrawChunk, count - done)));
    return 1;
}

SInt32 ExtendedDefaultTextWidth(ExtendedTEHandle te, SInt32, const char *text, SInt32 start, SInt32 count) {
    if (!te || !*te || !text || count <= 0 || start < 0) return 0;
    if ((*te)->encodingMode == kExtendedModeUTF8) return UTFTextWidth((*te)->inPort, text, start, count);
    SInt32 width = 0;
    for (SInt32 done = 0; done < count; done += kDrawChunk)
        width += TextWidth(text + start + done, 0, SInt16(std::min<SInt32>(kDrawChunk, count - done)));
    return width;
}

Boolean ExtendedIsWordChar(ExtendedTEHandle te, SInt32 offset) {
    ExtendedWordBreakProcPtr word = (*te)->wordBreak ? (*te)->wordBreak : ExtendedDefaultWordBreak;
    if (word(te, offset)) return kTrue;
    ExtendedEscapeProcPtr escape = (*te)->inEscape;
    return escape && escape(te, offset) != 0;
}

// ---- Character steps ------------------------------------------------------------------------
// A character is a lead byte with all the continuation bytes it announces, or any other single
// byte (ASCII, a stray continuation byte, a lead cut short): every offset reached by stepping
// from 0 is a boundary, and stepping back finds the same boundaries.

SInt32 ExtendedNextChar(ExtendedTEHandle te, SInt32 offset) {
    SInt32 length = (*te)->teLength;
    if (offset < 0) return 0;
    if (offset >= length) return length;
    if ((*te)->encodingMode != kExtendedModeUTF8) return offset + 1;
    return offset + SequenceLength(ExtendedTextBytes(te), offset, length);
}

SInt32 ExtendedPreviousChar(ExtendedTEHandle te, SInt32 offset) {
    SInt32 length = (*te)->teLength;
    if (offset <= 0) return 0;
    if (offset > length) offset = length;
    if ((*te)->encodingMode != kExtendedModeUTF8) return offset - 1;
    const UInt8 *s = ExtendedTextBytes(te);
    if (!IsContinuation(s[offset - 1])) return offset - 1;
    for (SInt32 lead = offset - 2; lead >= 0 && lead >= offset - 4; lead--) {
        if (IsContinuation(s[lead])) continue;
        if (lead + SequenceLength(s, lead, length) >= offset) return lead;
        break;
    }
    return offset - 1;
}

void OrvaExtendedTESetAllocationHook(Boolean (*refuse)(UInt32 size)) { gExtended.refuseAllocation = refuse; }

// ---- Shared helpers -------------------------------------------------------------------------

Handle ExtendedNewHandle(UInt32 size) {
    if (gExtended.refuseAllocation && gExtended.refuseAllocation(size)) {
        OrvaSetMemError(memFullErr);
        return nullptr;
    }
    return NewHandleClear(size);
}

Boolean ExtendedGrowHandle(Handle h, UInt32 size) {
    if (gExtended.refuseAllocation && size > GetHandleSize(h) && gExtended.refuseAllocation(size)) {
        OrvaSetMemError(memFullErr);
        return kFalse;
    }
    SetHandleSize(h, size);
    return MemError() == noErr && GetHandleSize(h) == size;
}

Boolean ExtendedEndsWithCR(ExtendedTEHandle te) {
    SInt32 length = (*te)->teLength;
    return length > 0 && ExtendedTextBytes(te)[length - 1] == kExtendedCR;
}

void ExtendedEnterPort(ExtendedTEHandle te, ExtendedPortSave *save) {
    save->port = qd.thePort;
    GrafPtr port = (*te)->inPort;
    SetPort(port);
    save->font = port->txFont;
    save->size = port->txSize;
    save->face = port->txFace;
}

void ExtendedLeavePort(const ExtendedPortSave *save) {
    GrafPtr port = qd.thePort;
    if (port) {
        port->txFont = save->font;
        port->txSize = save->size;
        port->txFace = save->face;
    }
    SetPort(save->port);
}

void ExtendedSetPortFont(SInt16 font, UInt8 face, SInt16 size) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    port->txFont = font == 1 ? 3 : font;  // as TextFont stores it
    port->txFace = face;
    port->txSize = size;
}

void ExtendedFontMetrics(SInt16 font, UInt8 face, SInt16 size, SInt16 *height, SInt16 *ascent) {
    ExtendedTextState state;
    ExtendedGetTextState(&state);
    ExtendedSetPortFont(font, face, size);
    FontInfo info = {0, 0, 0, 0};
    GetFontInfo(&info);
    ExtendedSetTextState(&state);
    if (font == lentaraPrint && lentaraPrint != 0) {
        // The print music font's metrics include its staff-sized symbol box.
        info.ascent /= 4;
        info.descent /= 4;
        info.leading /= 4;
    }
    // Every line keeps at least a pixel, so that the caret and clicks can reach it.
    *height = SInt16(std::max(info.ascent + info.descent + info.leading, 1));
    *ascent = SInt16(std::clamp<SInt32>(info.ascent, 0, *height));
}

SInt16 ExtendedZoomedSize(SInt16 size, float zoom) {
    if (zoom == 1.0f || size <= 0) return size;
    double zoomed = std::trunc(double(size) * double(zoom));
    if (!(zoomed >= 1.0)) return 1;  // also for a zoom that is not a number
    return SInt16(std::min(zoomed, 32767.0));
}

// ---- Static helpers -------------------------------------------------------------------------

static Boolean IsContinuation(UInt8 byte) { return (byte & 0xC0) == 0x80; }

// Bytes of the character at position: the lead's announced length when all its continuation
// bytes are there, else 1.
static SInt32 SequenceLength(const UInt8 *s, SInt32 position, SInt32 length) {
    UInt8 b = s[position];
    SInt32 n = b >= 0xF0 && b < 0xF8 ? 4 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xC0 && b < 0xE0 ? 2 : 1;
    if (n == 1 || position + n > length) return 1;
    for (SInt32 k = 1; k < n; k++)
        if (!IsContinuation(s[position + k])) return 1;
    return n;
}

static void ForeColorOfPort(GrafPtr port, RGBColor *rgb) {
    if (!OrvaClassicColor(port, port->fgColor, nullptr, rgb)) *rgb = port->rgbFgColor;
}

// The style of the next typed character: the null style of a styled record, else the record's
// own font, face and size in black.
static void CaretStyle(ExtendedTEHandle te, TextStyle *style) {
    if (ExtendedIsStyled(te)) {
        ExtendedSTElement entry;
        ExtendedGetStyleNull((*te)->styleHandle, &entry);
        ExtendedTEStyleToTextStyle(&entry, style);
        return;
    }
    *style = TextStyle{(*te)->txFont, (*te)->txFace, 0, (*te)->txSize, {0, 0, 0}};
}

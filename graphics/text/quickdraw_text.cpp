// The QuickDraw text calls: they measure with the pango text layer, draw with its clipped
// entry, and record byte text into an open picture instead of drawing it.
#include "graphics/text/quickdraw_text.h"

#include <algorithm>
#include <cstring>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/mob.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/text_encodings.h"
#include "platform/core/utilities.h"

namespace {
enum : SInt32 { kMaxRun = 32767 };  // classic counts are signed 16-bit
}

static void RecordText(const UInt8 *bytes, SInt32 count);
static void MovePenBy(GrafPtr port, SInt32 dh);
static SInt16 StringLength(const char *text);
static SInt16 UTFRun(const char *text, SInt32 first, SInt32 count, Boolean draw);

void _DrawText(const void *text, SInt16 first, SInt16 count) {
    OrvaResetSpaceFraction();
    GrafPtr port = qd.thePort;
    if (!port || !text || count <= 0 || first < 0) return;
    const UInt8 *bytes = (const UInt8 *)text + first;
    if (port->picSave) {
        RecordText(bytes, count);
        MovePenBy(port, TextWidth(bytes, 0, count));
        return;
    }
    OrvaPortDrawClippedText(port, bytes, 0, count, false, OrvaGetFontAngle());
}

void DrawChar(SInt16 character) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    UInt8 byte = UInt8(character);
    if (port->picSave) {
        RecordText(&byte, 1);
        MovePenBy(port, CharWidth(character));
        return;
    }
    OrvaDrawText(&byte, 0, 1, false);
}

void DrawString(const char *text) { _DrawText(text, 0, StringLength(text)); }

void Outtextxy(SInt16 h, SInt16 v, const char *text) {
    _MoveTo(h, v);
    DrawString(text);
}

SInt16 TextWidth(const void *text, SInt16 first, SInt16 count) {
    if (!text || first < 0) return 0;
    return OrvaTextWidth(text, first, count, false);
}

SInt16 CharWidth(SInt16 character) {
    UInt8 byte = UInt8(character);
    return OrvaTextWidth(&byte, 0, 1, false);
}

SInt16 StringWidth(const char *text) { return TextWidth(text, 0, StringLength(text)); }

SInt16 OrvaUTFTextWidth(const char *text, SInt32 first, SInt32 count) { return UTFRun(text, first, count, false); }

void OrvaUTFDrawText(const char *text, SInt32 first, SInt32 count) { UTFRun(text, first, count, true); }

void OrvaUTFDrawString(const char *text) {
    if (text) OrvaUTFDrawText(text, 0, SInt32(strlen(text)));
}

SInt16 OrvaUTFStringWidth(const char *text) { return text ? OrvaUTFTextWidth(text, 0, SInt32(strlen(text))) : 0; }

void OrvaWindowsDrawChar(SInt16 character) {
    UInt8 byte = UInt8(character);
    if (qd.thePort) OrvaPortDrawClippedText(qd.thePort, &byte, 0, 1, false, OrvaGetFontAngle());
}

SInt16 OrvaWindowsCharWidth(SInt16 character) { return CharWidth(character); }

// LongText with the pen location and the first 255 bytes, then DHText (dh 0) per further chunk.
static void RecordText(const UInt8 *bytes, SInt32 count) {
    GrafPtr port = qd.thePort;
    UInt8 head[6];
    std::memcpy(head, &port->pnLoc, 4);
    for (SInt32 done = 0; done < count;) {
        UInt8 chunk = UInt8(std::min<SInt32>(count - done, kRecordedTextChunk));
        if (done == 0) {
            head[4] = chunk;
            RecordPictAction(kPictOpLongText, head, 5);
        } else {
            UInt8 dh[2] = {0, chunk};
            RecordPictAction(kPictOpDHText, dh, 2);
        }
        RecordPictAction(kPictOpAppend, bytes + done, chunk);
        done += chunk;
    }
}

static void MovePenBy(GrafPtr port, SInt32 dh) {
    port->pnLoc.h = SInt16(std::clamp<SInt32>(port->pnLoc.h + dh, -32768, 32767));
}

static SInt16 StringLength(const char *text) { return text ? SInt16(strnlen(text, kMaxRun)) : 0; }

// Converts UTF-8 to UTF-16 with control characters as blanks, then measures or draws it.
static SInt16 UTFRun(const char *text, SInt32 first, SInt32 count, Boolean draw) {
    if (!text || first < 0 || count <= 0 || !qd.thePort) return 0;
    SInt32 units = 0;
    EncodedStr converted = UTFTextToUnicode(text, first, count, &units);
    if (!converted) return 0;
    UniChar *utf16 = (UniChar *)converted;
    OrvaSupprimeUnicodeSpecialChars(utf16, units);
    SInt16 width = 0;
    if (draw) OrvaPortDrawClippedText(qd.thePort, utf16, 0, units, true, OrvaGetFontAngle());
    else width = OrvaTextWidth(utf16, 0, units, true);
    DisposeEncodedStr(converted);
    return width;
}

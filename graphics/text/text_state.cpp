// The text state shared by the Font Manager and the pango text layer: angle, horizontal ratio,
// scale words, right-to-left flag, the global transcoding switch and the antialiasing
// settings; and the conversions of 8-bit text to a font's native charset.
#include "graphics/text/font_table.h"

#include <cstring>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_services.h"
#include "platform/core/memory.h"
#include "platform/core/text_encodings.h"

namespace {

enum : SInt16 { kCommentTranscodeOff = 5476, kCommentTranscodeOn = 5477 };

// Process-wide text state. Main thread only.
struct TextStateRecord {
    float ratio;            // horizontal text ratio; 0 stands for 1.0
    float angle;            // degrees, counter-clockwise
    SInt16 scale[4];        // stored and returned as given
    Boolean rightToLeft;    // the run being measured or drawn starts right to left
    Boolean transcode;      // 8-bit text of text fonts is MacRoman (or Shift-JIS), not Latin-1
    SInt16 antialiasNesting;
    UInt16 antialiasKind;
};
TextStateRecord gTextState = {0.0f, 0.0f, {0, 0, 0, 0}, 0, 1, 0, 0};

}  // namespace

static Boolean IsShiftJisLead(UInt8 byte);

void OrvaSetFontAngle(float degrees) { gTextState.angle = degrees; }

float OrvaGetFontAngle() { return gTextState.angle; }

void OrvaSetCurrentFontRatio(float ratio) { gTextState.ratio = ratio; }

float OrvaGetCurrentFontRatio() { return gTextState.ratio == 0.0f ? 1.0f : gTextState.ratio; }

void OrvaSetFontScale(SInt16 a, SInt16 b, SInt16 c, SInt16 d) {
    gTextState.scale[0] = a;
    gTextState.scale[1] = b;
    gTextState.scale[2] = c;
    gTextState.scale[3] = d;
}

void OrvaGetFontScale(SInt16 *a, SInt16 *b, SInt16 *c, SInt16 *d) {
    if (a) *a = gTextState.scale[0];
    if (b) *b = gTextState.scale[1];
    if (c) *c = gTextState.scale[2];
    if (d) *d = gTextState.scale[3];
}

void OrvaFixeScriptRL(Boolean rightToLeft) { gTextState.rightToLeft = rightToLeft ? 1 : 0; }

void OrvaFixeRLSelonTexte(const UniChar *text) {
    gTextState.rightToLeft = text && UniCharRLType(text[0]) != 0 ? 1 : 0;
}

Boolean OrvaIsRL() { return gTextState.rightToLeft; }

void OrvaSetTranscodeCharset(Boolean on) {
    gTextState.transcode = on ? 1 : 0;
    if (qd.thePort && qd.thePort->picSave) PicComment(on ? kCommentTranscodeOn : kCommentTranscodeOff, 0, nullptr);
}

Boolean OrvaGetTranscodeCharset() { return gTextState.transcode; }

Ptr OrvaConvertitTexteEnCharsetNatif(GrafPtr port, const void *text, SInt32 offset, SInt32 length,
                                     SInt32 *outLength, Boolean *outIsSJIS) {
    if (outLength) *outLength = 0;
    if (outIsSJIS) *outIsSJIS = 0;
    if (!port || !text || offset < 0 || length <= 0) return nullptr;
    Boolean transcoding = OrvaGetFontTranscoding(UInt16(port->txFont));
    SInt32 count = 0;
    Ptr result;
    if (transcoding && IsCurrentLanguageJaponais()) {
        result = ShiftJisTextToUnicode(text, offset, length, &count);
        if (result && outIsSJIS) *outIsSJIS = 1;
    } else if (transcoding) {
        result = MacRomanTextToUTF(text, offset, length, &count);
    } else {
        result = NewPtr(UInt32(length));
        if (result) {
            std::memcpy(result, (const UInt8 *)text + offset, size_t(length));
            count = length;
        }
    }
    if (outLength) *outLength = result ? count : 0;
    return result;
}

SInt32 OrvaAjustePosJis(const UInt8 *text, SInt32 length, SInt32 position, SInt32 delta) {
    if (!text || !IsCurrentLanguageJaponais() || position <= 0) return position;
    SInt32 walk = 0;
    while (walk < position && walk < length) {
        Boolean pair = IsShiftJisLead(text[walk]) && walk + 1 < length && text[walk + 1] != 0;
        walk += pair ? 2 : 1;
    }
    return walk > position ? position + delta : position;
}

void OrvaSystemAntialiasing() { gTextState.antialiasNesting++; }

void OrvaRestaureAntialiasing() { gTextState.antialiasNesting--; }

SInt16 OrvaGetAntialiasingLevel() { return gTextState.antialiasNesting; }

void OrvaSetTypeAntialias(UInt16 kind) { gTextState.antialiasKind = kind; }

UInt16 OrvaGetTypeAntialias() { return gTextState.antialiasKind; }

UInt16 OrvaGetCurrentFontAntialias() { return gTextState.antialiasKind; }

static Boolean IsShiftJisLead(UInt8 byte) { return (byte >= 0x80 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEF); }

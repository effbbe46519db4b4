// What the Extended TextEdit files share and nobody else calls: allocation through the test
// seam, the record's size, the port made current around a measure, the port's text fields set
// for a style, and the line-table upkeep of the layout. Main thread only.
#pragma once

#include <cstddef>

#include "graphics/text/extended_textedit.h"

enum : UInt8 { kExtendedCR = 13, kExtendedLF = 10 };

Handle ExtendedNewHandle(UInt32 size);  // NewHandleClear through the allocation seam
Boolean ExtendedGrowHandle(Handle h, UInt32 size);  // SetHandleSize through the seam; false: unchanged
// Bytes of a record holding room for lines + 2 line starts.
inline UInt32 ExtendedRecordBytes(SInt32 lines) {
    return UInt32(offsetof(ExtendedTERec, lineStarts) + size_t(lines + 2) * sizeof(SInt32));
}
inline Boolean ExtendedIsStyled(ExtendedTEHandle te) { return (*te)->styleHandle != nullptr; }
inline Boolean ExtendedIsLineEnd(UInt8 byte) { return byte == kExtendedCR || byte == kExtendedLF; }
inline const UInt8 *ExtendedTextBytes(ExtendedTEHandle te) {
    return (*te)->hText ? (const UInt8 *)*(*te)->hText : nullptr;
}
Boolean ExtendedEndsWithCR(ExtendedTEHandle te);

// The record's port made current (and its text fields saved), and everything put back.
struct ExtendedPortSave {
    GrafPtr port;         // current before
    SInt16 font, size;    // the record port's text fields before
    UInt8 face;
};
void ExtendedEnterPort(ExtendedTEHandle te, ExtendedPortSave *save);
void ExtendedLeavePort(const ExtendedPortSave *save);
// The current port's text fields set straight (nothing recorded) for a measure.
void ExtendedSetPortFont(SInt16 font, UInt8 face, SInt16 size);
// Line height (ascent + descent + leading) and ascent of a font at a size, in the current port
// (a temporary port when there is none); the music print font's metrics are quartered.
void ExtendedFontMetrics(SInt16 font, UInt8 face, SInt16 size, SInt16 *height, SInt16 *ascent);
// Size x zoom truncated toward zero, at least 1 for a positive size.
SInt16 ExtendedZoomedSize(SInt16 size, float zoom);

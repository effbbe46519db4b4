// UTF-8 text in ports: measured and drawn through UTF-16 (or an 8-bit code page outside the
// Unicode application mode), kept alive in pictures by a kind-100 comment and replayed by
// DrawUTFPicture; keyboard bytes turned into Unicode; whole text files in their encodings.
// Main thread only, except the file calls, which touch no port.
#pragma once

#include <cstdio>

#include "graphics/pictures/pictures.h"
#include "platform/core/cf_strings.h"
#include "platform/core/text_encodings.h"

enum : SInt16 {
    kPictCommentUTFText = 100,     // "Zido", u16 version 1, u16 rotation, the UTF-8 bytes
    kUTFTextCommentHeader = 8,
    kUTFTextCommentVersion = 1,
};
enum : UInt32 { kShiftJisLeadTicks = 60 };  // a trail byte later than this stands alone

// Unicode input switches.
Boolean IsUnicodeInput();
Boolean IsUnicodeInputAvailable();  // 1
Boolean EnableUnicodeInput();       // sets the switch; 1
void DisableUnicodeInput();
void PurgeUnicodeInput();           // nothing
UniChar GetUnicodeCar();            // 0 when off; else the last key's character, then cleared

// Width in pixels of count bytes of UTF-8 from text + offset, at most 32767; 0 when nothing
// converts. Control characters measure as spaces; characters past U+FFFF as pango measures them.
SInt16 UTFTextWidth(GrafPtr port, const char *text, SInt32 offset, SInt32 count);
// Draws the run at port's pen, turned by rotation degrees, and advances the pen. While port
// records a picture, ASCII records as plain text, anything else as the UTF text comment, the
// UTF-16 alternate text and the 8-bit form.
void UTFDrawText(GrafPtr port, const char *text, SInt32 offset, SInt32 count, SInt16 rotation);
// Plays picture into dst of the current port with its UTF texts restored.
void DrawUTFPicture(PicHandle picture, const Rect *dst);

UniChar CvtCarKeyboardMacRomanToUnicode(UInt8 byte);
UniChar CvtCarKeyboardShiftJisToUnicode(UInt8 byte);  // 0 while a two-byte character is incomplete
// A new string of the UTF-16 form of a NUL-terminated UTF-8 string, terminator included;
// null for a null text. Caller releases it with CFRelease.
CFStringRef UTFToStringRef(const char *text);
// Test seam: the tick source of the Shift-JIS keyboard state (null: TickCount).
void OrvaSetUTFKeyboardTicks(UInt32 (*ticks)());

// The whole of file (read from its start) converted from source (-1: detected, the byte-order
// mark skipped) to target; length gets the result's units. Null for a null file, a read error
// or no memory. Caller disposes.
EncodedStr LoadEncodedTextFile(FILE *file, SInt16 source, SInt16 target, SInt32 *length);
// Converts length units of text and writes them at the file's position, after the target's
// byte-order mark when that position is 0. noErr, or ioErr / memFullErr.
OSErr SaveEncodedTextFile(FILE *file, const void *text, SInt32 length, SInt16 source, SInt16 target);

// The QuickDraw text calls on the current port: byte text (MacRoman, or Shift-JIS under the
// Japanese interface) recorded into an open picture or drawn by pango, UTF-8 text that is
// always drawn, and the widths. Main thread only.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 { kRecordedTextChunk = 255 };  // bytes of text per LongText or DHText opcode

// Draws count bytes from text + first at the pen and moves the pen by their width. While a
// picture is recorded the bytes are recorded instead (LongText, then DHText per 255 bytes)
// and the pen moves by the width all the same. Nothing for count <= 0.
void _DrawText(const void *text, SInt16 first, SInt16 count);
void DrawChar(SInt16 character);
void DrawString(const char *text);                   // NUL-terminated
void Outtextxy(SInt16 h, SInt16 v, const char *text);  // _MoveTo, then DrawString
SInt16 TextWidth(const void *text, SInt16 first, SInt16 count);
SInt16 CharWidth(SInt16 character);
SInt16 StringWidth(const char *text);
// UTF-8 text: control characters read as blanks; never recorded.
SInt16 OrvaUTFTextWidth(const char *text, SInt32 first, SInt32 count);
void OrvaUTFDrawText(const char *text, SInt32 first, SInt32 count);
void OrvaUTFDrawString(const char *text);
SInt16 OrvaUTFStringWidth(const char *text);
void OrvaWindowsDrawChar(SInt16 character);  // drawn, never recorded
SInt16 OrvaWindowsCharWidth(SInt16 character);

// Colours written as hexadecimal text. Kept alone in its file: the player links it only where no
// other definition stands.
#include "staffobjects/text_objects.h"

void CvtStrToRGBColor(const char *text, RGBColor *color) {
    if (!color) return;
    UInt32 value = 0;
    for (SInt32 i = 0; text && i < 8; i++) {
        char c = text[i];
        UInt32 digit = c >= '0' && c <= '9' ? UInt32(c - '0') : c >= 'a' && c <= 'f' ? UInt32(c - 'a' + 10)
                     : c >= 'A' && c <= 'F' ? UInt32(c - 'A' + 10) : 16;
        if (digit == 16) break;
        value = value << 4 | digit;
    }
    color->red = UInt16((value >> 16 & 0xFF) << 8);
    color->green = UInt16((value >> 8 & 0xFF) << 8);
    color->blue = UInt16((value & 0xFF) << 8);
}

// Small Toolbox utilities: string form conversions, type codes, bit extraction, 16.16 fixed
// point, the international string comparisons, the small-icon plotter and the desk-accessory
// entry points (which find nothing to run here and only route edit commands and clicks).
// utilities.cpp: strings, bits, fixed point and comparisons. desk_accessories.cpp: the icon
// plotter and the desk-accessory calls (main thread only).
#pragma once

#include "platform/core/mac_types.h"

struct EventRecord;
struct WindowRecord;
typedef WindowRecord *WindowPtr;

enum : SInt32 {
    kTypeCodeBufferSize = 5,   // four characters and a NUL
    kSicnBytes = 32,           // one 16 x 16 one-bit icon, rows of 2 bytes
    kCommandKeyCode = 55,      // the command key in the key map
};

// Strings. C2Pas keeps at most 255 characters (the rest is dropped); both work in place.
StringPtr C2Pas(char *text);        // NUL-terminated -> length-prefixed; null gives null
char *Pas2C(StringPtr text);        // length-prefixed -> NUL-terminated; null gives null
SInt16 Pstrlen(const char *text);   // strlen as a 16-bit value (0 for null)
char *cvttype(OSType type, char *buffer);  // four characters, first the high byte, and a NUL
void OrvaSwap(SInt16 *a, SInt16 *b);

// Takes the top n bits (1..16) of *word as a number and shifts *word left by n; n <= 0: 0.
UInt16 orva_extrait_bit(UInt16 *word, SInt16 n);
Boolean orva_dans_rect(SInt16 h, SInt16 v, const Rect *r);  // left <= h < right, top <= v < bottom
Boolean is_command();  // the command key is down (GetKeys)

// 16.16 fixed point.
Fixed FixRatio(SInt16 numerator, SInt16 denominator);  // /0: 0x7FFFFFFF, or 0x80000001 when negative
Fixed FixMul(Fixed a, Fixed b);
Fixed FixDiv(Fixed a, Fixed b);  // /0: -1, or 1 when a is negative
SInt16 FixRound(Fixed x);        // halves go up: -1.5 gives -1
Fixed Long2Fix(SInt32 x);
SInt32 Fix2Long(Fixed x);        // toward minus infinity

// String comparisons: -1, 0 or 1. A string that is a prefix of the other sorts first; otherwise
// the first differing bytes decide as signed bytes. The ID forms ignore bit 5 (letter case).
SInt16 IUMagString(const void *a, const void *b, SInt16 lengthA, SInt16 lengthB);
SInt16 IUMagIDString(const void *a, const void *b, SInt16 lengthA, SInt16 lengthB);
SInt16 IUCompString(ConstStr255Param a, ConstStr255Param b);   // length-prefixed
SInt16 IUEqualString(ConstStr255Param a, ConstStr255Param b);  // 0 when equal ignoring case

// The index-th (from 0) icon of a 'SICN' handle, top-left at point (vertical in the high 16
// bits), black on white in the current port. An index past the handle draws nothing.
void OrvaPlotSicn(Handle sicn, SInt16 index, SInt32 point);

// Desk accessories.
SInt16 OpenDeskAcc(const char *name);  // the 'DRVR' of that name in the newest file: its id, or -1
void CloseDeskAcc(SInt16 refNum);
void SystemClick(const EventRecord *event, WindowPtr window);
Boolean SystemEdit(SInt16 command);  // 2 cut, 3 copy, 4 paste, 5 clear in a desk-accessory window
Boolean SystemEvent(const EventRecord *event);  // false
void SystemTask();
void SystemMenu(SInt32 menuResult);

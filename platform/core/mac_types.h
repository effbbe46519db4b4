// The basic records and scalar types of the emulated Toolbox, shared by every folder.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int8_t SInt8;
typedef uint8_t UInt8;
typedef int16_t SInt16;
typedef uint16_t UInt16;
typedef int32_t SInt32;
typedef uint32_t UInt32;
typedef int64_t SInt64;
typedef uint64_t UInt64;

typedef unsigned char Boolean;  // 0 false, anything else true
typedef int16_t OSErr;          // 0 noErr, negative codes from platform/core/errors.h
typedef int32_t OSStatus;
typedef uint32_t OSType;        // four-character code, first character in the high byte
typedef uint32_t ResType;
typedef int32_t Fixed;          // signed 16.16
typedef int32_t Size;
typedef uint16_t UniChar;       // one UTF-16 code unit

typedef char *Ptr;              // non-relocatable block of the memory manager
typedef Ptr *Handle;            // relocatable block: *h is the data's current address
typedef void (*ProcPtr)(void);

typedef unsigned char Str255[256];  // length-prefixed strings, MacRoman (or Shift-JIS)
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
typedef unsigned char Str15[16];
typedef unsigned char *StringPtr;
typedef const unsigned char *ConstStr255Param;
typedef StringPtr *StringHandle;

struct Point {  // vertical first, as the Toolbox keeps it
    SInt16 v;
    SInt16 h;
};

struct Rect {  // right and bottom exclusive
    SInt16 top;
    SInt16 left;
    SInt16 bottom;
    SInt16 right;
};

struct RGBColor {
    UInt16 red;
    UInt16 green;
    UInt16 blue;
};

// Element of a Toolbox queue: every queued record begins with its link.
struct QElem {
    QElem *qLink;
    SInt16 qType;
};
typedef QElem *QElemPtr;

struct QHdr {
    SInt16 qFlags;
    QElemPtr qHead;
    QElemPtr qTail;
};
typedef QHdr *QHdrPtr;

// The four-character code of a literal such as FourCC("PICT"): its first character in the
// high byte.
constexpr OSType FourCC(const char (&s)[5]) {
    OSType code = 0;
    for (int i = 0; i < 4; i++) code = code << 8 | UInt8(s[i]);
    return code;
}

enum : Boolean { kFalse = 0, kTrue = 1 };

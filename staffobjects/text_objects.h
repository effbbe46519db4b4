// Text objects of a staff (a text at a score time, such as "PART:A" or a MusicXML "words"),
// the passage of texts over the score, automation curves, and colours written as hexadecimal
// text. Main thread only.
// text_objects.cpp: text objects and curves. colours.cpp: CvtStrToRGBColor.
#pragma once

#include "score/score_model.h"

enum : SInt32 {
    kMaxObjetsTexte = 100000,   // text objects of a staff
    kMaxTexteObjet = 4096,      // bytes of one object's text
};

#pragma pack(push, 1)
// One text object, 62 bytes; its text lies in the staff's text heap (StaffRecord::texts holds a
// TextObjectsHeader, the records, then the texts).
struct TextObject {
    SInt32 time;          // score time it starts at
    SInt32 endTime;       // where its text ends (CalculePassageTextesPartition), time until then
    SInt16 offsets[2];    // horizontal offsets in points; importers write both, drawing uses the first
    SInt16 vertical;      // points below the staff's top line, negative above
    SInt16 font;          // font id (20 serif, 21 sans)
    SInt16 size;          // points
    SInt16 face;          // style bits (128 set by importers)
    RGBColor color;       // black when all zero
    UInt8 inUse;
    UInt8 unused27;
    SInt32 textOffset;    // into the heap
    SInt32 textLength;    // bytes of UTF-8
    SInt32 width;         // points, measured by CalculePassageTextesPartition
    UInt8 reserved[22];
};
struct TextObjectsHeader {
    SInt32 count;
    SInt32 heapUsed;
};
#pragma pack(pop)
static_assert(sizeof(TextObject) == 62, "text objects are 62 bytes");

// Makes a text object of the staff (text UTF-8, invalid bytes becoming '?') and answers its
// index; -1 for a staff that is not live, a null or empty text, a text past kMaxTexteObjet
// bytes, kMaxObjetsTexte objects or no memory. Moves memory.
SInt32 CreeObjetTexte(StaffHandle staff, const char *text, SInt16 font, SInt16 size, SInt16 face, SInt32 time,
                      SInt16 vertical);
SInt32 GetNbObjetsTexte(StaffHandle staff);
TextObject *GetObjetTextePtr(StaffHandle staff, SInt32 index);  // in place (packed); null outside
// Copies the object's text (size bytes, zero-terminated, cut at a character boundary); answers
// its whole length, 0 outside.
SInt32 GetTexteObjetTexte(StaffHandle staff, SInt32 index, char *text, SInt32 size);
// Measures every text object of the score in its font (through the current port, or a
// temporary one) and sets its end time to the time its text reaches at the score's standard
// spacing (10 pixels for 10080 units at 72 dpi, a point a pixel).
void CalculePassageTextesPartition(ScoreHandle score);

// Automation curves: no score here holds any, so every staff answers that it has none.
SInt32 CvtTypeCourbeEnIndex(StaffHandle staff, OSType type);   // -1
// The first staff holding a score-wide curve of that type: none here (*holder null, *index -1).
void CvtTypeCourbeGlobaleEnIndex(ScoreHandle score, OSType type, StaffHandle *holder, SInt32 *index);
// Whether the curve has a value at a time (written to *value): false here.
Boolean ExtraitValeurCourbe(StaffHandle holder, SInt32 index, SInt32 time, float *value);

// Reads up to eight hexadecimal digits as a number and takes its low three bytes as red, green
// and blue (red the highest), each the high byte of its 16-bit component: "FF8000" gives
// (65280, 32768, 0). Reading stops at the first character that is not a digit; null gives black.
void CvtStrToRGBColor(const char *text, RGBColor *color);

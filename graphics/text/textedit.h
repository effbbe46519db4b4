// Classic TextEdit: one block of single-byte text (MacRoman, or Shift-JIS under the Japanese
// interface) wrapped in a destination rectangle of a port and shown through a view rectangle,
// plain or styled (style runs over a shared style table). Main thread only, as all drawing.
// textedit_layout.cpp: records, line layout and measuring. textedit_draw.cpp: caret, highlight,
// selection, drawing, activation and idling. textedit_edit.cpp: keys, clicks, editing, the scrap,
// scrolling and the text boxes. textedit_styles.cpp: style runs, the style table, the null style,
// the style scrap and styled drawing.
#pragma once

#include "graphics/quickdraw/ports.h"
#include "platform/core/mac_types.h"

struct TERec;
typedef TERec *TEPtr;
typedef TEPtr *TEHandle;

// Tells whether the byte at offset belongs to a word.
typedef Boolean (*TEWordBreakProcPtr)(Ptr text, SInt32 offset);
// Called while a click is tracked with autoView on; false ends the tracking.
typedef Boolean (*TEClickLoopProcPtr)(Point mouse, TEHandle te);

// A style run: from startChar up to the next run's start. The last run of a record is the end
// marker {teLength + 1, -1}.
struct StyleRun {
    UInt16 startChar;
    SInt32 styleIndex;  // into the style table; -1 for the end marker
};

struct STElement {      // 18 bytes; one entry of the style table
    UInt16 stCount;     // runs naming this entry
    UInt16 stHeight;    // ascent + descent + leading, pixels
    UInt16 stAscent;    // pixels
    UInt16 stFont;
    UInt8 stFace;
    UInt8 stSpare;
    UInt16 stSize;      // pixels; 0 means 12
    RGBColor stColor;
};
typedef STElement *STPtr;
typedef STPtr *STHandle;

struct LHElement {      // one line of the line-height table
    SInt16 lhHeight;    // pixels; negative: fixed by the caller, layout leaves it
    SInt16 lhAscent;
};
typedef LHElement *LHPtr;
typedef LHPtr *LHHandle;

// A style scrap ("styl"): a signed 16-bit count, then count elements of 20 bytes: start (i32,
// from the start of the copied range), height, ascent, font (i16 each), face (u8), a spare
// byte, size (i16) and the colour (three u16). Numbers in memory byte order, except where the
// conversions below say otherwise. Read and written only through the element accessors.
typedef Handle StScrpHandle;
struct ScrpSTElement {  // one decoded element
    SInt32 scrpStartChar;
    SInt16 scrpHeight;
    SInt16 scrpAscent;
    SInt16 scrpFont;
    UInt8 scrpFace;
    SInt16 scrpSize;
    RGBColor scrpColor;
};

struct NullStRec {
    SInt32 teReserved;
    StScrpHandle nullScrap;  // at most one element: the style the next typed byte gets
};
typedef NullStRec *NullStPtr;
typedef NullStPtr *NullStHandle;

// The style handle of a styled record. Run and style counts and style indexes are 32-bit: a
// text of 65534 bytes can hold a run, and a style, for every byte.
struct TEStyleRec {
    SInt32 nRuns;           // runs before the end marker
    SInt32 nStyles;         // entries of styleTab
    STHandle styleTab;
    LHHandle lhTab;         // nLines + 1 entries; the last is the line after a final return
    SInt32 teRefCon;        // not used
    NullStHandle nullStyle;
    StyleRun runs[1];       // nRuns + 1 entries follow in the handle
};
typedef TEStyleRec *TEStylePtr;
typedef TEStylePtr *TEStyleHandle;

struct TextStyle {  // what callers pass to the style calls
    SInt16 tsFont;
    UInt8 tsFace;
    UInt8 tsSpare;
    SInt16 tsSize;
    RGBColor tsColor;
};

// The record lives in a relocatable handle that grows by one entry of lineStarts a line, so a
// pointer into it dies at the next call that lays text out.
struct TERec {
    Rect destRect;          // lines wrap between its left and right
    Rect viewRect;          // the visible part; drawing is clipped to it
    Rect selRect;           // not used
    SInt16 lineHeight;      // of every line of a plain record; -1 in a styled record
    SInt16 fontAscent;      // -1 in a styled record
    Point selPoint;         // bottom-left of the character at selStart (TEGetPoint)
    UInt16 selStart;        // selection, byte offsets; shift keys may leave selEnd before selStart
    UInt16 selEnd;
    SInt16 active;          // non-zero while the selection or caret is shown
    TEWordBreakProcPtr wordBreak;
    TEClickLoopProcPtr clikLoop;
    UInt32 clickTime;       // ticks of the last click; 0: none yet
    SInt16 clickLoc;        // not used
    UInt32 caretTime;       // ticks at which the caret next blinks
    SInt16 caretState;      // 1 while the caret is drawn
    SInt16 just;            // teFlushDefault, teCenter, teFlushRight, teFlushLeft
    UInt16 teLength;        // bytes of text, at most kTEMaxLength
    Handle hText;           // the text; owned by the record
    SInt16 unused[4];
    SInt16 txFont;          // the port's text settings at creation
    UInt8 txFace;
    UInt8 txSpare;
    SInt16 txMode;
    SInt16 txSize;          // -1 marks a styled record
    GrafPtr inPort;         // the port drawn into
    ProcPtr highHook;       // not used
    ProcPtr caretHook;      // not used
    TEStyleHandle styleHandle;  // styled records only (GetStylHandle); owned by the record
    SInt32 nLines;          // lines of text (a 65534-byte text may have as many)
    UInt16 autoView;        // non-zero: keep the selection visible, scroll while dragging
    UInt16 lineStarts[1];   // nLines + 1 entries follow; lineStarts[nLines] = teLength
};

enum : SInt16 { teFlushDefault = 0, teCenter = 1, teFlushRight = -1, teFlushLeft = -2 };
enum : SInt16 { doFont = 1, doFace = 2, doSize = 4, doColor = 8, doAll = 15, addSize = 16 };
enum : UInt16 { kTEMaxLength = 65534 };  // bytes a record holds; longer texts are cut
enum : SInt32 {
    kStScrpHeaderBytes = 2,
    kStScrpElementBytes = 20,
    kTEStyleSizeMax = 4096,  // pixels; larger sizes are brought down to it
};
enum : UInt8 {  // key bytes with a meaning of their own
    kTEKeyHome = 1,
    kTEKeyEnd = 4,
    kTEKeyInsertMode = 5,
    kTEKeyBackspace = 8,
    kTEKeyReturn = 13,
    kTEKeyFunction = 16,
    kTEKeyEscape = 27,
    kTEKeyLeft = 28,
    kTEKeyRight = 29,
    kTEKeyUp = 30,
    kTEKeyDown = 31,
    kTEKeyDelete = 127,
};

// ---- textedit_layout.cpp: records, layout, measuring ----------------------------------------
void TEInit();
TEHandle TENew(const Rect *destRect, const Rect *viewRect);  // in the current port; null without one or memory
void TEDispose(TEHandle te);
Handle TEGetText(TEHandle te);  // the record's own text handle
void TECalText(TEHandle te);    // lays out the whole text
// Lays out after delta bytes were inserted (delta > 0) or removed (delta < 0) at start, or the
// styles of start..end changed (delta 0); start < 0: everything. Answers the bytes to redraw.
void TERecalText(SInt32 start, SInt32 end, SInt32 delta, TEHandle te, SInt32 *firstOut, SInt32 *lastOut);
Point TEGetPoint(SInt32 offset, TEHandle te);     // bottom-left of the byte at offset
SInt32 TEGetOffset(Point pt, TEHandle te);        // the offset nearest pt
SInt32 TEGetHeight(SInt32 endLine, SInt32 startLine, TEHandle te);  // pixels of those lines
SInt32 orva_NumLigne(SInt32 offset, TEHandle te);  // the line of an offset
SInt32 orva_TailleTexte(TEHandle te, SInt32 start, SInt32 length);  // width in pixels
void SetWordBreak(TEWordBreakProcPtr proc, TEHandle te);
void SetClikLoop(TEClickLoopProcPtr proc, TEHandle te);
void TESetJust(SInt16 just, TEHandle te);
void TEAutoView(Boolean flag, TEHandle te);
// The insert (true) or overwrite switch, shared by every record; key 5 toggles it.
Boolean OrvaTEGetInsertMode();
void OrvaTESetInsertMode(Boolean insert);
// Test seam: the allocations of new records, text blocks and style tables ask refuse(size)
// first; true makes them fail as with no memory. Null restores the allocator.
void OrvaTESetAllocationHook(Boolean (*refuse)(UInt32 size));

// ---- textedit_draw.cpp: showing the record ------------------------------------------------
void TEActivate(TEHandle te);
void TEDeactivate(TEHandle te);
void TEIdle(TEHandle te);                     // blinks the caret; tells the input method where it is
void TEUpdate(const Rect *rect, TEHandle te);  // draws what lies in rect
void TEDoText(TEHandle te, SInt32 start, SInt32 end, SInt32 oldHeight);  // redraws a range
void orva_affiche_select(TEHandle te);        // shows the selection or caret of an active record
void TESetSelect(SInt32 selStart, SInt32 selEnd, TEHandle te);  // and scrolls it into view

// ---- textedit_edit.cpp: editing, the scrap, scrolling, text boxes --------------------------
void TEKey(SInt16 key, TEHandle te);  // modifiers from SystemDependantGetModifiers
// A press at a local point; extend: shift held. Outside the plug-in it tracks the mouse until
// the button is released; inside, it makes one pass with the press point and returns.
void TEClick(Point pt, Boolean extend, TEHandle te);
void TEDelete(TEHandle te);
void TEInsert(const void *text, SInt32 length, TEHandle te);
void TECut(TEHandle te);
void TECopy(TEHandle te);
void TEPaste(TEHandle te);
// Replaces the text (cut at kTEMaxLength) without drawing; on failure keeps the old text.
void TESetText(const void *text, SInt32 length, TEHandle te);
void TEScroll(SInt16 dh, SInt16 dv, TEHandle te);
void TEPinScroll(SInt16 dh, SInt16 dv, TEHandle te);
void TESelView(TEHandle te);
void TextBox(const void *text, SInt32 length, const Rect *box, SInt16 just);  // in the current port
// Height and widest line of text wrapped at width in the current port's font; 0,0 without a port.
void OrvaTailleTextBox(const void *text, SInt32 length, SInt16 width, Point *size);
SInt32 TEGetScrapLen();  // bytes of the scrap's "TEXT", 0 when none
OSErr TEFromScrap();     // the desktop scrap is used directly: these do nothing
OSErr TEToScrap();
Handle TEScrapHandle();
void TESetScrapLen(SInt32 length);

// ---- textedit_styles.cpp: styled records ---------------------------------------------------
TEHandle TEStylNew(const Rect *destRect, const Rect *viewRect);  // null without a port or memory
TEStyleHandle GetStylHandle(TEHandle te);  // null for a plain record
void SetStylHandle(TEStyleHandle styleHandle, TEHandle te);  // styled records only
void TESetStyle(SInt16 mode, const TextStyle *style, Boolean redraw, TEHandle te);
void TEGetStyle(SInt32 offset, TextStyle *style, SInt16 *lineHeight, SInt16 *fontAscent, TEHandle te);
Boolean TEContinuousStyle(SInt16 *mode, TextStyle *style, TEHandle te);
void TEStylInsert(const void *text, SInt32 length, StScrpHandle styleScrap, TEHandle te);
void TEStylPaste(TEHandle te);
void TEReplaceStyle(SInt16 mode, const TextStyle *oldStyle, const TextStyle *newStyle, Boolean redraw, TEHandle te);
StScrpHandle GetStylScrap(TEHandle te);  // of the selection; caller disposes; null for a plain record
void SetStylScrap(SInt32 start, SInt32 end, StScrpHandle styleScrap, Boolean redraw, TEHandle te);
// A big-endian style scrap into memory order, and back; in place. Counts beyond the handle
// are bounded by it.
void OrvaCvtStScrpHandle(StScrpHandle scrap);
void OrvaCvtScrpHandleMacToPC(StScrpHandle scrap);
void OrvaCvtScrpHandlePCToMac(StScrpHandle scrap);
// Elements of a style scrap: the count (0 for a null or short handle, bounded by the handle),
// one element read or written in memory order (false when index is out of the handle).
SInt32 OrvaStScrpCount(StScrpHandle scrap);
Boolean OrvaGetStScrpElement(StScrpHandle scrap, SInt32 index, ScrpSTElement *element);
Boolean OrvaSetStScrpElement(StScrpHandle scrap, SInt32 index, const ScrpSTElement *element);
StScrpHandle OrvaNewStScrp(SInt32 count);  // count zeroed elements; null without memory
void orva_InitStyle(TEHandle te);           // one run of the port's style over the whole text
void orva_FixeStyleNull(TEHandle te);       // the null style from the byte before the caret
void OrvaGetStyleNull(TEStyleHandle styleHandle, TextStyle *style);
SInt32 orva_AddStyle(const TextStyle *style, TEStyleHandle styleHandle);  // index; -1 without memory
STElement *orva_LocStyle(SInt32 offset, TEStyleHandle styleHandle);      // dies at the next style change
void orva_RunAdjust(SInt32 offset, SInt32 delta, TEHandle te);
void orva_DisposeExtText(TEHandle te);

// The Extended TextEdit: styled UTF-8 (or 8-bit) text with 32-bit offsets in a 32-bit destination
// rectangle, rotation, zoom and right-to-left runs. Main thread only, as all drawing.
// extended_textedit.cpp: the record, its setters, activation and idling.
// extended_styles.cpp: the style handle, runs, style table, null style and the style scrap.
// extended_layout.cpp: line layout, measuring, line lookups and heights.
// extended_geometry.cpp, extended_draw.cpp, extended_edit.cpp, extended_keys.cpp: geometry,
// drawing, highlighting, scrolling, and the selection, keys, mouse and scrap (extended_view.h
// says which file holds what).
#pragma once

#include "graphics/quickdraw/big_rect.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/textedit.h"  // TextStyle, LHElement, NullStRec, StScrpHandle and scrap accessors
#include "platform/core/mac_types.h"

struct ExtendedTERec;
typedef ExtendedTERec *ExtendedTEPtr;
typedef ExtendedTEPtr *ExtendedTEHandle;

// ---- hooks --------------------------------------------------------------------------------
// Non-zero when the character at offset belongs to a word. Line breaking and every word scan
// take a character as part of a word when the word-character or the escape hook says so.
typedef UInt16 (*ExtendedWordBreakProcPtr)(ExtendedTEHandle te, SInt32 offset);
typedef UInt16 (*ExtendedEscapeProcPtr)(ExtendedTEHandle te, SInt32 offset);
// Called while a drag is tracked with auto-view on; packed: h in the high 16 bits, v in the low.
// 0 ends the tracking.
typedef UInt8 (*ExtendedClikLoopProcPtr)(SInt32 packed, ExtendedTEHandle te);
// Draws count bytes at the pen of the record's port and advances the pen; 0 stops the line.
typedef UInt8 (*ExtendedDrawTextProcPtr)(ExtendedTEHandle te, SInt32 line, const char *bytes, SInt32 count);
// Width in pixels of count bytes of text from start, in the record's port as it is set.
typedef SInt32 (*ExtendedTextWidthProcPtr)(ExtendedTEHandle te, SInt32 line, const char *text, SInt32 start,
                                           SInt32 count);

// ---- the style handle ---------------------------------------------------------------------
struct ExtendedSTElement {  // one entry of the style table
    UInt16 stCount;         // runs naming this entry
    SInt16 stHeight;        // ascent + descent + leading of the font at stSize, pixels
    SInt16 stAscent;        // pixels
    SInt16 stFont;
    UInt8 stFace;           // style bits
    UInt8 stPad;
    SInt16 stSize;          // points, before zoom
    RGBColor stColor;
};
typedef ExtendedSTElement *ExtendedSTPtr;
typedef ExtendedSTPtr *ExtendedSTHandle;

struct ExtendedStyleRun {  // bytes startChar .. next run's start - 1
    SInt32 startChar;
    SInt16 styleIndex;     // into the style table; -1 for the sentinel {length + 1, -1}
};

// A relocatable handle that grows with its runs: a pointer into it dies at any run change.
struct ExtendedStylRec {
    SInt16 nRuns;              // runs before the sentinel
    SInt16 nStyles;            // entries of styleTab
    ExtendedSTHandle styleTab; // owned; null until a style is set
    LHHandle lhTab;            // owned; line count + 1 entries; the top bit of lhHeight is a keep mark
    UInt32 reserved;           // 0
    float zoom;                // sizes and line heights are multiplied by it; 1.0 at creation
    NullStHandle nullStyle;    // owned, with its scrap: the style of the next typed character
    ExtendedStyleRun runs[1];  // nRuns + 1 entries follow, room for one more
};
typedef ExtendedStylRec *ExtendedStylPtr;
typedef ExtendedStylPtr *ExtendedStylHandle;

enum : SInt16 {
    doToggle = 32,           // toggles the given face bits (with doFont .. addSize of textedit.h)
    kExtendedMaxRuns = 32000,   // runs of one style handle; further splits are refused
    kExtendedMaxStyles = 32000, // entries of one style table
};
enum : SInt16 { kExtendedHeightKeep = SInt16(0x8000) };  // top bit of lhHeight
enum : SInt32 { kExtendedMaxWidth = 32000 };             // widths are held to it

// The port's text settings around a measure (ExtendedGetTextState / ExtendedSetTextState).
struct ExtendedTextState {
    SInt16 font;       // -1 when there was no port
    SInt16 size;       // -1 when there was no port
    UInt8 face;
    SInt16 mode;
    Fixed spExtra;
    GrafPtr tempPort;  // a port made for the measure when there was none; disposed on restore
};

// The pen, colours and port fields saved around caret drawing.
typedef PenColorState ExtendedPenColorState;  // graphics/quickdraw/pen.h

// ---- the record ---------------------------------------------------------------------------
enum : UInt32 { kExtendedModeUTF8 = 4, kExtendedMode8Bit = 2 };
enum : SInt16 {  // justification
    kExtendedJustLeft = 0,
    kExtendedJustCenter = 1,
    kExtendedJustRight = -1,
    kExtendedJustForceLeft = -2,
};
enum : UInt32 {  // refused-character mask bits (ExtendedTESetForbidden)
    kExtendedRefuseLineEnd = 1,
    kExtendedRefuseControl = 2,
    kExtendedRefuseHigh = 4,
    kExtendedRefuseLetters = 8,
    kExtendedRefuseSign = 16,
    kExtendedRefusePunctuation = 32,
    kExtendedRefuseDigits = 64,
    kExtendedRefuseDecimal = 128,
};

// Lives in a relocatable handle that is resized with its line count: a pointer into it dies
// at any call that lays text out.
struct ExtendedTERec {
    BigRect destRect;          // lines wrap at its width; its top-left is the text's origin
    Rect viewRect;             // the visible part; drawing is clipped to it
    UInt32 forbidden;          // refused-character mask, 0 at creation
    UInt32 maxLength;          // bytes; 0 unlimited
    SInt16 lineHeight;         // unstyled: ascent + descent + leading; -1 styled
    SInt16 fontAscent;         // unstyled: ascent; -1 styled
    BigPoint selPoint;         // caret: local coordinates, v the bottom of its line
    SInt32 selStart;           // 0 <= selStart <= selEnd <= teLength, bytes
    SInt32 selEnd;
    SInt32 anchor;             // the end the user started the selection at
    SInt32 activeEnd;          // the end that moves
    RGBColor backColor;        // erasing and inverting; white at creation
    UInt16 blendHilite;        // non-zero: the highlight is blended in blendColor
    RGBColor blendColor;
    UInt16 active;
    UInt8 drawSuspended;       // set: no drawing, no relayout after insertions
    ExtendedWordBreakProcPtr wordBreak;
    ExtendedEscapeProcPtr inEscape;
    ExtendedClikLoopProcPtr clikLoop;
    ExtendedDrawTextProcPtr drawText;
    ExtendedTextWidthProcPtr textWidth;
    UInt32 clickTime;          // ticks of the last click
    UInt16 clickCount;         // 0 single, 1 double, 2 triple
    UInt32 caretTime;          // ticks of the next blink
    UInt16 caretState;         // 1 while the caret is drawn
    SInt16 just;               // kExtendedJust...
    SInt16 rotation;           // degrees counter-clockwise about the destination's centre
    UInt32 encodingMode;       // kExtendedModeUTF8 or kExtendedMode8Bit
    SInt32 teLength;           // bytes
    Handle hText;              // owned; teLength bytes, no terminator
    UInt8 eraseBackground;     // 1 at creation
    UInt8 noWrap;              // 0 at creation
    UInt8 noClipToView;        // 0 at creation
    SInt16 txFont;             // the record's own style, used without style handle
    UInt8 txFace;
    SInt16 txMode;
    SInt16 txSize;             // -1 in a styled record
    RGBColor txColor;
    ExtendedStylHandle styleHandle;  // owned, or null
    GrafPtr inPort;            // the port measured and drawn in: current at creation
    SInt32 nLines;
    UInt16 autoView;           // set: selection changes scroll it into view
    SInt32 lineStarts[1];      // nLines + 1 entries follow, room for nLines + 2;
                               // lineStarts[0] = 0, lineStarts[nLines] = teLength
};

// ---- extended_textedit.cpp: record and lifecycle ------------------------------------------
void ExtendedTEInit();  // nothing
// An unstyled record in the current port; null without memory.
ExtendedTEHandle ExtendedTENew(const Rect *destRect, const Rect *viewRect);
// A styled record (style from the current port), laid out: one empty line. Null without memory.
ExtendedTEHandle ExtendedTEStylNew(const Rect *destRect, const Rect *viewRect);
void ExtendedTEDispose(ExtendedTEHandle te);  // frees text, styles and record; null: nothing
// Replaces the text with a copy of count bytes, caret at the end, one run, laid out; nothing
// drawn. Without memory the record keeps its text and layout (MemError tells).
void ExtendedTESetText(const void *bytes, SInt32 count, ExtendedTEHandle te);
Handle ExtendedTEGetText(ExtendedTEHandle te);  // still the record's
// Target's text and length a copy of source's, its style handle a deep copy; no relayout.
void ExtendedCopyTEHandle(ExtendedTEHandle source, ExtendedTEHandle target);
void ExtendedTESetMaxSize(ExtendedTEHandle te, UInt32 maxLength);
void ExtendedTESetForbidden(ExtendedTEHandle te, UInt32 mask);
void ExtendedTESetBackColor(ExtendedTEHandle te, const RGBColor *color);
void ExtendedTEGetBackColor(ExtendedTEHandle te, RGBColor *color);
void ExtendedSetWordBreak(ExtendedWordBreakProcPtr hook, ExtendedTEHandle te);  // null: the default
void ExtendedSetInEscape(ExtendedEscapeProcPtr hook, ExtendedTEHandle te);      // null: the default
void ExtendedSetClikLoop(ExtendedClikLoopProcPtr hook, ExtendedTEHandle te);    // null: the default
void ExtendedSetUnicodeMode(ExtendedTEHandle te, Boolean on);  // UTF-8 when on, 8-bit when off
Boolean ExtendedGetUnicodeMode(ExtendedTEHandle te);            // in UTF-8 mode
void ExtendedTESetJust(SInt16 just, ExtendedTEHandle te);
void ExtendedTESetRotation(ExtendedTEHandle te, SInt16 degrees);  // ignored outside Unicode application mode
void ExtendedTESetEraseBackground(Boolean erase, ExtendedTEHandle te);
void ExtendedTESetWrap(Boolean wrap, ExtendedTEHandle te);  // stored as noWrap = !wrap
void ExtendedTESetNoClipToViewRect(Boolean noClip, ExtendedTEHandle te);
void ExtendedTEAutoView(Boolean on, ExtendedTEHandle te);
void ExtendedActiveModeBlendSelection(ExtendedTEHandle te, const RGBColor *color);
void ExtendedDeactivateDraw(ExtendedTEHandle te);  // suspends drawing and relayout after insertions
void ExtendedActivateDraw(ExtendedTEHandle te);    // resumes, and lays the whole text out
void ExtendedTEActivate(ExtendedTEHandle te);      // shows the highlight or caret
void ExtendedTEDeactivate(ExtendedTEHandle te);    // outlines the highlight, hides the caret
// Blinks the caret of an active record and tells the input method where the caret is.
void ExtendedTEIdle(ExtendedTEHandle te);
// The insert (1) or overwrite (0) mode of every record; key 5 toggles it. 1 at start.
Boolean OrvaExtendedTEGetInsertMode();
void OrvaExtendedTESetInsertMode(Boolean insert);
// The default hooks.
UInt16 ExtendedDefaultWordBreak(ExtendedTEHandle te, SInt32 offset);
UInt16 ExtendedDefaultInEscape(ExtendedTEHandle te, SInt32 offset);  // 0
UInt8 ExtendedDefaultDrawText(ExtendedTEHandle te, SInt32 line, const char *bytes, SInt32 count);
SInt32 ExtendedDefaultTextWidth(ExtendedTEHandle te, SInt32 line, const char *text, SInt32 start, SInt32 count);
UInt8 ExtendedDefaultClikLoop(SInt32 packed, ExtendedTEHandle te);  // automatic scrolling (extended_keys.cpp)
// Word test of every scan: the word-character or the escape hook answers non-zero.
Boolean ExtendedIsWordChar(ExtendedTEHandle te, SInt32 offset);
// Character steps: whole UTF-8 sequences in UTF-8 mode, bytes otherwise; held to 0..teLength.
SInt32 ExtendedNextChar(ExtendedTEHandle te, SInt32 offset);
SInt32 ExtendedPreviousChar(ExtendedTEHandle te, SInt32 offset);
// Test seam: the allocations of records, text blocks and style tables ask refuse(size) first;
// true makes them fail as with no memory. Null restores the allocator.
void OrvaExtendedTESetAllocationHook(Boolean (*refuse)(UInt32 size));

// ---- extended_styles.cpp: styles, runs, style scrap ----------------------------------------
ExtendedStylHandle ExtendedNewStylHandle();  // null without memory
// One run of style over length bytes, fresh tables, zoom 1.0. Null: nothing.
void ExtendedInitStylHandle(ExtendedStylHandle styles, const TextStyle *style, SInt32 length);
void Extended_InitStyle(ExtendedTEHandle te);  // the port's font, size, face in black over the text
void ExtendedDisposeStylHandle(ExtendedStylHandle styles);  // null: nothing
void ExtendedDisposeExtText(ExtendedTEHandle te);           // the record's style handle
ExtendedStylHandle ExtendedDupStyleHandle(ExtendedStylHandle styles);  // deep copy; null without memory
ExtendedStylHandle ExtendedGetStylHandle(ExtendedTEHandle te);
void ExtendedSetStylHandle(ExtendedStylHandle styles, ExtendedTEHandle te);  // disposes the previous one
void ExtendedSetViewZoom(ExtendedTEHandle te, float zoom);
void ExtendedZoomText(float factor, ExtendedTEHandle te);  // scales every style's size; lays out again
// Index of the run holding offset; -1 at or beyond the sentinel's start.
SInt32 Extended_NumRun(SInt32 offset, ExtendedStylHandle styles);
// The style entry of the run holding offset, or null; dies at the next style change.
ExtendedSTElement *ExtendedLocStyle(SInt32 offset, ExtendedStylHandle styles);
void Extended_NewRun(SInt32 offset, SInt16 styleIndex, ExtendedStylHandle styles);
void Extended_CleanRun(ExtendedStylHandle styles, SInt32 from, SInt32 to);  // merges equal neighbours
void ExtendedRunAdjust(SInt32 offset, SInt32 delta, ExtendedStylHandle styles);  // after an edit at offset
void ExtendedRunOffset(SInt32 offset, SInt32 delta, ExtendedStylHandle styles);  // moves runs from offset
SInt16 ExtendedAddStyle(const TextStyle *style, ExtendedStylHandle styles);  // index; -1 without memory
// Applies style under mode to start..end; true when runs changed.
Boolean ExtendedTESetStyleRange(SInt16 mode, const TextStyle *style, SInt32 start, SInt32 end,
                                ExtendedStylHandle styles);
void ExtendedTESetStyle(SInt16 mode, const TextStyle *style, Boolean redraw, ExtendedTEHandle te);
// The style at offset; lineHeight and ascent may be null.
void ExtendedTEGetStyle(SInt32 offset, TextStyle *style, SInt16 *lineHeight, SInt16 *ascent, ExtendedTEHandle te);
void ExtendedTEGetStyleFromStyleHandle(SInt32 offset, TextStyle *style, SInt16 *lineHeight, SInt16 *ascent,
                                       ExtendedStylHandle styles);
void ExtendedGetStyleNull(ExtendedStylHandle styles, ExtendedSTElement *style);  // font 1, size 0, black when none
void ExtendedFixeStyleNull(ExtendedTEHandle te);  // the null style from the character before the caret
// The style of the selection; the attributes of mode that vary over it are cleared. True when
// mode came back unchanged.
Boolean ExtendedTEContinuousStyle(SInt16 *mode, TextStyle *style, ExtendedTEHandle te);
// Font name, face, size in black on the selection; false when the font is unknown.
Boolean ExtendedTEGlobalStyle(const char *fontName, SInt16 face, SInt16 size, ExtendedTEHandle te);
void ExtendedTEStyleToTextStyle(const ExtendedSTElement *entry, TextStyle *style);
void ExtendedTextStyleToTEStyle(const TextStyle *style, ExtendedSTElement *entry);
void ExtendedTEReplaceStyle(SInt16 mode, const TextStyle *oldStyle, const TextStyle *newStyle, Boolean redraw,
                            ExtendedTEHandle te);  // nothing
// A new style scrap (caller disposes) of the runs over start..end of text; null without memory.
StScrpHandle ExtendedGetStylScrapFromStyleHandle(const char *text, ExtendedStylHandle styles, SInt32 start,
                                                 SInt32 end);
StScrpHandle ExtendedGetStylScrap(ExtendedTEHandle te);  // of the selection; null unstyled
// Styles start..end from scrap (element starts relative to start); elements beyond end ignored.
void ExtendedSetStylScrap(SInt32 start, SInt32 end, StScrpHandle scrap, Boolean ignored, ExtendedTEHandle te);
// A scrap read in big-endian order to memory order, and back; in place, bounded by the handle.
void ExtendedCvtStScrpHandleMacToPc(StScrpHandle scrap);
void ExtendedCvtStScrpHandle(StScrpHandle scrap);
void ExtendedCvtStScrpHandlePcToMac(StScrpHandle scrap);
void ExtendedGetTextState(ExtendedTextState *state);  // makes a port when there is none
void ExtendedSetTextState(ExtendedTextState *state);
void ExtendedTETrace(ExtendedTEHandle te);  // the record's runs and styles on standard output

// ---- extended_layout.cpp: layout and measuring ---------------------------------------------
void ExtendedTECalText(ExtendedTEHandle te);  // lays out the whole text
// Lays out after a change at start: delta bytes inserted (> 0) or removed (< 0), or a restyle
// of start..end (delta 0, end -1 when none); start < 0: everything. first/last: bytes to redraw.
void ExtendedTERecalText(SInt32 start, SInt32 end, SInt32 delta, ExtendedTEHandle te, SInt32 *first, SInt32 *last);
// Width of count bytes from start at the zoomed sizes, without trailing CR/LF; count held to 32000.
SInt32 ExtendedTailleTexte(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 count, Boolean saveState);
SInt32 ExtendedTailleMaxTexte(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 count, Boolean saveState);
SInt32 ExtendedNumLigne(SInt32 offset, ExtendedTEHandle te);          // the caret's line of offset
SInt32 ExtendedGetNumLigneTexte(ExtendedTEHandle te, SInt32 offset);  // the line of the character at offset
SInt32 ExtendedGetPosDebutLigne(ExtendedTEHandle te, SInt32 offset);  // start of that line
SInt32 ExtendedTEGetHeight(SInt32 lineA, SInt32 lineB, ExtendedTEHandle te);  // pixels of lines a..b
// Height and ascent of the line [start, start + count): maximum over its runs, unzoomed.
void ExtendedLineMetrics(ExtendedTEHandle te, SInt32 start, SInt32 count, LHElement *metrics);

// ---- geometry, drawing, highlighting, scrolling ------------------------------------------
void ExtendedTEGetPoint(SInt32 offset, ExtendedTEHandle te, BigPoint *position);  // v the line's bottom
SInt32 ExtendedTEGetOffset(SInt32 packed, ExtendedTEHandle te);  // packed: h high 16 bits, v low
void ExtendedTEDoText(ExtendedTEHandle te, SInt32 from, SInt32 to, SInt32 oldHeight);
void ExtendedTEUpdate(const Rect *rect, ExtendedTEHandle te);
void ExtendedTEScroll(SInt32 dh, SInt32 dv, ExtendedTEHandle te);
void ExtendedTEPinScroll(SInt32 dh, SInt32 dv, ExtendedTEHandle te);
void ExtendedTESelView(ExtendedTEHandle te);
void ExtendedInvertText(SInt32 a, SInt32 b, Boolean outline, ExtendedTEHandle te);
void Extended_affiche_select(ExtendedTEHandle te);
void ExtendedAfficheCurseur(ExtendedTEHandle te, Boolean show);
void ExtendedRetraceRegion(ExtendedTEHandle te, RgnHandle region);
void ExtendedRetraceAireSelectTexte(ExtendedTEHandle te);
void ExtendedEffaceAireSelectTexte(ExtendedTEHandle te);
void ExtendedRotateTransformXYMove(ExtendedTEHandle te, float dx, float dy, Point *moved);
void ExtendedRotateTransformPoint(ExtendedTEHandle te, Point point, Point *turned);
void ExtendedRotateGetCorners(ExtendedTEHandle te, Point *topLeft, Point *topRight, Point *bottomLeft,
                              Point *bottomRight);
RgnHandle ExtendedRotateGetRgnFromRect(ExtendedTEHandle te, const Rect *rect);    // caller disposes
PolyHandle ExtendedRotateGetPolyFromRect(ExtendedTEHandle te, const Rect *rect);  // caller disposes
RgnHandle ExtendedRotateGetDestRgn(ExtendedTEHandle te);                          // caller disposes
void ExtendedGetPenAndColorState(ExtendedPenColorState *state);
void ExtendedSetPenAndColorState(const ExtendedPenColorState *state);

// ---- selection, keys, mouse, scrap --------------------------------------------------------
void ExtendedAdjustStartEnd(ExtendedTEHandle te);
void ExtendedTESetStartEnd(ExtendedTEHandle te, SInt32 a, SInt32 b);  // draws nothing
void ExtendedFixeSelect(SInt32 anchor, SInt32 activeEnd, ExtendedTEHandle te);
void ExtendedTESetSelect(SInt32 a, SInt32 b, ExtendedTEHandle te);
void ExtendedTEInsertNoGraph(const void *bytes, SInt32 count, StScrpHandle scrap, ExtendedTEHandle te);
void ExtendedTEStylInsert(const void *bytes, SInt32 count, StScrpHandle scrap, ExtendedTEHandle te);
void ExtendedTEInsert(const void *bytes, SInt32 count, ExtendedTEHandle te);
void ExtendedTEDelete(ExtendedTEHandle te);
void ExtendedTECut(ExtendedTEHandle te);
void ExtendedTECopy(ExtendedTEHandle te);
void ExtendedTEPaste(ExtendedTEHandle te);
void ExtendedTEStylPaste(ExtendedTEHandle te);
void ExtendedTEFastAddData(const void *bytes, SInt32 count, ExtendedTEHandle te);  // no layout, no drawing
SInt32 ExtendedTEGetScrapLen();
OSErr ExtendedTEFromScrap();   // 0
OSErr ExtendedTEToScrap();     // 0
Handle ExtendedTEScrapHandle();  // null
void ExtendedTESetScrapLen(SInt32 length);  // nothing
SInt32 CvtPosUnicodeToPosUTF(const char *text, SInt32 characters);
SInt32 CvtPosUTFToPosUnicode(const char *text, SInt32 bytes);
void ExtendedTEKey(UInt16 key, ExtendedTEHandle te);
void ExtendedTEClick(Point point, Boolean extend, ExtendedTEHandle te);
void ExtendedTESelectWord(Point point, ExtendedTEHandle te);

// What the TextEdit files share and nobody else calls: the record's port and text settings,
// line geometry, the selection machinery and the styled-record services used by layout and
// drawing. Main thread only.
#pragma once

#include "graphics/text/textedit.h"

enum : UInt8 { kTEReturn = 13 };
enum : SInt32 { kTEBlackCode = 33, kTEWhiteCode = 30 };  // classic colour codes
enum : SInt32 { kTEHeightMask = 0x7FFF };  // line heights are summed on 15 bits

// The record's port made current, and the port current before put back.
struct TEPortSave {
    GrafPtr port;  // the port current before
};
void TEEnterPort(TEHandle te, TEPortSave *save);
void TELeavePort(const TEPortSave *save);
// The current port's font, face and size, set straight in its fields (nothing recorded) for a
// measure and put back after it.
struct TETextFields {
    SInt16 font, size;
    UInt8 face;
};
void TESetPortText(SInt16 font, UInt8 face, SInt16 size, TETextFields *saved);
void TERestorePortText(const TETextFields *saved);

Handle TENewHandle(UInt32 size);  // NewHandle through the test seam of allocations
Boolean TEIsStyled(TEHandle te);
Boolean TEEndsWithReturn(TEHandle te);
SInt32 TEClampOffset(TEHandle te, SInt32 offset);  // into 0..teLength
// Character steps that keep off the middle of a Shift-JIS pair (Japanese interface only).
SInt32 TEPreviousChar(TEHandle te, SInt32 offset);
SInt32 TENextChar(TEHandle te, SInt32 offset);
Boolean TEIsWordByte(TEHandle te, SInt32 offset);  // through the record's wordBreak hook

// Line geometry, in pixels relative to destRect.top. line may be nLines: the line after a final
// return, where the caret of the text's end stands.
SInt32 TELineHeight(TEHandle te, SInt32 line);
SInt32 TELineAscent(TEHandle te, SInt32 line);
SInt32 TELineBottom(TEHandle te, SInt32 line);
SInt32 TELineOfPoint(TEHandle te, SInt32 offset);  // the line TEGetPoint shows offset on
SInt32 TELastLine(TEHandle te);                     // the line of teLength's caret
SInt32 TEJustification(TEHandle te, SInt32 line);   // the justification offset
SInt32 TEWidth(TEHandle te, SInt32 start, SInt32 length);  // in the current port
Point TEPointOf(TEHandle te, SInt32 offset, SInt32 *line);  // TEGetPoint, answering the line
SInt16 TEClampCoordinate(SInt32 value);

// The selection (textedit_draw.cpp). order: the ends are put in ascending order. The
// highlight and caret of an active record follow.
void TESetSelection(TEHandle te, SInt32 start, SInt32 end, Boolean order);
void TESetCaretState(TEHandle te, SInt16 state);  // draws or removes the caret when it changes
void TEHideSelection(TEHandle te);                 // removes caret or highlight, clears active
// Foreground black and background white in the current port, recorded like any colour call.
void TESetBlackOnWhite(GrafPtr port);
// Drawing: the record's port with clip = clip and viewRect; a plain record's text settings put
// through the recorded setters. The end puts back the clip, text settings and foreground colour.
// "No more mem" when the clip cannot be made.
struct TEDrawSave {
    TEPortSave port;
    SInt16 font, size, mode;
    UInt8 face;
    SInt32 fgColor;
    UInt32 forePixel;
    RGBColor rgbFgColor;
    RgnHandle clip;
};
Boolean TEBeginDraw(TEHandle te, TEDrawSave *save);
void TEEndDraw(TEDrawSave *save);
// The first and last lines drawn for start..end: the last includes the line after a final
// return when end reaches the text's last byte, so that what stood there is erased.
void TEDrawnLines(TEHandle te, SInt32 start, SInt32 end, SInt32 *first, SInt32 *last);
// Draws the lines holding start..end (and the line after a final return when end reaches the
// end of the text) and erases between the text's old and new bottoms (absolute v).
void orva_affiche_lignes(TEHandle te, SInt32 start, SInt32 end, SInt32 oldBottom, SInt32 newBottom);

// The default hooks (textedit_edit.cpp).
Boolean OrvaTEDefaultWordBreak(Ptr text, SInt32 offset);
Boolean OrvaTEDefaultClickLoop(Point mouse, TEHandle te);

// Styled records (textedit_styles.cpp).
SInt32 TEStyledWidth(TEHandle te, SInt32 start, SInt32 length);  // run by run
void TEStyledLineMetrics(TEHandle te, SInt32 start, SInt32 end, LHElement *metrics);
void TEStyledNullStyle(TEHandle te, TextStyle *style);
void orva_affiche_texteExt(TEHandle te, SInt32 start, SInt32 end, SInt32 oldBottom, SInt32 newBottom);
// The line-height table follows the line starts: entries first..oldEnd - 1 become count
// produced ones (kept where the old entry is fixed), entries from oldEnd move to follow them,
// and the entry of the line after the text is recomputed. False without memory.
Boolean TESpliceLineHeights(TEHandle te, SInt32 first, SInt32 oldEnd, const LHElement *produced, SInt32 count);

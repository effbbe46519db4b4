// The one layer through which the engine reaches Toolbox records: each accessor forwards to the
// Window, Dialog, Control and List managers, QuickDraw or TextEdit, so the engine's code never
// depends on a record's layout. Main thread only.
// carbon_dialogs.cpp: dialogs, procedure pointers and lists. carbon_ports.cpp: ports, the
// current port, QuickDraw globals, patterns, pictures and regions. carbon_windows.cpp: windows,
// dialog windows and window stubs. carbon_drawing.cpp: environment, erasing, TextEdit, updates
// and text boxes.
#pragma once

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/port_accessors.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/extended_textedit.h"
#include "graphics/text/font_equivalence.h"
#include "graphics/text/textedit.h"
#include "toolbox/toolbox_services.h"

typedef void (*UserItemProcPtr)(DialogPtr dialog, SInt16 item);
typedef void (*ListDefProcPtr)(SInt16 message, Boolean select, Rect *cellRect, Point cell, SInt16 dataOffset,
                               SInt16 dataLength, ListHandle list);

enum : SInt16 {
    kDialogTitleBytes = 256,      // a title copied out as UTF-8, NUL included
    kAlertNoCarbonSupport = 140,  // shown when the system lacks the Carbon level the engine needs
};
enum : uintptr_t { kMagicRefConMin = 0x10000 };  // refCons below this are plain numbers, not records

// ---- Dialog records --------------------------------------------------------------------------
WindowPtr CarboniseGetDialogWindow(DialogPtr dialog);
DialogPtr CarboniseGetDialogFromWindow(WindowPtr window);
DialogPtr CarboniseGetDialogFromPort(GrafPtr port);
GrafPtr CarboniseGetDialogPort(DialogPtr dialog);
TEHandle CarboniseGetDialogTextEditHandle(DialogPtr dialog);
OSErr CarboniseGetDialogItemAsControl(DialogPtr dialog, SInt16 item, ControlHandle *control);
Boolean CarboniseIsDialogEvent(const EventRecord *event);
void CarboniseSetDialogFont(SInt16 fontID);
SInt16 CarboniseTrackControl(ControlHandle control, Point where);  // the part released in, 0 none

// ---- Dialog window operations (the window accessors applied to the dialog's window) ----------
Rect *CarboniseGetRectDialog(DialogPtr dialog, Rect *r);
void CarboniseInvalRectDialog(DialogPtr dialog, const Rect *r);
Rect *CarboniseGetContRectDialog(DialogPtr dialog, Rect *r);   // global coordinates
Rect *CarboniseGetStrucRectDialog(DialogPtr dialog, Rect *r);  // global coordinates
RgnHandle CarboniseGetContRegionDialog(DialogPtr dialog);      // caller disposes
RgnHandle CarboniseGetVisRegionDialog(DialogPtr dialog);       // caller disposes
Rect *CarboniseGetClipRectDialog(DialogPtr dialog, Rect *r);
void CarboniseMoveDialog(DialogPtr dialog, SInt16 h, SInt16 v, Boolean front);
void CarboniseDragDialog(DialogPtr dialog, Point start, const Rect *bounds);
void CarboniseShowDialog(DialogPtr dialog);
Boolean CarboniseIsDialogVisible(DialogPtr dialog);
void CarboniseSizeDialog(DialogPtr dialog, SInt16 width, SInt16 height, Boolean update);
SInt32 CarboniseGrowDialog(DialogPtr dialog, Point start, const Rect *sizeLimits);
void CarboniseSetDialogRefCon(DialogPtr dialog, SRefCon refCon);
SRefCon CarboniseGetDialogRefCon(DialogPtr dialog);
void CarboniseSelectDialog(DialogPtr dialog);
UInt32 CarboniseGetMagicDialog(DialogPtr dialog);
void CarboniseSetMagicDialog(DialogPtr dialog, UInt32 tag);
DialogPtr CarboniseDisplayCloseDialog(DialogPtr dialog);
const BitMap *CarboniseGetDialogBitMapForCopyBits(DialogPtr dialog);

// ---- Dialog utilities ------------------------------------------------------------------------
SInt16 CarboniseGetDialogKeyboardFocusItem(DialogPtr dialog);  // 0-based
void CarboniseShowHideDialog(DialogPtr dialog, Boolean show);
// The part of the control under where in the dialog's window; the control is stored in
// *control only for a non-null dialog.
SInt16 CarboniseFindControlDialog(Point where, DialogPtr dialog, ControlHandle *control);
void CarboniseSetDialogTitle(DialogPtr dialog, const char *utf8);
void CarboniseGetDialogTitle(DialogPtr dialog, char *utf8);  // kDialogTitleBytes; empty when unreadable
// Items of 'DITL' id (its first big-endian word + 1); 0 for a missing or damaged one (reported).
SInt16 CarboniseGetNbItemDitl(SInt16 id);
void CarboniseAutoEmbedControlRange(DialogPtr dialog, SInt16 first, SInt16 last);
void CarboniseAdapteStaticText(DialogPtr dialog, SInt16 dialogID, SInt16 fontID, SInt16 size);

// ---- Procedure pointers: the procedures themselves are used --------------------------------
ModalFilterProcPtr CarboniseNewModalFilterProc(ModalFilterProcPtr proc);
UserItemProcPtr CarboniseNewUserItemProc(UserItemProcPtr proc);
ListDefProcPtr CarboniseNewListDefProc(ListDefProcPtr proc);
void CarboniseDisposeModalFilterProc(ModalFilterProcPtr proc);
void CarboniseDisposeUserItemProc(UserItemProcPtr proc);
void CarboniseDisposeListDefProc(ListDefProcPtr proc);
void CarboniseCloseDialog(DialogPtr dialog);

// ---- Ports -----------------------------------------------------------------------------------
void CarboniseSetPort(GrafPtr port);  // offscreen ports too
void CarboniseSetPortWindow(WindowPtr window);
void CarboniseSetPortDialog(DialogPtr dialog);
void CarboniseSetPortListe(ListHandle list);
Rect *CarboniseGetRectPort(GrafPtr port, Rect *r);
const BitMap *CarboniseGetPortBitMapForCopyBits(GrafPtr port);
RgnHandle CarboniseGetPortClipRegion(GrafPtr port);     // a new region; caller disposes
RgnHandle CarboniseGetPortVisibleRegion(GrafPtr port);  // a new region; caller disposes
Rect *CarboniseGetPortClipRect(GrafPtr port, Rect *r);
void CarboniseSetPortClipRegion(GrafPtr port, RgnHandle region);
void CarboniseSetPortVisibleRegion(GrafPtr port, RgnHandle region);
GrafPtr CarboniseCreatePort();  // a new port from the frame template; null without memory
void CarboniseDisposePort(GrafPtr port);
void CarboniseSetPortGrafProcs(GrafPtr port, GrafProcs *procs);
GrafProcs *CarboniseGetPortGrafProcs(GrafPtr port);
GrafPtr CarboniseGetPortListe(ListHandle list);

// ---- The current port (zeros without one) ----------------------------------------------------
GrafPtr CarboniseGetCurrentPort();
RgnHandle CarboniseGetCurrentPortClipRegion();  // a new region; caller disposes
void CarboniseSetCurrentPortClipRegion(RgnHandle region);
const BitMap *CarboniseGetScreenBitsPortCourant();
Boolean CarboniseIsPicturePort(GrafPtr port);  // a picture is being recorded in it
Boolean CarboniseIsPicturePortCourant();
Rect *CarboniseGetRectPortCourant(Rect *r);
SInt16 CarboniseGetTextSizePortCourant();
SInt16 CarboniseGetTextSizePort(GrafPtr port);
SInt16 CarboniseGetTextFontPort(GrafPtr port);
SInt16 CarboniseGetTextFontPortCourant();
UInt8 CarboniseGetTextFacePortCourant();
UInt8 CarboniseGetTextFacePort(GrafPtr port);
SInt16 CarboniseGetTextModePortCourant();
Fixed CarboniseGetTextSpExtraPortCourant();
Point *CarboniseGetPenLocPortCourant(Point *location);
SInt16 CarboniseGetPenMode();
RGBColor *CarboniseGetRgbForeColor(RGBColor *color);
RGBColor *CarboniseGetRgbBackColor(RGBColor *color);
TextStyle *CarboniseGetCurrentTextStylePort(TextStyle *style);  // font, face, size, RGB foreground

// ---- QuickDraw globals -----------------------------------------------------------------------
BitMap *CarboniseGetQDScreenBits(BitMap *bits);
Rect *CarboniseGetQDRectScreenBits(Rect *r);
SInt32 CarboniseGetRandSeed();
void CarboniseSetRandSeed(SInt32 seed);
void CarboniseSetCursorArrow();

// ---- Patterns: pen (SetPat), background (BackPat), copies (GetPat) ---------------------------
void CarboniseSetPatWhite();
void CarboniseSetPatLtGray();
void CarboniseSetPatGray();
void CarboniseSetPatDkGray();
void CarboniseSetPatBlack();
void CarboniseBackPatWhite();
void CarboniseBackPatLtGray();
void CarboniseBackPatGray();
void CarboniseBackPatDkGray();
void CarboniseBackPatBlack();
Pattern *CarboniseGetPatBlack(Pattern *pattern);
Pattern *CarboniseGetPatDarkGray(Pattern *pattern);

// ---- Lists -----------------------------------------------------------------------------------
void CarboniseSetListUserHandle(ListHandle list, Handle h);
Handle CarboniseGetListUserHandle(ListHandle list);
void CarboniseDrawThemeListBoxFrame(const Rect *r, Boolean active);

// ---- Environment -----------------------------------------------------------------------------
Boolean CarboniseIsApparenceManager();
Boolean CarboniseIsMacOsX();  // false here
SInt32 CarboniseMacOsXVersion();
Boolean CarboniseIsMacOsXOrPC();  // 1
Boolean CarboniseIsSystemeOffscreen();  // 1
Boolean CarboniseCanAllFontsDisplayJapanese();  // 1
void CarboniseSetQuartzAntialias(Boolean on);
// Reads the system's appearance and version, sets the path separator and the Unicode modes, and
// starts the offscreen system. Alert 140 (its first button quits) when Carbon support is too old.
void CarboniseInitQuickdDraw();

// ---- Erasing ---------------------------------------------------------------------------------
void CarboniseEraseColorRect(const Rect *r, const RGBColor *color);
void CarboniseEraseColorRoundRect(const Rect *r, const RGBColor *color, SInt16 ovalWidth, SInt16 ovalHeight);
void CarboniseEraseColorRgn(RgnHandle region, const RGBColor *color);
void CarboniseErasePoly(PolyHandle poly, const RGBColor *color);
void CarboniseEraseRect(const Rect *r);
void CarboniseEraseRoundRect(const Rect *r, SInt16 ovalWidth, SInt16 ovalHeight);
void CarboniseEraseRgn(RgnHandle region);
void CarboniseTextColorBox(const void *text, SInt32 length, const Rect *r, SInt16 just, const RGBColor *color,
                           SInt16 margin);
void CarboniseSetThemeBackGround();
void CarboniseSetThemeBackGroundPalette();
void CarboniseEraseRectMetalBackground(const Rect *r);

// ---- TextEdit, classic and Extended: each call draws in the record's own port, in the normal
// theme state --------------------------------------------------------------------------------
void CarboniseTEUpdate(const Rect *r, TEHandle te);
void CarboniseTEKey(SInt16 key, TEHandle te);
void CarboniseTEClick(Point where, Boolean extend, TEHandle te);
void CarboniseTESetSelect(SInt32 selStart, SInt32 selEnd, TEHandle te);
void CarboniseTEStylPaste(TEHandle te);
void CarboniseTEScroll(SInt16 dh, SInt16 dv, TEHandle te);
void CarboniseTESetStyle(SInt16 mode, const TextStyle *style, Boolean redraw, TEHandle te);
void CarboniseTECut(TEHandle te);
void CarboniseExtendedTEUpdate(const Rect *r, ExtendedTEHandle te);
void CarboniseExtendedTEKey(UInt16 key, ExtendedTEHandle te);
void CarboniseExtendedTEClick(Point where, Boolean extend, ExtendedTEHandle te);
void CarboniseExtendedTESetSelect(SInt32 selStart, SInt32 selEnd, ExtendedTEHandle te);
void CarboniseExtendedTEStylPaste(ExtendedTEHandle te);
void CarboniseExtendedTEScroll(SInt32 dh, SInt32 dv, ExtendedTEHandle te);
void CarboniseExtendedTESetStyle(SInt16 mode, const TextStyle *style, Boolean redraw, ExtendedTEHandle te);
void CarboniseExtendedTECut(ExtendedTEHandle te);

// ---- Updates and timing (CarboniseSetUpdateState and CarboniseValideUpdate are in
// graphics/toolbox_hooks.h, beside the event calls they make) -----------------------------------
void CarboniseDelay(SInt32 ticks);

// ---- Text boxes (CarboniseGetIDFontFromName is in graphics/text/font_equivalence.h) ----------
void CarboniseDrawThemeTextBox(const char *text, const Rect *r, ThemeFontID font, ThemeDrawState state, SInt16 just,
                               SInt16 truncation, Boolean erase, Boolean isUnicode);
void CarboniseDrawThemeTextBoxUTF(const char *utf8, const Rect *r, ThemeFontID font, ThemeDrawState state,
                                  SInt16 just, SInt16 truncation, Boolean erase);
SInt16 CarboniseThemeTextBoxWidth(const char *text, ThemeFontID font, CFStringEncoding encoding);
SInt16 CarboniseThemeTextBoxHeight(const char *utf8, SInt16 width, ThemeFontID font, ThemeDrawState state);

// ---- Pictures and regions --------------------------------------------------------------------
// The picture's frame, from big-endian unless bytes 12-13 are CA FE; empty for a handle of
// fewer than 14 bytes.
Rect *CarboniseGetPicFrame(PicHandle picture, Rect *frame);
Rect *CarboniseGetRegionBounds(RgnHandle region, Rect *r);

// ---- Windows ---------------------------------------------------------------------------------
WindowPtr CarboniseGetWindowList();
GrafPtr CarboniseGetWindowPort(WindowPtr window);
WindowPtr CarboniseGetWindowFromPort(GrafPtr port);
const BitMap *CarboniseGetWindowBitMapForCopyBits(WindowPtr window);
void CarboniseSizeWindow(WindowPtr window, SInt16 width, SInt16 height, Boolean update);
Rect *CarboniseGetRectWindow(WindowPtr window, Rect *r);  // the port's bounds
WindowPtr CarboniseGetNextWindow(WindowPtr window);
Boolean CarboniseIsWindowVisible(WindowPtr window);
Boolean CarboniseIsWindowHilited(WindowPtr window);
SInt16 CarboniseGetWindowKind(WindowPtr window);
void CarboniseSetWindowKind(WindowPtr window, SInt16 kind);
void CarboniseHiliteWindow(WindowPtr window, Boolean hilite);
void CarboniseGetWindowTitle(WindowPtr window, Str255 title);
void CarboniseSelectWindow(WindowPtr window);
void CarboniseMoveWindow(WindowPtr window, SInt16 h, SInt16 v, Boolean front);
WindowPtr CarboniseGetCurrentWindow();  // the window of the current port
void CarboniseInvalRegion(RgnHandle region);  // on the current window
void CarboniseInvalRect(const Rect *r);
void CarboniseValidRegion(RgnHandle region);
void CarboniseValidWindowRect(WindowPtr window, const Rect *r);
RgnHandle CarboniseGetWindowStructRegion(WindowPtr window);  // new regions, global coordinates;
RgnHandle CarboniseGetWindowContRegion(WindowPtr window);    // caller disposes
Rect *CarboniseGetWindowStructRect(WindowPtr window, Rect *r);
Rect *CarboniseGetWindowContRect(WindowPtr window, Rect *r);
RgnHandle CarboniseGetWindowVisibleRegion(WindowPtr window);  // new regions of the port;
RgnHandle CarboniseGetWindowClipRegion(WindowPtr window);     // caller disposes
Rect *CarboniseGetWindowVisibleRect(WindowPtr window, Rect *r);
Rect *CarboniseGetWindowClipRect(WindowPtr window, Rect *r);
void CarboniseSetWindowRefCon(WindowPtr window, SRefCon refCon);
SRefCon CarboniseGetWindowRefCon(WindowPtr window);
WindowPtr CarboniseDisplayCloseWindow(WindowPtr window);  // plays the closing transition
void CarboniseSetWindowClass(WindowPtr window, UInt32 windowClass);
// NewCWindow with an empty title, in front, no close box, refCon 0, then the class.
WindowPtr CarboniseCreateNewWindow(const Rect *bounds, Boolean visible, SInt16 procID, UInt32 windowClass);
// The distances from the structure's bounds in to the content's: top, left, bottom, right.
void CarboniseGetWindowMargin(WindowPtr window, Rect *margins);
SInt16 CarboniseGetWindowTitleHeight(WindowPtr window);  // the top distance
// A refCon of at least kMagicRefConMin is the address of a record whose first 32-bit word is
// the window's magic tag. Get answers 0 for any other refCon, or one that cannot be read; Set
// reports one that cannot be written.
UInt32 CarboniseGetMagicWindow(WindowPtr window);
void CarboniseSetMagicWindow(WindowPtr window, UInt32 tag);

// ---- Window stubs ----------------------------------------------------------------------------
OSStatus CarboniseGetWindowAttributes(WindowPtr window, UInt32 *attributes);   // -1
OSStatus CarboniseChangeWindowAttributes(WindowPtr window, UInt32 set, UInt32 clear);  // -1
OSStatus CarboniseTrackWindowProxyDrag(WindowPtr window, Point start);  // 0
OSStatus CarboniseGetPathProxy(WindowPtr window, char *path);           // 0
void CarboniseSetWindowProxy(WindowPtr window, const char *path);
void CarboniseSetWindowProxyAlias(WindowPtr window, Handle alias);
void CarboniseSetWindowModified(WindowPtr window, Boolean modified);

// What the portability library calls of the Window, Menu, Dialog, Control and List managers,
// the appearance themes and the string objects, beyond what the floors below the toolbox reach
// through its hook record (graphics/toolbox_hooks.h). Records owned by those managers stay
// opaque here.
#pragma once

#include <cstdint>

#include "graphics/toolbox_hooks.h"
#include "platform/core/cf_strings.h"
#include "platform/core/errors.h"
#include "platform/core/mac_types.h"

struct PixMap;
typedef PixMap *PixMapPtr;
typedef PixMapPtr *PixMapHandle;
struct DialogRecord;
typedef DialogRecord *DialogPtr;
struct ListRec;
typedef ListRec *ListPtr;
typedef ListPtr *ListHandle;
struct OpaqueCollection;
typedef OpaqueCollection *Collection;

typedef UInt32 ThemeDrawState;  // 0 inactive, 1 active
typedef UInt16 ThemeFontID;
typedef SInt16 ThemeBrush;      // 1 dialog background, 7 palette background

// An event of the Carbon kind: its target's installed handlers, class and kind.
struct OrvaCarbonEvent {
    Collection handlers;  // the target's handler collection (OrvaGetWindowEventHandlers)
    UInt32 eventClass;    // FourCC("mous") ...
    UInt32 eventKind;     // 10 wheel moved ...
};

struct ControlFontStyleRec {  // what SetControlFontStyle applies, selected by flags
    SInt16 flags;
    SInt16 font;
    SInt16 size;
    SInt16 style;
    SInt16 mode;
    SInt16 just;
    RGBColor foreColor;
    RGBColor backColor;
};

typedef Boolean (*ModalFilterProcPtr)(DialogPtr dialog, EventRecord *event, SInt16 *itemHit);
typedef void (*ControlActionProcPtr)(ControlHandle control, SInt16 part);

// ---- Appearance themes --------------------------------------------------------------------

OSStatus RegisterAppearanceClient();
OSStatus SetThemeBackground(ThemeBrush brush, SInt16 depth, Boolean isColorDevice);
OSStatus DrawThemeListBoxFrame(const Rect *r, ThemeDrawState state);
OSStatus NormalizeThemeDrawingState();  // colours 30/33, white back pattern, mode 8, pen 1x1 black
OSStatus GetThemeTextDimensions(CFStringRef text, ThemeFontID font, ThemeDrawState state, Boolean wrapToWidth,
                                Point *ioBounds, SInt16 *outBaseline);  // ioBounds.h in: wrapping width
OSStatus DrawThemeTextBox(CFStringRef text, ThemeFontID font, ThemeDrawState state, Boolean wrapToWidth,
                          const Rect *box, SInt16 just);

// ---- Window Manager -----------------------------------------------------------------------

// storage null: a zeroed WindowRecord is allocated. behind (WindowPtr)-1: in front of all.
// The window is made with its port, regions and frame, enters the list and, outside the plug-in
// on a display, gets its platform window; null without memory.
WindowPtr NewWindow(void *storage, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                    WindowPtr behind, Boolean goAwayFlag, SRefCon refCon);
WindowPtr NewCWindow(void *storage, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                     WindowPtr behind, Boolean goAwayFlag, SRefCon refCon);
void DisposeWindow(WindowPtr w);
WindowPtr FrontWindow();
Boolean _IsWindowVisible(WindowPtr w);
Boolean IsWindowHilited(WindowPtr w);
SInt16 GetWindowKind(WindowPtr w);
void SetWindowKind(WindowPtr w, SInt16 kind);
SInt16 _FindWindow(Point where, WindowPtr *w);  // part code: inDesk, inMenuBar, window parts
void SelectWindow(WindowPtr w);
void ShowHide(WindowPtr w, Boolean show);
void HiliteWindow(WindowPtr w, Boolean hilite);
void _ShowWindow(WindowPtr w);
void _MoveWindow(WindowPtr w, SInt16 h, SInt16 v, Boolean front);
void DragWindow(WindowPtr w, Point start, const Rect *bounds);
SInt32 GrowWindow(WindowPtr w, Point start, const Rect *sizeLimits);
void SizeWindow(WindowPtr w, SInt16 width, SInt16 height, Boolean update);
Boolean TrackGoAway(WindowPtr w, Point start);  // true when released inside the close box
SRefCon GetWRefCon(WindowPtr w);
void SetWRefCon(WindowPtr w, SRefCon refCon);
OSStatus SetWindowClass(WindowPtr w, UInt32 windowClass);
GrafPtr GetWindowPort(WindowPtr w);
OSStatus InvalWindowRgn(WindowPtr w, RgnHandle region);
OSStatus ValidWindowRgn(WindowPtr w, RgnHandle region);
OSStatus ValidWindowRect(WindowPtr w, const Rect *r);
void InvalRect(const Rect *r);  // in the current port
void ValidRect(const Rect *r);
OSStatus GetWindowBounds(WindowPtr w, SInt16 regionCode, Rect *globalBounds);
OSStatus TransitionWindow(WindowPtr w, UInt32 effect, UInt32 action, const Rect *r);
void SetWTitle(WindowPtr w, ConstStr255Param title);
void GetWTitle(WindowPtr w, Str255 title);
OSStatus SetWindowTitleWithCFString(WindowPtr w, CFStringRef title);
OSStatus CopyWindowTitleAsCFString(WindowPtr w, CFStringRef *title);  // caller releases
Boolean orva_existe_fen(WindowPtr w);
void OrvaWindowsClickInDesk();
Collection OrvaGetWindowEventHandlers(WindowPtr w);  // the window's installed handlers, or null

// ---- Dialogs, alerts ----------------------------------------------------------------------

void InitDialogs(void *resumeProc);
WindowPtr GetDialogWindow(DialogPtr dialog);
DialogPtr GetDialogFromWindow(WindowPtr w);
GrafPtr GetDialogPort(DialogPtr dialog);
TEHandle GetDialogTextEditHandle(DialogPtr dialog);
SInt16 GetDialogKeyboardFocusItem(DialogPtr dialog);  // 1-based
Boolean IsDialogEvent(const EventRecord *event);
void orva_gere_dialogue(EventRecord *event, WindowPtr w);
void DlgCut(DialogPtr dialog);
void DlgCopy(DialogPtr dialog);
void DlgPaste(DialogPtr dialog);
void DlgDelete(DialogPtr dialog);
void GetDItem(DialogPtr dialog, SInt16 item, SInt16 *itemType, Handle *itemHandle, Rect *box);
SInt16 CountDITL(DialogPtr dialog);
OSErr GetDialogItemAsControl(DialogPtr dialog, SInt16 item, ControlHandle *control);
void SetDialogFont(SInt16 fontID);
void ParamText(ConstStr255Param param0, ConstStr255Param param1, ConstStr255Param param2, ConstStr255Param param3);
SInt16 Alert(SInt16 alertID, ModalFilterProcPtr filter);  // the item hit, 1 the first button
// Test seam: every alert goes to hook (with the four parameter texts) instead of the screen,
// and Alert answers what it answers. Null restores the alerts.
void OrvaSetAlertHook(SInt16 (*hook)(SInt16 alertID, const unsigned char *const params[4]));

// ---- Controls and lists -------------------------------------------------------------------

ControlHandle FindControlUnderMouse(Point where, WindowPtr w, SInt16 *part);  // null when none
SInt16 HandleControlClick(ControlHandle control, Point where, EventModifiers modifiers,
                          ControlActionProcPtr action);  // part released in, 0 none
OSErr SetControlFontStyle(ControlHandle control, const ControlFontStyleRec *style);
OSErr AutoEmbedControl(ControlHandle control, WindowPtr w);
OSErr GetControlFeatures(ControlHandle control, UInt32 *features);
void OrvaForceWheelTrack(SInt16 steps);  // the next arrow tracking of a scroll bar repeats steps times
ControlHandle OrvaGetFirstControl(WindowPtr w);        // the head of the window's control list
ControlHandle OrvaGetNextControl(ControlHandle control);
Boolean IsControlVisible(ControlHandle control);
SInt16 OrvaGetControlProcID(ControlHandle control);    // the definition procedure id it was made with
void OrvaGetControlRegionBounds(ControlHandle control, Rect *r);  // its definition procedure's region, window coordinates
GrafPtr GetListPort(ListHandle list);
void SetListUserHandle(ListHandle list, Handle h);
Handle GetListUserHandle(ListHandle list);

// ---- Menus and events ---------------------------------------------------------------------

void InitMenus();

// A copy is queued for dispatch when the target has a handler: 0; else eventNotHandledErr.
OSStatus OrvaEnqueueEventHandled(const OrvaCarbonEvent *event, Collection parameters);
Collection NewCollection();  // null when there is no memory
void DisposeCollection(Collection c);  // null accepted
OSStatus SetEventParameter(Collection c, OSType name, OSType type, UInt32 size, const void *data);
// Adds the item (tag, id) with a copy of size bytes, replacing one of the same tag and id.
// paramErr for a null collection or a negative size, memFullErr without memory.
OSErr AddCollectionItem(Collection c, OSType tag, SInt32 id, SInt32 size, const void *data);
// Copies the item's bytes into data (at most *ioSize when that is above 0, else all of them;
// nothing when data is null) and writes its size back; collectionItemNotFoundErr leaves both.
OSErr GetCollectionItem(Collection c, OSType tag, SInt32 id, SInt32 *ioSize, void *data);


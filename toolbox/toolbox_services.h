// What the portability library and QuickDraw call of the Window, Menu, Dialog, Control, List
// and Event managers, the port accessors and the appearance themes, under their classic
// names and argument orders. Records owned by those managers stay opaque here.
#pragma once

#include <cstdint>

#include "platform/core/errors.h"
#include "platform/core/mac_types.h"

// ---- Records owned by the graphics and toolbox managers -----------------------------------

struct GrafPort;
typedef GrafPort *GrafPtr;
struct MacRegion;
typedef MacRegion *RgnPtr;
typedef RgnPtr *RgnHandle;
struct BitMap;
struct PixMap;
typedef PixMap *PixMapPtr;
typedef PixMapPtr *PixMapHandle;
struct Cursor;
typedef Cursor *CursPtr;
typedef CursPtr *CursHandle;
struct TERec;
typedef TERec *TEPtr;
typedef TEPtr *TEHandle;

struct WindowRecord;
typedef WindowRecord *WindowPtr;
typedef WindowPtr WindowRef;
struct DialogRecord;
typedef DialogRecord *DialogPtr;
struct ControlRecord;
typedef ControlRecord *ControlPtr;
typedef ControlPtr *ControlHandle;
struct MenuInfo;
typedef MenuInfo *MenuPtr;
typedef MenuPtr *MenuHandle;
struct MenuItemRecord;  // one item of a menu; its 16-bit icon number is written by callers
struct ListRec;
typedef ListRec *ListPtr;
typedef ListPtr *ListHandle;
struct OpaqueCollection;
typedef OpaqueCollection *Collection;
struct OrvaCFString;
typedef const OrvaCFString *CFStringRef;
struct OrvaCFAllocator;
typedef const OrvaCFAllocator *CFAllocatorRef;  // always null here: the default allocator
typedef UInt32 CFStringEncoding;
enum : CFStringEncoding {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingMacJapanese = 1,
    kCFStringEncodingUTF8 = 0x08000100,
};
typedef long CFIndex;
struct OpaqueThemeDrawingState;
typedef OpaqueThemeDrawingState *ThemeDrawingState;
struct OrvaCursorArea;  // the cursor in force: 68 bytes, a kind word and an id

typedef UInt32 ThemeDrawState;  // 0 inactive, 1 active
typedef UInt16 ThemeFontID;
typedef SInt16 ThemeBrush;      // 1 dialog background, 7 palette background
typedef UInt16 EventMask;
typedef UInt16 EventModifiers;
typedef UInt32 KeyMap[4];       // key k is down when bit (k mod 8) of byte (k div 8) is set
typedef intptr_t SRefCon;       // a window's reference constant: a number or a record's address

// ---- Events -------------------------------------------------------------------------------

struct EventRecord {
    UInt16 what;          // event kind (nullEvent .. osEvt)
    uintptr_t message;    // kind-dependent; the window for update and activate events
    UInt32 when;          // ticks (TickCount) when posted
    Point where;          // pointer, global coordinates
    EventModifiers modifiers;
};

enum : UInt16 {
    nullEvent = 0,
    mouseDown = 1,
    mouseUp = 2,
    keyDown = 3,
    keyUp = 4,
    autoKey = 5,
    updateEvt = 6,
    diskEvt = 7,
    activateEvt = 8,
    osEvt = 15,
    kHighLevelEvent = 23,
};
enum : EventMask {
    mDownMask = 0x0002,
    mUpMask = 0x0004,
    updateMask = 0x0040,
    highLevelEventMask = 0x0400,  // kHighLevelEvent, whose kind lies beyond the mask's 16 bits
    everyEvent = 0xFFFF,
};

// An event of the Carbon kind: its target's installed handlers, class and kind.
struct OrvaCarbonEvent {
    Collection handlers;  // the target's handler collection (OrvaGetWindowEventHandlers)
    UInt32 eventClass;    // FourCC("mous") ...
    UInt32 eventKind;     // 10 wheel moved ...
};

enum : SInt16 { inDesk = 0, inMenuBar = 1 };                  // _FindWindow part codes
enum : SInt16 { kWindowStructureRgn = 32, kWindowContentRgn = 33 };

// Menu-item text given to InsMenuItem with this number is appended after the last item.
enum : SInt16 { kInsMenuItemAppend = 9999 };

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
OSStatus GetThemeDrawingState(ThemeDrawingState *state);  // 0 and a new record the caller hands back
OSStatus SetThemeDrawingState(ThemeDrawingState state, Boolean disposeNow);
OSStatus GetThemeTextDimensions(CFStringRef text, ThemeFontID font, ThemeDrawState state, Boolean wrapToWidth,
                                Point *ioBounds, SInt16 *outBaseline);  // ioBounds.h in: wrapping width
OSStatus DrawThemeTextBox(CFStringRef text, ThemeFontID font, ThemeDrawState state, Boolean wrapToWidth,
                          const Rect *box, SInt16 just);
OSStatus GetThemeMenuBarHeight(SInt16 *height);
RgnHandle OrvaCalculateThemeWindowPhysicalRegion(WindowPtr w, const Rect *r, Boolean flag);  // caller disposes
void OrvaMajSkinDir();
void InitTheme();
void OrvaAdjustDrawers(WindowPtr w);

// ---- Port and QuickDraw-globals accessors -------------------------------------------------

SInt16 GetPortTextFont(GrafPtr port);
UInt8 GetPortTextFace(GrafPtr port);
SInt16 GetPortTextMode(GrafPtr port);
SInt16 GetPortTextSize(GrafPtr port);
Fixed GetPortSpExtra(GrafPtr port);
Point *GetPortPenLocation(GrafPtr port, Point *penLocation);
SInt32 GetPortPenMode(GrafPtr port);
RGBColor *GetPortForeColor(GrafPtr port, RGBColor *color);
RGBColor *GetPortBackColor(GrafPtr port, RGBColor *color);
Rect *GetPortBounds(GrafPtr port, Rect *r);
Rect *GetRegionBounds(RgnHandle region, Rect *r);
GrafPtr GetQDGlobalsThePort();
BitMap *GetQDGlobalsScreenBits(BitMap *screenBits);
Cursor *GetQDGlobalsArrow(Cursor *arrow);
SInt32 GetQDGlobalsRandomSeed();
void SetQDGlobalsRandomSeed(SInt32 seed);
Boolean IsPortPictureBeingDefined(GrafPtr port);
RgnHandle GetPortVisibleRegion(GrafPtr port, RgnHandle visibleRegion);  // copies into the caller's region
RgnHandle GetPortClipRegion(GrafPtr port, RgnHandle clipRegion);
void SetPortVisibleRegion(GrafPtr port, RgnHandle region);
void SetPortClipRegion(GrafPtr port, RgnHandle region);
GrafPtr CreateNewPort();  // null when there is no memory
void DisposePort(GrafPtr port);
PixMapHandle GetPortPixMap(GrafPtr port);
SInt16 GetPixDepth(PixMapHandle pixMap);
Boolean IsPortColor(GrafPtr port);
const BitMap *GetPortBitMapForCopyBits(GrafPtr port);

// ---- Window Manager -----------------------------------------------------------------------

// storage null: a zeroed WindowRecord is allocated. behind (WindowPtr)-1: in front of all.
WindowPtr NewWindow(void *storage, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                    WindowPtr behind, Boolean goAwayFlag, SInt32 refCon);
WindowPtr NewCWindow(void *storage, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                     WindowPtr behind, Boolean goAwayFlag, SInt32 refCon);
void DisposeWindow(WindowPtr w);
WindowPtr FrontWindow();
WindowPtr GetWindowList();
WindowPtr _GetNextWindow(WindowPtr w);
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
WindowPtr GetWindowFromPort(GrafPtr port);
OSStatus InvalWindowRgn(WindowPtr w, RgnHandle region);
OSStatus ValidWindowRgn(WindowPtr w, RgnHandle region);
OSStatus InvalWindowRect(WindowPtr w, const Rect *r);
OSStatus ValidWindowRect(WindowPtr w, const Rect *r);
void InvalRect(const Rect *r);  // in the current port
OSStatus GetWindowRegion(WindowPtr w, SInt16 regionCode, RgnHandle region);  // global coordinates
OSStatus GetWindowBounds(WindowPtr w, SInt16 regionCode, Rect *globalBounds);
OSStatus TransitionWindow(WindowPtr w, UInt32 effect, UInt32 action, const Rect *r);
void SetWTitle(WindowPtr w, ConstStr255Param title);
void GetWTitle(WindowPtr w, Str255 title);
OSStatus SetWindowTitleWithCFString(WindowPtr w, CFStringRef title);
OSStatus CopyWindowTitleAsCFString(WindowPtr w, CFStringRef *title);  // caller releases
void BeginUpdate(WindowPtr w);
void EndUpdate(WindowPtr w);
Boolean orva_existe_fen(WindowPtr w);
void OrvaRetraceDesktop();
void OrvaDrawMenuBar();
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

// ---- Menus --------------------------------------------------------------------------------

void InitMenus();
void InsMenuItem(MenuHandle menu, const char *itemText, SInt16 afterItem);  // MacRoman, zero-terminated
SInt16 CountMItems(MenuHandle menu);
MenuItemRecord *orva_localise_item_menu(MenuHandle menu, SInt16 item);  // 1-based; null out of range
void OrvaCalculeAireItem(MenuItemRecord *item);
void SetItemIcon(MenuHandle menu, SInt16 item, SInt16 iconIndex);  // 1-based item; 0: no icon
Boolean OrvaRechercheRaccourciMenuBar(UniChar character, Rect *titleRect);
void FlashMenuBar(SInt16 menuID);
UInt32 OrvaGetFlashMenuBarCount();  // calls of FlashMenuBar so far (stand-in diagnostics)

// ---- Events, mouse, keyboard and cursor ---------------------------------------------------

// Section 0. 0 posted, 1 refused by the system event mask. Any thread.
OSErr PostEvent(SInt16 eventCode, UInt32 eventMessage);
// Section 0. Appends exactly these values, without the mask test. Any thread.
void OrvaPostPseudoEvent(SInt16 kind, uintptr_t message, EventModifiers modifiers, UInt32 when, uintptr_t extra);
// A copy is queued for dispatch when the target has a handler: 0; else eventNotHandledErr.
OSStatus OrvaEnqueueEventHandled(const OrvaCarbonEvent *event, Collection parameters);
Boolean GetNextEvent(EventMask mask, EventRecord *event);
Boolean EventAvail(EventMask mask, EventRecord *event);
void orva_genere_evt(SInt16 kind, uintptr_t message, EventRecord *event);  // current ticks, pointer, modifiers
UInt32 OrvaGetLastTickCountEvent();
Collection NewCollection();  // null when there is no memory
void DisposeCollection(Collection c);  // null accepted
OSStatus SetEventParameter(Collection c, OSType name, OSType type, UInt32 size, const void *data);
// Adds the item (tag, id) with a copy of size bytes, replacing one of the same tag and id.
// paramErr for a null collection or a negative size, memFullErr without memory.
OSErr AddCollectionItem(Collection c, OSType tag, SInt32 id, SInt32 size, const void *data);
// Copies the item's bytes into data (at most *ioSize when that is above 0, else all of them;
// nothing when data is null) and writes its size back; collectionItemNotFoundErr leaves both.
OSErr GetCollectionItem(Collection c, OSType tag, SInt32 id, SInt32 *ioSize, void *data);
void GetMouse(Point *where);  // current port's local coordinates
void lit_mouse(Point *where);  // global coordinates
UInt16 Button();               // bit 0 the main button
Boolean StillDown();
// Test seam: StillDown answers hook() (which may move the pointer with OrvaSetMousePos), so
// that mouse tracking can be scripted. Null restores the button.
void OrvaSetStillDownHook(Boolean (*hook)());
void OrvaSetMousePos(Point where, Boolean move);  // global coordinates
void GetKeys(KeyMap keys);
UniChar OrvaGetLastUnicodeKey();
void OrvaSetLastUnicodeKey(UniChar character);
void ObscureCursor();
CursHandle _GetCursor(SInt16 cursorID);
void orva_setCursor(const OrvaCursorArea *cursor);
void OrvaGereCursorWindows();
void OrvaProcessUnderMouse(WindowPtr w, ControlHandle control, SInt16 item, SInt16 part);

// ---- Strings, language and system resource files ------------------------------------------

CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char *text, CFStringEncoding encoding);
CFStringRef CFStringCreateWithCharacters(CFAllocatorRef allocator, const UniChar *characters, CFIndex count);
Boolean CFStringGetCString(CFStringRef s, char *buffer, CFIndex size, CFStringEncoding encoding);
void CFRelease(CFStringRef s);
SInt16 OrvaGetLangue();  // 0 French, 1 English, 2 Italian, 3 German, 4 Spanish, 5 Japanese
void OrvaFixeLangue(SInt16 language);
SInt16 orva_ouvreFichierRessSys();  // the second system file's number
void OrvaSupprimeUnicodeSpecialChars(UniChar *text, SInt32 length);  // code units below 32 become spaces

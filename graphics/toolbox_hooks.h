// What QuickDraw, the text editors and the back end call of the toolbox above them (the Event,
// Window and Menu managers, cursors and themes), under the classic names. Each routine answers
// through one slot of the toolbox's hook record, which the toolbox fills at start-up. Until then
// stand-ins answer: a small event queue of their own, an emulated pointer, no window list,
// empty menus and no theme.
#pragma once

#include <cstdint>

#include "platform/core/errors.h"
#include "platform/core/mac_types.h"

// ---- Records owned by the toolbox and the graphics managers --------------------------------

struct GrafPort;
typedef GrafPort *GrafPtr;
struct MacRegion;
typedef MacRegion *RgnPtr;
typedef RgnPtr *RgnHandle;
struct BitMap;
struct Cursor;
typedef Cursor *CursPtr;
typedef CursPtr *CursHandle;
struct TERec;
typedef TERec *TEPtr;
typedef TEPtr *TEHandle;
struct WindowRecord;
typedef WindowRecord *WindowPtr;
typedef WindowPtr WindowRef;
struct ControlRecord;
typedef ControlRecord *ControlPtr;
typedef ControlPtr *ControlHandle;
struct MenuInfo;
typedef MenuInfo *MenuPtr;
typedef MenuPtr *MenuHandle;
struct MenuItemRecord;  // one item of a menu; its 16-bit icon number is written by callers
struct OpaqueThemeDrawingState;
typedef OpaqueThemeDrawingState *ThemeDrawingState;
struct OrvaCursorArea;  // the cursor in force: 68 bytes, a kind word and an id

typedef UInt16 EventMask;
typedef UInt16 EventModifiers;
typedef UInt32 KeyMap[4];       // key k is down when bit (k mod 8) of byte (k div 8) is set
typedef intptr_t SRefCon;       // a window's reference constant: a number or a record's address

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

// Menu-item text given to InsMenuItem with this number is appended after the last item.
enum : SInt16 { kInsMenuItemAppend = 9999 };

enum : SInt16 { inDesk = 0, inMenuBar = 1 };                  // _FindWindow part codes
enum : SInt16 { kWindowStructureRgn = 32, kWindowContentRgn = 33 };

// ---- The hook record ---------------------------------------------------------------------------

// One slot per routine below, named after it; a null slot keeps the stand-in.
struct ToolboxHooks {
    // Event Manager
    OSErr (*postEvent)(SInt16 eventCode, UInt32 eventMessage);
    void (*postPseudoEvent)(SInt16 kind, uintptr_t message, EventModifiers modifiers, UInt32 when, uintptr_t extra);
    Boolean (*getNextEvent)(EventMask mask, EventRecord *event);
    Boolean (*eventAvail)(EventMask mask, EventRecord *event);
    void (*generateEvent)(SInt16 kind, uintptr_t message, EventRecord *event);
    UInt32 (*lastTickCountEvent)();
    void (*getMouse)(Point *where);
    void (*readMouse)(Point *where);
    void (*setMousePos)(Point where, Boolean move);
    UInt16 (*button)();
    Boolean (*stillDown)();
    void (*getKeys)(KeyMap keys);
    UniChar (*lastUnicodeKey)();
    void (*setLastUnicodeKey)(UniChar character);
    // Cursors
    void (*obscureCursor)();
    CursHandle (*getCursor)(SInt16 cursorID);
    void (*setCursor)(const OrvaCursorArea *cursor);
    void (*cursorForWindows)();
    void (*processUnderMouse)(WindowPtr w, ControlHandle control, SInt16 item, SInt16 part);
    // Window Manager
    WindowPtr (*windowList)();
    WindowPtr (*nextWindow)(WindowPtr w);
    WindowPtr (*windowFromPort)(GrafPtr port);
    OSStatus (*windowRegion)(WindowPtr w, SInt16 regionCode, RgnHandle region);
    OSStatus (*invalWindowRect)(WindowPtr w, const Rect *r);
    void (*beginUpdate)(WindowPtr w);
    void (*endUpdate)(WindowPtr w);
    void (*retraceDesktop)();
    // Menu Manager
    void (*insMenuItem)(MenuHandle menu, const char *itemText, SInt16 afterItem);
    SInt16 (*countMItems)(MenuHandle menu);
    MenuItemRecord *(*menuItem)(MenuHandle menu, SInt16 item);
    void (*computeItemArea)(MenuItemRecord *item);
    void (*setItemIcon)(MenuHandle menu, SInt16 item, SInt16 iconIndex);
    Boolean (*findMenuBarShortcut)(UniChar character, Rect *titleRect);
    void (*flashMenuBar)(SInt16 menuID);
    void (*drawMenuBar)();
    // Themes, and the system files QuickDraw's start-up opens
    OSStatus (*getThemeDrawingState)(ThemeDrawingState *state);
    OSStatus (*setThemeDrawingState)(ThemeDrawingState state, Boolean disposeNow);
    OSStatus (*getThemeMenuBarHeight)(SInt16 *height);
    RgnHandle (*themeWindowRegion)(WindowPtr w, const Rect *r, Boolean flag);
    void (*adjustDrawers)(WindowPtr w);
    void (*updateSkinFolder)();
    void (*initTheme)();
    SInt16 (*openSystemFiles)();
};
// Fills the slots that hooks gives (main thread, at start-up, before other threads run); null
// puts every stand-in back.
void OrvaSetToolboxHooks(const ToolboxHooks *hooks);

// ---- Events, mouse and keyboard --------------------------------------------------------------

// Section 0. 0 posted, 1 refused by the system event mask. Any thread.
OSErr PostEvent(SInt16 eventCode, UInt32 eventMessage);
// Section 0. Appends exactly these values, without the mask test. Any thread.
void OrvaPostPseudoEvent(SInt16 kind, uintptr_t message, EventModifiers modifiers, UInt32 when, uintptr_t extra);
Boolean GetNextEvent(EventMask mask, EventRecord *event);
Boolean EventAvail(EventMask mask, EventRecord *event);
void orva_genere_evt(SInt16 kind, uintptr_t message, EventRecord *event);  // current ticks, pointer, modifiers
UInt32 OrvaGetLastTickCountEvent();
void GetMouse(Point *where);   // current port's local coordinates
void lit_mouse(Point *where);  // global coordinates
void OrvaSetMousePos(Point where, Boolean move);  // global coordinates
UInt16 Button();               // bit 0 the main button
Boolean StillDown();
void GetKeys(KeyMap keys);
// Word w (0..3) of a key map as GetKeys fills it, read big-endian: key k of the platform's map
// is then bit (k XOR 24) mod 32 of word k / 32.
UInt32 OrvaKeyMapWord(const KeyMap keys, SInt16 word);
Boolean OrvaIsKeyInMap(const KeyMap keys, SInt16 key);  // key 55 command, 56 shift; false outside 0..127
UniChar OrvaGetLastUnicodeKey();
void OrvaSetLastUnicodeKey(UniChar character);
// True at once when an event is waiting; false at once inside the plug-in. Standalone: waits up
// to sleep ticks, stepping the main loop without blocking, for an event or, with mouseRgn, for
// the pointer to enter it (a mouse-moved event, kind 15, is made then).
Boolean WaitNextEvent(UInt16 mask, EventRecord *event, UInt32 sleep, RgnHandle mouseRgn);
// Test seam: StillDown answers hook() (which may move the pointer with OrvaSetMousePos), so
// that mouse tracking can be scripted. Null restores the button.
void OrvaSetStillDownHook(Boolean (*hook)());
// Pending updates are drawn (through EventAvail) when the update state is 1.
void CarboniseSetUpdateState(SInt16 flag);
void CarboniseValideUpdate();

// ---- Cursors -----------------------------------------------------------------------------------

void ObscureCursor();
CursHandle _GetCursor(SInt16 cursorID);  // stand-in: null
void orva_setCursor(const OrvaCursorArea *cursor);  // stand-in: through the back end's cursor row
void OrvaGereCursorWindows();
void OrvaProcessUnderMouse(WindowPtr w, ControlHandle control, SInt16 item, SInt16 part);

// ---- Windows -----------------------------------------------------------------------------------

WindowPtr GetWindowList();
WindowPtr _GetNextWindow(WindowPtr w);
WindowPtr GetWindowFromPort(GrafPtr port);
// Global coordinates. Stand-in: the structure and content regions the record holds.
OSStatus GetWindowRegion(WindowPtr w, SInt16 regionCode, RgnHandle region);
OSStatus InvalWindowRect(WindowPtr w, const Rect *r);
void BeginUpdate(WindowPtr w);
void EndUpdate(WindowPtr w);
void OrvaRetraceDesktop();

// ---- Menus -------------------------------------------------------------------------------------

void InsMenuItem(MenuHandle menu, const char *itemText, SInt16 afterItem);  // MacRoman, zero-terminated
SInt16 CountMItems(MenuHandle menu);
MenuItemRecord *orva_localise_item_menu(MenuHandle menu, SInt16 item);  // 1-based; null out of range
void OrvaCalculeAireItem(MenuItemRecord *item);
void SetItemIcon(MenuHandle menu, SInt16 item, SInt16 iconIndex);  // 1-based item; 0: no icon
Boolean OrvaRechercheRaccourciMenuBar(UniChar character, Rect *titleRect);
void FlashMenuBar(SInt16 menuID);
UInt32 OrvaGetFlashMenuBarCount();  // calls of FlashMenuBar so far (diagnostics)
void OrvaCountMenuBarFlash();        // the Menu Manager's FlashMenuBar counts each call here
void OrvaDrawMenuBar();

// ---- Themes and system files ---------------------------------------------------------------------

OSStatus GetThemeDrawingState(ThemeDrawingState *state);  // 0 and a new record the caller hands back
OSStatus SetThemeDrawingState(ThemeDrawingState state, Boolean disposeNow);
OSStatus GetThemeMenuBarHeight(SInt16 *height);
// Caller disposes. Stand-in: the structure rectangle r.
RgnHandle OrvaCalculateThemeWindowPhysicalRegion(WindowPtr w, const Rect *r, Boolean flag);
void OrvaAdjustDrawers(WindowPtr w);
void OrvaMajSkinDir();
void InitTheme();
SInt16 orva_ouvreFichierRessSys();  // the second system file's number; stand-in: -1

// The Window Manager's own calls beyond those the lower floors reach (graphics/toolbox_hooks.h)
// and the portability library declares (toolbox/toolbox_services.h): the window list, the
// definition procedures, update regions, the refresh of the platform windows and the event
// handlers of a window. Code: windows.cpp (the list, making, disposing, finding, ordering,
// titles), window_defs.cpp (the definition procedures), window_updates.cpp (update regions,
// the refresh pass, the desktop and the menu bar), window_moves.cpp (showing, moving, sizing,
// dragging). Main thread only: the list has no lock.
#pragma once

#include "graphics/quickdraw/window_record.h"
#include "toolbox/toolbox_services.h"

// _FindWindow's part codes beyond the desk and the menu bar.
enum : SInt16 { inSysWindow = 2, inContent = 3, inDrag = 4, inGrow = 5, inGoAway = 6 };
// What a definition procedure answers to a hit test (message 1).
enum : SInt32 { wNoHit = 0, wInContent = 1, wInDrag = 2, wInGrow = 3, wInGoAway = 4 };
// Definition procedure messages.
enum : SInt16 { kWindowDrawMessage = 0, kWindowHitMessage = 1, kWindowRegionsMessage = 2 };
// Window kinds: the application's own windows, dialogs.
enum : SInt16 { kDialogWindowKind = 2, kApplicationWindowKind = 8 };
// A window's update region, for GetWindowRegion.
enum : SInt16 { kWindowUpdateRgn = 34 };

extern WindowPtr WindowList;  // the front window; each links to the one behind it

// The definition procedure of every window the Window Manager makes; the window's procID picks
// its row (0 document, 1 dialog box, 2 plain box, 3 shadowed box, 4 document without grow box,
// 5 movable modal box, 16 rounded document; any other id is drawn as a document).
SInt32 OrvaThemeWindowDefProc(SInt16 varCode, WindowPtr window, SInt16 message, SInt32 param);
// The window's outline in the theme for the structure rectangle r (caller disposes); a rounded
// window's corner radii go into its shape words.
RgnHandle OrvaThemeWindowRegion(WindowPtr window, const Rect *r, Boolean resizing);
// The rectangle of the window's close box in global coordinates; empty when it has none.
void OrvaGetCloseBoxRect(WindowPtr window, Rect *r);

WindowPtr OrvaWindowListHead();                // WindowList
WindowPtr OrvaNextWindowInList(WindowPtr w);   // null at the end or for an unknown window
WindowPtr OrvaWindowOfPort(GrafPtr port);      // the window whose port this is, or null
// The Window Manager's procedures of the toolbox's hook record (graphics/toolbox_hooks.h).
OSStatus OrvaWindowsInvalRect(WindowPtr w, const Rect *r);  // local coordinates of w's port
OSStatus OrvaWindowsGetRegion(WindowPtr w, SInt16 regionCode, RgnHandle region);  // 32, 33, 34
void OrvaWindowsBeginUpdate(WindowPtr w);
void OrvaWindowsEndUpdate(WindowPtr w);
void OrvaWindowsRetraceDesktop();
// Whether w is a window of the list (null, disposed and foreign pointers are not).
Boolean OrvaIsKnownWindow(WindowPtr w);
void ValidRect(const Rect *r);  // in the current port's window
void SetEventMask(EventMask mask);  // the system event mask: kinds PostEvent accepts
EventMask OrvaGetEventMask();

// The refresh pass that OrvaUpdateDirtyWindows runs (installed with the toolbox): flushes the
// menu bar, the frame and the windows of the list, the last window first, to their platform
// windows; answers whether anything was flushed. Nothing inside the plug-in, whose glue pushes
// its instances' areas itself.
Boolean OrvaWindowsRefreshPass();
// Every window of the list, the frame and the menu bar become dirty whole; the refresh then
// has them painted again.
void OrvaGlobalInvalidateAllWindows();
// Draws the window's frame (its definition procedure, message 0).
void OrvaDrawWindowFrame(WindowPtr w);
// The front-most visible window with something to redraw (an update event's window), or null.
WindowPtr OrvaNextWindowToUpdate();
// Paints the menu-bar window's background (standalone; nothing without a menu bar).
void OrvaDrawMenuBarBackground();

// Event handlers of a window: proc takes events of one class and kind (Carbon events offered
// with OrvaEnqueueEventHandled) and answers noErr when it handled them. A second install for
// the same class and kind replaces the first; null proc removes it.
typedef OSStatus (*OrvaEventHandlerProc)(const OrvaCarbonEvent *event, Collection parameters, void *userData);
// The handler installed in handlers for this class and kind; false when there is none.
Boolean OrvaFindEventHandler(Collection handlers, UInt32 eventClass, UInt32 eventKind, OrvaEventHandlerProc *proc,
                             void **userData);
// The Control Manager disposes a window's controls as the window goes.
void OrvaDisposeWindowControls(WindowPtr w);
OSErr OrvaInstallWindowEventHandler(WindowPtr w, UInt32 eventClass, UInt32 eventKind, OrvaEventHandlerProc proc,
                                    void *userData);

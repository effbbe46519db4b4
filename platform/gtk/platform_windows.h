// The GTK windows behind the library's top-level windows: creation, class hints, showing,
// frames, the screen and its monitors, the rounded-corner shape, transparency, translucent
// buffers, and the library's geometry routines over them (moving, sizing, following the window
// manager, sizing the application frame, dragging). Inside the plug-in there are no GTK
// windows: these calls leave instance windows to the browser. Main thread only.
#pragma once
#include <gtk/gtk.h>

#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/window_record.h"
#include "platform/core/mac_types.h"

// Whether GTK is started on a display (false in programs and tests without one): windows get
// platform windows only then.
Boolean SystemDependantHasDisplay();
GtkWidget *SystemDependantCreatePhysicalWindow(WindowPtr window, const Rect *rect, WindowPtr behind,
                                               Boolean inTaskBar);
void SystemDependantSetWindowClass(WindowPtr window, UInt32 windowClass);
GdkWindowTypeHint OrvaTypeHintForClass(UInt32 windowClass);
void SystemDependantShowWindow(void *platformWindow, WindowPtr window);
void SystemDependantHideWindow(void *platformWindow);
void SystemDependantDestroyWindow(void *platformWindow);
void SystemDependantGetWindowFrame(void *platformWindow, Rect *frame);
void SystemDependantGetScreenRect(Rect *rect);
void SystemDependantSetWindowTitle(void *platformWindow, const char *title);
// Removes the current shape mask and stores the seven shape words (two words, the four corner
// radii top-left, top-right, bottom-left, bottom-right, one word); null keeps the words.
void SystemDependantSetWindowShape(WindowPtr window, SInt16 kind, const SInt16 params[7]);
// Builds the width x height one-bit mask of a window with the corner radii of its shape words
// (bits least significant first, rows padded to bytes) into a new buffer the caller frees
// with g_free; null for a width or height of 0, or no rounded corner.
UInt8 *OrvaBuildWindowShapeMask(const SInt16 shape[7], SInt32 width, SInt32 height, SInt32 *rowBytes);
void GTKSetPhysicalWindowShape(WindowPtr window, SInt32 width, SInt32 height);

// Moves (left, top) and, when resize is set, sizes the platform window; nothing in the
// plug-in. outFrame gets the frame extents when given.
void SystemDependantSetWindowFrame(void *platformWindow, SInt16 left, SInt16 top, SInt16 width, SInt16 height,
                                   Boolean resize, Rect *outFrame);
// Brings the window's content to contentRect (screen coordinates): resizes the port when the
// size differs, moves the platform window, and leaves the union of the old and the new frame
// in the port's first dirty rectangle (relative to the new frame).
void OrvaMoveAndSizeWindow(WindowPtr window, const Rect *contentRect, Boolean redraw, Boolean scrollBars,
                           Boolean force, Boolean drawers);

// The library's window routines over the platform windows.
// Creates the window's platform window round rect (content, screen coordinates) widened by the
// frame margins, titles it, stacks it and, for a visible window, shows it.
GtkWidget *OrvaCreatePhysicalWindow(WindowPtr window, const Rect *rect, WindowPtr behind, Boolean inTaskBar);
void OrvaSendBehind(WindowPtr window, WindowPtr behind);
void OrvaSetFocusToWindow(WindowPtr window);
// Shows (after one pump pass, with a drawing port) or hides the platform window; hiding clears
// a deferred show, and a window waiting for one is not shown yet.
void OrvaShowHide(WindowPtr window, Boolean show);
void OrvaDeletePhysicalWindow(WindowPtr window);

// Follows a move or resize the window manager made: the structure becomes (x, y, width,
// height) less the frame margins, without moving the platform window again; then the resize
// hook is told. Nothing for the placeholder window.
void GTKReadjustStructRect(WindowPtr window, SInt16 x, SInt16 y, SInt16 width, SInt16 height);
// Called with the window and its new frame size after the window manager resized it.
void OrvaSetWindowResizeHook(void (*hook)(WindowPtr window, SInt16 width, SInt16 height));
// In the plug-in, a platform window's frame is its instance's rectangle when this test (which
// the plug-in system installs) says the window shows an instance; otherwise it is empty.
void OrvaSetInstanceWindowTest(Boolean (*showsInstance)(void *platformWindow));
// Set while the library follows a move the window manager made: platform moves do nothing.
Boolean GTKIsReadjusting();
// Redraws a window's content after a resize asked to redraw (installed by the window layer).
extern void (*OrvaWindowsRetraceWindow)(WindowPtr window);

// The menu-bar window: its platform window and port, registered by whoever makes the menu bar
// (null widget: none). The focus check shows, hides and focuses it; the screen rectangle
// starts below it; windows of classes 0 and 10-13 stand on it.
void GTKSetMenuBar(GtkWidget *widget, GrafPtr port);
GtkWidget *GTKGetMenuBarWidget();
GrafPtr GTKGetMenuBarPort();

void SystemDependantMiniMaxiWindow(void *platformWindow, SInt16 how);  // 1 maximise, -1 restore
// Monitors: one device per monitor (the first one's top lowered by the menu-bar offset),
// rebuilt on every call, linked through gdNextGD; the main device when there is no screen.
GDHandle SystemDependantGetDeviceList();
GDHandle SystemDependantGetNextDevice(GDHandle device);
GDHandle SystemDependantGetMainDevice();
GDHandle SystemDependantGetMaxDevice();
void SystemDependantGetScreenDpi(SInt16 *h, SInt16 *v);  // whole dots per inch; 72 until read
// For one of the library's windows, at most once every 3 ticks: the port's screen position
// becomes the platform frame's top-left plus the frame margins.
void SystemDependantUpdatePortPos(WindowPtr window);
// Paints the port's pixels, shifted by (-srcH, -srcV), into (x, y, w, h) of the window.
void SystemDependantScreenTransfer(WindowPtr window, SInt16 x, SInt16 y, SInt16 w, SInt16 h, SInt16 srcH,
                                   SInt16 srcV);
void SystemDependantGetWindowTitle(void *platformWindow, char *title, SInt32 size);  // UTF-8
void SystemDependantSetFocus(void *platformWindow);
void SystemDependantLoseFocus(void *platformWindow);
// Outside the plug-in, on a composited screen: opacity 1 - level / 1000.
void SystemDependantSetWindowTransparency(void *platformWindow, SInt16 level);
Boolean SystemDependantSendWindowBehind(WindowPtr window, WindowPtr behind);  // no stacking change
Boolean GTKSendWindowBehind(WindowPtr window, WindowPtr behind);
void SystemDependantCloseMainWindow();
void SystemDependantManageMainScrollBars();
void GTKForceWindowsZOrder();
void SystemDependantSetWindowFullScreen(WindowPtr window, Boolean on);
void SystemDependantSetGrowGhost(const Rect *r);
void SystemDependantDisposeGrowGhost();
void SystemDependantInvalidateGlobalDiffRect(const Rect *a, const Rect *b);
void SystemDependantDestroyPluginWindow(void *platformWindow);
void SystemDependantCreateTranslucentClipRgn(WindowPtr window);
void SystemDependantCompleteTranslucentBackground(WindowPtr window);
void SystemDependantTransferTranslucentDesktop(WindowPtr window);

// Translucent windows: two buffers of the port's surface size (the port's translucency
// surfaces), released by SystemDependantDisposeTranslucentData.
OSErr OrvaAllocateTranslucentData(WindowPtr window);  // and the whole window dirty
void OrvaDisposeTranslucentData(WindowPtr window);
void SystemDependantDisposeTranslucentData(WindowPtr window);
// Copies the window's dirty rectangles, on the screen, into every visible translucent window
// in front of it, cut to each one's structure.
void OrvaProcessTranslucentDirtyRect(WindowPtr window);
void OrvaGlobalTranslucentDirtyRect(const Rect *screenRect);
// Invalidates a screen rectangle on the window, every visible window after it and the frame.
void OrvaUpdateWhenTranslucentMove(WindowPtr window, const Rect *screenRect);

// Sizes the application frame (negative: the frame window's size, or the screen's; 1 x 1
// without frame window), its port, qd's screen bits and the menu bar.
void OrvaResizeFrame(SInt16 width, SInt16 height);
// Starts dragging a window from start (screen coordinates) within limits (null: the frame, or
// everything; a top of 0 keeps it below the menu bar) and answers 1 at once: nothing waits for
// the button. Each pass of the event pump follows the pointer (OrvaAdvanceWindowDrag) until the
// button is up.
SInt16 OrvaDragWindow(WindowPtr window, Point start, const Rect *limits);
Boolean OrvaAdvanceWindowDrag();  // true while a drag goes on
void OrvaCancelWindowDrag(WindowPtr window);  // null: any
WindowPtr OrvaGetDraggedWindow();

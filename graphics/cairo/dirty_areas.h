// Dirty areas: every port keeps up to five changed rectangles that the refresh hands to the
// windowing system; also the graphics start-up with its video table and the desktop region.
// Main thread only; the slots have no lock.
#pragma once

#include "graphics/quickdraw/ports.h"

// A merge that wastes at most this many pixels is taken even when the rectangles do not meet.
enum : SInt32 { kDirtyMergeWaste = 99 };

SInt16 OrvaInitGrafHardware(SInt16 mode);  // fills the video table, runs its entry 0; answers 1
// Outside the plug-in, for mode 1 with the settings' window-system mode 1 and no no-menu-bar
// flag: qd's screen bounds become the screen area and the menu bar is made. Answers 1.
Boolean SystemDependantInitWindowSystem(SInt16 mode);
// Records that buffer pixels (left, top)..(right, bottom), corners included, changed.
void OrvaAddDirtyRectPort(GrafPtr port, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void OrvaAddDirtyRect(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);  // current port
// Hands each non-empty slot of port to the platform window and empties it. Answers 1 when
// something was handed on, 0 when the window is null or the first slot is empty.
Boolean OrvaFlushDirtyPort(GrafPtr port, void *platformWindow);
// Refresh: runs the window layer's pass over its windows as long as a pass flushed something.
void OrvaUpdateDirtyWindows();
// The window layer installs its pass (flush the menu bar, the frame, the panes and the windows
// with OrvaFlushDirtyPort; answer whether any flushed). Null: no windows to refresh.
void OrvaSetDirtyRefreshPass(Boolean (*pass)());
// Test seam: where OrvaFlushDirtyPort sends rectangles (null restores SystemDependantInvalidateRect,
// platform/core/back_end.h).
void OrvaSetInvalidateRectHook(void (*hook)(void *platformWindow, const Rect *r));
RgnHandle GetGrayRgn();      // the desktop: qd's screen bounds with a frame context, else empty
RgnHandle OrvaGetGrayRgn();
SInt16 SystemDependantCanDrawBezier();  // 1

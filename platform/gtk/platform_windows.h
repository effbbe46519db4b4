// The GTK windows behind the library's top-level windows: creation, class hints, showing,
// frames, the screen rectangle and the rounded-corner shape. Main thread only.
#pragma once
#include <gtk/gtk.h>

#include "platform/core/mac_types.h"
#include "toolbox/window_record.h"

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
void SystemDependantSetWindowShape(WindowPtr window, SInt16 kind, const SInt16 params[5]);
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

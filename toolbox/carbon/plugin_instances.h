// The browser plug-in's instances: one record and one emulated window per embed element, the
// window's port fitted to the browser's rectangle with the loading face painted in it, and
// the start and stop of the library in plug-in mode. Main thread, inside section 3.
#pragma once
#include <stdint.h>

#include "graphics/quickdraw/window_record.h"
#include "platform/core/mac_types.h"

typedef uintptr_t OrvaPluginID;  // the browser's instance pointer, a key only

struct OrvaPluginInstance {
    OrvaPluginID id;
    WindowPtr window;
    void *data;  // owned by the glue
    OrvaPluginInstance *next;
};

OrvaPluginInstance *OrvaGetPluginInstance(OrvaPluginID id);
// The instances that have a window, newest first: the first, the others by next; null without any.
OrvaPluginInstance *OrvaPluginFirstInstance();
OrvaPluginInstance *OrvaPluginSetInstanceWindow(OrvaPluginID id, void *browserWindow);
void OrvaPluginDestroyInstanceWindow(OrvaPluginID id);
void SystemDependantSetPluginWindow(OrvaPluginID id, void *platformWindow);
WindowPtr OrvaPluginGetInstanceWindow(OrvaPluginID id);
void *OrvaPluginGetInstanceData(OrvaPluginID id);
void OrvaPluginSetInstanceData(OrvaPluginID id, void *data);
OrvaPluginID OrvaPluginGetIDFromWindow(WindowPtr window);
OrvaPluginID OrvaPluginGetIDFromHWND(void *platformWindow);
OrvaPluginID OrvaPluginGetIDFromMousePos(SInt16 h, SInt16 v);
void OrvaPluginGetXYWindow(OrvaPluginID id, SInt16 *h, SInt16 *v);
void OrvaPluginGetRect(OrvaPluginID id, Rect *rect);
void OrvaPluginSetResizeCallback(void (*callback)(OrvaPluginID id));
void OrvaPluginCheckResize(OrvaPluginID id, Boolean positionOnly);
// Starts the library in plug-in mode: the pump stops processing window messages, the scroll-bar
// sizes become 0, then the cursor, memory, QuickDraw, fonts, menus, TextEdit, dialogs and the
// Time Manager start. Answers 0.
OSErr OrvaInitPluginSystem();
SInt16 OrvaExitPluginSystem();
UInt32 OrvaPluginInstanceCount();
// The scroll-bar sizes the window layer gives its windows: the horizontal bar's height and the
// vertical bar's width (16 each until the plug-in system sets them to 0).
void OrvaSetScrollBarSizes(SInt16 horizontal, SInt16 vertical);
void OrvaGetScrollBarSizes(SInt16 *horizontal, SInt16 *vertical);
// The text size of the loading face for a port of that size (diagnostics and tests).
SInt16 OrvaPluginLoadingTextSize(SInt16 width, SInt16 height);

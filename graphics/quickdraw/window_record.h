// The window record: a port first, then the Window Manager's fields that the platform layer
// reads or writes.
#pragma once
#include "graphics/quickdraw/ports.h"
#include "graphics/toolbox_hooks.h"

// The window definition procedure: variation code, window, message (0 draw, 1 hit test,
// 2 compute the regions), parameter (a point for a hit test, vertical in the high 16 bits).
struct OpaqueCollection;

typedef SInt32 (*WindowDefProcPtr)(SInt16 varCode, WindowPtr window, SInt16 message, SInt32 param);

struct WindowRecord {
    GrafPort port;
    SInt16 windowKind;
    Boolean visible;
    Boolean hilited;
    Boolean goAwayFlag;
    Boolean allocated;         // the record was allocated by NewWindow (freed by DisposeWindow)
    RgnHandle strucRgn;        // global coordinates
    RgnHandle contRgn;
    WindowDefProcPtr windowDefProc;
    SInt16 procID;
    UInt32 windowClass;
    char *title;               // UTF-8, a pointer block, or null
    ControlHandle controlList;
    WindowPtr nextWindow;
    UInt32 stateFlags;
    void *platformWindow;      // the GTK window, or the plug-in instance id
    Boolean mapped;
    Boolean deferredShow;
    Boolean shownInTaskBar;
    Boolean translucent;
    void *translucentBuffers[2];
    SInt16 shape[7];           // two words, four corner radii, one word
    SRefCon refCon;            // pointer-sized: often a record's address
    RgnHandle updateRgn;       // global coordinates: what waits to be redrawn; null until needed
    RgnHandle savedVisRgn;     // the port's visible region between BeginUpdate and EndUpdate
    OpaqueCollection *eventHandlers;  // the window's installed event handlers, or null
    void *pluginInstance;      // the plug-in instance record showing this window, or null
};

// The definition procedure of a window without a theme: draws nothing and, asked for its
// regions (message 2), makes both the window's rectangle on the screen.
SInt32 OrvaPlainWindowDefProc(SInt16 varCode, WindowPtr window, SInt16 message, SInt32 param);

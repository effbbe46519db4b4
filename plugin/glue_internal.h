// What the two halves of the glue share (glue.cpp, glue_drawing.cpp).
#pragma once

#include "plugin/glue.h"

// Process-wide glue state; main thread, plug-in critical section.
struct GlueState {
    UInt8 timerTaskMode;  // set the first time the browser gives no timer; never cleared
    UInt32 exposeCount;   // paint events since the last idle run in timer-task mode
};
extern GlueState gGlue;

// Marks the window's queued requests as belonging to no instance.
void GlueAbandonRequests(PlugInWindowLink *link);
// Frees every window description still held (at shutdown).
void GlueDisposeAllWindows();

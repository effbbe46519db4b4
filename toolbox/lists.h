// Minimal lists: the record behind GetListPort and the list user handle. Main thread.
#pragma once

#include "graphics/quickdraw/window_record.h"
#include "toolbox/toolbox_services.h"

struct ListRec {
    Rect rView;         // the list's area, local coordinates of its port
    GrafPtr port;       // its window's port
    Handle userHandle;  // the owner's, never disposed here
};

ListHandle LNew(const Rect *rView, WindowPtr w);  // null without memory
void LDispose(ListHandle list);

// The small-icon plotter and the desk-accessory entry points, which find nothing to run here
// and only route edit commands and clicks to the Dialog Manager. Main thread only.
#pragma once

#include "platform/core/mac_types.h"

struct EventRecord;
struct WindowRecord;
typedef WindowRecord *WindowPtr;

enum : SInt32 { kSicnBytes = 32 };  // one 16 x 16 one-bit icon, rows of 2 bytes

// The index-th (from 0) icon of a 'SICN' handle, top-left at point (vertical in the high 16
// bits), black on white in the current port. An index past the handle draws nothing.
void OrvaPlotSicn(Handle sicn, SInt16 index, SInt32 point);

// Desk accessories.
SInt16 OpenDeskAcc(const char *name);  // the 'DRVR' of that name in the newest file: its id, or -1
void CloseDeskAcc(SInt16 refNum);
void SystemClick(const EventRecord *event, WindowPtr window);
Boolean SystemEdit(SInt16 command);  // 2 cut, 3 copy, 4 paste, 5 clear in a desk-accessory window
Boolean SystemEvent(const EventRecord *event);  // false
void SystemTask();
void SystemMenu(SInt32 menuResult);

// Stand-ins for the Control and List managers until they exist: no window holds a control
// and no list is ever made.
#include "toolbox/cursors.h"
#include "toolbox/toolbox_services.h"
#include "toolbox/windows.h"

ControlHandle FindControlUnderMouse(Point, WindowPtr, SInt16 *part) {
    if (part) *part = 0;
    return nullptr;
}

SInt16 HandleControlClick(ControlHandle, Point, EventModifiers, ControlActionProcPtr) { return 0; }
OSErr SetControlFontStyle(ControlHandle, const ControlFontStyleRec *) { return noErr; }
OSErr AutoEmbedControl(ControlHandle, WindowPtr) { return noErr; }

OSErr GetControlFeatures(ControlHandle, UInt32 *features) {
    if (features) *features = 0;
    return paramErr;
}

void OrvaForceWheelTrack(SInt16) {}
ControlHandle OrvaGetFirstControl(WindowPtr) { return nullptr; }
ControlHandle OrvaGetNextControl(ControlHandle) { return nullptr; }
Boolean IsControlVisible(ControlHandle) { return kFalse; }
SInt16 OrvaGetControlProcID(ControlHandle) { return 0; }

void OrvaGetControlRegionBounds(ControlHandle, Rect *r) {
    if (r) *r = Rect{0, 0, 0, 0};
}

void OrvaDisposeWindowControls(WindowPtr) {}
void OrvaRedrawHovered(ControlHandle, ControlHandle) {}

GrafPtr GetListPort(ListHandle) { return nullptr; }
void SetListUserHandle(ListHandle, Handle) {}
Handle GetListUserHandle(ListHandle) { return nullptr; }

// The Control Manager: push buttons, check boxes, radio buttons and scroll bars in a window,
// each kind a row of definition procedures (control_defs.cpp) answering drawing, hit tests and
// its region; tracking a click, with wheel turns repeating an arrow. Code: controls.cpp (the
// records, the window's list, values, tracking), control_defs.cpp (the rows). Main thread.
#pragma once

#include "toolbox/toolbox_services.h"

// Part codes: what a hit test answers and HandleControlClick reports.
enum : SInt16 {
    kControlNoPart = 0,
    kControlButtonPart = 10,
    kControlCheckBoxPart = 11,
    kControlUpButtonPart = 20,    // the upper or left arrow
    kControlDownButtonPart = 21,  // the lower or right arrow
    kControlPageUpPart = 22,
    kControlPageDownPart = 23,
    kControlIndicatorPart = 129,  // the thumb
    kControlInactivePart = 255,   // as a highlight: the control is dimmed
};
// Definition procedure numbers.
enum : SInt16 {
    pushButProc = 0,
    checkBoxProc = 1,
    radioButProc = 2,
    scrollBarProc = 16,
    kControlPushButtonProc = 368,
    kControlCheckBoxProc = 369,
    kControlRadioButtonProc = 370,
    kControlScrollBarProc = 384,
    kControlScrollBarLiveProc = 386,
};
// Definition procedure messages.
enum : SInt16 { kControlDrawMessage = 0, kControlHitMessage = 1, kControlRegionMessage = 2 };
enum : UInt32 { kControlIsScrollBarFeature = 1u << 24 };

struct ControlDefinitionRow;

struct ControlRecord {
    ControlHandle nextControl;  // the owner's next control, null at the end
    WindowPtr contrlOwner;
    Rect contrlRect;            // the owner's local coordinates
    UInt8 contrlVis;            // 255 shown, 0 hidden
    UInt8 contrlHilite;         // 0 active, a part highlighted, 255 inactive
    SInt16 contrlValue;
    SInt16 contrlMin;
    SInt16 contrlMax;
    SInt16 procID;              // the number it was made with
    const ControlDefinitionRow *row;
    ControlActionProcPtr contrlAction;
    SRefCon contrlRfCon;
    Str255 contrlTitle;         // MacRoman
    ControlFontStyleRec fontStyle;
    Boolean embedded;           // embedded in its window's root control
};

// One row per kind of control.
struct ControlDefinitionRow {
    SInt16 procID;
    void (*draw)(ControlHandle control);
    SInt16 (*hit)(ControlHandle control, Point local);  // a part code, 0 outside
    void (*region)(ControlHandle control, Rect *r);     // what it covers, local coordinates
    UInt32 features;
    Boolean tracksArrows;  // a held arrow or page part runs the action procedure again and again
};
const ControlDefinitionRow *OrvaControlRowFor(SInt16 procID);  // the push button's for an unknown id

// Made in the window's port, last in its list, drawn when visible; null without memory or for an
// unknown window.
ControlHandle NewControl(WindowPtr w, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 value,
                         SInt16 min, SInt16 max, SInt16 procID, SRefCon refCon);
void DisposeControl(ControlHandle control);
void KillControls(WindowPtr w);
void Draw1Control(ControlHandle control);
void DrawControls(WindowPtr w);
void ShowControl(ControlHandle control);
void HideControl(ControlHandle control);
void HiliteControl(ControlHandle control, SInt16 part);
void MoveControl(ControlHandle control, SInt16 h, SInt16 v);
void SizeControl(ControlHandle control, SInt16 width, SInt16 height);
SInt16 GetControlValue(ControlHandle control);
void SetControlValue(ControlHandle control, SInt16 value);  // kept within min and max, redrawn
SInt16 GetControlMinimum(ControlHandle control);
void SetControlMinimum(ControlHandle control, SInt16 value);
SInt16 GetControlMaximum(ControlHandle control);
void SetControlMaximum(ControlHandle control, SInt16 value);
void SetControlTitle(ControlHandle control, ConstStr255Param title);
void GetControlTitle(ControlHandle control, Str255 title);
void SetControlAction(ControlHandle control, ControlActionProcPtr action);
SRefCon GetControlReference(ControlHandle control);
void SetControlReference(ControlHandle control, SRefCon refCon);
// The part of the visible, active control under a local point and the control; 0 and null.
SInt16 FindControl(Point local, WindowPtr w, ControlHandle *control);
// HandleControlClick without action procedure or modifiers.
SInt16 TrackControl(ControlHandle control, Point local, ControlActionProcPtr action);
// The steps the next arrow tracking will repeat (0: none waiting). Diagnostics.
SInt16 OrvaGetForcedWheelSteps();

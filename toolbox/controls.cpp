// The Control Manager: control records in their window's list, values and titles, finding the
// control under a point and tracking a click in it.
#include "toolbox/controls.h"

#include <cstring>

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "toolbox/cursors.h"
#include "toolbox/events.h"
#include "toolbox/windows.h"

namespace {

enum : UInt8 { kShown = 255, kInactive = 255 };

// The steps the next arrow tracking repeats, set by the wheel router. Main thread.
SInt16 gForcedSteps = 0;

ControlPtr Record(ControlHandle control);  // null for null or a foreign handle
bool Known(ControlHandle control);
void InPort(ControlHandle control, void (*draw)(ControlHandle));
SInt16 TrackOnce(ControlHandle control, SInt16 part, ControlActionProcPtr action);
bool RepeatsAction(ControlHandle control, SInt16 part);

}  // namespace

ControlHandle NewControl(WindowPtr w, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 value,
                         SInt16 min, SInt16 max, SInt16 procID, SRefCon refCon) {
    if (!OrvaIsKnownWindow(w) || !bounds) return nullptr;
    ControlHandle c = reinterpret_cast<ControlHandle>(NewHandleClear(sizeof(ControlRecord)));
    if (!c) return nullptr;
    ControlRecord &r = **c;
    r.contrlOwner = w;
    r.contrlRect = *bounds;
    r.contrlVis = visible ? kShown : 0;
    r.contrlMin = min;
    r.contrlMax = max < min ? min : max;
    r.contrlValue = value < min ? min : value > r.contrlMax ? r.contrlMax : value;
    r.procID = procID;
    r.row = OrvaControlRowFor(procID);
    r.contrlRfCon = refCon;
    if (title) memcpy(r.contrlTitle, title, size_t(title[0]) + 1);
    ControlHandle *link = &w->controlList;
    while (*link) link = &(**link)->nextControl;
    *link = c;
    if (visible) Draw1Control(c);
    return c;
}

void DisposeControl(ControlHandle control) {
    ControlPtr r = Record(control);
    if (!r || !Known(control)) return;
    if (r->contrlVis) {
        HideControl(control);
    }
    WindowPtr w = r->contrlOwner;
    for (ControlHandle *link = &w->controlList; *link; link = &(**link)->nextControl) {
        if (*link != control) continue;
        *link = (**control).nextControl;
        break;
    }
    if (OrvaGetHoveredControl() == control) OrvaHoverUnderMouse(nullptr, nullptr, 0, 0);
    DisposHandle(reinterpret_cast<Handle>(control));
}

void KillControls(WindowPtr w) {
    if (!w) return;
    while (ControlHandle c = w->controlList) {
        w->controlList = (**c).nextControl;
        if (OrvaGetHoveredControl() == c) OrvaHoverUnderMouse(nullptr, nullptr, 0, 0);
        DisposHandle(reinterpret_cast<Handle>(c));
    }
}

void OrvaDisposeWindowControls(WindowPtr w) { KillControls(w); }

void Draw1Control(ControlHandle control) {
    ControlPtr r = Record(control);
    if (!r || !r->contrlVis || !OrvaIsKnownWindow(r->contrlOwner)) return;
    InPort(control, r->row->draw);
}

void DrawControls(WindowPtr w) {
    if (!OrvaIsKnownWindow(w)) return;
    for (ControlHandle c = w->controlList; c; c = (**c).nextControl) Draw1Control(c);
}

void ShowControl(ControlHandle control) {
    ControlPtr r = Record(control);
    if (!r || r->contrlVis) return;
    r->contrlVis = kShown;
    Draw1Control(control);
}

// The area it covered waits for its window to redraw it.
void HideControl(ControlHandle control) {
    ControlPtr r = Record(control);
    if (!r || !r->contrlVis) return;
    r->contrlVis = 0;
    Rect area;
    r->row->region(control, &area);
    if (OrvaIsKnownWindow(r->contrlOwner)) {
        GrafPtr saved;
        GetPort(&saved);
        SetPort(&r->contrlOwner->port);
        EraseRect(&area);
        SetPort(saved);
        InvalWindowRect(r->contrlOwner, &area);
    }
}

void HiliteControl(ControlHandle control, SInt16 part) {
    ControlPtr r = Record(control);
    if (!r || r->contrlHilite == UInt8(part)) return;
    r->contrlHilite = UInt8(part);
    Draw1Control(control);
}

void MoveControl(ControlHandle control, SInt16 h, SInt16 v) {
    ControlPtr r = Record(control);
    if (!r) return;
    Boolean shown = r->contrlVis != 0;
    if (shown) HideControl(control);
    r = Record(control);
    _OffsetRect(&r->contrlRect, SInt16(h - r->contrlRect.left), SInt16(v - r->contrlRect.top));
    if (shown) ShowControl(control);
}

void SizeControl(ControlHandle control, SInt16 width, SInt16 height) {
    ControlPtr r = Record(control);
    if (!r || width < 0 || height < 0) return;
    Boolean shown = r->contrlVis != 0;
    if (shown) HideControl(control);
    r = Record(control);
    r->contrlRect.right = SInt16(r->contrlRect.left + width);
    r->contrlRect.bottom = SInt16(r->contrlRect.top + height);
    if (shown) ShowControl(control);
}

SInt16 GetControlValue(ControlHandle control) {
    ControlPtr r = Record(control);
    return r ? r->contrlValue : 0;
}

void SetControlValue(ControlHandle control, SInt16 value) {
    ControlPtr r = Record(control);
    if (!r) return;
    if (value < r->contrlMin) value = r->contrlMin;
    if (value > r->contrlMax) value = r->contrlMax;
    if (value == r->contrlValue) return;
    r->contrlValue = value;
    Draw1Control(control);
}

SInt16 GetControlMinimum(ControlHandle control) {
    ControlPtr r = Record(control);
    return r ? r->contrlMin : 0;
}

void SetControlMinimum(ControlHandle control, SInt16 value) {
    ControlPtr r = Record(control);
    if (!r) return;
    r->contrlMin = value;
    if (r->contrlMax < value) r->contrlMax = value;
    if (r->contrlValue < value) r->contrlValue = value;
    Draw1Control(control);
}

SInt16 GetControlMaximum(ControlHandle control) {
    ControlPtr r = Record(control);
    return r ? r->contrlMax : 0;
}

void SetControlMaximum(ControlHandle control, SInt16 value) {
    ControlPtr r = Record(control);
    if (!r) return;
    r->contrlMax = value < r->contrlMin ? r->contrlMin : value;
    if (r->contrlValue > r->contrlMax) r->contrlValue = r->contrlMax;
    Draw1Control(control);
}

void SetControlTitle(ControlHandle control, ConstStr255Param title) {
    ControlPtr r = Record(control);
    if (!r || !title) return;
    memcpy(r->contrlTitle, title, size_t(title[0]) + 1);
    Draw1Control(control);
}

void GetControlTitle(ControlHandle control, Str255 title) {
    if (!title) return;
    ControlPtr r = Record(control);
    if (r) memcpy(title, r->contrlTitle, size_t(r->contrlTitle[0]) + 1);
    else title[0] = 0;
}

void SetControlAction(ControlHandle control, ControlActionProcPtr action) {
    if (ControlPtr r = Record(control)) r->contrlAction = action;
}

SRefCon GetControlReference(ControlHandle control) {
    ControlPtr r = Record(control);
    return r ? r->contrlRfCon : 0;
}

void SetControlReference(ControlHandle control, SRefCon refCon) {
    if (ControlPtr r = Record(control)) r->contrlRfCon = refCon;
}

SInt16 FindControl(Point local, WindowPtr w, ControlHandle *control) {
    if (control) *control = nullptr;
    if (!OrvaIsKnownWindow(w)) return kControlNoPart;
    // The last made lies on top.
    SInt16 found = kControlNoPart;
    for (ControlHandle c = w->controlList; c; c = (**c).nextControl) {
        ControlPtr r = *c;
        if (!r->contrlVis || r->contrlHilite == kInactive) continue;
        SInt16 part = r->row->hit(c, local);
        if (part == kControlNoPart) continue;
        found = part;
        if (control) *control = c;
    }
    return found;
}

ControlHandle FindControlUnderMouse(Point where, WindowPtr w, SInt16 *part) {
    ControlHandle control = nullptr;
    SInt16 found = FindControl(where, w, &control);
    if (part) *part = found;
    return control;
}

// Outside the plug-in the click is followed while the button stays down; inside it, and when
// the button is already up, one pass: the press point decides. A forced step count (a wheel
// turn) makes an arrow's action run that many times.
SInt16 HandleControlClick(ControlHandle control, Point where, EventModifiers, ControlActionProcPtr action) {
    ControlPtr r = Record(control);
    if (!r || !r->contrlVis || r->contrlHilite == kInactive) return kControlNoPart;
    SInt16 part = r->row->hit(control, where);
    if (part == kControlNoPart) return kControlNoPart;
    if (!action) action = r->contrlAction;
    return TrackOnce(control, part, action);
}

SInt16 TrackControl(ControlHandle control, Point local, ControlActionProcPtr action) {
    return HandleControlClick(control, local, 0, action);
}

OSErr SetControlFontStyle(ControlHandle control, const ControlFontStyleRec *style) {
    ControlPtr r = Record(control);
    if (!r || !style) return paramErr;
    r->fontStyle = *style;
    Draw1Control(control);
    return noErr;
}

// Every window has one root control holding all its controls: embedding only marks it.
OSErr AutoEmbedControl(ControlHandle control, WindowPtr w) {
    ControlPtr r = Record(control);
    if (!r || !OrvaIsKnownWindow(w) || r->contrlOwner != w) return paramErr;
    r->embedded = kTrue;
    return noErr;
}

OSErr GetControlFeatures(ControlHandle control, UInt32 *features) {
    if (features) *features = 0;
    ControlPtr r = Record(control);
    if (!r || !features) return paramErr;
    *features = r->row->features;
    return noErr;
}

void OrvaForceWheelTrack(SInt16 steps) { gForcedSteps = steps > 0 ? steps : 0; }
SInt16 OrvaGetForcedWheelSteps() { return gForcedSteps; }
ControlHandle OrvaGetFirstControl(WindowPtr w) { return OrvaIsKnownWindow(w) ? w->controlList : nullptr; }

ControlHandle OrvaGetNextControl(ControlHandle control) {
    ControlPtr r = Record(control);
    return r ? r->nextControl : nullptr;
}

Boolean IsControlVisible(ControlHandle control) {
    ControlPtr r = Record(control);
    return r && r->contrlVis;
}

SInt16 OrvaGetControlProcID(ControlHandle control) {
    ControlPtr r = Record(control);
    return r ? r->procID : 0;
}

void OrvaGetControlRegionBounds(ControlHandle control, Rect *rect) {
    if (!rect) return;
    *rect = Rect{0, 0, 0, 0};
    if (ControlPtr r = Record(control)) r->row->region(control, rect);
}

void OrvaRedrawHovered(ControlHandle left, ControlHandle entered) {
    if (left && Known(left)) Draw1Control(left);
    if (entered && Known(entered)) Draw1Control(entered);
}

namespace {

ControlPtr Record(ControlHandle control) {
    Handle h = reinterpret_cast<Handle>(control);
    if (!h || !OrvaIsValidHandle(h) || GetHandleSize(h) != sizeof(ControlRecord)) return nullptr;
    return *control;
}

// In its window's list: a disposed control is not.
bool Known(ControlHandle control) {
    ControlPtr r = Record(control);
    if (!r || !OrvaIsKnownWindow(r->contrlOwner)) return false;
    for (ControlHandle c = r->contrlOwner->controlList; c; c = (**c).nextControl)
        if (c == control) return true;
    return false;
}

void InPort(ControlHandle control, void (*draw)(ControlHandle)) {
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&(**control).contrlOwner->port);
    draw(control);
    SetPort(saved);
}

bool RepeatsAction(ControlHandle control, SInt16 part) {
    return (**control).row->tracksArrows && part >= kControlUpButtonPart && part <= kControlPageDownPart;
}

SInt16 TrackOnce(ControlHandle control, SInt16 part, ControlActionProcPtr action) {
    HiliteControl(control, part);
    SInt16 steps = gForcedSteps > 0 && RepeatsAction(control, part) ? gForcedSteps : 1;
    gForcedSteps = 0;
    if (action && RepeatsAction(control, part))
        for (SInt16 i = 0; i < steps; i++) action(control, part);
    SInt16 released = part;
    // Inside the browser nothing waits for a release the browser would not deliver.
    if (!OrvaIsPlugin()) {
        Point where;
        while (StillDown()) {
            GetMouse(&where);
            SInt16 now = (**control).row->hit(control, where);
            released = now == part ? part : kControlNoPart;
            HiliteControl(control, released);
            if (released && action && RepeatsAction(control, part)) action(control, part);
            Delay(1, nullptr);
        }
    }
    HiliteControl(control, 0);
    return released;
}

}  // namespace

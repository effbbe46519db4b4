// The wheel router: the window under the pointer, its Carbon handlers, then its scroll bars.
#include "toolbox/carbon/wheel_routing.h"

#include "toolbox/toolbox_services.h"

namespace {

constexpr SInt16 kWheelEventKind = 10;  // class 'mous': wheel moved
constexpr UInt32 kScrollBarFeature = 1u << 24;
constexpr SInt64 kNoScrollBarScore = 9999999;
constexpr SInt16 kArrowInset = 4;       // pixels inside the arrow end of a scroll bar

Boolean OfferWheelEvent(WindowPtr w, const EventRecord &pointer, SInt16 delta);
ControlHandle ChooseScrollBar(WindowPtr w, Point local);
void ClickScrollBarEnd(ControlHandle bar, const Rect &content, const EventRecord &pointer, SInt16 delta);

}  // namespace

Boolean OrvaRouteWheelTurn(SInt16 delta) {
    EventRecord pointer;  // the pointer (global) and the modifier keys
    orva_genere_evt(nullEvent, 0, &pointer);
    WindowPtr w = nullptr;
    SInt16 part = _FindWindow(pointer.where, &w);
    if (part == inDesk || part == inMenuBar || !w) w = FrontWindow();
    if (!w) return kFalse;
    if (OfferWheelEvent(w, pointer, delta)) return kTrue;
    Rect content;
    if (GetWindowBounds(w, kWindowContentRgn, &content) != noErr) return kFalse;
    Point local{SInt16(pointer.where.v - content.top), SInt16(pointer.where.h - content.left)};
    ControlHandle bar = ChooseScrollBar(w, local);
    if (!bar) return kFalse;
    ClickScrollBarEnd(bar, content, pointer, delta);
    return kTrue;
}

namespace {

// Offers a wheel event to the window's own handlers; true when one took it.
Boolean OfferWheelEvent(WindowPtr w, const EventRecord &pointer, SInt16 delta) {
    Collection parameters = NewCollection();
    if (!parameters) return kFalse;
    UInt32 modifiers = pointer.modifiers;
    UInt16 axis = 1;  // vertical
    SInt32 wheelDelta = -SInt32(delta);
    SetEventParameter(parameters, FourCC("mloc"), FourCC("QDpt"), sizeof pointer.where, &pointer.where);
    SetEventParameter(parameters, FourCC("kmod"), FourCC("magn"), sizeof modifiers, &modifiers);
    SetEventParameter(parameters, FourCC("mwax"), FourCC("mwax"), sizeof axis, &axis);
    SetEventParameter(parameters, FourCC("mwdl"), FourCC("long"), sizeof wheelDelta, &wheelDelta);
    OrvaCarbonEvent event{OrvaGetWindowEventHandlers(w), FourCC("mous"), kWheelEventKind};
    OSStatus result = OrvaEnqueueEventHandled(&event, parameters);
    DisposeCollection(parameters);
    return result != eventNotHandledErr;
}

// The visible vertical scroll bar nearest the pointer (window coordinates), favouring bars to
// its right; null when the window has none.
ControlHandle ChooseScrollBar(WindowPtr w, Point local) {
    ControlHandle best = nullptr;
    SInt64 bestScore = kNoScrollBarScore;
    for (ControlHandle c = OrvaGetFirstControl(w); c; c = OrvaGetNextControl(c)) {
        if (!IsControlVisible(c)) continue;
        SInt16 procID = OrvaGetControlProcID(c);
        UInt32 features = 0;
        bool scrollBar = procID == 16 || procID == 384 || procID == 386 ||
                         (GetControlFeatures(c, &features) == noErr && (features & kScrollBarFeature));
        if (!scrollBar) continue;
        Rect r;
        OrvaGetControlRegionBounds(c, &r);
        if (r.bottom - r.top <= r.right - r.left) continue;
        SInt64 score = local.h > r.right ? 1000000 + 1000 * SInt64(local.h - r.right) : 1000 * SInt64(r.left - local.h);
        if (local.v < r.top || local.v > r.bottom) score += 100000;
        SInt64 toTop = local.v > r.top ? local.v - r.top : r.top - local.v;
        SInt64 toBottom = local.v > r.bottom ? local.v - r.bottom : r.bottom - local.v;
        score += toTop < toBottom ? toTop : toBottom;
        if (score < bestScore) {
            bestScore = score;
            best = c;
        }
    }
    return best;
}

// Clicks the bar's lower arrow (delta > 0) or upper arrow |delta| times: the pointer stands
// on the arrow while a mouse-down and a mouse-up are posted, then goes back.
void ClickScrollBarEnd(ControlHandle bar, const Rect &content, const EventRecord &pointer, SInt16 delta) {
    Rect r;
    OrvaGetControlRegionBounds(bar, &r);
    SInt16 v = delta > 0 ? SInt16(r.bottom - kArrowInset) : SInt16(r.top + kArrowInset);
    SInt16 h = SInt16((r.left + r.right) / 2);
    Point arrow{SInt16(v + content.top), SInt16(h + content.left)};
    OrvaSetMousePos(arrow, kFalse);
    OrvaForceWheelTrack(SInt16(delta < 0 ? -delta : delta));
    PostEvent(mouseDown, 0);
    PostEvent(mouseUp, 0);
    OrvaSetMousePos(pointer.where, kFalse);
}

}  // namespace

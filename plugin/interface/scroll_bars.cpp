// The display area's scroll bars.
#include "plugin/interface/scroll_bars.h"

#include "graphics/quickdraw/rects.h"
#include "graphics/toolbox_hooks.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/drawing.h"
#include "plugin/interface/interface_standins.h"
#include "plugin/interface/shading.h"

namespace {

enum ScrollPress { kPressNone, kPressArrow, kPressThumb, kPressTrack };

// The one press being tracked (one at a time in the process); main thread.
struct ScrollClickState {
    ScrollPress kind;
    Rect arrow1, arrow2, thumb;   // the pressed bar's parts at the press
    Point pressPoint;
    SInt16 pressPosition;
    SInt16 delta;                 // an arrow's step, negative for the first arrow
    Boolean horizontal;
    SInt16 maximum;
};
ScrollClickState gClick;

SInt16 Clamp(SInt32 value, SInt32 low, SInt32 high) {
    return SInt16(value < low ? low : value > high ? high : value);
}

SInt32 Longueur(const Rect &r, Boolean horizontal) { return horizontal ? r.right - r.left : r.bottom - r.top; }

}  // namespace

static SInt16 Maximum(const PlugInInstance *instance, Boolean horizontal);
static void SuitAscenseur(PlugInInstance *instance, Boolean stillDown);

void PlugCalculeAireTotaleAscenseur(const PlugInInstance *instance, Boolean horizontal, Rect *rect) {
    SInt32 w = PlugInWindowWidth(instance), h = PlugInWindowHeight(instance);
    SInt32 bottom = instance->keyboardShown ? h - kKeyboardStripHeight : h;
    if (horizontal)
        *rect = Rect{Clamp(bottom - kScrollBarThickness, -32767, 32767), instance->areaLeft, Clamp(bottom, -32767, 32767),
                     Clamp(w - kScrollBarThickness, -32767, 32767)};
    else
        *rect = Rect{Clamp(SInt32(instance->areaTop) + GetTailleAireSystemePlugIn(instance), -32767, 32767),
                     Clamp(w - kScrollBarThickness, -32767, 32767), Clamp(bottom - kScrollBarThickness, -32767, 32767),
                     Clamp(w, -32767, 32767)};
}

SInt16 GetTailleUtileAscenseur(const PlugInInstance *instance, Boolean horizontal) {
    Rect bar;
    PlugCalculeAireTotaleAscenseur(instance, horizontal, &bar);
    return Clamp(Longueur(bar, horizontal) - 2 * kScrollBarThickness, -32767, 32767);
}

SInt16 PlugTailleCurseurAscenseur(const PlugInInstance *instance, const Rect *bar, Boolean horizontal) {
    SInt32 usable = Longueur(*bar, horizontal) - 2 * kScrollBarThickness;
    SInt32 content = Longueur(instance->scrollContent, horizontal);
    if (content <= 0) return Clamp(usable, -32767, 32767);
    return Clamp(SInt64(usable) * Longueur(*bar, horizontal) / content, -32767, 32767);
}

void PlugCalculePartiesAscenseur(const PlugInInstance *instance, const Rect *bar, SInt16 position, Boolean horizontal,
                                 Rect *arrow1, Rect *arrow2, Rect *thumb) {
    const Rect &b = *bar;
    SInt16 t = kScrollBarThickness, length = PlugTailleCurseurAscenseur(instance, bar, horizontal);
    *arrow1 = Rect{b.top, b.left, SInt16(b.top + t), SInt16(b.left + t)};
    if (horizontal) {
        *arrow2 = Rect{b.top, SInt16(b.right - t), SInt16(b.top + t), b.right};
        SInt16 start = Clamp(SInt32(b.left) + t + position, -32767, 32767);
        *thumb = Rect{b.top, start, b.bottom, Clamp(SInt32(start) + length, -32767, 32767)};
    } else {
        *arrow2 = Rect{SInt16(b.bottom - t), b.left, b.bottom, SInt16(b.left + t)};
        SInt16 start = Clamp(SInt32(b.top) + t + position, -32767, 32767);
        *thumb = Rect{start, b.left, Clamp(SInt32(start) + length, -32767, 32767), b.right};
    }
}

void PlugInitAscenseurs(PlugInInstance *instance, Boolean force) {
    if (!instance->pageShown) return;
    if (!force && _EqualRect(&instance->scrollContent, &instance->scrollContentSeen)) return;
    instance->scrollContentSeen = instance->scrollContent;
    Boolean karaoke = instance->karaokePossible && instance->karaokeActive;
    Boolean zoomed = !karaoke && instance->zoom > 1.0f;
    if (!karaoke) {
        // At zoom 1 or below a page never scrolls.
        instance->scrollHMax = zoomed ? Maximum(instance, kTrue) : SInt16(0);
        if (instance->scrollHMax <= 0) instance->scrollHMax = instance->scrollH = 0;
    }
    Boolean text = karaoke && instance->karaokeText;
    instance->scrollVMax = text || zoomed ? Maximum(instance, kFalse) : SInt16(0);
    if (instance->scrollVMax <= 0) instance->scrollVMax = instance->scrollV = 0;
    instance->scrollV = Clamp(instance->scrollV, 0, instance->scrollVMax);
    instance->scrollH = Clamp(instance->scrollH, 0, instance->scrollHMax);
}

void PlugInDrawAscenseur(const PlugInInstance *instance, const Rect *bar, SInt16 position, SInt16 maximum,
                         Boolean horizontal) {
    if (maximum <= 0) return;
    Rect arrow1, arrow2, thumb;
    PlugCalculePartiesAscenseur(instance, bar, position, horizontal, &arrow1, &arrow2, &thumb);
    PlugFillRectShadow(bar, &instance->scrollBkColor);
    DrawIconInAire(horizontal ? kScrollIconLeft : kScrollIconUp, &arrow1);
    DrawIconInAire(horizontal ? kScrollIconRight : kScrollIconDown, &arrow2);
    if (horizontal) InsetRect(&thumb, 0, 1);
    else InsetRect(&thumb, 1, 0);
    PlugFillRectShadow(&thumb, &instance->scrollThumbColor);
}

void PlugInDrawAscenseurs(PlugInInstance *instance) {
    if (!instance->pageShown || instance->pageFitsWhole) return;
    PlugInitAscenseurs(instance, kFalse);
    Rect horizontal, vertical;
    PlugCalculeAireTotaleAscenseur(instance, kTrue, &horizontal);
    PlugCalculeAireTotaleAscenseur(instance, kFalse, &vertical);
    PlugInDrawAscenseur(instance, &horizontal, instance->scrollH, instance->scrollHMax, kTrue);
    PlugInDrawAscenseur(instance, &vertical, instance->scrollV, instance->scrollVMax, kFalse);
    if (instance->scrollHMax == 0 && instance->scrollVMax == 0) return;
    Rect corner = {horizontal.top, horizontal.right, horizontal.bottom, vertical.right};
    PlugFillRectShadow(&corner, &instance->scrollBkColor);
}

Boolean PlugDoClickInAscenseur(PlugInInstance *instance, Point where, Boolean horizontal, const Rect *bar,
                               SInt16 maximum, SInt16 step) {
    SInt16 position = horizontal ? instance->scrollH : instance->scrollV;
    ScrollClickState click = {};
    PlugCalculePartiesAscenseur(instance, bar, position, horizontal, &click.arrow1, &click.arrow2, &click.thumb);
    if (_PtInRect(where, &click.arrow1)) click.kind = kPressArrow, click.delta = SInt16(-step);
    else if (_PtInRect(where, &click.arrow2)) click.kind = kPressArrow, click.delta = step;
    else if (_PtInRect(where, &click.thumb)) click.kind = kPressThumb;
    else if (_PtInRect(where, bar)) click.kind = kPressTrack;
    else return kFalse;
    click.pressPoint = where;
    click.pressPosition = position;
    click.horizontal = horizontal;
    click.maximum = maximum;
    gClick = click;
    instance->pressHandler = SuitAscenseur;
    SuitAscenseur(instance, kTrue);
    return kTrue;
}

Boolean PlugInClickAscenseur(PlugInInstance *instance, Point where) {
    if (instance->karaokePossible && instance->karaokeActive) return PlugInClickAscenseurKaraoke(instance, where);
    if (!instance->pageShown || !(instance->zoom > 1.0f)) return kFalse;
    Rect bar;
    PlugCalculeAireTotaleAscenseur(instance, kTrue, &bar);
    if (instance->scrollHMax > 0 && _PtInRect(where, &bar))
        return PlugDoClickInAscenseur(instance, where, kTrue, &bar, instance->scrollHMax, kScrollArrowStep);
    PlugCalculeAireTotaleAscenseur(instance, kFalse, &bar);
    if (instance->scrollVMax > 0 && _PtInRect(where, &bar))
        return PlugDoClickInAscenseur(instance, where, kFalse, &bar, instance->scrollVMax, kScrollArrowStep);
    return kFalse;
}

// The thumb's travel: the usable length less the thumb.
static SInt16 Maximum(const PlugInInstance *instance, Boolean horizontal) {
    Rect bar;
    PlugCalculeAireTotaleAscenseur(instance, horizontal, &bar);
    return Clamp(SInt32(GetTailleUtileAscenseur(instance, horizontal)) - PlugTailleCurseurAscenseur(instance, &bar, horizontal),
                 -32767, 32767);
}

// The press handler of a scroll bar, called while the button is held and once after.
static void SuitAscenseur(PlugInInstance *instance, Boolean) {
    SInt16 position = gClick.horizontal ? instance->scrollH : instance->scrollV;
    Point pointer;
    GetMouse(&pointer);
    switch (gClick.kind) {
    case kPressArrow: position = SInt16(position + gClick.delta); break;
    case kPressThumb:
        position = SInt16(gClick.pressPosition + (gClick.horizontal ? pointer.h - gClick.pressPoint.h
                                                                    : pointer.v - gClick.pressPoint.v));
        break;
    case kPressTrack:
        position = SInt16(gClick.horizontal ? pointer.h - gClick.arrow1.right : pointer.v - gClick.arrow1.bottom);
        break;
    case kPressNone: return;
    }
    position = Clamp(position, 0, gClick.maximum);
    if (gClick.horizontal) instance->scrollH = position;
    else instance->scrollV = position;
    PlugInDoDraw(instance, kTrue);
}

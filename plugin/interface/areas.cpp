// The layout pass and the rectangles of the plug-in area.
#include "plugin/interface/areas.h"

#include "graphics/quickdraw/rects.h"
#include "layout/pagination.h"
#include "plugin/glue.h"
#include "plugin/instance.h"
#include "plugin/interface/interface_standins.h"
#include "plugin/interface/page_display.h"
#include "plugin/interface/themes.h"

namespace {

// The smaller title sizes tried, in order, when the wanted title does not fit.
struct TitleFallback {
    UInt16 fontSize, height;
};
const TitleFallback kTitleFallbacks[] = {{10, 14}, {8, 12}};
const UInt16 kSmallShadowTitleSize = 9, kSmallShadowTitleHeight = 14;

SInt16 Clamp16(SInt32 value) { return SInt16(value < -32768 ? -32768 : value > 32767 ? 32767 : value); }

}  // namespace

static Boolean PlaceTitre(PlugInInstance *instance, SInt32 *rest);
static void PlaceBarrePosition(PlugInInstance *instance, SInt16 width, SInt32 *rest);
static Boolean CoinMesureEcran(PlugInInstance *instance, SInt32 measure, SInt16 staff, Boolean last, Point *where);
static SInt16 PremierePorteeGroupe(DocumentRecord *document, SInt16 staff);

void PlugInCalculeAireAffichables(PlugInInstance *instance, SInt16 width, SInt16 height) {
    if (!instance) return;
    PlugInAdjustMenu(instance);
    instance->titleShown = instance->titleWanted;
    instance->menuShown = instance->menuWanted;
    instance->timeSliderShown = instance->timeSliderWanted;
    instance->pageShown = instance->pageWanted;
    instance->look = instance->lookWanted;
    instance->titleFontSize = instance->titleFontSizeWanted;
    instance->titleHeight = instance->titleHeightWanted;
    if (height <= kSmallShadowHeight && instance->look == kLookShadow) {
        instance->look = kLookMoon;
        instance->titleFontSize = kSmallShadowTitleSize;
        instance->titleHeight = kSmallShadowTitleHeight;
    }
    SInt32 rest = SInt32(height) - GetHauteurBoutons(instance);
    if (instance->titleShown && !PlaceTitre(instance, &rest)) instance->titleShown = 0;
    if (instance->timeSliderShown) PlaceBarrePosition(instance, width, &rest);
    if (rest < kDisplayMinHeight) instance->pageShown = 0;
}

SInt16 PlugInWindowWidth(const PlugInInstance *instance) {
    if (!instance || !instance->window) return 0;
    SInt32 w = instance->window->width;
    return SInt16(w < 0 ? 0 : w > 32767 ? 32767 : w);
}

SInt16 PlugInWindowHeight(const PlugInInstance *instance) {
    if (!instance || !instance->window) return 0;
    SInt32 h = instance->window->height;
    return SInt16(h < 0 ? 0 : h > 32767 ? 32767 : h);
}

SInt16 GetHauteurTitre(const PlugInInstance *instance) {
    return instance->titleShown ? Clamp16(instance->titleHeight) : SInt16(0);
}

SInt16 GetHauteurBoutons(const PlugInInstance *instance) {
    if (!instance->menuShown) return 0;
    return Clamp16(SInt32(instance->iconRows) * instance->iconRowHeight + 2 * SInt32(instance->iconBarPadding));
}

SInt16 GetHauteurBarrePosMusique(const PlugInInstance *instance) {
    if (!instance->timeSliderShown) return 0;
    Boolean measureMode = instance->ruptureTable && instance->ruptureCount > 0;
    return SInt16(measureMode ? 2 * kTimeSliderHeight : kTimeSliderHeight);
}

SInt16 GetTailleAireSystemePlugIn(const PlugInInstance *instance) {
    return Clamp16(SInt32(GetHauteurTitre(instance)) + GetHauteurBoutons(instance) + GetHauteurBarrePosMusique(instance));
}

void PlugInGetAireInstance(const PlugInInstance *instance, Rect *rect) {
    *rect = instance && instance->window ? instance->window->clip : Rect{0, 0, 0, 0};
}

Boolean IsClickInTitle(const PlugInInstance *instance, Point where) {
    Rect title = {instance->areaTop, instance->areaLeft, Clamp16(SInt32(instance->areaTop) + instance->titleHeight),
                  PlugInWindowWidth(instance)};
    return _PtInRect(where, &title);
}

void CalculeAireIconPlugIn(const PlugInInstance *instance, SInt16 index, Rect *rect) {
    *rect = Rect{0, 0, 0, 0};
    if (instance->iconsPerRow <= 0 || index < 0) return;
    SInt32 row = index / instance->iconsPerRow, column = index % instance->iconsPerRow;
    const PlugInLookRow *look = PlugInLook(instance->look);
    SInt32 top = GetHauteurTitre(instance) + row * instance->iconRowHeight + instance->iconBarPadding;
    SInt32 left = column * instance->iconCellWidth;
    SInt32 width = look->iconWidth ? look->iconWidth : instance->iconCellWidth;
    SInt32 height = look->iconHeight ? look->iconHeight : instance->iconRowHeight;
    *rect = Rect{Clamp16(top + instance->areaTop), Clamp16(left + instance->areaLeft),
                 Clamp16(top + height + instance->areaTop), Clamp16(left + width + instance->areaLeft)};
}

void CalculeAireBarrePosMusique(const PlugInInstance *instance, Rect *rect) {
    *rect = Rect{0, 0, 0, 0};
    if (!instance->window) return;
    SInt32 top = SInt32(instance->areaTop) + GetHauteurTitre(instance) + GetHauteurBoutons(instance);
    *rect = Rect{Clamp16(top), instance->areaLeft, Clamp16(top + GetHauteurBarrePosMusique(instance)),
                 PlugInWindowWidth(instance)};
}

void PlugInCalculeAireAffichage(const PlugInInstance *instance, Rect *rect) {
    SInt32 bottom = PlugInWindowHeight(instance);
    if (instance->keyboardShown) bottom -= kKeyboardStripHeight;
    *rect = Rect{Clamp16(SInt32(instance->areaTop) + GetTailleAireSystemePlugIn(instance)), instance->areaLeft,
                 Clamp16(bottom), PlugInWindowWidth(instance)};
}

void PlugInCalculeAireListe(const PlugInInstance *instance, Rect *rect) {
    *rect = Rect{0, 0, Clamp16(SInt32(PlugInWindowHeight(instance)) - kListPlayModeHeight),
                 Clamp16(SInt32(instance->areaLeft) - kListScrollWidth)};
}

void PlugInCalculeAireAscenseurListe(const PlugInInstance *instance, Rect *rect) {
    PlugInCalculeAireListe(instance, rect);
    rect->left = rect->right;
    rect->right = Clamp16(SInt32(rect->left) + kListScrollWidth);
}

void PlugCalculeAirePlayMode(const PlugInInstance *instance, Rect *rect) {
    Rect list;
    PlugInCalculeAireListe(instance, &list);
    SInt32 left = (SInt32(list.left) + list.right - kListPlayModeWidth) / 2;
    *rect = Rect{list.bottom, Clamp16(left), Clamp16(SInt32(list.bottom) + kListPlayModeHeight),
                 Clamp16(left + kListPlayModeWidth)};
}

void swaprect(Rect *rect) {
    Rect r = *rect;
    *rect = Rect{r.left, r.top, r.right, r.bottom};
}

void RotateRectRelatif(Rect *rect, const Rect *container, SInt16 quarterTurns) {
    SInt32 cb = container->bottom, cr = container->right;
    SInt32 t = rect->top, l = rect->left, b = rect->bottom, r = rect->right;
    switch (((quarterTurns % 4) + 4) % 4) {
    case 1: *rect = Rect{Clamp16(l), Clamp16(cb - b), Clamp16(r), Clamp16(cb - t)}; break;
    case 2: *rect = Rect{Clamp16(cb - b), Clamp16(cr - r), Clamp16(cb - t), Clamp16(cr - l)}; break;
    case 3: *rect = Rect{Clamp16(cr - r), Clamp16(t), Clamp16(cr - l), Clamp16(b)}; break;
    default: break;
    }
}

void CalculeRectSelect(PlugInInstance *instance) {
    instance->screenSelRect = Rect{0, 0, 0, 0};
    if (!instance->document || instance->screenSelFirstMeasure < 0 || instance->screenSelLastMeasure < 0) return;
    Point topLeft, bottomRight;
    if (!CoinMesureEcran(instance, instance->screenSelFirstMeasure, instance->screenSelFirstStaff, kFalse, &topLeft) ||
        !CoinMesureEcran(instance, instance->screenSelLastMeasure, SInt16(instance->screenSelLastStaff + 1), kTrue,
                         &bottomRight))
        return;
    Pt2Rect(topLeft, bottomRight, &instance->screenSelRect);
}

// The wanted title when it fits in rest, else the first smaller size that does; false when none.
static Boolean PlaceTitre(PlugInInstance *instance, SInt32 *rest) {
    if (*rest >= instance->titleHeight) {
        *rest -= instance->titleHeight;
        return kTrue;
    }
    for (const TitleFallback &size : kTitleFallbacks) {
        if (*rest < size.height) continue;
        instance->titleFontSize = size.fontSize;
        instance->titleHeight = size.height;
        *rest -= size.height;
        return kTrue;
    }
    return kFalse;
}

// The position bar takes its room unless the instance is too narrow, or the room left would fall
// below the display area's while it is big enough without the bar.
static void PlaceBarrePosition(PlugInInstance *instance, SInt16 width, SInt32 *rest) {
    SInt32 bar = GetHauteurBarrePosMusique(instance);
    if (width < kTimeSliderMinWidth || *rest < bar) {
        instance->timeSliderShown = 0;
        return;
    }
    if (*rest >= kDisplayMinHeight && *rest - bar < kDisplayMinHeight) {
        instance->timeSliderShown = 0;
        return;
    }
    *rest -= bar;
}

// The screen point of a measure's start (the bar line before it) at the top of a staff's group,
// on the page shown; last takes the measure after it, and a staff past the last the line's bottom.
static Boolean CoinMesureEcran(PlugInInstance *instance, SInt32 measure, SInt16 staff, Boolean last, Point *where) {
    DocumentRecord *document = instance->document;
    SInt16 page = GetPageMesure(document, measure);
    if (page != PlugInCurrentPage(instance)) return kFalse;
    PageRecord record;
    if (!GetPageMiseEnPage(document, page, &record)) return kFalse;
    for (SInt32 line = 0; line < record.lineCount; line++) {
        LigneRecord l;
        if (!GetLigneMiseEnPage(document, page, line, &l) || measure < l.firstMeasure || measure >= l.closingMeasure)
            continue;
        float bar = 0, notes = 0;
        if (!GetXMesureLigne(document, page, line, last ? measure + 1 : measure, &bar, &notes)) return kFalse;
        float y = GetYPorteeLigne(document, page, line, PremierePorteeGroupe(document, staff));
        if (y < 0) y = last ? l.bottom : l.top;
        return PlugCvtPageEnEcran(instance, bar, y, where);
    }
    return kFalse;
}

// The first staff of the merged staves that staff belongs to; a staff past the last stays.
static SInt16 PremierePorteeGroupe(DocumentRecord *document, SInt16 staff) {
    ScoreHandle score = document->score;
    if (!IsPartitionValide(score) || staff < 0 || staff >= (*score)->staffCount) return staff;
    while (staff > 0 && (*GetPortee(score, SInt16(staff - 1)))->continuedByNext) staff--;
    return staff;
}

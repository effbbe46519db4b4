// Stand-ins for the later parts of the player interface.
#include "plugin/interface/interface_standins.h"

#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/shading.h"
#include "plugin/interface/themes.h"

void PlugInAdjustMenu(PlugInInstance *instance) {
    const PlugInLookRow *look = PlugInLook(instance->look);
    instance->iconCellWidth = look->cellWidth;
    instance->iconRowHeight = look->rowHeight;
    instance->iconBarPadding = look->padding;
    instance->iconRows = 1;
    SInt16 width = PlugInWindowWidth(instance);
    instance->iconsPerRow = SInt16(width >= look->cellWidth ? width / look->cellWidth : 1);
}

void PlugInDrawMenu(PlugInInstance *instance) {
    if (!instance->menuShown) return;
    SInt16 top = SInt16(instance->areaTop + GetHauteurTitre(instance));
    Rect bar = {top, instance->areaLeft, SInt16(top + GetHauteurBoutons(instance)), PlugInWindowWidth(instance)};
    PlugFillRectLook(instance, &bar, &instance->menuBkColor1, &instance->menuBkColor2);
}

void PlugInDrawBarrePosMusique(PlugInInstance *instance) {
    if (!instance->timeSliderShown) return;
    Rect bar;
    CalculeAireBarrePosMusique(instance, &bar);
    PlugFillRectLook(instance, &bar, &instance->timeSliderBkColor1, &instance->timeSliderBkColor2);
}

void PlugInMarquePulsePlay(PlugInInstance *, SInt16) {}
void PlugInDrawMarquePosition(PlugInInstance *) {}
Boolean PlugInClickAscenseurKaraoke(PlugInInstance *, Point) { return kFalse; }
void PlugInDrawKaraoke(PlugInInstance *) {}
void PlugInDrawListe(PlugInInstance *) {}
void PlugInDrawClavier(PlugInInstance *) {}
void PlugDrawMixer(PlugInInstance *) {}
void PlugInDrawInfoPanel(PlugInInstance *) {}
void PlugPekRedraw(PlugInInstance *) {}

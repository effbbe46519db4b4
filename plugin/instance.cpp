// The instance record's defaults, the instance list in page order, the window and destroy
// entries, and the page's values held to the ranges their users take.
#include "plugin/instance.h"

#include <cstdio>
#include <cstring>

#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "plugin/browser_calls.h"
#include "plugin/documents.h"
#include "plugin/glue.h"
#include "plugin/host_services.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/drawing.h"
#include "plugin/scripting.h"
#include "sound/playback.h"

PlugInProcessState plugInState = {nullptr, nullptr, nullptr, nullptr, 0, 100, 1, 0};

namespace {

constexpr SInt32 kListTraceSize = 480;  // a trace line holds 511 characters

// The fourteen colours in the order of the colour fields, as six hexadecimal digits.
struct ColourDefault {
    RGBColor PlugInInstance::*field;
    const char *hex;
};
const ColourDefault kColourDefaults[] = {
    {&PlugInInstance::imgBkColor, "FFFFEE"},        {&PlugInInstance::titleBkColor, "E0E0E0"},
    {&PlugInInstance::titleFrColor, "000000"},      {&PlugInInstance::scrollBkColor, "E0E0E0"},
    {&PlugInInstance::scrollThumbColor, "A0A0A0"},  {&PlugInInstance::titleBkColPlay, "a0a0a0"},
    {&PlugInInstance::titleFrColPlay, "0000FF"},    {&PlugInInstance::menuBkColor1, "D0D0D0"},
    {&PlugInInstance::menuBkColor2, "E0E0E0"},      {&PlugInInstance::timeSliderBkColor1, "D0D0D0"},
    {&PlugInInstance::timeSliderBkColor2, "E0E0E0"}, {&PlugInInstance::desktopColor, "808080"},
    {&PlugInInstance::textSelectColor, "00ff80"},   {&PlugInInstance::listColor, "000000"},
};

SInt16 Clamp16(SInt32 value, SInt32 low, SInt32 high) {
    return SInt16(value < low ? low : value > high ? high : value);
}

}  // namespace

static Boolean GoesBefore(const PlugInInstance *node, const PlugInInstance *added);
static void TraceInstanceList();

PlugInInstance *PlugInFromNPP(NPP npp) { return npp ? static_cast<PlugInInstance *>(npp->pdata) : nullptr; }

void PlugInDefaultInstance(PlugInInstance *instance, NPP npp) {
    PlugInInstance &p = *instance;
    p.npp = npp;
    p.soundBaseWanted = 999;
    p.playAllowed = 1;
    p.pauseButton = p.stopButton = p.volumeButton = p.forwardButton = p.backwardButton = 1;
    p.infoItem = 1;
    p.titleWanted = p.titleShown = p.showFileName = p.menuWanted = p.menuShown = 1;
    p.timeSliderWanted = p.timeSliderShown = p.pageWanted = p.pageShown = 1;
    p.showDuration = p.showTime = p.showDocInfo = p.showSize = 1;
    p.titleHeightWanted = p.titleHeight = 20;
    p.titleFontSizeWanted = p.titleFontSize = 12;
    p.angloNotation = p.accidentalsAllOctaves = 1;
    p.lyricsScale = 1.2f;
    p.lookWanted = p.look = 3;
    p.antialias = 1;
    p.quality = 2;
    snprintf(p.docName, sizeof p.docName, "%s", "src=");
    p.currentPage = 1;
    p.keepRatio = 1;
    p.fullScreenAllowed = 1;
    p.zoom = 1.0f;
    p.paperMargin = 16;
    p.allowViews = 1;
    p.startView = -1;
    p.displayMetronome = 1;
    p.metronomeBars = 2;
    p.posSplit = 200;
    p.listPlayMode = 2;
    p.allowTwoPages = 1;
    p.rotateOff = 1;
    p.selFirstMeasure = p.selLastMeasure = -1;
    p.keyboardInstrument = 65535;
    p.keyboardFirstOctave = 3;
    p.keyboardOctaves = 7;
    p.language = npp ? GetBrowserLanguage(instance) : 0;
    PlugInDefaultColor(instance);
    RazTouchesClavier(instance);
}

void PlugInDefaultColor(PlugInInstance *instance) {
    for (const ColourDefault &row : kColourDefaults) CvtStrToRGBColor(row.hex, &(instance->*row.field));
}

RGBColor *PlugInColourSlot(PlugInInstance *instance, SInt16 slot) {
    const SInt16 count = SInt16(sizeof kColourDefaults / sizeof kColourDefaults[0]);
    return &(instance->*kColourDefaults[slot >= 0 && slot < count ? slot : 0].field);
}

void LinkInstance(PlugInInstance *instance) {
    UnlinkInstance(instance);
    PlugInInstance *previous = nullptr, *node = plugInState.premiereInstance;
    while (node && !GoesBefore(node, instance)) {
        previous = node;
        node = node->next;
    }
    instance->next = node;
    if (previous) previous->next = instance;
    else plugInState.premiereInstance = instance;
    TraceInstanceList();
}

void UnlinkInstance(PlugInInstance *instance) {
    for (PlugInInstance **link = &plugInState.premiereInstance; *link; link = &(*link)->next) {
        if (*link != instance) continue;
        *link = instance->next;
        instance->next = nullptr;
        return;
    }
}

Boolean IsInstanceValid(const PlugInInstance *instance) {
    for (const PlugInInstance *p = plugInState.premiereInstance; p; p = p->next)
        if (p == instance) return kTrue;
    return kFalse;
}

NPError NPP_SetWindow(NPP npp, PlugInWindow *window) {
    PlugInInstance *instance = PlugInFromNPP(npp);
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    instance->window = window;
    if (window && instance->iconRows > 0)
        PlugInCalculeAireAffichables(instance, Clamp16(window->width, 0, 32767), Clamp16(window->height, 0, 32767));
    // The list follows the elements' places on the page; the element may have moved.
    instance->pagePositionKnown = GetElementPagePosition(npp, &instance->pageTop, &instance->pageLeft);
    LinkInstance(instance);
    PlugInRedrawIfResized(instance);
    return NPERR_NO_ERROR;
}

NPError NPP_Destroy(NPP npp, NPSavedData **save) {
    if (save) *save = nullptr;
    if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
    PlugInInstance *instance = PlugInFromNPP(npp);
    if (!instance) return NPERR_NO_ERROR;
    DisposHandle(instance->measureTable);
    DisposHandle(instance->ruptureTable);
    instance->measureTable = instance->ruptureTable = nullptr;
    if (plugInState.plugInInstancePlay == instance) {
        ArreteMusique(1);
        plugInState.plugInInstancePlay = nullptr;
    }
    PlugInDisposeListe(instance);
    PlugInDisposeDoc(instance);
    PlugDisposeMixer(instance);
    PlugInDeletePicture(instance);
    PlugInDisposeTexteKaraoke(instance);
    DeleteFichierCache(instance);
    // The object lives on in the browser as long as something holds it; this one is ours.
    NPN_ReleaseObject(instance->scriptObject);
    instance->scriptObject = nullptr;
    UnlinkInstance(instance);
    if (plugInState.redrawInstance == instance) plugInState.redrawInstance = nullptr;
    if (plugInState.curThis == instance) plugInState.curThis = nullptr;
    NPN_MemFree(instance);
    npp->pdata = nullptr;
    return NPERR_NO_ERROR;
}

void SetCurThis(PlugInInstance *instance) { plugInState.curThis = instance; }
PlugInInstance *GetCurThis() { return plugInState.curThis; }

NPObject *RetrievePlugInObject(NPP npp) {
    PlugInInstance *instance = PlugInFromNPP(npp);
    return instance ? instance->scriptObject : nullptr;
}

SInt16 PlugInQuarterTurns(const PlugInInstance *instance) { return SInt16(((instance->quarterTurns % 4) + 4) % 4); }
SInt16 PlugInKeyboardOctaves(const PlugInInstance *instance) { return Clamp16(instance->keyboardOctaves, 1, 9); }
SInt16 PlugInKeyboardFirstOctave(const PlugInInstance *instance) {
    return Clamp16(instance->keyboardFirstOctave, 0, 10);
}
SInt16 PlugInCurrentPage(const PlugInInstance *instance) { return Clamp16(instance->currentPage, 1, 32767); }
float PlugInLyricsScale(const PlugInInstance *instance) {
    return instance->lyricsScale >= 0.1f ? instance->lyricsScale : 0.1f;  // NaN too
}
SInt16 PlugInListPlayMode(const PlugInInstance *instance) {
    return instance->listPlayMode >= 0 && instance->listPlayMode <= 5 ? instance->listPlayMode : 2;
}
SInt16 PlugInPaperMargin(const PlugInInstance *instance) { return Clamp16(instance->paperMargin, 0, 32767); }
SInt16 PlugInPosSplit(const PlugInInstance *instance) { return Clamp16(instance->posSplit, 0, 32767); }
SInt16 PlugInTitleHeight(const PlugInInstance *instance) {
    return Clamp16(SInt16(instance->titleHeight), 1, 32767);
}
SInt16 PlugInTitleFontSize(const PlugInInstance *instance) {
    return Clamp16(SInt16(instance->titleFontSize), 1, 32767);
}

// Page order: top, then left; an instance goes before one at the same place. Elements whose
// place the page did not give come after the others, in the order they were made.
static Boolean GoesBefore(const PlugInInstance *node, const PlugInInstance *added) {
    if (node->pagePositionKnown != added->pagePositionKnown) return node->pagePositionKnown == 0;
    if (!added->pagePositionKnown) return node->creationSerial > added->creationSerial;
    if (node->pageTop != added->pageTop) return node->pageTop > added->pageTop;
    return node->pageLeft >= added->pageLeft;
}

static void TraceInstanceList() {
    if (!PlugGetTrace()) return;
    char line[kListTraceSize] = "";
    size_t used = 0;
    for (const PlugInInstance *p = plugInState.premiereInstance; p && used < sizeof line - 1; p = p->next) {
        int n = p->pagePositionKnown
                    ? snprintf(line + used, sizeof line - used, " (%ld,%ld)", long(p->pageTop), long(p->pageLeft))
                    : snprintf(line + used, sizeof line - used, " (#%lu)", static_cast<unsigned long>(p->creationSerial));
        if (n < 0) break;
        used += size_t(n);
    }
    PlugTrace("LinkInstance list%s", line);
}

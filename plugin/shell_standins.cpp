// Stand-ins for what the plug-in shell calls of the player's other parts and of the score and
// sound subsystems. Each group is deleted when the code named in its comment arrives.
#include "plugin/shell_standins.h"

#include <cctype>
#include <cstdlib>
#include <unistd.h>

#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "plugin/glue.h"
#include "plugin/host_services.h"
#include "plugin/instance.h"
#include "score/preferences.h"
#include "graphics/quickdraw/window_record.h"

// ---- Start-up, idle and clicks: replaced by the player's start-up and click dispatch ----------

SInt16 resFilePlugIn = -1;

// Opens the plug-in's resource file (so that its version can be read) and sets the interface
// language to English; the fonts, chord diagrams, singing data and sound bank come later.
NPError NPP_Initialize() {
    PlugTrace("-------------------------------------");
    PlugTrace("NPP_Initialize.");
    PlugTrace("NPP_Initialize calls PluginInit.");
    resFilePlugIn = OpenResFile("Ondrak Music Plugin.rsr");
    if (resFilePlugIn < 0) {
        char folder[1024] = "";
        if (!getcwd(folder, sizeof folder)) folder[0] = 0;
        OrvaErreurF("Impossible to find resource file in %s", folder);
    }
    Langue = 1;
    PlugTrace("NPP_Initialize OK.");
    return NPERR_NO_ERROR;
}

void NPP_Shutdown() {
    PlugTrace("NPP_Shutdown");
    if (resFilePlugIn >= 0) CloseResFile(resFilePlugIn);
    resFilePlugIn = -1;
}

// A press is traced as the click dispatcher traces it; nothing else happens yet.
int16_t NPP_HandleEvent(NPP npp, EventRecord *event) {
    if (!PlugInFromNPP(npp) || !event || event->what != mouseDown) return 0;
    PlugTrace("PlugInClick %d %d", event->where.h, event->where.v);
    return 1;
}

void PlugInIdle(PlugInInstance *) {}

// ---- Streams, cache and documents: replaced by the document loader -----------------------------

// The document is accepted and dropped: the instance keeps its loading face.
NPError NPP_NewStream(NPP npp, char *, NPStream *, NPBool, uint16_t *streamType) {
    if (!PlugInFromNPP(npp)) return NPERR_INVALID_INSTANCE_ERROR;
    if (streamType) *streamType = 1;
    return NPERR_NO_ERROR;
}

int32_t NPP_WriteReady(NPP, NPStream *) { return 268435455; }

int32_t NPP_Write(NPP npp, NPStream *, int32_t, int32_t length, void *) {
    PlugTrace("NPP_Write");
    return PlugInFromNPP(npp) ? length : -1;
}

NPError NPP_DestroyStream(NPP npp, NPStream *, NPError) {
    return PlugInFromNPP(npp) ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

void PlugInDisposeDoc(PlugInInstance *) {}
void DeleteFichierCache(PlugInInstance *) {}
SInt32 PlugCalculePosTempsJoue(PlugInInstance *) { return -1; }

// ---- Player interface: replaced by the drawing cycle, layout, karaoke, mixer, play list,
// keyboard and film parts ---------------------------------------------------------------------

Boolean StartDraw(PlugInInstance *instance, PlugInDrawState *state) {
    GetPort(&state->savedPort);
    WindowPtr w = instance && instance->window ? PlugInWindowOf(instance->window) : nullptr;
    if (!w) return kFalse;
    SetPort(&w->port);
    return kTrue;
}

void EndDraw(PlugInInstance *, PlugInDrawState *state) { SetPort(state->savedPort); }

void PlugInCalculeAireAffichables(PlugInInstance *, SInt16, SInt16) {}
void ApplyColorCommand(PlugInInstance *, const char *) {}
void PlugInDeletePicture(PlugInInstance *) {}
void PlugInDisposeTexteKaraoke(PlugInInstance *) {}
void PlugDisposeMixer(PlugInInstance *) {}
void PlugInDisposeListe(PlugInInstance *) {}
void RazTouchesClavier(PlugInInstance *) {}
void PlugPekIdle(PlugInInstance *) {}

// ---- Staff objects: replaced by the colour reader of the text objects ------------------------------

// Up to eight hexadecimal digits as a number; its low three bytes are red, green and blue.
void CvtStrToRGBColor(const char *text, RGBColor *color) {
    UInt32 value = 0;
    for (int i = 0; i < 8 && text && isxdigit(UInt8(text[i])); i++) {
        char digit[2] = {text[i], 0};
        value = value << 4 | UInt32(strtoul(digit, nullptr, 16));
    }
    color->red = UInt16((value >> 16 & 0xFF) << 8);
    color->green = UInt16((value >> 8 & 0xFF) << 8);
    color->blue = UInt16((value & 0xFF) << 8);
}


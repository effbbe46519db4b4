// Stand-ins for what the plug-in shell calls of the player's other parts and of the score and
// sound subsystems, until those exist. Each group names what replaces it; the records here are
// placeholders of the right size or shape for the instance record. Main thread.
#pragma once

#include <cstdio>

#include "plugin/npapi.h"
#include "toolbox/toolbox_services.h"

struct PlugInInstance;

// ---- Records of later parts of the player (replaced by their own headers) ---------------------

// The tutorial film's state inside every instance (the film file format replaces it).
struct FilmProject {
    UInt8 state[1108];
};
// The document's print information: resolutions and page size (page layout replaces it).
struct PlugInPageSetup {
    SInt16 hRes, vRes;  // dots per inch
    Rect page;
};
struct PlugInPlayList;  // the play list (the play-list panel defines it)
// The drawing state StartDraw saves and EndDraw restores (the drawing cycle replaces it).
struct PlugInDrawState {
    GrafPtr savedPort;
};

// ---- Start-up, idle and clicks -------------------------------------------------------------
NPError NPP_Initialize();
void NPP_Shutdown();
int16_t NPP_HandleEvent(NPP npp, EventRecord *event);  // 1 handled
void PlugInIdle(PlugInInstance *instance);
extern SInt16 resFilePlugIn;  // the plug-in's resource file, -1 when not open

// ---- Streams, cache and documents ----------------------------------------------------------
NPError NPP_NewStream(NPP npp, char *type, NPStream *stream, NPBool seekable, uint16_t *streamType);
int32_t NPP_WriteReady(NPP npp, NPStream *stream);
int32_t NPP_Write(NPP npp, NPStream *stream, int32_t offset, int32_t length, void *buffer);
NPError NPP_DestroyStream(NPP npp, NPStream *stream, NPError reason);
void PlugInDisposeDoc(PlugInInstance *instance);
void DeleteFichierCache(PlugInInstance *instance);
SInt32 PlugCalculePosTempsJoue(PlugInInstance *instance);  // ms heard; -1 unless playing

// ---- Player interface ------------------------------------------------------------------------
Boolean StartDraw(PlugInInstance *instance, PlugInDrawState *state);
void EndDraw(PlugInInstance *instance, PlugInDrawState *state);
void PlugInCalculeAireAffichables(PlugInInstance *instance, SInt16 width, SInt16 height);
void ApplyColorCommand(PlugInInstance *instance, const char *name);
void PlugInDeletePicture(PlugInInstance *instance);
void PlugInDisposeTexteKaraoke(PlugInInstance *instance);
void PlugDisposeMixer(PlugInInstance *instance);
void PlugInDisposeListe(PlugInInstance *instance);
void RazTouchesClavier(PlugInInstance *instance);
void PlugPekIdle(PlugInInstance *instance);

// ---- Staff objects ------------------------------------------------------------------------------
void CvtStrToRGBColor(const char *text, RGBColor *color);


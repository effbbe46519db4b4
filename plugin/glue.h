// The library's five exports and the glue between the browser and the plug-in: the plug-in
// function table, the window record each instance gets, painting onto the browser's drawable,
// pointer events, idle work from browser timers or from paint events, and the changed areas
// handed back to the browser. Everything runs on the browser's main thread, inside the
// plug-in critical section (3) except where a routine says otherwise.
#pragma once

#include "toolbox/carbon/plugin_instances.h"
#include "plugin/npapi.h"
#include "toolbox/toolbox_services.h"

struct InvalidationRequest;

// What the glue keeps of an instance's window; the first word is the library's window record.
struct PlugInWindowLink {
    WindowPtr window;              // the library's window of the instance (owned by the library)
    NPP npp;
    void *visual;                  // the browser's Visual, from ws_info; null: the display's default
    InvalidationRequest *pending;  // asynchronous invalidations the browser has not run yet
};

// The window description handed to NPP_SetWindow; stored as the library instance's data word,
// made by the first NPP_GlueSetWindow with a window, freed by NPP_GlueDestroy.
struct PlugInWindow {
    PlugInWindowLink *link;
    SInt32 x, y;           // always 0
    SInt32 width, height;  // pixels, as the browser gives them
    Rect clip;             // -32000, -32000, 32000, 32000
};

#define NP_EXPORT extern "C" __attribute__((visibility("default")))

NP_EXPORT const char *NP_GetMIMEDescription();
// Name (1) and description (2); 9 for anything else, the value untouched.
NP_EXPORT NPError NP_GetValue(void *instance, NPPVariable variable, void *value);
NP_EXPORT const char *NP_GetPluginVersion();
// Starts the plug-in: 3 when the plug-in table is missing or shorter than the slots it fills.
NP_EXPORT NPError NP_Initialize(NPBrowserFuncs *browserFuncs, NPPluginFuncs *pluginFuncs);
// Releases everything NP_Initialize started, joins the timer thread, restores the folder.
NP_EXPORT NPError NP_Shutdown();

// The plug-in table's entries. A null instance answers 2.
NPError NPP_GlueNew(char *pluginType, NPP instance, uint16_t mode, int16_t argc, char *argn[], char *argv[],
                    NPSavedData *saved);
NPError NPP_GlueDestroy(NPP instance, NPSavedData **save);
NPError NPP_GlueSetWindow(NPP instance, NPWindow *window);
NPError NPP_GlueNewStream(NPP instance, char *type, NPStream *stream, NPBool seekable, uint16_t *streamType);
NPError NPP_GlueDestroyStream(NPP instance, NPStream *stream, NPError reason);
void NPP_GlueStreamAsFile(NPP instance, NPStream *stream, const char *fileName);
int32_t NPP_GlueWriteReady(NPP instance, NPStream *stream);
int32_t NPP_GlueWrite(NPP instance, NPStream *stream, int32_t offset, int32_t length, void *buffer);
void NPP_GluePrint(NPP instance, NPPrint *print);
int16_t NPP_GlueEvent(NPP instance, void *event);  // an XEvent; 1 handled
void NPP_GlueURLNotify(NPP instance, const char *url, NPError reason, void *notifyData);
NPError NPP_GlueGetValue(NPP instance, NPPVariable variable, void *value);  // the scriptable object (15); 1 for others
NPError NPP_GlueSetValue(NPP instance, NPNVariable variable, void *value);

// The browser's timer routine: the instance's idle work, then its changed areas.
void NPP_GlueTimer(NPP instance, uint32_t timerId);
// Run by the browser for a queued request: invalidates its rectangle, unless its instance was
// destroyed meanwhile, and frees it.
void NPP_GlueAsyncInvalidate(void *request);
// Hands the changed areas of every plug-in window to the browser and empties them.
void PluginUpdateDirty();
// The same over the windows first() and next() give (tests walk windows of their own).
void PluginUpdateDirtyIn(WindowPtr (*first)(), WindowPtr (*next)(WindowPtr));

// The library's window of a window description, or null.
WindowPtr PlugInWindowOf(const PlugInWindow *window);
// The rectangle of the instance whose window's platform field is instanceId: 0, 0, width,
// height of its PlugInWindow within 0..32767; all zero without one.
void GlueGetInstanceRect(void *instanceId, Rect *r);
// After the library fitted an instance's port: the frame's size goes into its PlugInWindow.
void GlueSetSize(OrvaPluginID id);
// Whether idle work comes from paint events (the browser gave no timer); process-wide.
Boolean PlugInTimerTaskMode();

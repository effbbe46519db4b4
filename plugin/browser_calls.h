// Calls from the plug-in to the browser, one wrapper per slot of the browser's function table.
// A slot that the table's size does not cover, or that the browser left null, answers a
// default instead of being called. Main thread only.
#pragma once

#include "platform/core/mac_types.h"
#include "plugin/npapi.h"

// The browser's table given to NP_Initialize; null before it and after NP_Shutdown.
extern NPBrowserFuncs *browser;

// Whether the browser's table holds the slot at that offset (size covers it, pointer set).
Boolean BrowserHasSlot(size_t offset);
UInt16 BrowserVersion();  // the table's version field, 0 without a table

// Traced wrappers (each traces its own name).
NPError NPN_GetURL(NPP instance, const char *url, const char *target);  // 1 when the slot is missing
void NPN_Status(NPP instance, const char *message);
const char *NPN_UserAgent(NPP instance);  // null when the browser gives none
void *NPN_MemAlloc(uint32_t size);        // null on failure or without the slot
void NPN_MemFree(void *block);            // null does nothing

// Untraced wrappers.
NPError NPN_GetValue(NPP instance, NPNVariable variable, void *value);  // 1 when the slot is missing
NPError NPN_SetValue(NPP instance, NPPVariable variable, void *value);  // 1 when the slot is missing
void NPN_InvalidateRect(NPP instance, NPRect *rect);
NPIdentifier NPN_GetStringIdentifier(const NPUTF8 *name);  // null without the slot
NPUTF8 *NPN_UTF8FromIdentifier(NPIdentifier identifier);   // caller frees with NPN_MemFree; may be null
NPObject *NPN_CreateObject(NPP instance, NPClass *objectClass);  // null without the slot
NPObject *NPN_RetainObject(NPObject *object);
void NPN_ReleaseObject(NPObject *object);  // null does nothing
bool NPN_Invoke(NPP instance, NPObject *object, NPIdentifier method, const NPVariant *args, uint32_t argCount,
                NPVariant *result);
bool NPN_GetProperty(NPP instance, NPObject *object, NPIdentifier property, NPVariant *result);
void NPN_ReleaseVariantValue(NPVariant *variant);
// Queues func(data) on the browser's main thread; false (nothing queued) without the slot.
Boolean NPN_PluginThreadAsyncCall(NPP instance, void (*func)(void *), void *data);
// A repeating or single timer; 0 when the browser gives none (or has no such slot).
uint32_t NPN_ScheduleTimer(NPP instance, uint32_t intervalMs, NPBool repeat, void (*func)(NPP, uint32_t));
void NPN_UnscheduleTimer(NPP instance, uint32_t timerId);

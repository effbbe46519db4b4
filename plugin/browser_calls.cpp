// Calls from the plug-in to the browser through its function table.
#include "plugin/browser_calls.h"

#include <cstring>

#include "platform/core/runtime.h"
#include "plugin/host_services.h"

NPBrowserFuncs *browser;

Boolean BrowserHasSlot(size_t offset) {
    if (!browser || size_t(browser->size) < offset + sizeof(void *)) return kFalse;
    void *slot;
    memcpy(&slot, reinterpret_cast<const char *>(browser) + offset, sizeof slot);
    return slot != nullptr;
}

UInt16 BrowserVersion() { return browser ? browser->version : 0; }

NPError NPN_GetURL(NPP instance, const char *url, const char *target) {
    PlugTrace("NPN_GetURL");
    if (!BrowserHasSlot(offsetof(NPBrowserFuncs, geturl))) return NPERR_GENERIC_ERROR;
    return browser->geturl(instance, url, target);
}

void NPN_Status(NPP instance, const char *message) {
    PlugTrace("NPN_Status");
    if (BrowserHasSlot(offsetof(NPBrowserFuncs, status))) browser->status(instance, message);
}

const char *NPN_UserAgent(NPP instance) {
    PlugTrace("NPN_UserAgent");
    if (!BrowserHasSlot(offsetof(NPBrowserFuncs, uagent))) return nullptr;
    return browser->uagent(instance);
}

void *NPN_MemAlloc(uint32_t size) {
    PlugTrace("NPN_MemAlloc");
    if (!BrowserHasSlot(offsetof(NPBrowserFuncs, memalloc))) return nullptr;
    return browser->memalloc(size);
}

void NPN_MemFree(void *block) {
    PlugTrace("NPN_MemFree");
    if (block && BrowserHasSlot(offsetof(NPBrowserFuncs, memfree))) browser->memfree(block);
}

NPError NPN_GetValue(NPP instance, NPNVariable variable, void *value) {
    if (!BrowserHasSlot(offsetof(NPBrowserFuncs, getvalue))) return NPERR_GENERIC_ERROR;
    return browser->getvalue(instance, variable, value);
}

NPError NPN_SetValue(NPP instance, NPPVariable variable, void *value) {
    if (!BrowserHasSlot(offsetof(NPBrowserFuncs, setvalue))) return NPERR_GENERIC_ERROR;
    return browser->setvalue(instance, variable, value);
}

void NPN_InvalidateRect(NPP instance, NPRect *rect) {
    if (rect && BrowserHasSlot(offsetof(NPBrowserFuncs, invalidaterect))) browser->invalidaterect(instance, rect);
}

NPIdentifier NPN_GetStringIdentifier(const NPUTF8 *name) {
    if (!name || !BrowserHasSlot(offsetof(NPBrowserFuncs, getstringidentifier))) return nullptr;
    return browser->getstringidentifier(name);
}

NPUTF8 *NPN_UTF8FromIdentifier(NPIdentifier identifier) {
    if (!identifier || !BrowserHasSlot(offsetof(NPBrowserFuncs, utf8fromidentifier))) return nullptr;
    return browser->utf8fromidentifier(identifier);
}

NPObject *NPN_CreateObject(NPP instance, NPClass *objectClass) {
    if (!BrowserHasSlot(offsetof(NPBrowserFuncs, createobject))) return nullptr;
    return browser->createobject(instance, objectClass);
}

NPObject *NPN_RetainObject(NPObject *object) {
    if (!object || !BrowserHasSlot(offsetof(NPBrowserFuncs, retainobject))) return object;
    return browser->retainobject(object);
}

void NPN_ReleaseObject(NPObject *object) {
    if (object && BrowserHasSlot(offsetof(NPBrowserFuncs, releaseobject))) browser->releaseobject(object);
}

bool NPN_Invoke(NPP instance, NPObject *object, NPIdentifier method, const NPVariant *args, uint32_t argCount,
                NPVariant *result) {
    if (!object || !method || !BrowserHasSlot(offsetof(NPBrowserFuncs, invoke))) return false;
    return browser->invoke(instance, object, method, args, argCount, result);
}

bool NPN_GetProperty(NPP instance, NPObject *object, NPIdentifier property, NPVariant *result) {
    if (!object || !property || !BrowserHasSlot(offsetof(NPBrowserFuncs, getproperty))) return false;
    return browser->getproperty(instance, object, property, result);
}

void NPN_ReleaseVariantValue(NPVariant *variant) {
    if (variant && BrowserHasSlot(offsetof(NPBrowserFuncs, releasevariantvalue)))
        browser->releasevariantvalue(variant);
}

Boolean NPN_PluginThreadAsyncCall(NPP instance, void (*func)(void *), void *data) {
    if (!BrowserHasSlot(offsetof(NPBrowserFuncs, pluginthreadasynccall))) return kFalse;
    browser->pluginthreadasynccall(instance, func, data);
    return kTrue;
}

uint32_t NPN_ScheduleTimer(NPP instance, uint32_t intervalMs, NPBool repeat, void (*func)(NPP, uint32_t)) {
    if (!BrowserHasSlot(offsetof(NPBrowserFuncs, scheduletimer))) return 0;
    return browser->scheduletimer(instance, intervalMs, repeat, func);
}

void NPN_UnscheduleTimer(NPP instance, uint32_t timerId) {
    if (timerId && BrowserHasSlot(offsetof(NPBrowserFuncs, unscheduletimer)))
        browser->unscheduletimer(instance, timerId);
}

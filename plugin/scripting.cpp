// The scriptable object, the browser's script objects read through the scripting calls, and
// the version text.
#include "plugin/scripting.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "plugin/browser_calls.h"
#include "plugin/documents.h"
#include "plugin/host_services.h"
#include "plugin/instance.h"
#include "plugin/shell_standins.h"
#include "plugin/startup.h"
#include "score/engine_facade.h"

namespace {

// The object as the plug-in allocates it: the browser's header, then its instance.
struct PluginObject {
    NPObject header;
    NPP npp;
};
static_assert(sizeof(PluginObject) == 24, "object record");

enum PropertyKind { kPropertyVersion, kPropertyLoaded, kPropertyTotalDuration, kPropertyPlayedPosition };
struct PropertyRow {
    const char *name;
    PropertyKind kind;
};
const PropertyRow kProperties[] = {
    {"version", kPropertyVersion},
    {"loaded", kPropertyLoaded},
    {"totalduration", kPropertyTotalDuration},
    {"playedposition", kPropertyPlayedPosition},
};

struct LanguageRow {
    char code[3];
    SInt16 language;
};
const LanguageRow kLanguages[] = {{"fr", 0}, {"en", 1}, {"it", 2}, {"de", 3},
                                  {"es", 4}, {"ja", 5}, {"pt", 6}, {"nl", 7}};

constexpr int kMaxOffsetParents = 64;  // a page deeper than this is not walked further
constexpr size_t kVersStringOffset = 6;
constexpr SInt32 kMaxScriptText = 65536;  // longer texts from the page are cut

NPObject *PluginAllocate(NPP npp, NPClass *);
void PluginDeallocate(NPObject *object);
void PluginInvalidate(NPObject *);
bool PluginHasMethod(NPObject *, NPIdentifier);
bool PluginInvoke(NPObject *, NPIdentifier name, const NPVariant *, uint32_t, NPVariant *);
bool PluginInvokeDefault(NPObject *, const NPVariant *, uint32_t, NPVariant *);
bool PluginHasProperty(NPObject *, NPIdentifier name);
bool PluginGetProperty(NPObject *object, NPIdentifier name, NPVariant *result);
bool PluginSetProperty(NPObject *, NPIdentifier name, const NPVariant *value);

NPClass gPluginClass = {kNPClassStructVersion, PluginAllocate,  PluginDeallocate,  PluginInvalidate,
                        PluginHasMethod,       PluginInvoke,    PluginInvokeDefault, PluginHasProperty,
                        PluginGetProperty,     PluginSetProperty, nullptr,          nullptr,
                        nullptr};

const PropertyRow *FindProperty(const char *name);
Boolean ReadObjectProperty(NPP npp, NPObject *object, const char *name, NPVariant *value);
Boolean ReadNumberProperty(NPP npp, NPObject *object, const char *name, double *number);
NPObject *NavigatorObject(NPP npp, NPObject **window);
Boolean ReadNavigatorText(PlugInInstance *instance, const char *name, char *text, SInt32 size, Boolean *noWindow);
SInt32 CopyConverted(const NPString &value, char *text, SInt32 size);

}  // namespace

NPObject *CreatePluginObject(NPP npp) {
    PlugTrace("CreatePluginObject %d", int(BrowserVersion()));
    if (BrowserVersion() < kNPVersionScripting) return nullptr;
    return NPN_CreateObject(npp, &gPluginClass);
}

const NPClass *PluginObjectClass() { return &gPluginClass; }

NPError NPP_GetValue(NPP npp, NPPVariable variable, void *value) {
    if (variable != NPPVpluginScriptableNPObject || !value) return NPERR_GENERIC_ERROR;
    NPObject *object = RetrievePlugInObject(npp);
    *static_cast<NPObject **>(value) = object ? NPN_RetainObject(object) : nullptr;
    return NPERR_NO_ERROR;
}

Boolean GetPluginProperty(NPP npp, const char *name, char text[kPluginPropertyTextSize]) {
    const PropertyRow *row = FindProperty(name);
    PlugInInstance *instance = PlugInFromNPP(npp);
    if (!row || !instance) return kFalse;
    switch (row->kind) {
    case kPropertyVersion: {
        char version[kVersionTextSize];
        GetVersionPlugIn(version);
        snprintf(text, kPluginPropertyTextSize, "%s", version);
        break;
    }
    case kPropertyLoaded: snprintf(text, kPluginPropertyTextSize, "%s", "yes"); break;
    case kPropertyTotalDuration: snprintf(text, kPluginPropertyTextSize, "%ld", long(instance->totalDurationMs)); break;
    case kPropertyPlayedPosition:
        snprintf(text, kPluginPropertyTextSize, "%ld", long(PlugCalculePosTempsJoue(instance)));
        break;
    }
    return kTrue;
}

SInt16 GetBrowserLanguage(PlugInInstance *instance) {
    char code[kVersionTextSize];
    Boolean noWindow = kFalse;
    SInt16 language = 1;
    if (ReadNavigatorText(instance, "language", code, sizeof code, &noWindow)) {
        for (const LanguageRow &row : kLanguages)
            if (strncmp(code, row.code, 2) == 0) language = row.language;
    }
    if (!noWindow) PlugTrace("GetBrowserLanguage : %d", language);
    return language;
}

Boolean GetNavigatorNameByJS(PlugInInstance *instance, char *text, SInt32 size) {
    if (!text || size < 1) return kFalse;
    text[0] = 0;
    Boolean noWindow = kFalse;
    ReadNavigatorText(instance, "userAgent", text, size, &noWindow);
    return !noWindow;
}

Boolean OpenURLByJS(PlugInInstance *instance, const char *url) {
    NPP npp = instance ? instance->npp : nullptr;
    NPObject *window = nullptr;
    if (!url || NPN_GetValue(npp, NPNVWindowNPObject, &window) != NPERR_NO_ERROR || !window) return kFalse;
    const char *texts[3] = {url, "_blank", ""};
    NPVariant args[3], result;
    for (int i = 0; i < 3; i++) {
        args[i].type = NPVariantType_String;
        args[i].value.stringValue = NPString{texts[i], uint32_t(strlen(texts[i]))};
    }
    result.type = NPVariantType_Void;
    bool worked = NPN_Invoke(npp, window, NPN_GetStringIdentifier("open"), args, 3, &result);
    if (worked) NPN_ReleaseVariantValue(&result);
    NPN_ReleaseObject(window);
    return worked;
}

Boolean GetElementPagePosition(NPP npp, SInt32 *top, SInt32 *left) {
    *top = *left = 0;
    NPObject *node = nullptr;
    if (NPN_GetValue(npp, NPNVPluginElementNPObject, &node) != NPERR_NO_ERROR || !node) return kFalse;
    double sumTop = 0, sumLeft = 0;
    Boolean found = kFalse;
    for (int depth = 0; node && depth < kMaxOffsetParents; depth++) {
        double t, l;
        if (!ReadNumberProperty(npp, node, "offsetTop", &t) || !ReadNumberProperty(npp, node, "offsetLeft", &l))
            break;
        sumTop += t;
        sumLeft += l;
        found = kTrue;
        NPVariant parent;
        NPObject *up = nullptr;
        if (ReadObjectProperty(npp, node, "offsetParent", &parent)) {
            if (parent.type == NPVariantType_Object) up = NPN_RetainObject(parent.value.objectValue);
            NPN_ReleaseVariantValue(&parent);
        }
        NPN_ReleaseObject(node);
        node = up;
    }
    NPN_ReleaseObject(node);
    auto clamp = [](double v) { return SInt32(v < -2e9 ? -2e9 : v > 2e9 ? 2e9 : v); };
    *top = clamp(sumTop);
    *left = clamp(sumLeft);
    return found;
}

void GetVersionPlugIn(char text[kVersionTextSize]) {
    text[0] = 0;
    if (resFilePlugIn < 0) return;
    SInt16 saved = CurResFile();
    UseResFile(resFilePlugIn);
    Handle vers = Get1Resource(FourCC("vers"), 1);
    // Two version bytes, a stage, a build and a region code, then the short version string.
    if (vers && *vers) {
        size_t size = GetHandleSize(vers);
        const UInt8 *bytes = reinterpret_cast<const UInt8 *>(*vers);
        if (size > kVersStringOffset) {
            size_t length = bytes[kVersStringOffset];
            if (length > size - kVersStringOffset - 1) length = size - kVersStringOffset - 1;
            if (length > size_t(kVersionTextSize) - 3) length = size_t(kVersionTextSize) - 3;
            memcpy(text, bytes + kVersStringOffset + 1, length);
            text[length] = 0;
        }
        if (IsApplicationOnUSBDevice()) strcat(text, " N");
        ReleaseResource(vers);
    }
    UseResFile(saved);
}

namespace {

NPObject *PluginAllocate(NPP npp, NPClass *) {
    PlugTrace("pluginAllocate");
    PluginObject *object = static_cast<PluginObject *>(calloc(1, sizeof(PluginObject)));
    if (!object) {
        PlugTrace("****** pluginAllocate mem err ");
        return nullptr;
    }
    object->npp = npp;
    return &object->header;
}

void PluginDeallocate(NPObject *object) {
    PlugTrace("pluginDeallocate");
    free(reinterpret_cast<PluginObject *>(object));
}

void PluginInvalidate(NPObject *) { PlugTrace("pluginInvalidate"); }

bool PluginHasMethod(NPObject *, NPIdentifier) { return false; }

bool PluginInvoke(NPObject *, NPIdentifier name, const NPVariant *, uint32_t, NPVariant *) {
    NPUTF8 *text = NPN_UTF8FromIdentifier(name);
    PlugTrace("pluginInvoke %s", text ? text : "");
    NPN_MemFree(text);
    return false;
}

bool PluginInvokeDefault(NPObject *, const NPVariant *, uint32_t, NPVariant *) {
    PlugTrace("pluginInvokeDefault");
    return false;
}

// Only the object's own four names: claiming every name would hide the element's own
// properties ("id", "style") from the page.
bool PluginHasProperty(NPObject *, NPIdentifier name) {
    NPUTF8 *text = NPN_UTF8FromIdentifier(name);
    bool known = FindProperty(text) != nullptr;
    NPN_MemFree(text);
    return known;
}

bool PluginGetProperty(NPObject *object, NPIdentifier name, NPVariant *result) {
    if (!object || !result) return false;
    NPUTF8 *identifier = NPN_UTF8FromIdentifier(name);
    char *text = static_cast<char *>(malloc(kPluginPropertyTextSize));
    bool made = text && GetPluginProperty(reinterpret_cast<PluginObject *>(object)->npp, identifier, text);
    NPN_MemFree(identifier);
    char *copy = nullptr;
    size_t length = made ? strlen(text) : 0;
    if (made) copy = static_cast<char *>(NPN_MemAlloc(uint32_t(length + 1)));
    if (copy) memcpy(copy, text, length + 1);
    free(text);
    if (!copy) return false;
    result->type = NPVariantType_String;
    result->value.stringValue = NPString{copy, uint32_t(length)};
    return true;
}

bool PluginSetProperty(NPObject *, NPIdentifier name, const NPVariant *value) {
    NPUTF8 *text = NPN_UTF8FromIdentifier(name);
    long word = value && (value->type == NPVariantType_Int32 || value->type == NPVariantType_Bool)
                    ? long(value->value.intValue)
                    : 0;
    PlugTrace("pluginSetProperty %s %ld", text ? text : "", word);
    NPN_MemFree(text);
    return true;
}

const PropertyRow *FindProperty(const char *name) {
    if (!name) return nullptr;
    for (const PropertyRow &row : kProperties)
        if (strcasecmp(name, row.name) == 0) return &row;
    return nullptr;
}

Boolean ReadObjectProperty(NPP npp, NPObject *object, const char *name, NPVariant *value) {
    value->type = NPVariantType_Void;
    return NPN_GetProperty(npp, object, NPN_GetStringIdentifier(name), value);
}

Boolean ReadNumberProperty(NPP npp, NPObject *object, const char *name, double *number) {
    NPVariant value;
    if (!ReadObjectProperty(npp, object, name, &value)) return kFalse;
    Boolean isNumber = kTrue;
    if (value.type == NPVariantType_Int32) *number = value.value.intValue;
    else if (value.type == NPVariantType_Double && std::isfinite(value.value.doubleValue))
        *number = value.value.doubleValue;
    else isNumber = kFalse;
    NPN_ReleaseVariantValue(&value);
    return isNumber;
}

// The page's navigator object (one reference the caller releases); the window object too, in
// *window, or null when the browser refused it.
NPObject *NavigatorObject(NPP npp, NPObject **window) {
    *window = nullptr;
    NPError err = NPN_GetValue(npp, NPNVWindowNPObject, window);
    if (err != NPERR_NO_ERROR || !*window) {
        PlugTrace("NPN_GetValue err %d", int(err));
        *window = nullptr;
        return nullptr;
    }
    NPVariant navigator;
    if (!ReadObjectProperty(npp, *window, "navigator", &navigator)) return nullptr;
    NPObject *object = navigator.type == NPVariantType_Object ? NPN_RetainObject(navigator.value.objectValue) : nullptr;
    NPN_ReleaseVariantValue(&navigator);
    return object;
}

// A text property of navigator, converted from UTF-8; false when it could not be read.
Boolean ReadNavigatorText(PlugInInstance *instance, const char *name, char *text, SInt32 size, Boolean *noWindow) {
    text[0] = 0;
    NPP npp = instance ? instance->npp : nullptr;
    NPObject *window;
    NPObject *navigator = NavigatorObject(npp, &window);
    *noWindow = window == nullptr;
    Boolean read = kFalse;
    NPVariant value;
    if (navigator && ReadObjectProperty(npp, navigator, name, &value)) {
        if (value.type == NPVariantType_String) read = CopyConverted(value.value.stringValue, text, size) >= 0;
        NPN_ReleaseVariantValue(&value);
    }
    NPN_ReleaseObject(navigator);
    NPN_ReleaseObject(window);
    return read;
}

// The browser's text is not terminated: exactly its length is converted.
SInt32 CopyConverted(const NPString &value, char *text, SInt32 size) {
    text[0] = 0;
    if (!value.UTF8Characters || value.UTF8Length == 0) return 0;
    SInt32 length = value.UTF8Length > kMaxScriptText ? kMaxScriptText : SInt32(value.UTF8Length);
    SInt32 count = 0;
    EncodedStr converted = UTFTextToWindows(value.UTF8Characters, 0, length, &count);
    if (!converted) return -1;
    if (count > size - 1) count = size - 1;
    if (count < 0) count = 0;
    memcpy(text, converted, size_t(count));
    text[count] = 0;
    DisposeEncodedStr(converted);
    return count;
}

}  // namespace

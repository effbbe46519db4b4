// The browser plug-in interface as this plug-in uses it: the records and function tables the
// browser and the plug-in exchange, with its scripting extension, laid out for x86-64 Linux.
// Offsets the plug-in relies on are pinned below, so a change of layout fails to compile.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int16_t NPError;
typedef unsigned char NPBool;
typedef char NPUTF8;
typedef void *NPIdentifier;  // the browser's interned name; compared by address

enum : NPError {
    NPERR_NO_ERROR = 0,
    NPERR_GENERIC_ERROR = 1,
    NPERR_INVALID_INSTANCE_ERROR = 2,
    NPERR_INVALID_FUNCTABLE_ERROR = 3,
    NPERR_OUT_OF_MEMORY_ERROR = 5,
    NPERR_INVALID_PARAM = 9,
};

enum : uint16_t { NP_EMBED = 1, NP_FULL = 2 };  // the mode of a new instance
enum : uint16_t { NP_NORMAL = 1 };               // a stream written block by block
// Why a stream ended (NPP_DestroyStream's reason).
enum : NPError { NPRES_DONE = 0, NPRES_NETWORK_ERR = 1, NPRES_USER_BREAK = 2 };

// The browser's version numbers from which a slot or feature exists.
enum : uint16_t { kNPVersionScripting = 14 };

// What the plug-in asks of the browser (NPN_GetValue).
enum NPNVariable : int32_t {
    NPNVxDisplay = 1,
    NPNVToolkit = 13,
    NPNVSupportsXEmbedBool = 14,
    NPNVWindowNPObject = 15,         // the page's window object; the caller releases it
    NPNVPluginElementNPObject = 16,  // the embed element; the caller releases it
    NPNVSupportsWindowless = 17,     // an NPBool
};

// What the browser asks of the plug-in, or tells it (NPP_GetValue, NPN_SetValue).
enum NPPVariable : int32_t {
    NPPVpluginNameString = 1,
    NPPVpluginDescriptionString = 2,
    NPPVpluginWindowBool = 3,   // set to false: the plug-in draws into the browser's drawable
    NPPVpluginScriptableNPObject = 15,
};

struct NPP_t {
    void *pdata;  // the plug-in's record of the instance (PlugInInstance), or null
    void *ndata;  // the browser's
};
typedef NPP_t *NPP;

struct NPRect {  // unsigned, right and bottom exclusive
    uint16_t top;
    uint16_t left;
    uint16_t bottom;
    uint16_t right;
};

enum NPWindowType : int32_t { NPWindowTypeWindow = 1, NPWindowTypeDrawable = 2 };

struct NPWindow {
    void *window;      // null for a windowless instance
    int32_t x;         // position of the instance on the drawable
    int32_t y;
    uint32_t width;    // pixels
    uint32_t height;
    NPRect clipRect;
    void *ws_info;     // NPSetWindowCallbackStruct on X11
    NPWindowType type;
};

// The X11 side of a window description (the X types are kept opaque here, so that the X
// headers, whose names clash with the Toolbox's, stay out of the plug-in's headers).
struct NPSetWindowCallbackStruct {
    int32_t type;
    void *display;           // Display *
    void *visual;            // Visual *
    unsigned long colormap;  // Colormap
    unsigned int depth;
};

struct NPStream {
    void *pdata;
    void *ndata;
    const char *url;
    uint32_t end;           // announced length, 0 unknown
    uint32_t lastmodified;
    void *notifyData;
    const char *headers;
};

struct NPSavedData {
    int32_t len;
    void *buf;
};

struct NPPrint;  // never read: printing does not go through the browser

// ---- Scripting --------------------------------------------------------------------------------

struct NPClass;
struct NPObject {
    NPClass *_class;
    uint32_t referenceCount;
};

struct NPString {
    const NPUTF8 *UTF8Characters;  // not NUL-terminated
    uint32_t UTF8Length;
};

enum NPVariantType : int32_t {
    NPVariantType_Void = 0,
    NPVariantType_Null = 1,
    NPVariantType_Bool = 2,
    NPVariantType_Int32 = 3,
    NPVariantType_Double = 4,
    NPVariantType_String = 5,
    NPVariantType_Object = 6,
};

struct NPVariant {
    NPVariantType type;
    union {
        bool boolValue;
        int32_t intValue;
        double doubleValue;
        NPString stringValue;  // characters from NPN_MemAlloc when the plug-in hands it over
        NPObject *objectValue;
    } value;
};

typedef NPObject *(*NPAllocateFunctionPtr)(NPP npp, NPClass *aClass);
typedef void (*NPDeallocateFunctionPtr)(NPObject *npobj);
typedef void (*NPInvalidateFunctionPtr)(NPObject *npobj);
typedef bool (*NPHasMethodFunctionPtr)(NPObject *npobj, NPIdentifier name);
typedef bool (*NPInvokeFunctionPtr)(NPObject *npobj, NPIdentifier name, const NPVariant *args, uint32_t argCount,
                                    NPVariant *result);
typedef bool (*NPInvokeDefaultFunctionPtr)(NPObject *npobj, const NPVariant *args, uint32_t argCount,
                                           NPVariant *result);
typedef bool (*NPHasPropertyFunctionPtr)(NPObject *npobj, NPIdentifier name);
typedef bool (*NPGetPropertyFunctionPtr)(NPObject *npobj, NPIdentifier name, NPVariant *result);
typedef bool (*NPSetPropertyFunctionPtr)(NPObject *npobj, NPIdentifier name, const NPVariant *value);
typedef bool (*NPRemovePropertyFunctionPtr)(NPObject *npobj, NPIdentifier name);
typedef bool (*NPEnumerationFunctionPtr)(NPObject *npobj, NPIdentifier **value, uint32_t *count);
typedef bool (*NPConstructFunctionPtr)(NPObject *npobj, const NPVariant *args, uint32_t argCount,
                                       NPVariant *result);

enum : uint32_t { kNPClassStructVersion = 3 };

struct NPClass {
    uint32_t structVersion;
    NPAllocateFunctionPtr allocate;
    NPDeallocateFunctionPtr deallocate;
    NPInvalidateFunctionPtr invalidate;
    NPHasMethodFunctionPtr hasMethod;
    NPInvokeFunctionPtr invoke;
    NPInvokeDefaultFunctionPtr invokeDefault;
    NPHasPropertyFunctionPtr hasProperty;
    NPGetPropertyFunctionPtr getProperty;
    NPSetPropertyFunctionPtr setProperty;
    NPRemovePropertyFunctionPtr removeProperty;
    NPEnumerationFunctionPtr enumerate;
    NPConstructFunctionPtr construct;
};

// ---- The browser's function table ------------------------------------------------------------

typedef NPError (*NPNGetURLProc)(NPP instance, const char *url, const char *window);
typedef void (*NPNStatusProc)(NPP instance, const char *message);
typedef const char *(*NPNUserAgentProc)(NPP instance);
typedef void *(*NPNMemAllocProc)(uint32_t size);
typedef void (*NPNMemFreeProc)(void *ptr);
typedef NPError (*NPNGetValueProc)(NPP instance, NPNVariable variable, void *value);
typedef NPError (*NPNSetValueProc)(NPP instance, NPPVariable variable, void *value);
typedef void (*NPNInvalidateRectProc)(NPP instance, NPRect *rect);
typedef NPIdentifier (*NPNGetStringIdentifierProc)(const NPUTF8 *name);
typedef NPUTF8 *(*NPNUTF8FromIdentifierProc)(NPIdentifier identifier);  // caller frees with memfree
typedef NPObject *(*NPNCreateObjectProc)(NPP npp, NPClass *aClass);
typedef NPObject *(*NPNRetainObjectProc)(NPObject *obj);
typedef void (*NPNReleaseObjectProc)(NPObject *obj);
typedef bool (*NPNInvokeProc)(NPP npp, NPObject *obj, NPIdentifier methodName, const NPVariant *args,
                              uint32_t argCount, NPVariant *result);
typedef bool (*NPNGetPropertyProc)(NPP npp, NPObject *obj, NPIdentifier propertyName, NPVariant *result);
typedef void (*NPNReleaseVariantValueProc)(NPVariant *variant);
typedef void (*NPNPluginThreadAsyncCallProc)(NPP instance, void (*func)(void *), void *userData);
typedef uint32_t (*NPNScheduleTimerProc)(NPP instance, uint32_t interval, NPBool repeat,
                                         void (*timerFunc)(NPP npp, uint32_t timerID));
typedef void (*NPNUnscheduleTimerProc)(NPP instance, uint32_t timerID);
typedef void (*NPNUnusedProc)();  // slots the plug-in never calls

// In the interface's slot order; a browser fills only the slots its size field covers.
struct NPBrowserFuncs {
    uint16_t size;     // bytes of the table the browser filled
    uint16_t version;  // the browser's interface version
    NPNGetURLProc geturl;
    NPNUnusedProc posturl;
    NPNUnusedProc requestread;
    NPNUnusedProc newstream;
    NPNUnusedProc write;
    NPNUnusedProc destroystream;
    NPNStatusProc status;
    NPNUserAgentProc uagent;
    NPNMemAllocProc memalloc;
    NPNMemFreeProc memfree;
    NPNUnusedProc memflush;
    NPNUnusedProc reloadplugins;
    NPNUnusedProc reserved12;
    NPNUnusedProc reserved13;
    NPNUnusedProc geturlnotify;
    NPNUnusedProc posturlnotify;
    NPNGetValueProc getvalue;
    NPNSetValueProc setvalue;
    NPNInvalidateRectProc invalidaterect;
    NPNUnusedProc invalidateregion;
    NPNUnusedProc forceredraw;
    NPNGetStringIdentifierProc getstringidentifier;
    NPNUnusedProc getstringidentifiers;
    NPNUnusedProc getintidentifier;
    NPNUnusedProc identifierisstring;
    NPNUTF8FromIdentifierProc utf8fromidentifier;
    NPNUnusedProc intfromidentifier;
    NPNCreateObjectProc createobject;
    NPNRetainObjectProc retainobject;
    NPNReleaseObjectProc releaseobject;
    NPNInvokeProc invoke;
    NPNUnusedProc invokeDefault;
    NPNUnusedProc evaluate;
    NPNGetPropertyProc getproperty;
    NPNUnusedProc setproperty;
    NPNUnusedProc removeproperty;
    NPNUnusedProc hasproperty;
    NPNUnusedProc hasmethod;
    NPNReleaseVariantValueProc releasevariantvalue;
    NPNUnusedProc setexception;
    NPNUnusedProc pushpopupsenabledstate;
    NPNUnusedProc poppopupsenabledstate;
    NPNUnusedProc enumerate;
    NPNPluginThreadAsyncCallProc pluginthreadasynccall;
    NPNUnusedProc construct;
    NPNUnusedProc getvalueforurl;
    NPNUnusedProc setvalueforurl;
    NPNUnusedProc getauthenticationinfo;
    NPNScheduleTimerProc scheduletimer;
    NPNUnscheduleTimerProc unscheduletimer;
};

// ---- The plug-in's function table ------------------------------------------------------------

typedef NPError (*NPPNewProc)(char *pluginType, NPP instance, uint16_t mode, int16_t argc, char *argn[],
                              char *argv[], NPSavedData *saved);
typedef NPError (*NPPDestroyProc)(NPP instance, NPSavedData **save);
typedef NPError (*NPPSetWindowProc)(NPP instance, NPWindow *window);
typedef NPError (*NPPNewStreamProc)(NPP instance, char *type, NPStream *stream, NPBool seekable, uint16_t *stype);
typedef NPError (*NPPDestroyStreamProc)(NPP instance, NPStream *stream, NPError reason);
typedef void (*NPPStreamAsFileProc)(NPP instance, NPStream *stream, const char *fname);
typedef int32_t (*NPPWriteReadyProc)(NPP instance, NPStream *stream);
typedef int32_t (*NPPWriteProc)(NPP instance, NPStream *stream, int32_t offset, int32_t len, void *buffer);
typedef void (*NPPPrintProc)(NPP instance, NPPrint *platformPrint);
typedef int16_t (*NPPHandleEventProc)(NPP instance, void *event);
typedef void (*NPPURLNotifyProc)(NPP instance, const char *url, NPError reason, void *notifyData);
typedef NPError (*NPPGetValueProc)(NPP instance, NPPVariable variable, void *value);
typedef NPError (*NPPSetValueProc)(NPP instance, NPNVariable variable, void *value);

struct NPPluginFuncs {
    uint16_t size;     // bytes the browser made room for
    uint16_t version;
    NPPNewProc newp;
    NPPDestroyProc destroy;
    NPPSetWindowProc setwindow;
    NPPNewStreamProc newstream;
    NPPDestroyStreamProc destroystream;
    NPPStreamAsFileProc asfile;
    NPPWriteReadyProc writeready;
    NPPWriteProc write;
    NPPPrintProc print;
    NPPHandleEventProc event;
    NPPURLNotifyProc urlnotify;
    void *reserved;  // left as the browser gave it
    NPPGetValueProc getvalue;
    NPPSetValueProc setvalue;
};

// The five functions the library exports.
extern "C" {
typedef const char *(*NPGetMIMEDescriptionProc)();
typedef NPError (*NPGetValueProc)(void *instance, NPPVariable variable, void *value);
typedef NPError (*NPInitializeProc)(NPBrowserFuncs *browserFuncs, NPPluginFuncs *pluginFuncs);
typedef NPError (*NPShutdownProc)();
typedef const char *(*NPGetPluginVersionProc)();
}

// ---- The layout the plug-in and the browser must agree on (x86-64) ---------------------------

static_assert(sizeof(void *) == 8, "the table offsets below are those of 64-bit builds");
static_assert(offsetof(NPPluginFuncs, setvalue) == 112 && sizeof(NPPluginFuncs) == 120, "plug-in table");
static_assert(offsetof(NPPluginFuncs, newp) == 8 && offsetof(NPPluginFuncs, event) == 80 &&
                  offsetof(NPPluginFuncs, urlnotify) == 88 && offsetof(NPPluginFuncs, getvalue) == 104,
              "plug-in table slots");
static_assert(offsetof(NPBrowserFuncs, geturl) == 8 && offsetof(NPBrowserFuncs, status) == 56 &&
                  offsetof(NPBrowserFuncs, uagent) == 64 && offsetof(NPBrowserFuncs, memalloc) == 72 &&
                  offsetof(NPBrowserFuncs, memfree) == 80,
              "browser table: URL, status, user agent and memory slots");
static_assert(offsetof(NPBrowserFuncs, getvalue) == 136 && offsetof(NPBrowserFuncs, setvalue) == 144 &&
                  offsetof(NPBrowserFuncs, invalidaterect) == 152,
              "browser table: value and invalidation slots");
static_assert(offsetof(NPBrowserFuncs, getstringidentifier) == 176 &&
                  offsetof(NPBrowserFuncs, utf8fromidentifier) == 208 &&
                  offsetof(NPBrowserFuncs, createobject) == 224 && offsetof(NPBrowserFuncs, retainobject) == 232 &&
                  offsetof(NPBrowserFuncs, releaseobject) == 240 && offsetof(NPBrowserFuncs, invoke) == 248 &&
                  offsetof(NPBrowserFuncs, getproperty) == 272 &&
                  offsetof(NPBrowserFuncs, releasevariantvalue) == 312,
              "browser table: scripting slots");
static_assert(offsetof(NPBrowserFuncs, pluginthreadasynccall) == 352 &&
                  offsetof(NPBrowserFuncs, scheduletimer) == 392 &&
                  offsetof(NPBrowserFuncs, unscheduletimer) == 400,
              "browser table: asynchronous call and timer slots");
static_assert(sizeof(NPWindow) == 48 && offsetof(NPWindow, ws_info) == 32, "window description");
static_assert(sizeof(NPObject) == 16 && sizeof(NPVariant) == 24 && offsetof(NPVariant, value) == 8, "scripting");
static_assert(sizeof(NPRect) == 8 && sizeof(NPString) == 16 && sizeof(NPClass) == 104, "small records");

// The emulated browser: its function table, script objects, timers, queued calls, drawables
// and the log.
#include "browser_host.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

enum HostObjectKind { kWindowObject, kNavigatorObject, kElementObject };

// The host's own script objects: the page's window, its navigator and the embed elements.
struct HostObject {
    NPObject header;
    HostObjectKind kind;
    int instance;
};

struct HostInstance {
    int index;
    NPP_t npp;
    NpHostElement element;
    NpHostParams params;
    std::vector<char *> names, values;  // argn and argv as NPP_New gets them
    bool alive = false;
    NPWindow window;
    NPSetWindowCallbackStruct wsInfo;
    Pixmap drawable = 0;
    NPObject *pluginObject = nullptr;
    bool invalid = false;  // an area was invalidated since the last paint
    NPRect invalidArea;
};

struct HostTimer {
    uint32_t id;
    int instance;
    uint32_t interval;
    bool repeat;
    void (*func)(NPP, uint32_t);
    Clock::time_point due;
};

struct QueuedCall {
    int instance;
    void (*func)(void *);
    void *data;
};

struct HostState {
    bool running = false;
    NpHostOptions options;
    NpHostPlugin plugin{};
    NPBrowserFuncs browserTable;
    std::vector<unsigned char> pluginTableBytes;  // the room the host made, size field first
    NPPluginFuncs pluginTable;
    std::vector<std::unique_ptr<HostInstance>> instances;
    std::map<std::string, std::unique_ptr<std::string>> identifiers;
    std::vector<HostTimer> timers;
    uint32_t nextTimerId = 1;
    std::vector<QueuedCall> queued;
    std::vector<std::string> log;
    long allocations = 0, blocksAlive = 0, objectsAlive = 0;
    Display *display = nullptr;
    long traceOffset = 0;
};
HostState gHost;

NPClass gHostClass;  // filled at start

int IndexOf(NPP npp) {
    for (auto &instance : gHost.instances)
        if (&instance->npp == npp) return instance->index;
    return 0;
}

HostInstance *Instance(int index) {
    if (index < 1 || index > int(gHost.instances.size())) return nullptr;
    return gHost.instances[size_t(index - 1)].get();
}

std::string Rect(const NPRect &r) {
    char text[96];
    snprintf(text, sizeof text, "[%u,%u,%u,%u]", r.top, r.left, r.bottom, r.right);
    return text;
}

void Log(const std::string &call, int instance, const std::string &rest = "") {
    std::string line = "{\"call\":" + NpHostJsonText(call);
    if (instance) line += ",\"instance\":" + std::to_string(instance);
    if (!rest.empty()) line += "," + rest;
    line += "}";
    NpHostLogLine(line);
}

// ---- The browser's table ---------------------------------------------------------------------

NPError HostGetURL(NPP npp, const char *url, const char *target) {
    Log("geturl", IndexOf(npp), "\"url\":" + NpHostJsonText(url ? url : "") + ",\"target\":" +
                                    NpHostJsonText(target ? target : ""));
    return NPERR_NO_ERROR;
}

void HostStatus(NPP npp, const char *message) {
    Log("status", IndexOf(npp), "\"message\":" + NpHostJsonText(message ? message : ""));
}

const char *HostUserAgent(NPP npp) {
    Log("uagent", IndexOf(npp));
    return gHost.options.userAgent.c_str();
}

void *HostMemAlloc(uint32_t size) {
    bool fail = gHost.options.failAllocAfter >= 0 && gHost.allocations >= gHost.options.failAllocAfter;
    gHost.allocations++;
    void *block = fail ? nullptr : malloc(size ? size : 1);
    if (block) gHost.blocksAlive++;
    Log("memalloc", 0, "\"size\":" + std::to_string(size) + ",\"given\":" + (block ? "true" : "false"));
    return block;
}

void HostMemFree(void *block) {
    if (!block) return;
    gHost.blocksAlive--;
    free(block);
}

char *HostCopy(const std::string &text) {
    char *copy = static_cast<char *>(malloc(text.size() + 1));
    memcpy(copy, text.c_str(), text.size() + 1);
    gHost.blocksAlive++;
    return copy;
}

NPObject *HostCreateObject(NPP npp, NPClass *objectClass);

NPObject *NewHostObject(HostObjectKind kind, int instance) {
    HostObject *object = reinterpret_cast<HostObject *>(HostCreateObject(Instance(instance) ? &Instance(instance)->npp : nullptr, &gHostClass));
    object->kind = kind;
    object->instance = instance;
    return &object->header;
}

NPError HostGetValue(NPP npp, NPNVariable variable, void *value) {
    int index = IndexOf(npp);
    NPError result = NPERR_GENERIC_ERROR;
    switch (variable) {
    case NPNVSupportsWindowless:
        *static_cast<NPBool *>(value) = gHost.options.windowless;
        result = NPERR_NO_ERROR;
        break;
    case NPNVxDisplay:
        *static_cast<Display **>(value) = gHost.display;
        result = NPERR_NO_ERROR;
        break;
    case NPNVWindowNPObject:
        if (gHost.options.browserVersion >= kNPVersionScripting) {
            *static_cast<NPObject **>(value) = NewHostObject(kWindowObject, index);
            result = NPERR_NO_ERROR;
        }
        break;
    case NPNVPluginElementNPObject:
        if (gHost.options.browserVersion >= kNPVersionScripting && Instance(index) && Instance(index)->element.placed) {
            *static_cast<NPObject **>(value) = NewHostObject(kElementObject, index);
            result = NPERR_NO_ERROR;
        }
        break;
    default:
        break;
    }
    Log("getvalue", index, "\"variable\":" + std::to_string(int(variable)) + ",\"result\":" + std::to_string(result));
    return result;
}

NPError HostSetValue(NPP npp, NPPVariable variable, void *value) {
    Log("setvalue", IndexOf(npp), "\"variable\":" + std::to_string(int(variable)) + ",\"value\":" +
                                      std::to_string(uintptr_t(value)));
    return NPERR_NO_ERROR;
}

void HostInvalidateRect(NPP npp, NPRect *rect) {
    int index = IndexOf(npp);
    Log("invalidaterect", index, "\"rect\":" + Rect(*rect));
    HostInstance *instance = Instance(index);
    if (!instance || !instance->alive) {
        Log("dead-instance", index);
        return;
    }
    if (!instance->invalid) {
        instance->invalidArea = *rect;
    } else {
        NPRect &a = instance->invalidArea;
        a.top = std::min(a.top, rect->top);
        a.left = std::min(a.left, rect->left);
        a.bottom = std::max(a.bottom, rect->bottom);
        a.right = std::max(a.right, rect->right);
    }
    instance->invalid = true;
}

NPIdentifier HostGetStringIdentifier(const NPUTF8 *name) {
    auto &slot = gHost.identifiers[name];
    if (!slot) slot.reset(new std::string(name));
    return slot.get();
}

NPUTF8 *HostUTF8FromIdentifier(NPIdentifier identifier) {
    return HostCopy(*static_cast<std::string *>(identifier));
}

std::string NameOf(NPIdentifier identifier) { return identifier ? *static_cast<std::string *>(identifier) : ""; }

NPObject *HostCreateObject(NPP npp, NPClass *objectClass) {
    NPObject *object = objectClass->allocate ? objectClass->allocate(npp, objectClass)
                                             : static_cast<NPObject *>(calloc(1, sizeof(NPObject)));
    if (!object) return nullptr;
    object->_class = objectClass;
    object->referenceCount = 1;
    gHost.objectsAlive++;
    if (objectClass != &gHostClass) {
        int index = IndexOf(npp);
        Log("createobject", index);
        if (Instance(index) && !Instance(index)->pluginObject) Instance(index)->pluginObject = object;
    }
    return object;
}

NPObject *HostRetainObject(NPObject *object) {
    if (object) object->referenceCount++;
    return object;
}

void HostReleaseObject(NPObject *object) {
    if (!object || --object->referenceCount > 0) return;
    for (auto &instance : gHost.instances)
        if (instance->pluginObject == object) instance->pluginObject = nullptr;
    gHost.objectsAlive--;
    if (object->_class && object->_class->deallocate) object->_class->deallocate(object);
    else free(object);
}

bool HostInvoke(NPP npp, NPObject *object, NPIdentifier method, const NPVariant *args, uint32_t count,
                NPVariant *result) {
    std::string list;
    for (uint32_t i = 0; i < count; i++) {
        if (i) list += ",";
        list += args[i].type == NPVariantType_String
                    ? NpHostJsonText(std::string(args[i].value.stringValue.UTF8Characters,
                                                 args[i].value.stringValue.UTF8Length))
                    : "null";
    }
    Log("invoke", IndexOf(npp), "\"method\":" + NpHostJsonText(NameOf(method)) + ",\"args\":[" + list + "]");
    if (!object->_class->invoke) return false;
    return object->_class->invoke(object, method, args, count, result);
}

bool HostGetProperty(NPP npp, NPObject *object, NPIdentifier name, NPVariant *result) {
    Log("getproperty", IndexOf(npp), "\"name\":" + NpHostJsonText(NameOf(name)));
    if (!object->_class->getProperty) return false;
    return object->_class->getProperty(object, name, result);
}

void HostReleaseVariantValue(NPVariant *variant) {
    if (variant->type == NPVariantType_String) HostMemFree(const_cast<NPUTF8 *>(variant->value.stringValue.UTF8Characters));
    if (variant->type == NPVariantType_Object) HostReleaseObject(variant->value.objectValue);
    variant->type = NPVariantType_Void;
}

void HostAsyncCall(NPP npp, void (*func)(void *), void *data) {
    Log("pluginthreadasynccall", IndexOf(npp));
    gHost.queued.push_back(QueuedCall{IndexOf(npp), func, data});
}

uint32_t HostScheduleTimer(NPP npp, uint32_t interval, NPBool repeat, void (*func)(NPP, uint32_t)) {
    uint32_t id = gHost.nextTimerId++;
    gHost.timers.push_back(
        HostTimer{id, IndexOf(npp), interval, repeat != 0, func, Clock::now() + std::chrono::milliseconds(interval)});
    Log("scheduletimer", IndexOf(npp), "\"interval\":" + std::to_string(interval) + ",\"repeat\":" +
                                           (repeat ? "true" : "false") + ",\"id\":" + std::to_string(id));
    return id;
}

void HostUnscheduleTimer(NPP npp, uint32_t id) {
    Log("unscheduletimer", IndexOf(npp), "\"id\":" + std::to_string(id));
    gHost.timers.erase(std::remove_if(gHost.timers.begin(), gHost.timers.end(),
                                      [id](const HostTimer &t) { return t.id == id; }),
                       gHost.timers.end());
}

// ---- The host's script objects ---------------------------------------------------------------

NPObject *HostAllocate(NPP, NPClass *) { return static_cast<NPObject *>(calloc(1, sizeof(HostObject))); }
void HostDeallocate(NPObject *object) { free(object); }

// A browser's string is not terminated: bytes that are not part of it follow the text.
NPVariant StringVariant(const std::string &text) {
    const size_t kTail = 16;
    char *copy = static_cast<char *>(malloc(text.size() + kTail));
    memcpy(copy, text.data(), text.size());
    memset(copy + text.size(), 'Z', kTail - 1);
    copy[text.size() + kTail - 1] = 0;
    gHost.blocksAlive++;
    NPVariant v;
    v.type = NPVariantType_String;
    v.value.stringValue = NPString{copy, uint32_t(text.size())};
    return v;
}

bool HostObjectGetProperty(NPObject *object, NPIdentifier name, NPVariant *result) {
    const HostObject *host = reinterpret_cast<const HostObject *>(object);
    std::string property = NameOf(name);
    HostInstance *instance = Instance(host->instance);
    switch (host->kind) {
    case kWindowObject:
        if (property != "navigator") return false;
        result->type = NPVariantType_Object;
        result->value.objectValue = NewHostObject(kNavigatorObject, host->instance);
        return true;
    case kNavigatorObject:
        if (property == "language") *result = StringVariant(gHost.options.language);
        else if (property == "userAgent") *result = StringVariant(gHost.options.userAgent);
        else return false;
        return true;
    case kElementObject:
        if (!instance) return false;
        if (property == "offsetTop" || property == "offsetLeft") {
            result->type = NPVariantType_Double;
            result->value.doubleValue = property == "offsetTop" ? instance->element.top : instance->element.left;
            return true;
        }
        if (property == "offsetParent") {
            result->type = NPVariantType_Null;
            return true;
        }
        return false;
    }
    return false;
}

bool HostObjectInvoke(NPObject *object, NPIdentifier method, const NPVariant *, uint32_t, NPVariant *result) {
    const HostObject *host = reinterpret_cast<const HostObject *>(object);
    if (host->kind != kWindowObject || NameOf(method) != "open") return false;
    result->type = NPVariantType_Void;
    return true;
}

// ---- Calls into the plug-in --------------------------------------------------------------------

void AfterCall(const std::string &call, int instance, const std::string &rest = "") {
    Log(call, instance, rest);
    NpHostReadTrace();
}

bool HasDisplay() { return gHost.display != nullptr; }

XEvent BaseEvent(HostInstance *instance, int type) {
    XEvent event;
    memset(&event, 0, sizeof event);
    event.type = type;
    event.xany.display = gHost.display;
    event.xany.window = instance->drawable;
    return event;
}

int16_t SendEvent(HostInstance *instance, XEvent *event, const std::string &what) {
    int16_t handled = gHost.pluginTable.event(&instance->npp, event);
    AfterCall("NPP_HandleEvent", instance->index, "\"event\":" + NpHostJsonText(what) + ",\"result\":" +
                                                       std::to_string(handled));
    return handled;
}

void FireDueTimers() {
    Clock::time_point now = Clock::now();
    std::vector<HostTimer> due;
    for (HostTimer &timer : gHost.timers) {
        if (timer.due > now) continue;
        due.push_back(timer);
        timer.due += std::chrono::milliseconds(timer.interval ? timer.interval : 1);
        if (timer.due < now) timer.due = now + std::chrono::milliseconds(timer.interval);
    }
    for (const HostTimer &timer : due) {
        HostInstance *instance = Instance(timer.instance);
        if (!instance || !instance->alive) continue;
        if (!timer.repeat) HostUnscheduleTimer(&instance->npp, timer.id);
        timer.func(&instance->npp, timer.id);
        AfterCall("timer", timer.instance, "\"id\":" + std::to_string(timer.id));
    }
}

}  // namespace

bool NpHostStart(const NpHostOptions &options) {
    if (gHost.running) return false;
    gHost = HostState();
    gHost.running = true;
    gHost.options = options;
    gHostClass = NPClass{kNPClassStructVersion, HostAllocate, HostDeallocate, nullptr, nullptr, HostObjectInvoke,
                         nullptr, nullptr, HostObjectGetProperty, nullptr, nullptr, nullptr, nullptr};
    NPBrowserFuncs &b = gHost.browserTable;
    memset(&b, 0, sizeof b);
    b.size = sizeof b;
    b.version = options.browserVersion;
    b.geturl = HostGetURL;
    b.status = HostStatus;
    b.uagent = HostUserAgent;
    b.memalloc = HostMemAlloc;
    b.memfree = HostMemFree;
    b.getvalue = HostGetValue;
    b.setvalue = HostSetValue;
    b.invalidaterect = HostInvalidateRect;
    b.getstringidentifier = HostGetStringIdentifier;
    b.utf8fromidentifier = HostUTF8FromIdentifier;
    b.createobject = HostCreateObject;
    b.retainobject = HostRetainObject;
    b.releaseobject = HostReleaseObject;
    b.invoke = HostInvoke;
    b.getproperty = HostGetProperty;
    b.releasevariantvalue = HostReleaseVariantValue;
    if (options.asyncCalls) b.pluginthreadasynccall = HostAsyncCall;
    if (options.timers) {
        b.scheduletimer = HostScheduleTimer;
        b.unscheduletimer = HostUnscheduleTimer;
    }
    if (getenv("DISPLAY")) gHost.display = XOpenDisplay(nullptr);
    // The trace file of an earlier run stays in the plug-in's folder: only new lines are read.
    if (!options.traceFolder.empty())
        if (FILE *f = fopen((options.traceFolder + "/OndrakMusicPlugin.txt").c_str(), "rb")) {
            if (fseek(f, 0, SEEK_END) == 0) gHost.traceOffset = ftell(f);
            fclose(f);
        }
    return true;
}

void NpHostStop() {
    for (auto &instance : gHost.instances) {
        if (instance->drawable && gHost.display) XFreePixmap(gHost.display, instance->drawable);
        for (char *p : instance->names) free(p);
        for (char *p : instance->values) free(p);
    }
    if (gHost.display) XCloseDisplay(gHost.display);
    FILE *log = gHost.options.log;
    if (log) fflush(log);
    gHost = HostState();
}

NPError NpHostInitialize(const NpHostPlugin &plugin) {
    gHost.plugin = plugin;
    if (plugin.getMIMEDescription) {
        const char *mime = plugin.getMIMEDescription();
        Log("NP_GetMIMEDescription", 0, "\"result\":" + NpHostJsonText(mime ? mime : ""));
    }
    if (plugin.getValue) {
        for (int variable : {int(NPPVpluginNameString), int(NPPVpluginDescriptionString)}) {
            const char *text = nullptr;
            NPError err = plugin.getValue(nullptr, NPPVariable(variable), &text);
            Log("NP_GetValue", 0, "\"variable\":" + std::to_string(variable) + ",\"result\":" + std::to_string(err) +
                                      ",\"value\":" + NpHostJsonText(text ? text : ""));
        }
    }
    // The plug-in sees only the room the host made: the size field says how much.
    size_t room = std::max<size_t>(gHost.options.pluginTableSize, 4);
    gHost.pluginTableBytes.assign(std::max(room, sizeof(NPPluginFuncs)), 0);
    NPPluginFuncs *table = reinterpret_cast<NPPluginFuncs *>(gHost.pluginTableBytes.data());
    table->size = gHost.options.pluginTableSize;
    table->version = gHost.options.browserVersion;
    NPError result = plugin.initialize(&gHost.browserTable, table);
    memcpy(&gHost.pluginTable, table, sizeof gHost.pluginTable);
    if (room < sizeof(NPPluginFuncs)) {
        // Slots past the room the browser made must stay untouched.
        bool written = false;
        for (size_t i = room; i < sizeof(NPPluginFuncs); i++) written |= gHost.pluginTableBytes[i] != 0;
        if (written) Log("table-overrun", 0);
        memset(reinterpret_cast<char *>(&gHost.pluginTable) + room, 0, sizeof(NPPluginFuncs) - room);
    }
    AfterCall("NP_Initialize", 0, "\"result\":" + std::to_string(result));
    return result;
}

NPError NpHostShutdown() {
    NPError result = NPERR_NO_ERROR;
    if (gHost.plugin.shutdown) result = gHost.plugin.shutdown();
    AfterCall("NP_Shutdown", 0, "\"result\":" + std::to_string(result));
    return result;
}

const NPPluginFuncs &NpHostPluginTable() { return gHost.pluginTable; }

void NpHostSetTraceFolder(const std::string &folder) {
    gHost.options.traceFolder = folder;
    gHost.traceOffset = 0;
}

void NpHostSetNavigator(const std::string &language, const std::string &userAgent) {
    gHost.options.language = language;
    gHost.options.userAgent = userAgent;
}

int NpHostNew(const NpHostParams &params, const NpHostElement &element, NPError *result) {
    gHost.instances.emplace_back(new HostInstance());
    HostInstance &instance = *gHost.instances.back();
    instance.index = int(gHost.instances.size());
    instance.npp = NPP_t{nullptr, &instance};
    instance.element = element;
    instance.params = params;
    for (const NpHostParam &param : params) {
        instance.names.push_back(strdup(param.name.c_str()));
        instance.values.push_back(param.hasValue ? strdup(param.value.c_str()) : nullptr);
    }
    char type[] = "application/x-ondrak-music";
    NPError err = NPERR_GENERIC_ERROR;
    if (gHost.pluginTable.newp) {
        instance.alive = true;
        err = gHost.pluginTable.newp(type, &instance.npp, NP_EMBED, int16_t(params.size()), instance.names.data(),
                                     instance.values.data(), nullptr);
        instance.alive = err == NPERR_NO_ERROR;
    }
    AfterCall("NPP_New", instance.index, "\"result\":" + std::to_string(err));
    if (result) *result = err;
    return instance.index;
}

NPP NpHostInstance(int index) { return Instance(index) ? &Instance(index)->npp : nullptr; }

NPError NpHostSetWindow(int index) {
    HostInstance *instance = Instance(index);
    if (!instance || !gHost.pluginTable.setwindow) return NPERR_INVALID_INSTANCE_ERROR;
    int width = std::max(1, instance->element.width), height = std::max(1, instance->element.height);
    if (gHost.display && !instance->drawable) {
        int screen = DefaultScreen(gHost.display);
        instance->drawable = XCreatePixmap(gHost.display, RootWindow(gHost.display, screen), unsigned(width),
                                           unsigned(height), unsigned(DefaultDepth(gHost.display, screen)));
        // The plug-in paints through a connection of its own: the server must know the pixmap
        // before the plug-in names it, or its first paints are refused and lost.
        XSync(gHost.display, False);
        instance->wsInfo = NPSetWindowCallbackStruct{0, gHost.display, DefaultVisual(gHost.display, screen),
                                                     DefaultColormap(gHost.display, screen),
                                                     unsigned(DefaultDepth(gHost.display, screen))};
    }
    instance->window = NPWindow{nullptr, 0, 0, uint32_t(instance->element.width), uint32_t(instance->element.height),
                                NPRect{0, 0, uint16_t(height), uint16_t(width)},
                                gHost.display ? &instance->wsInfo : nullptr, NPWindowTypeDrawable};
    NPError err = gHost.pluginTable.setwindow(&instance->npp, &instance->window);
    AfterCall("NPP_SetWindow", index, "\"width\":" + std::to_string(instance->element.width) + ",\"height\":" +
                                          std::to_string(instance->element.height) + ",\"result\":" +
                                          std::to_string(err));
    return err;
}

NPError NpHostDestroy(int index) {
    HostInstance *instance = Instance(index);
    if (!instance || !instance->alive || !gHost.pluginTable.destroy) return NPERR_INVALID_INSTANCE_ERROR;
    NPSavedData *saved = nullptr;
    NPError err = gHost.pluginTable.destroy(&instance->npp, &saved);
    instance->alive = false;
    for (char *p : instance->names) free(p);
    for (char *p : instance->values) free(p);
    instance->names.clear();
    instance->values.clear();
    gHost.timers.erase(std::remove_if(gHost.timers.begin(), gHost.timers.end(),
                                      [index](const HostTimer &t) { return t.instance == index; }),
                       gHost.timers.end());
    AfterCall("NPP_Destroy", index, "\"result\":" + std::to_string(err) + ",\"pdata\":" +
                                        (instance->npp.pdata ? "\"kept\"" : "null"));
    return err;
}

void NpHostDestroyAll() {
    for (auto &instance : gHost.instances)
        if (instance->alive) NpHostDestroy(instance->index);
}

bool NpHostExpose(int index, int x, int y, int width, int height) {
    HostInstance *instance = Instance(index);
    if (!instance || !HasDisplay() || !instance->drawable || !gHost.pluginTable.event) return false;
    XEvent event = BaseEvent(instance, GraphicsExpose);
    event.xgraphicsexpose.drawable = instance->drawable;
    event.xgraphicsexpose.x = x;
    event.xgraphicsexpose.y = y;
    // The test browser gives the right and bottom edges in these two fields.
    event.xgraphicsexpose.width = gHost.options.realExposeSize ? width : x + width;
    event.xgraphicsexpose.height = gHost.options.realExposeSize ? height : y + height;
    SendEvent(instance, &event, "GraphicsExpose");
    return true;
}

bool NpHostButton(int index, bool press, int x, int y, unsigned button, unsigned state) {
    HostInstance *instance = Instance(index);
    if (!instance || !gHost.pluginTable.event) return false;
    XEvent event = BaseEvent(instance, press ? ButtonPress : ButtonRelease);
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = button;
    event.xbutton.state = state;
    SendEvent(instance, &event, press ? "ButtonPress" : "ButtonRelease");
    return true;
}

bool NpHostMotion(int index, int x, int y) {
    HostInstance *instance = Instance(index);
    if (!instance || !gHost.pluginTable.event) return false;
    XEvent event = BaseEvent(instance, MotionNotify);
    event.xmotion.x = x;
    event.xmotion.y = y;
    SendEvent(instance, &event, "MotionNotify");
    return true;
}

bool NpHostLeave(int index) {
    HostInstance *instance = Instance(index);
    if (!instance || !gHost.pluginTable.event) return false;
    XEvent event = BaseEvent(instance, LeaveNotify);
    SendEvent(instance, &event, "LeaveNotify");
    return true;
}

bool NpHostKey(int index, bool press, unsigned keycode, unsigned state) {
    HostInstance *instance = Instance(index);
    if (!instance || !gHost.pluginTable.event) return false;
    XEvent event = BaseEvent(instance, press ? KeyPress : KeyRelease);
    event.xkey.keycode = keycode;
    event.xkey.state = state;
    SendEvent(instance, &event, press ? "KeyPress" : "KeyRelease");
    return true;
}

bool NpHostPixel(int index, int x, int y, uint32_t *rgb) {
    HostInstance *instance = Instance(index);
    if (!instance || !HasDisplay() || !instance->drawable) return false;
    if (x < 0 || y < 0 || x >= instance->element.width || y >= instance->element.height) return false;
    XImage *image = XGetImage(gHost.display, instance->drawable, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return false;
    *rgb = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return true;
}

bool NpHostDrawableOf(int index, void **display, unsigned long *drawable) {
    HostInstance *instance = Instance(index);
    if (!instance || !HasDisplay() || !instance->drawable) return false;
    *display = gHost.display;
    *drawable = instance->drawable;
    return true;
}

bool NpHostFillDrawable(int index, uint32_t rgb) {
    HostInstance *instance = Instance(index);
    if (!instance || !HasDisplay() || !instance->drawable) return false;
    GC gc = XCreateGC(gHost.display, instance->drawable, 0, nullptr);
    XSetForeground(gHost.display, gc, rgb);
    XFillRectangle(gHost.display, instance->drawable, gc, 0, 0, unsigned(instance->element.width),
                   unsigned(instance->element.height));
    XFreeGC(gHost.display, gc);
    XSync(gHost.display, False);
    return true;
}

int NpHostOpen(const NpHostParams &params, const NpHostElement &element) {
    NPError result = NPERR_GENERIC_ERROR;
    int index = NpHostNew(params, element, &result);
    return result == NPERR_NO_ERROR && NpHostSetWindow(index) == NPERR_NO_ERROR ? index : 0;
}

void NpHostEnd() {
    NpHostDestroyAll();
    NpHostRunQueued();
    NpHostShutdown();
    NpHostStop();
}

bool NpHostStream(int index, const std::string &path, size_t chunk, long destroyAfterChunks) {
    NpHostStreamOptions options;
    options.chunk = chunk;
    options.destroyAfterChunks = destroyAfterChunks;
    return NpHostStreamWith(index, path, options);
}

bool NpHostStreamWith(int index, const std::string &path, const NpHostStreamOptions &options) {
    HostInstance *instance = Instance(index);
    if (!instance || !instance->alive) return false;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
        Log("stream-missing", index, "\"path\":" + NpHostJsonText(path));
        return false;
    }
    fseek(f, 0, SEEK_END);
    long length = ftell(f);
    fseek(f, 0, SEEK_SET);
    std::string url = options.url.empty() ? "file://" + path : options.url;
    NPStream stream = {nullptr, nullptr, url.c_str(), uint32_t(length > 0 ? length : 0), 0, nullptr, nullptr};
    uint16_t type = 0;
    char mime[] = "application/octet-stream";
    NPError err = gHost.pluginTable.newstream(&instance->npp, mime, &stream, 0, &type);
    AfterCall("NPP_NewStream", index, "\"result\":" + std::to_string(err));
    if (err != NPERR_NO_ERROR) {
        fclose(f);
        return true;  // refused by the plug-in, which is its answer
    }
    std::vector<char> block(options.chunk ? options.chunk : 4096);
    int32_t offset = 0;
    long chunks = 0;
    NPError reason = options.endReason;
    size_t n;
    while ((n = fread(block.data(), 1, block.size(), f)) > 0) {
        if (options.endAfterBytes >= 0 && offset + long(n) > options.endAfterBytes) n = size_t(options.endAfterBytes - offset);
        if (n == 0) break;
        int32_t ready = gHost.pluginTable.writeready(&instance->npp, &stream);
        int32_t taken = gHost.pluginTable.write(&instance->npp, &stream, offset, int32_t(n), block.data());
        AfterCall("NPP_Write", index, "\"ready\":" + std::to_string(ready) + ",\"length\":" + std::to_string(n) +
                                          ",\"result\":" + std::to_string(taken));
        offset += int32_t(n);
        if (options.destroyAfterChunks >= 0 && ++chunks >= options.destroyAfterChunks) {
            fclose(f);
            NpHostDestroy(index);
            return true;
        }
        if (taken < 0) {
            reason = 1;  // the browser gives up a stream the plug-in refused
            break;
        }
    }
    fclose(f);
    err = gHost.pluginTable.destroystream(&instance->npp, &stream, reason);
    AfterCall("NPP_DestroyStream", index, "\"result\":" + std::to_string(err) + ",\"reason\":" + std::to_string(reason));
    return true;
}

NPObject *NpHostPluginObject(int index) { return Instance(index) ? Instance(index)->pluginObject : nullptr; }

void NpHostProbeObject(int index, const std::vector<std::string> &names) {
    NPObject *object = NpHostPluginObject(index);
    if (!object) {
        Log("probe", index, "\"object\":null");
        return;
    }
    for (const std::string &name : names) {
        NPIdentifier id = HostGetStringIdentifier(name.c_str());
        bool has = object->_class->hasProperty && object->_class->hasProperty(object, id);
        NPVariant value;
        value.type = NPVariantType_Void;
        bool got = object->_class->getProperty && object->_class->getProperty(object, id, &value);
        std::string text = got && value.type == NPVariantType_String
                               ? NpHostJsonText(std::string(value.value.stringValue.UTF8Characters,
                                                            value.value.stringValue.UTF8Length))
                               : "null";
        if (got) HostReleaseVariantValue(&value);
        AfterCall("probe", index, "\"name\":" + NpHostJsonText(name) + ",\"has\":" + (has ? "true" : "false") +
                                      ",\"value\":" + text);
    }
}

NPError NpHostGetValue(int index, int variable) {
    HostInstance *instance = Instance(index);
    if (!instance || !gHost.pluginTable.getvalue) return NPERR_INVALID_INSTANCE_ERROR;
    void *value = nullptr;
    NPError err = gHost.pluginTable.getvalue(&instance->npp, NPPVariable(variable), &value);
    AfterCall("NPP_GetValue", index, "\"variable\":" + std::to_string(variable) + ",\"result\":" + std::to_string(err));
    // The scriptable object comes with a reference for the browser, which gives it back.
    if (err == NPERR_NO_ERROR && variable == NPPVpluginScriptableNPObject && value)
        HostReleaseObject(static_cast<NPObject *>(value));
    return err;
}

void NpHostRunQueued() {
    while (!gHost.queued.empty()) {
        QueuedCall call = gHost.queued.front();
        gHost.queued.erase(gHost.queued.begin());
        call.func(call.data);
        AfterCall("async-run", call.instance, "");
    }
}

void NpHostPaintInvalidated() {
    for (auto &instance : gHost.instances) {
        if (!instance->alive || !instance->invalid) continue;
        NPRect area = instance->invalidArea;
        instance->invalid = false;
        NpHostExpose(instance->index, area.left, area.top, area.right - area.left, area.bottom - area.top);
    }
}

void NpHostRun(double seconds) {
    Clock::time_point end = Clock::now() + std::chrono::microseconds(long(seconds * 1e6));
    while (Clock::now() < end) {
        FireDueTimers();
        NpHostRunQueued();
        bool painted = false;
        for (auto &instance : gHost.instances) painted |= instance->alive && instance->invalid;
        NpHostPaintInvalidated();
        if (!painted) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

const std::vector<std::string> &NpHostLog() { return gHost.log; }

void NpHostLogLine(const std::string &json) {
    gHost.log.push_back(json);
    if (gHost.options.log) {
        fputs(json.c_str(), gHost.options.log);
        fputc('\n', gHost.options.log);
    }
}

// Lines are "d/m/yyyy hh:mm:ss:message"; only the message is kept.
void NpHostReadTrace() {
    if (gHost.options.traceFolder.empty()) return;
    FILE *f = fopen((gHost.options.traceFolder + "/OndrakMusicPlugin.txt").c_str(), "rb");
    if (!f) return;
    fseek(f, gHost.traceOffset, SEEK_SET);
    std::string text;
    char block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) text.append(block, n);
    fclose(f);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        size_t space = line.find(' ');
        std::string message = space != std::string::npos && line.size() >= space + 10 ? line.substr(space + 10) : line;
        NpHostLogLine("{\"trace\":" + NpHostJsonText(message) + "}");
    }
    gHost.traceOffset += long(start);
}

long NpHostObjectsAlive() { return gHost.objectsAlive; }
long NpHostBlocksAlive() { return gHost.blocksAlive; }

std::string NpHostJsonText(const std::string &text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

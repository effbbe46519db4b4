// An emulated browser for the plug-in: its function table, instances with their parameters
// and places on the page, timers, queued calls, X drawables and pointer events, streams, and a
// JSON-lines log of every call between the two. One host per process (the browser's table
// gives its callbacks no context); main thread only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "plugin/npapi.h"

struct NpHostOptions {
    uint16_t pluginTableSize = sizeof(NPPluginFuncs);  // what the host makes room for
    uint16_t browserVersion = 27;
    bool windowless = true;        // the answer to "supports windowless"
    bool timers = false;           // the timer slots are filled
    bool asyncCalls = true;        // the asynchronous-call slot is filled
    std::string language = "en-US";   // navigator.language
    std::string userAgent = "nphost/1.0 (X11; Linux x86_64)";
    long failAllocAfter = -1;      // allocations that work before every later one fails; -1 never
    bool realExposeSize = false;   // GraphicsExpose width/height as sizes (else as right/bottom)
    std::string traceFolder;       // where the plug-in writes its trace; "" none read
    FILE *log = nullptr;           // lines are also written here
};

// The plug-in's exports, found by dlsym or linked in.
struct NpHostPlugin {
    NPGetMIMEDescriptionProc getMIMEDescription;
    NPGetValueProc getValue;
    NPInitializeProc initialize;
    NPShutdownProc shutdown;
};

// One parameter of the element; a parameter without value reaches the plug-in as a null value.
struct NpHostParam {
    std::string name, value;
    bool hasValue = true;
};
typedef std::vector<NpHostParam> NpHostParams;

// The element of an instance: its size and its place on the page (known: the element object
// answers offsetTop and offsetLeft).
struct NpHostElement {
    int width = 640, height = 480;
    bool placed = true;
    int top = 0, left = 0;
};

bool NpHostStart(const NpHostOptions &options);  // false when one is already running
void NpHostStop();                               // frees what the host holds
NPError NpHostInitialize(const NpHostPlugin &plugin);
NPError NpHostShutdown();
const NPPluginFuncs &NpHostPluginTable();
void NpHostSetTraceFolder(const std::string &folder);  // trace read from there, from its start
void NpHostSetNavigator(const std::string &language, const std::string &userAgent);

// Makes an instance (1-based index, in creation order); *result gets NPP_New's answer.
int NpHostNew(const NpHostParams &params, const NpHostElement &element, NPError *result);
NPP NpHostInstance(int index);  // null for an unknown index
NPError NpHostSetWindow(int index);  // a drawable window description of the element's size
// An instance with its window; its index, or 0 when either is refused.
int NpHostOpen(const NpHostParams &params, const NpHostElement &element);
NPError NpHostDestroy(int index);
void NpHostDestroyAll();  // in creation order
// Destroys every instance, runs the calls they queued, shuts the plug-in down and stops.
void NpHostEnd();

// X events for the instance (need a display; false without one).
bool NpHostExpose(int index, int x, int y, int width, int height);
bool NpHostButton(int index, bool press, int x, int y, unsigned button, unsigned state);
bool NpHostMotion(int index, int x, int y);
bool NpHostLeave(int index);
bool NpHostKey(int index, bool press, unsigned keycode, unsigned state);
// The pixel the instance painted at (x, y) of its drawable, 0xRRGGBB; false without one.
bool NpHostPixel(int index, int x, int y, uint32_t *rgb);
// The host's X connection and the instance's drawable; false without them.
bool NpHostDrawableOf(int index, void **display, unsigned long *drawable);
// Fills the drawable with one colour (to see what a paint covered).
bool NpHostFillDrawable(int index, uint32_t rgb);

// How a stream is sent. A write the plug-in refuses (a negative answer) ends the stream with a
// network error, as a browser does.
struct NpHostStreamOptions {
    size_t chunk = 4096;            // bytes of each write
    long destroyAfterChunks = -1;   // the instance is destroyed after that many writes; -1 never
    std::string url;                // the address announced; "" for file:// and the path
    NPError endReason = 0;          // the reason the stream ends with (1: a network error)
    long endAfterBytes = -1;        // the stream ends after that many bytes; -1 at the file's end
};

// Streams path to the instance; false when the file cannot be read or the instance is gone.
bool NpHostStreamWith(int index, const std::string &path, const NpHostStreamOptions &options);
// The same in chunks, destroying the instance after destroyAfterChunks chunks (never when negative).
bool NpHostStream(int index, const std::string &path, size_t chunk, long destroyAfterChunks);
// The object the plug-in made for the instance through createobject, or null.
NPObject *NpHostPluginObject(int index);
// Calls hasProperty and getProperty of the instance's object for each name; logged.
void NpHostProbeObject(int index, const std::vector<std::string> &names);
// Asks the plug-in's get-value entry for a variable; logged.
NPError NpHostGetValue(int index, int variable);

void NpHostRunQueued();          // the queued asynchronous calls, in order
// Runs as a browser would for seconds of real time: due timers, queued calls, and a paint of
// each instance with invalidated areas.
void NpHostRun(double seconds);
// Paints every instance with invalidated areas once (after queued calls ran).
void NpHostPaintInvalidated();

const std::vector<std::string> &NpHostLog();  // every line so far
void NpHostLogLine(const std::string &json);
void NpHostReadTrace();           // the plug-in's new trace lines into the log
long NpHostObjectsAlive();        // objects made through createobject and not yet freed
long NpHostBlocksAlive();         // blocks from memalloc not yet freed
std::string NpHostJsonText(const std::string &text);  // quoted and escaped

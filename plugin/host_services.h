// What the plug-in host gives the portability library: its settings and its message routines
// (the trace log and the fatal-error report behind the runtime's Collapse, Message and PlugTrace).
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 {
    kCollapseAlertID = 300,
    kHeldTraceLines = 64,
};

// Fills orvaSettings for the plug-in (name "Ondrak Music Plug-in", flags set, the
// instance-rectangle callback), installs the message routines and records the calling thread
// as the main thread. From then on PlugTrace appends to the trace log "OndrakMusicPlugin.txt"
// (current folder, else the folders PlugTraceFolders names) while tracing is on; Collapse
// traces "Collapse : <message>" and shows alert 300 with the message as its first parameter
// text; Message shows it without the trace; warning codes go to PlugInAvertissementVrac. From
// another thread than the main one the message goes to the error sink instead of the alert.
void OrvaInitSettings();

// Where the trace log goes when the current folder refuses it: the preferences folder, then
// the private cache folder. Main thread, once the folder tree is known.
void PlugTraceFolders();

// The trace switch (off at start); any thread.
void PlugSetTrace(Boolean on);
Boolean PlugGetTrace();
// While holding is on and tracing off, the last kHeldTraceLines lines are kept with their time
// instead of being lost; turning tracing on writes them first. Holding off drops them.
void PlugHoldTrace(Boolean hold);

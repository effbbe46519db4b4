// What the plug-in host gives the portability library: its settings and its message routines
// (the trace log and the fatal-error report behind the runtime's Collapse, Message and PlugTrace).
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 { kCollapseAlertID = 300 };

// Fills orvaSettings for the plug-in (name "Ondrak Music Plug-in", flags set, the
// instance-rectangle callback), installs the message routines and records the calling thread
// as the main thread. From then on PlugTrace appends to the trace log "OndrakMusicPlugin.txt"
// (current folder, else the temporary folder) while tracing is on; Collapse traces
// "Collapse : <message>" and shows alert 300 with the message as its first parameter text;
// Message shows it without the trace. From another thread than the main one the message goes
// to the error sink instead of the alert.
void OrvaInitSettings();

// The trace switch (off at start); any thread.
void PlugSetTrace(Boolean on);
Boolean PlugGetTrace();

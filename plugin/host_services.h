// What the plug-in host gives the portability library: its settings, the name of the sound
// output device, the trace log and the fatal-error report.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 {
    kDigitalOutputDeviceSize = 4096,  // bytes of the device-name buffer
    kCollapseMessageSize = 512,       // bytes of a Collapse message with its terminator
    kCollapseAlertID = 300,
    kHeldTraceLines = 64,
};

// Fills orvaSettings for the plug-in (name "Ondrak Music Plug-in", flags set, the
// instance-rectangle callback) and records the calling thread as the main thread.
void OrvaInitSettings();
// The process-wide buffer (kDigitalOutputDeviceSize bytes) naming the chosen sound output device.
char *OrvaGetDigitalOutputDevice();

// The trace switch (off at start) and the trace log "OndrakMusicPlugin.txt", written in the
// current folder or else the temporary folder; any thread.
void PlugSetTrace(Boolean on);
Boolean PlugGetTrace();
// While holding is on and tracing off, the last kHeldTraceLines lines are kept with their time
// instead of being lost; turning tracing on writes them first. Holding off drops them.
void PlugHoldTrace(Boolean hold);
void PlugTrace(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Reports a condition fatal to the operation in hand: traces "Collapse : <message>" and shows
// alert 300 with the message as its first parameter text. Returns to its caller. From
// another thread than the main one, the message goes to the error sink instead of the alert.
void Collapse(const char *format, ...) __attribute__((format(printf, 1, 2)));

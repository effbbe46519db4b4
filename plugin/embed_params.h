// Instance creation from an embed element: the record, its defaults, and every parameter of
// the element applied to it. Main thread, inside the plug-in critical section.
#pragma once

#include "platform/core/mac_types.h"
#include "plugin/npapi.h"

struct PlugInInstance;

// Makes the instance's record (npp->pdata): 2 without npp, 5 when the browser cannot allocate
// it, else 0. Names are matched ignoring case and applied in order, the later one winning;
// null names are skipped and null values read as "".
NPError NPP_New(char *pluginType, NPP npp, uint16_t mode, int16_t argc, char *argn[], char *argv[],
                NPSavedData *saved);

// Applies the element's parameters, in order, to a record holding its defaults, as NPP_New
// does; *width and *height get WIDTH and HEIGHT (0 when not given).
void PlugInApplyParams(PlugInInstance *instance, int16_t argc, char *argn[], char *argv[], SInt16 *width,
                       SInt16 *height);

// Turns tracing on when the parameters ask for it (DEBUG), as NPP_New would: for an instance
// refused before NPP_New runs.
void PlugInTraceIfAsked(int16_t argc, char *argn[], char *argv[]);

// The parameter words: "OFF", "NONE", "NO", "FALSE", "NON", "0" and "ON", "OK", "YES", "TRUE",
// "OUI", "1", any case.
Boolean PlugInIsFalseWord(const char *value);
Boolean PlugInIsTrueWord(const char *value);
// Replaces each "%" and the (up to) two characters after it by the byte they give in
// hexadecimal; the result is cut to size - 1 bytes at a character boundary and terminated.
void PlugInPercentDecode(const char *value, char *out, size_t size);

// The preference store of this platform. It keeps nothing: every preference reads as its
// default and writes are dropped.
#pragma once

#include "platform/core/mac_types.h"

void SystemDependantInitPref();  // nothing to prepare
// Copies defaultValue into value (at most valueSize bytes with the terminator) and returns
// the length copied; 0 when value is null or valueSize is not positive.
SInt32 SystemDependantGetPrefString(const char *section, const char *key, const char *defaultValue, char *value,
                                    SInt32 valueSize);
void SystemDependantSetPrefString(const char *section, const char *key, const char *value);  // does nothing

// The platform's preference store, which keeps nothing here: every preference reads as its
// default and writes are dropped.
#pragma once

#include "platform/core/mac_types.h"

void SystemDependantInitPref();
void SystemDependantSetPrefString(const char *section, const char *key, const char *value);  // dropped
// Copies defaultValue into value (which must hold it) and answers its length.
SInt32 SystemDependantGetPrefString(const char *section, const char *key, const char *defaultValue, char *value);

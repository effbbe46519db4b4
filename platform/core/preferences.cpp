// The empty preference store.
#include "platform/core/preferences.h"

#include <cstring>

void SystemDependantInitPref() {}

void SystemDependantSetPrefString(const char *, const char *, const char *) {}

SInt32 SystemDependantGetPrefString(const char *, const char *, const char *defaultValue, char *value) {
    if (value == nullptr) return 0;
    if (defaultValue == nullptr) defaultValue = "";
    size_t length = strlen(defaultValue);
    memmove(value, defaultValue, length + 1);
    return SInt32(length);
}

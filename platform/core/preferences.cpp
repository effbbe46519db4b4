// The preference store that keeps nothing.
#include "platform/core/preferences.h"

#include <cstring>

void SystemDependantInitPref() {}

SInt32 SystemDependantGetPrefString(const char *, const char *, const char *defaultValue, char *value,
                                    SInt32 valueSize) {
    if (!value || valueSize <= 0) return 0;
    size_t length = defaultValue ? strlen(defaultValue) : 0;
    if (length > size_t(valueSize - 1)) length = size_t(valueSize - 1);
    if (length) memcpy(value, defaultValue, length);
    value[length] = 0;
    return SInt32(length);
}

void SystemDependantSetPrefString(const char *, const char *, const char *) {}

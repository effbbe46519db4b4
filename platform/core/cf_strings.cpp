// String objects: a record holding the text as UTF-8.
#include "platform/core/cf_strings.h"

#include <cstdlib>
#include <cstring>
#include <glib.h>

struct OrvaCFString {
    char *text;  // zero-terminated, owned (g_malloc)
};

static CFStringRef MakeString(char *ownedText);

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char *text, CFStringEncoding) {
    return text ? MakeString(g_strdup(text)) : nullptr;
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar *characters, CFIndex count) {
    if (count < 0 || (!characters && count > 0)) return nullptr;
    if (count == 0) return MakeString(g_strdup(""));
    return MakeString(g_utf16_to_utf8(reinterpret_cast<const gunichar2 *>(characters), count, nullptr, nullptr, nullptr));
}

Boolean CFStringGetCString(CFStringRef s, char *buffer, CFIndex size, CFStringEncoding) {
    if (!s || !buffer || size <= 0) return kFalse;
    size_t length = strlen(s->text);
    if (length + 1 > size_t(size)) return kFalse;
    memcpy(buffer, s->text, length + 1);
    return kTrue;
}

void CFRelease(CFStringRef s) {
    if (!s) return;
    g_free(s->text);
    free(const_cast<OrvaCFString *>(s));
}

static CFStringRef MakeString(char *ownedText) {
    if (!ownedText) return nullptr;
    OrvaCFString *s = static_cast<OrvaCFString *>(malloc(sizeof(OrvaCFString)));
    if (!s) {
        g_free(ownedText);
        return nullptr;
    }
    s->text = ownedText;
    return s;
}

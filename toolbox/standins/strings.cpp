// Stand-ins for the string objects, the interface language and the system resource files
// until the toolbox has them: a string object keeps its text as given (UTF-16 as UTF-8),
// the language is English and no system resource file opens.
#include <cstdlib>
#include <cstring>
#include <glib.h>

#include "toolbox/toolbox_services.h"

struct OrvaCFString {
    char *text;  // zero-terminated, owned
};

namespace {

SInt16 gLanguage = 1;  // main thread

CFStringRef MakeString(char *ownedText) {
    if (!ownedText) return nullptr;
    OrvaCFString *s = static_cast<OrvaCFString *>(malloc(sizeof(OrvaCFString)));
    if (!s) {
        g_free(ownedText);
        return nullptr;
    }
    s->text = ownedText;
    return s;
}

}  // namespace

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

SInt16 OrvaGetLangue() { return gLanguage; }
void OrvaFixeLangue(SInt16 language) { gLanguage = language; }
SInt16 orva_ouvreFichierRessSys() { return -1; }

void OrvaSupprimeUnicodeSpecialChars(UniChar *text, SInt32 length) {
    if (!text) return;
    for (SInt32 i = 0; i < length; i++)
        if (text[i] < 32) text[i] = ' ';
}

// File-name and MacRoman text helpers.
#include "score/text_utilities.h"

#include <cstring>
#include <strings.h>

#include "platform/core/folders.h"
#include "score/engine_facade.h"

namespace {

// MacRoman 0x80..0xFF: each letter's plain capital, 0 for a byte that is not a letter.
const char kMajusculesMacRoman[128] = {
    'A', 'A', 'C', 'E', 'N', 'O', 'U', 'A', 'A', 'A', 'A', 'A', 'A', 'C', 'E', 'E',  // 80
    'E', 'E', 'I', 'I', 'I', 'I', 'N', 'O', 'O', 'O', 'O', 'O', 'U', 'U', 'U', 'U',  // 90
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    // A0 (AE Æ, AF Ø kept)
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    // B0 (BE æ, BF ø below)
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   'A', 'A', 'O', 0,   0,    // C0 (CF œ below)
    0,   0,   0,   0,   0,   0,   0,   0,   'Y', 'Y', 0,   0,   0,   0,   0,   0,    // D0
    0,   0,   0,   0,   0,   'A', 'E', 'A', 'E', 'E', 'I', 'I', 'I', 'I', 'O', 'O',  // E0
    0,   'O', 'U', 'U', 'U', 'I', 0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    // F0
};

// The extension's first character, or null when the last component has no '.'.
const char *Extension(const char *name) {
    const char *slash = strrchr(name, '/');
    const char *dot = strrchr(name, '.');
    if (!dot || (slash && dot < slash)) return nullptr;
    return dot + 1;
}

Boolean IsBlancOuControle(UInt8 c) { return c <= ' ' || c == 0x7F; }

}  // namespace

void ajoute_extension(char *path, const char *extension) {
    if (!path || !extension) return;
    const char *current = Extension(path);
    size_t stem = current ? size_t(current - path - 1) : strlen(path);
    if (stem + 1 + strlen(extension) > size_t(kOrvaPathMax)) {
        Avertissement(nullptr, 0, "Path too long for the extension '%s': %.64s...", extension, path);
        return;
    }
    path[stem] = '.';
    strcpy(path + stem + 1, extension);
}

Boolean cmp_extension(const char *name, const char *extension) {
    if (!name || !extension) return kFalse;
    const char *current = Extension(name);
    return current && strcasecmp(current, extension) == 0;
}

char *strpurge(char *text) {
    if (!text) return text;
    size_t start = 0;
    while (text[start] && IsBlancOuControle(UInt8(text[start]))) start++;
    size_t end = strlen(text);
    while (end > start && IsBlancOuControle(UInt8(text[end - 1]))) end--;
    std::memmove(text, text + start, end - start);
    text[end - start] = 0;
    return text;
}

UInt8 upcase(UInt8 character) {
    if (character >= 'a' && character <= 'z') return UInt8(character - 'a' + 'A');
    if (character < 0x80) return character;
    switch (character) {
        case 0xBE: return 0xAE;  // æ
        case 0xBF: return 0xAF;  // ø
        case 0xCF: return 0xCE;  // œ
        default: break;
    }
    char plain = kMajusculesMacRoman[character - 0x80];
    return plain ? UInt8(plain) : character;
}

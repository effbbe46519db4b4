// The tagged text reader and writer.
#include "score/tagged_text.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "platform/core/byte_reader.h"
#include "score/engine_facade.h"
#include "score/file_source.h"

namespace {

const char kChiffresRadix64[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-+";
const SInt32 kOctetsParMorceau = 3072;  // bytes encoded at a time: 4096 digits, whole 24-bit groups
const SInt32 kLigneMax = 2 * kTagMotMax + 64;
const SInt32 kTabsMax = 64;

// The current source and target. Main thread only.
struct TagTextRecord {
    FILE *file;
    SourceFichier source;   // reading side of file
    Boolean inMemory;
    ByteWriter memory;
    SInt16 tabs;
};
TagTextRecord gTag;

locale_t LocaleC();
SInt16 LitCar();
SInt32 LitMot(char *word, Boolean *cut);
Boolean IsBlanc(SInt16 c);
Boolean LitEntier(SInt64 low, SInt64 high, SInt32 *value);
SInt16 ValeurChiffre(SInt16 c);
Boolean LitChiffres(UInt8 *out, size_t keep, size_t n);
Boolean Ecrit(const void *bytes, size_t count);
Boolean EcritLigne(const char *tag, const char *value);
void FormateFlottant(char *text, size_t size, float value);

}  // namespace

Handle TagSetMemory(Handle h) {
    Handle previous = nullptr;
    if (gTag.inMemory) {
        FinishByteWriter(&gTag.memory);
        previous = gTag.memory.handle;
    }
    gTag.inMemory = h != nullptr;
    if (h) gTag.memory = OrvaByteWriter(h, 0);
    gTag.tabs = 0;
    return previous;
}

FILE *TagSetFile(FILE *file) {
    FILE *previous = gTag.file;
    if (previous) RendNonLuSource(&gTag.source);
    gTag.file = file;
    if (file) OuvreSource(&gTag.source, file);
    else FermeSource(&gTag.source);
    gTag.tabs = 0;
    return previous;
}

Boolean TagWait(const char *tag, void (*other)(const char *word)) {
    char word[kTagMotMax + 1];
    Boolean cut;
    while (LitMot(word, &cut) >= 0) {
        if (tag && strcmp(word, tag) == 0) return kTrue;
        if (other) other(word);
    }
    return kFalse;
}

Boolean TagWaitPtr(const char *endTag, void (*callback)(const char *word, void *context), void *context) {
    char word[kTagMotMax + 1];
    Boolean cut;
    while (LitMot(word, &cut) >= 0) {
        if (endTag && strcmp(word, endTag) == 0) return kTrue;
        if (callback) callback(word, context);
    }
    return kFalse;
}

SInt16 TagReadShort() {
    SInt32 value = 0;
    return LitEntier(SHRT_MIN, SHRT_MAX, &value) ? SInt16(value) : 0;
}

SInt32 TagReadLong() {
    SInt32 value = 0;
    return LitEntier(INT_MIN, INT_MAX, &value) ? value : 0;
}

float TagReadFloat() {
    char word[kTagMotMax + 1];
    Boolean cut;
    if (LitMot(word, &cut) < 0) {
        Avertissement(nullptr, 0, "Tag: number missing at the end");
        return 0;
    }
    char *end = nullptr;
    float value = cut ? 0 : strtof_l(word, &end, LocaleC());
    if (cut || end == word || *end != 0 || !std::isfinite(value)) {
        Avertissement(nullptr, 0, "Tag: '%.32s' is not a number", word);
        return 0;
    }
    return value;
}

Boolean TagReadStringGuillemet(char *buffer, SInt32 size) {
    Boolean room = buffer && size > 0;
    if (room) buffer[0] = 0;
    SInt16 c;
    while (IsBlanc(c = LitCar())) {}
    if (c != '"') {
        // Not a string: the word is passed over whole.
        while (c >= 0 && !IsBlanc(c)) c = LitCar();
        Avertissement(nullptr, 0, "Tag: string without its opening quote");
        return kFalse;
    }
    SInt32 kept = 0;
    while ((c = LitCar()) >= 0 && c != '"') {
        if (c == '\\') {
            SInt16 next = LitCar();
            if (next < 0) break;
            if (next != '"' && next != '\\' && room && kept < size - 1) buffer[kept++] = '\\';
            c = next;
        }
        if (room && kept < size - 1) buffer[kept++] = char(c);
    }
    if (room) buffer[kept] = 0;
    if (c != '"') {
        Avertissement(nullptr, 0, "Tag: string without its closing quote");
        return kFalse;
    }
    return kTrue;
}

SInt32 TagReadBlock(void *bytes, SInt32 size) {
    SInt32 count = 0;
    if (bytes && size > 0) memset(bytes, 0, size_t(size));
    if (!LitEntier(0, kTagBlocMax, &count)) return -1;
    size_t keep = bytes && size > 0 ? size_t(count < size ? count : size) : 0;
    if (!LitChiffres(static_cast<UInt8 *>(bytes), keep, size_t(count))) return -1;
    return SInt32(keep);
}

Boolean TagReadRawBlock(void *bytes, SInt32 n) {
    if (n < 0 || n > kTagBlocMax || (n > 0 && !bytes)) {
        Avertissement(nullptr, 0, "Tag: raw block of %d bytes refused", int(n));
        return kFalse;
    }
    if (n > 0) memset(bytes, 0, size_t(n));
    return LitChiffres(static_cast<UInt8 *>(bytes), size_t(n), size_t(n));
}

void TagIncTab() {
    if (gTag.tabs < kTabsMax) gTag.tabs++;
}

void TagDecTab() {
    if (gTag.tabs > 0) gTag.tabs--;
}

Boolean TagWriteTag(const char *tag) { return EcritLigne(tag, nullptr); }

Boolean TagWriteShortTag(const char *tag, SInt16 value) { return TagWriteLongTag(tag, value); }

Boolean TagWriteLongTag(const char *tag, SInt32 value) {
    char text[16];
    snprintf(text, sizeof text, "%d", int(value));
    return EcritLigne(tag, text);
}

Boolean TagWriteFloatTag(const char *tag, float value) {
    char text[64];
    FormateFlottant(text, sizeof text, value);
    return EcritLigne(tag, text);
}

Boolean TagWriteLongTagSiNonVide(const char *tag, SInt32 value) { return value == 0 || TagWriteLongTag(tag, value); }

Boolean TagWriteFloatTagSiNonVide(const char *tag, float value) { return value == 0 || TagWriteFloatTag(tag, value); }

Boolean TagWriteStringGuillemetTagSiNonVide(const char *tag, const char *text) {
    if (!text || !text[0]) return kTrue;
    char quoted[2 * kTagMotMax + 4];
    size_t n = 0;
    quoted[n++] = '"';
    // Longer texts are cut at a word's worth, what readers keep at most.
    for (const char *p = text; *p && p - text < kTagMotMax; p++) {
        if (*p == '"' || *p == '\\') quoted[n++] = '\\';
        quoted[n++] = *p;
    }
    quoted[n++] = '"';
    quoted[n] = 0;
    return EcritLigne(tag, quoted);
}

Boolean TagWriteBlockTag(const char *tag, const void *bytes, SInt32 n) {
    if (n < 0 || (n > 0 && !bytes)) return kFalse;
    char count[16];
    snprintf(count, sizeof count, "%d ", int(n));
    Boolean ok = kTrue;
    for (SInt16 i = 0; i < gTag.tabs; i++) ok = Ecrit("\t", 1) && ok;
    return Ecrit(tag, strlen(tag)) && Ecrit(" ", 1) && Ecrit(count, strlen(count)) && TagWriteRawBlock(bytes, n) &&
           Ecrit("\n", 1) && ok;
}

Boolean TagWriteRawBlock(const void *bytes, SInt32 n) {
    if (n < 0 || (n > 0 && !bytes)) return kFalse;
    const UInt8 *in = static_cast<const UInt8 *>(bytes);
    char digits[(kOctetsParMorceau * 8 + 5) / 6];
    for (SInt32 done = 0; done < n; done += kOctetsParMorceau) {
        SInt32 part = n - done < kOctetsParMorceau ? n - done : kOctetsParMorceau;
        EncodeRadix64(in + done, part, digits);
        if (!Ecrit(digits, size_t(TailleRadix64(part)))) return kFalse;
    }
    return kTrue;
}

Boolean TagWriteCar(char c) { return Ecrit(&c, 1); }

SInt64 TailleRadix64(SInt64 n) { return n > 0 ? (8 * n + 5) / 6 : 0; }

void EncodeRadix64(const void *bytes, SInt32 n, char *digits) {
    const UInt8 *in = static_cast<const UInt8 *>(bytes);
    UInt32 accumulator = 0;
    SInt32 bits = 0;
    for (SInt32 i = 0; i < n; i++) {
        accumulator = accumulator << 8 | in[i];
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            *digits++ = kChiffresRadix64[(accumulator >> bits) & 63];
        }
        accumulator &= (1u << bits) - 1;
    }
    if (bits > 0) *digits++ = kChiffresRadix64[(accumulator << (6 - bits)) & 63];
}

namespace {

// Numbers are read and written in the C locale whatever the process's own.
locale_t LocaleC() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

SInt16 LitCar() {
    ByteReader *view = &gTag.source.view;
    if (ByteReaderLeft(view) == 0 && !RemplitSource(&gTag.source)) return -1;
    return Get8(view);
}

Boolean IsBlanc(SInt16 c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// The next word into word (kTagMotMax + 1 bytes); cut tells that a longer word lost its end.
// Answers its length, -1 at the end of the source.
SInt32 LitMot(char *word, Boolean *cut) {
    SInt16 c;
    *cut = kFalse;
    word[0] = 0;
    while (IsBlanc(c = LitCar())) {}
    if (c < 0) return -1;
    SInt32 n = 0;
    for (; c >= 0 && !IsBlanc(c); c = LitCar()) {
        if (n < kTagMotMax) word[n++] = char(c);
        else *cut = kTrue;
    }
    word[n] = 0;
    return n;
}

Boolean LitEntier(SInt64 low, SInt64 high, SInt32 *value) {
    char word[kTagMotMax + 1];
    Boolean cut;
    if (LitMot(word, &cut) < 0) {
        Avertissement(nullptr, 0, "Tag: number missing at the end");
        return kFalse;
    }
    char *end = nullptr;
    errno = 0;
    long long number = cut ? 0 : strtoll(word, &end, 10);
    if (cut || end == word || *end != 0 || errno == ERANGE || number < low || number > high) {
        Avertissement(nullptr, 0, "Tag: '%.32s' is not a number in range", word);
        return kFalse;
    }
    *value = SInt32(number);
    return kTrue;
}

SInt16 ValeurChiffre(SInt16 c) {
    if (c <= 0) return -1;
    const char *at = strchr(kChiffresRadix64, c);
    return at ? SInt16(at - kChiffresRadix64) : -1;
}

// Reads the digits of n bytes and keeps the first keep of them in out.
Boolean LitChiffres(UInt8 *out, size_t keep, size_t n) {
    UInt32 accumulator = 0;
    SInt32 bits = 0;
    size_t produced = 0;
    for (SInt64 digits = TailleRadix64(SInt64(n)); digits > 0; digits--) {
        SInt16 c;
        while (IsBlanc(c = LitCar())) {}
        SInt16 value = ValeurChiffre(c);
        if (value < 0) {
            Avertissement(nullptr, 0, c < 0 ? "Tag: block cut short" : "Tag: bad radix-64 digit in a block");
            return kFalse;
        }
        accumulator = accumulator << 6 | UInt32(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            if (produced < keep) out[produced] = UInt8(accumulator >> bits);
            produced++;
            accumulator &= (1u << bits) - 1;
        }
    }
    return kTrue;
}

Boolean Ecrit(const void *bytes, size_t count) {
    if (count == 0) return kTrue;
    if (gTag.inMemory) {
        PutBytes(&gTag.memory, bytes, count);
        return !gTag.memory.failed;
    }
    return gTag.file && fwrite(bytes, 1, count, gTag.file) == count;
}

// One line: the indentation, the tag and, when given, a blank and the value.
Boolean EcritLigne(const char *tag, const char *value) {
    if (!tag) return kFalse;
    char line[kLigneMax + kTabsMax + 2];
    SInt32 n = 0;
    for (SInt16 i = 0; i < gTag.tabs; i++) line[n++] = '\t';
    n += snprintf(line + n, size_t(kLigneMax), value ? "%.255s %s\n" : "%.255s\n", tag, value ? value : "");
    if (n > SInt32(sizeof line) - 1) n = SInt32(sizeof line) - 1;
    return Ecrit(line, size_t(n));
}

void FormateFlottant(char *text, size_t size, float value) {
    locale_t previous = uselocale(LocaleC());
    snprintf(text, size, "%.3f", double(value));
    uselocale(previous);
}

}  // namespace

// UTF-8 text measured, drawn, recorded and replayed; keyboard bytes to Unicode; encoded files.
#include "graphics/text/utf_text.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/pictures/player.h"
#include "graphics/quickdraw/bezier.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/time_manager.h"
#include "platform/core/unicode_mode.h"

namespace {

enum : SInt32 {
    kMaxCount = 32767,
    kMaxCommentText = 32767 - kUTFTextCommentHeader,  // a comment's size is a signed 16-bit count
    kPrivateUseBase = 0xF000,
    kPrivateUseLimit = 0x1000,
};

// What DrawUTFPicture keeps while a picture plays; nested playback keeps the outer one.
struct UTFReplayRecord {
    GrafProcs saved;     // the port's own bottlenecks (zeros: the standard ones)
    GrafProcs working;   // saved with the comment and text bottlenecks replaced
    std::vector<char> text;  // the UTF-8 of the last "Zido" comment
    Boolean haveText;
    SInt16 rotation;
};

UTFReplayRecord *gReplay = nullptr;
Boolean gUnicodeInput = kFalse;
UInt8 gPendingLead = 0;
UInt32 gPendingTicks = 0;
UInt32 (*gTicks)() = nullptr;

}  // namespace

static std::vector<UniChar> UTF8ToUnits(const char *text, SInt32 offset, SInt32 count);
static std::vector<UInt8> EightBitForm(const std::vector<UniChar> &units);
static void ReplayComment(SInt16 kind, SInt16 dataSize, Handle dataHandle);
static void ReplayText(SInt16 count, const void *text, Point numer, Point denom);
static void DrawBytes(const std::vector<UInt8> &bytes);
static UInt32 Ticks();

Boolean IsUnicodeInput() { return gUnicodeInput; }

Boolean IsUnicodeInputAvailable() { return kTrue; }

Boolean EnableUnicodeInput() {
    gUnicodeInput = kTrue;
    return kTrue;
}

void DisableUnicodeInput() { gUnicodeInput = kFalse; }

void PurgeUnicodeInput() {}

UniChar GetUnicodeCar() {
    if (!gUnicodeInput) return 0;
    UniChar character = OrvaGetLastUnicodeKey();
    OrvaSetLastUnicodeKey(0);
    return character;
}

SInt16 UTFTextWidth(GrafPtr port, const char *text, SInt32 offset, SInt32 count) {
    if (!port || !text || offset < 0 || count <= 0) return 0;
    std::vector<UniChar> units = UTF8ToUnits(text, offset, count);
    if (units.empty()) return 0;
    SInt32 width;
    if (IsUnicodeApplication()) {
        if (lentaraPrint != 0 && port->txFont == lentaraPrint)
            for (UniChar &u : units)
                if (u < kPrivateUseLimit) u = UniChar(u + kPrivateUseBase);
        width = OrvaPortTextWidth(port, units.data(), 0, SInt32(units.size()), kTrue);
    } else {
        std::vector<UInt8> bytes = EightBitForm(units);
        GrafPtr former = qd.thePort;
        qd.thePort = port;
        width = 0;
        for (size_t at = 0; at < bytes.size() && width < kMaxCount; at += kMaxCount) {
            SInt16 n = SInt16(std::min<size_t>(kMaxCount, bytes.size() - at));
            width += TextWidth(bytes.data() + at, 0, n);
        }
        qd.thePort = former;
    }
    return SInt16(std::min<SInt32>(std::max<SInt32>(width, 0), kMaxCount));
}

void UTFDrawText(GrafPtr port, const char *text, SInt32 offset, SInt32 count, SInt16 rotation) {
    if (!port || !text || offset < 0 || count <= 0) return;
    std::vector<UniChar> units = UTF8ToUnits(text, offset, count);
    if (units.empty()) return;
    GrafPtr former = qd.thePort;
    qd.thePort = port;
    if (port->picSave) {
        std::vector<UInt8> bytes = EightBitForm(units);
        if (rotation == 0 && bytes.size() == size_t(count) && std::memcmp(bytes.data(), text + offset, count) == 0) {
            DrawBytes(bytes);
        } else {
            SInt32 kept = count;
            while (kept > kMaxCommentText) kept = UTFPrevChar(text + offset, kept, count);
            Handle data = NewHandle(kUTFTextCommentHeader + kept);
            if (data) {
                UInt8 *d = (UInt8 *)*data;
                std::memcpy(d, "Zido", 4);
                UInt16 version = kUTFTextCommentVersion, angle = UInt16(rotation);
                std::memcpy(d + 4, &version, 2);
                std::memcpy(d + 6, &angle, 2);
                std::memcpy(d + kUTFTextCommentHeader, text + offset, size_t(kept));
                PicComment(kPictCommentUTFText, SInt16(kUTFTextCommentHeader + kept), data);
                DisposeHandle(data);
            }
            OrvaCollectUnicodeAlternateText(units.data(), UInt16(std::min<size_t>(units.size(), 0xFFFF)), rotation);
            Point pen = port->pnLoc;
            DrawBytes(bytes);
            SInt32 w = UTFTextWidth(port, text, offset, count);
            SInt32 dh = w, dv = 0;
            if (rotation != 0) {
                double r = rotation * M_PI / 180.0;
                dh = SInt32(w * std::cos(r));
                dv = SInt32(-w * std::sin(r));
            }
            _MoveTo(pen.h, pen.v);
            Move(SInt16(dh), SInt16(dv));
        }
    } else if (IsUnicodeApplication()) {
        OrvaPortDrawClippedText(port, units.data(), 0, SInt32(units.size()), kTrue, float(rotation));
    } else {
        DrawBytes(EightBitForm(units));
    }
    qd.thePort = former;
}

void DrawUTFPicture(PicHandle picture, const Rect *dst) {
    GrafPtr port = qd.thePort;
    if (!port || !picture || !dst) return;
    UTFReplayRecord *outer = gReplay;
    UTFReplayRecord replay;
    GrafProcs *own = port->grafProcs;
    if (own) replay.saved = *own;
    else std::memset(&replay.saved, 0, sizeof replay.saved);
    replay.working = replay.saved;
    replay.working.commentProc = ReplayComment;
    replay.working.textProc = ReplayText;
    replay.haveText = kFalse;
    replay.rotation = 0;
    gReplay = &replay;
    SetPortGrafProcs(port, &replay.working);
    OrvaDrawPicture(picture, dst);
    SetPortGrafProcs(port, own);
    gReplay = outer;
}

UniChar CvtCarKeyboardMacRomanToUnicode(UInt8 byte) { return MacRomanCharToUnicode(byte); }

UniChar CvtCarKeyboardShiftJisToUnicode(UInt8 byte) {
    UInt32 now = Ticks();
    if (gPendingLead) {
        UInt8 lead = gPendingLead;
        gPendingLead = 0;
        if (now - gPendingTicks <= kShiftJisLeadTicks) {
            UInt8 pair[2] = {lead, byte};
            SInt32 n = 0;
            EncodedStr units = ShiftJisTextToUnicode(pair, 0, 2, &n);
            UniChar result = (units && n > 0) ? ((const UniChar *)units)[0] : 0;
            DisposeEncodedStr(units);
            return result;
        }
    }
    if ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) {
        gPendingLead = byte;
        gPendingTicks = now;
        return 0;
    }
    return MacRomanCharToUnicode(byte);
}

CFStringRef UTFToStringRef(const char *text) {
    if (!text) return nullptr;
    SInt32 n = 0;
    EncodedStr units = UTFTextToUnicode(text, 0, SInt32(std::strlen(text)) + 1, &n);
    if (!units) return nullptr;
    CFStringRef s = CFStringCreateWithCharacters(nullptr, (const UniChar *)units, n);
    DisposeEncodedStr(units);
    return s;
}

void OrvaSetUTFKeyboardTicks(UInt32 (*ticks)()) { gTicks = ticks; }

EncodedStr LoadEncodedTextFile(FILE *file, SInt16 source, SInt16 target, SInt32 *length) {
    if (length) *length = 0;
    if (!file) return nullptr;
    if (std::fseek(file, 0, SEEK_END) != 0) return nullptr;
    long size = std::ftell(file);
    if (size < 0 || size > 0x7FFFFFF0L || std::fseek(file, 0, SEEK_SET) != 0) return nullptr;
    SInt32 n = SInt32(size);
    EncodedStr buffer = NewEncodedStr(n + 2, FourCC("TEXT"));
    if (!buffer) return nullptr;
    std::memset(buffer, 0, size_t(n) + 2);
    if (std::fread(buffer, 1, size_t(n), file) != size_t(n)) {
        DisposeEncodedStr(buffer);
        return nullptr;
    }
    SInt32 mark = 0;
    if (source == -1) source = EvalueCharsetBuffer(buffer, n, &mark);
    mark = std::min(std::max<SInt32>(mark, 0), n);
    // Only the bytes after the mark are text: the conversion must not run past the buffer.
    char *data = buffer + mark;
    n -= mark;
    if ((source & kEncodingIdMask) > kEncodingShiftJis) {
        n /= 2;
        data[2 * n] = 0;  // an odd last byte is no unit: the terminator takes its place
        data[2 * n + 1] = 0;
    }
    SInt32 out = 0;
    EncodedStr result = ChangeTextEncoding(data, 0, n + 1, source, target, &out);
    DisposeEncodedStr(buffer);
    if (!result) return nullptr;
    // The length counts the text, not the terminator the conversion carried along.
    if (out > 0) out--;
    if (length) *length = out;
    return result;
}

OSErr SaveEncodedTextFile(FILE *file, const void *text, SInt32 length, SInt16 source, SInt16 target) {
    if (!file || (length > 0 && !text)) return paramErr;
    SInt16 id = target & kEncodingIdMask;
    if (id > kEncodingUTF16) id = kEncodingUTF16;
    if (std::ftell(file) == 0) {
        static const UInt8 kUTF8Mark[3] = {0xEF, 0xBB, 0xBF};
        UniChar nativeMark = 0xFEFF, swappedMark = 0xFFFE;
        size_t written = 1;
        if (id == kEncodingUTF8) written = std::fwrite(kUTF8Mark, 3, 1, file);
        else if (id == kEncodingUTF16Swapped) written = std::fwrite(&swappedMark, 2, 1, file);
        else if (id == kEncodingUTF16) written = std::fwrite(&nativeMark, 2, 1, file);
        if (written != 1) return ioErr;
    }
    if (length <= 0) return noErr;
    SInt32 out = 0;
    EncodedStr converted = ChangeTextEncoding(text, 0, length, source, target, &out);
    if (!converted) return memFullErr;
    size_t bytes = size_t(out) * (id >= kEncodingUTF16Swapped ? 2 : 1);
    size_t written = std::fwrite(converted, 1, bytes, file);
    DisposeEncodedStr(converted);
    return written == bytes ? noErr : ioErr;
}

// UTF-8 to UTF-16 for measuring and drawing: characters past U+FFFF become surrogate pairs,
// control characters spaces; a stray, overlong or cut sequence gives U+FFFD per bad byte.
static std::vector<UniChar> UTF8ToUnits(const char *text, SInt32 offset, SInt32 count) {
    const UInt8 *s = (const UInt8 *)text + offset;
    std::vector<UniChar> units;
    units.reserve(size_t(count));
    SInt32 i = 0;
    while (i < count) {
        UInt32 c = s[i];
        SInt32 need = c < 0x80 ? 0 : (c >= 0xC2 && c <= 0xDF) ? 1 : (c >= 0xE0 && c <= 0xEF) ? 2
                                                                  : (c >= 0xF0 && c <= 0xF4) ? 3 : -1;
        if (need < 0 || i + need >= count) {  // a stray byte, or a sequence cut at the end
            units.push_back(0xFFFD);
            i++;
            continue;
        }
        if (need > 0) {
            UInt32 v = c & (0x3F >> need);
            Boolean ok = kTrue;
            for (SInt32 k = 1; k <= need; k++) {
                if ((s[i + k] & 0xC0) != 0x80) {
                    ok = kFalse;
                    break;
                }
                v = (v << 6) | (s[i + k] & 0x3F);
            }
            UInt32 minimum = need == 1 ? 0x80 : need == 2 ? 0x800 : 0x10000;
            if (!ok || v < minimum || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
                units.push_back(0xFFFD);
                i++;
                continue;
            }
            c = v;
        }
        i += need + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            units.push_back(UniChar(0xD800 + (c >> 10)));
            units.push_back(UniChar(0xDC00 + (c & 0x3FF)));
        } else {
            units.push_back(UniChar(c < 32 ? ' ' : c));
        }
    }
    return units;
}

// The run in Shift-JIS under the Japanese interface, else in MacRoman.
static std::vector<UInt8> EightBitForm(const std::vector<UniChar> &units) {
    SInt32 n = 0;
    EncodedStr converted = IsCurrentLanguageJaponais()
                               ? UnicodeTextToShiftJis(units.data(), 0, SInt32(units.size()), &n)
                               : UnicodeTextToMacRoman(units.data(), 0, SInt32(units.size()), &n);
    std::vector<UInt8> bytes;
    if (converted && n > 0) bytes.assign((const UInt8 *)converted, (const UInt8 *)converted + n);
    DisposeEncodedStr(converted);
    return bytes;
}

static void ReplayComment(SInt16 kind, SInt16 dataSize, Handle dataHandle) {
    GrafPtr port = qd.thePort;
    if (!port || !gReplay) return;
    Boolean recording = port->picSave != nullptr;
    if (kind == kPictCommentUTFText && !recording) {
        // The header alone is 8 bytes: anything shorter is no UTF text comment.
        if (dataSize >= kUTFTextCommentHeader && dataHandle && *dataHandle &&
            GetHandleSize(dataHandle) >= UInt32(dataSize)) {
            const UInt8 *d = (const UInt8 *)*dataHandle;
            UInt16 version, angle;
            std::memcpy(&version, d + 4, 2);
            std::memcpy(&angle, d + 6, 2);
            if (std::memcmp(d, "Zido", 4) == 0 && version == kUTFTextCommentVersion) {
                gReplay->text.assign((const char *)d + kUTFTextCommentHeader, (const char *)d + dataSize);
                gReplay->haveText = kTrue;
                gReplay->rotation = SInt16(angle);
            }
        }
        return;
    }
    if (!recording) return;
    if (gReplay->saved.commentProc) gReplay->saved.commentProc(kind, dataSize, dataHandle);
    else StdComment(kind, dataSize, dataHandle);
}

static void ReplayText(SInt16 count, const void *text, Point numer, Point denom) {
    GrafPtr port = qd.thePort;
    if (!port || !gReplay) return;
    if (!port->picSave && gReplay->haveText && IsUnicodeApplication() && numer.v && numer.h && denom.v && denom.h) {
        SInt16 formerSize = port->txSize;
        float formerRatio = OrvaGetCurrentFontRatio();
        SInt32 size = SInt32(formerSize ? formerSize : SInt16(kTextDefaultSize)) * numer.v / denom.v;
        double ratio = double(formerRatio) * (double(numer.h) * denom.v) / (double(denom.h) * numer.v);
        TextSize(SInt16(std::min<SInt32>(std::max<SInt32>(size, -32768), 32767)));
        OrvaSetFontRatio(float(ratio));
        std::vector<char> utf = std::move(gReplay->text);
        gReplay->text.clear();
        gReplay->haveText = kFalse;
        if (!utf.empty()) UTFDrawText(port, utf.data(), 0, SInt32(utf.size()), gReplay->rotation);
        TextSize(formerSize);
        OrvaSetFontRatio(formerRatio);
        return;
    }
    if (gReplay->saved.textProc) gReplay->saved.textProc(count, text, numer, denom);
    else StdText(count, text, numer, denom);
}

// Plain 8-bit text at the current port's pen, in runs a signed 16-bit count can hold.
static void DrawBytes(const std::vector<UInt8> &bytes) {
    for (size_t at = 0; at < bytes.size(); at += kMaxCount)
        _DrawText(bytes.data() + at, 0, SInt16(std::min<size_t>(kMaxCount, bytes.size() - at)));
}

static UInt32 Ticks() { return gTicks ? gTicks() : TickCount(); }

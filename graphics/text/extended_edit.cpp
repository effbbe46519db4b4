// Changing an Extended TextEdit record: the selection with the least redrawing, insertion and
// deletion with the style runs kept up and only the touched paragraphs laid out again, and the
// scrap in 'TEXT', 'utxt' (UTF-16, pairs for characters past U+FFFF) and 'styl' (whose starts
// count UTF-16 units in UTF-8 mode).
#include "graphics/text/extended_textedit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/text/extended_internal.h"
#include "graphics/text/extended_view.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/scrap.h"
#include "platform/core/text_encodings.h"

namespace {

const ResType kScrapText = FourCC("TEXT");
const ResType kScrapUnicode = FourCC("utxt");
const ResType kScrapStyles = FourCC("styl");

enum : UniChar {
    kReplacement = 0xFFFD,
    kHighSurrogateFirst = 0xD800,
    kLowSurrogateFirst = 0xDC00,
    kSurrogateEnd = 0xE000,
};
enum : UInt32 { kFirstSupplementary = 0x10000 };

}  // namespace

static SInt32 UnitsOfChar(const UInt8 *text, SInt32 at, SInt32 next);
static SInt32 CharsToBytes(const UInt8 *text, SInt32 length, SInt32 units);
static SInt32 BytesToUnits(const UInt8 *text, SInt32 length, SInt32 bytes);
static SInt32 NextBoundary(const UInt8 *text, SInt32 at, SInt32 length);
static Boolean ReadScrap(ResType type, std::vector<UInt8> *bytes);
static StScrpHandle SanitisedStyles(const std::vector<UInt8> &raw, const std::vector<UInt8> &text, Boolean unitStarts);
static void ConvertUnitsFromScrap(const std::vector<UInt8> &raw, std::vector<UInt8> *utf8);
static void ConvertMacRoman(std::vector<UInt8> *bytes);
static void Relayout(ExtendedTEHandle te, SInt32 at, SInt32 delta, Boolean consistent, SInt32 oldHeight);
static Boolean LayoutConsistent(ExtendedTEHandle te);

// ---- Selection ------------------------------------------------------------------------------
// Offsets given from outside are held to the text and, in UTF-8 mode, moved back to the start
// of the character they fall in, so that no edit splits a character.

void ExtendedAdjustStartEnd(ExtendedTEHandle te) {
    if (!te || !*te) return;
    SInt32 anchor = ExtendedSnapBack(te, (*te)->anchor), active = ExtendedSnapBack(te, (*te)->activeEnd);
    (*te)->anchor = anchor;
    (*te)->activeEnd = active;
    (*te)->selStart = std::min(anchor, active);
    (*te)->selEnd = std::max(anchor, active);
}

void ExtendedTESetStartEnd(ExtendedTEHandle te, SInt32 a, SInt32 b) {
    if (!te || !*te) return;
    a = ExtendedSnapBack(te, a);
    b = ExtendedSnapBack(te, b);
    if (a > b) std::swap(a, b);
    (*te)->anchor = (*te)->selStart = a;
    (*te)->activeEnd = (*te)->selEnd = b;
}

void ExtendedFixeSelect(SInt32 anchor, SInt32 activeEnd, ExtendedTEHandle te) {
    if (!te || !*te) return;
    anchor = ExtendedSnapBack(te, anchor);
    activeEnd = ExtendedSnapBack(te, activeEnd);
    (*te)->anchor = anchor;
    (*te)->activeEnd = activeEnd;
    SInt32 start = std::min(anchor, activeEnd), end = std::max(anchor, activeEnd);
    SInt32 oldStart = (*te)->selStart, oldEnd = (*te)->selEnd;
    if (start == oldStart && end == oldEnd) {
        if (start == end) (*te)->selPoint = ExtendedPointOf(te, start, nullptr);
        return;
    }
    if (oldStart == oldEnd) ExtendedAfficheCurseur(te, kFalse);
    RgnHandle old = ExtendedSelectionRgn(te, oldStart, oldEnd);
    (*te)->selStart = start;
    (*te)->selEnd = end;
    if (old) {
        if (start < end) {
            RgnHandle fresh = ExtendedSelectionRgn(te, start, end);
            if (fresh) {
                _UnionRgn(old, fresh, old);
                DisposeRgn(fresh);
            }
        }
        if (!EmptyRgn(old)) ExtendedRetraceRegion(te, old);
        DisposeRgn(old);
    }
    ExtendedFixeStyleNull(te);
    if (start == end) (*te)->selPoint = ExtendedPointOf(te, start, nullptr);
}

void ExtendedTESetSelect(SInt32 a, SInt32 b, ExtendedTEHandle te) {
    if (!te || !*te) return;
    ExtendedFixeSelect(a, b, te);
    ExtendedTESelView(te);
}

// ---- Insertion and deletion -------------------------------------------------------------------

void ExtendedTEInsertNoGraph(const void *bytes, SInt32 count, StScrpHandle scrap, ExtendedTEHandle te) {
    if (!te || !*te || !bytes || count <= 0 || !(*te)->hText) return;
    SInt32 length = (*te)->teLength;
    if (count > 0x7FFFFFFF - length - 2) return;
    SInt32 at = ExtendedClampOffset(te, (*te)->selStart);
    Boolean consistent = LayoutConsistent(te);
    SInt32 oldHeight = ExtendedTextHeight(te);
    Handle text = (*te)->hText;
    if (!ExtendedGrowHandle(text, UInt32(length + count))) return;
    std::memmove(*text + at + count, *text + at, size_t(length - at));
    std::memcpy(*text + at, bytes, size_t(count));
    ExtendedStylHandle styles = (*te)->styleHandle;
    if (styles) ExtendedRunAdjust(at, count, styles);
    (*te)->teLength = length + count;
    (*te)->selStart = ExtendedClampOffset(te, (*te)->selStart + count);
    (*te)->selEnd = ExtendedClampOffset(te, (*te)->selEnd + count);
    (*te)->anchor = ExtendedClampOffset(te, (*te)->anchor + count);
    (*te)->activeEnd = ExtendedClampOffset(te, (*te)->activeEnd + count);
    if (styles) {
        StScrpHandle applied = scrap;
        if (!applied && (*styles)->nullStyle && *(*styles)->nullStyle) applied = (*(*styles)->nullStyle)->nullScrap;
        if (applied && OrvaStScrpCount(applied) > 0) ExtendedSetStylScrap(at, at + count, applied, kFalse, te);
    }
    if (!(*te)->drawSuspended) Relayout(te, at, count, consistent, oldHeight);
    ExtendedFixeStyleNull(te);
}

void ExtendedTEStylInsert(const void *bytes, SInt32 count, StScrpHandle scrap, ExtendedTEHandle te) {
    if (!te || !*te) return;
    ExtendedTEInsertNoGraph(bytes, count, scrap, te);
    (*te)->selPoint = ExtendedPointOf(te, (*te)->selStart, nullptr);
}

void ExtendedTEInsert(const void *bytes, SInt32 count, ExtendedTEHandle te) { ExtendedTEStylInsert(bytes, count, nullptr, te); }

void ExtendedTEDelete(ExtendedTEHandle te) {
    if (!te || !*te || !(*te)->hText) return;
    ExtendedAdjustStartEnd(te);
    SInt32 start = (*te)->selStart, end = (*te)->selEnd, length = (*te)->teLength;
    if (start >= end) return;
    ExtendedStylHandle styles = (*te)->styleHandle;
    TextStyle kept = {};
    if (styles) ExtendedTEGetStyle(start, &kept, nullptr, nullptr, te);
    Boolean consistent = LayoutConsistent(te);
    SInt32 oldHeight = ExtendedTextHeight(te), removed = end - start;
    if (styles) ExtendedRunAdjust(start, -removed, styles);
    Handle text = (*te)->hText;
    std::memmove(*text + start, *text + end, size_t(length - end));
    SetHandleSize(text, UInt32(length - removed));  // shrinking keeps the block
    (*te)->teLength = length - removed;
    (*te)->selStart = (*te)->selEnd = (*te)->anchor = (*te)->activeEnd = start;
    // Lines are laid out again even while drawing is suspended: line starts past the shorter
    // text would point outside it.
    Relayout(te, start, -removed, consistent, oldHeight);
    (*te)->selPoint = ExtendedPointOf(te, start, nullptr);
    ExtendedTESelView(te);
    if (styles) ExtendedTESetStyle(doAll, &kept, kFalse, te);
}

void ExtendedTEFastAddData(const void *bytes, SInt32 count, ExtendedTEHandle te) {
    if (!te || !*te || !bytes || count <= 0 || !(*te)->hText) return;
    SInt32 length = (*te)->teLength;
    if (count > 0x7FFFFFFF - length - 2) return;
    Handle text = (*te)->hText;
    if (!ExtendedGrowHandle(text, UInt32(length + count))) return;
    std::memcpy(*text + length, bytes, size_t(count));
    // The bytes go at the end, whatever the selection: only the sentinel run moves.
    if ((*te)->styleHandle) ExtendedRunOffset(length + 1, count, (*te)->styleHandle);
    (*te)->teLength = length + count;
    ExtendedTESetStartEnd(te, length + count, length + count);
}

// ---- The scrap --------------------------------------------------------------------------------

void ExtendedTECut(ExtendedTEHandle te) {
    ExtendedTECopy(te);
    ExtendedTEDelete(te);
}

void ExtendedTECopy(ExtendedTEHandle te) {
    if (!te || !*te || !(*te)->hText) return;
    ExtendedAdjustStartEnd(te);
    SInt32 start = (*te)->selStart, end = (*te)->selEnd;
    if (start >= end) return;
    ZeroScrap();
    std::vector<UInt8> selected((const UInt8 *)*(*te)->hText + start, (const UInt8 *)*(*te)->hText + end);
    SInt32 count = end - start;
    PutScrap(count, kScrapText, selected.data());
    Boolean utf8 = (*te)->encodingMode == kExtendedModeUTF8;
    if (utf8) {
        std::vector<UniChar> units(size_t(count) + 1);
        SInt32 unitCount = 0;
        ExtendedUTF8ToUnits(selected.data(), count, units.data(), &unitCount);
        PutScrap(unitCount * SInt32(sizeof(UniChar)), kScrapUnicode, units.data());
    }
    if (!(*te)->styleHandle) return;
    StScrpHandle styles = ExtendedGetStylScrap(te);
    if (!styles) return;
    if (utf8) {
        for (SInt32 i = 0, n = OrvaStScrpCount(styles); i < n; i++) {
            ScrpSTElement element;
            if (!OrvaGetStScrpElement(styles, i, &element)) break;
            element.scrpStartChar = BytesToUnits(selected.data(), count, element.scrpStartChar);
            OrvaSetStScrpElement(styles, i, &element);
        }
    }
    PutScrap(SInt32(GetHandleSize(styles)), kScrapStyles, *styles);
    DisposeHandle(styles);
}

void ExtendedTEPaste(ExtendedTEHandle te) {
    if (!te || !*te) return;
    ExtendedTEDelete(te);
    std::vector<UInt8> raw, text;
    if ((*te)->encodingMode == kExtendedModeUTF8 && ReadScrap(kScrapUnicode, &raw)) {
        ConvertUnitsFromScrap(raw, &text);
    } else if (ReadScrap(kScrapText, &text) && (*te)->encodingMode == kExtendedModeUTF8) {
        ConvertMacRoman(&text);
    }
    if (!text.empty()) ExtendedTEInsert(text.data(), SInt32(text.size()), te);
    ExtendedTESelView(te);
}

// Style starts read from the scrap count UTF-16 units in UTF-8 mode, for the UTF-16 text as for
// 8-bit text read as MacRoman (one unit a byte); they become byte offsets of the converted text,
// so that no run begins inside a character.
void ExtendedTEStylPaste(ExtendedTEHandle te) {
    if (!te || !*te) return;
    Boolean utf8 = (*te)->encodingMode == kExtendedModeUTF8;
    std::vector<UInt8> styleBytes, raw, text;
    Boolean styled = (*te)->styleHandle && ReadScrap(kScrapStyles, &styleBytes);
    if (utf8 && ReadScrap(kScrapUnicode, &raw)) {
        ExtendedTEDelete(te);
        ConvertUnitsFromScrap(raw, &text);
    } else {
        if (!ReadScrap(kScrapText, &text)) return;
        if (utf8) ConvertMacRoman(&text);
        ExtendedTEDelete(te);
    }
    StScrpHandle styles = styled && !text.empty() ? SanitisedStyles(styleBytes, text, utf8) : nullptr;
    if (!text.empty()) ExtendedTEStylInsert(text.data(), SInt32(text.size()), styles, te);
    if (styles) DisposeHandle(styles);
    ExtendedTESelView(te);
}

SInt32 ExtendedTEGetScrapLen() {
    SInt32 offset = 0, length = GetScrap(nullptr, kScrapText, &offset);
    return length > 0 ? length : 0;
}

OSErr ExtendedTEFromScrap() { return noErr; }
OSErr ExtendedTEToScrap() { return noErr; }
Handle ExtendedTEScrapHandle() { return nullptr; }
void ExtendedTESetScrapLen(SInt32) {}

// A character past U+FFFF counts two UTF-16 units, as it does in 'utxt'.
SInt32 CvtPosUnicodeToPosUTF(const char *text, SInt32 characters) {
    if (!text || characters <= 0) return 0;
    return CharsToBytes((const UInt8 *)text, SInt32(std::strlen(text)), characters);
}

SInt32 CvtPosUTFToPosUnicode(const char *text, SInt32 bytes) {
    if (!text || bytes < 1) return 0;
    // The last character counted may reach past bytes: its length is read up to the terminator.
    SInt32 length = 0;
    while (SInt64(length) < SInt64(bytes) + 3 && text[length]) length++;
    return BytesToUnits((const UInt8 *)text, length, bytes);
}

// ---- Shared with the other files --------------------------------------------------------------

void ExtendedUTF8ToUnits(const UInt8 *text, SInt32 count, UniChar *units, SInt32 *unitCount) {
    SInt32 n = 0;
    for (SInt32 at = 0; at < count;) {
        SInt32 next = NextBoundary(text, at, count);
        UInt8 lead = text[at];
        if (next - at == 4 && lead >= 0xF0 && lead < 0xF8) {
            UInt32 value = (UInt32(lead & 0x07) << 18) | (UInt32(text[at + 1] & 0x3F) << 12) |
                           (UInt32(text[at + 2] & 0x3F) << 6) | UInt32(text[at + 3] & 0x3F);
            if (value >= kFirstSupplementary && value <= 0x10FFFF) {
                value -= kFirstSupplementary;
                units[n++] = UniChar(kHighSurrogateFirst + (value >> 10));
                units[n++] = UniChar(kLowSurrogateFirst + (value & 0x3FF));
            } else {
                units[n++] = kReplacement;
            }
        } else {
            UniChar unit = 0;
            UTFCharToUnicode(text + at, &unit, next - at);
            units[n++] = (unit >= kHighSurrogateFirst && unit < kSurrogateEnd) ? UniChar(kReplacement) : unit;
        }
        at = next;
    }
    *unitCount = n;
}

SInt32 ExtendedUnitsToUTF8(const UniChar *units, SInt32 count, UInt8 *text) {
    SInt32 n = 0;
    for (SInt32 i = 0; i < count; i++) {
        UniChar u = units[i];
        if (u >= kHighSurrogateFirst && u < kLowSurrogateFirst && i + 1 < count && units[i + 1] >= kLowSurrogateFirst &&
            units[i + 1] < kSurrogateEnd) {
            UInt32 value = kFirstSupplementary + ((UInt32(u - kHighSurrogateFirst) << 10) | UInt32(units[i + 1] - kLowSurrogateFirst));
            text[n++] = UInt8(0xF0 | (value >> 18));
            text[n++] = UInt8(0x80 | ((value >> 12) & 0x3F));
            text[n++] = UInt8(0x80 | ((value >> 6) & 0x3F));
            text[n++] = UInt8(0x80 | (value & 0x3F));
            i++;
            continue;
        }
        if (u >= kHighSurrogateFirst && u < kSurrogateEnd) u = kReplacement;  // a lone half
        if (u < 0x80) text[n++] = UInt8(u);
        else n += UnicodeCharToUTF(u, text + n);
    }
    return n;
}

// ---- Helpers ---------------------------------------------------------------------------------

// The next character boundary as the record steps through UTF-8 text: a lead byte with every
// continuation byte it announces, or any other single byte.
static SInt32 NextBoundary(const UInt8 *text, SInt32 at, SInt32 length) {
    UInt8 b = text[at];
    SInt32 n = b >= 0xF0 && b < 0xF8 ? 4 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xC0 && b < 0xE0 ? 2 : 1;
    if (n == 1 || at + n > length) return at + 1;
    for (SInt32 k = 1; k < n; k++)
        if ((text[at + k] & 0xC0) != 0x80) return at + 1;
    return at + n;
}

static SInt32 UnitsOfChar(const UInt8 *text, SInt32 at, SInt32 next) {
    return (next - at == 4 && text[at] >= 0xF0 && text[at] < 0xF8) ? 2 : 1;
}

// The byte offset after the characters making up units UTF-16 units; a count ending inside a
// pair stops before its character.
static SInt32 CharsToBytes(const UInt8 *text, SInt32 length, SInt32 units) {
    SInt32 at = 0, counted = 0;
    while (at < length) {
        SInt32 next = NextBoundary(text, at, length), add = UnitsOfChar(text, at, next);
        if (counted + add > units) break;
        counted += add;
        at = next;
    }
    return at;
}

// The UTF-16 units of the characters that start within the first bytes bytes.
static SInt32 BytesToUnits(const UInt8 *text, SInt32 length, SInt32 bytes) {
    SInt32 at = 0, units = 0;
    while (at < length && at < bytes) {
        SInt32 next = NextBoundary(text, at, length);
        units += UnitsOfChar(text, at, next);
        at = next;
    }
    return units;
}

// The entry of type, when the scrap has a non-empty one.
static Boolean ReadScrap(ResType type, std::vector<UInt8> *bytes) {
    bytes->clear();
    Handle h = NewHandle(0);
    if (!h) return kFalse;
    SInt32 offset = 0, length = GetScrap(h, type, &offset);
    if (length > 0 && GetHandleSize(h) >= UInt32(length)) bytes->assign((const UInt8 *)*h, (const UInt8 *)*h + length);
    DisposeHandle(h);
    return !bytes->empty();
}

// A style scrap from outside made safe: the count bounded by the bytes there are, starts made
// byte offsets of text, never negative, never decreasing, none beyond the text, the first at 0,
// sizes within the style limit. Null when no element is left or without memory.
static StScrpHandle SanitisedStyles(const std::vector<UInt8> &raw, const std::vector<UInt8> &text, Boolean unitStarts) {
    if (raw.size() < size_t(kStScrpHeaderBytes)) return nullptr;
    SInt16 declared = 0;
    std::memcpy(&declared, raw.data(), sizeof declared);
    SInt32 available = SInt32((raw.size() - kStScrpHeaderBytes) / kStScrpElementBytes);
    SInt32 count = std::min<SInt32>(declared, available);
    if (count <= 0) return nullptr;
    Handle copy = NewHandle(UInt32(raw.size()));
    if (!copy) return nullptr;
    std::memcpy(*copy, raw.data(), raw.size());
    std::vector<ScrpSTElement> kept;
    SInt32 length = SInt32(text.size()), previous = 0;
    for (SInt32 i = 0; i < count; i++) {
        ScrpSTElement e;
        if (!OrvaGetStScrpElement(copy, i, &e)) break;
        SInt32 start = std::max<SInt32>(e.scrpStartChar, 0);
        start = unitStarts ? CharsToBytes(text.data(), length, start) : std::min(start, length);
        if (kept.empty()) start = 0;
        if (start >= length && !kept.empty()) break;
        start = std::max(start, previous);
        e.scrpStartChar = start;
        e.scrpSize = SInt16(std::clamp<SInt32>(e.scrpSize, 0, kTEStyleSizeMax));
        previous = start;
        kept.push_back(e);
    }
    DisposeHandle(copy);
    StScrpHandle scrap = kept.empty() ? nullptr : OrvaNewStScrp(SInt32(kept.size()));
    if (!scrap) return nullptr;
    for (size_t i = 0; i < kept.size(); i++) OrvaSetStScrpElement(scrap, SInt32(i), &kept[i]);
    return scrap;
}

// 'utxt' units in memory order; an odd last byte is dropped.
static void ConvertUnitsFromScrap(const std::vector<UInt8> &raw, std::vector<UInt8> *utf8) {
    SInt32 count = SInt32(raw.size() / sizeof(UniChar));
    std::vector<UniChar> units(size_t(count) + 1);
    if (count > 0) std::memcpy(units.data(), raw.data(), size_t(count) * sizeof(UniChar));
    utf8->assign(size_t(count) * 3 + 1, 0);
    utf8->resize(size_t(ExtendedUnitsToUTF8(units.data(), count, utf8->data())));
}

static void ConvertMacRoman(std::vector<UInt8> *bytes) {
    if (bytes->empty()) return;
    SInt32 count = 0;
    EncodedStr converted = MacRomanTextToUTF(bytes->data(), 0, SInt32(bytes->size()), &count);
    if (!converted) {
        bytes->clear();
        return;
    }
    bytes->assign((const UInt8 *)converted, (const UInt8 *)converted + count);
    DisposeEncodedStr(converted);
}

// Lays out after delta bytes changed at at and redraws what moved. A layout already out of step
// with the text (left so while drawing was suspended) is redone whole.
static void Relayout(ExtendedTEHandle te, SInt32 at, SInt32 delta, Boolean consistent, SInt32 oldHeight) {
    SInt32 first = 0, last = 0;
    if (consistent) {
        ExtendedTERecalText(at, -1, delta, te, &first, &last);
    } else {
        ExtendedTECalText(te);
        last = std::max<SInt32>((*te)->teLength - 1, 0);
    }
    ExtendedTEDoText(te, first, last, oldHeight);
}

static Boolean LayoutConsistent(ExtendedTEHandle te) {
    SInt32 lines = (*te)->nLines;
    return lines > 0 && (*te)->lineStarts[lines] == (*te)->teLength;
}

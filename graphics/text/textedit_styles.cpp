// Styled TextEdit: the style runs of a styled record over its shared style table, kept in step
// with the text (runs ascending from 0, the end marker last, each use count equal to its runs,
// no two neighbouring runs with one style, no run past the text), the line heights, the null
// style given to the next typed byte, the style scrap ("styl") and the drawing of styled lines.
#include "graphics/text/textedit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/textedit_internal.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/byte_reader.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/scrap.h"

namespace {

enum : SInt32 {
    kDrawChunk = 32000,      // bytes given to one _DrawText call
    kDefaultSize = 12,       // what a size of 0 stands for when a size is added to it
    kNullFont = 1,           // the null style of a record without one
    kHeightMax = 0x7FFF,     // line heights are kept on 15 bits
};

const ResType kScrapText = FourCC("TEXT");
const ResType kScrapStyles = FourCC("styl");

// Byte offsets of the fields of one style-scrap element.
enum : size_t {
    kElemStart = 0,
    kElemHeight = 4,
    kElemAscent = 6,
    kElemFont = 8,
    kElemFace = 10,
    kElemSize = 12,
    kElemRed = 14,
    kElemGreen = 16,
    kElemBlue = 18,
};

// An element of a style scrap placed in the text, for SetStylScrap.
struct PlacedStyle {
    SInt32 offset;
    SInt32 order;  // position in the scrap: of two at one offset the later wins
    TextStyle style;
};

}  // namespace

static UInt32 StyleRecBytes(SInt32 runs);
static void DrawStyledLine(TEHandle te, SInt32 line, SInt32 top);
static TEStylePtr StyleRec(TEHandle te);
static SInt32 EffectiveLength(TEHandle te);
static SInt32 RunOf(TEHandle te, SInt32 offset);
static Boolean InsertRun(TEHandle te, SInt32 offset, SInt32 styleIndex);
static void DeleteRun(TEHandle te, SInt32 index);
static void ChangeRunStyle(TEHandle te, SInt32 index, SInt32 styleIndex);
static void ReleaseStyle(TEHandle te, SInt32 styleIndex);
static void MergeRuns(TEHandle te);
static Boolean SplitAt(TEHandle te, SInt32 offset);
static void SetRunStyleAt(TEHandle te, SInt32 offset, SInt32 styleIndex);
static void EntryStyle(TEHandle te, SInt32 styleIndex, TextStyle *style);
static Boolean SameStyle(const TextStyle *a, const TextStyle *b);
static void ApplyMode(SInt16 mode, const TextStyle *from, TextStyle *to);
static void SetNullStyle(TEHandle te, const TextStyle *style);
static Boolean InitStyle(TEHandle te);
static StScrpHandle NullStyleScrap(TEHandle te);
static void ForeColorOfPort(GrafPtr port, RGBColor *rgb);
static ByteReader ScrapReader(StScrpHandle scrap);
static void Write16(UInt8 *p, UInt16 value);
static void Swap16At(UInt8 *p);
static void Swap32At(UInt8 *p);
static void SwapScrapElements(StScrpHandle scrap, SInt32 count);
static SInt32 ScrapCountOf(StScrpHandle scrap, SInt16 count);
static void DisposeStyleTables(TEStyleHandle styleHandle);

// ---- Records ----------------------------------------------------------------------------------

TEHandle TEStylNew(const Rect *destRect, const Rect *viewRect) {
    TEHandle te = TENew(destRect, viewRect);
    if (!te) return nullptr;
    Handle styles = TENewHandle(StyleRecBytes(0));
    if (!styles) {
        TEDispose(te);
        return nullptr;
    }
    std::memset(*styles, 0, StyleRecBytes(0));
    (*te)->lineHeight = -1;
    (*te)->fontAscent = -1;
    (*te)->txSize = -1;
    (*te)->styleHandle = (TEStyleHandle)styles;
    if (!InitStyle(te)) {
        TEDispose(te);
        return nullptr;
    }
    TECalText(te);
    return te;
}

TEStyleHandle GetStylHandle(TEHandle te) { return te && *te && TEIsStyled(te) ? (*te)->styleHandle : nullptr; }

void SetStylHandle(TEStyleHandle styleHandle, TEHandle te) {
    if (te && *te && styleHandle && TEIsStyled(te)) (*te)->styleHandle = styleHandle;
}

// ---- Styles of ranges -------------------------------------------------------------------------

void TESetStyle(SInt16 mode, const TextStyle *style, Boolean redraw, TEHandle te) {
    if (!te || !*te || !style || !TEIsStyled(te)) return;
    SInt32 start = std::min((*te)->selStart, (*te)->selEnd), end = std::max((*te)->selStart, (*te)->selEnd);
    if (start == end) {
        TextStyle next;
        OrvaGetStyleNull((*te)->styleHandle, &next);
        ApplyMode(mode, style, &next);
        SetNullStyle(te, &next);
        return;
    }
    SInt32 oldHeight = TEGetHeight((*te)->nLines, 0, te);
    if (!SplitAt(te, end) || !SplitAt(te, start)) {
        MergeRuns(te);
        return;
    }
    for (SInt32 i = RunOf(te, start); i < StyleRec(te)->nRuns && StyleRec(te)->runs[i].startChar < end; i++) {
        TextStyle before, after;
        EntryStyle(te, StyleRec(te)->runs[i].styleIndex, &before);
        after = before;
        ApplyMode(mode, style, &after);
        if (SameStyle(&before, &after)) continue;
        SInt32 index = orva_AddStyle(&after, (*te)->styleHandle);
        if (index < 0) break;
        ChangeRunStyle(te, i, index);
    }
    MergeRuns(te);
    SInt32 first = 0, last = 0;
    TERecalText(start, end, 0, te, &first, &last);
    if (redraw) TEDoText(te, first, (*te)->teLength, oldHeight);
}

void TEGetStyle(SInt32 offset, TextStyle *style, SInt16 *lineHeight, SInt16 *fontAscent, TEHandle te) {
    if (!te || !*te) return;
    TextStyle found;
    SInt16 height = 0, ascent = 0;
    if (!TEIsStyled(te)) {
        found = TextStyle{(*te)->txFont, (*te)->txFace, 0, (*te)->txSize, {0, 0, 0}};
        ForeColorOfPort((*te)->inPort, &found.tsColor);
        height = (*te)->lineHeight;
        ascent = (*te)->fontAscent;
    } else {
        SInt32 index = StyleRec(te)->runs[RunOf(te, TEClampOffset(te, offset))].styleIndex;
        EntryStyle(te, index, &found);
        const STElement &entry = (*StyleRec(te)->styleTab)[index];
        height = SInt16(std::min<SInt32>(entry.stHeight, kHeightMax));
        ascent = SInt16(std::min<SInt32>(entry.stAscent, kHeightMax));
    }
    if (style) *style = found;
    if (lineHeight) *lineHeight = height;
    if (fontAscent) *fontAscent = ascent;
}

Boolean TEContinuousStyle(SInt16 *mode, TextStyle *style, TEHandle te) {
    if (!te || !*te || !mode || !style) return kFalse;
    if (!TEIsStyled(te)) {
        *style = TextStyle{(*te)->txFont, (*te)->txFace, 0, (*te)->txSize, {0, 0, 0}};
        GrafPtr port = (*te)->inPort;
        CTabHandle table = OrvaIsGrayPort(port) ? OrvaGray8BitsColorTable : OrvaDefault8BitsColorTable;
        if (port && table && port->forePixel <= UInt32((*table)->ctSize)) style->tsColor = (*table)->ctTable[port->forePixel].rgb;
        return kTrue;
    }
    SInt32 start = std::min((*te)->selStart, (*te)->selEnd), end = std::max((*te)->selStart, (*te)->selEnd);
    if (start == end) {
        OrvaGetStyleNull((*te)->styleHandle, style);
        return kTrue;
    }
    SInt16 asked = *mode;
    SInt32 first = RunOf(te, start);
    EntryStyle(te, StyleRec(te)->runs[first].styleIndex, style);
    for (SInt32 i = first + 1; i < StyleRec(te)->nRuns && StyleRec(te)->runs[i].startChar < end; i++) {
        TextStyle other;
        EntryStyle(te, StyleRec(te)->runs[i].styleIndex, &other);
        if (other.tsFont != style->tsFont) *mode &= ~doFont;
        if (other.tsFace != style->tsFace) *mode &= ~doFace;
        if (other.tsSize != style->tsSize) *mode &= ~doSize;
        if (other.tsColor.red != style->tsColor.red || other.tsColor.green != style->tsColor.green ||
            other.tsColor.blue != style->tsColor.blue)
            *mode &= ~doColor;
    }
    return *mode == asked;
}

void TEStylInsert(const void *text, SInt32 length, StScrpHandle styleScrap, TEHandle te) {
    if (!te || !*te || !text || length <= 0) return;
    SInt32 oldLength = (*te)->teLength;
    length = std::min<SInt32>(length, kTEMaxLength - oldLength);  // the text stays within the limit
    if (length <= 0) return;
    Boolean wasActive = (*te)->active != 0;
    TEDeactivate(te);
    SInt32 at = TEClampOffset(te, (*te)->selStart);
    SInt32 oldHeight = TEGetHeight((*te)->nLines, 0, te);
    // The bytes may come from this record's own text, which the resize can move.
    std::vector<UInt8> bytes((const UInt8 *)text, (const UInt8 *)text + length);
    Handle textHandle = (*te)->hText;
    SetHandleSize(textHandle, UInt32(oldLength + length));
    if (MemError() != noErr) {
        if (wasActive) TEActivate(te);
        return;
    }
    Boolean styled = TEIsStyled(te);
    if (styled) orva_RunAdjust(at, length, te);
    std::memmove(*textHandle + at + length, *textHandle + at, size_t(oldLength - at));
    std::memcpy(*textHandle + at, bytes.data(), size_t(length));
    (*te)->teLength = UInt16(oldLength + length);
    (*te)->selStart = UInt16(std::min<SInt32>((*te)->selStart + length, (*te)->teLength));
    (*te)->selEnd = UInt16(std::min<SInt32>((*te)->selEnd + length, (*te)->teLength));
    if (styled) {
        StScrpHandle own = styleScrap ? nullptr : NullStyleScrap(te);
        SetStylScrap(at, at + length, styleScrap ? styleScrap : own, kFalse, te);
        if (own) DisposHandle(own);
    }
    SInt32 first = 0, last = 0;
    TERecalText(at, -1, length, te, &first, &last);
    TEDoText(te, first, last, oldHeight);
    orva_FixeStyleNull(te);
    (*te)->selPoint = TEGetPoint((*te)->selStart, te);
    if (wasActive) TEActivate(te);
}

void TEStylPaste(TEHandle te) {
    if (!te || !*te) return;
    Handle text = NewHandle(0);
    if (!text) return;
    SInt32 offset = 0;
    SInt32 length = GetScrap(text, kScrapText, &offset);
    if (length >= 0) {
        TEDelete(te);
        StScrpHandle styles = TEIsStyled(te) ? NewHandle(0) : nullptr;
        if (styles && GetScrap(styles, kScrapStyles, &offset) < kStScrpHeaderBytes) {
            DisposHandle(styles);
            styles = nullptr;
        }
        HLock(text);
        TEStylInsert(*text, SInt32(GetHandleSize(text)), styles, te);
        if (styles) DisposHandle(styles);
        TESelView(te);
    }
    DisposHandle(text);
}

void TEReplaceStyle(SInt16, const TextStyle *, const TextStyle *, Boolean, TEHandle) {}

// ---- The style scrap ----------------------------------------------------------------------------

StScrpHandle GetStylScrap(TEHandle te) {
    if (!te || !*te || !TEIsStyled(te)) return nullptr;
    SInt32 start = std::min((*te)->selStart, (*te)->selEnd), end = std::max((*te)->selStart, (*te)->selEnd);
    SInt32 first = RunOf(te, start), last = first + 1;
    while (last < StyleRec(te)->nRuns && StyleRec(te)->runs[last].startChar < end) last++;
    StScrpHandle scrap = OrvaNewStScrp(last - first);
    if (!scrap) return nullptr;
    for (SInt32 i = first; i < last; i++) {
        const StyleRun run = StyleRec(te)->runs[i];
        const STElement entry = (*StyleRec(te)->styleTab)[run.styleIndex];
        ScrpSTElement element;
        element.scrpStartChar = std::max<SInt32>(run.startChar, start) - start;
        element.scrpHeight = SInt16(std::min<SInt32>(entry.stHeight, kHeightMax));
        element.scrpAscent = SInt16(std::min<SInt32>(entry.stAscent, kHeightMax));
        element.scrpFont = SInt16(entry.stFont);
        element.scrpFace = entry.stFace;
        element.scrpSize = SInt16(entry.stSize);
        element.scrpColor = entry.stColor;
        OrvaSetStScrpElement(scrap, i - first, &element);
    }
    return scrap;
}

void SetStylScrap(SInt32 start, SInt32 end, StScrpHandle styleScrap, Boolean redraw, TEHandle te) {
    if (!te || !*te || !TEIsStyled(te)) return;
    SInt32 count = OrvaStScrpCount(styleScrap);
    start = TEClampOffset(te, start);
    end = TEClampOffset(te, end);
    if (start > end) std::swap(start, end);
    if (count == 0 || start == end) return;
    // Starts are taken relative to start, negative ones as 0; those at or past end are ignored.
    std::vector<PlacedStyle> placed;
    for (SInt32 i = 0; i < count; i++) {
        ScrpSTElement element;
        if (!OrvaGetStScrpElement(styleScrap, i, &element)) break;
        SInt64 offset = SInt64(start) + std::max<SInt32>(element.scrpStartChar, 0);
        if (offset >= end) continue;
        TextStyle style{element.scrpFont, element.scrpFace, 0, element.scrpSize, element.scrpColor};
        placed.push_back(PlacedStyle{SInt32(offset), i, style});
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const PlacedStyle &a, const PlacedStyle &b) { return a.offset < b.offset; });
    SInt32 oldHeight = TEGetHeight((*te)->nLines, 0, te);
    // The text after the range keeps its style; the range's own boundaries are the scrap's.
    if (!SplitAt(te, end)) return;
    for (SInt32 i = RunOf(te, start) + 1; i < StyleRec(te)->nRuns && StyleRec(te)->runs[i].startChar < end;) {
        if (StyleRec(te)->runs[i].startChar > start) DeleteRun(te, i);
        else i++;
    }
    for (const PlacedStyle &p : placed) {
        SInt32 index = orva_AddStyle(&p.style, (*te)->styleHandle);
        if (index >= 0) SetRunStyleAt(te, p.offset, index);
    }
    MergeRuns(te);
    if (redraw) {
        SInt32 first = 0, last = 0;
        TERecalText(start, end, 0, te, &first, &last);
        TEDoText(te, first, (*te)->teLength, oldHeight);
    }
}

void OrvaCvtStScrpHandle(StScrpHandle scrap) { OrvaCvtScrpHandleMacToPC(scrap); }

void OrvaCvtScrpHandleMacToPC(StScrpHandle scrap) {
    if (!scrap || GetHandleSize(scrap) < UInt32(kStScrpHeaderBytes)) return;
    ByteReader stored = ScrapReader(scrap);
    SInt16 count = SInt16(Get16(&stored));  // big-endian before the swap
    Swap16At((UInt8 *)*scrap);
    SwapScrapElements(scrap, ScrapCountOf(scrap, count));
}

void OrvaCvtScrpHandlePCToMac(StScrpHandle scrap) {
    if (!scrap || GetHandleSize(scrap) < UInt32(kStScrpHeaderBytes)) return;
    ByteReader memory = ScrapReader(scrap);
    SInt16 count = SInt16(Get16LE(&memory));  // memory order before the swap
    Swap16At((UInt8 *)*scrap);
    SwapScrapElements(scrap, ScrapCountOf(scrap, count));
}

SInt32 OrvaStScrpCount(StScrpHandle scrap) {
    if (!scrap || GetHandleSize(scrap) < UInt32(kStScrpHeaderBytes)) return 0;
    ByteReader memory = ScrapReader(scrap);
    return ScrapCountOf(scrap, SInt16(Get16LE(&memory)));
}

// The scrap in memory holds its numbers in memory order (little-endian): start, height,
// ascent, font, face and a spare byte, size, red, green, blue.
Boolean OrvaGetStScrpElement(StScrpHandle scrap, SInt32 index, ScrpSTElement *element) {
    if (!scrap || !element || index < 0) return kFalse;
    ByteReader memory = ScrapReader(scrap);
    Seek(&memory, size_t(kStScrpHeaderBytes) + size_t(index) * kStScrpElementBytes);
    ByteReader e = SubReader(&memory, kStScrpElementBytes);
    if (memory.failed) return kFalse;
    element->scrpStartChar = SInt32(Get32LE(&e));
    element->scrpHeight = SInt16(Get16LE(&e));
    element->scrpAscent = SInt16(Get16LE(&e));
    element->scrpFont = SInt16(Get16LE(&e));
    element->scrpFace = Get8(&e);
    Skip(&e, 1);
    element->scrpSize = SInt16(Get16LE(&e));
    element->scrpColor.red = Get16LE(&e);
    element->scrpColor.green = Get16LE(&e);
    element->scrpColor.blue = Get16LE(&e);
    return kTrue;
}

Boolean OrvaSetStScrpElement(StScrpHandle scrap, SInt32 index, const ScrpSTElement *element) {
    if (!scrap || !element || index < 0) return kFalse;
    size_t at = size_t(kStScrpHeaderBytes) + size_t(index) * kStScrpElementBytes;
    if (at + kStScrpElementBytes > GetHandleSize(scrap)) return kFalse;
    UInt8 *p = (UInt8 *)*scrap + at;
    UInt32 start = UInt32(element->scrpStartChar);
    std::memcpy(p + kElemStart, &start, 4);
    Write16(p + kElemHeight, UInt16(element->scrpHeight));
    Write16(p + kElemAscent, UInt16(element->scrpAscent));
    Write16(p + kElemFont, UInt16(element->scrpFont));
    p[kElemFace] = element->scrpFace;
    p[kElemFace + 1] = 0;
    Write16(p + kElemSize, UInt16(element->scrpSize));
    Write16(p + kElemRed, element->scrpColor.red);
    Write16(p + kElemGreen, element->scrpColor.green);
    Write16(p + kElemBlue, element->scrpColor.blue);
    return kTrue;
}

StScrpHandle OrvaNewStScrp(SInt32 count) {
    if (count < 0 || count > 0x7FFF) return nullptr;
    StScrpHandle scrap = NewHandleClear(UInt32(kStScrpHeaderBytes + count * kStScrpElementBytes));
    if (scrap) Write16((UInt8 *)*scrap, UInt16(count));
    return scrap;
}

// ---- Runs and the style table -------------------------------------------------------------------

void orva_InitStyle(TEHandle te) {
    if (te && *te && TEIsStyled(te)) InitStyle(te);
}

void orva_FixeStyleNull(TEHandle te) {
    if (!te || !*te || !TEIsStyled(te) || (*te)->selStart != (*te)->selEnd) return;
    SInt32 at = (*te)->selStart;
    TextStyle style;
    EntryStyle(te, StyleRec(te)->runs[RunOf(te, at > 0 ? at - 1 : 0)].styleIndex, &style);
    TESetStyle(doAll, &style, kFalse, te);
}

void OrvaGetStyleNull(TEStyleHandle styleHandle, TextStyle *style) {
    if (!style) return;
    *style = TextStyle{kNullFont, 0, 0, 0, {0, 0, 0}};
    NullStHandle null = styleHandle && *styleHandle ? (*styleHandle)->nullStyle : nullptr;
    StScrpHandle scrap = null && *null ? (*null)->nullScrap : nullptr;
    ScrpSTElement element;
    if (OrvaStScrpCount(scrap) == 1 && OrvaGetStScrpElement(scrap, 0, &element))
        *style = TextStyle{element.scrpFont, element.scrpFace, 0, element.scrpSize, element.scrpColor};
}

SInt32 orva_AddStyle(const TextStyle *style, TEStyleHandle styleHandle) {
    if (!style || !styleHandle || !*styleHandle) return -1;
    STHandle table = (*styleHandle)->styleTab;
    if (!table) return -1;
    UInt16 size = UInt16(std::clamp<SInt32>(style->tsSize, 0, kTEStyleSizeMax));
    SInt32 count = (*styleHandle)->nStyles;
    for (SInt32 i = 0; i < count; i++) {
        const STElement &e = (*table)[i];
        if (e.stFont == UInt16(style->tsFont) && e.stSize == size && e.stFace == style->tsFace &&
            e.stColor.red == style->tsColor.red && e.stColor.green == style->tsColor.green &&
            e.stColor.blue == style->tsColor.blue)
            return i;
    }
    SetHandleSize((Handle)table, UInt32(sizeof(STElement) * size_t(count + 1)));
    if (MemError() != noErr) return -1;
    FontInfo info = {0, 0, 0, 0};
    OrvaGetFontInfo(UInt16(style->tsFont), SInt16(size), &info);
    STElement &entry = (*table)[count];
    entry = STElement{0,
                      UInt16(std::clamp<SInt32>(info.ascent + info.descent + info.leading, 0, kHeightMax)),
                      UInt16(std::clamp<SInt32>(info.ascent, 0, kHeightMax)),
                      UInt16(style->tsFont),
                      style->tsFace,
                      0,
                      size,
                      style->tsColor};
    (*styleHandle)->nStyles = count + 1;
    return count;
}

STElement *orva_LocStyle(SInt32 offset, TEStyleHandle styleHandle) {
    if (!styleHandle || !*styleHandle || !(*styleHandle)->styleTab || (*styleHandle)->nRuns < 1) return nullptr;
    TEStylePtr rec = *styleHandle;
    SInt32 i = 0;
    while (i + 1 < rec->nRuns && rec->runs[i + 1].startChar <= offset) i++;
    SInt32 index = rec->runs[i].styleIndex;
    if (index < 0 || index >= rec->nStyles) return nullptr;
    return &(*rec->styleTab)[index];
}

void orva_RunAdjust(SInt32 offset, SInt32 delta, TEHandle te) {
    if (!te || !*te || !TEIsStyled(te) || delta == 0) return;
    StyleRun *runs = StyleRec(te)->runs;
    // Runs pushed back onto offset by a deletion start there; merging then drops the runs they
    // cover, which start there too.
    for (SInt32 i = RunOf(te, offset) + 1; i <= StyleRec(te)->nRuns; i++)
        runs[i].startChar = UInt16(std::clamp<SInt32>(std::max<SInt32>(runs[i].startChar + delta, offset), 0, 0xFFFF));
    MergeRuns(te);
}

void orva_DisposeExtText(TEHandle te) {
    if (!te || !*te || !(*te)->styleHandle) return;
    DisposeStyleTables((*te)->styleHandle);
    DisposHandle((Handle)(*te)->styleHandle);
    (*te)->styleHandle = nullptr;
}

// ---- Shared with the other TextEdit files ----------------------------------------------------

SInt32 TEStyledWidth(TEHandle te, SInt32 start, SInt32 length) {
    SInt32 end = start + length, total = 0;
    const char *text = *(*te)->hText;
    const TEStylePtr rec = StyleRec(te);
    for (SInt32 i = RunOf(te, start); start < end && total < kTextWidthMax;) {
        SInt32 next = i + 1 < rec->nRuns ? rec->runs[i + 1].startChar : end;
        SInt32 pieceEnd = std::min(end, next);
        if (pieceEnd <= start) pieceEnd = end;  // a broken table still measures everything
        const STElement entry = (*rec->styleTab)[rec->runs[i].styleIndex];
        TETextFields saved;
        TESetPortText(SInt16(entry.stFont), entry.stFace, SInt16(entry.stSize), &saved);
        total += OrvaTextWidth(text, start, pieceEnd - start, kFalse);
        TERestorePortText(&saved);
        start = pieceEnd;
        if (i + 1 < rec->nRuns) i++;
    }
    return std::min<SInt32>(total, kTextWidthMax);
}

void TEStyledLineMetrics(TEHandle te, SInt32 start, SInt32 end, LHElement *metrics) {
    SInt32 height = 0, ascent = 0;
    end = std::max(end, start + 1);
    const TEStylePtr rec = StyleRec(te);
    SInt32 first = RunOf(te, start);
    for (SInt32 i = first; i < rec->nRuns && (i == first || rec->runs[i].startChar < end); i++) {
        const STElement &entry = (*rec->styleTab)[rec->runs[i].styleIndex];
        height = std::max<SInt32>(height, entry.stHeight);
        ascent = std::max<SInt32>(ascent, entry.stAscent);
    }
    metrics->lhHeight = SInt16(std::min<SInt32>(height, kHeightMax));
    metrics->lhAscent = SInt16(std::min<SInt32>(ascent, kHeightMax));
}

void TEStyledNullStyle(TEHandle te, TextStyle *style) { OrvaGetStyleNull((*te)->styleHandle, style); }

void orva_affiche_texteExt(TEHandle te, SInt32 start, SInt32 end, SInt32 oldBottom, SInt32 newBottom) {
    TEDrawSave save;
    if (!TEBeginDraw(te, &save)) return;
    Rect view = (*te)->viewRect, clipBox = (*qd.thePort->clipRgn)->rgnBBox;
    Handle text = (*te)->hText;
    UInt8 state = HGetState(text);
    HLock(text);
    if (SectRect(&view, &clipBox, &clipBox)) {
        SInt32 first = 0, last = 0;
        TEDrawnLines(te, start, end, &first, &last);
        SInt32 destTop = (*te)->destRect.top, top = destTop + TELineBottom(te, first) - TELineHeight(te, first);
        for (SInt32 line = first; line <= last && top < view.bottom; top += TELineHeight(te, line), line++) {
            SInt32 height = TELineHeight(te, line);
            if (top + height <= view.top) continue;
            Rect band = {TEClampCoordinate(top), view.left, TEClampCoordinate(top + height), view.right};
            EraseRect(&band);
            if (line < (*te)->nLines) DrawStyledLine(te, line, top);
        }
        SInt32 textBottom = destTop + TEGetHeight((*te)->nLines, 0, te);
        Rect below = {TEClampCoordinate(std::max<SInt32>(textBottom, view.top)), view.left, view.bottom, view.right};
        if (!EmptyRect(&below)) EraseRect(&below);
        Rect gap = {TEClampCoordinate(std::max<SInt32>(newBottom, view.top)), view.left,
                    TEClampCoordinate(std::min<SInt32>(oldBottom, view.bottom)), view.right};
        if (oldBottom > newBottom && !EmptyRect(&gap)) EraseRect(&gap);
    }
    HSetState(text, state);
    TEEndDraw(&save);
}

Boolean TESpliceLineHeights(TEHandle te, SInt32 first, SInt32 oldEnd, const LHElement *produced, SInt32 count) {
    LHHandle table = StyleRec(te)->lhTab;
    if (!table) return kFalse;
    SInt32 oldLines = (*te)->nLines;
    SInt32 entries = SInt32(GetHandleSize((Handle)table) / sizeof(LHElement));
    auto old = [&](SInt32 line) {
        return line < entries ? (*table)[line] : LHElement{0, 0};
    };
    std::vector<LHElement> result;
    result.reserve(size_t(first + count + std::max<SInt32>(oldLines - oldEnd, 0) + 1));
    for (SInt32 line = 0; line < first; line++) result.push_back(old(line));
    for (SInt32 i = 0; i < count; i++) {
        // An entry fixed by the caller (negative height) keeps its place.
        if (first + i < oldEnd && old(first + i).lhHeight < 0) result.push_back(old(first + i));
        else result.push_back(produced[i]);
    }
    for (SInt32 line = oldEnd; line < oldLines; line++) result.push_back(old(line));
    LHElement after;
    TEStyledLineMetrics(te, (*te)->teLength, (*te)->teLength, &after);
    result.push_back(after);
    SetHandleSize((Handle)table, UInt32(sizeof(LHElement) * result.size()));
    if (MemError() != noErr) return kFalse;
    std::memcpy(*table, result.data(), sizeof(LHElement) * result.size());
    return kTrue;
}

// ---- Helpers --------------------------------------------------------------------------------

// A styled line without its return, run by run in each run's font, face, size and colour, on
// the line's baseline.
static void DrawStyledLine(TEHandle te, SInt32 line, SInt32 top) {
    const char *text = *(*te)->hText;
    SInt32 at = (*te)->lineStarts[line], stop = (*te)->lineStarts[line + 1];
    if (stop > at && UInt8(text[stop - 1]) == kTEReturn) stop--;
    _MoveTo(TEClampCoordinate((*te)->destRect.left + TEJustification(te, line)),
            TEClampCoordinate(top + TELineAscent(te, line)));
    for (SInt32 i = RunOf(te, at); at < stop; i++) {
        const StyleRun run = StyleRec(te)->runs[i];
        SInt32 pieceEnd = std::min<SInt32>(stop, StyleRec(te)->runs[i + 1].startChar);
        if (pieceEnd <= at) pieceEnd = stop;
        const STElement entry = (*StyleRec(te)->styleTab)[run.styleIndex];
        TextFont(SInt16(entry.stFont));
        TextFace(entry.stFace);
        TextSize(SInt16(entry.stSize));
        RGBForeColor(&entry.stColor);
        for (; at < pieceEnd; at += kDrawChunk)
            _DrawText(text + at, 0, SInt16(std::min<SInt32>(pieceEnd - at, kDrawChunk)));
        at = pieceEnd;
    }
}

static UInt32 StyleRecBytes(SInt32 runs) {
    return UInt32(offsetof(TEStyleRec, runs) + sizeof(StyleRun) * size_t(runs + 1));
}

static TEStylePtr StyleRec(TEHandle te) { return *(*te)->styleHandle; }

// The text length the runs describe: the end marker's start less one. It runs ahead of
// teLength while an insertion or deletion is being made.
static SInt32 EffectiveLength(TEHandle te) {
    const TEStylePtr rec = StyleRec(te);
    return SInt32(rec->runs[rec->nRuns].startChar) - 1;
}

// The run of offset: the last whose start is at or before it.
static SInt32 RunOf(TEHandle te, SInt32 offset) {
    const TEStylePtr rec = StyleRec(te);
    if (rec->nRuns < 1) {
        OrvaErreur("orva_NumRun");
        return 0;
    }
    const StyleRun *begin = rec->runs, *end = rec->runs + rec->nRuns;
    const StyleRun *after = std::upper_bound(begin, end, offset, [](SInt32 value, const StyleRun &run) {
        return value < SInt32(run.startChar);
    });
    return std::max<SInt32>(SInt32(after - begin) - 1, 0);
}

// A new run starting at offset after the run of offset.
static Boolean InsertRun(TEHandle te, SInt32 offset, SInt32 styleIndex) {
    SInt32 count = StyleRec(te)->nRuns, at = RunOf(te, offset) + 1;
    SetHandleSize((Handle)(*te)->styleHandle, StyleRecBytes(count + 1));
    if (MemError() != noErr) return kFalse;
    StyleRun *runs = StyleRec(te)->runs;
    std::memmove(runs + at + 1, runs + at, sizeof(StyleRun) * size_t(count + 1 - at));
    runs[at] = StyleRun{UInt16(offset), styleIndex};
    StyleRec(te)->nRuns = count + 1;
    (*StyleRec(te)->styleTab)[styleIndex].stCount++;
    return kTrue;
}

static void DeleteRun(TEHandle te, SInt32 index) {
    SInt32 count = StyleRec(te)->nRuns;
    if (index < 0 || index >= count) return;
    StyleRun *runs = StyleRec(te)->runs;
    SInt32 style = runs[index].styleIndex;
    std::memmove(runs + index, runs + index + 1, sizeof(StyleRun) * size_t(count - index));
    StyleRec(te)->nRuns = count - 1;
    SetHandleSize((Handle)(*te)->styleHandle, StyleRecBytes(count - 1));
    ReleaseStyle(te, style);
}

static void ChangeRunStyle(TEHandle te, SInt32 index, SInt32 styleIndex) {
    SInt32 old = StyleRec(te)->runs[index].styleIndex;
    if (old == styleIndex) return;
    StyleRec(te)->runs[index].styleIndex = styleIndex;
    (*StyleRec(te)->styleTab)[styleIndex].stCount++;
    ReleaseStyle(te, old);
}

// One run fewer names the style; a style no run names leaves the table.
static void ReleaseStyle(TEHandle te, SInt32 styleIndex) {
    TEStylePtr rec = StyleRec(te);
    if (styleIndex < 0 || styleIndex >= rec->nStyles) return;
    STElement *table = *rec->styleTab;
    if (table[styleIndex].stCount > 0) table[styleIndex].stCount--;
    if (table[styleIndex].stCount > 0) return;
    for (SInt32 i = 0; i < rec->nRuns; i++) {
        if (rec->runs[i].styleIndex == styleIndex) {
            OrvaErreur("orva_DelStyle : count illegal ");
            return;
        }
    }
    std::memmove(table + styleIndex, table + styleIndex + 1, sizeof(STElement) * size_t(rec->nStyles - styleIndex - 1));
    rec->nStyles--;
    for (SInt32 i = 0; i < rec->nRuns; i++)
        if (rec->runs[i].styleIndex > styleIndex) rec->runs[i].styleIndex--;
    SetHandleSize((Handle)rec->styleTab, UInt32(sizeof(STElement) * size_t(rec->nStyles)));
}

// Joins runs until no two neighbours share a start or a style, and drops runs past the text.
static void MergeRuns(TEHandle te) {
    SInt32 length = EffectiveLength(te);
    for (SInt32 i = 1; i < StyleRec(te)->nRuns;) {
        const StyleRun *runs = StyleRec(te)->runs;
        if (runs[i].startChar >= length) {
            DeleteRun(te, i);
        } else if (runs[i].startChar == runs[i - 1].startChar) {
            DeleteRun(te, i - 1);  // the earlier run is empty; the pair before may now match
            i = std::max<SInt32>(i - 1, 1);
        } else if (runs[i].styleIndex == runs[i - 1].styleIndex) {
            DeleteRun(te, i);
        } else {
            i++;
        }
    }
}

// Makes a run start at offset, with the style in force there. False without memory.
static Boolean SplitAt(TEHandle te, SInt32 offset) {
    if (offset <= 0 || offset >= EffectiveLength(te)) return kTrue;
    SInt32 run = RunOf(te, offset);
    if (StyleRec(te)->runs[run].startChar == offset) return kTrue;
    return InsertRun(te, offset, StyleRec(te)->runs[run].styleIndex);
}

static void SetRunStyleAt(TEHandle te, SInt32 offset, SInt32 styleIndex) {
    SInt32 run = RunOf(te, offset);
    if (StyleRec(te)->runs[run].startChar == offset) {
        ChangeRunStyle(te, run, styleIndex);
    } else if (!InsertRun(te, offset, styleIndex) && (*StyleRec(te)->styleTab)[styleIndex].stCount == 0) {
        (*StyleRec(te)->styleTab)[styleIndex].stCount = 1;
        ReleaseStyle(te, styleIndex);  // the entry orva_AddStyle made for nothing
    }
}

static void EntryStyle(TEHandle te, SInt32 styleIndex, TextStyle *style) {
    const STElement &e = (*StyleRec(te)->styleTab)[styleIndex];
    *style = TextStyle{SInt16(e.stFont), e.stFace, 0, SInt16(e.stSize), e.stColor};
}

static Boolean SameStyle(const TextStyle *a, const TextStyle *b) {
    return a->tsFont == b->tsFont && a->tsFace == b->tsFace && a->tsSize == b->tsSize &&
           a->tsColor.red == b->tsColor.red && a->tsColor.green == b->tsColor.green && a->tsColor.blue == b->tsColor.blue;
}

// Mode bits: font, face (set, not toggled), size set or added, colour.
static void ApplyMode(SInt16 mode, const TextStyle *from, TextStyle *to) {
    if (mode & doFont) to->tsFont = from->tsFont;
    if (mode & doFace) to->tsFace = from->tsFace;
    if (mode & addSize) {
        SInt32 base = to->tsSize > 0 ? SInt32(to->tsSize) : SInt32(kDefaultSize);
        to->tsSize = SInt16(std::clamp<SInt32>(base + from->tsSize, 1, kTEStyleSizeMax));
    } else if (mode & doSize) {
        to->tsSize = SInt16(std::clamp<SInt32>(from->tsSize, 0, kTEStyleSizeMax));
    }
    if (mode & doColor) to->tsColor = from->tsColor;
}

// The null scrap becomes one element of style.
static void SetNullStyle(TEHandle te, const TextStyle *style) {
    NullStHandle null = StyleRec(te)->nullStyle;
    if (!null) return;
    StScrpHandle scrap = OrvaNewStScrp(1);
    if (!scrap) return;
    FontInfo info = {0, 0, 0, 0};
    OrvaGetFontInfo(UInt16(style->tsFont), style->tsSize, &info);
    ScrpSTElement element{0, SInt16(info.ascent + info.descent + info.leading), info.ascent, style->tsFont,
                          style->tsFace, style->tsSize, style->tsColor};
    OrvaSetStScrpElement(scrap, 0, &element);
    if ((*null)->nullScrap) DisposHandle((*null)->nullScrap);
    (*null)->nullScrap = scrap;
}

// New tables, one run of the port's style over the text, the null style from it. The new
// tables are made before the old ones go: without memory the record keeps its old styles, cut
// to the text.
static Boolean InitStyle(TEHandle te) {
    TEStyleHandle styleHandle = (*te)->styleHandle;
    Handle table = TENewHandle(0);
    Handle heights = table ? TENewHandle(UInt32(sizeof(LHElement) * size_t((*te)->nLines + 1))) : nullptr;
    Handle null = heights ? TENewHandle(sizeof(NullStRec)) : nullptr;
    if (null) SetHandleSize((Handle)styleHandle, StyleRecBytes(1));
    if (!null || MemError() != noErr) {
        if (table) DisposHandle(table);
        if (heights) DisposHandle(heights);
        if (null) DisposHandle(null);
        if (!StyleRec(te)->styleTab) return kFalse;
        StyleRec(te)->runs[StyleRec(te)->nRuns].startChar = UInt16((*te)->teLength + 1);
        MergeRuns(te);
        return kTrue;
    }
    std::memset(*null, 0, sizeof(NullStRec));
    DisposeStyleTables(styleHandle);
    TEStylePtr rec = *styleHandle;
    rec->styleTab = (STHandle)table;
    rec->lhTab = (LHHandle)heights;
    rec->nullStyle = (NullStHandle)null;
    rec->nStyles = 0;
    rec->nRuns = 0;
    rec->teRefCon = 0;
    GrafPtr port = (*te)->inPort;
    TextStyle style{port ? port->txFont : SInt16(0), port ? port->txFace : UInt8(0), 0, port ? port->txSize : SInt16(0),
                    {0, 0, 0}};
    SInt32 index = orva_AddStyle(&style, styleHandle);
    if (index < 0) return kFalse;
    rec = *styleHandle;
    rec->runs[0] = StyleRun{0, index};
    rec->runs[1] = StyleRun{UInt16((*te)->teLength + 1), -1};
    rec->nRuns = 1;
    (*rec->styleTab)[index].stCount = 1;
    const STElement entry = (*rec->styleTab)[index];
    for (SInt32 line = 0; line <= (*te)->nLines; line++)
        (*rec->lhTab)[line] = LHElement{SInt16(entry.stHeight), SInt16(entry.stAscent)};
    TESetStyle(doAll, &style, kFalse, te);
    return kTrue;
}

// A one-element scrap of the null style, for an insertion given no styles. Caller disposes.
static StScrpHandle NullStyleScrap(TEHandle te) {
    TextStyle style;
    OrvaGetStyleNull((*te)->styleHandle, &style);
    StScrpHandle scrap = OrvaNewStScrp(1);
    if (!scrap) return nullptr;
    ScrpSTElement element{0, 0, 0, style.tsFont, style.tsFace, style.tsSize, style.tsColor};
    OrvaSetStScrpElement(scrap, 0, &element);
    return scrap;
}

// The colour of the port's classic foreground code.
static void ForeColorOfPort(GrafPtr port, RGBColor *rgb) {
    if (!port) return;
    if (!OrvaClassicColor(port, port->fgColor, nullptr, rgb)) *rgb = port->rgbFgColor;
}

static ByteReader ScrapReader(StScrpHandle scrap) { return OrvaByteReader(*scrap, GetHandleSize(scrap)); }

static void Write16(UInt8 *p, UInt16 value) { std::memcpy(p, &value, 2); }

static void Swap16At(UInt8 *p) { std::swap(p[0], p[1]); }

static void Swap32At(UInt8 *p) {
    std::swap(p[0], p[3]);
    std::swap(p[1], p[2]);
}

// Swaps every number of the first count elements; the face byte and its spare stay.
static void SwapScrapElements(StScrpHandle scrap, SInt32 count) {
    UInt8 *p = (UInt8 *)*scrap + kStScrpHeaderBytes;
    for (SInt32 i = 0; i < count; i++, p += kStScrpElementBytes) {
        Swap32At(p + kElemStart);
        for (size_t field : {kElemHeight, kElemAscent, kElemFont, kElemSize, kElemRed, kElemGreen, kElemBlue})
            Swap16At(p + field);
    }
}

// A scrap's count bounded by the elements its handle holds; 0 when negative.
static SInt32 ScrapCountOf(StScrpHandle scrap, SInt16 count) {
    SInt32 room = SInt32((GetHandleSize(scrap) - kStScrpHeaderBytes) / kStScrpElementBytes);
    return std::clamp<SInt32>(count, 0, room);
}

static void DisposeStyleTables(TEStyleHandle styleHandle) {
    TEStylePtr rec = *styleHandle;
    if (rec->styleTab) DisposHandle((Handle)rec->styleTab);
    if (rec->lhTab) DisposHandle((Handle)rec->lhTab);
    if (NullStHandle null = rec->nullStyle) {
        if ((*null)->nullScrap) DisposHandle((*null)->nullScrap);
        DisposHandle((Handle)null);
    }
    rec = *styleHandle;
    rec->styleTab = nullptr;
    rec->lhTab = nullptr;
    rec->nullStyle = nullptr;
}

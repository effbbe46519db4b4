// Extended TextEdit styles: the style handle with its runs over byte offsets, its table of
// distinct styles with use counts, the null style, the style scrap and the port text state
// saved around measures. Runs and their upkeep are shared with the score's styled strings.
#include "graphics/text/extended_textedit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/extended_internal.h"
#include "graphics/text/font_manager.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

const RGBColor kBlack = {0, 0, 0};
enum : SInt16 { kNullStyleFont = 1 };

}  // namespace

static UInt32 StylBytes(SInt32 runs);
static SInt16 LegalSize(SInt16 size);
static ExtendedStyleRun *Runs(ExtendedStylHandle styles);
static ExtendedSTElement *Entry(ExtendedStylHandle styles, SInt32 index);
static Boolean IsEmptyText(ExtendedStylHandle styles);
static void DeleteRun(ExtendedStylHandle styles, SInt32 index);
static void ReleaseStyle(ExtendedStylHandle styles, SInt32 index);
static void ChangeRunStyle(ExtendedStylHandle styles, SInt32 run, SInt16 index);
static void SplitKeepingStyle(ExtendedStylHandle styles, SInt32 offset);
static Boolean MergeStyle(SInt16 mode, const TextStyle *given, TextStyle *style);
static Boolean SameStyle(const TextStyle *a, const TextStyle *b);
static void DisposeTables(ExtendedStylHandle styles);
static Handle DupliqueHandleStyle(Handle h, Boolean *failed);
static StScrpHandle OneElementScrap(const ExtendedSTElement *entry);
static void SetNullScrap(ExtendedStylHandle styles, StScrpHandle scrap);

// ---- Style handle life ----------------------------------------------------------------------

ExtendedStylHandle ExtendedNewStylHandle() {
    Handle h = ExtendedNewHandle(StylBytes(0));
    Handle lines = h ? ExtendedNewHandle(sizeof(LHElement)) : nullptr;
    Handle null = lines ? ExtendedNewHandle(sizeof(NullStRec)) : nullptr;
    if (!null) {
        if (lines) DisposHandle(lines);
        if (h) DisposHandle(h);
        return nullptr;
    }
    ExtendedStylHandle styles = (ExtendedStylHandle)h;
    ExtendedStylPtr p = *styles;
    p->lhTab = (LHHandle)lines;
    p->nullStyle = (NullStHandle)null;
    p->zoom = 1.0f;
    p->runs[0] = ExtendedStyleRun{1, -1};
    return styles;
}

void ExtendedInitStylHandle(ExtendedStylHandle styles, const TextStyle *style, SInt32 length) {
    if (!styles || !*styles || !style) return;
    // Everything new is made before the old tables go, so that no memory leaves them whole.
    Handle table = ExtendedNewHandle(sizeof(ExtendedSTElement));
    Handle lines = table ? ExtendedNewHandle(sizeof(LHElement)) : nullptr;
    Handle null = lines ? ExtendedNewHandle(sizeof(NullStRec)) : nullptr;
    if (!null || !ExtendedGrowHandle((Handle)styles, StylBytes(1))) {
        for (Handle h : {table, lines, null})
            if (h) DisposHandle(h);
        // Without memory the old style of the first run covers the new length, so that the
        // runs still describe the text.
        ExtendedStylPtr p = *styles;
        if (p->nRuns > 0 && p->styleTab) {
            for (SInt32 i = 0; i < p->nStyles; i++) (*p->styleTab)[i].stCount = 0;
            p->nRuns = 1;
            p->runs[0].startChar = 0;
            p->runs[1] = ExtendedStyleRun{std::max<SInt32>(length, 0) + 1, -1};
            Entry(styles, p->runs[0].styleIndex)->stCount = 1;
        }
        return;
    }
    DisposeTables(styles);
    ExtendedSTElement entry;
    ExtendedTextStyleToTEStyle(style, &entry);
    entry.stCount = 1;
    entry.stSize = LegalSize(entry.stSize);
    ExtendedFontMetrics(entry.stFont, entry.stFace, entry.stSize, &entry.stHeight, &entry.stAscent);
    std::memcpy(*table, &entry, sizeof entry);
    ExtendedStylPtr p = *styles;
    p->styleTab = (ExtendedSTHandle)table;
    p->lhTab = (LHHandle)lines;
    p->nullStyle = (NullStHandle)null;
    p->nStyles = 1;
    p->nRuns = 1;
    p->zoom = 1.0f;
    p->runs[0] = ExtendedStyleRun{0, 0};
    p->runs[1] = ExtendedStyleRun{std::max<SInt32>(length, 0) + 1, -1};
}

void Extended_InitStyle(ExtendedTEHandle te) {
    if (!te || !*te || !ExtendedIsStyled(te)) return;
    GrafPtr port = (*te)->inPort;
    TextStyle style = {port->txFont, port->txFace, 0, port->txSize, kBlack};
    ExtendedInitStylHandle((*te)->styleHandle, &style, (*te)->teLength);
    ExtendedStylHandle styles = (*te)->styleHandle;
    if ((*styles)->lhTab) {
        LHElement metrics;
        ExtendedLineMetrics(te, 0, (*te)->teLength, &metrics);
        **(*styles)->lhTab = metrics;
    }
    ExtendedTESetStyle(doAll, &style, kFalse, te);
}

void ExtendedDisposeStylHandle(ExtendedStylHandle styles) {
    if (!styles || !*styles) return;
    DisposeTables(styles);
    DisposHandle((Handle)styles);
}

void ExtendedDisposeExtText(ExtendedTEHandle te) {
    if (!te || !*te) return;
    ExtendedDisposeStylHandle((*te)->styleHandle);
    (*te)->styleHandle = nullptr;
}

ExtendedStylHandle ExtendedDupStyleHandle(ExtendedStylHandle styles) {
    if (!styles || !*styles) return nullptr;
    Boolean failed = kFalse;
    ExtendedStylHandle copy = (ExtendedStylHandle)DupliqueHandleStyle((Handle)styles, &failed);
    if (!copy) return nullptr;
    ExtendedStylPtr p = *copy;
    p->styleTab = nullptr;
    p->lhTab = nullptr;
    p->nullStyle = nullptr;
    Handle table = DupliqueHandleStyle((Handle)(*styles)->styleTab, &failed);
    Handle lines = DupliqueHandleStyle((Handle)(*styles)->lhTab, &failed);
    Handle null = DupliqueHandleStyle((Handle)(*styles)->nullStyle, &failed);
    Handle scrap = nullptr;
    if (null) {
        (*(NullStHandle)null)->nullScrap = nullptr;
        scrap = DupliqueHandleStyle((*(*styles)->nullStyle)->nullScrap, &failed);
        (*(NullStHandle)null)->nullScrap = scrap;
    }
    p = *copy;
    p->styleTab = (ExtendedSTHandle)table;
    p->lhTab = (LHHandle)lines;
    p->nullStyle = (NullStHandle)null;
    if (failed) {
        ExtendedDisposeStylHandle(copy);
        return nullptr;
    }
    return copy;
}

ExtendedStylHandle ExtendedGetStylHandle(ExtendedTEHandle te) { return te && *te ? (*te)->styleHandle : nullptr; }

void ExtendedSetStylHandle(ExtendedStylHandle styles, ExtendedTEHandle te) {
    if (!te || !*te || (*te)->styleHandle == styles) return;
    ExtendedDisposeStylHandle((*te)->styleHandle);
    (*te)->styleHandle = styles;
}

void ExtendedSetViewZoom(ExtendedTEHandle te, float zoom) {
    if (te && *te && ExtendedIsStyled(te)) (*(*te)->styleHandle)->zoom = zoom;
}

void ExtendedZoomText(float factor, ExtendedTEHandle te) {
    if (!te || !*te || !ExtendedIsStyled(te)) return;
    ExtendedStylHandle styles = (*te)->styleHandle;
    for (SInt32 i = 0; i < (*styles)->nStyles; i++) {
        ExtendedSTElement entry = *Entry(styles, i);
        entry.stSize = LegalSize(ExtendedZoomedSize(entry.stSize, factor));
        ExtendedFontMetrics(entry.stFont, entry.stFace, entry.stSize, &entry.stHeight, &entry.stAscent);
        *Entry(styles, i) = entry;
    }
    ExtendedTECalText(te);
}

// ---- Runs -----------------------------------------------------------------------------------

SInt32 Extended_NumRun(SInt32 offset, ExtendedStylHandle styles) {
    if (!styles || !*styles || (*styles)->nRuns <= 0) return -1;
    const ExtendedStyleRun *runs = (*styles)->runs;
    SInt32 lo = 0, hi = (*styles)->nRuns;
    while (hi > lo + 1) {
        SInt32 mid = (lo + hi) / 2;
        if (runs[mid].startChar > offset) {
            hi = mid;
        } else {
            lo = mid;
            if (offset < runs[mid + 1].startChar) return mid;
        }
    }
    if (offset < runs[hi].startChar) return lo;
    return hi < (*styles)->nRuns ? hi : -1;
}

ExtendedSTElement *ExtendedLocStyle(SInt32 offset, ExtendedStylHandle styles) {
    SInt32 run = Extended_NumRun(offset, styles);
    if (run < 0) return nullptr;
    return Entry(styles, Runs(styles)[run].styleIndex);
}

void Extended_NewRun(SInt32 offset, SInt16 styleIndex, ExtendedStylHandle styles) {
    SInt32 run = Extended_NumRun(offset, styles);
    if (run < 0 || offset < 0 || styleIndex < 0 || styleIndex >= (*styles)->nStyles) return;
    if (Runs(styles)[run].startChar == offset) {
        ChangeRunStyle(styles, run, styleIndex);
        return;
    }
    SInt32 count = (*styles)->nRuns;
    // Past the limit the run is refused: the text keeps its style there, the table stays sound.
    if (count >= kExtendedMaxRuns || !ExtendedGrowHandle((Handle)styles, StylBytes(count + 1))) return;
    ExtendedStyleRun *runs = Runs(styles);
    std::memmove(runs + run + 2, runs + run + 1, size_t(count - run) * sizeof *runs);
    runs[run + 1] = ExtendedStyleRun{offset, styleIndex};
    (*styles)->nRuns = SInt16(count + 1);
    Entry(styles, styleIndex)->stCount++;
}

void Extended_CleanRun(ExtendedStylHandle styles, SInt32 from, SInt32 to) {
    if (!styles || !*styles || (*styles)->nRuns <= 0) return;
    SInt32 last = (*styles)->nRuns - 1;
    from = std::clamp<SInt32>(from, 0, last);
    to = std::clamp<SInt32>(to, 0, last);
    for (SInt32 k = to; k > from; k--) {
        if (k >= (*styles)->nRuns) continue;
        ExtendedStyleRun *runs = Runs(styles);
        if (runs[k].styleIndex != runs[k - 1].styleIndex && runs[k].startChar != runs[k - 1].startChar) continue;
        SInt32 start = runs[k - 1].startChar;
        DeleteRun(styles, k - 1);
        Runs(styles)[k - 1].startChar = start;
    }
    SInt32 count = (*styles)->nRuns;
    const ExtendedStyleRun *runs = Runs(styles);
    if (count >= 2 && runs[count - 1].startChar == runs[count].startChar - 1) DeleteRun(styles, count - 1);
}

void ExtendedRunAdjust(SInt32 offset, SInt32 delta, ExtendedStylHandle styles) {
    offset = std::max<SInt32>(offset, 0);
    SInt32 run = Extended_NumRun(offset, styles);
    if (run < 0) return;
    for (SInt32 k = run + 1; k <= (*styles)->nRuns; k++) {
        SInt32 start = Runs(styles)[k].startChar + delta;
        if (start < offset) {  // the run began inside the deleted bytes
            start = offset;
            if (Runs(styles)[k - 1].startChar == offset) {
                DeleteRun(styles, k - 1);
                k--;
            }
        }
        Runs(styles)[k].startChar = start;
    }
    Extended_CleanRun(styles, run - 1, (*styles)->nRuns);
}

void ExtendedRunOffset(SInt32 offset, SInt32 delta, ExtendedStylHandle styles) {
    if (!styles || !*styles) return;
    ExtendedStyleRun *runs = Runs(styles);
    for (SInt32 k = 0; k <= (*styles)->nRuns; k++)
        if (runs[k].startChar >= offset) runs[k].startChar += delta;
}

SInt16 ExtendedAddStyle(const TextStyle *style, ExtendedStylHandle styles) {
    if (!styles || !*styles || !style) return -1;
    TextStyle wanted = *style;
    wanted.tsSize = LegalSize(wanted.tsSize);
    SInt32 count = (*styles)->nStyles;
    for (SInt32 i = 0; i < count; i++) {
        TextStyle entry;
        ExtendedTEStyleToTextStyle(Entry(styles, i), &entry);
        if (SameStyle(&entry, &wanted)) return SInt16(i);
    }
    if (count >= kExtendedMaxStyles) return -1;
    ExtendedSTElement added;
    ExtendedTextStyleToTEStyle(style, &added);
    added.stSize = LegalSize(added.stSize);
    ExtendedFontMetrics(added.stFont, added.stFace, added.stSize, &added.stHeight, &added.stAscent);
    Handle table = (Handle)(*styles)->styleTab;
    UInt32 bytes = UInt32(count + 1) * sizeof(ExtendedSTElement);
    if (!table) {
        table = ExtendedNewHandle(bytes);
        if (!table) return -1;
        (*styles)->styleTab = (ExtendedSTHandle)table;
    } else if (!ExtendedGrowHandle(table, bytes)) {
        return -1;
    }
    (*styles)->nStyles = SInt16(count + 1);
    *Entry(styles, count) = added;
    return SInt16(count);
}

// ---- Styles of a record ---------------------------------------------------------------------

Boolean ExtendedTESetStyleRange(SInt16 mode, const TextStyle *style, SInt32 start, SInt32 end,
                                ExtendedStylHandle styles) {
    if (!styles || !*styles || !style || (*styles)->nRuns <= 0) return kFalse;
    SInt32 length = Runs(styles)[(*styles)->nRuns].startChar - 1;
    if (start > end) std::swap(start, end);
    start = std::clamp<SInt32>(start, 0, length);
    end = std::clamp<SInt32>(end, 0, length);
    Boolean empty = IsEmptyText(styles);
    if (start == end) {
        ExtendedSTElement null;
        ExtendedGetStyleNull(styles, &null);
        TextStyle merged;
        ExtendedTEStyleToTextStyle(&null, &merged);
        MergeStyle(mode, style, &merged);
        ExtendedTextStyleToTEStyle(&merged, &null);
        ExtendedFontMetrics(null.stFont, null.stFace, null.stSize, &null.stHeight, &null.stAscent);
        if (StScrpHandle scrap = OneElementScrap(&null)) SetNullScrap(styles, scrap);
        if (!empty) return kFalse;
    }
    SInt32 runEnd = Extended_NumRun(end, styles);
    SplitKeepingStyle(styles, end);
    SplitKeepingStyle(styles, start);
    SInt32 run = Extended_NumRun(start, styles);
    if (run < 0) return kTrue;
    SInt32 k = run;
    for (; k < (*styles)->nRuns && (Runs(styles)[k].startChar < end || (empty && k == run)); k++) {
        TextStyle merged;
        ExtendedTEStyleToTextStyle(Entry(styles, Runs(styles)[k].styleIndex), &merged);
        if (!MergeStyle(mode, style, &merged)) continue;
        SInt16 index = ExtendedAddStyle(&merged, styles);
        if (index >= 0) ChangeRunStyle(styles, k, index);
    }
    // The run before the first restyled one may now match it, as may the one after the last.
    Extended_CleanRun(styles, std::min(runEnd, run) - 1, k + 1);
    return kTrue;
}

void ExtendedTESetStyle(SInt16 mode, const TextStyle *style, Boolean redraw, ExtendedTEHandle te) {
    if (!te || !*te || !style) return;
    if (ExtendedIsStyled(te)) {
        SInt32 start = (*te)->selStart, end = (*te)->selEnd;
        SInt32 oldHeight = ExtendedTEGetHeight(0, (*te)->nLines, te);
        if (!ExtendedTESetStyleRange(mode, style, start, end, (*te)->styleHandle)) return;
        SInt32 first = 0, last = 0;
        ExtendedTERecalText(start, end, 0, te, &first, &last);
        if (redraw) ExtendedTEDoText(te, first, (*te)->teLength, oldHeight);
        return;
    }
    TextStyle own = {(*te)->txFont, (*te)->txFace, 0, (*te)->txSize, (*te)->txColor};
    MergeStyle(mode, style, &own);
    ExtendedTEPtr p = *te;
    p->txFont = own.tsFont;
    p->txFace = own.tsFace;
    p->txSize = own.tsSize;
    p->txColor = own.tsColor;
    GrafPtr saved = qd.thePort;
    SetPort(p->inPort);
    TextFont(own.tsFont);
    TextFace(own.tsFace);
    TextSize(own.tsSize);
    RGBForeColor(&own.tsColor);
    FontInfo info = {0, 0, 0, 0};
    GetFontInfo(&info);
    SetPort(saved);
    (*te)->fontAscent = info.ascent;
    (*te)->lineHeight = SInt16(info.ascent + info.descent + info.leading);
}

void ExtendedTEGetStyle(SInt32 offset, TextStyle *style, SInt16 *lineHeight, SInt16 *ascent, ExtendedTEHandle te) {
    if (!te || !*te || !style) return;
    *style = TextStyle{(*te)->txFont, (*te)->txFace, 0, (*te)->txSize, (*te)->txColor};
    if (lineHeight) *lineHeight = (*te)->lineHeight;
    if (ascent) *ascent = (*te)->fontAscent;
    if (ExtendedIsStyled(te))
        ExtendedTEGetStyleFromStyleHandle(offset, style, lineHeight, ascent, (*te)->styleHandle);
}

void ExtendedTEGetStyleFromStyleHandle(SInt32 offset, TextStyle *style, SInt16 *lineHeight, SInt16 *ascent,
                                       ExtendedStylHandle styles) {
    const ExtendedSTElement *entry = ExtendedLocStyle(offset, styles);
    if (!entry) return;
    if (style) ExtendedTEStyleToTextStyle(entry, style);
    if (lineHeight) *lineHeight = entry->stHeight;
    if (ascent) *ascent = entry->stAscent;
}

void ExtendedGetStyleNull(ExtendedStylHandle styles, ExtendedSTElement *style) {
    if (!style) return;
    *style = ExtendedSTElement{0, 0, 0, kNullStyleFont, 0, 0, 0, kBlack};
    if (!styles || !*styles || !(*styles)->nullStyle) return;
    StScrpHandle scrap = (*(*styles)->nullStyle)->nullScrap;
    ScrpSTElement element;
    if (OrvaStScrpCount(scrap) != 1 || !OrvaGetStScrpElement(scrap, 0, &element)) return;
    *style = ExtendedSTElement{0,
                               element.scrpHeight,
                               element.scrpAscent,
                               element.scrpFont,
                               element.scrpFace,
                               0,
                               element.scrpSize,
                               element.scrpColor};
}

void ExtendedFixeStyleNull(ExtendedTEHandle te) {
    if (!te || !*te || !ExtendedIsStyled(te) || (*te)->selStart != (*te)->selEnd) return;
    TextStyle style;
    const ExtendedSTElement *entry = ExtendedLocStyle(std::max<SInt32>((*te)->selStart - 1, 0), (*te)->styleHandle);
    if (!entry) return;
    ExtendedTEStyleToTextStyle(entry, &style);
    ExtendedTESetStyle(doAll, &style, kFalse, te);
}

Boolean ExtendedTEContinuousStyle(SInt16 *mode, TextStyle *style, ExtendedTEHandle te) {
    if (!mode || !style || !te || !*te) return kFalse;
    SInt16 asked = *mode;
    if (!ExtendedIsStyled(te)) {
        *style = TextStyle{(*te)->txFont, (*te)->txFace, 0, (*te)->txSize, (*te)->txColor};
        return kTrue;
    }
    ExtendedStylHandle styles = (*te)->styleHandle;
    SInt32 start = (*te)->selStart, end = (*te)->selEnd;
    if (start == end) {
        ExtendedSTElement null;
        ExtendedGetStyleNull(styles, &null);
        ExtendedTEStyleToTextStyle(&null, style);
        return kTrue;
    }
    SInt32 run = Extended_NumRun(start, styles);
    if (run < 0) return kTrue;
    ExtendedTEStyleToTextStyle(Entry(styles, Runs(styles)[run].styleIndex), style);
    for (SInt32 k = run + 1; k < (*styles)->nRuns && Runs(styles)[k].startChar < end; k++) {
        TextStyle other;
        ExtendedTEStyleToTextStyle(Entry(styles, Runs(styles)[k].styleIndex), &other);
        if (other.tsFont != style->tsFont) *mode &= ~doFont;
        if (other.tsSize != style->tsSize) *mode &= ~doSize;
        if (other.tsFace != style->tsFace) *mode &= ~doFace;
        if (std::memcmp(&other.tsColor, &style->tsColor, sizeof(RGBColor)) != 0) *mode &= ~doColor;
    }
    return *mode == asked;
}

Boolean ExtendedTEGlobalStyle(const char *fontName, SInt16 face, SInt16 size, ExtendedTEHandle te) {
    if (!fontName || !te || !*te) return kFalse;
    FMFontFamily font = FMGetFontFamilyFromName(fontName);
    if (font == -1 || font == 0) return kFalse;
    TextStyle style = {SInt16(font), UInt8(face), 0, size, kBlack};
    ExtendedTESetStyle(doAll, &style, kFalse, te);
    return kTrue;
}

void ExtendedTEStyleToTextStyle(const ExtendedSTElement *entry, TextStyle *style) {
    if (!entry || !style) return;
    *style = TextStyle{entry->stFont, entry->stFace, 0, entry->stSize, entry->stColor};
}

void ExtendedTextStyleToTEStyle(const TextStyle *style, ExtendedSTElement *entry) {
    if (!entry || !style) return;
    *entry = ExtendedSTElement{0, 0, 0, style->tsFont, style->tsFace, 0, style->tsSize, style->tsColor};
}

void ExtendedTEReplaceStyle(SInt16, const TextStyle *, const TextStyle *, Boolean, ExtendedTEHandle) {}

// ---- Style scrap ----------------------------------------------------------------------------

StScrpHandle ExtendedGetStylScrapFromStyleHandle(const char *, ExtendedStylHandle styles, SInt32 start, SInt32 end) {
    if (!styles || !*styles) return nullptr;
    SInt32 run = Extended_NumRun(start, styles);
    SInt32 count = 0;
    if (run >= 0)
        while (run + count < (*styles)->nRuns && (count == 0 || Runs(styles)[run + count].startChar < end)) count++;
    StScrpHandle scrap = OrvaNewStScrp(count);
    if (!scrap) return nullptr;
    for (SInt32 i = 0; i < count; i++) {
        const ExtendedStyleRun &r = Runs(styles)[run + i];
        const ExtendedSTElement *entry = Entry(styles, r.styleIndex);
        ScrpSTElement element = {i == 0 ? 0 : r.startChar - start, entry->stHeight, entry->stAscent, entry->stFont,
                                 entry->stFace, entry->stSize, entry->stColor};
        OrvaSetStScrpElement(scrap, i, &element);
    }
    return scrap;
}

StScrpHandle ExtendedGetStylScrap(ExtendedTEHandle te) {
    if (!te || !*te || !ExtendedIsStyled(te)) return nullptr;
    HLock((*te)->hText);
    StScrpHandle scrap = ExtendedGetStylScrapFromStyleHandle(*(*te)->hText, (*te)->styleHandle, (*te)->selStart,
                                                             (*te)->selEnd);
    HUnlock((*te)->hText);
    return scrap;
}

void ExtendedSetStylScrap(SInt32 start, SInt32 end, StScrpHandle scrap, Boolean, ExtendedTEHandle te) {
    if (!te || !*te || !ExtendedIsStyled(te)) return;
    SInt32 count = OrvaStScrpCount(scrap);
    ExtendedStylHandle styles = (*te)->styleHandle;
    start = std::max<SInt32>(start, 0);
    SInt32 run = Extended_NumRun(start, styles);
    if (count <= 0 || run < 0) return;
    // The text after an insertion keeps the style it had.
    SInt16 kept = Runs(styles)[run].styleIndex;
    SInt32 caret = (*te)->selStart;
    SInt32 at = Extended_NumRun(caret, styles);
    if (at >= 0 && Runs(styles)[at].startChar != caret) Extended_NewRun(caret, kept, styles);
    for (SInt32 i = 0; i < count; i++) {
        ScrpSTElement element;
        if (!OrvaGetStScrpElement(scrap, i, &element)) break;
        // Elements that begin at or past the end would restyle text beyond the range.
        SInt64 offset = SInt64(start) + element.scrpStartChar;
        if (offset >= end && i > 0) break;
        if (offset < start) offset = start;
        TextStyle style = {element.scrpFont, element.scrpFace, 0, element.scrpSize, element.scrpColor};
        SInt16 index = ExtendedAddStyle(&style, styles);
        if (index >= 0) Extended_NewRun(SInt32(offset), index, styles);
    }
    Extended_CleanRun(styles, run - 1, (*styles)->nRuns);
}

void ExtendedCvtStScrpHandleMacToPc(StScrpHandle scrap) { OrvaCvtScrpHandleMacToPC(scrap); }

void ExtendedCvtStScrpHandle(StScrpHandle scrap) { OrvaCvtScrpHandleMacToPC(scrap); }

void ExtendedCvtStScrpHandlePcToMac(StScrpHandle scrap) { OrvaCvtScrpHandlePCToMac(scrap); }

// ---- Port text state ------------------------------------------------------------------------

void ExtendedGetTextState(ExtendedTextState *state) {
    if (!state) return;
    GrafPtr port = qd.thePort;
    *state = ExtendedTextState{-1, -1, 0, 0, 0, nullptr};
    if (!port) {
        state->tempPort = OrvaCreatePortOffscreen(1, 1, 24);
        SetPort(state->tempPort);
        return;
    }
    *state = ExtendedTextState{port->txFont, port->txSize, port->txFace, port->txMode, port->spExtra, nullptr};
}

void ExtendedSetTextState(ExtendedTextState *state) {
    if (!state) return;
    if (state->tempPort) {
        SetPort(nullptr);
        OrvaClosePortOffscreen(state->tempPort);
        state->tempPort = nullptr;
        return;
    }
    GrafPtr port = qd.thePort;
    if (!port || state->font == -1) return;
    port->txFont = state->font;
    port->txSize = state->size;
    port->txFace = state->face;
    port->txMode = state->mode;
    port->spExtra = state->spExtra;
}

void ExtendedTETrace(ExtendedTEHandle te) {
    if (!te || !*te) return;
    std::printf("Length %d Lines %d\n", int((*te)->teLength), int((*te)->nLines));
    ExtendedStylHandle styles = (*te)->styleHandle;
    if (!styles) return;
    std::printf("Styles %d Runs %d\n", int((*styles)->nStyles), int((*styles)->nRuns));
    for (SInt32 i = 0; i < (*styles)->nStyles; i++) {
        const ExtendedSTElement *e = Entry(styles, i);
        std::printf("N_ %2d : Used : %2d : Font %2d Face %2d Size %2d\n", int(i), int(e->stCount), int(e->stFont),
                    int(e->stFace), int(e->stSize));
    }
    const char *text = (*te)->hText ? *(*te)->hText : nullptr;
    for (SInt32 k = 0; k < (*styles)->nRuns; k++) {
        const ExtendedStyleRun &r = Runs(styles)[k];
        SInt32 from = std::clamp<SInt32>(r.startChar, 0, (*te)->teLength);
        SInt32 to = std::clamp<SInt32>(Runs(styles)[k + 1].startChar, from, (*te)->teLength);
        std::printf("Run %d : Start %d Style %d : %.*s\n", int(k), int(r.startChar), int(r.styleIndex),
                    int(to - from), text ? text + from : "");
    }
    ExtendedSTElement null;
    ExtendedGetStyleNull(styles, &null);
    std::printf("Null : Font %d Face %d Size %d\n", int(null.stFont), int(null.stFace), int(null.stSize));
}

// ---- Static helpers -------------------------------------------------------------------------

static UInt32 StylBytes(SInt32 runs) {
    return UInt32(offsetof(ExtendedStylRec, runs) + size_t(runs + 2) * sizeof(ExtendedStyleRun));
}

static ExtendedStyleRun *Runs(ExtendedStylHandle styles) { return (*styles)->runs; }

// Sizes a style may hold: 0 (the default size) up to the largest the text layer draws.
static SInt16 LegalSize(SInt16 size) { return SInt16(std::clamp<SInt32>(size, 0, kTEStyleSizeMax)); }

// The entry at index; a harmless scratch entry for an index outside the table, so that a
// broken index reads as a style instead of stray memory.
static ExtendedSTElement *Entry(ExtendedStylHandle styles, SInt32 index) {
    static ExtendedSTElement scratch;
    if (!(*styles)->styleTab || index < 0 || index >= (*styles)->nStyles) {
        scratch = ExtendedSTElement{0, 0, 0, kNullStyleFont, 0, 0, 0, kBlack};
        return &scratch;
    }
    return *(*styles)->styleTab + index;
}

static Boolean IsEmptyText(ExtendedStylHandle styles) {
    return (*styles)->nRuns == 1 && Runs(styles)[1].startChar == 1;
}

// Run index goes; later runs move down; its style loses a use and leaves the table at 0.
static void DeleteRun(ExtendedStylHandle styles, SInt32 index) {
    SInt32 count = (*styles)->nRuns;
    if (index < 0 || index >= count) return;
    ExtendedStyleRun *runs = Runs(styles);
    SInt16 style = runs[index].styleIndex;
    std::memmove(runs + index, runs + index + 1, size_t(count - index) * sizeof *runs);
    (*styles)->nRuns = SInt16(count - 1);
    ReleaseStyle(styles, style);
}

static void ReleaseStyle(ExtendedStylHandle styles, SInt32 index) {
    if (index < 0 || index >= (*styles)->nStyles) return;
    ExtendedSTElement *entry = Entry(styles, index);
    if (entry->stCount > 0) entry->stCount--;
    if (entry->stCount > 0) return;
    SInt32 count = (*styles)->nStyles;
    ExtendedSTElement *table = *(*styles)->styleTab;
    std::memmove(table + index, table + index + 1, size_t(count - 1 - index) * sizeof *table);
    (*styles)->nStyles = SInt16(count - 1);
    Boolean reported = kFalse;
    ExtendedStyleRun *runs = Runs(styles);
    for (SInt32 k = 0; k < (*styles)->nRuns; k++) {
        if (runs[k].styleIndex == index && !reported) {
            OrvaErreur("Extended_DelStyle : count illegal ");
            reported = kTrue;
        }
        if (runs[k].styleIndex >= index) runs[k].styleIndex = SInt16(std::max(runs[k].styleIndex - 1, 0));
    }
}

// Run takes style index: the old style loses a use (and may leave the table), the new gains one.
static void ChangeRunStyle(ExtendedStylHandle styles, SInt32 run, SInt16 index) {
    SInt16 old = Runs(styles)[run].styleIndex;
    if (old == index) return;
    Runs(styles)[run].styleIndex = index;
    Entry(styles, index)->stCount++;
    ReleaseStyle(styles, old);
}

// A run boundary at offset, the text there keeping its style.
static void SplitKeepingStyle(ExtendedStylHandle styles, SInt32 offset) {
    SInt32 run = Extended_NumRun(offset, styles);
    if (run < 0 || Runs(styles)[run].startChar == offset) return;
    Extended_NewRun(offset, Runs(styles)[run].styleIndex, styles);
}

// Merges given into style under mode; whether anything changed (a toggle or an add always does).
static Boolean MergeStyle(SInt16 mode, const TextStyle *given, TextStyle *style) {
    Boolean changed = kFalse;
    if ((mode & doFont) && style->tsFont != given->tsFont) {
        style->tsFont = given->tsFont;
        changed = kTrue;
    }
    if (mode & doToggle) {
        style->tsFace ^= given->tsFace;
        changed = kTrue;
    } else if ((mode & doFace) && style->tsFace != given->tsFace) {
        style->tsFace = given->tsFace;
        changed = kTrue;
    }
    if ((mode & doColor) && std::memcmp(&style->tsColor, &given->tsColor, sizeof(RGBColor)) != 0) {
        style->tsColor = given->tsColor;
        changed = kTrue;
    }
    if (mode & addSize) {
        style->tsSize = SInt16(std::clamp<SInt32>(SInt32(style->tsSize) + given->tsSize, 1, kTEStyleSizeMax));
        changed = kTrue;
    } else if ((mode & doSize) && style->tsSize != given->tsSize) {
        style->tsSize = given->tsSize;
        changed = kTrue;
    }
    return changed;
}

static Boolean SameStyle(const TextStyle *a, const TextStyle *b) {
    return a->tsFont == b->tsFont && a->tsSize == b->tsSize && a->tsFace == b->tsFace &&
           std::memcmp(&a->tsColor, &b->tsColor, sizeof(RGBColor)) == 0;
}

static void DisposeTables(ExtendedStylHandle styles) {
    ExtendedStylPtr p = *styles;
    if (p->styleTab) DisposHandle((Handle)p->styleTab);
    if (p->lhTab) DisposHandle((Handle)p->lhTab);
    if (NullStHandle null = p->nullStyle) {
        if ((*null)->nullScrap) DisposHandle((*null)->nullScrap);
        DisposHandle((Handle)null);
    }
    p = *styles;
    p->styleTab = nullptr;
    p->lhTab = nullptr;
    p->nullStyle = nullptr;
    p->nStyles = 0;
}

// A copy of h (null for null); failed is set when memory ran out.
static Handle DupliqueHandleStyle(Handle h, Boolean *failed) {
    if (!h) return nullptr;
    UInt32 size = GetHandleSize(h);
    Handle copy = ExtendedNewHandle(size);
    if (!copy) {
        *failed = kTrue;
        return nullptr;
    }
    if (size) std::memcpy(*copy, *h, size);
    return copy;
}

static StScrpHandle OneElementScrap(const ExtendedSTElement *entry) {
    StScrpHandle scrap = OrvaNewStScrp(1);
    if (!scrap) return nullptr;
    ScrpSTElement element = {0, entry->stHeight, entry->stAscent, entry->stFont, entry->stFace, entry->stSize,
                             entry->stColor};
    OrvaSetStScrpElement(scrap, 0, &element);
    return scrap;
}

static void SetNullScrap(ExtendedStylHandle styles, StScrpHandle scrap) {
    NullStHandle null = (*styles)->nullStyle;
    if (!null) {
        null = (NullStHandle)ExtendedNewHandle(sizeof(NullStRec));
        if (!null) {
            DisposHandle(scrap);
            return;
        }
        (*styles)->nullStyle = null;
    }
    if ((*null)->nullScrap) DisposHandle((*null)->nullScrap);
    (*null)->nullScrap = scrap;
}

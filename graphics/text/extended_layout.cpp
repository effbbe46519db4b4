// Extended TextEdit line layout and measuring. After an edit only the touched paragraph is laid
// out again, and the layout stops as soon as a new line ends where an old line (past the edit)
// began: a line's layout depends only on the bytes from its start on, so all later lines stay.
#include "graphics/text/extended_textedit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/text/extended_internal.h"
#include "graphics/text/font_manager.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

enum : SInt32 {
    kMeasureMaxBytes = 32000,  // bytes measured at once; longer pieces are cut
    kProbeMinBytes = 64,       // a long paragraph is measured first over a prefix of this many
    kProbeGrowth = 4,          // bytes (or half the width in bytes), growing by this factor
};

// One layout pass over the record: the text locked, the record's port current.
struct LayoutContext {
    ExtendedTEHandle te;
    const UInt8 *text;
    SInt32 length;
    SInt32 maxWidth;
    ExtendedPortSave port;
    UInt8 textState;
    SInt32 scanFrom;      // no line end lies in scanFrom .. paragraphEnd - 1
    SInt32 paragraphEnd;  // the first CR or LF at or after scanFrom, or the length
    Boolean failed;       // the lines could not be stored: the text shows as one line
};

// What one pass produced: the starts of the lines after its first line, and the metrics of
// every line it laid out.
struct LayoutPass {
    std::vector<SInt32> starts;
    std::vector<LHElement> metrics;
};

// An edit: delta bytes inserted or removed at start; its end before and after it (a restyle
// ends at the end of its range).
struct EditRange {
    SInt32 start, delta;
    SInt32 oldEnd, newEnd;
};

}  // namespace

static void BeginLayout(ExtendedTEHandle te, LayoutContext *ctx);
static void EndLayout(LayoutContext *ctx);
static void Relayout(ExtendedTEHandle te, SInt32 start, SInt32 end, SInt32 delta, SInt32 *first, SInt32 *last);
static void FullLayout(LayoutContext *ctx);
static Boolean EditLayout(LayoutContext *ctx, SInt32 start, SInt32 end, SInt32 delta, SInt32 *first, SInt32 *last);
static SInt32 Produce(LayoutContext *ctx, SInt32 line, const EditRange *edit, LayoutPass *pass);
static SInt32 FirstChangedStart(ExtendedTEHandle te, SInt32 firstLine, const LayoutPass &pass, const EditRange &edit);
static Boolean StoreLines(ExtendedTEHandle te, SInt32 first, const LayoutPass &pass, SInt32 resume, SInt32 oldCount,
                          SInt32 delta);
static void SingleLine(ExtendedTEHandle te);
static SInt32 LineEnd(LayoutContext *ctx, SInt32 line, SInt32 lo);
static SInt32 BreakSearch(LayoutContext *ctx, SInt32 line, SInt32 start, SInt32 hi, SInt32 width);
static SInt32 CharBreak(LayoutContext *ctx, SInt32 line, SInt32 start, SInt32 hi);
static SInt32 WordStartBefore(LayoutContext *ctx, SInt32 x, SInt32 floor);
static SInt32 WordEndAfter(LayoutContext *ctx, SInt32 x, SInt32 ceiling);
static SInt32 SnapToChar(ExtendedTEHandle te, SInt32 offset);
static SInt32 Measure(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 end);
static SInt32 QuickBound(ExtendedTEHandle te, SInt32 start, SInt32 end);
static SInt32 TrimLineEnds(const UInt8 *text, SInt32 start, SInt32 end);
static SInt32 MaxWidth(ExtendedTEHandle te);
static SInt32 OldLineOf(ExtendedTEHandle te, SInt32 offset);
static LHElement *HeightTable(ExtendedTEHandle te);

// ---- Layout ---------------------------------------------------------------------------------

void ExtendedTECalText(ExtendedTEHandle te) { ExtendedTERecalText(-1, -1, 0, te, nullptr, nullptr); }

void ExtendedTERecalText(SInt32 start, SInt32 end, SInt32 delta, ExtendedTEHandle te, SInt32 *first, SInt32 *last) {
    SInt32 from = 0, to = 0;
    if (te && *te) Relayout(te, start, end, delta, &from, &to);
    if (first) *first = from;
    if (last) *last = to;
}

// ---- Measuring ------------------------------------------------------------------------------

SInt32 ExtendedTailleTexte(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 count, Boolean saveState) {
    if (!te || !*te || !(*te)->hText || count <= 0 || start < 0) return 0;
    count = std::min<SInt32>(count, kMeasureMaxBytes);
    SInt32 end = SInt32(std::min<SInt64>((*te)->teLength, SInt64(start) + count));
    if (start >= end) return 0;
    ExtendedPortSave port;
    ExtendedEnterPort(te, &port);
    ExtendedTextState state;
    if (saveState) ExtendedGetTextState(&state);
    Handle text = (*te)->hText;
    UInt8 locked = HGetState(text);
    HLock(text);
    SInt32 width = Measure(te, line, start, end);
    HSetState(text, locked);
    if (saveState) ExtendedSetTextState(&state);
    ExtendedLeavePort(&port);
    return width;
}

SInt32 ExtendedTailleMaxTexte(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 count, Boolean saveState) {
    (void)line;
    if (!te || !*te || !(*te)->hText || count <= 0 || start < 0) return 0;
    count = std::min<SInt32>(count, kMeasureMaxBytes);
    SInt32 end = SInt32(std::min<SInt64>((*te)->teLength, SInt64(start) + count));
    if (start >= end) return 0;
    if (ExtendedIsStyled(te)) return QuickBound(te, start, end);
    ExtendedPortSave port;
    ExtendedEnterPort(te, &port);
    ExtendedTextState state;
    if (saveState) ExtendedGetTextState(&state);
    SInt32 width = QuickBound(te, start, end);
    if (saveState) ExtendedSetTextState(&state);
    ExtendedLeavePort(&port);
    return width;
}

// ---- Line lookups ---------------------------------------------------------------------------

SInt32 ExtendedNumLigne(SInt32 offset, ExtendedTEHandle te) {
    if (!te || !*te || (*te)->teLength == 0 || (*te)->nLines <= 0) return 0;
    SInt32 count = (*te)->nLines;
    if (offset < (*te)->lineStarts[count]) return OldLineOf(te, offset);
    return ExtendedEndsWithCR(te) ? count : count - 1;
}

SInt32 ExtendedGetNumLigneTexte(ExtendedTEHandle te, SInt32 offset) {
    if (!te || !*te || (*te)->nLines <= 0) return 0;
    if (offset >= (*te)->teLength) return (*te)->nLines - 1;
    return OldLineOf(te, offset);
}

SInt32 ExtendedGetPosDebutLigne(ExtendedTEHandle te, SInt32 offset) {
    if (!te || !*te) return 0;
    return (*te)->lineStarts[ExtendedGetNumLigneTexte(te, offset)];
}

SInt32 ExtendedTEGetHeight(SInt32 lineA, SInt32 lineB, ExtendedTEHandle te) {
    if (!te || !*te) return 0;
    SInt32 count = (*te)->nLines;
    SInt32 lower = std::clamp<SInt32>(std::min(lineA, lineB), 0, count);
    SInt32 upper = std::clamp<SInt32>(std::max(lineA, lineB), 0, count);
    if (!ExtendedIsStyled(te)) {
        if (upper == count && upper >= 1 && !ExtendedEndsWithCR(te)) upper--;
        return SInt32((*te)->lineHeight) * (upper - lower + 1);
    }
    ExtendedStylHandle styles = (*te)->styleHandle;
    const LHElement *heights = HeightTable(te);
    SInt32 entries = heights ? SInt32(GetHandleSize((Handle)(*styles)->lhTab) / sizeof(LHElement)) : 0;
    upper = std::min(upper, entries - 1);
    if (count == 0 || !heights) {
        const ExtendedSTElement *first = (*styles)->nStyles > 0 && (*styles)->styleTab ? *(*styles)->styleTab : nullptr;
        return first ? first->stHeight : 0;
    }
    float zoom = (*styles)->zoom;
    double sum = 0;
    for (SInt32 k = lower; k <= upper; k++)
        sum = SInt64(sum + double(heights[k].lhHeight & 0x7FFF) * double(zoom));
    return SInt32(std::min(sum, 2147483647.0));
}

void ExtendedLineMetrics(ExtendedTEHandle te, SInt32 start, SInt32 count, LHElement *metrics) {
    if (!metrics) return;
    *metrics = LHElement{0, 0};
    if (!te || !*te) return;
    if (!ExtendedIsStyled(te)) {
        *metrics = LHElement{(*te)->lineHeight, (*te)->fontAscent};
        return;
    }
    ExtendedStylHandle styles = (*te)->styleHandle;
    SInt32 run = std::max<SInt32>(Extended_NumRun(start, styles), 0);
    SInt32 end = start + count;
    for (SInt32 k = run; k < (*styles)->nRuns && (k == run || (*styles)->runs[k].startChar < end); k++) {
        const ExtendedSTElement *entry = ExtendedLocStyle((*styles)->runs[k].startChar, styles);
        if (!entry) break;
        metrics->lhHeight = std::max(metrics->lhHeight, entry->stHeight);
        metrics->lhAscent = std::max(metrics->lhAscent, entry->stAscent);
    }
}

// ---- Relayout -------------------------------------------------------------------------------

static void BeginLayout(ExtendedTEHandle te, LayoutContext *ctx) {
    ctx->te = te;
    ExtendedEnterPort(te, &ctx->port);
    Handle text = (*te)->hText;
    ctx->textState = HGetState(text);
    HLock(text);
    ctx->text = (const UInt8 *)*text;
    ctx->length = (*te)->teLength;
    ctx->maxWidth = MaxWidth(te);
    ctx->scanFrom = 1;
    ctx->paragraphEnd = 0;  // nothing scanned yet
    ctx->failed = kFalse;
}

static void EndLayout(LayoutContext *ctx) {
    HSetState((*ctx->te)->hText, ctx->textState);
    ExtendedLeavePort(&ctx->port);
    if (ctx->failed) OrvaSetMemError(memFullErr);
}

static void Relayout(ExtendedTEHandle te, SInt32 start, SInt32 end, SInt32 delta, SInt32 *first, SInt32 *last) {
    if (!(*te)->hText) {
        (*te)->nLines = 0;
        (*te)->lineStarts[0] = 0;
        return;
    }
    if ((*te)->teLength < 0) (*te)->teLength = 0;
    LayoutContext ctx;
    BeginLayout(te, &ctx);
    Boolean done = start >= 0 && EditLayout(&ctx, start, end, delta, first, last);
    if (!done) {
        FullLayout(&ctx);
        *first = 0;
        *last = std::max<SInt32>(ctx.length - 1, 0);
    }
    EndLayout(&ctx);
}

static void FullLayout(LayoutContext *ctx) {
    ExtendedTEHandle te = ctx->te;
    LayoutPass pass;
    Produce(ctx, 0, nullptr, &pass);
    if (!StoreLines(te, 0, pass, -1, (*te)->nLines, 0)) {
        SingleLine(te);
        ctx->failed = kTrue;
    }
}

// Lays out the paragraph of an edit and what follows until the old lines resume. False when
// the record's lines do not describe the text before the edit: the caller then lays out all.
static Boolean EditLayout(LayoutContext *ctx, SInt32 start, SInt32 end, SInt32 delta, SInt32 *first, SInt32 *last) {
    ExtendedTEHandle te = ctx->te;
    SInt32 count = (*te)->nLines, length = ctx->length;
    SInt32 oldLength = length - delta;
    if (count <= 0 || (*te)->lineStarts[count] != oldLength || start > oldLength || start > length) return kFalse;
    if (delta < 0 && start - delta > oldLength) return kFalse;
    LHHandle lhTab = ExtendedIsStyled(te) ? (*(*te)->styleHandle)->lhTab : nullptr;
    if (ExtendedIsStyled(te) && (!lhTab || GetHandleSize((Handle)lhTab) < UInt32(count + 1) * sizeof(LHElement)))
        return kFalse;
    EditRange edit = {start, delta, start + std::max<SInt32>(-delta, 0), start + std::max<SInt32>(delta, 0)};
    if (delta == 0 && end > start) edit.oldEnd = edit.newEnd = std::min(end, length);
    // From the paragraph of the byte before the edit: a line end typed right after a CR may
    // pair with it, and a shortened word may now fit at the end of the line before.
    SInt32 firstLine = OldLineOf(te, std::max<SInt32>(start - 1, 0));
    while (firstLine > 0 && !ExtendedIsLineEnd(ctx->text[(*te)->lineStarts[firstLine] - 1])) firstLine--;
    LayoutPass pass;
    SInt32 resume = Produce(ctx, firstLine, &edit, &pass);

    SInt32 from = FirstChangedStart(te, firstLine, pass, edit);
    SInt32 produced = SInt32(pass.metrics.size());
    Boolean moved = produced != (resume >= 0 ? resume : count) - firstLine;
    const LHElement *heights = HeightTable(te);
    for (SInt32 i = 0; !moved && heights && i < produced; i++)
        moved = (heights[firstLine + i].lhHeight & 0x7FFF) != pass.metrics[i].lhHeight;
    SInt32 resumeAt = resume >= 0 ? (*te)->lineStarts[resume] + delta : length;
    if (!StoreLines(te, firstLine, pass, resume, count, delta)) {
        SingleLine(te);
        ctx->failed = kTrue;
        moved = kTrue;
    }
    // Bytes deleted at the end of a line leave it ending where it did, at the edit.
    if (delta < 0 && start > 0) from = std::min(from, (*te)->lineStarts[OldLineOf(te, start - 1)]);
    // When lines come or go, or change height, everything below them moves.
    SInt32 to = moved ? length - 1 : std::max(resumeAt, edit.newEnd) - 1;
    from = std::max<SInt32>(std::min(from, start), 0);
    to = std::max<SInt32>(to, 0);
    if (from > to) std::swap(from, to);
    *first = from;
    *last = to;
    return kTrue;
}

// Lays out lines from line on, starting at that line's start, into pass, to the end of the
// text or, after an edit, until a line ends where an old line past the edit began: that old
// line's index is answered (-1 when none), and it and all after it stay as they were.
static SInt32 Produce(LayoutContext *ctx, SInt32 line, const EditRange *edit, LayoutPass *pass) {
    ExtendedTEHandle te = ctx->te;
    SInt32 count = (*te)->nLines, length = ctx->length;
    SInt32 next = edit ? OldLineOf(te, edit->oldEnd) : count;  // the first old line that may resume
    SInt32 pos = line == 0 ? 0 : (*te)->lineStarts[line];
    while (true) {
        SInt32 x = length == 0 ? 0 : LineEnd(ctx, line, pos);
        LHElement metrics;
        ExtendedLineMetrics(te, pos, x - pos, &metrics);
        pass->metrics.push_back(metrics);
        if (x >= length) return -1;
        // Never the text's first line: its start counts as a word character.
        const SInt32 *old = (*te)->lineStarts;
        SInt32 delta = edit ? edit->delta : 0;
        while (next < count && old[next] + delta < x) next++;
        if (next < count && old[next] >= edit->oldEnd && old[next] > 0 && old[next] + delta == x && x >= edit->newEnd)
            return next;
        pass->starts.push_back(x);
        pos = x;
        line++;
    }
}

// The start of the first line that changed before the edit: the line ending where the first
// moved line start begins; start itself when none moved.
static SInt32 FirstChangedStart(ExtendedTEHandle te, SInt32 firstLine, const LayoutPass &pass, const EditRange &edit) {
    SInt32 count = (*te)->nLines;
    for (size_t i = 0; i < pass.starts.size(); i++) {
        SInt32 index = firstLine + 1 + SInt32(i);
        SInt32 old = index <= count ? (*te)->lineStarts[index] : -1;
        if (old >= edit.oldEnd) old += edit.delta;
        if (old != pass.starts[i]) return i == 0 ? (*te)->lineStarts[firstLine] : pass.starts[i - 1];
    }
    return edit.start;
}

// Lines first.. become the pass's lines, followed by the old lines from resume on (shifted by
// delta), or by nothing when resume is -1. False without memory, nothing changed.
static Boolean StoreLines(ExtendedTEHandle te, SInt32 first, const LayoutPass &pass, SInt32 resume, SInt32 oldCount,
                          SInt32 delta) {
    SInt32 produced = SInt32(pass.metrics.size());
    SInt32 kept = resume >= 0 ? oldCount - resume : 0;
    SInt32 total = first + produced + kept;
    LHHandle lhTab = ExtendedIsStyled(te) ? (*(*te)->styleHandle)->lhTab : nullptr;
    UInt32 lhBytes = UInt32(total + 1) * sizeof(LHElement);
    if (ExtendedRecordBytes(total) > GetHandleSize((Handle)te) &&
        !ExtendedGrowHandle((Handle)te, ExtendedRecordBytes(total)))
        return kFalse;
    if (lhTab && lhBytes > GetHandleSize((Handle)lhTab) && !ExtendedGrowHandle((Handle)lhTab, lhBytes))
        return kFalse;
    SInt32 *starts = (*te)->lineStarts;
    std::memmove(starts + first + produced, starts + (resume >= 0 ? resume : oldCount),
                 size_t(kept + 1) * sizeof(SInt32));
    for (SInt32 k = first + produced; k <= total; k++) starts[k] += resume >= 0 ? delta : 0;
    for (SInt32 i = 0; i < SInt32(pass.starts.size()); i++) starts[first + 1 + i] = pass.starts[i];
    starts[total] = (*te)->teLength;
    (*te)->nLines = total;
    if (lhTab) {
        LHElement *heights = *lhTab;
        if (kept > 0) std::memmove(heights + first + produced, heights + resume, size_t(kept) * sizeof(LHElement));
        for (SInt32 i = 0; i < produced; i++) heights[first + i] = pass.metrics[i];
        heights[total] = heights[total - 1];
        if (GetHandleSize((Handle)lhTab) > lhBytes) SetHandleSize((Handle)lhTab, lhBytes);
    }
    if (GetHandleSize((Handle)te) > ExtendedRecordBytes(total)) SetHandleSize((Handle)te, ExtendedRecordBytes(total));
    return kTrue;
}

// Without memory for its lines the record shows its text as one line, which fits in the room
// every record keeps.
static void SingleLine(ExtendedTEHandle te) {
    (*te)->nLines = 1;
    (*te)->lineStarts[0] = 0;
    (*te)->lineStarts[1] = (*te)->teLength;
    if (LHElement *heights = HeightTable(te)) {
        LHElement metrics;
        ExtendedLineMetrics(te, 0, (*te)->teLength, &metrics);
        heights[0] = metrics;
        if (GetHandleSize((Handle)(*(*te)->styleHandle)->lhTab) >= 2 * sizeof(LHElement)) heights[1] = metrics;
    }
}

// ---- Line breaking --------------------------------------------------------------------------

// The end of the line that starts at lo (lo < length).
static SInt32 LineEnd(LayoutContext *ctx, SInt32 line, SInt32 lo) {
    ExtendedTEHandle te = ctx->te;
    const UInt8 *s = ctx->text;
    SInt32 length = ctx->length;
    // The paragraph end found for an earlier line serves every line up to it.
    if (lo < ctx->scanFrom || lo > ctx->paragraphEnd) {
        SInt32 p = lo;
        while (p < length && !ExtendedIsLineEnd(s[p])) p++;
        ctx->scanFrom = lo;
        ctx->paragraphEnd = p;
    }
    SInt32 p = ctx->paragraphEnd;
    SInt32 e = p == length ? length
                           : (p < length - 1 && ExtendedIsLineEnd(s[p + 1]) && s[p + 1] != s[p]) ? p + 2 : p + 1;
    if ((*te)->noWrap) return e;
    SInt32 maxWidth = ctx->maxWidth;
    if (QuickBound(te, lo, SInt32(std::min<SInt64>(e, SInt64(lo) + kMeasureMaxBytes))) < maxWidth) return e;
    // The candidate is measured over growing prefixes: a long paragraph is not measured whole
    // for every one of its lines.
    SInt32 probe = std::max<SInt32>(kProbeMinBytes, maxWidth / 2);
    SInt32 hi, width;
    while (true) {
        hi = SInt64(lo) + probe >= e ? e : SnapToChar(te, lo + probe);
        if (hi <= lo) hi = ExtendedNextChar(te, lo);
        width = Measure(te, line, lo, hi);
        if (width >= maxWidth) break;
        if (hi >= e || probe >= kMeasureMaxBytes) return e;  // as far as a measure reaches, it fits
        probe = SInt32(std::min<SInt64>(SInt64(probe) * kProbeGrowth, kMeasureMaxBytes));
    }
    SInt32 b = BreakSearch(ctx, line, lo, hi, width);
    if (b != lo) return std::min(b, e);
    if (maxWidth >= kExtendedMaxWidth) return std::min(WordEndAfter(ctx, lo, e), e);  // never inside a word
    return CharBreak(ctx, line, lo, hi);
}

// The last word boundary between start and hi where the text up to it fits the width, by
// measuring pieces from a proportional guess; start when not even the first word fits.
static SInt32 BreakSearch(LayoutContext *ctx, SInt32 line, SInt32 start, SInt32 hi, SInt32 width) {
    ExtendedTEHandle te = ctx->te;
    SInt32 lo = start, avail = ctx->maxWidth, w = width;
    while (hi > lo) {
        SInt32 x;
        if (w > 0) {
            // 64-bit: on a long paragraph (hi - lo) x avail passes 32 bits.
            SInt64 guess = w == avail ? hi : lo + SInt64(hi - lo) * avail / w;
            SInt32 g = SInt32(std::clamp<SInt64>(guess, lo, hi));
            x = WordStartBefore(ctx, g, lo);
            if (x == lo) x = WordEndAfter(ctx, lo, hi);
            else if (x >= hi) x = WordStartBefore(ctx, x, lo);
        } else {
            x = WordEndAfter(ctx, lo, hi);
        }
        if (x <= lo || x >= hi) break;
        SInt32 ww = Measure(te, line, lo, x);
        if (ww <= avail) {
            avail -= ww;
            w -= ww;
            lo = x;
        } else {
            w = ww;
            hi = x;
        }
    }
    SInt32 b = lo;
    if (b < ctx->length && !ExtendedIsWordChar(te, b)) b = ExtendedNextChar(te, b);  // one separator stays
    return b;
}

// A word wider than the box is cut between characters: the longest prefix below the width,
// at least one character. Widths grow with the prefix, so the prefix is found by bisection.
static SInt32 CharBreak(LayoutContext *ctx, SInt32 line, SInt32 start, SInt32 hi) {
    ExtendedTEHandle te = ctx->te;
    SInt32 lo = ExtendedNextChar(te, start);
    if (lo >= hi || Measure(te, line, start, lo) >= ctx->maxWidth) return lo;
    while (ExtendedNextChar(te, lo) < hi) {
        SInt32 mid = SnapToChar(te, lo + (hi - lo) / 2);
        if (mid <= lo) mid = ExtendedNextChar(te, lo);
        if (Measure(te, line, start, mid) < ctx->maxWidth) lo = mid;
        else hi = mid;
    }
    return lo;
}

// The first position at or before x - 1 whose character is not part of a word; floor when the
// scan reaches it (positions at or below floor all count the same to the break search).
static SInt32 WordStartBefore(LayoutContext *ctx, SInt32 x, SInt32 floor) {
    ExtendedTEHandle te = ctx->te;
    SInt32 p = ExtendedPreviousChar(te, x);
    while (p > floor && ExtendedIsWordChar(te, p)) p = ExtendedPreviousChar(te, p);
    return std::max(p, floor);
}

// One character after x, then forward over word characters; ceiling when the scan reaches it.
static SInt32 WordEndAfter(LayoutContext *ctx, SInt32 x, SInt32 ceiling) {
    ExtendedTEHandle te = ctx->te;
    SInt32 p = ExtendedNextChar(te, x);
    while (p < ceiling && p < ctx->length && ExtendedIsWordChar(te, p)) p = ExtendedNextChar(te, p);
    return std::min(p, std::max(ceiling, x));
}

// The character boundary at or before offset.
static SInt32 SnapToChar(ExtendedTEHandle te, SInt32 offset) {
    SInt32 before = ExtendedPreviousChar(te, offset);
    return ExtendedNextChar(te, before) == offset ? offset : before;
}

// ---- Measuring helpers ----------------------------------------------------------------------

// Width of start..end (trailing line ends left out) with the record's port current and its
// text locked.
static SInt32 Measure(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 end) {
    const char *text = *(*te)->hText;
    end = std::min<SInt32>(end, start + kMeasureMaxBytes);
    ExtendedTextWidthProcPtr hook = (*te)->textWidth ? (*te)->textWidth : ExtendedDefaultTextWidth;
    if (!ExtendedIsStyled(te)) {
        ExtendedSetPortFont((*te)->txFont, (*te)->txFace, (*te)->txSize);
        SInt32 n = TrimLineEnds((const UInt8 *)text, start, end) - start;
        return n > 0 ? hook(te, line, text, start, n) : 0;
    }
    ExtendedStylHandle styles = (*te)->styleHandle;
    float zoom = (*styles)->zoom;
    SInt32 run = std::max<SInt32>(Extended_NumRun(start, styles), 0);
    SInt32 width = 0;
    for (SInt32 piece = start; piece < end; run++) {
        SInt32 pieceEnd = run + 1 <= (*styles)->nRuns ? std::min(end, (*styles)->runs[run + 1].startChar) : end;
        if (pieceEnd <= piece) pieceEnd = end;  // a run table behind the text: the rest in this style
        const ExtendedSTElement *entry = ExtendedLocStyle(piece, styles);
        if (entry) ExtendedSetPortFont(entry->stFont, entry->stFace, ExtendedZoomedSize(entry->stSize, zoom));
        SInt32 n = TrimLineEnds((const UInt8 *)text, piece, pieceEnd) - piece;
        SInt32 w = n > 0 ? hook(te, line, text, piece, n) : 0;
        width += pieceEnd < end ? SInt16(w) : w;
        piece = pieceEnd;
    }
    return width;
}

// A bound of the width of start..end that shapes no text: zoomed size x bytes, run by run.
static SInt32 QuickBound(ExtendedTEHandle te, SInt32 start, SInt32 end) {
    if (!ExtendedIsStyled(te)) {
        ExtendedSetPortFont((*te)->txFont, (*te)->txFace, (*te)->txSize);
        FontInfo info = {0, 0, 0, 0};
        GetFontInfo(&info);
        SInt32 perByte = info.widMax > 0 ? info.widMax : ((*te)->txSize > 0 ? (*te)->txSize : 12);
        return SInt32(std::min<SInt64>(SInt64(perByte) * (end - start), 0x7FFFFFFF));
    }
    ExtendedStylHandle styles = (*te)->styleHandle;
    float zoom = (*styles)->zoom;
    SInt32 run = std::max<SInt32>(Extended_NumRun(start, styles), 0);
    SInt64 bound = 0;
    for (SInt32 piece = start; piece < end; run++) {
        SInt32 pieceEnd = run + 1 <= (*styles)->nRuns ? std::min(end, (*styles)->runs[run + 1].startChar) : end;
        if (pieceEnd <= piece) pieceEnd = end;
        const ExtendedSTElement *entry = ExtendedLocStyle(piece, styles);
        SInt32 size = entry ? ExtendedZoomedSize(entry->stSize, zoom) : 12;
        bound += SInt64(size > 0 ? size : 12) * (pieceEnd - piece);
        piece = pieceEnd;
    }
    return SInt32(std::min<SInt64>(bound, 0x7FFFFFFF));
}

static SInt32 TrimLineEnds(const UInt8 *text, SInt32 start, SInt32 end) {
    while (end > start && ExtendedIsLineEnd(text[end - 1])) end--;
    return end;
}

// Destination width, 0 .. 32000.
static SInt32 MaxWidth(ExtendedTEHandle te) {
    SInt64 width = SInt64((*te)->destRect.right) - (*te)->destRect.left;
    return SInt32(std::clamp<SInt64>(width, 0, kExtendedMaxWidth));
}

// The line k of the current table with start(k) <= offset < start(k + 1); the last line for
// offsets at or past the end.
static SInt32 OldLineOf(ExtendedTEHandle te, SInt32 offset) {
    const SInt32 *starts = (*te)->lineStarts;
    SInt32 count = (*te)->nLines;
    if (count <= 0) return 0;
    SInt32 k = SInt32(std::upper_bound(starts + 1, starts + count, offset) - starts) - 1;
    return std::clamp<SInt32>(k, 0, count - 1);
}

static LHElement *HeightTable(ExtendedTEHandle te) {
    if (!ExtendedIsStyled(te)) return nullptr;
    LHHandle lhTab = (*(*te)->styleHandle)->lhTab;
    return lhTab ? *lhTab : nullptr;
}

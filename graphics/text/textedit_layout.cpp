// Classic TextEdit records, their line layout and the measuring of offsets and points.
// Layout after an edit starts at the first line of the touched paragraph and stops as soon as
// a line starts where an unchanged old line started: everything after is the same as before.
#include "graphics/text/textedit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/textedit_internal.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/input_method.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/language.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

enum : SInt32 {
    kProbeBytesMin = 16,     // a paragraph is first measured over about half the width in
    kProbeBytesMax = 256,    // bytes, within these bounds: most lines end sooner
    kProbeGrowth = 4,
    kWordByteMin = 33,       // bytes below this separate words in layout
    kJapanese = 5,           // OrvaGetLangue
};

// Process-wide TextEdit state. Main thread only.
struct TEGlobalsRecord {
    Boolean insertMode = kTrue;                      // false: typed bytes replace the next one
    Boolean (*refuseAllocation)(UInt32 size) = nullptr;  // test seam
};
TEGlobalsRecord gTE;

// What one layout pass produced: the starts of the lines from the first relaid line on, their
// heights in a styled record, and the old line where the unchanged lines resume (-1: none).
struct LayoutPass {
    std::vector<UInt16> starts;
    std::vector<LHElement> heights;
    SInt32 resumeOld = -1;
};

}  // namespace

static void Relayout(TEHandle te, SInt32 start, SInt32 end, SInt32 delta, SInt32 *firstOut, SInt32 *lastOut);
static Boolean LinesAreSound(TEHandle te);
static UInt32 RecordBytes(SInt32 lines);
static const UInt8 *TextOf(TEHandle te);
static SInt32 LineEnd(TEHandle te, SInt32 start, SInt32 width, SInt32 *paragraphEnd);
static SInt32 ExceedingPrefix(TEHandle te, SInt32 start, SInt32 end, SInt32 width);
static SInt32 FitBytes(TEHandle te, SInt32 start, SInt32 end, SInt32 width);
static SInt32 OldLineOf(TEHandle te, SInt32 offset);
static void Produce(TEHandle te, SInt32 firstLine, SInt32 oldCount, SInt32 resumeFrom, SInt32 delta,
                    LayoutPass *pass);
static Boolean SpliceLines(TEHandle te, SInt32 first, SInt32 oldCount, const LayoutPass &pass, SInt32 delta);
static void FallBackLines(TEHandle te, SInt32 first);
static SInt32 SumHeights(TEHandle te, SInt32 first, SInt32 end);
static SInt32 DestWidth(TEHandle te);
static SInt32 JisAdjust(TEHandle te, SInt32 position, SInt32 delta);

// ---- Records --------------------------------------------------------------------------------

void TEInit() {}

TEHandle TENew(const Rect *destRect, const Rect *viewRect) {
    GrafPtr port = qd.thePort;
    if (!port || !destRect || !viewRect) return nullptr;
    Handle record = TENewHandle(RecordBytes(0));
    Handle text = record ? TENewHandle(0) : nullptr;
    if (!record || !text) {
        if (record) DisposHandle(record);
        return nullptr;
    }
    std::memset(*record, 0, RecordBytes(0));
    TEPtr p = (TEPtr)*record;
    p->destRect = *destRect;
    p->viewRect = *viewRect;
    p->inPort = port;
    p->txFont = port->txFont;
    p->txFace = port->txFace;
    p->txMode = port->txMode;
    p->txSize = port->txSize;
    FontInfo info = {0, 0, 0, 0};
    GetFontInfo(&info);
    p->lineHeight = SInt16(info.ascent + info.descent + info.leading);
    p->fontAscent = info.ascent;
    p->wordBreak = OrvaTEDefaultWordBreak;
    p->clikLoop = OrvaTEDefaultClickLoop;
    p->hText = text;
    p->lineStarts[0] = 0;
    return (TEHandle)record;
}

void TEDispose(TEHandle te) {
    if (!te || !*te) return;
    SystemDependantIMESetPosition(-1, -1, nullptr);
    if (TEIsStyled(te)) orva_DisposeExtText(te);
    if ((*te)->hText) DisposHandle((*te)->hText);
    DisposHandle((Handle)te);
}

Handle TEGetText(TEHandle te) { return te && *te ? (*te)->hText : nullptr; }

// ---- Layout ---------------------------------------------------------------------------------

void TECalText(TEHandle te) { TERecalText(-1, -1, 0, te, nullptr, nullptr); }

void TERecalText(SInt32 start, SInt32 end, SInt32 delta, TEHandle te, SInt32 *firstOut, SInt32 *lastOut) {
    SInt32 first = 0, last = 0;
    if (te && *te) {
        TEPortSave save;
        TEEnterPort(te, &save);
        Handle text = (*te)->hText;
        UInt8 state = HGetState(text);
        HLock(text);
        Relayout(te, std::min<SInt32>(start, (*te)->teLength), end, delta, &first, &last);
        // An edit described wrongly by its caller cannot leave a broken table behind.
        if (!LinesAreSound(te)) Relayout(te, -1, -1, 0, &first, &last);
        HSetState(text, state);
        TELeavePort(&save);
    }
    if (firstOut) *firstOut = first;
    if (lastOut) *lastOut = last;
}

// ---- Measuring ------------------------------------------------------------------------------

Point TEGetPoint(SInt32 offset, TEHandle te) {
    if (!te || !*te) return Point{0, 0};
    return TEPointOf(te, offset, nullptr);
}

SInt32 TEGetOffset(Point pt, TEHandle te) {
    if (!te || !*te) return 0;
    SInt32 length = (*te)->teLength, count = (*te)->nLines;
    if (length == 0 || count == 0 || pt.v < (*te)->destRect.top) return 0;
    SInt32 y = pt.v - (*te)->destRect.top, line = 0;
    if (!TEIsStyled(te)) {
        SInt32 height = std::max<SInt32>((*te)->lineHeight, 1);
        line = y == 0 ? 0 : (y + height - 1) / height - 1;
        line = std::max<SInt32>(line, 0);
    } else {
        for (SInt32 bottom = TELineHeight(te, 0); line < count && bottom < y; bottom += TELineHeight(te, ++line)) {
        }
    }
    if (line >= count) return length;
    TEPortSave save;
    TEEnterPort(te, &save);
    const UInt8 *text = TextOf(te);
    SInt32 start = (*te)->lineStarts[line], next = (*te)->lineStarts[line + 1];
    // A click right of a paragraph's end stays before its return; a soft break keeps its last
    // byte, since the caret of the next line's start is shown at the end of this one.
    SInt32 end = next > start && text[next - 1] == kTEReturn ? next - 1 : next;
    SInt32 x = std::max<SInt32>(pt.h - (*te)->destRect.left - TEJustification(te, line), 0);
    SInt32 low = start, high = end;
    while (low < high) {
        SInt32 middle = JisAdjust(te, low + (high - low + 1) / 2, -1);
        if (middle <= low) middle = JisAdjust(te, low + (high - low + 1) / 2, 1);
        if (middle > high) break;
        if (TEWidth(te, start, middle - start) <= x) low = middle;
        else high = middle - 1;
    }
    if (low < end) {
        SInt32 following = std::min(JisAdjust(te, low + 1, 1), end);
        SInt32 before = x - TEWidth(te, start, low - start), after = TEWidth(te, start, following - start) - x;
        if (after < before) low = following;
    }
    TELeavePort(&save);
    return low;
}

SInt32 TEGetHeight(SInt32 endLine, SInt32 startLine, TEHandle te) {
    if (!te || !*te) return 0;
    SInt32 count = (*te)->nLines;
    SInt32 first = std::clamp<SInt32>(std::min(startLine, endLine), 0, count);
    SInt32 last = std::clamp<SInt32>(std::max(startLine, endLine), 0, count);
    if (last == count && !TEEndsWithReturn(te)) last = count - 1;
    if (last < first) return 0;
    if (!TEIsStyled(te)) return (last - first + 1) * (*te)->lineHeight;
    return SumHeights(te, first, last + 1);
}

SInt32 orva_NumLigne(SInt32 offset, TEHandle te) {
    if (!te || !*te) return 0;
    SInt32 count = (*te)->nLines;
    if ((*te)->teLength == 0 || count == 0) return 0;
    if (offset < (*te)->lineStarts[count]) {
        const UInt16 *starts = (*te)->lineStarts;
        SInt32 line = SInt32(std::upper_bound(starts, starts + count, UInt16(std::max<SInt32>(offset, 0))) - starts) - 1;
        return std::max<SInt32>(line, 0);
    }
    return count - 1 + (TEEndsWithReturn(te) ? 1 : 0);
}

SInt32 orva_TailleTexte(TEHandle te, SInt32 start, SInt32 length) {
    if (!te || !*te) return 0;
    start = TEClampOffset(te, start);
    length = std::clamp<SInt32>(length, 0, (*te)->teLength - start);
    TEPortSave save;
    TEEnterPort(te, &save);
    SInt32 width = TEWidth(te, start, length);
    TELeavePort(&save);
    return width;
}

void SetWordBreak(TEWordBreakProcPtr proc, TEHandle te) {
    if (te && *te) (*te)->wordBreak = proc ? proc : OrvaTEDefaultWordBreak;
}

void SetClikLoop(TEClickLoopProcPtr proc, TEHandle te) {
    if (te && *te) (*te)->clikLoop = proc ? proc : OrvaTEDefaultClickLoop;
}

void TESetJust(SInt16 just, TEHandle te) {
    if (te && *te) (*te)->just = just;
}

void TEAutoView(Boolean flag, TEHandle te) {
    if (te && *te) (*te)->autoView = flag ? 1 : 0;
}

Boolean OrvaTEGetInsertMode() { return gTE.insertMode; }

void OrvaTESetInsertMode(Boolean insert) { gTE.insertMode = insert ? kTrue : kFalse; }

void OrvaTESetAllocationHook(Boolean (*refuse)(UInt32 size)) { gTE.refuseAllocation = refuse; }

// ---- Shared with the other TextEdit files ----------------------------------------------------

void TEEnterPort(TEHandle te, TEPortSave *save) {
    save->port = qd.thePort;
    SetPort((*te)->inPort);
}

void TELeavePort(const TEPortSave *save) { SetPort(save->port); }

void TESetPortText(SInt16 font, UInt8 face, SInt16 size, TETextFields *saved) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    *saved = TETextFields{port->txFont, port->txSize, port->txFace};
    port->txFont = font == 1 ? 3 : font;  // as TextFont stores it
    port->txFace = face;
    port->txSize = size;
}

void TERestorePortText(const TETextFields *saved) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    port->txFont = saved->font;
    port->txFace = saved->face;
    port->txSize = saved->size;
}

Handle TENewHandle(UInt32 size) {
    if (gTE.refuseAllocation && gTE.refuseAllocation(size)) {
        OrvaSetMemError(memFullErr);
        return nullptr;
    }
    return NewHandle(size);
}

Boolean TEIsStyled(TEHandle te) { return (*te)->txSize == -1 && (*te)->styleHandle != nullptr; }

Boolean TEEndsWithReturn(TEHandle te) {
    SInt32 length = (*te)->teLength;
    return length > 0 && TextOf(te)[length - 1] == kTEReturn;
}

SInt32 TEClampOffset(TEHandle te, SInt32 offset) { return std::clamp<SInt32>(offset, 0, (*te)->teLength); }

SInt32 TEPreviousChar(TEHandle te, SInt32 offset) {
    if (offset <= 0) return 0;
    return std::max<SInt32>(JisAdjust(te, offset - 1, -1), 0);
}

SInt32 TENextChar(TEHandle te, SInt32 offset) {
    SInt32 length = (*te)->teLength;
    if (offset >= length) return length;
    return std::min(JisAdjust(te, offset + 1, 1), length);
}

Boolean TEIsWordByte(TEHandle te, SInt32 offset) {
    if (offset < 0 || offset >= (*te)->teLength) return kFalse;
    TEWordBreakProcPtr hook = (*te)->wordBreak ? (*te)->wordBreak : OrvaTEDefaultWordBreak;
    return hook(*(*te)->hText, offset);
}

SInt32 TELineHeight(TEHandle te, SInt32 line) {
    if (!TEIsStyled(te)) return (*te)->lineHeight;
    LHHandle table = (*(*te)->styleHandle)->lhTab;
    SInt32 entries = table ? SInt32(GetHandleSize((Handle)table) / sizeof(LHElement)) : 0;
    if (entries == 0) return 0;
    return (*table)[std::clamp<SInt32>(line, 0, entries - 1)].lhHeight & kTEHeightMask;
}

SInt32 TELineAscent(TEHandle te, SInt32 line) {
    if (!TEIsStyled(te)) return (*te)->fontAscent;
    LHHandle table = (*(*te)->styleHandle)->lhTab;
    SInt32 entries = table ? SInt32(GetHandleSize((Handle)table) / sizeof(LHElement)) : 0;
    if (entries == 0) return 0;
    return (*table)[std::clamp<SInt32>(line, 0, entries - 1)].lhAscent;
}

SInt32 TELineBottom(TEHandle te, SInt32 line) {
    if (!TEIsStyled(te)) return (line + 1) * (*te)->lineHeight;
    return SumHeights(te, 0, line + 1);
}

SInt32 TELineOfPoint(TEHandle te, SInt32 offset) {
    SInt32 count = (*te)->nLines;
    if (count == 0) return 0;
    offset = TEClampOffset(te, offset);
    const UInt16 *starts = (*te)->lineStarts;
    // The first line whose end reaches offset: at a soft break the caret stays on the upper line.
    SInt32 line = SInt32(std::lower_bound(starts + 1, starts + count + 1, UInt16(offset)) - (starts + 1));
    line = std::min(line, count - 1);
    if (offset == starts[line + 1] && offset > 0 && TextOf(te)[offset - 1] == kTEReturn) line++;
    return line;
}

SInt32 TELastLine(TEHandle te) { return TELineOfPoint(te, (*te)->teLength); }

SInt32 TEJustification(TEHandle te, SInt32 line) {
    SInt16 just = (*te)->just;
    if (just != teCenter && just != teFlushRight) return 0;
    SInt32 width = DestWidth(te), lineWidth = 0;
    if (line < (*te)->nLines) {
        SInt32 start = (*te)->lineStarts[line];
        lineWidth = TEWidth(te, start, (*te)->lineStarts[line + 1] - start);
    }
    if (TEIsStyled(te) && lineWidth > width) return 0;
    return just == teFlushRight ? width - lineWidth : (width - lineWidth) / 2;
}

SInt32 TEWidth(TEHandle te, SInt32 start, SInt32 length) {
    if (length <= 0) return 0;
    if (TEIsStyled(te)) return TEStyledWidth(te, start, length);
    TETextFields saved;
    TESetPortText((*te)->txFont, (*te)->txFace, (*te)->txSize, &saved);
    SInt32 width = OrvaTextWidth(*(*te)->hText, start, length, kFalse);
    TERestorePortText(&saved);
    return width;
}

Point TEPointOf(TEHandle te, SInt32 offset, SInt32 *lineOut) {
    offset = TEClampOffset(te, offset);
    SInt32 line = TELineOfPoint(te, offset);
    if (lineOut) *lineOut = line;
    TEPortSave save;
    TEEnterPort(te, &save);
    SInt32 width = std::max<SInt32>(DestWidth(te), 0), x = TEJustification(te, line);
    if (line < (*te)->nLines) {
        SInt32 start = (*te)->lineStarts[line];
        x += TEWidth(te, start, offset - start);
    }
    TELeavePort(&save);
    Point pt;
    pt.v = TEClampCoordinate((*te)->destRect.top + TELineBottom(te, line));
    pt.h = TEClampCoordinate((*te)->destRect.left + std::min(x, width));
    return pt;
}

SInt16 TEClampCoordinate(SInt32 value) { return SInt16(std::clamp<SInt32>(value, -32768, 32767)); }

// ---- Helpers --------------------------------------------------------------------------------

// Lays the lines out after an edit (see TERecalText) and answers the bytes to redraw.
static void Relayout(TEHandle te, SInt32 start, SInt32 end, SInt32 delta, SInt32 *firstOut, SInt32 *lastOut) {
    SInt32 length = (*te)->teLength, oldCount = (*te)->nLines;
    SInt32 firstLine = 0, resumeFrom = oldCount;
    Boolean whole = start < 0 || oldCount == 0 || length == 0;
    if (!whole) {
        // The first line of the paragraph holding start: the text before start is unchanged.
        firstLine = OldLineOf(te, start);
        const UInt8 *bytes = TextOf(te);
        while (firstLine > 0 && bytes[(*te)->lineStarts[firstLine] - 1] != kTEReturn) firstLine--;
        // Old lines that began at or after the end of the edit may resume the old layout.
        SInt32 editEnd = delta < 0 ? start - delta : std::max(start, end);
        resumeFrom = firstLine + 1;
        while (resumeFrom < oldCount && (*te)->lineStarts[resumeFrom] < editEnd) resumeFrom++;
    }
    LayoutPass pass;
    if (length > 0) Produce(te, firstLine, oldCount, resumeFrom, whole ? 0 : delta, &pass);
    SInt32 replacedEnd = pass.resumeOld >= 0 ? pass.resumeOld : oldCount;
    SInt32 oldHeight = TEIsStyled(te) ? SumHeights(te, firstLine, replacedEnd) : 0;
    if (!SpliceLines(te, firstLine, oldCount, pass, delta)) FallBackLines(te, firstLine);
    SInt32 count = (*te)->nLines;
    if (whole) {
        *firstOut = 0;
        *lastOut = length > 0 ? length - 1 : 0;
        return;
    }
    SInt32 producedEnd = std::min<SInt32>(firstLine + SInt32(pass.starts.size()), count);
    Boolean heightsMoved = TEIsStyled(te) && SumHeights(te, firstLine, producedEnd) != oldHeight;
    SInt32 first = (*te)->lineStarts[std::min(firstLine, count)], last = length;
    Boolean onFirstLine = start >= first && start < (*te)->lineStarts[std::min(firstLine + 1, count)];
    if (((*te)->just == teFlushDefault || (*te)->just == teFlushLeft) && onFirstLine) first = start;
    if (count == oldCount && !heightsMoved && pass.resumeOld >= 0) last = (*te)->lineStarts[producedEnd] - 1;
    if (first > last) std::swap(first, last);
    *firstOut = first;
    *lastOut = last;
}

// Line starts from 0, strictly ascending, the last at teLength.
static Boolean LinesAreSound(TEHandle te) {
    SInt32 count = (*te)->nLines;
    const UInt16 *starts = (*te)->lineStarts;
    if (starts[0] != 0 || starts[count] != (*te)->teLength) return kFalse;
    for (SInt32 i = 1; i <= count; i++)
        if (starts[i] <= starts[i - 1]) return kFalse;
    return kTrue;
}

// Bytes of a record with lines lines: lineStarts holds lines + 1 entries.
static UInt32 RecordBytes(SInt32 lines) {
    return UInt32(offsetof(TERec, lineStarts) + sizeof(UInt16) * size_t(lines + 1));
}

static const UInt8 *TextOf(TEHandle te) { return (const UInt8 *)*(*te)->hText; }

// Where the line starting at start ends. A line holds its paragraph up to and including the
// return unless that is wider than the destination; then it ends before the word that reaches
// the width, or, when a single word does, after the bytes that stay narrower. At least one byte.
// paragraphEnd caches the end of the paragraph being laid out.
static SInt32 LineEnd(TEHandle te, SInt32 start, SInt32 width, SInt32 *paragraphEnd) {
    const UInt8 *text = TextOf(te);
    SInt32 length = (*te)->teLength;
    if (*paragraphEnd <= start) {
        SInt32 end = start;
        while (end < length && text[end] != kTEReturn) end++;
        *paragraphEnd = end < length ? end + 1 : end;
    }
    SInt32 piece = *paragraphEnd;
    SInt32 exceeding = ExceedingPrefix(te, start, piece, width);
    if (exceeding == 0) return piece;
    // No line ends past the prefix that is already too wide, so words are looked at only up to it.
    SInt32 limit = start + exceeding;
    for (SInt32 position = start; position < limit;) {
        SInt32 wordStart = position;
        while (wordStart < limit && text[wordStart] < kWordByteMin) wordStart++;
        if (wordStart >= limit) break;
        SInt32 wordEnd = wordStart;
        while (wordEnd < limit && text[wordEnd] >= kWordByteMin) wordEnd++;
        if (TEWidth(te, start, wordEnd - start) >= width) {
            if (wordStart > start) return wordStart;
            return FitBytes(te, start, wordEnd, width);
        }
        position = wordEnd;
    }
    // Only separators reach the width: they stay on the line.
    while (limit < piece && text[limit] < kWordByteMin) limit++;
    return limit;
}

// The length of a prefix of start..end wider than width, or 0 when the whole is not. Prefixes
// grow from about half the width in bytes, so that a long paragraph costs about one line's
// measure.
static SInt32 ExceedingPrefix(TEHandle te, SInt32 start, SInt32 end, SInt32 width) {
    SInt32 length = end - start;
    SInt32 probe = std::min(length, std::clamp<SInt32>(width / 2, kProbeBytesMin, kProbeBytesMax));
    for (;;) {
        if (TEWidth(te, start, probe) > width) return probe;
        if (probe == length) return 0;
        probe = std::min(length, probe * kProbeGrowth);
    }
}

// The end of the most bytes from start (before end) narrower than width; at least one byte.
static SInt32 FitBytes(TEHandle te, SInt32 start, SInt32 end, SInt32 width) {
    SInt32 low = 1, high = end - start - 1;  // the whole word is known to reach width
    if (high < 1 || TEWidth(te, start, 1) >= width) return start + 1;
    while (low < high) {
        SInt32 middle = low + (high - low + 1) / 2;
        if (TEWidth(te, start, middle) < width) low = middle;
        else high = middle - 1;
    }
    return start + low;
}

// The old line holding offset (the last whose start is at or before it).
static SInt32 OldLineOf(TEHandle te, SInt32 offset) {
    SInt32 count = (*te)->nLines;
    const UInt16 *starts = (*te)->lineStarts;
    SInt32 line = SInt32(std::upper_bound(starts, starts + count, UInt16(std::clamp<SInt32>(offset, 0, 65535))) - starts) - 1;
    return std::clamp<SInt32>(line, 0, count - 1);
}

// Lays lines out from the start of firstLine until the text ends or a line starts where an old
// line from resumeFrom on started (moved by delta).
static void Produce(TEHandle te, SInt32 firstLine, SInt32 oldCount, SInt32 resumeFrom, SInt32 delta,
                    LayoutPass *pass) {
    SInt32 length = (*te)->teLength, width = DestWidth(te);
    SInt32 position = firstLine < oldCount ? (*te)->lineStarts[firstLine] : 0, candidate = resumeFrom;
    Boolean styled = TEIsStyled(te);
    SInt32 paragraphEnd = 0;
    if (position >= length) return;  // the edit removed everything after a final return
    for (;;) {
        pass->starts.push_back(UInt16(position));
        SInt32 end = LineEnd(te, position, width, &paragraphEnd);
        if (styled) {
            LHElement metrics;
            TEStyledLineMetrics(te, position, end, &metrics);
            pass->heights.push_back(metrics);
        }
        if (end >= length) return;
        position = end;
        while (candidate < oldCount && (*te)->lineStarts[candidate] + delta < position) candidate++;
        if (candidate < oldCount && (*te)->lineStarts[candidate] + delta == position) {
            pass->resumeOld = candidate;
            return;
        }
    }
}

// Replaces the old lines first..(resumeOld or the end) with the produced ones; the old lines
// from resumeOld on follow, moved by delta.
static Boolean SpliceLines(TEHandle te, SInt32 first, SInt32 oldCount, const LayoutPass &pass, SInt32 delta) {
    SInt32 produced = SInt32(pass.starts.size());
    SInt32 kept = pass.resumeOld >= 0 ? oldCount - pass.resumeOld : 0;
    SInt32 from = pass.resumeOld >= 0 ? pass.resumeOld : oldCount;
    SInt32 count = first + produced + kept;
    if (TEIsStyled(te) && !TESpliceLineHeights(te, first, from, pass.heights.data(), produced)) return kFalse;
    if (count > oldCount) {
        SetHandleSize((Handle)te, RecordBytes(count));
        if (MemError() != noErr) return kFalse;
    }
    UInt16 *starts = (*te)->lineStarts;
    std::memmove(starts + first + produced, starts + from, sizeof(UInt16) * size_t(kept));
    for (SInt32 i = 0; i < kept; i++) starts[first + produced + i] = UInt16(starts[first + produced + i] + delta);
    if (produced > 0) std::memcpy(starts + first, pass.starts.data(), sizeof(UInt16) * size_t(produced));
    starts[count] = (*te)->teLength;
    (*te)->nLines = count;
    if (count < oldCount) SetHandleSize((Handle)te, RecordBytes(count));
    return kTrue;
}

// Without memory for the new lines, the lines before first stay and the rest of the text
// becomes one line: the table stays consistent and fits in the old record.
static void FallBackLines(TEHandle te, SInt32 first) {
    OrvaErreur("No more mem");
    SInt32 length = (*te)->teLength;
    SInt32 count = length == 0 ? 0 : std::min<SInt32>(first + 1, (*te)->nLines);
    count = std::max<SInt32>(count, length == 0 ? 0 : 1);
    UInt16 *starts = (*te)->lineStarts;
    for (SInt32 i = 1; i < count; i++) starts[i] = std::min<UInt16>(starts[i], UInt16(length));
    starts[count] = UInt16(length);
    (*te)->nLines = count;
    if (TEIsStyled(te)) TESpliceLineHeights(te, count, count, nullptr, 0);
}

// Heights of lines first..end - 1 of a styled record, each masked to 15 bits.
static SInt32 SumHeights(TEHandle te, SInt32 first, SInt32 end) {
    LHHandle table = (*(*te)->styleHandle)->lhTab;
    SInt32 entries = table ? SInt32(GetHandleSize((Handle)table) / sizeof(LHElement)) : 0;
    SInt32 total = 0;
    for (SInt32 line = std::max<SInt32>(first, 0); line < end && line < entries; line++)
        total += (*table)[line].lhHeight & kTEHeightMask;
    return total;
}

static SInt32 DestWidth(TEHandle te) { return SInt32((*te)->destRect.right) - (*te)->destRect.left; }

static SInt32 JisAdjust(TEHandle te, SInt32 position, SInt32 delta) {
    if (OrvaGetLangue() != kJapanese) return position;
    return OrvaAjustePosJis(TextOf(te), (*te)->teLength, position, delta);
}

// Region drawing and regions made by drawing. A tracing swaps the rectangle-fill slot of the
// video table for the accumulator, which XORs every drawn run into the scan lines of the region
// being built and keeps the run, so that the region ends up as the outline's inside together
// with everything drawn; lines are collected first and drawn afterwards one pixel wide, with
// their joints adjusted so that a shared end pixel is entered once.
#include "graphics/quickdraw/region_drawing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "graphics/quickdraw/raster.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

struct CollectedLine {  // 8 bytes in the collected-lines handle
    SInt16 startH, startV, endH, endV;
};

// What the accumulator keeps of a tracing: the runs entered as scan-line changes, and every
// run drawn.
struct AccumulatorRecord {
    RgnHandle rgn;         // the region being made
    SInt32 lastLeft;       // last segment entered [lastLeft, lastRight) on lastRow; kRgnEnd: none
    SInt32 lastRight;
    SInt32 lastRow;
};

// A run the accumulator received, inclusive.
struct InkRun {
    SInt32 left, right, top, bottom;
    SInt32 line = 0;  // 1 + the collected line that drew it; 0 for any other drawing
};
typedef std::vector<InkRun> InkRuns;

// One tracing in progress; an inner one (a traced shape inside a replayed outline) stacks on
// the outer one.
struct TraceRecord {
    TraceRecord *outer = nullptr;
    GrafPtr savedPort = nullptr;
    OrvaPenAndColorState tracePen = {};  // the tracing port's pen before this tracing
    Handle savedRgnSave = nullptr;
    VideoOps savedVideo = {};
    AccumulatorRecord acc = {};
    Handle lines = nullptr;              // CollectedLine each, or null
    SInt32 lineCount = 0;
    Boolean collecting = false;
    Boolean changesOnly = false;         // runs enter the scan lines without being drawn
    SInt32 line = 0;                     // 1 + the collected line being drawn, else 0
    InkRuns entered;                     // one row each: the rows that change the scan lines
    InkRuns ink;                         // every run drawn, whole
};

// Process-wide state of this file. Main thread only.
struct RgnDrawingRecord {
    GrafPort tracePort;          // where outlines are traced; never given pixels
    Boolean tracePortReady;
    TraceRecord *trace;          // the innermost tracing, or null
    PicHandle picRgn;            // the outline being recorded by OpenRgn
    GrafPtr recordingPort;
    Handle savedPicSave;
    RgnPicturePlayerProc player;
};
RgnDrawingRecord gRgnDraw;

const Rect kTraceClip = {-32000, -32000, 32000, 32000};
const Rect kOutlineFrame = {0, 0, 1, 1};

enum : SInt32 {
    kRgnHeaderWords = 5,
    kMaxRgnWords = kRgnMaxBytes / 2,
};

// One band of a clip region for the pixel mover: its rows and its segments.
struct CopyBand {
    SInt16 top, bottom;
    std::vector<SInt16> segments;
};

}  // namespace

static void EnsureTracePort();
static Boolean BeginTrace(RgnHandle rgn, TraceRecord *t);
static void EndTrace(TraceRecord *t);
static void DrawCollectedLines(TraceRecord *t);
static SInt32 Predecessor(const CollectedLine *lines, SInt32 count, SInt32 index);
static void AccumulatorFill(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
static void FinishRegion(TraceRecord *t);
static Boolean ScanLinesOfRuns(InkRuns *runs, Boolean xorRows, RgnHandle rgn);
static void DrawRgn(RgnHandle rgn, ShapeVerb verb, UInt16 opcode, const Pattern *pat);
static void FillBand(void *context, SInt16 top, SInt16 bottom, const Seglist *state);
static void FrameScanLines(RgnHandle rgn);
static void CollectBand(void *context, SInt16 top, SInt16 bottom, const Seglist *state);

void _PaintRgn(RgnHandle rgn) { DrawRgn(rgn, kVerbPaint, kPictOpFrameRgn + kPictVerbPaint, nullptr); }

void EraseRgn(RgnHandle rgn) { DrawRgn(rgn, kVerbErase, kPictOpFrameRgn + kPictVerbErase, nullptr); }

void _InvertRgn(RgnHandle rgn) { DrawRgn(rgn, kVerbInvert, kPictOpFrameRgn + kPictVerbInvert, nullptr); }

void _FillRgn(RgnHandle rgn, const Pattern *pat) {
    if (pat) DrawRgn(rgn, kVerbFill, kPictOpFrameRgn + kPictVerbFill, pat);
}

void _FrameRgn(RgnHandle rgn) {
    GrafPtr port = qd.thePort;
    if (!port || !rgn || !*rgn) return;
    if (port->picSave) RecordPictAction(kPictOpFrameRgn, *rgn, UInt32(OrvaRgnWords(rgn) * 2));
    if (port->pnVis < 0 || EmptyRgn(rgn)) return;
    Point saved = port->pnLoc;
    if (OrvaRgnWords(rgn) <= kRgnHeaderWords) {
        Rect box = (*rgn)->rgnBBox;
        orva_Rectangle(&box);
    } else {
        FrameScanLines(rgn);
    }
    port->pnLoc = saved;
}

void OrvaFillRgn(RgnHandle rgn) {
    GrafPtr port = qd.thePort;
    if (!port || !rgn || !*rgn || port->pnVis < 0) return;
    OrvaRecalculeRgnClip();
    if (OrvaRgnWords(rgn) <= kRgnHeaderWords) {
        Rect box = (*rgn)->rgnBBox;
        orva_Bar(box.left, box.top, box.right, box.bottom);
        return;
    }
    OrvaForEachRgnBand(rgn, FillBand, port);
}

void OpenRgn() {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (gRgnDraw.picRgn) {
        // A second OpenRgn drops the first recording.
        GrafPtr current = port;
        SetPort(gRgnDraw.recordingPort);
        if (qd.thePort->picSave == (Handle)gRgnDraw.picRgn) ClosePicture();
        qd.thePort->picSave = gRgnDraw.savedPicSave;
        KillPicture(gRgnDraw.picRgn);
        gRgnDraw.picRgn = nullptr;
        SetPort(current);
    }
    gRgnDraw.savedPicSave = port->picSave;
    gRgnDraw.recordingPort = port;
    gRgnDraw.picRgn = OpenPicture(&kOutlineFrame);
    if (!gRgnDraw.picRgn) port->picSave = gRgnDraw.savedPicSave;
}

void CloseRgn(RgnHandle rgn) {
    GrafPtr port = qd.thePort;
    PicHandle picture = gRgnDraw.picRgn;
    if (!port || !picture || port != gRgnDraw.recordingPort) {
        if (rgn) SetEmptyRgn(rgn);
        return;
    }
    gRgnDraw.picRgn = nullptr;
    if (port->picSave == (Handle)picture) ClosePicture();
    port->picSave = gRgnDraw.savedPicSave;
    TraceRecord t;
    if (rgn && BeginTrace(rgn, &t)) {
        t.collecting = true;
        if (gRgnDraw.player) gRgnDraw.player(picture, &kOutlineFrame);
        t.collecting = false;
        EndTrace(&t);
    }
    KillPicture(picture);
}

void OrvaSetRgnPicturePlayer(RgnPicturePlayerProc player) { gRgnDraw.player = player; }

void OrvaTraceRgn(RgnHandle rgn, void (*outline)(void *context), void *context) {
    TraceRecord t;
    if (!rgn || !outline || !BeginTrace(rgn, &t)) return;
    t.collecting = true;
    outline(context);
    t.collecting = false;
    EndTrace(&t);
}

void OrvaTraceChangesOnly(Boolean on) {
    if (gRgnDraw.trace) gRgnDraw.trace->changesOnly = on;
}

// The tracing port, or the copy of it a picture player draws into (CloseRgn replays the outline
// through the player, whose copy keeps the region being made in rgnSave).
Boolean OrvaIsCollectingLines() {
    GrafPtr port = qd.thePort;
    const GrafPort &trace = gRgnDraw.tracePort;
    return gRgnDraw.trace && gRgnDraw.trace->collecting && port &&
           (port == &trace || (trace.rgnSave && port->rgnSave == trace.rgnSave));
}

void OrvaAddLine2Rgn(SInt16 startH, SInt16 startV, SInt16 endH, SInt16 endV) {
    TraceRecord *t = gRgnDraw.trace;
    if (!t || (startH == endH && startV == endV)) return;
    if (!t->lines) {
        t->lines = NewHandle(0);
        if (!t->lines) return;
    }
    CollectedLine *lines = (CollectedLine *)*t->lines;
    if (startH == endH) {
        for (SInt32 i = 0; i < t->lineCount; i++) {
            CollectedLine &l = lines[i];
            if (l.startH != l.endH || l.startH != startH) continue;
            // A vertical line continuing a collected one at the same h extends it.
            if (l.endV == startV) l.endV = endV;
            else if (l.startV == endV) l.startV = startV;
            else if (l.startV == startV) l.startV = endV;
            else if (l.endV == endV) l.endV = startV;
            else continue;
            return;
        }
    }
    CollectedLine line = {startH, startV, endH, endV};
    if (PtrAndHand(&line, t->lines, sizeof line) == noErr) t->lineCount++;
}

void ScrollRect(const Rect *r, SInt16 dh, SInt16 dv, RgnHandle updateRgn) {
    GrafPtr port = qd.thePort;
    if (!port || !r) return;
    if (dh == 0 && dv == 0) {
        if (updateRgn) SetEmptyRgn(updateRgn);
        return;
    }
    OrvaRecalculeRgnClip();
    if (!OrvaRgnClip) return;
    Rect area = *r;
    _OffsetRect(&area, SInt16(-port->portBits.bounds.left), SInt16(-port->portBits.bounds.top));
    Rect source = area;
    _OffsetRect(&source, SInt16(-dh), SInt16(-dv));
    if (SectRect(&source, &area, &source)) {
        Point destination = {SInt16(source.top + dv), SInt16(source.left + dh)};
        orva_CopyScreen(&source, destination, OrvaRgnClip);
    }
    RgnHandle uncovered = NewRgn(), moved = NewRgn();
    if (uncovered && moved) {
        RectRgn(uncovered, &area);
        SectRgn(uncovered, OrvaRgnClip, uncovered);
        _CopyRgn(uncovered, moved);
        _OffsetRgn(moved, dh, dv);
        DiffRgn(uncovered, moved, uncovered);
        _OffsetRgn(uncovered, port->portBits.bounds.left, port->portBits.bounds.top);
        EraseRgn(uncovered);
        if (updateRgn) _CopyRgn(uncovered, updateRgn);
    }
    DisposeRgn(uncovered);
    DisposeRgn(moved);
}

void orva_CopyScreen(const Rect *src, Point dstTopLeft, RgnHandle clip) {
    if (!src || !clip || !video.moveLine) return;
    SInt32 dh = SInt32(dstTopLeft.h) - src->left, dv = SInt32(dstTopLeft.v) - src->top;
    if (dh == 0 && dv == 0) return;
    RgnHandle both = NewRgn();
    if (!both) return;
    // Source pixels whose destination lies in the clip too.
    _CopyRgn(clip, both);
    _OffsetRgn(both, SInt16(-dh), SInt16(-dv));
    SectRgn(both, clip, both);
    Rect cut;
    if (SectRect(&(*both)->rgnBBox, src, &cut)) {
        std::vector<CopyBand> bands;
        OrvaForEachRgnBand(both, CollectBand, &bands);
        // Rows move bottom up when they move down, and runs right to left when they move right,
        // so that no pixel is overwritten before it is copied.
        SInt32 bandCount = SInt32(bands.size());
        for (SInt32 k = 0; k < bandCount; k++) {
            const CopyBand &band = bands[size_t(dv > 0 ? bandCount - 1 - k : k)];
            SInt32 top = std::max<SInt32>(band.top, cut.top), bottom = std::min<SInt32>(band.bottom, cut.bottom);
            SInt32 segments = SInt32(band.segments.size()) / 2;
            for (SInt32 n = 0; n < bottom - top; n++) {
                SInt32 y = dv > 0 ? bottom - 1 - n : top + n;
                for (SInt32 s = 0; s < segments; s++) {
                    SInt32 i = 2 * (dh > 0 ? segments - 1 - s : s);
                    SInt32 a = std::max<SInt32>(band.segments[size_t(i)], cut.left);
                    SInt32 b = std::min<SInt32>(band.segments[size_t(i) + 1], cut.right);
                    if (a < b) video.moveLine(SInt16(a), SInt16(y), SInt16(b - 1), SInt16(a + dh), SInt16(y + dv));
                }
            }
        }
    }
    DisposeRgn(both);
}

// The tracing port: made once, without pixels, seeing the whole tracing area.
static void EnsureTracePort() {
    if (gRgnDraw.tracePortReady) return;
    GrafPtr saved = qd.thePort;
    GrafPort &port = gRgnDraw.tracePort;
    std::memset(&port, 0, sizeof port);
    OpenPort(&port);
    OrvaDisposePortData(&port);
    port.noBuffer = 1;
    RectRgn(port.visRgn, &kTraceClip);
    RectRgn(port.clipRgn, &kTraceClip);
    SetPort(saved);
    gRgnDraw.tracePortReady = true;
}

// The tracing port becomes current with a fixed clip, rgn its region being recorded, and the
// accumulator its rectangle filler.
static Boolean BeginTrace(RgnHandle rgn, TraceRecord *t) {
    EnsureTracePort();
    t->outer = gRgnDraw.trace;
    t->savedPort = qd.thePort;
    GrafPort &port = gRgnDraw.tracePort;
    SetPort(&port);
    OrvaGetPenAndColorState(&t->tracePen);
    t->savedRgnSave = port.rgnSave;
    OrvaEnableComputeClip(false);
    SetOrvaRgnClip(kTraceClip.left, kTraceClip.top, kTraceClip.right, kTraceClip.bottom);
    port.rgnSave = (Handle)rgn;
    port.pnSize.h = port.pnSize.v = 1;
    port.pnVis = 0;
    t->acc.rgn = rgn;
    t->acc.lastLeft = kRgnEnd;
    t->savedVideo = video;
    video.fillRect = AccumulatorFill;
    gRgnDraw.trace = t;
    return true;
}

// Draws the collected lines into the region, normalises it and gives everything back.
static void EndTrace(TraceRecord *t) {
    DrawCollectedLines(t);
    if (t->lines) DisposHandle(t->lines);
    GrafPort &port = gRgnDraw.tracePort;
    port.rgnSave = t->savedRgnSave;
    video = t->savedVideo;
    FinishRegion(t);
    OrvaSetPenAndColorState(&t->tracePen);
    gRgnDraw.trace = t->outer;
    if (t->outer) {
        SetOrvaRgnClip(kTraceClip.left, kTraceClip.top, kTraceClip.right, kTraceClip.bottom);
    } else {
        OrvaEnableComputeClip(true);
    }
    SetPort(t->savedPort);
}

// Each line one pixel wide through the accumulator. A line continuing its predecessor in the
// same horizontal direction starts one pixel on, so that the shared pixel is entered once.
static void DrawCollectedLines(TraceRecord *t) {
    if (!t->lines || t->lineCount == 0) return;
    GrafPort &port = gRgnDraw.tracePort;
    port.pnSize.h = port.pnSize.v = 1;
    for (SInt32 i = 0; i < t->lineCount; i++) {
        CollectedLine line = ((const CollectedLine *)*t->lines)[i];
        SInt32 direction = (line.endH > line.startH) - (line.endH < line.startH);
        SInt32 p = Predecessor((const CollectedLine *)*t->lines, t->lineCount, i);
        t->acc.lastLeft = kRgnEnd;
        if (p >= 0 && direction != 0) {
            const CollectedLine &pred = ((const CollectedLine *)*t->lines)[p];
            SInt32 predDirection = (pred.endH > pred.startH) - (pred.endH < pred.startH);
            if (predDirection == direction) {
                SInt32 span = std::abs(SInt32(line.endH) - line.startH) + 1;
                SInt32 startH = line.startH + direction;
                SInt32 startV = line.startV + (SInt32(line.endV) - line.startV) / span;
                if (startH == line.endH) {
                    SInt16 middle = SInt16((SInt32(line.endV) + startV) / 2);
                    t->line = i + 1;
                    LineAbs(line.endH, middle, line.endH, middle);
                    t->line = 0;
                    continue;
                }
                line.startH = SInt16(startH);
                line.startV = SInt16(startV);
            }
        }
        t->line = i + 1;
        LineAbs(line.startH, line.startV, line.endH, line.endV);
        t->line = 0;
    }
}

// The line that ends where line index starts, searched backwards with wrap-around. A vertical
// line ending at this line's end h counts as none; any other vertical one hands the search on
// to its own predecessor.
static SInt32 Predecessor(const CollectedLine *lines, SInt32 count, SInt32 index) {
    SInt32 target = index;
    for (SInt32 hops = 0; hops < count; hops++) {
        SInt32 found = -1;
        for (SInt32 k = 1; k < count; k++) {
            SInt32 j = (target - k + count) % count;
            if (lines[j].endH == lines[target].startH && lines[j].endV == lines[target].startV) {
                found = j;
                break;
            }
        }
        if (found < 0) return -1;
        const CollectedLine &f = lines[found];
        if (f.startH != f.endH) return found;
        if (f.startH == lines[index].endH) return -1;
        target = found;
    }
    return -1;
}

// The rectangle filler while tracing: every row of a run enters [left, right + 1) as a change
// of the scan lines, except that a run repeating the last one on the next row is entered once
// (a vertical run of one segment opens it once). The whole run is kept as drawn.
static void AccumulatorFill(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    TraceRecord *t = gRgnDraw.trace;
    if (!t || left > right || top > bottom) return;
    if (!t->changesOnly) t->ink.push_back({left, right, top, bottom});
    AccumulatorRecord *acc = &t->acc;
    SInt32 end = SInt32(right) + 1;
    for (SInt32 row = top; row <= bottom; row++) {
        if (left != acc->lastLeft || end != acc->lastRight || row != acc->lastRow + 1) t->entered.push_back({left, right, row, row, t->line});
        acc->lastLeft = left;
        acc->lastRight = end;
        acc->lastRow = row;
    }
}

// The region of a tracing: the scan lines the entered runs make, each row changing the state by
// the union of the runs one drawing made there (so that two runs of one shape meeting on a row
// do not cancel), the unions of different outline lines XORed (so that two lines meeting at an
// outline's left or right point close it again), together with every pixel drawn (a run closing an outline leaves its own row out of the scan lines, as does the
// lower half of a round outline).
static void FinishRegion(TraceRecord *t) {
    RgnHandle rgn = t->acc.rgn, drawn = NewRgn();
    if (!ScanLinesOfRuns(&t->entered, true, rgn)) SetEmptyRgn(rgn);
    if (drawn && ScanLinesOfRuns(&t->ink, false, drawn)) _UnionRgn(rgn, drawn, rgn);
    DisposeRgn(drawn);
}

// The union of the runs [first, last) as ascending inversion points (half-open pairs).
static void UnionOfSpans(std::vector<const InkRun *>::iterator first, std::vector<const InkRun *>::iterator last,
                         std::vector<std::pair<SInt32, SInt32>> *spans, std::vector<SInt16> *covered) {
    spans->clear();
    for (auto r = first; r != last; ++r) spans->push_back({(*r)->left, (*r)->right + 1});
    std::sort(spans->begin(), spans->end());
    covered->clear();
    for (const auto &span : *spans) {
        if (!covered->empty() && span.first <= covered->back())
            covered->back() = SInt16(std::max<SInt32>(covered->back(), span.second));
        else covered->insert(covered->end(), {SInt16(span.first), SInt16(span.second)});
    }
}

// Region data from runs. With xorRows the union of the runs starting on a row is XORed into the
// state; otherwise the state of a row is the union of the runs covering it. The region stops
// growing before it passes the largest size and is closed below its last line. False without
// memory.
static Boolean ScanLinesOfRuns(InkRuns *runs, Boolean xorRows, RgnHandle rgn) {
    std::sort(runs->begin(), runs->end(), [](const InkRun &a, const InkRun &b) { return a.top < b.top; });
    std::vector<SInt32> rows;
    for (const InkRun &run : *runs) {
        rows.push_back(run.top);
        if (!xorRows) rows.push_back(run.bottom + 1);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<SInt16> words = {0, 0, 0, 0, 0}, state, covered, line;
    std::vector<const InkRun *> active;
    std::vector<std::pair<SInt32, SInt32>> spans;
    size_t next = 0;
    SInt32 lastRow = 0;
    for (SInt32 row : rows) {
        if (xorRows) active.clear();
        while (next < runs->size() && (*runs)[next].top <= row) active.push_back(&(*runs)[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [row](const InkRun *r) { return r->bottom < row; }),
                     active.end());
        line.clear();
        if (xorRows) {
            // The union of each drawing's runs, XORed across the drawings.
            std::sort(active.begin(), active.end(), [](const InkRun *a, const InkRun *b) { return a->line < b->line; });
            for (size_t first = 0; first < active.size();) {
                size_t last = first;
                while (last < active.size() && active[last]->line == active[first]->line) last++;
                UnionOfSpans(active.begin() + first, active.begin() + last, &spans, &covered);
                std::vector<SInt16> changed;
                std::set_symmetric_difference(line.begin(), line.end(), covered.begin(), covered.end(),
                                              std::back_inserter(changed));
                line.swap(changed);
                first = last;
            }
        } else {
            UnionOfSpans(active.begin(), active.end(), &spans, &covered);
            std::set_symmetric_difference(state.begin(), state.end(), covered.begin(), covered.end(), std::back_inserter(line));
        }
        if (line.empty()) continue;
        if (words.size() + line.size() + state.size() + covered.size() + 6 > size_t(kMaxRgnWords)) break;
        words.push_back(SInt16(row));
        words.insert(words.end(), line.begin(), line.end());
        words.push_back(kRgnEnd);
        std::vector<SInt16> changed;
        std::set_symmetric_difference(state.begin(), state.end(), line.begin(), line.end(), std::back_inserter(changed));
        state.swap(changed);
        lastRow = row;
    }
    if (!state.empty() && lastRow < kRgnMaxCoord) {
        words.push_back(SInt16(lastRow + 1));
        words.insert(words.end(), state.begin(), state.end());
        words.push_back(kRgnEnd);
    }
    words.push_back(kRgnEnd);
    words[0] = SInt16(words.size() * 2);
    SetHandleSize((Handle)rgn, UInt32(words.size() * 2));
    if (MemError() != noErr) return false;
    std::memcpy(*rgn, words.data(), words.size() * 2);
    orva_calcule_BBox(rgn);
    return true;
}

static void DrawRgn(RgnHandle rgn, ShapeVerb verb, UInt16 opcode, const Pattern *pat) {
    GrafPtr port = qd.thePort;
    if (!port || !rgn || !*rgn) return;
    if (pat) port->fillPat = *pat;
    if (port->picSave) {
        if (pat) RecordPictAction(kPictOpFillPat, pat->pat, sizeof pat->pat);
        RecordPictAction(opcode, *rgn, UInt32(OrvaRgnWords(rgn) * 2));
    }
    if (port->pnVis < 0) return;
    OrvaPenAndColorState saved;
    OrvaBeginVerb(verb, &saved);
    OrvaFillRgn(rgn);
    OrvaEndVerb(&saved);
}

// One stroke per segment, as high as the band.
static void FillBand(void *context, SInt16 top, SInt16 bottom, const Seglist *state) {
    GrafPtr port = (GrafPtr)context;
    for (SInt32 i = 0; state[i] != kRgnEnd && state[i + 1] != kRgnEnd; i += 2)
        OrvaLineHSized(state[i], top, SInt32(state[i + 1]) - 1, port->pnSize.h, SInt32(bottom) - top + port->pnSize.v - 1);
}

// The outline of a region with scan data: each line's inversion pairs as horizontal pieces, and
// the boundaries of the state down to the next line as vertical pieces. Coordinates right of
// the box's centre move left by the pen width, rows below it up by the pen height, so that the
// outline stays inside the region whatever the pen, as a rectangle's frame does.
static void FrameScanLines(RgnHandle rgn) {
    const Rect box = (*rgn)->rgnBBox;
    GrafPtr port = qd.thePort;
    SInt32 midX = (SInt32(box.left) + box.right) / 2, midY = (SInt32(box.top) + box.bottom) / 2;
    SInt32 penWidth = std::max<SInt32>(port->pnSize.h, 0), penHeight = std::max<SInt32>(port->pnSize.v, 0);
    auto adjustX = [midX, penWidth](SInt32 x) { return x > midX ? x - penWidth : x; };
    auto adjustY = [midY, penHeight](SInt32 y) { return y > midY ? y - penHeight : y; };
    SInt32 words = OrvaRgnWords(rgn);
    // Drawing may move memory: the scan data is read from a copy.
    std::vector<SInt16> copy((const SInt16 *)*rgn, (const SInt16 *)*rgn + words);
    std::vector<SInt16> state;
    std::vector<SInt16> next;
    const SInt16 *data = copy.data();
    for (SInt32 pos = kRgnHeaderWords; pos < words && data[pos] != kRgnEnd;) {
        SInt32 row = data[pos++];
        SInt32 start = pos;
        while (pos < words && data[pos] != kRgnEnd) pos++;
        for (SInt32 i = start; i + 1 < pos; i += 2)
            OrvaLineHSized(adjustX(data[i]), adjustY(row), adjustX(data[i + 1]), port->pnSize.h, port->pnSize.v);
        next.clear();
        std::set_symmetric_difference(state.begin(), state.end(), data + start, data + pos, std::back_inserter(next));
        state.swap(next);
        pos++;
        SInt32 nextRow = pos < words && data[pos] != kRgnEnd ? data[pos] : row;
        if (nextRow <= row) continue;
        for (SInt16 x : state) OrvaLineVSized(adjustX(x), adjustY(row), adjustY(nextRow - 1));
    }
}

static void CollectBand(void *context, SInt16 top, SInt16 bottom, const Seglist *state) {
    std::vector<CopyBand> *bands = (std::vector<CopyBand> *)context;
    CopyBand band = {top, bottom, {}};
    for (SInt32 i = 0; state[i] != kRgnEnd && state[i + 1] != kRgnEnd; i += 2) {
        band.segments.push_back(state[i]);
        band.segments.push_back(state[i + 1]);
    }
    bands->push_back(std::move(band));
}

// Regions: the set operations run one combining driver over the line states of their two
// operands, row band by row band; tests and offsetting read the scan data directly.
#include "graphics/quickdraw/regions.h"

#include <algorithm>
#include <cstring>

#include "graphics/quickdraw/rects.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

// Work buffers of the set operations, made once by the first region call and kept to the end
// of the process. Main thread only.
struct RegionWorkRecord {
    Seglist *state1;      // line state of the first operand
    Seglist *state2;      // of the second
    Seglist *kernelOut;   // the kernel's output for the current row
    Seglist *previous;    // the result's line state above the current row
    Seglist *scratch;     // XOR results before they are copied back
    Seglist *walk;        // line state of OrvaForEachRgnBand
    SInt16 *output;       // the region being built, kRgnMaxBytes
    SInt16 rect1[9];      // rectangular operands turned into scan data
    SInt16 rect2[9];
};
RegionWorkRecord gRgnWork;

enum : SInt32 { kOutputWords = kRgnMaxBytes / 2 };

// One operand of the driver: the lines still to apply and its line state.
struct RgnOperand {
    const SInt16 *next;  // next line not yet applied
    const SInt16 *end;   // one past the last readable word
    Seglist *state;
};

// A kernel combines two line states into out (room for capacity values with the end marker)
// and answers the number of values written, or -1 when they do not fit.
typedef SInt32 (*SeglistKernel)(const Seglist *a, const Seglist *b, Seglist *out, SInt32 capacity);

const char kRegionTooLarge[] = "Depassement de la taille maximale d'une region";

}  // namespace

static Boolean EnsureWorkBuffers();
static RgnPtr RgnData(RgnHandle rgn);
static Boolean IsRectangular(RgnHandle rgn);
static void SetRectangular(RgnHandle rgn, const Rect *box);
static void PrepareOperand(RgnHandle rgn, SInt16 *rectList, Seglist *state, RgnOperand *op);
static SInt32 NextRow(const RgnOperand *op);
static Boolean AdvanceOperand(RgnOperand *op, SInt32 y);
static void CombineRgn(RgnHandle a, RgnHandle b, RgnHandle dst, SInt32 top, SInt32 bottom, SeglistKernel kernel);
static void CombineRgnOverBoth(RgnHandle a, RgnHandle b, RgnHandle dst, SeglistKernel kernel);
static Boolean EmitLine(SInt32 *pos, SInt32 row, const Seglist *list);
static void StoreResult(RgnHandle dst, SInt32 words);
static SInt32 NormaliseWords(SInt16 *data);
static SInt32 ListLength(const Seglist *list);
static Boolean SegmentAt(const Seglist *list, SInt32 i);
static SInt32 XorLists(const SInt16 *a, SInt32 na, const SInt16 *b, SInt32 nb, Seglist *out, SInt32 capacity);
static SInt32 UnionKernel(const Seglist *a, const Seglist *b, Seglist *out, SInt32 capacity);
static SInt32 SectKernel(const Seglist *a, const Seglist *b, Seglist *out, SInt32 capacity);
static SInt32 DiffKernel(const Seglist *a, const Seglist *b, Seglist *out, SInt32 capacity);
static SInt32 XorKernel(const Seglist *a, const Seglist *b, Seglist *out, SInt32 capacity);
static SInt16 Saturate(SInt32 v, SInt32 low, SInt32 high, Boolean *clamped);
static SInt16 ClampScan(SInt16 v);

RgnHandle NewRgn() {
    EnsureWorkBuffers();
    RgnHandle rgn = (RgnHandle)NewHandleClear(kRgnRectSize);
    if (rgn) (*rgn)->rgnSize = kRgnRectSize;
    return rgn;
}

void DisposeRgn(RgnHandle rgn) {
    if (rgn) DisposHandle((Handle)rgn);
}

void SetEmptyRgn(RgnHandle rgn) {
    Rect empty = {0, 0, 0, 0};
    if (rgn) SetRectangular(rgn, &empty);
}

void RectRgn(RgnHandle rgn, const Rect *r) {
    if (rgn && r) SetRectangular(rgn, r);
}

void _SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    Rect r;
    _SetRect(&r, left, top, right, bottom);
    RectRgn(rgn, &r);
}

void _CopyRgn(RgnHandle src, RgnHandle dst) {
    if (!src || !dst || src == dst) return;
    SInt32 bytes = OrvaRgnWords(src) * 2;
    if (bytes <= kRgnRectSize) {
        SetRectangular(dst, &RgnData(src)->rgnBBox);
        return;
    }
    SetHandleSize((Handle)dst, UInt32(bytes));
    if (MemError() != noErr) return;
    std::memcpy(*dst, *src, size_t(bytes));
    (*dst)->rgnSize = SInt16(bytes);
}

void _OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv) {
    if (!rgn || !*rgn || GetHandleSize((Handle)rgn) < UInt32(kRgnRectSize) || (dh == 0 && dv == 0)) return;
    Boolean clamped = false;
    Rect *box = &(*rgn)->rgnBBox;
    box->top = Saturate(box->top + dv, -32768, 32767, &clamped);
    box->bottom = Saturate(box->bottom + dv, -32768, 32767, &clamped);
    box->left = Saturate(box->left + dh, -32768, 32767, &clamped);
    box->right = Saturate(box->right + dh, -32768, 32767, &clamped);
    SInt32 words = OrvaRgnWords(rgn);
    if (words <= 5) return;
    clamped = false;
    SInt16 *data = (SInt16 *)*rgn;
    SInt32 i = 5;
    while (i < words && data[i] != kRgnEnd) {
        data[i] = Saturate(data[i] + dv, kRgnMinCoord, kRgnMaxCoord, &clamped);
        for (i++; i < words && data[i] != kRgnEnd; i++)
            data[i] = Saturate(data[i] + dh, kRgnMinCoord, kRgnMaxCoord, &clamped);
        i++;
    }
    // Coordinates pressed against the edge of the space may now coincide; one pass through the
    // driver merges them back into a well-formed region.
    if (clamped) CombineRgn(rgn, nullptr, rgn, kRgnMinCoord, kRgnMaxCoord, UnionKernel);
}

void SectRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    if (!dst) return;
    if (!a || !b) {
        SetEmptyRgn(dst);
        return;
    }
    Rect s;
    if (!SectRect(&RgnData(a)->rgnBBox, &RgnData(b)->rgnBBox, &s)) {
        SetEmptyRgn(dst);
        return;
    }
    if (IsRectangular(a) && IsRectangular(b)) {
        RectRgn(dst, &s);
        return;
    }
    CombineRgn(a, b, dst, s.top, s.bottom, SectKernel);
}

void _UnionRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    if (!dst) return;
    if (!a || EmptyRect(&RgnData(a)->rgnBBox)) {
        if (b) _CopyRgn(b, dst);
        else SetEmptyRgn(dst);
        return;
    }
    if (!b || EmptyRect(&RgnData(b)->rgnBBox)) {
        _CopyRgn(a, dst);
        return;
    }
    const Rect &ba = RgnData(a)->rgnBBox, &bb = RgnData(b)->rgnBBox;
    CombineRgn(a, b, dst, std::min(ba.top, bb.top), std::max(ba.bottom, bb.bottom), UnionKernel);
}

void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    if (dst) CombineRgnOverBoth(a, b, dst, DiffKernel);
}

void XorRgn(RgnHandle a, RgnHandle b, RgnHandle dst) {
    if (dst) CombineRgnOverBoth(a, b, dst, XorKernel);
}

Boolean EmptyRgn(RgnHandle rgn) { return !rgn || EmptyRect(&RgnData(rgn)->rgnBBox); }

Boolean PtInRgn(Point pt, RgnHandle rgn) {
    if (!rgn || !_PtInRect(pt, &RgnData(rgn)->rgnBBox)) return false;
    SInt32 words = OrvaRgnWords(rgn);
    if (words <= 5) return true;
    // A pixel is inside when an odd number of inversion points at or left of it stand on the
    // lines at or above its row: no line state has to be built, whatever its length.
    const SInt16 *data = (const SInt16 *)*rgn;
    Boolean inside = false;
    SInt32 i = 5;
    while (i < words && data[i] != kRgnEnd && data[i] <= pt.v) {
        for (i++; i < words && data[i] != kRgnEnd; i++) {
            if (data[i] > pt.h) {
                while (i < words && data[i] != kRgnEnd) i++;
                break;
            }
            inside = !inside;
        }
        i++;
    }
    return inside;
}

Boolean RectInRgn(const Rect *r, RgnHandle rgn) {
    Rect s;
    if (!rgn || !r || !SectRect(r, &RgnData(rgn)->rgnBBox, &s)) return false;
    SInt32 words = OrvaRgnWords(rgn);
    if (words <= 5) return true;
    if (!EnsureWorkBuffers()) return false;
    const SInt16 *data = (const SInt16 *)*rgn;
    const SInt16 *end = data + words;
    Seglist *state = gRgnWork.state1;
    state[0] = kRgnEnd;
    const SInt16 *next = orva_complete_seglist(state, kSeglistWords, s.top, data + 5, end);
    while (next) {
        // The first segment that ends right of s.left decides for this band of rows.
        for (SInt32 i = 0; state[i] != kRgnEnd && state[i + 1] != kRgnEnd; i += 2) {
            if (state[i + 1] > s.left) {
                if (state[i] < s.right) return true;
                break;
            }
        }
        if (next >= end || *next == kRgnEnd || *next >= s.bottom) break;
        next = orva_complete_seglist(state, kSeglistWords, *next, next, end);
    }
    return false;
}

Boolean OrvaRegionIsValid(RgnHandle rgn) {
    if (!rgn || !OrvaIsValidHandle((Handle)rgn) || !*rgn) return false;
    UInt32 handleBytes = GetHandleSize((Handle)rgn);
    if (handleBytes < UInt32(kRgnRectSize)) return false;
    SInt32 size = (*rgn)->rgnSize;
    if (size < kRgnRectSize || UInt32(size) > handleBytes || (size & 1)) return false;
    if (size == kRgnRectSize) return true;
    if (!EnsureWorkBuffers()) return false;
    const SInt16 *data = (const SInt16 *)*rgn;
    SInt32 words = size / 2;
    SInt16 *points = gRgnWork.scratch;  // every inversion point, to check that each row closes
    SInt32 count = 0, i = 5, lastRow = kRgnMinCoord - 1;
    Rect box = {0, kRgnMaxCoord, 0, kRgnMinCoord};  // as the lines give it
    while (i < words - 1 && data[i] != kRgnEnd) {
        SInt16 row = data[i];
        if (row < kRgnMinCoord || row <= lastRow) return false;
        if (count == 0) box.top = row;
        box.bottom = row;
        lastRow = row;
        SInt32 lastX = kRgnMinCoord - 1, n = 0;
        for (i++; i < words && data[i] != kRgnEnd; i++, n++) {
            if (data[i] < kRgnMinCoord || data[i] <= lastX) return false;
            lastX = data[i];
            points[count++] = data[i];
        }
        if (i >= words || n == 0 || (n & 1)) return false;
        box.left = std::min(box.left, data[i - n]);
        box.right = std::max(box.right, data[i - 1]);
        i++;
    }
    if (i != words - 1 || data[i] != kRgnEnd) return false;
    // The lines XOR to an empty state below the last row when each value occurs an even number of times.
    std::sort(points, points + count);
    for (SInt32 k = 0; k < count; k += 2)
        if (points[k] != points[k + 1]) return false;
    // Readers trust the box for their short cuts: it must be the one the lines give.
    const Rect &stored = (*rgn)->rgnBBox;
    return count == 0 ? EmptyRect(&stored) : _EqualRect(&stored, &box);
}

void OrvaForEachRgnBand(RgnHandle rgn, RgnBandProc band, void *context) {
    if (!rgn || !band || EmptyRgn(rgn)) return;
    SInt32 words = OrvaRgnWords(rgn);
    const Rect box = RgnData(rgn)->rgnBBox;
    if (words <= 5) {
        const Seglist state[3] = {box.left, box.right, kRgnEnd};
        band(context, box.top, box.bottom, state);
        return;
    }
    if (!EnsureWorkBuffers()) return;
    const SInt16 *data = (const SInt16 *)*rgn;
    const SInt16 *end = data + words;
    Seglist *state = gRgnWork.walk;
    state[0] = kRgnEnd;
    const SInt16 *next = data + 5;
    while (next && next < end && *next != kRgnEnd) {
        SInt16 row = *next;
        next = orva_complete_seglist(state, kSeglistWords, row, next, end);
        if (!next || next >= end || *next == kRgnEnd) break;
        if (state[0] != kRgnEnd) band(context, row, *next, state);
    }
}

SInt32 orva_taille_seglist(const Seglist *list) { return 2 * (ListLength(list) + 1); }

void reduit_liste(Seglist *list) {
    SInt32 out = 0;
    for (SInt32 i = 0; list[i] != kRgnEnd && list[i + 1] != kRgnEnd; i += 2) {
        if (out > 0 && list[out - 1] >= list[i]) {
            list[out - 1] = std::max(list[out - 1], list[i + 1]);
            continue;
        }
        list[out++] = list[i];
        list[out++] = list[i + 1];
    }
    list[out] = kRgnEnd;
}

const SInt16 *orva_complete_seglist(Seglist *state, SInt32 capacity, SInt32 y, const SInt16 *lines,
                                    const SInt16 *linesEnd) {
    if (!EnsureWorkBuffers()) return nullptr;
    const SInt16 *p = lines;
    while (p < linesEnd && *p != kRgnEnd && *p <= y) {
        const SInt16 *list = p + 1;
        const SInt16 *q = list;
        while (q < linesEnd && *q != kRgnEnd) q++;
        SInt32 n = XorLists(list, SInt32(q - list), state, ListLength(state), gRgnWork.scratch,
                            std::min<SInt32>(capacity, kSeglistWords));
        if (n < 0) return nullptr;
        // A list of odd length (only in a malformed region) would leave a segment without end.
        if (n & 1) gRgnWork.scratch[--n] = kRgnEnd;
        std::memcpy(state, gRgnWork.scratch, size_t(n + 1) * 2);
        p = q < linesEnd ? q + 1 : linesEnd;
    }
    return p;
}

void orva_calcule_BBox(RgnHandle rgn) {
    if (!rgn || OrvaRgnWords(rgn) <= 5) return;
    SInt32 words = NormaliseWords((SInt16 *)*rgn);
    if (words == 5) SetHandleSize((Handle)rgn, kRgnRectSize);
}

SInt32 OrvaRgnWords(RgnHandle rgn) {
    if (!rgn || !*rgn) return 5;
    SInt32 size = (*rgn)->rgnSize;
    SInt32 handleBytes = SInt32(std::min<UInt32>(GetHandleSize((Handle)rgn), kRgnMaxBytes + 1));
    size = std::min(size, handleBytes);
    return size <= kRgnRectSize ? 5 : size / 2;
}

// Allocates the work buffers on first use; false when there is no memory for them.
static Boolean EnsureWorkBuffers() {
    if (gRgnWork.output) return true;
    Seglist **lists[] = {&gRgnWork.state1,   &gRgnWork.state2,  &gRgnWork.kernelOut,
                         &gRgnWork.previous, &gRgnWork.scratch, &gRgnWork.walk};
    for (Seglist **list : lists) {
        if (!*list) *list = (Seglist *)NewPtr(kSeglistBytes);
        if (!*list) return false;
    }
    gRgnWork.output = (SInt16 *)NewPtr(kRgnMaxBytes);
    return gRgnWork.output != nullptr;
}

static RgnPtr RgnData(RgnHandle rgn) {
    static MacRegion empty = {kRgnRectSize, {0, 0, 0, 0}};
    if (!*rgn || GetHandleSize((Handle)rgn) < UInt32(kRgnRectSize)) return &empty;
    return *rgn;
}

static Boolean IsRectangular(RgnHandle rgn) { return OrvaRgnWords(rgn) <= 5; }

static void SetRectangular(RgnHandle rgn, const Rect *box) {
    Rect copy = *box;
    SetHandleSize((Handle)rgn, kRgnRectSize);
    if (MemError() != noErr && GetHandleSize((Handle)rgn) < UInt32(kRgnRectSize)) return;
    (*rgn)->rgnSize = kRgnRectSize;
    (*rgn)->rgnBBox = copy;
}

// Points op at rgn's lines, or at rectList filled with the scan data of its rectangle (clamped
// into the range of scan data), or at no line at all for a null or empty operand.
static void PrepareOperand(RgnHandle rgn, SInt16 *rectList, Seglist *state, RgnOperand *op) {
    state[0] = kRgnEnd;
    op->state = state;
    if (rgn && !IsRectangular(rgn)) {
        const SInt16 *data = (const SInt16 *)*rgn;
        op->next = data + 5;
        op->end = data + OrvaRgnWords(rgn);
        return;
    }
    Rect r = {0, 0, 0, 0};
    if (rgn) {
        r = RgnData(rgn)->rgnBBox;
        r.top = ClampScan(r.top);
        r.left = ClampScan(r.left);
        r.bottom = ClampScan(r.bottom);
        r.right = ClampScan(r.right);
    }
    if (EmptyRect(&r)) {
        rectList[0] = kRgnEnd;
        op->next = rectList;
        op->end = rectList + 1;
        return;
    }
    const SInt16 list[9] = {r.top, r.left, r.right, kRgnEnd, r.bottom, r.left, r.right, kRgnEnd, kRgnEnd};
    std::memcpy(rectList, list, sizeof list);
    op->next = rectList;
    op->end = rectList + 9;
}

static SInt32 NextRow(const RgnOperand *op) {
    return (op->next < op->end && *op->next != kRgnEnd) ? SInt32(*op->next) : SInt32(kRgnEnd);
}

static Boolean AdvanceOperand(RgnOperand *op, SInt32 y) {
    op->next = orva_complete_seglist(op->state, kSeglistWords, y, op->next, op->end);
    if (!op->next) {
        op->next = op->end;
        return false;
    }
    return true;
}

// The combining driver: walks the rows where either operand changes, from top down to bottom,
// combines the two line states with kernel and writes a line wherever the result changes. The
// result closes at bottom whatever the operands hold, so a box smaller than its data still
// gives a well-formed region.
// Combines a and b over the rows that either of them covers.
static void CombineRgnOverBoth(RgnHandle a, RgnHandle b, RgnHandle dst, SeglistKernel kernel) {
    SInt32 top = kRgnMaxCoord, bottom = kRgnMinCoord;
    for (RgnHandle r : {a, b}) {
        if (!r) continue;
        top = std::min<SInt32>(top, RgnData(r)->rgnBBox.top);
        bottom = std::max<SInt32>(bottom, RgnData(r)->rgnBBox.bottom);
    }
    CombineRgn(a, b, dst, top, bottom, kernel);
}

static void CombineRgn(RgnHandle a, RgnHandle b, RgnHandle dst, SInt32 top, SInt32 bottom, SeglistKernel kernel) {
    if (!EnsureWorkBuffers()) {
        SetEmptyRgn(dst);
        return;
    }
    bottom = std::min<SInt32>(bottom, kRgnMaxCoord);
    top = std::max<SInt32>(top, kRgnMinCoord);
    RgnOperand opA, opB;
    PrepareOperand(a, gRgnWork.rect1, gRgnWork.state1, &opA);
    PrepareOperand(b, gRgnWork.rect2, gRgnWork.state2, &opB);
    Seglist *result = gRgnWork.kernelOut, *previous = gRgnWork.previous;
    previous[0] = kRgnEnd;
    Boolean ok = AdvanceOperand(&opA, top) && AdvanceOperand(&opB, top);
    SInt32 pos = 5;
    for (SInt32 y = top; ok && y <= bottom;) {
        SInt32 n = 0;
        if (y < bottom) n = kernel(opA.state, opB.state, result, kSeglistWords);
        else result[0] = kRgnEnd;
        SInt32 changes = n < 0 ? -1
                               : XorLists(result, n, previous, ListLength(previous), gRgnWork.scratch, kSeglistWords);
        ok = changes >= 0;
        if (ok && changes > 0) {
            ok = EmitLine(&pos, y, gRgnWork.scratch);
            std::swap(result, previous);
        }
        if (!ok || y == bottom) break;
        y = std::min(std::min(NextRow(&opA), NextRow(&opB)), bottom);
        if (NextRow(&opA) == y) ok = AdvanceOperand(&opA, y);
        if (ok && NextRow(&opB) == y) ok = AdvanceOperand(&opB, y);
    }
    if (!ok || pos >= kOutputWords) {
        OrvaErreur(kRegionTooLarge);
        SetEmptyRgn(dst);
        return;
    }
    gRgnWork.output[pos++] = kRgnEnd;
    StoreResult(dst, pos);
}

// Appends row and list to the output; false when the region would pass kRgnMaxBytes.
static Boolean EmitLine(SInt32 *pos, SInt32 row, const Seglist *list) {
    SInt32 n = ListLength(list);
    if (*pos + n + 3 > kOutputWords) return false;  // row, values, end marker, final marker
    SInt16 *out = gRgnWork.output + *pos;
    out[0] = SInt16(row);
    std::memcpy(out + 1, list, size_t(n + 1) * 2);
    *pos += n + 2;
    return true;
}

static void StoreResult(RgnHandle dst, SInt32 words) {
    SInt16 *out = gRgnWork.output;
    out[0] = SInt16(words * 2);
    words = NormaliseWords(out);
    SetHandleSize((Handle)dst, UInt32(words * 2));
    if (MemError() != noErr) return;
    std::memcpy(*dst, out, size_t(words) * 2);
}

// Normalises region words whose rgnSize and scan data are written: one rectangle or nothing
// becomes the 10-byte form, otherwise the box is computed. Answers the words in use.
static SInt32 NormaliseWords(SInt16 *data) {
    SInt32 words = data[0] / 2;
    Rect *box = (Rect *)(data + 1);
    if (words == 6) {
        _SetRect(box, 0, 0, 0, 0);
        data[0] = kRgnRectSize;
        return 5;
    }
    if (words == 14 && data[10] == data[6] && data[11] == data[7] && data[8] == kRgnEnd) {
        _SetRect(box, data[6], data[5], data[7], data[9]);
        data[0] = kRgnRectSize;
        return 5;
    }
    SInt16 left = kRgnMaxCoord, right = kRgnMinCoord, top = 0, bottom = 0;
    Boolean first = true;
    for (SInt32 i = 5; i < words && data[i] != kRgnEnd;) {
        SInt16 row = data[i++];
        if (first) top = row;
        first = false;
        bottom = row;
        if (i < words && data[i] != kRgnEnd) left = std::min(left, data[i]);
        for (; i < words && data[i] != kRgnEnd; i++) right = std::max(right, data[i]);
        i++;
    }
    if (left > right) left = right = top = bottom = 0;
    _SetRect(box, left, top, right, bottom);
    return words;
}

// The kernels read states as pairs; a pair missing its end (malformed input only) ends the list.
static Boolean SegmentAt(const Seglist *list, SInt32 i) { return list[i] != kRgnEnd && list[i + 1] != kRgnEnd; }

static SInt32 ListLength(const Seglist *list) {
    SInt32 n = 0;
    while (list[n] != kRgnEnd) n++;
    return n;
}

// Merges two ascending lists, dropping a value that both hold: applies a line to a line state,
// and is the symmetric difference of two states. Answers the values written or -1.
static SInt32 XorLists(const SInt16 *a, SInt32 na, const SInt16 *b, SInt32 nb, Seglist *out, SInt32 capacity) {
    SInt32 ia = 0, ib = 0, n = 0;
    while (ia < na || ib < nb) {
        if (n >= capacity - 1) return -1;
        if (ia < na && ib < nb && a[ia] == b[ib]) {
            ia++;
            ib++;
        } else if (ib >= nb || (ia < na && a[ia] < b[ib])) {
            out[n++] = a[ia++];
        } else {
            out[n++] = b[ib++];
        }
    }
    out[n] = kRgnEnd;
    return n;
}

static SInt32 UnionKernel(const Seglist *a, const Seglist *b, Seglist *out, SInt32 capacity) {
    SInt32 ia = 0, ib = 0, n = 0;
    while (SegmentAt(a, ia) || SegmentAt(b, ib)) {
        SInt16 s, e;
        if (!SegmentAt(b, ib) || (SegmentAt(a, ia) && a[ia] <= b[ib])) {
            s = a[ia];
            e = a[ia + 1];
            ia += 2;
        } else {
            s = b[ib];
            e = b[ib + 1];
            ib += 2;
        }
        for (Boolean grew = true; grew;) {
            grew = false;
            for (; SegmentAt(a, ia) && a[ia] <= e; ia += 2, grew = true) e = std::max(e, a[ia + 1]);
            for (; SegmentAt(b, ib) && b[ib] <= e; ib += 2, grew = true) e = std::max(e, b[ib + 1]);
        }
        if (s >= e) continue;
        if (n + 2 >= capacity) return -1;
        out[n++] = s;
        out[n++] = e;
    }
    out[n] = kRgnEnd;
    return n;
}

static SInt32 SectKernel(const Seglist *a, const Seglist *b, Seglist *out, SInt32 capacity) {
    SInt32 ia = 0, ib = 0, n = 0;
    while (SegmentAt(a, ia) && SegmentAt(b, ib)) {
        SInt16 lo = std::max(a[ia], b[ib]), hi = std::min(a[ia + 1], b[ib + 1]);
        if (lo < hi) {
            if (n + 2 >= capacity) return -1;
            out[n++] = lo;
            out[n++] = hi;
        }
        if (a[ia + 1] < b[ib + 1]) ia += 2;
        else if (b[ib + 1] < a[ia + 1]) ib += 2;
        else ia += 2, ib += 2;
    }
    out[n] = kRgnEnd;
    return n;
}

static SInt32 DiffKernel(const Seglist *a, const Seglist *b, Seglist *out, SInt32 capacity) {
    SInt32 ib = 0, n = 0;
    for (SInt32 ia = 0; SegmentAt(a, ia); ia += 2) {
        SInt16 s = a[ia], e = a[ia + 1];
        while (s < e) {
            while (SegmentAt(b, ib) && b[ib + 1] <= s) ib += 2;
            SInt16 cut = SegmentAt(b, ib) ? std::min(b[ib], e) : e;
            if (s < cut) {
                if (n + 2 >= capacity) return -1;
                out[n++] = s;
                out[n++] = cut;
            }
            if (cut >= e) break;
            s = b[ib + 1];  // the remainder past this B segment meets the next one
        }
    }
    out[n] = kRgnEnd;
    return n;
}

static SInt32 XorKernel(const Seglist *a, const Seglist *b, Seglist *out, SInt32 capacity) {
    return XorLists(a, ListLength(a), b, ListLength(b), out, capacity);
}

static SInt16 Saturate(SInt32 v, SInt32 low, SInt32 high, Boolean *clamped) {
    if (v < low || v > high) {
        *clamped = true;
        return SInt16(v < low ? low : high);
    }
    return SInt16(v);
}

static SInt16 ClampScan(SInt16 v) { return std::min(std::max(v, SInt16(kRgnMinCoord)), SInt16(kRgnMaxCoord)); }

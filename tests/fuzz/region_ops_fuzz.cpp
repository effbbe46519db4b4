// ctest-labels: ports
// Random bytes as two regions: every reader must stay inside them; valid ones go through all the
// set operations, whose results must be valid and agree with the operands point by point.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "graphics/quickdraw/regions.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

static void Check(bool ok) {
    if (!ok) std::abort();
}

static RgnHandle RegionOf(const uint8_t *data, size_t size) {
    Handle h = NewHandle(UInt32(size));
    if (h && size) std::memcpy(*h, data, size);
    return (RgnHandle)h;
}

static void Probe(RgnHandle rgn) {
    Rect r = {-3, -3, 5, 7};
    for (SInt16 v = -2; v < 6; v++)
        for (SInt16 h = -2; h < 6; h++) PtInRgn(Point{v, h}, rgn);
    RectInRgn(&r, rgn);
    EmptyRgn(rgn);
}

// Layout: dh, dv (16 bits each), the byte count of the first region, its bytes, the second's.
static int gMessages;  // results refused as too large are reported here

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool quiet = (OrvaSetErrorHook([](const char *) { gMessages++; }), true);
    (void)quiet;
    if (size < 6) return 0;
    SInt16 dh, dv;
    UInt16 split;
    std::memcpy(&dh, data, 2);
    std::memcpy(&dv, data + 2, 2);
    std::memcpy(&split, data + 4, 2);
    data += 6;
    size -= 6;
    size_t first = split % (size + 1);
    RgnHandle a = RegionOf(data, first), b = RegionOf(data + first, size - first), d = NewRgn();
    bool valid = OrvaRegionIsValid(a) && OrvaRegionIsValid(b);
    if (!valid) {
        // Malformed regions: only the readers that promise to stay inside the handle.
        Probe(a);
        Probe(b);
    } else {
        void (*ops[])(RgnHandle, RgnHandle, RgnHandle) = {SectRgn, _UnionRgn, DiffRgn, XorRgn};
        for (int op = 0; op < 4; op++) {
            int messages = gMessages;
            ops[op](a, b, d);
            Check(OrvaRegionIsValid(d));
            if (gMessages != messages) continue;  // refused as too large: empty
            Rect box = (*d)->rgnBBox;
            SInt32 height = std::max(1, box.bottom - box.top + 2), width = std::max(1, box.right - box.left + 2);
            for (int k = 0; k < 64; k++) {
                Point pt = {SInt16(box.top - 1 + (k * 7919) % height), SInt16(box.left - 1 + (k * 104729) % width)};
                // Rectangles are clamped into -32767..32766 before they are combined.
                if (pt.h < kRgnMinCoord || pt.v < kRgnMinCoord || pt.h >= kRgnMaxCoord || pt.v >= kRgnMaxCoord) continue;
                bool p = PtInRgn(pt, a), q = PtInRgn(pt, b);
                bool expected[] = {p && q, p || q, p && !q, p != q};
                Check(PtInRgn(pt, d) == expected[op]);
            }
        }
        _OffsetRgn(a, dh, dv);
        Check(OrvaRegionIsValid(a));
    }
    DisposeRgn(a);
    DisposeRgn(b);
    DisposeRgn(d);
    return 0;
}

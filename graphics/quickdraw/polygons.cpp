// Polygons: built by recording the lines drawn between OpenPoly and ClosePoly into a dummy
// picture, framed line by line and filled by even-odd scan lines.
#include "graphics/quickdraw/shapes.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/raster.h"
#include "graphics/quickdraw/rects.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

// The polygon being built, process-wide: polyAct with the picture it records into.
struct PolyBuildRecord {
    PolyHandle polyAct;    // null while no polygon is open
    GrafPtr port;          // the port whose lines are collected
    PicHandle picture;     // the dummy picture that hides the pen and receives the lines
    Handle savedPicSave;   // the port's recording before OpenPoly
};
PolyBuildRecord gPolyBuild;

// One edge of the scan fill, its low end first.
struct PolyEdge {
    SInt32 yLow, yHigh, xLow, xHigh;
};

enum : SInt32 { kBoxStart = 32000 };  // ClosePoly's box starts from this far out

}  // namespace

static SInt32 PolygonPoints(PolyHandle poly);
static void RecordPoly(UInt16 opcode, PolyHandle poly, const Pattern *pat);
static void ScanFill(PolyHandle poly, SInt32 count);
static void PolyVerb(PolyHandle poly, ShapeVerb verb, UInt16 opcode, const Pattern *pat);

PolyHandle OpenPoly() {
    GrafPtr port = qd.thePort;
    if (!port) return nullptr;
    if (gPolyBuild.polyAct) ClosePoly();
    PolyHandle poly = (PolyHandle)NewHandleClear(kPolyHeaderBytes);
    if (!poly) return nullptr;
    (*poly)->polySize = kPolyHeaderBytes;
    Handle saved = port->picSave;
    Rect frame = {0, 0, 10, 10};
    PicHandle picture = OpenPicture(&frame);
    if (!picture) {
        DisposHandle((Handle)poly);
        return nullptr;
    }
    gPolyBuild = {poly, port, picture, saved};
    return poly;
}

void ClosePoly() {
    PolyBuildRecord build = gPolyBuild;
    if (!build.polyAct) return;
    gPolyBuild = {nullptr, nullptr, nullptr, nullptr};
    GrafPtr current = qd.thePort;
    SetPort(build.port);
    if (build.port->picSave == (Handle)build.picture) ClosePicture();
    KillPicture(build.picture);
    build.port->picSave = build.savedPicSave;
    SetPort(current);
    SInt32 count = PolygonPoints(build.polyAct);
    SInt32 left = kBoxStart, top = kBoxStart, right = -kBoxStart, bottom = -kBoxStart;
    for (SInt32 i = 0; i < count; i++) {
        Point p = (*build.polyAct)->polyPoints[i];
        left = std::min<SInt32>(left, p.h);
        top = std::min<SInt32>(top, p.v);
        right = std::max<SInt32>(right, p.h);
        bottom = std::max<SInt32>(bottom, p.v);
    }
    Rect box = {SInt16(top), SInt16(left), SInt16(std::min<SInt32>(bottom + 1, 32767)), SInt16(std::min<SInt32>(right + 1, 32767))};
    (*build.polyAct)->polyBBox = box;
}

void KillPoly(PolyHandle poly) {
    if (!poly) return;
    if (poly == gPolyBuild.polyAct) ClosePoly();
    DisposHandle((Handle)poly);
}

void OffsetPoly(PolyHandle poly, SInt16 dh, SInt16 dv) {
    SInt32 count = PolygonPoints(poly);
    if (count < 0) return;
    PolygonRecord *p = *poly;
    _OffsetRect(&p->polyBBox, dh, dv);
    for (SInt32 i = 0; i < count; i++) {
        p->polyPoints[i].h = SInt16(p->polyPoints[i].h + dh);
        p->polyPoints[i].v = SInt16(p->polyPoints[i].v + dv);
    }
}

void orva_ajoute_ligne_poly(Point from, Point to, Boolean withStart) {
    PolyHandle poly = gPolyBuild.polyAct;
    SInt32 count = PolygonPoints(poly);
    if (count < 0) return;
    Point points[2] = {from, to};
    for (SInt32 i = (withStart || count == 0) ? 0 : 1; i < 2 && count < kPolyMaxPoints; i++, count++) {
        SInt32 size = kPolyHeaderBytes + 4 * (count + 1);
        SetHandleSize((Handle)poly, UInt32(size));
        if (MemError() != noErr) return;
        (*poly)->polyPoints[count] = points[i];
        (*poly)->polySize = SInt16(size);
    }
}

Boolean OrvaIsPolygonPicture(Handle picture) {
    return picture && gPolyBuild.polyAct && picture == (Handle)gPolyBuild.picture;
}

void FramePoly(PolyHandle poly) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    SInt32 count = PolygonPoints(poly);
    if (count < 0) return;
    RecordPoly(kPictOpFramePoly, poly, nullptr);
    if (port->pnVis < 0 || count < 2) return;
    Point saved = port->pnLoc;
    Point first = (*poly)->polyPoints[0], last = first;
    port->pnLoc = first;
    for (SInt32 i = 1; i < count; i++) {
        last = (*poly)->polyPoints[i];
        LineAbs(port->pnLoc.h, port->pnLoc.v, last.h, last.v);
    }
    if (!EqualPt(last, first)) LineAbs(port->pnLoc.h, port->pnLoc.v, first.h, first.v);
    port->pnLoc = saved;
}

void PaintPoly(PolyHandle poly) { PolyVerb(poly, kVerbPaint, kPictOpFramePoly + kPictVerbPaint, nullptr); }

void ErasePoly(PolyHandle poly) { PolyVerb(poly, kVerbErase, kPictOpFramePoly + kPictVerbErase, nullptr); }

void InvertPoly(PolyHandle poly) { PolyVerb(poly, kVerbInvert, kPictOpFramePoly + kPictVerbInvert, nullptr); }

void FillPoly(PolyHandle poly, const Pattern *pat) {
    if (pat) PolyVerb(poly, kVerbFill, kPictOpFramePoly + kPictVerbFill, pat);
}

// The points a polygon holds, or -1 when its size word is below the header or above its handle.
static SInt32 PolygonPoints(PolyHandle poly) {
    if (!poly || !*poly) return -1;
    UInt32 handleBytes = GetHandleSize((Handle)poly);
    if (handleBytes < UInt32(kPolyHeaderBytes)) return -1;
    SInt32 size = (*poly)->polySize;
    if (size < kPolyHeaderBytes || UInt32(size) > handleBytes) return -1;
    return (size - kPolyHeaderBytes) / 4;
}

static void RecordPoly(UInt16 opcode, PolyHandle poly, const Pattern *pat) {
    GrafPtr port = qd.thePort;
    if (!port->picSave) return;
    if (pat) RecordPictAction(kPictOpFillPat, pat->pat, sizeof pat->pat);
    RecordPictAction(opcode, *poly, UInt32((*poly)->polySize));
}

// Even-odd scan lines: each row meets the edges whose low end is at or above it and whose high
// end is below it; the crossings, sorted, pair into spans [x0, x1). Rows outside the points or
// the clip are skipped, whatever the stored box says.
static void ScanFill(PolyHandle poly, SInt32 count) {
    GrafPtr port = qd.thePort;
    std::vector<PolyEdge> edges;
    edges.reserve(size_t(count));
    SInt32 minY = 32767, maxY = -32768;
    for (SInt32 i = 0; i < count; i++) {
        Point a = (*poly)->polyPoints[i], b = (*poly)->polyPoints[(i + 1) % count];
        minY = std::min<SInt32>(minY, a.v);
        maxY = std::max<SInt32>(maxY, a.v);
        if (a.v == b.v) continue;
        if (a.v < b.v) edges.push_back({a.v, b.v, a.h, b.h});
        else edges.push_back({b.v, a.v, b.h, a.h});
    }
    OrvaRecalculeRgnClip();
    const Rect box = (*poly)->polyBBox;
    SInt32 top = std::max<SInt32>(box.top, minY), bottom = std::min<SInt32>(box.bottom, maxY);
    if (OrvaRgnClip && *OrvaRgnClip) {
        top = std::max<SInt32>(top, SInt32((*OrvaRgnClip)->rgnBBox.top) + port->portBits.bounds.top);
        bottom = std::min<SInt32>(bottom, SInt32((*OrvaRgnClip)->rgnBBox.bottom) + port->portBits.bounds.top);
    }
    std::sort(edges.begin(), edges.end(), [](const PolyEdge &p, const PolyEdge &q) { return p.yLow < q.yLow; });
    std::vector<const PolyEdge *> active;
    std::vector<SInt32> crossings;
    size_t next = 0;
    for (SInt32 y = top; y < bottom; y++) {
        while (next < edges.size() && edges[next].yLow <= y) active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [y](const PolyEdge *e) { return e->yHigh <= y; }),
                     active.end());
        crossings.clear();
        for (const PolyEdge *e : active) {
            SInt64 dy = e->yHigh - e->yLow;
            crossings.push_back(SInt32(e->xLow + (SInt64(e->xHigh - e->xLow) * (y - e->yLow) + dy / 2) / dy));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
            SInt32 x0 = crossings[k], x1 = crossings[k + 1];
            SInt32 end = x1 <= x0 ? x1 : x1 - 1;
            LineAbs(SInt16(x0), SInt16(y), SInt16(std::max<SInt32>(end, -32768)), SInt16(y));
        }
    }
}

static void PolyVerb(PolyHandle poly, ShapeVerb verb, UInt16 opcode, const Pattern *pat) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    SInt32 count = PolygonPoints(poly);
    if (count < 0) return;
    if (pat) port->fillPat = *pat;
    RecordPoly(opcode, poly, pat);
    if (port->pnVis < 0 || count < 2) return;
    OrvaPenAndColorState saved;
    OrvaBeginVerb(verb, &saved);
    ScanFill(poly, count);
    OrvaEndVerb(&saved);
}

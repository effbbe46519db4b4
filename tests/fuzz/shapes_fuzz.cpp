// ctest-labels: raster
// Random verb scripts on a 256 x 256 port: every shape verb with any rectangle, pen, mode,
// pattern, angles and polygon points, region verbs, ScrollRect, recordings and tracings.
// Nothing may write outside the port's buffer; the recorded pictures must walk to their end.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_quickdraw.h"
#include "graphics/pictures/pict_format.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

// The script's bytes, read in order; past the end every read answers 0.
struct ScriptReader : FuzzReader {
    Rect AnyRect() {
        // Small coordinates most of the time, the whole 16-bit range when the flag byte says so.
        uint8_t wide = Byte();
        Rect r;
        SInt16 *v[4] = {&r.top, &r.left, &r.bottom, &r.right};
        for (SInt16 *c : v) *c = (wide & 1) ? Word() : SInt16(SInt8(Byte()) * 2 + 128);
        return r;
    }
};

const SInt16 kPens[] = {0, -1, 1, 2, 3, 7, 32767, -32768};
const SInt16 kModes[] = {8, 9, 10, 11, 12, 13, 14, 15, 32, 36, 138, 0, 3, 255};

void Check(bool ok) {
    if (!ok) std::abort();
}

PolyHandle PolygonOf(ScriptReader *s) {
    uint8_t count = s->Byte() % 24;
    PolyHandle poly = OpenPoly();
    if (!poly) return nullptr;
    for (uint8_t i = 0; i < count; i++) {
        SInt16 h = SInt16(SInt8(s->Byte()) * 3 + 128), v = SInt16(SInt8(s->Byte()) * 3 + 128);
        if (i == 0) _MoveTo(h, v);
        else _LineTo(h, v);
    }
    ClosePoly();
    uint8_t damage = s->Byte();
    if (damage == 1) (*poly)->polySize = s->Word();  // a size word that disagrees with the handle
    return poly;
}

void Step(ScriptReader *s, GrafPtr port, RgnHandle rgn) {
    uint8_t verb = s->Byte();
    Rect r = s->AnyRect();
    const Pattern *patterns[] = {&qd.black, &qd.gray, &qd.ltGray, &qd.dkGray, &qd.white};
    const Pattern *pat = patterns[s->Byte() % 5];
    switch (verb % 24) {
        case 0: PenSize(kPens[s->Byte() % 8], kPens[s->Byte() % 8]); break;
        case 1: PenMode(kModes[s->Byte() % 14]); break;
        case 2: PenPat(pat); break;
        case 3: _FrameRect(&r); PaintRect(&r); break;
        case 4: EraseRect(&r); _InvertRect(&r); _FillRect(&r, pat); break;
        case 5: {
            SInt16 w = s->Word(), h = s->Word();
            FrameRoundRect(&r, w, h);
            PaintRoundRect(&r, w, h);
            InvertRoundRect(&r, w, h);
            FillRoundRect(&r, w, h, pat);
            break;
        }
        case 6: FrameOval(&r); PaintOval(&r); break;
        case 7: EraseOval(&r); InvertOval(&r); FillOval(&r, pat); break;
        case 8: {
            SInt16 start = s->Word(), arc = SInt16(s->Word() % 1440);
            FrameArc(&r, start, arc);
            PaintArc(&r, start, arc);
            InvertArc(&r, start, arc);
            FillArc(&r, start, arc);
            break;
        }
        case 9: {
            PolyHandle poly = PolygonOf(s);
            FramePoly(poly);
            PaintPoly(poly);
            InvertPoly(poly);
            FillPoly(poly, pat);
            OffsetPoly(poly, s->Word(), s->Word());
            ErasePoly(poly);
            KillPoly(poly);
            break;
        }
        case 10: _MoveTo(r.left, r.top); _LineTo(r.right, r.bottom); Line(s->Word(), s->Word()); break;
        case 11: RectRgn(rgn, &r); break;
        case 12: {
            RgnHandle other = NewRgn();
            RectRgn(other, &r);
            void (*ops[])(RgnHandle, RgnHandle, RgnHandle) = {_UnionRgn, DiffRgn, XorRgn, SectRgn};
            ops[s->Byte() % 4](rgn, other, rgn);
            DisposeRgn(other);
            break;
        }
        case 13: _PaintRgn(rgn); _FrameRgn(rgn); break;
        case 14: EraseRgn(rgn); _InvertRgn(rgn); _FillRgn(rgn, pat); break;
        case 15: SetClip(rgn); break;
        case 16: ClipRect(&r); break;
        case 17: ScrollRect(&r, s->Word(), s->Word(), rgn); break;
        case 18: HiliteMode &= 0x7F; break;
        case 19: {
            // A recording (pictures do not nest): the picture must walk cleanly to its end.
            if (port->picSave) break;
            Rect frame = {0, 0, 256, 256};
            PicHandle pic = OpenPicture(&frame);
            for (int i = 0; i < 3; i++) Step(s, port, rgn);
            ClosePicture();
            if (pic) {
                PictWalkRecord walk;
                PictOpRecord op;
                Check(OrvaPictBeginWalk((const UInt8 *)*pic, GetHandleSize((Handle)pic), &walk) == noErr);
                while (!walk.ended && OrvaPictNextOp(&walk, &op) == noErr) {
                }
                Check(walk.ended);
                KillPicture(pic);
            }
            break;
        }
        case 20: {
            OpenRgn();
            FrameOval(&r);
            _FrameRect(&r);
            CloseRgn(rgn);
            Check(OrvaRegionIsValid(rgn));
            break;
        }
        case 21: {
            RGBColor c = {UInt16(s->Word()), UInt16(s->Word()), UInt16(s->Word())};
            RGBForeColor(&c);
            OpColor(&c);
            break;
        }
        case 22: BackPat(pat); break;
        default: HidePen(); PaintOval(&r); ShowPen(); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static GrafPort port;
    static bool started = false;
    if (!started) {
        FuzzStartQuickDraw();
        std::memset(&port, 0, sizeof port);
        OpenPort(&port);
        PortSize(256, 256);
        started = true;
    }
    SetPort(&port);
    PenNormal();
    Rect all = {-32767, -32767, 32767, 32767};
    ClipRect(&all);
    OrvaFillSurfaceRect(&port, 0, 0, 255, 255, 0xFFFFFF);
    RgnHandle rgn = NewRgn();
    ScriptReader script{{OrvaByteReader(data, size)}};
    for (int steps = 0; steps < 64 && script.More(); steps++) Step(&script, &port, rgn);
    Check(OrvaRegionIsValid(rgn));
    DisposeRgn(rgn);
    HiliteMode |= 0x80;
    return 0;
}

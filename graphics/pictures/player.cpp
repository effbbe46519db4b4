// Picture playback. The bounded picture walk gives every opcode with its operand fields already
// checked against the handle's size; each opcode then becomes an ordinary drawing call on a
// private copy of the caller's port, mapped from the picture's frame to the destination.
#include "graphics/pictures/player.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/quickdraw_text.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/cairo/port_surfaces.h"

namespace {

enum : SInt16 {
    kForeBlack = 33,
    kBackWhite = 30,
    kSrcOr = 1,
    kPatCopy = 0,
    kCommentTranscodeOff = 5476,
    kCommentTranscodeOn = 5477,
};

struct FontMapEntry {
    SInt16 pictureId;
    SInt16 localId;
};

struct Player {
    PictWalkRecord walk;
    Rect frame;
    Rect dst;
    SInt32 frameW, frameH, dstW, dstH;
    GrafPtr caller;
    GrafPort copy;
    RgnHandle scratch;
    Rect lastRect;
    Point ovalSize;  // v height, h width, already scaled
    Point linePen;
    Point textPen;
    std::vector<FontMapEntry> fontMap;
    Boolean fontsChanged;
    Boolean clipChanged;
};

}  // namespace

static SInt16 Clamp16(SInt64 v);
static Rect MapRect(const Player *p, Rect r);
static Point MapPoint(const Player *p, Point pt);
static Point ReadPoint(const Player *p, UInt32 offset);
static RgnHandle ReadRegion(const Player *p, const PictFieldRecord *field);
static PolyHandle ReadPolygon(const Player *p, const PictFieldRecord *field);
static Boolean PlayOp(Player *p, const PictOpRecord *op);
static void PlayText(Player *p, const PictFieldRecord *text);
static void PlayLine(Player *p, Point from, Point to);
static void PlayLineFromPen(Player *p, Point to);
static Boolean PlayImage(Player *p, const PictOpRecord *op);
static void PlayFontName(Player *p, const PictOpRecord *op);
static void Restore(Player *p);

SInt32 PictMulDivRound(SInt32 a, SInt32 b, SInt32 c) {
    if (c == 0) return 0;
    double v = std::round(double(a) * double(b) / double(c));
    if (v > 2147483647.0) return 2147483647;
    if (v < -2147483648.0) return SInt32(-2147483647 - 1);
    return SInt32(v);
}

SInt16 PictClampCoord(SInt32 v) {
    if (v < -29999 || v > 29999) return Clamp16(v);
    return v;
}

void DrawPicture(PicHandle picture, const Rect *dst) {
    if (!picture || !*picture || !dst || EmptyRect(dst)) return;
    GrafPtr caller = qd.thePort;
    if (!caller) return;
    UInt32 size = GetHandleSize((Handle)picture);
    // picSize keeps only the low 16 bits of the length: a picture is empty when nothing follows
    // its header, whatever picSize says.
    if (size <= sizeof(Picture)) return;
    const UInt8 *bytes = (const UInt8 *)*picture;
    if (size >= 12 && !((bytes[10] == 0x11 && bytes[11] == 0x01) || (bytes[10] == 0x00 && bytes[11] == 0x11))) {
        OrvaErreurF("Type de PICT inconnu :%x", SInt32(SInt16((bytes[10] << 8) | bytes[11])));
        return;
    }
    Player *p = new Player();
    if (OrvaPictBeginWalk(bytes, size, &p->walk) != noErr) {
        OrvaErreur(size >= 14 && bytes[10] == 0x00 ? "PICT 2: Bad version" : "PICT 2: picture tronquee");
        delete p;
        return;
    }
    if (p->walk.kind != kPictKindVersion1 && size < UInt32(kPictFirstOpcode)) {
        OrvaErreur("PICT 2: picture tronquee");
        delete p;
        return;
    }
    p->caller = caller;
    p->dst = *dst;
    OrvaPictHeader(&p->walk, nullptr, &p->frame);
    if (p->walk.kind == kPictKindVersion2 && bytes[16] == 0xFF && bytes[17] == 0xFE) p->frame = OrvaPictRect(&p->walk, 28);
    p->frameW = SInt32(p->frame.right) - p->frame.left;
    p->frameH = SInt32(p->frame.bottom) - p->frame.top;
    p->dstW = SInt32(dst->right) - dst->left;
    p->dstH = SInt32(dst->bottom) - dst->top;

    // The caller's port gets its buffer first, so that the copy draws into the same one.
    if (!caller->surface && !caller->noBuffer) {
        if (caller->depth == 0) caller->depth = 24;
        const Rect &r = caller->portRect;
        OrvaPortSize(caller, SInt16(r.right > r.left ? r.right - r.left : 0), SInt16(r.bottom > r.top ? r.bottom - r.top : 0), 0,
                     0, true);
    }
    p->copy = *caller;
    p->copy.visRgn = NewRgn();
    p->copy.clipRgn = NewRgn();
    p->scratch = NewRgn();
    if (!p->copy.visRgn || !p->copy.clipRgn || !p->scratch) {
        DisposeRgn(p->copy.visRgn);
        DisposeRgn(p->copy.clipRgn);
        DisposeRgn(p->scratch);
        delete p;
        return;
    }
    _CopyRgn(caller->visRgn, p->copy.visRgn);
    _CopyRgn(caller->clipRgn, p->copy.clipRgn);
    SetPort(&p->copy);

    PenNormal();
    ForeColor(kForeBlack);
    BackColor(kBackWhite);
    TextFont(0);
    TextSize(0);
    TextFace(0);
    TextMode(kSrcOr);
    SpaceExtra(0);
    _MoveTo(0, 0);
    PenMode(kPatCopy);

    _MoveTo(Clamp16(SInt32(dst->left) - p->frame.left), Clamp16(SInt32(dst->top) - p->frame.top));
    p->linePen = p->textPen = p->copy.pnLoc;
    if (p->frameW >= 1 && p->frameH >= 1) {
        if (p->copy.pnSize.h != 0 && p->copy.pnSize.v != 0) {
            SInt32 w = PictMulDivRound(p->copy.pnSize.h, p->dstW, p->frameW);
            SInt32 h = PictMulDivRound(p->copy.pnSize.v, p->dstH, p->frameH);
            PenSize(Clamp16(w < 1 ? 1 : w), Clamp16(h < 1 ? 1 : h));
        }
        PictOpRecord op;
        for (;;) {
            if (OrvaPictNextOp(&p->walk, &op) != noErr) {
                if (op.name[0] == 0 && op.offset + (p->walk.kind == kPictKindVersion1 ? 1u : 2u) <= size)
                    OrvaErreurF("PICT 2: Opcode $%04x inconnu", op.opcode);
                else OrvaErreurF("PICT 2: picture tronquee a l'offset %u", op.offset);
                break;
            }
            if (op.opcode == kPictOpEndPic) break;
            if (!PlayOp(p, &op)) break;
        }
    }
    Restore(p);
    delete p;
}

void StdText(SInt16 count, const void *text, Point numer, Point denom) {
    GrafPtr port = qd.thePort;
    if (!port || !text || count <= 0 || numer.v == 0 || denom.v == 0 || numer.h == 0 || denom.h == 0) return;
    SInt16 formerSize = port->txSize;
    float formerRatio = OrvaGetCurrentFontRatio();
    SInt32 size = SInt32(formerSize ? formerSize : 12) * numer.v / denom.v;
    double ratio = double(formerRatio) * (double(denom.v) * numer.h) / (double(numer.v) * denom.h);
    TextSize(Clamp16(size));
    OrvaSetFontRatio(float(ratio));
    _DrawText(text, 0, count);
    TextSize(formerSize);
    OrvaSetFontRatio(formerRatio);
}

void StdLine(Point newPt) { _LineTo(newPt.h, newPt.v); }

static SInt16 Clamp16(SInt64 v) { return SInt16(v > 32767 ? 32767 : (v < -32768 ? -32768 : v)); }

static SInt16 MapH(const Player *p, SInt32 h) {
    return Clamp16(p->dst.left + SInt64(h - p->frame.left) * p->dstW / p->frameW);
}

static SInt16 MapV(const Player *p, SInt32 v) {
    return Clamp16(p->dst.top + SInt64(v - p->frame.top) * p->dstH / p->frameH);
}

static Rect MapRect(const Player *p, Rect r) {
    Rect out;
    out.top = MapV(p, r.top);
    out.left = MapH(p, r.left);
    out.bottom = MapV(p, r.bottom);
    out.right = MapH(p, r.right);
    return out;
}

static Point MapPoint(const Player *p, Point pt) {
    Point out;
    out.v = MapV(p, pt.v);
    out.h = MapH(p, pt.h);
    return out;
}

static SInt16 RoundH(const Player *p, SInt32 h) {
    return Clamp16(SInt64(p->dst.left) + PictMulDivRound(h - p->frame.left, p->dstW, p->frameW));
}

static SInt16 RoundV(const Player *p, SInt32 v) {
    return Clamp16(SInt64(p->dst.top) + PictMulDivRound(v - p->frame.top, p->dstH, p->frameH));
}

static Point ReadPoint(const Player *p, UInt32 offset) {
    Point pt;
    pt.v = SInt16(OrvaPictWord(&p->walk, offset));
    pt.h = SInt16(OrvaPictWord(&p->walk, offset + 2));
    return pt;
}

// A region operand in machine order, checked, then mapped: a rectangle by its edges, scan data
// word by word with rounding. Null for malformed data or without memory.
static RgnHandle ReadRegion(const Player *p, const PictFieldRecord *field) {
    UInt32 words = field->length / 2;
    RgnHandle rgn = (RgnHandle)NewHandle(field->length);
    if (!rgn) return nullptr;
    SInt16 *w = (SInt16 *)*rgn;
    for (UInt32 i = 0; i < words; i++) w[i] = SInt16(OrvaPictWord(&p->walk, field->offset + 2 * i));
    if (!OrvaRegionIsValid(rgn)) {
        DisposeRgn(rgn);
        return nullptr;
    }
    if (words == 5) {
        (*rgn)->rgnBBox = MapRect(p, (*rgn)->rgnBBox);
        return rgn;
    }
    if (p->dstW == p->frameW && p->dstH == p->frameH) {
        _OffsetRgn(rgn, Clamp16(SInt32(p->dst.left) - p->frame.left), Clamp16(SInt32(p->dst.top) - p->frame.top));
        return rgn;
    }
    // Scan data: row, inversion points up to kRgnEnd, and kRgnEnd after the last row.
    UInt32 i = 5;
    while (i < words && w[i] != kRgnEnd) {
        w[i] = PictClampCoord(RoundV(p, w[i]));
        for (i++; i < words && w[i] != kRgnEnd; i++) w[i] = PictClampCoord(RoundH(p, w[i]));
        i++;
    }
    (*rgn)->rgnBBox = MapRect(p, (*rgn)->rgnBBox);
    // Rows or points that a reduction made meet are no longer a valid region: nothing is drawn.
    if (!OrvaRegionIsValid(rgn)) SetEmptyRgn(rgn);
    else orva_calcule_BBox(rgn);
    return rgn;
}

static PolyHandle ReadPolygon(const Player *p, const PictFieldRecord *field) {
    SInt32 points = SInt32(field->length - kPolyHeaderBytes) / 4;
    PolyHandle poly = (PolyHandle)NewHandle(field->length);
    if (!poly) return nullptr;
    (*poly)->polySize = SInt16(field->length);
    SInt32 left = 32000, top = 32000, right = -32000, bottom = -32000;
    for (SInt32 k = 0; k < points; k++) {
        Point pt = ReadPoint(p, field->offset + kPolyHeaderBytes + 4 * UInt32(k));
        pt.h = RoundH(p, pt.h);
        pt.v = RoundV(p, pt.v);
        (*poly)->polyPoints[k] = pt;
        if (pt.h < left) left = pt.h;
        if (pt.v < top) top = pt.v;
        if (pt.h + 1 > right) right = pt.h + 1;
        if (pt.v + 1 > bottom) bottom = pt.v + 1;
    }
    (*poly)->polyBBox = {SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
    return poly;
}

static Boolean Recording() { return qd.thePort && qd.thePort->picSave; }

// Plays one opcode; false ends playback (its message given).
static Boolean PlayOp(Player *p, const PictOpRecord *op) {
    const PictWalkRecord *w = &p->walk;
    const PictFieldRecord *f = op->fields;
    UInt16 code = op->opcode;
    SInt32 word0 = op->fieldCount > 0 ? OrvaPictWord(w, f[0].offset) : 0;
    Pattern pat;
    if (op->fieldCount > 0 && f[0].kind == kFieldPattern) std::memcpy(pat.pat, w->bytes + f[0].offset, 8);
    switch (code) {
        case kPictOpClip: {
            RgnHandle rgn = ReadRegion(p, &f[0]);
            if (!rgn) break;
            SectRgn(rgn, p->caller->clipRgn, p->scratch);
            SetClip(p->scratch);
            DisposeRgn(rgn);
            p->clipChanged = true;
            return true;
        }
        case kPictOpBkPat: BackPat(&pat); return true;
        case kPictOpTxFont: {
            SInt16 id = SInt16(word0);
            if (id >= 256)
                for (const FontMapEntry &e : p->fontMap)
                    if (e.pictureId == id) id = e.localId;
            TextFont(id);
            p->fontsChanged = true;
            return true;
        }
        case kPictOpTxFace: TextFace(w->bytes[f[0].offset]); return true;
        case kPictOpTxMode: TextMode(SInt16(word0)); return true;
        case kPictOpSpExtra: {
            SInt64 v = SInt64(OrvaPictLong(w, f[0].offset)) * p->dstW / p->frameW;
            SpaceExtra(Fixed(v > 0x7FFFFFFF ? 0x7FFFFFFF : (v < -0x7FFFFFFF ? -0x7FFFFFFF : v)));
            return true;
        }
        case kPictOpPnSize: {
            Point size = ReadPoint(p, f[0].offset);
            SInt32 h = size.h, v = size.v;
            if (h) h = std::max<SInt32>(1, PictMulDivRound(h, p->dstW, p->frameW));
            if (v) v = std::max<SInt32>(1, PictMulDivRound(v, p->dstH, p->frameH));
            PenSize(Clamp16(h), Clamp16(v));
            return true;
        }
        case kPictOpPnMode: PenMode(SInt16(word0)); return true;
        case kPictOpPnPat: PenPat(&pat); return true;
        case kPictOpFillPat: p->copy.fillPat = pat; return true;
        case kPictOpOvSize: {
            Point size = ReadPoint(p, f[0].offset);
            p->ovalSize.h = Clamp16(PictMulDivRound(size.h, p->dstW, p->frameW));
            p->ovalSize.v = Clamp16(PictMulDivRound(size.v, p->dstH, p->frameH));
            return true;
        }
        case kPictOpOrigin:
            SetOrigin(Clamp16(PictMulDivRound(word0, p->dstW, p->frameW)),
                      Clamp16(PictMulDivRound(OrvaPictWord(w, f[1].offset), p->dstH, p->frameH)));
            return true;
        case kPictOpTxSize: TextSize(SInt16(word0)); p->fontsChanged = true; return true;
        case kPictOpFgColor: ForeColor(SInt16(OrvaPictLong(w, f[0].offset) & 0xFFFF)); return true;
        case kPictOpBkColor: BackColor(SInt16(OrvaPictLong(w, f[0].offset) & 0xFFFF)); return true;
        case kPictOpTxRatio: {
            Point numer = ReadPoint(p, f[0].offset), denom = ReadPoint(p, f[1].offset);
            if (denom.h != 0) OrvaSetFontRatio(float(numer.h) / float(denom.h));
            return true;
        }
        case kPictOpRGBFgCol:
        case kPictOpRGBBkCol: {
            RGBColor c = {UInt16(OrvaPictWord(w, f[0].offset)), UInt16(OrvaPictWord(w, f[0].offset + 2)),
                          UInt16(OrvaPictWord(w, f[0].offset + 4))};
            if (code == kPictOpRGBFgCol) RGBForeColor(&c);
            else RGBBackColor(&c);
            return true;
        }
        case kPictOpLine: PlayLine(p, MapPoint(p, ReadPoint(p, f[0].offset)), MapPoint(p, ReadPoint(p, f[1].offset))); return true;
        case kPictOpLineFrom: PlayLineFromPen(p, MapPoint(p, ReadPoint(p, f[0].offset))); return true;
        case kPictOpShortLine: {
            Point from = ReadPoint(p, f[0].offset), to = from;
            to.h = Clamp16(SInt32(from.h) + SInt8(w->bytes[f[1].offset]));
            to.v = Clamp16(SInt32(from.v) + SInt8(w->bytes[f[2].offset]));
            PlayLine(p, MapPoint(p, from), MapPoint(p, to));
            return true;
        }
        case kPictOpShortLineFrom: {
            SInt32 dh = PictMulDivRound(SInt8(w->bytes[f[0].offset]), p->dstW, p->frameW);
            SInt32 dv = PictMulDivRound(SInt8(w->bytes[f[1].offset]), p->dstH, p->frameH);
            p->copy.pnLoc = p->linePen;
            Line(Clamp16(dh), Clamp16(dv));
            p->linePen = p->copy.pnLoc;
            return true;
        }
        case kPictOpLongText: {
            Point at = MapPoint(p, ReadPoint(p, f[0].offset));
            _MoveTo(at.h, at.v);
            p->textPen = p->copy.pnLoc;
            PlayText(p, &f[1]);
            return true;
        }
        case kPictOpDHText:
        case kPictOpDHText + 1:
        case kPictOpDHText + 2: {
            SInt32 dh = 0, dv = 0;
            if (code == kPictOpDHText) dh = PictMulDivRound(w->bytes[f[0].offset], p->dstW, p->frameW);
            else if (code == kPictOpDHText + 1) dv = PictMulDivRound(w->bytes[f[0].offset], p->dstH, p->frameH);
            else {
                dh = PictMulDivRound(w->bytes[f[0].offset], p->dstW, p->frameW);
                dv = PictMulDivRound(w->bytes[f[1].offset], p->dstH, p->frameH);
            }
            p->copy.pnLoc = p->textPen;
            Move(Clamp16(dh), Clamp16(dv));
            p->textPen = p->copy.pnLoc;
            PlayText(p, &f[op->fieldCount - 1]);
            return true;
        }
        case kPictOpFontName: PlayFontName(p, op); return true;
        case kPictOpShortComment: {
            SInt16 kind = SInt16(word0);
            PicComment(kind, 0, nullptr);
            if (!Recording()) {
                if (kind == kCommentTranscodeOn) OrvaSetTranscodeCharset(true);
                else if (kind == kCommentTranscodeOff) OrvaSetTranscodeCharset(false);
            }
            return true;
        }
        case kPictOpLongComment: {
            SInt16 kind = SInt16(word0);
            const PictFieldRecord &data = f[op->fieldCount - 1];
            SInt16 size = SInt16(data.kind == kFieldData ? data.length : 0);
            // A handle of its own: comment procedures may ask for its size.
            Handle h = size > 0 ? NewHandle(UInt32(size)) : nullptr;
            if (h) std::memcpy(*h, w->bytes + data.offset, size_t(size));
            PicComment(kind, h ? size : 0, h);
            if (h) DisposHandle(h);
            return true;
        }
        case kPictOpBitsRect:
        case kPictOpBitsRect + 1:
        case kPictOpPackBitsRect:
        case kPictOpPackBitsRect + 1:
        case kPictOpDirectBitsRect:
        case kPictOpDirectBitsRect + 1: return PlayImage(p, op);
        default: break;
    }
    if (code >= 0x30 && code <= 0x6C) {
        UInt16 family = code & 0xF0, verb = code & 0x07;
        Boolean same = (code & 0x08) != 0;
        if (!same) p->lastRect = MapRect(p, OrvaPictRect(w, f[0].offset));
        const Rect *r = &p->lastRect;
        SInt16 start = 0, arc = 0;
        if (family == 0x60) {
            UInt32 at = same ? f[0].offset : f[1].offset;
            start = SInt16(OrvaPictWord(w, at));
            arc = SInt16(OrvaPictWord(w, at + 2));
        }
        Pattern fill = p->copy.fillPat;
        SInt16 ow = p->ovalSize.h, oh = p->ovalSize.v;
        switch (family | verb) {
            case 0x30: _FrameRect(r); break;
            case 0x31: PaintRect(r); break;
            case 0x32: EraseRect(r); break;
            case 0x33: _InvertRect(r); break;
            case 0x34: _FillRect(r, &fill); break;
            case 0x40: FrameRoundRect(r, ow, oh); break;
            case 0x41: PaintRoundRect(r, ow, oh); break;
            case 0x42: EraseRoundRect(r, ow, oh); break;
            case 0x43: InvertRoundRect(r, ow, oh); break;
            case 0x44: FillRoundRect(r, ow, oh, &fill); break;
            case 0x50: FrameOval(r); break;
            case 0x51: PaintOval(r); break;
            case 0x52: EraseOval(r); break;
            case 0x53: InvertOval(r); break;
            case 0x54: FillOval(r, &fill); break;
            case 0x60: FrameArc(r, start, arc); break;
            case 0x61: PaintArc(r, start, arc); break;
            case 0x62: EraseArc(r, start, arc); break;
            case 0x63: InvertArc(r, start, arc); break;
            case 0x64: p->copy.fillPat = fill; FillArc(r, start, arc); break;
            default: break;
        }
        return true;
    }
    if (code >= 0x70 && code <= 0x74) {
        PolyHandle poly = ReadPolygon(p, &f[0]);
        if (!poly) return true;
        Pattern fill = p->copy.fillPat;
        switch (code) {
            case 0x70: FramePoly(poly); break;
            case 0x71: PaintPoly(poly); break;
            case 0x72: ErasePoly(poly); break;
            case 0x73: InvertPoly(poly); break;
            default: FillPoly(poly, &fill); break;
        }
        KillPoly(poly);
        return true;
    }
    if (code >= 0x80 && code <= 0x84) {
        RgnHandle rgn = ReadRegion(p, &f[0]);
        if (!rgn) {
            OrvaErreurF("PICT 2: region invalide a l'offset %u", op->offset);
            return false;
        }
        Pattern fill = p->copy.fillPat;
        switch (code) {
            case 0x80: _FrameRgn(rgn); break;
            case 0x81: _PaintRgn(rgn); break;
            case 0x82: EraseRgn(rgn); break;
            case 0x83: _InvertRgn(rgn); break;
            default: _FillRgn(rgn, &fill); break;
        }
        DisposeRgn(rgn);
        return true;
    }
    if (code == kPictOpClip) {
        OrvaErreurF("PICT 2: region invalide a l'offset %u", op->offset);
        return false;
    }
    // Everything else the walk accepts is skipped: reserved opcodes, VersionOp, OpColor,
    // DefHilite, fractional pen and character extra, movie data.
    return true;
}

static void PlayText(Player *p, const PictFieldRecord *text) {
    const UInt8 *bytes = p->walk.bytes + text->offset;
    SInt16 count = bytes[0];
    Point numer, denom;
    numer.v = Clamp16(p->dstH);
    numer.h = Clamp16(p->dstW);
    denom.v = Clamp16(p->frameH);
    denom.h = Clamp16(p->frameW);
    GrafProcs *procs = p->copy.grafProcs;
    if (procs && procs->textProc) procs->textProc(count, bytes + 1, numer, denom);
    else StdText(count, bytes + 1, numer, denom);
}

static void DrawLineTo(Player *p, Point to) {
    GrafProcs *procs = p->copy.grafProcs;
    if (procs && procs->lineProc) procs->lineProc(to);
    else _LineTo(to.h, to.v);
}

static void PlayLine(Player *p, Point from, Point to) {
    _MoveTo(from.h, from.v);
    DrawLineTo(p, to);
    p->linePen = p->copy.pnLoc;
}

static void PlayLineFromPen(Player *p, Point to) {
    p->copy.pnLoc = p->linePen;
    DrawLineTo(p, to);
    p->linePen = p->copy.pnLoc;
}

static void PlayFontName(Player *p, const PictOpRecord *op) {
    const PictWalkRecord *w = &p->walk;
    SInt16 pictureId = SInt16(OrvaPictWord(w, op->fields[1].offset));
    const UInt8 *name = w->bytes + op->fields[2].offset;
    SInt16 local = SInt16(kPictMissingFont);
    if (name[0] < 254) {
        char cname[256];
        std::memcpy(cname, name + 1, name[0]);
        cname[name[0]] = 0;
        UInt16 id = OrvaGetFontIDFromNameStrict(cname);
        if (id != kFontIDNone) local = SInt16(id);
    }
    for (FontMapEntry &e : p->fontMap)
        if (e.pictureId == pictureId) {
            e.localId = local;
            return;
        }
    p->fontMap.push_back({pictureId, local});
}

// Bit, pixel and direct images. Bit images are drawn by PutPicture and recorded here as one
// BitsRect; direct images are drawn and recorded by PutPicture24Bits through CopyBits.
Boolean OrvaPictReadImage(const PictWalkRecord *w, const PictOpRecord *op, PictImageRecord *image) {
    std::memset(image, 0, sizeof *image);
    Boolean direct = op->opcode >= kPictOpDirectBitsRect;
    const PictFieldRecord *f = op->fields;
    PixMap &map = image->map;
    SInt32 i = direct ? 1 : 0;  // rowBytes
    map.rowBytes = SInt16(OrvaPictWord(w, f[i].offset));
    i++;
    image->isPixMap = f[i].kind == kFieldPixMap;
    UInt32 at = f[i].offset;
    map.bounds = OrvaPictRect(w, at);
    if (image->isPixMap) {
        map.pmVersion = SInt16(OrvaPictWord(w, at + 8));
        map.packType = SInt16(OrvaPictWord(w, at + 10));
        map.packSize = OrvaPictLong(w, at + 12);
        map.hRes = OrvaPictLong(w, at + 16);
        map.vRes = OrvaPictLong(w, at + 20);
        map.pixelType = SInt16(OrvaPictWord(w, at + 24));
        map.pixelSize = SInt16(OrvaPictWord(w, at + 26));
        map.cmpCount = SInt16(OrvaPictWord(w, at + 28));
        map.cmpSize = SInt16(OrvaPictWord(w, at + 30));
        map.planeBytes = OrvaPictLong(w, at + 32) & 0xFFFF;
        map.pmReserved = OrvaPictLong(w, at + 40);
        i++;
        if (!direct) {
            const PictFieldRecord &t = f[i++];
            SInt32 entries = SInt32(t.length - 8) / 8;
            CTabHandle table =
                (CTabHandle)NewHandle(UInt32(offsetof(ColorTable, ctTable) + sizeof(ColorSpec) * size_t(entries ? entries : 1)));
            if (!table) return false;
            (*table)->ctSeed = OrvaPictLong(w, t.offset);
            (*table)->ctFlags = SInt16(OrvaPictWord(w, t.offset + 4));
            (*table)->ctSize = SInt16(entries - 1);
            for (SInt32 k = 0; k < entries; k++) {
                UInt32 e = t.offset + 8 + 8 * UInt32(k);
                ColorSpec &spec = (*table)->ctTable[k];
                spec.value = SInt16(OrvaPictWord(w, e));
                spec.rgb = {UInt16(OrvaPictWord(w, e + 2)), UInt16(OrvaPictWord(w, e + 4)), UInt16(OrvaPictWord(w, e + 6))};
            }
            map.pmTable = table;
        }
    } else {
        map.pixelSize = 1;
        map.cmpCount = 1;
        map.cmpSize = 1;
        i++;
    }
    image->src = OrvaPictRect(w, f[i].offset);
    image->dst = OrvaPictRect(w, f[i + 1].offset);
    image->mode = SInt16(OrvaPictWord(w, f[i + 2].offset));
    i += 3;
    if (op->opcode & 1) image->mask = &f[i++];
    image->rows = w->bytes + f[i].offset;
    image->rowsLength = f[i].length;
    return true;
}

static Boolean PlayImage(Player *p, const PictOpRecord *op) {
    const PictWalkRecord *w = &p->walk;
    Boolean direct = op->opcode >= kPictOpDirectBitsRect;
    PictImageRecord image;
    if (!OrvaPictReadImage(w, op, &image)) return true;
    PixMap &map = image.map;
    CTabHandle table = map.pmTable;
    Boolean isPixMap = image.isPixMap;
    Rect src = image.src, dstRect = MapRect(p, image.dst);
    SInt16 mode = image.mode;
    RgnHandle savedClip = nullptr;
    if (image.mask) {
        RgnHandle mask = ReadRegion(p, image.mask);
        savedClip = NewRgn();
        if (mask && savedClip) {
            GetClip(savedClip);
            SetClip(mask);
            p->clipChanged = true;
        } else {
            DisposeRgn(savedClip);
            savedClip = nullptr;
        }
        DisposeRgn(mask);
    }
    const UInt8 *data = image.rows, *end = data + image.rowsLength;
    if (direct) {
        PutPicture24Bits(data, end, &map, &src, &dstRect, mode);
    } else {
        GrafPtr port = qd.thePort;
        Boolean recording = port->picSave != nullptr;
        if (recording) port->pnVis--;  // drawn only; recorded below with the rows as they stand
        PutPicture(data, end, (const BitMap *)&map, &src, &dstRect, mode);
        if (recording) port->pnVis++;
        if (recording) {
            std::vector<UInt8> ops;
            auto add = [&ops](const void *v, size_t n) { ops.insert(ops.end(), (const UInt8 *)v, (const UInt8 *)v + n); };
            add(&map.rowBytes, 2);
            add(&map.bounds, 8);
            if (isPixMap) {
                SInt32 zero = 0;
                add(&map.pmVersion, 2);
                add(&map.packType, 2);
                add(&map.packSize, 4);
                add(&map.hRes, 4);
                add(&map.vRes, 4);
                add(&map.pixelType, 2);
                add(&map.pixelSize, 2);
                add(&map.cmpCount, 2);
                add(&map.cmpSize, 2);
                add(&map.planeBytes, 4);
                add(&zero, 4);
                add(&map.pmReserved, 4);
                add(&(*table)->ctSeed, 4);
                add(&(*table)->ctFlags, 2);
                add(&(*table)->ctSize, 2);
                for (SInt32 k = 0; k <= (*table)->ctSize; k++) {
                    const ColorSpec &spec = (*table)->ctTable[k];
                    add(&spec.value, 2);
                    add(&spec.rgb.red, 2);
                    add(&spec.rgb.green, 2);
                    add(&spec.rgb.blue, 2);
                }
            }
            add(&src, 8);
            add(&dstRect, 8);
            add(&mode, 2);
            RecordPictAction(kPictOpBitsRect, ops.data(), UInt32(ops.size()));
            RecordPictAction(kPictOpAppend, data, image.rowsLength);
        }
    }
    if (savedClip) {
        SetClip(savedClip);
        DisposeRgn(savedClip);
    }
    if (table) DisposHandle((Handle)table);
    return true;
}

static void Restore(Player *p) {
    GrafPtr caller = p->caller;
    GrafPort &copy = p->copy;
    OrvaSetFontRatio(1.0f);
    caller->picSave = copy.picSave;
    caller->rgnSave = copy.rgnSave;
    caller->polySave = copy.polySave;
    caller->picOverflow = copy.picOverflow;
    if (!caller->surface && copy.surface) {  // a buffer the copy was given belongs to the caller
        caller->surface = copy.surface;
        caller->data = copy.data;
        caller->context = copy.context;
        caller->rowStride = copy.rowStride;
        caller->effectiveBase = copy.effectiveBase;
    }
    caller->translucent = copy.translucent;
    caller->translucentSurface[0] = copy.translucentSurface[0];
    caller->translucentSurface[1] = copy.translucentSurface[1];
    std::memcpy(caller->dirty, copy.dirty, sizeof caller->dirty);
    caller->picFlags = 0;
    DisposeRgn(p->scratch);
    SetPort(caller);
    if (p->clipChanged) SetClip(caller->clipRgn);
    if (p->fontsChanged) PurgeFontes();
    if (!EqualPt(caller->pnLoc, copy.pnLoc)) _MoveTo(caller->pnLoc.h, caller->pnLoc.v);
    if (!EqualPt(caller->pnSize, copy.pnSize)) PenSize(caller->pnSize.h, caller->pnSize.v);
    if (caller->pnMode != copy.pnMode) PenMode(caller->pnMode);
    if (caller->txFont != copy.txFont) TextFont(caller->txFont);
    if (caller->txSize != copy.txSize) TextSize(caller->txSize);
    if (caller->txFace != copy.txFace) TextFace(caller->txFace);
    if (caller->spExtra != copy.spExtra) SpaceExtra(caller->spExtra);
    RGBColor c = caller->rgbFgColor;
    if (std::memcmp(&c, &copy.rgbFgColor, sizeof c) != 0) RGBForeColor(&c);
    c = caller->rgbBkColor;
    if (std::memcmp(&c, &copy.rgbBkColor, sizeof c) != 0) RGBBackColor(&c);
    Pattern pat = caller->pnPat;
    if (!orva_EqualPattern(&pat, &copy.pnPat)) PenPat(&pat);
    pat = caller->bkPat;
    if (!orva_EqualPattern(&pat, &copy.bkPat)) BackPat(&pat);
    OrvaSetTranscodeCharset(true);
    DisposeRgn(copy.visRgn);
    DisposeRgn(copy.clipRgn);
}

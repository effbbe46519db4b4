// Picture playback. The bounded picture walk gives every opcode with its operand fields already
// checked against the handle's size; each opcode then becomes an ordinary drawing call on a
// private copy of the caller's port, mapped from the picture's frame to the destination.
#include "graphics/pictures/player.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "graphics/pictures/pict_decoder.h"
#include "graphics/pictures/pict_format.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

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
static RgnHandle ReadRegion(const Player *p, const PictFieldRecord *field);
static PolyHandle ReadPolygon(const Player *p, const PictFieldRecord *field);
static void Restore(Player *p);
static Boolean PortClip(void *target, const PictFieldRecord *region, UInt32 opOffset);
static void PortBackPat(void *target, const Pattern *pat);
static void PortPenPat(void *target, const Pattern *pat);
static void PortFillPat(void *target, const Pattern *pat);
static void PortTextFont(void *target, SInt16 id);
static void PortTextFace(void *target, UInt8 face);
static void PortTextMode(void *target, SInt16 mode);
static void PortTextSize(void *target, SInt16 size);
static void PortSpaceExtra(void *target, Fixed extra);
static void PortPenSize(void *target, Point size);
static void PortPenMode(void *target, SInt16 mode);
static void PortOvalSize(void *target, Point size);
static void PortOrigin(void *target, SInt16 dh, SInt16 dv);
static void PortClassicColor(void *target, Boolean fore, SInt16 code);
static void PortRGBColor(void *target, Boolean fore, RGBColor c);
static void PortLine(void *target, Point from, SInt32 dh, SInt32 dv);
static void PortLineFrom(void *target, Point to);
static void PortShortLineFrom(void *target, SInt32 dh, SInt32 dv);
static void PortText(void *target, const Point *at, SInt32 dh, SInt32 dv, const UInt8 *text);
static void PortFontName(void *target, SInt16 pictureId, const UInt8 *name);
static void PortShortComment(void *target, SInt16 kind);
static void PortLongComment(void *target, SInt16 kind, const UInt8 *data, UInt32 length);
static Boolean PortImage(void *target, const PictOpRecord *op);
static void PortShape(void *target, UInt16 family, SInt32 verb, const Rect *r, SInt16 start, SInt16 arc);
static void PortPolygon(void *target, SInt32 verb, const PictFieldRecord *polygon);
static Boolean PortRegion(void *target, SInt32 verb, const PictFieldRecord *region, UInt32 opOffset);

// Playback into a QuickDraw port: the ordinary drawing calls, mapped to the destination.
static const PictPlayMessages kPortMessages = {"Type de PICT inconnu :%x", "PICT 2: Bad version",
                                               "PICT 2: picture tronquee", "PICT 2: Opcode $%04x inconnu",
                                               "PICT 2: picture tronquee a l'offset %u"};
static const PictDrawProcs kPortProcs = {
    &kPortMessages, PortClip, PortBackPat, PortPenPat, PortFillPat, PortTextFont, PortTextFace, PortTextMode,
    PortTextSize, PortSpaceExtra, PortPenSize, PortPenMode, PortOvalSize, PortOrigin, PortClassicColor, PortRGBColor,
    PortLine, PortLineFrom, PortShortLineFrom, PortText, PortFontName, PortShortComment, PortLongComment,
    PortImage, PortShape, PortPolygon, PortRegion, nullptr,
};

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
    Player *p = new Player();
    if (!OrvaPictBeginPlayback((const UInt8 *)*picture, size, &p->walk, &kPortProcs)) {
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
    if (OrvaPictHasExtendedHeader(&p->walk)) p->frame = OrvaPictRect(&p->walk, 28);
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
        OrvaPictPlayOps(&p->walk, size, &kPortProcs, p);
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
        Point pt = OrvaPictPoint(&p->walk, field->offset + kPolyHeaderBytes + 4 * UInt32(k));
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

static Player *PlayerOf(void *target) { return static_cast<Player *>(target); }

// A region that does not read as one ends playback.
static Boolean PortClip(void *target, const PictFieldRecord *region, UInt32 opOffset) {
    Player *p = PlayerOf(target);
    RgnHandle rgn = ReadRegion(p, region);
    if (!rgn) {
        OrvaErreurF("PICT 2: region invalide a l'offset %u", opOffset);
        return false;
    }
    SectRgn(rgn, p->caller->clipRgn, p->scratch);
    SetClip(p->scratch);
    DisposeRgn(rgn);
    p->clipChanged = true;
    return true;
}

static void PortBackPat(void *, const Pattern *pat) { BackPat(pat); }
static void PortPenPat(void *, const Pattern *pat) { PenPat(pat); }
static void PortFillPat(void *target, const Pattern *pat) { PlayerOf(target)->copy.fillPat = *pat; }

// Picture font ids from 256 on name fonts the picture declared with FontName.
static void PortTextFont(void *target, SInt16 id) {
    Player *p = PlayerOf(target);
    if (id >= 256)
        for (const FontMapEntry &e : p->fontMap)
            if (e.pictureId == id) id = e.localId;
    TextFont(id);
    p->fontsChanged = true;
}

static void PortTextFace(void *, UInt8 face) { TextFace(face); }
static void PortTextMode(void *, SInt16 mode) { TextMode(mode); }

static void PortTextSize(void *target, SInt16 size) {
    TextSize(size);
    PlayerOf(target)->fontsChanged = true;
}

static void PortSpaceExtra(void *target, Fixed extra) {
    Player *p = PlayerOf(target);
    SInt64 v = SInt64(extra) * p->dstW / p->frameW;
    SpaceExtra(Fixed(v > 0x7FFFFFFF ? 0x7FFFFFFF : (v < -0x7FFFFFFF ? -0x7FFFFFFF : v)));
}

// A pen that draws stays at least one pixel wide.
static void PortPenSize(void *target, Point size) {
    Player *p = PlayerOf(target);
    SInt32 h = size.h, v = size.v;
    if (h) h = std::max<SInt32>(1, PictMulDivRound(h, p->dstW, p->frameW));
    if (v) v = std::max<SInt32>(1, PictMulDivRound(v, p->dstH, p->frameH));
    PenSize(Clamp16(h), Clamp16(v));
}

static void PortPenMode(void *, SInt16 mode) { PenMode(mode); }

static void PortOvalSize(void *target, Point size) {
    Player *p = PlayerOf(target);
    p->ovalSize.h = Clamp16(PictMulDivRound(size.h, p->dstW, p->frameW));
    p->ovalSize.v = Clamp16(PictMulDivRound(size.v, p->dstH, p->frameH));
}

static void PortOrigin(void *target, SInt16 dh, SInt16 dv) {
    Player *p = PlayerOf(target);
    SetOrigin(Clamp16(PictMulDivRound(dh, p->dstW, p->frameW)), Clamp16(PictMulDivRound(dv, p->dstH, p->frameH)));
}

static void PortClassicColor(void *, Boolean fore, SInt16 code) {
    if (fore) ForeColor(code);
    else BackColor(code);
}

static void PortRGBColor(void *, Boolean fore, RGBColor c) {
    if (fore) RGBForeColor(&c);
    else RGBBackColor(&c);
}

static void DrawLineTo(Player *p, Point to) {
    GrafProcs *procs = p->copy.grafProcs;
    if (procs && procs->lineProc) procs->lineProc(to);
    else _LineTo(to.h, to.v);
}

// Lines keep their own pen, apart from the pen texts move.
static void PortLine(void *target, Point from, SInt32 dh, SInt32 dv) {
    Player *p = PlayerOf(target);
    Point to = {Clamp16(SInt32(from.v) + dv), Clamp16(SInt32(from.h) + dh)};
    from = MapPoint(p, from);
    _MoveTo(from.h, from.v);
    DrawLineTo(p, MapPoint(p, to));
    p->linePen = p->copy.pnLoc;
}

static void PortLineFrom(void *target, Point to) {
    Player *p = PlayerOf(target);
    p->copy.pnLoc = p->linePen;
    DrawLineTo(p, MapPoint(p, to));
    p->linePen = p->copy.pnLoc;
}

static void PortShortLineFrom(void *target, SInt32 dh, SInt32 dv) {
    Player *p = PlayerOf(target);
    p->copy.pnLoc = p->linePen;
    Line(Clamp16(PictMulDivRound(dh, p->dstW, p->frameW)), Clamp16(PictMulDivRound(dv, p->dstH, p->frameH)));
    p->linePen = p->copy.pnLoc;
}

// Text is drawn through the port's text bottleneck, scaled by the frame's mapping.
static void PortText(void *target, const Point *at, SInt32 dh, SInt32 dv, const UInt8 *text) {
    Player *p = PlayerOf(target);
    if (at) {
        Point to = MapPoint(p, *at);
        _MoveTo(to.h, to.v);
    } else {
        p->copy.pnLoc = p->textPen;
        Move(Clamp16(PictMulDivRound(dh, p->dstW, p->frameW)), Clamp16(PictMulDivRound(dv, p->dstH, p->frameH)));
    }
    p->textPen = p->copy.pnLoc;
    SInt16 count = text[0];
    Point numer, denom;
    numer.v = Clamp16(p->dstH);
    numer.h = Clamp16(p->dstW);
    denom.v = Clamp16(p->frameH);
    denom.h = Clamp16(p->frameW);
    GrafProcs *procs = p->copy.grafProcs;
    if (procs && procs->textProc) procs->textProc(count, text + 1, numer, denom);
    else StdText(count, text + 1, numer, denom);
}

static void PortFontName(void *target, SInt16 pictureId, const UInt8 *name) {
    Player *p = PlayerOf(target);
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

static void PortShortComment(void *, SInt16 kind) {
    PicComment(kind, 0, nullptr);
    if (!Recording()) {
        if (kind == kCommentTranscodeOn) OrvaSetTranscodeCharset(true);
        else if (kind == kCommentTranscodeOff) OrvaSetTranscodeCharset(false);
    }
}

static void PortLongComment(void *, SInt16 kind, const UInt8 *data, UInt32 length) {
    SInt16 size = SInt16(data ? length : 0);
    // A handle of its own: comment procedures may ask for its size.
    Handle h = size > 0 ? NewHandle(UInt32(size)) : nullptr;
    if (h) std::memcpy(*h, data, size_t(size));
    PicComment(kind, h ? size : 0, h);
    if (h) DisposHandle(h);
}

// The rectangle families share one last rectangle, kept mapped.
static void PortShape(void *target, UInt16 family, SInt32 verb, const Rect *rect, SInt16 start, SInt16 arc) {
    Player *p = PlayerOf(target);
    if (rect) p->lastRect = MapRect(p, *rect);
    const Rect *r = &p->lastRect;
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
}

static void PortPolygon(void *target, SInt32 verb, const PictFieldRecord *polygon) {
    Player *p = PlayerOf(target);
    PolyHandle poly = ReadPolygon(p, polygon);
    if (!poly) return;
    Pattern fill = p->copy.fillPat;
    switch (verb) {
        case 0: FramePoly(poly); break;
        case 1: PaintPoly(poly); break;
        case 2: ErasePoly(poly); break;
        case 3: InvertPoly(poly); break;
        default: FillPoly(poly, &fill); break;
    }
    KillPoly(poly);
}

static Boolean PortRegion(void *target, SInt32 verb, const PictFieldRecord *region, UInt32 opOffset) {
    Player *p = PlayerOf(target);
    RgnHandle rgn = ReadRegion(p, region);
    if (!rgn) {
        OrvaErreurF("PICT 2: region invalide a l'offset %u", opOffset);
        return false;
    }
    Pattern fill = p->copy.fillPat;
    switch (verb) {
        case 0: _FrameRgn(rgn); break;
        case 1: _PaintRgn(rgn); break;
        case 2: EraseRgn(rgn); break;
        case 3: _InvertRgn(rgn); break;
        default: _FillRgn(rgn, &fill); break;
    }
    DisposeRgn(rgn);
    return true;
}

// Bit, pixel and direct images. Bit images are drawn by PutPicture and recorded here as one
// BitsRect; direct images are drawn and recorded by PutPicture24Bits through CopyBits.
static Boolean PortImage(void *target, const PictOpRecord *op) {
    Player *p = PlayerOf(target);
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

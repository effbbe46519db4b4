// The repeat-last-two-measures symbol: two slashes between two dots under a 2, recorded once as
// a picture at a reference size in a port of its own and played at the staff's size. The
// picture is made again when the font table has changed since, since its dots and digit are
// glyphs of the music font.
#include <cmath>
#include <cstring>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "graphics/pictures/pictures.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"

namespace {

const float kEspaceReference = 10.0f;  // staff space of the recorded picture, pixels
const SInt16 kLargeur = 50;            // the picture's frame: five spaces wide,
const SInt16 kHauteur = 60;            // six high,
const float kHautPortee = 15.0f;       // with its staff's top line 1.5 spaces down
const SInt16 kTaillePortTemporaire = 64;

// The cached picture and the font state it was drawn with. Main thread only.
struct RepeatSymbolRecord {
    PicHandle picture;
    SInt16 font;       // lentaraPrint then
    SInt32 fontCount;  // OrvaGetNbFonts() then
};
RepeatSymbolRecord gSymbol;

void ConstruitSymbole();
void DessineSymbole(const SegmentContext *c);

}  // namespace

void TraceSymboleRepeteDeuxDernieresMesures(StaffHandle staff, float x, float top, float space) {
    if (!gSymbol.picture || gSymbol.font != lentaraPrint || gSymbol.fontCount != OrvaGetNbFonts()) ConstruitSymbole();
    if (!staff || !gSymbol.picture || !qd.thePort || !(space >= 1 && space <= 1000)) return;
    float k = space / kEspaceReference;
    Rect dst;
    dst.left = SInt16(std::lround(Borne(x - kLargeur * k / 2)));
    dst.top = SInt16(std::lround(Borne(top - kHautPortee * k)));
    dst.right = SInt16(std::lround(Borne(x + kLargeur * k / 2)));
    dst.bottom = SInt16(std::lround(Borne(top + (kHauteur - kHautPortee) * k)));
    DrawPicture(gSymbol.picture, &dst);
}

PicHandle GetSymboleRepeteDeuxMesures() { return gSymbol.picture; }

void LibereSymboleRepete() {
    if (gSymbol.picture) KillPicture(gSymbol.picture);
    gSymbol = RepeatSymbolRecord{};
}

namespace {

// Records the symbol in a small port of its own, so that a page being recorded meanwhile
// keeps only the playing of it.
void ConstruitSymbole() {
    LibereSymboleRepete();
    GrafPtr saved = qd.thePort;
    GrafPort port;
    std::memset(&port, 0, sizeof port);
    OpenPort(&port);
    PortSize(kTaillePortTemporaire, kTaillePortTemporaire);
    Rect frame = {0, 0, kHauteur, kLargeur};
    PicHandle picture = OpenPicture(&frame);
    if (picture) {
        SegmentContext c;
        c.space = kEspaceReference;
        c.top = kHautPortee;
        c.font = lentaraPrint;
        c.glyphSize = SInt16(4 * kEspaceReference);
        c.stemWidth = 1;
        DessineSymbole(&c);
        ClosePicture();
    }
    ClosePort(&port);
    SetPort(saved);
    gSymbol.picture = picture;
    gSymbol.font = lentaraPrint;
    gSymbol.fontCount = OrvaGetNbFonts();
}

void DessineSymbole(const SegmentContext *c) {
    float s = c->space, x = kLargeur / 2.0f, top = c->top;
    for (float dx : {-0.55f * s, 0.55f * s}) {
        const float xs[4] = {x + dx - 0.9f * s, x + dx + 0.1f * s, x + dx + 0.9f * s, x + dx - 0.1f * s};
        const float ys[4] = {top + 3 * s, top + s, top + s, top + 3 * s};
        Quadrilatere(xs, ys);
    }
    float dot = AvanceGlyphe(c, kGlyphDot);
    TraceGlyphe(c, kGlyphDot, x - 1.7f * s - dot / 2, top + 1.5f * s);
    TraceGlyphe(c, kGlyphDot, x + 1.7f * s - dot / 2, top + 2.5f * s);
    TraceGlyphe(c, kGlyphDigit2, x - AvanceGlyphe(c, kGlyphDigit2, 0.5f) / 2, top - 0.3f * s, 0.5f);
}

}  // namespace

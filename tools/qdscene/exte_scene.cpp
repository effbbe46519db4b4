// The Extended TextEdit layout scene of qdscene, in FreeMono 10 (font 22, 6 pixels a
// character): a fixture of words, accented and CJK characters, every kind of line end and
// bold and large runs, laid out at 120 and at 32000 pixels.
#include "exte_scene.h"

#include <cstdio>
#include <cstring>

#include "graphics/text/extended_textedit.h"
#include "graphics/text/font_manager.h"

namespace {

const char kFixture[] =
    "Extended text wraps words at the box.\r"
    "Caf\xc3\xa9 cr\xc3\xa8me and \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e in one line.\n"
    "A CR LF pair ends this one.\r\n"
    "\r"
    "Anunbreakablewordlongerthanthebox then more words.";

struct StyleRow {
    SInt32 start, end;
    SInt16 mode;
    TextStyle style;
};
const StyleRow kStyles[] = {
    {0, 8, doFace, {0, 1, 0, 0, {0, 0, 0}}},      // "Extended" in bold
    {38, 43, doSize, {0, 0, 0, 14, {0, 0, 0}}},   // "Café" at 14
};
const SInt32 kWidths[] = {120, 32000};

void Report(ExtendedTEHandle te, SInt32 width) {
    std::printf("width %d lines %d\n", int(width), int((*te)->nLines));
    ExtendedStylHandle styles = (*te)->styleHandle;
    for (SInt32 k = 0; k < (*te)->nLines; k++) {
        SInt32 start = (*te)->lineStarts[k], next = (*te)->lineStarts[k + 1];
        const LHElement &metrics = (*(*styles)->lhTab)[k];
        SInt32 w = ExtendedTailleTexte(te, k, start, next - start, kTrue);
        std::printf("line %d start %d height %d ascent %d width %d\n", int(k), int(start), int(metrics.lhHeight),
                    int(metrics.lhAscent), int(w));
    }
}

}  // namespace

void DrawExteLayoutScene(GrafPtr) {
    TextFont(22);
    TextSize(10);
    TextFace(0);
    Rect box = {10, 10, 290, 130};
    ExtendedTEHandle te = ExtendedTEStylNew(&box, &box);
    if (!te) {
        std::printf("exte-layout: no memory\n");
        return;
    }
    ExtendedTESetText(kFixture, SInt32(std::strlen(kFixture)), te);
    for (const StyleRow &row : kStyles)
        ExtendedTESetStyleRange(row.mode, &row.style, row.start, row.end, (*te)->styleHandle);
    for (SInt32 width : kWidths) {
        (*te)->destRect.right = (*te)->destRect.left + width;
        ExtendedTECalText(te);
        Report(te, width);
    }
    ExtendedTEDispose(te);
}

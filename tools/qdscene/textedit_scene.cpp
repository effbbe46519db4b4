// The TextEdit scene of qdscene, in FreeMono 10 (font 22): a plain record wrapped at 180
// pixels with its caret shown, and a styled record with bold, red and large runs and a
// highlighted selection.
#include "textedit_scene.h"

#include <cstdio>
#include <cstring>

#include "graphics/text/font_manager.h"
#include "graphics/text/textedit.h"

namespace {

const char kPlainText[] = "TextEdit wraps words in the destination rectangle.\rA second paragraph follows the return.";
const char kStyledText[] = "Styled text: bold words, red words and a big line.\rSecond line.";

struct StyleRow {
    SInt32 start, end;
    SInt16 mode;
    TextStyle style;
};
const StyleRow kStyles[] = {
    {13, 23, doFace, {0, 1, 0, 0, {0, 0, 0}}},                 // "bold words" in bold
    {25, 34, doColor, {0, 0, 0, 0, {0xFFFF, 0, 0}}},           // "red words" in red
    {41, 49, doSize, {0, 0, 0, 20, {0, 0, 0}}},                // "big line" at 20
};

void Report(const char *name, TEHandle te) {
    const TERec &r = **te;
    std::printf("%s lines %d caret (%d,%d) sel %d..%d\n", name, int(r.nLines), r.selPoint.h, r.selPoint.v,
                int(r.selStart), int(r.selEnd));
}

}  // namespace

void DrawTextEditScene(GrafPtr) {
    TextFont(22);
    TextSize(10);
    TextFace(0);
    Rect plainBox = {20, 20, 120, 200};
    TEHandle plain = TENew(&plainBox, &plainBox);
    Rect styledBox = {150, 20, 290, 380};
    TEHandle styled = TEStylNew(&styledBox, &styledBox);
    if (!plain || !styled) {
        std::printf("textedit: no memory\n");
        return;
    }
    TESetText(kPlainText, SInt32(std::strlen(kPlainText)), plain);
    TESetSelect(60, 60, plain);
    TEUpdate(&plainBox, plain);
    TEActivate(plain);
    Report("plain", plain);

    TESetText(kStyledText, SInt32(std::strlen(kStyledText)), styled);
    for (const StyleRow &row : kStyles) {
        TESetSelect(row.start, row.end, styled);
        TESetStyle(row.mode, &row.style, 0, styled);
    }
    TESetSelect(7, 30, styled);
    TEUpdate(&styledBox, styled);
    TEActivate(styled);
    Report("styled", styled);
    TEDispose(plain);
    TEDispose(styled);
}

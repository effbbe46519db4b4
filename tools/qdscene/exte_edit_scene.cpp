// The Extended TextEdit editing scene of qdscene, in DejaVu Sans (font 21) with a serif and a
// monospaced run: the record is turned 30 degrees about its destination's centre and zoomed
// 1.5 times, a Hebrew word stands in a left-to-right line, and a selection is blended in.
#include "exte_edit_scene.h"

#include <cstdio>
#include <cstring>

#include "graphics/text/extended_textedit.h"
#include "graphics/text/font_manager.h"
#include "platform/core/unicode_mode.h"

namespace {

const char kText[] =
    "Turned text, zoomed and styled.\r"
    "Hebrew \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d \xd7\xa2\xd7\x95\xd7\x9c\xd7\x9d between words.\r"
    "A serif run and a mono run.";

struct StyleRow {
    const char *words;  // the run styled: the first place these bytes stand
    SInt16 mode;
    TextStyle style;
};
const StyleRow kStyles[] = {
    {"Turned", doFace | doColor, {0, 1, 0, 0, {0xC000, 0, 0}}},    // bold red
    {"A serif run", doFont | doColor, {20, 0, 0, 0, {0, 0, 0x9000}}},  // blue serif
    {"a mono run", doFont | doFace, {22, 2, 0, 0, {0, 0, 0}}},       // italic mono
};
const RGBColor kBlend = {0xA000, 0xD000, 0xFFFF};

}  // namespace

void DrawExteEditScene(GrafPtr) {
    SetUnicodeApplication(kTrue);
    TextFont(21);
    TextSize(12);
    TextFace(0);
    Rect dest = {90, 70, 210, 330}, view = {10, 10, 290, 390};
    ExtendedTEHandle te = ExtendedTEStylNew(&dest, &view);
    if (!te) return;
    ExtendedTESetText(kText, SInt32(std::strlen(kText)), te);
    for (const StyleRow &row : kStyles) {
        SInt32 start = SInt32(std::strstr(kText, row.words) - kText);
        ExtendedTESetStartEnd(te, start, start + SInt32(std::strlen(row.words)));
        ExtendedTESetStyle(row.mode, &row.style, kFalse, te);
    }
    ExtendedSetViewZoom(te, 1.5f);
    ExtendedTECalText(te);
    ExtendedTESetRotation(te, 30);
    ExtendedActiveModeBlendSelection(te, &kBlend);
    ExtendedTESetStartEnd(te, 7, 7);
    ExtendedTEActivate(te);
    ExtendedTEUpdate(&view, te);
    ExtendedTESetSelect(7, 22, te);
    std::printf("exte lines %d caret (%d,%d) sel %d..%d\n", int((*te)->nLines), int((*te)->selPoint.h),
                int((*te)->selPoint.v), int((*te)->selStart), int((*te)->selEnd));
    ExtendedTEDispose(te);
}

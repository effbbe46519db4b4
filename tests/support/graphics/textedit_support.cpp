// Test helpers for TextEdit.
#include "support/graphics/textedit_support.h"

#include <fstream>
#include <sstream>

#include "graphics/text/font_manager.h"
#include "platform/core/time_manager.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"

namespace {
UInt32 gTicks = 0;
UInt32 ScriptedTicks() { return gTicks; }
}  // namespace

void OpenTextEditPort(GrafPort *port, SInt16 width, SInt16 height) {
    StartTextForTests();
    OpenTestPort(port, width, height);
    PaintPortWhite(port);
    TextFont(kMonoFont);
    TextSize(kMonoSize);
    TextFace(0);
}

TEHandle NewTestRecord(const Rect &dest, bool styled, const std::string &text) {
    TEHandle te = styled ? TEStylNew(&dest, &dest) : TENew(&dest, &dest);
    if (te && !text.empty()) TESetText(text.data(), SInt32(text.size()), te);
    return te;
}

std::string TEText(TEHandle te) { return std::string(*(*te)->hText, (*te)->teLength); }

std::vector<UInt16> TELineStarts(TEHandle te) {
    return std::vector<UInt16>((*te)->lineStarts, (*te)->lineStarts + (*te)->nLines + 1);
}

std::string ReadTestData(const std::string &relative) {
    std::ifstream in(TestSourcePath("tests/data/graphics/textedit/" + relative), std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void SetTestTicks(UInt32 ticks) {
    gTicks = ticks;
    OrvaSetTickCountSource(ScriptedTicks);
}

void ResetTestTicks() { OrvaSetTickCountSource(nullptr); }

// Test helpers for text: QuickDraw started with the test symbol font installed, pango's own
// measure of a string (the oracle for widths), and the ink and dirty areas of a port.
#pragma once

#include <string>

#include "graphics/quickdraw/ports.h"

// StartQuickDrawForTests, then the test symbol font "OrvaTestSymbol" installed once.
void StartTextForTests();
UInt16 TestSymbolFontID();
std::string TestSourcePath(const std::string &relative);  // under $ORVA_SOURCE_DIR (or ".")
// Pixel width of utf8 as pango lays it out in family at size pixels with the given options,
// built here without the library's layout code.
int PangoReferenceWidth(const char *family, int size, const std::string &utf8, bool bold = false);
// The box (left, top, right, bottom exclusive; buffer pixels) of pixels that are not white,
// or of pixels that differ from before when given; empty when none.
Rect InkBox(const GrafPort *port, const std::string *before = nullptr);
std::string PortPixels(const GrafPort *port);  // a copy of the whole buffer, spare bytes as 0
void PaintPortWhite(GrafPort *port);
bool InsideDirtySlots(const GrafPort *port, SInt32 x, SInt32 y);
bool DirtySlotsEmpty(const GrafPort *port);

// Test helpers of page layout: the built music font installed once with the engraver and page
// layout started, and what pdfinfo says of a PDF.
#pragma once

#include <string>

// Starts QuickDraw, installs the build tree's music font (once), then the engraver and page
// layout; false when the font cannot be installed. Pair it with ArreteMiseEnPagePourTests.
bool DemarreMiseEnPagePourTests();
void ArreteMiseEnPagePourTests();  // page layout and the engraver stopped
// The value pdfinfo prints after "key:", spaces trimmed; "" when missing.
std::string InfoPdf(const std::string &pdf, const std::string &key);

// A page of a document laid out by page layout, drawn as the player draws it into a port at a
// resolution and written as a PNG file; and the start of what drawing pages needs. The tools that
// show pages share it (omrender, scoredump, pluginlayout).
#pragma once

#include "score/score_model.h"

// Page (from 1) at dpi dots per inch on white, into path. False when the paper at that
// resolution passes 30000 pixels a side or the file cannot be written.
bool EcritPagePNG(DocumentRecord *document, SInt16 page, int dpi, const char *path);

// Starts what page layout and drawing need, as the plug-in starts it: QuickDraw in plug-in mode
// on this thread, the engraver, the staff objects, the music font of fontPath (else the system's
// fonts are listed), page layout, and the output resolution dpi. False when the music font is
// not installed (pages are then drawn without it).
bool DemarrePages(const char *fontPath, SInt16 dpi);
void ArretePages();  // page layout, the staff objects and the engraver stopped

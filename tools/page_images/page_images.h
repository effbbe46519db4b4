// A page of a document laid out by page layout, drawn as the player draws it into a port at a
// resolution and written as a PNG file; the tools that show pages share it (omrender, scoredump).
#pragma once

#include "score/score_model.h"

// Page (from 1) at dpi dots per inch on white, into path. False when the paper at that
// resolution passes 30000 pixels a side or the file cannot be written.
bool EcritPagePNG(DocumentRecord *document, SInt16 page, int dpi, const char *path);

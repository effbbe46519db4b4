// Drawing a laid-out page of a document into the current port: the paper, the titles on the
// first page of music, the page's free objects, and per system the braces, brackets and lines of
// its part groups, the staff names, the first measure's number, each staff through the engraver
// then its staff objects (lyrics, chord symbols, texts) and graphics, and the bar lines of the
// groups that draw them through. Main thread only.
#pragma once

#include "graphics/pictures/pictures.h"
#include "score/score_model.h"

// Draws page (from 1) of the document at the output resolution times scale (not finite or 0
// or less: 1), its paper's top-left corner at the port's origin. The document is laid out first
// when it is not. A page outside 1..pageCount draws the paper only. shownPage and pageCount are
// the caller's, for the texts that show them; they do not choose what is drawn. paramErr
// without a document or a port.
OSErr TracePageDocument(DocumentRecord *document, SInt16 page, float scale, SInt16 shownPage, SInt16 pageCount);
// Records page as a picture in the current port: its frame the paper at the output resolution.
// Null without memory, a port or a document.
PicHandle CreePicturePage(DocumentRecord *document, SInt16 page);

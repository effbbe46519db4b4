// Writes a document's current score as a MusicXML "score-partwise" file, so that the player's
// tests and benchmarks can give other programs the same notes: one part per drawn staff (its
// names), part groups with their symbol and bar lines, the title and composer, and per measure
// the divisions, key, time and clef where they change, then the notes, rests and chords of
// each staff, a second voice where notes overlap. Main thread only.
#pragma once

#include "score/score_model.h"

// noErr, paramErr for a document without a score, ioErr when the file cannot be written.
OSErr EcritMusiqueXML(DocumentRecord *document, const char *path);

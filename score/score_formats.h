// The one table of score formats: rows {extensions, loader}, picked by the text after the last
// '.' of a document name without regard to case. Each format registers its row at start-up;
// the plug-in, the archive reader and the tools look rows up here. Main thread only.
#pragma once

#include "score/score_model.h"

enum : SInt32 { kMaxFormatsPartition = 16, kExtensionsParFormat = 4 };

struct ScoreFormatOps {
    const char *name;                                   // "MusicXML", "native" ...
    const char *extensions[kExtensionsParFormat];       // "xml", "musicxml"; unused slots null;
                                                        // "*" makes the row the one for any other name
    // Loads the file at path into the document (element: tune or member from 0, -1 the whole
    // file); true on success.
    Boolean (*load)(DocumentRecord *document, const char *path, SInt16 element);
};

// Registers a row (kept by address); a row of the same name replaces the earlier one.
// paramErr for a null row or a full table.
OSErr EnregistreFormatPartition(const ScoreFormatOps *row);
void OublieFormatsPartition();  // forgets every row (tests)
// The row for a document name: its extension's row, else the "*" row, else null.
const ScoreFormatOps *RechercheFormatPartition(const char *documentName);

// The one table of score formats: rows {extensions, loader}, picked by the text after the last
// '.' of a document name without regard to case. Each format registers its row at start-up;
// the plug-in, the archive reader and the tools look rows up here. Main thread only.
#pragma once

#include <cstdio>

#include "score/score_model.h"

enum : SInt32 { kMaxFormatsPartition = 16, kExtensionsParFormat = 4 };

// How a file of the format holds its documents.
enum FormatElements : UInt8 {
    kFormatUnDocument,  // one document
    kFormatMorceaux,    // tunes, loaded by number (from 0) until one fails; each named by its title
    kFormatMembres,     // members of a container, listed by the row's member slot
};

struct ScoreFormatOps {
    const char *name;                                   // "MusicXML", "native" ...
    const char *extensions[kExtensionsParFormat];       // "xml", "musicxml"; unused slots null;
                                                        // "*" makes the row the one for any other name
    // Loads the file at path into the document (element: tune or member from 0, -1 the whole
    // file); true on success.
    Boolean (*load)(DocumentRecord *document, const char *path, SInt16 element);
    FormatElements elements;
    // kFormatMembres: the name (nameSize bytes, without folders) and unpacked size of member
    // index (from 0) of the file at path; false past the last member or for a file that is no
    // container. Null for other rows.
    Boolean (*member)(const char *path, SInt16 index, char *name, size_t nameSize, UInt64 *size);
    // A packed document: writes the document that the file at path holds into out, which the
    // row of unpackedExtension then reads; false (the reason reported) when the file cannot be
    // unpacked or unpacks past the row's limit. Null for rows read as they are.
    Boolean (*unpack)(const char *path, FILE *out);
    const char *unpackedExtension;                      // "xml"; null without unpack
};

// Registers a row (kept by address); a row of the same name replaces the earlier one.
// paramErr for a null row or a full table.
OSErr EnregistreFormatPartition(const ScoreFormatOps *row);
void OublieFormatsPartition();  // forgets every row (tests)
// The row for a document name: its extension's row, else the "*" row, else null.
const ScoreFormatOps *RechercheFormatPartition(const char *documentName);

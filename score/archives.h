// Archives (docs/archive-format.md): zip containers of several documents, read through the zip
// reader (score/zip_reader.h) over the byte stream's current file. Members are counted in directory
// order with folders left out; a member's name keeps no folder, and no name ever becomes a
// path. Main thread only.
#pragma once

#include "score/score_model.h"

enum : SInt32 {
    kNomArqTaille = 256,           // bytes of a member's name with its zero
    kArqProfondeurMax = 4,         // archives loaded from within archives
};

struct ArqEntry {
    char name[kNomArqTaille];  // without its folders
    UInt64 size;               // bytes once taken out
};

// Opens the directory of the current file for GetInfoArq; false (with a trace line) when it is
// not a readable zip container.
Boolean BeginSeekArq();
Boolean GetInfoArq(SInt16 index, ArqEntry *entry);  // member index from 0; false outside
void EndSeekArq();
// Writes member index of the current file into the file at destination (created or replaced);
// false, with a trace line, for a bad index, a damaged member (its CRC checked) or one larger
// than kZipMembreMax. The destination is removed after a failure.
Boolean ExtraitFichierArq(SInt16 index, const char *destination);
// Loads member index into the document through the format table, from a fresh temporary file
// that keeps only the member's extension and is deleted afterwards. The archive is the current
// file again when it returns. True when the member's loader succeeded.
Boolean ChargeMusiqueArq(DocumentRecord *document, SInt16 index);

struct ScoreFormatOps;
extern const ScoreFormatOps kFormatArchive;  // "arq"

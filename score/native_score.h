// The native score file (docs/native-format.md): a 16-byte header, then chunks {tag, length,
// bytes}, the body optionally LZW-coded. Chunk kinds are rows of a registry: the score model's
// own rows are built in, later floors register theirs (page layouts, views, staff objects) and
// readers pass over the kinds they do not know. Read and written through the byte stream's
// current file. Main thread only.
// native_score.cpp: the header, the chunk loop and the registry. native_chunks.cpp: the
// model's rows.
#pragma once

#include "platform/core/byte_reader.h"
#include "score/score_model.h"

enum : UInt32 {
    kNatifMagique = FourCC("ZIDO"),
    kNatifMagiqueAncien = FourCC("EXPO"),   // accepted when reading
    kNatifMarque = FourCC("OMP1"),          // this project's layout
    kNatifVersion = 2200,                   // written; newer files are refused with notice 261
    kNatifCorpsLzw = 1,                     // flags bit 0: the body after the header is coded
    kNatifChunkMax = 64u << 20,             // bytes of one chunk kept in memory while it is read
    kMaxChunksNatifs = 32,                  // rows the registry holds beside the model's
};
enum : SInt16 { kAvertissementNouvelleVersion = 261 };

// A load in progress, as the chunk readers see it.
struct NativeLoadRecord {
    DocumentRecord *document;
    ScoreHandle score;          // the score being built (the document's current score)
    UInt32 version;             // the file's version
    DocumentRecord *fields;     // the document chunk's values, staged until the load succeeds
    const char *fault;          // the first format fault met, null while there is none
    UInt32 seen[kMaxChunksNatifs * 2];  // chunks met of each row, by row order
};

// A save in progress.
struct NativeSaveRecord {
    DocumentRecord *document;
    ScoreHandle score;
};

struct NativeChunkOps {
    OSType tag;
    const char *name;
    Boolean once;   // a second chunk of the kind is a format fault
    // Reads one chunk of length bytes from the byte stream (fewer: the rest is passed over;
    // more is a fault). noErr, or an error after FauteNatif.
    OSErr (*read)(NativeLoadRecord *load, UInt32 length);
    // Writes the kind's chunks for the score (EcritChunkNatif); false when writing failed.
    Boolean (*write)(NativeSaveRecord *save);
};

// Reads the byte stream's current file (a native score, at its start) into the document: a new
// score becomes its current score. True on success, with the measure table recomputed. A file
// of a newer version calls notice 261 and sets the document's newVersion; a 'ZIDO' or 'EXPO'
// file of another layout traces "unsupported native layout"; any other fault traces one line.
// On failure nothing of the file stays in the document.
Boolean ChargeMusiqueStandard(DocumentRecord *document);
// Writes the document's current score to the byte stream's current file (opened for writing),
// the body coded when lzw is set. For tools and fixtures. False when a byte could not be written.
Boolean SauveMusiqueStandard(DocumentRecord *document, Boolean lzw);

// Registers a chunk kind of a later floor (kept by address; a row of the same tag replaces
// it). paramErr for a null row, a tag of the model's or a full registry.
OSErr EnregistreChunkNatif(const NativeChunkOps *row);
void OublieChunksNatifs();  // forgets the registered rows (tests)

// For chunk readers: records the first fault (its text is traced once) and answers paramErr.
OSErr FauteNatif(NativeLoadRecord *load, const char *fault);
// Reads length bytes of the chunk into a new handle (grown as bytes arrive, so a length past
// the end costs no more than the bytes there are); null after FauteNatif. Caller disposes.
Handle LitOctetsNatif(NativeLoadRecord *load, UInt32 length);
// For chunk writers: the chunk's head and bytes.
Boolean EcritChunkNatif(OSType tag, const void *bytes, UInt32 length);

// The format table's row of native scores ("oms" and any name no other row claims); the
// archive row is registered beside it (score/archives.h).
extern const struct ScoreFormatOps kFormatNatif;
// Registers the native and archive rows in the format table.
OSErr EnregistreFormatsStockage();

// The model's rows (native_chunks.cpp), in the order they are written.
const NativeChunkOps *GetChunksModele(SInt32 *count);
// What a load stages for the document (native_chunks.cpp): a zeroed record of its own, whose
// stored fields move into the document when the load succeeds (its comment handle with them).
DocumentRecord *NouveauxChampsDocument();
void LibereChampsDocument(DocumentRecord **fields);
void AppliqueChampsDocument(DocumentRecord *fields, DocumentRecord *document);

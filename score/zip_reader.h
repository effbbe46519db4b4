// The one zip reader: minizip over the engine's files through one set of I/O callbacks, and a
// member read whole with its size bounded and its CRC checked. Storage's archives
// (score/archives.h) and the MusicXML importer's zip members (import/xml/zip_members.h) read
// through it. Main thread only.
#pragma once

#include <cstdio>
#include <minizip/unzip.h>

#include "platform/core/mac_types.h"

enum : SInt64 {
    // Bytes of a member taken out; a larger one is refused whatever the directory says, so that
    // a small archive cannot fill the disk or memory (the importer holds a member in memory).
    kZipMembreMax = SInt64(64) << 20,
};
enum : int {
    kZipSansMemoireErr = -104,      // the sink refused the bytes (no memory, disk full)
    kZipMembreTropGrandErr = -108,  // the member passes kZipMembreMax
};

// minizip's file functions: with file null, an archive is opened by its path through the
// engine's file opener (OuvreFichier: "rb" to read, "r+b" an existing file, "wb" a new one)
// and closed by minizip; with a file, minizip reads that open file and never closes it.
void RemplitFonctionsZip(zlib_filefunc64_def *functions, FILE *file);
// The archive at path, or over an open file (left open by unzClose); null when it is not a
// readable zip container (or path is null).
unzFile OuvreZipChemin(const char *path);
unzFile OuvreZipFichier(FILE *file);

// Where a member's reading stopped.
enum ZipEtape : UInt8 {
    kZipEtapeFinie,      // read whole: err UNZ_OK
    kZipEtapeTaille,     // the directory's size passes the limit: err kZipMembreTropGrandErr
    kZipEtapeOuverture,  // unzOpenCurrentFile failed: err is its
    kZipEtapeLecture,    // a read failed (err: minizip's) or passed the limit (kZipMembreTropGrandErr)
    kZipEtapeEcriture,   // the sink refused the bytes: err kZipSansMemoireErr
    kZipEtapeFermeture,  // unzCloseCurrentFile failed, or the CRC of what was read differs (UNZ_CRCERROR)
};
struct ZipLectureRecord {
    ZipEtape etape;
    int err;       // UNZ_OK when the member was read whole
    UInt64 total;  // bytes read and handed to the sink
};

// Hands bytes of the member to their destination; false refuses them (the reading stops).
typedef Boolean (*ZipPuitsProc)(void *sink, const UInt8 *bytes, UInt32 count);

// Reads the current member of zip through sink, block by block. The directory's size is
// checked against kZipMembreMax before anything is read (all ones stands for a size kept in a
// zip64 record, which minizip does not always find, and passes), the bytes again while reading,
// and the CRC of what was read against the directory's: minizip checks the CRC only when the
// directory's size is reached, so a member whose sizes lie would pass. Answers err.
int LitMembreZip(unzFile zip, ZipPuitsProc sink, void *destination, ZipLectureRecord *result);

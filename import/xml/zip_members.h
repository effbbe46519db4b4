// Members of zip containers (compressed MusicXML) extracted whole into handles through the zip
// reader (score/zip_reader.h), and the writer of one member into an archive open for writing.
// Messages go to the trace (PlugTrace).
#pragma once

#include "platform/core/mac_types.h"
#include "score/zip_reader.h"

enum : SInt32 {
    kZipNameSize = 256,                  // bytes of a member name with its terminator
    kZipReadBlockSize = 8192,            // bytes a member's handle starts with
    kZipWriteBlockSize = 16384,          // bytes of a source file written at a time
    kZipNoMemoryErr = kZipSansMemoireErr,          // a buffer or the handle could not be had
    kZipMemberTooLargeErr = kZipMembreTropGrandErr,  // the member passes kZipMembreMax
};

// A new handle holding exactly the bytes of the member of that name (directories included);
// null when the archive or the member is missing, damaged or larger than kZipMembreMax.
// Dispose with DisposeZipHandle.
Handle UnzipFile(const char *path, const char *member);
// The same for the member at index in directory order; name (kZipNameSize bytes) receives its
// full name, cut to fit. Null for an index outside 0..entries-1.
Handle UnzipFileIndex(const char *path, SInt16 index, char *name);
void DisposeZipHandle(Handle h);  // null accepted
// Adds a member deflated at level 9 to archive (minizip's zipFile): length bytes of data, or
// when data is null the whole file at source. 0 or a negative error.
int AddFileInZipArchive(void *archive, const char *source, const char *member, const void *data, SInt32 length);
// minizip's file functions over the engine's file opener, for archives opened by others: the
// zip reader's (RemplitFonctionsZip without a file).
void FillZipFileFunctions(zlib_filefunc64_def *functions);

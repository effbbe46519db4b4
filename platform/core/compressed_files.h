// Turning compressed files into plain ones with zlib: a stream inflater, zlib data at an offset
// of a file, and a gzip (or plain) file copier. Results are zlib's codes or the ones below.
#pragma once

#include <cstdio>

#include "platform/core/mac_types.h"

enum : int {
    kZShortWrite = -13,       // ZDecompress: the output stream took fewer bytes than given
    kZSourceNotOpened = -10,  // ZLibDecompress
    kZDestinationNotOpened = -11,
    kZNoMemory = -12,
    kZWorkBufferSize = 102400,   // ZLibDecompress's output area
    kGzipBlockSize = 204800,     // ZLibDecompressWithHeader's read size
};

// Inflates zlib-wrapped data into output, workSize bytes at a time through work.
int ZDecompress(FILE *output, void *work, SInt32 *workSize, const void *data, SInt32 length);
// Inflates the zlib data found at offset of source into a new destination file.
int ZLibDecompress(const char *source, const char *destination, SInt32 offset);
// Copies a gzip file's contents (a file without a gzip header unchanged) to output, which is
// always closed: 0; -1 no output, unreadable or bad data; -2 short write; -3 closing failed.
int ZLibDecompressWithHeader(const char *source, FILE *output);

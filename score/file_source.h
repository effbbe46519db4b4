// A file read through a buffer and the bounded byte cursor: the byte stream and the tagged text
// both read their current file this way. The file's own position runs ahead of what was taken
// by the bytes still in the buffer; RendNonLuSource gives them back before the file is handed on.
#pragma once

#include <cstdio>

#include "platform/core/byte_reader.h"

enum : SInt32 { kTamponSourceFichier = 65536 };  // bytes read from the file at a time

struct SourceFichier {
    FILE *file;        // the caller's; null: no file (every read is at the end)
    UInt8 *buffer;     // kTamponSourceFichier bytes, owned (malloc), made on the first fill
    ByteReader view;   // over the bytes of the last fill
    SInt64 base;       // bytes of the file before view.bytes[0]
    Boolean ended;     // the file gave no more bytes (end or error)
};

void OuvreSource(SourceFichier *source, FILE *file);  // starts at the file's position
// Reads the next bytes into the buffer when the view is used up; false at the end of the file
// or without memory for the buffer (then ended is set).
Boolean RemplitSource(SourceFichier *source);
SInt64 PositionSource(const SourceFichier *source);  // bytes of the file taken so far
// Moves the file back over the bytes not yet taken (when it can seek) and empties the view, so
// that the file's position is what was taken.
void RendNonLuSource(SourceFichier *source);
void FermeSource(SourceFichier *source);  // frees the buffer; the file is left to its owner

// The bounded byte cursor and the growing byte writer that the sound bank's stored formats
// (bank resources, sample files, SF2 files) go through. Reading past the end sets failed,
// answers 0 and never touches a byte outside the buffer; failed stays set. Any thread.
#pragma once

#include <cstddef>

#include "platform/core/mac_types.h"

struct SoundByteCursor {
    const UInt8 *bytes;  // not owned
    size_t size;         // bytes readable from bytes
    size_t position;     // next byte to read, never above size
    bool failed;         // a read or skip went past the end
};

SoundByteCursor SoundCursor(const void *bytes, size_t size);
UInt8 SoundGet8(SoundByteCursor *c);
UInt16 SoundGet16(SoundByteCursor *c);     // big-endian
UInt32 SoundGet32(SoundByteCursor *c);     // big-endian
UInt16 SoundGet16LE(SoundByteCursor *c);
UInt32 SoundGet32LE(SoundByteCursor *c);
void SoundSkip(SoundByteCursor *c, size_t count);  // past the end: failed, position at the end
// Copies count bytes into out (zero-filled where the buffer ends; failed set then).
void SoundGetBytes(SoundByteCursor *c, void *out, size_t count);
// A sub-cursor over the next count bytes (cut at the end, failed set then); c moves past them.
SoundByteCursor SoundSubCursor(SoundByteCursor *c, size_t count);
size_t SoundBytesLeft(const SoundByteCursor *c);

// Bytes written into a memory-manager Ptr grown on demand; failed once an allocation fails
// (later writes do nothing). Caller disposes data with DisposPtr.
struct SoundByteWriter {
    Ptr data;
    size_t size;
    size_t capacity;
    bool failed;
};

SoundByteWriter SoundWriter();
void SoundPut8(SoundByteWriter *w, UInt8 value);
void SoundPut16(SoundByteWriter *w, UInt16 value);  // big-endian
void SoundPut32(SoundByteWriter *w, UInt32 value);  // big-endian
void SoundPutBytes(SoundByteWriter *w, const void *bytes, size_t count);
void SoundWriterDispose(SoundByteWriter *w);        // frees data and clears the record

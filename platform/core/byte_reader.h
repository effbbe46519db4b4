// The one bounded cursor every parser of stored bytes reads through, and its writer into a
// growing handle. Stored formats are big-endian unless a name ends in LE. A read past the end
// sets failed (and it stays set), answers 0, reads nothing outside the buffer and leaves the
// cursor at the end; so a parser may read a whole record and look at failed once. Any thread,
// one cursor per reader.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/core/mac_types.h"

struct ByteReader {
    const UInt8 *bytes;  // the caller's buffer; it outlives the cursor
    size_t size;         // bytes in the buffer
    size_t position;     // the next byte read, 0..size
    Boolean failed;      // a read or seek went past the end
};

inline ByteReader OrvaByteReader(const void *bytes, size_t size) {
    return ByteReader{static_cast<const UInt8 *>(bytes), bytes ? size : 0, 0, kFalse};
}

inline size_t ByteReaderLeft(const ByteReader *r) { return r->size - r->position; }

// The next count bytes, the cursor moved past them; null (and failed) when fewer remain.
inline const UInt8 *TakeBytes(ByteReader *r, size_t count) {
    if (count > r->size - r->position) {
        r->failed = kTrue;
        r->position = r->size;
        return nullptr;
    }
    const UInt8 *at = r->bytes + r->position;
    r->position += count;
    return at;
}

inline UInt8 Get8(ByteReader *r) {
    const UInt8 *p = TakeBytes(r, 1);
    return p ? p[0] : 0;
}

inline UInt16 Get16(ByteReader *r) {
    const UInt8 *p = TakeBytes(r, 2);
    return p ? UInt16(p[0] << 8 | p[1]) : 0;
}

inline UInt32 Get24(ByteReader *r) {
    const UInt8 *p = TakeBytes(r, 3);
    return p ? UInt32(p[0]) << 16 | UInt32(p[1]) << 8 | p[2] : 0;
}

inline UInt32 Get32(ByteReader *r) {
    const UInt8 *p = TakeBytes(r, 4);
    if (!p) return 0;
    UInt32 v;
    memcpy(&v, p, 4);
    return __builtin_bswap32(v);
}

inline UInt16 Get16LE(ByteReader *r) {
    const UInt8 *p = TakeBytes(r, 2);
    return p ? UInt16(p[0] | p[1] << 8) : 0;
}

inline UInt32 Get32LE(ByteReader *r) {
    const UInt8 *p = TakeBytes(r, 4);
    if (!p) return 0;
    UInt32 v;
    memcpy(&v, p, 4);
    return v;
}

inline void Skip(ByteReader *r, size_t count) { TakeBytes(r, count); }

// Copies the next count bytes into out; when fewer remain it copies those, zeroes the rest of
// out and answers false.
inline Boolean Bytes(ByteReader *r, void *out, size_t count) {
    size_t left = ByteReaderLeft(r), copied = count < left ? count : left;
    if (copied) memcpy(out, r->bytes + r->position, copied);
    if (copied < count) memset(static_cast<UInt8 *>(out) + copied, 0, count - copied);
    TakeBytes(r, count);
    return copied == count;
}

// Moves the cursor to an absolute position; past the end it fails and stands at the end.
inline void Seek(ByteReader *r, size_t position) {
    if (position > r->size) {
        r->failed = kTrue;
        position = r->size;
    }
    r->position = position;
}

// A cursor over the next count bytes, the cursor itself moved past them. When fewer remain
// it holds those (a chunk that claims more than the data keeps what is there) and the outer
// cursor fails.
inline ByteReader SubReader(ByteReader *r, size_t count) {
    size_t left = ByteReaderLeft(r);
    ByteReader sub = OrvaByteReader(r->bytes ? r->bytes + r->position : nullptr, count < left ? count : left);
    TakeBytes(r, count);
    return sub;
}

// Appends to a handle, growing it as it goes (the memory manager may move it: keep offsets,
// not pointers, across puts). When memory runs out failed is set and later puts do nothing.
struct ByteWriter {
    Handle handle;    // the caller's; it keeps it
    size_t size;      // bytes written
    size_t capacity;  // the handle's size now, at least size
    Boolean failed;   // no memory for a put
};

// Writes from offset from on, keeping the bytes before it; a null handle or an offset past its
// end fails.
ByteWriter OrvaByteWriter(Handle handle, size_t from = 0);
void Put8(ByteWriter *w, UInt32 value);
void Put16(ByteWriter *w, UInt32 value);
void Put24(ByteWriter *w, UInt32 value);
void Put32(ByteWriter *w, UInt32 value);
void Put16LE(ByteWriter *w, UInt32 value);
void Put32LE(ByteWriter *w, UInt32 value);
void PutBytes(ByteWriter *w, const void *bytes, size_t count);
// Gives the handle exactly the bytes written; false when a put failed (the handle then holds
// what was written before).
Boolean FinishByteWriter(ByteWriter *w);

// The byte writer: a handle grown by doubling, trimmed at the end.
#include "platform/core/byte_reader.h"

#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

constexpr size_t kFirstCapacity = 64;
constexpr size_t kMaxHandleBytes = 0x7FFFFFFF;  // handle sizes are 32-bit and signed in places

UInt8 *Room(ByteWriter *w, size_t count);

}  // namespace

ByteWriter OrvaByteWriter(Handle handle, size_t from) {
    ByteWriter w{handle, from, handle ? size_t(GetHandleSize(handle)) : 0, kFalse};
    if (!handle || from > w.capacity) w.failed = kTrue;
    return w;
}

void Put8(ByteWriter *w, UInt32 value) {
    if (UInt8 *p = Room(w, 1)) p[0] = UInt8(value);
}

void Put16(ByteWriter *w, UInt32 value) {
    if (UInt8 *p = Room(w, 2)) p[0] = UInt8(value >> 8), p[1] = UInt8(value);
}

void Put24(ByteWriter *w, UInt32 value) {
    if (UInt8 *p = Room(w, 3)) p[0] = UInt8(value >> 16), p[1] = UInt8(value >> 8), p[2] = UInt8(value);
}

void Put32(ByteWriter *w, UInt32 value) {
    if (UInt8 *p = Room(w, 4)) p[0] = UInt8(value >> 24), p[1] = UInt8(value >> 16), p[2] = UInt8(value >> 8), p[3] = UInt8(value);
}

void Put16LE(ByteWriter *w, UInt32 value) {
    if (UInt8 *p = Room(w, 2)) p[0] = UInt8(value), p[1] = UInt8(value >> 8);
}

void Put32LE(ByteWriter *w, UInt32 value) {
    if (UInt8 *p = Room(w, 4)) p[0] = UInt8(value), p[1] = UInt8(value >> 8), p[2] = UInt8(value >> 16), p[3] = UInt8(value >> 24);
}

void PutBytes(ByteWriter *w, const void *bytes, size_t count) {
    if (count == 0) return;
    if (UInt8 *p = Room(w, count)) memcpy(p, bytes, count);
}

Boolean FinishByteWriter(ByteWriter *w) {
    if (w->handle && w->capacity != w->size) {
        SetHandleSize(w->handle, UInt32(w->size));  // shrinking cannot fail
        w->capacity = w->size;
    }
    return !w->failed;
}

namespace {

// Where the next count bytes go, the writer moved past them; null once memory has run out.
UInt8 *Room(ByteWriter *w, size_t count) {
    if (w->failed) return nullptr;
    if (count > kMaxHandleBytes - w->size) {
        w->failed = kTrue;
        return nullptr;
    }
    if (w->size + count > w->capacity) {
        size_t grown = w->capacity < kFirstCapacity ? kFirstCapacity : w->capacity;
        while (grown < w->size + count) grown = grown > kMaxHandleBytes / 2 ? kMaxHandleBytes : grown * 2;
        SetHandleSize(w->handle, UInt32(grown));
        if (MemError() != noErr) {
            w->failed = kTrue;
            return nullptr;
        }
        w->capacity = grown;
    }
    UInt8 *at = reinterpret_cast<UInt8 *>(*w->handle) + w->size;
    w->size += count;
    return at;
}

}  // namespace

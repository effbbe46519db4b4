#include "sound/sound_bytes.h"

#include <cstring>

#include "platform/core/memory.h"

static bool Take(SoundByteCursor *c, size_t count);
static bool Reserve(SoundByteWriter *w, size_t extra);

SoundByteCursor SoundCursor(const void *bytes, size_t size) {
    SoundByteCursor c;
    c.bytes = static_cast<const UInt8 *>(bytes);
    c.size = bytes ? size : 0;
    c.position = 0;
    c.failed = false;
    return c;
}

UInt8 SoundGet8(SoundByteCursor *c) { return Take(c, 1) ? c->bytes[c->position - 1] : 0; }

UInt16 SoundGet16(SoundByteCursor *c) {
    if (!Take(c, 2)) return 0;
    const UInt8 *p = c->bytes + c->position - 2;
    return UInt16(p[0] << 8 | p[1]);
}

UInt32 SoundGet32(SoundByteCursor *c) {
    if (!Take(c, 4)) return 0;
    const UInt8 *p = c->bytes + c->position - 4;
    return UInt32(p[0]) << 24 | UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
}

UInt16 SoundGet16LE(SoundByteCursor *c) {
    if (!Take(c, 2)) return 0;
    const UInt8 *p = c->bytes + c->position - 2;
    return UInt16(p[1] << 8 | p[0]);
}

UInt32 SoundGet32LE(SoundByteCursor *c) {
    if (!Take(c, 4)) return 0;
    const UInt8 *p = c->bytes + c->position - 4;
    return UInt32(p[3]) << 24 | UInt32(p[2]) << 16 | UInt32(p[1]) << 8 | p[0];
}

void SoundSkip(SoundByteCursor *c, size_t count) {
    if (!Take(c, count)) c->position = c->size;
}

void SoundGetBytes(SoundByteCursor *c, void *out, size_t count) {
    size_t available = SoundBytesLeft(c) < count ? SoundBytesLeft(c) : count;
    if (available) memcpy(out, c->bytes + c->position, available);
    if (available < count) memset(static_cast<UInt8 *>(out) + available, 0, count - available);
    SoundSkip(c, count);
}

SoundByteCursor SoundSubCursor(SoundByteCursor *c, size_t count) {
    size_t available = SoundBytesLeft(c) < count ? SoundBytesLeft(c) : count;
    SoundByteCursor sub = SoundCursor(c->bytes + c->position, available);
    SoundSkip(c, count);
    return sub;
}

size_t SoundBytesLeft(const SoundByteCursor *c) { return c->size - c->position; }

SoundByteWriter SoundWriter() {
    SoundByteWriter w;
    w.data = nullptr;
    w.size = w.capacity = 0;
    w.failed = false;
    return w;
}

void SoundPut8(SoundByteWriter *w, UInt8 value) { SoundPutBytes(w, &value, 1); }

void SoundPut16(SoundByteWriter *w, UInt16 value) {
    UInt8 b[2] = {UInt8(value >> 8), UInt8(value)};
    SoundPutBytes(w, b, 2);
}

void SoundPut32(SoundByteWriter *w, UInt32 value) {
    UInt8 b[4] = {UInt8(value >> 24), UInt8(value >> 16), UInt8(value >> 8), UInt8(value)};
    SoundPutBytes(w, b, 4);
}

void SoundPutBytes(SoundByteWriter *w, const void *bytes, size_t count) {
    if (!count || !Reserve(w, count)) return;
    memcpy(w->data + w->size, bytes, count);
    w->size += count;
}

void SoundWriterDispose(SoundByteWriter *w) {
    if (w->data) DisposPtr(w->data);
    *w = SoundWriter();
}

// Moves the cursor over count bytes when they are all there; otherwise marks it failed.
static bool Take(SoundByteCursor *c, size_t count) {
    if (c->failed || count > c->size - c->position) {
        c->failed = true;
        return false;
    }
    c->position += count;
    return true;
}

static bool Reserve(SoundByteWriter *w, size_t extra) {
    if (w->failed) return false;
    if (w->size + extra <= w->capacity) return true;
    size_t capacity = w->capacity ? w->capacity : 256;
    while (capacity < w->size + extra) capacity *= 2;
    if (capacity > 0x7FFFFFFF) {
        w->failed = true;
        return false;
    }
    Ptr grown = NewPtr(UInt32(capacity));
    if (!grown) {
        w->failed = true;
        return false;
    }
    if (w->size) memcpy(grown, w->data, w->size);
    if (w->data) DisposPtr(w->data);
    w->data = grown;
    w->capacity = capacity;
    return true;
}

// Byte-order swaps and block helpers.
#include "platform/core/byte_order.h"

#include <cstring>

UInt16 wintel2moto(UInt16 value) { return UInt16((value >> 8) | (value << 8)); }

UInt32 lintel2moto(UInt32 value) {
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

UInt32 long_to_os(UInt32 value) { return lintel2moto(value); }

void rintel2moto(Rect *r) {
    if (!r) return;
    r->top = SInt16(wintel2moto(UInt16(r->top)));
    r->left = SInt16(wintel2moto(UInt16(r->left)));
    r->bottom = SInt16(wintel2moto(UInt16(r->bottom)));
    r->right = SInt16(wintel2moto(UInt16(r->right)));
}

void ZoneWintel2moto(void *block, SInt32 byteCount) {
    if (!block || byteCount < 2) return;
    UInt8 *p = (UInt8 *)block;
    for (SInt32 i = 0; i + 1 < byteCount; i += 2) {
        UInt8 t = p[i];
        p[i] = p[i + 1];
        p[i + 1] = t;
    }
}

void ZoneLintel2moto(void *block, SInt32 byteCount) {
    if (!block || byteCount < 4) return;
    UInt8 *p = (UInt8 *)block;
    for (SInt32 i = 0; i + 3 < byteCount; i += 4) {
        UInt8 a = p[i], b = p[i + 1];
        p[i] = p[i + 3];
        p[i + 1] = p[i + 2];
        p[i + 2] = b;
        p[i + 3] = a;
    }
}

void *FastMemCpy(void *dst, const void *src, SInt32 count) {
    if (dst && src && count > 0) std::memmove(dst, src, size_t(count));
    return dst;
}

const void *Blitte(void *dst, const void *src, SInt32 count) {
    if (!src || count <= 0) return src;
    if (dst) std::memmove(dst, src, size_t(count));
    return (const UInt8 *)src + count;
}

void *RemplitZone(void *p, SInt32 count, UInt8 value) {
    if (!p || count <= 0) return p;
    std::memset(p, value, size_t(count));
    return (UInt8 *)p + count;
}

// Plain resizing in the blitter, smooth resizing by bilinear resampling weighted by opacity,
// and zoom by percentages.
#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/images/images.h"
#include "graphics/quickdraw/transfer.h"
#include "platform/core/memory.h"

namespace {

// One row sample of the smooth resize: straight colour and its weight.
struct SampleRecord {
    UInt8 blue, green, red;
    UInt8 weight;
};

// Where a column samples the source rows: the same for every row, so worked out once.
struct ColumnRecord {
    SInt32 x0;     // left neighbour
    float f;       // fraction towards the right one
    bool inside;   // false when the column lies beyond the source
};

}  // namespace

static Ptr ScalePlane(Offscreen image, const Rect *bounds, const Rect *rect);
static SampleRecord RowSample(const UInt8 *base, SInt32 rowBytes, const UInt8 *plane, SInt32 width,
                              SInt32 height, SInt32 row, const ColumnRecord &column);

Offscreen OffscreenResize(Offscreen image, const Rect *rect) {
    Rect bounds;
    Ptr base = nullptr;
    if (!image || !rect || rect->right < 1 || rect->bottom < 1) return nullptr;
    if (rect->right > kOffscreenMaxSize || rect->bottom > kOffscreenMaxSize) return nullptr;
    OffscreenGetInfo(image, &bounds, &base, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!base || bounds.right < 1) return nullptr;
    Rect size = {0, 0, rect->bottom, rect->right};
    GrafPtr saved;
    GetPort(&saved);
    Ptr plane = nullptr;
    if (image->opacity) {
        plane = ScalePlane(image, &bounds, &size);
        if (!plane) return nullptr;
    }
    Offscreen result = OrvaCreatePortOffscreen(size.right, size.bottom, 24);
    if (!result) {
        if (plane) DisposePtr(plane);
        return nullptr;
    }
    SetPort(result);
    // The colours are scaled straight: the plane is scaled on its own.
    Ptr own = image->opacity;
    image->opacity = nullptr;
    CopyDeepMask(&image->portBits, nullptr, &result->portBits, &bounds, nullptr, &size, 64, nullptr);
    image->opacity = own;
    if (result->opacity) DisposePtr(result->opacity);
    result->opacity = plane;
    SetPort(saved);
    return result;
}

Offscreen OffscreenSmoothResize(Offscreen image, float newWidth, float newHeight) {
    Rect bounds;
    Ptr pixels = nullptr, plane = nullptr;
    SInt16 rowBytes = 0;
    if (!image) return nullptr;
    // Not positive (NaN included) or too large: no finite step or no image.
    if (!(newWidth > 0.0f) || !(newHeight > 0.0f)) return nullptr;
    if (!(newWidth + 1.0f < float(kOffscreenMaxSize + 1)) || !(newHeight + 1.0f < float(kOffscreenMaxSize + 1)))
        return nullptr;
    OffscreenGetInfo(image, &bounds, &pixels, &rowBytes, nullptr, &plane, nullptr, nullptr);
    if (!pixels) return nullptr;  // without a plane the image is opaque
    SInt32 width = bounds.right, height = bounds.bottom;
    Rect size = {0, 0, SInt16(SInt32(newHeight + 1.0f)), SInt16(SInt32(newWidth + 1.0f))};
    Offscreen result = OffscreenCreate(&size);
    if (!result) return nullptr;
    Ptr outPixels = nullptr, outPlane = nullptr;
    SInt16 outRowBytes = 0;
    OffscreenGetInfo(result, nullptr, &outPixels, &outRowBytes, nullptr, &outPlane, nullptr, nullptr);
    const UInt8 *base = (const UInt8 *)pixels, *alpha = (const UInt8 *)plane;
    float stepX = float(width) / newWidth, stepY = float(height) / newHeight;
    // The column positions step by repeated addition, as the rows do.
    std::vector<ColumnRecord> columns(size_t(size.right));
    float sx = 0.0f;
    for (SInt32 i = 0; i < size.right; i++, sx += stepX) {
        ColumnRecord &c = columns[size_t(i)];
        c.inside = !(sx < -1.0f || sx >= float(width));
        float floorX = c.inside ? std::floor(sx) : 0.0f;
        c.x0 = SInt32(floorX);
        c.f = sx - floorX;
    }
    float sy = 0.0f;
    for (SInt32 j = 0; j < size.bottom; j++, sy += stepY) {
        UInt8 *q = (UInt8 *)outPixels + SInt64(j) * outRowBytes;
        UInt8 *qa = (UInt8 *)outPlane + SInt64(j) * size.right;
        float floorY = std::floor(sy), fy = sy - floorY;
        SInt32 y0 = SInt32(floorY);
        for (SInt32 i = 0; i < size.right; i++, q += 4) {
            SampleRecord a = RowSample(base, rowBytes, alpha, width, height, y0, columns[size_t(i)]);
            if (fy == 0.0f) {
                q[0] = a.blue;
                q[1] = a.green;
                q[2] = a.red;
                qa[i] = a.weight;
                continue;
            }
            SampleRecord b = RowSample(base, rowBytes, alpha, width, height, y0 + 1, columns[size_t(i)]);
            float w0 = float(a.weight) * (1.0f - fy), w1 = float(b.weight) * fy, sum = w0 + w1;
            if (sum == 0.0f) {
                q[0] = q[1] = q[2] = 0;
                qa[i] = 0;
                continue;
            }
            q[0] = UInt8(SInt32((float(a.blue) * w0 + float(b.blue) * w1) / sum));
            q[1] = UInt8(SInt32((float(a.green) * w0 + float(b.green) * w1) / sum));
            q[2] = UInt8(SInt32((float(a.red) * w0 + float(b.red) * w1) / sum));
            qa[i] = UInt8(SInt32(sum));
        }
    }
    return result;
}

Offscreen OffscreenZoom(Offscreen image, float percentX, float percentY, UInt8 smooth) {
    Rect bounds;
    if (!image) return nullptr;
    OffscreenGetInfo(image, &bounds, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    float width = float(bounds.right) * percentX / 100.0f, height = float(bounds.bottom) * percentY / 100.0f;
    if (smooth) return OffscreenSmoothResize(image, width, height);
    // Only sizes the port can have are converted; the rest (NaN included) answer null.
    if (!(width >= 1.0f && width < float(kOffscreenMaxSize + 1)) ||
        !(height >= 1.0f && height < float(kOffscreenMaxSize + 1)))
        return nullptr;
    Rect rect = {0, 0, SInt16(SInt32(height)), SInt16(SInt32(width))};
    return OffscreenResize(image, &rect);
}

// The plane scaled as a grey picture in the blitter; null without memory.
static Ptr ScalePlane(Offscreen image, const Rect *bounds, const Rect *rect) {
    GrafPtr saved;
    GetPort(&saved);
    SInt32 width = bounds->right, height = bounds->bottom;
    Ptr grey = NewPtrClear(UInt32(width * height * 4));
    if (!grey) return nullptr;
    const UInt8 *alpha = (const UInt8 *)image->opacity;
    for (SInt32 i = 0; i < width * height; i++) std::memset(grey + i * 4, alpha[i], 3);
    PixMap map;
    std::memset(&map, 0, sizeof map);
    map.baseAddr = grey;
    map.rowBytes = SInt16((width * 4) | 0x8000);
    map.bounds = *bounds;
    map.pixelSize = 24;
    map.cmpCount = 3;
    Ptr plane = nullptr;
    GrafPtr temporary = OrvaCreatePortOffscreen(rect->right, rect->bottom, 24);
    if (temporary) plane = NewPtrClear(UInt32(rect->right) * UInt32(rect->bottom));
    if (plane) {
        SetPort(temporary);
        CopyDeepMask((const BitMap *)&map, nullptr, &temporary->portBits, bounds, nullptr, rect, 64, nullptr);
        Rect b;
        SInt32 rowBytes = 0;
        const UInt8 *pixels = (const UInt8 *)OrvaGetInfoOffscreen(temporary, &b, &rowBytes, nullptr);
        for (SInt32 y = 0; y < rect->bottom; y++)
            for (SInt32 x = 0; x < rect->right; x++)
                plane[y * rect->right + x] = char(pixels[SInt64(y) * rowBytes + x * 4]);
    }
    OrvaClosePortOffscreen(temporary);
    DisposePtr(grey);
    SetPort(saved);
    return plane;
}

// The sample at row and position sx, weighted by the opacity of its two neighbours.
static SampleRecord RowSample(const UInt8 *base, SInt32 rowBytes, const UInt8 *plane, SInt32 width,
                              SInt32 height, SInt32 row, const ColumnRecord &column) {
    SampleRecord sample = {0, 0, 0, 0};
    if (row < 0 || row >= height || !column.inside) return sample;
    float f = column.f;
    SInt32 x0 = column.x0;
    const UInt8 *line = base + SInt64(row) * rowBytes, *alpha = plane ? plane + SInt64(row) * width : nullptr;
    UInt8 c0[3] = {0, 0, 0}, c1[3] = {0, 0, 0};
    float a0 = 0.0f, a1 = 0.0f;
    if (x0 >= 0 && x0 < width) {
        std::memcpy(c0, line + x0 * 4, 3);
        a0 = alpha ? alpha[x0] : 255;
    }
    if (x0 + 1 >= 0 && x0 + 1 < width) {
        std::memcpy(c1, line + (x0 + 1) * 4, 3);
        a1 = alpha ? alpha[x0 + 1] : 255;
    }
    float w0 = a0 * (1.0f - f), w1 = a1 * f, sum = w0 + w1;
    if (sum == 0.0f) return sample;
    sample.blue = UInt8(SInt32((float(c0[0]) * w0 + float(c1[0]) * w1) / sum));
    sample.green = UInt8(SInt32((float(c0[1]) * w0 + float(c1[1]) * w1) / sum));
    sample.red = UInt8(SInt32((float(c0[2]) * w0 + float(c1[2]) * w1) / sum));
    sample.weight = UInt8(SInt32(sum));
    return sample;
}

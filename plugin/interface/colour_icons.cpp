// Colour icons from their resources, drawn through an image and a grey mask.
#include "plugin/interface/colour_icons.h"

#include <cstring>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/transfer.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "plugin/interface/port_pixels.h"
#include "plugin/interface/shading.h"

static Boolean RemplitImages(const PlugCIcon *icon, GrafPtr image, GrafPtr mask);

PlugCIcon *PlugGetCIcon(SInt16 id) {
    Handle resource = GetResource(FourCC("cicn"), id);
    if (!resource || !*resource) return nullptr;
    UInt32 size = GetHandleSize(resource);
    PlugCIcon *icon = reinterpret_cast<PlugCIcon *>(NewPtrClear(sizeof(PlugCIcon)));
    if (icon) icon->bytes = NewPtr(size);
    if (!icon || !icon->bytes) {
        PlugDisposCIcon(&icon);
        return nullptr;
    }
    BlockMove(*resource, icon->bytes, SInt32(size));
    icon->size = size;
    const UInt8 *bytes = reinterpret_cast<const UInt8 *>(icon->bytes);
    if (!OrvaReadColorIcon(bytes, size, &icon->layout)) {
        PlugDisposCIcon(&icon);
        return nullptr;
    }
    const Rect &bounds = icon->layout.map.bounds;
    icon->width = SInt16(bounds.right - bounds.left);
    icon->height = SInt16(bounds.bottom - bounds.top);
    if (icon->width < 1 || icon->height < 1) PlugDisposCIcon(&icon);
    return icon;
}

void PlugPlotCIcon(const Rect *rect, const PlugCIcon *icon) {
    GrafPtr port = qd.thePort;
    if (!icon || !rect || !port || EmptyRect(rect)) return;
    GrafPtr image = OrvaCreatePortOffscreen(icon->width, icon->height, 24);
    GrafPtr mask = OrvaCreatePortOffscreen(icon->width, icon->height, 24);
    if (image && mask && RemplitImages(icon, image, mask)) {
        Rect source = {0, 0, icon->height, icon->width};
        RGBColor fore, back;
        GetForeColor(&fore);
        GetBackColor(&back);
        PlugForeBlack();
        PlugBackWhite();
        CopyDeepMask(&image->portBits, &mask->portBits, &port->portBits, &source, &source, rect, srcCopy, nullptr);
        RGBForeColor(&fore);
        RGBBackColor(&back);
    }
    OrvaClosePortOffscreen(image);
    OrvaClosePortOffscreen(mask);
}

void PlugDisposCIcon(PlugCIcon **icon) {
    if (!icon || !*icon) return;
    if ((*icon)->bytes) DisposPtr((*icon)->bytes);
    DisposPtr(reinterpret_cast<Ptr>(*icon));
    *icon = nullptr;
}

Boolean PlugCIconMasked(const PlugCIcon *icon, SInt32 x, SInt32 y) {
    if (!icon || x < 0 || y < 0 || x >= icon->width || y >= icon->height) return kFalse;
    return OrvaColorIconMasked(reinterpret_cast<const UInt8 *>(icon->bytes), &icon->layout, x, y);
}

// The icon's colours into one 24-bit image and its mask into another: black where the icon is
// (the transfer takes the image there), white elsewhere (the port keeps its pixels).
static Boolean RemplitImages(const PlugCIcon *icon, GrafPtr image, GrafPtr mask) {
    PlugPixels pixels, levels;
    if (!PlugBeginPixels(image, &pixels) || !PlugBeginPixels(mask, &levels)) return kFalse;
    const UInt8 *bytes = reinterpret_cast<const UInt8 *>(icon->bytes);
    for (SInt32 y = 0; y < icon->height; y++) {
        UInt8 *pixel = PlugPixelAt(pixels, 0, y), *level = PlugPixelAt(levels, 0, y);
        for (SInt32 x = 0; x < icon->width; x++, pixel += 4, level += 4) {
            SInt32 index = OrvaColorIconIndex(bytes, &icon->layout, x, y);
            RGBColor rgb = OrvaColorIconEntry(bytes, &icon->layout, index < icon->layout.colorCount ? index : 0);
            pixel[0] = UInt8(rgb.blue >> 8);
            pixel[1] = UInt8(rgb.green >> 8);
            pixel[2] = UInt8(rgb.red >> 8);
            UInt8 grey = OrvaColorIconMasked(bytes, &icon->layout, x, y) ? 0 : 255;
            level[0] = level[1] = level[2] = grey;
        }
    }
    PlugEndPixels(image, nullptr);
    PlugEndPixels(mask, nullptr);
    return kTrue;
}

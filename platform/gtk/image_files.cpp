// Offscreen ports to PNG files and image files of any format the desktop reads to images with
// an opacity plane. Everything goes through memory and the caller's stream: no temporary file.
#include <cairo.h>
#include <gdk/gdk.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <strings.h>

#include "graphics/images/images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/utf_text.h"
#include "platform/core/memory.h"
#include "platform/gtk/linux_services.h"

namespace {

cairo_status_t WriteToStream(void *closure, const unsigned char *data, unsigned int length);
GdkPixbuf *LoadPixbuf(Handle image);
GrafPtr ImageFromPixbuf(GdkPixbuf *pixbuf);
void CopyUnpremultiplied(cairo_surface_t *surface, GrafPtr image);

}  // namespace

SInt16 SystemDependantCvtOffscreenToImage(const char *format, GrafPtr offscreen, FILE *output) {
    if (!format || strcasecmp(format, "png") != 0 || !offscreen || !offscreen->surface || !output) return 0;
    cairo_surface_flush(offscreen->surface);
    if (cairo_surface_write_to_png_stream(offscreen->surface, WriteToStream, output) != CAIRO_STATUS_SUCCESS) return 0;
    return fflush(output) == 0 && !ferror(output) ? 1 : 0;
}

SInt16 SystemDependantCvtPictToImage(const char *format, PicHandle picture, const Rect *frame, const Rect *bounds,
                                     FILE *output) {
    if (!frame || !bounds) return 0;
    SInt16 width = SInt16(bounds->right - bounds->left), height = SInt16(bounds->bottom - bounds->top);
    GrafPtr offscreen = width > 0 && height > 0 ? OrvaCreatePortOffscreen(width, height, 24) : nullptr;
    if (!offscreen) return SystemDependantCvtOffscreenToImage(format, nullptr, output);
    Rect placed = *frame;
    placed.top = SInt16(placed.top - bounds->top);
    placed.bottom = SInt16(placed.bottom - bounds->top);
    placed.left = SInt16(placed.left - bounds->left);
    placed.right = SInt16(placed.right - bounds->left);
    GrafPtr saved;
    GetPort(&saved);
    SetPort(offscreen);
    ForeColor(33);
    BackColor(30);
    BackPat(&qd.white);
    EraseRect(&offscreen->portRect);
    if (picture) DrawUTFPicture(picture, &placed);
    SetPort(saved);
    SInt16 written = SystemDependantCvtOffscreenToImage(format, offscreen, output);
    OrvaClosePortOffscreen(offscreen);
    return written;
}

GrafPtr SystemDependantConvertImageToOffscreen(Handle image) {
    GdkPixbuf *pixbuf = LoadPixbuf(image);
    if (!pixbuf) return nullptr;
    GrafPtr result = ImageFromPixbuf(pixbuf);
    g_object_unref(pixbuf);
    return result;
}

namespace {

cairo_status_t WriteToStream(void *closure, const unsigned char *data, unsigned int length) {
    FILE *output = static_cast<FILE *>(closure);
    return fwrite(data, 1, length, output) == length ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// The decoded image, or null for missing or unreadable data. Caller unreferences it.
GdkPixbuf *LoadPixbuf(Handle image) {
    UInt32 size = image ? GetHandleSize(image) : 0;
    if (size == 0 || !*image) return nullptr;
    GdkPixbufLoader *loader = gdk_pixbuf_loader_new();
    GError *error = nullptr;
    gboolean written = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar *>(*image), size, &error);
    if (error) g_clear_error(&error);
    gboolean closed = gdk_pixbuf_loader_close(loader, &error);
    if (error) g_clear_error(&error);
    GdkPixbuf *pixbuf = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (pixbuf) g_object_ref(pixbuf);
    g_object_unref(loader);
    return pixbuf;
}

// Paints the pixbuf on a premultiplied surface, then copies it into a new image with straight
// colours and the opacities in its plane.
GrafPtr ImageFromPixbuf(GdkPixbuf *pixbuf) {
    int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
    if (width < 1 || height < 1 || width > kOffscreenMaxSize || height > kOffscreenMaxSize) return nullptr;
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_t *context = cairo_create(surface);
    cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
    gdk_cairo_set_source_pixbuf(context, pixbuf, 0, 0);
    cairo_paint(context);
    cairo_destroy(context);
    cairo_surface_flush(surface);
    Rect size = {0, 0, SInt16(height), SInt16(width)};
    GrafPtr image = OffscreenCreate(&size);
    if (image) CopyUnpremultiplied(surface, image);
    cairo_surface_destroy(surface);
    return image;
}

void CopyUnpremultiplied(cairo_surface_t *surface, GrafPtr image) {
    const unsigned char *base = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    for (int y = 0; y < height; y++) {
        const UInt32 *row = reinterpret_cast<const UInt32 *>(base + SInt64(y) * stride);
        for (int x = 0; x < width; x++) {
            UInt32 pixel = row[x], a = pixel >> 24;
            UInt32 r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
            if (a >= 1 && a <= 254) {
                r = r * 255 / a;
                g = g * 255 / a;
                b = b * 255 / a;
                if (r > 255) r = 255;
                if (g > 255) g = 255;
                if (b > 255) b = 255;
            }
            OffscreenSetPixel(image, SInt16(x), SInt16(y), UInt8(r), UInt8(g), UInt8(b), SInt16(a));
        }
    }
}

}  // namespace

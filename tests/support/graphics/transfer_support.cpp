// Test helpers for pixel transfers.
#include "support/graphics/transfer_support.h"

#include <cairo.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "graphics/quickdraw/offscreen.h"
#include "graphics/cairo/port_surfaces.h"
#include "support/graphics/quickdraw_support.h"

GrafPtr NewFilledOffscreen(SInt16 width, SInt16 height, SInt16 depth, UInt32 fill) {
    StartQuickDrawForTests();
    GrafPtr port = OrvaCreatePortOffscreen(width, height, depth);
    if (port) OrvaFillSurfaceRect(port, 0, 0, width - 1, height - 1, fill);
    return port;
}

void SetStorePixel(GrafPtr port, SInt32 x, SInt32 y, UInt32 value) {
    UInt8 *row = (UInt8 *)port->effectiveBase + SInt64(y) * port->rowStride;
    if (port->depth == 24) std::memcpy(row + 4 * x, &value, 4);
    else row[x] = UInt8(value);
}

UInt32 StorePixel(GrafPtr port, SInt32 x, SInt32 y) {
    const UInt8 *row = (const UInt8 *)port->effectiveBase + SInt64(y) * port->rowStride;
    if (port->depth != 24) return row[x];
    UInt32 value;
    std::memcpy(&value, row + 4 * x, 4);
    return value & 0xFFFFFF;
}

PixMap RawPixMap(std::vector<UInt8> *bytes, SInt16 rowBytes, SInt16 width, SInt16 height, SInt16 pixelSize,
                 CTabHandle table) {
    PixMap map;
    std::memset(&map, 0, sizeof map);
    map.baseAddr = (Ptr)bytes->data();
    map.rowBytes = SInt16(rowBytes | kPixMapFlag);
    map.bounds = {0, 0, height, width};
    map.pixelSize = pixelSize;
    map.cmpCount = 1;
    map.cmpSize = pixelSize;
    map.pmTable = table;
    return map;
}

BitMap RawBitMap(std::vector<UInt8> *bytes, SInt16 rowBytes, SInt16 width, SInt16 height) {
    BitMap bits;
    bits.baseAddr = (Ptr)bytes->data();
    bits.rowBytes = rowBytes;
    bits.bounds = {0, 0, height, width};
    return bits;
}

std::string CompareWithGolden(const std::string &actualPath, const std::string &name, int tolerance) {
    const char *source = std::getenv("ORVA_SOURCE_DIR");
    std::string golden = std::string(source ? source : ".") + "/tests/golden/graphics/" + name;
    const char *update = std::getenv("ORVA_UPDATE_GOLDENS");
    if (update && std::strcmp(update, "1") == 0) {
        cairo_surface_t *actual = cairo_image_surface_create_from_png(actualPath.c_str());
        bool ok = cairo_surface_status(actual) == CAIRO_STATUS_SUCCESS &&
                  cairo_surface_write_to_png(actual, golden.c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(actual);
        return ok ? "" : "cannot update " + golden;
    }
    cairo_surface_t *a = cairo_image_surface_create_from_png(actualPath.c_str());
    cairo_surface_t *g = cairo_image_surface_create_from_png(golden.c_str());
    std::string message;
    if (cairo_surface_status(a) != CAIRO_STATUS_SUCCESS) message = "cannot read " + actualPath;
    else if (cairo_surface_status(g) != CAIRO_STATUS_SUCCESS) message = "cannot read " + golden;
    else if (cairo_image_surface_get_width(a) != cairo_image_surface_get_width(g) ||
             cairo_image_surface_get_height(a) != cairo_image_surface_get_height(g))
        message = "size differs from " + golden;
    if (!message.empty()) {
        cairo_surface_destroy(a);
        cairo_surface_destroy(g);
        return message;
    }
    int width = cairo_image_surface_get_width(a), height = cairo_image_surface_get_height(a);
    cairo_surface_t *diff = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(diff);
    int sa = cairo_image_surface_get_stride(a), sg = cairo_image_surface_get_stride(g), sd = cairo_image_surface_get_stride(diff);
    const unsigned char *pa = cairo_image_surface_get_data(a), *pg = cairo_image_surface_get_data(g);
    unsigned char *pd = cairo_image_surface_get_data(diff);
    long differing = 0;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            bool bad = false;
            for (int k = 0; k < 3; k++)
                if (std::abs(int(pa[y * sa + 4 * x + k]) - int(pg[y * sg + 4 * x + k])) > tolerance) bad = true;
            unsigned value = bad ? 0xFF0000u : 0xFFFFFFu;
            std::memcpy(pd + y * sd + 4 * x, &value, 4);
            differing += bad;
        }
    cairo_surface_mark_dirty(diff);
    if (differing) {
        // Kept in the build tree, which outlives the test's temporary folder.
        std::string folder = BuildTreePath("golden-out/");
        mkdir(folder.c_str(), 0775);
        std::string stem = folder + name.substr(0, name.rfind('.'));
        cairo_surface_write_to_png(a, (stem + ".actual.png").c_str());
        cairo_surface_write_to_png(diff, (stem + ".diff.png").c_str());
        message = std::to_string(differing) + " pixels differ from " + golden + "; see " + stem + ".actual.png and " +
                  stem + ".diff.png";
    }
    cairo_surface_destroy(diff);
    cairo_surface_destroy(a);
    cairo_surface_destroy(g);
    return message;
}


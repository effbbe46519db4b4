// The toolbox shorthands of resource descriptions, laid out through the library's writers into
// a scratch handle, and the reading of a PNG into an indexed colour icon through cairo.
#include "toolbox_resources.h"

#include <cairo.h>
#include <cstring>
#include <map>

#include "platform/core/memory.h"

namespace {

const UInt32 kOpaqueAlpha = 128;  // pixels at least this opaque join the mask
const int kMaxColors = 256;

// A writer into a new empty handle; Collect appends what it holds to out and frees it.
struct Scratch {
    Scratch() : handle(NewHandle(0)), writer(OrvaByteWriter(handle)) {}
    ~Scratch() { DisposHandle(handle); }
    Handle handle;
    ByteWriter writer;
};

bool Collect(Scratch *s, std::vector<UInt8> *out);

}  // namespace

bool LayOutDialog(const DialogTemplateRecord &dialog, std::vector<UInt8> *out) {
    Scratch s;
    OrvaWriteDialogTemplate(&s.writer, &dialog);
    return Collect(&s, out);
}

bool LayOutAlert(const AlertTemplateRecord &alert, std::vector<UInt8> *out) {
    Scratch s;
    OrvaWriteAlertTemplate(&s.writer, &alert);
    return Collect(&s, out);
}

bool LayOutDitl(const std::vector<DitlModelItem> &items, std::vector<UInt8> *out) {
    std::vector<Str255> texts(items.size());
    std::vector<DitlItemSource> sources(items.size());
    for (size_t i = 0; i < items.size(); i++) {
        ToPascal(items[i].text, texts[i]);
        sources[i] = {items[i].kind, items[i].disabled, items[i].rect, texts[i], items[i].id};
    }
    Scratch s;
    OrvaWriteDitl(&s.writer, sources.data(), SInt32(sources.size()));
    return Collect(&s, out);
}

bool LayOutMenu(MenuTemplateRecord menu, const std::vector<MenuModelItem> &items, std::vector<UInt8> *out) {
    std::vector<Str255> texts(items.size());
    std::vector<MenuItemSource> sources(items.size());
    menu.enableFlags = 0xFFFFFFFFu;
    for (size_t i = 0; i < items.size(); i++) {
        ToPascal(items[i].text, texts[i]);
        sources[i] = {texts[i], items[i].icon, items[i].key, items[i].mark, items[i].style};
        if (items[i].disabled && i < 31) menu.enableFlags &= ~(1u << (i + 1));
    }
    Scratch s;
    OrvaWriteMenuTemplate(&s.writer, &menu, sources.data(), SInt32(sources.size()));
    return Collect(&s, out);
}

bool LayOutStrList(const std::vector<std::string> &strings, std::vector<UInt8> *out) {
    std::vector<Str255> texts(strings.size());
    std::vector<ConstStr255Param> list(strings.size());
    for (size_t i = 0; i < strings.size(); i++) {
        ToPascal(strings[i], texts[i]);
        list[i] = texts[i];
    }
    Scratch s;
    OrvaWriteStrList(&s.writer, list.data(), SInt32(list.size()));
    return Collect(&s, out);
}

bool LayOutVersion(const VersionRecord &version, std::vector<UInt8> *out) {
    Scratch s;
    OrvaWriteVersion(&s.writer, &version);
    return Collect(&s, out);
}

bool LayOutColorIconFromPng(const std::string &path, std::vector<UInt8> *out, std::string *error) {
    cairo_surface_t *image = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        *error = "cannot read " + path + " as a PNG";
        return false;
    }
    int width = cairo_image_surface_get_width(image), height = cairo_image_surface_get_height(image);
    int stride = cairo_image_surface_get_stride(image);
    bool hasAlpha = cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32;
    cairo_surface_flush(image);
    const UInt8 *data = cairo_image_surface_get_data(image);
    std::vector<UInt8> pixels, mask;
    std::vector<RGBColor> colors;
    std::map<UInt32, UInt8> indexOf;
    bool ok = width <= kMaxIconSide && height <= kMaxIconSide;
    if (!ok) *error = path + " is larger than " + std::to_string(kMaxIconSide) + " pixels a side";
    for (int y = 0; ok && y < height; y++) {
        for (int x = 0; ok && x < width; x++) {
            UInt32 argb;
            std::memcpy(&argb, data + y * stride + 4 * x, 4);
            UInt32 alpha = hasAlpha ? argb >> 24 : 255;
            bool opaque = alpha >= kOpaqueAlpha;
            UInt32 rgb = 0;
            // cairo keeps colours multiplied by their opacity; the icon keeps them whole.
            for (int shift = 16; opaque && shift >= 0; shift -= 8) {
                UInt32 whole = ((argb >> shift & 0xFF) * 255 + alpha / 2) / alpha;
                rgb |= (whole > 255 ? 255 : whole) << shift;
            }
            if (opaque && !indexOf.count(rgb)) {
                if (int(colors.size()) == kMaxColors) {
                    *error = path + " has more than 256 colours";
                    ok = false;
                    break;
                }
                indexOf[rgb] = UInt8(colors.size());
                colors.push_back({UInt16((rgb >> 16 & 0xFF) * 257), UInt16((rgb >> 8 & 0xFF) * 257),
                                  UInt16((rgb & 0xFF) * 257)});
            }
            pixels.push_back(opaque ? indexOf[rgb] : 0);
            mask.push_back(opaque ? 1 : 0);
        }
    }
    cairo_surface_destroy(image);
    if (!ok) return false;
    if (colors.empty()) colors.push_back({0, 0, 0});  // a table holds at least one entry
    Scratch s;
    OrvaWriteColorIcon(&s.writer, SInt16(width), SInt16(height), pixels.data(), colors.data(), SInt32(colors.size()),
                       mask.data());
    if (Collect(&s, out)) return true;
    *error = "no memory for " + path;
    return false;
}

void ToPascal(const std::string &bytes, Str255 out) {
    size_t length = bytes.size() > 255 ? 255 : bytes.size();
    out[0] = UInt8(length);
    std::memcpy(out + 1, bytes.data(), length);
}

namespace {

bool Collect(Scratch *s, std::vector<UInt8> *out) {
    if (!s->handle || !FinishByteWriter(&s->writer)) return false;
    const UInt8 *bytes = reinterpret_cast<const UInt8 *>(*s->handle);
    out->insert(out->end(), bytes, bytes + s->writer.size);
    return true;
}

}  // namespace

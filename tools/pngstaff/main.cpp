// pngstaff: reads a PNG of printed music and prints what it finds: staves, heads with their
// pitches under the given clefs, beams, accidentals, rests, ties, repeat bar lines, systems,
// braces and ink above the first system. It shares nothing with the engraver, whose output
// the tests read with it.
//   pngstaff [--clef G|F[,G|F...]] [--list] FILE.png
// --clef names the clef of each staff of a system in turn (the last repeats); --list adds
// one line per object found. Exit status: 0 read, 2 bad arguments, 3 unreadable image.
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/byte_reader.h"
#include "staff_image.h"

namespace {

enum : int { kExitRead = 0, kExitUsage = 2, kExitImage = 3 };

// Larger pictures are refused before decoding: a page at 600 dpi is about 35 million pixels.
const long kMaxSide = 30000;
const long kMaxPixels = 40000000;

// The diatonic step of the bottom line under each clef, counted from C0 (C4 is 28).
struct ClefRow {
    char name;
    int bottomLine;
};
const ClefRow kClefs[] = {{'G', 30}, {'F', 18}};  // E4, G2

}  // namespace

static bool ReadPngSize(const char *path, long *width, long *height);
static bool LoadInk(const char *path, InkImage *image, std::string *error);
static bool ParseClefs(const char *text, std::vector<int> *clefs);
static std::string PitchName(int step);
static void PrintReading(const PageReading &page, const std::vector<int> &clefs, bool list);
static int Usage();

int main(int argc, char **argv) {
    std::vector<int> clefs;
    bool list = false;
    const char *path = nullptr;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--clef") == 0 && i + 1 < argc) {
            if (!ParseClefs(argv[++i], &clefs)) return Usage();
        } else if (std::strcmp(argv[i], "--list") == 0) {
            list = true;
        } else if (argv[i][0] == '-' || path) {
            return Usage();
        } else {
            path = argv[i];
        }
    }
    if (!path) return Usage();
    InkImage image;
    std::string error;
    if (!LoadInk(path, &image, &error)) {
        std::fprintf(stderr, "pngstaff: %s: %s\n", path, error.c_str());
        return kExitImage;
    }
    PageReading page;
    InkImage original = image;
    page.staves = FindStaves(image);
    page.inkAboveFirstSystem = InkAboveFirstSystem(original, page.staves);
    RemoveStaffLines(&image, page.staves);
    page.bars = TakeBarLines(&image, page.staves);
    page.braces = FindBraces(image, page.staves);
    ReadSymbols(image, &page);
    page.systems = NumberSystems(original, page.braces, &page.staves);
    PrintReading(page, clefs, list);
    return kExitRead;
}

// The size in a PNG's header, read before cairo decodes the whole picture.
static bool ReadPngSize(const char *path, long *width, long *height) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char header[24];
    FILE *file = std::fopen(path, "rb");
    if (!file) return false;
    size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    // Signature, then the first chunk: length, "IHDR", width and height, big-endian.
    if (got != sizeof header || std::memcmp(header, kSignature, 8) != 0 || std::memcmp(header + 12, "IHDR", 4) != 0)
        return false;
    ByteReader size = OrvaByteReader(header + 16, 8);
    *width = long(Get32(&size));
    *height = long(Get32(&size));
    return true;
}

static bool LoadInk(const char *path, InkImage *image, std::string *error) {
    long width = 0, height = 0;
    if (!ReadPngSize(path, &width, &height)) {
        *error = "not a PNG file";
        return false;
    }
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide || width * height > kMaxPixels) {
        *error = "picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
        return false;
    }
    cairo_surface_t *png = cairo_image_surface_create_from_png(path);
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        *error = std::string("cannot decode: ") + cairo_status_to_string(cairo_surface_status(png));
        cairo_surface_destroy(png);
        return false;
    }
    int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
    // Drawn over white, so that transparent pictures read as paper.
    cairo_surface_t *flat = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t *cr = cairo_create(flat);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(flat);
    bool ok = cairo_surface_status(flat) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        const unsigned char *data = cairo_image_surface_get_data(flat);
        int stride = cairo_image_surface_get_stride(flat);
        image->width = w;
        image->height = h;
        image->ink.assign(size_t(w) * size_t(h), 0);
        image->faint.assign(size_t(w) * size_t(h), 0);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                uint32_t pixel;
                std::memcpy(&pixel, data + size_t(y) * stride + 4 * size_t(x), 4);
                int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
                int luminance = (r * 299 + g * 587 + b * 114) / 1000;
                image->ink[size_t(y) * w + x] = luminance < kInkLuminance;
                image->faint[size_t(y) * w + x] = luminance < kFaintLuminance;
            }
    } else {
        *error = "out of memory";
    }
    cairo_surface_destroy(flat);
    cairo_surface_destroy(png);
    return ok;
}

static bool ParseClefs(const char *text, std::vector<int> *clefs) {
    clefs->clear();
    for (const char *p = text; *p; p++) {
        const ClefRow *found = nullptr;
        for (const ClefRow &row : kClefs)
            if (*p == row.name) found = &row;
        if (!found) return false;
        clefs->push_back(found->bottomLine);
        if (p[1] == ',' && p[2]) p++;
        else if (p[1]) return false;
    }
    return !clefs->empty();
}

static std::string PitchName(int step) {
    if (step < 0) return "?";
    return std::string(1, "CDEFGAB"[step % 7]) + std::to_string(step / 7);
}

static void PrintReading(const PageReading &page, const std::vector<int> &clefs, bool list) {
    int counts[kSymbolCount] = {};
    for (const SymbolRecord &symbol : page.symbols) counts[symbol.kind]++;
    int repeats = 0, barLines = 0;
    for (const BarGroupRecord &bar : page.bars) {
        repeats += bar.dotsBefore + bar.dotsAfter;
        barLines += bar.lines;
    }
    // The index of each staff within its system picks its clef.
    std::vector<int> staffInSystem(page.staves.size(), 0);
    for (size_t s = 1; s < page.staves.size(); s++)
        if (page.staves[s].system == page.staves[s - 1].system) staffInSystem[s] = staffInSystem[s - 1] + 1;
    auto pitchOf = [&](const HeadRecord &head) {
        size_t n = std::min(size_t(staffInSystem[size_t(head.staff)]), clefs.size() - 1);
        return PitchName(clefs[n] + 8 - head.position);
    };

    std::printf("staves=%zu heads=%zu", page.staves.size(), page.heads.size());
    if (!clefs.empty()) {
        std::printf(" pitches=");
        for (size_t i = 0; i < page.heads.size(); i++)
            std::printf("%s%s", i ? "," : "", pitchOf(page.heads[i]).c_str());
    }
    std::printf("\nbeams=%d\naccidentals=%d\nrests=%d\nties=%d\nslurs=%d\nrepeat-barlines=%d\nbarlines=%d\n",
                counts[kSymbolBeam], counts[kSymbolAccidental], counts[kSymbolRest], counts[kSymbolTie],
                counts[kSymbolSlur], repeats, barLines);
    std::printf("systems=%d staves=%zu\nbraces=%zu\nink-above=%s\n", page.systems, page.staves.size(),
                page.braces.size(), page.inkAboveFirstSystem ? "yes" : "no");
    if (!list) return;
    for (size_t s = 0; s < page.staves.size(); s++) {
        const StaffRecord &staff = page.staves[s];
        std::printf("staff %zu system=%d top=%.1f bottom=%.1f left=%d right=%d space=%.2f\n", s + 1, staff.system + 1,
                    staff.lineY[0], staff.lineY[4], staff.left, staff.right, staff.space);
    }
    for (const BarGroupRecord &bar : page.bars)
        std::printf("bar staff=%d left=%d right=%d lines=%d%s%s%s\n", bar.staff + 1, bar.left, bar.right, bar.lines,
                    bar.thick ? " thick" : "", bar.dotsBefore ? " dots-before" : "", bar.dotsAfter ? " dots-after" : "");
    for (const HeadRecord &head : page.heads)
        std::printf("head staff=%d x=%.1f y=%.1f position=%d%s%s%s\n", head.staff + 1, head.x, head.y, head.position,
                    clefs.empty() ? "" : " pitch=", clefs.empty() ? "" : pitchOf(head).c_str(),
                    head.stemmed ? "" : " stemless");
    static const char *const kKindNames[kSymbolCount] = {"accidental", "key-accidental", "rest", "tie",
                                                         "slur",       "dot",            "beam"};
    for (const SymbolRecord &symbol : page.symbols)
        std::printf("%s staff=%d left=%d top=%d right=%d bottom=%d name=%s\n", kKindNames[symbol.kind],
                    symbol.staff + 1, symbol.box.left, symbol.box.top, symbol.box.right, symbol.box.bottom,
                    symbol.name.c_str());
    for (const BraceRecord &brace : page.braces)
        std::printf("brace staves=%d-%d left=%d top=%d right=%d bottom=%d\n", brace.firstStaff + 1,
                    brace.lastStaff + 1, brace.box.left, brace.box.top, brace.box.right, brace.box.bottom);
}

static int Usage() {
    std::fprintf(stderr, "usage: pngstaff [--clef G|F[,G|F...]] [--list] FILE.png\n");
    return kExitUsage;
}

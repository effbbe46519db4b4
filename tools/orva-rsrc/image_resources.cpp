// Laying out and recognising 'CURS', 'ppat' and 'crsr' resources.
#include "image_resources.h"

#include <cstdio>
#include <cstring>

#include "graphics/quickdraw/pixmap_resources.h"
#include "platform/core/byte_reader.h"
#include "platform/core/memory.h"

namespace {

const char kArtSymbols[] = "#-.~";  // image bit, mask bit: 11, 01, 00, 10

enum : unsigned {
    kCursorBytes = 68,
    kPixPatHeader = 28,
    kColorCursorHeader = 96,
    kPixMapBytes = 50,
    kResolution72 = 72u << 16,
    kColorCursorType = 0x8001,
};

void PutWord(std::vector<UInt8> *out, unsigned v) {
    out->push_back(UInt8(v >> 8));
    out->push_back(UInt8(v));
}

void PutLong(std::vector<UInt8> *out, unsigned v) {
    PutWord(out, v >> 16);
    PutWord(out, v & 0xFFFF);
}

// The hot spot (v, h) stored at at.
void HotSpotOf(const std::vector<UInt8> &data, size_t at, CursorArt *art) {
    ByteReader hotSpot = OrvaByteReader(data.data(), data.size());
    Seek(&hotSpot, at);
    art->hotV = SInt16(Get16(&hotSpot));
    art->hotH = SInt16(Get16(&hotSpot));
}

// The 32 image bytes and 32 mask bytes of the art.
bool ArtBits(const CursorArt &art, std::vector<UInt8> *image, std::vector<UInt8> *mask, std::string *error) {
    if (art.rows.size() != kCursorSide) return (*error = "a cursor needs 16 rows of 16 characters", false);
    image->assign(32, 0);
    mask->assign(32, 0);
    for (int y = 0; y < kCursorSide; y++) {
        const std::string &row = art.rows[size_t(y)];
        if (row.size() != kCursorSide) return (*error = "a cursor row needs 16 characters", false);
        for (int x = 0; x < kCursorSide; x++) {
            const char *symbol = std::strchr(kArtSymbols, row[size_t(x)]);
            if (!symbol || !*symbol) return (*error = "cursor rows hold only # - . ~", false);
            int code = int(symbol - kArtSymbols);
            UInt8 bit = UInt8(0x80 >> (x & 7));
            if (code == 0 || code == 3) (*image)[size_t(2 * y + x / 8)] |= bit;
            if (code == 0 || code == 1) (*mask)[size_t(2 * y + x / 8)] |= bit;
        }
    }
    return true;
}

CursorArt ArtOf(const std::vector<UInt8> &data, size_t imageAt, size_t maskAt) {
    CursorArt art;
    for (int y = 0; y < kCursorSide; y++) {
        std::string row;
        for (int x = 0; x < kCursorSide; x++) {
            UInt8 bit = UInt8(0x80 >> (x & 7));
            bool image = data[imageAt + size_t(2 * y + x / 8)] & bit, mask = data[maskAt + size_t(2 * y + x / 8)] & bit;
            row += kArtSymbols[image ? (mask ? 0 : 3) : (mask ? 1 : 2)];
        }
        art.rows.push_back(row);
    }
    return art;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int RowBytes(int width, int depth) { return (width * depth + 15) / 16 * 2; }

// The pixel bytes of the image, rows of RowBytes, high bits first.
bool Pixels(const IndexedImage &image, std::vector<UInt8> *out, std::string *error) {
    int d = image.depth;
    if (d != 1 && d != 2 && d != 4 && d != 8) return (*error = "bits a pixel must be 1, 2, 4 or 8", false);
    size_t entries = image.colors.size() / 3;
    if (image.colors.size() % 3 || entries == 0 || entries > (1u << d))
        return (*error = "colors needs red, green and blue for 1 to 2^depth entries", false);
    if (int(image.rows.size()) != image.height) return (*error = "one string of pixels a row is needed", false);
    int rowBytes = RowBytes(image.width, d), digits = d == 8 ? 2 : 1;
    out->assign(size_t(rowBytes) * size_t(image.height), 0);
    for (int y = 0; y < image.height; y++) {
        const std::string &row = image.rows[size_t(y)];
        if (int(row.size()) != image.width * digits) return (*error = "a row of pixels has the wrong length", false);
        for (int x = 0; x < image.width; x++) {
            unsigned value = 0;
            for (int k = 0; k < digits; k++) {
                int digit = HexDigit(row[size_t(x * digits + k)]);
                if (digit < 0) return (*error = "a pixel is not the hexadecimal index of a colour", false);
                value = value * 16 + unsigned(digit);
            }
            if (value >= entries) return (*error = "a pixel is not the index of a colour", false);
            int bit = x * d;
            (*out)[size_t(y * rowBytes + bit / 8)] |= UInt8(value << (8 - bit % 8 - d));
        }
    }
    return true;
}

// The 50-byte pixel map of an indexed image whose colour table is at tableAt.
void PutPixMap(std::vector<UInt8> *out, const IndexedImage &image, unsigned tableAt) {
    PutLong(out, 0);
    PutWord(out, unsigned(RowBytes(image.width, image.depth)) | 0x8000);
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, unsigned(image.height));
    PutWord(out, unsigned(image.width));
    PutWord(out, 0);  // pmVersion
    PutWord(out, 0);  // packType
    PutLong(out, 0);  // packSize
    PutLong(out, kResolution72);
    PutLong(out, kResolution72);
    PutWord(out, 0);  // pixelType
    PutWord(out, unsigned(image.depth));
    PutWord(out, 1);  // cmpCount
    PutWord(out, unsigned(image.depth));
    PutLong(out, 0);  // planeBytes
    PutLong(out, tableAt);
    PutLong(out, 0);
}

void PutColorTable(std::vector<UInt8> *out, const IndexedImage &image) {
    size_t entries = image.colors.size() / 3;
    PutLong(out, 0);
    PutWord(out, 0);
    PutWord(out, unsigned(entries - 1));
    for (size_t i = 0; i < entries; i++) {
        PutWord(out, unsigned(i));
        for (size_t k = 0; k < 3; k++) PutWord(out, image.colors[3 * i + k]);
    }
}

// The black-and-white form of a pattern: pixels darker than mid-gray are set, the image tiled
// over 8 x 8.
void PutPat1Data(std::vector<UInt8> *out, const IndexedImage &image, const std::vector<UInt8> &pixels) {
    int rowBytes = RowBytes(image.width, image.depth), d = image.depth;
    for (int y = 0; y < 8; y++) {
        UInt8 bits = 0;
        for (int x = 0; x < 8; x++) {
            int px = x % image.width, py = y % image.height, bit = px * d;
            unsigned value = (pixels[size_t(py * rowBytes + bit / 8)] >> (8 - bit % 8 - d)) & ((1u << d) - 1);
            unsigned sum = image.colors[3 * value] + image.colors[3 * value + 1] + image.colors[3 * value + 2];
            if (sum < 3 * 32768u) bits |= UInt8(0x80 >> x);
        }
        out->push_back(bits);
    }
}

// The image of a resource's pixel map, colour table and pixels, read by the player's own
// readers; false when they are not the shape the shorthand writes.
bool ImageOf(const std::vector<UInt8> &data, size_t mapAt, size_t pixelsAt, IndexedImage *image) {
    ByteReader resource = OrvaByteReader(data.data(), data.size());
    PixMap map;
    UInt32 tableAt;
    if (!OrvaReadResPixMap(resource, UInt32(mapAt), &map, &tableAt) || map.bounds.top != 0 || map.bounds.left != 0)
        return false;
    image->height = map.bounds.bottom;
    image->width = map.bounds.right;
    image->depth = map.pixelSize;
    int d = image->depth;
    if ((d != 1 && d != 2 && d != 4 && d != 8) || image->width > kMaxPatternSide || image->height > kMaxPatternSide)
        return false;
    CTabHandle table = OrvaReadResColorTable(resource, tableAt);
    size_t entries = table ? size_t((*table)->ctSize + 1) : 0;
    if (!table || entries > (1u << d)) {
        if (table) DisposHandle((Handle)table);
        return false;
    }
    for (size_t i = 0; i < entries; i++) {
        const RGBColor &rgb = (*table)->ctTable[i].rgb;
        image->colors.insert(image->colors.end(), {rgb.red, rgb.green, rgb.blue});
    }
    DisposHandle((Handle)table);
    int rowBytes = RowBytes(image->width, d), digits = d == 8 ? 2 : 1;
    if (pixelsAt + size_t(rowBytes) * size_t(image->height) > data.size()) return false;
    for (int y = 0; y < image->height; y++) {
        std::string row;
        for (int x = 0; x < image->width; x++) {
            int bit = x * d;
            unsigned value = (data[pixelsAt + size_t(y * rowBytes + bit / 8)] >> (8 - bit % 8 - d)) & ((1u << d) - 1);
            char text[4];
            std::snprintf(text, sizeof text, digits == 2 ? "%02x" : "%x", value);
            row += text;
        }
        image->rows.push_back(row);
    }
    return true;
}

std::string ArtText(const CursorArt &art) {
    std::string out;
    for (const std::string &row : art.rows) out += "\n        \"" + row + "\"";
    return out;
}

std::string ImageText(const IndexedImage &image) {
    std::string out = "\n        colors";
    for (size_t i = 0; i < image.colors.size(); i += 3)
        out += "\n            " + std::to_string(image.colors[i]) + " " + std::to_string(image.colors[i + 1]) + " " +
               std::to_string(image.colors[i + 2]);
    for (const std::string &row : image.rows) out += "\n        \"" + row + "\"";
    return out;
}

}  // namespace

bool LayOutCursor(const CursorArt &art, std::vector<UInt8> *out, std::string *error) {
    std::vector<UInt8> image, mask;
    if (!ArtBits(art, &image, &mask, error)) return false;
    out->insert(out->end(), image.begin(), image.end());
    out->insert(out->end(), mask.begin(), mask.end());
    PutWord(out, unsigned(art.hotV) & 0xFFFF);
    PutWord(out, unsigned(art.hotH) & 0xFFFF);
    return true;
}

bool LayOutPixPat(const IndexedImage &image, std::vector<UInt8> *out, std::string *error) {
    if (image.width < 1 || image.height < 1 || image.width > kMaxPatternSide || image.height > kMaxPatternSide)
        return (*error = "a pattern is 1 to 256 pixels wide and high", false);
    std::vector<UInt8> pixels;
    if (!Pixels(image, &pixels, error)) return false;
    unsigned dataAt = kPixPatHeader + kPixMapBytes, tableAt = dataAt + unsigned(pixels.size());
    PutWord(out, 1);  // patType: full colour
    PutLong(out, kPixPatHeader);
    PutLong(out, dataAt);
    PutLong(out, 0);       // patXData
    PutWord(out, 0xFFFF);  // patXValid
    PutLong(out, 0);       // patXMap
    PutPat1Data(out, image, pixels);
    PutPixMap(out, image, tableAt);
    out->insert(out->end(), pixels.begin(), pixels.end());
    PutColorTable(out, image);
    return true;
}

bool LayOutColorCursor(const CursorArt &art, const IndexedImage &image, std::vector<UInt8> *out, std::string *error) {
    std::vector<UInt8> bits, mask, pixels;
    if (!ArtBits(art, &bits, &mask, error)) return false;
    if (image.width != kCursorSide || image.height != kCursorSide)
        return (*error = "a colour cursor has 16 rows of 16 pixels", false);
    if (!Pixels(image, &pixels, error)) return false;
    unsigned dataAt = kColorCursorHeader + kPixMapBytes, tableAt = dataAt + unsigned(pixels.size());
    PutWord(out, kColorCursorType);
    PutLong(out, kColorCursorHeader);
    PutLong(out, dataAt);
    PutLong(out, 0);  // crsrXData
    PutWord(out, 0);  // crsrXValid
    PutLong(out, 0);  // crsrXHandle
    out->insert(out->end(), bits.begin(), bits.end());
    out->insert(out->end(), mask.begin(), mask.end());
    PutWord(out, unsigned(art.hotV) & 0xFFFF);
    PutWord(out, unsigned(art.hotH) & 0xFFFF);
    PutLong(out, 0);  // crsrXTable
    PutLong(out, 0);  // crsrID
    PutPixMap(out, image, tableAt);
    out->insert(out->end(), pixels.begin(), pixels.end());
    PutColorTable(out, image);
    return true;
}

std::string DescribeCursor(const std::vector<UInt8> &data) {
    if (data.size() != kCursorBytes) return "";
    CursorArt art = ArtOf(data, 0, 32);
    HotSpotOf(data, 64, &art);
    std::vector<UInt8> again;
    std::string error;
    if (!LayOutCursor(art, &again, &error) || again != data) return "";
    return "    curs " + std::to_string(art.hotV) + " " + std::to_string(art.hotH) + ArtText(art) + "\n";
}

std::string DescribePixPat(const std::vector<UInt8> &data) {
    IndexedImage image;
    if (data.size() < kPixPatHeader || !ImageOf(data, kPixPatHeader, kPixPatHeader + kPixMapBytes, &image)) return "";
    std::vector<UInt8> again;
    std::string error;
    if (!LayOutPixPat(image, &again, &error) || again != data) return "";
    return "    ppat " + std::to_string(image.width) + " " + std::to_string(image.height) + " " +
           std::to_string(image.depth) + ImageText(image) + "\n";
}

std::string DescribeColorCursor(const std::vector<UInt8> &data) {
    IndexedImage image;
    if (data.size() < kColorCursorHeader || !ImageOf(data, kColorCursorHeader, kColorCursorHeader + kPixMapBytes, &image))
        return "";
    CursorArt art = ArtOf(data, 20, 52);
    HotSpotOf(data, 84, &art);
    std::vector<UInt8> again;
    std::string error;
    if (!LayOutColorCursor(art, image, &again, &error) || again != data) return "";
    return "    crsr " + std::to_string(art.hotV) + " " + std::to_string(art.hotH) + " " + std::to_string(image.depth) +
           ArtText(art) + ImageText(image) + "\n";
}

// ctest-labels: transfer
// Random image headers and packed rows through PutPicture and PutPicture24Bits into a 64 x 64
// port, drawn or recorded: the answer stays inside the image data (or is null) and nothing is
// read past the data or written past the port.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_quickdraw.h"
#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/transfer.h"
#include "platform/core/memory.h"

// Header of an input, all numbers little-endian, then the image data:
//   flags (bit 0 direct image, bit 1 pixel map, bit 2 record, bit 3 bilinear off, bit 4
//   averaging on), rowBytes (2), bounds (8), pixelSize code, packType, cmpCount, src (8),
//   dst (8), mode, colour entries, and that many entries of red, green, blue (one byte each).
enum : size_t { kHeaderBytes = 32 };

static void Check(bool ok) {
    if (!ok) std::abort();
}

static GrafPort *Port() {
    static GrafPort *port = nullptr;
    if (port) return port;
    FuzzStartQuickDraw();
    return port = FuzzNewPort(64, 64);
}

static SInt16 Word(const uint8_t *p) {
    SInt16 v;
    std::memcpy(&v, p, 2);
    return v;
}

static Rect RectAt(const uint8_t *p) { return {Word(p), Word(p + 2), Word(p + 4), Word(p + 6)}; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    GrafPort *port = Port();
    if (size < kHeaderBytes) return 0;
    UInt8 flags = data[0];
    const SInt16 sizes[8] = {1, 2, 4, 8, 16, 32, 3, 24};
    PixMap map;
    std::memset(&map, 0, sizeof map);
    map.rowBytes = Word(data + 1);
    map.bounds = RectAt(data + 3);
    map.pixelSize = sizes[data[11] & 7];
    map.packType = SInt16(data[12]);
    map.cmpCount = SInt16(data[13]);
    Rect src = RectAt(data + 14), dst = RectAt(data + 22);
    SInt16 mode = SInt16(data[30]);
    size_t entries = data[31] % 32;
    data += 32;
    size -= 32;
    CTabHandle table = nullptr;
    if (size >= entries * 3) {
        table = (CTabHandle)NewHandleClear(UInt32(sizeof(ColorTable) + entries * sizeof(ColorSpec)));
        (*table)->ctSize = SInt16(SInt32(entries) - 1);
        for (size_t i = 0; i < entries; i++)
            (*table)->ctTable[i].rgb = {UInt16(data[3 * i] * 257), UInt16(data[3 * i + 1] * 257), UInt16(data[3 * i + 2] * 257)};
        data += entries * 3;
        size -= entries * 3;
    }
    map.pmTable = table;
    // The rows in a block of exactly their size.
    std::vector<uint8_t> rows(data, data + size);
    const uint8_t *begin = rows.data(), *end = begin + rows.size();
    OrvaSetCopybitAntialias((flags & 16) != 0, (flags & 8) == 0);
    PicHandle pic = nullptr;
    if (flags & 4) {
        Rect frame = port->portRect;
        pic = OpenPicture(&frame);
        ShowPen();  // so that PutPicture draws, and records, while the picture is open
    }
    const uint8_t *after;
    if (flags & 1) {
        map.rowBytes = SInt16(map.rowBytes | kPixMapFlag);
        after = PutPicture24Bits(begin, end, &map, &src, &dst, mode);
        Check(after >= begin && after <= end);
    } else {
        if (!(flags & 2)) map.rowBytes = SInt16(map.rowBytes & 0x7FFF);
        after = PutPicture(begin, end, (const BitMap *)&map, &src, &dst, mode);
        Check(after == nullptr || (after >= begin && after <= end));
    }
    if (pic) {
        HidePen();
        ClosePicture();
        KillPicture(pic);
    }
    if (table) DisposeHandle((Handle)table);
    OrvaSetCopybitAntialias(false, true);
    return 0;
}

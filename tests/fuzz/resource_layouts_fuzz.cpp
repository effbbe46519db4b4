// ctest-labels: toolbox-ui
// Random bytes as a 'DLOG', 'ALRT', 'DITL', 'MENU', 'cicn', 'STR#' or 'vers' resource: the
// first byte picks the layout, the rest is the resource. The readers stay inside the bytes, and
// everything they accept can be walked (item data, menu texts, every pixel and colour, every
// string) without leaving them.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "toolbox/resource_layouts.h"

static volatile UInt32 gSink;  // keeps the walks from being optimised away

static void WalkDitl(const std::vector<UInt8> &b) {
    DitlItemRecord items[64];
    SInt32 count = 0;
    if (!OrvaReadDitl(b.data(), UInt32(b.size()), items, 64, &count)) return;
    for (SInt32 i = 0; i < count && i < 64; i++)
        for (UInt32 k = 0; k < items[i].dataLength; k++) gSink = gSink + b[items[i].dataOffset + k];
}

static void WalkMenu(const std::vector<UInt8> &b) {
    MenuTemplateRecord menu;
    MenuItemLayout items[64];
    SInt32 count = 0;
    if (!OrvaReadMenuTemplate(b.data(), UInt32(b.size()), &menu, items, 64, &count)) return;
    for (SInt32 i = 0; i < count && i < 64; i++)
        for (UInt32 k = 0; k < items[i].textLength; k++) gSink = gSink + b[items[i].textOffset + k];
}

static void WalkIcon(const std::vector<UInt8> &b) {
    ColorIconLayout icon;
    if (!OrvaReadColorIcon(b.data(), UInt32(b.size()), &icon)) return;
    SInt32 width = icon.map.bounds.right - icon.map.bounds.left, height = icon.map.bounds.bottom - icon.map.bounds.top;
    for (SInt32 y = 0; y < height; y++)
        for (SInt32 x = 0; x < width; x++) {
            UInt8 index = OrvaColorIconIndex(b.data(), &icon, x, y);
            if (index >= icon.colorCount) abort();
            gSink = gSink + OrvaColorIconEntry(b.data(), &icon, index).red + OrvaColorIconMasked(b.data(), &icon, x, y);
        }
}

static void WalkStrings(const std::vector<UInt8> &b) {
    SInt32 count = OrvaStrListCount(b.data(), UInt32(b.size()));
    Str255 s;
    for (SInt32 i = 0; i <= count + 1; i++)
        if (OrvaStrListString(b.data(), UInt32(b.size()), i, s) != (i >= 1 && i <= count)) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    std::vector<UInt8> b(data + 1, data + size);  // exactly the resource: a read past it is caught
    DialogTemplateRecord dialog;
    AlertTemplateRecord alert;
    VersionRecord version;
    switch (data[0] % 7) {
    case 0: OrvaReadDialogTemplate(b.data(), UInt32(b.size()), &dialog); break;
    case 1: OrvaReadAlertTemplate(b.data(), UInt32(b.size()), &alert); break;
    case 2: WalkDitl(b); break;
    case 3: WalkMenu(b); break;
    case 4: WalkIcon(b); break;
    case 5: WalkStrings(b); break;
    default: OrvaReadVersion(b.data(), UInt32(b.size()), &version); break;
    }
    return 0;
}

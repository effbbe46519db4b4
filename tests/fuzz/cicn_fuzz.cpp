// ctest-labels: toolbox-ui
// A 'cicn' resource read into a colour icon and drawn into a rectangle of any size and place.
// Input: four bytes of the rectangle (top, left, height, width), then the resource.
#include <cstdint>

#include "fuzz_toolbox.h"
#include "toolbox/color_icons.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzStartToolbox();
    static GrafPort *port = FuzzNewPort(96, 96);
    if (size < 4) return 0;
    SetPort(port);
    CIconHandle icon = OrvaColorIconFromBytes(data + 4, UInt32(size - 4));
    if (!icon) return 0;
    Rect r = {SInt16(SInt8(data[0])), SInt16(SInt8(data[1])), 0, 0};
    r.bottom = SInt16(r.top + data[2]);
    r.right = SInt16(r.left + data[3]);
    PlotCIcon(&r, icon);
    DisposCIcon(icon);
    return 0;
}

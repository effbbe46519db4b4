// ctest-labels: toolbox-ui
// A 'DLOG' or 'ALRT' and its 'DITL' built into a dialog, drawn, answered and clicked. Input: a
// byte choosing the template (even 'DLOG', odd 'ALRT'), the template's length (2 bytes), the
// template, then the item list.
#include <cstdint>
#include <cstring>

#include "fuzz_toolbox.h"
#include "platform/core/memory.h"
#include "toolbox/dialogs.h"
#include "toolbox/resource_layouts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzStartToolbox();
    if (size < 3) return 0;
    size_t length = size_t(data[1]) << 8 | data[2];
    if (length > size - 3) length = size - 3;
    const UInt8 *templ = data + 3, *items = templ + length;
    size_t itemBytes = size - 3 - length;
    Rect bounds = {40, 40, 200, 300};
    SInt16 procID = 1;
    DialogTemplateRecord dlog;
    AlertTemplateRecord alrt;
    if (!(data[0] & 1) && OrvaReadDialogTemplate(templ, UInt32(length), &dlog)) {
        bounds = dlog.bounds;
        procID = dlog.procID;
    } else if ((data[0] & 1) && OrvaReadAlertTemplate(templ, UInt32(length), &alrt)) {
        bounds = alrt.bounds;
    }
    // Windows of any size are the toolbox's to refuse or clamp; ports are kept small here.
    if (bounds.right - bounds.left > 600) bounds.right = SInt16(bounds.left + 600);
    if (bounds.bottom - bounds.top > 400) bounds.bottom = SInt16(bounds.top + 400);
    Handle list = NewHandle(UInt32(itemBytes));
    if (!list) return 0;
    if (itemBytes) memcpy(*list, items, itemBytes);
    const unsigned char title[] = {4, 'f', 'u', 'z', 'z'};
    DialogPtr dialog = NewDialog(nullptr, &bounds, title, kTrue, procID, reinterpret_cast<WindowPtr>(-1), kTrue, 0, list);
    DisposHandle(list);
    if (!dialog) return 0;
    SInt16 item = 0;
    ModalDialog(nullptr, &item);
    for (SInt16 i = 1; i <= CountDITL(dialog); i++) {
        SInt16 type;
        Handle h;
        Rect box;
        GetDItem(dialog, i, &type, &h, &box);
        OrvaDialogClick(dialog, Point{SInt16((box.top + box.bottom) / 2), SInt16((box.left + box.right) / 2)});
    }
    OrvaDialogKey(dialog, 'x');
    OrvaDialogKey(dialog, 13);
    DisposDialog(dialog);
    return 0;
}

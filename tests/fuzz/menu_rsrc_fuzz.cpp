// ctest-labels: toolbox-ui
// A 'MENU' resource read into a menu whose items are measured, changed, added to and put in and
// out of the menu bar.
#include <cstdint>

#include "fuzz_toolbox.h"
#include "toolbox/menus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzStartToolbox();
    MenuHandle menu = OrvaMenuFromBytes(data, UInt32(size));
    if (!menu) return 0;
    SInt16 count = CountMItems(menu);
    for (SInt16 item = 0; item <= count + 1; item++) {
        if (MenuItemRecord *record = orva_localise_item_menu(menu, item)) {
            record->icon = SInt16(item & 1 ? 14 : 0);
            OrvaCalculeAireItem(record);
        }
    }
    InsMenuItem(menu, "fuzz", SInt16(count / 2));
    JISAppendMenu(menu, "last");
    InsertMenu(menu, 0);
    Rect title;
    OrvaRechercheRaccourciMenuBar(size ? data[0] : 'a', &title);
    FlashMenuBar((**menu).menuID);
    DrawMenuBar();
    DisposeMenu(menu);
    return 0;
}

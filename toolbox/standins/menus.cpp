// Stand-ins for the Menu Manager until it exists: menus hold no items and the menu bar has
// no shortcuts.
#include "toolbox/toolbox_services.h"

void InitMenus() {}
void InsMenuItem(MenuHandle, const char *, SInt16) {}
SInt16 CountMItems(MenuHandle) { return 0; }
MenuItemRecord *orva_localise_item_menu(MenuHandle, SInt16) { return nullptr; }
void OrvaCalculeAireItem(MenuItemRecord *) {}
void SetItemIcon(MenuHandle, SInt16, SInt16) {}
Boolean OrvaRechercheRaccourciMenuBar(UniChar, Rect *) { return kFalse; }
namespace {
UInt32 gFlashMenuBarCount;
}
void FlashMenuBar(SInt16) { gFlashMenuBarCount++; }
UInt32 OrvaGetFlashMenuBarCount() { return gFlashMenuBarCount; }

// The Menu Manager: menus made or read from 'MENU' resources, their items, the menu bar of the
// standalone program with its titles, shortcuts and flashing, and standard pop-up menus
// anchored to a rectangle. Code: menus.cpp (menus, items, the menu bar), popups.cpp (pop-ups).
// Main thread.
#pragma once

#include "toolbox/toolbox_services.h"

enum : SInt16 {
    kMenuIconWidth = 32,     // a non-zero icon number widens an item by this
    kMenuItemMaxCount = 999, // items a menu holds; more are refused
};

// One item. Its 16-bit icon number may be written by callers (then OrvaCalculeAireItem).
struct MenuItemRecord {
    Str255 text;     // MacRoman; "-" alone is a dividing line
    SInt16 icon;     // 0 none
    UInt8 key;       // command key, 0 none
    UInt8 mark;      // mark character, 0 none
    UInt8 style;     // QuickDraw face bits
    Boolean enabled;
    SInt16 width;    // pixels, OrvaCalculeAireItem's answer
    SInt16 height;
};

struct MenuInfo {
    SInt16 menuID;
    SInt16 menuWidth;   // the widest item
    SInt16 menuHeight;  // the items' heights together
    UInt32 enableFlags; // bit 0 the whole menu
    Str255 menuData;    // the title, MacRoman
    Handle items;       // MenuItemRecord[count]
    SInt16 count;
    Boolean popup;      // made by InitPopupMenuStd
    Rect anchor;        // a pop-up's rectangle, local coordinates of the port it was made in
    GrafPtr anchorPort;
};

MenuHandle NewMenu(SInt16 menuID, ConstStr255Param title);  // null without memory
// From 'MENU' id of the open resource files through the checked reader; null when missing or
// damaged (one message through the error sink).
MenuHandle GetMenu(SInt16 resourceID);
// The same from a 'MENU' resource's bytes (the caller's); null when they are damaged.
MenuHandle OrvaMenuFromBytes(const UInt8 *bytes, UInt32 size);
void DisposeMenu(MenuHandle menu);  // also takes it out of the menu bar
// Appends the zero-terminated MacRoman text as one item (no metacharacters are read).
void JISAppendMenu(MenuHandle menu, const char *text);
void EnableMenuItem(MenuHandle menu, SInt16 item);   // 0: the whole menu
void DisableMenuItem(MenuHandle menu, SInt16 item);
void SetItemMark(MenuHandle menu, SInt16 item, UInt8 mark);
void GetMenuItemText(MenuHandle menu, SInt16 item, Str255 text);  // empty out of range

// The menu bar: menus in title order.
void InsertMenu(MenuHandle menu, SInt16 beforeID);  // 0: at the end
void DeleteMenu(SInt16 menuID);
void ClearMenuBar();
MenuHandle GetMenuHandle(SInt16 menuID);            // of the menu bar; null when not there
void DrawMenuBar();                                 // OrvaDrawMenuBar
// The title's rectangle of a menu of the bar, global coordinates; false when not in the bar.
Boolean OrvaGetMenuTitleRect(SInt16 menuID, Rect *r);
Boolean OrvaIsMenuTitleFlashed(SInt16 menuID);     // FlashMenuBar left it highlighted

// The procedures of the toolbox's hook record (graphics/toolbox_hooks.h).
void OrvaMenusInsertItem(MenuHandle menu, const char *itemText, SInt16 afterItem);
SInt16 OrvaMenusCount(MenuHandle menu);
MenuItemRecord *OrvaMenusItem(MenuHandle menu, SInt16 item);
void OrvaMenusItemArea(MenuItemRecord *item);
void OrvaMenusSetItemIcon(MenuHandle menu, SInt16 item, SInt16 icon);
Boolean OrvaMenusFindShortcut(UniChar character, Rect *titleRect);
void OrvaMenusFlash(SInt16 menuID);
void OrvaMenusDrawBar();

// Standard pop-up menus.
MenuHandle InitPopupMenuStd(const Rect *anchor, SInt16 menuID);  // in the current port
// The item chosen (1-based), 0 when none. In the plug-in the platform shows a pop-up menu at
// the pointer and runs until it is done; outside, the menu is drawn at its anchor and followed
// while the button stays down.
SInt16 DoPopUpMenuStd(MenuHandle menu, SInt16 markedItem);
void DisposePopupMenuStd(MenuHandle menu);
// While a pop-up is followed outside the plug-in: an item's rectangle on the screen; false
// otherwise. For the scripts that move the pointer.
Boolean OrvaGetPopUpItemRect(SInt16 item, Rect *r);

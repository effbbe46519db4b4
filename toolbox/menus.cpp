// The Menu Manager: menus, their items, and the menu bar's titles, shortcuts and flashes.
#include "toolbox/menus.h"

#include <cctype>
#include <cstring>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/gtk/platform_windows.h"
#include "toolbox/resource_layouts.h"
#include "toolbox/theme_metrics.h"
#include "toolbox/windows.h"

namespace {

enum : SInt16 {
    kMenuBarMax = 32,       // menus the bar holds
    kItemMargin = 8,        // pixels left and right of an item's text
    kMarkColumn = 14,       // the mark's column before the text
    kShortcutGap = 16,      // between the text and the shortcut
};

// The menu bar's menus in title order, and which titles are flashed. Main thread.
struct MenuBarRecord {
    MenuHandle menus[kMenuBarMax];
    Boolean flashed[kMenuBarMax];
    SInt16 count = 0;
};
MenuBarRecord gBar;

MenuItemRecord *Items(MenuHandle menu) { return reinterpret_cast<MenuItemRecord *>(*(**menu).items); }
bool Valid(MenuHandle menu);
SInt16 BarIndex(SInt16 menuID);
void BarTitleRects(Rect *rects);  // local to the menu bar's port
void WithInterfaceFont(void (*body)(void *), void *context);
void FlashTitle(SInt16 index);

}  // namespace

// The menu bar starts empty and is drawn (its background alone until menus are inserted).
void InitMenus() {
    ClearMenuBar();
    OrvaMenusDrawBar();
}

MenuHandle NewMenu(SInt16 menuID, ConstStr255Param title) {
    MenuHandle menu = reinterpret_cast<MenuHandle>(NewHandleClear(sizeof(MenuInfo)));
    if (!menu) return nullptr;
    Handle items = NewHandle(0);
    if (!items) {
        DisposHandle(reinterpret_cast<Handle>(menu));
        return nullptr;
    }
    MenuInfo &m = **menu;
    m.menuID = menuID;
    m.enableFlags = 0xFFFFFFFF;
    m.items = items;
    if (title) memcpy(m.menuData, title, size_t(title[0]) + 1);
    return menu;
}

MenuHandle GetMenu(SInt16 resourceID) {
    Handle h = GetResource(FourCC("MENU"), resourceID);
    if (!h) return nullptr;
    UInt8 state = HGetState(h);
    HLock(h);
    MenuHandle menu = OrvaMenuFromBytes(reinterpret_cast<const UInt8 *>(*h), GetHandleSize(h));
    HSetState(h, state);
    if (!menu) OrvaErreurF("MENU %d damaged", resourceID);
    return menu;
}

MenuHandle OrvaMenuFromBytes(const UInt8 *bytes, UInt32 size) {
    MenuTemplateRecord templ;
    SInt32 count = 0;
    if (!bytes || !OrvaReadMenuTemplate(bytes, size, &templ, nullptr, 0, &count) || count > kMenuItemMaxCount)
        return nullptr;
    MenuItemLayout *layouts = reinterpret_cast<MenuItemLayout *>(NewPtr(UInt32(sizeof(MenuItemLayout) * (count + 1))));
    MenuHandle menu = layouts ? NewMenu(templ.menuID, templ.title) : nullptr;
    if (menu) OrvaReadMenuTemplate(bytes, size, &templ, layouts, count, &count);
    for (SInt32 i = 0; menu && i < count; i++) {
        char text[256];
        memcpy(text, bytes + layouts[i].textOffset, layouts[i].textLength);
        text[layouts[i].textLength] = 0;
        OrvaMenusInsertItem(menu, text, kInsMenuItemAppend);
        if ((**menu).count != i + 1) break;  // no memory: the items so far stay
        MenuItemRecord &item = Items(menu)[i];
        item.icon = layouts[i].icon;
        item.key = layouts[i].key;
        item.mark = layouts[i].mark;
        item.style = layouts[i].style;
        item.enabled = i + 1 > 31 || (templ.enableFlags >> (i + 1)) & 1;
        OrvaMenusItemArea(&item);
    }
    if (menu) (**menu).enableFlags = templ.enableFlags;
    if (layouts) DisposPtr(reinterpret_cast<Ptr>(layouts));
    return menu;
}

void DisposeMenu(MenuHandle menu) {
    if (!Valid(menu)) return;
    SInt16 index = BarIndex((**menu).menuID);
    if (index >= 0 && gBar.menus[index] == menu) DeleteMenu((**menu).menuID);
    DisposHandle((**menu).items);
    DisposHandle(reinterpret_cast<Handle>(menu));
}

void JISAppendMenu(MenuHandle menu, const char *text) { OrvaMenusInsertItem(menu, text, kInsMenuItemAppend); }

void EnableMenuItem(MenuHandle menu, SInt16 item) {
    if (!Valid(menu)) return;
    if (item == 0) (**menu).enableFlags |= 1;
    else if (MenuItemRecord *r = OrvaMenusItem(menu, item)) r->enabled = kTrue;
}

void DisableMenuItem(MenuHandle menu, SInt16 item) {
    if (!Valid(menu)) return;
    if (item == 0) (**menu).enableFlags &= ~1u;
    else if (MenuItemRecord *r = OrvaMenusItem(menu, item)) r->enabled = kFalse;
}

void SetItemMark(MenuHandle menu, SInt16 item, UInt8 mark) {
    if (MenuItemRecord *r = OrvaMenusItem(menu, item)) {
        r->mark = mark;
        OrvaMenusItemArea(r);
    }
}

void GetMenuItemText(MenuHandle menu, SInt16 item, Str255 text) {
    if (!text) return;
    text[0] = 0;
    if (MenuItemRecord *r = OrvaMenusItem(menu, item)) memcpy(text, r->text, size_t(r->text[0]) + 1);
}

void InsertMenu(MenuHandle menu, SInt16 beforeID) {
    if (!Valid(menu) || BarIndex((**menu).menuID) >= 0 || gBar.count >= kMenuBarMax) return;
    SInt16 at = beforeID ? BarIndex(beforeID) : -1;
    if (at < 0) at = gBar.count;
    for (SInt16 i = gBar.count; i > at; i--) {
        gBar.menus[i] = gBar.menus[i - 1];
        gBar.flashed[i] = gBar.flashed[i - 1];
    }
    gBar.menus[at] = menu;
    gBar.flashed[at] = kFalse;
    gBar.count++;
}

void DeleteMenu(SInt16 menuID) {
    SInt16 at = BarIndex(menuID);
    if (at < 0) return;
    for (SInt16 i = at; i + 1 < gBar.count; i++) {
        gBar.menus[i] = gBar.menus[i + 1];
        gBar.flashed[i] = gBar.flashed[i + 1];
    }
    gBar.count--;
}

void ClearMenuBar() { gBar.count = 0; }

MenuHandle GetMenuHandle(SInt16 menuID) {
    SInt16 at = BarIndex(menuID);
    return at < 0 ? nullptr : gBar.menus[at];
}

void DrawMenuBar() { OrvaMenusDrawBar(); }

Boolean OrvaGetMenuTitleRect(SInt16 menuID, Rect *r) {
    SInt16 at = BarIndex(menuID);
    GrafPtr bar = GTKGetMenuBarPort();
    if (!r || at < 0 || !bar) return kFalse;
    Rect rects[kMenuBarMax];
    BarTitleRects(rects);
    *r = rects[at];
    _OffsetRect(r, SInt16(bar->screenH - bar->portRect.left), SInt16(bar->screenV - bar->portRect.top));
    return kTrue;
}

Boolean OrvaIsMenuTitleFlashed(SInt16 menuID) {
    SInt16 at = BarIndex(menuID);
    return at >= 0 && gBar.flashed[at];
}

// Inserts after afterItem (0 first, past the last or 9999 at the end); refused past
// kMenuItemMaxCount items or without memory.
void OrvaMenusInsertItem(MenuHandle menu, const char *itemText, SInt16 afterItem) {
    if (!Valid(menu) || !itemText) return;
    SInt16 count = (**menu).count;
    if (count >= kMenuItemMaxCount) return;
    SInt16 at = afterItem < 0 ? 0 : afterItem > count ? count : afterItem;
    Handle items = (**menu).items;
    SetHandleSize(items, UInt32(count + 1) * sizeof(MenuItemRecord));
    if (MemError() != noErr) return;
    MenuItemRecord *list = Items(menu);
    memmove(list + at + 1, list + at, size_t(count - at) * sizeof(MenuItemRecord));
    MenuItemRecord &item = list[at];
    memset(&item, 0, sizeof item);
    size_t length = strlen(itemText);
    item.text[0] = UInt8(length > 255 ? 255 : length);
    memcpy(item.text + 1, itemText, item.text[0]);
    item.enabled = kTrue;
    (**menu).count = SInt16(count + 1);
    OrvaMenusItemArea(&Items(menu)[at]);
}

SInt16 OrvaMenusCount(MenuHandle menu) { return Valid(menu) ? (**menu).count : 0; }

MenuItemRecord *OrvaMenusItem(MenuHandle menu, SInt16 item) {
    if (!Valid(menu) || item < 1 || item > (**menu).count) return nullptr;
    return &Items(menu)[item - 1];
}

// The item's width and height in the interface font: margins, the mark's column, the text,
// the icon (kMenuIconWidth), the shortcut.
void OrvaMenusItemArea(MenuItemRecord *item) {
    if (!item) return;
    struct Context {
        MenuItemRecord *item;
    } context = {item};
    WithInterfaceFont(
        [](void *c) {
            MenuItemRecord *it = static_cast<Context *>(c)->item;
            FontInfo info;
            GetFontInfo(&info);
            SInt16 line = SInt16(info.ascent + info.descent + info.leading + 4);
            SInt16 width = SInt16(kItemMargin + kMarkColumn + TextWidth(it->text + 1, 0, it->text[0]) + kItemMargin);
            if (it->icon) width = SInt16(width + kMenuIconWidth);
            if (it->key) {
                char shortcut[8] = {'C', 't', 'r', 'l', '+', char(it->key), 0};
                width = SInt16(width + kShortcutGap + TextWidth(shortcut, 0, 6));
            }
            it->width = width;
            it->height = it->icon && line < kMenuIconWidth ? SInt16(kMenuIconWidth) : line;
        },
        &context);
}

void OrvaMenusSetItemIcon(MenuHandle menu, SInt16 item, SInt16 icon) {
    if (MenuItemRecord *r = OrvaMenusItem(menu, item)) {
        r->icon = icon;
        OrvaMenusItemArea(r);
    }
}

// A title's shortcut is its first letter, in either case.
Boolean OrvaMenusFindShortcut(UniChar character, Rect *titleRect) {
    if (character == 0 || character > 127) return kFalse;
    for (SInt16 i = 0; i < gBar.count; i++) {
        const MenuInfo &m = **gBar.menus[i];
        if (!m.menuData[0] || toupper(m.menuData[1]) != toupper(int(character))) continue;
        Rect r;
        if (!OrvaGetMenuTitleRect(m.menuID, &r)) r = Rect{0, 0, 0, 0};
        if (titleRect) *titleRect = r;
        return kTrue;
    }
    return kFalse;
}

// Each call inverts the title (every title for 0): two calls give the bar back as it was.
void OrvaMenusFlash(SInt16 menuID) {
    OrvaCountMenuBarFlash();
    if (menuID == 0) {
        for (SInt16 i = 0; i < gBar.count; i++) FlashTitle(i);
        return;
    }
    SInt16 at = BarIndex(menuID);
    if (at >= 0) FlashTitle(at);
}

void OrvaMenusDrawBar() {
    OrvaDrawMenuBarBackground();
    GrafPtr bar = GTKGetMenuBarPort();
    if (!bar || !bar->surface || gBar.count == 0) return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(bar);
    WithInterfaceFont(
        [](void *) {
            Rect rects[kMenuBarMax];
            BarTitleRects(rects);
            FontInfo info;
            GetFontInfo(&info);
            RGBColor black = {0, 0, 0};
            RGBForeColor(&black);
            for (SInt16 i = 0; i < gBar.count; i++) {
                const Rect &r = rects[i];
                Str255 title;
                memcpy(title, (**gBar.menus[i]).menuData, size_t((**gBar.menus[i]).menuData[0]) + 1);
                _MoveTo(SInt16(r.left + OrvaGetThemeMetrics()->menuTitleGap / 2),
                        SInt16((r.top + r.bottom + info.ascent - info.descent) / 2));
                _DrawText(title + 1, 0, title[0]);
                if (gBar.flashed[i]) OrvaInvertRect(&r);
            }
        },
        nullptr);
    SetPort(saved);
}

namespace {

bool Valid(MenuHandle menu) {
    Handle h = reinterpret_cast<Handle>(menu);
    return h && OrvaIsValidHandle(h) && GetHandleSize(h) == sizeof(MenuInfo) && OrvaIsValidHandle((**menu).items);
}

SInt16 BarIndex(SInt16 menuID) {
    for (SInt16 i = 0; i < gBar.count; i++)
        if ((**gBar.menus[i]).menuID == menuID) return i;
    return -1;
}

// Titles one after the other from the left, each its text's width and a gap.
void BarTitleRects(Rect *rects) {
    GrafPtr bar = GTKGetMenuBarPort();
    SInt16 gap = OrvaGetThemeMetrics()->menuTitleGap;
    SInt16 h = bar ? SInt16(bar->portRect.left + gap / 2) : 0;
    SInt16 top = bar ? bar->portRect.top : 0;
    SInt16 bottom = SInt16(top + OrvaThemeMenuBarHeight() - 1);
    GrafPtr saved;
    GetPort(&saved);
    if (bar) SetPort(bar);
    SInt16 font = qd.thePort ? qd.thePort->txFont : 0, size = qd.thePort ? qd.thePort->txSize : 0;
    TextFont(OrvaThemeFont());
    TextSize(OrvaGetThemeMetrics()->fontSize);
    for (SInt16 i = 0; i < gBar.count; i++) {
        const UInt8 *title = (**gBar.menus[i]).menuData;
        SInt16 width = SInt16(TextWidth(title + 1, 0, title[0]) + gap);
        rects[i] = Rect{top, h, bottom, SInt16(h + width)};
        h = SInt16(h + width);
    }
    TextFont(font);
    TextSize(size);
    SetPort(saved);
}

// Runs body in the current port with the interface font, then gives the port its font back.
void WithInterfaceFont(void (*body)(void *), void *context) {
    GrafPtr port = qd.thePort;
    if (!port) {
        body(context);
        return;
    }
    SInt16 font = port->txFont, size = port->txSize;
    UInt8 face = port->txFace;
    TextFont(OrvaThemeFont());
    TextSize(OrvaGetThemeMetrics()->fontSize);
    TextFace(0);
    body(context);
    TextFont(font);
    TextSize(size);
    TextFace(face);
}

void FlashTitle(SInt16 index) {
    gBar.flashed[index] = !gBar.flashed[index];
    GrafPtr bar = GTKGetMenuBarPort();
    if (!bar || !bar->surface) return;
    Rect rects[kMenuBarMax];
    BarTitleRects(rects);
    GrafPtr saved;
    GetPort(&saved);
    SetPort(bar);
    OrvaInvertRect(&rects[index]);
    SetPort(saved);
}

}  // namespace

// Standard pop-up menus: anchored to a rectangle of a port, shown by the platform inside the
// browser and drawn and followed here in the standalone program.
#include <cstring>
#include <initializer_list>

#include "graphics/cairo/dirty_areas.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "platform/core/language.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/popup_menu.h"
#include "toolbox/cursors.h"
#include "toolbox/events.h"
#include "toolbox/menus.h"
#include "toolbox/theme_metrics.h"
#include "toolbox/windows.h"

namespace {

enum : SInt16 { kPopUpMaxItems = kMenuItemMaxCount };

// The pop-up being followed: its window and items' rectangles (global). Main thread.
struct TrackedPopUp {
    WindowPtr window = nullptr;
    MenuHandle menu = nullptr;
    SInt16 hilited = 0;
};
TrackedPopUp gTracked;

SInt16 ShowOnPlatform(MenuHandle menu, SInt16 marked);
SInt16 Follow(MenuHandle menu, SInt16 marked);
void DrawPopUp(MenuHandle menu, SInt16 marked);
SInt16 ItemAt(Point global);
void Hilite(SInt16 item);

}  // namespace

MenuHandle InitPopupMenuStd(const Rect *anchor, SInt16 menuID) {
    const unsigned char empty[1] = {0};
    MenuHandle menu = NewMenu(menuID, empty);
    if (!menu) return nullptr;
    (**menu).popup = kTrue;
    if (anchor) (**menu).anchor = *anchor;
    (**menu).anchorPort = qd.thePort;
    return menu;
}

SInt16 DoPopUpMenuStd(MenuHandle menu, SInt16 markedItem) {
    if (!menu || OrvaMenusCount(menu) == 0) return 0;
    OrvaSetMenuOpen(kTrue);
    SInt16 chosen = OrvaIsPlugin() ? ShowOnPlatform(menu, markedItem) : Follow(menu, markedItem);
    OrvaSetMenuOpen(kFalse);
    MenuItemRecord *item = OrvaMenusItem(menu, chosen);
    return item && item->enabled ? chosen : SInt16(0);
}

void DisposePopupMenuStd(MenuHandle menu) { DisposeMenu(menu); }

// The item's rectangle on the screen while a pop-up is followed; false otherwise. Test seam
// for the scripts that move the pointer.
Boolean OrvaGetPopUpItemRect(SInt16 item, Rect *r) {
    if (!gTracked.window || !r || item < 1 || item > OrvaMenusCount(gTracked.menu)) return kFalse;
    const GrafPort &port = gTracked.window->port;
    SInt16 top = port.screenV;
    for (SInt16 i = 1; i < item; i++) top = SInt16(top + OrvaMenusItem(gTracked.menu, i)->height);
    *r = Rect{top, port.screenH, SInt16(top + OrvaMenusItem(gTracked.menu, item)->height),
              SInt16(port.screenH + port.portRect.right - port.portRect.left)};
    return kTrue;
}

namespace {

// The items in UTF-8 for the platform's menu.
SInt16 ShowOnPlatform(MenuHandle menu, SInt16 marked) {
    SInt16 count = OrvaMenusCount(menu);
    char **texts = reinterpret_cast<char **>(NewPtrClear(UInt32(sizeof(char *) * count)));
    if (!texts) return 0;
    SInt16 encoding = OrvaGetLangue() == kLanguageJapanese ? kEncodingShiftJis : kEncodingMacRoman;
    for (SInt16 i = 0; i < count; i++) {
        Str255 text;
        GetMenuItemText(menu, SInt16(i + 1), text);
        SInt32 bytes = 0;
        EncodedStr utf8 = text[0] ? ChangeTextEncoding(text + 1, 0, text[0], encoding, kEncodingUTF8, &bytes) : nullptr;
        texts[i] = NewPtrClear(UInt32(bytes + 1));
        if (texts[i] && utf8) memcpy(texts[i], utf8, size_t(bytes));
        DisposeEncodedStr(utf8);
    }
    SInt16 chosen = SystemDependantPopUpMenu(texts, count, marked);
    for (SInt16 i = 0; i < count; i++)
        if (texts[i]) DisposPtr(texts[i]);
    DisposPtr(reinterpret_cast<Ptr>(texts));
    return chosen;
}

// Shown below its anchor while the button stays down; the item under the pointer at release is
// chosen, none when the pointer left the menu.
SInt16 Follow(MenuHandle menu, SInt16 marked) {
    const MenuInfo &m = **menu;
    Point corner = {m.anchor.bottom, m.anchor.left};
    GrafPtr saved;
    GetPort(&saved);
    if (m.anchorPort) {
        SetPort(m.anchorPort);
        LocalToGlobal(&corner);
    }
    SInt16 width = SInt16(m.anchor.right - m.anchor.left), height = 0;
    for (SInt16 i = 1; i <= OrvaMenusCount(menu); i++) {
        MenuItemRecord *item = OrvaMenusItem(menu, i);
        if (item->width > width) width = item->width;
        height = SInt16(height + item->height);
    }
    Rect bounds = {corner.v, corner.h, SInt16(corner.v + height), SInt16(corner.h + width)};
    const unsigned char empty[1] = {0};
    gTracked.window = NewWindow(nullptr, &bounds, empty, kTrue, 3, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
    gTracked.menu = menu;
    gTracked.hilited = 0;
    SetPort(saved);
    if (!gTracked.window) return 0;
    DrawPopUp(menu, marked);
    Point where;
    do {
        OrvaUpdateDirtyWindows();
        lit_mouse(&where);
        Hilite(ItemAt(where));
    } while (StillDown());
    lit_mouse(&where);
    SInt16 chosen = ItemAt(where);
    DisposeWindow(gTracked.window);
    gTracked = TrackedPopUp();
    return chosen;
}

void DrawPopUp(MenuHandle menu, SInt16 marked) {
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&gTracked.window->port);
    SInt16 font = qd.thePort->txFont, size = qd.thePort->txSize;
    TextFont(OrvaThemeFont());
    TextSize(OrvaGetThemeMetrics()->fontSize);
    FontInfo info;
    GetFontInfo(&info);
    EraseRect(&qd.thePort->portRect);
    SInt16 top = 0;
    for (SInt16 i = 1; i <= OrvaMenusCount(menu); i++) {
        MenuItemRecord item = *OrvaMenusItem(menu, i);
        RGBColor ink = item.enabled ? RGBColor{0, 0, 0} : RGBColor{kThemeInactiveGrey, kThemeInactiveGrey, kThemeInactiveGrey};
        RGBForeColor(&ink);
        SInt16 baseline = SInt16(top + (item.height + info.ascent - info.descent) / 2);
        if (i == marked) {
            _MoveTo(4, baseline);
            DrawChar(0xA5);  // a bullet marks it
        }
        _MoveTo(22, baseline);
        _DrawText(item.text + 1, 0, item.text[0]);
        top = SInt16(top + item.height);
    }
    RGBColor black = {0, 0, 0};
    RGBForeColor(&black);
    TextFont(font);
    TextSize(size);
    SetPort(saved);
}

SInt16 ItemAt(Point global) {
    for (SInt16 i = 1; i <= OrvaMenusCount(gTracked.menu); i++) {
        Rect r;
        if (OrvaGetPopUpItemRect(i, &r) && _PtInRect(global, &r)) return i;
    }
    return 0;
}

void Hilite(SInt16 item) {
    if (item == gTracked.hilited) return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&gTracked.window->port);
    for (SInt16 flip : {gTracked.hilited, item}) {
        Rect r;
        if (!flip || !OrvaGetPopUpItemRect(flip, &r)) continue;
        const GrafPort &port = gTracked.window->port;
        _OffsetRect(&r, SInt16(port.portRect.left - port.screenH), SInt16(port.portRect.top - port.screenV));
        OrvaInvertRect(&r);
    }
    gTracked.hilited = item;
    SetPort(saved);
}

}  // namespace

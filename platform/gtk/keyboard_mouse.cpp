// Keyboard, pointer buttons and cursors on GDK.
#include "platform/gtk/keyboard_mouse.h"

#include <gdk/gdk.h>
#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/input_method.h"
#include "platform/core/back_end.h"
#include "platform/core/byte_reader.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

struct Pair {
    UInt32 from;
    UInt8 to;
};

const Pair kHardware[] = {
    {49, 0x32}, {10, 0x12}, {11, 0x13}, {12, 0x14}, {13, 0x15}, {14, 0x17}, {15, 0x16}, {16, 0x1A},
    {17, 0x1C}, {18, 0x19}, {19, 0x1D}, {20, 0x1B}, {21, 0x18}, {24, 0x0C}, {25, 0x0D}, {26, 0x0E},
    {27, 0x0F}, {28, 0x11}, {29, 0x10}, {30, 0x20}, {31, 0x22}, {32, 0x1F}, {33, 0x23}, {34, 0x21},
    {35, 0x1E}, {38, 0x00}, {39, 0x01}, {40, 0x02}, {41, 0x03}, {42, 0x05}, {43, 0x04}, {44, 0x26},
    {45, 0x28}, {46, 0x25}, {47, 0x29}, {48, 0x27}, {51, 0x2A}, {94, 0x3F}, {52, 0x06}, {53, 0x07},
    {54, 0x08}, {55, 0x09}, {56, 0x0B}, {57, 0x2D}, {58, 0x2E}, {59, 0x2B}, {60, 0x2F}, {61, 0x2C},
};

const Pair kSymbols[] = {
    {65505, 0x38}, {65506, 0x3C}, {65507, 0x37}, {65508, 0x37}, {65513, 0x3A}, {65514, 0x3D},
    {65300, 0x39}, {61, 0x2C},    {60, 0x32},    {41, 0x1B},    {32, 0x31},    {65289, 0x30},
    {65293, 0x24}, {65288, 0x33}, {65307, 0x35}, {65470, 0x7A}, {65471, 0x78}, {65472, 0x63},
    {65473, 0x76}, {65474, 0x60}, {65475, 0x61}, {65476, 0x62}, {65477, 0x64}, {65478, 0x65},
    {65479, 0x6D}, {65480, 0x67}, {65481, 0x6F}, {65482, 0x69}, {65483, 0x6B}, {65484, 0x71},
    {65365, 0x74}, {65366, 0x79}, {65367, 0x77}, {65368, 0x73}, {65379, 0x72}, {65535, 0x75},
    {65361, 0x7B}, {65362, 0x7E}, {65363, 0x7C}, {65364, 0x7D}, {65456, 0x52}, {65457, 0x53},
    {65458, 0x54}, {65459, 0x55}, {65460, 0x56}, {65461, 0x57}, {65462, 0x58}, {65463, 0x59},
    {65464, 0x5B}, {65465, 0x5C}, {65455, 0x4B}, {65450, 0x43}, {65453, 0x4E}, {65451, 0x45},
    {65454, 0x41}, {65407, 0x47}, {65421, 0x4C},
};

// Letters A..Z; lower case maps to the same codes.
const UInt8 kLetters[26] = {0x00, 0x0B, 0x08, 0x02, 0x0E, 0x03, 0x05, 0x04, 0x22, 0x26, 0x28, 0x25, 0x2E,
                            0x2D, 0x1F, 0x23, 0x0C, 0x0F, 0x01, 0x11, 0x20, 0x09, 0x0D, 0x07, 0x10, 0x06};

const char *const kKeyNames[] = {
    "2C =",           "3F <",           "1B )",           "38 Left Shift",  "3C Right Shift", "37 Ctrl",
    "3A Left Alt",    "3D Right Alt",   "31 Space",       "30 Tab",         "24 Return",      "33 Backspace",
    "35 Escape",      "7A F1",          "78 F2",          "63 F3",          "76 F4",          "60 F5",
    "61 F6",          "62 F7",          "64 F8",          "65 F9",          "6D F10",         "67 F11",
    "6F F12",         "69 F13",         "6B F14",         "71 F15",         "74 Pg Up",       "79 Pg Dn",
    "77 End",         "73 Begin",       "72 Insert",      "75 Delete",      "7B Left",        "7E Up",
    "7C Right",       "7D Down",        "52 0 (Keypad)",  "53 1 (Keypad)",  "54 2 (Keypad)",  "55 3 (Keypad)",
    "56 4 (Keypad)",  "57 5 (Keypad)",  "58 6 (Keypad)",  "59 7 (Keypad)",  "5B 8 (Keypad)",  "5C 9 (Keypad)",
    "4B / (Keypad)",  "43 * (Keypad)",  "4E - (Keypad)",  "45 + (Keypad)",  "41 . (Keypad)",  "4C Enter (Keypad)",
};

const char *const TabConvLibToKeyName[][2] = {
    {"twosuperior", "\xC2\xB2"}, {"ampersand", "&"}, {"eacute", "\xC3\xA9"}, {"quotedbl", "\""},
    {"apostrophe", "'"},         {"parenleft", "("}, {"minus", "-"},         {"egrave", "\xC3\xA8"},
    {"underscore", "_"},         {"ccedilla", "\xC3\xA7"}, {"agrave", "\xC3\xA0"}, {"parenright", ")"},
    {"equal", "="},              {"dollar", "$"},    {"ugrave", "\xC3\xB9"}, {"asterisk", "*"},
    {"less", "<"},               {"comma", ","},     {"semicolon", ";"},     {"colon", ":"},
    {"exclam", "!"},
};

UInt32 gKeyMap[4];
UInt32 gPluginButtons;
UInt32 gPolledButtons;
Point gPolledPosition = {-1, -1};
Boolean gHasFocus = kTrue;
SInt32 gLastCursorType = -1;

Boolean GdkPointerState(SInt16 *h, SInt16 *v, UInt32 *mask) {
    if (!gdk_display_get_default()) return kFalse;
    GdkWindow *root = gdk_get_default_root_window();
    if (!root) return kFalse;
    gint x = 0, y = 0;
    GdkModifierType state = GdkModifierType(0);
    gdk_window_get_pointer(root, &x, &y, &state);
    *h = SInt16(x);
    *v = SInt16(y);
    *mask = UInt32(state);
    return kTrue;
}

OrvaPointerStateReader gReader = GdkPointerState;

UInt32 ButtonBits(UInt32 mask) {
    UInt32 bits = 0;
    if (mask & GDK_BUTTON1_MASK) bits |= 1;
    if (mask & GDK_BUTTON3_MASK) bits |= 2;
    if (mask & GDK_BUTTON2_MASK) bits |= 4;
    if (mask & GDK_BUTTON4_MASK) bits |= 8;
    if (mask & GDK_BUTTON5_MASK) bits |= 16;
    return bits;
}

void SetRootCursor(GdkCursor *cursor) {
    GdkWindow *root = gdk_get_default_root_window();
    if (root && cursor) gdk_window_set_cursor(root, cursor);
    if (cursor) gdk_cursor_unref(cursor);
}

}  // namespace

UInt8 GtkLinuxKeyToScancode(UInt16 hardwareKeycode, UInt32 keySymbol, UInt32 character) {
    for (const Pair &p : kHardware)
        if (p.from == hardwareKeycode) return p.to;
    if (keySymbol == 65505) return 0x38;
    for (const Pair &p : kSymbols)
        if (p.from == keySymbol) return p.to;
    if (keySymbol >= 'A' && keySymbol <= 'Z') return kLetters[keySymbol - 'A'];
    if (keySymbol >= 'a' && keySymbol <= 'z') return kLetters[keySymbol - 'a'];
    return character < 128 ? UInt8(character + 128) : 0;
}

void GTKUpdateKeyState(UInt32 down, UInt32 keySymbol, UInt16 hardwareKeycode) {
    if (down == 65535) {
        memset(gKeyMap, 0, sizeof gKeyMap);
        return;
    }
    UInt8 code = GtkLinuxKeyToScancode(hardwareKeycode, keySymbol, 0);
    // A key in neither table (Caps Lock, dead keys...) has a code from 128 up: it has no
    // place in the 128-bit map.
    if (code >= 128) return;
    UInt32 bit = 1u << ((code ^ 24) & 31);
    if (down) gKeyMap[code / 32] |= bit;
    else gKeyMap[code / 32] &= ~bit;
}

void GTKGetKeyMap(UInt32 map[4]) {
    if (map) memcpy(map, gKeyMap, sizeof gKeyMap);
}

UInt16 GTKGetKeyAscii(UInt32 keySymbol) {
    switch (keySymbol) {
    case GDK_BackSpace: return 8;
    case GDK_Tab: return 9;
    case GDK_Return:
    case GDK_KP_Enter: return 13;
    case GDK_Escape: return 27;
    case GDK_Left: return 28;
    case GDK_Right: return 29;
    case GDK_Up: return 30;
    case GDK_Down: return 31;
    case GDK_Page_Up: return 11;
    case GDK_Page_Down: return 12;
    case GDK_End: return 4;
    case GDK_Home: return 1;
    case GDK_Insert: return 5;
    case GDK_Delete: return 127;
    default: break;
    }
    if (keySymbol >= GDK_F1 && keySymbol <= GDK_F12)
        return UInt16(GtkLinuxKeyToScancode(0, keySymbol, 0) << 8 | 0x10);
    return 0;
}

UInt16 GTKGetModifiers() {
    SInt16 h, v;
    UInt32 mask = 0;
    UInt16 modifiers = OrvaGetStandInModifiers();
    if (!gReader(&h, &v, &mask)) return modifiers;
    if (mask & GDK_SHIFT_MASK) modifiers |= 0x0200;
    if (mask & GDK_CONTROL_MASK) modifiers |= 0x0100;
    if (mask & GDK_MOD1_MASK) modifiers |= 0x0800;
    return modifiers;
}

void SystemDependantGetKeyName(UInt8 keyCode, char *name) {
    if (!name) return;
    name[0] = 0;
    for (const Pair &p : kHardware) {
        if (p.to != keyCode) continue;
        GdkKeymap *keymap = gdk_keymap_get_default();
        guint keyval = 0;
        if (keymap) {
            GdkKeymapKey key = {guint(p.from), 0, 0};
            keyval = gdk_keymap_lookup_key(keymap, &key);
        }
        const char *symbol = keyval ? gdk_keyval_name(keyval) : nullptr;
        if (symbol) {
            for (const auto &conv : TabConvLibToKeyName) {
                if (strcmp(conv[0], symbol) == 0) {
                    symbol = conv[1];
                    break;
                }
            }
            snprintf(name, 64, "%s", symbol);
            return;
        }
        break;
    }
    char code[3];
    snprintf(code, sizeof code, "%02X", keyCode);
    for (const char *entry : kKeyNames) {
        if (strncmp(entry, code, 2) == 0) {
            snprintf(name, 64, "%s", entry + 3);
            return;
        }
    }
    for (const Pair &p : kSymbols) {
        if (p.to == keyCode && p.from < 127) {
            snprintf(name, 64, "%c", char(p.from));
            return;
        }
    }
    for (int i = 0; i < 26; i++) {
        if (kLetters[i] == keyCode) {
            snprintf(name, 64, "%c", char('A' + i));
            return;
        }
    }
    if (keyCode < 128) snprintf(name, 64, "?");
    else snprintf(name, 64, "%c", char(keyCode - 128));
}

UInt32 SystemDependantGetMouseButton() {
    if (OrvaIsPlugin()) return gPluginButtons;
    SInt16 h, v;
    UInt32 mask = 0;
    if (!gReader(&h, &v, &mask)) return 0;
    return ButtonBits(mask);
}

void OrvaSetPluginMouseButton(UInt32 state) { gPluginButtons = state; }
UInt32 OrvaGetPluginMouseButton() { return gPluginButtons; }
void OrvaGtkSetHasFocus(Boolean focus) { gHasFocus = focus; }
Boolean OrvaGtkHasFocus() { return gHasFocus; }
void OrvaSetPointerStateReader(OrvaPointerStateReader reader) { gReader = reader ? reader : GdkPointerState; }

Boolean GTKUpdateMousePos() {
    Point where = {-1, -1};
    UInt32 buttons = 0;
    if (gHasFocus) {
        SInt16 h, v;
        UInt32 mask = 0;
        if (gReader(&h, &v, &mask)) {
            where.h = h;
            where.v = v;
            buttons = ButtonBits(mask);
        }
    }
    bool changed = buttons != gPolledButtons || where.h != gPolledPosition.h || where.v != gPolledPosition.v;
    OrvaSetMousePos(where, changed ? kTrue : kFalse);
    UInt32 went = buttons ^ gPolledButtons;
    for (int bit = 0; bit < 8; bit++) {
        if (!(went & (1u << bit))) continue;
        PostEvent((buttons & (1u << bit)) ? 1 : 2, 0);
    }
    gPolledButtons = buttons;
    gPolledPosition = where;
    if (changed) OrvaGereCursorWindows();
    return changed ? kTrue : kFalse;
}

SInt16 SystemDependantGetClosestCursor(SInt16 id) { return id == 10 ? 8 : id; }

SInt32 OrvaGdkCursorTypeFor(SInt16 id) {
    static const SInt32 kTypes[26] = {GDK_ARROW, GDK_RIGHT_PTR, GDK_CENTER_PTR, GDK_ARROW, GDK_XTERM,
                                      GDK_CROSSHAIR, GDK_CROSS, GDK_WATCH, GDK_HAND1, GDK_HAND2,
                                      GDK_HAND1, GDK_QUESTION_ARROW, GDK_X_CURSOR, GDK_FLEUR, GDK_LEFT_SIDE,
                                      GDK_TOP_SIDE, GDK_RIGHT_SIDE, GDK_BOTTOM_SIDE, GDK_TOP_LEFT_CORNER,
                                      GDK_TOP_RIGHT_CORNER, GDK_BOTTOM_RIGHT_CORNER, GDK_BOTTOM_LEFT_CORNER,
                                      GDK_SB_H_DOUBLE_ARROW, GDK_SB_V_DOUBLE_ARROW, GDK_SIZING, GDK_SIZING};
    id = SystemDependantGetClosestCursor(id);
    if (id < 0 || id >= 26) return GDK_ARROW;
    return kTypes[id];
}

SInt32 OrvaGetLastCursorType() { return gLastCursorType; }

UInt32 GTKSetStandardCursor(SInt16 id) {
    gLastCursorType = OrvaGdkCursorTypeFor(id);
    if (gdk_display_get_default()) SetRootCursor(gdk_cursor_new(GdkCursorType(gLastCursorType)));
    return 1;
}

UInt32 GTKSetMonochromeCursor(const OrvaCursorArea *) { return GTKSetStandardCursor(0); }

Boolean OrvaBuildColorCursorImage(const OrvaCursorArea *cursor, UInt8 *rgba, SInt32 *sizeOut, Point *hotSpot) {
    if (!cursor || !cursor->colorMap || !*cursor->colorMap) return kFalse;
    const PixMap &map = **cursor->colorMap;
    SInt32 depth = map.pixelSize;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8) return kFalse;
    SInt32 rowBytes = map.rowBytes & 0x3FFF;
    if (!map.baseAddr || rowBytes * 8 < 16 * depth) return kFalse;
    SInt32 rows = map.bounds.bottom - map.bounds.top;
    UInt32 available = rows > 0 ? UInt32(rows) * UInt32(rowBytes) : 0;  // the pixel bytes the map holds
    const ColorTable *table = map.pmTable && *map.pmTable ? *map.pmTable : nullptr;
    SInt32 count = table ? table->ctSize + 1 : 0;
    if (table && GetHandleSize(reinterpret_cast<Handle>(map.pmTable)) <
                     UInt32(sizeof(ColorTable) + sizeof(ColorSpec) * UInt32(count > 0 ? count - 1 : 0)))
        count = 0;
    const UInt8 *mask = cursor->colorMask && *cursor->colorMask && GetHandleSize(cursor->colorMask) >= 32
                            ? reinterpret_cast<const UInt8 *>(*cursor->colorMask)
                            : reinterpret_cast<const UInt8 *>(cursor->cursor.mask);
    // The 16 x 16 image, 4 bytes a pixel.
    UInt8 image[16][16][4];
    bool reported = false;
    ByteReader maskRows = OrvaByteReader(mask, 32);  // 16 big-endian rows, leftmost pixel first
    for (int y = 0; y < 16; y++) {
        UInt16 row = Get16(&maskRows);
        for (int x = 0; x < 16; x++) {
            UInt8 *p = image[y][x];
            p[0] = p[1] = p[2] = 255;
            p[3] = 0;
            if (!(row & (0x8000 >> x))) continue;
            UInt32 bitAt = UInt32(y * rowBytes) * 8 + UInt32(x * depth);
            if (bitAt / 8 >= available) continue;
            UInt8 byte = UInt8(map.baseAddr[bitAt / 8]);
            UInt32 index = (byte >> (8 - depth - SInt32(bitAt % 8))) & ((1u << depth) - 1);
            if (SInt32(index) >= count) {
                // A bad index leaves the pixel transparent; reported once a cursor.
                if (!reported) OrvaErreur("Depasse index color cursor");
                reported = true;
                continue;
            }
            const RGBColor &c = table->ctTable[index].rgb;
            p[0] = UInt8(c.red >> 8);
            p[1] = UInt8(c.green >> 8);
            p[2] = UInt8(c.blue >> 8);
            p[3] = 255;
        }
    }
    float scale = OrvaGetCursorScale();
    SInt32 s = SInt32(scale * 16);
    if (s < 8) s = 8;
    if (s > 32) s = 32;
    *sizeOut = s;
    for (SInt32 j = 0; j < s; j++) {
        for (SInt32 i = 0; i < s; i++) {
            UInt8 *out = rgba + (j * s + i) * 4;
            if (s == 16) {
                memcpy(out, image[j][i], 4);
                continue;
            }
            double sy = double(j) * 16 / s + (scale - 1) / 2, sx = double(i) * 16 / s + (scale - 1) / 2;
            SInt32 y0 = SInt32(sy), x0 = SInt32(sx);
            double fy = sy - y0, fx = sx - x0;
            auto at = [&](SInt32 x, SInt32 y, int c) -> double {
                if (x < 0 || y < 0 || x > 15 || y > 15) return c == 3 ? 0 : 255;
                return image[y][x][c];
            };
            for (int c = 0; c < 4; c++) {
                double v = (1 - fy) * ((1 - fx) * at(x0, y0, c) + fx * at(x0 + 1, y0, c)) +
                           fy * ((1 - fx) * at(x0, y0 + 1, c) + fx * at(x0 + 1, y0 + 1, c));
                out[c] = UInt8(v);
            }
            out[3] = out[3] >= 129 ? 255 : 0;
        }
    }
    // Scaled as a whole: the hot spot of a 24-pixel cursor moves by 3/2, not by 24/16 = 1.
    hotSpot->h = SInt16(cursor->cursor.hotSpot.h * s / 16);
    hotSpot->v = SInt16(cursor->cursor.hotSpot.v * s / 16);
    return kTrue;
}

UInt32 GTKSetColorCursor(const OrvaCursorArea *cursor) {
    if (OrvaIsPlugin()) return 0;
    UInt8 rgba[32 * 32 * 4];
    SInt32 s = 16;
    Point hot = {0, 0};
    if (!OrvaBuildColorCursorImage(cursor, rgba, &s, &hot)) return 0;
    gLastCursorType = -1;
    GdkDisplay *display = gdk_display_get_default();
    if (!display) return 1;
    GdkPixbuf *pixbuf = gdk_pixbuf_new_from_data(rgba, GDK_COLORSPACE_RGB, TRUE, 8, s, s, s * 4, nullptr, nullptr);
    if (!pixbuf) return 0;
    SetRootCursor(gdk_cursor_new_from_pixbuf(display, pixbuf, hot.h, hot.v));
    g_object_unref(pixbuf);
    return 1;
}

void SystemDependantCvtInsKey() {}
void SystemDependantStartLimitMouseMovements() {}
void SystemDependantStopLimitMouseMovements() {}
void SystemDependantSetMousePhysicalPos(SInt16, SInt16) {}
void GTKRestoreSystemCursor() {
    gLastCursorType = -1;
    if (!gdk_display_get_default()) return;
    if (GdkWindow *root = gdk_get_default_root_window()) gdk_window_set_cursor(root, nullptr);
    GList *windows = gtk_window_list_toplevels();
    for (GList *w = windows; w; w = w->next)
        if (GdkWindow *gdk = gtk_widget_get_window(GTK_WIDGET(w->data))) gdk_window_set_cursor(gdk, nullptr);
    g_list_free(windows);
}

void SystemDependantInitCursor() {}
void SystemDependantHideCursor() {}
void SystemDependantShowCursor() {}
void SystemDependantExitCursor() {}
UInt32 SystemDependantIsShortcutValid() { return 1; }

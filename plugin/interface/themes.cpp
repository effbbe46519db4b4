// Colour themes and looks.
#include "plugin/interface/themes.h"

#include <strings.h>

#include "plugin/instance.h"

PlugInThemeState plugInThemes;

namespace {

// The fourteen colours of a theme, in slot order (imgBkColor first, listColor last).
struct ThemeRow {
    const char *name;
    const char *colours[kColourSlotCount];
};

// In the order names are looked up.
const ThemeRow kThemes[kThemeCount] = {
    {"DRACULA", {"FFBBBB", "DD0000", "FFFFFF", "DD0000", "FF0000", "DD0000", "FFFFFF", "FF0000", "000000", "FF0000",
                 "000000", "090000", "FF0000", "800000"}},
    {"BLUELAGOON", {"FFFFFF", "EEFFFF", "0000FF", "EEFFFF", "0000FF", "DDFFFF", "0080FF", "0080FF", "008080", "00FFFF",
                    "008080", "00D0D0", "00D0FF", "000080"}},
    {"SPRINGFIELD", {"FFFFDD", "00FF80", "008000", "EEFFFF", "00FF00", "00D000", "004000", "00D000", "003000",
                     "00FF50", "008000", "80FF80", "00FF00", "008000"}},
    {"SNOWBALL", {"FFFFFF", "FFFFFF", "606060", "000000", "FFFFFF", "FFFFFF", "000000", "FFFFFF", "606060", "FFFFFF",
                  "E0E0E0", "D0D0D0", "808080", "000000"}},
    {"LIMEJUICE", {"FFFFDD", "FFFF90", "707030", "EEDD00", "FFFF00", "FFFF00", "000000", "D0D000", "FFFFFF", "FFFF00",
                   "404000", "909000", "D0D000", "000000"}},
    {"PINKY", {"FFF2FF", "FF90FF", "404050", "400040", "FF00FF", "FF00FF", "000000", "FF90FF", "FFFFFF", "D000D0",
               "400040", "F0A0F0", "F080F0", "800080"}},
    {"CHARCOAL", {"F0F0F0", "000000", "C0C0C0", "000000", "808080", "909090", "FFFFFF", "808080", "000000", "D0D0D0",
                  "101010", "000000", "A0A0A0", "000000"}},
    {"BRONZE", {"F7F5E7", "CFC46B", "484105", "CFC46B", "808080", "E3D45C", "000000", "E3D45C", "000000", "F1E26E",
                "101010", "D9D4A8", "CFC46B", "8A7D18"}},
    {"OPAL", {"F7F5E7", "7AD1E1", "484105", "39B1C7", "094E5A", "C0EEF6", "000000", "66BAC9", "000000", "5DC0D2",
              "101010", "B0E5EF", "49CDE5", "094E5A"}},
};

// ApplyTheme's indices into kThemes: OPAL, BLUELAGOON, SPRINGFIELD, SNOWBALL, LIMEJUICE, PINKY,
// CHARCOAL, BRONZE.
const SInt16 kIndexedThemes[kIndexedThemeCount] = {8, 1, 2, 3, 4, 5, 6, 7};

const PlugInLookRow kLooks[kLookCount] = {
    {"MOON", 32, 14, 0, 0, 0, 0},
    {"OCEAN", 20, 16, 0, 20, 16, 0},
    {"EVEREST", 40, 32, 0, 40, 32, 0},
    {"SHADOW", 27, 22, 4, 0, 0, 1},
};

void AppliqueTheme(PlugInInstance *instance, const ThemeRow &row) {
    for (SInt16 slot = 0; slot < kColourSlotCount; slot++) CvtStrToRGBColor(row.colours[slot], PlugInColourSlot(instance, slot));
}

}  // namespace

const PlugInLookRow *PlugInLook(SInt32 look) { return &kLooks[look >= 0 && look < kLookCount ? look : kLookMoon]; }

void ApplyColorCommand(PlugInInstance *instance, const char *name) {
    if (!instance || !name) return;
    for (const ThemeRow &row : kThemes) {
        if (strcasecmp(row.name, name) != 0) continue;
        AppliqueTheme(instance, row);
        plugInThemes.couleurFondAscenseurListe = instance->listColor;
        return;
    }
}

SInt16 GetNbThemes() { return kIndexedThemeCount; }

Boolean ApplyTheme(PlugInInstance *instance, SInt16 index) {
    if (!instance) return kFalse;
    Boolean known = index >= 0 && index < kIndexedThemeCount;
    if (known) AppliqueTheme(instance, kThemes[kIndexedThemes[index]]);
    else PlugInDefaultColor(instance);
    plugInThemes.couleurFondAscenseurListe = instance->listColor;
    return known;
}

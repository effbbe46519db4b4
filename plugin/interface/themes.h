// The player interface's fourteen colours and the named colour themes that set them, and the
// four looks: the icon cells of the icon bar and whether bars are shaded gradients or flat
// stripes. Main thread, inside the plug-in critical section.
#pragma once

#include "platform/core/mac_types.h"

struct PlugInInstance;

enum : SInt16 {
    kColourSlotCount = 14,   // imgBkColor ... listColor, in the order of PlugInColourSlot
    kThemeCount = 9,         // themes reachable by name
    kIndexedThemeCount = 8,  // themes reachable by index (all but DRACULA)
};

enum : SInt32 { kLookMoon = 0, kLookOcean = 1, kLookEverest = 2, kLookShadow = 3, kLookCount = 4 };

// One look: the icon bar's cells and how bars are filled.
struct PlugInLookRow {
    const char *name;   // the LOOK word
    SInt16 cellWidth;   // pixels between icon columns
    SInt16 rowHeight;   // pixels of an icon row
    SInt16 padding;     // pixels above and below the rows
    SInt16 iconWidth;   // the icon's rectangle inside its cell; 0: the whole cell
    SInt16 iconHeight;
    UInt8 shaded;       // gradient bars with bevels; else flat bars with stripes
};

// The row of a look; a value outside 0..3 answers MOON's.
const PlugInLookRow *PlugInLook(SInt32 look);

// Process-wide state of the themes; main thread.
struct PlugInThemeState {
    RGBColor couleurFondAscenseurListe;  // the play list's colour, erased under its scroll arrows
};
extern PlugInThemeState plugInThemes;

// Applies the theme of that name (any case) to the fourteen colours; nothing for an unknown
// name or null.
void ApplyColorCommand(PlugInInstance *instance, const char *name);
SInt16 GetNbThemes();  // kIndexedThemeCount
// Index 0..7 applies OPAL, BLUELAGOON, SPRINGFIELD, SNOWBALL, LIMEJUICE, PINKY, CHARCOAL, BRONZE
// and answers true; any other index restores the default colours and answers false. Either way
// couleurFondAscenseurListe follows listColor.
Boolean ApplyTheme(PlugInInstance *instance, SInt16 index);

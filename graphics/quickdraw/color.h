// The Color Manager: the standard 256-colour palette and its colour table, the gray table of
// 256-gray ports, the inverse table that turns a colour into the nearest index (cached in the
// preferences folder), the predefined indices of the classic colours and the RGB colour calls.
// Main thread only: the tables and the last-colour cache are process-wide and unguarded.
#pragma once

#include "graphics/quickdraw/ports.h"

struct ColorInfo {  // one palette entry, 16 bytes as a 'pltt' resource holds it
    RGBColor ciRGB;
    SInt16 ciUsage;
    SInt16 ciTolerance;
    SInt16 ciDataFields[3];
};
struct Palette {
    SInt16 pmEntries;        // entries that follow, never more than the handle holds
    SInt16 pmDataFields[7];
    ColorInfo pmInfo[1];     // pmEntries entries follow in the handle
};
typedef Palette *PalettePtr;
typedef PalettePtr *PaletteHandle;

enum : SInt32 {
    kPaletteHeaderBytes = 16,
    kPaletteEntryBytes = 16,
    kColorCount = 256,          // colours of the 8-bit tables, also their ctSize
    kColorTableSlots = 257,     // entry slots of the 8-bit tables; the last stays black
    kPredefColorSlots = 13,     // classic colour code / 32
    kITableHeaderBytes = 8,     // ctSeed (4), res (2), 2 spare; the index bytes follow
    kITableCacheRes = 5,
    kITableCacheBytes = 4 + 32768,  // the cache file: 00 00 01 00, then the resolution-5 grid
};
enum : SInt16 {
    kPluginPaletteId = 128,     // 'pltt' of the plug-in's resource file
    kSystemPaletteId = -128,    // 'pltt' of the system file
    kGrayPortDevice = 255,      // GrafPort.device of a 256-gray port
    kHiliteIndex = 10,          // the highlight colour's index in 8-bit stores
};
enum : SInt32 { kDefaultTableSeed = 598, kGrayTableSeed = 606 };

// Built by OrvaInitColorManager; the default table stays null while no palette was found.
extern CTabHandle OrvaDefault8BitsColorTable;
extern CTabHandle OrvaGray8BitsColorTable;       // entry i: 65535 - 257 i (0 white, 255 black)
extern PaletteHandle OrvaGray8BitsPalette;
extern SInt16 OrvaIndexPredefColor[kPredefColorSlots];  // by classic colour code / 32
extern SInt16 OrvaIndexGrayColor[kPredefColorSlots];
extern UInt8 OrvaIndexXorCouleur[kColorCount];   // per index, the index nearest its complement

// Loads the standard palette ('pltt' 128 in the plug-in, -128 otherwise) and builds every
// table. A missing palette is reported; outside the plug-in the process then ends, the
// plug-in goes on with the gray tables only. Safe to call again: the tables are rebuilt.
void OrvaInitColorManager();
// The 'pltt' resource id, detached, count and colours in memory order; the count is cut to
// the entries the resource holds. Null when missing or shorter than its header. Caller disposes.
PaletteHandle GetNewPalette(SInt16 id);
void SetPalette(void *window, PaletteHandle palette, Boolean updates);  // does nothing
void GetEntryColor(PaletteHandle palette, SInt16 index, RGBColor *rgb);  // nothing out of range

// Fills itab (null: the graphics device's, made on first use) for table (null: the default
// table; nothing without one) at res bits a channel (3..5, else 5). The resolution-5 table of
// the default table comes from "InverseColorTable.cfg" in the preferences folder when that file
// is exactly the header and 32768 bytes; otherwise it is computed and the file rewritten.
// Other tables are computed and leave the file alone.
void MakeITable(CTabHandle table, Handle itab, SInt16 res);
// The index nearest rgb: 255 - (r + g + b) / 768 on a 256-gray port, else the device's inverse
// table (built on first use); 0 while there is no default table.
SInt32 Color2Index(const RGBColor *rgb);
// The entry of the default table (the gray table on a 256-gray port); black outside 0..ctSize
// or without a table.
void Index2Color(SInt32 index, RGBColor *rgb);
// Sets each entry's value of table to the index of its colour, looked up in an inverse table
// made for match (made and freed in the call), or in the device's without match.
void GetSubTable(CTabHandle table, SInt16 res, CTabHandle match);
void OpColor(const RGBColor *rgb);  // the current port's blend colour (not recorded)
void GetForeColor(RGBColor *rgb);
void GetBackColor(RGBColor *rgb);
void OrvaCvtCouleurMacEnWindows(const RGBColor *rgb, UInt8 *red, UInt8 *green, UInt8 *blue);

Boolean OrvaIsGrayPort(const GrafPort *port);
// The colour half of ForeColor and BackColor: the index and colour of a classic colour code in
// port's tables. False (outputs unchanged) without a default table or for a code outside 0..415.
Boolean OrvaClassicColor(const GrafPort *port, SInt32 code, UInt32 *pixel, RGBColor *rgb);
// How many inverse tables were computed rather than read from the cache, since start-up.
UInt32 OrvaITableComputations();

// The font table: one descriptor per installed font family with its 16-bit id, the lookup of
// the classic system ids (0, 1, 3, 20, 21, 22, 0xE1xx-0xE3xx) to installed families, and the
// small text state that the Font Manager and the pango text layer share.
// font_table.cpp: the list, ids, defaults and lookups. text_state.cpp: angle, ratio,
// right-to-left, transcoding, antialiasing and the charset helpers. graphics/cairo/pango_fonts.cpp:
// the families from pango and font files added at run time.
// Main thread only: the table and the state are process-wide and unguarded.
#pragma once

#include "platform/core/mac_types.h"

struct GrafPort;
typedef GrafPort *GrafPtr;

enum : SInt32 {
    kFontNameSize = 256,          // bytes of a name field, terminator included
    kFontNameMax = 255,           // longer names are cut (at a UTF-8 character boundary)
    kFontListMax = 32767,         // descriptors kept; indexes are signed 16-bit
};

enum : UInt16 {
    kFontIDUnassigned = 0xFFFF,   // a descriptor whose id OrvaAddFont assigns
    kFontIDNone = 0xFFFF,         // answer of the strict name lookup for an unknown name
    kFontIDFirstCounted = 1000,   // ids of ordinary families: index in the list + 1000
    kFontIDZuBase = 0xEA00,       // families named "Zu ..." (music fonts): 0xEA00 + 26 a + b
    kFontIDSymbolFirst = 0xF000,  // 0xF000-0xFFFF: symbol fonts, whatever their flag says
    kFontIDDefaultSystem = 0xE200,  // the system sans-serif font of pictures and documents
};

enum : UInt16 { kFontMenuKindPlatform = 1 };

// One font descriptor, stored by value in the table's handle.
struct OrvaFontStruct {
    UInt16 fontID;                 // kFontIDUnassigned until OrvaAddFont gives one
    char name[kFontNameSize];      // the pango family name, UTF-8, NUL-terminated
    char secondName[kFontNameSize];  // a copy of name
    UInt8 reserved[768];           // zero
    SInt32 ascent;                 // per 1000 units of the font size
    SInt32 descent;
    SInt32 leading;
    UInt8 transcoding;             // 1: 8-bit text may be transcoded; 0: a symbol font (U+F000 page)
    UInt8 zero[2];
    UInt8 ones[3];                 // set to 1; the last is the charset byte
    UInt8 filler[16];              // 0xFF
    UInt16 menuKind;               // 1 platform font (font menu icon 14), 2 (icon 15), else no icon
    UInt8 zeroEnd[2];
};

// ---- font_table.cpp: building the list --------------------------------------------------------

void OrvaGetFontList();      // SystemDependantGetFontList: families already listed are kept
void OrvaDisposeFontList();  // every lookup answers none afterwards
// Appends a descriptor (copied) unless its non-empty name is already listed (case ignored) or
// the list is full; assigns its id when it is kFontIDUnassigned. Answers whether it was added.
Boolean OrvaAddFont(const OrvaFontStruct *descriptor);
// Makes id resolve to the listed font called name (strict lookup). True when id already
// resolves to a listed font or the name was found; false when the name is not listed.
Boolean OrvaAddDefaultFont(UInt16 id, const char *name);
// The names in order, ended by a null pointer; stops at the first that OrvaAddDefaultFont takes.
// (id is a 16-bit id passed as an int, as a variadic call promotes it.)
Boolean OrvaAddDefaultMultipleFont(SInt32 id, ...);
void OrvaInstallDefaultFonts();     // the rows of system ids, then OrvaUpdateSystemFontIDLut
void OrvaUpdateSystemFontIDLut();   // refreshes each lookup entry's index from its chosen id

// ---- font_table.cpp: lookups ------------------------------------------------------------------
// Each answers the default font when nothing matches, or "none" (null, -1, 0) while strict search
// is on or the list is empty. A descriptor pointer lives until the next font is added.
const OrvaFontStruct *OrvaGetFontStructFromIndex(SInt32 index);
UInt16 OrvaGetFontIDFromIndex(SInt32 index);
const char *OrvaGetFontNameFromIndex(SInt32 index);  // "" for none
const OrvaFontStruct *OrvaGetFontStructFromID(UInt16 id);  // the default-id lookup first
SInt32 OrvaGetFontIndexFromID(UInt16 id);
const OrvaFontStruct *OrvaGetFontStructFromName(const char *name);  // case ignored
SInt32 OrvaGetFontIndexFromName(const char *name);
UInt16 OrvaGetFontIDFromName(const char *name);  // 0 for none
// The id of the font listed under name (case ignored), never the default: kFontIDNone when no
// listed font has that name. For callers that must tell an unknown name from the default font.
UInt16 OrvaGetFontIDFromNameStrict(const char *name);
const char *OrvaGetFontNameFromID(UInt16 id);  // "" for none
SInt32 OrvaGetNbFonts();
void OrvaSetFontSearchStrict(Boolean strict);
Boolean OrvaGetFontSearchStrict();
// Among descriptors whose charset byte is charset and whose name begins with name (letter case
// counts), copies the shortest name (the first of equal ones) over name (kFontNameSize bytes).
void OrvaAdapteNomFonteCharset(char *name, UInt8 charset);
void OrvaStrippeNomFonte(char *name);  // removes ; CR ^ ! < / ( - in place (font menu items)
// Copies a font name into a kFontNameSize field, cut at a UTF-8 character boundary.
void OrvaCopyFontName(char *destination, const char *source);
// The first installed of the interface fonts, copied to outName (kFontNameSize bytes): true;
// false when none is installed.
Boolean SystemDependantGetBestLocalizedFont(void *ignored, char *outName);
void OrvaSetFontTranscodingByName(const char *name, Boolean transcoding);  // strict; unknown: nothing
void OrvaSetFontTranscoding(UInt16 id, Boolean transcoding);  // strict lookup; unknown id ignored
Boolean OrvaGetFontTranscoding(UInt16 id);  // false while the switch is off, else the font's flag

// ---- graphics/cairo/pango_fonts.cpp ------------------------------------------------------------
// Adds every pango family not listed yet, sorted by name (letter case ignored, then exact) so
// that counted ids are the same wherever the same fonts are installed; then the defaults.
void SystemDependantGetFontList();
// A new descriptor for a family: both names, the metrics pango gives at 1000 pixels (fixed ones
// for "Zu Figured Bass"), a text font of menu kind 1 whose id is still to be assigned.
void SystemDependantMakeFontStruct(const char *family, OrvaFontStruct *out);
// Installs the font file fontFile (a path) for this process, lists its families on a fresh font
// map, then makes the font named after the file (no folder, no extension) a symbol or text font.
// False when fontconfig refuses the file.
Boolean SystemDependantInstalleFonteLocale(const char *fontFile, Boolean isSymbol);
// Test seam: the family-order hook may reorder pango's family list (an array of PangoFontFamily
// pointers) before it is sorted. Null restores the default.
void OrvaSetFontFamilyOrderHook(void (*hook)(void **families, SInt32 count));

// ---- font_table.cpp: the font resource services ------------------------------------------------
// Gives the resource layer its menu and font calls (the items InsertResMenu inserts, GetFNum,
// GetFontName, the font items of InsertResMenu, the cached-font reset) and the memory manager
// its font purge.
void OrvaInstallFontServices();

// ---- text_state.cpp ---------------------------------------------------------------------------
void OrvaSetFontAngle(float degrees);
float OrvaGetFontAngle();
void OrvaSetCurrentFontRatio(float ratio);  // 0 reads back as 1.0
float OrvaGetCurrentFontRatio();
void OrvaSetFontScale(SInt16 a, SInt16 b, SInt16 c, SInt16 d);
void OrvaGetFontScale(SInt16 *a, SInt16 *b, SInt16 *c, SInt16 *d);
void OrvaFixeScriptRL(Boolean rightToLeft);
void OrvaFixeRLSelonTexte(const UniChar *text);  // from the first character's class; null: 0
Boolean OrvaIsRL();
// The global transcoding switch (on at start); records comment 5477 (on) or 5476 (off).
void OrvaSetTranscodeCharset(Boolean on);
Boolean OrvaGetTranscodeCharset();
// The port font's native form of 8-bit text: Shift-JIS to UTF-16 (*outIsSJIS true) under the
// Japanese interface with transcoding, MacRoman to UTF-8 with transcoding, else a plain copy.
// The result is a new pointer (the caller disposes); null with *outLength 0 for no text.
Ptr OrvaConvertitTexteEnCharsetNatif(GrafPtr port, const void *text, SInt32 offset, SInt32 length,
                                     SInt32 *outLength, Boolean *outIsSJIS);
// Japanese interface only: a position that falls inside a double-byte Shift-JIS character of
// text (length bytes) moves by delta. Answers the position.
SInt32 OrvaAjustePosJis(const UInt8 *text, SInt32 length, SInt32 position, SInt32 delta);
void OrvaSystemAntialiasing();    // nesting count + 1
void OrvaRestaureAntialiasing();  // nesting count - 1
SInt16 OrvaGetAntialiasingLevel();
void OrvaSetTypeAntialias(UInt16 kind);
UInt16 OrvaGetTypeAntialias();
UInt16 OrvaGetCurrentFontAntialias();

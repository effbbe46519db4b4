// The font table: the descriptors of the installed families with their ids, the default-id
// lookup that maps the classic system ids to installed families, the lookups by index, id and
// name, and the services the resource layer and the memory manager reach through hooks.
#include "graphics/text/font_table.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "graphics/text/font_manager.h"
#include "graphics/toolbox_hooks.h"
#include "platform/core/memory.h"
#include "platform/core/preferences.h"
#include "platform/core/resource_files.h"
#include "platform/core/text_encodings.h"

namespace {

// One entry of the default-id lookup: the first entry for a requested id wins.
struct FontIDLutEntry {
    UInt16 requested;  // the classic id asked for
    UInt16 chosen;     // id of the installed font that answers it
    SInt16 index;      // that font's index in the list (-1 when it is gone)
};

// The process-wide table. Main thread only.
struct FontTableRecord {
    Handle list;      // OrvaFontStruct entries, by value; null until the first font
    SInt32 count;     // descriptors in list
    Handle idLut;     // FontIDLutEntry entries; null until the first default
    Boolean strict;   // lookups answer "none" instead of the default font
};
FontTableRecord gFonts;

// One row of defaults: the ids it serves and the names tried in order.
struct DefaultFontRow {
    UInt16 id;
    const char *const *names;  // ended by a null pointer
};

// The misspelt typewriter name is kept for the fonts that carry it; the right one follows it.
const char *const kSansRow[] = {"Ubuntu", "DejaVu Sans", "Bitstream Vera Sans", "FreeSans", "Gill Sans", "Sans",
                                nullptr};
const char *const kSystemRow[] = {"DejaVu Sans", "Ubuntu", "Bitstream Vera Sans", "FreeSans", "Gill Sans", "Sans",
                                  nullptr};
const char *const kHelveticaRow[] = {"FreeSans", "Ubuntu", "DejaVu Sans", "Bitstream Vera Sans", "Gill Sans", "Sans",
                                     nullptr};
const char *const kSerifRow[] = {"FreeSerif", "DejaVu Serif", "Bitstream Vera Serif", "Luxi Serif", "Serif", nullptr};
const char *const kMonoRow[] = {"FreeMono", "DejaVu Sans Mono", "American Tyewriter", "American Typewriter",
                                "Terminal", "Monospace", nullptr};
const char *const kCourierRow[] = {"FreeMono", "DejaVu Sans Mono", "American Tyewriter", "American Typewriter",
                                   "Terminal", "Sans", nullptr};

const DefaultFontRow kDefaultFonts[] = {
    {0, kSansRow},          {1, kSansRow},          {3, kSystemRow},        {21, kHelveticaRow},
    {20, kSerifRow},        {22, kMonoRow},         {0xE100, kSerifRow},    {0xE200, kSansRow},
    {0xE300, kCourierRow},  {0xE180, kSerifRow},    {0xE181, kSerifRow},    {0xE182, kSerifRow},
    {0xE281, kHelveticaRow}, {0xE380, kMonoRow},
};

// The interface fonts, best first.
const char *const kLocalizedFonts[] = {"Ubuntu", "Tahoma", "Verdana", "Arial", "DejaVu Sans",
                                       "Bitstream Vera Sans", "FreeSans", "Gill Sans"};

const char kPrefSection[] = "Fontes";
const char kStrippedChars[] = ";\r^!</(-";

enum : SInt16 { kMenuIconPlatform = 14, kMenuIconSecond = 15 };

}  // namespace

static OrvaFontStruct *Descriptors();
static const FontIDLutEntry *LutEntries(SInt32 *count);
static SInt32 DefaultIndex();
static SInt32 LutIndex(UInt16 id);
static SInt32 ListedIndexOfName(const char *name);
static UInt16 AssignFontID(const OrvaFontStruct *font, SInt32 index);
static SInt16 HookFontIDFromName(const char *name);
static const char *HookFontNameFromID(SInt16 id);
static void HookAppendFontItems(MenuHandle menu);

void OrvaGetFontList() { SystemDependantGetFontList(); }

void OrvaDisposeFontList() {
    if (gFonts.list) DisposHandle(gFonts.list);
    if (gFonts.idLut) DisposHandle(gFonts.idLut);
    gFonts.list = nullptr;
    gFonts.idLut = nullptr;
    gFonts.count = 0;
}

Boolean OrvaAddFont(const OrvaFontStruct *descriptor) {
    if (!descriptor) return false;
    OrvaFontStruct font = *descriptor;
    font.name[kFontNameMax] = 0;
    font.secondName[kFontNameMax] = 0;
    if (font.name[0] && ListedIndexOfName(font.name) >= 0) return false;
    if (gFonts.count >= kFontListMax) return false;
    if (!gFonts.list) {
        gFonts.list = NewHandle(0);
        if (!gFonts.list) return false;
    }
    if (font.fontID == kFontIDUnassigned) font.fontID = AssignFontID(&font, gFonts.count);
    if ((font.fontID & 0xF000) == kFontIDSymbolFirst) font.transcoding = 0;
    if (PtrAndHand(&font, gFonts.list, sizeof font) != noErr) return false;
    gFonts.count++;
    return true;
}

Boolean OrvaAddDefaultFont(UInt16 id, const char *name) {
    Boolean wasStrict = gFonts.strict;
    gFonts.strict = true;
    Boolean known = OrvaGetFontIndexFromID(id) >= 0;
    SInt32 index = known ? -1 : ListedIndexOfName(name);
    gFonts.strict = wasStrict;
    if (known) return true;
    if (index < 0) return false;
    if (!gFonts.idLut) {
        gFonts.idLut = NewHandle(0);
        if (!gFonts.idLut) return false;
    }
    FontIDLutEntry entry = {id, Descriptors()[index].fontID, SInt16(index)};
    return PtrAndHand(&entry, gFonts.idLut, sizeof entry) == noErr;
}

Boolean OrvaAddDefaultMultipleFont(SInt32 id, ...) {
    va_list names;
    va_start(names, id);
    Boolean added = false;
    while (!added) {
        const char *name = va_arg(names, const char *);
        if (!name) break;
        added = OrvaAddDefaultFont(UInt16(id), name);
    }
    va_end(names);
    return added;
}

void OrvaInstallDefaultFonts() {
    for (const DefaultFontRow &row : kDefaultFonts)
        for (const char *const *name = row.names; *name; name++)
            if (OrvaAddDefaultFont(row.id, *name)) break;
    OrvaUpdateSystemFontIDLut();
}

void OrvaUpdateSystemFontIDLut() {
    // The chosen ids are the fonts' own, so a plain search finds them (-1: the font is gone).
    SInt32 count;
    LutEntries(&count);
    for (SInt32 i = 0; i < count; i++) {
        UInt16 chosen = ((FontIDLutEntry *)*gFonts.idLut)[i].chosen;
        SInt32 index = -1;
        for (SInt32 k = 0; k < gFonts.count && index < 0; k++)
            if (Descriptors()[k].fontID == chosen) index = k;
        ((FontIDLutEntry *)*gFonts.idLut)[i].index = SInt16(index);
    }
}

const OrvaFontStruct *OrvaGetFontStructFromIndex(SInt32 index) {
    if (index >= 0 && index < gFonts.count) return &Descriptors()[index];
    index = DefaultIndex();
    return index >= 0 ? &Descriptors()[index] : nullptr;
}

UInt16 OrvaGetFontIDFromIndex(SInt32 index) {
    const OrvaFontStruct *font = OrvaGetFontStructFromIndex(index);
    return font ? font->fontID : 0;
}

const char *OrvaGetFontNameFromIndex(SInt32 index) {
    const OrvaFontStruct *font = OrvaGetFontStructFromIndex(index);
    return font ? font->name : "";
}

const OrvaFontStruct *OrvaGetFontStructFromID(UInt16 id) {
    SInt32 index = OrvaGetFontIndexFromID(id);
    return index >= 0 ? &Descriptors()[index] : nullptr;
}

SInt32 OrvaGetFontIndexFromID(UInt16 id) {
    SInt32 index = LutIndex(id);
    if (index >= 0) return index;
    for (SInt32 i = 0; i < gFonts.count; i++)
        if (Descriptors()[i].fontID == id) return i;
    return DefaultIndex();
}

const OrvaFontStruct *OrvaGetFontStructFromName(const char *name) {
    SInt32 index = OrvaGetFontIndexFromName(name);
    return index >= 0 ? &Descriptors()[index] : nullptr;
}

SInt32 OrvaGetFontIndexFromName(const char *name) {
    SInt32 index = ListedIndexOfName(name);
    return index >= 0 ? index : DefaultIndex();
}

UInt16 OrvaGetFontIDFromName(const char *name) {
    const OrvaFontStruct *font = OrvaGetFontStructFromName(name);
    return font ? font->fontID : 0;
}

UInt16 OrvaGetFontIDFromNameStrict(const char *name) {
    SInt32 index = ListedIndexOfName(name);
    return index >= 0 ? Descriptors()[index].fontID : UInt16(kFontIDNone);
}

const char *OrvaGetFontNameFromID(UInt16 id) {
    const OrvaFontStruct *font = OrvaGetFontStructFromID(id);
    return font ? font->name : "";
}

SInt32 OrvaGetNbFonts() { return gFonts.count; }

void OrvaSetFontSearchStrict(Boolean strict) { gFonts.strict = strict ? 1 : 0; }

Boolean OrvaGetFontSearchStrict() { return gFonts.strict; }

void OrvaAdapteNomFonteCharset(char *name, UInt8 charset) {
    if (!name) return;
    size_t prefix = strlen(name);
    SInt32 best = -1;
    size_t bestLength = 0;
    for (SInt32 i = 0; i < gFonts.count; i++) {
        const OrvaFontStruct &font = Descriptors()[i];
        if (font.ones[2] != charset || strncmp(font.name, name, prefix) != 0) continue;
        size_t length = strlen(font.name);
        if (best < 0 || length < bestLength) {
            best = i;
            bestLength = length;
        }
    }
    if (best >= 0) OrvaCopyFontName(name, Descriptors()[best].name);
}

void OrvaStrippeNomFonte(char *name) {
    if (!name) return;
    char *out = name;
    for (const char *in = name; *in; in++)
        if (!strchr(kStrippedChars, *in)) *out++ = *in;
    *out = 0;
}

Boolean SystemDependantGetBestLocalizedFont(void *, char *outName) {
    for (const char *candidate : kLocalizedFonts) {
        SInt32 index = ListedIndexOfName(candidate);
        if (index < 0) continue;
        if (outName) OrvaCopyFontName(outName, Descriptors()[index].name);
        return true;
    }
    return false;
}

void OrvaSetFontTranscodingByName(const char *name, Boolean transcoding) {
    SInt32 index = ListedIndexOfName(name);
    if (index >= 0) Descriptors()[index].transcoding = transcoding ? 1 : 0;
}

void OrvaInstallFontServices() {
    ResourceServiceHooks hooks;
    OrvaGetResourceServiceHooks(&hooks);
    hooks.insertMenuItem = InsMenuItem;
    hooks.fontIDFromName = HookFontIDFromName;
    hooks.fontNameFromID = HookFontNameFromID;
    hooks.appendFontItems = HookAppendFontItems;
    hooks.invalidateCachedFont = OrvaInvalidateCachedFont;
    OrvaSetResourceServiceHooks(&hooks);
    OrvaSetPurgeFontsHook(PurgeFontes);
}

void OrvaSetFontTranscoding(UInt16 id, Boolean transcoding) {
    Boolean wasStrict = gFonts.strict;
    gFonts.strict = true;
    SInt32 index = OrvaGetFontIndexFromID(id);
    gFonts.strict = wasStrict;
    if (index >= 0) Descriptors()[index].transcoding = transcoding ? 1 : 0;
}

Boolean OrvaGetFontTranscoding(UInt16 id) {
    if (!OrvaGetTranscodeCharset()) return false;
    const OrvaFontStruct *font = OrvaGetFontStructFromID(id);
    return font && font->transcoding;
}

void OrvaCopyFontName(char *destination, const char *source) {
    size_t length = strnlen(source, kFontNameSize);
    if (length > size_t(kFontNameMax)) {
        length = kFontNameMax;
        while (length > 0 && (UInt8(source[length]) & 0xC0) == 0x80) length--;
    }
    memmove(destination, source, length);
    destination[length] = 0;
}

static OrvaFontStruct *Descriptors() { return gFonts.list ? (OrvaFontStruct *)*gFonts.list : nullptr; }

static const FontIDLutEntry *LutEntries(SInt32 *count) {
    *count = gFonts.idLut ? SInt32(GetHandleSize(gFonts.idLut) / sizeof(FontIDLutEntry)) : 0;
    return gFonts.idLut ? (const FontIDLutEntry *)*gFonts.idLut : nullptr;
}

static SInt32 DefaultIndex() {
    if (gFonts.strict || gFonts.count == 0) return -1;
    SInt32 index = LutIndex(0);
    return index >= 0 ? index : 0;
}

static SInt32 LutIndex(UInt16 id) {
    SInt32 count;
    const FontIDLutEntry *entries = LutEntries(&count);
    for (SInt32 i = 0; i < count; i++) {
        if (entries[i].requested != id) continue;
        SInt32 index = entries[i].index;
        return index >= 0 && index < gFonts.count ? index : -1;
    }
    return -1;
}

// The listed font of that name (letter case ignored), never the default; -1 when none.
static SInt32 ListedIndexOfName(const char *name) {
    if (!name) return -1;
    for (SInt32 i = 0; i < gFonts.count; i++)
        if (strcasecmp(Descriptors()[i].name, name) == 0) return i;
    return -1;
}

// The id of a new font: from the preferences, from a music font's name, else from its place.
static UInt16 AssignFontID(const OrvaFontStruct *font, SInt32 index) {
    char value[32];
    UInt16 id = kFontIDUnassigned;
    SystemDependantGetPrefString(kPrefSection, font->name, "-1", value, sizeof value);
    if (sscanf(value, "%hx", &id) != 1) id = kFontIDUnassigned;
    const UInt8 *name = (const UInt8 *)font->name;
    if (strlen(font->name) >= 4 && strncmp(font->name, "Zu ", 3) == 0) {
        // Letters of either case give 0-25 (A/a 0 ... Z/z 25).
        UInt16 a = UInt16(((name[3] - 1) & 31) % 26), b = UInt16(((name[4] - 1) & 31) % 26);
        id = UInt16(kFontIDZuBase + 26 * a + b);
    }
    if (id == kFontIDUnassigned) id = UInt16(index + kFontIDFirstCounted);
    return id;
}

static SInt16 HookFontIDFromName(const char *name) { return SInt16(OrvaGetFontIDFromName(name)); }

static const char *HookFontNameFromID(SInt16 id) {
    const OrvaFontStruct *font = OrvaGetFontStructFromID(UInt16(id));
    return font ? font->name : nullptr;
}

// Lists the fonts (building the list again first, so that new families appear) in a menu.
static void HookAppendFontItems(MenuHandle menu) {
    OrvaGetFontList();
    for (SInt32 i = 0; i < gFonts.count; i++) {
        char item[kFontNameSize];
        OrvaCopyFontName(item, Descriptors()[i].name);
        OrvaStrippeNomFonte(item);
        UTFToMacRoman(item);
        UInt16 kind = Descriptors()[i].menuKind;
        InsMenuItem(menu, item, kInsMenuItemAppend);
        SInt16 last = CountMItems(menu);
        SetItemIcon(menu, last, kind == 1 ? kMenuIconPlatform : kind == 2 ? kMenuIconSecond : 0);
        MenuItemRecord *record = orva_localise_item_menu(menu, last);
        if (record) OrvaCalculeAireItem(record);
    }
}

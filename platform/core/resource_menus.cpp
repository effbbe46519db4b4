// Resource names in menus and the font calls of the resource layer, with the hooks through
// which the menus, the font table and the port layer serve them.
#include "platform/core/resource_files.h"

#include <cstdio>

#include "platform/core/errors.h"
#include "platform/core/resource_files_internal.h"
#include "platform/core/runtime.h"

namespace {
ResourceServiceHooks gHooks = {};  // all "none" until the menu, font and port modules install theirs
}  // namespace

void OrvaSetResourceServiceHooks(const ResourceServiceHooks *hooks) {
    gHooks = hooks ? *hooks : ResourceServiceHooks{};
}

void OrvaGetResourceServiceHooks(ResourceServiceHooks *hooks) {
    if (hooks) *hooks = gHooks;
}

Boolean RealFont(SInt16 fontNum, SInt16 size) {
    if (fontNum < 0) return 1;
    SInt32 id = SInt32(fontNum) * 128 + size;
    if (id > 0x7FFF || id < -0x8000) return 0;
    for (ResFileRecord *file = OrvaPremierFichierRessource; file; file = file->next) {
        ResTypeRecord *t = OrvaFindResType(file, FourCC("FONT"));
        Handle entry = t ? t->firstEntry : nullptr;
        for (UInt32 i = 0; t && i < t->count && entry; i++, entry = EntryOf(entry)->next)
            if (EntryOf(entry)->id == SInt16(id)) return 1;
    }
    return 0;
}

// Each name goes right after afterItem, so a file's names end up in the opposite order of its
// chain; names starting with '.' are hidden.
void InsertResMenu(MenuHandle menu, ResType type, SInt16 afterItem) {
    for (ResFileRecord *file = OrvaPremierFichierRessource; file; file = file->next) {
        ResTypeRecord *t = OrvaFindResType(file, type);
        Handle entry = t ? t->firstEntry : nullptr;
        for (UInt32 i = 0; t && i < t->count && entry; i++, entry = EntryOf(entry)->next) {
            const char *name = EntryOf(entry)->name;
            if (name && name[0] != '.' && gHooks.insertMenuItem) gHooks.insertMenuItem(menu, name, afterItem);
        }
    }
    if (type == FourCC("FONT") && gHooks.appendFontItems) gHooks.appendFontItems(menu);
}

void GetFNum(const char *name, SInt16 *familyID) {
    *familyID = gHooks.fontIDFromName && name ? gHooks.fontIDFromName(name) : 0;
}

void GetFontName(SInt16 familyID, char *name) {
    if (familyID == 1) familyID = 3;
    const char *found = gHooks.fontNameFromID ? gHooks.fontNameFromID(familyID) : nullptr;
    snprintf(name, kResNameMax + 1, "%s", found ? found : "");
}

void OrvaResInvalidateCachedFont() {
    if (gHooks.invalidateCachedFont) gHooks.invalidateCachedFont();
}

void OrvaResCollectError(const char *message) {
    if (gHooks.collectError) gHooks.collectError(message);
    else OrvaErreur(message);
}

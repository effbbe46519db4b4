// Font-name equivalence: classes of interchangeable font names read from "FontReplace.txt",
// each listed name resolved once to an installed equivalent, and the font id for any name.
// Also the list of font names for encapsulated PostScript output. Main thread only.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 {
    kFontEQFileMax = 1 << 20,   // bytes of "FontReplace.txt" read at most
    kFontEQNamesMax = 32767,    // distinct names kept; later ones are ignored
    kFontEpsListSize = 1024,    // bytes of the PostScript font list
    kFontEpsListMax = 1021,     // characters the joined list may hold
};

// Called as (requested name, chosen name, id, replaced) whenever a name is resolved by its
// equivalent.
typedef void (*FontConversionProc)(const char *requested, const char *chosen, SInt16 id, Boolean replaced);

// Builds the table from the whole text of the file (NUL-terminated UTF-8; null: an empty
// table). One class a line, names separated by ',', '#' starting a comment. Answers 1.
Boolean FontEQProcessPreferenceFile(const char *text);
// Reads the file at path (any text encoding with or without a byte-order mark) and builds the
// table from it. False, with an empty table, when it cannot be read.
Boolean OrvaFontEQLoadFile(const char *path);
// -1: name is in no class; 0: no installed equivalent; 1: another installed equivalent (copied
// to outName); 2: installed itself (copied). "Default" is asked as "Times New Roman". At 0 or
// below outName receives the equivalent of "Times New Roman" when it has one. outName: 256 bytes.
SInt16 FontEQName(const char *name, char *outName);
// 0: name is installed (id set, outName untouched). 1: resolved through an equivalent (id 1
// and a report when that is not installed). 2: neither (id of the "Times New Roman"
// equivalent when installed, else 1). outName (256 bytes) receives the equivalent found.
SInt16 GetClosestIDFontFromName(const char *name, SInt16 *id, char *outName);
void ExtendedSetFontConversionCallback(FontConversionProc callback);  // null removes it
// True when the font table resolves name to an id whose name is exactly name; id is always
// written (0 for a null name).
Boolean CarboniseGetIDFontFromName(const char *name, SInt16 *id);

void NewListeFontEpsListe();      // an empty list (the previous one is disposed)
void DisposeListeFontEpsListe();
// Removes the blanks of name in place, then appends it unless the list holds it (letter case
// ignored) or it would not fit.
void AddFontEpsListe(char *name);
const char *OrvaGetListeFontEps();  // comma-separated; "" without a list

// The score engine's small memory, string and path utilities that the portability layer and
// QuickDraw call: handle release and copy, the scrap reader, the temporary folder, file-name
// splitting and a few C-string helpers. Main thread unless said otherwise.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 { kExtraitExtensionMax = 781 };  // characters of a name extrait_extension looks at

void LibereHandle(Handle *h);  // disposes *h when it is not null and clears it
Handle DupHandle(Handle h);    // a new handle holding a copy; null for null or without memory
// The Scrap Manager's GetScrap under the engine's name.
SInt32 GetScrapMem(Handle destination, ResType theType, SInt32 *offset);
// Makes the temporary folder current, finding it on the first call; FixeVolPath's result.
OSErr SetPathTmp();
// Splits name at the last '.' that follows its last '/': stem and extension (either may be null,
// each at least kExtraitExtensionMax + 1 bytes). Without such a dot the extension is empty.
void extrait_extension(const char *name, char *stem, char *extension);
void swapl(SInt32 *a, SInt32 *b);  // exchanges the two values
char *strupr(char *text);          // upper-cases ASCII letters in place; answers text
void _main();                      // the start-up hook of the standalone main: nothing to do

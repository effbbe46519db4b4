// The engine's text helpers over file names and MacRoman strings.
#pragma once

#include "platform/core/mac_types.h"

// Replaces the extension of path (the text after a '.' that follows the last '/') with
// extension, or appends "." and it. path holds kOrvaPathMax + 1 bytes; a result that would not
// fit leaves path unchanged, with a warning.
void ajoute_extension(char *path, const char *extension);
// True when the name's extension (after a '.' that follows the last '/') is extension, case
// ignored. A name without one matches nothing.
Boolean cmp_extension(const char *name, const char *extension);
char *strpurge(char *text);      // strips leading and trailing blanks and control bytes in place
UInt8 upcase(UInt8 character);   // MacRoman: the plain capital (accents dropped), else itself

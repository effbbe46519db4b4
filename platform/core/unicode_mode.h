// The process-wide Unicode switches: Unicode text, UTF-8 file names and the Unicode application
// mode. All are on until start-up sets them; any thread may read them.
#pragma once

#include "platform/core/mac_types.h"

Boolean OrvaIsSystemSupportUnicode();       // 1 on this platform
Boolean OrvaSetUnicodeMode(Boolean on);     // answers the previous value
Boolean OrvaIsUnicodeEnabled();             // supported and on
void OrvaSetUTFFileNames(Boolean on);
Boolean OrvaIsUTFFileNames();
void SetUnicodeApplication(Boolean on);     // also sets the Unicode text mode
Boolean IsUnicodeApplication();             // file names are used as UTF-8, unchanged

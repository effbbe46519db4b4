// The locale's date format through strftime, converted to MacRoman.
#include "platform/core/date_string.h"

#include <ctime>

#include "platform/core/text_encodings.h"
#include "platform/core/time_manager.h"

namespace {

enum : size_t { kDateTextSize = 256 };

}  // namespace

void DateString(UInt32 secs, SInt16, char *text) { SystemDependantDateToString(secs, text); }

void SystemDependantDateToString(UInt32 secs, char *text) {
    time_t seconds = time_t(secs) - time_t(kSecondsFrom1904To1970);
    struct tm local;
    if (localtime_r(&seconds, &local) == nullptr || strftime(text, kDateTextSize, "%x", &local) == 0) {
        text[0] = 0;
        return;
    }
    UTFToMacRoman(text);
}

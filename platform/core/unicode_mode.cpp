// The Unicode switches, as atomic bytes.
#include "platform/core/unicode_mode.h"

#include <atomic>

namespace {

std::atomic<Boolean> gUnicodeMode{kTrue};
std::atomic<Boolean> gUTFFileNames{kTrue};
std::atomic<Boolean> gUnicodeApplication{kTrue};

}  // namespace

Boolean OrvaIsSystemSupportUnicode() { return kTrue; }

Boolean OrvaSetUnicodeMode(Boolean on) { return gUnicodeMode.exchange(on ? kTrue : kFalse); }

Boolean OrvaIsUnicodeEnabled() { return OrvaIsSystemSupportUnicode() && gUnicodeMode.load(); }

void OrvaSetUTFFileNames(Boolean on) { gUTFFileNames.store(on ? kTrue : kFalse); }

Boolean OrvaIsUTFFileNames() { return gUTFFileNames.load(); }

void SetUnicodeApplication(Boolean on) {
    gUnicodeApplication.store(on ? kTrue : kFalse);
    OrvaSetUnicodeMode(on);
}

Boolean IsUnicodeApplication() { return gUnicodeApplication.load(); }

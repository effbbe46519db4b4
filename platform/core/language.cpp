// The interface language and its resource file.
#include "platform/core/language.h"

#include <cstdio>

#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"

namespace {

// Main thread only.
struct LanguageState {
    SInt16 language = kLanguageEnglish;
    SInt16 file = -1;  // the open language file, -1 none
    void (*changed)(SInt16 language) = nullptr;
};
LanguageState gLanguage;

const char *FileFor(SInt16 language) { return language == kLanguageFrench ? "WLang.rsr" : "WLangUS.rsr"; }

}  // namespace

SInt16 OrvaGetLangue() { return gLanguage.language; }

void OrvaFixeLangue(SInt16 language) {
    if (language == gLanguage.language && gLanguage.file > 0) return;
    const char *name = FileFor(language);
    // The new file is opened before the old one is closed, so that a missing file leaves the
    // interface with the language it had and a file to read it from. Opened, it is the current
    // file, so that lookups see it.
    SInt16 file = OpenResFile(name);
    if (file <= 0) {
        char message[64];
        snprintf(message, sizeof message, "Can't find '%s'", name);
        OrvaErreur(message);
        return;
    }
    SInt16 old = gLanguage.file;
    if (old > 0 && old != file) CloseResFile(old);
    gLanguage.file = file;
    gLanguage.language = language;
    if (gLanguage.changed) gLanguage.changed(language);
}

SInt16 OrvaGetLanguageResFile() { return gLanguage.file; }
void OrvaSetLanguageChangeHook(void (*changed)(SInt16 language)) { gLanguage.changed = changed; }

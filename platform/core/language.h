// The interface language and its resource file among the library's system files: "WLang.rsr"
// for French, "WLangUS.rsr" for every other language. Main thread.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt16 {
    kLanguageFrench = 0,
    kLanguageEnglish = 1,
    kLanguageItalian = 2,
    kLanguageGerman = 3,
    kLanguageSpanish = 4,
    kLanguageJapanese = 5,
};

SInt16 OrvaGetLangue();  // English until set
// Makes language the interface language. Unless it already is and its file is open, opens
// the language's file first (the search of OpenResFile; it becomes the current resource file)
// and then closes the previous one. A missing file is reported ("Can't find 'WLang.rsr'")
// through the error sink and changes nothing: the old language and its file stay.
void OrvaFixeLangue(SInt16 language);
SInt16 OrvaGetLanguageResFile();  // the open language file's number, -1 when none
// Called after every change of language (the toolbox recomputes its menu bar). Null: none.
void OrvaSetLanguageChangeHook(void (*changed)(SInt16 language));

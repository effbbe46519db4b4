// The interface language's resource files made for a test: empty "WLang.rsr" and "WLangUS.rsr"
// in folder, which becomes the system files' search folder, so that switching languages finds
// a file as it does in an installed program. Header only, for the fuzz targets too.
#pragma once

#include <string>

#include "platform/core/folders.h"
#include "platform/core/resource_files.h"

inline void OrvaMakeTestLanguageFiles(const std::string &folder, bool french = true, bool english = true) {
    orva_init_path_ressource();  // set once: the system folder given here is not replaced later
    SInt32 id = OrvaGetFolderId(folder.c_str());
    if (id > 0) OrvaPathRessource[2] = SInt16(id);  // first: files elsewhere are not looked at
    SavedCurrentFolderRecord saved;
    OrvaSaveCurrentFolder(&saved);
    if (OrvaSetCurrentDir(folder.c_str()) == 0) {
        if (french) CreateResFile("WLang.rsr");
        if (english) CreateResFile("WLangUS.rsr");
    }
    OrvaRestoreCurrentFolder(&saved);
}

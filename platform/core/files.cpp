// File routines of the engine and the Standard File replacements.
#include "platform/core/files.h"

#include <unistd.h>

#include <cstring>

#include "platform/core/back_end.h"
#include "platform/core/folders.h"
#include "platform/core/text_encodings.h"
#include "platform/core/unicode_mode.h"

namespace {

// A path in the form the operating system is given outside the Unicode application mode.
struct SystemNameRecord {
    char text[kOrvaPathMax + 1];
};

bool MacRomanForm(const char *path, SystemNameRecord *name);
FILE *OpenByName(const char *name, const char *mode);
void SplitFilterText(const char *filterText, char *firstPart, const char **filterList);

}  // namespace

FILE *Orvafopen(const char *path, const char *mode) { return SystemDependantfopen(path, mode); }

int Orvaremove(const char *path) {
    if (path == nullptr) return -1;
    if (!OrvaIsUTFFileNames() || OrvaIsSystemSupportUnicode()) return remove(path);
    SystemNameRecord name;
    if (strlen(path) > size_t(kOrvaPathMax)) return -1;
    strcpy(name.text, path);
    UTFToWindows(name.text);  // never longer than its UTF-8 form
    return remove(name.text);
}

FILE *OuvreFichier(const char *path, const char *mode) {
    if (path == nullptr || mode == nullptr) return nullptr;
    if (path[0] != '/') return OpenByName(path, mode);
    char folder[kOrvaPathMax + 1], name[kOrvaPathMax + 1];
    SplitPath(path, folder, name);
    if (folder[0] == 0 || name[0] == 0) return nullptr;
    SavedCurrentFolderRecord saved;
    OrvaSaveCurrentFolder(&saved);
    FILE *f = nullptr;
    if (FixeChemin(0, folder) == 0) f = OpenByName(name, mode);
    OrvaRestoreCurrentFolder(&saved);
    return f;
}

int SupprimeFichier(const char *path) {
    if (path == nullptr) return -1;
    if (IsUnicodeApplication()) {
        SInt32 units = 0;
        EncodedStr wide = UTFTextToUnicode(path, 0, SInt32(strlen(path) + 1), &units);
        if (wide == nullptr) return -1;
        int result = _wremove(reinterpret_cast<UniChar *>(wide));
        DisposeEncodedStr(wide);
        return result;
    }
    SystemNameRecord name;
    return MacRomanForm(path, &name) ? remove(name.text) : -1;
}

int SupprimeDossier(const char *path) { return path != nullptr ? rmdir(path) : -1; }

int RenommeFichier(const char *oldPath, const char *newPath) {
    if (oldPath == nullptr || newPath == nullptr) return -1;
    if (strlen(oldPath) > size_t(kRenamePathMax) || strlen(newPath) > size_t(kRenamePathMax)) return -1;
    if (IsUnicodeApplication()) return rename(oldPath, newPath);
    SystemNameRecord oldName, newName;
    if (!MacRomanForm(oldPath, &oldName) || !MacRomanForm(newPath, &newName)) return -1;
    return rename(oldName.text, newName.text);
}

UInt32 GetFileModifiedTime(const char *path) { return OrvaGetFileTime(path); }

Boolean OrvaSetFileLength(const char *path, SInt64 length) { return SystemDependantSetFileLength(path, length); }

Boolean OrvaFindFirstFile(const char *pattern, FindFileRecord *record) {
    return SystemDependantFindFirstFile(pattern, kFindAttributeAll, record);
}

Boolean OrvaFindNextFile(FindFileRecord *record) { return SystemDependantFindNextFile(record); }

UInt32 OrvaFindClose(FindFileRecord *record) { return SystemDependantFindClose(record); }

Boolean OrvaSelectFolder(const char *parent, char *path) { return SystemDependantSelectFolder(parent, path); }

void SFGetFile(Point, const char *filterText, void *, SInt16, const OSType *, void *, SFReply *reply) {
    char firstPart[kFilterTextMax + 1];
    const char *filterList = nullptr;
    SplitFilterText(filterText, firstPart, &filterList);
    SystemDependantGetFile(firstPart, filterList, reply);
}

void SFPGetFile(Point where, const char *filterText, void *fileFilter, SInt16 numTypes, const OSType *typeList,
                void *dialogHook, SFReply *reply, SInt16, void *) {
    SFGetFile(where, filterText, fileFilter, numTypes, typeList, dialogHook, reply);
}

void SFPutFile(Point, const char *prompt, const char *defaultName, void *, SFReply *reply) {
    SystemDependantPutFile(prompt, defaultName, nullptr, reply);
}

void SFPPutFile(Point where, const char *prompt, const char *defaultName, void *dialogHook, SFReply *reply, SInt16,
                void *) {
    SFPutFile(where, prompt, defaultName, dialogHook, reply);
}

void CountAppFiles(SInt16 *message, SInt16 *count) {
    if (message) *message = 0;
    if (count) *count = 0;
}

void GetAppFiles(SInt16, void *) {}

OSErr SetFInfo(const char *, SInt16, const void *) { return 0; }

OSErr GetFInfo(const char *, SInt16, void *) { return 0; }

namespace {

bool MacRomanForm(const char *path, SystemNameRecord *name) {
    if (strlen(path) > size_t(kOrvaPathMax)) return false;
    strcpy(name->text, path);
    UTFToMacRoman(name->text);  // never longer than its UTF-8 form
    return true;
}

FILE *OpenByName(const char *name, const char *mode) {
    if (IsUnicodeApplication()) return SystemDependantfopen(name, mode);
    SystemNameRecord system;
    return MacRomanForm(name, &system) ? fopen(system.text, mode) : nullptr;
}

// "first|rest": the first part is copied (cut to kFilterTextMax bytes), the rest is the filter
// list; without '|' there is no list.
void SplitFilterText(const char *filterText, char *firstPart, const char **filterList) {
    firstPart[0] = 0;
    *filterList = nullptr;
    if (filterText == nullptr) return;
    const char *bar = strchr(filterText, '|');
    size_t length = bar ? size_t(bar - filterText) : strlen(filterText);
    if (length > size_t(kFilterTextMax)) length = kFilterTextMax;
    memcpy(firstPart, filterText, length);
    firstPart[length] = 0;
    if (bar != nullptr) *filterList = bar + 1;
}

}  // namespace

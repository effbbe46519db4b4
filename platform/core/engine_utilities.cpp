// The score engine's small utilities that lower floors call.
#include "platform/core/engine_utilities.h"

#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/scrap.h"

namespace {

const SInt16 kOnSystemDisk = -32768;

// The temporary folder, found on the first SetPathTmp. Main thread only.
struct TemporaryFolderRecord {
    Boolean known;
    SInt16 vRefNum;
    SInt32 dirID;
};
TemporaryFolderRecord gTemporaryFolder;

}  // namespace

void LibereHandle(Handle *h) {
    if (!h || !*h) return;
    DisposHandle(*h);
    *h = nullptr;
}

Handle DupHandle(Handle h) {
    if (!h) return nullptr;
    UInt32 size = GetHandleSize(h);
    Handle copy = NewHandle(size);
    if (!copy) return nullptr;
    if (size) std::memcpy(*copy, *h, size);
    return copy;
}

SInt32 GetScrapMem(Handle destination, ResType theType, SInt32 *offset) {
    return GetScrap(destination, theType, offset);
}

OSErr SetPathTmp() {
    if (!gTemporaryFolder.known) {
        SInt16 vRefNum = 0;
        SInt32 dirID = 0;
        OSErr err = FindFolder(kOnSystemDisk, FourCC("temp"), kTrue, &vRefNum, &dirID);
        if (err != noErr) return err;
        gTemporaryFolder = {kTrue, vRefNum, dirID};
    }
    return FixeVolPath(gTemporaryFolder.vRefNum, gTemporaryFolder.dirID);
}

void extrait_extension(const char *name, char *stem, char *extension) {
    if (stem) stem[0] = 0;
    if (extension) extension[0] = 0;
    if (!name) return;
    size_t length = strnlen(name, kExtraitExtensionMax);
    // A dot inside a folder name is no extension: "music/a.b/score" has none.
    size_t dot = length;
    for (size_t i = length; i > 0; i--) {
        if (name[i - 1] == '/') break;
        if (name[i - 1] == '.') {
            dot = i - 1;
            break;
        }
    }
    if (stem) {
        std::memcpy(stem, name, dot);
        stem[dot] = 0;
    }
    if (extension && dot < length) {
        std::memcpy(extension, name + dot + 1, length - dot - 1);
        extension[length - dot - 1] = 0;
    }
}

void swapl(SInt32 *a, SInt32 *b) {
    if (!a || !b) return;
    SInt32 t = *a;
    *a = *b;
    *b = t;
}

char *strupr(char *text) {
    if (!text) return text;
    for (char *p = text; *p; p++)
        if (*p >= 'a' && *p <= 'z') *p = char(*p - 'a' + 'A');
    return text;
}

void _main() {}

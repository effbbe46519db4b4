// What the fuzz targets share: a private folder, with HOME, XDG_CONFIG_HOME and WORVA pointing
// into it, an error sink that keeps quiet, and message routines that keep quiet. The current folder is left alone, so that the
// fuzzing engine still finds its corpus by a relative path.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/runtime.h"

inline void FuzzQuietErrors(const char *) {}

inline void FuzzQuietMessage(const char *) {}
inline void FuzzQuietWarning(SInt16) {}
const OrvaMessageHooks kFuzzQuietMessages = {FuzzQuietMessage, FuzzQuietMessage, FuzzQuietWarning, FuzzQuietMessage};

// Collapse, Message, warnings and trace lines go nowhere (the runtime keeps the record).
inline void FuzzQuietMessages() { OrvaSetMessageHooks(&kFuzzQuietMessages); }

inline int FuzzRemoveEntry(const char *path, const struct stat *, int, struct FTW *) { return remove(path); }

// Answers the folder (without a trailing '/'); the same one on every call.
inline const std::string &FuzzFolder() {
    static std::string folder;
    if (!folder.empty()) return folder;
    const char *base = getenv("ORVA_TEST_TMP");
    std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/orva-fuzz-XXXXXX";
    char buffer[4096];
    snprintf(buffer, sizeof buffer, "%s", pattern.c_str());
    if (!mkdtemp(buffer)) abort();
    folder = buffer;
    atexit([] { nftw(FuzzFolder().c_str(), FuzzRemoveEntry, 16, FTW_DEPTH | FTW_PHYS); });
    mkdir((folder + "/config").c_str(), 0775);
    setenv("HOME", folder.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    setenv("WORVA", folder.c_str(), 1);
    OrvaSetErrorHook(FuzzQuietErrors);
    return folder;
}

inline void FuzzWriteFile(const std::string &path, const unsigned char *data, size_t size) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) abort();
    if (size) fwrite(data, 1, size, f);
    fclose(f);
}

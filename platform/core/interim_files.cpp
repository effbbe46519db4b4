// Interim folder table and file calls, weak so that the file layer's definitions win.
#include "platform/core/interim_files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <strings.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/runtime.h"

#define ORVA_INTERIM __attribute__((weak))

namespace {
std::vector<std::string> gFolders;

SInt16 Intern(const std::string &path) {
    for (size_t i = 0; i < gFolders.size(); i++)
        if (gFolders[i] == path) return SInt16(i + 1);
    gFolders.push_back(path);
    return SInt16(gFolders.size());
}
}  // namespace

ORVA_INTERIM OSErr GetVol(char *name, SInt16 *vRefNum) {
    char buffer[1024];
    std::string path = getcwd(buffer, sizeof buffer) ? buffer : "";
    if (path.empty() || path.back() != '/') path += '/';
    SInt16 id = Intern(path);
    if (vRefNum) *vRefNum = id;
    if (name) snprintf(name, 781, "%s", path.c_str());
    return noErr;
}

ORVA_INTERIM OSErr SetVol(const char *name, SInt16 vRefNum) {
    std::string path;
    if (name && name[0]) {
        path = name;
    } else {
        if (vRefNum < 1 || size_t(vRefNum) > gFolders.size()) return dirNFErr;
        path = gFolders[size_t(vRefNum) - 1];
    }
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return chdir(path.c_str()) == 0 ? noErr : -1;
}

ORVA_INTERIM FILE *Orvafopen(const char *path, const char *mode) {
    FILE *f = fopen(path, mode);
    if (f || mode[0] == 'w') return f;
    std::string p = path;
    size_t slash = p.rfind('/');
    std::string folder = slash == std::string::npos ? "." : p.substr(0, slash + 1);
    std::string file = slash == std::string::npos ? p : p.substr(slash + 1);
    DIR *dir = opendir(folder.c_str());
    if (!dir) return nullptr;
    while (dirent *e = readdir(dir)) {
        if (strcasecmp(e->d_name, file.c_str()) == 0) {
            std::string found = slash == std::string::npos ? e->d_name : folder + e->d_name;
            f = fopen(found.c_str(), mode);
            break;
        }
    }
    closedir(dir);
    return f;
}

ORVA_INTERIM OSErr FindFolder(SInt16, OSType folderType, Boolean createFolder,
                              SInt16 *foundVRefNum, SInt32 *foundDirID) {
    std::string path;
    const char *home = getenv("HOME");
    if (folderType == FourCC("pref")) {
        const char *config = getenv("XDG_CONFIG_HOME");
        path = config && config[0] ? std::string(config) : std::string(home ? home : "") + "/.config";
        path += "/ORVAPREF";
    } else if (folderType == FourCC("temp")) {
        path = "/tmp";
    } else if (folderType == FourCC("docs")) {
        path = home ? home : "";
    } else {
        return paramErr;
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (!createFolder) return fnfErr;
        std::string prefix;
        for (size_t i = 1; i <= path.size(); i++)
            if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0775);
        if (stat(path.c_str(), &st) != 0) return dirNFErr;
    }
    SInt16 saved;
    GetVol(nullptr, &saved);
    if (SetVol(path.c_str(), 0) != noErr) return fnfErr;
    SInt16 id;
    GetVol(nullptr, &id);
    SetVol(nullptr, saved);
    if (foundVRefNum) *foundVRefNum = 0;
    if (foundDirID) *foundDirID = id;
    return noErr;
}

ORVA_INTERIM Boolean OrvaGetNomChemin(SInt32 id, char *path) {
    if (id < 1 || size_t(id) > gFolders.size()) {
        path[0] = 0;
        return 0;
    }
    snprintf(path, 781, "%s", gFolders[size_t(id) - 1].c_str());
    return 1;
}

ORVA_INTERIM void OrvaSetDefaultPathGet(SInt16) {}
ORVA_INTERIM void OrvaSetDefaultPathPut(SInt16) {}

ORVA_INTERIM SInt32 SystemDependantGetApplicationExePath(char *buffer) {
    buffer[0] = 0;
    return 0;
}

ORVA_INTERIM OrvaSettings orvaSettings = {"Ondrak Application", 0, 1, 0, 0, 3, {0x0000, 0xF000, 0x8000},
                                          0, nullptr, "", {0, 0, 0, 0}};
ORVA_INTERIM Boolean OrvaIsPlugin() { return orvaSettings.pluginFlag; }

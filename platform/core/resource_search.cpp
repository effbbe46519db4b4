// The three resource search folders (where the program started, the executable's folder and
// the system files' folder) and the search that opens a resource file by name.
#include "platform/core/resource_files.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/errors.h"
#include "platform/core/files.h"
#include "platform/core/folders.h"
#include "platform/core/os_utilities.h"
#include "platform/core/resource_files_internal.h"
#include "platform/core/runtime.h"

SInt16 OrvaPathRessource[3] = {-1, -1, -1};

namespace {

const char kSystemFolder[] = "Worva";          // the system files' folder beside the program
const char kSystemFile[] = "WInit.rsr";        // marks a folder of system files
const char kDiagnosedName[] = "Cadenzo.rsr";   // a missing file of this name is reported
const size_t kSharePathMax = 511;              // depth-first search under /usr/share
const SInt16 kOnSystemDisk = -32768;

Boolean gPathsReady = 0;

FILE *OpenTrimmed(const char *name, const char *mode, char *opened);
SInt16 FolderId(const std::string &path);
std::string ExecutableFolder();
Boolean HoldsSystemFile(const std::string &folder);
Boolean SystemFolderFor(const std::string &exeFolder, std::string *found);
Boolean SearchShare(const std::string &folder, std::string *found);
FILE *ReportMissing(const char *name, const char *mode, SInt16 level, const char *before,
                    const char *lastTried);
[[noreturn]] void SystemFilesMissing(const std::string &exeFolder);

}  // namespace

FILE *orva_ouvre_ressource(const char *name, const char *mode, SInt16 level, char *folder,
                           char *openedName) {
    char before[kResPathMax], lastTried[kResPathMax] = "", opened[kResPathMax] = "";
    SInt16 saved;
    GetVol(before, &saved);
    orva_init_path_ressource();
    SInt16 tries[3];
    int count = 0;
    if (level == -1) {
        tries[count++] = saved;
        tries[count++] = OrvaPathRessource[1];
        tries[count++] = OrvaPathRessource[2];
    } else if (level >= 0 && level <= 2) {
        tries[count++] = OrvaPathRessource[level];
    }
    FILE *f = nullptr;
    for (int i = 0; i < count && !f; i++) {
        if (SetVol(nullptr, tries[i]) != noErr) continue;
        f = OpenTrimmed(name, mode, opened);
        GetVol(lastTried, nullptr);
    }
    SetVol(nullptr, saved);
    if (!f && name && strcasecmp(name, kDiagnosedName) == 0)
        f = ReportMissing(name, mode, level, before, lastTried);
    if (folder) snprintf(folder, kResPathMax, "%s", lastTried);
    if (openedName) snprintf(openedName, kResPathMax, "%s", opened);
    return f;
}

void orva_init_path_ressource() {
    if (gPathsReady) return;
    gPathsReady = 1;
    SInt16 saved;
    GetVol(nullptr, &saved);
    OrvaPathRessource[0] = saved;

    std::string exeFolder = ExecutableFolder();
    SInt16 exeId = FolderId(exeFolder);
    OrvaPathRessource[1] = exeId < 0 ? saved : exeId;
    SInt16 vRef;
    SInt32 docs;
    if (FindFolder(kOnSystemDisk, FourCC("docs"), 0, &vRef, &docs) == noErr) {
        OrvaSetDefaultPathGet(SInt16(docs));
        OrvaSetDefaultPathPut(SInt16(docs));
    } else {
        OrvaSetDefaultPathGet(OrvaPathRessource[1]);
        OrvaSetDefaultPathPut(OrvaPathRessource[1]);
    }

    OrvaPathRessource[2] = OrvaPathRessource[1];
    if (OrvaIsPlugin()) {
        SInt16 sub = FolderId(exeFolder + "/" + kSystemFolder);
        if (sub >= 0) OrvaPathRessource[2] = sub;
    } else {
        std::string system;
        if (!SystemFolderFor(exeFolder, &system)) SystemFilesMissing(exeFolder);
        SInt16 id = FolderId(system);
        if (id < 0) SystemFilesMissing(exeFolder);
        OrvaPathRessource[2] = id;
    }
    SetVol(nullptr, OrvaPathRessource[1]);
}

void orva_fixe_path_ressource(SInt16 level) {
    orva_init_path_ressource();
    if (level >= 0 && level <= 2) SetVol(nullptr, OrvaPathRessource[level]);
}

void GetPathStdOrva(char *path) {
    snprintf(path, kResPathMax, "/usr/share/%s", orvaSettings.applicationName);
}

namespace {

// Opens name in the current folder after cutting an extension to three characters
// ("x.rsrc" opens "x.rsr"); a '.' followed by '#' is no extension.
FILE *OpenTrimmed(const char *name, const char *mode, char *opened) {
    size_t length = name ? strlen(name) : 0;
    if (length < 1 || length >= kResPathMax) return nullptr;
    memcpy(opened, name, length + 1);
    for (size_t i = length; i-- > 0;) {
        char c = name[i];
        if (c != '.' && c != ':' && c != '/') continue;
        if (c == '.' && name[i + 1] != '#' && i + 4 < length) opened[i + 4] = 0;
        break;
    }
    return Orvafopen(opened, mode);
}

// The id of a folder, or -1 when it cannot be entered. The current folder is kept.
SInt16 FolderId(const std::string &path) {
    if (path.empty()) return -1;
    SInt16 saved, id;
    GetVol(nullptr, &saved);
    if (SetVol(path.c_str(), 0) != noErr) return -1;
    GetVol(nullptr, &id);
    SetVol(nullptr, saved);
    return id;
}

// The executable's folder: its path cut at the last '/' (kept after a drive letter).
std::string ExecutableFolder() {
    char exe[kResPathMax] = "";
    SystemDependantGetApplicationExePath(exe);
    if (!exe[0]) {
        ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        exe[n > 0 ? n : 0] = 0;
    }
    std::string path = exe;
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

Boolean HoldsSystemFile(const std::string &folder) {
    FILE *f = Orvafopen((folder + "/" + kSystemFile).c_str(), "rb");
    if (f) fclose(f);
    return f != nullptr;
}

// Where a standalone program's system files are, in the order of preference.
Boolean SystemFolderFor(const std::string &exeFolder, std::string *found) {
    std::string beside = exeFolder + "/" + kSystemFolder;
    // A program of the build tree (its tools/) finds the files the build made in resources/.
    std::string buildTree = exeFolder + "/../resources/" + kSystemFolder;
    const char *variable = getenv("WORVA");
    char standard[kResPathMax];
    GetPathStdOrva(standard);
    std::string standardSub = std::string(standard) + "/" + kSystemFolder;
    if (!exeFolder.empty() && HoldsSystemFile(beside)) *found = beside;
    else if (variable && variable[0]) *found = variable;
    else if (!exeFolder.empty() && HoldsSystemFile(buildTree)) *found = buildTree;
    else if (!exeFolder.empty() && HoldsSystemFile(exeFolder)) *found = exeFolder;
    else if (HoldsSystemFile(standard)) *found = standard;
    else if (HoldsSystemFile(standardSub)) *found = standardSub;
    else return SearchShare("/usr/share", found);
    return 1;
}

// Depth first; symbolic links are not followed, so a loop of links cannot trap the search.
Boolean SearchShare(const std::string &folder, std::string *found) {
    if (folder.size() > kSharePathMax) return 0;
    if (HoldsSystemFile(folder)) {
        *found = folder;
        return 1;
    }
    DIR *dir = opendir(folder.c_str());
    if (!dir) return 0;
    Boolean ok = 0;
    while (dirent *e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        std::string sub = folder + "/" + e->d_name;
        struct stat st;
        if (lstat(sub.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        if ((ok = SearchShare(sub, found))) break;
    }
    closedir(dir);
    return ok;
}

// Reports a missing file with a listing of the folder that was current; a file there whose
// name matches ignoring case and opens directly is answered after all.
FILE *ReportMissing(const char *name, const char *mode, SInt16 level, const char *before,
                    const char *lastTried) {
    std::string listing;
    FILE *direct = nullptr;
    FindFileRecord search;
    std::string pattern = std::string(before) + "*.*";
    for (Boolean found = OrvaFindFirstFile(pattern.c_str(), &search); found; found = OrvaFindNextFile(&search)) {
        if (search.attributes & kFindAttributeFolder) continue;
        if (strcasecmp(search.name, name) == 0) {
            FILE *f = fopen((std::string(before) + search.name).c_str(), "rb");
            listing += f ? "---> OPEN " : "---> NO_OPEN ";
            if (f && direct) fclose(f);
            else if (f) direct = f;
        }
        char line[kResPathMax + 64];
        snprintf(line, sizeof line, "%s (%u) %llu oct.\n", search.name, unsigned(search.attributes),
                 (unsigned long long)search.size);
        listing += line;
    }
    OrvaFindClose(&search);
    OrvaErreurF("Fichier %s inconnu dans %s et %s\n Mode %s niveau %d\nListe:\n%s", name, before,
                lastTried, mode, level, listing.c_str());
    return direct;
}

void SystemFilesMissing(const std::string &exeFolder) {
    char standard[kResPathMax];
    GetPathStdOrva(standard);
    const char *lines[] = {
        "Impossible de trouver le repertoire contenant les fichiers du systeme W-ORVA sur :",
        exeFolder.c_str(),
        standard,
        "Verifiez la presence d'un repertoire contenant les fichiers W-ORVA",
        "A defaut, reinstallez le logiciel",
        "Impossible to find the path containing the W-ORVA system files on:",
        exeFolder.c_str(),
        standard,
        "Ensure a subdirectory containing the W-ORVA system files exists",
        "If all seems correct, reinstall the software",
    };
    for (const char *line : lines) OrvaResCollectError(line);
    exit(1);
}

}  // namespace

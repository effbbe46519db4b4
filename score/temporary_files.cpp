// Temporary files.
#include "score/temporary_files.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "score/paths.h"

namespace {

const char kModele[] = "orva-XXXXXX";
const char kDossierSecours[] = "/tmp/";

SInt32 ExtensionSimple(const char *name, char *extension);

}  // namespace

void GetDossierTemporaire(char *path) {
    if (GetCheminDossier(kDossierTemporaire, path)) return;
    const char *tmp = getenv("TMPDIR");
    if (tmp && tmp[0] && strlen(tmp) + 2 < size_t(kOrvaPathMax)) {
        size_t n = strlen(tmp);
        snprintf(path, kOrvaPathMax + 1, "%s%s", tmp, tmp[n - 1] == '/' ? "" : "/");
        return;
    }
    snprintf(path, kOrvaPathMax + 1, "%s", kDossierSecours);
}

FILE *CreeFichierTemporaire(const char *folder, const char *name, char *path) {
    char extension[kExtensionTemporaireMax + 2];
    SInt32 suffix = ExtensionSimple(name, extension);
    int written = snprintf(path, kOrvaPathMax + 1, "%s%s%s", folder ? folder : kDossierSecours, kModele, extension);
    if (written < 0 || written > kOrvaPathMax) {
        path[0] = 0;
        return nullptr;
    }
    int fd = mkstemps(path, int(suffix));
    if (fd < 0) {
        path[0] = 0;
        return nullptr;
    }
    FILE *file = fdopen(fd, "w+b");
    if (!file) {
        close(fd);
        unlink(path);
        path[0] = 0;
    }
    return file;
}

int CreeFichierTemporaireAnonyme(const char *folder) {
    char path[kOrvaPathMax + 1];
    int written = snprintf(path, sizeof path, "%s%s", folder ? folder : kDossierSecours, kModele);
    if (written < 0 || written >= int(sizeof path)) return -1;
    int fd = mkstemp(path);
    if (fd >= 0) unlink(path);
    return fd;
}

namespace {

// "." and the plain extension of name into extension; answers its length (0 without one).
SInt32 ExtensionSimple(const char *name, char *extension) {
    extension[0] = 0;
    if (!name) return 0;
    const char *dot = strrchr(name, '.');
    const char *slash = strrchr(name, '/');
    const char *back = strrchr(name, '\\');
    if (!dot || (slash && slash > dot) || (back && back > dot)) return 0;
    size_t n = strlen(dot + 1);
    if (n == 0 || n > size_t(kExtensionTemporaireMax)) return 0;
    for (size_t i = 0; i < n; i++)
        if (!isalnum(UInt8(dot[1 + i])) || UInt8(dot[1 + i]) >= 128) return 0;
    extension[0] = '.';
    memcpy(extension + 1, dot + 1, n + 1);
    return SInt32(n + 1);
}

}  // namespace

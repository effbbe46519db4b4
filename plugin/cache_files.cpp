// The private cache folder, the names of cache files and their safe creation.
#include "plugin/cache_files.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <glib.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/runtime.h"
#include "plugin/embed_params.h"

namespace {

const char kCacheFolderStem[] = "ondrak-music-";
const char kLocalCacheFolder[] = "Cache";

// The cache folder and the counter of cache names; main thread.
struct CacheState {
    char folder[kCacheFolderSize];  // with a final '/'; "" until found
    SInt32 counter;                 // the next number tried; never decreases
};
CacheState gCache;

}  // namespace

static Boolean TakeFolder(const char *path);
static size_t PathLength(const char *url);
static Boolean EndsWith(const char *text, size_t length, const char *ending);

Boolean SetPathCache() {
    if (gCache.folder[0]) return kTrue;
    char path[kCacheFolderSize];
    snprintf(path, sizeof path, "%s/%s%lu", g_get_tmp_dir(), kCacheFolderStem, static_cast<unsigned long>(geteuid()));
    if (!TakeFolder(path)) {
        char here[PATH_MAX];
        if (!getcwd(here, sizeof here)) here[0] = 0;
        int n = snprintf(path, sizeof path, "%s/%s", here, kLocalCacheFolder);
        if (!here[0] || n < 0 || size_t(n) >= sizeof path || !TakeFolder(path)) {
            PlugTrace("Can't create Cache folder");
            return kFalse;
        }
    }
    snprintf(gCache.folder, sizeof gCache.folder, "%s/", path);
    return kTrue;
}

const char *GetCheminCache() { return gCache.folder; }

Boolean CheminFichierCache(const char *name, char *path, size_t size) {
    if (!name || !name[0] || !SetPathCache()) return kFalse;
    int n = snprintf(path, size, "%s%s", gCache.folder, name);
    return n >= 0 && size_t(n) < size;
}

void CacheExtensionOfUrl(const char *url, char extension[kCacheExtensionSize]) {
    size_t length = url ? PathLength(url) : 0;
    const char *chosen = EndsWith(url, length, "xml") ? "xml" : EndsWith(url, length, "mxl") ? "mxl" : "oms";
    snprintf(extension, kCacheExtensionSize, "%s", chosen);
}

void DocNameOfUrl(const char *url, char *name, size_t size) {
    if (size == 0) return;
    name[0] = 0;
    if (!url) return;
    size_t length = PathLength(url);
    size_t start = length;
    while (start > 0 && url[start - 1] != '/') start--;
    char encoded[kCacheFolderSize];
    size_t count = length - start < sizeof encoded - 1 ? length - start : sizeof encoded - 1;
    memcpy(encoded, url + start, count);
    encoded[count] = 0;
    PlugInPercentDecode(encoded, name, size);
}

FILE *NewCacheFile(const char *extension, char *name, size_t size) {
    if (!SetPathCache() || size == 0) return nullptr;
    for (SInt32 tries = 0; tries < kCacheNameTries && gCache.counter < INT32_MAX; tries++) {
        int n = snprintf(name, size, "F%08ld.%s", long(gCache.counter++), extension);
        if (n < 0 || size_t(n) >= size) break;
        FILE *file = CreeFichierCache(name);
        if (file) return file;
        if (errno != EEXIST) break;
    }
    name[0] = 0;
    return nullptr;
}

FILE *CreeFichierCache(const char *name) {
    char path[kCacheFolderSize];
    if (!CheminFichierCache(name, path, sizeof path)) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    // O_EXCL refuses any entry of that name, a link too, whether or not it leads anywhere.
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    FILE *file = fdopen(fd, "wb");
    if (!file) {
        int saved = errno;
        close(fd);
        unlink(path);
        errno = saved;
        return nullptr;
    }
    // Each block reaches the disk when it is written, so that a full disk is seen at once.
    setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

void SupprimeFichierCache(const char *name) {
    char path[kCacheFolderSize];
    if (CheminFichierCache(name, path, sizeof path)) unlink(path);
}

SInt32 GetCompteurCache() { return gCache.counter; }

// A folder of this user's that nobody else may write into: made when missing; a link, a file,
// another user's folder or one that cannot be made private is refused.
static Boolean TakeFolder(const char *path) {
    if (mkdir(path, 0700) != 0 && errno != EEXIST) return kFalse;
    struct stat st;
    if (lstat(path, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return kFalse;
    return (st.st_mode & 077) == 0 || chmod(path, 0700) == 0;
}

// The length of an address's path: up to its query or fragment.
static size_t PathLength(const char *url) { return strcspn(url, "?#"); }

static Boolean EndsWith(const char *text, size_t length, const char *ending) {
    size_t n = strlen(ending);
    return text && length >= n && strncasecmp(text + length - n, ending, n) == 0;
}

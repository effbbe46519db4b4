// Temporary home folder and small file helpers for tests.
#include "support/test_home.h"

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <unistd.h>

namespace {

// Function-local so that tests may call OrvaTestHome from their own static initialisers.
std::string &Home() {
    static std::string home;
    return home;
}

int RemoveEntry(const char *path, const struct stat *, int, struct FTW *) {
    remove(path);
    return 0;
}

void RemoveHome() {
    if (!Home().empty()) nftw(Home().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

const std::string &OrvaTestHome() {
    std::string &gHome = Home();
    if (gHome.empty()) {
        const char *base = getenv("ORVA_TEST_TMP");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/orva-test-XXXXXX";
        char *made = mkdtemp(&pattern[0]);
        if (made == nullptr) abort();
        char *resolved = realpath(made, nullptr);  // tests compare it with getcwd answers
        gHome = resolved ? resolved : made;
        free(resolved);
        setenv("HOME", gHome.c_str(), 1);
        setenv("XDG_CONFIG_HOME", gHome.c_str(), 1);
        atexit(RemoveHome);
    }
    return gHome;
}

bool OrvaTestWriteFile(const std::string &path, const std::string &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string OrvaTestReadFile(const std::string &path) {
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    char block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
    fclose(f);
    return bytes;
}

std::string OrvaTestCurrentFolder() {
    char buffer[8192];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

// The build tree seen from a running tool or benchmark.
#include "tools/demo_scores/build_tree.h"

#include <unistd.h>

std::string DossierArbreConstruction() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    std::string path(self, size_t(n));
    path = path.substr(0, path.rfind('/'));
    return path.substr(0, path.rfind('/'));
}

std::string DossierBanquesConstruites() {
    std::string tree = DossierArbreConstruction();
    return tree.empty() ? "SoundBank" : tree + "/SoundBank";
}

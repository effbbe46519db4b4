// The build tree seen from a running tool or benchmark.
#include "tools/demo_scores/build_tree.h"

#include <cstdlib>
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

void FixeDossierSystemeOutil() {
    std::string tree = DossierArbreConstruction();
    std::string built = tree.empty() ? "" : tree + "/resources/Worva";
    char here[4096];
    if (!built.empty() && access((built + "/WInit.rsr").c_str(), R_OK) == 0) setenv("WORVA", built.c_str(), 0);
    else if (getcwd(here, sizeof here)) setenv("WORVA", here, 0);
}

// Replays fuzz inputs without libFuzzer: every file named on the command line, or found in a
// folder named there, goes once through LLVMFuzzerTestOneInput. Fails when there is none.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static bool ReadFile(const std::string &path, std::vector<uint8_t> *bytes) {
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
    std::fclose(f);
    return true;
}

int main(int argc, char **argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; i++) {
        struct stat st;
        if (stat(argv[i], &st) != 0) continue;
        if (!S_ISDIR(st.st_mode)) {
            files.push_back(argv[i]);
            continue;
        }
        DIR *dir = opendir(argv[i]);
        while (dirent *entry = dir ? readdir(dir) : nullptr) {
            std::string path = std::string(argv[i]) + "/" + entry->d_name;
            if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(path);
        }
        if (dir) closedir(dir);
    }
    std::sort(files.begin(), files.end());
    for (const std::string &path : files) {
        std::vector<uint8_t> bytes;
        if (!ReadFile(path, &bytes)) {
            std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
            return 1;
        }
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return files.empty() ? 1 : 0;
}

// Replays every file of the corpus folders given as arguments through a fuzz target, so that
// every build checks the committed inputs without needing the fuzzing engine.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static bool ReplayFile(const std::string &path);

int main(int argc, char **argv) {
    int files = 0;
    for (int i = 1; i < argc; i++) {
        DIR *folder = opendir(argv[i]);
        if (folder == nullptr) {
            if (!ReplayFile(argv[i])) return 1;
            files++;
            continue;
        }
        while (struct dirent *entry = readdir(folder)) {
            if (entry->d_name[0] == '.') continue;
            if (!ReplayFile(std::string(argv[i]) + "/" + entry->d_name)) return 1;
            files++;
        }
        closedir(folder);
    }
    printf("replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}

static bool ReplayFile(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr) {
        fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
    fclose(f);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

// Runs every file of the folders (or files) named on the command line through a fuzz target
// once, so that committed corpora and the inputs of past crashes are replayed by every build.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static bool ReplayFile(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<uint8_t> bytes;
    int c;
    while ((c = getc(f)) != EOF) bytes.push_back(uint8_t(c));
    fclose(f);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

int main(int argc, char **argv) {
    int replayed = 0;
    for (int i = 1; i < argc; i++) {
        struct stat st;
        if (stat(argv[i], &st) != 0) {
            fprintf(stderr, "replay: cannot read %s\n", argv[i]);
            return 1;
        }
        if (!S_ISDIR(st.st_mode)) {
            replayed += ReplayFile(argv[i]);
            continue;
        }
        DIR *dir = opendir(argv[i]);
        std::vector<std::string> names;
        while (dirent *e = dir ? readdir(dir) : nullptr)
            if (e->d_name[0] != '.') names.push_back(std::string(argv[i]) + "/" + e->d_name);
        if (dir) closedir(dir);
        for (const std::string &name : names) replayed += ReplayFile(name);
    }
    printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}

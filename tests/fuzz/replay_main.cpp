// Runs every file of the folders (or files) named on the command line through a fuzz target
// once, so that committed corpora and the inputs of past crashes are replayed by every build.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

typedef std::vector<uint8_t> Input;

static bool ReadInput(const std::string &path, std::vector<Input> *inputs) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    Input bytes;
    int c;
    while ((c = getc(f)) != EOF) bytes.push_back(uint8_t(c));
    fclose(f);
    inputs->push_back(bytes);
    return true;
}

// Every input is read before the first runs: a target may change the current folder.
int main(int argc, char **argv) {
    std::vector<Input> inputs;
    for (int i = 1; i < argc; i++) {
        struct stat st;
        if (stat(argv[i], &st) != 0) {
            fprintf(stderr, "replay: cannot read %s\n", argv[i]);
            return 1;
        }
        if (!S_ISDIR(st.st_mode)) {
            ReadInput(argv[i], &inputs);
            continue;
        }
        DIR *dir = opendir(argv[i]);
        std::vector<std::string> names;
        while (dirent *e = dir ? readdir(dir) : nullptr)
            if (e->d_name[0] != '.') names.push_back(std::string(argv[i]) + "/" + e->d_name);
        if (dir) closedir(dir);
        for (const std::string &name : names)
            if (!ReadInput(name, &inputs)) fprintf(stderr, "replay: cannot read %s\n", name.c_str());
    }
    for (const Input &input : inputs) LLVMFuzzerTestOneInput(input.data(), input.size());
    printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}

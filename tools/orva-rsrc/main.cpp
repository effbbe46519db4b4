// orva-rsrc build DESC... OUT: writes the resource file the descriptions give, one after the
// other, through the library's own resource writer (deterministic; a temporary file renamed at
// the end).
// orva-rsrc list FILE: one line 'TYPE' ID "NAME" SIZE per resource, in map order.
// orva-rsrc dump FILE: a description that build turns back into the same file.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "description.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"

static int Build(char **descriptionPaths, int count, const char *outPath);
static int List(const char *path);
static int Dump(const char *path);
static bool ReadText(const char *path, std::string *text);
static std::string FolderOf(const std::string &path);
static SInt16 OpenForReading(const char *path);
static void ReadResources(std::vector<DescribedResource> *resources);
static bool WriteResources(const std::vector<DescribedResource> &resources, const std::string &temporary);

int main(int argc, char **argv) {
    // The library looks for its system files when it first opens a file; a tool has none, so
    // the folder it works in stands for them unless the environment names another.
    char here[4096];
    if (getcwd(here, sizeof here)) setenv("WORVA", here, 0);
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "build" && argc >= 4) return Build(argv + 2, argc - 3, argv[argc - 1]);
    if (command == "list" && argc == 3) return List(argv[2]);
    if (command == "dump" && argc == 3) return Dump(argv[2]);
    fprintf(stderr, "usage: orva-rsrc build DESCRIPTION... OUTPUT\n       orva-rsrc list FILE\n"
                    "       orva-rsrc dump FILE\n");
    return 2;
}

static int Build(char **descriptionPaths, int count, const char *outPath) {
    std::vector<DescribedResource> resources;
    for (int i = 0; i < count; i++) {
        std::string text, error;
        if (!ReadText(descriptionPaths[i], &text)) {
            fprintf(stderr, "%s: cannot read the description\n", descriptionPaths[i]);
            return 1;
        }
        if (!ParseDescription(text, FolderOf(descriptionPaths[i]), &resources, &error)) {
            fprintf(stderr, "%s:%s\n", descriptionPaths[i], error.c_str());
            return 1;
        }
    }
    std::string out = outPath, folder = FolderOf(out), base = out.substr(folder.size());
    if (base.empty() || (!folder.empty() && chdir(folder.c_str()) != 0)) {
        fprintf(stderr, "orva-rsrc: cannot write %s\n", outPath);
        return 1;
    }
    std::string temporary = "." + base + "." + std::to_string(getpid()) + ".tmp";
    bool written = WriteResources(resources, temporary) && rename(temporary.c_str(), base.c_str()) == 0;
    if (!written) {
        unlink(temporary.c_str());
        fprintf(stderr, "orva-rsrc: cannot write %s\n", outPath);
        return 1;
    }
    return 0;
}

static int List(const char *path) {
    SInt16 ref = OpenForReading(path);
    if (ref <= 0) return 1;
    std::vector<DescribedResource> resources;
    ReadResources(&resources);
    // ReadResources follows each type's chain, which runs opposite to the map.
    for (size_t i = 0; i < resources.size();) {
        size_t end = i;
        while (end < resources.size() && resources[end].type == resources[i].type) end++;
        for (size_t j = end; j-- > i;) {
            const DescribedResource &r = resources[j];
            char four[4] = {char(r.type >> 24), char(r.type >> 16), char(r.type >> 8), char(r.type)};
            printf("%s %d %s %zu\n", QuoteBytes(std::string(four, 4), '\'').c_str(), r.id,
                   QuoteBytes(r.name, '"').c_str(), r.data.size());
        }
        i = end;
    }
    CloseResFile(ref);
    return fflush(stdout) == 0 ? 0 : 1;
}

static int Dump(const char *path) {
    SInt16 ref = OpenForReading(path);
    if (ref <= 0) return 1;
    std::vector<DescribedResource> resources;
    ReadResources(&resources);
    CloseResFile(ref);
    fputs(DescribeResources(resources).c_str(), stdout);
    return fflush(stdout) == 0 ? 0 : 1;
}

static bool ReadText(const char *path, std::string *text) {
    FILE *f = fopen(path, "rb");
    if (!f) return false;
    char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) text->append(block, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

// The folder part of a path with its '/', or empty.
static std::string FolderOf(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Opens exactly the file named (an absolute path is not looked for in other folders).
static SInt16 OpenForReading(const char *path) {
    char *absolute = realpath(path, nullptr);
    SInt16 ref = absolute ? OpenResFile(absolute) : -1;
    free(absolute);
    if (ref <= 0) fprintf(stderr, "orva-rsrc: %s is not a readable resource file\n", path);
    return ref;
}

// The current file's resources: types in the file's order, each type in its chain's order
// (the order build adds them in to give the same file back).
static void ReadResources(std::vector<DescribedResource> *resources) {
    for (SInt16 t = 1; t <= Count1Types(); t++) {
        ResType type;
        Get1IndType(&type, t);
        for (SInt16 i = 1; i <= Count1Resources(type); i++) {
            Handle h = Get1IndResource(type, i);
            DescribedResource r{type, 0, false, std::string(), {}, 0};
            char name[256];
            GetResInfo(h, &r.id, &r.type, name);
            r.name = name;
            r.hasName = !r.name.empty();
            if (h && *h) r.data.assign(reinterpret_cast<UInt8 *>(*h), reinterpret_cast<UInt8 *>(*h) + GetHandleSize(h));
            if (!h) fprintf(stderr, "orva-rsrc: resource %d of a type could not be read\n", i);
            resources->push_back(r);
        }
    }
}

// Writes the resources into a new resource file of that name in the current folder.
static bool WriteResources(const std::vector<DescribedResource> &resources, const std::string &temporary) {
    CreateResFile(temporary.c_str());
    if (ResError() != noErr) return false;
    SInt16 ref = OpenResFile(temporary.c_str());
    if (ref <= 0) return false;
    bool ok = true;
    for (const DescribedResource &r : resources) {
        Handle h = NewHandle(UInt32(r.data.size()));
        if (!h) {
            ok = false;
            break;
        }
        if (!r.data.empty()) BlockMove(r.data.data(), *h, SInt32(r.data.size()));
        AddResource(h, r.type, r.id, r.hasName ? r.name.c_str() : nullptr);
        if (ResError() != noErr) {
            DisposHandle(h);
            ok = false;
            break;
        }
    }
    if (ok) {
        UpdateResFile(ref);
        ok = ResError() == noErr;
    }
    CloseResFile(ref);
    return ok && ResError() == noErr;
}

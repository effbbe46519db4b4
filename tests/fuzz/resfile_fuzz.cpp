// ctest-labels: resources
// Bytes as a resource file, opened both as a plain file (".rsf") and as one whose map may be
// scrambled: every resource read by index and by name, then one changed and one added and the
// file rewritten.
#include <cstdint>
#include <cstring>

#include "tests/fuzz/fuzz_support.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"

static void Exercise(const std::string &path) {
    const char *name = path.c_str();
    SInt16 ref = OpenResFile(name);
    if (ref <= 0) return;
    Handle first = nullptr;
    for (SInt16 t = 1; t <= Count1Types() && t <= 64; t++) {
        ResType type;
        Get1IndType(&type, t);
        for (SInt16 i = 1; i <= Count1Resources(type) && i <= 256; i++) {
            Handle h = Get1IndResource(type, i);
            SInt16 id;
            ResType same;
            char resName[256];
            GetResInfo(h, &id, &same, resName);
            if (h && !first && GetHandleSize(h) > 0) first = h;
            if (resName[0]) GetNamedResource(type, resName);
            SizeResource(h);
        }
    }
    if (first) ChangedResource(first);
    Handle added = NewHandle(3);
    memcpy(*added, "new", 3);
    AddResource(added, FourCC("ADDD"), 1, "added");
    if (ResError() != 0) DisposHandle(added);
    UpdateResFile(ref);
    CloseResFile(ref);
    OpenResFile(name);  // the rewritten file must read again
    while (OrvaPremierFichierRessource) CloseResFile(SInt16(OrvaPremierFichierRessource->fileNumber));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &folder = FuzzFolder();
    FuzzWriteFile(folder + "/fuzz.rsf", data, size);
    FuzzWriteFile(folder + "/fuzz.dat", data, size);
    Exercise(folder + "/fuzz.rsf");
    Exercise(folder + "/fuzz.dat");
    return 0;
}

// ctest-labels: xml-zip
// Any bytes as a zip file: members by name and by index come out whole, within the member
// limit, with a terminated name, or not at all.
// Seeded from tests/data/corpus/musicxml beside this target's own corpus.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "import/xml/zip_members.h"
#include "platform/core/memory.h"

namespace {

enum : size_t { kMaxInput = 1 << 20 };


void Check(Handle h) {
    if (h != nullptr && GetHandleSize(h) > UInt32(kZipMembreMax)) abort();
    DisposeZipHandle(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > kMaxInput) return 0;
    static const std::string path = FuzzFolder() + "/archive.mxl";
    static const bool quiet = [] {
        FuzzQuietMessages();
        return true;
    }();
    (void)quiet;
    FuzzWriteFile(path, data, size);
    Check(UnzipFile(path.c_str(), "META-INF/container.xml"));
    for (SInt16 index = -1; index < 4; index++) {
        char name[kZipNameSize];
        memset(name, 'x', sizeof name);
        Handle h = UnzipFileIndex(path.c_str(), index, name);
        if (h != nullptr && strnlen(name, sizeof name) == sizeof name) abort();
        if (h != nullptr && index == 0) Check(UnzipFile(path.c_str(), name));
        Check(h);
    }
    return 0;
}

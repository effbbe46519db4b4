// ctest-labels: resources
// Bytes as the scrap file "ClpBoard.srp": loaded, read for several types, purged, and
// preserved and restored.
#include <cstdint>
#include <cstring>

#include "tests/fuzz/fuzz_support.h"
#include "platform/core/memory.h"
#include "platform/core/scrap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzFolder();
    ZeroScrap();
    UnloadScrap();
    char path[kScrapPathMax];
    OrvaGetScrapPath(path);
    FuzzWriteFile(path, data, size);
    ResType first = 0;
    if (size >= 4) memcpy(&first, data, 4);
    Handle h = NewHandle(0);
    SInt32 offset;
    for (ResType type : {first, FourCC("TEXT"), FourCC("utxt"), FourCC("styl")}) GetScrap(h, type, &offset);
    DisposHandle(h);
    if (LoadScrap() != 0) return 0;
    OrvaPurgeScrap(FourCC("styl"));
    Handle saved = PreserveScrap();
    RestoreScrap(saved);
    if (saved) DisposHandle(saved);
    OrvaPurgeScrap(first);
    PutScrap(4, FourCC("TEXT"), "text");
    GetScrap(nullptr, FourCC("TEXT"), &offset);
    return 0;
}

// ctest-labels: score-storage
// Bytes as tagged text read by every reader, each word choosing the reader of what follows, and
// as a block written and read back. Readers stay within their buffers and stop at the end.
// Seeded with the writers' own text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "platform/core/memory.h"
#include "score/score_hooks.h"
#include "score/tagged_text.h"

namespace {

enum : size_t { kMaxInput = 1 << 18 };

void Check(bool ok) {
    if (!ok) abort();
}


void ReadAfter(const char *word, void *) {
    char text[16];
    UInt8 bytes[16];
    memset(text, 'x', sizeof text);
    switch (strlen(word) % 7) {
        case 0: TagReadShort(); break;
        case 1: TagReadLong(); break;
        case 2: TagReadFloat(); break;
        case 3:
            TagReadStringGuillemet(text, sizeof text);
            Check(strnlen(text, sizeof text) < sizeof text);
            break;
        case 4: Check(TagReadBlock(bytes, sizeof bytes) <= SInt32(sizeof bytes)); break;
        case 5: TagReadRawBlock(bytes, SInt32(word[0] & 15)); break;
        default: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool quiet = [] {
        FuzzFolder();
        FuzzQuietMessages();
        return true;
    }();
    (void)quiet;
    if (size == 0 || size > kMaxInput) return 0;
    FILE *file = fmemopen(const_cast<uint8_t *>(data), size, "rb");
    if (!file) return 0;
    TagSetFile(file);
    TagWait("DebutSection", nullptr);
    TagWaitPtr("FinSection", ReadAfter, nullptr);
    TagSetFile(nullptr);
    fclose(file);

    // The bytes as a block and as a string come back as they went.
    Handle h = NewHandle(0);
    TagSetMemory(h);
    TagWriteBlockTag("bloc", data, SInt32(size));
    std::string text(reinterpret_cast<const char *>(data), size < 200 ? size : 200);
    text = text.substr(0, strnlen(text.c_str(), text.size()));
    TagWriteStringGuillemetTagSiNonVide("texte", text.c_str());
    TagSetMemory(nullptr);
    file = fmemopen(*h, GetHandleSize(h), "rb");
    Check(file != nullptr);
    TagSetFile(file);
    std::string back(size, 0);
    Check(TagWait("bloc", nullptr) && TagReadBlock(&back[0], SInt32(size)) == SInt32(size) && back == std::string(reinterpret_cast<const char *>(data), size));
    char string[256];
    if (!text.empty()) Check(TagWait("texte", nullptr) && TagReadStringGuillemet(string, sizeof string) && text == string);
    TagSetFile(nullptr);
    fclose(file);
    DisposHandle(h);
    return 0;
}

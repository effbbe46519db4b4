// ctest-labels: score-storage
// Any bytes as an archive: the directory gives terminated names without folders, members come
// out within the size limit or not at all, and loading a member fails cleanly or gives a score.
// Seeded with archives of the demo scores made by the system's zip tool.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "fuzz_support.h"
#include "platform/core/memory.h"
#include "score/archives.h"
#include "score/byte_stream.h"
#include "score/native_score.h"
#include "score/zip_reader.h"
#include "score/preferences.h"
#include "score/score_hooks.h"

namespace {

enum : size_t { kMaxInput = 1 << 20 };
enum : SInt16 { kMembresLus = 16 };

void Check(bool ok) {
    if (!ok) abort();
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string out = FuzzFolder() + "/member.out";
    static bool quiet = [] {
        FixePrefStd();
        EnregistreFormatsStockage();
        FuzzQuietMessages();
        return true;
    }();
    (void)quiet;
    if (size == 0 || size > kMaxInput) return 0;
    FILE *file = fmemopen(const_cast<uint8_t *>(data), size, "rb");
    if (!file) return 0;
    FixeFichierCourant(file, kFalse, "fuzz.arq");
    SInt16 members = 0;
    if (BeginSeekArq()) {
        ArqEntry entry;
        while (members < kMembresLus && GetInfoArq(members, &entry)) {
            Check(strnlen(entry.name, sizeof entry.name) < sizeof entry.name && !strchr(entry.name, '/'));
            members++;
        }
        EndSeekArq();
    }
    for (SInt16 i = 0; i < members && i < 3; i++) {
        remove(out.c_str());
        if (ExtraitFichierArq(i, out.c_str())) {
            struct stat info;
            Check(stat(out.c_str(), &info) == 0 && info.st_size <= kZipMembreMax);
        }
    }
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    if (!ChargeMusiqueArq(document, 0)) Check(document->scoreCount == 0);
    Check(IsFichierCourantOuvert());
    CloseFile();
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    return 0;
}

// ctest-labels: layout
// Bytes as a stored print record ("TPRINT.PRM"): read, then used to ask the printer's resolution
// and the document's print information. A record of another size or with values out of range
// gives the Printing Manager's defaults, never a resolution of 0 or less.
#include <cstdint>
#include <cstdlib>

#include "fuzz_quickdraw.h"
#include "layout/pagination.h"
#include "layout/print_jobs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzStartQuickDraw();
    OSErr err = LitEnregistrementImpression(data, UInt32(size));
    if (err != noErr && err != paramErr) abort();
    if (err == noErr && size != size_t(kTailleTPrint)) abort();
    FixeResolutionMaxImprimante();
    SInt16 hRes = 0, vRes = 0;
    GetResolutionImprimante(&hRes, &vRes);
    if (hRes <= 0 || vRes <= 0) abort();
    PrintInfoRecord info;
    GetPrInfoDocument(nullptr, &info);
    if (info.hRes <= 0 || info.vRes <= 0 || info.pageWidth <= 0 || info.pageHeight <= 0) abort();
    return 0;
}

// The print record and its file, the dialogs, and printing page by page.
#include "layout/print_jobs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/quickdraw/pen.h"
#include "graphics/text/utf_text.h"
#include "layout/drawing_kit.h"
#include "layout/page_drawing.h"
#include "layout/pagination.h"
#include "layout/units.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "score/paths.h"

const char kNomFichierTPrint[] = "TPRINT.PRM";

namespace {

enum : SInt16 { kResolutionMin = 15, kResolutionMax = 1540 };
const SInt16 kOnSystemDisk = -32768;

// Process-wide, main thread only.
struct PrintJobsRecord {
    THPrint record;
    Boolean documentOpen;   // PrOpenDoc was called for the job in progress
    Boolean printerOpen;    // PrOpen was called
};
PrintJobsRecord gJobs;

std::string CheminTPrint();
Boolean ChargeFichier();
Boolean RecordValide(const UInt8 *bytes);
SInt16 Mot(THPrint h, SInt32 offset);
void FixeMot(THPrint h, SInt32 offset, SInt16 value);
Rect RectRecord(THPrint h, SInt32 offset);

}  // namespace

THPrint GetEnregistrementImpression() {
    if (gJobs.record) return gJobs.record;
    gJobs.record = NewHandleClear(kTailleTPrint);
    if (!gJobs.record) return nullptr;
    if (!ChargeFichier()) PrintDefault(gJobs.record);
    return gJobs.record;
}

OSErr LitEnregistrementImpression(const UInt8 *bytes, UInt32 size) {
    THPrint h = GetEnregistrementImpression();
    if (!h) return memFullErr;
    if (bytes && size == UInt32(kTailleTPrint) && RecordValide(bytes)) {
        std::memcpy(*h, bytes, kTailleTPrint);
        return noErr;
    }
    std::memset(*h, 0, kTailleTPrint);
    PrintDefault(h);
    return paramErr;
}

OSErr SauveEnregistrementImpression() {
    THPrint h = GetEnregistrementImpression();
    std::string path = CheminTPrint();
    if (!h || path.empty()) return ioErr;
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return ioErr;
    size_t written = fwrite(*h, 1, kTailleTPrint, file);
    Boolean closed = fclose(file) == 0;
    return written == size_t(kTailleTPrint) && closed ? noErr : ioErr;
}

void LibereEnregistrementImpression() {
    if (gJobs.record) DisposHandle(gJobs.record);
    gJobs.record = nullptr;
}

Boolean GetCheminEnregistrementImpression(char *path, size_t size) {
    std::string found = CheminTPrint();
    if (!path || size == 0) return kFalse;
    snprintf(path, size, "%s", found.c_str());
    return !found.empty() && found.size() < size;
}

Boolean DoMiseEnPage() {
    THPrint h = GetEnregistrementImpression();
    if (!h) return kFalse;
    PrOpen();
    Boolean confirmed = PrStlDialog(h);
    PrClose();
    if (confirmed) SauveEnregistrementImpression();
    return confirmed;
}

void JeTePreviensConfigImprimanteChange() {
    THPrint h = GetEnregistrementImpression();
    if (!h) return;
    PrValidate(h);
    SauveEnregistrementImpression();
}

void FixeResolutionMaxImprimante() {
    THPrint h = GetEnregistrementImpression();
    if (!h) return;
    // PrGeneral's block: opcode, error, a reserved word, then the record and the two resolutions.
    UInt8 block[8 + sizeof(Handle) + 4];
    std::memset(block, 0, sizeof block);
    SInt16 opcode = kPrSetResolution, resolution = kDpiImpression;
    std::memcpy(block, &opcode, 2);
    std::memcpy(block + 8, &h, sizeof h);
    std::memcpy(block + 8 + sizeof(Handle), &resolution, 2);
    std::memcpy(block + 10 + sizeof(Handle), &resolution, 2);
    PrGeneral(reinterpret_cast<Ptr>(block));
}

void GetResolutionImprimante(SInt16 *hRes, SInt16 *vRes) {
    THPrint h = GetEnregistrementImpression();
    SInt16 horizontal = h ? Mot(h, kPrOffsetHRes) : 0, vertical = h ? Mot(h, kPrOffsetVRes) : 0;
    if (hRes) *hRes = horizontal > 0 ? horizontal : SInt16(kDpiImpression);
    if (vRes) *vRes = vertical > 0 ? vertical : SInt16(kDpiImpression);
}

Boolean DoJobImprimante(SInt16 first, SInt16 last, Boolean dialog) {
    THPrint h = GetEnregistrementImpression();
    if (!h) return kFalse;
    if (!gJobs.printerOpen) {
        PrOpen();
        gJobs.printerOpen = kTrue;
    }
    FixeMot(h, kPrOffsetFirstPage, first);
    FixeMot(h, kPrOffsetLastPage, last);
    if (dialog) return PrJobDialog(h);
    // Without the dialog the record is the job's as it stands.
    SInt16 copies = Mot(h, kPrOffsetCopies);
    Boolean confirmed = PrJobDialog(h);
    FixeMot(h, kPrOffsetFirstPage, first);
    FixeMot(h, kPrOffsetLastPage, last);
    FixeMot(h, kPrOffsetCopies, copies);
    return confirmed;
}

OSErr NouvellePageImprimante(Rect *sheet) {
    THPrint h = GetEnregistrementImpression();
    if (!h) return memFullErr;
    if (!gJobs.documentOpen) {
        PrOpenDoc(h, qd.thePort, nullptr);
        gJobs.documentOpen = kTrue;
    }
    PrSetError(0);
    PrOpenPage(h, nullptr);
    if (sheet) {
        Rect page = RectRecord(h, kPrOffsetPage), paper = RectRecord(h, kPrOffsetPaper);
        *sheet = paper.right > paper.left && paper.bottom > paper.top ? paper : page;
    }
    return PrError();
}

OSErr ImprimePageImprimante() {
    PrClosePage(qd.thePort);
    return PrError();
}

void FermeImprimante() {
    if (gJobs.documentOpen) PrCloseDoc(qd.thePort);
    gJobs.documentOpen = kFalse;
    if (gJobs.printerOpen) PrClose();
    gJobs.printerOpen = kFalse;
}

OSErr ImprimeDocument(DocumentRecord *document, SInt16 first, SInt16 last, SInt16 copies, SInt32 *printed) {
    if (printed) *printed = 0;
    if (!document || !IsPartitionValide(document->score)) return paramErr;
    SInt16 pages = CombienDePages(document->score);
    first = std::max<SInt16>(first, 1);
    last = std::min<SInt16>(last, pages);
    if (first > last) return paramErr;
    THPrint h = GetEnregistrementImpression();
    if (!h) return memFullErr;
    float width = 0, height = 0;
    GetPapierMiseEnPage(&document->pageSetup, &width, &height);
    OrvaSetPrintPaperSize(width, height);
    PrValidate(h);
    FixeResolutionMaxImprimante();
    if (!DoJobImprimante(first, last, kFalse)) {
        FermeImprimante();
        return noErr;
    }
    if (copies < 1) copies = std::max<SInt16>(1, Mot(h, kPrOffsetCopies));
    GrafPtr saved = SetPortTemporaire();
    OSErr err = noErr;
    SInt32 made = 0;
    for (SInt16 page = first; page <= last && err == noErr; page++) {
        PicHandle picture = CreePicturePage(document, page);
        if (!picture) {
            err = memFullErr;
            break;
        }
        for (SInt16 copy = 0; copy < copies && err == noErr; copy++) {
            Rect sheet;
            err = NouvellePageImprimante(&sheet);
            ForeColor(33);
            BackColor(30);
            DrawUTFPicture(picture, &sheet);
            OSErr closed = ImprimePageImprimante();
            if (err == noErr) err = closed;
            made++;
        }
        KillPicture(picture);
    }
    if (made > 0) FermeImprimante();
    else if (gJobs.printerOpen) {
        PrClose();
        gJobs.printerOpen = kFalse;
    }
    SetPort(saved);
    if (printed) *printed = made;
    return err;
}

namespace {

std::string CheminTPrint() {
    char folder[kOrvaPathMax + 1];
    if (!GetCheminDossier(kDossierPreferences, folder)) {
        SInt16 vRefNum = 0;
        SInt32 dirID = 0;
        if (FindFolder(kOnSystemDisk, FourCC("pref"), kTrue, &vRefNum, &dirID) != noErr || !OrvaGetNomChemin(dirID, folder))
            return "";
    }
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + kNomFichierTPrint;
}

Boolean ChargeFichier() {
    std::string path = CheminTPrint();
    FILE *file = path.empty() ? nullptr : fopen(path.c_str(), "rb");
    if (!file) return kFalse;
    UInt8 bytes[kTailleTPrint + 1];
    size_t read = fread(bytes, 1, sizeof bytes, file);
    fclose(file);
    return LitEnregistrementImpression(bytes, UInt32(read)) == noErr;
}

// Resolutions the Printing Manager grants, and page and paper rectangles that are not empty,
// the paper holding the page.
Boolean RecordValide(const UInt8 *bytes) {
    // The record is kept in memory order, as the Printing Manager fills it.
    auto word = [&](SInt32 offset) {
        SInt16 v;
        std::memcpy(&v, bytes + offset, 2);
        return v;
    };
    auto rect = [&](SInt32 offset) {
        Rect v;
        std::memcpy(&v, bytes + offset, sizeof v);
        return v;
    };
    SInt16 v = word(kPrOffsetVRes), hres = word(kPrOffsetHRes);
    if (v < kResolutionMin || v > kResolutionMax || hres < kResolutionMin || hres > kResolutionMax) return kFalse;
    Rect page = rect(kPrOffsetPage), paper = rect(kPrOffsetPaper);
    if (page.right <= page.left || page.bottom <= page.top) return kFalse;
    if (paper.right <= paper.left || paper.bottom <= paper.top) return kFalse;
    return paper.left <= page.left && paper.top <= page.top && paper.right >= page.right && paper.bottom >= page.bottom;
}

SInt16 Mot(THPrint h, SInt32 offset) {
    SInt16 v = 0;
    if (h && *h && GetHandleSize(h) >= UInt32(offset + 2)) std::memcpy(&v, *h + offset, 2);
    return v;
}

void FixeMot(THPrint h, SInt32 offset, SInt16 value) {
    if (h && *h && GetHandleSize(h) >= UInt32(offset + 2)) std::memcpy(*h + offset, &value, 2);
}

Rect RectRecord(THPrint h, SInt32 offset) {
    Rect r = {0, 0, 0, 0};
    if (h && *h && GetHandleSize(h) >= UInt32(offset + sizeof r)) std::memcpy(&r, *h + offset, sizeof r);
    return r;
}

}  // namespace

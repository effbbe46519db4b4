// Zip archives over the current file.
#include "score/archives.h"

#include <cstdio>
#include <cstring>
#include <minizip/unzip.h>
#include <unistd.h>
#include <zlib.h>

#include "platform/core/runtime.h"
#include "score/byte_stream.h"
#include "score/score_formats.h"
#include "score/temporary_files.h"

namespace {

const UInt32 kBlocArq = 65536;  // bytes taken out at a time
const char kNomOuverture[] = "archive";  // minizip wants a name; the callbacks ignore it

// The directory opened by BeginSeekArq, and how deep archives are being loaded. Main thread only.
struct ArchiveRecord {
    unzFile zip;
    SInt16 depth;
};
ArchiveRecord gArq;

Boolean ChargeFichierArchive(DocumentRecord *document, const char *path, SInt16 element);
unzFile OuvreZip();
void FermeZip(unzFile zip);
Boolean VaAuMembre(unzFile zip, SInt16 index, ArqEntry *entry, unz_file_info64 *info);
Boolean CopieMembre(unzFile zip, const unz_file_info64 &info, FILE *out);
void TraceMembre(SInt16 index);
voidpf ZCALLBACK ZipOuvre(voidpf opaque, const void *filename, int mode);
uLong ZCALLBACK ZipLit(voidpf opaque, voidpf stream, void *buffer, uLong size);
uLong ZCALLBACK ZipEcrit(voidpf opaque, voidpf stream, const void *buffer, uLong size);
ZPOS64_T ZCALLBACK ZipPosition(voidpf opaque, voidpf stream);
long ZCALLBACK ZipPlace(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin);
int ZCALLBACK ZipFerme(voidpf opaque, voidpf stream);
int ZCALLBACK ZipErreur(voidpf opaque, voidpf stream);

}  // namespace

const ScoreFormatOps kFormatArchive = {"archive", {"arq", nullptr, nullptr, nullptr}, ChargeFichierArchive};

Boolean BeginSeekArq() {
    EndSeekArq();
    gArq.zip = OuvreZip();
    return gArq.zip != nullptr;
}

Boolean GetInfoArq(SInt16 index, ArqEntry *entry) {
    if (!gArq.zip || !entry) return kFalse;
    unz_file_info64 info;
    return VaAuMembre(gArq.zip, index, entry, &info);
}

void EndSeekArq() {
    if (gArq.zip) FermeZip(gArq.zip);
    gArq.zip = nullptr;
}

Boolean ExtraitFichierArq(SInt16 index, const char *destination) {
    if (!destination) return kFalse;
    unzFile zip = gArq.zip ? gArq.zip : OuvreZip();
    if (!zip) return kFalse;
    ArqEntry entry;
    unz_file_info64 info;
    Boolean ok = VaAuMembre(zip, index, &entry, &info);
    if (!ok) TraceMembre(index);
    FILE *out = ok ? fopen(destination, "wb") : nullptr;
    if (ok && !out) PlugTrace("archive: can't write '%s'", destination);
    ok = out && CopieMembre(zip, info, out);
    if (out && fclose(out) != 0) ok = kFalse;
    if (out && !ok) unlink(destination);
    if (zip != gArq.zip) FermeZip(zip);
    return ok;
}

Boolean ChargeMusiqueArq(DocumentRecord *document, SInt16 index) {
    if (!document) return kFalse;
    if (gArq.depth >= kArqProfondeurMax) {
        PlugTrace("archive: archives nested too deep in '%s'", gFluxOctets.name);
        return kFalse;
    }
    unzFile zip = gArq.zip ? gArq.zip : OuvreZip();
    if (!zip) return kFalse;
    ArqEntry entry;
    unz_file_info64 info;
    char folder[kOrvaPathMax + 1];
    char path[kOrvaPathMax + 1] = "";
    GetDossierTemporaire(folder);
    FILE *out = nullptr;
    Boolean ok = VaAuMembre(zip, index, &entry, &info);
    if (!ok) TraceMembre(index);
    else if (!(out = CreeFichierTemporaire(folder, entry.name, path))) PlugTrace("archive: no temporary file for '%s'", entry.name);
    ok = out && CopieMembre(zip, info, out);
    if (out && fclose(out) != 0) ok = kFalse;
    if (zip != gArq.zip) FermeZip(zip);
    const ScoreFormatOps *row = ok ? RechercheFormatPartition(entry.name) : nullptr;
    if (ok && !row) PlugTrace("archive: no reader for '%s'", entry.name);
    if (row) {
        // The member's loader makes its own file current (and may open its own directory);
        // the archive and its directory come back afterwards.
        FichierCourantSauve saved;
        SauveFichierCourant(&saved);
        unzFile session = gArq.zip;
        gArq.zip = nullptr;
        gArq.depth++;
        ok = row->load(document, path, -1);
        gArq.depth--;
        EndSeekArq();
        gArq.zip = session;
        RestaureFichierCourant(&saved);
    } else {
        ok = kFalse;
    }
    if (path[0]) unlink(path);
    return ok;
}

namespace {

Boolean ChargeFichierArchive(DocumentRecord *document, const char *path, SInt16 element) {
    if (!CadenzoOpenFile(path, "rb")) return kFalse;
    Boolean ok = ChargeMusiqueArq(document, element < 0 ? 0 : element);
    CloseFile();
    return ok;
}

unzFile OuvreZip() {
    FILE *file = PrendFichierBrut();
    if (!file) {
        PlugTrace("archive: no current file to read");
        return nullptr;
    }
    zlib_filefunc64_def functions = {ZipOuvre, ZipLit, ZipEcrit, ZipPosition, ZipPlace, ZipFerme, ZipErreur, file};
    unzFile zip = unzOpen2_64(kNomOuverture, &functions);
    if (!zip) {
        PlugTrace("archive: '%s' is not a readable zip container", gFluxOctets.name);
        RendFichierBrut();
    }
    return zip;
}

void FermeZip(unzFile zip) {
    unzClose(zip);
    RendFichierBrut();
}

// Goes to member index, folders left out; entry gets its name without folders.
Boolean VaAuMembre(unzFile zip, SInt16 index, ArqEntry *entry, unz_file_info64 *info) {
    if (index < 0) return kFalse;
    SInt16 seen = 0;
    for (int err = unzGoToFirstFile(zip); err == UNZ_OK; err = unzGoToNextFile(zip)) {
        char name[kNomArqTaille];
        if (unzGetCurrentFileInfo64(zip, info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK) return kFalse;
        name[sizeof name - 1] = 0;  // minizip leaves a name that fills the buffer unterminated
        size_t length = strlen(name);
        if (length == 0 || name[length - 1] == '/' || name[length - 1] == '\\') continue;
        if (seen++ < index) continue;
        const char *leaf = name;
        for (const char *p = name; *p; p++)
            if (*p == '/' || *p == '\\') leaf = p + 1;
        snprintf(entry->name, sizeof entry->name, "%s", leaf);
        entry->size = info->uncompressed_size;
        return kTrue;
    }
    return kFalse;
}

// minizip checks the CRC only when the directory's size is reached, so a member whose sizes
// lie would pass: the CRC of what was read is compared here, and the size is bounded whatever
// the directory says.
Boolean CopieMembre(unzFile zip, const unz_file_info64 &info, FILE *out) {
    char name[kNomArqTaille];
    if (unzGetCurrentFileInfo64(zip, nullptr, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK) name[0] = 0;
    name[sizeof name - 1] = 0;
    if (info.uncompressed_size > ZPOS64_T(kArqMembreMax)) {
        PlugTrace("archive: member '%s' larger than 256 MiB", name);
        return kFalse;
    }
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        PlugTrace("archive: member '%s' cannot be read", name);
        return kFalse;
    }
    static UInt8 block[kBlocArq];
    uLong crc = crc32(0, nullptr, 0);
    UInt64 total = 0;
    int read;
    Boolean ok = kTrue;
    while ((read = unzReadCurrentFile(zip, block, kBlocArq)) > 0) {
        total += UInt64(read);
        crc = crc32(crc, block, uInt(read));
        if (total > UInt64(kArqMembreMax) || fwrite(block, 1, size_t(read), out) != size_t(read)) {
            ok = kFalse;
            break;
        }
    }
    int closed = unzCloseCurrentFile(zip);
    if (read < 0 || closed != UNZ_OK || crc != info.crc || total != info.uncompressed_size) ok = kFalse;
    if (!ok) PlugTrace("archive: member '%s' is damaged", name);
    return ok;
}

void TraceMembre(SInt16 index) { PlugTrace("archive: no member %d", index); }

voidpf ZCALLBACK ZipOuvre(voidpf opaque, const void *, int) { return opaque; }

uLong ZCALLBACK ZipLit(voidpf, voidpf stream, void *buffer, uLong size) {
    return uLong(fread(buffer, 1, size, static_cast<FILE *>(stream)));
}

uLong ZCALLBACK ZipEcrit(voidpf, voidpf, const void *, uLong) { return 0; }

ZPOS64_T ZCALLBACK ZipPosition(voidpf, voidpf stream) {
    off_t at = ftello(static_cast<FILE *>(stream));
    return at < 0 ? ZPOS64_T(-1) : ZPOS64_T(at);
}

long ZCALLBACK ZipPlace(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    int whence = origin == ZLIB_FILEFUNC_SEEK_CUR ? SEEK_CUR : origin == ZLIB_FILEFUNC_SEEK_END ? SEEK_END : SEEK_SET;
    if (offset > ZPOS64_T(INT64_MAX)) return -1;
    return fseeko(static_cast<FILE *>(stream), off_t(offset), whence) == 0 ? 0 : -1;
}

// The file is the byte stream's: minizip does not close it.
int ZCALLBACK ZipFerme(voidpf, voidpf) { return 0; }

int ZCALLBACK ZipErreur(voidpf, voidpf stream) { return ferror(static_cast<FILE *>(stream)); }

}  // namespace

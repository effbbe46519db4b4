// minizip's I/O callbacks over the engine's files, and one member read whole.
#include "score/zip_reader.h"

#include <cstdint>
#include <zlib.h>

#include "platform/core/files.h"
#include "platform/core/memory.h"

namespace {

const UInt32 kBlocZip = 65536;                 // bytes read from a member at a time
const ZPOS64_T kMarqueTailleZip64 = 0xFFFFFFFFu;
const char kNomOuverture[] = "archive";        // minizip wants a name; a given file ignores it

voidpf ZCALLBACK ZipOuvre(voidpf opaque, const void *filename, int mode);
uLong ZCALLBACK ZipLit(voidpf opaque, voidpf stream, void *buffer, uLong size);
uLong ZCALLBACK ZipEcrit(voidpf opaque, voidpf stream, const void *buffer, uLong size);
ZPOS64_T ZCALLBACK ZipPosition(voidpf opaque, voidpf stream);
long ZCALLBACK ZipPlace(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin);
int ZCALLBACK ZipFerme(voidpf opaque, voidpf stream);
int ZCALLBACK ZipErreur(voidpf opaque, voidpf stream);
int Echec(ZipLectureRecord *result, ZipEtape etape, int err);

}  // namespace

void RemplitFonctionsZip(zlib_filefunc64_def *functions, FILE *file) {
    functions->zopen64_file = ZipOuvre;
    functions->zread_file = ZipLit;
    functions->zwrite_file = ZipEcrit;
    functions->ztell64_file = ZipPosition;
    functions->zseek64_file = ZipPlace;
    functions->zclose_file = ZipFerme;
    functions->zerror_file = ZipErreur;
    functions->opaque = file;
}

unzFile OuvreZipChemin(const char *path) {
    if (!path) return nullptr;
    zlib_filefunc64_def functions;
    RemplitFonctionsZip(&functions, nullptr);
    return unzOpen2_64(path, &functions);
}

unzFile OuvreZipFichier(FILE *file) {
    if (!file) return nullptr;
    zlib_filefunc64_def functions;
    RemplitFonctionsZip(&functions, file);
    return unzOpen2_64(kNomOuverture, &functions);
}

int LitMembreZip(unzFile zip, ZipPuitsProc sink, void *destination, ZipLectureRecord *result) {
    result->total = 0;
    unz_file_info64 info;
    int err = unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0);
    if (err != UNZ_OK) return Echec(result, kZipEtapeOuverture, err);
    if (info.uncompressed_size > ZPOS64_T(kZipMembreMax) && info.uncompressed_size != kMarqueTailleZip64)
        return Echec(result, kZipEtapeTaille, kZipMembreTropGrandErr);
    err = unzOpenCurrentFile(zip);
    if (err != UNZ_OK) return Echec(result, kZipEtapeOuverture, err);
    static UInt8 block[kBlocZip];  // main thread only
    uLong crc = crc32(0, nullptr, 0);
    int read;
    while ((read = unzReadCurrentFile(zip, block, kBlocZip)) > 0) {
        result->total += UInt64(read);
        crc = crc32(crc, block, uInt(read));
        if (result->total > UInt64(kZipMembreMax)) {
            unzCloseCurrentFile(zip);
            return Echec(result, kZipEtapeLecture, kZipMembreTropGrandErr);
        }
        if (!sink(destination, block, UInt32(read))) {
            unzCloseCurrentFile(zip);
            return Echec(result, kZipEtapeEcriture, kZipSansMemoireErr);
        }
    }
    if (read < 0) {
        unzCloseCurrentFile(zip);
        return Echec(result, kZipEtapeLecture, read);
    }
    err = unzCloseCurrentFile(zip);
    if (err == UNZ_OK && crc != info.crc) err = UNZ_CRCERROR;
    if (err != UNZ_OK) return Echec(result, kZipEtapeFermeture, err);
    result->etape = kZipEtapeFinie;
    result->err = UNZ_OK;
    return UNZ_OK;
}

namespace {

int Echec(ZipLectureRecord *result, ZipEtape etape, int err) {
    result->etape = etape;
    result->err = err;
    return err;
}

// A given file is minizip's stream whatever the name; otherwise the name is opened.
voidpf ZCALLBACK ZipOuvre(voidpf opaque, const void *filename, int mode) {
    if (opaque) return opaque;
    const char *how = nullptr;
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ) how = "rb";
    else if (mode & ZLIB_FILEFUNC_MODE_EXISTING) how = "r+b";
    else if (mode & ZLIB_FILEFUNC_MODE_CREATE) how = "wb";
    if (filename == nullptr || how == nullptr) return nullptr;
    return OuvreFichier(static_cast<const char *>(filename), how);
}

uLong ZCALLBACK ZipLit(voidpf, voidpf stream, void *buffer, uLong size) {
    return uLong(fread(buffer, 1, size, static_cast<FILE *>(stream)));
}

uLong ZCALLBACK ZipEcrit(voidpf, voidpf stream, const void *buffer, uLong size) {
    return uLong(fwrite(buffer, 1, size, static_cast<FILE *>(stream)));
}

ZPOS64_T ZCALLBACK ZipPosition(voidpf, voidpf stream) {
    off_t at = ftello(static_cast<FILE *>(stream));
    return at < 0 ? ZPOS64_T(-1) : ZPOS64_T(at);
}

long ZCALLBACK ZipPlace(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    int whence = origin == ZLIB_FILEFUNC_SEEK_CUR ? SEEK_CUR : origin == ZLIB_FILEFUNC_SEEK_END ? SEEK_END : SEEK_SET;
    if (offset > ZPOS64_T(INT64_MAX)) return -1;
    return fseeko(static_cast<FILE *>(stream), off_t(offset), whence) == 0 ? 0 : -1;
}

// A given file belongs to whoever gave it: minizip does not close it.
int ZCALLBACK ZipFerme(voidpf opaque, voidpf stream) {
    if (stream == opaque) return 0;
    return fclose(static_cast<FILE *>(stream));
}

int ZCALLBACK ZipErreur(voidpf, voidpf stream) { return ferror(static_cast<FILE *>(stream)); }

}  // namespace

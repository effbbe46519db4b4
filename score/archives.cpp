// Zip archives over the current file.
#include "score/archives.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "platform/core/runtime.h"
#include "score/byte_stream.h"
#include "score/score_formats.h"
#include "score/temporary_files.h"
#include "score/zip_reader.h"

namespace {

// The directory opened by BeginSeekArq, and how deep archives are being loaded. Main thread only.
struct ArchiveRecord {
    unzFile zip;
    SInt16 depth;
};
ArchiveRecord gArq;

Boolean ChargeFichierArchive(DocumentRecord *document, const char *path, SInt16 element);
Boolean MembreFichierArchive(const char *path, SInt16 index, char *name, size_t nameSize, UInt64 *size);
unzFile OuvreZip();
void FermeZip(unzFile zip);
Boolean VaAuMembre(unzFile zip, SInt16 index, ArqEntry *entry, unz_file_info64 *info);
Boolean CopieMembre(unzFile zip, const unz_file_info64 &info, FILE *out);
void TraceMembre(SInt16 index);
Boolean EcritDansFichier(void *file, const UInt8 *bytes, UInt32 count);

}  // namespace

const ScoreFormatOps kFormatArchive = {"archive", {"arq", nullptr, nullptr, nullptr}, ChargeFichierArchive,
                                       kFormatMembres, MembreFichierArchive, nullptr, nullptr};

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

// The directory of the file at path, read for one member: the file is current meanwhile.
Boolean MembreFichierArchive(const char *path, SInt16 index, char *name, size_t nameSize, UInt64 *size) {
    if (!path || !name || nameSize == 0 || !CadenzoOpenFile(path, "rb")) return kFalse;
    ArqEntry entry;
    Boolean ok = BeginSeekArq() && GetInfoArq(index, &entry);
    EndSeekArq();
    CloseFile();
    if (!ok) return kFalse;
    snprintf(name, nameSize, "%s", entry.name);
    if (size) *size = entry.size;
    return kTrue;
}

unzFile OuvreZip() {
    FILE *file = PrendFichierBrut();
    if (!file) {
        PlugTrace("archive: no current file to read");
        return nullptr;
    }
    unzFile zip = OuvreZipFichier(file);
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

// What was read goes to the file; the size and the CRC are checked by the zip reader. A member
// marked larger than the limit is refused before anything is read, one whose bytes differ
// from the directory's size or CRC after.
Boolean CopieMembre(unzFile zip, const unz_file_info64 &info, FILE *out) {
    char name[kNomArqTaille];
    if (unzGetCurrentFileInfo64(zip, nullptr, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK) name[0] = 0;
    name[sizeof name - 1] = 0;
    ZipLectureRecord read;
    LitMembreZip(zip, EcritDansFichier, out, &read);
    if (read.etape == kZipEtapeTaille) {
        PlugTrace("archive: member '%s' larger than %d MiB", name, int(kZipMembreMax >> 20));
        return kFalse;
    }
    if (read.etape == kZipEtapeOuverture) {
        PlugTrace("archive: member '%s' cannot be read", name);
        return kFalse;
    }
    if (read.err != UNZ_OK || read.total != info.uncompressed_size) {
        PlugTrace("archive: member '%s' is damaged", name);
        return kFalse;
    }
    return kTrue;
}

Boolean EcritDansFichier(void *file, const UInt8 *bytes, UInt32 count) {
    return fwrite(bytes, 1, count, static_cast<FILE *>(file)) == count;
}

void TraceMembre(SInt16 index) { PlugTrace("archive: no member %d", index); }

}  // namespace

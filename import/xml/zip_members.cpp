// Extraction of zip members into handles through the zip reader, and the writer of one member.
#include "import/xml/zip_members.h"

#include <cstdio>
#include <cstring>
#include <minizip/unzip.h>
#include <minizip/zip.h>

#include "platform/core/errors.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

// A member being read into its handle, which is grown by doubling and trimmed at the end.
struct MemberSink {
    Handle h;
    SInt64 used;  // bytes written so far; the handle may be larger until trimmed
};

int UnzipCurrentMember(unzFile archive, MemberSink *sink);
Boolean SinkWrite(void *sink, const UInt8 *bytes, UInt32 count);
void SinkFinish(MemberSink *sink);

}  // namespace

Handle UnzipFile(const char *path, const char *member) {
    if (path == nullptr || member == nullptr) return nullptr;
    MemberSink sink = {NewHandle(0), 0};
    if (sink.h == nullptr) return nullptr;
    unzFile archive = OuvreZipChemin(path);
    int result = -1;
    if (archive == nullptr || unzLocateFile(archive, member, 0) != UNZ_OK)
        PlugTrace("file %s not found in the zipfile", member);
    else
        result = UnzipCurrentMember(archive, &sink);
    if (archive != nullptr) unzClose(archive);
    if (result != UNZ_OK) {
        DisposeZipHandle(sink.h);
        return nullptr;
    }
    SinkFinish(&sink);
    return sink.h;
}

Handle UnzipFileIndex(const char *path, SInt16 index, char *name) {
    if (path == nullptr || index < 0) return nullptr;
    unzFile archive = OuvreZipChemin(path);
    if (archive == nullptr) return nullptr;
    unz_global_info64 global;
    Handle h = nullptr;
    if (unzGetGlobalInfo64(archive, &global) == UNZ_OK && ZPOS64_T(index) < global.number_entry) {
        int result = unzGoToFirstFile(archive);
        for (SInt16 i = 0; i < index && result == UNZ_OK; i++) result = unzGoToNextFile(archive);
        char fullName[kZipNameSize + 1];
        if (result == UNZ_OK)
            result = unzGetCurrentFileInfo64(archive, nullptr, fullName, kZipNameSize, nullptr, 0, nullptr, 0);
        fullName[kZipNameSize] = 0;
        MemberSink sink = {nullptr, 0};
        if (result == UNZ_OK) {
            if (name != nullptr) {
                size_t length = strnlen(fullName, kZipNameSize - 1);
                memcpy(name, fullName, length);
                name[length] = 0;
            }
            sink.h = NewHandle(0);
        }
        if (sink.h != nullptr && UnzipCurrentMember(archive, &sink) == UNZ_OK) {
            SinkFinish(&sink);
            h = sink.h;
        } else {
            DisposeZipHandle(sink.h);
        }
    }
    unzClose(archive);
    return h;
}

void DisposeZipHandle(Handle h) {
    if (h != nullptr) DisposHandle(h);
}

int AddFileInZipArchive(void *archive, const char *source, const char *member, const void *data, SInt32 length) {
    char *buffer = NewPtr(kZipWriteBlockSize);
    if (buffer == nullptr) return kZipNoMemoryErr;
    zip_fileinfo info;
    memset(&info, 0, sizeof info);
    int result = zipOpenNewFileInZip3(archive, member, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 0,
                                      -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0);
    if (result == ZIP_OK && data != nullptr) {
        result = zipWriteInFileInZip(archive, data, unsigned(length > 0 ? length : 0));
    } else if (result == ZIP_OK) {
        FILE *f = source != nullptr ? OuvreFichier(source, "rb") : nullptr;
        if (f == nullptr) result = -1;
        while (f != nullptr && result == ZIP_OK) {
            size_t read = fread(buffer, 1, kZipWriteBlockSize, f);
            if (read < size_t(kZipWriteBlockSize) && !feof(f)) result = -1;
            if (read > 0) result = zipWriteInFileInZip(archive, buffer, unsigned(read));
            if (read == 0) break;
        }
        if (f != nullptr) fclose(f);
    }
    DisposPtr(buffer);
    return result >= 0 ? zipCloseFileInZip(archive) : -1;
}

void FillZipFileFunctions(zlib_filefunc64_def *functions) { RemplitFonctionsZip(functions, nullptr); }

namespace {

// Extracts the current member whole into sink, dropping the directory part of its name from
// what is traced. A directory extracts as nothing. 0 or the zip reader's error.
int UnzipCurrentMember(unzFile archive, MemberSink *sink) {
    char name[kZipNameSize + 1];
    int err = unzGetCurrentFileInfo64(archive, nullptr, name, kZipNameSize, nullptr, 0, nullptr, 0);
    name[kZipNameSize] = 0;  // minizip leaves a name that fills the buffer unterminated
    if (err != UNZ_OK) {
        PlugTrace("error %d with zipfile in unzGetCurrentFileInfo", err);
        return err;
    }
    const char *shortName = name;
    for (const char *p = name; *p; p++)
        if (*p == '/' || *p == '\\') shortName = p + 1;
    if (shortName[0] == 0) return UNZ_OK;
    PlugTrace(" extracting: %s", shortName);
    ZipLectureRecord read;
    err = LitMembreZip(archive, SinkWrite, sink, &read);
    switch (read.etape) {
        case kZipEtapeFinie: break;
        case kZipEtapeTaille: PlugTrace("member %s too large", shortName); break;
        case kZipEtapeOuverture: PlugTrace("error %d with zipfile in unzOpenCurrentFilePassword", err); break;
        case kZipEtapeLecture:
            if (err == kZipMembreTropGrandErr) PlugTrace("member %s too large", shortName);
            else PlugTrace("error %d with zipfile in unzReadCurrentFile", err);
            break;
        case kZipEtapeEcriture: PlugTrace("Error allocating memory"); break;
        case kZipEtapeFermeture: PlugTrace("error %d with zipfile in unzCloseCurrentFile", err); break;
    }
    return err;
}

// The handle doubles from kZipReadBlockSize, so that a large member is not copied once per block.
Boolean SinkWrite(void *destination, const UInt8 *bytes, UInt32 count) {
    MemberSink *sink = static_cast<MemberSink *>(destination);
    SInt64 size = GetHandleSize(sink->h), needed = sink->used + count;
    if (needed > size) {
        SInt64 grown = size > 0 ? size : SInt64(kZipReadBlockSize);
        while (grown < needed) grown *= 2;
        SetHandleSize(sink->h, UInt32(grown));
        if (MemError() != noErr) return kFalse;
    }
    memcpy(*sink->h + sink->used, bytes, size_t(count));
    sink->used = needed;
    return kTrue;
}

void SinkFinish(MemberSink *sink) { SetHandleSize(sink->h, UInt32(sink->used)); }

}  // namespace

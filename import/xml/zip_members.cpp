// Extraction of zip members into handles through minizip, and the writer of one member.
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

const ZPOS64_T kZip64SizeMark = 0xFFFFFFFFu;

// A member being read into its handle, which is grown by doubling and trimmed at the end.
struct MemberSink {
    Handle h;
    SInt64 used;  // bytes written so far; the handle may be larger until trimmed
};

int UnzipCurrentMember(unzFile archive, MemberSink *sink);
int CopyMember(unzFile archive, const char *shortName, UInt32 crc, char *buffer, MemberSink *sink);
Boolean SinkWrite(MemberSink *sink, const char *bytes, SInt64 count);
void SinkFinish(MemberSink *sink);
unzFile OpenArchive(const char *path);
voidpf ZCALLBACK ZipOpen(voidpf opaque, const void *filename, int mode);
uLong ZCALLBACK ZipRead(voidpf opaque, voidpf stream, void *buffer, uLong size);
uLong ZCALLBACK ZipWrite(voidpf opaque, voidpf stream, const void *buffer, uLong size);
ZPOS64_T ZCALLBACK ZipTell(voidpf opaque, voidpf stream);
long ZCALLBACK ZipSeek(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin);
int ZCALLBACK ZipClose(voidpf opaque, voidpf stream);
int ZCALLBACK ZipError(voidpf opaque, voidpf stream);

}  // namespace

Handle UnzipFile(const char *path, const char *member) {
    if (path == nullptr || member == nullptr) return nullptr;
    MemberSink sink = {NewHandle(0), 0};
    if (sink.h == nullptr) return nullptr;
    unzFile archive = OpenArchive(path);
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
    unzFile archive = OpenArchive(path);
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

void FillZipFileFunctions(zlib_filefunc64_def_s *functions) {
    functions->zopen64_file = ZipOpen;
    functions->zread_file = ZipRead;
    functions->zwrite_file = ZipWrite;
    functions->ztell64_file = ZipTell;
    functions->zseek64_file = ZipSeek;
    functions->zclose_file = ZipClose;
    functions->zerror_file = ZipError;
    functions->opaque = nullptr;
}

namespace {

// Extracts the current member whole into sink, dropping the directory part of its name from
// what is traced. A directory extracts as nothing. 0 or minizip's error.
int UnzipCurrentMember(unzFile archive, MemberSink *sink) {
    unz_file_info64 info;
    char name[kZipNameSize + 1];
    int err = unzGetCurrentFileInfo64(archive, &info, name, kZipNameSize, nullptr, 0, nullptr, 0);
    name[kZipNameSize] = 0;  // minizip leaves a name that fills the buffer unterminated
    if (err != UNZ_OK) {
        PlugTrace("error %d with zipfile in unzGetCurrentFileInfo", err);
        return err;
    }
    char *buffer = NewPtr(kZipReadBlockSize);
    if (buffer == nullptr) {
        PlugTrace("Error allocating memory");
        return kZipNoMemoryErr;
    }
    const char *shortName = name;
    for (const char *p = name; *p; p++)
        if (*p == '/' || *p == '\\') shortName = p + 1;
    if (shortName[0] != 0) {
        // The directory's size is checked before anything is read, the bytes again while reading.
        // All ones stands for a size kept in a zip64 record, which minizip does not always find.
        if (info.uncompressed_size > ZPOS64_T(kZipMaxMemberBytes) && info.uncompressed_size != kZip64SizeMark) {
            PlugTrace("member %s too large", shortName);
            err = kZipMemberTooLargeErr;
        } else {
            err = CopyMember(archive, shortName, UInt32(info.crc), buffer, sink);
        }
    }
    DisposPtr(buffer);
    return err;
}

// minizip checks the CRC only when the directory's size was reached, so a member whose sizes
// lie would pass unchecked: the CRC of what was read is compared here.
int CopyMember(unzFile archive, const char *shortName, UInt32 crc, char *buffer, MemberSink *sink) {
    int err = unzOpenCurrentFilePassword(archive, nullptr);
    if (err != UNZ_OK) PlugTrace("error %d with zipfile in unzOpenCurrentFilePassword", err);
    PlugTrace(" extracting: %s", shortName);
    int read;
    uLong readCRC = crc32(0, nullptr, 0);
    while ((read = unzReadCurrentFile(archive, buffer, kZipReadBlockSize)) > 0) {
        readCRC = crc32(readCRC, reinterpret_cast<const Bytef *>(buffer), uInt(read));
        if (sink->used + read > kZipMaxMemberBytes) {
            PlugTrace("member %s too large", shortName);
            unzCloseCurrentFile(archive);
            return kZipMemberTooLargeErr;
        }
        if (!SinkWrite(sink, buffer, read)) {
            PlugTrace("Error allocating memory");
            unzCloseCurrentFile(archive);
            return kZipNoMemoryErr;
        }
    }
    if (read < 0) {
        PlugTrace("error %d with zipfile in unzReadCurrentFile", read);
        unzCloseCurrentFile(archive);
        return read;
    }
    err = unzCloseCurrentFile(archive);
    if (err == UNZ_OK && readCRC != crc) err = UNZ_CRCERROR;
    if (err != UNZ_OK) PlugTrace("error %d with zipfile in unzCloseCurrentFile", err);
    return err;
}

// The handle doubles from one read block, so that a large member is not copied once per block.
Boolean SinkWrite(MemberSink *sink, const char *bytes, SInt64 count) {
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

unzFile OpenArchive(const char *path) {
    zlib_filefunc64_def functions;
    FillZipFileFunctions(&functions);
    return unzOpen2_64(path, &functions);
}

voidpf ZCALLBACK ZipOpen(voidpf, const void *filename, int mode) {
    const char *how = nullptr;
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ) how = "rb";
    else if (mode & ZLIB_FILEFUNC_MODE_EXISTING) how = "r+b";
    else if (mode & ZLIB_FILEFUNC_MODE_CREATE) how = "wb";
    if (filename == nullptr || how == nullptr) return nullptr;
    return OuvreFichier(static_cast<const char *>(filename), how);
}

uLong ZCALLBACK ZipRead(voidpf, voidpf stream, void *buffer, uLong size) {
    return uLong(fread(buffer, 1, size, static_cast<FILE *>(stream)));
}

uLong ZCALLBACK ZipWrite(voidpf, voidpf stream, const void *buffer, uLong size) {
    return uLong(fwrite(buffer, 1, size, static_cast<FILE *>(stream)));
}

ZPOS64_T ZCALLBACK ZipTell(voidpf, voidpf stream) {
    off_t at = ftello(static_cast<FILE *>(stream));
    return at < 0 ? ZPOS64_T(-1) : ZPOS64_T(at);
}

long ZCALLBACK ZipSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    int whence = origin == ZLIB_FILEFUNC_SEEK_CUR ? SEEK_CUR : origin == ZLIB_FILEFUNC_SEEK_END ? SEEK_END : SEEK_SET;
    if (offset > ZPOS64_T(INT64_MAX)) return -1;
    return fseeko(static_cast<FILE *>(stream), off_t(offset), whence) == 0 ? 0 : -1;
}

int ZCALLBACK ZipClose(voidpf, voidpf stream) { return fclose(static_cast<FILE *>(stream)); }

int ZCALLBACK ZipError(voidpf, voidpf stream) { return ferror(static_cast<FILE *>(stream)); }

}  // namespace

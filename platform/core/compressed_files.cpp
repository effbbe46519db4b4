// zlib and gzip files turned into plain files.
#include "platform/core/compressed_files.h"

#include <zlib.h>

#include <cstring>

#include "platform/core/files.h"
#include "platform/core/memory.h"

int ZDecompress(FILE *output, void *work, SInt32 *workSize, const void *data, SInt32 length) {
    if (output == nullptr || work == nullptr || workSize == nullptr || *workSize <= 0 || length < 0)
        return Z_STREAM_ERROR;
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    stream.next_in = static_cast<Bytef *>(const_cast<void *>(data));
    stream.avail_in = uInt(length);
    int result = inflateInit(&stream);
    if (result != Z_OK) return result;
    for (;;) {
        stream.next_out = static_cast<Bytef *>(work);
        stream.avail_out = uInt(*workSize);
        result = inflate(&stream, Z_SYNC_FLUSH);
        size_t produced = size_t(*workSize) - stream.avail_out;
        if (produced > 0 && fwrite(work, 1, produced, output) != produced) {
            inflateEnd(&stream);
            return kZShortWrite;
        }
        if (result == Z_STREAM_END) return inflateEnd(&stream);
        if (result != Z_OK) {
            inflateEnd(&stream);
            return result;  // Z_BUF_ERROR when the data stops early, Z_DATA_ERROR when corrupt
        }
    }
}

int ZLibDecompress(const char *source, const char *destination, SInt32 offset) {
    FILE *in = OuvreFichier(source, "rb");
    if (in == nullptr) return kZSourceNotOpened;
    long fileLength = -1;
    if (fseek(in, 0, SEEK_END) == 0) fileLength = ftell(in);
    // What remains after the offset; nothing when the offset lies past the end.
    long remaining = fileLength < 0 || offset < 0 || offset >= fileLength ? 0 : fileLength - offset;
    if (remaining > 0x7FFFFFFF - 1) remaining = 0;
    Ptr data = NewPtr(UInt32(remaining + 1));
    if (data == nullptr) {
        fclose(in);
        return kZNoMemory;
    }
    if (remaining > 0 && (fseek(in, offset, SEEK_SET) != 0 || fread(data, 1, size_t(remaining), in) != size_t(remaining)))
        remaining = 0;
    fclose(in);
    Ptr work = NewPtr(kZWorkBufferSize);
    if (work == nullptr) {
        DisposPtr(data);
        return kZNoMemory;
    }
    FILE *out = OuvreFichier(destination, "wb");
    int result = kZDestinationNotOpened;
    if (out != nullptr) {
        SInt32 workSize = kZWorkBufferSize;
        result = ZDecompress(out, work, &workSize, data, SInt32(remaining));
        if (fclose(out) != 0 && result == Z_OK) result = kZShortWrite;
    }
    DisposPtr(work);
    DisposPtr(data);
    return result;
}

int ZLibDecompressWithHeader(const char *source, FILE *output) {
    if (output == nullptr) return -1;
    gzFile in = source ? gzopen(source, "rb") : nullptr;
    if (in == nullptr) {
        fclose(output);
        return -1;
    }
    Ptr block = NewPtr(kGzipBlockSize);
    int result = block ? 0 : -1;
    while (block != nullptr) {
        int n = gzread(in, block, kGzipBlockSize);
        if (n == 0) break;
        if (n < 0) {
            result = -1;
            break;
        }
        if (fwrite(block, 1, size_t(n), output) != size_t(n)) {
            result = -2;
            break;
        }
    }
    if (gzclose(in) != Z_OK) result = -3;
    if (block) DisposPtr(block);
    if (fclose(output) != 0 && result == 0) result = -2;
    return result;
}

// Buffered reading of a file through the byte cursor.
#include "score/file_source.h"

#include <cstdlib>
#include <sys/types.h>

void OuvreSource(SourceFichier *source, FILE *file) {
    UInt8 *buffer = source->buffer;
    *source = SourceFichier{};
    source->buffer = buffer;
    source->file = file;
    source->view = OrvaByteReader(nullptr, 0);
    if (file) {
        off_t at = ftello(file);
        source->base = at > 0 ? at : 0;
    }
}

Boolean RemplitSource(SourceFichier *source) {
    if (ByteReaderLeft(&source->view) > 0) return kTrue;
    source->base += SInt64(source->view.size);
    source->view = OrvaByteReader(nullptr, 0);
    if (!source->file || source->ended) {
        source->ended = kTrue;
        return kFalse;
    }
    if (!source->buffer) source->buffer = static_cast<UInt8 *>(malloc(kTamponSourceFichier));
    size_t got = source->buffer ? fread(source->buffer, 1, kTamponSourceFichier, source->file) : 0;
    if (got == 0) {
        source->ended = kTrue;
        return kFalse;
    }
    source->view = OrvaByteReader(source->buffer, got);
    return kTrue;
}

SInt64 PositionSource(const SourceFichier *source) { return source->base + SInt64(source->view.position); }

void RendNonLuSource(SourceFichier *source) {
    size_t left = ByteReaderLeft(&source->view);
    if (source->file && left > 0 && fseeko(source->file, -off_t(left), SEEK_CUR) == 0) source->ended = kFalse;
    source->base += SInt64(source->view.position);
    source->view = OrvaByteReader(nullptr, 0);
}

void FermeSource(SourceFichier *source) {
    free(source->buffer);
    *source = SourceFichier{};
}

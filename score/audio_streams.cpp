// The stream table and its two kinds of storage. Memory grows by doubling with the system heap
// rather than the memory manager: growing happens inside section 257, and the memory manager's
// own section (1) comes before it in the order sections are taken.
#include "score/audio_streams.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "platform/core/critical_sections.h"
#include "platform/core/runtime.h"
#include "score/temporary_files.h"

namespace {

const SInt32 kEchantillonsZeros = 4096;  // zero samples FillFlux writes at a time
const char kErreurEcriture[] = "WriteFlux:write error";

struct FluxOps;

struct FluxRecord {
    const FluxOps *ops;   // null: the slot is free
    char name[kNomFluxTaille];
    SInt64 length;        // samples
    SInt64 position;      // samples, 0..length
    SInt16 *samples;      // memory: capacity samples, those past length zero
    SInt64 capacity;
    int fd;               // disk: the unnamed file
    Boolean warned;       // the write error was reported
};

// One row per kind of storage. reserve makes room for length samples, zeros past the old length.
struct FluxOps {
    const char *name;
    Boolean (*open)(FluxRecord *stream, SInt64 length);
    Boolean (*reserve)(FluxRecord *stream, SInt64 length);
    SInt32 (*read)(FluxRecord *stream, SInt64 at, SInt32 count, SInt16 *samples);
    SInt32 (*write)(FluxRecord *stream, SInt64 at, SInt32 count, const SInt16 *samples);
    void (*close)(FluxRecord *stream);
};

Boolean OuvreMemoire(FluxRecord *stream, SInt64 length);
Boolean ReserveMemoire(FluxRecord *stream, SInt64 length);
SInt32 LitMemoire(FluxRecord *stream, SInt64 at, SInt32 count, SInt16 *samples);
SInt32 EcritMemoire(FluxRecord *stream, SInt64 at, SInt32 count, const SInt16 *samples);
void FermeMemoire(FluxRecord *stream);
Boolean OuvreDisque(FluxRecord *stream, SInt64 length);
Boolean ReserveDisque(FluxRecord *stream, SInt64 length);
SInt32 LitDisque(FluxRecord *stream, SInt64 at, SInt32 count, SInt16 *samples);
SInt32 EcritDisque(FluxRecord *stream, SInt64 at, SInt32 count, const SInt16 *samples);
void FermeDisque(FluxRecord *stream);

const FluxOps kFluxMemoire = {"memory", OuvreMemoire, ReserveMemoire, LitMemoire, EcritMemoire, FermeMemoire};
const FluxOps kFluxDisque = {"disk", OuvreDisque, ReserveDisque, LitDisque, EcritDisque, FermeDisque};

// The streams and the test seam, guarded by section 257.
struct FluxTableRecord {
    FluxRecord streams[kMaxFlux];
    SInt32 (*seam)(SInt16 stream, SInt64 at, SInt32 count, const SInt16 *samples);
};
FluxTableRecord gFlux;
// The temporary folder for disk streams, found on the creating thread before the section is taken.
char gDossierFlux[kOrvaPathMax + 1];

FluxRecord *Flux(SInt16 stream);
SInt32 Ecrit(SInt16 stream, const SInt16 *samples, SInt32 count);
Boolean Agrandit(FluxRecord *stream, SInt64 length);

}  // namespace

SInt16 CreateFlux(const char *name, SInt32 length, Boolean inMemory) {
    if (length < 0 || length > kFluxEchantillonsMax) return 0;
    char folder[kOrvaPathMax + 1];
    GetDossierTemporaire(folder);
    StartFluxCriticalSection();
    memcpy(gDossierFlux, folder, sizeof folder);
    SInt16 number = 0;
    for (SInt16 i = 0; i < kMaxFlux && !number; i++) {
        FluxRecord *stream = &gFlux.streams[i];
        if (stream->ops) continue;
        *stream = FluxRecord{};
        stream->fd = -1;
        snprintf(stream->name, sizeof stream->name, "%s", name ? name : "");
        if ((inMemory && kFluxMemoire.open(stream, length)) || kFluxDisque.open(stream, length)) number = SInt16(i + 1);
    }
    EndFluxCriticalSection();
    return number;
}

void DisposeFlux(SInt16 stream) {
    StartFluxCriticalSection();
    if (FluxRecord *s = Flux(stream)) {
        s->ops->close(s);
        *s = FluxRecord{};
    }
    EndFluxCriticalSection();
}

SInt32 WriteFlux(const SInt16 *samples, SInt32 count, SInt16 stream) {
    if (!samples || count <= 0) return 0;
    return Ecrit(stream, samples, count);
}

SInt32 FillFlux(SInt16 stream, SInt32 count) {
    static const SInt16 zeros[kEchantillonsZeros] = {};
    SInt32 done = 0;
    while (done < count) {
        SInt32 part = count - done < kEchantillonsZeros ? count - done : kEchantillonsZeros;
        SInt32 written = Ecrit(stream, zeros, part);
        done += written;
        if (written < part) break;
    }
    return done;
}

Boolean SeekFlux(SInt16 stream, SInt32 position) {
    FluxRecord *s = Flux(stream);
    if (!s || position < 0 || position > s->length) return kFalse;
    s->position = position;
    return kTrue;
}

SInt32 TellFlux(SInt16 stream) {
    FluxRecord *s = Flux(stream);
    return s ? SInt32(s->position) : -1;
}

SInt32 GetLengthFlux(SInt16 stream) {
    FluxRecord *s = Flux(stream);
    return s ? SInt32(s->length) : -1;
}

SInt32 LitEchantillonsFlux(SInt16 stream, SInt64 first, SInt32 count, SInt16 *samples) {
    FluxRecord *s = Flux(stream);
    if (!s || !samples || count <= 0 || first < 0 || first >= s->length) return 0;
    if (count > s->length - first) count = SInt32(s->length - first);
    return s->ops->read(s, first, count, samples);
}

Boolean IsFluxEnMemoire(SInt16 stream) {
    FluxRecord *s = Flux(stream);
    return s && s->ops == &kFluxMemoire;
}

void OrvaSetFluxWriteSeam(SInt32 (*write)(SInt16 stream, SInt64 at, SInt32 count, const SInt16 *samples)) {
    StartFluxCriticalSection();
    gFlux.seam = write;
    EndFluxCriticalSection();
}

namespace {

FluxRecord *Flux(SInt16 stream) {
    if (stream < 1 || stream > kMaxFlux) return nullptr;
    FluxRecord *s = &gFlux.streams[stream - 1];
    return s->ops ? s : nullptr;
}

// The one path of sample writes: growth, the row's writer (or the seam), the position and the
// report of a short write.
SInt32 Ecrit(SInt16 stream, const SInt16 *samples, SInt32 count) {
    FluxRecord *s = Flux(stream);
    if (!s || count <= 0) return 0;
    SInt64 end = s->position + count;
    SInt64 length = s->length;
    SInt32 written = 0;
    if (end <= kFluxEchantillonsMax && (end <= s->length || Agrandit(s, end)))
        written = gFlux.seam ? gFlux.seam(stream, s->position, count, samples) : s->ops->write(s, s->position, count, samples);
    if (written < 0) written = 0;
    if (written > count) written = count;
    s->position += written;
    s->length = s->position > length ? s->position : length;  // a failed write grows it no further
    if (written < count && !s->warned) {
        s->warned = kTrue;
        OrvaErreur(kErreurEcriture);
    }
    return written;
}

Boolean Agrandit(FluxRecord *stream, SInt64 length) {
    StartFluxCriticalSection();
    Boolean ok = stream->ops->reserve(stream, length);
    if (ok) stream->length = length;
    EndFluxCriticalSection();
    return ok;
}

Boolean OuvreMemoire(FluxRecord *stream, SInt64 length) {
    stream->ops = &kFluxMemoire;
    if (ReserveMemoire(stream, length)) {
        stream->length = length;
        return kTrue;
    }
    stream->ops = nullptr;
    return kFalse;
}

Boolean ReserveMemoire(FluxRecord *stream, SInt64 length) {
    if (length <= stream->capacity) return kTrue;
    SInt64 capacity = stream->capacity > 0 ? stream->capacity : length;
    while (capacity < length) capacity *= 2;
    if (capacity > kFluxEchantillonsMax) capacity = kFluxEchantillonsMax;
    SInt16 *grown = static_cast<SInt16 *>(realloc(stream->samples, size_t(capacity) * sizeof(SInt16)));
    if (!grown) return kFalse;
    memset(grown + stream->capacity, 0, size_t(capacity - stream->capacity) * sizeof(SInt16));
    stream->samples = grown;
    stream->capacity = capacity;
    return kTrue;
}

SInt32 LitMemoire(FluxRecord *stream, SInt64 at, SInt32 count, SInt16 *samples) {
    memcpy(samples, stream->samples + at, size_t(count) * sizeof(SInt16));
    return count;
}

SInt32 EcritMemoire(FluxRecord *stream, SInt64 at, SInt32 count, const SInt16 *samples) {
    memcpy(stream->samples + at, samples, size_t(count) * sizeof(SInt16));
    return count;
}

void FermeMemoire(FluxRecord *stream) { free(stream->samples); }

Boolean OuvreDisque(FluxRecord *stream, SInt64 length) {
    stream->fd = CreeFichierTemporaireAnonyme(gDossierFlux[0] ? gDossierFlux : nullptr);
    if (stream->fd < 0) return kFalse;
    stream->ops = &kFluxDisque;
    if (ReserveDisque(stream, length)) {
        stream->length = length;
        return kTrue;
    }
    FermeDisque(stream);
    stream->ops = nullptr;
    return kFalse;
}

// The file grows as a hole that reads as zeros.
Boolean ReserveDisque(FluxRecord *stream, SInt64 length) {
    return ftruncate(stream->fd, off_t(length) * off_t(sizeof(SInt16))) == 0;
}

SInt32 LitDisque(FluxRecord *stream, SInt64 at, SInt32 count, SInt16 *samples) {
    ssize_t got = pread(stream->fd, samples, size_t(count) * sizeof(SInt16), off_t(at) * off_t(sizeof(SInt16)));
    return got > 0 ? SInt32(got / ssize_t(sizeof(SInt16))) : 0;
}

SInt32 EcritDisque(FluxRecord *stream, SInt64 at, SInt32 count, const SInt16 *samples) {
    size_t bytes = size_t(count) * sizeof(SInt16);
    size_t done = 0;
    while (done < bytes) {
        ssize_t put = pwrite(stream->fd, reinterpret_cast<const char *>(samples) + done, bytes - done,
                             off_t(at) * off_t(sizeof(SInt16)) + off_t(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += size_t(put);
    }
    return SInt32(done / sizeof(SInt16));
}

void FermeDisque(FluxRecord *stream) {
    if (stream->fd >= 0) close(stream->fd);
    stream->fd = -1;
}

}  // namespace

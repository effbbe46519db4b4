// The current file of the byte stream, its LZW segments and the writer's targets.
#include "score/byte_stream.h"

#include <cstdlib>
#include <cstring>

#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "score/engine_facade.h"

ByteStreamRecord gFluxOctets;
ByteReader *gLectureFlux = &gFluxOctets.current;

namespace {

void Reinitialise();
ByteReader *Emplacement(VueFlux kind);
void Depose();
void Prend(VueFlux kind);
void ChangeVue(VueFlux kind);
Boolean AvanceVue();
Boolean DecodeSuite();
Boolean RemplitBrut(void *context);
Boolean EcritFichier(void *context, const UInt8 *bytes, size_t count);
Boolean EcritOctets(const void *bytes, size_t count);
void Rompt(const char *what);

}  // namespace

Boolean CadenzoOpenFile(const char *path, const char *mode) {
    if (!path || !mode) return kFalse;
    Boolean writing = mode[0] == 'w' || mode[0] == 'a';
    if (gFluxOctets.file) {
        PlugTrace("CadenzoOpenFile: '%s' was still open and is closed", gFluxOctets.name);
        CloseFile();
    }
    FILE *file = OuvreFichier(path, mode);
    if (!file) {
        if (writing) Avertissement(nullptr, 0, "Can't open the file '%s' for writing.", path);
        return kFalse;
    }
    return FixeFichierCourant(file, writing, path);
}

Boolean FixeFichierCourant(FILE *file, Boolean writing, const char *name) {
    if (!file) return kFalse;
    if (gFluxOctets.file) CloseFile();
    Reinitialise();
    ByteStreamRecord &s = gFluxOctets;
    s.file = file;
    s.writing = writing;
    snprintf(s.name, sizeof s.name, "%s", name ? name : "");
    if (!writing) {
        OuvreSource(&s.source, file);
        Prend(kVueSource);
    }
    return kTrue;
}

Boolean CloseFile() {
    ByteStreamRecord &s = gFluxOctets;
    Boolean ok = !s.writeFailed;
    if (s.file) {
        if (s.writing && s.lzw && s.coder && !TermineCodeurLzw(s.coder)) ok = kFalse;
        if (s.writing && (fflush(s.file) != 0 || ferror(s.file))) ok = kFalse;
        if (fclose(s.file) != 0 && s.writing) ok = kFalse;
    }
    s.file = nullptr;
    Reinitialise();
    return ok;
}

Boolean IsFichierCourantOuvert() { return gFluxOctets.file != nullptr; }

Boolean EndOfFile() {
    while (ByteReaderLeft(&gFluxOctets.current) == 0) {
        if (!AvanceVue()) return kTrue;
    }
    return kFalse;
}

SInt16 ReadCarLent() {
    ByteStreamRecord &s = gFluxOctets;
    while (ByteReaderLeft(&s.current) == 0) {
        if (!AvanceVue()) {
            s.ended = kTrue;
            return -1;
        }
    }
    return Get8(&s.current);
}

void UnGetCar(SInt16 c) {
    ByteStreamRecord &s = gFluxOctets;
    if (!s.file || s.writing || c < 0) return;
    if (s.kind == kVueRendue && ByteReaderLeft(&s.current) > 0) {
        s.pushedByte = UInt8(c);  // one byte is kept: the last one given
        return;
    }
    if (s.kind == kVueRendue) AvanceVue();  // the byte given before was read: its view goes
    // The byte given back counts as not read yet, whatever it is.
    s.logical += SInt64(s.current.position - s.viewStart) - 1;
    s.beforePush = s.kind;
    Depose();
    s.pushedByte = UInt8(c);
    s.pushed = OrvaByteReader(&s.pushedByte, 1);
    Prend(kVueRendue);
    s.ended = kFalse;
}

SInt16 ReadShort() {
    UInt8 bytes[2];
    ReadBlock(bytes, 2);
    ByteReader r = OrvaByteReader(bytes, 2);
    return SInt16(Get16(&r));
}

SInt32 ReadLong() {
    UInt8 bytes[4];
    ReadBlock(bytes, 4);
    ByteReader r = OrvaByteReader(bytes, 4);
    return SInt32(Get32(&r));
}

float ReadFloat() {
    UInt32 bits = UInt32(ReadLong());
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

Boolean ReadBlock(void *bytes, SInt32 n) {
    if (n <= 0) return n == 0;
    ByteStreamRecord &s = gFluxOctets;
    UInt8 *out = static_cast<UInt8 *>(bytes);
    size_t wanted = size_t(n);
    while (wanted > 0) {
        size_t left = ByteReaderLeft(&s.current);
        if (left == 0) {
            if (AvanceVue()) continue;
            memset(out, 0, wanted);
            s.ended = kTrue;
            return kFalse;
        }
        size_t take = left < wanted ? left : wanted;
        Bytes(&s.current, out, take);
        out += take;
        wanted -= take;
    }
    return kTrue;
}

Boolean ReadGap(SInt32 n) {
    if (n <= 0) return n == 0;
    ByteStreamRecord &s = gFluxOctets;
    size_t wanted = size_t(n);
    while (wanted > 0) {
        size_t left = ByteReaderLeft(&s.current);
        if (left == 0) {
            if (AvanceVue()) continue;
            s.ended = kTrue;
            return kFalse;
        }
        size_t take = left < wanted ? left : wanted;
        Skip(&s.current, take);
        wanted -= take;
    }
    return kTrue;
}

Boolean ReadString(char *buffer, SInt32 size) {
    Boolean room = buffer && size > 0;
    if (room) buffer[0] = 0;
    SInt16 length = ReadCar();
    if (length < 0) return kFalse;
    SInt32 keep = room ? (length < size - 1 ? length : size - 1) : 0;
    Boolean ok = ReadBlock(buffer, keep);
    if (room) buffer[keep] = 0;
    return ReadGap(length - keep) && ok;
}

SInt64 PositionLectureFichier() {
    const ByteStreamRecord &s = gFluxOctets;
    return s.logical + SInt64(s.current.position - s.viewStart);
}

Boolean WriteBlock(const void *bytes, SInt32 n) {
    if (n < 0 || (n > 0 && !bytes)) return kFalse;
    return EcritOctets(bytes, size_t(n));
}

Boolean WriteCar(UInt8 c) { return EcritOctets(&c, 1); }

Boolean WriteShort(SInt16 value) {
    const UInt8 bytes[2] = {UInt8(UInt16(value) >> 8), UInt8(value)};
    return EcritOctets(bytes, 2);
}

Boolean WriteLong(SInt32 value) {
    UInt32 v = UInt32(value);
    const UInt8 bytes[4] = {UInt8(v >> 24), UInt8(v >> 16), UInt8(v >> 8), UInt8(v)};
    return EcritOctets(bytes, 4);
}

Boolean WriteFloat(float value) {
    UInt32 bits;
    memcpy(&bits, &value, sizeof bits);
    return WriteLong(SInt32(bits));
}

Boolean WriteString(const char *text) {
    size_t length = text ? strnlen(text, kChaineFluxMax) : 0;
    return WriteCar(UInt8(length)) && EcritOctets(text, length);
}

Boolean SetLZWMode(Boolean on) {
    ByteStreamRecord &s = gFluxOctets;
    on = on ? kTrue : kFalse;
    if (s.counting) {
        Boolean previous = s.countingLzw;
        s.countingLzw = on;
        return previous;
    }
    Boolean previous = s.lzw;
    s.lzw = on;
    if (previous == on || !s.file) return previous;
    if (s.writing) {
        if (on) {
            if (!s.coder) s.coder = static_cast<LzwCodeur *>(malloc(sizeof(LzwCodeur)));
            if (s.coder) InitCodeurLzw(s.coder, LzwSortie{EcritFichier, s.file});
            else s.writeFailed = kTrue;
        } else if (s.coder && !TermineCodeurLzw(s.coder)) {
            s.writeFailed = kTrue;
        }
        return previous;
    }
    if (on) {
        if (!s.decoder) s.decoder = static_cast<LzwDecodeur *>(malloc(sizeof(LzwDecodeur)));
        if (!s.decodedBytes) s.decodedBytes = static_cast<UInt8 *>(malloc(kTamponDecodage));
        if (!s.decoder || !s.decodedBytes) {
            Rompt("no memory to decode");
            return previous;
        }
        InitDecodeurLzw(s.decoder);
        s.decoded = OrvaByteReader(s.decodedBytes, 0);
        ChangeVue(kVueDecodee);
        return previous;
    }
    // The writer ended its segment here: nothing decoded may be left, and the next code must end it.
    if (!s.broken && s.decoder && s.decodedBytes) {
        ChangeVue(kVueDecodee);
        if (ByteReaderLeft(&s.current) > 0) {
            Rompt("coded segment longer than what was read");
        } else if (s.decoder->state == kLzwEnCours) {
            DecodeSuite();
            if (ByteReaderLeft(&s.current) > 0 || s.decoder->state != kLzwTermine)
                Rompt("coded segment without its end code");
        }
    }
    ChangeVue(kVueSource);
    if (s.broken) Prend(kVueAucune);
    return previous;
}

void FixeEcritureSurHandle(Handle h) {
    if (!h) return;
    if (gFluxOctets.inMemory) TermineEcritureSurHandle();
    gFluxOctets.memory = OrvaByteWriter(h, 0);
    gFluxOctets.inMemory = kTrue;
}

Handle TermineEcritureSurHandle() {
    ByteStreamRecord &s = gFluxOctets;
    if (!s.inMemory) return nullptr;
    FinishByteWriter(&s.memory);
    s.inMemory = kFalse;
    return s.memory.handle;
}

void DebuteComptageEcriture() {
    gFluxOctets.counting = kTrue;
    gFluxOctets.countingLzw = gFluxOctets.lzw;
    gFluxOctets.counted = 0;
}

SInt64 TermineComptageEcriture() {
    gFluxOctets.counting = kFalse;
    return gFluxOctets.counted;
}

FILE *PrendFichierBrut() {
    ByteStreamRecord &s = gFluxOctets;
    if (!s.file || s.lzw) return nullptr;
    if (s.writing) return s.file;
    ChangeVue(kVueSource);
    Depose();
    RendNonLuSource(&s.source);
    Prend(kVueSource);
    return s.file;
}

void RendFichierBrut() {
    ByteStreamRecord &s = gFluxOctets;
    if (!s.file || s.writing) return;
    OuvreSource(&s.source, s.file);
    s.logical = s.source.base;
    s.kind = kVueAucune;
    Prend(kVueSource);
    s.ended = kFalse;
}

void SauveFichierCourant(FichierCourantSauve *saved) {
    if (!saved) return;
    saved->state = gFluxOctets;
    ByteStreamRecord &s = gFluxOctets;
    s.file = nullptr;
    s.source.buffer = nullptr;  // the buffers go with the saved state
    s.decoder = nullptr;
    s.decodedBytes = nullptr;
    s.coder = nullptr;
    Reinitialise();
}

void RestaureFichierCourant(FichierCourantSauve *saved) {
    if (!saved) return;
    CloseFile();
    Reinitialise();
    gFluxOctets = saved->state;
    saved->state.file = nullptr;
}

namespace {

// Back to no file: buffers freed, coding off, nothing to read. The writer's targets stay.
void Reinitialise() {
    ByteStreamRecord &s = gFluxOctets;
    FermeSource(&s.source);
    free(s.decoder);
    free(s.decodedBytes);
    free(s.coder);
    ByteWriter memory = s.memory;
    Boolean inMemory = s.inMemory;
    Boolean counting = s.counting;
    Boolean countingLzw = s.countingLzw;
    SInt64 counted = s.counted;
    FILE *file = s.file;
    memset(&s, 0, sizeof s);
    s.file = file;
    s.memory = memory;
    s.inMemory = inMemory;
    s.counting = counting;
    s.countingLzw = countingLzw;
    s.counted = counted;
}

ByteReader *Emplacement(VueFlux kind) {
    ByteStreamRecord &s = gFluxOctets;
    switch (kind) {
        case kVueSource: return &s.source.view;
        case kVueDecodee: return &s.decoded;
        case kVueRendue: return &s.pushed;
        default: return nullptr;
    }
}

// Puts the working copy back into its slot.
void Depose() {
    if (ByteReader *slot = Emplacement(gFluxOctets.kind)) *slot = gFluxOctets.current;
}

void Prend(VueFlux kind) {
    ByteStreamRecord &s = gFluxOctets;
    ByteReader *slot = Emplacement(kind);
    s.kind = kind;
    s.current = slot ? *slot : OrvaByteReader(nullptr, 0);
    s.viewStart = s.current.position;
}

// Reads from kind from here on, counting what the old view gave. A byte given back does not
// cross a change of coding.
void ChangeVue(VueFlux kind) {
    ByteStreamRecord &s = gFluxOctets;
    if (s.kind == kVueRendue) AvanceVue();
    s.logical += SInt64(s.current.position - s.viewStart);
    Depose();
    Prend(kind);
}

// Makes more bytes readable (or moves back from a byte given back); false at the end.
Boolean AvanceVue() {
    ByteStreamRecord &s = gFluxOctets;
    if (s.kind == kVueRendue) {
        s.logical += 1;  // the byte given back, read or dropped
        Prend(s.beforePush);
        return kTrue;
    }
    if (!s.file || s.writing || s.broken) return kFalse;
    s.logical += SInt64(s.current.position - s.viewStart);
    Depose();
    Boolean more = kFalse;
    if (s.kind == kVueDecodee) more = DecodeSuite();
    else if (s.kind == kVueSource) more = RemplitSource(&s.source);
    Prend(s.kind);
    return more;
}

// Decodes the next bytes of the segment into the decoded slot (made current when it is);
// false when none came.
Boolean DecodeSuite() {
    ByteStreamRecord &s = gFluxOctets;
    if (s.decoder->state != kLzwEnCours) return kFalse;
    LzwEntree input = {&s.source.view, RemplitBrut, &s.source};
    size_t n = DecodeLzw(s.decoder, &input, s.decodedBytes, kTamponDecodage);
    s.decoded = OrvaByteReader(s.decodedBytes, n);
    if (s.kind == kVueDecodee) Prend(kVueDecodee);
    if (s.decoder->state == kLzwCodeInvalide) Rompt("damaged code");
    else if (s.decoder->state == kLzwFinManquante) Rompt("end code missing");
    return n > 0;
}

Boolean RemplitBrut(void *context) { return RemplitSource(static_cast<SourceFichier *>(context)); }

Boolean EcritFichier(void *context, const UInt8 *bytes, size_t count) {
    return fwrite(bytes, 1, count, static_cast<FILE *>(context)) == count;
}

Boolean EcritOctets(const void *bytes, size_t count) {
    ByteStreamRecord &s = gFluxOctets;
    if (s.counting) {
        s.counted += SInt64(count);
        return kTrue;
    }
    if (count == 0) return kTrue;
    if (s.inMemory) {
        PutBytes(&s.memory, bytes, count);
        return !s.memory.failed;
    }
    if (!s.file || !s.writing) return kFalse;
    Boolean ok = s.lzw && s.coder ? CodeLzw(s.coder, bytes, count)
                                  : EcritFichier(s.file, static_cast<const UInt8 *>(bytes), count);
    if (!ok) s.writeFailed = kTrue;
    return ok;
}

// A coding fault: reported once per file. What was decoded before it is still read; the
// stream is at its end after that.
void Rompt(const char *what) {
    ByteStreamRecord &s = gFluxOctets;
    s.broken = kTrue;
    if (s.warned) return;
    s.warned = kTrue;
    Avertissement(nullptr, 0, "LZW: %s in '%s'", what, s.name);
}

}  // namespace

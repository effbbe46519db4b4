#include "sound/bank_format.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"

static const UInt8 kSampleMagic[4] = {'R', 'S', 'D', '1'};
enum : UInt16 { kInstrumentFormat = 1 };

static void ReadZone(ByteReader *c, BankZone *zone);
static bool MakeFolder(const char *path);

OSErr ErreurBanque(OSErr err, char *message, size_t messageSize, const char *format, ...) {
    if (message && messageSize) {
        va_list args;
        va_start(args, format);
        vsnprintf(message, messageSize, format, args);
        va_end(args);
    }
    return err;
}

// 'BKNF': the name as a length byte and its characters (at most 63), the level (signed
// 16-bit) and the rate in Hz (32-bit), big-endian.
OSErr LitInfoBanque(const void *bytes, size_t size, BankInfoRecord *info, char *message, size_t messageSize) {
    memset(info, 0, sizeof *info);
    ByteReader c = OrvaByteReader(bytes, size);
    UInt8 length = Get8(&c);
    if (length > kBankNameMax) return ErreurBanque(paramErr, message, messageSize, "bank name of %u bytes", length);
    Bytes(&c, info->name, length);
    info->name[length] = 0;
    info->level = SInt16(Get16(&c));
    info->rate = Get32(&c);
    if (c.failed) {
        memset(info, 0, sizeof *info);
        return ErreurBanque(eofErr, message, messageSize, "bank description cut short");
    }
    if (info->rate < kBankMinRate || info->rate > kBankMaxRate)
        return ErreurBanque(paramErr, message, messageSize, "bank rate %u", unsigned(info->rate));
    return noErr;
}

void EcritInfoBanque(const BankInfoRecord *info, ByteWriter *w) {
    size_t length = strnlen(info->name, kBankNameMax);
    Put8(w, UInt8(length));
    PutBytes(w, info->name, length);
    Put16(w, UInt16(info->level));
    Put32(w, info->rate);
}

// 'INST': the format (16-bit, 1), the zone count (16-bit), then kBankZoneBytes a zone, each
// field of BankZone in its order and width, big-endian.
OSErr LitZonesInstrument(const void *bytes, size_t size, BankZone *zones, UInt32 max, UInt32 *count,
                         char *message, size_t messageSize) {
    *count = 0;
    ByteReader c = OrvaByteReader(bytes, size);
    UInt16 format = Get16(&c);
    UInt32 stored = Get16(&c);
    if (c.failed) return ErreurBanque(eofErr, message, messageSize, "instrument cut short");
    if (format != kInstrumentFormat) return ErreurBanque(paramErr, message, messageSize, "instrument format %u", format);
    if (stored == 0 || stored > max || stored > kBankMaxZones)
        return ErreurBanque(paramErr, message, messageSize, "instrument of %u zones", unsigned(stored));
    if (ByteReaderLeft(&c) < size_t(stored) * kBankZoneBytes)
        return ErreurBanque(eofErr, message, messageSize, "instrument cut short in its zones");
    for (UInt32 i = 0; i < stored; i++) {
        ReadZone(&c, &zones[i]);
        char why[160];
        if (VerifieZoneBanque(&zones[i], why, sizeof why) != noErr)
            return ErreurBanque(paramErr, message, messageSize, "zone %u: %s", unsigned(i), why);
    }
    *count = stored;
    return noErr;
}

void EcritZonesInstrument(const BankZone *zones, UInt32 count, ByteWriter *w) {
    Put16(w, kInstrumentFormat);
    Put16(w, UInt16(count));
    for (UInt32 i = 0; i < count; i++) {
        const BankZone &z = zones[i];
        UInt8 head[4] = {z.keyLow, z.keyHigh, z.velocityLow, z.velocityHigh};
        PutBytes(w, head, 4);
        Put32(w, z.sample);
        Put8(w, z.rootKey);
        Put8(w, z.loopMode);
        Put16(w, UInt16(z.tune));
        Put16(w, UInt16(z.gain));
        Put16(w, UInt16(z.pan));
        const UInt32 frames[4] = {z.start, z.end, z.loopStart, z.loopEnd};
        for (UInt32 f : frames) Put32(w, f);
        const UInt16 shape[7] = {z.attack, z.hold, z.decay, z.release, z.sustain, z.cutoff, z.resonance};
        for (UInt16 s : shape) Put16(w, s);
    }
}

OSErr VerifieZoneBanque(const BankZone *z, char *message, size_t messageSize) {
    if (z->keyLow > z->keyHigh || z->keyHigh > 127)
        return ErreurBanque(paramErr, message, messageSize, "key range %u..%u", z->keyLow, z->keyHigh);
    if (z->velocityLow > z->velocityHigh || z->velocityHigh > 127)
        return ErreurBanque(paramErr, message, messageSize, "velocity range %u..%u", z->velocityLow, z->velocityHigh);
    if (z->sample > kBankMaxSampleNumber) return ErreurBanque(paramErr, message, messageSize, "sample %u", unsigned(z->sample));
    if (z->rootKey > 127 || z->loopMode > kBankLoopUntilRelease)
        return ErreurBanque(paramErr, message, messageSize, "root key %u, loop mode %u", z->rootKey, z->loopMode);
    if (z->tune < -12000 || z->tune > 12000 || z->gain < -1440 || z->gain > 240 || z->pan < -500 || z->pan > 500)
        return ErreurBanque(paramErr, message, messageSize, "tune %d, gain %d, pan %d", z->tune, z->gain, z->pan);
    if (z->sustain > 1000 || z->resonance > 960)
        return ErreurBanque(paramErr, message, messageSize, "sustain %u, resonance %u", z->sustain, z->resonance);
    return noErr;
}

// A sample file: 'RSD1', the rate, the frame count, the loop start and end (32-bit each), the
// channel count (16-bit), then the frames, big-endian.
OSErr LitEnteteEchantillon(ByteReader *c, BankSampleHeader *h, char *message, size_t messageSize) {
    UInt8 magic[4];
    Bytes(c, magic, 4);
    h->rate = Get32(c);
    h->frames = Get32(c);
    h->loopStart = Get32(c);
    h->loopEnd = Get32(c);
    h->channels = Get16(c);
    if (c->failed) return ErreurBanque(eofErr, message, messageSize, "sample header cut short");
    if (memcmp(magic, kSampleMagic, 4) != 0) return ErreurBanque(paramErr, message, messageSize, "not a sample file");
    if (h->rate < kBankMinRate || h->rate > kBankMaxRate)
        return ErreurBanque(paramErr, message, messageSize, "sample rate %u", unsigned(h->rate));
    if (h->frames == 0 || h->frames > kBankMaxFrames)
        return ErreurBanque(paramErr, message, messageSize, "sample of %u frames", unsigned(h->frames));
    if (h->channels < 1 || h->channels > 2) return ErreurBanque(paramErr, message, messageSize, "%u channels", h->channels);
    // A loop that does not lie inside the sample is no loop: the sample plays once.
    if (h->loopEnd > h->frames || h->loopStart >= h->loopEnd) h->loopStart = h->loopEnd = 0;
    return noErr;
}

OSErr ChargeFichierEchantillon(const char *path, BankSampleHeader *header, SInt16 **data, char *message,
                               size_t messageSize) {
    *data = nullptr;
    FILE *f = fopen(path, "rb");
    if (!f) return ErreurBanque(fnfErr, message, messageSize, "no sample file %s", path);
    UInt8 head[kBankSampleHeaderBytes];
    size_t got = fread(head, 1, sizeof head, f);
    ByteReader c = OrvaByteReader(head, got);
    OSErr err = LitEnteteEchantillon(&c, header, message, messageSize);
    size_t count = size_t(header->frames) * header->channels;
    Ptr block = err == noErr ? NewPtr(UInt32(count * 2)) : nullptr;
    if (err == noErr && !block) err = ErreurBanque(memFullErr, message, messageSize, "no memory for %zu samples", count);
    if (block && fread(block, 2, count, f) != count)
        err = ErreurBanque(eofErr, message, messageSize, "sample file %s cut short", path);
    fclose(f);
    if (err != noErr) {
        if (block) DisposPtr(block);
        return err;
    }
    ByteReader samples = OrvaByteReader(block, count * 2);
    SInt16 *out = reinterpret_cast<SInt16 *>(block);
    for (size_t i = 0; i < count; i++) out[i] = SInt16(Get16(&samples));
    *data = out;
    return noErr;
}

OSErr EcritFichierEchantillon(const char *path, const BankSampleHeader *h, const SInt16 *data) {
    size_t count = size_t(h->frames) * h->channels;
    if (h->frames == 0 || h->frames > kBankMaxFrames || h->channels < 1 || h->channels > 2) return paramErr;
    Handle bytes = NewHandle(0);
    ByteWriter w = OrvaByteWriter(bytes);
    PutBytes(&w, kSampleMagic, 4);
    Put32(&w, h->rate);
    Put32(&w, h->frames);
    Put32(&w, h->loopStart);
    Put32(&w, h->loopEnd);
    Put16(&w, h->channels);
    for (size_t i = 0; i < count; i++) Put16(&w, UInt16(data[i]));
    OSErr err = FinishByteWriter(&w) ? noErr : memFullErr;
    FILE *f = err == noErr ? fopen(path, "wb") : nullptr;
    if (err == noErr && !f) err = ioErr;
    if (f) {
        if (fwrite(*bytes, 1, w.size, f) != w.size) err = ioErr;
        if (fclose(f) != 0) err = ioErr;
    }
    if (bytes) DisposHandle(bytes);
    return err;
}

void NomFichierEchantillon(const char *folder, UInt32 number, char *path, size_t pathSize) {
    snprintf(path, pathSize, "%s/Samples/%05u.rsd", folder, unsigned(number));
}

OSErr OuvreEcritureBanque(const char *folder, const BankInfoRecord *info, BankWriterRecord *writer,
                          char *message, size_t messageSize) {
    memset(writer, 0, sizeof *writer);
    char samples[1100];
    snprintf(samples, sizeof samples, "%s/Samples", folder);
    if (!MakeFolder(folder) || !MakeFolder(samples))
        return ErreurBanque(ioErr, message, messageSize, "cannot make %s", samples);
    char *absolute = realpath(folder, nullptr);
    if (!absolute || strlen(absolute) >= sizeof writer->folder - 80) {
        free(absolute);
        return ErreurBanque(paramErr, message, messageSize, "bad folder %s", folder);
    }
    snprintf(writer->folder, sizeof writer->folder, "%s", absolute);
    free(absolute);
    snprintf(writer->name, sizeof writer->name, "%s", info->name);
    snprintf(writer->temporary, sizeof writer->temporary, "%s/.bank-%d.tmp", writer->folder, int(getpid()));
    unlink(writer->temporary);
    writer->previousResFile = CurResFile();
    CreateResFile(writer->temporary);
    SInt16 ref = ResError() == noErr ? OpenResFile(writer->temporary) : -1;
    if (ref <= 0) return ErreurBanque(ioErr, message, messageSize, "cannot create the bank in %s", writer->folder);
    writer->resFile = ref;
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    EcritInfoBanque(info, &w);
    if (!FinishByteWriter(&w) && h) {
        DisposHandle(h);
        h = nullptr;
    }
    if (h) AddResource(h, kBankInfoType, kBankInfoId, info->name);
    if (!h || ResError() != noErr) {
        if (h) DisposHandle(h);
        FermeEcritureBanque(writer, true);
        return ErreurBanque(ioErr, message, messageSize, "cannot add the bank description");
    }
    return noErr;
}

OSErr AjouteInstrumentBanque(BankWriterRecord *writer, SInt32 id, const BankZone *zones, UInt32 count) {
    if (writer->resFile <= 0 || id < 0 || id > SInt32(kBankMaxInstrumentId) || count == 0 || count > kBankMaxZones)
        return paramErr;
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    EcritZonesInstrument(zones, count, &w);
    if (!FinishByteWriter(&w) && h) {
        DisposHandle(h);
        h = nullptr;
    }
    if (!h) return memFullErr;
    UseResFile(writer->resFile);
    AddResource(h, kBankInstrumentType, SInt16(id), nullptr);
    if (ResError() != noErr) {
        DisposHandle(h);
        return addResFailed;
    }
    return noErr;
}

OSErr FermeEcritureBanque(BankWriterRecord *writer, Boolean cancel) {
    OSErr err = noErr;
    if (writer->resFile > 0) {
        if (!cancel) {
            UpdateResFile(writer->resFile);
            err = ResError();
        }
        CloseResFile(writer->resFile);
        if (err == noErr) err = ResError();
        writer->resFile = 0;
        UseResFile(writer->previousResFile);
    }
    char final[1200];
    snprintf(final, sizeof final, "%s/%s.rsr", writer->folder, writer->name);
    if (!cancel && err == noErr && rename(writer->temporary, final) != 0) err = ioErr;
    if (cancel || err != noErr) unlink(writer->temporary);
    return cancel ? OSErr(noErr) : err;
}

static void ReadZone(ByteReader *c, BankZone *z) {
    z->keyLow = Get8(c);
    z->keyHigh = Get8(c);
    z->velocityLow = Get8(c);
    z->velocityHigh = Get8(c);
    z->sample = Get32(c);
    z->rootKey = Get8(c);
    z->loopMode = Get8(c);
    z->tune = SInt16(Get16(c));
    z->gain = SInt16(Get16(c));
    z->pan = SInt16(Get16(c));
    z->start = Get32(c);
    z->end = Get32(c);
    z->loopStart = Get32(c);
    z->loopEnd = Get32(c);
    z->attack = Get16(c);
    z->hold = Get16(c);
    z->decay = Get16(c);
    z->release = Get16(c);
    z->sustain = Get16(c);
    z->cutoff = Get16(c);
    z->resonance = Get16(c);
}

static bool MakeFolder(const char *path) {
    struct stat st;
    if (stat(path, &st) == 0) return S_ISDIR(st.st_mode);
    return mkdir(path, 0775) == 0 || errno == EEXIST;
}

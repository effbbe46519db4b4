#include "sound/bank_sf2.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/core/errors.h"

// Generator numbers of the format that the flattening reads.
enum : UInt16 {
    kGenStartOffset = 0, kGenEndOffset = 1, kGenLoopStartOffset = 2, kGenLoopEndOffset = 3,
    kGenStartCoarse = 4, kGenFilterCutoff = 8, kGenFilterQ = 9, kGenEndCoarse = 12, kGenPan = 17,
    kGenAttack = 34, kGenHold = 35, kGenDecay = 36, kGenSustain = 37, kGenRelease = 38,
    kGenInstrument = 41, kGenKeyRange = 43, kGenVelocityRange = 44, kGenLoopStartCoarse = 45,
    kGenAttenuation = 48, kGenLoopEndCoarse = 50, kGenCoarseTune = 51, kGenFineTune = 52,
    kGenSampleId = 53, kGenSampleModes = 54, kGenScaleTuning = 56, kGenRootKey = 58,
    kGenCount = 61,
};
// Record sizes of the tables.
enum : UInt32 { kPhdrBytes = 38, kBagBytes = 4, kGenBytes = 4, kInstBytes = 22, kShdrBytes = 46 };
static const UInt32 kNoCutoffCents = 13500;  // the default cutoff: the filter is open

// A zone's generators: values, and which were given.
struct GenSet {
    SInt32 value[kGenCount];
    bool given[kGenCount];
};

// One table of the "pdta" list: its name, record size and where the reader keeps it.
struct TableRow {
    char id[5];
    UInt32 recordBytes;
    ByteReader Sf2Reader::*table;
};
static const TableRow kTables[] = {
    {"phdr", kPhdrBytes, &Sf2Reader::phdr}, {"pbag", kBagBytes, &Sf2Reader::pbag},
    {"pgen", kGenBytes, &Sf2Reader::pgen},  {"inst", kInstBytes, &Sf2Reader::inst},
    {"ibag", kBagBytes, &Sf2Reader::ibag},  {"igen", kGenBytes, &Sf2Reader::igen},
    {"shdr", kShdrBytes, &Sf2Reader::shdr},
};

static void ReadLists(ByteReader *riff, Sf2Reader *r);
static UInt32 RecordCount(const ByteReader *table, UInt32 recordBytes);
static ByteReader Record(const ByteReader *table, UInt32 recordBytes, UInt32 index);
static UInt16 Field16(const ByteReader *table, UInt32 recordBytes, UInt32 index, UInt32 offset);
static bool BagRange(const ByteReader *headers, UInt32 headerBytes, UInt32 bagOffset, UInt32 index,
                     const ByteReader *bags, UInt32 *first, UInt32 *end);
static bool GenRange(const ByteReader *bags, const ByteReader *gens, UInt32 bag, UInt32 *first, UInt32 *end);
static void DefaultGens(GenSet *g);
static void ReadGens(const ByteReader *gens, UInt32 first, UInt32 end, GenSet *g);
static bool MakeZone(const Sf2Reader *r, const GenSet *inst, const GenSet *preset, SInt32 key, BankZone *zone);
static UInt16 TimecentsToMs(SInt32 timecents);
static SInt32 Clamp(SInt32 value, SInt32 low, SInt32 high);

OSErr LitSf2(const void *bytes, size_t size, Sf2Reader *r, char *message, size_t messageSize) {
    memset(r, 0, sizeof *r);
    ByteReader c = OrvaByteReader(bytes, size);
    UInt8 head[12];
    Bytes(&c, head, 4);
    UInt32 riffSize = Get32LE(&c);
    Bytes(&c, head + 4, 4);
    if (c.failed || memcmp(head, "RIFF", 4) != 0 || memcmp(head + 4, "sfbk", 4) != 0)
        return ErreurBanque(paramErr, message, messageSize, "not an SF2 file");
    ByteReader riff = SubReader(&c, riffSize >= 4 ? riffSize - 4 : 0);
    ReadLists(&riff, r);
    if (!r->samples.bytes) return ErreurBanque(paramErr, message, messageSize, "no sample data");
    for (const TableRow &row : kTables) {
        const ByteReader *table = &(r->*row.table);
        if (!table->bytes || table->size % row.recordBytes != 0 || table->size / row.recordBytes < 2)
            return ErreurBanque(paramErr, message, messageSize, "table %s missing or damaged", row.id);
    }
    r->presetCount = RecordCount(&r->phdr, kPhdrBytes) - 1;
    r->instrumentCount = RecordCount(&r->inst, kInstBytes) - 1;
    r->sampleCount = RecordCount(&r->shdr, kShdrBytes) - 1;
    return noErr;
}

Boolean InfoPresetSf2(const Sf2Reader *r, UInt32 index, Sf2PresetInfo *info) {
    if (index >= r->presetCount) return false;
    ByteReader p = Record(&r->phdr, kPhdrBytes, index);
    Bytes(&p, info->name, 20);
    info->name[20] = 0;
    info->program = Get16LE(&p);
    info->bank = Get16LE(&p);
    return true;
}

OSErr AplatitPresetSf2(Sf2Reader *r, UInt32 index, SInt32 key, BankZone *zones, UInt32 max, UInt32 *count) {
    *count = 0;
    UInt32 bag, bagEnd;
    if (!BagRange(&r->phdr, kPhdrBytes, 24, index, &r->pbag, &bag, &bagEnd)) return noErr;
    GenSet presetGlobal;
    memset(&presetGlobal, 0, sizeof presetGlobal);
    for (UInt32 b = bag; b < bagEnd; b++) {
        UInt32 gen, genEnd;
        if (!GenRange(&r->pbag, &r->pgen, b, &gen, &genEnd)) continue;
        GenSet preset = presetGlobal;
        ReadGens(&r->pgen, gen, genEnd, &preset);
        if (!preset.given[kGenInstrument]) {
            // Only the first zone may be global: it lends its generators to the others.
            if (b == bag) presetGlobal = preset;
            continue;
        }
        UInt32 instrument = UInt32(preset.value[kGenInstrument]), ibag, ibagEnd;
        if (!BagRange(&r->inst, kInstBytes, 20, instrument, &r->ibag, &ibag, &ibagEnd)) continue;
        GenSet instGlobal;
        DefaultGens(&instGlobal);
        for (UInt32 ib = ibag; ib < ibagEnd; ib++) {
            if (++r->work > kSf2MaxWork) return paramErr;
            UInt32 igen, igenEnd;
            if (!GenRange(&r->ibag, &r->igen, ib, &igen, &igenEnd)) continue;
            GenSet inst = instGlobal;
            ReadGens(&r->igen, igen, igenEnd, &inst);
            if (!inst.given[kGenSampleId]) {
                if (ib == ibag) instGlobal = inst;
                continue;
            }
            if (*count < max && MakeZone(r, &inst, &preset, key, &zones[*count])) (*count)++;
        }
    }
    return noErr;
}

OSErr InfoEchantillonSf2(const Sf2Reader *r, UInt32 index, BankSampleHeader *h, const UInt8 **data) {
    *data = nullptr;
    if (index >= r->sampleCount) return paramErr;
    ByteReader s = Record(&r->shdr, kShdrBytes, index);
    Skip(&s, 20);
    UInt32 start = Get32LE(&s), end = Get32LE(&s);
    UInt32 loopStart = Get32LE(&s), loopEnd = Get32LE(&s);
    UInt32 rate = Get32LE(&s);
    Skip(&s, 4);
    UInt16 type = Get16LE(&s);
    UInt32 available = UInt32(r->samples.size / 2);
    if ((type & 0x8000) || start >= end || end > available || end - start > kBankMaxFrames || rate < kBankMinRate ||
        rate > kBankMaxRate)
        return paramErr;
    h->rate = rate;
    h->frames = end - start;
    h->channels = 1;
    bool loops = loopStart >= start && loopEnd <= end && loopStart < loopEnd;
    h->loopStart = loops ? loopStart - start : 0;
    h->loopEnd = loops ? loopEnd - start : 0;
    *data = r->samples.bytes + size_t(start) * 2;
    return noErr;
}

// The "LIST" chunks of the RIFF body: "sdta" holds "smpl", "pdta" the tables. Chunks are an
// id, a little-endian length and the body, padded to an even length; unknown ones are skipped.
static void ReadLists(ByteReader *riff, Sf2Reader *r) {
    while (ByteReaderLeft(riff) >= 8) {
        char id[4];
        Bytes(riff, id, 4);
        UInt32 length = Get32LE(riff);
        ByteReader body = SubReader(riff, length);
        if (length & 1) Skip(riff, 1);
        if (memcmp(id, "LIST", 4) != 0 || body.size < 4) continue;
        char type[4];
        Bytes(&body, type, 4);
        while (ByteReaderLeft(&body) >= 8) {
            char sub[4];
            Bytes(&body, sub, 4);
            UInt32 subLength = Get32LE(&body);
            ByteReader chunk = SubReader(&body, subLength);
            if (subLength & 1) Skip(&body, 1);
            if (memcmp(type, "sdta", 4) == 0 && memcmp(sub, "smpl", 4) == 0) r->samples = chunk;
            if (memcmp(type, "pdta", 4) != 0) continue;
            for (const TableRow &row : kTables)
                if (memcmp(sub, row.id, 4) == 0) r->*row.table = chunk;
        }
    }
}

static UInt32 RecordCount(const ByteReader *table, UInt32 recordBytes) { return UInt32(table->size / recordBytes); }

static ByteReader Record(const ByteReader *table, UInt32 recordBytes, UInt32 index) {
    ByteReader c = *table;
    c.position = 0;
    Skip(&c, size_t(index) * recordBytes);
    return SubReader(&c, recordBytes);
}

static UInt16 Field16(const ByteReader *table, UInt32 recordBytes, UInt32 index, UInt32 offset) {
    ByteReader c = Record(table, recordBytes, index);
    Skip(&c, offset);
    return Get16LE(&c);
}

// The bags of header index (a preset or an instrument): from its bag index to the next
// header's; false unless both lie in order within the bag table (whose last is terminal).
static bool BagRange(const ByteReader *headers, UInt32 headerBytes, UInt32 bagOffset, UInt32 index,
                     const ByteReader *bags, UInt32 *first, UInt32 *end) {
    if (index + 1 >= RecordCount(headers, headerBytes)) return false;
    *first = Field16(headers, headerBytes, index, bagOffset);
    *end = Field16(headers, headerBytes, index + 1, bagOffset);
    return *first <= *end && *end < RecordCount(bags, kBagBytes);
}

static bool GenRange(const ByteReader *bags, const ByteReader *gens, UInt32 bag, UInt32 *first, UInt32 *end) {
    *first = Field16(bags, kBagBytes, bag, 0);
    *end = Field16(bags, kBagBytes, bag + 1, 0);
    return *first <= *end && *end <= RecordCount(gens, kGenBytes);
}

static void DefaultGens(GenSet *g) {
    memset(g, 0, sizeof *g);
    g->value[kGenFilterCutoff] = kNoCutoffCents;
    const UInt16 times[] = {33, kGenAttack, kGenHold, kGenDecay, kGenRelease};
    for (UInt16 t : times) g->value[t] = -12000;
    g->value[kGenKeyRange] = g->value[kGenVelocityRange] = 127 << 8;
    g->value[kGenScaleTuning] = 100;
    g->value[kGenRootKey] = -1;
}

// Ranges keep their two bytes (low in the low byte); other amounts are signed 16-bit, except
// the instrument and sample indices, which are unsigned.
static void ReadGens(const ByteReader *gens, UInt32 first, UInt32 end, GenSet *g) {
    for (UInt32 i = first; i < end; i++) {
        ByteReader c = Record(gens, kGenBytes, i);
        UInt16 op = Get16LE(&c), amount = Get16LE(&c);
        if (op >= kGenCount) continue;
        bool raw = op == kGenKeyRange || op == kGenVelocityRange || op == kGenInstrument || op == kGenSampleId;
        g->value[op] = raw ? SInt32(amount) : SInt32(SInt16(amount));
        g->given[op] = true;
    }
}

// A bank zone from an instrument zone's generators and the preset zone's, which add to
// them (except ranges, which intersect, and what only an instrument may set).
static bool MakeZone(const Sf2Reader *r, const GenSet *inst, const GenSet *preset, SInt32 key, BankZone *z) {
    UInt32 sampleIndex = UInt32(inst->value[kGenSampleId]);
    BankSampleHeader header;
    const UInt8 *data;
    if (InfoEchantillonSf2(r, sampleIndex, &header, &data) != noErr) return false;
    SInt32 keyLow = inst->value[kGenKeyRange] & 0xFF, keyHigh = inst->value[kGenKeyRange] >> 8;
    SInt32 velLow = inst->value[kGenVelocityRange] & 0xFF, velHigh = inst->value[kGenVelocityRange] >> 8;
    if (preset->given[kGenKeyRange]) {
        keyLow = keyLow > (preset->value[kGenKeyRange] & 0xFF) ? keyLow : preset->value[kGenKeyRange] & 0xFF;
        keyHigh = keyHigh < (preset->value[kGenKeyRange] >> 8) ? keyHigh : preset->value[kGenKeyRange] >> 8;
    }
    if (preset->given[kGenVelocityRange]) {
        velLow = velLow > (preset->value[kGenVelocityRange] & 0xFF) ? velLow : preset->value[kGenVelocityRange] & 0xFF;
        velHigh = velHigh < (preset->value[kGenVelocityRange] >> 8) ? velHigh : preset->value[kGenVelocityRange] >> 8;
    }
    keyHigh = keyHigh > 127 ? 127 : keyHigh;
    velHigh = velHigh > 127 ? 127 : velHigh;
    if (keyLow > keyHigh || velLow > velHigh || (key >= 0 && (key < keyLow || key > keyHigh))) return false;
    auto sum = [&](UInt16 g) { return inst->value[g] + preset->value[g]; };
    ByteReader s = Record(&r->shdr, kShdrBytes, sampleIndex);
    Skip(&s, 40);
    UInt8 originalPitch = Get8(&s);
    SInt8 correction = SInt8(Get8(&s));
    SInt32 root = inst->value[kGenRootKey] >= 0 && inst->value[kGenRootKey] <= 127 ? inst->value[kGenRootKey]
                  : originalPitch <= 127                                              ? originalPitch
                                                                                     : 60;
    SInt32 tune = sum(kGenCoarseTune) * 100 + sum(kGenFineTune) + correction;
    if (key >= 0) {
        // The kit's key sounds as the file tunes it (often without following the scale).
        tune += (key - root) * sum(kGenScaleTuning);
        root = key;
        keyLow = keyHigh = key;
    }
    memset(z, 0, sizeof *z);
    z->keyLow = UInt8(keyLow), z->keyHigh = UInt8(keyHigh);
    z->velocityLow = UInt8(velLow), z->velocityHigh = UInt8(velHigh);
    z->sample = sampleIndex;
    z->rootKey = UInt8(root);
    SInt32 modes = inst->value[kGenSampleModes] & 3;
    z->loopMode = modes == 1 ? kBankLoopContinuous : modes == 3 ? kBankLoopUntilRelease : kBankLoopNone;
    z->tune = SInt16(Clamp(tune, -12000, 12000));
    z->gain = SInt16(Clamp(-sum(kGenAttenuation), -1440, 240));
    z->pan = SInt16(Clamp(sum(kGenPan), -500, 500));
    SInt32 frames = SInt32(header.frames);
    SInt32 startOffset = inst->value[kGenStartOffset] + 32768 * inst->value[kGenStartCoarse];
    SInt32 endOffset = inst->value[kGenEndOffset] + 32768 * inst->value[kGenEndCoarse];
    z->start = UInt32(Clamp(startOffset, 0, frames - 1));
    z->end = endOffset ? UInt32(Clamp(frames + endOffset, 1, frames)) : 0;
    SInt32 loopStart = SInt32(header.loopStart) + inst->value[kGenLoopStartOffset] + 32768 * inst->value[kGenLoopStartCoarse];
    SInt32 loopEnd = SInt32(header.loopEnd) + inst->value[kGenLoopEndOffset] + 32768 * inst->value[kGenLoopEndCoarse];
    z->loopStart = UInt32(Clamp(loopStart, 0, frames));
    z->loopEnd = UInt32(Clamp(loopEnd, 0, frames));
    z->attack = TimecentsToMs(sum(kGenAttack));
    z->hold = TimecentsToMs(sum(kGenHold));
    z->decay = TimecentsToMs(sum(kGenDecay));
    z->release = TimecentsToMs(sum(kGenRelease));
    z->sustain = UInt16(std::lround(1000.0 * std::pow(10.0, -Clamp(sum(kGenSustain), 0, 1440) / 200.0)));
    SInt32 cutoffCents = Clamp(sum(kGenFilterCutoff), 1500, kNoCutoffCents);
    z->cutoff = cutoffCents >= SInt32(kNoCutoffCents) ? 0 : UInt16(std::lround(8.176 * std::exp2(cutoffCents / 1200.0)));
    z->resonance = UInt16(Clamp(sum(kGenFilterQ), 0, 960));
    return true;
}

static UInt16 TimecentsToMs(SInt32 timecents) {
    double ms = 1000.0 * std::exp2(Clamp(timecents, -12000, 8000) / 1200.0);
    return UInt16(ms > 65535 ? 65535 : std::lround(ms));
}

static SInt32 Clamp(SInt32 value, SInt32 low, SInt32 high) { return value < low ? low : value > high ? high : value; }

// Offline rendering of an event list, and 16-bit WAV files for tools and tests.
#include "sound/synth_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"

static SoundEvent *CopyInFrames(const SoundRenderRequest *request, UInt32 rate);
static SInt64 LastRelease(const SoundEvent *events, UInt32 count);

OSErr RenduSonHorsLigne(const SoundRenderRequest *request, SInt16 **samples, UInt32 *frames, SoundEngineStats *stats) {
    *samples = nullptr;
    *frames = 0;
    if (stats) memset(stats, 0, sizeof *stats);
    if (!request->params || (request->eventCount && !request->events)) return paramErr;
    SoundEngineRecord *engine = nullptr;
    OSErr err = NewSoundEngine(request->params, request->staffCount, &engine);
    if (err != noErr) return err;
    UInt32 rate = SoundEngineRate(engine);
    UInt16 channels = SoundEngineChannels(engine);
    SInt64 limit = SInt64(kSoundRenderMaxSeconds) * rate;
    SoundEvent *events = request->eventCount ? CopyInFrames(request, rate) : nullptr;
    if (request->eventCount && !events) err = memFullErr;
    SInt64 minimum = SInt64(request->minimumMs) * rate / 1000;
    if (err == noErr && (LastRelease(events, request->eventCount) > limit || minimum > limit)) err = paramErr;
    if (err == noErr)
        err = PrepareSonEvenements(engine, events, request->eventCount, request->staves, request->staffCount,
                                   request->startMs);
    FixeLecteurFluxSon(engine, request->streams);
    // Rendered into a block grown by doubling, then cut to size.
    SInt64 tail = SInt64(request->tailMs) * rate / 1000, capacity = 0, used = 0, silentSince = -1;
    SInt16 *block = nullptr;
    UInt32 step = SoundEngineMaxStepFrames(engine);
    while (err == noErr) {
        bool finished = SoundEngineFinished(engine) && SoundEnginePosition(engine) >= minimum;
        if (finished && silentSince < 0) silentSince = SoundEnginePosition(engine);
        if (finished && SoundEnginePosition(engine) - silentSince >= tail) break;
        if (used + step > limit) {
            err = paramErr;
            break;
        }
        if (used + step > capacity) {
            SInt64 grown = capacity ? capacity * 2 : SInt64(rate) * 4;
            SInt16 *bigger = reinterpret_cast<SInt16 *>(NewPtr(UInt32(grown * channels * sizeof(SInt16))));
            if (!bigger) {
                err = memFullErr;
                break;
            }
            if (block) {
                memcpy(bigger, block, size_t(used) * channels * sizeof(SInt16));
                DisposPtr(reinterpret_cast<Ptr>(block));
            }
            block = bigger;
            capacity = grown;
        }
        used += MixeEtapeSon(engine, block + used * channels);
        if (!finished) silentSince = -1;
    }
    if (stats) SoundEngineGetStats(engine, stats);
    DisposeSoundEngine(&engine);
    if (events) DisposPtr(reinterpret_cast<Ptr>(events));
    if (err != noErr) {
        if (block) DisposPtr(reinterpret_cast<Ptr>(block));
        return err;
    }
    *samples = block;
    *frames = UInt32(used);
    return noErr;
}

// RIFF WAVE: the "RIFF" chunk of form "WAVE", a 16-byte "fmt " chunk (PCM, channels, rate,
// bytes a second, bytes a frame, 16 bits) and the "data" chunk, all little-endian.
void RemplitEnteteWav(UInt8 *header, UInt32 frames, UInt16 channels, UInt32 rate) {
    UInt32 dataBytes = frames * channels * 2;
    const struct {
        UInt32 offset, value, width;
    } fields[] = {
        {4, dataBytes + 36, 4}, {16, 16, 4},           {20, 1, 2},           {22, channels, 2},
        {24, rate, 4},          {28, rate * channels * 2, 4}, {32, channels * 2u, 2}, {34, 16, 2},
        {40, dataBytes, 4},
    };
    memcpy(header, "RIFF....WAVEfmt ", 16);
    memcpy(header + 36, "data", 4);
    for (const auto &f : fields)
        for (UInt32 b = 0; b < f.width; b++) header[f.offset + b] = UInt8(f.value >> (8 * b));
}

OSErr EcritFichierWav(const char *path, const SInt16 *samples, UInt32 frames, UInt16 channels, UInt32 rate) {
    if (channels < 1 || channels > 2 || rate == 0 || frames > kWavMaxFrames || (frames && !samples)) return paramErr;
    UInt8 header[kWavHeaderSize];
    RemplitEnteteWav(header, frames, channels, rate);
    FILE *file = fopen(path, "wb");
    if (!file) return ioErr;
    bool ok = fwrite(header, 1, sizeof header, file) == sizeof header &&
              AjouteEchantillonsWav(file, samples, size_t(frames) * channels) == noErr;
    if (fclose(file) != 0) ok = false;
    return ok ? noErr : ioErr;
}

OSErr AjouteEchantillonsWav(FILE *file, const SInt16 *samples, size_t count) {
    UInt8 buffer[4096];
    for (size_t i = 0; i < count;) {
        size_t n = std::min(count - i, sizeof buffer / 2);
        for (size_t k = 0; k < n; k++) {
            buffer[2 * k] = UInt8(UInt16(samples[i + k]));
            buffer[2 * k + 1] = UInt8(UInt16(samples[i + k]) >> 8);
        }
        if (fwrite(buffer, 2, n, file) != n) return ioErr;
        i += n;
    }
    return noErr;
}

// The request's events with onsets and lengths in frames, sorted by onset (equal onsets keep
// their order). Caller disposes.
static SoundEvent *CopyInFrames(const SoundRenderRequest *request, UInt32 rate) {
    UInt32 count = request->eventCount;
    if (count > 0x7FFFFFFFu / sizeof(SoundEvent)) return nullptr;
    SoundEvent *events = reinterpret_cast<SoundEvent *>(NewPtr(count * sizeof(SoundEvent)));
    if (!events) return nullptr;
    memcpy(events, request->events, count * sizeof(SoundEvent));
    if (request->inMs) {
        for (UInt32 i = 0; i < count; i++) {
            SInt64 onset = events[i].onset < 0 ? 0 : events[i].onset;
            events[i].onset = onset > (SInt64(1) << 40) ? SInt64(1) << 50 : onset * rate / 1000;
            events[i].length = SInt32(SInt64(events[i].length) * rate / 1000 > 0x7FFFFFFF
                                          ? 0x7FFFFFFF
                                          : SInt64(events[i].length) * rate / 1000);
        }
    }
    std::stable_sort(events, events + count, [](const SoundEvent &a, const SoundEvent &b) { return a.onset < b.onset; });
    return events;
}

static SInt64 LastRelease(const SoundEvent *events, UInt32 count) {
    SInt64 last = 0;
    for (UInt32 i = 0; i < count; i++) {
        if (events[i].velocity == 0 || events[i].length < 1) continue;
        last = std::max(last, events[i].onset + events[i].length);
    }
    return last;
}

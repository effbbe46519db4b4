// The output rows chosen by device name, the wrappers every caller goes through (where tests
// inject a failing device), the clocked null and fake rows, and the device name the plug-in
// chose.
#include "sound/output_driver.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "sound/synth.h"

extern const OutputOps kOutputAlsaOps;  // output_alsa.cpp
extern const OutputOps kOutputFileOps;  // output_file.cpp

namespace {

// Clocked outputs hold a buffer of the writer's size, so that both kinds of output lag alike.
struct ClockedOutput {
    OutputRecord base;
    SInt64 written;    // frames taken since the open
    SInt64 clockOpen;  // the clock when it opened
    SInt64 lost;       // frames the clock ran past what was written (the device ran dry)
};

// The fake device's clock: frames moved by hand plus, when it runs, speed times real time.
struct FakeClock {
    std::atomic<SInt64> manual{0};
    std::atomic<SInt64> originMicros{0};
    std::atomic<UInt32> speed{0};
    std::atomic<UInt32> rate{44100};
};
FakeClock gFakeClock;
std::atomic<SInt64> gFailAfter{-1};  // test seam: frames after which every write fails

OSErr NullOpen(OutputRecord *out, const char *device);
SInt64 NullAvail(OutputRecord *out);
SInt64 ClockedWrite(OutputRecord *out, const SInt16 *frames, UInt32 count);
SInt64 ZeroDelay(OutputRecord *out);
void NothingToClose(OutputRecord *out, Boolean drain);
OSErr FakeOpen(OutputRecord *out, const char *device);
SInt64 FakeAvail(OutputRecord *out);
SInt64 FakeDelay(OutputRecord *out);
SInt64 FakeConsumed(ClockedOutput *c);
SInt64 MonotonicMicros();

const OutputOps kOutputNullOps = {"null", sizeof(ClockedOutput), NullOpen, NullAvail, ClockedWrite, ZeroDelay,
                                  NothingToClose};
const OutputOps kOutputFakeOps = {"fake", sizeof(ClockedOutput), FakeOpen, FakeAvail, ClockedWrite, FakeDelay,
                                  NothingToClose};

// Device names that pick a row other than ALSA: "none" alone, or a leading "file:" / "fake".
// A name that matches no row is an ALSA device name.
struct NamedRow {
    const char *text;
    Boolean prefix;
    const OutputOps *ops;
};
const NamedRow kNamedRows[] = {
    {"none", false, &kOutputNullOps},
    {"file:", true, &kOutputFileOps},
    {"fake", false, &kOutputFakeOps},
    {"fake:", true, &kOutputFakeOps},
};

const OutputOps *RowOfDevice(const char *device) {
    for (const NamedRow &row : kNamedRows) {
        size_t length = strlen(row.text);
        if (strncmp(device, row.text, length) == 0 && (row.prefix || device[length] == 0)) return row.ops;
    }
    return &kOutputAlsaOps;
}

OSErr OpenRow(const OutputOps *ops, const char *device, UInt32 rate, UInt16 channels, OutputRecord **out) {
    *out = nullptr;
    if (rate < kSynthMinRate || rate > kSynthMaxRate || channels < 1 || channels > 2) return paramErr;
    OutputRecord *record = reinterpret_cast<OutputRecord *>(NewPtrClear(ops->recordSize));
    if (!record) return memFullErr;
    record->ops = ops;
    record->rate = rate;
    record->channels = channels;
    record->stepFrames = (rate + kSynthStepsPerSecond - 1) / kSynthStepsPerSecond;
    record->bufferFrames = SInt64(record->stepFrames) * kOutputBufferSteps;
    OSErr err = ops->open(record, device);
    if (err != noErr) {
        DisposPtr(reinterpret_cast<Ptr>(record));
        return err;
    }
    *out = record;
    return noErr;
}

}  // namespace

OSErr OuvreSortieSon(const char *device, UInt32 rate, UInt16 channels, OutputRecord **out) {
    const char *name = device && *device ? device : "default";
    return OpenRow(RowOfDevice(name), name, rate, channels, out);
}

OSErr OuvreSortieSonMuette(UInt32 rate, UInt16 channels, OutputRecord **out) {
    return OpenRow(&kOutputNullOps, "none", rate, channels, out);
}

SInt64 DisponibleSortieSon(OutputRecord *out) { return out->ops->avail(out); }

// The null output cannot fail: it is where a failed device's music goes on.
SInt64 EcritSortieSon(OutputRecord *out, const SInt16 *frames, UInt32 count) {
    SInt64 failAfter = gFailAfter.load(std::memory_order_relaxed);
    if (failAfter >= 0 && out->ops != &kOutputNullOps && out->taken + count > failAfter) return kOutputFailed;
    SInt64 taken = out->ops->write(out, frames, count);
    if (taken > 0) out->taken += taken;
    return taken;
}

SInt64 DelaiSortieSon(OutputRecord *out) { return out->ops->delay(out); }

void FermeSortieSon(OutputRecord **out, Boolean drain) {
    if (!*out) return;
    (*out)->ops->close(*out, drain);
    DisposPtr(reinterpret_cast<Ptr>(*out));
    *out = nullptr;
}

SInt64 HorlogeSortieSon(UInt8 clock, UInt32 rate) {
    if (clock == kOutputClockFake) return OutputFakeClockFrames();
    return MonotonicMicros() * SInt64(rate) / 1000000;
}

void LitNomPeriphSortie(char *name) {
    const char *table = OrvaGetDigitalOutputDevice();
    size_t n = 0;
    while (table && n < size_t(kOutputDeviceNameSize - 1) && table[n] && table[n] != '\n') n++;
    if (n == 0) {
        strcpy(name, "default");
        return;
    }
    memcpy(name, table, n);
    name[n] = 0;
}

void AvanceHorlogeFactice(SInt64 frames) { gFakeClock.manual.fetch_add(frames); }

SInt64 OutputFakeClockFrames() {
    SInt64 frames = gFakeClock.manual.load();
    UInt32 speed = gFakeClock.speed.load();
    if (speed) frames += (MonotonicMicros() - gFakeClock.originMicros.load()) * speed * gFakeClock.rate.load() / 1000000;
    return frames;
}

void FixeEchecSortieSon(SInt64 frames) { gFailAfter.store(frames); }

namespace {

OSErr NullOpen(OutputRecord *out, const char *) {
    out->paces = false;
    out->clock = kOutputClockMonotonic;
    return noErr;
}

SInt64 NullAvail(OutputRecord *out) { return out->bufferFrames; }

SInt64 ClockedWrite(OutputRecord *out, const SInt16 *, UInt32 count) {
    reinterpret_cast<ClockedOutput *>(out)->written += count;
    return count;
}

SInt64 ZeroDelay(OutputRecord *) { return 0; }

void NothingToClose(OutputRecord *, Boolean) {}

// "fake" keeps its clock where tests put it; "fake:N" runs it N times real time from now.
OSErr FakeOpen(OutputRecord *out, const char *device) {
    ClockedOutput *c = reinterpret_cast<ClockedOutput *>(out);
    const char *colon = strchr(device, ':');
    long speed = colon ? strtol(colon + 1, nullptr, 10) : 0;
    if (speed < 0 || speed > 1000) return kOutputFailed;
    gFakeClock.rate.store(out->rate);
    gFakeClock.originMicros.store(MonotonicMicros());
    gFakeClock.speed.store(UInt32(speed));
    out->paces = true;
    out->clock = kOutputClockFake;
    c->clockOpen = OutputFakeClockFrames();
    return noErr;
}

SInt64 FakeAvail(OutputRecord *out) {
    ClockedOutput *c = reinterpret_cast<ClockedOutput *>(out);
    SInt64 consumed = FakeConsumed(c);
    if (consumed > c->written) {
        c->lost += consumed - c->written;
        return kOutputUnderrun;
    }
    return out->bufferFrames - (c->written - consumed);
}

SInt64 FakeDelay(OutputRecord *out) {
    ClockedOutput *c = reinterpret_cast<ClockedOutput *>(out);
    SInt64 held = c->written - FakeConsumed(c);
    return held > 0 ? held : 0;
}

SInt64 FakeConsumed(ClockedOutput *c) { return OutputFakeClockFrames() - c->clockOpen - c->lost; }

SInt64 MonotonicMicros() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return SInt64(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

}  // namespace

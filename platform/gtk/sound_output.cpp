// Sound output on ALSA. Synchronous sounds are written, drained and closed within the call.
// An asynchronous sound is written by a Time Manager task that re-arms itself: the PCM is
// non-blocking, each tick writes what the device takes (never more than the clock has used
// plus one buffer, for devices that take everything at once), and the task ends after the
// last frame has been played. The task runs holding section 0, so a stop that takes
// section 0 and removes the task never meets a running tick.
#include <alsa/asoundlib.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "platform/core/byte_reader.h"
#include "platform/core/critical_sections.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/sound_manager.h"

namespace {

// A device that fails every tick for a second (unplugged, gone) ends the sound rather than
// keeping the channel busy for ever.
enum : SInt32 { kWriterTickMs = 10, kDrainGraceMs = 1000, kWriterGiveUpTicks = 100 };

struct Output {
    TMTask task;
    snd_pcm_t *pcm;
    UInt8 *buffer;
    UInt64 size;
    UInt64 position;
    UInt32 bytesPerFrame;
    UInt32 rate;
    UInt64 bufferFrames;
    UInt32 startMs;
    bool started;
    bool finished;
    UInt32 failedTicks;  // ticks in a row whose write failed
};

Output gOut;  // section 0
UInt32 gWriterErrors;  // section 0
UInt32 gInjectedFaults;  // section 0: test seam, ticks still to fail

pthread_mutex_t gTraceLock = PTHREAD_MUTEX_INITIALIZER;
std::string gTrace;
Handle gBeep;  // the beep samples followed by silence, loaded once

void Trace(const char *call) {
    pthread_mutex_lock(&gTraceLock);
    // Repeated writes are one line: the trace tells the order of the kinds of calls.
    size_t length = strlen(call);
    bool repeat = gTrace.size() > length && gTrace.compare(gTrace.size() - length - 1, length, call) == 0 &&
                  (gTrace.size() == length + 1 || gTrace[gTrace.size() - length - 2] == '\n');
    if (!repeat) {
        gTrace += call;
        gTrace += '\n';
    }
    pthread_mutex_unlock(&gTraceLock);
}

const char *DeviceName(const char *device) {
    if (device && *device) return device;
    const char *chosen = OrvaGetDigitalOutputDevice();
    return chosen && *chosen ? chosen : "default";
}

struct Riff {
    UInt32 channels, rate, bits;
    const UInt8 *samples;
    UInt64 size;
};

bool ReadRiff(Handle h, Riff *riff) {
    if (!h || !*h) return false;
    // The 44-byte header CvtBufferMacToRiff writes, its numbers little-endian.
    ByteReader image = OrvaByteReader(*h, GetHandleSize(h));
    char riffTag[4], dataTag[4];
    Bytes(&image, riffTag, 4);
    Seek(&image, 22);
    riff->channels = Get16LE(&image);
    riff->rate = Get32LE(&image);
    Seek(&image, 34);
    riff->bits = Get16LE(&image);
    Bytes(&image, dataTag, 4);
    riff->size = Get32LE(&image);
    if (image.failed || memcmp(riffTag, "RIFF", 4) != 0 || memcmp(dataTag, "data", 4) != 0) return false;
    riff->samples = image.bytes + image.position;
    if (riff->size > ByteReaderLeft(&image)) riff->size = ByteReaderLeft(&image);
    if (riff->channels < 1 || riff->rate < 1 || (riff->bits != 8 && riff->bits != 16)) return false;
    UInt32 frameBytes = riff->channels * riff->bits / 8;
    riff->size -= riff->size % frameBytes;
    return true;
}

void Close(snd_pcm_t *pcm, bool drain) {
    if (!pcm) return;
    if (drain) {
        snd_pcm_nonblock(pcm, 0);
        Trace("drain");
        snd_pcm_drain(pcm);
    } else {
        Trace("drop");
        snd_pcm_drop(pcm);
    }
    Trace("close");
    snd_pcm_close(pcm);
}

UInt32 ElapsedMs() { return SystemDependantGetTickCountMs() - gOut.startMs; }

// Writes what the device takes now (section 0 held). False when the device failed.
bool WriteAvailable() {
    UInt64 written = gOut.position / gOut.bytesPerFrame;
    UInt64 left = (gOut.size - gOut.position) / gOut.bytesPerFrame;
    if (left == 0) return true;
    snd_pcm_sframes_t avail = snd_pcm_avail_update(gOut.pcm);
    if (avail == -EPIPE || avail == -ESTRPIPE) {
        snd_pcm_prepare(gOut.pcm);
        avail = snd_pcm_avail_update(gOut.pcm);
    }
    if (gInjectedFaults > 0) {
        gInjectedFaults--;
        avail = -ENODEV;
    }
    if (avail < 0) {
        gWriterErrors++;
        return false;
    }
    UInt64 count = UInt64(avail) < left ? UInt64(avail) : left;
    if (gOut.started) {
        UInt64 room = OrvaPacedRoom(written, UInt64(ElapsedMs()) * gOut.rate / 1000, gOut.bufferFrames);
        if (count > room) count = room;
    }
    if (count == 0) return true;
    Trace("write");
    snd_pcm_sframes_t done = snd_pcm_writei(gOut.pcm, gOut.buffer + gOut.position, snd_pcm_uframes_t(count));
    if (done == -EAGAIN) return true;
    if (done < 0) {
        gWriterErrors++;
        if (done == -EPIPE) snd_pcm_prepare(gOut.pcm);
        return false;
    }
    gOut.position += UInt64(done) * gOut.bytesPerFrame;
    if (!gOut.started) {
        gOut.started = true;
        gOut.startMs = SystemDependantGetTickCountMs();
    }
    if (snd_pcm_state(gOut.pcm) == SND_PCM_STATE_PREPARED) {
        Trace("start");
        snd_pcm_start(gOut.pcm);
    } else if (snd_pcm_state(gOut.pcm) == SND_PCM_STATE_PAUSED) {
        snd_pcm_pause(gOut.pcm, 0);
    }
    return true;
}

// The writer task: on the timer thread, section 0 held.
void WriterTick(TMTask *) {
    if (!gOut.pcm || gOut.finished) return;
    gOut.failedTicks = WriteAvailable() ? 0 : gOut.failedTicks + 1;
    if (gOut.failedTicks >= UInt32(kWriterGiveUpTicks)) {
        Trace("give up");
        gOut.finished = true;  // the next sound or a stop closes the output
        return;
    }
    if (gOut.position < gOut.size) {
        PrimeTime(&gOut.task, kWriterTickMs);
        return;
    }
    UInt64 frames = gOut.size / gOut.bytesPerFrame;
    UInt32 durationMs = UInt32(frames * 1000 / gOut.rate);
    UInt32 elapsed = ElapsedMs();
    bool playing = elapsed < durationMs;
    if (!playing && elapsed < durationMs + kDrainGraceMs) {
        // A real device may lag the clock a little: wait while it still holds frames.
        snd_pcm_sframes_t delay = 0;
        playing = snd_pcm_state(gOut.pcm) == SND_PCM_STATE_RUNNING && snd_pcm_delay(gOut.pcm, &delay) == 0 &&
                  delay > 0;
    }
    if (playing) {
        PrimeTime(&gOut.task, kWriterTickMs);
        return;
    }
    gOut.finished = true;  // ends itself; the next sound or a stop closes the output
}

snd_pcm_format_t FormatOf(UInt32 bits) { return bits == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE; }

// Opens and configures the device for the writer; null on failure.
snd_pcm_t *OpenForWriter(const Riff &riff, UInt64 *bufferFrames) {
    snd_pcm_t *pcm = nullptr;
    Trace("open");
    if (snd_pcm_open(&pcm, DeviceName(nullptr), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return nullptr;
    snd_pcm_hw_params_t *hw;
    snd_pcm_hw_params_alloca(&hw);
    unsigned rate = riff.rate;
    unsigned bufferTime = 4 * 75 * 5000, periodTime = 75 * 5000;
    int dir = 0;
    Trace("hw_params");
    bool ok = snd_pcm_hw_params_any(pcm, hw) >= 0 && snd_pcm_hw_params_set_rate_resample(pcm, hw, 1) >= 0 &&
              snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
              snd_pcm_hw_params_set_format(pcm, hw, FormatOf(riff.bits)) >= 0 &&
              snd_pcm_hw_params_set_channels(pcm, hw, riff.channels) >= 0 &&
              snd_pcm_hw_params_set_rate_near(pcm, hw, &rate, nullptr) >= 0 && rate == riff.rate &&
              snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferTime, &dir) >= 0 &&
              snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodTime, &dir) >= 0 &&
              snd_pcm_hw_params(pcm, hw) >= 0;
    snd_pcm_uframes_t bufferSize = 0, periodSize = 0;
    if (ok) {
        ok = snd_pcm_hw_params_get_buffer_size(hw, &bufferSize) >= 0 &&
             snd_pcm_hw_params_get_period_size(hw, &periodSize, &dir) >= 0 && periodSize > 0;
    }
    if (ok) {
        snd_pcm_sw_params_t *sw;
        snd_pcm_sw_params_alloca(&sw);
        Trace("sw_params");
        ok = snd_pcm_sw_params_current(pcm, sw) >= 0 &&
             snd_pcm_sw_params_set_start_threshold(pcm, sw, bufferSize / periodSize * periodSize) >= 0 &&
             snd_pcm_sw_params_set_avail_min(pcm, sw, periodSize) >= 0 && snd_pcm_sw_params(pcm, sw) >= 0;
    }
    if (!ok) {
        Close(pcm, false);
        return nullptr;
    }
    *bufferFrames = bufferSize;
    return pcm;
}

UInt32 PlayAsync(const Riff &riff) {
    UInt8 *buffer = static_cast<UInt8 *>(malloc(riff.size ? size_t(riff.size) : 1));
    if (!buffer) return 0;
    if (riff.size) memcpy(buffer, riff.samples, size_t(riff.size));
    UInt64 bufferFrames = 0;
    snd_pcm_t *pcm = OpenForWriter(riff, &bufferFrames);
    if (!pcm) {
        free(buffer);
        return 0;
    }
    SystemDependantStartTimer(OrvaTimeManagerTick);
    StartTimerCriticalSection();
    gOut.pcm = pcm;
    gOut.buffer = buffer;
    gOut.size = riff.size;
    gOut.position = 0;
    gOut.bytesPerFrame = riff.channels * riff.bits / 8;
    gOut.rate = riff.rate;
    gOut.bufferFrames = bufferFrames;
    gOut.started = false;
    gOut.finished = false;
    gOut.failedTicks = 0;
    gOut.task.tmAddr = WriterTick;
    bool failed = !WriteAvailable();
    if (!failed) PrimeTime(&gOut.task, kWriterTickMs);
    EndTimerCriticalSection();
    if (failed) {
        SystemDependantStopSound();
        return 0;
    }
    return 1;
}

UInt32 PlaySync(const Riff &riff) {
    snd_pcm_t *pcm = nullptr;
    Trace("open");
    if (snd_pcm_open(&pcm, DeviceName(nullptr), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return 0;
    Trace("set_params");
    if (snd_pcm_set_params(pcm, FormatOf(riff.bits), SND_PCM_ACCESS_RW_INTERLEAVED, riff.channels, riff.rate, 1,
                           500000) < 0) {
        Close(pcm, false);
        return 0;
    }
    snd_pcm_nonblock(pcm, 0);
    UInt32 frameBytes = riff.channels * riff.bits / 8;
    UInt64 frames = riff.size / frameBytes;
    UInt64 least = UInt64(riff.rate) * 3 / 4;
    UInt64 total = frames > least ? frames : least;
    // The sound, then silence up to three quarters of a second.
    std::string samples(size_t(total * frameBytes), char(riff.bits == 8 ? 0x80 : 0));
    if (riff.size) memcpy(&samples[0], riff.samples, size_t(riff.size));
    Trace("write");
    UInt64 at = 0;
    while (at < total) {
        UInt64 count = total - at < 128 ? total - at : 128;
        snd_pcm_sframes_t done = snd_pcm_writei(pcm, samples.data() + at * frameBytes, snd_pcm_uframes_t(count));
        if (done == -EPIPE || done == -ESTRPIPE || done == -EINTR) {
            if (snd_pcm_recover(pcm, int(done), 1) < 0) break;
            continue;
        }
        if (done < 0) break;
        at += UInt64(done);
    }
    bool complete = at == total;
    Close(pcm, complete);
    return complete ? 1 : 0;
}

}  // namespace

UInt32 SystemDependantPlaySound(Handle riffData, Boolean async) {
    SystemDependantStopSound();
    Riff riff;
    if (!ReadRiff(riffData, &riff)) return 0;
    UInt8 state = HGetState(riffData);
    HLock(riffData);
    UInt32 result = async ? PlayAsync(riff) : PlaySync(riff);
    HSetState(riffData, state);
    return result;
}

UInt32 SystemDependantStopSound() {
    // Taking section 0 waits for a running tick; a tick after this finds no device and
    // does not re-arm. The task leaves the queue outside the section, so that the timer
    // thread can be joined when nothing else uses it.
    StartTimerCriticalSection();
    snd_pcm_t *pcm = gOut.pcm;
    UInt8 *buffer = gOut.buffer;
    bool finished = gOut.finished;
    gOut.pcm = nullptr;
    gOut.buffer = nullptr;
    gOut.size = gOut.position = 0;
    gOut.finished = false;
    EndTimerCriticalSection();
    RmvTime(&gOut.task);
    // No tick can reach the device or the buffer any more: they are ours alone.
    Close(pcm, finished);
    free(buffer);
    return 1;
}

UInt64 OrvaPacedRoom(UInt64 written, UInt64 clockFrames, UInt64 bufferFrames) {
    UInt64 ceiling = clockFrames + bufferFrames;
    return ceiling > written ? ceiling - written : 0;
}

Boolean OrvaSoundOutputBusy() {
    StartTimerCriticalSection();
    bool busy = gOut.pcm && !gOut.finished;
    EndTimerCriticalSection();
    return busy ? kTrue : kFalse;
}

Boolean SystemDependantBeep(const char *device) {
    if (!gBeep) {
        FILE *f = orva_ouvre_ressource("beep.brt", "rb", 2, nullptr, nullptr);
        if (!f) return kFalse;
        fseek(f, 0, SEEK_END);
        long length = ftell(f);
        fseek(f, 0, SEEK_SET);
        if (length < 0 || length > 0x10000000) {
            fclose(f);
            return kFalse;
        }
        length &= ~1L;  // whole samples only
        Handle h = NewHandleClear(UInt32(length) * 4 + 2);
        if (!h) {
            fclose(f);
            return kFalse;
        }
        size_t got = length ? fread(*h, 1, size_t(length), f) : 0;
        fclose(f);
        if (got != size_t(length)) {
            DisposHandle(h);
            return kFalse;
        }
        SetHandleSize(h, UInt32(length) * 4);
        gBeep = h;
    }
    snd_pcm_t *pcm = nullptr;
    Trace("open");
    // Opened without waiting for a busy device, then written to in blocking mode.
    if (snd_pcm_open(&pcm, DeviceName(device), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return kFalse;
    snd_pcm_nonblock(pcm, 0);
    Trace("set_params");
    bool configured =
        snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, 44100, 0, 50000) >= 0;
    if (configured) {
        UInt64 total = GetHandleSize(gBeep) / 2, at = 0;
        Trace("write");
        while (at < total) {
            snd_pcm_sframes_t done = snd_pcm_writei(pcm, *gBeep + at * 2, snd_pcm_uframes_t(total - at));
            if (done == -EPIPE || done == -ESTRPIPE || done == -EINTR) {
                if (snd_pcm_recover(pcm, int(done), 1) < 0) break;
                continue;
            }
            if (done < 0) break;
            at += UInt64(done);
        }
    }
    Close(pcm, configured);
    return configured ? kTrue : kFalse;
}

void OrvaSoundTraceClear() {
    pthread_mutex_lock(&gTraceLock);
    gTrace.clear();
    pthread_mutex_unlock(&gTraceLock);
}

void OrvaSoundTrace(char *buffer, SInt32 size) {
    if (!buffer || size <= 0) return;
    pthread_mutex_lock(&gTraceLock);
    snprintf(buffer, size_t(size), "%s", gTrace.c_str());
    pthread_mutex_unlock(&gTraceLock);
}

void OrvaSoundInjectWriterFaults(UInt32 ticks) {
    StartTimerCriticalSection();
    gInjectedFaults = ticks;
    EndTimerCriticalSection();
}

UInt32 OrvaSoundWriterErrors() {
    StartTimerCriticalSection();
    UInt32 errors = gWriterErrors;
    EndTimerCriticalSection();
    return errors;
}

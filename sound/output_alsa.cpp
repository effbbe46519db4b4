// The ALSA row: a non-blocking PCM of 16-bit little-endian frames at the asked rate (ALSA
// resamples when the card cannot), a period of one mixing step and a buffer of sixteen.
#include <alsa/asoundlib.h>

#include "platform/core/errors.h"
#include "sound/output_driver.h"

namespace {

struct AlsaOutput {
    OutputRecord base;
    snd_pcm_t *pcm;
};

OSErr AlsaOpen(OutputRecord *out, const char *device);
SInt64 AlsaAvail(OutputRecord *out);
SInt64 AlsaWrite(OutputRecord *out, const SInt16 *frames, UInt32 count);
SInt64 AlsaDelay(OutputRecord *out);
void AlsaClose(OutputRecord *out, Boolean drain);
bool Configure(snd_pcm_t *pcm, OutputRecord *out);
SInt64 Recovered(snd_pcm_t *pcm, long err);

}  // namespace

extern const OutputOps kOutputAlsaOps;
const OutputOps kOutputAlsaOps = {"alsa", sizeof(AlsaOutput), AlsaOpen, AlsaAvail, AlsaWrite, AlsaDelay, AlsaClose};

namespace {

OSErr AlsaOpen(OutputRecord *out, const char *device) {
    AlsaOutput *a = reinterpret_cast<AlsaOutput *>(out);
    if (snd_pcm_open(&a->pcm, device, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
        a->pcm = nullptr;
        return kOutputFailed;
    }
    if (!Configure(a->pcm, out)) {
        snd_pcm_close(a->pcm);
        a->pcm = nullptr;
        return kOutputFailed;
    }
    out->paces = true;  // until the writer sees it take a whole buffer at once
    out->clock = kOutputClockMonotonic;
    return noErr;
}

SInt64 AlsaAvail(OutputRecord *out) {
    snd_pcm_t *pcm = reinterpret_cast<AlsaOutput *>(out)->pcm;
    snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm);
    return avail < 0 ? Recovered(pcm, avail) : SInt64(avail);
}

SInt64 AlsaWrite(OutputRecord *out, const SInt16 *frames, UInt32 count) {
    snd_pcm_t *pcm = reinterpret_cast<AlsaOutput *>(out)->pcm;
    snd_pcm_sframes_t done = snd_pcm_writei(pcm, frames, count);
    if (done == -EAGAIN) return 0;
    return done < 0 ? Recovered(pcm, done) : SInt64(done);
}

// A device that ran dry holds nothing; one that is gone fails.
SInt64 AlsaDelay(OutputRecord *out) {
    snd_pcm_t *pcm = reinterpret_cast<AlsaOutput *>(out)->pcm;
    snd_pcm_sframes_t delay = 0;
    int err = snd_pcm_delay(pcm, &delay);
    if (err == -EPIPE || err == -ESTRPIPE) return 0;
    if (err < 0) return kOutputFailed;
    return delay > 0 ? SInt64(delay) : 0;
}

void AlsaClose(OutputRecord *out, Boolean drain) {
    snd_pcm_t *pcm = reinterpret_cast<AlsaOutput *>(out)->pcm;
    if (!pcm) return;
    if (drain) {
        snd_pcm_nonblock(pcm, 0);
        snd_pcm_drain(pcm);
    } else {
        snd_pcm_drop(pcm);
    }
    snd_pcm_close(pcm);
}

// The device starts as soon as it holds one step, since the writer fills the rest of the
// buffer within the same pass; it wakes the writer no sooner than a step is free.
bool Configure(snd_pcm_t *pcm, OutputRecord *out) {
    snd_pcm_hw_params_t *hw;
    snd_pcm_hw_params_alloca(&hw);
    unsigned rate = out->rate;
    snd_pcm_uframes_t period = out->stepFrames, buffer = snd_pcm_uframes_t(out->bufferFrames);
    int dir = 0;
    bool ok = snd_pcm_hw_params_any(pcm, hw) >= 0 && snd_pcm_hw_params_set_rate_resample(pcm, hw, 1) >= 0 &&
              snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
              snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE) >= 0 &&
              snd_pcm_hw_params_set_channels(pcm, hw, out->channels) >= 0 &&
              snd_pcm_hw_params_set_rate_near(pcm, hw, &rate, nullptr) >= 0 && rate == out->rate &&
              snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, &dir) >= 0 &&
              snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer) >= 0 && snd_pcm_hw_params(pcm, hw) >= 0 &&
              snd_pcm_hw_params_get_buffer_size(hw, &buffer) >= 0 &&
              snd_pcm_hw_params_get_period_size(hw, &period, &dir) >= 0 && period > 0 && buffer >= period;
    if (!ok) return false;
    snd_pcm_sw_params_t *sw;
    snd_pcm_sw_params_alloca(&sw);
    ok = snd_pcm_sw_params_current(pcm, sw) >= 0 && snd_pcm_sw_params_set_start_threshold(pcm, sw, period) >= 0 &&
         snd_pcm_sw_params_set_avail_min(pcm, sw, period) >= 0 && snd_pcm_sw_params(pcm, sw) >= 0;
    out->bufferFrames = SInt64(buffer);
    return ok;
}

// An underrun (or a suspend) is recovered in place; anything else means the device is lost.
SInt64 Recovered(snd_pcm_t *pcm, long err) {
    if (err == -EINTR) return 0;
    if (err != -EPIPE && err != -ESTRPIPE) return kOutputFailed;
    return snd_pcm_recover(pcm, int(err), 1) < 0 ? kOutputFailed : kOutputUnderrun;
}

}  // namespace

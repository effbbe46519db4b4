// The writer thread: every 2.5 ms it mixes what the output can take, a step at a time inside
// section 256, writes it outside the lock, measures what is heard, and runs the general idle
// routine (the singer, the stream read-ahead) when the output holds enough to wait for it.
#include "sound/playback_internal.h"

#include <algorithm>
#include <ctime>

#include "platform/core/errors.h"
#include "platform/gtk/sound_manager.h"

static thread_local bool tWriter = false;
static const UInt32 kMicrosPerSecond = 1000000;  // a "rate" that makes the device clock count microseconds

// The writer thread's own state besides gPlay's writer fields.
struct WriterLocal {
    Boolean pacingKnown;  // the device showed whether it paces
    SInt64 held;          // frames the output held at the last measure
};
static WriterLocal gLocal;

static void OpenOutput();
static void Pass();
static Boolean WritePending();
static void MixStep();
static void Keyboard(SInt64 upTo);
static void FollowEnd();
static void Fallback();
static SInt64 ClockFrames();
static void Measure();
static void MeasureAndPublish();
static void NextWake(timespec *next);
static void GeneralIdle();
static Boolean Sounds(const SoundEvent *event);
static void NoteStepTime(SInt64 micros);
static void AddMicros(timespec *t, long micros);
static Boolean Before(const timespec &a, const timespec &b);

Boolean EstThreadEcrivain() { return tWriter; }

void PlaceSequenceur(SInt64 frame) {
    const PlaybackPlan *p = gPlay.plan;
    const SoundEvent *events = p->events;
    const UInt32 *offs = gPlay.offOrder;
    PositionneSonEvenements(gPlay.engine, frame);
    gPlay.nextOn = UInt32(std::partition_point(events, events + p->eventCount,
                                               [frame](const SoundEvent &e) { return e.onset < frame; }) - events);
    gPlay.nextOff = UInt32(std::partition_point(offs, offs + (offs ? p->eventCount : 0), [events, frame](UInt32 i) {
                               return events[i].onset + std::max<SInt32>(events[i].length, 0) < frame;
                           }) - offs);
    gPlay.seekFrame = frame;
    gPlay.resetKeyboard = true;
    gPlay.instant.store(JoueAFrame(p, frame));
}

void *BoucleEcrivain(void *) {
    tWriter = true;
    OpenOutput();
    timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    pthread_mutex_lock(&gPlay.lock);
    for (;;) {
        if (gPlay.stop) break;
        if (gPlay.park) {
            gPlay.parked = true;
            gPlay.resumed = true;
            pthread_cond_broadcast(&gPlay.parkedChanged);
            // Parked, it mixes nothing but still tells what the device plays of what it holds.
            while (gPlay.park && !gPlay.stop) {
                pthread_mutex_unlock(&gPlay.lock);
                MeasureAndPublish();
                pthread_mutex_lock(&gPlay.lock);
                NextWake(&next);
                if (gPlay.park && !gPlay.stop) pthread_cond_timedwait(&gPlay.wake, &gPlay.lock, &next);
            }
            gPlay.parked = false;
            gPlay.lastPass = 0;
            clock_gettime(CLOCK_MONOTONIC, &next);
            continue;
        }
        pthread_mutex_unlock(&gPlay.lock);
        Pass();
        pthread_mutex_lock(&gPlay.lock);
        NextWake(&next);
        if (!gPlay.stop && !gPlay.park) pthread_cond_timedwait(&gPlay.wake, &gPlay.lock, &next);
    }
    Boolean drain = gPlay.stopFlag == 0;
    pthread_mutex_unlock(&gPlay.lock);
    EntreSectionMixage();
    if (HookIsClavierActive()) HookClavierReset();
    QuitteSectionMixage();
    if (gPlay.out) FermeSortieSon(&gPlay.out, drain || !gPlay.out->paces);
    pthread_mutex_lock(&gPlay.lock);
    gPlay.exited = true;
    pthread_cond_broadcast(&gPlay.parkedChanged);
    pthread_mutex_unlock(&gPlay.lock);
    return nullptr;
}

// The device the plug-in chose, else the clocked null output (the problem traced once).
static void OpenOutput() {
    UInt32 rate = SoundEngineRate(gPlay.engine);
    UInt16 channels = SoundEngineChannels(gPlay.engine);
    gPlay.out = nullptr;
    if (!gPlay.deviceRefused && OuvreSortieSon(gPlay.device, rate, channels, &gPlay.out) != noErr)
        TraceSortieUneFois(gPlay.device, "cannot be opened: the music plays without sound");
    if (!gPlay.out) OuvreSortieSonMuette(rate, channels, &gPlay.out);
    gPlay.resumed = false;
    gPlay.lastPass = 0;
    gLocal.pacingKnown = gPlay.out && !gPlay.out->paces;
    gLocal.held = 0;
    if (!gPlay.out) {  // not even memory for a null output: the music is over at once
        gPlay.endFrame.store(0);
        PublieEntendu(0);
        return;
    }
    gPlay.clockOrigin = HorlogeSortieSon(gPlay.out->clock, rate);
    gPlay.counters.paced.store(gPlay.out->paces);
}

// Steps while the output takes them (at most 40, and for an output that does not pace at
// most the clock plus one buffer ahead), then the measure of what is heard and the idle routine.
static void Pass() {
    PlaybackCounters &c = gPlay.counters;
    c.passes.fetch_add(1, std::memory_order_relaxed);
    SInt64 now = HorlogeSortieSon(kOutputClockMonotonic, kMicrosPerSecond);
    if (gPlay.lastPass && now - gPlay.lastPass > SInt64(c.longestGap.load(std::memory_order_relaxed)))
        c.longestGap.store(UInt32(std::min<SInt64>(now - gPlay.lastPass, 0xFFFFFFFF)), std::memory_order_relaxed);
    gPlay.lastPass = now;
    if (!gPlay.out) return;
    Measure();
    SInt64 heldBefore = gLocal.held;
    UInt32 steps = 0, dry = 0;
    while (steps < kWriterMaxStepsPerPass && !gPlay.interrupt.load(std::memory_order_relaxed)) {
        if (gPlay.pendingFrames) {
            if (!WritePending()) break;
            continue;
        }
        if (gPlay.counters.finished.load(std::memory_order_relaxed)) break;
        OutputRecord *out = gPlay.out;
        SInt64 avail = DisponibleSortieSon(out);
        if (avail == kOutputUnderrun) {  // recovered by the row: ask again, twice at most
            if (!gPlay.resumed && gPlay.written) gPlay.counters.underruns.fetch_add(1, std::memory_order_relaxed);
            if (++dry > 2) break;
            continue;
        }
        if (avail < 0) {
            Fallback();
            continue;
        }
        if (avail < SInt64(out->stepFrames)) break;
        if ((!out->paces || !gLocal.pacingKnown) &&
            OrvaPacedRoom(UInt64(gPlay.written), UInt64(std::max<SInt64>(ClockFrames(), 0)), UInt64(out->bufferFrames)) <
                out->stepFrames)
            break;
        if (steps == 0 && gPlay.written && !gPlay.resumed && heldBefore < SInt64(out->stepFrames))
            gPlay.counters.starvedSteps.fetch_add(1, std::memory_order_relaxed);
        SInt64 started = HorlogeSortieSon(kOutputClockMonotonic, kMicrosPerSecond);
        MixStep();
        WritePending();
        NoteStepTime(HorlogeSortieSon(kOutputClockMonotonic, kMicrosPerSecond) - started);
        steps++;
    }
    OutputRecord *out = gPlay.out;
    if (!out) return;
    if (steps) gPlay.resumed = false;
    if (!gLocal.pacingKnown && gPlay.written >= out->bufferFrames) {
        // A device that shows its whole buffer free right after it was filled does not pace:
        // from now on it is held to the clock.
        out->paces = DisponibleSortieSon(out) < out->bufferFrames;
        gLocal.pacingKnown = true;
        gPlay.counters.paced.store(out->paces);
    }
    MeasureAndPublish();
    out = gPlay.out;
    if (out && gLocal.held * 2 >= out->bufferFrames) GeneralIdle();
}

// Hands the rest of the last step to the output: true once it took all of it.
static Boolean WritePending() {
    OutputRecord *out = gPlay.out;
    SInt64 taken = EcritSortieSon(out, gPlay.stepBuffer + gPlay.pendingOffset * out->channels, gPlay.pendingFrames);
    if (taken == kOutputUnderrun) {
        if (!gPlay.resumed) gPlay.counters.underruns.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    if (taken < 0) {
        Fallback();
        return true;
    }
    gPlay.pendingOffset += UInt32(taken);
    gPlay.pendingFrames -= UInt32(taken);
    gPlay.written += taken;
    gPlay.counters.framesWritten.store(gPlay.written, std::memory_order_relaxed);
    return gPlay.pendingFrames == 0;
}

// One step inside section 256: the sequencer, the keyboard at each note's onset, the mix, the
// tick ring, the end or the loop's wrap.
static void MixStep() {
    EntreSectionMixage();
    const PlaybackPlan *p = gPlay.plan;
    SoundEngineRecord *engine = gPlay.engine;
    if (gPlay.resetKeyboard) {
        gPlay.resetKeyboard = false;
        if (HookIsClavierActive()) HookClavierReset();
    }
    SInt64 before = SoundEnginePosition(engine);
    UInt32 frames = MixeEtapeSon(engine, gPlay.stepBuffer);
    SInt64 after = before + frames;
    if (!gPlay.eventsEnded) Keyboard(after);
    SInt64 endFrame = gPlay.endEventFrame;
    TickRingEntry entry = {gPlay.mixed,
                           frames,
                           JoueAFrame(p, std::min(before, endFrame)),
                           JoueAFrame(p, std::min(after, endFrame)),
                           EcritAFrame(p, std::min(before, endFrame)),
                           EcritAFrame(p, std::min(after, endFrame))};
    PousseTabCircTick(&entry, gPlay.staves, p->staffCount);
    gPlay.instant.store(entry.playedEnd);
    gPlay.mixed += frames;
    gPlay.pendingFrames = frames;
    gPlay.pendingOffset = 0;
    FollowEnd();
    QuitteSectionMixage();
}

// Note-ons and note-offs of the events reached, in time order (a note-off first at equal
// times), each with the instant position at its own frame.
static void Keyboard(SInt64 upTo) {
    const PlaybackPlan *p = gPlay.plan;
    const SoundEvent *events = p->events;
    const SInt64 kNever = SInt64(1) << 62;
    Boolean active = HookIsClavierActive();
    for (;;) {
        const SoundEvent *on = gPlay.nextOn < p->eventCount ? &events[gPlay.nextOn] : nullptr;
        const SoundEvent *off = gPlay.nextOff < p->eventCount ? &events[gPlay.offOrder[gPlay.nextOff]] : nullptr;
        SInt64 onAt = on ? on->onset : kNever;
        SInt64 offAt = off ? off->onset + std::max<SInt32>(off->length, 0) : kNever;
        if (std::min(onAt, offAt) >= upTo) return;
        if (offAt <= onAt) {
            gPlay.nextOff++;
            if (!active || off->onset < gPlay.seekFrame || !Sounds(off)) continue;
            gPlay.instant.store(JoueAFrame(p, offAt));
            HookClavierNoteOff(off->instrument, off->key, false);
        } else {
            gPlay.nextOn++;
            if (!active || !Sounds(on)) continue;
            gPlay.instant.store(JoueAFrame(p, onAt));
            HookClavierNoteOn(on->instrument, on->key, on->velocity, 0);
        }
    }
}

// At the end a looped selection goes back to its start; otherwise no note starts any more,
// the held ones are released, and the music is over once they die out (or 2 s later).
static void FollowEnd() {
    SoundEngineRecord *engine = gPlay.engine;
    if (!gPlay.eventsEnded && SoundEnginePosition(engine) >= gPlay.endEventFrame) {
        if (gPlay.plan->loop && gPlay.loopFrame < gPlay.endEventFrame) {
            PlaceSequenceur(gPlay.loopFrame);
            gPlay.counters.wraps.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        ArreteEvenementsSon(engine);
        SoundEngineReleaseAll(engine);
        gPlay.eventsEnded = true;
        gPlay.resetKeyboard = true;
        gPlay.releaseLimit = gPlay.mixed + SInt64(SoundEngineRate(engine)) * kEndReleaseMs / 1000;
    }
    PlaybackCounters &c = gPlay.counters;
    if (gPlay.eventsEnded && !c.finished.load(std::memory_order_relaxed) &&
        (SoundEngineFinished(engine) || gPlay.mixed >= gPlay.releaseLimit)) {
        c.finished.store(true, std::memory_order_relaxed);
        gPlay.endFrame.store(gPlay.mixed);
    }
}

// Any error but an underrun: the device is closed and the music goes on, silent, on the clock,
// from what had been heard.
static void Fallback() {
    OutputRecord *failed = gPlay.out;
    UInt32 rate = failed->rate;
    UInt16 channels = failed->channels;
    TraceSortieUneFois(gPlay.device, "failed: the music goes on without sound");
    SInt64 heard = std::max<SInt64>(gPlay.written - gLocal.held, 0);
    FermeSortieSon(&gPlay.out, false);
    if (OuvreSortieSonMuette(rate, channels, &gPlay.out) != noErr) {
        gPlay.counters.finished.store(true, std::memory_order_relaxed);
        gPlay.endFrame.store(gPlay.written);
        gPlay.pendingFrames = 0;
        return;
    }
    gPlay.clockOrigin = HorlogeSortieSon(gPlay.out->clock, rate) - heard;
    gLocal.pacingKnown = true;
    gLocal.held = gPlay.written - heard;
    gPlay.counters.fallbacks.fetch_add(1, std::memory_order_relaxed);
    gPlay.counters.paced.store(false);
}

// The device clock since output frame 0.
static SInt64 ClockFrames() {
    OutputRecord *out = gPlay.out;
    return HorlogeSortieSon(out->clock, out->rate) - gPlay.clockOrigin;
}

// What the output holds now: its delay, or for an output held to the clock what was written
// ahead of the clock. A clock past the frames written means the output ran dry: the clock
// waits there (an underrun unless the writer was parked or is done).
static void Measure() {
    OutputRecord *out = gPlay.out;
    if (!out) return;
    if (out->paces && gLocal.pacingKnown) {
        SInt64 delay = DelaiSortieSon(out);
        if (delay < 0) {
            Fallback();
            return;
        }
        gLocal.held = std::min(delay, gPlay.written);
        return;
    }
    SInt64 clock = ClockFrames();
    if (clock > gPlay.written) {
        // A device not yet known not to pace tells its own underruns.
        if (!out->paces && gPlay.written && !gPlay.resumed && !gPlay.pendingFrames &&
            !gPlay.counters.finished.load(std::memory_order_relaxed))
            gPlay.counters.underruns.fetch_add(1, std::memory_order_relaxed);
        gPlay.clockOrigin += clock - gPlay.written;
        clock = gPlay.written;
    }
    gLocal.held = gPlay.written - std::max<SInt64>(clock, 0);
}

// What is heard now: what was written less what the output still holds.
static void MeasureAndPublish() {
    Measure();
    if (gPlay.out && gPlay.written) PublieEntendu(gPlay.written - gLocal.held);
}

// Wake-ups keep to a grid of 2.5 ms; after a stall the grid starts again from now.
static void NextWake(timespec *next) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    AddMicros(next, kWriterWakeMicros);
    if (Before(*next, now)) {
        *next = now;
        AddMicros(next, kWriterWakeMicros);
    }
}

// The general idle routine, at most once a pass and only with the output at least half full,
// so that what it costs never starves the output.
static void GeneralIdle() {
    EntreSectionMixage();
    HookIdleLyrovox(0);
    IdlePlayPisteNumerique();
    QuitteSectionMixage();
    gPlay.counters.idleRuns.fetch_add(1, std::memory_order_relaxed);
}

static Boolean Sounds(const SoundEvent *e) {
    return e->velocity > 0 && e->length > 0 && e->staff < gPlay.plan->staffCount && gPlay.staves[e->staff].heard;
}

static void AddMicros(timespec *t, long micros) {
    t->tv_nsec += micros * 1000;
    while (t->tv_nsec >= 1000000000) {
        t->tv_nsec -= 1000000000;
        t->tv_sec++;
    }
}

static Boolean Before(const timespec &a, const timespec &b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// Counts the step and files how long it took (mixing, the ring and the write) in a histogram.
static void NoteStepTime(SInt64 micros) {
    PlaybackCounters &c = gPlay.counters;
    SInt64 bucket = micros / kPlaybackStepBucketMicros;
    c.stepTimes[bucket < kPlaybackStepBuckets ? bucket : kPlaybackStepBuckets - 1].fetch_add(1, std::memory_order_relaxed);
    c.steps.fetch_add(1, std::memory_order_relaxed);
}

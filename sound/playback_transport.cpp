// Starting, stopping, parking, seeking and re-timing the music, the hooks of the score side,
// the player and the singer, and the probe of the output device.
#include "sound/playback_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sched.h>

#include "platform/core/critical_sections.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "score/score_model.h"
#include "score/score_model.h"

PlaybackState gPlay;

namespace {

PlaybackScoreOps gScoreOps;
PlaybackPluginHooks gPluginHooks;
PlaybackSingerHooks gSingerHooks;
pthread_once_t gLockOnce = PTHREAD_ONCE_INIT;

// The device last probed, and the problem last traced (so that a play list of a missing
// device does not fill the trace).
struct DeviceNotes {
    char probed[kOutputDeviceNameSize];
    Boolean refused;
    pthread_mutex_t traceLock = PTHREAD_MUTEX_INITIALIZER;
    char traced[kOutputDeviceNameSize + 64];
};
DeviceNotes gDevice;

OSErr Start(DocumentRecord *document, Boolean fromResume);
Boolean PlanIsSound(const PlaybackPlan *plan);
OSErr TakePlan(DocumentRecord *document, PlaybackPlan *plan);
void FreeRun();
UInt32 *NewOffOrder(const PlaybackPlan *plan);
void SeekTo(SInt32 played);
void CopyStaffSettings();
void Park();
void Unpark();
void InitLock();
// The score side's slots, one wrapper each, with the defaults of a null slot.
OSErr OpsPrepare(DocumentRecord *document, UInt32 rate, PlaybackPlan **plan);
void OpsRelease(DocumentRecord *document, PlaybackPlan **plan);  // clears *plan
void OpsRefreshStaves(DocumentRecord *document, SoundStaffBlock *staves, UInt32 count);
SInt32 OpsResumePosition(DocumentRecord *document);
SInt32 OpsStaffIndex(DocumentRecord *document, StaffHandle staff);
void OpsPlaying(DocumentRecord *document);
void OpsRefillStreams();

}  // namespace

void FixeOpsPartitionLecture(const PlaybackScoreOps *ops) {
    if (ops) gScoreOps = *ops;
    else memset(&gScoreOps, 0, sizeof gScoreOps);
}

void FixeHooksPluginLecture(const PlaybackPluginHooks *hooks) {
    if (hooks) gPluginHooks = *hooks;
    else memset(&gPluginHooks, 0, sizeof gPluginHooks);
}

void FixeHooksChanteurLecture(const PlaybackSingerHooks *hooks) {
    if (hooks) gSingerHooks = *hooks;
    else memset(&gSingerHooks, 0, sizeof gSingerHooks);
}

Boolean LanceMusique(DocumentRecord *document) { return Start(document, false) == noErr; }

Boolean ReLanceMusiqueApresPause(DocumentRecord *document) { return Start(document, true) == noErr; }

void ArreteMusique(SInt16 flag) {
    if (!gPlay.threadStarted && !gPlay.plan) return;
    if (gPlay.threadStarted) {
        pthread_mutex_lock(&gPlay.lock);
        gPlay.stop = true;
        gPlay.stopFlag = flag;
        gPlay.interrupt.store(true);
        pthread_cond_signal(&gPlay.wake);
        pthread_mutex_unlock(&gPlay.lock);
        pthread_join(gPlay.thread, nullptr);
        gPlay.threadStarted = false;
    }
    FreeRun();
}

void StopMusiqueHardware() {
    if (!gPlay.threadStarted) return;
    pthread_mutex_lock(&gPlay.lock);
    gPlay.park = true;
    gPlay.interrupt.store(true);
    pthread_cond_signal(&gPlay.wake);
    // The writer cannot wait for itself: a hook that parks it only asks.
    while (!EstThreadEcrivain() && !gPlay.parked && !gPlay.exited)
        pthread_cond_wait(&gPlay.parkedChanged, &gPlay.lock);
    pthread_mutex_unlock(&gPlay.lock);
}

void StartMusiqueHardware() {
    if (!gPlay.threadStarted) return;
    CopyStaffSettings();
    Unpark();
}

void RecaleMusiqueSurTick(SInt32 position) {
    if (!gPlay.threadStarted) return;
    pthread_mutex_lock(&gPlay.lock);
    Boolean wasParked = gPlay.park;
    pthread_mutex_unlock(&gPlay.lock);
    if (!wasParked) Park();
    PlaybackPlan *plan = nullptr;
    OSErr err = OpsPrepare(gPlay.document, SoundEngineRate(gPlay.engine), &plan);
    // A plan that cannot take the place of the playing one leaves it playing, moved.
    Boolean fits = err == noErr && PlanIsSound(plan) && plan->staffCount == gPlay.plan->staffCount;
    UInt32 *order = fits ? NewOffOrder(plan) : nullptr;
    fits = fits && (order || !plan->eventCount);
    EntreSectionMixage();
    if (fits && PrepareSonEvenements(gPlay.engine, plan->events, plan->eventCount, gPlay.staves, plan->staffCount, 0) == noErr) {
        std::swap(plan, gPlay.plan);
        std::swap(order, gPlay.offOrder);
    } else if (fits && PrepareSonEvenements(gPlay.engine, gPlay.plan->events, gPlay.plan->eventCount, gPlay.staves,
                                            gPlay.plan->staffCount, 0) != noErr) {
        PrepareSonEvenements(gPlay.engine, nullptr, 0, gPlay.staves, gPlay.plan->staffCount, 0);  // silence: it ends
        gPlay.plan->eventCount = 0;
    }
    FixeLecteurFluxSon(gPlay.engine, gPlay.plan->streams.read ? &gPlay.plan->streams : nullptr);
    SeekTo(position);
    QuitteSectionMixage();
    if (order) DisposPtr(reinterpret_cast<Ptr>(order));
    OpsRelease(gPlay.document, &plan);
    if (!wasParked) Unpark();
}

void ForceArreteToutesNotes(ScoreHandle score) {
    if (gPlay.threadStarted && gPlay.engine && (!score || score == partitionEnCours)) {
        EntreSectionMixage();
        SoundEngineReleaseAll(gPlay.engine);
        QuitteSectionMixage();
    }
    HookClavierReset();
}

DocumentRecord *GetDialogMusiqueEnCours() { return gPlay.playing.load() ? gPlay.document : nullptr; }

Boolean IsFinDeMusiqueEntendue() {
    if (gPlay.threadStarted) CopyStaffSettings();
    if (gPlay.playing.load() && !gPlay.endHeard.load()) {
        SInt64 end = gPlay.endFrame.load();
        if (end >= 0 && FrameEntendue() >= end) gPlay.endHeard.store(true);
    }
    return gPlay.endHeard.load();
}

void GetVolumePorteeEntendu(StaffHandle staff, SInt16 *left, SInt16 *right) {
    UInt16 l = 0, r = 0;
    if (staff && gPlay.playing.load()) {
        SInt32 index = OpsStaffIndex(gPlay.document, staff);
        if (index >= 0 && UInt32(index) < gPlay.plan->staffCount && !LitCretesEntendues(UInt32(index), &l, &r)) l = r = 0;
    }
    if (left) *left = SInt16(std::min<UInt16>(l, 32767));
    if (right) *right = SInt16(std::min<UInt16>(r, 32767));
}

Boolean InitConfigurationPeriphWindow() {
    LitNomPeriphSortie(gDevice.probed);
    OutputRecord *out = nullptr;
    UInt16 channels = GlobalDigitParam.stereo ? 2 : 1;
    gDevice.refused = OuvreSortieSon(gDevice.probed, DigitRateHz(&GlobalDigitParam), channels, &out) != noErr;
    if (gDevice.refused) TraceSortieUneFois(gDevice.probed, "cannot be opened: the music plays without sound");
    FermeSortieSon(&out, false);
    return !gDevice.refused;
}

void IdlePlayPisteNumerique() {
    StartFluxCriticalSection();
    OpsRefillStreams();
    EndFluxCriticalSection();
}

void LibereTabCircTick() {
    ArreteMusique(1);
    LibereTabCircTickMemoire();
}

void EntreSectionMixage() {
    if (OrvaIsCriticalSectionHeld(kFluxCriticalSection) && !OrvaIsCriticalSectionHeld(kDblBuffCriticalSection)) {
        OrvaErreur("Sound: section 256 entered while holding section 257");
#ifndef NDEBUG
        abort();
#endif
    }
    StartDblBuffCriticalSection();
}

void QuitteSectionMixage() { EndDblBuffCriticalSection(); }

void GetStatsLecture(PlaybackStats *stats) {
    const PlaybackCounters &c = gPlay.counters;
    stats->passes = c.passes.load();
    stats->steps = c.steps.load();
    stats->underruns = c.underruns.load();
    stats->starvedSteps = c.starvedSteps.load();
    stats->fallbacks = c.fallbacks.load();
    stats->idleRuns = c.idleRuns.load();
    stats->wraps = c.wraps.load();
    stats->framesWritten = c.framesWritten.load();
    stats->paced = c.paced.load();
    stats->finished = c.finished.load();
    stats->longestGapMicros = c.longestGap.load();
    UInt64 total = 0, seen = 0;
    UInt32 bucket = 0;
    for (const std::atomic<UInt32> &n : c.stepTimes) total += n.load();
    while (bucket + 1 < kPlaybackStepBuckets && (seen += c.stepTimes[bucket].load()) * 100 < total * 99) bucket++;
    stats->stepMicros99 = (bucket + 1) * kPlaybackStepBucketMicros;
}

Boolean HookIsClavierActive() { return gPluginHooks.isClavierActive && gPluginHooks.isClavierActive(); }

void HookClavierNoteOn(SInt32 instrument, SInt16 pitch, SInt16 velocity, SInt16 finger) {
    if (gPluginHooks.clavierNoteOn) gPluginHooks.clavierNoteOn(instrument, pitch, velocity, finger);
}

void HookClavierNoteOff(SInt32 instrument, SInt16 pitch, Boolean force) {
    if (gPluginHooks.clavierNoteOff) gPluginHooks.clavierNoteOff(instrument, pitch, force);
}

void HookClavierReset() {
    if (gPluginHooks.clavierReset) gPluginHooks.clavierReset();
}

Boolean HookIdleLyrovox(UInt8 update) { return gSingerHooks.idleLyrovox && gSingerHooks.idleLyrovox(update); }

void TraceSortieUneFois(const char *device, const char *problem) {
    char note[sizeof gDevice.traced];
    snprintf(note, sizeof note, "%s\n%s", problem, device);
    pthread_mutex_lock(&gDevice.traceLock);
    Boolean fresh = strcmp(note, gDevice.traced) != 0;
    if (fresh) memcpy(gDevice.traced, note, sizeof note);
    pthread_mutex_unlock(&gDevice.traceLock);
    if (fresh) PlugTrace("Sound output \"%.200s\" %s", device, problem);
}

namespace {

// Stops what plays, takes the document's plan, and starts the writer at the plan's start or
// at the document's resume position.
OSErr Start(DocumentRecord *document, Boolean fromResume) {
    ArreteMusique(1);
    if (!document) return paramErr;
    pthread_once(&gLockOnce, InitLock);
    PlaybackPlan *plan = nullptr;
    OSErr err = OpsPrepare(document, DigitRateHz(&GlobalDigitParam), &plan);
    if (err != noErr) return err;
    if (!PlanIsSound(plan)) {
        OpsRelease(document, &plan);
        return paramErr;
    }
    err = TakePlan(document, plan);  // the plan is the run's from here: FreeRun gives it back
    if (err != noErr) {
        FreeRun();
        return err;
    }
    SInt32 from = fromResume ? OpsResumePosition(document) : plan->startTick;
    SeekTo(from);
    LitNomPeriphSortie(gPlay.device);
    gPlay.deviceRefused = gDevice.refused && strcmp(gPlay.device, gDevice.probed) == 0;
    gPlay.stop = gPlay.park = gPlay.parked = gPlay.exited = false;
    gPlay.interrupt.store(false);
    gPlay.playing.store(true);
    OpsPlaying(document);
    if (pthread_create(&gPlay.thread, nullptr, BoucleEcrivain, nullptr) != 0) {
        FreeRun();
        return memFullErr;
    }
    gPlay.threadStarted = true;
    // Just below the timer thread, when the system grants real-time scheduling at all.
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO) - 1;
    pthread_setschedparam(gPlay.thread, SCHED_FIFO, &param);
    return noErr;
}

Boolean PlanIsSound(const PlaybackPlan *p) {
    if (!p || p->staffCount < 1 || p->staffCount > kSynthMaxStaves || !p->tempo || p->tempoCount < 1 ||
        (p->eventCount && !p->events) || p->endTick < 0)
        return false;
    for (UInt32 i = 1; i < p->tempoCount; i++)
        if (p->tempo[i].frame <= p->tempo[i - 1].frame || p->tempo[i].played <= p->tempo[i - 1].played) return false;
    return true;
}

// Everything the writer needs, allocated before it starts: the engine, the staves, the
// keyboard's order of releases, a step of frames and the tick ring.
OSErr TakePlan(DocumentRecord *document, PlaybackPlan *plan) {
    gPlay.plan = plan;
    gPlay.document = document;
    UInt32 count = plan->staffCount;
    OSErr err = NewSoundEngine(&GlobalDigitParam, count, &gPlay.engine);
    if (err != noErr) return err;
    UInt32 room = SoundEngineMaxStepFrames(gPlay.engine) * SoundEngineChannels(gPlay.engine);
    gPlay.staves = reinterpret_cast<SoundStaffBlock *>(NewPtrClear(count * sizeof(SoundStaffBlock)));
    gPlay.staging = reinterpret_cast<SoundStaffBlock *>(NewPtrClear(count * sizeof(SoundStaffBlock)));
    gPlay.stepBuffer = reinterpret_cast<SInt16 *>(NewPtrClear(room * sizeof(SInt16)));
    gPlay.offOrder = NewOffOrder(plan);
    if (!gPlay.staves || !gPlay.staging || !gPlay.stepBuffer || (!gPlay.offOrder && plan->eventCount))
        return memFullErr;
    err = PrepareTabCircTick(count);
    if (err != noErr) return err;
    // The blocks as prepared, made once; the score side refreshes them while it plays.
    if (plan->staves) memcpy(gPlay.staging, plan->staves, count * sizeof(SoundStaffBlock));
    else OpsRefreshStaves(document, gPlay.staging, count);
    memcpy(gPlay.staves, gPlay.staging, count * sizeof(SoundStaffBlock));
    err = PrepareSonEvenements(gPlay.engine, plan->events, plan->eventCount, gPlay.staves, count, 0);
    if (err != noErr) return err;
    FixeLecteurFluxSon(gPlay.engine, plan->streams.read ? &plan->streams : nullptr);
    gPlay.pendingFrames = gPlay.pendingOffset = 0;
    gPlay.mixed = gPlay.written = 0;
    gPlay.endFrame.store(-1);
    gPlay.endHeard.store(false);
    PlaybackCounters &c = gPlay.counters;
    for (std::atomic<UInt32> *n :
         {&c.passes, &c.steps, &c.underruns, &c.starvedSteps, &c.fallbacks, &c.idleRuns, &c.wraps, &c.longestGap})
        n->store(0);
    c.framesWritten.store(0);
    c.finished.store(false);
    for (std::atomic<UInt32> &n : c.stepTimes) n.store(0);
    RepartEntendu();
    return noErr;
}

// After the writer has gone: frees what the run allocated and gives the plan back.
void FreeRun() {
    Boolean had = gPlay.plan != nullptr;
    gPlay.playing.store(false);
    gPlay.instant.store(-1);
    DisposeSoundEngine(&gPlay.engine);
    for (void **block : {reinterpret_cast<void **>(&gPlay.staves), reinterpret_cast<void **>(&gPlay.staging),
                         reinterpret_cast<void **>(&gPlay.stepBuffer), reinterpret_cast<void **>(&gPlay.offOrder)}) {
        if (*block) DisposPtr(static_cast<Ptr>(*block));
        *block = nullptr;
    }
    if (had) {
        OpsRelease(gPlay.document, &gPlay.plan);
        if (gSingerHooks.libereLyrovox) gSingerHooks.libereLyrovox();
        OpsPlaying(nullptr);
    }
    gPlay.plan = nullptr;
    gPlay.document = nullptr;
}

// The events' indices in the order of their releases (a new Ptr; null for no events).
UInt32 *NewOffOrder(const PlaybackPlan *plan) {
    if (!plan->eventCount) return nullptr;
    UInt32 *order = reinterpret_cast<UInt32 *>(NewPtr(plan->eventCount * sizeof(UInt32)));
    if (!order) return nullptr;
    for (UInt32 i = 0; i < plan->eventCount; i++) order[i] = i;
    const SoundEvent *events = plan->events;
    std::stable_sort(order, order + plan->eventCount, [events](UInt32 a, UInt32 b) {
        return events[a].onset + std::max<SInt32>(events[a].length, 0) <
               events[b].onset + std::max<SInt32>(events[b].length, 0);
    });
    return order;
}

// Moves the sequencer (section 256 held, or the writer not started) to a played position
// within 0 .. the end.
void SeekTo(SInt32 played) {
    const PlaybackPlan *p = gPlay.plan;
    // A count-in's point stands before 0: the start may be there, anything else not.
    played = std::min(std::max<SInt32>(played, std::min<SInt32>(0, p->startTick)), p->endTick);
    gPlay.endEventFrame = FrameAJoue(p, p->endTick);
    gPlay.loopFrame = FrameAJoue(p, std::min(std::max<SInt32>(p->loopTick, 0), p->endTick));
    PlaceSequenceur(FrameAJoue(p, played));
    gPlay.eventsEnded = false;
    gPlay.counters.finished.store(false);
    gPlay.endFrame.store(-1);
    gPlay.endHeard.store(false);
}

// The score's settings of every staff (all but the peaks) into the mixer's blocks.
void CopyStaffSettings() {
    UInt32 count = gPlay.plan->staffCount;
    OpsRefreshStaves(gPlay.document, gPlay.staging, count);
    EntreSectionMixage();
    for (UInt32 s = 0; s < count; s++) {
        SoundStaffBlock *to = &gPlay.staves[s];
        const SoundStaffBlock *from = &gPlay.staging[s];
        to->volume = from->volume;
        to->pan = from->pan;
        to->heard = from->heard;
        to->source = from->source;
        to->stream = from->stream;
    }
    QuitteSectionMixage();
}

void Park() { StopMusiqueHardware(); }

void Unpark() {
    pthread_mutex_lock(&gPlay.lock);
    gPlay.park = false;
    gPlay.interrupt.store(gPlay.stop);
    pthread_cond_signal(&gPlay.wake);
    pthread_mutex_unlock(&gPlay.lock);
}

// The writer sleeps on the monotonic clock, so that a change of the wall clock never stalls it.
void InitLock() {
    pthread_mutex_init(&gPlay.lock, nullptr);
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&gPlay.wake, &attr);
    pthread_condattr_destroy(&attr);
    pthread_cond_init(&gPlay.parkedChanged, nullptr);
}

OSErr OpsPrepare(DocumentRecord *document, UInt32 rate, PlaybackPlan **plan) {
    *plan = nullptr;
    if (!gScoreOps.prepare) return paramErr;
    OSErr err = gScoreOps.prepare(document, rate, plan);
    if (err != noErr) *plan = nullptr;
    return err;
}

void OpsRelease(DocumentRecord *document, PlaybackPlan **plan) {
    if (*plan && gScoreOps.release) gScoreOps.release(document, *plan);
    *plan = nullptr;
}

void OpsRefreshStaves(DocumentRecord *document, SoundStaffBlock *staves, UInt32 count) {
    if (gScoreOps.refreshStaves) gScoreOps.refreshStaves(document, staves, count);
}

SInt32 OpsResumePosition(DocumentRecord *document) {
    return gScoreOps.resumePosition ? gScoreOps.resumePosition(document) : 0;
}

SInt32 OpsStaffIndex(DocumentRecord *document, StaffHandle staff) {
    return gScoreOps.staffIndex ? gScoreOps.staffIndex(document, staff) : -1;
}

void OpsPlaying(DocumentRecord *document) {
    if (gScoreOps.playing) gScoreOps.playing(document);
}

void OpsRefillStreams() {
    if (gScoreOps.refillStreams) gScoreOps.refillStreams();
}

}  // namespace

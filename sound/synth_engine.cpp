// Events, voices and the step of the synthesiser.
#include "sound/synth_internal.h"

#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"

const BankInstrument kSynthOscillator = {-1, 0, nullptr, nullptr};
static UInt32 gSynthAllocations = 0;  // only ever grows; read by tests

static UInt32 StepFrames(SoundEngineRecord *e);
static void StartEvents(SoundEngineRecord *e, UInt32 frames);
static void StartNote(SoundEngineRecord *e, const SoundEvent *event, const BankInstrument *instrument, UInt32 offset);
static SynthVoice *TakeVoice(SoundEngineRecord *e, UInt16 staff);
static const BankInstrument *ResolveEvent(const SoundEvent *event, const SoundStaffBlock *staff, Boolean bankOpen);

OSErr NewSoundEngine(const DigitOutputParams *params, UInt32 staffCount, SoundEngineRecord **engine) {
    *engine = nullptr;
    UInt32 rate = DigitRateHz(params);
    if (rate < kSynthMinRate || rate > kSynthMaxRate || staffCount < 1 || staffCount > kSynthMaxStaves) return paramErr;
    SoundEngineRecord *e = reinterpret_cast<SoundEngineRecord *>(SynthAllocate(sizeof(SoundEngineRecord)));
    if (!e) return memFullErr;
    e->rate = rate;
    e->channels = params->stereo ? 2 : 1;
    SInt16 voices = params->voiceCount < 1 ? SInt16(1) : params->voiceCount;
    e->voiceLimit = UInt32(voices > kDigitMaxVoices ? SInt16(kDigitMaxVoices) : voices);
    e->cubic = params->cubic != 0;
    e->reverbOn = params->reverb != 0;
    e->tuning = float(params->pitchReference < 1 ? SInt16(kDigitPitchReference) : params->pitchReference) /
                kDigitPitchReference;
    e->stepBase = rate / kSynthStepsPerSecond;
    e->stepRemainder = rate % kSynthStepsPerSecond;
    e->maxStep = e->stepBase + 1;
    e->staffCapacity = staffCount;
    e->streamRoom = e->maxStep * kSynthStreamRate / kSynthMinRate + 8;
    e->voices = reinterpret_cast<SynthVoice *>(SynthAllocate(e->voiceLimit * sizeof(SynthVoice)));
    e->bus = reinterpret_cast<float *>(SynthAllocate(staffCount * e->maxStep * 2 * sizeof(float)));
    e->busActive = reinterpret_cast<UInt8 *>(SynthAllocate(staffCount));
    e->activeList = reinterpret_cast<UInt16 *>(SynthAllocate(staffCount * sizeof(UInt16)));
    e->mixLeft = reinterpret_cast<float *>(SynthAllocate(e->maxStep * sizeof(float)));
    e->mixRight = reinterpret_cast<float *>(SynthAllocate(e->maxStep * sizeof(float)));
    e->reverbIn = reinterpret_cast<float *>(SynthAllocate(e->maxStep * sizeof(float)));
    e->source = reinterpret_cast<float *>(SynthAllocate(e->maxStep * 2 * sizeof(float)));
    e->envelope = reinterpret_cast<float *>(SynthAllocate(e->maxStep * sizeof(float)));
    e->streamSamples = reinterpret_cast<SInt16 *>(SynthAllocate(e->streamRoom * sizeof(SInt16)));
    e->wave = reinterpret_cast<float *>(SynthAllocate((kSynthWaveSize + 1) * sizeof(float)));
    bool ok = e->voices && e->bus && e->busActive && e->activeList && e->mixLeft && e->mixRight && e->reverbIn &&
              e->source && e->envelope && e->streamSamples && e->wave && PrepareReverbSon(e, params) == noErr;
    if (!ok) {
        DisposeSoundEngine(&e);
        return memFullErr;
    }
    CalculeOndeOscillateur(e->wave);
    *engine = e;
    return noErr;
}

void DisposeSoundEngine(SoundEngineRecord **engine) {
    SoundEngineRecord *e = *engine;
    if (!e) return;
    LibereReverbSon(e);
    void *blocks[] = {e->voices, e->bus, e->busActive, e->activeList, e->mixLeft, e->mixRight, e->reverbIn,
                      e->source, e->envelope, e->streamSamples, e->wave, e->resolved};
    for (void *block : blocks) SynthFree(block);
    SynthFree(e);
    *engine = nullptr;
}

OSErr PrepareSonEvenements(SoundEngineRecord *e, const SoundEvent *events, UInt32 count, SoundStaffBlock *staves,
                           UInt32 staffCount, SInt64 startMs) {
    if (staffCount > e->staffCapacity || (count && !events) || (staffCount && !staves)) return paramErr;
    for (UInt32 i = 1; i < count; i++)
        if (events[i].onset < events[i - 1].onset) return paramErr;
    if (count > e->resolvedCapacity) {
        SynthFree(e->resolved);
        e->resolved = reinterpret_cast<const BankInstrument **>(SynthAllocate(count * sizeof(BankInstrument *)));
        e->resolvedCapacity = e->resolved ? count : 0;
        if (!e->resolved) return memFullErr;
    }
    Boolean bankOpen = GetNameSoundDataBase()[0] != 0;
    for (UInt32 i = 0; i < count; i++)
        e->resolved[i] = events[i].staff < staffCount ? ResolveEvent(&events[i], &staves[events[i].staff], bankOpen) : nullptr;
    e->events = events;
    e->eventCount = count;
    e->nextEvent = 0;
    e->staves = staves;
    e->staffCount = staffCount;
    e->startMs = startMs;
    e->position = 0;
    e->carry = 0;
    memset(e->voices, 0, e->voiceLimit * sizeof(SynthVoice));
    memset(&e->stats, 0, sizeof e->stats);
    return noErr;
}

void FixeLecteurFluxSon(SoundEngineRecord *e, const SoundStreamReader *reader) {
    if (reader) e->reader = *reader;
    else memset(&e->reader, 0, sizeof e->reader);
}

UInt32 MixeEtapeSon(SoundEngineRecord *e, SInt16 *out) {
    UInt32 frames = StepFrames(e);
    e->activeCount = 0;
    StartEvents(e, frames);
    UInt32 sounding = 0;
    for (UInt32 i = 0; i < e->voiceLimit; i++) {
        SynthVoice *v = &e->voices[i];
        if (v->stage == kVoiceFree) continue;
        RendVoixSon(e, v, v->startOffset, frames);
        v->startOffset = 0;
        if (v->stage != kVoiceFree) sounding++;
    }
    e->stats.voicesNow = sounding;
    MixeFluxSon(e, frames);
    MixeBusEtSortie(e, frames, out);
    e->position += frames;
    return frames;
}

UInt32 SoundEngineMaxStepFrames(const SoundEngineRecord *e) { return e->maxStep; }

UInt16 SoundEngineChannels(const SoundEngineRecord *e) { return e->channels; }

UInt32 SoundEngineRate(const SoundEngineRecord *e) { return e->rate; }

SInt64 SoundEnginePosition(const SoundEngineRecord *e) { return e->position; }

Boolean SoundEngineFinished(const SoundEngineRecord *e) {
    if (e->nextEvent < e->eventCount) return false;
    for (UInt32 i = 0; i < e->voiceLimit; i++)
        if (e->voices[i].stage != kVoiceFree) return false;
    return true;
}

void SoundEngineReleaseAll(SoundEngineRecord *e) {
    for (UInt32 i = 0; i < e->voiceLimit; i++)
        if (e->voices[i].stage != kVoiceFree && e->voices[i].releaseFrame > e->position)
            e->voices[i].releaseFrame = e->position;
}

void PositionneSonEvenements(SoundEngineRecord *e, SInt64 frame) {
    if (frame < 0) frame = 0;
    UInt32 low = 0, high = e->eventCount;
    while (low < high) {
        UInt32 mid = low + (high - low) / 2;
        if (e->events[mid].onset < frame) low = mid + 1;
        else high = mid;
    }
    e->nextEvent = low;
    for (UInt32 i = 0; i < e->voiceLimit; i++)
        if (e->voices[i].stage != kVoiceFree) e->voices[i].releaseFrame = frame;
    e->position = frame;
}

void ArreteEvenementsSon(SoundEngineRecord *e) { e->nextEvent = e->eventCount; }

void SoundEngineGetStats(const SoundEngineRecord *e, SoundEngineStats *stats) { *stats = e->stats; }

UInt32 SoundEngineAllocations() { return gSynthAllocations; }

Ptr SynthAllocate(UInt32 size) {
    gSynthAllocations++;
    return NewPtrClear(size);
}

void SynthFree(void *block) {
    if (block) DisposPtr(static_cast<Ptr>(block));
}

// rate / 200 frames, the remainder carried so that 200 steps make exactly one second.
static UInt32 StepFrames(SoundEngineRecord *e) {
    e->carry += e->stepRemainder;
    if (e->carry >= kSynthStepsPerSecond) {
        e->carry -= kSynthStepsPerSecond;
        return e->stepBase + 1;
    }
    return e->stepBase;
}

// Starts every event whose onset falls before the end of this step, at its frame in the step.
static void StartEvents(SoundEngineRecord *e, UInt32 frames) {
    SInt64 stepEnd = e->position + frames;
    while (e->nextEvent < e->eventCount && e->events[e->nextEvent].onset < stepEnd) {
        const SoundEvent *event = &e->events[e->nextEvent];
        const BankInstrument *instrument = e->resolved[e->nextEvent];
        e->nextEvent++;
        bool playable = instrument && event->velocity > 0 && event->length > 0 && event->key < 128 &&
                        event->staff < e->staffCount && e->staves[event->staff].heard;
        if (!playable) {
            e->stats.notesSkipped++;
            continue;
        }
        SInt64 offset = event->onset - e->position;
        StartNote(e, event, instrument, offset > 0 ? UInt32(offset) : 0);
    }
}

// A voice for each zone of the instrument that the key and velocity fall in.
static void StartNote(SoundEngineRecord *e, const SoundEvent *event, const BankInstrument *instrument, UInt32 offset) {
    UInt32 started = 0;
    if (instrument == &kSynthOscillator) {
        SynthVoice *v = TakeVoice(e, event->staff);
        DemarreVoixOscillateur(e, v, event);
        v->startOffset = offset;
        started = 1;
    }
    for (UInt32 z = 0; z < instrument->zoneCount; z++) {
        const BankZone *zone = &instrument->zones[z];
        if (event->key < zone->keyLow || event->key > zone->keyHigh || event->velocity < zone->velocityLow ||
            event->velocity > zone->velocityHigh)
            continue;
        SynthVoice *v = TakeVoice(e, event->staff);
        DemarreVoixSon(e, v, event, zone, instrument->samples[z]);
        v->startOffset = offset;
        started++;
    }
    if (started) e->stats.notesStarted++;
    else e->stats.notesSkipped++;
    UInt32 sounding = 0;
    for (UInt32 i = 0; i < e->voiceLimit; i++) sounding += e->voices[i].stage != kVoiceFree;
    if (sounding > e->stats.voicesPeak) e->stats.voicesPeak = sounding;
}

// A free voice; when none is free, the oldest releasing voice, else the staff's oldest voice,
// else the oldest of all is taken over.
static SynthVoice *TakeVoice(SoundEngineRecord *e, UInt16 staff) {
    SynthVoice *releasing = nullptr, *ofStaff = nullptr, *oldest = nullptr;
    for (UInt32 i = 0; i < e->voiceLimit; i++) {
        SynthVoice *v = &e->voices[i];
        if (v->stage == kVoiceFree) {
            v->serial = ++e->serial;
            return v;
        }
        bool isReleasing = v->stage == kVoiceRelease || v->releaseFrame <= e->position;
        if (isReleasing && (!releasing || v->serial < releasing->serial)) releasing = v;
        if (v->staff == staff && (!ofStaff || v->serial < ofStaff->serial)) ofStaff = v;
        if (!oldest || v->serial < oldest->serial) oldest = v;
    }
    SynthVoice *v = releasing ? releasing : ofStaff ? ofStaff : oldest;
    e->stats.voicesStolen++;
    v->serial = ++e->serial;
    return v;
}

static const BankInstrument *ResolveEvent(const SoundEvent *event, const SoundStaffBlock *staff, Boolean bankOpen) {
    if (staff->source == kSoundSourceOscillator || !bankOpen) return &kSynthOscillator;
    return ChargeInstrumentBanque(event->instrument, event->key);
}

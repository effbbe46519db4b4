// The demo plans and the score ops that flatten them: events in frames, a tempo map of one
// tempo, the selection, the loop and the staves' settings.
#include "tools/demo_scores/demo_plans.h"

#include <cmath>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "sound/sound_bank.h"

namespace {

struct DemoRow {
    const char *name;
    SInt32 quarters;      // duration
    UInt32 staffCount;
    Boolean streams;      // every staff plays a stream
    void (*make)(DemoNote *notes, UInt32 *count);  // null notes: only counts
};

const SInt32 kQuarter = kDemoQuarter;
const UInt32 kLargeBars = 64, kLargeStaves = 16;
const double kToneHz = 441.0;

void MakeScale(DemoNote *notes, UInt32 *count);
void MakeChord(DemoNote *notes, UInt32 *count);
void MakeDrums(DemoNote *notes, UInt32 *count);
void MakeNothing(DemoNote *notes, UInt32 *count);
void MakeLarge(DemoNote *notes, UInt32 *count);

const DemoRow kRows[] = {
    {"scale", 8, 1, false, MakeScale},
    {"chord", 4, 1, false, MakeChord},
    {"drums", 4, 1, false, MakeDrums},
    {"tone", 8, 2, true, MakeNothing},
    {"large", SInt32(kLargeBars * 4), kLargeStaves, false, MakeLarge},
};

OSErr Prepare(DocumentRecord *document, UInt32 rate, PlaybackPlan **plan);
void Release(DocumentRecord *document, PlaybackPlan *plan);
void Refresh(DocumentRecord *document, SoundStaffBlock *staves, UInt32 count);
SInt32 Resume(DocumentRecord *document);
SInt32 StaffIndex(DocumentRecord *document, StaffHandle staff);
SInt32 ReadTone(void *context, SInt16 stream, SInt64 first, SInt32 count, SInt16 *samples);

const PlaybackScoreOps kDemoOps = {Prepare, Release, Refresh, Resume, StaffIndex, nullptr, nullptr};

DemoPlanRecord *DemoOf(DocumentRecord *document) { return reinterpret_cast<DemoPlanRecord *>(document); }

}  // namespace

OSErr NouvelleDemo(const char *name, DemoPlanRecord **demo) {
    *demo = nullptr;
    const DemoRow *row = nullptr;
    for (const DemoRow &r : kRows)
        if (name && strcmp(name, r.name) == 0) row = &r;
    if (!row) return paramErr;
    DemoPlanRecord *d = reinterpret_cast<DemoPlanRecord *>(NewPtrClear(sizeof(DemoPlanRecord)));
    if (!d) return memFullErr;
    row->make(nullptr, &d->noteCount);
    d->notes = reinterpret_cast<DemoNote *>(NewPtrClear((d->noteCount + 1) * sizeof(DemoNote)));
    if (!d->notes) {
        DisposPtr(reinterpret_cast<Ptr>(d));
        return memFullErr;
    }
    row->make(d->notes, &d->noteCount);
    d->name = row->name;
    d->duration = row->quarters * kQuarter;
    d->tempo = 120;
    d->streamSamples = row->streams ? FrameDeDemo(d, d->duration, kSynthStreamRate) : 0;
    d->staffCount = row->staffCount;
    for (UInt32 s = 0; s < d->staffCount; s++)
        d->staves[s] = {127, 0, 1, kSoundSourceBank, SInt16(row->streams ? s + 1 : 0), 0, 0};
    *demo = d;
    return noErr;
}

void DisposeDemo(DemoPlanRecord **demo) {
    if (!*demo) return;
    DisposPtr(reinterpret_cast<Ptr>((*demo)->notes));
    DisposPtr(reinterpret_cast<Ptr>(*demo));
    *demo = nullptr;
}

DocumentRecord *DocumentDeDemo(DemoPlanRecord *demo) { return reinterpret_cast<DocumentRecord *>(demo); }

StaffHandle PorteeDeDemo(DemoPlanRecord *demo, UInt32 staff) {
    return staff < kDemoMaxStaves ? &demo->staffIds[staff] : nullptr;
}

void InstalleOpsDemo() { FixeOpsPartitionLecture(&kDemoOps); }

SInt64 FrameDeDemo(const DemoPlanRecord *demo, SInt32 played, UInt32 rate) {
    return SInt64(played) * rate * 60 / (SInt64(demo->tempo) * kQuarter);
}

OSErr EvenementsDemo(const DemoPlanRecord *demo, UInt32 rate, SoundEvent **events, UInt32 *count) {
    *events = nullptr;
    *count = 0;
    if (demo->tempo < 10 || demo->tempo > 300) return paramErr;
    SInt32 from = demo->selectionEnd > 0 ? demo->selectionStart : 0;
    SInt32 to = demo->selectionEnd > 0 ? demo->selectionEnd : demo->duration;
    SoundEvent *e = reinterpret_cast<SoundEvent *>(NewPtr((demo->noteCount + 1) * sizeof(SoundEvent)));
    if (!e) return memFullErr;
    UInt32 n = 0;
    for (UInt32 i = 0; i < demo->noteCount; i++) {
        const DemoNote &note = demo->notes[i];
        if (note.onset < from || note.onset >= to) continue;
        SInt32 end = note.onset + note.length < to ? note.onset + note.length : to;
        SInt64 onset = FrameDeDemo(demo, note.onset, rate);
        e[n++] = {onset, SInt32(FrameDeDemo(demo, end, rate) - onset), note.instrument, note.staff, note.key, note.velocity};
    }
    *events = e;
    *count = n;
    return noErr;
}

SoundStreamReader FluxDeDemo(const DemoPlanRecord *demo) {
    return {ReadTone, const_cast<DemoPlanRecord *>(demo)};
}

namespace {

// C4 up to C5, a quarter note each, each held four fifths of its length, on the piano.
void MakeScale(DemoNote *notes, UInt32 *count) {
    const UInt8 keys[8] = {60, 62, 64, 65, 67, 69, 71, 72};
    *count = 8;
    for (int i = 0; notes && i < 8; i++) notes[i] = {i * kQuarter, kQuarter * 4 / 5, 0, 0, keys[i], 100};
}

// C major on the strings, a whole note.
void MakeChord(DemoNote *notes, UInt32 *count) {
    const UInt8 keys[4] = {48, 60, 64, 67};
    *count = 4;
    for (int i = 0; notes && i < 4; i++) notes[i] = {0, 4 * kQuarter, 48, 0, keys[i], 90};
}

// Bass drum, snare and closed hi-hat in a bar of eighths.
void MakeDrums(DemoNote *notes, UInt32 *count) {
    *count = 8;
    for (int i = 0; notes && i < 8; i++) {
        UInt8 key = i % 4 == 0 ? 36 : i % 4 == 2 ? 38 : 42;
        notes[i] = {i * kQuarter / 2, kQuarter * 2 / 5, IdBatterieBanque(0, 0), 0, key, 100};
    }
}

void MakeNothing(DemoNote *, UInt32 *count) { *count = 0; }

// Sixteen staves of sustained instruments, each starting two notes a beat that last two beats:
// four notes of every staff sound at once. The keys walk through a chord progression.
void MakeLarge(DemoNote *notes, UInt32 *count) {
    const SInt32 programs[kLargeStaves] = {48, 49, 16, 19, 88, 89, 52, 61, 0, 4, 24, 32, 40, 42, 56, 71};
    const UInt8 roots[4] = {48, 53, 55, 50};
    *count = kLargeBars * 4 * kLargeStaves * 2;
    UInt32 n = 0;
    for (UInt32 beat = 0; notes && beat < kLargeBars * 4; beat++) {
        UInt8 root = roots[(beat / 4) % 4];
        for (UInt32 s = 0; s < kLargeStaves; s++) {
            UInt8 low = UInt8(root + 12 * (s % 3) + (beat + s) % 3 * 4);
            for (UInt32 k = 0; k < 2; k++)
                notes[n++] = {SInt32(beat) * kQuarter, 2 * kQuarter, programs[s], UInt16(s), UInt8(low + 7 * k), 80};
        }
    }
}

// A plan of its own, a Ptr, with the demo's events and a tempo map of two points.
OSErr Prepare(DocumentRecord *document, UInt32 rate, PlaybackPlan **plan) {
    const DemoPlanRecord *demo = DemoOf(document);
    SoundEvent *events = nullptr;
    UInt32 count = 0;
    OSErr err = EvenementsDemo(demo, rate, &events, &count);
    if (err != noErr) return err;
    PlaybackTempoPoint *tempo = reinterpret_cast<PlaybackTempoPoint *>(NewPtr(2 * sizeof(PlaybackTempoPoint)));
    PlaybackPlan *made = reinterpret_cast<PlaybackPlan *>(NewPtrClear(sizeof(PlaybackPlan)));
    if (!tempo || !made) {
        DisposPtr(reinterpret_cast<Ptr>(events));
        if (tempo) DisposPtr(reinterpret_cast<Ptr>(tempo));
        if (made) DisposPtr(reinterpret_cast<Ptr>(made));
        return memFullErr;
    }
    tempo[0] = {0, 0, 0};
    tempo[1] = {FrameDeDemo(demo, demo->duration, rate), demo->duration, demo->duration};
    Boolean selection = demo->selectionEnd > 0;
    made->events = events;
    made->eventCount = count;
    made->tempo = tempo;
    made->tempoCount = 2;
    made->staves = demo->staves;
    made->staffCount = demo->staffCount;
    made->streams = FluxDeDemo(demo);
    made->startTick = selection ? demo->selectionStart : 0;
    made->endTick = selection ? demo->selectionEnd : demo->duration;
    made->loop = selection && demo->loop;
    made->loopTick = made->startTick;
    *plan = made;
    return noErr;
}

void Release(DocumentRecord *, PlaybackPlan *plan) {
    if (plan->events) DisposPtr(reinterpret_cast<Ptr>(const_cast<SoundEvent *>(plan->events)));
    if (plan->tempo) DisposPtr(reinterpret_cast<Ptr>(const_cast<PlaybackTempoPoint *>(plan->tempo)));
    DisposPtr(reinterpret_cast<Ptr>(plan));
}

void Refresh(DocumentRecord *document, SoundStaffBlock *staves, UInt32 count) {
    const DemoPlanRecord *demo = DemoOf(document);
    for (UInt32 s = 0; s < count && s < demo->staffCount; s++) staves[s] = demo->staves[s];
}

SInt32 Resume(DocumentRecord *document) { return DemoOf(document)->resumePosition; }

SInt32 StaffIndex(DocumentRecord *document, StaffHandle staff) {
    DemoPlanRecord *demo = DemoOf(document);
    for (UInt32 s = 0; s < demo->staffCount; s++)
        if (staff == &demo->staffIds[s]) return SInt32(s);
    return -1;
}

// On the mixing thread: the same samples whoever asks, computed from the sample's index; it
// reads nothing the main thread changes.
SInt32 ReadTone(void *context, SInt16, SInt64 first, SInt32 count, SInt16 *samples) {
    const DemoPlanRecord *demo = static_cast<const DemoPlanRecord *>(context);
    SInt32 n = 0;
    for (; n < count && first + n < demo->streamSamples; n++)
        samples[n] = SInt16(std::lround(32767.0 * std::sin(2 * M_PI * kToneHz * double(first + n) / kSynthStreamRate)));
    return n;
}

}  // namespace

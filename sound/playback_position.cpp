// The tempo map, the tick ring the writer fills at every step, and the readers of the position
// heard: they take no lock; the ring's counters tell them when the writer moved under them.
#include "sound/playback_internal.h"

#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"

// Ring fields are written with release and read with acquire: a reader that saw a field of an
// entry the writer has begun again also sees that beginning when it reads the counters next.
template <typename T>
static T Load(const T *at) { return __atomic_load_n(at, __ATOMIC_ACQUIRE); }
template <typename T>
static void Store(T *at, T value) { __atomic_store_n(at, value, __ATOMIC_RELEASE); }

static UInt32 SegmentOfFrame(const PlaybackPlan *plan, SInt64 frame);
static Boolean ReadEntryAt(SInt64 frame, TickRingEntry *entry, UInt64 *index);
static SInt32 Along(SInt32 start, SInt32 end, SInt64 part, SInt64 whole);
static SInt32 HeardPosition(Boolean written);

SInt32 JoueAFrame(const PlaybackPlan *plan, SInt64 frame) {
    UInt32 i = SegmentOfFrame(plan, frame);
    const PlaybackTempoPoint *p = &plan->tempo[i];
    if (i + 1 >= plan->tempoCount || frame <= p->frame) return p->played;
    const PlaybackTempoPoint *q = p + 1;
    return Along(p->played, q->played, frame - p->frame, q->frame - p->frame);
}

SInt32 EcritAFrame(const PlaybackPlan *plan, SInt64 frame) {
    const PlaybackTempoPoint *p = &plan->tempo[SegmentOfFrame(plan, frame)];
    return p->written + (JoueAFrame(plan, frame) - p->played);
}

// The first frame at which the played position reaches played (the last point's frame past it).
SInt64 FrameAJoue(const PlaybackPlan *plan, SInt32 played) {
    const PlaybackTempoPoint *t = plan->tempo;
    UInt32 low = 0, high = plan->tempoCount;
    while (low < high) {  // the first point whose position is above played
        UInt32 mid = low + (high - low) / 2;
        if (t[mid].played <= played) low = mid + 1;
        else high = mid;
    }
    if (low == 0) return t[0].frame;
    if (low == plan->tempoCount) return t[low - 1].frame;
    const PlaybackTempoPoint *p = &t[low - 1], *q = &t[low];
    SInt64 span = q->played - p->played;  // above 0: positions rise
    return p->frame + ((q->frame - p->frame) * SInt64(played - p->played) + span - 1) / span;
}

OSErr PrepareTabCircTick(UInt32 staffCount) {
    TickRing *ring = &gPlay.ring;
    if (!ring->entries) {
        ring->entries = reinterpret_cast<TickRingEntry *>(NewPtrClear(kTickRingEntries * sizeof(TickRingEntry)));
        if (!ring->entries) return memFullErr;
    }
    if (ring->staffCapacity < staffCount) {
        if (ring->peaks) DisposPtr(reinterpret_cast<Ptr>(ring->peaks));
        ring->peaks = reinterpret_cast<UInt32 *>(NewPtrClear(kTickRingEntries * staffCount * sizeof(UInt32)));
        ring->staffCapacity = ring->peaks ? staffCount : 0;
        if (!ring->peaks) return memFullErr;
    }
    ring->begun.store(0);
    ring->head.store(0);
    return noErr;
}

void LibereTabCircTickMemoire() {
    TickRing *ring = &gPlay.ring;
    if (ring->entries) DisposPtr(reinterpret_cast<Ptr>(ring->entries));
    if (ring->peaks) DisposPtr(reinterpret_cast<Ptr>(ring->peaks));
    ring->entries = nullptr;
    ring->peaks = nullptr;
    ring->staffCapacity = 0;
    ring->begun.store(0);
    ring->head.store(0);
}

// Writer thread, section 256.
void PousseTabCircTick(const TickRingEntry *entry, const SoundStaffBlock *staves, UInt32 staffCount) {
    TickRing *ring = &gPlay.ring;
    UInt64 i = ring->head.load(std::memory_order_relaxed);
    ring->begun.store(i + 1, std::memory_order_relaxed);
    TickRingEntry *slot = &ring->entries[i % kTickRingEntries];
    Store(&slot->frame, entry->frame);
    Store(&slot->frames, entry->frames);
    Store(&slot->playedStart, entry->playedStart);
    Store(&slot->playedEnd, entry->playedEnd);
    Store(&slot->writtenStart, entry->writtenStart);
    Store(&slot->writtenEnd, entry->writtenEnd);
    UInt32 *peaks = ring->peaks + (i % kTickRingEntries) * ring->staffCapacity;
    for (UInt32 s = 0; s < staffCount && s < ring->staffCapacity; s++)
        Store(&peaks[s], UInt32(staves[s].peakLeft) << 16 | staves[s].peakRight);
    ring->head.store(i + 1, std::memory_order_release);
}

// Writer thread. A measure may come out a little below the last one (the device's delay is
// read with some jitter): the frame heard never goes back.
void PublieEntendu(SInt64 heard) {
    if (heard > gPlay.heard.load(std::memory_order_relaxed)) gPlay.heard.store(heard, std::memory_order_relaxed);
}

void RepartEntendu() { gPlay.heard.store(-1); }

SInt64 FrameEntendue() { return gPlay.heard.load(std::memory_order_relaxed); }

SInt32 GetPosTickInstant() { return gPlay.playing.load() ? gPlay.instant.load() : -1; }

SInt32 GetPosTickMusique() { return GetPosTickInstant(); }

SInt32 GetPosTickMusiqueEntendue() { return HeardPosition(false); }

SInt32 GetPosTempsMusiqueEntendue() { return HeardPosition(false); }

SInt32 GetTempsEcritJoue() { return HeardPosition(true); }

// Reads the staff's peaks of the step heard now, from the same entry a position is read from.
Boolean LitCretesEntendues(UInt32 staff, UInt16 *left, UInt16 *right) {
    TickRing *ring = &gPlay.ring;
    TickRingEntry e;
    UInt64 index;
    SInt64 frame = FrameEntendue();
    if (frame < 0 || staff >= ring->staffCapacity) return false;
    for (;;) {
        if (!ReadEntryAt(frame, &e, &index)) return false;
        UInt32 word = Load(&ring->peaks[(index % kTickRingEntries) * ring->staffCapacity + staff]);
        if (ring->begun.load(std::memory_order_relaxed) <= index + kTickRingEntries) {
            *left = UInt16(word >> 16);
            *right = UInt16(word);
            return true;
        }
    }
}

// The segment of the tempo map that frame falls in: the last point at or before it (the first
// point before the first).
static UInt32 SegmentOfFrame(const PlaybackPlan *plan, SInt64 frame) {
    UInt32 low = 0, high = plan->tempoCount;
    while (low < high) {
        UInt32 mid = low + (high - low) / 2;
        if (plan->tempo[mid].frame <= frame) low = mid + 1;
        else high = mid;
    }
    return low ? low - 1 : 0;
}

// The ring entry whose step holds frame (the oldest one kept, or the newest, when frame lies
// outside them), found by binary search; false when the ring is empty. Read again when the
// writer has begun overwriting an entry the search looked at.
static Boolean ReadEntryAt(SInt64 frame, TickRingEntry *entry, UInt64 *index) {
    TickRing *ring = &gPlay.ring;
    if (!ring->entries) return false;
    for (;;) {
        UInt64 head = ring->head.load(std::memory_order_acquire);
        if (head == 0) return false;
        UInt64 first = head > kTickRingEntries - 1 ? head - (kTickRingEntries - 1) : 0;
        UInt64 low = first, high = head;
        while (low < high) {  // the first entry starting after frame
            UInt64 mid = low + (high - low) / 2;
            if (Load(&ring->entries[mid % kTickRingEntries].frame) <= frame) low = mid + 1;
            else high = mid;
        }
        UInt64 i = low > first ? low - 1 : first;
        const TickRingEntry *slot = &ring->entries[i % kTickRingEntries];
        entry->frame = Load(&slot->frame);
        entry->frames = Load(&slot->frames);
        entry->playedStart = Load(&slot->playedStart);
        entry->playedEnd = Load(&slot->playedEnd);
        entry->writtenStart = Load(&slot->writtenStart);
        entry->writtenEnd = Load(&slot->writtenEnd);
        if (ring->begun.load(std::memory_order_relaxed) <= first + kTickRingEntries) {
            *index = i;
            if (frame < entry->frame) entry->frames = 0;  // before every step kept: its start
            return true;
        }
    }
}

// The played or written position heard now, within the step it falls in; -1 before anything
// was heard and when nothing plays.
static SInt32 HeardPosition(Boolean written) {
    TickRingEntry e;
    UInt64 index;
    SInt64 frame = FrameEntendue();
    if (!gPlay.playing.load() || frame < 0 || !ReadEntryAt(frame, &e, &index)) return -1;
    if (written) return Along(e.writtenStart, e.writtenEnd, frame - e.frame, e.frames);
    return Along(e.playedStart, e.playedEnd, frame - e.frame, e.frames);
}

// start + (end - start) x part / whole, part kept within 0 .. whole.
static SInt32 Along(SInt32 start, SInt32 end, SInt64 part, SInt64 whole) {
    if (whole <= 0 || part <= 0) return start;
    if (part >= whole) return end;
    return SInt32(start + SInt64(end - start) * part / whole);
}

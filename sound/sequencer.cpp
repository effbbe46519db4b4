// Preparing a score to play: the measures in played order, the staves' events, the staff
// blocks and the tempo points.
#include "sound/sequencer_internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/played_measures.h"
#include "score/preferences.h"
#include "sound/dynamics_play.h"
#include "sound/play_instruments.h"

namespace {

OSErr MesuresJouees(ScoreHandle score, Boolean selection, PlayedMeasureRecord **measures, SInt32 *count);
Boolean PorteeSonne(ScoreHandle score, StaffHandle staff, Boolean selection);
Boolean EstPorteeFlux(StaffHandle staff);
OSErr PointsTempo(const FlattenRecord *f, PartitionSonRecord *p);
SInt8 PanBloc(SInt16 pan);

}  // namespace

OSErr PreparePartitionSon(const SonPreparationRequest *request, PartitionSonRecord *prepared) {
    std::memset(prepared, 0, sizeof *prepared);
    ScoreHandle score = request ? request->score : nullptr;
    if (!IsPartitionValide(score) || request->rate < kSynthMinRate || request->rate > kSynthMaxRate) return paramErr;
    if ((*score)->staffCount < 1) return paramErr;
    CalculeTabCvtMesure(score);
    PrepareDynamiquesTempoPartition(score);
    PrepareDynamiquesPartition(score);
    Boolean selection = (*score)->selectionPlay && (*score)->selectionEnd > (*score)->selectionStart &&
                        (*score)->selectionStart >= 0;
    FlattenRecord f;
    std::memset(&f, 0, sizeof f);
    f.score = score;
    f.rate = request->rate;
    TempoSegment *segments = nullptr;
    PlayedMeasureRecord *measures = nullptr;
    f.err = CalculeSegmentsTempo(score, !selection, &segments, &f.segmentCount);
    if (f.err == noErr) f.err = MesuresJouees(score, selection, &measures, &f.measureCount);
    f.segments = segments;
    f.measures = measures;
    f.rangeStart = selection ? (*score)->selectionStart : 0;
    f.rangeEnd = selection ? (*score)->selectionEnd : kTempsMax;
    PlaybackPlan &plan = prepared->plan;
    prepared->rate = request->rate;
    prepared->musicTick = selection ? (*score)->selectionStart : 0;
    plan.endTick = selection ? (*score)->selectionEnd : DureeTotaleMusique(score);
    plan.loop = selection && (*score)->loop;
    plan.loopTick = prepared->musicTick;
    StaffHandle metronome = GetPorteeMetronome(score);
    SInt16 bars = request->countInBars < 0 ? GetRealTimeMetronome() : std::min<SInt16>(request->countInBars, kMaxMesuresDecompte);
    f.startTick = prepared->musicTick;
    f.msAtStart = MsDeSegments(segments, f.segmentCount, prepared->musicTick);
    double countInMs = metronome && f.err == noErr ? DureeDecompteMs(&f, bars) : 0;
    f.startFrame = SInt64(std::llround(countInMs * f.rate / 1000.0));
    for (SInt16 s = 0; f.err == noErr && s < (*score)->staffCount; s++)
        if (PorteeSonne(score, GetPortee(score, s), selection)) AplatitPortee(&f, GetPortee(score, s));
    if (metronome && f.err == noErr) AplatitMetronome(&f, metronome, bars, countInMs);
    if (f.err == noErr)
        std::stable_sort(f.events, f.events + f.count, [](const SoundEvent &a, const SoundEvent &b) { return a.onset < b.onset; });
    plan.events = f.events;
    plan.eventCount = f.count;
    prepared->startFrame = f.startFrame;
    prepared->endFrame = FrameDeSegments(&f, plan.endTick);
    prepared->startMs = SInt64(std::llround(f.msAtStart - countInMs));
    if (f.err == noErr) f.err = PointsTempo(&f, prepared);
    // Real-time play starts with the count-in's first point when there is one.
    plan.startTick = f.err == noErr && prepared->startFrame > 0 ? plan.tempo[0].played : prepared->musicTick;
    if (f.err == noErr) {
        plan.staffCount = UInt32((*score)->staffCount);
        prepared->staves = reinterpret_cast<SoundStaffBlock *>(NewPtrClear(plan.staffCount * sizeof(SoundStaffBlock)));
        if (!prepared->staves) f.err = memFullErr;
        else RafraichitBlocsPorteesSon(score, prepared->staves, plan.staffCount);
        plan.staves = prepared->staves;
    }
    if (segments) DisposPtr(reinterpret_cast<Ptr>(segments));
    if (measures) DisposPtr(reinterpret_cast<Ptr>(measures));
    if (f.err != noErr) LiberePartitionSon(prepared);
    return f.err;
}

void LiberePartitionSon(PartitionSonRecord *prepared) {
    if (!prepared) return;
    void *blocks[] = {const_cast<SoundEvent *>(prepared->plan.events), const_cast<PlaybackTempoPoint *>(prepared->plan.tempo),
                      prepared->staves};
    for (void *block : blocks)
        if (block) DisposPtr(static_cast<Ptr>(block));
    std::memset(prepared, 0, sizeof *prepared);
}

void RafraichitBlocsPorteesSon(ScoreHandle score, SoundStaffBlock *staves, UInt32 count) {
    if (!IsPartitionValide(score) || !staves) return;
    for (UInt32 s = 0; s < count && s < UInt32((*score)->staffCount); s++) {
        StaffHandle staff = GetPortee(score, SInt16(s));
        const InstrumentRecord *instrument = GetInstrumentPtr(score, (*staff)->instrument);
        Boolean own = (*staff)->ownLevels || !instrument;
        SInt16 volume = own ? (*staff)->volume : instrument->volume;
        SInt16 pan = own ? (*staff)->pan : instrument->pan;
        SoundStaffBlock &block = staves[s];
        block.volume = UInt8(std::min<SInt16>(std::max<SInt16>(volume, 0), 127));
        block.pan = PanBloc(pan);
        block.heard = ((*staff)->heard[0] | (*staff)->heard[1]) != 0;
        block.source = instrument && instrument->kind == kSoundSourceOscillator ? UInt8(kSoundSourceOscillator)
                                                                               : UInt8(kSoundSourceBank);
        block.stream = EstPorteeFlux(staff) ? (*staff)->stream : SInt16(0);
    }
}

SInt64 FrameDeSegments(const FlattenRecord *f, double played) {
    double ms = MsDeSegments(f->segments, f->segmentCount, played) - f->msAtStart;
    return f->startFrame + SInt64(std::llround(ms * f->rate / 1000.0));
}

void AjouteEvenementSon(FlattenRecord *f, double onset, double length, SInt32 instrument, UInt16 staff, SInt32 key,
                        SInt32 velocity) {
    if (key < 0 || key > 127 || velocity < 1) return;
    SInt64 start = std::max<SInt64>(0, FrameDeSegments(f, onset));
    SInt64 end = FrameDeSegments(f, onset + std::max(length, 0.0));
    SInt64 frames = std::min<SInt64>(std::max<SInt64>(end - start, 1), 0x7FFFFFFF);
    AjouteEvenementFrames(f, {start, SInt32(frames), instrument, staff, UInt8(key), UInt8(std::min<SInt32>(velocity, 127))});
}

void AjouteEvenementFrames(FlattenRecord *f, const SoundEvent &event) {
    if (f->err != noErr) return;
    if (f->count == f->capacity) {
        if (f->capacity >= kMaxEvenementsSon) {
            f->err = memFullErr;
            return;
        }
        UInt32 grown = f->capacity ? f->capacity * 2 : 1024;
        SoundEvent *bigger = reinterpret_cast<SoundEvent *>(NewPtr(grown * sizeof(SoundEvent)));
        if (!bigger) {
            f->err = memFullErr;
            return;
        }
        if (f->events) {
            std::memcpy(bigger, f->events, f->count * sizeof(SoundEvent));
            DisposPtr(reinterpret_cast<Ptr>(f->events));
        }
        f->events = bigger;
        f->capacity = grown;
    }
    f->events[f->count++] = event;
}

namespace {

// The measures as they are played: the played-measure table, or a selection's written range.
OSErr MesuresJouees(ScoreHandle score, Boolean selection, PlayedMeasureRecord **measures, SInt32 *count) {
    *measures = nullptr;
    *count = 0;
    SInt32 total = selection ? (*score)->measureCount : GetNbMesuresJouees(score);
    PlayedMeasureRecord *out = reinterpret_cast<PlayedMeasureRecord *>(NewPtr(UInt32(total + 1) * sizeof(PlayedMeasureRecord)));
    if (!out) return memFullErr;
    SInt64 played = 0;
    SInt32 n = 0;
    for (SInt32 k = 0; k < total; k++) {
        SInt32 m = selection ? k : CvtMesureJoueeEnMesure(score, k);
        SInt32 written = CvtMesureEnTemps(score, m), length = CvtMesureEnDureeMesure(score, m);
        if (written < 0 || length <= 0) continue;
        if (selection) {
            if (written + length <= (*score)->selectionStart || written >= (*score)->selectionEnd) continue;
            played = written;
        }
        if (played + length > kTempsMax) break;
        out[n++] = {m, written, length, SInt32(played)};
        played += length;
    }
    *measures = out;
    *count = n;
    return noErr;
}

// Staves whose notes sound: not lyrics, tempo, digital audio or the metronome, not a sung staff
// whose stream plays instead, and inside a selection's parts.
Boolean PorteeSonne(ScoreHandle score, StaffHandle staff, Boolean selection) {
    UInt32 type = (*staff)->type;
    if (type == kPorteeParoles || type == kPorteeTempo || type == kPorteeAudio || type == kPorteeMetronome) return false;
    if ((*staff)->sung && EstPorteeFlux(staff)) return false;
    if (selection && ((*staff)->index < (*score)->selectionFirstPart || (*staff)->index > (*score)->selectionLastPart))
        return false;
    return true;
}

// A staff whose audio stream plays: a digital-audio staff, or a sung one while sung tracks may play.
Boolean EstPorteeFlux(StaffHandle staff) {
    if ((*staff)->stream <= 0) return false;
    return (*staff)->type == kPorteeAudio || ((*staff)->sung && pref.singingEnabled);
}

// A point at each played measure's start and at each change of tempo inside it, and one at
// the end. Under a count-in the first point stands at frame 0, 1 unit before the start: the
// position waits there while the metronome counts in.
OSErr PointsTempo(const FlattenRecord *f, PartitionSonRecord *p) {
    UInt32 room = UInt32(f->measureCount) + UInt32(f->segmentCount) + 3;
    PlaybackTempoPoint *points = reinterpret_cast<PlaybackTempoPoint *>(NewPtr(room * sizeof(PlaybackTempoPoint)));
    if (!points) return memFullErr;
    UInt32 n = 0;
    if (p->startFrame > 0) points[n++] = {0, p->musicTick - 1, p->musicTick - 1};
    auto add = [&](SInt32 played, SInt32 written) {
        SInt64 frame = FrameDeSegments(f, played);
        if (n > 0 && (played <= points[n - 1].played || frame <= points[n - 1].frame)) return;
        if (n < room) points[n++] = {frame, played, written};
    };
    for (SInt32 k = 0; k < f->measureCount; k++) {
        const PlayedMeasureRecord &m = f->measures[k];
        SInt32 from = std::max(m.played, p->musicTick), to = std::min(m.played + m.length, p->plan.endTick);
        if (from >= to) continue;
        add(from, m.written + (from - m.played));
        const TempoSegment *segment = std::upper_bound(f->segments, f->segments + f->segmentCount, from,
                                                       [](SInt32 t, const TempoSegment &s) { return t < s.time; });
        for (; segment < f->segments + f->segmentCount && segment->time < to; segment++)
            add(segment->time, m.written + (segment->time - m.played));
    }
    const PlayedMeasureRecord *last = f->measureCount ? &f->measures[f->measureCount - 1] : nullptr;
    SInt32 end = std::max(p->plan.endTick, n ? points[n - 1].played + 1 : p->musicTick + 1);
    add(end, last ? last->written + last->length : end);
    if (n < 2) {
        points[n] = {points[n - 1].frame + 1, points[n - 1].played + 1, points[n - 1].written + 1};
        n++;
    }
    p->plan.tempo = points;
    p->plan.tempoCount = n;
    return noErr;
}

// A staff's pan (0..127, 64 centre) as the mixer's -100..100.
SInt8 PanBloc(SInt16 pan) {
    SInt32 v = (SInt32(pan) - 64) * 100 / 63;
    return SInt8(std::min<SInt32>(std::max<SInt32>(v, -100), 100));
}

}  // namespace

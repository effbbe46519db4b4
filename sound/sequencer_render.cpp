// A prepared score rendered offline, the keyboard told of its notes.
#include "sound/sequencer.h"

#include <algorithm>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "sound/playback_internal.h"

namespace {

void AnnonceNotesClavier(const PartitionSonRecord *prepared);

}  // namespace

OSErr RenduPartitionHorsLigne(const SonRenduPartition *request, SInt16 **samples, UInt32 *frames,
                              SoundEngineStats *stats) {
    *samples = nullptr;
    *frames = 0;
    if (!request || !request->params) return paramErr;
    PartitionSonRecord prepared;
    SonPreparationRequest ask = {request->score, DigitRateHz(request->params), request->countInBars};
    OSErr err = PreparePartitionSon(&ask, &prepared);
    if (err != noErr) return err;
    AnnonceNotesClavier(&prepared);
    SInt64 minimumMs = (prepared.endFrame * 1000 + prepared.rate - 1) / prepared.rate;
    SoundRenderRequest render = {request->params, prepared.plan.events, prepared.plan.eventCount, false,
                                 prepared.staves, prepared.plan.staffCount, request->streams, prepared.startMs,
                                 request->tailMs,
                                 UInt32(std::min<SInt64>(minimumMs, 0x7FFFFFFF))};
    err = RenduSonHorsLigne(&render, samples, frames, stats);
    LiberePartitionSon(&prepared);
    return err;
}

namespace {

// Every note's start and stop in time order (a stop first at equal times), as a player hears
// them; nothing when the keyboard is not shown.
void AnnonceNotesClavier(const PartitionSonRecord *prepared) {
    if (!HookIsClavierActive() || prepared->plan.eventCount == 0) return;
    const SoundEvent *events = prepared->plan.events;
    UInt32 count = prepared->plan.eventCount;
    UInt32 *offs = reinterpret_cast<UInt32 *>(NewPtr(count * sizeof(UInt32)));
    if (!offs) return;
    for (UInt32 i = 0; i < count; i++) offs[i] = i;
    auto end = [&](UInt32 i) { return events[i].onset + std::max<SInt32>(events[i].length, 0); };
    std::stable_sort(offs, offs + count, [&](UInt32 a, UInt32 b) { return end(a) < end(b); });
    for (UInt32 on = 0, off = 0; off < count;) {
        if (on < count && events[on].onset < end(offs[off])) {
            HookClavierNoteOn(events[on].instrument, events[on].key, events[on].velocity, 0);
            on++;
        } else {
            const SoundEvent &e = events[offs[off++]];
            HookClavierNoteOff(e.instrument, e.key, false);
        }
    }
    DisposPtr(reinterpret_cast<Ptr>(offs));
}

}  // namespace

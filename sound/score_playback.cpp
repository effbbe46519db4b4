// The score side of real-time playback: documents flattened by the sequencer.
#include "sound/sequencer.h"

#include <algorithm>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/play_selection.h"

namespace {

OSErr Prepare(DocumentRecord *document, UInt32 rate, PlaybackPlan *plan);
void Release(DocumentRecord *document, PlaybackPlan *plan);
void Refresh(DocumentRecord *document, SoundStaffBlock *staves, UInt32 count);
SInt32 Resume(DocumentRecord *document);
SInt32 StaffIndex(DocumentRecord *document, StaffHandle staff);
void Playing(DocumentRecord *document);

const PlaybackScoreOps kScoreOps = {Prepare, Release, Refresh, Resume, StaffIndex, Playing, nullptr};

ScoreHandle Partition(DocumentRecord *document) {
    ScoreHandle score = document ? document->score : nullptr;
    return IsPartitionValide(score) ? score : nullptr;
}

}  // namespace

void RemplitPlanLecture(const PartitionSonRecord *p, PlaybackPlan *plan) {
    std::memset(plan, 0, sizeof *plan);
    plan->events = p->events;
    plan->eventCount = p->eventCount;
    plan->tempo = p->tempo;
    plan->tempoCount = p->tempoCount;
    plan->staffCount = p->staffCount;
    plan->startTick = p->tempoCount && p->startFrame > 0 ? p->tempo[0].played : p->startTick;
    plan->endTick = p->endTick;
    plan->loop = p->loop;
    plan->loopTick = p->loopTick;
}

void InstalleOpsPartitionLecture() { FixeOpsPartitionLecture(&kScoreOps); }

void FixeJoueSelection(SInt32 firstPart, SInt32 lastPart, SInt32 firstMeasure, SInt32 lastMeasure) {
    ScoreHandle score = partitionEnCours;
    if (!IsPartitionValide(score)) return;
    DocumentRecord *playing = GetDialogMusiqueEnCours();
    Boolean plays = playing && playing->score == score;
    if (firstMeasure < 0) {
        EffaceSelectionPartition(score);
        if (plays) RecaleMusiqueSurTick(0);
        return;
    }
    if (!FixeSelectionPartition(score, firstPart, lastPart, firstMeasure, lastMeasure, plays) || !plays) return;
    SInt32 start = (*score)->selectionStart, end = (*score)->selectionEnd;
    SInt32 heard = GetTempsEcritJoue();
    RecaleMusiqueSurTick(heard >= start && heard < end ? heard : start);
}

namespace {

// The prepared score is the plan's owner, a Ptr of its own.
OSErr Prepare(DocumentRecord *document, UInt32 rate, PlaybackPlan *plan) {
    std::memset(plan, 0, sizeof *plan);
    ScoreHandle score = Partition(document);
    if (!score) return paramErr;
    PartitionSonRecord *prepared = reinterpret_cast<PartitionSonRecord *>(NewPtrClear(sizeof(PartitionSonRecord)));
    if (!prepared) return memFullErr;
    SonPreparationRequest request = {score, rate, -1};
    OSErr err = PreparePartitionSon(&request, prepared);
    if (err != noErr) {
        DisposPtr(reinterpret_cast<Ptr>(prepared));
        return err;
    }
    RemplitPlanLecture(prepared, plan);
    // FIXME: digital-audio and sung staves stay silent in real time: the score's audio streams
    // have no reader until their storage gives them one (plan->streams stays empty).
    plan->owner = prepared;
    return noErr;
}

void Release(DocumentRecord *, PlaybackPlan *plan) {
    PartitionSonRecord *prepared = static_cast<PartitionSonRecord *>(plan->owner);
    if (prepared) {
        LiberePartitionSon(prepared);
        DisposPtr(reinterpret_cast<Ptr>(prepared));
    }
    std::memset(plan, 0, sizeof *plan);
}

void Refresh(DocumentRecord *document, SoundStaffBlock *staves, UInt32 count) {
    RafraichitBlocsPorteesSon(Partition(document), staves, count);
}

SInt32 Resume(DocumentRecord *document) { return document ? std::max<SInt32>(0, document->resumePosition) : 0; }

SInt32 StaffIndex(DocumentRecord *document, StaffHandle staff) {
    ScoreHandle score = Partition(document);
    return score && IsPorteeValide(staff) && (*staff)->score == score ? (*staff)->index : -1;
}

void Playing(DocumentRecord *document) { partitionEnCours = Partition(document); }

}  // namespace

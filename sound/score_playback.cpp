// The score side of real-time playback: documents flattened by the sequencer.
#include "sound/sequencer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/play_selection.h"

namespace {

OSErr Prepare(DocumentRecord *document, UInt32 rate, PlaybackPlan **plan);
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

// The plan is the first field of a prepared score, a Ptr of its own.
static_assert(offsetof(PartitionSonRecord, plan) == 0, "a plan's address is its prepared score's");

OSErr Prepare(DocumentRecord *document, UInt32 rate, PlaybackPlan **plan) {
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
    // FIXME: digital-audio and sung staves stay silent in real time: the score's audio streams
    // have no reader until their storage gives them one (plan.streams stays empty).
    *plan = &prepared->plan;
    return noErr;
}

void Release(DocumentRecord *, PlaybackPlan *plan) {
    PartitionSonRecord *prepared = reinterpret_cast<PartitionSonRecord *>(plan);
    LiberePartitionSon(prepared);
    DisposPtr(reinterpret_cast<Ptr>(prepared));
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

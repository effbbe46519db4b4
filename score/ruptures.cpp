// Reading the ruptures of a score.
#include "score/ruptures.h"

#include "platform/core/memory.h"

RuptureRecord *GetRupturePtr(ScoreHandle score, SInt32 index) {
    if (!IsPartitionValide(score) || !(*score)->ruptures || index < 0 || index >= (*score)->ruptureCount) return nullptr;
    if (UInt32(index + 1) * sizeof(RuptureRecord) > GetHandleSize((*score)->ruptures)) return nullptr;
    return reinterpret_cast<RuptureRecord *>(*(*score)->ruptures) + index;
}

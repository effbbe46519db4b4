// The plain one-line layout of measures.
#include "tools/demo_scores/strip_geometry.h"

#include <algorithm>

#include "score/musical_arithmetic.h"

namespace {

const float kEcartNotes = 1.2f;   // spaces between a measure's start and its first note, for accidentals
const float kFinMesure = 1.0f;    // spaces after the last note's place (the engraver's proportional rule)
const float kMinimumMesure = 4.0f;  // spaces of notes' room at least

}  // namespace

OSErr CalculeGeometrieBande(ScoreHandle score, SInt32 first, SInt32 count, float left, float space, float quarterWidth,
                            Boolean systemStart, float *measureX, float *notesX) {
    if (!IsPartitionValide(score) || !measureX || !notesX || count < 1 || count > kMaxMesuresSegment || first < 0 ||
        first > (*score)->measureCount - count || !(space >= 1 && space <= 1000) ||
        !(quarterWidth > 0 && quarterWidth <= 10000))
        return paramErr;
    float x = left;
    for (SInt32 i = 0; i < count; i++) {
        SInt32 measure = first + i;
        float room = 0;
        for (SInt16 s = 0; s < (*score)->staffCount; s++)
            room = std::max(room, LargeurDebutMesure(GetPortee(score, s), measure, space, systemStart && i == 0));
        measureX[i] = x;
        notesX[i] = x + room + kEcartNotes * space;
        float length = float(CvtMesureEnDureeMesure(score, measure)) / kTempsNoire * quarterWidth;
        x = notesX[i] + std::max(length, kMinimumMesure * space) + kFinMesure * space;
    }
    measureX[count] = x;
    return noErr;
}

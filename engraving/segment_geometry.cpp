// Where times and staff positions of a segment fall in the port: the x of a time (the
// geometry's own rule or the proportional one), the y of a diatonic position through the
// staff type, and the segment's measure of a time.
#include <algorithm>
#include <cmath>

#include "engraving/engraver_internal.h"
#include "engraving/staff_type_rows.h"
#include "score/musical_arithmetic.h"

namespace {

const float kMargeFin = 1.0f;          // spaces after the last note's place in a measure
const float kCoordonneeMax = 1.0e6f;   // an x from the caller's rule beyond this is not used

}  // namespace

float XTempsSegment(ScoreHandle score, const GeometrieSegment *g, SInt32 time) {
    if (g->timeToX) {
        float x = g->timeToX(g, time);
        if (std::isfinite(x) && std::fabs(x) < kCoordonneeMax) return x;
    }
    SInt32 last = g->firstMeasure + g->measureCount;
    SInt32 measure = CvtTempsEnMesure(score, time);
    if (time < CvtMesureEnTemps(score, g->firstMeasure)) return g->notesX[0];
    if (measure < 0 || measure >= last) return g->measureX[g->measureCount];
    SInt32 i = measure - g->firstMeasure;
    SInt32 start = CvtMesureEnTemps(score, measure);
    SInt32 length = std::max<SInt32>(1, CvtMesureEnDureeMesure(score, measure));
    float span = std::max(0.0f, g->measureX[i + 1] - g->notesX[i] - kMargeFin * g->space);
    return g->notesX[i] + float(double(time - start) / length) * span;
}

float YPosition(const SegmentContext *c, SInt32 time, SInt16 position) {
    return c->row->yOfPosition(c, time, position);
}

SInt16 PositionMedianeContexte(const SegmentContext *c, SInt32 time) { return PositionLigneMediane(c->staff, time); }

float XTemps(const SegmentContext *c, SInt32 time) { return XTempsSegment(c->score, c->g, time); }

SInt32 MesureSegment(const SegmentContext *c, SInt32 time) {
    SInt32 measure = CvtTempsEnMesure(c->score, time);
    if (measure < 0) measure = time < c->tStart ? c->g->firstMeasure : c->g->firstMeasure + c->g->measureCount - 1;
    return std::max<SInt32>(0, std::min<SInt32>(c->g->measureCount - 1, measure - c->g->firstMeasure));
}

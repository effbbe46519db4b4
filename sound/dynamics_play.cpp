// Velocity curves of the staves from their dynamics marks and hairpins.
#include "sound/dynamics_play.h"

#include <algorithm>
#include <cmath>

#include "platform/core/memory.h"
#include "score/dynamics_objects.h"
#include "score/notes.h"

namespace {

const SInt16 kPourcentsMarques[] = {20, 40, 60, 80, 100, 120, 160, 200};  // kinds 3..10
const UInt32 kDynamiqueFFF = kDynamiquePPP + 7;  // ppp pp p mp mf f ff fff: the marks heard
const double kRapportCrescendo = 2.0, kRapportDecrescendo = 0.5;

// A mark or a hairpin of the staff, in time order.
struct DynamicsEvent {
    SInt32 start, end;
    UInt32 kind;
    double ratio;     // a hairpin's end / start percentages
};

Boolean EstMarque(UInt32 kind) { return kind >= kDynamiquePPP && kind <= kDynamiqueFFF; }
Boolean EstSoufflet(UInt32 kind) { return kind == kDynamiqueCrescendo || kind == kDynamiqueDiminuendo; }
SInt32 CompteObjets(StaffHandle staff);
Handle ConstruitCourbe(StaffHandle staff);
void AjoutePoint(VelocityCurvePoint *points, SInt32 *count, SInt32 time, double percent, UInt8 ramp);

}  // namespace

SInt16 CvtTypeDynamiqueEnPourcentVelocite(UInt32 kind) {
    return EstMarque(kind) ? kPourcentsMarques[kind - kDynamiquePPP] : SInt16(100);
}

void PrepareDynamiquesPartition(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if ((*staff)->velocityCurve) DisposHandle((*staff)->velocityCurve);
        (*staff)->velocityCurve = nullptr;
        Handle curve = ConstruitCourbe(staff);
        (*staff)->velocityCurve = curve;
    }
}

double PourcentVelociteA(StaffHandle staff, SInt32 time) {
    if (!IsPorteeValide(staff)) return 100;
    if (!(*staff)->velocityCurve) {
        Handle curve = ConstruitCourbe(staff);
        (*staff)->velocityCurve = curve;
    }
    Handle curve = (*staff)->velocityCurve;
    SInt32 count = curve ? SInt32(GetHandleSize(curve) / sizeof(VelocityCurvePoint)) : 0;
    if (count == 0) return 100;
    const VelocityCurvePoint *points = reinterpret_cast<const VelocityCurvePoint *>(*curve);
    const VelocityCurvePoint *after = std::upper_bound(
        points, points + count, time, [](SInt32 t, const VelocityCurvePoint &p) { return t < p.time; });
    if (after == points) return 100;
    const VelocityCurvePoint &at = after[-1];
    if (!at.ramp || after == points + count || after->time <= at.time) return at.percent;
    double f = double(time - at.time) / double(after->time - at.time);
    return at.percent + f * (after->percent - at.percent);
}

SInt16 AppliquePourcentVelocite(StaffHandle staff, SInt16 velocity, SInt32 time) {
    double v = std::round(velocity * PourcentVelociteA(staff, time) / 100.0);
    return SInt16(std::min(127.0, std::max(0.0, v)));
}

Boolean CvtDynamiqueEnIndexNotes(StaffHandle staff, SInt32 object, SInt32 *first, SInt32 *last) {
    *first = *last = -1;
    if (!IsPorteeValide(staff) || object < 0 || object >= CompteObjets(staff)) return false;
    const DynamicsObject *o = reinterpret_cast<const DynamicsObject *>(*(*staff)->dynamics) + object;
    SInt32 start = o->startTime, end = std::max(o->startTime, o->endTime);
    SInt32 from = CvtTempsEnIndexNote(staff, start);
    SInt32 to = end >= kTempsMax ? (*staff)->noteCount : CvtTempsEnIndexNote(staff, end + 1);
    if (from >= to) return false;
    *first = from;
    *last = to - 1;
    return true;
}

namespace {

SInt32 CompteObjets(StaffHandle staff) {
    Handle objects = (*staff)->dynamics;
    if (!objects) return 0;
    return std::max<SInt32>(0, std::min<SInt32>((*staff)->dynamicsCount,
                                                SInt32(GetHandleSize(objects) / sizeof(DynamicsObject))));
}

// The staff's curve as a new handle, or null when it has no mark or hairpin (or no memory).
Handle ConstruitCourbe(StaffHandle staff) {
    SInt32 objects = CompteObjets(staff), n = 0;
    if (objects == 0) return nullptr;
    DynamicsEvent *events = reinterpret_cast<DynamicsEvent *>(NewPtr(UInt32(objects) * sizeof(DynamicsEvent)));
    if (!events) return nullptr;
    for (SInt32 i = 0; i < objects; i++) {
        const DynamicsObject *o = reinterpret_cast<const DynamicsObject *>(*(*staff)->dynamics) + i;
        if (!(EstMarque(o->kind) || EstSoufflet(o->kind)) || o->startTime < 0) continue;
        double ratio = o->kind == kDynamiqueCrescendo ? kRapportCrescendo : kRapportDecrescendo;
        if (o->startVelocity > 0 && o->endVelocity > 0) ratio = double(o->endVelocity) / o->startVelocity;
        events[n++] = {o->startTime, std::max(o->startTime, o->endTime), o->kind, ratio};
    }
    // Marks before hairpins at one time: a hairpin starts from the mark written with it.
    std::stable_sort(events, events + n, [](const DynamicsEvent &a, const DynamicsEvent &b) {
        return a.start != b.start ? a.start < b.start : EstMarque(a.kind) && !EstMarque(b.kind);
    });
    Handle curve = n ? NewHandle(UInt32(2 * n) * sizeof(VelocityCurvePoint)) : nullptr;
    if (!curve) {
        DisposPtr(reinterpret_cast<Ptr>(events));
        return nullptr;
    }
    VelocityCurvePoint *points = reinterpret_cast<VelocityCurvePoint *>(*curve);
    SInt32 count = 0;
    double level = 100;
    for (SInt32 i = 0; i < n; i++) {
        const DynamicsEvent &e = events[i];
        if (EstMarque(e.kind)) {
            level = CvtTypeDynamiqueEnPourcentVelocite(e.kind);
            AjoutePoint(points, &count, e.start, level, 0);
            continue;
        }
        double target = level * e.ratio;
        SInt32 end = e.end;
        for (SInt32 k = i + 1; k < n && !EstSoufflet(events[k].kind); k++) {
            if (events[k].start <= e.start) continue;
            target = CvtTypeDynamiqueEnPourcentVelocite(events[k].kind);
            end = std::min(end, events[k].start);
            break;
        }
        target = std::min<double>(target, kPourcentVelociteMax);
        if (end <= e.start || !std::isfinite(target)) continue;
        AjoutePoint(points, &count, e.start, level, 1);
        AjoutePoint(points, &count, end, target, 0);
        level = target;
    }
    DisposPtr(reinterpret_cast<Ptr>(events));
    SetHandleSize(curve, UInt32(count) * sizeof(VelocityCurvePoint));
    return curve;
}

// Points never go back in time: an overlapping hairpin starts where the curve stands.
void AjoutePoint(VelocityCurvePoint *points, SInt32 *count, SInt32 time, double percent, UInt8 ramp) {
    if (*count > 0 && time <= points[*count - 1].time) {
        VelocityCurvePoint &last = points[*count - 1];
        last.percent = float(percent);
        last.ramp = ramp;
        return;
    }
    points[(*count)++] = {time, float(percent), ramp};
}

}  // namespace

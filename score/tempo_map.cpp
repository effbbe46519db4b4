// Tempo maps of a score and the conversions between score time and milliseconds.
#include "score/tempo_map.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "score/dynamics_objects.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/played_measures.h"
#include "score/score_hooks.h"

namespace {

// A tempo mark found on a staff: from time on, the music goes at quarters a minute.
struct TempoMark {
    SInt32 time;
    double quarters;
};

// Process-wide, main thread: a score tempo below 1 is traced once.
struct TempoTraceRecord {
    Boolean zeroTraced;
};
TempoTraceRecord gTempoTrace;

const float kArrondiTempo = 0.005f;   // hundredths are stored rounded
const double kFractionTempo = 65535.0;
const SInt32 kEchantillonsParSeconde = 44100;  // digital tracks
const SInt32 kSegmentsDeDepart = 64;

// A map being built: a Ptr grown by doubling.
struct SegmentsEnCours {
    TempoSegment *segments;
    SInt32 count, capacity;
    OSErr err;  // the first failure; later additions do nothing
};

OSErr CollecteMarques(ScoreHandle score, TempoMark **marks, SInt32 *count);
double TempoA(const TempoMark *marks, SInt32 count, double base, SInt32 time);
void AjouteSegment(SegmentsEnCours *map, SInt32 time, double quarters);
double MsParUnite(double quarters) { return 60000.0 / (quarters * kTempsNoire); }
Handle Carte(ScoreHandle score, Boolean played);
SInt32 NombreSegments(Handle map);
SInt32 Sature(double value);

}  // namespace

double TempoPartition(ScoreHandle score) {
    if (!IsPartitionValide(score)) return 0;
    return (*score)->tempo + (*score)->tempoFraction / kFractionTempo;
}

float GetTempoFinPartition(ScoreHandle score) { return float(TempoPartition(score)); }

double GetTempoDepartPartition(ScoreHandle score) {
    if (!IsPartitionValide(score)) return kTempoDeSecours;
    double tempo = TempoPartition(score);
    if (!(tempo >= kTempoMin)) {
        if (!gTempoTrace.zeroTraced) PlugTrace("Tempo below 1: the score plays at 120");
        gTempoTrace.zeroTraced = true;
        return kTempoDeSecours;
    }
    return BorneTempo(tempo);
}

double BorneTempo(double quarters) {
    if (!(quarters >= kTempoMin)) return kTempoMin;
    return quarters > kTempoMax ? double(kTempoMax) : quarters;
}

double GetTempoMarque(const DynamicsObject *object) {
    if (!object || object->kind != kDynamiqueTempo || !object->inUse) return 0;
    if (object->values[0] == 0xFFFF || object->values[1] > 99) return 0;
    double beats = object->values[0] + object->values[1] / 100.0;
    if (beats < kTempoMin) return 0;
    double unit = object->beatUnitGiven && object->beatUnit > 0 ? object->beatUnit : kTempsNoire;
    return BorneTempo(beats * unit / kTempsNoire);
}

void InjecteTempoDansDynamique(DynamicsObject *object, float tempo) {
    if (!object || std::isnan(tempo)) return;
    float value = float(BorneTempo(tempo + kArrondiTempo));
    float whole = std::floor(value);
    object->values[0] = UInt16(whole);
    object->values[1] = UInt16(std::floor((value - whole) * 100));
}

void PrepareDynamiquesTempoPartition(ScoreHandle score) {
    LibereTableauCvtSec(score);
    if (!IsPartitionValide(score)) return;
    Handle played = Carte(score, true);
    Handle written = Carte(score, false);
    (*score)->tempoMapPlayed = played;
    (*score)->tempoMapWritten = written;
}

void LibereTableauCvtSec(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    Handle *maps[] = {&(*score)->tempoMapPlayed, &(*score)->tempoMapWritten};
    for (Handle *map : maps) {
        if (*map) DisposHandle(*map);
        *map = nullptr;
    }
}

SInt32 CvtTempsJoueEnMs(ScoreHandle score, SInt32 time, Boolean played) {
    Handle map = Carte(score, played);
    SInt32 count = NombreSegments(map);
    if (count == 0) return 0;
    return Sature(std::round(MsDeSegments(reinterpret_cast<const TempoSegment *>(*map), count, time)));
}

SInt32 CvtMsEnTempsJoue(ScoreHandle score, SInt32 ms, Boolean played) {
    Handle map = Carte(score, played);
    SInt32 count = NombreSegments(map);
    if (count == 0) return 0;
    const TempoSegment *segments = reinterpret_cast<const TempoSegment *>(*map);
    if (ms < segments[0].ms) return 0;
    return Sature(std::trunc(TempsDeSegments(segments, count, ms)));
}

void ReajusteValeurDynamiqueTempoAffiche(ScoreHandle score, float oldTempo) {
    if (!IsPartitionValide(score)) return;
    double now = TempoPartition(score);
    if (oldTempo >= kTempoMin && now >= kTempoMin) {
        double ratio = now / oldTempo;
        for (SInt16 s = 0; s < (*score)->staffCount; s++) {
            StaffHandle staff = GetPortee(score, s);
            if (!(*staff)->dynamics) continue;
            SInt32 count = std::min<SInt32>((*staff)->dynamicsCount,
                                            SInt32(GetHandleSize((*staff)->dynamics) / sizeof(DynamicsObject)));
            DynamicsObject *objects = reinterpret_cast<DynamicsObject *>(*(*staff)->dynamics);
            for (SInt32 i = 0; i < count; i++) {
                if (objects[i].kind != kDynamiqueTempo || GetTempoMarque(&objects[i]) <= 0) continue;
                InjecteTempoDansDynamique(&objects[i], float((objects[i].values[0] + objects[i].values[1] / 100.0) * ratio));
            }
        }
    }
    // The sung tracks follow the tempo: every sung staff is to be sung again.
    for (SInt16 s = 0; s < (*score)->staffCount; s++)
        if ((*GetPortee(score, s))->sung) HookPorteeACalculer(GetPortee(score, s));
    LibereTableauCvtSec(score);
}

OSErr CalculeSegmentsTempo(ScoreHandle score, Boolean played, TempoSegment **segments, SInt32 *count) {
    *segments = nullptr;
    *count = 0;
    if (!IsPartitionValide(score)) return paramErr;
    TempoMark *marks = nullptr;
    SInt32 markCount = 0;
    OSErr err = CollecteMarques(score, &marks, &markCount);
    if (err != noErr) return err;
    double base = GetTempoDepartPartition(score);
    SegmentsEnCours map = {nullptr, 0, 0, noErr};
    AjouteSegment(&map, 0, TempoA(marks, markCount, base, 0));
    if (!played) {
        // Written: a segment at each mark.
        for (SInt32 i = 0; i < markCount; i++) AjouteSegment(&map, marks[i].time, marks[i].quarters);
    } else {
        // Played: a segment at each played measure's start and at each mark inside it.
        SInt64 start = 0;
        SInt32 measures = GetNbMesuresJouees(score);
        for (SInt32 k = 0; k < measures && start < kTempsMax && map.err == noErr; k++) {
            SInt32 measure = CvtMesureJoueeEnMesure(score, k);
            SInt32 written = CvtMesureEnTemps(score, measure), length = CvtMesureEnDureeMesure(score, measure);
            if (written < 0 || length <= 0) continue;
            const TempoMark *inside = std::upper_bound(marks, marks + markCount, written,
                                                       [](SInt32 t, const TempoMark &m) { return t < m.time; });
            const TempoMark *end = std::lower_bound(inside, static_cast<const TempoMark *>(marks + markCount),
                                                    SInt64(written) + length,
                                                    [](const TempoMark &m, SInt64 t) { return m.time < t; });
            AjouteSegment(&map, SInt32(start), TempoA(marks, markCount, base, written));
            for (; inside < end; inside++) AjouteSegment(&map, SInt32(start + inside->time - written), inside->quarters);
            start += length;
        }
    }
    if (marks) DisposPtr(reinterpret_cast<Ptr>(marks));
    if (map.err != noErr) {
        if (map.segments) DisposPtr(reinterpret_cast<Ptr>(map.segments));
        return map.err;
    }
    *segments = map.segments;
    *count = map.count;
    return noErr;
}

double MsDeSegments(const TempoSegment *segments, SInt32 count, double time) {
    if (count <= 0) return 0;
    const TempoSegment *at = std::upper_bound(segments, segments + count, time,
                                              [](double t, const TempoSegment &s) { return t < s.time; });
    if (at != segments) at--;
    return at->ms + (time - at->time) * at->msPerUnit;
}

double TempsDeSegments(const TempoSegment *segments, SInt32 count, double ms) {
    if (count <= 0) return 0;
    const TempoSegment *at = std::upper_bound(segments, segments + count, ms,
                                              [](double m, const TempoSegment &s) { return m < s.ms; });
    if (at != segments) at--;
    return at->time + (ms - at->ms) / at->msPerUnit;
}

SInt32 CvtPosPisteEnTempsEcrit(ScoreHandle score, SInt32 samplePosition) {
    SInt32 ms = LMulDiv(samplePosition, 1000, kEchantillonsParSeconde);
    return CvtTempsJoueEnTempsEcrit(score, CvtMsEnTempsJoue(score, ms, kTrue));
}

namespace {

// The tempo marks of every staff sorted by time; a later staff's mark wins at equal times.
OSErr CollecteMarques(ScoreHandle score, TempoMark **marks, SInt32 *count) {
    *marks = nullptr;
    *count = 0;
    SInt32 total = 0;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if ((*staff)->dynamics) total += std::max<SInt32>(0, (*staff)->dynamicsCount);
    }
    if (total == 0) return noErr;
    TempoMark *out = reinterpret_cast<TempoMark *>(NewPtr(UInt32(total) * sizeof(TempoMark)));
    if (!out) return memFullErr;
    SInt32 n = 0;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if (!(*staff)->dynamics) continue;
        SInt32 objects = std::min<SInt32>((*staff)->dynamicsCount,
                                          SInt32(GetHandleSize((*staff)->dynamics) / sizeof(DynamicsObject)));
        for (SInt32 i = 0; i < objects && n < total; i++) {
            const DynamicsObject *object = reinterpret_cast<const DynamicsObject *>(*(*staff)->dynamics) + i;
            double quarters = GetTempoMarque(object);
            if (quarters > 0 && object->startTime >= 0) out[n++] = {object->startTime, quarters};
        }
    }
    std::stable_sort(out, out + n, [](const TempoMark &a, const TempoMark &b) { return a.time < b.time; });
    *marks = out;
    *count = n;
    return noErr;
}

double TempoA(const TempoMark *marks, SInt32 count, double base, SInt32 time) {
    const TempoMark *after =
        std::upper_bound(marks, marks + count, time, [](SInt32 t, const TempoMark &m) { return t < m.time; });
    return after == marks ? base : (after - 1)->quarters;
}

// A segment at time (not before the last one) unless the tempo stays the same; the array grows
// by doubling up to kMaxSegmentsTempo.
void AjouteSegment(SegmentsEnCours *map, SInt32 time, double quarters) {
    if (map->err != noErr) return;
    double perUnit = MsParUnite(quarters);
    TempoSegment next = {time, 0.0, perUnit};
    if (map->count > 0) {
        TempoSegment &last = map->segments[map->count - 1];
        if (last.msPerUnit == perUnit) return;
        if (time <= last.time) {
            last.msPerUnit = perUnit;
            return;
        }
        next.ms = last.ms + (double(time) - last.time) * last.msPerUnit;
    }
    if (map->count == map->capacity) {
        SInt32 grown = map->capacity ? map->capacity * 2 : kSegmentsDeDepart;
        TempoSegment *bigger = grown <= kMaxSegmentsTempo
                                   ? reinterpret_cast<TempoSegment *>(NewPtr(UInt32(grown) * sizeof(TempoSegment)))
                                   : nullptr;
        if (!bigger) {
            map->err = memFullErr;
            return;
        }
        if (map->segments) {
            std::memcpy(bigger, map->segments, UInt32(map->count) * sizeof(TempoSegment));
            DisposPtr(reinterpret_cast<Ptr>(map->segments));
        }
        map->segments = bigger;
        map->capacity = grown;
    }
    map->segments[map->count++] = next;
}

// The score's map, built when missing.
Handle Carte(ScoreHandle score, Boolean played) {
    if (!IsPartitionValide(score)) return nullptr;
    Handle *slot = played ? &(*score)->tempoMapPlayed : &(*score)->tempoMapWritten;
    if (*slot) return *slot;
    TempoSegment *segments = nullptr;
    SInt32 count = 0;
    if (CalculeSegmentsTempo(score, played, &segments, &count) != noErr) return nullptr;
    Handle map = nullptr;
    PtrToHand(segments, &map, SInt32(UInt32(count) * sizeof(TempoSegment)));
    DisposPtr(reinterpret_cast<Ptr>(segments));
    slot = played ? &(*score)->tempoMapPlayed : &(*score)->tempoMapWritten;
    *slot = map;
    return map;
}

SInt32 NombreSegments(Handle map) { return map ? SInt32(GetHandleSize(map) / sizeof(TempoSegment)) : 0; }

SInt32 Sature(double value) {
    if (!(value > -2147483647.0)) return value != value ? 0 : SInt32(-2147483647);
    return value >= 2147483647.0 ? SInt32(2147483647) : SInt32(value);
}

}  // namespace

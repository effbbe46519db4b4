// The spacing hook and the room of a system's opening signs.
#include "layout/spacing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engraving/engraver.h"
#include "engraving/staff_type_rows.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/ruptures.h"

namespace {

const double kPixelsParUnite = 10.0 / 10080.0;  // at 72 dpi and scale 1000
const double kDpiBase = 72.0;
const double kEchelleNormale = 1000.0;
const float kPointsParEspace = 6.0f;
const float kEcartDebut = 1.0f;     // spaces between a bar line and the first note (its accidental)
const float kEcartApresSignes = 0.5f;  // spaces added after the signs a measure opens with
const float kFinMesure = 1.0f;      // spaces between the last note's room and the bar line
const float kRepriseFin = 1.5f;     // spaces the dots of a repeat end take before its bar
const float kTete = 1.2f;           // spaces of a head
const float kAlteration = 1.0f;     // of an accidental before it
const float kPoint = 0.5f;          // of a dot after it
const float kEcartNotesDefaut = 0.5f;  // spaces between two notes when the measure gives none
const SInt32 kMarqueAbsente = -1;

struct RoomRecord {
    SInt32 shortest;      // units, kTempsMax when the measure holds no note
    Boolean accidental;
    Boolean dotted;
};

void CollecteNotes(ScoreHandle score, SInt32 first, SInt32 count, std::vector<RoomRecord> *rooms);
Boolean EstPointee(SInt32 duration);
std::vector<Boolean> FinsReprises(ScoreHandle score, SInt32 first, SInt32 count);
float EspacePortee(StaffHandle staff, SInt16 dpi);

}  // namespace

void EspaceMesures(ScoreHandle score, SInt32 first, SInt32 count, SInt16 dpi) {
    if (!IsPartitionValide(score) || dpi <= 0) return;
    first = std::max<SInt32>(0, first);
    count = std::min<SInt32>(count, (*score)->measureCount - first);
    if (count <= 0) return;
    float space = EspaceReference(score, dpi);
    std::vector<RoomRecord> rooms;
    CollecteNotes(score, first, count, &rooms);
    std::vector<Boolean> repeatEnds = FinsReprises(score, first, count);
    std::vector<float> start(size_t(count), 0.0f);
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if (!IsPorteeTracee(staff)) continue;
        float staffSpace = EspacePortee(staff, dpi);
        for (SInt32 i = 0; i < count; i++)
            start[size_t(i)] = std::max(start[size_t(i)], LargeurDebutMesure(staff, first + i, staffSpace, kFalse));
    }
    for (SInt32 i = 0; i < count; i++) {
        MeasureElement *m = GetMesurePtr(score, first + i);
        if (!m) break;
        double scale = m->scale > 0 && std::isfinite(m->scale) ? m->scale : m->widthScale > 0 ? m->widthScale : kEchelleNormale;
        double proportional = double(m->length) * kPixelsParUnite * scale / kEchelleNormale * dpi / kDpiBase;
        const RoomRecord &room = rooms[size_t(i)];
        if (room.shortest > 0 && room.shortest < kTempsMax) {
            float gap = m->minimumGap > 0 ? float(m->minimumGap) / kPointsParEspace : kEcartNotesDefaut;
            double need = kTete + gap + (room.accidental ? kAlteration : 0) + (room.dotted ? kPoint : 0);
            proportional = std::max(proportional, double(m->length) / room.shortest * need * space);
        }
        float opening = start[size_t(i)] > 0 ? start[size_t(i)] + kEcartApresSignes * space : kEcartDebut * space;
        if (m->leftMargin != kMarqueAbsente && m->leftMargin > 0) opening += float(m->leftMargin) * dpi / kDpiBase;
        float closing = kFinMesure * space + (repeatEnds[size_t(i)] ? kRepriseFin * space : 0);
        if (m->rightMargin != kMarqueAbsente && m->rightMargin > 0) closing += float(m->rightMargin) * dpi / kDpiBase;
        m->startMarginPixels = SInt32(std::lround(opening));
        m->proportionalPixels = SInt32(std::lround(std::min(proportional, 1.0e8)));
        m->endMarginPixels = SInt32(std::lround(closing));
    }
}

float EspaceReference(ScoreHandle score, SInt16 dpi) {
    float space = 0;
    for (SInt16 s = 0; IsPartitionValide(score) && s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if (IsPorteeTracee(staff)) space = std::max(space, EspacePortee(staff, dpi));
    }
    return space > 0 ? space : kPointsParEspace * float(dpi) / float(kDpiBase);
}

float LargeurDebutSysteme(ScoreHandle score, SInt32 measure, SInt16 dpi) {
    float width = 0;
    for (SInt16 s = 0; IsPartitionValide(score) && s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if (IsPorteeTracee(staff)) width = std::max(width, LargeurDebutMesure(staff, measure, EspacePortee(staff, dpi), kTrue));
    }
    float space = EspaceReference(score, dpi);
    return width > 0 ? width + kEcartApresSignes * space : kEcartDebut * space;
}

Boolean IsPorteeTracee(StaffHandle staff) { return IsPorteeValide(staff) && GetTypePorteeGravure(staff)->drawn; }

namespace {

// Per measure: the shortest note or rest that starts in it on any drawn staff, and whether a
// note of that length carries an accidental or a dot.
void CollecteNotes(ScoreHandle score, SInt32 first, SInt32 count, std::vector<RoomRecord> *rooms) {
    rooms->assign(size_t(count), RoomRecord{kTempsMax, kFalse, kFalse});
    SInt32 from = CvtMesureEnTemps(score, first), to = CvtMesureEnTemps(score, first + count);
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if (!IsPorteeTracee(staff)) continue;
        SInt32 measure = first;
        for (SInt32 i = CvtTempsEnIndexNote(staff, from); i < (*staff)->noteCount; i++) {
            const NoteRecord *note = GetNotePtr(staff, i);
            if (note->time >= to) break;
            if (note->pitch == kPitchSuiteAccord || note->duration == 0) continue;
            while (measure + 1 < first + count && CvtMesureEnTemps(score, measure + 1) <= note->time) measure++;
            RoomRecord &room = (*rooms)[size_t(measure - first)];
            UInt32 length = note->duration;  // a packed field: read by value
            SInt32 duration = SInt32(std::min<UInt32>(length, UInt32(kTempsMax)));
            UInt8 code = note->accidental & kAlterationCode;
            Boolean accidental = note->pitch >= 0 && code != kAlterationAucune && !(note->accidental & kAlterationCachee);
            if (duration < room.shortest) room = RoomRecord{duration, accidental, EstPointee(duration)};
            else if (duration == room.shortest) room.accidental = room.accidental || accidental;
        }
    }
}

// A dotted or double-dotted plain value (breve to 128th).
Boolean EstPointee(SInt32 duration) {
    for (SInt32 base = 2 * kTempsRonde; base >= kTempsRonde / 128; base /= 2)
        if (duration == base * 3 / 2 || duration == base * 7 / 4) return kTrue;
    return kFalse;
}

// Measures whose end carries a repeat end.
std::vector<Boolean> FinsReprises(ScoreHandle score, SInt32 first, SInt32 count) {
    std::vector<Boolean> ends(size_t(count), kFalse);
    for (SInt32 i = 0; i < (*score)->ruptureCount; i++) {
        const RuptureRecord *r = GetRupturePtr(score, i);
        if (!r || r->kind != kRuptureFinReprise) continue;
        SInt32 measure = CvtTempsEnMesure(score, std::max<SInt32>(0, r->time - 1));
        if (measure >= first && measure < first + count) ends[size_t(measure - first)] = kTrue;
    }
    return ends;
}

float EspacePortee(StaffHandle staff, SInt16 dpi) {
    const StaffRecord *p = *staff;
    float lineSpacing = p->lineSpacing > 0 && p->lineSpacing < 1000 ? p->lineSpacing : kPointsParEspace;
    float size = p->size > 0 ? p->size : 72;
    float space = lineSpacing * size / 72.0f * float(dpi) / float(kDpiBase);
    return std::max(1.0f, std::min(space, 1000.0f));
}

}  // namespace

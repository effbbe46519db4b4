// ctest-labels: engraving
// Bytes as a script of the engraver's calls with hostile arguments on one score of two staves:
// notes with any field, marks, grace notes, links and their blocks, slur shapes, dynamics and
// tempo objects, ruptures, staff lines, types and heights, key and clef changes, then the
// score drawn as strips at a staff space the script chooses. Every drawing of a valid geometry
// answers noErr, and the link sweep leaves only whole links.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzz_support.h"
#include "engraving/engraver.h"
#include "engraving/links.h"
#include "engraving/staff_services.h"
#include "tools/demo_scores/strip_geometry.h"
#include "score/tempo_objects.h"
#include "fuzz_quickdraw.h"
#include "graphics/text/font_table.h"
#include "platform/core/memory.h"
#include "score/dynamics_objects.h"
#include "engraving/music_font.h"
#include "score/note_params.h"
#include "score/ruptures.h"
#include "score/score_hooks.h"
#include "tests/support/score_support.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// The input's bytes with the wider reads this script needs.
struct Arguments : FuzzReader {
    SInt16 Short() { return Word(); }
    SInt32 Long() {
        UInt32 high = UInt16(Word());
        return SInt32(high << 16 | UInt16(Word()));
    }
    // Mostly a time on a sixteenth grid of the first few measures, sometimes any value.
    SInt32 Time() {
        if (Byte() >= 240) return Long();
        return SInt32(Byte()) * 5040;
    }
};

StaffHandle AnyStaff(ScoreHandle score, Arguments &a) { return GetPortee(score, SInt16(a.Byte() % (*score)->staffCount)); }

// A note index of the staff, sometimes outside it.
SInt32 AnyIndex(StaffHandle staff, Arguments &a) {
    UInt8 pick = a.Byte();
    SInt32 count = (*staff)->noteCount;
    return pick < 240 && count > 0 ? SInt32(pick) % count : SInt32(SInt8(pick));
}

void StepNote(StaffHandle staff, Arguments &a) {
    NoteRecord note;
    RazNote(&note, 60, 10080);
    SInt16 pitch = SInt16(SInt8(a.Byte()));
    SInt32 duration = a.Byte() < 240 ? SInt32(a.Byte() % 32 + 1) * 2520 : a.Long();
    SInt32 time = a.Time();
    SInt32 index = InsereNote(staff, &note, time, 0, 1);
    NoteRecord *n = GetNotePtr(staff, index);
    if (!n) return;
    // Fields written after insertion, as a hostile importer could leave them.
    n->pitch = SInt8(pitch);
    n->duration = UInt32(duration);
    n->chordFlags = UInt8(n->chordFlags | (a.Byte() & ~kAccordChaine));
    n->accidental = a.Byte();
    n->tuplet = a.Byte();
    n->stemLength = SInt8(a.Byte());
    n->stemDirection = a.Byte();
    n->notehead = a.Byte();
    n->offsetX = SInt8(a.Byte());
    n->restPosition = SInt8(a.Byte());
}

void StepMark(StaffHandle staff, Arguments &a) {
    MarkRecord mark;
    std::memset(&mark, 0, sizeof mark);
    mark.type = a.Byte();
    mark.placement = a.Byte();
    mark.offsetX = SInt8(a.Byte());
    mark.offsetY = SInt8(a.Byte());
    mark.stemRelative = a.Byte() & 1;
    mark.symbol = a.Byte();
    AjouteMarqueNote(staff, AnyIndex(staff, a), &mark);
}

void StepGrace(StaffHandle staff, Arguments &a) {
    NoteEffectRecord *record = CreeParamEffetIndexNote(staff, AnyIndex(staff, a));
    if (!record) return;
    GraceEntry &entry = record->graces[a.Byte() % kMaxAppoggiatures];
    entry.used = 1;
    entry.placement = a.Byte() % 3;
    entry.interval = SInt8(a.Byte());
    entry.accidental = a.Byte();
    entry.noteType = a.Byte();
    record->grace = 1;
    record->graceSize = a.Byte();
    record->graceSlash = a.Byte() & 1;
    record->graceSlurred = a.Byte() & 1;
    record->graceStemDown = a.Byte() & 1;
}

void StepLink(ScoreHandle score, Arguments &a) {
    StaffHandle from = AnyStaff(score, a), to = AnyStaff(score, a);
    SInt32 source = AnyIndex(from, a), destination = AnyIndex(to, a);
    UInt32 id = UInt32(a.Byte());
    SInt16 kind = SInt16(a.Byte() % 3);
    switch (a.Byte() % 5) {
        case 0: SetLiaison(from, source, to, destination, kind); break;
        case 1: SetLiaisonSourceNote(from, source, id, kind, UInt16(a.Byte() % 4)); break;
        case 2: SetLiaisonDestNote(to, destination, id, kind, UInt16(a.Byte() % 4)); break;
        case 3: LieDeuxNotes(from, source, destination); break;
        default: {
            TieDataRecord tie;
            for (size_t i = 0; i < sizeof tie; i++) reinterpret_cast<UInt8 *>(&tie)[i] = a.Byte();
            SetDataLiaisonNote(from, source, &tie);
            BeamDataRecord beam = {a.Short(), a.Short(), a.Byte()};
            SetDataAccrocheNote(from, source, &beam);
            SInt16 values[6];
            for (SInt16 &v : values) v = a.Short();
            SetParamLiaisonCouleNote(from, source, values[0], values[1], values[2], values[3], values[4], values[5]);
            SetEpaisseurLiaisonCouleNote(from, source, a.Short());
            break;
        }
    }
}

void StepObject(StaffHandle staff, Arguments &a) {
    if (a.Byte() & 1) {
        UInt32 bits = UInt32(a.Long());
        float tempo;
        std::memcpy(&tempo, &bits, sizeof tempo);
        AjouteObjetTempo((*staff)->score, staff, a.Time(), tempo);
        return;
    }
    DynamicsObject *o = GetDynamiquePtr(staff, NewDynamique(staff));
    if (!o) return;
    o->kind = a.Byte() % 40;
    o->inUse = 1;
    o->startTime = a.Time();
    o->endTime = a.Byte() < 200 ? o->startTime + SInt32(a.Byte()) * 5040 : a.Long();
    o->top = a.Byte() < 200 ? SInt8(a.Byte()) : a.Long();
    o->bottom = a.Byte() < 200 ? o->top + a.Byte() : a.Long();
    o->startOffset = a.Short();
    o->endOffset = a.Short();
    o->beatUnit = a.Long();
    for (size_t i = 0, n = a.Byte() % 12; i < n; i++) o->text[i] = char(a.Byte());
}

void StepRupture(ScoreHandle score, Arguments &a) {
    SInt32 count = (*score)->ruptureCount;
    if (count >= 64) return;
    Handle h = (*score)->ruptures;
    if (!h) h = (*score)->ruptures = NewHandleClear(sizeof(RuptureRecord));
    else SetHandleSize(h, UInt32(count + 1) * sizeof(RuptureRecord));
    if (!h || MemError() != noErr) return;
    (*score)->ruptureCount = count + 1;
    RuptureRecord *r = GetRupturePtr(score, count);
    std::memset(r, 0, sizeof *r);
    r->kind = SInt16(SInt8(a.Byte()) % 20);
    r->time = a.Time();
    r->endings[a.Byte() % kRuptureFins] = a.Byte();
    r->parameter = a.Short();
    r->passCount = a.Short();
    r->passage = a.Byte() % 4;
    r->textSize = a.Short();
    for (size_t i = 0, n = a.Byte() % 16; i < n; i++) r->text[i] = char(a.Byte());
}

void StepStaff(ScoreHandle score, Arguments &a) {
    StaffHandle staff = AnyStaff(score, a);
    switch (a.Byte() % 6) {
        case 0: FixeTypePortee(staff, a.Byte() < 240 ? a.Byte() % 12 : UInt32(a.Long())); break;
        case 1:
            (*staff)->lineCount = a.Short();
            (*staff)->shownLines = UInt16(a.Short());
            break;
        case 2: SetHauteurPortee(staff, a.Short()); break;
        case 3: {
            KeySignature key;
            CvtTonaliteStdEnTonalite(SInt16(a.Byte() % 15), 1, &key);
            FixeTonaliteMesure(score, staff, a.Byte() % 8, &key, 0);
            break;
        }
        case 4: {
            ClefRecord clef;
            CvtTypeClefEnClefStandard(SInt16(a.Byte() % 4), &clef);
            clef.lineOffset = SInt8(a.Byte() % 5 - 2);
            clef.octave = SInt8(a.Byte() % 3 - 1);
            FixeClefMesure(score, staff, a.Byte() % 8, &clef, 0);
            break;
        }
        default:
            (*staff)->beamThickness = a.Byte();
            (*staff)->noteheadMode = a.Byte() % 3;
            (*staff)->mergeMode = a.Byte() % 3;
            break;
    }
}

// The whole score in systems of up to 16 measures at a space of 3 to 34 pixels.
void Draw(ScoreHandle score, Arguments &a) {
    float space = 3 + a.Byte() % 32;
    SInt32 measures = (*score)->measureCount;
    for (SInt32 first = 0; first < measures; first += 16) {
        SInt32 count = std::min<SInt32>(16, measures - first);
        std::vector<float> measureX(size_t(count) + 1), notesX(static_cast<size_t>(count));
        Check(CalculeGeometrieBande(score, first, count, 10, space, 5 * space, first == 0, measureX.data(),
                                    notesX.data()) == noErr);
        for (SInt16 s = 0; s < (*score)->staffCount; s++) {
            GeometrieSegment g = {first, count, measureX.data(), notesX.data(), nullptr, nullptr, 10, 4 * space, space,
                                  1, UInt8(kSegmentDebutSysteme | (s == 0 ? kSegmentMarquesSysteme : 0))};
            Check(TracePorteeSegment(GetPortee(score, s), &g) == noErr);
        }
    }
}

// After the sweep, every link end left has its other end.
void CheckWholeLinks(ScoreHandle score) {
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        for (SInt32 i = 0; i < (*staff)->noteCount; i++)
            for (SInt16 kind : {0, 1}) {
                LinkEndRecord other;
                if (GetLiaisonSourceNote(staff, i, kind, nullptr))
                    Check(GetAutreBoutLiaison(staff, i, kLiaisonSource, kind, &other));
                if (GetLiaisonDestNote(staff, i, kind, nullptr))
                    Check(GetAutreBoutLiaison(staff, i, kLiaisonDestination, kind, &other));
            }
    }
}

// The built music font, found beside the program in the build tree.
void StartFont() {
    char exe[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, n > 0 ? size_t(n) : 0);
    for (int up = 0; up < 4 && path.rfind('/') != std::string::npos; up++) {
        path.erase(path.rfind('/'));
        if (access((path + "/fonts/Quorella.ttf").c_str(), R_OK) == 0) {
            SystemDependantInstalleFonteLocale((path + "/fonts/Quorella.ttf").c_str(), true);
            break;
        }
    }
    InitLentara();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static GrafPort *port = nullptr;
    if (!port) {
        FuzzStartQuickDraw();
        FuzzQuietMessages();
        StartFont();
        InitGravure();
        port = FuzzNewPort(640, 320);
    }
    SetPort(port);
    ScoreFixture f;
    f.Staff();
    f.Staff();
    Arguments a;
    a.bytes = OrvaByteReader(data, size);
    SInt32 steps = 0;
    while (a.More() && steps++ < 400) {
        UInt8 op = a.Byte();
        StaffHandle staff = AnyStaff(f.score, a);
        switch (op % 10) {
            case 0:
            case 1: StepNote(staff, a); break;
            case 2: StepMark(staff, a); break;
            case 3: StepGrace(staff, a); break;
            case 4: StepLink(f.score, a); break;
            case 5: StepObject(staff, a); break;
            case 6: StepRupture(f.score, a); break;
            case 7: StepStaff(f.score, a); break;
            case 8: Draw(f.score, a); break;
            default:
                if (a.Byte() & 1) AjusteCoulesPartition(f.score);
                else {
                    GarbageLiaisonsPartition(f.score);
                    CheckWholeLinks(f.score);
                }
                break;
        }
    }
    Draw(f.score, a);
    GarbageLiaisonsPartition(f.score);
    CheckWholeLinks(f.score);
    Draw(f.score, a);
    return 0;
}

// ctest-labels: score-model
// Bytes as a script of editing and measure calls with hostile arguments on one score: each
// step is an operation byte and up to eight argument bytes. After every step the score keeps
// its invariants: notes in time order, chain bits only within one time, measure starts without
// gaps, and every search answering within the table.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "score/engine_facade.h"
#include "score/part_groups.h"
#include "score/score_hooks.h"
#include "score/staff_types.h"
#include "tests/support/score_support.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// The argument reader: bytes past the end read as 0.
struct Arguments {
    const uint8_t *data;
    size_t size, at;
    UInt8 Byte() { return at < size ? data[at++] : 0; }
    SInt32 Long() {
        UInt32 value = 0;
        for (int i = 0; i < 4; i++) value = value << 8 | Byte();
        return SInt32(value);
    }
    // Mostly small values near the table, sometimes any 32-bit value.
    SInt32 Index(SInt32 near) {
        UInt8 kind = Byte();
        return kind < 200 ? SInt32(kind % 8) + near - 4 : Long();
    }
};

StaffHandle AnyStaff(ScoreHandle score, Arguments &a) {
    SInt16 count = (*score)->staffCount;
    UInt8 pick = a.Byte();
    return count > 0 && pick < 240 ? GetPortee(score, SInt16(pick % count)) : nullptr;
}

TimeSignature AnySignature(Arguments &a) {
    TimeSignature signature = Signature(SInt16(SInt8(a.Byte())), SInt16(a.Byte() % 40));
    GetDefautMasqueAccroche(signature.numerator, signature.beamMask);
    return signature;
}

void Step(ScoreFixture &f, UInt8 op, Arguments &a) {
    ScoreHandle score = f.score;
    SInt32 measures = (*score)->measureCount;
    SInt32 end = CvtMesureEnTemps(score, measures);
    switch (op % 16) {
        case 0:
        case 1: {
            StaffHandle staff = AnyStaff(score, a);
            NoteRecord note;
            RazNote(&note, SInt16(SInt8(a.Byte())), a.Byte() < 250 ? SInt32(a.Byte() + 1) * 2520 : a.Long());
            note.chordFlags = a.Byte();
            SInt32 time = a.Byte() < 240 ? SInt32(a.Byte()) * 5040 : a.Long();
            if (op % 16 == 0) InsereNote(staff, &note, time, 0, a.Byte() & 1);
            else AjouteNote(staff, &note, time, 1);
            break;
        }
        case 2: {
            TimeSignature signature = AnySignature(a);
            SInt32 at = a.Index(measures);
            InsereMesureChangeEchelleMesure(score, at, a.Index(4), a.Byte() & 1, &signature, 1);
            break;
        }
        case 3: DoDeleteMesures(score, a.Index(measures / 2), a.Index(3), a.Byte() & 1, a.Byte() & 1, UInt16(a.Byte() < 128 ? kToutesPortees : a.Byte() % 4), 1); break;
        case 4: {
            TimeSignature signature = AnySignature(a);
            FixeDivisionMesurePartition(score, a.Index(measures / 2), &signature, 1, 0, a.Byte() & 1);
            break;
        }
        case 5: {
            KeySignature key;
            CvtTonaliteStdEnTonalite(SInt16(a.Byte() % 15), a.Byte() & 1, &key);
            if (a.Byte() > 200) key.kind = a.Byte();
            FixeTonaliteMesure(score, AnyStaff(score, a), a.Index(measures / 2), &key, 0);
            break;
        }
        case 6: {
            ClefRecord clef;
            CvtTypeClefEnClefStandard(SInt16(a.Byte() % 4), &clef);
            clef.octave = SInt8(a.Byte() % 9 - 4);
            FixeClefMesure(score, AnyStaff(score, a), a.Index(measures / 2), &clef, 0);
            break;
        }
        case 7: CreePorteeVide(score, a.Byte() % 12, 1, 0); break;
        case 8: SupprimePorteesVides(score, a.Byte() & 1); break;
        case 9: DoTransposeRapide(f.document, SInt16(SInt8(a.Byte()) % 16)); break;
        case 10: {
            SInt32 time = a.Byte() < 200 ? SInt32(a.Byte()) * 10080 : a.Long();
            SInt32 m = CvtTempsEnMesure(score, time);
            Check(m < 0 ? time < 0 || time >= end : CvtMesureEnTemps(score, m) <= time && time < CvtMesureEnTemps(score, m + 1));
            StaffHandle staff = AnyStaff(score, a);
            if (staff && (*staff)->noteCount > 0) {
                SInt32 index = SInt32(a.Byte()) % (*staff)->noteCount;
                NoteRecord note = *GetNotePtr(staff, index);
                SInt16 position, shown;
                CalcPosAlterationFnNote(staff, &note, &position, &shown, index, note.time);
                Check(shown >= 0 && shown <= kAlterationDoubleBemol);
                CalculeSensHampe(staff, index);
            }
            break;
        }
        case 11:
            if (a.Byte() & 1) DisableCalculTabElt(score);
            else EnableCalculTabElt(score);
            SetTabEltMesureModifie(score, a.Byte());
            UpdateTabEltMesure(score, a.Byte());
            break;
        case 12: NewPartGroup(score, a.Byte() % 6, 0, SInt16(a.Index(1)), SInt16(a.Index(2)), 2, "a", nullptr); break;
        case 13: CalculePosTempsPixelTabElt(score, 0, nullptr, a.Index(0), a.Index(measures), SInt16(a.Long()), -1); break;
        case 14: FixeVisibleMesure(score, nullptr, a.Index(measures / 2), a.Byte(), a.Byte()); break;
        default:
            FixeEtatComptageMesurePartition(score, a.Index(measures / 2), a.Byte() & 1);
            FixeMargeGaucheMesure(score, a.Index(measures / 2), SInt16(a.Long()));
            CvtPosTempsEnPixelEcranProportionnel(score, a.Long(), a.Byte() & 1);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool quiet = (OrvaSetScorePluginHooks(nullptr), true);
    (void)quiet;
    ScoreFixture f;
    f.Staff();
    Arguments a = {data, size, 0};
    while (a.at < size) {
        UInt8 op = a.Byte();
        Step(f, op, a);
        Check(ScoreInvariantFault(f.score).empty());
        Check((*f.score)->measureCount <= kMaxMesures && (*f.score)->staffCount <= kMaxPortees);
    }
    return 0;
}

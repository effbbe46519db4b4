// ctest-labels: score-model
// Bytes as a script of editing and measure calls with hostile arguments on one score: each
// step is an operation byte and up to eight argument bytes. After every step the score keeps
// its invariants: notes in time order, chain bits only within one time, measure starts without
// gaps, and every search answering within the table.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
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

// Arguments are read into named values first: the order of a call's arguments is unspecified.
TimeSignature AnySignature(Arguments &a) {
    SInt16 numerator = SInt16(SInt8(a.Byte()));
    SInt16 denominator = SInt16(a.Byte() % 40);
    TimeSignature signature = Signature(numerator, denominator);
    GetDefautMasqueAccroche(signature.numerator, signature.beamMask);
    return signature;
}

void StepNote(ScoreHandle score, Boolean add, Arguments &a) {
    StaffHandle staff = AnyStaff(score, a);
    SInt16 pitch = SInt16(SInt8(a.Byte()));
    SInt32 duration = a.Byte() < 250 ? SInt32(a.Byte() + 1) * 2520 : a.Long();
    NoteRecord note;
    RazNote(&note, pitch, duration);
    note.chordFlags = a.Byte();
    SInt32 time = a.Byte() < 240 ? SInt32(a.Byte()) * 5040 : a.Long();
    SInt16 extend = SInt16(a.Byte() & 1);
    if (add) AjouteNote(staff, &note, time, 1);
    else InsereNote(staff, &note, time, 0, extend);
}

// A time's measure holds it; notes get a position and a shown accidental in range.
void StepSearch(ScoreHandle score, Arguments &a) {
    SInt32 end = CvtMesureEnTemps(score, (*score)->measureCount);
    SInt32 time = a.Byte() < 200 ? SInt32(a.Byte()) * 10080 : a.Long();
    SInt32 m = CvtTempsEnMesure(score, time);
    Check(m < 0 ? time < 0 || time >= end
                : CvtMesureEnTemps(score, m) <= time && time < CvtMesureEnTemps(score, m + 1));
    StaffHandle staff = AnyStaff(score, a);
    UInt8 pick = a.Byte();
    if (!staff || (*staff)->noteCount == 0) return;
    SInt32 index = SInt32(pick) % (*staff)->noteCount;
    NoteRecord note = *GetNotePtr(staff, index);
    SInt16 position, shown;
    CalcPosAlterationFnNote(staff, &note, &position, &shown, index, note.time);
    Check(shown >= 0 && shown <= kAlterationDoubleBemol);
    CalculeSensHampe(staff, index);
}

void Step(ScoreFixture &f, UInt8 op, Arguments &a) {
    ScoreHandle score = f.score;
    SInt32 measures = (*score)->measureCount;
    switch (op % 16) {
        case 0: StepNote(score, kFalse, a); break;
        case 1: StepNote(score, kTrue, a); break;
        case 2: {
            TimeSignature signature = AnySignature(a);
            SInt32 at = a.Index(measures);
            SInt32 count = a.Index(4);
            SInt16 shift = SInt16(a.Byte() & 1);
            InsereMesureChangeEchelleMesure(score, at, count, shift, &signature, 1);
            break;
        }
        case 3: {
            SInt32 first = a.Index(measures / 2);
            SInt32 count = a.Index(3);
            SInt16 content = SInt16(a.Byte() & 1);
            SInt16 shift = SInt16(a.Byte() & 1);
            UInt16 staves = a.Byte() < 128 ? UInt16(kToutesPortees) : UInt16(a.Byte() % 4);
            DoDeleteMesures(score, first, count, content, shift, staves, 1);
            break;
        }
        case 4: {
            TimeSignature signature = AnySignature(a);
            SInt32 m = a.Index(measures / 2);
            FixeDivisionMesurePartition(score, m, &signature, 1, 0, SInt16(a.Byte() & 1));
            break;
        }
        case 5: {
            KeySignature key;
            SInt16 number = SInt16(a.Byte() % 15);
            CvtTonaliteStdEnTonalite(number, SInt16(a.Byte() & 1), &key);
            if (a.Byte() > 200) key.kind = a.Byte();
            StaffHandle staff = AnyStaff(score, a);
            FixeTonaliteMesure(score, staff, a.Index(measures / 2), &key, 0);
            break;
        }
        case 6: {
            ClefRecord clef;
            CvtTypeClefEnClefStandard(SInt16(a.Byte() % 4), &clef);
            clef.octave = SInt8(a.Byte() % 9 - 4);
            StaffHandle staff = AnyStaff(score, a);
            FixeClefMesure(score, staff, a.Index(measures / 2), &clef, 0);
            break;
        }
        case 7: CreePorteeVide(score, a.Byte() % 12, 1, 0); break;
        case 8: SupprimePorteesVides(score, a.Byte() & 1); break;
        case 9: DoTransposeRapide(f.document, SInt16(SInt8(a.Byte()) % 16)); break;
        case 10: StepSearch(score, a); break;
        case 11: {
            if (a.Byte() & 1) DisableCalculTabElt(score);
            else EnableCalculTabElt(score);
            SetTabEltMesureModifie(score, a.Byte());
            UpdateTabEltMesure(score, a.Byte());
            break;
        }
        case 12: {
            SInt16 kind = SInt16(a.Byte() % 6);
            SInt16 first = SInt16(a.Index(1));
            NewPartGroup(score, kind, 0, first, SInt16(a.Index(2)), 2, "a", nullptr);
            break;
        }
        case 13: {
            SInt32 first = a.Index(0);
            SInt32 count = a.Index(measures);
            CalculePosTempsPixelTabElt(score, 0, nullptr, first, count, SInt16(a.Long()), -1);
            break;
        }
        case 14: {
            SInt32 m = a.Index(measures / 2);
            UInt8 hidden = a.Byte();
            FixeVisibleMesure(score, nullptr, m, hidden, a.Byte());
            break;
        }
        default: {
            SInt32 m = a.Index(measures / 2);
            FixeEtatComptageMesurePartition(score, m, SInt16(a.Byte() & 1));
            SInt16 margin = SInt16(a.Long());
            FixeMargeGaucheMesure(score, a.Index(measures / 2), margin);
            SInt32 time = a.Long();
            CvtPosTempsEnPixelEcranProportionnel(score, time, SInt16(a.Byte() & 1));
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool quiet = (FuzzQuietMessages(), true);
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

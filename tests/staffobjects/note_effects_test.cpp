// ctest-labels: staffobjects
// Marks and what they do to a note, grace notes, arpeggios, note names, keys from their tonic
// and pitches moved by staff steps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "score/tablature_record.h"
#include "staffobjects/note_effects.h"
#include "staffobjects/note_names.h"
#include "support/score_support.h"

namespace {

std::string Degrees(const KeySignature &key) {
    static const char *const kLetters = "CDEFGAB";
    std::string out;
    // Sharps in the order F C G D A E B, flats in the order B E A D G C F, as a key shows them.
    static const int kSharps[7] = {3, 0, 4, 1, 5, 2, 6}, kFlats[7] = {6, 2, 5, 1, 4, 0, 3};
    for (int d : kSharps)
        if (key.degrees[d] == kAlterationDiese) out += std::string(1, kLetters[d]) + "# ";
    for (int d : kFlats)
        if (key.degrees[d] == kAlterationBemol) out += std::string(1, kLetters[d]) + "b ";
    return out;
}

TEST(NoteEffects, MarksAnswerTheirIndexAndChangeHowTheNotePlays) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    SInt32 a = AddNote(staff, 60, 0), b = AddNote(staff, 62, 40320), c = AddNote(staff, 64, 80640);
    SInt32 rest = AddNote(staff, -1, 120960);
    EXPECT_EQ(AddMarkNote(staff, a, kMarqueStaccato, 0, 0, 0), 0);
    EXPECT_EQ(AddMarkNote(staff, a, kMarqueAccent, 0, 0, 0), 1);
    EXPECT_EQ(AddMarkNote(staff, a, kMarqueTenuto, kMarqueDessous, 3, -4), 2);
    EXPECT_EQ(AddMarkNote(staff, rest, kMarqueStaccato, 0, 0, 0), -1);
    EXPECT_EQ(AddMarkNote(staff, 99, kMarqueStaccato, 0, 0, 0), -1);
    // Staccato halves what sounds, tenuto then gives it whole again; the accent adds a fifth.
    EXPECT_EQ(GetNotePtr(staff, a)->release, 100);
    EXPECT_EQ(GetNotePtr(staff, a)->velocity, 120);
    MarkRecord mark;
    ASSERT_TRUE(GetMarqueNote(staff, a, 2, &mark));
    EXPECT_EQ(mark.type, kMarqueTenuto);
    EXPECT_EQ(mark.placement, kMarqueDessous);
    EXPECT_EQ(mark.offsetX, 3);
    EXPECT_EQ(mark.offsetY, -4);

    const struct {
        UInt8 type;
        UInt16 release;
        UInt8 velocity;
    } rows[] = {
        {kMarqueStaccato, 50, 90},          {kMarqueStaccatissimoHaut, 25, 90}, {kMarqueStaccatissimoBas, 25, 90},
        {kMarqueAccent, 100, 108},          {kMarqueAccentFortHaut, 100, 117},  {kMarqueAccentFortBas, 100, 117},
        {30, 100, 90},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(int(row.type));
        SInt32 i = AddNote(staff, 67, 161280 + row.type * 40320);
        GetNotePtr(staff, i)->velocity = 90;
        ASSERT_GE(AddMarkNote(staff, i, row.type, 0, 0, 0), 0);
        EXPECT_EQ(GetNotePtr(staff, i)->release, row.release);
        EXPECT_EQ(GetNotePtr(staff, i)->velocity, row.velocity);
    }
    // Two strong accents on a loud note stop at 127.
    GetNotePtr(staff, b)->velocity = 110;
    AddMarkNote(staff, b, kMarqueAccentFortHaut, 0, 0, 0);
    EXPECT_EQ(GetNotePtr(staff, b)->velocity, 127);
    // A trill mark switches the trill on with its accidental.
    AddMarkNote(staff, c, kMarqueTrilleDiese, 0, 0, 0);
    ASSERT_NE(GetParamEffetIndexNote(staff, c), nullptr);
    EXPECT_EQ(GetParamEffetIndexNote(staff, c)->trill, 1);
    EXPECT_EQ(GetParamEffetIndexNote(staff, c)->trillAccidental, kMarqueTrilleDiese);
}

TEST(NoteEffects, GraceNotesFillTenEntriesThenAreRefused) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    SInt32 note = AddNote(staff, 60, 0), rest = AddNote(staff, -1, 40320);
    EXPECT_FALSE(AddGraceNote(staff, rest, kAppoggiatureAvant, 2, kAlterationAucune, kTrue, -1));
    EXPECT_EQ(GetParamEffetIndexNote(staff, rest), nullptr);
    EXPECT_FALSE(AddGraceNote(staff, 5, kAppoggiatureAvant, 2, kAlterationAucune, kTrue, -1));
    for (int k = 0; k < 10; k++) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(AddGraceNote(staff, note, kAppoggiatureAvant, SInt16(k + 1), kAlterationAucune, kTrue, -1));
    }
    EXPECT_FALSE(AddGraceNote(staff, note, kAppoggiatureAvant, 11, kAlterationAucune, kTrue, -1));
    const NoteEffectRecord *record = GetParamEffetIndexNote(staff, note);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->grace, 1);
    for (int k = 0; k < 10; k++) {
        const UInt8 *bytes = reinterpret_cast<const UInt8 *>(&record->graces[k]);
        EXPECT_EQ(bytes[0], 1);
        EXPECT_EQ(SInt8(bytes[2]), k + 1);
        EXPECT_EQ(bytes[5], 255);
    }
}

TEST(NoteEffects, AGraceNoteInsertedBeforeARankOrPastTheEntriesAppends) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    SInt32 note = AddNote(staff, 60, 0);
    ASSERT_TRUE(AddGraceNote(staff, note, kAppoggiatureAvant, 1, kAlterationAucune, kFalse, -1));
    ASSERT_TRUE(AddGraceNote(staff, note, kAppoggiatureAvant, 2, kAlterationAucune, kFalse, -1));
    ASSERT_TRUE(AddGraceNote(staff, note, kAppoggiatureApres, 3, kAlterationDiese, kFalse, 0));
    ASSERT_TRUE(AddGraceNote(staff, note, kAppoggiatureAvant, 4, kAlterationAucune, kFalse, 7));
    ASSERT_TRUE(AddGraceNote(staff, note, kAppoggiatureAvant, -300, kAlterationAucune, kFalse, 2));
    const NoteEffectRecord *record = GetParamEffetIndexNote(staff, note);
    const SInt8 expected[5] = {3, 1, -128, 2, 4};
    for (int k = 0; k < 5; k++) EXPECT_EQ(record->graces[k].interval, expected[k]) << k;
    EXPECT_EQ(record->graces[0].placement, kAppoggiatureApres);
    EXPECT_EQ(record->graces[0].accidental, kAlterationDiese);
    EXPECT_EQ(record->graces[5].used, 0);
    // With defaults asked for, a note's first grace entry resets the group's settings; later
    // ones keep what an importer set.
    SInt32 other = AddNote(staff, 62, 40320);
    CreeParamEffetIndexNote(staff, other)->graceSize = 80;
    ASSERT_TRUE(AddGraceNote(staff, other, kAppoggiatureAvant, 1, kAlterationAucune, kTrue, -1));
    EXPECT_EQ(GetParamEffetIndexNote(staff, other)->graceSize, 0);
    GetParamEffetIndexNote(staff, other)->graceSize = 32;
    ASSERT_TRUE(AddGraceNote(staff, other, kAppoggiatureAvant, 1, kAlterationAucune, kTrue, -1));
    EXPECT_EQ(GetParamEffetIndexNote(staff, other)->graceSize, 32);
}

TEST(NoteEffects, ArpeggiosSpreadAttacksASixtyFourthApartUpOrDown) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    // A chord entered top down, a rest, and a second chord.
    AddNote(staff, 67, 0);
    AddNote(staff, 60, 0);
    AddNote(staff, 64, 0);
    AddNote(staff, -1, 40320);
    SInt32 second = AddNote(staff, 72, 80640);
    AddNote(staff, 76, 80640);
    AppliqueArpeggio(GetNotePtr(staff, 0), 1, (*staff)->noteCount, 0, 1, 0);
    EXPECT_EQ(GetNotePtr(staff, 0)->attack, 32);  // G4 last
    EXPECT_EQ(GetNotePtr(staff, 1)->attack, 0);   // C4 first
    EXPECT_EQ(GetNotePtr(staff, 2)->attack, 16);
    EXPECT_EQ(GetNotePtr(staff, second)->attack, 0);
    AppliqueArpeggio(GetNotePtr(staff, 0), 2, (*staff)->noteCount, 1, 1, 20);
    EXPECT_EQ(GetNotePtr(staff, 0)->attack, 0);
    EXPECT_EQ(GetNotePtr(staff, 2)->attack, 20);
    EXPECT_EQ(GetNotePtr(staff, 1)->attack, 40);
    // No spread, or an index outside the notes, changes nothing.
    AppliqueArpeggio(GetNotePtr(staff, 0), 0, (*staff)->noteCount, 0, 0, 16);
    AppliqueArpeggio(GetNotePtr(staff, 0), 9, (*staff)->noteCount, 0, 1, 16);
    EXPECT_EQ(GetNotePtr(staff, 1)->attack, 40);
    // An arpeggio mark switches the spread on; the staff's pass spreads that chord alone.
    AddMarkNote(staff, second + 1, kMarqueArpege, 0, 0, 0);
    RecalculeArpeggio(staff);
    EXPECT_EQ(GetNotePtr(staff, second)->attack, 0);
    EXPECT_EQ(GetNotePtr(staff, second + 1)->attack, kEcartArpege);
    EXPECT_EQ(GetNotePtr(staff, 1)->attack, 40);
}

TEST(NoteNames, NamesFollowTheLetterPreference) {
    FixePrefStd();
    InitTabNomNote();
    char name[kNomNoteMax];
    GetNomNote(name, 1, 0);
    EXPECT_STREQ(name, "D");
    GetNomNote(name, 3, 1);
    EXPECT_STREQ(name, "F#");
    GetNomNote(name, 6, -2);
    EXPECT_STREQ(name, "Bbb");
    GetNomNote(name, 7, 0);
    EXPECT_STREQ(name, "");
    pref.angloNotation = 0;
    InitTabNomNote();
    GetNomNote(name, 1, 0);
    EXPECT_STREQ(name, "R\x8E");  // "Ré" in MacRoman
    GetNomNote(name, 4, -1);
    EXPECT_STREQ(name, "Solb");
    FixePrefStd();
    InitTabNomNote();
}

TEST(NoteNames, NamesReadInEitherNaming) {
    const struct {
        const char *text;
        bool fixedDoFirst;
        SInt32 read;
        SInt16 degree, alteration;
    } rows[] = {
        {"C", false, 1, 0, 0},       {"F#m7", false, 2, 3, 1},  {"Bbb", false, 3, 6, -2}, {"Cb#", false, 2, 0, -1},
        {"Re7", false, 2, 1, 0},     {"R\x8E", false, 2, 1, 0}, {"R\xC3\xA9m", false, 3, 1, 0},
        {"SOL#", false, 4, 4, 1},    {"Fa", true, 2, 3, 0},     {"Fa", false, 1, 3, 0},  {"H", false, 0, 0, 0},
        {"", false, 0, 0, 0},        {"do", false, 2, 0, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        SInt16 degree = -5, alteration = -5;
        EXPECT_EQ(LitNomNote(row.text, SInt32(std::strlen(row.text)), row.fixedDoFirst, &degree, &alteration), row.read);
        if (row.read) {
            EXPECT_EQ(degree, row.degree);
            EXPECT_EQ(alteration, row.alteration);
        }
    }
}

TEST(NoteNames, KeysFollowFromTheirTonicAndMode) {
    const struct {
        UInt8 degree, accidental;
        UInt32 mode;
        const char *accidentals;
        UInt32 kind;
    } rows[] = {
        {0, kAlterationAucune, kModeMajeur, "", 0},
        {1, kAlterationAucune, kModeMajeur, "F# C# ", 2},
        {3, kAlterationAucune, kModeMineur, "Bb Eb Ab Db ", 11},
        {0, kAlterationDiese, kModeMajeur, "F# C# G# D# A# E# B# ", 7},
        {0, kAlterationBemol, kModeMajeur, "Bb Eb Ab Db Gb Cb Fb ", 14},
        {5, kAlterationAucune, kModeMineur, "", 0},
        {2, kAlterationAucune, kModeMineur, "F# ", 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(1, "CDEFGAB"[row.degree]) + (row.mode == kModeMajeur ? " major" : " minor"));
        KeySignature key = {};
        key.tonicDegree = row.degree;
        key.tonicAccidental = row.accidental;
        key.mode = row.mode;
        ASSERT_TRUE(CalculeArmureFnFondamentaleEtMode(&key));
        EXPECT_EQ(Degrees(key), row.accidentals);
        EXPECT_EQ(key.kind, row.kind);
    }
    // G# major needs F double sharp: not a standard key.
    KeySignature key = {};
    key.tonicDegree = 4;
    key.tonicAccidental = kAlterationDiese;
    key.mode = kModeMajeur;
    ASSERT_TRUE(CalculeArmureFnFondamentaleEtMode(&key));
    EXPECT_EQ(key.degrees[3], kAlterationDoubleDiese);
    EXPECT_EQ(key.kind, 0u);
    key.tonicDegree = 9;
    EXPECT_FALSE(CalculeArmureFnFondamentaleEtMode(&key));
}

TEST(NoteNames, StepsMoveAlongTheKey) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    SInt32 e = AddNote(staff, 64, 0), b = AddNote(staff, 71, 40320), rest = AddNote(staff, -1, 80640);
    KeySignature d = {};
    CvtTonaliteStdEnTonalite(2, kModeMajeur, &d);  // D major: F# C#
    // E up a step is F# in D major, F with a natural, Gb... with a flat F.
    EXPECT_EQ(GetDemiTonNoteDelta(staff, &d, e, 1, kAlterationAucune), 66);
    EXPECT_EQ(GetDemiTonNoteDelta(staff, &d, e, 1, kAlterationBecarre), 65);
    EXPECT_EQ(GetDemiTonNoteDelta(staff, &d, e, 1, kAlterationBemol), 64);
    EXPECT_EQ(GetDemiTonNoteDelta(staff, &d, b, 1, kAlterationAucune), 73);   // C#5
    EXPECT_EQ(GetDemiTonNoteDelta(staff, nullptr, b, 1, kAlterationAucune), 72);  // the staff's C major
    EXPECT_EQ(GetDemiTonNoteDelta(staff, nullptr, b, -7, kAlterationAucune), 59);
    EXPECT_EQ(GetDemiTonNoteDelta(staff, nullptr, rest, 1, kAlterationAucune), -1);
    EXPECT_EQ(GetDemiTonNoteDelta(staff, nullptr, 40, 1, kAlterationAucune), -1);
}

TEST(Tablature, ImportersFindTheFieldsTheyWriteByOffset) {
    ScoreFixture f;
    StaffHandle staff = CreePorteeVide(f.score, kPorteeTablature, 1, 0);
    ASSERT_EQ(InitPorteeTablature(staff), noErr);
    UInt8 *bytes = reinterpret_cast<UInt8 *>(GetTablaturePtr(staff));
    const SInt16 size = 10, raise = 0;
    std::memcpy(bytes + 24, &size, 2);
    std::memcpy(bytes + 26, &raise, 2);
    bytes[32] = 0;
    const TablatureRecord *tab = GetTablaturePtr(staff);
    EXPECT_EQ(tab->fretTextSize, 10);
    EXPECT_EQ(tab->fretTextOffset, 0);
    EXPECT_EQ(tab->showRhythm, 0);
    EXPECT_EQ(tab->stringCount, 6);
    EXPECT_EQ(tab->strings[0].pitch, 64);
    EXPECT_EQ(tab->strings[5].pitch, 40);
    EXPECT_EQ(tab->strings[6].pitch, kCordeSansHauteur);
}

}  // namespace

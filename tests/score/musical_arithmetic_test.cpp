// ctest-labels: score-model
// Keys, clefs, spelling and the accidentals a measure shows, transposition, the number helpers
// and the file-name and text helpers.
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "graphics/quickdraw/ports.h"
#include "platform/core/engine_utilities.h"
#include "platform/core/folders.h"
#include "score/musical_arithmetic.h"
#include "score/text_utilities.h"
#include "support/score_support.h"

namespace {

TEST(MusicalArithmetic, StandardKeysHaveTheirAccidentalsAndTonics) {
    struct Row {
        SInt16 number, mode;
        const char *degrees;  // C..B: '#' sharp, 'b' flat, '.' none
        UInt8 tonic, tonicAccidental;
    } rows[] = {
        {3, 0, "#..##..", 3, kAlterationDiese},  // F# minor: F, C, G sharp
        {10, 1, "..b..bb", 2, kAlterationBemol},  // E-flat major
        {0, 0, ".......", 5, kAlterationAucune},  // A minor
        {7, 1, "#######", 0, kAlterationDiese},   // C# major
        {14, 0, "bbbbbbb", 5, kAlterationBemol},  // A-flat minor
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.number);
        KeySignature key;
        ASSERT_TRUE(CvtTonaliteStdEnTonalite(row.number, row.mode, &key));
        for (int d = 0; d < 7; d++)
            EXPECT_EQ(key.degrees[d], row.degrees[d] == '#' ? kAlterationDiese : row.degrees[d] == 'b' ? kAlterationBemol : 0);
        EXPECT_EQ(key.tonicDegree, row.tonic);
        EXPECT_EQ(key.tonicAccidental, row.tonicAccidental);
    }
    KeySignature key;
    EXPECT_FALSE(CvtTonaliteStdEnTonalite(15, 1, &key));
    EXPECT_EQ(key.kind, 0u);
    ClefRecord clef;
    EXPECT_FALSE(CvtTypeClefEnClefStandard(7, &clef));
    EXPECT_EQ(CvtClefEnNoteDeBase(&clef), 67);
    clef.octave = -1;
    EXPECT_EQ(CvtClefEnNoteDeBase(&clef), 55);
}

TEST(MusicalArithmetic, TranspositionRaisesPitchesAndMovesKeysRoundTheCircle) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    for (SInt16 p : {60, 64, 67, 110}) AddNote(staff, p, 0);
    for (SInt16 step : {12, 12, 1}) ASSERT_EQ(DoTransposeRapide(f.document, step), noErr);
    const SInt16 raised[] = {85, 89, 92, 123};  // 110 goes an octave back where it would pass 127
    for (SInt32 i = 0; i < 4; i++) EXPECT_EQ(GetNotePtr(staff, i)->pitch, raised[i]);
    KeySignature key;
    EXPECT_EQ(CvtMesureEnTonalite(f.score, 0, &key), 12);  // D-flat major
    EXPECT_EQ(DoTransposeRapide(f.document, 13), paramErr);
    struct Row {
        SInt16 number, mode, semitones, expected;
    } rows[] = {{0, 1, 6, 13}, {0, 1, 1, 12}, {0, 1, 11, 5}, {1, 0, -2, 8}, {3, 0, 1, 9}};
    for (const Row &row : rows) EXPECT_EQ(TransposeTonaliteStd(row.number, UInt32(row.mode), row.semitones), row.expected);
}

TEST(MusicalArithmetic, SpellingAndShownAccidentalsFollowKeyAndMeasure) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    KeySignature fSharpMajor;
    CvtTonaliteStdEnTonalite(6, kModeMajeur, &fSharpMajor);
    ASSERT_EQ(FixeTonaliteMesure(f.score, staff, 0, &fSharpMajor, 0), noErr);
    struct Row {
        SInt16 pitch;
        UInt8 written;
        SInt16 degree, alteration, shown;
    } rows[] = {
        {65, kAlterationAucune, 2, 1, kAlterationAucune},   // E# belongs to the key
        {66, kAlterationAucune, 3, 1, kAlterationAucune},   // F#
        {64, kAlterationAucune, 2, 0, kAlterationBecarre},  // E natural against the key
        {65, kAlterationAucune, 2, 1, kAlterationDiese},    // E# again after the natural
        {80, kAlterationAucune, 4, 1, kAlterationAucune},   // G# an octave up: its own place
        {70, kAlterationDiese, 5, 1, kAlterationAucune},    // A#
        {70, kAlterationBemol, 6, -1, kAlterationBemol},    // Bb written
    };
    SInt32 t = 0;
    for (const Row &row : rows) {
        NoteRecord note;
        RazNote(&note, row.pitch, 10080);
        note.accidental = row.written;
        InsereNote(staff, &note, t, 0, 1);
        t += 10080;
    }
    for (SInt32 i = 0; i < SInt32(sizeof rows / sizeof rows[0]); i++) {
        SCOPED_TRACE(i);
        SInt16 degree, alteration, octave, position, shown;
        ASSERT_TRUE(GetDiatonicInfo(staff, i, &degree, &alteration, &octave));
        EXPECT_EQ(degree, rows[i].degree);
        EXPECT_EQ(alteration, rows[i].alteration);
        NoteRecord note = *GetNotePtr(staff, i);
        CalcPosAlterationFnNote(staff, &note, &position, &shown, i, note.time);
        EXPECT_EQ(shown, rows[i].shown);
        EXPECT_EQ(position, 7 * octave + degree);
    }
    // Accidentals in every octave: the E natural holds for the E# an octave up.
    pref.accidentalsAllOctaves = 1;
    NoteRecord high;
    RazNote(&high, 77, 10080);
    SInt16 position, shown;
    CalcPosAlterationFnNote(staff, &high, &position, &shown, -1, 3 * 10080);
    EXPECT_EQ(shown, kAlterationDiese);
    pref.accidentalsAllOctaves = 0;
    CalcPosAlterationFnNote(staff, &high, &position, &shown, -1, 3 * 10080);
    EXPECT_EQ(shown, kAlterationAucune);
}

TEST(MusicalArithmetic, LMulDivRoundsHalvesAwayAndSaturates) {
    struct Row {
        SInt32 a, b, c, expected;
    } rows[] = {
        {16777217, 1, 1, 16777217},  // single precision would give 16777216
        {7, 1, 2, 4},
        {-7, 1, 2, -4},
        {5, 3, 0, 2147483647},
        {0, 3, 0, 0},
        {2147483647, 2147483647, 1, 2147483647},
        {-2147483647, 2, 1, -2147483647 - 1},
        {1000000007, 3, 7, 428571432},
        {40320, 90, 40320, 90},
    };
    for (const Row &row : rows) EXPECT_EQ(LMulDiv(row.a, row.b, row.c), row.expected) << row.a << " " << row.b;
}

TEST(MusicalArithmetic, RndDrawsEveryValueFromLoBelowHi) {
    qd.randSeed = 1;
    std::set<SInt32> seen;
    for (int i = 0; i < 100000; i++) seen.insert(rnd(0, 10));
    EXPECT_EQ(seen, (std::set<SInt32>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(TextUtilities, ExtensionsAreOnlyInTheLastComponent) {
    char path[kOrvaPathMax + 1];
    struct Row {
        const char *path, *extension, *expected;
    } rows[] = {
        {"music/a.b/score", "xml", "music/a.b/score.xml"},
        {"music/score.abc", "xml", "music/score.xml"},
        {"score.", "mxl", "score.mxl"},
    };
    for (const Row &row : rows) {
        strcpy(path, row.path);
        ajoute_extension(path, row.extension);
        EXPECT_STREQ(path, row.expected);
    }
    std::string longPath(kOrvaPathMax - 2, 'a');
    strcpy(path, longPath.c_str());
    ajoute_extension(path, "xml");
    EXPECT_EQ(std::string(path), longPath);
    EXPECT_TRUE(cmp_extension("a.b.XML", "xml"));
    EXPECT_FALSE(cmp_extension("a.xml/score", "xml"));
    EXPECT_FALSE(cmp_extension("score", "xml"));
    char stem[kExtraitExtensionMax + 1], extension[kExtraitExtensionMax + 1];
    extrait_extension("music/a.b/score", stem, extension);
    EXPECT_STREQ(stem, "music/a.b/score");
    EXPECT_STREQ(extension, "");
    extrait_extension("tune.abc", stem, nullptr);
    EXPECT_STREQ(stem, "tune");
}

TEST(TextUtilities, StripsCapitalsAndCopies) {
    char text[] = " \t\x01 Title \r\n";
    EXPECT_STREQ(strpurge(text), "Title");
    const UInt8 pairs[][2] = {{'e', 'E'}, {0x8E, 'E'}, {0x96, 'N'}, {0xCB, 'A'}, {0xBE, 0xAE}, {0xA7, 0xA7}, {'1', '1'}};
    for (const auto &pair : pairs) EXPECT_EQ(upcase(pair[0]), pair[1]) << int(pair[0]);
    char word[] = "abc-Z";
    EXPECT_STREQ(strupr(word), "ABC-Z");
    Handle h = NewHandle(3);
    memcpy(*h, "xyz", 3);
    Handle copy = DupHandle(h);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(memcmp(*copy, "xyz", 3), 0);
    LibereHandle(&h);
    LibereHandle(&copy);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(DupHandle(nullptr), nullptr);
}

}  // namespace

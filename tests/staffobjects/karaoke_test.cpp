// ctest-labels: staffobjects
// Karaoke cells and slots: storing and reading cells, the slots of a measure, the syllable of a
// slot, the karaoke text in played order with its syllable table, the lyric-staff switch, and
// hostile cells, measures and verses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engraving/links.h"
#include "score/played_measures.h"
#include "score/score_hooks.h"
#include "staffobjects/karaoke_cells.h"
#include "staffobjects/karaoke_text.h"
#include "staffobjects/staff_objects.h"
#include "support/message_catcher.h"
#include "support/score_support.h"
#include "support/tool_support.h"

namespace {

std::string Cell(StaffHandle staff, SInt32 measure, SInt16 verse, SInt16 line = kLigneParoles) {
    char text[kTexteCelluleCopie];
    GetTexteKaraokeCellule(staff, line, measure, verse, text, nullptr);
    return text;
}

std::string Text(Handle h) { return h ? std::string(*h, GetHandleSize(h)) : "<null>"; }

// |: C D E F | G F E D :| in quarters, played twice, with two verses.
struct KaraokeScore : ScoreFixture {
    StaffHandle staff;
    KaraokeScore() {
        staff = Staff();
        const SInt16 pitches[8] = {60, 62, 64, 65, 67, 65, 64, 62};
        for (int i = 0; i < 8; i++) AddNote(staff, pitches[i], i * 40320);
        Handle table = NewHandle(4 * sizeof(UInt16));
        const UInt16 order[4] = {0, 1, 0, 1};
        std::memcpy(*table, order, sizeof order);
        FixeTabMesuresJouees(score, table);
        DisposHandle(table);
        SetTexteKaraokeCellule(staff, 0, 0, kLigneParoles, "one two three four");
        SetTexteKaraokeCellule(staff, 1, 0, kLigneParoles, "five six se-ven");
        SetTexteKaraokeCellule(staff, 0, 1, kLigneParoles, "sing this sec-ond");
        SetTexteKaraokeCellule(staff, 1, 1, kLigneParoles, "verse on re-peat");
    }
};

TEST(KaraokeCells, CellsStoreReplaceAndDelete) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 60, 0);
    AddNote(staff, 62, 161280);
    SInt16 height = (*staff)->height;
    EXPECT_EQ(SetTexteKaraokeCellule(staff, 1, 2, kLigneParoles, "la la"), noErr);
    EXPECT_EQ(SetTexteKaraokeCellule(staff, 0, 0, kLigneParoles, "do re"), noErr);
    EXPECT_EQ(Cell(staff, 1, 2), "la la");
    EXPECT_EQ(Cell(staff, 0, 0), "do re");
    EXPECT_EQ(Cell(staff, 0, 1), "");
    // A third verse widens the staff.
    EXPECT_EQ((*staff)->verseLineCount, 3);
    EXPECT_EQ((*staff)->textLineEnabled[0], 1);
    EXPECT_GT((*staff)->height, height);
    EXPECT_EQ(SetTexteKaraokeCellule(staff, 0, 0, kLigneParoles, "mi"), noErr);
    EXPECT_EQ(Cell(staff, 0, 0), "mi");
    EXPECT_EQ(GetNbCellulesLigne(staff, kLigneParoles), 2);
    EXPECT_EQ(SetTexteKaraokeCellule(staff, 0, 0, kLigneParoles, ""), noErr);
    EXPECT_EQ(GetNbCellulesLigne(staff, kLigneParoles), 1);
    SInt32 measure = -1;
    SInt16 verse = -1;
    EXPECT_TRUE(GetCleCelluleLigne(staff, kLigneParoles, 0, &measure, &verse));
    EXPECT_EQ(measure, 1);
    EXPECT_EQ(verse, 2);
    EXPECT_EQ(ExtraitTexteKaraokeMesure(1, (*staff)->textLines[0]), 0);
    EXPECT_EQ(ExtraitTexteKaraokeMesure(0, (*staff)->textLines[0]), -1);
    // The chord line keeps one cell a measure, whatever verse is given.
    EXPECT_EQ(SetTexteKaraokeCellule(staff, 1, 5, kLigneAccords, "C G7 "), noErr);
    EXPECT_EQ(Cell(staff, 1, 0, kLigneAccords), "C G7 ");
    EXPECT_EQ(GetTaquetIndex(staff, kLigneAccords, 161280 + 10), 1);
    char text[8];
    EXPECT_EQ(GetTexteCharSetKaraokeCellule(staff, kLigneAccords, 1, text, sizeof text), 5);
    EXPECT_STREQ(text, "C G7 ");
    EXPECT_TRUE(IsLigneCellulesValide((*staff)->textLines[0]));
}

TEST(KaraokeCells, HostileArgumentsAreRefusedAndTouchNothing) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 60, 0);
    SetTexteKaraokeCellule(staff, 0, 0, kLigneParoles, "keep");
    std::string big(100 * 1024, 'a');
    const struct {
        const char *label;
        SInt32 measure;
        SInt16 verse, line;
        const char *text;
    } rows[] = {
        {"measure -1", -1, 0, 1, "x"},     {"measure past", 1, 0, 1, "x"},  {"verse -1", 0, -1, 1, "x"},
        {"verse 64", 0, kMaxCouplets, 1, "x"}, {"line 0", 0, 0, 0, "x"},     {"line 3", 0, 0, 3, "x"},
        {"100 KB", 0, 0, 1, big.c_str()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(SetTexteKaraokeCellule(staff, row.measure, row.verse, row.line, row.text), paramErr);
        EXPECT_EQ(Cell(staff, 0, 0), "keep");
    }
    EXPECT_EQ(SetTexteKaraokeCellule(nullptr, 0, 0, 1, "x"), paramErr);
    EXPECT_EQ(GetTexteStyleKaraokeCellule(staff, -7, 0), nullptr);
    EXPECT_EQ(GetTexteStyleKaraokeCellule(staff, 0, 99), nullptr);
    // Invalid UTF-8, separators only and CR runs are kept as cells (bad bytes as '?').
    EXPECT_EQ(SetTexteKaraokeCellule(staff, 0, 1, 1, "\xFF\xFE- -"), noErr);
    EXPECT_EQ(Cell(staff, 0, 1), "??" "- -");
    EXPECT_EQ(SetTexteKaraokeCellule(staff, 0, 2, 1, "\r\r\r\r"), noErr);
    EXPECT_TRUE(IsLigneCellulesValide((*staff)->textLines[0]));
}

TEST(KaraokeCells, ACopyStopsAtACharacterBoundaryBeforeByte511) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 60, 0);
    // 510 ASCII bytes then "é": the copy holds 510 bytes, not half of "é".
    std::string text(510, 'a');
    text += "\xC3\xA9 end";
    ASSERT_EQ(SetTexteKaraokeCellule(staff, 0, 0, kLigneParoles, text.c_str()), noErr);
    char out[kTexteCelluleCopie];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(GetTexteKaraokeCellule(staff, kLigneParoles, 0, 0, out, nullptr), 510);
    EXPECT_EQ(out[510], 0);
    EXPECT_EQ(std::string(out), std::string(510, 'a'));
}

TEST(KaraokeCells, ManyChangesKeepEveryCell) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 60, 0);
    AddNote(staff, 60, 200 * 161280);
    for (int round = 0; round < 5; round++)
        for (SInt32 m = 0; m < 200; m++)
            ASSERT_EQ(SetTexteKaraokeCellule(staff, m, SInt16(m % 3), kLigneParoles,
                                             (std::string(SInt32(40 + m % 17), char('a' + round)) + " " + std::to_string(m)).c_str()),
                      noErr);
    EXPECT_EQ(GetNbCellulesLigne(staff, kLigneParoles), 200);
    for (SInt32 m = 0; m < 200; m++)
        EXPECT_EQ(Cell(staff, m, SInt16(m % 3)), std::string(SInt32(40 + m % 17), 'e') + " " + std::to_string(m));
    // The heap was compacted along the way: it holds about the live texts, not five rounds.
    EXPECT_LT(GetHandleSize((*staff)->textLines[0]), 3u * 200 * 80);
    EXPECT_TRUE(IsLigneCellulesValide((*staff)->textLines[0]));
}

TEST(KaraokeSlots, NotesAndChordsGiveSlotsRestsDoNot) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    for (int i = 0; i < 4; i++) AddNote(staff, 60, i * 40320);
    TaquetRecord slots[kNbMaxTaquets];
    ASSERT_EQ(CalculeTableauTaquetKaraokeMesure(slots, staff, 3, 0, 0, 0, 1, 0), 4);
    const SInt32 times[4] = {0, 40320, 80640, 120960};
    for (int k = 0; k < 4; k++) EXPECT_EQ(SInt32(slots[k].time), times[k]);

    // Measure 1: a chord, a rest, a note tied to a continuation.
    AddNote(staff, 60, 161280);
    AddNote(staff, 64, 161280);
    AddNote(staff, -1, 161280 + 40320);
    SInt32 a = AddNote(staff, 67, 161280 + 80640), b = AddNote(staff, 67, 161280 + 120960);
    ASSERT_TRUE(LieDeuxNotes(staff, a, b));
    ASSERT_EQ(CalculeTableauTaquetKaraokeMesure(slots, staff, 3, 0, 1, 0, 1, 0), 3);
    EXPECT_EQ(SInt32(slots[0].time), 0);
    EXPECT_EQ(SInt32(slots[0].noteCount), 2);
    EXPECT_EQ(SInt32(slots[0].pitch), 64);
    EXPECT_EQ(SInt32(slots[1].time), 80640);
    EXPECT_EQ(SInt32(slots[1].flags), 0);
    EXPECT_EQ(SInt32(slots[2].time), 120960);
    EXPECT_EQ(SInt32(slots[2].flags), kTaquetLie);
    EXPECT_EQ(CalculeTableauTaquetKaraokeMesure(slots, staff, 3, 0, 1, 0, 0, 0), 2);  // without tie continuations
    EXPECT_EQ(CalculeTableauTaquetKaraokeMesure(slots, staff, 3, 0, 7, 0, 1, 0), 0);
    EXPECT_EQ(CalculeTableauTaquetKaraokeMesure(slots, staff, 3, 0, -1, 0, 1, 0), 0);
    EXPECT_EQ(CalculeTableauTaquetKaraokeMesure(slots, staff, 2, 0, 0, 0, 1, 0), 0);

    // A lyrics staff under it takes its slots.
    StaffHandle lyrics = CreePorteeVide(f.score, kPorteeParoles, 1, 0);
    EXPECT_EQ(GetPorteeTaquets(lyrics), staff);
    EXPECT_EQ(CalculeTableauTaquetKaraokeMesure(slots, lyrics, 3, 0, 0, 0, 1, 0), 4);
}

TEST(KaraokeSlots, AMeasureOf300NotesGives256SlotsAndWritesNoMore) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    for (int i = 0; i < 300; i++) AddNote(staff, 60, i * 504, 504);
    std::vector<TaquetRecord> slots(kNbMaxTaquets + 8);
    std::memset(slots.data(), 0x5A, slots.size() * sizeof(TaquetRecord));
    MessageCatcher catcher;
    EXPECT_EQ(CalculeTableauTaquetKaraokeMesure(slots.data(), staff, 3, 0, 0, 0, 1, 0), kNbMaxTaquets);
    EXPECT_EQ(CalculeTableauTaquetKaraokeMesure(slots.data(), staff, 3, 0, 0, 0, 1, 0), kNbMaxTaquets);
    EXPECT_EQ(SInt32(slots[kNbMaxTaquets - 1].time), (kNbMaxTaquets - 1) * 504);
    EXPECT_EQ(UInt8(reinterpret_cast<const char *>(&slots[kNbMaxTaquets])[0]), 0x5A);
    EXPECT_EQ(catcher.Count("more than 256 note positions"), 1u);  // once for the process, however often
}

TEST(KaraokeSlots, ASlotsSyllableIsItsRangeInTheCell) {
    const char *cell = "sing  se-cond_\rend";
    const struct {
        SInt32 slot, start, end, missing;
    } rows[] = {{0, 0, 5, 0}, {1, 5, 6, 0}, {2, 6, 9, 0}, {3, 9, 14, 0}, {4, 14, 18, 0}, {5, 18, 18, 1}, {7, 18, 18, 3}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.slot);
        SInt32 start = -1, end = -1, missing = -1;
        EXPECT_TRUE(GetBoundsStringTaquet(cell, SInt32(std::strlen(cell)), row.slot, &start, &end, &missing));
        EXPECT_EQ(start, row.start);
        EXPECT_EQ(end, row.end);
        EXPECT_EQ(missing, row.missing);
    }
    SInt32 start = 0, end = 0, missing = 0;
    EXPECT_FALSE(GetBoundsStringTaquet(cell, 5, -1, &start, &end, &missing));
    EXPECT_TRUE(GetBoundsStringTaquet("", 0, 2, &start, &end, &missing));
    EXPECT_EQ(missing, 2);
    EXPECT_TRUE(GetBoundsStringTaquet("a b ", 4, 2, &start, &end, &missing));
    EXPECT_EQ(start, 4);
    EXPECT_EQ(missing, 0);
}

TEST(KaraokeText, PlayedOrderSingsEachPassItsVerse) {
    KaraokeScore k;
    Handle syllables = NewHandle(0);
    Handle text = CreeTexteKaraoke(k.staff, kLigneParoles, kTrue, syllables);
    const std::string expected = "one two three four five six seven sing this second verse on repeat";
    EXPECT_EQ(Text(text), expected);
    ASSERT_EQ(GetNbSyllabesKaraoke(syllables), 16);
    // Played notes are a quarter apart: the n-th starts at (n - 1) quarters.
    for (int n = 0; n < 16; n++) {
        SyllabeKaraoke s;
        ASSERT_TRUE(GetSyllabeKaraoke(syllables, n, &s));
        EXPECT_EQ(s.start, n * 40320) << n;
        EXPECT_EQ(s.end, (n + 1) * 40320) << n;
        EXPECT_EQ(s.offset, n == 10 ? SInt32(expected.find("second")) : s.offset);
    }
    SyllabeKaraoke none;
    EXPECT_FALSE(GetSyllabeKaraoke(syllables, 16, &none));
    SInt32 length = -1;
    EXPECT_EQ(CalculePosTexteKaraoke(k.staff, 10 * 40320, &length, syllables), SInt32(expected.find("second")));
    EXPECT_EQ(length, 3);
    EXPECT_EQ(CalculePosTexteKaraoke(k.staff, 10 * 40320 + 40319, &length, syllables), SInt32(expected.find("second")));
    EXPECT_EQ(CalculePosTexteKaraoke(k.staff, 11 * 40320, &length, syllables), SInt32(expected.find("ond")));
    EXPECT_EQ(CalculePosTexteKaraoke(k.staff, -1, &length, syllables), -1);
    EXPECT_EQ(length, 0);
    DisposHandle(text);
    // In written order the verses follow one another a paragraph apart.
    text = CreeTexteKaraoke(k.staff, kLigneParoles, kFalse, syllables);
    EXPECT_EQ(Text(text), "one two three four five six seven\r\rsing this second verse on repeat");
    DisposHandle(text);
    DisposHandle(syllables);
}

TEST(KaraokeText, PassesWithoutTheirVerseTakeTheLastAndBreaksStay) {
    KaraokeScore k;
    SetTexteKaraokeCellule(k.staff, 1, 1, kLigneParoles, "");  // measure 1 has one verse now
    SetTexteKaraokeCellule(k.staff, 0, 0, kLigneParoles, "one^two= three\r four ");
    Handle syllables = NewHandle(0);
    Handle text = CreeTexteKaraoke(k.staff, kLigneParoles, kTrue, syllables);
    EXPECT_EQ(Text(text), "one two- three\rfour five six seven sing this second five six seven");
    // The first cell gives three syllables for four slots; measure 1 is sung twice.
    EXPECT_EQ(GetNbSyllabesKaraoke(syllables), 3 + 4 + 4 + 4);
    DisposHandle(text);
    EXPECT_EQ(CreeTexteKaraoke(k.staff, 2, kTrue, syllables), nullptr);
    EXPECT_EQ(GetNbSyllabesKaraoke(syllables), 0);
    DisposHandle(syllables);
}

TEST(KaraokeText, PassesOfAMeasureAreFoundInThePlayOrder) {
    KaraokeScore k;
    const struct {
        SInt32 measure, pass, expected;
    } rows[] = {{0, 0, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 3}, {0, 2, -1}, {5, 0, -1}, {-1, 0, -1}, {0, -1, -1}};
    for (const auto &row : rows)
        EXPECT_EQ(CvtPosMesureLigneEnMesureJouee(k.score, row.measure, row.pass), row.expected)
            << row.measure << " " << row.pass;
}

TEST(KaraokeCells, TheLyricSwitchTwiceRestoresTypeLinesAndHeight) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    (*staff)->height = 99;
    const UInt32 type = (*staff)->type;
    const SInt16 lines = (*staff)->lineCount;
    ASSERT_EQ(InverseEtatPorteeKaraoke(staff), noErr);
    EXPECT_EQ((*staff)->karaoke, 1);
    EXPECT_EQ((*staff)->verseLineCount, 1);
    EXPECT_NE((*staff)->height, 99);
    ASSERT_EQ(InverseEtatPorteeKaraoke(staff), noErr);
    EXPECT_EQ((*staff)->karaoke, 0);
    EXPECT_EQ((*staff)->type, type);
    EXPECT_EQ((*staff)->lineCount, lines);
    EXPECT_EQ((*staff)->height, 99);
    EXPECT_EQ((*staff)->verseLineCount, 0);
    EXPECT_EQ(InverseEtatPorteeKaraoke(nullptr), paramErr);
}

TEST(KaraokeCells, TheModelReadsTheLinesThroughItsHooks) {
    KaraokeScore k;
    InitObjetsPortee();
    Handle line = GetLigneTextePortee(k.staff, kLigneParoles);
    ASSERT_NE(line, nullptr);
    std::string ascii;
    for (const UniChar *u = reinterpret_cast<const UniChar *>(*line); *u; u++) ascii += char(*u);
    EXPECT_EQ(ascii, "one two three four sing this sec-ond five six se-ven verse on re-peat");
    DisposHandle(line);
    SetTexteKaraokeCellule(k.staff, 1, 0, kLigneAccords, "G D7 ");
    EXPECT_EQ(GetChordIndexAtTime(k.staff, 161280 + 40320), 2);
    EXPECT_EQ(GetChordIndexAtTime(k.staff, 161280 + 1), 0);
    FinObjetsPortee();
    EXPECT_EQ(GetChordIndexAtTime(k.staff, 161280 + 40320), 0);
}

TEST(KaraokeText, OmscorePrintsTheLyricsDemosTextAndSyllables) {
    int status = -1;
    std::string out = RunCommand(ToolPath("omscore") + " --demo lyrics --karaoke 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.substr(0, out.find("syllable 1 ")),
              "one two three four five six seven sing this second verse on repeat\nsyllables=16\n");
    // The 11th syllable, "sec", starts at the 11th played quarter.
    EXPECT_NE(out.find("syllable 11 offset=44 length=3 start=403200 end=443520\n"), std::string::npos) << out;
    out = RunCommand(ToolPath("omscore") + " --demo scale --karaoke 2>&1", &status);
    EXPECT_NE(status, 0);
}

}  // namespace

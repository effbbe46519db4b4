// ctest-labels: staffobjects
// Chord names read into chord records (chordparse's lines, the importers' spellings of every
// kind, hand spellings, hostile names), chord diagrams and their seal, the library file, text
// objects and hexadecimal colours.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>

#include "platform/core/memory.h"
#include "score/preferences.h"
#include "staffobjects/chord_diagrams.h"
#include "staffobjects/note_names.h"
#include "staffobjects/text_objects.h"
#include "support/score_support.h"
#include "support/tool_support.h"

namespace {

struct Read {
    bool ok;
    ChordRecord chord;
};

Read Parse(const std::string &name) {
    Read r;
    r.ok = CvtChaineEnAccord(name.data(), SInt32(name.size()), &r.chord);
    return r;
}

TEST(ChordNames, ChordparsePrintsOneLineAName) {
    int status = -1;
    std::string out = RunCommand(ToolPath("chordparse") +
                                     " C7 Cm7 Cdim7 F#M7/A CSus4 G7/9 EbmAdd9 Bbmaj7/D F#m7b5 N.C. Q 2>&1",
                                 &status);
    EXPECT_EQ(WEXITSTATUS(status), 1) << out;  // Q cannot be read
    const char *lines[] = {"C7 root=C kind=4",          "Cm7 root=C kind=6",       "Cdim7 root=C kind=7",
                           "F#M7/A root=F+1 kind=5 bass=A", "CSus4 root=C kind=23",  "G7/9 root=G kind=13",
                           "EbmAdd9 root=E-1 kind=1 degrees=add9", "Bbmaj7/D root=B-1 kind=5 bass=D",
                           "F#m7b5 root=F+1 kind=9",      "N.C. root=none",          "Q error"};
    std::string expected;
    for (const char *line : lines) expected += std::string(line) + "\n";
    EXPECT_EQ(out, expected);
}

// What the MusicXML importer writes for each kind, with root C, reads back as that kind.
TEST(ChordNames, TheImportersSpellingOfEveryKindReadsBack) {
    FixePrefStd();
    InitTabNomNote();
    const struct {
        const char *name;
        SInt16 kind;
    } rows[] = {
        {"C", 0},        {"Cm", 1},       {"C+5", 2},         {"Cdim", 3},        {"C7", 4},
        {"CM7", 5},      {"Cm7", 6},      {"Cdim7", 7},       {"C7+5", 8},        {"CmM7", 10},
        {"C6", 11},      {"Cm6", 12},     {"C9", 13},         {"CM7/9", 14},      {"Cm9", 15},
        {"C11", 16},     {"CM7/9Add11", 17}, {"Cm11", 18},    {"C13", 19},        {"CM7/9Add11Add13", 20},
        {"Cm13", 21},    {"CSus2", 22},   {"CSus4", 23},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Read r = Parse(row.name);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.chord.root, 0);
        EXPECT_EQ(r.chord.kind, row.kind);
        EXPECT_EQ(r.chord.degrees[0], 0);
        EXPECT_EQ(r.chord.bass, kAccordSansNote);
    }
}

TEST(ChordNames, HandSpellingsAndEitherNaming) {
    const struct {
        const char *name;
        SInt16 root, alteration, kind, bass;
        const char *change;  // the first degree change, "" for none
    } rows[] = {
        {"Cmaj7", 0, 0, 5, -1, ""},      {"Cmin", 0, 0, 1, -1, ""},        {"C-7", 0, 0, 6, -1, ""},
        {"Caug", 0, 0, 2, -1, ""},       {"C+", 0, 0, 2, -1, ""},          {"C\xC2\xB0", 0, 0, 3, -1, ""},
        {"C\xC2\xB0" "7", 0, 0, 7, -1, ""}, {"C\xC3\xB8", 0, 0, 9, -1, ""}, {"Csus4", 0, 0, 23, -1, ""},
        {"C7sus4", 0, 0, 23, -1, "add7-1"}, {"CmMaj7", 0, 0, 10, -1, ""},  {"C6/9", 0, 0, 11, -1, "add9"},
        {"C7(b9)", 0, 0, 4, -1, "add9-1"}, {"Fadd9", 3, 0, 0, -1, "add9"},  {"C5", 0, 0, 0, -1, "omit3"},
        {"Do7", 0, 0, 4, -1, ""},        {"R\xC3\xA9m", 1, 0, 1, -1, ""},   {"R\x8Em", 1, 0, 1, -1, ""},
        {"Sol/Si", 4, 0, 0, 6, ""},      {"Am/G", 5, 0, 1, 4, ""},          {" Bb ", 6, -1, 0, -1, ""},
        {"C\xCE\x94", 0, 0, 5, -1, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Read r = Parse(row.name);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.chord.root, row.root);
        EXPECT_EQ(r.chord.rootAlteration, row.alteration);
        EXPECT_EQ(r.chord.kind, row.kind);
        EXPECT_EQ(r.chord.bass, row.bass);
        std::string change;
        SInt16 degree = 0, type = 0, alteration = 0;
        if (DegreAccord(r.chord.degrees[0], &degree, &type, &alteration)) {
            static const char *const kTypes[3] = {"add", "alt", "omit"};
            change = kTypes[type] + std::to_string(degree);
            if (alteration && type != kDegreRetire) change += std::to_string(alteration);
        }
        EXPECT_EQ(change, row.change);
    }
}

TEST(ChordNames, NamesThatCannotBeReadGiveAZeroedRecord) {
    std::string long300(300, 'C');
    const char *rows[] = {"", "H", "Cb#", "Q", "C7x", "C/", "C/H", "Cdim9", "C/E7", "Cadd14", "N.C.C", long300.c_str()};
    for (const char *name : rows) {
        SCOPED_TRACE(name);
        ChordRecord chord;
        std::memset(&chord, 0x55, sizeof chord);
        EXPECT_FALSE(CvtChaineEnAccord(name, -1, &chord));
        EXPECT_EQ(chord.root, kAccordSansNote);
        EXPECT_EQ(chord.bass, kAccordSansNote);
        EXPECT_EQ(chord.kind, 0);
        EXPECT_EQ(chord.degrees[0], 0);
    }
    ChordRecord chord;
    EXPECT_FALSE(CvtChaineEnAccord(nullptr, -1, &chord));
    EXPECT_TRUE(CvtChaineEnAccord("nc", -1, &chord));
    EXPECT_EQ(chord.root, kAccordSansNote);
}

DiagramShape Shape(UInt8 firstFret) {
    // C major in first position: x 3 2 0 1 0, from the lowest string.
    DiagramShape s;
    std::memset(&s, 0, sizeof s);
    s.stringCount = 6;
    s.fretCount = 4;
    s.firstFret = firstFret;
    std::memcpy(s.marks, "x32 1 ", 6);
    s.barreCount = 3;
    s.barres[0] = BarreRecord{2, 1, 1};
    s.barres[1] = BarreRecord{1, 2, 2};
    s.barres[2] = BarreRecord{0, 4, 4};
    return s;
}

TEST(ChordDiagrams, AShapeSealsAlikeTwiceAndDifferentlyOneFretHigher) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    SInt32 a = NewDiagramme(staff), b = NewDiagramme(staff);
    ASSERT_EQ(a, 0);
    ASSERT_EQ(b, 1);
    GetDiagrammePtr(staff, a)->shape = Shape(1);
    GetDiagrammePtr(staff, b)->shape = Shape(1);
    GetDiagrammePtr(staff, b)->time = 40320;  // where it stands is no part of its shape
    EXPECT_EQ(ScelleDiagrammeAccord(GetDiagrammePtr(staff, a)), ScelleDiagrammeAccord(GetDiagrammePtr(staff, b)));
    UInt32 first = ScelleDiagrammeAccord(GetDiagrammePtr(staff, a));
    GetDiagrammePtr(staff, b)->shape.firstFret = 2;
    EXPECT_NE(ScelleDiagrammeAccord(GetDiagrammePtr(staff, b)), first);
    GetDiagrammePtr(staff, b)->shape = Shape(1);
    GetDiagrammePtr(staff, b)->shape.marks[0] = 'o';
    EXPECT_NE(ScelleDiagrammeAccord(GetDiagrammePtr(staff, b)), first);
    // Bytes past the counts are no part of the shape either.
    GetDiagrammePtr(staff, b)->shape = Shape(1);
    GetDiagrammePtr(staff, b)->shape.barres[4] = BarreRecord{3, 0, 5};
    GetDiagrammePtr(staff, b)->shape.reserved[1] = 9;
    EXPECT_EQ(ScelleDiagrammeAccord(GetDiagrammePtr(staff, b)), first);
    // FNV-1a of nothing but the offset basis changes with every byte: a known value.
    DiagramShape zero;
    std::memset(&zero, 0, sizeof zero);
    UInt32 hash = 2166136261u;
    for (size_t i = 0; i < sizeof zero; i++) hash = (hash ^ 0u) * 16777619u;
    EXPECT_EQ(ScelleFormeDiagramme(&zero), hash);
    EXPECT_EQ(GetDiagrammePtr(staff, 2), nullptr);
    EXPECT_EQ(NewDiagramme(nullptr), -1);
}

TEST(ChordDiagrams, ALibraryWrittenAsTaggedTextLoadsWithEverySealFindingItsEntry) {
    VideBibliothequeDiagrammes();
    ChordRecord c, g;
    ASSERT_TRUE(CvtChaineEnAccord("C", -1, &c));
    ASSERT_TRUE(CvtChaineEnAccord("G7/B", -1, &g));
    DiagramShape barre = Shape(3);
    barre.barreCount = 2;
    barre.barres[0] = BarreRecord{0, 0, 5};
    barre.barres[1] = BarreRecord{-1, 2, 2};
    std::memcpy(barre.marks, "1 \"\\ 4", 6);
    DiagramShape first = Shape(1);
    ASSERT_EQ(CreeAccord(&c, &first, 0, "C"), 0);
    ASSERT_EQ(CreeAccord(&g, &barre, kDiagrammeCinqCordes, "G7/B"), 1);
    EXPECT_EQ(CreeAccord(&c, nullptr, 0, "bad"), -1);
    DiagramShape wrong = Shape(1);
    wrong.barres[0].to = 9;
    EXPECT_EQ(CreeAccord(&c, &wrong, 0, "bad"), -1);
    std::string path = TempFile("Chords.dat");
    ASSERT_TRUE(EcritDiagrammesAccordGeneral(path.c_str()));
    UInt32 seals[2] = {ScelleFormeDiagramme(&first), ScelleFormeDiagramme(&barre)};
    VideBibliothequeDiagrammes();
    EXPECT_EQ(RechercheDiagrammeAccordParIdUnique(seals[0]), -1);
    ASSERT_EQ(ChargeDiagrammesAccordGeneral(path.c_str()), noErr);
    ASSERT_EQ(GetNbDiagrammesBibliotheque(), 2);
    for (int i = 0; i < 2; i++) EXPECT_EQ(RechercheDiagrammeAccordParIdUnique(seals[i]), i);
    ChordDiagramRecord entry;
    ASSERT_TRUE(GetDiagrammeBibliotheque(1, &entry));
    EXPECT_STREQ(entry.name, "G7/B");
    EXPECT_EQ(entry.chord.root, 4);
    EXPECT_EQ(entry.chord.bass, 6);
    EXPECT_EQ(entry.displayValue, kDiagrammeCinqCordes);
    EXPECT_EQ(std::string(entry.shape.marks, 6), "1 \"\\ 4");
    EXPECT_EQ(entry.shape.barres[1].fret, -1);
    // A missing file leaves an empty library.
    EXPECT_EQ(ChargeDiagrammesAccordGeneral("/nowhere/Chords.dat"), fnfErr);
    EXPECT_EQ(GetNbDiagrammesBibliotheque(), 0);
    std::remove(path.c_str());
}

TEST(ChordDiagrams, DamagedLibraryFilesKeepTheWholeEntriesAlone) {
    const struct {
        const char *label, *text;
        SInt32 entries;
    } rows[] = {
        {"truncated inside the second entry",
         "ChordDiagrams\nDiagram\nStrings 6\nFrets 4\nFirstFret 1\nMarks \"x32 1 \"\nEndDiagram\nDiagram\nStrings 6\nFre", 1},
        {"a huge count is no allocation", "ChordDiagrams\nCount 2000000000\nDiagram\nStrings 4\nFrets 5\nFirstFret 2\nEndDiagram\nEndChordDiagrams", 1},
        {"out of range fields", "ChordDiagrams\nDiagram\nStrings 60\nFrets 4\nFirstFret 1\nEndDiagram\nDiagram\nStrings 6\nFrets 4\nFirstFret 1\nBarre\nFret 9\nFrom 0\nTo 5\nEndDiagram\nEndChordDiagrams", 0},
        {"too many barres", "ChordDiagrams\nDiagram\nStrings 6\nFrets 4\nFirstFret 1\nBarre\nBarre\nBarre\nBarre\nBarre\nBarre\nEndDiagram\nEndChordDiagrams", 0},
        {"twice the same shape", "ChordDiagrams\nDiagram\nStrings 3\nFrets 4\nFirstFret 1\nEndDiagram\nDiagram\nStrings 3\nFrets 4\nFirstFret 1\nEndDiagram\nEndChordDiagrams", 1},
        {"no section", "Diagram\nStrings 3\nEndDiagram\n", 0},
        {"garbage", "\x01\x02\xFF ChordDiagrams \"\"\" EndDiagram Diagram Diagram", 0},
    };
    std::string path = TempFile("Chords-bad.dat");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        FILE *file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        fputs(row.text, file);
        fclose(file);
        EXPECT_EQ(ChargeDiagrammesAccordGeneral(path.c_str()), noErr);
        EXPECT_EQ(GetNbDiagrammesBibliotheque(), row.entries);
    }
    std::remove(path.c_str());
    VideBibliothequeDiagrammes();
}

TEST(TextObjects, TextsKeepTheirPlaceAndTextAndPassOverTheScore) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 60, 0);
    EXPECT_EQ(CreeObjetTexte(staff, "PART:A", 20, 12, 128, 0, -60), 0);
    EXPECT_EQ(CreeObjetTexte(staff, "d\xC3\xA9" "but\xFF", 21, 10, 129, 40320, 8), 1);
    EXPECT_EQ(CreeObjetTexte(staff, "", 20, 12, 128, 0, 0), -1);
    EXPECT_EQ(CreeObjetTexte(staff, nullptr, 20, 12, 128, 0, 0), -1);
    EXPECT_EQ(CreeObjetTexte(staff, std::string(kMaxTexteObjet + 1, 'a').c_str(), 20, 12, 128, 0, 0), -1);
    ASSERT_EQ(GetNbObjetsTexte(staff), 2);
    char text[64];
    EXPECT_EQ(GetTexteObjetTexte(staff, 0, text, sizeof text), 6);
    EXPECT_STREQ(text, "PART:A");
    GetTexteObjetTexte(staff, 1, text, sizeof text);
    EXPECT_STREQ(text, "d\xC3\xA9" "but?");
    const TextObject *o = GetObjetTextePtr(staff, 0);
    EXPECT_EQ(SInt32(o->time), 0);
    EXPECT_EQ(SInt32(o->vertical), -60);
    EXPECT_EQ(SInt32(o->font), 20);
    // Passage: the end lies as many standard points on as the text is wide.
    CalculePassageTextesPartition(f.score);
    for (SInt32 i = 0; i < 2; i++) {
        const TextObject *t = GetObjetTextePtr(staff, i);
        EXPECT_GT(SInt32(t->width), 10) << i;
        EXPECT_EQ(SInt32(t->endTime), SInt32(t->time) + SInt32(t->width) * 1008) << i;
    }
    // The curves: none anywhere.
    EXPECT_EQ(CvtTypeCourbeEnIndex(staff, FourCC("Freq")), -1);
    StaffHandle holder = staff;
    SInt32 index = 7;
    CvtTypeCourbeGlobaleEnIndex(f.score, FourCC("Freq"), &holder, &index);
    EXPECT_EQ(holder, nullptr);
    EXPECT_EQ(index, -1);
    float value = 3;
    EXPECT_FALSE(ExtraitValeurCourbe(staff, 0, 0, &value));
}

TEST(Colours, HexadecimalTextGivesHighBytes) {
    const struct {
        const char *text;
        UInt16 r, g, b;
    } rows[] = {{"FF8000", 65280, 32768, 0}, {"ff8000", 65280, 32768, 0}, {"12345678", 0x3400, 0x5600, 0x7800},
                {"ABC", 0, 0x0A00, 0xBC00}, {"80zz", 0, 0, 0x8000},        {"", 0, 0, 0}, {nullptr, 0, 0, 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text ? row.text : "null");
        RGBColor c = {1, 1, 1};
        CvtStrToRGBColor(row.text, &c);
        EXPECT_EQ(c.red, row.r);
        EXPECT_EQ(c.green, row.g);
        EXPECT_EQ(c.blue, row.b);
    }
}

}  // namespace

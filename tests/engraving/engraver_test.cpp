// ctest-labels: engraving
// What a reader sees of engraved demo scores: omrender's pictures read back by pngstaff (heads
// and pitches, beams, accidentals, ties, rests, repeat bars), the texts a recorded picture
// holds, the engraver without its font, hostile notes and geometry, and the cached
// repeat-two-measures symbol.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "engraving/engraver.h"
#include "engraving/engraving_hooks.h"
#include "engraving/links.h"
#include "tools/demo_scores/strip_geometry.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "graphics/text/utf_text.h"
#include "graphics/cairo/port_surfaces.h"
#include "score/dynamics_objects.h"
#include "engraving/music_font.h"
#include "score/note_params.h"
#include "score/ruptures.h"
#include "support/graphics/quickdraw_support.h"
#include "support/score_support.h"
#include "support/tool_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

bool Has(const std::string &out, const std::string &line) { return out.find(line + "\n") != std::string::npos; }

// What pngstaff reads of omrender's picture of a demo.
std::string Read(const std::string &demo, const std::string &clef, const std::string &options = "",
                 const std::string &list = "") {
    std::string png = TempFile(demo + ".png");
    int status = -1;
    std::string out = RunCommand(ToolPath("omrender") + " --demo " + demo + " --strip " + options + " -o " + png + " 2>&1",
                                 &status);
    EXPECT_EQ(status, 0) << out;
    out = RunCommand(ToolPath("pngstaff") + " " + list + " --clef " + clef + " " + png, &status);
    EXPECT_EQ(status, 0) << out;
    std::remove(png.c_str());
    return out;
}

TEST(Engraver, DemoScoresReadBackAsWritten) {
    const struct {
        const char *demo, *clef;
        std::vector<std::string> lines;
    } rows[] = {
        {"scale", "G", {"staves=1 heads=8 pitches=C4,D4,E4,F4,G4,A4,B4,C5", "beams=0", "accidentals=0"}},
        {"bass", "F", {"staves=1 heads=8 pitches=C3,D3,E3,F3,G3,A3,B3,C4"}},
        {"eighths", "G", {"staves=1 heads=16 pitches=C4,E4,G4,E4,D5,B4,G4,B4,C4,E4,G4,E4,D5,B4,G4,B4", "beams=4"}},
        {"accidentals", "G", {"staves=1 heads=4 pitches=F4,B4,F4,F4", "accidentals=3"}},
        {"ties", "G", {"ties=2", "slurs=0"}},
        {"chords", "G", {"staves=1 heads=5 pitches=C4,E4,G4,C4,D4"}},
        {"rests", "G", {"rests=4", "staves=1 heads=1 pitches=G4"}},
        {"repeats", "G", {"repeat-barlines=2", "staves=1 heads=8 pitches=G4,B4,A4,C5,B4,D5,C5,E5"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.demo);
        std::string out = Read(row.demo, row.clef);
        for (const std::string &line : row.lines) EXPECT_TRUE(Has(out, line)) << line << "\n" << out;
    }
}

TEST(Engraver, ATieAcrossASystemBreakIsDrawnInTwoPieces) {
    std::string one = Read("ties", "G"), two = Read("ties", "G", "--systems 2");
    EXPECT_TRUE(Has(one, "ties=2")) << one;
    EXPECT_TRUE(Has(two, "systems=2 staves=2") && Has(two, "ties=3")) << two;
    EXPECT_TRUE(Has(two, "staves=2 heads=5 pitches=A4,A4,D4,D4,B4")) << two;
}

TEST(Engraver, TheSecondOfAChordStandsAHeadWidthAside) {
    std::string out = Read("chords", "G", "", "--list");
    std::vector<double> xs;
    for (size_t at = 0; (at = out.find("\nhead staff=1 x=", at)) != std::string::npos; at++) {
        double x = 0;
        std::sscanf(out.c_str() + at, "\nhead staff=1 x=%lf", &x);
        xs.push_back(x);
    }
    ASSERT_EQ(xs.size(), 5u) << out;
    // C4 and D4 come last: half-note heads 1.376 spaces wide that share the stem, read to
    // within a third of a space (the reader finds the middles of slanted ellipses).
    EXPECT_NEAR(xs[4] - xs[3], 13.76 - 1.2, 3) << out;
    EXPECT_NEAR(xs[0], xs[1], 1) << out;  // C, E and G stand in one column
}

TEST(Engraver, WithoutItsFontOmrenderSaysSoAndDrawsLinesAndStems) {
    std::string png = TempFile("nofont.png");
    int status = -1;
    std::string out = RunCommand(ToolPath("omrender") + " --demo scale --strip --font /nowhere/Quorella.ttf -o " + png +
                                     " 2>&1",
                                 &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << out;
    EXPECT_NE(out.find("music font \"Quorella\" is not installed"), std::string::npos) << out;
    out = RunCommand(ToolPath("pngstaff") + " --clef G " + png, &status);
    EXPECT_TRUE(Has(out, "staves=1 heads=0 pitches=") && Has(out, "barlines=3")) << out;
    std::remove(png.c_str());
}

// In-process drawing: the built font registered once, a white port, the demo's staves drawn
// as one strip per system.
class EngraverPort : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        StartQuickDrawForTests();
        static bool installed = false;
        if (!installed) installed = SystemDependantInstalleFonteLocale(BuildTreePath("fonts/Quorella.ttf").c_str(), true);
        ASSERT_TRUE(installed);
        ASSERT_TRUE(InitLentara());
        InitGravure();
        OpenTestPort(&port, 1200, 240);
        OrvaFillSurfaceRect(&port, 0, 0, 1199, 239, 0xFFFFFF);
        ForeColor(33);
    }
    void TearDown() override {
        ClosePort(&port);
        FinGravure();
    }
    // Draws every staff of the score's measures as one system; answers the first error.
    OSErr Draw(ScoreHandle score, float space = 10, float left = 30, float top = 70) {
        SInt32 count = std::min<SInt32>((*score)->measureCount, 64);
        std::vector<float> measureX(static_cast<size_t>(count) + 1), notesX(static_cast<size_t>(count));
        OSErr err = CalculeGeometrieBande(score, 0, count, left, space, 5 * space, kTrue, measureX.data(), notesX.data());
        for (SInt16 s = 0; s < (*score)->staffCount && err == noErr; s++) {
            GeometrieSegment g = {0, count, measureX.data(), notesX.data(), nullptr, nullptr, left,
                                  top + s * 11 * space, space, 1, kSegmentDebutSysteme | kSegmentMarquesSysteme};
            err = TracePorteeSegment(GetPortee(score, s), &g);
        }
        return err;
    }
    // Pixels darker than mid grey.
    SInt32 Ink(SInt32 left = 0, SInt32 top = 0, SInt32 right = 1200, SInt32 bottom = 240) {
        SInt32 count = 0;
        for (SInt32 y = top; y < bottom; y++)
            for (SInt32 x = left; x < right; x++) count += (PortPixel(&port, x, y) & 0xFF) < 128;
        return count;
    }
};

TEST_F(EngraverPort, ARecordedRepeatHoldsItsEndingTexts) {
    DocumentRecord *document = CreeDemoScore("repeats");
    ASSERT_NE(document, nullptr);
    Rect frame = {0, 0, 240, 1200};
    PicHandle picture = OpenPicture(&frame);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(Draw(document->score), noErr);
    ClosePicture();
    // Plain text opcodes carry the endings' numbers.
    std::string bytes((const char *)*picture, GetHandleSize((Handle)picture));
    EXPECT_NE(bytes.find("1."), std::string::npos);
    EXPECT_NE(bytes.find("2."), std::string::npos);
    // Played back, the picture inks what drawing straight inked, within antialiased edges.
    DrawUTFPicture(picture, &frame);
    SInt32 played = Ink();
    OrvaFillSurfaceRect(&port, 0, 0, 1199, 239, 0xFFFFFF);
    EXPECT_EQ(Draw(document->score), noErr);
    EXPECT_NEAR(played, Ink(), Ink() / 50);
    KillPicture(picture);
    LibereDemoScore(&document);
}

TEST_F(EngraverPort, GeometryThatCannotBeDrawnIsRefused) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 60, 0);
    float measureX[2] = {30, 300}, notesX[1] = {80};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char *label;
        SInt32 first, count;
        float space, zoom, top;
        float *xs;
    } rows[] = {
        {"no measures", 0, 0, 10, 1, 50, measureX},     {"past the score", 0, 2, 10, 1, 50, measureX},
        {"negative first", -1, 1, 10, 1, 50, measureX}, {"no space", 0, 1, 0, 1, 50, measureX},
        {"huge space", 0, 1, 5000, 1, 50, measureX},    {"NaN space", 0, 1, nan, 1, 50, measureX},
        {"NaN top", 0, 1, 10, 1, nan, measureX},        {"no zoom", 0, 1, 10, 0, 50, measureX},
        {"no measure xs", 0, 1, 10, 1, 50, nullptr},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        GeometrieSegment g = {row.first, row.count, row.xs, notesX, nullptr, nullptr, 30, row.top, row.space, row.zoom, 0};
        EXPECT_EQ(TracePorteeSegment(staff, &g), paramErr);
    }
    EXPECT_EQ(Ink(), 0);
    GeometrieSegment g = {0, 1, measureX, notesX, nullptr, nullptr, 30, 50, 10, 1, kSegmentDebutSysteme};
    EXPECT_EQ(TracePorteeSegment(staff, &g), noErr);
    EXPECT_EQ(TracePorteeSegment(nullptr, &g), paramErr);
    EXPECT_GT(Ink(), 0);
}

Boolean OverflowHeld() { return kTrue; }

// Nothing of a segment lies past its measures unless the overflow modifier is held.
TEST_F(EngraverPort, SegmentsStayWithinTheirMeasuresUnlessAskedOtherwise) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 67, 0);
    DynamicsObject *o = GetDynamiquePtr(staff, NewDynamique(staff));
    o->kind = 8;  // f
    o->inUse = 1;
    o->endTime = 20160;
    o->startOffset = 300;  // points: far right of the one measure drawn
    float measureX[2] = {30, 300}, notesX[1] = {80};
    GeometrieSegment g = {0, 1, measureX, notesX, nullptr, nullptr, 30, 80, 10, 1, kSegmentDebutSysteme};
    ASSERT_EQ(TracePorteeSegment(staff, &g), noErr);
    EXPECT_GT(Ink(0, 0, 320), 0);
    EXPECT_EQ(Ink(320, 0, 1200), 0);
    EngravingHooks hooks = {nullptr, OverflowHeld};
    OrvaSetEngravingHooks(&hooks);
    EXPECT_EQ(TracePorteeSegment(staff, &g), noErr);
    OrvaSetEngravingHooks(nullptr);
    EXPECT_GT(Ink(320, 0, 1200), 0);
}

// Hostile notes and staves are drawn or skipped: each row changes a one-staff score, which
// must draw without error and leave ink only in the port.
TEST_F(EngraverPort, HostileNotesAreDrawnOrSkipped) {
    const struct {
        const char *label;
        void (*change)(StaffHandle staff);
    } rows[] = {
        {"pitches -128..127", [](StaffHandle s) {
             for (SInt32 p = -128; p < 128; p += 5) {
                 NoteRecord n;
                 RazNote(&n, 60, 2520);
                 InsereNote(s, &n, (p + 128) * 630, 0, 1);
                 GetNotePtr(s, (*s)->noteCount - 1)->pitch = SInt8(p);
             }
         }},
        {"durations 0 and 2^31", [](StaffHandle s) {
             AddNote(s, 60, 0);
             AddNote(s, 62, 40320);
             GetNotePtr(s, 0)->duration = 0;
             GetNotePtr(s, 1)->duration = 0x80000000u;
         }},
        {"tuplet codes, stems and accidentals", [](StaffHandle s) {
             for (SInt32 i = 0; i < 16; i++) {
                 SInt32 index = AddNote(s, SInt16(55 + i), i * 10080, 10080);
                 NoteRecord *n = GetNotePtr(s, index);
                 n->tuplet = UInt8(i * 17);
                 n->stemLength = SInt8(i % 2 ? -128 : 127);
                 n->accidental = UInt8(6 + i * 15);
                 n->chordFlags = UInt8(i * 37);
                 n->notehead = UInt8(i * 13);
                 n->stemDirection = UInt8(i);
                 n->offsetX = SInt8(i * 16);
             }
         }},
        {"unknown mark types", [](StaffHandle s) {
             SInt32 index = AddNote(s, 67, 0);
             for (SInt32 t = 0; t < 256; t += 3) {
                 MarkRecord mark = {};
                 mark.type = UInt8(t);
                 mark.placement = UInt8(t);
                 mark.offsetX = SInt8(t);
                 mark.offsetY = SInt8(-t);
                 mark.stemRelative = UInt8(t & 1);
                 AjouteMarqueNote(s, index, &mark);
             }
         }},
        {"a chord of a thousand notes", [](StaffHandle s) {
             for (SInt32 i = 0; i < 1000; i++) AddNote(s, SInt16(i % 128), 0);
         }},
        {"links to vanished notes and tie cycles", [](StaffHandle s) {
             for (SInt32 i = 0; i < 6; i++) AddNote(s, 60, i * 40320);
             SetLiaisonSourceNote(s, 0, 99, kLiaisonCoule, 0);
             SetLiaisonDestNote(s, 1, 98, kLiaisonCoule, 0);
             SetLiaisonSourceNote(s, 2, 5, kLiaisonCoule, 4444);
             SetLiaisonSourceNote(s, 4, 7, kLiaisonCoule, 0);
             SetLiaisonDestNote(s, 3, 7, kLiaisonCoule, 0);
             SetLiaisonSourceNote(s, 3, 8, kLiaisonCoule, 0);
             SetLiaisonDestNote(s, 4, 8, kLiaisonCoule, 0);
             SetLiaisonSourceNote(s, 5, 12, kLiaisonAccroche, 0);
             SetLiaisonDestNote(s, 5, 12, kLiaisonAccroche, 0);
         }},
        {"no lines", [](StaffHandle s) {
             AddNote(s, 84, 0);
             (*s)->lineCount = 0;
         }},
        {"200 lines", [](StaffHandle s) {
             AddNote(s, 40, 0);
             (*s)->lineCount = 200;
             (*s)->shownLines = 0xFFFF;
         }},
        {"objects and ruptures out of range", [](StaffHandle s) {
             AddNote(s, 64, 0);
             for (UInt32 kind = 0; kind < 40; kind++) {
                 DynamicsObject *o = GetDynamiquePtr(s, NewDynamique(s));
                 o->kind = kind;
                 o->inUse = 1;
                 o->startTime = SInt32(kind * 9000) - 20000;
                 o->endTime = kind % 3 ? -5 : 0x7FFFFFFF;
                 o->top = SInt32(0x80000000u + kind);
                 o->bottom = 0x7FFFFFFF;
                 o->startOffset = -32768;
                 std::memset(o->text, kind % 2 ? '$' : 'p', sizeof o->text);  // no terminator
             }
             ScoreHandle score = (*s)->score;
             (*score)->ruptures = NewHandleClear(20 * sizeof(RuptureRecord));
             (*score)->ruptureCount = 20;
             for (SInt32 i = 0; i < 20; i++) {
                 RuptureRecord *r = GetRupturePtr(score, i);
                 r->kind = SInt16(i * 3 - 7);
                 r->time = i % 2 ? -1000 : i * 30000;
                 std::memset(r->text, '$', sizeof r->text);
                 std::memset(r->endings, 1, sizeof r->endings);
                 r->textSize = SInt16(i * 1000);
             }
         }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        ScoreFixture f;
        StaffHandle staff = f.Staff();
        row.change(staff);
        OrvaFillSurfaceRect(&port, 0, 0, 1199, 239, 0xFFFFFF);
        EXPECT_EQ(Draw(f.score), noErr);
        GarbageLiaisonsPartition(f.score);
        AjusteCoulesPartition(f.score);
        EXPECT_EQ(Draw(f.score), noErr);
    }
}

// A note far above the staff gets at most twenty ledger lines.
TEST_F(EngraverPort, LedgerLinesStopAtTwenty) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    ClefRecord bass;
    CvtTypeClefEnClefStandard(kCleFa, &bass);
    ASSERT_EQ(FixeClefMesure(f.score, staff, 0, &bass, 0), noErr);
    AddNote(staff, 127, 0, 161280);
    ASSERT_EQ(Draw(f.score, 4, 30, 200), noErr);
    // Ledger lines: rows above the staff whose longest run of ink is a short line's.
    SInt32 lines = 0;
    bool inLine = false;
    for (SInt32 y = 0; y < 198; y++) {
        SInt32 longest = 0, run = 0;
        for (SInt32 x = 0; x < 1200; x++) {
            run = (PortPixel(&port, x, y) & 0xFF) < 128 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        bool ink = longest >= 6 && longest <= 20;
        if (ink && !inLine) lines++;
        inLine = ink;
    }
    EXPECT_GE(lines, 15);
    EXPECT_LE(lines, 20);
}

TEST_F(EngraverPort, TheRepeatSymbolIsRecordedOnceAndAgainWhenTheFontsChange) {
    FinGravure();
    InitGravure();
    OrvaSetFontesLentara(nullptr, 0);
    TraceSymboleRepeteDeuxDernieresMesures(nullptr, 0, 0, 0);
    PicHandle first = GetSymboleRepeteDeuxMesures();
    ASSERT_NE(first, nullptr);
    TraceSymboleRepeteDeuxDernieresMesures(nullptr, 0, 0, 0);
    EXPECT_EQ(GetSymboleRepeteDeuxMesures(), first);  // prepared once
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    TraceSymboleRepeteDeuxDernieresMesures(staff, 300, 80, 10);
    SInt32 withoutFont = Ink();
    EXPECT_GT(withoutFont, 0);  // the slashes
    // Made before the font was there, the picture is made again once it is: dots and digit.
    ASSERT_TRUE(InitLentara());
    OrvaFillSurfaceRect(&port, 0, 0, 1199, 239, 0xFFFFFF);
    TraceSymboleRepeteDeuxDernieresMesures(staff, 300, 80, 10);
    EXPECT_GT(Ink(), withoutFont + 20);
    FinGravure();
    EXPECT_EQ(GetSymboleRepeteDeuxMesures(), nullptr);
}

}  // namespace

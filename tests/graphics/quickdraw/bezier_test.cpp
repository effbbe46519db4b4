// ctest-labels: pictures pictures.bezier
// Bezier chains: smoothing, drawing, their comments in pictures and their playback.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/bezier.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"

namespace {

// A circle of four points centred at (cx, cy).
std::vector<BezierPoint> Circle(float cx, float cy, float r) {
    const float k = 0.5523f * r;
    return {{cx, cy - r, cx - k, cy - r, cx + k, cy - r},
            {cx + r, cy, cx + r, cy - k, cx + r, cy + k},
            {cx, cy + r, cx + k, cy + r, cx - k, cy + r},
            {cx - r, cy, cx - r, cy + k, cx - r, cy - k}};
}

std::vector<std::string> BezierComments(PicHandle pic) {
    std::vector<std::string> out;
    const UInt8 *bytes = (const UInt8 *)*pic;
    PictWalkRecord walk;
    PictOpRecord op;
    if (OrvaPictBeginWalk(bytes, GetHandleSize((Handle)pic), &walk) != noErr) return out;
    while (!walk.ended && OrvaPictNextOp(&walk, &op) == noErr)
        if (op.opcode == kPictOpLongComment && OrvaPictWord(&walk, op.fields[0].offset) == kPictCommentBezier) {
            const PictFieldRecord &data = op.fields[op.fieldCount - 1];
            out.emplace_back((const char *)bytes + data.offset, data.length);
        }
    return out;
}

class Bezier : public ::testing::Test {
protected:
    GrafPort port;
    Rect frame = {0, 0, 100, 100};
    void SetUp() override {
        ASSERT_TRUE(StartColorsForTests());
        OpenTestPort(&port, 200, 200);
        EraseRect(&port.portRect);
        ForeColor(33);
    }
    void TearDown() override { ClosePort(&port); }
    PicHandle RecordCircle() {
        PicHandle pic = OpenPicture(&frame);
        std::vector<BezierPoint> c = Circle(50, 50, 20);
        OrvaDrawBezier(c.data(), 4, kBezierFilled, 0, 0, 4, true);
        ClosePicture();
        return pic;
    }
};

TEST_F(Bezier, SmoothingPutsHandlesOnTheTangents) {
    BezierPoint p[3] = {{0, 0, 0, 0, 0, 0}, {10, 0, 0, 0, 0, 0}, {10, 10, 0, 0, 0, 0}};
    BzSmoothPolygon(p, 3, 11, false);
    float lp = std::sqrt(200.0f), lc = 10, ln = 10;
    float tx, ty;
    BzGetTangente(10, 10, 0, 0, 10, 0, &tx, &ty);
    EXPECT_NEAR(p[0].outX, tx * lc * lp / (lp + ln), 1e-4);
    EXPECT_NEAR(p[0].outY, ty * lc * lp / (lp + ln), 1e-4);
    // Incoming handle of point 1: lc of segment 0-1, ln of segment 2-0.
    BzGetTangente(0, 0, 10, 0, 10, 10, &tx, &ty);
    EXPECT_NEAR(p[1].inX, 10 - tx * lc * ln / (lp + ln), 1e-4);
    EXPECT_NEAR(p[1].inY, 0 - ty * lc * ln / (lp + ln), 1e-4);
    Rect box;
    BzGetBBox(p, 3, &box);
    EXPECT_LE(box.left, 0);
    EXPECT_GE(box.right, 11);
}

TEST_F(Bezier, NumbersAndReductionsOfTheFallback) {
    const std::pair<float, const char *> numbers[] = {{0, "0 "}, {12.34f, "12.34 "}, {-3, "-3 "}, {1.5f, "1.5 "}};
    for (const auto &number : numbers) {
        char text[32];
        BzFormatNumber(number.first, text, sizeof text);
        EXPECT_STREQ(text, number.second);
    }
    EXPECT_EQ(BzFallbackReduction(2000, 1000), 2);
    EXPECT_EQ(BzFallbackReduction(1000, 1000), 1);
    EXPECT_EQ(BzFallbackReduction(3000, 3000), 3);
}

TEST_F(Bezier, AFilledChainInksInsideOnly) {
    std::vector<BezierPoint> c = Circle(100, 100, 40);
    OrvaDrawBezier(c.data(), 4, kBezierFilled, 0, 0, 4, true);
    EXPECT_EQ(PortPixel(&port, 100, 100), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 100, 70), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 150, 100), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&port, 65, 65), 0xFFFFFFu);
    // With the pen hidden nothing is drawn.
    EraseRect(&port.portRect);
    HidePen();
    OrvaDrawBezier(c.data(), 4, kBezierFilled, 0, 0, 4, true);
    ShowPen();
    EXPECT_EQ(PortPixel(&port, 100, 100), 0xFFFFFFu);
}

TEST_F(Bezier, LongChainsRecordStartsOfAHundredPointsAndOneStop) {
    std::vector<BezierPoint> chain;
    for (int i = 0; i < 250; i++) {
        float a = float(i) * 6.2831853f / 250;
        float x = 50 + 30 * std::cos(a), y = 50 + 30 * std::sin(a);
        chain.push_back({x, y, x, y, x, y});
    }
    PicHandle pic = OpenPicture(&frame);
    PenSize(2, 2);
    OrvaDrawBezier(chain.data(), 250, kBezierClosedStroke, 0, 2, 4, true);
    ClosePicture();
    EXPECT_EQ(PortPixel(&port, 80, 50), 0xFFFFFFu);  // recording only
    std::vector<std::string> comments = BezierComments(pic);
    ASSERT_EQ(comments.size(), 4u);
    EXPECT_EQ(comments[0].rfind("START 2 0 2 4.0000 100 ", 0), 0u);
    EXPECT_EQ(comments[1].rfind("START 2 0 2 4.0000 100 ", 0), 0u);
    EXPECT_EQ(comments[2].rfind("START 2 0 2 4.0000 50 ", 0), 0u);
    EXPECT_EQ(comments[3], "STOP");
    EXPECT_EQ(comments[0].back(), ' ');
    // The fallback runs lie between the last START and the STOP.
    KillPicture(pic);
}

TEST_F(Bezier, PlayingAtTwiceTheSizeDrawsTheCurveAndNoFallback) {
    PicHandle pic = RecordCircle();
    static int lines = 0;
    lines = 0;
    GrafProcs procs = {};
    procs.lineProc = [](Point p) {
        lines++;
        StdLine(p);
    };
    SetPortGrafProcs(&port, &procs);
    Rect dst = {0, 0, 200, 200};
    OrvaDrawPicture(pic, &dst);
    SetPortGrafProcs(&port, nullptr);
    EXPECT_EQ(lines, 0);
    EXPECT_FALSE(BzIsBezierEngagedInDrawPict());
    EXPECT_EQ(PortPixel(&port, 100, 100), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 100, 65), 0x000000u);  // radius 40 after scaling
    EXPECT_EQ(PortPixel(&port, 100, 55), 0xFFFFFFu);
    // A plain player draws the fallback runs instead.
    EraseRect(&port.portRect);
    SetPortGrafProcs(&port, &procs);
    DrawPicture(pic, &dst);
    SetPortGrafProcs(&port, nullptr);
    EXPECT_GT(lines, 10);
    EXPECT_EQ(PortPixel(&port, 100, 100), 0x000000u);
    KillPicture(pic);
}

TEST_F(Bezier, PlayingIntoARecordingKeepsTheCurveInNewCoordinates) {
    PicHandle inner = RecordCircle();
    Rect dst = {0, 0, 200, 200};
    PicHandle outer = OpenPicture(&dst);
    OrvaDrawPicture(inner, &dst);
    ClosePicture();
    std::vector<std::string> comments = BezierComments(outer);
    ASSERT_GE(comments.size(), 1u);
    EXPECT_EQ(comments[0].rfind("START 0 0 0 4.0000 4 ", 0), 0u);
    EXPECT_NE(comments[0].find(" 100 60 "), std::string::npos);  // (50, 30) doubled
    KillPicture(outer);
    KillPicture(inner);
}

TEST_F(Bezier, CommentsDoNotDependOnTheNumericLocale) {
    PicHandle plain = RecordCircle();
    std::vector<std::string> expected = BezierComments(plain);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        KillPicture(plain);
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    }
    PicHandle german = RecordCircle();
    EXPECT_EQ(BezierComments(german), expected);
    Rect dst = {0, 0, 200, 200};
    OrvaDrawPicture(german, &dst);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(PortPixel(&port, 100, 65), 0x000000u);
    KillPicture(german);
    KillPicture(plain);
}

TEST_F(Bezier, HostileCommentsAreRefusedQuietly) {
    const char *texts[] = {"START 0 0 0 4 1000 1 2 3 4 5 6 ", "START 0 0 0 4 1 nan 2 3 4 5 6 ",
                           "START 0 0 0 4 1 1e30 2 3 4 5 6 ", "START 0 0 0 4 1 1 2 3 4 5 6", "STOP"};
    for (const char *t : texts) EXPECT_EQ(BzProcessBezierCommand(t, SInt32(std::strlen(t)), false, false, nullptr), 1);
    EXPECT_FALSE(BzIsBezierEngagedInDrawPict());
    EXPECT_EQ(BzProcessBezierCommand("HELLO", 5, false, false, nullptr), 0);
    EXPECT_EQ(BzProcessBezierCommand("START0000", 9, false, false, nullptr), 0);
    EXPECT_EQ(PortPixel(&port, 3, 3), 0xFFFFFFu);
}

}  // namespace

// ctest-labels: staffobjects
// What a reader sees of staff objects: omrender's pictures of the lyrics and tablature demos
// read back from their pixels (syllables under their heads, verses a line apart, hyphens; six
// strings with their fret numbers), strings and frets of tablature notes, and chord symbols,
// diagrams, text objects and hostile geometry drawn into a port.
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "engraving/engraver.h"
#include "tools/demo_scores/strip_geometry.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_table.h"
#include "graphics/cairo/port_surfaces.h"
#include "score/notes.h"
#include "score/tablature_record.h"
#include "staffobjects/chord_diagrams.h"
#include "staffobjects/karaoke_cells.h"
#include "staffobjects/staff_objects.h"
#include "staffobjects/staff_objects_draw.h"
#include "staffobjects/tablature.h"
#include "staffobjects/text_objects.h"
#include "support/graphics/quickdraw_support.h"
#include "support/score_support.h"
#include "support/tool_support.h"

namespace {

// A picture as ink: a pixel darker than mid grey.
struct Ink {
    int width = 0, height = 0;
    std::vector<bool> ink;
    bool At(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && ink[size_t(y) * width + x]; }
};

Ink LoadInk(const std::string &png) {
    Ink out;
    cairo_surface_t *s = cairo_image_surface_create_from_png(png.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) return out;
    cairo_surface_flush(s);
    out.width = cairo_image_surface_get_width(s);
    out.height = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char *data = cairo_image_surface_get_data(s);
    out.ink.resize(size_t(out.width) * out.height);
    for (int y = 0; y < out.height; y++)
        for (int x = 0; x < out.width; x++) {
            uint32_t p = *reinterpret_cast<const uint32_t *>(data + y * stride + x * 4);
            int lum = int(((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10;
            out.ink[size_t(y) * out.width + x] = lum < 128;
        }
    cairo_surface_destroy(s);
    return out;
}

std::string Render(const std::string &demo, const std::string &options) {
    std::string png = TempFile(demo + ".png");
    int status = -1;
    std::string out = RunCommand(ToolPath("omrender") + " --demo " + demo + " --strip " + options + " -o " + png + " 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    return png;
}

// A run of ink columns within rows [top, bottom): its extent.
struct Blob {
    int left, right, top, bottom;
    float Centre() const { return (left + right + 1) / 2.0f; }
};

// The blobs of a band of rows: columns with ink, joined across gaps narrower than gap.
std::vector<Blob> Blobs(const Ink &ink, int top, int bottom, int gap) {
    std::vector<Blob> blobs;
    int last = -1000;
    for (int x = 0; x < ink.width; x++) {
        int first = -1, lastRow = -1;
        for (int y = top; y < bottom; y++)
            if (ink.At(x, y)) {
                if (first < 0) first = y;
                lastRow = y;
            }
        if (first < 0) continue;
        if (!blobs.empty() && x - last <= gap) {
            Blob &b = blobs.back();
            b.right = x;
            b.top = std::min(b.top, first);
            b.bottom = std::max(b.bottom, lastRow);
        } else {
            blobs.push_back(Blob{x, x, first, lastRow});
        }
        last = x;
    }
    return blobs;
}

// The bands of rows holding ink below y: [top, bottom) pairs.
std::vector<std::pair<int, int>> Bands(const Ink &ink, int from) {
    std::vector<std::pair<int, int>> bands;
    bool inside = false;
    for (int y = from; y <= ink.height; y++) {
        bool any = false;
        for (int x = 0; y < ink.height && x < ink.width && !any; x++) any = ink.At(x, y);
        if (any && !inside) bands.push_back({y, y});
        if (!any && inside) bands.back().second = y;
        inside = any;
    }
    return bands;
}

TEST(StaffObjectsDrawing, SyllablesStandUnderTheirHeadsVersesALineApartWithHyphens) {
    std::string png = Render("lyrics", "");
    int status = -1;
    std::string list = RunCommand(ToolPath("pngstaff") + " --list --clef G " + png, &status);
    ASSERT_EQ(status, 0) << list;
    std::vector<float> heads;
    float bottom = 0, space = 0;
    std::istringstream lines(list);
    for (std::string line; std::getline(lines, line);) {
        float x = 0, top = 0;
        if (std::sscanf(line.c_str(), "head staff=1 x=%f", &x) == 1) heads.push_back(x);
        if (std::sscanf(line.c_str(), "staff 1 system=1 top=%f bottom=%f", &top, &bottom) == 2) {
            size_t at = line.find("space=");
            space = std::stof(line.substr(at + 6));
        }
    }
    ASSERT_EQ(heads.size(), 8u) << list;
    ASSERT_GT(space, 5);
    Ink ink = LoadInk(png);
    // Below the heads and their ledger line: the two verses.
    std::vector<std::pair<int, int>> bands = Bands(ink, int(bottom + 1.6f * space));
    ASSERT_EQ(bands.size(), 2u);
    float textHeight = float(bands[0].second - bands[0].first);
    float apart = float(bands[1].first - bands[0].first);
    EXPECT_GE(apart, 0.8f * space);
    EXPECT_LE(apart, 1.8f * space);
    EXPECT_GE(apart, textHeight);
    const size_t hyphensWanted[2] = {1, 2};
    const size_t hyphenAfter[2][2] = {{6, 99}, {2, 6}};  // "se-ven"; "sec-ond", "re-peat"
    for (size_t v = 0; v < 2; v++) {
        SCOPED_TRACE("verse " + std::to_string(v + 1));
        std::vector<Blob> blobs = Blobs(ink, bands[v].first, bands[v].second, int(0.4f * space));
        std::vector<Blob> syllables, hyphens;
        for (const Blob &b : blobs) {
            bool flat = b.bottom - b.top <= std::max(1, int(0.15f * space));
            (flat ? hyphens : syllables).push_back(b);
        }
        ASSERT_EQ(syllables.size(), 8u);
        ASSERT_EQ(hyphens.size(), hyphensWanted[v]);
        for (size_t k = 0; k < 8; k++) EXPECT_LE(std::fabs(syllables[k].Centre() - heads[k]), space / 2) << k;
        for (size_t h = 0; h < hyphens.size(); h++) {
            size_t k = hyphenAfter[v][h];
            EXPECT_GT(hyphens[h].left, syllables[k].right);
            EXPECT_LT(hyphens[h].right, syllables[k + 1].left);
            // Centred in the gap, within a pixel or two.
            float middle = (syllables[k].right + syllables[k + 1].left) / 2.0f;
            EXPECT_LE(std::fabs(hyphens[h].Centre() - middle), 2.0f);
        }
    }
    std::remove(png.c_str());
}

TEST(StaffObjectsDrawing, TheTablatureShowsSixStringsAndTheFretOfEachNote) {
    std::string png = Render("tab", "--space 20");
    Ink ink = LoadInk(png);
    ASSERT_GT(ink.width, 0);
    // The strings: rows whose ink runs across most of the picture.
    std::vector<int> rows;
    for (int y = 0; y < ink.height; y++) {
        int run = 0, best = 0;
        for (int x = 0; x < ink.width; x++) best = std::max(best, run = ink.At(x, y) ? run + 1 : 0);
        if (best > ink.width / 4 && (rows.empty() || y > rows.back() + 1)) rows.push_back(y);
    }
    ASSERT_EQ(rows.size(), 6u);
    for (size_t k = 1; k < 6; k++) EXPECT_NEAR(rows[k] - rows[k - 1], 20, 1);
    // Along each string, the places where the line stops for a number: its ink crossing the
    // string once ("1") or twice ("0"), six spaces after the lines begin (past the clef and the
    // time signature).
    int start = 0;
    while (start < ink.width && !ink.At(start, rows[0])) start++;
    start += 6 * 20;
    std::vector<std::string> found(6);
    for (size_t k = 0; k < 6; k++) {
        int y = rows[k];
        std::vector<std::pair<int, int>> runs;
        for (int x = start; x < ink.width; x++) {
            if (!ink.At(x, y)) continue;
            int end = x;
            while (end + 1 < ink.width && ink.At(end + 1, y)) end++;
            runs.push_back({x, end});
            x = end;
        }
        for (size_t r = 0; r + 1 < runs.size();) {
            if (runs[r].second - runs[r].first < 4) {
                r++;
                continue;
            }
            size_t n = r + 1;
            while (n < runs.size() && runs[n].second - runs[n].first < 4) n++;
            size_t strokes = n - r - 1;
            if (strokes == 2) found[k] += "0";
            else if (strokes == 1) found[k] += "1";
            else if (n < runs.size() && strokes) found[k] += "?";
            r = n;
        }
    }
    // The highest string first: E4; B3 then C4; G3; D3; A2; E2.
    const char *expected[6] = {"0", "01", "0", "0", "0", "0"};
    for (size_t k = 0; k < 6; k++) EXPECT_EQ(found[k], expected[k]) << "string " << k;
    std::remove(png.c_str());
}

TEST(Tablature, NotesTakeTheHighestFreeStringAtOrBelowThem) {
    ScoreFixture f;
    StaffHandle staff = CreePorteeVide(f.score, kPorteeTablature, 1, 0);
    ASSERT_EQ(InitPorteeTablature(staff), noErr);
    // An open-string chord E2 B3 E4 (top down), a note given on its string, and notes that no
    // string holds.
    SInt32 e4 = AddNote(staff, 64, 0), b3 = AddNote(staff, 59, 0), e2 = AddNote(staff, 40, 0);
    NoteRecord given;
    RazNote(&given, 64, 40320);
    given.string = 1, given.fret = 5;  // E4 on the B string
    SInt32 g = InsereNote(staff, &given, 40320, 0, 1);
    SInt32 low = AddNote(staff, 30, 80640), high = AddNote(staff, 100, 120960);
    // Seven Es at once: six strings.
    for (int i = 0; i < 7; i++) AddNote(staff, 64, 161280);
    const struct {
        SInt32 index;
        bool playable;
        SInt16 string, fret;
    } rows[] = {{e4, true, 0, 0},   {b3, true, 1, 0}, {e2, true, 5, 0},  {g, true, 1, 5},
                {low, false, 5, -1}, {high, false, 5, -1}, {6, true, 0, 0}, {7, true, 1, 5},
                {8, true, 2, 9},    {9, true, 3, 14}, {10, true, 4, 19}, {11, false, 5, -1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.index);
        SInt16 string = -9, fret = -9;
        EXPECT_EQ(bool(CalculeCordeNote(staff, row.index, &string, &fret)), row.playable);
        EXPECT_EQ(string, row.string);
        EXPECT_EQ(fret, row.fret);
    }
    SInt16 string = 0, fret = 0;
    EXPECT_FALSE(CalculeCordeNote(staff, 99, &string, &fret));
    EXPECT_EQ(string, -1);
    // A tuning of one string, fret and string bytes of 255.
    GetTablaturePtr(staff)->stringCount = 1;
    GetNotePtr(staff, e2)->string = 255;
    GetNotePtr(staff, e2)->fret = 255;
    EXPECT_FALSE(CalculeCordeNote(staff, e2, &string, &fret));
    EXPECT_EQ(string, 0);
    EXPECT_TRUE(CalculeCordeNote(staff, e4, &string, &fret));
}

// A port with one system drawn by the engraver and the staff objects.
class StaffObjectsPort : public ::testing::Test {
  protected:
    GrafPort port = {};
    void SetUp() override {
        StartQuickDrawForTests();
        OrvaGetFontList();
        InitGravure();
        InitObjetsPortee();
        OpenTestPort(&port, 800, 300);
        OrvaFillSurfaceRect(&port, 0, 0, 799, 299, 0xFFFFFF);
        ForeColor(33);
    }
    void TearDown() override {
        ClosePort(&port);
        FinObjetsPortee();
        FinGravure();
    }
    GeometrieSegment Geometry(ScoreHandle score, std::vector<float> *mx, std::vector<float> *nx) {
        SInt32 count = (*score)->measureCount;
        mx->resize(size_t(count) + 1);
        nx->resize(size_t(count));
        CalculeGeometrieBande(score, 0, count, 30, 10, 50, kTrue, mx->data(), nx->data());
        return GeometrieSegment{0, count, mx->data(), nx->data(), nullptr, nullptr, 30, 150, 10, 1, kSegmentDebutSysteme};
    }
    SInt32 InkIn(int left, int top, int right, int bottom) {
        SInt32 n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++) n += (PortPixel(&port, x, y) & 0xFF) < 128;
        return n;
    }
};

TEST_F(StaffObjectsPort, ChordSymbolsDiagramsAndTextsInkTheirPlaces) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    for (int i = 0; i < 4; i++) AddNote(staff, 67, i * 40320);
    std::vector<float> mx, nx;
    GeometrieSegment g = Geometry(f.score, &mx, &nx);
    ASSERT_EQ(TraceObjetsPortee(staff, &g), noErr);
    EXPECT_EQ(InkIn(0, 0, 800, 300), 0);  // nothing to draw yet
    SetTexteKaraokeCellule(staff, 0, 0, kLigneAccords, "C G7 ");
    ASSERT_EQ(TraceObjetsPortee(staff, &g), noErr);
    float first = XTempsSegment(f.score, &g, 0), second = XTempsSegment(f.score, &g, 40320);
    // Above the staff at the first two notes, nothing at the third.
    EXPECT_GT(InkIn(int(first) - 2, 110, int(first) + 12, 140), 10);
    EXPECT_GT(InkIn(int(second) - 2, 110, int(second) + 20, 140), 10);
    float third = XTempsSegment(f.score, &g, 80640);
    EXPECT_EQ(InkIn(int(third) - 2, 100, int(third) + 20, 140), 0);
    // A text object below the staff, a diagram high above it.
    ASSERT_EQ(CreeObjetTexte(staff, "PART:A", 20, 12, 128, 80640, 40), 0);
    SInt32 d = NewDiagramme(staff);
    ChordDiagramObject *diagram = GetDiagrammePtr(staff, d);
    diagram->time = 120960;
    diagram->shape = DiagramShape{6, 4, 1, 1, {'x', ' ', ' ', ' ', ' ', ' '}, {{0, 0, 5}}, {0, 0, 0}};
    std::strcpy(diagram->name, "F");
    OrvaFillSurfaceRect(&port, 0, 0, 799, 299, 0xFFFFFF);
    ASSERT_EQ(TraceObjetsPortee(staff, &g), noErr);
    EXPECT_GT(InkIn(int(third) - 2, 150 + 60, int(third) + 60, 150 + 95), 20);
    float fourth = XTempsSegment(f.score, &g, 120960);
    EXPECT_GT(InkIn(int(fourth) - 5, 30, int(fourth) + 60, 150 - 30), 100);
    // The port's settings come back.
    EXPECT_EQ(port.txFont, qd.thePort->txFont);
}

TEST_F(StaffObjectsPort, HostileGeometryAndObjectsAreRefusedOrPassedOver) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 60, 0);
    SetTexteKaraokeCellule(staff, 0, 0, kLigneParoles, std::string(60000, '-').c_str());
    SetTexteKaraokeCellule(staff, 0, 1, kLigneParoles, "\r\r\r^^^===___");
    SetTexteKaraokeCellule(staff, 0, 2, kLigneParoles, std::string(50000, 'W').c_str());
    SInt32 d = NewDiagramme(staff);
    GetDiagrammePtr(staff, d)->shape.stringCount = 200;  // not a shape: passed over
    GetDiagrammePtr(staff, d)->width = 0x7FFFFFFF;
    std::vector<float> mx, nx;
    GeometrieSegment g = Geometry(f.score, &mx, &nx);
    EXPECT_EQ(TraceObjetsPortee(staff, &g), noErr);
    GeometrieSegment bad = g;
    bad.space = std::nanf("");
    EXPECT_EQ(TraceObjetsPortee(staff, &bad), paramErr);
    bad = g;
    bad.firstMeasure = 5;
    EXPECT_EQ(TraceObjetsPortee(staff, &bad), paramErr);
    EXPECT_EQ(TraceObjetsPortee(nullptr, &g), paramErr);
    EXPECT_EQ(TraceObjetsPortee(staff, nullptr), paramErr);
}

}  // namespace

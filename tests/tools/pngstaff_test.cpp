// ctest-labels: engraving
// pngstaff reading pictures composed here: staff lines, stems, beams and ties drawn with
// cairo and glyphs of the built music font placed at known pitches, so that the reader is
// proven before any engraver draws for it; and its answers to files it cannot read.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "engraving/glyphs.h"
#include "support/graphics/quickdraw_support.h"
#include "support/tool_support.h"

namespace {

const MusicGlyphMetrics *Metrics(unsigned short code) {
    for (const MusicGlyphMetrics &m : kMusicGlyphMetrics)
        if (m.code == code) return &m;
    return nullptr;
}

const int kG = 30, kF = 18;  // diatonic steps of the bottom line: E4, G2
int Step(char name, int octave) { return octave * 7 + int(std::string("CDEFGAB").find(name)); }

// A picture of staves drawn the plain way: lines, bars, stems and beams with cairo, every
// other symbol a glyph of the music font. Coordinates are those of a staff space of s = 10
// pixels; the picture itself is drawn zoom times larger.
class Picture {
public:
    Picture(int width, int height, double zoom = 1) {
        surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(width * zoom), int(height * zoom));
        cr_ = cairo_create(surface_);
        cairo_set_source_rgb(cr_, 1, 1, 1);
        cairo_paint(cr_);
        cairo_set_source_rgb(cr_, 0, 0, 0);
        cairo_scale(cr_, zoom, zoom);
        layout_ = pango_cairo_create_layout(cr_);
        cairo_font_options_t *options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(pango_layout_get_context(layout_), options);
        cairo_font_options_destroy(options);
    }
    ~Picture() {
        g_object_unref(layout_);
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    const double s = 10;
    double Width(unsigned short code) const { return Metrics(code)->advance * 4 * s / kMusicFontUnitsPerEm; }
    // A staff with its top line at y; bottomStep (the clef) turns steps into heights.
    void Staff(double top, double left, double right, int bottomStep = kG) {
        top_ = top;
        bottomStep_ = bottomStep;
        cairo_set_line_width(cr_, 0.12 * s);
        for (int k = 0; k < 5; k++) Line(left, top + k * s, right, top + k * s);
    }
    double Y(int step) const { return top_ + (8 - (step - bottomStep_)) * s / 2; }
    void Glyph(unsigned short code, double x, double y, double size = 0) {
        char utf8[4] = {char(0xE0 | (code >> 12)), char(0x80 | ((code >> 6) & 0x3F)), char(0x80 | (code & 0x3F)), 0};
        Show("Quorella", size > 0 ? size : 4 * s, utf8, x, y);
    }
    void Text(const char *text, double x, double y, double size) { Show("DejaVu Sans", size, text, x, y); }
    // A head at step with its ledger lines; stem +1 up, -1 down, 0 none. Answers the
    // stem's free end.
    std::pair<double, double> Note(unsigned short head, double x, int step, int stem) {
        double y = Y(step), width = Width(head), stemWidth = 0.13 * s;
        int position = 8 - (step - bottomStep_);
        cairo_set_line_width(cr_, 0.12 * s);
        for (int p = 10; p <= position; p += 2) Line(x - 0.3 * s, top_ + p * s / 2, x + width + 0.3 * s, top_ + p * s / 2);
        for (int p = -2; p >= position; p -= 2) Line(x - 0.3 * s, top_ + p * s / 2, x + width + 0.3 * s, top_ + p * s / 2);
        Glyph(head, x, y);
        if (stem == 0) return {x, y};
        double stemX = stem > 0 ? x + width - stemWidth / 2 : x + stemWidth / 2, end = y - stem * 3.5 * s;
        cairo_set_line_width(cr_, stemWidth);
        Line(stemX, y, stemX, end);
        return {stemX, end};
    }
    void Bar(double x, double width, double top, double bottom) {
        cairo_rectangle(cr_, x, top, width, bottom - top);
        cairo_fill(cr_);
    }
    // A beam from stem end to stem end, growing toward the heads.
    void Beam(std::pair<double, double> from, std::pair<double, double> to, int stem) {
        double thick = 0.5 * s * stem, half = 0.065 * s;
        cairo_move_to(cr_, from.first - half, from.second);
        cairo_line_to(cr_, to.first + half, to.second);
        cairo_line_to(cr_, to.first + half, to.second + thick);
        cairo_line_to(cr_, from.first - half, from.second + thick);
        cairo_close_path(cr_);
        cairo_fill(cr_);
    }
    // A tie or slur from (x0, y0) to (x1, y1) bulging by rise (negative: up).
    void Arc(double x0, double y0, double x1, double y1, double rise) {
        double third = (x1 - x0) / 3;
        cairo_move_to(cr_, x0, y0);
        cairo_curve_to(cr_, x0 + third, y0 + rise, x1 - third, y1 + rise, x1, y1);
        cairo_curve_to(cr_, x1 - third, y1 + rise * 0.7, x0 + third, y0 + rise * 0.7, x0, y0);
        cairo_fill(cr_);
    }
    // What pngstaff prints about the picture, then its --list lines.
    std::string Read(const std::string &arguments, const char *name) {
        std::string png = TempFile(name);
        cairo_surface_write_to_png(surface_, png.c_str());
        int status = -1;
        std::string out = RunCommand(ToolPath("pngstaff") + " " + arguments + " " + png, &status);
        EXPECT_EQ(status, 0) << out;
        out += "--\n" + RunCommand(ToolPath("pngstaff") + " --list " + arguments + " " + png, &status);
        std::remove(png.c_str());
        return out;
    }

private:
    void Show(const char *family, double size, const char *text, double x, double y) {
        PangoFontDescription *description = pango_font_description_from_string(family);
        pango_font_description_set_absolute_size(description, size * PANGO_SCALE);
        pango_layout_set_font_description(layout_, description);
        pango_font_description_free(description);
        pango_layout_set_text(layout_, text, -1);
        cairo_move_to(cr_, x, y - pango_layout_get_baseline(layout_) / double(PANGO_SCALE));
        pango_cairo_show_layout(cr_, layout_);
    }
    void Line(double x0, double y0, double x1, double y1) {
        cairo_move_to(cr_, x0, y0);
        cairo_line_to(cr_, x1, y1);
        cairo_stroke(cr_);
    }
    cairo_surface_t *surface_;
    cairo_t *cr_;
    PangoLayout *layout_;
    double top_ = 0;
    int bottomStep_ = kG;
};

// The built music font, known to pango once per process.
void UseMusicFont() {
    static bool done = false;
    if (done) return;
    done = true;
    std::string font = BuildTreePath("fonts/Quorella.ttf");
    ASSERT_TRUE(FcConfigAppFontAddFile(nullptr, (const FcChar8 *)font.c_str())) << font;
    PangoFontMap *fresh = pango_cairo_font_map_new();
    pango_cairo_font_map_set_default(PANGO_CAIRO_FONT_MAP(fresh));
    g_object_unref(fresh);
}

// Each picture is read at three sizes: staff spaces of 10, 16 and 24 pixels.
class PngStaff : public ::testing::TestWithParam<double> {
protected:
    void SetUp() override { UseMusicFont(); }
};

bool Has(const std::string &out, const std::string &line) { return out.find(line + "\n") != std::string::npos; }

TEST_P(PngStaff, ScaleUnderTheTrebleClef) {
    Picture picture(420, 120, GetParam());
    picture.Staff(40, 10, 410);
    picture.Glyph(kGlyphClefG, 20, picture.Y(Step('G', 4)));
    picture.Glyph(kGlyphDigit4, 60, picture.Y(Step('B', 4)));
    picture.Glyph(kGlyphDigit4, 60, picture.Y(Step('E', 4)));
    for (int i = 0; i < 8; i++) {
        int step = Step('C', 4) + i;
        picture.Note(kGlyphHeadBlack, 100 + 38 * i, step, step >= Step('B', 4) ? -1 : 1);
    }
    std::string out = picture.Read("--clef G", "scale.png");
    EXPECT_TRUE(Has(out, "staves=1 heads=8 pitches=C4,D4,E4,F4,G4,A4,B4,C5")) << out;
    EXPECT_TRUE(Has(out, "accidentals=0") && Has(out, "rests=0") && Has(out, "beams=0")) << out;
}

TEST_P(PngStaff, HollowHeadsUnderTheBassClef) {
    Picture picture(420, 130, GetParam());
    picture.Staff(40, 10, 410, kF);
    picture.Glyph(kGlyphClefF, 20, picture.Y(Step('F', 3)));
    for (int i = 0; i < 8; i++) {
        int step = Step('C', 3) + i;
        bool whole = i % 2;
        picture.Note(whole ? kGlyphHeadWhole : kGlyphHeadHalf, 80 + 40 * i, step, whole ? 0 : (i < 4 ? 1 : -1));
    }
    std::string out = picture.Read("--clef F", "bass.png");
    EXPECT_TRUE(Has(out, "staves=1 heads=8 pitches=C3,D3,E3,F3,G3,A3,B3,C4")) << out;
}

TEST_P(PngStaff, EighthsBeamedByHalfBar) {
    Picture picture(620, 120, GetParam());
    picture.Staff(40, 10, 610);
    picture.Glyph(kGlyphClefG, 20, picture.Y(Step('G', 4)));
    const int steps[8] = {Step('C', 4), Step('E', 4), Step('G', 4), Step('E', 4),
                          Step('D', 5), Step('B', 4), Step('G', 4), Step('B', 4)};
    double x = 70;
    for (int measure = 0; measure < 2; measure++) {
        for (int group = 0; group < 2; group++) {
            int stem = group == 0 ? 1 : -1;
            std::pair<double, double> first, last;
            for (int i = 0; i < 4; i++, x += 30) {
                auto end = picture.Note(kGlyphHeadBlack, x, steps[group * 4 + i], stem);
                if (i == 0) first = end;
                last = end;
            }
            double level = stem > 0 ? std::min(first.second, last.second) : std::max(first.second, last.second);
            picture.Beam({first.first, level}, {last.first, level}, stem);
        }
        picture.Bar(x, 1.2, 40, 80);
        x += 20;
    }
    std::string out = picture.Read("--clef G", "eighths.png");
    EXPECT_TRUE(Has(out, "staves=1 heads=16 pitches=C4,E4,G4,E4,D5,B4,G4,B4,C4,E4,G4,E4,D5,B4,G4,B4")) << out;
    EXPECT_TRUE(Has(out, "beams=4") && Has(out, "barlines=2")) << out;
}

TEST_P(PngStaff, AccidentalsBeforeHeadsAndNotInTheKey) {
    Picture picture(420, 120, GetParam());
    picture.Staff(40, 10, 410);
    picture.Glyph(kGlyphClefG, 20, picture.Y(Step('G', 4)));
    picture.Glyph(kGlyphAccSharp, 55, picture.Y(Step('F', 5)));  // a key of one sharp
    const struct {
        char name;
        unsigned short accidental;
    } rows[] = {{'F', kGlyphAccSharp}, {'B', kGlyphAccFlat}, {'F', 0}, {'F', kGlyphAccNatural}};
    for (int i = 0; i < 4; i++) {
        double x = 110 + 70 * i;
        int step = Step(rows[i].name, 4);
        if (rows[i].accidental) picture.Glyph(rows[i].accidental, x - 20, picture.Y(step));
        picture.Note(kGlyphHeadBlack, x, step, 1);
    }
    std::string out = picture.Read("--clef G", "accidentals.png");
    EXPECT_TRUE(Has(out, "staves=1 heads=4 pitches=F4,B4,F4,F4") && Has(out, "accidentals=3")) << out;
    for (const char *name : {"sharp", "flat", "natural"})
        EXPECT_NE(out.find(std::string("name=") + name + "\n"), std::string::npos) << name << out;
}

TEST_P(PngStaff, TiesAreLevelArcsAndSlursAreNot) {
    Picture picture(520, 120, GetParam());
    picture.Staff(40, 10, 510);
    picture.Glyph(kGlyphClefG, 20, picture.Y(Step('G', 4)));
    double a4 = picture.Y(Step('A', 4)), d4 = picture.Y(Step('D', 4));
    picture.Note(kGlyphHeadBlack, 80, Step('A', 4), 1);
    picture.Note(kGlyphHeadBlack, 140, Step('A', 4), 1);
    picture.Arc(95, a4 + 7, 138, a4 + 7, 6);
    picture.Note(kGlyphHeadBlack, 220, Step('D', 4), 1);
    picture.Bar(265, 1.2, 40, 80);
    picture.Note(kGlyphHeadBlack, 300, Step('D', 4), 1);
    picture.Arc(234, d4 + 7, 298, d4 + 7, 7);  // across the bar line
    picture.Note(kGlyphHeadBlack, 380, Step('C', 5), -1);
    picture.Note(kGlyphHeadBlack, 450, Step('F', 5), -1);
    picture.Arc(386, picture.Y(Step('C', 5)) - 8, 456, picture.Y(Step('F', 5)) - 8, -8);
    std::string out = picture.Read("--clef G", "ties.png");
    EXPECT_TRUE(Has(out, "staves=1 heads=6 pitches=A4,A4,D4,D4,C5,F5")) << out;
    EXPECT_TRUE(Has(out, "ties=2") && Has(out, "slurs=1") && Has(out, "barlines=1")) << out;
}

TEST_P(PngStaff, ChordsStackAndSecondsSitBeside) {
    Picture picture(300, 120, GetParam());
    picture.Staff(40, 10, 290);
    picture.Glyph(kGlyphClefG, 20, picture.Y(Step('G', 4)));
    for (char name : {'E', 'G'}) picture.Note(kGlyphHeadBlack, 100, Step(name, 4), 0);
    picture.Note(kGlyphHeadBlack, 100, Step('C', 4), 1);
    picture.Note(kGlyphHeadBlack, 180, Step('C', 4), 1);
    double offset = picture.Width(kGlyphHeadBlack) - 0.13 * picture.s;  // the heads share the stem
    picture.Note(kGlyphHeadBlack, 180 + offset, Step('D', 4), 0);
    std::string out = picture.Read("--clef G --list", "chords.png");
    EXPECT_TRUE(Has(out, "staves=1 heads=5 pitches=C4,E4,G4,C4,D4")) << out;
    double c = 0, d = 0;
    std::sscanf(out.c_str() + out.find("pitch=E4\n"), "%*[^\n]\nhead staff=1 x=%*f y=%*f position=%*d pitch=G4\nhead staff=1 x=%lf", &c);
    std::sscanf(out.c_str() + out.rfind("head staff=1 x="), "head staff=1 x=%lf", &d);
    EXPECT_NEAR(d - c, offset * GetParam(), 0.15 * picture.s * GetParam()) << out;
}

TEST_P(PngStaff, RestsOfEachLength) {
    Picture picture(420, 120, GetParam());
    picture.Staff(40, 10, 410);
    picture.Glyph(kGlyphClefG, 20, picture.Y(Step('G', 4)));
    const unsigned short rests[] = {kGlyphRestWhole, kGlyphRestHalf, kGlyphRestQuarter, kGlyphRest8th, kGlyphRest16th};
    for (int i = 0; i < 5; i++) picture.Glyph(rests[i], 80 + 60 * i, picture.Y(Step(i == 0 ? 'D' : 'B', i == 0 ? 5 : 4)));
    std::string out = picture.Read("--clef G", "rests.png");
    EXPECT_TRUE(Has(out, "staves=1 heads=0 pitches=") && Has(out, "rests=5")) << out;
    for (const char *name : {"whole", "half", "quarter", "eighth", "16th"})
        EXPECT_NE(out.find(std::string("name=") + name + "\n"), std::string::npos) << name << out;
}

TEST_P(PngStaff, RepeatBarLinesAndVoltas) {
    Picture picture(520, 140, GetParam());
    picture.Staff(50, 10, 510);
    picture.Glyph(kGlyphClefG, 20, picture.Y(Step('G', 4)));
    auto dots = [&](double x) {
        picture.Glyph(kGlyphDot, x, 65);
        picture.Glyph(kGlyphDot, x, 75);
    };
    picture.Bar(70, 5, 50, 90);  // |: thick, thin, dots
    picture.Bar(78, 1.2, 50, 90);
    dots(83);
    picture.Note(kGlyphHeadBlack, 110, Step('G', 4), 1);
    picture.Bar(150, 1.2, 50, 90);
    picture.Note(kGlyphHeadBlack, 180, Step('A', 4), 1);
    dots(220);  // :| dots, thin, thick
    picture.Bar(228, 1.2, 50, 90);
    picture.Bar(232, 5, 50, 90);
    picture.Note(kGlyphHeadBlack, 270, Step('B', 4), 1);
    picture.Bar(320, 1.2, 50, 90);
    picture.Text("1.", 155, 25, 12);
    picture.Text("2.", 240, 25, 12);
    std::string out = picture.Read("--clef G", "repeats.png");
    EXPECT_TRUE(Has(out, "repeat-barlines=2") && Has(out, "heads=3 pitches=G4,A4,B4")) << out;
}

TEST_P(PngStaff, SignsThatAreNotNotes) {
    Picture picture(620, 260, GetParam());
    picture.Staff(60, 10, 610);
    const unsigned short signs[] = {kGlyphClefG, kGlyphClefC, kGlyphTimeCommon, kGlyphDigit8, kGlyphDigit0,
                                    kGlyphSegno, kGlyphCoda,  kGlyphFermataAbove, kGlyphTrill};
    double x = 20;
    for (unsigned short sign : signs) {
        picture.Glyph(sign, x, picture.Y(Step('B', 4)));
        x += picture.Width(sign) + 12;
    }
    // Dynamics and pedal marks below the staff.
    for (unsigned short sign : {kGlyphDynamicM, kGlyphDynamicF, kGlyphDynamicP, kGlyphDynamicZ, kGlyphPedalDown}) {
        picture.Glyph(sign, x, picture.Y(Step('G', 3)));
        x += picture.Width(sign) + 4;
    }
    picture.Staff(180, 10, 610, kF);
    picture.Glyph(kGlyphClefF, 20, picture.Y(Step('F', 3)));
    picture.Glyph(kGlyphDigit6, 70, picture.Y(Step('D', 3)));
    picture.Glyph(kGlyphDigit9, 100, picture.Y(Step('D', 3)));
    std::string out = picture.Read("--clef G", "signs.png");
    EXPECT_TRUE(Has(out, "staves=2 heads=0 pitches=")) << out;
    for (const char *none : {"beams=0", "accidentals=0", "rests=0", "ties=0", "repeat-barlines=0"})
        EXPECT_TRUE(Has(out, none)) << none << out;
}

// Pages are read down to the staff space of a page at 100 dpi, 6 pixels.
TEST(PngStaffPages, SystemsBracesAndTitles) {
    UseMusicFont();
    for (double zoom : {0.6, 1.0, 1.6}) {
        SCOPED_TRACE(zoom);
        const double kGap = 70;  // top line to top line
        Picture picture(600, 820, zoom);
        picture.Text("Title", 250, 30, 24);
        for (int system = 0; system < 2; system++) {
            double top = 90 + system * 370;
            for (int staff = 0; staff < 5; staff++) {
                bool bass = staff == 4;
                picture.Staff(top + staff * kGap, 60, 580, bass ? kF : kG);
                picture.Note(kGlyphHeadBlack, 150, bass ? Step('G', 2) : Step('G', 4), 1);
            }
            double bottom = top + 4 * kGap + 40;
            picture.Bar(60, 1.2, top, bottom);
            picture.Bar(580, 1.2, top, bottom);
            // The brace of the last two staves, sized to reach from one to the other.
            const MusicGlyphMetrics *brace = Metrics(kGlyphBrace);
            double from = top + 3 * kGap, height = kGap + 40;
            double size = height * kMusicFontUnitsPerEm / (brace->yMax - brace->yMin);
            picture.Glyph(kGlyphBrace, 57 - brace->xMax * size / kMusicFontUnitsPerEm, from + height / 2, size);
        }
        std::string out = picture.Read("--clef G,G,G,G,F", "page.png");
        EXPECT_TRUE(Has(out, "systems=2 staves=10") && Has(out, "braces=2") && Has(out, "ink-above=yes")) << out;
        EXPECT_NE(out.find("brace staves=4-5 left="), std::string::npos) << out;
        EXPECT_NE(out.find("brace staves=9-10 left="), std::string::npos) << out;
        if (zoom >= 1) {
            EXPECT_TRUE(Has(out, "staves=10 heads=10 pitches=G4,G4,G4,G4,G2,G4,G4,G4,G4,G2")) << out;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PngStaff, ::testing::Values(1.0, 1.6, 2.4));

TEST(PngStaffFiles, ClearErrorsForWhatIsNotAPicture) {
    std::string path = TempFile("bad.png");
    const std::string kSignature = "\x89PNG\r\n\x1a\n";
    const std::string kHuge = kSignature + std::string("\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0", 16);
    const struct {
        const char *label;
        std::string bytes;
        const char *message;
    } rows[] = {
        {"text", "staves=1\n", "not a PNG file"},
        {"empty", "", "not a PNG file"},
        {"header alone", kSignature + std::string("\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10", 16), "cannot decode"},
        {"100000 x 100000", kHuge, "100000 x 100000 pixels is too large"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        std::ofstream(path, std::ios::binary) << row.bytes;
        int status = -1;
        std::string out = RunCommand(ToolPath("pngstaff") + " " + path + " 2>&1", &status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << out;
        EXPECT_NE(out.find(row.message), std::string::npos) << out;
    }
    std::remove(path.c_str());
    int status = -1;
    RunCommand(ToolPath("pngstaff") + " --clef X nothing.png 2>&1", &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    // Blank pages, white or black, have no staves.
    for (double grey : {1.0, 0.0}) {
        cairo_surface_t *blank = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 50, 40);
        cairo_t *cr = cairo_create(blank);
        cairo_set_source_rgb(cr, grey, grey, grey);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_write_to_png(blank, path.c_str());
        cairo_surface_destroy(blank);
        std::string out = RunCommand(ToolPath("pngstaff") + " --clef G " + path, &status);
        EXPECT_TRUE(Has(out, "staves=0 heads=0 pitches=") && Has(out, "systems=0 staves=0")) << out;
    }
    std::remove(path.c_str());
}
}  // namespace

// The symbols of the icons, drawn with cairo paths on a 24 x 24 design grid: outlines in the
// look's ink, bodies in its accent or paper colour.
#include <cmath>
#include <initializer_list>

#include "icons.h"

namespace {

const double kPi = 3.14159265358979323846;
const double kLine = 1.5;  // the usual outline, in design units

void Set(cairo_t *cr, const Ink &c) { cairo_set_source_rgb(cr, c.red, c.green, c.blue); }

void Poly(cairo_t *cr, std::initializer_list<double> xy) {
    const double *p = xy.begin();
    cairo_move_to(cr, p[0], p[1]);
    for (size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(cr, p[i], p[i + 1]);
    cairo_close_path(cr);
}

void Box(cairo_t *cr, double left, double top, double right, double bottom) {
    cairo_rectangle(cr, left, top, right - left, bottom - top);
}

void RoundBox(cairo_t *cr, double left, double top, double right, double bottom, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, right - radius, top + radius, radius, -kPi / 2, 0);
    cairo_arc(cr, right - radius, bottom - radius, radius, 0, kPi / 2);
    cairo_arc(cr, left + radius, bottom - radius, radius, kPi / 2, kPi);
    cairo_arc(cr, left + radius, top + radius, radius, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void Circle(cairo_t *cr, double x, double y, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, radius, 0, 2 * kPi);
}

void Line(cairo_t *cr, double x0, double y0, double x1, double y1) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
}

void Fill(cairo_t *cr, const Ink &fill) {
    Set(cr, fill);
    cairo_fill(cr);
}

void Stroke(cairo_t *cr, const Ink &ink, double width) {
    Set(cr, ink);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void FillStroke(cairo_t *cr, const Ink &fill, const Ink &ink, double width = kLine) {
    Set(cr, fill);
    cairo_fill_preserve(cr);
    Stroke(cr, ink, width);
}

// A filled triangle pointing right (direction 1) or left (-1), its tip at x.
void Triangle(cairo_t *cr, const Look &look, double x, double half, double length, int direction) {
    Poly(cr, {x, 12, x - direction * length, 12 - half, x - direction * length, 12 + half});
    FillStroke(cr, look.accent, look.ink);
}

// A block arrow from (x0, 12) to (x1, 12).
void Arrow(cairo_t *cr, const Look &look, double x0, double x1) {
    double d = x1 > x0 ? 1 : -1, head = x1 - d * 5;
    Poly(cr, {x0, 10, head, 10, head, 7, x1, 12, head, 17, head, 14, x0, 14});
    FillStroke(cr, look.accent, look.ink);
}

void Page(cairo_t *cr, const Look &look, double left, double top, double right, double bottom) {
    Poly(cr, {left, top, right - 3, top, right, top + 3, right, bottom, left, bottom});
    FillStroke(cr, look.paper, look.ink);
    for (double y = top + 5; y < bottom - 2; y += 3) Line(cr, left + 2.5, y, right - 2.5, y);
    Stroke(cr, look.accent, 1);
}

void Note(cairo_t *cr, const Look &look, double x, double y) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, -0.35);
    cairo_scale(cr, 1.4, 1);
    Circle(cr, 0, 0, 2.5);
    cairo_restore(cr);
    Fill(cr, look.ink);
    Line(cr, x + 3.2, y - 0.8, x + 3.2, y - 13);
    Stroke(cr, look.ink, 1.6);
}

// Corner brackets of a viewfinder.
void Viewfinder(cairo_t *cr, const Look &look) {
    const double l = 2, t = 4, r = 22, b = 20, arm = 5;
    Line(cr, l, t + arm, l, t);
    cairo_line_to(cr, l + arm, t);
    Line(cr, r - arm, t, r, t);
    cairo_line_to(cr, r, t + arm);
    Line(cr, r, b - arm, r, b);
    cairo_line_to(cr, r - arm, b);
    Line(cr, l + arm, b, l, b);
    cairo_line_to(cr, l, b - arm);
    Stroke(cr, look.ink, 2);
}

// An arc of a circle with an arrow head at its end; angles in degrees, clockwise.
void CircularArrow(cairo_t *cr, const Look &look, double x, double y, double radius, double from, double to) {
    double a0 = from * kPi / 180, a1 = to * kPi / 180;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, radius, a0, a1 - 0.25);
    Stroke(cr, look.ink, 2.2);
    double ex = x + radius * std::cos(a1), ey = y + radius * std::sin(a1);
    double tx = -std::sin(a1), ty = std::cos(a1);  // the direction of travel
    double nx = std::cos(a1), ny = std::sin(a1);
    Poly(cr, {ex + 3.2 * tx, ey + 3.2 * ty, ex - 1.5 * tx + 3.2 * nx, ey - 1.5 * ty + 3.2 * ny,
              ex - 1.5 * tx - 3.2 * nx, ey - 1.5 * ty - 3.2 * ny});
    FillStroke(cr, look.accent, look.ink, 1);
}

void ListLines(cairo_t *cr, const Look &look, double left, double right) {
    for (double y : {6.0, 12.0, 18.0}) Line(cr, left, y, right, y);
    Stroke(cr, look.ink, 2);
}

}  // namespace

void DrawPlate(cairo_t *cr, const Look &look, double width, double height) {
    RoundBox(cr, 0.5, 0.5, width - 0.5, height - 0.5, height / 6);
    cairo_pattern_t *shade = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(shade, 0, look.plateTop.red, look.plateTop.green, look.plateTop.blue);
    cairo_pattern_add_color_stop_rgb(shade, 1, look.plateBottom.red, look.plateBottom.green, look.plateBottom.blue);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    Stroke(cr, look.border, 1);
}

void DrawHome(cairo_t *cr, const Look &look, double, double) {
    Poly(cr, {12, 2.5, 22, 12, 19, 12, 19, 21, 5, 21, 5, 12, 2, 12});
    FillStroke(cr, look.accent, look.ink);
    Box(cr, 10, 14, 14, 21);
    Fill(cr, look.ink);
    Box(cr, 15.5, 4, 18, 8.5);
    FillStroke(cr, look.accent, look.ink, 1);
}

void DrawPlay(cairo_t *cr, const Look &look, double, double) { Triangle(cr, look, 20, 8, 13, 1); }

void DrawRewind(cairo_t *cr, const Look &look, double, double) {
    Triangle(cr, look, 2.5, 7, 9.5, -1);
    Triangle(cr, look, 12, 7, 9.5, -1);
}

void DrawFastForward(cairo_t *cr, const Look &look, double, double) {
    Triangle(cr, look, 12, 7, 9.5, 1);
    Triangle(cr, look, 21.5, 7, 9.5, 1);
}

void DrawPause(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 5.5, 4.5, 10, 19.5);
    Box(cr, 14, 4.5, 18.5, 19.5);
    FillStroke(cr, look.accent, look.ink);
}

void DrawStop(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 5.5, 5.5, 18.5, 18.5);
    FillStroke(cr, look.accent, look.ink);
}

void DrawVolume(cairo_t *cr, const Look &look, double, double) {
    Poly(cr, {2.5, 9, 7, 9, 12, 4, 12, 20, 7, 15, 2.5, 15});
    FillStroke(cr, look.accent, look.ink);
    for (double radius : {4.5, 8.5}) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, 12.5, 12, radius, -kPi / 4, kPi / 4);
    }
    Stroke(cr, look.ink, 1.8);
}

void DrawMixer(cairo_t *cr, const Look &look, double, double) {
    const double knobs[3][2] = {{5, 15}, {12, 7.5}, {19, 11.5}};
    for (const auto &k : knobs) Line(cr, k[0], 2.5, k[0], 21.5);
    Stroke(cr, look.ink, 1.6);
    for (const auto &k : knobs) Box(cr, k[0] - 3, k[1] - 2, k[0] + 3, k[1] + 2);
    FillStroke(cr, look.accent, look.ink, 1.2);
}

void DrawTwoPages(cairo_t *cr, const Look &look, double, double) {
    Page(cr, look, 1.5, 3.5, 11, 20.5);
    Page(cr, look, 13, 3.5, 22.5, 20.5);
}

void DrawTempo(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 10.5, 1.5, 13.5, 4.5);
    Fill(cr, look.ink);
    Circle(cr, 12, 13.5, 8.5);
    FillStroke(cr, look.paper, look.ink, 1.8);
    Line(cr, 12, 13.5, 16.5, 8.5);
    Stroke(cr, look.accent, 2.2);
    Circle(cr, 12, 13.5, 1.5);
    Fill(cr, look.ink);
}

void DrawMetronome(cairo_t *cr, const Look &look, double, double) {
    Poly(cr, {6, 21.5, 18, 21.5, 14.5, 2.5, 9.5, 2.5});
    FillStroke(cr, look.accent, look.ink);
    Line(cr, 12, 18.5, 17.5, 4);
    Stroke(cr, look.ink, 1.6);
    Poly(cr, {14.2, 10, 17.2, 11.2, 16.4, 13.4, 13.4, 12.2});
    Fill(cr, look.ink);
    Line(cr, 7.5, 17.5, 16.5, 17.5);
    Stroke(cr, look.ink, 1.2);
}

void DrawPageSetup(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 4.5, 2, 19.5, 22);
    FillStroke(cr, look.paper, look.ink);
    const double dash[] = {1.5, 1.5};
    cairo_set_dash(cr, dash, 2, 0);
    Box(cr, 8, 5.5, 16, 18.5);
    Stroke(cr, look.accent, 1.2);
    cairo_set_dash(cr, nullptr, 0, 0);
}

void DrawPrint(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 7, 2.5, 17, 9);
    FillStroke(cr, look.paper, look.ink);
    RoundBox(cr, 2.5, 8.5, 21.5, 17, 1.5);
    FillStroke(cr, look.accent, look.ink);
    Box(cr, 7, 14, 17, 21.5);
    FillStroke(cr, look.paper, look.ink);
    Line(cr, 9, 17, 15, 17);
    Line(cr, 9, 19.5, 15, 19.5);
    Stroke(cr, look.ink, 1);
}

void DrawPreviousPage(cairo_t *cr, const Look &look, double, double) {
    Page(cr, look, 9, 2.5, 21, 21.5);
    Arrow(cr, look, 14, 1.5);
}

void DrawNextPage(cairo_t *cr, const Look &look, double, double) {
    Page(cr, look, 3, 2.5, 15, 21.5);
    Arrow(cr, look, 10, 22.5);
}

void DrawZoom(cairo_t *cr, const Look &look, double, double) {
    Line(cr, 14.5, 14.5, 21, 21);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    Stroke(cr, look.ink, 3.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    Circle(cr, 9.5, 9.5, 7);
    FillStroke(cr, look.accent, look.ink, 2);
}

void DrawTransposeDown(cairo_t *cr, const Look &look, double, double) {
    Note(cr, look, 6.5, 18);
    Line(cr, 17.5, 3, 17.5, 15);
    Stroke(cr, look.accent, 2.4);
    Poly(cr, {13.5, 13.5, 21.5, 13.5, 17.5, 21});
    FillStroke(cr, look.accent, look.ink, 1);
}

void DrawTransposeUp(cairo_t *cr, const Look &look, double, double) {
    Note(cr, look, 6.5, 18);
    Line(cr, 17.5, 21, 17.5, 9);
    Stroke(cr, look.accent, 2.4);
    Poly(cr, {13.5, 10.5, 21.5, 10.5, 17.5, 3});
    FillStroke(cr, look.accent, look.ink, 1);
}

void DrawSave(cairo_t *cr, const Look &look, double, double) {
    Poly(cr, {2.5, 2.5, 18, 2.5, 21.5, 6, 21.5, 21.5, 2.5, 21.5});
    FillStroke(cr, look.accent, look.ink);
    Box(cr, 7, 2.5, 16, 9);
    FillStroke(cr, look.paper, look.ink, 1);
    Box(cr, 13, 3.5, 15, 8);
    Fill(cr, look.ink);
    Box(cr, 6, 13, 18, 21.5);
    FillStroke(cr, look.paper, look.ink, 1);
}

void DrawInfo(cairo_t *cr, const Look &look, double, double) {
    Circle(cr, 12, 12, 9.5);
    FillStroke(cr, look.accent, look.ink);
    Circle(cr, 12, 7, 1.8);
    RoundBox(cr, 10.4, 10.5, 13.6, 18.5, 1);
    Fill(cr, look.paper);
}

void DrawSing(cairo_t *cr, const Look &look, double, double) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, 12, 10, 6.5, 0, kPi);
    Line(cr, 12, 16.5, 12, 20.5);
    Line(cr, 7.5, 21, 16.5, 21);
    Stroke(cr, look.ink, 1.6);
    RoundBox(cr, 8.5, 1.5, 15.5, 14, 3.5);
    FillStroke(cr, look.accent, look.ink);
    Line(cr, 9.5, 6, 14.5, 6);
    Line(cr, 9.5, 9, 14.5, 9);
    Stroke(cr, look.ink, 0.8);
}

void DrawKaraoke(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 2, 9.5, 13, 14.5);
    Fill(cr, look.accent);
    Line(cr, 3, 6, 21, 6);
    Line(cr, 3, 12, 21, 12);
    Line(cr, 3, 18, 13, 18);
    Stroke(cr, look.ink, 2);
    Note(cr, look, 17.5, 20);
}

void DrawMail(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 1.5, 5, 22.5, 19);
    FillStroke(cr, look.paper, look.ink);
    Line(cr, 1.5, 5, 12, 13);
    cairo_line_to(cr, 22.5, 5);
    Stroke(cr, look.ink, 1.5);
    Box(cr, 17, 13.5, 20.5, 17);
    Fill(cr, look.accent);
}

void DrawFullScreen(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 7, 7, 17, 17);
    FillStroke(cr, look.paper, look.ink, 1.2);
    const double corners[4][2] = {{1.5, 1.5}, {22.5, 1.5}, {22.5, 22.5}, {1.5, 22.5}};
    for (const auto &c : corners) {
        double sx = c[0] < 12 ? 1 : -1, sy = c[1] < 12 ? 1 : -1;
        Poly(cr, {c[0], c[1], c[0] + sx * 7, c[1], c[0], c[1] + sy * 7});
    }
    FillStroke(cr, look.accent, look.ink, 1);
}

void DrawPreviousView(cairo_t *cr, const Look &look, double, double) {
    Viewfinder(cr, look);
    Arrow(cr, look, 18, 5.5);
}

void DrawPlayView(cairo_t *cr, const Look &look, double, double) {
    Viewfinder(cr, look);
    Triangle(cr, look, 17.5, 5.5, 10, 1);
}

void DrawNextView(cairo_t *cr, const Look &look, double, double) {
    Viewfinder(cr, look);
    Arrow(cr, look, 6, 18.5);
}

void DrawRotate(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 9, 8, 15, 16);
    FillStroke(cr, look.paper, look.ink, 1);
    CircularArrow(cr, look, 12, 12, 8.5, 200, 500);
}

void DrawKeyboard(cairo_t *cr, const Look &look, double, double) {
    const double l = 1.5, r = 22.5, t = 4.5, b = 19.5, w = (r - l) / 5;
    Box(cr, l, t, r, b);
    FillStroke(cr, look.paper, look.ink);
    for (int k = 1; k < 5; k++) Line(cr, l + k * w, t, l + k * w, b);
    Stroke(cr, look.ink, 1.2);
    for (int k : {1, 2, 4}) Box(cr, l + k * w - w * 0.32, t, l + k * w + w * 0.32, t + 9);
    Fill(cr, look.ink);
}

void DrawArrowUp(cairo_t *cr, const Look &look, double, double) {
    Poly(cr, {12, 6, 19, 17, 5, 17});
    Fill(cr, look.ink);
}

void DrawArrowDown(cairo_t *cr, const Look &look, double, double) {
    Poly(cr, {12, 18, 19, 7, 5, 7});
    Fill(cr, look.ink);
}

void DrawArrowLeft(cairo_t *cr, const Look &look, double, double) {
    Poly(cr, {6, 12, 17, 5, 17, 19});
    Fill(cr, look.ink);
}

void DrawArrowRight(cairo_t *cr, const Look &look, double, double) {
    Poly(cr, {18, 12, 7, 5, 7, 19});
    Fill(cr, look.ink);
}

void DrawDividerGrip(cairo_t *cr, const Look &look, double, double) {
    for (double y : {7.0, 12.0, 17.0}) Line(cr, 4, y, 20, y);
    Stroke(cr, look.ink, 2);
}

void DrawResizeGrip(cairo_t *cr, const Look &look, double, double) {
    for (double d : {4.0, 10.0, 16.0}) Line(cr, 23, d, d, 23);
    Stroke(cr, look.ink, 2.2);
}

void DrawModeOnce(cairo_t *cr, const Look &look, double, double) {
    Arrow(cr, look, 2, 17);
    Box(cr, 19, 5, 22, 19);
    Fill(cr, look.ink);
}

void DrawModeRepeatOne(cairo_t *cr, const Look &look, double, double) {
    CircularArrow(cr, look, 12, 12, 8.5, 120, 420);
    Line(cr, 10, 9.5, 12.5, 7.5);
    cairo_line_to(cr, 12.5, 16.5);
    Stroke(cr, look.ink, 1.8);
}

void DrawModeThrough(cairo_t *cr, const Look &look, double, double) {
    ListLines(cr, look, 2, 11);
    Line(cr, 17.5, 2.5, 17.5, 15);
    Stroke(cr, look.accent, 2.4);
    Poly(cr, {13.5, 14, 21.5, 14, 17.5, 21.5});
    FillStroke(cr, look.accent, look.ink, 1);
}

void DrawModeRepeatAll(cairo_t *cr, const Look &look, double, double) {
    ListLines(cr, look, 8, 16);
    CircularArrow(cr, look, 12, 12, 10, 100, 430);
}

void DrawModeRandom(cairo_t *cr, const Look &look, double, double) {
    cairo_move_to(cr, 2, 6);
    cairo_curve_to(cr, 10, 6, 12, 18, 18, 18);
    cairo_move_to(cr, 2, 18);
    cairo_curve_to(cr, 10, 18, 12, 6, 18, 6);
    Stroke(cr, look.ink, 2);
    Poly(cr, {17, 2.5, 22.5, 6, 17, 9.5});
    Poly(cr, {17, 14.5, 22.5, 18, 17, 21.5});
    FillStroke(cr, look.accent, look.ink, 1);
}

void DrawModeSelect(cairo_t *cr, const Look &look, double, double) {
    ListLines(cr, look, 10, 22);
    Poly(cr, {2, 8, 8, 12, 2, 16});
    FillStroke(cr, look.accent, look.ink, 1);
}

void DrawPlayedMark(cairo_t *cr, const Look &look, double, double) {
    Line(cr, 3, 13, 9, 19);
    cairo_line_to(cr, 21, 5);
    Stroke(cr, look.accent, 4.5);
}

void DrawPositionCursor(cairo_t *cr, const Look &look, double, double) {
    Poly(cr, {1.5, 1.5, 22.5, 1.5, 12, 22.5});
    FillStroke(cr, look.accent, look.ink, 3);
}

void DrawSliderThumb(cairo_t *cr, const Look &look, double dw, double dh) {
    double l = 12 - dw / 2, t = 12 - dh / 2;
    RoundBox(cr, l + 1.5, t + 1.5, l + dw - 1.5, t + dh - 1.5, 4);
    FillStroke(cr, look.accent, look.ink, 3);
    for (double y : {-5.0, 0.0, 5.0}) Line(cr, l + 6, 12 + y, l + dw - 6, 12 + y);
    Stroke(cr, look.ink, 2);
}

void DrawFirstFrame(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 2.5, 5, 5, 19);
    FillStroke(cr, look.ink, look.ink, 1);
    Triangle(cr, look, 5.5, 7, 8, -1);
    Triangle(cr, look, 13.5, 7, 8, -1);
}

void DrawPreviousFrame(cairo_t *cr, const Look &look, double, double) {
    Box(cr, 5, 5, 7.5, 19);
    FillStroke(cr, look.ink, look.ink, 1);
    Triangle(cr, look, 8, 7, 11, -1);
}

void DrawNextFrame(cairo_t *cr, const Look &look, double, double) {
    Triangle(cr, look, 16, 7, 11, 1);
    Box(cr, 16.5, 5, 19, 19);
    FillStroke(cr, look.ink, look.ink, 1);
}

void DrawMusic(cairo_t *cr, const Look &look, double, double) {
    Note(cr, look, 7, 18.5);
    Note(cr, look, 16, 16.5);
    Poly(cr, {10.2, 4.7, 19.2, 2.7, 19.2, 5.7, 10.2, 7.7});
    Fill(cr, look.ink);
}

void DrawSoundBankLogo(cairo_t *cr, const Look &look, double, double) {
    Circle(cr, 12, 12, 11);
    cairo_pattern_t *shade = cairo_pattern_create_radial(9, 8, 1, 12, 12, 11);
    cairo_pattern_add_color_stop_rgb(shade, 0, look.paper.red, look.paper.green, look.paper.blue);
    cairo_pattern_add_color_stop_rgb(shade, 1, look.accent.red, look.accent.green, look.accent.blue);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    Stroke(cr, look.ink, 1);
    // A sound wave under an eighth note, both in ink.
    cairo_move_to(cr, 4, 18);
    for (double x = 4; x <= 20; x += 0.5) cairo_line_to(cr, x, 18 - 1.8 * std::sin((x - 4) * kPi / 4));
    Stroke(cr, look.ink, 1.2);
    cairo_save(cr);
    cairo_translate(cr, 10, 13);
    cairo_rotate(cr, -0.35);
    cairo_scale(cr, 1.4, 1);
    Circle(cr, 0, 0, 2.2);
    cairo_restore(cr);
    Fill(cr, look.ink);
    Line(cr, 12.8, 12.4, 12.8, 4);
    Stroke(cr, look.ink, 1.4);
    Poly(cr, {12.1, 4, 13.5, 4, 17, 8, 16, 8.8, 13.5, 6.6});
    Fill(cr, look.ink);
}

void DrawLink(cairo_t *cr, const Look &look, double, double) {
    Circle(cr, 12, 12, 10);
    FillStroke(cr, look.accent, look.ink, 1.6);
    cairo_save(cr);
    cairo_translate(cr, 12, 12);
    cairo_scale(cr, 0.45, 1);
    Circle(cr, 0, 0, 10);
    cairo_restore(cr);
    Line(cr, 12, 2, 12, 22);
    Line(cr, 2, 12, 22, 12);
    Line(cr, 4, 7, 20, 7);
    Line(cr, 4, 17, 20, 17);
    Stroke(cr, look.paper, 1.2);
}

void DrawJoined(cairo_t *cr, const Look &look, double, double) {
    cairo_save(cr);
    cairo_translate(cr, 12, 12);
    cairo_rotate(cr, -kPi / 4);
    RoundBox(cr, -11.5, -4, 1.5, 4, 4);
    RoundBox(cr, -1.5, -4, 11.5, 4, 4);
    cairo_restore(cr);
    Stroke(cr, look.ink, 2.2);
}

void DrawScissors(cairo_t *cr, const Look &look, double, double) {
    Line(cr, 8, 14, 21, 2);
    Line(cr, 16, 14, 3, 2);
    Stroke(cr, look.ink, 2);
    Circle(cr, 6, 18, 3.5);
    Circle(cr, 18, 18, 3.5);
    FillStroke(cr, look.accent, look.ink, 2);
}

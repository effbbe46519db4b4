// ctest-labels: plugin-seeing
// Scores as the real test browser shows them (tools/browser-run, QtWebKit): an embed of
// tests/pages/seeing/score.html at the page's top-left corner, its areas as tools/pluginlayout
// computes them for the same size and parameters, the screenshot probed by
// tests/support/pngprobe.py; and ./run.sh without a display.
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/browser_support.h"
#include "support/tool_support.h"

namespace {

using plugintest::BrowserRun;
using plugintest::SourceDir;

const char kSchumann[] = "Schumann_The_Wild_Horseman_Op._68_No._8.mxl";
const char kSchubert[] = "Schubert_An_die_Musik.xml";
const char kGounod[] = "CharlesGounod_Meditation.xml";

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int MiddleY() const { return (top + bottom) / 2; }
    bool Empty() const { return right <= left || bottom <= top; }
};

// The areas of an instance: pluginlayout's lines "NAME LEFT TOP RIGHT BOTTOM", and its single
// numbers ("hmax 116") as boxes of one value.
struct Areas {
    std::map<std::string, Box> boxes;
    std::map<std::string, double> values;
    const Box &operator[](const std::string &name) const {
        static const Box none;
        auto at = boxes.find(name);
        return at == boxes.end() ? none : at->second;
    }
};

std::string Quoted(const std::string &text) { return "'" + text + "'"; }

Areas Layout(int width, int height, const std::string &params, const std::string &score) {
    int status = -1;
    std::string out = RunCommand(ToolPath("pluginlayout") + " " + std::to_string(width) + " " + std::to_string(height) +
                                     " " + Quoted(params) + " --doc " +
                                     Quoted(SourceDir() + "/tests/data/corpus/musicxml/" + score) + " 2>&1",
                                 &status);
    EXPECT_EQ(status, 0) << out;
    Areas areas;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string name;
        std::vector<double> numbers;
        double n;
        words >> name;
        while (words >> n) numbers.push_back(n);
        if (numbers.size() == 4)
            areas.boxes[name] = Box{int(numbers[0]), int(numbers[1]), int(numbers[2]), int(numbers[3])};
        else if (numbers.size() == 1) areas.values[name] = numbers[0];
    }
    return areas;
}

// The page with one embed of width x height: the score and the parameters as its attributes.
std::string Page(int width, int height, const std::string &src, const std::string &params) {
    std::string query = "?w=" + std::to_string(width) + "&h=" + std::to_string(height) + "&SRC=" + src;
    std::istringstream words(params);
    std::string word;
    while (words >> word) query += "&" + word;
    return "file://" + SourceDir() + "/tests/pages/seeing/score.html" + query;
}

std::string Corpus(const std::string &score) { return "../../data/corpus/musicxml/" + score; }

// pngprobe's answers to the queries, one per line.
std::vector<std::string> Probe(const BrowserRun &run, const std::string &queries) {
    int status = -1;
    std::string out = RunCommand("python3 " + SourceDir() + "/tests/support/pngprobe.py " + run.folder + "/view.png " +
                                     queries + " 2>&1",
                                 &status);
    EXPECT_EQ(status, 0) << out;
    std::vector<std::string> answers;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) answers.push_back(line);
    return answers;
}

double Number(const std::vector<std::string> &answers, size_t i) { return i < answers.size() ? std::stod(answers[i]) : -1; }

std::string Rect4(int left, int top, int right, int bottom) {
    return std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(right) + " " + std::to_string(bottom);
}

std::string At(int x, int y) { return "pixel " + std::to_string(x) + " " + std::to_string(y); }

void Show(const std::string &page, const std::vector<std::string> &arguments, BrowserRun *run,
          const std::vector<std::string> &leftOut = {}) {
    std::vector<std::string> all = {"--wait", "2"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    plugintest::Browse(page, all, run, {}, leftOut);
}

TEST(SeeingBrowser, AScoreWithItsTitlePaperAndStaves) {
    const std::string params = "";
    Areas areas = Layout(800, 600, params, kSchumann);
    const Box &title = areas["title"], &display = areas["display"], &page = areas["page"], &paper = areas["paper"];
    ASSERT_FALSE(page.Empty());
    BrowserRun run;
    Show(Page(800, 600, Corpus(kSchumann), params), {}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    std::vector<std::string> a = Probe(
        run, "share " + Rect4(400, title.top + 10, 700, title.top + 11) + " E0E0E0 2 " +       // away from the text
                 "lighter " + Rect4(400, title.top + 2, 760, title.top + 3) + " F0 " +        // the gradient's top
                 "darker " + Rect4(0, title.top, 400, title.bottom) + " 40 " +               // the title's text
                 At(page.left + 2, page.top + 2) + " " + At(paper.left - 3, page.MiddleY()) + " " +
                 At(display.left, display.MiddleY()) + " " + "staffrows " +
                 Rect4(page.left, page.top, page.right, page.bottom) + " FFFFEE");
    ASSERT_EQ(a.size(), 7u);
    EXPECT_GE(Number(a, 0), 0.99);
    EXPECT_EQ(Number(a, 1), 360);
    EXPECT_GE(Number(a, 2), 50);
    EXPECT_EQ(a[3], "FFFFEE");
    EXPECT_EQ(a[4], "808080");
    EXPECT_EQ(a[5], "404040");
    EXPECT_GE(Number(a, 6), 10);
}

TEST(SeeingBrowser, ThemesAndLooks) {
    Areas areas = Layout(800, 600, "COLOR_THEME=dracula", kSchumann);
    const Box &title = areas["title"], &page = areas["page"], &paper = areas["paper"];
    BrowserRun dracula;
    Show(Page(800, 600, Corpus(kSchumann), "COLOR_THEME=dracula"), {}, &dracula);
    ASSERT_EQ(dracula.exit, 0) << dracula.err;
    std::vector<std::string> a = Probe(dracula, "share " + Rect4(400, title.top + 10, 700, title.top + 11) + " DD0000 2 " +
                                                    At(paper.left - 3, page.MiddleY()));
    EXPECT_GE(Number(a, 0), 0.99);
    EXPECT_EQ(a.size() > 1 ? a[1] : "", "090000");

    areas = Layout(800, 600, "LOOK=MOON", kSchumann);
    const Box &flat = areas["title"], &bar = areas["timeslider"];
    ASSERT_FALSE(bar.Empty());
    BrowserRun moon;
    Show(Page(800, 600, Corpus(kSchumann), "LOOK=MOON"), {}, &moon);
    ASSERT_EQ(moon.exit, 0) << moon.err;
    std::string queries = "share " + Rect4(400, flat.top + 2, 790, flat.top + 3) + " E0E0E0 0 share " +
                          Rect4(400, flat.top + 10, 790, flat.top + 11) + " E0E0E0 0";
    for (int row = 0; row < 8; row++)
        queries += " share " + Rect4(10, bar.top + row, 790, bar.top + row + 1) + (row % 3 == 1 ? " E0E0E0" : " D0D0D0") + " 0";
    a = Probe(moon, queries);
    ASSERT_EQ(a.size(), 10u);
    for (size_t i = 0; i < a.size(); i++) EXPECT_GE(Number(a, i), 0.99) << "query " << i;

    areas = Layout(400, 49, "LOOK=SHADOW", kSchumann);
    EXPECT_EQ(areas["title"].bottom, 14);
    EXPECT_EQ(areas.values["look"], 0);
    BrowserRun low;
    Show(Page(400, 49, Corpus(kSchumann), "LOOK=SHADOW"), {}, &low);
    ASSERT_EQ(low.exit, 0) << low.err;
    a = Probe(low, "share " + Rect4(300, 1, 400, 2) + " E0E0E0 0 share " + Rect4(300, 13, 400, 14) + " E0E0E0 0 " +
                       "share " + Rect4(300, 14, 400, 15) + " E0E0E0 0");
    EXPECT_GE(Number(a, 0), 0.99);  // flat: no white top row
    EXPECT_GE(Number(a, 1), 0.99);
    EXPECT_LT(Number(a, 2), 0.5);   // the icon bar from row 14
}

// The shift of the view's content from before to after, in pixels to the left: the one that
// makes the rows of band agree best.
int ShiftLeft(const BrowserRun &before, const BrowserRun &after, const Box &band, int most) {
    int best = 0;
    double bestCost = 1e300;
    for (int s = 0; s <= most; s++) {
        double cost = 0;
        int n = 0;
        for (int y = band.top; y < band.bottom; y += 3)
            for (int x = band.left; x + s < band.right; x += 2, n++) {
                uint32_t p = after.Pixel(x, y), q = before.Pixel(x + s, y);
                cost += std::abs(int(p & 0xFF) - int(q & 0xFF)) + std::abs(int(p >> 8 & 0xFF) - int(q >> 8 & 0xFF));
            }
        if (n > 1000 && cost / n < bestCost) {
            bestCost = cost / n;
            best = s;
        }
    }
    return best;
}

TEST(SeeingBrowser, ScrollBarsOfAZoomedPage) {
    const std::string params = "ZOOMVALUE=250";
    Areas areas = Layout(800, 600, params, kSchumann);
    const Box &bar = areas["hscroll"], &thumb = areas["hthumb"], &arrow1 = areas["harrow1"], &arrow2 = areas["harrow2"];
    const Box &page = areas["page"], &display = areas["display"];
    ASSERT_FALSE(bar.Empty());
    ASSERT_FALSE(areas["vscroll"].Empty());
    EXPECT_EQ(bar.bottom - bar.top, 14);
    EXPECT_EQ(bar.bottom, 600);
    EXPECT_EQ(areas["vscroll"].right, 800);
    BrowserRun before;
    Show(Page(800, 600, Corpus(kSchumann), params), {}, &before);
    ASSERT_EQ(before.exit, 0) << before.err;
    std::vector<std::string> a = Probe(before, "share " + Rect4(thumb.right + 5, bar.top + 7, arrow2.left - 5, bar.top + 8) +
                                                   " E0E0E0 2 share " +
                                                   Rect4(thumb.left + 3, bar.top + 7, thumb.right - 3, bar.top + 8) + " A0A0A0 2");
    EXPECT_GE(Number(a, 0), 0.99);
    EXPECT_GE(Number(a, 1), 0.99);
    // A press in the track 100 pixels right of the thumb: the thumb's leading edge jumps there.
    int x = thumb.right + 100, y = bar.top + 7;
    BrowserRun after;
    Show(Page(800, 600, Corpus(kSchumann), params), {"--click", std::to_string(x) + "," + std::to_string(y)}, &after);
    ASSERT_EQ(after.exit, 0) << after.err;
    int position = std::min(x - arrow1.right, int(areas.values["hmax"]));
    double usable = bar.right - bar.left - 28, content = page.right - page.left;
    double moved = position * content / usable;
    Box band = {display.left + 2, display.top + 2, display.right - 16, display.bottom - 16};
    EXPECT_NEAR(ShiftLeft(before, after, band, int(moved) + 40), moved, 2.0);
}

TEST(SeeingBrowser, FacingTurnedInvertedAndColouredPages) {
    Areas areas = Layout(800, 600, "TWO_PAGES=1", kSchubert);
    const Box &page = areas["page"], &partner = areas["page2"];
    ASSERT_GE(areas.values["pages"], 2);
    ASSERT_FALSE(partner.Empty());
    EXPECT_GT(partner.left, page.right);
    BrowserRun two;
    Show(Page(800, 600, Corpus(kSchubert), "TWO_PAGES=1"), {}, &two);
    ASSERT_EQ(two.exit, 0) << two.err;
    std::vector<std::string> a =
        Probe(two, At(page.left + 2, page.top + 2) + " " + At(partner.right - 3, partner.top + 2) + " share " +
                       Rect4(page.right, page.top, partner.left, page.bottom) + " 606060 8");
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[0], "FFFFEE");
    EXPECT_EQ(a[1], "EEEEDD");
    EXPECT_GT(Number(a, 2) * (partner.left - page.right) * (page.bottom - page.top), 20);  // the ring discs

    areas = Layout(800, 600, "ANGLE=90", kSchumann);
    const Box &turned = areas["page"];
    EXPECT_GT(turned.right - turned.left, turned.bottom - turned.top);
    BrowserRun angle;
    Show(Page(800, 600, Corpus(kSchumann), "ANGLE=90"), {}, &angle);
    ASSERT_EQ(angle.exit, 0) << angle.err;
    a = Probe(angle, At(turned.left + 2, turned.top + 2) + " share " +
                         Rect4(turned.left, turned.top, turned.right, turned.bottom) + " FFFFEE 0");
    EXPECT_EQ(a.size() > 0 ? a[0] : "", "FFFFEE");
    EXPECT_GT(Number(a, 1), 0.5);  // the paper is where the turned page is

    areas = Layout(800, 600, "INVERT_VIDEO=1", kSchumann);
    const Box &inverted = areas["page"];
    BrowserRun invert;
    Show(Page(800, 600, Corpus(kSchumann), "INVERT_VIDEO=1"), {}, &invert);
    ASSERT_EQ(invert.exit, 0) << invert.err;
    a = Probe(invert, "darker " + Rect4(inverted.left + 2, inverted.top + 2, inverted.left + 3, inverted.top + 3) +
                          " 10 litrows " + Rect4(inverted.left, inverted.top, inverted.right, inverted.bottom) + " 000000");
    EXPECT_EQ(Number(a, 0), 1);
    EXPECT_GE(Number(a, 1), 10);

    areas = Layout(800, 600, "DESKTOPCOLOR=00FF00", kSchumann);
    BrowserRun green;
    Show(Page(800, 600, Corpus(kSchumann), "DESKTOPCOLOR=00FF00"), {}, &green);
    ASSERT_EQ(green.exit, 0) << green.err;
    a = Probe(green, At(areas["paper"].left - 3, areas["page"].MiddleY()) + " " +
                         At(areas["paper"].right + 3, areas["page"].MiddleY()));
    EXPECT_EQ(a.size() > 0 ? a[0] : "", "00FF00");
    EXPECT_EQ(a.size() > 1 ? a[1] : "", "00FF00");
}

// httpserve.py serving the corpus, trickled or cut short: the title tells the download in green
// and its failure in red.
void ServeAndShow(const std::vector<std::string> &serverArguments, BrowserRun *run) {
    std::string portFile = run->folder + "/port";
    ChildOptions options;
    options.stdoutPath = run->folder + "/httpserve.out";
    options.stderrPath = run->folder + "/httpserve.err";
    std::vector<std::string> argv = {"/usr/bin/python3", SourceDir() + "/tests/support/httpserve.py",
                                     SourceDir() + "/tests/data/corpus/musicxml", "--port-file", portFile};
    argv.insert(argv.end(), serverArguments.begin(), serverArguments.end());
    pid_t server = OrvaStartChild(argv, options);
    ASSERT_GT(server, 0);
    std::string port;
    for (int i = 0; i < 100 && port.empty(); i++) {
        port = OrvaTestReadFile(portFile);
        if (port.empty()) usleep(50000);
    }
    port.erase(port.find_last_not_of("\n") + 1);
    if (!port.empty()) Show(Page(800, 600, "http://127.0.0.1:" + port + "/" + kGounod, ""), {}, run);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    ASSERT_FALSE(port.empty()) << OrvaTestReadFile(options.stderrPath);
}

TEST(SeeingBrowser, TheTitleTellsTheDownload) {
    BrowserRun slow;
    ServeAndShow({"--rate", "20000"}, &slow);
    ASSERT_EQ(slow.exit, 0) << slow.err;
    std::vector<std::string> a = Probe(slow, "share " + Rect4(0, 0, 400, 20) + " 00A000 10");
    EXPECT_GT(Number(a, 0) * 400 * 20, 20);
    BrowserRun cut;
    ServeAndShow({"--drop-after", "20000"}, &cut);
    ASSERT_EQ(cut.exit, 0) << cut.err;
    a = Probe(cut, "share " + Rect4(0, 0, 400, 20) + " F00000 10");
    EXPECT_GT(Number(a, 0) * 400 * 20, 20);
}

TEST(SeeingBrowser, WithoutTheMusicFontTheInstallationText) {
    Areas areas = Layout(800, 600, "", kSchumann);
    const Box &page = areas["page"];
    BrowserRun run;
    Show(Page(800, 600, Corpus(kSchumann), "DEBUG=on"), {}, &run, {"Fonts"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_TRUE(run.Traced(":No music font Quorella"));
    std::vector<std::string> a = Probe(run, "staffrows " + Rect4(page.left, page.top, page.right, page.bottom) +
                                                " FFFFEE darker " + Rect4(page.left, page.top, page.right, page.bottom) + " 80");
    EXPECT_EQ(Number(a, 0), 0);
    EXPECT_GT(Number(a, 1), 100);  // the text
}

// run.sh opens the demonstration page: the view goes to the folder ORVA_OUT_DIR names, so that
// the test leaves the source tree as it found it.
TEST(SeeingBrowser, RunShowsTheDemonstrationScore) {
    std::string folder = plugintest::NewFolder("run"), image;
    plugintest::ChildRun child = plugintest::RunDemonstration(folder, &image);
    EXPECT_TRUE(WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0) << child.err;
    EXPECT_NE(child.out.find(image), std::string::npos) << child.out;
    Areas areas = Layout(800, 600, "AUTOPLAY=1 SETTEMPO=120", kSchumann);
    const Box &page = areas["page"], &title = areas["title"];
    int status = -1;
    std::string out = RunCommand("python3 " + SourceDir() + "/tests/support/pngprobe.py " + image + " darker " +
                                     Rect4(0, title.top, 400, title.bottom) + " 40 " + At(page.left + 2, page.top + 2) +
                                     " staffrows " + Rect4(page.left, page.top, page.right, page.bottom) + " FFFFEE",
                                 &status);
    EXPECT_EQ(status, 0) << out;
    std::istringstream lines(out);
    std::string text, paper, rows;
    std::getline(lines, text);
    std::getline(lines, paper);
    std::getline(lines, rows);
    EXPECT_GE(std::atoi(text.c_str()), 50);
    EXPECT_EQ(paper, "FFFFEE");
    EXPECT_GE(std::atoi(rows.c_str()), 10);
    plugintest::RemoveFolder(folder);
}

}  // namespace

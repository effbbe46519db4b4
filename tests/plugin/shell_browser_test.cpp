// ctest-labels: plugin-shell
// The plug-in in the real test browser (tools/browser-run, QtWebKit), each run on an X server,
// home, temporary folder and plug-in folder of its own, with the library built without
// sanitizers (the browser loads with RTLD_DEEPBIND); and ./run.sh without a display.
#include <string>
#include <vector>

#include "support/browser_support.h"

namespace {

using plugintest::BrowserRun;
using plugintest::SourceDir;

// A page of tests/pages/shell.
void BrowseShellPage(const std::string &page, const std::vector<std::string> &arguments, BrowserRun *run,
            const std::vector<std::string> &env = {}) {
    plugintest::Browse(SourceDir() + "/tests/pages/shell/" + page, arguments, run, env);
}

// One instance at (0,0), tracing, no document: the loading face, idle work from paint events,
// the browser's language, and the scriptable object the page's scripts read.
TEST(ShellBrowser, OneInstanceShowsTheLoadingFace) {
    BrowserRun run;
    BrowseShellPage("basic.html",
                    {"--wait", "3", "--eval", "navigator.language", "--eval", "typeof document.embeds[0].loaded",
                     "--eval", "typeof document.embeds[0].version"},
                    &run, {"LANG=de_DE.UTF-8"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.out, "de-DE\nstring\nstring\n");
    ASSERT_NE(run.view, nullptr);
    EXPECT_EQ(run.Pixel(5, 5), 0xE0E0E0u);
    int dark = 0;
    for (int y = 200; y < 280; y++)
        for (int x = 0; x < 640; x++) dark += (run.Pixel(x, y) & 0xFF) < 0x80;
    EXPECT_GT(dark, 100);
    EXPECT_TRUE(run.Traced(":NP_Initialize\n"));
    EXPECT_TRUE(run.Traced(":Entry " + run.folder + "/plugins\n"));
    EXPECT_TRUE(run.Traced(":NPP_GlueNew + scheduled\n"));
    EXPECT_TRUE(run.Traced("scheduledTimerID=00000000\n"));  // the browser has no timers
    EXPECT_TRUE(run.Traced(":Switching to TMTask Timers\n"));
    EXPECT_GE(run.TraceCount(":NPP_GlueTimer\n"), 5u);
    EXPECT_TRUE(run.Traced(":GetBrowserLanguage : 3\n"));  // "de"
    EXPECT_TRUE(run.Traced(":NPP_GlueGetValue 15\n"));      // asked for the scriptable object
}

TEST(ShellBrowser, APressReachesTheInstanceAtItsOwnPoint) {
    BrowserRun run;
    BrowseShellPage("click.html", {"--wait", "1", "--click", "110,70"}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_TRUE(run.Traced(":PlugInClick 10 20\n"));
}

// The browser makes the instances in an order of its own; the list is the page's, as it
// stands before the page closes (the window the browser gives an element it takes away is
// placed nowhere).
TEST(ShellBrowser, InstancesAreListedInPageOrder) {
    BrowserRun run;
    BrowseShellPage("order.html", {"--wait", "1"}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    size_t closing = run.trace.rfind(":NPP_GlueSetWindow ", run.trace.find(":NPP_GlueDestroy\n"));
    size_t last = run.trace.rfind(":LinkInstance list", closing);
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(run.trace.substr(last, run.trace.find('\n', last) - last), ":LinkInstance list (50,0) (100,5) (100,10)");
}

TEST(ShellBrowser, TwentyHostileInstancesAllShowSomething) {
    BrowserRun run;
    BrowseShellPage("hostile.html", {"--wait", "2"}, &run);
    EXPECT_EQ(run.exit, 0) << run.err;  // 4 when an element stays one flat colour
}

// The view goes to the folder ORVA_OUT_DIR names, so that the test leaves the source tree as
// it found it; it shows the player, its title bar in its colour.
TEST(ShellBrowser, RunOpensTheDemonstrationPage) {
    std::string folder = plugintest::NewFolder("run"), image;
    plugintest::ChildRun child = plugintest::RunDemonstration(folder, &image);
    EXPECT_TRUE(WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0) << child.err;
    EXPECT_NE(child.out.find(image), std::string::npos) << child.out;
    cairo_surface_t *view = cairo_image_surface_create_from_png(image.c_str());
    EXPECT_EQ(cairo_surface_status(view), CAIRO_STATUS_SUCCESS);
    if (cairo_surface_status(view) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(view);
        const unsigned char *row = cairo_image_surface_get_data(view) + 10 * cairo_image_surface_get_stride(view);
        EXPECT_EQ(reinterpret_cast<const uint32_t *>(row)[600] & 0xFFFFFF, 0xE0E0E0u);
    }
    cairo_surface_destroy(view);
    plugintest::RemoveFolder(folder);
}

}  // namespace

// ctest-labels: plugin-shell
// The plug-in in the real test browser (tools/browser-run, QtWebKit), each run on an X server,
// home, temporary folder and plug-in folder of its own, with the library built without
// sanitizers (the browser loads with RTLD_DEEPBIND); and ./run.sh without a display.
#include <cairo.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/plugin_support.h"

namespace {

struct BrowserRun {
    int exit = -1;
    std::string out, err, trace, folder;
    cairo_surface_t *view = nullptr;  // the screenshot, or null
    ~BrowserRun() {
        if (view) cairo_surface_destroy(view);
        plugintest::RemoveFolder(folder);
    }
    bool Traced(const std::string &text) const { return trace.find(text) != std::string::npos; }
    size_t TraceCount(const std::string &text) const {
        size_t n = 0;
        for (size_t at = trace.find(text); at != std::string::npos; at = trace.find(text, at + 1)) n++;
        return n;
    }
    // The view's pixel as 0xRRGGBB.
    uint32_t Pixel(int x, int y) const {
        cairo_surface_flush(view);
        const unsigned char *row = cairo_image_surface_get_data(view) + y * cairo_image_surface_get_stride(view);
        return reinterpret_cast<const uint32_t *>(row)[x] & 0xFFFFFF;
    }
};

std::string SourceDir() {
    const char *source = getenv("ORVA_SOURCE_DIR");
    return source ? source : ".";
}

// browser-run on a page of tests/pages/shell, under a new X server (tried again when the
// server could not start because a parallel run took its display number first).
void Browse(const std::string &page, const std::vector<std::string> &arguments, BrowserRun *run,
            const std::vector<std::string> &env = {}) {
    run->folder = plugintest::NewFolder("browser");
    std::string plugins = plugintest::MakePluginFolder(ORVA_BROWSER_PLUGIN_DIR, run->folder);
    ASSERT_FALSE(plugins.empty()) << "no library in " << ORVA_BROWSER_PLUGIN_DIR << ": ./test.sh builds it";
    mkdir((run->folder + "/home").c_str(), 0775);
    mkdir((run->folder + "/tmp").c_str(), 0775);
    std::vector<std::string> argv = {"/usr/bin/xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                                     SourceDir() + "/tools/browser-run", "--plugins", plugins, "--page",
                                     SourceDir() + "/tests/pages/shell/" + page, "--screenshot", run->folder + "/view.png"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment = {"HOME=" + run->folder + "/home", "TMPDIR=" + run->folder + "/tmp"};
    environment.insert(environment.end(), env.begin(), env.end());
    plugintest::ChildRun child;
    for (int attempt = 0; attempt < 3; attempt++) {
        child = plugintest::RunChild(argv, environment, run->folder, 180000);
        if (child.err.find("Xvfb failed to start") == std::string::npos) break;
    }
    run->exit = WIFEXITED(child.status) ? WEXITSTATUS(child.status) : -1;
    run->out = child.out;
    run->err = child.err;
    run->trace = OrvaTestReadFile(plugins + "/OndrakMusicPlugin.txt");
    cairo_surface_t *view = cairo_image_surface_create_from_png((run->folder + "/view.png").c_str());
    if (cairo_surface_status(view) == CAIRO_STATUS_SUCCESS) run->view = view;
    else cairo_surface_destroy(view);
}

// One instance at (0,0), tracing, no document: the loading face, idle work from paint events,
// the browser's language, and no scriptable object for the page.
TEST(ShellBrowser, OneInstanceShowsTheLoadingFace) {
    BrowserRun run;
    Browse("basic.html",
           {"--wait", "3", "--eval", "navigator.language", "--eval", "typeof document.embeds[0].loaded", "--eval",
            "typeof document.embeds[0].version"},
           &run, {"LANG=de_DE.UTF-8"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.out, "de-DE\nundefined\nundefined\n");
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
    EXPECT_TRUE(run.Traced(":NPP_GlueGetValue "));         // asked, and refused
}

TEST(ShellBrowser, APressReachesTheInstanceAtItsOwnPoint) {
    BrowserRun run;
    Browse("click.html", {"--wait", "1", "--click", "110,70"}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_TRUE(run.Traced(":PlugInClick 10 20\n"));
}

// The browser makes the instances in an order of its own; the list is the page's.
TEST(ShellBrowser, InstancesAreListedInPageOrder) {
    BrowserRun run;
    Browse("order.html", {"--wait", "1"}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    size_t last = run.trace.rfind(":LinkInstance list");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(run.trace.substr(last, run.trace.find('\n', last) - last), ":LinkInstance list (50,0) (100,5) (100,10)");
}

TEST(ShellBrowser, TwentyHostileInstancesAllShowSomething) {
    BrowserRun run;
    Browse("hostile.html", {"--wait", "2"}, &run);
    EXPECT_EQ(run.exit, 0) << run.err;  // 4 when an element stays one flat colour
}

// The view goes to the folder ORVA_OUT_DIR names, so that the test leaves the source tree as
// it found it; it shows the loading face.
TEST(ShellBrowser, RunOpensTheDemonstrationPage) {
    std::string folder = plugintest::NewFolder("run");
    std::string image = folder + "/out/run.png";
    std::string build = std::string(ORVA_BROWSER_PLUGIN_DIR);
    build.erase(build.rfind('/'));
    plugintest::ChildRun child = plugintest::RunChild(
        {"/bin/bash", SourceDir() + "/run.sh"}, {"DISPLAY=", "ORVA_BUILD_DIR=" + build, "ORVA_OUT_DIR=" + folder + "/out"},
        folder, 600000);
    EXPECT_TRUE(WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0) << child.err;
    EXPECT_NE(child.out.find(image), std::string::npos) << child.out;
    cairo_surface_t *view = cairo_image_surface_create_from_png(image.c_str());
    EXPECT_EQ(cairo_surface_status(view), CAIRO_STATUS_SUCCESS);
    if (cairo_surface_status(view) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(view);
        const unsigned char *row = cairo_image_surface_get_data(view) + 5 * cairo_image_surface_get_stride(view);
        EXPECT_EQ(reinterpret_cast<const uint32_t *>(row)[5] & 0xFFFFFF, 0xE0E0E0u);
    }
    cairo_surface_destroy(view);
    plugintest::RemoveFolder(folder);
}

}  // namespace

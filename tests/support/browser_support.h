// The plug-in in the real test browser (tools/browser-run, QtWebKit): each run on an X server,
// home, temporary folder and plug-in folder of its own, with the library built without
// sanitizers (the browser loads with RTLD_DEEPBIND); its exit status, output, the plug-in's
// trace and the screenshot.
#pragma once

#include <cairo.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/plugin_support.h"

namespace plugintest {

struct BrowserRun {
    int exit = -1;
    std::string out, err, trace, folder;
    cairo_surface_t *view = nullptr;  // the screenshot, or null
    BrowserRun() { folder = NewFolder("browser"); }
    ~BrowserRun() {
        if (view) cairo_surface_destroy(view);
        RemoveFolder(folder);
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
    // The browser's temporary folder, where the plug-in keeps its cache folder.
    std::string Temporary() const { return folder + "/tmp"; }
};

inline std::string SourceDir() {
    const char *source = getenv("ORVA_SOURCE_DIR");
    return source ? source : ".";
}

// browser-run on page (a path), under a new X server (tried again when the server could not
// start because a parallel run took its display number first), with the plug-in folder made
// without the files of leftOut.
inline void Browse(const std::string &page, const std::vector<std::string> &arguments, BrowserRun *run,
                   const std::vector<std::string> &env = {}, const std::vector<std::string> &leftOut = {}) {
    std::string plugins = MakePluginFolder(ORVA_BROWSER_PLUGIN_DIR, run->folder, leftOut);
    ASSERT_FALSE(plugins.empty()) << "no library in " << ORVA_BROWSER_PLUGIN_DIR << ": ./test.sh builds it";
    mkdir((run->folder + "/home").c_str(), 0775);
    mkdir(run->Temporary().c_str(), 0775);
    std::vector<std::string> argv = {"/usr/bin/xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                                     SourceDir() + "/tools/browser-run", "--plugins", plugins, "--page", page,
                                     "--screenshot", run->folder + "/view.png"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment = {"HOME=" + run->folder + "/home", "TMPDIR=" + run->Temporary()};
    environment.insert(environment.end(), env.begin(), env.end());
    ChildRun child;
    for (int attempt = 0; attempt < 3; attempt++) {
        child = RunChild(argv, environment, run->folder, 180000);
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

// ./run.sh without a display, the build tree of the browser's library as its build, its view
// written into folder/out/run.png; the run, and that path.
inline ChildRun RunDemonstration(const std::string &folder, std::string *image) {
    *image = folder + "/out/run.png";
    std::string build = std::string(ORVA_BROWSER_PLUGIN_DIR);
    build.erase(build.rfind('/'));
    return RunChild({"/bin/bash", SourceDir() + "/run.sh"},
                    {"DISPLAY=", "ORVA_BUILD_DIR=" + build, "ORVA_OUT_DIR=" + folder + "/out"}, folder, 600000);
}

}  // namespace plugintest

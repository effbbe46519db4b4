// Painting an instance onto the browser's drawable against the bare copy it amounts to. Goal:
// one GraphicsExpose of a 1024 x 768 instance (test host, an X pixmap) takes at most 1.2x a
// cairo_paint of an image surface of the port's format and size onto the same pixmap through
// a cairo X surface. (The X headers clash with the Toolbox's: the plug-in is reached through
// its exports only.)
#include "../ratio_reporter.h"
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <cairo-xlib.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "browser_host.h"

extern "C" {
const char *NP_GetMIMEDescription();
NPError NP_GetValue(void *instance, NPPVariable variable, void *value);
NPError NP_Initialize(NPBrowserFuncs *browserFuncs, NPPluginFuncs *pluginFuncs);
NPError NP_Shutdown();
}

namespace {

const int kWidth = 1024, kHeight = 768;
int gInstance;

void BM_ExposeInstance(benchmark::State &state) {
    for (auto _ : state) NpHostExpose(gInstance, 0, 0, kWidth, kHeight);
}
BENCHMARK(BM_ExposeInstance)->Unit(benchmark::kMicrosecond);

void BM_BareCairoPaint(benchmark::State &state) {
    void *display;
    unsigned long drawable;
    NpHostDrawableOf(gInstance, &display, &drawable);
    Display *d = static_cast<Display *>(display);
    cairo_surface_t *port = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t *fill = cairo_create(port);
    cairo_set_source_rgb(fill, 0xE0 / 255.0, 0xE0 / 255.0, 0xE0 / 255.0);
    cairo_paint(fill);
    cairo_destroy(fill);
    for (auto _ : state) {
        cairo_surface_t *target =
            cairo_xlib_surface_create(d, drawable, DefaultVisual(d, DefaultScreen(d)), kWidth, kHeight);
        cairo_t *cr = cairo_create(target);
        cairo_set_source_surface(cr, port, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(target);
        cairo_surface_destroy(target);
        XSync(d, False);
    }
    cairo_surface_destroy(port);
}
BENCHMARK(BM_BareCairoPaint)->Unit(benchmark::kMicrosecond);

const std::vector<RatioGoal> kGoals = {{"GraphicsExpose / bare cairo_paint", "BM_ExposeInstance", "BM_BareCairoPaint", 1.2}};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (!getenv("DISPLAY")) {
        fprintf(stderr, "expose_bench needs an X display (xvfb-run -a -s \"-screen 0 1280x1024x24\")\n");
        return 2;
    }
    // Browser timers keep the paints free of the paint-driven idle runs and their pauses.
    NpHostOptions options;
    options.timers = true;
    NpHostStart(options);
    NpHostPlugin plugin = {NP_GetMIMEDescription, NP_GetValue, NP_Initialize, NP_Shutdown};
    if (NpHostInitialize(plugin) != NPERR_NO_ERROR) return 1;
    NpHostElement element;
    element.width = kWidth;
    element.height = kHeight;
    gInstance = NpHostOpen({}, element);
    if (!gInstance) return 1;
    RatioReporter reporter(kGoals);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    NpHostEnd();
    return 0;
}

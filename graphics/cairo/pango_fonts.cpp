// The platform half of the font table: the families pango knows with their metrics and font
// files installed at run time.
#include "graphics/text/font_table.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "graphics/cairo/pango_text.h"

namespace {

// Test seam. Main thread only.
struct PangoFontHooksRecord {
    void (*familyOrder)(void **families, SInt32 count);  // reorders pango's family list
};
PangoFontHooksRecord gHooks;

const char kFiguredBassFamily[] = "Zu Figured Bass";
const SInt32 kFiguredBassMetrics[3] = {700, 146, 0};  // ascent, descent, leading per mille

enum : SInt32 {
    kMetricsPixels = 1000,    // metrics are taken at this size and kept per mille
    kLeadingDivisor = 20,     // leading: a twentieth of ascent plus descent
};

}  // namespace

static int CompareFamilyNames(const void *a, const void *b);
static void FillFontStruct(PangoContext *context, const char *family, OrvaFontStruct *out);

void SystemDependantGetFontList() {
    PangoFontMap *map = pango_cairo_font_map_get_default();
    PangoFontFamily **families = nullptr;
    int count = 0;
    pango_font_map_list_families(map, &families, &count);
    if (gHooks.familyOrder && count > 0) gHooks.familyOrder((void **)families, count);
    // Pango's order is that of a hash table: sorted names give every machine with the same
    // fonts the same counted ids.
    const char **names = g_new(const char *, count > 0 ? count : 1);
    for (int i = 0; i < count; i++) names[i] = pango_font_family_get_name(families[i]);
    qsort(names, size_t(count), sizeof *names, CompareFamilyNames);
    PangoContext *context = pango_font_map_create_context(map);
    OrvaSetTextContextOptions(context);
    for (int i = 0; i < count; i++) {
        if (!names[i] || OrvaGetFontIDFromNameStrict(names[i]) != kFontIDNone) continue;  // listed already
        OrvaFontStruct font;
        FillFontStruct(context, names[i], &font);
        OrvaAddFont(&font);
    }
    g_object_unref(context);
    g_free(names);
    g_free(families);
    OrvaInstallDefaultFonts();
}

void SystemDependantMakeFontStruct(const char *family, OrvaFontStruct *out) {
    PangoContext *context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    OrvaSetTextContextOptions(context);
    FillFontStruct(context, family ? family : "", out);
    g_object_unref(context);
}

Boolean SystemDependantInstalleFonteLocale(const char *fontFile, Boolean isSymbol) {
    if (!fontFile || !FcConfigAppFontAddFile(nullptr, (const FcChar8 *)fontFile)) return false;
    // The default font map keeps the font set it started with: a fresh one sees the new file.
    PangoFontMap *fresh = pango_cairo_font_map_new();
    pango_cairo_font_map_set_default(PANGO_CAIRO_FONT_MAP(fresh));
    g_object_unref(fresh);
    OrvaGetFontList();
    const char *slash = strrchr(fontFile, '/');
    char name[kFontNameSize];
    OrvaCopyFontName(name, slash ? slash + 1 : fontFile);
    char *dot = strrchr(name, '.');
    if (dot && dot != name) *dot = 0;
    OrvaSetFontTranscodingByName(name, !isSymbol);
    return true;
}

void OrvaSetFontFamilyOrderHook(void (*hook)(void **families, SInt32 count)) { gHooks.familyOrder = hook; }

static int CompareFamilyNames(const void *a, const void *b) {
    const char *x = *(const char *const *)a, *y = *(const char *const *)b;
    if (!x || !y) return x ? 1 : y ? -1 : 0;
    int order = strcasecmp(x, y);
    return order != 0 ? order : strcmp(x, y);
}

static void FillFontStruct(PangoContext *context, const char *family, OrvaFontStruct *out) {
    std::memset(out, 0, sizeof *out);
    out->fontID = kFontIDUnassigned;
    OrvaCopyFontName(out->name, family);
    OrvaCopyFontName(out->secondName, family);
    out->transcoding = 1;
    std::memset(out->ones, 1, sizeof out->ones);
    std::memset(out->filler, 0xFF, sizeof out->filler);
    out->menuKind = kFontMenuKindPlatform;
    if (strcmp(out->name, kFiguredBassFamily) == 0) {
        out->ascent = kFiguredBassMetrics[0];
        out->descent = kFiguredBassMetrics[1];
        out->leading = kFiguredBassMetrics[2];
        return;
    }
    PangoFontDescription *description = pango_font_description_new();
    pango_font_description_set_family(description, out->name);
    pango_font_description_set_weight(description, PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(description, double(kMetricsPixels) * PANGO_SCALE);
    PangoFontMetrics *metrics = pango_context_get_metrics(context, description, nullptr);
    out->ascent = pango_font_metrics_get_ascent(metrics) / PANGO_SCALE;
    out->descent = pango_font_metrics_get_descent(metrics) / PANGO_SCALE;
    out->leading = (out->ascent + out->descent) / kLeadingDivisor;
    pango_font_metrics_unref(metrics);
    pango_font_description_free(description);
}


// pluginlayout: prints the areas of a plug-in instance of WIDTH x HEIGHT pixels with the embed
// parameters PARAMS ("NAME=VALUE ..."), as the plug-in lays them out: one line per area shown,
// "NAME LEFT TOP RIGHT BOTTOM" in the instance's pixels (right and bottom exclusive), then the
// look and title size in force. With --doc FILE the document is loaded for its page count and
// the page (and its partner in two-page mode) is placed as the display area shows it.
//
//   pluginlayout 800 600 "LOOK=MOON ZOOMVALUE=250" --doc score.mxl
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/rects.h"
#include "import/musicxml/musicxml_import.h"
#include "layout/pagination.h"
#include "layout/units.h"
#include "platform/core/memory.h"
#include "plugin/documents.h"
#include "plugin/embed_params.h"
#include "plugin/glue.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/page_display.h"
#include "plugin/interface/scroll_bars.h"
#include "score/native_score.h"
#include "score/played_measures.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "tools/page_images/page_images.h"

namespace {

const SInt16 kDpiPages = 300;  // pages are recorded at the player's output resolution

int Usage() {
    fprintf(stderr, "usage: pluginlayout WIDTH HEIGHT \"NAME=VALUE ...\" [--doc FILE]\n");
    return 2;
}

void Print(const char *name, const Rect &r) {
    if (EmptyRect(&r)) return;
    printf("%s %d %d %d %d\n", name, r.left, r.top, r.right, r.bottom);
}

// The parameters as the browser gives them: names and values, a token without "=" a name alone.
void Split(const std::string &text, std::vector<std::string> *names, std::vector<std::string> *values) {
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == ' ') at++;
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        std::string token = text.substr(at, end - at);
        at = end;
        if (token.empty()) continue;
        size_t equal = token.find('=');
        names->push_back(token.substr(0, equal));
        values->push_back(equal == std::string::npos ? "" : token.substr(equal + 1));
    }
}

// Starts the engine as the plug-in does and loads the document, laid out; null when it cannot.
DocumentRecord *ChargeDocument(const char *path) {
    DemarrePages(ORVA_MUSIC_FONT, kDpiPages);
    FixePrefStd();
    EnregistreFormatsStockage();
    XMLEnregistreFormats();
    const ScoreFormatOps *row = RechercheFormatPartition(path);
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    if (!document) return nullptr;
    FixeMiseEnPageStandardDocument(document);
    if (row && row->load(document, path, -1) && IsPartitionValide(document->score)) {
        InitPortees(document->score);
        FixeMiseEnPageNonCalculee(document);
        CalculeTabCvtMesure(document->score);
        if (CombienDePages(document->score) > 0) return document;
    }
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    return nullptr;
}

void LibereDocument(DocumentRecord *document) {
    if (!document) return;
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    ArretePages();
}

void PrintScrollBar(PlugInInstance *instance, Boolean horizontal) {
    SInt16 maximum = horizontal ? instance->scrollHMax : instance->scrollVMax;
    if (maximum <= 0 || instance->pageFitsWhole) return;
    Rect bar, arrow1, arrow2, thumb;
    PlugCalculeAireTotaleAscenseur(instance, horizontal, &bar);
    PlugCalculePartiesAscenseur(instance, &bar, horizontal ? instance->scrollH : instance->scrollV, horizontal, &arrow1,
                                &arrow2, &thumb);
    Print(horizontal ? "hscroll" : "vscroll", bar);
    Print(horizontal ? "harrow1" : "varrow1", arrow1);
    Print(horizontal ? "harrow2" : "varrow2", arrow2);
    Print(horizontal ? "hthumb" : "vthumb", thumb);
    printf("%s %d\n", horizontal ? "hmax" : "vmax", maximum);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4 && argc != 6) return Usage();
    const char *doc = nullptr;
    if (argc == 6) {
        if (strcmp(argv[4], "--doc") != 0) return Usage();
        doc = argv[5];
    }
    char *end = nullptr;
    long width = strtol(argv[1], &end, 10);
    if (*end || width < 1 || width > 32767) return Usage();
    long height = strtol(argv[2], &end, 10);
    if (*end || height < 1 || height > 32767) return Usage();
    std::vector<std::string> names, values;
    Split(argv[3], &names, &values);
    std::vector<char *> argn, argvalues;
    for (size_t i = 0; i < names.size(); i++) {
        argn.push_back(&names[i][0]);
        argvalues.push_back(&values[i][0]);
    }
    DocumentRecord *document = doc ? ChargeDocument(doc) : nullptr;
    if (doc && !document) {
        fprintf(stderr, "pluginlayout: cannot load '%s'\n", doc);
        return 1;
    }
    PlugInInstance *instance = new PlugInInstance();
    PlugInDefaultInstance(instance, nullptr);
    SInt16 givenWidth = 0, givenHeight = 0;
    PlugInApplyParams(instance, int16_t(names.size()), argn.data(), argvalues.data(), &givenWidth, &givenHeight);
    SInt16 pages = 0;
    if (document) {
        // The position bar is higher for a score with a played order.
        PlugInCopieTablesMesures(instance, document->score);
        pages = GetNbPagesDocument(document);
    }
    PlugInWindow window = {nullptr, 0, 0, SInt32(width), SInt32(height), {-32000, -32000, 32000, 32000}};
    instance->window = &window;
    PlugInCalculeAireAffichables(instance, SInt16(width), SInt16(height));
    printf("instance 0 0 %ld %ld\n", width, height);
    Rect r;
    if (instance->titleShown) {
        r = Rect{instance->areaTop, instance->areaLeft, SInt16(instance->areaTop + GetHauteurTitre(instance)), SInt16(width)};
        Print("title", r);
    }
    if (instance->menuShown) {
        SInt16 top = SInt16(instance->areaTop + GetHauteurTitre(instance));
        Print("iconbar", Rect{top, instance->areaLeft, SInt16(top + GetHauteurBoutons(instance)), SInt16(width)});
        for (SInt16 i = 0; i < kPlugInMenuItemCount; i++) {
            if (!instance->menuItems[i].shown) continue;
            CalculeAireIconPlugIn(instance, instance->menuItems[i].position, &r);
            std::string name = "icon" + std::to_string(i);
            Print(name.c_str(), r);
        }
    }
    if (instance->timeSliderShown) {
        CalculeAireBarrePosMusique(instance, &r);
        Print("timeslider", r);
    }
    if (instance->pageShown) {
        PlugInCalculeAireAffichage(instance, &r);
        Print("display", r);
        if (doc) {
            instance->pageCount = pages;
            if (instance->currentPage > pages) instance->currentPage = pages;
            SInt16 current = PlugInCurrentPage(instance);
            Boolean two = instance->twoPages != 0;
            SInt16 partner = current < pages ? SInt16(current + 1) : SInt16(0);
            SInt16 currentSide = two ? SInt16(current % 2 ? 1 : 2) : SInt16(0);
            PlugPageGeometry g;
            if (PlugGeometriePage(instance, currentSide, &g)) {
                Print("page", g.page);
                Print("paper", g.paper);
                if (two && partner > 0 && PlugGeometriePage(instance, SInt16(3 - currentSide), &g)) {
                    Print("page2", g.page);
                    Print("paper2", g.paper);
                }
                printf("zoom %.4f\n", double(instance->zoom));
                PlugInitAscenseurs(instance, kTrue);
                PrintScrollBar(instance, kTrue);
                PrintScrollBar(instance, kFalse);
            }
            printf("pages %d\n", pages);
        }
    }
    printf("look %d\ntitlefont %d\n", int(instance->look), int(instance->titleFontSize));
    DisposHandle(instance->measureTable);
    DisposHandle(instance->ruptureTable);
    delete instance;
    LibereDocument(document);
    return 0;
}

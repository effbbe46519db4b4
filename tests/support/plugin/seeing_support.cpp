// Test helpers of the player interface.
#include "support/plugin/seeing_support.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "engraving/engraver.h"
#include "engraving/music_font.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "import/musicxml/musicxml_import.h"
#include "layout/layout_start.h"
#include "layout/pagination.h"
#include "layout/units.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "plugin/embed_params.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/drawing.h"
#include "plugin/startup.h"
#include "score/engine_facade.h"
#include "score/native_score.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "staffobjects/staff_objects.h"
#include "support/graphics/quickdraw_support.h"
#include "support/tool_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace seeing {

namespace {
const SInt16 kDpiPages = 300;
}

bool StartEngine() {
    static int started = 0;  // 1 ready, -1 failed
    if (started) return started > 0;
    started = -1;
    StartQuickDrawForTests();
    if (!StartColorsForTests()) return false;
    OrvaSetCopybitAntialias(1, 1);
    if (!SystemDependantInstalleFonteLocale(BuildTreePath("fonts/Quorella.ttf").c_str(), true) || !InitLentara())
        return false;
    FixePrefStd();
    InitGravure();
    InitObjetsPortee();
    InitMiseEnPage();
    SetDpiDest(kDpiPages);
    EnregistreFormatsStockage();
    XMLEnregistreFormats();
    resFilePlugIn = OpenResFile(BuildTreePath("resources/Ondrak Music Plugin.rsr").c_str());
    if (resFilePlugIn < 0) return false;
    started = 1;
    return true;
}

Instance::Instance(SInt16 width, SInt16 height, const Params &params) : record_(new PlugInInstance()) {
    std::memset(&window_, 0, sizeof window_);
    GrafPtr saved;
    GetPort(&saved);
    OpenTestPort(&window_.port, width, height);
    SetPort(saved);
    link_ = PlugInWindowLink{&window_, nullptr, nullptr, nullptr};
    described_ = PlugInWindow{&link_, 0, 0, width, height, {-32000, -32000, 32000, 32000}};
    PlugInDefaultInstance(record_, nullptr);
    std::vector<std::string> names, values;
    for (const auto &p : params) {
        names.push_back(p.first);
        values.push_back(p.second);
    }
    std::vector<char *> argn, argv;
    for (size_t i = 0; i < names.size(); i++) {
        argn.push_back(&names[i][0]);
        argv.push_back(&values[i][0]);
    }
    SInt16 w = 0, h = 0;
    PlugInApplyParams(record_, int16_t(argn.size()), argn.data(), argv.data(), &w, &h);
    record_->window = &described_;
    PlugInCalculeAireAffichables(record_, width, height);
}

Instance::~Instance() {
    PlugInDeletePicture(record_);
    if (record_->document) {
        VideDocument(record_->document);
        DisposPtr(reinterpret_cast<Ptr>(record_->document));
    }
    delete record_;
    ClosePort(&window_.port);
}

UInt32 Instance::Pixel(SInt32 x, SInt32 y) { return PortPixel(&window_.port, x, y); }

bool Instance::Load(const std::string &name) {
    std::string path = CorpusPath(name);
    const ScoreFormatOps *row = RechercheFormatPartition(path.c_str());
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    if (!document) return false;
    FixeMiseEnPageStandardDocument(document);
    if (!row || !row->load(document, path.c_str(), -1) || !IsPartitionValide(document->score)) {
        VideDocument(document);
        DisposPtr(reinterpret_cast<Ptr>(document));
        return false;
    }
    return Keep(document, name);
}

bool Instance::LoadDemo(const char *name) {
    DocumentRecord *document = CreeDemoScore(name);
    if (!document) return false;
    return Keep(document, name);
}

bool Instance::Keep(DocumentRecord *document, const std::string &title) {
    InitPortees(document->score);
    FixeMiseEnPageNonCalculee(document);
    record_->document = document;
    record_->keepLoaded = 1;
    record_->docInCache = 1;
    record_->documentReady = 1;
    record_->pageCount = CombienDePages(document->score);
    std::snprintf(record_->docTitle, sizeof record_->docTitle, "%s", title.c_str());
    return record_->pageCount > 0;
}

void Instance::Draw() {
    PlugInRedrawInstance(record_);
    // ORVA_SEEING_PNG_DIR keeps every drawing of the tests as TEST-N.png there, to look at.
    const char *folder = getenv("ORVA_SEEING_PNG_DIR");
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    static int drawn = 0;
    if (folder && test) WritePng(std::string(folder) + "/" + test->name() + "-" + std::to_string(++drawn) + ".png");
}

bool Instance::WritePng(const std::string &path) {
    return cairo_surface_write_to_png(window_.port.surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::string CorpusPath(const std::string &name) {
    const char *source = getenv("ORVA_SOURCE_DIR");
    return std::string(source ? source : "..") + "/tests/data/corpus/musicxml/" + name;
}

int StaffLineRows(Instance &instance, const Rect &rect, UInt32 paper) {
    int rows = 0;
    SInt32 width = rect.right - rect.left, from = rect.left + width / 4, to = rect.right - width / 4;
    for (SInt32 y = rect.top; y < rect.bottom; y++) {
        int dark = 0;
        for (SInt32 x = from; x < to; x++) {
            UInt32 p = instance.Pixel(x, y);
            bool darker = true;
            for (int shift = 0; shift < 24; shift += 8)
                darker = darker && int((paper >> shift) & 0xFF) - int((p >> shift) & 0xFF) >= 16;
            dark += darker;
        }
        if (to > from && dark * 10 >= (to - from) * 9) rows++;
    }
    return rows;
}

bool Near(UInt32 colour, UInt32 expected, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((colour >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

}  // namespace seeing

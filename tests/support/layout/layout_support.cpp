// Test helpers of page layout.
#include "support/layout/layout_support.h"

#include "engraving/engraver.h"
#include "engraving/music_font.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "layout/layout_start.h"
#include "score/engine_facade.h"
#include "support/graphics/quickdraw_support.h"
#include "support/tool_support.h"

bool DemarreMiseEnPagePourTests() {
    StartQuickDrawForTests();
    static bool installed = false;
    if (!installed) installed = SystemDependantInstalleFonteLocale(BuildTreePath("fonts/Quorella.ttf").c_str(), true);
    if (!installed || !InitLentara()) return false;
    InitGravure();
    InitMiseEnPage();
    return true;
}

void ArreteMiseEnPagePourTests() {
    FinMiseEnPage();
    FinGravure();
}

std::string InfoPdf(const std::string &pdf, const std::string &key) {
    int status = -1;
    std::string info = RunCommand("pdfinfo '" + pdf + "' 2>&1", &status);
    size_t at = info.find(key + ":");
    if (at == std::string::npos) return "";
    size_t start = info.find_first_not_of(' ', at + key.size() + 1), end = info.find('\n', at);
    return info.substr(start, end - start);
}

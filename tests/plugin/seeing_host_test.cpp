// ctest-labels: plugin-seeing
// Instances of every size the browser may give, in the test's own (sanitized) process behind the
// test host: a score streamed into each with the heaviest display options, drawn and exposed,
// with page images allowed and then refused; the sanitizers and the leak check watch.
#include <string>
#include <vector>

#include "engraving/music_font.h"
#include "graphics/text/font_table.h"
#include "plugin/instance.h"
#include "plugin/interface/page_display.h"
#include "support/plugin_support.h"
#include "support/tool_support.h"

namespace {

const std::string kTemporary = plugintest::OwnTemporaryFolder();
::testing::Environment *const gPlugIn = ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(NpHostOptions()));

std::string Corpus(const std::string &name) { return std::string(ORVA_SOURCE_TREE) + "/tests/data/corpus/musicxml/" + name; }

class SeeingHost : public ::testing::Test {
protected:
    // The test program's folder has no "Fonts": the build tree's music font is installed as
    // the plug-in's start-up installs its own.
    static void SetUpTestSuite() {
        ASSERT_TRUE(SystemDependantInstalleFonteLocale(BuildTreePath("fonts/Quorella.ttf").c_str(), true));
        ASSERT_TRUE(InitLentara());
    }
    void SetUp() override { NpHostDestroyAll(), NpHostRunQueued(); }
    void TearDown() override {
        PlugSetSupersampleBudget(0);
        NpHostDestroyAll();
        NpHostRunQueued();
    }
};

// Each instance gets the score, is exposed whole, and keeps a pixel of its own colour scheme
// where there is room for the title.
void ShowEverySize() {
    const struct {
        int width, height;
    } sizes[] = {{1, 1}, {14, 14}, {200, 49}, {4000, 3000}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        NpHostElement element;
        element.width = size.width;
        element.height = size.height;
        int k = plugintest::NewInstance(
            plugintest::Params({{"ANTIALIAS", "HIGH"}, {"ANGLE", "270"}, {"TWO_PAGES", "1"}, {"ZOOMVALUE", "400"}}), element);
        ASSERT_TRUE(NpHostStream(k, Corpus("Schubert_An_die_Musik.xml"), 65536, -1));
        NpHostRunQueued();
        EXPECT_TRUE(NpHostExpose(k, 0, 0, size.width, size.height));
        PlugInInstance *instance = PlugInFromNPP(NpHostInstance(k));
        ASSERT_NE(instance, nullptr);
        EXPECT_TRUE(instance->documentReady);
        uint32_t rgb = 0;
        EXPECT_TRUE(NpHostPixel(k, size.width - 1, size.height - 1, &rgb));
        if (size.width == 4000) {
            EXPECT_FALSE(instance->pageFitsWhole);  // zoomed in four times
            EXPECT_GT(instance->scrollHMax, 0);
            EXPECT_TRUE(instance->pictOdd);
            const Rect &frame = (*instance->pictOdd)->picFrame;  // a page, not the installation message
            EXPECT_GT(frame.bottom - frame.top, frame.right - frame.left);
            EXPECT_TRUE(NpHostPixel(k, 3000, 10, &rgb));
            EXPECT_EQ(rgb, 0xE0E0E0u) << std::hex << rgb;  // the title bar, away from its text
        }
        NpHostDestroy(k);
        NpHostRunQueued();
    }
}

TEST_F(SeeingHost, EverySizeWithEveryOption) { ShowEverySize(); }

TEST_F(SeeingHost, EverySizeWithoutPageImages) {
    PlugSetSupersampleBudget(1);  // no page image can be made: the pages are played straight
    ShowEverySize();
}

}  // namespace

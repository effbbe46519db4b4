// ctest-labels: toolbox-core
// The interface language and its file: the new file is opened before the old one is closed, and
// a missing file changes nothing.
#include "platform/core/language.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/core/errors.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "support/language_files.h"
#include "support/test_home.h"

namespace {

std::vector<std::string> gErrors;
void Capture(const char *message) { gErrors.push_back(message); }

TEST(Language, AMissingFileKeepsTheLanguageAndItsFile) {
    OrvaSetMainThread();
    OrvaSetErrorHook(Capture);
    std::string folder = OrvaTestHome() + "/english-only";
    mkdir(folder.c_str(), 0775);
    OrvaMakeTestLanguageFiles(folder, false, true);
    EXPECT_EQ(OrvaGetLangue(), kLanguageEnglish);
    EXPECT_EQ(OrvaGetLanguageResFile(), -1);  // English at start, no file opened yet
    OrvaFixeLangue(kLanguageEnglish);
    SInt16 english = OrvaGetLanguageResFile();
    ASSERT_GT(english, 0);
    EXPECT_TRUE(gErrors.empty());

    OrvaFixeLangue(kLanguageFrench);
    ASSERT_EQ(gErrors.size(), 1u);
    EXPECT_EQ(gErrors[0], "Can't find 'WLang.rsr'");
    EXPECT_EQ(OrvaGetLangue(), kLanguageEnglish);
    EXPECT_EQ(OrvaGetLanguageResFile(), english);
    UseResFile(english);
    EXPECT_EQ(ResError(), noErr);  // still open

    // Every language but French shares the English file: no other file is opened.
    OrvaFixeLangue(kLanguageJapanese);
    EXPECT_EQ(OrvaGetLangue(), kLanguageJapanese);
    EXPECT_EQ(OrvaGetLanguageResFile(), english);
    EXPECT_EQ(gErrors.size(), 1u);
    OrvaSetErrorHook(nullptr);
}

}  // namespace

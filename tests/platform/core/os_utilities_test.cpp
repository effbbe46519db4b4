// ctest-labels: encodings-files
// Standard folders, folder trees, Gestalt and the small OS services, in a fresh temporary home.
#include "platform/core/os_utilities.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/core/errors.h"
#include "platform/core/folders.h"
#include "platform/core/linux_files.h"
#include "platform/core/preferences.h"
#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

bool IsFolder(const std::string &path) {
    struct stat facts;
    return stat(path.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode);
}

TEST(FindFolder, PreferencesFolderIsCreatedAndTheCurrentFolderKept) {
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    std::string pref = gHome + "/ORVAPREF";
    ASSERT_FALSE(IsFolder(pref));
    SInt16 vRefNum = 7;
    SInt32 dirID = 0;
    EXPECT_EQ(FindFolder(0, FourCC("pref"), kFalse, &vRefNum, &dirID), fnfErr);
    EXPECT_FALSE(IsFolder(pref));
    EXPECT_EQ(FindFolder(0, FourCC("pref"), kTrue, &vRefNum, &dirID), noErr);
    EXPECT_TRUE(IsFolder(pref));
    EXPECT_EQ(vRefNum, 0);
    char path[kOrvaPathMax + 1];
    ASSERT_TRUE(OrvaGetNomChemin(dirID, path));
    EXPECT_EQ(std::string(path), pref + "/");
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    SInt32 again = 0;
    EXPECT_EQ(FindFolder(0, FourCC("pref"), kFalse, &vRefNum, &again), noErr);
    EXPECT_EQ(again, dirID);
}

TEST(FindFolder, OtherKinds) {
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    EXPECT_EQ(FindFolder(0, FourCC("abcd"), kTrue, &vRefNum, &dirID), paramErr);
    char path[kOrvaPathMax + 1];
    EXPECT_EQ(FindFolder(0, FourCC("docs"), kFalse, &vRefNum, &dirID), noErr);  // no documents folder: home
    ASSERT_TRUE(OrvaGetNomChemin(dirID, path));
    EXPECT_EQ(std::string(path), gHome + "/");
    EXPECT_EQ(FindFolder(0, FourCC("temp"), kFalse, &vRefNum, &dirID), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
}

TEST(RecursiveMkDir, CreatesEveryLevelOnceFailsOnAFileAndKeepsTheCurrentFolder) {
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    std::string path = gHome + "/a/b/c";
    EXPECT_TRUE(OrvaRecursiveMkDir(path.c_str()));
    EXPECT_TRUE(IsFolder(path));
    EXPECT_TRUE(OrvaRecursiveMkDir((path + "/").c_str()));
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    EXPECT_TRUE(OrvaRecursiveMkDir("rel/one//two"));  // from the current folder
    EXPECT_TRUE(IsFolder(gHome + "/rel/one/two"));
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);

    // A file in the way fails, from another current folder, which is kept too.
    std::string here = gHome + "/a";
    ASSERT_EQ(chdir(here.c_str()), 0);
    ASSERT_TRUE(OrvaTestWriteFile(gHome + "/plain", "x"));
    EXPECT_FALSE(OrvaRecursiveMkDir((gHome + "/plain/sub/deeper").c_str()));
    EXPECT_EQ(OrvaTestCurrentFolder(), here);
    EXPECT_FALSE(OrvaRecursiveMkDir(""));
    EXPECT_FALSE(OrvaRecursiveMkDir(("/" + std::string(kOrvaPathMax, 'x')).c_str()));
    EXPECT_EQ(OrvaTestCurrentFolder(), here);
}

TEST(AddPath, NoSlashIsDoubled) {
    struct Row {
        const char *path, *name, *expected;
    } rows[] = {{"/x", "y", "/x/y/"}, {"/x/", "y/", "/x/y/"}, {"", "y", "/y/"}, {"/x", "", "/x/"}};
    for (const Row &r : rows) {
        char path[kOrvaPathMax + 1];
        strcpy(path, r.path);
        OrvaAddPath(path, r.name);
        EXPECT_STREQ(path, r.expected) << r.path << " + " << r.name;
    }
}

OSErr AnswerFortyTwo(OSType selector, SInt32 *response) {
    if (selector != FourCC("ansr")) return gestaltUndefSelectorErr;
    *response = 42;
    return noErr;
}

TEST(Gestalt, FixedAnswersThenTheHandler) {
    struct Row {
        OSType selector;
        SInt32 response;
    } rows[] = {{1, 1}, {2, 1}, {3, 10}, {FourCC("appr"), 1}, {FourCC("evnt"), 1}, {FourCC("apvr"), 0x200},
                {FourCC("cbon"), 0x140}, {FourCC("qdtf"), 4}, {FourCC("sysv"), 0x0999}};
    for (const Row &r : rows) {
        SInt32 response = 0;
        EXPECT_EQ(Gestalt(r.selector, &response), noErr);
        EXPECT_EQ(response, r.response) << r.selector;
    }
    SInt32 response = 0;
    EXPECT_EQ(Gestalt(FourCC("abcd"), &response), -5551);
    OrvaTraiteGestalt = AnswerFortyTwo;
    EXPECT_EQ(Gestalt(FourCC("ansr"), &response), noErr);
    EXPECT_EQ(response, 42);
    EXPECT_EQ(Gestalt(FourCC("abcd"), &response), -5551);
    OrvaTraiteGestalt = nullptr;
}

TEST(SmallServices, LanguagePortabilityNamesAndSettings) {
    char code[3] = "xx";
    setenv("LANG", "fr_FR.UTF-8", 1);
    EXPECT_STREQ(OrvaGetSystemLanguageCode(code), "fr_FR.UTF-8");
    EXPECT_STREQ(code, "en");
    unsetenv("LANG");
    EXPECT_EQ(OrvaGetSystemLanguageCode(code), nullptr);

    std::string app = gHome + "/app";
    mkdir(app.c_str(), 0775);
    SystemDependantSetAppFileName((app + "/player").c_str());
    EXPECT_STREQ(LMGetCurApName(), "player");
    char folder[kOrvaPathMax + 1];
    OrvaPathApplication(folder);
    EXPECT_EQ(std::string(folder), app + "/");
    EXPECT_EQ(DetectPortableStatus(), 0);
    ASSERT_TRUE(OrvaTestWriteFile(app + "/nomad.txt", ""));
    EXPECT_EQ(DetectPortableStatus(), 1);

    ASSERT_TRUE(OrvaTestWriteFile(gHome + "/old", "r"));
    EXPECT_EQ(Rename((gHome + "/old").c_str(), 0, (gHome + "/new").c_str()), noErr);
    EXPECT_EQ(OrvaTestReadFile(gHome + "/new"), "r");
    EXPECT_EQ(Rename((gHome + "/old").c_str(), 0, (gHome + "/new").c_str()), fnfErr);
}

TEST(SmallServices, CaretAndDoubleClickIntervalsInTicks) {
    OrvaResetWindowsSystemSettings();
    EXPECT_EQ(GetDblTime(), 30);    // the stand-in screen's 500 ms
    EXPECT_EQ(GetCaretTime(), 36);  // half of its 1200 ms blink
}

TEST(Preferences, WindowSettingsGoThroughTheStoreThatKeepsNothing) {
    SystemDependantInitPref();
    char path[kOrvaPathMax + 1];
    EXPECT_FALSE(OrvaWindowsGetPathOrva(path));
    Rect rect = {10, 20, 300, 400};
    SInt16 maximised = 0;
    EXPECT_EQ(OrvaWindowsSetRectMainWindow(&rect, 1), 0);
    EXPECT_EQ(OrvaWindowsGetRectMainWindow(&rect, &maximised), 0);
}

}  // namespace

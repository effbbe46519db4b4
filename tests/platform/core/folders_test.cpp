// ctest-labels: encodings-files
// The folder table and the path routines, in their own process since they change the current
// folder. Every folder lives under a fresh temporary home.
#include "platform/core/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/core/errors.h"
#include "platform/core/runtime.h"
#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

std::string MakeFolder(const std::string &name) {
    std::string path = gHome + "/" + name;
    mkdir(path.c_str(), 0775);
    return path;
}

SInt16 CurrentId() {
    SInt16 id = 0;
    EXPECT_EQ(GetVol(nullptr, &id), noErr);
    return id;
}

TEST(FolderTable, OneFolderOneIdAndANewFolderTheNext) {
    std::string a = MakeFolder("one"), b = MakeFolder("two");
    ASSERT_EQ(chdir(a.c_str()), 0);
    SInt16 first = CurrentId();
    EXPECT_EQ(CurrentId(), first);
    char name[kOrvaPathMax + 1];
    ASSERT_EQ(GetVol(name, nullptr), noErr);
    EXPECT_EQ(std::string(name), a + "/");
    UInt32 count = OrvaGetFolderCount();
    ASSERT_EQ(chdir(b.c_str()), 0);
    EXPECT_EQ(CurrentId(), SInt16(count + 1));
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    OrvaGetVol(&vRefNum, &dirID);
    EXPECT_EQ(vRefNum, SInt16(count + 1));
    EXPECT_EQ(dirID, SInt32(count + 1));
}

TEST(FolderTable, FoldersDifferingInLetterCaseGetTwoIds) {
    std::string upper = MakeFolder("Foo"), lower = MakeFolder("foo");
    ASSERT_EQ(chdir(upper.c_str()), 0);
    SInt16 upperId = CurrentId();
    ASSERT_EQ(chdir(lower.c_str()), 0);
    SInt16 lowerId = CurrentId();
    EXPECT_NE(upperId, lowerId);
    ASSERT_EQ(SetVol(nullptr, upperId), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), upper);
}

TEST(FolderTable, AnUnknownIdLeavesTheCurrentFolder) {
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    EXPECT_EQ(SetVol(nullptr, 9999), dirNFErr);
    EXPECT_EQ(SetVol("", 9999), dirNFErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    char path[kOrvaPathMax + 1] = "x";
    EXPECT_FALSE(OrvaGetNomChemin(9999, path));
    EXPECT_STREQ(path, "");
    EXPECT_FALSE(OrvaGetNomChemin(0, path));
}

TEST(FolderTable, NamesAreRelativeToTheIdOrAbsolute) {
    std::string base = MakeFolder("fifth");
    MakeFolder("fifth/sub");
    std::string x = MakeFolder("x");
    while (OrvaGetFolderCount() < 4) OrvaGetFolderId((gHome + "/pad" + std::to_string(OrvaGetFolderCount())).c_str());
    ASSERT_EQ(chdir(base.c_str()), 0);
    SInt16 id = CurrentId();
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    char sub[] = "sub";
    HParamBlockRec block = {id, 0, sub};
    EXPECT_EQ(PBHSetVol(&block), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), base + "/sub");
    std::string absolute = x;
    block.ioNamePtr = &absolute[0];
    EXPECT_EQ(PBHSetVol(&block), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), x);
    // A name ignores the volume reference and is taken from the current folder.
    ASSERT_EQ(chdir(base.c_str()), 0);
    EXPECT_EQ(SetVol("sub", 9999), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), base + "/sub");
    EXPECT_EQ(SetVol("missing", 0), -1);
    EXPECT_EQ(OrvaTestCurrentFolder(), base + "/sub");
    std::string tooLong(kOrvaPathMax, 'n');
    block.ioNamePtr = &tooLong[0];
    EXPECT_EQ(PBHSetVol(&block), 1);
    block.ioWDDirID = 9999;
    block.ioNamePtr = sub;
    EXPECT_EQ(PBHSetVol(&block), dirNFErr);
}

TEST(FolderTable, ALongCurrentFolderIsInternedWhole) {
    std::string path = gHome;
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    while (path.size() < 900) {
        std::string level(50, 'd');
        mkdir(level.c_str(), 0775);
        ASSERT_EQ(chdir(level.c_str()), 0);
        path += "/" + level;
    }
    char name[kOrvaPathMax + 1];
    SInt16 id = 0;
    ASSERT_EQ(GetVol(name, &id), noErr);
    EXPECT_EQ(std::string(name), (path + "/").substr(0, kOrvaPathMax));
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    EXPECT_EQ(SetVol(nullptr, id), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), path);
}

TEST(FolderTable, AnUnreadableCurrentFolderGivesTheLastKnown) {
    std::string gone = MakeFolder("gone");
    ASSERT_EQ(chdir(gone.c_str()), 0);
    SInt16 id = CurrentId();
    ASSERT_EQ(rmdir(gone.c_str()), 0);
    char path[kOrvaPathMax + 1];
    OrvaGetDir(path);
    EXPECT_EQ(std::string(path), gone);
    EXPECT_EQ(CurrentId(), id);
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    OrvaGetDir(path);
    EXPECT_EQ(std::string(path), gHome);
}

TEST(FolderTable, DirCreateMakesTheFolderAndKeepsTheCurrentOne) {
    std::string parent = MakeFolder("parent");
    ASSERT_EQ(chdir(parent.c_str()), 0);
    SInt16 parentId = CurrentId();
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    EXPECT_EQ(DirCreate(0, parentId, "made/deeper"), noErr);
    struct stat facts;
    EXPECT_EQ(stat((parent + "/made/deeper").c_str(), &facts), 0);
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    EXPECT_EQ(DirCreate(0, 9999, "x"), dirNFErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    char buffer[kOrvaPathMax + 1];
    EXPECT_EQ(std::string(GetNomChemin(0, parentId, buffer)), parent + "/");
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    EXPECT_STREQ(GetNomChemin(0, 9999, buffer), "");
}

TEST(Paths, SplitPathCases) {
    struct Row {
        const char *path, *folder, *name;
    } rows[] = {
        {"/a/b/file.rsr", "/a/b/", "file.rsr"},
        {"file.rsr", "", "file.rsr"},
        {"/", "", ""},
        {"x", "", ""},
        {"", "", ""},
        {"/a/b/", "/a/", "b/"},
        {"/file", "/", "file"},
        {"a b/\"q\"", "a b/", "\"q\""},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.path);
        char folder[kOrvaPathMax + 1] = "junk", name[kOrvaPathMax + 1] = "junk";
        SplitPath(r.path, folder, name);
        EXPECT_STREQ(folder, r.folder);
        EXPECT_STREQ(name, r.name);
    }
    char name[kOrvaPathMax + 1];
    SplitPath("/a/b", nullptr, name);
    EXPECT_STREQ(name, "b");
    std::string tooLong(kOrvaPathMax + 1, 'a');
    SplitPath(tooLong.c_str(), nullptr, name);
    EXPECT_STREQ(name, "");
}

TEST(Paths, FixeCheminRefusesLongPathsAndFollowsIds) {
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    std::string long779 = "/" + std::string(778, 'p');
    EXPECT_EQ(FixeChemin(0, long779.c_str()), memFullErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    std::string folder = MakeFolder("fixe");
    MakeFolder("fixe/inner");
    EXPECT_EQ(FixeChemin(0, folder.c_str()), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), folder);
    SInt16 id = CurrentId();
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    EXPECT_EQ(FixeChemin(id, "inner"), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), folder + "/inner");
    EXPECT_EQ(FixeCheminRelatif(0, id, "inner"), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), folder + "/inner");
    EXPECT_EQ(FixeCheminRelatif(0, id, ""), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), folder);
    EXPECT_EQ(FixeChemin(0, (gHome + "/absent").c_str()), -1);
    EXPECT_TRUE(FixeCheminSurDocument(0, 0, gHome.c_str()));
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    EXPECT_EQ(SetPath(nullptr, 0), noErr);
    EXPECT_EQ(SetPath(nullptr, id), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), folder);
}

TEST(Paths, SavedFolderComesBack) {
    std::string there = MakeFolder("there");
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    char name[kOrvaPathMax + 1];
    EXPECT_TRUE(SaisitChemin(&vRefNum, name, &dirID));
    EXPECT_EQ(vRefNum, kOrvaVolumeNumber);
    EXPECT_EQ(std::string(name), gHome + "/");
    ASSERT_EQ(chdir(there.c_str()), 0);
    EXPECT_EQ(FixeVolPath(vRefNum, dirID), noErr);
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    EXPECT_TRUE(GetCurVolName(name));
    EXPECT_EQ(std::string(name), gHome + "/");
}

std::string gLastAlert;

void RecordAlert(const char *message) { gLastAlert = message; }

TEST(Paths, MisusedSavedFolderIsReported) {
    OrvaSetErrorHook(RecordAlert);  // Collapse reaches the error sink below the plug-in
    std::string first = MakeFolder("first"), second = MakeFolder("second");
    ASSERT_EQ(chdir(first.c_str()), 0);
    PreservePath();
    EXPECT_EQ(gLastAlert, "");
    ASSERT_EQ(chdir(second.c_str()), 0);
    PreservePath();  // the slot is overwritten
    EXPECT_EQ(gLastAlert, "PreservePath : Error");
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    RestorePath();  // the second one comes back
    EXPECT_EQ(OrvaTestCurrentFolder(), second);
    gLastAlert.clear();
    RestorePath();  // empty slot: reported, nothing changes
    EXPECT_EQ(gLastAlert, "RestorePath : Error");
    EXPECT_EQ(OrvaTestCurrentFolder(), second);
    OrvaSetErrorHook(nullptr);
}

TEST(Drives, ThereAreNone) {
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    EXPECT_EQ(OrvaNbDisk(), 0);
    EXPECT_EQ(OrvaWindowsNbDisk(), 0);
    EXPECT_EQ(OrvaGetDisk(), -1);
    EXPECT_EQ(OrvaSetDisk(2), 3);
    EXPECT_EQ(OrvaSelectNextDrive(3), 3);
    EXPECT_GT(OrvaIsDriveValid(0), 0u);
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
}

}  // namespace

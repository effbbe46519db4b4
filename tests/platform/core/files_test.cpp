// ctest-labels: encodings-files
// Opening files whatever their letter case, wildcard search, and the file routines on real files
// in a fresh temporary home.
#include "platform/core/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include "platform/core/folders.h"
#include "platform/core/unicode_mode.h"
#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

std::string Folder(const std::string &name) {
    std::string path = gHome + "/" + name;
    mkdir(path.c_str(), 0775);
    return path;
}

std::string ReadStream(FILE *f) {
    std::string bytes;
    char block[256];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
    return bytes;
}

std::set<std::string> Search(const std::string &pattern, UInt32 mask) {
    std::set<std::string> names;
    FindFileRecord record;
    for (Boolean more = SystemDependantFindFirstFile(pattern.c_str(), mask, &record); more;
         more = SystemDependantFindNextFile(&record))
        names.insert(record.name + std::string(record.attributes == kFindAttributeFolder ? "/" : ""));
    SystemDependantFindClose(&record);
    return names;
}

TEST(CaseBlindOpening, ReadingFindsTheFileInAnyLetterCase) {
    std::string folder = Folder("open");
    ASSERT_TRUE(OrvaTestWriteFile(folder + "/Foo.RSR", "resource"));
    FILE *f = SystemDependantfopen((folder + "/foo.rsr").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadStream(f), "resource");
    fclose(f);
    f = Orvafopen((folder + "/FOO.rsr").c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    fclose(f);
    // The folder part must match as written.
    EXPECT_EQ(SystemDependantfopen((gHome + "/OPEN/foo.rsr").c_str(), "rb"), nullptr);
    EXPECT_EQ(SystemDependantfopen((folder + "/bar.rsr").c_str(), "rb"), nullptr);
    // Relative to the current folder.
    ASSERT_EQ(chdir(folder.c_str()), 0);
    f = SystemDependantfopen("FOO.RSR", "rb");
    ASSERT_NE(f, nullptr);
    fclose(f);
}

TEST(CaseBlindOpening, TheMatchingFileIsOpenedAmongOthers) {
    // The search must stop on the match, not on the entry after it.
    std::string folder = Folder("crowd");
    for (const char *name : {"Alpha.txt", "Foo.RSR", "Zeta.txt", "With Space.TXT"})
        ASSERT_TRUE(OrvaTestWriteFile(folder + "/" + name, name));
    FILE *f = SystemDependantfopen((folder + "/foo.rsr").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadStream(f), "Foo.RSR");
    fclose(f);
}

TEST(CaseBlindOpening, AFailedOpenForWritingIsNotRetried) {
    std::string folder = Folder("write");
    ASSERT_TRUE(OrvaTestWriteFile(folder + "/Foo.RSR", "keep"));
    mkdir((folder + "/foo.rsr").c_str(), 0775);  // the written name cannot be opened as a file
    EXPECT_EQ(SystemDependantfopen((folder + "/foo.rsr").c_str(), "wb"), nullptr);
    EXPECT_EQ(OrvaTestReadFile(folder + "/Foo.RSR"), "keep");
    FILE *f = SystemDependantfopen((folder + "/foo.rsr").c_str(), "ab");  // any other mode is retried
    ASSERT_NE(f, nullptr);
    fputs("+", f);
    fclose(f);
    EXPECT_EQ(OrvaTestReadFile(folder + "/Foo.RSR"), "keep+");
}

TEST(CaseBlindOpening, UnusualNamesMatchLikeAnyOther) {
    std::string folder = Folder("odd");
    const char *names[] = {"With Space.TXT", "quo\"te's.txt", "bad\xff\xfeutf8.TXT", "\xc3\x89t\xc3\xa9.txt"};
    for (const char *name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(OrvaTestWriteFile(folder + "/" + name, name));
        std::string asked = name;
        for (char &c : asked)
            if (c >= 'A' && c <= 'Z') c = char(c + 32);
            else if (c >= 'a' && c <= 'z') c = char(c - 32);
        FILE *f = SystemDependantfopen((folder + "/" + asked).c_str(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(ReadStream(f), name);
        fclose(f);
    }
}

TEST(DirectorySearch, PatternsMatchByTheirRules) {
    struct Row {
        const char *pattern, *name;
        bool matches;
    } rows[] = {
        {"*.rsr", "Foo.RSR", true},
        {"*.RSR", "foo.rsr", true},
        {"*Rsr", "foo.rsr", false},  // the character after '*' is compared exactly
        {"?x", "x", false},
        {"?x", "ax", true},
        {"", "x", false},
        {"*", "anything", true},
        {"*.*", "noDot", true},
        {"*.*", ".hidden", false},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},
        {"f?o.*", "FOO.x", true},
        {"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.pattern) + " ~ " + r.name);
        EXPECT_EQ(OrvaWildcardMatch(r.pattern, r.name), r.matches);
    }
}

TEST(DirectorySearch, FindsFilesFoldersOnlyWhenAskedAndSkipsDotNames) {
    std::string folder = Folder("search");
    ASSERT_TRUE(OrvaTestWriteFile(folder + "/Foo.RSR", "12345"));
    ASSERT_TRUE(OrvaTestWriteFile(folder + "/bar.rsr", ""));
    ASSERT_TRUE(OrvaTestWriteFile(folder + "/baz.txt", ""));
    ASSERT_TRUE(OrvaTestWriteFile(folder + "/.hidden.rsr", ""));
    mkdir((folder + "/sub").c_str(), 0775);
    EXPECT_EQ(Search(folder + "/*.rsr", 7), (std::set<std::string>{"Foo.RSR", "bar.rsr"}));
    EXPECT_EQ(Search(folder + "/*.rsr", 15), (std::set<std::string>{"Foo.RSR", "bar.rsr", "sub/"}));
    EXPECT_EQ(Search(folder + "/*", 7), (std::set<std::string>{"Foo.RSR", "bar.rsr", "baz.txt"}));
    EXPECT_EQ(Search(folder + "/", 7), (std::set<std::string>{}));
    EXPECT_EQ(Search(gHome + "/absent/*.*", 15), (std::set<std::string>{}));
    // Sizes and times come from the searched folder, not the current one.
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    FindFileRecord record;
    ASSERT_TRUE(SystemDependantFindFirstFile((folder + "/F*").c_str(), 7, &record));
    EXPECT_STREQ(record.name, "Foo.RSR");
    EXPECT_EQ(record.size, 5u);
    EXPECT_NE(record.lastWriteTime, 0u);
    EXPECT_EQ(record.attributes, 0u);
    EXPECT_STREQ(record.folder, (folder + "/").c_str());
    EXPECT_FALSE(SystemDependantFindNextFile(&record));
    EXPECT_EQ(SystemDependantFindClose(&record), 1u);
    // Without a folder, the current one is searched.
    ASSERT_EQ(chdir(folder.c_str()), 0);
    EXPECT_EQ(Search("*.TXT", 7), (std::set<std::string>{"baz.txt"}));
    ASSERT_TRUE(OrvaFindFirstFile("s*", &record));
    EXPECT_STREQ(record.name, "sub");
    EXPECT_EQ(record.attributes, kFindAttributeFolder);
    OrvaFindClose(&record);
}

TEST(DirectorySearch, AFolderPathTooLongForTheRecordIsRefused) {
    std::string deep = gHome;
    while (deep.size() < 300) {
        deep += "/" + std::string(40, 'L');
        mkdir(deep.c_str(), 0775);
    }
    ASSERT_TRUE(OrvaTestWriteFile(deep + "/a.rsr", "x"));
    FindFileRecord record;
    EXPECT_FALSE(SystemDependantFindFirstFile((deep + "/*.rsr").c_str(), 7, &record));
    EXPECT_EQ(record.name[0], 0);
    EXPECT_EQ(record.folder[0], 0);
    ASSERT_EQ(chdir(deep.c_str()), 0);
    EXPECT_FALSE(SystemDependantFindFirstFile("*.rsr", 7, &record));
    // Opening by exact name still works; only the letter-case retry needs the search.
    FILE *f = SystemDependantfopen((deep + "/a.rsr").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_EQ(SystemDependantfopen((deep + "/A.rsr").c_str(), "rb"), nullptr);
    ASSERT_EQ(chdir(gHome.c_str()), 0);
}

TEST(FileRoutines, OuvreFichierKeepsTheCurrentFolder) {
    std::string folder = Folder("ouvre");
    ASSERT_TRUE(OrvaTestWriteFile(folder + "/Doc.txt", "doc"));
    ASSERT_EQ(chdir(gHome.c_str()), 0);
    FILE *f = OuvreFichier((folder + "/doc.TXT").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadStream(f), "doc");
    fclose(f);
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    f = OuvreFichier("ouvre/Doc.txt", "rb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_EQ(OuvreFichier((gHome + "/nowhere/x").c_str(), "rb"), nullptr);
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    std::string tooLong = "/" + std::string(kOrvaPathMax + 5, 'z');
    EXPECT_EQ(OuvreFichier(tooLong.c_str(), "rb"), nullptr);
}

TEST(FileRoutines, RemoveRenameAndLength) {
    std::string folder = Folder("routines");
    std::string a = folder + "/a \xc3\xa9.txt", b = folder + "/b.txt";
    ASSERT_TRUE(OrvaTestWriteFile(a, "0123456789"));
    EXPECT_NE(GetFileModifiedTime(a.c_str()), 0u);
    EXPECT_EQ(GetFileModifiedTime((folder + "/none").c_str()), 0u);
    EXPECT_TRUE(OrvaSetFileLength(a.c_str(), 4));
    EXPECT_EQ(OrvaTestReadFile(a), "0123");
    EXPECT_FALSE(OrvaSetFileLength((folder + "/none").c_str(), 4));
    EXPECT_EQ(RenommeFichier(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(OrvaTestReadFile(b), "0123");
    std::string tooLong = folder + "/" + std::string(kRenamePathMax, 'r');
    EXPECT_EQ(RenommeFichier(b.c_str(), tooLong.c_str()), -1);
    EXPECT_EQ(OrvaTestReadFile(b), "0123");
    EXPECT_EQ(SupprimeFichier(b.c_str()), 0);
    EXPECT_EQ(OrvaTestReadFile(b), "");
    EXPECT_NE(SupprimeFichier(b.c_str()), 0);
    ASSERT_TRUE(OrvaTestWriteFile(a, "x"));
    EXPECT_EQ(Orvaremove(a.c_str()), 0);
    mkdir((folder + "/empty").c_str(), 0775);
    EXPECT_EQ(SupprimeDossier((folder + "/empty").c_str()), 0);
}

TEST(FileRoutines, OutsideTheUnicodeModeNamesBecomeMacRoman) {
    std::string folder = Folder("roman");
    SetUnicodeApplication(kFalse);
    FILE *f = OuvreFichier((folder + "/caf\xc3\xa9").c_str(), "wb");
    SetUnicodeApplication(kTrue);
    ASSERT_NE(f, nullptr);
    fclose(f);
    struct stat facts;
    EXPECT_EQ(stat((folder + "/caf\x8e").c_str(), &facts), 0);
    EXPECT_NE(stat((folder + "/caf\xc3\xa9").c_str(), &facts), 0);
}

TEST(FileRoutines, WideNamesGoThroughUTF8) {
    std::string folder = Folder("wide");
    std::u16string path;
    for (char c : folder) path += char16_t(UInt8(c));
    path += u"/\u00e9t\u00e9";
    const UniChar mode[] = {'w', 'b', 0};
    FILE *f = _wfopen(reinterpret_cast<const UniChar *>(path.c_str()), mode);
    ASSERT_NE(f, nullptr);
    fputs("wide", f);
    fclose(f);
    EXPECT_EQ(OrvaTestReadFile(folder + "/\xc3\xa9t\xc3\xa9"), "wide");
    EXPECT_EQ(_wremove(reinterpret_cast<const UniChar *>(path.c_str())), 0);
    EXPECT_EQ(OrvaTestReadFile(folder + "/\xc3\xa9t\xc3\xa9"), "");
}

}  // namespace

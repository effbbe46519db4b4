// ctest-labels: resources
// Resource files written by the library and by the test's own writer, read back, changed,
// rewritten and damaged on purpose.
#include "platform/core/resource_files.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "support/resource_test_support.h"

using namespace restest;

namespace {

const ResType kSTRn = FourCC("STR#");
const ResType kTEXT = FourCC("TEXT");

class ResourceFiles : public ::testing::Test {
protected:
    void SetUp() override { folder = FreshFolder(); }
    void TearDown() override {
        OrvaSetResWriteFault(-1);
        SetResLoad(1);
        CloseAllResFiles();
    }
    std::string Path(const char *name) const { return folder + "/" + name; }
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        DIR *dir = opendir(folder.c_str());
        while (dirent *e = dir ? readdir(dir) : nullptr)
            if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) names.push_back(e->d_name);
        if (dir) closedir(dir);
        return names;
    }
    // "t.rsr" holding 'STR#' 128 and 'TEXT' 129 "notes", written by the library.
    SInt16 WriteSample() {
        CreateResFile("t.rsr");
        EXPECT_EQ(ResError(), noErr);
        SInt16 ref = OpenResFile("t.rsr");
        EXPECT_GT(ref, 0);
        AddResource(NewHandleFrom(StrList({"one", "two", "three"})), kSTRn, 128, nullptr);
        EXPECT_EQ(ResError(), noErr);
        AddResource(NewHandleFrom(Text("hello")), kTEXT, 129, "notes");
        EXPECT_EQ(ResError(), noErr);
        CloseResFile(ref);
        EXPECT_EQ(ResError(), noErr);
        return ref;
    }
    std::string folder;
};

TEST_F(ResourceFiles, WrittenFileReadsBackAndSurvivesAnUpdate) {
    WriteSample();
    Bytes disk = ReadAll(Path("t.rsr"));
    ASSERT_GE(disk.size(), 20u);
    EXPECT_EQ(std::string(disk.begin() + 16, disk.begin() + 20), "Orva");

    SInt16 ref = OpenResFile("t.rsr");
    ASSERT_GT(ref, 0);
    EXPECT_EQ(CurResFile(), ref);
    EXPECT_EQ(HandleBytes(Get1Resource(kSTRn, 128)), StrList({"one", "two", "three"}));
    EXPECT_EQ(HandleBytes(Get1Resource(kTEXT, 129)), Text("hello"));
    Handle named = GetNamedResource(kTEXT, "notes");
    SInt16 id;
    ResType type;
    char name[256];
    GetResInfo(named, &id, &type, name);
    EXPECT_EQ(id, 129);
    EXPECT_EQ(type, kTEXT);
    EXPECT_STREQ(name, "notes");
    EXPECT_EQ(Count1Types(), 2);

    Handle text = Get1Resource(kTEXT, 129);
    SetHandleSize(text, 7);
    memcpy(*text, "goodbye", 7);
    ChangedResource(text);
    EXPECT_EQ(ResError(), noErr);
    UpdateResFile(ref);
    EXPECT_EQ(ResError(), noErr);
    EXPECT_EQ(HandleBytes(Get1Resource(kSTRn, 128)), StrList({"one", "two", "three"}));
    CloseResFile(ref);

    RawFile raw = ParseFile(ReadAll(Path("t.rsr")));
    ASSERT_TRUE(raw.ok);
    EXPECT_EQ(raw.dataOffset, 256u);
    EXPECT_EQ(raw.magic, "Orva");
    ASSERT_EQ(raw.resources.size(), 2u);
    for (const RawResource &r : raw.resources) {
        if (r.type == "TEXT") {
            EXPECT_EQ(r.data, Text("goodbye"));
            EXPECT_EQ(r.name, "notes");
        } else {
            EXPECT_EQ(r.data, StrList({"one", "two", "three"}));
            EXPECT_FALSE(r.hasName);
        }
    }
}

TEST_F(ResourceFiles, NamesOfEveryTypeSurviveARewrite) {
    std::vector<RawResource> resources;
    for (int t = 0; t < 6; t++)
        for (int i = 0; i < 5; i++)
            resources.push_back({std::string("TYP") + char('A' + t), i, true,
                                 std::string(size_t(200 + i), char('a' + t)) + char('0' + i), Text("d")});
    WriteAll(Path("names.rsr"), BuildFile(resources));
    SInt16 ref = OpenResFile("names.rsr");
    ASSERT_GT(ref, 0);
    ChangedResource(Get1Resource(FourCC("TYPA"), 0));
    CloseResFile(ref);
    ASSERT_EQ(ResError(), noErr);
    RawFile raw = ParseFile(ReadAll(Path("names.rsr")));
    ASSERT_TRUE(raw.ok);
    ASSERT_EQ(raw.resources.size(), resources.size());
    for (const RawResource &r : raw.resources) {
        SCOPED_TRACE(r.type + " " + std::to_string(r.id));
        EXPECT_EQ(r.name, std::string(size_t(200 + r.id), char('a' + (r.type[3] - 'A'))) + char('0' + r.id));
        EXPECT_EQ(r.data, Text("d"));
    }
}

TEST_F(ResourceFiles, SearchFindsTheSystemFolderAndTrimsLongExtensions) {
    std::string system = getenv("WORVA");
    WriteAll(system + "/Sys.rsr", BuildFile({{"TEXT", 1, false, "", Text("system")}}));
    char before[1024];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    SInt16 ref = OpenResFile("sys.rsrc");  // cut to "sys.rsr", found ignoring case in folder 2
    ASSERT_GT(ref, 0);
    EXPECT_EQ(HandleBytes(Get1Resource(kTEXT, 1)), Text("system"));
    char after[1024];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(after, before);
    char folder2[1024];
    FILE *f = orva_ouvre_ressource("SYS.RSR", "rb", 2, folder2, nullptr);
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_EQ(std::string(folder2), system + "/");
    EXPECT_EQ(orva_ouvre_ressource("sys.rsr", "rb", 0, nullptr, nullptr), nullptr);  // not in folder 0
    EXPECT_EQ(orva_ouvre_ressource("", "rb", -1, nullptr, nullptr), nullptr);
}

TEST_F(ResourceFiles, CreatedFileHasNoTypesCreatingAgainIsRefusedAndReopeningAnswersIt) {
    CreateResFile("empty.rsr");
    ASSERT_EQ(ResError(), noErr);
    RawFile raw = ParseFile(ReadAll(Path("empty.rsr")));
    EXPECT_TRUE(raw.ok);
    EXPECT_EQ(raw.mapLength, 30u);
    SInt16 ref = OpenResFile("empty.rsr");
    ASSERT_GT(ref, 0);
    EXPECT_EQ(Count1Types(), 0);
    EXPECT_EQ(Get1Resource(kTEXT, 1), nullptr);
    CreateResFile("EMPTY.rsr");
    EXPECT_EQ(ResError(), dupFNErr);
    // Opening the same name in another case answers the open file and leaves the current one.
    WriteAll(Path("other.rsr"), BuildFile({{"PICT", 1, false, "", Text("p")}}));
    SInt16 other = OpenResFile("other.rsr");
    ASSERT_GT(other, ref);
    EXPECT_EQ(OpenResFile("EMPTY.RSR"), ref);
    EXPECT_EQ(CurResFile(), other);
    EXPECT_EQ(ResError(), noErr);
    CloseResFile(ref);
    CreateResFile("empty.rsr");  // found by the search though no longer open
    EXPECT_EQ(ResError(), dupFNErr);
}

TEST_F(ResourceFiles, IndexOneIsTheLastReferenceAndAnUpdateReversesTheOrder) {
    WriteAll(Path("order.rsr"), BuildFile({{"snd ", 1, false, "", Text("a")},
                                           {"snd ", 2, false, "", Text("b")},
                                           {"snd ", 3, false, "", Text("c")}}));
    SInt16 ref = OpenResFile("order.rsr");
    ASSERT_GT(ref, 0);
    const char *expected[] = {"c", "b", "a"};
    for (int i = 1; i <= 3; i++) EXPECT_EQ(HandleBytes(Get1IndResource(FourCC("snd "), SInt16(i))), Text(expected[i - 1]));
    EXPECT_EQ(Get1IndResource(FourCC("snd "), 4), nullptr);
    EXPECT_EQ(Get1IndResource(FourCC("snd "), 0), nullptr);
    ChangedResource(Get1Resource(FourCC("snd "), 2));
    CloseResFile(ref);
    RawFile raw = ParseFile(ReadAll(Path("order.rsr")));
    ASSERT_EQ(raw.resources.size(), 3u);
    EXPECT_EQ(raw.resources[0].id, 3);
    EXPECT_EQ(raw.resources[2].id, 1);
}

TEST_F(ResourceFiles, LoadSwitchOffGivesAnEmptyHandleReplacedOnTheNextLoad) {
    WriteSample();
    SInt16 ref = OpenResFile("t.rsr");
    SetResLoad(0);
    Handle empty = GetResource(kTEXT, 129);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GetHandleSize(empty), 0u);
    EXPECT_EQ(GetResource(kTEXT, 129), empty);
    SetResLoad(1);
    Handle full = GetResource(kTEXT, 129);
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(HandleBytes(full), Text("hello"));
    EXPECT_FALSE(OrvaIsValidHandle(empty));
    CloseResFile(ref);
}

TEST_F(ResourceFiles, ReleasingWhatIsNoResourceDisposesNothing) {
    Handle mine = NewHandle(8);
    ReleaseResource(mine);
    EXPECT_EQ(ResError(), resNotFound);
    EXPECT_TRUE(OrvaIsValidHandle(mine));
    EXPECT_EQ(HomeResFile(mine), -1);
    EXPECT_EQ(SizeResource(mine), -1);
    SInt16 id = 5;
    ResType type = 5;
    char name[256] = "x";
    GetResInfo(mine, &id, &type, name);
    EXPECT_EQ(ResError(), resNotFound);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(type, 0u);
    EXPECT_STREQ(name, "");
    DisposHandle(mine);
}

TEST_F(ResourceFiles, NamedLookupNeverMatchesAnUnnamedEntryAndDriverNamesLoseTheirFirstCharacter) {
    WriteAll(Path("n.rsr"), BuildFile({{"TEXT", 1, false, "", Text("x")},
                                       {"TEXT", 2, true, "", Text("y")},
                                       {"TEXT", 3, true, "Name", Text("z")},
                                       {"DRVR", 1, true, ".Sound", Text("a")},
                                       {"DRVR", 2, true, "", Text("b")}}));
    ASSERT_GT(OpenResFile("n.rsr"), 0);
    EXPECT_EQ(HandleBytes(GetNamedResource(kTEXT, "")), Text("y"));
    EXPECT_EQ(GetNamedResource(kTEXT, "name"), nullptr);  // exact case
    EXPECT_EQ(HandleBytes(GetNamedResource(kTEXT, "Name")), Text("z"));
    EXPECT_EQ(HandleBytes(GetNamedResource(FourCC("DRVR"), "Sound")), Text("a"));
    char name[256] = "x";
    SInt16 id;
    orva_GetIndResInfo(FourCC("DRVR"), 1, &id, name);  // the last reference comes first
    EXPECT_EQ(id, 2);
    EXPECT_STREQ(name, "");
}

TEST_F(ResourceFiles, PlainAndScrambledMapsOpen) {
    std::vector<RawResource> resources = {{"STR#", 128, false, "", StrList({"a", "b"})},
                                          {"TEXT", 7, true, "seven", Text("7")}};
    Bytes plain = BuildFile(resources, 256, "none");  // no magic, but ".rsf": read as it is
    WriteAll(Path("plain.rsf"), plain);
    Bytes scrambled = plain;
    ScrambleMap(&scrambled);
    WriteAll(Path("scrambled.dat"), scrambled);
    for (const char *name : {"plain.rsf", "scrambled.dat"}) {
        SCOPED_TRACE(name);
        SInt16 ref = OpenResFile(name);
        ASSERT_GT(ref, 0);
        EXPECT_EQ(HandleBytes(Get1Resource(kSTRn, 128)), StrList({"a", "b"}));
        EXPECT_EQ(HandleBytes(GetNamedResource(kTEXT, "seven")), Text("7"));
        CloseResFile(ref);
    }
    WriteAll(Path("wrong.dat"), plain);  // plain map under a name that says scrambled
    ErrorCapture errors;
    EXPECT_EQ(OpenResFile("wrong.dat"), -4);
}

TEST_F(ResourceFiles, FileWithDataAtOffset512ReadsCompletelyAfterAnUpdate) {
    std::vector<RawResource> resources;
    for (int i = 0; i < 6; i++)
        resources.push_back({i % 2 ? "TEXT" : "STR#", 200 + i, i == 3, "three", Text(std::string(size_t(i * 37 + 1), char('a' + i)))});
    WriteAll(Path("wide.rsr"), BuildFile(resources, 512));
    SInt16 ref = OpenResFile("wide.rsr");
    ASSERT_GT(ref, 0);
    Handle h = Get1Resource(kTEXT, 201);
    (*h)[0] = 'Z';
    ChangedResource(h);
    CloseResFile(ref);
    ASSERT_EQ(ResError(), noErr);
    resources[1].data[0] = 'Z';

    ref = OpenResFile("wide.rsr");
    ASSERT_GT(ref, 0);
    for (const RawResource &r : resources) {
        SCOPED_TRACE(r.id);
        ResType type = FourCC(r.type == "TEXT" ? "TEXT" : "STR#");
        EXPECT_EQ(HandleBytes(Get1Resource(type, SInt16(r.id))), r.data);
    }
    EXPECT_EQ(ParseFile(ReadAll(Path("wide.rsr"))).dataOffset, 256u);
}

TEST_F(ResourceFiles, FailedRewriteKeepsTheOldFileAndTheChangesToSave) {
    WriteSample();
    Bytes before = ReadAll(Path("t.rsr"));
    SInt16 ref = OpenResFile("t.rsr");
    Handle h = Get1Resource(kTEXT, 129);
    (*h)[0] = 'J';
    ChangedResource(h);
    for (SInt32 writes : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(writes);
        OrvaSetResWriteFault(writes);
        UpdateResFile(ref);
        EXPECT_EQ(ResError(), resNotFound);
        EXPECT_EQ(ReadAll(Path("t.rsr")), before);
        EXPECT_EQ(Listing(), std::vector<std::string>{"t.rsr"});  // no temporary file left
        EXPECT_EQ(HandleBytes(Get1Resource(kSTRn, 128)), StrList({"one", "two", "three"}));
    }
    OrvaSetResWriteFault(-1);
    UpdateResFile(ref);
    EXPECT_EQ(ResError(), noErr);
    CloseResFile(ref);
    RawFile raw = ParseFile(ReadAll(Path("t.rsr")));
    ASSERT_EQ(raw.resources.size(), 2u);
    EXPECT_EQ(raw.resources[raw.resources[0].type == "TEXT" ? 0 : 1].data, Text("Jello"));
}

TEST_F(ResourceFiles, DamagedMapsAnswerMinusFourWithTheMessage) {
    Bytes good = BuildFile({{"TEXT", 1, true, "name", Text("abc")}, {"PICT", 2, false, "", Text("d")}});
    const size_t map = ParseFile(good).mapOffset, typeList = map + 28, refs = typeList + 2 + 16;
    struct Row {
        const char *label;
        size_t at;
        std::vector<unsigned char> bytes;
    } rows[] = {
        {"map offset past the end", 4, {0, 0, 0x10, 0}},
        {"map length past the end", 12, {0, 1, 0, 0}},
        {"map shorter than its prefix", 12, {0, 0, 0, 20}},
        {"type list past the map", map + 24, {0xFF, 0xF0}},
        {"too many types", typeList, {0x00, 0x40}},
        {"references past the map", typeList + 2 + 6, {0x7F, 0x00}},
        {"reference count past the map", typeList + 2 + 4, {0x01, 0x00}},
        {"name offset past the map", refs + 2, {0x40, 0x00}},
        {"name length past the map", good.size() - 5, {0xFF}},
        {"65536 references", typeList + 2 + 4, {0xFF, 0xFF}},
        {"a type listed twice", typeList + 2 + 8, {'T', 'E', 'X', 'T'}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        Bytes bad = good;
        std::copy(row.bytes.begin(), row.bytes.end(), bad.begin() + long(row.at));
        WriteAll(Path("bad.rsr"), bad);
        ErrorCapture errors;
        EXPECT_EQ(OpenResFile("bad.rsr"), -4);
        EXPECT_TRUE(errors.Saw("Resource map read error on file : bad.rsr"));
        EXPECT_EQ(OrvaPremierFichierRessource, nullptr);
        EXPECT_EQ(nbResFileOpen, 0);
    }
    WriteAll(Path("short.rsr"), Bytes(good.begin(), good.begin() + 12));
    ErrorCapture errors;
    EXPECT_EQ(OpenResFile("short.rsr"), -1);
    EXPECT_TRUE(errors.Saw("Error #1: RSRC file Header read error"));
    EXPECT_EQ(OpenResFile("missing.rsr"), -1);
    EXPECT_EQ(ResError(), resFNotFound);
    WriteAll(Path("other.txt"), Text("abc"));
    EXPECT_EQ(OpenResFile("Cadenzo.rsr"), -1);  // this one name is reported with a listing
    EXPECT_TRUE(errors.Saw("Fichier Cadenzo.rsr inconnu dans " + folder + "/"));
    EXPECT_TRUE(errors.Saw("other.txt (0) 3 oct.\n"));
}

TEST_F(ResourceFiles, HugeOrMisplacedDataFailsThatLoadOnly) {
    Bytes file = BuildFile({{"TEXT", 1, false, "", Text("first")}, {"TEXT", 2, false, "", Text("second")}});
    // The second resource's length (at 256 + 4 + 5) claims 2 GB.
    file[265] = 0x7F, file[266] = 0xFF, file[267] = 0xFF, file[268] = 0xFF;
    WriteAll(Path("huge.rsr"), file);
    ASSERT_GT(OpenResFile("huge.rsr"), 0);
    ErrorCapture errors;
    EXPECT_EQ(Get1Resource(kTEXT, 2), nullptr);
    EXPECT_TRUE(errors.Saw("Erreur lecture datas ressource"));
    EXPECT_FALSE(errors.Saw("No more mem"));
    EXPECT_EQ(HandleBytes(Get1Resource(kTEXT, 1)), Text("first"));

    Bytes past = BuildFile({{"TEXT", 3, false, "", Text("x")}});
    size_t ref = 256 + 5 + 30 + 8;  // the only reference: after the data, prefix, one type
    past[ref + 5] = 0x7F;            // its data offset far past the end
    WriteAll(Path("past.rsr"), past);
    ASSERT_GT(OpenResFile("past.rsr"), 0);
    EXPECT_EQ(Get1Resource(kTEXT, 3), nullptr);
    EXPECT_TRUE(errors.Saw("Erreur lecture datas ressource #2"));
}

TEST_F(ResourceFiles, SearchGoesFromTheCurrentFileToOlderFilesOnly) {
    WriteAll(Path("old.rsr"), BuildFile({{"TEXT", 1, false, "", Text("old")}, {"TEXT", 2, false, "", Text("only old")},
                                         {"snd ", 9, false, "", Text("s")}}));
    WriteAll(Path("new.rsr"), BuildFile({{"TEXT", 1, false, "", Text("new")}, {"PICT", 5, false, "", Text("p")}}));
    SInt16 oldRef = OpenResFile("old.rsr");
    SInt16 newRef = OpenResFile("new.rsr");
    EXPECT_EQ(HandleBytes(GetResource(kTEXT, 1)), Text("new"));
    EXPECT_EQ(HandleBytes(GetResource(kTEXT, 2)), Text("only old"));
    EXPECT_EQ(Get1Resource(kTEXT, 2), nullptr);
    EXPECT_EQ(CountResources(kTEXT), 3);
    EXPECT_EQ(Count1Resources(kTEXT), 1);
    EXPECT_EQ(CountTypes(), 3);
    ResType type;
    GetIndType(&type, 1);
    EXPECT_EQ(type, kTEXT);
    GetIndType(&type, 2);
    EXPECT_EQ(type, FourCC("PICT"));
    GetIndType(&type, 3);
    EXPECT_EQ(type, FourCC("snd "));
    GetIndType(&type, 4);
    EXPECT_EQ(type, 0u);
    EXPECT_EQ(HandleBytes(GetIndResource(kTEXT, 2)), Text("only old"));  // new's 1, then old's 2, 1
    EXPECT_EQ(HomeResFile(GetResource(kTEXT, 2)), oldRef);

    UseResFile(oldRef);
    EXPECT_EQ(HandleBytes(GetResource(kTEXT, 1)), Text("old"));
    EXPECT_EQ(GetResource(FourCC("PICT"), 5), nullptr);
    Get1IndType(&type, 2);
    EXPECT_EQ(type, FourCC("snd "));
    Get1IndType(&type, 3);
    EXPECT_EQ(type, 0u);
    UseResFile(99);
    EXPECT_EQ(ResError(), resFNotFound);
    EXPECT_EQ(CurResFile(), oldRef);
    EXPECT_EQ(orva_id_premier_fichier_ressource(), newRef);

    CloseResFile(newRef);
    EXPECT_EQ(CurResFile(), oldRef);
    CloseResFile(oldRef);
    EXPECT_EQ(CurResFile(), oldRef);  // nothing left: the number stays
    EXPECT_EQ(GetResource(kTEXT, 1), nullptr);
}

TEST_F(ResourceFiles, AddRemoveAndRenameKeepTypesAndChainsConsistent) {
    CreateResFile("edit.rsr");
    SInt16 ref = OpenResFile("edit.rsr");
    Handle a = NewHandleFrom(Text("A")), b = NewHandleFrom(Text("B")), c = NewHandleFrom(Text("C"));
    AddResource(a, kTEXT, 1, "a");
    AddResource(b, FourCC("PICT"), 1, nullptr);
    AddResource(c, kTEXT, 2, "");
    AddResource(a, kTEXT, 3, nullptr);  // already a resource
    EXPECT_EQ(ResError(), addResFailed);
    AddResource(nullptr, kTEXT, 3, nullptr);
    EXPECT_EQ(ResError(), addResFailed);
    EXPECT_EQ(Count1Resources(kTEXT), 2);
    EXPECT_EQ(Get1IndResource(kTEXT, 1), c);
    EXPECT_EQ(Get1Resource(kTEXT, 2), c);  // added data stays, though it was never written

    SetResInfo(c, 20, "see");
    EXPECT_EQ(Get1Resource(kTEXT, 20), c);
    EXPECT_EQ(Get1Resource(kTEXT, 2), nullptr);
    RemoveResource(a);
    EXPECT_EQ(ResError(), noErr);
    EXPECT_EQ(Get1Resource(kTEXT, 1), nullptr);
    EXPECT_TRUE(OrvaIsValidHandle(a));  // the caller's now
    RemoveResource(a);
    EXPECT_EQ(ResError(), resNotFound);
    DisposHandle(a);
    RemoveResource(b);
    EXPECT_EQ(Count1Types(), 1);
    DisposHandle(b);
    CloseResFile(ref);

    RawFile raw = ParseFile(ReadAll(Path("edit.rsr")));
    ASSERT_TRUE(raw.ok);
    ASSERT_EQ(raw.resources.size(), 1u);
    EXPECT_EQ(raw.resources[0].id, 20);
    EXPECT_EQ(raw.resources[0].name, "see");
    EXPECT_EQ(raw.resources[0].data, Text("C"));
}

TEST_F(ResourceFiles, UnchangedFilesAreLeftAloneAndWriteResourceReusesItsOwnSpace) {
    WriteSample();
    Bytes before = ReadAll(Path("t.rsr"));
    struct stat st1, st2;
    stat(Path("t.rsr").c_str(), &st1);
    SInt16 ref = OpenResFile("t.rsr");
    Handle h = Get1Resource(kTEXT, 129);
    UpdateResFile(ref);
    EXPECT_EQ(ResError(), noErr);
    WriteResource(h);
    EXPECT_EQ(ResError(), resNotFound);  // not changed
    stat(Path("t.rsr").c_str(), &st2);
    EXPECT_EQ(st1.st_ino, st2.st_ino);
    EXPECT_EQ(ReadAll(Path("t.rsr")), before);
    ChangedResource(h);
    WriteResource(h);
    EXPECT_EQ(ResError(), noErr);
    size_t once = ReadAll(Path("t.rsr")).size();
    SetHandleSize(h, 3);
    memcpy(*h, "abc", 3);
    ChangedResource(h);
    WriteResource(h);  // shorter than what it wrote after the map: written in place
    EXPECT_EQ(ReadAll(Path("t.rsr")).size(), once);
    EXPECT_EQ(SizeResource(h), 3);
    ReleaseResource(h);
    EXPECT_EQ(HandleBytes(Get1Resource(kTEXT, 129)), Text("abc"));
    ChangedResource(Get1Resource(kSTRn, 128));
    CloseResFile(ref);
    RawFile raw = ParseFile(ReadAll(Path("t.rsr")));
    ASSERT_EQ(raw.resources.size(), 2u);
    EXPECT_EQ(raw.resources[raw.resources[0].type == "TEXT" ? 0 : 1].data, Text("abc"));
}

TEST_F(ResourceFiles, VolatileFileKeepsNoStreamOpen) {
    WriteSample();
    SInt16 ref = OpenResFile("t.rsr");
    EXPECT_EQ(nbResFileOpen, 1);
    OrvaSetResFileVolatile(ref, 1);
    EXPECT_EQ(nbResFileOpen, 0);
    EXPECT_EQ(HandleBytes(Get1Resource(kTEXT, 129)), Text("hello"));
    EXPECT_EQ(nbResFileOpen, 0);
    Handle h = Get1Resource(kSTRn, 128);
    EXPECT_EQ(SizeResource(h), 16);
    EXPECT_EQ(nbResFileOpen, 0);
    ChangedResource(h);
    UpdateResFile(ref);
    EXPECT_EQ(ResError(), noErr);
    EXPECT_EQ(nbResFileOpen, 0);
    CloseResFile(ref);
}

TEST_F(ResourceFiles, PurgeDetachAndRealFont) {
    WriteAll(Path("f.rsr"), BuildFile({{"FONT", 3 * 128 + 12, false, "", Text("f")}, {"TEXT", 1, false, "", Text("t")}}));
    ASSERT_GT(OpenResFile("f.rsr"), 0);
    EXPECT_TRUE(RealFont(3, 12));
    EXPECT_FALSE(RealFont(3, 10));
    EXPECT_TRUE(RealFont(-2, 10));
    EXPECT_FALSE(RealFont(300, 10));  // id past 16 bits
    Handle t = Get1Resource(kTEXT, 1);
    DetachResource(t);
    Handle again = Get1Resource(kTEXT, 1);
    EXPECT_NE(again, t);
    EXPECT_EQ(HandleBytes(again), Text("t"));
    DisposHandle(t);
    orva_purge_type(kTEXT);
    EXPECT_FALSE(OrvaIsValidHandle(again));
    EXPECT_EQ(HandleBytes(Get1Resource(kTEXT, 1)), Text("t"));
    SInt16 number = 5;
    GetFNum("Anything", &number);
    EXPECT_EQ(number, 0);  // no font table installed
    char name[256] = "x";
    GetFontName(1, name);
    EXPECT_STREQ(name, "");
}

TEST_F(ResourceFiles, FontCallsGoThroughTheInstalledHooks) {
    static SInt16 askedFor;
    static int fontItems, invalidations;
    askedFor = 0, fontItems = 0, invalidations = 0;
    ResourceServiceHooks hooks = {};
    hooks.fontIDFromName = [](const char *name) -> SInt16 { return strcmp(name, "Serif") == 0 ? 42 : 0; };
    hooks.fontNameFromID = [](SInt16 id) -> const char * { return askedFor = id, "Mono"; };
    hooks.appendFontItems = [](MenuHandle) { fontItems++; };
    hooks.invalidateCachedFont = [] { invalidations++; };
    OrvaSetResourceServiceHooks(&hooks);
    SInt16 number;
    GetFNum("Serif", &number);
    EXPECT_EQ(number, 42);
    char name[256];
    GetFontName(1, name);
    EXPECT_EQ(askedFor, 3);  // font 1 is read as 3
    EXPECT_STREQ(name, "Mono");
    WriteAll(Path("f.rsr"), BuildFile({{"FONT", 1, false, "", Text("f")}, {"FONT", 2, true, ".Hidden", Text("h")}}));
    SInt16 ref = OpenResFile("f.rsr");
    EXPECT_EQ(invalidations, 1);
    // No name here reaches the menu, which can stay null: only the font table is appended.
    InsertResMenu(nullptr, FourCC("FONT"), 0);
    InsertResMenu(nullptr, kTEXT, 0);
    EXPECT_EQ(fontItems, 1);
    CloseResFile(ref);
    EXPECT_EQ(invalidations, 2);
    OrvaSetResourceServiceHooks(nullptr);
}

}  // namespace

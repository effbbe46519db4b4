// ctest-labels: resources
// The scrap: entries put and got back, purged, preserved and restored, and the scrap file
// written, read back and damaged. The scrap is process-wide, so the tests run in order.
#include "platform/core/scrap.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "support/resource_test_support.h"

using namespace restest;

namespace {

const ResType kTEXT = FourCC("TEXT");
const ResType kUtxt = FourCC("utxt");
const ResType kStyl = FourCC("styl");

class Scrap : public ::testing::Test {
protected:
    void SetUp() override {
        FreshFolder();
        if (InfoScrap()->scrapState == kScrapOnDisk) LoadScrap();
    }
    static std::string ScrapFile() { return std::string(getenv("XDG_CONFIG_HOME")) + "/ORVAPREF/ClpBoard.srp"; }
    static std::string Got(ResType type) {
        Handle h = NewHandle(0);
        SInt32 n = GetScrap(h, type, nullptr);
        std::string s = n >= 0 ? std::string(*h ? *h : "", size_t(n)) : "<" + std::to_string(n) + ">";
        DisposHandle(h);
        return s;
    }
    // One entry as the scrap lays it out, in host byte order.
    static Bytes Entry(ResType type, const std::string &data, UInt32 claimed) {
        Bytes b(12 + data.size());
        UInt32 plus4 = claimed + 4;
        memcpy(b.data(), &type, 4);
        memcpy(b.data() + 4, &plus4, 4);
        memcpy(b.data() + 8, &claimed, 4);
        memcpy(b.data() + 12, data.data(), data.size());
        return b;
    }
};

TEST_F(Scrap, ScrapNeverTouchedIsCreatedEmptyByGetScrap) {
    ASSERT_EQ(InfoScrap()->scrapState, kScrapNever);
    SInt32 offset = 7;
    EXPECT_EQ(GetScrap(nullptr, kTEXT, &offset), noTypeErr);
    EXPECT_EQ(offset, -1);
    EXPECT_EQ(InfoScrap()->scrapState, kScrapInMemory);
    EXPECT_EQ(InfoScrap()->scrapSize, 0);
    EXPECT_STREQ(InfoScrap()->scrapName, "ClpBoard.srp");
}

TEST_F(Scrap, FirstOfTwoEntriesIsReadAndPurgeRemovesBoth) {
    SInt16 count = InfoScrap()->scrapCount;
    EXPECT_EQ(ZeroScrap(), 0);
    EXPECT_EQ(InfoScrap()->scrapCount, count + 1);
    EXPECT_EQ(PutScrap(5, kTEXT, "first"), 0);
    EXPECT_EQ(PutScrap(4, kUtxt, "u\0t\0"), 0);
    EXPECT_EQ(PutScrap(6, kTEXT, "second"), 0);
    EXPECT_EQ(InfoScrap()->scrapSize, 3 * 12 + 5 + 4 + 6);
    SInt32 offset;
    EXPECT_EQ(GetScrap(nullptr, kTEXT, &offset), 5);
    EXPECT_EQ(offset, 12);
    EXPECT_EQ(GetScrap(nullptr, kUtxt, &offset), 4);
    EXPECT_EQ(offset, 12 + 5 + 12);
    EXPECT_EQ(Got(kTEXT), "first");
    OrvaPurgeScrap(kTEXT);
    EXPECT_EQ(GetScrap(nullptr, kTEXT, &offset), noTypeErr);
    EXPECT_EQ(InfoScrap()->scrapSize, 12 + 4);
    EXPECT_EQ(Got(kUtxt), std::string("u\0t\0", 4));
}

TEST_F(Scrap, EmptyEntryHasLengthZero) {
    ZeroScrap();
    EXPECT_EQ(PutScrap(0, kStyl, nullptr), 0);
    EXPECT_EQ(InfoScrap()->scrapSize, 12);
    Handle h = NewHandle(20);
    SInt32 offset;
    EXPECT_EQ(GetScrap(h, kStyl, &offset), 0);
    EXPECT_EQ(offset, 12);
    EXPECT_EQ(GetHandleSize(h), 0u);
    DisposHandle(h);
    EXPECT_EQ(PutScrap(-1, kStyl, "x"), -1);
}

TEST_F(Scrap, UnloadWritesTheScrapFileAndLoadRestoresIt) {
    ZeroScrap();
    PutScrap(5, kTEXT, "hello");
    PutScrap(3, kStyl, "sty");
    SInt32 size = InfoScrap()->scrapSize;
    Handle before = PreserveScrap();
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(UnloadScrap(), 0);
    EXPECT_EQ(InfoScrap()->scrapState, kScrapOnDisk);
    EXPECT_EQ(InfoScrap()->scrapHandle, nullptr);
    EXPECT_EQ(InfoScrap()->scrapSize, size);
    EXPECT_EQ(ReadAll(ScrapFile()), HandleBytes(before));

    // Reading while on disk loads and unloads again.
    EXPECT_EQ(Got(kStyl), "sty");
    EXPECT_EQ(InfoScrap()->scrapState, kScrapOnDisk);
    EXPECT_EQ(PreserveScrap(), nullptr);  // no data in memory

    EXPECT_EQ(LoadScrap(), 0);
    EXPECT_EQ(InfoScrap()->scrapState, kScrapInMemory);
    EXPECT_EQ(InfoScrap()->scrapSize, size);
    EXPECT_EQ(HandleBytes(InfoScrap()->scrapHandle), HandleBytes(before));
    DisposHandle(before);
}

TEST_F(Scrap, PutPurgeAndZeroWhileOnDiskGoThroughTheFile) {
    ZeroScrap();
    PutScrap(1, kTEXT, "a");
    UnloadScrap();
    EXPECT_EQ(PutScrap(1, kUtxt, "b"), 0);
    EXPECT_EQ(InfoScrap()->scrapState, kScrapOnDisk);
    EXPECT_EQ(ReadAll(ScrapFile()).size(), 26u);
    OrvaPurgeScrap(kTEXT);
    EXPECT_EQ(InfoScrap()->scrapState, kScrapOnDisk);
    EXPECT_EQ(ReadAll(ScrapFile()).size(), 13u);
    EXPECT_EQ(Got(kTEXT), "<" + std::to_string(noTypeErr) + ">");
    EXPECT_EQ(Got(kUtxt), "b");

    ZeroScrap();  // while on disk: the file is emptied for good
    EXPECT_EQ(InfoScrap()->scrapSize, 0);
    EXPECT_EQ(ReadAll(ScrapFile()).size(), 0u);
    EXPECT_EQ(LoadScrap(), 0);
    EXPECT_EQ(GetScrap(nullptr, kUtxt, nullptr), noTypeErr);
}

TEST_F(Scrap, PreserveAndRestore) {
    ZeroScrap();
    EXPECT_EQ(PreserveScrap(), nullptr);
    PutScrap(2, kTEXT, "ok");
    Handle saved = PreserveScrap();
    ZeroScrap();
    RestoreScrap(saved);
    EXPECT_EQ(Got(kTEXT), "ok");
    SInt16 count = InfoScrap()->scrapCount;
    Handle empty = NewHandle(0);
    RestoreScrap(empty);
    EXPECT_EQ(InfoScrap()->scrapCount, count + 1);
    EXPECT_EQ(InfoScrap()->scrapSize, 0);
    EXPECT_EQ(GetScrap(nullptr, kTEXT, nullptr), noTypeErr);
    DisposHandle(empty);
    DisposHandle(saved);
}

TEST_F(Scrap, DamagedFileYieldsTheEntriesBeforeTheDamage) {
    ZeroScrap();
    UnloadScrap();
    Bytes file = Entry(kTEXT, "text", 4);
    Bytes styl = Entry(kStyl, "st", 2);
    Bytes huge = Entry(kUtxt, "short", 1u << 30);  // claims 1 GB
    file.insert(file.end(), styl.begin(), styl.end());
    file.insert(file.end(), huge.begin(), huge.end());
    file.push_back(0);  // and a stray byte
    WriteAll(ScrapFile(), file);
    ASSERT_EQ(LoadScrap(), 0);
    EXPECT_EQ(InfoScrap()->scrapSize, SInt32(file.size()));
    EXPECT_EQ(Got(kTEXT), "text");
    EXPECT_EQ(Got(kStyl), "st");
    EXPECT_EQ(GetScrap(nullptr, kUtxt, nullptr), noTypeErr);
    OrvaPurgeScrap(kStyl);
    EXPECT_EQ(InfoScrap()->scrapSize, 16);  // the damaged tail is dropped
    EXPECT_EQ(Got(kTEXT), "text");

    // A head cut short, and a file too short for any entry.
    Bytes cut = Entry(kTEXT, "abc", 3);
    cut.resize(cut.size() + 7, 0);
    for (const Bytes &bytes : {cut, Bytes{1, 2, 3}}) {
        ZeroScrap();
        UnloadScrap();
        WriteAll(ScrapFile(), bytes);
        ASSERT_EQ(LoadScrap(), 0);
        EXPECT_EQ(GetScrap(nullptr, kUtxt, nullptr), noTypeErr);
        OrvaPurgeScrap(kUtxt);
    }
}

}  // namespace

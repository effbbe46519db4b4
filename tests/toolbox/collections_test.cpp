// ctest-labels: toolbox-core
// Collections as the importers use them: two thousand 50-byte bar-numbering items, partial and
// whole copies, missing items, replacements, and a script of random calls against a model.
#include "toolbox/collections.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <vector>

#include "support/toolbox/toolbox_support.h"

namespace {

const OSType kBnum = FourCC("bnum");
enum { kItems = 2000, kItemSize = 50 };

// Item i's 50 bytes: i in the first two, then a pattern of it.
std::vector<UInt8> ItemBytes(SInt32 i, UInt8 salt = 0) {
    std::vector<UInt8> bytes(kItemSize);
    for (int b = 0; b < kItemSize; b++) bytes[b] = UInt8(i * 7 + b + salt);
    bytes[0] = UInt8(i >> 8);
    bytes[1] = UInt8(i);
    return bytes;
}

class Collections : public ::testing::Test {
protected:
    void SetUp() override {
        StartToolboxForTests();
        c = NewCollection();
        ASSERT_NE(c, nullptr);
        for (SInt32 i = 0; i < kItems; i++) {
            std::vector<UInt8> bytes = ItemBytes(i);
            ASSERT_EQ(AddCollectionItem(c, kBnum, i, kItemSize, bytes.data()), noErr);
        }
    }
    void TearDown() override { DisposeCollection(c); }
    Collection c = nullptr;
};

TEST_F(Collections, TwoThousandBarItemsCopyWholeOrInPart) {
    EXPECT_EQ(CountCollectionItems(c), kItems);
    UInt8 out[64];
    memset(out, 0xAA, sizeof out);
    SInt32 size = 0;  // 0: the whole item
    ASSERT_EQ(GetCollectionItem(c, kBnum, 1999, &size, out), noErr);
    EXPECT_EQ(size, kItemSize);
    EXPECT_EQ(std::vector<UInt8>(out, out + kItemSize), ItemBytes(1999));
    EXPECT_EQ(out[kItemSize], 0xAA);  // nothing past the item

    memset(out, 0xAA, sizeof out);
    size = 10;
    ASSERT_EQ(GetCollectionItem(c, kBnum, 1234, &size, out), noErr);
    EXPECT_EQ(size, kItemSize);  // the item's own size is written back
    std::vector<UInt8> item = ItemBytes(1234);
    EXPECT_EQ(std::vector<UInt8>(out, out + 10), std::vector<UInt8>(item.begin(), item.begin() + 10));
    EXPECT_EQ(out[10], 0xAA);

    EXPECT_EQ(GetCollectionItem(c, kBnum, 1000, nullptr, nullptr), noErr);  // only asked whether it is there
}

TEST_F(Collections, AMissingItemLeavesTheDestinationAsItWas) {
    UInt8 out[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SInt32 size = 8;
    struct Row {
        const char *label;
        OSType tag;
        SInt32 id;
    } rows[] = {{"past the last", kBnum, kItems}, {"negative id", kBnum, -1}, {"other tag", FourCC("XML "), 5}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(GetCollectionItem(c, row.tag, row.id, &size, out), collectionItemNotFoundErr);
        EXPECT_EQ(size, 8);
        EXPECT_EQ(out[0], 1);
        EXPECT_EQ(out[7], 8);
    }
    EXPECT_EQ(GetCollectionItem(nullptr, kBnum, 0, &size, out), collectionItemNotFoundErr);
}

TEST_F(Collections, ReplacingKeepsTheCountAndTheNewBytes) {
    std::vector<UInt8> smaller = ItemBytes(5, 99);
    smaller.resize(20);
    ASSERT_EQ(AddCollectionItem(c, kBnum, 5, 20, smaller.data()), noErr);
    std::vector<UInt8> larger(300, 0x5A);
    ASSERT_EQ(AddCollectionItem(c, kBnum, 6, 300, larger.data()), noErr);
    EXPECT_EQ(CountCollectionItems(c), kItems);
    UInt8 out[300];
    SInt32 size = 0;
    ASSERT_EQ(GetCollectionItem(c, kBnum, 5, &size, out), noErr);
    EXPECT_EQ(size, 20);
    EXPECT_EQ(std::vector<UInt8>(out, out + 20), smaller);
    size = 0;
    ASSERT_EQ(GetCollectionItem(c, kBnum, 6, &size, out), noErr);
    EXPECT_EQ(size, 300);
    EXPECT_EQ(std::vector<UInt8>(out, out + 300), larger);
    size = 0;
    ASSERT_EQ(GetCollectionItem(c, kBnum, 7, &size, out), noErr);  // the neighbours are untouched
    EXPECT_EQ(std::vector<UInt8>(out, out + kItemSize), ItemBytes(7));
}

TEST_F(Collections, BadItemsAreRefused) {
    std::vector<UInt8> huge(kCollectionItemMaxSize + 1);
    EXPECT_EQ(AddCollectionItem(c, kBnum, 5000, SInt32(huge.size()), huge.data()), paramErr);
    EXPECT_EQ(AddCollectionItem(c, kBnum, 5000, -1, huge.data()), paramErr);
    EXPECT_EQ(AddCollectionItem(c, kBnum, 5000, 4, nullptr), paramErr);
    EXPECT_EQ(AddCollectionItem(nullptr, kBnum, 5000, 0, nullptr), paramErr);
    EXPECT_EQ(CountCollectionItems(c), kItems);
    EXPECT_EQ(AddCollectionItem(c, kBnum, 5000, kCollectionItemMaxSize, huge.data()), noErr);  // the limit itself
    DisposeCollection(nullptr);
}

// Random adds, replacements and lookups, each checked against a map of what must be there.
TEST(CollectionScript, RandomCallsAgreeWithAModel) {
    StartToolboxForTests();
    std::mt19937 random(12345);
    Collection c = NewCollection();
    std::map<std::pair<OSType, SInt32>, std::vector<UInt8>> model;
    const OSType tags[] = {FourCC("bnum"), FourCC("XML "), FourCC("mwdl")};
    for (int step = 0; step < 100000; step++) {
        OSType tag = tags[random() % 3];
        SInt32 id = SInt32(random() % 400) - 20;
        if (random() % 3 == 0) {
            std::vector<UInt8> bytes(random() % 70);
            for (UInt8 &b : bytes) b = UInt8(random());
            ASSERT_EQ(AddCollectionItem(c, tag, id, SInt32(bytes.size()), bytes.data()), noErr);
            model[{tag, id}] = bytes;
            continue;
        }
        UInt8 out[80];
        SInt32 size = SInt32(random() % 3 == 0 ? random() % 80 : 0);
        SInt32 asked = size;
        OSErr err = GetCollectionItem(c, tag, id, &size, out);
        auto known = model.find({tag, id});
        if (known == model.end()) {
            ASSERT_EQ(err, collectionItemNotFoundErr) << step;
            continue;
        }
        ASSERT_EQ(err, noErr) << step;
        ASSERT_EQ(size, SInt32(known->second.size())) << step;
        size_t copied = asked > 0 && asked < size ? size_t(asked) : known->second.size();
        ASSERT_EQ(std::vector<UInt8>(out, out + copied),
                  std::vector<UInt8>(known->second.begin(), known->second.begin() + copied))
            << step;
    }
    EXPECT_EQ(CountCollectionItems(c), SInt32(model.size()));
    Collection copy = OrvaCopyCollection(c);
    for (const auto &item : model) {
        SInt32 size = 0;
        UInt8 out[80];
        ASSERT_EQ(GetCollectionItem(copy, item.first.first, item.first.second, &size, out), noErr);
        EXPECT_EQ(std::vector<UInt8>(out, out + size), item.second);
    }
    DisposeCollection(copy);
    DisposeCollection(c);
}

}  // namespace

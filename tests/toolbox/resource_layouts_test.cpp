// ctest-labels: toolbox-ui;toolbox-resources
// The checked readers of the dialog, alert, item-list, menu, colour-icon, string-list and
// version layouts: resources laid out by hand read as the classic layouts say, the writers'
// output reads back, and damaged bytes (cut short, counts and lengths past the end, values the
// layout does not allow) fail cleanly.
#include "toolbox/resource_layouts.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/core/memory.h"

namespace {

typedef std::vector<UInt8> Raw;

void Word(Raw *b, unsigned v) { b->insert(b->end(), {UInt8(v >> 8), UInt8(v)}); }
void Long(Raw *b, unsigned v) { Word(b, v >> 16), Word(b, v & 0xFFFF); }
void Append(Raw *b, std::initializer_list<unsigned> words) {
    for (unsigned w : words) Word(b, w);
}
std::string Text(const Raw &b, UInt32 offset, UInt8 length) { return std::string(b.begin() + offset, b.begin() + offset + length); }
std::string Text(const unsigned char *pstr) { return std::string(pstr + 1, pstr + 1 + pstr[0]); }

// A button "OK" at (10, 20, 30, 80) and a disabled icon 128 at (5, 5, 37, 37).
const Raw kDitl = {0x00, 0x01,
                     0, 0, 0, 0, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x1E, 0x00, 0x50, 0x04, 0x02, 'O', 'K',
                     0, 0, 0, 0, 0x00, 0x05, 0x00, 0x05, 0x00, 0x25, 0x00, 0x25, 0xA0, 0x02, 0x00, 0x80};

// Menu 130 "Edit": "Undo" (key Z), a disabled "-", "Cut" (key X, checked, bold).
const Raw kMenu = {0x00, 0x82, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFB, 4, 'E', 'd', 'i', 't',
                     4, 'U', 'n', 'd', 'o', 0, 'Z', 0, 0,
                     1, '-', 0, 0, 0, 0,
                     3, 'C', 'u', 't', 0, 'X', 0x12, 1,
                     0};

// A 2-bit icon of 4 x 1 pixels 0, 1, 2, 3, all in the mask, with no 1-bit image.
Raw TwoBitIcon() {
    Raw b;
    Long(&b, 0);
    Append(&b, {0x8002, 0, 0, 1, 4, 0, 0});  // rowBytes, bounds, pmVersion, packType
    Long(&b, 0), Long(&b, 0x480000), Long(&b, 0x480000);
    Append(&b, {0, 2, 1, 2});               // pixelType, pixelSize, cmpCount, cmpSize
    Long(&b, 0), Long(&b, 0), Long(&b, 0);
    Long(&b, 0), Append(&b, {2, 0, 0, 1, 4});  // mask
    Long(&b, 0), Append(&b, {0, 0, 0, 1, 4});  // no image
    Long(&b, 0);
    b.insert(b.end(), {0xF0, 0x00});        // mask row
    Long(&b, 0), Append(&b, {0, 3});        // colour table: 4 entries
    for (unsigned i = 0; i < 4; i++) Append(&b, {i, i * 0x1000, i * 0x2000, i * 0x3000});
    b.insert(b.end(), {0x1B, 0x00});        // 00 01 10 11
    return b;
}

Raw Written(const std::function<void(ByteWriter *)> &write) {
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    write(&w);
    EXPECT_TRUE(FinishByteWriter(&w));
    Raw bytes(reinterpret_cast<UInt8 *>(*h), reinterpret_cast<UInt8 *>(*h) + w.size);
    DisposHandle(h);
    return bytes;
}

// Every reader on the bytes; true when it accepts them.
bool AnyReaderAccepts(const Raw &b, int which) {
    DialogTemplateRecord d;
    AlertTemplateRecord a;
    DitlItemRecord items[4];
    MenuTemplateRecord m;
    MenuItemLayout menuItems[4];
    ColorIconLayout icon;
    VersionRecord v;
    SInt32 count;
    switch (which) {
    case 0: return OrvaReadDialogTemplate(b.data(), UInt32(b.size()), &d);
    case 1: return OrvaReadAlertTemplate(b.data(), UInt32(b.size()), &a);
    case 2: return OrvaReadDitl(b.data(), UInt32(b.size()), items, 4, &count);
    case 3: return OrvaReadMenuTemplate(b.data(), UInt32(b.size()), &m, menuItems, 4, &count);
    case 4: return OrvaReadColorIcon(b.data(), UInt32(b.size()), &icon);
    case 5: return OrvaStrListCount(b.data(), UInt32(b.size())) >= 0;
    default: return OrvaReadVersion(b.data(), UInt32(b.size()), &v);
    }
}

}  // namespace

TEST(ResourceLayouts, HandLaidItemListReadsItemByItem) {
    DitlItemRecord items[2];
    SInt32 count = 0;
    ASSERT_TRUE(OrvaReadDitl(kDitl.data(), UInt32(kDitl.size()), items, 2, &count));
    ASSERT_EQ(count, 2);
    EXPECT_EQ(items[0].kind, kDitlButton);
    EXPECT_FALSE(items[0].disabled);
    EXPECT_EQ(items[0].rect.top, 10);
    EXPECT_EQ(items[0].rect.right, 80);
    EXPECT_EQ(Text(kDitl, items[0].dataOffset, items[0].dataLength), "OK");
    EXPECT_EQ(items[1].kind, kDitlIcon);
    EXPECT_TRUE(items[1].disabled);
    EXPECT_EQ(items[1].resourceId, 128);
    // Fewer slots than items: the count is whole, the slots hold the first items.
    DitlItemRecord one;
    ASSERT_TRUE(OrvaReadDitl(kDitl.data(), UInt32(kDitl.size()), &one, 1, &count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(one.kind, kDitlButton);
    // The count word -1 is a list without items.
    const UInt8 empty[] = {0xFF, 0xFF};
    ASSERT_TRUE(OrvaReadDitl(empty, 2, nullptr, 0, &count));
    EXPECT_EQ(count, 0);
}

TEST(ResourceLayouts, HandLaidMenuReadsItsItemsUpToTheZero) {
    MenuTemplateRecord menu;
    MenuItemLayout items[3];
    SInt32 count = 0;
    ASSERT_TRUE(OrvaReadMenuTemplate(kMenu.data(), UInt32(kMenu.size()), &menu, items, 3, &count));
    EXPECT_EQ(menu.menuID, 130);
    EXPECT_EQ(Text(menu.title), "Edit");
    EXPECT_EQ(menu.enableFlags, 0xFFFFFFFBu);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(Text(kMenu, items[0].textOffset, items[0].textLength), "Undo");
    EXPECT_EQ(items[0].key, 'Z');
    EXPECT_EQ(Text(kMenu, items[1].textOffset, items[1].textLength), "-");
    EXPECT_EQ(items[2].mark, 0x12);
    EXPECT_EQ(items[2].style, 1);
}

TEST(ResourceLayouts, PackedIconPixelsComeFromTheirBits) {
    Raw b = TwoBitIcon();
    ColorIconLayout icon;
    ASSERT_TRUE(OrvaReadColorIcon(b.data(), UInt32(b.size()), &icon));
    EXPECT_EQ(icon.map.pixelSize, 2);
    EXPECT_EQ(icon.colorCount, 4);
    EXPECT_EQ(icon.bitmapRowBytes, 0);
    for (SInt32 x = 0; x < 4; x++) {
        SCOPED_TRACE(x);
        EXPECT_EQ(OrvaColorIconIndex(b.data(), &icon, x, 0), x);
        EXPECT_TRUE(OrvaColorIconMasked(b.data(), &icon, x, 0));
        EXPECT_EQ(OrvaColorIconEntry(b.data(), &icon, x).blue, x * 0x3000);
    }
}

TEST(ResourceLayouts, WrittenLayoutsReadBack) {
    Str255 title = "\x0bInformation";
    DialogTemplateRecord dialog = {{50, 50, 330, 470}, 5, 1, 0, -7, 301, {}, 0x300A};
    std::memcpy(dialog.title, title, 12);
    DialogTemplateRecord d;
    Raw b = Written([&](ByteWriter *w) { OrvaWriteDialogTemplate(w, &dialog); });
    ASSERT_TRUE(OrvaReadDialogTemplate(b.data(), UInt32(b.size()), &d));
    EXPECT_EQ(std::memcmp(&d, &dialog, sizeof d), 0);
    EXPECT_EQ(b.size(), 21u + 11 + 2);  // the position word follows at an even offset

    AlertTemplateRecord alert = {{40, 40, 150, 400}, 300, 0x5555, 0}, a;
    b = Written([&](ByteWriter *w) { OrvaWriteAlertTemplate(w, &alert); });
    ASSERT_EQ(b.size(), 12u);
    ASSERT_TRUE(OrvaReadAlertTemplate(b.data(), UInt32(b.size()), &a));
    EXPECT_EQ(std::memcmp(&a, &alert, sizeof a), 0);

    const DitlItemSource sources[] = {{kDitlButton, 0, {10, 20, 30, 80}, (ConstStr255Param) "\x02OK", 0},
                                      {kDitlIcon, 1, {5, 5, 37, 37}, nullptr, 128}};
    EXPECT_EQ(Written([&](ByteWriter *w) { OrvaWriteDitl(w, sources, 2); }), kDitl);

    const MenuTemplateRecord menu = {130, 0, 0, 0, 0xFFFFFFFB, "\x04" "Edit"};
    const MenuItemSource menuItems[] = {{(ConstStr255Param) "\x04Undo", 0, 'Z', 0, 0},
                                        {(ConstStr255Param) "\x01-", 0, 0, 0, 0},
                                        {(ConstStr255Param) "\x03" "Cut", 0, 'X', 0x12, 1}};
    EXPECT_EQ(Written([&](ByteWriter *w) { OrvaWriteMenuTemplate(w, &menu, menuItems, 3); }), kMenu);

    // A 3 x 2 icon: a dark and a light colour, the last pixel outside the mask.
    const UInt8 pixels[] = {0, 1, 0, 1, 0, 1}, mask[] = {1, 1, 1, 1, 1, 0};
    const RGBColor colors[] = {{0x1000, 0x2000, 0x3000}, {0xF000, 0xF000, 0xF000}};
    b = Written([&](ByteWriter *w) { OrvaWriteColorIcon(w, 3, 2, pixels, colors, 2, mask); });
    ColorIconLayout icon;
    ASSERT_TRUE(OrvaReadColorIcon(b.data(), UInt32(b.size()), &icon));
    EXPECT_EQ(icon.map.pixelSize, 8);
    EXPECT_EQ(icon.map.bounds.right, 3);
    EXPECT_EQ(icon.colorCount, 2);
    for (SInt32 i = 0; i < 6; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(OrvaColorIconIndex(b.data(), &icon, i % 3, i / 3), pixels[i]);
        EXPECT_EQ(OrvaColorIconMasked(b.data(), &icon, i % 3, i / 3), mask[i]);
    }
    EXPECT_EQ(OrvaColorIconEntry(b.data(), &icon, 0).green, 0x2000);
    // The 1-bit image keeps the dark opaque pixels: 1 0 1 and 0 1 0.
    EXPECT_EQ(b[icon.bitmapOffset], 0xA0);
    EXPECT_EQ(b[icon.bitmapOffset + icon.bitmapRowBytes], 0x40);

    VersionRecord version = {0x05, 0x62, kStageFinal, 0, 0, "\x06" "5.6.2n", "\x04long"}, v;
    b = Written([&](ByteWriter *w) { OrvaWriteVersion(w, &version); });
    ASSERT_TRUE(OrvaReadVersion(b.data(), UInt32(b.size()), &v));
    EXPECT_EQ(Text(v.shortVersion), "5.6.2n");
    EXPECT_EQ(v.minorAndBug, 0x62);

    ConstStr255Param strings[] = {(ConstStr255Param) "\x03one", (ConstStr255Param) "\x00", (ConstStr255Param) "\x03two"};
    b = Written([&](ByteWriter *w) { OrvaWriteStrList(w, strings, 3); });
    Str255 s;
    EXPECT_EQ(OrvaStrListCount(b.data(), UInt32(b.size())), 3);
    ASSERT_TRUE(OrvaStrListString(b.data(), UInt32(b.size()), 3, s));
    EXPECT_EQ(Text(s), "two");
    EXPECT_FALSE(OrvaStrListString(b.data(), UInt32(b.size()), 4, s));
    EXPECT_EQ(s[0], 0);
}

TEST(ResourceLayouts, EveryCutShortResourceFails) {
    Str255 title = "\x05Title";
    DialogTemplateRecord dialog = {{0, 0, 10, 10}, 1, 1, 0, 0, 1, {}, 0};
    std::memcpy(dialog.title, title, 6);
    VersionRecord version = {1, 0, kStageBeta, 2, 0, "\x03" "1.0", "\x04long"};
    ConstStr255Param strings[] = {(ConstStr255Param) "\x02hi", (ConstStr255Param) "\x03you"};
    const std::vector<std::pair<int, Raw>> whole = {
        {0, Written([&](ByteWriter *w) { OrvaWriteDialogTemplate(w, &dialog); })},
        {1, Raw(12, 0)}, {2, kDitl}, {3, kMenu}, {4, TwoBitIcon()},
        {5, Written([&](ByteWriter *w) { OrvaWriteStrList(w, strings, 2); })},
        {6, Written([&](ByteWriter *w) { OrvaWriteVersion(w, &version); })},
    };
    for (const auto &entry : whole) {
        SCOPED_TRACE(entry.first);
        EXPECT_TRUE(AnyReaderAccepts(entry.second, entry.first));
        for (size_t size = 0; size < entry.second.size(); size++) {
            Raw cut(entry.second.begin(), entry.second.begin() + long(size));
            EXPECT_FALSE(AnyReaderAccepts(cut, entry.first)) << size << " bytes";
        }
    }
}

TEST(ResourceLayouts, DamagedCountsLengthsAndValuesFail) {
    struct Case {
        const char *label;
        int reader;
        size_t at;                // where the damage goes
        std::vector<UInt8> put;   // the bytes put there
    };
    const Raw icon = TwoBitIcon();
    const size_t table = 82 + 2;  // the icon's colour table, after its one mask row
    const Case cases[] = {
        {"item count past the data", 2, 0, {0x00, 0x02}},
        {"largest item count", 2, 0, {0x7F, 0xFF}},
        {"count word below -1", 2, 0, {0xFF, 0xFE}},
        {"item length past the end", 2, 15, {0x13}},
        {"unknown item kind", 2, 14, {0x03}},
        {"icon item without its id", 2, 31, {0x01}},
        {"menu item text past the end", 3, 28, {0x40}},
        {"menu title past the end", 3, 14, {0xF0}},
        {"icon of 16 bits a pixel", 4, 32, {0x00, 0x10}},
        {"icon of 3 bits a pixel", 4, 32, {0x00, 0x03}},
        {"icon rowBytes 0", 4, 4, {0x80, 0x00}},
        {"icon mask rowBytes 0", 4, 54, {0x00, 0x00}},
        {"icon mask of another size", 4, 62, {0x00, 0x09}},
        {"colour table past the end", 4, table + 6, {0x7F, 0xFF}},
        {"string count past the end", 5, 1, {0x03}},
        {"string length past the end", 5, 2, {0x09}},
    };
    ConstStr255Param strings[] = {(ConstStr255Param) "\x02hi", (ConstStr255Param) "\x03you"};
    const Raw list = Written([&](ByteWriter *w) { OrvaWriteStrList(w, strings, 2); });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        Raw b = c.reader == 2 ? kDitl : c.reader == 3 ? kMenu : c.reader == 4 ? icon : list;
        ASSERT_LE(c.at + c.put.size(), b.size());
        std::copy(c.put.begin(), c.put.end(), b.begin() + long(c.at));
        EXPECT_FALSE(AnyReaderAccepts(b, c.reader));
    }
    // An 8-bit icon whose last pixel names an entry past its table.
    const UInt8 pixels[] = {0, 1}, mask[] = {1, 1};
    const RGBColor colors[] = {{0, 0, 0}, {0xFFFF, 0xFFFF, 0xFFFF}};
    Raw eight = Written([&](ByteWriter *w) { OrvaWriteColorIcon(w, 2, 1, pixels, colors, 2, mask); });
    EXPECT_TRUE(AnyReaderAccepts(eight, 4));
    eight[eight.size() - 1] = 2;
    EXPECT_FALSE(AnyReaderAccepts(eight, 4));
    // A failed read leaves no half-filled output behind.
    Raw b = kDitl;
    b[31] = 0x01;
    DitlItemRecord items[2] = {};
    SInt32 count = 7;
    EXPECT_FALSE(OrvaReadDitl(b.data(), UInt32(b.size()), items, 2, &count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(items[0].kind, 0);
    EXPECT_EQ(items[0].dataLength, 0);
}

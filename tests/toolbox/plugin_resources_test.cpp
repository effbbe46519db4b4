// ctest-labels: toolbox-ui;toolbox-resources
// The resource files the build makes from data/rsrc: every entry of the inventory is listed,
// a second build gives the same bytes, and the labels, help texts, alerts, dialogs, icons,
// sounds, the black key and the version read back through the readers the system uses.
#include <cairo.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "graphics/pictures/player.h"
#include "graphics/quickdraw/pixel_patterns.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/gtk/sound_manager.h"
#include "support/audio_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/resource_test_support.h"
#include "support/tool_support.h"
#include "toolbox/resource_layouts.h"

typedef restest::Bytes Blob;

namespace {

const char kPlugin[] = "Ondrak Music Plugin.rsr";
const char *const kBuilt[] = {kPlugin, "Worva/WInit.rsr", "Worva/WAdd.rsr", "Worva/WLang.rsr", "Worva/WLangUS.rsr",
                              "Worva/beep.brt"};

// The icon menu: for each command its small-icon base (active, then pressed or on, then
// inactive) and its large icon.
const short kMenuIcons[29][2] = {
    {320, 800}, {323, 801}, {326, 802}, {329, 803}, {362, 804}, {332, 805}, {335, 806}, {317, 825},
    {314, 826}, {393, 807}, {368, 823}, {373, 808}, {338, 809}, {344, 810}, {341, 811}, {347, 812},
    {356, 813}, {353, 814}, {359, 815}, {365, 816}, {376, 817}, {379, 818}, {381, 819}, {381, 820},
    {385, 821}, {394, 824}, {387, 822}, {311, 827}, {298, 847},
};
const short kOtherIcons[] = {132, 133, 140, 141, 146, 147, 148, 149, 150, 151, 152, 301, 302, 390, 391, 392,
                             400, 401, 402, 403, 404, 405, 406, 407, 600, 700, 701, 702, 703, 704, 705, 1040};

std::string Resources(const std::string &leaf) { return BuildTreePath("resources/" + leaf); }

std::string SourcePath(const std::string &relative) {
    const char *root = std::getenv("ORVA_SOURCE_DIR");
    return std::string(root ? root : ".") + "/" + relative;
}

class PluginResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        StartQuickDrawForTests();
        for (int i = 0; i < 5; i++) files[i] = OpenResFile(Resources(kBuilt[i]).c_str());
    }
    static void TearDownTestSuite() {
        for (SInt16 file : files)
            if (file > 0) CloseResFile(file);
    }
    // The data of a resource of one file, empty when it is missing.
    static Blob Data(int file, ResType type, SInt16 id) {
        UseResFile(files[file]);
        Handle h = Get1Resource(type, id);
        return h ? Blob(reinterpret_cast<UInt8 *>(*h), reinterpret_cast<UInt8 *>(*h) + GetHandleSize(h)) : Blob();
    }
    static std::string String(const Blob &list, SInt32 index) {
        Str255 s;
        OrvaStrListString(list.data(), UInt32(list.size()), index, s);
        return std::string(s + 1, s + 1 + s[0]);
    }
    static SInt16 files[5];
};
SInt16 PluginResources::files[5];

// The icon's pixels as 0xRRGGBB, and -1 where the mask is clear.
std::vector<long> Pixels(const Blob &b, int *width, int *height) {
    ColorIconLayout icon;
    if (!OrvaReadColorIcon(b.data(), UInt32(b.size()), &icon)) return {};
    *width = icon.map.bounds.right - icon.map.bounds.left;
    *height = icon.map.bounds.bottom - icon.map.bounds.top;
    std::vector<long> out;
    for (int y = 0; y < *height; y++)
        for (int x = 0; x < *width; x++) {
            RGBColor c = OrvaColorIconEntry(b.data(), &icon, OrvaColorIconIndex(b.data(), &icon, x, y));
            out.push_back(OrvaColorIconMasked(b.data(), &icon, x, y) ? long(c.red >> 8) << 16 | (c.green >> 8) << 8 | c.blue >> 8 : -1);
        }
    return out;
}

}  // namespace

TEST_F(PluginResources, EveryEntryOfTheInventoryIsListed) {
    std::ifstream inventory(SourcePath("data/rsrc/inventory.txt"));
    ASSERT_TRUE(inventory.good());
    std::set<std::string> listed;
    std::string line, file;
    int entries = 0;
    while (std::getline(inventory, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            file = line.substr(1, line.find(']') - 1);
            int status = -1;
            std::istringstream out(RunCommand("'" + ToolPath("orva-rsrc") + "' list '" + Resources(file) + "'", &status));
            ASSERT_EQ(status, 0) << file;
            listed.clear();
            for (std::string l; std::getline(out, l);) listed.insert(l.substr(0, l.find(' ', 7)));
            continue;
        }
        int first = 0, last = 0;
        int fields = std::sscanf(line.c_str() + 7, "%d..%d", &first, &last);
        ASSERT_GE(fields, 1) << line;
        for (int id = first; id <= (fields == 2 ? last : first); id++, entries++)
            EXPECT_TRUE(listed.count(line.substr(0, 7) + std::to_string(id))) << file << ": " << line.substr(0, 7) << id;
    }
    EXPECT_GT(entries, 150);  // the inventory was read, not skipped
}

TEST_F(PluginResources, ASecondBuildGivesTheSameBytes) {
    std::string again = TempFile("resources");
    std::string command = "cmake -DTOOLS='" + BuildTreePath("tools") + "' -DSOURCE='" + SourcePath("data/rsrc") +
                          "' -DWORK='" + again + "/work' -DOUT='" + again + "' -P '" +
                          SourcePath("data/rsrc/build_resources.cmake") + "' 2>&1";
    int status = -1;
    std::string out = RunCommand(command, &status);
    ASSERT_EQ(status, 0) << out;
    for (const char *leaf : kBuilt) {
        SCOPED_TRACE(leaf);
        Blob built = restest::ReadAll(Resources(leaf));
        EXPECT_FALSE(built.empty());
        EXPECT_TRUE(built == restest::ReadAll(again + "/" + leaf));
    }
    RunCommand("rm -rf '" + again + "'", &status);
}

TEST_F(PluginResources, LabelsAndHelpTextsInEveryLanguage) {
    Blob labelsFr = Data(0, FourCC("STR#"), 200), labels = Data(0, FourCC("STR#"), 201);
    Blob help = Data(0, FourCC("STR#"), 301), mixer = Data(0, FourCC("STR#"), 321);
    EXPECT_EQ(String(labelsFr, 1), "Accueil");
    EXPECT_EQ(String(labels, 1), "Home");
    EXPECT_EQ(String(labels, 8), "Mixer");
    EXPECT_EQ(String(labelsFr, 8), "Mixage");
    const struct {
        SInt16 first, last, english;
        SInt32 count;
    } lists[] = {{200, 207, 201, 29}, {300, 307, 301, 58}, {320, 324, 321, 5}};
    for (const auto &l : lists)
        for (SInt16 id = l.first; id <= l.last; id++) {
            SCOPED_TRACE(id);
            Blob list = Data(0, FourCC("STR#"), id);
            ASSERT_EQ(OrvaStrListCount(list.data(), UInt32(list.size())), l.count);
            for (SInt32 i = 1; i <= l.count; i++) EXPECT_FALSE(String(list, i).empty()) << i;
            Blob english = Data(0, FourCC("STR#"), l.english);
            if (id == l.first) {
                EXPECT_NE(list, english);  // French has texts of its own
            } else {
                EXPECT_EQ(list, english);  // the others read the English ones
            }
        }
    EXPECT_EQ(String(help, 4), "Play the score (press again to stop)");
    EXPECT_EQ(String(mixer, 3), "Drag the title bar to move the mixer");
    EXPECT_EQ(String(Data(3, FourCC("STR#"), 128), 2), "Annuler");
    EXPECT_EQ(String(Data(4, FourCC("STR#"), 128), 2), "Cancel");
}

TEST_F(PluginResources, AlertsAndDialogsHoldTheirItems) {
    struct Case {
        int file;
        ResType type;
        SInt16 id;
        std::vector<UInt8> kinds;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {0, FourCC("ALRT"), 300, {kDitlButton, kDitlStaticText}, {"OK", "^0"}},
        {0, FourCC("ALRT"), 304, {kDitlButton, kDitlButton, kDitlStaticText}, {"Yes", "No", ""}},
        {0, FourCC("DLOG"), 301, {kDitlStaticText, kDitlStaticText, kDitlStaticText, kDitlButton, kDitlStaticText},
         {"", "", "", "OK", ""}},
        {0, FourCC("DLOG"), 303, {kDitlUserItem}, {""}},
        {1, FourCC("ALRT"), 140, {kDitlButton, kDitlStaticText}, {"Quit", ""}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        Blob t = Data(c.file, c.type, c.id);
        SInt16 itemsID = 0;
        Rect bounds = {0, 0, 0, 0};
        DialogTemplateRecord dialog;
        AlertTemplateRecord alert;
        if (c.type == FourCC("ALRT") && OrvaReadAlertTemplate(t.data(), UInt32(t.size()), &alert)) {
            itemsID = alert.itemsID, bounds = alert.bounds;
        } else if (OrvaReadDialogTemplate(t.data(), UInt32(t.size()), &dialog)) {
            itemsID = dialog.itemsID, bounds = dialog.bounds;
            EXPECT_EQ(dialog.visible, c.id != 303);  // the progress port is never shown
        }
        ASSERT_EQ(itemsID, c.id);
        Blob list = Data(c.file, FourCC("DITL"), itemsID);
        DitlItemRecord items[8];
        SInt32 count = 0;
        ASSERT_TRUE(OrvaReadDitl(list.data(), UInt32(list.size()), items, 8, &count));
        ASSERT_EQ(size_t(count), c.kinds.size());
        for (SInt32 i = 0; i < count; i++) {
            SCOPED_TRACE(i + 1);
            EXPECT_EQ(items[i].kind, c.kinds[size_t(i)]);
            std::string text(list.begin() + items[i].dataOffset, list.begin() + items[i].dataOffset + items[i].dataLength);
            if (!c.texts[size_t(i)].empty()) {
                EXPECT_EQ(text, c.texts[size_t(i)]);
            }
            EXPECT_LE(items[i].rect.bottom, bounds.bottom - bounds.top);  // inside the window
            EXPECT_LE(items[i].rect.right, bounds.right - bounds.left);
        }
    }
}

TEST_F(PluginResources, VersionAndEditMenus) {
    Blob v = Data(0, FourCC("vers"), 1);
    VersionRecord version;
    ASSERT_TRUE(OrvaReadVersion(v.data(), UInt32(v.size()), &version));
    EXPECT_EQ(std::string(version.shortVersion + 1, version.shortVersion + 1 + version.shortVersion[0]), "5.6.2n");
    const char *titles[] = {"\x83" "dition", "Edit"};  // MacRoman capital E acute
    for (int file = 3; file <= 4; file++) {
        Blob m = Data(file, FourCC("MENU"), 130);
        MenuTemplateRecord menu;
        MenuItemLayout items[8];
        SInt32 count = 0;
        ASSERT_TRUE(OrvaReadMenuTemplate(m.data(), UInt32(m.size()), &menu, items, 8, &count));
        EXPECT_EQ(std::string(menu.title + 1, menu.title + 1 + menu.title[0]), titles[file - 3]);
        EXPECT_EQ(count, 7);
        EXPECT_EQ(menu.enableFlags & 6, 2u);  // "Undo" enabled, the line under it not
    }
}

TEST_F(PluginResources, EveryIconExistsAtItsSizeAndMenuStatesDiffer) {
    for (const auto &row : kMenuIcons) {
        SCOPED_TRACE(row[0]);
        std::vector<long> states[3];
        for (int s = 0; s < 3; s++) {
            int w = 0, h = 0;
            states[s] = Pixels(Data(0, FourCC("cicn"), SInt16(row[0] + s)), &w, &h);
            EXPECT_EQ(std::make_pair(w, h), std::make_pair(40, 32)) << "state " << s;
        }
        EXPECT_NE(states[0], states[1]);
        EXPECT_NE(states[0], states[2]);
        EXPECT_NE(states[1], states[2]);
        int w = 0, h = 0;
        std::vector<long> large = Pixels(Data(0, FourCC("cicn"), row[1]), &w, &h);
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(48, 48));
        EXPECT_GT(std::count_if(large.begin(), large.end(), [](long p) { return p >= 0; }), 48 * 48 / 8);
    }
    for (short id : kOtherIcons) {
        int w = 0, h = 0;
        EXPECT_FALSE(Pixels(Data(0, FourCC("cicn"), id), &w, &h).empty()) << id;
    }
}

TEST_F(PluginResources, IconsHoldTheGeneratorsPixels) {
    for (short id : {323, 390, 600, 1040}) {
        SCOPED_TRACE(id);
        int w = 0, h = 0;
        std::vector<long> icon = Pixels(Data(0, FourCC("cicn"), id), &w, &h);
        cairo_surface_t *png = cairo_image_surface_create_from_png(
            BuildTreePath("data/rsrc/generated/icons/cicn" + std::to_string(id) + ".png").c_str());
        ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
        ASSERT_EQ(w, cairo_image_surface_get_width(png));
        ASSERT_EQ(h, cairo_image_surface_get_height(png));
        const UInt8 *data = cairo_image_surface_get_data(png);
        int differing = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                UInt32 argb;
                std::memcpy(&argb, data + y * cairo_image_surface_get_stride(png) + 4 * x, 4);
                long expected = argb >> 24 ? long(argb & 0xFFFFFF) : -1;
                differing += icon[size_t(y * w + x)] != expected;
            }
        EXPECT_EQ(differing, 0);
        cairo_surface_destroy(png);
    }
}

TEST_F(PluginResources, SoundsPlayAndTheBeepIs880Hz) {
    const struct {
        SInt16 id;
        double hz;  // the strongest partial over the first 0.15 s, 0 when not checked
    } sounds[] = {{128, 1318.5}, {129, 1046.5}, {130, 0}, {131, 1046.5}, {132, 1568.0}, {133, 0}};
    for (const auto &s : sounds) {
        SCOPED_TRACE(s.id);
        Handle sound = restest::NewHandleFrom(Data(0, FourCC("snd "), s.id)), riff = nullptr;
        ASSERT_EQ(OrvaConvertSndToRiff(sound, &riff), 0);
        Blob wav = restest::HandleBytes(riff);
        std::vector<short> samples((wav.size() - 44) / 2);
        std::memcpy(samples.data(), wav.data() + 44, samples.size() * 2);
        Audio audio = AudioFrom(samples.data(), samples.size(), 1, 22050);
        EXPECT_GT(PeakDb(audio, 0, 1), -8);
        if (s.hz > 0) {
            EXPECT_NEAR(DominantHz(audio, 0.005, 0.1), s.hz, s.hz * 0.01);
        }
        DisposHandle(sound);
        DisposHandle(riff);
    }
    Blob beep = restest::ReadAll(Resources("Worva/beep.brt"));
    ASSERT_EQ(beep.size(), 2u * 6615);  // 150 ms at 44100 Hz
    std::vector<short> samples(beep.size() / 2);
    std::memcpy(samples.data(), beep.data(), beep.size());
    Audio audio = AudioFrom(samples.data(), samples.size(), 1, 44100);
    EXPECT_NEAR(DominantHz(audio, 0, 0.15), 880, 3);
}

TEST_F(PluginResources, BlackKeyPictureAndBackgroundPattern) {
    Blob key = Data(0, FourCC("PICT"), 1000);
    Handle pic = restest::NewHandleFrom(key);
    GrafPort port;
    OpenTestPort(&port, 16, 96);
    Rect bounds = {0, 0, 96, 16};
    DrawPicture(reinterpret_cast<PicHandle>(pic), &bounds);
    auto level = [&](int x, int y) { return PortPixel(&port, x, y) & 0xFF; };
    EXPECT_LT(level(8, 40), 0x40u);           // a dark key
    EXPECT_GT(level(3, 40), level(8, 40));    // lit along its left edge
    EXPECT_LT(level(8, 92), level(8, 40));    // its front lip darker still
    ClosePort(&port);
    DisposHandle(pic);
    Blob pattern = Data(0, FourCC("ppat"), 300);
    PixPatHandle background = OrvaPixPatFromBytes(pattern.data(), UInt32(pattern.size()));
    ASSERT_NE(background, nullptr);
    EXPECT_EQ((**(*background)->patMap).bounds.right, 8);
    DisposePixPat(background);
}

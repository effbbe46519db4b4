// ctest-labels: plugin-shell
// The embed element's parameters as NPP_New applies them, and the values later parts read
// through the range-holding accessors.
#include <glib.h>

#include <functional>
#include <string>

#include "plugin/embed_params.h"
#include "plugin/instance.h"
#include "score/preferences.h"
#include "support/plugin_support.h"

namespace {

::testing::Environment *const gPlugIn = ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(NpHostOptions()));

// The record of a new instance made from these parameters (destroyed by the next call).
const PlugInInstance &Made(const NpHostParams &params) {
    static int last = 0;
    if (last) NpHostDestroy(last);
    last = plugintest::NewInstance(params);
    const PlugInInstance *instance = PlugInFromNPP(NpHostInstance(last));
    EXPECT_NE(instance, nullptr);
    static PlugInInstance empty;
    return instance ? *instance : empty;
}

typedef std::vector<std::pair<std::string, std::string>> Pairs;
const PlugInInstance &Made(const Pairs &pairs) { return Made(plugintest::Params(pairs)); }

struct Row {
    const char *label;
    std::vector<std::pair<std::string, std::string>> params;
    std::function<double(const PlugInInstance &)> read;
    double expected;
};

void CheckRows(const std::vector<Row> &rows) {
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_DOUBLE_EQ(row.read(Made(Pairs(row.params))), row.expected);
    }
}

TEST(EmbedParams, ZoomOutsideHalfToFourIsOne) {
    auto zoom = [](const PlugInInstance &p) { return double(p.zoom); };
    CheckRows({{"49", {{"ZOOMVALUE", "49"}}, zoom, 1.0},
               {"50", {{"ZOOMVALUE", "50"}}, zoom, 0.5},
               {"400", {{"ZOOMVALUE", "400"}}, zoom, 4.0},
               {"401", {{"ZOOMVALUE", "401"}}, zoom, 1.0},
               {"no number", {{"ZOOMVALUE", "abc"}}, zoom, 1.0}});
}

TEST(EmbedParams, WordsAndTestsSetTheirFlags) {
    auto viewOnly = [](const PlugInInstance &p) { return double(p.playViewOnly); };
    auto rotateOff = [](const PlugInInstance &p) { return double(p.rotateOff); };
    auto twoPages = [](const PlugInInstance &p) { return double(p.allowTwoPages); };
    auto singOff = [](const PlugInInstance &p) { return double(p.singOff); };
    auto singInactive = [](const PlugInInstance &p) { return double(p.singInactive); };
    auto lyricsOff = [](const PlugInInstance &p) { return double(p.lyricsDisabled); };
    auto karaoke = [](const PlugInInstance &p) { return double(p.karaokeActive); };
    auto look = [](const PlugInInstance &p) { return double(p.look * 10 + p.lookWanted); };
    auto bank = [](const PlugInInstance &p) { return double(p.soundBaseWanted); };
    auto language = [](const PlugInInstance &p) { return double(p.language); };
    auto antialias = [](const PlugInInstance &p) { return double(p.antialias); };
    auto keyboard = [](const PlugInInstance &p) { return double(p.keyboardShown * 10 + p.keyboardEnabled); };
    CheckRows({{"PLAY_VIEW_ONLY=maybe sets", {{"PLAY_VIEW_ONLY", "maybe"}}, viewOnly, 1},
               {"PLAY_VIEW_ONLY=non clears", {{"PLAY_VIEW_ONLY", "non"}}, viewOnly, 0},
               {"ROTATE=maybe offers", {{"ROTATE", "maybe"}}, rotateOff, 0},
               {"ROTATE=No hides", {{"ROTATE", "No"}}, rotateOff, 1},
               {"ALLOW_TWO_PAGES=maybe clears", {{"ALLOW_TWO_PAGES", "maybe"}}, twoPages, 0},
               {"ALLOW_TWO_PAGES=oui", {{"ALLOW_TWO_PAGES", "oui"}}, twoPages, 1},
               {"SING=INACTIVE keeps singing", {{"SING", "INACTIVE"}}, singOff, 0},
               {"SING=INACTIVE", {{"SING", "INACTIVE"}}, singInactive, 1},
               {"SING=0 stays active", {{"SING", "0"}}, singInactive, 0},
               {"SING=0", {{"SING", "0"}}, singOff, 1},
               {"LYRICS=DEFAULT keeps lyrics", {{"LYRICS", "DEFAULT"}}, lyricsOff, 0},
               {"LYRICS=DEFAULT", {{"LYRICS", "default"}}, karaoke, 1},
               {"LYRICS=off leaves the panel", {{"LYRICS", "off"}}, karaoke, 0},
               {"LOOK=ocean", {{"LOOK", "ocean"}}, look, 11},
               {"LOOK unknown", {{"LOOK", "CLOUD"}}, look, 33},
               {"later name wins", {{"LOOK", "MOON"}, {"look", "EVEREST"}}, look, 22},
               {"SOUNDBASE=velm", {{"SOUNDBASE", "velm"}}, bank, 6},
               {"SOUNDBASE=Full", {{"SOUNDBASE", "Full"}}, bank, 5},
               {"SOUNDBASE=BASIC", {{"SOUNDBASE", "BASIC"}}, bank, 0},
               {"SOUNDBASE unknown", {{"SOUNDBASE", "huge"}}, bank, 999},
               {"LANG=DL", {{"LANG", "DL"}}, language, 3},
               {"LANG=de", {{"LANG", "de"}}, language, 3},
               {"LANG=JP", {{"LANG", "JP"}}, language, 5},
               {"LANG=EN", {{"LANG", "EN"}}, language, 1},
               {"LANG=nl", {{"LANG", "nl"}}, language, 7},
               {"LANG unknown keeps the browser's", {{"LANG", "XX"}}, language, 1},
               {"ANTIALIAS=none", {{"ANTIALIAS", "none"}}, antialias, 0},
               {"ANTIALIAS=HIGH", {{"ANTIALIAS", "HIGH"}}, antialias, 2},
               {"KBD_DISPLAYED=yes", {{"KBD_DISPLAYED", "yes"}}, keyboard, 11},
               {"KBD_DISPLAYED=off still enables", {{"KBD_DISPLAYED", "off"}}, keyboard, 1}});
}

TEST(EmbedParams, NamesMatchInAnyCase) {
    for (const char *name : {"autoplay", "AutoPlay", "AUTOPLAY"}) {
        SCOPED_TRACE(name);
        const PlugInInstance &p = Made(Pairs{{name, "on"}, {"settempo", "120"}});
        EXPECT_EQ(p.autoPlay, 1);
        EXPECT_EQ(p.tempo, 120);
    }
}

TEST(EmbedParams, DocumentNamesAreDecodedAndCut) {
    const PlugInInstance &song = Made(Pairs{{"SRC", "/scores/dir/my%20song.oms"}});
    EXPECT_STREQ(song.docName, "my song.oms");
    EXPECT_EQ(song.filmMode, 0);
    const PlugInInstance &film = Made(Pairs{{"SRC", "http://host/films/Lesson.PEK"}, {"FILENAME", "other%2Fname.oms"}});
    EXPECT_STREQ(film.docName, "other/name.oms");  // FILENAME replaces the name but not the mode
    EXPECT_EQ(film.filmMode, 1);
    struct Case {
        const char *value, *decoded;
    } cases[] = {{"abc%", "abc"}, {"abc%4", "abc\x04"}, {"a%zzb", "ab"}, {"%41%4G!", "A\x04!"}, {"%e9t%C3%A9", "\xe9t\xc3\xa9"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_STREQ(Made(Pairs{{"FILENAME", c.value}}).docName, c.decoded);
    }
}

// 5,000-character values stay within the record's fields, cut before a character they would split.
TEST(EmbedParams, LongValuesAreCutOnCharacterBoundaries) {
    std::string accents;
    for (int i = 0; i < 2500; i++) accents += "\xc3\xa9";  // 5,000 bytes of "é"
    const PlugInInstance &named = Made(Pairs{{"FILENAME", accents}, {"pluginspage", "x" + accents}});
    EXPECT_EQ(strlen(named.docName), 254u);
    EXPECT_TRUE(g_utf8_validate(named.docName, -1, nullptr));
    EXPECT_EQ(strlen(named.pluginsPage), 255u);
    EXPECT_TRUE(g_utf8_validate(named.pluginsPage, -1, nullptr));
    const PlugInInstance &source = Made(Pairs{{"SRC", "/dir/" + std::string(5000, 'a') + "/" + accents + ".oms"}});
    EXPECT_EQ(strlen(source.docName), 254u);
    EXPECT_EQ(std::string(source.docName).substr(0, 2), "\xc3\xa9");
}

TEST(EmbedParams, ColoursThatAreNotHexadecimalKeepTheDefault) {
    auto red = [](const PlugInInstance &p) { return double(p.imgBkColor.red); };
    auto blue = [](const PlugInInstance &p) { return double(p.imgBkColor.blue); };
    CheckRows({{"default", {}, blue, 0xEE00},
               {"empty", {{"IMGBKCOLOR", ""}}, blue, 0xEE00},
               {"GGGGGG", {{"IMGBKCOLOR", "GGGGGG"}}, blue, 0xEE00},
               {"#FFF", {{"IMGBKCOLOR", "#FFF"}}, blue, 0xEE00},
               {"FFF is three digits", {{"IMGBKCOLOR", "FFF"}}, red, 0},
               {"ff0000", {{"imgbkcolor", "ff0000"}}, red, 0xFF00}});
}

// Numbers are kept as the page gave them (the full-screen page writes them back); their users
// read them held to what they can take.
TEST(EmbedParams, NumbersAreHeldToTheirRangesWhereUsed) {
    // The page's title height, held to its range (the layout pass may put a smaller one in force).
    auto titleHeight = [](const PlugInInstance &p) {
        PlugInInstance wanted = p;
        wanted.titleHeight = wanted.titleHeightWanted;
        return double(PlugInTitleHeight(&wanted));
    };
    auto octaves = [](const PlugInInstance &p) { return double(PlugInKeyboardOctaves(&p)); };
    auto first = [](const PlugInInstance &p) { return double(PlugInKeyboardFirstOctave(&p)); };
    auto turns = [](const PlugInInstance &p) { return double(PlugInQuarterTurns(&p)); };
    auto page = [](const PlugInInstance &p) { return double(PlugInCurrentPage(&p)); };
    auto scale = [](const PlugInInstance &p) { return double(PlugInLyricsScale(&p)); };
    auto mode = [](const PlugInInstance &p) { return double(PlugInListPlayMode(&p)); };
    auto margin = [](const PlugInInstance &p) { return double(PlugInPaperMargin(&p)); };
    auto split = [](const PlugInInstance &p) { return double(PlugInPosSplit(&p)); };
    auto fontSize = [](const PlugInInstance &p) { return double(PlugInTitleFontSize(&p)); };
    auto storedTurns = [](const PlugInInstance &p) { return double(p.quarterTurns); };
    CheckRows({{"ANGLE=270", {{"ANGLE", "270"}}, turns, 3},
               {"ANGLE=100", {{"ANGLE", "100"}}, turns, 1},
               {"ANGLE=-90", {{"ANGLE", "-90"}}, turns, 3},
               {"ANGLE=-90 kept", {{"ANGLE", "-90"}}, storedTurns, -1},
               {"TITLEHEIGHT=-32768", {{"TITLEHEIGHT", "-32768"}}, titleHeight, 1},
               {"TITLEHEIGHT=0", {{"TITLEHEIGHT", "0"}}, titleHeight, 1},
               {"TITLEHEIGHT=32767", {{"TITLEHEIGHT", "32767"}}, titleHeight, 32767},
               {"TITLEHEIGHT=abc", {{"TITLEHEIGHT", "abc"}}, titleHeight, 20},
               {"TITLEHEIGHT=99999", {{"TITLEHEIGHT", "99999"}}, titleHeight, 32767},
               {"TITLEFONTSIZE=-3", {{"TITLEFONTSIZE", "-3"}}, fontSize, 1},
               {"KBD_NB_OCTAVES=0", {{"KBD_NB_OCTAVES", "0"}}, octaves, 1},
               {"KBD_NB_OCTAVES=12", {{"KBD_NB_OCTAVES", "12"}}, octaves, 9},
               {"KBD_FIRST_OCTAVE=11", {{"KBD_FIRST_OCTAVE", "11"}}, first, 10},
               {"KBD_FIRST_OCTAVE=-1", {{"KBD_FIRST_OCTAVE", "-1"}}, first, 0},
               {"NUMPAGE=0", {{"NUMPAGE", "0"}}, page, 1},
               {"NUMPAGE=-32768", {{"NUMPAGE", "-32768"}}, page, 1},
               {"LYRICSSCALE=0", {{"LYRICSSCALE", "0"}}, scale, double(0.1f)},
               {"LYRICSSCALE=150", {{"LYRICSSCALE", "150"}}, scale, double(1.5f)},
               {"LIST_PLAY_MODE=6", {{"LIST_PLAY_MODE", "6"}}, mode, 2},
               {"LIST_PLAY_MODE=-1", {{"LIST_PLAY_MODE", "-1"}}, mode, 2},
               {"LIST_PLAY_MODE=5", {{"LIST_PLAY_MODE", "5"}}, mode, 5},
               {"PAPERMARGIN=-5", {{"PAPERMARGIN", "-5"}}, margin, 0},
               {"POS_SPLIT=-1", {{"POS_SPLIT", "-1"}}, split, 0}});
}

TEST(EmbedParams, MissingValuesReadAsEmptyText) {
    NpHostParams params = {{"ZOOMVALUE", "", false}, {"PLAY_VIEW_ONLY", "", false}, {"SRC", "", false},
                           {"IMGBKCOLOR", "", false}, {"DISPLAY_POS", "", false}};
    const PlugInInstance &p = Made(params);
    EXPECT_FLOAT_EQ(p.zoom, 1.0f);
    EXPECT_EQ(p.playViewOnly, 1);  // "" is no false word
    EXPECT_STREQ(p.docName, "");
    EXPECT_EQ(p.imgBkColor.blue, 0xEE00);
    EXPECT_EQ(p.showPosition, 0);
}

TEST(EmbedParams, UnknownNamesAreTracedAndChangeNothing) {
    PlugSetTrace(kTrue);
    size_t from = NpHostLog().size();
    NpHostParams params;
    for (int i = 0; i < 500; i++) params.push_back(NpHostParam{"NAME" + std::to_string(i), "v", true});
    params.push_back(NpHostParam{"type", "application/x-ondrak-music", true});
    const PlugInInstance &p = Made(params);
    PlugSetTrace(kFalse);
    EXPECT_EQ(plugintest::LogLinesWith(from, {"Error: Illegal command [NAME"}).size(), 500u);
    EXPECT_TRUE(plugintest::LogLinesWith(from, {"Illegal command [type]"}).empty());
    EXPECT_FLOAT_EQ(p.zoom, 1.0f);
    EXPECT_EQ(p.titleHeight, 20);
    EXPECT_STREQ(p.docName, "src=");
}

TEST(EmbedParams, ProcessWideSwitchesStayAsTheLastInstanceSetThem) {
    Made(Pairs{{"VOLUME", "150"}, {"RECORD_MIXER", "off"}});
    EXPECT_EQ(plugInState.globalVolume, 150);
    EXPECT_EQ(plugInState.isRecordMixer, 0);
    Made(Pairs{{"LANG", "it"}});
    EXPECT_EQ(plugInState.globalVolume, 150);
    EXPECT_EQ(plugInState.isRecordMixer, 1);  // set again by every new instance
    EXPECT_EQ(Langue, 2);
}

TEST(EmbedParams, WordTests) {
    for (const char *word : {"OFF", "none", "No", "false", "NON", "0"}) EXPECT_TRUE(PlugInIsFalseWord(word)) << word;
    for (const char *word : {"ON", "ok", "Yes", "true", "OUI", "1"}) EXPECT_TRUE(PlugInIsTrueWord(word)) << word;
    for (const char *word : {"", "maybe", "00", " on"}) {
        EXPECT_FALSE(PlugInIsFalseWord(word)) << word;
        EXPECT_FALSE(PlugInIsTrueWord(word)) << word;
    }
}

}  // namespace

// ctest-labels: plugin-documents
// The instance's document with the plug-in run in the test's own process behind the test host:
// cache names and files, failed and repeated downloads, the loader's rows (a fake tune reader in
// the abc row), packed documents unpacked once, archives, the steps of a load, the end of the
// music and NEXT, presses on the position bar, the looks and the key map.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/keyboard_mouse.h"
#include "plugin/cache_files.h"
#include "plugin/clicks.h"
#include "plugin/documents.h"
#include "plugin/idle.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/shell_standins.h"
#include "plugin/startup.h"
#include "plugin/x_events.h"
#include "score/byte_stream.h"
#include "score/native_score.h"
#include "score/play_lists.h"
#include "score/score_formats.h"
#include "score/score_model.h"
#include "score/tempo_map.h"
#include "staffobjects/chord_diagrams.h"
#include "support/plugin_support.h"
#include "support/resource_test_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

const std::string kTemporary = plugintest::OwnTemporaryFolder();
plugintest::PlugInEnvironment *const gPlugIn = static_cast<plugintest::PlugInEnvironment *>(
    ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(NpHostOptions())));

std::string Corpus(const std::string &name) { return std::string(ORVA_SOURCE_TREE) + "/tests/data/corpus/musicxml/" + name; }
std::string Fixture(const std::string &name) { return std::string(ORVA_SOURCE_TREE) + "/tests/data/plugin/" + name; }

// The fake tune reader: a file "tunes=N" holds N tunes titled "Tune k", each an empty score.
std::atomic<int> gTuneLoads{0};
Boolean LoadFakeTunes(DocumentRecord *document, const char *path, SInt16 tune) {
    gTuneLoads++;
    int count = 0;
    if (sscanf(OrvaTestReadFile(path).c_str(), "tunes=%d", &count) != 1 || tune >= count) return kFalse;
    if (!CreePartitionVide(document)) return kFalse;
    snprintf(document->titles[0].text, sizeof document->titles[0].text, "Tune %d", (tune < 0 ? 0 : tune) + 1);
    return kTrue;
}
const ScoreFormatOps kFakeTunes = {"ABC", {"abc", nullptr, nullptr, nullptr}, LoadFakeTunes,
                                   kFormatMorceaux, nullptr, nullptr, nullptr};

// The key map the instance reads, set byte by byte: key k is bit k mod 8 of byte k / 8.
KeyMap gKeys;
void TestKeys(KeyMap keys) { memcpy(keys, gKeys, sizeof gKeys); }
void HoldKey(SInt16 key) { reinterpret_cast<UInt8 *>(gKeys)[key / 8] |= UInt8(1 << (key % 8)); }

UInt32 gTicks = 1000;
UInt32 FakeTicks() { return gTicks; }

PlugInInstance *Record(int k) { return PlugInFromNPP(NpHostInstance(k)); }

std::string CacheFile(const std::string &name) { return std::string(GetCheminCache()) + name; }

// A native score of one staff and that many measures of four quarters, written once.
std::string NativeScore(SInt32 measures) {
    std::string path = kTemporary + "/long" + std::to_string(measures) + ".oms";
    if (!OrvaTestReadFile(path).empty()) return path;
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    EXPECT_EQ(ConstruitDemoLongue(document, measures, 1), noErr);
    EXPECT_TRUE(CadenzoOpenFile(path.c_str(), "wb"));
    EXPECT_TRUE(SauveMusiqueStandard(document, kTrue));
    EXPECT_TRUE(CloseFile());
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    return path;
}

bool Exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

class Documents : public ::testing::Test {
public:
    void SetUp() override {
        ToolboxHooks hooks = {};
        hooks.getKeys = TestKeys;
        OrvaSetToolboxHooks(&hooks);
        memset(gKeys, 0, sizeof gKeys);
        traceStart = Trace().size();
    }
    void TearDown() override {
        NpHostDestroyAll();
        NpHostRunQueued();
        EnregistreFormatPartition(&kFakeTunes);  // the abc row stays the fake one for every test
        OrvaSetTickCountSource(nullptr);
        OrvaSetPluginMouseButton(0);
    }
    // An instance with tracing on whose document streams from file under that address.
    int Open(const std::string &file, const std::string &url, NpHostParams params = {},
             const NpHostElement &element = NpHostElement(), NPError reason = NPRES_DONE) {
        params.push_back(NpHostParam{"DEBUG", "on", true});
        int k = plugintest::NewInstance(params, element);
        NpHostStreamOptions options;
        options.url = url;
        options.endReason = reason;
        EXPECT_TRUE(NpHostStreamWith(k, file, options));
        return k;
    }
    std::string Trace() const { return OrvaTestReadFile(gPlugIn->Folder() + "/OndrakMusicPlugin.txt"); }
    std::string NewTrace() const { return Trace().substr(traceStart); }
    size_t Count(const std::string &text) const {
        std::string trace = NewTrace();
        size_t n = 0;
        for (size_t at = trace.find(text); at != std::string::npos; at = trace.find(text, at + 1)) n++;
        return n;
    }
    std::string WriteFile(const std::string &name, const std::string &bytes) {
        std::string path = kTemporary + "/" + name;
        EXPECT_TRUE(OrvaTestWriteFile(path, bytes));
        return path;
    }
    size_t traceStart = 0;
};

// Runs body on this thread and fails the whole program if it takes longer than the time given:
// a load that never ends must not hang the suite.
void WithinSeconds(int seconds, void (*body)(void *), void *context) {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> hold(lock);
        if (!done.wait_for(hold, std::chrono::seconds(seconds), [&] { return finished; })) {
            fprintf(stderr, "the load took more than %d s\n", seconds);
            abort();
        }
    });
    body(context);
    {
        std::lock_guard<std::mutex> hold(lock);
        finished = true;
    }
    done.notify_one();
    watchdog.join();
}

// First of the program: the process's first cache name is 0, by the address's ending; names
// already taken are passed over, a dangling link among them, which nothing follows.
TEST_F(Documents, CacheNamesFollowTheCounterAndPassOverTakenNames) {
    EnregistreFormatPartition(&kFakeTunes);
    std::string hello = Corpus("w3c-tutorial-hello-world.musicxml");
    int a = Open(hello, "http://example.org/scores/a.oms");
    EXPECT_STREQ(Record(a)->cacheFileName, "F00000000.oms");
    int b = Open(hello, "http://example.org/scores/b.xml?v=2");
    EXPECT_STREQ(Record(b)->cacheFileName, "F00000001.xml");
    ASSERT_TRUE(OrvaTestWriteFile(CacheFile("F00000002.oms"), "mine"));
    int c = Open(hello, "http://example.org/c.oms");
    EXPECT_STREQ(Record(c)->cacheFileName, "F00000003.oms");
    EXPECT_EQ(OrvaTestReadFile(CacheFile("F00000002.oms")), "mine");
    std::string target = kTemporary + "/planted-target";
    ASSERT_EQ(symlink(target.c_str(), CacheFile("F00000004.oms").c_str()), 0);
    int d = Open(hello, "http://example.org/d.mxl#top");
    EXPECT_STREQ(Record(d)->cacheFileName, "F00000004.mxl");
    int e = Open(hello, "http://example.org/e.oms");
    EXPECT_STREQ(Record(e)->cacheFileName, "F00000005.oms");
    EXPECT_FALSE(Exists(target));  // the link led nowhere and still does
    EXPECT_EQ(OrvaTestReadFile(CacheFile(Record(e)->cacheFileName)), OrvaTestReadFile(hello));
    struct stat folder;
    ASSERT_EQ(lstat(std::string(GetCheminCache()).c_str(), &folder), 0);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(std::string(GetCheminCache()).rfind(kTemporary + "/ondrak-music-", 0), 0u);
    NpHostDestroyAll();
    for (const char *name : {"F00000000.oms", "F00000001.xml", "F00000003.oms", "F00000004.mxl", "F00000005.oms"})
        EXPECT_FALSE(Exists(CacheFile(name))) << name;
    EXPECT_TRUE(Exists(CacheFile("F00000002.oms")));  // not the plug-in's to delete
    unlink(CacheFile("F00000002.oms").c_str());
    unlink(CacheFile("F00000004.oms").c_str());
}

// Without SRC or FILENAME the address names the document: its last component, decoded, without
// query or fragment; the cache extension reads the same path.
TEST_F(Documents, AnAddressNamesTheDocumentWithoutSrc) {
    int k = Open(Corpus("w3c-tutorial-hello-world.musicxml"), "http://example.org/dir/My%20Hello.xml?name=x.oms#frag");
    PlugInInstance *p = Record(k);
    EXPECT_STREQ(p->docName, "My Hello.xml");
    EXPECT_STREQ(p->urlDirectory, "http://example.org/dir/");
    EXPECT_EQ(std::string(p->cacheFileName).substr(10), "xml");
    EXPECT_EQ(Count("Loading MusicXML\n"), 1u);
    EXPECT_TRUE(p->documentReady);
    int named = Open(Corpus("w3c-tutorial-hello-world.musicxml"), "http://example.org/x.oms", {{"SRC", "score.xml", true}});
    EXPECT_STREQ(Record(named)->docName, "score.xml");  // SRC wins
}

// A block that cannot be written fails the stream at once: -1, and the file goes.
TEST_F(Documents, AFailedWriteAnswersMinusOne) {
    std::string big = WriteFile("big.xml", std::string(100000, 'x'));
    int k = plugintest::NewInstance({{"DEBUG", "on", true}});
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = {20000, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    size_t from = NpHostLog().size();
    NpHostStreamOptions options;
    options.chunk = 8192;
    options.url = "http://example.org/big.xml";
    NpHostStreamWith(k, big, options);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(plugintest::LogLinesWith(from, {"\"call\":\"NPP_Write\"", "\"result\":-1"}).size(), 1u);
    EXPECT_EQ(plugintest::LogLinesWith(from, {"\"call\":\"NPP_DestroyStream\"", "\"reason\":1"}).size(), 1u);
    PlugInInstance *p = Record(k);
    EXPECT_TRUE(p->downloadFailed);
    EXPECT_FALSE(p->docInCache);
    EXPECT_EQ(p->document, nullptr);
    EXPECT_EQ(p->cacheFileName[0], 0);
}

TEST_F(Documents, AFailedStreamDeletesItsFile) {
    int k = Open(Corpus("61a-Lyrics.xml"), "http://example.org/61a-Lyrics.xml", {}, NpHostElement(), NPRES_NETWORK_ERR);
    PlugInInstance *p = Record(k);
    EXPECT_TRUE(p->downloadFailed);
    EXPECT_FALSE(p->docInCache);
    EXPECT_EQ(p->cacheFileName[0], 0);
    EXPECT_EQ(Count("ended with reason 1\n"), 1u);
    EXPECT_EQ(Count("PlugInLoadDoc"), 0u);
}

// A second stream on one instance replaces the first: its file, document and flags go.
TEST_F(Documents, ASecondStreamReplacesTheFirst) {
    int k = Open(Corpus("61a-Lyrics.xml"), "http://example.org/61a-Lyrics.xml", {{"PURGE", "off", true}});
    PlugInInstance *p = Record(k);
    ASSERT_NE(p->document, nullptr);
    std::string first = CacheFile(p->cacheFileName);
    NpHostStreamOptions options;
    options.url = "http://example.org/hello.musicxml";
    options.endReason = NPRES_NETWORK_ERR;
    NpHostStreamWith(k, Corpus("w3c-tutorial-hello-world.musicxml"), options);
    EXPECT_FALSE(Exists(first));
    EXPECT_STREQ(p->docName, "hello.musicxml");  // named by its own address
    EXPECT_EQ(p->document, nullptr);
    EXPECT_FALSE(p->docInCache);
    EXPECT_FALSE(p->documentReady);
    EXPECT_TRUE(p->downloadFailed);
    // An instance that goes while its document comes takes its file along.
    int cut = plugintest::NewInstance({{"DEBUG", "on", true}});
    NpHostStreamOptions destroyed;
    destroyed.url = "http://example.org/61a-Lyrics.xml";
    destroyed.chunk = 1000;
    destroyed.destroyAfterChunks = 2;
    ASSERT_TRUE(NpHostStreamWith(cut, Corpus("61a-Lyrics.xml"), destroyed));
    EXPECT_TRUE(plugintest::CacheFilesIn(GetCheminCache()).empty());
    // Writes to an instance that is gone are refused.
    NPP npp = NpHostInstance(k);
    NpHostDestroy(k);
    char byte = 'x';
    NPStream stream = {};
    EXPECT_EQ(NpHostPluginTable().write(npp, &stream, 0, 1, &byte), -1);
}

// An .xmz is unpacked into the cache once: the unpacked file replaces the download, and every
// reload reads it as MusicXML, so its name gains ".xml" once.
TEST_F(Documents, APackedDocumentIsUnpackedOnce) {
    int plain = Open(Corpus("61b-MultipleLyrics.xml"), "http://example.org/61b-MultipleLyrics.xml");
    int k = Open(Corpus("61b-MultipleLyrics.xmz"), "http://example.org/61b-MultipleLyrics.xmz");
    PlugInInstance *p = Record(k);
    EXPECT_EQ(Count("Loading packed MusicXML"), 1u);
    std::string name = p->cacheFileName;
    EXPECT_EQ(name.size(), 17u) << name;  // F00000000.oms.xml
    EXPECT_EQ(name.substr(9), ".oms.xml");
    for (int reload = 0; reload < 3; reload++) {
        ASSERT_TRUE(PlugBeginFile(p));
        EXPECT_EQ(p->document->format, FourCC("ZLMX"));
        PlugEndFile(p);
        EXPECT_EQ(p->document, nullptr);
    }
    EXPECT_EQ(p->cacheFileName, name);
    EXPECT_EQ(Count("Loading packed MusicXML"), 1u);
    EXPECT_EQ(p->totalDurationMs, Record(plain)->totalDurationMs);
    EXPECT_EQ(p->totalDuration, Record(plain)->totalDuration);
    EXPECT_GT(p->totalDuration, 0);
}

struct TuneLoad {
    Documents *test;
    std::string file;
    int index;
};

// One tune: no play list, and the load ends; three: a list of three named by their titles.
TEST_F(Documents, TunesMakeAPlayListNamedByTheirTitles) {
    EnregistreFormatPartition(&kFakeTunes);
    TuneLoad one = {this, WriteFile("one.abc", "tunes=1"), 0};
    WithinSeconds(2, [](void *c) {
        TuneLoad *load = static_cast<TuneLoad *>(c);
        load->index = load->test->Open(load->file, "http://example.org/one.abc");
    }, &one);
    PlugInInstance *p = Record(one.index);
    EXPECT_EQ(p->playList, nullptr);
    EXPECT_EQ(p->listNumber, 1);
    EXPECT_TRUE(p->documentReady);
    int loadsBefore = gTuneLoads;
    int three = Open(WriteFile("three.abc", "tunes=3"), "http://example.org/three.abc");
    PlugInInstance *q = Record(three);
    ASSERT_NE(q->playList, nullptr);
    ASSERT_EQ(q->playList->count, 3);
    for (SInt16 i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        JukeBoxEntry *entry = GetEntreeJukeBox(q->playList, i);
        EXPECT_EQ(std::string(entry->title), "Tune " + std::to_string(i + 1));
        EXPECT_EQ(entry->titleFlag, 1);
        EXPECT_GT(entry->duration, 0);
    }
    EXPECT_EQ(q->listNumber, 1);
    EXPECT_EQ(q->areaLeft, 200);  // the panel's width
    // Tune 1 tried, tunes 0..3 listed (the last fails), tune 0 loaded.
    EXPECT_EQ(gTuneLoads - loadsBefore, 6);
}

TEST_F(Documents, AnArchiveListsItsMembersAndAnEmptyOneFails) {
    int empty = Open(Fixture("empty.arq"), "http://example.org/empty.arq");
    EXPECT_EQ(Record(empty)->document, nullptr);
    EXPECT_EQ(Count("** Impossible to load file (bad format)\n"), 1u);
    EXPECT_FALSE(Record(empty)->documentReady);
}

struct DpiCase {
    PrintInfoRecord in, out;
};

TEST_F(Documents, PagesAreLaidOutForThreeHundredDotsAnInch) {
    const DpiCase cases[] = {
        {{72, 72, 595, 842}, {300, 300, 2479, 3508}},     // 595 x 300 / 72 = 2479.2, 842 x 300 / 72 = 3508.3
        {{0, 0, 595, 842}, {300, 300, 2479, 3508}},       // a resolution of 0 reads as 72
        {{144, 72, 1190, 842}, {300, 300, 2479, 3508}},   // each side by its own resolution
        {{300, 300, 2480, 3508}, {300, 300, 2480, 3508}}, // already there
        {{600, 600, 4960, 7016}, {600, 600, 4960, 7016}}, // finer is kept
    };
    for (const DpiCase &c : cases) {
        SCOPED_TRACE(c.in.hRes);
        PrintInfoRecord info = c.in;
        PlugInRaiseToPrintDpi(&info);
        EXPECT_EQ(info.hRes, c.out.hRes);
        EXPECT_EQ(info.vRes, c.out.vRes);
        EXPECT_EQ(info.pageWidth, c.out.pageWidth);
        EXPECT_EQ(info.pageHeight, c.out.pageHeight);
    }
}

TEST_F(Documents, TheCommentsKeysSetTheKeyboard) {
    struct Case {
        const char *comment;
        UInt8 enabled, shown;
        SInt16 firstOctave, octaves;
    } cases[] = {
        {"key=on key=off", 1, 0, 3, 7},   // "key=off" wins
        {"notes key=on", 1, 1, 3, 7},
        {"fo=2 no=4", 0, 0, 2, 4},
        {"fo=99999999 no=-99999999", 0, 0, 32767, -32768},  // held to 16 bits here, to their ranges where used
        {"fo= no=x", 0, 0, 3, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.comment);
        PlugInInstance p{};
        PlugInDefaultInstance(&p, nullptr);
        PlugInLitClesCommentaire(&p, c.comment);
        EXPECT_EQ(p.keyboardEnabled, c.enabled);
        EXPECT_EQ(p.keyboardShown, c.shown);
        EXPECT_EQ(p.keyboardFirstOctave, c.firstOctave);
        EXPECT_EQ(p.keyboardOctaves, c.octaves);
    }
}

// The played order is copied only when it is not every measure once, in order.
TEST_F(Documents, AnIdentityPlayedOrderGivesNoTable) {
    struct Case {
        std::vector<UInt16> order;
        SInt16 copied;
    } cases[] = {{{0, 1, 2, 3}, 0}, {{}, 0}, {{0, 1, 0, 1, 2, 3}, 6}, {{1, 2, 3}, 3}};
    DocumentRecord document = DocumentRecord();
    ScoreHandle score = CreePartitionVide(&document);
    ASSERT_NE(score, nullptr);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.order.size());
        Handle table = nullptr;
        if (!c.order.empty()) {
            ASSERT_EQ(PtrToHand(c.order.data(), &table, SInt32(c.order.size() * 2)), noErr);
        }
        DisposHandle((*score)->playedMeasures);
        (*score)->playedMeasures = table;
        (*score)->playedCount = SInt32(c.order.size());
        PlugInInstance p{};
        PlugInDefaultInstance(&p, nullptr);
        PlugInCopieTablesMesures(&p, score);
        EXPECT_EQ(p.ruptureCount, c.copied);
        EXPECT_EQ(p.ruptureTable != nullptr, c.copied > 0);
        EXPECT_EQ(p.measureCount, (*score)->measureCount);
        DisposHandle(p.ruptureTable);
        DisposHandle(p.measureTable);
    }
    VideDocument(&document);
}

// The end of an element of a three-tune list by mode: which element follows and whether it plays.
TEST_F(Documents, TheEndOfTheMusicFollowsTheListMode) {
    EnregistreFormatPartition(&kFakeTunes);
    std::string three = WriteFile("modes.abc", "tunes=3");
    struct Case {
        SInt16 mode, element, next;
        bool plays;
    } cases[] = {
        {0, 1, 1, false}, {1, 2, 2, true},  {2, 2, 3, true}, {2, 3, 3, false},
        {3, 3, 1, true},  {3, 1, 2, true},  {5, 1, 2, false}, {5, 3, 3, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " element " << c.element);
        int k = Open(three, "http://example.org/modes.abc", {{"LIST_PLAY_MODE", std::to_string(c.mode), true}});
        PlugInInstance *p = Record(k);
        ASSERT_NE(p->playList, nullptr);
        SetCurElement(p, SInt16(c.element - 1));
        PlugInJoueMusique(p);
        ASSERT_EQ(plugInState.plugInInstancePlay, p);
        PlugInFinDeMusique(p);
        EXPECT_EQ(p->listNumber, c.next);
        EXPECT_EQ(plugInState.plugInInstancePlay == p, c.plays);
        NpHostDestroy(k);
    }
    // Random: an element of the list, playing.
    int k = Open(three, "http://example.org/modes.abc", {{"LIST_PLAY_MODE", "4", true}});
    PlugInJoueMusique(Record(k));
    PlugInFinDeMusique(Record(k));
    EXPECT_GE(Record(k)->listNumber, 1);
    EXPECT_LE(Record(k)->listNumber, 3);
    EXPECT_EQ(plugInState.plugInInstancePlay, Record(k));
}

// NEXT: the next instance in page order that has it plays; alone, the instance plays again.
TEST_F(Documents, NextStartsTheNextInstanceOrItselfAlone) {
    std::string hello = Corpus("w3c-tutorial-hello-world.musicxml");
    NpHostElement top, below;
    top.top = 0;
    below.top = 500;
    int second = Open(hello, "http://example.org/b.musicxml", {{"NEXT", "on", true}}, below);
    int first = Open(hello, "http://example.org/a.musicxml", {{"NEXT", "on", true}}, top);
    int other = Open(hello, "http://example.org/c.musicxml", {}, top);
    (void)other;
    PlugInJoueMusique(Record(first));
    PlugInFinDeMusique(Record(first));
    EXPECT_EQ(plugInState.plugInInstancePlay, Record(second));
    PlugInFinDeMusique(Record(second));
    EXPECT_EQ(plugInState.plugInInstancePlay, Record(first));  // round to the head
    NpHostDestroy(second);
    PlugInFinDeMusique(Record(first));
    EXPECT_EQ(plugInState.plugInInstancePlay, Record(first));
    EXPECT_EQ(Count("End of music: NEXT plays instance"), 3u);
}

// A press on the position bar through the browser's own events.
class Presses : public Documents {
protected:
    void SetUp() override {
        Documents::SetUp();
        if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
        OrvaSetTickCountSource(FakeTicks);
        k = Open(NativeScore(40), "http://example.org/long.oms");
        p = Record(k);
        ASSERT_TRUE(p->documentReady);
        CalculeAireBarrePosMusique(p, &bar);
        ASSERT_GT(bar.right - bar.left, kBarEndMargin);
    }
    // The browser's press; the key map holds the keys its state names, as the glue leaves it.
    void Press(int x, unsigned button, unsigned state) {
        memset(gKeys, 0, sizeof gKeys);
        if (state & kXShiftMask) HoldKey(kKeyShift);
        if (state & kXControlMask) HoldKey(kKeyCommand);
        ASSERT_TRUE(NpHostButton(k, true, x, bar.top + 1, button, state));
    }
    void Release(int x, unsigned button) { ASSERT_TRUE(NpHostButton(k, false, x, bar.top + 1, button, 0)); }
    SInt16 MeasureAt(int x) const {
        return SInt16(SInt64(x - bar.left) * p->measureCount / (bar.right - bar.left - kBarEndMargin));
    }
    int k = 0;
    PlugInInstance *p = nullptr;
    Rect bar;
};

TEST_F(Presses, ShiftPressesSetTheFirstThenTheLastMeasure) {
    ASSERT_EQ(p->ruptureTable, nullptr);  // played in order: a plain position bar
    ASSERT_EQ(p->measureCount, 40);
    Press(100, kXButtonLeft, kXShiftMask);
    Release(100, kXButtonLeft);
    EXPECT_EQ(p->selFirstMeasure, MeasureAt(100));
    EXPECT_EQ(p->selLastMeasure, -1);
    Press(400, kXButtonLeft, kXShiftMask);
    Release(400, kXButtonLeft);
    EXPECT_EQ(p->selFirstMeasure, MeasureAt(100));
    EXPECT_EQ(p->selLastMeasure, MeasureAt(400));
    EXPECT_EQ(p->pressHandler, nullptr);
    EXPECT_EQ(p->document, nullptr);  // given back once the press is done
}

// A selecting press (the right button without a played order) released within 10 ticks clears
// the selection; a longer one keeps it, in order, and loops it.
TEST_F(Presses, AShortSelectingPressClearsTheSelection) {
    struct Case {
        UInt32 held;
        SInt16 first, last;
        UInt8 loop;
    } cases[] = {{5, -1, -1, 0}, {9, -1, -1, 0}, {10, 2, 7, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.held);
        p->selFirstMeasure = 7;
        p->selLastMeasure = 2;
        size_t from = NpHostLog().size();
        Press(50, kXButtonRight, 0);
        EXPECT_EQ(p->pressHandler, PlugInStillDownBarrePos);
        EXPECT_EQ(Count("PressHandler PlugInStillDownBarrePos selection\n"), size_t(&c - cases + 1));
        gTicks += c.held;
        Release(50, kXButtonRight);
        PlugInIdle(p);
        EXPECT_EQ(p->pressHandler, nullptr);
        EXPECT_EQ(p->selFirstMeasure, c.first);
        EXPECT_EQ(p->selLastMeasure, c.last);
        EXPECT_EQ(p->loop, c.loop);
        EXPECT_FALSE(plugintest::LogLinesWith(from, {"NPP_HandleEvent"}).empty());
    }
}

// The time under the pointer on a wide bar of a long piece: 23 minutes over 2,000 pixels
// overflow 32 bits; a bar too narrow to measure selects nothing.
TEST_F(Presses, LongPiecesOnWideBarsKeepTheirPosition) {
    NpHostElement wide;
    wide.width = 2000;
    int w = Open(NativeScore(700), "http://example.org/long700.oms", {}, wide);
    PlugInInstance *q = Record(w);
    ASSERT_GT(q->totalDurationMs, 1200000);
    Rect wideBar;
    CalculeAireBarrePosMusique(q, &wideBar);
    ASSERT_EQ(wideBar.right - wideBar.left, 2000);
    memset(gKeys, 0, sizeof gKeys);
    ASSERT_TRUE(NpHostButton(w, true, 1900, wideBar.top + 1, kXButtonLeft, 0));
    ASSERT_EQ(q->pressHandler, PlugInStillDownBarrePos);
    ASSERT_NE(q->document, nullptr);  // kept for the length of the press
    PlugInIdle(q);                    // the button is still down
    SInt64 ms = SInt64(1900) * q->totalDurationMs / (2000 - kBarEndMargin);
    EXPECT_EQ(q->pausePosition, CvtMsEnTempsJoue(q->document->score, SInt32(ms), kTrue));
    EXPECT_GT(q->pausePosition, 0);

    NpHostElement narrow;
    narrow.width = kBarEndMargin;
    int n = Open(NativeScore(40), "http://example.org/narrow.oms", {}, narrow);
    PlugInInstance *r = Record(n);
    HoldKey(kKeyShift);
    ASSERT_TRUE(NpHostButton(n, true, 4, 21, kXButtonLeft, kXShiftMask));
    EXPECT_EQ(r->selFirstMeasure, -1);
    EXPECT_EQ(r->selLastMeasure, -1);
}

TEST_F(Presses, CommandClicksCycleTheLook) {
    std::vector<SInt32> looks = {p->look};
    for (int i = 0; i < 4; i++) {
        Press(300, kXButtonLeft, kXControlMask);
        Release(300, kXButtonLeft);
        looks.push_back(p->look);
    }
    EXPECT_EQ(looks, (std::vector<SInt32>{3, 0, 1, 2, 3}));
    EXPECT_EQ(p->lookWanted, 0);
}

// Neither the trace log nor the chord library's file is written through a link somebody left
// where the plug-in writes them; the library of 'Chor' 128 is read from that file.
TEST_F(Documents, TheTraceAndTheChordFileFollowNoLink) {
    std::string here = OrvaTestCurrentFolder();
    std::string folder = kTemporary + "/linked";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    std::string target = kTemporary + "/trace-target";
    ASSERT_EQ(symlink(target.c_str(), (folder + "/OndrakMusicPlugin.txt").c_str()), 0);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    PlugSetTrace(kTrue);
    PlugTrace("a line for the linked folder");
    ASSERT_EQ(chdir(here.c_str()), 0);
    EXPECT_FALSE(Exists(target));

    // A library of one shape, as the chord library writes it, in 'Chor' 128 of a resource file.
    VideBibliothequeDiagrammes();
    ChordRecord c = ChordRecord();
    c.kind = kAccordMajeur;
    c.bass = kAccordSansNote;
    DiagramShape shape = DiagramShape();
    shape.stringCount = 6;
    shape.fretCount = 4;
    shape.firstFret = 1;
    memcpy(shape.marks, "x     ", 6);
    ASSERT_GE(CreeAccord(&c, &shape, 0, "C open"), 0);
    std::string written = kTemporary + "/library.dat";
    ASSERT_TRUE(EcritDiagrammesAccordGeneral(written.c_str()));
    VideBibliothequeDiagrammes();
    std::string library = OrvaTestReadFile(written);
    std::string rsrc = kTemporary + "/chords.rsr";
    restest::WriteAll(rsrc, restest::BuildFile({{"Chor", kChordLibraryID, false, "", restest::Bytes(library.begin(), library.end())}}));
    std::string chordTarget = kTemporary + "/chords-target";
    unlink(CacheFile("Chords.dat").c_str());
    ASSERT_EQ(symlink(chordTarget.c_str(), CacheFile("Chords.dat").c_str()), 0);
    SInt16 file = OpenResFile(rsrc.c_str());
    ASSERT_GE(file, 0);
    SInt16 saved = CurResFile();
    UseResFile(file);
    PlugInInitDiagrammesAccords();
    UseResFile(saved);
    CloseResFile(file);
    EXPECT_FALSE(Exists(chordTarget));
    EXPECT_EQ(OrvaTestReadFile(CacheFile("Chords.dat")), library);
    ASSERT_EQ(GetNbDiagrammesBibliotheque(), 1);
    ChordDiagramRecord entry;
    ASSERT_TRUE(GetDiagrammeBibliotheque(0, &entry));
    EXPECT_STREQ(entry.name, "C open");
    VideBibliothequeDiagrammes();
}

// "CadTonLink.cfg" names the singing folders on its third line and the volume on its second;
// a file with lines missing or too long names none.
TEST_F(Documents, TheSingingLinkFileNamesItsFolders) {
    struct Case {
        const char *label;
        std::string text;
        bool named;
    } cases[] = {
        {"whole", "version 3\n80\n/opt/voices\n12\n", true},
        {"no folder number", "version 3\n80\n/opt/voices/\n", true},
        {"crlf", "v\r\n80\r\n/opt/voices\r\n", true},
        {"two lines", "version 3\n80\n", false},
        {"empty", "", false},
        {"no volume", "version 3\nloud\n/opt/voices\n", false},
        {"empty folder", "version 3\n80\n\n", false},
        {"long line", "version 3\n80\n/" + std::string(5000, 'v') + "\n", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        size_t before = Count("Singing folders /opt/voices/Lyrovox/Languages/ /opt/voices/Lyrovox/Data/\n");
        std::string path = WriteFile("CadTonLink.cfg", c.text);
        EXPECT_FALSE(PlugInLitLienChant(path.c_str()));  // no voice data there either
        EXPECT_EQ(Count("Singing folders /opt/voices/Lyrovox/Languages/ /opt/voices/Lyrovox/Data/\n"), before + c.named);
    }
    EXPECT_FALSE(PlugInLitLienChant((kTemporary + "/missing.cfg").c_str()));
}

// Key k is bit k mod 8 of byte k / 8 of the key map: the words are read big-endian.
TEST_F(Documents, KeysAreReadFromBigEndianWords) {
    struct Case {
        int byte, bit;
        SInt16 key;
        bool down;
    } cases[] = {{7, 0, 56, true}, {4, 0, 56, false}, {6, 7, 55, true}, {5, 7, 55, false}, {0, 0, 0, true},
                 {15, 7, 127, true}, {7, 1, 56, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "byte " << c.byte << " bit " << c.bit << " key " << c.key);
        memset(gKeys, 0, sizeof gKeys);
        reinterpret_cast<UInt8 *>(gKeys)[c.byte] = UInt8(1 << c.bit);
        EXPECT_EQ(bool(IsKeyPressed(c.key)), c.down);
    }
    reinterpret_cast<UInt8 *>(gKeys)[7] = 1;
    EXPECT_TRUE(IsKeyShift());
    EXPECT_FALSE(IsKeyPomme());
    EXPECT_FALSE(IsKeyPressed(-1));
    EXPECT_FALSE(IsKeyPressed(128));
}

}  // namespace

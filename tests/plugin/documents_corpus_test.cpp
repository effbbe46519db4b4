// ctest-labels: plugin-documents
// Documents as the browser streams them, in the test's own (sanitized) process: every MusicXML
// file of the corpus in 1,000-byte writes is cached byte for byte and loaded, its file gone
// once the instance is; hostile bytes under every extension, inflation bombs and cut streams
// end in a clean failure and a usable instance.
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

#include "plugin/cache_files.h"
#include "plugin/documents.h"
#include "plugin/instance.h"
#include "support/plugin_support.h"

namespace {

const std::string kTemporary = plugintest::OwnTemporaryFolder();
plugintest::PlugInEnvironment *const gPlugIn = static_cast<plugintest::PlugInEnvironment *>(
    ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(NpHostOptions())));

const char kBadFormat[] = "** Impossible to load file (bad format)\n";

std::string CorpusFolder() { return std::string(ORVA_SOURCE_TREE) + "/tests/data/corpus/musicxml/"; }
std::string Fixture(const std::string &name) { return std::string(ORVA_SOURCE_TREE) + "/tests/data/plugin/" + name; }

PlugInInstance *Record(int k) { return PlugInFromNPP(NpHostInstance(k)); }

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    DIR *dir = opendir(CorpusFolder().c_str());
    while (dir) {
        struct dirent *entry = readdir(dir);
        if (!entry) break;
        std::string name = entry->d_name;
        for (const char *ending : {".xml", ".musicxml", ".mxl", ".xmz"})
            if (name.size() > strlen(ending) && name.compare(name.size() - strlen(ending), std::string::npos, ending) == 0)
                names.push_back(name);
    }
    if (dir) closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> CacheFiles() { return plugintest::CacheFilesIn(GetCheminCache()); }

std::string Gunzip(const std::string &path) {
    std::string bytes;
    gzFile file = gzopen(path.c_str(), "rb");
    char block[65536];
    int n;
    while (file && (n = gzread(file, block, sizeof block)) > 0) bytes.append(block, size_t(n));
    if (file) gzclose(file);
    return bytes;
}

class Streams : public ::testing::Test {
protected:
    void SetUp() override { traceStart = Trace().size(); }
    void TearDown() override {
        NpHostDestroyAll();
        NpHostRunQueued();
    }
    std::string Trace() const { return OrvaTestReadFile(gPlugIn->Folder() + "/OndrakMusicPlugin.txt"); }
    size_t Count(const std::string &text) const {
        std::string trace = Trace().substr(traceStart);
        size_t n = 0;
        for (size_t at = trace.find(text); at != std::string::npos; at = trace.find(text, at + 1)) n++;
        return n;
    }
    int Stream(const std::string &path, const std::string &name, size_t chunk = 4096, NPError reason = NPRES_DONE,
               long endAfterBytes = -1) {
        NpHostElement small;  // the instance's pixels are not looked at here
        small.width = small.height = 64;
        int k = plugintest::NewInstance({{"DEBUG", "on", true}, {"SRC", "/scores/" + name, true}}, small);
        NpHostStreamOptions options;
        options.chunk = chunk;
        options.url = "http://example.org/scores/" + name;
        options.endReason = reason;
        options.endAfterBytes = endAfterBytes;
        EXPECT_TRUE(NpHostStreamWith(k, path, options));
        return k;
    }
    size_t traceStart = 0;
};

TEST_F(Streams, EveryCorpusFileIsCachedByteForByteAndGoesWithItsInstance) {
    std::vector<std::string> files = CorpusFiles();
    ASSERT_GE(files.size(), 30u);
    for (const std::string &name : files) {
        SCOPED_TRACE(name);
        std::string source = CorpusFolder() + name;
        int k = Stream(source, name, 1000);
        PlugInInstance *p = Record(k);
        ASSERT_TRUE(p->docInCache);
        std::string cached = OrvaTestReadFile(std::string(GetCheminCache()) + p->cacheFileName);
        bool packed = name.compare(name.size() - 4, 4, ".xmz") == 0;
        EXPECT_EQ(cached, packed ? Gunzip(source) : OrvaTestReadFile(source));
        EXPECT_FALSE(cached.empty());
        EXPECT_EQ(p->bytesReceived, SInt32(OrvaTestReadFile(source).size()));
        EXPECT_TRUE(p->documentReady);
        NpHostDestroy(k);
    }
    EXPECT_EQ(Count(kBadFormat), 0u);
    EXPECT_EQ(Count("PlugInLoadDoc on "), files.size());
    EXPECT_TRUE(CacheFiles().empty());
}

// 200 files of random bytes under each extension: each load fails as a bad format; the
// instance stays, without a document.
TEST_F(Streams, RandomBytesUnderEveryExtensionFailAsABadFormat) {
    const char *extensions[] = {"xml", "musicxml", "mxl", "xmz", "oms", "arq", "abc"};
    std::mt19937 random(20261207);
    std::string path = kTemporary + "/random";
    int loads = 0;
    for (const char *extension : extensions) {
        SCOPED_TRACE(extension);
        for (int i = 0; i < 200; i++) {
            std::string bytes(size_t(1 + random() % 3000), '\0');
            for (char &b : bytes) b = char(random());
            ASSERT_TRUE(OrvaTestWriteFile(path, bytes));
            int k = Stream(path, "r" + std::to_string(i) + "." + extension);
            EXPECT_EQ(Record(k)->document, nullptr);
            EXPECT_FALSE(Record(k)->documentReady);
            NpHostDestroy(k);
            loads++;
        }
    }
    EXPECT_EQ(Count(kBadFormat), size_t(loads));
    EXPECT_TRUE(CacheFiles().empty());
}

// A gzip bomb and a zip bomb stop at their limits; an HTML error page under .xml is no score.
TEST_F(Streams, BombsAndErrorPagesFailCleanly) {
    struct Case {
        std::string path, name, trace;
    } cases[] = {
        {Fixture("zeros-300mb.xmz"), "bomb.xmz", kBadFormat},
        {Fixture("zeros-65mb.mxl"), "bomb.mxl", kBadFormat},
        {kTemporary + "/error.html", "bad.xml", kBadFormat},
        {kTemporary + "/empty", "empty.xml", kBadFormat},
    };
    ASSERT_TRUE(OrvaTestWriteFile(kTemporary + "/error.html",
                                  "<!DOCTYPE html><html><head><title>404 Not Found</title></head><body><h1>Not Found</h1>"
                                  "</body></html>\n"));
    ASSERT_TRUE(OrvaTestWriteFile(kTemporary + "/empty", ""));
    size_t bombs = Count("inflates to more than 256 MiB");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        size_t before = Count(c.trace);
        int k = Stream(c.path, c.name);
        EXPECT_EQ(Count(c.trace), before + 1);
        EXPECT_EQ(Record(k)->document, nullptr);
        // Nothing unpacked stays beside the download.
        std::vector<std::string> left = CacheFiles();
        EXPECT_EQ(left.size(), 1u);
        NpHostDestroy(k);
    }
    // The bomb's own message is given (traced by Collapse and by the alert it shows).
    EXPECT_GT(Count("inflates to more than 256 MiB"), bombs);
    EXPECT_TRUE(CacheFiles().empty());
}

// A stream cut by the network leaves no file and marks the instance; the next stream loads.
TEST_F(Streams, ACutStreamLeavesNoFile) {
    std::string gounod = CorpusFolder() + "CharlesGounod_Meditation.xml";
    int k = Stream(gounod, "CharlesGounod_Meditation.xml", 4096, NPRES_NETWORK_ERR, 20000);
    EXPECT_TRUE(Record(k)->downloadFailed);
    EXPECT_EQ(Count("ended with reason 1\n"), 1u);
    EXPECT_TRUE(CacheFiles().empty());
    NpHostStreamOptions options;
    options.url = "http://example.org/scores/hello.musicxml";
    NpHostStreamWith(k, CorpusFolder() + "w3c-tutorial-hello-world.musicxml", options);
    EXPECT_FALSE(Record(k)->downloadFailed);
    EXPECT_TRUE(Record(k)->documentReady);
}

// The test host as a program: --stream-error ends the stream with a network error after the
// bytes given; the file goes and the failure is traced, and nothing is left behind.
TEST(TestHost, AStreamErrorDeletesTheFile) {
    plugintest::HostRun run = plugintest::RunHost(
        OrvaToolPath("nphost"), ORVA_PLUGIN_DIR,
        {"--embed", "DEBUG=on", "--stream-error", CorpusFolder() + "CharlesGounod_Meditation.xml,1000,20000"});
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.err;
    EXPECT_EQ(run.Count("\"call\":\"NPP_Write\""), 20u);
    EXPECT_TRUE(run.Has("\"call\":\"NPP_DestroyStream\",\"instance\":1,\"result\":0,\"reason\":1"));
    EXPECT_TRUE(run.Has("ended with reason 1"));
    EXPECT_FALSE(run.Has("PlugInLoadDoc"));
    EXPECT_TRUE(run.Has("{\"threads_left\":0,\"objects_left\":0,\"blocks_left\":0}"));
}

// Without its sound bank and its fonts the plug-in says so at start-up and still loads scores.
TEST(TestHost, WithoutSoundBankOrFontsScoresStillLoad) {
    plugintest::HostRun run = plugintest::RunHost(
        OrvaToolPath("nphost"), ORVA_PLUGIN_DIR,
        {"--embed", "DEBUG=on SRC=hello.musicxml", "--stream", CorpusFolder() + "w3c-tutorial-hello-world.musicxml"},
        {"SoundBank", "Fonts"});
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.err;
    EXPECT_TRUE(run.Has("No sound bank"));
    EXPECT_TRUE(run.Has("No music font Quorella"));
    EXPECT_TRUE(run.Has("Loader result 1 for 'hello.musicxml'"));
    EXPECT_TRUE(run.Has("{\"threads_left\":0,\"objects_left\":0,\"blocks_left\":0}"));
}

}  // namespace

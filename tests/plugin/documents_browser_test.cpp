// ctest-labels: plugin-documents
// Documents in the real test browser: pages embedding MusicXML scores (plain, zip, gzip, by
// SRC or by an object's data), served from files or by tests/support/httpserve.py, loaded into
// the plug-in whose page scripts read their duration; failed downloads, bad documents, a missing
// resource file, and presses on an instance. Pages are written into each run's folder beside
// copies of the documents they name.
#include <csignal>
#include <string>
#include <vector>

#include "plugin/cache_files.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/shell_standins.h"
#include "support/browser_support.h"

namespace {

using plugintest::BrowserRun;
using plugintest::SourceDir;

// The plug-in also runs in this process, to learn where its areas lie for a given element.
const std::string kTemporary = plugintest::OwnTemporaryFolder();
plugintest::PlugInEnvironment *const gPlugIn = static_cast<plugintest::PlugInEnvironment *>(
    ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(NpHostOptions())));

const char kSchumann[] = "Schumann_The_Wild_Horseman_Op._68_No._8.mxl";
const char kHello[] = "w3c-tutorial-hello-world.musicxml";
const char kBadFormat[] = ":** Impossible to load file (bad format)\n";

std::string Corpus(const std::string &name) { return SourceDir() + "/tests/data/corpus/musicxml/" + name; }

// A page of the given body in the run's folder, with copies of the corpus files it names.
std::string WritePage(BrowserRun *run, const std::string &body, const std::vector<std::string> &documents) {
    for (const std::string &name : documents)
        EXPECT_TRUE(OrvaTestWriteFile(run->folder + "/" + name, OrvaTestReadFile(Corpus(name))));
    std::string page = run->folder + "/page.html";
    EXPECT_TRUE(OrvaTestWriteFile(page, "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>documents</title>"
                                        "<style>html, body { margin: 0; padding: 0; background: #ffffff; }</style>"
                                        "</head>\n<body>\n" + body + "</body></html>\n"));
    return page;
}

std::string Embed(const std::string &src, const std::string &more = "", int width = 640, int height = 480) {
    return "<embed type=\"application/x-ondrak-music\" src=\"" + src + "\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(height) + "\" DEBUG=\"on\" " + more + ">\n";
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The bytes the trace says were appended to a cache file.
long AppendedTo(const BrowserRun &run, const std::string &cacheName) {
    long total = 0;
    for (const std::string &line : Lines(run.trace)) {
        size_t at = line.find(":AppendData ");
        long length = 0;
        if (at != std::string::npos && line.find(" on " + cacheName + " ") != std::string::npos &&
            sscanf(line.c_str() + at + 12, "%ld", &length) == 1)
            total += length;
    }
    return total;
}

// The F files left in the run's cache folder.
std::vector<std::string> CacheLeft(const BrowserRun &run) {
    return plugintest::CacheFilesIn(run.Temporary() + "/ondrak-music-" + std::to_string(geteuid()));
}

double Number(const std::string &text) { return atof(text.c_str()); }

TEST(DocumentsBrowser, AZippedScoreLoadsAndItsDurationIsRead) {
    BrowserRun run;
    std::string page = WritePage(&run, Embed(kSchumann), {kSchumann});
    plugintest::Browse(page, {"--wait", "3", "--eval", "document.embeds[0].loaded", "--eval",
                              "document.embeds[0].totalduration"}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    std::vector<std::string> out = Lines(run.out);
    ASSERT_EQ(out.size(), 2u) << run.out;
    EXPECT_EQ(out[0], "yes");
    EXPECT_NEAR(Number(out[1]), 72000, 720);  // 96 quarters, the repeat played, at 80 a minute
    EXPECT_TRUE(run.Traced(":NPP_NewStream on "));
    EXPECT_EQ(AppendedTo(run, "F00000000.mxl"), long(OrvaTestReadFile(Corpus(kSchumann)).size()));
    EXPECT_TRUE(run.Traced("'F00000000.mxl' '" + std::string(kSchumann) + "' 1\n"));
    EXPECT_TRUE(CacheLeft(run).empty());
}

TEST(DocumentsBrowser, ATempoGivenByThePageAndAWholeNote) {
    BrowserRun run;
    std::string page = WritePage(&run, Embed(kSchumann, "SETTEMPO=\"120\"") + Embed(kHello), {kSchumann, kHello});
    plugintest::Browse(page, {"--wait", "3", "--eval", "document.embeds[0].totalduration", "--eval",
                              "document.embeds[1].totalduration"}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    std::vector<std::string> out = Lines(run.out);
    ASSERT_EQ(out.size(), 2u) << run.out;
    EXPECT_NEAR(Number(out[0]), 48000, 480);
    EXPECT_NEAR(Number(out[1]), 3000, 30);  // a whole note at 80 a minute
    EXPECT_TRUE(CacheLeft(run).empty());
}

// The gzip document lasts as long as the plain one; its reload for AUTOPLAY reads the unpacked
// file, whose name ends in one ".xml".
TEST(DocumentsBrowser, APackedScoreIsUnpackedOnce) {
    BrowserRun run;
    std::string page = WritePage(&run, Embed("61b-MultipleLyrics.xml") + Embed("61b-MultipleLyrics.xmz", "AUTOPLAY=\"on\""),
                                 {"61b-MultipleLyrics.xml", "61b-MultipleLyrics.xmz"});
    plugintest::Browse(page, {"--wait", "3", "--eval", "document.embeds[0].totalduration", "--eval",
                              "document.embeds[1].totalduration"}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    std::vector<std::string> out = Lines(run.out);
    ASSERT_EQ(out.size(), 2u) << run.out;
    EXPECT_EQ(out[0], out[1]);
    EXPECT_GT(Number(out[0]), 0);
    EXPECT_EQ(run.TraceCount(":Loading packed MusicXML"), 1u);
    EXPECT_EQ(run.TraceCount(".oms' '61b-MultipleLyrics.xmz' 1\n"), 1u);      // the download, unpacked
    EXPECT_EQ(run.TraceCount(".oms.xml' '61b-MultipleLyrics.xmz' 1\n"), 1u);  // the reload to play
    EXPECT_FALSE(run.Traced(".xml.xml"));
    EXPECT_TRUE(CacheLeft(run).empty());
}

// An object's data without SRC names the document; each element gets its own cache name; an
// HTML page saved as .xml is no score.
TEST(DocumentsBrowser, AnObjectsDataNamesItsDocument) {
    BrowserRun run;
    ASSERT_TRUE(OrvaTestWriteFile(run.folder + "/bad.xml", "<!DOCTYPE html><html><body><p>Not here.</p></body></html>\n"));
    std::string page = WritePage(&run,
                                 "<object type=\"application/x-ondrak-music\" data=\"61a-Lyrics.xml\" width=\"400\" "
                                 "height=\"300\"><param name=\"DEBUG\" value=\"on\"></object>\n" +
                                     Embed("bad.xml", "", 400, 300),
                                 {"61a-Lyrics.xml"});
    plugintest::Browse(page, {"--wait", "3"}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_TRUE(run.Traced("'61a-Lyrics.xml' 1\n"));
    EXPECT_TRUE(run.Traced(":Loading MusicXML\n"));
    EXPECT_TRUE(run.Traced(":Loader result 1 for '61a-Lyrics.xml'\n"));
    EXPECT_TRUE(run.Traced("F00000000.xml"));
    EXPECT_TRUE(run.Traced("F00000001.xml"));
    EXPECT_EQ(run.TraceCount(kBadFormat), 1u);
    EXPECT_TRUE(CacheLeft(run).empty());
}

// A download cut short by the server: the stream ends with a reason, its file goes.
TEST(DocumentsBrowser, ACutDownloadLeavesNoFile) {
    BrowserRun run;
    std::string served = run.folder + "/served";
    mkdir(served.c_str(), 0775);
    ASSERT_TRUE(OrvaTestWriteFile(served + "/CharlesGounod_Meditation.xml", OrvaTestReadFile(Corpus("CharlesGounod_Meditation.xml"))));
    std::string portFile = run.folder + "/port";
    ChildOptions options;
    options.folder = run.folder;
    options.stdoutPath = run.folder + "/httpserve.out";
    options.stderrPath = run.folder + "/httpserve.err";
    pid_t server = OrvaStartChild({"/usr/bin/python3", SourceDir() + "/tests/support/httpserve.py", served, "--port-file",
                                   portFile, "--drop-after", "20000"},
                                  options);
    ASSERT_GT(server, 0);
    std::string port;
    for (int i = 0; i < 100 && port.empty(); i++) {
        port = OrvaTestReadFile(portFile);
        if (port.empty()) usleep(50000);
    }
    ASSERT_FALSE(port.empty()) << OrvaTestReadFile(options.stderrPath);
    port.erase(port.find_last_not_of("\n") + 1);
    std::string page = WritePage(&run, Embed("http://127.0.0.1:" + port + "/CharlesGounod_Meditation.xml"), {});
    plugintest::Browse(page, {"--wait", "3"}, &run);
    kill(server, SIGTERM);
    OrvaWaitChild(server, 10000);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_TRUE(run.Traced(":Stream of F00000000.xml ended with reason ")) << run.trace;
    EXPECT_FALSE(run.Traced("ended with reason 0\n"));
    EXPECT_FALSE(run.Traced(":PlugInLoadDoc"));
    EXPECT_TRUE(CacheLeft(run).empty());
}

// Without its resource file the plug-in says so and the browser goes on.
TEST(DocumentsBrowser, WithoutTheResourceFileThePageStillRuns) {
    BrowserRun run;
    std::string page = WritePage(&run, Embed(kHello), {kHello});
    plugintest::Browse(page, {"--wait", "1", "--allow-blank"}, &run, {}, {"Ondrak Music Plugin.rsr"});
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_TRUE(run.Traced("Impossible to find resource file in ")) << run.trace;
    EXPECT_TRUE(CacheLeft(run).empty());
}

// A press reaches the instance at its own point; a right press on the position bar of a score
// played in order selects measures: its press handler is installed.
TEST(DocumentsBrowser, PressesReachTheInstanceAndItsPositionBar) {
    // Where the bar of that element lies, as the plug-in computes it.
    int k = plugintest::NewInstance({{"DEBUG", "on", true}}, [] {
        NpHostElement element;
        element.width = 300;
        element.height = 200;
        return element;
    }());
    NpHostStreamOptions stream;
    stream.url = "http://example.org/" + std::string(kHello);
    ASSERT_TRUE(NpHostStreamWith(k, Corpus(kHello), stream));
    PlugInInstance *p = PlugInFromNPP(NpHostInstance(k));
    ASSERT_EQ(p->ruptureTable, nullptr);
    Rect bar;
    CalculeAireBarrePosMusique(p, &bar);
    ASSERT_LT(bar.top, bar.bottom);
    int x = 100 + (bar.left + bar.right) / 2, y = 50 + (bar.top + bar.bottom) / 2;
    BrowserRun run;
    std::string page = WritePage(&run, "<div style=\"position: absolute; left: 100px; top: 50px\">" +
                                           Embed(kHello, "", 300, 200) + "</div>\n", {kHello});
    plugintest::Browse(page, {"--wait", "1", "--click", "110,70", "--click",
                              std::to_string(x) + "," + std::to_string(y) + ",right"}, &run);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_TRUE(run.Traced(":PlugInClick 10 20\n"));
    EXPECT_TRUE(run.Traced(":PressHandler PlugInStillDownBarrePos selection\n")) << run.trace;
}

}  // namespace

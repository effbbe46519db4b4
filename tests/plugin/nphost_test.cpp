// ctest-labels: plugin-shell
// The plug-in library as a browser loads it, driven by the test host: its exports, the tables
// it accepts, browsers with and without timers, windowless support or memory, and what it
// leaves behind (threads, objects, blocks, sanitizer reports).
#include <algorithm>
#include <string>
#include <vector>

#include "support/plugin_support.h"
#include "support/tool_support.h"

namespace {

using plugintest::HostRun;

// nphost on a fresh plug-in folder made from this tree's library; the run ends clean.
HostRun Host(const std::vector<std::string> &arguments) {
    HostRun run = plugintest::RunHost(ToolPath("nphost"), ORVA_PLUGIN_DIR, arguments);
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.err;
    return run;
}

void ExpectNothingLeft(const HostRun &run) {
    EXPECT_TRUE(run.Has("{\"threads_left\":0,\"objects_left\":0,\"blocks_left\":0}")) << run.log.back();
}

TEST(TestHost, OnlyTheFiveEntryPointsAreExported) {
    for (const std::string &folder : {std::string(ORVA_PLUGIN_DIR), std::string(ORVA_BROWSER_PLUGIN_DIR)}) {
        SCOPED_TRACE(folder);
        std::string library = folder + "/npondrakmusic.so";
        int status = 0;
        std::string names = RunCommand("nm -D --defined-only '" + library + "' | awk '{print $3}' | sort", &status);
        ASSERT_EQ(status, 0) << "no library: ./test.sh builds it";
        EXPECT_EQ(names, "NP_GetMIMEDescription\nNP_GetPluginVersion\nNP_GetValue\nNP_Initialize\nNP_Shutdown\n");
        std::string unresolved = RunCommand("ldd -r '" + library + "' 2>&1 | grep -i undefined", &status);
        EXPECT_EQ(unresolved, "");
    }
}

TEST(TestHost, APlugInTableTooShortIsRefusedUntouched) {
    struct Case {
        const char *size;
        int result;
    } cases[] = {{"0", 3}, {"60", 3}, {"119", 3}, {"120", 0}, {"400", 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        HostRun run = Host({"--funcs-size", c.size, "--embed", ""});
        EXPECT_TRUE(run.Has("\"call\":\"NP_Initialize\",\"result\":" + std::to_string(c.result)));
        EXPECT_FALSE(run.Has("table-overrun"));
        EXPECT_EQ(run.Has("\"call\":\"NPP_New\",\"instance\":1,\"result\":0"), c.result == 0);
    }
}

TEST(TestHost, ScriptingNeedsInterfaceVersion14) {
    for (int version : {0, 13, 14, 40}) {
        SCOPED_TRACE(version);
        HostRun run = Host({"--browser-version", std::to_string(version), "--embed", "DEBUG=on", "--expose"});
        EXPECT_TRUE(run.Has("\"call\":\"NPP_New\",\"instance\":1,\"result\":0"));
        EXPECT_EQ(run.Has("\"call\":\"createobject\""), version >= 14);
        ExpectNothingLeft(run);
    }
}

TEST(TestHost, BrowserWithoutWindowlessSupportGetsNoInstance) {
    HostRun run = Host({"--no-windowless", "--embed", "DEBUG=on"});
    EXPECT_TRUE(run.Has("\"call\":\"NPP_New\",\"instance\":1,\"result\":1"));
    EXPECT_TRUE(run.Has("Windowless mode not supported by the browser"));
    EXPECT_FALSE(run.Has("\"call\":\"memalloc\""));
    ExpectNothingLeft(run);
}

TEST(TestHost, FailedAllocationRefusesTheInstance) {
    HostRun run = Host({"--fail-alloc", "0", "--embed", "", "--expose", "--click", "5,5", "--embed", ""});
    EXPECT_EQ(run.Count("\"call\":\"NPP_New\",\"instance\":"), 2u);
    EXPECT_EQ(run.Count("\"result\":5"), 2u);
    ExpectNothingLeft(run);
}

TEST(TestHost, BrowserTimersRunTheIdleWorkTenTimesASecond) {
    HostRun run = Host({"--timers", "--embed", "", "--run", "1"});
    EXPECT_TRUE(run.Has("\"call\":\"scheduletimer\",\"instance\":1,\"interval\":100,\"repeat\":true"));
    size_t runs = run.Count("\"call\":\"timer\"");
    EXPECT_GE(runs, 9u);
    EXPECT_LE(runs, 11u);
    EXPECT_TRUE(run.Has("\"call\":\"unscheduletimer\""));
    ExpectNothingLeft(run);
}

// Without timers the idle work runs at every eleventh paint, and each paint asks for the next.
TEST(TestHost, WithoutTimersEveryEleventhPaintRunsTheIdleWork) {
    HostRun run = Host({"--embed", "DEBUG=on", "--expose", "34"});
    EXPECT_TRUE(run.Has("Switching to TMTask Timers"));
    EXPECT_FALSE(run.Has("\"call\":\"scheduletimer\""));
    std::vector<int> idleAt;
    int exposes = 0;
    for (const std::string &line : run.log) {
        if (line.find("GraphicsExpose") != std::string::npos) exposes++;
        if (line.find("{\"trace\":\"NPP_GlueTimer\"}") != std::string::npos) idleAt.push_back(exposes);
    }
    // A paint's trace is read after its event is logged.
    EXPECT_EQ(idleAt, (std::vector<int>{11, 22, 33}));
    EXPECT_EQ(run.Count("\"rect\":[0,0,1,1]"), 34u);
    ExpectNothingLeft(run);
}

TEST(TestHost, TheScriptableObjectAnswersThroughItsClass) {
    HostRun run = Host({"--embed", "", "--probe", "loaded,version,totalduration,playedposition,id,style", "--get-value",
                        "15"});
    EXPECT_TRUE(run.Has("\"name\":\"loaded\",\"has\":true,\"value\":\"yes\""));
    EXPECT_TRUE(run.Has("\"name\":\"version\",\"has\":true,\"value\":\""));  // the resource file's 'vers' 1
    EXPECT_TRUE(run.Has("\"name\":\"totalduration\",\"has\":true,\"value\":\"0\""));
    EXPECT_TRUE(run.Has("\"name\":\"playedposition\",\"has\":true,\"value\":\"-1\""));
    EXPECT_TRUE(run.Has("\"name\":\"id\",\"has\":false,\"value\":null"));
    EXPECT_TRUE(run.Has("\"name\":\"style\",\"has\":false,\"value\":null"));
    EXPECT_TRUE(run.Has("\"call\":\"NPP_GetValue\",\"instance\":1,\"variable\":15,\"result\":0"));
    ExpectNothingLeft(run);
}

TEST(TestHost, NullArgumentsAnswerInvalidInstance) {
    HostRun run = Host({"--embed", "", "--null-calls"});
    for (const char *call : {"NPP_New(null)", "NPP_SetWindow(null)", "NPP_HandleEvent(null)",
                             "NPP_HandleEvent(instance,null)", "NPP_Destroy(null)"})
        EXPECT_TRUE(run.Has(std::string("\"call\":\"") + call + "\",\"result\":2")) << call;
    EXPECT_TRUE(run.Has("\"call\":\"NPP_SetWindow(instance,null)\",\"result\":0"));
    ExpectNothingLeft(run);
}

// Twenty instances with hostile parameters, events, a stream cut by a destroy.
TEST(TestHost, TwentyHostileInstances) {
    const char *source = getenv("ORVA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::string score = std::string(source) + "/tests/data/corpus/musicxml/Schumann_The_Wild_Horseman_Op._68_No._8.mxl";
    const std::string kLong(5000, 'x');
    std::vector<std::string> embeds = {
        "TITLEHEIGHT=-32768 KBD_NB_OCTAVES=0 ANGLE=-32768 NUMPAGE=-32768",
        "TITLEHEIGHT=0 ZOOMVALUE=0 LIST_PLAY_MODE=0",
        "TITLEHEIGHT=32767 KBD_FIRST_OCTAVE=32767 LYRICSSCALE=32767",
        "TITLEHEIGHT=abc ZOOMVALUE=abc VOLUME=abc",
        "IMGBKCOLOR= TITLEBKCOLOR=GGGGGG LISTCOLOR=#FFF",
        "SRC=" + kLong + "%",
        "FILENAME=" + kLong + "%4",
        "pluginspage=" + kLong + " COLOR_THEME=" + kLong,
        "LOOK=MOON LOOK=OCEAN look=shadow LANG=FR lang=zz",
        "ZOOMVALUE PLAY_VIEW_ONLY SRC DEBUG",
    };
    std::string unknown;
    for (int i = 0; i < 500; i++) unknown += "N" + std::to_string(i) + "=" + std::to_string(i) + " ";
    embeds.push_back(unknown);
    std::vector<std::string> arguments;
    for (int i = 0; i < 20; i++) {
        arguments.insert(arguments.end(), {"--embed", embeds[size_t(i) % embeds.size()], "--size", "200x150", "--at",
                                           std::to_string(i / 5 * 150) + "," + std::to_string(i % 5 * 200), "--expose",
                                           "--click", "10,10,shift", "--motion", "20,20", "--leave"});
    }
    arguments.insert(arguments.end(), {"--instance", "3", "--stream", score + ",1000,3", "--instance", "4", "--stream",
                                       score + ",4096", "--queued", "--run", "0.3"});
    HostRun run = Host(arguments);
    EXPECT_EQ(run.Count("\"call\":\"NPP_New\",\"instance\":"), 20u);
    EXPECT_EQ(run.Count("\"call\":\"NPP_Destroy\""), 20u);
    EXPECT_FALSE(run.Has("dead-instance"));
    ExpectNothingLeft(run);
}

}  // namespace

// ctest-labels: user-run;plugin-shell
// The plug-in as a user builds and runs it: the build lays out every file the plug-in's folder
// lists, the layout step stops at a missing one and names it, the traced version comes from the
// resource file, an instance is refused when that file is missing or truncated, and the test
// host run by hand: its first paint, its usage, a relative stream and bad input.
#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "support/plugin_support.h"
#include "support/tool_support.h"

namespace {

using plugintest::HostRun;

const char kResourceFile[] = "Ondrak Music Plugin.rsr";

std::string SourceDir() {
    const char *source = getenv("ORVA_SOURCE_DIR");
    return source ? source : "..";
}

std::string Parent(std::string path) { return path.erase(path.rfind('/')); }

bool Exited(const HostRun &run, int code) { return WIFEXITED(run.status) && WEXITSTATUS(run.status) == code; }

// Makes path's folders, as mkdir -p.
void MakeFolders(const std::string &path) {
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        mkdir(path.substr(0, at).c_str(), 0775);
    mkdir(path.c_str(), 0775);
}

TEST(PluginFolder, EveryListedFileIsLaidOutBesideTheLibrary) {
    std::vector<std::string> paths = plugintest::PluginFolderFiles();
    ASSERT_GE(paths.size(), 9u);
    for (const std::string &folder : {std::string(ORVA_PLUGIN_DIR), std::string(ORVA_BROWSER_PLUGIN_DIR)}) {
        for (const std::string &path : paths) {
            SCOPED_TRACE(folder + "/" + path);
            struct stat st;
            ASSERT_EQ(stat((folder + "/" + path).c_str(), &st), 0) << "./test.sh builds both trees";
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_GT(st.st_size, 0);
        }
    }
}

// The layout script run on a build tree of links to this one's files, one of them taken away.
TEST(PluginFolder, TheLayoutStepNamesAMissingFile) {
    const std::string tree = Parent(ORVA_PLUGIN_DIR);
    const char *rows[] = {"", kResourceFile, "Worva/WAdd.rsr", "Worva/beep.brt", "Fonts/OFL.txt"};
    for (const char *removed : rows) {
        SCOPED_TRACE(removed);
        std::string folder = plugintest::NewFolder("layout");
        std::string build = folder + "/build", plugins = folder + "/plugins";
        std::vector<std::string> copied;
        for (const auto &row : plugintest::PluginFolderList()) {
            if (row.second.find('/') == std::string::npos) continue;  // made by mkbank, not copied
            copied.push_back(row.first);
            if (row.first == removed) continue;
            MakeFolders(Parent(build + "/" + row.second));
            ASSERT_EQ(symlink((tree + "/" + row.second).c_str(), (build + "/" + row.second).c_str()), 0);
        }
        // A bank newer than mkbank is not made again.
        MakeFolders(plugins + "/SoundBank");
        ASSERT_TRUE(OrvaTestWriteFile(plugins + "/SoundBank/OMS Basic.rsr", "bank"));
        std::vector<std::string> argv = {ORVA_CMAKE_COMMAND, "-DLIST=" + SourceDir() + "/cmake/plugin_files.txt",
                                         "-DBUILD=" + build, "-DPLUGINS=" + plugins, "-DMKBANK=" + ToolPath("mkbank"),
                                         "-P", SourceDir() + "/cmake/plugin_layout.cmake"};
        plugintest::ChildRun run = plugintest::RunChild(argv, {}, folder, 60000);
        if (removed[0]) {
            EXPECT_FALSE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0);
            EXPECT_NE(run.err.find(std::string("  ") + removed + " (from "), std::string::npos) << run.err;
        } else {
            EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.err;
        }
        for (const std::string &path : copied) {
            if (path == removed) continue;
            EXPECT_EQ(OrvaTestReadFile(plugins + "/" + path), OrvaTestReadFile(tree + "/plugins/" + path)) << path;
            EXPECT_EQ(run.err.find(path + " (from "), std::string::npos) << path;
        }
        plugintest::RemoveFolder(folder);
    }
}

TEST(PluginFolder, TheTracedVersionIsTheResourceFiles) {
    for (const char *installed : {ORVA_PLUGIN_DIR, ORVA_BROWSER_PLUGIN_DIR}) {
        SCOPED_TRACE(installed);
        HostRun run = plugintest::RunHost(ToolPath("nphost"), installed, {"--embed", "DEBUG=on"});
        EXPECT_TRUE(Exited(run, 0)) << run.err;
        EXPECT_TRUE(run.Has("**** Ondrak Music Plug-In V 5.6.2n Compiled "));
        EXPECT_TRUE(run.Has("\"call\":\"NPP_New\",\"instance\":1,\"result\":0"));
    }
}

void TruncateResourceFile(const std::string &plugins) {
    std::string whole = OrvaTestReadFile(std::string(ORVA_PLUGIN_DIR) + "/" + kResourceFile);
    OrvaTestWriteFile(plugins + "/" + kResourceFile, whole.substr(0, 100));
}

// Without its resource file the plug-in starts, says why once in its trace, and refuses the
// page's instance, which then gets no window and paints nothing.
TEST(PluginFolder, WithoutItsResourceFileTheInstanceIsRefused) {
    struct Row {
        const char *label;
        void (*prepare)(const std::string &plugins);
    } rows[] = {{"removed", nullptr}, {"truncated", TruncateResourceFile}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        HostRun run = plugintest::RunHost(ToolPath("nphost"), ORVA_PLUGIN_DIR, {"--embed", "DEBUG=on", "--expose"},
                                          {kResourceFile}, row.prepare);
        EXPECT_TRUE(Exited(run, 0)) << run.err;
        EXPECT_TRUE(run.Has("\"call\":\"NP_Initialize\",\"result\":0"));
        EXPECT_TRUE(run.Has("\"call\":\"NPP_New\",\"instance\":1,\"result\":1"));
        EXPECT_EQ(run.Count("Impossible to find resource file in "), 1u);
        EXPECT_FALSE(run.Has("\"call\":\"NPP_SetWindow\""));
        EXPECT_FALSE(run.Has("\"call\":\"invalidaterect\""));
        EXPECT_TRUE(run.Has("{\"threads_left\":0,\"objects_left\":0,\"blocks_left\":0}"));
    }
}

// The host's first paint is the loading face: the drawable it made is the plug-in's to paint.
TEST(PluginFolder, TheHostSeesTheFirstPaint) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    HostRun run = plugintest::RunHost(ToolPath("nphost"), ORVA_PLUGIN_DIR, {"--embed", "", "--expose", "--pixel", "5,5"});
    EXPECT_TRUE(Exited(run, 0)) << run.err;
    EXPECT_TRUE(run.Has("{\"pixel\":[5,5],\"rgb\":\"E0E0E0\"}"));
}

void WriteScoreBesideThePlugins(const std::string &plugins) {
    std::string score = OrvaTestReadFile(SourceDir() + "/tests/data/corpus/musicxml/Schumann_The_Wild_Horseman_Op._68_No._8.mxl");
    OrvaTestWriteFile(Parent(plugins) + "/score.mxl", score);
}

// A stream named relative to where nphost started is read from there, though the plug-in
// made its own folder current.
TEST(PluginFolder, TheHostStreamsARelativePath) {
    HostRun run = plugintest::RunHost(ToolPath("nphost"), ORVA_PLUGIN_DIR, {"--embed", "", "--stream", "score.mxl"}, {},
                                      WriteScoreBesideThePlugins);
    EXPECT_TRUE(Exited(run, 0)) << run.err;
    EXPECT_FALSE(run.Has("stream-missing"));
    EXPECT_TRUE(run.Has("\"call\":\"NPP_DestroyStream\",\"instance\":1,\"result\":0"));
    EXPECT_GE(run.Count("\"call\":\"NPP_Write\""), 2u);
}

// Asked for help, or given what it cannot do, nphost says so and ends with a status.
TEST(PluginFolder, TheHostAnswersBadInputWithAMessage) {
    struct Row {
        std::vector<std::string> arguments;
        int exit;
        const char *said;  // in its output (help) or its error output
    } rows[] = {
        {{"--help"}, 0, "usage: nphost PLUGIN.so"},
        {{"--embed", "", "--stream", "missing.mxl"}, 1, "nphost: cannot stream "},
        {{"--embed", "", "--size", "100x100", "--pixel", "100,5"}, 1, "nphost: no pixel at 100,5"},
        {{"--embed", "", "--pixel", "-1,5"}, 1, "nphost: no pixel at -1,5"},
        {{"--expose"}, 1, "nphost: --expose names no instance"},
        {{"--embed", "", "--instance", "3", "--expose"}, 1, "nphost: --expose names no instance"},
        {{"--no-such-option"}, 2, "nphost: unknown or incomplete option --no-such-option"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.arguments[0] + " " + row.said);
        HostRun run = plugintest::RunHost(ToolPath("nphost"), ORVA_PLUGIN_DIR, row.arguments);
        EXPECT_TRUE(Exited(run, row.exit)) << run.status << " " << run.err;
        bool said = run.err.find(row.said) != std::string::npos || run.Has(row.said);
        EXPECT_TRUE(said) << run.err;
    }
    for (const std::vector<std::string> &argv :
         {std::vector<std::string>{ToolPath("nphost"), "/no/such/npondrakmusic.so"},
          std::vector<std::string>{ToolPath("nphost"), "--embed", ""}, std::vector<std::string>{ToolPath("nphost")}}) {
        SCOPED_TRACE(argv.back());
        std::string folder = plugintest::NewFolder("nphost");
        plugintest::ChildRun run = plugintest::RunChild(argv, {}, folder, 60000);
        plugintest::RemoveFolder(folder);
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) >= 2) << run.err;
        EXPECT_NE(run.err.find("nphost: "), std::string::npos) << run.err;
    }
}

}  // namespace

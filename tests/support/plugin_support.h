// The plug-in run inside the test's own process behind the test host's emulated browser:
// started once for the program (NP_Initialize makes the plug-in's folder current, so a fresh
// folder is made current afterwards and receives the trace), instances made from parameter
// lists, and the host's log searched. Needs the host library (tools/nphost) linked in.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "browser_host.h"
#include "plugin/glue.h"
#include "plugin/host_services.h"
#include "support/child_process.h"
#include "support/resource_test_support.h"
#include "support/test_home.h"

namespace plugintest {

// The host and the plug-in for the whole test program; stopped by the environment's TearDown.
class PlugInEnvironment : public ::testing::Environment {
public:
    explicit PlugInEnvironment(NpHostOptions options) : options_(std::move(options)) {}
    void SetUp() override {
        ASSERT_TRUE(NpHostStart(options_));
        NpHostPlugin plugin = {NP_GetMIMEDescription, NP_GetValue, NP_Initialize, NP_Shutdown};
        ASSERT_EQ(NpHostInitialize(plugin), NPERR_NO_ERROR);
        folder_ = restest::FreshFolder();
        ASSERT_FALSE(folder_.empty());
        NpHostSetTraceFolder(folder_);
    }
    void TearDown() override {
        NpHostRunQueued();
        NpHostEnd();
    }
    const std::string &Folder() const { return folder_; }

private:
    NpHostOptions options_;
    std::string folder_;
};

// A temporary folder of the program's own, made TMPDIR before anything asks for it (GLib keeps
// its first answer): the plug-in's cache folder then lies inside. For a static initialiser
// that runs before the environment starts the plug-in.
inline std::string OwnTemporaryFolder() {
    std::string folder = OrvaTestHome() + "/tmp";
    mkdir(folder.c_str(), 0700);
    setenv("TMPDIR", folder.c_str(), 1);
    return folder;
}

// The cache files ("F...") in the plug-in's cache folder.
inline std::vector<std::string> CacheFilesIn(const std::string &folder) {
    std::vector<std::string> names;
    DIR *dir = opendir(folder.c_str());
    while (dir) {
        struct dirent *entry = readdir(dir);
        if (!entry) break;
        if (entry->d_name[0] == 'F') names.push_back(entry->d_name);
    }
    if (dir) closedir(dir);
    return names;
}

inline NpHostParams Params(const std::vector<std::pair<std::string, std::string>> &pairs) {
    NpHostParams params;
    for (const auto &p : pairs) params.push_back(NpHostParam{p.first, p.second, true});
    return params;
}

// A new instance with a window; its index.
inline int NewInstance(const NpHostParams &params, const NpHostElement &element = NpHostElement()) {
    NPError result = NPERR_GENERIC_ERROR;
    int index = NpHostNew(params, element, &result);
    EXPECT_EQ(result, NPERR_NO_ERROR);
    if (result == NPERR_NO_ERROR) {
        EXPECT_EQ(NpHostSetWindow(index), NPERR_NO_ERROR);
    }
    return index;
}

// Log lines from position `from` on that contain every one of the texts.
inline std::vector<std::string> LogLinesWith(size_t from, const std::vector<std::string> &texts) {
    std::vector<std::string> found;
    const std::vector<std::string> &log = NpHostLog();
    for (size_t i = from; i < log.size(); i++) {
        bool all = true;
        for (const std::string &t : texts) all = all && log[i].find(t) != std::string::npos;
        if (all) found.push_back(log[i]);
    }
    return found;
}

// A new empty folder under the tests' temporary folder.
inline std::string NewFolder(const std::string &stem) {
    const char *base = getenv("ORVA_TEST_TMP");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + stem + "-XXXXXX";
    if (!mkdtemp(&pattern[0])) return std::string();
    char *resolved = realpath(pattern.c_str(), nullptr);  // the plug-in traces getcwd's answer
    std::string folder = resolved ? resolved : pattern;
    free(resolved);
    return folder;
}

// Removes a folder made by NewFolder with everything in it.
inline void RemoveFolder(const std::string &folder) {
    if (folder.empty()) return;
    nftw(folder.c_str(), [](const char *path, const struct stat *, int, struct FTW *) { return remove(path); }, 16,
         FTW_DEPTH | FTW_PHYS);
}

// The rows of cmake/plugin_files.txt in its order: a path in the plug-in's folder and what it
// is made from.
inline std::vector<std::pair<std::string, std::string>> PluginFolderList() {
    const char *source = getenv("ORVA_SOURCE_DIR");
    std::string list = OrvaTestReadFile(std::string(source ? source : "..") + "/cmake/plugin_files.txt");
    std::vector<std::pair<std::string, std::string>> rows;
    size_t start = 0;
    for (size_t end; (end = list.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = list.substr(start, end - start);
        size_t bar = line.find('|');
        if (!line.empty() && line[0] != '#' && bar != std::string::npos) rows.push_back({line.substr(0, bar), line.substr(bar + 1)});
    }
    return rows;
}

// The paths of the plug-in's folder that the list names.
inline std::vector<std::string> PluginFolderFiles() {
    std::vector<std::string> paths;
    for (const auto &row : PluginFolderList()) paths.push_back(row.first);
    return paths;
}

// A plug-in folder of its own in folder/plugins, made from an installed one: the library is
// copied (a browser resolves links, and the plug-in works and traces in its own folder), the
// folders and files the list names are linked, except those named in leftOut. Answers the
// folder, or "" when the library or a listed file is missing.
inline std::string MakePluginFolder(const std::string &installed, const std::string &folder,
                                    const std::vector<std::string> &leftOut = {}) {
    std::string plugins = folder + "/plugins";
    std::string library = OrvaTestReadFile(installed + "/npondrakmusic.so");
    std::vector<std::string> paths = PluginFolderFiles();
    if (library.empty() || paths.empty() || mkdir(plugins.c_str(), 0775) != 0) return std::string();
    if (!OrvaTestWriteFile(plugins + "/npondrakmusic.so", library)) return std::string();
    for (const std::string &path : paths) {
        struct stat st;
        if (stat((installed + "/" + path).c_str(), &st) != 0) return std::string();
        std::string top = path.substr(0, path.find('/'));
        bool skipped = false;
        for (const std::string &name : leftOut) skipped = skipped || name == top;
        if (skipped || lstat((plugins + "/" + top).c_str(), &st) == 0) continue;
        if (symlink((installed + "/" + top).c_str(), (plugins + "/" + top).c_str()) != 0) return std::string();
    }
    return plugins;
}

struct ChildRun {
    int status = -1;  // wait status; -1 killed after the time allowed
    std::string out, err;
};

// Runs argv with these NAME=VALUE additions to the environment, in folder.
inline ChildRun RunChild(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                         const std::string &folder, int timeoutMs) {
    ChildOptions options;
    options.folder = folder;
    options.env = env;
    options.stdoutPath = folder + "/stdout.txt";
    options.stderrPath = folder + "/stderr.txt";
    ChildRun run;
    pid_t pid = OrvaStartChild(argv, options);
    if (pid < 0) return run;
    run.status = OrvaWaitChild(pid, timeoutMs);
    run.out = OrvaTestReadFile(options.stdoutPath);
    run.err = OrvaTestReadFile(options.stderrPath);
    return run;
}

// Whether a sanitizer reported anything in a child's error output.
inline bool SanitizerReported(const std::string &err) {
    return err.find("Sanitizer") != std::string::npos || err.find("runtime error:") != std::string::npos;
}

// A run of tools/nphost: its log lines, error output and wait status.
struct HostRun {
    std::vector<std::string> log;
    std::string err;
    int status = -1;
    bool Has(const std::string &text) const {
        for (const std::string &line : log)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    size_t Count(const std::string &text) const {
        size_t n = 0;
        for (const std::string &line : log) n += line.find(text) != std::string::npos;
        return n;
    }
};

// nphost (the host program at hostPath) in a fresh folder on a plug-in folder made there from
// installed, without the files of leftOut (see MakePluginFolder), then prepare(plugins) if
// given; arguments follow the library's path. The folder is removed afterwards.
inline HostRun RunHost(const std::string &hostPath, const std::string &installed, const std::vector<std::string> &arguments,
                       const std::vector<std::string> &leftOut = {}, void (*prepare)(const std::string &plugins) = nullptr) {
    HostRun run;
    std::string folder = NewFolder("nphost");
    std::string plugins = MakePluginFolder(installed, folder, leftOut);
    EXPECT_FALSE(plugins.empty()) << "no library or listed file in " << installed;
    if (plugins.empty()) {
        RemoveFolder(folder);
        return run;
    }
    if (prepare) prepare(plugins);
    std::vector<std::string> argv = {hostPath, plugins + "/npondrakmusic.so"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildRun child = RunChild(argv, {"HOME=" + folder, "TMPDIR=" + folder}, folder, 120000);
    RemoveFolder(folder);
    run.status = child.status;
    run.err = child.err;
    size_t start = 0;
    for (size_t end; (end = child.out.find('\n', start)) != std::string::npos; start = end + 1)
        run.log.push_back(child.out.substr(start, end - start));
    EXPECT_FALSE(SanitizerReported(run.err)) << run.err;
    return run;
}

}  // namespace plugintest

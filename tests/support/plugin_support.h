// The plug-in run inside the test's own process behind the test host's emulated browser:
// started once for the program (NP_Initialize makes the plug-in's folder current, so a fresh
// folder is made current afterwards and receives the trace), instances made from parameter
// lists, and the host's log searched. Needs the host library (tools/nphost) linked in.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser_host.h"
#include "plugin/glue.h"
#include "plugin/host_services.h"
#include "support/resource_test_support.h"

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
        NpHostDestroyAll();
        NpHostRunQueued();
        NpHostShutdown();
        NpHostStop();
    }
    const std::string &Folder() const { return folder_; }

private:
    NpHostOptions options_;
    std::string folder_;
};

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

}  // namespace plugintest

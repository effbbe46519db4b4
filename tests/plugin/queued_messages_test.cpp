// ctest-labels: user-run;plugin-shell;threads
// Messages the plug-in cannot show where they arise (on another thread, or at start-up before
// any window exists) wait in the error sink's queue: the instance's timer shows them on the
// browser's main thread, and with DEBUG=on each is a line of the trace too.
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/runtime.h"
#include "support/plugin_support.h"

namespace {

NpHostOptions WithTimers() {
    NpHostOptions options;
    options.timers = true;
    return options;
}

::testing::Environment *const gPlugIn =
    ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(WithTimers()));

std::mutex gLock;
std::vector<std::string> gShown;  // what the sink showed, and whether on the main thread
bool gAllOnMainThread = true;

void Show(const char *message) {
    std::lock_guard<std::mutex> hold(gLock);
    gShown.push_back(message);
    gAllOnMainThread = gAllOnMainThread && OrvaIsMainThread();
}

std::vector<std::string> Shown() {
    std::lock_guard<std::mutex> hold(gLock);
    return gShown;
}

TEST(QueuedMessages, TheTimerShowsAndTracesAMessageFromAnotherThread) {
    OrvaSetErrorHook(Show);
    int k = plugintest::NewInstance(plugintest::Params({{"DEBUG", "on"}}));
    NpHostRun(0.15);
    size_t from = NpHostLog().size();
    std::thread([] { OrvaErreur("raised on another thread"); }).join();
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(plugintest::LogLinesWith(from, {"raised on another thread"}).empty());
    NpHostRun(0.25);  // two timer calls or more
    EXPECT_EQ(Shown(), std::vector<std::string>{"raised on another thread"});
    EXPECT_TRUE(gAllOnMainThread);
    EXPECT_EQ(plugintest::LogLinesWith(from, {"\"trace\":\"OrvaErreur : raised on another thread\""}).size(), 1u);
    EXPECT_GE(plugintest::LogLinesWith(from, {"\"call\":\"timer\""}).size(), 2u);
    NpHostDestroy(k);
    OrvaSetErrorHook(nullptr);
}

}  // namespace

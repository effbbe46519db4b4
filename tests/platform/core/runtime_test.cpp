// ctest-labels: threads
// The error sink across threads, the message hooks, the main-thread identity, the wheel router
// and the small process-wide values of the runtime core.
#include "platform/core/runtime.h"

#include <atomic>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/preferences.h"
#include "platform/core/time_manager.h"
#include "support/message_catcher.h"

namespace {

struct Delivery {
    std::string message;
    bool onMainThread;
};

std::mutex gLock;
std::vector<Delivery> gDelivered;
void (*gWhileShown)() = nullptr;  // runs inside the hook, while the message is shown

void CaptureHook(const char *message) {
    {
        std::lock_guard<std::mutex> guard(gLock);
        gDelivered.push_back({message, OrvaIsMainThread() != 0});
    }
    if (gWhileShown) gWhileShown();
}

std::vector<Delivery> Delivered() {
    std::lock_guard<std::mutex> guard(gLock);
    return gDelivered;
}

class ErrorSink : public ::testing::Test {
protected:
    void SetUp() override {
        OrvaSetErrorHook(CaptureHook);
        OrvaPumpErrors();  // nothing left over from another test
        std::lock_guard<std::mutex> guard(gLock);
        gDelivered.clear();
    }
    void TearDown() override {
        gWhileShown = nullptr;
        orvaSettings.pluginFlag = 0;
        OrvaPumpErrors();
        OrvaSetErrorHook(nullptr);
    }
};

struct RaisingTask {
    TMTask task;
    std::atomic<bool> raised{false};
};

void RaiseFromTheTimerThread(TMTaskPtr t) {
    OrvaErreur("raised on the timer thread");
    reinterpret_cast<RaisingTask *>(t)->raised.store(true);
}

TEST_F(ErrorSink, AMessageFromTheTimerThreadWaitsForTheMainThreadsPump) {
    RaisingTask t;
    memset(&t.task, 0, sizeof t.task);
    t.task.tmAddr = RaiseFromTheTimerThread;
    OrvaStartTimer1000();
    PrimeTime(&t.task, 1);
    time_t start = time(nullptr);
    while (!t.raised.load() && time(nullptr) - start < 10) SystemDependantSleepMs(1);
    RmvTime(&t.task);
    OrvaStopTimer1000();
    SystemDependantStopTimer();
    ASSERT_TRUE(t.raised.load());

    EXPECT_TRUE(Delivered().empty());  // not on the timer thread, not before the pump
    OrvaPumpErrors();
    std::vector<Delivery> d = Delivered();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].message, "raised on the timer thread");
    EXPECT_TRUE(d[0].onMainThread);
    OrvaPumpErrors();
    EXPECT_EQ(Delivered().size(), 1u);  // delivered once
}

void RaiseTwoMore() {
    OrvaErreur("second, from the main thread");
    std::thread other([] { OrvaErreur("third, from another thread"); });
    other.join();
}

TEST_F(ErrorSink, MessagesArrivingWhileOneIsShownAreDropped) {
    gWhileShown = RaiseTwoMore;
    OrvaErreur("first");
    gWhileShown = nullptr;
    OrvaPumpErrors();
    std::vector<Delivery> d = Delivered();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].message, "first");
    EXPECT_TRUE(d[0].onMainThread);
    OrvaErreur("after it was closed");  // on the main thread: shown at once
    EXPECT_EQ(Delivered().size(), 2u);
}

TEST_F(ErrorSink, InThePluginEvenTheMainThreadWaitsForThePump) {
    orvaSettings.pluginFlag = 1;
    OrvaErreur("no modal loop in the browser");
    EXPECT_TRUE(Delivered().empty());
    OrvaPumpErrors();
    ASSERT_EQ(Delivered().size(), 1u);
    EXPECT_EQ(Delivered()[0].message, "no modal loop in the browser");
}

// A message that waited for the pump is a line of the trace as well as shown.
TEST_F(ErrorSink, APumpedMessageIsTracedOnce) {
    orvaSettings.pluginFlag = 1;
    MessageCatcher catcher;
    std::thread([] { OrvaErreur("queued on another thread"); }).join();
    OrvaErreur("queued before any window");
    EXPECT_EQ(catcher.Count("queued"), 0u);
    OrvaPumpErrors();
    ASSERT_EQ(Delivered().size(), 2u);
    EXPECT_EQ(catcher.traces, (std::vector<std::string>{"OrvaErreur : queued on another thread",
                                                        "OrvaErreur : queued before any window"}));
    OrvaPumpErrors();
    EXPECT_EQ(catcher.Count("queued"), 2u);
}

TEST_F(ErrorSink, OnlyTheMainThreadPumpsAndAFloodIsBounded) {
    std::thread raiser([] {
        char text[32];
        for (int i = 0; i < 100; i++) {
            snprintf(text, sizeof text, "message %d", i);
            OrvaErreur(text);
        }
        OrvaPumpErrors();  // not the main thread: shows nothing
    });
    raiser.join();
    EXPECT_TRUE(Delivered().empty());
    OrvaPumpErrors();
    std::vector<Delivery> d = Delivered();
    ASSERT_GE(d.size(), 1u);
    EXPECT_LE(d.size(), 32u);
    for (size_t i = 0; i < d.size(); i++) EXPECT_EQ(d[i].message, "message " + std::to_string(i));
}

TEST_F(ErrorSink, FormattedMessagesAndNull) {
    OrvaErreurF("Fichier %s inconnu dans %s", "Cadenzo.rsr", "/tmp");
    OrvaErreur(nullptr);
    OrvaErreurF(nullptr);
    ASSERT_EQ(Delivered().size(), 1u);
    EXPECT_EQ(Delivered()[0].message, "Fichier Cadenzo.rsr inconnu dans /tmp");
}

TEST_F(ErrorSink, WithoutAHookOrADialogTheMessageIsTraced) {
    OrvaSetErrorHook(nullptr);  // the test runs ask for no dialogs
    ::testing::internal::CaptureStderr();
    OrvaErreur("StartTimer1000: Impossible de lancer un timer");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("StartTimer1000: Impossible de lancer un timer"), std::string::npos) << err;
}

std::vector<std::string> gRoutines;  // what the installed message routines were given
const OrvaMessageHooks kRoutines = {
    [](const char *m) { gRoutines.push_back(std::string("collapse ") + m); },
    [](const char *m) { gRoutines.push_back(std::string("message ") + m); },
    [](SInt16 code) { gRoutines.push_back("warning " + std::to_string(code)); },
    [](const char *m) { gRoutines.push_back(std::string("trace ") + m); },
};

TEST_F(ErrorSink, MessagesReachTheErrorSinkUntilThePluginInstallsItsRoutines) {
    std::string longText(600, 'x');
    Collapse("Collapse %d %s", 1, longText.c_str());
    Message(0, 0, "Message %s", "two");
    PlugTrace("nowhere to go");
    AvertissementVrac(261);
    std::vector<Delivery> d = Delivered();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].message, ("Collapse 1 " + longText).substr(0, 511));  // cut at 511 characters
    EXPECT_EQ(d[1].message, "Message two");
    OrvaSetMessageHooks(&kRoutines);
    Collapse("PBHGetVol : error# %d", -43);
    Message(1, 2, "%s", "shown");
    AvertissementVrac(261);
    PlugTrace("line %d", 3);
    OrvaSetMessageHooks(nullptr);
    EXPECT_EQ(gRoutines, (std::vector<std::string>{"collapse PBHGetVol : error# -43", "message shown", "warning 261",
                                                   "trace line 3"}));
    EXPECT_EQ(Delivered().size(), 2u);
}

// Every floor's warning codes reach the trace when the plug-in fills no warning slot.
TEST_F(ErrorSink, AWarningCodeWithoutAWarningSlotIsTraced) {
    static const OrvaMessageHooks kTraceOnly = {nullptr, nullptr, nullptr, kRoutines.trace};
    gRoutines.clear();
    OrvaSetMessageHooks(&kTraceOnly);
    AvertissementVrac(261);
    OrvaSetMessageHooks(nullptr);
    EXPECT_EQ(gRoutines, (std::vector<std::string>{"trace Notice 261"}));
    EXPECT_TRUE(Delivered().empty());
}

TEST(MainThread, OnlyTheRecordedThreadIsTheMainOne) {
    EXPECT_TRUE(OrvaIsMainThread());
    bool otherIsMain = true;
    std::thread([&] { otherIsMain = OrvaIsMainThread(); }).join();
    EXPECT_FALSE(otherIsMain);
    std::thread([] { OrvaSetMainThread(); }).join();
    EXPECT_FALSE(OrvaIsMainThread());
    OrvaSetMainThread();
    EXPECT_TRUE(OrvaIsMainThread());
}

SInt16 gRouted;
Boolean Route(SInt16 delta) {
    gRouted = delta;
    return kTrue;
}

TEST(Runtime, WheelTurnsGoToTheRouterWhileTheWheelIsProcessed) {
    EXPECT_TRUE(OrvaGetProcessMouseWheel());
    EXPECT_FALSE(OrvaProcessWheelMouse(3));  // no window layer to route it
    OrvaSetWheelRouter(Route);
    EXPECT_TRUE(OrvaProcessWheelMouse(3));
    EXPECT_EQ(gRouted, 3);
    OrvaSetProcessMouseWheel(kFalse);
    EXPECT_FALSE(OrvaProcessWheelMouse(-3));
    EXPECT_EQ(gRouted, 3);
    OrvaSetProcessMouseWheel(kTrue);
    OrvaSetWheelRouter(nullptr);
}

TEST(Runtime, WorkingFolderKeepsAtMost1023Characters) {
    char path[1024];
    OrvaSetWorkingDir("/home/user/Scores");
    OrvaGetWorkingDir(path);
    EXPECT_STREQ(path, "/home/user/Scores");
    std::string longPath(2000, 'x');
    OrvaSetWorkingDir(longPath.c_str());
    OrvaGetWorkingDir(path);
    EXPECT_EQ(strlen(path), 1023u);
}

TEST(Runtime, TheFontCheckSucceedsAndThePreferenceStoreKeepsNothing) {
    EXPECT_TRUE(VerifieInstallationWorva());
    SystemDependantSetPrefString("Fontes", "Arial", "E200");
    char value[8] = "garbage";
    EXPECT_EQ(SystemDependantGetPrefString("Fontes", "Arial", "", value, sizeof value), 0);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(SystemDependantGetPrefString("Chemin", "WORVA", "a long default", value, sizeof value), 7);
    EXPECT_STREQ(value, "a long ");
}

}  // namespace

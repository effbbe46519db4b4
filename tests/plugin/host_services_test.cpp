// ctest-labels: threads
// The host's settings, the device-name buffer, the trace log and Collapse.
#include "plugin/host_services.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/core/runtime.h"
#include "support/resource_test_support.h"
#include "support/test_home.h"
#include "toolbox/toolbox_services.h"

namespace {

struct AlertSeen {
    int count = 0;
    SInt16 id = 0;
    std::string params[4];
};
AlertSeen gAlert;

SInt16 AlertHook(SInt16 alertID, const unsigned char *const params[4]) {
    gAlert.count++;
    gAlert.id = alertID;
    for (int i = 0; i < 4; i++) gAlert.params[i].assign(reinterpret_cast<const char *>(params[i] + 1), params[i][0]);
    return 1;
}

std::string gSinkMessage;
void SinkHook(const char *message) { gSinkMessage = message; }

// Each test works in a folder of its own, where the trace log is written.
class HostServices : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(restest::FreshFolder().empty());
        gAlert = AlertSeen();
        OrvaSetAlertHook(AlertHook);
    }
    void TearDown() override {
        OrvaSetAlertHook(nullptr);
        PlugSetTrace(kFalse);
    }
    std::string TraceLog() { return OrvaTestReadFile("OndrakMusicPlugin.txt"); }
};

TEST_F(HostServices, InitSettingsMakesThePluginSettingsAndRecordsTheMainThread) {
    OrvaSettings saved = orvaSettings;
    std::thread([] { OrvaSetMainThread(); }).join();
    OrvaInitSettings();
    EXPECT_STREQ(orvaSettings.applicationName, "Ondrak Music Plug-in");
    EXPECT_TRUE(OrvaIsPlugin());
    EXPECT_EQ(orvaSettings.singleInstance, 1);
    EXPECT_EQ(orvaSettings.alertFlag, 1);
    EXPECT_EQ(orvaSettings.windowSystemMode, 1);
    EXPECT_EQ(orvaSettings.noMenuBar, 1);
    EXPECT_EQ(orvaSettings.systemFontMode, 1);
    ASSERT_NE(orvaSettings.instanceRect, nullptr);
    Rect r = {1, 2, 3, 4};
    orvaSettings.instanceRect(nullptr, &r);  // no instance shows in any window yet
    EXPECT_EQ(r.bottom - r.top, 0);
    EXPECT_TRUE(OrvaIsMainThread());
    orvaSettings = saved;
}

TEST_F(HostServices, CollapseShowsAlert300AndTracesWhenTracingIsOn) {
    Collapse("PlugIn Error : # %d: %s", 54878, "Not enough memory.");
    EXPECT_EQ(gAlert.count, 1);
    EXPECT_EQ(gAlert.id, 300);
    EXPECT_EQ(gAlert.params[0], "PlugIn Error : # 54878: Not enough memory.");
    EXPECT_EQ(gAlert.params[1], "");
    EXPECT_EQ(gAlert.params[3], "");
    EXPECT_EQ(TraceLog(), "");  // tracing is off
    PlugSetTrace(kTrue);
    std::string longText(2000, 'a');
    Collapse("Can't create dialog %s", longText.c_str());
    std::string log = TraceLog();
    // "d/m/yyyy hh:mm:ss:Collapse : <message>"; a trace line's text holds 511 bytes.
    size_t at = log.find(":Collapse : Can't create dialog aaa");
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.size() - at, 1 + 511 + 1u);
    EXPECT_EQ(log.back(), '\n');
    EXPECT_EQ(gAlert.params[0].size(), 255u);  // an alert text holds 255 characters
}

TEST_F(HostServices, CollapseOffTheMainThreadGoesToTheErrorSink) {
    OrvaSetErrorHook(SinkHook);
    gSinkMessage.clear();
    std::thread([] { Collapse("from the audio thread"); }).join();
    EXPECT_EQ(gAlert.count, 0);
    OrvaPumpErrors();
    EXPECT_EQ(gSinkMessage, "from the audio thread");
    OrvaSetErrorHook(nullptr);
}

}  // namespace

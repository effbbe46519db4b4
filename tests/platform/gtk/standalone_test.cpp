// ctest-labels: periphery
// The standalone start-up run as orva-demo-app child processes: a second start hands its
// documents to the first, over the message queue, whatever the queue is fed; and the names
// the hand-over is built on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mqueue.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/core/runtime.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/standalone.h"
#include "support/child_process.h"
#include "support/test_home.h"

namespace {

constexpr int kChildTimeoutMs = 120000;  // only a hung child waits this long

// One scenario: its own folder, home and application name (so its own queue and pid file).
class HandOver : public ::testing::Test {
protected:
    std::string folder, name, log;
    pid_t first = -1;

    void SetUp() override {
        if (!getenv("DISPLAY")) GTEST_SKIP() << "no display";
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        name = std::string("orva-test-") + info->name() + "-" + std::to_string(getpid());
        folder = OrvaTestHome() + "/" + info->name();
        mkdir(folder.c_str(), 0755);
        log = folder + "/first.txt";
    }

    void TearDown() override {
        if (first > 0) {
            kill(first, SIGTERM);
            OrvaWaitChild(first, kChildTimeoutMs);
        }
    }

    ChildOptions Options(const std::string &out) const {
        ChildOptions options;
        options.folder = folder;
        options.env = {"HOME=" + folder, "XDG_CONFIG_HOME=" + folder + "/cfg", "ORVA_DEMO_APP_NAME=" + name};
        options.stdoutPath = folder + "/" + out + ".txt";
        options.stderrPath = folder + "/" + out + ".err";
        return options;
    }

    std::string PidFile() const { return folder + "/cfg/example.ondrak." + name + ".pid"; }

    void StartFirst(const std::vector<std::string> &arguments = {}) {
        std::vector<std::string> argv{OrvaToolPath("orva-demo-app")};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        first = OrvaStartChild(argv, Options("first"));
        ASSERT_GT(first, 0);
        ASSERT_TRUE(OrvaWaitForText(log, "ready: " + name, kChildTimeoutMs)) << OrvaTestReadFile(log);
    }

    // Starts a second instance with the arguments and answers its exit code (-1: no exit).
    int RunSecond(const std::vector<std::string> &arguments) {
        std::vector<std::string> argv{OrvaToolPath("orva-demo-app")};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        pid_t pid = OrvaStartChild(argv, Options("second"));
        int status = OrvaWaitChild(pid, kChildTimeoutMs);
        return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Stops the first instance and answers its exit code.
    int StopFirst() {
        kill(first, SIGTERM);
        int status = OrvaWaitChild(first, kChildTimeoutMs);
        first = -1;
        return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

}  // namespace

TEST_F(HandOver, SecondStartHandsItsDocumentsToTheFirstAndEndsWithZero) {
    StartFirst();
    EXPECT_EQ(OrvaTestReadFile(PidFile()), std::to_string(first));
    EXPECT_EQ(RunSecond({"x.oms", "y.oms"}), 0) << OrvaTestReadFile(folder + "/second.err");
    EXPECT_TRUE(OrvaWaitForText(log, "open x.oms in " + folder + "/\n", kChildTimeoutMs)) << OrvaTestReadFile(log);
    EXPECT_TRUE(OrvaWaitForText(log, "open y.oms in " + folder + "/\n", kChildTimeoutMs)) << OrvaTestReadFile(log);
    EXPECT_EQ(OrvaTestReadFile(folder + "/second.txt"), "") << "the second start never ran the application";

    // A start without documents only asks for the focus.
    EXPECT_EQ(RunSecond({}), 0);
    EXPECT_EQ(StopFirst(), 0);
    std::string text = OrvaTestReadFile(log);
    EXPECT_EQ(text, "ready: " + name + "\nopen x.oms in " + folder + "/\nopen y.oms in " + folder + "/\nstopped\n");
    struct stat info;
    EXPECT_NE(stat(PidFile().c_str(), &info), 0) << "the pid file goes at exit";
}

TEST_F(HandOver, TwelveDocumentsAllArriveThroughTheTenMessageQueue) {
    StartFirst();
    std::vector<std::string> documents;
    for (int i = 1; i <= 12; i++) documents.push_back(folder + "/doc" + std::to_string(i) + ".oms");
    documents[5] = "sub dir/it's.oms";  // relative, with a blank and a quote
    mkdir((folder + "/sub dir").c_str(), 0755);
    EXPECT_EQ(RunSecond(documents), 0) << OrvaTestReadFile(folder + "/second.err");
    ASSERT_TRUE(OrvaWaitForText(log, "open doc12.oms", kChildTimeoutMs)) << OrvaTestReadFile(log);
    std::string text = OrvaTestReadFile(log);
    EXPECT_NE(text.find("open it's.oms in " + folder + "/sub dir/\n"), std::string::npos) << text;
    for (int i = 1; i <= 12; i++) {
        if (i == 6) continue;
        EXPECT_NE(text.find("open doc" + std::to_string(i) + ".oms in " + folder + "/\n"), std::string::npos) << i;
    }
}

TEST_F(HandOver, StalePidFileOfAnotherProgramIsOverwritten) {
    mkdir((folder + "/cfg").c_str(), 0755);
    // This test program is alive but is not orva-demo-app.
    ASSERT_TRUE(OrvaTestWriteFile(PidFile(), std::to_string(getpid())));
    StartFirst({"own.oms"});
    EXPECT_EQ(OrvaTestReadFile(PidFile()), std::to_string(first));
    EXPECT_TRUE(OrvaWaitForText(log, "open own.oms in " + folder + "/\n", kChildTimeoutMs)) << "its own document";
    EXPECT_EQ(RunSecond({"z.oms"}), 0);
    EXPECT_TRUE(OrvaWaitForText(log, "open z.oms in " + folder + "/\n", kChildTimeoutMs));
}

TEST_F(HandOver, OverlongPathIsSkippedAndTheSecondStartEndsWithOne) {
    StartFirst();
    std::string longName(9000, 'L');
    EXPECT_EQ(RunSecond({longName, "ok.oms"}), 1);
    EXPECT_NE(OrvaTestReadFile(folder + "/second.err").find("too long"), std::string::npos);
    EXPECT_TRUE(OrvaWaitForText(log, "open ok.oms in " + folder + "/\n", kChildTimeoutMs));
}

TEST_F(HandOver, DocumentsThatFindNoRoomMakeTheSecondStartEndWithOne) {
    StartFirst();
    kill(first, SIGSTOP);  // alive, but reading nothing: the queue fills at ten
    std::vector<std::string> documents;
    for (int i = 1; i <= 11; i++) documents.push_back("d" + std::to_string(i) + ".oms");
    int result = RunSecond(documents);
    kill(first, SIGCONT);
    EXPECT_EQ(result, 1);
    EXPECT_NE(OrvaTestReadFile(folder + "/second.err").find("d11.oms"), std::string::npos);
    EXPECT_TRUE(OrvaWaitForText(log, "open d10.oms in " + folder + "/\n", kChildTimeoutMs)) << OrvaTestReadFile(log);
    EXPECT_EQ(OrvaTestReadFile(log).find("open d11.oms"), std::string::npos);
}

TEST_F(HandOver, AnyBytesOnTheQueueLeaveTheFirstInstanceRunning) {
    StartFirst();
    mqd_t queue = mq_open(("/" + name).c_str(), O_WRONLY);
    ASSERT_NE(queue, mqd_t(-1));
    mq_attr attributes{};
    ASSERT_EQ(mq_getattr(queue, &attributes), 0);
    EXPECT_EQ(attributes.mq_maxmsg, kOrvaQueueMessages);
    EXPECT_EQ(attributes.mq_msgsize, kOrvaQueueMessageSize);
    std::string full(size_t(attributes.mq_msgsize), '\0');
    for (size_t i = 0; i < full.size(); i++) full[i] = char((i * 131 + 7) & 0xFF);
    full[0] = '/';
    std::vector<std::string> messages{full, std::string(1, '\0'), "no folder.oms", "/x\0y", std::string(800, '/'),
                                      folder + "/last.oms"};
    for (const std::string &m : messages) EXPECT_EQ(mq_send(queue, m.data(), m.size(), 0), 0);
    mq_close(queue);
    EXPECT_TRUE(OrvaWaitForText(log, "open last.oms in " + folder + "/\n", kChildTimeoutMs)) << OrvaTestReadFile(log);
    EXPECT_EQ(StopFirst(), 0);
}

TEST(StandaloneNames, CleanStringKeepsLettersDigitsDotsDashesAndSlashes) {
    char text[] = "My App/v1.2-b \xC3\xA9!";
    CleanString(text);
    EXPECT_STREQ(text, "My_App/v1.2-b____");
    CleanString(nullptr);
}

TEST(StandaloneNames, QueueAndPidFileFollowTheApplicationName) {
    const std::string &home = OrvaTestHome();
    char saved[sizeof orvaSettings.applicationName];
    memcpy(saved, orvaSettings.applicationName, sizeof saved);
    snprintf(orvaSettings.applicationName, sizeof orvaSettings.applicationName, "%s", "My App/2");
    char queue[kOrvaStandalonePathSize], pid[kOrvaStandalonePathSize];
    OrvaGetQueueName(queue, sizeof queue);
    OrvaGetPidFilePath(pid, sizeof pid);
    memcpy(orvaSettings.applicationName, saved, sizeof saved);
    EXPECT_STREQ(queue, "/My_App_2");
    EXPECT_EQ(std::string(pid), home + "/example.ondrak.My_App_2.pid");
}

TEST(StandaloneNames, ProgramNameOfAProcess) {
    char name[kOrvaProcessNameSize];
    GetAppNameFromPid(long(getpid()), name);
    EXPECT_STREQ(name, "test_standalone");
    GetAppNameFromPid(-5, name);
    EXPECT_STREQ(name, "");
    GTKCheckIPCQueue();  // no queue in this process: nothing happens
}

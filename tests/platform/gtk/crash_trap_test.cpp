// ctest-labels: periphery
// The crash trap at work in a crashing child process: the report it appends, how the process
// ends, the dialog's language and the page address Yes opens; and its encoder in-process.
#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <regex.h>
#include <string>
#include <vector>

#include "platform/core/runtime.h"
#include "platform/gtk/crash_trap.h"
#include "support/child_process.h"
#include "support/test_home.h"

namespace {

// Whether text holds a match of the extended regular expression pattern.
bool Matches(const std::string &text, const char *pattern) {
    regex_t compiled;
    if (regcomp(&compiled, pattern, REG_EXTENDED | REG_NOSUB) != 0) return false;
    bool found = regexec(&compiled, text.c_str(), 0, nullptr, 0) == 0;
    regfree(&compiled);
    return found;
}

constexpr int kChildTimeoutMs = 120000;  // only a hung child waits this long

// The sanitizer of a test build must leave the fatal signals to the trap.
const char kChildSanitizer[] = "ASAN_OPTIONS=handle_segv=0:handle_abort=0:handle_sigfpe=0:handle_sigill=0";

struct Crash {
    int status = -1;
    std::string home;
    std::string Log() const { return OrvaTestReadFile(home + "/crash.log"); }
};

// Runs orva-crash-demo with arguments in a fresh home folder named label.
Crash RunCrashDemo(const std::string &label, const std::vector<std::string> &arguments,
                   std::vector<std::string> env = {}) {
    Crash crash;
    crash.home = OrvaTestHome() + "/" + label;
    mkdir(crash.home.c_str(), 0755);
    std::vector<std::string> argv{OrvaToolPath("orva-crash-demo")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    env.push_back("HOME=" + crash.home);
    env.push_back("XDG_CONFIG_HOME=" + crash.home + "/cfg");
    env.push_back(kChildSanitizer);
    ChildOptions options;
    options.folder = crash.home;
    options.env = env;
    options.stderrPath = crash.home + "/stderr.txt";
    pid_t pid = OrvaStartChild(argv, options);
    if (pid > 0) crash.status = OrvaWaitChild(pid, kChildTimeoutMs);
    return crash;
}

bool EndedBySigterm(int status) { return status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM; }

size_t Count(const std::string &text, const std::string &what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) count++;
    return count;
}

}  // namespace

TEST(CrashTrap, SegmentationFaultAppendsOneReportToTheHomeFolderAndEndsBySigterm) {
    Crash crash = RunCrashDemo("segv", {"--segv"});
    EXPECT_TRUE(EndedBySigterm(crash.status)) << "status " << crash.status;
    std::string log = crash.Log();
    EXPECT_EQ(Count(log, "TYPE: 0000000b (Segmentation fault)\r\n"), 1u) << log;
    EXPECT_EQ(Count(log, "PROGRAM: orva-crash-demo\r\n"), 1u);
    EXPECT_EQ(Count(log, "FAULT_ADDR: 0000000000000010\r\n"), 1u);
    EXPECT_EQ(log.rfind("\r\n--------------------------------\r\n", 0), 0u) << "the separator comes first";
    EXPECT_TRUE(Matches(log, "\r\nRIP: [0-9a-f]{16}\r\n"));
    EXPECT_TRUE(Matches(log, "\r\nOSVERSION: .+/GTK v2\\.[0-9]+\\.[0-9]+/ALSA "));
    EXPECT_TRUE(Matches(log, "\r\nDATE: [01][0-9]/[0-3][0-9]/[0-9]{4} [0-2][0-9]:[0-5][0-9]\r\n"));
    EXPECT_TRUE(Matches(log, "\r\n[0-9a-f]{60}\r\nSTK1: ([0-9a-f]{8} ){8}\r\n"))
        << "thirty code bytes, then the stack";
    EXPECT_EQ(Count(log, "\r\nSTK"), 8u);
    EXPECT_LE(log.size(), size_t(kCrashReportMax) + 100);

    // A second crash appends a second report.
    Crash again = RunCrashDemo("segv", {"--signal", "8"});
    EXPECT_TRUE(EndedBySigterm(again.status));
    log = again.Log();
    EXPECT_EQ(Count(log, "TYPE: 0000000b"), 1u);
    EXPECT_EQ(Count(log, "TYPE: 00000008"), 1u);
}

TEST(CrashTrap, JumpToAddressZeroStillWritesOneReport) {
    Crash crash = RunCrashDemo("jump0", {"--jump0"});
    EXPECT_TRUE(EndedBySigterm(crash.status)) << "status " << crash.status;
    std::string log = crash.Log();
    EXPECT_EQ(Count(log, "TYPE: 0000000b"), 1u) << log;
    EXPECT_NE(log.find("\r\nRIP: 0000000000000000\r\n"), std::string::npos);
    EXPECT_NE(log.find("\r\n" + std::string(60, '-') + "\r\nSTK1: "), std::string::npos)
        << "unreadable code bytes show as dashes";
    EXPECT_TRUE(Matches(log, "STK1: [0-9a-f]{8} "));
}

TEST(CrashTrap, RunningOutOfStackStillWritesOneReport) {
    // The handler needs a stack of its own: the faulting one has no room left, and its words
    // cannot be read.
    Crash crash = RunCrashDemo("recurse", {"--recurse"});
    EXPECT_TRUE(EndedBySigterm(crash.status)) << "status " << crash.status;
    std::string log = crash.Log();
    EXPECT_EQ(Count(log, "TYPE: 0000000b"), 1u) << log;
    EXPECT_TRUE(Matches(log, "\r\nRSP: [0-9a-f]{16}\r\n"));
}

TEST(CrashTrap, ReportGoesToTheDocumentsFolderWhenTheAccountHasOne) {
    std::string home = OrvaTestHome() + "/docs";
    mkdir(home.c_str(), 0755);
    mkdir((home + "/cfg").c_str(), 0755);
    mkdir((home + "/My Documents").c_str(), 0755);
    ASSERT_TRUE(OrvaTestWriteFile(home + "/cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/My Documents\"\n"));
    Crash crash = RunCrashDemo("docs", {"--segv", "--dialog-text", home + "/dialog.txt"});
    EXPECT_TRUE(EndedBySigterm(crash.status));
    EXPECT_EQ(Count(OrvaTestReadFile(home + "/My Documents/crash.log"), "TYPE: 0000000b"), 1u);
    EXPECT_EQ(crash.Log(), "");
    EXPECT_NE(OrvaTestReadFile(home + "/dialog.txt").find("(" + home + "/My Documents/crash.log)"), std::string::npos);
}

TEST(CrashTrap, YesRunsTheOpenProgramWithThePageAddress) {
    std::string home = OrvaTestHome() + "/yes";
    mkdir(home.c_str(), 0755);
    std::string program = home + "/fake-open";
    ASSERT_TRUE(OrvaTestWriteFile(program, "#!/bin/sh\nprintf '%s' \"$1\" > \"$HOME/opened.txt\"\n"));
    chmod(program.c_str(), 0755);
    Crash crash = RunCrashDemo("yes", {"--segv", "--yes", "--open", program});
    ASSERT_NE(crash.status, -1);
    EXPECT_TRUE(WIFEXITED(crash.status) && WEXITSTATUS(crash.status) == 0) << "the open program replaced the process";
    std::string address = OrvaTestReadFile(home + "/opened.txt");
    EXPECT_EQ(address.rfind("https://www.ondrak.example/cgi-bin/crash.pl?lang=EN&data=PROGRAM%3A+orva%2Dcrash%2Ddemo", 0),
              0u)
        << address;
    EXPECT_NE(address.find("TYPE%3A+0000000b"), std::string::npos);
    EXPECT_EQ(address.find("%0D"), std::string::npos) << "carriage returns are dropped";
    EXPECT_LE(address.size(), size_t(kCrashReportMax) - 1);
    EXPECT_EQ(Count(crash.Log(), "TYPE: 0000000b"), 1u);
}

TEST(CrashTrap, DialogSpeaksFrenchOnlyForTheFrenchInterface) {
    std::string home = OrvaTestHome();
    RunCrashDemo("fr", {"--segv", "--language", "0", "--dialog-text", home + "/fr/dialog.txt"});
    RunCrashDemo("de", {"--segv", "--language", "3", "--dialog-text", home + "/de/dialog.txt"});
    std::string french = OrvaTestReadFile(home + "/fr/dialog.txt");
    std::string german = OrvaTestReadFile(home + "/de/dialog.txt");
    EXPECT_EQ(french.rfind("L'application orva-crash-demo a rencontr\xC3\xA9 un probl\xC3\xA8me.", 0), 0u) << french;
    EXPECT_EQ(german.rfind("A crash has been encountered in orva-crash-demo.", 0), 0u) << german;
    EXPECT_NE(german.find(home + "/de/crash.log"), std::string::npos);
    EXPECT_NE(german.find("support@ondrak.example"), std::string::npos);
}

TEST(CrashTrap, FaultInsideTheHandlerEndsBySigtermWithoutSecondReport) {
    Crash crash = RunCrashDemo("twice", {"--segv", "--fault-in-dialog"});
    EXPECT_TRUE(EndedBySigterm(crash.status)) << "status " << crash.status;
    EXPECT_EQ(Count(crash.Log(), "\r\nTYPE: "), 1u);
}

TEST(CrashTrap, FaultOnAnotherThreadReportsWithoutAsking) {
    std::string home = OrvaTestHome();
    Crash crash = RunCrashDemo("thread", {"--thread", "--dialog-text", home + "/thread/dialog.txt"});
    EXPECT_TRUE(EndedBySigterm(crash.status)) << "status " << crash.status;
    EXPECT_EQ(Count(crash.Log(), "TYPE: 0000000b"), 1u);
    struct stat info;
    EXPECT_NE(stat((home + "/thread/dialog.txt").c_str(), &info), 0) << "no dialog off the main thread";
}

TEST(CrashTrap, NothingIsInstalledInThePlugin) {
    struct sigaction before, after;
    sigaction(SIGSEGV, nullptr, &before);
    UInt8 saved = orvaSettings.pluginFlag;
    orvaSettings.pluginFlag = 1;
    SystemDependantInitCrashTrap();
    orvaSettings.pluginFlag = saved;
    sigaction(SIGSEGV, nullptr, &after);
    EXPECT_FALSE(OrvaIsCrashTrapInstalled());
    EXPECT_EQ(reinterpret_cast<void *>(before.sa_sigaction), reinterpret_cast<void *>(after.sa_sigaction));
}

TEST(CrashTrapEncoding, UrlEncodingKeepsLettersAndDigitsOnly) {
    char out[64];
    OrvaUrlEncode("a b:c", out, sizeof out);
    EXPECT_STREQ(out, "a+b%3Ac");
    OrvaUrlEncode("Z9\r\n-\xE9", out, sizeof out);
    EXPECT_STREQ(out, "Z9%0A%2D%E9");
    // An escape that does not fit whole is left out, with everything after it.
    EXPECT_EQ(OrvaUrlEncode("ab:c", out, 6), 5u);
    EXPECT_STREQ(out, "ab%3A");
    EXPECT_EQ(OrvaUrlEncode("ab:c", out, 5), 2u);
    EXPECT_STREQ(out, "ab");
}

TEST(CrashTrapEncoding, PageAddressIsCutAtAWholeEscapeWithin2048Bytes) {
    std::string report;
    for (int i = 0; i < 1000; i++) report += "x:";
    char address[4096];
    size_t length = OrvaCrashPageAddress("EN", report.c_str(), address, sizeof address);
    EXPECT_EQ(length, strlen(address));
    EXPECT_LE(length, 2047u);
    EXPECT_GE(length, 2044u);
    std::string text(address);
    EXPECT_LE(text.rfind('%') + 3, text.size()) << "no escape is cut";
    EXPECT_EQ(text.find("&data=x%3Ax%3A"), text.find("?lang=EN") + 8);
}

TEST(CrashTrapEncoding, LanguageCodes) {
    const char *expected[] = {"FR", "EN", "IT", "DE", "ES", "JP", "EN", "EN"};
    const SInt16 languages[] = {0, 1, 2, 3, 4, 5, 6, -1};
    for (int i = 0; i < 8; i++) EXPECT_STREQ(OrvaCrashLanguageCode(languages[i]), expected[i]) << languages[i];
    char text[kCrashDialogTextSize];
    OrvaCrashDialogText("fr", "P", "/x/crash.log", text, sizeof text);
    EXPECT_EQ(std::string(text).rfind("L'application P ", 0), 0u);
}

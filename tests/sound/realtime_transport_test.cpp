// ctest-labels: sound-realtime;threads
// Real-time playback on the fake device, whose clock the tests move: the position heard follows
// the frames the device consumed, pauses keep the position, resuming starts where asked, loops
// wrap, the keyboard hears each onset on the writer thread, levels, the singer's idle time,
// underruns, the lock order and calls in any order.
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/core/critical_sections.h"
#include "platform/core/errors.h"
#include "platform/core/runtime.h"
#include "sound/output_driver.h"
#include "support/sound/playback_support.h"

namespace {

const SInt32 kQuarter = kDemoQuarter;
const SInt32 kStepTicks = 403;      // score units of a 221-frame step at 120
const SInt64 kFilled = 15 * 221;    // the device holds at least this once the writer filled it

class RealtimeFake : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartPlaybackTests()) << "the OMS Basic bank is not built";
        SetOutputDevice("fake");
        ClearPlaybackTraces();
    }
    void TearDown() override {
        ArreteMusique(1);
        FixeHooksChanteurLecture(nullptr);
        DisposeDemo(&demo_);
    }
    // Starts the demo (from its resume position when asked) and waits until the device is full.
    void Play(const char *name, bool resume = false) {
        if (!demo_) {
            ASSERT_EQ(noErr, NouvelleDemo(name, &demo_));
        }
        DocumentRecord *doc = DocumentDeDemo(demo_);
        ASSERT_TRUE(resume ? ReLanceMusiqueApresPause(doc) : LanceMusique(doc));
        ASSERT_TRUE(WaitUntil(2, [] { return Stats().framesWritten >= kFilled && GetPosTickMusiqueEntendue() >= 0; }));
    }
    DemoPlanRecord *demo_ = nullptr;
};

TEST_F(RealtimeFake, HeardPositionFollowsTheFramesConsumed) {
    Play("scale");
    EXPECT_EQ(0, GetPosTickMusiqueEntendue());
    EXPECT_GE(GetPosTickInstant(), TicksOfFrames(kFilled) - 1);  // the sequencer is a buffer ahead
    SInt64 consumed = 0;
    for (SInt64 move : {1, 100, 2205, 4410, 10000, 22050, 44100}) {
        ASSERT_TRUE(AdvanceFakeClock(move));
        consumed += move;
        SCOPED_TRACE(consumed);
        EXPECT_NEAR(TicksOfFrames(consumed), GetPosTickMusiqueEntendue(), 2);
        EXPECT_NEAR(TicksOfFrames(consumed), GetTempsEcritJoue(), 2);
        EXPECT_GE(GetPosTickInstant() - GetPosTickMusiqueEntendue(), TicksOfFrames(kFilled) - kStepTicks);
    }
    EXPECT_TRUE(Stats().paced);
    EXPECT_EQ(0u, Stats().underruns);
}

TEST_F(RealtimeFake, ResumingStartsAtTheResumePosition) {
    for (SInt32 p : {0, kQuarter, 3 * kQuarter + 1234, 7 * kQuarter}) {
        SCOPED_TRACE(p);
        ASSERT_EQ(noErr, NouvelleDemo("scale", &demo_));
        demo_->resumePosition = p;
        Play("scale", true);
        EXPECT_NEAR(p, GetPosTickMusiqueEntendue(), kStepTicks);
        ArreteMusique(1);
        DisposeDemo(&demo_);
    }
}

TEST_F(RealtimeFake, PauseKeepsThePositionAndResumes) {
    Play("scale");
    ASSERT_TRUE(AdvanceFakeClock(22050));
    StartMusiqueHardware();  // while running it only copies the settings (a metronome switch)
    StopMusiqueHardware();
    SInt32 kept = GetPosTickMusique();
    AvanceHorlogeFactice(2000);  // the device plays on what it holds
    usleep(20000);
    EXPECT_EQ(kept, GetPosTickMusique());
    EXPECT_NEAR(TicksOfFrames(24050), GetPosTickMusiqueEntendue(), 2);
    StopMusiqueHardware();  // no nesting: one start resumes
    StartMusiqueHardware();
    ASSERT_TRUE(WaitUntil(1, [] { return Stats().framesWritten >= 24050 + kFilled; }));  // refilled in time
    ASSERT_TRUE(AdvanceFakeClock(4410));
    EXPECT_GT(GetPosTickMusique(), kept);
    EXPECT_NEAR(TicksOfFrames(28460), GetPosTickMusiqueEntendue(), 2);
    EXPECT_EQ(0u, Stats().underruns);  // a parked writer's device running dry is no underrun
}

TEST_F(RealtimeFake, LoopedSelectionWrapsEachPassAndUnloopedEndsOnce) {
    const struct {
        bool loop;
        UInt32 wraps, ends;
    } rows[] = {{true, 3, 0}, {false, 0, 1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.loop);
        ASSERT_EQ(noErr, NouvelleDemo("scale", &demo_));
        demo_->selectionStart = 2 * kQuarter;
        demo_->selectionEnd = 4 * kQuarter;
        demo_->loop = row.loop;
        Play("scale");
        SInt32 last = -1;
        UInt32 wrapsHeard = 0, endsHeard = 0;
        bool before = false;
        for (int i = 0; i < 70; i++) {  // 3.5 passes of the selection, 50 ms at a time
            ASSERT_TRUE(AdvanceFakeClock(2205));
            SInt32 heard = GetPosTickMusiqueEntendue();
            EXPECT_GE(heard, 2 * kQuarter - 1);
            EXPECT_LE(heard, 4 * kQuarter);
            if (heard < last) wrapsHeard++;
            last = heard;
            bool ended = IsFinDeMusiqueEntendue();
            endsHeard += ended && !before;
            EXPECT_TRUE(ended || !before);  // true until the next start
            before = ended;
        }
        EXPECT_EQ(row.wraps, wrapsHeard);
        EXPECT_EQ(row.ends, endsHeard);
        ArreteMusique(1);
        DisposeDemo(&demo_);
    }
}

struct KeyRecord {
    bool on;
    int key;
    SInt32 instant;
    bool onTheWriterIn256Only;  // another thread than the main one, section 256, not 257
};
std::vector<KeyRecord> gKeys;  // written by the writer, read once it is joined
pthread_t gMainThread;

Boolean KeyboardActive() { return true; }
void Record(bool on, SInt16 pitch) {
    gKeys.push_back({on, pitch, GetPosTickInstant(),
                     !pthread_equal(pthread_self(), gMainThread) && OrvaIsCriticalSectionHeld(kDblBuffCriticalSection) &&
                         !OrvaIsCriticalSectionHeld(kFluxCriticalSection)});
}
void NoteOn(SInt32, SInt16 pitch, SInt16, SInt16) { Record(true, pitch); }
void NoteOff(SInt32, SInt16 pitch, Boolean) { Record(false, pitch); }

TEST_F(RealtimeFake, KeyboardHearsEachOnsetOnTheWriterThread) {
    gKeys.clear();
    gMainThread = pthread_self();
    PlaybackPluginHooks hooks = {KeyboardActive, NoteOn, NoteOff, nullptr};
    FixeHooksPluginLecture(&hooks);
    Play("scale");
    ASSERT_TRUE(AdvanceFakeClock(FramesOfTicks(9 * kQuarter)));
    ArreteMusique(1);
    const int keys[8] = {60, 62, 64, 65, 67, 69, 71, 72};
    std::vector<KeyRecord> ons, offs;
    for (const KeyRecord &k : gKeys) {
        (k.on ? ons : offs).push_back(k);
        EXPECT_TRUE(k.onTheWriterIn256Only);
    }
    ASSERT_EQ(8u, ons.size());
    ASSERT_EQ(8u, offs.size());
    for (int i = 0; i < 8; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(keys[i], ons[size_t(i)].key);
        EXPECT_EQ(i * kQuarter, ons[size_t(i)].instant);
        EXPECT_EQ(i * kQuarter + kQuarter * 4 / 5, offs[size_t(i)].instant);
    }
}

// A singer that renders for 2 ms of every call, holding the stream section as the real one does.
std::atomic<int> gSingerCalls{0}, gSingerOutside256{0};
Boolean SlowSinger(UInt8) {
    if (!OrvaIsCriticalSectionHeld(kDblBuffCriticalSection)) gSingerOutside256++;
    StartFluxCriticalSection();
    timespec pause = {0, 2000000};
    nanosleep(&pause, nullptr);
    EndFluxCriticalSection();
    gSingerCalls++;
    return true;
}

TEST_F(RealtimeFake, SingerAtTwoMillisecondsACallLeavesNoUnderrun) {
    PlaybackSingerHooks singer = {SlowSinger, nullptr};
    FixeHooksChanteurLecture(&singer);
    // A run in which the system held the writer up for longer than half the buffer (a loaded
    // machine) says nothing of it: it is run again, three times at most.
    PlaybackStats stats;
    for (int attempt = 0; attempt < 3; attempt++) {
        gSingerCalls = 0;
        Play("tone");
        // The device plays in real time as long as this thread runs: a stall of the whole
        // process stops its clock too.
        double last = NowSeconds();
        for (SInt64 played = 0; played < 66150;) {
            usleep(1000);
            double now = NowSeconds();
            SInt64 frames = SInt64(std::min(now - last, 0.0025) * 44100);
            AvanceHorlogeFactice(frames);
            played += frames;
            last = now;
        }
        stats = Stats();
        ArreteMusique(1);
        if (stats.longestGapMicros < 40000) break;
    }
    EXPECT_GT(gSingerCalls.load(), 100);
    EXPECT_EQ(0, gSingerOutside256.load());
    EXPECT_EQ(0u, stats.underruns);
    EXPECT_EQ(0u, stats.starvedSteps);
}

TEST_F(RealtimeFake, FullScaleToneReadsTwoHundredAndAMutedStaffZero) {
    Play("tone");
    ASSERT_TRUE(AdvanceFakeClock(22050));
    SInt16 left = 0, right = 0;
    for (UInt32 staff = 0; staff < 2; staff++) {
        GetVolumePorteeEntendu(PorteeDeDemo(demo_, staff), &left, &right);
        EXPECT_GE(left, 190);
        EXPECT_LE(left, 210);
        EXPECT_GE(right, 190);
        EXPECT_LE(right, 210);
    }
    demo_->staves[1].heard = 0;
    IsFinDeMusiqueEntendue();                      // the idle that sees the mixer change
    ASSERT_TRUE(AdvanceFakeClock(4410));           // one idle period later
    GetVolumePorteeEntendu(PorteeDeDemo(demo_, 1), &left, &right);
    EXPECT_EQ(0, left);
    EXPECT_EQ(0, right);
    GetVolumePorteeEntendu(PorteeDeDemo(demo_, 0), &left, &right);
    EXPECT_GE(left, 190);
    StaffPtr foreign = nullptr;
    for (StaffHandle staff : {StaffHandle(nullptr), &foreign, PorteeDeDemo(demo_, 5)}) {
        left = right = 7;
        GetVolumePorteeEntendu(staff, &left, &right);
        EXPECT_EQ(0, left);
        EXPECT_EQ(0, right);
    }
    ArreteMusique(1);
    GetVolumePorteeEntendu(PorteeDeDemo(demo_, 0), &left, &right);
    EXPECT_EQ(0, left);
}

TEST_F(RealtimeFake, UnderrunIsCountedAndPlayGoesOn) {
    Play("scale");
    SInt64 full = Stats().framesWritten;
    AvanceHorlogeFactice(44100);  // a second at once: the device runs dry, and is filled again
    ASSERT_TRUE(WaitUntil(2, [full] { return Stats().underruns > 0 && Stats().framesWritten >= full + kFilled; }));
    ASSERT_TRUE(AdvanceFakeClock(1));  // and has measured since
    SInt32 before = GetPosTickMusiqueEntendue();
    ASSERT_TRUE(AdvanceFakeClock(4410));
    EXPECT_GT(GetPosTickMusiqueEntendue(), before);
    EXPECT_EQ(1u, Stats().underruns);
    EXPECT_EQ(0u, Stats().fallbacks);
}

TEST_F(RealtimeFake, SeekingClampsAndCallsInAnyOrderAreHarmless) {
    ArreteMusique(0);
    ArreteMusique(1);
    StopMusiqueHardware();
    StartMusiqueHardware();
    RecaleMusiqueSurTick(1000);
    EXPECT_FALSE(LanceMusique(nullptr));
    EXPECT_EQ(-1, GetPosTickMusique());
    EXPECT_EQ(-1, GetPosTickMusiqueEntendue());
    EXPECT_EQ(-1, GetTempsEcritJoue());
    FixeOpsPartitionLecture(nullptr);  // nothing can prepare a score
    ASSERT_EQ(noErr, NouvelleDemo("scale", &demo_));
    EXPECT_FALSE(LanceMusique(DocumentDeDemo(demo_)));
    InstalleOpsDemo();
    demo_->tempo = 5000;  // a score that cannot be flattened
    EXPECT_FALSE(LanceMusique(DocumentDeDemo(demo_)));
    demo_->tempo = 120;
    Play("scale");
    struct {
        SInt32 asked, expected;
    } seeks[] = {{-5000, 0}, {3 * kQuarter, 3 * kQuarter}, {100 * kQuarter, 8 * kQuarter}};
    for (const auto &seek : seeks) {
        SCOPED_TRACE(seek.asked);
        StopMusiqueHardware();
        RecaleMusiqueSurTick(seek.asked);
        EXPECT_NEAR(seek.expected, GetPosTickMusique(), 1);
        StartMusiqueHardware();
        ASSERT_TRUE(AdvanceFakeClock(2 * kFilled));  // what the device held, then the new place
        EXPECT_GE(GetPosTickMusiqueEntendue(), seek.expected);
        EXPECT_LE(GetPosTickMusiqueEntendue(), seek.expected + TicksOfFrames(2 * kFilled));
    }
    ASSERT_TRUE(AdvanceFakeClock(3 * 44100));
    EXPECT_TRUE(IsFinDeMusiqueEntendue());
    LibereTabCircTick();  // stops first
    EXPECT_EQ(nullptr, GetDialogMusiqueEnCours());
    EXPECT_EQ(-1, GetPosTickMusiqueEntendue());
}

// The error sink's report ends the child process that breaks the lock order.
void ExitOnError(const char *message) {
    fprintf(stderr, "%s\n", message);
    _exit(3);
}

TEST(RealtimeLocks, EnteringTheMixingSectionWhileHoldingTheStreamSectionTrips) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: no other lock order in it
    EXPECT_EXIT(
        {
            OrvaSetErrorHook(ExitOnError);
            EntreSectionMixage();
            QuitteSectionMixage();
            StartFluxCriticalSection();
            EntreSectionMixage();
            _exit(0);
        },
        ::testing::ExitedWithCode(3), "256 entered while holding section 257");
}

}  // namespace

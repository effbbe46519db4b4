// ctest-labels: sound-realtime;threads
// The large demo plays on the capture device while the main thread parks and resumes the writer
// 500 times, re-times the music 100 times, changes the mixer 1,000 times and reads every
// position and level at 1 kHz: no deadlock (a watchdog ends the program after 60 s), heard
// positions never go back between re-timings, and the stop is quick and leaves no thread.
#include <gtest/gtest.h>
#include <dirent.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/core/errors.h"
#include "support/capture_support.h"
#include "support/sound/playback_support.h"

namespace {

int ThreadCount() {
    int count = 0;
    if (DIR *tasks = opendir("/proc/self/task")) {
        while (dirent *entry = readdir(tasks)) count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

// Ends the program when the test has not finished within its time.
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : thread_([this, seconds] {
              std::unique_lock<std::mutex> hold(lock_);
              if (!done_.wait_for(hold, std::chrono::seconds(seconds), [this] { return finished_; })) {
                  fprintf(stderr, "watchdog: the stress test hung\n");
                  abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

private:
    std::mutex lock_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

TEST(RealtimeStress, TransportMixerAndReadersAgainstTheWriter) {
    if (!CaptureDeviceSet()) {
        ASSERT_FALSE(CaptureDeviceRequired()) << "the capture device of tests/alsa is missing";
        GTEST_SKIP() << "run through test.sh: no capture device";
    }
    ASSERT_TRUE(StartPlaybackTests());
    SetOutputDevice("default");
    DemoScoreRecord *demo = nullptr;
    ASSERT_EQ(noErr, NouvelleDemo("large", &demo));
    {
        Watchdog watchdog(60);
        ASSERT_TRUE(LanceMusique(DocumentDeDemo(demo)));
        int threadsPlaying = ThreadCount();
        ASSERT_TRUE(WaitUntil(2, [] { return GetPosTickMusiqueEntendue() >= 0; }));  // something heard
        int pairs = 0, retimings = 0, mixerChanges = 0, backwards = 0;
        SInt32 lastHeard = -1;
        for (int i = 0; i < 3000; i++) {
            SInt32 heard = GetPosTickMusiqueEntendue();
            backwards += heard < lastHeard;
            lastHeard = heard;
            EXPECT_GE(GetPosTickInstant(), 0);
            EXPECT_GE(GetPosTickMusique(), heard - 1);
            EXPECT_GE(GetPosTempsMusiqueEntendue(), 0);
            EXPECT_GE(GetTempsEcritJoue(), -1);
            EXPECT_FALSE(IsFinDeMusiqueEntendue());
            for (UInt32 s = 0; s < demo->staffCount; s++) {
                SInt16 left, right;
                GetVolumePorteeEntendu(PorteeDeDemo(demo, s), &left, &right);
            }
            if (i % 6 == 0) {
                StopMusiqueHardware();
                StartMusiqueHardware();
                pairs++;
            }
            if (i % 30 == 15) {
                StopMusiqueHardware();
                demo->tempo = 60 + (retimings * 37) % 180;
                RecaleMusiqueSurTick(GetPosTickMusique());
                StartMusiqueHardware();
                retimings++;
                lastHeard = -1;  // a seek: the heard position may go either way
            }
            if (i % 3 == 0) {
                SoundStaffBlock *staff = &demo->staves[(i / 3) % demo->staffCount];
                staff->volume = UInt8((i * 7) % 128);
                staff->pan = SInt8((i * 13) % 201 - 100);
                staff->heard = (i / 3) % 5 != 0;
                mixerChanges++;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(500, pairs);
        EXPECT_EQ(100, retimings);
        EXPECT_EQ(1000, mixerChanges);
        EXPECT_EQ(0, backwards);
        auto start = std::chrono::steady_clock::now();
        ArreteMusique(1);
        double stopMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(stopMs, 100);
        EXPECT_EQ(threadsPlaying - 1, ThreadCount());  // the writer is gone
    }
    EXPECT_EQ(nullptr, GetDialogMusiqueEnCours());
    LibereTabCircTick();
    DisposeDemo(&demo);
    DeleteCaptures();
}

}  // namespace

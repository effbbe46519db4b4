// ctest-labels: sound-realtime;threads
// The large demo plays on the capture device while the main thread parks and resumes the writer
// 500 times, re-times the music 100 times, changes the mixer 1,000 times and reads every
// position and level at 1 kHz: no deadlock (a watchdog ends the program after 60 s), heard
// positions never go back between re-timings, and the stop is quick and leaves no thread.
#include <gtest/gtest.h>
#include <dirent.h>

#include <unistd.h>

#include <chrono>
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

TEST(RealtimeStress, TransportMixerAndReadersAgainstTheWriter) {
    if (!CaptureDeviceSet()) {
        ASSERT_FALSE(CaptureDeviceRequired()) << "the capture device of tests/alsa is missing";
        GTEST_SKIP() << "run through test.sh: no capture device";
    }
    ASSERT_TRUE(StartPlaybackTests());
    SetOutputDevice("default");
    DemoPlanRecord *demo = nullptr;
    ASSERT_EQ(noErr, NouvelleDemo("large", &demo));
    alarm(60);  // the watchdog: a hang ends the program
    ASSERT_TRUE(LanceMusique(DocumentDeDemo(demo)));
    int threadsPlaying = ThreadCount();
    ASSERT_TRUE(WaitUntil(2, [] { return GetPosTickMusiqueEntendue() >= 0; }));  // something heard
    int backwards = 0;
    SInt32 lastHeard = -1;
    // 3,000 turns of 1 ms: 500 parks, 100 re-timings, 1,000 mixer changes.
    for (int i = 0; i < 3000; i++) {
        SInt32 heard = GetPosTickMusiqueEntendue();
        backwards += heard < lastHeard;
        lastHeard = heard;
        EXPECT_GE(GetPosTickMusique(), heard - 1);
        EXPECT_GE(GetPosTempsMusiqueEntendue(), 0);
        EXPECT_GE(GetTempsEcritJoue(), 0);
        EXPECT_FALSE(IsFinDeMusiqueEntendue());
        SInt16 left, right;
        for (UInt32 s = 0; s < demo->staffCount; s++) GetVolumePorteeEntendu(PorteeDeDemo(demo, s), &left, &right);
        if (i % 6 == 0) {
            StopMusiqueHardware();
            StartMusiqueHardware();
        }
        if (i % 30 == 15) {
            StopMusiqueHardware();
            demo->tempo = 60 + (i * 37) % 180;
            RecaleMusiqueSurTick(GetPosTickInstant());
            StartMusiqueHardware();
            lastHeard = -1;  // a seek: the heard position may go either way
        }
        if (i % 3 == 0) {
            SoundStaffBlock *staff = &demo->staves[(i / 3) % demo->staffCount];
            staff->volume = UInt8((i * 7) % 128);
            staff->pan = SInt8((i * 13) % 201 - 100);
            staff->heard = (i / 3) % 5 != 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(0, backwards);
    double start = NowSeconds();
    ArreteMusique(1);
    EXPECT_LT(NowSeconds() - start, 0.1);
    EXPECT_EQ(threadsPlaying - 1, ThreadCount());  // the writer is gone
    alarm(0);
    EXPECT_EQ(nullptr, GetDialogMusiqueEnCours());
    LibereTabCircTick();
    DisposeDemo(&demo);
    DeleteCaptures();
}

}  // namespace

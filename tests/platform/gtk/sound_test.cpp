// ctest-labels: gtk-input-sound;threads
// The Sound Manager through the file-capturing ALSA device: each opening of the default PCM
// writes a new WAV file, which the tests read back.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "graphics/toolbox_hooks.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/sound_manager.h"
#include "plugin/host_services.h"
#include "support/capture_support.h"
#include "support/resource_test_support.h"
#include "support/tool_support.h"

namespace {

using restest::NewHandleFrom;

struct Wav {
    bool ok = false;
    unsigned channels = 0, rate = 0, bits = 0, blockAlign = 0;
    std::vector<unsigned char> data;
    unsigned frames() const { return blockAlign ? unsigned(data.size() / blockAlign) : 0; }
};

unsigned Le(const std::vector<unsigned char> &b, size_t at, int n) {
    unsigned v = 0;
    for (int i = n - 1; i >= 0; i--) v = v << 8 | b[at + size_t(i)];
    return v;
}

// Reads a capture file chunk by chunk (the same fields python's wave module reports).
Wav ReadWav(const std::string &path) {
    Wav w;
    std::vector<unsigned char> b = restest::ReadAll(path);
    if (b.size() < 12 || memcmp(b.data(), "RIFF", 4) != 0) return w;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        unsigned length = Le(b, at + 4, 4);
        if (memcmp(&b[at], "fmt ", 4) == 0 && at + 24 <= b.size()) {
            w.channels = Le(b, at + 10, 2);
            w.rate = Le(b, at + 12, 4);
            w.blockAlign = Le(b, at + 20, 2);
            w.bits = Le(b, at + 22, 2);
        } else if (memcmp(&b[at], "data", 4) == 0) {
            size_t end = at + 8 + length <= b.size() ? at + 8 + length : b.size();
            w.data.assign(b.begin() + long(at + 8), b.begin() + long(end));
            w.ok = true;
            return w;
        }
        at += 8 + length + (length & 1);
    }
    return w;
}

std::string TraceText() {
    char buffer[4096];
    OrvaSoundTrace(buffer, sizeof buffer);
    return buffer;
}

// A 'snd ' handle made by SetupSndHeader followed by the given big-endian samples.
Handle MakeSound(SInt16 channels, UInt32 rate, SInt16 bits, const std::vector<UInt8> &samples) {
    Handle h = NewHandleClear(70);
    SInt16 headerLength = 0;
    EXPECT_EQ(SetupSndHeader(h, channels, rate << 16, bits, 0, 60, UInt32(samples.size()), &headerLength), noErr);
    EXPECT_EQ(headerLength, 70);
    SetHandleSize(h, UInt32(70 + samples.size()));
    if (!samples.empty()) memcpy(*h + 70, samples.data(), samples.size());
    return h;
}

class Sound : public ::testing::Test {
protected:
    SndChannelPtr chan = nullptr;
    void SetUp() override {
        if (!CaptureDeviceSet()) {
            ASSERT_FALSE(CaptureDeviceRequired()) << "the capture device of tests/alsa is missing";
            GTEST_SKIP() << "run through test.sh: no capture device";
        }
        snprintf(OrvaGetDigitalOutputDevice(), kDigitalOutputDeviceSize, "%s", "default");
        DeleteCaptures();
        OrvaSoundTraceClear();
        InitSoundHp();
        ASSERT_EQ(SndNewChannel(&chan, 0, 0, nullptr), noErr);
    }
    void TearDown() override {
        if (chan) SndDisposeChannel(chan, 1);
        DeleteCaptures();
    }
    bool Busy() {
        SCStatus status{};
        EXPECT_EQ(SndChannelStatus(chan, sizeof status, &status), noErr);
        return status.scChannelBusy;
    }
    // Polls every 10 ms, up to tries times, until done() holds; answers whether it did.
    template <typename Done>
    static bool WaitFor(int tries, Done done) {
        for (int i = 0; i < tries; i++) {
            if (done()) return true;
            SystemDependantSleepMs(10);
        }
        return done();
    }
};

TEST_F(Sound, SynchronousPlayPadsToThreeQuartersOfASecondAndDrainsBeforeClosing) {
    std::vector<UInt8> samples(100);
    for (size_t i = 0; i < samples.size(); i++) samples[i] = UInt8(i * 2);
    Handle sound = MakeSound(1, 22050, 8, samples);
    ASSERT_EQ(SndPlay(chan, sound, 0), noErr);
    Wav w = ReadWav(CaptureName(0));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.rate, 22050u);
    EXPECT_EQ(w.channels, 1u);
    ASSERT_EQ(w.frames(), 16537u);
    // The same file read by python3's wave module.
    std::string command = "python3 -c 'import wave,sys;w=wave.open(sys.argv[1]);print(w.getnframes(),w.getframerate())' '" +
                          CaptureName(0) + "' 2>/dev/null";
    int status = -1;
    std::string line = RunCommand(command, &status);
    if (status == 0) {  // python3 present
        EXPECT_EQ(line, "16537 22050\n");
    }
    // The capture is 16-bit: unsigned 8-bit v becomes (v - 128) << 8.
    if (w.bits == 8) {
        EXPECT_EQ(w.data[10], 20);
        EXPECT_EQ(w.data[16000], 0x80);
    } else {
        ASSERT_EQ(w.bits, 16u);
        EXPECT_EQ(SInt16(Le(w.data, 20, 2)), SInt16((20 - 128) * 256));
        EXPECT_EQ(SInt16(Le(w.data, 32000, 2)), 0);
    }
    std::string trace = TraceText();
    size_t drain = trace.find("drain\n"), close = trace.find("close\n");
    ASSERT_NE(drain, std::string::npos) << trace;
    EXPECT_LT(drain, close);
    EXPECT_EQ(HGetState(sound) & 0x80, 0);  // the caller's handle is left unlocked
    DisposHandle(sound);
}

TEST_F(Sound, SixteenBitStereoBecomesLittleEndianWithBlockAlignmentFour) {
    std::vector<UInt8> samples = {0x12, 0x34, 0xFE, 0xDC, 0x00, 0x01, 0x80, 0x00};  // two frames, big-endian
    Handle sound = MakeSound(2, 22050, 16, samples);
    ASSERT_EQ(SndPlay(chan, sound, 0), noErr);
    Wav w = ReadWav(CaptureName(0));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.channels, 2u);
    EXPECT_EQ(w.blockAlign, 4u);
    ASSERT_GE(w.data.size(), 8u);
    EXPECT_EQ(Le(w.data, 0, 2), 0x1234u);
    EXPECT_EQ(Le(w.data, 2, 2), 0xFEDCu);
    EXPECT_EQ(Le(w.data, 6, 2), 0x8000u);
    DisposHandle(sound);

    // The conversion alone, as the image in memory.
    Handle riff = CvtBufferMacToRiff(samples.data(), 2, 16, 44100, 2);
    ASSERT_NE(riff, nullptr);
    ASSERT_EQ(GetHandleSize(riff), 52u);
    std::vector<UInt8> bytes(*riff, *riff + 52);
    EXPECT_EQ(Le(bytes, 28, 4), 44100u * 4);
    EXPECT_EQ(Le(bytes, 32, 2), 4u);
    EXPECT_EQ(Le(bytes, 40, 4), 8u);
    EXPECT_EQ(bytes[44], 0x34);
    EXPECT_EQ(bytes[45], 0x12);
    DisposHandle(riff);
}

TEST_F(Sound, BadSoundDataGivesItsCodeAndPlaysNothing) {
    Handle compressed = MakeSound(1, 22050, 8, std::vector<UInt8>(10));
    (*compressed)[6 + 20] = 5;  // encoding 5
    const struct {
        Handle sound;
        OSErr code;
    } rows[] = {
        {NewHandleFrom({0, 3, 0, 0, 0, 0}), -204},
        {compressed, -206},
        {NewHandleFrom({0, 1, 0, 200, 0, 0}), -207},  // more data formats than the handle holds
        {NewHandleFrom({0, 2, 0, 0, 0xFF, 0xFF, 1, 2}), -207},  // more commands
        {NewHandleFrom({0}), -204},
        {NewHandleFrom({0, 2, 0, 0, 0, 0, 0, 0, 0, 0}), -207},  // a standard header cut before its samples
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(SndPlay(chan, row.sound, 0), row.code);
        DisposHandle(row.sound);
    }
    EXPECT_EQ(CaptureCount(), 0);
}

TEST_F(Sound, FrameCountsAreCutToTheSamplesPresent) {
    // A standard header (encoding 0) claiming 1,000,000 frames in a 300-byte handle.
    std::vector<UInt8> bytes(300, 0x90);
    memset(bytes.data(), 0, 28);
    bytes[1] = 2;
    UInt8 *header = bytes.data() + 6;
    header[5] = 0x0F;
    header[6] = 0x42;
    header[7] = 0x40;  // 1,000,000
    header[8] = 0x56;
    header[9] = 0x22;  // 22050 Hz
    Handle sound = NewHandleFrom(bytes);
    ASSERT_EQ(SndPlay(chan, sound, 1), noErr);
    WaitFor(300, [&] { return !Busy(); });
    Wav w = ReadWav(CaptureName(0));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.frames(), 300u - 6 - 22);
    DisposHandle(sound);
}

TEST_F(Sound, AsynchronousPlayReturnsAtOnceAndTheWriterFinishesIt) {
    std::vector<UInt8> samples(11025);
    for (size_t i = 0; i < samples.size(); i++) samples[i] = UInt8(0x80 + (i % 64));
    Handle sound = MakeSound(1, 22050, 8, samples);
    UInt32 before = SystemDependantGetTickCountMs();
    ASSERT_EQ(SndPlay(chan, sound, 1), noErr);
    EXPECT_LT(SystemDependantGetTickCountMs() - before, 400u);
    EXPECT_TRUE(Busy());
    SystemDependantSleepMs(400);
    // Half a second of sound: still busy, unless a loaded machine slept far too long.
    if (SystemDependantGetTickCountMs() - before < 450) {
        EXPECT_TRUE(Busy());
    }
    EXPECT_TRUE(WaitFor(300, [&] { return !Busy(); }));
    EXPECT_EQ(OrvaSoundWriterErrors(), 0u);
    Wav w = ReadWav(CaptureName(0));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.rate, 22050u);
    EXPECT_EQ(w.frames(), 11025u);
    DisposHandle(sound);
}

TEST_F(Sound, ImmediateCommandStopsAPlayingSoundWithinATick) {
    // Ten seconds: far longer than the writer's first write can cover.
    Handle sound = MakeSound(1, 22050, 8, std::vector<UInt8>(220500, 0x70));
    ASSERT_EQ(SndPlay(chan, sound, 1), noErr);
    SystemDependantSleepMs(50);
    EXPECT_TRUE(OrvaSoundOutputBusy());
    SndCommand quiet{kSndVolumeCmd, 0, 0x20};
    UInt32 before = SystemDependantGetTickCountMs();
    EXPECT_EQ(SndDoImmediate(chan, &quiet), noErr);
    EXPECT_LT(SystemDependantGetTickCountMs() - before, 1000u);
    EXPECT_FALSE(OrvaSoundOutputBusy());
    EXPECT_FALSE(Busy());
    SInt16 level = -1;
    GetSoundVol(&level);
    EXPECT_EQ(level, 1);
    Wav w = ReadWav(CaptureName(0));
    ASSERT_TRUE(w.ok);
    EXPECT_LT(w.frames(), 220500u);
    DisposHandle(sound);
}

TEST_F(Sound, AWriterWhoseDeviceKeepsFailingEndsTheSound) {
    // Ten seconds of sound on a device that fails from the second tick on, as an unplugged one
    // does: the channel is free again after about a second of failures, not after ten.
    Handle sound = MakeSound(1, 22050, 8, std::vector<UInt8>(220500, 0x70));
    ASSERT_EQ(SndPlay(chan, sound, 1), noErr);
    OrvaSoundInjectWriterFaults(1000000);
    bool done = WaitFor(500, [] { return !OrvaSoundOutputBusy(); });
    OrvaSoundInjectWriterFaults(0);
    EXPECT_TRUE(done);
    EXPECT_GE(OrvaSoundWriterErrors(), 100u);
    EXPECT_NE(TraceText().find("give up"), std::string::npos);
    // A brief failure is only counted: the next sound plays to its end.
    Handle shortSound = MakeSound(1, 22050, 8, std::vector<UInt8>(22050, 0x70));
    ASSERT_EQ(SndPlay(chan, shortSound, 1), noErr);
    OrvaSoundTraceClear();
    OrvaSoundInjectWriterFaults(5);
    EXPECT_TRUE(WaitFor(500, [] { return !OrvaSoundOutputBusy(); }));
    EXPECT_EQ(TraceText().find("give up"), std::string::npos);
    OrvaSoundInjectWriterFaults(0);
    DisposHandle(shortSound);
    DisposHandle(sound);
}

TEST_F(Sound, NewSoundsAndFlushesWhileTheWriterRuns) {
    // Starting sounds over one another and disposing of the channel never meets a running tick.
    Handle sound = MakeSound(1, 22050, 8, std::vector<UInt8>(44100, 0x60));
    for (int i = 0; i < 8; i++) {
        ASSERT_EQ(SndPlay(chan, sound, 1), noErr);
        SystemDependantSleepMs(UInt32(3 * i));
    }
    SndDisposeChannel(chan, 1);
    chan = nullptr;
    EXPECT_FALSE(OrvaSoundOutputBusy());
    EXPECT_EQ(CaptureCount(), 8);
    DisposHandle(sound);
}

TEST_F(Sound, CallbackCommandsCallTheChannelProcedure) {
    static int calls;
    static SInt16 seen;
    calls = 0;
    SndChannelPtr own = nullptr;
    ASSERT_EQ(SndNewChannel(&own, 0, 0, [](SndChannelPtr, SndCommand *cmd) {
                  calls++;
                  seen = cmd->param1;
              }),
              noErr);
    SndCommand callback{kSndCallBackCmd, 7, 0};
    EXPECT_EQ(SndDoCommand(own, &callback, 0), noErr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, 7);
    SndCommand available{kSndAvailableCmd, 0, 0};
    SndControl(3, &available);
    EXPECT_EQ(available.param1, 1);
    EXPECT_EQ(SndDisposeChannel(own, 1), noErr);
}

class Beep : public Sound {};

TEST_F(Beep, MissingFileAnswersFalseThenTheFileSoundsWithSilence) {
    std::string folder = restest::FreshFolder();
    orva_init_path_ressource();
    OrvaPathRessource[2] = SInt16(OrvaGetFolderId(folder.c_str()));
    EXPECT_FALSE(SystemDependantBeep(nullptr));
    EXPECT_EQ(CaptureCount(), 0);

    std::vector<UInt8> file(4410 * 2 + 1);  // an odd length: the last byte is ignored
    for (size_t i = 0; i + 1 < file.size(); i += 2) {
        file[i] = 0x34;
        file[i + 1] = 0x12;
    }
    FILE *f = fopen((folder + "/beep.brt").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(file.data(), 1, file.size(), f);
    fclose(f);
    EXPECT_TRUE(SystemDependantBeep(nullptr));
    Wav w = ReadWav(CaptureName(0));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.rate, 44100u);
    EXPECT_EQ(w.frames(), 17640u);
    EXPECT_EQ(Le(w.data, 2 * 4409, 2), 0x1234u);
    EXPECT_EQ(Le(w.data, 2 * 4410, 2), 0u);

    // Volume 0 flashes the menu bar instead.
    DeleteCaptures();
    SetSoundVol(0);
    UInt32 flashes = OrvaGetFlashMenuBarCount();
    SysBeep(1);
    EXPECT_EQ(OrvaGetFlashMenuBarCount() - flashes, 2u);
    EXPECT_EQ(CaptureCount(), 0);
    InitSoundHp();
    SysBeep(1);
    EXPECT_EQ(CaptureCount(), 1);
}

}  // namespace

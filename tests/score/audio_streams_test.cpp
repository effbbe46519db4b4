// ctest-labels: score-storage;threads
// Audio streams in memory and on disk behave alike; the table holds 64; a failed write answers
// a short count and is reported once, from the thread that rendered it.
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/critical_sections.h"
#include "platform/core/runtime.h"
#include "score/audio_streams.h"

namespace {

std::vector<std::string> &Errors() {
    static std::vector<std::string> errors;
    return errors;
}

TEST(AudioStreams, MemoryAndDiskStreamsBehaveAlike) {
    for (Boolean inMemory : {kTrue, kFalse}) {
        SCOPED_TRACE(inMemory ? "memory" : "disk");
        SInt16 stream = CreateFlux("Chant", 1000, inMemory);
        ASSERT_GT(stream, 0);
        EXPECT_EQ(IsFluxEnMemoire(stream), inMemory);
        StartFluxCriticalSection();
        EXPECT_EQ(GetLengthFlux(stream), 1000);
        EXPECT_EQ(TellFlux(stream), 0);
        std::vector<SInt16> ramp(300);
        for (size_t i = 0; i < ramp.size(); i++) ramp[i] = SInt16(i * 100 - 15000);
        EXPECT_TRUE(SeekFlux(stream, 900));
        EXPECT_EQ(WriteFlux(ramp.data(), 300, stream), 300);  // 200 past the end: it grows
        EXPECT_EQ(GetLengthFlux(stream), 1200);
        EXPECT_EQ(TellFlux(stream), 1200);
        EXPECT_EQ(FillFlux(stream, 50), 50);
        EXPECT_EQ(TellFlux(stream), GetLengthFlux(stream));
        EXPECT_EQ(GetLengthFlux(stream), 1250);
        EXPECT_FALSE(SeekFlux(stream, 1251));
        EXPECT_FALSE(SeekFlux(stream, -1));
        EXPECT_TRUE(SeekFlux(stream, 10));
        // The mixer reads where it wants without moving the position.
        SInt16 samples[400];
        EXPECT_EQ(LitEchantillonsFlux(stream, 899, 400, samples), 351);
        EXPECT_EQ(samples[0], 0);
        EXPECT_EQ(samples[1], -15000);
        EXPECT_EQ(samples[300], 14900);
        EXPECT_EQ(samples[301], 0);
        EXPECT_EQ(TellFlux(stream), 10);
        EXPECT_EQ(LitEchantillonsFlux(stream, 1250, 10, samples), 0);
        EndFluxCriticalSection();
        DisposeFlux(stream);
        EXPECT_EQ(TellFlux(stream), -1);
    }
}

TEST(AudioStreams, TheTableHoldsSixtyFour) {
    std::vector<SInt16> streams;
    for (int i = 0; i < kMaxFlux; i++) streams.push_back(CreateFlux("s", 10, i % 2 == 0));
    for (int i = 0; i < kMaxFlux; i++) EXPECT_EQ(streams[size_t(i)], i + 1);
    EXPECT_EQ(CreateFlux("65th", 10, kTrue), 0);
    EXPECT_EQ(CreateFlux("bad length", -1, kTrue), 0);
    DisposeFlux(5);
    EXPECT_EQ(CreateFlux("again", 10, kTrue), 5);
    for (SInt16 s : streams) DisposeFlux(s);
    EXPECT_EQ(WriteFlux(streams.data(), 1, 0), 0);
    EXPECT_EQ(GetLengthFlux(kMaxFlux + 1), -1);
}

SInt32 HalfWrite(SInt16, SInt64, SInt32 count, const SInt16 *) { return count / 2; }

TEST(AudioStreams, AFailedWriteAnswersAShortCountAndWarnsOnce) {
    Errors().clear();
    OrvaSetErrorHook([](const char *message) { Errors().push_back(message); });
    SInt16 stream = CreateFlux("Chant", 100, kFalse);
    OrvaSetFluxWriteSeam(HalfWrite);
    std::vector<SInt32> written;
    // The singer renders on the timer thread, holding the stream section.
    std::thread renderer([&] {
        SInt16 samples[64] = {};
        StartFluxCriticalSection();
        for (int i = 0; i < 3; i++) written.push_back(WriteFlux(samples, 64, stream));
        EndFluxCriticalSection();
    });
    renderer.join();
    OrvaSetFluxWriteSeam(nullptr);
    OrvaPumpErrors();
    OrvaSetErrorHook(nullptr);
    EXPECT_EQ(written, std::vector<SInt32>(3, 32));
    EXPECT_EQ(TellFlux(stream), 96);
    EXPECT_EQ(GetLengthFlux(stream), 100);
    EXPECT_EQ(Errors(), std::vector<std::string>{"WriteFlux:write error"});
    DisposeFlux(stream);
}

}  // namespace

// ctest-labels: user-run;playback
// omplay and wavnotes as a user runs them, from the build tree without sanitizers: wavnotes
// hears a chord as one onset, a metronome's clicks without their echoes and a scale's eight
// notes; omplay finds its tree's banks and says once which one is missing; a sanitized tool
// ends with status 0 without the tests' sanitizer options; WAV files with other chunks read.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/audio_support.h"
#include "support/tool_support.h"

namespace {

std::string Tool(const char *name) { return std::string("'") + ORVA_BROWSER_TOOLS_DIR + "/" + name + "'"; }

struct Heard {
    int status = -1;
    size_t count = 0;  // the "onsets=N" line
    std::vector<double> times, hz;
};

// omplay renders the demo with these options, wavnotes lists what it hears.
Heard Listen(const std::string &demo, const std::string &options) {
    Heard heard;
    std::string wav = TempFile(demo + ".wav");
    int status = -1;
    RunCommand(Tool("omplay") + " --demo " + demo + " " + options + " --wav '" + wav + "'", &status);
    EXPECT_EQ(status, 0) << "./test.sh builds the tools of build/browser";
    std::istringstream out(RunCommand(Tool("wavnotes") + " '" + wav + "'", &heard.status));
    remove(wav.c_str());
    std::string first;
    out >> first;
    if (first.rfind("onsets=", 0) != 0) return heard;
    heard.count = std::stoul(first.substr(7));
    double time, hz, level;
    std::string name;
    while (out >> time >> hz >> name >> level) {
        heard.times.push_back(time);
        heard.hz.push_back(hz);
    }
    return heard;
}

// Counted by hand in the demos: the two chords of "chords", the count-in's eight clicks and the
// eight of the two empty measures of "metronome", the eight quarters of "scale".
TEST(ToolsByHand, WavnotesHearsEachNoteOnce) {
    const struct {
        const char *demo, *options;
        size_t onsets;
        double apart;  // seconds between onsets
    } rows[] = {{"chords", "", 2, 1.0}, {"metronome", "--count-in 2", 16, 0.5}, {"scale", "", 8, 0.5}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.demo);
        Heard heard = Listen(row.demo, row.options);
        EXPECT_EQ(heard.status, 0);
        EXPECT_EQ(heard.count, row.onsets);
        ASSERT_EQ(heard.times.size(), row.onsets);
        EXPECT_NEAR(heard.times[0], 0.0, 0.010);
        for (size_t i = 1; i < heard.times.size(); i++) EXPECT_NEAR(heard.times[i] - heard.times[i - 1], row.apart, 0.010) << i;
    }
    // C major from C4: the strongest frequency of each note, within 1 %.
    const double kScaleHz[8] = {261.63, 293.66, 329.63, 349.23, 392.00, 440.00, 493.88, 523.25};
    Heard scale = Listen("scale", "");
    ASSERT_EQ(scale.hz.size(), 8u);
    for (size_t i = 0; i < 8; i++) EXPECT_NEAR(scale.hz[i], kScaleHz[i], kScaleHz[i] * 0.01) << i;
}

TEST(ToolsByHand, OmplayNamesAMissingBankOnce) {
    int status = -1;
    std::string err = TempFile("omplay.err"), wav = TempFile("missing.wav");
    RunCommand(Tool("omplay") + " --demo scale --bank-folder /no/such/folder --wav '" + wav + "' 2>'" + err + "'", &status);
    std::string said;
    if (FILE *f = fopen(err.c_str(), "r")) {
        char line[512];
        while (fgets(line, sizeof line, f)) said += line;
        fclose(f);
    }
    remove(err.c_str());
    remove(wav.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_NE(said.find("omplay: no bank \"OMS Basic\" in /no/such/folder"), std::string::npos) << said;
    EXPECT_EQ(said.find("no bank"), said.rfind("no bank")) << said;
}

// This tree's own tools, sanitized or not, end a good run with status 0 and say nothing more
// though the tests' sanitizer options are taken away: a sanitized tool carries the
// suppressions it needs (omrender sets up fonts, whose library keeps caches for the process).
TEST(ToolsByHand, ToolsEndCleanWithoutTheTestsOptions) {
    const std::string plain = "env -u LSAN_OPTIONS -u ASAN_OPTIONS -u TSAN_OPTIONS ";
    std::string wav = TempFile("plain.wav"), png = TempFile("plain.png");
    int status = -1;
    std::string said = RunCommand(plain + "'" + ToolPath("omrender") + "' --demo scale -o '" + png + "' 2>&1", &status);
    remove(png.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    EXPECT_EQ(said.find("Sanitizer"), std::string::npos) << said;
    EXPECT_EQ(said.find("Suppressions"), std::string::npos) << said;
    RunCommand(plain + "'" + ToolPath("omplay") + "' --demo chords --wav '" + wav + "' 2>&1", &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    std::string out = RunCommand(plain + "'" + ToolPath("wavnotes") + "' '" + wav + "' 2>&1", &status);
    remove(wav.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
    EXPECT_EQ(out.rfind("onsets=2\n", 0), 0u) << out;
}

// A WAV file's chunks, built by hand: its header, a format chunk, chunks the reader passes
// over (one of odd length, padded) and the samples.
std::string Chunk(const std::string &id, const std::string &body) {
    std::string size(4, '\0');
    for (int i = 0; i < 4; i++) size[size_t(i)] = char(body.size() >> (8 * i) & 0xFF);
    return id + size + body + (body.size() % 2 ? std::string(1, '\0') : "");
}

std::string Wav(const std::vector<std::string> &chunks) {
    std::string body = "WAVE";
    for (const std::string &c : chunks) body += c;
    return Chunk("RIFF", body);
}

TEST(ToolsByHand, WavFilesWithOtherChunksReadBack) {
    // PCM, 2 channels, 8000 Hz, 32000 bytes a second, 4-byte frames, 16 bits.
    const std::string fmt16 = Chunk("fmt ", std::string("\x01\x00\x02\x00\x40\x1f\x00\x00\x00\x7d\x00\x00\x04\x00\x10\x00", 16));
    const std::string fmt8 = Chunk("fmt ", std::string("\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00", 16));
    // Two frames: (0x4000, -0x4000), (0x7FFF, 0).
    const std::string data = Chunk("data", std::string("\x00\x40\x00\xc0\xff\x7f\x00\x00", 8));
    const struct {
        const char *label;
        std::string bytes;
        bool reads;
    } rows[] = {
        {"plain", Wav({fmt16, data}), true},
        {"a list chunk first", Wav({Chunk("LIST", std::string("INFOISFT\x04\x00\x00\x00sox", 15)), fmt16, data}), true},
        {"an odd chunk, padded", Wav({fmt16, Chunk("junk", "abc"), data}), true},
        {"8 bits", Wav({fmt8, data}), false},
        {"no format", Wav({data}), false},
        {"no samples", Wav({fmt16}), false},
        {"not a WAV file", std::string("RIFX") + std::string(40, '\0'), false},
        {"empty", "", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        std::string path = TempFile("chunks.wav");
        FILE *f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(row.bytes.data(), 1, row.bytes.size(), f);
        fclose(f);
        Audio audio;
        EXPECT_EQ(ReadWav(path, &audio), row.reads);
        remove(path.c_str());
        if (!row.reads) continue;
        EXPECT_EQ(audio.rate, 8000);
        ASSERT_EQ(audio.left.size(), 2u);
        EXPECT_FLOAT_EQ(audio.left[0], 0.5f);
        EXPECT_FLOAT_EQ(audio.right[0], -0.5f);
        EXPECT_FLOAT_EQ(audio.left[1], 32767 / 32768.0f);
        EXPECT_FLOAT_EQ(audio.right[1], 0.0f);
    }
}

}  // namespace

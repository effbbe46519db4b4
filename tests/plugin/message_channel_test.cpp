// ctest-labels: joints;plugin-shell
// One message channel: with the plug-in started as the browser starts it and an instance that
// turned tracing on, the importer's warnings and the sound output's failures reach the plug-in's
// trace log, not standard error.
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "import/musicxml/musicxml_import.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "score/preferences.h"
#include "score/score_model.h"
#include "sound/playback.h"
#include "support/plugin_support.h"

namespace {

plugintest::PlugInEnvironment *const gPlugIn = static_cast<plugintest::PlugInEnvironment *>(
    ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(NpHostOptions())));

// A part whose MIDI channel lies outside 1..16: the importer brings it within and warns.
const char kOddChannel[] =
    "<?xml version=\"1.0\"?>\n"
    "<score-partwise version=\"3.1\"><part-list><score-part id=\"P1\"><part-name>Flute</part-name>"
    "<score-instrument id=\"P1-I1\"><instrument-name>Flute</instrument-name></score-instrument>"
    "<midi-instrument id=\"P1-I1\"><midi-channel>40</midi-channel><midi-program>74</midi-program>"
    "</midi-instrument></score-part></part-list>"
    "<part id=\"P1\"><measure number=\"1\"><attributes><divisions>1</divisions><time><beats>4</beats>"
    "<beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef></attributes>"
    "<note><rest/><duration>4</duration></note></measure></part></score-partwise>\n";

// What the process writes on standard error while it lives, put back when it goes.
class StandardErrorCatcher {
public:
    explicit StandardErrorCatcher(const std::string &path) : path_(path) {
        fflush(stderr);
        saved_ = dup(2);
        int file = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        dup2(file, 2);
        close(file);
    }
    ~StandardErrorCatcher() { Restore(); }
    std::string Text() {
        Restore();
        return OrvaTestReadFile(path_);
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
    }
    std::string path_;
    int saved_ = -1;
};

class MessageChannel : public ::testing::Test {
protected:
    void SetUp() override {
        NpHostDestroyAll();
        NpHostRunQueued();
        plugintest::NewInstance(plugintest::Params({{"DEBUG", "on"}}));
        ASSERT_TRUE(PlugGetTrace());
    }
    void TearDown() override { PlugSetTrace(kFalse); }
    std::string TraceLog() { return OrvaTestReadFile(gPlugIn->Folder() + "/OndrakMusicPlugin.txt"); }
    static size_t Occurrences(const std::string &text, const std::string &what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
        return n;
    }
};

TEST_F(MessageChannel, AnImportWarningIsWrittenToTheTraceLog) {
    std::string path = gPlugIn->Folder() + "/odd-channel.xml";
    ASSERT_TRUE(OrvaTestWriteFile(path, kOddChannel));
    UInt8 warnings = pref.warnings;
    pref.warnings = 1;
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    ASSERT_NE(document, nullptr);
    std::string err;
    {
        StandardErrorCatcher catcher(gPlugIn->Folder() + "/stderr.txt");
        FILE *stream = fopen(path.c_str(), "rb");
        ASSERT_NE(stream, nullptr);
        EXPECT_TRUE(ChargeMusiqueXML(document, nullptr, stream));
        fclose(stream);
        err = catcher.Text();
    }
    pref.warnings = warnings;
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    const std::string warning = "-- AVERTISSEMENT -- musicxml: a MIDI value outside";
    EXPECT_EQ(Occurrences(TraceLog(), warning), 1u) << TraceLog();
    EXPECT_EQ(err.find("AVERTISSEMENT"), std::string::npos) << err;
}

TEST_F(MessageChannel, AnOutputDeviceThatCannotOpenIsTracedOnce) {
    char saved[kDigitalOutputDeviceSize];
    snprintf(saved, sizeof saved, "%s", OrvaGetDigitalOutputDevice());
    snprintf(OrvaGetDigitalOutputDevice(), kDigitalOutputDeviceSize, "%s", "nosuchdevice");
    EXPECT_FALSE(InitConfigurationPeriphWindow());
    EXPECT_FALSE(InitConfigurationPeriphWindow());  // the same problem again: no second line
    snprintf(OrvaGetDigitalOutputDevice(), kDigitalOutputDeviceSize, "%s", saved);
    EXPECT_EQ(Occurrences(TraceLog(), "Sound output \"nosuchdevice\" cannot be opened"), 1u) << TraceLog();
}

}  // namespace

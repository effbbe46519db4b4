// ctest-labels: musicxml-driver
// The MusicXML load on small documents: format rows, staves and voices, bars, instruments,
// titles and scale, refused documents and containers, and the clamps of hostile values.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <zlib.h>

#include "import/musicxml/musicxml_import.h"
#include "import/musicxml/musicxml_passes.h"
#include "import/xml/zip_members.h"
#include "score/instruments.h"
#include "score/part_groups.h"
#include "score/score_formats.h"
#include "score/tablature_record.h"
#include "support/score_support.h"
#include "support/tool_support.h"
#include "support/import/musicxml_support.h"
#include "support/import/xml_support.h"

namespace {

std::string Note(const std::string &voice, const std::string &staff = "") {
    return "<note><pitch><step>C</step><octave>4</octave></pitch><duration>1</duration>" +
           (voice.empty() ? "" : "<voice>" + voice + "</voice>") + (staff.empty() ? "" : "<staff>" + staff + "</staff>") +
           "</note>";
}

std::string Notes(const std::vector<std::string> &voices, const std::string &staff = "") {
    std::string notes;
    for (const std::string &v : voices) notes += Note(v, staff);
    return notes;
}

const std::string kPiano = Doc(ScorePart("P1"), Part("P1", Measure("<attributes><staves>2</staves></attributes>" +
                                                                     Note("1", "1") + Note("1", "2") + Note("2", "2"))));

TEST(MusicXMLFormats, RowsAreChosenByTheLastExtension) {
    OublieFormatsPartition();
    XMLEnregistreFormats();
    struct Row {
        const char *name;
        bool xml, mxl, xmz;
        const char *row;
    } rows[] = {
        {"score.MXL", false, true, false, "MusicXML zip"},   {"score", false, false, false, nullptr},
        {"a.b.xml", true, false, false, "MusicXML"},         {"x.musicxml", true, false, false, "MusicXML"},
        {"song.XmZ", false, false, true, "MusicXML gzip"},   {"dir.xml/score", false, false, false, nullptr},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(bool(IsFichierXML(r.name)), r.xml);
        EXPECT_EQ(bool(IsFichierMXL(r.name)), r.mxl);
        EXPECT_EQ(bool(IsFichierXMLCompresse(r.name)), r.xmz);
        const ScoreFormatOps *row = RechercheFormatPartition(r.name);
        EXPECT_STREQ(row ? row->name : nullptr, r.row);
    }
}

TEST(MusicXMLConversions, AccidentalNamesAreComparedExactly) {
    const std::pair<const char *, int> rows[] = {{"natural", 0}, {"sharp", 1},      {"flat", 3},   {"double-sharp", 4},
                                                 {"sharp-sharp", 4}, {"flat-flat", 5}, {"Sharp", 2}, {nullptr, 2}};
    for (const auto &r : rows) EXPECT_EQ(XMLGetAccidentalCode(r.first), r.second) << (r.first ? r.first : "null");
}

// Fixed: a shifted pitch above 127 used to wrap into a rest or a chord continuation.
TEST(MusicXMLConversions, OctaveShiftsKeepMidiPitchesOnEveryMergedStaff) {
    ScoreFixture f;
    StaffHandle upper = f.Staff(), lower = f.Staff();
    (*upper)->continuedByNext = 1;
    AddNote(upper, 60, 0);
    AddNote(upper, 120, 40320);
    AddNote(lower, 48, 0);
    AddNote(lower, 50, 161280);
    XMLShiftOctaves(f.score, 1, 0, 80640, -1);
    EXPECT_EQ(GetNotePtr(upper, 0)->pitch, 72);
    EXPECT_EQ(GetNotePtr(upper, 1)->pitch, 120);
    EXPECT_EQ(GetNotePtr(lower, 0)->pitch, 60);
    EXPECT_EQ(GetNotePtr(lower, 1)->pitch, 50);  // after the range
}

TEST(MusicXMLStaves, StavesFollowPartsStaffNumbersVoicesAndInstruments) {
    const std::string twoInstruments =
        ScorePart("P1", "<part-name>Organ</part-name><score-instrument id=\"a\"/><score-instrument id=\"b\"/>");
    const std::string oddId = "a/b>c]d=e";
    std::vector<std::string> seventeen;
    for (char c = 'a'; c <= 'q'; c++) seventeen.push_back(std::string(1, c));
    struct Row {
        const char *label;
        std::string doc;
        SInt16 count;
        std::string staves, groups;  // staves "": not compared
    } rows[] = {
        {"piano", kPiano, 3, "P 0.0.0 P 0.1.0+ P-2 0.1.1", "0-2"},
        {"two instruments", Doc(twoInstruments, Part("P1", Measure(Note("1")))), 2, "Organ 0.0.0+ Organ 0.0.0", ""},
        // Fixed: a voice that is not a number used to make 2^31 staves.
        {"voice x", Doc(ScorePart("P1"), Part("P1", Measure(Notes({"x", "x"}, "1") + Note("x", "2")))), 2,
         "P 0.0.0 P 0.1.0", "0-1"},
        {"odd voices", Doc(ScorePart("P1"), Part("P1", Measure(Notes({"1", "x", "0", "-3", "99999"})))), 5,
         "P 0.0.0+ P-2 0.0.1+ P-3 0.0.2+ P-4 0.0.3+ P-5 0.0.4", ""},
        {"seventeen odd voices", Doc(ScorePart("P1"), Part("P1", Measure(Notes(seventeen)))), 16, "", ""},
        // Fixed: staves and staff numbers were unbounded.
        {"staves 10^9", Doc(ScorePart("P1"), Part("P1", Measure("<attributes><staves>1000000000</staves></attributes>"))),
         16, "", "0-15"},
        {"staff 99", Doc(ScorePart("P1"), Part("P1", Measure(Note("1", "99")))), 16, "", "0-15"},
        // Fixed: a score-part without id went into a "%s"; ids went into paths.
        {"no id", Doc("<score-part/>" + ScorePart(oddId), Part(oddId, Measure(Note("1")))), 1, "P 1.0.0", ""},
        {"no id is no id printed", Doc("<score-part/>", Part("(null)", Measure(Note("1")))), 0, "", ""},
        {"no part-list", "<score-partwise>" + Part("P1", Measure(Note("1"))) + "</score-partwise>", 0, "", ""},
        {"parts and score-parts apart", Doc(ScorePart("P1"), Part("P2", Measure(Note("1")))), 0, "", ""},
        {"duplicate ids", Doc(ScorePart("P1") + ScorePart("P1"), Part("P1", Measure(Note("1"))) + Part("P1", "")), 2,
         "P 0.0.0 P 1.0.0", ""},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        Loaded load(r.doc);
        ASSERT_TRUE(load.ok);
        EXPECT_EQ((*load.Score())->staffCount, r.count);
        if (!r.staves.empty()) {
            EXPECT_EQ(load.Staves(), r.staves);
        }
        EXPECT_EQ(load.Groups(), r.groups);
    }
}

TEST(MusicXMLStaves, StaffDetailsGiveLinesAndStrings) {
    auto details = [](const std::string &clef, const std::string &inside) {
        return Doc(ScorePart("P1"), Part("P1", Measure("<attributes><clef><sign>" + clef + "</sign></clef><staff-details " +
                                                       inside + "</staff-details></attributes>")));
    };
    auto tuning = [](int line, const char *step, int octave) {
        return "<staff-tuning line=\"" + std::to_string(line) + "\"><tuning-step>" + step + "</tuning-step><tuning-octave>" +
               std::to_string(octave) + "</tuning-octave></staff-tuning>";
    };
    std::string guitar = tuning(1, "E", 2) + tuning(2, "A", 2) + tuning(3, "D", 3) + tuning(4, "G", 3) +
                         tuning(5, "B", 3) + tuning(6, "E", 4);
    struct Row {
        const char *label;
        std::string doc;
        UInt16 shown;
        std::vector<int> strings;
    } rows[] = {
        {"guitar", details("TAB", "><staff-lines>6</staff-lines>" + guitar), 0x3F, {64, 59, 55, 50, 45, 40}},
        // Fixed: lines 0 and 17 are outside the staff's strings; 99 lines passed the line flags.
        {"odd tuning lines", details("tab", "><staff-lines>99</staff-lines>" + tuning(0, "C", 4) + tuning(17, "C", 4) +
                                                tuning(2, "C", 4) + tuning(1, "C", 9)),
         0xFFFF, {60, 120}},
        {"one line", details("percussion", "><staff-lines>1</staff-lines>"), 0x04, {}},
        {"no line", details("G", "><staff-lines>0</staff-lines><staff-size>-5</staff-size>"), 0, {}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        Loaded load(r.doc);
        ASSERT_TRUE(load.ok);
        StaffHandle staff = GetPortee(load.Score(), 0);
        EXPECT_EQ((*staff)->shownLines, r.shown);
        const TablatureRecord *tab = GetTablaturePtr(staff);
        std::vector<int> strings;
        for (SInt16 k = 0; tab && k < tab->stringCount; k++) strings.push_back(tab->strings[k].pitch);
        EXPECT_EQ(strings, r.strings);
    }
    Loaded hidden(details("G", "print-object=\"no\">"));
    EXPECT_EQ(hidden.document->pageLayouts[0].flags[0], 1);
}

TEST(MusicXMLBars, PartsShareTheRecordsOfTheirNumbers) {
    std::string measures = Measure("", "0") + "<measure number=\"X1\" implicit=\"YES\"/>" +
                           Measure("<attributes><measure-style><multiple-rest>4</multiple-rest></measure-style>"
                                   "</attributes>", "2") + "<measure/>";
    Loaded load(Doc(ScorePart("P1") + ScorePart("P2"), Part("P1", measures) + Part("P2", measures + Measure("", "2"))));
    std::vector<XMLBarRecord> bars = load.Bars();
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_STREQ(bars[1].number, "X1");
    EXPECT_EQ(bars[1].implicit, 1);
    // A multiple rest of 4 starting at bar 2 keeps no count there and marks the bar it covers.
    EXPECT_EQ(bars[2].multipleRests, 0);
    EXPECT_EQ(bars[3].multipleRests, 1);
    EXPECT_EQ(bars[3].measure, 3);
    EXPECT_EQ(CvtBarXMLEnBarCadenzo(load.Score(), 1), 1);
    EXPECT_EQ(CvtBarXMLEnBarCadenzo(load.Score(), 3), 3);
    ScoreFixture native;
    EXPECT_EQ(CvtBarXMLEnBarCadenzo(native.score, 7), 7);
}

TEST(MusicXMLInstruments, MidiValuesAreConvertedAndClamped) {
    struct Row {
        const char *midi;
        int program, bank, channel, volume, pan, unpitched, transposition;
        SInt32 sound;
    } rows[] = {
        {"<midi-program>1</midi-program>", 0, 0, 1, 127, 64, 0, 0, RsrcDgitInstrument(0, 0)},
        {"<midi-program>0</midi-program><midi-bank>2</midi-bank>", 0, 1, 1, 127, 64, 0, 0, RsrcDgitInstrument(0, 128)},
        {"<pan>-90</pan><volume>80</volume>", 0, 0, 1, 101, 0, 0, 0, 0},
        {"<pan>0</pan><midi-volume>90</midi-volume>", 0, 0, 1, 90, 63, 0, 0, 0},
        {"<midi-panning>0</midi-panning><pan>90</pan>", 0, 0, 1, 127, 126, 0, 0, 0},
        {"<midi-channel>10</midi-channel><midi-unpitched>39</midi-unpitched>", 0, 0, 10, 127, 64, 1, 38,
         RsrcDgitBatterie(0, 38)},
        // Fixed: values beyond their fields used to overflow them.
        {"<midi-channel>40</midi-channel><midi-program>500</midi-program><midi-bank>999</midi-bank><pan>180</pan>"
         "<volume>300</volume>",
         127, 127, 16, 127, 127, 0, 0, RsrcDgitInstrument(127, 127 * 128)},
        {"<midi-channel>0</midi-channel><midi-program>-4</midi-program><pan>-180</pan><volume>-5</volume>", 0, 0, 1, 0,
         0, 0, 0, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.midi);
        Loaded load(Doc(ScorePart("P1", std::string("<score-instrument id=\"I\"><instrument-name>Flûte</instrument-name>"
                                                    "</score-instrument><midi-instrument id=\"I\">") +
                                            r.midi + "</midi-instrument>"),
                        Part("P1", "")));
        const InstrumentRecord *i = GetInstrumentPtr(load.Score(), 0);
        ASSERT_TRUE(i);
        EXPECT_STREQ(i->name, "Fl\x9Ete");  // MacRoman
        EXPECT_EQ(std::vector<int>({i->program, i->bank, i->channel, i->volume, i->pan, i->unpitched, i->transposition}),
                  std::vector<int>({r.program, r.bank, r.channel, r.volume, r.pan, r.unpitched, r.transposition}));
        EXPECT_EQ(SInt32(i->soundId), r.sound);
        StaffHandle staff = GetPortee(load.Score(), 0);
        EXPECT_EQ(std::vector<int>({(*staff)->volume, (*staff)->pan}), std::vector<int>({r.volume, r.pan}));
    }
}

// Fixed: an id never registered answered the first instrument of the first part.
TEST(MusicXMLInstruments, AnUnknownIdIsAnyInstrument) {
    XMLTreePtr tree(ParseXMLText(Doc(ScorePart("P1", "<score-instrument id=\"a\"/><score-instrument id=\"b\"/>"),
                                     Part("P1", Measure(Note("1"))))));
    ScoreFixture f;
    XMLImportState state;
    XMLInitImportState(&state, f.document, tree.get(), XMLGetChild(tree.get(), "score-partwise", 0));
    ASSERT_EQ(XMLCreePortees(&state), noErr);
    EXPECT_EQ(XMLGetInstrumentIdFromStr(&state, 0, "b"), 1);
    EXPECT_EQ(XMLGetInstrumentIdFromStr(&state, 0, "nope"), -1);
    EXPECT_EQ(XMLGetInstrumentIdFromStr(&state, 1, "a"), -1);
    EXPECT_EQ(XMLGetPorteeFromId(&state, 0, 0, 0, 1), GetPortee(f.score, 1));
    XMLDisposeImportState(&state);
}

TEST(MusicXMLInfos, TitlesAndCreatorsFillTheSlots) {
    struct Row {
        const char *head;
        const char *title, *composer, *poet;
    } rows[] = {
        {"<work><work-title>W</work-title></work><movement-title>M</movement-title>", "W", "", ""},
        {"<movement-title>M</movement-title><identification><creator>C</creator>"
         "<creator type=\"lyricist\">L</creator><creator type=\"poet\">P</creator></identification>",
         "M", "C", "P"},
        {"<identification><creator type=\"composer\">A</creator><creator type=\"composer\">B</creator></identification>",
         "", "B", ""},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.head);
        Loaded load(Doc("", "", r.head));
        EXPECT_STREQ(load.document->titles[0].text, r.title);
        EXPECT_STREQ(load.document->titles[1].text, r.composer);
        EXPECT_STREQ(load.document->titles[2].text, r.poet);
    }
}

TEST(MusicXMLInfos, ScalingGivesMillimetresPerTenth) {
    const std::pair<const char *, float> rows[] = {
        {"<scaling><millimeters>7.05</millimeters><tenths>40</tenths></scaling>", 0.17625f},
        {"", 0.15f},
        // Fixed: a tenths of 0 made the scale infinite.
        {"<scaling><millimeters>7</millimeters><tenths>0</tenths></scaling>", 0.15f},
    };
    for (const auto &r : rows) {
        XMLTreePtr tree(ParseXMLText(Doc("", "", std::string("<defaults>") + r.first + "</defaults>")));
        XMLImportState state;
        XMLInitImportState(&state, nullptr, tree.get(), XMLGetChild(tree.get(), "score-partwise", 0));
        XMLGetScaling(&state);
        EXPECT_FLOAT_EQ(XMLGetCurMMParTenth(&state), r.second) << r.first;
    }
}

// Fixed: a document that did not parse loaded as an empty score.
TEST(MusicXMLDriver, DocumentsThatAreNotPartwiseScoresFailWithOneMessage) {
    const std::pair<std::string, std::string> rows[] = {
        {kPiano.substr(0, kPiano.size() / 2), " at line 1"},
        {"<score-timewise/>", "score-timewise documents are not supported"},
        {"<html/>", "the document is not a score-partwise document"},
        {"", " at line 1"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.first);
        Loaded load(r.first);
        EXPECT_FALSE(load.ok);
        ASSERT_EQ(load.reports.failures.size(), 1u);
        EXPECT_NE(load.reports.failures[0].find(r.second), std::string::npos) << load.reports.failures[0];
        EXPECT_TRUE(IsPartitionValide(load.Score()));
    }
}

// A document of archive members written with the container writer, loaded through the mxl row.
struct Archive {
    std::string path;
    explicit Archive(const std::vector<std::pair<std::string, std::string>> &members) {
        path = XMLMakeArchive("score.mxl", members);
    }
    ~Archive() { remove(path.c_str()); }
};

std::string Titled(const char *title) { return Doc("", "", std::string("<movement-title>") + title + "</movement-title>"); }

TEST(MusicXMLContainers, TheRootMemberIsFoundOrTheLoadFails) {
    const std::string container =
        "<container><rootfiles><rootfile full-path=\"b.xml\"/><rootfile full-path=\"a.xml\"/></rootfiles></container>";
    struct Row {
        const char *label;
        std::vector<std::pair<std::string, std::string>> members;
        const char *title;  // null: the load fails
        const char *said;   // not null: the load's only message, traced, and nothing was parsed
    } rows[] = {
        {"two rootfiles", {{"META-INF/container.xml", container}, {"a.xml", Titled("A")}, {"b.xml", Titled("B")}}, "B",
         nullptr},
        // Fixed: without a container the archive's own name was looked for.
        {"no container", {{"META-INF/x.xml", Titled("M")}, {"notes.txt", "x"}, {"piece.XML", Titled("P")}}, "P",
         nullptr},
        {"no rootfile", {{"META-INF/container.xml", "<container/>"}, {"s.musicxml", Titled("S")}}, "S", nullptr},
        // Fixed: a missing member let the zip bytes be parsed as XML.
        {"missing member", {{"META-INF/container.xml", container}, {"a.xml", Titled("A")}}, nullptr,
         "file b.xml not found in the zipfile"},
        {"not xml", {{"a.xml", "PK\x03\x04 binary"}}, nullptr, nullptr},
        {"empty", {}, nullptr, nullptr},
    };
    OublieFormatsPartition();
    XMLEnregistreFormats();
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        Archive archive(r.members);
        XMLReportCatcher reports;
        ScoreFixture f;
        bool loaded = RechercheFormatPartition(archive.path.c_str())->load(f.document, archive.path.c_str(), -1);
        EXPECT_EQ(loaded, r.title != nullptr);
        if (r.title) {
            EXPECT_STREQ(f.document->titles[0].text, r.title);
            EXPECT_EQ(f.document->format, kFormatMXL);
        }
        if (r.said) {
            EXPECT_TRUE(reports.failures.empty()) << reports.failures[0];
            ASSERT_FALSE(reports.traces.empty());
            EXPECT_EQ(reports.traces.back(), r.said);
        }
    }
}

TEST(MusicXMLContainers, GzipDocumentsAreInflatedWithinTheirLimit) {
    OublieFormatsPartition();
    XMLEnregistreFormats();
    std::string path = TempFile("score.xmz"), bomb = TempFile("bomb.xmz"), zeros(1 << 20, '\0');
    gzFile file = gzopen(path.c_str(), "wb");
    gzputs(file, Titled("Z").c_str());
    gzclose(file);
    // Gzip members may follow one another: 257 members of 1 MiB of zeros inflate past 256 MiB.
    file = gzopen(bomb.c_str(), "wb9");
    for (int i = 0; i < 257; i++) gzwrite(file, zeros.data(), unsigned(zeros.size())), gzflush(file, Z_FINISH);
    gzclose(file);
    XMLReportCatcher reports;
    ScoreFixture f;
    EXPECT_TRUE(RechercheFormatPartition(path.c_str())->load(f.document, path.c_str(), -1));
    EXPECT_STREQ(f.document->titles[0].text, "Z");
    EXPECT_EQ(f.document->format, kFormatXMZ);
    EXPECT_FALSE(RechercheFormatPartition(bomb.c_str())->load(f.document, bomb.c_str(), -1));
    ASSERT_FALSE(reports.failures.empty());
    EXPECT_NE(reports.failures.back().find("more than 256 MiB"), std::string::npos);
    remove(path.c_str());
    remove(bomb.c_str());
}

}  // namespace

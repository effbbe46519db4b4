// ctest-labels: musicxml-notes
// The measures and notes of a MusicXML load on small documents: time values and signatures,
// named jumps, the timing written on the note elements, measures, repeats, endings and splits,
// pitches, velocities, accidentals, slashes, marks, grace notes, the note stacks, ties, slurs
// and beams, and hostile values. Expected values are worked out by hand from the documents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engraving/links.h"
#include "import/musicxml/musicxml_import.h"
#include "import/musicxml/musicxml_notes.h"
#include "import/musicxml/musicxml_passes.h"
#include "import/musicxml/musicxml_timing.h"
#include "score/dynamics_objects.h"
#include "score/measures.h"
#include "score/note_params.h"
#include "score/notes.h"
#include "score/played_measures.h"
#include "score/preferences.h"
#include "score/ruptures.h"
#include "support/import/musicxml_support.h"
#include "support/message_catcher.h"
#include "support/score_support.h"

namespace {

// A note of C4 (or step and octave) lasting duration divisions, with more children.
std::string N(const std::string &more = "", int duration = 1, const std::string &step = "C", int octave = 4) {
    return "<note><pitch><step>" + step + "</step><octave>" + std::to_string(octave) + "</octave></pitch><duration>" +
           std::to_string(duration) + "</duration>" + more + "</note>";
}

std::string Attributes(int divisions, const std::string &time = "", const std::string &more = "") {
    return "<attributes><divisions>" + std::to_string(divisions) + "</divisions>" +
           (time.empty() ? "" : "<time><beats>" + time.substr(0, time.find('/')) + "</beats><beat-type>" +
                                    time.substr(time.find('/') + 1) + "</beat-type></time>") +
           more + "</attributes>";
}

// One part, measures given whole.
std::string OnePart(const std::string &measures) { return Doc(ScorePart("P1"), Part("P1", measures)); }

std::vector<NoteRecord> Notes(Loaded &load, SInt16 staff = 0) {
    std::vector<NoteRecord> notes;
    StaffHandle s = GetPortee(load.Score(), staff);
    for (SInt32 i = 0; s && i < (*s)->noteCount; i++) notes.push_back(*GetNotePtr(s, i));
    return notes;
}

std::vector<SInt32> Times(Loaded &load, SInt16 staff = 0) {
    std::vector<SInt32> times;
    for (const NoteRecord &n : Notes(load, staff)) times.push_back(SInt32(n.time));
    return times;
}

std::vector<SInt32> Lengths(Loaded &load) {
    std::vector<SInt32> lengths;
    for (SInt32 m = 0; m < (*load.Score())->measureCount; m++) lengths.push_back(SInt32(GetMesurePtr(load.Score(), m)->length));
    return lengths;
}

std::vector<UInt8> Marks(Loaded &load, SInt32 index, SInt16 staff = 0) {
    std::vector<UInt8> types;
    StaffHandle s = GetPortee(load.Score(), staff);
    for (SInt32 k = 0; k < GetNbMarquesNote(s, index); k++) {
        MarkRecord mark;
        GetMarqueNote(s, index, k, &mark);
        types.push_back(mark.type);
    }
    return types;
}

XMLElt *Parsed(XMLTreePtr &tree, const std::string &text) {
    tree.reset(ParseXMLText(text));
    return tree ? XMLGetChild(tree.get(), "score-partwise", 0) : nullptr;
}

// ---- Time values, signatures and jumps ---------------------------------------------------------

TEST(MusicXMLTime, TypeNamesAreReadWithoutRegardToCase) {
    const std::pair<const char *, SInt32> rows[] = {{"Quarter", 40320}, {"128th", 1260}, {"WHOLE", 161280},
                                                    {"long", 645120},   {"64th", 2520},  {"zzz", 1260}};
    for (const auto &r : rows) EXPECT_EQ(XMLGetNoteTypeDuration(r.first), r.second) << r.first;
    EXPECT_EQ(XMLGetNoteTypeDuration(nullptr), 0);
}

TEST(MusicXMLTime, TimeElementsGiveSignatures) {
    struct Row {
        const char *time;
        bool read;
        int numerator, denominator, shown, second, shownDenominator, symbol;
    } rows[] = {
        {"<time><beats>3+2</beats><beat-type>8</beat-type></time>", true, 5, 8, 3, 2, 8, 0},
        {"<time symbol=\"common\"><beats>3</beats><beat-type>8</beat-type></time>", true, 4, 4, 4, 0, 4, 1},
        {"<time symbol=\"cut\"/>", true, 2, 2, 2, 0, 2, 1},
        // Fixed: the third summand was lost, so the measure was a beat short.
        {"<time><beats>2+2+3</beats><beat-type>8</beat-type></time>", true, 7, 8, 2, 2, 8, 0},
        {"<time><beats>3+</beats><beat-type>4</beat-type></time>", true, 3, 4, 3, 0, 4, 0},
        {"<time symbol=\"single-number\"><beats>3</beats><beat-type>4</beat-type></time>", true, 3, 4, 3, 0, 0xFFFF, 0},
        {"<time><beats>5</beats></time>", true, 5, 4, 5, 0, 0xFFFF, 0},
        {"<time><beats>2</beats><beat-type>4</beat-type><beats>3</beats><beat-type>8</beat-type></time>", true, 5, 4, 2, 3,
         4, 0},
        // Fixed: a beat type of 0 divided by zero; no beats gave a numerator of -1.
        {"<time><beats>3</beats><beat-type>0</beat-type></time>", false, 0, 0, 0, 0, 0, 0},
        {"<time><beats></beats><beat-type>4</beat-type></time>", false, 0, 0, 0, 0, 0, 0},
        {"<time><beat-type>4</beat-type></time>", false, 0, 0, 0, 0, 0, 0},
        {"<time><beats>200</beats><beat-type>4</beat-type></time>", false, 0, 0, 0, 0, 0, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.time);
        XMLTreePtr tree(ParseXMLText(r.time));
        TimeSignature s;
        ASSERT_EQ(bool(XMLProcessTime(XMLGetChild(tree.get(), "time", 0), &s)), r.read);
        EXPECT_EQ(std::vector<int>({s.numerator, s.denominator, s.shownNumerator, s.shownSecond, s.shownDenominator, s.symbol}),
                  std::vector<int>({r.numerator, r.denominator, r.shown, r.second, r.shownDenominator, r.symbol}));
    }
}

TEST(MusicXMLTime, MeasureLengthsGiveSignaturesThatSpanThem) {
    struct Row {
        SInt32 length;
        SInt16 preferred;
        int numerator, denominator;
        SInt32 spanned;
    } rows[] = {
        {120960, 8, 6, 8, 120960},       {120960, 0, 3, 4, 120960},     {161280, 4, 4, 4, 161280},
        {3 * 1260, 0, 3, 128, 3780},     {60480, 2, 3, 8, 60480},
        // No signature spans 129 128th notes: the next longer one does.
        {129 * 1260, 0, 65, 64, 130 * 1260}, {200 * 161280, 0, 128, 1, 128 * 161280},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.length);
        TimeSignature s;
        EXPECT_EQ(XMLMakeTimeSignature(&s, r.length, r.preferred), r.spanned);
        EXPECT_EQ(std::vector<int>({s.numerator, s.denominator, s.shownNumerator, s.shownDenominator}),
                  std::vector<int>({r.numerator, r.denominator, r.numerator, r.denominator}));
    }
}

TEST(MusicXMLTime, JumpNamesAreNumberedPerKindInOrderOfAppearance) {
    XMLImportState state;
    XMLInitImportState(&state, nullptr, nullptr, nullptr);
    std::string longName(150, 'x');
    EXPECT_EQ(XMLGetJumpIndex(&state, "SEGN", "A"), 0);
    EXPECT_EQ(XMLGetJumpIndex(&state, "SEGN", "B"), 1);
    EXPECT_EQ(XMLGetJumpIndex(&state, "CODA", "A"), 0);
    EXPECT_EQ(XMLGetJumpIndex(&state, "SEGN", "B"), 1);
    EXPECT_EQ(XMLGetJumpIndex(&state, "SEGN", longName.c_str()), 2);
    EXPECT_EQ(XMLGetJumpIndex(&state, "SEGN", longName.substr(0, 99).c_str()), 2);  // names keep 99 bytes
    EXPECT_EQ(XMLGetJumpIndex(&state, "SEGNOSEGNOSEGNO", "A"), 0);
    XMLDisposeImportState(&state);
}

// ---- The measure frame -----------------------------------------------------------------------------

TEST(MusicXMLFrame, ChordNotesShareTheStartOfTheirFirstNote) {
    XMLTreePtr tree;
    XMLElt *root = Parsed(tree, OnePart(Measure(Attributes(1, "4/4") + N("", 2) + N("", 1, "E") + N("<chord/>", 1, "G") +
                                                N("<chord/>", 1, "B"))));
    ScoreFixture f;
    XMLImportState state;
    XMLInitImportState(&state, f.document, tree.get(), root);
    ASSERT_EQ(XMLCreePortees(&state), noErr);
    XMLCreateMusicFrame(&state);
    SInt32 count = 0;
    XMLElt **notes = XMLGetElts(tree.get(), "@note", &count);
    std::vector<long> positions, lengths;
    for (SInt32 i = 0; i < count; i++) {
        positions.push_back(XMLGetAttributeLong(notes[i], "czpos"));
        lengths.push_back(XMLGetAttributeLong(notes[i], "czdur"));
    }
    XMLDisposeElts(notes);
    EXPECT_EQ(positions, std::vector<long>({0, 80640, 80640, 80640}));
    EXPECT_EQ(lengths, std::vector<long>({80640, 40320, 40320, 40320}));
    XMLDisposeImportState(&state);
}

TEST(MusicXMLFrame, NotesTakeTheirTimesAndLengths) {
    const std::string quarterDot = "<note><pitch><step>C</step><octave>4</octave></pitch><type>quarter</type><dot/></note>";
    struct Row {
        const char *label;
        std::string measures;
        std::vector<SInt32> times, durations, measureLengths;
    } rows[] = {
        {"backup and forward", Measure(Attributes(2, "2/4") + N("", 4) + "<backup><duration>4</duration></backup>" +
                                       "<forward><duration>2</duration></forward>" + N("", 2, "E")),
         {0, 40320}, {80640, 40320}, {80640}},
        // Fixed: divisions of 0, -1 or "x" made every later length 2147483647.
        {"divisions 0, -1, x", Measure(Attributes(2, "2/4") + "<attributes><divisions>0</divisions></attributes>" +
                                       "<attributes><divisions>-1</divisions></attributes>" +
                                       "<attributes><divisions>x</divisions></attributes>" + N("", 2) + N("", 2)),
         {0, 40320}, {40320, 40320}, {80640}},
        {"divisions 10^6", Measure(Attributes(1000000, "2/4") + N("", 1000000) + N("", 1000000)), {0, 40320},
         {40320, 40320}, {80640}},
        // Fixed: a backup past the measure's start made later times negative.
        {"backup 10^9", Measure(Attributes(1, "2/4") + N("", 1) + "<backup><duration>1000000000</duration></backup>" +
                                N("", 1, "E")),
         {0, 0}, {40320, 40320}, {40320}},
        // Fixed: the written value won over any duration, so backups found the wrong times.
        {"type against duration", Measure(Attributes(1, "2/4") + N("<type>quarter</type>", 2) +
                                          "<backup><duration>2</duration></backup>" + N("", 2, "E")),
         {0, 0}, {80640, 80640}, {80640}},
        {"triplet within a division", Measure(Attributes(2, "1/4") + N("<type>eighth</type><time-modification>"
                                                                       "<actual-notes>3</actual-notes><normal-notes>2"
                                                                       "</normal-notes></time-modification>", 1)),
         {0}, {13440}, {13860}},
        // Fixed: a note without duration was taken for a grace note.
        {"no duration", Measure(Attributes(1, "4/4") + quarterDot + N("", 1, "E")), {0, 60480}, {60480, 40320},
         {100800}},
        {"empty bars", Measure(Attributes(1, "3/4") + N("", 3)) + Measure("", "2"), {0}, {120960}, {120960, 120960}},
        {"empty first bar", Measure(""), {}, {}, {161280}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        Loaded load(OnePart(r.measures));
        ASSERT_TRUE(load.ok);
        std::vector<SInt32> durations;
        for (const NoteRecord &n : Notes(load)) durations.push_back(SInt32(n.duration));
        EXPECT_EQ(Times(load), r.times);
        EXPECT_EQ(durations, r.durations);
        EXPECT_EQ(Lengths(load), r.measureLengths);
    }
}

// Fixed: a part once stretched to the first part's measures stayed stretched when the parts
// agreed again.
TEST(MusicXMLFrame, PartsFollowTheFirstPartsMeasureLengths) {
    auto two = [](const std::string &second, const std::string &secondNotes) {
        return Doc(ScorePart("P1") + ScorePart("P2"),
                   Part("P1", Measure(Attributes(2, "3/4") + N("", 6)) + Measure(Attributes(2, "4/4") + N("", 8), "2")) +
                       Part("P2", Measure(Attributes(2, second) + secondNotes) +
                                      Measure(Attributes(2, "4/4") + N("", 2) + N("", 2), "2")));
    };
    struct Row {
        const char *label;
        std::string doc;
        std::vector<SInt32> times, durations;
    } rows[] = {
        {"6/8 against 3/4", two("6/8", N("", 3) + N("", 3)), {0, 60480, 120960, 161280}, {60480, 60480, 40320, 40320}},
        {"2/4 against 3/4", two("2/4", N("", 2) + N("", 2)), {0, 60480, 120960, 161280}, {60480, 60480, 40320, 40320}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        Loaded load(r.doc);
        std::vector<SInt32> durations;
        for (const NoteRecord &n : Notes(load, 1)) durations.push_back(SInt32(n.duration));
        EXPECT_EQ(Times(load, 1), r.times);
        EXPECT_EQ(durations, r.durations);
        EXPECT_EQ(Lengths(load), std::vector<SInt32>({120960, 161280}));
    }
}

TEST(MusicXMLFrame, BarLinesMakeRepeatsAndEndings) {
    auto barline = [](const std::string &inside, const std::string &location = "right") {
        return "<barline location=\"" + location + "\">" + inside + "</barline>";
    };
    auto ending = [](const std::string &number) { return "<ending number=\"" + number + "\" type=\"start\"/>"; };
    struct Row {
        const char *label;
        std::string barlines;
        SInt16 kind;
        SInt32 time;
        int passes;
        std::string text, endings;
    } rows[] = {
        {"times 3", barline("<repeat direction=\"backward\" times=\"3\"/>"), kRuptureFinReprise, 161278, 3, "x$P", ""},
        {"no times", barline("<repeat direction=\"backward\"/>"), kRuptureFinReprise, 161278, 1, "", ""},
        {"times 0", barline("<repeat direction=\"backward\" times=\"0\"/>"), kRuptureFinReprise, 161278, 1, "", ""},
        {"times 10^6", barline("<repeat direction=\"backward\" times=\"1000000\"/>"), kRuptureFinReprise, 161278, 100,
         "x$P", ""},
        {"forward", barline("<repeat direction=\"forward\"/>", "left"), kRuptureDebutReprise, 0, 1, "", ""},
        {"ending 1, 2", barline(ending("1, 2"), "left"), kRuptureDebutFin, 0, 1, "", "1,2"},
        {"ending 1,,3", barline(ending("1,,3"), "left"), kRuptureDebutFin, 0, 1, "", "1,3"},
        {"ending 0 and 99", barline(ending("0,99"), "left"), kRuptureDebutFin, 0, 1, "", ""},
        {"light-heavy", barline("<bar-style>light-heavy</bar-style>"), kRuptureFinale, 161278, 1, "", ""},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        Loaded load(OnePart(Measure(Attributes(1, "4/4") + N("", 4) + r.barlines)));
        ScoreHandle score = load.Score();
        ASSERT_EQ((*score)->ruptureCount, 1);
        const RuptureRecord *rupture = GetRupturePtr(score, 0);
        std::string endings;
        for (int e = 0; e < kRuptureFins; e++)
            if (rupture->endings[e]) endings += (endings.empty() ? "" : ",") + std::to_string(e + 1);
        EXPECT_EQ(rupture->kind, r.kind);
        EXPECT_EQ(rupture->time, r.time);
        EXPECT_EQ(rupture->passCount, r.passes);
        EXPECT_STREQ(rupture->text, r.text.c_str());
        EXPECT_EQ(endings, r.endings);
    }
}

// Endings play on their passes. Fixed: one ended by "discontinue" (drawn without a hook) stayed
// open, its bracket running to the end of the score.
TEST(MusicXMLFrame, EndingsPlayOnTheirPassesAndClose) {
    auto ending = [](const std::string &number, const std::string &type, const std::string &location) {
        return "<barline location=\"" + location + "\"><ending number=\"" + number + "\" type=\"" + type + "\"/>" +
               (type == "stop" ? "<repeat direction=\"backward\"/>" : "") + "</barline>";
    };
    Loaded load(OnePart(Measure(Attributes(1, "1/4") + N()) + Measure(ending("1", "start", "left") + N() +
                                                                      ending("1", "stop", "right"), "2") +
                        Measure(ending("2", "start", "left") + N() + ending("2", "discontinue", "right"), "3") +
                        Measure(N(), "4")));
    ScoreHandle score = load.Score();
    std::vector<SInt32> played;
    for (SInt32 k = 0; k < GetNbMesuresJouees(score); k++) played.push_back(CvtMesureJoueeEnMesure(score, k));
    EXPECT_EQ(played, std::vector<SInt32>({0, 1, 0, 2, 3}));
    SInt32 close = GetIndexTypeRupturePresent(score, kRuptureFinFin, 2);
    ASSERT_GE(close, 0);
    EXPECT_EQ(GetRupturePtr(score, close)->time, 3 * 40320 - 2);
}

// A change inside a measure splits it: the second piece is not counted and its clef is smaller.
// A right bar line of the bar closes its last piece.
TEST(MusicXMLFrame, ChangesInsideAMeasureSplitIt) {
    std::string clef = "<attributes><clef><sign>F</sign><line>4</line></clef></attributes>";
    Loaded split(OnePart(Measure(Attributes(2, "4/4") + N("", 1) + clef + N("", 7) +
                                 "<barline location=\"right\"><repeat direction=\"backward\"/></barline>")));
    ScoreHandle score = split.Score();
    EXPECT_EQ(Lengths(split), std::vector<SInt32>({20160, 141120}));
    const MeasureElement *first = GetMesurePtr(score, 0), *second = GetMesurePtr(score, 1);
    EXPECT_EQ(first->breakForbidden, 1);
    EXPECT_TRUE(first->state & kMesureNotesCoupees);
    EXPECT_TRUE(second->state & kMesureHorsNumerotation);
    EXPECT_EQ(first->signature.shownNumerator, 4);  // the first piece still shows 4/4
    const KeyClefChange *change = GetChangementEnVigueur(GetPortee(score, 0), 1);
    EXPECT_EQ(change->clef.kind, kCleFa);
    EXPECT_EQ(change->clef.size, 75);
    EXPECT_EQ(SInt32(split.Bars()[0].measure), 0);
    SInt32 repeat = GetIndexTypeRupturePresent(score, kRuptureFinReprise, 1);
    ASSERT_GE(repeat, 0);
    EXPECT_EQ(GetRupturePtr(score, repeat)->time, 161278);
    // At the measure's start nothing is inserted and the clef keeps its size.
    Loaded start(OnePart(Measure(Attributes(2, "4/4") + N("", 8)) + Measure(clef + N("", 8), "2")));
    EXPECT_EQ(Lengths(start), std::vector<SInt32>({161280, 161280}));
    EXPECT_EQ(GetChangementEnVigueur(GetPortee(start.Score(), 0), 1)->clef.size, 100);
}

TEST(MusicXMLFrame, DirectionsMakeJumpsAndTempoMarks) {
    auto direction = [](const std::string &types, const std::string &sound = "") {
        return "<direction><direction-type>" + types + "</direction-type>" + sound + "</direction>";
    };
    Loaded load(OnePart(
        Measure(Attributes(1, "4/4") + direction("<segno/>", "<sound segno=\"A\"/>") +
                direction("<metronome><beat-unit>quarter</beat-unit><beat-unit-dot/><per-minute>60</per-minute></metronome>") +
                N("", 4)) +
        Measure(N("", 4) + direction("<words>D.S. al Coda</words>"), "2") +
        Measure(direction("<words>To Coda</words>", "<sound tocoda=\"B\" time-only=\"2\"/>") + N("", 4), "3")));
    ScoreHandle score = load.Score();
    std::vector<std::string> ruptures;
    for (SInt32 i = 0; i < (*score)->ruptureCount; i++) {
        const RuptureRecord *r = GetRupturePtr(score, i);
        ruptures.push_back(std::to_string(r->kind) + "@" + std::to_string(r->time) + ":" + r->text + ":" +
                           std::to_string(r->passage) + ":" + std::to_string(r->repetitionMode) + "/" +
                           std::to_string(r->passCount));
    }
    EXPECT_EQ(ruptures, std::vector<std::string>({"11@0:$S:0:0/1", "16@322558:D.S. al Coda:1:0/1",
                                                  "14@322560:To Coda:0:2/2"}));
    StaffHandle staff = GetPortee(score, 0);
    ASSERT_EQ((*staff)->dynamicsCount, 1);
    const DynamicsObject *mark = GetDynamiquePtr(staff, 0);
    EXPECT_EQ(mark->kind, UInt32(kDynamiqueTempo));
    EXPECT_EQ(mark->beatUnit, 60480);  // a dotted quarter: 60 of them a minute are 90 quarters
    EXPECT_EQ(mark->values[0], 60);
    // Fixed: a sound's tempo, in quarter notes a minute, was taken for beats of the beat unit.
    Loaded sound(OnePart(Measure(Attributes(1, "1/4") +
                                 direction("<metronome><beat-unit>quarter</beat-unit><beat-unit-dot/><per-minute>60"
                                           "</per-minute></metronome>", "<sound tempo=\"120\"/>") + N())));
    EXPECT_EQ(GetDynamiquePtr(GetPortee(sound.Score(), 0), 0)->values[0], 80);
}

// ---- Notes ---------------------------------------------------------------------------------------

TEST(MusicXMLNotes, PitchesAccidentalsVelocitiesAndTuplets) {
    struct Row {
        const char *label;
        std::string note;
        int pitch, accidental, velocity, tuplet;
    } rows[] = {
        {"E flat", N("<accidental>flat</accidental>", 1, "E").insert(27, "<alter>-1</alter>"), 63, 3, 100, 0},
        {"E flat without its accidental", N("", 1, "E").insert(27, "<alter>-1</alter>"), 63, 3 + 32, 100, 0},
        {"alter 3", N("", 1, "E").insert(27, "<alter>3</alter>"), 67, 2, 100, 0},
        {"a natural shown on C", N("<accidental>natural</accidental>"), 60, 8, 100, 0},
        {"a sharp the key makes", N("<accidental>sharp</accidental>", 1, "F").insert(27, "<alter>1</alter>"), 66, 1 + 8,
         100, 0},
        {"dynamics 150", N().insert(5, " dynamics=\"150\""), 60, 2, 127, 0},
        {"dynamics 80", N().insert(5, " dynamics=\"80\""), 60, 2, 102, 0},
        // Fixed: negative dynamics wrapped into loud velocities; tuplets past 15 notes spilled.
        {"dynamics -50", N().insert(5, " dynamics=\"-50\""), 60, 2, 0, 0},
        {"tuplet 20:17", N("<type>quarter</type><time-modification><actual-notes>20</actual-notes><normal-notes>17"
                           "</normal-notes></time-modification>"),
         60, 2, 100, 0xFF},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        Loaded load(OnePart(Measure(Attributes(1, "1/4", "<key><fifths>1</fifths></key>") + r.note)));
        std::vector<NoteRecord> notes = Notes(load);
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_EQ(notes[0].pitch, r.pitch);
        EXPECT_EQ(notes[0].accidental, r.accidental);
        EXPECT_EQ(notes[0].velocity, r.velocity);
        EXPECT_EQ(notes[0].tuplet, r.tuplet);
    }
}

// Fixed: the file's stem ends, read as lengths, drew stems of up to twelve spaces across other
// staves; the engraver makes stems of its own length, in the file's direction.
TEST(MusicXMLNotes, StemsKeepTheirDirection) {
    Loaded load(OnePart(Measure(Attributes(1, "2/4") + N("<stem default-y=\"91\">up</stem>") +
                                N("<stem relative-y=\"5\">down</stem>", 1, "A", 5))));
    std::vector<NoteRecord> notes = Notes(load);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(std::vector<int>({notes[0].stemDirection, notes[0].stemLength, notes[0].chordFlags & kAccordHampeBas}),
              std::vector<int>({2, 0, 0}));
    EXPECT_EQ(std::vector<int>({notes[1].stemDirection, notes[1].stemLength, notes[1].chordFlags & kAccordHampeBas}),
              std::vector<int>({1, 0, kAccordHampeBas}));
}

// Fixed: octave and alter could make pitches past 127, read back as rests or repeat signs.
TEST(MusicXMLNotes, PitchesOutsideMidiAreLeftOut) {
    Loaded load(OnePart(Measure(Attributes(1, "4/4") + N("", 1, "C", 20) + N("", 1).insert(27, "<alter>100</alter>") +
                                N("", 1, "C", -2) + N("", 1, "C", 24) + N("", 1, "G", 9))));
    std::vector<NoteRecord> notes = Notes(load);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].pitch, 127);
    EXPECT_EQ(SInt32(notes[0].time), 161280);
}

TEST(MusicXMLNotes, SlashMeasuresShowLinkedSlashes) {
    auto slash = [](const std::string &number) {
        return "<attributes><measure-style><slash type=\"start\"" + number + "/></measure-style></attributes>";
    };
    Loaded load(OnePart(Measure(Attributes(1, "4/4") + slash("") + N("", 4))));
    std::vector<NoteRecord> notes = Notes(load);
    ASSERT_EQ(notes.size(), 4u);
    StaffHandle staff = GetPortee(load.Score(), 0);
    for (SInt32 i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(SInt32(notes[i].time), i * 40320);
        EXPECT_EQ(UInt32(notes[i].duration), 40320u);
        EXPECT_EQ(notes[i].notehead, 6);
        LinkEndRecord other;
        EXPECT_EQ(bool(GetAutreBoutLiaison(staff, i, kLiaisonSource, kLiaisonAccroche, &other)), i < 3);
        if (i < 3) {
            EXPECT_EQ(other.index, i + 1);
        }
    }
    // Fixed: slash numbers outside 1..15 shifted bits into other staves or nowhere.
    for (const char *number : {" number=\"0\"", " number=\"33\"", " number=\"40\""}) {
        Loaded odd(OnePart(Measure(Attributes(1, "4/4") + slash(number) + N("", 4))));
        EXPECT_EQ(Notes(odd).size(), 1u) << number;
    }
}

// ---- Notations -----------------------------------------------------------------------------------

TEST(MusicXMLNotations, ElementsMakeTheirMarks) {
    auto with = [](const std::string &notations) { return N("<notations>" + notations + "</notations>"); };
    struct Row {
        const char *label;
        std::string note;
        std::vector<UInt8> marks;
    } rows[] = {
        {"fingering 6", with("<technical><fingering>6</fingering></technical>"), {}},
        {"fingering 0", with("<technical><fingering>0</fingering></technical>"), {22}},
        {"trill", with("<ornaments><trill-mark/></ornaments>"), {31}},
        {"trill sharp", with("<ornaments><trill-mark/><accidental-mark>sharp</accidental-mark></ornaments>"), {'!'}},
        {"mordent long", with("<ornaments><mordent long=\"yes\"/><inverted-mordent/></ornaments>"), {'\'', '$'}},
        {"tremolo 3", with("<ornaments><tremolo>3</tremolo></ornaments>"), {'5'}},
        {"articulations", with("<articulations><accent/><strong-accent type=\"down\"/><staccatissimo/><caesura/>"
                               "</articulations>"),
         {'^', '8', 'e', '`'}},
        // Fixed: a fermata without "type" (the upright one) was lost.
        {"bare fermata", with("<fermata/>"), {'1'}},
        {"inverted fermata", with("<fermata type=\"inverted\"/>"), {'2'}},
        {"accidental mark", with("<accidental-mark>flat</accidental-mark>"), {'c'}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        Loaded load(OnePart(Measure(Attributes(1, "1/4") + r.note)));
        EXPECT_EQ(Marks(load, 0), r.marks);
    }
}

// Fixed: offsets of a mark far from its note wrapped round to the other side.
TEST(MusicXMLNotations, MarkOffsetsStayWithinTheirReach) {
    Loaded load(OnePart(Measure(Attributes(1, "1/4") +
                                N("<notations><articulations><accent placement=\"below\" relative-x=\"1000\" "
                                  "relative-y=\"-1000\"/></articulations></notations>"))));
    MarkRecord mark;
    ASSERT_TRUE(GetMarqueNote(GetPortee(load.Score(), 0), 0, 0, &mark));
    EXPECT_EQ(mark.offsetX, 127);
    EXPECT_EQ(mark.offsetY, -128);
    EXPECT_EQ(mark.placement & kMarqueDessous, kMarqueDessous);
}

std::string Grace(const std::string &more = "", const std::string &step = "D", const std::string &children = "") {
    return "<note><grace" + more + "/><pitch><step>" + step + "</step><octave>4</octave></pitch><type>eighth</type>" +
           children + "</note>";
}

TEST(MusicXMLNotations, GraceNotesGoOntoTheirNotes) {
    Loaded two(OnePart(Measure(Attributes(1, "1/4") + Grace() + Grace("", "E") + N())));
    const NoteEffectRecord *record = GetParamEffetIndexNote(GetPortee(two.Score(), 0), 0);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->graces[0].interval, 2);
    EXPECT_EQ(record->graces[1].interval, 4);
    EXPECT_EQ(record->graceShare, 32);  // 2 x 2520 x 512 / (2 x 40320)
    EXPECT_EQ(record->graceSize, 32);
    // Fixed: a share past 16 bits wrapped (a whole 64-bar note's time taken by one grace note).
    Loaded stolen(OnePart(Measure(Attributes(1) + Grace(" steal-time-following=\"100\"") + N("", 256))));
    EXPECT_EQ(GetParamEffetIndexNote(GetPortee(stolen.Score(), 0), 0)->graceShare, 65535);
    // The eleventh grace note finds no room (and is said to, WhatIsLeftOutIsSaidOnce).
    std::string eleven;
    for (int i = 0; i < 11; i++) eleven += Grace();
    Loaded many(OnePart(Measure(Attributes(1, "1/4") + eleven + N())));
    record = GetParamEffetIndexNote(GetPortee(many.Score(), 0), 0);
    int used = 0;
    for (const GraceEntry &g : record->graces) used += g.used != 0;
    EXPECT_EQ(used, 10);
    // A slur from grace notes to their note slurs the group; one left at the end goes nowhere.
    Loaded slurred(OnePart(Measure(Attributes(1, "2/4") +
                                   Grace("", "D", "<notations><slur type=\"start\"/></notations>") +
                                   N("<notations><slur type=\"stop\"/></notations>") + N() + Grace())));
    StaffHandle staff = GetPortee(slurred.Score(), 0);
    EXPECT_EQ(GetParamEffetIndexNote(staff, 0)->graceSlurred, 1);
    EXPECT_FALSE(GetParamEffetIndexNote(staff, 1) && GetParamEffetIndexNote(staff, 1)->grace);
}

// ---- Stacks, ties, slurs and beams ------------------------------------------------------------------

TEST(MusicXMLStacks, EntriesAreFoundFromTheMostRecent) {
    XMLImportState state;
    XMLInitImportState(&state, nullptr, nullptr, nullptr);
    NoteRecord a, b;
    RazNote(&a, 60, 40320);
    RazNote(&b, 62, 40320);
    XMLPushNote(&state, kXMLPileCoules, kXMLDebut, nullptr, nullptr, 1, 0, &a, "1");
    XMLPushNote(&state, kXMLPileCoules, kXMLDebut, nullptr, nullptr, 1, 40320, &b, "1");
    std::string longKey(300, 'k');
    XMLPushNote(&state, kXMLPileCoules, kXMLDebut, nullptr, nullptr, 1, 0, &a, longKey.c_str());
    XMLNoteStackEntry out;
    EXPECT_FALSE(XMLNoteInStack(&state, kXMLPileCoules, nullptr, -2, longKey.c_str(), &out));
    EXPECT_TRUE(XMLPopNote(&state, kXMLPileCoules, nullptr, -2, longKey.substr(0, 255).c_str(), nullptr));
    ASSERT_TRUE(XMLPopNote(&state, kXMLPileCoules, nullptr, -2, "1", &out));
    EXPECT_EQ(out.time, 40320);
    EXPECT_FALSE(XMLPopNote(&state, kXMLPileCoules, nullptr, 62, "1", &out));
    EXPECT_TRUE(XMLPopNote(&state, kXMLPileCoules, nullptr, 60, "1", &out));
    EXPECT_EQ(XMLGetNbNoteInStack(&state, kXMLPileCoules), 0);
    XMLDisposeImportState(&state);
}

TEST(MusicXMLStacks, NotesAreFoundInTheirChords) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    for (SInt16 pitch : {60, 64, 67}) {
        NoteRecord n;
        RazNote(&n, pitch, 40320);
        AjouteNote(staff, &n, 0, 1);
    }
    AddNote(staff, -1, 40320);
    EXPECT_EQ(RechercheSigne(staff, 0, 64), 1);
    EXPECT_EQ(RechercheSigne(staff, 0, 62), 2);  // a pitch the chord lacks: its last note
    EXPECT_EQ(RechercheSigne(staff, 0, -2), 0);
    SInt32 copy = DupliqueNote(staff, 3, kFalse);
    ASSERT_GE(copy, 0);
    EXPECT_EQ(GetNotePtr(staff, copy)->pitch, -1);  // a rest doubles as a rest
}

TEST(MusicXMLLinks, TiesShapeByTheirSide) {
    struct Row {
        Boolean over, down, nextDown, chained;
        SInt16 position;
        int shape, endX, startY, curvature;
    } rows[] = {
        {kTrue, kTrue, kFalse, kTrue, 0, 9, -2, -4, -460},   {kTrue, kFalse, kFalse, kFalse, -4, 8, 2, -4, -700},
        {kFalse, kFalse, kTrue, kFalse, 2, 4, -2, 5, 750},   {kFalse, kFalse, kFalse, kTrue, 3, 8, -1, 5, 490},
        {kFalse, kTrue, kFalse, kFalse, -6, 5, 3, 5, 490},
    };
    for (const Row &r : rows) {
        TieDataRecord tie = {};
        AdjustTie(&tie, r.over, r.down, r.nextDown, r.chained, r.position);
        EXPECT_EQ(std::vector<int>({tie.shape, tie.endX, tie.startY, tie.endY, tie.curvature, tie.tension, int(tie.mode)}),
                  std::vector<int>({r.shape, r.endX, r.startY, r.startY, r.curvature, 500, 2}));
    }
}

TEST(MusicXMLLinks, TiesFindTheirNotes) {
    auto tied = [](const std::string &type, const std::string &more = "") {
        return "<tied type=\"" + type + "\"" + more + "/>";
    };
    auto notations = [](const std::string &inside) { return "<notations>" + inside + "</notations>"; };
    // A note that starts both a tie and a slur gives one of them to a copy of itself.
    Loaded both(OnePart(Measure(Attributes(1, "3/4") + N(notations(tied("start") + "<slur type=\"start\"/>")) +
                                N(notations(tied("stop"))) + N(notations("<slur type=\"stop\"/>"), 1, "D"))));
    StaffHandle staff = GetPortee(both.Score(), 0);
    ASSERT_EQ((*staff)->noteCount, 4);
    LinkEndRecord first, second;
    ASSERT_TRUE(GetAutreBoutLiaison(staff, 0, kLiaisonSource, kLiaisonCoule, &first));
    ASSERT_TRUE(GetAutreBoutLiaison(staff, 1, kLiaisonSource, kLiaisonCoule, &second));
    EXPECT_EQ(std::min(first.index, second.index), 2);  // the tie, to C4 (after the copy at 0)
    EXPECT_EQ(std::max(first.index, second.index), 3);  // the slur, to D4
    EXPECT_EQ(GetNotePtr(staff, 1)->pitch, 60);
    // A tie whose stop never comes goes to the next note of its pitch.
    Loaded open(OnePart(Measure(Attributes(1, "2/4") + N(notations(tied("start")), 1, "A", 5) + N("", 1, "A", 5))));
    staff = GetPortee(open.Score(), 0);
    LinkEndRecord other;
    ASSERT_TRUE(GetAutreBoutLiaison(staff, 0, kLiaisonSource, kLiaisonCoule, &other));
    EXPECT_EQ(other.index, 1);
    // "under" keeps a tie below a high note, which would have it above.
    for (const char *orientation : {"", " orientation=\"under\""}) {
        Loaded load(OnePart(Measure(Attributes(1, "2/4") + N(notations(tied("start", orientation)), 1, "A", 5) +
                                    N(notations(tied("stop")), 1, "A", 5))));
        TieDataRecord tie;
        ASSERT_TRUE(GetDataLiaisonNote(GetPortee(load.Score(), 0), 0, &tie));
        EXPECT_EQ(tie.startY, orientation[0] ? 5 : -4) << orientation;
    }
}

TEST(MusicXMLLinks, SlursJoinTheirNumbers) {
    auto slur = [](const std::string &type, const std::string &number = "") {
        return "<notations><slur type=\"" + type + "\"" + (number.empty() ? "" : " number=\"" + number + "\"") +
               "/></notations>";
    };
    // Fixed: an unnumbered stop took every open slur, the one numbered 2 too.
    Loaded load(OnePart(Measure(Attributes(1, "4/4") + N(slur("start", "2")) + N(slur("start"), 1, "D") +
                                N(slur("stop"), 1, "E") + N(slur("stop", "2"), 1, "F"))));
    StaffHandle staff = GetPortee(load.Score(), 0);
    LinkEndRecord other;
    ASSERT_TRUE(GetAutreBoutLiaison(staff, 0, kLiaisonSource, kLiaisonCoule, &other));
    EXPECT_EQ(other.index, 3);
    ASSERT_TRUE(GetAutreBoutLiaison(staff, 1, kLiaisonSource, kLiaisonCoule, &other));
    EXPECT_EQ(other.index, 2);
    // A slur whose stop lies before its start (another voice) joins nothing.
    Loaded backwards(OnePart(Measure(Attributes(1, "2/4") + N("", 1) + N(slur("start") + "<voice>1</voice>") +
                                     "<backup><duration>2</duration></backup>" + N(slur("stop") + "<voice>2</voice>"))));
    for (SInt16 s = 0; s < (*backwards.Score())->staffCount; s++)
        for (SInt32 i = 0; i < (*GetPortee(backwards.Score(), s))->noteCount; i++)
            EXPECT_FALSE(GetLiaisonSourceNote(GetPortee(backwards.Score(), s), i, kLiaisonCoule, nullptr));
}

TEST(MusicXMLLinks, BeamsGroupOrLinkTheirNotes) {
    auto beam = [](const std::string &text) { return "<type>eighth</type><beam number=\"1\">" + text + "</beam>"; };
    Loaded regular(OnePart(Measure(Attributes(2, "3/8") + N(beam("begin")) + N(beam("continue")) + N(beam("end")))));
    std::vector<int> grouped;
    for (const NoteRecord &n : Notes(regular)) grouped.push_back((n.chordFlags & kAccordGroupe) != 0);
    EXPECT_EQ(grouped, std::vector<int>({1, 1, 0}));
    // Across two staves the notes are linked instead.
    Loaded cross(OnePart(Measure(Attributes(2, "3/8", "<staves>2</staves>") + N(beam("begin") + "<staff>1</staff>") +
                                 N(beam("continue") + "<staff>2</staff>") + N(beam("end") + "<staff>1</staff>"))));
    ScoreHandle score = cross.Score();
    LinkEndRecord other;
    ASSERT_TRUE(GetAutreBoutLiaison(GetPortee(score, 0), 0, kLiaisonSource, kLiaisonAccroche, &other));
    EXPECT_EQ(other.staff, GetPortee(score, 1));
    ASSERT_TRUE(GetAutreBoutLiaison(GetPortee(score, 1), 0, kLiaisonSource, kLiaisonAccroche, &other));
    EXPECT_EQ(other.staff, GetPortee(score, 0));
    EXPECT_EQ(Notes(cross)[0].chordFlags & kAccordGroupe, 0);
}

// Fixed: a tuplet that stopped on a rest stayed open, grouping every later note of the part.
TEST(MusicXMLNotations, TupletsCloseOnRests) {
    auto tuplet = [](const std::string &type) {
        return "<type>eighth</type><time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes>"
               "</time-modification><notations><tuplet type=\"" + type + "\"/></notations>";
    };
    Loaded load(OnePart(Measure(Attributes(3, "2/4") + N(tuplet("start")) + N("<type>eighth</type><time-modification>"
                                                                           "<actual-notes>3</actual-notes><normal-notes>"
                                                                           "2</normal-notes></time-modification>") +
                                "<note><rest/><duration>1</duration>" + tuplet("stop") + "</note>" + N("", 3))));
    std::vector<int> grouped;
    for (const NoteRecord &n : Notes(load)) grouped.push_back((n.chordFlags & kAccordGroupe) != 0);
    EXPECT_EQ(grouped, std::vector<int>({1, 1, 1, 0}));
}

// ---- Hostile documents --------------------------------------------------------------------------

// Each loads into a score that keeps its invariants, at least one measure, every pitch a MIDI
// pitch or a rest, chord continuation or repeat sign, every note inside the measures; ten
// thousand grace notes leave ten on their note.
TEST(MusicXMLHostile, DocumentsLoadWithinTheClamps) {
    std::string tuplets, graces, slurs;
    for (int i = 0; i < 10000; i++) {
        tuplets += "<tuplet type=\"start\" number=\"" + std::to_string(i) + "\"/>";
        graces += Grace();
        slurs += N("<notations><slur type=\"start\" number=\"" + std::to_string(i) + "\"/></notations><chord/>");
    }
    const std::pair<const char *, std::string> rows[] = {
        {"divisions", OnePart(Measure(Attributes(0) + N("", 5)) + Measure("<attributes><divisions>-1</divisions>"
                                                                        "</attributes>" + N("", 5), "2"))},
        {"forward 10^9", OnePart(Measure(Attributes(1) + "<forward><duration>1000000000</duration></forward>" + N()))},
        {"keys and clefs", OnePart(Measure("<attributes><key><fifths>100</fifths><mode>minor</mode></key>"
                                           "<key><fifths>-100</fifths><key-step>H</key-step><key-alter>7</key-alter>"
                                           "</key><clef><sign>G</sign><line>99</line><clef-octave-change>100"
                                           "</clef-octave-change></clef></attributes>" + N()))},
        {"times", OnePart(Measure("<attributes><time><beats></beats><beat-type>4</beat-type></time><time><beats>3+"
                                  "</beats><beat-type>0</beat-type></time></attributes>" + N()))},
        {"10000 tuplets", OnePart(Measure(Attributes(1) + N("<notations>" + tuplets + "</notations>")))},
        {"10000 graces", OnePart(Measure(Attributes(1) + graces + N("<stem>down</stem>")))},
        {"10000 slurs", OnePart(Measure(Attributes(1) + N() + slurs))},
        {"orphans", OnePart(Measure(Attributes(1) + N("<notations><tied type=\"stop\"/><slur type=\"stop\"/></notations>"
                                                      "<beam number=\"1\">end</beam><beam>continue</beam>") +
                                    N("<beam number=\"1\">begin</beam><beam number=\"1\">begin</beam>")))},
        {"pitches", OnePart(Measure(Attributes(1) + N("", 1, "C", 20) + N("", 1, "C", -20) +
                                    N().insert(5, " dynamics=\"1000000000\" attack=\"-99999\" release=\"1e9\"")))},
        {"ids", Doc(ScorePart("a/b") + ScorePart("c>d") + ScorePart("e]f"),
                    Part("a/b", Measure(N())) + Part("c>d", Measure(N())) + Part("e]f", Measure(N())))},
        {"no bars", OnePart("")},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.first);
        Loaded load(r.second);
        ScoreHandle score = load.Score();
        ASSERT_TRUE(IsPartitionValide(score));
        EXPECT_EQ(ScoreInvariantFault(score), "");
        EXPECT_EQ(NoteBoundsFault(score), "");
    }
    // Fixed: ids were written into paths, where "/", ">" and "]" cut them.
    Loaded ids(rows[9].second);
    ASSERT_EQ((*ids.Score())->staffCount, 3);
    for (SInt16 s = 0; s < 3; s++) EXPECT_EQ((*GetPortee(ids.Score(), s))->noteCount, 1) << s;
}


// The warnings a load gives, with warnings on.
std::vector<std::string> Warnings(const std::string &xml) {
    FixePrefStd();
    pref.warnings = 1;
    MessageCatcher catcher;
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    Handle h = nullptr;
    PtrToHand(xml.data(), &h, SInt32(xml.size()));
    ChargeMusiqueXML(document, h, nullptr);
    DisposHandle(h);
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    pref.warnings = 0;
    return catcher.traces;
}

// Fixed: an eleventh grace note was dropped without a word. What is left out is said once.
TEST(MusicXMLHostile, WhatIsLeftOutIsSaidOnce) {
    std::string eleven;
    for (int i = 0; i < 11; i++) eleven += Grace();
    const std::pair<std::string, const char *> rows[] = {
        {OnePart(Measure(Attributes(1, "2/4") + eleven + N() + eleven + N())), "grace notes"},
        {OnePart(Measure(Attributes(1, "2/4") + N("", 1, "C", 20) + N("", 1, "C", 21))), "pitch"},
        {OnePart(Measure(Attributes(0, "2/4") + "<attributes><divisions>x</divisions></attributes>" + N())), "divisions"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.second);
        int count = 0;
        for (const std::string &line : Warnings(r.first)) count += line.find(r.second) != std::string::npos;
        EXPECT_EQ(count, 1);
    }
}

}  // namespace

// ctest-labels: playback
// The sequencer's events for what a score says (ties across repeats, grace notes, trills,
// arpeggios, releases, dynamics, instruments, staves that do not sound, selections, the
// metronome, tempo points), the keyboard it tells, and the MIDI file it writes.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

#include "engraving/links.h"
#include "platform/core/byte_reader.h"
#include "platform/core/memory.h"
#include "score/instruments.h"
#include "score/preferences.h"
#include "score/ruptures.h"
#include "score/note_params.h"
#include "sound/dynamics_play.h"
#include "sound/midi_file.h"
#include "sound/note_effects_play.h"
#include "sound/play_instruments.h"
#include "sound/sequencer.h"
#include "sound/playback_internal.h"
#include "support/score_support.h"
#include "support/tool_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

const UInt32 kRate = 8000;  // 8 frames a millisecond

// A prepared score, freed at the end.
struct Prepared {
    PartitionSonRecord p;
    OSErr err;
    explicit Prepared(ScoreHandle score, SInt16 countIn = 0) {
        SonPreparationRequest request = {score, kRate, countIn};
        err = PreparePartitionSon(&request, &p);
    }
    ~Prepared() { LiberePartitionSon(&p); }
    std::string Keys() const {
        std::string keys;
        for (UInt32 i = 0; i < p.plan.eventCount; i++) keys += (i ? " " : "") + std::to_string(p.plan.events[i].key);
        return keys;
    }
    SInt64 Ms(UInt32 i) const { return p.plan.events[i].onset / 8; }
    SInt64 LengthMs(UInt32 i) const { return p.plan.events[i].length / 8; }
};

// A score of measures 4/4 measures and one staff playing instrument 0.
struct PlayScore : ScoreFixture {
    StaffHandle staff;
    explicit PlayScore(SInt32 measures = 2) {
        TimeSignature four = Signature(4, 4);
        if (measures > 1) InsereMesureChangeEchelleMesure(score, 1, measures - 1, 0, &four, 1);
        staff = Staff();
        (*staff)->instrument = AjouteInstrument(score);
    }
    NoteEffectRecord *Effects(SInt32 index) { return CreeParamEffetIndexNote(staff, index); }
};

struct KeyboardCall {
    char what;  // '+' on, '-' off, '0' reset
    SInt16 pitch;
};
std::vector<KeyboardCall> gCalls;
Boolean KeyboardShown() { return true; }
void NoteOn(SInt32, SInt16 pitch, SInt16, SInt16) { gCalls.push_back({'+', pitch}); }
void NoteOff(SInt32, SInt16 pitch, Boolean) { gCalls.push_back({'-', pitch}); }
void Reset() { gCalls.push_back({'0', 0}); }

TEST(Sequencer, ScaleNotesAtTheirPlayedTimes) {
    DocumentRecord *document = CreeDemoScore("scale");
    Prepared s(document->score);
    ASSERT_EQ(s.err, noErr);
    ASSERT_EQ(s.p.plan.eventCount, 8u);
    EXPECT_EQ(s.Keys(), "60 62 64 65 67 69 71 72");
    for (UInt32 i = 0; i < 8; i++) {
        EXPECT_EQ(s.Ms(i), 500 * i);
        EXPECT_EQ(s.LengthMs(i), 500);
        EXPECT_EQ(s.p.plan.events[i].velocity, 100);
    }
    EXPECT_EQ(s.p.plan.endTick, 2 * kTempsRonde);
    EXPECT_EQ(s.p.endFrame, 4000 * 8);
    EXPECT_EQ(s.p.staves[0].heard, 1);  // a new staff is heard
    LibereDemoScore(&document);
}

// A tie into the next measure lengthens the note only where the music goes on into that
// measure: A :| B with A's last note tied to B's first plays A, A (tied on), and no second B note.
TEST(Sequencer, TiesFollowThePlayedOrder) {
    PlayScore f(2);
    AddNote(f.staff, 60, 0, kTempsRonde);
    AddNote(f.staff, 60, kTempsRonde, kTempsNoire);
    AddNote(f.staff, 64, kTempsRonde + kTempsNoire, kTempsNoire);
    ASSERT_TRUE(LieDeuxNotes(f.staff, 0, 1));
    AjouteRuptureEnMesure(f.score, kRuptureFinReprise, 0, 0);
    RemetRupturesEnForme(f.score);
    Prepared s(f.score);
    ASSERT_EQ(s.err, noErr);
    EXPECT_EQ(s.Keys(), "60 60 64");
    EXPECT_EQ(s.LengthMs(0), 2000);
    EXPECT_EQ(s.Ms(1), 2000);
    EXPECT_EQ(s.LengthMs(1), 2500);
    EXPECT_EQ(s.Ms(2), 4500);
}

TEST(Sequencer, GraceNotesTrillsArpeggiosAndReleases) {
    PlayScore f(1);
    AddNote(f.staff, 60, 0, kTempsNoire);              // two graces before, one after
    AddNote(f.staff, 67, kTempsNoire, kTempsNoire);    // a trill in 16ths, upper note first
    AddNote(f.staff, 72, 2 * kTempsNoire, kTempsNoire);  // released at half
    AddNote(f.staff, 48, 3 * kTempsNoire, kTempsNoire);  // an arpeggio: 48 52 55 from the bottom
    AddNote(f.staff, 52, 3 * kTempsNoire, kTempsNoire);
    AddNote(f.staff, 55, 3 * kTempsNoire, kTempsNoire);
    NoteEffectRecord *e = f.Effects(0);
    e->grace = 1;
    e->graceShare = 128;  // a quarter of the written 16th, 16th and eighth: a 16th for the group
    e->graces[0] = {1, kAppoggiatureAvant, 2, 0, 1, kVelociteDeLaNote, 0};
    e->graces[1] = {1, kAppoggiatureAvant, 4, 0, 1, 50, 0};
    e->graces[2] = {1, kAppoggiatureApres, -1, 0, 0, kVelociteDeLaNote, 0};
    e = f.Effects(1);
    e->trill = 1;
    e->trillSpeed = 64;  // 64/256 of a quarter: a 16th
    e->trillUpperFirst = 1;
    GetNotePtr(f.staff, 2)->release = 50;
    for (SInt32 i = 0; i < 3; i++) GetNotePtr(f.staff, 3 + i)->attack = SInt16(16 * i);
    Prepared s(f.score);
    ASSERT_EQ(s.err, noErr);
    EXPECT_EQ(s.Keys(), "62 64 60 59 69 67 69 67 72 48 52 55");
    // The group takes a 16th, shared by written value: 31 ms for each 16th before the beat, 62 ms
    // for the eighth after it; the note sounds from 62 ms to 62 ms before its end.
    const SInt64 onsets[] = {0, 31, 62, 437, 500, 625, 750, 875, 1000, 1500, 1531, 1562};
    for (UInt32 i = 0; i < 12; i++) EXPECT_NEAR(s.Ms(i), onsets[i], 1) << i;
    EXPECT_EQ(s.p.plan.events[1].velocity, 50);
    EXPECT_EQ(s.LengthMs(2), 375);
    EXPECT_EQ(s.LengthMs(8), 250);
}

TEST(Sequencer, DynamicsAndMissingVelocities) {
    DocumentRecord *document = CreeDemoScore("dynamics");
    GetNotePtr(GetPortee(document->score, 0), 7)->velocity = 0;  // counts 80
    Prepared s(document->score);
    ASSERT_EQ(s.err, noErr);
    const UInt8 velocities[8] = {60, 60, 60, 60, 120, 120, 120, 96};
    for (UInt32 i = 0; i < 8; i++) EXPECT_EQ(s.p.plan.events[i].velocity, velocities[i]) << i;
    SInt32 first = 0, last = 0;  // the f covers the fifth note only
    EXPECT_TRUE(CvtDynamiqueEnIndexNotes(GetPortee(document->score, 0), 1, &first, &last));
    EXPECT_EQ(first, 4);
    EXPECT_EQ(last, 4);
    EXPECT_FALSE(CvtDynamiqueEnIndexNotes(GetPortee(document->score, 0), 2, &first, &last));
    EXPECT_EQ(first, -1);
    LibereDemoScore(&document);
    document = CreeDemoScore("crescendo");
    Prepared c(document->score);
    for (UInt32 i = 1; i < 9; i++) EXPECT_GT(c.p.plan.events[i].velocity, c.p.plan.events[i - 1].velocity) << i;
    EXPECT_EQ(c.p.plan.events[8].velocity, 120);
    LibereDemoScore(&document);
}

// Each way an instrument reaches the bank: a kit plays pitches as keys, one drum its own key,
// a transposing instrument at sounding pitch, a staff without instrument the piano.
TEST(Sequencer, InstrumentsGiveBankIdsAndKeys) {
    PlayScore f(1);
    const struct {
        const char *label;
        SInt16 channel, program, transposition;
        UInt8 unpitched;
        SInt32 id, key;
    } rows[] = {{"kit", 10, 0, 0, 0, 16384, 60},        {"snare", 10, 0, 38, 1, 16384, 38},
                {"B flat clarinet", 1, 71, -2, 0, 71, 58}, {"no instrument", 0, 0, 0, 0, 0, 60}};
    AddNote(f.staff, 60, 0, kTempsNoire);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        InstrumentRecord *instrument = GetInstrumentPtr(f.score, 0);
        instrument->channel = row.channel;
        instrument->program = row.program;
        instrument->transposition = row.transposition;
        instrument->unpitched = row.unpitched;
        instrument->soundId = 0;
        (*f.staff)->instrument = SInt16(row.channel ? 0 : -1);
        Prepared s(f.score);
        ASSERT_EQ(s.p.plan.eventCount, 1u);
        EXPECT_EQ(s.p.plan.events[0].instrument, row.id);
        EXPECT_EQ(s.p.plan.events[0].key, row.key);
    }
    GetInstrumentPtr(f.score, 0)->kind = kSoundSourceOscillator;  // no bank: the oscillator plays
    (*f.staff)->instrument = 0;
    Prepared oscillator(f.score);
    EXPECT_EQ(oscillator.p.staves[0].source, kSoundSourceOscillator);
    DocumentRecord document = {};
    document.scoreCount = 1;
    PtrToHand(&f.score, &document.scores, sizeof f.score);
    GetInstrumentPtr(f.score, 0)->standardId = 5210;  // a sung id: program 52, bank 1
    ConvertitIdInstrumentsApresChargement(&document, 0);
    EXPECT_EQ(SInt32(GetInstrumentPtr(f.score, 0)->soundId), 52 + 128);
    DisposHandle(document.scores);
}

// Lyrics and tempo staves make no events; a digital-audio staff and a sung staff (while sung
// tracks may play) play their streams instead of notes.
TEST(Sequencer, StavesThatPlayStreamsOrNothing) {
    PlayScore f(1);
    AddNote(f.staff, 60, 0, kTempsNoire);
    const UInt32 types[] = {kPorteeParoles, kPorteeTempo, kPorteeAudio, kPorteeStandard};
    for (UInt32 type : types) {
        StaffHandle staff = f.Staff();
        (*staff)->type = type;
        (*staff)->stream = 3;
        AddNote(staff, 62, 0, kTempsNoire);
    }
    (*GetPortee(f.score, 4))->sung = 1;
    pref.singingEnabled = 1;
    Prepared s(f.score);
    EXPECT_EQ(s.Keys(), "60");
    const SInt16 streams[] = {0, 0, 0, 3, 3};
    for (UInt32 i = 0; i < 5; i++) EXPECT_EQ(s.p.staves[i].stream, streams[i]) << i;
    pref.singingEnabled = 0;
    Prepared unsung(f.score);
    EXPECT_EQ(unsung.Keys(), "60 62");
    EXPECT_EQ(unsung.p.staves[4].stream, 0);
}

TEST(Sequencer, SelectionPlaysItsRangeWithoutRepeats) {
    DocumentRecord *document = CreeDemoScore("endings");  // whole notes 60 62 64 65
    ScoreHandle score = document->score;
    (*score)->selectionPlay = 1;
    (*score)->selectionStart = kTempsRonde;
    (*score)->selectionEnd = 3 * kTempsRonde;
    (*score)->selectionLastPart = 9999;
    (*score)->loop = 1;
    Prepared s(score);
    EXPECT_EQ(s.Keys(), "62 64");
    EXPECT_EQ(s.p.plan.startTick, kTempsRonde);
    EXPECT_EQ(s.p.plan.endTick, 3 * kTempsRonde);
    EXPECT_TRUE(s.p.plan.loop);
    EXPECT_EQ(s.p.plan.events[0].onset, s.p.startFrame);
    (*score)->selectionFirstPart = 1;
    Prepared none(score);
    EXPECT_EQ(none.p.plan.eventCount, 0u);
    LibereDemoScore(&document);
}

// The written position heard jumps back where the music repeats.
TEST(Sequencer, TempoPointsMapFramesToPlayedAndWrittenTime) {
    DocumentRecord *document = CreeDemoScore("times3");
    Prepared s(document->score);
    ASSERT_GE(s.p.plan.tempoCount, 2u);
    for (UInt32 i = 1; i < s.p.plan.tempoCount; i++) {
        EXPECT_GT(s.p.plan.tempo[i].frame, s.p.plan.tempo[i - 1].frame);
        EXPECT_GT(s.p.plan.tempo[i].played, s.p.plan.tempo[i - 1].played);
    }
    const struct {
        SInt64 ms;
        SInt32 played, written;
    } rows[] = {{1000, kTempsRonde / 2, kTempsRonde / 2}, {3000, 3 * kTempsRonde / 2, kTempsRonde / 2},
                {5500, 11 * kTempsRonde / 4, 3 * kTempsRonde / 4}, {9000, 3 * kTempsRonde, kTempsRonde}};
    const PlaybackPlan &plan = s.p.plan;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.ms);
        EXPECT_EQ(JoueAFrame(&plan, row.ms * 8), row.played);
        EXPECT_EQ(EcritAFrame(&plan, row.ms * 8), row.written);
        if (row.ms < 6000) {
            EXPECT_EQ(FrameAJoue(&plan, row.played), row.ms * 8);
        }
    }
    LibereDemoScore(&document);
}

TEST(Sequencer, MetronomeClicksOnEveryBeatAfterItsCountIn) {
    DocumentRecord *document = CreeDemoScore("metronome");
    Prepared s(document->score, 2);
    ASSERT_EQ(s.err, noErr);
    ASSERT_EQ(s.p.plan.eventCount, 16u);
    EXPECT_EQ(s.p.startFrame, 4000 * 8);
    EXPECT_EQ(s.p.startMs, -4000);
    const PlaybackPlan &plan = s.p.plan;
    EXPECT_EQ(plan.startTick, -1);  // real-time play starts with the count-in
    EXPECT_EQ(s.p.musicTick, 0);
    EXPECT_EQ(FrameAJoue(&plan, -1), 0);
    EXPECT_EQ(FrameAJoue(&plan, 0), 4000 * 8);
    for (UInt32 i = 0; i < 16; i++) {
        SCOPED_TRACE(i);
        Boolean downbeat = i % 4 == 0;
        EXPECT_EQ(s.Ms(i), 500 * i);
        EXPECT_EQ(s.p.plan.events[i].key, downbeat ? kToucheMetronomeFort : kToucheMetronomeFaible);
        EXPECT_EQ(s.p.plan.events[i].velocity, downbeat ? kVelociteTempsFort : kVelociteTempsFaible);
        EXPECT_EQ(s.p.plan.events[i].instrument, 16384);
    }
    UInt8 accents[3] = {0, 1, 0};
    InitMetroPattern(3, accents);
    Prepared accented(document->score, 0);
    EXPECT_EQ(accented.p.plan.events[1].key, kToucheMetronomeFort);
    InitMetroPattern(0, nullptr);
    LibereDemoScore(&document);
}

// Offline rendering tells the keyboard of every note in order.
TEST(Sequencer, KeyboardHearsEveryNoteInOrder) {
    PlaybackPluginHooks hooks = {KeyboardShown, NoteOn, NoteOff, Reset};
    FixeHooksPluginLecture(&hooks);
    DocumentRecord *document = CreeDemoScore("chords");  // C E G, then C D
    DigitOutputParams params;
    RemplitParamDigitQualite(&params, kDigitQualityLow);
    SonRenduPartition request = {document->score, &params, 0, nullptr, 100};
    SInt16 *samples = nullptr;
    UInt32 frames = 0;
    ASSERT_EQ(RenduPartitionHorsLigne(&request, &samples, &frames, nullptr), noErr);
    DisposPtr(reinterpret_cast<Ptr>(samples));
    std::string calls;
    for (const KeyboardCall &c : gCalls) calls += c.what + std::to_string(c.pitch) + " ";
    EXPECT_EQ(calls, "+60 +64 +67 -60 -64 -67 +60 +62 -60 -62 ");
    FixeHooksPluginLecture(nullptr);
    gCalls.clear();
    LibereDemoScore(&document);
}

TEST(Sequencer, MidiFileHoldsEveryNote) {
    DocumentRecord *document = CreeDemoScore("endings");
    Prepared s(document->score);
    std::string path = TempFile("endings.mid");
    ASSERT_EQ(EcritFichierMidi(path.c_str(), &s.p), noErr);
    FILE *file = fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<unsigned char> bytes(4096);
    bytes.resize(fread(bytes.data(), 1, bytes.size(), file));
    fclose(file);
    remove(path.c_str());
    ByteReader r = OrvaByteReader(bytes.data(), bytes.size());
    EXPECT_EQ(Get32(&r), 0x4D546864u);  // "MThd"
    Skip(&r, 10);
    EXPECT_EQ(Get32(&r), 0x4D54726Bu);  // "MTrk"
    EXPECT_EQ(Get32(&r), bytes.size() - 22);
    // Note-ons (status 0x90, velocity above 0), read by walking the track's delta times.
    std::string keys;
    while (ByteReaderLeft(&r) > 0 && !r.failed) {
        while (Get8(&r) & 0x80) {
        }
        UInt8 status = Get8(&r);
        if (status == 0xFF) {
            Get8(&r);
            Skip(&r, Get8(&r));
            continue;
        }
        UInt8 key = Get8(&r), velocity = (status & 0xF0) == 0xC0 ? 0 : Get8(&r);
        if ((status & 0xF0) == 0x90 && velocity) keys += (keys.empty() ? "" : " ") + std::to_string(key);
    }
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(keys, "60 62 60 64 65");
    LibereDemoScore(&document);
}

TEST(Sequencer, HostileScoresGiveCleanResults) {
    PlayScore f(1);
    for (int i = 0; i < 10000; i++) AddNote(f.staff, SInt16(i % 128), 0, kTempsNoire);
    AddNote(f.staff, 60, kTempsNoire, kTempsMax - kTempsNoire);  // the measure table grows to it
    (*f.score)->tempo = 5000;
    Prepared s(f.score);
    ASSERT_EQ(s.err, noErr);
    EXPECT_EQ(s.p.plan.eventCount, 10001u);
    for (UInt32 i = 0; i < s.p.plan.eventCount; i++) ASSERT_GE(s.p.plan.events[i].length, 1);
    (*f.score)->tempo = 0;
    Prepared slow(f.score);
    EXPECT_EQ(slow.err, noErr);
    EXPECT_EQ(slow.Ms(10000), 500);
    SonPreparationRequest bad = {f.score, 100, 0};
    PartitionSonRecord p;
    EXPECT_EQ(PreparePartitionSon(&bad, &p), paramErr);
    EXPECT_EQ(p.plan.events, nullptr);
}

}  // namespace

// ctest-labels: score-model
// Documents, scores and staves: creation and disposal through the owners' hooks, names, staff
// types, part and merge groups, instruments and the format table.
#include <gtest/gtest.h>
#include <string>

#include "score/instruments.h"
#include "score/part_groups.h"
#include "score/score_formats.h"
#include "score/score_hooks.h"
#include "score/musical_arithmetic.h"
#include "score/staff_types.h"
#include "support/score_support.h"

namespace {

SInt32 gStavesDisposed;
void DisposeOwnedHandles(StaffHandle staff) {
    gStavesDisposed++;
    DisposHandle((*staff)->links);
    (*staff)->links = nullptr;
}

TEST(ScoreModel, DocumentsHoldScoresUntilEmptied) {
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    ScoreHandle first = CreePartitionVide(document);
    ScoreHandle second = CreePartitionVide(document);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(document->score, second);
    EXPECT_EQ((*second)->measureCount, 1);
    EXPECT_EQ((*second)->tempo, 120);
    partitionEnCours = second;
    SupprimePartition(document, second);
    EXPECT_EQ(document->score, first);
    EXPECT_EQ(partitionEnCours, nullptr);
    ScoreDisposeHooks hooks = {};
    hooks.staff = DisposeOwnedHandles;
    OrvaSetScoreDisposeHooks(&hooks);
    gStavesDisposed = 0;
    StaffHandle staff = CreePorteeVide(first, kPorteeStandard, 1, 0);
    (*staff)->links = NewHandle(16);  // a later owner's record
    VideDocument(document);
    OrvaSetScoreDisposeHooks(nullptr);
    EXPECT_EQ(gStavesDisposed, 1);
    EXPECT_EQ(document->scoreCount, 0);
    DisposPtr(reinterpret_cast<Ptr>(document));
}

TEST(ScoreModel, StavesTakeNamesTypesAndTheScoresKey) {
    ScoreFixture f;
    KeySignature d;
    CvtTonaliteStdEnTonalite(2, kModeMajeur, &d);
    StaffHandle first = f.Staff();
    ASSERT_EQ(SetTonalitePartition(f.score, &d, 7), noErr);
    StaffHandle second = f.Staff();
    KeySignature key;
    CvtTempsEnTonalite(second, 0, &key);
    EXPECT_EQ(key.kind, 2u);  // a new staff takes the score's key
    EXPECT_EQ((*second)->uniqueId, (*first)->uniqueId + 1);
    ASSERT_EQ(SetNomPortee(first, "Violon I"), noErr);
    EXPECT_STREQ(*(*first)->longName, "Violon I");
    std::string longName(2000, 'x');
    longName[1022] = '\xC3';  // a two-byte character across the cut
    longName[1023] = '\xA9';
    ASSERT_EQ(SetNomAbregePortee(first, longName.c_str()), noErr);
    EXPECT_EQ(strlen(*(*first)->shortName), 1022u);
    ASSERT_EQ(FixeTypePortee(second, kPorteeGregorienne), noErr);
    EXPECT_EQ((*second)->lineCount, 4);
    EXPECT_EQ((*second)->shownLines, 0x0F);
    while ((*f.score)->staffCount < kMaxPortees) ASSERT_NE(f.Staff(), nullptr);
    EXPECT_EQ(f.Staff(), nullptr);
}

SInt16 AlwaysUp(StaffHandle, SInt32) { return 1; }

TEST(ScoreModel, StaffTypesComeFromTheRegistry) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 74, 0);  // D5, above the middle line
    AddNote(staff, 62, 40320);
    EXPECT_LT(CalculeSensHampe(staff, 0), 0);
    EXPECT_GT(CalculeSensHampe(staff, 1), 0);
    static const StaffTypeOps kRow = {kPorteeStandard, "test", 3, AlwaysUp};
    ASSERT_EQ(EnregistreTypePortee(&kRow), noErr);
    InitPortees(f.score);
    EXPECT_GT(CalculeSensHampe(staff, 0), 0);
    EXPECT_EQ(GetTypePortee(12345)->type, kPorteeStandard);  // unknown types draw as standard
    OublieTypesPortee();
    EXPECT_EQ(GetTypePortee(kPorteeStandard)->lineCount, 5);
}

TEST(ScoreModel, PartGroupsAndMergeGroupsFollowTheirStaves) {
    ScoreFixture f;
    StaffHandle staves[4];
    for (StaffHandle &staff : staves) staff = f.Staff();
    EXPECT_EQ(CalculeDeltaXDefaultPartGroup(f.score, nullptr, 1, 2), 2);
    ASSERT_EQ(NewPartGroup(f.score, kGroupeAccolade, 1, 1, 2, 2, "Piano", ""), 0);
    EXPECT_EQ(CalculeDeltaXDefaultPartGroup(f.score, nullptr, 0, 1), 2 + kPasPartGroup);
    EXPECT_EQ(CalculeDeltaXDefaultPartGroup(f.score, nullptr, 3, 3), 2);
    EXPECT_EQ(NewPartGroup(f.score, kGroupeCrochet, 0, 2, 1, 2, nullptr, nullptr), -1);
    EXPECT_EQ(NewPartGroup(f.score, kGroupeCrochet, 0, 0, 4, 2, nullptr, nullptr), -1);
    SInt16 first = -1, last = -1;
    EXPECT_TRUE(IsPorteeInAccolade(staves[2], &first, &last));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 2);
    EXPECT_FALSE(IsPorteeInAccolade(staves[0], nullptr, nullptr));
    (*staves[1])->continuedByNext = 1;
    (*staves[2])->continuedByNext = 1;
    EXPECT_EQ(CvtIndexPorteeEnIndexPorteeDebutFusion(f.score, 3), 1);
    EXPECT_EQ(CvtPorteeEnPorteeDebutFusion(staves[2]), staves[1]);
    EXPECT_EQ(CvtIndexPorteeEnIndexPorteeDebutFusion(f.score, 9), -1);
    AddNote(staves[2], 60, 0);
    SupprimePorteesVides(f.score, kTrue);  // staves 0, 1 and 3 go; the group keeps staff 2
    ASSERT_EQ((*f.score)->staffCount, 1);
    PartGroupRecord group;
    ASSERT_TRUE(GetPartGroup(f.score, 0, &group));
    EXPECT_EQ(group.firstStaff, 0);
    EXPECT_EQ(group.lastStaff, 0);
    EXPECT_EQ((*GetPortee(f.score, 0))->index, 0);
}

TEST(ScoreModel, InstrumentsAndSoundIds) {
    ScoreFixture f;
    SInt16 piano = AjouteInstrument(f.score);
    SInt16 drums = AjouteInstrument(f.score);
    ASSERT_EQ(SetNomInstrument(f.score, drums, "Drums"), noErr);
    EXPECT_EQ(RechercheInstrumentParNom(f.score, "Drums"), drums);
    EXPECT_EQ(RechercheInstrumentParNom(f.score, "Organ"), -1);
    char name[kNomInstrumentTaille];
    EXPECT_FALSE(GetNomInstrument(f.score, 5, name));
    GetInstrumentPtr(f.score, piano)->standardId = 4120;  // program 41, bank 2
    ASSERT_EQ(CvtIdStandardEnParamMIDIInstrument(f.score, piano), noErr);
    EXPECT_EQ(GetInstrumentPtr(f.score, piano)->program, 41);
    EXPECT_EQ(GetInstrumentPtr(f.score, piano)->bank, 2);
    EXPECT_EQ(GetInstrumentPtr(f.score, piano)->soundId, 41u + 256u);
    struct Row {
        SInt32 id, expected;
    } rows[] = {{RsrcDgitInstrument(127, 127 * 128), 16383}, {RsrcDgitBatterie(0, 38), 16384 + 38},
                {RsrcDgitBatterie(255, 127), 32767}, {RsrcDgitInstrument(-3, -128), 0}};
    for (const Row &row : rows) EXPECT_EQ(row.id, row.expected);
}

Boolean LoadNothing(DocumentRecord *, const char *, SInt16) { return kTrue; }

TEST(ScoreModel, FormatsArePickedByTheLastExtension) {
    static const ScoreFormatOps kXml = {"MusicXML", {"xml", "musicxml", nullptr, nullptr}, LoadNothing,
                                        kFormatUnDocument, nullptr, nullptr, nullptr};
    static const ScoreFormatOps kNative = {"native", {"*", nullptr, nullptr, nullptr}, LoadNothing,
                                           kFormatUnDocument, nullptr, nullptr, nullptr};
    ASSERT_EQ(EnregistreFormatPartition(&kNative), noErr);
    ASSERT_EQ(EnregistreFormatPartition(&kXml), noErr);
    EXPECT_EQ(RechercheFormatPartition("a.b.MusicXML"), &kXml);
    EXPECT_EQ(RechercheFormatPartition("piece.oms"), &kNative);
    EXPECT_EQ(RechercheFormatPartition("dir.xml/piece"), &kNative);
    OublieFormatsPartition();
    EXPECT_EQ(RechercheFormatPartition("a.xml"), nullptr);
}

}  // namespace

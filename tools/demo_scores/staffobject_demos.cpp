// The lyrics and tablature demo scores.
#include "tools/demo_scores/staffobject_demos.h"

#include <cstring>

#include "platform/core/memory.h"
#include "score/notes.h"
#include "score/played_measures.h"
#include "score/ruptures.h"
#include "score/tablature_record.h"
#include "staffobjects/karaoke_cells.h"
#include "tools/demo_scores/demo_documents.h"

namespace {

const SInt32 kMesure = kTempsRonde;  // a 4/4 measure

OSErr ConstruitParoles(DocumentRecord *document);
OSErr ConstruitTablature(DocumentRecord *document);
SInt32 Pose(StaffHandle staff, SInt16 pitch, SInt32 time);

const DemoScoreRow kDemos[] = {
    {"lyrics", "|: C D E F | G F E D :| in quarters with two verses of lyrics", ConstruitParoles},
    {"tab", "E2 A2 D3 G3 B3 E4 C4 in quarters on a six-string tablature", ConstruitTablature},
};

}  // namespace

const DemoScoreRow *GetDemoScoresObjets(SInt32 *count) {
    if (count) *count = SInt32(sizeof kDemos / sizeof kDemos[0]);
    return kDemos;
}

const DemoScoreRow *RechercheDemoScoreObjets(const char *name) {
    if (!name) return nullptr;
    for (const DemoScoreRow &row : kDemos)
        if (!std::strcmp(row.name, name)) return &row;
    return RechercheDemoScore(name);
}

DocumentRecord *CreeDemoScoreObjets(const char *name) {
    const DemoScoreRow *row = RechercheDemoScoreObjets(name);
    return row ? CreeDocumentDemo(row->build) : nullptr;
}

namespace {

// The repeat is written twice: as ruptures, which the engraver draws, and as the played-measure
// table 1-2,1-2, kept as given.
OSErr ConstruitParoles(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    const SInt16 pitches[8] = {60, 62, 64, 65, 67, 65, 64, 62};
    for (SInt32 i = 0; i < 8; i++)
        if (Pose(staff, pitches[i], i * kTempsNoire) < 0) return memFullErr;
    if (!GetRupturePtr(score, AjouteRupture(score, kRuptureDebutReprise, 0)) ||
        !GetRupturePtr(score, AjouteRupture(score, kRuptureFinReprise, 2 * kMesure - 2)))
        return memFullErr;
    Handle table = NewHandle(4 * sizeof(UInt16));
    if (!table) return memFullErr;
    const UInt16 order[4] = {0, 1, 0, 1};
    std::memcpy(*table, order, sizeof order);
    OSErr err = FixeTabMesuresJouees(score, table);
    DisposHandle(table);
    if (err != noErr) return err;
    (*score)->customPlay = 1;
    if ((err = InverseEtatPorteeKaraoke(staff)) != noErr) return err;
    const struct {
        SInt32 measure;
        SInt16 verse;
        const char *text;
    } cells[] = {{0, 0, "one two three four"}, {1, 0, "five six se-ven"}, {0, 1, "sing this sec-ond"}, {1, 1, "verse on re-peat"}};
    for (const auto &cell : cells)
        if ((err = SetTexteKaraokeCellule(staff, cell.measure, cell.verse, kLigneParoles, cell.text)) != noErr) return err;
    return TermineDemo(score);
}

// The open strings of a guitar from the lowest, then C4, the first fret of the second string.
OSErr ConstruitTablature(DocumentRecord *document) {
    ScoreHandle score = CreePartitionVide(document);
    if (!score) return memFullErr;
    StaffHandle staff = CreePorteeVide(score, kPorteeTablature, 1, 0);
    if (!staff) return memFullErr;
    OSErr err = InitPorteeTablature(staff);
    if (err != noErr) return err;
    const SInt16 pitches[7] = {40, 45, 50, 55, 59, 64, 60};
    for (SInt32 i = 0; i < 7; i++)
        if (Pose(staff, pitches[i], i * kTempsNoire) < 0) return memFullErr;
    return TermineDemo(score);
}

SInt32 Pose(StaffHandle staff, SInt16 pitch, SInt32 time) {
    NoteRecord note;
    RazNote(&note, pitch, kTempsNoire);
    return InsereNote(staff, &note, time, 0, 1);
}

}  // namespace

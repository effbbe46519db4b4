// omscore: builds a demo score through the score model, or loads a score file, and prints it or
// saves it as a native score.
//   omscore --demo NAME --dump             the dump of docs/score-dump.md
//   omscore --demo NAME --save FILE [--lzw] writes a native score (docs/native-format.md)
//   omscore --load FILE [--dump]           reads a score through the format table
//   omscore (--demo NAME | --load FILE) --musicxml FILE
//                                          writes the score as MusicXML, to give other programs
//                                          the same notes (tools/demo_scores/musicxml_writer.h)
//   omscore --demo NAME --karaoke          the karaoke text of its first lyric staff in played
//                                          order, then "syllables=N" and a line per syllable
//   omscore --list                         the demo names
// A load that fails exits with 1 after the reader's message on standard error.
#include <cstdio>
#include <cstring>

#include "platform/core/memory.h"
#include "score/byte_stream.h"
#include "score/native_score.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "staffobjects/karaoke_cells.h"
#include "staffobjects/karaoke_text.h"
#include "tools/demo_scores/demo_scores.h"
#include "tools/demo_scores/musicxml_writer.h"
#include "tools/demo_scores/staffobject_demos.h"
#include "tools/demo_scores/score_dump.h"

namespace {

int Usage() {
    fprintf(stderr, "usage: omscore --demo NAME [--dump] [--karaoke] [--save FILE [--lzw]] [--musicxml FILE] | --load FILE"
                    " [--dump] [--musicxml FILE] | --list\n");
    return 2;
}

DocumentRecord *Charge(const char *path) {
    const ScoreFormatOps *row = RechercheFormatPartition(path);
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    if (document && row && row->load(document, path, -1)) return document;
    LibereDemoScore(&document);
    return nullptr;
}

// The first staff with lyrics: its karaoke text and the syllables with their offsets and times.
bool Karaoke(ScoreHandle score) {
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if (!(*staff)->karaoke && GetNbCellulesLigne(staff, kLigneParoles) == 0) continue;
        Handle syllables = NewHandle(0);
        Handle text = CreeTexteKaraoke(staff, kLigneParoles, kTrue, syllables);
        if (!text || !syllables) return false;
        printf("%.*s\n", int(GetHandleSize(text)), *text);
        SInt32 count = GetNbSyllabesKaraoke(syllables);
        printf("syllables=%ld\n", long(count));
        for (SInt32 i = 0; i < count; i++) {
            SyllabeKaraoke k;
            GetSyllabeKaraoke(syllables, i, &k);
            printf("syllable %ld offset=%ld length=%ld start=%ld end=%ld\n", long(i + 1), long(k.offset), long(k.length),
                   long(k.start), long(k.end));
        }
        DisposHandle(text);
        DisposHandle(syllables);
        return true;
    }
    return false;
}

bool Sauve(DocumentRecord *document, const char *path, bool lzw) {
    if (!CadenzoOpenFile(path, "wb")) return false;
    bool ok = SauveMusiqueStandard(document, lzw);
    return CloseFile() && ok;
}

}  // namespace

int main(int argc, char **argv) {
    const char *demo = nullptr;
    const char *load = nullptr;
    const char *save = nullptr;
    const char *musicxml = nullptr;
    bool dump = false, list = false, lzw = false, karaoke = false;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--demo") && i + 1 < argc) demo = argv[++i];
        else if (!strcmp(argv[i], "--load") && i + 1 < argc) load = argv[++i];
        else if (!strcmp(argv[i], "--save") && i + 1 < argc) save = argv[++i];
        else if (!strcmp(argv[i], "--musicxml") && i + 1 < argc) musicxml = argv[++i];
        else if (!strcmp(argv[i], "--dump")) dump = true;
        else if (!strcmp(argv[i], "--lzw")) lzw = true;
        else if (!strcmp(argv[i], "--karaoke")) karaoke = true;
        else if (!strcmp(argv[i], "--list")) list = true;
        else return Usage();
    }
    if (list) {
        SInt32 count = 0;
        const DemoScoreRow *rows = GetDemoScores(&count);
        for (SInt32 i = 0; i < count; i++) printf("%s\t%s\n", rows[i].name, rows[i].description);
        rows = GetDemoScoresObjets(&count);
        for (SInt32 i = 0; i < count; i++) printf("%s\t%s\n", rows[i].name, rows[i].description);
        return 0;
    }
    if (!demo == !load || (lzw && !save)) return Usage();
    FixePrefStd();
    EnregistreFormatsStockage();
    DocumentRecord *document = demo ? CreeDemoScoreObjets(demo) : Charge(load);
    if (!document) {
        if (demo) fprintf(stderr, "omscore: no demo score '%s'\n", demo);
        return 1;
    }
    int status = 0;
    if (dump) EcritDumpPartition(stdout, document->score);
    if (karaoke && !Karaoke(document->score)) {
        fprintf(stderr, "omscore: no lyrics in the score\n");
        status = 1;
    }
    if (save && !Sauve(document, save, lzw)) {
        fprintf(stderr, "omscore: can't write '%s'\n", save);
        status = 1;
    }
    if (musicxml && EcritMusiqueXML(document, musicxml) != noErr) {
        fprintf(stderr, "omscore: can't write '%s'\n", musicxml);
        status = 1;
    }
    LibereDemoScore(&document);
    return status;
}

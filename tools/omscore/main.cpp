// omscore: builds a demo score through the score model and prints it.
//   omscore --demo NAME --dump    the dump of docs/score-dump.md
//   omscore --list                the demo names
#include <cstdio>
#include <cstring>

#include "score/preferences.h"
#include "tools/demo_scores/demo_scores.h"
#include "tools/demo_scores/score_dump.h"

namespace {

int Usage() {
    fprintf(stderr, "usage: omscore --demo NAME --dump | --list\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    const char *demo = nullptr;
    bool dump = false;
    bool list = false;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--demo") && i + 1 < argc) demo = argv[++i];
        else if (!strcmp(argv[i], "--dump")) dump = true;
        else if (!strcmp(argv[i], "--list")) list = true;
        else return Usage();
    }
    if (list) {
        SInt32 count = 0;
        const DemoScoreRow *rows = GetDemoScores(&count);
        for (SInt32 i = 0; i < count; i++) printf("%s\t%s\n", rows[i].name, rows[i].description);
        return 0;
    }
    if (!demo) return Usage();
    FixePrefStd();
    DocumentRecord *document = CreeDemoScore(demo);
    if (!document) {
        fprintf(stderr, "omscore: no demo score '%s'\n", demo);
        return 1;
    }
    if (dump) EcritDumpPartition(stdout, document->score);
    LibereDemoScore(&document);
    return 0;
}

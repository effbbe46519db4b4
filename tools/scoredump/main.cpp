// scoredump: loads a score file as the plug-in's loader does (the format table's row for its
// extension) and prints what was imported, one fact per line (docs/scoredump.md).
//   scoredump FILE [--layout]
// Importer messages go to standard error prefixed "musicxml: "; a failed load exits 1 with
// "load failed", a usage error 2.
#include <cstdio>
#include <cstring>
#include <string>

#include "import/musicxml/musicxml_import.h"
#include "import/musicxml/musicxml_state.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "score/instruments.h"
#include "score/part_groups.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "score/tablature_record.h"

namespace {

enum : SInt32 { kNomUTF8Taille = kNomInstrumentTaille * 3 + 1 };

void Failure(const char *message) { fprintf(stderr, "musicxml: %s\n", message); }
void Trace(const char *message) { fprintf(stderr, "%s\n", message); }

// A text between double quotes, its bytes as they are but for quotes, backslashes and control
// characters, which are written \xNN.
std::string Quoted(const char *text) {
    std::string out = "\"";
    for (const UInt8 *p = reinterpret_cast<const UInt8 *>(text ? text : ""); *p; p++) {
        if (*p == '"' || *p == '\\' || *p < 0x20 || *p == 0x7F) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", *p);
            out += escaped;
        } else {
            out += char(*p);
        }
    }
    return out + "\"";
}

std::string FormatCode(OSType format) {
    std::string code;
    for (int shift = 24; format && shift >= 0; shift -= 8) code += char((format >> shift) & 0xFF);
    return Quoted(code.c_str());
}

const char *HandleText(Handle h) { return h ? *h : ""; }

SInt32 StaffItem(StaffHandle staff, OSType id) {
    SInt32 value = -1, size = sizeof value;
    if (!(*staff)->collection || GetCollectionItem((*staff)->collection, kXMLTypePortee, SInt32(id), &size, &value) != noErr)
        return -1;
    return value;
}

int ShownLines(UInt16 mask) {
    int count = 0;
    for (; mask; mask &= UInt16(mask - 1)) count++;
    return count;
}

void PrintDocument(const DocumentRecord *document) {
    printf("DOC format=%s imported=%d title=%s composer=%s poet=%s\n", FormatCode(document->format).c_str(),
           document->imported, Quoted(document->titles[0].text).c_str(), Quoted(document->titles[1].text).c_str(),
           Quoted(document->titles[2].text).c_str());
}

void PrintLayout(const DocumentRecord *document) {
    const PageLayoutRecord &page = document->pageLayouts[0];
    printf("PAGE paper=%dx%d margins=%d,%d,%d,%d reserved=%d flags=%d,%d\n", page.paperWidth, page.paperHeight,
           page.marginLeft, page.marginTop, page.marginRight, page.marginBottom, page.reservedPages, page.flags[0],
           page.flags[1]);
}

void PrintStaff(StaffHandle staff) {
    const StaffRecord *p = *staff;
    printf("STAFF %d name=%s short=%s type=%u instrument=%d merge=%d continued=%d part=%d staf=%d voic=%d lines=%d "
           "size=%d",
           p->index, Quoted(HandleText(p->longName)).c_str(), Quoted(HandleText(p->shortName)).c_str(), p->type,
           p->instrument, p->mergeMode, p->continuedByNext, StaffItem(staff, kXMLIdPartie),
           StaffItem(staff, kXMLIdPortee), StaffItem(staff, kXMLIdVoix), ShownLines(p->shownLines), p->size);
    const TablatureRecord *tab = p->type == kPorteeTablature ? GetTablaturePtr(staff) : nullptr;
    if (tab) {
        printf(" strings=%d tuning=", tab->stringCount);
        for (SInt16 k = 0; k < tab->stringCount && k < kMaxCordesTablature; k++)
            printf("%s%u", k ? "," : "", tab->strings[k].pitch);
    }
    printf("\n");
}

void PrintGroup(ScoreHandle score, SInt32 index) {
    PartGroupRecord group;
    if (!GetPartGroup(score, index, &group)) return;
    printf("GROUP %d kind=%d barlines=%d first=%d last=%d name=%s short=%s\n", index, group.kind, group.barlines,
           group.firstStaff, group.lastStaff, Quoted(HandleText(group.longName)).c_str(),
           Quoted(HandleText(group.shortName)).c_str());
}

void PrintInstrument(ScoreHandle score, SInt16 index) {
    const InstrumentRecord *i = GetInstrumentPtr(score, index);
    char name[kNomUTF8Taille];
    memcpy(name, i->name, kNomInstrumentTaille);
    name[kNomInstrumentTaille - 1] = 0;
    OrvaMacRomanToUTFSized(name, sizeof name);
    printf("INSTR %d name=%s program=%d bank=%d channel=%d volume=%d volumegiven=%d pan=%d pangiven=%d unpitched=%d "
           "transposition=%d sound=%u\n",
           index, Quoted(name).c_str(), i->program, i->bank, i->channel, i->volume, i->volumeGiven, i->pan,
           i->panGiven, i->unpitched, i->transposition, i->soundId);
}

void PrintBars(ScoreHandle score) {
    XMLBarRecord bar;
    for (SInt32 index = 0;; index++) {
        SInt32 size = sizeof bar;
        if (!(*score)->collection ||
            GetCollectionItem((*score)->collection, kXMLTypeBarre, index, &size, &bar) != noErr)
            return;
        char number[kXMLBarNumberSize];
        memcpy(number, bar.number, sizeof number);
        number[sizeof number - 1] = 0;
        printf("BNUM %d number=%s implicit=%d measure=%d start=%d length=%d rests=%d\n", index,
               Quoted(number).c_str(), bar.implicit, bar.measure, bar.start, bar.length, bar.multipleRests);
    }
}

void Dump(const DocumentRecord *document, bool layout) {
    PrintDocument(document);
    if (layout) PrintLayout(document);
    ScoreHandle score = document->score;
    if (!IsPartitionValide(score)) return;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) PrintStaff(GetPortee(score, s));
    for (SInt32 g = 0; g < (*score)->partGroupCount; g++) PrintGroup(score, g);
    for (SInt16 i = 0; i < (*score)->instrumentCount; i++) PrintInstrument(score, i);
    PrintBars(score);
}

}  // namespace

int main(int argc, char **argv) {
    const char *path = nullptr;
    bool layout = false, usage = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--layout") == 0) layout = true;
        else if (!path && argv[i][0] != '-') path = argv[i];
        else usage = true;
    }
    if (!path || usage) {
        fprintf(stderr, "usage: scoredump FILE [--layout]\n");
        return 2;
    }
    FixePrefStd();
    pref.warnings = 1;
    static const OrvaMessageHooks kMessages = {Failure, Failure, nullptr, Trace};
    OrvaSetMessageHooks(&kMessages);
    XMLEnregistreFormats();
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    const ScoreFormatOps *row = RechercheFormatPartition(path);
    bool loaded = document && row && row->load(document, path, -1);
    if (loaded) Dump(document, layout);
    else fprintf(stderr, "load failed\n");
    if (document) {
        VideDocument(document);
        DisposPtr(reinterpret_cast<Ptr>(document));
    }
    return loaded ? 0 : 1;
}

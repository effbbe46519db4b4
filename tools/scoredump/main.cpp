// scoredump: loads a score file as the plug-in's loader does (the format table's row for its
// extension) and prints what was imported, one fact per line (docs/scoredump.md).
//   scoredump FILE [--layout [--page N --png FILE.png]] [--played]
// --played prints the notes as the sequencer plays them instead; --page lays the score out on
// pages as the player does and draws page N at 300 dpi into FILE.png.
// Importer messages go to standard error prefixed "musicxml: "; a failed load exits 1 with
// "load failed", a usage error 2.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engraving/engraver.h"
#include "engraving/links.h"
#include "engraving/music_font.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_table.h"
#include "import/musicxml/musicxml_import.h"
#include "import/musicxml/musicxml_state.h"
#include "layout/layout_start.h"
#include "layout/pagination.h"
#include "layout/units.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "score/engine_facade.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/note_params.h"
#include "score/notes.h"
#include "score/part_groups.h"
#include "score/preferences.h"
#include "score/ruptures.h"
#include "score/score_formats.h"
#include "score/tablature_record.h"
#include "sound/sequencer.h"
#include "staffobjects/staff_objects.h"
#include "tools/page_images/page_images.h"

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

// A key as its fifths (negative: flats) and mode, "C" for C major: "3M", "-2m".
std::string KeyText(const KeySignature &key) {
    int fifths = key.kind <= 7 ? int(key.kind) : -int(key.kind - 7);
    return std::to_string(fifths) + (key.mode == kModeMajeur ? "M" : "m");
}

// A clef as its letter, its line from the bottom, its octave change and a smaller size: "G2",
// "F4", "G2-1", "C4/75".
std::string ClefText(const ClefRecord &clef) {
    static const char kLetters[] = "?GFC";
    static const int kLines[] = {0, 2, 4, 3};
    int kind = clef.kind <= 3 ? clef.kind : 0;
    std::string text = std::string(1, kLetters[kind]) + std::to_string(kLines[kind] + clef.lineOffset);
    if (clef.octave) text += (clef.octave > 0 ? "+" : "") + std::to_string(clef.octave);
    if (clef.size != 100) text += "/" + std::to_string(clef.size);
    return text;
}

void PrintMeasures(ScoreHandle score) {
    for (SInt32 m = 0; m < (*score)->measureCount; m++) {
        const MeasureElement *e = GetMesurePtr(score, m);
        const TimeSignature &t = e->signature;
        std::string keys, clefs;
        for (SInt16 s = 0; s < (*score)->staffCount; s++) {
            const KeyClefChange *change = GetChangementEnVigueur(GetPortee(score, s), m);
            if (!change) continue;
            keys += (keys.empty() ? "" : ",") + KeyText(change->key);
            clefs += (clefs.empty() ? "" : ",") + ClefText(change->clef);
        }
        printf("MEASURE %d start=%d length=%d sig=%d/%d shown=%d,%d,%d symbol=%d hidden=%d keys=%s clefs=%s break=%d "
               "nobreak=%d pagebreak=%d uncounted=%d cut=%d\n",
               m, e->start, e->length, t.numerator, t.denominator, t.shownNumerator, t.shownSecond,
               t.shownDenominator == kSansDenominateurAffiche ? -1 : int(t.shownDenominator), t.symbol, e->hiddenMask,
               keys.c_str(), clefs.c_str(), e->systemBreak, e->breakForbidden, e->pageBreak,
               (e->state & kMesureHorsNumerotation) != 0, (e->state & kMesureNotesCoupees) != 0);
    }
}

// The links of a note: t a tie (a slur between notes of one pitch that follow one another),
// s another slur, b a beam; then s for the start, d for the end.
std::string LinksText(StaffHandle staff, SInt32 index) {
    std::string text;
    for (SInt16 kind = 0; kind <= 1; kind++) {
        for (UInt8 role : {kLiaisonSource, kLiaisonDestination}) {
            LinkEndRecord other;
            Boolean has = role == kLiaisonSource ? GetLiaisonSourceNote(staff, index, kind, nullptr)
                                                 : GetLiaisonDestNote(staff, index, kind, nullptr);
            if (!has) continue;
            char letter = 'b';
            if (kind == kLiaisonCoule) {
                Boolean found = GetAutreBoutLiaison(staff, index, role, kind, &other);
                Boolean tie = found && other.staff == staff &&
                              (role == kLiaisonSource ? IsCoulePourLieIndex(staff, index, other.index)
                                                      : IsCoulePourLieIndex(staff, other.index, index));
                letter = tie ? 't' : 's';
            }
            text += (text.empty() ? "" : ",") + std::string(1, letter) + (role == kLiaisonSource ? "s" : "d");
        }
    }
    return text.empty() ? "-" : text;
}

void PrintNotes(StaffHandle staff) {
    SInt16 s = (*staff)->index;
    for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
        const NoteRecord n = *GetNotePtr(staff, i);
        std::string marks, graces = "0";
        SInt32 markCount = GetNbMarquesNote(staff, i);
        for (SInt32 k = 0; k < markCount; k++) {
            MarkRecord mark;
            GetMarqueNote(staff, i, k, &mark);
            marks += (marks.empty() ? "" : ",") + std::to_string(mark.type);
        }
        const NoteEffectRecord *record = GetParamEffetIndexNote(staff, i);
        if (record && record->grace) {
            int count = 0;
            for (const GraceEntry &g : record->graces) count += g.used != 0;
            graces = std::to_string(count) + "/" + std::to_string(record->graceShare);
        }
        printf("NOTE %d.%d time=%d dur=%u pitch=%d acc=%d flags=%d tuplet=%d bracket=%d cue=%d stem=%d,%d head=%d "
               "velocity=%d attack=%d release=%d marks=%s graces=%s links=%s\n",
               s, i, n.time, n.duration, n.pitch, n.accidental, n.chordFlags, n.tuplet, n.tupletBracket, n.cue,
               n.stemDirection, n.stemLength, n.notehead, n.velocity, n.attack, n.release,
               marks.empty() ? "-" : marks.c_str(), graces.c_str(), LinksText(staff, i).c_str());
    }
}

void PrintRuptures(ScoreHandle score) {
    for (SInt32 r = 0; r < (*score)->ruptureCount; r++) {
        const RuptureRecord *p = GetRupturePtr(score, r);
        std::string endings;
        for (SInt32 e = 0; e < kRuptureFins; e++)
            if (p->endings[e]) endings += (endings.empty() ? "" : ",") + std::to_string(e + 1);
        printf("RUPTURE %d time=%d kind=%d action=%d parameter=%d text=%s passage=%d mode=%d passes=%d endings=%s\n",
               r, p->time, p->kind, p->action, p->parameter, Quoted(p->text).c_str(), p->passage, p->repetitionMode,
               p->passCount, endings.empty() ? "-" : endings.c_str());
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
    PrintMeasures(score);
    for (SInt16 s = 0; s < (*score)->staffCount; s++) PrintNotes(GetPortee(score, s));
    PrintRuptures(score);
}

// ---- --played ----------------------------------------------------------------------------------

const UInt32 kRate = 48000;

// The played position (score units, repeats unrolled) of a frame, between the tempo points.
double PlayedAt(const PlaybackPlan &p, SInt64 frame) {
    UInt32 k = 0;
    while (k + 2 < p.tempoCount && p.tempo[k + 1].frame <= frame) k++;
    const PlaybackTempoPoint &a = p.tempo[k], &b = p.tempo[k + 1 < p.tempoCount ? k + 1 : k];
    if (b.frame == a.frame) return a.played;
    return a.played + double(frame - a.frame) * (b.played - a.played) / double(b.frame - a.frame);
}

struct Played {
    double onset, length;
    int pitch, staff;
};

// The notes the sequencer makes of the score, grace notes left out, as onsets and lengths in
// quarter notes of played time, sorted.
bool DumpPlayed(const DocumentRecord *document) {
    ScoreHandle score = document->score;
    if (!IsPartitionValide(score) || (*score)->staffCount < 1) return true;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
            NoteEffectRecord *record = GetParamEffetIndexNote(staff, i);
            if (record) record->grace = 0;
        }
    }
    SonPreparationRequest request = {score, kRate, 0};
    PartitionSonRecord prepared;
    if (PreparePartitionSon(&request, &prepared) != noErr) return false;
    std::vector<Played> notes;
    for (UInt32 e = 0; e < prepared.plan.eventCount; e++) {
        const SoundEvent &event = prepared.plan.events[e];
        double start = PlayedAt(prepared.plan, event.onset), end = PlayedAt(prepared.plan, event.onset + event.length);
        notes.push_back({start / kTempsNoire, (end - start) / kTempsNoire, event.key, event.staff});
    }
    LiberePartitionSon(&prepared);
    std::sort(notes.begin(), notes.end(), [](const Played &a, const Played &b) {
        return a.onset != b.onset ? a.onset < b.onset : a.pitch != b.pitch ? a.pitch < b.pitch : a.staff < b.staff;
    });
    for (size_t i = 0; i < notes.size(); i++)
        printf("PLAYED %zu onset=%.4f pitch=%d length=%.4f staff=%d\n", i, notes[i].onset, notes[i].pitch,
               notes[i].length, notes[i].staff);
    return true;
}

const SInt16 kDpiPages = 300;  // pages are drawn at the player's output resolution

// Page N of the score laid out as the player lays it out, into a PNG file.
bool DessinePage(DocumentRecord *document, long page, const char *png) {
    InitPortees(document->score);
    FixeMiseEnPageNonCalculee(document);
    SInt16 pages = CombienDePages(document->score);
    printf("PAGES count=%d\n", pages);
    if (page < 1 || page > pages) {
        fprintf(stderr, "scoredump: the score has %d pages, not a page %ld\n", pages, page);
        return false;
    }
    if (EcritPagePNG(document, SInt16(page), kDpiPages, png)) return true;
    fprintf(stderr, "scoredump: cannot write %s\n", png);
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    const char *path = nullptr, *png = nullptr;
    long page = 0;
    bool layout = false, played = false, usage = false;
    for (int i = 1; i < argc; i++) {
        bool more = i + 1 < argc;
        if (strcmp(argv[i], "--layout") == 0) layout = true;
        else if (strcmp(argv[i], "--played") == 0) played = true;
        else if (strcmp(argv[i], "--page") == 0 && more) page = strtol(argv[++i], nullptr, 10);
        else if (strcmp(argv[i], "--png") == 0 && more) png = argv[++i];
        else if (!path && argv[i][0] != '-') path = argv[i];
        else usage = true;
    }
    if (!path || usage || (png && (!layout || page == 0 || played)) || (page != 0 && !png)) {
        fprintf(stderr, "usage: scoredump FILE [--layout [--page N --png FILE.png]] [--played]\n");
        return 2;
    }
    FixePrefStd();
    pref.warnings = 1;
    static const OrvaMessageHooks kMessages = {Failure, Failure, nullptr, Trace};
    OrvaSetMessageHooks(&kMessages);
    XMLEnregistreFormats();
    if (png && !DemarrePages(ORVA_MUSIC_FONT, kDpiPages))
        fprintf(stderr, "scoredump: music font \"%s\" is not installed\n", kNomFonteMusique);
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    if (document && png) FixeMiseEnPageStandardDocument(document);
    const ScoreFormatOps *row = RechercheFormatPartition(path);
    bool loaded = document && row && row->load(document, path, -1);
    bool ok = loaded;
    if (!loaded) fprintf(stderr, "load failed\n");
    else if (played) ok = DumpPlayed(document);
    else Dump(document, layout);
    if (loaded && played && !ok) fprintf(stderr, "the score cannot be prepared to play\n");
    if (loaded && png) ok = DessinePage(document, page, png);
    if (document) {
        VideDocument(document);
        DisposPtr(reinterpret_cast<Ptr>(document));
    }
    if (png) ArretePages();
    return ok ? 0 : 1;
}

// The MusicXML writer of the tools.
#include "tools/demo_scores/musicxml_writer.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "engraving/staff_type_rows.h"
#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/part_groups.h"

namespace {

const char kDegres[] = "CDEFGAB";

struct WriterRecord {
    FILE *file;
    ScoreHandle score;
    SInt32 divisions;  // units of a quarter note's division
    std::vector<SInt16> staves;  // the staves written, one part each
};

std::string Echappe(const char *text);
std::string Nom(Handle name);
SInt32 Pgcd(SInt32 a, SInt32 b) { return b == 0 ? a : Pgcd(b, a % b); }
SInt32 Divisions(ScoreHandle score, const std::vector<SInt16> &staves);
void EcritEntete(WriterRecord *w, DocumentRecord *document);
void EcritListeParties(WriterRecord *w);
void EcritPartie(WriterRecord *w, size_t part);
void EcritAttributs(WriterRecord *w, StaffHandle staff, SInt32 measure);
void EcritNotesMesure(WriterRecord *w, StaffHandle staff, SInt32 measure);
void EcritNote(WriterRecord *w, StaffHandle staff, const NoteRecord &note, SInt32 duration, Boolean chord, SInt16 voice);
const char *Type(SInt32 duration, Boolean *dotted);

}  // namespace

OSErr EcritMusiqueXML(DocumentRecord *document, const char *path) {
    if (!document || !IsPartitionValide(document->score) || !path) return paramErr;
    WriterRecord w;
    w.score = document->score;
    for (SInt16 s = 0; s < (*w.score)->staffCount; s++)
        if (GetTypePorteeGravure(GetPortee(w.score, s))->drawn) w.staves.push_back(s);
    w.divisions = Divisions(w.score, w.staves);
    w.file = fopen(path, "w");
    if (!w.file) return ioErr;
    EcritEntete(&w, document);
    EcritListeParties(&w);
    for (size_t p = 0; p < w.staves.size(); p++) EcritPartie(&w, p);
    fprintf(w.file, "</score-partwise>\n");
    Boolean ok = !ferror(w.file);
    return fclose(w.file) == 0 && ok ? OSErr(noErr) : OSErr(ioErr);
}

namespace {

std::string Echappe(const char *text) {
    std::string out;
    for (const char *c = text; c && *c; c++) {
        switch (*c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\r':
        case '\n': out += ' '; break;
        default: out += *c;
        }
    }
    return out;
}

std::string Nom(Handle name) {
    if (!name || !*name) return "";
    std::string text(*name, *name + GetHandleSize(name));
    return Echappe(text.substr(0, text.find('\0')).c_str());
}

// The coarsest division of a quarter that every measure length, note time and duration fills.
SInt32 Divisions(ScoreHandle score, const std::vector<SInt16> &staves) {
    SInt32 g = kTempsNoire;
    for (SInt32 m = 0; m < (*score)->measureCount; m++) g = Pgcd(g, CvtMesureEnDureeMesure(score, m));
    for (SInt16 s : staves) {
        StaffHandle staff = GetPortee(score, s);
        for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
            const NoteRecord *note = GetNotePtr(staff, i);
            SInt32 time = note->time;
            UInt32 duration = note->duration;
            g = Pgcd(g, time);
            g = Pgcd(g, SInt32(duration));
        }
    }
    return kTempsNoire / std::max<SInt32>(1, g);
}

void EcritEntete(WriterRecord *w, DocumentRecord *document) {
    fprintf(w->file, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                     "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 3.1 Partwise//EN\" "
                     "\"http://www.musicxml.org/dtds/partwise.dtd\">\n"
                     "<score-partwise version=\"3.1\">\n");
    if (document->titles[0].text[0])
        fprintf(w->file, "  <work><work-title>%s</work-title></work>\n", Echappe(document->titles[0].text).c_str());
    fprintf(w->file, "  <identification>\n");
    if (document->titles[1].text[0])
        fprintf(w->file, "    <creator type=\"composer\">%s</creator>\n", Echappe(document->titles[1].text).c_str());
    if (document->titles[2].text[0])
        fprintf(w->file, "    <creator type=\"poet\">%s</creator>\n", Echappe(document->titles[2].text).c_str());
    fprintf(w->file, "    <encoding><software>Ondrak Music Plug-in omscore</software></encoding>\n"
                     "  </identification>\n");
}

// The parts, with the groups that start before their first staff and stop after their last.
void EcritListeParties(WriterRecord *w) {
    ScoreHandle score = w->score;
    fprintf(w->file, "  <part-list>\n");
    static const char *const kSymboles[] = {"brace", "bracket", "bracket", "bracket", "line", "none"};
    for (size_t p = 0; p < w->staves.size(); p++) {
        SInt16 s = w->staves[p];
        for (SInt32 g = 0; g < (*score)->partGroupCount; g++) {
            PartGroupRecord group;
            if (!GetPartGroup(score, g, &group) || group.firstStaff != s) continue;
            fprintf(w->file,
                    "    <part-group type=\"start\" number=\"%ld\"><group-name>%s</group-name>"
                    "<group-symbol>%s</group-symbol><group-barline>%s</group-barline></part-group>\n",
                    long(g + 1), Nom(group.longName).c_str(), kSymboles[group.kind >= 0 && group.kind <= 5 ? group.kind : 5],
                    group.barlines == 1 ? "yes" : group.barlines == 2 ? "Mensurstrich" : "no");
        }
        StaffHandle staff = GetPortee(score, s);
        fprintf(w->file, "    <score-part id=\"P%zu\"><part-name>%s</part-name>", p + 1, Nom((*staff)->longName).c_str());
        if ((*staff)->shortName) fprintf(w->file, "<part-abbreviation>%s</part-abbreviation>", Nom((*staff)->shortName).c_str());
        fprintf(w->file, "</score-part>\n");
        for (SInt32 g = 0; g < (*score)->partGroupCount; g++) {
            PartGroupRecord group;
            if (GetPartGroup(score, g, &group) && group.lastStaff == s)
                fprintf(w->file, "    <part-group type=\"stop\" number=\"%ld\"/>\n", long(g + 1));
        }
    }
    fprintf(w->file, "  </part-list>\n");
}

void EcritPartie(WriterRecord *w, size_t part) {
    StaffHandle staff = GetPortee(w->score, w->staves[part]);
    fprintf(w->file, "  <part id=\"P%zu\">\n", part + 1);
    for (SInt32 m = 0; m < (*w->score)->measureCount; m++) {
        fprintf(w->file, "    <measure number=\"%ld\">\n", long(m + 1));
        EcritAttributs(w, staff, m);
        EcritNotesMesure(w, staff, m);
        if (m + 1 == (*w->score)->measureCount)
            fprintf(w->file, "      <barline location=\"right\"><bar-style>light-heavy</bar-style></barline>\n");
        fprintf(w->file, "    </measure>\n");
    }
    fprintf(w->file, "  </part>\n");
}

// The divisions on the first measure; the key, time and clef on the first and where they change.
void EcritAttributs(WriterRecord *w, StaffHandle staff, SInt32 measure) {
    const KeyClefChange *now = GetChangementEnVigueur(staff, measure);
    const KeyClefChange *before = measure > 0 ? GetChangementEnVigueur(staff, measure - 1) : nullptr;
    const MeasureElement *m = GetMesurePtr(w->score, measure);
    const MeasureElement *previous = measure > 0 ? GetMesurePtr(w->score, measure - 1) : nullptr;
    Boolean key = now && (!before || now->key.kind != before->key.kind || now->key.mode != before->key.mode);
    Boolean clef = now && (!before || now->clef.kind != before->clef.kind || now->clef.lineOffset != before->clef.lineOffset ||
                           now->clef.octave != before->clef.octave);
    Boolean time = !previous || previous->signature.numerator != m->signature.numerator ||
                   previous->signature.denominator != m->signature.denominator;
    if (measure > 0 && !key && !clef && !time) return;
    fprintf(w->file, "      <attributes>\n");
    if (measure == 0) fprintf(w->file, "        <divisions>%ld</divisions>\n", long(w->divisions));
    if (key) {
        SInt32 kind = SInt32(now->key.kind), fifths = kind <= 7 ? kind : -(kind - 7);
        fprintf(w->file, "        <key><fifths>%ld</fifths><mode>%s</mode></key>\n", long(fifths),
                now->key.mode == kModeMajeur ? "major" : "minor");
    }
    if (time) {
        SInt16 numerator = m->signature.numerator, denominator = m->signature.denominator;
        fprintf(w->file, "        <time><beats>%d</beats><beat-type>%d</beat-type></time>\n", numerator, denominator);
    }
    if (clef) {
        const ClefRecord &c = now->clef;
        char sign = c.kind == kCleFa ? 'F' : c.kind == kCleUt ? 'C' : 'G';
        SInt32 line = (c.kind == kCleFa ? 4 : c.kind == kCleUt ? 3 : 2) + c.lineOffset;
        fprintf(w->file, "        <clef><sign>%c</sign><line>%ld</line>", sign, long(line));
        if (c.octave) fprintf(w->file, "<clef-octave-change>%d</clef-octave-change>", c.octave);
        fprintf(w->file, "</clef>\n");
    }
    fprintf(w->file, "      </attributes>\n");
}

// The measure's notes in time order: rests fill the gaps, chord members follow their first, and
// a note that starts before the previous one ended goes back to its time in voice 2.
void EcritNotesMesure(WriterRecord *w, StaffHandle staff, SInt32 measure) {
    SInt32 start = CvtMesureEnTemps(w->score, measure), end = start + CvtMesureEnDureeMesure(w->score, measure);
    SInt32 cursor = start, chordTime = -1;
    for (SInt32 i = CvtTempsEnIndexNote(staff, start); i < (*staff)->noteCount; i++) {
        NoteRecord note = *GetNotePtr(staff, i);
        if (note.time >= end) break;
        if (note.pitch == kPitchSuiteAccord || note.pitch == kPitchRepetitionMesure) continue;
        UInt32 written = note.duration;  // a packed field: read by value
        SInt32 length = std::min<SInt32>(SInt32(std::min<UInt32>(written, UInt32(kTempsMax))), end - note.time);
        Boolean chord = note.time == chordTime && note.pitch >= 0;
        SInt16 voice = 1;
        if (!chord && note.time > cursor) {
            NoteRecord rest;
            RazNote(&rest, kPitchSilence, UInt32(note.time - cursor));
            EcritNote(w, staff, rest, note.time - cursor, kFalse, 1);
            cursor = note.time;
        } else if (!chord && note.time < cursor) {
            fprintf(w->file, "      <backup><duration>%ld</duration></backup>\n", long((cursor - note.time) * w->divisions / kTempsNoire));
            cursor = note.time;
            voice = 2;
        }
        EcritNote(w, staff, note, length, chord, voice);
        if (!chord) {
            chordTime = note.time;
            cursor = note.time + length;
        }
    }
    if (cursor < end) {
        NoteRecord rest;
        RazNote(&rest, kPitchSilence, UInt32(end - cursor));
        EcritNote(w, staff, rest, end - cursor, kFalse, 1);
    }
}

void EcritNote(WriterRecord *w, StaffHandle staff, const NoteRecord &note, SInt32 duration, Boolean chord, SInt16 voice) {
    fprintf(w->file, "      <note>");
    if (chord) fprintf(w->file, "<chord/>");
    SpellingRecord spelling;
    KeySignature key;
    CvtTempsEnTonalite(staff, note.time, &key);
    if (note.pitch < 0 || !EpelleHauteur(note.pitch, note.accidental, &key, &spelling)) {
        fprintf(w->file, "<rest/>");
    } else {
        fprintf(w->file, "<pitch><step>%c</step>", kDegres[spelling.degree % 7]);
        if (spelling.alteration) fprintf(w->file, "<alter>%d</alter>", spelling.alteration);
        fprintf(w->file, "<octave>%d</octave></pitch>", spelling.octave - 1);
    }
    fprintf(w->file, "<duration>%ld</duration><voice>%d</voice>", long(SInt64(duration) * w->divisions / kTempsNoire), voice);
    Boolean dotted = kFalse;
    if (const char *type = Type(duration, &dotted)) fprintf(w->file, "<type>%s</type>%s", type, dotted ? "<dot/>" : "");
    UInt8 code = note.accidental & kAlterationCode;
    static const char *const kAlterations[] = {"natural", "sharp", nullptr, "flat", "double-sharp", "flat-flat"};
    if (note.pitch >= 0 && code < 6 && kAlterations[code] && !(note.accidental & kAlterationCachee))
        fprintf(w->file, "<accidental>%s</accidental>", kAlterations[code]);
    fprintf(w->file, "</note>\n");
}

// The written value of a plain or dotted duration (breve to 128th); null for any other.
const char *Type(SInt32 duration, Boolean *dotted) {
    static const char *const kTypes[] = {"breve", "whole", "half", "quarter", "eighth", "16th", "32nd", "64th", "128th"};
    for (SInt32 k = 0, base = 2 * kTempsRonde; k < 9; k++, base /= 2) {
        if (duration == base) return kTypes[k];
        if (duration == base * 3 / 2) {
            *dotted = kTrue;
            return kTypes[k];
        }
    }
    return nullptr;
}

}  // namespace

// Documents, scores and staves: creation, names, types and disposal.
#include "score/score_model.h"

#include <cstring>

#include "platform/core/engine_utilities.h"
#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/note_params.h"
#include "score/part_groups.h"
#include "score/preferences.h"
#include "score/score_hooks.h"
#include "score/staff_types.h"

ScoreHandle partitionEnCours;

namespace {

const SInt16 kTempoDefaut = 120;
const SInt16 kResolutionDefaut = 72;
const SInt16 kTaillePorteeNormale = 72;
const SInt16 kHauteurPorteeDefaut = 120;
const float kInterligneDefaut = 6.0f;
const SInt16 kVolumeDefaut = 127;
const SInt16 kPanDefaut = 64;
const UInt32 kNomPorteeMax = 1023;  // bytes of a staff name, terminator not counted

OSErr AjouteHandleListe(Handle *list, SInt16 *count, Handle item);
void RetireHandleListe(Handle list, SInt16 *count, SInt16 index);
void DisposePartition(ScoreHandle score);
void DisposePortee(StaffHandle staff);
void RetirePortee(ScoreHandle score, SInt16 index);
OSErr FixeNom(StaffHandle staff, Handle StaffRecord::*field, const char *utf8);
Boolean IsHandleDeTaille(Handle h, UInt32 size);
void AppliqueGeometrieType(StaffHandle staff);

}  // namespace

ScoreHandle CreePartitionVide(DocumentRecord *document) {
    if (!document || document->scoreCount >= kMaxPartitionsDocument) return nullptr;
    ScoreHandle score = reinterpret_cast<ScoreHandle>(NewHandleClear(sizeof(ScoreRecord)));
    if (!score) return nullptr;
    ScoreRecord *s = *score;
    s->document = document;
    s->tempo = kTempoDefaut;
    s->resolution = kResolutionDefaut;
    s->outputDpi = kResolutionDefaut;
    s->pixelsDpi = kResolutionDefaut;
    s->zoom = 1.0f;
    s->nextStaffId = 1;
    s->graphicMode = pref.graphicMode;
    std::memcpy(s->semitoneDegrees, DemiTon2NoteStd, sizeof s->semitoneDegrees);
    TimeSignature signature;
    std::memset(&signature, 0, sizeof signature);
    signature.numerator = signature.denominator = signature.shownNumerator = 4;
    signature.shownDenominator = 4;
    GetDefautMasqueAccroche(4, signature.beamMask);
    if (InsereMesureChangeEchelleMesure(score, 0, 1, 0, &signature, 1) != noErr ||
        AjouteHandleListe(&document->scores, &document->scoreCount, reinterpret_cast<Handle>(score)) != noErr) {
        DisposePartition(score);
        return nullptr;
    }
    document->score = score;
    return score;
}

void SupprimePartition(DocumentRecord *document, ScoreHandle score) {
    if (!document || !score || !document->scores) return;
    ScoreHandle *list = reinterpret_cast<ScoreHandle *>(*document->scores);
    for (SInt16 i = 0; i < document->scoreCount; i++) {
        if (list[i] != score) continue;
        RetireHandleListe(document->scores, &document->scoreCount, i);
        if (document->score == score)
            document->score =
                document->scoreCount > 0 ? reinterpret_cast<ScoreHandle *>(*document->scores)[0] : nullptr;
        if (partitionEnCours == score) partitionEnCours = nullptr;
        DisposePartition(score);
        return;
    }
}

void VideDocument(DocumentRecord *document) {
    if (!document) return;
    while (document->scoreCount > 0)
        SupprimePartition(document, reinterpret_cast<ScoreHandle *>(*document->scores)[document->scoreCount - 1]);
    LibereHandle(&document->scores);
    LibereHandle(&document->comment);
    LibereHandle(&document->views);
    LibereHandle(&document->pages);
    std::memset(document, 0, sizeof *document);
}

ScoreHandle GetPartitionDocument(DocumentRecord *document, SInt16 index) {
    if (!document || !document->scores || index < 0 || index >= document->scoreCount) return nullptr;
    return reinterpret_cast<ScoreHandle *>(*document->scores)[index];
}

Boolean IsPartitionValide(ScoreHandle score) {
    return IsHandleDeTaille(reinterpret_cast<Handle>(score), sizeof(ScoreRecord));
}

StaffHandle CreePorteeVide(ScoreHandle score, UInt32 type, SInt16 initialise, SInt16) {
    if (!IsPartitionValide(score) || (*score)->staffCount >= kMaxPortees) return nullptr;
    StaffHandle staff = reinterpret_cast<StaffHandle>(NewHandleClear(sizeof(StaffRecord)));
    if (!staff) return nullptr;
    StaffRecord *p = *staff;
    p->score = score;
    p->uniqueId = (*score)->nextStaffId;
    p->type = type;
    p->instrument = -1;
    p->nextNoteId = 1;
    p->printable = 1;
    p->visible = 1;
    p->volume = kVolumeDefaut;
    p->pan = kPanDefaut;
    p->heard[0] = p->heard[1] = 1;  // a new staff is heard until the mixer mutes it
    InitPortee(staff);
    KeySignature key;
    ClefRecord clef;
    CvtTonaliteStdEnTonalite(0, kModeMajeur, &key);
    if (initialise) CvtMesureEnTonalite(score, 0, &key);
    CvtTypeClefEnClefStandard(kCleSol, &clef);
    (*staff)->index = (*score)->staffCount;
    if (InitChangementsPortee(staff, &key, &clef) != noErr ||
        AjouteHandleListe(&(*score)->staves, &(*score)->staffCount, reinterpret_cast<Handle>(staff)) != noErr) {
        DisposePortee(staff);
        return nullptr;
    }
    (*score)->nextStaffId = UInt16((*score)->nextStaffId == 0xFFFF ? 1 : (*score)->nextStaffId + 1);
    return staff;
}

void DisposeToutesPortees(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    while ((*score)->staffCount > 0) RetirePortee(score, SInt16((*score)->staffCount - 1));
    SupprimeTousPartGroups(score);
}

void SupprimePorteesVides(ScoreHandle score, Boolean keepOne) {
    if (!IsPartitionValide(score)) return;
    for (SInt16 i = SInt16((*score)->staffCount - 1); i >= 0; i--) {
        StaffHandle staff = GetPortee(score, i);
        if ((*staff)->noteCount > 0) continue;
        if (keepOne && (*score)->staffCount == 1) break;
        RetirePortee(score, i);
        RetireIndicePortee(score, i);
    }
}

StaffHandle GetPortee(ScoreHandle score, SInt16 index) {
    if (!score || !*score || !(*score)->staves || index < 0 || index >= (*score)->staffCount) return nullptr;
    return reinterpret_cast<StaffHandle *>(*(*score)->staves)[index];
}

void InitPortee(StaffHandle staff) {
    if (!staff || !*staff) return;
    StaffRecord *p = *staff;
    p->ops = GetTypePortee(p->type);
    p->size = kTaillePorteeNormale;
    p->height = kHauteurPorteeDefaut;
    p->lineSpacing = kInterligneDefaut;
    AppliqueGeometrieType(staff);
}

OSErr FixeTypePortee(StaffHandle staff, UInt32 type) {
    if (!IsPorteeValide(staff)) return paramErr;
    (*staff)->type = type;
    (*staff)->ops = GetTypePortee(type);
    AppliqueGeometrieType(staff);
    return noErr;
}

void InitPortees(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    for (SInt16 i = 0; i < (*score)->staffCount; i++) {
        StaffHandle staff = GetPortee(score, i);
        (*staff)->index = i;
        (*staff)->score = score;
        (*staff)->ops = GetTypePortee((*staff)->type);
    }
}

OSErr SetNomPortee(StaffHandle staff, const char *utf8) { return FixeNom(staff, &StaffRecord::longName, utf8); }

OSErr SetNomAbregePortee(StaffHandle staff, const char *utf8) { return FixeNom(staff, &StaffRecord::shortName, utf8); }

Boolean IsPorteeValide(StaffHandle staff) {
    return IsHandleDeTaille(reinterpret_cast<Handle>(staff), sizeof(StaffRecord)) && (*staff)->score;
}

Boolean IsPorteeDeNotes(StaffHandle staff) {
    if (!staff || !*staff) return kFalse;
    UInt32 type = (*staff)->type;
    return type != kPorteeParoles && type != kPorteeTempo && type != kPorteeAudio && type != kPorteeMetronome;
}

namespace {

// Appends item to a handle of handles, creating it; paramErr past 32767 entries.
OSErr AjouteHandleListe(Handle *list, SInt16 *count, Handle item) {
    if (*count >= 32767) return paramErr;
    UInt32 size = UInt32(*count + 1) * sizeof(Handle);
    if (!*list) {
        *list = NewHandle(size);
        if (!*list) return memFullErr;
    } else {
        SetHandleSize(*list, size);
        if (MemError() != noErr) return memFullErr;
    }
    reinterpret_cast<Handle *>(**list)[*count] = item;
    (*count)++;
    return noErr;
}

void RetireHandleListe(Handle list, SInt16 *count, SInt16 index) {
    Handle *items = reinterpret_cast<Handle *>(*list);
    std::memmove(items + index, items + index + 1, size_t(*count - index - 1) * sizeof(Handle));
    (*count)--;
    SetHandleSize(list, UInt32(*count) * sizeof(Handle));
}

void DisposePartition(ScoreHandle score) {
    DisposeToutesPortees(score);
    HookDisposeScore(score);
    HookLibereMiseEnPageScore(score);
    ScoreRecord *s = *score;
    if (s->collection) DisposeCollection(s->collection);
    s->collection = nullptr;
    Handle *owned[] = {&s->staves, &s->instruments, &s->partGroups, &s->measures,
                       &s->ruptures, &s->playedMeasures, &s->tempoMapPlayed, &s->tempoMapWritten,
                       &s->freeObjects};
    for (Handle *h : owned) LibereHandle(h);
    DisposHandle(reinterpret_cast<Handle>(score));
}

void DisposePortee(StaffHandle staff) {
    HookDisposeStaff(staff);
    HookLibereMiseEnPagePortee(staff);
    HookLibereParamVoix((*staff)->voiceParams);
    LibereParamsNotes(staff);
    StaffRecord *p = *staff;
    p->voiceParams = nullptr;
    if (p->collection) DisposeCollection(p->collection);
    p->collection = nullptr;
    Handle *owned[] = {&p->longName, &p->shortName, &p->notes, &p->changes, &p->noteParams, &p->dynamics,
                       &p->texts, &p->diagrams, &p->curves, &p->tablature, &p->links, &p->graphics,
                       &p->textLines[0], &p->textLines[1], &p->lyricNotes, &p->expression,
                       &p->velocityCurve};
    for (Handle *h : owned) LibereHandle(h);
    DisposHandle(reinterpret_cast<Handle>(staff));
}

// Removes the staff at index from the array and frees it; later staves move down one place.
void RetirePortee(ScoreHandle score, SInt16 index) {
    StaffHandle staff = GetPortee(score, index);
    RetireHandleListe((*score)->staves, &(*score)->staffCount, index);
    DisposePortee(staff);
    for (SInt16 i = index; i < (*score)->staffCount; i++) (*GetPortee(score, i))->index = i;
}

// The name takes a copy of utf8 cut at kNomPorteeMax bytes on a character boundary; null or ""
// frees it.
OSErr FixeNom(StaffHandle staff, Handle StaffRecord::*field, const char *utf8) {
    if (!IsPorteeValide(staff)) return paramErr;
    LibereHandle(&((*staff)->*field));
    if (!utf8 || !utf8[0]) return noErr;
    UInt32 length = UInt32(strnlen(utf8, kNomPorteeMax + 1));
    if (length > kNomPorteeMax) {
        length = kNomPorteeMax;
        while (length > 0 && (UInt8(utf8[length]) & 0xC0) == 0x80) length--;
    }
    Handle name = NewHandle(length + 1);
    if (!name) return memFullErr;
    std::memcpy(*name, utf8, length);
    (*name)[length] = 0;
    (*staff)->*field = name;
    return noErr;
}

// A live handle of that size. Read from its master record: the searches call this every time,
// and GetHandleSize would walk the master blocks a second time.
Boolean IsHandleDeTaille(Handle h, UInt32 size) {
    return OrvaIsValidHandle(h) && reinterpret_cast<const MasterRecord *>(h)->size == size;
}

// Lines drawn by the type's row: all of them, from the bottom.
void AppliqueGeometrieType(StaffHandle staff) {
    StaffRecord *p = *staff;
    SInt16 lines = p->ops ? p->ops->lineCount : 5;
    p->lineCount = lines;
    p->shownLines = lines > 0 ? UInt16((1u << (lines > 16 ? 16 : lines)) - 1) : 0;
    p->firstLine = 0;
    p->lastLine = SInt16(lines > 0 ? lines - 1 : 0);
}

}  // namespace

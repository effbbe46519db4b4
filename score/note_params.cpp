// The note-parameter records of a staff and the marks they hold.
#include "score/note_params.h"

#include <cstring>

#include "platform/core/engine_utilities.h"
#include "platform/core/memory.h"
#include "score/notes.h"

namespace {

SInt32 NbParams(StaffHandle staff);

}  // namespace

NoteEffectRecord *GetParamEffetIndexNote(StaffHandle staff, SInt32 index) {
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note || note->noteParam == kAucunParametreNote || note->noteParam >= NbParams(staff)) return nullptr;
    return reinterpret_cast<NoteEffectRecord *>(*(*staff)->noteParams) + note->noteParam;
}

NoteEffectRecord *CreeParamEffetIndexNote(StaffHandle staff, SInt32 index) {
    if (NoteEffectRecord *existing = GetParamEffetIndexNote(staff, index)) return existing;
    if (!GetNotePtr(staff, index)) return nullptr;
    SInt32 count = NbParams(staff);
    if (count >= kMaxParamsNotes) return nullptr;
    UInt32 size = UInt32(count + 1) * sizeof(NoteEffectRecord);
    Handle params = (*staff)->noteParams;
    if (!params) {
        params = NewHandle(size);
        if (!params) return nullptr;
        (*staff)->noteParams = params;
    } else {
        SetHandleSize(params, size);
        if (MemError() != noErr) return nullptr;
    }
    NoteEffectRecord *record = reinterpret_cast<NoteEffectRecord *>(*params) + count;
    std::memset(record, 0, sizeof *record);
    record->beam.startHeight = kAccrocheAutomatique;
    record->beam.endHeight = kAccrocheAutomatique;
    GetNotePtr(staff, index)->noteParam = UInt16(count);
    return record;
}

SInt32 AjouteMarqueNote(StaffHandle staff, SInt32 index, const MarkRecord *mark) {
    if (!mark || !CreeParamEffetIndexNote(staff, index)) return -1;
    SInt32 count = GetNbMarquesNote(staff, index);
    if (count >= kMaxMarquesNote) return -1;
    Handle marks = GetParamEffetIndexNote(staff, index)->marks;
    UInt32 size = UInt32(count + 1) * sizeof(MarkRecord);
    if (!marks) {
        marks = NewHandle(size);
        if (!marks) return -1;
        GetParamEffetIndexNote(staff, index)->marks = marks;
    } else {
        SetHandleSize(marks, size);
        if (MemError() != noErr) return -1;
    }
    std::memcpy(reinterpret_cast<MarkRecord *>(*marks) + count, mark, sizeof *mark);
    return count;
}

SInt32 GetNbMarquesNote(StaffHandle staff, SInt32 index) {
    const NoteEffectRecord *record = GetParamEffetIndexNote(staff, index);
    if (!record || !record->marks) return 0;
    return SInt32(GetHandleSize(record->marks) / sizeof(MarkRecord));
}

Boolean GetMarqueNote(StaffHandle staff, SInt32 index, SInt32 mark, MarkRecord *out) {
    if (!out) return kFalse;
    std::memset(out, 0, sizeof *out);
    if (mark < 0 || mark >= GetNbMarquesNote(staff, index)) return kFalse;
    std::memcpy(out, reinterpret_cast<const MarkRecord *>(*GetParamEffetIndexNote(staff, index)->marks) + mark,
                sizeof *out);
    return kTrue;
}

void LibereParamsNotes(StaffHandle staff) {
    if (!staff || !*staff || !(*staff)->noteParams) return;
    SInt32 count = NbParams(staff);
    for (SInt32 i = 0; i < count; i++) {
        NoteEffectRecord *record = reinterpret_cast<NoteEffectRecord *>(*(*staff)->noteParams) + i;
        LibereHandle(&record->marks);
    }
    LibereHandle(&(*staff)->noteParams);
}

namespace {

SInt32 NbParams(StaffHandle staff) {
    Handle params = (*staff)->noteParams;
    return params ? SInt32(GetHandleSize(params) / sizeof(NoteEffectRecord)) : 0;
}

}  // namespace

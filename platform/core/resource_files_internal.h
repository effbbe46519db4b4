// What the resource_*.cpp files share between themselves: the manager's state record and the
// helpers that walk control blocks and entries. Not for use outside the Resource Manager.
#pragma once

#include "platform/core/resource_files.h"

// The Resource Manager's process-wide state (besides the exported list head and counters).
// Used from one thread at a time; no lock.
struct ResManagerState {
    SInt16 currentFile;      // CurResFile, -1 before the first open
    OSErr lastError;         // ResError
    Boolean load;            // SetResLoad, 1 at start
};
extern ResManagerState gRes;

inline ResEntryRecord *EntryOf(Handle entry) { return reinterpret_cast<ResEntryRecord *>(*entry); }
inline ResTypeRecord *TypesOf(ResFileRecord *file) {
    return file->typeTable ? reinterpret_cast<ResTypeRecord *>(*file->typeTable) : nullptr;
}

ResFileRecord *OrvaFindResFile(SInt16 refNum);  // null when not open
// The entry whose data is h, and its file; null when h is no resource's data.
Handle OrvaFindResEntry(Handle h, ResFileRecord **file);
ResTypeRecord *OrvaFindResType(ResFileRecord *file, ResType type);  // null when absent
// Loads (or answers) an entry's data as the get calls do.
Handle OrvaLoadResEntry(ResFileRecord *file, Handle entry);
// Opens the file's stream when it is closed: 0 or ioErr.
OSErr OrvaOpenResStream(ResFileRecord *file);
void OrvaCloseResStream(ResFileRecord *file);
void OrvaCloseResStreamIfVolatile(ResFileRecord *file);
SInt64 OrvaResFileSize(FILE *stream);  // -1 when unknown
// The 4-byte length that opens an entry's data at position; false when it cannot be read.
Boolean OrvaReadResLength(FILE *stream, SInt64 position, UInt32 *length);
void OrvaDropResIndex(ResFileRecord *file);  // after any change of the file's entries
Ptr OrvaCopyResName(const char *name);       // null for null or "", else at most 255 characters
void OrvaResCollectError(const char *message);     // through the hook, else the error sink
void OrvaResInvalidateCachedFont();                // through the hook

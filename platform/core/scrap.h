// The Scrap Manager: one process-wide store of typed entries (the emulated clipboard), kept
// in memory and written to or read from the scrap file "ClpBoard.srp" on request.
// Main thread only; no lock.
#pragma once

#include "platform/core/mac_types.h"

// What InfoScrap answers. The entry data holds, one after another and in host byte order:
// type (4), length + 4 (u32), length (u32), then length bytes.
struct ScrapStuff {
    SInt32 scrapSize;       // bytes of entry data
    Handle scrapHandle;     // the entry data; null while the scrap is on disk
    SInt16 scrapCount;      // incremented by every ZeroScrap
    SInt16 scrapState;      // kScrapNever, kScrapOnDisk or kScrapInMemory
    const char *scrapName;  // "ClpBoard.srp"
};
typedef ScrapStuff *PScrapStuff;

enum : SInt16 { kScrapNever = -1, kScrapOnDisk = 0, kScrapInMemory = 1 };
enum : UInt32 { kScrapEntryHead = 12 };  // type, length + 4, length

PScrapStuff InfoScrap();
SInt32 ZeroScrap();  // empties the scrap (in memory, or the file when on disk): 0
SInt32 PutScrap(SInt32 length, ResType theType, const void *source);  // 0 or -1
// The first entry of the type: its length, its data's offset through offset (-1 when none) and
// its data in destination when given; noTypeErr when absent, -1 when the file cannot be read.
SInt32 GetScrap(Handle destination, ResType theType, SInt32 *offset);
SInt32 LoadScrap();    // reads the scrap file into memory: 0 or -1
SInt32 UnloadScrap();  // writes the scrap file and frees the memory: 0, -1, or dskFulErr
void OrvaPurgeScrap(ResType theType);  // removes every entry of the type
Handle PreserveScrap();                // a copy of the entry data (caller disposes); null if empty
void RestoreScrap(Handle h);           // the scrap becomes a copy of h
void OrvaGetScrapPath(char *path);     // the scrap file's path (kScrapPathMax bytes)

enum : UInt32 { kScrapPathMax = 1024 };

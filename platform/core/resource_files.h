// The Resource Manager: resource files (the data fork of a classic resource file, big-endian,
// magic "Orva"), their open-file control blocks, the newest-first search over open files and
// three search folders, lazy loading, and adding, removing and rewriting resources.
// Code: resource_files.cpp (opening, creating, closing, writing and rewriting files),
// resource_manager.cpp (lookups, counts, resource information, add and remove),
// resource_search.cpp (search folders and finding a file), resource_menus.cpp (menus, fonts).
// Everything runs on one thread at a time (the main thread); there is no lock of its own.
#pragma once

#include <cstdio>

#include "platform/core/mac_types.h"

// Layout of a resource file.
enum : UInt32 {
    kResHeaderSize = 256,          // header block; the data area starts here in files written here
    kResHeaderFields = 16,         // data offset, map offset, data length, map length
    kResMapPrefixSize = 30,        // banner (24), type-list offset, name-list offset, types - 1
    kResTypeListOffset = 28,       // the type-list offset files written here give
    kResTypeRecordSize = 8,        // type, count - 1, first reference offset
    kResReferenceSize = 12,        // id, name offset, attributes, 3-byte data offset, 4 reserved
    kResMaxDataOffset = 0xFFFFFF,  // data offsets are 3 bytes
    kResNoName = 0xFFFF,           // name offset of a resource without a name
    kResNameMax = 255,             // names are a length byte and their characters
    kResPathMax = 1024,            // folder and file name fields of a control block
};
enum : UInt8 { kResChanged = 0x02 };  // attribute bit set by ChangedResource and AddResource

// The magic of files written here, at offset 16.
constexpr char kResMagic[4] = {'O', 'r', 'v', 'a'};
// The text written into the map's reserved first 24 bytes; readers ignore it.
constexpr char kResMapBanner[24] = {'O', 'r', 'v', 'a', ' ', 'r', 'e', 's', 'o', 'u', 'r', 'c',
                                    'e', ' ', 'm', 'a', 'p', ',', ' ', 'v', '1', '.', '0', '.'};
// Seed of the key stream of scrambled maps (state bytes a, b, c), the same for every file.
constexpr UInt8 kResKeySeed[3] = {0x5A, 0x3C, 0xA7};

// One resource of an open file (a Handle of this record). Entries of a file form one list.
struct ResEntryRecord {
    ResType type;
    SInt16 id;
    UInt8 attributes;        // kResChanged only; the others are neither used nor kept
    Ptr name;                // NUL-terminated, at most 255 characters; null: no name
    SInt32 dataPosition;     // file offset of the resource's 4-byte length; -1 never written
    SInt32 newDataPosition;  // used while UpdateResFile rewrites the file
    Handle data;             // null until loaded; the handle callers receive
    UInt16 fileNumber;
    Handle next;             // next ResEntryRecord handle of the file, null at the end
};
typedef ResEntryRecord **ResEntryHandle;

// One type of an open file; its count entries follow one another in the file's list.
struct ResTypeRecord {
    ResType type;
    UInt16 count;
    Handle firstEntry;       // ResEntryHandle
};

// Open-file control block, a zeroed Ptr; the list runs from the newest open file.
struct ResFileRecord {
    UInt16 fileNumber;
    char folderPath[kResPathMax];     // the folder the file was found in, ending with '/'
    char openedName[kResPathMax];     // the name after extension trimming
    char requestedName[kResPathMax];  // compared by later opens, ignoring case
    UInt8 mapChanged;                 // set by ChangedResource, AddResource, RemoveResource
    UInt32 dataOffset;                // header, host order
    UInt32 mapOffset;
    UInt32 dataLength;
    UInt32 mapLength;
    UInt16 typeListOffset;            // of the map as read
    UInt16 nameListOffset;
    Handle firstEntry;                // ResEntryHandle, null when the file has no resources
    UInt8 isVolatile;                 // closed after every access, reopened on demand
    FILE *stream;                     // null while closed
    SInt16 typeCount;
    Handle typeTable;                 // typeCount ResTypeRecord
    ResFileRecord *next;              // the next older open file
    Ptr index;                        // (type, id) -> first entry in chain order; null: rebuild
    UInt32 indexCapacity;             // slots of index, a power of two
};

extern ResFileRecord *OrvaPremierFichierRessource;  // newest open file
extern SInt16 nbResFileOpen;                        // streams open right now
extern SInt16 OrvaPathRessource[3];                 // the search folders' ids, -1 before set-up

// --- resource_files.cpp: files
// Opens a resource file found by the search (current folder, then search folders 1 and 2):
// its number, the same number for a name already open (ignoring case), -1 (ResError
// resFNotFound when not found) or -4 for a damaged map. The opened file becomes current.
SInt16 OpenResFile(const char *name);
// Creates an empty resource file in the current folder; dupFNErr when one exists, ioErr.
void CreateResFile(const char *name);
void CloseResFile(SInt16 refNum);   // UpdateResFile, then releases every handle of the file
// Rewrites the file when its map changed, through a temporary file renamed over it; on any
// failure the old file is untouched, the map stays marked changed and ResError is resNotFound.
void UpdateResFile(SInt16 refNum);
// Writes one changed resource's data into its file (the map waits for UpdateResFile).
void WriteResource(Handle h);
void OrvaSetResFileVolatile(SInt16 refNum, Boolean on);  // on: the stream is closed at once
// Test seam: the given number of writes to a rewritten file succeed, the next one fails
// (-1: none fails).
void OrvaSetResWriteFault(SInt32 writesBeforeFailure);

// --- resource_manager.cpp: lookups and resource information
void UseResFile(SInt16 refNum);     // resFNotFound for a number that is not open
SInt16 CurResFile();
OSErr ResError();
void SetResLoad(Boolean load);
SInt16 HomeResFile(Handle h);       // -1 + resNotFound when h is no resource's data
// The get calls leave ResError as it was and answer null for a missing resource.
Handle GetResource(ResType type, SInt16 id);        // current file, then older files
Handle Get1Resource(ResType type, SInt16 id);       // current file only
Handle GetNamedResource(ResType type, const char *name);  // exact, case-sensitive name
Handle GetIndResource(ResType type, SInt16 index);  // 1-based over all files, newest first
Handle Get1IndResource(ResType type, SInt16 index);
SInt16 CountResources(ResType type);
SInt16 Count1Resources(ResType type);
SInt16 CountTypes();
SInt16 Count1Types();
void GetIndType(ResType *type, SInt16 index);       // 0 out of range
void Get1IndType(ResType *type, SInt16 index);
void DetachResource(Handle h);      // the entry forgets h; resNotFound when h is no resource
void ReleaseResource(Handle h);     // DetachResource, then DisposHandle
// Id, type and name (at most 255 characters and a NUL; empty when none) of a resource.
void GetResInfo(Handle h, SInt16 *id, ResType *type, char *name);
void SetResInfo(Handle h, SInt16 id, const char *name);  // null keeps the name, "" removes it
SInt32 SizeResource(Handle h);      // the length in the file; -1 + resNotFound
void ChangedResource(Handle h);     // marks the map and the entry changed
void AddResource(Handle h, ResType type, SInt16 id, const char *name);  // addResFailed
void RemoveResource(Handle h);      // the handle becomes the caller's; resNotFound
void orva_GetIndResInfo(ResType type, SInt16 index, SInt16 *id, char *name);  // without loading
void orva_purge_type(ResType type); // disposes the loaded data of every entry of the type
SInt16 orva_id_premier_fichier_ressource();
OSErr InitResources();
void RsrcZoneInit();
void HNoPurge(Handle h);
void HPurge(Handle h);
void HLockHi(Handle h);
void SetResAttrs(Handle h, SInt16 attrs);
SInt16 GetResAttrs(Handle h);

// --- resource_search.cpp: search folders
// Opens name in the search folders of level (-1: current folder, then folders 1 and 2; 0..2:
// that folder only), trimming an extension to three characters. Fills folder (the folder of
// the last try, with '/') and openedName when given (kResPathMax bytes each). Restores the
// current folder. Null when not found.
FILE *orva_ouvre_ressource(const char *name, const char *mode, SInt16 level, char *folder,
                           char *openedName);
void orva_init_path_ressource();                 // sets the three search folders up once
void orva_fixe_path_ressource(SInt16 level);     // makes search folder 0, 1 or 2 current
void GetPathStdOrva(char *path);                 // "/usr/share/<application name>"

// --- resource_menus.cpp: menus and fonts
struct MenuInfo;
typedef MenuInfo *MenuPtr;
typedef MenuPtr *MenuHandle;
Boolean RealFont(SInt16 fontNum, SInt16 size);
void InsertResMenu(MenuHandle menu, ResType type, SInt16 afterItem);
void GetFNum(const char *name, SInt16 *familyID);   // 0 when unknown
void GetFontName(SInt16 familyID, char *name);      // number 1 is taken as 3

// Services of the menus, the font table and the port layer that resource files reach through
// this record until those modules install theirs. A null slot answers "none".
struct ResourceServiceHooks {
    void (*insertMenuItem)(MenuHandle menu, const char *name, SInt16 afterItem);  // InsMenuItem
    SInt16 (*fontIDFromName)(const char *name);       // 0: unknown
    const char *(*fontNameFromID)(SInt16 familyID);   // null: unknown
    // The font branch of InsertResMenu: appends every font of the table to the menu, each
    // item with its cleaned name, its icon from the font's menu kind and its area recomputed.
    void (*appendFontItems)(MenuHandle menu);
    void (*invalidateCachedFont)();                   // forget the cached current font
    void (*collectError)(const char *message);        // collected messages shown at exit
};
void OrvaSetResourceServiceHooks(const ResourceServiceHooks *hooks);  // null: all "none"
void OrvaGetResourceServiceHooks(ResourceServiceHooks *hooks);        // the ones in force

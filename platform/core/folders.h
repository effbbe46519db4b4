// Folders the Toolbox way: every folder path met is interned in one process-wide table whose
// 1-based index serves as both volume reference and directory id; the current folder is the
// process's working directory. Also the path routines and the empty Windows drive model.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 {
    kOrvaPathMax = 780,         // characters of a path buffer, terminator not counted
    kOrvaFolderPathMax = 4095,  // longest folder the table interns (the system's own limit)
};

enum : SInt16 { kOrvaVolumeNumber = 1562 };  // the one volume number reported

// Parameter block of PBHGetVol and PBHSetVol.
struct HParamBlockRec {
    SInt32 ioWDDirID;  // directory id (a folder-table index), 0 for none
    SInt16 ioVRefNum;  // volume reference (the same index)
    char *ioNamePtr;   // NUL-terminated path or null; PBHGetVol writes up to kOrvaPathMax + 1 bytes
};
typedef HParamBlockRec *HParmBlkPtr;

// Folder table and current folder. The table is guarded by critical section 4; any thread may
// intern or read it. Changing the current folder is process-wide and unguarded.
OSErr PBHGetVol(HParmBlkPtr block);  // the current folder's id (interned); -120 if it cannot be read
OSErr PBHSetVol(HParmBlkPtr block);  // 0; -1 the folder cannot be entered; 1 path too long; -120 unknown id
OSErr GetVol(char *name, SInt16 *vRefNum);      // name: null or kOrvaPathMax + 1 bytes
OSErr SetVol(const char *name, SInt16 vRefNum);  // a non-empty name is a path, else vRefNum is an id
void OrvaGetVol(SInt16 *vRefNum, SInt32 *dirID);
Boolean OrvaGetNomChemin(SInt32 dirID, char *path);  // path: kOrvaPathMax + 1 bytes; false: empty path
SInt32 OrvaGetFolderId(const char *path);  // interns a folder path ('/' appended); 0 when refused
UInt32 OrvaGetFolderCount();
OSErr DirCreate(SInt16 vRefNum, SInt32 parentDirID, const char *name);  // 0 or -120
SInt16 OrvaSetCurrentDir(const char *path);                  // 0 or -1
char *OrvaGetCurrentDir(char *buffer, SInt32 size);           // null on failure
void OrvaGetDir(char *path);  // kOrvaPathMax + 1 bytes; the last folder known when unreadable
SInt16 OrvaSetDir(const char *path);  // 0 or -1
OSErr DIBadMount(Point where, UInt32 message);  // 0

// The current folder kept by path, for code that must leave it as it found it.
struct SavedCurrentFolderRecord {
    char path[kOrvaFolderPathMax + 1];  // empty when the current folder could not be read
};
void OrvaSaveCurrentFolder(SavedCurrentFolderRecord *saved);
void OrvaRestoreCurrentFolder(const SavedCurrentFolderRecord *saved);  // nothing when it was unreadable

// Drives: a Windows model that has no drives on this platform.
SInt16 OrvaWindowsNbDisk();
SInt16 OrvaNbDisk();
SInt16 OrvaGetDisk();             // -1: no drive letter is current
SInt16 OrvaSetDisk(SInt16 drive);  // drive + 1; nothing changes
UInt64 OrvaIsDriveValid(SInt16 drive);  // free space of the current folder's file system (KB)
UInt64 OrvaWindowsIsDriveValid(SInt16 drive);
SInt16 OrvaSelectNextDrive(SInt16 drive);

// Path routines. Outputs are kOrvaPathMax + 1 bytes unless said otherwise.
void SplitPath(const char *path, char *folder, char *name);  // either output may be null
void CarboniseSupprimeDeuxPointsNomPathSimple(char *text);   // removes every ':'
OSErr SetPath(const char *path, SInt32 dirID);
void SaisitVolume(SInt16 *vRefNum);  // always kOrvaVolumeNumber
Boolean SaisitChemin(SInt16 *vRefNum, char *name, SInt32 *dirID);  // outputs may be null
OSErr FixeVolume(SInt16 vRefNum);
void AjustePathXCode(char *path);
OSErr FixeVolPath(SInt16 vRefNum, SInt32 dirID);
void PreservePath();  // saves the current folder in the one slot (misuse reported, main thread)
void RestorePath();   // makes the saved folder current and empties the slot
OSErr FixeChemin(SInt32 dirID, const char *path);  // -108 for a path over 778 characters
OSErr FixeCheminRelatif(SInt16 vRefNum, SInt32 dirID, const char *relativePath);
Boolean FixeCheminSurDocument(SInt16 vRefNum, SInt32 dirID, const char *path);
void GetNomCheminCourant(char *buffer);
char *GetNomChemin(SInt16 vRefNum, SInt32 dirID, char *buffer);  // empty when the id cannot be entered
Boolean GetCurVolName(char *buffer);

// Default folders of the file dialogs (directory ids).
void OrvaSetDefaultPathGet(SInt16 dirID);
SInt16 OrvaGetDefaultPathGet();
void OrvaSetDefaultPathPut(SInt16 dirID);
SInt16 OrvaGetDefaultPathPut();

// The path separator.
void InitSeparateurChemin();
char SeparateurChemin();
const char *StrSeparateurChemin();

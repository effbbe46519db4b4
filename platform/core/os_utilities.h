// Operating-system services the Toolbox offers: the standard folders, Gestalt, the system
// language, folder trees, portable installations, opening documents, renaming, the anti-aliased
// text setting, the cached interface metrics and the main window's remembered place.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 { kOrvaApplicationNameSize = 781 };  // bytes of the application name buffer

// Folders. The current folder is the same after these calls as before.
OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16 *foundVRefNum,
                 SInt32 *foundDirID);  // 'pref', 'temp', 'docs'; foundDirID: the folder's id
Boolean OrvaRecursiveMkDir(const char *path);  // creates every missing folder (path up to 780 bytes)
void OrvaAddPath(char *path, const char *name);  // path + "/" + name + "/", no slash doubled
void OrvaPathApplication(char *path);  // the executable's folder with its '/', empty when unknown

// Gestalt: the library's fixed answers, then the installed handler, else -5551.
OSErr Gestalt(OSType selector, SInt32 *response);
extern OSErr (*OrvaTraiteGestalt)(OSType selector, SInt32 *response);

// Language and portability.
const char *OrvaGetSystemLanguageCode(char *code);     // writes "en"; answers $LANG or null
const char *SystemDependantGetOSLanguage(char *code);
UInt8 DetectPortableStatus();  // "nomad.txt" in the application folder, else the platform's answer
UInt8 SetPortableStatus(UInt8 status);  // answers the previous status
UInt8 GetPortableStatus();
UInt8 OrvaIsOnUSBKey();

// Documents and files.
SInt16 OpenDocument(const char *path);  // with the desktop's application for its extension
SInt16 OrvaOpenDocumentFromExtension(const char *path, const char *extension);
SInt16 OrvaOpenDocumentWithApplication(const char *path, const char *application);  // -1: not here
SInt16 OrvaPrintDocumentFromExtension(const char *path, const char *extension);
OSErr Rename(const char *oldPath, SInt16 vRefNum, const char *newPath);  // 0 or -43

// Text and interface metrics (main thread).
Boolean IsAntiAliasedTextEnabled(SInt16 *minSize);  // minSize may be null
OSErr SetAntiAliasedTextEnabled(Boolean enable, SInt16 minSize);
void OrvaResetWindowsSystemSettings();  // forgets the cached metrics
SInt16 OrvaWindowsGetBorderWidth();     // pixels
SInt16 OrvaWindowsGetDblTime();         // ticks
SInt32 OrvaWindowsGetCaretTime();       // ticks
SInt16 GetDblTime();                    // OrvaWindowsGetDblTime
SInt16 GetCaretTime();                  // OrvaWindowsGetCaretTime, in 16 bits
void SystemDependantGetDefaultTheme(char *name);
char *LMGetCurApName();  // the executable's file name, in a process-wide buffer

// The main window's remembered place, through the preference store.
Boolean OrvaWindowsGetPathOrva(char *path);
SInt16 OrvaWindowsGetRectMainWindow(Rect *rect, SInt16 *maximised);  // 1 found, 0 none
SInt16 OrvaWindowsSetRectMainWindow(const Rect *rect, SInt16 maximised);  // 0

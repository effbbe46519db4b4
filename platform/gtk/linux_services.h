// Services the engine asks of the desktop: a description of the system for reports, opening a
// folder or a web page, the exchange of text between the scrap and the GTK clipboard, and
// offscreen ports to and from image files, with the fixed answers of other platforms' calls.
// linux_services.cpp: system, desktop and stubs. clipboard.cpp: the clipboard.
// image_files.cpp: images. Main thread only.
#pragma once

#include <cstdio>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/ports.h"

enum : SInt32 {
    kVersionNameSize = 512,  // bytes GetWindowsVersionName writes at most, NUL included
    kVersionWindows = 0x0700,
};

// "<distribution two words>/GTK vA.B.C/ALSA x.y.z/<system> <release> <version> <machine>"; the
// first two words are "(Linux) ???" when lsb_release cannot be run. out: kVersionNameSize bytes.
void GetWindowsVersionName(char *out);
SInt16 GetVersionWindows();  // kVersionWindows
// Open a folder window, a file's folder or a web page with "xdg-open" found on PATH, the path
// given as one argument (never through a shell). True when the opener was started.
Boolean OuvreFenetreFolder(const char *path);
Boolean SelectionneFichierBureau(const char *path);
Boolean OpenWebPage(const char *url);
// Opens a document with the desktop's application for it: 1 when that failed, else 0.
SInt16 GTKOpenDocument(const char *path);

// Entry points of other platforms, with fixed answers here.
SInt16 LanceApplication(const char *path);                            // 0
SInt16 GetEmailAdress(char *address);                                  // 0
SInt16 LaunchPCApplication(const char *path, const char *arguments);  // -1
SInt16 SetHookAbort(void *hook);                                       // 1
void GetESBX();
void SystemDependantForceFPUMask();
void SystemDependantInitMemory();
SInt32 BitBlt(void *destination, SInt32 x, SInt32 y, SInt32 width, SInt32 height, void *source, SInt32 sourceX,
              SInt32 sourceY, UInt32 operation);  // 0
Boolean OrvaIsWine();                                                  // 0
void OrvaWindowsInsertFontesResMenu();
// a x b / c truncated toward zero, held to the 32-bit range; c = 0: 0x7FFFFFFF when a and b
// are both non-zero, else 0.
SInt32 MulDiv(SInt32 a, SInt32 b, SInt32 c);

// Clipboard. To: 'TEXT' and 'utxt' of the scrap are replaced by the clipboard's text (CR line
// ends). From: the scrap's 'utxt', else its 'TEXT', becomes the clipboard's text (CR LF).
void SystemDependantCvtScrapToOrva();
void SystemDependantCvtScrapFromOrva();
void SystemDependantEmptySystemScrap();

// Images. Writes a 24-bit offscreen as a PNG ("png" in any case) to output: 1, or 0 for any
// other format, no offscreen or a failed write.
SInt16 SystemDependantCvtOffscreenToImage(const char *format, GrafPtr offscreen, FILE *output);
// Draws the picture at frame into a white offscreen of the bounds' size and writes it so.
SInt16 SystemDependantCvtPictToImage(const char *format, PicHandle picture, const Rect *frame, const Rect *bounds,
                                     FILE *output);
// A new image (an offscreen with an opacity plane, straight colours) from the bytes of any
// image format the desktop reads; null for unreadable data. Caller closes it.
GrafPtr SystemDependantConvertImageToOffscreen(Handle image);

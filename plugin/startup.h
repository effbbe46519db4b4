// The plug-in's start and end within a process: the resource file, fonts, preferences, chord
// library, singing data and sound bank, opened once by the first NP_Initialize and released by
// NP_Shutdown. Main thread, inside the plug-in critical section.
#pragma once

#include "platform/core/mac_types.h"
#include "plugin/npapi.h"

enum : SInt32 {
    kChordLibraryID = 128,          // 'Chor' 128 of the resource file: the chord library's bytes
    kSingingLinkLineMax = 1024,     // bytes of a line of "CadTonLink.cfg" read
};

extern SInt16 resFilePlugIn;  // the plug-in's resource file, -1 when not open

NPError NPP_Initialize();  // PlugInInit; 0
void NPP_Shutdown();       // PlugInDispose
// The process-wide start-up; 1. A missing resource file is reported through the error sink
// ("Impossible to find resource file in <folder>") and start-up goes on without it.
SInt16 PlugInInit();
// The chord library from 'Chor' 128 of the current resource file, through "Chords.dat" of the
// cache folder; nothing without the resource.
void PlugInInitDiagrammesAccords();
void PlugInDispose();
// The singing folders and volume that "CadTonLink.cfg" (the text of path) gives when the
// voice data is not found where it is looked for first: line 2 the volume, line 3 a folder;
// a file with missing or overlong lines changes nothing. True when the voice data opens then.
Boolean PlugInLitLienChant(const char *path);

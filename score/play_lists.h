// Play lists: the pieces of a jukebox list, an archive or a file of several tunes, with the
// row shown, the current piece and the random draws of the one-shot modes. In memory only.
// Main thread only.
#pragma once

#include "platform/core/folders.h"

enum : SInt32 {
    kJukeBoxCheminTaille = kOrvaPathMax + 1,  // bytes of an entry's path
    kJukeBoxTitreTaille = 256,
    kJukeBoxDetailTaille = 64,
    kJukeBoxDetails = 3,
    kJukeBoxEntreesMax = 32767,
};
enum : SInt16 { kJukeBoxModes = 6 };  // play modes 0..5

struct JukeBoxEntry {
    char path[kJukeBoxCheminTaille];   // UTF-8, zero-terminated
    UInt16 titleFlag;                  // 1: title is shown instead of the path
    char title[kJukeBoxTitreTaille];
    char details[kJukeBoxDetails][kJukeBoxDetailTaille];
    SInt32 duration;                   // seconds; 0 unknown, -1 unreadable
    UInt64 size;                       // bytes of the piece inside its container; 0 unknown
    UInt8 played;                      // drawn already in this round
    Handle mixer;                      // saved mixer settings or null; the list's once added
};

struct JukeBoxList {
    SInt16 count;
    Handle entries;        // JukeBoxEntry[count]
    SInt16 firstVisible;   // first row shown
    SInt16 current;        // the entry playing or chosen, 0..count - 1
    Rect rect;             // the panel as last drawn
    SInt16 playMode;       // 0..5
};

// Appends count entries (copies; the list takes their mixer handles). paramErr for a bad
// count or past kJukeBoxEntreesMax, memFullErr without memory; the list is then unchanged.
OSErr AjouteFichierJukeBox(SInt16 count, const JukeBoxEntry *entries, JukeBoxList *list);
void ClrPlayList(JukeBoxList *list);  // no entries (mixer settings freed); rows and current back to 0
// An entry drawn at random among those not played yet, marked played; when all were played the
// marks are cleared first and a new round starts. -1 for an empty list.
SInt16 CalculeNumFichierAleatoire(JukeBoxList *list);
void CleareListeOneShot(JukeBoxList *list);  // every entry not played yet
JukeBoxEntry *GetEntreeJukeBox(JukeBoxList *list, SInt16 index);  // in place; null outside

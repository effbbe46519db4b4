// The calls the score model makes upward, each through a hook record that the floor owning the
// answer installs at start-up: the singer, the importers, page layout and the owners of the
// records that staves and scores hold. Messages do not pass here: the model calls the runtime's
// message routines (platform/core/runtime.h) itself; nor does playback, which calls the model.
// A slot left null answers as said beside it; callers go through the wrappers below, which
// supply those defaults.
// Main thread only: the records are process-wide and unguarded.
#pragma once

#include "score/score_model.h"

// The singing synthesiser. Filled by the singer's start-up (singer/, which holds no code yet):
// until then no staff is sung.
struct ScoreSingerHooks {
    void (*porteeACalculer)(StaffHandle staff);      // the staff's song must be made again; default nothing
    Boolean (*isPorteeChantee)(StaffHandle staff);   // the staff can be sung; default false
    Handle (*nouveauParamVoix)();                    // a voice record with the defaults; default null
    Boolean (*chargeExpression)(Handle voice, const char *name);  // loads an expression file; default false
    void (*libereParamVoix)(Handle voice);           // frees a voice record; default DisposHandle
    // Reads the staff's singing block from the current file of the byte stream (a native score
    // of that version is being read); default nothing (the block is passed over).
    void (*readParams)(StaffHandle staff, UInt32 version);
    // Writes the staff's singing block to the byte stream's writer (a native score is being
    // written); it may be called twice, the first time only to count the bytes. Default: the
    // byte 2, which says the staff has no block.
    void (*writeParams)(StaffHandle staff);
};

// The importers. Filled by the MusicXML importer's start-up, XMLEnregistreFormats, which the
// plug-in's start-up runs.
struct ScoreImportHooks {
    // The measure number (from 1) of an imported bar number (from 1); default: the bar itself.
    SInt32 (*cvtBarEnMesure)(ScoreHandle score, SInt32 bar);
};

// Page layout: the spacing of measures (the three pixel fields of measures [first, first + count)
// at dpi; default: 10 pixels per 10080 units at 72 dpi times the width scale, fixed margins), and
// the release of what page layout keeps in scores and staves (free objects, staff graphics and
// their images) just before the model frees the records; default nothing.
struct ScoreLayoutHooks {
    void (*espaceMesures)(ScoreHandle score, SInt32 first, SInt32 count, SInt16 dpi);
    void (*libereScore)(ScoreHandle score);
    void (*liberePortee)(StaffHandle staff);
};

// The staff objects: the cells of a staff's text lines (1 lyrics, 2 chord symbols).
struct ScoreStaffObjectHooks {
    // The line's text as a new handle of NUL-terminated UTF-16 (caller disposes), null when the
    // line is off; default: an empty text for an enabled line.
    Handle (*ligneTexte)(StaffHandle staff, SInt16 line);
    SInt32 (*chordIndexAtTime)(StaffHandle staff, SInt32 time);  // 1 + chord slot index; default 0
};

// Owners of the records staves and scores hold: each frees the handles it owns and clears them;
// the model then frees what is left with DisposHandle. Filled by the start-up of the floors that
// own such records (staff objects and page layout, which hold no code yet).
struct ScoreDisposeHooks {
    void (*staff)(StaffHandle staff);
    void (*score)(ScoreHandle score);
};

// Installers: a null record restores every default. The record is copied.
void OrvaSetScoreSingerHooks(const ScoreSingerHooks *hooks);
void OrvaSetScoreImportHooks(const ScoreImportHooks *hooks);
void OrvaSetScoreLayoutHooks(const ScoreLayoutHooks *hooks);
void OrvaSetScoreDisposeHooks(const ScoreDisposeHooks *hooks);
void OrvaSetScoreStaffObjectHooks(const ScoreStaffObjectHooks *hooks);

// Wrappers, one per slot.
void HookPorteeACalculer(StaffHandle staff);
Boolean HookIsPorteeChantee(StaffHandle staff);
Handle HookNouveauParamVoix();
Boolean HookChargeExpression(Handle voice, const char *name);
void HookLibereParamVoix(Handle voice);
void HookReadParamsLyrovox(StaffHandle staff, UInt32 version);
Boolean HookWriteParamsLyrovox(StaffHandle staff);  // false: no hook (nothing written)
SInt32 HookCvtBarEnMesure(ScoreHandle score, SInt32 bar);
Boolean HookEspaceMesures(ScoreHandle score, SInt32 first, SInt32 count, SInt16 dpi);  // false: no hook
void HookLibereMiseEnPageScore(ScoreHandle score);
void HookLibereMiseEnPagePortee(StaffHandle staff);
Handle HookLigneTexte(StaffHandle staff, SInt16 line);  // false hook: null, the caller's default
SInt32 HookChordIndexAtTime(StaffHandle staff, SInt32 time);
void HookDisposeStaff(StaffHandle staff);
void HookDisposeScore(ScoreHandle score);

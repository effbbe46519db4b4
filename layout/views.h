// Saved views of a document (each a named set of staves), the current view, the ribbon-mode
// switches and the screen mode, and the notice page layout gives when the current view changes.
// Imported documents have no views: the whole score (-1) is shown. Main thread only: the hook
// record and the ribbon switch are process-wide (views.cpp).
#pragma once

#include "score/score_model.h"

enum : SInt32 {
    kNomVueTaille = 64,
    kMaxVuesDocument = 256,
};

// One saved view: the staves it shows, by unique id (StaffRecord::uniqueId).
struct ViewRecord {
    char name[kNomVueTaille];   // UTF-8, NUL-terminated
    SInt16 staffCount;          // 0..kMaxPortees
    UInt16 staves[kMaxPortees];
};

// The calls page layout makes upward: JeTePreviensVueChange, the plug-in's notice that the
// current view of a document changed (it resumes the music there); default nothing.
struct LayoutHooks {
    void (*vueChange)(ScoreHandle score);
};
void OrvaSetLayoutHooks(const LayoutHooks *hooks);  // null restores the default; copied
void JeTePreviensVueChange(ScoreHandle score);      // the wrapper

// Appends a view of the staves given by index (count of them) and answers its index; -1 past
// kMaxVuesDocument, for a bad staff index or without memory. Views are the document's handle.
SInt16 NouvelleVue(DocumentRecord *document, const char *name, const SInt16 *staves, SInt16 count);
Boolean GetVue(DocumentRecord *document, SInt16 view, ViewRecord *out);  // a copy; false outside
// Makes the document's current view -1 (the whole score) when it has no view or names none.
void InitVueCourante(DocumentRecord *document);
SInt16 GetNbVuesDocument(DocumentRecord *document);  // 0 for none or null
// Makes view (-1 the whole score; outside the views counts as -1) current. Only a change marks
// the page layout as not computed and calls JeTePreviensVueChange with the current score.
void FixeVue(DocumentRecord *document, SInt16 view);
SInt16 GetVueCourante(DocumentRecord *document);     // -1 for none or null
// Whether the staff belongs to the document's current view, or, with the whole score shown,
// whether it is visible.
Boolean IsPorteeDansVueCourante(DocumentRecord *document, StaffHandle staff);
// Ribbon-mode views: the switch is stored only (the player never draws the ribbon).
void EnableVuesEnModeRuban();
void DisableVuesEnModeRuban();
Boolean IsVuesEnModeRuban();
// The score's display mode (0 pages); stored only.
void SetModeEcran(ScoreHandle score, SInt16 mode);
// The staff of the document's current score with that unique id, or null.
StaffHandle RecherchePorteeParIdUnique(DocumentRecord *document, UInt16 uniqueId);

// The folder tree of the player: its own folder and the folders beside it, the preferences,
// temporary and home folders, each overridable by a "key=path" line of "chemins.cfg" in the
// preferences folder. Main thread only.
#pragma once

#include "platform/core/mac_types.h"

enum DossierKind : SInt16 {
    kDossierApplication,   // the player's own folder
    kDossierWorva,         // "Worva": the portability library's resource files
    kDossierFontes,        // "Fonts"
    kDossierBanqueSon,     // "SoundBank"
    kDossierThemes,        // "Themes"
    kDossierLyrovoxData,   // "Lyrovox/Data"
    kDossierLyrovoxLangues,  // "Lyrovox/Languages"
    kDossierLyrovoxVoix,   // "Lyrovox/Voices"
    kDossierPreferences,
    kDossierTemporaire,
    kDossierMaison,        // the user's home folder
    kNbDossiers,
};

enum : SInt32 { kCheminsCfgLigneMax = 1024 };  // longer lines of "chemins.cfg" are ignored

// Sets the folders up from base (null: the current folder), then reads "chemins.cfg". Paths end
// with '/'. fnfErr when base cannot be read.
OSErr InitChemins(const char *base);
// The folder's path (kOrvaPathMax + 1 bytes); false and "" before InitChemins.
Boolean GetCheminDossier(DossierKind kind, char *path);
OSErr FixeCheminDossier(DossierKind kind, const char *path);  // '/' added; paramErr when too long
const char *GetCleDossier(DossierKind kind);  // its key in "chemins.cfg" ("application", "fonts" ...)
OSErr SetPathApplication();        // makes the user's home folder current; -1 when it cannot
OSErr SetPathLyrovoxData();
OSErr SetPathLyrovoxLanguages();
OSErr SetPathLyrovoxVoices();

// Stand-ins for what the plug-in calls of the player's other parts and of the floors that hold
// no code for it yet. Each group names what replaces it; the records here are placeholders of
// the right size or shape for the instance record. Main thread.
#pragma once

#include <cstdio>

#include "plugin/npapi.h"
#include "score/score_model.h"
#include "toolbox/toolbox_services.h"

struct PlugInInstance;

// ---- Records of later parts of the player (replaced by their own headers) ---------------------

// The tutorial film's state inside every instance (the film file format replaces it).
struct FilmProject {
    UInt8 state[1108];
};

// ---- Singing (replaced by the singer): no singing -------------------------------------------------
Boolean LyrovoxOpenDataFile(const char *mode);  // false: no voice data
void LyrovoxFixeVolume(SInt16 volume);
void LyrovoxFixeDossiers(const char *languages, const char *data);
void InitLyrovox();
Boolean IsLyrovox();  // false
void LyrovoxAdapteDocument(DocumentRecord *document, SInt16 flag);
Boolean IdleLyrovox(UInt8 update);  // false: nothing left to render
void LibereLyrovox();

// ---- The ABC importer (replaced by import/abc/): its row in the format table, whose tunes
// answer "not loaded" ---------------------------------------------------------------------------------
void ABCEnregistreFormats();

// ---- Films (replaced by plugin/films/) ----------------------------------------------------------
Boolean PlugPekNewBlock(PlugInInstance *instance, const void *buffer, SInt32 length);  // true: taken
Boolean PlugPekChargeFichier(PlugInInstance *instance);  // false: no film
void PlugPekDisposeFichier(PlugInInstance *instance);
void PlugPekIdle(PlugInInstance *instance);
void PlugPekClick(PlugInInstance *instance, Point where);

// ---- The panels of the player interface (replaced by plugin/interface/) -------------------------
void PlugInDisposeTexteKaraoke(PlugInInstance *instance);
Boolean PlugInIskaraokePossible(PlugInInstance *instance);
SInt16 PlugInNbPorteesKaraoke(PlugInInstance *instance);
void PlugInInverseActiviteKaraoke(PlugInInstance *instance);
void PlugDisposeMixer(PlugInInstance *instance);
void PlugMixerGetValues(PlugInInstance *instance);
void PlugInOpenMixer(PlugInInstance *instance);
Boolean PlugClickMixer(PlugInInstance *instance, Point where);
void PlugIdleMixer(PlugInInstance *instance);
RgnHandle SetClipMixer(PlugInInstance *instance);  // the clip before; given back to RestoreClipMixer
void RestoreClipMixer(PlugInInstance *instance, RgnHandle saved);
Boolean PlugInClickPlayMode(PlugInInstance *instance, Point where);
Boolean PlugInClickListe(PlugInInstance *instance, Point where);
void PlugDeplacePage(PlugInInstance *instance, Boolean stillDown);  // the page-drag press handler
void PlugGereAideContextuelle(PlugInInstance *instance);  // the hover and tooltip step
void RedrawContextualHelp(PlugInInstance *instance);
void RazTouchesClavier(PlugInInstance *instance);
Boolean ClickInClavier(PlugInInstance *instance, Point where);
void PlugIdleClavier(PlugInInstance *instance);

// ---- Playing, the icon menu and the position bar (replaced by "Playing") -------------------------
// Loads the document and makes the instance the playing one; no sound is made yet.
void PlugInJoueMusique(PlugInInstance *instance);
void PlugInArreteMusique(PlugInInstance *instance, SInt16 flag);  // the instance plays no more
void AppliqueTranspose(PlugInInstance *instance);
void PlugInPauseMusique(PlugInInstance *instance);
void PlugInFastMusique(PlugInInstance *instance, SInt16 direction);
void PlugInVolume(PlugInInstance *instance);
void PlugInTempo(PlugInInstance *instance);
void PlugInClickMetronome(PlugInInstance *instance);
void PlugInTranspose(PlugInInstance *instance, SInt16 semitones);
void PlugInClickJoueVue(PlugInInstance *instance);
void PlugInTraceItemMenu(PlugInInstance *instance, SInt16 icon);
// The command (0..28) of the icon under the point, -1 when none; enabled gets its state.
SInt16 PlugInLocaliseIcon(PlugInInstance *instance, Point where, Boolean anyState, Boolean *enabled);
void PlugInPosCursMusique(PlugInInstance *instance, Boolean show);
void PlugInGereMontreMusique(PlugInInstance *instance);  // follows the played position
void PlugInMontrePositionJouee(PlugInInstance *instance, SInt32 playedPosition);
// Milliseconds of the whole music to a played position (score units).
SInt32 PlugCvtMsEnTempsJoue(PlugInInstance *instance, SInt32 ms);
SInt32 PlugCvtMesureEnTempsJoue(PlugInInstance *instance, SInt32 measure);  // played measure to time
SInt32 PlugCvtTempsJoueEnMesure(PlugInInstance *instance, SInt32 time);  // the played measure
SInt32 PlugCvtMesureEcriteEnJouee(PlugInInstance *instance, SInt32 measure);
SInt32 PlugGetEndNumMesure(PlugInInstance *instance, SInt32 measure);  // the last measure it reaches

// ---- Pages, views, print, save, server and information commands (replaced by their Parts) -------
void PlugInInfo(PlugInInstance *instance);
void PlugInMiseEnPage(PlugInInstance *instance);
void PlugInPrint(PlugInInstance *instance);
void PlugInChangePage(PlugInInstance *instance, SInt16 step);
void PlugInChangeZoom(PlugInInstance *instance);
void PlugInSave(PlugInInstance *instance);
void PlugInInformationDocument(PlugInInstance *instance);
void PlugInSendEmail(PlugInInstance *instance);
void PlugInFullScreen(PlugInInstance *instance);
void PlugInChangeView(PlugInInstance *instance, SInt16 step);
void PlugInSetCommanServer(PlugInInstance *instance, const char *command);

// ---- Dialogs (replaced by Toolbox II's GetNewDialog and DisposeDialog) -------------------------
// The progress dialog of a load (DLOG 303): an invisible 100 by 100 window here.
WindowPtr PlugCreeDialogueChargement();
void PlugDisposeDialogueChargement(WindowPtr dialog);

// ---- Staff objects ------------------------------------------------------------------------------
void CvtStrToRGBColor(const char *text, RGBColor *color);

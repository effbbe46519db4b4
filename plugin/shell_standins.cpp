// Stand-ins for what the plug-in calls of the player's other parts and of the floors that hold
// no code for it yet. Each group is deleted when the code named in its comment arrives.
#include "plugin/shell_standins.h"

#include <cctype>
#include <cstdlib>

#include "graphics/quickdraw/window_record.h"
#include "platform/core/runtime.h"
#include "plugin/documents.h"
#include "plugin/glue.h"
#include "plugin/instance.h"
#include "score/played_measures.h"
#include "score/score_formats.h"
#include "score/tempo_map.h"

namespace {

const Rect kLoadDialogBounds = {0, 0, 100, 100};

Boolean ChargeMusiqueABC(DocumentRecord *, const char *, SInt16) { return kFalse; }
const ScoreFormatOps kFormatABC = {"ABC", {"abc", nullptr, nullptr, nullptr}, ChargeMusiqueABC,
                                   kFormatMorceaux, nullptr, nullptr, nullptr};

}  // namespace

// ---- Singing: replaced by the singer --------------------------------------------------------------

Boolean LyrovoxOpenDataFile(const char *) { return kFalse; }
void LyrovoxFixeVolume(SInt16) {}
void LyrovoxFixeDossiers(const char *languages, const char *data) {
    PlugTrace("Singing folders %s %s", languages, data);
}
void InitLyrovox() {}
Boolean IsLyrovox() { return kFalse; }
void LyrovoxAdapteDocument(DocumentRecord *, SInt16) {}
Boolean IdleLyrovox(UInt8) { return kFalse; }
void LibereLyrovox() {}

// ---- The ABC importer: replaced by import/abc/ ---------------------------------------------------

void ABCEnregistreFormats() { EnregistreFormatPartition(&kFormatABC); }

// ---- Films: replaced by plugin/films/ -----------------------------------------------------------

Boolean PlugPekNewBlock(PlugInInstance *, const void *, SInt32) { return kTrue; }
Boolean PlugPekChargeFichier(PlugInInstance *) { return kFalse; }
void PlugPekDisposeFichier(PlugInInstance *) {}
void PlugPekIdle(PlugInInstance *) {}
void PlugPekClick(PlugInInstance *, Point) {}

// ---- The panels of the player interface: replaced by plugin/interface/ -------------------------

void PlugInDisposeTexteKaraoke(PlugInInstance *) {}
Boolean PlugInIskaraokePossible(PlugInInstance *) { return kFalse; }
SInt16 PlugInNbPorteesKaraoke(PlugInInstance *) { return 0; }
void PlugInInverseActiviteKaraoke(PlugInInstance *) {}
void PlugDisposeMixer(PlugInInstance *) {}
void PlugMixerGetValues(PlugInInstance *) {}
void PlugInOpenMixer(PlugInInstance *) {}
Boolean PlugClickMixer(PlugInInstance *, Point) { return kFalse; }
void PlugIdleMixer(PlugInInstance *) {}
RgnHandle SetClipMixer(PlugInInstance *) { return nullptr; }
void RestoreClipMixer(PlugInInstance *, RgnHandle) {}
Boolean PlugInClickPlayMode(PlugInInstance *, Point) { return kFalse; }
Boolean PlugInClickListe(PlugInInstance *, Point) { return kFalse; }
void PlugDeplacePage(PlugInInstance *, Boolean) {}
void PlugGereAideContextuelle(PlugInInstance *) {}
void RedrawContextualHelp(PlugInInstance *) {}
void RazTouchesClavier(PlugInInstance *) {}
Boolean ClickInClavier(PlugInInstance *, Point) { return kFalse; }
void PlugIdleClavier(PlugInInstance *) {}

// ---- Playing, the icon menu and the position bar: replaced by "Playing" -------------------------

void PlugInJoueMusique(PlugInInstance *instance) {
    if (!instance->playAllowed || !PlugBeginFile(instance)) return;
    PlugInInstance *other = plugInState.plugInInstancePlay;
    if (other && other != instance) {
        PlugInArreteMusique(other, 1);
        plugInState.redrawInstance = other;
    }
    plugInState.plugInInstancePlay = instance;
    SetCurThis(instance);
    PlugTrace("PlugInJoueMusique '%s' %d", instance->docName, int(instance->listNumber));
    PlugEndFile(instance);
}

void PlugInArreteMusique(PlugInInstance *instance, SInt16) {
    if (plugInState.plugInInstancePlay == instance) plugInState.plugInInstancePlay = nullptr;
}

void AppliqueTranspose(PlugInInstance *) {}
void PlugInPauseMusique(PlugInInstance *) {}
void PlugInFastMusique(PlugInInstance *, SInt16) {}
void PlugInVolume(PlugInInstance *) {}
void PlugInTempo(PlugInInstance *) {}
void PlugInClickMetronome(PlugInInstance *) {}
void PlugInTranspose(PlugInInstance *, SInt16) {}
void PlugInClickJoueVue(PlugInInstance *) {}
void PlugInTraceItemMenu(PlugInInstance *, SInt16) {}

SInt16 PlugInLocaliseIcon(PlugInInstance *, Point, Boolean, Boolean *enabled) {
    if (enabled) *enabled = kFalse;
    return -1;
}

void PlugInPosCursMusique(PlugInInstance *, Boolean) {}
void PlugInGereMontreMusique(PlugInInstance *) {}
void PlugInMontrePositionJouee(PlugInInstance *, SInt32) {}

SInt32 PlugCvtMsEnTempsJoue(PlugInInstance *instance, SInt32 ms) {
    return instance->document ? CvtMsEnTempsJoue(instance->document->score, ms, kTrue) : 0;
}

SInt32 PlugCvtMesureEnTempsJoue(PlugInInstance *instance, SInt32 measure) {
    return instance->document ? CvtMesureJoueeEnTempsJoue(instance->document->score, measure) : 0;
}

SInt32 PlugCvtTempsJoueEnMesure(PlugInInstance *instance, SInt32 time) {
    return instance->document ? CvtTempsJoueEnMesureJouee(instance->document->score, time, nullptr) : -1;
}

SInt32 PlugCvtMesureEcriteEnJouee(PlugInInstance *instance, SInt32 measure) {
    ScoreHandle score = instance->document ? instance->document->score : nullptr;
    SInt32 played = score ? GetNbMesuresJouees(score) : 0;
    for (SInt32 i = 0; i < played; i++)
        if (CvtMesureJoueeEnMesure(score, i) == measure) return i;
    return measure;
}

SInt32 PlugGetEndNumMesure(PlugInInstance *, SInt32 measure) { return measure; }

// ---- Pages, views, print, save, server and information commands: replaced by their Parts --------

void PlugInInfo(PlugInInstance *) {}
void PlugInMiseEnPage(PlugInInstance *) {}
void PlugInPrint(PlugInInstance *) {}
void PlugInChangePage(PlugInInstance *, SInt16) {}
void PlugInChangeZoom(PlugInInstance *) {}
void PlugInSave(PlugInInstance *) {}
void PlugInInformationDocument(PlugInInstance *) {}
void PlugInSendEmail(PlugInInstance *) {}
void PlugInFullScreen(PlugInInstance *) {}
void PlugInChangeView(PlugInInstance *, SInt16) {}
void PlugInSetCommanServer(PlugInInstance *, const char *command) { PlugTrace("Server command %s", command); }

// ---- Dialogs: replaced by Toolbox II ---------------------------------------------------------------

WindowPtr PlugCreeDialogueChargement() {
    const unsigned char noTitle[1] = {0};
    return NewCWindow(nullptr, &kLoadDialogBounds, noTitle, kFalse, 2, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
}

void PlugDisposeDialogueChargement(WindowPtr dialog) { DisposeWindow(dialog); }

// ---- Staff objects: replaced by the colour reader of the text objects ------------------------------

// Up to eight hexadecimal digits as a number; its low three bytes are red, green and blue.
void CvtStrToRGBColor(const char *text, RGBColor *color) {
    UInt32 value = 0;
    for (int i = 0; i < 8 && text && isxdigit(UInt8(text[i])); i++) {
        char digit[2] = {text[i], 0};
        value = value << 4 | UInt32(strtoul(digit, nullptr, 16));
    }
    color->red = UInt16((value >> 16 & 0xFF) << 8);
    color->green = UInt16((value >> 8 & 0xFF) << 8);
    color->blue = UInt16((value & 0xFF) << 8);
}

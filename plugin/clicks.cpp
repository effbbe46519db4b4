// The press dispatcher, the icon commands and the position bar's press.
#include "plugin/clicks.h"

#include <climits>
#include <cstdint>

#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/window_record.h"
#include "platform/core/byte_reader.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/keyboard_mouse.h"
#include "plugin/documents.h"
#include "plugin/glue.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/drawing.h"
#include "plugin/interface/interface_standins.h"
#include "plugin/interface/scroll_bars.h"
#include "plugin/interface/title_bar.h"
#include "plugin/shell_standins.h"
#include "score/play_lists.h"

namespace {

typedef void (*IconCommand)(PlugInInstance *instance);

void PlayOrStop(PlugInInstance *instance);
void FastBackward(PlugInInstance *instance) { PlugInFastMusique(instance, -1); }
void FastForward(PlugInInstance *instance) { PlugInFastMusique(instance, 1); }
void Stop(PlugInInstance *instance) { PlugInArreteMusique(instance, 1); }
void ToggleTwoPages(PlugInInstance *instance);
void PreviousPage(PlugInInstance *instance) { PlugInChangePage(instance, -1); }
void NextPage(PlugInInstance *instance) { PlugInChangePage(instance, 1); }
void TransposeDown(PlugInInstance *instance) { PlugInTranspose(instance, -1); }
void TransposeUp(PlugInInstance *instance) { PlugInTranspose(instance, 1); }
void VersionAndInformation(PlugInInstance *instance);
void ToggleSinging(PlugInInstance *instance) { instance->singInactive = !instance->singInactive; }
void PreviousView(PlugInInstance *instance) { PlugInChangeView(instance, -1); }
void NextView(PlugInInstance *instance) { PlugInChangeView(instance, 1); }
void TurnQuarter(PlugInInstance *instance);
void ToggleKeyboard(PlugInInstance *instance);

// The command of each icon, by its number.
const IconCommand kIconCommands[kIconCount] = {
    PlugInInfo,          PlayOrStop,           FastBackward,    FastForward,      PlugInPauseMusique,
    Stop,                PlugInVolume,         PlugInOpenMixer, ToggleTwoPages,   PlugInTempo,
    PlugInClickMetronome, PlugInMiseEnPage,    PlugInPrint,     PreviousPage,     NextPage,
    PlugInChangeZoom,    TransposeDown,        TransposeUp,     PlugInSave,       VersionAndInformation,
    ToggleSinging,       PlugInInverseActiviteKaraoke, PlugInSendEmail, PlugInFullScreen, PreviousView,
    PlugInClickJoueVue,  NextView,             TurnQuarter,     ToggleKeyboard,
};

}  // namespace

static void CycleLook(PlugInInstance *instance);
static void RunIcon(PlugInInstance *instance, SInt16 icon);
static void ClickOutsideIcons(PlugInInstance *instance, Point where);
static Boolean InRect(Point where, const Rect &r);
static void PressOnPositionBar(PlugInInstance *instance, Point where, const Rect &bar);
static void EndBarPress(PlugInInstance *instance);
static void FollowPointer(PlugInInstance *instance);
static void ReleaseBar(PlugInInstance *instance);
static void InstallPressHandler(PlugInInstance *instance, PlugInPressHandler handler, const char *name);

int16_t NPP_HandleEvent(NPP npp, EventRecord *event) {
    PlugInInstance *instance = PlugInFromNPP(npp);
    if (!instance || !event || event->what != mouseDown) return 0;
    PlugInDrawState state;
    Boolean drawing = StartDraw(instance, &state);
    PlugInClick(instance, event->where);
    if (drawing) EndDraw(instance, &state);
    if (plugInState.doitRetracerTout) {
        plugInState.doitRetracerTout = 0;
        for (PlugInInstance *p = plugInState.premiereInstance; p; p = p->next) {
            PlugInDeletePicture(p);
            PlugInRedrawInstance(p);
        }
    }
    return 1;
}

void PlugInClick(PlugInInstance *instance, Point where) {
    PlugTrace("PlugInClick %d %d", where.h, where.v);
    if (instance->infoPanelUp) {
        instance->infoPanelUp = 0;
        PlugInDoDraw(instance, kTrue);
        return;
    }
    if (instance->filmMode) {
        PlugPekClick(instance, where);
        return;
    }
    if (IsKeyPomme()) {
        CycleLook(instance);
        return;
    }
    Point local = where;
    GlobalToLocal(&local);
    if (instance->mixerShown && PlugClickMixer(instance, local)) return;
    Boolean enabled = kFalse;
    SInt16 icon = PlugInLocaliseIcon(instance, local, kFalse, &enabled);
    if (icon >= 0 && icon < kIconCount) RunIcon(instance, icon);
    else ClickOutsideIcons(instance, local);
}

void PlugInStillDownBarrePos(PlugInInstance *instance, Boolean stillDown) {
    if (stillDown) FollowPointer(instance);
    else ReleaseBar(instance);
}

Boolean IsKeyPressed(SInt16 key) {
    if (key < 0 || key >= 128) return kFalse;
    KeyMap keys = {0, 0, 0, 0};
    GetKeys(keys);
    ByteReader map = OrvaByteReader(keys, sizeof keys);
    Seek(&map, size_t(key / 32) * 4);
    return (Get32(&map) >> ((key ^ 24) & 31)) & 1;
}

Boolean IsKeyPomme() { return IsKeyPressed(kKeyCommand); }
Boolean IsKeyShift() { return IsKeyPressed(kKeyShift); }

// 3, 0, 1, 2, 3 ...: past the last look both the look and the one asked for go back to 0.
static void CycleLook(PlugInInstance *instance) {
    instance->look++;
    if (instance->look >= kLookCount) instance->look = instance->lookWanted = 0;
    instance->scrollContentSeen = Rect{0, 0, 0, 0};
    PlugTrace("Look %d", int(instance->look));
    PlugInDrawTitle(instance);
    PlugInDoDraw(instance, kTrue);
}

static void RunIcon(PlugInInstance *instance, SInt16 icon) {
    instance->menuItems[icon].state = 1;
    PlugInTraceItemMenu(instance, icon);
    kIconCommands[icon](instance);
    instance->menuItems[icon].state = 0;
    RedrawContextualHelp(instance);
    PlugInDrawTitle(instance);
    PlugInDrawMenu(instance);
    PlugInDrawBarrePosMusique(instance);
}

// The first element that takes the press: scroll bars, position bar, keyboard, page, then the
// title, the play-mode button and the play list.
static void ClickOutsideIcons(PlugInInstance *instance, Point where) {
    if (PlugInClickAscenseur(instance, where)) return;
    Rect bar;
    CalculeAireBarrePosMusique(instance, &bar);
    if (instance->timeSliderShown && InRect(where, bar)) {
        PressOnPositionBar(instance, where, bar);
        return;
    }
    if (ClickInClavier(instance, where)) return;
    if (instance->pageShown && instance->window) {
        Rect page = {SInt16(instance->areaTop + GetTailleAireSystemePlugIn(instance)), instance->areaLeft,
                     SInt16(instance->window->height > 32767 ? 32767 : instance->window->height),
                     SInt16(instance->window->width > 32767 ? 32767 : instance->window->width)};
        if (InRect(where, page)) {
            InstallPressHandler(instance, PlugDeplacePage, "PlugDeplacePage");
            return;
        }
    }
    if (PlugInClickTitle(instance, where)) return;
    if (PlugInClickPlayMode(instance, where)) return;
    PlugInClickListe(instance, where);
}

static Boolean InRect(Point where, const Rect &r) {
    return where.h >= r.left && where.h < r.right && where.v >= r.top && where.v < r.bottom;
}

// What plays stops; the document stays loaded for the length of the press. Shift extends the
// selection, a plain press outside selection mode clears it; otherwise the press is followed
// at idle until its release.
static void PressOnPositionBar(PlugInInstance *instance, Point where, const Rect &bar) {
    PlugInInstance *playing = plugInState.plugInInstancePlay;
    if (playing && playing != instance) {
        PlugInArreteMusique(playing, 1);
        plugInState.redrawInstance = playing;
    } else {
        PlugInArreteMusique(instance, 1);
    }
    instance->pressKeptLoaded = instance->keepLoaded;
    if (PlugBeginFile(instance)) instance->keepLoaded = 1;
    Boolean selecting = instance->ruptureTable ? where.v - bar.top < kBarSelectionBand
                                               : (OrvaGetPluginMouseButton() & kRightButton) != 0;
    if (IsKeyShift()) {
        SInt32 width = bar.right - bar.left - kBarEndMargin;
        if (width > 0) {
            SInt64 measure = SInt64(where.h - bar.left) * instance->measureCount / width;
            SInt16 m = SInt16(measure < 0 ? 0 : measure > INT16_MAX ? INT16_MAX : measure);
            if (instance->selFirstMeasure >= 0 && m >= instance->selFirstMeasure) instance->selLastMeasure = m;
            else instance->selFirstMeasure = m;
            PlugTrace("Selection %d %d", int(instance->selFirstMeasure), int(instance->selLastMeasure));
            RedrawDocumentInstance(instance);
        }
        EndBarPress(instance);
    } else if (!selecting && instance->selFirstMeasure >= 0) {
        instance->selFirstMeasure = instance->selLastMeasure = -1;
        instance->loop = 0;
        PlugInArreteMusique(instance, 1);
        RedrawDocumentInstance(instance);
        EndBarPress(instance);
    } else {
        instance->pressTick = TickCount();
        instance->pressSelecting = selecting;
        InstallPressHandler(instance, PlugInStillDownBarrePos,
                            selecting ? "PlugInStillDownBarrePos selection" : "PlugInStillDownBarrePos position");
    }
}

// A press that installs no handler gives the document back at once.
static void EndBarPress(PlugInInstance *instance) {
    instance->keepLoaded = instance->pressKeptLoaded;
    PlugEndFile(instance);
}

// The time under the pointer, from the bar's left end over its width less the margin (a bar
// that narrow selects nothing), in 64 bits so that long pieces on wide bars do not overflow.
static void FollowPointer(PlugInInstance *instance) {
    if (!instance->document) return;
    Rect bar;
    CalculeAireBarrePosMusique(instance, &bar);
    SInt32 width = bar.right - bar.left - kBarEndMargin;
    if (width <= 0) return;
    Point mouse;
    GetMouse(&mouse);
    SInt64 ms = SInt64(mouse.h - bar.left) * instance->totalDurationMs / width;
    ms = ms < 0 ? 0 : ms > INT32_MAX ? INT32_MAX : ms;
    SInt32 played = PlugCvtMsEnTempsJoue(instance, SInt32(ms));
    if (instance->pressSelecting) {
        SInt32 measure;
        if (instance->ruptureTable) {
            SInt64 written = SInt64(instance->measureCount) * (mouse.h - bar.left) / (bar.right - bar.left);
            measure = SInt32(written < 0 ? 0 : written > INT16_MAX ? INT16_MAX : written);
            played = PlugCvtMesureEnTempsJoue(instance, PlugCvtMesureEcriteEnJouee(instance, measure));
        } else {
            measure = PlugCvtTempsJoueEnMesure(instance, played);
            if (measure < 0) measure = instance->measureCount > 0 ? instance->measureCount - 1 : 0;
        }
        if (instance->selFirstMeasure < 0) instance->selFirstMeasure = SInt16(measure);
        SInt32 end = PlugGetEndNumMesure(instance, measure);
        instance->selLastMeasure = SInt16(end > INT16_MAX ? INT16_MAX : end);
        RedrawDocumentInstance(instance);
    } else {
        instance->document->resumePosition = played;
        instance->pausePosition = played;
    }
    PlugInMontrePositionJouee(instance, played);
    PlugInPosCursMusique(instance, kTrue);
}

static void ReleaseBar(PlugInInstance *instance) {
    instance->keepLoaded = instance->pressKeptLoaded;
    if (instance->pressSelecting) {
        if (UInt32(TickCount() - instance->pressTick) >= UInt32(kShortPressTicks)) {
            if (instance->document) {
                if (instance->selLastMeasure >= 0 && instance->selLastMeasure < instance->selFirstMeasure) {
                    SInt16 first = instance->selLastMeasure;
                    instance->selLastMeasure = instance->selFirstMeasure;
                    instance->selFirstMeasure = first;
                }
                instance->pausePosition = 0;
                instance->loop = 1;
            }
        } else {
            instance->selFirstMeasure = instance->selLastMeasure = -1;
            instance->loop = 0;
            PlugInArreteMusique(instance, 1);
        }
        PlugTrace("Selection %d %d", int(instance->selFirstMeasure), int(instance->selLastMeasure));
        RedrawDocumentInstance(instance);
    } else {
        PlugInJoueMusique(instance);
    }
    PlugInDrawMenu(instance);
    PlugEndFile(instance);
}

static void InstallPressHandler(PlugInInstance *instance, PlugInPressHandler handler, const char *name) {
    instance->pressHandler = handler;
    PlugTrace("PressHandler %s", name);
}

namespace {

// Plays, or stops the instance that plays unpaused; in random list mode an element is drawn
// first.
void PlayOrStop(PlugInInstance *instance) {
    if (plugInState.plugInInstancePlay == instance && instance->pausePosition == 0) {
        PlugInArreteMusique(instance, 1);
        return;
    }
    if (instance->playList && PlugInListPlayMode(instance) == 4)
        SetCurElement(instance, CalculeNumFichierAleatoire(instance->playList));
    PlugInJoueMusique(instance);
}

void ToggleTwoPages(PlugInInstance *instance) {
    instance->twoPages = !instance->twoPages;
    if (instance->twoPages) instance->zoomMode = 2;
    PlugInDeletePicture(instance);
    PlugInDoDraw(instance, kTrue);
}

void VersionAndInformation(PlugInInstance *instance) {
    DisplayVersionPlugIn(instance);
    PlugInInformationDocument(instance);
}

void TurnQuarter(PlugInInstance *instance) {
    instance->quarterTurns = SInt16((PlugInQuarterTurns(instance) + 1) % 4);
    if (instance->twoPages) instance->zoomMode = 2;
    PlugInDeletePicture(instance);
    PlugInDoDraw(instance, kTrue);
}

void ToggleKeyboard(PlugInInstance *instance) {
    instance->keyboardShown = !instance->keyboardShown;
    RazTouchesClavier(instance);
    PlugInDoDraw(instance, kTrue);
}

}  // namespace

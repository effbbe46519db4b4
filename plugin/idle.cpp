// The instance's idle routine and what follows the end of the music.
#include "plugin/idle.h"

#include <cstdint>

#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/keyboard_mouse.h"
#include "plugin/documents.h"
#include "plugin/instance.h"
#include "plugin/interface/drawing.h"
#include "plugin/shell_standins.h"
#include "score/play_lists.h"
#include "sound/playback.h"

namespace {

// Play-list modes at the end of an element.
enum ListMode : SInt16 {
    kListStop = 0,
    kListRepeat = 1,
    kListNextThenStop = 2,
    kListNextWrapping = 3,
    kListRandom = 4,
    kListSelectNext = 5,
};

}  // namespace

static void IdleSinging();
static Boolean FollowList(PlugInInstance *playing);
static void PlayAgain(PlugInInstance *playing);
static void PlayNextInstance(PlugInInstance *playing);
static void RunPressHandler(PlugInInstance *instance);

void PlugInIdle(PlugInInstance *instance) {
    if (PlugInInstance *redraw = plugInState.redrawInstance) {
        plugInState.redrawInstance = nullptr;
        if (IsInstanceValid(redraw)) PlugInRedrawInstance(redraw);
    }
    if (plugInState.plugInInstancePlay && IsFinDeMusiqueEntendue()) PlugInFinDeMusique(plugInState.plugInInstancePlay);
    IdleSinging();
    PlugInInstance *playing = plugInState.plugInInstancePlay;
    if (playing == instance && !instance->infoPanelUp) {
        RgnHandle clip = SetClipMixer(instance);
        PlugInGereMontreMusique(instance);
        RestoreClipMixer(instance, clip);
    }
    if (playing && !playing->infoPanelUp) PlugIdleMixer(playing);
    if (instance->pressHandler) {
        RunPressHandler(instance);
    } else if (!instance->infoPanelUp) {
        PlugGereAideContextuelle(instance);
        PlugInPosCursMusique(instance, kTrue);
    }
    if (instance->keyboardShown) PlugIdleClavier(instance);
    if (instance->pendingInvalTick && TickCount() > instance->pendingInvalTick) {
        PlugInDrawState state;
        if (StartDraw(instance, &state)) {
            InvalRect(&instance->pendingInvalRect);
            EndDraw(instance, &state);
        }
        instance->pendingInvalTick = 0;
    }
}

void PlugInFinDeMusique(PlugInInstance *playing) {
    PlugInDrawState state;
    Boolean drawing = StartDraw(playing, &state);
    PlugInArreteMusique(playing, 1);
    playing->currentPage = 1;
    PlugInDeletePicture(playing);
    if (drawing) PlugInDoDraw(playing, kTrue);
    PlugEndFile(playing);
    if (drawing) EndDraw(playing, &state);
    if (playing->playList && FollowList(playing)) return;
    if (playing->playNext && !(playing->playList && PlugInListPlayMode(playing) == kListSelectNext))
        PlayNextInstance(playing);
    else
        PlugTrace("End of music: stop");
}

// The play list's mode decides; true when an element plays again, which ends the chain.
static Boolean FollowList(PlugInInstance *playing) {
    JukeBoxList *list = playing->playList;
    playing->tempo = 0;
    playing->transposeOffset = 0;
    SInt16 mode = PlugInListPlayMode(playing);
    if (mode != kListRepeat) PlugDisposeMixer(playing);
    PlugInDeletePicture(playing);
    PlugInDisposeTexteKaraoke(playing);
    SInt16 current = SInt16(playing->listNumber - 1);
    Boolean last = current + 1 >= list->count;
    switch (mode) {
    case kListRepeat:
        break;
    case kListNextThenStop:
        if (last) return kFalse;
        SetCurElement(playing, SInt16(current + 1));
        break;
    case kListNextWrapping:
        SetCurElement(playing, last ? 0 : SInt16(current + 1));
        break;
    case kListRandom:
        SetCurElement(playing, CalculeNumFichierAleatoire(list));
        break;
    case kListSelectNext:
        if (!last) {
            SetCurElement(playing, SInt16(current + 1));
            PlugInDisposeDoc(playing);
            plugInState.redrawInstance = playing;
            PlugTrace("End of music: list mode 5 selects element %d", int(playing->listNumber));
        }
        return kFalse;
    default:  // kListStop
        return kFalse;
    }
    PlugTrace("End of music: list mode %d plays element %d", int(mode), int(playing->listNumber));
    PlayAgain(playing);
    return kTrue;
}

static void PlayAgain(PlugInInstance *playing) {
    PlugInDisposeDoc(playing);
    PlugInJoueMusique(playing);
    plugInState.redrawInstance = playing;
}

// The first instance after this one in page order, going round, that has NEXT; this one when
// no other has it.
static void PlayNextInstance(PlugInInstance *playing) {
    PlugInInstance *next = playing;
    for (PlugInInstance *p = playing->next ? playing->next : plugInState.premiereInstance; p && p != playing;
         p = p->next ? p->next : plugInState.premiereInstance) {
        if (p->playNext) {
            next = p;
            break;
        }
    }
    PlugTrace("End of music: NEXT plays instance %08lx", static_cast<unsigned long>(uintptr_t(next->npp)));
    PlugInDrawState state;
    Boolean drawing = StartDraw(next, &state);
    PlugInJoueMusique(next);
    if (drawing) EndDraw(next, &state);
    PlugInRedrawInstance(next);
}

// The singing renderer runs a number of steps that follows the time between idle runs; when a
// step finds nothing left the renderer is released.
static void IdleSinging() {
    PlugInInstance *playing = plugInState.plugInInstancePlay;
    SInt32 steps = 1;
    PlugInDrawState state;
    Boolean drawing = kFalse;
    if (playing && playing->singTicksPerStep > 0) {
        if (!(drawing = StartDraw(playing, &state))) return;
        UInt32 now = TickCount();
        double elapsed = playing->singLastTick ? double(UInt32(now - playing->singLastTick)) : 1.0;
        double wanted = elapsed / playing->singTicksPerStep * 0.5;
        steps = wanted < 1 ? 1 : wanted > kSingStepsMax ? kSingStepsMax : SInt32(wanted);
        playing->singLastTick = now;
    }
    for (SInt32 i = 0; i < steps; i++) {
        if (IdleLyrovox(0)) continue;
        LibereLyrovox();
        if (playing) playing->singTicksPerStep = 0;
        break;
    }
    if (drawing) EndDraw(playing, &state);
}

static void RunPressHandler(PlugInInstance *instance) {
    PlugInDrawState state;
    Boolean drawing = StartDraw(instance, &state);
    // The glue keeps the buttons the browser's events left down.
    Boolean down = OrvaGetPluginMouseButton() != 0;
    PlugInPressHandler handler = instance->pressHandler;
    if (!down) instance->pressHandler = nullptr;
    handler(instance, down);
    if (drawing) EndDraw(instance, &state);
}

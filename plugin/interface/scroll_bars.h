// The display area's own scroll bars: a horizontal one along the bottom and a vertical one along
// the right of the instance, 14 pixels thick, each with two arrows and a thumb; positions are
// pixels of thumb travel, which the page display turns into page offsets. Main thread.
#pragma once

#include "platform/core/mac_types.h"

struct PlugInInstance;

enum : SInt16 {
    kScrollBarThickness = 14,
    kScrollArrowStep = 2,          // pixels an arrow moves the page per call while held
    kScrollIconLeft = 700, kScrollIconRight = 701, kScrollIconUp = 702, kScrollIconDown = 703,
};

// The whole bar: horizontal along the bottom (less the corner), vertical along the right below
// the chrome; both above the keyboard strip when it is shown.
void PlugCalculeAireTotaleAscenseur(const PlugInInstance *instance, Boolean horizontal, Rect *rect);
SInt16 GetTailleUtileAscenseur(const PlugInInstance *instance, Boolean horizontal);  // length less the arrows
// usable x the bar's length / the content's length; the usable length for empty content.
SInt16 PlugTailleCurseurAscenseur(const PlugInInstance *instance, const Rect *bar, Boolean horizontal);
void PlugCalculePartiesAscenseur(const PlugInInstance *instance, const Rect *bar, SInt16 position, Boolean horizontal,
                                 Rect *arrow1, Rect *arrow2, Rect *thumb);
// Recomputes the maxima when the content's size changed (always with force); positions beyond
// them are brought back.
void PlugInitAscenseurs(PlugInInstance *instance, Boolean force);
// Nothing when maximum is not positive; else track, arrows and thumb.
void PlugInDrawAscenseur(const PlugInInstance *instance, const Rect *bar, SInt16 position, SInt16 maximum,
                         Boolean horizontal);
void PlugInDrawAscenseurs(PlugInInstance *instance);  // when the page does not fit the display area
// A press in a bar: arrows step, the thumb drags, the track jumps; the tracking is installed as
// the instance's press handler and run once. False when the press is outside the bar.
Boolean PlugDoClickInAscenseur(PlugInInstance *instance, Point where, Boolean horizontal, const Rect *bar,
                               SInt16 maximum, SInt16 step);
// The display area's bars take the press (zoom above 1); false when neither does.
Boolean PlugInClickAscenseur(PlugInInstance *instance, Point where);

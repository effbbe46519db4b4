// The layout of the plug-in area: which strips fit (title bar, icon bar, position bar, display
// area) for the instance's size and look, and the rectangle of every area, in the coordinates
// of the instance's port once StartDraw has set its origin. Main thread.
#pragma once

#include "platform/core/mac_types.h"

struct PlugInInstance;

enum : SInt16 {
    kDisplayMinHeight = 60,       // the display area is shown with at least this room
    kTimeSliderMinWidth = 100,    // narrower instances show no position bar
    kSmallShadowHeight = 49,      // SHADOW instances this high or lower draw flat
    kTimeSliderHeight = 8,        // the position bar; doubled with a played-order table
    kKeyboardStripHeight = 134,   // the on-screen keyboard (102) and its menu strip (32)
    kListScrollWidth = 14,        // the play list's scroll column
    kListPlayModeHeight = 22,     // the play-mode buttons under the play list
    kListPlayModeWidth = 32,
};

// The layout pass for an instance of width x height pixels: the icon bar's cells, then the
// strips that fit, from the wanted ones, into the shown ones; the look and title size in force.
void PlugInCalculeAireAffichables(PlugInInstance *instance, SInt16 width, SInt16 height);
// The instance window's width and height, 0 without a window, held to 0..32767.
SInt16 PlugInWindowWidth(const PlugInInstance *instance);
SInt16 PlugInWindowHeight(const PlugInInstance *instance);

SInt16 GetHauteurTitre(const PlugInInstance *instance);    // titleHeight when shown, else 0
SInt16 GetHauteurBoutons(const PlugInInstance *instance);  // the icon rows and their padding
SInt16 GetHauteurBarrePosMusique(const PlugInInstance *instance);  // 16 with a played order, 8, or 0
SInt16 GetTailleAireSystemePlugIn(const PlugInInstance *instance);  // the three above

// The window's clip rectangle; empty without a window.
void PlugInGetAireInstance(const PlugInInstance *instance, Rect *rect);
Boolean IsClickInTitle(const PlugInInstance *instance, Point where);
// Icon number index (from 0 over the shown icons) of the icon bar; empty without icon columns.
void CalculeAireIconPlugIn(const PlugInInstance *instance, SInt16 index, Rect *rect);
void CalculeAireBarrePosMusique(const PlugInInstance *instance, Rect *rect);  // empty without a window
// The display area below the chrome, less the keyboard strip when the keyboard is shown.
void PlugInCalculeAireAffichage(const PlugInInstance *instance, Rect *rect);
void PlugInCalculeAireListe(const PlugInInstance *instance, Rect *rect);           // the play list
void PlugInCalculeAireAscenseurListe(const PlugInInstance *instance, Rect *rect);  // its scroll column
void PlugCalculeAirePlayMode(const PlugInInstance *instance, Rect *rect);          // its mode buttons

void swaprect(Rect *rect);  // top with left, bottom with right
// Maps rect, inside container (origin 0, 0), by quarterTurns quarter turns (taken modulo 4).
void RotateRectRelatif(Rect *rect, const Rect *container, SInt16 quarterTurns);
// With a document loaded and a block selection, screenSelRect becomes the selection's screen
// rectangle on the page shown; empty when the page does not show it.
void CalculeRectSelect(PlugInInstance *instance);

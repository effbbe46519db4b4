// Stand-ins for the parts of the player interface that come later: the icon menu and the
// position bar (replaced by the playing commands' icon menu and position bar), the karaoke panel,
// the play list, the on-screen keyboard, the mixer and the information panel (each replaced by
// its own part). The bars are painted empty in their colours; the panels draw nothing. Main thread.
#pragma once

#include "platform/core/mac_types.h"

struct PlugInInstance;

// The icon bar's cells: one row of the look's cell across the window.
void PlugInAdjustMenu(PlugInInstance *instance);
void PlugInDrawMenu(PlugInInstance *instance);             // the icon bar, empty
void PlugInDrawBarrePosMusique(PlugInInstance *instance);  // the position bar, empty
void PlugInMarquePulsePlay(PlugInInstance *instance, SInt16 state);  // the play icon's pulse
void PlugInDrawMarquePosition(PlugInInstance *instance);   // the played-position mark on the page
Boolean PlugInClickAscenseurKaraoke(PlugInInstance *instance, Point where);  // false
void PlugInDrawKaraoke(PlugInInstance *instance);          // the karaoke panel and its scroll bar
void PlugInDrawListe(PlugInInstance *instance);            // the play list
void PlugInDrawClavier(PlugInInstance *instance);          // the keyboard and its menu strip
void PlugDrawMixer(PlugInInstance *instance);
void PlugInDrawInfoPanel(PlugInInstance *instance);
void PlugPekRedraw(PlugInInstance *instance);              // the film's area

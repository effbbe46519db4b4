// The title bar: the download's progress or failure, then the document's title with the
// karaoke staff, the view, the time heard, the duration, the page and the size; in the SHADOW
// look also the link to the maker's site and the plug-in's version. Main thread.
#pragma once

#include "platform/core/mac_types.h"

struct PlugInInstance;

enum : SInt32 {
    kTitleTextSize = 256,       // 255 bytes and the terminator
    kTitleLinkIcon = 1040,
    kTitlePulseTicks = 60,      // the play pulse flips once a second
};

extern const char kMakerSiteURL[];  // opened by the title bar's link

// The text the bar shows and its colours (the playing instance's when it plays).
void PlugInTexteTitre(const PlugInInstance *instance, char text[kTitleTextSize], RGBColor *fore, RGBColor *back);
// Control characters (1 to 31) become blanks.
void PlugBlanchitControles(char *text);
void PlugInDrawTitle(PlugInInstance *instance);  // nothing when the title is hidden; background left white
void PlugInDrawStrTitle(PlugInInstance *instance, const char *text, const RGBColor *fore, const RGBColor *back);
void PlugTitleLinkRect(const PlugInInstance *instance, Rect *rect);
// In the SHADOW look a press on the link opens the maker's site in a new window: true.
Boolean PlugInClickTitle(PlugInInstance *instance, Point where);
// Once a second while the instance plays: the pulse flips, and the title is redrawn when it
// shows the time.
void PlugInGerePulsePlay(PlugInInstance *instance);

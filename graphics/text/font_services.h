// The few font and language services the score engine gives the graphics layer: the music
// fonts it has loaded and whether the interface speaks Japanese. Main thread only.
#pragma once

#include "platform/core/language.h"
#include "platform/core/mac_types.h"

enum : SInt16 { kLentaraScreenFonts = 3 };

// Font number of the print variant of the music font; 0 until the music fonts are loaded.
extern SInt16 lentaraPrint;

Boolean IsFonteLentaraScreen(SInt16 fontID);  // one of the loaded screen music fonts
Boolean IsCurrentLanguageJaponais();          // the interface language is 5
// Set by the music-font loader: the three screen fonts (0 for a slot not loaded) and the print one.
void OrvaSetFontesLentara(const SInt16 screen[kLentaraScreenFonts], SInt16 print);

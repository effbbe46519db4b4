// The Extended TextEdit editing scene of qdscene: a styled record turned 30 degrees at zoom 1.5
// with three styles, a right-to-left word and a blended selection, reported as
// "exte lines N caret (h,v) sel A..B".
#pragma once

#include "graphics/quickdraw/ports.h"

void DrawExteEditScene(GrafPtr port);  // 400 x 300

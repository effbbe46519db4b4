// The Extended TextEdit layout scene of qdscene: a styled UTF-8 fixture text laid out at two
// widths, each line reported as "line K start S height H ascent A width W".
#pragma once

#include "graphics/quickdraw/ports.h"

void DrawExteLayoutScene(GrafPtr port);  // 400 x 300; prints, draws nothing

// The page scene of qdscene: every shape verb, text, a bit image, a direct image, a region and
// a Bezier curve, as a printed page holds them.
#pragma once

#include "graphics/quickdraw/ports.h"

void DrawPageScene(GrafPtr port);  // 612 x 792

// The raster scenes of qdscene: every shape verb with pens, patterns and modes, and the region
// verbs. Each draws into the current port, which is white and of the scene's size.
#pragma once

#include "graphics/quickdraw/ports.h"

void DrawShapesScene(GrafPtr port);   // 800 x 600
void DrawRegionsScene(GrafPtr port);  // 400 x 300

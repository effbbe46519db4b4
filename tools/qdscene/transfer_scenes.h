// The transfer scenes of qdscene: CopyBits scaling under each smoothing switch with masks and
// modes, pixel patterns from 'ppat' resources, and the shapes scene drawn on 8-bit and
// 256-gray offscreens. Each draws into the current port, which is white and of the scene's
// size; the scenes that need resource files open them from resources/ of the build tree.
#pragma once

#include "graphics/quickdraw/ports.h"

void DrawCopyBitsScene(GrafPtr port);    // 640 x 300
void DrawPixPatScene(GrafPtr port);      // 160 x 100
void DrawShapes8Scene(GrafPtr port);     // 800 x 600
void DrawShapesGrayScene(GrafPtr port);  // 800 x 600

// The image effects scene of qdscene: one checkerboard image with a soft disc of opacity, shown
// plain, rotated, skewed, tilted, shadowed, blurred, hue-shifted and distorted by a ridge map.
#pragma once

#include "graphics/quickdraw/ports.h"

void DrawEffectsScene(GrafPtr port);  // 680 x 340; prints each result's size and origin

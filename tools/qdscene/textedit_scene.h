// The TextEdit scene of qdscene: a plain record with its caret and a styled record with a
// selection, each reported as "NAME lines N caret (h,v) sel A..B".
#pragma once

#include "graphics/quickdraw/ports.h"

void DrawTextEditScene(GrafPtr port);  // 400 x 300

// A source the layer check is told belongs to platform/core: it calls QuickDraw, a floor above,
// so the check must name it, SetPort and both folders.
#include "graphics/quickdraw/ports.h"

void OrvaLayersProbe() { SetPort(nullptr); }

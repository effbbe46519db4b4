// A source the layer check is told belongs to platform/core: it includes a header of graphics,
// a floor above, without calling anything of it, so the check must name both files and both
// floors.
#include "graphics/quickdraw/ports.h"

int OrvaLayersIncludeProbe() { return 0; }

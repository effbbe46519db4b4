// The recorded input-method position and style.
#include "graphics/cairo/input_method.h"

#include <cstring>

#include "graphics/text/textedit.h"

namespace {

struct InputMethodPlace {
    SInt16 v = -1, h = -1;  // global coordinates
    TextStyle style;
    Boolean set = kFalse;
};
InputMethodPlace gPlace;

}  // namespace

void SystemDependantIMESetPosition(SInt16 v, SInt16 h, const TextStyle *style) {
    gPlace.v = v;
    gPlace.h = h;
    if (style) gPlace.style = *style;
    else memset(&gPlace.style, 0, sizeof gPlace.style);
    gPlace.set = kTrue;
}

Point OrvaGetStandInIMEPosition() { return Point{gPlace.v, gPlace.h}; }

Boolean OrvaGetIMEStyle(TextStyle *style) {
    if (style) *style = gPlace.style;
    return gPlace.set;
}

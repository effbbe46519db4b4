// The X11 side of the glue: reading the events the browser hands over and painting an image
// surface onto the browser's drawable. The X headers stay inside x_events.cpp, as their names
// clash with the Toolbox's.
#pragma once

#include <cairo.h>

enum GlueXEventKind { kXOtherEvent, kXButtonPress, kXButtonRelease, kXMotion, kXLeave, kXGraphicsExpose };
enum : unsigned { kXShiftMask = 1u << 0, kXControlMask = 1u << 2, kXMod1Mask = 1u << 3 };
enum : unsigned { kXButtonLeft = 1, kXButtonMiddle = 2, kXButtonRight = 3 };

struct GlueXEvent {
    GlueXEventKind kind;
    int x, y;                // the pointer, relative to the instance; or the exposed area's origin
    int width, height;       // the exposed area as the browser gives it
    unsigned state, button;  // modifier mask and button number of a press or release
    void *display;           // Display * of a GraphicsExpose
    unsigned long drawable;
};

void GlueReadXEvent(const void *event, GlueXEvent *out);
// Copies source, placed at (originX, originY) of the drawable, into the rectangle (x, y, width,
// height) of a drawableWidth x drawableHeight drawable; visual null: the display's default.
// An X error is trapped (it would otherwise end the browser) and the paint is then lost.
void GluePaintOnDrawable(void *display, unsigned long drawable, void *visual, int drawableWidth,
                         int drawableHeight, cairo_surface_t *source, int originX, int originY, int x, int y,
                         int width, int height);

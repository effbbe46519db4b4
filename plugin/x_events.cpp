// X events and X drawables for the glue.
#include "plugin/x_events.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <gdk/gdk.h>
#include <gdk/gdkx.h>

static Visual *SameVisualOn(Display *d, VisualID id);

void GlueReadXEvent(const void *event, GlueXEvent *out) {
    const XEvent &x = *static_cast<const XEvent *>(event);
    *out = GlueXEvent{kXOtherEvent, 0, 0, 0, 0, 0, 0, nullptr, 0};
    switch (x.type) {
    case ButtonPress:
    case ButtonRelease:
        *out = GlueXEvent{x.type == ButtonPress ? kXButtonPress : kXButtonRelease, x.xbutton.x, x.xbutton.y, 0, 0,
                          x.xbutton.state, x.xbutton.button, nullptr, 0};
        break;
    case MotionNotify:
        *out = GlueXEvent{kXMotion, x.xmotion.x, x.xmotion.y, 0, 0, x.xmotion.state, 0, nullptr, 0};
        break;
    case LeaveNotify:
        out->kind = kXLeave;
        break;
    case GraphicsExpose: {
        const XGraphicsExposeEvent &e = x.xgraphicsexpose;
        *out = GlueXEvent{kXGraphicsExpose, e.x, e.y, e.width, e.height, 0, 0, e.display, e.drawable};
        break;
    }
    default:
        break;
    }
}

void GluePaintOnDrawable(void *display, unsigned long drawable, void *visual, int drawableWidth,
                         int drawableHeight, cairo_surface_t *source, int originX, int originY, int x, int y,
                         int width, int height) {
    Display *d = static_cast<Display *>(display);
    if (!d || !drawable || !source) return;
    Visual *v = visual ? static_cast<Visual *>(visual) : DefaultVisual(d, DefaultScreen(d));
    // The drawable is drawn through GDK's own connection when there is one: another thread of
    // the browser reads the events of the browser's connection, and cairo's uploads wait for
    // an event. The browser synchronises both connections before it reads the drawable back.
    gdk_error_trap_push();
    if (GdkDisplay *gdk = gdk_display_get_default()) {
        Display *own = GDK_DISPLAY_XDISPLAY(gdk);
        v = SameVisualOn(own, XVisualIDFromVisual(v));
        d = own;
    }
    cairo_surface_t *target = cairo_xlib_surface_create(d, drawable, v, drawableWidth, drawableHeight);
    cairo_t *cr = cairo_create(target);
    cairo_set_source_surface(cr, source, originX, originY);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(target);
    cairo_surface_destroy(target);
    XSync(d, False);
    gdk_error_trap_pop();
}

// A visual is a record of one connection: the same visual on another is found by its id.
static Visual *SameVisualOn(Display *d, VisualID id) {
    XVisualInfo wanted;
    wanted.visualid = id;
    int count = 0;
    XVisualInfo *found = XGetVisualInfo(d, VisualIDMask, &wanted, &count);
    Visual *v = found && count > 0 ? found[0].visual : DefaultVisual(d, DefaultScreen(d));
    if (found) XFree(found);
    return v;
}

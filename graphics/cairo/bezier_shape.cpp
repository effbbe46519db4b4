// Bezier chains on a port's cairo context.
#include <algorithm>

#include <cairo.h>

#include "graphics/quickdraw/bezier.h"

void SystemDependantBezierShape(GrafPtr port, const BezierPoint *points, SInt32 n, UInt16 red, UInt16 green, UInt16 blue,
                                SInt16, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit, Boolean antialias) {
    if (!port || !port->context || !points || n < 1) return;
    cairo_t *cr = port->context;
    double dx = (port->systemDraw ? 0 : port->marginLeft) - port->portRect.left;
    double dy = (port->systemDraw ? 0 : port->marginTop) - port->portRect.top;
    SInt32 segments = BzSegmentCount(points, n, kind);
    cairo_save(cr);
    cairo_antialias_t former = cairo_get_antialias(cr);
    cairo_set_antialias(cr, antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, red / 65535.0, green / 65535.0, blue / 65535.0);
    cairo_new_path(cr);
    cairo_move_to(cr, points[0].x + dx, points[0].y + dy);
    for (SInt32 i = 1; i <= segments; i++) {
        const BezierPoint &a = points[i - 1], &b = points[i % n];
        cairo_curve_to(cr, a.outX + dx, a.outY + dy, b.inX + dx, b.inY + dy, b.x + dx, b.y + dy);
    }
    if (kind == kBezierFilled) {
        cairo_close_path(cr);
        cairo_fill(cr);
    } else {
        if (kind == kBezierClosedStroke) cairo_close_path(cr);
        cairo_set_line_width(cr, std::max(1, (int)std::max(port->pnSize.h, port->pnSize.v)));
        cairo_set_line_cap(cr, cap == kBezierCapRound ? CAIRO_LINE_CAP_ROUND
                               : cap == kBezierCapSquare ? CAIRO_LINE_CAP_SQUARE
                                                         : CAIRO_LINE_CAP_BUTT);
        cairo_set_line_join(cr, join == kBezierJoinMiter  ? CAIRO_LINE_JOIN_MITER
                                : join == kBezierJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                                           : CAIRO_LINE_JOIN_ROUND);
        cairo_set_miter_limit(cr, miterLimit > 0 ? miterLimit : 10.0);
        cairo_stroke(cr);
    }
    cairo_set_antialias(cr, former);
    cairo_restore(cr);
    if (port->surface) cairo_surface_flush(port->surface);
}

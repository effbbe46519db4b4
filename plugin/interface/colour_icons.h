// Colour icons ('cicn') read from the resource files and drawn scaled into a rectangle through
// their mask. FIXME: stands in for the Toolbox's colour-icon calls (GetCIcon, PlotCIcon,
// DisposCIcon), which replace it when they exist; until then the Toolbox offers none. Main thread.
#pragma once

#include "toolbox/resource_layouts.h"

// A loaded icon: its resource bytes, as checked, and their layout.
struct PlugCIcon {
    Ptr bytes;           // a copy of the resource, owned
    UInt32 size;
    ColorIconLayout layout;
    SInt16 width, height;  // of its bounds, at least 1
};

// Icon id of the current resource chain; null when missing or damaged. Dispose with PlugDisposCIcon.
PlugCIcon *PlugGetCIcon(SInt16 id);
// Draws the icon scaled to rect in the current port, its masked-out pixels left as they were.
void PlugPlotCIcon(const Rect *rect, const PlugCIcon *icon);
void PlugDisposCIcon(PlugCIcon **icon);  // clears *icon; null does nothing
// Whether pixel (x, y) from the icon's top-left lies in its mask.
Boolean PlugCIconMasked(const PlugCIcon *icon, SInt32 x, SInt32 y);

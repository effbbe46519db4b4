// A page picture played into the display area: its place and scale from the zoom mode, two
// facing pages, scrolling and centring, the paper in its colour, supersampling, quarter turns,
// the page marker and the binding between facing pages. Main thread.
#pragma once

#include "graphics/pictures/pictures.h"

struct PlugInInstance;

enum : SInt16 {
    kPageAreaBorder = 14,       // room kept round a page that fits the display area
    kMinPagePixels = 1,
};
enum : UInt32 {
    kSupersampleBudget = 16u * 1024u * 1024u,  // pixels of the largest page image made offscreen
    kPageImageKept = 4u * 1024u * 1024u,       // pixels of the largest finished page image kept
};

// The finished image of a side's visible page (brought down, coloured, turned), kept so that a
// redraw of the same page at the same place only copies it. Owned by the instance; freed with
// its page pictures.
struct PlugPageImage {
    GrafPtr image;       // null: none kept
    PicHandle picture;   // what it shows, where, and how
    Rect page, visible;
    RGBColor paper;
    SInt16 factor, turns;
    SInt16 marker;       // 0 no page marker, else 1 + side + 3 x singleAtEnd
};

// Where a side of the page display lies, in port coordinates.
struct PlugPageGeometry {
    Rect display;        // the display area inset by 1
    float frameWidth;    // the picture frame, turned with the page
    float frameHeight;
    float ratio;         // frame to page scale before the zoom
    float unit;          // ratio x 10 x zoom: paper margins and the gap between pages count in it
    SInt32 gap;          // pixels between two facing pages
    SInt32 contentWidth, contentHeight;  // the page, or both pages
    float scrollH, scrollV;              // scroll offsets, pixels
    Rect page;           // the picture's rectangle on screen
    Rect paper;          // the page with its paper margin
};

// The side's geometry (0 single page, 1 odd, 2 even page of a pair). The zoom of zoom modes 1
// and 2 is computed and the mode becomes 3; the centring offsets, pageFitsWhole and
// scrollContent are stored. False when the display area is 14 pixels or less either way.
Boolean PlugGeometriePage(PlugInInstance *instance, SInt16 side, PlugPageGeometry *geometry);
// Plays the picture (null: paper alone) as that side, its paper rectangle into paperRect
// (empty when no page fits). The current port is the instance's, clipped to the display area.
void PlugDrawPagePicture(PlugInInstance *instance, PicHandle picture, SInt16 side, Rect *paperRect,
                         Boolean singleAtEnd);
void PlugForgetPageImages(PlugInInstance *instance);  // the kept page images
// A point of the current page's picture (its frame's coordinates) on screen; false when no
// page is shown.
Boolean PlugCvtPageEnEcran(const PlugInInstance *instance, float x, float y, Point *where);
// The page frame of the instance: its stored one, or the default when empty.
void PlugCadrePage(const PlugInInstance *instance, Rect *frame);
// Test seam: the largest page image in pixels made offscreen (0: kSupersampleBudget).
void PlugSetSupersampleBudget(UInt32 pixels);

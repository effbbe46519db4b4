// The drawing cycle of the player interface: StartDraw and EndDraw around every drawing, the
// whole instance redrawn, the display area with its page pictures, the pictures recorded from
// the document, the status line. Main thread, inside the plug-in critical section.
#pragma once

#include "graphics/pictures/pictures.h"
#include "score/score_model.h"

struct PlugInInstance;

enum : SInt16 {
    kDefaultFrameWidth = 4950,    // the page frame when the instance has none: A4 at 600 dpi
    kDefaultFrameHeight = 7008,
    kNoFilePattern = 300,         // the display area when the document file cannot be opened
    kSoundBankLogoIcon = 600,
    kSoundBankLogoLevel = 6,      // sound banks from this level show their logo once
};
enum : UInt16 {
    kFrameGreyOuter = 16384,      // the display area's frame, drawn last
    kFrameGreyInner = 36864,
};

// What StartDraw saves and EndDraw restores (the caller's record).
struct PlugInDrawState {
    GrafPtr savedPort;     // current before StartDraw
    GrafPtr port;          // the instance's port; null when StartDraw failed
    Rect portRect;         // the port's rectangle, hence its origin
    SInt16 txFont, txFace, txMode, txSize;
    RGBColor fore, back;
    PenState pen;
    RgnHandle clip;        // the port's clip, owned until EndDraw
    SInt16 savedResFile;   // current before StartDraw
};

// Makes the instance's port current with the window's origin and clip, text size 12 in font 3
// in mode srcOr, black on white, a normal pen, and the plug-in's resource file current; false
// (traced, nothing changed) without a window, a port or with an inverted clip.
Boolean StartDraw(PlugInInstance *instance, PlugInDrawState *state);
// Restores what StartDraw saved, port and resource file included, on every path.
void EndDraw(PlugInInstance *instance, PlugInDrawState *state);
// Runs body(instance, data) between StartDraw and EndDraw; false when drawing could not start.
Boolean PlugInDrawWith(PlugInInstance *instance, void (*body)(PlugInInstance *instance, void *data), void *data);

void PlugInRedrawInstance(PlugInInstance *instance);  // the whole instance, with its background
// After the browser gave the window again: an instance drawn before at another size (its port,
// made again, shows the loading face) is drawn again.
void PlugInRedrawIfResized(PlugInInstance *instance);
// The instance's chrome and display area; with withBackground the whole area is filled first.
void PlugInDoDraw(PlugInInstance *instance, Boolean withBackground);
// The display area: the page or two facing pages, recorded first when no picture is held.
void PlugInDoDrawDocument(PlugInInstance *instance);
// Records page (from 1) of the document as a picture in the document's port (never the
// browser's): frame is the instance's page frame in printer dots, (0, 0, 4950, 7008) when empty,
// and comes back filled. Without the music font, a picture of the installation message.
// Null without memory.
PicHandle PlugInCreatePictPage(PlugInInstance *instance, DocumentRecord *document, SInt16 page, Rect *frame);
void PlugInDeletePicture(PlugInInstance *instance);  // both page pictures; the next draw records them
// The 1-based page on which the played time falls; 0 when none.
SInt16 PlugPageOfPlayedTime(DocumentRecord *document, SInt32 playedTime);

void PlugInMessage(PlugInInstance *instance, const char *text);  // the browser's status line
// The toolbox's notices (the texts of alerts and dialogs that cannot wait in the browser, which
// the toolbox traces): shown in the status line of the current instance (the first one without).
void PlugInNotice(const char *text);
void DisplayVersionPlugIn(PlugInInstance *instance);

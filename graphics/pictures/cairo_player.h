// The picture player on cairo: plays a recorded page onto a print page's cairo context, picture
// units scaled to device units from the picture's origin. Regions are not printed. Main thread
// only; the player's state is process-wide, one playback at a time.
#pragma once

#include "graphics/pictures/pictures.h"

// Plays picture onto context so that its frame fills width x height device units.
void GTKTracePicture(PicHandle picture, cairo_t *context, SInt32 width, SInt32 height);
void CvtPictureEnGDI(PicHandle picture);  // the interpreter, with the state GTKTracePicture set up
SInt32 TailleAlloueeParLigne();           // 0
SInt32 OrvaSaisitImpressionFonteBitmap();  // 0

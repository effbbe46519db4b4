// The Window Manager's side of cursors: the cursors of the platform's own pointer shapes, the
// pointer over window parts, and the target under the pointer. Main thread.
#pragma once

#include "graphics/quickdraw/cursors.h"
#include "toolbox/toolbox_services.h"

// The procedures of the toolbox's hook record (graphics/toolbox_hooks.h): _GetCursor,
// orva_setCursor, OrvaGereCursorWindows and OrvaProcessUnderMouse.
// Below 26, a cached handle standing for the platform's shape of that number, or the 'CURS'
// resource when the platform shows the number with another shape and the resource exists;
// above, the 'CURS' resource; null for a negative number or a missing resource.
CursHandle OrvaGetCursor(SInt16 number);
void OrvaShowCursorArea(const OrvaCursorArea *cursor);
void OrvaSetCursorForWindows();
// Unless a menu is open or hovering is off, a target other than the last one redraws the last
// one plain and the new one hovered.
void OrvaHoverUnderMouse(WindowPtr w, ControlHandle control, SInt16 item, SInt16 part);
void OrvaSetHoverProcessing(Boolean on);  // on at start
void OrvaSetMenuOpen(Boolean open);       // the Menu Manager shows a menu: nothing is hovered
ControlHandle OrvaGetHoveredControl();    // the control last hovered, or null
// The Control Manager redraws the control the pointer left and the one it entered (null: none).
void OrvaRedrawHovered(ControlHandle left, ControlHandle entered);

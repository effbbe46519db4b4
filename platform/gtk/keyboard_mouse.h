// Keyboard, pointer buttons and cursors on GDK, in the Event Manager's terms: Macintosh key
// codes, the 128-bit key map, modifier bits, button bits and the cursor shapes. The key map,
// modifiers and cursor setters are the back end's input and cursor rows (platform/core/back_end.h).
#pragma once
#include "graphics/quickdraw/cursors.h"
#include "platform/core/mac_types.h"

UInt8 GtkLinuxKeyToScancode(UInt16 hardwareKeycode, UInt32 keySymbol, UInt32 character);
// down 1 sets, 0 clears the key's bit; 65535 clears the whole map.
void GTKUpdateKeyState(UInt32 down, UInt32 keySymbol, UInt16 hardwareKeycode);
void GTKGetKeyMap(UInt32 map[4]);  // key k: word k / 32, bit (k ^ 24) & 31
UInt16 GTKGetKeyAscii(UInt32 keySymbol);
UInt16 GTKGetModifiers();  // what the pointer state says, with the stand-in modifiers
void SystemDependantGetKeyName(UInt8 keyCode, char *name);  // name: 64 bytes
UInt32 SystemDependantGetMouseButton();
void OrvaSetPluginMouseButton(UInt32 state);
UInt32 OrvaGetPluginMouseButton();
Boolean GTKUpdateMousePos();
// Whether the application has the focus (kept by the event pump); without it the pointer
// counts as away with no buttons.
void OrvaGtkSetHasFocus(Boolean focus);
Boolean OrvaGtkHasFocus();

// The pointer reader: root-window position and GDK modifier mask; false when unreadable.
// Null restores the GDK reader. Test seam.
typedef Boolean (*OrvaPointerStateReader)(SInt16 *h, SInt16 *v, UInt32 *mask);
void OrvaSetPointerStateReader(OrvaPointerStateReader reader);

UInt32 GTKSetStandardCursor(SInt16 id);
UInt32 GTKSetMonochromeCursor(const OrvaCursorArea *cursor);
UInt32 GTKSetColorCursor(const OrvaCursorArea *cursor);
// The root window and every top-level window of the process lose the cursor the library set:
// the pointer shows the system's own again.
void GTKRestoreSystemCursor();
SInt16 SystemDependantGetClosestCursor(SInt16 id);
SInt32 OrvaGdkCursorTypeFor(SInt16 id);  // the GDK cursor type shown for a standard cursor id
SInt32 OrvaGetLastCursorType();          // the type last set, -1 a colour image (diagnostics)
// The s x s RGBA image (s * s * 4 bytes, s = cursor scale x 16 within 8..32) of a colour
// cursor and its hot spot; false when the cursor has no usable pixel map.
Boolean OrvaBuildColorCursorImage(const OrvaCursorArea *cursor, UInt8 *rgba, SInt32 *size, Point *hotSpot);

void SystemDependantCvtInsKey();
void SystemDependantStartLimitMouseMovements();
void SystemDependantStopLimitMouseMovements();
void SystemDependantSetMousePhysicalPos(SInt16 h, SInt16 v);
void SystemDependantInitCursor();
void SystemDependantHideCursor();
void SystemDependantShowCursor();
void SystemDependantExitCursor();
UInt32 SystemDependantIsShortcutValid();

// The score editor's routines as the player answers them.
#include "score/editor_standins.h"

SInt16 Confirmation(const char *, ...) { return 1; }
SInt16 IsModeSilencieux() { return 0; }
void ErreurGrave(const char *, ...) {}
void FixePorteeModifiee(StaffHandle) {}
void DoUpdateLyrovox() {}
SInt16 FixeDureeMinSilenceModeLight(SInt16 value) { return value; }

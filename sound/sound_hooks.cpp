// The keyboard hooks of the sound engine and their wrappers.
#include "sound/sound_hooks.h"

namespace {

// Process-wide: installed by the player at start-up, read by whoever starts and stops notes.
SoundKeyboardHooks gKeyboard;

}  // namespace

void FixeHooksClavierSon(const SoundKeyboardHooks *hooks) { gKeyboard = hooks ? *hooks : SoundKeyboardHooks{}; }

Boolean HookIsClavierActive() { return gKeyboard.isClavierActive && gKeyboard.isClavierActive(); }

void HookClavierNoteOn(SInt32 instrument, SInt16 pitch, SInt16 velocity, SInt16 finger) {
    if (gKeyboard.clavierNoteOn) gKeyboard.clavierNoteOn(instrument, pitch, velocity, finger);
}

void HookClavierNoteOff(SInt32 instrument, SInt16 pitch, Boolean force) {
    if (gKeyboard.clavierNoteOff) gKeyboard.clavierNoteOff(instrument, pitch, force);
}

void HookClavierReset() {
    if (gKeyboard.clavierReset) gKeyboard.clavierReset();
}

// The calls the sound engine makes up to the player: the on-screen keyboard, told of every note
// that starts and stops and of a stop of all notes. One record, installed at start-up; a slot
// left null does nothing (isClavierActive answers false). Callers use the wrappers.
#pragma once

#include "platform/core/mac_types.h"

struct SoundKeyboardHooks {
    Boolean (*isClavierActive)();
    // instrument: the bank id; finger: the pianist's fingering, 0 when unknown.
    void (*clavierNoteOn)(SInt32 instrument, SInt16 pitch, SInt16 velocity, SInt16 finger);
    void (*clavierNoteOff)(SInt32 instrument, SInt16 pitch, Boolean force);
    void (*clavierReset)();
};

// Main thread, nothing playing: the record is copied; null restores the defaults.
void FixeHooksClavierSon(const SoundKeyboardHooks *hooks);

Boolean HookIsClavierActive();
void HookClavierNoteOn(SInt32 instrument, SInt16 pitch, SInt16 velocity, SInt16 finger);
void HookClavierNoteOff(SInt32 instrument, SInt16 pitch, Boolean force);
void HookClavierReset();

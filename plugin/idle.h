// The idle routine that every instance's timer runs: a redraw asked for, the end of the music
// and what follows it (play-list modes, NEXT), singing, the mixer and the played position,
// press-and-hold, the on-screen keyboard and invalidations due later. Main thread, inside the
// plug-in critical section.
#pragma once

#include "platform/core/mac_types.h"

struct PlugInInstance;

enum : SInt32 {
    kSingStepsMax = 20,  // singing steps one idle run renders at most
};

void PlugInIdle(PlugInInstance *instance);
// The end of the playing instance's music has been heard: it stops and goes back to page 1;
// its play list, by its mode, plays or selects an element, or else the next instance with
// NEXT (itself when none other has it) starts. Traced "End of music ..." for each choice.
void PlugInFinDeMusique(PlugInInstance *playing);

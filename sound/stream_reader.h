// The mixer's reader of the score's audio streams (score/audio_streams.h): the row the player
// gives FixeLecteurFluxSon so that sung tracks are heard.
#pragma once

#include "sound/synth.h"

extern const SoundStreamReader kLecteurFluxAudio;

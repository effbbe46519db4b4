// Audio streams read for the mixer, inside section 257 as the mixer holds it.
#include "sound/stream_reader.h"

#include "score/audio_streams.h"

namespace {

SInt32 LitFlux(void *, SInt16 stream, SInt64 first, SInt32 count, SInt16 *samples) {
    return LitEchantillonsFlux(stream, first, count, samples);
}

}  // namespace

const SoundStreamReader kLecteurFluxAudio = {LitFlux, nullptr};

// Bank ids of the score's instruments and the metronome's instruments, staff and settings.
#include "sound/play_instruments.h"

#include <algorithm>
#include <cstring>

#include "score/instruments.h"
#include "sound/sound_bank.h"

namespace {

// Process-wide, main thread: what the player set for the metronome.
struct MetronomeSettings {
    SInt16 countInBars;
    SInt16 beats;                           // 0: the default pattern
    UInt8 accents[kMaxTempsMotifMetronome];
};
MetronomeSettings gMetronome;

}  // namespace

SInt32 IdSonInstrument(const InstrumentRecord *instrument) {
    if (!instrument) return IdProgrammeBanque(0, 0);
    if (instrument->soundId) return SInt32(instrument->soundId);
    if (instrument->unpitched) return IdBatterieBanque(instrument->program, instrument->transposition);
    if (instrument->channel == kCanalBatterie) return IdBatterieBanque(instrument->program, 0);
    return IdProgrammeBanque(instrument->program, instrument->bank);
}

void ConvertitIdInstrumentsApresChargement(DocumentRecord *document, SInt16) {
    if (!document) return;
    for (SInt16 s = 0; s < document->scoreCount; s++) {
        ScoreHandle score = GetPartitionDocument(document, s);
        for (SInt16 i = 0; score && i < (*score)->instrumentCount; i++) {
            InstrumentRecord *instrument = GetInstrumentPtr(score, i);
            if (instrument->standardId > 0) {
                CvtIdStandardEnParamMIDIInstrument(score, i);
                instrument = GetInstrumentPtr(score, i);
            } else {
                instrument->soundId = 0;
                instrument->soundId = UInt32(IdSonInstrument(instrument));
            }
            instrument->inUse = 0;
        }
    }
}

void InitMetroPattern(SInt16 beats, const UInt8 *accents) {
    gMetronome.beats = 0;
    std::memset(gMetronome.accents, 0, sizeof gMetronome.accents);
    if (beats <= 0 || !accents) return;
    beats = std::min<SInt16>(beats, kMaxTempsMotifMetronome);
    Boolean any = false;
    for (SInt16 b = 0; b < beats; b++) any = any || accents[b];
    if (!any) return;
    gMetronome.beats = beats;
    std::memcpy(gMetronome.accents, accents, size_t(beats));
}

Boolean IsTempsFortMetronome(SInt32 beat) {
    if (gMetronome.beats == 0) return beat == 0;
    return beat >= 0 && beat < gMetronome.beats && gMetronome.accents[beat] != 0;
}

void SetRealTimeMetronome(SInt16 bars) { gMetronome.countInBars = std::min<SInt16>(std::max<SInt16>(bars, 0), kMaxMesuresDecompte); }

SInt16 GetRealTimeMetronome() { return gMetronome.countInBars; }

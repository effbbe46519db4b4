// ctest-labels: playback
// Bytes as an SF2 file: the tables are found, every preset is flattened (whole and for a few
// drum keys) and each zone's sample is described. Every zone that comes out must pass the
// bank's own zone check and name a sample whose frames lie inside the input.
#include <cstdint>

#include "platform/core/errors.h"
#include "sound/bank_sf2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > (1u << 22)) return 0;
    Sf2Reader reader;
    if (LitSf2(data, size, &reader, nullptr, 0) != noErr) return 0;
    static BankZone zones[kBankMaxZones];
    const SInt32 keys[] = {-1, 0, 36, 127};
    for (UInt32 p = 0; p < reader.presetCount && p < 64; p++) {
        for (SInt32 key : keys) {
            UInt32 count = 0;
            if (AplatitPresetSf2(&reader, p, key, zones, kBankMaxZones, &count) != noErr) return 0;
            for (UInt32 z = 0; z < count; z++) {
                if (VerifieZoneBanque(&zones[z], nullptr, 0) != noErr) __builtin_trap();
                BankSampleHeader header;
                const UInt8 *frames;
                if (InfoEchantillonSf2(&reader, zones[z].sample, &header, &frames) != noErr) __builtin_trap();
                if (frames < data || frames + size_t(header.frames) * 2 > data + size) __builtin_trap();
                if (key >= 0 && (zones[z].keyLow != key || zones[z].keyHigh != key)) __builtin_trap();
            }
        }
    }
    return 0;
}

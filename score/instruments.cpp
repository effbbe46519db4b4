// Instruments of a score.
#include "score/instruments.h"

#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

const SInt16 kCanalDefaut = 1;
const SInt16 kVolumeDefaut = 127;
const SInt16 kPanDefaut = 64;

const char *const kNomsMetronome[2] = {"Metronome", "Metronome (weak)"};
const UInt8 kTouchesMetronome[2] = {kToucheMetronomeFort, kToucheMetronomeFaible};

SInt16 Borne7Bits(SInt32 value) { return SInt16(value < 0 ? 0 : value > 127 ? 127 : value); }

}  // namespace

SInt16 AjouteInstrument(ScoreHandle score) {
    if (!IsPartitionValide(score) || (*score)->instrumentCount >= kMaxInstruments) return -1;
    InstrumentRecord instrument;
    std::memset(&instrument, 0, sizeof instrument);
    instrument.channel = kCanalDefaut;
    instrument.volume = kVolumeDefaut;
    instrument.pan = kPanDefaut;
    Handle list = (*score)->instruments;
    OSErr err = list ? PtrAndHand(&instrument, list, sizeof instrument)
                     : PtrToHand(&instrument, &list, sizeof instrument);
    if (err != noErr) return -1;
    (*score)->instruments = list;
    return (*score)->instrumentCount++;
}

InstrumentRecord *GetInstrumentPtr(ScoreHandle score, SInt16 index) {
    if (!IsPartitionValide(score) || index < 0 || index >= (*score)->instrumentCount) return nullptr;
    return reinterpret_cast<InstrumentRecord *>(*(*score)->instruments) + index;
}

Boolean GetNomInstrument(ScoreHandle score, SInt16 index, char *name) {
    if (!name) return kFalse;
    const InstrumentRecord *instrument = GetInstrumentPtr(score, index);
    name[0] = 0;
    if (!instrument) return kFalse;
    std::memcpy(name, instrument->name, kNomInstrumentTaille);
    name[kNomInstrumentTaille - 1] = 0;
    return kTrue;
}

SInt16 RechercheInstrumentParNom(ScoreHandle score, const char *name) {
    if (!name || !IsPartitionValide(score)) return -1;
    for (SInt16 i = 0; i < (*score)->instrumentCount; i++)
        if (strncmp(GetInstrumentPtr(score, i)->name, name, kNomInstrumentTaille) == 0) return i;
    return -1;
}

OSErr SetNomInstrument(ScoreHandle score, SInt16 index, const char *name) {
    InstrumentRecord *instrument = GetInstrumentPtr(score, index);
    if (!instrument) return paramErr;
    std::memset(instrument->name, 0, kNomInstrumentTaille);
    if (name) strncpy(instrument->name, name, kNomInstrumentTaille - 1);
    return noErr;
}

OSErr CvtIdStandardEnParamMIDIInstrument(ScoreHandle score, SInt16 index) {
    InstrumentRecord *instrument = GetInstrumentPtr(score, index);
    if (!instrument) return paramErr;
    SInt32 id = instrument->standardId < 0 ? 0 : instrument->standardId;
    instrument->program = Borne7Bits(id / 100);
    instrument->bank = Borne7Bits(id % 100 / 10);
    instrument->soundId = UInt32(instrument->unpitched
                                     ? RsrcDgitBatterie(instrument->program, instrument->transposition)
                                     : RsrcDgitInstrument(instrument->program, SInt16(instrument->bank * 128)));
    return noErr;
}

SInt32 RsrcDgitInstrument(SInt16 program, SInt16 bank128) {
    SInt32 bank = bank128 < 0 ? 0 : bank128 / 128;
    return Borne7Bits(program) + 128 * Borne7Bits(bank);
}

SInt32 RsrcDgitBatterie(SInt16 kit, SInt16 key) {
    SInt32 set = kit < 0 ? 0 : kit % 128;
    return kBaseRsrcBatterie + 128 * set + Borne7Bits(key);
}

SInt16 CreeInstrumentsMetronome(ScoreHandle score) {
    SInt16 first = -1;
    for (SInt32 k = 0; k < 2; k++) {
        SInt16 index = RechercheInstrumentParNom(score, kNomsMetronome[k]);
        if (index < 0) {
            index = AjouteInstrument(score);
            if (index < 0 || SetNomInstrument(score, index, kNomsMetronome[k]) != noErr) return -1;
            InstrumentRecord *instrument = GetInstrumentPtr(score, index);
            instrument->unpitched = 1;
            instrument->transposition = kTouchesMetronome[k];
            instrument->channel = kCanalBatterie;
            instrument->soundId = UInt32(RsrcDgitBatterie(0, kTouchesMetronome[k]));
        }
        if (k == 0) first = index;
    }
    return first;
}

StaffHandle CreePorteeMetronome(ScoreHandle score) {
    StaffHandle staff = GetPorteeMetronome(score);
    if (staff || !IsPartitionValide(score)) return staff;
    SInt16 instrument = CreeInstrumentsMetronome(score);
    if (instrument < 0) return nullptr;
    staff = CreePorteeVide(score, kPorteeMetronome, 0, 0);
    if (!staff) return nullptr;
    (*staff)->instrument = instrument;
    (*staff)->visible = 0;
    (*staff)->printable = 0;
    (*score)->metronome = 1;
    return staff;
}

StaffHandle GetPorteeMetronome(ScoreHandle score) {
    if (!IsPartitionValide(score)) return nullptr;
    for (SInt16 s = 0; s < (*score)->staffCount; s++)
        if ((*GetPortee(score, s))->type == kPorteeMetronome) return GetPortee(score, s);
    return nullptr;
}

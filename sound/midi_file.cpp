// Standard MIDI files of prepared scores.
#include "sound/midi_file.h"

#include <algorithm>
#include <cstdio>

#include "platform/core/byte_reader.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "sound/sound_bank.h"

namespace {

const UInt8 kCanalBatterieMidi = 9;
const UInt32 kCanauxMidi = 16;

// One message of the track before it is written: its tick, then offs before ons.
struct MidiMessage {
    UInt64 tick;
    UInt8 order;         // 0 set-up, 1 note off, 2 note on
    UInt8 status, data1, data2;
};

UInt8 CanalDe(SInt32 instrument, SInt32 *channels, UInt32 *used);
void EcritVariable(ByteWriter *w, UInt64 value);
OSErr EcritPiste(ByteWriter *track, MidiMessage *messages, UInt32 count);

}  // namespace

OSErr EcritFichierMidi(const char *path, const PartitionSonRecord *p) {
    if (!path || !p || p->rate == 0 || (p->plan.eventCount && !p->plan.events)) return paramErr;
    UInt32 room = 2 * p->plan.eventCount + 4 * kCanauxMidi;
    MidiMessage *messages = reinterpret_cast<MidiMessage *>(NewPtr(room * sizeof(MidiMessage)));
    if (!messages) return memFullErr;
    SInt32 channels[kCanauxMidi];
    UInt32 used = 0, count = 0;
    const double ticksPerFrame = double(kMidiTicksParNoire) * 1e6 / kMidiMicrosecondesParNoire / p->rate;
    for (UInt32 i = 0; i < p->plan.eventCount; i++) {
        const SoundEvent &e = p->plan.events[i];
        UInt32 before = used;
        UInt8 channel = CanalDe(e.instrument, channels, &used);
        if (used != before && !EstIdBatterie(e.instrument)) {
            const SoundStaffBlock *block = e.staff < p->plan.staffCount ? &p->staves[e.staff] : nullptr;
            UInt8 volume = block ? block->volume : 127, pan = block ? UInt8((block->pan + 100) * 127 / 200) : 64;
            messages[count++] = {0, 0, UInt8(0xB0 | channel), 0, UInt8(e.instrument / 128)};
            messages[count++] = {0, 0, UInt8(0xC0 | channel), UInt8(e.instrument % 128), 0};
            messages[count++] = {0, 0, UInt8(0xB0 | channel), 7, volume};
            messages[count++] = {0, 0, UInt8(0xB0 | channel), 10, pan};
        }
        UInt64 on = UInt64(double(e.onset) * ticksPerFrame + 0.5);
        UInt64 off = UInt64(double(e.onset + std::max<SInt32>(e.length, 1)) * ticksPerFrame + 0.5);
        messages[count++] = {on, 2, UInt8(0x90 | channel), e.key, std::max<UInt8>(e.velocity, 1)};
        messages[count++] = {std::max(off, on + 1), 1, UInt8(0x80 | channel), e.key, 0};
    }
    std::stable_sort(messages, messages + count, [](const MidiMessage &a, const MidiMessage &b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    Handle bytes = NewHandle(0);
    ByteWriter w = OrvaByteWriter(bytes);
    OSErr err = bytes ? EcritPiste(&w, messages, count) : OSErr(memFullErr);
    DisposPtr(reinterpret_cast<Ptr>(messages));
    if (err == noErr) {
        FILE *file = fopen(path, "wb");
        Boolean ok = file && fwrite(*bytes, 1, w.size, file) == w.size;
        if (file && fclose(file) != 0) ok = false;
        if (!ok) err = ioErr;
    }
    if (bytes) DisposHandle(bytes);
    return err;
}

namespace {

// Kits share channel 10; each other instrument takes the next free channel, the fifteen
// melodic channels shared in turn beyond fifteen instruments.
UInt8 CanalDe(SInt32 instrument, SInt32 *channels, UInt32 *used) {
    if (EstIdBatterie(instrument)) return kCanalBatterieMidi;
    for (UInt32 c = 0; c < *used; c++)
        if (channels[c] == instrument) return UInt8(c < kCanalBatterieMidi ? c : c + 1);
    UInt32 slot = *used < kCanauxMidi - 1 ? (*used)++ : (instrument % (kCanauxMidi - 1));
    channels[slot] = instrument;
    return UInt8(slot < kCanalBatterieMidi ? slot : slot + 1);
}

void EcritVariable(ByteWriter *w, UInt64 value) {
    UInt8 bytes[10];
    SInt32 n = 0;
    bytes[n++] = UInt8(value & 0x7F);
    while ((value >>= 7) && n < 10) bytes[n++] = UInt8(0x80 | (value & 0x7F));
    while (n > 0) Put8(w, bytes[--n]);
}

// The header chunk, then the track: its tempo, the messages, the end of track.
OSErr EcritPiste(ByteWriter *w, MidiMessage *messages, UInt32 count) {
    PutBytes(w, "MThd", 4);
    Put32(w, 6);
    Put16(w, 0);
    Put16(w, 1);
    Put16(w, kMidiTicksParNoire);
    PutBytes(w, "MTrk", 4);
    size_t lengthAt = w->size;
    Put32(w, 0);
    Put8(w, 0);
    PutBytes(w, "\xFF\x51\x03", 3);
    Put24(w, kMidiMicrosecondesParNoire);
    UInt64 last = 0;
    for (UInt32 i = 0; i < count; i++) {
        const MidiMessage &m = messages[i];
        EcritVariable(w, m.tick - last);
        last = m.tick;
        Put8(w, m.status);
        Put8(w, m.data1);
        if ((m.status & 0xF0) != 0xC0) Put8(w, m.data2);
    }
    PutBytes(w, "\x00\xFF\x2F\x00", 4);
    if (w->failed) return memFullErr;
    size_t end = w->size;
    ByteWriter length = OrvaByteWriter(w->handle, lengthAt);
    Put32(&length, UInt32(end - lengthAt - 4));
    w->size = end;
    return length.failed ? OSErr(memFullErr) : OSErr(noErr);
}

}  // namespace

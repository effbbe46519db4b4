// Reading SF2 (RIFF "sfbk") instrument files for the bank generator: the chunk tables, each
// preset flattened into bank zones (generators of the preset and instrument levels combined,
// modulators left out), and the 16-bit samples. Every count, index and offset is checked
// against the bytes present; hostile files give errors, never reads outside them.
#pragma once

#include <cstddef>

#include "platform/core/mac_types.h"
#include "sound/bank_format.h"
#include "platform/core/byte_reader.h"

enum : UInt32 {
    kSf2MaxWork = 20000000,   // zone pairs one file may make the flattening visit
};

// The parsed tables of an SF2 file held in memory (the bytes stay the caller's).
struct Sf2Reader {
    ByteReader samples;  // "smpl": little-endian 16-bit samples
    ByteReader phdr, pbag, pgen, inst, ibag, igen, shdr;
    UInt32 presetCount;       // records less the terminal one
    UInt32 instrumentCount;
    UInt32 sampleCount;
    UInt32 work;              // zone pairs visited so far, against kSf2MaxWork
};

struct Sf2PresetInfo {
    char name[21];
    UInt16 program;
    UInt16 bank;              // 128: a drum kit whose number is the program
};

// Finds and checks the tables: noErr, or paramErr / eofErr with a message.
OSErr LitSf2(const void *bytes, size_t size, Sf2Reader *reader, char *message, size_t messageSize);
// The name, program and bank of preset index (below presetCount); false when out of range.
Boolean InfoPresetSf2(const Sf2Reader *reader, UInt32 index, Sf2PresetInfo *info);
// Flattens preset index into zones (at most max) whose sample numbers are SF2 sample indices.
// With key 0..127 only the zones that key plays are given, narrowed to it, its pitch folded
// into root and tune (for drum kits, whose keys need not follow the scale); key -1: all.
// Zones that name missing instruments or samples or empty ranges are left out. paramErr once
// the reader's work limit is reached.
OSErr AplatitPresetSf2(Sf2Reader *reader, UInt32 index, SInt32 key, BankZone *zones, UInt32 max, UInt32 *count);
// The header and samples of sample index as a bank sample (loop relative to its start):
// *data points into the file's bytes, little-endian, header->frames of them. paramErr for a
// sample outside the data, a ROM sample or a bad rate.
OSErr InfoEchantillonSf2(const Sf2Reader *reader, UInt32 index, BankSampleHeader *header, const UInt8 **data);

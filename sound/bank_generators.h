// The two ways the project makes its sound banks: "OMS Basic" synthesised from additive waves
// and noise, and "OMS Full" converted from an SF2 file. Both write through the bank writer
// and give the same bytes for the same input. Used by tools/mkbank.
#pragma once

#include <cstddef>

#include "platform/core/mac_types.h"

enum : UInt32 {
    kSyntheticFirstSample = 90000,  // "OMS Basic" numbers its samples from here
    kSf2FirstSample = 0,            // "OMS Full" from here, so both can share one folder
    kSf2MaxFileBytes = 1u << 30,    // SF2 files larger than this are refused
};

// Writes "OMS Basic" (level 0: programs 0..127 and the 47 drums of kit 0 on keys 35..81)
// into folder: noErr, or an error with a message.
OSErr CreeBanqueSynthetique(const char *folder, char *message, size_t messageSize);
// Writes "OMS Full" (level 5) from the SF2 file at sf2Path into folder: every preset of a bank
// below 128 as a program, every preset of bank 128 as a kit, one instrument per drum key.
OSErr CreeBanqueDepuisSf2(const char *sf2Path, const char *folder, char *message, size_t messageSize);

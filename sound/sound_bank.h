// The process-wide sound bank: which bank is open, its level, and the instruments and samples
// loaded from it. Loading happens on the main thread before playing; the mixer only reads
// what was loaded (through pointers that never move) and never reads a file.
#pragma once

#include "platform/core/mac_types.h"
#include "score/instruments.h"
#include "sound/bank_format.h"

enum : SInt16 {
    kBankLevelCount = 6,      // levels 0..5 have names; LevelBase answers 6 for any other name
    kBankLevelDefault = 6,    // InitFichiersRessourcesDigitPlugIn: 6 and above open the default bank
};
enum : SInt32 {
    kBankDrumBase = kBaseRsrcBatterie,  // ids of drum kits start here: 16384 + 128 kit + key
    kBankChoirProgram = 52,   // sung instruments play the choir program
    kBankSungFirst = 5210,    // the sung instrument ids
    kBankSungLast = 5240,
    kBankInstrumentSlots = 32768,
};

// A sample in memory, host order, frames x channels interleaved.
struct BankSample {
    UInt32 number;
    UInt32 rate;                // Hz
    UInt32 frames;
    UInt32 loopStart, loopEnd;  // loopEnd 0: no loop of its own
    UInt16 channels;            // 1 or 2
    const SInt16 *data;         // a Ptr owned by the bank
};

// An instrument in memory: its zones, each zone's sample resolved (never null).
struct BankInstrument {
    SInt32 id;
    UInt32 zoneCount;
    const BankZone *zones;
    const BankSample *const *samples;  // one per zone
};

// The ids of a program of a bank and of a drum of a kit: the score's instrument arithmetic
// (RsrcDgitInstrument, RsrcDgitBatterie), program + 128 bank and 16384 + 128 (kit mod 128) +
// key, each number held to 0..127.
SInt32 IdProgrammeBanque(SInt32 program, SInt32 bank);
SInt32 IdBatterieBanque(SInt32 kit, SInt32 key);
Boolean EstIdBatterie(SInt32 id);

// Level of a bank by its name (ignoring case): 0..5, 6 for any other name.
SInt16 LevelBase(const char *name);
// The name of the bank of a level 0..5 ("" otherwise).
const char *NomBanqueDuNiveau(SInt16 level);
// The open bank's name, "" when none is open.
const char *GetNameSoundDataBase();
// The folder searched for banks; null or "" restores the default search ("SoundBank" in the
// current folder, then in the library's shared folder). Closes the open bank when it changes.
void FixeDossierBanqueSon(const char *folder);
// Opens the default bank (the highest level present); true on success.
Boolean InitFichiersRessourcesDigit();
// Closes the bank and frees every instrument and sample loaded from it.
void CloseFichiersRessourcesDigit();
// Opens the bank of a level (6 and above: the default bank). A bank of that level already
// open answers true and reads nothing. False when no such bank can be opened (the bank open
// before stays closed).
Boolean InitFichiersRessourcesDigitPlugIn(SInt16 level);

// The instrument a note of id and key plays, loading it and its samples on first use (main
// thread). Missing ids fall back: a drum to kit 0; a sung id to the choir program; a program
// to bank 0, then to program 0. Null when nothing fits or no bank is open.
const BankInstrument *ChargeInstrumentBanque(SInt32 id, UInt8 key);
// Counts of the open bank's instruments: programs (ids below 16384) and drums.
void CompteInstrumentsBanque(SInt32 *programs, SInt32 *drums);
// The open bank's description (zeroed when none is open).
void GetInfoBanque(BankInfoRecord *info);

// Reads a bank file's description and counts its instruments without making it the open
// bank: noErr, or an error with BankErrorMessage.
OSErr LitResumeBanque(const char *path, BankInfoRecord *info, SInt32 *programs, SInt32 *drums);
// The last problem the last bank call met (noErr and "" when it met none): a missing or
// damaged instrument or sample, even when a fallback played instead.
OSErr BankError();
const char *BankErrorMessage();
// Test seam: bank and sample files opened since start-up.
UInt32 BankFilesOpened();

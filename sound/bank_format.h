// The stored formats of the sound bank: the bank's 'BKNF' and 'INST' resources and the
// "%05d.rsd" sample files, their readers, and the writer the bank generators use. The
// layouts are described where they are read, in bank_format.cpp, and in docs/sound-bank.md.
#pragma once

#include <cstddef>

#include "platform/core/mac_types.h"
#include "platform/core/byte_reader.h"

enum : ResType {
    kBankInfoType = 0x424B4E46,        // 'BKNF'
    kBankInstrumentType = 0x494E5354,  // 'INST'
};
enum : SInt16 { kBankInfoId = 128 };

enum : UInt32 {
    kBankNameMax = 63,                // bytes of a bank's name
    kBankMaxZones = 512,              // zones of one instrument
    kBankZoneBytes = 46,              // one stored zone
    kBankMaxSampleNumber = 99999,     // sample files are numbered with five digits
    kBankMinRate = 1000,              // Hz; samples and banks outside are refused
    kBankMaxRate = 192000,
    kBankMaxFrames = 1u << 26,        // frames of one sample (about 25 minutes at 44.1 kHz)
    kBankSampleHeaderBytes = 22,
    kBankMaxInstrumentId = 32767,     // resource ids are signed 16-bit
};
enum : UInt8 { kBankLoopNone = 0, kBankLoopContinuous = 1, kBankLoopUntilRelease = 2 };

// A bank's description ('BKNF' 128).
struct BankInfoRecord {
    char name[kBankNameMax + 1];  // MacRoman, NUL-terminated
    SInt16 level;                 // 0..5 for the named banks
    UInt32 rate;                  // Hz of most of its samples
};

// One zone of an instrument: which sample a key and velocity play, and how.
struct BankZone {
    UInt8 keyLow, keyHigh;            // inclusive MIDI keys, low <= high
    UInt8 velocityLow, velocityHigh;  // inclusive velocities, low <= high
    UInt32 sample;                    // sample file number, 0..kBankMaxSampleNumber
    UInt8 rootKey;                    // key at which the sample sounds as recorded
    UInt8 loopMode;                   // kBankLoop...
    SInt16 tune;                      // cents added to the pitch, -12000..12000
    SInt16 gain;                      // centibels, -1440..240
    SInt16 pan;                       // -500 left .. 500 right
    UInt32 start, end;                // frames played: [start, end); end 0: the sample's end
    UInt32 loopStart, loopEnd;        // frames; loopEnd 0: the sample's own loop
    UInt16 attack, hold, decay, release;  // milliseconds
    UInt16 sustain;                   // level held after the decay, per mille of the peak
    UInt16 cutoff;                    // low-pass cutoff in Hz, 0: no filter
    UInt16 resonance;                 // centibels of resonance at the cutoff, 0..960
};

// A sample file's header; the frames follow as big-endian signed 16-bit, channels interleaved.
struct BankSampleHeader {
    UInt32 rate;                 // Hz, kBankMinRate..kBankMaxRate
    UInt32 frames;               // 1..kBankMaxFrames
    UInt32 loopStart, loopEnd;   // loopEnd 0 or loopEnd <= loopStart: no loop of its own
    UInt16 channels;             // 1 or 2
};

// Writes a printf-style message into message (when given) and answers err: how the bank's
// readers report a refusal.
OSErr ErreurBanque(OSErr err, char *message, size_t messageSize, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
// Reads the 'BKNF' data: noErr, or eofErr / paramErr with a message ("rate 0").
OSErr LitInfoBanque(const void *bytes, size_t size, BankInfoRecord *info, char *message, size_t messageSize);
void EcritInfoBanque(const BankInfoRecord *info, ByteWriter *w);
// Reads an 'INST' data into zones (at most max): noErr, or eofErr / paramErr and a message
// naming the first bad zone; a bad instrument gives no zones (*count 0).
OSErr LitZonesInstrument(const void *bytes, size_t size, BankZone *zones, UInt32 max, UInt32 *count,
                         char *message, size_t messageSize);
void EcritZonesInstrument(const BankZone *zones, UInt32 count, ByteWriter *w);
// Checks one zone's fields: noErr or paramErr with a message.
OSErr VerifieZoneBanque(const BankZone *zone, char *message, size_t messageSize);

// Reads a sample file's header from the cursor: noErr, or eofErr / paramErr and a message.
OSErr LitEnteteEchantillon(ByteReader *c, BankSampleHeader *header, char *message, size_t messageSize);
// Loads a whole sample file: the header and a new Ptr of frames x channels host-order
// samples (caller disposes). fnfErr, eofErr, paramErr or memFullErr with a message; *data
// is null on failure.
OSErr ChargeFichierEchantillon(const char *path, BankSampleHeader *header, SInt16 **data,
                               char *message, size_t messageSize);
// Writes a sample file (frames x channels host-order samples): noErr or ioErr / paramErr.
OSErr EcritFichierEchantillon(const char *path, const BankSampleHeader *header, const SInt16 *data);
// "DIR/Samples/NNNNN.rsd" into path (pathSize bytes).
void NomFichierEchantillon(const char *folder, UInt32 number, char *path, size_t pathSize);

// A bank being written: a resource file named after the bank in folder and its samples in
// folder/Samples. Resources go in in the order given; the same calls give the same bytes.
struct BankWriterRecord {
    char folder[1024];
    char name[kBankNameMax + 1];
    SInt16 resFile;              // the open resource file, 0 when none
    SInt16 previousResFile;      // the current resource file before, made current again at the end
    char temporary[1100];        // the file written, renamed to "<name>.rsr" by FermeEcritureBanque
};
// Creates folder and folder/Samples when missing and starts the resource file: noErr, or
// ioErr / paramErr with a message.
OSErr OuvreEcritureBanque(const char *folder, const BankInfoRecord *info, BankWriterRecord *writer,
                          char *message, size_t messageSize);
OSErr AjouteInstrumentBanque(BankWriterRecord *writer, SInt32 id, const BankZone *zones, UInt32 count);
// Writes the resource file and renames it into place; cancel: removes it instead.
OSErr FermeEcritureBanque(BankWriterRecord *writer, Boolean cancel);

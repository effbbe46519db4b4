// Where the real-time writer sends mixed frames: a sound device through ALSA, a clocked null
// output that only consumes frames at the speed of the clock, a WAV file, or a fake device
// whose clock tests drive. One static row per kind; a device name picks the row.
// Code: output_driver.cpp (rows chosen by name, the wrappers, null and fake rows, the device
// name), output_alsa.cpp (the ALSA row), output_file.cpp (the WAV file row).
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 {
    kOutputDeviceNameSize = 4096,  // bytes of the device-name buffer, terminator included
    kOutputBufferSteps = 16,       // a device buffer holds 16 mixing steps (80 ms)
};
enum : OSErr {
    kOutputUnderrun = -3301,       // the device ran dry; the row has made it ready again
    kOutputFailed = -3302,         // the device is gone or refused the format
};
enum : UInt8 {
    kOutputClockMonotonic = 0,     // the device consumes at the speed of the monotonic clock
    kOutputClockFake = 1,          // the fake device's clock (OutputFakeClockFrames)
};

struct OutputRecord;
// One row per kind of output. Every slot runs on the writer thread except open and close,
// which the main thread also uses to probe a device. avail and write answer frames or a
// negative code: kOutputUnderrun, kOutputFailed.
struct OutputOps {
    const char *name;                                  // "alsa", "null", "file", "fake"
    UInt32 recordSize;                                 // bytes of the row's record
    OSErr (*open)(OutputRecord *out, const char *device);
    SInt64 (*avail)(OutputRecord *out);                // frames the device takes now
    SInt64 (*write)(OutputRecord *out, const SInt16 *frames, UInt32 count);  // frames taken
    SInt64 (*delay)(OutputRecord *out);                // frames written and not yet heard
    void (*close)(OutputRecord *out, Boolean drain);   // drain: let the device play what it holds
};

// The record every row's own record begins with.
struct OutputRecord {
    const OutputOps *ops;
    UInt32 rate;            // frames a second, as asked
    UInt16 channels;        // 1 or 2
    UInt32 stepFrames;      // frames of one mixing step (rate / 200, rounded up)
    SInt64 bufferFrames;    // the device buffer, set by open
    Boolean paces;          // the device takes frames only as fast as it plays them
    UInt8 clock;            // kOutputClock...: what its frames are consumed by
    SInt64 taken;           // frames written through EcritSortieSon since the open
};

// Opens the output the device name asks for (see docs/sound-output.md): a new record, the
// caller's, in *out. kOutputFailed (and *out null) when the device cannot be opened with the
// rate and channels; paramErr for a bad format; memFullErr.
OSErr OuvreSortieSon(const char *device, UInt32 rate, UInt16 channels, OutputRecord **out);
// The clocked null output (opening it cannot fail but for memory).
OSErr OuvreSortieSonMuette(UInt32 rate, UInt16 channels, OutputRecord **out);
SInt64 DisponibleSortieSon(OutputRecord *out);
SInt64 EcritSortieSon(OutputRecord *out, const SInt16 *frames, UInt32 count);
SInt64 DelaiSortieSon(OutputRecord *out);
void FermeSortieSon(OutputRecord **out, Boolean drain);  // clears *out; null does nothing
// The device clock in frames at the rate: monotonic time, or the fake device's clock.
SInt64 HorlogeSortieSon(UInt8 clock, UInt32 rate);

// The first name of the plug-in's output-device table (up to a line feed, at most 4095 bytes,
// "default" when empty) into name (kOutputDeviceNameSize bytes).
void LitNomPeriphSortie(char *name);

// Test seams. The fake device ("fake", or "fake:N" for a clock running N times real time)
// consumes frames as its clock says: tests move it with AvanceHorlogeFactice.
void AvanceHorlogeFactice(SInt64 frames);
SInt64 OutputFakeClockFrames();
// From now on every output's write fails (as an unplugged device would) once frames in all
// have been written through it since it opened; -1 stops failing.
void FixeEchecSortieSon(SInt64 frames);

// The WAV file row ("file:PATH"): every frame written lands in a 16-bit WAV file, whose
// lengths are filled in when it closes. It takes a whole buffer at once, so the writer paces it
// by the clock like the null output.
#include <cstdio>

#include "platform/core/errors.h"
#include "sound/output_driver.h"
#include "sound/synth.h"

namespace {

struct FileOutput {
    OutputRecord base;
    FILE *file;
    UInt32 frames;  // written so far
};

OSErr FileOpen(OutputRecord *out, const char *device);
SInt64 FileAvail(OutputRecord *out);
SInt64 FileWrite(OutputRecord *out, const SInt16 *frames, UInt32 count);
SInt64 FileDelay(OutputRecord *out);
void FileClose(OutputRecord *out, Boolean drain);

}  // namespace

extern const OutputOps kOutputFileOps;
const OutputOps kOutputFileOps = {"file", sizeof(FileOutput), FileOpen, FileAvail, FileWrite, FileDelay, FileClose};

namespace {

OSErr FileOpen(OutputRecord *out, const char *device) {
    FileOutput *f = reinterpret_cast<FileOutput *>(out);
    const char *path = device + 5;  // after "file:"
    f->file = *path ? fopen(path, "wb") : nullptr;
    if (!f->file) return kOutputFailed;
    UInt8 header[kWavHeaderSize];
    RemplitEnteteWav(header, 0, out->channels, out->rate);
    if (fwrite(header, 1, sizeof header, f->file) != sizeof header) {
        fclose(f->file);
        return kOutputFailed;
    }
    out->paces = false;
    out->clock = kOutputClockMonotonic;
    return noErr;
}

SInt64 FileAvail(OutputRecord *out) { return out->bufferFrames; }

SInt64 FileWrite(OutputRecord *out, const SInt16 *frames, UInt32 count) {
    FileOutput *f = reinterpret_cast<FileOutput *>(out);
    if (count > kWavMaxFrames - f->frames) return kOutputFailed;
    if (AjouteEchantillonsWav(f->file, frames, size_t(count) * out->channels) != noErr) return kOutputFailed;
    f->frames += count;
    return count;
}

SInt64 FileDelay(OutputRecord *) { return 0; }

void FileClose(OutputRecord *out, Boolean) {
    FileOutput *f = reinterpret_cast<FileOutput *>(out);
    UInt8 header[kWavHeaderSize];
    RemplitEnteteWav(header, f->frames, out->channels, out->rate);
    if (fseek(f->file, 0, SEEK_SET) == 0) fwrite(header, 1, sizeof header, f->file);
    fclose(f->file);
}

}  // namespace

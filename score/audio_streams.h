// Audio streams: numbered tracks of 16-bit mono samples that sung staves are rendered into and
// the mixer plays, kept in memory when asked and possible, else in an unnamed temporary file.
// Creating, disposing and growing take the stream critical section (257) themselves; reading
// and writing samples rely on the caller holding it, as the singer's idle work and the mixer do.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt16 { kMaxFlux = 64 };  // streams at once, numbered 1..kMaxFlux (0: none)
enum : SInt32 {
    kNomFluxTaille = 32,                // bytes of a stream's name kept, zero included
    kFluxEchantillonsMax = 0x3FFFFFFF,  // samples of one stream
};

// A stream of length zero samples at position 0; its number, or 0 for a bad length, a full
// table or no memory and no temporary file. The name is for messages. Main thread (it reads the
// folder tree for the temporary folder).
SInt16 CreateFlux(const char *name, SInt32 length, Boolean inMemory);
void DisposeFlux(SInt16 stream);  // frees it; its number may be given again
// Writes count samples at the position, growing the stream past its end, and answers how many
// were written; the position moves past them. A write that fails (disk or memory) answers the
// short count and is reported once per stream ("WriteFlux:write error") through the queued
// error path, so that the timer thread never stops the process.
SInt32 WriteFlux(const SInt16 *samples, SInt32 count, SInt16 stream);
SInt32 FillFlux(SInt16 stream, SInt32 count);  // count zero samples, as WriteFlux writes
Boolean SeekFlux(SInt16 stream, SInt32 position);  // false for a bad stream or a position past its end
SInt32 TellFlux(SInt16 stream);       // the position in samples; -1 for a bad stream
SInt32 GetLengthFlux(SInt16 stream);  // the length in samples; -1 for a bad stream
// Copies up to count samples from sample first on into samples, leaving the position alone:
// the mixer's read. Answers how many (0 past the end or for a bad stream). Allocates nothing.
SInt32 LitEchantillonsFlux(SInt16 stream, SInt64 first, SInt32 count, SInt16 *samples);
Boolean IsFluxEnMemoire(SInt16 stream);  // kept in memory (false also for a bad stream)

// Test seam: when set, every sample write goes through write instead of the stream's own,
// which answers how many samples it wrote. Null restores the streams' writers.
void OrvaSetFluxWriteSeam(SInt32 (*write)(SInt16 stream, SInt64 at, SInt32 count, const SInt16 *samples));

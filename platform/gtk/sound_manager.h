// The Sound Manager: sound channels, 'snd ' data turned into RIFF WAVE images, and the
// ALSA output that plays them (synchronously, or asynchronously through a writer task on
// the Time Manager), and the system beep.
#pragma once
#include <stdint.h>

#include "platform/core/mac_types.h"

enum : UInt16 {
    kSndNullCmd = 0,
    kSndCallBackCmd = 13,
    kSndVolumeCmd = 46,
    kSndBufferCmd = 81,
    kSndAvailableCmd = 24,
};

struct SndCommand {
    UInt16 cmd;
    SInt16 param1;
    intptr_t param2;  // wide enough for a handle
};

struct SndChannel;
typedef SndChannel *SndChannelPtr;
typedef void (*SndCallBackProcPtr)(SndChannelPtr chan, SndCommand *cmd);

struct SndChannel {
    SndChannelPtr nextChan;
    Ptr firstMod;
    SndCallBackProcPtr callBack;
    intptr_t userInfo;
    SInt32 wait;
    SndCommand cmdInProgress;
    SInt16 flags;  // kSndChannelAllocatedHere when SndNewChannel allocated it
    SInt16 qLength;
    SInt16 qHead;
    SInt16 qTail;
    SndCommand queue[128];
};
enum : SInt16 { kSndChannelAllocatedHere = 1 };

struct SCStatus {
    UInt32 scStartTime;
    UInt32 scEndTime;
    UInt32 scCurrentTime;
    Boolean scChannelBusy;
    Boolean scChannelDisposed;
    Boolean scChannelPaused;
    Boolean scUnused;
    UInt32 scChannelAttributes;
    SInt32 scCPULoad;
};

struct NumVersion {
    UInt8 majorRev;
    UInt8 minorAndBugRev;
    UInt8 stage;
    UInt8 nonRelRev;
};

OSErr SndNewChannel(SndChannelPtr *chan, SInt16 synth, SInt32 init, SndCallBackProcPtr userRoutine);
OSErr SndDoCommand(SndChannelPtr chan, const SndCommand *cmd, Boolean noWait);
OSErr SndDoImmediate(SndChannelPtr chan, const SndCommand *cmd);
OSErr SndPlay(SndChannelPtr chan, Handle sndHandle, Boolean async);
OSErr SndChannelStatus(SndChannelPtr chan, SInt16 length, SCStatus *status);
OSErr SndControl(SInt16 id, SndCommand *cmd);
OSErr SndDisposeChannel(SndChannelPtr chan, Boolean quietNow);
OSErr SetupSndHeader(Handle sndHandle, SInt16 numChannels, UInt32 sampleRate, SInt16 sampleSize,
                     OSType compressionType, SInt16 baseNote, UInt32 numBytes, SInt16 *headerLen);
void GetSoundVol(SInt16 *level);
void SetSoundVol(SInt16 level);
void InitSoundHp();
void SysBeep(SInt16 duration);
NumVersion SndSoundManagerVersion();
NumVersion SPBVersion();
NumVersion MACEVersion();
SInt32 SndDispVersion();
Boolean SoundDone();
OSErr SndStartFilePlay(SndChannelPtr, SInt16, SInt16, SInt32, Ptr, void *, void *, Boolean);
OSErr SndPauseFilePlay(SndChannelPtr);
OSErr SndStopFilePlay(SndChannelPtr, Boolean);
OSErr SndManagerStatus(SInt16, void *);
OSErr SndSetSysBeepState(SInt16);
void SndGetSysBeepState(SInt16 *);
OSErr SndPlayDoubleBuffer(SndChannelPtr, void *);
OSErr SndAddModifier(SndChannelPtr, void *, SInt16, SInt32);
void _StartSound(Ptr, SInt32, void *);
void _StopSound();
void Comp3to1(const void *, void *, UInt32, void *, void *, UInt32, UInt32);
void Exp1to3(const void *, void *, UInt32, void *, void *, UInt32, UInt32);
void Comp6to1(const void *, void *, UInt32, void *, void *, UInt32, UInt32);
void Exp1to6(const void *, void *, UInt32, void *, void *, UInt32, UInt32);

// Stops the output, disposes of the playing sound and of every queued command.
void OrvaFlushSndQueue();

// The RIFF WAVE image (a new handle, the caller's) of the 'snd ' data in sound: 0, -204 for a
// format other than 1 and 2, -206 for an encoding or sample layout not handled, -207 for a
// header or command list past the end of the handle (or no memory for the image). Only the
// frames present in the handle are converted, whatever the header claims.
OSErr OrvaConvertSndToRiff(Handle sound, Handle *riff);

// A new handle holding a RIFF WAVE image of frames big-endian samples (null when memory is short).
Handle CvtBufferMacToRiff(const UInt8 *samples, SInt16 channels, SInt16 bits, UInt32 rate, UInt32 frames);

// ALSA output. PlaySound answers 1 when playing started (async) or completed (sync), 0 otherwise.
UInt32 SystemDependantPlaySound(Handle riffData, Boolean async);
UInt32 SystemDependantStopSound();
Boolean SystemDependantBeep(const char *device);

// True while an asynchronous sound still has frames to write or the device still plays them.
Boolean OrvaSoundOutputBusy();
// The pacing rule of every output whose device takes a whole buffer at once (a null or file
// device): frames written stay at most the frames the clock has consumed plus one buffer.
// Answers how many frames may still be written now.
UInt64 OrvaPacedRoom(UInt64 written, UInt64 clockFrames, UInt64 bufferFrames);

// Diagnostics: the PCM calls made, one name per line ("open", "hw_params", "write", "drain",
// "close", ...), and the errors the writer task recorded.
void OrvaSoundTraceClear();
void OrvaSoundTrace(char *buffer, SInt32 size);
UInt32 OrvaSoundWriterErrors();
// Test seam: the writer's next ticks find the device failing, as an unplugged one would.
void OrvaSoundInjectWriterFaults(UInt32 ticks);

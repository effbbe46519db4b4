// Sound channels and their command queue, 'snd ' conversion and the small Sound Manager calls.
#include "platform/gtk/sound_manager.h"

#include <string.h>

#include "graphics/toolbox_hooks.h"
#include "platform/core/byte_reader.h"
#include "platform/core/critical_sections.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/event_pump.h"

namespace {

// One command waiting in the process-wide queue.
struct QueuedSndCommand {
    QElemPtr qLink;
    SInt16 qType;
    UInt16 cmd;
    SInt16 param1;
    intptr_t param2;  // for buffer commands: the RIFF image's handle
    Boolean noWait;
    SndChannelPtr chan;
};

QHdr gQueue;
Handle gPlaying;  // RIFF image of the buffer command that plays
Handle gMarker;   // ten samples of silence
UInt16 gVolume = 1;

void WriteBig32(UInt8 *p, UInt32 v) {
    p[0] = UInt8(v >> 24);
    p[1] = UInt8(v >> 16);
    p[2] = UInt8(v >> 8);
    p[3] = UInt8(v);
}
void WriteBig16(UInt8 *p, UInt16 v) {
    p[0] = UInt8(v >> 8);
    p[1] = UInt8(v);
}
// Converts the 'snd ' data of sound into a RIFF image; 0 or a result code. The data: a format
// word, the synthesizer list (format 1) or a reference count (format 2), the command list,
// then the sound header: the standard one (encoding 0 at 20, 22 bytes) or the extended one
// (encoding 255, 64 bytes: channels at 4, frames at 22, bits at 48), the rate at 8 as 16.16.
OSErr ConvertSound(Handle sound, Handle *riff) {
    *riff = nullptr;
    ByteReader data = OrvaByteReader(*sound, GetHandleSize(sound));
    UInt16 format = Get16(&data);
    if (data.failed) return kBadFormatErr;
    if (format == 1) {
        UInt16 synthesizers = Get16(&data);
        Skip(&data, size_t(synthesizers) * 6);
    } else if (format == 2) {
        Skip(&data, 2);  // reference count
    } else {
        return kBadFormatErr;
    }
    UInt16 commands = Get16(&data);
    Skip(&data, size_t(commands) * 8);
    if (data.failed || ByteReaderLeft(&data) < 22) return kBadHeaderErr;
    ByteReader header = SubReader(&data, ByteReaderLeft(&data));
    ByteReader fields = header;
    Seek(&fields, 20);
    UInt8 encoding = Get8(&fields);
    UInt32 channels, frames, bits;
    size_t samplesAt;
    Seek(&fields, 4);
    if (encoding == 0) {
        channels = 1;
        bits = 8;
        frames = Get32(&fields);
        samplesAt = 22;
    } else if (encoding == 255) {
        if (header.size < 64) return kBadHeaderErr;
        channels = Get32(&fields);
        Seek(&fields, 22);
        frames = Get32(&fields);
        Seek(&fields, 48);
        bits = Get16(&fields);
        samplesAt = 64;
    } else {
        return kBadEncodingErr;
    }
    if ((bits != 8 && bits != 16) || channels < 1 || channels > 32) return kBadEncodingErr;
    Seek(&fields, 8);
    UInt32 rate = Get32(&fields) >> 16;
    // Only the frames actually present are converted, whatever the header claims.
    Seek(&header, samplesAt);
    UInt64 frameBytes = UInt64(channels) * bits / 8;
    UInt64 present = ByteReaderLeft(&header) / frameBytes;
    if (frames > present) frames = UInt32(present);
    *riff = CvtBufferMacToRiff(header.bytes + header.position, SInt16(channels), SInt16(bits), rate, frames);
    if (!*riff) return kBadHeaderErr;
    return noErr;
}

void RemoveQueued(QueuedSndCommand *q) {
    Dequeue(reinterpret_cast<QElemPtr>(q), &gQueue);
    DisposPtr(reinterpret_cast<Ptr>(q));
}

// Plays queued commands in order until one cannot start.
OSErr ProcessQueue() {
    OSErr result = noErr;
    for (;;) {
        StartTimerCriticalSection();
        QueuedSndCommand *q = reinterpret_cast<QueuedSndCommand *>(gQueue.qHead);
        EndTimerCriticalSection();
        if (!q) return result;
        if (q->cmd == kSndVolumeCmd) {
            gVolume = UInt16(UInt16(q->param2 & 0xFFFF) >> 5);
            RemoveQueued(q);
            return result;
        }
        Handle sound;
        if (q->cmd == kSndBufferCmd) {
            sound = reinterpret_cast<Handle>(q->param2);
        } else if (q->cmd == kSndCallBackCmd) {
            sound = gMarker;
        } else {
            RemoveQueued(q);
            return result;
        }
        if (sound && SystemDependantPlaySound(sound, q->noWait)) {
            if (gPlaying && gPlaying != sound) DisposHandle(gPlaying);
            gPlaying = nullptr;
            if (q->cmd == kSndCallBackCmd) {
                SndCommand command{q->cmd, q->param1, q->param2};
                if (q->chan && q->chan->callBack) q->chan->callBack(q->chan, &command);
            } else {
                gPlaying = sound;
            }
            RemoveQueued(q);
            continue;
        }
        if (gPlaying) return result;  // retried by the next command
        if (q->cmd == kSndBufferCmd && sound) DisposHandle(sound);
        RemoveQueued(q);
        return -1;
    }
}

void BuildMarker() {
    if (gMarker) return;
    UInt8 silence[10];
    memset(silence, 0x80, sizeof silence);
    gMarker = CvtBufferMacToRiff(silence, 1, 8, 22050, 10);
}

}  // namespace

Handle CvtBufferMacToRiff(const UInt8 *samples, SInt16 channels, SInt16 bits, UInt32 rate, UInt32 frames) {
    if (channels < 1 || (bits != 8 && bits != 16)) return nullptr;
    UInt64 dataSize = UInt64(channels) * UInt64(bits) * frames / 8;
    if (dataSize + 44 > 0x7FFFFFFF) return nullptr;
    Handle h = NewHandle(UInt32(dataSize + 44));
    ByteWriter riff = OrvaByteWriter(h);
    PutBytes(&riff, "RIFF", 4);
    Put32LE(&riff, UInt32(dataSize + 36));
    PutBytes(&riff, "WAVEfmt ", 8);
    Put32LE(&riff, 16);
    Put16LE(&riff, 1);
    Put16LE(&riff, UInt16(channels));
    Put32LE(&riff, rate);
    Put32LE(&riff, UInt32(UInt64(rate) * UInt64(bits) * UInt64(channels) / 8));
    Put16LE(&riff, UInt16(channels * bits / 8));
    Put16LE(&riff, UInt16(bits));
    PutBytes(&riff, "data", 4);
    Put32LE(&riff, UInt32(dataSize));
    if (bits == 8) {
        PutBytes(&riff, samples, size_t(dataSize));
    } else {
        ByteReader words = OrvaByteReader(samples, size_t(dataSize));
        for (UInt64 i = 0; i + 1 < dataSize; i += 2) Put16LE(&riff, Get16(&words));  // big-endian to little
    }
    if (!FinishByteWriter(&riff)) {
        if (h) DisposHandle(h);
        return nullptr;
    }
    return h;
}

OSErr SndNewChannel(SndChannelPtr *chan, SInt16, SInt32, SndCallBackProcPtr userRoutine) {
    BuildMarker();
    if (!chan) return paramErr;
    if (!*chan) {
        *chan = reinterpret_cast<SndChannelPtr>(NewPtrClear(sizeof(SndChannel)));
        if (!*chan) return memFullErr;
        (*chan)->flags = kSndChannelAllocatedHere;
    } else {
        (*chan)->flags = 0;
    }
    (*chan)->callBack = userRoutine;
    return noErr;
}

OSErr SndDoCommand(SndChannelPtr chan, const SndCommand *cmd, Boolean noWait) {
    if (!cmd) return paramErr;
    BuildMarker();
    intptr_t param2 = cmd->param2;
    if (cmd->cmd == kSndBufferCmd && cmd->param2) {
        Handle sound = reinterpret_cast<Handle>(cmd->param2);
        UInt8 state = HGetState(sound);
        HLock(sound);
        Handle riff = nullptr;
        OSErr err = ConvertSound(sound, &riff);
        HSetState(sound, state);
        if (err != noErr) return err;
        param2 = reinterpret_cast<intptr_t>(riff);
    }
    QueuedSndCommand *q = reinterpret_cast<QueuedSndCommand *>(NewPtrClear(sizeof(QueuedSndCommand)));
    if (!q) {
        if (cmd->cmd == kSndBufferCmd && param2) DisposHandle(reinterpret_cast<Handle>(param2));
        return memFullErr;
    }
    q->cmd = cmd->cmd;
    q->param1 = cmd->param1;
    q->param2 = param2;
    q->noWait = noWait;
    q->chan = chan;
    Enqueue(reinterpret_cast<QElemPtr>(q), &gQueue);
    return ProcessQueue();
}

void OrvaFlushSndQueue() {
    SystemDependantStopSound();
    if (gPlaying) DisposHandle(gPlaying);
    gPlaying = nullptr;
    for (;;) {
        StartTimerCriticalSection();
        QueuedSndCommand *q = reinterpret_cast<QueuedSndCommand *>(gQueue.qHead);
        EndTimerCriticalSection();
        if (!q) break;
        if (q->cmd == kSndBufferCmd && q->param2) DisposHandle(reinterpret_cast<Handle>(q->param2));
        RemoveQueued(q);
    }
}

OSErr SndDoImmediate(SndChannelPtr chan, const SndCommand *cmd) {
    OrvaFlushSndQueue();
    return SndDoCommand(chan, cmd, 0);
}

OSErr SndPlay(SndChannelPtr chan, Handle sndHandle, Boolean async) {
    SndCommand cmd{kSndBufferCmd, 0, reinterpret_cast<intptr_t>(sndHandle)};
    return SndDoCommand(chan, &cmd, async);
}

OSErr SndChannelStatus(SndChannelPtr, SInt16, SCStatus *status) {
    SystemDependantDoEvent();
    StartTimerCriticalSection();
    bool queued = gQueue.qHead != nullptr;
    EndTimerCriticalSection();
    bool busy;
    if (queued) {
        busy = true;
    } else if (!gPlaying) {
        busy = false;
    } else if (OrvaSoundOutputBusy()) {
        busy = true;  // asking never ends the sound
    } else {
        SystemDependantStopSound();
        DisposHandle(gPlaying);
        gPlaying = nullptr;
        busy = false;
    }
    if (status) status->scChannelBusy = busy ? kTrue : kFalse;
    return noErr;
}

OSErr SndControl(SInt16 id, SndCommand *cmd) {
    if (id == 3 && cmd && cmd->cmd == kSndAvailableCmd) cmd->param1 = 1;
    return noErr;
}

OSErr SndDisposeChannel(SndChannelPtr chan, Boolean) {
    OrvaFlushSndQueue();
    if (chan && (chan->flags & kSndChannelAllocatedHere)) DisposPtr(reinterpret_cast<Ptr>(chan));
    return noErr;
}

OSErr SetupSndHeader(Handle sndHandle, SInt16 numChannels, UInt32 sampleRate, SInt16 sampleSize, OSType,
                     SInt16 baseNote, UInt32 numBytes, SInt16 *headerLen) {
    if (headerLen) *headerLen = 70;
    if (!sndHandle) return paramErr;
    if (GetHandleSize(sndHandle) < 70) {
        SetHandleSize(sndHandle, 70);
        if (GetHandleSize(sndHandle) < 70) return memFullErr;
    }
    UInt8 *p = reinterpret_cast<UInt8 *>(*sndHandle);
    memset(p, 0, 70);
    WriteBig16(p, 2);
    UInt8 *h = p + 6;
    WriteBig32(h + 4, UInt32(numChannels));
    WriteBig32(h + 8, sampleRate);
    h[20] = 0xFF;
    h[21] = UInt8(baseNote);
    UInt32 divisor = UInt32(numChannels) * UInt32(sampleSize);
    WriteBig32(h + 22, divisor ? UInt32(UInt64(numBytes) * 8 / divisor) : 0);
    WriteBig16(h + 48, UInt16(sampleSize));
    return noErr;
}

OSErr OrvaConvertSndToRiff(Handle sound, Handle *riff) {
    if (!riff) return paramErr;
    *riff = nullptr;
    if (!sound || !*sound) return kBadFormatErr;
    return ConvertSound(sound, riff);
}

void GetSoundVol(SInt16 *level) {
    if (level) *level = SInt16(gVolume);
}
void SetSoundVol(SInt16 level) { gVolume = UInt16(level); }
void InitSoundHp() { gVolume = 1; }

void SysBeep(SInt16 duration) {
    if (gVolume == 0) {
        FlashMenuBar(0);
        Delay(UInt32(duration < 0 ? 0 : duration), nullptr);
        FlashMenuBar(0);
        return;
    }
    SystemDependantBeep(nullptr);
}

NumVersion SndSoundManagerVersion() { return NumVersion{3, 0, 0, 0}; }
NumVersion SPBVersion() { return NumVersion{1, 0, 0, 0}; }
NumVersion MACEVersion() { return NumVersion{0, 0, 0, 0}; }
SInt32 SndDispVersion() { return 1; }
Boolean SoundDone() { return 1; }
OSErr SndStartFilePlay(SndChannelPtr, SInt16, SInt16, SInt32, Ptr, void *, void *, Boolean) { return noErr; }
OSErr SndPauseFilePlay(SndChannelPtr) { return noErr; }
OSErr SndStopFilePlay(SndChannelPtr, Boolean) { return noErr; }
OSErr SndManagerStatus(SInt16, void *) { return noErr; }
OSErr SndSetSysBeepState(SInt16) { return noErr; }
void SndGetSysBeepState(SInt16 *) {}
OSErr SndPlayDoubleBuffer(SndChannelPtr, void *) { return noErr; }
OSErr SndAddModifier(SndChannelPtr, void *, SInt16, SInt32) { return noErr; }
void _StartSound(Ptr, SInt32, void *) {}
void _StopSound() {}
void Comp3to1(const void *, void *, UInt32, void *, void *, UInt32, UInt32) {}
void Exp1to3(const void *, void *, UInt32, void *, void *, UInt32, UInt32) {}
void Comp6to1(const void *, void *, UInt32, void *, void *, UInt32, UInt32) {}
void Exp1to6(const void *, void *, UInt32, void *, void *, UInt32, UInt32) {}

// The memory manager: handles through never-moving master records, pointers on the
// process heap, and the last result code.
#include "platform/core/memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <vector>

#include "platform/core/critical_sections.h"
#include "platform/core/errors.h"
#include "platform/core/runtime.h"

SInt16 OrvaTaillePremierBlockHandle = 16384;
SInt16 OrvaTailleBlockHandle = 2048;

namespace {

// A block of master records; chained from gFirstBlock in creation order, never released.
struct MasterBlock {
    SInt16 count;                       // records in this block
    UInt16 flags;                       // 1 once made
    std::atomic<MasterBlock *> next;    // null ends the chain
    MasterRecord *freeHead;             // first free record, null when the block is full
    MasterRecord records[1];            // count records follow (one spare, never used)
};

enum : UInt32 { kFixedAnswer = 16000000, kApplLimit = 200000 };

std::atomic<MasterBlock *> gFirstBlock{nullptr};
std::atomic<OSErr> gMemError{noErr};
std::atomic<Boolean> gMemErrorBox{1};
std::atomic<void (*)()> gPurgeFonts{nullptr};
std::atomic<Boolean (*)(const void *)> gPointerPool{nullptr};  // the text converters' result pool
const UInt8 theWorldPc[16] = {0, 2, 0, 0, 0, 3, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0};

void SetError(OSErr err) { gMemError.store(err, std::memory_order_relaxed); }

MasterBlock *NewBlock(SInt16 count);
MasterBlock *BlockOf(Handle h);
MasterRecord *Validate(Handle h);
Ptr AllocateData(UInt32 size);
Ptr ResizeData(Ptr data, UInt32 size);
OSErr AppendBytes(const void *source, Handle h, UInt32 count);

}  // namespace

// ---------------------------------------------------------------- handles

Handle NewHandle(UInt32 size) {
    StartMemoryCriticalSection();
    MasterBlock *block = gFirstBlock.load();
    MasterBlock *last = nullptr;
    while (block && !block->freeHead) {
        last = block;
        block = block->next.load();
    }
    if (!block) {
        block = NewBlock(last ? OrvaTailleBlockHandle : OrvaTaillePremierBlockHandle);
        if (!block) {
            SetError(memFullErr);
            EndMemoryCriticalSection();
            return nullptr;
        }
        if (last)
            last->next.store(block);
        else
            gFirstBlock.store(block);
    }
    Ptr data = AllocateData(size);
    if (!data && size != 0) {
        SetError(memFullErr);
        EndMemoryCriticalSection();
        return nullptr;
    }
    MasterRecord *record = block->freeHead;
    MasterRecord *nextFree = reinterpret_cast<MasterRecord *>(record->data);
    block->freeHead = nextFree;
    if (nextFree) nextFree->previousFree = nullptr;
    record->data = data;
    record->size = size;
    record->flags = kHandleInUse;
    memset(record->spare, 0, sizeof record->spare);
    record->previousFree = nullptr;
    SetError(noErr);
    EndMemoryCriticalSection();
    return reinterpret_cast<Handle>(record);
}

Handle NewHandleClear(UInt32 size) {
    Handle h = NewHandle(size);
    if (h && *h) memset(*h, 0, size);
    return h;
}

void DisposHandle(Handle h) {
    StartMemoryCriticalSection();
    MasterRecord *record = Validate(h);
    if (record) {
        MasterBlock *block = BlockOf(h);
        free(record->data);
        record->flags = 0;
        record->size = 0;
        record->data = reinterpret_cast<Ptr>(block->freeHead);
        record->previousFree = nullptr;
        if (block->freeHead) block->freeHead->previousFree = record;
        block->freeHead = record;
        SetError(noErr);
    }
    EndMemoryCriticalSection();
}

UInt32 GetHandleSize(Handle h) {
    MasterRecord *record = Validate(h);
    if (!record) return 0;
    SetError(noErr);
    return record->size;
}

void SetHandleSize(Handle h, UInt32 size) {
    StartMemoryCriticalSection();
    SetError(noErr);
    MasterRecord *record = Validate(h);
    if (!record) {
        EndMemoryCriticalSection();
        return;
    }
    if (record->flags & kHandleLocked) {
        SetError(memLockedErr);
    } else if (size != record->size) {
        if (size == 0) {
            free(record->data);
            record->data = nullptr;
            record->size = 0;
        } else {
            Ptr data = ResizeData(record->data, size);
            if (!data) {
                CompactMem(size);
                data = ResizeData(record->data, size);
            }
            if (data) {
                record->data = data;
                record->size = size;
                SetError(noErr);
            } else {
                SetError(memFullErr);  // the handle keeps its old data and size
            }
        }
    }
    EndMemoryCriticalSection();
}

void HLock(Handle h) {
    MasterRecord *record = Validate(h);
    if (!record) return;
    if (record->flags & kHandleLocked) {
        SetError(memLockedErr);
        return;
    }
    record->flags |= kHandleLocked;
    SetError(noErr);
}

void HUnlock(Handle h) {
    MasterRecord *record = Validate(h);
    if (!record) return;
    SetError(noErr);
    record->flags &= UInt8(~kHandleLocked);
}

UInt8 HGetState(Handle h) {
    MasterRecord *record = Validate(h);
    if (!record) return 0;
    SetError(noErr);
    return (record->flags & kHandleLocked) ? 0x80 : 0;
}

void HSetState(Handle h, UInt8 state) {
    MasterRecord *record = Validate(h);
    if (!record) return;
    bool locked = record->flags & kHandleLocked;
    if ((state & 0x80) && !locked)
        HLock(h);
    else if (!(state & 0x80) && locked)
        HUnlock(h);
    else
        SetError(noErr);
}

Handle RecoverHandle(Ptr data) {
    SetError(noErr);
    if (!data) return nullptr;
    for (MasterBlock *block = gFirstBlock.load(); block; block = block->next.load()) {
        for (SInt16 i = 0; i < block->count; i++) {
            MasterRecord *record = &block->records[i];
            if ((record->flags & kHandleInUse) && record->data == data) return reinterpret_cast<Handle>(record);
        }
    }
    return nullptr;
}

Boolean OrvaIsValidHandle(Handle h) {
    if (!h) return 0;
    MasterBlock *block = BlockOf(h);
    return block && (reinterpret_cast<MasterRecord *>(h)->flags & kHandleInUse);
}

// ---------------------------------------------------------------- pointers

Ptr NewPtr(UInt32 size) {
    StartMemoryCriticalSection();
    Ptr p = InternalNewPtr(size);
    EndMemoryCriticalSection();
    return p;
}

Ptr NewPtrClear(UInt32 size) {
    Ptr p = NewPtr(size);
    if (p) memset(p, 0, size);
    return p;
}

void DisposPtr(Ptr p) {
    Boolean (*pool)(const void *) = gPointerPool.load();
    if (pool && pool(p)) return;  // a pooled block goes back to its pool
    StartMemoryCriticalSection();
    InternalDisposPtr(p);
    EndMemoryCriticalSection();
}

Ptr InternalNewPtr(UInt32 size) {
    SetError(noErr);
    if (size == 0) return nullptr;
    Ptr p = static_cast<Ptr>(malloc(size));
    if (!p) {
        CompactMem(size);
        p = static_cast<Ptr>(malloc(size));
    }
    if (!p) {
        // A failed allocation always says so, whether or not the user is told.
        SetError(memFullErr);
        if (gMemErrorBox.load()) OrvaErreur("NewPtr: plus de place memoire");
    }
    return p;
}

void InternalDisposPtr(Ptr p) {
    SetError(noErr);
    if (!p) {
        SetError(memWZErr);
        return;
    }
    free(p);
}

Ptr OrvaReallocPtr(Ptr p, UInt32 size) { return static_cast<Ptr>(realloc(p, size)); }

// ---------------------------------------------------------------- copies

void BlockMove(const void *source, void *destination, SInt32 count) {
    if (count < 0) {
        OrvaErreur("BlockMove negatif");
        return;
    }
    if (count == 0 || source == destination || !source || !destination) return;
    memmove(destination, source, size_t(count));
}

OSErr PtrToHand(const void *source, Handle *result, SInt32 count) {
    if (!result) return paramErr;
    if (count < 0) {
        *result = nullptr;
        SetError(paramErr);
        return paramErr;
    }
    *result = NewHandle(UInt32(count));
    if (*result && count > 0) memcpy(**result, source, size_t(count));
    return MemError();
}

OSErr PtrToXHand(const void *source, Handle h, SInt32 count) {
    if (count < 0) {
        SetError(paramErr);
        return paramErr;
    }
    StartMemoryCriticalSection();
    // The source may lie inside h's own data, which the resize can move.
    std::vector<char> copy;
    MasterRecord *record = Validate(h);
    if (record && record->data && source >= record->data && source < record->data + record->size) {
        copy.assign(static_cast<const char *>(source), static_cast<const char *>(source) + count);
        source = copy.data();
    }
    SetHandleSize(h, UInt32(count));
    OSErr err = MemError();
    if (err == noErr && count > 0) memmove(*h, source, size_t(count));
    EndMemoryCriticalSection();
    return err;
}

OSErr HandAndHand(Handle source, Handle destination) {
    StartMemoryCriticalSection();
    OSErr err;
    MasterRecord *record = Validate(source);
    if (!record) {
        err = MemError();
    } else {
        err = AppendBytes(record->data, destination, record->size);
    }
    EndMemoryCriticalSection();
    return err;
}

OSErr PtrAndHand(const void *source, Handle h, SInt32 count) {
    if (count < 0) {
        SetError(paramErr);
        return paramErr;
    }
    StartMemoryCriticalSection();
    OSErr err = AppendBytes(source, h, UInt32(count));
    EndMemoryCriticalSection();
    return err;
}

OSErr MemError() { return gMemError.load(std::memory_order_relaxed); }
void OrvaSetMemError(OSErr err) { SetError(err); }

// ---------------------------------------------------------------- settings and fixed answers

void OrvaSetMemErrorBox(Boolean on) { gMemErrorBox.store(on); }
Boolean OrvaGetMemErrorBox() { return gMemErrorBox.load(); }
UInt32 OrvaGetTotalLeft() { return kFixedAnswer; }
UInt32 LargestFreeBlock() { return SystemDependantLargestMemoryBlock(); }

UInt32 OrvaGetTailleHandleGranuleuse(UInt32 count, SInt16 level, UInt32 size) {
    if (level > 2 && count == 255) return (size + 65535u) & ~65535u;
    if (level > 1 && count > 20) return (size + 8191u) & ~8191u;
    if (level == 1 && count > 10) return (size + 255u) & ~255u;
    return size;
}

void orva_cleare_structure(void *address, UInt32 count) {
    if (address && count) memset(address, 0, count);
}

void OrvaCalculeNbHandle(UInt32 *blocks, UInt32 *handles) {
    UInt32 b = 0, n = 0;
    StartMemoryCriticalSection();
    for (MasterBlock *block = gFirstBlock.load(); block; block = block->next.load()) {
        b++;
        for (SInt16 i = 0; i < block->count; i++)
            if (block->records[i].flags & kHandleInUse) n++;
    }
    EndMemoryCriticalSection();
    if (blocks) *blocks = b;
    if (handles) *handles = n;
}

UInt32 MaxMem(UInt32 *grow) {
    SetError(noErr);
    // Fonts belong to the main thread; an allocation failing elsewhere only retries.
    void (*purge)() = gPurgeFonts.load();
    if (purge && OrvaIsMainThread()) purge();
    if (grow) *grow = kFixedAnswer;
    return MaxBlock();
}

UInt32 CompactMem(UInt32) {
    MaxMem(nullptr);
    return MaxMem(nullptr);
}

void PurgeSpace(UInt32 *total, UInt32 *contiguous) {
    SetError(noErr);
    if (contiguous) *contiguous = MaxBlock();
    if (total) *total = kFixedAnswer;
}

UInt32 MaxBlock() { return kFixedAnswer; }
UInt32 FreeMem() { return kFixedAnswer; }
UInt32 StackSpace() { return kFixedAnswer; }
Ptr GetApplLimit() { return reinterpret_cast<Ptr>(uintptr_t(kApplLimit)); }
void *ApplicZone() { return nullptr; }
void MoveHHi(Handle) {}
void MoreMasters() {}

void MaxApplZone() {}

OSErr SysEnvirons(SInt16, void *record) {
    if (record) memcpy(record, theWorldPc, sizeof theWorldPc);
    return noErr;
}

UInt32 SystemDependantLargestMemoryBlock() {
    struct mallinfo2 info = mallinfo2();
    size_t free = info.fordblks;
    return free > 0x7FFFFFFF ? 0x7FFFFFFF : (free < kFixedAnswer ? kFixedAnswer : UInt32(free));
}

void OrvaSetPurgeFontsHook(void (*purge)()) { gPurgeFonts.store(purge); }

void OrvaSetPointerPoolHook(Boolean (*release)(const void *p)) { gPointerPool.store(release); }

// ---------------------------------------------------------------- helpers

namespace {

MasterBlock *NewBlock(SInt16 count) {
    size_t bytes = offsetof(MasterBlock, records) + sizeof(MasterRecord) * (size_t(count) + 1);
    MasterBlock *block = static_cast<MasterBlock *>(calloc(1, bytes));
    if (!block) return nullptr;
    block->count = count;
    block->flags = 1;
    block->next.store(nullptr);
    for (SInt16 i = 0; i < count; i++) {
        MasterRecord *r = &block->records[i];
        r->data = i + 1 < count ? reinterpret_cast<Ptr>(&block->records[i + 1]) : nullptr;
        r->previousFree = i > 0 ? &block->records[i - 1] : nullptr;
    }
    block->freeHead = &block->records[0];
    return block;
}

// The block whose records h addresses, on a record boundary; null for any other address.
MasterBlock *BlockOf(Handle h) {
    uintptr_t address = reinterpret_cast<uintptr_t>(h);
    for (MasterBlock *block = gFirstBlock.load(); block; block = block->next.load()) {
        uintptr_t first = reinterpret_cast<uintptr_t>(&block->records[0]);
        uintptr_t end = first + sizeof(MasterRecord) * size_t(block->count);
        if (address >= first && address < end) {
            return (address - first) % sizeof(MasterRecord) == 0 ? block : nullptr;
        }
    }
    return nullptr;
}

// The live record behind h, or null with nilHandleErr / memWZErr. The address is
// checked against the blocks before anything is read through it.
MasterRecord *Validate(Handle h) {
    if (!h) {
        SetError(nilHandleErr);
        return nullptr;
    }
    if (!BlockOf(h)) {
        SetError(memWZErr);
        return nullptr;
    }
    MasterRecord *record = reinterpret_cast<MasterRecord *>(h);
    if (!(record->flags & kHandleInUse)) {
        SetError(memWZErr);
        return nullptr;
    }
    return record;
}

Ptr AllocateData(UInt32 size) {
    if (size == 0) return nullptr;
    Ptr p = static_cast<Ptr>(malloc(size));
    if (!p) {
        CompactMem(size);
        p = static_cast<Ptr>(malloc(size));
    }
    return p;
}

Ptr ResizeData(Ptr data, UInt32 size) { return static_cast<Ptr>(data ? realloc(data, size) : malloc(size)); }

// Grows h by count bytes and copies them at its end; the bytes may lie inside h itself.
OSErr AppendBytes(const void *source, Handle h, UInt32 count) {
    MasterRecord *record = Validate(h);
    if (!record) return MemError();
    UInt32 oldSize = record->size;
    if (UInt64(oldSize) + count > 0xFFFFFFFFu) {
        SetError(memFullErr);
        return memFullErr;
    }
    std::vector<char> copy;
    const char *from = static_cast<const char *>(source);
    if (record->data && from >= record->data && from < record->data + oldSize) {
        copy.assign(from, from + count);
        from = copy.data();
    }
    SetHandleSize(h, oldSize + count);
    OSErr err = MemError();
    if (err == noErr && count > 0) memcpy(*h + oldSize, from, count);
    return err;
}

}  // namespace

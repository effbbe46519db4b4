// Numbered re-entrant critical sections on POSIX mutexes.
#include "platform/core/critical_sections.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>

namespace {

struct CriticalSection {
    std::atomic<bool> inUse{false};
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    UInt32 count = 0;                   // nesting of the owner; written by the owner only
    std::atomic<bool> owned{false};     // the mutex is locked exactly while this is set
    std::atomic<pthread_t> owner{};     // meaningful only while owned
};

CriticalSection gSections[kCriticalSectionCount];
std::atomic<UInt32> gForeignLeaves{0};

// The calling thread's identifier, read once per thread.
thread_local pthread_t tSelf;
thread_local bool tSelfKnown = false;

inline pthread_t Self() {
    if (!tSelfKnown) {
        tSelf = pthread_self();
        tSelfKnown = true;
    }
    return tSelf;
}

bool ValidNumber(SInt16 n) { return n >= 0 && n < kCriticalSectionCount; }

bool HeldByCaller(const CriticalSection &s) {
    return s.owned.load(std::memory_order_acquire) &&
           pthread_equal(s.owner.load(std::memory_order_relaxed), Self());
}

bool HeldByAnyone(const CriticalSection &s) { return s.owned.load(std::memory_order_acquire); }

void TakeOwnership(CriticalSection &s) {
    s.owner.store(Self(), std::memory_order_relaxed);
    s.owned.store(true, std::memory_order_release);
}

// One named pair: its section number, its created flag and its exit routine.
struct NamedSection {
    SInt16 number;
    std::atomic<bool> created;
    void (*exitRoutine)();
};

NamedSection gTimerPair{kTimerCriticalSection, {false}, OrvaExitTimerCriticalSection};
NamedSection gMemoryPair{kMemoryCriticalSection, {false}, OrvaExitMemoryCriticalSection};
NamedSection gPluginPair{kPluginCriticalSection, {false}, OrvaExitPluginCriticalSection};
NamedSection gFilePair{kFileCriticalSection, {false}, OrvaExitFileCriticalSection};
NamedSection gDblBuffPair{kDblBuffCriticalSection, {false}, OrvaExitDblBuffCriticalSection};
NamedSection gFluxPair{kFluxCriticalSection, {false}, OrvaExitFluxCriticalSection};

void CreatePair(NamedSection &pair) {
    if (pair.created.load(std::memory_order_acquire)) return;
    bool expected = false;
    if (pair.created.compare_exchange_strong(expected, true)) {
        SystemDependantNewCriticalSection(pair.number);
        atexit(pair.exitRoutine);
    }
}

UInt32 EnterPair(NamedSection &pair) {
    CreatePair(pair);
    return SystemDependantStartCriticalSection(pair.number);
}

void ExitPair(NamedSection &pair) {
    if (pair.created.load()) {
        if (SystemDependantDeleteCriticalSection(pair.number)) pair.created.store(false);
    }
}

}  // namespace

UInt32 SystemDependantNewCriticalSection(SInt16 n) {
    if (!ValidNumber(n)) return 0;
    CriticalSection &s = gSections[n];
    if (HeldByAnyone(s)) return 0;  // re-creating a held section would reset a locked mutex
    // The nesting count is the holder's alone and is back at 0 whenever nobody holds the
    // section: resetting it here could race with a thread entering at this moment.
    s.inUse.store(true, std::memory_order_release);
    return 1;
}

UInt32 SystemDependantDeleteCriticalSection(SInt16 n) {
    if (!ValidNumber(n)) return 0;
    CriticalSection &s = gSections[n];
    if (HeldByAnyone(s)) return 0;
    s.inUse.store(false, std::memory_order_release);
    return 1;
}

UInt32 SystemDependantStartCriticalSection(SInt16 n) {
    if (!ValidNumber(n)) return 0;
    CriticalSection &s = gSections[n];
    if (!s.inUse.load(std::memory_order_acquire)) SystemDependantNewCriticalSection(n);
    if (!HeldByCaller(s)) {
        pthread_mutex_lock(&s.mutex);
        TakeOwnership(s);
    }
    s.count++;
    return 1;
}

UInt32 SystemDependantCheckOrStartCriticalSection(SInt16 n) {
    if (!ValidNumber(n)) return 0;
    CriticalSection &s = gSections[n];
    if (!s.inUse.load(std::memory_order_acquire)) SystemDependantNewCriticalSection(n);
    if (!HeldByCaller(s)) {
        if (pthread_mutex_trylock(&s.mutex) != 0) return 0;
        TakeOwnership(s);
    }
    s.count++;
    return 1;
}

UInt32 SystemDependantEndCriticalSection(SInt16 n) {
    if (!ValidNumber(n)) return 0;
    CriticalSection &s = gSections[n];
    if (!s.inUse.load(std::memory_order_acquire)) return 1;
    if (!HeldByCaller(s)) {
        // Only the holder may leave; a stray leave would unlock another thread's mutex.
        if (gForeignLeaves.fetch_add(1) == 0)
            fprintf(stderr, "critical section %d left by a thread that does not hold it\n", n);
        return 1;
    }
    if (--s.count > 0) return 1;
    s.owned.store(false, std::memory_order_release);
    pthread_mutex_unlock(&s.mutex);
    return 1;
}

Boolean OrvaIsCriticalSectionHeld(SInt16 n) { return ValidNumber(n) && HeldByCaller(gSections[n]); }

UInt32 OrvaGetForeignLeaveCount() { return gForeignLeaves.load(); }

UInt32 StartTimerCriticalSection() { return EnterPair(gTimerPair); }
UInt32 EndTimerCriticalSection() { return SystemDependantEndCriticalSection(kTimerCriticalSection); }
UInt32 StartMemoryCriticalSection() { return EnterPair(gMemoryPair); }
UInt32 EndMemoryCriticalSection() { return SystemDependantEndCriticalSection(kMemoryCriticalSection); }
UInt32 OrvaStartPluginCriticalSection() { return EnterPair(gPluginPair); }
UInt32 OrvaCheckOrStartPluginCriticalSection() {
    CreatePair(gPluginPair);
    return SystemDependantCheckOrStartCriticalSection(kPluginCriticalSection);
}
UInt32 OrvaEndPluginCriticalSection() { return SystemDependantEndCriticalSection(kPluginCriticalSection); }
UInt32 StartFileCriticalSection() { return EnterPair(gFilePair); }
UInt32 EndFileCriticalSection() { return SystemDependantEndCriticalSection(kFileCriticalSection); }
UInt32 StartDblBuffCriticalSection() { return EnterPair(gDblBuffPair); }
UInt32 EndDblBuffCriticalSection() { return SystemDependantEndCriticalSection(kDblBuffCriticalSection); }
UInt32 StartFluxCriticalSection() { return EnterPair(gFluxPair); }
UInt32 EndFluxCriticalSection() { return SystemDependantEndCriticalSection(kFluxCriticalSection); }

void OrvaExitTimerCriticalSection() { ExitPair(gTimerPair); }
void OrvaExitMemoryCriticalSection() { ExitPair(gMemoryPair); }
void OrvaExitPluginCriticalSection() { ExitPair(gPluginPair); }
void OrvaExitFileCriticalSection() { ExitPair(gFilePair); }
void OrvaExitDblBuffCriticalSection() { ExitPair(gDblBuffPair); }
void OrvaExitFluxCriticalSection() { ExitPair(gFluxPair); }

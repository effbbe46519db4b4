#include "sound/sound_bank.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"

// The names of the six bank levels, from the smallest bank to the fullest.
static const char *const kLevelNames[kBankLevelCount] = {
    "OMS Basic", "OMS Small", "OMS Medium", "OMS Large", "OMS Extended", "OMS Full",
};

enum : UInt8 { kSlotUnknown = 0, kSlotLoaded = 1, kSlotAbsent = 2 };

// Process-wide bank state; main thread only. The tables are allocated when a bank opens.
struct SoundBankState {
    char folder[1024];            // chosen by FixeDossierBanqueSon; "" for the default search
    BankInfoRecord info;
    SInt16 level;                 // level of the open bank, -1 when none is open
    SInt16 resFile;               // its resource file, 0 when none
    char bankFolder[1024];        // where it was found (its Samples folder lies inside)
    BankInstrument **instruments; // kBankInstrumentSlots entries
    UInt8 *slotState;             // kSlot... per instrument id
    BankSample **samples;         // kBankMaxSampleNumber + 1 entries; null: not loaded
    UInt8 *sampleAbsent;          // 1: its file was tried and failed
    OSErr error;
    char message[256];
    UInt32 filesOpened;
};
static SoundBankState gBank = {"", {"", 0, 0}, -1, 0, "", nullptr, nullptr, nullptr, nullptr, noErr, "", 0};

static void Problem(OSErr err, const char *format, ...) __attribute__((format(printf, 2, 3)));
static void ClearProblem();
static bool FindBank(SInt16 level, char *folder, size_t folderSize);
static bool OpenBank(SInt16 level);
static const BankInstrument *TryInstrument(SInt32 id);
static BankInstrument *LoadInstrument(SInt32 id);
static const BankSample *LoadSample(UInt32 number);
static bool FitZone(BankZone *zone, const BankSample *sample);
static bool FileExists(const char *path);
static void CountInstruments(SInt16 ref, SInt32 *programs, SInt32 *drums);

SInt32 IdProgrammeBanque(SInt32 program, SInt32 bank) {
    bank = std::min<SInt32>(std::max<SInt32>(bank, 0), 127);
    return RsrcDgitInstrument(SInt16(std::min<SInt32>(std::max<SInt32>(program, -1), 128)), SInt16(bank * 128));
}

SInt32 IdBatterieBanque(SInt32 kit, SInt32 key) {
    return RsrcDgitBatterie(SInt16(kit < 0 ? -1 : kit % 128), SInt16(std::min<SInt32>(std::max<SInt32>(key, -1), 128)));
}

Boolean EstIdBatterie(SInt32 id) { return id >= kBankDrumBase && id < kBankInstrumentSlots; }

SInt16 LevelBase(const char *name) {
    for (SInt16 level = 0; level < kBankLevelCount; level++)
        if (name && strcasecmp(name, kLevelNames[level]) == 0) return level;
    return kBankLevelDefault;
}

const char *NomBanqueDuNiveau(SInt16 level) { return level >= 0 && level < kBankLevelCount ? kLevelNames[level] : ""; }

const char *GetNameSoundDataBase() { return gBank.level >= 0 ? gBank.info.name : ""; }

void FixeDossierBanqueSon(const char *folder) {
    const char *wanted = folder ? folder : "";
    if (strcmp(wanted, gBank.folder) == 0) return;
    CloseFichiersRessourcesDigit();
    snprintf(gBank.folder, sizeof gBank.folder, "%s", wanted);
}

Boolean InitFichiersRessourcesDigit() {
    ClearProblem();
    char folder[1024];
    for (SInt16 level = kBankLevelCount - 1; level >= 0; level--)
        if (FindBank(level, folder, sizeof folder)) return OpenBank(level);
    Problem(fnfErr, "no sound bank found");
    return false;
}

void CloseFichiersRessourcesDigit() {
    if (gBank.instruments) {
        for (SInt32 id = 0; id < kBankInstrumentSlots; id++) {
            BankInstrument *instrument = gBank.instruments[id];
            if (!instrument) continue;
            DisposPtr(reinterpret_cast<Ptr>(const_cast<BankZone *>(instrument->zones)));
            DisposPtr(reinterpret_cast<Ptr>(const_cast<const BankSample **>(instrument->samples)));
            DisposPtr(reinterpret_cast<Ptr>(instrument));
        }
        DisposPtr(reinterpret_cast<Ptr>(gBank.instruments));
    }
    if (gBank.samples) {
        for (UInt32 n = 0; n <= kBankMaxSampleNumber; n++) {
            BankSample *sample = gBank.samples[n];
            if (!sample) continue;
            DisposPtr(reinterpret_cast<Ptr>(const_cast<SInt16 *>(sample->data)));
            DisposPtr(reinterpret_cast<Ptr>(sample));
        }
        DisposPtr(reinterpret_cast<Ptr>(gBank.samples));
    }
    if (gBank.slotState) DisposPtr(reinterpret_cast<Ptr>(gBank.slotState));
    if (gBank.sampleAbsent) DisposPtr(reinterpret_cast<Ptr>(gBank.sampleAbsent));
    if (gBank.resFile > 0) {
        SInt16 current = CurResFile();
        CloseResFile(gBank.resFile);
        if (current != gBank.resFile) UseResFile(current);
    }
    gBank.instruments = nullptr;
    gBank.slotState = nullptr;
    gBank.samples = nullptr;
    gBank.sampleAbsent = nullptr;
    gBank.resFile = 0;
    gBank.level = -1;
    memset(&gBank.info, 0, sizeof gBank.info);
}

Boolean InitFichiersRessourcesDigitPlugIn(SInt16 level) {
    ClearProblem();
    // Asking again for the bank that is open (or for the default one while any is open)
    // reads nothing: players ask before every play.
    if (gBank.level >= 0 && (level >= kBankLevelDefault || level == gBank.level)) return true;
    if (level >= kBankLevelDefault) return InitFichiersRessourcesDigit();
    CloseFichiersRessourcesDigit();
    if (level < 0) {
        Problem(paramErr, "no bank of level %d", level);
        return false;
    }
    return OpenBank(level);
}

const BankInstrument *ChargeInstrumentBanque(SInt32 id, UInt8 key) {
    ClearProblem();
    if (gBank.level < 0) return nullptr;
    key &= 127;
    if (EstIdBatterie(id)) {
        const BankInstrument *drum = TryInstrument(IdBatterieBanque((id - kBankDrumBase) / 128, key));
        return drum ? drum : TryInstrument(IdBatterieBanque(0, key));
    }
    if (id >= kBankSungFirst && id <= kBankSungLast) id = IdProgrammeBanque(kBankChoirProgram, 0);
    if (id < 0 || id >= kBankDrumBase) id = 0;
    const BankInstrument *instrument = TryInstrument(id);
    if (!instrument) instrument = TryInstrument(id % 128);
    if (!instrument) instrument = TryInstrument(0);
    return instrument;
}

void CompteInstrumentsBanque(SInt32 *programs, SInt32 *drums) {
    *programs = *drums = 0;
    if (gBank.resFile > 0) CountInstruments(gBank.resFile, programs, drums);
}

void GetInfoBanque(BankInfoRecord *info) {
    if (gBank.level >= 0) *info = gBank.info;
    else memset(info, 0, sizeof *info);
}

OSErr LitResumeBanque(const char *path, BankInfoRecord *info, SInt32 *programs, SInt32 *drums) {
    ClearProblem();
    memset(info, 0, sizeof *info);
    *programs = *drums = 0;
    char *absolute = realpath(path, nullptr);
    char open[1200];
    snprintf(open, sizeof open, "%s/%s.rsr", gBank.bankFolder, gBank.info.name);
    // The open bank's file is already open: asking for it again must not close it.
    bool isOpenBank = absolute && gBank.resFile > 0 && strcmp(absolute, open) == 0;
    SInt16 current = CurResFile();
    SInt16 ref = isOpenBank ? gBank.resFile : absolute ? OpenResFile(absolute) : SInt16(-1);
    free(absolute);
    if (!isOpenBank) gBank.filesOpened++;
    if (ref <= 0) {
        UseResFile(current);
        Problem(resFNotFound, "%s is not a resource file", path);
        return resFNotFound;
    }
    UseResFile(ref);
    Handle h = Get1Resource(kBankInfoType, kBankInfoId);
    char why[200] = "no bank description";
    OSErr err = h ? LitInfoBanque(*h, GetHandleSize(h), info, why, sizeof why) : OSErr(resNotFound);
    if (h) ReleaseResource(h);
    if (err == noErr) CountInstruments(ref, programs, drums);
    if (!isOpenBank) CloseResFile(ref);
    UseResFile(current);
    if (err != noErr) Problem(err, "%s: %s", path, why);
    return err;
}

OSErr BankError() { return gBank.error; }

const char *BankErrorMessage() { return gBank.message; }

UInt32 BankFilesOpened() { return gBank.filesOpened; }

static void Problem(OSErr err, const char *format, ...) {
    gBank.error = err;
    va_list args;
    va_start(args, format);
    vsnprintf(gBank.message, sizeof gBank.message, format, args);
    va_end(args);
}

static void ClearProblem() {
    gBank.error = noErr;
    gBank.message[0] = 0;
}

// The folder holding the bank of a level: the chosen folder, else "SoundBank" in the current
// folder, then in the library's shared folder.
static bool FindBank(SInt16 level, char *folder, size_t folderSize) {
    char shared[1024], candidates[2][1024];
    int count = 0;
    if (gBank.folder[0]) {
        snprintf(candidates[count++], sizeof candidates[0], "%s", gBank.folder);
    } else {
        snprintf(candidates[count++], sizeof candidates[0], "SoundBank");
        GetPathStdOrva(shared);
        snprintf(candidates[count++], sizeof candidates[0], "%.1000s/SoundBank", shared);
    }
    for (int i = 0; i < count; i++) {
        char path[1100];
        snprintf(path, sizeof path, "%.1000s/%s.rsr", candidates[i], kLevelNames[level]);
        if (FileExists(path)) {
            snprintf(folder, folderSize, "%.1000s", candidates[i]);
            return true;
        }
    }
    return false;
}

static bool OpenBank(SInt16 level) {
    char folder[1024], path[1200];
    if (!FindBank(level, folder, sizeof folder)) {
        Problem(fnfErr, "no bank \"%s\"", kLevelNames[level]);
        return false;
    }
    char *absolute = realpath(folder, nullptr);
    snprintf(gBank.bankFolder, sizeof gBank.bankFolder, "%s", absolute ? absolute : folder);
    free(absolute);
    snprintf(path, sizeof path, "%s/%s.rsr", gBank.bankFolder, kLevelNames[level]);
    SInt16 current = CurResFile();
    gBank.filesOpened++;
    SInt16 ref = OpenResFile(path);
    if (ref <= 0) {
        UseResFile(current);
        Problem(ResError() ? ResError() : OSErr(resFNotFound), "%s is not a resource file", path);
        return false;
    }
    gBank.resFile = ref;
    Handle h = Get1Resource(kBankInfoType, kBankInfoId);
    char why[200] = "no bank description";
    OSErr err = h ? LitInfoBanque(*h, GetHandleSize(h), &gBank.info, why, sizeof why) : OSErr(resNotFound);
    if (h) ReleaseResource(h);
    UseResFile(current);
    gBank.instruments = reinterpret_cast<BankInstrument **>(NewPtrClear(kBankInstrumentSlots * sizeof(BankInstrument *)));
    gBank.slotState = reinterpret_cast<UInt8 *>(NewPtrClear(kBankInstrumentSlots));
    gBank.samples = reinterpret_cast<BankSample **>(NewPtrClear((kBankMaxSampleNumber + 1) * sizeof(BankSample *)));
    gBank.sampleAbsent = reinterpret_cast<UInt8 *>(NewPtrClear(kBankMaxSampleNumber + 1));
    if (err == noErr && (!gBank.instruments || !gBank.slotState || !gBank.samples || !gBank.sampleAbsent)) {
        err = memFullErr;
        snprintf(why, sizeof why, "no memory for the bank's tables");
    }
    if (err != noErr) {
        CloseFichiersRessourcesDigit();
        Problem(err, "%s: %s", path, why);
        return false;
    }
    gBank.level = level;
    return true;
}

static const BankInstrument *TryInstrument(SInt32 id) {
    if (id < 0 || id >= kBankInstrumentSlots) return nullptr;
    if (gBank.slotState[id] == kSlotUnknown) {
        gBank.instruments[id] = LoadInstrument(id);
        gBank.slotState[id] = gBank.instruments[id] ? kSlotLoaded : kSlotAbsent;
    }
    return gBank.instruments[id];
}

// Reads an instrument's zones and loads their samples; zones whose sample cannot be loaded
// are left out (reported), and an instrument left without zones is absent.
static BankInstrument *LoadInstrument(SInt32 id) {
    SInt16 current = CurResFile();
    UseResFile(gBank.resFile);
    Handle h = Get1Resource(kBankInstrumentType, SInt16(id));
    UseResFile(current);
    if (!h) return nullptr;
    BankZone *zones = reinterpret_cast<BankZone *>(NewPtrClear(kBankMaxZones * sizeof(BankZone)));
    UInt32 count = 0;
    char why[200];
    OSErr err = zones ? LitZonesInstrument(*h, GetHandleSize(h), zones, kBankMaxZones, &count, why, sizeof why)
                      : OSErr(memFullErr);
    ReleaseResource(h);
    if (err != noErr) {
        if (zones) DisposPtr(reinterpret_cast<Ptr>(zones));
        Problem(err, "instrument %d: %s", int(id), err == memFullErr ? "no memory" : why);
        return nullptr;
    }
    const BankSample **samples = reinterpret_cast<const BankSample **>(NewPtr(count * sizeof(BankSample *)));
    UInt32 kept = 0;
    for (UInt32 i = 0; samples && i < count; i++) {
        const BankSample *sample = LoadSample(zones[i].sample);
        if (!sample || !FitZone(&zones[i], sample)) continue;
        zones[kept] = zones[i];
        samples[kept++] = sample;
    }
    BankZone *fitted = kept ? reinterpret_cast<BankZone *>(NewPtr(kept * sizeof(BankZone))) : nullptr;
    if (fitted) BlockMove(zones, fitted, SInt32(kept * sizeof(BankZone)));
    DisposPtr(reinterpret_cast<Ptr>(zones));
    zones = fitted;
    BankInstrument *instrument = zones ? reinterpret_cast<BankInstrument *>(NewPtr(sizeof(BankInstrument))) : nullptr;
    if (!instrument) {
        if (samples) DisposPtr(reinterpret_cast<Ptr>(samples));
        if (zones) DisposPtr(reinterpret_cast<Ptr>(zones));
        if (gBank.error == noErr) Problem(memFullErr, "instrument %d: nothing to play", int(id));
        return nullptr;
    }
    instrument->id = id;
    instrument->zoneCount = kept;
    instrument->zones = zones;
    instrument->samples = samples;
    return instrument;
}

static const BankSample *LoadSample(UInt32 number) {
    if (gBank.samples[number]) return gBank.samples[number];
    if (gBank.sampleAbsent[number]) return nullptr;
    char path[1200], why[200];
    NomFichierEchantillon(gBank.bankFolder, number, path, sizeof path);
    BankSampleHeader header;
    SInt16 *data = nullptr;
    gBank.filesOpened++;
    OSErr err = ChargeFichierEchantillon(path, &header, &data, why, sizeof why);
    BankSample *sample = err == noErr ? reinterpret_cast<BankSample *>(NewPtr(sizeof(BankSample))) : nullptr;
    if (!sample) {
        if (data) DisposPtr(reinterpret_cast<Ptr>(data));
        gBank.sampleAbsent[number] = 1;
        Problem(err == noErr ? OSErr(memFullErr) : err, "sample %05u: %s", unsigned(number), err == noErr ? "no memory" : why);
        return nullptr;
    }
    sample->number = number;
    sample->rate = header.rate;
    sample->frames = header.frames;
    sample->loopStart = header.loopStart;
    sample->loopEnd = header.loopEnd;
    sample->channels = header.channels;
    sample->data = data;
    gBank.samples[number] = sample;
    return sample;
}

// Brings a zone's frame ranges inside its sample: the played range is cut at the sample's
// end, a loop that does not lie inside it is dropped. False when nothing is left to play.
static bool FitZone(BankZone *z, const BankSample *sample) {
    if (z->end == 0 || z->end > sample->frames) z->end = sample->frames;
    if (z->start >= z->end) {
        Problem(paramErr, "sample %05u: zone plays no frame", unsigned(sample->number));
        return false;
    }
    if (z->loopEnd == 0) {
        z->loopStart = sample->loopStart;
        z->loopEnd = sample->loopEnd;
    }
    if (z->loopMode != kBankLoopNone && (z->loopEnd > z->end || z->loopStart >= z->loopEnd || z->loopStart < z->start)) {
        z->loopMode = kBankLoopNone;
        z->loopStart = z->loopEnd = 0;
    }
    return true;
}

static bool FileExists(const char *path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

static void CountInstruments(SInt16 ref, SInt32 *programs, SInt32 *drums) {
    SInt16 current = CurResFile();
    UseResFile(ref);
    SInt16 count = Count1Resources(kBankInstrumentType);
    for (SInt16 i = 1; i <= count; i++) {
        SInt16 id = -1;
        ResType type;
        char name[256];
        Handle h = Get1IndResource(kBankInstrumentType, i);
        GetResInfo(h, &id, &type, name);
        if (h) ReleaseResource(h);
        if (EstIdBatterie(id)) (*drums)++;
        else if (id >= 0) (*programs)++;
    }
    UseResFile(current);
}

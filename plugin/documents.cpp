// Loading the instance's cache file into the score model by the format of its name, laying it
// out, and releasing it again.
#include "plugin/documents.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "graphics/quickdraw/window_record.h"
#include "import/musicxml/musicxml_import.h"
#include "layout/pagination.h"
#include "layout/print_jobs.h"
#include "layout/staff_heights.h"
#include "layout/units.h"
#include "layout/views.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "plugin/cache_files.h"
#include "plugin/instance.h"
#include "plugin/interface/drawing.h"
#include "plugin/interface/interface_standins.h"
#include "plugin/shell_standins.h"
#include "plugin/startup.h"
#include "score/play_lists.h"
#include "score/played_measures.h"
#include "score/score_formats.h"
#include "score/tempo_map.h"
#include "sound/playback.h"

namespace {

constexpr SInt16 kAlertUpdate = 304;
constexpr SInt16 kNoticeNewVersion = 261;
constexpr size_t kTitleCut = 120;        // bytes of the document's own title shown
constexpr SInt32 kCommentMax = 65536;    // bytes of a comment read for its keys
const char kUpdateCommand[] = "updt=1";

// Process-wide load state. newVersion is set from any thread; the rest is the main thread's.
struct DocumentsState {
    std::atomic<bool> newVersion{false};  // the score reader met a file newer than itself
    UInt8 updateOffered;                  // the update was offered (once per process)
};
DocumentsState gDocs;

}  // namespace

static void LoadFromCache(PlugInInstance *instance, char *path, size_t size);
static Boolean LoadByFormat(PlugInInstance *instance, DocumentRecord *document, char *path, size_t size);
static Boolean Unpack(PlugInInstance *instance, const ScoreFormatOps *row, char *path, size_t size);
static Boolean LoadTune(PlugInInstance *instance, const ScoreFormatOps *row, DocumentRecord *document, const char *path);
static Boolean TryTune(const ScoreFormatOps *row, const char *path, SInt16 tune, JukeBoxEntry *entry);
static Boolean LoadMember(PlugInInstance *instance, const ScoreFormatOps *row, DocumentRecord *document, const char *path);
static Boolean NewPlayList(PlugInInstance *instance);
static void NameFromList(PlugInInstance *instance, DocumentRecord *document);
static void LoadFailed(PlugInInstance *instance);
static void SetUpLoaded(PlugInInstance *instance, DocumentRecord *document);
static void ApplyTempo(PlugInInstance *instance, ScoreHandle score);
static void LayOut(PlugInInstance *instance, DocumentRecord *document, ScoreHandle score);
static void CopyDocumentTexts(PlugInInstance *instance, DocumentRecord *document);
static void ReadCommentKeys(PlugInInstance *instance, DocumentRecord *document);
static DocumentRecord *NewDocument();
static void DisposeDocument(DocumentRecord **document);
static Handle CopyOfHandle(Handle h);
static void CopyText(char *to, size_t size, const char *from, size_t most);
static SInt16 NumberAfter(const char *text, const char *key, SInt16 current);

Boolean PlugOpenFile(PlugInInstance *instance, char *path, size_t size) {
    if (!CheminFichierCache(instance->cacheFileName, path, size)) return kFalse;
    int fd = open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return kFalse;
    close(fd);
    return kTrue;
}

void DeleteFichierCache(PlugInInstance *instance) {
    if (instance->cacheStream) fclose(instance->cacheStream);  // a download cut by the instance's end
    instance->cacheStream = nullptr;
    SupprimeFichierCache(instance->cacheFileName);
    instance->cacheFileName[0] = 0;
    instance->cacheUnpacked = 0;
    instance->docInCache = 0;
}

void PlugInLoadDoc(PlugInInstance *instance) {
    if (!instance->docInCache) {
        PlugTrace("** File not in cache");
        return;
    }
    SInt16 savedResources = CurResFile();
    if (resFilePlugIn >= 0) UseResFile(resFilePlugIn);
    PlugTrace("PlugInLoadDoc on %8lx '%s' '%s' %d", static_cast<unsigned long>(uintptr_t(instance)),
              instance->cacheFileName, instance->docName, int(instance->listNumber));
    char path[kCacheFolderSize];
    if (PlugOpenFile(instance, path, sizeof path)) LoadFromCache(instance, path, sizeof path);
    else PlugTrace("Can't open %s", instance->cacheFileName);
    instance->karaokePossible = PlugInIskaraokePossible(instance);
    instance->lyricStaffCount = PlugInNbPorteesKaraoke(instance);
    if (instance->document) CopyText(instance->mailAddress, sizeof instance->mailAddress, instance->document->email, SIZE_MAX);
    UseResFile(savedResources);
}

Boolean PlugBeginFile(PlugInInstance *instance) {
    if (instance->filmMode) return PlugPekChargeFichier(instance);
    if (!instance->document) {
        PlugInLoadDoc(instance);
        AppliqueTranspose(instance);
        PlugInAdjustMenu(instance);
        PlugMixerGetValues(instance);
    }
    return instance->document != nullptr;
}

void PlugEndFile(PlugInInstance *instance) {
    if (instance->filmMode || instance->keepLoaded || !instance->document) return;
    PlugInAdjustMenu(instance);
    if (GetDialogMusiqueEnCours() != instance->document) PlugInDisposeDoc(instance);
}

void PlugInDisposeDoc(PlugInInstance *instance) {
    if (instance->filmMode) PlugPekDisposeFichier(instance);
    DocumentRecord *document = instance->document;
    if (!document) return;
    GrafPtr saved;
    GetPort(&saved);
    GrafPtr dialogPort = document->window ? &document->window->port : nullptr;
    if (dialogPort) SetPort(dialogPort);
    instance->transposeApplied = 0;
    while (document->scoreCount > 0) {
        ScoreHandle score = GetPartitionDocument(document, SInt16(document->scoreCount - 1));
        if (!score) break;
        SupprimePartition(document, score);
    }
    SetPort(saved == dialogPort ? nullptr : saved);  // the dialog's port goes with it
    PlugDisposeDialogueChargement(document->window);
    document->window = nullptr;
    DisposeDocument(&instance->document);
    PlugTrace("PlugInDisposeDoc '%s'", instance->docName);
}

void PlugCalculeCvtSec(PlugInInstance *instance) {
    ScoreHandle score = instance->document ? instance->document->score : nullptr;
    if (!IsPartitionValide(score)) return;
    LibereTableauCvtSec(score);
    CvtMsEnTempsJoue(score, 0, kTrue);  // each conversion builds its map
    CvtMsEnTempsJoue(score, 0, kFalse);
    DisposHandle(instance->tempoMapPlayed);
    DisposHandle(instance->tempoMapWritten);
    instance->tempoMapPlayed = CopyOfHandle((*score)->tempoMapPlayed);
    instance->tempoMapWritten = CopyOfHandle((*score)->tempoMapWritten);
}

SInt32 PlugCalculePosTempsJoue(PlugInInstance *instance) {
    DocumentRecord *document = instance ? instance->document : nullptr;
    if (!document || instance != plugInState.plugInInstancePlay || !IsPartitionValide(document->score)) return -1;
    SInt32 position = document->resumePosition ? document->resumePosition : GetPosTickMusiqueEntendue();
    if (position < 0) return -1;
    SInt32 ms = CvtTempsJoueEnMs(document->score, position, kTrue);
    return ms < 0 ? -1 : ms;
}

void RedrawDocumentInstance(PlugInInstance *instance) {
    if (!instance->documentReady) return;
    PlugInDeletePicture(instance);
    PlugInDrawState state;
    if (!StartDraw(instance, &state)) return;
    PlugInDoDrawDocument(instance);
    EndDraw(instance, &state);
}

void PlugInDisposeListe(PlugInInstance *instance) {
    if (!instance->playList) return;
    ClrPlayList(instance->playList);
    DisposPtr(reinterpret_cast<Ptr>(instance->playList));
    instance->playList = nullptr;
}

void SetCurElement(PlugInInstance *instance, SInt16 index) {
    JukeBoxList *list = instance->playList;
    if (!list || list->count <= 0) return;
    SInt16 last = SInt16(list->count - 1);
    list->current = index < 0 ? SInt16(0) : index > last ? last : index;
    if (list->firstVisible > list->current) list->firstVisible = list->current;
    instance->listNumber = SInt16(list->current + 1);
    PlugTrace("SetCurElement %d", int(list->current));
    PlugDisposeMixer(instance);
}

void PlugInRaiseToPrintDpi(PrintInfoRecord *info) {
    if (info->vRes >= kPrintDpiMin) return;
    SInt32 h = info->hRes > 0 ? SInt32(info->hRes) : SInt32(kScreenDpi);
    SInt32 v = info->vRes > 0 ? SInt32(info->vRes) : SInt32(kScreenDpi);
    SInt64 width = SInt64(info->pageWidth) * kPrintDpiMin / h;
    SInt64 height = SInt64(info->pageHeight) * kPrintDpiMin / v;
    info->pageWidth = SInt32(width > INT32_MAX ? INT32_MAX : width < INT32_MIN ? INT32_MIN : width);
    info->pageHeight = SInt32(height > INT32_MAX ? INT32_MAX : height < INT32_MIN ? INT32_MIN : height);
    info->hRes = info->vRes = kPrintDpiMin;
}

void PlugInLitClesCommentaire(PlugInInstance *instance, const char *comment) {
    if (!comment) return;
    if (strstr(comment, "key=on")) instance->keyboardEnabled = instance->keyboardShown = 1;
    if (strstr(comment, "key=off")) {
        instance->keyboardEnabled = 1;
        instance->keyboardShown = 0;
    }
    instance->keyboardFirstOctave = NumberAfter(comment, "fo=", instance->keyboardFirstOctave);
    instance->keyboardOctaves = NumberAfter(comment, "no=", instance->keyboardOctaves);
}

void PlugInCopieTablesMesures(PlugInInstance *instance, ScoreHandle score) {
    DisposHandle(instance->measureTable);
    DisposHandle(instance->ruptureTable);
    instance->measureTable = instance->ruptureTable = nullptr;
    instance->measureCount = instance->ruptureCount = 0;
    if (!IsPartitionValide(score)) return;
    SInt32 measures = (*score)->measureCount;
    instance->measureCount = SInt16(measures > INT16_MAX ? INT16_MAX : measures);
    instance->measureTable = CopyOfHandle((*score)->measures);
    Handle order = (*score)->playedMeasures;
    SInt32 count = (*score)->playedCount;
    if (!order || count <= 0 || SInt64(GetHandleSize(order)) < SInt64(count) * SInt64(sizeof(UInt16))) return;
    const UInt16 *entries = reinterpret_cast<const UInt16 *>(*order);
    SInt32 i = 0;
    while (i < count && entries[i] == i) i++;
    if (i == count) return;  // every measure once, in order: no table
    instance->ruptureTable = CopyOfHandle(order);
    if (instance->ruptureTable) instance->ruptureCount = SInt16(count > INT16_MAX ? INT16_MAX : count);
}

void PlugInAvertissementVrac(SInt16 code) {
    if (code == kNoticeNewVersion) gDocs.newVersion.store(true);
}

Boolean PlugNouvelleVersionSignalee() { return gDocs.newVersion.load(); }

// Steps 3 to 11 of a load: the document, its progress dialog as the current port, the loader,
// and on success everything the player keeps of it.
static void LoadFromCache(PlugInInstance *instance, char *path, size_t size) {
    DocumentRecord *document = NewDocument();
    if (!document) {
        Collapse("PlugIn Error : # 54878: Not enough memory.");
        return;
    }
    instance->document = document;
    GrafPtr saved;
    GetPort(&saved);
    document->window = PlugCreeDialogueChargement();
    if (!document->window) {
        PlugTrace("Can't find DLOG 303");
        Collapse("PlugIn Error : # 25648: Can't create dialog");
        DisposeDocument(&instance->document);
        return;
    }
    SetPort(&document->window->port);
    Boolean loaded = LoadByFormat(instance, document, path, size);
    PlugTrace("Loader result %d for '%s'", int(loaded), instance->docName);
    if (loaded) SetUpLoaded(instance, document);
    else LoadFailed(instance);
    SetPort(saved);
}

// Step 5: the row of the document's name (of the unpacked file once unpacked) loads it.
static Boolean LoadByFormat(PlugInInstance *instance, DocumentRecord *document, char *path, size_t size) {
    const char *name = instance->cacheUnpacked ? instance->cacheFileName : instance->docName;
    const ScoreFormatOps *row = RechercheFormatPartition(name);
    if (row && row->unpack && !instance->cacheUnpacked) {
        if (!Unpack(instance, row, path, size)) return kFalse;
        row = RechercheFormatPartition(instance->cacheFileName);
    }
    if (!row || row->unpack) {
        PlugTrace("No reader for '%s'", name);
        return kFalse;
    }
    PlugTrace("Loading %s", row->name);
    FixeMiseEnPageStandardDocument(document);
    Boolean loaded;
    if (row->elements == kFormatMorceaux) {
        loaded = LoadTune(instance, row, document, path);
    } else if (row->elements == kFormatMembres) {
        loaded = LoadMember(instance, row, document, path);
    } else {
        loaded = row->load(document, path, -1);
        CopyText(document->name, sizeof document->name, instance->docName, SIZE_MAX);
    }
    if (instance->cacheUnpacked) document->format = kFormatXMZ;
    return loaded;
}

// A packed document is unpacked once into the cache folder, beside the downloaded file, which
// it then replaces: later loads read the unpacked file as it is.
static Boolean Unpack(PlugInInstance *instance, const ScoreFormatOps *row, char *path, size_t size) {
    PlugTrace("Loading packed %s", row->name);
    char name[kCacheFileNameSize];
    int n = snprintf(name, sizeof name, "%s.%s", instance->cacheFileName, row->unpackedExtension ? row->unpackedExtension : "");
    if (!row->unpackedExtension || n < 0 || size_t(n) >= sizeof name) return kFalse;
    FILE *out = CreeFichierCache(name);
    if (!out) {
        PlugTrace("Can't create %s", name);
        return kFalse;
    }
    Boolean unpacked = row->unpack(path, out);
    if (fclose(out) != 0) unpacked = kFalse;
    if (!unpacked) {
        SupprimeFichierCache(name);
        return kFalse;
    }
    SupprimeFichierCache(instance->cacheFileName);
    snprintf(instance->cacheFileName, sizeof instance->cacheFileName, "%s", name);
    instance->cacheUnpacked = 1;
    return CheminFichierCache(name, path, size);
}

// A file of tunes: a play list of its tunes when it holds more than one (tune 1 loads), each
// named by its title; then the tune of listNumber.
static Boolean LoadTune(PlugInInstance *instance, const ScoreFormatOps *row, DocumentRecord *document, const char *path) {
    if (!instance->playList) {
        if (TryTune(row, path, 1, nullptr) && NewPlayList(instance)) {
            JukeBoxEntry entry;
            while (instance->playList->count < kMaxMorceaux &&
                   TryTune(row, path, instance->playList->count, &entry) &&
                   AjouteFichierJukeBox(1, &entry, instance->playList) == noErr) {
            }
        }
        instance->listNumber = 1;
    }
    SInt16 count = instance->playList ? instance->playList->count : 1;
    if (instance->listNumber < 1 || instance->listNumber > count) instance->listNumber = 1;
    Boolean loaded = row->load(document, path, SInt16(instance->listNumber - 1));
    NameFromList(instance, document);
    return loaded;
}

// Loads one tune into a document of its own, which is disposed; entry, when given, gets the
// tune's title and its played length in whole seconds.
static Boolean TryTune(const ScoreFormatOps *row, const char *path, SInt16 tune, JukeBoxEntry *entry) {
    DocumentRecord *trial = NewDocument();
    if (!trial) return kFalse;
    Boolean loaded = row->load(trial, path, tune);
    if (loaded && entry) {
        *entry = JukeBoxEntry();
        entry->titleFlag = 1;
        CopyText(entry->title, sizeof entry->title, trial->titles[0].text, SIZE_MAX);
        if (!entry->title[0]) snprintf(entry->title, sizeof entry->title, "%d", tune + 1);
        CopyText(entry->path, sizeof entry->path, entry->title, SIZE_MAX);
        ScoreHandle score = trial->score;
        if (IsPartitionValide(score)) entry->duration = CvtTempsJoueEnMs(score, DureeTotaleMusique(score), kTrue) / 1000;
    }
    DisposeDocument(&trial);
    return loaded;
}

// A container of documents: a play list of its members (made once), then the member of
// listNumber. A container without members holds nothing to load.
static Boolean LoadMember(PlugInInstance *instance, const ScoreFormatOps *row, DocumentRecord *document, const char *path) {
    if (!instance->playList && NewPlayList(instance)) {
        JukeBoxEntry entry = JukeBoxEntry();
        for (SInt16 i = 0; i < kJukeBoxEntreesMax && row->member; i++) {
            entry = JukeBoxEntry();
            UInt64 bytes = 0;
            if (!row->member(path, i, entry.title, sizeof entry.title, &bytes)) break;
            entry.titleFlag = 1;
            entry.size = bytes;
            CopyText(entry.path, sizeof entry.path, entry.title, SIZE_MAX);
            if (AjouteFichierJukeBox(1, &entry, instance->playList) != noErr) break;
        }
        instance->listNumber = 1;
    }
    if (!instance->playList || instance->playList->count == 0) {
        PlugTrace("No document in '%s'", instance->docName);
        return kFalse;
    }
    if (instance->listNumber < 1 || instance->listNumber > instance->playList->count) instance->listNumber = 1;
    NameFromList(instance, document);
    return row->load(document, path, SInt16(instance->listNumber - 1));
}

static Boolean NewPlayList(PlugInInstance *instance) {
    instance->playList = reinterpret_cast<JukeBoxList *>(NewPtrClear(sizeof(JukeBoxList)));
    if (!instance->playList) return kFalse;
    instance->playList->playMode = PlugInListPlayMode(instance);
    instance->areaLeft = instance->listSplit = PlugInPosSplit(instance);
    return kTrue;
}

// The document takes the name of its element of the list (and bytesReceived its size), else
// the instance's document name.
static void NameFromList(PlugInInstance *instance, DocumentRecord *document) {
    JukeBoxEntry *entry = instance->playList ? GetEntreeJukeBox(instance->playList, SInt16(instance->listNumber - 1)) : nullptr;
    CopyText(document->name, sizeof document->name, entry ? entry->title : instance->docName, SIZE_MAX);
    if (entry && entry->size > 0) instance->bytesReceived = SInt32(entry->size > UInt64(INT32_MAX) ? INT32_MAX : entry->size);
}

// Step 7: nothing of the file stays; the update is offered once after a newer file.
static void LoadFailed(PlugInInstance *instance) {
    PlugTrace("** Impossible to load file (bad format)");
    PlugDisposeDialogueChargement(instance->document->window);
    instance->document->window = nullptr;
    DisposeDocument(&instance->document);
    if (gDocs.newVersion.load() && !gDocs.updateOffered) {
        gDocs.updateOffered = 1;
        const unsigned char empty[1] = {0};
        ParamText(empty, empty, empty, empty);
        if (Alert(kAlertUpdate, nullptr) == 1) PlugInSetCommanServer(instance, kUpdateCommand);
    }
    instance->titleWanted = instance->titleShown = 1;
}

// Steps 8 to 11: printing prepared, the score's tempo, views, pages, texts and tables.
static void SetUpLoaded(PlugInInstance *instance, DocumentRecord *document) {
    FixeResolutionMaxImprimante();
    ScoreHandle score = document->score;
    if (!IsPartitionValide(score)) {
        Collapse("No partition");
    } else {
        InitVueCourante(document);
        ApplyTempo(instance, score);
        instance->volumeScale = document->volumeScale;
        if (!instance->documentReady) {
            instance->viewCount = GetNbVuesDocument(document);
            instance->currentView = instance->startViewGiven ? instance->startView : -1;
            instance->metronomeOn = instance->metronomeGiven ? instance->metronomeStart : (*score)->metronome;
        }
        EnableVuesEnModeRuban();
        FixeVue(document, instance->currentView);
        DisableVuesEnModeRuban();
        instance->documentReady = 1;
        LayOut(instance, document, score);
        CopyDocumentTexts(instance, document);
        instance->pageCount = GetNbPagesDocument(document);
        instance->totalDuration = DureeTotaleMusique(score);
        instance->totalDurationMs = CvtTempsJoueEnMs(score, instance->totalDuration, kTrue);
        instance->soundBankLevel = document->soundBankLevel;
        instance->hasSungStaves = 0;
        if (IsLyrovox()) {
            LyrovoxAdapteDocument(document, 0);
            for (SInt16 i = 0; i < (*score)->staffCount; i++) {
                StaffHandle staff = GetPortee(score, i);
                if (staff && (*staff)->sung) instance->hasSungStaves = 1;
            }
        }
        instance->keyboardInstrument = 65535;
        PlugInCopieTablesMesures(instance, score);
        PlugCalculeCvtSec(instance);
    }
    ReadCommentKeys(instance, document);
}

// A tempo asked by the page replaces the score's own, its tempo marks following; otherwise the
// instance learns the score's tempo.
static void ApplyTempo(PlugInInstance *instance, ScoreHandle score) {
    if (instance->tempo != 0 && instance->tempo != (*score)->tempo) {
        float oldTempo = GetTempoFinPartition(score);
        (*score)->tempo = SInt16(BorneTempo(instance->tempo));
        (*score)->tempoFraction = 0;
        ReajusteValeurDynamiqueTempoAffiche(score, oldTempo);
    } else {
        instance->tempo = (*score)->tempo;
    }
}

// Audio staves are not printed; the printer's paper at 300 dpi at least; the score drawn at 72
// points an inch into pages.
static void LayOut(PlugInInstance *instance, DocumentRecord *document, ScoreHandle score) {
    for (SInt16 i = 0; i < (*score)->staffCount; i++) {
        StaffHandle staff = GetPortee(score, i);
        if (staff && (*staff)->type == kPorteeAudio) FixePorteeImprimable(&document->pageSetup, staff, kFalse);
    }
    PrintInfoRecord info;
    GetPrInfoDocument(document, &info);
    PlugInRaiseToPrintDpi(&info);
    instance->pageSetup = info;
    (*score)->document = document;
    (*score)->outputDpi = info.hRes;
    (*score)->zoom = 72.0f;
    (*score)->screenMode = 2;
    SetDpiPartition(score);
    InitPortees(score);
    (*score)->pendingMask |= kTabEltTout;
    MetsEnPageDocument(document, &document->pageSetup, &info);
}

static void CopyDocumentTexts(PlugInInstance *instance, DocumentRecord *document) {
    const char *title = document->titles[0].text;
    if (!title[0] || instance->showName) CopyText(instance->docTitle, sizeof instance->docTitle, instance->docName, SIZE_MAX);
    else CopyText(instance->docTitle, sizeof instance->docTitle, title, kTitleCut);
    ViewRecord view;
    instance->viewName[0] = 0;
    if (instance->currentView >= 0 && GetVue(document, instance->currentView, &view))
        CopyText(instance->viewName, sizeof instance->viewName, view.name, SIZE_MAX);
    CopyText(instance->docText1, sizeof instance->docText1, document->info[0], SIZE_MAX);
    CopyText(instance->docText2, sizeof instance->docText2, document->info[1], SIZE_MAX);
    CopyText(instance->docText3, sizeof instance->docText3, document->info[2], SIZE_MAX);
}

// Step 11: the keys the document's comment gives.
static void ReadCommentKeys(PlugInInstance *instance, DocumentRecord *document) {
    Handle comment = document->comment;
    if (!comment || !OrvaIsValidHandle(comment)) return;
    SInt32 size = SInt32(GetHandleSize(comment));
    if (size > kCommentMax) size = kCommentMax;
    char *text = static_cast<char *>(malloc(size_t(size) + 1));
    if (!text) return;
    memcpy(text, *comment, size_t(size));
    text[size] = 0;
    PlugInLitClesCommentaire(instance, text);
    free(text);
}

static DocumentRecord *NewDocument() { return reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord))); }

static void DisposeDocument(DocumentRecord **document) {
    if (!*document) return;
    VideDocument(*document);
    DisposPtr(reinterpret_cast<Ptr>(*document));
    *document = nullptr;
}

static Handle CopyOfHandle(Handle h) {
    if (!h || !OrvaIsValidHandle(h)) return nullptr;
    UInt8 state = HGetState(h);
    HLock(h);
    Handle copy = nullptr;
    if (PtrToHand(*h, &copy, SInt32(GetHandleSize(h))) != noErr) copy = nullptr;
    HSetState(h, state);
    return copy;
}

// At most most bytes of from (and size - 1), cut at a UTF-8 character boundary.
static void CopyText(char *to, size_t size, const char *from, size_t most) {
    if (size == 0) return;
    const char *text = from ? from : "";
    size_t n = strnlen(text, size - 1);
    if (n > most) n = most;
    while (n > 0 && text[n] && (UInt8(text[n]) & 0xC0) == 0x80) n--;
    memmove(to, text, n);
    to[n] = 0;
}

// The number after the first occurrence of key, held to 16 bits; current when there is none.
static SInt16 NumberAfter(const char *text, const char *key, SInt16 current) {
    const char *at = strstr(text, key);
    if (!at) return current;
    char *end = nullptr;
    errno = 0;
    long value = strtol(at + strlen(key), &end, 10);
    if (end == at + strlen(key)) return current;
    return SInt16(value > INT16_MAX ? INT16_MAX : value < INT16_MIN ? INT16_MIN : value);
}

// The browser's stream of the instance's document into its cache file.
#include "plugin/documents.h"

#include <cstdint>
#include <cstring>

#include "platform/core/runtime.h"
#include "plugin/cache_files.h"
#include "plugin/instance.h"
#include "plugin/interface/drawing.h"
#include "plugin/interface/interface_standins.h"
#include "plugin/interface/title_bar.h"
#include "plugin/shell_standins.h"
#include "score/text_utilities.h"

namespace {

const char kDocNameDefault[] = "src=";  // the name until SRC, FILENAME or the stream gives one
const char kFilmExtension[] = "pek";

}  // namespace

static void DropEarlierDocument(PlugInInstance *instance);
static void KeepUrlDirectory(PlugInInstance *instance, const char *url);
static void RedrawTitle(PlugInInstance *instance);
static unsigned long TraceAddress(const void *p);

NPError NPP_NewStream(NPP npp, char *, NPStream *stream, NPBool, uint16_t *streamType) {
    PlugInInstance *instance = PlugInFromNPP(npp);
    const char *url = stream && stream->url ? stream->url : "";
    PlugTrace("NPP_NewStream on %8lx: Url '%s' ", TraceAddress(instance), url);
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    DropEarlierDocument(instance);
    instance->streamLength = stream && stream->end <= uint32_t(INT32_MAX) ? SInt32(stream->end) : 0;
    char extension[kCacheExtensionSize];
    CacheExtensionOfUrl(url, extension);
    KeepUrlDirectory(instance, url);
    // An element without SRC or FILENAME (a full page, an object's data) is named by its
    // address, so that the right loader reads it and the title shows its name.
    if (instance->docNameFromStream || strcmp(instance->docName, kDocNameDefault) == 0) {
        char name[kDocNameSize];
        DocNameOfUrl(url, name, sizeof name);
        snprintf(instance->docName, sizeof instance->docName, "%s", name[0] ? name : kDocNameDefault);
        instance->docNameFromStream = 1;
        instance->filmMode = cmp_extension(instance->docName, kFilmExtension);
    }
    if (streamType) *streamType = NP_NORMAL;
    instance->cacheStream = NewCacheFile(extension, instance->cacheFileName, sizeof instance->cacheFileName);
    if (!instance->cacheStream) {
        PlugTrace("Can't create F%08ld.%s", long(GetCompteurCache()), extension);
        return NPERR_OUT_OF_MEMORY_ERROR;
    }
    return NPERR_NO_ERROR;
}

int32_t NPP_WriteReady(NPP, NPStream *) { return kStreamBufferSize; }

int32_t NPP_Write(NPP npp, NPStream *, int32_t, int32_t length, void *buffer) {
    PlugTrace("NPP_Write");
    PlugInInstance *instance = PlugInFromNPP(npp);
    if (!instance || length < 0 || (length > 0 && !buffer)) return -1;
    if (!instance->cacheStream) {
        PlugTrace("Error : file not open");
        return length;
    }
    if (instance->cacheWriteFailed) return -1;
    instance->bytesReceived = instance->bytesReceived > INT32_MAX - length ? INT32_MAX : instance->bytesReceived + length;
    PlugTrace("AppendData %ld on %s %s (%ld)", long(length), instance->cacheFileName, instance->docName,
              long(instance->bytesReceived));
    // A block that does not reach the disk whole fails the stream: the browser ends it with an
    // error and the truncated file is deleted, never loaded as if complete.
    if (fwrite(buffer, 1, size_t(length), instance->cacheStream) != size_t(length)) {
        PlugTrace("Can't write %s", instance->cacheFileName);
        instance->cacheWriteFailed = 1;
        return -1;
    }
    if (instance->filmMode) return PlugPekNewBlock(instance, buffer, length) ? length : -1;
    RedrawTitle(instance);
    return length;
}

NPError NPP_DestroyStream(NPP npp, NPStream *, NPError reason) {
    PlugInInstance *instance = PlugInFromNPP(npp);
    PlugTrace("NPP_DestroyStream on %8lx", TraceAddress(instance));
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    if (!instance->cacheStream) return NPERR_NO_ERROR;
    Boolean closed = fclose(instance->cacheStream) == 0;
    instance->cacheStream = nullptr;
    if (reason != NPRES_DONE || instance->cacheWriteFailed || !closed) {
        PlugTrace("Stream of %s ended with reason %d", instance->cacheFileName, int(reason));
        instance->downloadFailed = 1;
        DeleteFichierCache(instance);
        PlugInRedrawInstance(instance);
        return NPERR_NO_ERROR;
    }
    LinkInstance(instance);
    instance->docInCache = 1;
    // Loaded once now, so that the title, the pages and the duration are known, and the page
    // pictures are recorded while it is.
    Boolean loaded = PlugBeginFile(instance);
    PlugInRedrawInstance(instance);
    if (loaded) PlugEndFile(instance);
    if (instance->autoPlay) {
        PlugInJoueMusique(instance);
        PlugInDrawState state;
        if (StartDraw(instance, &state)) {
            PlugInDrawMenu(instance);
            EndDraw(instance, &state);
        }
    }
    return NPERR_NO_ERROR;
}

// What a first stream left: its file (open or complete), its document and its list.
static void DropEarlierDocument(PlugInInstance *instance) {
    if (plugInState.plugInInstancePlay == instance) PlugInArreteMusique(instance, 1);
    PlugInDisposeDoc(instance);
    PlugInDisposeListe(instance);
    DeleteFichierCache(instance);
    instance->docInCache = instance->downloadFailed = instance->documentReady = 0;
    instance->cacheWriteFailed = instance->cacheUnpacked = 0;
    instance->bytesReceived = 0;
    instance->listNumber = 1;  // a document is the first element of itself
}

// The address up to and including the last '/' of its path.
static void KeepUrlDirectory(PlugInInstance *instance, const char *url) {
    size_t path = strcspn(url, "?#");
    size_t end = path;
    while (end > 0 && url[end - 1] != '/') end--;
    if (end > sizeof instance->urlDirectory - 1) end = 0;
    memcpy(instance->urlDirectory, url, end);
    instance->urlDirectory[end] = 0;
}

// The title bar shows how much has come.
static void RedrawTitle(PlugInInstance *instance) {
    PlugInDrawState state;
    if (!StartDraw(instance, &state)) return;
    PlugInDrawTitle(instance);
    EndDraw(instance, &state);
}

static unsigned long TraceAddress(const void *p) { return static_cast<unsigned long>(uintptr_t(p)); }

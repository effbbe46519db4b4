// The instance's document: the browser's stream into a cache file (streams.cpp), and the cache
// file loaded into the score model whenever the instance needs its document, laid out in pages
// and released after use unless the page keeps it (documents.cpp). Main thread, inside the
// plug-in critical section; the byte stream has one current file, so loading is not re-entrant.
#pragma once

#include "layout/pagination.h"
#include "plugin/npapi.h"
#include "score/score_model.h"

struct PlugInInstance;

enum : SInt32 {
    kStreamBufferSize = 268435455,  // what NPP_WriteReady offers
    kPrintDpiMin = 300,             // pages are laid out for at least this resolution
    kScreenDpi = 72,                // stands for a resolution of 0
    kMaxMorceaux = 1000,            // tunes of one file listed at most
};

// ---- streams.cpp -----------------------------------------------------------------------------

// Opens the instance's cache file for the stream: 2 without instance, 5 when no cache file can
// be made, else 0 with a normal stream. A second stream on the instance first drops the first
// one's file and document. Without SRC or FILENAME the document's name comes from the address.
NPError NPP_NewStream(NPP npp, char *type, NPStream *stream, NPBool seekable, uint16_t *streamType);
int32_t NPP_WriteReady(NPP npp, NPStream *stream);  // kStreamBufferSize
// Appends a block to the cache file: its length; -1 without instance, for a bad block, or when
// it could not be written (the stream then fails and its file is deleted at its end).
int32_t NPP_Write(NPP npp, NPStream *stream, int32_t offset, int32_t length, void *buffer);
// Ends the download: a failure (reason not 0, or a block lost) deletes the cache file and marks
// the instance; a complete file is loaded once so that title, pages and duration are known, and
// played at once with AUTOPLAY. 2 without instance, else 0.
NPError NPP_DestroyStream(NPP npp, NPStream *stream, NPError reason);

// ---- documents.cpp ----------------------------------------------------------------------------

// The path of the instance's cache file (size bytes); false when it has none.
Boolean PlugOpenFile(PlugInInstance *instance, char *path, size_t size);
// Deletes the instance's cache file (closed first when it is still being written) and forgets
// its name.
void DeleteFichierCache(PlugInInstance *instance);
// Loads the cache file into a new document of the instance by the format of its name; traced
// "** Impossible to load file (bad format)" when no loader takes it.
void PlugInLoadDoc(PlugInInstance *instance);
// Loads the document when none is (film mode: the film); true when one is loaded.
Boolean PlugBeginFile(PlugInInstance *instance);
// Releases the document unless the page keeps it (PURGE=off) or its score is playing.
void PlugEndFile(PlugInInstance *instance);
void PlugInDisposeDoc(PlugInInstance *instance);
// The instance's copies of the score's two tempo maps, built again.
void PlugCalculeCvtSec(PlugInInstance *instance);
// Milliseconds heard of the playing instance's music; -1 for any other instance.
SInt32 PlugCalculePosTempsJoue(PlugInInstance *instance);
// With a document loaded: its page picture dropped and the display area drawn again.
void RedrawDocumentInstance(PlugInInstance *instance);
// The play list and everything it owns.
void PlugInDisposeListe(PlugInInstance *instance);

// Steps of the load, for tests. The print information raised to kPrintDpiMin: each side of the
// paper scaled by kPrintDpiMin over its resolution (0 counting as kScreenDpi), both resolutions
// kPrintDpiMin; a vertical resolution of kPrintDpiMin or more leaves it as it is.
void PlugInRaiseToPrintDpi(PrintInfoRecord *info);
// The keys of a document's comment: "key=on", "key=off" (which wins), "fo=N", "no=N" (held to
// 16 bits).
void PlugInLitClesCommentaire(PlugInInstance *instance, const char *comment);
// measureCount and the copy of the score's measure table, and its played order unless that is
// empty or plays every measure once in order.
void PlugInCopieTablesMesures(PlugInInstance *instance, ScoreHandle score);
// The warning slot of the message channel: code 261 (a file newer than the reader) is noted,
// and offers the update once at the next failed load; other codes are traced. Any thread.
void PlugInAvertissementVrac(SInt16 code);
Boolean PlugNouvelleVersionSignalee();
// The play list's element index (from 0, held within the list) becomes the current one:
// listNumber follows and the instance's mixer goes; traced "SetCurElement %d".
void SetCurElement(PlugInInstance *instance, SInt16 index);

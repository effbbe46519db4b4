// The three rows of MusicXML in the score format table: plain documents (.xml, .musicxml),
// zip containers (.mxl) and gzip-compressed documents (.xmz); the hooks the importer fills.
#include "import/musicxml/musicxml_import.h"

#include <zlib.h>

#include "engraving/engraving_hooks.h"
#include "import/musicxml/musicxml_notes.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "score/score_hooks.h"

namespace {

const SInt16 kVolumeImport = 64;
const SInt64 kBlocGzip = 16 << 10;  // first room for the inflated document, doubled as it grows

Boolean ChargeXML(DocumentRecord *document, const char *path, SInt16 element);
Boolean ChargeMXL(DocumentRecord *document, const char *path, SInt16 element);
Boolean ChargeXMZ(DocumentRecord *document, const char *path, SInt16 element);
Boolean ChargeDepuis(DocumentRecord *document, const char *path, Handle (*lecteur)(const char *path), OSType format);
Boolean Charge(DocumentRecord *document, Handle xml, FILE *stream, OSType format);
Handle Decompresse(const char *path);

const ScoreFormatOps kRowXML = {"MusicXML", {"xml", "musicxml", nullptr, nullptr}, ChargeXML};
const ScoreFormatOps kRowMXL = {"MusicXML zip", {"mxl", nullptr, nullptr, nullptr}, ChargeMXL};
const ScoreFormatOps kRowXMZ = {"MusicXML gzip", {"xmz", nullptr, nullptr, nullptr}, ChargeXMZ};

}  // namespace

void XMLEnregistreFormats() {
    EnregistreFormatPartition(&kRowXML);
    EnregistreFormatPartition(&kRowMXL);
    EnregistreFormatPartition(&kRowXMZ);
    ScoreImportHooks hooks = {CvtBarXMLEnBarCadenzo};
    OrvaSetScoreImportHooks(&hooks);
    // The engraver shapes ties as the importer does.
    EngravingHooks engraving;
    OrvaGetEngravingHooks(&engraving);
    engraving.adjustTie = AdjustTie;
    OrvaSetEngravingHooks(&engraving);
}

namespace {

Boolean ChargeXML(DocumentRecord *document, const char *path, SInt16) {
    FILE *stream = OuvreFichier(path, "rb");
    if (!stream) {
        Collapse("%s cannot be opened", path);
        return kFalse;
    }
    Boolean loaded = Charge(document, nullptr, stream, 0);
    fclose(stream);
    return loaded;
}

Boolean ChargeMXL(DocumentRecord *document, const char *path, SInt16) {
    return ChargeDepuis(document, path, LoadMXL, kFormatMXL);
}

Boolean ChargeXMZ(DocumentRecord *document, const char *path, SInt16) {
    return ChargeDepuis(document, path, Decompresse, kFormatXMZ);
}

// The document a reader makes of the file in a handle (members of zip containers are plain
// handles too); the reader reports why it made none.
Boolean ChargeDepuis(DocumentRecord *document, const char *path, Handle (*lecteur)(const char *path), OSType format) {
    Handle xml = lecteur(path);
    if (!xml) return kFalse;
    Boolean loaded = Charge(document, xml, nullptr, format);
    DisposHandle(xml);
    return loaded;
}

// What every MusicXML row does around the load: imported documents play at half volume scale
// and draw in the engine's default graphic mode.
Boolean Charge(DocumentRecord *document, Handle xml, FILE *stream, OSType format) {
    document->volumeScale = kVolumeImport;
    Boolean loaded = ChargeMusiqueXML(document, xml, stream);
    if (IsPartitionValide(document->score)) GetDefautModeGraphique(&(*document->score)->graphicMode);
    document->imported = 1;
    document->format = format;
    return loaded;
}

// The whole document inflated into a handle by zlib's gzip reader (a file that is not gzip
// passes unchanged), refused past kXMLMaxDocumentGzip so that a small bomb cannot fill memory.
Handle Decompresse(const char *path) {
    gzFile file = gzopen(path, "rb");
    if (!file) {
        Collapse("%s cannot be opened", path);
        return nullptr;
    }
    Handle xml = NewHandle(0);
    SInt64 size = 0, capacity = kBlocGzip;
    const char *problem = xml ? nullptr : "out of memory";
    while (!problem) {
        if (size == kXMLMaxDocumentGzip + SInt64(1)) {
            problem = "the document inflates to more than 256 MiB";
            break;
        }
        if (size == capacity) capacity = capacity * 2 < kXMLMaxDocumentGzip + SInt64(1) ? capacity * 2
                                                                                        : kXMLMaxDocumentGzip + SInt64(1);
        SetHandleSize(xml, UInt32(capacity));
        if (MemError() != noErr) {
            problem = "out of memory";
            break;
        }
        int read = gzread(file, *xml + size, unsigned(capacity - size));
        if (read < 0) problem = "the compressed document is damaged";
        else size += read;
        if (read <= 0 || size < capacity) break;
    }
    gzclose(file);
    if (problem) {
        Collapse("%s: %s", path, problem);
        if (xml) DisposHandle(xml);
        return nullptr;
    }
    SetHandleSize(xml, UInt32(size));
    return xml;
}

}  // namespace

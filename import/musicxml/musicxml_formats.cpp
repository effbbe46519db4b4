// The three rows of MusicXML in the score format table: plain documents (.xml, .musicxml),
// zip containers (.mxl) and gzip-compressed documents (.xmz); the hooks the importer fills.
#include "import/musicxml/musicxml_import.h"

#include <cstring>
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
const SInt64 kBlocGzip = 16 << 10;  // bytes inflated at a time; the first room of a document kept in memory

Boolean ChargeXML(DocumentRecord *document, const char *path, SInt16 element);
Boolean ChargeMXL(DocumentRecord *document, const char *path, SInt16 element);
Boolean ChargeXMZ(DocumentRecord *document, const char *path, SInt16 element);
Boolean ChargeDepuis(DocumentRecord *document, const char *path, Handle (*lecteur)(const char *path), OSType format);
Boolean Charge(DocumentRecord *document, Handle xml, FILE *stream, OSType format);
Handle Decompresse(const char *path);
Boolean DepaqueteXMZ(const char *path, FILE *out);
// A handle filled by AjouteAuHandle: its bytes in use.
struct TamponGzip {
    Handle xml;
    SInt64 size;
};
Boolean LitGzip(const char *path, Boolean (*sink)(void *context, const UInt8 *bytes, UInt32 count), void *context);
Boolean AjouteAuHandle(void *context, const UInt8 *bytes, UInt32 count);
Boolean EcritFichier(void *context, const UInt8 *bytes, UInt32 count);

const ScoreFormatOps kRowXML = {"MusicXML", {"xml", "musicxml", nullptr, nullptr}, ChargeXML,
                                kFormatUnDocument, nullptr, nullptr, nullptr};
const ScoreFormatOps kRowMXL = {"MusicXML zip", {"mxl", nullptr, nullptr, nullptr}, ChargeMXL,
                                kFormatUnDocument, nullptr, nullptr, nullptr};
// The plug-in unpacks a gzip document into its cache once and reads the result as plain MusicXML.
const ScoreFormatOps kRowXMZ = {"MusicXML gzip", {"xmz", nullptr, nullptr, nullptr}, ChargeXMZ,
                                kFormatUnDocument, nullptr, DepaqueteXMZ, "xml"};

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

// The whole document inflated into a handle (see LitGzip).
Handle Decompresse(const char *path) {
    Handle xml = NewHandle(0);
    if (!xml) {
        Collapse("%s: out of memory", path);
        return nullptr;
    }
    TamponGzip tampon = {xml, 0};
    if (!LitGzip(path, AjouteAuHandle, &tampon)) {
        DisposHandle(xml);
        return nullptr;
    }
    SetHandleSize(xml, UInt32(tampon.size));
    return xml;
}

Boolean DepaqueteXMZ(const char *path, FILE *out) { return LitGzip(path, EcritFichier, out); }

// Inflates the file at path by zlib's gzip reader (a file that is not gzip passes unchanged)
// into sink, block by block, and refuses it past kXMLMaxDocumentGzip so that a small bomb
// cannot fill memory or disk. False with the reason reported through Collapse.
Boolean LitGzip(const char *path, Boolean (*sink)(void *context, const UInt8 *bytes, UInt32 count), void *context) {
    gzFile file = gzopen(path, "rb");
    if (!file) {
        Collapse("%s cannot be opened", path);
        return kFalse;
    }
    UInt8 *block = reinterpret_cast<UInt8 *>(NewPtr(kBlocGzip));
    SInt64 size = 0;
    const char *problem = block ? nullptr : "out of memory";
    while (!problem) {
        int read = gzread(file, block, unsigned(kBlocGzip));
        if (read < 0) problem = "the compressed document is damaged";
        else if (read == 0) break;
        else if ((size += read) > kXMLMaxDocumentGzip) problem = "the document inflates to more than 256 MiB";
        else if (!sink(context, block, UInt32(read))) problem = "the inflated document cannot be kept";
    }
    gzclose(file);
    DisposPtr(reinterpret_cast<Ptr>(block));
    if (problem) Collapse("%s: %s", path, problem);
    return problem == nullptr;
}

// Grows the handle by doubling, so that a large document costs few moves.
Boolean AjouteAuHandle(void *context, const UInt8 *bytes, UInt32 count) {
    TamponGzip *tampon = static_cast<TamponGzip *>(context);
    SInt64 capacity = GetHandleSize(tampon->xml);
    if (tampon->size + count > capacity) {
        SInt64 wanted = capacity < kBlocGzip ? kBlocGzip : capacity;
        while (wanted < tampon->size + count) wanted *= 2;
        if (wanted > kXMLMaxDocumentGzip) wanted = kXMLMaxDocumentGzip;
        SetHandleSize(tampon->xml, UInt32(wanted));
        if (MemError() != noErr) return kFalse;
    }
    memcpy(*tampon->xml + tampon->size, bytes, count);
    tampon->size += count;
    return kTrue;
}

Boolean EcritFichier(void *context, const UInt8 *bytes, UInt32 count) {
    return fwrite(bytes, 1, count, static_cast<FILE *>(context)) == count;
}

}  // namespace

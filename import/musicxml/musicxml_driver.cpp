// The MusicXML load: what is done to the document before and after the passes, the passes in
// their order, the root member of a zip container, and the format tests by extension.
#include "import/musicxml/musicxml_import.h"

#include <cstring>
#include <minizip/unzip.h>

#include "engraving/links.h"
#include "import/musicxml/musicxml_passes.h"
#include "import/xml/zip_members.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/preferences.h"
#include "score/ruptures.h"
#include "score/text_utilities.h"

namespace {

const SInt16 kTempoImport = 80;
const SInt16 kVueToutePartition = -1;
const char kConteneur[] = "META-INF/container.xml";
const char kDossierMeta[] = "META-INF/";

void PrepareDocument(DocumentRecord *document);
ScoreHandle PreparePartition(DocumentRecord *document);
XMLElt *RacinePartwise(XMLBrowser *tree, const char *error);
OSErr Passes(XMLImportState *state);
OSErr RangeBarres(XMLImportState *state);
Boolean NomRacineConteneur(const char *path, char *member);
Boolean PremierMembrePartition(const char *path, char *member);
Boolean FinitPar(const char *name, const char *ending);

}  // namespace

Boolean IsFichierXML(const char *name) { return cmp_extension(name, "xml") || cmp_extension(name, "musicxml"); }

Boolean IsFichierMXL(const char *name) { return cmp_extension(name, "mxl"); }

Boolean IsFichierXMLCompresse(const char *name) { return cmp_extension(name, "xmz"); }

Handle LoadMXL(const char *path) {
    if (!path) return nullptr;
    char member[kXMLCheminMembre] = "";
    if (!NomRacineConteneur(path, member) && !PremierMembrePartition(path, member)) {
        PlugTrace("no MusicXML member in %s", path);
        return nullptr;
    }
    return UnzipFile(path, member);
}

// The document keeps what it had only where a pass writes nothing; the slur-shaping preference
// is on for the load so that imported slurs are shaped, and restored after.
Boolean ChargeMusiqueXML(DocumentRecord *document, Handle xml, FILE *stream) {
    if (!document) return kFalse;
    UInt8 slurShaping = pref.slurShaping;
    pref.slurShaping = 1;
    PrepareDocument(document);
    ScoreHandle score = PreparePartition(document);
    Boolean loaded = kFalse;
    if (score) {
        (*score)->tempo = kTempoImport;
        (*score)->tempoFraction = 0;
        (*score)->screenMode = 0;
        char error[kXMLErrorMessageSize] = "";
        XMLBrowser *tree = xml || stream ? BrowseXMLFile(xml, stream, error, kTrue) : nullptr;
        XMLElt *root = RacinePartwise(tree, error);
        if (root) {
            XMLImportState state;
            XMLInitImportState(&state, document, tree, root);
            OSErr err = Passes(&state);
            if (err != noErr) Collapse("the document needs more memory than there is (error %d)", err);
            loaded = err == noErr;
            XMLDisposeImportState(&state);
        }
        XMLBrowserDispose(tree);
    }
    document->imported = 1;
    document->pageLayouts[1] = document->pageLayouts[0];
    pref.slurShaping = slurShaping;
    return loaded;
}

namespace {

// Titles emptied, the three dates now, the whole score in view, the page-layout flags that the
// passes set cleared.
void PrepareDocument(DocumentRecord *document) {
    document->pageLayouts[0].flags[0] = document->pageLayouts[0].flags[1] = 0;
    UInt32 now = 0;
    GetDateTime(&now);
    for (UInt32 &date : document->dates) date = now;
    document->currentView = kVueToutePartition;
    for (TitleSlot &slot : document->titles) slot.text[0] = 0;
}

// A document without a score gets an empty one; one with a score keeps it, its instruments
// released, and loses the bar records of any earlier load.
ScoreHandle PreparePartition(DocumentRecord *document) {
    if (!IsPartitionValide(document->score)) return CreePartitionVide(document);
    ScoreHandle score = document->score;
    for (SInt16 i = SInt16((*score)->instrumentCount - 1); i >= 0; i--) GetInstrumentPtr(score, i)->inUse = 0;
    if ((*score)->collection) DisposeCollection((*score)->collection);
    (*score)->collection = nullptr;
    return score;
}

// Only a partwise score is imported: a document that did not parse, or whose root is something
// else, is reported and refused.
XMLElt *RacinePartwise(XMLBrowser *tree, const char *error) {
    if (!tree) {
        if (error[0]) Collapse("%s", error);
        else Collapse("the document cannot be read");
        return nullptr;
    }
    XMLElt *root = XMLGetChild(tree, "score-partwise", 0);
    if (root) return root;
    if (XMLGetChild(tree, "score-timewise", 0)) Collapse("score-timewise documents are not supported");
    else Collapse("the document is not a score-partwise document");
    return nullptr;
}

OSErr Passes(XMLImportState *state) {
    ScoreHandle score = state->score;
    XMLClearAppearance(state);
    XMLClearPagination(state, state->document);
    XMLGetInfos(state);
    XMLGetScaling(state);
    OSErr err = XMLCreePortees(state);
    if (err != noErr) return err;
    XMLCreateMusicFrame(state);
    XMLAddNotes(state);
    err = RangeBarres(state);
    if (err != noErr) return err;
    RecalculeNbMesures(score, 1);
    SetTabEltMesureModifie(score, kTabEltTout);
    UpdateTabEltMesure(score, kTabEltTout);
    XMLClearPagination(state, nullptr);
    XMLFinalizeLyrics(state);
    XMLFinalizeDynamics(state);
    XMLFinalizeAppearance(state);
    XMLReporteInstrumentsSurPistesNumeriques(score);
    XMLDisposeJumpDict(state);
    RemetRupturesEnForme(score);
    XMLPaginationRecalculeLargeurObjetsTexte(state);
    XMLPaginationRecalculeLargeurDiagrammes(state);
    AjusteCoulesPartition(score);
    return noErr;
}

// The bar records go into the score's collection, one 'bnum' item each, ids from 0 in order.
OSErr RangeBarres(XMLImportState *state) {
    ScoreHandle score = state->score;
    if (!(*score)->collection) (*score)->collection = NewCollection();
    if (!(*score)->collection) return memFullErr;
    for (SInt32 i = 0; i < state->barCount; i++) {
        OSErr err = AddCollectionItem((*score)->collection, kXMLTypeBarre, i, sizeof(XMLBarRecord), XMLGetBar(state, i));
        if (err != noErr) return err;
    }
    return noErr;
}

// The first rootfile of the container description, when it names one.
Boolean NomRacineConteneur(const char *path, char *member) {
    Handle description = UnzipFile(path, kConteneur);
    if (!description) return kFalse;
    XMLBrowser *tree = BrowseXMLFile(description, nullptr, nullptr, kTrue);
    DisposeZipHandle(description);
    SInt32 count = 0;
    XMLElt **rootfiles = XMLGetElts(tree, "container/rootfiles/@rootfile", &count);
    const char *name = count > 0 ? XMLGetAttributeValue(rootfiles[0], "full-path") : nullptr;
    if (name && name[0]) {
        member[0] = 0;
        strncat(member, name, kXMLCheminMembre - 1);
    }
    XMLDisposeElts(rootfiles);
    XMLBrowserDispose(tree);
    return name && name[0];
}

// Without a container description, the score is the first XML member outside "META-INF/".
Boolean PremierMembrePartition(const char *path, char *member) {
    unzFile archive = OuvreZipChemin(path);
    if (!archive) return kFalse;
    Boolean found = kFalse;
    for (int err = unzGoToFirstFile(archive); err == UNZ_OK && !found; err = unzGoToNextFile(archive)) {
        char name[kXMLCheminMembre];
        if (unzGetCurrentFileInfo64(archive, nullptr, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        name[sizeof name - 1] = 0;
        if (strncmp(name, kDossierMeta, sizeof kDossierMeta - 1) == 0) continue;
        if (!FinitPar(name, ".xml") && !FinitPar(name, ".musicxml")) continue;
        memcpy(member, name, sizeof name);
        found = kTrue;
    }
    unzClose(archive);
    return found;
}

Boolean FinitPar(const char *name, const char *ending) {
    size_t length = strlen(name), tail = strlen(ending);
    return length > tail && strcasecmp(name + length - tail, ending) == 0;
}

}  // namespace

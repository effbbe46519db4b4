// The document information of a MusicXML document (titles and creators into the document's
// title slots) and its scale (millimetres per tenth).
#include "import/musicxml/musicxml_passes.h"

#include <cmath>
#include <cstring>

namespace {

enum TitleSlotIndex { kSlotTitre = 0, kSlotCompositeur = 1, kSlotPoete = 2 };

const float kAucuneValeur = 1e20f;  // values from here on were not given

void FixeTitre(DocumentRecord *document, TitleSlotIndex slot, const char *text);
XMLElt *Premier(XMLElt *root, const char *name);

}  // namespace

void XMLGetInfos(XMLImportState *state) {
    DocumentRecord *document = state->document;
    XMLElt *work = Premier(state->root, "work");
    for (SInt32 i = 0; work && i < work->childCount; i++)
        if (strcmp(work->children[i]->name, "work-title") == 0) FixeTitre(document, kSlotTitre, work->children[i]->text);
    if (!document->titles[kSlotTitre].text[0])
        FixeTitre(document, kSlotTitre, XMLGetText(Premier(state->root, "movement-title")));
    XMLElt *identification = Premier(state->root, "identification");
    for (SInt32 i = 0; identification && i < identification->childCount; i++) {
        XMLElt *creator = identification->children[i];
        if (strcmp(creator->name, "creator") != 0) continue;
        const char *type = XMLGetAttributeValue(creator, "type");
        if (!type || strcmp(type, "composer") == 0) FixeTitre(document, kSlotCompositeur, creator->text);
        else if (strcmp(type, "poet") == 0) FixeTitre(document, kSlotPoete, creator->text);
    }
}

// Only the "scaling" child is read here; the layout templates beside it belong to pagination.
void XMLGetScaling(XMLImportState *state) {
    state->mmPerTenth = 0.15f;
    XMLElt *defaults = Premier(state->root, "defaults");
    for (SInt32 i = 0; defaults && i < defaults->childCount; i++) {
        XMLElt *child = defaults->children[i];
        if (strcmp(child->name, "scaling") != 0) continue;
        float millimeters = XMLGetTextFloat(XMLGetChild(child, "millimeters", 0));
        float tenths = XMLGetTextFloat(XMLGetChild(child, "tenths", 0));
        // A zero would make every length infinite: the scale changes only for two real sizes.
        if (!(millimeters > 0 && millimeters < kAucuneValeur && tenths > 0 && tenths < kAucuneValeur)) continue;
        float scale = millimeters / tenths;
        if (std::isfinite(scale) && scale > 0) state->mmPerTenth = scale;
    }
}

float XMLGetCurMMParTenth(const XMLImportState *state) { return state->mmPerTenth; }

namespace {

// The slot takes the text cut on a character boundary to fit; a null text empties it.
void FixeTitre(DocumentRecord *document, TitleSlotIndex slot, const char *text) {
    char *destination = document->titles[slot].text;
    size_t length = text ? strnlen(text, kTexteTitreTaille) : 0;
    if (length >= size_t(kTexteTitreTaille)) {
        length = kTexteTitreTaille - 1;
        while (length > 0 && (UInt8(text[length]) & 0xC0) == 0x80) length--;
    }
    if (length) memcpy(destination, text, length);
    destination[length] = 0;
}

// The header elements stand among the score's own children, so the document's thousands of
// notes need not be searched for them.
XMLElt *Premier(XMLElt *root, const char *name) {
    for (SInt32 i = 0; root && i < root->childCount; i++)
        if (strcmp(root->children[i]->name, name) == 0) return root->children[i];
    return nullptr;
}

}  // namespace

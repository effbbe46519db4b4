// ctest-labels: xml-zip
// Any bytes parsed into an element tree, queried with fixed paths, read through every getter,
// annotated with user attributes and disposed; the tree's links must hold together.
// Seeded from tests/data/corpus/musicxml beside this target's own corpus.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "import/xml/xml_tree.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

enum : size_t { kMaxInput = 1 << 20 };

const char *const kPaths[] = {
    "part<id=P1>/@measure", "measure/@note/!staff", "part<id=P1>/measure/@note/staff[2]",
    "container/rootfiles/@rootfile", "@part-list", "part-list", "note<czpos=1>", "lyric/@text[*a*]",
    "!note/@pitch/step[C*]", "score-partwise/part/@measure<number><!implicit>",
};


void CheckLinks(XMLBrowser *tree) {
    for (SInt32 i = 0; i < tree->eltCount; i++) {
        XMLElt *e = tree->elts[i];
        if (e->id != i || e->name == nullptr || e->parent == nullptr) abort();
        for (SInt32 c = 0; c < e->childCount; c++)
            if (e->children[c]->parent != e || e->children[c]->id <= i) abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > kMaxInput) return 0;
    static const bool quiet = [] {
        FuzzQuietMessages();
        return true;
    }();
    (void)quiet;
    Handle h = nullptr;
    if (PtrToHand(data, &h, SInt32(size)) != noErr) return 0;
    char error[kXMLErrorMessageSize];
    XMLBrowser *tree = BrowseXMLFile(h, nullptr, error, Boolean(size & 1));
    DisposHandle(h);
    if (tree == nullptr) {
        if (strnlen(error, sizeof error) == sizeof error) abort();
        return 0;
    }
    CheckLinks(tree);
    for (const char *path : kPaths) {
        SInt32 count = -1;
        XMLElt **elts = XMLGetElts(tree, path, &count);
        if (count < 0 || (count > 0) != (elts != nullptr)) abort();
        for (SInt32 i = 0; i < count; i++) {
            XMLElt *e = elts[i];
            volatile long n[2] = {XMLGetAttributeLong(e, "number"), XMLGetTextLong(e)};
            volatile float f[2] = {XMLGetAttributeFloat(e, "default-x"), XMLGetTextFloat(e)};
            (void)n, (void)f;
            XMLAddUserAttrLong(e, "czpos", i);
            XMLAddUserAttr(e, "number", "1");
            SInt32 inChild = 0;
            XMLDisposeElts(XMLGetEltsInChild(e, "staff", &inChild));
            XMLElt *child = XMLGetChild(e, "!x", 0);
            if (child != nullptr && child->parent != e) abort();
        }
        XMLDisposeElts(elts);
    }
    if (GetXMLEltFromID(tree, tree->eltCount) != nullptr) abort();
    XMLBrowserDispose(tree);
    return 0;
}

// ctest-labels: xml-zip
// Any text as a path against one fixed score: every query answers elements of the tree, in
// order, and never reads past the path.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "import/xml/xml_tree.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

enum : size_t { kMaxInput = 1 << 16 };

const char kScore[] =
    "<score-partwise><part-list><score-part id=\"P1\"/></part-list><part id=\"P1\"><measure number=\"1\">"
    "<note><pitch><step>C</step></pitch><staff>1</staff></note><note><rest/></note>"
    "<note default-x=\"12\"><staff>2</staff><lyric><text>Tra-la</text></lyric></note></measure>"
    "<measure number=\"2\" implicit=\"yes\"><note/></measure></part>"
    "<part id=\"P2\"><measure number=\"1\"><note><staff>2</staff></note></measure></part></score-partwise>";

XMLBrowser *Score() {
    Handle h = nullptr;
    if (PtrToHand(kScore, &h, sizeof kScore - 1) != noErr) abort();
    XMLBrowser *tree = BrowseXMLFile(h, nullptr, nullptr, kTrue);
    DisposHandle(h);
    if (tree == nullptr) abort();
    for (SInt32 i = 0; i < tree->eltCount; i++) XMLAddUserAttrLong(tree->elts[i], "czpos", i * 40320L);
    return tree;
}

void CheckOrdered(XMLElt **elts, SInt32 count, XMLBrowser *tree) {
    for (SInt32 i = 0; i < count; i++)
        if (GetXMLEltFromID(tree, elts[i]->id) != elts[i] || (i > 0 && elts[i]->id <= elts[i - 1]->id)) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > kMaxInput) return 0;
    static XMLBrowser *tree = Score();
    std::string path(reinterpret_cast<const char *>(data), size);  // its own terminator, nothing after
    SInt32 count = -1;
    XMLElt **elts = XMLGetElts(tree, path.c_str(), &count);
    CheckOrdered(elts, count, tree);
    XMLDisposeElts(elts);
    elts = XMLGetEltsInChild(&tree->root, path.c_str(), &count);
    CheckOrdered(elts, count, tree);
    XMLDisposeElts(elts);
    elts = XMLGetEltsInListFirstLevel(tree->elts, tree->eltCount, path.c_str(), &count);
    CheckOrdered(elts, count, tree);
    XMLDisposeElts(elts);
    elts = XMLGetEltsInList(tree->root.children, tree->root.childCount, path.c_str(), &count);
    CheckOrdered(elts, count, tree);
    XMLDisposeElts(elts);
    XMLElt *child = XMLGetChild(tree, path.c_str(), 0);
    if (child != nullptr && child != tree->root.children[0]) abort();
    return 0;
}

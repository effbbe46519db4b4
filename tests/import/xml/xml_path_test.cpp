// ctest-labels: xml-zip
// The path language and the element queries, against one small score whose ids are numbered
// below by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/xml/xml_tree.h"
#include "support/xml_support.h"

namespace {

const char kScore[] =
    "<score-partwise>"                                                                     // 0
    "<part-list><score-part id=\"P1\"/></part-list>"                                      // 1 2
    "<part id=\"P1\"><measure number=\"1\">"                                              // 3 4
    "<note><pitch><step>C</step></pitch><staff>1</staff></note>"                          // 5 6 7 8
    "<note><rest/></note>"                                                                // 9 10
    "<note default-x=\"12\"><staff>2</staff><lyric><text>Tra-la</text></lyric></note>"    // 11 12 13 14
    "</measure><measure number=\"2\" implicit=\"yes\"><note/></measure></part>"           // 15 16
    "<part id=\"P2\"><measure number=\"1\"><note><staff>2</staff></note></measure></part>"  // 17 18 19 20
    "</score-partwise>";

typedef std::vector<SInt32> Ids;

class XMLPath : public ::testing::Test {
protected:
    void SetUp() override { tree_ = ParseXMLText(kScore); ASSERT_NE(tree_, nullptr); }
    void TearDown() override { XMLBrowserDispose(tree_); }
    Ids Elts(const std::string &path) {
        SInt32 count = -1;
        XMLElt **elts = XMLGetElts(tree_, path.c_str(), &count);
        Ids ids = XMLIds(elts, count);
        XMLDisposeElts(elts);
        return ids;
    }
    XMLElt *Elt(SInt32 id) { return GetXMLEltFromID(tree_, id); }
    XMLBrowser *tree_ = nullptr;
};

TEST_F(XMLPath, MatchesByNameAttributesTextAncestorsAndChildren) {
    const struct {
        const char *path;
        Ids expected;
    } rows[] = {
        {"part<id=P1>/@measure", {4, 15}},
        {"measure/@note/!staff", {9, 16}},
        {"part<id=P1>/measure/@note/staff[2]", {11}},
        {"score-partwise/part/@measure", {4, 15, 18}},
        {"@part-list", {1}},
        {"part-list", {1}},
        {"container/rootfiles/@rootfile", {}},
        {"note<default-x>", {11}},
        {"note<!default-x>", {5, 9, 16, 19}},
        {"measure<number=1><!implicit>", {4, 18}},
        {"measure<implicit=yes>", {15}},
        {"text[Tra-la]", {14}},
        {"text[Tra*]", {14}},
        {"text[*-la]", {14}},
        {"text[*la*]", {14}},  // the last possible position
        {"text[*x*]", {}},
        {"text[!Tra-la]", {}},
        {"rest[*]", {}},  // no text
        {"rest[!*]", {10}},
        {"part/measure/@note/pitch/step[C]", {5}},
        {"note/!rest", {5, 11, 16, 19}},
        {"measure/note/!staff", {4, 15}},  // target measure: one note without staff suffices
        {"a/b/c/d/e/@note", {}},
        {"note<default-x", {}},
        {"step[C", {}},
        {"note<default-x>junk", {}},
        {"measure//note", {}},
        {"/note", {}},
        {"@", {}},
        {"", {}},
        {"!", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
    };
    for (const auto &row : rows) EXPECT_EQ(Elts(row.path), row.expected) << row.path;
    std::string longPath = "note";
    for (int i = 0; i < 10000; i++) longPath += "/staff";
    EXPECT_EQ(Elts(longPath), Ids{});
    EXPECT_EQ(Elts("@" + longPath), Ids{});
    SInt32 count = -1;
    EXPECT_EQ(XMLGetElts(nullptr, "note", &count), nullptr);
    EXPECT_EQ(count, 0);
}

TEST_F(XMLPath, QueriesFromElementsAndLists) {
    SInt32 count = -1;
    XMLElt **found = XMLGetEltsInChild(Elt(3), "note", &count);
    EXPECT_EQ(XMLIds(found, count), (Ids{5, 9, 11, 16}));
    XMLDisposeElts(found);
    found = XMLGetEltsInChild(Elt(3), "part", &count);  // a match is not searched further
    EXPECT_EQ(XMLIds(found, count), Ids{3});
    XMLDisposeElts(found);
    found = XMLGetEltsInChild(&tree_->root, "!score-partwise", &count);  // never the root record
    EXPECT_EQ(XMLIds(found, count), (Ids{1, 3, 17}));
    XMLDisposeElts(found);

    XMLElt *measures[] = {Elt(4), Elt(15), Elt(18)};
    XMLAddUserAttr(measures[0], "implicit", "yes");
    const struct {
        const char *label;
        XMLElt **(*query)(XMLElt **, SInt32, const char *, SInt32 *);
        const char *path;
        Ids expected;
    } lists[] = {
        {"in list", XMLGetEltsInList, "note", {5, 9, 11, 16, 19}},
        {"first level", XMLGetEltsInListFirstLevel, "measure<implicit=yes>", {4, 15}},
        {"first level, none", XMLGetEltsInListFirstLevel, "note", {}},
    };
    for (const auto &row : lists) {
        found = row.query(measures, 3, row.path, &count);
        EXPECT_EQ(XMLIds(found, count), row.expected) << row.label;
        XMLDisposeElts(found);
    }
    found = XMLGetEltsInListFromAttribute(measures, 3, "implicit", "yes", &count);  // XML attributes only
    EXPECT_EQ(XMLIds(found, count), Ids{15});
    XMLDisposeElts(found);
    found = XMLGetEltsInListFromAttributeLong(measures, 3, "number", 1, &count);
    EXPECT_EQ(XMLIds(found, count), (Ids{4, 18}));
    XMLDisposeElts(found);
}

// Queries walk with their own stack: a document at the nesting limit and paths as long as it.
TEST(XMLPathDepth, DeepDocumentsAndLongPaths) {
    std::string document, down = "a", up;
    for (int i = 0; i < kXMLMaxDepth; i++) document += "<a>";
    for (int i = 0; i < kXMLMaxDepth; i++) document += "</a>";
    for (int i = 1; i < kXMLMaxDepth; i++) down += "/a", up += "a/";
    XMLBrowser *tree = ParseXMLText(document);
    ASSERT_NE(tree, nullptr);
    const struct {
        std::string path;
        Ids expected;
    } rows[] = {
        {down, {0}},                        // 1999 descendant steps below the outermost
        {up + "@a", {kXMLMaxDepth - 1}},    // 1999 ancestor steps above the innermost
        {down + "/a", {}},
        {"a/!a", {kXMLMaxDepth - 1}},
    };
    for (const auto &row : rows) {
        SInt32 count = -1;
        XMLElt **found = XMLGetElts(tree, row.path.c_str(), &count);
        EXPECT_EQ(XMLIds(found, count), row.expected) << row.path.size();
        XMLDisposeElts(found);
        found = XMLGetEltsInChild(&tree->root, row.path.c_str(), &count);
        EXPECT_EQ(XMLIds(found, count), row.expected) << row.path.size();
        XMLDisposeElts(found);
    }
    XMLBrowserDispose(tree);
}

}  // namespace

// ctest-labels: xml-zip
// The path language and the element queries, against one small score whose ids are numbered
// below by hand, and against a document at the nesting limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/xml/xml_tree.h"
#include "support/import/xml_support.h"

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
typedef XMLElt **(*ListQuery)(XMLElt **, SInt32, const char *, SInt32 *);

// The ids a query answers, its array disposed.
Ids Answer(XMLElt **elts, SInt32 count) {
    Ids ids = XMLIds(elts, count);
    XMLDisposeElts(elts);
    return ids;
}

Ids Elts(XMLBrowser *tree, const std::string &path) {
    SInt32 count = -1;
    XMLElt **elts = XMLGetElts(tree, path.c_str(), &count);
    return Answer(elts, count);
}

Ids InChild(XMLElt *elt, const std::string &path) {
    SInt32 count = -1;
    XMLElt **elts = XMLGetEltsInChild(elt, path.c_str(), &count);
    return Answer(elts, count);
}

Ids InList(ListQuery query, XMLElt **list, const char *path) {
    SInt32 count = -1;
    XMLElt **elts = query(list, 3, path, &count);
    return Answer(elts, count);
}

TEST(XMLPath, MatchesByNameAttributesTextAncestorsAndChildren) {
    XMLTreePtr tree(ParseXMLText(kScore));
    ASSERT_TRUE(tree);
    std::string longPath = "note" + XMLRepeat("/staff", 10000);
    const struct {
        std::string path;
        Ids expected;
    } rows[] = {
        {"part<id=P1>/@measure", {4, 15}}, {"measure/@note/!staff", {9, 16}},
        {"part<id=P1>/measure/@note/staff[2]", {11}}, {"score-partwise/part/@measure", {4, 15, 18}},
        {"@part-list", {1}}, {"part-list", {1}}, {"container/rootfiles/@rootfile", {}},
        {"note<default-x>", {11}}, {"note<!default-x>", {5, 9, 16, 19}},
        {"measure<number=1><!implicit>", {4, 18}}, {"measure<implicit=yes>", {15}},
        {"text[Tra-la]", {14}}, {"text[Tra*]", {14}}, {"text[*-la]", {14}},
        {"text[*la*]", {14}},  // at the last possible position
        {"text[*x*]", {}}, {"text[!Tra-la]", {}}, {"rest[*]", {}}, {"rest[!*]", {10}},
        {"part/measure/@note/pitch/step[C]", {5}}, {"note/!rest", {5, 11, 16, 19}},
        {"measure/note/!staff", {4, 15}},  // the target is measure: one note without staff suffices
        {"a/b/c/d/e/@note", {}}, {"note<default-x", {}}, {"step[C", {}}, {"note<default-x>junk", {}},
        {"measure//note", {}}, {"/note", {}}, {"@", {}}, {"", {}}, {longPath, {}}, {"@" + longPath, {}},
        {"!", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
    };
    for (const auto &row : rows) EXPECT_EQ(Elts(tree.get(), row.path), row.expected) << row.path.substr(0, 40);
    SInt32 count = -1;
    EXPECT_EQ(XMLGetElts(nullptr, "note", &count), nullptr);
    EXPECT_EQ(count, 0);
}

TEST(XMLPath, QueriesFromElementsAndLists) {
    XMLTreePtr tree(ParseXMLText(kScore));
    ASSERT_TRUE(tree);
    XMLElt **elts = tree->elts;
    EXPECT_EQ(InChild(elts[3], "note"), (Ids{5, 9, 11, 16}));
    EXPECT_EQ(InChild(elts[3], "part"), Ids{3});  // a match is not searched further
    EXPECT_EQ(InChild(&tree->root, "!score-partwise"), (Ids{1, 3, 17}));
    XMLElt *measures[] = {elts[4], elts[15], elts[18]};
    XMLAddUserAttr(measures[0], "implicit", "yes");
    const struct {
        ListQuery query;
        const char *path;
        Ids expected;
    } lists[] = {
        {XMLGetEltsInList, "note", {5, 9, 11, 16, 19}},
        {XMLGetEltsInListFirstLevel, "measure<implicit=yes>", {4, 15}},
        {XMLGetEltsInListFirstLevel, "note", {}},
    };
    for (const auto &row : lists) EXPECT_EQ(InList(row.query, measures, row.path), row.expected) << row.path;
    // Only XML attributes count here, not the user attribute just added.
    SInt32 count = -1;
    XMLElt **found = XMLGetEltsInListFromAttribute(measures, 3, "implicit", "yes", &count);
    EXPECT_EQ(Answer(found, count), Ids{15});
    found = XMLGetEltsInListFromAttributeLong(measures, 3, "number", 1, &count);
    EXPECT_EQ(Answer(found, count), (Ids{4, 18}));
}

// Queries walk with their own stack: paths as long as a document at the nesting limit is deep.
TEST(XMLPath, DeepDocumentsAndLongPaths) {
    XMLTreePtr tree(ParseXMLText(XMLRepeat("<a>", kXMLMaxDepth) + XMLRepeat("</a>", kXMLMaxDepth)));
    ASSERT_TRUE(tree);
    std::string down = "a" + XMLRepeat("/a", kXMLMaxDepth - 1), up = XMLRepeat("a/", kXMLMaxDepth - 1) + "@a";
    const struct {
        std::string path;
        Ids expected;
    } rows[] = {{down, {0}}, {up, {kXMLMaxDepth - 1}}, {down + "/a", {}}, {"a/!a", {kXMLMaxDepth - 1}}};
    for (const auto &row : rows) {
        EXPECT_EQ(Elts(tree.get(), row.path), row.expected) << row.path.size();
        EXPECT_EQ(InChild(&tree->root, row.path), row.expected) << row.path.size();
    }
}

}  // namespace

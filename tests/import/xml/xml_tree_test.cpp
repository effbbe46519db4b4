// ctest-labels: xml-zip
// Parsing documents into element trees: text rules, getters, user attributes, the private
// instruction, declared encodings, limits and bad documents.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "import/xml/xml_arrays.h"
#include "import/xml/xml_tree.h"
#include "support/import/xml_support.h"

namespace {

const char kWindows[] = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>";
const char kLatin9[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>";

TEST(XMLTree, TextRules) {
    const struct {
        const char *label;
        std::string document;
        const char *path, *expected;  // expected null: no text
        Boolean skipBlank;
    } rows[] = {
        {"indentation leaves the parent without text", "<a>\n  <b> </b>\n</a>", "a", nullptr, kTrue},
        {"a leaf of one space keeps it", "<a>\n  <b> </b>\n</a>", "b", " ", kTrue},
        {"without skipBlank indentation stays, LF as CR", "<a>\n  <b/>\n</a>", "a", "\r  \r", kFalse},
        {"non-blank text around children is joined", "<a>one <b/> two</a>", "a", "one  two", kTrue},
        {"an escaped entity is decoded twice", "<t>&amp;amp;</t>", "t", "&", kTrue},
        {"HTML entities come out as UTF-8", "<t>caf&amp;eacute;</t>", "t", "caf\xC3\xA9", kTrue},
        {"CR LF lines end with single CRs", "<t>a\r\nb\r\nc</t>", "t", "a\rb\rc", kTrue},
        {"LF CR pairs fold, two LFs stay two", "<t>a&#10;&#13;b&#10;&#10;c</t>", "t", "a\rb\r\rc", kTrue},
        {"characters beyond 16 bits survive", "<t>\xF0\x9D\x84\x9E</t>", "t", "\xF0\x9D\x84\x9E", kTrue},
        {"windows-1252 through the code page", kWindows + std::string("<t>\xE9\x80</t>"), "t", "\xC3\xA9\xE2\x82\xAC", kTrue},
        {"ISO-8859-15 has the euro and oe", kLatin9 + std::string("<t>\xA4\xBD</t>"), "t", "\xE2\x82\xAC\xC5\x93", kTrue},
        {"no external entity is loaded", "<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><a>x&e;y</a>", "a",
         "xy", kTrue},
    };
    for (const auto &row : rows) {
        std::string error;
        XMLTreePtr tree(ParseXMLText(row.document, &error, row.skipBlank));
        ASSERT_TRUE(tree) << row.label << ": " << error;
        XMLElt *elt = XMLFirst(tree.get(), row.path);
        ASSERT_NE(elt, nullptr) << row.label;
        EXPECT_STREQ(elt->text, row.expected) << row.label;
    }
}

TEST(XMLTree, GettersAnswerTheirSentinels) {
    XMLTreePtr tree(ParseXMLText("<n a=\"12ab\" b=\"ab\" c=\"-7\" d=\"+3\" e=\" 5\" f=\"2.5\" g=\"x\"><t>  42 </t>"
                                 "<u></u><v>1.25e2</v><t/></n>"));
    ASSERT_TRUE(tree);
    XMLElt *n = tree->elts[0], *t = tree->elts[1], *u = tree->elts[2], *v = tree->elts[3];
    const struct {
        const char *name;
        long expected;
    } longs[] = {{"a", 12}, {"b", kXMLNoLong}, {"c", -7}, {"d", 3}, {"e", kXMLNoLong}, {"missing", kXMLNoLong}};
    for (const auto &row : longs) EXPECT_EQ(XMLGetAttributeLong(n, row.name), row.expected) << row.name;
    // A comma-decimal locale must not change how documents read.
    std::string previous = setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "scripts/install-deps.sh makes this locale";
    EXPECT_FLOAT_EQ(XMLGetAttributeFloat(n, "f"), 2.5f);
    EXPECT_FLOAT_EQ(XMLGetTextFloat(v), 125.0f);
    setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(XMLGetAttributeFloat(n, "missing"), kXMLNoFloat);
    EXPECT_EQ(XMLGetAttributeFloat(n, "g"), kXMLNoFloat);
    EXPECT_EQ(XMLGetTextLong(t), 42);
    EXPECT_EQ(XMLGetTextLong(u), kXMLNoLong);
    EXPECT_EQ(XMLGetAttributeLong(nullptr, "a"), kXMLNoLong);
    EXPECT_EQ(XMLGetTextFloat(nullptr), kXMLNoFloat);
    EXPECT_EQ(XMLGetChild(n, "t", 1), tree->elts[4]);
    EXPECT_EQ(XMLGetChild(n, "t", 2), nullptr);  // index 2 of two matches
    EXPECT_EQ(GetXMLEltFromID(tree.get(), -1), nullptr);
    EXPECT_EQ(GetXMLEltFromID(tree.get(), tree->eltCount), nullptr);
}

TEST(XMLTree, UserAttributesAreSeenByPathsAndTheFirstStaysVisible) {
    XMLTreePtr tree(ParseXMLText("<m><note type=\"quarter\"/><note/></m>"));
    ASSERT_TRUE(tree);
    XMLElt *first = tree->elts[1];
    EXPECT_STREQ(XMLAddUserAttrLong(first, "czpos", 40320), "40320");
    EXPECT_EQ(XMLFirst(tree.get(), "note<czpos=40320>"), first);
    XMLAddUserAttrLong(first, "czpos", 80640);
    EXPECT_EQ(first->userAttrCount, 2);
    EXPECT_EQ(XMLGetAttributeLong(first, "czpos"), 40320);
    XMLAddUserAttr(first, "type", "half");  // an XML attribute of the name is replaced instead
    EXPECT_STREQ(XMLGetAttributeValue(first, "type"), "half");
    EXPECT_EQ(first->userAttrCount, 2);
}

TEST(XMLTree, PrivateInstructionsAddElementsWhereTheyStand) {
    XMLReportCatcher reports;
    XMLTreePtr tree(ParseXMLText("<?Ondrak <reserved-pages>2</reserved-pages>?><score-partwise><part-list/>"
                                 "<?Ondrak <played-measures><m/></played-measures>?><?other <x/>?><part/>"
                                 "</score-partwise>"));
    ASSERT_TRUE(tree);
    EXPECT_TRUE(reports.failures.empty());
    EXPECT_EQ(XMLNames(tree.get()), "reserved-pages score-partwise part-list played-measures m part");
    EXPECT_EQ(tree->root.childCount, 2);  // the instruction before the document element
    EXPECT_EQ(tree->elts[3]->parent, tree->elts[1]);
    EXPECT_EQ(XMLGetChild(tree.get(), "score-partwise", 0), tree->elts[1]);
    // A broken one is reported; the document goes on, and the end tags that closed the
    // fragment's open elements mark them.
    tree.reset(ParseXMLText("<score><part><?Ondrak <a><b>?><c/></part></score>"));
    ASSERT_TRUE(tree);
    ASSERT_EQ(reports.failures.size(), 1u);
    EXPECT_TRUE(IsXMLParseMessage(reports.failures[0], " in private tag")) << reports.failures[0];
    EXPECT_EQ(XMLNames(tree.get()), "score part * * c");
    EXPECT_EQ(tree->elts[4]->parent, tree->elts[3]);
    EXPECT_EQ(XMLFirst(tree.get(), "!c"), tree->elts[0]);
}

std::string Nested(int depth) { return XMLRepeat("<a>", depth) + XMLRepeat("</a>", depth); }

TEST(XMLTree, BadDocumentsFailWithTheParsersMessage) {
    std::string bomb = "<!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\">";  // ten times ten, nine times over
    for (char c = 'b'; c <= 'j'; c++) bomb += std::string("<!ENTITY ") + c + " \"" + XMLRepeat(std::string("&") + char(c - 1) + ";", 10) + "\">";
    const struct {
        const char *label;
        std::string document, message;  // the message's start; " at line N" follows
    } rows[] = {
        {"empty", "", "no element found"},
        {"truncated", "<a><b>text", "no element found"},
        {"bad tag", "<a><b></c></a>", "mismatched tag"},
        {"junk after the root", "<a/><b/>", "junk after document element"},
        {"undeclared entity", "<a>&nope;</a>", "undefined entity"},
        {"entity bomb", bomb + "]><l>&j;</l>", "limit on input amplification factor"},
        {"unknown declared encoding", "<?xml version=\"1.0\" encoding=\"x-unknown\"?><a/>", "unknown encoding"},
        {"wrong declared encoding", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>", "encoding specified in XML"},
        {"lone UTF-16 surrogate", std::string("\xFF\xFE<\0a\0>\0\x00\xDC<\0/\0a\0>\0", 18), "not well-formed"},
        {"nested too deeply", Nested(100000), "document nested too deeply"},
        {"one level past the limit", Nested(kXMLMaxDepth + 1), "document nested too deeply"},
    };
    for (const auto &row : rows) {
        std::string error;
        EXPECT_EQ(ParseXMLText(row.document, &error), nullptr) << row.label;
        EXPECT_EQ(error.compare(0, row.message.size(), row.message), 0) << row.label << ": " << error;
        EXPECT_TRUE(IsXMLParseMessage(error)) << row.label << ": " << error;
    }
    EXPECT_TRUE(XMLTreePtr(ParseXMLText(Nested(kXMLMaxDepth))));
    EXPECT_EQ(BrowseXMLFile(nullptr, nullptr, nullptr, kTrue), nullptr);
}

TEST(XMLTree, ALongTextParsesWhole) {
    std::string text;
    for (int i = 0; i < (10 << 20) / 64; i++) text += std::string(63, char('a' + i % 26)) + "\n";
    std::string document = "<score><credit>" + text + "</credit>";
    document += XMLRepeat("<note><pitch>C</pitch></note>\n", int(((20u << 20) - document.size()) / 30)) + "</score>";
    XMLTreePtr tree(ParseXMLText(document));
    ASSERT_TRUE(tree);
    const char *credit = tree->elts[1]->text;
    ASSERT_EQ(strlen(credit), text.size());
    EXPECT_EQ(std::string(credit + text.size() - 64, 64), std::string(63, text[text.size() - 2]) + "\r");
    // Growing a text block by block moves it only when its size doubles: 4 KB, 8 KB ... 16 MB.
    XMLGrowable growing = {};
    int moves = 0;
    for (SInt64 used = kXMLArrayBlockBytes, capacity = 0; used <= (10 << 20); used += kXMLArrayBlockBytes) {
        ASSERT_TRUE(XMLReserve(&growing, used));
        if (growing.capacity != capacity) moves++, capacity = growing.capacity;
    }
    EXPECT_LE(moves, 13);
    XMLReleaseGrowable(&growing);
}

// A stream whose seek to the end finds size bytes and whose reads give bytes.
struct FakeStream {
    off64_t size, at;
    std::string bytes;
};

ssize_t FakeRead(void *cookie, char *buffer, size_t n) {
    FakeStream *f = static_cast<FakeStream *>(cookie);
    n = std::min(n, f->bytes.size() - std::min(f->bytes.size(), size_t(f->at)));
    memcpy(buffer, f->bytes.data() + f->at, n);
    f->at += off64_t(n);
    return ssize_t(n);
}

int FakeSeek(void *cookie, off64_t *offset, int whence) {
    FakeStream *f = static_cast<FakeStream *>(cookie);
    *offset = f->at = (whence == SEEK_END ? f->size : whence == SEEK_CUR ? f->at : 0) + *offset;
    return 0;
}

TEST(XMLTree, StreamsAreReadWholeOrNotAtAll) {
    const struct {
        const char *label;
        FakeStream fake;
        const char *message;  // empty: parses
    } rows[] = {
        {"whole", {12, 0, "<a>text</a>\n"}, ""},
        {"short read", {400, 0, "<a>text</a>\n"}, "document could not be read"},
        {"past the size limit", {off64_t(kXMLMaxDocumentBytes) + 1, 0, "<a/>"}, "document too large"},
    };
    for (auto row : rows) {
        FILE *f = fopencookie(&row.fake, "rb", cookie_io_functions_t{FakeRead, nullptr, FakeSeek, nullptr});
        char error[kXMLErrorMessageSize];
        XMLTreePtr tree(BrowseXMLFile(nullptr, f, error, kTrue));
        fclose(f);
        EXPECT_STREQ(error, row.message) << row.label;
        EXPECT_EQ(bool(tree), row.message[0] == 0) << row.label;
    }
}

}  // namespace

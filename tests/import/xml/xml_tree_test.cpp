// ctest-labels: xml-zip
// Parsing documents into element trees: text rules, getters, user attributes, the private
// instruction, declared encodings, limits and bad documents.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "import/xml/xml_arrays.h"
#include "import/xml/xml_tree.h"
#include "support/xml_support.h"

namespace {

struct TreeDeleter {
    void operator()(XMLBrowser *tree) const { XMLBrowserDispose(tree); }
};
typedef std::unique_ptr<XMLBrowser, TreeDeleter> Tree;

const char *TextOf(XMLBrowser *tree, const char *path) {
    SInt32 count = 0;
    XMLElt **elts = XMLGetElts(tree, path, &count);
    const char *text = count > 0 ? elts[0]->text : "(no element)";
    XMLDisposeElts(elts);
    return text;
}

TEST(XMLTree, TextRules) {
    const struct {
        const char *label, *document, *path, *expected;  // expected null: no text
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
        {"windows-1252 is read through the code page",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?><t>\xE9\x80</t>", "t", "\xC3\xA9\xE2\x82\xAC", kTrue},
        {"ISO-8859-15 has the euro and oe", "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?><t>\xA4\xBD</t>", "t",
         "\xE2\x82\xAC\xC5\x93", kTrue},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        std::string error;
        Tree tree(ParseXMLText(row.document, &error, row.skipBlank));
        ASSERT_TRUE(tree) << error;
        const char *text = TextOf(tree.get(), row.path);
        if (row.expected == nullptr) EXPECT_EQ(text, nullptr);
        else EXPECT_STREQ(text, row.expected);
    }
}

TEST(XMLTree, GettersAnswerTheirSentinels) {
    Tree tree(ParseXMLText("<n a=\"12ab\" b=\"ab\" c=\"-7\" d=\"+3\" e=\" 5\" f=\"2.5\" g=\"x\"><t>  42 </t><u></u>"
                           "<v>1.25e2</v></n>"));
    ASSERT_TRUE(tree);
    XMLElt *n = XMLGetChild(tree.get(), "n", 0);
    ASSERT_NE(n, nullptr);
    const struct {
        const char *name;
        long expected;
    } longs[] = {{"a", 12}, {"b", kXMLNoLong}, {"c", -7}, {"d", 3}, {"e", kXMLNoLong}, {"missing", kXMLNoLong}};
    for (const auto &row : longs) EXPECT_EQ(XMLGetAttributeLong(n, row.name), row.expected) << row.name;
    EXPECT_EQ(XMLGetAttributeLong(nullptr, "a"), kXMLNoLong);
    // A comma-decimal locale must not change how documents read.
    const char *saved = setlocale(LC_NUMERIC, nullptr);
    std::string previous = saved ? saved : "C";
    bool german = setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    EXPECT_FLOAT_EQ(XMLGetAttributeFloat(n, "f"), 2.5f);
    EXPECT_FLOAT_EQ(XMLGetTextFloat(XMLGetChild(n, "v", 0)), 125.0f);
    setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_TRUE(german) << "de_DE.UTF-8 is missing: the locale case was not tried";
    EXPECT_EQ(XMLGetAttributeFloat(n, "missing"), kXMLNoFloat);
    EXPECT_EQ(XMLGetAttributeFloat(n, "g"), kXMLNoFloat);
    EXPECT_EQ(XMLGetTextLong(XMLGetChild(n, "t", 0)), 42);
    EXPECT_EQ(XMLGetTextLong(XMLGetChild(n, "u", 0)), kXMLNoLong);  // no text
    EXPECT_EQ(XMLGetTextFloat(nullptr), kXMLNoFloat);
    EXPECT_EQ(XMLGetChild(n, "t", 1), nullptr);
    EXPECT_EQ(GetXMLEltFromID(tree.get(), -1), nullptr);
    EXPECT_EQ(GetXMLEltFromID(tree.get(), tree->eltCount), nullptr);
    EXPECT_EQ(GetXMLEltFromID(tree.get(), 3), XMLGetChild(n, "v", 0));
}

TEST(XMLTree, GetChildCountsOnlyMatchingChildren) {
    Tree tree(ParseXMLText("<m><note/><rest/><note/></m>"));
    ASSERT_TRUE(tree);
    XMLElt *m = XMLGetChild(tree.get(), "m", 0);
    EXPECT_EQ(XMLGetChild(m, "note", 1)->id, 3);
    EXPECT_EQ(XMLGetChild(m, "note", 2), nullptr);
    EXPECT_EQ(XMLGetChild(static_cast<XMLElt *>(nullptr), "note", 0), nullptr);
}

TEST(XMLTree, UserAttributesAreSeenByPathsAndTheFirstStaysVisible) {
    Tree tree(ParseXMLText("<m><note type=\"quarter\"/><note/></m>"));
    ASSERT_TRUE(tree);
    XMLElt *first = GetXMLEltFromID(tree.get(), 1);
    EXPECT_STREQ(XMLAddUserAttrLong(first, "czpos", 40320), "40320");
    SInt32 count = 0;
    XMLElt **elts = XMLGetElts(tree.get(), "note<czpos=40320>", &count);
    EXPECT_EQ(XMLIds(elts, count), std::vector<SInt32>{1});
    XMLDisposeElts(elts);
    EXPECT_EQ(XMLGetAttributeLong(first, "czpos"), 40320);
    XMLAddUserAttrLong(first, "czpos", 80640);
    EXPECT_EQ(first->userAttrCount, 2);
    EXPECT_EQ(XMLGetAttributeLong(first, "czpos"), 40320);
    // An XML attribute of the name is replaced instead.
    XMLAddUserAttr(first, "type", "half");
    EXPECT_STREQ(XMLGetAttributeValue(first, "type"), "half");
    EXPECT_EQ(first->userAttrCount, 2);
}

TEST(XMLTree, PrivateInstructionsAddElementsWhereTheyStand) {
    XMLReportCatcher reports;
    Tree tree(ParseXMLText("<?Ondrak <reserved-pages>2</reserved-pages>?><score-partwise><part-list/>"
                           "<?Ondrak <played-measures><m n=\"1\"/></played-measures>?><?other <x/>?>"
                           "<part id=\"P1\"/></score-partwise>"));
    ASSERT_TRUE(tree);
    EXPECT_TRUE(reports.failures.empty());
    const char *names[] = {"reserved-pages", "score-partwise", "part-list", "played-measures", "m", "part"};
    ASSERT_EQ(tree->eltCount, 6);
    for (SInt32 i = 0; i < 6; i++) EXPECT_STREQ(tree->elts[i]->name, names[i]);
    EXPECT_EQ(tree->root.childCount, 2);  // the instruction before the document element
    EXPECT_STREQ(XMLGetText(tree->elts[0]), "2");
    EXPECT_EQ(tree->elts[3]->parent, tree->elts[1]);
    EXPECT_EQ(XMLGetChild(tree.get(), "score-partwise", 0), tree->elts[1]);
}

TEST(XMLTree, ABrokenPrivateInstructionIsReportedAndTheDocumentGoesOn) {
    XMLReportCatcher reports;
    Tree tree(ParseXMLText("<score><part><?Ondrak <a><b>?><c/></part></score>"));
    ASSERT_TRUE(tree);
    ASSERT_EQ(reports.failures.size(), 1u);
    EXPECT_TRUE(IsXMLParseMessage(reports.failures[0], " in private tag"))
        << reports.failures[0];
    // The fragment's open elements were closed by the document's end tags and are marked.
    EXPECT_STREQ(tree->elts[2]->name, "*");
    EXPECT_STREQ(tree->elts[3]->name, "*");
    EXPECT_EQ(tree->elts[4]->parent, tree->elts[3]);
    SInt32 count = 0;
    XMLElt **elts = XMLGetElts(tree.get(), "!c", &count);
    EXPECT_EQ(XMLIds(elts, count), (std::vector<SInt32>{0, 1}));
    XMLDisposeElts(elts);
}

std::string Nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; i++) text += "<a>";
    for (int i = 0; i < depth; i++) text += "</a>";
    return text;
}

TEST(XMLTree, BadDocumentsFailWithTheParsersMessage) {
    std::string bomb = "<!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\">";  // ten times ten, nine times over
    for (char c = 'b'; c <= 'j'; c++) {
        bomb += std::string("<!ENTITY ") + c + " \"";
        for (int i = 0; i < 10; i++) bomb += std::string("&") + char(c - 1) + ";";
        bomb += "\">";
    }
    bomb += "]><l>&j;</l>";
    const std::string surrogate("\xFF\xFE<\0a\0>\0\x00\xDC<\0/\0a\0>\0", 18);
    const struct {
        const char *label;
        std::string document, message;  // the message's start; " at line N" follows
    } rows[] = {
        {"empty", "", "no element found"},
        {"truncated", "<a><b>text", "no element found"},
        {"bad tag", "<a><b></c></a>", "mismatched tag"},
        {"junk after the root", "<a/><b/>", "junk after document element"},
        {"undeclared entity", "<a>&nope;</a>", "undefined entity"},
        {"entity bomb", bomb, "limit on input amplification factor"},
        {"unknown declared encoding", "<?xml version=\"1.0\" encoding=\"x-unknown\"?><a/>", "unknown encoding"},
        {"wrong declared encoding", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>",
         "encoding specified in XML declaration is incorrect"},
        {"lone UTF-16 surrogate", surrogate, "not well-formed"},
        {"nested too deeply", Nested(100000), "document nested too deeply"},
        {"one level past the limit", Nested(kXMLMaxDepth + 1), "document nested too deeply"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        std::string error;
        EXPECT_EQ(ParseXMLText(row.document, &error), nullptr);
        EXPECT_EQ(error.compare(0, row.message.size(), row.message), 0) << error;
        EXPECT_TRUE(IsXMLParseMessage(error)) << error;
    }
    Tree deepest(ParseXMLText(Nested(kXMLMaxDepth)));
    EXPECT_TRUE(deepest);
    EXPECT_EQ(BrowseXMLFile(nullptr, nullptr, nullptr, kTrue), nullptr);
}

TEST(XMLTree, NoExternalEntityIsLoaded) {
    Tree tree(ParseXMLText("<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><a>x&e;y</a>"));
    ASSERT_TRUE(tree);
    EXPECT_STREQ(TextOf(tree.get(), "a"), "xy");
}

TEST(XMLTree, ALongTextParsesWhole) {
    std::string text;
    for (int i = 0; i < (10 << 20) / 64; i++) text += std::string(63, char('a' + i % 26)) + "\n";
    std::string document = "<score><credit>" + text + "</credit>";
    while (document.size() < (20u << 20)) document += "<note><pitch>C</pitch></note>\n";
    Tree tree(ParseXMLText(document + "</score>"));
    ASSERT_TRUE(tree);
    const char *credit = TextOf(tree.get(), "credit");
    ASSERT_EQ(strlen(credit), text.size());
    EXPECT_EQ(credit[63], '\r');
    EXPECT_EQ(std::string(credit + text.size() - 64, 63), std::string(63, text[text.size() - 2]));
    // Growing a text block by block moves it only when its size doubles.
    XMLGrowable growing = {};
    int moves = 0;
    for (SInt64 used = kXMLArrayBlockBytes, capacity = 0; used <= (10 << 20); used += kXMLArrayBlockBytes) {
        ASSERT_TRUE(XMLReserve(&growing, used));
        if (growing.capacity != capacity) moves++, capacity = growing.capacity;
    }
    EXPECT_LE(moves, 13);  // 4 KB, 8 KB ... 16 MB
    XMLReleaseGrowable(&growing);
}

// A stream whose size and reads are made up: size says what seeking to the end finds, bytes
// what reading gives.
struct FakeStream {
    off64_t size, at;
    std::string bytes;
};

FILE *OpenFake(FakeStream *fake) {
    cookie_io_functions_t io = {};
    io.read = [](void *c, char *buffer, size_t n) -> ssize_t {
        FakeStream *f = static_cast<FakeStream *>(c);
        size_t left = f->at < off64_t(f->bytes.size()) ? f->bytes.size() - size_t(f->at) : 0;
        n = std::min(n, left);
        memcpy(buffer, f->bytes.data() + f->at, n);
        f->at += off64_t(n);
        return ssize_t(n);
    };
    io.seek = [](void *c, off64_t *offset, int whence) -> int {
        FakeStream *f = static_cast<FakeStream *>(c);
        f->at = whence == SEEK_END ? f->size + *offset : whence == SEEK_CUR ? f->at + *offset : *offset;
        *offset = f->at;
        return 0;
    };
    return fopencookie(fake, "rb", io);
}

TEST(XMLTree, StreamsAreReadWholeOrNotAtAll) {
    const struct {
        const char *label;
        FakeStream fake;
        const char *message;  // null: parses
    } rows[] = {
        {"whole", {12, 0, "<a>text</a>\n"}, nullptr},
        {"short read", {400, 0, "<a>text</a>\n"}, "document could not be read"},
        {"past the size limit", {off64_t(kXMLMaxDocumentBytes) + 1, 0, "<a/>"}, "document too large"},
    };
    for (auto row : rows) {
        SCOPED_TRACE(row.label);
        FILE *f = OpenFake(&row.fake);
        ASSERT_NE(f, nullptr);
        char error[kXMLErrorMessageSize];
        Tree tree(BrowseXMLFile(nullptr, f, error, kTrue));
        fclose(f);
        EXPECT_EQ(bool(tree), row.message == nullptr);
        if (row.message) EXPECT_STREQ(error, row.message);
        else EXPECT_STREQ(TextOf(tree.get(), "a"), "text");
    }
}

}  // namespace

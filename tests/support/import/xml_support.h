// What the element-tree and zip tests share: parsing a string, trees that dispose of themselves,
// the reports caught instead of shown, and the test data folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "import/xml/xml_tree.h"
#include "support/message_catcher.h"

struct XMLTreeDeleter {
    void operator()(XMLBrowser *tree) const { XMLBrowserDispose(tree); }
};
typedef std::unique_ptr<XMLBrowser, XMLTreeDeleter> XMLTreePtr;

// Parses text as BrowseXMLFile parses a handle; *error (when given) receives the message.
XMLBrowser *ParseXMLText(const std::string &text, std::string *error = nullptr, Boolean skipBlank = kTrue);
XMLElt *XMLFirst(XMLBrowser *tree, const char *path);  // the first match in id order, or null
std::string XMLNames(XMLBrowser *tree);                 // every element's name, in id order, by spaces
std::vector<SInt32> XMLIds(XMLElt **elts, SInt32 count);
std::string XMLRepeat(const std::string &text, int times);
// True for "<what> at line <number><tail>", the form of the parser's messages.
bool IsXMLParseMessage(const std::string &message, const std::string &tail = "");
// tests/data/<relative> of the source tree.
std::string XMLTestData(const std::string &relative);
std::string XMLReadFile(const std::string &path);  // the file's bytes, "" when it cannot be read
// Writes a zip archive of {member, bytes} rows (with fromFiles, the second names the member's
// source file) into the test's temporary folder and answers its path; results, when given,
// receive what the member writer answered for each row.
std::string XMLMakeArchive(const std::string &leaf, const std::vector<std::pair<std::string, std::string>> &members,
                           bool fromFiles = false, std::vector<int> *results = nullptr);

// The reports of the element tree, the zip readers and the importer, in order, while an
// XMLReportCatcher lives: what the runtime's Collapse and PlugTrace were given.
struct XMLReportCatcher {
    MessageCatcher catcher;
    std::vector<std::string> &failures = catcher.collapses;
    std::vector<std::string> &traces = catcher.traces;
};

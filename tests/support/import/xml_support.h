// What the element-tree and zip tests share: parsing a string, trees that dispose of themselves,
// the reports caught instead of shown, and the test data folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "import/xml/xml_tree.h"

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

// Reports of the element tree and zip readers, in order, while an XMLReportCatcher lives.
struct XMLReportCatcher {
    XMLReportCatcher();
    ~XMLReportCatcher();
    std::vector<std::string> failures;
    std::vector<std::string> traces;
};

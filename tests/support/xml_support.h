// What the element-tree and zip tests share: parsing a string, the reports caught instead of
// shown, and the corpus folder.
#pragma once

#include <string>
#include <vector>

#include "import/xml/xml_tree.h"

// Parses text as BrowseXMLFile parses a handle; *error (when given) receives the message.
XMLBrowser *ParseXMLText(const std::string &text, std::string *error = nullptr, Boolean skipBlank = kTrue);
// Reports of the element tree and zip readers, in order, while an XMLReportCatcher lives.
struct XMLReportCatcher {
    XMLReportCatcher();
    ~XMLReportCatcher();
    std::vector<std::string> failures;
    std::vector<std::string> traces;
};
// tests/data/<relative> of the source tree.
std::string XMLTestData(const std::string &relative);
// True for "<what> at line <number><tail>", the form of the parser's messages.
bool IsXMLParseMessage(const std::string &message, const std::string &tail = "");
// The ids of the elements, in order.
std::vector<SInt32> XMLIds(XMLElt **elts, SInt32 count);

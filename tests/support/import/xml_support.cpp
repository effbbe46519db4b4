#include "support/import/xml_support.h"

#include <cstdlib>

#include "import/xml/xml_reports.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

XMLReportCatcher *gCatcher = nullptr;

void CatchFailure(const char *message) {
    if (gCatcher) gCatcher->failures.push_back(message);
}

void CatchTrace(const char *message) {
    if (gCatcher) gCatcher->traces.push_back(message);
}

}  // namespace

XMLBrowser *ParseXMLText(const std::string &text, std::string *error, Boolean skipBlank) {
    Handle h = nullptr;
    if (PtrToHand(text.data(), &h, SInt32(text.size())) != noErr) return nullptr;
    char message[kXMLErrorMessageSize] = "unset";
    XMLBrowser *tree = BrowseXMLFile(h, nullptr, message, skipBlank);
    DisposHandle(h);
    if (error) *error = message;
    return tree;
}

XMLElt *XMLFirst(XMLBrowser *tree, const char *path) {
    SInt32 count = 0;
    XMLElt **elts = XMLGetElts(tree, path, &count);
    XMLElt *first = count > 0 ? elts[0] : nullptr;
    XMLDisposeElts(elts);
    return first;
}

std::string XMLNames(XMLBrowser *tree) {
    std::string names;
    for (SInt32 i = 0; i < tree->eltCount; i++) names += (i ? " " : "") + std::string(tree->elts[i]->name);
    return names;
}

std::string XMLRepeat(const std::string &text, int times) {
    std::string repeated;
    for (int i = 0; i < times; i++) repeated += text;
    return repeated;
}

XMLReportCatcher::XMLReportCatcher() {
    gCatcher = this;
    XMLReportHooks hooks = {CatchFailure, CatchTrace};
    XMLSetReportHooks(&hooks);
}

XMLReportCatcher::~XMLReportCatcher() {
    XMLSetReportHooks(nullptr);
    gCatcher = nullptr;
}

std::string XMLTestData(const std::string &relative) {
    const char *root = std::getenv("ORVA_SOURCE_DIR");
    return std::string(root ? root : "..") + "/tests/data/" + relative;
}

bool IsXMLParseMessage(const std::string &message, const std::string &tail) {
    const std::string marker = " at line ";
    size_t at = message.rfind(marker);
    if (at == std::string::npos || at == 0 || message.size() < tail.size()) return false;
    if (message.compare(message.size() - tail.size(), tail.size(), tail) != 0) return false;
    std::string number = message.substr(at + marker.size(), message.size() - tail.size() - at - marker.size());
    return !number.empty() && number.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<SInt32> XMLIds(XMLElt **elts, SInt32 count) {
    std::vector<SInt32> ids;
    for (SInt32 i = 0; i < count; i++) ids.push_back(elts[i]->id);
    return ids;
}

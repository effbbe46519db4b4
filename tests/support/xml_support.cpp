#include "support/xml_support.h"

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

std::vector<SInt32> XMLIds(XMLElt **elts, SInt32 count) {
    std::vector<SInt32> ids;
    for (SInt32 i = 0; i < count; i++) ids.push_back(elts[i]->id);
    return ids;
}

#include "support/import/xml_support.h"

#include <cstdlib>
#include <fstream>
#include <minizip/zip.h>
#include <sstream>

#include "platform/core/errors.h"
#include "import/xml/zip_members.h"
#include "platform/core/memory.h"
#include "support/tool_support.h"

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

std::string XMLReadFile(const std::string &path) {
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

std::string XMLMakeArchive(const std::string &leaf, const std::vector<std::pair<std::string, std::string>> &members,
                           bool fromFiles, std::vector<int> *results) {
    std::string path = TempFile(leaf);
    zlib_filefunc64_def functions;
    FillZipFileFunctions(&functions);
    zipFile archive = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    for (const auto &m : members) {
        int result = fromFiles ? AddFileInZipArchive(archive, m.second.c_str(), m.first.c_str(), nullptr, 0)
                               : AddFileInZipArchive(archive, nullptr, m.first.c_str(), m.second.data(), SInt32(m.second.size()));
        if (results) results->push_back(result);
    }
    zipClose(archive, nullptr);
    return path;
}

// xmltree: shows what the importers see of an XML document or a zip container.
//   xmltree count FILE             number of elements
//   xmltree query FILE PATH        number of matches, then one "id name" line per match
//   xmltree text FILE PATH         the text of each match that has one, one per line
//   xmltree zip-list FILE          member names in directory order
//   xmltree zip-get FILE MEMBER    the member's bytes on standard output ("#N": the member at index N)
// Documents are parsed as the importers parse them (blank text between elements dropped).
// Messages go to standard error; exits 1 on failure, 2 on a usage error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <minizip/unzip.h>

#include "import/xml/xml_reports.h"
#include "import/xml/xml_tree.h"
#include "import/xml/zip_members.h"
#include "platform/core/memory.h"

namespace {

void ToStandardError(const char *message) { fprintf(stderr, "%s\n", message); }

XMLBrowser *Parse(const char *path) {
    FILE *f = fopen(path, "rb");
    if (f == nullptr) {
        fprintf(stderr, "xmltree: cannot open %s\n", path);
        return nullptr;
    }
    char error[kXMLErrorMessageSize];
    XMLBrowser *tree = BrowseXMLFile(nullptr, f, error, kTrue);
    fclose(f);
    if (tree == nullptr) fprintf(stderr, "xmltree: %s: %s\n", path, error[0] ? error : "cannot be parsed");
    return tree;
}

int Count(const char *path) {
    XMLBrowser *tree = Parse(path);
    if (tree == nullptr) return 1;
    printf("%d\n", tree->eltCount);
    XMLBrowserDispose(tree);
    return 0;
}

int Query(const char *path, const char *query, bool texts) {
    XMLBrowser *tree = Parse(path);
    if (tree == nullptr) return 1;
    SInt32 count = 0;
    XMLElt **elts = XMLGetElts(tree, query, &count);
    if (!texts) printf("%d\n", count);
    for (SInt32 i = 0; i < count; i++) {
        if (!texts) printf("%d %s\n", elts[i]->id, elts[i]->name);
        else if (elts[i]->text != nullptr) printf("%s\n", elts[i]->text);
    }
    XMLDisposeElts(elts);
    XMLBrowserDispose(tree);
    return 0;
}

int ZipList(const char *path) {
    zlib_filefunc64_def functions;
    FillZipFileFunctions(&functions);
    unzFile archive = unzOpen2_64(path, &functions);
    if (archive == nullptr) {
        fprintf(stderr, "xmltree: %s is not a readable zip file\n", path);
        return 1;
    }
    int err = unzGoToFirstFile(archive);
    while (err == UNZ_OK) {
        char name[kZipNameSize + 1];
        err = unzGetCurrentFileInfo64(archive, nullptr, name, kZipNameSize, nullptr, 0, nullptr, 0);
        name[kZipNameSize] = 0;
        if (err == UNZ_OK) printf("%s\n", name);
        if (err == UNZ_OK) err = unzGoToNextFile(archive);
    }
    unzClose(archive);
    if (err != UNZ_END_OF_LIST_OF_FILE) fprintf(stderr, "xmltree: %s: error %d in the directory\n", path, err);
    return err == UNZ_END_OF_LIST_OF_FILE ? 0 : 1;
}

int ZipGet(const char *path, const char *member) {
    char name[kZipNameSize];
    Handle h;
    if (member[0] == '#') {
        char *end;
        long index = strtol(member + 1, &end, 10);
        if (end == member + 1 || *end != 0 || index < 0 || index > 32767) {
            fprintf(stderr, "xmltree: bad member index %s\n", member + 1);
            return 2;
        }
        h = UnzipFileIndex(path, SInt16(index), name);
    } else {
        h = UnzipFile(path, member);
    }
    if (h == nullptr) {
        fprintf(stderr, "xmltree: %s: member %s cannot be extracted\n", path, member);
        return 1;
    }
    size_t size = GetHandleSize(h);
    bool written = size == 0 || fwrite(*h, 1, size, stdout) == size;
    DisposeZipHandle(h);
    return written && fflush(stdout) == 0 ? 0 : 1;
}

int Usage() {
    fprintf(stderr,
            "usage: xmltree count FILE | query FILE PATH | text FILE PATH | zip-list FILE | "
            "zip-get FILE MEMBER|#INDEX\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    XMLReportHooks hooks = {ToStandardError, ToStandardError};
    XMLSetReportHooks(&hooks);
    if (argc == 3 && strcmp(argv[1], "count") == 0) return Count(argv[2]);
    if (argc == 4 && strcmp(argv[1], "query") == 0) return Query(argv[2], argv[3], false);
    if (argc == 4 && strcmp(argv[1], "text") == 0) return Query(argv[2], argv[3], true);
    if (argc == 3 && strcmp(argv[1], "zip-list") == 0) return ZipList(argv[2]);
    if (argc == 4 && strcmp(argv[1], "zip-get") == 0) return ZipGet(argv[2], argv[3]);
    return Usage();
}

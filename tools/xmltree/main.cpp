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

#include "import/xml/xml_tree.h"
#include "import/xml/zip_members.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

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

int Count(char **argv) {
    const char *path = argv[0];
    XMLBrowser *tree = Parse(path);
    if (tree == nullptr) return 1;
    printf("%d\n", tree->eltCount);
    XMLBrowserDispose(tree);
    return 0;
}

void Print(XMLElt *elt, bool texts) {
    if (!texts) printf("%d %s\n", elt->id, elt->name);
    else if (elt->text != nullptr) printf("%s\n", elt->text);
}

int Query(const char *path, const char *query, bool texts) {
    XMLBrowser *tree = Parse(path);
    if (tree == nullptr) return 1;
    SInt32 count = 0;
    XMLElt **elts = XMLGetElts(tree, query, &count);
    if (!texts) printf("%d\n", count);
    for (SInt32 i = 0; i < count; i++) Print(elts[i], texts);
    XMLDisposeElts(elts);
    XMLBrowserDispose(tree);
    return 0;
}

int Elements(char **argv) { return Query(argv[0], argv[1], false); }

int Texts(char **argv) { return Query(argv[0], argv[1], true); }

int ZipList(char **argv) {
    const char *path = argv[0];
    unzFile archive = OuvreZipChemin(path);
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

int ZipGet(char **argv) {
    const char *path = argv[0], *member = argv[1];
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

// One row per command: its name, how many arguments follow it, and what runs it.
struct CommandRow {
    const char *name;
    int arguments;
    int (*run)(char **argv);
};

const CommandRow kCommands[] = {
    {"count", 1, Count}, {"query", 2, Elements}, {"text", 2, Texts}, {"zip-list", 1, ZipList}, {"zip-get", 2, ZipGet},
};

}  // namespace

int main(int argc, char **argv) {
    static const OrvaMessageHooks kMessages = {ToStandardError, ToStandardError, nullptr, ToStandardError};
    OrvaSetMessageHooks(&kMessages);
    for (const CommandRow &command : kCommands)
        if (argc == command.arguments + 2 && strcmp(argv[1], command.name) == 0) return command.run(argv + 2);
    fprintf(stderr,
            "usage: xmltree count FILE | query FILE PATH | text FILE PATH | zip-list FILE | "
            "zip-get FILE MEMBER|#INDEX\n");
    return 2;
}

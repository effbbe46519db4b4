// Test helpers for resource files: a fresh folder per test, a plain reader and writer of the
// file format written from its description (independent of the library's), the key stream,
// and a capture of the error sink.
#pragma once

#include <string>
#include <vector>

#include "platform/core/mac_types.h"

namespace restest {

typedef std::vector<unsigned char> Bytes;

// One resource as the format stores it.
struct RawResource {
    std::string type;   // four characters
    int id;
    bool hasName;
    std::string name;
    Bytes data;
};

// A file's header and resources in map order.
struct RawFile {
    unsigned dataOffset = 0, mapOffset = 0, dataLength = 0, mapLength = 0;
    std::string magic;
    std::vector<RawResource> resources;
    bool ok = false;
};

// Sets HOME and XDG_CONFIG_HOME (the test home) and WORVA under it, and makes a new empty
// folder current for each call; answers that folder (ending without '/').
std::string FreshFolder();
Bytes ReadAll(const std::string &path);
void WriteAll(const std::string &path, const Bytes &bytes);
RawFile ParseFile(const Bytes &bytes);
// Writes a file with the data area at dataOffset, types grouped in first-seen order.
Bytes BuildFile(const std::vector<RawResource> &resources, unsigned dataOffset = 256,
                const char *magic = "Orva");
// XORs the map of a built file with the key stream, as a scrambled file holds it.
void ScrambleMap(Bytes *file);
Bytes Pstr(const std::string &s);
Bytes StrList(const std::vector<std::string> &strings);
Bytes Text(const std::string &s);
Bytes HandleBytes(Handle h);
Handle NewHandleFrom(const Bytes &bytes);
void CloseAllResFiles();

// Collects what reaches the error sink while alive.
struct ErrorCapture {
    ErrorCapture();
    ~ErrorCapture();
    std::vector<std::string> messages;
    bool Saw(const std::string &part) const;
};

}  // namespace restest

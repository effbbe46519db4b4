// Test helpers for resource files; see resource_test_support.h.
#include "resource_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "support/test_home.h"

namespace restest {

namespace {

std::string gRoot;
int gFolderCount = 0;
ErrorCapture *gCapture = nullptr;

unsigned Get16(const Bytes &b, size_t at) { return at + 2 <= b.size() ? (b[at] << 8) | b[at + 1] : 0; }
unsigned Get32(const Bytes &b, size_t at) { return (Get16(b, at) << 16) | Get16(b, at + 2); }
void Put16(Bytes *b, unsigned v) { b->push_back((unsigned char)(v >> 8)), b->push_back((unsigned char)v); }
void Put32(Bytes *b, unsigned v) { Put16(b, v >> 16), Put16(b, v & 0xFFFF); }
void Set32(Bytes *b, size_t at, unsigned v) {
    for (int i = 0; i < 4; i++) (*b)[at + i] = (unsigned char)(v >> (24 - 8 * i));
}

void Capture(const char *message) {
    if (gCapture) gCapture->messages.push_back(message);
}

}  // namespace

std::string FreshFolder() {
    if (gRoot.empty()) {
        gRoot = OrvaTestHome();
        mkdir((gRoot + "/worva").c_str(), 0775);
        setenv("WORVA", (gRoot + "/worva").c_str(), 1);
    }
    std::string folder = gRoot + "/t" + std::to_string(++gFolderCount);
    mkdir(folder.c_str(), 0775);
    if (chdir(folder.c_str()) != 0) return std::string();
    return folder;
}

Bytes ReadAll(const std::string &path) {
    Bytes bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = getc(f)) != EOF) bytes.push_back((unsigned char)c);
    fclose(f);
    return bytes;
}

void WriteAll(const std::string &path, const Bytes &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

RawFile ParseFile(const Bytes &b) {
    RawFile file;
    if (b.size() < 20) return file;
    file.dataOffset = Get32(b, 0), file.mapOffset = Get32(b, 4);
    file.dataLength = Get32(b, 8), file.mapLength = Get32(b, 12);
    file.magic.assign(b.begin() + 16, b.begin() + 20);
    size_t map = file.mapOffset;
    if (map + file.mapLength > b.size() || file.mapLength < 30) return file;
    size_t typeList = map + Get16(b, map + 24), nameList = map + Get16(b, map + 26);
    unsigned types = (Get16(b, typeList) + 1) & 0xFFFF;
    for (unsigned t = 0; t < types; t++) {
        size_t record = typeList + 2 + 8 * t;
        std::string type(b.begin() + record, b.begin() + record + 4);
        unsigned count = Get16(b, record + 4) + 1;
        size_t refs = typeList + Get16(b, record + 6);
        for (unsigned i = 0; i < count; i++) {
            size_t ref = refs + 12 * i;
            RawResource r;
            r.type = type;
            r.id = (short)Get16(b, ref);
            unsigned nameOffset = Get16(b, ref + 2);
            r.hasName = nameOffset != 0xFFFF;
            if (r.hasName) {
                size_t at = nameList + nameOffset;
                r.name.assign(b.begin() + at + 1, b.begin() + at + 1 + b[at]);
            }
            size_t data = file.dataOffset + ((b[ref + 5] << 16) | (b[ref + 6] << 8) | b[ref + 7]);
            unsigned length = Get32(b, data);
            if (data + 4 + length > b.size()) return file;
            r.data.assign(b.begin() + data + 4, b.begin() + data + 4 + length);
            file.resources.push_back(r);
        }
    }
    file.ok = true;
    return file;
}

Bytes BuildFile(const std::vector<RawResource> &resources, unsigned dataOffset, const char *magic) {
    std::vector<std::string> typeOrder;
    std::map<std::string, std::vector<size_t>> byType;
    Bytes data;
    std::vector<unsigned> offsets;
    for (size_t i = 0; i < resources.size(); i++) {
        if (!byType.count(resources[i].type)) typeOrder.push_back(resources[i].type);
        byType[resources[i].type].push_back(i);
        offsets.push_back((unsigned)data.size());
        Put32(&data, (unsigned)resources[i].data.size());
        data.insert(data.end(), resources[i].data.begin(), resources[i].data.end());
    }
    Bytes map(24, 'm'), names, refs;
    Put16(&map, 28);
    Put16(&map, unsigned(30 + 8 * typeOrder.size() + 12 * resources.size()));
    Put16(&map, unsigned(typeOrder.size() - 1));
    unsigned refOffset = unsigned(2 + 8 * typeOrder.size());
    for (const std::string &type : typeOrder) {
        map.insert(map.end(), type.begin(), type.end());
        Put16(&map, unsigned(byType[type].size() - 1));
        Put16(&map, refOffset);
        for (size_t i : byType[type]) {
            const RawResource &r = resources[i];
            Put16(&refs, unsigned(r.id) & 0xFFFF);
            if (r.hasName) {
                Put16(&refs, (unsigned)names.size());
                names.push_back((unsigned char)r.name.size());
                names.insert(names.end(), r.name.begin(), r.name.end());
            } else {
                Put16(&refs, 0xFFFF);
            }
            refs.push_back(0);
            refs.push_back((unsigned char)(offsets[i] >> 16));
            Put16(&refs, offsets[i] & 0xFFFF);
            Put32(&refs, 0);
            refOffset += 12;
        }
    }
    map.insert(map.end(), refs.begin(), refs.end());
    map.insert(map.end(), names.begin(), names.end());
    Bytes file(dataOffset, 0);
    Set32(&file, 0, dataOffset);
    Set32(&file, 4, unsigned(dataOffset + data.size()));
    Set32(&file, 8, (unsigned)data.size());
    Set32(&file, 12, (unsigned)map.size());
    memcpy(file.data() + 16, magic, 4);
    file.insert(file.end(), data.begin(), data.end());
    file.insert(file.end(), map.begin(), map.end());
    return file;
}

// The key stream as the format describes it, written out step by step.
void ScrambleMap(Bytes *file) {
    unsigned a = kResKeySeed[0], b = kResKeySeed[1], c = kResKeySeed[2];
    size_t map = Get32(*file, 4), length = Get32(*file, 12);
    for (size_t i = 0; i < length; i++) {
        unsigned x = (2 * a + 1) ^ b;                       // 9 bits
        unsigned y = (((b >> 1) + (x >= 256 ? 128 : 0)) ^ c) & 255;
        unsigned s = c + (b & 1) + y;
        a = x & 255;
        b = y;
        c = (s + x + (s >= 256 ? 1 : 0)) & 255;
        (*file)[map + i] ^= (unsigned char)a;
    }
}

Bytes Pstr(const std::string &s) {
    Bytes b;
    b.reserve(s.size() + 1);
    b.push_back((unsigned char)s.size());
    b.insert(b.end(), s.begin(), s.end());
    return b;
}

Bytes StrList(const std::vector<std::string> &strings) {
    Bytes b;
    Put16(&b, (unsigned)strings.size());
    for (const std::string &s : strings) {
        Bytes p = Pstr(s);
        b.insert(b.end(), p.begin(), p.end());
    }
    return b;
}

Bytes Text(const std::string &s) { return Bytes(s.begin(), s.end()); }

Bytes HandleBytes(Handle h) {
    if (!h || !*h) return Bytes();
    return Bytes(reinterpret_cast<unsigned char *>(*h), reinterpret_cast<unsigned char *>(*h) + GetHandleSize(h));
}

Handle NewHandleFrom(const Bytes &bytes) {
    Handle h = NewHandle((UInt32)bytes.size());
    if (h && !bytes.empty()) memcpy(*h, bytes.data(), bytes.size());
    return h;
}

void CloseAllResFiles() {
    while (OrvaPremierFichierRessource) CloseResFile(SInt16(OrvaPremierFichierRessource->fileNumber));
}

ErrorCapture::ErrorCapture() {
    gCapture = this;
    OrvaSetErrorHook(Capture);
}

ErrorCapture::~ErrorCapture() {
    OrvaSetErrorHook(nullptr);
    gCapture = nullptr;
}

bool ErrorCapture::Saw(const std::string &part) const {
    for (const std::string &m : messages)
        if (m.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace restest

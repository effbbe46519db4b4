// pictdump: lists a picture file (the raw picture bytes) for review.
//   pictdump [--summary] FILE
// First its kind, picSize and frame, then one line per opcode: offset (decimal), opcode (hex),
// name and operands decoded in the picture's byte order. With --summary, one line per opcode
// met instead: opcode (hex), name and how many times, by opcode. Exits 1 when the walk stops
// early.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "graphics/pictures/pict_format.h"

namespace {

const char *const kKindNames[] = {"unknown", "v1", "v2", "own"};

std::string Rect4(const PictWalkRecord *walk, UInt32 at) {
    Rect r = OrvaPictRect(walk, at);
    char text[64];
    std::snprintf(text, sizeof text, "(%d,%d,%d,%d)", r.top, r.left, r.bottom, r.right);
    return text;
}

std::string Text(const PictWalkRecord *walk, const PictFieldRecord &f) {
    std::string out = std::to_string(f.length - 1) + " \"";
    for (UInt32 i = 1; i < f.length; i++) {
        UInt8 c = walk->bytes[f.offset + i];
        char esc[8];
        std::snprintf(esc, sizeof esc, (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') ? "%c" : "\\x%02X", c);
        out += esc;
    }
    return out + "\"";
}

// One operand field as text.
std::string Field(const PictWalkRecord *walk, const PictFieldRecord &f) {
    char text[160];
    UInt32 at = f.offset;
    switch (f.kind) {
        case kFieldByte: std::snprintf(text, sizeof text, "%u", walk->bytes[at]); break;
        case kFieldWord:
            // Row bytes carry the pixel-map flag in bit 15.
            if (f.label && std::string(f.label) == "rowBytes") std::snprintf(text, sizeof text, "0x%04X", UInt16(OrvaPictWord(walk, at)));
            else std::snprintf(text, sizeof text, "%d", OrvaPictWord(walk, at));
            break;
        case kFieldLong: std::snprintf(text, sizeof text, "%d", OrvaPictLong(walk, at)); break;
        case kFieldPoint: std::snprintf(text, sizeof text, "(%d,%d)", OrvaPictWord(walk, at), OrvaPictWord(walk, at + 2)); break;
        case kFieldRect: return Rect4(walk, at);
        case kFieldPattern: {
            std::string hex;
            for (UInt32 i = 0; i < 8; i++) {
                std::snprintf(text, sizeof text, "%02X", walk->bytes[at + i]);
                hex += text;
            }
            return hex;
        }
        case kFieldRGB:
            std::snprintf(text, sizeof text, "%u %u %u", UInt16(OrvaPictWord(walk, at)), UInt16(OrvaPictWord(walk, at + 2)),
                          UInt16(OrvaPictWord(walk, at + 4)));
            break;
        case kFieldRegion: return "rgnSize " + std::to_string(f.length) + " " + Rect4(walk, at + 2);
        case kFieldPolygon: return "polySize " + std::to_string(f.length) + " " + Rect4(walk, at + 2);
        case kFieldText: return Text(walk, f);
        case kFieldData:
        case kFieldRows: std::snprintf(text, sizeof text, "%u bytes", f.length); break;
        case kFieldPixMap:
            std::snprintf(text, sizeof text, "bounds %s packType %d pixelType %d pixelSize %d cmpCount %d hRes %d vRes %d",
                          Rect4(walk, at).c_str(), OrvaPictWord(walk, at + 10), OrvaPictWord(walk, at + 24),
                          OrvaPictWord(walk, at + 26), OrvaPictWord(walk, at + 28), OrvaPictLong(walk, at + 16) >> 16,
                          OrvaPictLong(walk, at + 20) >> 16);
            break;
        case kFieldColorTable: std::snprintf(text, sizeof text, "%d entries", OrvaPictWord(walk, at + 6) + 1); break;
    }
    return text;
}

bool ReadFile(const char *path, std::vector<UInt8> *bytes) {
    FILE *f = std::fopen(path, "rb");
    if (!f) return false;
    UInt8 buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// Counts of each opcode; 1 when the walk stops early.
int Summary(PictWalkRecord *walk) {
    std::map<UInt16, std::pair<std::string, int>> counts;
    PictOpRecord op;
    while (!walk->ended) {
        if (OrvaPictNextOp(walk, &op) != noErr) return 1;
        auto &entry = counts[op.opcode];
        entry.first = op.name;
        entry.second++;
    }
    for (const auto &c : counts) std::printf("%04X %s %d\n", c.first, c.second.first.c_str(), c.second.second);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    bool summary = argc == 3 && std::strcmp(argv[1], "--summary") == 0;
    if (argc != 2 && !summary) {
        std::fprintf(stderr, "usage: pictdump [--summary] FILE\n");
        return 2;
    }
    const char *path = argv[argc - 1];
    std::vector<UInt8> bytes;
    if (!ReadFile(path, &bytes)) {
        std::fprintf(stderr, "pictdump: cannot read %s\n", path);
        return 1;
    }
    PictWalkRecord walk;
    if (OrvaPictBeginWalk(bytes.data(), UInt32(bytes.size()), &walk) != noErr) {
        std::fprintf(stderr, "pictdump: %s is not a picture of a known kind\n", path);
        return 1;
    }
    if (summary) return Summary(&walk);
    UInt16 picSize;
    Rect frame;
    OrvaPictHeader(&walk, &picSize, &frame);
    std::printf("kind %s  picSize %u  frame %s\n", kKindNames[walk.kind], picSize, Rect4(&walk, 2).c_str());
    PictOpRecord op;
    while (!walk.ended) {
        if (OrvaPictNextOp(&walk, &op) != noErr) {
            if (op.offset + 2 > bytes.size()) std::printf("%u the picture ends without OpEndPic\n", op.offset);
            else if (op.name[0]) std::printf("%u %04X %s: operands cut off\n", op.offset, op.opcode, op.name);
            else std::printf("%u %04X unknown opcode\n", op.offset, op.opcode);
            return 1;
        }
        std::string line = std::to_string(op.offset);
        char code[8];
        std::snprintf(code, sizeof code, " %04X ", op.opcode);
        line += code;
        line += op.name;
        for (SInt32 i = 0; i < op.fieldCount; i++) {
            line += ' ';
            if (op.fields[i].label) line += std::string(op.fields[i].label) + ' ';
            line += Field(&walk, op.fields[i]);
        }
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

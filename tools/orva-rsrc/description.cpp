// Reading and writing resource descriptions: a tokenizer (words, quoted strings with escapes,
// comments), one row per item keyword, and the dump that chooses the shortest faithful item.
#include "description.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>

#include "image_resources.h"
#include "platform/core/byte_reader.h"
#include "platform/core/text_encodings.h"

namespace {

// A run of a quoted string: text to convert, or bytes given by escapes, kept as they are.
struct Piece {
    bool raw;
    std::string bytes;
};

struct Token {
    enum Kind { kWord, kString, kEnd } kind;
    std::string word;
    std::vector<Piece> pieces;
    int line;
};

struct Lexer {
    explicit Lexer(const std::string &source) : text(source) {}
    const std::string &text;
    size_t at = 0;
    int line = 1;
    std::string error;  // set on the first bad token
};

struct Parser;
typedef bool (*ItemProc)(Parser *p, const struct ItemRow &row, DescribedResource *r);

// One item keyword: how it lays out its arguments.
struct ItemRow {
    const char *keyword;
    ItemProc proc;
    int width;        // bytes of a number, or the string encoding
    bool isSigned;
};

struct Parser {
    Parser(const std::string &text, const std::string &folder) : lexer(text), baseFolder(folder) {}
    Lexer lexer;
    Token token{Token::kEnd, "", {}, 1};  // the current token
    std::string baseFolder;
    std::string error;
};

const int kMaxDataSize = 0xFFFFFF;  // what 3-byte data offsets can reach in one file

bool Fail(Parser *p, int line, const std::string &message);
Token NextToken(Lexer *lx);
bool ReadString(Lexer *lx, char quote, Token *t);
void Advance(Parser *p);
bool ParseNumber(const std::string &word, long long low, long long high, long long *value);
bool Encode(const Token &t, SInt16 encoding, std::string *out, std::string *why);
bool ParseBlock(Parser *p, DescribedResource *r);
bool ItemNumbers(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemString(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemHex(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemRect(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemFile(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemStrList(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemText(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemPalette(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemCursor(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemPixPat(Parser *p, const ItemRow &row, DescribedResource *r);
bool ItemColorCursor(Parser *p, const ItemRow &row, DescribedResource *r);
bool ReadNumbers(Parser *p, int count, long long low, long long high, long long *values, const char *what);
bool ReadArt(Parser *p, CursorArt *art);
bool ReadImage(Parser *p, IndexedImage *image);
void PutNumber(std::vector<UInt8> *data, unsigned long long value, int width);
bool AsStrList(const std::vector<UInt8> &data, std::vector<std::string> *strings);
bool AsPalette(const std::vector<UInt8> &data, std::vector<unsigned> *components);
std::string ShowText(const std::string &bytes, char quote);

enum : int { kPascal = 1, kC = 2, kPascalSjis = 3, kCSjis = 4 };

const ItemRow kItems[] = {
    {"u8", ItemNumbers, 1, false},     {"u16", ItemNumbers, 2, false},
    {"u32", ItemNumbers, 4, false},    {"i16", ItemNumbers, 2, true},
    {"i32", ItemNumbers, 4, true},     {"pstr", ItemString, kPascal, false},
    {"cstr", ItemString, kC, false},   {"pstr.sjis", ItemString, kPascalSjis, false},
    {"cstr.sjis", ItemString, kCSjis, false}, {"hex", ItemHex, 0, false},
    {"rect", ItemRect, 0, false},      {"file", ItemFile, 0, false},
    {"strlist", ItemStrList, 0, false}, {"text", ItemText, 0, false},
    {"pltt", ItemPalette, 0, false},   {"curs", ItemCursor, 0, false},
    {"ppat", ItemPixPat, 0, false},    {"crsr", ItemColorCursor, 0, false},
};

// 'pltt': a 16-byte header holding the count, then 16-byte entries whose first three words are
// red, green and blue; every other field is zero.
const size_t kPaletteHeader = 16, kPaletteEntry = 16;

}  // namespace

bool ParseDescription(const std::string &text, const std::string &baseFolder,
                      std::vector<DescribedResource> *resources, std::string *error) {
    Parser p(text, baseFolder);
    Advance(&p);
    std::set<std::pair<ResType, SInt16>> seen;
    while (p.error.empty() && p.token.kind != Token::kEnd) {
        DescribedResource r;
        if (!ParseBlock(&p, &r)) break;
        if (!seen.insert({r.type, r.id}).second) {
            char four[4] = {char(r.type >> 24), char(r.type >> 16), char(r.type >> 8), char(r.type)};
            Fail(&p, r.line, "resource " + QuoteBytes(std::string(four, 4), '\'') + " " +
                                 std::to_string(r.id) + " is defined twice");
            break;
        }
        resources->push_back(std::move(r));
    }
    *error = p.error;
    return p.error.empty();
}

std::string DescribeResources(const std::vector<DescribedResource> &resources) {
    std::string out = "# Resource description written by orva-rsrc dump.\n";
    for (const DescribedResource &r : resources) {
        char four[4] = {char(r.type >> 24), char(r.type >> 16), char(r.type >> 8), char(r.type)};
        out += "\nresource " + QuoteBytes(std::string(four, 4), '\'') + " " + std::to_string(r.id);
        if (r.hasName) out += " " + QuoteBytes(r.name, '"');
        out += "\n";
        std::vector<std::string> strings;
        std::vector<unsigned> components;
        std::string bytes(r.data.begin(), r.data.end());
        if (r.type == FourCC("STR#") && AsStrList(r.data, &strings)) {
            out += "    strlist\n";
            for (const std::string &s : strings) out += "        " + QuoteBytes(s, '"') + "\n";
        } else if (r.type == FourCC("pltt") && AsPalette(r.data, &components)) {
            out += "    pltt";
            for (size_t i = 0; i < components.size(); i += 3)
                out += "\n        " + std::to_string(components[i]) + " " + std::to_string(components[i + 1]) + " " +
                       std::to_string(components[i + 2]);
            out += "\n";
        } else if (r.type == FourCC("CURS") && !DescribeCursor(r.data).empty()) {
            out += DescribeCursor(r.data);
        } else if (r.type == FourCC("ppat") && !DescribePixPat(r.data).empty()) {
            out += DescribePixPat(r.data);
        } else if (r.type == FourCC("crsr") && !DescribeColorCursor(r.data).empty()) {
            out += DescribeColorCursor(r.data);
        } else if (r.type == FourCC("TEXT")) {
            out += "    text";
            size_t start = 0;
            do {  // one string a line of the text
                size_t end = bytes.find('\r', start);
                end = end == std::string::npos ? bytes.size() : end + 1;
                out += (start == 0 ? " " : "\n        ") + QuoteBytes(bytes.substr(start, end - start), '"');
                start = end;
            } while (start < bytes.size());
            out += "\n";
        } else {
            static const char digits[] = "0123456789abcdef";
            size_t i = 0;
            do {
                out += "    hex \"";
                for (size_t n = 0; n < 32 && i < bytes.size(); n++, i++) {
                    out += digits[UInt8(bytes[i]) >> 4];
                    out += digits[UInt8(bytes[i]) & 15];
                }
                out += "\"\n";
            } while (i < bytes.size());
        }
    }
    return out;
}

std::string QuoteBytes(const std::string &bytes, char quote) {
    return quote + ShowText(bytes, quote) + quote;
}

namespace {

bool Fail(Parser *p, int line, const std::string &message) {
    if (p->error.empty()) p->error = std::to_string(line) + ": " + message;
    return false;
}

Token NextToken(Lexer *lx) {
    const std::string &s = lx->text;
    for (;;) {
        while (lx->at < s.size() && (s[lx->at] == ' ' || s[lx->at] == '\t' || s[lx->at] == '\r' || s[lx->at] == '\n')) {
            if (s[lx->at] == '\n') lx->line++;
            lx->at++;
        }
        if (lx->at < s.size() && s[lx->at] == '#') {
            while (lx->at < s.size() && s[lx->at] != '\n') lx->at++;
            continue;
        }
        break;
    }
    Token t{Token::kEnd, "", {}, lx->line};
    if (lx->at >= s.size()) return t;
    char c = s[lx->at];
    if (c == '"' || c == '\'') {
        lx->at++;
        if (!ReadString(lx, c, &t)) t.kind = Token::kEnd;
        return t;
    }
    size_t start = lx->at;
    while (lx->at < s.size() && !strchr(" \t\r\n#\"'", s[lx->at])) lx->at++;
    t.kind = Token::kWord;
    t.word = s.substr(start, lx->at - start);
    return t;
}

// Reads up to the closing quote: text, and the escapes \" \' \\ \n \r \t and \xNN (a byte).
bool ReadString(Lexer *lx, char quote, Token *t) {
    const std::string &s = lx->text;
    t->kind = Token::kString;
    auto add = [t](bool raw, const std::string &bytes) {
        if (t->pieces.empty() || t->pieces.back().raw != raw) t->pieces.push_back({raw, std::string()});
        t->pieces.back().bytes += bytes;
    };
    while (lx->at < s.size() && s[lx->at] != quote && s[lx->at] != '\n' && s[lx->at] != '\r') {
        char c = s[lx->at++];
        if (c != '\\') {
            add(false, std::string(1, c));
            continue;
        }
        char e = lx->at < s.size() ? s[lx->at++] : 0;
        if (e == 'x' && lx->at + 2 <= s.size() && isxdigit(UInt8(s[lx->at])) && isxdigit(UInt8(s[lx->at + 1]))) {
            add(true, std::string(1, char(strtol(s.substr(lx->at, 2).c_str(), nullptr, 16))));
            lx->at += 2;
        } else if (e == 'n' || e == 'r' || e == 't') {
            add(true, std::string(1, e == 'n' ? '\n' : e == 'r' ? '\r' : '\t'));
        } else if (e == '"' || e == '\'' || e == '\\') {
            add(false, std::string(1, e));
        } else {
            lx->error = "unknown escape in a string";
            return false;
        }
    }
    if (lx->at >= s.size() || s[lx->at] != quote) {
        lx->error = "string not closed on its line";
        return false;
    }
    lx->at++;
    return true;
}

void Advance(Parser *p) {
    p->token = NextToken(&p->lexer);
    if (!p->lexer.error.empty()) Fail(p, p->token.line, p->lexer.error);
}

bool ParseNumber(const std::string &word, long long low, long long high, long long *value) {
    const char *s = word.c_str();
    bool negative = *s == '-';
    if (negative) s++;
    int base = s[0] == '0' && (s[1] == 'x' || s[1] == 'X') ? 16 : 10;
    if (base == 16) s += 2;
    if (!*s || !isxdigit(UInt8(*s))) return false;
    char *end;
    errno = 0;
    unsigned long long magnitude = strtoull(s, &end, base);
    if (*end || errno == ERANGE || magnitude > (1ull << 40)) return false;
    *value = negative ? -(long long)magnitude : (long long)magnitude;
    return *value >= low && *value <= high;
}

// The string's text in the encoding, its escaped bytes as they are. Text the encoding cannot
// hold is refused rather than written as '?'.
bool Encode(const Token &t, SInt16 encoding, std::string *out, std::string *why) {
    out->clear();
    for (const Piece &piece : t.pieces) {
        if (piece.raw || piece.bytes.empty()) {
            *out += piece.bytes;
            continue;
        }
        SInt32 count = 0, back = 0;
        EncodedStr converted = ChangeTextEncoding(piece.bytes.data(), 0, SInt32(piece.bytes.size()),
                                                  kEncodingUTF8, encoding, &count);
        EncodedStr again = converted ? ChangeTextEncoding(converted, 0, count, encoding, kEncodingUTF8, &back) : nullptr;
        bool same = again && std::string(again, size_t(back)) == piece.bytes;
        if (same) out->append(converted, size_t(count));
        DisposeEncodedStr(converted);
        DisposeEncodedStr(again);
        if (!same) {
            *why = encoding == kEncodingShiftJis ? "text that Shift-JIS cannot hold" : "text that MacRoman cannot hold";
            return false;
        }
    }
    return true;
}

// resource TYPE ID [NAME] then items up to the next resource or the end.
bool ParseBlock(Parser *p, DescribedResource *r) {
    r->line = p->token.line;
    if (p->token.kind != Token::kWord || p->token.word != "resource")
        return Fail(p, p->token.line, "expected \"resource\"");
    Advance(p);
    std::string type, why;
    if (p->token.kind != Token::kString || !Encode(p->token, kEncodingMacRoman, &type, &why) || type.size() != 4)
        return Fail(p, p->token.line, "expected a type of four characters in quotes");
    ByteReader code = OrvaByteReader(type.data(), 4);
    r->type = Get32(&code);
    Advance(p);
    long long id;
    if (p->token.kind != Token::kWord || !ParseNumber(p->token.word, -32768, 32767, &id))
        return Fail(p, p->token.line, "expected a resource id from -32768 to 32767");
    r->id = SInt16(id);
    Advance(p);
    r->hasName = p->token.kind == Token::kString;
    if (r->hasName) {
        if (!Encode(p->token, kEncodingMacRoman, &r->name, &why)) return Fail(p, p->token.line, "name has " + why);
        if (r->name.size() > 255) return Fail(p, p->token.line, "name longer than 255 bytes");
        Advance(p);
    }
    while (p->error.empty() && p->token.kind == Token::kWord && p->token.word != "resource") {
        const ItemRow *row = nullptr;
        for (const ItemRow &candidate : kItems)
            if (p->token.word == candidate.keyword) row = &candidate;
        if (!row) return Fail(p, p->token.line, "unknown item \"" + p->token.word + "\"");
        Advance(p);
        if (!row->proc(p, *row, r)) return false;
        if (r->data.size() > size_t(kMaxDataSize)) return Fail(p, p->token.line, "resource data larger than 16 MB");
    }
    if (p->error.empty() && p->token.kind == Token::kString)
        return Fail(p, p->token.line, "string without an item");
    return p->error.empty();
}

bool ItemNumbers(Parser *p, const ItemRow &row, DescribedResource *r) {
    long long low = row.isSigned ? -(1ll << (8 * row.width - 1)) : 0;
    long long high = row.isSigned ? (1ll << (8 * row.width - 1)) - 1 : (1ll << (8 * row.width)) - 1;
    int count = 0;
    while (p->token.kind == Token::kWord && p->token.word != "resource") {
        long long value;
        bool isNumber = isdigit(UInt8(p->token.word[0])) || p->token.word[0] == '-';
        if (!isNumber) break;
        if (!ParseNumber(p->token.word, low, high, &value))
            return Fail(p, p->token.line, "\"" + p->token.word + "\" is not a " + row.keyword + " value");
        PutNumber(&r->data, (unsigned long long)value, row.width);
        count++;
        Advance(p);
    }
    return count > 0 || Fail(p, p->token.line, std::string(row.keyword) + " needs a number");
}

bool ItemString(Parser *p, const ItemRow &row, DescribedResource *r) {
    std::string bytes, why;
    bool sjis = row.width == kPascalSjis || row.width == kCSjis;
    bool pascal = row.width == kPascal || row.width == kPascalSjis;
    if (p->token.kind != Token::kString) return Fail(p, p->token.line, std::string(row.keyword) + " needs a string");
    if (!Encode(p->token, sjis ? kEncodingShiftJis : kEncodingMacRoman, &bytes, &why))
        return Fail(p, p->token.line, "string has " + why);
    if (pascal && bytes.size() > 255) return Fail(p, p->token.line, "pstr longer than 255 bytes");
    if (!pascal && bytes.find('\0') != std::string::npos) return Fail(p, p->token.line, "cstr holding a zero byte");
    if (pascal) r->data.push_back(UInt8(bytes.size()));
    r->data.insert(r->data.end(), bytes.begin(), bytes.end());
    if (!pascal) r->data.push_back(0);
    Advance(p);
    return true;
}

bool ItemHex(Parser *p, const ItemRow &, DescribedResource *r) {
    if (p->token.kind != Token::kString) return Fail(p, p->token.line, "hex needs a string of hex digits");
    std::string digits;
    for (const Piece &piece : p->token.pieces) {
        for (char c : piece.bytes) {
            if (c == ' ' || c == '\t') continue;
            if (piece.raw || !isxdigit(UInt8(c))) return Fail(p, p->token.line, "hex holds a character that is no hex digit");
            digits += c;
        }
    }
    if (digits.size() % 2) return Fail(p, p->token.line, "hex needs an even number of digits");
    for (size_t i = 0; i < digits.size(); i += 2) r->data.push_back(UInt8(strtol(digits.substr(i, 2).c_str(), nullptr, 16)));
    Advance(p);
    return true;
}

bool ItemRect(Parser *p, const ItemRow &, DescribedResource *r) {
    for (int i = 0; i < 4; i++) {
        long long value;
        if (p->token.kind != Token::kWord || !ParseNumber(p->token.word, -32768, 32767, &value))
            return Fail(p, p->token.line, "rect needs four numbers: top left bottom right");
        PutNumber(&r->data, (unsigned long long)value, 2);
        Advance(p);
    }
    return true;
}

bool ItemFile(Parser *p, const ItemRow &, DescribedResource *r) {
    std::string path;
    for (const Piece &piece : p->token.pieces) path += piece.bytes;
    if (p->token.kind != Token::kString || path.empty()) return Fail(p, p->token.line, "file needs a path in quotes");
    if (path[0] != '/') path = p->baseFolder + path;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return Fail(p, p->token.line, "cannot read " + path);
    UInt8 block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0 && r->data.size() <= size_t(kMaxDataSize))
        r->data.insert(r->data.end(), block, block + n);
    bool failed = ferror(f);
    fclose(f);
    if (failed) return Fail(p, p->token.line, "cannot read " + path);
    Advance(p);
    return true;
}

// 'STR#': a 16-bit count, then each string with its length byte.
bool ItemStrList(Parser *p, const ItemRow &, DescribedResource *r) {
    std::vector<std::string> strings;
    while (p->token.kind == Token::kString) {
        std::string bytes, why;
        if (!Encode(p->token, kEncodingMacRoman, &bytes, &why)) return Fail(p, p->token.line, "string has " + why);
        if (bytes.size() > 255) return Fail(p, p->token.line, "string longer than 255 bytes");
        strings.push_back(bytes);
        Advance(p);
    }
    if (strings.size() > 0xFFFF) return Fail(p, p->token.line, "more than 65535 strings");
    PutNumber(&r->data, strings.size(), 2);
    for (const std::string &s : strings) {
        r->data.push_back(UInt8(s.size()));
        r->data.insert(r->data.end(), s.begin(), s.end());
    }
    return true;
}

// 'TEXT': the strings' bytes one after another, without lengths.
bool ItemText(Parser *p, const ItemRow &, DescribedResource *r) {
    if (p->token.kind != Token::kString) return Fail(p, p->token.line, "text needs a string");
    while (p->token.kind == Token::kString) {
        std::string bytes, why;
        if (!Encode(p->token, kEncodingMacRoman, &bytes, &why)) return Fail(p, p->token.line, "string has " + why);
        r->data.insert(r->data.end(), bytes.begin(), bytes.end());
        Advance(p);
    }
    return true;
}

// 'pltt': red green blue triples, one entry each.
bool ItemPalette(Parser *p, const ItemRow &, DescribedResource *r) {
    std::vector<unsigned> components;
    while (p->token.kind == Token::kWord && p->token.word != "resource") {
        long long value;
        bool isNumber = isdigit(UInt8(p->token.word[0])) || p->token.word[0] == '-';
        if (!isNumber) break;
        if (!ParseNumber(p->token.word, 0, 65535, &value))
            return Fail(p, p->token.line, "\"" + p->token.word + "\" is not a colour component (0 to 65535)");
        components.push_back(unsigned(value));
        Advance(p);
    }
    if (components.size() % 3) return Fail(p, p->token.line, "pltt needs red, green and blue for every entry");
    if (components.size() / 3 > 32767) return Fail(p, p->token.line, "more than 32767 palette entries");
    PutNumber(&r->data, components.size() / 3, 2);
    r->data.insert(r->data.end(), kPaletteHeader - 2, 0);
    for (size_t i = 0; i < components.size(); i += 3) {
        for (size_t k = 0; k < 3; k++) PutNumber(&r->data, components[i + k], 2);
        r->data.insert(r->data.end(), kPaletteEntry - 6, 0);
    }
    return true;
}

// 'CURS': hot spot v h, then 16 rows of art.
bool ItemCursor(Parser *p, const ItemRow &, DescribedResource *r) {
    long long hot[2];
    CursorArt art;
    std::string error;
    if (!ReadNumbers(p, 2, -32768, 32767, hot, "curs needs the hot spot: v h")) return false;
    art.hotV = int(hot[0]);
    art.hotH = int(hot[1]);
    int line = p->token.line;
    if (!ReadArt(p, &art)) return false;
    return LayOutCursor(art, &r->data, &error) || Fail(p, line, error);
}

// 'ppat': width height depth, then colors and the rows of pixels.
bool ItemPixPat(Parser *p, const ItemRow &, DescribedResource *r) {
    long long size[3];
    IndexedImage image;
    std::string error;
    if (!ReadNumbers(p, 3, 1, kMaxPatternSide, size, "ppat needs width, height and bits a pixel")) return false;
    image.width = int(size[0]);
    image.height = int(size[1]);
    image.depth = int(size[2]);
    int line = p->token.line;
    if (!ReadImage(p, &image)) return false;
    return LayOutPixPat(image, &r->data, &error) || Fail(p, line, error);
}

// 'crsr': hot spot v h and depth, 16 rows of art, then colors and 16 rows of 16 pixels.
bool ItemColorCursor(Parser *p, const ItemRow &, DescribedResource *r) {
    long long hot[2], depth;
    CursorArt art;
    IndexedImage image;
    std::string error;
    if (!ReadNumbers(p, 2, -32768, 32767, hot, "crsr needs the hot spot: v h") ||
        !ReadNumbers(p, 1, 1, 8, &depth, "crsr needs bits a pixel after the hot spot"))
        return false;
    art.hotV = int(hot[0]);
    art.hotH = int(hot[1]);
    image.width = image.height = kCursorSide;
    image.depth = int(depth);
    int line = p->token.line;
    if (!ReadArt(p, &art) || !ReadImage(p, &image)) return false;
    return LayOutColorCursor(art, image, &r->data, &error) || Fail(p, line, error);
}

bool ReadNumbers(Parser *p, int count, long long low, long long high, long long *values, const char *what) {
    for (int i = 0; i < count; i++) {
        if (p->token.kind != Token::kWord || !ParseNumber(p->token.word, low, high, &values[i]))
            return Fail(p, p->token.line, what);
        Advance(p);
    }
    return true;
}

bool ReadArt(Parser *p, CursorArt *art) {
    while (p->token.kind == Token::kString && int(art->rows.size()) < kCursorSide) {
        std::string row;
        for (const Piece &piece : p->token.pieces) row += piece.bytes;
        art->rows.push_back(row);
        Advance(p);
    }
    return p->error.empty();
}

bool ReadImage(Parser *p, IndexedImage *image) {
    if (p->token.kind != Token::kWord || p->token.word != "colors")
        return Fail(p, p->token.line, "expected colors: red green blue of each entry");
    Advance(p);
    while (p->token.kind == Token::kWord && (isdigit(UInt8(p->token.word[0])) || p->token.word[0] == '-')) {
        long long value;
        if (!ReadNumbers(p, 1, 0, 65535, &value, "a colour component is 0 to 65535")) return false;
        image->colors.push_back(unsigned(value));
    }
    while (p->token.kind == Token::kString && int(image->rows.size()) < image->height) {
        std::string row;
        for (const Piece &piece : p->token.pieces) row += piece.bytes;
        image->rows.push_back(row);
        Advance(p);
    }
    return p->error.empty();
}

void PutNumber(std::vector<UInt8> *data, unsigned long long value, int width) {
    for (int i = width - 1; i >= 0; i--) data->push_back(UInt8(value >> (8 * i)));
}

bool AsStrList(const std::vector<UInt8> &data, std::vector<std::string> *strings) {
    ByteReader list = OrvaByteReader(data.data(), data.size());
    size_t count = Get16(&list);
    for (size_t i = 0; i < count && !list.failed; i++) {
        size_t length = Get8(&list);
        const UInt8 *text = TakeBytes(&list, length);
        if (text) strings->emplace_back(text, text + length);
    }
    return !list.failed && ByteReaderLeft(&list) == 0;
}

// A palette that the pltt item writes back exactly: the count matches the size and every field
// besides the colours is zero.
bool AsPalette(const std::vector<UInt8> &data, std::vector<unsigned> *components) {
    ByteReader palette = OrvaByteReader(data.data(), data.size());
    size_t count = Get16(&palette);
    if (palette.failed || data.size() != kPaletteHeader + count * kPaletteEntry || count > 32767) return false;
    for (size_t i = 2; i < kPaletteHeader; i++)
        if (Get8(&palette)) return false;
    for (size_t e = 0; e < count; e++) {
        for (size_t k = 0; k < 3; k++) components->push_back(Get16(&palette));
        for (size_t k = 6; k < kPaletteEntry; k++)
            if (Get8(&palette)) return false;
    }
    return true;
}

// MacRoman bytes as description text: ASCII as it is, other characters in UTF-8 when they
// come back to the same byte, control bytes and the rest as escapes.
std::string ShowText(const std::string &bytes, char quote) {
    std::string out;
    for (char c : bytes) {
        UInt8 b = UInt8(c);
        char utf[4];
        UniChar u = MacRomanCharToUnicode(b);
        if (c == quote || c == '\\') out += std::string("\\") + c;
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (b >= 0x20 && b < 0x7F) out += c;
        else if (b >= 0x80 && UnicodeCharToMacRoman(u) == b) out.append(utf, size_t(UnicodeCharToUTF(u, utf)));
        else {
            char escape[5];
            snprintf(escape, sizeof escape, "\\x%02x", b);
            out += escape;
        }
    }
    return out;
}

}  // namespace

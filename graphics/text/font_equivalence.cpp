// Font-name equivalence: the parser of "FontReplace.txt", the walk over its classes that gives
// each listed name one installed equivalent, the lookups, and the PostScript font list.
#include "graphics/text/font_equivalence.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <strings.h>
#include <vector>

#include "graphics/text/font_table.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"

namespace {

const char kDefaultName[] = "Default";
const char kTimesName[] = "Times New Roman";
const char kNotFound[] = "GetIDFontSelonNom: font '%s' not found";

// One entry of the kept table.
struct FontEQEntry {
    char name[kFontNameSize];
    char equivalent[kFontNameSize];  // "Default" when no installed equivalent was found
};

// The kept table and the callback. Main thread only.
struct FontEQTableRecord {
    Handle entries;  // FontEQEntry, in the order the names were first met
    SInt32 count;
    FontConversionProc callback;
    Ptr epsList;     // kFontEpsListSize bytes, or null
};
FontEQTableRecord gFontEQ;

// The classes while the table is built. Every distinct name has a number.
struct ClassListRecord {
    std::vector<std::vector<SInt32>> classes;  // name numbers, in file order
    std::vector<std::string> names;            // by number
    std::map<std::string, SInt32> numbers;
    std::vector<std::vector<SInt32>> containing;  // per name: the classes holding it, once each
    std::vector<std::vector<SInt32>> headed;      // per name: the classes it heads
    std::vector<SInt8> installed;                 // per name: -1 not asked yet, 0, 1
};

// One search's visited lists: a name is in A or B when its stamp equals the search's.
struct SearchStateRecord {
    std::vector<UInt32> inA, inB;
    UInt32 stamp;
};

// A name whose classes the depth-first step is walking.
struct SearchFrame {
    SInt32 name;
    size_t classPos;  // index into containing[name]
    size_t namePos;   // index into that class
};

}  // namespace

static void ParseClasses(const char *text, ClassListRecord *list);
static SInt32 NameNumber(ClassListRecord *list, const char *start, size_t length);
static Boolean IsInstalledName(ClassListRecord *list, SInt32 name);
static SInt32 EnterName(ClassListRecord *list, SearchStateRecord *state, SInt32 name);
static SInt32 SearchFrom(ClassListRecord *list, SearchStateRecord *state, SInt32 start);
static const FontEQEntry *FindEntry(const char *name);
static void CopyOut(char *outName, const char *name);

Boolean FontEQProcessPreferenceFile(const char *text) {
    if (gFontEQ.entries) DisposHandle(gFontEQ.entries);
    gFontEQ.entries = nullptr;
    gFontEQ.count = 0;
    if (!text) return 1;
    ClassListRecord list;
    ParseClasses(text, &list);
    SearchStateRecord state;
    state.inA.assign(list.names.size(), 0);
    state.inB.assign(list.names.size(), 0);
    state.stamp = 0;
    std::vector<UInt8> done(list.names.size(), 0);
    std::vector<FontEQEntry> entries;
    for (const std::vector<SInt32> &members : list.classes) {
        for (SInt32 name : members) {
            if (done[name]) continue;
            done[name] = 1;
            state.stamp++;
            SInt32 found = SearchFrom(&list, &state, name);
            entries.emplace_back();
            OrvaCopyFontName(entries.back().name, list.names[name].c_str());
            OrvaCopyFontName(entries.back().equivalent, found >= 0 ? list.names[found].c_str() : kDefaultName);
        }
    }
    SInt32 bytes = SInt32(entries.size() * sizeof(FontEQEntry));
    if (!entries.empty() && PtrToHand(entries.data(), &gFontEQ.entries, bytes) == noErr)
        gFontEQ.count = SInt32(entries.size());
    return 1;
}

Boolean OrvaFontEQLoadFile(const char *path) {
    FontEQProcessPreferenceFile(nullptr);
    FILE *file = path ? fopen(path, "rb") : nullptr;
    if (!file) return false;
    std::vector<UInt8> bytes;
    UInt8 block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, file)) > 0 && bytes.size() < size_t(kFontEQFileMax))
        bytes.insert(bytes.end(), block, block + n);
    fclose(file);
    if (bytes.size() > size_t(kFontEQFileMax)) bytes.resize(kFontEQFileMax);
    SInt32 mark = 0;
    SInt16 encoding = bytes.empty() ? SInt16(kEncodingUTF8) : EvalueCharsetBuffer(bytes.data(), SInt32(bytes.size()), &mark);
    SInt16 id = encoding & kEncodingIdMask;
    std::string text;
    if (id == kEncodingUTF8) {
        text.assign((const char *)bytes.data() + mark, bytes.size() - size_t(mark));
    } else {
        SInt32 count = SInt32(bytes.size()) - mark, outCount = 0;
        if (id >= kEncodingUTF16Swapped) count /= 2;
        EncodedStr utf8 = ChangeTextEncoding(bytes.data() + mark, 0, count, encoding, kEncodingUTF8, &outCount);
        if (utf8) text.assign(utf8, size_t(outCount));
        DisposeEncodedStr(utf8);
    }
    text = text.c_str();  // the text ends at its first NUL
    FontEQProcessPreferenceFile(text.c_str());
    return true;
}

SInt16 FontEQName(const char *name, char *outName) {
    if (!name) name = "";
    if (strcmp(name, kDefaultName) == 0) name = kTimesName;
    const FontEQEntry *entry = FindEntry(name);
    SInt16 result = -1;
    if (entry) result = strcmp(entry->equivalent, kDefaultName) == 0 ? 0 : strcmp(entry->equivalent, name) == 0 ? 2 : 1;
    if (result > 0) {
        CopyOut(outName, entry->equivalent);
        return result;
    }
    const FontEQEntry *times = FindEntry(kTimesName);
    if (times && strcmp(times->equivalent, kDefaultName) != 0) CopyOut(outName, times->equivalent);
    return result;
}

SInt16 GetClosestIDFontFromName(const char *name, SInt16 *id, char *outName) {
    SInt16 found = 0;
    if (CarboniseGetIDFontFromName(name, &found)) {
        if (id) *id = found;
        return 0;
    }
    char buffer[kFontNameSize] = "";
    SInt16 equivalence = FontEQName(name, buffer);
    SInt16 result, chosen = 1;
    if (equivalence != 1) {
        if (buffer[0] && CarboniseGetIDFontFromName(buffer, &found)) chosen = found;
        result = 2;
    } else {
        // Only when fonts changed after loading can a declared equivalent be missing.
        if (CarboniseGetIDFontFromName(buffer, &found)) chosen = found;
        else Collapse(kNotFound, buffer);
        result = 1;
    }
    if (id) *id = chosen;
    CopyOut(outName, buffer);
    if (gFontEQ.callback) gFontEQ.callback(name ? name : "", buffer, chosen, equivalence == 1);
    return result;
}

void ExtendedSetFontConversionCallback(FontConversionProc callback) { gFontEQ.callback = callback; }

Boolean CarboniseGetIDFontFromName(const char *name, SInt16 *id) {
    UInt16 found = name ? OrvaGetFontIDFromName(name) : 0;
    if (id) *id = SInt16(found);
    return name && name[0] && strcmp(OrvaGetFontNameFromID(found), name) == 0;
}

void NewListeFontEpsListe() {
    DisposeListeFontEpsListe();
    gFontEQ.epsList = NewPtrClear(kFontEpsListSize);
}

void DisposeListeFontEpsListe() {
    if (gFontEQ.epsList) DisposPtr(gFontEQ.epsList);
    gFontEQ.epsList = nullptr;
}

void AddFontEpsListe(char *name) {
    if (!name) return;
    char *out = name;
    for (const char *in = name; *in; in++)
        if (*in != ' ') *out++ = *in;
    *out = 0;
    char *list = gFontEQ.epsList;
    size_t length = strlen(name);
    if (!list || length == 0) return;
    for (const char *item = list; *item;) {
        const char *comma = strchr(item, ',');
        size_t itemLength = comma ? size_t(comma - item) : strlen(item);
        if (itemLength == length && strncasecmp(item, name, length) == 0) return;
        item += itemLength + (comma ? 1 : 0);
    }
    size_t used = strlen(list);
    size_t joined = used + (used > 0 ? 1 : 0) + length;
    if (joined > size_t(kFontEpsListMax)) return;
    if (used > 0) list[used++] = ',';
    memcpy(list + used, name, length + 1);
}

const char *OrvaGetListeFontEps() { return gFontEQ.epsList ? gFontEQ.epsList : ""; }

// Lines end with CR or LF; '#' ends a line's class and comments out the rest of the line.
// Blanks and tabs before a name are skipped; the name runs to the next ',', '#' or line end.
static void ParseClasses(const char *text, ClassListRecord *list) {
    const char *p = text;
    while (*p) {
        std::vector<SInt32> members;
        for (;;) {
            while (*p == ' ' || *p == '\t') p++;
            const char *start = p;
            while (*p && *p != ',' && *p != '#' && *p != '\r' && *p != '\n') p++;
            SInt32 number = p > start ? NameNumber(list, start, size_t(p - start)) : -1;
            if (number >= 0) members.push_back(number);
            if (*p != ',') break;
            p++;
        }
        if (*p == '#')
            while (*p && *p != '\r' && *p != '\n') p++;
        if (*p == '\r' || *p == '\n') p++;
        if (members.empty()) continue;
        SInt32 index = SInt32(list->classes.size());
        list->headed[members[0]].push_back(index);
        for (SInt32 name : members)
            if (list->containing[name].empty() || list->containing[name].back() != index)
                list->containing[name].push_back(index);
        list->classes.push_back(std::move(members));
    }
}

// The number of a name (cut to a field's length), given a new one when first met; -1 once
// the table is full.
static SInt32 NameNumber(ClassListRecord *list, const char *start, size_t length) {
    char field[kFontNameSize];
    std::string source(start, length);
    OrvaCopyFontName(field, source.c_str());
    std::string name(field);
    auto found = list->numbers.find(name);
    if (found != list->numbers.end()) return found->second;
    if (list->names.size() >= size_t(kFontEQNamesMax)) return -1;
    SInt32 number = SInt32(list->names.size());
    list->numbers.emplace(name, number);
    list->names.push_back(name);
    list->containing.emplace_back();
    list->headed.emplace_back();
    list->installed.push_back(-1);
    return number;
}

static Boolean IsInstalledName(ClassListRecord *list, SInt32 name) {
    if (list->installed[name] < 0) {
        SInt16 id;
        list->installed[name] = CarboniseGetIDFontFromName(list->names[name].c_str(), &id) ? 1 : 0;
    }
    return list->installed[name] == 1;
}

// The first three steps of the search from a name: the name itself, the other names of the
// classes it heads, then the names of every class holding it. Answers the installed name
// found, or -1 after adding the name to B.
static SInt32 EnterName(ClassListRecord *list, SearchStateRecord *state, SInt32 name) {
    if (IsInstalledName(list, name)) return name;
    state->inA[name] = state->stamp;
    for (SInt32 c : list->headed[name]) {
        const std::vector<SInt32> &members = list->classes[c];
        for (size_t i = 1; i < members.size(); i++) {
            SInt32 m = members[i];
            if (state->inA[m] == state->stamp) continue;
            if (IsInstalledName(list, m)) return m;
            state->inA[m] = state->stamp;
        }
    }
    for (SInt32 c : list->containing[name]) {
        for (SInt32 m : list->classes[c]) {
            if (state->inA[m] == state->stamp) continue;
            if (IsInstalledName(list, m)) return m;
            state->inA[m] = state->stamp;
        }
    }
    state->inB[name] = state->stamp;
    return -1;
}

// The whole search, depth first through the classes that share names; the recursion is kept
// on a stack of frames so that long chains of classes cannot exhaust the call stack.
static SInt32 SearchFrom(ClassListRecord *list, SearchStateRecord *state, SInt32 start) {
    SInt32 found = EnterName(list, state, start);
    if (found >= 0) return found;
    std::vector<SearchFrame> stack;
    stack.push_back({start, 0, 0});
    while (!stack.empty()) {
        SearchFrame &frame = stack.back();
        const std::vector<SInt32> &classes = list->containing[frame.name];
        SInt32 next = -1;
        while (next < 0 && frame.classPos < classes.size()) {
            const std::vector<SInt32> &members = list->classes[classes[frame.classPos]];
            if (frame.namePos >= members.size()) {
                frame.classPos++;
                frame.namePos = 0;
                continue;
            }
            SInt32 m = members[frame.namePos++];
            if (state->inB[m] != state->stamp) next = m;
        }
        if (next < 0) {
            stack.pop_back();
            continue;
        }
        found = EnterName(list, state, next);
        if (found >= 0) return found;
        stack.push_back({next, 0, 0});
    }
    return -1;
}

static const FontEQEntry *FindEntry(const char *name) {
    const FontEQEntry *entries = gFontEQ.entries ? (const FontEQEntry *)*gFontEQ.entries : nullptr;
    for (SInt32 i = 0; i < gFontEQ.count; i++)
        if (strcmp(entries[i].name, name) == 0) return &entries[i];
    return nullptr;
}

static void CopyOut(char *outName, const char *name) {
    if (outName) OrvaCopyFontName(outName, name);
}

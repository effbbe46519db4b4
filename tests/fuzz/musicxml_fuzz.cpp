// ctest-labels: musicxml-driver;musicxml-notes
// MusicXML documents loaded through the xml row of the format table into the real score model.
// The mutator knows the structure: it parses a document, deletes, duplicates and swaps elements
// and puts edge values into texts and attributes, then writes the document back; bytes that do
// not parse are mutated as bytes. Invariants: no sanitizer report, no leak, at most 16 staff
// numbers, 16 voices and 16 x 16 staves a part, a score model that keeps its own, at least one
// measure, every pitch a MIDI pitch or a rest, chord continuation or repeat sign, and every
// note inside the measures.
// Seeded from tests/data/corpus/musicxml beside this target's own corpus.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "fuzz_support.h"
#include "import/musicxml/musicxml_import.h"
#include "import/musicxml/musicxml_state.h"
#include "platform/core/memory.h"
#include "score/score_formats.h"
#include "tests/support/score_support.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize) __attribute__((weak));

namespace {

enum : size_t { kMaxInput = 1 << 20 };
enum EditKind { kDelete, kDuplicate, kSwap, kText, kAttribute, kEditKinds };

const char *const kValues[] = {"0", "-1", "2147483647", "1e30", "abc", "3+2+2", "99999", "", "17", "x"};

struct Edit {
    SInt32 id;
    EditKind kind;
    const char *value;
};

struct Plan {
    Edit edits[4];
    int count;
};


void Escaped(std::string *out, const char *text) {
    for (const char *p = text; *p; p++) {
        switch (*p) {
            case '&': *out += "&amp;"; break;
            case '<': *out += "&lt;"; break;
            case '>': *out += "&gt;"; break;
            case '"': *out += "&quot;"; break;
            default: *out += *p;
        }
    }
}

const Edit *EditOf(const Plan &plan, const XMLElt *elt) {
    for (int i = 0; i < plan.count; i++)
        if (plan.edits[i].id == elt->id) return &plan.edits[i];
    return nullptr;
}

void Write(std::string *out, const XMLElt *elt, const Plan &plan, int depth);

void WriteOne(std::string *out, const XMLElt *elt, const Plan &plan, const Edit *edit, int depth) {
    if (elt->name[0] == '*' || depth > 200) return;
    *out += "<" + std::string(elt->name);
    for (SInt32 a = 0; a < elt->attrCount; a++) {
        const char *value = edit && edit->kind == kAttribute && a == 0 ? edit->value : elt->attrs[a].value;
        *out += " " + std::string(elt->attrs[a].name) + "=\"";
        Escaped(out, value);
        *out += "\"";
    }
    *out += ">";
    const char *text = edit && edit->kind == kText ? edit->value : elt->text;
    if (text) Escaped(out, text);
    for (SInt32 c = 0; c < elt->childCount; c++) Write(out, elt->children[c], plan, depth + 1);
    *out += "</" + std::string(elt->name) + ">";
}

// A swapped element changed places with its next sibling before the writing.
void Write(std::string *out, const XMLElt *elt, const Plan &plan, int depth) {
    const Edit *edit = EditOf(plan, elt);
    if (edit && edit->kind == kDelete) return;
    WriteOne(out, elt, plan, edit, depth);
    if (edit && edit->kind == kDuplicate) WriteOne(out, elt, plan, edit, depth);
}

size_t ByteMutation(uint8_t *data, size_t size, size_t maxSize) {
    return LLVMFuzzerMutate ? LLVMFuzzerMutate(data, size, maxSize) : size;
}

size_t StaffCheck(ScoreHandle score) {
    std::map<SInt32, int> perPart;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        SInt32 values[3] = {-1, -1, -1};
        const OSType ids[3] = {kXMLIdPartie, kXMLIdPortee, kXMLIdVoix};
        for (int i = 0; i < 3; i++) {
            SInt32 size = 4;
            if (GetCollectionItem((*staff)->collection, kXMLTypePortee, SInt32(ids[i]), &size, &values[i]) != noErr) abort();
        }
        if (values[1] < 0 || values[1] >= kXMLMaxStavesPartie || values[2] < 0 || values[2] >= kXMLMaxVoixPortee) abort();
        if (++perPart[values[0]] > kXMLMaxPorteesPartie) abort();
    }
    return perPart.size();
}

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize, unsigned int seed) {
    static const bool quiet = [] {
        FuzzQuietMessages();
        return true;
    }();
    (void)quiet;
    Handle h = nullptr;
    if (size == 0 || PtrToHand(data, &h, SInt32(size)) != noErr) return ByteMutation(data, size, maxSize);
    XMLBrowser *tree = BrowseXMLFile(h, nullptr, nullptr, kTrue);
    DisposHandle(h);
    if (!tree || tree->eltCount < 2 || rand_r(&seed) % 8 == 0) {
        XMLBrowserDispose(tree);
        return ByteMutation(data, size, maxSize);
    }
    Plan plan = {};
    plan.count = 1 + rand_r(&seed) % 4;
    for (int i = 0; i < plan.count; i++)
        plan.edits[i] = Edit{SInt32(1 + rand_r(&seed) % (tree->eltCount - 1)), EditKind(rand_r(&seed) % kEditKinds),
                             kValues[rand_r(&seed) % (sizeof kValues / sizeof kValues[0])]};
    for (int i = 0; i < plan.count; i++) {
        XMLElt *elt = tree->elts[plan.edits[i].id], *parent = elt->parent;
        SInt32 k = 0;
        while (k + 1 < parent->childCount && parent->children[k] != elt) k++;
        if (plan.edits[i].kind == kSwap && k + 1 < parent->childCount) std::swap(parent->children[k], parent->children[k + 1]);
    }
    std::string out;
    for (SInt32 c = 0; c < tree->root.childCount; c++) Write(&out, tree->root.children[c], plan, 0);
    XMLBrowserDispose(tree);
    if (out.size() > maxSize || out.empty()) return ByteMutation(data, size, maxSize);
    memcpy(data, out.data(), out.size());
    return out.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string path = FuzzFolder() + "/input.xml";
    static const bool ready = [] {
        FuzzQuietMessages();
        FixePrefStd();
        XMLEnregistreFormats();
        return true;
    }();
    (void)ready;
    if (size > kMaxInput) return 0;
    FuzzWriteFile(path, data, size);
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    const ScoreFormatOps *row = RechercheFormatPartition(path.c_str());
    if (!row || !document) abort();
    if (row->load(document, path.c_str(), -1)) {
        ScoreHandle score = document->score;
        if (!IsPartitionValide(score) || !ScoreInvariantFault(score).empty() || !NoteBoundsFault(score).empty()) abort();
        StaffCheck(score);
        for (SInt32 bar = 1; bar < 5; bar++) {
            SInt32 measure = CvtBarXMLEnBarCadenzo(score, bar);
            if (measure < 1) abort();
        }
    }
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
    return 0;
}

// The path language of the element tree, the element queries built on it, the getters and the
// user attributes.
#include "import/xml/xml_tree.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "import/xml/xml_arrays.h"
#include "platform/core/memory.h"

namespace {

// One step of a path: its text between two "/", not NUL-terminated.
struct PathStep {
    const char *start;
    SInt32 length;
};

// One level of the descendant walk: an element whose children are tried against a step.
struct Frame {
    XMLElt *elt;
    SInt32 step;
    SInt32 next;  // the child being tried
};

// A path cut into steps: steps before target are ancestor steps (the last one the parent's),
// steps after it descendant steps.
struct ParsedPath {
    PathStep *steps;
    SInt32 count;
    SInt32 target;
    Frame *frames;  // count entries: the descendant walk's stack
};

// A query's result while it grows.
struct EltList {
    XMLGrowable items;
    SInt32 count;
    Boolean failed;  // memory ran out: the list holds what was found before
};

Boolean ParsePath(const char *path, ParsedPath *parsed);
void DisposePath(ParsedPath *parsed);
SInt32 CutSteps(const char *from, const char *end, PathStep *steps);
Boolean Matches(XMLElt *elt, ParsedPath *path);
Boolean ChildrenMatch(XMLElt *elt, ParsedPath *path, SInt32 first);
Boolean StepMatches(const XMLElt *elt, const PathStep &step);
Boolean AttributeCondition(const XMLElt *elt, const char *from, const char *end);
Boolean HasAttribute(const XMLAttrPair *pairs, SInt32 count, const char *name, SInt32 nameLength,
                     const char *value, SInt32 valueLength);
Boolean TextCondition(const XMLElt *elt, const char *from, const char *end);
Boolean IsNegated(const PathStep &step);
XMLElt **Query(XMLElt **elts, SInt32 length, const char *path, Boolean descend, SInt32 *count);
void SearchFrom(XMLElt *elt, ParsedPath *path, EltList *list);
void Append(EltList *list, XMLElt *elt);
XMLElt **Finish(EltList *list, SInt32 *count);
XMLAttrPair *FindPair(XMLAttrPair *pairs, SInt32 count, const char *name);
XMLBrowser *TreeOf(XMLElt *elt);
long ReadLong(const char *text);
float ReadFloat(const char *text);
}  // namespace

XMLElt **XMLGetElts(XMLBrowser *tree, const char *path, SInt32 *count) {
    return Query(tree != nullptr ? tree->elts : nullptr, tree != nullptr ? tree->eltCount : 0, path, kFalse, count);
}

XMLElt **XMLGetEltsInChild(XMLElt *elt, const char *path, SInt32 *count) {
    return Query(elt != nullptr ? &elt : nullptr, 1, path, kTrue, count);
}

XMLElt **XMLGetEltsInList(XMLElt **elts, SInt32 length, const char *path, SInt32 *count) {
    return Query(elts, length, path, kTrue, count);
}

XMLElt **XMLGetEltsInListFirstLevel(XMLElt **elts, SInt32 length, const char *path, SInt32 *count) {
    return Query(elts, length, path, kFalse, count);
}

XMLElt **XMLGetEltsInListFromAttribute(XMLElt **elts, SInt32 length, const char *name, const char *value,
                                       SInt32 *count) {
    EltList list = {};
    for (SInt32 i = 0; elts != nullptr && name != nullptr && value != nullptr && i < length && !list.failed; i++) {
        XMLAttrPair *pair = elts[i] != nullptr ? FindPair(elts[i]->attrs, elts[i]->attrCount, name) : nullptr;
        if (pair != nullptr && strcmp(pair->value, value) == 0) Append(&list, elts[i]);
    }
    return Finish(&list, count);
}

XMLElt **XMLGetEltsInListFromAttributeLong(XMLElt **elts, SInt32 length, const char *name, long value,
                                           SInt32 *count) {
    char text[kXMLNumberTextSize];
    snprintf(text, sizeof text, "%ld", value);
    return XMLGetEltsInListFromAttribute(elts, length, name, text, count);
}

void XMLDisposeElts(XMLElt **elts) { XMLFreeBlock(elts); }

XMLElt *XMLGetChild(XMLElt *elt, const char *path, SInt32 index) {
    ParsedPath parsed;
    if (elt == nullptr || index < 0 || !ParsePath(path, &parsed)) return nullptr;
    XMLElt *found = nullptr;
    for (SInt32 i = 0, seen = 0; i < elt->childCount && found == nullptr; i++) {
        if (!Matches(elt->children[i], &parsed)) continue;
        if (seen++ == index) found = elt->children[i];
    }
    DisposePath(&parsed);
    return found;
}

XMLElt *XMLGetChild(XMLBrowser *tree, const char *path, SInt32 index) {
    return tree != nullptr ? XMLGetChild(&tree->root, path, index) : nullptr;
}

const char *XMLGetAttributeValue(XMLElt *elt, const char *name) {
    if (elt == nullptr || name == nullptr) return nullptr;
    XMLAttrPair *pair = FindPair(elt->attrs, elt->attrCount, name);
    if (pair == nullptr) pair = FindPair(elt->userAttrs, elt->userAttrCount, name);
    return pair != nullptr ? pair->value : nullptr;
}

long XMLGetAttributeLong(XMLElt *elt, const char *name) {
    const char *value = XMLGetAttributeValue(elt, name);
    if (value == nullptr || (value[0] != '-' && value[0] != '+' && (value[0] < '0' || value[0] > '9')))
        return kXMLNoLong;
    return ReadLong(value);
}

float XMLGetAttributeFloat(XMLElt *elt, const char *name) { return ReadFloat(XMLGetAttributeValue(elt, name)); }

const char *XMLGetText(XMLElt *elt) { return elt != nullptr ? elt->text : nullptr; }

long XMLGetTextLong(XMLElt *elt) { return ReadLong(XMLGetText(elt)); }

float XMLGetTextFloat(XMLElt *elt) { return ReadFloat(XMLGetText(elt)); }

// New strings and arrays come from the element's tree, found through its ancestors; a replaced
// value or a grown-out array stays in the tree's store until the tree goes.
const char *XMLAddUserAttr(XMLElt *elt, const char *name, const char *value) {
    if (elt == nullptr || name == nullptr || value == nullptr) return nullptr;
    XMLBrowser *tree = TreeOf(elt);
    char *copy = XMLStoreString(&tree->store, value);
    if (copy == nullptr) return nullptr;
    XMLAttrPair *pair = FindPair(elt->attrs, elt->attrCount, name);
    if (pair != nullptr) {
        pair->value = copy;
        return copy;
    }
    // User attributes grow by one pair at a time: an element rarely gets more than a few.
    char *nameCopy = XMLStoreString(&tree->store, name);
    SInt64 size = sizeof(XMLAttrPair);
    XMLAttrPair *pairs = static_cast<XMLAttrPair *>(XMLStoreAlloc(&tree->store, (elt->userAttrCount + 1) * size));
    if (nameCopy == nullptr || pairs == nullptr) return nullptr;
    if (elt->userAttrCount > 0) memcpy(pairs, elt->userAttrs, size_t(elt->userAttrCount * size));
    pairs[elt->userAttrCount] = XMLAttrPair{nameCopy, copy};
    elt->userAttrs = pairs;
    elt->userAttrCount++;
    return copy;
}

const char *XMLAddUserAttrLong(XMLElt *elt, const char *name, long value) {
    char text[kXMLNumberTextSize];
    snprintf(text, sizeof text, "%ld", value);
    return XMLAddUserAttr(elt, name, text);
}

namespace {

// The first "@" of the path marks the target step; the steps before it (each followed by "/")
// are ancestor steps. A path without "@" starts with its target step.
Boolean ParsePath(const char *path, ParsedPath *parsed) {
    *parsed = ParsedPath();
    if (path == nullptr) return kFalse;
    size_t length = strlen(path);
    const char *end = path + length;
    const char *at = static_cast<const char *>(memchr(path, '@', length));
    SInt64 slashes = 0;
    for (const char *p = path; p < end; p++) slashes += *p == '/';
    parsed->steps = reinterpret_cast<PathStep *>(NewPtr(UInt32((slashes + 2) * sizeof(PathStep))));
    parsed->frames = reinterpret_cast<Frame *>(NewPtr(UInt32((slashes + 2) * sizeof(Frame))));
    if (parsed->steps == nullptr || parsed->frames == nullptr) {
        DisposePath(parsed);
        return kFalse;
    }
    if (at != nullptr) {
        if (at > path) parsed->count = CutSteps(path, at, parsed->steps);
        // "a/b/@c": the "/" before "@" ends the last ancestor step and opens no step of its own.
        if (at > path && at[-1] == '/') parsed->count--;
        parsed->target = parsed->count;
        parsed->count += CutSteps(at + 1, end, parsed->steps + parsed->count);
    } else {
        parsed->count = CutSteps(path, end, parsed->steps);
    }
    return kTrue;
}

void DisposePath(ParsedPath *parsed) {
    XMLFreeBlock(parsed->steps);
    XMLFreeBlock(parsed->frames);
    *parsed = ParsedPath();
}

// The steps of from..end separated by "/"; an empty text is one empty step.
SInt32 CutSteps(const char *from, const char *end, PathStep *steps) {
    SInt32 count = 0;
    const char *start = from;
    for (const char *p = from;; p++) {
        if (p == end || *p == '/') {
            steps[count++] = PathStep{start, SInt32(p - start)};
            if (p == end) break;
            start = p + 1;
        }
    }
    return count;
}

Boolean Matches(XMLElt *elt, ParsedPath *path) {
    if (elt == nullptr || !StepMatches(elt, path->steps[path->target])) return kFalse;
    const XMLElt *ancestor = elt->parent;
    for (SInt32 i = path->target - 1; i >= 0; i--, ancestor = ancestor->parent)
        if (ancestor == nullptr || !StepMatches(ancestor, path->steps[i])) return kFalse;
    return path->target + 1 == path->count || ChildrenMatch(elt, path, path->target + 1);
}

// Whether the children of elt satisfy the path from step first on: every child when that step
// begins with "!", at least one otherwise; a child satisfies it when it matches the step and,
// if steps follow, its own children satisfy the rest. Walked with a stack of frames, one per
// level, so that neither deep documents nor long paths use the machine stack.
Boolean ChildrenMatch(XMLElt *elt, ParsedPath *path, SInt32 first) {
    Frame *frames = path->frames;
    SInt32 top = 0;
    frames[0] = Frame{elt, first, 0};
    Boolean verdict = kFalse, decided = kFalse;  // decided: verdict is that of frames[top]'s current child
    for (;;) {
        Frame &frame = frames[top];
        Boolean all = IsNegated(path->steps[frame.step]);
        if (decided) {
            decided = kFalse;
            if (verdict != all) {  // one failure settles "every", one success settles "at least one"
                if (top == 0) return verdict;
                top--;
                decided = kTrue;
                continue;
            }
            frame.next++;
        }
        if (frame.next >= frame.elt->childCount) {
            verdict = all;
            if (top == 0) return verdict;
            top--;
            decided = kTrue;
            continue;
        }
        XMLElt *child = frame.elt->children[frame.next];
        Boolean fits = StepMatches(child, path->steps[frame.step]);
        if (!fits || frame.step + 1 == path->count) {
            verdict = fits;
            decided = kTrue;
            continue;
        }
        frames[++top] = Frame{child, frame.step + 1, 0};
    }
}

// A step: an optional "!", a name, then conditions "<attribute>", "<attribute=value>" and
// "[text]", each inverted by a "!" after its bracket. A condition without its closing bracket
// or anything else after the name makes the step match nothing.
Boolean StepMatches(const XMLElt *elt, const PathStep &step) {
    // The root record has no name; a "*" marks an element closed by another's end tag.
    if (elt->name == nullptr || elt->name[0] == '*') return kFalse;
    const char *p = step.start, *end = step.start + step.length;
    Boolean negated = p < end && *p == '!';
    if (negated) p++;
    const char *nameEnd = p;
    while (nameEnd < end && *nameEnd != '<' && *nameEnd != '[') nameEnd++;
    size_t nameLength = size_t(nameEnd - p);
    Boolean sameName = strlen(elt->name) == nameLength && memcmp(elt->name, p, nameLength) == 0;
    if (sameName == negated) return kFalse;
    for (p = nameEnd; p < end;) {
        char close = *p == '<' ? '>' : *p == '[' ? ']' : 0;
        const char *closing = close ? static_cast<const char *>(memchr(p + 1, close, size_t(end - p - 1))) : nullptr;
        if (closing == nullptr) return kFalse;
        Boolean holds = close == '>' ? AttributeCondition(elt, p + 1, closing) : TextCondition(elt, p + 1, closing);
        if (!holds) return kFalse;
        p = closing + 1;
    }
    return kTrue;
}

// XML attributes are tried first, then user attributes.
Boolean AttributeCondition(const XMLElt *elt, const char *from, const char *end) {
    Boolean negated = from < end && *from == '!';
    if (negated) from++;
    const char *equals = static_cast<const char *>(memchr(from, '=', size_t(end - from)));
    const char *nameEnd = equals ? equals : end;
    const char *value = equals ? equals + 1 : nullptr;
    SInt32 nameLength = SInt32(nameEnd - from), valueLength = value ? SInt32(end - value) : 0;
    Boolean holds = HasAttribute(elt->attrs, elt->attrCount, from, nameLength, value, valueLength) ||
                    HasAttribute(elt->userAttrs, elt->userAttrCount, from, nameLength, value, valueLength);
    return holds != negated;
}

// An attribute of that name and, when value is not null, exactly that value.
Boolean HasAttribute(const XMLAttrPair *pairs, SInt32 count, const char *name, SInt32 nameLength,
                     const char *value, SInt32 valueLength) {
    for (SInt32 i = 0; i < count; i++) {
        const XMLAttrPair &pair = pairs[i];
        if (strlen(pair.name) != size_t(nameLength) || memcmp(pair.name, name, size_t(nameLength)) != 0) continue;
        if (value == nullptr) return kTrue;
        if (strlen(pair.value) == size_t(valueLength) && memcmp(pair.value, value, size_t(valueLength)) == 0)
            return kTrue;
    }
    return kFalse;
}

// "[x]" equals, "[x*]" begins with, "[*x]" ends with, "[*x*]" contains x; "[*]" holds for any
// text. An element without text fails every condition that is not inverted.
Boolean TextCondition(const XMLElt *elt, const char *from, const char *end) {
    Boolean negated = from < end && *from == '!';
    if (negated) from++;
    if (elt->text == nullptr) return negated;
    size_t patternLength = size_t(end - from), textLength = strlen(elt->text);
    Boolean leadingStar = patternLength > 0 && from[0] == '*';
    Boolean trailingStar = patternLength > 1 && from[patternLength - 1] == '*';
    const char *core = from + (leadingStar ? 1 : 0);
    size_t coreLength = patternLength - (leadingStar ? 1 : 0) - (trailingStar ? 1 : 0);
    Boolean holds;
    if (coreLength > textLength) holds = kFalse;
    else if (leadingStar && trailingStar) holds = coreLength == 0 || memmem(elt->text, textLength, core, coreLength) != nullptr;
    else if (trailingStar) holds = memcmp(elt->text, core, coreLength) == 0;
    else if (leadingStar) holds = memcmp(elt->text + textLength - coreLength, core, coreLength) == 0;
    else holds = coreLength == textLength && memcmp(elt->text, core, coreLength) == 0;
    return holds != negated;
}

Boolean IsNegated(const PathStep &step) { return step.length > 0 && step.start[0] == '!'; }

// The elements of the list that match the path, or with descend the matches found searching
// from each of them, in order.
XMLElt **Query(XMLElt **elts, SInt32 length, const char *path, Boolean descend, SInt32 *count) {
    EltList list = {};
    ParsedPath parsed;
    if (elts != nullptr && ParsePath(path, &parsed)) {
        for (SInt32 i = 0; i < length && !list.failed; i++) {
            if (elts[i] == nullptr) continue;
            if (descend) SearchFrom(elts[i], &parsed, &list);
            else if (Matches(elts[i], &parsed)) Append(&list, elts[i]);
        }
        DisposePath(&parsed);
    }
    return Finish(&list, count);
}

// Depth first in document order from elt; a match is taken and its descendants not searched.
void SearchFrom(XMLElt *elt, ParsedPath *path, EltList *list) {
    XMLGrowable pending = {};  // elements still to visit, the next one last
    SInt64 count = 0, size = sizeof(XMLElt *);
    list->failed = !XMLReserve(&pending, size);
    if (!list->failed) reinterpret_cast<XMLElt **>(pending.bytes)[count++] = elt;
    while (count > 0 && !list->failed) {
        XMLElt *e = reinterpret_cast<XMLElt **>(pending.bytes)[--count];
        if (Matches(e, path)) {
            Append(list, e);
        } else if (XMLReserve(&pending, (count + e->childCount) * size)) {
            XMLElt **stack = reinterpret_cast<XMLElt **>(pending.bytes);
            for (SInt32 i = e->childCount - 1; i >= 0; i--) stack[count++] = e->children[i];
        } else {
            list->failed = kTrue;
        }
    }
    XMLReleaseGrowable(&pending);
}

void Append(EltList *list, XMLElt *elt) {
    SInt64 size = sizeof(XMLElt *);
    if (!XMLReserve(&list->items, (list->count + 1) * size)) {
        list->failed = kTrue;
        return;
    }
    reinterpret_cast<XMLElt **>(list->items.bytes)[list->count++] = elt;
}

// A query that ran out of memory answers what it found before.
XMLElt **Finish(EltList *list, SInt32 *count) {
    if (count) *count = list->count;
    return reinterpret_cast<XMLElt **>(XMLTrimGrowable(&list->items, SInt64(list->count) * SInt64(sizeof(XMLElt *))));
}

XMLAttrPair *FindPair(XMLAttrPair *pairs, SInt32 count, const char *name) {
    for (SInt32 i = 0; i < count; i++)
        if (strcmp(pairs[i].name, name) == 0) return &pairs[i];
    return nullptr;
}

// The root record, which alone has no parent, opens its tree's record.
XMLBrowser *TreeOf(XMLElt *elt) {
    while (elt->parent != nullptr) elt = elt->parent;
    return reinterpret_cast<XMLBrowser *>(elt);
}

long ReadLong(const char *text) {
    if (text == nullptr || text[0] == 0) return kXMLNoLong;
    char *end;
    long value = strtol(text, &end, 10);
    return end != text ? value : kXMLNoLong;
}

// Documents write numbers with a full stop whatever the user's locale, so they are read in
// the C locale's.
float ReadFloat(const char *text) {
    static locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    if (text == nullptr || text[0] == 0 || cLocale == locale_t(0)) return kXMLNoFloat;
    char *end;
    float value = strtof_l(text, &end, cLocale);
    return end != text ? value : kXMLNoFloat;
}

}  // namespace

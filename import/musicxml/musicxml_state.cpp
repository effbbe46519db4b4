// The import state: its tables of bars, staves and voice aliases, the staff and voice mappings
// every pass looks staves up through, and the importer's warnings.
#include "import/musicxml/musicxml_state.h"

#include <cstdint>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "score/engine_facade.h"
#include "score/preferences.h"

namespace {

const float kEchelleDefaut = 0.15f;  // millimetres per tenth until the document says otherwise
const SInt32 kHashVide = -1;
const SInt32 kAvertissementTaille = 1024;

Boolean Append(XMLGrowable *array, SInt32 *count, const void *item, SInt32 size);
UInt32 HashNumber(const char *number);
Boolean RebuildBarIndex(XMLImportState *state, SInt32 slots);
void IndexBar(XMLImportState *state, SInt32 index);
Boolean IsBlank(char c);

}  // namespace

void XMLInitImportState(XMLImportState *state, DocumentRecord *document, XMLBrowser *tree, XMLElt *root) {
    *state = XMLImportState();
    state->tree = tree;
    state->root = root;
    state->document = document;
    state->score = document ? document->score : nullptr;
    state->mmPerTenth = kEchelleDefaut;
}

void XMLDisposeImportState(XMLImportState *state) {
    XMLDisposePorteeReg(state);
    XMLDisposeInstrumentReg(state);
    XMLReleaseGrowable(&state->bars);
    XMLReleaseGrowable(&state->barIndex);
    XMLReleaseGrowable(&state->aliases);
    XMLStoreRelease(&state->store);
    XMLReleaseGrowable(&state->jumps);
    XMLReleaseGrowable(&state->lyrics);
    for (XMLGrowable &stack : state->stacks) XMLReleaseGrowable(&stack);
    *state = XMLImportState();
}

// ---- Bars -------------------------------------------------------------------------------------

XMLBarRecord *XMLGetBar(XMLImportState *state, SInt32 index) {
    if (index < 0 || index >= state->barCount) return nullptr;
    return reinterpret_cast<XMLBarRecord *>(state->bars.bytes) + index;
}

SInt32 XMLFindBarNumber(XMLImportState *state, const char *number) {
    if (!number || state->barIndexSlots == 0) return -1;
    char key[kXMLBarNumberSize];
    XMLCopyBarNumber(key, number);
    const SInt32 *slots = reinterpret_cast<const SInt32 *>(state->barIndex.bytes);
    for (UInt32 i = HashNumber(key);; i++) {
        SInt32 index = slots[i & UInt32(state->barIndexSlots - 1)];
        if (index == kHashVide) return -1;
        if (strcmp(XMLGetBar(state, index)->number, key) == 0) return index;
    }
}

SInt32 XMLAppendBar(XMLImportState *state, const XMLBarRecord *bar) {
    // The index stays at most half full so that a search always meets an empty slot.
    if (2 * (state->barCount + 1) > state->barIndexSlots &&
        !RebuildBarIndex(state, state->barIndexSlots ? 2 * state->barIndexSlots : 64))
        return -1;
    if (!Append(&state->bars, &state->barCount, bar, sizeof *bar)) return -1;
    if (XMLFindBarNumber(state, bar->number) < 0) IndexBar(state, state->barCount - 1);
    return state->barCount - 1;
}

void XMLCopyBarNumber(char *number, const char *text) {
    number[0] = 0;
    if (text) strncat(number, text, kXMLBarNumberSize - 1);
}

// ---- Staves -----------------------------------------------------------------------------------

OSErr XMLAddPorteeReg(XMLImportState *state, const XMLStaffNode *node) {
    return Append(&state->staves, &state->staffCount, node, sizeof *node) ? noErr : memFullErr;
}

StaffHandle XMLGetPorteeFromId(XMLImportState *state, SInt32 part, SInt16 staff, SInt16 voice, SInt16 instrument) {
    const XMLStaffNode *nodes = reinterpret_cast<const XMLStaffNode *>(state->staves.bytes);
    for (SInt32 i = 0; i < state->staffCount; i++) {
        const XMLStaffNode &node = nodes[i];
        if (node.part == part && node.staff == staff && node.voice == voice &&
            (instrument < 0 || node.instrument == instrument))
            return node.handle;
    }
    return nullptr;
}

SInt16 XMLGetNbStavesInPart(XMLImportState *state, SInt32 part) {
    const XMLStaffNode *nodes = reinterpret_cast<const XMLStaffNode *>(state->staves.bytes);
    SInt16 count = 1;
    for (SInt32 i = 0; i < state->staffCount; i++)
        if (nodes[i].part == part && nodes[i].staff + 1 > count) count = SInt16(nodes[i].staff + 1);
    return count;
}

void XMLDisposePorteeReg(XMLImportState *state) {
    XMLReleaseGrowable(&state->staves);
    state->staffCount = 0;
}

SInt16 XMLGetStaffIndex(const char *text) {
    long number = 0;
    if (!XMLReadWholeNumber(text, &number) || number < 1) return 0;
    return SInt16(number > kXMLMaxStavesPartie ? kXMLMaxStavesPartie - 1 : number - 1);
}

SInt16 XMLGetVoiceIndex(XMLImportState *state, SInt32 part, SInt16 staff, const char *text) {
    if (!text || !text[0]) return 0;
    long number = 0;
    if (XMLReadWholeNumber(text, &number) && number >= 1 && number <= kXMLMaxVoixPortee) return SInt16(number - 1);
    const XMLVoiceAlias *aliases = reinterpret_cast<const XMLVoiceAlias *>(state->aliases.bytes);
    for (SInt32 i = 0; i < state->aliasCount; i++)
        if (aliases[i].part == part && aliases[i].staff == staff && strcmp(aliases[i].text, text) == 0)
            return aliases[i].voice;
    return 0;
}

StaffHandle XMLGetPorteeFromElement(XMLImportState *state, SInt32 part, XMLElt *elt, SInt16 instrument) {
    SInt16 staff = XMLGetStaffIndex(XMLGetText(XMLGetChild(elt, "staff", 0)));
    SInt16 voice = XMLGetVoiceIndex(state, part, staff, XMLGetText(XMLGetChild(elt, "voice", 0)));
    return XMLGetPorteeFromId(state, part, staff, voice, instrument);
}

SInt16 XMLRegisterVoice(XMLImportState *state, SInt32 part, SInt16 staff, const char *text, UInt32 *usedMask) {
    const XMLVoiceAlias *aliases = reinterpret_cast<const XMLVoiceAlias *>(state->aliases.bytes);
    for (SInt32 i = 0; i < state->aliasCount; i++)
        if (aliases[i].part == part && aliases[i].staff == staff && strcmp(aliases[i].text, text) == 0)
            return aliases[i].voice;
    SInt16 voice = 0;
    while (voice < kXMLMaxVoixPortee && (*usedMask & (1u << voice))) voice++;
    if (voice == kXMLMaxVoixPortee) voice = 0;
    XMLWarning(state, kXMLAvertiVoix, "voice \"%.40s\" of part %d, staff %d is read as voice %d", text, int(part + 1),
               int(staff + 1), int(voice + 1));
    XMLVoiceAlias alias = {part, staff, voice, text};
    if (!Append(&state->aliases, &state->aliasCount, &alias, sizeof alias))
        XMLWarning(state, kXMLAvertiMemoire, "out of memory: voice \"%.40s\" joins voice 1", text), voice = 0;
    *usedMask |= 1u << voice;
    return voice;
}

Boolean XMLReadWholeNumber(const char *text, long *value) {
    if (!text) return kFalse;
    while (IsBlank(*text)) text++;
    const char *digits = text + (*text == '+' || *text == '-');
    if (*digits < '0' || *digits > '9') return kFalse;
    char *end;
    long number = strtol(text, &end, 10);
    while (IsBlank(*end)) end++;
    if (*end) return kFalse;
    *value = number;
    return kTrue;
}

XMLElt *XMLPremierEnfant(XMLElt *elt, const char *name) {
    for (SInt32 i = 0; elt && i < elt->childCount; i++)
        if (strcmp(elt->children[i]->name, name) == 0) return elt->children[i];
    return nullptr;
}

// ---- Reports ----------------------------------------------------------------------------------

void XMLWarning(XMLImportState *state, UInt32 once, const char *format, ...) {
    if (once) {
        if (state->warned & once) return;
        state->warned |= once;
    }
    if (!pref.warnings) return;
    char text[kAvertissementTaille];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    Avertissement(nullptr, 0, "musicxml: %s", text);
}

namespace {

Boolean Append(XMLGrowable *array, SInt32 *count, const void *item, SInt32 size) {
    if (*count == INT32_MAX || !XMLReserve(array, SInt64(*count + 1) * size)) return kFalse;
    memcpy(array->bytes + SInt64(*count) * size, item, size_t(size));
    (*count)++;
    return kTrue;
}

UInt32 HashNumber(const char *number) {
    UInt32 hash = 2166136261u;  // FNV-1a
    for (const UInt8 *p = reinterpret_cast<const UInt8 *>(number); *p; p++) hash = (hash ^ *p) * 16777619u;
    return hash;
}

Boolean RebuildBarIndex(XMLImportState *state, SInt32 slots) {
    XMLGrowable fresh = {};
    if (!XMLReserve(&fresh, SInt64(slots) * sizeof(SInt32))) return kFalse;
    XMLReleaseGrowable(&state->barIndex);
    state->barIndex = fresh;
    state->barIndexSlots = slots;
    SInt32 *table = reinterpret_cast<SInt32 *>(fresh.bytes);
    for (SInt32 i = 0; i < slots; i++) table[i] = kHashVide;
    // Only the first record of each number is indexed: re-adding every record in order keeps that.
    for (SInt32 i = 0; i < state->barCount; i++)
        if (XMLFindBarNumber(state, XMLGetBar(state, i)->number) < 0) IndexBar(state, i);
    return kTrue;
}

void IndexBar(XMLImportState *state, SInt32 index) {
    SInt32 *slots = reinterpret_cast<SInt32 *>(state->barIndex.bytes);
    UInt32 mask = UInt32(state->barIndexSlots - 1);
    UInt32 i = HashNumber(XMLGetBar(state, index)->number);
    while (slots[i & mask] != kHashVide) i++;
    slots[i & mask] = index;
}

Boolean IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

// Parsing a document with expat into the element tree, the maker's private instruction whose
// data is an XML fragment, and the disposal of the tree.
#include "import/xml/xml_tree.h"

#include <cstring>
#include <expat.h>
#include <strings.h>

#include "import/xml/xml_arrays.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"

namespace {

const char kPrivateTarget[] = "Ondrak";
// Put before the data of a private instruction so that it parses as a document of its own
// (80 bytes: two lines of 38 characters, each ended by CR LF).
const char kPrivatePrologue[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!DOCTYPE score-partwise PUBLIC \"\" \"\">\r\n";
const char kNestedTooDeeply[] = "document nested too deeply";
const char kTooLarge[] = "document too large";
const char kUnreadable[] = "document could not be read";

// An 8-bit encoding that expat does not know but that documents declare.
struct ByteEncodingRow {
    const char *name;  // as declared, compared without regard to case
    UniChar (*toUnicode)(UInt8 byte);
};

const ByteEncodingRow kByteEncodings[] = {
    {"windows-1252", WindowsCharToUnicode}, {"cp1252", WindowsCharToUnicode},
    {"iso-8859-15", Latin9CharToUnicode},   {"iso_8859-15", Latin9CharToUnicode},
    {"latin-9", Latin9CharToUnicode},
};

// One level of the stack of open elements. The text and the children of the element open at
// that level collect in growable blocks that stay with the level and serve every element opened
// at the same depth; the element receives exact copies when it ends.
struct OpenLevel {
    XMLElt *elt;
    XMLGrowable text;      // NUL-terminated while textLength > 0
    SInt32 textLength;     // bytes kept so far, terminator excluded
    XMLGrowable children;  // elt->childCount element pointers
};

// The parse in progress. Process-wide: one parse at a time, on the main thread.
struct ParseState {
    XMLBrowser *tree;
    XML_Parser parser;   // the parser whose handlers run: the private fragment's while it parses
    XMLGrowable elts;    // the element table while it grows
    XMLGrowable levels;  // OpenLevel entries; the bottom one holds the root record
    SInt32 depth;        // levels in use
    SInt32 levelCount;   // levels ever used, whose blocks are kept for reuse
    Boolean skipBlank;
    Boolean aborted;     // a handler stopped the running parser; later events are ignored
    char abortMessage[kXMLErrorMessageSize];
};

ParseState gParse;

Boolean ParseBytes(const char *bytes, SInt64 length, char *error);
Boolean ParseStream(FILE *stream, char *error);
XML_Parser NewParser(Boolean withPrivateInstructions);
void XMLCALL XMLStartElement(void *data, const XML_Char *name, const XML_Char **attributes);
void XMLCALL XMLEndElement(void *data, const XML_Char *name);
void XMLCALL XMLCharacterData(void *data, const XML_Char *chunk, int length);
void XMLCALL XMLProcessingInstruction(void *data, const XML_Char *target, const XML_Char *instruction);
int XMLCALL XMLUnknownEncoding(void *data, const XML_Char *name, XML_Encoding *info);
void Abort(const char *what);
OpenLevel *Level(SInt32 depth);
Boolean Push(XMLElt *elt);
Boolean AppendElement(XMLElt *elt);
Boolean AppendChild(OpenLevel *level, XMLElt *child);
Boolean CopyAttributes(XMLElt *elt, const XML_Char **attributes);
Boolean AppendText(OpenLevel *level, const char *chunk, SInt32 length);
Boolean FinishElement(OpenLevel *level);
Boolean FinishText(XMLElt *elt, OpenLevel *level);
Boolean FinishParse(Boolean parsed);
SInt32 FoldLineBreaks(char *text, SInt32 length);
Boolean IsBlank(const char *bytes, SInt32 length);

}  // namespace

XMLBrowser *BrowseXMLFile(Handle data, FILE *stream, char *error, Boolean skipBlank) {
    if (error) error[0] = 0;
    if (data == nullptr && stream == nullptr) return nullptr;
    gParse = ParseState();
    gParse.skipBlank = skipBlank;
    gParse.tree = reinterpret_cast<XMLBrowser *>(NewPtrClear(sizeof(XMLBrowser)));
    Boolean parsed = kFalse;
    if (gParse.tree != nullptr && Push(&gParse.tree->root)) {
        if (data != nullptr) {
            UInt8 state = HGetState(data);
            HLock(data);
            parsed = ParseBytes(*data, GetHandleSize(data), error);
            HSetState(data, state);
        } else {
            parsed = ParseStream(stream, error);
        }
    }
    XMLBrowser *tree = gParse.tree;
    if (!FinishParse(parsed)) {
        XMLBrowserDispose(tree);
        return nullptr;
    }
    return tree;
}

void XMLBrowserDispose(XMLBrowser *tree) {
    if (tree == nullptr) return;
    XMLStoreRelease(&tree->store);
    XMLFreeBlock(tree);
}

XMLElt *GetXMLEltFromID(XMLBrowser *tree, SInt32 id) {
    if (tree == nullptr || id < 0 || id >= tree->eltCount) return nullptr;
    return tree->elts[id];
}

namespace {

// One final call over the whole text; the message of a failure goes to error.
Boolean ParseBytes(const char *bytes, SInt64 length, char *error) {
    if (length > kXMLMaxDocumentBytes) {
        if (error) snprintf(error, kXMLErrorMessageSize, "%s", kTooLarge);
        return kFalse;
    }
    XML_Parser parser = NewParser(kTrue);
    if (parser == nullptr) return kFalse;
    gParse.parser = parser;
    Boolean parsed = XML_Parse(parser, bytes, int(length), 1) == XML_STATUS_OK;
    if (!parsed && error) {
        if (gParse.aborted) snprintf(error, kXMLErrorMessageSize, "%s", gParse.abortMessage);
        else
            snprintf(error, kXMLErrorMessageSize, "%s at line %ld", XML_ErrorString(XML_GetErrorCode(parser)),
                     long(XML_GetCurrentLineNumber(parser)));
    }
    XML_ParserFree(parser);
    gParse.parser = nullptr;
    return parsed;
}

// The whole stream from its start, measured first; nothing is parsed unless every byte was read.
Boolean ParseStream(FILE *stream, char *error) {
    if (fseeko(stream, 0, SEEK_END) != 0) return kFalse;
    off_t size = ftello(stream);
    if (size < 0 || fseeko(stream, 0, SEEK_SET) != 0) return kFalse;
    if (size > kXMLMaxDocumentBytes) {
        if (error) snprintf(error, kXMLErrorMessageSize, "%s", kTooLarge);
        return kFalse;
    }
    Ptr bytes = size > 0 ? NewPtr(UInt32(size)) : nullptr;
    if (size > 0 && bytes == nullptr) return kFalse;
    Boolean parsed = kFalse;
    if (size == 0 || fread(bytes, 1, size_t(size), stream) == size_t(size)) parsed = ParseBytes(bytes, size, error);
    else if (error) snprintf(error, kXMLErrorMessageSize, "%s", kUnreadable);
    XMLFreeBlock(bytes);
    return parsed;
}

// No encoding is given, so expat detects it; no external entity or DTD is ever loaded.
XML_Parser NewParser(Boolean withPrivateInstructions) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) return nullptr;
    XML_SetUserData(parser, &gParse);
    XML_SetStartElementHandler(parser, XMLStartElement);
    XML_SetEndElementHandler(parser, XMLEndElement);
    XML_SetCharacterDataHandler(parser, XMLCharacterData);
    XML_SetUnknownEncodingHandler(parser, XMLUnknownEncoding, nullptr);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    if (withPrivateInstructions) XML_SetProcessingInstructionHandler(parser, XMLProcessingInstruction);
    return parser;
}

void XMLCALL XMLStartElement(void *, const XML_Char *name, const XML_Char **attributes) {
    if (gParse.aborted) return;
    if (gParse.depth > kXMLMaxDepth) {  // the root record's level does not count
        Abort(kNestedTooDeeply);
        return;
    }
    XMLElt *elt = static_cast<XMLElt *>(XMLStoreAlloc(&gParse.tree->store, sizeof(XMLElt)));
    if (elt != nullptr) *elt = XMLElt();
    if (elt == nullptr || !AppendElement(elt)) {
        Abort(XML_ErrorString(XML_ERROR_NO_MEMORY));
        return;
    }
    OpenLevel *parent = Level(gParse.depth - 1);
    elt->parent = parent->elt;
    elt->name = XMLStoreString(&gParse.tree->store, name);
    if (elt->name == nullptr || !CopyAttributes(elt, attributes) || !AppendChild(parent, elt)) {
        Abort(XML_ErrorString(XML_ERROR_NO_MEMORY));
        return;
    }
    if (gParse.skipBlank && parent->textLength > 0 && IsBlank(parent->text.bytes, parent->textLength))
        parent->textLength = 0;
    if (!Push(elt)) Abort(XML_ErrorString(XML_ERROR_NO_MEMORY));
}

void XMLCALL XMLEndElement(void *, const XML_Char *name) {
    if (gParse.aborted || gParse.depth <= 1) return;
    OpenLevel *level = Level(--gParse.depth);
    // Only after a broken private fragment can the tag close another element than its own.
    if (strcmp(level->elt->name, name) != 0) level->elt->name[0] = '*';
    if (!FinishElement(level)) Abort(XML_ErrorString(XML_ERROR_NO_MEMORY));
}

void XMLCALL XMLCharacterData(void *, const XML_Char *chunk, int length) {
    if (gParse.aborted || length <= 0) return;
    OpenLevel *level = Level(gParse.depth - 1);
    if (gParse.skipBlank && level->elt->childCount > 0 && IsBlank(chunk, length)) return;
    if (!AppendText(level, chunk, length)) Abort(XML_ErrorString(XML_ERROR_NO_MEMORY));
}

// The maker's instruction carries an XML fragment that joins the document where it stands.
// It is parsed over the same stack, so its elements become children of the open element and
// are numbered into the same table. A broken fragment is reported and the document goes on.
void XMLCALL XMLProcessingInstruction(void *, const XML_Char *target, const XML_Char *instruction) {
    if (gParse.aborted || strcmp(target, kPrivateTarget) != 0) return;
    SInt64 prologue = SInt64(sizeof kPrivatePrologue - 1), length = SInt64(strlen(instruction));
    Ptr text = NewPtr(UInt32(prologue + length));
    XML_Parser fragment = text != nullptr ? NewParser(kFalse) : nullptr;
    if (fragment == nullptr) {
        XMLFreeBlock(text);
        Abort(XML_ErrorString(XML_ERROR_NO_MEMORY));
        return;
    }
    memcpy(text, kPrivatePrologue, size_t(prologue));
    memcpy(text + prologue, instruction, size_t(length));
    XML_Parser outer = gParse.parser;
    gParse.parser = fragment;
    if (XML_Parse(fragment, text, int(prologue + length), 1) != XML_STATUS_OK) {
        if (gParse.aborted) Collapse("%s in private tag", gParse.abortMessage);
        else
            Collapse("%s at line %d in private tag", XML_ErrorString(XML_GetErrorCode(fragment)),
                             int(XML_GetCurrentLineNumber(fragment)));
    }
    gParse.aborted = kFalse;
    gParse.parser = outer;
    XML_ParserFree(fragment);
    XMLFreeBlock(text);
}

// Declared 8-bit encodings that expat lacks, read through the library's own code pages.
int XMLCALL XMLUnknownEncoding(void *, const XML_Char *name, XML_Encoding *info) {
    for (const ByteEncodingRow &row : kByteEncodings) {
        if (strcasecmp(name, row.name) != 0) continue;
        for (int byte = 0; byte < 256; byte++) info->map[byte] = byte < 0x80 ? byte : row.toUnicode(UInt8(byte));
        info->data = nullptr;
        info->convert = nullptr;
        info->release = nullptr;
        return XML_STATUS_OK;
    }
    return XML_STATUS_ERROR;
}

// Stops the running parser; its caller reports what, at the line where it happened.
void Abort(const char *what) {
    snprintf(gParse.abortMessage, sizeof gParse.abortMessage, "%s at line %ld", what,
             long(XML_GetCurrentLineNumber(gParse.parser)));
    gParse.aborted = kTrue;
    XML_StopParser(gParse.parser, XML_FALSE);
}

OpenLevel *Level(SInt32 depth) { return reinterpret_cast<OpenLevel *>(gParse.levels.bytes) + depth; }

// A level used before keeps its blocks for the element opened there now.
Boolean Push(XMLElt *elt) {
    if (gParse.depth == gParse.levelCount) {
        SInt64 size = sizeof(OpenLevel);
        if (!XMLReserve(&gParse.levels, (gParse.levelCount + 1) * size)) return kFalse;
        *Level(gParse.levelCount++) = OpenLevel();
    }
    OpenLevel *level = Level(gParse.depth++);
    level->elt = elt;
    level->textLength = 0;
    return kTrue;
}

Boolean AppendElement(XMLElt *elt) {
    XMLBrowser *tree = gParse.tree;
    SInt64 size = sizeof(XMLElt *);
    if (!XMLReserve(&gParse.elts, (tree->eltCount + 1) * size)) return kFalse;
    tree->elts = reinterpret_cast<XMLElt **>(gParse.elts.bytes);
    elt->id = tree->eltCount;
    tree->elts[tree->eltCount++] = elt;
    return kTrue;
}

Boolean AppendChild(OpenLevel *level, XMLElt *child) {
    XMLElt *parent = level->elt;
    SInt64 size = sizeof(XMLElt *);
    if (!XMLReserve(&level->children, (parent->childCount + 1) * size)) return kFalse;
    reinterpret_cast<XMLElt **>(level->children.bytes)[parent->childCount++] = child;
    return kTrue;
}

Boolean CopyAttributes(XMLElt *elt, const XML_Char **attributes) {
    SInt32 pairs = 0;
    while (attributes[2 * pairs] != nullptr) pairs++;
    if (pairs == 0) return kTrue;
    elt->attrs = static_cast<XMLAttrPair *>(XMLStoreAlloc(&gParse.tree->store, pairs * SInt64(sizeof(XMLAttrPair))));
    if (elt->attrs == nullptr) return kFalse;
    for (SInt32 i = 0; i < pairs; i++) {
        elt->attrs[i].name = XMLStoreString(&gParse.tree->store, attributes[2 * i]);
        elt->attrs[i].value = XMLStoreString(&gParse.tree->store, attributes[2 * i + 1]);
        if (elt->attrs[i].name == nullptr || elt->attrs[i].value == nullptr) return kFalse;
        elt->attrCount = i + 1;
    }
    return kTrue;
}

Boolean AppendText(OpenLevel *level, const char *chunk, SInt32 length) {
    if (!XMLReserve(&level->text, SInt64(level->textLength) + length + 1)) return kFalse;
    memcpy(level->text.bytes + level->textLength, chunk, size_t(length));
    level->textLength += length;
    level->text.bytes[level->textLength] = 0;
    return kTrue;
}

// The element takes exact-sized copies of its text and children.
Boolean FinishElement(OpenLevel *level) {
    XMLElt *elt = level->elt;
    if (level->textLength > 0 && !FinishText(elt, level)) return kFalse;
    level->textLength = 0;
    if (elt->childCount > 0) {
        elt->children = reinterpret_cast<XMLElt **>(
            XMLStoreTake(&gParse.tree->store, &level->children, SInt64(elt->childCount) * SInt64(sizeof(XMLElt *))));
        if (elt->children == nullptr) {
            elt->childCount = 0;
            return kFalse;
        }
    }
    return kTrue;
}

// References left after expat's own decoding (text written as "&amp;amp;") are decoded once
// more as HTML, then line breaks become single CRs, in a block of exactly the text's size.
// Text without "&" or "<" comes out of that conversion unchanged, so it is not converted: the
// converter works in 16-bit units and would fold characters beyond them.
Boolean FinishText(XMLElt *elt, OpenLevel *level) {
    SetHTMLDefault8BitEncoding(kEncodingUTF8);
    char *source = level->text.bytes;
    SInt32 length = level->textLength;
    if (memchr(source, '&', size_t(length)) != nullptr || memchr(source, '<', size_t(length)) != nullptr) {
        SInt32 units = 0;
        EncodedStr converted = ChangeTextEncoding(source, 0, length + 1, kEncodingHTML, kEncodingUTF8, &units);
        if (converted != nullptr && units > 0) {
            length = FoldLineBreaks(converted, converted[units - 1] == 0 ? units - 1 : units);
            converted[length] = 0;
            elt->text = static_cast<char *>(XMLStoreCopy(&gParse.tree->store, converted, length + 1));
        }
        DisposeEncodedStr(converted);
        return elt->text != nullptr;
    }
    length = FoldLineBreaks(source, length);
    source[length] = 0;
    elt->text = XMLStoreTake(&gParse.tree->store, &level->text, length + 1);
    return elt->text != nullptr;
}

// Hands the element table to the tree and frees what else the parse built; false when memory
// ran out. Elements that a broken private fragment left open end with the document; the root
// record takes its children last.
Boolean FinishParse(Boolean parsed) {
    for (SInt32 i = gParse.depth - 1; parsed && i >= 0; i--) parsed = FinishElement(Level(i));
    if (parsed) {
        SInt64 bytes = SInt64(gParse.tree->eltCount) * SInt64(sizeof(XMLElt *));
        gParse.tree->elts = reinterpret_cast<XMLElt **>(XMLStoreTake(&gParse.tree->store, &gParse.elts, bytes));
        parsed = gParse.tree->elts != nullptr;
    }
    XMLReleaseGrowable(&gParse.elts);
    for (SInt32 i = 0; i < gParse.levelCount; i++) {
        XMLReleaseGrowable(&Level(i)->text);
        XMLReleaseGrowable(&Level(i)->children);
    }
    XMLReleaseGrowable(&gParse.levels);
    gParse = ParseState();
    return parsed;
}

// A CR, an LF, or a pair of them in either order becomes one CR, in place. Answers the new length.
SInt32 FoldLineBreaks(char *text, SInt32 length) {
    SInt32 n = 0;
    for (SInt32 i = 0; i < length; i++) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (i + 1 < length && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c) i++;
            c = '\r';
        }
        text[n++] = c;
    }
    return n;
}

// Blank: every byte a space or a control character.
Boolean IsBlank(const char *bytes, SInt32 length) {
    for (SInt32 i = 0; i < length; i++)
        if (UInt8(bytes[i]) > 32) return kFalse;
    return kTrue;
}

}  // namespace

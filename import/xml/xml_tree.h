// A whole XML document parsed with expat into a tree of elements, queried by short paths.
// xml_tree.cpp: the parse, the maker's private instruction and the disposal.
// xml_query.cpp: paths, element queries, getters and user attributes.
#pragma once

#include <cstdio>

#include "platform/core/mac_types.h"

// An attribute: own NUL-terminated UTF-8 copies of its name and value.
struct XMLAttrPair {
    char *name;
    char *value;
};

// One element. Every block it points to belongs to its tree.
struct XMLElt {
    SInt32 id;                // index in the tree's element table, in start-tag order from 0
    char *name;               // as expat reports it; a first character "*" marks an element closed
                              // by another element's end tag (after a broken private fragment)
    char *text;               // character data after the text rules, lines ending in CR; null: none
    XMLElt *parent;           // the enclosing element; the tree's root record for top-level ones
    SInt32 attrCount;
    XMLAttrPair *attrs;       // attrCount pairs in document order
    SInt32 userAttrCount;
    XMLAttrPair *userAttrs;   // userAttrCount pairs in the order they were added
    SInt32 childCount;
    XMLElt **children;        // childCount elements in document order
};

struct XMLStoreChunk;

// The tree. The root record has no name, text, parent nor attributes and never satisfies a
// path step; its children are the document element and any element of a private instruction
// standing outside it.
struct XMLBrowser {
    XMLElt root;
    SInt32 eltCount;
    XMLElt **elts;         // indexed by id
    XMLStoreChunk *store;  // every element, string and array above is carved from these chunks
};

enum : SInt32 {
    kXMLMaxDocumentBytes = 256 << 20,  // larger documents are refused before anything is read
    kXMLMaxDepth = 2000,               // levels of nesting; deeper fails the parse
    kXMLErrorMessageSize = 256,        // bytes of BrowseXMLFile's error buffer
    kXMLNumberTextSize = 255,          // bytes XMLAddUserAttrLong writes a number into
};

// The sentinels of the getters: nothing could be read.
const long kXMLNoLong = 2147483647L;
const float kXMLNoFloat = 1e30f;

// Parses the bytes of data, or when data is null the whole of stream from its start. Answers
// the tree (dispose with XMLBrowserDispose) or null; a document that is not well-formed, too
// large or unreadable leaves a message in error (kXMLErrorMessageSize bytes, may be null).
// skipBlank drops the white space between child elements. Main thread; one parse at a time.
XMLBrowser *BrowseXMLFile(Handle data, FILE *stream, char *error, Boolean skipBlank);
void XMLBrowserDispose(XMLBrowser *tree);  // every element, string and array; null accepted
XMLElt *GetXMLEltFromID(XMLBrowser *tree, SInt32 id);  // null outside 0..eltCount-1

// Element queries. Results are arrays of the tree's elements that the caller releases with
// XMLDisposeElts; null when nothing matches. count may be null where not said otherwise.
XMLElt **XMLGetElts(XMLBrowser *tree, const char *path, SInt32 *count);  // the whole table, id order
// The element and its descendants in document order; a match's own descendants are not searched.
XMLElt **XMLGetEltsInChild(XMLElt *elt, const char *path, SInt32 *count);
XMLElt **XMLGetEltsInList(XMLElt **list, SInt32 length, const char *path, SInt32 *count);  // count not null
// The elements of list that match the path themselves, in list order; count not null.
XMLElt **XMLGetEltsInListFirstLevel(XMLElt **list, SInt32 length, const char *path, SInt32 *count);
// The elements of list whose first XML attribute of that name has exactly that value; count not null.
XMLElt **XMLGetEltsInListFromAttribute(XMLElt **list, SInt32 length, const char *name, const char *value,
                                       SInt32 *count);
XMLElt **XMLGetEltsInListFromAttributeLong(XMLElt **list, SInt32 length, const char *name, long value,
                                           SInt32 *count);
void XMLDisposeElts(XMLElt **elts);  // null accepted
// Among the direct children matching the path, the one at index (from 0); null when fewer match.
XMLElt *XMLGetChild(XMLElt *elt, const char *path, SInt32 index);
XMLElt *XMLGetChild(XMLBrowser *tree, const char *path, SInt32 index);  // the top-level elements

// Getters. Strings belong to the tree. Numbers are read with a full stop for the decimal point
// whatever the locale; values that cannot be read give kXMLNoLong or kXMLNoFloat.
const char *XMLGetAttributeValue(XMLElt *elt, const char *name);  // XML attributes, then user ones
long XMLGetAttributeLong(XMLElt *elt, const char *name);  // leading integer; must start with -, + or a digit
float XMLGetAttributeFloat(XMLElt *elt, const char *name);
const char *XMLGetText(XMLElt *elt);
long XMLGetTextLong(XMLElt *elt);
float XMLGetTextFloat(XMLElt *elt);

// Replaces the value of the XML attribute of that name, or else appends a user attribute (even
// beside one of the same name, which lookups keep finding). Answers the stored copy of the
// value, null when memory runs out (the element is then unchanged). elt must not be null.
const char *XMLAddUserAttr(XMLElt *elt, const char *name, const char *value);
const char *XMLAddUserAttrLong(XMLElt *elt, const char *name, long value);

// The Collection Manager's calls beyond those declared with the toolbox services: a collection
// is one handle of items {tag, id, size, data} in insertion order with a (tag, id) index.
// Main thread, or one thread at a time per collection: a collection has no lock.
#pragma once

#include "toolbox/toolbox_services.h"

enum : SInt32 { kCollectionItemMaxSize = 1 << 20 };  // bytes of one item; larger ones are refused

Collection OrvaCopyCollection(Collection c);  // a new collection with the same items; null without memory
SInt32 CountCollectionItems(Collection c);    // 0 for null

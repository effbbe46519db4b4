// Stand-ins for the Event Manager's Carbon events until it exists: no target has a handler,
// and a collection holds nothing. The event queue, the pointer and the keys are the stand-ins
// of the hook record (graphics/toolbox_hooks.cpp).
#include <cstdlib>

#include "toolbox/toolbox_services.h"

// A collection holds nothing until the collection store exists.
struct OpaqueCollection {
    int unused;
};

OSStatus OrvaEnqueueEventHandled(const OrvaCarbonEvent *, Collection) { return eventNotHandledErr; }
Collection NewCollection() { return static_cast<Collection>(calloc(1, sizeof(OpaqueCollection))); }
void DisposeCollection(Collection c) { free(c); }
OSStatus SetEventParameter(Collection, OSType, OSType, UInt32, const void *) { return noErr; }
OSErr GetCollectionItem(Collection, OSType, SInt32, SInt32 *, void *) { return collectionItemNotFoundErr; }

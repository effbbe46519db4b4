// Stand-ins for the Event Manager's Carbon events until it exists: no target has a handler.
// Collections are in collections.cpp. The event queue, the pointer and the keys are the stand-ins
// of the hook record (graphics/toolbox_hooks.cpp).
#include "toolbox/toolbox_services.h"

OSStatus OrvaEnqueueEventHandled(const OrvaCarbonEvent *, Collection) { return eventNotHandledErr; }
OSStatus SetEventParameter(Collection, OSType, OSType, UInt32, const void *) { return noErr; }

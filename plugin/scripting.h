// The scriptable object of each instance, the script operations the plug-in runs through the
// browser (its language, user agent, place of the element on the page, opening an address),
// and the plug-in's version text. Main thread.
#pragma once

#include "platform/core/mac_types.h"
#include "plugin/npapi.h"

struct PlugInInstance;

enum : SInt32 {
    kPluginPropertyTextSize = 1000,  // bytes of a property's text with its terminator
    kVersionTextSize = 256,
};

// The object with the properties "version", "loaded", "totalduration" and "playedposition",
// or null when the browser's interface has no scripting (version below 14). The caller holds
// the one reference.
NPObject *CreatePluginObject(NPP npp);
// The object's class, with which it was created (tests call its operations directly).
const NPClass *PluginObjectClass();
// Hands over the instance's object for variable 15 (retained), 1 for anything else. Not in the
// plug-in table: the browser is never given the object.
NPError NPP_GetValue(NPP npp, NPPVariable variable, void *value);
// The text of a property (any case) in text; false for other names or without an instance.
Boolean GetPluginProperty(NPP npp, const char *name, char text[kPluginPropertyTextSize]);
// The browser's interface language (0 French 1 English 2 Italian 3 German 4 Spanish 5 Japanese
// 6 Portuguese 7 Dutch), from navigator.language; 1 when it cannot be read.
SInt16 GetBrowserLanguage(PlugInInstance *instance);
// navigator.userAgent into text (size bytes, always terminated); false without a window object.
Boolean GetNavigatorNameByJS(PlugInInstance *instance, char *text, SInt32 size);
// Opens url in a new window through the page; true when the call worked.
Boolean OpenURLByJS(PlugInInstance *instance, const char *url);
// The element's top-left corner on the page (the offsets summed along its offset parents);
// false when the browser gives no element object or no offset.
Boolean GetElementPagePosition(NPP npp, SInt32 *top, SInt32 *left);
// The short version string of 'vers' 1 of the plug-in's resource file, " N" added for a
// portable installation; empty without the resource.
void GetVersionPlugIn(char text[kVersionTextSize]);

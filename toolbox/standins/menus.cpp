// Stand-ins for the Menu Manager until it exists: starting it draws the menu bar's background.
// The calls the floors below make of menus are the stand-ins of the hook record
// (graphics/toolbox_hooks.cpp).
#include "toolbox/toolbox_services.h"

void InitMenus() { OrvaDrawMenuBar(); }

// Starting the toolbox: its procedures (events, windows, cursors, menus, themes) go into the hook
// record of the floors below (graphics/toolbox_hooks.h) and the refresh pass into the dirty-area
// refresh. Every program that uses the toolbox calls OrvaInstallToolbox first, before anything
// posts an event or QuickDraw starts: events posted before stay in the stand-ins' queue (the
// plug-in system does it for the plug-in). Main thread.
#pragma once

#include "platform/core/mac_types.h"

void OrvaInstallToolbox();  // a second call changes nothing
Boolean OrvaIsToolboxInstalled();
// The managers started in their classic order: QuickDraw (InitGraf), fonts, menus, TextEdit,
// dialogs, the arrow cursor.
void OrvaInitToolboxManagers();
// Opens the system files "WInit.rsr" (outside the plug-in its absence ends the process, with
// the message "Le fichier 'Winit.rsr' est introuvable.") and "WAdd.rsr"; answers the second
// one's number (-1 when it is missing). QuickDraw's start-up calls it outside the plug-in.
SInt16 OrvaOpenSystemFiles();

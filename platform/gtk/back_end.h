// The GTK back end's rows of the back-end tables (platform/core/back_end.h).
#pragma once

// Installs the GTK rows: windows, screen, input, cursors and dialogs. Main thread, at start-up
// (the standalone start-up and the plug-in system call it); the stand-ins answer until then.
void OrvaInstallGtkBackEnd();

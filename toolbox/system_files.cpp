// The library's system resource files: "WInit.rsr" (alerts, cursors, the palette) and "WAdd.rsr".
#include <cstdlib>

#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "toolbox/toolbox_install.h"

SInt16 OrvaOpenSystemFiles() {
    if (OpenResFile("WInit.rsr") <= 0 && !OrvaIsPlugin()) {
        // Nothing of the library's own can be shown without it.
        OrvaErreur("Le fichier 'Winit.rsr' est introuvable.");
        exit(1);
    }
    return OpenResFile("WAdd.rsr");
}

// The plug-in's installation of the engine floors' hooks and tables.
#include "plugin/engine_hooks.h"

#include "import/musicxml/musicxml_import.h"
#include "plugin/shell_standins.h"
#include "score/native_score.h"
#include "sound/sequencer.h"

void PlugInInstalleMoteur() {
    EnregistreFormatsStockage();
    XMLEnregistreFormats();
    ABCEnregistreFormats();
    InstalleOpsPartitionLecture();
}

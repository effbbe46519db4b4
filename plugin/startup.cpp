// The process-wide start-up and release of the plug-in.
#include "plugin/startup.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <glib.h>
#include <unistd.h>

#include "engraving/engraver.h"
#include "engraving/music_font.h"
#include "graphics/text/font_table.h"
#include "layout/layout_start.h"
#include "layout/print_jobs.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "plugin/cache_files.h"
#include "plugin/instance.h"
#include "plugin/interface/drawing.h"
#include "plugin/shell_standins.h"
#include "score/paths.h"
#include "score/preferences.h"
#include "sound/playback.h"
#include "sound/sound_bank.h"
#include "staffobjects/chord_diagrams.h"
#include "staffobjects/staff_objects.h"
#include "toolbox/carbon/carbon_accessors.h"
#include "toolbox/dialogs.h"

namespace {

const char kResourceFileName[] = "Ondrak Music Plugin.rsr";
const char kChordFileName[] = "Chords.dat";
const char kSingingLinkFile[] = "CadTonLink.cfg";
const char kSingingLanguages[] = "Lyrovox/Languages/";
const char kSingingData[] = "Lyrovox/Data/";
const char kFontSuffix[] = ".ttf";
constexpr UInt16 kTextAntialiasHigh = 2;

}  // namespace

SInt16 resFilePlugIn = -1;

static void InstallFonts();
static Boolean ReadLine(FILE *file, char *line, size_t size);

NPError NPP_Initialize() {
    PlugTrace("-------------------------------------");
    PlugTrace("NPP_Initialize.");
    PlugTrace("NPP_Initialize calls PluginInit.");
    PlugInInit();
    PlugTrace("NPP_Initialize OK.");
    return NPERR_NO_ERROR;
}

void NPP_Shutdown() {
    PlugTrace("NPP_Shutdown");
    PlugInDispose();
}

SInt16 PlugInInit() {
    CarboniseInitQuickdDraw();
    OrvaSetTypeAntialias(kTextAntialiasHigh);
    resFilePlugIn = OpenResFile(kResourceFileName);
    if (resFilePlugIn < 0) {
        char folder[PATH_MAX];
        if (!getcwd(folder, sizeof folder)) folder[0] = 0;
        OrvaErreurF("Impossible to find resource file in %s", folder);
    }
    InstallFonts();
    if (!InitLentara()) PlugTrace("No music font %s", kNomFonteMusique);
    InitGravure();
    InitObjetsPortee();
    InitMiseEnPage();
    FixePrefStd();
    PlugInInitDiagrammesAccords();
    pref.singingEnabled = 1;
    for (UInt8 &display : pref.display) display = 0;
    Langue = 1;
    plugInState.redrawInstance = nullptr;
    OrvaSetNoticeProc(PlugInNotice);
    if (!LyrovoxOpenDataFile("rb")) {
        char path[kOrvaPathMax + 1 + sizeof kSingingLinkFile];
        if (GetCheminDossier(kDossierPreferences, path)) {
            strncat(path, kSingingLinkFile, sizeof path - strlen(path) - 1);
            PlugInLitLienChant(path);
        }
    }
    InitLyrovox();
    if (!InitFichiersRessourcesDigit()) PlugTrace("No sound bank");
    GetDefautModeGraphique(&pref.graphicMode);
    return 1;
}

// The library's bytes go through a file because its reader takes one; the file lies in the
// private cache folder and is never one that somebody else made.
void PlugInInitDiagrammesAccords() {
    Handle chords = Get1Resource(FourCC("Chor"), kChordLibraryID);
    if (!chords) return;
    char path[kCacheFolderSize];
    FILE *file = nullptr;
    if (CheminFichierCache(kChordFileName, path, sizeof path)) {
        unlink(path);
        file = CreeFichierCache(kChordFileName);
    }
    if (file) {
        UInt32 size = GetHandleSize(chords);
        Boolean written = fwrite(*chords, 1, size, file) == size;
        if (fclose(file) != 0 || !written) PlugTrace("Can't write %s", path);
        else if (ChargeDiagrammesAccordGeneral(path) != noErr) PlugTrace("Chord library %s not read", path);
    } else {
        PlugTrace("Can't create %s", kChordFileName);
    }
    ReleaseResource(chords);
}

void PlugInDispose() {
    PlugTrace("PlugInDispose");
    LibereTabCircTick();
    JeTePreviensConfigImprimanteChange();
    FinObjetsPortee();  // the chord library with it
    FinMiseEnPage();
    CloseFichiersRessourcesDigit();
    if (resFilePlugIn >= 0) CloseResFile(resFilePlugIn);
    resFilePlugIn = -1;
}

Boolean PlugInLitLienChant(const char *path) {
    FILE *file = fopen(path, "r");
    if (!file) return kFalse;
    // Line 1 is passed over; line 4, a folder number of other systems, is not needed here.
    char line[3][kSingingLinkLineMax];
    Boolean read = kTrue;
    for (int i = 0; i < 3 && read; i++) read = ReadLine(file, line[i], sizeof line[i]);
    fclose(file);
    SInt16 volume = 0;
    if (!read || sscanf(line[1], "%hd", &volume) != 1 || !line[2][0]) {
        PlugTrace("%s: no singing folder in it", kSingingLinkFile);
        return kFalse;
    }
    char folder[kSingingLinkLineMax + 1];
    snprintf(folder, sizeof folder, "%s%s", line[2], line[2][strlen(line[2]) - 1] == '/' ? "" : "/");
    char languages[sizeof folder + sizeof kSingingLanguages], data[sizeof folder + sizeof kSingingData];
    snprintf(languages, sizeof languages, "%s%s", folder, kSingingLanguages);
    snprintf(data, sizeof data, "%s%s", folder, kSingingData);
    LyrovoxFixeVolume(volume);
    LyrovoxFixeDossiers(languages, data);
    return LyrovoxOpenDataFile("rb");
}

// Every font of the plug-in's "Fonts" folder is made known to the text library; the folder
// holds the music font, whose characters are symbols drawn untranscoded.
static void InstallFonts() {
    char folder[kOrvaPathMax + 1];
    if (!GetCheminDossier(kDossierFontes, folder)) return;
    GDir *dir = g_dir_open(folder, 0, nullptr);
    if (!dir) return;
    while (const char *name = g_dir_read_name(dir)) {
        if (!g_str_has_suffix(name, kFontSuffix)) continue;
        gchar *path = g_build_filename(folder, name, nullptr);
        if (!SystemDependantInstalleFonteLocale(path, kTrue)) PlugTrace("Can't install font %s", path);
        g_free(path);
    }
    g_dir_close(dir);
}

// One line without its line feed; false at the end or for a line longer than size - 1.
static Boolean ReadLine(FILE *file, char *line, size_t size) {
    if (!fgets(line, int(size), file)) return kFalse;
    size_t length = strlen(line);
    if (length > 0 && line[length - 1] == '\n') line[--length] = 0;
    else if (!feof(file)) return kFalse;
    if (length > 0 && line[length - 1] == '\r') line[--length] = 0;
    return kTrue;
}

// The player's folder tree.
#include "score/paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/core/errors.h"
#include "platform/core/folders.h"
#include "platform/core/os_utilities.h"

namespace {

const SInt16 kOnSystemDisk = -32768;
const char kCheminsCfg[] = "chemins.cfg";

struct DossierRow {
    DossierKind kind;
    const char *key;          // key of "chemins.cfg"
    const char *underBase;    // folder below the player's own, or null
};
const DossierRow kDossiers[kNbDossiers] = {
    {kDossierApplication, "application", ""},
    {kDossierWorva, "worva", "Worva"},
    {kDossierFontes, "fonts", "Fonts"},
    {kDossierBanqueSon, "soundbank", "SoundBank"},
    {kDossierThemes, "themes", "Themes"},
    {kDossierLyrovoxData, "lyrovox-data", "Lyrovox/Data"},
    {kDossierLyrovoxLangues, "lyrovox-languages", "Lyrovox/Languages"},
    {kDossierLyrovoxVoix, "lyrovox-voices", "Lyrovox/Voices"},
    {kDossierPreferences, "preferences", nullptr},
    {kDossierTemporaire, "temp", nullptr},
    {kDossierMaison, "home", nullptr},
};

// The folders found by InitChemins. Main thread only.
struct CheminsRecord {
    Boolean ready;
    char paths[kNbDossiers][kOrvaPathMax + 1];
};
CheminsRecord gChemins;

Boolean DossierStandard(OSType type, char *path);
void LitCheminsCfg();
OSErr RendCourant(DossierKind kind);

}  // namespace

OSErr InitChemins(const char *base) {
    char root[kOrvaPathMax + 1];
    if (base && base[0]) snprintf(root, sizeof root, "%s", base);
    else OrvaGetDir(root);
    if (!root[0]) return fnfErr;
    gChemins = CheminsRecord{};
    for (const DossierRow &row : kDossiers) {
        if (!row.underBase) continue;
        char path[kOrvaPathMax + 1];
        snprintf(path, sizeof path, "%s", root);
        if (row.underBase[0]) OrvaAddPath(path, row.underBase);
        FixeCheminDossier(row.kind, path);
    }
    char folder[kOrvaPathMax + 1];
    if (DossierStandard(FourCC("pref"), folder)) FixeCheminDossier(kDossierPreferences, folder);
    if (DossierStandard(FourCC("temp"), folder)) FixeCheminDossier(kDossierTemporaire, folder);
    const char *home = getenv("HOME");
    FixeCheminDossier(kDossierMaison, home && home[0] ? home : root);
    gChemins.ready = kTrue;
    LitCheminsCfg();
    return noErr;
}

Boolean GetCheminDossier(DossierKind kind, char *path) {
    if (!path) return kFalse;
    path[0] = 0;
    if (!gChemins.ready || kind < 0 || kind >= kNbDossiers) return kFalse;
    snprintf(path, kOrvaPathMax + 1, "%s", gChemins.paths[kind]);
    return path[0] != 0;
}

OSErr FixeCheminDossier(DossierKind kind, const char *path) {
    if (kind < 0 || kind >= kNbDossiers || !path) return paramErr;
    size_t length = strlen(path);
    Boolean slash = length > 0 && path[length - 1] == '/';
    if (length + (slash ? 0 : 1) > size_t(kOrvaPathMax)) return paramErr;
    snprintf(gChemins.paths[kind], sizeof gChemins.paths[kind], "%s%s", path, slash ? "" : "/");
    return noErr;
}

const char *GetCleDossier(DossierKind kind) { return kind >= 0 && kind < kNbDossiers ? kDossiers[kind].key : ""; }

OSErr SetPathApplication() { return RendCourant(kDossierMaison); }
OSErr SetPathLyrovoxData() { return RendCourant(kDossierLyrovoxData); }
OSErr SetPathLyrovoxLanguages() { return RendCourant(kDossierLyrovoxLangues); }
OSErr SetPathLyrovoxVoices() { return RendCourant(kDossierLyrovoxVoix); }

namespace {

Boolean DossierStandard(OSType type, char *path) {
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    return FindFolder(kOnSystemDisk, type, kTrue, &vRefNum, &dirID) == noErr && OrvaGetNomChemin(dirID, path);
}

// Lines "key=path", keys without regard to case; blank lines, "#" comments, unknown keys and
// over-long lines are passed over.
void LitCheminsCfg() {
    char name[kOrvaPathMax + 1];
    if (!GetCheminDossier(kDossierPreferences, name) || strlen(name) + sizeof kCheminsCfg > sizeof name) return;
    strcat(name, kCheminsCfg);
    FILE *file = fopen(name, "r");
    if (!file) return;
    char line[kCheminsCfgLigneMax + 2];
    while (fgets(line, sizeof line, file)) {
        size_t length = strlen(line);
        if (length > 0 && line[length - 1] != '\n' && !feof(file)) {
            int c;
            while ((c = fgetc(file)) != EOF && c != '\n') {}
            continue;
        }
        while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = 0;
        char *equal = strchr(line, '=');
        if (line[0] == '#' || !equal || equal[1] == 0) continue;
        *equal = 0;
        for (const DossierRow &row : kDossiers)
            if (strcasecmp(line, row.key) == 0) FixeCheminDossier(row.kind, equal + 1);
    }
    fclose(file);
}

OSErr RendCourant(DossierKind kind) {
    char path[kOrvaPathMax + 1];
    if (!GetCheminDossier(kind, path)) return fnfErr;
    return OrvaSetCurrentDir(path);
}

}  // namespace

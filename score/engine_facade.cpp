// The engine facade: warnings, the resource-file version, singing set-up and the installation.
#include "score/engine_facade.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "graphics/text/font_manager.h"
#include "platform/core/byte_reader.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "score/paths.h"
#include "score/preferences.h"
#include "score/score_hooks.h"

namespace {

const SInt32 kAvertissementMax = 512;  // a trace line holds 511 characters
const ResType kTypeVersion = FourCC("Rver");
const SInt16 kIdVersion = 128;
const char kExpressionGregorienne[] = ":Classical:Gregorian.prv";

// The portable-installation answer (-1 until asked). Main thread only.
struct FacadeState {
    SInt8 usbDevice;
};
FacadeState gFacade = {-1};

}  // namespace

SInt16 Avertissement(const void *, SInt32, const char *format, ...) {
    if (!format) return 0;
    char text[kAvertissementMax];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    PlugTrace("-- AVERTISSEMENT -- %s", text);
    return 0;
}

SInt32 GetVersionFichierRessource(SInt16 refNum) {
    SInt16 saved = CurResFile();
    UseResFile(refNum);
    if (ResError() != noErr) return 0;
    Handle h = Get1Resource(kTypeVersion, kIdVersion);
    SInt32 version = 0;
    if (h && *h) {
        // The number is as wide as the resource: four bytes, else two.
        UInt32 size = GetHandleSize(h);
        ByteReader r = OrvaByteReader(*h, size);
        if (size >= 4) version = SInt32(Get32(&r));
        else if (size >= 2) version = Get16(&r);
    }
    if (h) ReleaseResource(h);
    UseResFile(saved);
    return version;
}

void InitChantConfigPortee(StaffHandle staff) {
    if (!IsPorteeValide(staff) || (*staff)->voiceParams || !HookIsPorteeChantee(staff)) return;
    Handle voice = HookNouveauParamVoix();
    if (!voice) return;
    if ((*staff)->type == kPorteeGregorienne && pref.singingEnabled) HookChargeExpression(voice, kExpressionGregorienne);
    (*staff)->voiceParams = voice;
    (*staff)->sung = 1;
    (*staff)->configured = 1;
}

Boolean IsApplicationOnUSBDevice() {
    if (gFacade.usbDevice < 0) {
        char path[kOrvaPathMax + 16];
        gFacade.usbDevice = 0;
        if (GetCheminDossier(kDossierApplication, path)) {
            strcat(path, "nomad.txt");
            if (FILE *marker = fopen(path, "r")) {
                fclose(marker);
                gFacade.usbDevice = 1;
            }
        }
    }
    return gFacade.usbDevice == 1;
}

void SetTextFontSize(SInt16 font, SInt16 size) {
    TextFont(font);
    TextSize(size);
}

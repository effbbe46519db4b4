// The engine facade: warnings, music fonts, play selection, singing set-up and stubs.
#include "score/engine_facade.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "platform/core/byte_order.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "score/musical_arithmetic.h"
#include "score/paths.h"
#include "score/preferences.h"
#include "score/score_hooks.h"

const char kNomFonteMusique[] = "Quorella";

namespace {

const SInt32 kAvertissementMax = 512;  // a trace line holds 511 characters
const ResType kTypeVersion = FourCC("Rver");
const SInt16 kIdVersion = 128;
const char kExpressionGregorienne[] = ":Classical:Gregorian.prv";

// The selection last given, the one waiting for the next start, and the portable-installation
// answer (-1 until asked). Main thread only.
struct FacadeState {
    PlaySelectionRecord selection;
    PlaySelectionRecord pending;
    Boolean hasPending;
    SInt8 usbDevice;  // -1 not asked yet
};
FacadeState gFacade = {{0, 0, -1, -1}, {0, 0, -1, -1}, kFalse, -1};

SInt32 MesureDeBarre(ScoreHandle score, SInt32 bar);

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

Boolean InitLentara() {
    SInt16 screen[kLentaraScreenFonts] = {0, 0, 0};
    UInt16 id = OrvaGetFontIDFromNameStrict(kNomFonteMusique);
    if (id == kFontIDNone) {
        // Printing takes the font shown at 72 dpi, the first screen slot: none here.
        OrvaSetFontesLentara(screen, screen[0]);
        return kFalse;
    }
    for (SInt16 &slot : screen) slot = SInt16(id);
    OrvaSetFontesLentara(screen, SInt16(id));
    OrvaSetFontTranscoding(id, kFalse);
    return kTrue;
}

SInt32 GetVersionFichierRessource(SInt16 refNum) {
    SInt16 saved = CurResFile();
    UseResFile(refNum);
    if (ResError() != noErr) return 0;
    Handle h = Get1Resource(kTypeVersion, kIdVersion);
    SInt32 version = 0;
    if (h && *h) {
        UInt32 size = GetHandleSize(h);
        if (size >= 4) {
            UInt32 word;
            std::memcpy(&word, *h, 4);
            version = SInt32(lintel2moto(word));
        } else if (size >= 2) {
            UInt16 half;
            std::memcpy(&half, *h, 2);
            version = wintel2moto(half);
        }
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

void FixeJoueSelection(SInt32 firstPart, SInt32 lastPart, SInt32 firstMeasure, SInt32 lastMeasure) {
    ScoreHandle score = partitionEnCours;
    Boolean playing = IsPartitionValide(score) && HookIsPlaying(score);
    if (firstMeasure < 0) {
        gFacade.selection = {0, 0, -1, -1};
        if (!playing) return;
        (*score)->selectionPlay = 0;
        HookRetimeSelection(score, 0, CvtMesureEnTemps(score, (*score)->measureCount));
        return;
    }
    gFacade.selection = {firstPart, lastPart, firstMeasure, lastMeasure};
    if (!playing) return;
    SInt32 first = MesureDeBarre(score, firstMeasure);
    SInt32 last = MesureDeBarre(score, lastMeasure);
    if (first < 0 || last < first) return;
    ScoreRecord *s = *score;
    s->selectionPlay = 1;
    s->selectionFirstPart = firstPart;
    s->selectionLastPart = lastPart;
    s->selectionStart = CvtMesureEnTemps(score, first);
    s->selectionEnd = CvtMesureEnTemps(score, last + 1);
    HookRetimeSelection(score, (*score)->selectionStart, (*score)->selectionEnd);
}

void GetJoueSelection(PlaySelectionRecord *selection) {
    if (selection) *selection = gFacade.selection;
}

Boolean JoueMusiqueCadenzo(SInt32 firstPart, SInt32 lastPart, SInt32 firstBar, SInt32 lastBar) {
    if (firstBar < 1 || lastBar < firstBar) return kFalse;
    ScoreHandle score = partitionEnCours;
    SInt32 first = firstBar - 1;
    SInt32 last = lastBar - 1;
    if (IsPartitionValide(score)) {
        first = MesureDeBarre(score, firstBar);
        last = MesureDeBarre(score, lastBar);
        if (first < 0 || last < first) return kFalse;
    }
    gFacade.pending = {firstPart, lastPart, first, last};
    gFacade.hasPending = kTrue;
    return kTrue;
}

Boolean PrendSelectionEnAttente(PlaySelectionRecord *selection) {
    if (!gFacade.hasPending) return kFalse;
    if (selection) *selection = gFacade.pending;
    gFacade.hasPending = kFalse;
    return kTrue;
}

SInt16 Confirmation(const char *, ...) { return 1; }
SInt16 IsModeSilencieux() { return 0; }
void ErreurGrave(const char *, ...) {}
void FixePorteeModifiee(StaffHandle) {}
void DoUpdateLyrovox() {}
SInt16 FixeDureeMinSilenceModeLight(SInt16 value) { return value; }

namespace {

// The measure (from 0, within the score) of a bar number (from 1); -1 for a score without measures.
SInt32 MesureDeBarre(ScoreHandle score, SInt32 bar) {
    SInt32 count = (*score)->measureCount;
    if (count == 0) return -1;
    SInt32 measure = HookCvtBarEnMesure(score, bar) - 1;
    if (measure < 0) measure = 0;
    return measure >= count ? count - 1 : measure;
}

}  // namespace

// The title bar.
#include "plugin/interface/title_bar.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "platform/core/time_manager.h"
#include "plugin/browser_calls.h"
#include "plugin/documents.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/interface_standins.h"
#include "plugin/interface/shading.h"
#include "plugin/interface/themes.h"
#include "plugin/scripting.h"

const char kMakerSiteURL[] = "https://ondrak-music.example/";

namespace {

const RGBColor kFailedRed = {61440, 0, 0};
const RGBColor kDownloadGreen = {0, 40960, 0};
const RGBColor kVersionGrey = {40960, 40960, 40960};
const double kShadowLightening = 0.7;   // the text's shadow: the background 70 % towards white
const SInt16 kTitleFont = 3, kVersionSize = 9;
const SInt16 kTitleBold = 1;
const SInt16 kVersionRoom = 80;         // the version shows when the text ends this far from the end
const SInt16 kVersionRight = 28, kVersionAbove = 6;
const SInt16 kLinkSide = 16;

// The title's text as it is built: appends are cut to the buffer, at a character boundary.
struct TitleText {
    char *text;
    size_t length;
};

void Ajoute(TitleText *t, const char *format, ...) __attribute__((format(printf, 2, 3)));
void Ajoute(TitleText *t, const char *format, ...) {
    char piece[kTitleTextSize * 4];
    va_list args;
    va_start(args, format);
    vsnprintf(piece, sizeof piece, format, args);
    va_end(args);
    size_t room = kTitleTextSize - 1 - t->length, n = strlen(piece);
    if (n > room) {
        n = room;
        while (n > 0 && (UInt8(piece[n]) & 0xC0) == 0x80) n--;  // not inside a UTF-8 character
    }
    memcpy(t->text + t->length, piece, n);
    t->length += n;
    t->text[t->length] = 0;
}

// One case of the title: when it applies, and what it shows.
struct TitleCase {
    Boolean (*applies)(const PlugInInstance *instance);
    void (*build)(const PlugInInstance *instance, TitleText *t);
    const RGBColor *colour;  // null: the title's own foreground
};

Boolean EchecTelechargement(const PlugInInstance *i) { return i->downloadFailed != 0; }
Boolean EnTelechargement(const PlugInInstance *i) { return !i->docInCache; }
Boolean TitreConnu(const PlugInInstance *i) { return i->docTitle[0] != 0; }
Boolean Toujours(const PlugInInstance *) { return kTrue; }

void TexteEchec(const PlugInInstance *i, TitleText *t) {
    if (i->showFileName) Ajoute(t, "Download error on '%s'.", i->docName);
    else Ajoute(t, "Download error.");
}

void TexteTelechargement(const PlugInInstance *i, TitleText *t) {
    if (!i->showFileName) Ajoute(t, "Downloading ...");
    else if (i->streamLength > 0)
        Ajoute(t, "Downloading '%s' (%ldkb of %ldkb)", i->docName, long(i->bytesReceived / 1024), long(i->streamLength / 1024));
    else Ajoute(t, "Downloading '%s' (%ldkb)", i->docName, long(i->bytesReceived / 1024));
}

void TexteDocument(const PlugInInstance *i, TitleText *t) {
    Ajoute(t, "%s", i->docTitle);
    if (i->karaokeActive && i->karaokeTitle[0]) Ajoute(t, " / %s", i->karaokeTitle);
    if (i->viewName[0]) Ajoute(t, " / %s", i->viewName);
    if (i->showTime && i->document) {
        SInt32 ms = PlugCalculePosTempsJoue(const_cast<PlugInInstance *>(i));
        long seconds = (long(ms) + 500) / 1000;
        if (ms >= 0) Ajoute(t, " %02ld:%02ld", seconds / 60 % 60, seconds % 60);
    }
    if (i->showDuration)
        Ajoute(t, " (%02ld:%02ld)", long(i->totalDurationMs / 60000 % 60), long(i->totalDurationMs / 1000 % 60));
    if (i->pageShown && !i->karaokeActive) Ajoute(t, " page %d/%d", i->currentPage, i->pageCount);
    if (i->showSize) Ajoute(t, " [%ldKb]", long(i->bytesReceived / 1024));
}

void TexteIntrouvable(const PlugInInstance *i, TitleText *t) { Ajoute(t, "<%s not found>", i->docName); }

const TitleCase kTitleCases[] = {
    {EchecTelechargement, TexteEchec, &kFailedRed},
    {EnTelechargement, TexteTelechargement, &kDownloadGreen},
    {TitreConnu, TexteDocument, nullptr},
    {Toujours, TexteIntrouvable, &kFailedRed},
};

// The play pulse, one for the process; main thread.
struct PulseState {
    UInt32 nextTick;
    UInt8 bit;
};
PulseState gPulse;

UInt16 Eclaircit(UInt16 c) { return UInt16(c + (65535 - c) * kShadowLightening); }

}  // namespace

void PlugInTexteTitre(const PlugInInstance *instance, char text[kTitleTextSize], RGBColor *fore, RGBColor *back) {
    Boolean playing = plugInState.plugInInstancePlay == instance;
    *fore = playing ? instance->titleFrColPlay : instance->titleFrColor;
    *back = playing ? instance->titleBkColPlay : instance->titleBkColor;
    TitleText t = {text, 0};
    text[0] = 0;
    for (const TitleCase &c : kTitleCases) {
        if (!c.applies(instance)) continue;
        c.build(instance, &t);
        if (c.colour) *fore = *c.colour;
        return;
    }
}

void PlugBlanchitControles(char *text) {
    for (; *text; text++)
        if (UInt8(*text) < 32) *text = ' ';
}

void PlugInDrawTitle(PlugInInstance *instance) {
    if (!instance->titleShown) return;
    char text[kTitleTextSize];
    RGBColor fore, back;
    PlugInTexteTitre(instance, text, &fore, &back);
    PlugInDrawStrTitle(instance, text, &fore, &back);
    PlugBackWhite();
}

void PlugInDrawStrTitle(PlugInInstance *instance, const char *text, const RGBColor *fore, const RGBColor *back) {
    if (!instance->titleShown || !text) return;
    char shown[kTitleTextSize];
    snprintf(shown, sizeof shown, "%s", text);
    PlugBlanchitControles(shown);
    RGBColor savedFore, savedBack;
    GetForeColor(&savedFore);
    GetBackColor(&savedBack);
    SInt16 t = instance->areaTop, l = instance->areaLeft, r = PlugInWindowWidth(instance);
    SInt16 b = SInt16(t + GetHauteurTitre(instance));
    Rect bar = {t, l, b, r};
    Boolean shaded = PlugInLook(instance->look)->shaded;
    if (shaded) {
        PlugFillRectLook(instance, &bar, back, back);
        Rect link;
        PlugTitleLinkRect(instance, &link);
        Rect icon = {link.top, link.left, SInt16(link.top + kLinkSide), SInt16(link.left + kLinkSide)};
        DrawIconInAire(kTitleLinkIcon, &icon);
    } else {
        RGBBackColor(back);
        EraseRect(&bar);
    }
    TextFont(kTitleFont);
    TextFace(kTitleBold);
    TextSize(SInt16(instance->titleFontSize));
    FontInfo info;
    GetFontInfo(&info);
    SInt32 middle = (SInt32(t) + b) / 2, rise = (info.ascent - info.descent) / 2;
    RGBColor light = {Eclaircit(back->red), Eclaircit(back->green), Eclaircit(back->blue)};
    RGBForeColor(&light);
    _MoveTo(SInt16(l + 5), SInt16(rise + middle + 1));
    OrvaUTFDrawString(shown);
    RGBForeColor(fore);
    _MoveTo(SInt16(l + 4), SInt16(middle + rise));
    OrvaUTFDrawString(shown);
    Point pen;
    GetPen(&pen);
    if (shaded && pen.h < r - kVersionRoom) {
        char version[kVersionTextSize];
        GetVersionPlugIn(version);
        TextFace(0);
        TextSize(kVersionSize);
        RGBForeColor(&kVersionGrey);
        _MoveTo(SInt16(r - kVersionRight - OrvaUTFStringWidth(version)), SInt16(b - kVersionAbove));
        OrvaUTFDrawString(version);
    }
    RGBForeColor(&savedFore);
    RGBBackColor(&savedBack);
}

void PlugTitleLinkRect(const PlugInInstance *instance, Rect *rect) {
    SInt16 w = PlugInWindowWidth(instance);
    *rect = Rect{1, SInt16(w - 24), 18, SInt16(w - 4)};
}

Boolean PlugInClickTitle(PlugInInstance *instance, Point where) {
    if (instance->look != kLookShadow) return kFalse;
    Rect link;
    PlugTitleLinkRect(instance, &link);
    if (!_PtInRect(where, &link)) return kFalse;
    NPN_GetURL(instance->npp, kMakerSiteURL, "_new");
    return kTrue;
}

void PlugInGerePulsePlay(PlugInInstance *instance) {
    if (plugInState.plugInInstancePlay != instance) return;
    UInt32 now = TickCount();
    if (SInt32(now - gPulse.nextTick) <= 0) return;
    gPulse.nextTick = now + kTitlePulseTicks;
    gPulse.bit ^= 1;
    if (instance->look == kLookMoon) PlugInMarquePulsePlay(instance, SInt16(gPulse.bit + 1));
    if (instance->showTime) PlugInDrawTitle(instance);
}

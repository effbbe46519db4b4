// The drawing cycle, the display area and the page pictures.
#include "plugin/interface/drawing.h"

#include <cstring>

#include "engraving/engraver.h"
#include "engraving/music_font.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/quickdraw/window_record.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/textedit.h"
#include "layout/drawing_kit.h"
#include "layout/page_drawing.h"
#include "layout/pagination.h"
#include "layout/print_jobs.h"
#include "layout/units.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "plugin/browser_calls.h"
#include "plugin/documents.h"
#include "plugin/glue.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/interface_standins.h"
#include "plugin/interface/page_display.h"
#include "plugin/interface/scroll_bars.h"
#include "plugin/interface/shading.h"
#include "plugin/interface/title_bar.h"
#include "plugin/scripting.h"
#include "plugin/startup.h"
#include "score/engine_facade.h"
#include "score/musical_arithmetic.h"
#include "score/played_measures.h"
#include "score/preferences.h"
#include "sound/playback.h"
#include "sound/sound_bank.h"
#include "staffobjects/note_names.h"

namespace {

const SInt16 kStandardFont = 3, kStandardSize = 12;
const SInt16 kMessageInset = 4;
const SInt32 kSelectionLead = 3;    // score units a played selection starts before its measure
const char kFontMissingText[] =
    "The 'Quorella.ttf' font is not installed in your Windows font folder"
    "\rPlease install again a complete version of the Ondrak Music Plug-In and restart your computer."
    "\rClick the '?' button above to get more details.";
const char kBuildDate[] = __DATE__;
const char kBuildTime[] = __TIME__;

RGBColor Gris(UInt16 level) { return RGBColor{level, level, level}; }

}  // namespace

static void EnregistrePages(PlugInInstance *instance);
static SInt16 PagePartenaire(PlugInInstance *instance, SInt16 current);
static SInt16 PageSuivanteJouee(DocumentRecord *document, SInt32 heard, SInt16 page);
static void PeintMarges(const PlugInInstance *instance, const Rect &display, const Rect &paper);
static void RedessineInstance(PlugInInstance *instance, void *);

Boolean StartDraw(PlugInInstance *instance, PlugInDrawState *state) {
    *state = PlugInDrawState{};
    if (!instance || !instance->window) return kFalse;
    WindowPtr w = PlugInWindowOf(instance->window);
    GrafPtr port = w ? &w->port : nullptr;
    const Rect &clip = instance->window->clip;
    if (!port || !port->surface || clip.left > clip.right) {
        PlugTrace("Impossible to StartDraw port %08lx left %d right %d", static_cast<unsigned long>(uintptr_t(port)),
                  clip.left, clip.right);
        return kFalse;
    }
    RgnHandle saved = NewRgn();
    if (!saved) return kFalse;
    GetPort(&state->savedPort);
    SetPort(port);
    state->port = port;
    state->portRect = port->portRect;
    state->txFont = port->txFont;
    state->txFace = port->txFace;
    state->txMode = port->txMode;
    state->txSize = port->txSize;
    GetForeColor(&state->fore);
    GetBackColor(&state->back);
    GetPenState(&state->pen);
    GetClip(saved);
    state->clip = saved;
    SInt16 x = SInt16(instance->window->x), y = SInt16(instance->window->y);
    SetOrigin(x, y);
    Rect shifted = clip;
    _OffsetRect(&shifted, x, y);
    ClipRect(&shifted);
    TextSize(kStandardSize);
    TextFont(kStandardFont);
    TextFace(0);
    TextMode(srcOr);
    PlugForeBlack();
    PlugBackWhite();
    PenNormal();
    state->savedResFile = CurResFile();
    if (resFilePlugIn >= 0) UseResFile(resFilePlugIn);
    return kTrue;
}

void EndDraw(PlugInInstance *, PlugInDrawState *state) {
    if (!state->port) return;
    if (qd.thePort != state->port)
        PlugTrace("Reentrance: myPort=%08X", static_cast<unsigned>(uintptr_t(state->port) & 0xFFFFFFFFu));
    if (!qd.thePort) Collapse("qd.thePort NUL");
    else if (!state->clip) Collapse("EndDraw : clipRgn NUL");
    else {
        SetPort(state->port);
        SetOrigin(state->portRect.left, state->portRect.top);
        SetClip(state->clip);
        TextFont(state->txFont);
        TextFace(state->txFace);
        TextMode(state->txMode);
        TextSize(state->txSize);
        RGBForeColor(&state->fore);
        RGBBackColor(&state->back);
        SetPenState(&state->pen);
    }
    if (state->clip) DisposeRgn(state->clip);
    state->clip = nullptr;
    SetPort(state->savedPort);
    UseResFile(state->savedResFile);
    state->port = nullptr;
}

Boolean PlugInDrawWith(PlugInInstance *instance, void (*body)(PlugInInstance *instance, void *data), void *data) {
    PlugInDrawState state;
    if (!StartDraw(instance, &state)) return kFalse;
    body(instance, data);
    EndDraw(instance, &state);
    return kTrue;
}

void PlugInRedrawInstance(PlugInInstance *instance) { PlugInDrawWith(instance, RedessineInstance, nullptr); }

void PlugInRedrawIfResized(PlugInInstance *instance) {
    if (!instance->window || (!instance->drawnWidth && !instance->drawnHeight)) return;
    if (instance->window->width == instance->drawnWidth && instance->window->height == instance->drawnHeight) return;
    PlugInRedrawInstance(instance);
}

void PlugInDoDraw(PlugInInstance *instance, Boolean withBackground) {
    PlugTrace("PlugInDoDraw");
    if (instance->window && withBackground) {
        instance->drawnWidth = instance->window->width;
        instance->drawnHeight = instance->window->height;
    }
    if (instance->filmMode) {
        PlugInDoDrawDocument(instance);
        return;
    }
    if (withBackground) {
        Rect area = {instance->areaTop, instance->areaLeft, PlugInWindowHeight(instance), PlugInWindowWidth(instance)};
        PlugFillRectLook(instance, &area, &instance->imgBkColor, &instance->imgBkColor);
    }
    PlugInDrawTitle(instance);
    PlugInDrawMenu(instance);
    PlugInDrawBarrePosMusique(instance);
    if (instance->documentReady) PlugInDoDrawDocument(instance);
    if (instance->infoPanelUp && !instance->infoPanelModal) PlugInDrawInfoPanel(instance);
    if (instance->mixerShown) PlugDrawMixer(instance);
}

void PlugInDoDrawDocument(PlugInInstance *instance) {
    if (!instance->pageShown || instance->drawingSuspended) return;
    if (instance->filmMode) {
        PlugPekRedraw(instance);
        return;
    }
    if (instance->karaokePossible && instance->karaokeActive) {
        PlugInDrawKaraoke(instance);
        if (instance->keyboardShown) PlugInDrawClavier(instance);
        return;
    }
    PlugInDrawListe(instance);
    Rect display;
    PlugInCalculeAireAffichage(instance, &display);
    Boolean noFile = kFalse;
    if (!instance->pictOdd && !instance->pictEven) {
        TraceSymboleRepeteDeuxDernieresMesures(nullptr, 0, 0, 0);
        if (!PlugBeginFile(instance)) {
            RemplitRectWithPattern(&display, kNoFilePattern);
            noFile = kTrue;
        } else {
            instance->singlePageAtEnd = 0;
            if (instance->document) EnregistrePages(instance);
            PlugEndFile(instance);
        }
    }
    RGBColor grey = Gris(kFrameGreyInner);
    RGBForeColor(&grey);
    _FrameRect(&display);
    PlugForeBlack();
    Rect inner = display;
    InsetRect(&inner, 1, 1);
    RgnHandle clip = NewRgn();
    if (clip) GetClip(clip);
    ClipRect(&inner);
    if (!noFile) {
        Rect paper = {0, 0, 0, 0}, second = {0, 0, 0, 0};
        PlugDrawPagePicture(instance, instance->pictOdd, SInt16(instance->twoPages ? 1 : 0), &paper,
                            instance->singlePageAtEnd);
        if (instance->twoPages && instance->pictEven) {
            PlugDrawPagePicture(instance, instance->pictEven, 2, &second, kFalse);
            _UnionRect(&paper, &second, &paper);
        }
        if (instance->invertVideo) _InvertRect(&inner);
        PlugInDrawMarquePosition(instance);
        PeintMarges(instance, inner, paper);
    }
    if (instance->soundBankLevel >= kSoundBankLogoLevel && !instance->logoShown) {
        Rect logo = {SInt16(display.bottom - 96), SInt16(display.right - 96), SInt16(display.bottom - 32),
                     SInt16(display.right - 32)};
        DrawIconInAire(kSoundBankLogoIcon, &logo);
        instance->logoShown = 1;
    }
    if (clip) {
        SetClip(clip);
        DisposeRgn(clip);
    }
    grey = Gris(kFrameGreyOuter);
    RGBForeColor(&grey);
    _FrameRect(&display);
    PlugForeBlack();
    PlugInDrawAscenseurs(instance);
    if (instance->keyboardShown) PlugInDrawClavier(instance);
}

PicHandle PlugInCreatePictPage(PlugInInstance *instance, DocumentRecord *document, SInt16 page, Rect *frame) {
    PlugTrace("PlugInCreatePictPage on %8lx", static_cast<unsigned long>(uintptr_t(document)));
    GrafPtr previous;
    GetPort(&previous);
    if (document && document->window) SetPort(&document->window->port);
    else SetPortTemporaire();
    pref.accidentalsAllOctaves = instance->accidentalsAllOctaves;
    pref.angloNotation = instance->angloNotation;
    InitTabNomNote();
    PlugCadrePage(instance, frame);
    PicHandle picture = nullptr;
    ScoreHandle score = document ? document->score : nullptr;
    if (OrvaGetFontIDFromNameStrict(kNomFonteMusique) != kFontIDNone && IsPartitionValide(score)) {
        Rect zoomed = *frame;
        SInt16 printerRes = 0;
        GetResolutionImprimante(&printerRes, nullptr);
        AppliqueZoomPrintDocumentAuRect(float(printerRes) / float(GetDpiDest()), &zoomed);
        picture = OpenPicture(&zoomed);
        if (picture) {
            PlugForeBlack();
            PlugBackWhite();
            InitPortees(score);
            ScorePtr s = *score;
            s->selectionPlay = instance->selFirstMeasure >= 0;
            if (s->selectionPlay) {
                s->selectionStart = CvtMesureEnTemps(score, instance->selFirstMeasure) - kSelectionLead;
                s->selectionEnd = CvtMesureEnTemps(score, instance->selLastMeasure + 1) - kSelectionLead;
            }
            SInt16 pages = CombienDePages(score);
            TracePageDocument(document, page, 1.0f, page, pages);
            ClosePicture();
        }
    } else {
        Rect window = {0, 0, PlugInWindowHeight(instance), PlugInWindowWidth(instance)};
        picture = OpenPicture(&window);
        if (picture) {
            PlugForeBlack();
            PlugBackWhite();
            TextFont(kStandardFont);
            TextSize(kStandardSize);
            Rect box = window;
            InsetRect(&box, kMessageInset, kMessageInset);
            TextBox(kFontMissingText, SInt32(strlen(kFontMissingText)), &box, 0);
            ClosePicture();
        }
    }
    SetPort(previous);
    return picture;
}

void PlugInDeletePicture(PlugInInstance *instance) {
    PlugForgetPageImages(instance);
    if (instance->pictOdd) KillPicture(instance->pictOdd);
    if (instance->pictEven) KillPicture(instance->pictEven);
    instance->pictOdd = instance->pictEven = nullptr;
}

SInt16 PlugPageOfPlayedTime(DocumentRecord *document, SInt32 playedTime) {
    if (!document || !IsPartitionValide(document->score)) return 0;
    SInt32 written = CvtTempsJoueEnTempsEcrit(document->score, playedTime);
    SInt16 pages = GetNbPagesDocument(document);
    for (SInt16 page = 1; page <= pages; page++) {
        PageRecord record;
        if (!GetPageMiseEnPage(document, page, &record)) continue;
        for (SInt32 line = 0; line < record.lineCount; line++) {
            LigneRecord l;
            if (!GetLigneMiseEnPage(document, page, line, &l) || !l.inUse) continue;
            SInt32 start = CvtMesureEnTemps(document->score, l.firstMeasure);
            SInt32 end = CvtMesureEnTemps(document->score, l.closingMeasure);
            if (written >= start && written < end) return page;
        }
    }
    return 0;
}

void PlugInMessage(PlugInInstance *instance, const char *text) { NPN_Status(instance ? instance->npp : nullptr, text); }

void PlugInNotice(const char *text) {
    if (!text) return;
    PlugInInstance *instance = GetCurThis() ? GetCurThis() : plugInState.premiereInstance;
    if (instance) PlugInMessage(instance, text);
}

void DisplayVersionPlugIn(PlugInInstance *instance) {
    char version[kVersionTextSize], text[kVersionTextSize + 128];
    GetVersionPlugIn(version);
    snprintf(text, sizeof text, "Ondrak Music Plug-in V%s, Sound base %s,compiled %s %s", version, GetNameSoundDataBase(),
             kBuildDate, kBuildTime);
    PlugInMessage(instance, text);
}

// The current page, and in two-page mode its partner, recorded into pictOdd and pictEven by
// the parity of their numbers.
static void EnregistrePages(PlugInInstance *instance) {
    DocumentRecord *document = instance->document;
    if (instance->pageCount >= 1 && instance->currentPage > instance->pageCount) instance->currentPage = instance->pageCount;
    SInt16 current = PlugInCurrentPage(instance);
    PicHandle page = PlugInCreatePictPage(instance, document, current, &instance->pagePictFrame);
    if (!instance->twoPages) {
        instance->pictOdd = page;
        return;
    }
    SInt16 partner = PagePartenaire(instance, current);
    PicHandle other = partner > 0 ? PlugInCreatePictPage(instance, document, partner, &instance->pagePictFrame) : nullptr;
    if (partner <= 0) instance->singlePageAtEnd = 1;
    if (current % 2) {
        instance->pictOdd = page;
        instance->pictEven = other;
    } else {
        instance->pictEven = page;
        instance->pictOdd = other;
    }
}

// The page shown beside the current one: while this instance plays, the next page the music
// reaches; otherwise the next page; 0 after the last.
static SInt16 PagePartenaire(PlugInInstance *instance, SInt16 current) {
    DocumentRecord *document = instance->document;
    ScoreHandle score = document->score;
    if (plugInState.plugInInstancePlay == instance && IsPartitionValide(score) && (*score)->playedCount > 0) {
        SInt32 heard = document->resumePosition ? document->resumePosition : GetPosTempsMusiqueEntendue();
        if (heard < 0) heard = 0;
        SInt16 page = PlugPageOfPlayedTime(document, heard);
        SInt16 next = PageSuivanteJouee(document, heard, page);
        if (next > 0) return next;
    }
    return current < instance->pageCount ? SInt16(current + 1) : SInt16(0);
}

// From the played measure after the one heard on, the first on another page than page; 0 when
// the music stays on it.
static SInt16 PageSuivanteJouee(DocumentRecord *document, SInt32 heard, SInt16 page) {
    ScoreHandle score = document->score;
    SInt32 count = GetNbMesuresJouees(score);
    for (SInt32 played = CvtTempsJoueEnMesureJouee(score, heard, nullptr) + 1; played > 0 && played < count; played++) {
        SInt16 other = GetPageMesure(document, CvtMesureJoueeEnMesure(score, played));
        if (other > 0 && other != page) return other;
    }
    return 0;
}

// The desktop colour round the paper: above and left always, right and below when centred.
static void PeintMarges(const PlugInInstance *instance, const Rect &display, const Rect &paper) {
    RGBForeColor(&instance->desktopColor);
    if (EmptyRect(&paper)) {
        PaintRect(&display);
        PlugForeBlack();
        return;
    }
    Rect strips[4] = {{display.top, display.left, paper.top, display.right},
                      {paper.top, display.left, display.bottom, paper.left},
                      {paper.top, paper.right, display.bottom, display.right},
                      {paper.bottom, paper.left, display.bottom, paper.right}};
    PaintRect(&strips[0]);
    PaintRect(&strips[1]);
    if (instance->pageOffsetH) PaintRect(&strips[2]);
    if (instance->pageOffsetV) PaintRect(&strips[3]);
    PlugForeBlack();
}

static void RedessineInstance(PlugInInstance *instance, void *) { PlugInDoDraw(instance, kTrue); }

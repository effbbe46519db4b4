// Page setups, the printer's information for a document, the title blocks and the rescaling of a
// document to a number of pages.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "layout/drawing_kit.h"
#include "layout/pagination.h"
#include "layout/print_jobs.h"
#include "layout/units.h"

namespace {

const float kA4Largeur = 595.0f, kA4Hauteur = 842.0f;  // points, as printers name the paper
const float kPapierMin = 72.0f;                         // an inch
const float kPapierMax = 14173.0f;                      // 5 m
const SInt32 kMargeStandard = 150;                      // tenths of a millimetre
const SInt16 kTailleTitreDefaut = 12;
const float kPointsMesure = 10.0f;  // titles are measured at 720 dpi, then taken back to points
const float kDixiemesParPoint = 254.0f / 72.0f;
const float kZoomRecalculMin = 0.02f, kZoomRecalculMax = 20.0f;
const float kFacteurRecherche = 8.0f;  // the first bracket spans this factor around the zoom

SInt16 PagesAuZoom(DocumentRecord *document, float zoom);

}  // namespace

void FixeMiseEnPageStandardDocument(DocumentRecord *document) {
    if (!document) return;
    PageSetupRecord &setup = document->pageSetup;
    std::memset(&setup, 0, sizeof setup);
    setup.mode = 0;
    setup.hRes = setup.vRes = kDpiImpression;
    setup.paperRect[2] = SInt32(kA4Hauteur);
    setup.paperRect[3] = SInt32(kA4Largeur);
    for (SInt32 &margin : setup.margins) margin = kMargeStandard;
    setup.pageWidth = SInt32(std::lround(kA4Largeur * kDpiImpression / kDpiEcran));
    setup.pageHeight = SInt32(std::lround(kA4Hauteur * kDpiImpression / kDpiEcran));
    PageLayoutRecord &layout = document->pageLayouts[0];
    layout.paperWidth = SInt32(kA4Largeur);
    layout.paperHeight = SInt32(kA4Hauteur);
    layout.marginLeft = layout.marginTop = layout.marginRight = layout.marginBottom = kMargeStandard;
    document->marginLeft = document->marginTop = kMargeStandard;
    document->pageWidth = SInt32(kA4Largeur);
    FixeMiseEnPageNonCalculee(document);
}

void GetPapierMiseEnPage(const PageSetupRecord *setup, float *width, float *height) {
    float w = 0, h = 0;
    if (setup) {
        w = float(SInt64(setup->paperRect[3]) - setup->paperRect[1]);
        h = float(SInt64(setup->paperRect[2]) - setup->paperRect[0]);
    }
    if (!(w >= kPapierMin && h >= kPapierMin)) {
        w = kA4Largeur;
        h = kA4Hauteur;
    }
    if (width) *width = std::min(w, kPapierMax);
    if (height) *height = std::min(h, kPapierMax);
}

void GetMargesMiseEnPage(const PageSetupRecord *setup, SInt32 margins[4]) {
    float w = setup ? float(SInt64(setup->paperRect[3]) - setup->paperRect[1]) : 0;
    float h = setup ? float(SInt64(setup->paperRect[2]) - setup->paperRect[0]) : 0;
    Boolean given = w >= kPapierMin && h >= kPapierMin;
    for (SInt32 i = 0; i < 4; i++) margins[i] = given ? std::max<SInt32>(0, setup->margins[i]) : kMargeStandard;
}

void GetPrInfoDocument(DocumentRecord *document, PrintInfoRecord *info) {
    if (!info) return;
    SInt16 hRes = kDpiImpression, vRes = kDpiImpression;
    GetResolutionImprimante(&hRes, &vRes);
    float w = 0, h = 0;
    GetPapierMiseEnPage(document ? &document->pageSetup : nullptr, &w, &h);
    info->hRes = hRes;
    info->vRes = vRes;
    info->pageWidth = SInt32(std::lround(w * hRes / kDpiEcran));
    info->pageHeight = SInt32(std::lround(h * vRes / kDpiEcran));
}

SInt32 GetPosBasTitre(const PageLayoutRecord *, const TitleSlot *title) {
    if (!title) return 0;
    SInt32 top = std::max<SInt32>(0, title->vertical);
    size_t length = strnlen(title->text, sizeof title->text);
    if (length == 0) return top;
    SInt32 lines = 1;
    for (size_t i = 0; i < length; i++)
        if (title->text[i] == '\r' || title->text[i] == '\n') {
            if (title->text[i] == '\r' && i + 1 < length && title->text[i + 1] == '\n') i++;
            if (i + 1 < length) lines++;
        }
    float lineHeight = 0;
    HauteurTexteStyle(&title->style, kPointsMesure, kTailleTitreDefaut, &lineHeight, nullptr);
    float points = lines * lineHeight / kPointsMesure;
    return top + SInt32(std::lround(points * kDixiemesParPoint));
}

SInt32 GetPosTitre(DocumentRecord *document, SInt16 slot) {
    if (!document || slot < 0 || slot > 2) return 0;
    const TitleSlot &own = document->titles[slot];
    if (own.vertical != 0) return std::max<SInt32>(0, own.vertical);
    for (SInt16 before = SInt16(slot - 1); before >= 0; before--) {
        const TitleSlot &other = document->titles[before];
        if (!other.text[0] || other.vertical != 0) continue;
        TitleSlot placed = other;
        placed.vertical = GetPosTitre(document, before);
        return GetPosBasTitre(nullptr, &placed);
    }
    return 0;
}

SInt32 GetBasTitres(DocumentRecord *document) {
    SInt32 bottom = 0;
    for (SInt16 slot = 0; document && slot < 3; slot++) {
        if (!document->titles[slot].text[0]) continue;
        TitleSlot placed = document->titles[slot];
        placed.vertical = GetPosTitre(document, slot);
        bottom = std::max(bottom, GetPosBasTitre(nullptr, &placed));
    }
    return bottom;
}

SInt16 RecalculeEchellePourNombreDePage(DocumentRecord *document, SInt16 wanted) {
    if (!document || !IsPartitionValide(document->score) || wanted < 1) return 0;
    float zoom = std::isfinite(document->zoom) && document->zoom > 0 ? document->zoom : 1.0f;
    float best = zoom;
    SInt16 bestPages = PagesAuZoom(document, zoom);
    SInt32 layouts = 1;
    auto consider = [&](float z, SInt16 pages) {
        SInt32 gap = std::abs(pages - wanted), bestGap = std::abs(bestPages - wanted);
        if (gap < bestGap || (gap == bestGap && z > best)) {
            best = z;
            bestPages = pages;
        }
    };
    float low = zoom, high = zoom;
    if (bestPages > wanted) low = std::max(kZoomRecalculMin, zoom / kFacteurRecherche);
    else if (bestPages < wanted) high = std::min(kZoomRecalculMax, zoom * kFacteurRecherche);
    if (bestPages != wanted) {
        // The end of the bracket away from the present zoom first: it tells whether the count can be reached.
        Boolean shrink = bestPages > wanted;
        float end = shrink ? low : high;
        SInt16 pages = PagesAuZoom(document, end);
        layouts++;
        consider(end, pages);
        Boolean reachable = shrink ? pages <= wanted : pages >= wanted;
        // The last layout is the one kept, made again below.
        while (reachable && bestPages != wanted && layouts < kLayoutsRecalculMax - 1) {
            float middle = std::sqrt(low * high);
            pages = PagesAuZoom(document, middle);
            layouts++;
            consider(middle, pages);
            if (pages <= wanted) low = middle;
            else high = middle;
        }
    }
    document->zoom = best;
    MetsEnPageDocument(document, nullptr, nullptr);
    return GetNbPagesDocument(document);
}

namespace {

SInt16 PagesAuZoom(DocumentRecord *document, float zoom) {
    document->zoom = zoom;
    if (MetsEnPageDocument(document, nullptr, nullptr) != noErr) return 0;
    return GetNbPagesDocument(document);
}

}  // namespace

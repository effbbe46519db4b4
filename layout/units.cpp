// The output resolution, zoom and unit conversions of page layout.
#include "layout/units.h"

#include <algorithm>
#include <cmath>

namespace {

const float kZoomPrintMin = 0.1f;
const float kCoordonneeMax = 32767.0f;
const float kDixiemesParPouce = 254.0f;

// Process-wide: main thread only.
struct UnitsRecord {
    SInt16 dpiDest = kDpiEcran;
    float zoomPage = 1.0f;
};
UnitsRecord gUnits;

}  // namespace

void SetDpiDest(SInt16 dpi) {
    if (dpi <= 0) return;
    gUnits.dpiDest = std::min<SInt16>(dpi, kDpiMax);
}

SInt16 GetDpiDest() { return gUnits.dpiDest; }

void SetDpiPartition(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    const float kEchelleEcran = 1.0f;  // no scaled screens under X here
    float dpi = (*score)->zoom * kEchelleEcran;
    if (std::isfinite(dpi) && dpi >= 1 && dpi <= kDpiMax) SetDpiDest(SInt16(std::lround(dpi)));
}

SInt32 Zoom(SInt32 value) {
    double v = double(value) * gUnits.zoomPage * gUnits.dpiDest / kDpiEcran;
    return SInt32(std::lround(std::max(-2.0e9, std::min(2.0e9, v))));
}

SInt32 ZoomRuban(ScoreHandle score, SInt32 value) {
    SInt16 resolution = IsPartitionValide(score) && (*score)->resolution > 0 ? (*score)->resolution : SInt16(kDpiEcran);
    double v = double(value) * resolution / kDpiEcran;
    return SInt32(std::lround(std::max(-2.0e9, std::min(2.0e9, v))));
}

void FixeZoomPage(float zoom) {
    if (std::isfinite(zoom) && zoom > 0) gUnits.zoomPage = zoom;
}

float GetZoomPage() { return gUnits.zoomPage; }

SInt32 CvtPixelEnPosDixiemeMM(const PageSetupRecord *setup, SInt32 pixels) {
    SInt32 dpi = setup && setup->hRes > 0 ? setup->hRes : gUnits.dpiDest;
    return SInt32(std::lround(double(pixels) * kDixiemesParPouce / dpi));
}

SInt32 CvtPixel72EnPosDixiemeMM(const PageSetupRecord *, SInt32 pixels) {
    return SInt32(std::lround(double(pixels) * kDixiemesParPouce / kDpiEcran));
}

float CvtDixiemeMMEnPixels(SInt32 tenths, float dpi) { return float(tenths) * dpi / kDixiemesParPouce; }

void AppliqueZoomPrintDocumentAuRect(float zoom, Rect *rect) {
    if (!rect) return;
    if (!std::isfinite(zoom)) zoom = 1;
    zoom = std::max(zoom, kZoomPrintMin);
    rect->top = BornePixel(rect->top / zoom);
    rect->left = BornePixel(rect->left / zoom);
    rect->bottom = BornePixel(rect->bottom / zoom);
    rect->right = BornePixel(rect->right / zoom);
}

void CvtBigRectEnRect(const BigRect *big, Rect *rect) {
    if (!big || !rect) return;
    auto clamp = [](SInt32 v) { return SInt16(std::max<SInt32>(-32767, std::min<SInt32>(32767, v))); };
    rect->top = clamp(big->top);
    rect->left = clamp(big->left);
    rect->bottom = clamp(big->bottom);
    rect->right = clamp(big->right);
}

SInt16 BornePixel(float value) {
    if (!std::isfinite(value)) return 0;
    return SInt16(std::lround(std::max(-kCoordonneeMax, std::min(kCoordonneeMax, value))));
}

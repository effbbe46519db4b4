// The temporary port, the text measure of styled text and the quarter-turn rotation of images.
#include "layout/drawing_kit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/utf_text.h"
#include "layout/units.h"

namespace {

const SInt16 kTaillePortTemporaire = 16;
const SInt16 kTailleTexteDefaut = 12;
const SInt32 kTailleTexteMax = 32767;

// Process-wide, main thread only.
struct TemporaryPortRecord {
    GrafPtr port;
};
TemporaryPortRecord gTemporary;

std::string EnUTF8(const void *text, SInt32 length, Boolean unicode);
void CopiePixel(const UInt8 *from, UInt8 *to) { std::memcpy(to, from, 4); }

}  // namespace

Boolean InitPortTemporaire() {
    if (!gTemporary.port) gTemporary.port = OrvaCreatePortOffscreen(kTaillePortTemporaire, kTaillePortTemporaire, 24);
    return gTemporary.port != nullptr;
}

GrafPtr SetPortTemporaire() {
    GrafPtr previous = qd.thePort;
    if (InitPortTemporaire()) SetPort(gTemporary.port);
    return previous;
}

void LiberePortTemporaire() {
    if (!gTemporary.port) return;
    if (qd.thePort == gTemporary.port) SetPort(nullptr);
    OrvaClosePortOffscreen(gTemporary.port);
    gTemporary.port = nullptr;
}

void TextBoxStyleSize(const void *text, SInt32 length, const TextStyleRecord *style, SInt32 *width, SInt32 *height,
                      Boolean unicode) {
    if (width) *width = 0;
    if (height) *height = 0;
    if (!text || length <= 0) return;
    std::string utf8 = EnUTF8(text, length, unicode);
    if (utf8.empty()) return;
    GrafPtr saved = SetPortTemporaire();
    if (!gTemporary.port) return;
    SInt16 points = style && style->size > 0 ? style->size : kTailleTexteDefaut;
    SInt32 pixels = std::max<SInt32>(1, std::lround(double(points) * GetDpiDest() / kDpiEcran));
    TextFont(style ? style->font : 0);
    TextFace(style ? style->face & 0x7F : 0);
    TextSize(SInt16(std::min(pixels, kTailleTexteMax)));
    FontInfo info;
    GetFontInfo(&info);
    SInt32 widest = 0, lines = 0;
    size_t start = 0;
    while (start <= utf8.size()) {
        size_t end = utf8.find_first_of("\r\n", start);
        if (end == std::string::npos) end = utf8.size();
        widest = std::max<SInt32>(widest, UTFTextWidth(gTemporary.port, utf8.c_str(), SInt32(start), SInt32(end - start)));
        lines++;
        if (end >= utf8.size()) break;
        start = end + (utf8[end] == '\r' && end + 1 < utf8.size() && utf8[end + 1] == '\n' ? 2 : 1);
        if (start >= utf8.size()) break;
    }
    if (width) *width = widest + 1;
    if (height) *height = lines * (SInt32(info.ascent) + info.descent + info.leading);
    SetPort(saved);
}

SInt16 TailleTextePixels(const TextStyleRecord *style, float pointPixels, SInt16 defaultSize) {
    SInt16 points = style && style->size > 0 ? style->size : defaultSize;
    double pixels = double(points) * (std::isfinite(pointPixels) ? pointPixels : 1.0);
    return SInt16(std::max<double>(1, std::min<double>(kTailleTexteMax, std::lround(pixels))));
}

float LargeurTexteStyle(const char *text, const TextStyleRecord *style, float pointPixels, SInt16 defaultSize) {
    if (!text || !text[0]) return 0;
    GrafPtr saved = SetPortTemporaire();
    if (!gTemporary.port) return 0;
    TextFont(style ? style->font : 0);
    TextFace(style ? style->face & 0x7F : 0);
    TextSize(TailleTextePixels(style, pointPixels, defaultSize));
    float width = UTFTextWidth(gTemporary.port, text, 0, SInt32(std::strlen(text)));
    SetPort(saved);
    return width;
}

void HauteurTexteStyle(const TextStyleRecord *style, float pointPixels, SInt16 defaultSize, float *lineHeight,
                       float *ascent) {
    GrafPtr saved = SetPortTemporaire();
    FontInfo info = {0, 0, 0, 0};
    if (gTemporary.port) {
        TextFont(style ? style->font : 0);
        TextFace(style ? style->face & 0x7F : 0);
        TextSize(TailleTextePixels(style, pointPixels, defaultSize));
        GetFontInfo(&info);
    }
    if (lineHeight) *lineHeight = float(info.ascent) + info.descent + info.leading;
    if (ascent) *ascent = info.ascent;
    SetPort(saved);
}

Offscreen RotateOffscreen(Offscreen image, SInt16 quarterTurns) {
    if (!image) return nullptr;
    Rect bounds;
    Ptr base = nullptr, opacity = nullptr;
    SInt16 rowBytes = 0, step = 0, opacityRow = 0, opacityStep = 0;
    OffscreenGetInfo(image, &bounds, &base, &rowBytes, &step, &opacity, &opacityRow, &opacityStep);
    SInt32 w = bounds.right - bounds.left, h = bounds.bottom - bounds.top;
    SInt16 turns = SInt16(((quarterTurns % 4) + 4) % 4);
    if (w < 1 || h < 1 || !base) return nullptr;
    SInt32 nw = turns % 2 ? h : w, nh = turns % 2 ? w : h;
    Rect size = {0, 0, SInt16(nh), SInt16(nw)};
    Offscreen turned = OffscreenCreate(&size);
    if (!turned) return nullptr;
    Ptr tbase = nullptr, topacity = nullptr;
    SInt16 trow = 0, tstep = 0, topacityRow = 0, tostep = 0;
    OffscreenGetInfo(turned, nullptr, &tbase, &trow, &tstep, &topacity, &topacityRow, &tostep);
    if (!opacity && topacity) {
        // The source is opaque everywhere: so is the result.
        std::memset(topacity, 0xFF, size_t(nw) * size_t(nh));
    }
    for (SInt32 y = 0; y < h; y++) {
        for (SInt32 x = 0; x < w; x++) {
            SInt32 tx = x, ty = y;
            if (turns == 1) tx = h - 1 - y, ty = x;
            else if (turns == 2) tx = w - 1 - x, ty = h - 1 - y;
            else if (turns == 3) tx = y, ty = w - 1 - x;
            CopiePixel(reinterpret_cast<const UInt8 *>(base) + SInt64(y) * rowBytes + SInt64(x) * step,
                       reinterpret_cast<UInt8 *>(tbase) + SInt64(ty) * trow + SInt64(tx) * tstep);
            if (opacity && topacity)
                topacity[SInt64(ty) * topacityRow + tx] = opacity[SInt64(y) * opacityRow + x];
        }
    }
    return turned;
}

namespace {

std::string EnUTF8(const void *text, SInt32 length, Boolean unicode) {
    if (!unicode) return std::string(static_cast<const char *>(text), size_t(length));
    const UniChar *units = static_cast<const UniChar *>(text);
    std::string out;
    for (SInt32 i = 0; i < length; i++) {
        UInt32 c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            i++;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

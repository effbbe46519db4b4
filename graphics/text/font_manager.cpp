// The Font Manager: text-state setters with their recording, font metrics, saved text states,
// the bitmap-font cache and the font-family iterators.
#include "graphics/text/font_manager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_table.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"

BitmapFontCacheRecord orvaBitmapFonts = {{-1, -1, nullptr}, {{-1, -1, nullptr}, {-1, -1, nullptr}, {-1, -1, nullptr}},
                                         nullptr};

namespace {
enum : SInt16 { kRatioUnit = 1000, kInstanceSize = 12 };
}

static void EmptyEntry(BitmapFontEntry *entry);

void TextFont(SInt16 font) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (font == 1) font = 3;
    if (port->picSave) {
        const char *name = OrvaGetFontNameFromID(UInt16(font));
        size_t length = strnlen(name, kFontNameMax);
        if (length > 0) {
            // FontName: data length, the id, the name as a length byte and its bytes.
            UInt8 operands[5 + kFontNameMax];
            UInt16 dataLength = UInt16(length + 3);
            std::memcpy(operands, &dataLength, 2);
            std::memcpy(operands + 2, &font, 2);
            operands[4] = UInt8(length);
            std::memcpy(operands + 5, name, length);
            RecordPictAction(kPictOpFontName, operands, UInt32(5 + length));
        }
        RecordPictAction(kPictOpTxFont, &font, sizeof font);
    }
    port->txFont = font;
}

void TextSize(SInt16 size) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (port->picSave) RecordPictAction(kPictOpTxSize, &size, sizeof size);
    port->txSize = size;
}

void TextFace(SInt16 face) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    UInt8 style = UInt8(face);
    if (port->picSave) RecordPictAction(kPictOpTxFace, &style, sizeof style);
    port->txFace = style;
}

void TextMode(SInt16 mode) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (port->picSave) RecordPictAction(kPictOpTxMode, &mode, sizeof mode);
    port->txMode = mode;
}

void OrvaSetFontRatio(float ratio) {
    GrafPtr port = qd.thePort;
    if (port && port->picSave) {
        double scaled = std::isfinite(ratio) ? std::round(double(ratio) * kRatioUnit) : double(kRatioUnit);
        Point ratios[2] = {{kRatioUnit, SInt16(std::clamp(scaled, -32768.0, 32767.0))}, {kRatioUnit, kRatioUnit}};
        RecordPictAction(kPictOpTxRatio, ratios, sizeof ratios);
    }
    OrvaSetCurrentFontRatio(ratio == 1.0f ? 0.0f : ratio);
}

void GetFontInfo(FontInfo *info) {
    if (!info) return;
    GrafPtr port = qd.thePort;
    if (!port) {
        info->ascent = info->descent = info->widMax = info->leading = 0;
        return;
    }
    OrvaGetFontInfo(UInt16(port->txFont), port->txSize, info);
}

void A_GetTextState(TextStateSave *state) {
    if (!state) return;
    std::memset(state, 0, sizeof *state);
    GrafPtr port = qd.thePort;
    if (port) {
        state->font = port->txFont;
        state->size = port->txSize;
        state->face = port->txFace;
        state->mode = port->txMode;
        state->spExtra = port->spExtra;
        state->picSave = port->picSave;
        port->picSave = nullptr;
        return;
    }
    // The whole record: the port is opened and drawn into like any other.
    state->font = state->size = -1;
    state->tempPort = (GrafPtr)NewPtrClear(sizeof(GrafPort));
    if (state->tempPort) OpenPort(state->tempPort);
}

void A_SetTextState(TextStateSave *state) {
    if (!state) return;
    if (state->tempPort) {
        ClosePort(state->tempPort);
        DisposPtr((Ptr)state->tempPort);
        state->tempPort = nullptr;
        return;
    }
    GrafPtr port = qd.thePort;
    if (!port || state->font == -1) return;
    TextFont(state->font);
    TextSize(state->size);
    TextFace(state->face);
    TextMode(state->mode);
    SpaceExtra(state->spExtra);
    port->picSave = state->picSave;
}

void InitFonts() {
    EmptyEntry(&orvaBitmapFonts.current);
    for (BitmapFontEntry &entry : orvaBitmapFonts.recent) EmptyEntry(&entry);
    OrvaInitGlyphCache();
}

void PurgeFontes() {
    BitmapFontEntry *entries[1 + kRecentBitmapFonts] = {&orvaBitmapFonts.current, &orvaBitmapFonts.recent[0],
                                                        &orvaBitmapFonts.recent[1], &orvaBitmapFonts.recent[2]};
    for (BitmapFontEntry *entry : entries) {
        Handle resource = entry->fontResource;
        // One resource may sit in several entries: release it once.
        for (BitmapFontEntry *other : entries)
            if (other->fontResource == resource) other->fontResource = nullptr;
        if (resource) ReleaseResource(resource);
        EmptyEntry(entry);
    }
}

void OrvaInitGlyphCache() {
    if (orvaBitmapFonts.glyphCache) DisposHandle(orvaBitmapFonts.glyphCache);
    orvaBitmapFonts.glyphCache = NewHandle(0);
}

void OrvaInvalidateCachedFont() { orvaBitmapFonts.current.font = -1; }

OSStatus FMCreateFontFamilyIterator(const void *, void *, UInt32, FMFontFamilyIterator *iterator) {
    if (!iterator) return paramErr;
    std::memset(iterator, 0, sizeof *iterator);
    iterator->families = NewHandle(0);
    return iterator->families ? noErr : memFullErr;
}

OSStatus FMGetNextFontFamily(FMFontFamilyIterator *iterator, FMFontFamily *family) {
    if (!iterator) return paramErr;
    if (iterator->next >= iterator->count || !iterator->families) return kFMIterationCompleted;
    FMFontFamily id = ((const FMFontFamily *)*iterator->families)[iterator->next++];
    if (family) *family = id;
    return noErr;
}

OSStatus FMDisposeFontFamilyIterator(FMFontFamilyIterator *iterator) {
    if (!iterator) return paramErr;
    if (iterator->families) DisposHandle(iterator->families);
    std::memset(iterator, 0, sizeof *iterator);
    return noErr;
}

OSStatus FMGetFontFamilyName(FMFontFamily family, char *name) {
    if (name) GetFontName(family, name);
    return noErr;
}

FMFontFamily FMGetFontFamilyFromName(const char *name) {
    SInt16 id = 0;
    GetFNum(name, &id);
    return id == 0 ? -1 : id;
}

OSStatus FMGetFontFamilyTextEncoding(FMFontFamily, TextEncoding *encoding) {
    if (encoding) *encoding = kFMFamilyTextEncoding;
    return noErr;
}

OSStatus FMCreateFontFamilyInstanceIterator(FMFontFamily family, FMFontFamilyInstanceIterator *iterator) {
    if (!iterator) return paramErr;
    std::memset(iterator, 0, sizeof *iterator);
    iterator->family = family;
    return noErr;
}

OSStatus FMGetNextFontFamilyInstance(FMFontFamilyInstanceIterator *iterator, FMFont *font, FMFontStyle *style,
                                     FMFontSize *size) {
    if (!iterator) return paramErr;
    if (iterator->returned > 0) return kFMIterationCompleted;
    iterator->returned++;
    if (font) *font = FMFont(UInt16(iterator->family));
    if (style) *style = 0;
    if (size) *size = kInstanceSize;
    return noErr;
}

OSStatus FMDisposeFontFamilyInstanceIterator(FMFontFamilyInstanceIterator *) { return noErr; }

static void EmptyEntry(BitmapFontEntry *entry) {
    entry->font = -1;
    entry->size = -1;
    entry->fontResource = nullptr;
}

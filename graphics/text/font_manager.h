// The Font Manager: the current port's text state (font, size, face, mode, ratio) recorded into
// an open picture, font metrics, saving and restoring the text state, the bitmap-font cache of
// the classic glyph path, and the font-family iterators. Main thread only.
#pragma once

#include "graphics/quickdraw/ports.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/errors.h"

typedef SInt16 FMFontFamily;
typedef SInt16 FMFontStyle;
typedef SInt16 FMFontSize;
typedef UInt32 FMFont;
typedef UInt32 TextEncoding;

enum : TextEncoding { kFMFamilyTextEncoding = 0x0600B400 };

// Each setter records its opcode into an open picture, then stores the value; nothing without
// a current port.
void TextFont(SInt16 font);  // font 1 is taken as 3; a named font records FontName first
void TextSize(SInt16 size);  // points; 0 means 12
void TextFace(SInt16 face);  // style bits, kept in a byte
void TextMode(SInt16 mode);
void OrvaSetFontRatio(float ratio);  // horizontal ratio (1.0 stored as 0); records TxRatio
void GetFontInfo(FontInfo *info);    // of the port's font and size; zeros without a port

// What A_GetTextState saves. Without a current port it opens a temporary port instead, which
// A_SetTextState closes and frees.
struct TextStateSave {
    SInt16 font;
    SInt16 size;
    SInt16 face;
    SInt16 mode;
    Fixed spExtra;
    Handle picSave;     // the picture that was being recorded
    GrafPtr tempPort;   // the temporary port, or null
};
void A_GetTextState(TextStateSave *state);  // also stops the port's recording
void A_SetTextState(TextStateSave *state);  // restores the fields, then the recording

// Bitmap fonts: the cache that the classic glyph path reads. No text path fills it.
struct BitmapFontEntry {
    SInt16 font;          // -1 (0xFFFF): empty
    SInt16 size;          // -1: empty
    Handle fontResource;  // the loaded 'FONT' resource, or null
};
enum : SInt32 { kRecentBitmapFonts = 3 };
struct BitmapFontCacheRecord {
    BitmapFontEntry current;
    BitmapFontEntry recent[kRecentBitmapFonts];
    Handle glyphCache;       // the glyph cache table; empty
};
extern BitmapFontCacheRecord orvaBitmapFonts;
void InitFonts();                  // the entries empty, the glyph cache table new
void PurgeFontes();                // releases every loaded 'FONT' resource; the entries empty
void OrvaInitGlyphCache();         // the glyph cache table made anew, empty
void OrvaInvalidateCachedFont();   // the current entry's font becomes -1: looked up again

// Font families. The family iterator lists nothing; each family has one instance (style 0, 12).
struct FMFontFamilyIterator {  // 64 bytes
    Handle families;  // FMFontFamily ids
    SInt32 next;
    SInt32 count;
    UInt32 reserved[12];
};
struct FMFontFamilyInstanceIterator {
    FMFontFamily family;
    SInt16 returned;  // instances answered so far
    UInt32 reserved[15];
};
OSStatus FMCreateFontFamilyIterator(const void *filter, void *refCon, UInt32 options, FMFontFamilyIterator *iterator);
OSStatus FMGetNextFontFamily(FMFontFamilyIterator *iterator, FMFontFamily *family);  // kFMIterationCompleted
OSStatus FMDisposeFontFamilyIterator(FMFontFamilyIterator *iterator);
OSStatus FMGetFontFamilyName(FMFontFamily family, char *name);  // GetFontName; 256 bytes
FMFontFamily FMGetFontFamilyFromName(const char *name);         // GetFNum; -1 for 0
OSStatus FMGetFontFamilyTextEncoding(FMFontFamily family, TextEncoding *encoding);
OSStatus FMCreateFontFamilyInstanceIterator(FMFontFamily family, FMFontFamilyInstanceIterator *iterator);
OSStatus FMGetNextFontFamilyInstance(FMFontFamilyInstanceIterator *iterator, FMFont *font, FMFontStyle *style,
                                     FMFontSize *size);
OSStatus FMDisposeFontFamilyInstanceIterator(FMFontFamilyInstanceIterator *iterator);

// Byte-per-pixel "mob" blocks: built by sampling a pixel map (colour cursors) or a bitmap glyph
// through a point reader, with optional error-diffusion dithering, and painted into the current
// port run by run. In a block, 10 is transparent, 0 ink, other values colour-table indices.
// Main thread only: the sampling state and the block buffer are process-wide.
#pragma once

#include "graphics/quickdraw/ports.h"

enum : UInt8 { kMobInk = 0, kMobTransparent = 10 };

// Answers the block value of source point (h, v).
typedef UInt8 (*MobReaderProc)(SInt32 h, SInt32 v);

// The pixel map saisie_point_pixmap samples: rows of rowBytes bytes from base, depth 1, 2, 4
// or 8 bits a pixel (most significant bits first). base stays the caller's.
void OrvaSetPixmapSource(const void *base, SInt32 rowBytes, SInt16 depth);
void OrvaSetDithering(Boolean on);
// conversion (source value to colour index) and the source colours from table; without a table
// a 1-bit source maps 0 to the index of white and 1 to the index of black.
void calcule_lut(CTabHandle table);
// The colour index of pixel (h, v) of the source; with dithering the error of each column is
// carried down and to the right. Points left of the map answer conversion[0].
UInt8 saisie_point_pixmap(SInt32 h, SInt32 v);
// The current bitmap glyph at (h, v): 0 for a set bit, 10 for a clear one or outside it.
UInt8 saisie_point_car(SInt32 h, SInt32 v);

// A width x height block of source points read through reader, row after row. With scale set
// the source rectangle is stretched onto the block (nearest point), else read 1:1 from its
// top-left and cells past it keep background. The block is the library's, valid until the next
// call that makes a block; null without memory or for an empty size.
UInt8 *fabrique_mob(const Rect *source, SInt32 width, SInt32 height, MobReaderProc reader, UInt8 background,
                    Boolean scale);
// Paints every run of equal values but transparent at (h, v) of the current port, each in its
// colour index (the gray table's on a 256-gray port), pen and colours restored afterwards.
void transfere_mob(const UInt8 *block, SInt32 width, SInt32 height, UInt8 transparent, SInt16 h, SInt16 v);

// A bitmap font as the glyph renderer reads it: one strike of all glyphs side by side.
struct OrvaBitmapFontRecord {
    SInt16 firstChar;
    SInt16 lastChar;        // the missing-character glyph follows it
    SInt16 fRectHeight;     // rows of the strike
    SInt16 ascent;          // rows above the baseline
    SInt16 rowWords;        // 16-bit words a strike row
    SInt16 designSize;      // size the strike was drawn at
    const UInt8 *strike;    // rowWords x 2 x fRectHeight bytes, most significant bit leftmost
    const SInt16 *locTable; // lastChar - firstChar + 3 bit offsets into each row
    const SInt16 *owTable;  // lastChar - firstChar + 2 words: origin offset << 8 | advance; -1 missing
};
// Installed by the font code: fills record for font at size and face; false when there is none.
typedef Boolean (*BitmapFontLoaderProc)(SInt16 font, SInt16 size, UInt8 face, OrvaBitmapFontRecord *record);
void OrvaSetBitmapFontLoader(BitmapFontLoaderProc loader);

// One glyph as a block (ink 0, background 10), its size, the offsets of the block's top-left
// from the pen (origin h, rows above the baseline as a negative v) and the advance. Characters
// outside the font or without a width take the missing-character glyph; a size other than the
// design size scales everything (the block gets a pixel more each way); a space advances by its
// width plus the port's spExtra, whose fraction carries over to the next space. Face bits: 1 bold,
// 2 italic, 4 underline, 8 outline, 16 shadow. Null without a font or memory.
UInt8 *OrvaCalculeBitmapCar(UInt8 character, SInt16 font, SInt16 size, UInt8 face, SInt32 *width, SInt32 *height,
                            SInt32 *originH, SInt32 *originV, SInt32 *advance);
// Drops the fraction of spExtra carried from space to space (_DrawText starts each run so).
void OrvaResetSpaceFraction();

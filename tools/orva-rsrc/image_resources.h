// The cursor and pixel-pattern shorthands of resource descriptions: their models, the bytes of
// 'CURS', 'ppat' and 'crsr' resources they lay out (big-endian, as the resource readers take
// them), and the recognition of resources a shorthand writes back exactly.
#pragma once

#include <string>
#include <vector>

#include "platform/core/mac_types.h"

enum : int {
    kCursorSide = 16,        // a cursor is 16 x 16
    kMaxPatternSide = 256,   // widest and tallest 'ppat' the shorthand writes
};

// A black-and-white cursor: 16 rows of 16 characters, '#' black (image and mask), '-' white
// (mask only), '.' transparent (neither), '~' inverted (image only).
struct CursorArt {
    int hotV = 0, hotH = 0;
    std::vector<std::string> rows;
};

// An indexed image: colours (red, green, blue 0..65535 each) and rows of pixel values, one
// hexadecimal digit a pixel (two at depth 8).
struct IndexedImage {
    int width = 0, height = 0, depth = 0;
    std::vector<unsigned> colors;  // red, green, blue of each entry
    std::vector<std::string> rows;
};

// Each answers false with a message when the model is not one it can lay out.
bool LayOutCursor(const CursorArt &art, std::vector<UInt8> *out, std::string *error);
bool LayOutPixPat(const IndexedImage &image, std::vector<UInt8> *out, std::string *error);
bool LayOutColorCursor(const CursorArt &art, const IndexedImage &image, std::vector<UInt8> *out, std::string *error);
// The shorthand text of a resource (its item lines), when laying the recognised model out
// again gives exactly the same bytes; empty otherwise.
std::string DescribeCursor(const std::vector<UInt8> &data);
std::string DescribePixPat(const std::vector<UInt8> &data);
std::string DescribeColorCursor(const std::vector<UInt8> &data);

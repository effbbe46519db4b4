// The toolbox shorthands of resource descriptions: 'DLOG', 'ALRT', 'DITL', 'MENU', 'STR#' and
// 'vers' laid out by the library's own writers from their models, and 'cicn' made from a PNG
// image. The format is documented in docs/resource-description.md.
#pragma once

#include <string>
#include <vector>

#include "toolbox/resource_layouts.h"

enum : int { kMaxIconSide = 256 };  // widest and tallest 'cicn' made from a PNG

// One item of a 'DITL': text for buttons, boxes and text items (MacRoman), id for icons,
// pictures and resource controls.
struct DitlModelItem {
    UInt8 kind;
    bool disabled;
    Rect rect;
    std::string text;
    SInt16 id;
};

// One item of a 'MENU' (MacRoman text, at least one byte).
struct MenuModelItem {
    std::string text;
    UInt8 icon, key, mark, style;
    bool disabled;
};

// Each appends the resource's bytes to out; false only when memory runs out.
bool LayOutDialog(const DialogTemplateRecord &dialog, std::vector<UInt8> *out);
bool LayOutAlert(const AlertTemplateRecord &alert, std::vector<UInt8> *out);
bool LayOutDitl(const std::vector<DitlModelItem> &items, std::vector<UInt8> *out);
// The enable flags come from the items: bit 0 (the menu) and every item not disabled.
bool LayOutMenu(MenuTemplateRecord menu, const std::vector<MenuModelItem> &items, std::vector<UInt8> *out);
bool LayOutStrList(const std::vector<std::string> &strings, std::vector<UInt8> *out);
bool LayOutVersion(const VersionRecord &version, std::vector<UInt8> *out);
// An 8-bit 'cicn' of the PNG at path: its colours make the table (in the order they first
// appear, row by row), pixels at least half opaque make the mask. False with a message when
// the file is no PNG, is larger than kMaxIconSide or holds more than 256 colours.
bool LayOutColorIconFromPng(const std::string &path, std::vector<UInt8> *out, std::string *error);
// A MacRoman string as a length-prefixed one (at most 255 bytes are kept).
void ToPascal(const std::string &bytes, Str255 out);

// The classic big-endian layouts of the 'DLOG', 'ALRT', 'DITL', 'MENU', 'cicn', 'STR#' and
// 'vers' resources: readers that check every count, length and offset against the resource's
// size before they use it, and the writers the resource compiler lays them out with. The
// readers allocate nothing and touch no toolbox state (any thread); the writers grow a handle.
#pragma once

#include "graphics/quickdraw/ports.h"
#include "platform/core/byte_reader.h"
#include "platform/core/mac_types.h"

// 'DLOG': bounds, procID, visible byte, a zero byte, goAway byte, a zero byte, refCon, the
// 'DITL' id, the title (length byte and text), then, at the next even offset, an optional
// positioning word.
struct DialogTemplateRecord {
    Rect bounds;       // content rectangle, global coordinates
    SInt16 procID;     // window definition: 0 document, 1 plain box, 5 movable box...
    Boolean visible;   // shown as soon as it is made
    Boolean goAway;    // has a close box
    SInt32 refCon;
    SInt16 itemsID;    // its 'DITL'
    Str255 title;      // MacRoman, length first
    UInt16 position;   // placement code; 0 when the resource carries none
};

// 'ALRT': bounds, the 'DITL' id, the stages word, then an optional positioning word.
struct AlertTemplateRecord {
    Rect bounds;
    SInt16 itemsID;
    UInt16 stages;     // a nibble a stage, the first lowest: bit 3 item 2 is the default
                       // button, bit 2 its outline is drawn, bits 0-1 beeps
    UInt16 position;   // 0 when the resource carries none
};

// 'DITL' item kinds, the low 7 bits of an item's type byte; kDitlDisabled is its top bit.
enum : UInt8 {
    kDitlUserItem = 0,
    kDitlHelpItem = 1,
    kDitlButton = 4,
    kDitlCheckBox = 5,
    kDitlRadioButton = 6,
    kDitlResourceControl = 7,  // data: a 'CNTL' id
    kDitlStaticText = 8,
    kDitlEditText = 16,
    kDitlIcon = 32,            // data: an 'ICON' or 'cicn' id
    kDitlPicture = 64,         // data: a 'PICT' id
    kDitlDisabled = 128,       // clicks in the item are not reported
};

enum : UInt32 {
    kDitlItemHeader = 14,      // placeholder (4), rectangle (8), type, data length
    kColorIconHeader = 82,     // pixel map (50), mask and image bit maps (14 each), data (4)
};

// One item of a 'DITL' as read: a 16-bit count minus one, then per item a 4-byte placeholder,
// the rectangle, the type byte, the data length byte and the data, padded to an even length.
struct DitlItemRecord {
    UInt8 kind;          // kDitl..., without kDitlDisabled
    Boolean disabled;
    Rect rect;           // as stored: an empty or inverted one covers nothing
    UInt32 dataOffset;   // of the item's data (the text of text and control items)
    UInt8 dataLength;
    SInt16 resourceId;   // of icon, picture and resource-control items; 0 for the others
};

// One item to write: text for buttons, boxes and text items, resourceId for icons, pictures
// and resource controls; user items carry no data.
struct DitlItemSource {
    UInt8 kind;
    Boolean disabled;
    Rect rect;
    ConstStr255Param text;  // length first; null for none
    SInt16 resourceId;
};

// 'MENU': menu id, width, height, 'MDEF' id and a zero word, the enable flags, the title, then
// per item its text (length byte, at least 1), icon, key, mark and style bytes; a zero byte ends
// the items.
struct MenuTemplateRecord {
    SInt16 menuID;
    SInt16 width;        // 0 until the Menu Manager measures it
    SInt16 height;
    SInt16 procID;       // 'MDEF' id, 0 the standard one
    UInt32 enableFlags;  // bit 0 the whole menu, bit n item n (items past 31 are enabled)
    Str255 title;
};

struct MenuItemLayout {
    UInt32 textOffset;   // of the item's text in the resource
    UInt8 textLength;    // 1..255
    UInt8 icon;          // icon number, 0 none
    UInt8 key;           // command key, 0 none
    UInt8 mark;          // mark character, 0 none
    UInt8 style;         // QuickDraw face bits
};

struct MenuItemSource {
    ConstStr255Param text;  // length first, at least one character
    UInt8 icon, key, mark, style;
};

// 'cicn': the colour image's pixel map, the 1-bit mask and image bit maps (base address,
// rowBytes, bounds), a placeholder; then the mask rows, the image rows, the colour table and
// the pixel rows.
struct ColorIconLayout {
    PixMap map;              // as stored, baseAddr and pmTable null; pixelSize 1, 2, 4 or 8
    SInt16 maskRowBytes;     // at least the width's bits
    SInt16 bitmapRowBytes;   // 0 when the icon has no 1-bit image
    UInt32 maskOffset;       // where the mask rows start
    UInt32 bitmapOffset;     // the 1-bit image rows
    UInt32 tableOffset;      // the colour table: ctSeed, ctFlags, ctSize, then the entries
    SInt32 colorCount;       // entries of the table, 1..2^pixelSize; every pixel indexes one
    UInt32 pixelOffset;      // the pixel rows, map.rowBytes each
};

// 'vers': the numeric version, the region code, the short and the long version strings.
struct VersionRecord {
    UInt8 major;          // binary-coded decimal: 0x05 for 5
    UInt8 minorAndBug;    // minor version in the high nibble, bug-fix version in the low one
    UInt8 stage;          // 0x20 development, 0x40 alpha, 0x60 beta, 0x80 final
    UInt8 release;        // pre-release revision
    SInt16 region;        // region code, 0 for the United States
    Str255 shortVersion;  // "5.6.2n"
    Str255 longVersion;
};

enum : UInt8 { kStageDevelopment = 0x20, kStageAlpha = 0x40, kStageBeta = 0x60, kStageFinal = 0x80 };

// Each reader answers false, with its outputs cleared, when a count, length or offset passes
// the end of the size bytes or a field holds a value the layout does not allow.
Boolean OrvaReadDialogTemplate(const UInt8 *bytes, UInt32 size, DialogTemplateRecord *dialog);
Boolean OrvaReadAlertTemplate(const UInt8 *bytes, UInt32 size, AlertTemplateRecord *alert);
// *count gets the item count; the first capacity items (items may be null) are filled. A count
// word of -1 is an empty list; an unknown item kind, or an icon, picture or control item whose
// data is shorter than its id, fails.
Boolean OrvaReadDitl(const UInt8 *bytes, UInt32 size, DitlItemRecord *items, SInt32 capacity, SInt32 *count);
Boolean OrvaReadMenuTemplate(const UInt8 *bytes, UInt32 size, MenuTemplateRecord *menu, MenuItemLayout *items,
                             SInt32 capacity, SInt32 *count);
Boolean OrvaReadColorIcon(const UInt8 *bytes, UInt32 size, ColorIconLayout *icon);
// The colour-table index of pixel (x, y) from the bounds' top-left; the mask bit of the same.
// Both read a layout OrvaReadColorIcon accepted, inside its bounds.
UInt8 OrvaColorIconIndex(const UInt8 *bytes, const ColorIconLayout *icon, SInt32 x, SInt32 y);
Boolean OrvaColorIconMasked(const UInt8 *bytes, const ColorIconLayout *icon, SInt32 x, SInt32 y);
RGBColor OrvaColorIconEntry(const UInt8 *bytes, const ColorIconLayout *icon, SInt32 index);
// Strings of a 'STR#' whose count and every length lie inside it; -1 when one passes the end.
SInt32 OrvaStrListCount(const UInt8 *bytes, UInt32 size);
// String index (1-based) into out; false, with out empty, out of range or in a damaged list.
Boolean OrvaStrListString(const UInt8 *bytes, UInt32 size, SInt32 index, Str255 out);
Boolean OrvaReadVersion(const UInt8 *bytes, UInt32 size, VersionRecord *version);

// The writers append the layout to w (its failed flag tells of a lack of memory).
void OrvaWriteDialogTemplate(ByteWriter *w, const DialogTemplateRecord *dialog);
void OrvaWriteAlertTemplate(ByteWriter *w, const AlertTemplateRecord *alert);
void OrvaWriteDitl(ByteWriter *w, const DitlItemSource *items, SInt32 count);
void OrvaWriteMenuTemplate(ByteWriter *w, const MenuTemplateRecord *menu, const MenuItemSource *items, SInt32 count);
// An 8-bit icon of width x height: pixels one colour index a byte, row after row; mask one
// byte a pixel, non-zero where the icon is opaque. The 1-bit image holds the opaque pixels
// darker than mid-grey, for ports without colour.
void OrvaWriteColorIcon(ByteWriter *w, SInt16 width, SInt16 height, const UInt8 *pixels, const RGBColor *colors,
                        SInt32 colorCount, const UInt8 *mask);
void OrvaWriteStrList(ByteWriter *w, const ConstStr255Param *strings, SInt32 count);
void OrvaWriteVersion(ByteWriter *w, const VersionRecord *version);

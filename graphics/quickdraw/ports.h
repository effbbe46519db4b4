// QuickDraw ports and globals: the port record, the one global record qd, the current port,
// port sizing and moving, local and global coordinates, and the lazily rebuilt effective clip.
// Main thread only: the current port, the effective clip and qd are process-wide and unguarded.
#pragma once

#include "graphics/quickdraw/regions.h"
#include "platform/core/mac_types.h"

typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;

struct Pattern {  // rows from the top; in each byte the most significant bit is the leftmost pixel
    UInt8 pat[8];
};

struct BitMap {
    Ptr baseAddr;    // kPortPixelsMarker in a port: the pixels are the port's own buffer
    SInt16 rowBytes; // bits 0..14 bytes per row; bit 15 (kPixMapFlag) marks a pixel map
    Rect bounds;     // in a port: its top-left is the local point at the effective base
};

struct Cursor {  // 68 bytes
    UInt16 data[16];
    UInt16 mask[16];
    Point hotSpot;
};

struct PenState {
    Point pnLoc;
    Point pnSize;
    SInt16 pnMode;
    Pattern pnPat;
};

// The port's table of drawing bottlenecks, in the classic order. Only textProc, lineProc and
// commentProc are ever called; a null table or slot means the standard procedure.
struct GrafProcs {
    void (*textProc)(SInt16 count, const void *text, Point numer, Point denom);
    void (*lineProc)(Point newPt);
    ProcPtr rectProc;
    ProcPtr rRectProc;
    ProcPtr ovalProc;
    ProcPtr arcProc;
    ProcPtr polyProc;
    ProcPtr rgnProc;
    ProcPtr bitsProc;
    void (*commentProc)(SInt16 kind, SInt16 dataSize, Handle dataHandle);
    ProcPtr txMeasProc;
    ProcPtr getPicProc;
    ProcPtr putPicProc;
};
typedef GrafProcs QDProcs;

struct PixPat;
typedef PixPat **PixPatHandle;

struct ColorSpec {
    SInt16 value;
    RGBColor rgb;
};
struct ColorTable {
    SInt32 ctSeed;
    SInt16 ctFlags;
    SInt16 ctSize;          // entries - 1
    ColorSpec ctTable[1];   // ctSize + 1 entries follow in the handle
};
typedef ColorTable *CTabPtr;
typedef CTabPtr *CTabHandle;

struct PixMap {
    Ptr baseAddr;
    SInt16 rowBytes;        // bit 15 set
    Rect bounds;
    SInt16 pmVersion;
    SInt16 packType;
    SInt32 packSize;
    Fixed hRes;             // dots per inch, 16.16
    Fixed vRes;
    SInt16 pixelType;
    SInt16 pixelSize;       // bits per pixel
    SInt16 cmpCount;
    SInt16 cmpSize;
    SInt32 planeBytes;
    CTabHandle pmTable;
    SInt32 pmReserved;
};
typedef PixMap *PixMapPtr;
typedef PixMapPtr *PixMapHandle;

struct GDevice {
    SInt16 gdRefNum;
    SInt16 gdID;
    SInt16 gdType;
    Handle gdITable;        // inverse colour table of the Color Manager
    SInt16 gdResPref;
    Ptr gdSearchProc;
    Ptr gdCompProc;
    SInt16 gdFlags;
    PixMapHandle gdPMap;
    SInt32 gdRefCon;
    Handle gdNextGD;
    Rect gdRect;
    SInt32 gdMode;
    SInt16 gdCCBytes;
    SInt16 gdCCDepth;
    Handle gdCCXData;
    Handle gdCCXMask;
    SInt32 gdReserved;
};
typedef GDevice *GDPtr;
typedef GDPtr *GDHandle;

struct EventRecord;

enum : SInt16 {
    kPortDirtySlots = 5,     // dirty rectangles kept per port
    kPixMapFlag = SInt16(0x8000),
};

struct GrafPort {
    // The classic record.
    SInt16 device;         // 0; 255 marks a 256-gray port
    BitMap portBits;
    Rect portRect;         // local coordinates
    RgnHandle visRgn;      // visible region, local coordinates
    RgnHandle clipRgn;     // the application's clip, local coordinates
    Pattern bkPat;
    Pattern fillPat;       // pattern of the last fill call
    Point pnLoc;
    Point pnSize;          // v height, h width
    SInt16 pnMode;         // transfer mode; 8 patCopy
    Pattern pnPat;
    SInt16 pnVis;          // shapes are drawn while >= 0
    SInt16 txFont;
    UInt8 txFace;          // style bits
    SInt16 txMode;
    SInt16 txSize;
    Fixed spExtra;         // extra width of the space character
    SInt32 fgColor;        // classic colour code: 33 black, 30 white ...
    SInt32 bkColor;
    SInt16 colrBit;        // non-zero: a colour port
    SInt16 patStretch;     // unused
    Handle picSave;        // the picture being recorded, or null
    Handle rgnSave;        // the region being recorded, or null
    Handle polySave;       // unused; polygons are collected elsewhere
    GrafProcs *grafProcs;  // bottleneck table, or null

    // The library's own fields.
    UInt32 forePixel;      // index of the foreground colour in the 8-bit colour table
    UInt32 backPixel;
    RGBColor rgbFgColor;
    RGBColor rgbBkColor;
    RGBColor rgbOpColor;   // blend colour of mode 32
    PixPatHandle pnPixPat; // or null
    PixPatHandle bkPixPat; // or null
    UInt32 picFlags;       // state opcodes already written, and the pending move (recorder)
    UInt8 picOverflow;     // growing the picture failed; nothing more is recorded
    UInt8 noBuffer;        // the port is never given a pixel buffer
    cairo_surface_t *surface;  // RGB24 image surface holding the pixels, or null
    SInt16 width;          // surface size in pixels, frame margins included
    SInt16 height;
    SInt16 depth;          // bits per pixel: 24 (4 bytes a pixel) or 8 (1 byte); never below 8
    Ptr data;              // first byte of the surface's pixels
    SInt32 rowStride;      // true bytes per row of the surface; every pixel loop uses this
    cairo_t *context;      // cairo context on the surface (text)
    UInt8 translucent;     // owned by the window translucency code
    cairo_surface_t *translucentSurface[2];
    SInt16 marginTop;      // pixels of the window frame kept around the content in the buffer
    SInt16 marginLeft;
    SInt16 marginBottom;
    SInt16 marginRight;
    UInt8 systemDraw;      // set: the port covers its frame margins too
    Ptr effectiveBase;     // address of the pixel the local point portBits.bounds.topLeft maps to
    SInt16 screenV;        // position of the buffer on the screen
    SInt16 screenH;
    Ptr opacity;           // opacity plane of an offscreen image, or null
    PixMapHandle pixMap;   // GetPortPixMap's answer, made on its first call; disposed by ClosePort
    // From here on, a played picture's changes are copied back into the caller's port.
    Rect dirty[kPortDirtySlots];  // changed areas, buffer coordinates; slots fill from the first
    Rect savedRect;        // the frame template's portRect at InitPort
};
typedef GrafPort *GrafPtr;
typedef GrafPtr CGrafPtr;

struct QDGlobals {
    GrafPtr thePort;
    SInt32 randSeed;
    BitMap screenBits;
    Cursor arrow;
    Pattern dkGray;
    Pattern ltGray;
    Pattern gray;
    Pattern black;
    Pattern white;
};
extern QDGlobals qd;

// Value of portBits.baseAddr that marks a port whose pixels are its own buffer.
#define kPortPixelsMarker ((Ptr)1)

// The frame template every new port copies (the application frame's port).
extern GrafPort OrvaFrameGrafPort;
// The effective clip of the current port: visRgn and clipRgn meet, in buffer coordinates.
extern RgnHandle OrvaRgnClip;
extern RgnHandle rgnDesk;  // the desktop region of the window layer

// Scan-line cache of the effective clip, kept by the span fill and read by RectInRgn.
struct ClipCacheRecord {
    SInt16 premLigneSeg;  // first row of the cached band; kRgnMaxCoord: no band
    SInt16 derLigneSeg;   // first row after it
    SInt32 posRgnClip;    // word index in OrvaRgnClip of the next line
    Seglist *seglist_clip;  // the band's line state; grown by the span fill to the clip's size
    SInt32 capacity;        // values seglist_clip has room for, end marker included
};
extern ClipCacheRecord orvaClipCache;

// The video table: pixel operations of the current port, buffer coordinates, right and bottom
// inclusive. Null slots do nothing (reads answer white).
struct VideoOps {
    Boolean (*init)(SInt16 mode);
    void (*fillRect)(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
    void (*getPixel)(SInt16 h, SInt16 v, RGBColor *rgb);
    void (*moveLine)(SInt16 left, SInt16 v, SInt16 right, SInt16 dstH, SInt16 dstV);
};
extern VideoOps video;

void InitGraf(void *globals);                           // OrvaInitGraf (globals, 1)
void OrvaInitGraf(void *globals, SInt16 hardware);      // once per process; later calls do nothing
void SetPort(GrafPtr port);
void GetPort(GrafPtr *port);
void OpenPort(GrafPtr port);   // port zeroed by the caller; new regions, then InitPort
void InitPort(GrafPtr port);   // every field from the frame template, a 24-bit buffer, current
void ClosePort(GrafPtr port);  // frees regions and buffer; the record stays the caller's
void PortSize(SInt16 width, SInt16 height);
void SetOrigin(SInt16 h, SInt16 v);
void MovePortTo(SInt16 dh, SInt16 dv);  // relative move of the screen position
void fixe_fenetre_abs(const Rect *r);
void ClipRect(const Rect *r);
void SetClip(RgnHandle rgn);  // copies rgn into the current port's clipRgn; records Clip
void GetClip(RgnHandle rgn);
void GlobalToLocal(Point *pt);
void LocalToGlobal(Point *pt);
void OrvaRecalculeRgnClip();  // rebuilds the current port's effective clip when marked dirty
void OrvaRecalculeRgnClipPort(GrafPtr port);
void calcule_portclip();      // marks the effective clip dirty (while computing is enabled)
void OrvaEnableComputeClip(Boolean on);
void SetOrvaRgnClip(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void OrvaResetClipCache();
void GetCPixel(SInt16 h, SInt16 v, RGBColor *rgb);  // white outside the clip or without a reader
// The one graphics device: its pixel map is made on the first call; its rectangle follows qd's
// screen bounds below the menu bar. Null without memory.
GDHandle GetGDevice();
extern GDHandle TheGraphicDevice;
extern SInt16 OffsetYMBar;  // height above the screen area given to windows; set by the window layer
Boolean OrvaIsColorPort(GrafPtr port);
Boolean OrvaIsOffscreen(const BitMap *bits);
Ptr OrvaGetPtrDataOffscreen(const BitMap *bits);  // the port's effective base for a marked bitmap

// The bytes a pixel of port takes in its buffer: 4 at depth 24, depth / 8 otherwise.
SInt32 OrvaBytesPerPixel(const GrafPort *port);
// Collected messages, shown together through the error sink at exit.
void OrvaCollecteErreur(const char *message);
void OrvaFlushCollectedErrors();

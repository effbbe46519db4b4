// What page layout draws beside the staves: the free objects of a score (styled texts, images,
// frames and lines placed on a page) and the graphics of a staff (images anchored to a time).
// The records live in handles of the score and the staff; the data and images they point to are
// theirs and are released with them (the score model's layout hooks). Main thread only.
#pragma once

#include "score/score_model.h"

enum : UInt8 {
    kObjetTexte = 0,        // styled text: data holds UTF-8
    kObjetImage = 1,        // an image: data holds the file's bytes in its format
    kObjetCadre = 3,        // a rectangle framed
    kObjetCadreRond = 4,    // an oval framed
    kObjetLigneHorizontale = 9,   // through the rectangle's middle
    kObjetLigneVerticale = 10,
    kObjetLigneOblique = 11,      // from its top-left to its bottom-right corner
};
enum : UInt32 {
    kFormatImagePICT = 1,
    kFormatImageBMP = 2,
    kFormatImagePNG = 3,
    kFormatImageJPEG = 4,
    kFormatImageGIF = 5,
    kFormatImageTIFF = 6,
};
enum : SInt32 { kMaxObjetsLibres = 10000, kMaxGraphiquesPortee = 10000 };

// One free object of a score.
struct FreeObjectRecord {
    UInt8 kind;             // kObjet...
    SInt8 justification;    // texts: 0 left, 1 centred, -1 right
    UInt8 flags[2];         // flags[0]: placed by an importer
    Handle data;            // the record's: text or image bytes, or null
    GrafPtr image;          // the record's: the decoded image, made on first drawing, or null
    UInt16 page;            // from 0, reserved pages counted
    SInt32 rect[4];         // top, left, bottom, right: tenths of a millimetre from the paper's corner
    TextStyleRecord style;  // texts
    UInt32 format;          // images: kFormatImage...
    UInt16 lineWidth;       // frames and lines: tenths of a millimetre, 0 a hairline
    UInt16 colorIndex;      // of the 256-colour palette; 0 draws black
};

// One graphic of a staff: an image anchored to the staff at a time.
struct GraphicRecord {
    UInt32 format;          // kFormatImage...
    Handle data;            // the record's: the image file's bytes, or null
    GrafPtr image;          // the record's: the decoded image, or null
    SInt32 anchor[4];       // top, left, bottom, right: left and right score times, top and bottom
                            // points below the staff's top line at the document's zoom
    SInt16 offsets[2];      // points added to the left and right ends
    UInt8 flag;
    UInt8 unused[3];
};

// Appends a zeroed free object of that kind to the document's current score; its index, or
// -1 (no score, an unknown kind, kMaxObjetsLibres reached, no memory).
SInt32 NewObjetLibre(DocumentRecord *document, UInt8 kind);
FreeObjectRecord *GetObjetLibrePtr(ScoreHandle score, SInt32 index);  // in place until the next change; null outside
void LibereObjetLibre(ScoreHandle score, SInt32 index);  // frees its data and image; later ones move down
SInt32 NbObjetsLibres(ScoreHandle score);
void LibereObjetsLibres(ScoreHandle score);  // all of them (the score model's layout hook)

// Appends a zeroed graphic to the staff; its index, or -1.
SInt32 NewGraphique(StaffHandle staff);
GraphicRecord *GetGraphiquePtr(StaffHandle staff, SInt32 index);  // in place; null outside
void DeleteGraphique(StaffHandle staff, SInt32 index);
SInt32 NbGraphiques(StaffHandle staff);
void LibereGraphiques(StaffHandle staff);  // all of them (the score model's layout hook)

// Draws the free objects of page (from 0) into the current port, pixelsPerTenth pixels a tenth
// of a millimetre, pointPixels pixels a point of text. Images that do not decode are drawn as
// an empty frame.
void TraceObjetsLibresPage(ScoreHandle score, SInt32 page, float pixelsPerTenth, float pointPixels);
// Draws an image's bytes in its format into rect, decoding into *cache once (null cache: each
// time); an empty frame when it does not decode.
void TraceImageFormat(Handle data, UInt32 format, GrafPtr *cache, const Rect *rect);

// Chord diagrams: fret frames placed on a staff, and the general library of chord shapes that
// they are found in by their seal. The library is process-wide (loaded at start-up from
// "Chords.dat", docs/chords-dat.md) and lives until FinObjetsPortee. Main thread only.
#pragma once

#include "staffobjects/chord_names.h"
#include "score/score_model.h"

enum : SInt32 {
    kCordesDiagramme = 6,            // strings a frame shows at most
    kMaxBarresDiagramme = 5,         // dots and barres of a frame
    kMaxDiagrammesBibliotheque = 10000,
    kMaxDiagrammesPortee = 10000,
    kNomDiagrammeTaille = 32,
};
enum : char { kCordeMuette = 'x', kCordeJouee = ' ' };  // string marks; a finger digit otherwise
enum : UInt16 { kDiagrammeCinqCordes = 100 };           // display value of a five-string frame

#pragma pack(push, 1)
// A dot (from == to) or a barre on fret (relative to the first fret: 0 its row, -1 an open string)
// over strings from..to, counted from the lowest string (0) up.
struct BarreRecord {
    SInt8 fret;
    UInt8 from;
    UInt8 to;
};
// The shape of a frame: what the seal covers.
struct DiagramShape {                          // 28 bytes
    UInt8 stringCount;                         // 1..kCordesDiagramme
    UInt8 fretCount;                           // frets drawn, 1..24
    UInt8 firstFret;                           // 1..99: the fret of the frame's first row
    UInt8 barreCount;                          // 0..kMaxBarresDiagramme
    char marks[kCordesDiagramme];              // per string from the lowest: kCordeMuette, kCordeJouee or a finger
    BarreRecord barres[kMaxBarresDiagramme];
    UInt8 reserved[3];                         // zero
};
// A frame on a staff, 128 bytes (StaffRecord::diagrams holds an array of them).
struct ChordDiagramObject {
    UInt32 seal;                               // ScelleDiagrammeAccord of the shape
    ChordRecord chord;
    DiagramShape shape;
    SInt16 libraryIndex;                       // its entry in the library, -1 none
    UInt16 displayValue;                       // kDiagrammeCinqCordes, or 0
    UInt16 flags;                              // display flags, 0
    SInt32 time;                               // score time it stands at
    SInt16 offsets[2];                         // points above (negative) or below the top line: frame, name
    SInt32 width;                              // 1/32 of a point
    SInt32 height;                             // tenths of a point
    char name[kNomDiagrammeTaille];            // UTF-8, zero-terminated: the name shown above it
    UInt8 inUse;
    UInt8 reserved[15];
};
// An entry of the library, 128 bytes.
struct ChordDiagramRecord {
    UInt32 seal;
    ChordRecord chord;
    DiagramShape shape;
    UInt16 displayValue;
    char name[kNomDiagrammeTaille];
    UInt8 reserved[36];
};
#pragma pack(pop)
static_assert(sizeof(BarreRecord) == 3 && sizeof(DiagramShape) == 28, "diagram shapes are stored as bytes");
static_assert(sizeof(ChordDiagramObject) == 128 && sizeof(ChordDiagramRecord) == 128, "diagrams are 128 bytes");
static_assert(std::is_trivially_copyable<ChordDiagramObject>::value, "records in handles are trivially copyable");

// Appends a zeroed frame (in use, library index -1) to the staff and answers its index; -1 past
// kMaxDiagrammesPortee, for a staff that is not live or without memory. Moves memory.
SInt32 NewDiagramme(StaffHandle staff);
ChordDiagramObject *GetDiagrammePtr(StaffHandle staff, SInt32 index);  // in place; null outside
SInt32 GetNbDiagrammes(StaffHandle staff);
// Whether a shape is one a frame can show (counts and frets in range, barres on its strings).
Boolean IsFormeDiagrammeValide(const DiagramShape *shape);
// The 32-bit FNV-1a hash of the diagram's shape bytes (reserved bytes counted as zero): the same
// shape seals alike, and any change of a mark, a fret or the first fret seals differently
// (unless hashes collide). 0 for null.
UInt32 ScelleDiagrammeAccord(const ChordDiagramObject *diagram);
UInt32 ScelleFormeDiagramme(const DiagramShape *shape);

// ---- The library ---------------------------------------------------------------------------------
// The index of the library entry with that seal, -1 when none.
SInt32 RechercheDiagrammeAccordParIdUnique(UInt32 seal);
// Appends an entry (its seal computed from the shape; name may be null) and answers its index; -1
// for an invalid shape, a full library or no memory.
SInt32 CreeAccord(const ChordRecord *chord, const DiagramShape *shape, UInt16 displayValue, const char *name);
SInt32 GetNbDiagrammesBibliotheque();
Boolean GetDiagrammeBibliotheque(SInt32 index, ChordDiagramRecord *entry);  // a copy; false outside
void VideBibliothequeDiagrammes();
// Replaces the library by the diagrams of a "Chords.dat" file of the current folder (its path
// otherwise). A missing file leaves an empty library and answers fnfErr; entries that are
// malformed or past kMaxDiagrammesBibliotheque are passed over, a truncated file keeps the
// entries read whole. noErr otherwise.
OSErr ChargeDiagrammesAccordGeneral(const char *fileName);
// Writes the library in the same form; false when the file cannot be written.
Boolean EcritDiagrammesAccordGeneral(const char *fileName);

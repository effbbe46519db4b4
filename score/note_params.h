// The note-parameter records of a staff: what a note carries beyond its NoteRecord (marks,
// effects, grace notes, the shape of its slur and tie, its beam data and its links). A note
// points at its record by index (NoteRecord::noteParam). Staff objects, engraving and playback
// read and fill them; the model owns their storage. Main thread only.
#pragma once

#include "score/score_model.h"

// ---- MarkRecord: one mark of a note, 284 bytes ----------------------------------------------------
// Importers clear a whole record, set the prepared byte and write fields by offset, so the
// layout is pinned. Offsets are points of a staff of the standard size (a space is 6 points).

enum : UInt8 {
    kMarqueDessous = 0x40,       // placement: below the note; with stemRelative, on the stem's side
    kMarqueAccident = 'c',       // an accidental mark: symbol holds '#', 'b' or 'n'
    kMarqueArpege = 'b',
};

#pragma pack(push, 1)
struct MarkRecord {
    UInt8 type;           // mark type; the music font draws it at U+F100 + type
    UInt8 placement;      // kMarqueDessous; other bits are the importers'
    SInt8 offsetX;        // points, rightward
    SInt8 offsetY;        // points, downward
    UInt8 stemRelative;   // the placement bit means "on the stem's side" rather than "below"
    UInt8 prepared;       // 1 once an importer prepared the record
    UInt8 symbol;         // accidental marks: '#', 'b', 'n' (0 otherwise)
    UInt8 reserved[277];  // zero
};
#pragma pack(pop)
static_assert(sizeof(MarkRecord) == 284, "importers clear and copy 284-byte marks");
static_assert(offsetof(MarkRecord, placement) == 1 && offsetof(MarkRecord, offsetX) == 2 &&
                  offsetof(MarkRecord, offsetY) == 3 && offsetof(MarkRecord, stemRelative) == 4 &&
                  offsetof(MarkRecord, prepared) == 5 && offsetof(MarkRecord, symbol) == 6,
              "mark offsets that importers use");

// ---- Links: ties, slurs and beams between two notes ----------------------------------------------
// Both ends hold an entry with the same id; the source entry names the destination's staff and
// the destination entry the source's. A note is the source of at most one link of each kind and
// the destination of at most one.

enum : UInt8 { kLiaisonCoule = 0, kLiaisonAccroche = 1 };      // tie or slur; beam
enum : UInt8 { kLiaisonVide = 0, kLiaisonSource = 1, kLiaisonDestination = 2 };
enum : SInt32 { kLiaisonsParNote = 4 };                        // {source, destination} x {kind 0, 1}

struct LinkEntry {
    UInt8 kind;           // kLiaisonCoule, kLiaisonAccroche
    UInt8 role;           // kLiaisonVide (free slot), kLiaisonSource, kLiaisonDestination
    UInt16 otherStaff;    // unique id of the staff holding the other end; 0: this staff
    UInt32 id;            // staff index x 65536 + counter, the same at both ends
};

// The tie data block of the note a tie starts from, 13 bytes. Offsets and lengths are points
// of a standard staff; the curvature is in hundredths of a point, negative bulging upward.
enum : UInt32 { kCouleAutomatique = 0, kCouleForme = 2 };  // drawing mode

#pragma pack(push, 1)
struct TieDataRecord {
    UInt32 mode;          // kCouleAutomatique: shaped when drawn; kCouleForme: by the fields below
    UInt8 shape;          // 4, 5, 8, 9: the stems and chord of the notes it joins (informative)
    SInt8 startY;         // start below (+) or above (-) the middle of the first head
    SInt16 tension;       // thousandths: the control points stand (1000 - tension) / 2000 in from the ends
    SInt16 curvature;     // height of the control points off the chord, hundredths of a point
    SInt8 endX;           // added to the end's x
    SInt8 endY;           // end below (+) or above (-) the middle of the last head
    UInt8 flag;           // 0
};
// The beam data block of a note that starts a beam, 5 bytes.
enum : SInt16 { kAccrocheAutomatique = -1 };
enum : UInt8 { kAccrochePlate = 1 };  // flags: the beam is drawn level
struct BeamDataRecord {
    SInt16 startHeight;   // stem length at the first note, points; kAccrocheAutomatique
    SInt16 endHeight;     // stem length at the last note, points; kAccrocheAutomatique
    UInt8 flags;          // kAccrochePlate
};
#pragma pack(pop)
static_assert(sizeof(TieDataRecord) == 13 && sizeof(BeamDataRecord) == 5, "tie and beam blocks");

// ---- NoteEffectRecord --------------------------------------------------------------------------

enum : SInt32 { kMaxAppoggiatures = 10, kMaxParamsNotes = 0xFFFE, kMaxMarquesNote = 64 };
enum : UInt8 { kAppoggiatureAvant = 0, kAppoggiatureApres = 1 };

#pragma pack(push, 1)
struct GraceEntry {      // 7 bytes
    UInt8 used;
    UInt8 placement;     // kAppoggiatureAvant, kAppoggiatureApres
    SInt8 interval;      // semitones from the main note
    UInt8 accidental;    // accidental code and flags, as a note's
    UInt8 noteType;      // 0 eighth, 1 16th, 2 32nd, 3 64th, 4 128th
    UInt8 velocity;      // 255: the main note's
    UInt8 spare;
};
#pragma pack(pop)

struct NoteEffectRecord {
    Handle marks;                 // MarkRecord[], or null; owned with the record
    // Effects played (staff objects and playback own their meaning).
    UInt8 vibrato;
    UInt8 vibratoMark[8];
    UInt8 tremolo;
    UInt8 tremoloMark[8];
    UInt8 velocityShaping;
    SInt16 shapingLengths[2];
    UInt16 shapingPercents[3];
    UInt8 bend;
    UInt8 bendKind;
    UInt8 bendStart;              // 1/256 of the note
    SInt16 bendAmount;
    SInt16 bendReturn;
    SInt16 slide;
    // Grace notes.
    UInt8 grace;                  // the entries below are in use
    GraceEntry graces[kMaxAppoggiatures];
    UInt16 graceShare;            // time the group takes, 1/512 of its nominal length
    UInt8 graceSize;              // percent of the normal size (0: the engraver's 60)
    UInt8 graceSlurred;
    UInt8 graceSlash;
    UInt8 graceStemDown;
    // Trill and arpeggio.
    UInt8 trill;
    UInt8 trillAccidental;
    UInt8 trillUpperFirst;
    UInt8 trillSpeed;
    UInt8 trillShare;             // percent
    SInt16 arpeggio[3];           // [0] 1: downward, [1] non-zero: spread, [2] spread time
    UInt8 arpeggioDirectionGiven;
    // The slur starting at the note: start offsets (x, y), control values (tension in
    // thousandths, height in hundredths of a point, negative upward), end offsets (x, y).
    SInt8 slurStart[2];
    SInt16 slurControl[2];
    SInt8 slurEnd[2];
    UInt8 slurThickness;          // tenths of a point at the middle; 0 the default
    // Links, the tie starting here and the beam starting here (engraving).
    LinkEntry links[kLiaisonsParNote];
    TieDataRecord tie;
    BeamDataRecord beam;
};

static_assert(std::is_trivially_copyable<NoteEffectRecord>::value && std::is_trivially_copyable<MarkRecord>::value,
              "records in handles are trivially copyable");

// The note's record in place (valid until the next record or mark is added); null without one
// or for an index outside the staff.
NoteEffectRecord *GetParamEffetIndexNote(StaffHandle staff, SInt32 index);
// The note's record, made zeroed (beam heights automatic) when it has none; null for an index
// outside the staff, past kMaxParamsNotes records or without memory. Moves memory.
NoteEffectRecord *CreeParamEffetIndexNote(StaffHandle staff, SInt32 index);
// Appends a copy of mark to the note's marks (making its record); the mark's index, or -1
// (index outside, kMaxMarquesNote reached, no memory).
SInt32 AjouteMarqueNote(StaffHandle staff, SInt32 index, const MarkRecord *mark);
SInt32 GetNbMarquesNote(StaffHandle staff, SInt32 index);  // 0 without a record
// A copy of the note's mark at position mark; false (and a zeroed copy) when there is none.
Boolean GetMarqueNote(StaffHandle staff, SInt32 index, SInt32 mark, MarkRecord *out);
// Frees the handles the staff's records hold, then the records; the model calls it when it
// disposes the staff.
void LibereParamsNotes(StaffHandle staff);

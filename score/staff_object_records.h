// Records that staves hold for their staff objects and that engraving, the staff objects,
// the importers and playback share: dynamics objects (marks, hairpins, octave shifts, tempo
// and pedal marks) and the note-parameter record of a note (grace notes, trills, arpeggios,
// links). Plain bytes: they live in handles that move.
#pragma once

#include <type_traits>

#include "score/music_records.h"

// ---- DynamicsObject: the staff's `dynamics` handle holds `dynamicsCount` of them ----------------

enum : UInt32 {
    kDynamiqueCrescendo = 1,    // hairpins
    kDynamiqueDecrescendo = 2,
    kDynamiquePPP = 3,          // 3..10: ppp pp p mp mf f ff fff
    kDynamiqueFFF = 10,
    kDynamiqueTempo = 22,       // a tempo mark
    kDynamiquePedaleDebut = 23,
    kDynamiquePedaleFin = 24,
};
enum : SInt32 { kDynamiqueTexteTaille = 512 };
enum : UInt16 { kTempoPourcentNormal = 100 };

struct DynamicsObject {
    UInt32 kind;                        // kDynamique..., or another mark kind of the importers
    char text[kDynamiqueTexteTaille];   // NUL-terminated, from its start
    UInt8 inUse;                        // 1
    UInt8 above;                        // drawn above the staff
    SInt32 start;                       // score units
    SInt32 end;
    SInt32 top;                         // vertical extent, the importers' drawing units
    SInt32 bottom;
    SInt16 startOffset;                 // horizontal offsets, points
    SInt16 endOffset;
    UInt16 startVelocity;               // percent: a mark's level; a hairpin's start and end
    UInt16 endVelocity;
    UInt16 tempoWhole;                  // a tempo mark: beats a minute, whole part (1..5000)
    UInt16 tempoHundredths;             //   and hundredths (others: 65535 and 16383)
    UInt16 tempoPercent;                // 100
    SInt32 beatUnit;                    // score units of the tempo's beat (40320 a quarter)
    SInt32 beatUnitGiven;               // 1 when beatUnit was written with the mark
    UInt8 placed;                       // set on every object an importer makes
};

// ---- NoteEffectRecord: a note's parameters; its `noteParam` indexes the staff's `noteParams` ---

enum : SInt32 { kMaxAppoggiatures = 10, kMaxLiensNote = 4 };
enum : UInt8 { kAppoggiatureAvant = 0, kAppoggiatureApres = 1 };  // GraceEntry placement
enum : UInt8 { kVelociteDeLaNote = 255 };                          // GraceEntry velocity: the note's
enum : UInt8 { kLienCouleOuLiaison = 0, kLienPoutre = 1 };         // NoteLinkRecord kind
enum : UInt8 { kLienSource = 0, kLienDestination = 1 };            // NoteLinkRecord role

// One grace note, 7 bytes.
struct GraceEntry {
    UInt8 used;
    UInt8 placement;     // kAppoggiature...
    SInt8 interval;      // semitones from the main note
    UInt8 accidental;    // accidental code shown
    UInt8 noteType;      // written value: 0 whole, 1 half, 2 quarter, 3 eighth ... 7 128th
    UInt8 velocity;      // 1..127, or kVelociteDeLaNote
    UInt8 unused;
};
static_assert(sizeof(GraceEntry) == 7, "grace entries are 7 bytes");

// One end of a tie, slur or beam: the other end carries the same id.
struct NoteLinkRecord {
    UInt8 kind;          // kLien...
    UInt8 role;          // kLienSource or kLienDestination
    UInt16 otherStaff;   // unique id of the staff of the other end
    UInt32 id;           // staff unique id x 65536 + counter; 0: an empty slot
};

struct NoteEffectRecord {
    Handle marks;                        // MarkRecords of the note, or null
    UInt8 vibrato, tremolo;              // switches
    UInt8 vibratoMark[8], tremoloMark[8];
    UInt8 shaping;                       // velocity shaping: switch, two lengths, three percents
    SInt16 shapingLengths[2];
    UInt16 shapingPercents[3];
    UInt8 bend, bendKind;                // bend: switch, kind, start (1/256 of the note),
    UInt16 bendStart;                    //   amount and return (hundredths of a semitone)
    SInt16 bendAmount, bendReturn;
    SInt16 slide;                        // slide amount
    UInt8 grace;                         // grace notes switch
    GraceEntry graces[kMaxAppoggiatures];
    UInt16 graceShare;                   // time the group takes from the note, 128th notes (1260 units)
    UInt8 trill;                         // trill switch
    UInt8 trillAccidental;               // 32 flat, 33 sharp, 34 natural upper note; else the key's
    UInt8 trillUpperFirst;
    UInt16 trillSpeed;                   // length of one trill note, 1/256 of a quarter (0: a 32nd)
    UInt16 trillShare;                   // percent of the note that trills (0: all of it)
    SInt16 arpeggio[3];                  // arpeggio values
    UInt8 arpeggioDirection;             // direction given
    UInt8 size;
    UInt8 slurred, slash, stemDown;
    SInt8 slurStart[2];                  // slur shape: start offsets,
    SInt16 slurControl[2];               //   control values,
    SInt8 slurEnd[2];                    //   end offsets
    NoteLinkRecord links[kMaxLiensNote]; // ties, slurs and beams starting or ending here
};

static_assert(std::is_trivially_copyable<DynamicsObject>::value &&
                  std::is_trivially_copyable<NoteEffectRecord>::value,
              "records in handles are trivially copyable");

// The musical records of the score model that engraving, layout, playback and the importers
// share: notes, time and key signatures, clefs and their changes, the measure table's entries,
// instruments, part groups and text styles. Records that importers copy whole or write by
// offset are packed and pinned below; the others take their natural layout.
// Score time: 161280 units to a whole note (a quarter is 40320).
#pragma once

#include <cstddef>
#include <type_traits>

#include "platform/core/mac_types.h"

static_assert(sizeof(float) == 4, "the model's floats are 32-bit");

// ---- Units and limits ---------------------------------------------------------------------------

enum : SInt32 {
    kTempsRonde = 161280,   // a whole note
    kTempsNoire = 40320,    // a quarter note
    kTempsMax = 0x3FFFFFFF,  // latest time a note may start or end; keeps sums within 32 bits
    kMaxPortees = 512,      // staves of a score
    kMaxMesures = 32000,    // measures of a score
    kMaxNotesPortee = 1000000,  // notes of one staff
    kMaxInstruments = 4096,
    kMaxPartGroups = 1024,
    kMaxChangementsPortee = kMaxMesures,  // key and clef changes of one staff
};

// Accidental codes: a note's accidental byte, a key's tonic accidental and the displayed
// accidental of CalcPosAlterationFnNote. A key's degree bytes use 0 (none), 1 and 3.
enum : UInt8 {
    kAlterationBecarre = 0,
    kAlterationDiese = 1,
    kAlterationAucune = 2,
    kAlterationBemol = 3,
    kAlterationDoubleDiese = 4,
    kAlterationDoubleBemol = 5,
    kAlterationCode = 0x07,       // the code in a note's accidental byte
    kAlterationMontree = 8,       // shown although the key needs none
    kAlterationEditoriale = 16,   // editorial or in parentheses
    kAlterationCachee = 32,       // hidden although the key would show one
};

// ---- NoteRecord: one note, rest or chord member of a staff, 82 bytes --------------------------
// Owners: the score model keeps the order, the chain bit, the time and the id; importers and
// the engraver fill the rest. Bytes 36..81 are zero and free for later use (the record is
// copied whole by importers, so its size stays).

enum : SInt8 { kPitchSilence = -1, kPitchSuiteAccord = -2, kPitchRepetitionMesure = -3 };
enum : UInt8 {
    kAccordChaine = 0x01,        // chained to the next note of the chord (the model's)
    kAccordGroupe = 0x02,        // grouped with the next note: the beam continues
    kAccordHampeBas = 0x04,      // stem down
    kAccordSilenceAjoute = 0x08,  // a rest not made from a rest element
};
enum : UInt16 { kAucunParametreNote = 0xFFFF };

#pragma pack(push, 1)
struct NoteRecord {
    SInt8 pitch;            // MIDI 0..127; kPitchSilence, kPitchSuiteAccord, kPitchRepetitionMesure
    UInt8 velocity;         // 0..127
    UInt8 chordFlags;       // kAccord... bits
    UInt8 restOrigin;       // bit 2: a rest made from a rest element (during an import only)
    UInt8 accidental;       // code 0..5 + kAlterationMontree/Editoriale/Cachee
    UInt8 unused5;
    UInt32 duration;        // score units, above 0
    UInt16 release;         // percent of the duration that sounds (100)
    SInt16 attack;          // attack offset, 1/256 of a quarter
    UInt16 noteParam;       // index of the note's NoteEffectRecord (staff objects), or kAucunParametreNote
    UInt8 notehead;         // notehead shape code (engraving)
    UInt8 fret;             // tablature
    UInt8 string;           // tablature, from 0
    SInt8 stemLength;       // engraving
    UInt8 stemDirection;    // 0 automatic, 1 down, 2 up
    SInt8 restPosition;     // vertical place of a rest, 3 units a diatonic step (engraving)
    SInt8 offsetX;          // horizontal offset, quarter points; 100 on a measure-repeat sign
    UInt8 tuplet;           // actual notes in the low 4 bits, normal notes x 16
    UInt8 tupletBracket;    // bit 1 straight, bit 2 curved
    UInt8 cue;              // 'F' for a cue-size note
    UInt8 stemTip;          // stem tip height, 21 to the octave, 0 automatic (engraving)
    UInt8 unused27;
    SInt32 time;            // start, score units (the model's)
    UInt32 id;              // stable identity within its staff, from 1 (the model's)
    UInt8 reserved[46];
};
#pragma pack(pop)
static_assert(sizeof(NoteRecord) == 82, "importers copy 82-byte notes");
static_assert(offsetof(NoteRecord, chordFlags) == 2 && offsetof(NoteRecord, duration) == 6 &&
                  offsetof(NoteRecord, stemTip) == 26 && offsetof(NoteRecord, time) == 28 &&
                  offsetof(NoteRecord, id) == 32,
              "note offsets that importers use");

// ---- TimeSignature, 30 bytes -------------------------------------------------------------------
// Owners: importers fill it; the model derives each measure's length from numerator/denominator;
// the engraver reads the displayed fields and the beam mask.

enum : UInt16 { kSansDenominateurAffiche = 0xFFFF };
enum : SInt32 { kMasqueAccrocheOctets = 16 };  // 128 beats

#pragma pack(push, 1)
struct TimeSignature {
    SInt16 numerator;           // real count of beats, 1..128
    SInt16 denominator;         // beat unit, 1..128 (a power of two in practice)
    SInt16 shownNumerator;      // first displayed number
    SInt16 shownSecond;         // second summand of a composite signature, 0 when none
    UInt16 shownDenominator;    // kSansDenominateurAffiche: shown without one
    UInt8 symbol;               // 1: the common-time (4/4) or cut-time (2/2) sign
    UInt8 unused11;
    UInt8 beamMask[kMasqueAccrocheOctets];  // bit k (byte k/8, bit k%8): a beam group starts on beat k
    UInt16 unused28;
};
#pragma pack(pop)
static_assert(sizeof(TimeSignature) == 30, "importers clear and fill 30-byte signatures");

// ---- KeySignature -------------------------------------------------------------------------------
// Owners: the model builds standard keys (CvtTonaliteStdEnTonalite); importers may set degrees.

enum : UInt32 { kModeMineur = 0, kModeMajeur = 1 };
enum : UInt32 { kTonalitesStandard = 15 };  // standard key numbers 0..14

struct KeySignature {
    UInt8 degrees[7];        // C..B: 0 none, kAlterationDiese, kAlterationBemol
    UInt8 tonicDegree;       // 0..6, C = 0
    UInt8 tonicAccidental;   // accidental code of the tonic
    UInt32 mode;             // kModeMajeur, else minor
    UInt32 kind;             // standard key number 0..14 (0 none, 1..7 sharps, 8..14 flats)
};
static_assert(offsetof(KeySignature, degrees) == 0, "the degree bytes come first");

// ---- ClefRecord ---------------------------------------------------------------------------------

enum : UInt8 { kCleSol = 1, kCleFa = 2, kCleUt = 3 };

struct ClefRecord {
    UInt8 kind;         // kCleSol, kCleFa, kCleUt
    SInt8 lineOffset;   // lines from the clef's standard line (G 2nd, F 4th, C 3rd from the bottom)
    SInt8 octave;       // octaves added to the base note (-2..2)
    UInt8 size;         // percent: 100, or 75 for a change inside a measure
    SInt16 baseNote;    // MIDI pitch the clef names: G 67, F 53, C 60
};

// ---- KeyClefChange: the key and clef of a staff from a measure on -------------------------------
// Kept per staff, sorted by measure, the first at measure 0. Each entry holds the whole state in
// force from its measure on; flags tell which part changes there.

enum : UInt8 { kChangeTonalite = 1, kChangeCle = 2 };

struct KeyClefChange {
    SInt32 measure;
    UInt8 changes;       // kChangeTonalite | kChangeCle
    KeySignature key;
    ClefRecord clef;
};

// ---- MeasureElement: one entry of a score's measure table, 108 bytes ---------------------------
// Owners: the model keeps time, length, signature, numbering and the plain pixel rule; page
// layout owns the scales, minimum gap and the three pixel widths (through its spacing hook);
// importers set the break flags and margins.

enum : UInt8 { kCacheTonalite = 1, kCacheCle = 2, kCacheDivision = 4 };  // hiddenMask bits
enum : UInt8 { kMesureHorsNumerotation = 1, kMesureNotesCoupees = 2 };   // state bits

#pragma pack(push, 1)
struct MeasureElement {
    UInt16 widthScale;      // per mille, 1000 normal (layout)
    UInt8 hiddenMask;       // what the measure does not show: kCache... bits
    UInt8 systemBreak;      // a line of music ends at this measure
    UInt8 breakForbidden;   // no line or page may end here
    UInt8 pageBreak;        // a page ends at this measure
    SInt32 start;           // score units (times)
    SInt32 length;          // score units, from the signature
    UInt8 state;            // kMesureHorsNumerotation | kMesureNotesCoupees
    UInt8 unused15;
    TimeSignature signature;
    SInt16 minimumGap;      // layout: smallest gap between notes, points
    UInt16 unused48;
    float scale;            // layout: width scale per mille as a float (1000.0)
    SInt16 leftMargin;      // layout: points added before the first note (-1 default)
    SInt16 rightMargin;     // layout: points added after the last note (-1 default)
    UInt16 shownNumber;     // displayed measure number, 0 for a measure not counted (layout mask)
    SInt16 pixelsDpi;       // resolution of the pixel fields
    SInt32 x;               // pixels from the start of the first measure (pixels mask)
    SInt32 width;           // start margin + proportional + end margin
    UInt8 unused70[8];
    SInt32 startMarginPixels;   // clef, key, signature room
    SInt32 proportionalPixels;  // the notes' room, proportional to the length
    SInt32 endMarginPixels;     // bar line room
    UInt8 reserved[18];
};
#pragma pack(pop)
static_assert(sizeof(MeasureElement) == 108, "importers index 108-byte measure elements");
static_assert(offsetof(MeasureElement, systemBreak) == 3 && offsetof(MeasureElement, breakForbidden) == 4 &&
                  offsetof(MeasureElement, pageBreak) == 5 && offsetof(MeasureElement, signature) == 16 &&
                  offsetof(MeasureElement, minimumGap) == 46 && offsetof(MeasureElement, scale) == 50 &&
                  offsetof(MeasureElement, startMarginPixels) == 78 &&
                  offsetof(MeasureElement, proportionalPixels) == 82 &&
                  offsetof(MeasureElement, endMarginPixels) == 86,
              "measure offsets that importers use");

// ---- TextStyleRecord: the style of a name, title or text -------------------------------------

struct TextStyleRecord {
    SInt16 font;       // font id
    SInt16 face;       // style bits (128 set by importers)
    SInt16 size;       // points
    RGBColor color;
};

// ---- InstrumentRecord: one instrument of a score ----------------------------------------------
// Owners: importers fill identity and MIDI data; playback and the mixer set the in-use byte,
// the source code and the volume/pan they change.

enum : SInt32 { kNomInstrumentTaille = 80 };

struct InstrumentRecord {
    UInt8 inUse;            // the instrument's sound data is loaded (playback)
    UInt8 unpitched;        // a drum: transposition holds the drum key
    UInt8 volumeGiven;
    UInt8 panGiven;
    UInt8 volumeChanged;    // volume rescaled for singing
    UInt8 extendedId;       // the ABC private directive's identifier is above 19999
    SInt16 transposition;   // semitones; the drum key when unpitched
    UInt32 kind;            // 6 MusicXML, 9 ABC private directive; playback's source code
    char name[kNomInstrumentTaille];  // MacRoman, NUL-terminated (79 characters)
    SInt16 channel;         // MIDI channel 1..16
    SInt16 program;         // 0..127
    SInt16 bank;            // 0..127
    SInt16 volume;          // 0..127
    SInt16 pan;             // 0..127, 64 centre
    SInt16 setting;         // the ABC private directive's first number
    SInt32 standardId;      // program x 100 + bank x 10
    UInt32 soundId;         // sound-bank resource id
};

// ---- PartGroupRecord: a brace or bracket over a range of staves ----------------------------------

enum : SInt16 { kGroupeAccolade = 0, kGroupeCrochet = 1, kGroupeLigne = 4, kGroupeAutre = 5 };

struct PartGroupRecord {
    SInt16 kind;            // kGroupe...
    SInt16 barlines;        // 0 none, 1 bar lines through the group, 2 between the staves only
    SInt16 firstStaff;      // staff indices, first <= last
    SInt16 lastStaff;
    SInt16 x;               // horizontal position, points left of the system
    Handle longName;        // UTF-8, NUL-terminated; null for none (staff objects may restyle it)
    Handle shortName;
    TextStyleRecord longNameStyle;
    TextStyleRecord shortNameStyle;
    SInt32 importKey;       // kept by an importer while the group is open
};

// ---- GraphicModeRecord: how scores are drawn by default --------------------------------------------

struct GraphicModeRecord {
    UInt16 mode;        // 0 standard drawing
    UInt8 smoothing;    // anti-aliased lines and text
    UInt8 colouredNotes;  // notes drawn in their voice colours
};

// Records live in handles, which the memory manager moves: plain bytes only.
static_assert(std::is_trivially_copyable<NoteRecord>::value && std::is_trivially_copyable<MeasureElement>::value &&
                  std::is_trivially_copyable<KeyClefChange>::value &&
                  std::is_trivially_copyable<InstrumentRecord>::value &&
                  std::is_trivially_copyable<PartGroupRecord>::value,
              "records in handles are trivially copyable");

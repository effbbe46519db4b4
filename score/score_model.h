// The score model: documents, scores and staves, and the calls that create, change and dispose
// them. Importers build scores only through these calls; engraving, layout and playback read
// the records. Main thread only; nothing here is guarded.
#pragma once

#include "score/music_records.h"
#include "toolbox/toolbox_services.h"

struct StaffRecord;
struct ScoreRecord;
struct DocumentRecord;
struct StaffTypeOps;
typedef StaffRecord *StaffPtr;
typedef StaffPtr *StaffHandle;
typedef ScoreRecord *ScorePtr;
typedef ScorePtr *ScoreHandle;

// Staff types named by the Parts; others may be registered (score/staff_types.h).
enum : UInt32 {
    kPorteeStandard = 0,
    kPorteeRythmique = 2,   // notes snap to a 64th-note grid (2520 units)
    kPorteeParoles = 3,
    kPorteeTempo = 4,       // kept out of the mixer
    kPorteeTablature = 7,
    kPorteePercussion = 8,
    kPorteeGregorienne = 9,
    kPorteeAudio = 10,      // digital audio track
    kPorteeMetronome = 0xFFFFFFFF,
};
enum : SInt32 { kGrilleRythmique = 2520 };
enum : UInt16 { kToutesPortees = 65535 };  // "every staff" where a staff selection is asked

// ---- StaffRecord --------------------------------------------------------------------------------
// Natural layout: it holds handles. Each group says which capability owns its fields; the model
// creates every handle-valued field it owns and disposes all of them with the staff (the others
// through the disposal hook of score/score_hooks.h).

struct StaffRecord {
    // Identity (model)
    UInt16 uniqueId;            // unique within its score, from 1
    SInt16 index;               // place in the score's staff array
    ScoreHandle score;
    Handle longName;            // UTF-8, NUL-terminated, or null (SetNomPortee)
    Handle shortName;
    TextStyleRecord longNameStyle;   // layout reads; importers copy them into part groups
    TextStyleRecord shortNameStyle;
    SInt32 namesOffset;         // layout: horizontal offset of the names, cleared by importers
    // Kind (model; the row comes from the staff-type registry)
    UInt32 type;                // kPortee...
    const StaffTypeOps *ops;    // never null once the staff is initialised
    UInt32 generatedKind;       // 0 ordinary; 4, 5, 6 generated from sourceStaff (staff objects)
    UInt16 sourceStaff;
    UInt8 mergeMode;            // 0 alone, 2 merged with its neighbours into one displayed staff
    UInt8 continuedByNext;      // the next staff continues this merge group
    SInt16 mergeOffset;
    UInt16 noteheadMode;        // 2: shape notes
    // Content (model: notes and key/clef changes; the other handles belong to their capability)
    SInt32 noteCount;
    Handle notes;               // NoteRecord[capacity]; capacity = size / sizeof(NoteRecord)
    UInt32 nextNoteId;
    SInt32 changeCount;
    Handle changes;             // KeyClefChange[changeCount], sorted, the first at measure 0
    Handle noteParams;          // staff objects: NoteEffectRecord array
    SInt32 dynamicsCount;
    Handle dynamics;            // staff objects: DynamicsObject array
    Handle texts;               // staff objects: text objects
    Handle diagrams;            // staff objects: chord diagrams
    Handle curves;              // staff objects: automation curves
    Handle tablature;           // staff objects: the tablature record
    Handle links;               // engraving: ties, slurs and beam links
    Handle graphics;            // layout: staff graphics
    Collection collection;      // importers' tagged items; created on first use
    // Geometry (engraving and layout; the model sets the defaults)
    SInt16 lineCount;           // 5
    UInt16 shownLines;          // bit k: line k drawn (16 lines)
    SInt16 firstLine;
    SInt16 lastLine;
    SInt16 verticalReference;   // y of the reference line, points
    float lineSpacing;          // points between lines
    SInt16 size;                // 72 is the normal size
    SInt16 height;              // points (CheckHauteurPortee, SetHauteurPortee)
    float spacing;              // layout: size x 6 x resolution / 5184
    SInt16 band;                // layout: height of the staff's band and its zoomed forms
    SInt16 bandZoom;
    SInt16 bandRibbon;
    SInt16 topOffset;           // layout: depth of the staff in its band and its zoomed forms
    SInt16 topOffsetZoom;
    SInt16 topOffsetRibbon;
    SInt16 positions[3];        // layout: positions that follow the top offset
    UInt8 beamThickness;        // engraving, 0..31
    UInt8 printable;            // layout: 1 printed
    UInt8 visible;              // 1 shown
    UInt8 modified;
    // Lyrics (staff objects)
    UInt8 karaoke;              // a lyrics staff
    UInt8 verseLineCount;
    UInt8 karaokeSettings[8];
    TextStyleRecord karaokeStyle;
    Handle textLines[2];        // text line 1 lyrics, 2 chord symbols: cells (staff objects)
    UInt8 textLineEnabled[2];
    // Playback and mixer
    SInt16 instrument;          // index in the score's instruments, -1 none
    UInt8 heard[2];             // playback: the staff is heard (left, right flags)
    UInt8 joinedToNext;         // mixer: one strip with the next staff
    UInt8 ownLevels;            // the staff carries its own volume and pan
    SInt16 volume;              // 0..127, 127; also the sung track's
    SInt16 pan;                 // 0..127, 64
    Handle velocityCurve;       // playback: the staff's dynamics as a curve (sound/dynamics_play.h)
    // Singing (the singer's)
    UInt8 singing;              // singing switch
    UInt8 singNoteNames;
    UInt8 sung;
    UInt8 configured;           // has its voice record
    UInt8 computed;             // its stream is complete
    UInt8 recompute;
    UInt8 expressionLoaded;
    UInt32 singingLanguage;     // 0 unknown, else 1..11
    Handle voiceParams;         // VoiceParams, released through the singer hook
    SInt16 stream;              // audio stream of the sung track, 0 none
    SInt32 lyricNoteCount;
    Handle lyricNotes;          // NoteRecord array
    Handle expression;
};

// ---- ScoreRecord ----------------------------------------------------------------------------------

enum : UInt8 { kTabEltPixels = 1, kTabEltMiseEnPage = 2, kTabEltTemps = 4, kTabEltTout = 7 };

struct ScoreRecord {
    DocumentRecord *document;
    // Staves, instruments, groups (model)
    SInt16 staffCount;
    Handle staves;              // StaffHandle[staffCount]
    UInt16 nextStaffId;
    SInt16 instrumentCount;
    Handle instruments;         // InstrumentRecord[instrumentCount]
    SInt16 partGroupCount;
    Handle partGroups;          // PartGroupRecord[partGroupCount]
    // Measure table (model)
    SInt32 measureCount;
    Handle measures;            // MeasureElement[measureCount]
    UInt8 pendingMask;          // kTabElt... parts waiting for UpdateTabEltMesure
    SInt16 suspendCount;        // DisableCalculTabElt nesting
    SInt16 pixelsDpi;           // resolution the pixel fields were last computed for
    // Tempo and playing (playback owns the tables)
    SInt16 tempo;               // quarter notes per minute
    UInt16 tempoFraction;       // 1/65535 of a quarter per minute
    SInt32 ruptureCount;
    Handle ruptures;            // RuptureRecord array (score/ruptures.h)
    SInt32 playedCount;
    Handle playedMeasures;      // playback: the played-measure table (score/played_measures.h)
    Handle tempoMapPlayed;      // playback: TempoSegment arrays, built on demand (score/tempo_map.h)
    Handle tempoMapWritten;
    SInt32 firstPlayedMeasure;
    UInt8 customPlay;
    UInt8 selectionPlay;        // only a selection is played
    UInt8 loop;
    UInt8 playVisibleViewOnly;
    SInt32 selectionFirstPart;
    SInt32 selectionLastPart;
    SInt32 selectionStart;      // score units
    SInt32 selectionEnd;
    UInt8 metronome;            // the metronome is on
    UInt8 engraverOn;           // engraving settings below apply
    UInt8 adaptScale;
    UInt8 unused;
    Collection collection;      // importers' tagged items ('bnum'); created on first use
    // Engraving settings (engraving; importers set them)
    SInt16 stemWidth;
    SInt16 staffLineWidth;
    SInt16 lightBarWidth;
    SInt16 heavyBarWidth;
    SInt16 ledgerWidth;
    SInt16 enclosureWidth;
    SInt16 graceSize;
    // Display (layout)
    SInt16 resolution;          // dots per inch of the ribbon, 72
    float zoom;                 // 72.0 after loading in the plug-in
    SInt16 screenMode;          // 0 pages, 2 as the plug-in loads
    SInt16 outputDpi;
    SInt32 layoutState;         // layout: set to 1 once an imported page layout applies
    GraphicModeRecord graphicMode;
    SInt32 freeObjectCount;
    Handle freeObjects;         // layout: FreeObjectRecord array
    // Naming
    SInt16 noteNaming;          // 1 selects the second naming
    UInt8 semitoneDegrees[12];  // pitch class to diatonic degree
};

// ---- DocumentRecord ------------------------------------------------------------------------------
// Allocated zeroed by its creator (NewPtrClear), which disposes it after VideDocument.

enum : SInt32 {
    kNomDocumentTaille = 780,
    kTexteTitreTaille = 1024,
    kTexteInfoTaille = 1024,
    kPagesMiseEnPage = 5,
    kBlocMiseEnPage = 1586,
    kMaxPartitionsDocument = 64,
};

#pragma pack(push, 1)
// A title slot: title, composer or poet, with its place on the first page.
struct TitleSlot {
    char text[kTexteTitreTaille];  // UTF-8, NUL-terminated
    SInt16 justification;          // 0 left, 1 centre, -1 right
    TextStyleRecord style;         // 12 bytes
    UInt16 unused;
    SInt32 vertical;               // tenths of a millimetre from the top margin
    SInt32 horizontal;             // tenths of a millimetre, by the justification
};
// One page layout: the header the importers fill, then two blocks that page layout owns.
struct PageLayoutRecord {
    SInt32 paperWidth;             // 1/72 inch
    SInt32 paperHeight;
    SInt32 marginLeft;             // tenths of a millimetre
    SInt32 marginTop;
    SInt32 marginRight;
    SInt32 marginBottom;
    SInt16 reservedPages;
    UInt8 flags[2];                // importers: [0] print-object "no" seen, [1] layout applied
    UInt8 unused[28];
    UInt8 blocks[2][kBlocMiseEnPage];
};
#pragma pack(pop)
static_assert(sizeof(TitleSlot) == 1048, "title slots are 1048 bytes");
static_assert(sizeof(PageLayoutRecord) == 3228 && offsetof(PageLayoutRecord, blocks) == 56,
              "page layouts are 3228 bytes with their blocks at 56 and 1642");

// The page setup: paper, margins and the print resolution (page layout reads and completes it).
struct PageSetupRecord {
    SInt16 mode;                   // 0 standard paper, 3 custom paper
    SInt16 hRes;                   // dots per inch
    SInt16 vRes;
    SInt32 paperRect[4];           // top, left, bottom, right in points
    SInt32 margins[4];             // left, top, right, bottom in tenths of a millimetre
    SInt32 pageWidth;              // at the print resolution
    SInt32 pageHeight;
};

struct DocumentRecord {
    // Scores (model)
    SInt16 scoreCount;
    Handle scores;                 // ScoreHandle[scoreCount]
    ScoreHandle score;             // the current score
    WindowPtr window;              // the progress dialog; the creator's
    OSType format;                 // "LMX ", "ZLMX" ...; 0 native
    UInt8 imported;
    UInt8 newVersion;              // the file needs a newer reader (storage sets it)
    SInt16 soundBankLevel;
    char name[kNomDocumentTaille];
    char containerName[kNomDocumentTaille];
    // Playing
    SInt16 volumeScale;            // 64 for imported documents
    SInt32 resumePosition;         // score units
    // Texts (UTF-8, NUL-terminated)
    char info[3][kTexteInfoTaille];
    Handle comment;                // text handle or null; "key=on" and such are read from it
    char email[256];
    char webAddress[256];
    TitleSlot titles[3];           // title, composer, poet
    UInt32 dates[3];               // seconds since 1904
    // Layout (page layout owns the records' meaning; importers write them)
    PageSetupRecord pageSetup;
    PageLayoutRecord pageLayouts[kPagesMiseEnPage];
    SInt16 marginLeft;             // tenths of a millimetre
    SInt16 marginTop;
    SInt32 pageWidth;              // 1/72 inch
    SInt16 reservedPages;
    UInt8 multiRestOption;         // bit 0: group rests into multi-measure rests
    UInt8 layoutComputed;
    SInt16 multiRestCount;
    SInt16 currentView;            // -1 the whole score
    SInt16 viewCount;
    Handle views;                  // layout
    float zoom;
    float spacingRatio;            // 0.6: divides imported sizes
    SInt32 firstSystemIndent;      // tenths of a point
    Handle pages;                  // layout: page records
    SInt16 pageCount;
};

static_assert(std::is_trivially_copyable<StaffRecord>::value && std::is_trivially_copyable<ScoreRecord>::value &&
                  std::is_trivially_copyable<DocumentRecord>::value,
              "records in handles are trivially copyable");

extern ScoreHandle partitionEnCours;  // the current score: the one playing, or null

// ---- Documents and scores --------------------------------------------------------------------

// An empty score (one 4/4 measure, no staff) that becomes the document's current score; null
// without memory or when the document holds kMaxPartitionsDocument scores.
ScoreHandle CreePartitionVide(DocumentRecord *document);
void SupprimePartition(DocumentRecord *document, ScoreHandle score);  // removes and frees it
// Frees every score and handle of the document and zeroes the record; the caller frees it.
void VideDocument(DocumentRecord *document);
ScoreHandle GetPartitionDocument(DocumentRecord *document, SInt16 index);  // null outside
Boolean IsPartitionValide(ScoreHandle score);  // a live score handle

// ---- Staves ---------------------------------------------------------------------------------

// Appends an empty staff of that type; with initialise set it takes the score's key at
// measure 0. Null beyond kMaxPortees or without memory.
StaffHandle CreePorteeVide(ScoreHandle score, UInt32 type, SInt16 initialise, SInt16 reserved);
void DisposeToutesPortees(ScoreHandle score);
// Deletes the staves without notes; with keepOne set the first staff stays when all are empty.
void SupprimePorteesVides(ScoreHandle score, Boolean keepOne);
StaffHandle GetPortee(ScoreHandle score, SInt16 index);  // null outside
void InitPortee(StaffHandle staff);   // the type's row and geometry back to their defaults
OSErr FixeTypePortee(StaffHandle staff, UInt32 type);  // the type's row; unknown types draw as standard
void InitPortees(ScoreHandle score);  // indices, score links and type rows refreshed before drawing
OSErr SetNomPortee(StaffHandle staff, const char *utf8);       // null or "" clears the name
OSErr SetNomAbregePortee(StaffHandle staff, const char *utf8);
Boolean IsPorteeValide(StaffHandle staff);  // a live staff handle of a live score
Boolean IsPorteeDeNotes(StaffHandle staff); // a staff whose notes carry pitches (not lyrics, tempo, audio)

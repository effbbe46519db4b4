// The state of one MusicXML import, made at the start of a load and handed to every pass, and
// what the passes share through it: the bar-numbering records, the staff and instrument
// registries, the one mapping of staff and voice texts to staves, the warnings and the error
// sink. Nothing here outlives the load but what the passes write into the document.
// musicxml_state.cpp: the record, bars, staves and warnings; musicxml_instruments.cpp: the
// instrument registry and the error sink. Main thread only.
#pragma once

#include "import/xml/xml_arrays.h"
#include "import/xml/xml_tree.h"
#include "score/score_model.h"

enum : SInt32 {
    kXMLMaxStavesPartie = 16,        // staff numbers of one part; larger numbers are clamped
    kXMLMaxVoixPortee = 16,          // voice numbers of one staff number
    kXMLMaxInstrumentsPartie = 64,   // score-instruments of one part; later ones are left out
    kXMLMaxPorteesPartie = kXMLMaxStavesPartie * kXMLMaxVoixPortee,  // engine staves of one part
    kXMLMaxLignesPortee = 16,        // staff lines (the staff's line flags)
    kXMLBarNumberSize = 20,          // bytes of a bar's number text with its terminator
    kXMLMaxRepos = 65535,            // multiple-rest count
    kXMLPilesNotes = 6,              // numbered note stacks of the notes pass (musicxml_notes.h)
};

#pragma pack(push, 1)
// One MusicXML measure ordinal, shared by the measures of every part that carry its number.
// 50 bytes with 2-byte alignment; stored whole in the score's collection as a 'bnum' item.
struct XMLBarRecord {
    char number[kXMLBarNumberSize];  // the measure's "number", cut at 19 bytes
    UInt8 implicit;                  // 1: "implicit" is "yes" (not counted in the numbering)
    UInt8 unused21;
    SInt32 measure;                  // engine measure index, from 0
    SInt32 start;                    // score units
    SInt32 length;                   // score units
    SInt32 signatureLength;          // score units of the first time signature met in it
    SInt16 beatType;                 // denominator in force
    UInt8 reserved[8];
    UInt16 multipleRests;            // measures of a multiple rest starting here, 0 none
};
#pragma pack(pop)
static_assert(sizeof(XMLBarRecord) == 50 && offsetof(XMLBarRecord, measure) == 22 &&
                  offsetof(XMLBarRecord, start) == 26 && offsetof(XMLBarRecord, beatType) == 38 &&
                  offsetof(XMLBarRecord, multipleRests) == 48,
              "bar-numbering records are 50 bytes");

const OSType kXMLTypeBarre = FourCC("bnum");  // score collection: one item per bar, ids from 0
const OSType kXMLTypePortee = FourCC("XML ");  // staff collection: the three ids below, SInt32 each
const OSType kXMLIdPartie = FourCC("part");
const OSType kXMLIdPortee = FourCC("staf");
const OSType kXMLIdVoix = FourCC("voic");

// A staff made for (part, staff number, voice, instrument).
struct XMLStaffNode {
    SInt32 part;        // index among the score-parts of the part list
    SInt16 staff;       // staff number within the part, from 0
    SInt16 voice;       // voice index, from 0
    SInt16 instrument;  // engine instrument index, -1 none
    StaffHandle handle;
};

// An engine instrument made for a score-instrument (or for a part without one).
struct XMLInstrumentNode {
    SInt32 part;
    SInt16 index;    // engine instrument index
    const char *id;  // a copy in the state's store
};

// A voice text that is not a number from 1 to kXMLMaxVoixPortee, and the voice it was given.
struct XMLVoiceAlias {
    SInt32 part;
    SInt16 staff;
    SInt16 voice;      // from 0
    const char *text;  // the tree's
};

enum : UInt32 {  // warnings given once per import
    kXMLAvertiVoix = 1 << 0,
    kXMLAvertiPortees = 1 << 1,
    kXMLAvertiLignes = 1 << 2,
    kXMLAvertiTaille = 1 << 3,
    kXMLAvertiMIDI = 1 << 4,
    kXMLAvertiSansId = 1 << 5,
    kXMLAvertiTropDePortees = 1 << 6,
    kXMLAvertiInstruments = 1 << 7,
    kXMLAvertiAccord = 1 << 8,
    kXMLAvertiMemoire = 1 << 9,
    kXMLAvertiDivisions = 1 << 10,
    kXMLAvertiMesure = 1 << 11,
    kXMLAvertiTemps = 1 << 12,
    kXMLAvertiHauteur = 1 << 13,
    kXMLAvertiPile = 1 << 14,
    kXMLAvertiAppoggiature = 1 << 15,
    kXMLAvertiLongueur = 1 << 16,
    kXMLAvertiTonalite = 1 << 17,
};

struct XMLImportState {
    XMLBrowser *tree;           // the caller's; disposed by the driver after the passes
    XMLElt *root;               // the "score-partwise" element
    DocumentRecord *document;
    ScoreHandle score;
    float mmPerTenth;           // millimetres per MusicXML tenth (0.15 until "scaling" says)
    XMLGrowable bars;           // XMLBarRecord[barCount]
    SInt32 barCount;
    XMLGrowable barIndex;       // open hash of bar numbers: SInt32 slots, -1 empty
    SInt32 barIndexSlots;       // a power of two, or 0
    XMLGrowable staves;         // XMLStaffNode[staffCount], in creation order
    SInt32 staffCount;
    XMLGrowable instruments;    // XMLInstrumentNode[instrumentCount]
    SInt32 instrumentCount;
    XMLGrowable aliases;        // XMLVoiceAlias[aliasCount]
    SInt32 aliasCount;
    XMLStoreChunk *store;       // copies of instrument ids
    UInt32 warned;              // kXMLAverti... bits already given
    // The measure-frame and notes passes (musicxml_timing.h, musicxml_notes.h)
    XMLGrowable jumps;          // XMLJumpEntry[jumpCount], in order of first appearance
    SInt32 jumpCount;
    XMLGrowable stacks[kXMLPilesNotes];  // XMLNoteStackEntry[stackCounts[i]]
    SInt32 stackCounts[kXMLPilesNotes];
    SInt32 openGraceSlurs;      // grace slur starts of stack 4 still waiting for their stop
    XMLGrowable lyrics;         // XMLLyricEntry[lyricCount], in document order
    SInt32 lyricCount;
};

void XMLInitImportState(XMLImportState *state, DocumentRecord *document, XMLBrowser *tree, XMLElt *root);
void XMLDisposeImportState(XMLImportState *state);  // every table; the tree stays the caller's

// ---- Bars -------------------------------------------------------------------------------------
XMLBarRecord *XMLGetBar(XMLImportState *state, SInt32 index);  // in place until the next append; null outside
SInt32 XMLFindBarNumber(XMLImportState *state, const char *number);  // first record with that number, -1
SInt32 XMLAppendBar(XMLImportState *state, const XMLBarRecord *bar);  // its index, -1 without memory
void XMLCopyBarNumber(char *number, const char *text);  // cut at kXMLBarNumberSize - 1 bytes; null gives ""

// ---- Staves -----------------------------------------------------------------------------------
OSErr XMLAddPorteeReg(XMLImportState *state, const XMLStaffNode *node);
// The staff of the first node of (part, staff, voice) and, unless instrument is negative, that
// instrument; null when none matches.
StaffHandle XMLGetPorteeFromId(XMLImportState *state, SInt32 part, SInt16 staff, SInt16 voice, SInt16 instrument);
SInt16 XMLGetNbStavesInPart(XMLImportState *state, SInt32 part);  // 1 + the largest staff number; 1 when none
void XMLDisposePorteeReg(XMLImportState *state);
// A "staff" text as a staff index: 1..kXMLMaxStavesPartie give 0..15, larger numbers the last
// one; no text, or one that is not a whole number above 0, the first.
SInt16 XMLGetStaffIndex(const char *text);
// A "voice" text of a staff as a voice index: 1..kXMLMaxVoixPortee give 0..15; no text 0; any
// other text the voice the staves pass gave it (XMLRegisterVoice), else 0.
SInt16 XMLGetVoiceIndex(XMLImportState *state, SInt32 part, SInt16 staff, const char *text);
// The staff of an element that has "staff" and "voice" children (a note, a direction), through
// the two mappings above; null when it was not made.
StaffHandle XMLGetPorteeFromElement(XMLImportState *state, SInt32 part, XMLElt *elt, SInt16 instrument);
// Gives an odd voice text of a staff the next voice number that usedMask (bit n: voice n + 1)
// leaves free, or voice 1 when all are taken, and records it; answers the index given and
// marks it in usedMask. The text must live as long as the tree.
SInt16 XMLRegisterVoice(XMLImportState *state, SInt32 part, SInt16 staff, const char *text, UInt32 *usedMask);
// Whether text is a whole decimal number (blanks around it allowed); *value saturates.
Boolean XMLReadWholeNumber(const char *text, long *value);
// The first child of elt named exactly name; null when none or elt is null.
XMLElt *XMLPremierEnfant(XMLElt *elt, const char *name);

// ---- Instruments (musicxml_instruments.cpp) -----------------------------------------------------
// Adds the instrument of a score-instrument (null: a part without one, named after ordinal)
// to the score and registers it for the part. Answers its index, -1 when none could be made.
SInt16 XMLCreeInstrument(XMLImportState *state, SInt32 part, XMLElt *scoreInstrument, SInt16 transposition,
                         SInt32 ordinal);
// The instrument registered for the part under exactly that id; -1 (any instrument) when none.
SInt16 XMLGetInstrumentIdFromStr(XMLImportState *state, SInt32 part, const char *id);
void XMLDisposeInstrumentReg(XMLImportState *state);
// Every staff takes the volume and pan its instrument was given.
void XMLReporteInstrumentsSurPistesNumeriques(ScoreHandle score);

// ---- Reports ----------------------------------------------------------------------------------
// A warning "musicxml: ..." through the engine's warnings when they are on; with once set, only
// the first of that kind in the import.
void XMLWarning(XMLImportState *state, UInt32 once, const char *format, ...) __attribute__((format(printf, 3, 4)));
// The error sink of the passes' inconsistencies: "musicxml: <message>" to the trace.
void XMLErr(const char *message, XMLElt *element);

// The score model's chunks of the native file. Each record's stored fields are one table of
// rows {kind, offset, count, range}; the same table writes it, reads it and copies it between
// records, so a stored field is one row and the three cannot drift. Integers are big-endian, floats IEEE bit patterns, texts a length then bytes.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "platform/core/engine_utilities.h"
#include "platform/core/memory.h"
#include "score/byte_stream.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/native_score.h"
#include "score/notes.h"
#include "score/part_groups.h"
#include "score/score_hooks.h"
#include "score/staff_types.h"

namespace {

// ---- The field tables ----------------------------------------------------------------------------

enum GenreChamp : UInt8 {
    kChampU8, kChampI8, kChampU16, kChampI16, kChampU32, kChampI32, kChampF32,
    kChampTexte,        // a char array of count bytes: u16 length, bytes (what fits is kept)
    kChampTexteHandle,  // a Handle of UTF-8 or null: u32 length (0: none), bytes; at most high bytes
    kChampSous,         // count records of table sub
};

struct TableChamps;
struct ChampNatif {
    GenreChamp kind;
    UInt32 offset;
    UInt16 count;       // array elements; a text's buffer size
    double low, high;   // the values accepted (integers and floats)
    const TableChamps *sub;
};
struct TableChamps {
    const ChampNatif *fields;
    SInt32 count;
    UInt32 size;        // bytes of the record, the stride of arrays of it
};

constexpr double kIntMin = -2147483648.0, kIntMax = 4294967295.0;
constexpr double kFlottantMax = 1e9;

constexpr ChampNatif Nombre(GenreChamp kind, size_t offset, double low = kIntMin, double high = kIntMax,
                            UInt16 count = 1) {
    return ChampNatif{kind, UInt32(offset), count, low, high, nullptr};
}
constexpr ChampNatif Flottant(size_t offset, double low = -kFlottantMax, double high = kFlottantMax) {
    return ChampNatif{kChampF32, UInt32(offset), 1, low, high, nullptr};
}
constexpr ChampNatif Texte(size_t offset, UInt16 size) { return ChampNatif{kChampTexte, UInt32(offset), size, 0, 0, nullptr}; }
constexpr ChampNatif TexteHandle(size_t offset, double maximum) {
    return ChampNatif{kChampTexteHandle, UInt32(offset), 1, 0, maximum, nullptr};
}
constexpr ChampNatif Sous(size_t offset, const TableChamps *sub, UInt16 count = 1) {
    return ChampNatif{kChampSous, UInt32(offset), count, 0, 0, sub};
}
template <size_t N>
constexpr TableChamps Table(const ChampNatif (&fields)[N], size_t size) {
    return TableChamps{fields, SInt32(N), UInt32(size)};
}

typedef TextStyleRecord TS;
const ChampNatif kChampsStyle[] = {
    Nombre(kChampI16, offsetof(TS, font)), Nombre(kChampI16, offsetof(TS, face)), Nombre(kChampI16, offsetof(TS, size)),
    Nombre(kChampU16, offsetof(TS, color.red)), Nombre(kChampU16, offsetof(TS, color.green)),
    Nombre(kChampU16, offsetof(TS, color.blue)),
};
const TableChamps kStyle = Table(kChampsStyle, sizeof(TS));

const ChampNatif kChampsTitre[] = {
    Texte(offsetof(TitleSlot, text), kTexteTitreTaille), Nombre(kChampI16, offsetof(TitleSlot, justification), -1, 1),
    Sous(offsetof(TitleSlot, style), &kStyle), Nombre(kChampI32, offsetof(TitleSlot, vertical)),
    Nombre(kChampI32, offsetof(TitleSlot, horizontal)),
};
const TableChamps kTitre = Table(kChampsTitre, sizeof(TitleSlot));

typedef DocumentRecord DF;
const ChampNatif kChampsDocument[] = {
    Nombre(kChampU8, offsetof(DF, imported), 0, 1), Nombre(kChampI16, offsetof(DF, soundBankLevel)),
    Nombre(kChampI16, offsetof(DF, volumeScale), 0, 127), Nombre(kChampI32, offsetof(DF, resumePosition), 0, kTempsMax),
    Texte(offsetof(DF, info[0]), kTexteInfoTaille), Texte(offsetof(DF, info[1]), kTexteInfoTaille),
    Texte(offsetof(DF, info[2]), kTexteInfoTaille), TexteHandle(offsetof(DF, comment), 1 << 20),
    Texte(offsetof(DF, email), 256), Texte(offsetof(DF, webAddress), 256), Sous(offsetof(DF, titles), &kTitre, 3),
    Nombre(kChampU32, offsetof(DF, dates), 0, kIntMax, 3), Nombre(kChampI16, offsetof(DF, marginLeft)),
    Nombre(kChampI16, offsetof(DF, marginTop)), Nombre(kChampI32, offsetof(DF, pageWidth)),
    Nombre(kChampI16, offsetof(DF, reservedPages), 0, 32767), Nombre(kChampU8, offsetof(DF, multiRestOption)),
    Nombre(kChampI16, offsetof(DF, multiRestCount)), Flottant(offsetof(DF, zoom)), Flottant(offsetof(DF, spacingRatio)),
    Nombre(kChampI32, offsetof(DF, firstSystemIndent)),
};
const TableChamps kDocument = Table(kChampsDocument, sizeof(DF));

const ChampNatif kChampsModeGraphique[] = {
    Nombre(kChampU16, offsetof(GraphicModeRecord, mode)), Nombre(kChampU8, offsetof(GraphicModeRecord, smoothing)),
    Nombre(kChampU8, offsetof(GraphicModeRecord, colouredNotes)),
};
const TableChamps kModeGraphique = Table(kChampsModeGraphique, sizeof(GraphicModeRecord));

typedef ScoreRecord SR;
const ChampNatif kChampsPartition[] = {
    Nombre(kChampU16, offsetof(SR, nextStaffId)), Nombre(kChampI16, offsetof(SR, tempo), 1, 1000),
    Nombre(kChampU16, offsetof(SR, tempoFraction)), Nombre(kChampU8, offsetof(SR, loop), 0, 1),
    Nombre(kChampU8, offsetof(SR, playVisibleViewOnly), 0, 1), Nombre(kChampU8, offsetof(SR, metronome), 0, 1),
    Nombre(kChampU8, offsetof(SR, engraverOn), 0, 1), Nombre(kChampU8, offsetof(SR, adaptScale), 0, 1),
    Nombre(kChampI16, offsetof(SR, stemWidth), 0), Nombre(kChampI16, offsetof(SR, staffLineWidth), 0),
    Nombre(kChampI16, offsetof(SR, lightBarWidth), 0), Nombre(kChampI16, offsetof(SR, heavyBarWidth), 0),
    Nombre(kChampI16, offsetof(SR, ledgerWidth), 0), Nombre(kChampI16, offsetof(SR, enclosureWidth), 0),
    Nombre(kChampI16, offsetof(SR, graceSize), 0), Nombre(kChampI16, offsetof(SR, resolution), 1, 4800),
    Flottant(offsetof(SR, zoom), 0.001, 1000), Nombre(kChampI16, offsetof(SR, screenMode), 0, 16),
    Nombre(kChampI16, offsetof(SR, outputDpi), 1, 4800), Sous(offsetof(SR, graphicMode), &kModeGraphique),
    Nombre(kChampI16, offsetof(SR, noteNaming), 0, 1), Nombre(kChampU8, offsetof(SR, semitoneDegrees), 0, 6, 12),
};
const TableChamps kPartition = Table(kChampsPartition, sizeof(SR));

typedef InstrumentRecord IR;
const ChampNatif kChampsInstrument[] = {
    Nombre(kChampU8, offsetof(IR, inUse), 0, 1), Nombre(kChampU8, offsetof(IR, unpitched), 0, 1),
    Nombre(kChampU8, offsetof(IR, volumeGiven), 0, 1), Nombre(kChampU8, offsetof(IR, panGiven), 0, 1),
    Nombre(kChampU8, offsetof(IR, volumeChanged), 0, 1), Nombre(kChampU8, offsetof(IR, extendedId), 0, 1),
    Nombre(kChampI16, offsetof(IR, transposition), -127, 127), Nombre(kChampU32, offsetof(IR, kind)),
    Texte(offsetof(IR, name), kNomInstrumentTaille), Nombre(kChampI16, offsetof(IR, channel), 0, 16),
    Nombre(kChampI16, offsetof(IR, program), 0, 127), Nombre(kChampI16, offsetof(IR, bank), 0, 127),
    Nombre(kChampI16, offsetof(IR, volume), 0, 127), Nombre(kChampI16, offsetof(IR, pan), 0, 127),
    Nombre(kChampI16, offsetof(IR, setting)), Nombre(kChampI32, offsetof(IR, standardId)),
    Nombre(kChampU32, offsetof(IR, soundId)),
};
const TableChamps kInstrument = Table(kChampsInstrument, sizeof(IR));

typedef TimeSignature TSig;
const ChampNatif kChampsDivision[] = {
    Nombre(kChampI16, offsetof(TSig, numerator), 1, 128), Nombre(kChampI16, offsetof(TSig, denominator), 1, 128),
    Nombre(kChampI16, offsetof(TSig, shownNumerator)), Nombre(kChampI16, offsetof(TSig, shownSecond)),
    Nombre(kChampU16, offsetof(TSig, shownDenominator)), Nombre(kChampU8, offsetof(TSig, symbol), 0, 1),
    Nombre(kChampU8, offsetof(TSig, beamMask), 0, 255, kMasqueAccrocheOctets),
};
const TableChamps kDivision = Table(kChampsDivision, sizeof(TSig));

typedef MeasureElement ME;
const ChampNatif kChampsMesure[] = {
    Sous(offsetof(ME, signature), &kDivision), Nombre(kChampU16, offsetof(ME, widthScale)),
    Nombre(kChampU8, offsetof(ME, hiddenMask), 0, 7), Nombre(kChampU8, offsetof(ME, systemBreak), 0, 1),
    Nombre(kChampU8, offsetof(ME, breakForbidden), 0, 1), Nombre(kChampU8, offsetof(ME, pageBreak), 0, 1),
    Nombre(kChampU8, offsetof(ME, state), 0, 3), Nombre(kChampI16, offsetof(ME, minimumGap)),
    Flottant(offsetof(ME, scale)), Nombre(kChampI16, offsetof(ME, leftMargin)),
    Nombre(kChampI16, offsetof(ME, rightMargin)), Nombre(kChampU16, offsetof(ME, shownNumber)),
};
const TableChamps kMesure = Table(kChampsMesure, sizeof(ME));

const ChampNatif kChampsTonalite[] = {
    Nombre(kChampU8, offsetof(KeySignature, degrees), 0, 3, 7), Nombre(kChampU8, offsetof(KeySignature, tonicDegree), 0, 6),
    Nombre(kChampU8, offsetof(KeySignature, tonicAccidental), 0, 5), Nombre(kChampU32, offsetof(KeySignature, mode), 0, 1),
    Nombre(kChampU32, offsetof(KeySignature, kind), 0, kTonalitesStandard - 1),
};
const TableChamps kTonalite = Table(kChampsTonalite, sizeof(KeySignature));
const ChampNatif kChampsCle[] = {
    Nombre(kChampU8, offsetof(ClefRecord, kind), kCleSol, kCleUt), Nombre(kChampI8, offsetof(ClefRecord, lineOffset)),
    Nombre(kChampI8, offsetof(ClefRecord, octave)), Nombre(kChampU8, offsetof(ClefRecord, size)),
    Nombre(kChampI16, offsetof(ClefRecord, baseNote), 0, 127),
};
const TableChamps kCle = Table(kChampsCle, sizeof(ClefRecord));
const ChampNatif kChampsChangement[] = {
    Nombre(kChampI32, offsetof(KeyClefChange, measure), 0, kMaxMesures - 1),
    Nombre(kChampU8, offsetof(KeyClefChange, changes), 0, kChangeTonalite | kChangeCle),
    Sous(offsetof(KeyClefChange, key), &kTonalite), Sous(offsetof(KeyClefChange, clef), &kCle),
};
const TableChamps kChangement = Table(kChampsChangement, sizeof(KeyClefChange));

typedef NoteRecord NR;
const ChampNatif kChampsNote[] = {
    Nombre(kChampI8, offsetof(NR, pitch), kPitchRepetitionMesure, 127), Nombre(kChampU8, offsetof(NR, velocity), 0, 127),
    Nombre(kChampU8, offsetof(NR, chordFlags)), Nombre(kChampU8, offsetof(NR, restOrigin)),
    Nombre(kChampU8, offsetof(NR, accidental)), Nombre(kChampU32, offsetof(NR, duration), 1, kTempsMax),
    Nombre(kChampU16, offsetof(NR, release)), Nombre(kChampI16, offsetof(NR, attack)),
    Nombre(kChampU16, offsetof(NR, noteParam)), Nombre(kChampU8, offsetof(NR, notehead)),
    Nombre(kChampU8, offsetof(NR, fret)), Nombre(kChampU8, offsetof(NR, string)), Nombre(kChampI8, offsetof(NR, stemLength)),
    Nombre(kChampU8, offsetof(NR, stemDirection), 0, 2), Nombre(kChampI8, offsetof(NR, restPosition)),
    Nombre(kChampI8, offsetof(NR, offsetX)), Nombre(kChampU8, offsetof(NR, tuplet)),
    Nombre(kChampU8, offsetof(NR, tupletBracket)), Nombre(kChampU8, offsetof(NR, cue)),
    Nombre(kChampU8, offsetof(NR, stemTip)), Nombre(kChampI32, offsetof(NR, time), 0, kTempsMax),
    Nombre(kChampU32, offsetof(NR, id)),
};
const TableChamps kNote = Table(kChampsNote, sizeof(NR));

typedef StaffRecord ST;
const SInt32 kNomPorteeMax = 1023;
const ChampNatif kChampsPortee[] = {
    Nombre(kChampU16, offsetof(ST, uniqueId)), Nombre(kChampU32, offsetof(ST, type)),
    Nombre(kChampU32, offsetof(ST, generatedKind)), Nombre(kChampU16, offsetof(ST, sourceStaff)),
    Nombre(kChampU8, offsetof(ST, mergeMode)), Nombre(kChampU8, offsetof(ST, continuedByNext), 0, 1),
    Nombre(kChampI16, offsetof(ST, mergeOffset)), Nombre(kChampU16, offsetof(ST, noteheadMode)),
    TexteHandle(offsetof(ST, longName), kNomPorteeMax), TexteHandle(offsetof(ST, shortName), kNomPorteeMax),
    Sous(offsetof(ST, longNameStyle), &kStyle), Sous(offsetof(ST, shortNameStyle), &kStyle),
    Nombre(kChampI32, offsetof(ST, namesOffset)), Nombre(kChampI16, offsetof(ST, lineCount), 0, 16),
    Nombre(kChampU16, offsetof(ST, shownLines)), Nombre(kChampI16, offsetof(ST, firstLine), 0, 15),
    Nombre(kChampI16, offsetof(ST, lastLine), 0, 15), Nombre(kChampI16, offsetof(ST, verticalReference)),
    Flottant(offsetof(ST, lineSpacing), 0, 1000), Nombre(kChampI16, offsetof(ST, size), 1, 1000),
    Nombre(kChampI16, offsetof(ST, height), 0), Nombre(kChampU8, offsetof(ST, beamThickness), 0, 31),
    Nombre(kChampU8, offsetof(ST, printable), 0, 1), Nombre(kChampU8, offsetof(ST, visible), 0, 1),
    Nombre(kChampU8, offsetof(ST, karaoke), 0, 1), Nombre(kChampU8, offsetof(ST, verseLineCount)),
    Nombre(kChampU8, offsetof(ST, karaokeSettings), 0, 255, 8), Sous(offsetof(ST, karaokeStyle), &kStyle),
    Nombre(kChampU8, offsetof(ST, textLineEnabled), 0, 1, 2), Nombre(kChampI16, offsetof(ST, instrument), -1, kMaxInstruments - 1),
    Nombre(kChampU8, offsetof(ST, heard), 0, 1, 2), Nombre(kChampU8, offsetof(ST, joinedToNext), 0, 1),
    Nombre(kChampU8, offsetof(ST, ownLevels), 0, 1), Nombre(kChampI16, offsetof(ST, volume), 0, 127),
    Nombre(kChampI16, offsetof(ST, pan), 0, 127), Nombre(kChampU8, offsetof(ST, singing), 0, 1),
    Nombre(kChampU8, offsetof(ST, singNoteNames), 0, 1), Nombre(kChampU32, offsetof(ST, singingLanguage), 0, 11),
    Nombre(kChampU32, offsetof(ST, nextNoteId)),
};
const TableChamps kPortee = Table(kChampsPortee, sizeof(ST));

// A part group as stored: its names as texts.
struct GroupeNatif {
    SInt16 kind, barlines, first, last, x;
    char longName[kNomPorteeMax + 1];
    char shortName[kNomPorteeMax + 1];
    TextStyleRecord styles[2];
};
const ChampNatif kChampsGroupe[] = {
    Nombre(kChampI16, offsetof(GroupeNatif, kind)), Nombre(kChampI16, offsetof(GroupeNatif, barlines), 0, 2),
    Nombre(kChampI16, offsetof(GroupeNatif, first)), Nombre(kChampI16, offsetof(GroupeNatif, last)),
    Nombre(kChampI16, offsetof(GroupeNatif, x)), Texte(offsetof(GroupeNatif, longName), kNomPorteeMax + 1),
    Texte(offsetof(GroupeNatif, shortName), kNomPorteeMax + 1), Sous(offsetof(GroupeNatif, styles), &kStyle, 2),
};
const TableChamps kGroupe = Table(kChampsGroupe, sizeof(GroupeNatif));

// ---- The rows -----------------------------------------------------------------------------------

OSErr LitDocument(NativeLoadRecord *load, UInt32 length);
Boolean EcritDocument(NativeSaveRecord *save);
OSErr LitPartition(NativeLoadRecord *load, UInt32 length);
Boolean EcritPartition(NativeSaveRecord *save);
OSErr LitInstruments(NativeLoadRecord *load, UInt32 length);
Boolean EcritInstruments(NativeSaveRecord *save);
OSErr LitMesures(NativeLoadRecord *load, UInt32 length);
Boolean EcritMesures(NativeSaveRecord *save);
OSErr LitPortee(NativeLoadRecord *load, UInt32 length);
Boolean EcritPortees(NativeSaveRecord *save);
OSErr LitGroupes(NativeLoadRecord *load, UInt32 length);
Boolean EcritGroupes(NativeSaveRecord *save);

const NativeChunkOps kChunksModele[] = {
    {FourCC("DOCU"), "document", kTrue, LitDocument, EcritDocument},
    {FourCC("PART"), "score", kTrue, LitPartition, EcritPartition},
    {FourCC("INST"), "instruments", kTrue, LitInstruments, EcritInstruments},
    {FourCC("MESU"), "measures", kTrue, LitMesures, EcritMesures},
    {FourCC("STAF"), "staff", kFalse, LitPortee, EcritPortees},
    {FourCC("GRPS"), "part groups", kTrue, LitGroupes, EcritGroupes},
};

void EcritChamps(ByteWriter *w, const TableChamps *table, const void *record);
Boolean LitChamps(ByteReader *r, const TableChamps *table, void *record);
void CopieChamps(const TableChamps *table, void *from, void *to);
Boolean EcritEnregistrement(OSType tag, const TableChamps *table, const void *record);
Boolean TermineChunk(OSType tag, ByteWriter *w);
Handle OuvreChunk(NativeLoadRecord *load, UInt32 length, ByteReader *r);
OSErr FermeChunk(NativeLoadRecord *load, Handle h, const ByteReader *r);
void CopieNom(Handle name, char *text, SInt32 size);

}  // namespace

const NativeChunkOps *GetChunksModele(SInt32 *count) {
    if (count) *count = SInt32(sizeof kChunksModele / sizeof kChunksModele[0]);
    return kChunksModele;
}

DocumentRecord *NouveauxChampsDocument() { return reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord))); }

void LibereChampsDocument(DocumentRecord **fields) {
    if (!fields || !*fields) return;
    LibereHandle(&(*fields)->comment);
    DisposPtr(reinterpret_cast<Ptr>(*fields));
    *fields = nullptr;
}

void AppliqueChampsDocument(DocumentRecord *fields, DocumentRecord *document) {
    if (fields && document) CopieChamps(&kDocument, fields, document);
}

namespace {

// ---- Document and score ----------------------------------------------------------------------------

OSErr LitDocument(NativeLoadRecord *load, UInt32 length) {
    ByteReader r;
    Handle h = OuvreChunk(load, length, &r);
    if (!h) return paramErr;
    LitChamps(&r, &kDocument, load->fields);
    return FermeChunk(load, h, &r);
}

Boolean EcritDocument(NativeSaveRecord *save) {
    return EcritEnregistrement(kChunksModele[0].tag, &kDocument, save->document);
}

OSErr LitPartition(NativeLoadRecord *load, UInt32 length) {
    ByteReader r;
    Handle h = OuvreChunk(load, length, &r);
    if (!h) return paramErr;
    ScoreRecord fields = **load->score;
    if (LitChamps(&r, &kPartition, &fields)) **load->score = fields;
    return FermeChunk(load, h, &r);
}

Boolean EcritPartition(NativeSaveRecord *save) {
    ScoreRecord fields = **save->score;
    return EcritEnregistrement(kChunksModele[1].tag, &kPartition, &fields);
}

// ---- Instruments ---------------------------------------------------------------------------------

OSErr LitInstruments(NativeLoadRecord *load, UInt32 length) {
    ByteReader r;
    Handle h = OuvreChunk(load, length, &r);
    if (!h) return paramErr;
    UInt16 count = Get16(&r);
    if (count > kMaxInstruments) r.failed = kTrue;
    for (UInt16 i = 0; i < count && !r.failed; i++) {
        InstrumentRecord instrument;
        SInt16 index = AjouteInstrument(load->score);
        if (index < 0 || !LitChamps(&r, &kInstrument, &instrument)) {
            r.failed = kTrue;
            break;
        }
        *GetInstrumentPtr(load->score, index) = instrument;
    }
    return FermeChunk(load, h, &r);
}

Boolean EcritInstruments(NativeSaveRecord *save) {
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    SInt16 count = (*save->score)->instrumentCount;
    Put16(&w, UInt32(count));
    for (SInt16 i = 0; i < count; i++) {
        InstrumentRecord instrument = *GetInstrumentPtr(save->score, i);
        EcritChamps(&w, &kInstrument, &instrument);
    }
    return TermineChunk(kChunksModele[2].tag, &w);
}

// ---- Measures --------------------------------------------------------------------------------------

// The table is rebuilt through the model, one run of equal signatures at a time; the fields that
// layout and importers own are then copied over each measure.
OSErr LitMesures(NativeLoadRecord *load, UInt32 length) {
    ByteReader r;
    Handle h = OuvreChunk(load, length, &r);
    if (!h) return paramErr;
    UInt32 count = Get32(&r);
    MeasureElement *elements = nullptr;
    if (count < 1 || count > UInt32(kMaxMesures) || count > ByteReaderLeft(&r)) r.failed = kTrue;
    else elements = reinterpret_cast<MeasureElement *>(NewPtrClear(count * UInt32(sizeof(MeasureElement))));
    if (!elements) r.failed = kTrue;
    for (UInt32 m = 0; m < count && !r.failed; m++) LitChamps(&r, &kMesure, &elements[m]);
    ScoreHandle score = load->score;
    if (!r.failed && FixeDivisionMesurePartition(score, 0, &elements[0].signature, 1, 0, 0) != noErr) r.failed = kTrue;
    for (UInt32 m = 1; m < count && !r.failed;) {
        UInt32 end = m + 1;
        while (end < count && memcmp(&elements[end].signature, &elements[m].signature, sizeof(TimeSignature)) == 0) end++;
        if (InsereMesureChangeEchelleMesure(score, SInt32(m), SInt32(end - m), 0, &elements[m].signature, 1) != noErr)
            r.failed = kTrue;
        m = end;
    }
    for (UInt32 m = 0; m < count && !r.failed; m++) CopieChamps(&kMesure, &elements[m], GetMesurePtr(score, SInt32(m)));
    if (elements) DisposPtr(reinterpret_cast<Ptr>(elements));
    SetTabEltMesureModifie(score, kTabEltTout);
    return FermeChunk(load, h, &r);
}

Boolean EcritMesures(NativeSaveRecord *save) {
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    SInt32 count = (*save->score)->measureCount;
    Put32(&w, UInt32(count));
    for (SInt32 m = 0; m < count; m++) {
        MeasureElement element = *GetMesurePtr(save->score, m);
        EcritChamps(&w, &kMesure, &element);
    }
    return TermineChunk(kChunksModele[3].tag, &w);
}

// ---- Staves ----------------------------------------------------------------------------------------

Boolean LitChangements(ByteReader *r, ScoreHandle score, StaffHandle staff);
Boolean LitNotes(ByteReader *r, StaffHandle staff);

// A staff: the length of the model's part, that part (fields, key and clef changes, notes), then
// the singing block, which the singer reads from the stream itself.
OSErr LitPortee(NativeLoadRecord *load, UInt32 length) {
    UInt32 model = UInt32(ReadLong());
    if (length < 4 || model > length - 4) return FauteNatif(load, "staff longer than its chunk");
    Handle h = LitOctetsNatif(load, model);
    if (!h) return paramErr;
    ScoreHandle score = load->score;
    StaffHandle staff = CreePorteeVide(score, kPorteeStandard, 0, 0);
    ByteReader r = OrvaByteReader(*h, model);
    StaffRecord fields = staff ? **staff : StaffRecord{};
    if (!staff || !LitChamps(&r, &kPortee, &fields) || fields.instrument >= (*score)->instrumentCount) {
        r.failed = kTrue;
        if (staff) {
            // The names read belong to no staff yet.
            if (fields.longName != (*staff)->longName) LibereHandle(&fields.longName);
            if (fields.shortName != (*staff)->shortName) LibereHandle(&fields.shortName);
        }
    } else {
        fields.ops = GetTypePortee(fields.type);
        **staff = fields;
        HLock(h);
        if (!LitChangements(&r, score, staff) || !LitNotes(&r, staff)) r.failed = kTrue;
        HUnlock(h);
    }
    OSErr err = FermeChunk(load, h, &r);
    if (err == noErr) HookReadParamsLyrovox(staff, load->version);
    return err;
}

// The first change is at measure 0 and the others follow in order, each setting what it changes.
Boolean LitChangements(ByteReader *r, ScoreHandle score, StaffHandle staff) {
    UInt32 count = Get32(r);
    if (count < 1 || count > UInt32(kMaxChangementsPortee) || count > ByteReaderLeft(r)) return kFalse;
    SInt32 previous = -1;
    for (UInt32 i = 0; i < count; i++) {
        KeyClefChange change;
        if (!LitChamps(r, &kChangement, &change) || change.measure <= previous || (i == 0 && change.measure != 0))
            return kFalse;
        previous = change.measure;
        if ((i == 0 || (change.changes & kChangeTonalite)) &&
            FixeTonaliteMesure(score, staff, change.measure, &change.key, 0) != noErr)
            return kFalse;
        if ((i == 0 || (change.changes & kChangeCle)) && FixeClefMesure(score, staff, change.measure, &change.clef, 0) != noErr)
            return kFalse;
    }
    return kTrue;
}

// Notes are inserted as the model inserts any note, so chains and order follow its rules; their
// identities are kept.
Boolean LitNotes(ByteReader *r, StaffHandle staff) {
    UInt32 count = Get32(r);
    UInt32 next = (*staff)->nextNoteId;
    if (count > UInt32(kMaxNotesPortee) || count > ByteReaderLeft(r)) return kFalse;
    for (UInt32 i = 0; i < count; i++) {
        NoteRecord note;
        RazNote(&note, kPitchSilence, kTempsNoire);
        if (!LitChamps(r, &kNote, &note)) return kFalse;
        SInt32 index = InsereNote(staff, &note, note.time, 0, 0);
        if (index < 0) return kFalse;
        if (note.id != 0) GetNotePtr(staff, index)->id = note.id;
    }
    if (next != 0) (*staff)->nextNoteId = next;
    return kTrue;
}

Boolean EcritPortee(StaffHandle staff);

Boolean EcritPortees(NativeSaveRecord *save) {
    for (SInt16 s = 0; s < (*save->score)->staffCount; s++)
        if (!EcritPortee(GetPortee(save->score, s))) return kFalse;
    return kTrue;
}

Boolean EcritPortee(StaffHandle staff) {
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    StaffRecord fields = **staff;
    EcritChamps(&w, &kPortee, &fields);
    Put32(&w, UInt32(fields.changeCount));
    for (SInt32 i = 0; i < fields.changeCount; i++) {
        KeyClefChange change = reinterpret_cast<const KeyClefChange *>(*(*staff)->changes)[i];
        EcritChamps(&w, &kChangement, &change);
    }
    Put32(&w, UInt32(fields.noteCount));
    for (SInt32 i = 0; i < fields.noteCount; i++) {
        NoteRecord note = *GetNotePtr(staff, i);
        EcritChamps(&w, &kNote, &note);
    }
    if (!FinishByteWriter(&w)) {
        LibereHandle(&h);
        return kFalse;
    }
    // The singing block's length is known by writing it once as a count.
    DebuteComptageEcriture();
    if (!HookWriteParamsLyrovox(staff)) WriteCar(2);
    SInt64 block = TermineComptageEcriture();
    UInt32 model = GetHandleSize(h);
    Boolean ok = SInt64(model) + 4 + block <= SInt64(0x7FFFFFFF);
    HLock(h);
    ok = ok && WriteLong(SInt32(FourCC("STAF"))) && WriteLong(SInt32(4 + model + UInt32(block))) &&
         WriteLong(SInt32(model)) && WriteBlock(*h, SInt32(model));
    HUnlock(h);
    DisposHandle(h);
    if (ok && !HookWriteParamsLyrovox(staff)) ok = WriteCar(2);
    return ok;
}

// ---- Part groups -------------------------------------------------------------------------------------

OSErr LitGroupes(NativeLoadRecord *load, UInt32 length) {
    ByteReader r;
    Handle h = OuvreChunk(load, length, &r);
    if (!h) return paramErr;
    ScoreHandle score = load->score;
    UInt16 count = Get16(&r);
    GroupeNatif *group = reinterpret_cast<GroupeNatif *>(NewPtrClear(sizeof(GroupeNatif)));
    if (!group || count > kMaxPartGroups) r.failed = kTrue;
    for (UInt16 i = 0; i < count && !r.failed; i++) {
        if (!LitChamps(&r, &kGroupe, group)) break;
        SInt32 index = NewPartGroup(score, group->kind, group->barlines, group->first, group->last, group->x,
                                    group->longName, group->shortName);
        if (index < 0) {
            r.failed = kTrue;
            break;
        }
        PartGroupRecord *stored = reinterpret_cast<PartGroupRecord *>(*(*score)->partGroups) + index;
        stored->longNameStyle = group->styles[0];
        stored->shortNameStyle = group->styles[1];
    }
    if (group) DisposPtr(reinterpret_cast<Ptr>(group));
    return FermeChunk(load, h, &r);
}

Boolean EcritGroupes(NativeSaveRecord *save) {
    GroupeNatif *group = reinterpret_cast<GroupeNatif *>(NewPtrClear(sizeof(GroupeNatif)));
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    if (!group) w.failed = kTrue;
    SInt32 count = (*save->score)->partGroupCount;
    Put16(&w, UInt32(count));
    for (SInt32 i = 0; i < count && group; i++) {
        PartGroupRecord stored;
        GetPartGroup(save->score, i, &stored);
        group->kind = stored.kind;
        group->barlines = stored.barlines;
        group->first = stored.firstStaff;
        group->last = stored.lastStaff;
        group->x = stored.x;
        CopieNom(stored.longName, group->longName, sizeof group->longName);
        CopieNom(stored.shortName, group->shortName, sizeof group->shortName);
        group->styles[0] = stored.longNameStyle;
        group->styles[1] = stored.shortNameStyle;
        EcritChamps(&w, &kGroupe, group);
    }
    if (group) DisposPtr(reinterpret_cast<Ptr>(group));
    return TermineChunk(kChunksModele[5].tag, &w);
}

// ---- The table codec -----------------------------------------------------------------------------------

UInt32 TailleGenre(GenreChamp kind) {
    switch (kind) {
        case kChampU8: case kChampI8: return 1;
        case kChampU16: case kChampI16: return 2;
        default: return 4;
    }
}

void EcritTexte(ByteWriter *w, const char *text, size_t size) {
    size_t length = strnlen(text, size);
    Put16(w, UInt32(length));
    PutBytes(w, text, length);
}

void EcritChamps(ByteWriter *w, const TableChamps *table, const void *record) {
    const UInt8 *base = static_cast<const UInt8 *>(record);
    for (SInt32 f = 0; f < table->count; f++) {
        const ChampNatif &field = table->fields[f];
        const UInt8 *at = base + field.offset;
        for (UInt16 i = 0; i < field.count; i++) {
            if (field.kind == kChampTexte) {
                EcritTexte(w, reinterpret_cast<const char *>(at), field.count);
                break;
            }
            if (field.kind == kChampSous) {
                EcritChamps(w, field.sub, at + i * field.sub->size);
                continue;
            }
            if (field.kind == kChampTexteHandle) {
                Handle text;
                memcpy(&text, at, sizeof text);
                size_t length = text && *text ? strnlen(*text, GetHandleSize(text)) : 0;
                if (length > size_t(field.high)) length = size_t(field.high);
                Put32(w, UInt32(length));
                if (length) PutBytes(w, *text, length);
                break;
            }
            UInt32 size = TailleGenre(field.kind);
            UInt32 bits = 0;
            if (size == 1) {
                bits = at[i];
            } else if (size == 2) {
                UInt16 half;
                memcpy(&half, at + 2 * i, 2);
                bits = half;
            } else {
                memcpy(&bits, at + 4 * i, 4);
            }
            if (size == 1) Put8(w, bits);
            else if (size == 2) Put16(w, bits);
            else Put32(w, bits);
        }
    }
}

Boolean LitTexte(ByteReader *r, char *text, size_t size) {
    size_t length = Get16(r);
    const UInt8 *bytes = TakeBytes(r, length);
    if (!bytes) return kFalse;
    size_t keep = length < size - 1 ? length : size - 1;
    memcpy(text, bytes, keep);
    text[keep] = 0;
    return kTrue;
}

Boolean LitTexteHandle(ByteReader *r, const ChampNatif &field, UInt8 *at) {
    UInt32 length = Get32(r);
    if (length > field.high) return kFalse;
    const UInt8 *bytes = TakeBytes(r, length);
    if (!bytes) return kFalse;
    Handle text = nullptr;
    if (length > 0) {
        text = NewHandle(length + 1);
        if (!text) return kFalse;
        memcpy(*text, bytes, length);
        (*text)[length] = 0;
    }
    memcpy(at, &text, sizeof text);
    return kTrue;
}

// A number in its kind's width, checked against the field's range.
Boolean LitNombre(ByteReader *r, const ChampNatif &field, UInt8 *at) {
    double value;
    UInt32 bits;
    switch (field.kind) {
        case kChampU8: bits = Get8(r); value = bits; break;
        case kChampI8: bits = Get8(r); value = SInt8(bits); break;
        case kChampU16: bits = Get16(r); value = bits; break;
        case kChampI16: bits = Get16(r); value = SInt16(bits); break;
        case kChampU32: bits = Get32(r); value = bits; break;
        case kChampI32: bits = Get32(r); value = SInt32(bits); break;
        default: {
            bits = Get32(r);
            float f;
            memcpy(&f, &bits, sizeof f);
            if (!std::isfinite(f)) return kFalse;
            value = f;
        }
    }
    if (r->failed || value < field.low || value > field.high) return kFalse;
    UInt32 size = TailleGenre(field.kind);
    if (size == 1) *at = UInt8(bits);
    else if (size == 2) {
        UInt16 half = UInt16(bits);
        memcpy(at, &half, 2);
    } else {
        memcpy(at, &bits, 4);
    }
    return kTrue;
}

// Reads a record's fields into record; false (and the reader failed) on a value out of range or
// past the end. Texts read as handles before a failure stay in the record for its owner.
Boolean LitChamps(ByteReader *r, const TableChamps *table, void *record) {
    UInt8 *base = static_cast<UInt8 *>(record);
    for (SInt32 f = 0; f < table->count && !r->failed; f++) {
        const ChampNatif &field = table->fields[f];
        UInt8 *at = base + field.offset;
        Boolean ok = kTrue;
        if (field.kind == kChampTexte) ok = LitTexte(r, reinterpret_cast<char *>(at), field.count);
        else if (field.kind == kChampTexteHandle) ok = LitTexteHandle(r, field, at);
        else if (field.kind == kChampSous)
            for (UInt16 i = 0; i < field.count && ok; i++) ok = LitChamps(r, field.sub, at + i * field.sub->size);
        else
            for (UInt16 i = 0; i < field.count && ok; i++) ok = LitNombre(r, field, at + i * TailleGenre(field.kind));
        if (!ok) r->failed = kTrue;
    }
    return !r->failed;
}

// Copies the table's fields from one record to another of the same layout. A text handle moves:
// the destination's own is freed, the source's cleared.
void CopieChamps(const TableChamps *table, void *from, void *to) {
    UInt8 *source = static_cast<UInt8 *>(from);
    UInt8 *destination = static_cast<UInt8 *>(to);
    for (SInt32 f = 0; f < table->count; f++) {
        const ChampNatif &field = table->fields[f];
        UInt8 *a = source + field.offset, *b = destination + field.offset;
        if (field.kind == kChampSous) {
            for (UInt16 i = 0; i < field.count; i++) CopieChamps(field.sub, a + i * field.sub->size, b + i * field.sub->size);
        } else if (field.kind == kChampTexteHandle) {
            Handle moved, old;
            memcpy(&moved, a, sizeof moved);
            memcpy(&old, b, sizeof old);
            if (old != moved) LibereHandle(&old);
            memcpy(b, &moved, sizeof moved);
            memset(a, 0, sizeof moved);
        } else {
            memcpy(b, a, field.kind == kChampTexte ? field.count : field.count * TailleGenre(field.kind));
        }
    }
}

Boolean EcritEnregistrement(OSType tag, const TableChamps *table, const void *record) {
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    EcritChamps(&w, table, record);
    return TermineChunk(tag, &w);
}

Boolean TermineChunk(OSType tag, ByteWriter *w) {
    Handle h = w->handle;
    Boolean ok = h && FinishByteWriter(w);
    if (ok) {
        HLock(h);
        ok = EcritChunkNatif(tag, *h, GetHandleSize(h));
        HUnlock(h);
    }
    LibereHandle(&h);
    return ok;
}

Handle OuvreChunk(NativeLoadRecord *load, UInt32 length, ByteReader *r) {
    Handle h = LitOctetsNatif(load, length);
    *r = OrvaByteReader(h ? *h : nullptr, h ? length : 0);
    if (h) HLock(h);
    return h;
}

// Bytes left over are for a later version of the chunk; a reader that failed is a fault.
OSErr FermeChunk(NativeLoadRecord *load, Handle h, const ByteReader *r) {
    LibereHandle(&h);
    return r->failed ? FauteNatif(load, "value out of range or chunk cut short") : OSErr(noErr);
}

void CopieNom(Handle name, char *text, SInt32 size) {
    text[0] = 0;
    if (name && *name) snprintf(text, size_t(size), "%s", *name);
}

}  // namespace

// The instruments of the MusicXML score-instruments, the volume and pan they hand to their
// staves, the conversions between MusicXML bar ordinals and engine measures and times, and the
// importer's error sink.
#include "import/musicxml/musicxml_import.h"
#include "import/musicxml/musicxml_state.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "score/instruments.h"

namespace {

const UInt32 kTypeInstrumentXML = 6;
const SInt32 kIdDefautTaille = 32;

// What a midi-instrument sets, before it is stored.
struct MidiValues {
    SInt16 channel, program, bank, volume, pan, transposition;
    UInt8 volumeGiven, panGiven, unpitched;
};

void LitMidiInstrument(XMLImportState *state, XMLElt *midi, MidiValues *values);
XMLElt *MidiInstrumentDe(XMLElt *scoreInstrument, const char *id);
void CopieNomInstrument(XMLImportState *state, SInt16 index, const char *utf8);
Boolean Enregistre(XMLImportState *state, SInt32 part, SInt16 index, const char *id);
SInt16 Borne(XMLImportState *state, double value, SInt16 low, SInt16 high);
Boolean LitBarre(ScoreHandle score, SInt32 index, XMLBarRecord *bar);

}  // namespace

SInt16 XMLCreeInstrument(XMLImportState *state, SInt32 part, XMLElt *scoreInstrument, SInt16 transposition,
                         SInt32 ordinal) {
    SInt16 index = AjouteInstrument(state->score);
    if (index < 0) {
        XMLWarning(state, kXMLAvertiInstruments, "no room for more instruments: later parts use none");
        return -1;
    }
    MidiValues values = {};
    {
        const InstrumentRecord *fresh = GetInstrumentPtr(state->score, index);
        values = MidiValues{fresh->channel, fresh->program, fresh->bank, fresh->volume, fresh->pan, transposition,
                            0, 0, 0};
    }
    const char *id = XMLGetAttributeValue(scoreInstrument, "id");
    char made[kIdDefautTaille];
    if (scoreInstrument) CopieNomInstrument(state, index, XMLGetText(XMLGetChild(scoreInstrument, "instrument-name", 0)));
    if (id) {
        LitMidiInstrument(state, MidiInstrumentDe(scoreInstrument, id), &values);
    } else {
        snprintf(made, sizeof made, "def %d", int(ordinal));
        SetNomInstrument(state->score, index, made);
        snprintf(made, sizeof made, "default %d", int(ordinal));
        id = made;
    }
    InstrumentRecord *instrument = GetInstrumentPtr(state->score, index);
    instrument->kind = kTypeInstrumentXML;
    instrument->channel = values.channel;
    instrument->program = values.program;
    instrument->bank = values.bank;
    instrument->standardId = values.program * 100 + values.bank * 10;
    instrument->volume = values.volume;
    instrument->volumeGiven = values.volumeGiven;
    instrument->pan = values.pan;
    instrument->panGiven = values.panGiven;
    instrument->transposition = values.transposition;
    instrument->unpitched = values.unpitched;
    SInt32 sound = instrument->channel == kCanalBatterie
                       ? RsrcDgitBatterie(instrument->program, instrument->transposition)
                       : RsrcDgitInstrument(instrument->program, SInt16(instrument->bank * 128));
    instrument->soundId = UInt32(SInt32(SInt16(sound)));
    if (!Enregistre(state, part, index, id))
        XMLWarning(state, kXMLAvertiMemoire, "out of memory: instrument \"%.40s\" cannot be found again", id);
    return index;
}

SInt16 XMLGetInstrumentIdFromStr(XMLImportState *state, SInt32 part, const char *id) {
    if (!id) return -1;
    const XMLInstrumentNode *nodes = reinterpret_cast<const XMLInstrumentNode *>(state->instruments.bytes);
    for (SInt32 i = 0; i < state->instrumentCount; i++)
        if (nodes[i].part == part && strcmp(nodes[i].id, id) == 0) return nodes[i].index;
    return -1;
}

void XMLDisposeInstrumentReg(XMLImportState *state) {
    XMLReleaseGrowable(&state->instruments);
    state->instrumentCount = 0;
}

void XMLReporteInstrumentsSurPistesNumeriques(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        const InstrumentRecord *instrument = GetInstrumentPtr(score, (*staff)->instrument);
        if (!instrument) continue;
        if (instrument->volumeGiven) (*staff)->volume = instrument->volume;
        if (instrument->panGiven) (*staff)->pan = instrument->pan;
    }
}

SInt32 CvtBarXMLEnBarCadenzo(ScoreHandle score, SInt32 bar) {
    XMLBarRecord record;
    if (bar <= INT32_MIN + 1 || !LitBarre(score, bar - 1, &record) || record.measure < 0 || record.measure == INT32_MAX)
        return bar;
    return record.measure + 1;
}

void CvtPosJeuCadenzoEnPosXML(SInt32 position, SInt32 *bar, float *fraction) {
    SInt32 first = 0, rests = 0;
    SInt32 start = 0, length = 0;
    XMLBarRecord record;
    for (; LitBarre(partitionEnCours, first, &record) && record.start <= position; first++) {
        start = record.start;
        length = record.length;
        rests += record.multipleRests;
    }
    SInt32 found = first - 1 - rests;
    if (bar) *bar = found > 0 ? found : 0;
    if (fraction) *fraction = length != 0 ? float(double(position - start) / length) : 0.0f;
}

void XMLErr(const char *message, XMLElt *) {
    if (message) PlugTrace("musicxml: %s", message);
}

namespace {

// The values in the order a midi-instrument is read: a "volume" wins over a "midi-volume" and
// a "pan" over a "midi-panning". Channels keep to 1..16 and the other values to 0..127.
void LitMidiInstrument(XMLImportState *state, XMLElt *midi, MidiValues *values) {
    if (!midi) return;
    long channel = XMLGetTextLong(XMLGetChild(midi, "midi-channel", 0));
    if (channel != kXMLNoLong) values->channel = Borne(state, channel, 1, 16);
    long bank = XMLGetTextLong(XMLGetChild(midi, "midi-bank", 0));
    if (bank != kXMLNoLong && bank >= 1) values->bank = Borne(state, double(bank) - 1, 0, 127);
    long program = XMLGetTextLong(XMLGetChild(midi, "midi-program", 0));
    if (program != kXMLNoLong) values->program = Borne(state, double(program) - 1, 0, 127);
    long midiVolume = XMLGetTextLong(XMLGetChild(midi, "midi-volume", 0));
    if (midiVolume != kXMLNoLong) values->volume = Borne(state, midiVolume, 0, 127), values->volumeGiven = 1;
    float percent = XMLGetTextFloat(XMLGetChild(midi, "volume", 0));
    if (percent != kXMLNoFloat) values->volume = Borne(state, std::trunc(double(percent) * 127 / 100), 0, 127),
                                values->volumeGiven = 1;
    // Degrees from -90 (left) to 90 (right) onto 0..126; times 7 over 10 so that 0 and 90 come
    // out exactly as 63 and 126.
    const char *panNames[] = {"midi-panning", "pan"};
    for (const char *name : panNames) {
        float degrees = XMLGetTextFloat(XMLGetChild(midi, name, 0));
        if (degrees == kXMLNoFloat) continue;
        values->pan = Borne(state, std::trunc((double(degrees) + 90) * 7 / 10), 0, 127);
        values->panGiven = 1;
    }
    long unpitched = XMLGetTextLong(XMLGetChild(midi, "midi-unpitched", 0));
    if (unpitched != kXMLNoLong) values->transposition = Borne(state, double(unpitched) - 1, 0, 127),
                                 values->unpitched = 1;
}

// The midi-instrument beside the score-instrument that carries its id.
XMLElt *MidiInstrumentDe(XMLElt *scoreInstrument, const char *id) {
    XMLElt *part = scoreInstrument->parent;
    for (SInt32 i = 0; part && i < part->childCount; i++) {
        XMLElt *child = part->children[i];
        if (strcmp(child->name, "midi-instrument") != 0) continue;
        const char *childId = XMLGetAttributeValue(child, "id");
        if (childId && strcmp(childId, id) == 0) return child;
    }
    return nullptr;
}

// The name is kept in MacRoman: converted first, then cut to the field.
void CopieNomInstrument(XMLImportState *state, SInt16 index, const char *utf8) {
    if (!utf8) return;
    SInt32 count = 0;
    EncodedStr roman = UTFTextToMacRoman(utf8, 0, SInt32(strlen(utf8)), &count);
    if (!roman) {
        XMLWarning(state, kXMLAvertiMemoire, "an instrument name could not be converted");
        return;
    }
    char name[kNomInstrumentTaille];
    SInt32 length = count < kNomInstrumentTaille - 1 ? count : kNomInstrumentTaille - 1;
    memcpy(name, roman, size_t(length));
    name[length] = 0;
    DisposeEncodedStr(roman);
    SetNomInstrument(state->score, index, name);
}

Boolean Enregistre(XMLImportState *state, SInt32 part, SInt16 index, const char *id) {
    char *copy = XMLStoreString(&state->store, id);
    if (!copy) return kFalse;
    XMLInstrumentNode node = {part, index, copy};
    SInt64 size = SInt64(state->instrumentCount + 1) * sizeof node;
    if (!XMLReserve(&state->instruments, size)) return kFalse;
    reinterpret_cast<XMLInstrumentNode *>(state->instruments.bytes)[state->instrumentCount++] = node;
    return kTrue;
}

SInt16 Borne(XMLImportState *state, double value, SInt16 low, SInt16 high) {
    if (value >= low && value <= high) return SInt16(value);
    XMLWarning(state, kXMLAvertiMIDI, "a MIDI value outside %d..%d is brought within it", low, high);
    return value > high ? high : low;  // NaN takes the low end
}

Boolean LitBarre(ScoreHandle score, SInt32 index, XMLBarRecord *bar) {
    if (!IsPartitionValide(score) || !(*score)->collection || index < 0) return kFalse;
    SInt32 size = sizeof *bar;
    return GetCollectionItem((*score)->collection, kXMLTypeBarre, index, &size, bar) == noErr && size == sizeof *bar;
}

}  // namespace

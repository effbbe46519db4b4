// The events of one staff: its notes measure by measure in played order, with their ties,
// grace notes and trills; and the metronome's clicks.
#include "sound/sequencer_internal.h"

#include <algorithm>
#include <cmath>

#include "platform/core/memory.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "sound/dynamics_play.h"
#include "sound/note_effects_play.h"
#include "sound/play_instruments.h"
#include "sound/sound_bank.h"

namespace {

const double kUnitesAttaque = kTempsNoire / 256.0;  // a note's attack counts 1/256 of a quarter
const SInt32 kMaxLiensChaine = 4096;                 // notes one tie chain may join

// How a staff's notes reach the bank.
struct StaffSound {
    SInt32 instrument;   // bank id of the events
    Boolean fixedKey;    // one drum sound: every note plays key
    SInt32 key;
    SInt32 transpose;    // semitones added to pitches
    UInt16 staff;
};

StaffSound SonDePortee(ScoreHandle score, StaffHandle staff);
SInt32 *MarqueSuitesDeLiaison(StaffHandle staff);
SInt32 LongueurChaine(const FlattenRecord *f, StaffHandle staff, SInt32 index, SInt32 k);
Boolean SuiteJouee(const FlattenRecord *f, StaffHandle staff, SInt32 source, SInt32 k);
void AjouteNote(FlattenRecord *f, StaffHandle staff, const StaffSound &sound, SInt32 index, SInt32 k, SInt32 units);
SInt32 BattementsMesure(const TimeSignature &signature, SInt32 length, SInt32 *beat);

}  // namespace

void AplatitPortee(FlattenRecord *f, StaffHandle staff) {
    if ((*staff)->noteCount <= 0) return;
    StaffSound sound = SonDePortee(f->score, staff);
    SInt32 *tiedFrom = MarqueSuitesDeLiaison(staff);
    for (SInt32 k = 0; k < f->measureCount && f->err == noErr; k++) {
        const PlayedMeasureRecord &m = f->measures[k];
        SInt32 from = std::max(m.written, f->rangeStart), to = std::min(m.written + m.length, f->rangeEnd);
        for (SInt32 i = CvtTempsEnIndexNote(staff, from); i < (*staff)->noteCount; i++) {
            const NoteRecord *note = GetNotePtr(staff, i);
            if (note->time >= to) break;
            if (note->pitch < 0) continue;
            if (tiedFrom && tiedFrom[i] >= 0 && SuiteJouee(f, staff, tiedFrom[i], k)) continue;
            AjouteNote(f, staff, sound, i, k, LongueurChaine(f, staff, i, k));
        }
    }
    if (tiedFrom) DisposPtr(reinterpret_cast<Ptr>(tiedFrom));
}

void AplatitMetronome(FlattenRecord *f, StaffHandle staff, SInt16 countInBars, double countInMs) {
    const InstrumentRecord *instrument = GetInstrumentPtr(f->score, (*staff)->instrument);
    SInt32 id = IdSonInstrument(instrument);
    SInt32 kit = EstIdBatterie(id) ? IdBatterieBanque((id - kBankDrumBase) / 128, 0) : IdBatterieBanque(0, 0);
    UInt16 index = UInt16((*staff)->index);
    SInt32 click = SInt32(std::lround(double(kDureeClicMetronomeMs) * f->rate / 1000.0));
    for (SInt32 k = 0; k < f->measureCount && f->err == noErr; k++) {
        const PlayedMeasureRecord &m = f->measures[k];
        SInt32 beat = 0, beats = BattementsMesure(GetMesurePtr(f->score, m.measure)->signature, m.length, &beat);
        for (SInt32 b = 0; b < beats; b++) {
            SInt32 at = m.written + b * beat;
            if (at < f->rangeStart || at >= f->rangeEnd) continue;
            Boolean strong = IsTempsFortMetronome(b);
            AjouteEvenementFrames(f, {FrameDeSegments(f, m.played + double(at - m.written)), click, kit, index,
                                      UInt8(strong ? kToucheMetronomeFort : kToucheMetronomeFaible),
                                      UInt8(strong ? kVelociteTempsFort : kVelociteTempsFaible)});
        }
    }
    if (countInBars <= 0 || countInMs <= 0 || f->measureCount == 0) return;
    // The count-in: bars of the first measure's beats before the music, at its tempo.
    const PlayedMeasureRecord &first = f->measures[0];
    SInt32 beat = 0, beats = BattementsMesure(GetMesurePtr(f->score, first.measure)->signature, first.length, &beat);
    SInt32 total = beats * countInBars;
    double beatFrames = double(f->startFrame) / total;
    for (SInt32 c = 0; c < total; c++) {
        Boolean strong = IsTempsFortMetronome(c % beats);
        AjouteEvenementFrames(f, {SInt64(std::llround(c * beatFrames)), click, kit, index,
                                  UInt8(strong ? kToucheMetronomeFort : kToucheMetronomeFaible),
                                  UInt8(strong ? kVelociteTempsFort : kVelociteTempsFaible)});
    }
}

double DureeDecompteMs(const FlattenRecord *f, SInt16 bars) {
    if (bars <= 0 || f->measureCount == 0) return 0;
    double perUnit = MsDeSegments(f->segments, f->segmentCount, f->startTick + 1.0) - f->msAtStart;
    return double(bars) * f->measures[0].length * perUnit;
}

namespace {

StaffSound SonDePortee(ScoreHandle score, StaffHandle staff) {
    const InstrumentRecord *instrument = GetInstrumentPtr(score, (*staff)->instrument);
    StaffSound sound = {IdSonInstrument(instrument), false, 0, 0, UInt16((*staff)->index)};
    if (EstIdBatterie(sound.instrument)) {
        // A kit plays each pitch as its key; one drum sound plays its own key.
        sound.fixedKey = instrument && instrument->unpitched;
        sound.key = (sound.instrument - kBankDrumBase) % 128;
        sound.instrument -= sound.key;
    } else if (instrument) {
        sound.transpose = instrument->transposition;
    }
    return sound;
}

// For each note that a tie continues, the note it continues; null without ties (or memory).
SInt32 *MarqueSuitesDeLiaison(StaffHandle staff) {
    if (!(*staff)->noteParams) return nullptr;
    SInt32 count = (*staff)->noteCount;
    SInt32 *from = reinterpret_cast<SInt32 *>(NewPtr(UInt32(count) * sizeof(SInt32)));
    if (!from) return nullptr;
    std::fill(from, from + count, -1);
    for (SInt32 i = 0; i < count; i++) {
        SInt32 next = NoteLieeSuivante(staff, i);
        if (next > i) from[next] = i;
    }
    return from;
}

// The measure of a note: searched from the played measure k, where the chain walk stands.
Boolean DansMesure(const PlayedMeasureRecord &m, SInt32 time) { return time >= m.written && time < m.written + m.length; }

// A continuation is silent when the note tied into it sounded just before it: in the same
// measure, or in the written measure before when that one was played just before.
Boolean SuiteJouee(const FlattenRecord *f, StaffHandle staff, SInt32 source, SInt32 k) {
    SInt32 time = GetNotePtr(staff, source)->time;
    if (DansMesure(f->measures[k], time)) return true;
    return k > 0 && DansMesure(f->measures[k - 1], time) && f->measures[k - 1].measure + 1 == f->measures[k].measure;
}

// The note's length with the notes tied after it, followed while the music goes on into the
// written measure that holds them.
SInt32 LongueurChaine(const FlattenRecord *f, StaffHandle staff, SInt32 index, SInt32 k) {
    SInt64 units = GetNotePtr(staff, index)->duration;
    for (SInt32 links = 0, i = index; links < kMaxLiensChaine && units < kTempsMax; links++) {
        SInt32 next = NoteLieeSuivante(staff, i);
        if (next < 0) break;
        SInt32 time = GetNotePtr(staff, next)->time;
        if (!DansMesure(f->measures[k], time)) {
            if (k + 1 >= f->measureCount || !DansMesure(f->measures[k + 1], time) ||
                f->measures[k + 1].measure != f->measures[k].measure + 1)
                break;
            k++;
        }
        units += GetNotePtr(staff, next)->duration;
        i = next;
    }
    return SInt32(std::min<SInt64>(units, kTempsMax));
}

// One sounding note: its grace notes take time from its start and end, a trill cuts what
// remains into pieces; the release shortens the last sound.
void AjouteNote(FlattenRecord *f, StaffHandle staff, const StaffSound &sound, SInt32 index, SInt32 k, SInt32 units) {
    const PlayedMeasureRecord &m = f->measures[k];
    NoteRecord note = *GetNotePtr(staff, index);
    double onset = m.played + double(note.time - m.written) + note.attack * kUnitesAttaque;
    if (f->rangeEnd < kTempsMax) units = std::min<SInt32>(units, f->rangeEnd - note.time);
    SInt32 velocity = AppliquePourcentVelocite(staff, note.velocity ? note.velocity : SInt16(kVelociteSansValeur), note.time);
    SInt32 key = sound.fixedKey ? sound.key : note.pitch + sound.transpose;
    double release = (note.release ? std::min<UInt16>(note.release, 1000) : 100) / 100.0;
    GraceToPlay graces[kMaxAppoggiatures];
    SInt32 before = 0, after = 0;
    SInt32 graceCount = ConstruitTableauAppoggiaturesAJouer(staff, index, units, graces, &before, &after);
    for (SInt32 g = 0; g < graceCount; g++) {
        const GraceToPlay &grace = graces[g];
        double at = onset + (grace.after ? units - after : 0) + grace.offset;
        SInt32 v = grace.velocity == kVelociteDeLaNote ? velocity : std::min<SInt32>(grace.velocity, 127);
        AjouteEvenementSon(f, at, grace.duration, sound.instrument, sound.staff,
                           sound.fixedKey ? key : key + grace.interval, v);
    }
    SInt32 main = std::max<SInt32>(1, units - before - after);
    TrillPiece pieces[kMaxNotesTrille];
    SInt32 pieceCount = ConstruitTrilleAJouer(staff, index, main, pieces, kMaxNotesTrille);
    if (pieceCount == 0) {
        AjouteEvenementSon(f, onset + before, main * release, sound.instrument, sound.staff, key, velocity);
        return;
    }
    for (SInt32 p = 0; p < pieceCount; p++) {
        double length = p + 1 == pieceCount ? pieces[p].length * release : pieces[p].length;
        AjouteEvenementSon(f, onset + before + pieces[p].offset, length, sound.instrument, sound.staff,
                           sound.fixedKey ? key : key + pieces[p].interval, velocity);
    }
}

// The metronome's beats in a measure: the signature's beats (a dotted quarter in 6/8, 9/8,
// 12/8 ...), at least one; *beat their length.
SInt32 BattementsMesure(const TimeSignature &signature, SInt32 length, SInt32 *beat) {
    SInt32 denominator = signature.denominator > 0 ? signature.denominator : 4;
    SInt32 unit = kTempsRonde / denominator;
    if (denominator >= 8 && signature.numerator > 3 && signature.numerator % 3 == 0) unit *= 3;
    *beat = std::max<SInt32>(unit, 1);
    return std::max<SInt32>(1, (length + *beat - 1) / *beat);
}

}  // namespace

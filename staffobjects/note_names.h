// Note names in the user's naming (letters C D E ... or fixed-do Do Ré Mi ...), keys built
// from their tonic and mode, and pitches moved by staff steps. Names are MacRoman, as the
// player's interface strings are. Main thread only: the name table is process-wide.
#pragma once

#include "score/score_model.h"

enum : SInt32 { kNomNoteMax = 16 };  // bytes a note name takes at most, its terminator included

// Rebuilds the table of the seven note names from the letter-name preference (pref.angloNotation):
// letters when it is set, fixed-do syllables otherwise. Call it after the preference changed;
// until the first call the letters answer.
void InitTabNomNote();
// Writes the name of a degree (0..6, C = 0) with its alteration (-2..2 semitones) into
// destination (kNomNoteMax bytes): the table's name, then "#" or "b" per semitone. A degree
// outside 0..6 writes "".
void GetNomNote(char *destination, SInt16 degree, SInt16 alteration);
// Reads a note name at the start of text in either naming (a letter A..G, or Do Re Ré Mi Fa
// Sol La Si Ti, the accent in MacRoman or UTF-8, syllables in any case) and the "#" and "b"
// that follow it (at most two). Letters are tried first unless fixedDoFirst. Answers the bytes
// read, 0 when no name starts the text.
SInt32 LitNomNote(const char *text, SInt32 length, Boolean fixedDoFirst, SInt16 *degree, SInt16 *alteration);
// Fills key->degrees from its tonicDegree, tonicAccidental and mode (kModeMajeur, else natural
// minor), and its kind (the standard key number) when the key is one of the fifteen standard
// ones, else 0. Degrees that would need a double accidental take kAlterationDoubleDiese or
// kAlterationDoubleBemol. False, and the key left alone, for a tonic degree outside 0..6.
Boolean CalculeArmureFnFondamentaleEtMode(KeySignature *key);
// The pitch (MIDI) of the staff position of the note at index moved by steps diatonic steps,
// with accidental: kAlterationDiese, kAlterationBecarre or kAlterationBemol, or kAlterationAucune
// for what key gives that degree (the staff's key at the note's time when key is null). -1 for
// an index outside the staff or a rest.
SInt16 GetDemiTonNoteDelta(StaffHandle staff, const KeySignature *key, SInt32 index, SInt16 steps, UInt8 accidental);

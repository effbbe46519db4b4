// Styled strings: UTF-8 text with style runs, held in one relocatable handle so that cells and
// names copy and store as plain bytes. The handle holds a StyledStringHeader, runCount
// StyledRuns, then the text and a terminating zero. Offsets are bytes. Every call keeps the
// string whole: offsets past the text clamp to its end, offsets inside a character move to its
// start, runs start at character boundaries before the end, and invalid UTF-8 given to
// CreeChaineStyle becomes '?'. Main thread only.
#pragma once

#include "platform/core/errors.h"
#include "score/music_records.h"

typedef Handle StyledStringHandle;

enum : SInt32 { kMaxChaineStyle = 1 << 20 };  // bytes of text a styled string holds at most

#pragma pack(push, 1)
struct StyledStringHeader {
    SInt32 length;     // bytes of text, 0..kMaxChaineStyle
    SInt32 runCount;   // 0: the whole text in the default style
};
// A run of text from start to the next run's start (or the end) in one style. A style whose size
// is 0 is the default one (the cell's or the drawing's own).
struct StyledRun {
    SInt32 start;
    TextStyleRecord style;
};
#pragma pack(pop)
static_assert(sizeof(StyledStringHeader) == 8 && sizeof(StyledRun) == 16, "styled strings are stored as bytes");

// A new string holding length bytes of utf8 (length < 0: up to its zero) in style (null: the
// default style). Null for a null text, more than kMaxChaineStyle bytes or no memory. Caller
// disposes (DisposeChaineStyle).
StyledStringHandle CreeChaineStyle(const char *utf8, SInt32 length, const TextStyleRecord *style);
void DisposeChaineStyle(StyledStringHandle *string);  // clears *string; null: nothing
// Whether h holds a well-formed styled string (sizes, run order and boundaries, valid UTF-8).
Boolean IsChaineStyleValide(Handle h);
// Bytes of text; 0 for null or a malformed handle.
SInt32 GetStrlenBrutTexteStyle(StyledStringHandle string);
// Copies the plain text into destination (size bytes), cut at a character boundary and always
// zero-terminated; answers the bytes copied. 0 (and "") for null or a malformed handle.
SInt32 GetTexteBrutTexteStyle(StyledStringHandle string, char *destination, SInt32 size);
// The text in place (zero-terminated; valid until memory moves), "" for null or a malformed handle.
const char *GetTextePtrChaineStyle(StyledStringHandle string);
// A new string holding the text from start to end with its styles; null for a malformed handle
// or no memory. Caller disposes.
StyledStringHandle ExtraitSousChaineStyle(StyledStringHandle string, SInt32 start, SInt32 end);
// Inserts a copy of insert (its runs; a text without runs takes the style in force at offset)
// into string at offset. paramErr for a malformed handle or a result past kMaxChaineStyle,
// memFullErr; string is unchanged on failure.
OSErr InsereSousChaineStyle(StyledStringHandle string, SInt32 offset, StyledStringHandle insert);
// Removes the text from start to end; paramErr for a malformed handle.
OSErr SupprimeSousChaineStyle(StyledStringHandle string, SInt32 start, SInt32 end);
// The style in force at offset (the default style, size 0, where no run applies); false for a
// malformed handle.
Boolean GetStyleChaineStyle(StyledStringHandle string, SInt32 offset, TextStyleRecord *style);
// The start of the style run after the one in force at offset, or the text's length.
SInt32 GetFinRunChaineStyle(StyledStringHandle string, SInt32 offset);
// The offset moved back to the start of the character that holds it, clamped to 0..length.
SInt32 DebutCaractereUTF8(const char *text, SInt32 length, SInt32 offset);

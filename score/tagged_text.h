// The tagged text of presets, voice data and configuration files (docs/tagged-text.md): words
// separated by blanks and line ends, one "tag value" a line indented by section, numbers in the
// C locale, quoted strings, and byte blocks in radix-64 digits. One current source or target for
// the process. Main thread only: the record is process-wide and unguarded.
#pragma once

#include <cstdio>

#include "platform/core/mac_types.h"

enum : SInt32 {
    kTagMotMax = 255,             // characters of a word kept; the rest of a longer word is dropped
    kTagBlocMax = 64 << 20,       // bytes of one block
};

// Writes go into h from its start (growing it) until TagSetMemory(null), which trims the handle
// to the text written; answers the handle that was the target before (trimmed), or null.
Handle TagSetMemory(Handle h);
// Makes file the source of the readers and the target of the writers (when no handle is) and
// answers the previous file. The caller keeps the file open and closes it.
FILE *TagSetFile(FILE *file);

// Readers. Each word read that is not what a reader wants gives one warning and its failure answer.
// Scans words until one equals tag (true); other gives every word passed over (may be null).
// False at the end of the source.
Boolean TagWait(const char *tag, void (*other)(const char *word));
// Hands every word up to endTag to callback with context, which may read the values that
// follow its word. True at endTag; false at the end of the source.
Boolean TagWaitPtr(const char *endTag, void (*callback)(const char *word, void *context), void *context);
SInt16 TagReadShort();   // 0 for a word that is not a number within 16 bits
SInt32 TagReadLong();    // 0 for a word that is not a number within 32 bits
float TagReadFloat();    // 0 for a word that is not a finite number
// A string between double quotes with \" and \\ escapes into size bytes: what fits is kept,
// followed by a zero. False without an opening quote or when the source ends before the closing one.
Boolean TagReadStringGuillemet(char *buffer, SInt32 size);
// A block: its byte count, then its digits. At most size bytes are kept; answers the count kept,
// -1 for a bad count or digit (the bytes not read are zero).
SInt32 TagReadBlock(void *bytes, SInt32 size);
// The digits of n bytes (blanks between digits are passed over); false for a bad digit or an
// early end (the bytes not read are zero).
Boolean TagReadRawBlock(void *bytes, SInt32 n);

// Writers. False when the target refused bytes.
void TagIncTab();   // lines that follow are indented one tab more
void TagDecTab();
Boolean TagWriteTag(const char *tag);  // a line holding only the tag: a section's start or end
Boolean TagWriteShortTag(const char *tag, SInt16 value);
Boolean TagWriteLongTag(const char *tag, SInt32 value);
Boolean TagWriteFloatTag(const char *tag, float value);  // three decimals
Boolean TagWriteLongTagSiNonVide(const char *tag, SInt32 value);  // nothing for 0
Boolean TagWriteFloatTagSiNonVide(const char *tag, float value);  // nothing for 0
Boolean TagWriteStringGuillemetTagSiNonVide(const char *tag, const char *text);  // nothing for null or ""
Boolean TagWriteBlockTag(const char *tag, const void *bytes, SInt32 n);  // tag, count, digits
Boolean TagWriteRawBlock(const void *bytes, SInt32 n);  // the digits alone, on the current line
Boolean TagWriteCar(char c);

// Radix-64 text: the digits of n bytes, most significant bit first, the last padded with zero
// bits: (8n + 5) / 6 of them.
SInt64 TailleRadix64(SInt64 n);
void EncodeRadix64(const void *bytes, SInt32 n, char *digits);  // TailleRadix64(n) digits, no zero

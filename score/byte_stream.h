// The byte stream: one current file for the whole process, read or written big-endian through
// the bounded byte cursor, optionally LZW-coded (docs/lzw.md), and a writer that can be pointed
// at a growable handle instead. Loaders open the file, read it with ReadCar and the readers
// below, and close it; writers are the tools' and the singer's. Main thread only: the record is
// process-wide and unguarded.
#pragma once

#include <cstdio>

#include "platform/core/byte_reader.h"
#include "score/file_source.h"
#include "score/lzw.h"

enum : SInt32 {
    kChaineFluxMax = 255,        // bytes of a stored string (one length byte)
    kNomFichierCourant = 781,    // bytes of the current file's name kept for messages
    kTamponDecodage = 65536,     // bytes decoded from an LZW segment at a time
};

// Where the bytes being read come from: the file's own bytes, those decoded from a coded
// segment, or the one byte UnGetCar gave back.
enum VueFlux : UInt8 { kVueAucune, kVueSource, kVueDecodee, kVueRendue };

// The current file's state. ReadCar reads current in place; everything else goes through the
// procedures below. current is a working copy of the reader of its kind (source.view, decoded
// or pushed), put back whenever another kind takes over.
struct ByteStreamRecord {
    ByteReader current;
    VueFlux kind;
    FILE *file;                  // owned; null: no current file
    Boolean writing;             // opened for writing
    Boolean lzw;                 // coding on (both ways)
    Boolean broken;              // a coding fault was met: every read is at the end
    Boolean warned;              // the fault was reported
    Boolean ended;               // a read went past the end
    char name[kNomFichierCourant];
    // Reading
    SourceFichier source;
    LzwDecodeur *decoder;        // malloc, made when coding starts
    UInt8 *decodedBytes;         // kTamponDecodage bytes, malloc
    ByteReader decoded;
    ByteReader pushed;           // over pushedByte
    UInt8 pushedByte;
    VueFlux beforePush;          // the kind UnGetCar interrupted
    SInt64 logical;              // bytes read through the API before current.bytes[viewStart]
    size_t viewStart;
    // Writing
    LzwCodeur *coder;            // malloc, made when coding starts
    Boolean writeFailed;
    ByteWriter memory;           // FixeEcritureSurHandle's target
    Boolean inMemory;
    Boolean counting;            // bytes are only counted (chunk lengths)
    Boolean countingLzw;         // the coding mode a counted writer believes in
    SInt64 counted;
};
extern ByteStreamRecord gFluxOctets;
// &gFluxOctets.current, reached through a variable so that ReadCar's loop addresses the cursor
// through a register (the processor then forwards its position from store to load at once).
extern ByteReader *gLectureFlux;

// Opens path as the current file with "rb" (reading) or "wb"/"ab" (writing), coding off. A file
// still current is closed first, with a trace line. False when it cannot be opened; for writing
// the warning "Can't open the file '%s' for writing." is given as well.
Boolean CadenzoOpenFile(const char *path, const char *mode);
// Makes an open file current the same way (tests and fuzzing read from memory files); the
// stream owns it from then on. name is for messages (may be null).
Boolean FixeFichierCourant(FILE *file, Boolean writing, const char *name);
// Closes the current file, ending a coded segment first. False when bytes written were lost.
Boolean CloseFile();
Boolean IsFichierCourantOuvert();

// Reading. Past the end every read answers 0 (ReadCar -1) and EndOfFile turns true.
Boolean EndOfFile();
SInt16 ReadCarLent();
inline SInt16 ReadCar() {  // the next byte 0..255, -1 at the end
    ByteReader *view = gLectureFlux;
    if (ByteReaderLeft(view) > 0) return Get8(view);
    return ReadCarLent();
}
void UnGetCar(SInt16 c);  // the next read gives c; one byte is kept (a second call replaces it)
SInt16 ReadShort();
SInt32 ReadLong();
float ReadFloat();
// Reads n bytes; a short read zero-fills the rest, answers false and leaves the stream at its end.
Boolean ReadBlock(void *bytes, SInt32 n);
Boolean ReadGap(SInt32 n);  // passes over n bytes; false when fewer remain
// A stored string (a length byte, then the bytes) into size bytes: what fits is kept, followed
// by a zero; the whole stored length is consumed. False at the end of the file.
Boolean ReadString(char *buffer, SInt32 size);
SInt64 PositionLectureFichier();  // bytes read through the API since the file was opened

// Writing, to the handle in memory mode, else to the current file. False on a failed byte.
Boolean WriteBlock(const void *bytes, SInt32 n);
Boolean WriteCar(UInt8 c);
Boolean WriteShort(SInt16 value);
Boolean WriteLong(SInt32 value);
Boolean WriteFloat(float value);
Boolean WriteString(const char *text);  // at most kChaineFluxMax bytes, as ReadString reads them

// Switches coding on or off at this point of the file and answers the previous mode. Off ends
// the writer's segment with the end code and pads it to a byte; the reader then expects the end
// code and goes on with the next whole byte. A reader that finds anything else reports it once
// and stays at the end of the file.
Boolean SetLZWMode(Boolean on);

// Memory mode: writes go into h from its start (growing it) until TermineEcritureSurHandle,
// which trims it to the bytes written and answers it (null when not in memory mode).
void FixeEcritureSurHandle(Handle h);
Handle TermineEcritureSurHandle();

// Counting mode, for lengths written before their bytes: writes and coding switches only count
// the bytes, until TermineComptageEcriture answers how many there were.
void DebuteComptageEcriture();
SInt64 TermineComptageEcriture();

// The archive reader hands the current file to minizip: PrendFichierBrut gives it back at the
// position read so far (buffered bytes returned, coding must be off), RendFichierBrut takes it
// again from wherever the file now stands. Null without a file or while coding.
FILE *PrendFichierBrut();
void RendFichierBrut();

// Another file can be made current for a while and the first one taken back afterwards.
struct FichierCourantSauve {
    ByteStreamRecord state;
};
void SauveFichierCourant(FichierCourantSauve *saved);     // no file is current afterwards
void RestaureFichierCourant(FichierCourantSauve *saved);  // closes the current file first

// The MusicXML importer as the rest of the system sees it: the format rows (plain .xml and
// .musicxml, zip .mxl, gzip .xmz), the load itself, and the conversions between MusicXML bar
// ordinals and the engine's measures and times that stay usable after a load.
// musicxml_driver.cpp: the load and the format tests; musicxml_formats.cpp: the rows;
// musicxml_instruments.cpp: the bar conversions; musicxml_conversions.cpp: the accidental
// codes and octave shifts. Main thread only; one load at a time.
#pragma once

#include <cstdio>

#include "score/score_model.h"

enum : SInt32 {
    kXMLMaxDocumentGzip = 256 << 20,  // bytes an .xmz may inflate to; more fails the load
    kXMLCheminMembre = 256,           // bytes of a zip member's name with its terminator
};

const OSType kFormatMXL = FourCC("LMX ");  // DocumentRecord::format of a zip container
const OSType kFormatXMZ = FourCC("ZLMX");  // and of a gzip-compressed document

// Registers the three rows in the score format table, the bar conversion in the score's import
// hooks and the tie shape in the engraver's. Called once at start-up by the plug-in and the tools.
void XMLEnregistreFormats();

// The format tests: the text after the last '.' of the name, case ignored ("xml" or
// "musicxml"; "mxl"; "xmz"). A name without a '.' is none of them.
Boolean IsFichierXML(const char *name);
Boolean IsFichierMXL(const char *name);
Boolean IsFichierXMLCompresse(const char *name);

// The root MusicXML member of the zip container at path, in a new handle the caller disposes
// with DisposeZipHandle: the first rootfile "META-INF/container.xml" names, else the first
// member ending ".xml" or ".musicxml" outside "META-INF/". Null when that member is missing
// (traced "file %s not found in the zipfile") or the archive holds none.
Handle LoadMXL(const char *path);

// Loads a MusicXML document (the bytes of xml, or when it is null the whole of stream) into the
// document's current score, made when it has none. True when a "score-partwise" document was
// imported; false (the parser's message, or why the document is refused, reported through the
// runtime's Collapse) leaves the document with an empty score.
Boolean ChargeMusiqueXML(DocumentRecord *document, Handle xml, FILE *stream);

// The engine measure (from 1) of MusicXML measure ordinal bar (from 1), through the 'bnum' items
// a load left in the score's collection; bar itself for a score without them (a native one).
SInt32 CvtBarXMLEnBarCadenzo(ScoreHandle score, SInt32 bar);
// The MusicXML measure ordinal (from 0, multiple rests counted once) and the fraction of it
// played at a score time of partitionEnCours; 0 and 0.0 without a score or its items.
void CvtPosJeuCadenzoEnPosXML(SInt32 position, SInt32 *bar, float *fraction);

// The accidental code of a MusicXML accidental name, compared exactly: "natural" 0, "sharp" 1,
// "flat" 3, "double-sharp" and "sharp-sharp" 4, "flat-flat" 5, anything else or null 2.
UInt8 XMLGetAccidentalCode(const char *name);
// Moves the notes of a staff that start in [from, to) down by whole octaves (negative: up), on
// every staff of its merge group. A note whose pitch would leave 0..127 is left as it is.
void XMLShiftOctaves(ScoreHandle score, SInt16 staff, SInt32 from, SInt32 to, SInt16 octaves);

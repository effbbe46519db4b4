// The tablature record a tablature staff holds (StaffRecord::tablature): the strings and their
// tuning. The staff objects own its drawing; until they exist the record is made here so that
// importers can give a staff its strings. Main thread only.
#pragma once

#include "score/score_model.h"

enum : SInt32 { kMaxCordesTablature = 16 };
enum : UInt16 { kCordeSansHauteur = 65535 };   // a string whose tuning was not given
enum : UInt32 { kTablatureGuitare = 0, kTablatureAccordee = 1001 };  // kinds

#pragma pack(push, 1)
struct TabStringRecord {
    UInt16 pitch;     // MIDI pitch of the open string, kCordeSansHauteur when unknown
    UInt8 fretCount;  // frets shown on the neck (21)
    UInt8 capo;       // fret of a capo, 0 none
};

// Fields are written by offset by the importers: keep them where they are.
struct TablatureRecord {
    UInt32 kind;            // kTablatureGuitare (standard six strings) or kTablatureAccordee
    SInt16 stringCount;     // 1..kMaxCordesTablature, string 0 the highest
    UInt8 unused6[18];
    SInt16 fretTextSize;    // points of the fret numbers (10)
    SInt16 fretTextOffset;  // points the numbers are raised by (0)
    UInt8 unused28[4];
    UInt8 showRhythm;       // rhythm stems drawn under the numbers (importers clear it)
    UInt8 unused33;
    TabStringRecord strings[kMaxCordesTablature];
};
#pragma pack(pop)
static_assert(sizeof(TabStringRecord) == 4 && sizeof(TablatureRecord) == 98, "tablature records keep their size");
static_assert(offsetof(TablatureRecord, fretTextSize) == 24 && offsetof(TablatureRecord, fretTextOffset) == 26 &&
                  offsetof(TablatureRecord, showRhythm) == 32,
              "tablature offsets that importers write");
static_assert(std::is_trivially_copyable<TablatureRecord>::value, "records in handles are trivially copyable");

// Gives a staff a tablature record (a six-string guitar in standard tuning) when it has none.
// paramErr for a bad staff, memFullErr without memory.
OSErr InitPorteeTablature(StaffHandle staff);
// The staff's record in place (valid until its handle moves), null when it has none.
TablatureRecord *GetTablaturePtr(StaffHandle staff);

// The dynamics objects of a staff: dynamics marks, hairpins, octave shifts, tempo marks and
// pedal marks, each anchored at score times. Importers and staff objects fill them, engraving
// draws them, playback reads their velocities and tempi. Main thread only.
#pragma once

#include "score/score_model.h"

enum : UInt32 {
    kDynamiqueCrescendo = 1,      // hairpin opening to the right
    kDynamiqueDiminuendo = 2,     // hairpin closing to the right
    kDynamiquePPP = 3,            // 3..17 and 25..33: dynamics letters (kinds of the importers)
    kDynamiqueTexte = 7,          // "mf", or the object's text when it has one
    kDynamiqueSFPP = 17,
    kDynamiqueOctaveHaut = 18,    // 8va: notes sound an octave above what is written (18..21)
    kDynamiqueOctaveBas = 19,     // 8vb
    kDynamiqueDeuxOctavesHaut = 20,
    kDynamiqueDeuxOctavesBas = 21,
    kDynamiqueTempo = 22,         // a tempo mark
    kDynamiquePedaleBas = 23,     // pedal down
    kDynamiquePedaleHaut = 24,    // pedal up or change
    kDynamiqueSFP = 25,
    kDynamiqueRFZ = 33,
};
enum : SInt32 { kTexteDynamiqueTaille = 512, kMaxDynamiquesPortee = 100000 };

// Times are score units; top and bottom are points of a staff of the standard size (a space
// is 6 points) below the bottom line, negative above it; horizontal offsets are points too.
struct DynamicsObject {
    UInt32 kind;                       // kDynamique...
    char text[kTexteDynamiqueTaille];  // NUL-terminated; "$c" draws c from the music font
    UInt8 inUse;
    UInt8 aboveStaff;                  // set by importers for braced staves
    SInt32 startTime;
    SInt32 endTime;
    SInt32 top;
    SInt32 bottom;
    SInt16 startOffset;
    SInt16 endOffset;
    UInt16 startVelocity;              // percent
    UInt16 endVelocity;
    UInt16 values[2];                  // dynamics: 65535 and 16383; tempo: whole tempo and hundredths
    UInt16 tempoPercent;               // 100
    SInt32 beatUnit;                   // score units of the beat a tempo counts (40320 a quarter)
    SInt32 beatUnitGiven;              // 1 when the mark shows its beat unit
    UInt8 secondFlag;                  // 1 on objects made by importers
};
static_assert(std::is_trivially_copyable<DynamicsObject>::value, "records in handles are trivially copyable");

// Appends a zeroed object to the staff and answers its index; -1 past kMaxDynamiquesPortee or
// without memory. Moves memory.
SInt32 NewDynamique(StaffHandle staff);
DynamicsObject *GetDynamiquePtr(StaffHandle staff, SInt32 index);  // in place; null outside

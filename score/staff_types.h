// The registry of staff types. Each type is a static const row that every staff of that type
// points at; the engraver registers its rows at start-up, starting each with StaffTypeOps and
// adding its drawing procedures after it. Until then built-in rows answer for the known types.
// Main thread only.
#pragma once

#include "score/score_model.h"

struct StaffTypeOps {
    UInt32 type;          // staff type code served
    const char *name;     // "standard", "tablature" ...
    SInt16 lineCount;     // lines of a new staff of this type
    // Stem direction of a note: negative down, positive up. Null: by the middle line (notes on
    // or above it down), as the built-in rows do.
    SInt16 (*stem)(StaffHandle staff, SInt32 noteIndex);
};

enum : SInt32 { kMaxTypesPortee = 32 };

// Registers a row (kept by address; a row for a type already registered replaces it).
// paramErr when the table is full or the row is null.
OSErr EnregistreTypePortee(const StaffTypeOps *row);
void OublieTypesPortee();  // forgets the registered rows (tests)
// The row of a type: the registered one, else the built-in one, else the standard row.
const StaffTypeOps *GetTypePortee(UInt32 type);

// The staff-type registry and the built-in rows that answer until the engraver registers its own.
#include "score/staff_types.h"


namespace {

const StaffTypeOps kBuiltInRows[] = {
    {kPorteeStandard, "standard", 5, nullptr},
    {kPorteeRythmique, "rhythm", 1, nullptr},
    {kPorteeParoles, "lyrics", 0, nullptr},
    {kPorteeTempo, "tempo", 0, nullptr},
    {kPorteeTablature, "tablature", 6, nullptr},
    {kPorteePercussion, "percussion", 5, nullptr},
    {kPorteeGregorienne, "gregorian", 4, nullptr},
    {kPorteeAudio, "audio", 0, nullptr},
    {kPorteeMetronome, "metronome", 0, nullptr},
};

// The registered rows. Main thread only.
struct StaffTypeRegistry {
    const StaffTypeOps *rows[kMaxTypesPortee];
    SInt32 count;
};
StaffTypeRegistry gRegistry;

}  // namespace

OSErr EnregistreTypePortee(const StaffTypeOps *row) {
    if (!row) return paramErr;
    for (SInt32 i = 0; i < gRegistry.count; i++) {
        if (gRegistry.rows[i]->type == row->type) {
            gRegistry.rows[i] = row;
            return noErr;
        }
    }
    if (gRegistry.count >= kMaxTypesPortee) return paramErr;
    gRegistry.rows[gRegistry.count++] = row;
    return noErr;
}

void OublieTypesPortee() { gRegistry = StaffTypeRegistry{}; }

const StaffTypeOps *GetTypePortee(UInt32 type) {
    for (SInt32 i = 0; i < gRegistry.count; i++)
        if (gRegistry.rows[i]->type == type) return gRegistry.rows[i];
    for (const StaffTypeOps &row : kBuiltInRows)
        if (row.type == type) return &row;
    return GetTypePortee(kPorteeStandard);
}

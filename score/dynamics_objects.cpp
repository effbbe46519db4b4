// The dynamics objects of a staff.
#include "score/dynamics_objects.h"

#include <cstring>

#include "platform/core/memory.h"

SInt32 NewDynamique(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return -1;
    SInt32 count = (*staff)->dynamicsCount;
    if (count < 0 || count >= kMaxDynamiquesPortee) return -1;
    UInt32 size = UInt32(count + 1) * sizeof(DynamicsObject);
    Handle objects = (*staff)->dynamics;
    if (!objects) {
        objects = NewHandle(size);
        if (!objects) return -1;
        (*staff)->dynamics = objects;
    } else {
        SetHandleSize(objects, size);
        if (MemError() != noErr) return -1;
    }
    std::memset(reinterpret_cast<DynamicsObject *>(*objects) + count, 0, sizeof(DynamicsObject));
    (*staff)->dynamicsCount = count + 1;
    return count;
}

DynamicsObject *GetDynamiquePtr(StaffHandle staff, SInt32 index) {
    if (!IsPorteeValide(staff) || !(*staff)->dynamics || index < 0 || index >= (*staff)->dynamicsCount) return nullptr;
    if (UInt32(index + 1) * sizeof(DynamicsObject) > GetHandleSize((*staff)->dynamics)) return nullptr;
    return reinterpret_cast<DynamicsObject *>(*(*staff)->dynamics) + index;
}

// Text objects in their heap, their passage over the score, and the curve lookups.
#include "staffobjects/text_objects.h"

#include <algorithm>
#include <cstring>

#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/utf_text.h"
#include "platform/core/engine_utilities.h"
#include "platform/core/memory.h"
#include "staffobjects/styled_strings.h"

namespace {

// The ribbon's standard spacing: 10 pixels, a point each at 72 dpi, for 10080 units.
const SInt32 kUnitesParPoint = 1008;

TextObjectsHeader Entete(Handle h);
Boolean IsHandleTextesValide(Handle h);
SInt32 MesureTexte(const char *text, SInt32 length, const TextObject &o);

}  // namespace

SInt32 CreeObjetTexte(StaffHandle staff, const char *text, SInt16 font, SInt16 size, SInt16 face, SInt32 time,
                      SInt16 vertical) {
    if (!IsPorteeValide(staff) || !text || !text[0]) return -1;
    SInt32 given = SInt32(strnlen(text, size_t(kMaxTexteObjet) + 1));
    if (given > kMaxTexteObjet) return -1;
    StyledStringHandle clean = CreeChaineStyle(text, given, nullptr);  // invalid bytes made '?'
    if (!clean) return -1;
    SInt32 length = GetStrlenBrutTexteStyle(clean);
    Handle h = (*staff)->texts;
    if (h && !IsHandleTextesValide(h)) LibereHandle(&(*staff)->texts), h = nullptr;
    TextObjectsHeader header = h ? Entete(h) : TextObjectsHeader{0, 0};
    if (header.count >= kMaxObjetsTexte || header.heapUsed > kMaxObjetsTexte * kMaxTexteObjet) {
        DisposeChaineStyle(&clean);
        return -1;
    }
    UInt32 size0 = sizeof header + UInt32(header.count + 1) * sizeof(TextObject) + UInt32(header.heapUsed + length);
    if (!h) {
        h = NewHandle(size0);
        if (h) (*staff)->texts = h;
    } else {
        SetHandleSize(h, size0);
        if (MemError() != noErr) h = nullptr;
    }
    if (!h) {
        DisposeChaineStyle(&clean);
        return -1;
    }
    char *records = *h + sizeof header;
    char *heap = records + size_t(header.count) * sizeof(TextObject);
    std::memmove(heap + sizeof(TextObject), heap, size_t(header.heapUsed));
    std::memcpy(heap + sizeof(TextObject) + header.heapUsed, GetTextePtrChaineStyle(clean), size_t(length));
    TextObject o;
    std::memset(&o, 0, sizeof o);
    o.time = o.endTime = time;
    o.vertical = vertical;
    o.font = font;
    o.size = size;
    o.face = face;
    o.inUse = 1;
    o.textOffset = header.heapUsed;
    o.textLength = length;
    std::memcpy(heap, &o, sizeof o);
    header.count++;
    header.heapUsed += length;
    std::memcpy(*h, &header, sizeof header);
    DisposeChaineStyle(&clean);
    return header.count - 1;
}

SInt32 GetNbObjetsTexte(StaffHandle staff) {
    if (!IsPorteeValide(staff) || !IsHandleTextesValide((*staff)->texts)) return 0;
    return Entete((*staff)->texts).count;
}

TextObject *GetObjetTextePtr(StaffHandle staff, SInt32 index) {
    if (index < 0 || index >= GetNbObjetsTexte(staff)) return nullptr;
    return reinterpret_cast<TextObject *>(*(*staff)->texts + sizeof(TextObjectsHeader)) + index;
}

SInt32 GetTexteObjetTexte(StaffHandle staff, SInt32 index, char *text, SInt32 size) {
    if (text && size > 0) text[0] = 0;
    const TextObject *o = GetObjetTextePtr(staff, index);
    if (!o) return 0;
    const char *heap = *(*staff)->texts + sizeof(TextObjectsHeader) + size_t(GetNbObjetsTexte(staff)) * sizeof(TextObject);
    SInt32 length = o->textLength;
    if (text && size > 0) {
        SInt32 n = DebutCaractereUTF8(heap + o->textOffset, length, std::min(size - 1, length));
        std::memcpy(text, heap + o->textOffset, size_t(n));
        text[n] = 0;
    }
    return length;
}

void CalculePassageTextesPartition(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    TextStateSave saved;
    A_GetTextState(&saved);
    char text[kMaxTexteObjet + 1];
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        SInt32 count = GetNbObjetsTexte(staff);
        for (SInt32 i = 0; i < count; i++) {
            SInt32 length = GetTexteObjetTexte(staff, i, text, sizeof text);
            TextObject o = *GetObjetTextePtr(staff, i);
            SInt32 width = MesureTexte(text, length, o);
            TextObject *stored = GetObjetTextePtr(staff, i);
            stored->width = width;
            stored->endTime = SInt32(std::min<SInt64>(kTempsMax, SInt64(o.time) + SInt64(width) * kUnitesParPoint));
        }
    }
    A_SetTextState(&saved);
}

SInt32 CvtTypeCourbeEnIndex(StaffHandle, OSType) { return -1; }

void CvtTypeCourbeGlobaleEnIndex(ScoreHandle, OSType, StaffHandle *holder, SInt32 *index) {
    if (holder) *holder = nullptr;
    if (index) *index = -1;
}

Boolean ExtraitValeurCourbe(StaffHandle, SInt32, SInt32, float *) { return kFalse; }

namespace {

TextObjectsHeader Entete(Handle h) {
    TextObjectsHeader header;
    std::memcpy(&header, *h, sizeof header);
    return header;
}

// Sizes that agree and records whose texts lie in the heap.
Boolean IsHandleTextesValide(Handle h) {
    if (!h || !*h || GetHandleSize(h) < sizeof(TextObjectsHeader)) return kFalse;
    TextObjectsHeader header = Entete(h);
    if (header.count < 0 || header.count > kMaxObjetsTexte || header.heapUsed < 0 ||
        UInt64(sizeof header) + UInt64(header.count) * sizeof(TextObject) + UInt64(header.heapUsed) != GetHandleSize(h))
        return kFalse;
    const TextObject *records = reinterpret_cast<const TextObject *>(*h + sizeof header);
    for (SInt32 i = 0; i < header.count; i++) {
        SInt32 offset = records[i].textOffset, length = records[i].textLength;
        if (offset < 0 || length < 0 || length > kMaxTexteObjet || SInt64(offset) + length > header.heapUsed) return kFalse;
    }
    return kTrue;
}

// Points of the text in its font and size, in the current port's text state.
SInt32 MesureTexte(const char *text, SInt32 length, const TextObject &o) {
    if (!qd.thePort || length <= 0) return 0;
    TextFont(o.font);
    TextSize(o.size > 0 ? o.size : 12);
    TextFace(SInt16(o.face & 0x7F));
    return UTFTextWidth(qd.thePort, text, 0, length);
}

}  // namespace

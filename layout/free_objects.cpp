// Free objects of scores, graphics of staves, and their drawing.
#include "layout/free_objects.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "graphics/images/images.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/utf_text.h"
#include "layout/bmp_images.h"
#include "layout/drawing_kit.h"
#include "layout/palette.h"
#include "layout/units.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/gtk/linux_services.h"

namespace {

const SInt16 kTailleTexteDefaut = 12;

FreeObjectRecord *Objets(ScoreHandle score) { return reinterpret_cast<FreeObjectRecord *>(*(*score)->freeObjects); }
GraphicRecord *Graphiques(StaffHandle staff) { return reinterpret_cast<GraphicRecord *>(*(*staff)->graphics); }
void LibereDonnees(Handle data, GrafPtr image);
template <typename T>
SInt32 Ajoute(Handle *list, SInt32 count, SInt32 limit);
template <typename T>
void Retire(Handle list, SInt32 count, SInt32 index);
void TraceTexte(const FreeObjectRecord &object, const Rect &r, float pointPixels);
void TraceForme(const FreeObjectRecord &object, const Rect &r, float pixelsPerTenth);

}  // namespace

SInt32 NewObjetLibre(DocumentRecord *document, UInt8 kind) {
    if (!document || !IsPartitionValide(document->score)) return -1;
    if (kind != kObjetTexte && kind != kObjetImage && kind != kObjetCadre && kind != kObjetCadreRond &&
        (kind < kObjetLigneHorizontale || kind > kObjetLigneOblique))
        return -1;
    ScoreHandle score = document->score;
    SInt32 count = NbObjetsLibres(score);
    Handle list = (*score)->freeObjects;
    SInt32 index = Ajoute<FreeObjectRecord>(&list, count, kMaxObjetsLibres);
    (*score)->freeObjects = list;
    if (index < 0) return -1;
    (*score)->freeObjectCount = index + 1;
    Objets(score)[index].kind = kind;
    return index;
}

FreeObjectRecord *GetObjetLibrePtr(ScoreHandle score, SInt32 index) {
    if (index < 0 || index >= NbObjetsLibres(score)) return nullptr;
    return Objets(score) + index;
}

void LibereObjetLibre(ScoreHandle score, SInt32 index) {
    SInt32 count = NbObjetsLibres(score);
    if (index < 0 || index >= count) return;
    FreeObjectRecord object = Objets(score)[index];
    LibereDonnees(object.data, object.image);
    Retire<FreeObjectRecord>((*score)->freeObjects, count, index);
    (*score)->freeObjectCount = count - 1;
}

SInt32 NbObjetsLibres(ScoreHandle score) {
    if (!IsPartitionValide(score) || !(*score)->freeObjects) return 0;
    SInt32 held = SInt32(GetHandleSize((*score)->freeObjects) / sizeof(FreeObjectRecord));
    return std::max<SInt32>(0, std::min((*score)->freeObjectCount, held));
}

void LibereObjetsLibres(ScoreHandle score) {
    SInt32 count = NbObjetsLibres(score);
    for (SInt32 i = 0; i < count; i++) {
        FreeObjectRecord object = Objets(score)[i];
        LibereDonnees(object.data, object.image);
    }
    if (IsPartitionValide(score)) {
        if ((*score)->freeObjects) DisposHandle((*score)->freeObjects);
        (*score)->freeObjects = nullptr;
        (*score)->freeObjectCount = 0;
    }
}

SInt32 NewGraphique(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return -1;
    Handle list = (*staff)->graphics;
    SInt32 index = Ajoute<GraphicRecord>(&list, NbGraphiques(staff), kMaxGraphiquesPortee);
    (*staff)->graphics = list;
    return index;
}

GraphicRecord *GetGraphiquePtr(StaffHandle staff, SInt32 index) {
    if (index < 0 || index >= NbGraphiques(staff)) return nullptr;
    return Graphiques(staff) + index;
}

void DeleteGraphique(StaffHandle staff, SInt32 index) {
    SInt32 count = NbGraphiques(staff);
    if (index < 0 || index >= count) return;
    GraphicRecord graphic = Graphiques(staff)[index];
    LibereDonnees(graphic.data, graphic.image);
    Retire<GraphicRecord>((*staff)->graphics, count, index);
}

SInt32 NbGraphiques(StaffHandle staff) {
    if (!IsPorteeValide(staff) || !(*staff)->graphics) return 0;
    return SInt32(GetHandleSize((*staff)->graphics) / sizeof(GraphicRecord));
}

void LibereGraphiques(StaffHandle staff) {
    while (NbGraphiques(staff) > 0) DeleteGraphique(staff, NbGraphiques(staff) - 1);
    if (IsPorteeValide(staff) && (*staff)->graphics) {
        DisposHandle((*staff)->graphics);
        (*staff)->graphics = nullptr;
    }
}

void TraceObjetsLibresPage(ScoreHandle score, SInt32 page, float pixelsPerTenth, float pointPixels) {
    SInt32 count = NbObjetsLibres(score);
    for (SInt32 i = 0; i < count; i++) {
        FreeObjectRecord object = Objets(score)[i];
        if (object.page != page) continue;
        Rect r = {BornePixel(object.rect[0] * pixelsPerTenth), BornePixel(object.rect[1] * pixelsPerTenth),
                  BornePixel(object.rect[2] * pixelsPerTenth), BornePixel(object.rect[3] * pixelsPerTenth)};
        if (r.right < r.left) std::swap(r.left, r.right);
        if (r.bottom < r.top) std::swap(r.top, r.bottom);
        if (object.kind == kObjetTexte) TraceTexte(object, r, pointPixels);
        else if (object.kind == kObjetImage) {
            GrafPtr cache = object.image;
            TraceImageFormat(object.data, object.format, &cache, &r);
            // Decoding may move memory: the record is found again by its index.
            if (FreeObjectRecord *stored = GetObjetLibrePtr(score, i)) stored->image = cache;
        } else TraceForme(object, r, pixelsPerTenth);
    }
}

void TraceImageFormat(Handle data, UInt32 format, GrafPtr *cache, const Rect *rect) {
    if (!rect) return;
    if (format == kFormatImagePICT && data && *data) {
        DrawUTFPicture(reinterpret_cast<PicHandle>(data), rect);
        return;
    }
    if (format == kFormatImageBMP && !(cache && *cache)) {
        DrawBMP(data, rect);
        return;
    }
    GrafPtr image = cache ? *cache : nullptr;
    if (!image && data && *data && GetHandleSize(data) > 0) image = SystemDependantConvertImageToOffscreen(data);
    if (!image) {
        _FrameRect(rect);
        return;
    }
    Rect source;
    OffscreenGetInfo(image, &source, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    OffscreenCopyBits(image, &source, rect, 1);
    if (cache) *cache = image;
    else OrvaClosePortOffscreen(image);
}

namespace {

// What a record owns: its data and its decoded image. The caller forgets the record next.
void LibereDonnees(Handle data, GrafPtr image) {
    if (data) DisposHandle(data);
    if (image) OrvaClosePortOffscreen(image);
}

// Grows *list (a handle of T, count held) by one zeroed T; its index, or -1.
template <typename T>
SInt32 Ajoute(Handle *list, SInt32 count, SInt32 limit) {
    if (count >= limit) return -1;
    UInt32 size = UInt32(count + 1) * sizeof(T);
    if (!*list) *list = NewHandleClear(size);
    else SetHandleSize(*list, size);
    if (!*list || GetHandleSize(*list) < size) return -1;
    std::memset(*(*list) + size_t(count) * sizeof(T), 0, sizeof(T));
    return count;
}

// Removes entry index of the count T held in list; later ones move down.
template <typename T>
void Retire(Handle list, SInt32 count, SInt32 index) {
    T *items = reinterpret_cast<T *>(*list);
    std::memmove(items + index, items + index + 1, size_t(count - index - 1) * sizeof(T));
    SetHandleSize(list, UInt32(count - 1) * sizeof(T));
}

// The text's lines from the rectangle's top, each placed by the justification.
void TraceTexte(const FreeObjectRecord &object, const Rect &r, float pointPixels) {
    if (!object.data || !*object.data) return;
    std::string text(*object.data, *object.data + GetHandleSize(object.data));
    text = text.substr(0, text.find('\0'));
    float lineHeight = 0, ascent = 0;
    HauteurTexteStyle(&object.style, pointPixels, kTailleTexteDefaut, &lineHeight, &ascent);
    RGBForeColor(&object.style.color);
    TextFont(object.style.font);
    TextFace(object.style.face & 0x7F);
    TextSize(TailleTextePixels(&object.style, pointPixels, kTailleTexteDefaut));
    float y = r.top + ascent;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        SInt32 length = SInt32(end - start);
        float width = UTFTextWidth(qd.thePort, text.c_str(), SInt32(start), length);
        float x = object.justification == 1 ? (r.left + r.right - width) / 2
                  : object.justification < 0 ? r.right - width : r.left;
        _MoveTo(BornePixel(x), BornePixel(y));
        UTFDrawText(qd.thePort, text.c_str(), SInt32(start), length, 0);
        y += lineHeight;
        if (end >= text.size()) break;
        start = end + 1;
    }
    ForeColor(33);
}

void TraceForme(const FreeObjectRecord &object, const Rect &r, float pixelsPerTenth) {
    RGBColor colour = {0, 0, 0};
    if (object.colorIndex != 0) GetCouleurPalette256(SInt16(object.colorIndex), &colour);
    RGBForeColor(&colour);
    SInt16 pen = SInt16(std::max(1.0f, std::min(1000.0f, object.lineWidth * pixelsPerTenth)));
    PenSize(pen, pen);
    SInt16 midX = SInt16((r.left + r.right) / 2), midY = SInt16((r.top + r.bottom) / 2);
    switch (object.kind) {
    case kObjetCadre: _FrameRect(&r); break;
    case kObjetCadreRond: FrameOval(&r); break;
    case kObjetLigneHorizontale: _MoveTo(r.left, midY), _LineTo(r.right, midY); break;
    case kObjetLigneVerticale: _MoveTo(midX, r.top), _LineTo(midX, r.bottom); break;
    default: _MoveTo(r.left, r.top), _LineTo(r.right, r.bottom); break;
    }
    PenNormal();
    ForeColor(33);
}

}  // namespace

// Saved views, the current view and the view-change notice.
#include "layout/views.h"

#include <cstring>

#include "layout/pagination.h"
#include "platform/core/memory.h"

namespace {

// Process-wide, main thread only.
struct ViewsStateRecord {
    LayoutHooks hooks;
    Boolean ribbonViews;
};
ViewsStateRecord gViews;

ViewRecord *Vues(DocumentRecord *document) { return reinterpret_cast<ViewRecord *>(*document->views); }

}  // namespace

void OrvaSetLayoutHooks(const LayoutHooks *hooks) { gViews.hooks = hooks ? *hooks : LayoutHooks{}; }

void JeTePreviensVueChange(ScoreHandle score) {
    if (gViews.hooks.vueChange) gViews.hooks.vueChange(score);
}

SInt16 NouvelleVue(DocumentRecord *document, const char *name, const SInt16 *staves, SInt16 count) {
    if (!document || !IsPartitionValide(document->score) || count < 0 || count > kMaxPortees || (count && !staves))
        return -1;
    SInt16 views = GetNbVuesDocument(document);
    if (views >= kMaxVuesDocument) return -1;
    ViewRecord view;
    std::memset(&view, 0, sizeof view);
    if (name) std::strncpy(view.name, name, kNomVueTaille - 1);
    for (SInt16 i = 0; i < count; i++) {
        StaffHandle staff = GetPortee(document->score, staves[i]);
        if (!staff) return -1;
        view.staves[view.staffCount++] = (*staff)->uniqueId;
    }
    UInt32 size = UInt32(views + 1) * sizeof(ViewRecord);
    if (!document->views) document->views = NewHandleClear(size);
    else SetHandleSize(document->views, size);
    if (!document->views || GetHandleSize(document->views) < size) return -1;
    Vues(document)[views] = view;
    document->viewCount = SInt16(views + 1);
    return views;
}

Boolean GetVue(DocumentRecord *document, SInt16 view, ViewRecord *out) {
    if (!out || view < 0 || view >= GetNbVuesDocument(document)) return kFalse;
    *out = Vues(document)[view];
    return kTrue;
}

void InitVueCourante(DocumentRecord *document) {
    if (!document) return;
    if (document->currentView < 0 || document->currentView >= GetNbVuesDocument(document)) document->currentView = -1;
}

SInt16 GetNbVuesDocument(DocumentRecord *document) {
    if (!document || !document->views) return 0;
    SInt32 held = SInt32(GetHandleSize(document->views) / sizeof(ViewRecord));
    return SInt16(document->viewCount < 0 ? 0 : document->viewCount < held ? document->viewCount : held);
}

void FixeVue(DocumentRecord *document, SInt16 view) {
    if (!document) return;
    if (view < 0 || view >= GetNbVuesDocument(document)) view = -1;
    Boolean same = view == GetVueCourante(document);
    document->currentView = view;
    if (same) return;
    FixeMiseEnPageNonCalculee(document);
    JeTePreviensVueChange(document->score);
}

SInt16 GetVueCourante(DocumentRecord *document) {
    if (!document || document->currentView < 0 || document->currentView >= GetNbVuesDocument(document)) return -1;
    return document->currentView;
}

Boolean IsPorteeDansVueCourante(DocumentRecord *document, StaffHandle staff) {
    if (!IsPorteeValide(staff)) return kFalse;
    SInt16 view = GetVueCourante(document);
    if (view < 0) return (*staff)->visible != 0;
    const ViewRecord &v = Vues(document)[view];
    for (SInt16 i = 0; i < v.staffCount && i < kMaxPortees; i++)
        if (v.staves[i] == (*staff)->uniqueId) return kTrue;
    return kFalse;
}

void EnableVuesEnModeRuban() { gViews.ribbonViews = kTrue; }
void DisableVuesEnModeRuban() { gViews.ribbonViews = kFalse; }
Boolean IsVuesEnModeRuban() { return gViews.ribbonViews; }

void SetModeEcran(ScoreHandle score, SInt16 mode) {
    if (IsPartitionValide(score)) (*score)->screenMode = mode;
}

StaffHandle RecherchePorteeParIdUnique(DocumentRecord *document, UInt16 uniqueId) {
    if (!document || !IsPartitionValide(document->score)) return nullptr;
    for (SInt16 s = 0; s < (*document->score)->staffCount; s++) {
        StaffHandle staff = GetPortee(document->score, s);
        if (staff && (*staff)->uniqueId == uniqueId) return staff;
    }
    return nullptr;
}

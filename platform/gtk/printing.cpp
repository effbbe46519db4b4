// The Printing Manager on GTK. Each PrCloseDoc runs a print operation of its own, so that a
// second document in one PrOpen prints once and completely; the page setup and the print
// settings are kept between operations.
#include "platform/gtk/printing.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtk/gtk.h>

#include "graphics/pictures/cairo_player.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

enum : SInt16 {
    kResolutionMin = 15,
    kResolutionMax = 1540,
    kFallbackResolution = 72,
    kMaxJobName = 254,
};

const double kPointsToRecord = 600.0 / 72.0;

struct PrintingRecord {
    SInt32 openCount;
    GtkPageSetup *pageSetup;
    GtkPrintSettings *settings;
    std::string jobName = "Orva";
    SInt16 error;
    THPrint jobRecord;
    std::vector<PicHandle> pages;
    PicHandle recording;
    std::string exportFile;
    void *(*pageSetupHook)(void *);
};
PrintingRecord gPrint;

SInt16 GetField(THPrint h, SInt32 offset) {
    SInt16 v;
    std::memcpy(&v, *h + offset, 2);
    return v;
}

void SetField(THPrint h, SInt32 offset, SInt16 v) { std::memcpy(*h + offset, &v, 2); }

Rect GetRectField(THPrint h, SInt32 offset) {
    Rect r;
    std::memcpy(&r, *h + offset, sizeof r);
    return r;
}

void SetRectField(THPrint h, SInt32 offset, const Rect &r) { std::memcpy(*h + offset, &r, sizeof r); }

SInt16 ToRecord(double points) { return SInt16(std::lround(points * kPointsToRecord)); }

Boolean RecordUsable(THPrint h) {
    if (!h || !*h) return false;
    if (GetHandleSize(h) < UInt32(kTPrintBytes)) SetHandleSize(h, kTPrintBytes);
    return GetHandleSize(h) >= UInt32(kTPrintBytes);
}

Boolean EnsureGtk() {
    static SInt32 state = 0;
    if (state == 0) state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
    return state > 0;
}

void FillRecord(THPrint h) {
    if (!RecordUsable(h)) return;
    if (!gPrint.pageSetup) gPrint.pageSetup = gtk_page_setup_new();
    GtkPageSetup *s = gPrint.pageSetup;
    double w = gtk_page_setup_get_paper_width(s, GTK_UNIT_POINTS), ht = gtk_page_setup_get_paper_height(s, GTK_UNIT_POINTS);
    double top = gtk_page_setup_get_top_margin(s, GTK_UNIT_POINTS), bottom = gtk_page_setup_get_bottom_margin(s, GTK_UNIT_POINTS);
    double left = gtk_page_setup_get_left_margin(s, GTK_UNIT_POINTS), right = gtk_page_setup_get_right_margin(s, GTK_UNIT_POINTS);
    SetField(h, kPrOffsetVRes, kPrintResolution);
    SetField(h, kPrOffsetHRes, kPrintResolution);
    SetRectField(h, kPrOffsetPage, {0, 0, ToRecord(ht - top - bottom), ToRecord(w - left - right)});
    SetRectField(h, kPrOffsetPaper, {SInt16(-ToRecord(top)), SInt16(-ToRecord(left)), ToRecord(ht - top), ToRecord(w - left)});
    SetField(h, kPrOffsetFirstPage, 1);
    SetField(h, kPrOffsetLastPage, 9999);
    SInt32 copies = gPrint.settings ? gtk_print_settings_get_n_copies(gPrint.settings) : 1;
    SetField(h, kPrOffsetCopies, SInt16(copies < 1 ? 1 : copies));
    SetField(h, kPrOffsetSpare, 0);
}

void FreePages() {
    for (PicHandle pic : gPrint.pages) KillPicture(pic);
    gPrint.pages.clear();
}

void BeginPrint(GtkPrintOperation *operation, GtkPrintContext *, gpointer) {
    gtk_print_operation_set_n_pages(operation, gint(gPrint.pages.size()));
}

void DrawPage(GtkPrintOperation *, GtkPrintContext *context, gint page, gpointer) {
    if (page < 0 || size_t(page) >= gPrint.pages.size()) return;
    GTKTracePicture(gPrint.pages[size_t(page)], gtk_print_context_get_cairo_context(context),
                    SInt32(gtk_print_context_get_width(context)), SInt32(gtk_print_context_get_height(context)));
}

}  // namespace

void PrOpen() {
    gPrint.openCount++;
    if (gPrint.openCount == 1) {
        if (!gPrint.pageSetup) gPrint.pageSetup = gtk_page_setup_new();
        if (!gPrint.settings) gPrint.settings = gtk_print_settings_new();
    }
}

void PrClose() {
    gPrint.openCount--;
    if (gPrint.openCount < 0) gPrint.openCount = 0;
}

void PrintDefault(THPrint hPrint) {
    gPrint.error = 0;
    FillRecord(hPrint);
}

Boolean PrValidate(THPrint hPrint) {
    FillRecord(hPrint);
    return false;
}

Boolean PrStlDialog(THPrint hPrint) {
    if (!gPrint.settings) gPrint.settings = gtk_print_settings_new();
    if (!gPrint.pageSetup) gPrint.pageSetup = gtk_page_setup_new();
    GtkPageSetup *chosen = nullptr;
    if (gPrint.pageSetupHook) chosen = (GtkPageSetup *)gPrint.pageSetupHook(gPrint.pageSetup);
    else if (EnsureGtk()) chosen = gtk_print_run_page_setup_dialog(nullptr, gPrint.pageSetup, gPrint.settings);
    if (chosen) {
        g_object_unref(gPrint.pageSetup);
        gPrint.pageSetup = chosen;
    }
    FillRecord(hPrint);
    return true;
}

Boolean PrJobDialog(THPrint hPrint) {
    gPrint.jobRecord = hPrint;
    return true;
}

GrafPtr PrOpenDoc(THPrint, GrafPtr port, Ptr) {
    FreePages();
    return port;
}

void PrOpenPage(THPrint hPrint, Rect *) {
    Rect frame = {0, 0, 6600, 5100};
    if (!hPrint) hPrint = gPrint.jobRecord;
    if (hPrint && RecordUsable(hPrint)) frame = GetRectField(hPrint, kPrOffsetPage);
    gPrint.recording = OpenPicture(&frame);
}

void PrClosePage(GrafPtr) {
    if (!gPrint.recording) return;
    ClosePicture();
    gPrint.pages.push_back(gPrint.recording);
    gPrint.recording = nullptr;
}

void PrCloseDoc(GrafPtr) {
    if (!EnsureGtk()) {
        gPrint.error = -1;
        FreePages();
        return;
    }
    if (!gPrint.pageSetup) gPrint.pageSetup = gtk_page_setup_new();
    if (!gPrint.settings) gPrint.settings = gtk_print_settings_new();
    GtkPrintOperation *operation = gtk_print_operation_new();
    gtk_print_operation_set_job_name(operation, gPrint.jobName.c_str());
    gtk_print_operation_set_default_page_setup(operation, gPrint.pageSetup);
    gtk_print_operation_set_print_settings(operation, gPrint.settings);
    g_signal_connect(operation, "begin-print", G_CALLBACK(BeginPrint), nullptr);
    g_signal_connect(operation, "draw-page", G_CALLBACK(DrawPage), nullptr);
    GtkPrintOperationAction action = GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG;
    if (!gPrint.exportFile.empty()) {
        gtk_print_operation_set_export_filename(operation, gPrint.exportFile.c_str());
        action = GTK_PRINT_OPERATION_ACTION_EXPORT;
    }
    GError *error = nullptr;
    GtkPrintOperationResult result = gtk_print_operation_run(operation, action, nullptr, &error);
    if (error) {
        OrvaErreurF("Impression : %s", error->message);
        g_error_free(error);
        gPrint.error = -1;
    }
    if (result == GTK_PRINT_OPERATION_RESULT_APPLY) {
        GtkPrintSettings *settings = gtk_print_operation_get_print_settings(operation);
        if (settings && settings != gPrint.settings) {
            g_object_ref(settings);
            g_object_unref(gPrint.settings);
            gPrint.settings = settings;
        }
        if (gPrint.jobRecord) FillRecord(gPrint.jobRecord);
    }
    g_object_unref(operation);
    FreePages();
}

void PrGeneral(Ptr block) {
    gPrint.error = 0;
    if (!block) return;
    SInt16 opcode;
    std::memcpy(&opcode, block, 2);
    auto put = [block](SInt32 offset, SInt16 v) { std::memcpy(block + offset, &v, 2); };
    if (opcode == kPrGetResolution) {
        // error, range type, x range min/max, y range min/max, count, one record (v, h)
        put(2, 0);
        put(4, 1);
        put(6, kResolutionMin);
        put(8, kResolutionMax);
        put(10, kResolutionMin);
        put(12, kResolutionMax);
        put(14, 1);
        put(16, kPrintResolution);
        put(18, kPrintResolution);
    } else if (opcode == kPrSetResolution) {
        put(2, 0);
        THPrint h;
        std::memcpy(&h, block + 8, sizeof h);
        SInt16 hRes, vRes;
        std::memcpy(&hRes, block + 8 + sizeof(Handle), 2);
        std::memcpy(&vRes, block + 10 + sizeof(Handle), 2);
        if (hRes < kResolutionMin || hRes > kResolutionMax || vRes < kResolutionMin || vRes > kResolutionMax ||
            !RecordUsable(h)) {
            put(2, 1);
            put(8 + sizeof(Handle), kFallbackResolution);
            put(10 + sizeof(Handle), kFallbackResolution);
            return;
        }
        // A record never filled has resolution 0: it holds 600-dpi values.
        SInt16 oldV = GetField(h, kPrOffsetVRes), oldH = GetField(h, kPrOffsetHRes);
        if (oldV <= 0) oldV = kPrintResolution;
        if (oldH <= 0) oldH = kPrintResolution;
        auto scale = [](SInt16 v, SInt16 n, SInt16 d) { return SInt16(std::lround(float(v) * n / d)); };
        for (SInt32 offset : {SInt32(kPrOffsetPage), SInt32(kPrOffsetPaper)}) {
            Rect r = GetRectField(h, offset);
            r.top = scale(r.top, vRes, oldV);
            r.bottom = scale(r.bottom, vRes, oldV);
            r.left = scale(r.left, hRes, oldH);
            r.right = scale(r.right, hRes, oldH);
            SetRectField(h, offset, r);
        }
        SetField(h, kPrOffsetVRes, vRes);
        SetField(h, kPrOffsetHRes, hRes);
    } else if (opcode >= 6 && opcode <= 8) {
        gPrint.error = 2;
    }
}

SInt16 PrError() { return gPrint.error; }

void PrSetError(SInt16 code) { gPrint.error = code; }

void OrvaSetPrJobName(const char *name) {
    gPrint.jobName = name ? std::string(name).substr(0, kMaxJobName) : "Orva";
}

void PrStlInit(THPrint) {}
void PrJobInit(THPrint) {}
void PrDlgMain(THPrint, void *) {}
void PrJobMerge(THPrint, THPrint) {}
void PrPicFile(THPrint, void *, Ptr, Ptr, void *) {}
SInt16 PrSetOrientation(SInt16) { return 0; }
void OrvaFixePageMaxImprimante(SInt16) { OrvaErreur("NotDone"); }
SInt32 OrvaCreeHDCPrinterDefault() {
    OrvaErreur("NotDone");
    return 0;
}

void OrvaSetPrintPaperSize(double widthPoints, double heightPoints) {
    const double kPaperMin = 72.0;
    if (!(widthPoints >= kPaperMin && heightPoints >= kPaperMin)) return;
    if (!gPrint.pageSetup) gPrint.pageSetup = gtk_page_setup_new();
    GtkPaperSize *paper = gtk_paper_size_new_custom("orva-document", "Document", widthPoints, heightPoints, GTK_UNIT_POINTS);
    gtk_page_setup_set_paper_size(gPrint.pageSetup, paper);
    gtk_paper_size_free(paper);
}

void OrvaSetPrintExportFile(const char *path) { gPrint.exportFile = path ? path : ""; }

void OrvaSetPageSetupHook(void *(*hook)(void *currentSetup)) { gPrint.pageSetupHook = hook; }

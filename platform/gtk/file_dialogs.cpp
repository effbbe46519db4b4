// GTK file choosers for loading, saving and choosing a folder.
#include "platform/gtk/file_dialogs.h"

#include <gtk/gtk.h>

#include <cstring>

#include "platform/core/folders.h"
#include "platform/core/text_encodings.h"

namespace {

enum : SInt32 {
    kMaxFilterPairs = 64,
    kChosenPathSize = kOrvaFolderPathMax + 1,
};

OrvaFileChooserHook gChooserHook = nullptr;

// The filter list split in place into (name, patterns) pairs.
struct FilterListRecord {
    char text[kFilterTextMax + 1];  // UTF-8, fields ended by NUL where the '|' were
    const char *names[kMaxFilterPairs];
    char *patterns[kMaxFilterPairs];  // ';'-separated
    SInt32 count;
};

GtkWidget *NewChooser(const char *title, GtkFileChooserAction action, const char *acceptStock);
void ParseFilterList(const char *filterList, FilterListRecord *list);
void AddFilters(GtkWidget *dialog, FilterListRecord *list, bool upperCaseCopies);
SInt32 RunChooser(GtkWidget *dialog, char *path, SInt32 size);
bool Confirmed(SInt32 response);
void FillReply(const char *path, SFReply *reply);

}  // namespace

void OrvaSetFileChooserHook(OrvaFileChooserHook hook) { gChooserHook = hook; }

void GTKGetFile(const char *, const char *filterList, SFReply *reply) {
    reply->good = 0;
    GtkWidget *dialog = NewChooser("Load file", GTK_FILE_CHOOSER_ACTION_OPEN, GTK_STOCK_OPEN);
    if (dialog == nullptr) return;
    FilterListRecord list;
    ParseFilterList(filterList, &list);
    AddFilters(dialog, &list, true);
    char path[kChosenPathSize];
    if (Confirmed(RunChooser(dialog, path, sizeof path))) FillReply(path, reply);
    gtk_widget_destroy(dialog);
}

SInt16 GTKPutFile(const char *, const char *suggestedName, const char *filterList, SFReply *reply) {
    reply->good = 0;
    GtkWidget *dialog = NewChooser("Save file", GTK_FILE_CHOOSER_ACTION_SAVE, GTK_STOCK_SAVE);
    if (dialog == nullptr) return 0;
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dialog), TRUE);
    if (suggestedName != nullptr && g_utf8_validate(suggestedName, -1, nullptr))
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), suggestedName);
    FilterListRecord list;
    ParseFilterList(filterList, &list);
    AddFilters(dialog, &list, false);
    char path[kChosenPathSize];
    SInt16 pair = 0;
    if (Confirmed(RunChooser(dialog, path, sizeof path))) {
        FillReply(path, reply);
        pair = filterList == nullptr ? 1 : 0;
        GtkFileFilter *chosen = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(dialog));
        const char *chosenName = chosen ? gtk_file_filter_get_name(chosen) : nullptr;
        for (SInt32 i = 0; chosenName != nullptr && i < list.count && pair == 0; i++)
            if (strcmp(list.names[i], chosenName) == 0) pair = SInt16(i + 1);
    }
    gtk_widget_destroy(dialog);
    return pair;
}

Boolean GTKSelectFolder(const char *parent, char *path) {
    path[0] = 0;
    GtkWidget *dialog = NewChooser("Select folder", GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, GTK_STOCK_OPEN);
    if (dialog == nullptr) return kFalse;
    if (parent != nullptr && parent[0] != 0) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), parent);
    char chosen[kChosenPathSize];
    Boolean confirmed = kFalse;
    if (Confirmed(RunChooser(dialog, chosen, sizeof chosen)) && strlen(chosen) <= size_t(kOrvaPathMax)) {
        strcpy(path, chosen);
        confirmed = kTrue;
    }
    gtk_widget_destroy(dialog);
    return confirmed;
}

namespace {

GtkWidget *NewChooser(const char *title, GtkFileChooserAction action, const char *acceptStock) {
    if (gdk_display_get_default() == nullptr) return nullptr;  // no display: nothing to show
    return gtk_file_chooser_dialog_new(title, nullptr, action, GTK_STOCK_CANCEL, GTK_RESPONSE_CANCEL, acceptStock,
                                       GTK_RESPONSE_ACCEPT, nullptr);
}

void ParseFilterList(const char *filterList, FilterListRecord *list) {
    list->count = 0;
    list->text[0] = 0;
    if (filterList == nullptr || filterList[0] == 0) return;
    SInt32 length = 0;
    EncodedStr utf8 = MacRomanTextToUTF(filterList, 0, SInt32(strlen(filterList)), &length);
    if (utf8 == nullptr) return;
    if (length > kFilterTextMax) length = UTFPrevChar(utf8, kFilterTextMax + 1, length);  // whole characters
    memcpy(list->text, utf8, size_t(length));
    list->text[length] = 0;
    DisposeEncodedStr(utf8);
    char *field = list->text;
    while (field != nullptr && list->count < kMaxFilterPairs) {
        char *bar = strchr(field, '|');
        if (bar == nullptr) break;  // a name without patterns makes no filter
        *bar = 0;
        char *patterns = bar + 1;
        char *next = strchr(patterns, '|');
        if (next != nullptr) *next++ = 0;
        list->names[list->count] = field;
        list->patterns[list->count] = patterns;
        list->count++;
        field = next;
    }
}

// One filter per pair, added from the last pair to the first; the first is made current.
void AddFilters(GtkWidget *dialog, FilterListRecord *list, bool upperCaseCopies) {
    GtkFileFilter *first = nullptr;
    for (SInt32 i = list->count - 1; i >= 0; i--) {
        GtkFileFilter *filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, list->names[i]);
        gchar **patterns = g_strsplit(list->patterns[i], ";", -1);
        for (gchar **p = patterns; *p != nullptr; p++) {
            if ((*p)[0] == 0) continue;
            gtk_file_filter_add_pattern(filter, *p);
            if (upperCaseCopies) {
                gchar *upper = g_utf8_strup(*p, -1);
                gtk_file_filter_add_pattern(filter, upper);
                g_free(upper);
            }
        }
        g_strfreev(patterns);
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);
        if (i == 0) first = filter;
    }
    if (first != nullptr) gtk_file_chooser_set_filter(GTK_FILE_CHOOSER(dialog), first);
}

// Runs the chooser (or lets the test hook answer it) and writes the chosen path.
SInt32 RunChooser(GtkWidget *dialog, char *path, SInt32 size) {
    path[0] = 0;
    if (gChooserHook != nullptr) {
        SInt32 response = gChooserHook(dialog, path, size);
        path[size - 1] = 0;
        return response;
    }
    SInt32 response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (Confirmed(response)) {
        gchar *chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
        if (chosen != nullptr && strlen(chosen) < size_t(size)) strcpy(path, chosen);
        g_free(chosen);
    }
    return response;
}

bool Confirmed(SInt32 response) { return response == GTK_RESPONSE_ACCEPT || response == GTK_RESPONSE_OK; }

// The chosen file's name goes to the reply, its folder becomes current and gives the reply's
// volume reference.
void FillReply(const char *path, SFReply *reply) {
    const char *slash = strrchr(path, '/');
    const char *name = slash ? slash + 1 : path;
    if (name[0] == 0 || strlen(name) >= sizeof reply->fName) return;
    if (slash != nullptr) {
        char folder[kChosenPathSize];
        size_t length = slash == path ? 1 : size_t(slash - path);
        memcpy(folder, path, length);
        folder[length] = 0;
        if (OrvaSetCurrentDir(folder) != 0) return;
    }
    strcpy(reply->fName, name);
    SInt32 dirID = 0;
    OrvaGetVol(&reply->vRefNum, &dirID);
    reply->good = 1;
}

}  // namespace

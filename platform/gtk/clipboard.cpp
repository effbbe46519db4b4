// Text exchange between the scrap ('utxt' UTF-16 and 'TEXT' MacRoman, CR line ends) and the
// GTK clipboard (UTF-8, CR LF line ends). Main thread only.
#include <gtk/gtk.h>

#include "platform/core/memory.h"
#include "platform/core/scrap.h"
#include "platform/core/text_encodings.h"
#include "platform/gtk/linux_services.h"

namespace {

constexpr SInt16 kClipboardEncoding = kEncodingUTF8 | kLineEndCRLF;
constexpr SInt16 kScrapUnicode = kEncodingUTF16 + 1;  // UTF-16 in host order, CR line ends
constexpr SInt16 kScrapRoman = kEncodingMacRoman | kLineEndCR;

void PutConverted(const char *text, SInt32 length, SInt16 target, ResType type, SInt32 unitBytes);
Boolean SetClipboardFromScrap(ResType type, SInt16 source, SInt32 unitBytes);

}  // namespace

void SystemDependantCvtScrapToOrva() {
    OrvaPurgeScrap(FourCC("TEXT"));
    OrvaPurgeScrap(FourCC("utxt"));
    gchar *text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    if (!text) return;
    SInt32 length = SInt32(strlen(text));
    PutConverted(text, length, kScrapUnicode, FourCC("utxt"), 2);
    PutConverted(text, length, kScrapRoman, FourCC("TEXT"), 1);
    g_free(text);
}

void SystemDependantCvtScrapFromOrva() {
    if (!SetClipboardFromScrap(FourCC("utxt"), kScrapUnicode, 2))
        SetClipboardFromScrap(FourCC("TEXT"), kScrapRoman, 1);
}

void SystemDependantEmptySystemScrap() {}

namespace {

void PutConverted(const char *text, SInt32 length, SInt16 target, ResType type, SInt32 unitBytes) {
    SInt32 units = 0;
    EncodedStr converted = ChangeTextEncoding(text, 0, length, kClipboardEncoding, target, &units);
    if (!converted && length > 0) return;
    PutScrap(units * unitBytes, type, converted);
    DisposeEncodedStr(converted);
}

// The scrap entry of the type, ended by its length (a NUL inside would cut the text), set as
// the clipboard's text. False when the scrap has no such entry.
Boolean SetClipboardFromScrap(ResType type, SInt16 source, SInt32 unitBytes) {
    Handle data = NewHandle(0);
    if (!data) return kFalse;
    SInt32 offset = 0;
    SInt32 length = GetScrap(data, type, &offset);
    if (length < 0) {
        DisposHandle(data);
        return kFalse;
    }
    SInt32 units = length / unitBytes, bytes = 0;
    EncodedStr utf8 = units > 0 ? ChangeTextEncoding(*data, 0, units, source, kClipboardEncoding, &bytes) : nullptr;
    DisposHandle(data);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), utf8 ? utf8 : "", utf8 ? bytes : 0);
    DisposeEncodedStr(utf8);
    return kTrue;
}

}  // namespace

// The registry of score formats.
#include "score/score_formats.h"

#include <cstring>
#include <strings.h>

#include "score/text_utilities.h"

namespace {

// Registered rows, in registration order. Main thread only.
struct FormatRegistry {
    const ScoreFormatOps *rows[kMaxFormatsPartition];
    SInt32 count;
};
FormatRegistry gFormats;

const char kToutesExtensions[] = "*";

}  // namespace

OSErr EnregistreFormatPartition(const ScoreFormatOps *row) {
    if (!row || !row->name) return paramErr;
    for (SInt32 i = 0; i < gFormats.count; i++) {
        if (strcmp(gFormats.rows[i]->name, row->name) == 0) {
            gFormats.rows[i] = row;
            return noErr;
        }
    }
    if (gFormats.count >= kMaxFormatsPartition) return paramErr;
    gFormats.rows[gFormats.count++] = row;
    return noErr;
}

void OublieFormatsPartition() { gFormats = FormatRegistry{}; }

const ScoreFormatOps *RechercheFormatPartition(const char *documentName) {
    if (!documentName) return nullptr;
    const ScoreFormatOps *fallback = nullptr;
    for (SInt32 i = 0; i < gFormats.count; i++) {
        for (const char *extension : gFormats.rows[i]->extensions) {
            if (!extension) continue;
            if (strcmp(extension, kToutesExtensions) == 0) {
                if (!fallback) fallback = gFormats.rows[i];
            } else if (cmp_extension(documentName, extension)) {
                return gFormats.rows[i];
            }
        }
    }
    return fallback;
}

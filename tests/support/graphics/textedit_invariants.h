// The invariants every TextEdit record keeps, checked from the outside: the line starts, and
// for a styled record the runs, the style table's use counts and the line-height table. Header
// only, so that the fuzz targets can use it too.
#pragma once

#include <string>
#include <vector>

#include "graphics/text/textedit.h"
#include "platform/core/memory.h"

// An empty string when te is sound, else what is wrong.
inline std::string TEInvariantFault(TEHandle te) {
    const TERec &r = **te;
    if (r.teLength > kTEMaxLength) return "teLength beyond the limit";
    if (GetHandleSize(r.hText) != r.teLength) return "text handle size differs from teLength";
    if (r.nLines < 0 || (r.teLength > 0 && r.nLines < 1) || (r.teLength == 0 && r.nLines != 0)) return "bad nLines";
    if (r.lineStarts[0] != 0) return "first line does not start at 0";
    if (r.lineStarts[r.nLines] != r.teLength) return "lineStarts[nLines] differs from teLength";
    for (SInt32 i = 1; i <= r.nLines; i++)
        if (r.lineStarts[i] <= r.lineStarts[i - 1]) return "line starts not ascending at " + std::to_string(i);
    if (r.selStart > r.teLength || r.selEnd > r.teLength) return "selection beyond the text";
    if (r.txSize != -1) return "";
    TEStyleHandle styles = GetStylHandle(te);
    if (!styles) return "styled record without style handle";
    const TEStyleRec &s = **styles;
    if (s.nRuns < 1) return "no run";
    if (s.runs[0].startChar != 0) return "first run does not start at 0";
    if (s.runs[s.nRuns].startChar != r.teLength + 1 || s.runs[s.nRuns].styleIndex != -1) return "bad end marker";
    std::vector<SInt32> uses(size_t(s.nStyles), 0);
    for (SInt32 i = 0; i < s.nRuns; i++) {
        if (s.runs[i].styleIndex < 0 || s.runs[i].styleIndex >= s.nStyles) return "run names no style";
        uses[size_t(s.runs[i].styleIndex)]++;
        if (i > 0 && s.runs[i].startChar <= s.runs[i - 1].startChar) return "runs not ascending at " + std::to_string(i);
        if (i > 0 && s.runs[i].styleIndex == s.runs[i - 1].styleIndex) return "equal neighbours at " + std::to_string(i);
        if (r.teLength > 0 && s.runs[i].startChar >= r.teLength) return "run past the text";
    }
    if (GetHandleSize((Handle)s.styleTab) != sizeof(STElement) * size_t(s.nStyles)) return "style table size";
    for (SInt32 i = 0; i < s.nStyles; i++)
        if ((*s.styleTab)[i].stCount != uses[size_t(i)]) return "stCount of style " + std::to_string(i) + " differs";
    if (GetHandleSize((Handle)s.lhTab) != sizeof(LHElement) * size_t(r.nLines + 1)) return "line-height table size";
    return "";
}

// Test helpers for the Extended TextEdit: records made in a FreeMono 10 port (6 pixels a
// character), their text and line table, the invariants of style handles and line tables
// checked from the outside, and a fast width hook that shapes nothing. Header only, so that
// the fuzz targets and benchmarks can use it too.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "graphics/text/extended_textedit.h"
#include "platform/core/back_end.h"
#include "platform/core/memory.h"

// Holds shift (key 56) and command (key 55) in the stand-in key map, or lets every key go.
inline void HoldKeys(bool shift, bool command) {
    const UInt32 map[4] = {0, (shift ? 1u : 0u) | (command ? 1u << 15 : 0u), 0, 0};  // key k: bit (k ^ 24) & 31
    OrvaSetStandInKeyMap(map);
}

// A record over dest (view = dest) in the current port, with text.
inline ExtendedTEHandle NewExtendedRecord(const Rect &dest, bool styled, const std::string &text = "") {
    ExtendedTEHandle te = styled ? ExtendedTEStylNew(&dest, &dest) : ExtendedTENew(&dest, &dest);
    if (te && !text.empty()) ExtendedTESetText(text.data(), SInt32(text.size()), te);
    return te;
}

inline std::string ExtendedText(ExtendedTEHandle te) {
    return (*te)->teLength > 0 ? std::string(*(*te)->hText, size_t((*te)->teLength)) : std::string();
}

inline std::vector<SInt32> ExtendedLineStarts(ExtendedTEHandle te) {
    return std::vector<SInt32>((*te)->lineStarts, (*te)->lineStarts + (*te)->nLines + 1);
}

// The line-height entries of the laid-out lines and the one after them.
inline std::vector<std::pair<SInt16, SInt16>> ExtendedHeights(ExtendedTEHandle te) {
    std::vector<std::pair<SInt16, SInt16>> heights;
    ExtendedStylHandle styles = (*te)->styleHandle;
    if (!styles || !(*styles)->lhTab) return heights;
    for (SInt32 i = 0; i <= (*te)->nLines; i++)
        heights.emplace_back((*(*styles)->lhTab)[i].lhHeight, (*(*styles)->lhTab)[i].lhAscent);
    return heights;
}

// An empty string when the runs and style table of styles over length bytes are sound, else
// what is wrong. merged: no two neighbouring runs share a style.
inline std::string ExtendedStyleFault(ExtendedStylHandle styles, SInt32 length, bool merged) {
    const ExtendedStylRec &s = **styles;
    if (s.nRuns < 1) return "no run";
    if (GetHandleSize((Handle)styles) < offsetof(ExtendedStylRec, runs) + size_t(s.nRuns + 2) * sizeof(ExtendedStyleRun))
        return "no room for one more run";
    if (s.runs[0].startChar != 0) return "first run does not start at 0";
    if (s.runs[s.nRuns].startChar != length + 1 || s.runs[s.nRuns].styleIndex != -1) return "bad sentinel";
    std::vector<SInt32> uses(size_t(s.nStyles), 0);
    for (SInt32 i = 0; i < s.nRuns; i++) {
        if (s.runs[i].styleIndex < 0 || s.runs[i].styleIndex >= s.nStyles) return "run names no style";
        uses[size_t(s.runs[i].styleIndex)]++;
        if (i > 0 && s.runs[i].startChar <= s.runs[i - 1].startChar) return "runs not ascending at " + std::to_string(i);
        if (merged && i > 0 && s.runs[i].styleIndex == s.runs[i - 1].styleIndex)
            return "equal neighbours at " + std::to_string(i);
    }
    if (GetHandleSize((Handle)s.styleTab) < sizeof(ExtendedSTElement) * size_t(s.nStyles)) return "style table size";
    for (SInt32 i = 0; i < s.nStyles; i++)
        if ((*s.styleTab)[i].stCount != uses[size_t(i)])
            return "use count of style " + std::to_string(i) + " is " + std::to_string((*s.styleTab)[i].stCount) +
                   ", runs " + std::to_string(uses[size_t(i)]);
    return "";
}

// An empty string when the record's line table is sound: starts ascending from 0 to the
// length on character boundaries, one height entry a line and one more.
inline std::string ExtendedLayoutFault(ExtendedTEHandle te) {
    const ExtendedTERec &r = **te;
    if (r.nLines < 1) return "no line";
    if (GetHandleSize((Handle)te) < offsetof(ExtendedTERec, lineStarts) + size_t(r.nLines + 2) * sizeof(SInt32))
        return "record without room for its lines";
    if (r.lineStarts[0] != 0) return "first line does not start at 0";
    if (r.lineStarts[r.nLines] != r.teLength) return "last entry differs from the length";
    for (SInt32 i = 1; i < r.nLines; i++) {
        SInt32 s = r.lineStarts[i];
        if (s <= r.lineStarts[i - 1]) return "line starts not ascending at " + std::to_string(i);
        if (ExtendedNextChar(te, ExtendedPreviousChar(te, s)) != s) return "line " + std::to_string(i) + " starts inside a character";
    }
    if (r.styleHandle) {
        LHHandle lh = (*r.styleHandle)->lhTab;
        if (!lh || GetHandleSize((Handle)lh) < sizeof(LHElement) * size_t(r.nLines + 1)) return "line-height table size";
        for (SInt32 i = 0; i <= r.nLines; i++)
            if ((*lh)[i].lhHeight <= 0) return "line " + std::to_string(i) + " without height";
        if (std::memcmp(&(*lh)[r.nLines], &(*lh)[r.nLines - 1], sizeof(LHElement)) != 0)
            return "entry after the last line differs from it";
    }
    return "";
}

// A width hook that shapes nothing: every character (UTF-8 sequence start) is 0.6 x the
// port's size wide, rounded down per run, so zoom and sizes still matter.
inline SInt32 ExtendedFastWidth(ExtendedTEHandle te, SInt32, const char *text, SInt32 start, SInt32 count) {
    SInt32 chars = 0;
    for (SInt32 i = start; i < start + count; i++)
        if ((UInt8(text[i]) & 0xC0) != 0x80) chars++;
    SInt32 size = (*te)->inPort->txSize > 0 ? (*te)->inPort->txSize : 12;
    return chars * size * 6 / 10;
}

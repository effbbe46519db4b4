// pngstaff's reading of a picture of printed music: the ink of the picture, the staves and
// systems found in it, and the symbols read on each staff. It knows nothing of how the
// picture was drawn, so that the engraver's tests can check what a reader sees.
// staves.cpp finds staves, staff lines, bar lines, systems and braces; symbols.cpp reads
// the connected shapes left once lines are gone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One bit of ink per pixel: a pixel is ink when its luminance, over white, is below
// kInkLuminance of 255, which takes in antialiased edges that cover more than a third.
// Fainter edges, down to kFaintLuminance, still tell where a shape touches a staff line.
enum : int { kInkLuminance = 160, kFaintLuminance = 224 };

struct InkImage {
    int width = 0, height = 0;
    std::vector<uint8_t> ink;  // width x height, 1 = ink
    std::vector<uint8_t> faint;  // the same with fainter edges
    bool At(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && ink[size_t(y) * width + x]; }
    bool Faint(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height && faint[size_t(y) * width + x];
    }
    void Clear(int x, int y) {
        if (x >= 0 && y >= 0 && x < width && y < height) ink[size_t(y) * width + x] = faint[size_t(y) * width + x] = 0;
    }
};

struct BoxRecord {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive pixel bounds
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

struct StaffRecord {
    double lineY[5];              // centre row of each line, top first
    int lineTop[5], lineBottom[5];  // the rows each line covers
    double space;                 // distance between lines, pixels
    int left, right;              // the lines' first and last columns
    int system;                   // index of its system
};

// A group of bar lines standing together (thin, thick, thin and thick...), with repeat dots
// found beside it.
struct BarGroupRecord {
    int staff;
    int left, right;              // columns
    int lines;                    // bar lines in the group
    bool thick;                   // one of them at least a third of a space wide
    bool dotsBefore, dotsAfter;   // repeat dots on the left, on the right
};

struct HeadRecord {
    int staff;
    double x, y;                  // centre, pixels
    int position;                 // half spaces down from the top line
    bool stemmed;
};

enum SymbolKind : int {
    kSymbolAccidental,            // sharp, flat, natural or double, before a head
    kSymbolKeyAccidental,         // the same with no head after it
    kSymbolRest,
    kSymbolTie,                   // a thin arc with level ends
    kSymbolSlur,                  // a thin arc with ends at different heights
    kSymbolDot,
    kSymbolBeam,                  // one per beamed group
    kSymbolCount
};

struct SymbolRecord {
    SymbolKind kind;
    int staff;
    BoxRecord box;
    std::string name;             // "sharp", "quarter", ...
};

struct BraceRecord {
    int firstStaff, lastStaff;
    BoxRecord box;
};

struct PageReading {
    std::vector<StaffRecord> staves;       // top to bottom
    int systems = 0;
    std::vector<BarGroupRecord> bars;
    std::vector<HeadRecord> heads;          // staff by staff, then left to right, low to high
    std::vector<SymbolRecord> symbols;
    std::vector<BraceRecord> braces;
    bool inkAboveFirstSystem = false;
};

// staves.cpp
// Finds every five-line staff: five long dark rows evenly spaced. Staves come top to bottom.
std::vector<StaffRecord> FindStaves(const InkImage &image);
// Clears the staff lines from image, keeping the pixels of lines where a shape crosses or
// touches them.
void RemoveStaffLines(InkImage *image, const std::vector<StaffRecord> &staves);
// Finds the bar lines that cross whole staves in image (lines already removed), records them
// grouped, and clears them from image except where a shape crosses them.
std::vector<BarGroupRecord> TakeBarLines(InkImage *image, const std::vector<StaffRecord> &staves);
// Braces left of two or more staves whose left ends agree, read from the faint ink of image
// (lines removed), so that a brace's thin middle does not cut it in two.
std::vector<BraceRecord> FindBraces(const InkImage &image, const std::vector<StaffRecord> &staves);
// Numbers the systems: staves joined at their left ends by a line or a brace in original
// (the picture as read) share a system. Answers the number of systems.
int NumberSystems(const InkImage &original, const std::vector<BraceRecord> &braces,
                  std::vector<StaffRecord> *staves);
// True when original has ink more than four spaces above the first staff.
bool InkAboveFirstSystem(const InkImage &original, const std::vector<StaffRecord> &staves);

// symbols.cpp
// Reads the shapes left in image (lines and bar lines removed) near each staff: heads,
// rests, accidentals, ties and slurs, dots and beamed groups; marks the repeat dots of the
// bar groups.
void ReadSymbols(const InkImage &image, PageReading *page);

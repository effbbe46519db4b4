// Staves, staff lines, bar lines and systems of a picture of printed music.
#include "staff_image.h"

#include <algorithm>
#include <cmath>

namespace {

struct LineBand {
    int top, bottom;     // rows
    int left, right;     // the longest run of its middle row
    double y;
    bool used;
};

// A row is part of a staff line when its longest run of faint ink reaches this share of the
// longest run of the picture: first systems are indented, beams and brackets are shorter.
// Faint ink takes in thin lines that antialiasing spreads over two rows.
const double kLineRunShare = 0.5;
const int kMinLineRun = 16;            // pixels: shorter rows are never staff lines
const double kSpacingTolerance = 0.12; // of a space: five lines are evenly spaced within it
const double kMinSpace = 3.0;          // pixels between lines: less is not a staff
const double kBarEndTolerance = 0.15;  // of a space: a bar line ends at the outer lines
const double kThickBar = 1.0 / 3;      // of a space
const double kBarGroupGap = 1.0;       // of a space between the lines of one bar group
const double kInkAboveSpaces = 4.0;    // ink higher than this above the first staff
const double kBraceReach = 1.5;        // spaces a brace's ends lie from the outer lines
const double kMaxBraceWidth = 3.0;     // spaces
const double kBraceBend = 0.25;        // of its width: a brace's middle lies that far off its quarters

struct RowRun {
    int length, left;
};

}  // namespace

static RowRun LongestRun(const InkImage &image, int y, bool faint);
static std::vector<LineBand> FindLineBands(const InkImage &image);
static bool FindBandNear(std::vector<LineBand> &bands, size_t from, double y, double tolerance, const LineBand &first,
                         size_t *found);
static bool InkAroundLine(const InkImage &image, int x, int top, int bottom);
static bool BarColumn(const InkImage &image, const std::vector<StaffRecord> &staves, size_t s, int x, int *top,
                      int *bottom);
static bool JoinedAtLeft(const InkImage &original, const StaffRecord &upper, const StaffRecord &lower);
static bool ReadBrace(const std::vector<std::pair<int, int>> &cells, const BoxRecord &box,
                      const std::vector<StaffRecord> &staves, BraceRecord *brace);

std::vector<StaffRecord> FindStaves(const InkImage &image) {
    std::vector<LineBand> bands = FindLineBands(image);
    std::vector<StaffRecord> staves;
    for (size_t i = 0; i < bands.size(); i++) {
        if (bands[i].used) continue;
        // The second line may be any of the next few bands: a long beam can sit between.
        for (size_t j = i + 1; j < bands.size() && j <= i + 3; j++) {
            if (bands[j].used) continue;
            double space = bands[j].y - bands[i].y;
            if (space < kMinSpace) continue;
            double tolerance = std::max(1.0, kSpacingTolerance * space);
            size_t found[5] = {i, j, 0, 0, 0};
            bool whole = true;
            for (int k = 2; k < 5 && whole; k++)
                whole = FindBandNear(bands, j + 1, bands[i].y + k * space, tolerance, bands[i], &found[k]);
            if (!whole) continue;
            StaffRecord staff{};
            std::vector<int> lefts, rights;
            for (int k = 0; k < 5; k++) {
                LineBand &band = bands[found[k]];
                band.used = true;
                staff.lineY[k] = band.y;
                staff.lineTop[k] = band.top;
                staff.lineBottom[k] = band.bottom;
                lefts.push_back(band.left);
                rights.push_back(band.right);
            }
            std::sort(lefts.begin(), lefts.end());
            std::sort(rights.begin(), rights.end());
            staff.left = lefts[2];
            staff.right = rights[2];
            staff.space = (staff.lineY[4] - staff.lineY[0]) / 4;
            staves.push_back(staff);
            break;
        }
    }
    std::sort(staves.begin(), staves.end(),
              [](const StaffRecord &a, const StaffRecord &b) { return a.lineY[0] < b.lineY[0]; });
    return staves;
}

void RemoveStaffLines(InkImage *image, const std::vector<StaffRecord> &staves) {
    for (const StaffRecord &staff : staves)
        for (int k = 0; k < 5; k++)
            for (int x = staff.left; x <= staff.right; x++) {
                if (InkAroundLine(*image, x, staff.lineTop[k], staff.lineBottom[k])) continue;
                for (int y = staff.lineTop[k]; y <= staff.lineBottom[k]; y++) image->Clear(x, y);
            }
}

std::vector<BarGroupRecord> TakeBarLines(InkImage *image, const std::vector<StaffRecord> &staves) {
    struct Segment {
        int left, right, top, bottom;
    };
    std::vector<BarGroupRecord> groups;
    std::vector<std::vector<Segment>> found(staves.size());
    for (size_t s = 0; s < staves.size(); s++) {
        const StaffRecord &staff = staves[s];
        int margin = int(std::ceil(staff.space));
        for (int x = staff.left - margin; x <= staff.right + margin; x++) {
            int top, bottom;
            if (!BarColumn(*image, staves, s, x, &top, &bottom)) continue;
            std::vector<Segment> &segments = found[s];
            if (!segments.empty() && segments.back().right == x - 1) {
                Segment &last = segments.back();
                last.right = x;
                last.top = std::min(last.top, top);
                last.bottom = std::max(last.bottom, bottom);
            } else {
                segments.push_back({x, x, top, bottom});
            }
        }
        double gap = kBarGroupGap * staff.space;
        for (const Segment &segment : found[s]) {
            bool thick = segment.right - segment.left + 1 >= kThickBar * staff.space;
            if (!groups.empty() && groups.back().staff == int(s) && segment.left - groups.back().right <= gap) {
                BarGroupRecord &group = groups.back();
                group.right = segment.right;
                group.lines++;
                group.thick = group.thick || thick;
            } else {
                groups.push_back({int(s), segment.left, segment.right, 1, thick, false, false});
            }
        }
    }
    // Cleared only now: a bar line through several staves is found on each of them.
    for (const std::vector<Segment> &segments : found)
        for (const Segment &segment : segments)
            for (int y = segment.top; y <= segment.bottom; y++) {
                // A tie or slur crossing the bar line keeps its pixels.
                bool crossed = image->At(segment.left - 1, y) && image->At(segment.right + 1, y);
                if (crossed) continue;
                for (int x = segment.left; x <= segment.right; x++) image->Clear(x, y);
            }
    return groups;
}

std::vector<BraceRecord> FindBraces(const InkImage &image, const std::vector<StaffRecord> &staves) {
    std::vector<BraceRecord> braces;
    if (staves.empty()) return braces;
    // Only the strip left of the staves is searched.
    int width = 0;
    for (const StaffRecord &staff : staves) width = std::max(width, std::min(image.width, staff.left + 1));
    std::vector<uint8_t> seen(size_t(width) * size_t(image.height), 0);
    std::vector<std::pair<int, int>> stack, cells;
    for (int y = 0; y < image.height; y++)
        for (int x = 0; x < width; x++) {
            if (!image.Faint(x, y) || seen[size_t(y) * width + x]) continue;
            cells.clear();
            BoxRecord box{x, y, x, y};
            seen[size_t(y) * width + x] = 1;
            stack.push_back({x, y});
            while (!stack.empty()) {
                auto [px, py] = stack.back();
                stack.pop_back();
                cells.push_back({px, py});
                box = {std::min(box.left, px), std::min(box.top, py), std::max(box.right, px), std::max(box.bottom, py)};
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        int nx = px + dx, ny = py + dy;
                        if (nx < 0 || nx >= width || !image.Faint(nx, ny) || seen[size_t(ny) * width + nx]) continue;
                        seen[size_t(ny) * width + nx] = 1;
                        stack.push_back({nx, ny});
                    }
            }
            BraceRecord brace;
            if (ReadBrace(cells, box, staves, &brace)) braces.push_back(brace);
        }
    return braces;
}

int NumberSystems(const InkImage &original, const std::vector<BraceRecord> &braces, std::vector<StaffRecord> *staves) {
    int systems = 0;
    for (size_t s = 0; s < staves->size(); s++) {
        bool joined = false;
        if (s > 0) {
            joined = JoinedAtLeft(original, (*staves)[s - 1], (*staves)[s]);
            for (const BraceRecord &brace : braces)
                joined = joined || (brace.firstStaff < int(s) && brace.lastStaff >= int(s));
        }
        if (!joined) systems++;
        (*staves)[s].system = systems - 1;
    }
    return systems;
}

bool InkAboveFirstSystem(const InkImage &original, const std::vector<StaffRecord> &staves) {
    if (staves.empty()) return false;
    int limit = int(std::floor(staves[0].lineY[0] - kInkAboveSpaces * staves[0].space));
    for (int y = 0; y < limit && y < original.height; y++)
        for (int x = 0; x < original.width; x++)
            if (original.At(x, y)) return true;
    return false;
}

static RowRun LongestRun(const InkImage &image, int y, bool faint) {
    RowRun best{0, 0};
    int start = -1;
    for (int x = 0; x <= image.width; x++) {
        bool ink = x < image.width && (faint ? image.Faint(x, y) : image.At(x, y));
        if (ink && start < 0) start = x;
        if (!ink && start >= 0) {
            if (x - start > best.length) best = {x - start, start};
            start = -1;
        }
    }
    return best;
}

static std::vector<LineBand> FindLineBands(const InkImage &image) {
    std::vector<RowRun> runs(size_t(image.height));
    int longest = 0;
    for (int y = 0; y < image.height; y++) {
        runs[size_t(y)] = LongestRun(image, y, true);
        longest = std::max(longest, runs[size_t(y)].length);
    }
    int threshold = std::max(kMinLineRun, int(std::ceil(kLineRunShare * longest)));
    std::vector<LineBand> bands;
    for (int y = 0; y < image.height; y++) {
        if (runs[size_t(y)].length < threshold) continue;
        if (!bands.empty() && bands.back().bottom == y - 1) {
            bands.back().bottom = y;
        } else {
            bands.push_back({y, y, 0, 0, 0, false});
        }
    }
    for (LineBand &band : bands) {
        const RowRun &middle = runs[size_t((band.top + band.bottom) / 2)];
        band.left = middle.left;
        band.right = middle.left + middle.length - 1;
        band.y = (band.top + band.bottom) / 2.0;
    }
    return bands;
}

static bool FindBandNear(std::vector<LineBand> &bands, size_t from, double y, double tolerance, const LineBand &first,
                         size_t *found) {
    for (size_t k = from; k < bands.size() && bands[k].y <= y + tolerance; k++) {
        if (bands[k].used || std::fabs(bands[k].y - y) > tolerance) continue;
        // The lines of one staff overlap each other over most of their length.
        int overlap = std::min(bands[k].right, first.right) - std::max(bands[k].left, first.left);
        int shorter = std::min(bands[k].right - bands[k].left, first.right - first.left);
        if (overlap < shorter / 2) continue;
        *found = k;
        return true;
    }
    return false;
}

// Ink just above or below a line, straight or diagonally beside the column, means a shape
// touches or crosses the line there; faint edges count, or thin outlines would open.
static bool InkAroundLine(const InkImage &image, int x, int top, int bottom) {
    for (int dx = -1; dx <= 1; dx++)
        if (image.Faint(x + dx, top - 1) || image.Faint(x + dx, bottom + 1)) return true;
    return false;
}

// Column x of staff s is a bar line when ink runs unbroken from the top line to the bottom
// line and stops at those lines, or runs on into the staff above or below (a bar line
// through a group of staves). Stems that happen to cross the staff end elsewhere.
static bool BarColumn(const InkImage &image, const std::vector<StaffRecord> &staves, size_t s, int x, int *top,
                      int *bottom) {
    const StaffRecord &staff = staves[s];
    for (int y = staff.lineTop[0]; y <= staff.lineBottom[4]; y++)
        if (!image.At(x, y)) return false;
    int y0 = staff.lineTop[0], y1 = staff.lineBottom[4];
    while (image.At(x, y0 - 1)) y0--;
    while (image.At(x, y1 + 1)) y1++;
    double tolerance = std::max(1.0, kBarEndTolerance * staff.space);
    bool topEnds = staff.lineTop[0] - y0 <= tolerance;
    bool bottomEnds = y1 - staff.lineBottom[4] <= tolerance;
    bool intoAbove = s > 0 && y0 <= staves[s - 1].lineBottom[4] + tolerance;
    bool intoBelow = s + 1 < staves.size() && y1 >= staves[s + 1].lineTop[0] - tolerance;
    if (!(topEnds || intoAbove) || !(bottomEnds || intoBelow)) return false;
    *top = y0;
    *bottom = y1;
    return true;
}

// Two staves belong to one system when a line joins them at their left ends.
static bool JoinedAtLeft(const InkImage &original, const StaffRecord &upper, const StaffRecord &lower) {
    if (std::abs(upper.left - lower.left) > upper.space) return false;
    int reach = std::max(2, int(std::lround(upper.space / 2)));
    for (int x = std::min(upper.left, lower.left) - reach; x <= std::max(upper.left, lower.left) + reach; x++) {
        bool unbroken = true;
        for (int y = upper.lineTop[4]; y <= lower.lineBottom[0] && unbroken; y++) unbroken = original.At(x, y);
        if (unbroken) return true;
    }
    return false;
}

// A brace stands left of two or more staves whose left ends agree, reaching from the first
// top line to the last bottom line; it is curved, its middle row lying away from the rows a
// quarter from either end, where a bracket is straight.
static bool ReadBrace(const std::vector<std::pair<int, int>> &cells, const BoxRecord &box,
                      const std::vector<StaffRecord> &staves, BraceRecord *brace) {
    auto middleOfRow = [&](double share) {
        int y = box.top + int(share * (box.Height() - 1)), left = box.right, right = box.left;
        for (auto [cx, cy] : cells)
            if (cy == y) {
                left = std::min(left, cx);
                right = std::max(right, cx);
            }
        return (left + right) / 2.0;
    };
    for (size_t first = 0; first + 1 < staves.size(); first++) {
        const StaffRecord &upper = staves[first];
        double space = upper.space;
        if (box.right > upper.left || box.Width() > kMaxBraceWidth * space) continue;
        if (std::fabs(box.top - upper.lineY[0]) > kBraceReach * space) continue;
        for (size_t last = first + 1; last < staves.size(); last++) {
            const StaffRecord &lower = staves[last];
            if (std::abs(lower.left - upper.left) > space) break;
            if (std::fabs(box.bottom - lower.lineY[4]) > kBraceReach * space) continue;
            double bend = middleOfRow(0.5) - (middleOfRow(0.25) + middleOfRow(0.75)) / 2;
            if (std::fabs(bend) < kBraceBend * box.Width()) return false;
            *brace = {int(first), int(last), box};
            return true;
        }
    }
    return false;
}

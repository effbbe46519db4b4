// The shapes of a picture of printed music once staff lines and bar lines are gone: each
// connected shape is measured in staff spaces and read as notes (heads on stems, beamed
// groups), rests, accidentals, ties and slurs or dots.
#include "staff_image.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// A shape's pixels, cut out of the picture with a free border of one pixel.
struct Mask {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> bits;
    bool At(int x, int y) const {
        x -= left;
        y -= top;
        return x >= 0 && y >= 0 && x < width && y < height && bits[size_t(y) * width + x];
    }
    void Set(int x, int y, bool on) {
        x -= left;
        y -= top;
        if (x >= 0 && y >= 0 && x < width && y < height) bits[size_t(y) * width + x] = on;
    }
};

struct Stem {
    int left, right, top, bottom;
    double X() const { return (left + right) / 2.0; }
};

// A place where the head template fits, before it is known to belong to a note.
struct HeadCandidate {
    double x, score;
    int position;
    double extent;             // spaces of ink across the template's middle row
    double body;               // the least across the rows a quarter space above and below
};

struct Shape {
    BoxRecord box;
    int staff;                 // nearest staff, -1 when far from all
    Mask mask, filled;         // its pixels; the same with its small holes filled
    int holes;                 // enclosed white areas big enough to count
    double holeDepth;          // middle of its largest hole: 0 at the top of the box, 1 at the bottom
    std::vector<BoxRecord> holeBoxes;  // the holes counted, in picture coordinates
    double fill;               // share of its box that is ink
    std::vector<Stem> stems;
    std::vector<HeadCandidate> candidates;
    std::vector<HeadRecord> heads;  // the candidates that proved to be heads
};

struct SizeRow {
    const char *name;
    double minWidth, maxWidth, minHeight, maxHeight;  // staff spaces
};

// Sizes of rests in staff spaces: the drawings of common music fonts with room for
// rounding at small sizes. Whole, half and breve rests are solid blocks.
const SizeRow kRests[] = {
    {"whole", 1.2, 1.9, 0.4, 0.85},   {"whole-ledger", 2.3, 3.0, 0.5, 0.95}, {"breve", 0.45, 0.75, 0.85, 1.15},
    {"quarter", 0.8, 1.27, 2.4, 3.2}, {"eighth", 0.75, 1.2, 1.55, 2.15},     {"16th", 1.27, 1.55, 2.5, 3.2},
    {"32nd", 1.3, 1.75, 3.5, 4.2},    {"64th", 1.4, 1.9, 4.5, 5.2},          {"128th", 1.45, 2.0, 5.5, 6.2},
};
const SizeRow kAccidental = {"accidental", 0.5, 1.75, 2.1, 3.4};  // sharps, flats, naturals
const SizeRow kDoubleSharp = {"double-sharp", 0.85, 1.3, 0.85, 1.3};
const SizeRow kDot = {"dot", 0.3, 0.7, 0.3, 0.7};
const double kFlatHoleDepth = 0.62;   // a flat's bowl lies low, a sharp's or natural's hole midway
const double kNaturalShape = 0.36;    // width over height: naturals are narrower than sharps
const double kDoubleFlatWidth = 1.3;  // spaces
const double kMinBlockFill = 0.75;    // share of the box inked by a block rest
const double kMinStrokeFill = 0.2;    // and by the other rests
const double kMaxStrokeFill = 0.47;
const double kTimeFit = 0.3;          // spaces a time signature's ends lie from the outer lines
const double kMaxTimeWidth = 4.0;     // spaces: two-digit numbers side by side

// Head template: an upright ellipse that fits inside a black, half or whole head of any
// common music font, tested on the shape with its holes filled.
const double kHeadHalfWidth = 0.45;   // spaces
const double kHeadHalfHeight = 0.30;
const double kHeadScore = 0.9;        // share of the ellipse that must be ink
const double kHeadWidth = 1.3;        // a black head, spaces: where stems and accidentals sit
const double kMinHeadExtent = 1.1;    // spaces of ink across a head's middle: more than a flat's bowl
const double kMinWholeExtent = 1.5;   // the same for a head without a stem, off its middle row
const double kWholeHole = 1.05;       // spaces: the most a whole note's hole measures either way
const double kMinWholeHoleWidth = 0.45;   // and the least: the gaps between a letter's strokes
const double kMinWholeHoleHeight = 0.5;   // and the bowls of letters are smaller
const double kHoleOffset = 0.35;      // spaces from a whole note's middle to its hole's
const double kMaxWholeExtent = 3.2;   // with a ledger line through it
const double kWholeHeight = 1.5;      // spaces: a whole note's height, with room
const double kMinStem = 2.5;          // spaces of unbroken vertical ink
const double kStemSide = 0.4;         // spaces from a head's middle to its stem, at least
const double kFarStemSide = 0.95;     // and at most
const double kClearAbove = 0.85;      // spaces above and below a head's middle that are paper
const double kMaxStemWidth = 0.4;     // spaces
const double kStemReach = 0.7;        // spaces a head lies beyond a stem's end
const double kNear = 6.0;             // spaces beyond the outer lines that belong to a staff
const double kMaxHoleWidth = 1.2;     // spaces: holes up to this size are filled (heads, flats);
const double kMaxHoleHeight = 1.0;    // a half note's runs on to the gap before its stem
const double kGapClosing = 0.07;      // spaces: gaps up to twice this are closed before filling
const double kMinBeam = 0.3;          // spaces of thickness between two stems
const double kMaxTieThickness = 0.4;  // spaces
const double kMinArc = 0.15;          // spaces between the middle of an arc and its ends
const double kLevelEnds = 0.5;        // spaces: a tie's ends lie this close in height

}  // namespace

static std::vector<int> LabelShapes(const InkImage &image, std::vector<BoxRecord> *boxes);
static Shape CutShape(const InkImage &image, const std::vector<int> &labels, int label, const BoxRecord &box,
                      const std::vector<StaffRecord> &staves);
static int NearestStaff(const std::vector<StaffRecord> &staves, const BoxRecord &box);
static void FillSmallHoles(Shape *shape, double space);
template <typename Found> static void ForEachHole(const Mask &mask, Found found);
static Mask Close(const Mask &mask, int radius);
static std::vector<Stem> FindStems(const Mask &mask, const BoxRecord &box, double space);
static std::vector<HeadCandidate> FindHeadCandidates(const Shape &shape, const StaffRecord &staff);
static void ProveHeads(std::vector<Shape> *shapes, const StaffRecord &staff, int staffIndex);
static bool FitsRow(const SizeRow &row, double width, double height);
static int CountBeamGroups(const Shape &shape, double space);
static bool ReadArc(const Shape &shape, double space, bool *level);
static void ClassifyOther(const Shape &shape, const StaffRecord &staff, PageReading *page);
static void PairAccidentals(PageReading *page);
static void MarkRepeatDots(PageReading *page);

void ReadSymbols(const InkImage &image, PageReading *page) {
    std::vector<BoxRecord> boxes;
    std::vector<int> labels = LabelShapes(image, &boxes);
    std::vector<Shape> shapes;
    for (size_t label = 1; label < boxes.size(); label++) {
        Shape shape = CutShape(image, labels, int(label), boxes[label], page->staves);
        // Shapes left of their staff are names, braces and brackets.
        if (shape.staff < 0 || shape.box.right < page->staves[size_t(shape.staff)].left) continue;
        shape.candidates = FindHeadCandidates(shape, page->staves[size_t(shape.staff)]);
        shapes.push_back(std::move(shape));
    }
    // A head and its stem may be drawn a pixel apart: they are matched across shapes.
    for (size_t s = 0; s < page->staves.size(); s++) ProveHeads(&shapes, page->staves[s], int(s));
    for (const Shape &shape : shapes) {
        const StaffRecord &staff = page->staves[size_t(shape.staff)];
        if (shape.heads.empty()) {
            ClassifyOther(shape, staff, page);
            continue;
        }
        page->heads.insert(page->heads.end(), shape.heads.begin(), shape.heads.end());
        for (int group = CountBeamGroups(shape, staff.space); group > 0; group--)
            page->symbols.push_back({kSymbolBeam, shape.staff, shape.box, "beam"});
    }
    std::sort(page->heads.begin(), page->heads.end(), [](const HeadRecord &a, const HeadRecord &b) {
        if (a.staff != b.staff) return a.staff < b.staff;
        if (std::fabs(a.x - b.x) > 1.0) return a.x < b.x;
        return a.position > b.position;  // low to high
    });
    PairAccidentals(page);
    MarkRepeatDots(page);
}

// 8-connected shapes of image as labels from 1, with the box of each (boxes[0] unused).
static std::vector<int> LabelShapes(const InkImage &image, std::vector<BoxRecord> *boxes) {
    std::vector<int> labels(size_t(image.width) * size_t(image.height), 0);
    boxes->assign(1, BoxRecord());
    std::vector<std::pair<int, int>> stack;
    for (int y = 0; y < image.height; y++)
        for (int x = 0; x < image.width; x++) {
            if (!image.At(x, y) || labels[size_t(y) * image.width + x]) continue;
            int label = int(boxes->size());
            BoxRecord box{x, y, x, y};
            labels[size_t(y) * image.width + x] = label;
            stack.push_back({x, y});
            while (!stack.empty()) {
                auto [px, py] = stack.back();
                stack.pop_back();
                box.left = std::min(box.left, px);
                box.right = std::max(box.right, px);
                box.top = std::min(box.top, py);
                box.bottom = std::max(box.bottom, py);
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        int nx = px + dx, ny = py + dy;
                        if (!image.At(nx, ny) || labels[size_t(ny) * image.width + nx]) continue;
                        labels[size_t(ny) * image.width + nx] = label;
                        stack.push_back({nx, ny});
                    }
            }
            boxes->push_back(box);
        }
    return labels;
}

static Shape CutShape(const InkImage &image, const std::vector<int> &labels, int label, const BoxRecord &box,
                      const std::vector<StaffRecord> &staves) {
    Shape shape;
    shape.box = box;
    shape.staff = NearestStaff(staves, box);
    Mask &mask = shape.mask;
    mask.left = box.left - 1;
    mask.top = box.top - 1;
    mask.width = box.Width() + 2;
    mask.height = box.Height() + 2;
    mask.bits.assign(size_t(mask.width) * size_t(mask.height), 0);
    int count = 0;
    for (int y = box.top; y <= box.bottom; y++)
        for (int x = box.left; x <= box.right; x++)
            if (labels[size_t(y) * image.width + x] == label) {
                mask.Set(x, y, true);
                count++;
            }
    shape.fill = double(count) / (double(box.Width()) * box.Height());
    shape.holes = 0;
    shape.holeDepth = 0;
    if (shape.staff < 0) return shape;  // far from every staff: not read
    double space = staves[size_t(shape.staff)].space;
    FillSmallHoles(&shape, space);
    shape.stems = FindStems(mask, box, space);
    return shape;
}

// The staff whose lines or margin hold the middle of box; -1 when none is within kNear spaces.
static int NearestStaff(const std::vector<StaffRecord> &staves, const BoxRecord &box) {
    double middle = (box.top + box.bottom) / 2.0;
    int best = -1;
    double bestDistance = 0;
    for (size_t s = 0; s < staves.size(); s++) {
        const StaffRecord &staff = staves[s];
        double distance = std::max(0.0, std::max(staff.lineY[0] - middle, middle - staff.lineY[4]));
        if (distance > kNear * staff.space) continue;
        if (best < 0 || distance < bestDistance) {
            best = int(s);
            bestDistance = distance;
        }
    }
    return best;
}

// Counts the holes of the shape and fills the small ones, so that hollow heads read as
// solid. Holes are the white areas, 4-connected, that the free border cannot reach. Those
// filled are found once gaps of a few pixels are closed: the hairline of a half note
// thins to nothing where it meets its stem.
static void FillSmallHoles(Shape *shape, double space) {
    const Mask &mask = shape->mask;
    Mask closed = Close(mask, std::max(1, int(std::ceil(kGapClosing * space))));
    shape->filled = closed;
    size_t largest = 0;
    // Smaller white specks are where strokes meet, not holes.
    size_t minArea = size_t(std::max(3.0, 0.05 * space * space));
    ForEachHole(mask, [&](const std::vector<std::pair<int, int>> &cells, const BoxRecord &box) {
        if (cells.size() >= minArea) {
            shape->holes++;
            shape->holeBoxes.push_back(
                {box.left + mask.left, box.top + mask.top, box.right + mask.left, box.bottom + mask.top});
        }
        if (cells.size() > largest) {
            largest = cells.size();
            shape->holeDepth = ((box.top + box.bottom) / 2.0 - 1) / std::max(1, shape->box.Height() - 1);
        }
    });
    ForEachHole(closed, [&](const std::vector<std::pair<int, int>> &cells, const BoxRecord &box) {
        if (box.Width() > kMaxHoleWidth * space || box.Height() > kMaxHoleHeight * space) return;
        for (auto [x, y] : cells) shape->filled.bits[size_t(y) * mask.width + x] = 1;
    });
}

// Calls found(cells, box) for each hole of mask, in mask coordinates.
template <typename Found> static void ForEachHole(const Mask &mask, Found found) {
    std::vector<uint8_t> seen(mask.bits.size(), 0);
    std::vector<std::pair<int, int>> stack, cells;
    auto flood = [&](int sx, int sy, std::vector<std::pair<int, int>> *into) {
        stack.push_back({sx, sy});
        seen[size_t(sy) * mask.width + sx] = 1;
        while (!stack.empty()) {
            auto [x, y] = stack.back();
            stack.pop_back();
            if (into) into->push_back({x, y});
            const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto &step : steps) {
                int nx = x + step[0], ny = y + step[1];
                if (nx < 0 || ny < 0 || nx >= mask.width || ny >= mask.height) continue;
                size_t at = size_t(ny) * mask.width + nx;
                if (seen[at] || mask.bits[at]) continue;
                seen[at] = 1;
                stack.push_back({nx, ny});
            }
        }
    };
    flood(0, 0, nullptr);  // the border is free: one flood reaches all of the outside
    for (int y = 0; y < mask.height; y++)
        for (int x = 0; x < mask.width; x++) {
            size_t at = size_t(y) * mask.width + x;
            if (seen[at] || mask.bits[at]) continue;
            cells.clear();
            flood(x, y, &cells);
            BoxRecord box{x, y, x, y};
            for (auto [cx, cy] : cells) {
                box.left = std::min(box.left, cx);
                box.right = std::max(box.right, cx);
                box.top = std::min(box.top, cy);
                box.bottom = std::max(box.bottom, cy);
            }
            found(cells, box);
        }
}

// The mask grown by radius pixels and shrunk back (a square's reach), which closes gaps
// narrower than twice the radius; the free border stays free.
static Mask Close(const Mask &mask, int radius) {
    // A square grows or shrinks as a row's reach, then a column's.
    auto pass = [&](const Mask &from, bool grow, int stepX, int stepY) {
        Mask to = from;
        for (int y = 1; y + 1 < from.height; y++)
            for (int x = 1; x + 1 < from.width; x++) {
                bool any = false, all = true;
                for (int d = -radius; d <= radius; d++) {
                    int nx = x + d * stepX, ny = y + d * stepY;
                    bool on = nx >= 0 && ny >= 0 && nx < from.width && ny < from.height &&
                              from.bits[size_t(ny) * from.width + nx];
                    any = any || on;
                    all = all && on;
                }
                to.bits[size_t(y) * from.width + x] = grow ? any : all;
            }
        return to;
    };
    Mask grown = pass(pass(mask, true, 1, 0), true, 0, 1);
    Mask closed = pass(pass(grown, false, 1, 0), false, 0, 1);
    for (size_t i = 0; i < closed.bits.size(); i++) closed.bits[i] |= mask.bits[i];
    return closed;
}

// Stems: narrow bands of columns whose ink runs unbroken over kMinStem spaces.
static std::vector<Stem> FindStems(const Mask &mask, const BoxRecord &box, double space) {
    std::vector<Stem> stems;
    int minimum = int(std::ceil(kMinStem * space));
    bool open = false;
    for (int x = box.left; x <= box.right; x++) {
        int bestTop = 0, bestBottom = -1;
        for (int y = box.top; y <= box.bottom; y++) {
            if (!mask.At(x, y)) continue;
            int start = y;
            while (mask.At(x, y + 1)) y++;
            if (y - start > bestBottom - bestTop) {
                bestTop = start;
                bestBottom = y;
            }
        }
        bool tall = bestBottom - bestTop + 1 >= minimum;
        if (tall && open) {
            Stem &stem = stems.back();
            stem.right = x;
            stem.top = std::min(stem.top, bestTop);
            stem.bottom = std::max(stem.bottom, bestBottom);
        } else if (tall) {
            stems.push_back({x, x, bestTop, bestBottom});
        }
        open = tall;
    }
    double widest = kMaxStemWidth * space + 1;
    stems.erase(std::remove_if(stems.begin(), stems.end(), [&](const Stem &s) { return s.right - s.left + 1 > widest; }),
                stems.end());
    return stems;
}

// Head candidates: places where the head template, centred on a staff position, lies in
// ink, with ink across at least kMinHeadExtent spaces there.
static std::vector<HeadCandidate> FindHeadCandidates(const Shape &shape, const StaffRecord &staff) {
    double space = staff.space, half = space / 2;
    double a = kHeadHalfWidth * space, b = kHeadHalfHeight * space;
    std::vector<std::pair<int, int>> ellipse;
    for (int dy = -int(b); dy <= int(b); dy++)
        for (int dx = -int(a); dx <= int(a); dx++)
            if ((dx / a) * (dx / a) + (dy / b) * (dy / b) <= 1.0) ellipse.push_back({dx, dy});
    if (ellipse.empty() || shape.box.Height() < 2 * b || shape.box.Width() < 2 * a) return {};

    std::vector<HeadCandidate> candidates;
    int firstPosition = int(std::floor((shape.box.top - staff.lineY[0]) / half));
    int lastPosition = int(std::ceil((shape.box.bottom - staff.lineY[0]) / half));
    for (int p = firstPosition; p <= lastPosition; p++) {
        int y = int(std::lround(staff.lineY[0] + p * half));
        int runStart = -1;
        double runBest = 0;
        for (int x = shape.box.left; x <= shape.box.right + 1; x++) {
            double score = 0;
            if (x <= shape.box.right) {
                int inked = 0;
                for (auto [dx, dy] : ellipse) inked += shape.filled.At(x + dx, y + dy);
                score = double(inked) / double(ellipse.size());
            }
            if (score >= kHeadScore) {
                if (runStart < 0) runStart = x;
                runBest = std::max(runBest, score);
                continue;
            }
            if (runStart < 0) continue;
            int middle = (runStart + x - 1) / 2;
            auto across = [&](int row) {
                int left = middle, right = middle;
                while (shape.filled.At(left - 1, row)) left--;
                while (shape.filled.At(right + 1, row)) right++;
                return (right - left + 1) / space;
            };
            // Off the middle row, so that a line through the head does not widen it.
            int quarter = int(std::lround(space / 4));
            double extent = across(y), body = std::min(across(y - quarter), across(y + quarter));
            if (extent >= kMinHeadExtent) candidates.push_back({(runStart + x - 1) / 2.0, runBest, p, extent, body});
            runStart = -1;
            runBest = 0;
        }
    }
    // Between two heads a third apart the template may fit less well: keep the best of
    // neighbouring positions.
    std::sort(candidates.begin(), candidates.end(),
              [](const HeadCandidate &l, const HeadCandidate &r) { return l.score > r.score; });
    std::vector<HeadCandidate> kept;
    for (const HeadCandidate &c : candidates) {
        bool clash = false;
        for (const HeadCandidate &k : kept)
            clash = clash || (std::abs(k.position - c.position) <= 1 && std::fabs(k.x - c.x) < 0.9 * space);
        if (!clash) kept.push_back(c);
    }
    // A head has paper just above and below it, unless another head of a chord lies there:
    // the loops of clefs and digits have ink all round.
    std::vector<HeadCandidate> clear;
    for (const HeadCandidate &c : kept) {
        bool open = true;
        for (int side : {-1, 1}) {
            int y = int(std::lround(staff.lineY[0] + c.position * half + side * kClearAbove * space));
            int inked = 0, count = 0;
            for (int x = int(c.x - 0.3 * space); x <= int(c.x + 0.3 * space); x++, count++) inked += shape.filled.At(x, y);
            if (2 * inked <= count) continue;
            bool chord = false;
            for (const HeadCandidate &k : kept)
                chord = chord || ((k.position - c.position) * side > 0 && std::abs(k.position - c.position) <= 2 &&
                                  std::fabs(k.x - c.x) <= space);
            open = open && chord;
        }
        if (open) clear.push_back(c);
    }
    return clear;
}

// A stem carries heads when one sits at its end on the stem's own side: left of a stem
// that rises from it, right of a stem that falls from it. The stem then carries every
// candidate beside it along its length (chords, and the heads of seconds on the other
// side). Candidates without a stem are heads when shaped as whole notes.
static void ProveHeads(std::vector<Shape> *shapes, const StaffRecord &staff, int staffIndex) {
    double space = staff.space, half = space / 2, reach = kStemReach * space;
    auto yOf = [&](const HeadCandidate &c) { return staff.lineY[0] + c.position * half; };
    auto add = [](Shape &shape, const HeadRecord &head) {
        for (const HeadRecord &k : shape.heads)
            if (k.position == head.position && std::fabs(k.x - head.x) < 1) return;
        shape.heads.push_back(head);
    };
    struct Beside {
        Shape *shape;
        const HeadCandidate *candidate;
    };
    std::vector<Beside> along;
    for (Shape &stemShape : *shapes) {
        if (stemShape.staff != staffIndex) continue;
        for (const Stem &stem : stemShape.stems) {
            along.clear();
            bool anchored = false;
            for (Shape &shape : *shapes) {
                if (shape.staff != staffIndex) continue;
                for (const HeadCandidate &c : shape.candidates) {
                    double y = yOf(c), side = c.x - stem.X();
                    if (std::fabs(side) < kStemSide * space || std::fabs(side) > kFarStemSide * space) continue;
                    if (y < stem.top - reach || y > stem.bottom + reach) continue;
                    anchored = anchored || (side < 0 && std::fabs(y - stem.bottom) <= reach) ||
                               (side > 0 && std::fabs(y - stem.top) <= reach);
                    along.push_back({&shape, &c});
                }
            }
            if (!anchored) continue;
            for (const Beside &b : along)
                add(*b.shape, {staffIndex, b.candidate->x, yOf(*b.candidate), b.candidate->position, true});
        }
    }
    for (Shape &shape : *shapes) {
        if (shape.staff != staffIndex || !shape.heads.empty() || !shape.stems.empty() || shape.candidates.empty())
            continue;
        // Whole notes alone: the shape is no taller than its heads (a clef's loops are).
        int lowest = shape.candidates[0].position, highest = lowest;
        for (const HeadCandidate &c : shape.candidates) {
            lowest = std::max(lowest, c.position);
            highest = std::min(highest, c.position);
        }
        if (shape.box.Width() > kMaxWholeExtent * space ||
            shape.box.Height() > (lowest - highest) * half + kWholeHeight * space)
            continue;
        for (const HeadCandidate &c : shape.candidates) {
            if (c.body < kMinWholeExtent || c.extent > kMaxWholeExtent) continue;
            // A whole note's own hole lies at its middle (cut in two by a ledger line, the
            // halves one above the other); a digit's runs past it, letters have narrower gaps.
            BoxRecord hole;
            for (const BoxRecord &h : shape.holeBoxes) {
                if (std::fabs((h.left + h.right) / 2.0 - c.x) > kHoleOffset * space ||
                    std::fabs((h.top + h.bottom) / 2.0 - yOf(c)) > 2 * kHoleOffset * space)
                    continue;
                if (hole.right < hole.left) {
                    hole = h;
                    continue;
                }
                int overlap = std::min(hole.right, h.right) - std::max(hole.left, h.left);
                if (2 * overlap < std::min(hole.Width(), h.Width())) continue;
                hole = {std::min(hole.left, h.left), std::min(hole.top, h.top), std::max(hole.right, h.right),
                        std::max(hole.bottom, h.bottom)};
            }
            bool hollow = hole.Width() >= kMinWholeHoleWidth * space && hole.Width() <= kWholeHole * space &&
                          hole.Height() >= kMinWholeHoleHeight * space && hole.Height() <= kWholeHole * space &&
                          std::fabs((hole.top + hole.bottom) / 2.0 - yOf(c)) <= kHoleOffset * space;
            if (hollow) add(shape, {staffIndex, c.x, yOf(c), c.position, false});
        }
    }
}

static bool FitsRow(const SizeRow &row, double width, double height) {
    return width >= row.minWidth && width <= row.maxWidth && height >= row.minHeight && height <= row.maxHeight;
}

// Beamed groups of a note shape: neighbouring stems joined by ink at least kMinBeam thick
// in every column between them, heads cleared; each run of joined stems is one group.
static int CountBeamGroups(const Shape &shape, double space) {
    if (shape.stems.size() < 2) return 0;
    Mask bare = shape.mask;
    double a = 0.8 * space, b = 0.65 * space;
    for (const HeadRecord &h : shape.heads)
        for (int dy = -int(b); dy <= int(b); dy++)
            for (int dx = -int(a); dx <= int(a); dx++)
                if ((dx / a) * (dx / a) + (dy / b) * (dy / b) <= 1.0)
                    bare.Set(int(std::lround(h.x)) + dx, int(std::lround(h.y)) + dy, false);
    std::vector<Stem> stems = shape.stems;
    std::sort(stems.begin(), stems.end(), [](const Stem &l, const Stem &r) { return l.left < r.left; });
    int minimum = std::max(2, int(std::lround(kMinBeam * space)));
    int groups = 0;
    bool inGroup = false;
    for (size_t i = 0; i + 1 < stems.size(); i++) {
        bool joined = stems[i + 1].left - stems[i].right > 2;
        for (int x = stems[i].right + 2; x <= stems[i + 1].left - 2 && joined; x++) {
            int longest = 0, run = 0;
            for (int y = shape.box.top; y <= shape.box.bottom; y++) {
                run = bare.At(x, y) ? run + 1 : 0;
                longest = std::max(longest, run);
            }
            joined = longest >= minimum;
        }
        if (joined && !inGroup) groups++;
        inGroup = joined;
    }
    return groups;
}

// A thin arc: one thin run of ink per column, its middle higher or lower than its ends.
// level tells whether both ends lie at one height (a tie) or not (a slur).
static bool ReadArc(const Shape &shape, double space, bool *level) {
    int width = shape.box.Width();
    if (width < 1.2 * space || shape.box.Height() > std::max(0.4 * width, 1.5 * space)) return false;
    std::vector<double> centre(size_t(width), 0);
    int doubled = 0;
    for (int i = 0; i < width; i++) {
        int x = shape.box.left + i, runs = 0, longest = 0, run = 0;
        double sum = 0, count = 0;
        for (int y = shape.box.top; y <= shape.box.bottom + 1; y++) {
            if (shape.mask.At(x, y)) {
                sum += y;
                count++;
                run++;
            } else if (run > 0) {
                runs++;
                longest = std::max(longest, run);
                run = 0;
            }
        }
        if (runs > 1) doubled++;
        if (longest > std::max(2.0, kMaxTieThickness * space)) return false;
        centre[size_t(i)] = count > 0 ? sum / count : 0;
    }
    if (doubled * 10 > width) return false;
    int tenth = std::max(1, width / 10);
    double left = 0, right = 0, middle = 0;
    for (int i = 0; i < tenth; i++) {
        left += centre[size_t(i)];
        right += centre[size_t(width - 1 - i)];
    }
    left /= tenth;
    right /= tenth;
    int from = width * 2 / 5, to = width * 3 / 5;
    for (int i = from; i <= to; i++) middle += centre[size_t(i)];
    middle /= (to - from + 1);
    if (std::fabs(middle - (left + right) / 2) < kMinArc * space) return false;
    *level = std::fabs(left - right) <= kLevelEnds * space;
    return true;
}

static void ClassifyOther(const Shape &shape, const StaffRecord &staff, PageReading *page) {
    double width = shape.box.Width() / staff.space, height = shape.box.Height() / staff.space;
    bool level = false;
    if (ReadArc(shape, staff.space, &level)) {
        page->symbols.push_back({level ? kSymbolTie : kSymbolSlur, shape.staff, shape.box, level ? "tie" : "slur"});
        return;
    }
    // Time signatures stand from the top line to the bottom line, their digits joined by
    // the middle line.
    if (std::fabs(shape.box.top - staff.lineY[0]) <= kTimeFit * staff.space &&
        std::fabs(shape.box.bottom - staff.lineY[4]) <= kTimeFit * staff.space && width <= kMaxTimeWidth)
        return;
    if (shape.holes > 0) {
        if (!FitsRow(kAccidental, width, height)) return;
        const char *name = shape.holeDepth < kFlatHoleDepth ? (width / height < kNaturalShape ? "natural" : "sharp")
                           : width >= kDoubleFlatWidth        ? "double-flat"
                                                              : "flat";
        page->symbols.push_back({kSymbolKeyAccidental, shape.staff, shape.box, name});
        return;
    }
    if (FitsRow(kDot, width, height) && shape.fill >= 0.6) {
        page->symbols.push_back({kSymbolDot, shape.staff, shape.box, "dot"});
        return;
    }
    if (FitsRow(kDoubleSharp, width, height) && shape.fill <= 0.75) {
        page->symbols.push_back({kSymbolKeyAccidental, shape.staff, shape.box, kDoubleSharp.name});
        return;
    }
    for (const SizeRow &row : kRests) {
        if (!FitsRow(row, width, height)) continue;
        // Whole, half and breve rests are solid blocks, the others strokes over about a
        // third of their box; the bits of a broken time signature are denser.
        bool block = row.name[0] == 'w' || row.name[0] == 'b';
        if (block ? shape.fill < kMinBlockFill : (shape.fill < kMinStrokeFill || shape.fill > kMaxStrokeFill)) continue;
        std::string name = row.name;
        if (name == "whole") {
            // A whole rest hangs from a line, a half rest sits on one.
            double nearestTop = 1e9;
            for (double y : staff.lineY) nearestTop = std::min(nearestTop, std::fabs(shape.box.top - y));
            if (nearestTop > 0.25 * staff.space) name = "half";
        }
        page->symbols.push_back({kSymbolRest, shape.staff, shape.box, name});
        return;
    }
}

// An accidental belongs to the head just right of it at a height it covers; the others
// belong to a key signature.
static void PairAccidentals(PageReading *page) {
    for (SymbolRecord &symbol : page->symbols) {
        if (symbol.kind != kSymbolKeyAccidental) continue;
        double space = page->staves[size_t(symbol.staff)].space;
        for (const HeadRecord &head : page->heads) {
            if (head.staff != symbol.staff) continue;
            double gap = (head.x - kHeadWidth / 2 * space - symbol.box.right) / space;
            if (gap < -0.3 || gap > 4.0) continue;
            if (head.y < symbol.box.top || head.y > symbol.box.bottom) continue;
            symbol.kind = kSymbolAccidental;
            break;
        }
    }
}

// Repeat dots: two dots in the middle two spaces within a space and a half of a bar group.
static void MarkRepeatDots(PageReading *page) {
    for (BarGroupRecord &bar : page->bars) {
        const StaffRecord &staff = page->staves[size_t(bar.staff)];
        double upper = (staff.lineY[1] + staff.lineY[2]) / 2, lower = (staff.lineY[2] + staff.lineY[3]) / 2;
        bool found[2][2] = {{false, false}, {false, false}};  // [before, after][upper, lower]
        for (const SymbolRecord &dot : page->symbols) {
            if (dot.kind != kSymbolDot || dot.staff != bar.staff) continue;
            double x = (dot.box.left + dot.box.right) / 2.0, y = (dot.box.top + dot.box.bottom) / 2.0;
            int side;
            if (x < bar.left && bar.left - x <= 1.5 * staff.space)
                side = 0;
            else if (x > bar.right && x - bar.right <= 1.5 * staff.space)
                side = 1;
            else
                continue;
            if (std::fabs(y - upper) <= 0.3 * staff.space) found[side][0] = true;
            if (std::fabs(y - lower) <= 0.3 * staff.space) found[side][1] = true;
        }
        bar.dotsBefore = found[0][0] && found[0][1];
        bar.dotsAfter = found[1][0] && found[1][1];
    }
}

// mkicons OUTDIR: draws every colour icon of the plug-in's resource file with cairo into
// OUTDIR/cicnID.png (each pixel opaque or clear, at most 256 colours, so that the 'cicn' made
// from it holds exactly these pixels), records the black key of the on-screen keyboard into
// OUTDIR/blackkey.pict and writes OUTDIR/icons.desc, the resource description listing them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "icons.h"

bool WriteBlackKey(const std::string &path);

namespace {

constexpr Ink Hex(unsigned rgb) {
    return Ink{(rgb >> 16 & 0xFF) / 255.0, (rgb >> 8 & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

// The colours every look shares.
const Ink kNavy = Hex(0x1F3A5F), kWhite = Hex(0xFFFFFF), kBlue = Hex(0x3B7DD8), kGreen = Hex(0x2FA24A),
          kRed = Hex(0xD9453F), kAmber = Hex(0xE8A317), kWood = Hex(0xB5793A), kSteel = Hex(0x8EA3BF),
          kSky = Hex(0xCFE3FA), kViolet = Hex(0x8E5CC2), kYellow = Hex(0xF0B400), kFloppy = Hex(0x3B6EA5);

enum State { kActive = 0, kPressed = 1, kInactive = 2 };

const int kSmallWidth = 40, kSmallHeight = 32, kLargeSide = 48;
const double kSmallScale = 0.75, kLargeScale = 0.92;  // of the shorter side the design grid takes
const unsigned kOpaque = 128;                          // alpha from which a pixel is in the mask
const size_t kMaxColors = 256;

// One command of the icon menu: its small icons (base: active, base + 1: pressed or on, base
// + 2: inactive), 40 x 32 on a button plate, and its large icon, 48 x 48 without a plate.
struct CommandRow {
    short smallBase, large;
    SymbolProc symbol;
    Ink accent;
    bool drawsSmall;  // false when another command's picture takes the shared small ids
};

// In menu order. Items 22 (mail) and 23 (full screen) share the small ids 381 to 383: the
// full-screen item, shown by default, gives them its picture. Where two triples overlap (385
// and 387, 393 and 394, 379 and 381) an id goes to the state seen most: active before pressed
// before inactive.
const CommandRow kCommands[] = {
    {320, 800, DrawHome, kBlue, true},           {323, 801, DrawPlay, kGreen, true},
    {326, 802, DrawRewind, kBlue, true},         {329, 803, DrawFastForward, kBlue, true},
    {362, 804, DrawPause, kAmber, true},         {332, 805, DrawStop, kRed, true},
    {335, 806, DrawVolume, kBlue, true},         {317, 825, DrawMixer, kAmber, true},
    {314, 826, DrawTwoPages, kBlue, true},       {393, 807, DrawTempo, kRed, true},
    {368, 823, DrawMetronome, kWood, true},      {373, 808, DrawPageSetup, kBlue, true},
    {338, 809, DrawPrint, kSteel, true},         {344, 810, DrawPreviousPage, kGreen, true},
    {341, 811, DrawNextPage, kGreen, true},      {347, 812, DrawZoom, kSky, true},
    {356, 813, DrawTransposeDown, kRed, true},   {353, 814, DrawTransposeUp, kGreen, true},
    {359, 815, DrawSave, kFloppy, true},         {365, 816, DrawInfo, kBlue, true},
    {376, 817, DrawSing, kViolet, true},         {379, 818, DrawKaraoke, kYellow, true},
    {381, 819, DrawMail, kRed, false},           {381, 820, DrawFullScreen, kBlue, true},
    {385, 821, DrawPreviousView, kGreen, true},  {394, 824, DrawPlayView, kGreen, true},
    {387, 822, DrawNextView, kGreen, true},      {311, 827, DrawRotate, kBlue, true},
    {298, 847, DrawKeyboard, kWhite, true},
};

enum Plate { kNoPlate, kPlateActive, kPlatePressed, kPlateInactive };

// The other icons, at the size of the place they are drawn in.
struct SingleRow {
    short id;
    int width, height;
    SymbolProc symbol;  // null: the plate alone
    Ink accent;
    Plate plate;
    double scale;
};

const SingleRow kSingles[] = {
    {132, 14, 14, DrawArrowUp, kBlue, kPlateActive, 1.0},      // play list: scroll up
    {133, 14, 22, DrawArrowDown, kBlue, kPlateActive, 1.0},    // play list: scroll down
    {140, 16, 16, DrawResizeGrip, kBlue, kNoPlate, 1.0},       // mixer: resize grip
    {141, 14, 22, DrawDividerGrip, kBlue, kNoPlate, 1.0},      // play list: divider grip
    {146, 32, 22, DrawModeSelect, kGreen, kNoPlate, 1.0},      // play modes 5, 0, 1, 2, 3, 4
    {147, 32, 22, DrawModeOnce, kBlue, kNoPlate, 1.0},
    {148, 32, 22, DrawModeRepeatOne, kBlue, kNoPlate, 1.0},
    {149, 32, 22, DrawModeThrough, kBlue, kNoPlate, 1.0},
    {150, 32, 22, DrawModeRepeatAll, kBlue, kNoPlate, 1.0},
    {151, 32, 22, DrawModeRandom, kAmber, kNoPlate, 1.0},
    {152, 10, 10, DrawPlayedMark, kGreen, kNoPlate, 1.0},      // play list: already played
    {301, 8, 8, DrawPositionCursor, kRed, kNoPlate, 1.0},      // position and pan marker
    {302, 8, 12, DrawSliderThumb, kSky, kNoPlate, 1.0},        // slider thumb
    {390, 32, 32, nullptr, kBlue, kPlateInactive, 1.0},        // film buttons: disabled,
    {391, 32, 32, nullptr, kBlue, kPlateActive, 1.0},          // normal
    {392, 32, 32, nullptr, kBlue, kPlatePressed, 1.0},         // and on
    {400, 32, 32, DrawFirstFrame, kBlue, kNoPlate, 0.62},      // film button symbols 0 to 7
    {401, 32, 32, DrawPreviousFrame, kBlue, kNoPlate, 0.62},
    {402, 32, 32, DrawPlay, kGreen, kNoPlate, 0.62},
    {403, 32, 32, DrawPause, kAmber, kNoPlate, 0.62},
    {404, 32, 32, DrawNextFrame, kBlue, kNoPlate, 0.62},
    {405, 32, 32, DrawMusic, kBlue, kNoPlate, 0.62},
    {406, 32, 32, DrawInfo, kBlue, kNoPlate, 0.62},
    {407, 32, 32, DrawSave, kFloppy, kNoPlate, 0.62},
    {600, 64, 64, DrawSoundBankLogo, kBlue, kNoPlate, 1.0},    // sound-bank logo
    {700, 14, 14, DrawArrowLeft, kBlue, kPlateActive, 1.0},    // scroll arrows; 700 also resets the mixer
    {701, 14, 14, DrawArrowRight, kBlue, kPlateActive, 1.0},
    {702, 14, 14, DrawArrowUp, kBlue, kPlateActive, 1.0},
    {703, 14, 14, DrawArrowDown, kBlue, kPlateActive, 1.0},
    {704, 16, 16, DrawJoined, kBlue, kNoPlate, 1.0},           // mixer: joined staves in one strip
    {705, 16, 16, DrawScissors, kRed, kNoPlate, 1.0},          // mixer: each staff its strip
    {1040, 16, 16, DrawLink, kBlue, kNoPlate, 1.0},            // title bar: the maker's site
};

struct IconJob {
    short id;
    int width, height;
    SymbolProc symbol;
    Look look;
    double scale;
};

Look MakeLook(Ink accent, Plate plate);
std::vector<IconJob> Jobs();
cairo_surface_t *Render(const IconJob &job);
void Flatten(cairo_surface_t *surface);
std::map<unsigned, unsigned> Reduce(const std::map<unsigned, unsigned> &counts, size_t most);
bool WriteText(const std::string &path, const std::string &text);

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkicons OUTDIR\n");
        return 2;
    }
    std::string folder = std::string(argv[1]) + "/";
    std::string description = "# The colour icons and the black-key picture of the plug-in, written by mkicons.\n";
    for (const IconJob &job : Jobs()) {
        cairo_surface_t *surface = Render(job);
        Flatten(surface);
        std::string leaf = "cicn" + std::to_string(job.id) + ".png";
        bool written = cairo_surface_write_to_png(surface, (folder + leaf).c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(surface);
        if (!written) {
            std::fprintf(stderr, "mkicons: cannot write %s%s\n", folder.c_str(), leaf.c_str());
            return 1;
        }
        description += "\nresource 'cicn' " + std::to_string(job.id) + "\n    cicn \"" + leaf + "\"\n";
    }
    description += "\nresource 'PICT' 1000 \"black key\"\n    file \"blackkey.pict\"\n";
    if (!WriteBlackKey(folder + "blackkey.pict") || !WriteText(folder + "icons.desc", description)) {
        std::fprintf(stderr, "mkicons: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}

namespace {

Look MakeLook(Ink accent, Plate plate) {
    switch (plate) {
    case kPlatePressed:
        return Look{kNavy, Hex(0xFFD84A), Hex(0xFFF6D0), true, Hex(0x4C86D0), Hex(0x2B5FA8), Hex(0x1B3F73)};
    case kPlateInactive:
        return Look{Hex(0xA3A3A3), Hex(0xD0D0D0), Hex(0xF5F5F5), true, Hex(0xEEEEEE), Hex(0xEEEEEE), Hex(0xC2C2C2)};
    case kPlateActive:
        return Look{kNavy, accent, kWhite, true, Hex(0xF7F9FC), Hex(0xD3DCE9), Hex(0x6E7F99)};
    case kNoPlate:
        break;
    }
    return Look{kNavy, accent, kWhite, false, kWhite, kWhite, kWhite};
}

// Every icon once, sorted by id.
std::vector<IconJob> Jobs() {
    std::map<short, IconJob> jobs;
    const Plate states[] = {kPlateActive, kPlatePressed, kPlateInactive};
    for (int state = kActive; state <= kInactive; state++)
        for (const CommandRow &c : kCommands) {
            short id = short(c.smallBase + state);
            if (c.drawsSmall && !jobs.count(id))
                jobs[id] = {id, kSmallWidth, kSmallHeight, c.symbol, MakeLook(c.accent, states[state]), kSmallScale};
        }
    for (const CommandRow &c : kCommands)
        jobs[c.large] = {c.large, kLargeSide, kLargeSide, c.symbol, MakeLook(c.accent, kNoPlate), kLargeScale};
    for (const SingleRow &s : kSingles)
        jobs[s.id] = {s.id, s.width, s.height, s.symbol, MakeLook(s.accent, s.plate), s.scale};
    std::vector<IconJob> list;
    for (const auto &entry : jobs) list.push_back(entry.second);
    return list;
}

cairo_surface_t *Render(const IconJob &job) {
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, job.width, job.height);
    cairo_t *cr = cairo_create(surface);
    if (job.look.plate) DrawPlate(cr, job.look, job.width, job.height);
    if (job.symbol) {
        double s = job.scale * std::min(job.width, job.height) / 24.0;
        cairo_translate(cr, job.width / 2.0, job.height / 2.0);
        cairo_scale(cr, s, s);
        cairo_translate(cr, -12, -12);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        job.symbol(cr, job.look, job.width / s, job.height / s);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

// Makes every pixel opaque or clear and keeps at most 256 colours.
void Flatten(cairo_surface_t *surface) {
    unsigned char *data = cairo_image_surface_get_data(surface);
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    std::map<unsigned, unsigned> counts;
    std::vector<unsigned> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            unsigned argb;
            std::memcpy(&argb, data + y * stride + 4 * x, 4);
            unsigned alpha = argb >> 24, rgb = 0;
            if (alpha < kOpaque) {
                pixels[size_t(y) * width + x] = 0;
                continue;
            }
            // cairo keeps colours multiplied by their opacity.
            for (int shift = 16; shift >= 0; shift -= 8)
                rgb |= std::min(255u, ((argb >> shift & 0xFF) * 255 + alpha / 2) / alpha) << shift;
            pixels[size_t(y) * width + x] = 0xFF000000u | rgb;
            counts[rgb]++;
        }
    std::map<unsigned, unsigned> to = Reduce(counts, kMaxColors);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            unsigned argb = pixels[size_t(y) * width + x];
            if (argb) argb = 0xFF000000u | to[argb & 0xFFFFFF];
            std::memcpy(data + y * stride + 4 * x, &argb, 4);
        }
    cairo_surface_mark_dirty(surface);
}

// Median cut: splits the box of colours with the widest channel at its weighted median until
// there are most boxes; each colour becomes its box's weighted mean. Ties break on the colour,
// so the same picture always gives the same table.
std::map<unsigned, unsigned> Reduce(const std::map<unsigned, unsigned> &counts, size_t most) {
    std::map<unsigned, unsigned> to;
    if (counts.size() <= most) {
        for (const auto &c : counts) to[c.first] = c.first;
        return to;
    }
    typedef std::vector<std::pair<unsigned, unsigned>> Bin;  // colour, count
    std::vector<Bin> bins(1, Bin(counts.begin(), counts.end()));
    auto channel = [](unsigned rgb, int c) { return (rgb >> (16 - 8 * c)) & 0xFF; };
    while (bins.size() < most) {
        int best = -1, bestChannel = 0;
        unsigned bestRange = 0;
        for (size_t b = 0; b < bins.size(); b++)
            for (int c = 0; c < 3 && bins[b].size() > 1; c++) {
                unsigned low = 255, high = 0;
                for (const auto &e : bins[b]) low = std::min(low, channel(e.first, c)), high = std::max(high, channel(e.first, c));
                if (high - low > bestRange) best = int(b), bestChannel = c, bestRange = high - low;
            }
        if (best < 0) break;
        Bin &bin = bins[size_t(best)];
        std::sort(bin.begin(), bin.end(), [&](const std::pair<unsigned, unsigned> &a, const std::pair<unsigned, unsigned> &b) {
            unsigned ca = channel(a.first, bestChannel), cb = channel(b.first, bestChannel);
            return ca != cb ? ca < cb : a.first < b.first;
        });
        unsigned long total = 0, run = 0;
        for (const auto &e : bin) total += e.second;
        size_t cut = 1;
        while (cut < bin.size() - 1 && (run += bin[cut - 1].second) < total / 2) cut++;
        Bin upper(bin.begin() + long(cut), bin.end());
        bin.resize(cut);
        bins.push_back(upper);  // after the last use of bin, which this may move
    }
    for (const Bin &bin : bins) {
        unsigned long sum[3] = {0, 0, 0}, total = 0;
        for (const auto &e : bin) {
            for (int c = 0; c < 3; c++) sum[c] += channel(e.first, c) * e.second;
            total += e.second;
        }
        unsigned mean = 0;
        for (int c = 0; c < 3; c++) mean |= unsigned((sum[c] + total / 2) / total) << (16 - 8 * c);
        for (const auto &e : bin) to[e.first] = mean;
    }
    return to;
}

bool WriteText(const std::string &path, const std::string &text) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

// orva-palette ID OUT: writes the resource description of the standard 256-colour palette as
// 'pltt' ID, for orva-rsrc to build: index 0 white, 1-214 the 6x6x6 cube (components 0xFFFF
// down to 0 in steps of 0x3333, red slowest) without black, 215-254 ten-step ramps of red,
// green, blue and gray (the levels the cube lacks, 0xEEEE down to 0x1111), 255 black.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Rgb {
    unsigned red, green, blue;
};

const unsigned kCubeStep = 0x3333, kRampStep = 0x1111, kLevels = 6;

std::vector<Rgb> StandardPalette() {
    std::vector<Rgb> colors;
    for (unsigned r = 0; r < kLevels; r++)
        for (unsigned g = 0; g < kLevels; g++)
            for (unsigned b = 0; b < kLevels; b++)
                colors.push_back({0xFFFF - r * kCubeStep, 0xFFFF - g * kCubeStep, 0xFFFF - b * kCubeStep});
    colors.pop_back();  // black closes the palette instead
    std::vector<unsigned> ramp;
    for (unsigned level = 0xFFFF - kRampStep; level > 0; level -= kRampStep)
        if (level % kCubeStep) ramp.push_back(level);
    for (int channel = 0; channel < 4; channel++)
        for (unsigned level : ramp)
            colors.push_back({channel == 0 || channel == 3 ? level : 0, channel == 1 || channel == 3 ? level : 0,
                              channel == 2 || channel == 3 ? level : 0});
    colors.push_back({0, 0, 0});
    return colors;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orva-palette ID OUT\n");
        return 2;
    }
    char *end;
    long id = std::strtol(argv[1], &end, 10);
    if (*end || id < -32768 || id > 32767) {
        std::fprintf(stderr, "orva-palette: %s is not a resource id\n", argv[1]);
        return 2;
    }
    std::vector<Rgb> colors = StandardPalette();
    std::string text = "# The standard palette, written by orva-palette.\nresource 'pltt' " + std::to_string(id) + "\n    pltt\n";
    for (const Rgb &c : colors)
        text += "        " + std::to_string(c.red) + " " + std::to_string(c.green) + " " + std::to_string(c.blue) + "\n";
    FILE *f = std::fopen(argv[2], "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "orva-palette: cannot write %s\n", argv[2]);
        return 1;
    }
    return colors.size() == 256 ? 0 : 1;
}

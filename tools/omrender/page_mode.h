// omrender's page mode: a score (a demo or a file) laid out on pages by page layout, each page
// drawn into a port at the resolution asked and written as a PNG, or printed to a PDF through the
// print path (pages recorded as pictures at the output resolution, 300 dpi).
#pragma once

struct PageOptions {
    const char *demo = nullptr;     // a demo score, or
    const char *load = nullptr;     // a score file of any format the format table knows
    const char *output = nullptr;   // PNG file; "%d" becomes the page number
    const char *pdf = nullptr;      // print every page to this PDF
    const char *font = nullptr;     // the music font file
    bool allPages = false;          // write every page, not only the first
    int dpi = 100;                  // of the PNG files
    int pages = 0;                  // rescale to this many pages (0: as laid out)
};

// Runs page mode; answers omrender's exit status (0 written, 1 no score or a file not written,
// 3 no music font).
int LanceModePages(const PageOptions &options);

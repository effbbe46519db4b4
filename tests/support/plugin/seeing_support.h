// Test helpers of the player interface: an instance record with a window of its own (a
// fixed-size port, no browser), made from embed parameters as the browser would give them, the
// engine started once with the build tree's music font and resource file, and corpus scores
// loaded and laid out as the plug-in lays them out.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "graphics/quickdraw/window_record.h"
#include "plugin/glue.h"
#include "plugin/instance.h"

namespace seeing {

typedef std::vector<std::pair<std::string, std::string>> Params;

// Starts QuickDraw, the engraver, the staff objects and page layout with the music font, opens
// the plug-in's resource file as resFilePlugIn and registers the score formats, once; false
// when the font or the resource file cannot be found.
bool StartEngine();

// An instance of width x height with the parameters applied and the layout pass run, drawn
// into a port of that size.
class Instance {
public:
    Instance(SInt16 width, SInt16 height, const Params &params = {});
    ~Instance();
    Instance(const Instance &) = delete;
    Instance &operator=(const Instance &) = delete;
    PlugInInstance *operator->() { return record_; }
    PlugInInstance *get() { return record_; }
    GrafPtr Port() { return &window_.port; }
    UInt32 Pixel(SInt32 x, SInt32 y);  // 0xRRGGBB
    // Loads the corpus score (tests/data/corpus/musicxml/name), laid out at 300 dpi; the
    // instance keeps it (PURGE=off) with its page count and title. False when it cannot.
    bool Load(const std::string &name);
    // The same with a demo score (tools/demo_scores) by name.
    bool LoadDemo(const char *name);
    void Draw();  // PlugInRedrawInstance
    bool WritePng(const std::string &path);

private:
    bool Keep(DocumentRecord *document, const std::string &title);
    PlugInInstance *record_;
    WindowRecord window_;
    PlugInWindowLink link_;
    PlugInWindow described_;
};

// The path of a file of the corpus.
std::string CorpusPath(const std::string &name);
// Rows of rect (left, top, right, bottom) of the port where at least 90 % of the pixels across
// its middle half are at least 16 levels darker than paper in every component.
int StaffLineRows(Instance &instance, const Rect &rect, UInt32 paper);
// Whether two colours are within tolerance in each component.
bool Near(UInt32 colour, UInt32 expected, int tolerance);

}  // namespace seeing

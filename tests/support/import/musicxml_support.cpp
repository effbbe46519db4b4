// Small MusicXML documents and loads for the importer's tests.
#include "support/import/musicxml_support.h"

#include <algorithm>
#include <dirent.h>

#include "import/musicxml/musicxml_import.h"
#include "platform/core/memory.h"
#include "score/part_groups.h"
#include "score/preferences.h"
#include "support/tool_support.h"

std::string MusicXMLCorpus() { return XMLTestData("corpus/musicxml/"); }

std::vector<std::string> MusicXMLCorpusFiles() {
    std::vector<std::string> names;
    DIR *dir = opendir(MusicXMLCorpus().c_str());
    for (dirent *e; dir && (e = readdir(dir));)
        if (e->d_name[0] != '.') names.push_back(e->d_name);
    if (dir) closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

ToolRun ScoreDump(const std::string &path, const std::string &options) {
    return ExecuteTool("timeout 120 '" + ToolPath("scoredump") + "' '" + path + "' " + options);
}

ToolRun MusicXMLFacts(const std::string &path) {
    return ExecuteTool("python3 '" + XMLTestData("../support/musicxml_facts.py") + "' '" + path + "'");
}

std::string Doc(const std::string &partList, const std::string &parts, const std::string &head) {
    return "<score-partwise>" + head + "<part-list>" + partList + "</part-list>" + parts + "</score-partwise>";
}

std::string ScorePart(const std::string &id, const std::string &inside) {
    return "<score-part id=\"" + id + "\">" + inside + "</score-part>";
}

std::string Part(const std::string &id, const std::string &measures) {
    return "<part id=\"" + id + "\">" + measures + "</part>";
}

std::string Measure(const std::string &inside, const std::string &number) {
    return "<measure number=\"" + number + "\">" + inside + "</measure>";
}

Loaded::Loaded(const std::string &xml) {
    FixePrefStd();
    document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    Handle h = nullptr;
    PtrToHand(xml.data(), &h, SInt32(xml.size()));
    ok = ChargeMusiqueXML(document, h, nullptr);
    DisposHandle(h);
}

Loaded::~Loaded() {
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
}

SInt32 Loaded::Item(SInt16 staff, OSType id) {
    SInt32 value = -1, size = 4;
    GetCollectionItem((*GetPortee(Score(), staff))->collection, kXMLTypePortee, SInt32(id), &size, &value);
    return value;
}

std::string Loaded::Staves() {
    std::string out;
    for (SInt16 s = 0; s < (*Score())->staffCount; s++) {
        StaffHandle staff = GetPortee(Score(), s);
        out += (s ? " " : "") + std::string((*staff)->longName ? *(*staff)->longName : "") + " ";
        for (OSType id : {kXMLIdPartie, kXMLIdPortee, kXMLIdVoix})
            out += std::to_string(Item(s, id)) + (id == kXMLIdVoix ? "" : ".");
        out += (*staff)->continuedByNext ? "+" : "";
    }
    return out;
}

std::string Loaded::Groups() {
    std::string out;
    PartGroupRecord group;
    for (SInt32 g = 0; GetPartGroup(Score(), g, &group); g++)
        out += (g ? " " : "") + std::to_string(group.firstStaff) + "-" + std::to_string(group.lastStaff);
    return out;
}

std::vector<XMLBarRecord> Loaded::Bars() {
    std::vector<XMLBarRecord> bars;
    XMLBarRecord bar;
    SInt32 size = sizeof bar;
    while (GetCollectionItem((*Score())->collection, kXMLTypeBarre, SInt32(bars.size()), &size, &bar) == noErr)
        bars.push_back(bar);
    return bars;
}

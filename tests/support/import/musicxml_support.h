// What the MusicXML importer's tests share: the corpus with its dumps and facts, small documents
// written as text, and a document loaded from text with its reports caught and its score's
// staves, groups and bars read back.
#pragma once

#include <string>
#include <vector>

#include "import/musicxml/musicxml_state.h"
#include "support/import/xml_support.h"
#include "support/tool_lines.h"

// The MusicXML corpus: tests/data/corpus/musicxml/ and its files' names, sorted.
std::string MusicXMLCorpus();
std::vector<std::string> MusicXMLCorpusFiles();
// scoredump of a file (options after the file name), and what tests/support/musicxml_facts.py
// finds in it, with their lines parsed.
ToolRun ScoreDump(const std::string &path, const std::string &options = "");
ToolRun MusicXMLFacts(const std::string &path);

std::string Doc(const std::string &partList, const std::string &parts, const std::string &head = "");
std::string ScorePart(const std::string &id, const std::string &inside = "<part-name>P</part-name>");
std::string Part(const std::string &id, const std::string &measures);
std::string Measure(const std::string &inside, const std::string &number = "1");

// A document loaded through ChargeMusiqueXML from text, freed at the end.
struct Loaded {
    XMLReportCatcher reports;
    DocumentRecord *document;
    bool ok;
    explicit Loaded(const std::string &xml);
    ~Loaded();
    Loaded(const Loaded &) = delete;
    Loaded &operator=(const Loaded &) = delete;
    ScoreHandle Score() { return document->score; }
    SInt32 Item(SInt16 staff, OSType id);  // the staff's 'XML ' collection item, -1 when missing
    // "name part.staff.voice" per staff, a '+' after those continued by the next, by spaces.
    std::string Staves();
    std::string Groups();  // "first-last" per part group, by spaces
    std::vector<XMLBarRecord> Bars();
};

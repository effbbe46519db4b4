// Test helpers for the tools that print one fact a line, "KIND [index] key=value ...", such as
// scoredump: a line parsed into its fields, and a tool run with its output and status.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ToolLine {
    std::string kind, index;                    // index "" when the line has none
    std::map<std::string, std::string> fields;  // values as printed, quotes kept
    std::string Field(const std::string &key) const;  // "" when missing
};

// A value in double quotes may hold blanks and backslash escapes.
ToolLine ParseToolLine(const std::string &text);

struct ToolRun {
    int code;                     // exit status, -1 when the program did not exit
    std::string out, err;
    std::vector<ToolLine> lines;  // of out
    std::vector<ToolLine> Of(const std::string &kind) const;
    std::vector<std::string> Field(const std::string &kind, const std::string &key) const;
};

// Runs command through the shell, its standard error caught apart.
ToolRun ExecuteTool(const std::string &command);

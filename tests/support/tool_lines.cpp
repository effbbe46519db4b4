// Lines of the tools that print one fact a line, and running them.
#include "support/tool_lines.h"

#include <cstdio>
#include <sys/wait.h>

#include "support/tool_support.h"

std::string ToolLine::Field(const std::string &key) const {
    auto found = fields.find(key);
    return found == fields.end() ? "" : found->second;
}

ToolLine ParseToolLine(const std::string &text) {
    std::vector<std::string> tokens(1);
    bool quoted = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == ' ' && !quoted) tokens.emplace_back();
        else tokens.back() += c;
        if (c == '"') quoted = !quoted;
        if (c == '\\' && quoted && i + 1 < text.size()) tokens.back() += text[++i];
    }
    ToolLine line;
    line.kind = tokens[0];
    for (size_t i = 1; i < tokens.size(); i++) {
        size_t equals = tokens[i].find('=');
        if (equals == std::string::npos) line.index = tokens[i];
        else line.fields[tokens[i].substr(0, equals)] = tokens[i].substr(equals + 1);
    }
    return line;
}

std::vector<ToolLine> ToolRun::Of(const std::string &kind) const {
    std::vector<ToolLine> found;
    for (const ToolLine &l : lines)
        if (l.kind == kind) found.push_back(l);
    return found;
}

std::vector<std::string> ToolRun::Field(const std::string &kind, const std::string &key) const {
    std::vector<std::string> values;
    for (const ToolLine &l : Of(kind)) values.push_back(l.Field(key));
    return values;
}

ToolRun ExecuteTool(const std::string &command) {
    std::string err = TempFile("stderr.txt");
    int status = -1;
    ToolRun run;
    run.out = RunCommand(command + " 2>'" + err + "'", &status);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    FILE *f = fopen(err.c_str(), "rb");
    for (int c; f && (c = fgetc(f)) != EOF;) run.err += char(c);
    if (f) fclose(f);
    remove(err.c_str());
    size_t start = 0;
    for (size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
        run.lines.push_back(ParseToolLine(run.out.substr(start, end - start)));
    return run;
}

// Runs the project's tools as child processes for tests: own folder, own environment, output
// to files, and a wait that gives up (killing the child) rather than hang the suite.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The tool of that name in the build tree's tools/ folder.
std::string OrvaToolPath(const std::string &name);

struct ChildOptions {
    std::string folder;                // the child's current folder ("" keeps ours)
    std::vector<std::string> env;      // NAME=VALUE entries added to, or replacing, ours
    std::string stdoutPath;            // "" leaves stdout as it is
    std::string stderrPath;
};

// Starts argv[0] with argv; -1 when it could not be started.
pid_t OrvaStartChild(const std::vector<std::string> &argv, const ChildOptions &options);
// Waits for the child; its wait status, or -1 when it had to be killed after timeoutMs.
int OrvaWaitChild(pid_t pid, int timeoutMs);
// Polls until the file holds text (true) or timeoutMs passed (false).
bool OrvaWaitForText(const std::string &path, const std::string &text, int timeoutMs);

// Test helpers for the tools built beside the tests (qdscene, pictdump, orva-rsrc...): where
// they are, a file name in the test's temporary folder, and a command's output.
#pragma once

#include <string>

// A path inside the build tree (the folder above tests/ of the running test program).
std::string BuildTreePath(const std::string &relative);
// The path of a tool built into tools/ of the build tree.
std::string ToolPath(const char *name);
// A file name in the test's temporary folder ($ORVA_TEST_TMP, else /tmp), unique to this process.
std::string TempFile(const std::string &leaf);
// Runs command through the shell; answers what it wrote on stdout, its wait status in *status.
std::string RunCommand(const std::string &command, int *status);

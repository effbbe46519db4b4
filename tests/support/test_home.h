// A fresh temporary folder per test program, made the user's home and configuration folder
// before anything reads them (GLib keeps the first answer for the whole process).
#pragma once

#include <string>

// Creates the folder once ($ORVA_TEST_TMP or /tmp), sets HOME and XDG_CONFIG_HOME to it and
// answers its path (no trailing '/'). The folder and its contents are removed at exit.
const std::string &OrvaTestHome();
// Writes bytes to path (created or truncated); false on failure.
bool OrvaTestWriteFile(const std::string &path, const std::string &bytes);
// The whole contents of a file, or an empty string when it cannot be read.
std::string OrvaTestReadFile(const std::string &path);
// The process's current folder, or an empty string.
std::string OrvaTestCurrentFolder();

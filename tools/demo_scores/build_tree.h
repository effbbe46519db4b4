// Where the tools and benchmarks find what the build made: the build tree is the folder above
// the running program's own folder (tools/, bench/).
#pragma once

#include <string>

// The build tree ("" when the program's path is unknown).
std::string DossierArbreConstruction();
// The sound banks the build made: "<build tree>/SoundBank" ("SoundBank" when unknown).
std::string DossierBanquesConstruites();
// For a tool that opens resource files: unless the environment names the system files' folder
// (WORVA), names the one the build made ("<build tree>/resources/Worva"), or the current folder
// when there is none, so that the library does not search the system for them.
void FixeDossierSystemeOutil();

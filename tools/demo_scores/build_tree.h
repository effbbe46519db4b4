// Where the tools and benchmarks find what the build made: the build tree is the folder above
// the running program's own folder (tools/, bench/).
#pragma once

#include <string>

// The build tree ("" when the program's path is unknown).
std::string DossierArbreConstruction();
// The sound banks the build made: "<build tree>/SoundBank" ("SoundBank" when unknown).
std::string DossierBanquesConstruites();

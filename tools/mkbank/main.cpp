// mkbank --synthetic -o DIR: writes the "OMS Basic" bank into DIR.
// mkbank --from-sf2 FILE -o DIR: writes the "OMS Full" bank into DIR from an SF2 file.
// The same input always gives the same files.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "platform/core/errors.h"
#include "sound/bank_generators.h"

int main(int argc, char **argv) {
    // The library looks for its system files when it first opens a file; a tool has none, so
    // the folder it works in stands for them unless the environment names another.
    char here[4096];
    if (getcwd(here, sizeof here)) setenv("WORVA", here, 0);
    const char *sf2 = nullptr, *out = nullptr;
    bool synthetic = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--synthetic") == 0) synthetic = true;
        else if (strcmp(argv[i], "--from-sf2") == 0 && i + 1 < argc) sf2 = argv[++i];
        else if (strcmp(argv[i], "-o") == 0 && i + 1 < argc) out = argv[++i];
        else out = nullptr, synthetic = false, sf2 = nullptr, i = argc;
    }
    if (!out || synthetic == (sf2 != nullptr)) {
        fprintf(stderr, "usage: mkbank --synthetic -o DIR\n       mkbank --from-sf2 FILE -o DIR\n");
        return 2;
    }
    char message[512] = "";
    OSErr err = synthetic ? CreeBanqueSynthetique(out, message, sizeof message)
                          : CreeBanqueDepuisSf2(sf2, out, message, sizeof message);
    if (err != noErr) {
        fprintf(stderr, "mkbank: %s (error %d)\n", message, err);
        return 1;
    }
    return 0;
}

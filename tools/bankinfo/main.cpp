// bankinfo FILE: prints "level=L programs=P drums=D" for a bank's resource file.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "platform/core/errors.h"
#include "sound/sound_bank.h"

int main(int argc, char **argv) {
    char here[4096];
    if (getcwd(here, sizeof here)) setenv("WORVA", here, 0);
    if (argc != 2) {
        fprintf(stderr, "usage: bankinfo FILE\n");
        return 2;
    }
    BankInfoRecord info;
    SInt32 programs, drums;
    if (LitResumeBanque(argv[1], &info, &programs, &drums) != noErr) {
        fprintf(stderr, "bankinfo: %s\n", BankErrorMessage());
        return 1;
    }
    printf("level=%d programs=%d drums=%d\n", info.level, int(programs), int(drums));
    return 0;
}
